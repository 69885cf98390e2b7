#pragma once

#include "ControlWnd.h"

#include <cstdint>

constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);
// Scroll codes an up-down sends (WM_HSCROLL/WM_VSCROLL, LOWORD(wParam)).
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_ENDSCROLL = 8;

constexpr UINT UDM_SETBUDDY = WM_USER + 105;
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114;

struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;
    int iDelta = 0;
};

// Up-down control with an optional buddy window (UDS_AUTOBUDDY takes the
// sibling created just before it); with UDS_SETBUDDYINT the position is
// written to the buddy as a plain number and read back from it.
class CSpinButtonCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CSpinButtonCtrl)
public:

    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    int SetPos(int pos) { return SetPos32(pos); }
    int SetPos32(int pos);   // clamped; returns the previous position
    int GetPos() const { return GetPos32(); }
    int GetPos32(BOOL* error = nullptr) const;
    CWnd* SetBuddy(CWnd* buddy);
    CWnd* GetBuddy() const { return m_buddy; }
    // As the user's click on an arrow (+1 up, -1 down).
    void Step(int direction);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    friend class CControlWnd;
    friend class CDialog;
    void writeBuddy();
    // Takes buddy without moving either window.
    void attachBuddy(CWnd* buddy);
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    CWnd* m_buddy = nullptr;
    std::uint64_t m_buddySerial = 0;
};
