// The chart window: curves on any number of X and Y axes, labels and data
// notations, a legend and a read-out box, painted double-buffered.
#pragma once

#include "chart/ChartPoint.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDataSerie.h"
#include "chart/PlotInteract.h"
#include "chart/PlotLabel.h"
#include "platform/Collections.h"
#include "platform/Wnd.h"

#include <QImage>

#include <memory>
#include <vector>

class CArchive;
class CDCEx;

// One finished measurement between two curve points.
struct PlotMeasure {
    int curve1 = -1;
    int point1 = -1;
    int curve2 = -1;
    int point2 = -1;
};

struct PlotLegendEntry {
    CRect rect;
    CPlotDataSerie* curve = nullptr;
};

class CPlot : public CWnd {
    VX_DECLARE_SERIAL(CPlot)
public:
    static constexpr const char* kClassName = "PlotWnd";

    CPlot();
    ~CPlot() override;

    // Creates the window of class "PlotWnd" as a child of parent.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    using CWnd::Create;

    // ---- data ----
    CPlotDataSerie* SetData(ChartPoint* points, long count, int curve, int xAxis, int yAxis,
                            bool autoscale, bool copy, bool resetRange);
    void FitAxes(int xAxis, int yAxis, int curve);
    bool DeleteCurve(int curve);
    void SetAxisDecimals(int axis, int places, int which);

    CPlotAxis& GetXAxis(int i) { return *m_XAxes[static_cast<size_t>(i)]; }
    CPlotAxis& GetYAxis(int i) { return *m_YAxes[static_cast<size_t>(i)]; }
    CPlotDataSerie& GetCurve(int i) { return *m_Curves[static_cast<size_t>(i)]; }
    const CPlotDataSerie& GetCurve(int i) const { return *m_Curves[static_cast<size_t>(i)]; }
    int GetXAxisCount() const { return static_cast<int>(m_XAxes.size()); }
    int GetYAxisCount() const { return static_cast<int>(m_YAxes.size()); }
    int GetCurveCount() const { return static_cast<int>(m_Curves.size()); }
    int GetAxisIndex(const CPlotAxis* axis) const;
    int GetCurveIndex(const CPlotDataSerie* curve) const;
    // Null when the index is out of range (curves name axes by index).
    CPlotAxis* FindXAxis(int i) { return (i >= 0 && i < GetXAxisCount()) ? &GetXAxis(i) : nullptr; }
    CPlotAxis* FindYAxis(int i) { return (i >= 0 && i < GetYAxisCount()) ? &GetYAxis(i) : nullptr; }

    bool SelectCurve(int i);
    bool SelectXAxis(int i);
    bool SelectYAxis(int i);
    void ShowCurve(int i, bool show);
    CPlotLabel* InsertLabel(const CString& text);
    // Takes ownership of a label or notation and draws it last.
    void AddObject(CPlotObject* object);
    // Removes and deletes an object unless it is the read-out box or
    // protected; false when refused or not found.
    bool DeleteObject(CPlotObject* object);
    void DeleteAll();

    void SetBackColor(COLORREF c) { m_crBack = c; }
    void SetOuterColor(COLORREF c) { m_crOuter = c; }
    void SetInnerColor(COLORREF c) { m_crInner = c; }
    COLORREF GetBackColor() const { return m_crBack; }
    COLORREF GetOuterColor() const { return m_crOuter; }
    COLORREF GetInnerColor() const { return m_crInner; }
    void SetShowLegend(bool on) { m_bShowLegend = on; }
    bool GetShowLegend() const { return m_bShowLegend; }
    void SetInteractive(bool on) { m_bInteractive = on; }
    bool GetInteractive() const { return m_bInteractive; }
    CPoint GetCursorPoint() const { return m_MousePoint; }
    void SetLegendAlignment(int a) { m_nLegendAlignment = a; }
    int GetLegendAlignment() const { return m_nLegendAlignment; }
    void SetDoubleBuffer(bool on) { m_bDoubleBuffer = on; }
    bool GetDoubleBuffer() const { return m_bDoubleBuffer; }

