#include "pages/ParameterDlg.h"

#include "app/StringTable.h"
#include "pages/ParameterFile.h"
#include "platform/DDX.h"
#include "platform/Modal.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CParameterDlg, CMyPropertyPage)

const char* const CParameterDlg::kTextChars =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz,.;:-_#'+*/^\xB0!\xA7$%%&/()=?`\xB4><| ";

CParameterDlg::CParameterDlg()
    : CMyPropertyPage(IDD, 0), m_Read([](UINT id) {
          CString text;
          vx::LookupProgramString(id, text);
          return text;
      })
{
    VX_ON_COMMAND(IDC_READ, OnReadButton);
    VX_ON_COMMAND(IDC_SEND, OnSendButton);
    VX_ON_CONTROL_RANGE(EN_CHANGE, IDC_NAME_FIRST, IDC_UNIT_FIRST + kParameterRows - 1, OnEditChanged);
}

CParameterDlg::~CParameterDlg() = default;

void CParameterDlg::DoDataExchange(CDataExchange* dx)
{
    CMyPropertyPage::DoDataExchange(dx);
    for (int i = 0; i < 3 * kParameterRows; ++i)
        DDX_Control(dx, IDC_NAME_FIRST + i, m_Edits[i]);
    for (int r = 0; r < kParameterRows; ++r) {
        ParameterRowTexts& row = m_Read.Row(r);
        DDX_Text(dx, IDC_NAME_FIRST + r, row.name);
        DDX_Text(dx, IDC_NOMINAL_FIRST + r, row.nominal);
        DDX_Text(dx, IDC_UNIT_FIRST + r, row.unit);
        DDX_Text(dx, IDC_TYPE_FIRST + r, row.type);
        DDX_Text(dx, IDC_P0_FIRST + r, row.p0);
        DDX_Text(dx, IDC_P100_FIRST + r, row.p100);
    }
}

BOOL CParameterDlg::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    for (int r = 0; r < kParameterRows; ++r) {
        NameEdit(r).SetLimitText(8);
        NominalEdit(r).SetLimitText(5);
        UnitEdit(r).SetLimitText(3);
    }
    for (int r = 0; r < kParameterRows; ++r)
        NameEdit(r).Init(kTextChars, 0, 1000, 2000, 3000, m_pLanguageOffset, false, nullptr, 0);
    for (int r = 0; r < kParameterRows; ++r)
        NominalEdit(r).Init(kNumberChars, 0, 1000, 2000, 3000, m_pLanguageOffset, true, ",", 0);
    for (int r = 0; r < kParameterRows; ++r)
        UnitEdit(r).Init(kTextChars, 0, 1000, 2000, 3000, m_pLanguageOffset, false, nullptr, 0);
    return TRUE;
}

void CParameterDlg::SetLanguageTexts()
{
    const int offset = LanguageOffset();
    m_Read.SetLanguageOffset(offset);
    SetDlgItemTextFromId(5100 + offset, IDC_READ);
    SetDlgItemTextFromId(5101 + offset, IDC_SEND);
    SetDlgItemTextFromId(5177 + offset, IDC_TITLE_NAME);
    SetDlgItemTextFromId(5178 + offset, IDC_TITLE_NOMINAL);
    SetDlgItemTextFromId(5179 + offset, IDC_TITLE_UNIT);
    SetDlgItemTextFromId(5197 + offset, IDC_TITLE_TYPE);
}

void CParameterDlg::RefreshPage()
{
    // The main dialog refreshes the shown page when its port goes away: a
    // read or send in progress ends here, and says so.
    if (m_Read.IsRunning() && !IsPortOnline())
        Perform(m_Read.PortLost());
    else
        ShowState();
}

void CParameterDlg::ShowState()
{
    const bool running = m_Read.IsRunning();
    if (CWnd* w = GetDlgItem(IDC_SEND))
        w->ShowWindow(SendInReach() ? SW_SHOW : SW_HIDE);
    if (CWnd* w = GetDlgItem(IDC_READ))
        w->ShowWindow(running ? SW_HIDE : SW_SHOW);
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, !running);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, !running && m_Read.HoldsTable());
    EnableMenuItemOfMain(WM_ENABLE_PRINT, m_Read.PrintAllowed() == 1);
}

bool CParameterDlg::SendInReach() const { return m_Read.ReadComplete() && !m_Read.IsRunning() && IsPortOnline(); }

