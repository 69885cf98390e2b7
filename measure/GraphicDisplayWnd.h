// The measure page's live chart: a chart drawing straight from the point
// store, a scroll slider above it (where the visible window ends, as a share
// of the newest x) and a range slider below it (the visible interval).
// Points reach the store at once and the chart at the next showCurve, so the
// page decides how often the chart is re-bound and repainted.
#pragma once

#include "chart/ChartPage.h"
#include "chart/NiceSliderCtrl.h"
#include "chart/Plot.h"
#include "chart/RangeSlider.h"
#include "measure/CDataManager.h"
#include "platform/CCriticalSection.h"
#include "platform/CString.h"
#include "platform/Wnd.h"

#include <memory>
#include <vector>

// A text for one control of the chart's property pages: -1 the dialog's
// caption, -2 the page's tab, any other id a control of the page.
struct DLGTEXTELEMENT {
    int id = 0;
    CString text;
};
using CDlgTextArray = std::vector<DLGTEXTELEMENT>;

// Messages the chart sends its parent.
constexpr UINT WM_PLOT_CONTEXTMENU = WM_USER + 8;
constexpr UINT WM_PLOT_ZOOMCHANGED = WM_USER + 10;
constexpr UINT WM_PLOT_SELECTION = WM_USER + 12;

// One entry of the live chart's context menu; command 0 is a separator.
struct LiveMenuItem {
    UINT command = 0;
    CString text;
    bool checked = false;
    bool operator==(const LiveMenuItem&) const = default;
};

class CGraphicDisplayWnd : public CWnd, public CDataStoreOwner {
public:
    static constexpr const char* kClassName = "GraphicDisplayWnd";
    static constexpr UINT kScrollSliderId = 4711;
    static constexpr UINT kRangeSliderId = 4712;
    static constexpr int kScrollScale = 10000;
    static constexpr UINT_PTR kApplyTimer = 1;
    static constexpr UINT kApplyDelayMs = 50;
    static constexpr int kMenuTextCount = 13;
    enum MenuText {
        MenuSelect, MenuZoomIn, MenuZoomOut, MenuPan, MenuCursor, MenuGrid, MenuFitX, MenuFitY,
        MenuLegend, MenuCurveOnOff, MenuMeasure, MenuReset, MenuProperties
    };
    // The menu's commands; they are this window's own and never reach the
    // chart, which gives the same numbers other meanings.
    enum MenuCommand : UINT {
        kCmdSelect = 4000,
        kCmdZoomIn = 60001,
        kCmdZoomOut = 60002,
        kCmdPan = 60003,
        kCmdCursor = 60004,
        kCmdGrid = 60005,
        kCmdFitX = 60006,
        kCmdFitY = 60007,
        kCmdLegend = 60008,
        kCmdCurveOnOff = 60009,
        kCmdMeasure = 60010,
        kCmdReset = 60011,
        kCmdProperties = 60012,
    };
    static constexpr UINT_PTR kReadoutArmTimer = 2;
    static constexpr UINT_PTR kReadoutHideTimer = 3;
    static constexpr UINT kReadoutDelayMs = 2000;
    static constexpr UINT kReadoutTimeMs = 3000;

    // The menu for these item texts (in menu order; empty leaves an item
    // out): the legend item is checked while the legend shows, and the
    // properties item, after a separator, needs a Y axis and a curve.
    static std::vector<LiveMenuItem> BuildMenu(const CString (&texts)[kMenuTextCount], bool legendShown,
                                               bool chartHasAxisAndCurve);
    // The read-out's text for a point of a curve: "Kurve n", then x with
    // the X title and y with the curve's name.
    static CString ReadoutText(int curve, double x, const CString& xTitle, double y, const CString& curveName);

    CGraphicDisplayWnd();
    ~CGraphicDisplayWnd() override;

    // Builds the chart, the sliders and ten hidden curves inside this
    // window (created over the parent's control id first when it has no
    // window yet). False when a chart exists already or cannot be made.
    BOOL CreateDisplay(CWnd* parent, UINT id, int flag);

