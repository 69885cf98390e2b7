#include "chart/PlotAxis.h"

#include "chart/Plot.h"
#include "chart/PlotDC.h"
#include "chart/PlotRecords.h"
#include "platform/Archive.h"
#include "platform/DateTime.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>

VX_IMPLEMENT_SERIAL(CPlotAxis, CPlotObject, 1)

using namespace PlotMath;

LOGFONT MakeChartLogFont(const char* face, int height, int weight)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = 0;
    lf.lfEscapement = 0;
    lf.lfOrientation = 0;
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = 1;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    std::strncpy(lf.lfFaceName, face ? face : "", LF_FACESIZE - 1);
    return lf;
}

CPlotAxis::CPlotAxis()
    : m_dDataMin(DBL_MAX), m_dDataMax(-DBL_MAX), m_dShownMin(DBL_MAX), m_dShownMax(-DBL_MAX),
      m_lfScale(MakeChartLogFont("Arial", 13, 400)), m_lfTitle(MakeChartLogFont("Arial", 14, 700))
{
}

CPlotAxis::CPlotAxis(const CPlotAxis& other) : CPlotObject(NoBaseCopy{})
{
    CopyFrom(other);
}

CPlotAxis& CPlotAxis::operator=(const CPlotAxis& other)
{
    if (this != &other)
        CopyFrom(other);
    return *this;
}

CPlotAxis::~CPlotAxis() = default;

void CPlotAxis::CopyFrom(const CPlotAxis& o)
{
    // Not the rectangle, selection flags or plot rectangle: a copy is a new
    // axis that the next layout places.
    m_bAutoScale = o.m_bAutoScale;
    m_bVisible = o.m_bVisible;
    m_bGrid = o.m_bGrid;
    m_strDisplayFmt = o.m_strDisplayFmt;
    m_strTitle = o.m_strTitle;
    m_dDataMin = o.m_dDataMin;
    m_dDataMax = o.m_dDataMax;
    m_dShownMin = o.m_dShownMin;
    m_dShownMax = o.m_dShownMax;
    m_dStep = o.m_dStep;
    m_bAutoStep = o.m_bAutoStep;
    m_nOriginY = o.m_nOriginY;
    m_nOriginX = o.m_nOriginX;
    m_nKind = o.m_nKind;
    m_nArrowSize = o.m_nArrowSize;
    m_nTickSize = o.m_nTickSize;
    m_pGraph = o.m_pGraph;
    m_crColor = o.m_crColor;
    m_crGrid = o.m_crGrid;
    m_nGridStyle = o.m_nGridStyle;
    m_dGap = o.m_dGap;
    m_bTimeAxis = o.m_bTimeAxis;
    m_dKeyExtent = o.m_dKeyExtent;
    m_dSpan = o.m_dSpan;
    m_nLength = o.m_nLength;
    m_nKeySize = o.m_nKeySize;
    m_nPlacement = o.m_nPlacement;
    m_nLinear = o.m_nLinear;
    m_bShowKey = o.m_bShowKey;
    m_Bands = o.m_Bands;
    m_ZoomHistory = o.m_ZoomHistory;
    m_Markers = o.m_Markers;
    m_lfScale = o.m_lfScale;
    m_lfTitle = o.m_lfTitle;
}

// ---- ranges ----------------------------------------------------------------

bool CPlotAxis::ApplyRange(double min, double max, double step, bool data)
{
    if (!std::isfinite(min) || !std::isfinite(max) || min > max)
        return false;
    if (IsLinear()) {
        if (min == max) {
            const double lo = min - 1.0, hi = max + 1.0;
            if (lo == min || hi == max) {
                // Beyond 2^53 a unit is below the resolution of the value.
                const double w = std::fabs(min) * 1e-9;
                min -= w;
                max += w;
            } else {
                min = lo;
                max = hi;
            }
        }
    } else {
        if (min == max) {
            min *= 0.1;
            max *= 10.0;
        }
        step = 0.0;
        min = std::max(min, 1e-16);
        max = std::max(max, 1e-15);
    }
    if ((std::fabs(min) > 1e6 || std::fabs(max) > 1e6) && !m_bTimeAxis)
        m_strDisplayFmt = "%5.2e";
    if (data) {
        m_dDataMin = min;
        m_dDataMax = max;
    }
    m_dShownMin = min;
    m_dShownMax = max;
    m_bAutoStep = step == 0.0;
    if (!IsLinear())
        m_dStep = 0.0;
    else if (step != 0.0)
        m_dStep = step;
    else if (m_pGraph && m_pGraph->IsWindow())
        m_dStep = PixelStep(min, max);
    else
        m_dStep = (max - min) / 10.0;
    return true;
}

