#include "chart/CurveDlg.h"

#include "chart/ChartDlg.h"
#include "chart/ChartPage.h"
#include "chart/MovingAvgDlg.h"
#include "chart/Plot.h"
#include "chart/PlotDC.h"
#include "chart/PlotDataSerie.h"
#include "chart/TrendDlg.h"
#include "platform/DDX.h"
#include "platform/Dc.h"
#include "platform/Modal.h"

#include <QImage>

#include <new>

VX_IMPLEMENT_DYNAMIC(CCurveDlg, CChartSubPage)

namespace {

// Derived curves longer than this would only exhaust memory: the chart
// keeps its own copy of every point.
constexpr long long kMaxDerivedPoints = 5'000'000;

const char* const kLineStyleTexts[5] = {"_____________________", "_ _ _ _ _ _ _ _ _ _ _ _ _ _ ",
                                        "..........................................",
                                        "_._._._._._._._._._._._._._.", "_.._.._.._.._.._.._.._.._.._.._"};

QImage HatchSample(int hatch, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    CDC dc;
    dc.AttachImage(&img);
    CBrush brush(hatch, RGB(0, 0, 0));
    CRect r(0, 0, w, h);
    dc.FillRect(&r, &brush);
    dc.Draw3dRect(&r, RGB(0, 0, 0), RGB(0, 0, 0));
    return img;
}

void TooBig(CWnd* owner)
{
    MessageBox(owner, ChartDlgLogic::MessageText(ChartDlgLogic::Message::TooManyPoints), nullptr,
               MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

CCurveDlg::CCurveDlg(CChartPage* sheet) : CChartSubPage(IDD, sheet)
{
    for (int id : {IDC_TYPE, IDC_LINE_STYLE, IDC_SYMBOL, IDC_PARTNER})
        VX_ON_CONTROL(CBN_SELCHANGE, static_cast<UINT>(id), OnChange);
    VX_ON_CONTROL(CBN_CLOSEUP, IDC_SYMBOL, OnChange);
    for (int id : {IDC_WIDTH, IDC_NAME, IDC_MARKER_SIZE})
        VX_ON_CONTROL(EN_CHANGE, static_cast<UINT>(id), OnChange);
    for (int id : {IDC_COLOUR, IDC_VISIBLE, IDC_SHOW_MARKERS, IDC_FILL, IDC_TRANSPARENT, IDC_KIND_BOX, IDC_KIND_SYMBOL})
        VX_ON_CONTROL(BN_CLICKED, static_cast<UINT>(id), OnChange);
    for (int id : kFillRadios)
        VX_ON_CONTROL(BN_CLICKED, static_cast<UINT>(id), OnChange);
    VX_ON_COMMAND(IDC_MOVING_AVERAGE, OnMovingAverage);
    VX_ON_COMMAND(IDC_LINEAR_TREND, OnLinearTrend);
    VX_ON_COMMAND(IDC_CUBIC_TREND, OnCubicTrend);
    VX_ON_COMMAND(IDC_POLY_TREND, OnPolynomialTrend);
}

CCurveDlg::~CCurveDlg() = default;

void CCurveDlg::DoDataExchange(CDataExchange* dx)
{
    CChartSubPage::DoDataExchange(dx);
    auto& v = m_Values;
    DDX_Control(dx, IDC_PARTNER, m_Partner);
    DDX_Control(dx, IDC_WIDTH_SPIN, m_WidthSpin);
    DDX_Control(dx, IDC_MARKER_SPIN, m_MarkerSpin);
    DDX_Control(dx, IDC_SYMBOL, m_Symbol);
    DDX_Control(dx, IDC_COLOUR, m_Colour);
    DDX_CBIndex(dx, IDC_TYPE, v.type);
    DDX_Text(dx, IDC_WIDTH, v.lineWidth);
    DDV_MinMaxInt(dx, v.lineWidth, 1, 5);
    DDX_CBIndex(dx, IDC_LINE_STYLE, v.lineStyle);
    DDX_Check(dx, IDC_SHOW_MARKERS, v.showMarkers);
    DDX_Check(dx, IDC_VISIBLE, v.visible);
    DDX_Check(dx, IDC_FILL, v.fill);
    DDX_Radio(dx, IDC_FILL_FIRST, v.fillStyle);
    DDX_Check(dx, IDC_TRANSPARENT, v.transparent);
    DDX_Text(dx, IDC_NAME, v.name);
    DDX_Radio(dx, IDC_KIND_BOX, v.markerKind);
    DDX_CBIndex(dx, IDC_SYMBOL, v.markerSymbol);
    DDX_Text(dx, IDC_MARKER_SIZE, v.markerSize);
    DDV_MinMaxInt(dx, v.markerSize, 1, 20);
    DDX_CBIndex(dx, IDC_PARTNER, v.partnerIndex);
    DDX_ColorButton(dx, IDC_COLOUR, v.color);
}

BOOL CCurveDlg::OnInitDialog()
{
    UpdateData(FALSE);   // binds the member controls
    if (auto* type = dynamic_cast<CComboBox*>(GetDlgItem(IDC_TYPE))) {
        type->ResetContent();
        type->AddString("Line");
        type->AddString("Scatter");
    }
    if (auto* style = dynamic_cast<CComboBox*>(GetDlgItem(IDC_LINE_STYLE))) {
        style->ResetContent();
        for (const char* t : kLineStyleTexts)
            style->AddString(t);
    }
    for (int i = 0; i < 6; ++i)
        if (auto* pic = dynamic_cast<CStatic*>(GetDlgItem(kFillPictures[i]))) {
            CRect r;
            pic->GetClientRect(&r);
            pic->SetImage(HatchSample(i, std::max(4, r.Width()), std::max(4, r.Height())));
        }
    InitFromCurve();
    return TRUE;
}

void CCurveDlg::FollowSheet()
{
    // The window names its curve by index; a pointer kept from before
    // could outlive a deleted curve.
    if (CChartPage* sheet = GetSheet())
        m_pCurve = sheet->GetCurveTarget();
}

void CCurveDlg::InitFromCurve()
{
    FollowSheet();
    if (!IsWindow() || !m_pCurve)
        return;
    CPlot* chart = m_pCurve->GetGraph();
    const int self = chart ? chart->GetCurveIndex(m_pCurve) : -1;
    m_Partner.ResetContent();
    if (chart)
        for (int i = 0; i < chart->GetCurveCount(); ++i)
            if (i != self)
                m_Partner.AddString(CString::Formatted("%d %s", i + 1, chart->GetCurve(i).GetLabel().GetString()));
    m_Symbol.ResetContent();
    for (int i = 0; i < 8; ++i)
        m_Symbol.AddString("");
    m_MarkerSpin.SetRange32(1, 20);
    m_WidthSpin.SetRange32(1, 5);
    m_Values = ChartDlgLogic::ReadCurve(chart, *m_pCurve);
    UpdateData(FALSE);
    ApplyEnabling(m_Values.fill != 0, m_Values.showMarkers != 0, m_Values.markerKind);
    EnableApply(false);
    MarkClean();
}

void CCurveDlg::ApplyEnabling(bool fill, bool markers, int kind)
{
    for (int id : kFillRadios)
        Enable(id, fill);
    Enable(IDC_TRANSPARENT, fill);
    Enable(IDC_PARTNER, fill);
    Enable(IDC_KIND_BOX, markers);
    Enable(IDC_KIND_SYMBOL, markers);
    Enable(IDC_SYMBOL, markers && kind == 1);
}

void CCurveDlg::OnChange()
{
    if (!BeginChange() || !QuietInt(IDC_WIDTH, 1, 5) || !QuietInt(IDC_MARKER_SIZE, 1, 20))
        return;
    EnableApply(true);
    const int kind = IsDlgButtonChecked(IDC_KIND_SYMBOL) ? 1 : 0;
    ApplyEnabling(IsDlgButtonChecked(IDC_FILL) != 0, IsDlgButtonChecked(IDC_SHOW_MARKERS) != 0, kind);
}

bool CCurveDlg::Apply()
{
    FollowSheet();
    if (!m_pCurve || !IsWindow())
        return true;
    if (!UpdateData(TRUE))
        return false;
    CPlot* chart = m_pCurve->GetGraph();
    ChartDlgLogic::WriteCurve(m_Values, chart, *m_pCurve, DefaultColour());
    if (chart && chart->IsWindow())
        chart->Invalidate(TRUE);
    EnableApply(false);
    MarkClean();
    return true;
}

void CCurveDlg::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis)
{
    if (mis && (id == IDC_LINE_STYLE || id == IDC_SYMBOL)) {
        mis->itemHeight = 16;
        mis->itemWidth = id == IDC_LINE_STYLE ? 100 : 16;
        return;
    }
    CChartSubPage::OnMeasureItem(id, mis);
}

void CCurveDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT dis)
{
    if (dis && dis->CtlType == ODT_COMBOBOX && id == IDC_LINE_STYLE) {
        DrawLineStyleItem(dis);
        return;
    }
    if (dis && dis->CtlType == ODT_COMBOBOX && id == IDC_SYMBOL) {
        if (!dis->hDC || dis->itemID >= 8)
            return;
        CRect r(dis->rcItem);
        dis->hDC->FillSolidRect(&r, GetSysColor((dis->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        CDCEx dc;
        dc.ShareTarget(dis->hDC);
        const COLORREF c = (dis->itemState & ODS_DISABLED) ? GetSysColor(COLOR_INACTIVEBORDER) : RGB(0, 0, 0);
        DrawMarkerShape(static_cast<int>(dis->itemID), r.left + 2, r.top + 2, 10, c, &dc);
        dc.ReleaseShared();
        return;
    }
    CChartSubPage::OnDrawItem(id, dis);
}

// ---- analysis ------------------------------------------------------------------

CPlotDataSerie* CCurveDlg::AddDerivedCurve(std::vector<ChartPoint>& points, const CString& name)
{
    CPlot* chart = m_pCurve ? m_pCurve->GetGraph() : nullptr;
    if (!chart || points.empty())
        return nullptr;
    const int source = chart->GetCurveIndex(m_pCurve);
    CPlotDataSerie* added = nullptr;
    try {
        added = chart->SetData(points.data(), static_cast<long>(points.size()), chart->GetCurveCount(),
                               m_pCurve->GetXAxisIndex(), m_pCurve->GetYAxisIndex(), true, true, false);
    } catch (const std::bad_alloc&) {
        TooBig(this);
        return nullptr;
    }
    if (source >= 0)
        m_pCurve = &chart->GetCurve(source);
    if (added) {
        added->SetLabel(name);
        // The new curve is a choice on the chart page and a fill partner
        // here (it comes last, after this curve).
        m_Partner.AddString(CString::Formatted("%d %s", chart->GetCurveCount(), name.GetString()));
        if (CChartPage* sheet = GetSheet(); sheet && sheet->GetChartDlg())
            sheet->GetChartDlg()->RefreshChoices();
    }
    if (chart->IsWindow())
        chart->Invalidate(TRUE);
    return added;
}

void CCurveDlg::OnMovingAverage()
{
    FollowSheet();
    if (!m_pCurve)
        return;
    const int n = m_pCurve->GetCount();
    if (n < 2) {
        MessageBox(this, ChartDlgLogic::MessageText(ChartDlgLogic::Message::AverageNeedsTwoPoints), nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CMovingAvgDlg dlg(this);
    dlg.m_nMaxWindowSize = n / 2;
    if (dlg.DoModal() != IDOK)
        return;
    if (!ChartDlgLogic::AverageTypeName(dlg.m_nType))
        return;
    std::vector<ChartPoint> points;
    try {
        points = PlotMath::MovingAverage(ChartDlgLogic::AverageKind(dlg.m_nType), m_pCurve->GetPoints(), n,
                                         dlg.m_nWindowSize);
    } catch (const std::bad_alloc&) {
        TooBig(this);
        return;
    }
    AddDerivedCurve(points, ChartDlgLogic::AverageCurveName(m_pCurve->GetLabel(), dlg.m_nType));
}

void CCurveDlg::OnPolynomialTrend() { Trend(0); }
void CCurveDlg::OnLinearTrend() { Trend(1); }
void CCurveDlg::OnCubicTrend() { Trend(2); }

void CCurveDlg::Trend(int kind)
{
    FollowSheet();
    if (!m_pCurve)
        return;
    CTrendDlg dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    const int n = m_pCurve->GetCount();
    if (static_cast<long long>(n) + dlg.m_nExpansion > kMaxDerivedPoints) {
        TooBig(this);
        return;
    }
    std::vector<ChartPoint> points;
    try {
        if (kind == 0)
            points = m_pCurve->PolynomialTrendOfDegree(dlg.m_nMaxDegree, dlg.m_nExpansion);
        else if (kind == 1)
            points = m_pCurve->LinearTrend(dlg.m_nExpansion);
        else
            points = m_pCurve->CubicTrend(dlg.m_nExpansion);
    } catch (const std::bad_alloc&) {
        TooBig(this);
        return;
    }
    if (points.empty()) {
        MessageBox(this, ChartDlgLogic::MessageText(ChartDlgLogic::Message::NoTrend), nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const CString formula = kind == 0 ? ChartDlgLogic::FormulaText(m_pCurve->GetSolver()) : CString();
    CPlotDataSerie* added = AddDerivedCurve(points, ChartDlgLogic::TrendCurveName(m_pCurve->GetLabel(), kind));
    if (!added || kind != 0)
        return;
    CPlot* chart = added->GetGraph();
    CPlotLabel* label = chart->InsertLabel(formula);
    CRect r(200, 200, 210, 210);
    if (chart->IsWindow()) {
        CClientDC dc(chart);
        CQuickFont font(label->GetLogFont());
        CFont* old = dc.SelectObject(&font);
        dc.DrawText(formula, &r, DT_CALCRECT);
        dc.SelectObject(old);
    }
    label->SetRect(r.left, r.top, r.right, r.bottom);
}