    // ---- data path ----
    int addPoint(int curve, double x, double y);
    bool ClearCurve(int curve);
    void showCurve(int curve, bool show, bool withAxis, bool resetRange);

    // ---- visible x window ----
    void SetXRange(double from, double to);
    void SetFollowWidth(double width);
    void SetScrollMode(int mode);
    double GetX0() const { return m_dX0; }
    double GetX1() const { return m_dX1; }
    double GetFollowWidth() const { return m_dFollowWidth; }
    int GetScrollMode() const { return m_nScrollMode; }
    int GetScrollPosition() const { return m_nScrollPos; }

    // ---- curve and axis looks (nothing for an index the chart lacks) ----
    void SetCurveLineSize(int curve, int width);
    void SetCurveLabel(int curve, const CString& label);
    void SetCurveColor(int curve, COLORREF color);
    void SetYAxisFlag(int axis, bool autoScale);
    void SetYAxisLabel(int axis, const CString& format);
    void SetYAxisTitle(int axis, const CString& title);
    void SetXAxisTitle(const CString& title);

    // ---- the store's points (what was measured, not what was drawn) ----
    int GetPointCount(int curve) const;
    double GetPointX(int curve, int index) const;
    double GetPointY(int curve, int index) const;
    // Points first .. first + n - 1 of the curve into xs and ys under one
    // lock (an export reads millions); returns how many there were.
    size_t GetPoints(int curve, size_t first, size_t n, double* xs, double* ys) const;

    bool SaveBitmap(const CString& path);

    // ---- texts of the context menu and the property pages ----
    void SetMenuTextSelect(const CString& t) { m_strMenu[MenuSelect] = t; }
    void SetMenuTextZoomIn(const CString& t) { m_strMenu[MenuZoomIn] = t; }
    void SetMenuTextZoomOut(const CString& t) { m_strMenu[MenuZoomOut] = t; }
    void SetMenuTextPan(const CString& t) { m_strMenu[MenuPan] = t; }
    void SetMenuTextCursor(const CString& t) { m_strMenu[MenuCursor] = t; }
    void SetMenuTextGrid(const CString& t) { m_strMenu[MenuGrid] = t; }
    void SetMenuTextFitX(const CString& t) { m_strMenu[MenuFitX] = t; }
    void SetMenuTextFitY(const CString& t) { m_strMenu[MenuFitY] = t; }
    void SetMenuTextLegend(const CString& t) { m_strMenu[MenuLegend] = t; }
    void SetMenuTextCurveOnOff(const CString& t) { m_strMenu[MenuCurveOnOff] = t; }
    void SetMenuTextMeasure(const CString& t) { m_strMenu[MenuMeasure] = t; }
    void SetMenuTextReset(const CString& t) { m_strMenu[MenuReset] = t; }
    void SetMenuTextProperties(const CString& t) { m_strMenu[MenuProperties] = t; }
    const CString& GetMenuText(int item) const { return m_strMenu[item]; }
    void SetChartDialogTexts(const CDlgTextArray& texts) { m_ChartTexts = texts; }
    void SetAxisDialogTexts(const CDlgTextArray& texts) { m_AxisTexts = texts; }
    void SetCurveDialogTexts(const CDlgTextArray& texts) { m_CurveTexts = texts; }
    const CDlgTextArray& GetChartDialogTexts() const { return m_ChartTexts; }
    const CDlgTextArray& GetAxisDialogTexts() const { return m_AxisTexts; }
    const CDlgTextArray& GetCurveDialogTexts() const { return m_CurveTexts; }

    // ---- parts, for the page and tests ----
    CPlot* GetPlot() const { return m_pPlot.get(); }
    CNiceSliderCtrl* GetScrollSlider() const { return m_pScrollSlider.get(); }
    CRangeSlider* GetRangeSlider() const { return m_pRangeSlider.get(); }
    const CDataManager& GetStore() const { return *m_pStore; }
    CPlotLabel* GetReadoutLabel() const { return m_pReadout; }
    CChartPage* GetChartPage() const { return m_pChartPage.get(); }
    // The curve the chart last reported under the mouse, -1 for none.
    int GetSelectedCurve() const { return m_nSelectedCurve; }
    bool IsReadoutArmed() const { return m_nTimer2 != 0; }
    bool IsReadoutShown() const { return m_bReadoutShown; }