bool CPlotAxis::SetRange(double min, double max) { return ApplyRange(min, max, 0.0, true); }

bool CPlotAxis::SetShownRange(double min, double max, double step)
{
    return ApplyRange(min, max, step, false);
}

void CPlotAxis::ResetShownRange()
{
    // Through the range rules, so that the step fits the range again.
    if (!ApplyRange(m_dDataMin, m_dDataMax, 0.0, false)) {
        m_dShownMin = m_dDataMin;
        m_dShownMax = m_dDataMax;
    }
}

void CPlotAxis::GetRange(double* min, double* max, double* step) const
{
    if (min)
        *min = m_dShownMin;
    if (max)
        *max = m_dShownMax;
    if (step)
        *step = m_dStep;
}

bool CPlotAxis::PopZoom()
{
    if (m_ZoomHistory.empty())
        return false;
    const auto [lo, hi] = m_ZoomHistory.back();
    m_ZoomHistory.pop_back();
    // The zoomed step would give the restored range several times too
    // many ticks.
    if (!ApplyRange(lo, hi, 0.0, false)) {
        m_dShownMin = lo;
        m_dShownMax = hi;
    }
    return true;
}

namespace {

CRect WindowPlot(const CPlotAxis& a)
{
    return a.GetGraph() ? a.GetGraph()->GetPlotRect() : a.GetPlotRect();
}

}  // namespace

int CPlotAxis::FreeSize() const
{
    const CRect plot = WindowPlot(*this);
    int free;
    if (m_nKind == 1)
        free = plot.bottom - static_cast<int>(std::trunc(plot.top + m_dGap + m_dKeyExtent));
    else
        free = static_cast<int>(std::trunc(plot.right - m_dGap - m_dKeyExtent)) - plot.left;
    // A window too small for its axes still gets a positive size.
    return free < 1 ? 1 : free;
}

double CPlotAxis::PixelStep(double smin, double smax) const
{
    CClientDC dc(m_pGraph);
    const int extent = m_nKind == 1 ? GetScaleHeight(&dc) : GetScaleWidth(&dc);
    const double raw = (smax - smin) / FreeSize() * extent;
    // Round as autoscale would: 1, 2 or 5 times a power of ten, never
    // below what the texts need.
    const double round = m_bTimeAxis ? raw : SnapStep(raw);
    return round > 0.0 ? round : raw;
}

int CPlotAxis::TickCount(CDC* dc) const
{
    const int extent = m_nKind == 1 ? GetScaleHeight(dc) : GetScaleWidth(dc);
    const int n = extent > 0 ? FreeSize() / extent : 2;
    return n < 2 ? 2 : n;
}

void CPlotAxis::AutoScale(int n)
{
    double lo = m_dShownMin, hi = m_dShownMax, step = m_dStep;
    bool ok;
    if (!IsLinear()) {
        ok = AutoScaleLog(&lo, &hi);
        step = 0.0;
    } else if (m_bTimeAxis) {
        ok = AutoScaleTime(n, &lo, &hi, &step);
    } else {
        ok = AutoScaleLinear(n, &lo, &hi, &step);
    }
    if (!ok)
        return;
    m_dShownMin = lo;
    m_dShownMax = hi;
    m_dStep = step;
}

// ---- mapping ---------------------------------------------------------------

AxisScale CPlotAxis::GetScale() const
{
    const CRect plot = WindowPlot(*this);
    AxisScale s;
    s.smin = m_dShownMin;
    s.smax = m_dShownMax;
    s.vertical = m_nKind == 1;
    s.origin = s.vertical ? plot.bottom : plot.left;
    s.length = m_nLength;
    s.linear = IsLinear();
    return s;
}

CPoint CPlotAxis::GetPointForValue(ChartPoint value)
{
    m_dSpan = m_dShownMax - m_dShownMin;
    const AxisScale s = GetScale();
    if (s.vertical)
        return CPoint(0, ClampPixel(ValueToPixelF(s, value.y)));
    return CPoint(ClampPixel(ValueToPixelF(s, value.x)), 0);
}

