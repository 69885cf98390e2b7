// The chart page of the property window: the chart's colours, legend,
// snapping and buffering, and the choice of the axis and curve that the
// other two pages edit.
#pragma once

#include "chart/ChartDlgLogic.h"
#include "chart/ChartSubPage.h"
#include "chart/ColorButton.h"

class CPlot;

class CChartDlg : public CChartSubPage {
    VX_DECLARE_DYNAMIC(CChartDlg)
public:
    enum {
        IDD = 5011,
        IDC_BACK = 6047, IDC_OUTER = 6048, IDC_INNER = 6049, IDC_LEGEND = 6050, IDC_LEGEND_ALIGN = 6051,
        IDC_SNAP = 6076, IDC_SNAP_RANGE = 6075, IDC_SNAP_SPIN = 6074, IDC_XAXES = 6055, IDC_YAXES = 6070,
        IDC_CURVES = 6057, IDC_BUFFER = 6052
    };

    explicit CChartDlg(CChartPage* sheet = nullptr);
    ~CChartDlg() override;

    void SetChart(CPlot* chart) { m_pChart = chart; }
    CPlot* GetChart() const { return m_pChart; }
    bool Apply() override;
    void Reload() override;
    // The axis and curve lists again (a curve was added); other edits stay.
    void RefreshChoices();

    CSpinButtonCtrl m_SnapSpin;
    CComboBox m_Curves, m_YAxes, m_XAxes, m_LegendAlign;
    CColorButton m_InnerColour, m_OuterColour, m_BackColour;
    CPlot* m_pChart = nullptr;
    ChartDlgLogic::ChartValues m_Values;
    int m_nXAxis = -1;
    int m_nYAxis = -1;
    int m_nCurve = -1;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnChange();
    void OnChooseX();
    void OnChooseY();
    void OnChooseCurve();

private:
    void FillLists();
    void ChooseAxis(bool isX);
};