    // ---- painting ----
    // The one paint routine for screen, image and printer: frame is the
    // client (or print) rectangle in logical pixels.
    void Paint(CDCEx* dc, const CRect& frame, bool printing);
    // Paints the whole chart into image (its size is the client size) and
    // keeps the snapshot; what the window's own paint does.
    void RenderTo(QImage& image);
    // RenderTo without keeping a snapshot.
    void RenderInto(QImage& image);
    CRect GetPlotRect() const { return m_PlotRect; }
    // The last painted picture; null image before the first paint.
    const QImage& GetSnapshot() const { return m_Snapshot; }
    bool HasSnapshot() const { return !m_Snapshot.isNull(); }
    // Flags of the screen context during paints (low colour for tests).
    long long GetLastPaintPrimitives() const { return m_nLastPrimitives; }

    // ---- state the interaction, persistence and property pages work on ----
    CObList& GetObjects() { return m_Objects; }
    CPlotLabel& GetReadout() { return m_Readout; }
    std::vector<PlotMeasure>& GetMeasures() { return m_Measures; }
    const std::vector<PlotLegendEntry>& GetLegendEntries() const { return m_LegendEntries; }
    int GetMode() const { return m_nMode; }
    void SetMode(int mode) { m_nMode = mode; }
    int GetSelectedCurve() const;
    int GetOptions() const { return m_nOptions; }
    void SetOptions(int o) { m_nOptions = o; }
    int GetSnapRange() const { return m_nSnapRange; }
    void SetSnapRange(int r) { m_nSnapRange = r; }
    bool GetSnap() const { return m_bSnap; }
    void SetSnap(bool on) { m_bSnap = on; }
    void GetMargins(int* l, int* t, int* r, int* b) const;
    void SetMargins(int l, int t, int r, int b);
    int GetAxisSpacing() const { return m_nAxisSpacing; }
    void SetAxisSpacing(int s) { m_nAxisSpacing = s; }

    // Colour table for new curves.
    static COLORREF CurveColor(int curve);

    // ---- persistence, bitmap export and printing ----
    // Parts of the stored state, combinable.
    static constexpr UINT kStoreAppearance = 1;
    static constexpr UINT kStoreCurvesAndAxes = 2;
    static constexpr UINT kStoreObjects = 4;
    static constexpr UINT kPrintCommand = 60007;
    using CWnd::Serialize;
    // Storing writes the parts in flags; loading reads what the stored flag
    // word names (flags is ignored) and appends to the chart. A damaged
    // archive (also one whose sizes no screen could show) throws its
    // exception and leaves the chart as it was.
    void Serialize(CArchive& ar, UINT flags);
    // False without writing anything for flags 0 or a file that cannot be
    // created, and false when writing fails, with the cause ("path:
    // reason") in *error; an older file of that name then stays whole.
    // Nothing is thrown.
    bool Save(const char* fileName, UINT flags, CString* error = nullptr);
    // Replaces the chart's curves, axes and objects with the file's. False
    // when the file cannot be opened or is damaged; the chart then keeps
    // its state. Nothing is thrown.
    bool Load(const char* fileName);
    // The last paint as a 32-bit .bmp; false before any paint or when the
    // file cannot be written.
    bool SaveBitmap(const char* fileName);
    // Asks for a printer and prints the chart on one page; nothing happens
    // when the dialog is cancelled.
    void OnPrint();
    // Prints on an open printer context: lays the chart out on the page in
    // screen pixels and lets the context scale it up. Returns the layout
    // rectangle used; the window's own layout is back when it returns.
    CRect PrintOn(CDCEx* printerDC);

