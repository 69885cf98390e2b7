#include "port/CPortManGui.h"

#include "platform/Wnd.h"

CPortManGui::CPortManGui(CWnd* owner, UINT dataMsg, UINT statusMsg, PortFactory factory)
    : CPortMan(std::move(factory)),
      m_pOwner(owner),
      m_ownerSerial(owner ? owner->GetSerial() : 0),
      m_uDataMsg(dataMsg),
      m_uStatusMsg(statusMsg)
{
    // The UI thread takes the chunks itself: a window already wakes for
    // them, and a thread that woke only to hand them over and to wait for
    // the window would cost as much again.
    m_HandOver = std::make_unique<vx::UiCall>([this] {
        const auto again = HandOver();
        if (again.count() > 0)
            m_HandOver->RunAfter(again);
        else
            m_HandOver->Cancel();
    });
    SetOwnerHandOver([this](std::chrono::milliseconds after) {
        if (after.count() > 0)
            m_HandOver->RunAfter(after);
        else
            m_HandOver->Post();
    });
    SetDataCallback([this](const BYTE* data, int count) {
        // A window that is gone takes nothing, as a send to it would not.
        if (vx::CanReceive(m_pOwner, m_ownerSerial))
            vx::SendMessage(m_pOwner, m_uDataMsg, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(data));
    });
    SetDeliveryPacing(kDeliveryPacing);
    SetRemovedCallback([this] { vx::PostMessage(m_pOwner, WM_DEVICECHANGE, PORTEVENT_REMOVED, 0); });
    SetArrivedCallback([this] { vx::PostMessage(m_pOwner, WM_DEVICECHANGE, PORTEVENT_ARRIVED, 0); });
}

CPortManGui::~CPortManGui()
{
    StopThreads();
    GoOffline(false);
    m_Dcb.SaveToProfile();
}

CString CPortManGui::GetBaudRateText() const
{
    const BaudRateEntry* entry = FindBaudRate(m_Dcb.m_dwBaudRate);
    return entry ? CString(entry->pszText) : CString();
}

int CPortManGui::OpenFromProfile(const CString& section)
{
    m_Dcb.LoadFromProfile(section);
    m_Dcb.m_byDataBits = 8;
    m_Dcb.m_byParity = NOPARITY;
    return Open();
}

bool CPortManGui::OnDeviceChange(WPARAM event)
{
    const DWORD before = GetPortState();
    if (event == PORTEVENT_REMOVED && before == PORTSTATE_ONLINE)
        GoOffline(true);
    else if (event == PORTEVENT_ARRIVED && before == PORTSTATE_REMOVED)
        Reopen();
    return GetPortState() != before;
}