double CPlotAxis::GetValueForPixel(int pixel)
{
    AxisScale s = GetScale();
    if (s.linear)
        s.smax = s.smin + m_dSpan;
    return PixelToValue(s, pixel);
}

int CPlotAxis::FindPointIndex(double x, int curve) const
{
    if (!m_pGraph || curve < 0 || curve >= m_pGraph->GetCurveCount())
        return -1;
    const CPlotDataSerie& c = m_pGraph->GetCurve(curve);
    return PlotMath::FindPointIndex(c.GetPoints(), c.GetCount(), x);
}

// ---- fonts, bands, markers -------------------------------------------------

void CPlotAxis::SetScaleFont(const LOGFONT& lf) { m_lfScale = lf; }
void CPlotAxis::SetScaleFont(const char* face, int height, int weight)
{
    m_lfScale = MakeChartLogFont(face, height, weight);
}
void CPlotAxis::SetTitleFont(const LOGFONT& lf) { m_lfTitle = lf; }
void CPlotAxis::SetTitleFont(const char* face, int height, int weight)
{
    m_lfTitle = MakeChartLogFont(face, height, weight);
}

namespace {

void Repaint(CPlot* graph)
{
    if (graph && graph->IsWindow())
        graph->Invalidate(FALSE);
}

}  // namespace

void CPlotAxis::PutValueBand(int index, const PlotValueBand& band)
{
    if (index < 0 || index > GetValueBandCount())
        return;
    if (index == GetValueBandCount())
        m_Bands.push_back(band);
    else
        m_Bands[static_cast<size_t>(index)] = band;
    m_Bands[static_cast<size_t>(index)].text[259] = '\0';
    Repaint(m_pGraph);
}

void CPlotAxis::DeleteValueBand(int index)
{
    if (index >= 0 && index < GetValueBandCount())
        m_Bands.erase(m_Bands.begin() + index);
}

void CPlotAxis::ClearValueBands() { m_Bands.clear(); }

const PlotValueBand* CPlotAxis::GetValueBand(int index) const
{
    return (index >= 0 && index < GetValueBandCount()) ? &m_Bands[static_cast<size_t>(index)] : nullptr;
}

void CPlotAxis::PutValueMarker(int index, const PlotValueMarker& marker)
{
    if (index < 0 || index > GetValueMarkerCount())
        return;
    if (index == GetValueMarkerCount())
        m_Markers.push_back(marker);
    else
        m_Markers[static_cast<size_t>(index)] = marker;
    Repaint(m_pGraph);
}

void CPlotAxis::DeleteValueMarker(int index)
{
    if (index >= 0 && index < GetValueMarkerCount())
        m_Markers.erase(m_Markers.begin() + index);
}

void CPlotAxis::ClearValueMarkers() { m_Markers.clear(); }

PlotValueMarker* CPlotAxis::GetValueMarker(int index)
{
    return (index >= 0 && index < GetValueMarkerCount()) ? &m_Markers[static_cast<size_t>(index)] : nullptr;
}

PlotValueMarker CPlotAxis::MakeValueMarker(double value, int penStyle) const
{
    PlotValueMarker m;
    m.value = value;
    m.color = m_crColor;
    m.penStyle = penStyle;
    m.font = m_lfScale;
    if (m_nKind == 0) {
        m.font.lfEscapement = 900;
        m.font.lfOrientation = 900;
        m.font.lfClipPrecision = 16;
    }
    return m;
}

// ---- texts and sizes -------------------------------------------------------

namespace {

bool HasDateCode(const CString& fmt)
{
    const std::string& s = fmt.str();
    for (size_t i = 0; i + 1 < s.size(); ++i)
        if (s[i] == '%' && std::strchr("aAbBcdHIjmMpSUwWxXyYz", s[i + 1]) && s[i + 1] != '\0')
            return true;
    return false;
}

}  // namespace

CString CPlotAxis::GetValueText(double v) const
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < m_nTextMemoUsed; ++i) {
        const TextMemo& m = m_TextMemo[static_cast<size_t>(i)];
        if (m.bits == bits && m.time == m_bTimeAxis && m.fmt == m_strDisplayFmt)
            return m.text;
    }
    CString text = MakeValueText(v);
    TextMemo& m = m_TextMemo[static_cast<size_t>(m_nTextMemoNext)];
    m = TextMemo{bits, m_bTimeAxis, m_strDisplayFmt, text};
    m_nTextMemoNext = (m_nTextMemoNext + 1) % static_cast<int>(m_TextMemo.size());
    m_nTextMemoUsed = std::min(m_nTextMemoUsed + 1, static_cast<int>(m_TextMemo.size()));
    return text;
}