    // ---- interaction ----
    void NoOp();
    void Zoom();
    void ResetZoom();
    void Pan();
    void Cursor();
    void Measure();
    void ZoomBack();
    // Finds what lies under the mouse point. A probe only answers whether
    // anything does; otherwise selection changes and the parent is told.
    bool HitTest(bool dblClick, bool probe);
    CRect GetZoomRect() const { return m_ZoomRect; }
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* dc) override;
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnLButtonDblClk(UINT flags, CPoint point) override;
    void OnRButtonDown(UINT flags, CPoint point) override;
    void OnRButtonUp(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
    void OnKeyUp(UINT nChar, UINT repCnt, UINT flags) override;
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    bool OnInteractCommand(UINT id);
    void NotifyParent(UINT msg, WPARAM wParam);
    void ApplyZoom();
    void PanTo(CPoint m);
    void Trend(bool cubic);
    void DeleteCurrentObject();
    // Cursor mode: snaps the mouse point to the nearest curve and fills the
    // read-out box.
    void TrackCursor();
    void DrawCursor(CDCEx* dc);
    void DrawPendingMeasure(CDCEx* dc);
    // One measurement from (x1, y1) across to x2 and down to y2, between
    // the points of curve1 and curve2 found at x1 and x2: guides, the
    // L-shaped path, arrow heads and the dx/dy texts.
    void DrawMeasure(CDCEx* dc, int x1, int y1, int x2, int y2, int curve1, int curve2);
    // Moves p's y onto the nearest point of a visible curve and records it
    // as the measurement's start or end.
    void SnapMeasurePoint(CPoint& p, bool start);
    // Forgets every pointer into curves and objects about to be freed.
    void DropObjectPointers();
    // Lays the window out again after another device used the layout.
    void RestoreScreenLayout();
    void AddCursorNotation();

    void LayoutLegend(CDCEx* dc, CRect& inner);
    void LayoutAxes(CDCEx* dc, const CRect& inner);
    void DrawMeasures(CDCEx* dc);
    struct LoadedSection;
    void ReadSection(CArchive& ar, LoadedSection& section);
    void ApplySection(LoadedSection& section);

    COLORREF m_crBack;
    COLORREF m_crOuter;
    COLORREF m_crInner;
    bool m_bDoubleBuffer = true;
    bool m_bShowLegend = true;
    bool m_bInteractive = true;
    int m_nLegendAlignment = 1;
    bool m_bSnap = true;
    int m_nSnapRange = 10;
    int m_nOptions = 7;
    CDCEx* m_pPrinterDC = nullptr;
    CRect m_PlotRect;
    CRect m_PrintRect;
    CPoint m_PanAnchor;
    int m_nMode = 0;
    int m_nCursorCurve = -1;
    int m_nMeasureEndCurve = 0;
    int m_nMarginLeft = 5, m_nMarginTop = 5, m_nMarginRight = 5, m_nMarginBottom = 5;
    int m_nAxisSpacing = 5;
    CRect m_ZoomRect;
    QImage m_Snapshot;
    CPoint m_PressPoint;
    CPoint m_PrevCursorPoint{-1, -1};
    CPoint m_MousePoint;
    bool m_bLeftDown = false;
    bool m_bRightDown = false;
    bool m_bHover = false;
    double m_dDraggedValue = 0.0;
    bool m_bShowDraggedValue = false;
    int m_nSelectedCurve = -1;
    double m_dCursorX = 0.0;
    double m_dCursorY = 0.0;
    CPlotLabel m_Readout;
    PlotMeasure m_PendingMeasure;
    std::vector<PlotMeasure> m_Measures;
    std::vector<PlotLegendEntry> m_LegendEntries;
    // Held by pointer: addresses stay put when curves or axes are added.
    std::vector<std::unique_ptr<CPlotDataSerie>> m_Curves;
    std::vector<std::unique_ptr<CPlotAxis>> m_XAxes;
    std::vector<std::unique_ptr<CPlotAxis>> m_YAxes;
    CObList m_Objects;
    CPlotObject* m_pCurrentObject = nullptr;
    QImage m_BackBuffer;
    QImage m_BackBufferB;
    bool m_bBackBufferB = false;
    long long m_nLastPrimitives = 0;
    // The object whose tracker follows the mouse while the left button is down.
    CPlotObject* m_pTrackingObject = nullptr;
    CRectTracker* m_pActiveTracker = nullptr;
    // Cursor mode: the mouse has been over the chart since the mode began,
    // so a paint may show the read-out for where it rests; the point before
    // snapping, so that the cursor stays with the mouse, not the data.
    bool m_bCursorPlaced = false;
    CPoint m_CursorMouse;
    // Which value marker is being dragged and which curve point is picked.
    int m_nDraggedXMarker = -1;
    int m_nDraggedYMarker = -1;
    int m_nPickedCurve = -1;
    int m_nPickedPoint = -1;
    PlotInteract::PointPickRecord m_PickRecord;
};
