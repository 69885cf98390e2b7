#include "chart/ChartDlg.h"

#include "chart/ChartPage.h"
#include "chart/Plot.h"
#include "platform/DDX.h"

VX_IMPLEMENT_DYNAMIC(CChartDlg, CChartSubPage)

CChartDlg::CChartDlg(CChartPage* sheet) : CChartSubPage(IDD, sheet)
{
    VX_ON_CONTROL(BN_CLICKED, IDC_LEGEND, OnChange);
    VX_ON_CONTROL(BN_CLICKED, IDC_BUFFER, OnChange);
    VX_ON_CONTROL(BN_CLICKED, IDC_SNAP, OnChange);
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_LEGEND_ALIGN, OnChange);
    VX_ON_CONTROL(EN_CHANGE, IDC_SNAP_RANGE, OnChange);
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_XAXES, OnChooseX);
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_YAXES, OnChooseY);
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_CURVES, OnChooseCurve);
}

CChartDlg::~CChartDlg() = default;

void CChartDlg::DoDataExchange(CDataExchange* dx)
{
    CChartSubPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_SNAP_SPIN, m_SnapSpin);
    DDX_Control(dx, IDC_CURVES, m_Curves);
    DDX_Control(dx, IDC_YAXES, m_YAxes);
    DDX_Control(dx, IDC_XAXES, m_XAxes);
    DDX_Control(dx, IDC_LEGEND_ALIGN, m_LegendAlign);
    DDX_Control(dx, IDC_INNER, m_InnerColour);
    DDX_Control(dx, IDC_OUTER, m_OuterColour);
    DDX_Control(dx, IDC_BACK, m_BackColour);
    DDX_ColorButton(dx, IDC_BACK, m_Values.back);
    DDX_ColorButton(dx, IDC_OUTER, m_Values.outer);
    DDX_ColorButton(dx, IDC_INNER, m_Values.inner);
    DDX_Check(dx, IDC_LEGEND, m_Values.legend);
    DDX_Check(dx, IDC_BUFFER, m_Values.doubleBuffer);
    DDX_CBIndex(dx, IDC_XAXES, m_nXAxis);
    DDX_CBIndex(dx, IDC_YAXES, m_nYAxis);
    DDX_CBIndex(dx, IDC_CURVES, m_nCurve);
    DDX_CBIndex(dx, IDC_LEGEND_ALIGN, m_Values.legendAlign);
    DDX_Check(dx, IDC_SNAP, m_Values.snap);
    DDX_Text(dx, IDC_SNAP_RANGE, m_Values.snapRange);
    DDV_MinMaxInt(dx, m_Values.snapRange, 0, 100);
}

BOOL CChartDlg::OnInitDialog()
{
    Reload();
    return TRUE;
}

void CChartDlg::FillLists()
{
    m_Curves.ResetContent();
    m_XAxes.ResetContent();
    m_YAxes.ResetContent();
    m_nCurve = m_nXAxis = m_nYAxis = -1;
    if (!m_pChart)
        return;
    CChartPage* sheet = GetSheet();
    for (int i = 0; i < m_pChart->GetCurveCount(); ++i) {
        m_Curves.AddString(CString::Formatted("%d %s", i + 1, m_pChart->GetCurve(i).GetLabel().GetString()));
        if (sheet && sheet->GetCurveTargetIndex() == i)
            m_nCurve = i;
    }
    for (int i = 0; i < m_pChart->GetXAxisCount(); ++i) {
        m_XAxes.AddString(CString::Formatted("%d %s", i + 1, m_pChart->GetXAxis(i).GetLabel().GetString()));
        if (sheet && sheet->AxisTargetIsX() && sheet->GetAxisTargetIndex() == i)
            m_nXAxis = i;
    }
    for (int i = 0; i < m_pChart->GetYAxisCount(); ++i) {
        m_YAxes.AddString(CString::Formatted("%d %s", i + 1, m_pChart->GetYAxis(i).GetLabel().GetString()));
        if (sheet && !sheet->AxisTargetIsX() && sheet->GetAxisTargetIndex() == i)
            m_nYAxis = i;
    }
}

void CChartDlg::RefreshChoices()
{
    if (!IsWindow())
        return;
    FillLists();
    m_Curves.SetCurSel(m_nCurve);
    m_XAxes.SetCurSel(m_nXAxis);
    m_YAxes.SetCurSel(m_nYAxis);
}

void CChartDlg::Reload()
{
    if (!IsWindow())
        return;
    UpdateData(FALSE);   // binds the controls the first time
    // The alignment list has no entries of its own: the chart's codes.
    m_LegendAlign.ResetContent();
    m_LegendAlign.AddString("Left");
    m_LegendAlign.AddString("Right");
    if (m_pChart)
        m_Values = ChartDlgLogic::ReadChart(*m_pChart);
    m_SnapSpin.SetRange32(0, 100);
    FillLists();
    UpdateData(FALSE);
    Enable(IDC_LEGEND_ALIGN, m_Values.legend != 0);
    EnableApply(false);
    MarkClean();
}

void CChartDlg::OnChange()
{
    if (!BeginChange() || !QuietInt(IDC_SNAP_RANGE, 0, 100))
        return;
    EnableApply(true);
    Enable(IDC_LEGEND_ALIGN, IsDlgButtonChecked(IDC_LEGEND) != 0);
}

void CChartDlg::OnChooseX() { ChooseAxis(true); }

void CChartDlg::OnChooseY() { ChooseAxis(false); }

void CChartDlg::ChooseAxis(bool isX)
{
    CComboBox& chosen = isX ? m_XAxes : m_YAxes;
    CComboBox& other = isX ? m_YAxes : m_XAxes;
    const int index = chosen.GetCurSel();
    if (index < 0)
        return;
    // One axis is edited at a time: the other list shows none.
    (isX ? m_nXAxis : m_nYAxis) = index;
    (isX ? m_nYAxis : m_nXAxis) = -1;
    other.SetCurSel(-1);
    if (CChartPage* sheet = GetSheet())
        isX ? sheet->RetargetAxisPageToX(index) : sheet->RetargetAxisPageToY(index);
    if (m_pChart)
        isX ? m_pChart->SelectXAxis(index) : m_pChart->SelectYAxis(index);
}

void CChartDlg::OnChooseCurve()
{
    m_nCurve = m_Curves.GetCurSel();
    if (m_nCurve < 0)
        return;
    if (CChartPage* sheet = GetSheet())
        sheet->RetargetCurvePage(m_nCurve);
    if (m_pChart)
        m_pChart->SelectCurve(m_nCurve);
}

bool CChartDlg::Apply()
{
    if (!m_pChart || !IsWindow())
        return true;
    if (!UpdateData(TRUE))
        return false;
    ChartDlgLogic::WriteChart(m_Values, *m_pChart, DefaultColour());
    m_pChart->Invalidate(TRUE);
    EnableApply(false);
    MarkClean();
    return true;
}
