#include "chart/PlotDC.h"

#include "chart/PlotMath.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

int g_screenDpi = 0;  // 0: ask the screen
ChartTextMeasurer g_measurer;

}  // namespace

void CDCEx::SetScreenDpi(int dpi) { g_screenDpi = dpi; }

int CDCEx::GetScreenDpi()
{
    if (g_screenDpi > 0)
        return g_screenDpi;
    CClientDC screen(nullptr);
    const int dpi = screen.GetDeviceCaps(LOGPIXELSX);
    return dpi > 0 ? dpi : kScreenDpi;
}

void CDCEx::ComputeScale()
{
    const int screen = GetScreenDpi();
    // A printer coarser than the screen must shrink the picture, not grow
    // it, so the ratio is always device over screen.
    m_fXScale = static_cast<float>(PlotMath::PrinterScale(screen, GetDeviceCaps(LOGPIXELSX)));
    m_fYScale = static_cast<float>(PlotMath::PrinterScale(screen, GetDeviceCaps(LOGPIXELSY)));
    const int colors = m_nDeviceColors != -2 ? m_nDeviceColors : GetDeviceCaps(NUMCOLORS);
    m_bLowColor = colors >= 0 && colors <= 255;
    m_bScaleKnown = true;
}

int CDCEx::ScaleX(int x)
{
    if (!m_bScaling)
        return x;
    EnsureScale();
    return PlotMath::ScaleCoord(x, m_fXScale);
}

int CDCEx::ScaleY(int y)
{
    if (!m_bScaling)
        return y;
    EnsureScale();
    return PlotMath::ScaleCoord(y, m_fYScale);
}

CRect CDCEx::ScaleRect(const RECT& r)
{
    return CRect(ScaleX(r.left), ScaleY(r.top), ScaleX(r.right), ScaleY(r.bottom));
}

CPoint CDCEx::MoveTo(int x, int y) { return CDC::MoveTo(ScaleX(x), ScaleY(y)); }

BOOL CDCEx::LineTo(int x, int y)
{
    ++m_nPrimitives;
    return CDC::LineTo(ScaleX(x), ScaleY(y));
}

BOOL CDCEx::Ellipse(int l, int t, int r, int b)
{
    ++m_nPrimitives;
    return CDC::Ellipse(ScaleX(l), ScaleY(t), ScaleX(r), ScaleY(b));
}

BOOL CDCEx::Rectangle(int l, int t, int r, int b)
{
    ++m_nPrimitives;
    return CDC::Rectangle(ScaleX(l), ScaleY(t), ScaleX(r), ScaleY(b));
}

BOOL CDCEx::Polygon(const POINT* points, int count)
{
    ++m_nPrimitives;
    if (!m_bScaling)
        return CDC::Polygon(points, count);
    std::vector<POINT> copy(points, points + count);
    for (POINT& p : copy) {
        p.x = ScaleX(p.x);
        p.y = ScaleY(p.y);
    }
    return CDC::Polygon(copy.data(), count);
}

BOOL CDCEx::LineSegments(const POINT* ends, int pairs)
{
    m_nPrimitives += std::max(0, pairs);
    if (!m_bScaling || !ends || pairs <= 0)
        return CDC::LineSegments(ends, pairs);
    std::vector<POINT> copy(ends, ends + 2 * static_cast<size_t>(pairs));
    for (POINT& p : copy) {
        p.x = ScaleX(p.x);
        p.y = ScaleY(p.y);
    }
    return CDC::LineSegments(copy.data(), pairs);
}

void CDCEx::FillRect(const RECT* rect, CBrush* brush)
{
    const CRect r = ScaleRect(*rect);
    CDC::FillRect(&r, brush);
}

void CDCEx::FillSolidRect(const RECT* rect, COLORREF color)
{
    const CRect r = ScaleRect(*rect);
    CDC::FillSolidRect(&r, color);
}

void CDCEx::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    CDC::FillSolidRect(ScaleX(x), ScaleY(y), ScaleX(cx), ScaleY(cy), color);
}

void CDCEx::DrawFocusRect(const RECT* rect)
{
    const CRect r = ScaleRect(*rect);
    CDC::DrawFocusRect(&r);
}

int CDCEx::DrawText(const CString& text, RECT* rect, UINT format)
{
    if (format & DT_CALCRECT) {
        *rect = ScaleRect(*rect);
        return CDC::DrawText(text, rect, format);
    }
    CRect r = ScaleRect(*rect);
    return CDC::DrawText(text, &r, format);
}

void SetChartTextMeasurer(ChartTextMeasurer measurer) { g_measurer = std::move(measurer); }
bool ChartTextMeasurerSet() { return static_cast<bool>(g_measurer); }

CSize ChartTextSize(CDC* dc, const CString& text)
{
    if (g_measurer)
        return g_measurer(dc, text);
    if (text.Find('\n') >= 0) {
        CRect r(0, 0, 0, 0);
        // The plain CDC call: measuring is always in logical units.
        dc->CDC::DrawText(text, &r, DT_CALCRECT | DT_CENTER | DT_VCENTER);
        return CSize(r.Width(), r.Height());
    }
    return dc->GetTextExtent(text);
}

// ---- fonts and selectors ---------------------------------------------------

