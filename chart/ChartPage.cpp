#include "chart/ChartPage.h"

#include "chart/AxisDlg.h"
#include "chart/ChartDlg.h"
#include "chart/CurveDlg.h"
#include "chart/Plot.h"
#include "platform/Dc.h"
#include "platform/Gdi.h"
#include "platform/Numbers.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

VX_IMPLEMENT_DYNAMIC(CChartPage, CDialog)
VX_IMPLEMENT_DYNAMIC(CChartSubPage, CDialog)

// ---- CChartSubPage ------------------------------------------------------------

CChartSubPage::CChartSubPage(UINT templateId, CChartPage* sheet) : CDialog(templateId, nullptr), m_pSheet(sheet)
{
    VX_ON_COMMAND(IDC_APPLY, OnApply);
    VX_ON_MESSAGE(WM_USER + 1001, OnColourChanged);
}

bool CChartSubPage::IsApplyEnabled() const
{
    CWnd* apply = GetDlgItem(IDC_APPLY);
    return apply && apply->IsWindowEnabled();
}

void CChartSubPage::EnableApply(bool enable) { Enable(IDC_APPLY, enable); }

void CChartSubPage::Enable(int id, bool enable)
{
    if (CWnd* w = GetDlgItem(id))
        w->EnableWindow(enable ? TRUE : FALSE);
}

