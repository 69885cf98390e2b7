// One X or Y axis of the chart: ranges, tick step, number format, title,
// fonts, grid, value bands and markers, and the value/pixel mapping.
#pragma once

#include "chart/ChartPoint.h"
#include "chart/PlotMath.h"
#include "chart/PlotObject.h"
#include "platform/CString.h"
#include "platform/Gdi.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class CDC;

// A shaded value range across the plot (288 bytes when stored).
struct PlotValueBand {
    double from = 0.0;
    double to = 0.0;
    COLORREF color = 0;
    COLORREF color2 = 0;
    int fillStyle = 6;
    char text[260] = {};
};

// A line at a chosen value (88 bytes when stored).
struct PlotValueMarker {
    double value = 0.0;
    COLORREF color = 0;
    BYTE first = 1;       // kept and stored; nothing draws from it
    BYTE showText = 1;
    int penStyle = 0;
    short penWidth = 1;
    LOGFONT font;
    CString text;         // never stored: a loaded marker has none
};

class CPlotAxis : public CPlotObject {
    VX_DECLARE_SERIAL(CPlotAxis)
public:
    CPlotAxis();
    CPlotAxis(const CPlotAxis& other);
    CPlotAxis& operator=(const CPlotAxis& other);
    ~CPlotAxis() override;

    void Serialize(CArchive& ar) override;
    void Draw(CDCEx* dc) override;

    bool SetRange(double min, double max);
    bool SetShownRange(double min, double max, double step);
    void ResetShownRange();
    void GetRange(double* min, double* max, double* step) const;
    void GetDataRange(double* min, double* max) const { *min = m_dDataMin; *max = m_dDataMax; }

    double GetValueForPixel(int pixel);
    CPoint GetPointForValue(ChartPoint value);
    // The mapping as plain numbers, for the curves' bulk drawing.
    PlotMath::AxisScale GetScale() const;
    int FindPointIndex(double x, int curve) const;

    void SetDecimals(int places) { m_strDisplayFmt = PlotMath::DecimalsFormat(places); }
    void SetScaleFont(const LOGFONT& lf);
    void SetScaleFont(const char* face, int height, int weight);
    void SetTitleFont(const LOGFONT& lf);
    void SetTitleFont(const char* face, int height, int weight);
    const LOGFONT& GetScaleFont() const { return m_lfScale; }
    const LOGFONT& GetTitleFont() const { return m_lfTitle; }

    // Bands and markers: put at count appends, else replaces.
    void PutValueBand(int index, const PlotValueBand& band);
    void DeleteValueBand(int index);
    void ClearValueBands();
    int GetValueBandCount() const { return static_cast<int>(m_Bands.size()); }
    const PlotValueBand* GetValueBand(int index) const;
    void PutValueMarker(int index, const PlotValueMarker& marker);
    void DeleteValueMarker(int index);
    void ClearValueMarkers();
    int GetValueMarkerCount() const { return static_cast<int>(m_Markers.size()); }
    PlotValueMarker* GetValueMarker(int index);
    // A marker as the hit test creates one, its font from the scale font.
    PlotValueMarker MakeValueMarker(double value, int penStyle) const;

    // Zoom history for the interaction layer.
    void PushZoom() { m_ZoomHistory.emplace_back(m_dShownMin, m_dShownMax); }
    bool PopZoom();
    int GetZoomDepth() const { return static_cast<int>(m_ZoomHistory.size()); }

    void SetAutoScale(bool on) { m_bAutoScale = on; }
    bool GetAutoScale() const { return m_bAutoScale; }
    // Formats that are not a single floating conversion are kept as typed
    // but never reach printf (see PlotMath::FormatValue).
    void SetDisplayFmt(const CString& fmt) { m_strDisplayFmt = fmt; }
    CString GetDisplayFmt() const { return m_strDisplayFmt; }
    void SetLabel(const CString& title) { m_strTitle = title; }
    CString GetLabel() const { return m_strTitle; }
    void SetShowGrid(bool on) { m_bGrid = on; }
    bool GetShowGrid() const { return m_bGrid; }
    void SetShowMarker(bool on) { m_bShowKey = on; }
    bool GetShowMarker() const { return m_bShowKey; }
    void SetPlacement(int placement) { m_nPlacement = placement; }
    int GetPlacement() const { return m_nPlacement; }
    bool IsTimeAxis() const { return m_bTimeAxis; }
    void SetTimeAxis(bool on) { m_bTimeAxis = on; }
    int GetKind() const { return m_nKind; }
    void SetKind(int kind) { m_nKind = kind; }
    bool IsLinear() const { return m_nLinear != 0; }
    void SetLinear(bool linear) { m_nLinear = linear ? 1 : 0; }
    void SetGridColor(COLORREF c) { m_crGrid = c; }
    COLORREF GetGridColor() const { return m_crGrid; }
    void SetGridStyle(UINT s) { m_nGridStyle = s; }
    UINT GetGridStyle() const { return m_nGridStyle; }
    int GetLength() const { return m_nLength; }
    double GetGap() const { return m_dGap; }
    double GetKeyExtent() const { return m_dKeyExtent; }
    double GetStep() const { return m_dStep; }

