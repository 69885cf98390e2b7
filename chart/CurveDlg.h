// The curve page of the property window: one curve of the chart, and the
// analysis commands that add a moving average or a trend of it as a new
// curve.
#pragma once

#include "chart/ChartDlgLogic.h"
#include "chart/ChartSubPage.h"
#include "chart/ColorButton.h"

class CPlotDataSerie;

class CCurveDlg : public CChartSubPage {
    VX_DECLARE_DYNAMIC(CCurveDlg)
public:
    enum {
        IDD = 5004,
        IDC_NAME = 6010, IDC_TYPE = 6034, IDC_LINE_STYLE = 6008, IDC_WIDTH = 6035, IDC_WIDTH_SPIN = 6006,
        IDC_COLOUR = 6007, IDC_MARKER_SIZE = 6022, IDC_MARKER_SPIN = 6023, IDC_VISIBLE = 6009,
        IDC_PARTNER = 1000, IDC_SHOW_MARKERS = 6038, IDC_KIND_BOX = 6062, IDC_KIND_SYMBOL = 6059,
        IDC_SYMBOL = 6060, IDC_FILL = 6011, IDC_TRANSPARENT = 6012,
        IDC_FILL_FIRST = 6045,
        // The analysis commands; the template places them as buttons.
        IDC_MOVING_AVERAGE = 6085, IDC_LINEAR_TREND = 6086, IDC_CUBIC_TREND = 6087, IDC_POLY_TREND = 6088
    };
    // The fill style radios in their order (0 horizontal .. 6 solid).
    static constexpr int kFillRadios[7] = {6045, 6027, 6028, 6042, 6043, 6031, 6032};
    // The hatch pictures beside the first six radios.
    static constexpr int kFillPictures[6] = {5003, 5005, 5006, 5008, 5009, 5010};

    explicit CCurveDlg(CChartPage* sheet = nullptr);
    ~CCurveDlg() override;

    void SetCurve(CPlotDataSerie* curve) { m_pCurve = curve; }
    CPlotDataSerie* GetCurve() const { return m_pCurve; }
    // Reads the curve into the controls; nothing without a curve.
    void InitFromCurve();
    bool Apply() override;
    void Reload() override { InitFromCurve(); }

    void OnMovingAverage();
    void OnPolynomialTrend();
    void OnLinearTrend();
    void OnCubicTrend();

    CComboBox m_Partner;
    CSpinButtonCtrl m_WidthSpin, m_MarkerSpin;
    CComboBox m_Symbol;
    CColorButton m_Colour;
    ChartDlgLogic::CurveValues m_Values;
    CPlotDataSerie* m_pCurve = nullptr;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnDrawItem(int id, LPDRAWITEMSTRUCT dis) override;
    void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) override;
    void OnChange();

private:
    void FollowSheet();
    void ApplyEnabling(bool fill, bool markers, int kind);
    // Adds points as a new curve on the source's axes named name; the page
    // keeps editing the source. Null when nothing was added.
    CPlotDataSerie* AddDerivedCurve(std::vector<ChartPoint>& points, const CString& name);
    void Trend(int kind);
};
