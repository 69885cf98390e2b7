#include "pages/DatenloggerDlg.h"

#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "pages/LoggerCsv.h"
#include "platform/SafeFile.h"

#include "platform/Clipboard.h"
#include "platform/Cursor.h"
#include "platform/DDX.h"
#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Text1252.h"
#include "platform/PropertySheet.h"
#include "print/Page.h"

VX_IMPLEMENT_DYNAMIC(CDatenloggerDlg, CMyPropertyPage)

CDatenloggerDlg::CDatenloggerDlg() : CMyPropertyPage(IDD, 0), m_Host(*this), m_Readout(m_Host)
{
    VX_ON_COMMAND(IDC_READ, StartLoggerReadout);
    VX_ON_COMMAND(IDC_ERASE, OnErase);
    VX_ON_COMMAND(IDC_SAVE, OnFileSave);
}

CDatenloggerDlg::~CDatenloggerDlg() = default;

void CDatenloggerDlg::DoDataExchange(CDataExchange* dx)
{
    CMyPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_HEADER, m_strHeader);
    DDX_Text(dx, IDC_MODE, m_strMode);
    DDX_Text(dx, IDC_RECORDS, m_strRecords);
}

BOOL CDatenloggerDlg::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    if (CWnd* w = GetDlgItem(IDC_ERASE))
        w->ShowWindow(SW_HIDE);
    // The export is reached through File > Save.
    if (CWnd* w = GetDlgItem(IDC_SAVE))
        w->ShowWindow(SW_HIDE);
    SetLanguageTexts();
    return TRUE;
}

void CDatenloggerDlg::SetLanguageTexts()
{
    SetDlgItemTextFromId(5100 + LanguageOffset(), IDC_READ);
    SetDlgItemTextFromId(5105 + LanguageOffset(), IDC_ERASE);
    SetDlgItemTextFromId(5102 + LanguageOffset(), IDC_SAVE);
}

void CDatenloggerDlg::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, true);
    if (CWnd* w = GetDlgItem(IDC_READ))
        w->ShowWindow(m_Readout.IsReadoutRunning() ? SW_HIDE : SW_SHOW);
    // The main dialog refreshes the shown page when its port goes off line.
    m_Readout.CheckPort();
}

void CDatenloggerDlg::OnChildActivate()
{
    Default();
    SetLanguageTexts();
    RefreshPage();
    m_Readout.OnActivate();
}

void CDatenloggerDlg::OnDataReceived(int byteCount, int) { m_Readout.OnDataReceived(byteCount); }

void CDatenloggerDlg::OnTimer(UINT_PTR id) { m_Readout.OnLoggerTimer(static_cast<UINT>(id)); }

void CDatenloggerDlg::StartLoggerReadout() { m_Readout.StartLoggerReadout(); }

void CDatenloggerDlg::OnErase() { AfxMessageBox(vx::FromUtf8("Schaltfläche ohne Funktion"), MB_OK); }

void CDatenloggerDlg::OnFileSave()
{
    // A running read-out must never be saved half way.
    if (m_Readout.IsReadoutRunning())
        return;
    SaveLoggerCsv();
}

void CDatenloggerDlg::SaveLoggerCsv()
{
    if (CWnd* w = GetDlgItem(IDC_SAVE))
        w->ShowWindow(SW_HIDE);
    auto* main = dynamic_cast<CVX35_3Dlg*>(GetTopLevelParent());
    CDocumentationDlgTiny fallback;
    const CDocumentationDlgTiny& doc = main ? main->GetDocumentation() : fallback;
    LoggerCsvFormat format;
    doc.GetLineEnd(format.lineEnd, format.lineEndIndex);
    format.columnSeparator = doc.GetColumnSeparatorChar();
    format.decimalSeparator = doc.GetDecimalSeparatorChar();
    format.physicalUnit = doc.GetPhysicalUnit();

    const CString records = ConvertLoggerRecords(m_Readout.GetRecordText(), m_Readout.IsManualMode(), format);
    CFileDialog dialog(FALSE, "csv", "*.csv", OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT,
                       "(*.csv)|*.csv|All Files (*.*)|*.*|", this);
    if (dialog.DoModal() == IDOK) {
        const CString path = dialog.GetPathName();
        const CString text = BuildLoggerCsv(m_Readout.GetHeaderText(), doc.GetHeadline(), doc.GetComment(),
                                            m_Readout.GetModeText(), records, format.lineEnd);
        // A file that cannot be written is reported, never passed over, and
        // an older file of that name stays whole.
        CString error;
        if (!vx::WriteFileSafely(path, text, &error))
            AfxMessageBox(error, MB_OK | MB_ICONERROR);
    }
    RefreshPage();
}

