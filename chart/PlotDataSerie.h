// One curve of the chart: points bound from the caller (or owned), drawn
// against one X and one Y axis as a polyline or dots, with markers and fill.
#pragma once

#include "chart/ChartPoint.h"
#include "chart/MinMaxSummary.h"
#include "chart/PlotMath.h"
#include "chart/PlotObject.h"
#include "platform/CString.h"

#include <vector>

class CPlotAxis;

struct PlotSegment {
    int x1, y1, x2, y2;
};

using PlotMath::CPolynomialSolver;

class CPlotDataSerie : public CPlotObject {
    VX_DECLARE_SERIAL(CPlotDataSerie)
public:
    CPlotDataSerie();
    CPlotDataSerie(const CPlotDataSerie& other);
    CPlotDataSerie& operator=(const CPlotDataSerie&) = delete;
    ~CPlotDataSerie() override;

    void Serialize(CArchive& ar) override;
    void Draw(CDCEx* dc) override;
    void DrawMarkers(CDCEx* dc, bool pickMode = false);
    static bool HitSegment(int x1, int y1, int x2, int y2, int px, int py, int tolerance)
    {
        return PlotMath::HitSegment(x1, y1, x2, y2, px, py, tolerance);
    }

    // Binds points: copies them into an owned array when copy is set, else
    // keeps the caller's pointer. A previously owned array is freed.
    void SetPoints(ChartPoint* points, int count, bool copy);
    ChartPoint* GetPoints() const { return m_pPoints; }
    bool OwnsPoints() const { return m_bOwnsPoints; }
    int GetCount() const { return m_nCount; }
    double GetX(int i) const { return (i >= 0 && i < m_nCount) ? m_pPoints[i].x : 0.0; }
    double GetY(int i) const { return (i >= 0 && i < m_nCount) ? m_pPoints[i].y : 0.0; }
    // Extents over the finite points; false when there is none.
    bool GetExtents(double* xmin, double* xmax, double* ymin, double* ymax) const;
    // Extents the binder keeps anyway (the live store does, as points
    // arrive): GetExtents answers with them instead of scanning every point,
    // for as long as the binding stays the same array and count.
    void SetKnownExtents(double xmin, double xmax, double ymin, double ymax);
    // A summary of the bound array's y extremes per block that the binder
    // keeps as points arrive (the live store does): where a pixel column
    // holds many points, the paint reads its extremes from the blocks
    // instead of from every point. It must describe the array's current
    // content as far as it covers it, and stays in use for as long as the
    // binding keeps the same array; null drops it.
    void SetKnownSummary(const MinMaxSummary* summary);
    const MinMaxSummary* GetKnownSummary() const { return m_pSummaryFor == m_pPoints ? m_pSummary : nullptr; }

    void SetLabel(const CString& name) { m_strName = name; }
    CString GetLabel() const { return m_strName; }
    void SetLineSize(int w) { m_nLineWidth = w; }
    int GetLineSize() const { return m_nLineWidth; }
    void SetLineStyle(UINT s) { m_nLineStyle = s; }
    UINT GetLineStyle() const { return m_nLineStyle; }
    void SetMarker(int symbol) { m_nMarkerSymbol = symbol; }
    int GetMarker() const { return m_nMarkerSymbol; }
    void SetMarkerSize(int s) { m_nMarkerSize = s; }
    int GetMarkerSize() const { return m_nMarkerSize; }
    void SetMarkerType(int kind) { m_nMarkerKind = kind; }
    int GetMarkerType() const { return m_nMarkerKind; }
    void SetShowMarker(bool on) { m_bShowMarkers = on; }
    bool GetShowMarker() const { return m_bShowMarkers; }
    int GetXAxisIndex() const { return m_nXAxis; }
    int GetYAxisIndex() const { return m_nYAxis; }
    void SetAxes(int xAxis, int yAxis) { m_nXAxis = xAxis; m_nYAxis = yAxis; }
    void SetFill(bool on) { m_bFill = on; }
    bool GetFill() const { return m_bFill; }
    void SetFillStyle(int s) { m_nFillStyle = s; }
    int GetFillStyle() const { return m_nFillStyle; }
    void SetFillColor(COLORREF c) { m_crFill = c; }
    COLORREF GetFillColor() const { return m_crFill; }
    void SetTransparentFill(bool on) { m_bTransparentFill = on; }
    bool GetTransparentFill() const { return m_bTransparentFill; }
    void SetFillPartner(short p) { m_nFillPartner = p; }
    short GetFillPartner() const { return m_nFillPartner; }
    void SetType(int t) { m_nType = t; }
    int GetType() const { return m_nType; }
    // The marker symbol as a shape index: anything outside 0..7 is 0.
    int GetMarkerShape() const { return (m_nMarkerSymbol >= 0 && m_nMarkerSymbol <= 7) ? m_nMarkerSymbol : 0; }

    const std::vector<PlotSegment>& GetSegments() const { return m_Segments; }
    // Line and circle primitives issued by the last Draw (for tests and
    // benchmarks: the cost of a paint).
    long long GetLastDrawCalls() const { return m_nLastDrawCalls; }

    // Derived curves; empty when the fit is impossible.
    std::vector<ChartPoint> LinearTrend(int extra) const;
    std::vector<ChartPoint> CubicTrend(int extra) const;
    std::vector<ChartPoint> PolynomialTrend(int coefficients, int extra);
    // Dialogs speak of the degree: a degree n fit has n + 1 coefficients.
    std::vector<ChartPoint> PolynomialTrendOfDegree(int degree, int extra)
    {
        return PolynomialTrend(degree + 1, extra);
    }
    std::vector<ChartPoint> SimpleMovingAverage(int period) const;
    std::vector<ChartPoint> ExponentialMovingAverage(int period) const;
    std::vector<ChartPoint> LinearWeightedMovingAverage(int period) const;
    std::vector<ChartPoint> TriangularMovingAverage(int period) const;
    std::vector<ChartPoint> SineWeightedMovingAverage(int period) const;
    const CPolynomialSolver& GetSolver() const { return m_Solver; }

    ChartPoint* m_pPoints = nullptr;
    int m_nCount = 0;
    DWORD m_nFirst = 0;
    DWORD m_nLast = 0;
    int m_nXAxis = 0;
    int m_nYAxis = 0;
    int m_nReserved = 0;
    int m_nLineWidth = 1;
    int m_nFillStyle = 6;
    int m_nMarkerKind = 0;
    int m_nMarkerSymbol = 0;
    int m_nMarkerSize = 10;
    UINT m_nLineStyle = 0;
    bool m_bOwnsPoints = false;
    bool m_bShowMarkers = false;
    bool m_bFill = false;
    bool m_bTransparentFill = true;
    COLORREF m_crFill = RGB(255, 255, 255);
    CString m_strName;
    int m_nType = 0;
    short m_nFillPartner = 1;
    std::vector<PlotSegment> m_Segments;
    CPolynomialSolver m_Solver;

private:
    void FreePoints();
    bool AxesOk() const;
    // Ascending x lets a paint start and stop by binary search; the check
    // resumes where it stopped when the same array grows.
    bool CheckAscending();
    const ChartPoint* m_pAscChecked = nullptr;
    int m_nAscChecked = 0;
    double m_dAscLastX = 0.0;
    bool m_bAscending = false;
    long long m_nLastDrawCalls = 0;
    const ChartPoint* m_pKnownFor = nullptr;
    int m_nKnownCount = -1;
    double m_dKnown[4] = {};
    const MinMaxSummary* m_pSummary = nullptr;
    const ChartPoint* m_pSummaryFor = nullptr;
};