CQuickFont::CQuickFont(const char* face, int height, int weight, int underline)
{
    CreateFont(height, 0, 0, 0, weight, 0, underline > 0 ? 1 : 0, 0, DEFAULT_CHARSET,
               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
}

CQuickFont::CQuickFont(const LOGFONT& lf) { CreateFontIndirect(&lf); }

CPenSelector::CPenSelector(COLORREF color, int width, CDCEx* dc, int style) : m_pDC(dc)
{
    dc->EnsureScale();
    // Styled pens stay cosmetic (1 px dots); only solid lines grow on paper.
    if (dc->m_bScaling && style == PS_SOLID)
        width = static_cast<int>(std::trunc(width * static_cast<double>(dc->m_fXScale)));
    m_pen.CreatePen(style, width, color);
    m_pOld = dc->SelectObject(&m_pen);
}

CPenSelector::~CPenSelector()
{
    m_pDC->SelectObject(m_pOld);
    m_pen.DeleteObject();
}

CBrushSelector::CBrushSelector(COLORREF color, CDCEx* dc) : m_pDC(dc)
{
    m_brush.CreateSolidBrush(color);
    m_pOld = dc->SelectObject(&m_brush);
}

CBrushSelector::CBrushSelector(int hatchStyle, COLORREF color, CDCEx* dc) : m_pDC(dc)
{
    m_brush.CreateHatchBrush(hatchStyle, color);
    m_pOld = dc->SelectObject(&m_brush);
}

CBrushSelector::~CBrushSelector()
{
    m_pDC->SelectObject(m_pOld);
    m_brush.DeleteObject();
}

CFontSelector::CFontSelector(CFont* font, CDCEx* dc, bool scale) : m_pDC(dc)
{
    dc->EnsureScale();
    if (dc->m_bScaling && scale) {
        LOGFONT lf = font->LogFont();
        lf.lfHeight = static_cast<LONG>(std::trunc((lf.lfHeight - 1) * static_cast<double>(dc->m_fYScale)));
        lf.lfWidth = static_cast<LONG>(std::trunc(lf.lfWidth * static_cast<double>(dc->m_fXScale)));
        m_own.CreateFontIndirect(&lf);
        m_pOld = dc->SelectObject(&m_own);
    } else {
        m_pOld = dc->SelectObject(font);
    }
}

CFontSelector::~CFontSelector()
{
    m_pDC->SelectObject(m_pOld);
    if (m_own.IsCreated())
        m_own.DeleteObject();
}

// ---- marker shapes ---------------------------------------------------------

namespace {

void FilledPolygon(int kind, int x, int y, int s, COLORREF color, CDCEx* dc)
{
    const std::vector<CPoint> pts = PlotMath::MarkerShapePoints(kind, x, y, s);
    std::vector<POINT> raw(pts.begin(), pts.end());
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);
    CBrushSelector brush(dc->m_bLowColor ? RGB(0, 0, 0) : color, dc);
    dc->Polygon(raw.data(), static_cast<int>(raw.size()));
}

void Square(int x, int y, int s, COLORREF color, int, CDCEx* dc)
{
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);
    CBrushSelector brush(dc->m_bLowColor ? RGB(0, 0, 0) : color, dc);
    dc->Rectangle(x, y, x + s, y + s);
}

void Circle(int x, int y, int s, COLORREF color, int, CDCEx* dc)
{
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);
    CBrushSelector brush(dc->m_bLowColor ? RGB(0, 0, 0) : color, dc);
    dc->Ellipse(x, y, x + s, y + s);
}

void Cross(int x, int y, int s, COLORREF color, int, CDCEx* dc)
{
    CPenSelector pen(dc->m_bLowColor ? RGB(0, 0, 0) : color, 2, dc, PS_SOLID);
    dc->MoveTo(x, y);
    dc->LineTo(x + s, y + s);
    dc->MoveTo(x + s, y);
    dc->LineTo(x, y + s);
}

void Diamond(int x, int y, int s, COLORREF c, int, CDCEx* dc) { FilledPolygon(3, x, y, s, c, dc); }
void Left(int x, int y, int s, COLORREF c, int, CDCEx* dc) { FilledPolygon(4, x, y, s, c, dc); }
void Up(int x, int y, int s, COLORREF c, int, CDCEx* dc) { FilledPolygon(5, x, y, s, c, dc); }
void Right(int x, int y, int s, COLORREF c, int, CDCEx* dc) { FilledPolygon(6, x, y, s, c, dc); }
void Down(int x, int y, int s, COLORREF c, int, CDCEx* dc) { FilledPolygon(7, x, y, s, c, dc); }

}  // namespace

const MarkerPainter g_MarkerPainters[8] = {Square, Circle, Cross, Diamond, Left, Up, Right, Down};

void DrawMarkerShape(int kind, int x, int y, int s, COLORREF color, CDCEx* dc)
{
    if (kind < 0 || kind > 7)
        kind = 0;
    g_MarkerPainters[kind](x, y, s, color, 0, dc);
}

void DrawSymbol(CDCEx* dc, int x, int y, int size, COLORREF color, int markerKind, int markerSymbol,
                int curveIndex)
{
    if (markerKind == 1) {
        DrawMarkerShape(markerSymbol, x, y, size, dc->m_bLowColor ? RGB(0, 0, 0) : color, dc);
        return;
    }
    const CRect box(x, y, x + size, y + size);
    dc->FillSolidRect(&box, dc->m_bLowColor ? RGB(0, 0, 0) : color);
    CQuickFont font("Arial", size, 100);
    CFontSelector sel(&font, dc, true);
    const int number = markerKind == 0 ? curveIndex + 1 : markerSymbol + 1;
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    const COLORREF oldText = dc->SetTextColor(PlotMath::MarkerDigitColor(color, dc->m_bLowColor));
    CRect r = box;
    dc->DrawText(CString::Formatted("%d", number), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc->SetTextColor(oldText);
    dc->SetBkMode(oldMode);
}
