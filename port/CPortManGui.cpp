#include "port/CPortManGui.h"

CPortManGui::CPortManGui(CWnd* owner, UINT dataMsg, UINT statusMsg, PortFactory factory)
    : CPortMan(std::move(factory)), m_pOwner(owner), m_uDataMsg(dataMsg), m_uStatusMsg(statusMsg)
{
    SetDataCallback([this](const BYTE* data, int count) {
        vx::SendMessage(m_pOwner, m_uDataMsg, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(data));
    });
    SetDeliveryPacing(kDeliveryPacing);
    SetRemovedCallback([this] { vx::PostMessage(m_pOwner, WM_DEVICECHANGE, PORTEVENT_REMOVED, 0); });
    SetArrivedCallback([this] { vx::PostMessage(m_pOwner, WM_DEVICECHANGE, PORTEVENT_ARRIVED, 0); });
    // While the UI thread waits for the reader, only sends are served:
    // running posted messages here could re-enter the owner half-way
    // through taking the port off line.
    SetWaitFunction([](const std::function<bool()>& done) {
        if (vx::IsUiThread())
            vx::ServeSendsUntil(done);
    });
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