    // Layout (the window sets these before drawing).
    void SetOrigin(int x, int y) { m_nOriginX = x; m_nOriginY = y; }
    void SetOriginX(int x) { m_nOriginX = x; }
    void SetOriginY(int y) { m_nOriginY = y; }
    int GetOriginX() const { return m_nOriginX; }
    int GetOriginY() const { return m_nOriginY; }
    void SetPlotRect(const CRect& r) { m_PlotRect = r; }
    CRect GetPlotRect() const { return m_PlotRect; }
    int GetArrowSize() const { return m_nArrowSize; }
    int GetTickSize() const { return m_nTickSize; }
    int GetKeySize() const { return m_nKeySize; }

    // Sizes of the scale for the layout, measured unscaled on dc.
    int GetScaleWidth(CDC* dc) const;
    int GetScaleHeight(CDC* dc) const;
    // A value as its scale text (date text on a time axis).
    CString GetValueText(double v) const;

    // Tick rounding as drawing runs it; n ticks.
    void AutoScale(int n);
    // With autoscale on: the tick step and rounded range for the current
    // layout, as Draw computes them first (nothing is drawn). With it off
    // and a range the user moved: a round step that fits the layout.
    void PrepareScale(CDC* dc);

    // One tick as the last layout places it: its value, pixel and scale
    // text (empty for a log tick without one) with the text's rectangle.
    struct Tick {
        double value = 0.0;
        int pixel = 0;
        CString text;
        CRect rect;
    };
    // The ticks of the shown range, their texts measured on dc. Without
    // autoscale the ticks stand on whole multiples of the step, so that a
    // moved range keeps round labels.
    std::vector<Tick> GetTicks(CDC* dc) const;
    // True while the step follows the range (every range change but an
    // explicit step sets it).
    bool HasAutoStep() const { return m_bAutoStep; }

    // Members, in the record's terms.
    std::vector<PlotValueBand> m_Bands;
    std::vector<std::pair<double, double>> m_ZoomHistory;
    std::vector<PlotValueMarker> m_Markers;
    double m_dDataMin, m_dDataMax;
    double m_dShownMin, m_dShownMax;
    double m_dStep = 0.1;
    double m_dGap = 0.0;
    double m_dKeyExtent = 0.0;
    double m_dSpan = 1.0;
    int m_nOriginY = 0;
    int m_nOriginX = 0;
    int m_nLength = 1;
    CRect m_PlotRect;
    LOGFONT m_lfScale;
    LOGFONT m_lfTitle;
    int m_nKind = 0;
    int m_nLinear = 1;
    int m_nPlacement = 2;
    bool m_bShowKey = true;
    bool m_bTimeAxis = false;
    bool m_bGrid = true;
    bool m_bAutoScale = true;
    CString m_strTitle;
    CString m_strDisplayFmt = "%5.3f";
    int m_nArrowSize = 5;
    int m_nKeySize = 10;
    int m_nTickSize = 5;
    COLORREF m_crGrid = RGB(150, 150, 150);
    UINT m_nGridStyle = 2;
    bool m_bAutoStep = true;

private:
    // The last scale texts made: a layout asks for the same ends many
    // times a paint, a paint for the same dozen tick texts, and formatting
    // is the costly part of measuring and drawing them.
    struct TextMemo {
        std::uint64_t bits = 0;   // the value, bit for bit (-0 prints apart from 0)
        bool time = false;
        CString fmt;
        CString text;
    };
    mutable std::array<TextMemo, 16> m_TextMemo;
    mutable int m_nTextMemoUsed = 0;
    mutable int m_nTextMemoNext = 0;
    // The last scale extents measured: a paint lays the axes out several
    // times over and asks each time for the same ends in the same font on
    // a device of the same resolution.
    struct ExtentMemo {
        bool height = false;
        std::uint64_t a = 0, b = 0;   // the values measured, bit for bit
        int dpiX = 0, dpiY = 0;
        LOGFONT lf {};
        bool time = false;
        CString fmt;
        int tick = 0;
        int extent = 0;
    };
    mutable std::array<ExtentMemo, 4> m_ExtentMemo;
    mutable int m_nExtentMemoUsed = 0;
    mutable int m_nExtentMemoNext = 0;
    int MeasureExtent(CDC* dc, bool height) const;

    CString MakeValueText(double v) const;
    void CopyFrom(const CPlotAxis& o);
    bool ApplyRange(double min, double max, double step, bool data);
    double PixelStep(double smin, double smax) const;
    int FreeSize() const;
    int TickCount(CDC* dc) const;
    double MeasureKeyExtent() const;
    void MeasureTickRoom();
    void DrawKeys(CDCEx* dc);
    void DrawBandsAndMarkers(CDCEx* dc);
    void DrawArrow(CDCEx* dc, int x, int y, int direction);
};

// The 60-byte font record from (face, height, weight) as the chart makes
// its fonts: width 0, clip precision 1, antialiased.
LOGFONT MakeChartLogFont(const char* face, int height, int weight);