CString CPlotAxis::MakeValueText(double v) const
{
    if (m_bTimeAxis) {
        // A number format on a time axis would print days as a number.
        const CString fmt = HasDateCode(m_strDisplayFmt) ? m_strDisplayFmt : CString("%d.%m.%Y\n%H:%M:%S");
        if (!std::isfinite(v))
            return CString();
        return COleDateTime(v).Format(fmt);
    }
    return FormatValue(m_strDisplayFmt, v);
}

namespace {

// Selects a font for measuring (never scaled) and restores the old one.
class MeasureFont {
public:
    MeasureFont(CDC* dc, const LOGFONT& lf) : m_dc(dc), m_font(lf) { m_old = dc->SelectObject(&m_font); }
    ~MeasureFont() { m_dc->SelectObject(m_old); }

private:
    CDC* m_dc;
    CQuickFont m_font;
    CFont* m_old;
};

}  // namespace

int CPlotAxis::GetScaleWidth(CDC* dc) const { return MeasureExtent(dc, false); }

int CPlotAxis::GetScaleHeight(CDC* dc) const { return MeasureExtent(dc, true); }

int CPlotAxis::MeasureExtent(CDC* dc, bool height) const
{
    const auto measure = [&] {
        MeasureFont f(dc, m_lfScale);
        if (height)
            return ChartTextSize(dc, GetValueText(m_dDataMin)).cy + m_nTickSize;
        const int a = static_cast<int>(std::trunc(1.4 * ChartTextSize(dc, GetValueText(m_dShownMin)).cx));
        const int b = static_cast<int>(std::trunc(1.4 * ChartTextSize(dc, GetValueText(m_dShownMax)).cx));
        return std::max(a, b) + m_nTickSize;
    };
    // Measures made up by a test are not kept.
    if (ChartTextMeasurerSet())
        return measure();
    ExtentMemo key;
    key.height = height;
    key.a = std::bit_cast<std::uint64_t>(height ? m_dDataMin : m_dShownMin);
    key.b = height ? 0 : std::bit_cast<std::uint64_t>(m_dShownMax);
    key.dpiX = dc->GetDeviceCaps(LOGPIXELSX);
    key.dpiY = dc->GetDeviceCaps(LOGPIXELSY);
    key.lf = m_lfScale;
    key.time = m_bTimeAxis;
    key.fmt = m_strDisplayFmt;
    key.tick = m_nTickSize;
    for (int i = 0; i < m_nExtentMemoUsed; ++i) {
        const ExtentMemo& m = m_ExtentMemo[static_cast<size_t>(i)];
        if (m.height == key.height && m.a == key.a && m.b == key.b && m.dpiX == key.dpiX && m.dpiY == key.dpiY &&
            m.time == key.time && m.tick == key.tick && std::memcmp(&m.lf, &key.lf, sizeof key.lf) == 0 &&
            m.fmt == key.fmt)
            return m.extent;
    }
    key.extent = measure();
    m_ExtentMemo[static_cast<size_t>(m_nExtentMemoNext)] = key;
    m_nExtentMemoNext = (m_nExtentMemoNext + 1) % static_cast<int>(m_ExtentMemo.size());
    m_nExtentMemoUsed = std::min(m_nExtentMemoUsed + 1, static_cast<int>(m_ExtentMemo.size()));
    return key.extent;
}

// ---- drawing ---------------------------------------------------------------

double CPlotAxis::MeasureKeyExtent() const
{
    if (!m_bShowKey)
        return 0.0;
    int count = 0;
    if (m_pGraph) {
        const int me = m_pGraph->GetAxisIndex(this);
        for (int i = 0; i < m_pGraph->GetCurveCount(); ++i) {
            const CPlotDataSerie& c = m_pGraph->GetCurve(i);
            if (c.GetVisible() && (m_nKind == 1 ? c.GetYAxisIndex() : c.GetXAxisIndex()) == me)
                ++count;
        }
    }
    const int s = m_nKeySize;
    if (m_nKind == 1)
        return static_cast<double>((count + 2) / 3) * s;
    return s + static_cast<double>((count + 1) / 2) * s;
}

