// The chart's modeless property window "Plot-Properties": a tab control
// with the chart page, the axis page and the curve page. The owner (the
// live chart window) creates it hidden with the chart as parent, shows it
// from its menu and hands it the translated texts of the pages.
#pragma once

#include "platform/CString.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"

#include <memory>

class CPlot;
class CPlotAxis;
class CPlotDataSerie;
class CChartDlg;
class CAxisDlg;
class CCurveDlg;

class CChartPage : public CDialog {
    VX_DECLARE_DYNAMIC(CChartPage)
public:
    enum { IDD = 5000, IDC_TAB = 6073 };
    enum Page { ChartTab = 0, AxisTab = 1, CurveTab = 2 };
    // Where the pages sit inside the tab control, in pixels.
    static constexpr int kPageX = 8;
    static constexpr int kPageY = 25;

    // The chart is also the window's parent (owner) unless Create says else.
    explicit CChartPage(CPlot* chart = nullptr);
    ~CChartPage() override;

    void SetChart(CPlot* chart) { m_pChart = chart; }
    CPlot* GetChart() const { return m_pChart; }
    // Creates the hidden window from its template; parent null: the chart.
    BOOL CreateSheet(CWnd* parent = nullptr);
    // Shows the window: every page re-reads its object, tab 0 is shown.
    void ShowSheet();
    // OK and Cancel of the sheet: hide and repaint the chart; nothing is
    // written back here.
    void CloseSheet();

    // The axis or curve the pages edit; each re-reads its object.
    void RetargetAxisPageToX(int index);
    void RetargetAxisPageToY(int index);
    void RetargetCurvePage(int index);
    // Current targets (the axis page edits an X axis when isX).
    bool AxisTargetIsX() const { return m_bAxisIsX; }
    int GetAxisTargetIndex() const { return m_nAxisIndex; }
    int GetCurveTargetIndex() const { return m_nCurveIndex; }
    CPlotAxis* GetAxisTarget() const;
    CPlotDataSerie* GetCurveTarget() const;

    // ---- the owner's texts --------------------------------------------
    // Removes every tab; the texts that follow insert them again.
    void ClearTabs();
    // One text record for page (ChartTab, AxisTab, CurveTab): id -2 is the
    // page's own text and inserts its tab, -1 the window's caption, any
    // other id the page's control of that id (when it has one).
    void ApplyText(int page, int id, const CString& text);
    // The whole set as the owner keeps it: records with .id and .text.
    template <class Records>
    void ApplyDialogTexts(const Records& chart, const Records& axis, const Records& curve)
    {
        EnsurePages();
        ClearTabs();
        for (const auto& r : chart)
            ApplyText(ChartTab, r.id, r.text);
        for (const auto& r : axis)
            ApplyText(AxisTab, r.id, r.text);
        for (const auto& r : curve)
            ApplyText(CurveTab, r.id, r.text);
    }

    CTabCtrl* GetTabCtrl() { return m_pTab; }
    CChartDlg* GetChartDlg() const { return m_pChartDlg.get(); }
    CAxisDlg* GetAxisDlg() const { return m_pAxisDlg.get(); }
    CCurveDlg* GetCurveDlg() const { return m_pCurveDlg.get(); }
    CDialog* GetPage(int page) const;
    // Shows the page of tab index (as a tab click does).
    void SelectPage(int index);
    // Makes the three pages when they do not exist yet.
    void EnsurePages();
    // Applies every page whose Apply is enabled; false when one refused
    // its values (the sheet then stays open).
    bool ApplyAll();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTabChange(NMHDR* header, LRESULT* result);

private:
    void PlacePage(CDialog* page, bool top);
    void RetargetAxisPage(bool isX, int index);
    void ResolveTargets();

    CTabCtrl* m_pTab = nullptr;
    std::unique_ptr<CChartDlg> m_pChartDlg;
    std::unique_ptr<CCurveDlg> m_pCurveDlg;
    std::unique_ptr<CAxisDlg> m_pAxisDlg;
    CPlot* m_pChart = nullptr;
    bool m_bAxisIsX = false;
    int m_nAxisIndex = 0;
    int m_nCurveIndex = 0;
};