BOOL CChartSubPage::PreTranslateMessage(MSG* msg)
{
    // Enter and Escape would otherwise close or apply through the window
    // around the page.
    if (msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)
        && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CChartSubPage::OnOK()
{
    if (m_pSheet)
        m_pSheet->SendMessage(WM_COMMAND, IDOK, 0);
    else
        Apply();
}

void CChartSubPage::OnCancel()
{
    if (m_pSheet)
        m_pSheet->CloseSheet();
}

void CChartSubPage::OnApply() { Apply(); }

bool CChartSubPage::BeginChange()
{
    if (!IsWindow() || !IsWindowVisible())
        return false;
    m_bDirty = true;
    return true;
}

LRESULT CChartSubPage::OnColourChanged(WPARAM, LPARAM)
{
    m_bDirty = true;
    EnableApply(true);
    return 0;
}

namespace {

// The trimmed text of control id; false when there is no such control.
bool ControlText(const CWnd* page, int id, CString& text)
{
    CWnd* w = page->GetDlgItem(id);
    if (!w)
        return false;
    text = w->GetWindowTextString();
    text.Trim();
    return true;
}

} // namespace

bool CChartSubPage::QuietInt(int id, int lo, int hi) const
{
    CString t;
    if (!ControlText(this, id, t))
        return true;
    char* end = nullptr;
    errno = 0;
    const long long v = t.IsEmpty() ? 0 : std::strtoll(t.GetString(), &end, 10);
    return !t.IsEmpty() && errno == 0 && end && *end == '\0' && v >= lo && v <= hi;
}

bool CChartSubPage::QuietDouble(int id) const
{
    CString t;
    if (!ControlText(this, id, t))
        return true;
    const char* end = nullptr;
    const double v = t.IsEmpty() ? 0.0 : vx::StrToDouble(t.GetString(), &end);
    return !t.IsEmpty() && end && *end == '\0' && std::isfinite(v);
}

void CChartSubPage::DrawLineStyleItem(LPDRAWITEMSTRUCT dis)
{
    if (!dis || !dis->hDC || dis->itemID >= 5)
        return;
    CDC* dc = dis->hDC;
    CRect r(dis->rcItem);
    dc->FillSolidRect(&r, GetSysColor((dis->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    CPen pen(static_cast<int>(dis->itemID), 1, RGB(0, 0, 0));
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(r.left, r.top + 6);
    dc->LineTo(r.right, r.top + 6);
    dc->SelectObject(old);
}

COLORREF CChartSubPage::DefaultColour() { return GetSysColor(COLOR_APPWORKSPACE); }

// ---- CChartPage ------------------------------------------------------------------

CChartPage::CChartPage(CPlot* chart) : CDialog(IDD, chart), m_pChart(chart)
{
    VX_ON_NOTIFY(TCN_SELCHANGE, IDC_TAB, OnTabChange);
}

CChartPage::~CChartPage()
{
    // The pages are children of the tab control: they go before it.
    if (m_pChartDlg)
        m_pChartDlg->DestroyWindow();
    if (m_pAxisDlg)
        m_pAxisDlg->DestroyWindow();
    if (m_pCurveDlg)
        m_pCurveDlg->DestroyWindow();
    if (IsWindow())
        DestroyWindow();
}

BOOL CChartPage::CreateSheet(CWnd* parent)
{
    if (IsWindow())
        return TRUE;
    return Create(IDD, parent ? parent : static_cast<CWnd*>(m_pChart));
}

BOOL CChartPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_pTab = dynamic_cast<CTabCtrl*>(GetDlgItem(IDC_TAB));
    return TRUE;
}

CPlotAxis* CChartPage::GetAxisTarget() const
{
    if (!m_pChart)
        return nullptr;
    if (m_bAxisIsX)
        return m_pChart->FindXAxis(m_nAxisIndex);
    return m_pChart->FindYAxis(m_nAxisIndex);
}

CPlotDataSerie* CChartPage::GetCurveTarget() const
{
    if (!m_pChart || m_nCurveIndex < 0 || m_nCurveIndex >= m_pChart->GetCurveCount())
        return nullptr;
    return &m_pChart->GetCurve(m_nCurveIndex);
}

void CChartPage::ResolveTargets()
{
    // Targets are kept as indexes: curves and axes may come and go while
    // the window is hidden. One that is gone falls back to Y axis 0 and
    // curve 0.
    if (!GetAxisTarget()) {
        m_bAxisIsX = false;
        m_nAxisIndex = 0;
        if (m_pChart && !m_pChart->GetYAxisCount() && m_pChart->GetXAxisCount())
            m_bAxisIsX = true;
    }
    if (!GetCurveTarget())
        m_nCurveIndex = 0;
    if (m_pAxisDlg)
        m_pAxisDlg->SetAxis(GetAxisTarget());
    if (m_pCurveDlg)
        m_pCurveDlg->SetCurve(GetCurveTarget());
    if (m_pChartDlg)
        m_pChartDlg->SetChart(m_pChart);
}

void CChartPage::EnsurePages()
{
    if (!IsWindow() && !CreateSheet())
        return;
    if (!m_pTab)
        return;
    ResolveTargets();
    if (!m_pChartDlg) {
        m_pChartDlg = std::make_unique<CChartDlg>(this);
        m_pChartDlg->SetChart(m_pChart);
        m_pChartDlg->Create(CChartDlg::IDD, m_pTab);
    }
    if (!m_pCurveDlg) {
        m_pCurveDlg = std::make_unique<CCurveDlg>(this);
        m_pCurveDlg->SetCurve(GetCurveTarget());
        m_pCurveDlg->Create(CCurveDlg::IDD, m_pTab);
    }
    if (!m_pAxisDlg) {
        m_pAxisDlg = std::make_unique<CAxisDlg>(this);
        m_pAxisDlg->SetAxis(GetAxisTarget());
        m_pAxisDlg->Create(CAxisDlg::IDD, m_pTab);
    }
}

CDialog* CChartPage::GetPage(int page) const
{
    switch (page) {
    case ChartTab: return m_pChartDlg.get();
    case AxisTab: return m_pAxisDlg.get();
    case CurveTab: return m_pCurveDlg.get();
    default: return nullptr;
    }
}

void CChartPage::ShowSheet()
{
    if (!IsWindow() && !CreateSheet())
        return;
    // Shown already: the user's pending edits stay.
    if (!IsWindowVisible())
        ShowWindow(SW_SHOW);
}

void CChartPage::OnShowWindow(BOOL show, UINT status)
{
    CDialog::OnShowWindow(show, status);
    if (!show || !m_pTab)
        return;
    EnsurePages();
    // Every show starts from the objects: edits that were cancelled are
    // gone, and curves added meanwhile appear in the lists.
    for (int p = ChartTab; p <= CurveTab; ++p)
        if (auto* page = dynamic_cast<CChartSubPage*>(GetPage(p)))
            page->Reload();
    m_pTab->DeleteAllItems();
    for (int p = ChartTab; p <= CurveTab; ++p)
        if (CDialog* page = GetPage(p))
            m_pTab->InsertItem(p, page->GetWindowTextString(), reinterpret_cast<LPARAM>(page));
    for (int p = ChartTab; p <= CurveTab; ++p)
        if (CDialog* page = GetPage(p)) {
            page->ShowWindow(SW_HIDE);
            page->EnableWindow(FALSE);
        }
    PlacePage(m_pChartDlg.get(), false);
    m_pTab->SetCurSel(0);
}

void CChartPage::PlacePage(CDialog* page, bool top)
{
    if (!page)
        return;
    page->SetWindowPos(nullptr, kPageX, kPageY, 0, 0,
                       SWP_NOSIZE | (top ? 0u : SWP_NOZORDER));
    page->ShowWindow(SW_SHOW);
    page->EnableWindow(TRUE);
    page->ModifyStyle(WS_CAPTION, 0);
}

void CChartPage::SelectPage(int index)
{
    for (int p = ChartTab; p <= CurveTab; ++p)
        if (CDialog* page = GetPage(p)) {
            page->ShowWindow(SW_HIDE);
            page->EnableWindow(FALSE);
        }
    PlacePage(GetPage(index), true);
}

void CChartPage::OnTabChange(NMHDR*, LRESULT* result)
{
    if (m_pTab)
        SelectPage(m_pTab->GetCurSel());
    if (result)
        *result = 0;
}

void CChartPage::RetargetAxisPageToX(int index) { RetargetAxisPage(true, index); }

void CChartPage::RetargetAxisPageToY(int index) { RetargetAxisPage(false, index); }

void CChartPage::RetargetAxisPage(bool isX, int index)
{
    m_bAxisIsX = isX;
    m_nAxisIndex = index;
    if (m_pAxisDlg) {
        m_pAxisDlg->SetAxis(GetAxisTarget());
        m_pAxisDlg->InitFromAxis();
    }
}

void CChartPage::RetargetCurvePage(int index)
{
    m_nCurveIndex = index;
    if (m_pCurveDlg) {
        m_pCurveDlg->SetCurve(GetCurveTarget());
        m_pCurveDlg->InitFromCurve();
    }
}

void CChartPage::ClearTabs()
{
    if (m_pTab)
        m_pTab->DeleteAllItems();
}

void CChartPage::ApplyText(int page, int id, const CString& text)
{
    CDialog* p = GetPage(page);
    if (id == -1) {
        SetWindowText(text);
        return;
    }
    if (!p)
        return;
    if (id == -2) {
        p->SetWindowText(text);
        if (m_pTab)
            m_pTab->InsertItem(page, text, reinterpret_cast<LPARAM>(p));
        return;
    }
    if (CWnd* c = p->GetDlgItem(id))
        c->SetWindowText(text);
}

bool CChartPage::ApplyAll()
{
    for (int p = ChartTab; p <= CurveTab; ++p)
        if (auto* page = dynamic_cast<CChartSubPage*>(GetPage(p)); page && (page->IsApplyEnabled() || page->IsDirty()))
            if (!page->Apply())
                return false;
    return true;
}

void CChartPage::CloseSheet()
{
    ShowWindow(SW_HIDE);
    if (m_pChart && m_pChart->IsWindow()) {
        m_pChart->Invalidate(TRUE);
        m_pChart->SendMessage(WM_PAINT);
    }
}

void CChartPage::OnOK()
{
    if (ApplyAll())
        CloseSheet();
}

void CChartPage::OnCancel() { CloseSheet(); }
