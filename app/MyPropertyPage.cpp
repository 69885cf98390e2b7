#include "app/MyPropertyPage.h"

#include "app/DeviceCommands.h"
#include "app/StringTable.h"
#include "platform/Cursor.h"
#include "platform/Modal.h"
#include "platform/Text1252.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"

VX_IMPLEMENT_DYNAMIC(CMyPropertyPage, CPropertyPage)

CMyPropertyPage::CMyPropertyPage(UINT templateId, UINT captionId)
    : CPropertyPage(templateId, captionId)
{
}

CMyPropertyPage::~CMyPropertyPage() = default;

void CMyPropertyPage::OnDataReceived(int, int) {}

void CMyPropertyPage::SetLanguageTexts() {}

void CMyPropertyPage::RefreshPage() {}

void CMyPropertyPage::SelectChannel(int) {}

void CMyPropertyPage::PrintPage(CPage*) {}

void CMyPropertyPage::OnFileOpen()
{
    AfxMessageBox(vx::FromUtf8("Datei öffnen geht noch nicht"));
}

void CMyPropertyPage::OnFileSave() {}

void CMyPropertyPage::PutBytes(int channel, const BYTE* bytes, int count)
{
    // A channel without a port (only record 0 has one) drops the bytes: the
    // page's answer time-out then tells the user nothing came back.
    if (CPortMan* port = TargetPort(channel)) {
        if (count == 1)
            port->PutByte(bytes[0]);
        else
            port->WriteFrame(bytes, count);
    }
}

void CMyPropertyPage::SendCommandByte(int channel, BYTE byte)
{
    SelectChannel(channel);
    PutBytes(channel, &byte, 1);
    Sleep(DeviceCmd::PageSendPauseMs);
}

void CMyPropertyPage::SendCommandBytes2(int channel, BYTE byte1, BYTE byte2)
{
    SelectChannel(channel);
    const BYTE bytes[2] = {byte1, byte2};
    PutBytes(channel, bytes, 2);
    Sleep(DeviceCmd::PageSendPauseMs);
}

void CMyPropertyPage::SendHomeKeys(int channel)
{
    for (int i = 0; i < DeviceCmd::HomeKeyCount; ++i)
        SendCommandByte(channel, static_cast<BYTE>(DeviceCmd::KeyEsc));
}

void CMyPropertyPage::SetDlgItemTextFromId(UINT stringId, int controlId)
{
    CString text;
    if (vx::LookupProgramString(stringId, text))
        SetDlgItemText(controlId, text);
}

void CMyPropertyPage::SetDlgItemTextFromIdAppend(UINT stringId, int controlId, const char* suffix)
{
    CString text;
    if (vx::LookupProgramString(stringId, text)) {
        if (suffix)
            text += suffix;
        SetDlgItemText(controlId, text);
    }
}

CMyPropertyPage* CMyPropertyPage::GetNestedPage(int)
{
    return nullptr;
}

BOOL CMyPropertyPage::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_bInitialized = true;
    return TRUE;
}

BOOL CMyPropertyPage::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (IsBusy()) {
        SetCursor(LoadStandardCursor(IDC_WAIT));
        return TRUE;
    }
    return CPropertyPage::OnSetCursor(wnd, hitTest, message);
}

void CMyPropertyPage::EnableMenuItemOfMain(UINT message, bool enable)
{
    if (CWnd* top = GetTopLevelParent())
        top->SendMessage(message, static_cast<WPARAM>(GetDlgCtrlID()), enable ? 1 : 0);
}

void CMyPropertyPage::SetSharedState(const CPageSharedState& s)
{
    m_pChannelTable = s.pChannelTable;
    m_pReceiveStrings = s.pReceiveStrings;
    m_pLanguageOffset = s.pLanguageOffset;
    m_pConnectionMode = s.pConnectionMode;
    m_pCurrentChannel = s.pCurrentChannel;
    m_pBusyFlag = s.pBusyFlag;
    m_pOperatingMode = s.pOperatingMode;
    m_pArrivalStatus = s.pArrivalStatus;
}

CPageSharedState CMyPropertyPage::GetSharedState() const
{
    CPageSharedState s;
    s.pChannelTable = m_pChannelTable;
    s.pReceiveStrings = m_pReceiveStrings;
    s.pLanguageOffset = m_pLanguageOffset;
    s.pConnectionMode = m_pConnectionMode;
    s.pCurrentChannel = m_pCurrentChannel;
    s.pBusyFlag = m_pBusyFlag;
    s.pOperatingMode = m_pOperatingMode;
    s.pArrivalStatus = m_pArrivalStatus;
    return s;
}

bool CMyPropertyPage::IsPortOnline() const
{
    const CPortMan* port = TargetPort(CurrentChannel());
    return port && port->IsOnline();
}

CPortMan* CMyPropertyPage::TargetPort(int channel) const
{
    if (!m_pChannelTable)
        return nullptr;
    const int mode = m_pConnectionMode ? *m_pConnectionMode : 0;
    int index = TargetChannel(mode, channel);
    if (index < 0 || index >= kChannelCount)
        index = 0;
    return m_pChannelTable[index].m_pPortMan;
}

CString* CMyPropertyPage::AnswerText() const
{
    if (!m_pReceiveStrings)
        return nullptr;
    const int mode = m_pConnectionMode ? *m_pConnectionMode : 0;
    int index = TargetChannel(mode, CurrentChannel());
    // Ten channels meet four receive texts: the others share text 0.
    if (index < 0 || index >= kReceiveTextCount)
        index = 0;
    return &m_pReceiveStrings[index];
}

void CMyPropertyPage::ClearAnswerText()
{
    if (CString* text = AnswerText())
        text->Empty();
}

CString CMyPropertyPage::LoadLanguageText(UINT germanId) const
{
    return vx::LoadText(germanId, LanguageOffset());
}
