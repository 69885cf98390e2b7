// The axis page of the property window: one X or Y axis of the chart.
#pragma once

#include "chart/ChartDlgLogic.h"
#include "chart/ChartSubPage.h"
#include "chart/ColorButton.h"

class CPlotAxis;

class CAxisDlg : public CChartSubPage {
    VX_DECLARE_DYNAMIC(CAxisDlg)
public:
    enum {
        IDD = 5007,
        IDC_TITLE = 6010, IDC_TITLE_FONT = 6002, IDC_SCALE_FONT = 6001, IDC_AUTOSCALE = 6039, IDC_VISIBLE = 6009,
        IDC_GRID = 6014, IDC_TIME = 6015, IDC_SHOW_MARKERS = 6058, IDC_FORMAT = 6046, IDC_DECIMALS = 6016,
        IDC_DECIMALS_SPIN = 6017, IDC_ARROW = 6018, IDC_ARROW_SPIN = 6019, IDC_TICK = 6020, IDC_TICK_SPIN = 6021,
        IDC_MARKER = 6022, IDC_MARKER_SPIN = 6023, IDC_GRID_STYLE = 6072, IDC_PLACEMENT = 6077, IDC_COLOUR = 6007,
        IDC_GRID_COLOUR = 6033, IDC_MIN = 6040, IDC_MAX = 6013, IDC_STEP = 6024, IDC_MIN_DATE = 6025,
        IDC_MIN_TIME = 6026, IDC_MAX_DATE = 6029, IDC_MAX_TIME = 6030, IDC_TIME_STEP = 6081, IDC_TIME_UNIT = 6083
    };

    explicit CAxisDlg(CChartPage* sheet = nullptr);
    ~CAxisDlg() override;

    void SetAxis(CPlotAxis* axis) { m_pAxis = axis; }
    CPlotAxis* GetAxis() const { return m_pAxis; }
    // Reads the axis into the controls.
    void InitFromAxis();
    bool Apply() override;
    void Reload() override { InitFromAxis(); }

    CSpinButtonCtrl m_MarkerSpin, m_ArrowSpin, m_TickSpin;
    CColorButton m_GridColour, m_AxisColour;
    CSpinButtonCtrl m_DecimalsSpin;
    ChartDlgLogic::AxisValues m_Values;
    CPlotAxis* m_pAxis = nullptr;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnDrawItem(int id, LPDRAWITEMSTRUCT dis) override;
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) override;
    void OnChange();
    void OnTitleFont();
    void OnScaleFont();

private:
    void FollowSheet();
    void ChooseFont(bool title);
    void ApplyEnabling(bool autoscale, bool timeAxis);
    bool ControlsValid() const;
};
