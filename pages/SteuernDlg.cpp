#include "pages/SteuernDlg.h"

#include "app/VX35_3Dlg.h"
#include "platform/DDX.h"
#include "platform/Dc.h"
#include "print/Page.h"

#include <QPalette>
#include <QWidget>

VX_IMPLEMENT_DYNAMIC(CSteuernDlg, CMyPropertyPage)

namespace {
constexpr COLORREF kHousingColour = RGB(26, 70, 28);
constexpr COLORREF kDisplayColour = RGB(190, 240, 20);
constexpr COLORREF kBlack = RGB(0, 0, 0);
} // namespace

CSteuernDlg::CSteuernDlg()
    : CMyPropertyPage(IDD, 0), m_HousingBrush(kHousingColour), m_DisplayBrush(kDisplayColour),
      m_WhiteBrush(RGB(255, 255, 255)), m_Host(*this), m_Conversation(m_Host)
{
    VX_ON_MESSAGE(WM_ACTIVATE_CONTROL, OnActivateMessage);
    VX_ON_MESSAGE(WM_WNDIMAGE_CLICK, OnKeypadClick);
    VX_ON_CONTROL_RANGE(BN_CLICKED, IDC_FIRST_BUTTON, IDC_LAST_BUTTON, OnButton);
}

CSteuernDlg::~CSteuernDlg() = default;

void CSteuernDlg::DoDataExchange(CDataExchange* dx)
{
    CMyPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_DISPLAY, m_Display);
    for (int i = 0; i < 11; ++i)
        DDX_Control(dx, kControlKeySequences[i].controlId, m_Buttons[i]);
    // The display only ever shows; it is never read back.
    if (!dx->m_bSaveAndValidate)
        DDX_Text(dx, IDC_DISPLAY, m_strDisplay);
}

BOOL CSteuernDlg::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    SetLanguageTexts();
    RefreshPage();

    LOGFONT lf;
    const bool large = IsLargeLayout();
    lf.lfHeight = large ? 40 : 35;
    lf.lfWidth = large ? 10 : 9;
    lf.lfWeight = 400;
    lf.lfPitchAndFamily = FF_SWISS;
    m_DisplayFont.CreateFontIndirect(&lf);
    m_Display.SetFont(&m_DisplayFont, TRUE);

    if (CWnd* w = GetDlgItem(IDC_UNUSED_PICTURE))
        w->ShowWindow(SW_HIDE);
    if (CWnd* w = GetDlgItem(IDC_MODEL))
        w->ShowWindow(SW_HIDE);

    m_Keypad.CreateOverControl(GetDlgItem(IDC_KEYPAD));
    m_Keypad.SetBitmapFromResource(kKeypadBitmap, 0);
    m_Keypad.SendMessage(WM_PAINT);
    ApplyEditColours();
    return TRUE;
}

bool CSteuernDlg::IsLargeLayout() const
{
    if (!m_Display.IsWindow())
        return false;
    CRect r;
    m_Display.GetClientRect(&r);
    return IsLargeControlLayout(r.Width());
}

void CSteuernDlg::SetLanguageTexts()
{
    for (const ControlKeySequence& s : kControlKeySequences)
        SetDlgItemTextFromId(s.textId + LanguageOffset(), s.controlId);
}

void CSteuernDlg::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    if (CWnd* calib = GetDlgItem(1044))
        calib->ShowWindow(SW_SHOW);
}

void CSteuernDlg::PrintPage(CPage* page)
{
    if (!page)
        return;
    page->DrawFrame(5.5, 0.0, 5.5, 8.0, 5, 0);
    // The logo is the program's own file, wherever the program was started
    // from: a file of that name in the working directory is not ours.
    CString logo(kLogoFile);
    if (auto* main = dynamic_cast<CVX35_3Dlg*>(GetTopLevelParent()); main && !main->m_strLogoBitmapPath.IsEmpty())
        logo = main->m_strLogoBitmapPath;
    page->PrintBitmapFile(5.0, 5.0, 8.0, 8.0, logo);
}

