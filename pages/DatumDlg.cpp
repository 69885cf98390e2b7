#include "pages/DatumDlg.h"

#include "platform/DDX.h"
#include "platform/Dc.h"
#include "print/Page.h"

#include "platform/Timer.h"

#include <QDateTime>

VX_IMPLEMENT_DYNAMIC(CDatumDlg, CMyPropertyPage)

CDatumDlg::CDatumDlg() : CMyPropertyPage(IDD, 0)
{
    VX_ON_COMMAND(IDC_READ, ReadDeviceDate);
    VX_ON_COMMAND(IDC_WRITE, WriteDeviceDate);
}

CDatumDlg::~CDatumDlg() = default;

void CDatumDlg::DoDataExchange(CDataExchange* dx)
{
    CMyPropertyPage::DoDataExchange(dx);
    DDX_Text(dx, IDC_DATE, m_strDate);
}

void CDatumDlg::SetLanguageTexts()
{
    SetDlgItemTextFromId(5100 + LanguageOffset(), IDC_READ);
    SetDlgItemTextFromId(5101 + LanguageOffset(), IDC_WRITE);
}

void CDatumDlg::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
    if (CWnd* button = GetDlgItem(IDC_WRITE))
        button->ShowWindow(SW_SHOW);
}

void CDatumDlg::OnChildActivate()
{
    Default();
    SetLanguageTexts();
    RefreshPage();
}

void CDatumDlg::OnShowWindow(BOOL show, UINT status)
{
    CMyPropertyPage::OnShowWindow(show, status);
    if (!show)
        m_Read.Abandon();
}

// Only the answer to this page's own read is shown: a late header answer,
// or the keys' display lines, never reach the field.
void CDatumDlg::OnDataReceived(int, int) { m_Read.OnDataReceived(); }

void CDatumDlg::OnTimer(UINT_PTR id) { m_Read.OnTimer(static_cast<UINT>(id)); }

void CDatumDlg::ReadDeviceDate() { m_Read.Start(); }

CString CDatumDlg::NowDeviceText()
{
    const QDateTime now = vx::CurrentLocalTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return DeviceDateTimeText(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

void CDatumDlg::WriteDeviceDate()
{
    if (!m_Read.BeforeSend())
        return;
    // What the user typed is never sent: the device gets the PC's clock.
    m_Host.ShowText(::WriteDeviceDate(m_Host, NowDeviceText()));
}

void CDatumDlg::PrintPage(CPage* page)
{
    if (page && page->GetDC())
        page->GetDC()->TextOut(200, 200, m_strDate);
}
