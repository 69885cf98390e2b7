#include "pages/FirmenkopfDlg.h"

#include "platform/DDX.h"
#include "platform/Dc.h"
#include "print/Page.h"

VX_IMPLEMENT_DYNAMIC(CFirmenkopfDlg, CMyPropertyPage)

CFirmenkopfDlg::CFirmenkopfDlg() : CMyPropertyPage(IDD, 0)
{
    VX_ON_COMMAND(IDC_READ, ReadCompanyHeader);
    VX_ON_COMMAND(IDC_WRITE, SendCompanyHeader);
}

CFirmenkopfDlg::~CFirmenkopfDlg() = default;

void CFirmenkopfDlg::DoDataExchange(CDataExchange* dx)
{
    CMyPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_HEADER, m_strHeader);
}

void CFirmenkopfDlg::SetLanguageTexts()
{
    SetDlgItemTextFromId(5100 + LanguageOffset(), IDC_READ);
    SetDlgItemTextFromId(5101 + LanguageOffset(), IDC_WRITE);
}

void CFirmenkopfDlg::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
}

void CFirmenkopfDlg::OnChildActivate()
{
    Default();
    // The header is the one nested page whose text can be printed.
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, true);
}

void CFirmenkopfDlg::OnShowWindow(BOOL show, UINT status)
{
    CMyPropertyPage::OnShowWindow(show, status);
    if (!show)
        m_Read.Abandon();
}

// Only the answer to this page's own read is shown: bytes that come while
// none runs, or before the answer, never reach the field.
void CFirmenkopfDlg::OnDataReceived(int, int) { m_Read.OnDataReceived(); }

void CFirmenkopfDlg::OnTimer(UINT_PTR id) { m_Read.OnTimer(static_cast<UINT>(id)); }

void CFirmenkopfDlg::ReadCompanyHeader() { m_Read.Start(); }

void CFirmenkopfDlg::SendCompanyHeader()
{
    if (IsWindow())
        UpdateData(TRUE);
    if (m_Read.BeforeSend())
        ::SendCompanyHeader(m_Host, m_strHeader);
}

void CFirmenkopfDlg::PrintPage(CPage* page)
{
    CDC* dc = page ? page->GetDC() : nullptr;
    if (!dc)
        return;
    // A header has several lines; one TextOut would print their breaks as
    // characters on a single line.
    const int lineHeight = dc->GetTextExtent("Xg").cy;
    int y = 200;
    int start = 0;
    const CString& text = m_strHeader;
    while (start <= text.GetLength()) {
        int end = text.Find('\n', start);
        if (end < 0)
            end = text.GetLength();
        CString line = text.Mid(start, end - start);
        if (!line.IsEmpty() && line[line.GetLength() - 1] == '\r')
            line = line.Left(line.GetLength() - 1);
        dc->TextOut(200, y, line);
        y += lineHeight;
        start = end + 1;
    }
}