    // Where the scroll slider stands for a window ending at x when the
    // newest x is newest: x / newest of the scale, 0 when that is no
    // number (no points, newest 0), clamped to the scale.
    static int ScrollPosition(double x, double newest);

    // Invalidates the chart; it paints once when the event loop next runs.
    void Redraw();

    // Slider notifications (also reachable as messages).
    LRESULT OnIntervalChange(WPARAM which, LPARAM);
    LRESULT OnZoomChanged(WPARAM, LPARAM);
    // Chart notifications: the right button (the menu) and the curve under
    // the mouse (arms the read-out).
    LRESULT OnPlotContextMenu(WPARAM, LPARAM);
    LRESULT OnPlotSelection(WPARAM curve, LPARAM);

    void OnCurveArrayMoved(int curve, std::uintptr_t oldAddress, ChartPoint* newArray, unsigned count) override;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    void OnHScroll(UINT sbCode, UINT pos, CWnd* scrollBar) override;
    void OnDestroy() override;
    void OnPaint() override;

private:
    void Layout();
    void UpdateScrollControls();
    bool HasCurve(int curve) const { return m_pPlot && curve >= 0 && curve < m_pPlot->GetCurveCount(); }
    bool HasYAxis(int axis) const { return m_pPlot && axis >= 0 && axis < m_pPlot->GetYAxisCount(); }
    bool StoreHasPoints() const;
    void SetDefaultDialogTexts();
    void ShowReadout();
    void HideReadout();
    // Interaction on, no mode, then the mode of the command.
    void EnterMode(void (CPlot::*mode)());
    // X axis 0 or Y axis 0 over every visible curve that has points.
    void FitVisible(bool xAxis);
    void OnSelectCurve();
    void OnZoomIn();
    void OnZoomOut();
    void OnPanMode();
    void OnCursorMode();
    void OnGrid();
    void OnFitX();
    void OnFitY();
    void OnLegend();
    void OnCurveOnOff();
    void OnMeasureMode();
    void OnResetMode();
    void OnProperties();

    std::unique_ptr<CPlot> m_pPlot;
    std::unique_ptr<CNiceSliderCtrl> m_pScrollSlider;
    std::unique_ptr<CRangeSlider> m_pRangeSlider;
    std::unique_ptr<CDataManager> m_pStore;
    double m_dX0 = 0.0;
    double m_dX1 = 0.0;
    int m_nScrollPos = 0;
    bool m_bInSliderHandler = false;
    int m_nScrollSliderHeight = 20;
    int m_nRangeSliderHeight = 20;
    int m_bRangeSliderOnTop = 0;
    int m_bScrollSliderOnTop = 1;
    COLORREF m_crInner = 0xFFFFFF;
    COLORREF m_crBack = 0x7F7F7F;
    COLORREF m_crOuter = 0xC0C0C0;
    int m_nScrollMode = 0;
    double m_dFollowWidth = 0.0;
    CString m_strMenu[kMenuTextCount];
    CString m_strCurveTitleFormat = "Kurve %i";
    CString m_strReadoutFormat = "%f %s\r\n%f %s";
    UINT_PTR m_nTimer1 = 0;
    CPlotLabel* m_pReadout = nullptr;
    CDlgTextArray m_CurveTexts;
    CDlgTextArray m_ChartTexts;
    CDlgTextArray m_AxisTexts;
    bool m_bRangeBusy = false;
    mutable CCriticalSection m_lock;
    bool m_bNoTimer = false;
    std::unique_ptr<CChartPage> m_pChartPage;
    int m_nSelectedCurve = -1;
    bool m_bReadoutShown = false;
    UINT_PTR m_nTimer2 = 0;
    UINT_PTR m_nTimer3 = 0;
    int m_nReadoutWidth = 100;
    int m_nReadoutHeight = 50;
};