void CPlotAxis::DrawKeys(CDCEx* dc)
{
    if (!m_bShowKey || !m_pGraph)
        return;
    const int me = m_pGraph->GetAxisIndex(this);
    const int s = m_nKeySize;
    const CRect plot = WindowPlot(*this);
    int j = 0;
    for (int i = 0; i < m_pGraph->GetCurveCount(); ++i) {
        const CPlotDataSerie& c = m_pGraph->GetCurve(i);
        if (!c.GetVisible() || (m_nKind == 1 ? c.GetYAxisIndex() : c.GetXAxisIndex()) != me)
            continue;
        int x, y;
        if (m_nKind == 1) {
            const int col = j % 3, row = j / 3;
            x = m_nOriginX - s / 2 + (m_nPlacement == 1 ? s : -s) * col;
            y = m_PlotRect.top + row * s;
        } else {
            const int col = j / 2, row = j % 2;
            x = plot.right - s - col * s;
            y = m_nOriginY - s / 2 + row * s;
        }
        DrawSymbol(dc, x, y, s, c.GetColor(), c.GetMarkerType(), c.GetMarkerShape(), i);
        ++j;
    }
}

void CPlotAxis::DrawArrow(CDCEx* dc, int x, int y, int direction)
{
    for (int k = 0; k < m_nArrowSize; ++k) {
        switch (direction) {
        case 0:
            dc->MoveTo(x + k, y - k);
            dc->LineTo(x + k, y + k + 1);
            break;
        case 1:
            dc->MoveTo(x - k, y + k);
            dc->LineTo(x + k + 1, y + k);
            break;
        case 2:
            dc->MoveTo(x - k, y - k);
            dc->LineTo(x - k, y + k + 1);
            break;
        default:
            dc->MoveTo(x - k, y - k);
            dc->LineTo(x + k + 1, y - k);
            break;
        }
    }
}

void CPlotAxis::DrawBandsAndMarkers(CDCEx* dc)
{
    if (m_Bands.empty() && m_Markers.empty())
        return;
    const CRect plot = WindowPlot(*this);
    const AxisScale s = GetScale();
    const bool vertical = m_nKind == 1;
    CQuickFont font("Arial", 12, 700);
    CFontSelector fsel(&font, dc, true);
    const int oldMode = dc->SetBkMode(TRANSPARENT);
    for (const PlotValueBand& b : m_Bands) {
        double p1 = ValueToPixelF(s, b.from), p2 = ValueToPixelF(s, b.to);
        if (std::isnan(p1) || std::isnan(p2))
            continue;
        CRect r;
        if (vertical) {
            p1 = std::clamp(p1, double(plot.top), double(plot.bottom));
            p2 = std::clamp(p2, double(plot.top), double(plot.bottom));
            r.SetRect(plot.left, int(std::min(p1, p2)), plot.right, int(std::max(p1, p2)));
        } else {
            p1 = std::clamp(p1, double(plot.left), double(plot.right));
            p2 = std::clamp(p2, double(plot.left), double(plot.right));
            r.SetRect(int(std::min(p1, p2)), plot.top, int(std::max(p1, p2)), plot.bottom);
        }
        if (b.fillStyle == 6) {
            if (b.color == b.color2)
                dc->FillSolidRect(&r, dc->m_bLowColor ? RGB(255, 255, 255) : b.color);
        } else if (b.fillStyle >= 0 && b.fillStyle <= 5) {
            CPenSelector pen(b.color, 1, dc, PS_SOLID);
            CBrushSelector brush(b.fillStyle, b.color, dc);
            dc->Rectangle(&r);
        }
        if (b.text[0]) {
            CRect t = r;
            t.DeflateRect(2, 2);
            dc->DrawText(CString(b.text), &t, DT_LEFT | DT_TOP | DT_NOCLIP);
        }
    }
    for (const PlotValueMarker& m : m_Markers) {
        const double p = ValueToPixelF(s, m.value);
        if (std::isnan(p))
            continue;
        const int pi = ClampPixel(p);
        if (vertical ? (pi < plot.top || pi >= plot.bottom) : (pi < plot.left || pi >= plot.right))
            continue;
        {
            CPenSelector pen(dc->m_bLowColor ? RGB(0, 0, 0) : m.color, m.penWidth, dc, m.penStyle);
            if (vertical) {
                dc->MoveTo(plot.left, pi);
                dc->LineTo(plot.right, pi);
            } else {
                dc->MoveTo(pi, plot.bottom);
                dc->LineTo(pi, plot.top);
            }
        }
        CQuickFont mfont(m.font);
        CFontSelector msel(&mfont, dc, true);
        if (m.showText) {
            const CString text = GetValueText(m.value);
            if (vertical)
                dc->TextOut(dc->ScaleX(plot.left), dc->ScaleY(pi), text);
            else
                dc->TextOut(dc->ScaleX(pi), dc->ScaleY(plot.bottom), text);
        }
        if (!m.text.IsEmpty()) {
            const int h = ChartTextSize(dc, "W").cy;
            CRect t = vertical ? CRect(plot.left, pi - h, plot.right, pi) : CRect(pi, plot.top, pi + h, plot.bottom);
            dc->DrawText(m.text, &t, DT_RIGHT | DT_SINGLELINE | DT_NOCLIP);
        }
    }
    dc->SetBkMode(oldMode);
}