void CParameterDlg::ShowButtons(bool show)
{
    for (int id : {IDC_READ, IDC_SEND})
        if (CWnd* w = GetDlgItem(id))
            w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CParameterDlg::OnChildActivate()
{
    Default();
    RunActivation();
}

void CParameterDlg::RunActivation()
{
    SetLanguageTexts();
    for (int r = 0; r < kParameterRows; ++r)
        if (CWnd* w = GetDlgItem(IDC_TYPE_FIRST + r))
            w->ShowWindow(SW_SHOW);
    Perform(m_Read.Activate());
    RefreshPage();
}

void CParameterDlg::OnShowWindow(BOOL show, UINT status)
{
    CMyPropertyPage::OnShowWindow(show, status);
    m_bShown = show != FALSE;
    if (!m_bShown)
        AbandonRead();
}

void CParameterDlg::AbandonRead()
{
    // Answers go to the shown page only: a read left behind could not
    // finish, and its end would set another page's menu items.
    Perform(m_Read.Abandon());
}

void CParameterDlg::OnReadButton()
{
    if (!m_Read.IsRunning())
        Perform(m_Read.StartRead());
}

void CParameterDlg::OnSendButton()
{
    if (!SendInReach())
        return;
    const CString question = LoadLanguageText(kSendQuestionTextId);
    if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    RunSend();
}

void CParameterDlg::RunSend()
{
    // The rows go out as the fields show them now, not as they were when
    // the pre-read began.
    if (m_Read.SendPending() && IsWindow())
        UpdateData(TRUE);
    Perform(m_Read.SendButton());
}

void CParameterDlg::OnFileSave()
{
    if (m_Read.IsRunning())
        return;
    CFileDialog dlg(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, "(*.csv)|*.csv|", this);
    if (dlg.DoModal() != IDOK)
        return;
    const int offset = LanguageOffset();
    auto load = [offset](UINT id) {
        CString text;
        vx::LookupProgramString(id + static_cast<UINT>(offset), text);
        return text;
    };
    const ParameterFileTitles titles{load(5177), load(5178), load(5179), load(5197)};
    ParameterRowTexts rows[kParameterRows];
    for (int r = 0; r < kParameterRows; ++r)
        rows[r] = m_Read.Row(r);
    CString words[kFactoryWordCount];
    for (int i = 0; i < kFactoryWordCount; ++i)
        words[i] = m_Read.FactoryWordText(i);
    CString error;
    if (!WriteParameterTableFile(dlg.GetPathName(), ParameterTableFileText(titles, rows, words), &error))
        AfxMessageBox(error, MB_OK | MB_ICONERROR);
}

void CParameterDlg::OnFileOpen()
{
    if (m_Read.IsRunning())
        return;
    CFileDialog dlg(TRUE, "csv", "*.csv", OFN_FILEMUSTEXIST | OFN_READONLY, "(*.csv)|*.csv|", this);
    if (dlg.DoModal() != IDOK)
        return;
    ParameterRowTexts rows[kParameterRows];
    for (int r = 0; r < kParameterRows; ++r)
        rows[r] = m_Read.Row(r);
    CString error;
    const CString path = dlg.GetPathName();
    switch (ReadParameterTableFile(path, rows, &error)) {
    case ParameterFileRead::Ok: break;
    case ParameterFileRead::TooLarge:
        AfxMessageBox(path + ": " + LoadLanguageText(kFileTooLargeTextId), MB_OK | MB_ICONERROR);
        return;
    case ParameterFileRead::Failed:
        AfxMessageBox(error, MB_OK | MB_ICONERROR);
        return;
    }
    for (int r = 0; r < kParameterRows; ++r)
        m_Read.Row(r) = rows[r];
    m_Read.TableLoaded();
    if (IsWindow())
        UpdateData(FALSE);
    RefreshPage();
}

void CParameterDlg::OnDataReceived(int byteCount, int port)
{
    if (byteCount <= 0 || !m_pReceiveStrings || port < 0 || port >= kReceiveTextCount)
        return;
    // The conversation keeps its own copy of the answer: it gets only what
    // this chunk added.
    const CString& rx = m_pReceiveStrings[port];
    Perform(m_Read.OnBytes(rx.Right(std::min(byteCount, rx.GetLength()))));
}

void CParameterDlg::OnTimer(UINT_PTR id) { Perform(m_Read.OnTimer(static_cast<UINT>(id))); }

void CParameterDlg::OnEditChanged(UINT id)
{
    const int index = static_cast<int>(id) - IDC_NAME_FIRST;
    if (index < 0 || index >= 3 * kParameterRows)
        return;
    CMyEdit& edit = m_Edits[index];
    if (!edit.IsWindow())
        return;
    // The edit's own check keeps its remembered value current, but it is
    // not what decides: a nominal typed from "12" to "12,0" keeps its value,
    // and the decimals the user typed must still reach the row.
    edit.IsValueChanged();
    if (edit.IsChangeCheckLocked())
        return;
    ParameterRowTexts& row = m_Read.Row(index % kParameterRows);
    CString& target = index < kParameterRows ? row.name : index < 2 * kParameterRows ? row.nominal : row.unit;
    const CString text = edit.GetWindowTextString();
    if (text != target)
        target = text;
}

void CParameterDlg::Perform(const CParameterRead::Actions& actions)
{
    using A = ParameterReadAction;
    for (const A& a : actions) {
        switch (a.kind) {
        case A::PageSend:
            if (!a.bytes.IsEmpty())
                SendCommandByte(CurrentChannel(), static_cast<BYTE>(a.bytes[0]));
            break;
        case A::DirectSend:
            if (CPortMan* port = TargetPort(CurrentChannel())) {
                SelectChannel(CurrentChannel());
                port->WriteFrame(reinterpret_cast<const BYTE*>(a.bytes.GetString()), a.bytes.GetLength());
            }
            break;
        case A::SetTimer: vx::SetTimer(this, a.id, a.ms); break;
        case A::KillTimer: vx::KillTimer(this, a.id); break;
        case A::Sleep: ::Sleep(a.ms); break;
        case A::EmptyReceiveText: ClearAnswerText(); break;
        case A::UpdateForm:
            if (IsWindow())
                UpdateData(FALSE);
            break;
        case A::HideButtons: ShowButtons(false); break;
        case A::RefreshPage: ShowState(); break;
        case A::MessageBox: AfxMessageBox(a.bytes, MB_OK | MB_ICONERROR); break;
        case A::StartSend: RunSend(); break;
        case A::WriteRow: {
            bool written = false;
            CPortMan* port = TargetPort(CurrentChannel());
            if (port && !m_Read.SendBroken()) {
                SelectChannel(CurrentChannel());
                written = port->WriteFrame(a.bytes);
            }
            m_Read.RowWritten(static_cast<int>(a.id), written);
            break;
        }
        case A::EndSend: Perform(m_Read.SendEnded(IsPortOnline())); break;
        }
    }
}