void CSteuernDlg::OnChildActivate()
{
    Default();
    Activate();
}

LRESULT CSteuernDlg::OnActivateMessage(WPARAM, LPARAM)
{
    Activate();
    return 0;
}

void CSteuernDlg::Activate()
{
    SetLanguageTexts();
    m_Keypad.SetLayoutMode(3);
    m_dwReceivedBytes = 0;
    m_Conversation.OnActivate();
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
    ShowModelText();
}

void CSteuernDlg::OnDataReceived(int byteCount, int) { m_Conversation.OnDataReceived(byteCount); }

void CSteuernDlg::OnTimer(UINT_PTR id) { m_Conversation.OnTimer(static_cast<UINT>(id)); }

LRESULT CSteuernDlg::OnKeypadClick(WPARAM, LPARAM lParam)
{
    m_Conversation.OnKeypadClick(lParam, IsLargeLayout());
    return 0;
}

void CSteuernDlg::OnButton(UINT id) { m_Conversation.OnButton(static_cast<int>(id)); }

void CSteuernDlg::ShowModelText()
{
    // Both variants carry the same model name.
    SetDlgItemText(IDC_MODEL, "VX 35");
}

void CSteuernDlg::OnPaint()
{
    // The keypad is a window of its own on top of the page and paints what
    // its own changes need; repainting it from here would paint it again
    // with every paint of the page and of the display beside it.
    CMyPropertyPage::OnPaint();
}

HBRUSH CSteuernDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor)
{
    if (ctlColor != CTLCOLOR_STATIC || !wnd || !dc)
        return CMyPropertyPage::OnCtlColor(dc, wnd, ctlColor);
    switch (wnd->GetDlgCtrlID()) {
    case IDC_HOUSING:
        dc->SetTextColor(kHousingColour);
        dc->SetBkMode(TRANSPARENT);
        return &m_HousingBrush;
    case IDC_MODEL:
        dc->SetTextColor(kBlack);
        dc->SetBkMode(TRANSPARENT);
        return &m_WhiteBrush;
    case IDC_DISPLAY:
        dc->SetTextColor(kBlack);
        dc->SetBkColor(kDisplayColour);
        dc->SetBkMode(TRANSPARENT);
        return &m_DisplayBrush;
    default: return CMyPropertyPage::OnCtlColor(dc, wnd, ctlColor);
    }
}

void CSteuernDlg::ApplyEditColours()
{
    for (int id : {IDC_HOUSING, IDC_DISPLAY}) {
        CWnd* w = GetDlgItem(id);
        QWidget* peer = w ? w->GetPeer() : nullptr;
        if (!peer)
            continue;
        CDC dc;
        auto* brush = reinterpret_cast<CBrush*>(SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&dc),
                                                            reinterpret_cast<LPARAM>(w)));
        if (!brush)
            continue;
        const COLORREF bk = brush->Color();
        const COLORREF fg = dc.GetTextColor();
        QPalette pal = peer->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            pal.setColor(group, QPalette::Base, QColor(GetRValue(bk), GetGValue(bk), GetBValue(bk)));
            pal.setColor(group, QPalette::Text, QColor(GetRValue(fg), GetGValue(fg), GetBValue(fg)));
        }
        peer->setPalette(pal);
        peer->setAutoFillBackground(true);
    }
}

void CSteuernDlg::Host::SetDeviceVariant(int variant)
{
    if (m_dlg.m_pChannelTable)
        m_dlg.m_pChannelTable[m_dlg.CurrentChannel() < kChannelCount ? m_dlg.CurrentChannel() : 0].m_iDeviceVariant =
            variant;
}

void CSteuernDlg::Host::ShowDisplayText(const CString& text)
{
    m_dlg.m_strDisplay = text;
    if (m_dlg.IsWindow())
        m_dlg.UpdateData(FALSE);
}

void CSteuernDlg::Host::ShowModelText() { m_dlg.ShowModelText(); }