// The room for the ticks is measured afresh on every paint, however the
// step is found: what the last Draw left (its title's room included) would
// give the first paint another step than the second.
void CPlotAxis::MeasureTickRoom()
{
    m_dGap = m_nKind == 1 ? 2.0 * m_nArrowSize : 4.0 * m_nArrowSize;
    m_dKeyExtent = MeasureKeyExtent();
}

void CPlotAxis::PrepareScale(CDC* dc)
{
    if (!m_bAutoScale) {
        // The range stays as the user left it; only the step is rounded
        // for the room the layout now gives.
        if (!m_bAutoStep || !IsLinear())
            return;
        MeasureTickRoom();
        // Not through the autoscale rounding: widening the ends there
        // would call for a coarser step than the range needs.
        const int n = TickCount(dc);
        const double span = m_dShownMax - m_dShownMin;
        const double step = m_bTimeAxis ? TimeStepSeconds(span * 86400.0, n) / 86400.0 : SnapStep(span / n);
        if (std::isfinite(step) && step > 0.0)
            m_dStep = step;
        return;
    }
    MeasureTickRoom();
    // The rounded ends have texts of another width, which can change how
    // many ticks fit; settle now rather than on the next paint.
    int n = TickCount(dc);
    for (int round = 0; round < 4; ++round) {
        AutoScale(n);
        const int again = TickCount(dc);
        if (again == n)
            break;
        n = again;
    }
}