void CDatenloggerDlg::PrintPage(CPage* page)
{
    CDC* dc = page ? page->GetDC() : nullptr;
    if (!dc)
        return;
    dc->TextOut(200, 200, m_Readout.GetHeaderText());
    dc->TextOut(200, 600, m_Readout.GetModeText());
    // The record text, not the raw buffer: activation empties that while the
    // records may still be on screen.
    dc->TextOut(200, 1000, m_Readout.GetRecordText());
}

BOOL CDatenloggerDlg::PreTranslateMessage(MSG* msg)
{
    if (msg && msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_ESCAPE)
            return TRUE;
        if ((GetKeyState(VK_CONTROL) & 0x8000) && HandleClipboardKey(msg->hwnd, static_cast<UINT>(msg->wParam)))
            return TRUE;
    }
    return CMyPropertyPage::PreTranslateMessage(msg);
}

bool CDatenloggerDlg::HandleClipboardKey(CWnd* focus, UINT key)
{
    if (key != 'A' && key != 'C' && key != 'X')
        return false;
    // A key message goes to the window that has the focus.
    auto* edit = dynamic_cast<CEdit*>(focus ? focus : CWnd::GetFocus());
    if (!edit || edit->GetParent() != this)
        return false;
    if (key == 'A') {
        UpdateData(TRUE);
        const int length = edit->GetWindowTextLength();
        if (length > 0) {
            edit->SetSel(0, length);
            edit->SendMessage(EM_SCROLLCARET);
        }
        return true;
    }
    int start = 0, end = 0;
    edit->GetSel(start, end);
    if (end > start) {
        const CString text = edit->GetWindowTextString().Mid(start, end - start);
        vx::SetClipboardText(text);
    }
    return true;
}

void CDatenloggerDlg::Host::SetBusy(bool busy)
{
    if (busy == m_dlg.m_bBusy)
        return;
    m_dlg.m_bBusy = busy;
    // The main dialog's busy flag (shared with every page) keeps the wait
    // cursor; the other tabs stay locked while the device talks, so no
    // page's home keys can land in the middle of the read-out.
    if (m_dlg.m_pBusyFlag && *m_dlg.m_pBusyFlag != (busy ? 1 : 0)) {
        *m_dlg.m_pBusyFlag = busy ? 1 : 0;
        if (busy)
            vx::BeginWaitCursor();
        else
            vx::EndWaitCursor();
    }
    if (auto* sheet = dynamic_cast<CPropertySheet*>(m_dlg.GetParent()))
        if (CTabCtrl* tabs = sheet->GetTabControl())
            tabs->EnableWindow(!busy);
}

void CDatenloggerDlg::Host::ShowReadButton(bool show)
{
    if (CWnd* w = m_dlg.GetDlgItem(IDC_READ))
        w->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CDatenloggerDlg::Host::ShowTexts()
{
    m_dlg.m_strHeader = m_dlg.m_Readout.GetHeaderText();
    m_dlg.m_strMode = m_dlg.m_Readout.GetModeText();
    m_dlg.m_strRecords = m_dlg.m_Readout.GetRecordText();
    // Emptied for a new read-out: the last one's megabytes go back.
    if (m_dlg.m_strRecords.IsEmpty())
        m_dlg.m_strRecords.str().shrink_to_fit();
    if (m_dlg.IsWindow())
        m_dlg.UpdateData(FALSE);
}

// Every box of the read-out reports a failure.
void CDatenloggerDlg::Host::ShowBox(const CString& text) { AfxMessageBox(text, MB_OK | MB_ICONERROR); }

bool CDatenloggerDlg::Host::IsPortOnline() { return m_dlg.IsPortOnline(); }

CString CDatenloggerDlg::Host::LanguageText(UINT germanId) { return vx::LoadText(germanId, m_dlg.LanguageOffset()); }
