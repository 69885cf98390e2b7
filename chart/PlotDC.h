// The chart's drawing context: the same picture on the screen and, scaled
// from screen pixels to device pixels, on a printer; plus the pen, brush and
// font scopes, the quick font and the eight marker shapes.
#pragma once

#include "platform/Dc.h"
#include "platform/Gdi.h"

#include <functional>

class CDCEx : public CDC {
public:
    CDCEx() = default;

    // Scaled primitives: coordinates are multiplied by the scale while
    // scaling is on, else passed through unchanged.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Ellipse(int l, int t, int r, int b);
    BOOL Ellipse(const RECT* r) { return Ellipse(r->left, r->top, r->right, r->bottom); }
    BOOL Rectangle(int l, int t, int r, int b);
    BOOL Rectangle(const RECT* r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
    BOOL Polygon(const POINT* points, int count);
    BOOL LineSegments(const POINT* ends, int pairs);
    void FillRect(const RECT* rect, CBrush* brush);
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void DrawFocusRect(const RECT* rect);
    // With DT_CALCRECT the caller's rectangle is scaled before measuring.
    int DrawText(const CString& text, RECT* rect, UINT format);
    COLORREF SetBkColor(COLORREF c) { return CDC::SetBkColor(c); }
    COLORREF SetTextColor(COLORREF c) { return CDC::SetTextColor(c); }

    // Resolution ratio to this context's device and its colour depth.
    void ComputeScale();
    void EnsureScale()
    {
        if (!m_bScaleKnown)
            ComputeScale();
    }
    int ScaleX(int x);
    int ScaleY(int y);
    CRect ScaleRect(const RECT& r);

    // The screen's logical resolution the chart lays out in; injectable so
    // print scaling can be tested on any display.
    static void SetScreenDpi(int dpi);
    static int GetScreenDpi();
    // NUMCOLORS stand-in for devices that report none; < 0 = many colours.
    void SetDeviceColors(int numColors) { m_nDeviceColors = numColors; }

    // Count of line and shape primitives since the last reset (the cost of
    // a paint, for tests and benchmarks).
    long long m_nPrimitives = 0;

    bool m_bScaleKnown = false;
    bool m_bLowColor = false;
    bool m_bScaling = false;
    bool m_bKeepClip = false;
    float m_fXScale = 1.0f;
    float m_fYScale = 1.0f;

private:
    int m_nDeviceColors = -2;  // -2: ask the device
};

// Text size: a text with line feeds is measured as a block.
CSize ChartTextSize(CDC* dc, const CString& text);
// Tests replace the font metrics with fixed ones so layouts do not depend
// on the installed fonts. Null restores the real measurement.
using ChartTextMeasurer = std::function<CSize(CDC* dc, const CString& text)>;
void SetChartTextMeasurer(ChartTextMeasurer measurer);
bool ChartTextMeasurerSet();

class CQuickFont : public CFont {
public:
    CQuickFont(const char* face, int height, int weight, int underline = 0);
    explicit CQuickFont(const LOGFONT& lf);
    ~CQuickFont() override = default;
};

class CPenSelector {
public:
    CPenSelector(COLORREF color, int width, CDCEx* dc, int style = PS_SOLID);
    virtual ~CPenSelector();
    CPenSelector(const CPenSelector&) = delete;
    CPenSelector& operator=(const CPenSelector&) = delete;

private:
    CPen m_pen;
    CPen* m_pOld;
    CDCEx* m_pDC;
};

class CBrushSelector {
public:
    CBrushSelector(COLORREF color, CDCEx* dc);
    CBrushSelector(int hatchStyle, COLORREF color, CDCEx* dc);
    virtual ~CBrushSelector();
    CBrushSelector(const CBrushSelector&) = delete;
    CBrushSelector& operator=(const CBrushSelector&) = delete;

private:
    CBrush m_brush;
    CBrush* m_pOld;
    CDCEx* m_pDC;
};

class CFontSelector {
public:
    CFontSelector(CFont* font, CDCEx* dc, bool scale);
    virtual ~CFontSelector();
    CFontSelector(const CFontSelector&) = delete;
    CFontSelector& operator=(const CFontSelector&) = delete;

private:
    CFont m_own;
    CFont* m_pOld;
    CDCEx* m_pDC;
};

// Marker shapes 0..7 with the top left at (x, y), size s; the int is unused
// (all painters share one signature so the chart keeps them in a table).
using MarkerPainter = void (*)(int x, int y, int s, COLORREF color, int unused, CDCEx* dc);
extern const MarkerPainter g_MarkerPainters[8];
void DrawMarkerShape(int kind, int x, int y, int s, COLORREF color, CDCEx* dc);

// The numbered key box or marker shape used by curves, axis keys and legend.
void DrawSymbol(CDCEx* dc, int x, int y, int size, COLORREF color, int markerKind, int markerSymbol,
                int curveIndex);