void CPlotAxis::Draw(CDCEx* dc)
{
    // An invisible axis still lays itself out so that mapping keeps working:
    // it measures, and returns before anything is drawn.
    const bool vertical = m_nKind == 1;
    const CRect plot = WindowPlot(*this);

    PrepareScale(dc);
    m_dSpan = m_dShownMax - m_dShownMin;
    const bool rangeOk = std::isfinite(m_dShownMin) && std::isfinite(m_dShownMax) &&
                         m_dShownMax > m_dShownMin &&
                         (IsLinear() ? (m_dStep > 0.0 && std::isfinite(m_dStep)) : m_dShownMin > 0.0);

    CSize titleSize(0, 0);
    if (!m_strTitle.IsEmpty()) {
        MeasureFont f(dc, m_lfTitle);
        titleSize = ChartTextSize(dc, m_strTitle);
    }
    const COLORREF ink = dc->m_bLowColor ? RGB(0, 0, 0) : m_crColor;
    const COLORREF back = dc->m_bLowColor ? RGB(255, 255, 255) : (m_pGraph ? m_pGraph->GetOuterColor() : RGB(255, 255, 255));

    m_dKeyExtent = MeasureKeyExtent();
    int top = 0, rightEnd = 0;
    if (vertical) {
        m_dGap = 2.0 * m_nArrowSize + titleSize.cy;
        top = static_cast<int>(std::trunc(m_PlotRect.top + m_dKeyExtent));
        m_nLength = plot.bottom - static_cast<int>(std::trunc(plot.top + m_dGap + m_dKeyExtent));
    } else {
        m_dGap = 4.0 * m_nArrowSize + titleSize.cx;
        rightEnd = static_cast<int>(std::trunc(plot.right - m_dKeyExtent));
        m_nLength = static_cast<int>(rightEnd - m_nOriginX - m_dGap);
    }
    if (m_nLength < 1)
        m_nLength = 1;
    if (!m_bVisible) {
        // The layout above is all an invisible axis needs: its texts and
        // lines would go where nobody sees them.
        if (vertical)
            m_clRect.SetRect(m_nOriginX - 5, top, m_nOriginX + 5, m_nOriginY);
        else
            m_clRect.SetRect(m_nOriginX, m_nOriginY - 5, rightEnd, m_nOriginY + 5);
        return;
    }

    DrawBandsAndMarkers(dc);
    DrawKeys(dc);
    dc->SetBkColor(back);
    dc->SetBkMode(OPAQUE);
    const COLORREF oldText = dc->SetTextColor(ink);

    if (!m_strTitle.IsEmpty()) {
        CQuickFont font(m_lfTitle);
        CFontSelector sel(&font, dc, true);
        CRect r;
        if (vertical) {
            if (m_nPlacement == 0)
                r.SetRect(m_nOriginX - m_nTickSize - titleSize.cx, top, m_nOriginX - m_nTickSize, top + titleSize.cy);
            else
                r.SetRect(m_nOriginX + m_nTickSize, top, m_nOriginX + m_nTickSize + titleSize.cx, top + titleSize.cy);
            dc->DrawText(m_strTitle, &r, (m_nPlacement == 0 ? DT_RIGHT : DT_LEFT) | DT_NOCLIP);
        } else {
            r.SetRect(rightEnd - titleSize.cx, m_nOriginY + m_nTickSize, rightEnd,
                      m_nOriginY + m_nTickSize + titleSize.cy);
            dc->DrawText(m_strTitle, &r, DT_LEFT | DT_NOCLIP);
        }
    }

    // Ticks, scale texts and grid.
    const bool ticks = rangeOk && (!vertical || m_nPlacement == 0 || m_nPlacement == 1);
    if (ticks) {
        CQuickFont font(m_lfScale);
        CFontSelector sel(&font, dc, true);
        for (const Tick& t : GetTicks(dc)) {
            const int p = t.pixel;
            const CString& text = t.text;
            if (vertical) {
                if (!text.IsEmpty()) {
                    CRect r = t.rect;
                    dc->DrawText(text, &r, (m_nPlacement == 0 ? DT_RIGHT : DT_LEFT) | DT_NOCLIP);
                }
                CPenSelector pen(m_crGrid, 1, dc, static_cast<int>(m_nGridStyle));
                const int mode = dc->SetBkMode(TRANSPARENT);
                const bool grid = m_bGrid && p != m_nOriginY;
                if (m_nPlacement == 0) {
                    dc->MoveTo(m_nOriginX - m_nTickSize, p);
                    dc->LineTo(grid ? plot.right : m_nOriginX, p);
                } else {
                    dc->MoveTo(m_nOriginX + m_nTickSize, p);
                    dc->LineTo(grid ? plot.left : m_nOriginX, p);
                }
                dc->SetBkMode(mode);
            } else {
                if (!text.IsEmpty()) {
                    CRect r = t.rect;
                    dc->DrawText(text, &r, DT_CENTER | DT_NOCLIP);
                }
                CPenSelector pen(m_crGrid, 1, dc, static_cast<int>(m_nGridStyle));
                const int mode = dc->SetBkMode(TRANSPARENT);
                dc->MoveTo(p, m_nOriginY + m_nTickSize);
                dc->LineTo(p, (m_bGrid && p != m_nOriginX) ? m_PlotRect.top : m_nOriginY);
                dc->SetBkMode(mode);
            }
        }
    }

    {
        CPenSelector pen(ink, 1, dc, PS_SOLID);
        if (vertical) {
            dc->MoveTo(m_nOriginX, m_nOriginY);
            dc->LineTo(m_nOriginX, top);
            DrawArrow(dc, m_nOriginX, top, 1);
            m_clRect.SetRect(m_nOriginX - 5, top, m_nOriginX + 5, m_nOriginY);
        } else {
            dc->MoveTo(m_nOriginX, m_nOriginY);
            dc->LineTo(rightEnd, m_nOriginY);
            DrawArrow(dc, rightEnd, m_nOriginY, 2);
            m_clRect.SetRect(m_nOriginX, m_nOriginY - 5, rightEnd, m_nOriginY + 5);
        }
    }
    if (m_bSelected && m_bVisible)
        dc->DrawFocusRect(&m_clRect);
    dc->SetTextColor(oldText);
}

