// The port manager of a window: received chunks reach the window as
// SendMessage(dataMsg, count, bytes) on its UI thread, which takes them
// from the reader itself (no thread of the manager's waits for the window),
// and device removal and arrival as a posted WM_DEVICECHANGE that the
// window hands back to OnDeviceChange. Made, used and destroyed on the UI
// thread.
#pragma once

#include "port/CPortMan.h"
#include "platform/Messages.h"

class CWnd;

// wParam of the posted WM_DEVICECHANGE.
constexpr WPARAM PORTEVENT_ARRIVED = 0x8000;
constexpr WPARAM PORTEVENT_REMOVED = 0x8004;

class CPortManGui : public CPortMan {
public:
    // While bytes stream in, a window that does not take them itself gets
    // them no more often than this: a person sees no difference, and a
    // device streaming 100 frames a second wakes the UI thread four times
    // a second instead of a hundred. A window that shows them on a shorter
    // schedule of its own (the measure page's 200 ms refresh) takes them
    // then with DeliverPending, which puts the pacing's next look off, so
    // the UI thread wakes only for the refresh. An answer to a command the
    // window sent is not held back.
    static constexpr std::chrono::milliseconds kDeliveryPacing {250};

    // statusMsg is kept for the owner's message numbering; no status events
    // are sent.
    CPortManGui(CWnd* owner, UINT dataMsg, UINT statusMsg, PortFactory factory = {});
    // Stops the reader (serving its last hand-overs), closes the port and
    // saves the settings.
    ~CPortManGui() override;

    // The settings' rate as the baud-rate table writes it; empty for a rate
    // that is not in the table.
    CString GetBaudRateText() const;

    // Loads the settings from section, forces 8 data bits without parity
    // (the device speaks nothing else) and opens the port. Returns Open's
    // result.
    int OpenFromProfile(const CString& section);

    // The owner's WM_DEVICECHANGE handler calls this with the wParam: a
    // removal takes the port off line as removed, an arrival reopens a
    // removed port. True when the state changed, so the owner refreshes.
    bool OnDeviceChange(WPARAM event);

    CWnd* GetOwner() const { return m_pOwner; }
    UINT GetDataMessage() const { return m_uDataMsg; }
    UINT GetStatusMessage() const { return m_uStatusMsg; }

private:
    CWnd* m_pOwner;
    std::uint64_t m_ownerSerial;
    UINT m_uDataMsg;
    UINT m_uStatusMsg;
    std::unique_ptr<vx::UiCall> m_HandOver;
};
