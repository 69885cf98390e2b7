#include "pages/DatumDlg.h"

#include "pages/DateHeaderLogic.h"
#include "pages/PageDeviceLink.h"
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

void CDatumDlg::OnDataReceived(int, int port)
{
    if (!m_pReceiveStrings || port < 0 || port >= kReceiveTextCount)
        return;
    m_strDate = DateAnswerText(m_pReceiveStrings[port]);
    if (IsWindow())
        UpdateData(FALSE);
}

void CDatumDlg::ReadDeviceDate()
{
    TPageDeviceLink<CDeviceLink> link(*this);
    ::ReadDeviceDate(link);
}

CString CDatumDlg::NowDeviceText()
{
    const QDateTime now = vx::CurrentLocalTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return DeviceDateTimeText(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

void CDatumDlg::WriteDeviceDate()
{
    // What the user typed is never sent: the device gets the PC's clock.
    m_strDate.Empty();
    TPageDeviceLink<CDeviceLink> link(*this);
    m_strDate = ::WriteDeviceDate(link, NowDeviceText());
    if (IsWindow())
        UpdateData(FALSE);
}

void CDatumDlg::PrintPage(CPage* page)
{
    if (page && page->GetDC())
        page->GetDC()->TextOut(200, 200, m_strDate);
}