std::vector<CPlotAxis::Tick> CPlotAxis::GetTicks(CDC* dc) const
{
    std::vector<Tick> out;
    const bool vertical = m_nKind == 1;
    struct Raw {
        double v;
        bool text;
    };
    std::vector<Raw> list;
    if (IsLinear()) {
        double first = m_dShownMin;
        if (!m_bAutoScale && m_dStep > 0.0 && std::isfinite(m_dStep)) {
            // A moved range keeps its labels on whole multiples of the step.
            const double k = std::ceil(m_dShownMin / m_dStep - 1e-9);
            if (std::isfinite(k))
                first = k * m_dStep;
        }
        for (double v : LinearTicks(first, m_dShownMax, m_dStep, vertical))
            list.push_back({v, true});
    } else {
        for (const LogTick& t : LogTicks(m_dShownMin, m_dShownMax))
            list.push_back({t.value, t.withText});
    }
    const AxisScale s = GetScale();
    MeasureFont mf(dc, m_lfScale);
    for (const Raw& r : list) {
        Tick t;
        t.value = r.v;
        t.pixel = ClampPixel(ValueToPixelF(s, r.v));
        if (r.text) {
            t.text = GetValueText(r.v);
            const CSize ts = ChartTextSize(dc, t.text);
            const int p = t.pixel;
            if (!vertical)
                t.rect.SetRect(p - ts.cx / 2, m_nOriginY + m_nTickSize, p - ts.cx / 2 + ts.cx,
                               m_nOriginY + m_nTickSize + ts.cy);
            else if (m_nPlacement == 0)
                t.rect.SetRect(m_nOriginX - m_nTickSize - ts.cx, p - ts.cy / 2, m_nOriginX - m_nTickSize,
                               p - ts.cy / 2 + ts.cy);
            else
                t.rect.SetRect(m_nOriginX + m_nTickSize, p - ts.cy / 2, m_nOriginX + m_nTickSize + ts.cx,
                               p - ts.cy / 2 + ts.cy);
        }
        out.push_back(t);
    }
    return out;
}

// ---- record ----------------------------------------------------------------

void CPlotAxis::Serialize(CArchive& ar)
{
    using namespace PlotRecords;
    if (ar.IsStoring()) {
        ar << m_bAutoScale << m_bVisible << m_bGrid;
        ar << m_strDisplayFmt << m_strTitle;
        ar << m_dDataMax << m_dDataMin << m_dShownMax << m_dShownMin << m_dStep;
        ar << m_nOriginY << m_nOriginX << m_nKind << m_nArrowSize << m_nTickSize;
        ar << static_cast<UINT>(m_crColor) << static_cast<UINT>(m_crGrid) << m_nGridStyle;
        ar << m_dGap << m_bTimeAxis << m_dKeyExtent << m_dSpan;
        ar << m_nLength << m_nKeySize << m_nPlacement << m_bShowKey;
        ar << static_cast<UINT>(m_Bands.size());
        for (const PlotValueBand& b : m_Bands)
            WriteBand(ar, b);
        ar << static_cast<UINT>(m_Markers.size());
        for (const PlotValueMarker& m : m_Markers)
            WriteMarker(ar, m);
        WriteLogFont(ar, m_lfScale);
        WriteLogFont(ar, m_lfTitle);
        return;
    }
    UINT color, grid, n;
    ar >> m_bAutoScale >> m_bVisible >> m_bGrid;
    ar >> m_strDisplayFmt >> m_strTitle;
    ar >> m_dDataMax >> m_dDataMin >> m_dShownMax >> m_dShownMin >> m_dStep;
    ar >> m_nOriginY >> m_nOriginX >> m_nKind >> m_nArrowSize >> m_nTickSize;
    ar >> color >> grid >> m_nGridStyle;
    m_crColor = color;
    m_crGrid = grid;
    ar >> m_dGap >> m_bTimeAxis >> m_dKeyExtent >> m_dSpan;
    ar >> m_nLength >> m_nKeySize >> m_nPlacement >> m_bShowKey;
    ar >> n;
    CheckCount(ar, n, 288);
    for (UINT i = 0; i < n; ++i) {
        PlotValueBand b;
        ReadBand(ar, b);
        m_Bands.push_back(b);
    }
    ar >> n;
    CheckCount(ar, n, 88);
    for (UINT i = 0; i < n; ++i) {
        PlotValueMarker m;
        ReadMarker(ar, m);
        m_Markers.push_back(m);
    }
    ReadLogFont(ar, m_lfScale);
    ReadLogFont(ar, m_lfTitle);
    // The record has no scale kind: what comes back is linear.
    m_nLinear = 1;
}
