// The seam between a page window and the plain conversations: the page's
// port (with the channel routing of the page base), the page's own window
// timers, the platform's blocking Sleep and the receive text answers land in.
#pragma once

#include "app/DeviceCommands.h"
#include "app/MyPropertyPage.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"

template <class Host>
class TPageDeviceLink : public Host {
public:
    explicit TPageDeviceLink(CMyPropertyPage& page) : m_page(page) {}

    void PutBytes(const CString& bytes) override
    {
        m_page.SelectChannel(m_page.CurrentChannel());
        if (CPortMan* port = m_page.TargetPort(m_page.CurrentChannel())) {
            const auto* data = reinterpret_cast<const BYTE*>(bytes.GetString());
            if (bytes.GetLength() == 1)
                port->PutByte(data[0]);
            else if (bytes.GetLength() > 1)
                port->WriteFrame(data, bytes.GetLength());
        }
    }
    void Sleep(UINT ms) override { ::Sleep(ms); }
    void SetTimer(UINT id, UINT ms) override { vx::SetTimer(&m_page, id, ms); }
    void KillTimer(UINT id) override { vx::KillTimer(&m_page, id); }
    CString& ReceiveText() override
    {
        if (CString* text = m_page.AnswerText())
            return *text;
        return m_spare; // a page not wired yet reads and empties nothing real
    }
    // The page's own send keeps its hook and pause in one place.
    void SendCommandByte(char code) override
    {
        m_page.SendCommandByte(m_page.CurrentChannel(), static_cast<BYTE>(code));
    }

protected:
    CMyPropertyPage& m_page;

private:
    CString m_spare;
};
