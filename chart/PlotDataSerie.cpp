#include "chart/PlotDataSerie.h"

#include "chart/Plot.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDC.h"
#include "chart/PlotRecords.h"
#include "platform/Archive.h"

#include <algorithm>
#include <cmath>
#include <cstring>

VX_IMPLEMENT_SERIAL(CPlotDataSerie, CPlotObject, 1)

using namespace PlotMath;

CPlotDataSerie::CPlotDataSerie() = default;

CPlotDataSerie::CPlotDataSerie(const CPlotDataSerie& o)
    : CPlotObject(NoBaseCopy{}),
      m_nCount(o.m_nCount),
      m_nFirst(o.m_nFirst),
      m_nLast(o.m_nLast),
      m_nXAxis(o.m_nXAxis),
      m_nYAxis(o.m_nYAxis),
      m_nReserved(o.m_nReserved),
      m_nLineWidth(o.m_nLineWidth),
      m_nFillStyle(o.m_nFillStyle),
      m_nMarkerKind(o.m_nMarkerKind),
      m_nMarkerSymbol(o.m_nMarkerSymbol),
      m_nMarkerSize(o.m_nMarkerSize),
      m_nLineStyle(o.m_nLineStyle),
      m_bOwnsPoints(o.m_bOwnsPoints),
      m_bShowMarkers(o.m_bShowMarkers),
      m_bFill(o.m_bFill),
      m_bTransparentFill(o.m_bTransparentFill),
      m_crFill(o.m_crFill),
      m_strName(o.m_strName),
      m_nType(o.m_nType),
      m_nFillPartner(o.m_nFillPartner),
      m_Segments(o.m_Segments),
      m_Solver(o.m_Solver)
{
    // The curve colour, visibility and window go with the curve.
    m_crColor = o.m_crColor;
    m_bVisible = o.m_bVisible;
    m_pGraph = o.m_pGraph;
    if (o.m_bOwnsPoints && o.m_pPoints && o.m_nCount > 0) {
        m_pPoints = new ChartPoint[static_cast<size_t>(o.m_nCount)];
        std::memcpy(m_pPoints, o.m_pPoints, sizeof(ChartPoint) * static_cast<size_t>(o.m_nCount));
    } else {
        m_pPoints = o.m_pPoints;
        m_bOwnsPoints = false;
    }
}

CPlotDataSerie::~CPlotDataSerie() { FreePoints(); }

void CPlotDataSerie::FreePoints()
{
    if (m_bOwnsPoints)
        delete[] m_pPoints;
    m_pPoints = nullptr;
    m_bOwnsPoints = false;
}

void CPlotDataSerie::SetPoints(ChartPoint* points, int count, bool copy)
{
    if (count < 0)
        count = 0;
    if (copy) {
        ChartPoint* fresh = count > 0 ? new ChartPoint[static_cast<size_t>(count)] : nullptr;
        if (count > 0)
            std::memcpy(fresh, points, sizeof(ChartPoint) * static_cast<size_t>(count));
        FreePoints();
        m_pPoints = fresh;
        m_bOwnsPoints = true;
    } else if (points != m_pPoints) {
        FreePoints();
        m_pPoints = points;
    } else {
        // The same array bound again: it stays owned if it was.
    }
    m_nCount = count;
    if (m_pPoints != m_pKnownFor || m_nCount != m_nKnownCount)
        m_pKnownFor = nullptr;
    if (m_pPoints != m_pSummaryFor)
        m_pSummary = nullptr;
}

void CPlotDataSerie::SetKnownSummary(const MinMaxSummary* summary)
{
    m_pSummary = summary;
    m_pSummaryFor = m_pPoints;
}

void CPlotDataSerie::SetKnownExtents(double xmin, double xmax, double ymin, double ymax)
{
    m_pKnownFor = m_pPoints;
    m_nKnownCount = m_nCount;
    m_dKnown[0] = xmin;
    m_dKnown[1] = xmax;
    m_dKnown[2] = ymin;
    m_dKnown[3] = ymax;
}

bool CPlotDataSerie::GetExtents(double* xmin, double* xmax, double* ymin, double* ymax) const
{
    if (m_pKnownFor && m_pKnownFor == m_pPoints && m_nKnownCount == m_nCount) {
        *xmin = m_dKnown[0];
        *xmax = m_dKnown[1];
        *ymin = m_dKnown[2];
        *ymax = m_dKnown[3];
        return true;
    }
    bool any = false;
    for (int i = 0; i < m_nCount; ++i) {
        const ChartPoint& p = m_pPoints[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            continue;
        if (!any) {
            *xmin = *xmax = p.x;
            *ymin = *ymax = p.y;
            any = true;
            continue;
        }
        *xmin = std::min(*xmin, p.x);
        *xmax = std::max(*xmax, p.x);
        *ymin = std::min(*ymin, p.y);
        *ymax = std::max(*ymax, p.y);
    }
    return any;
}

bool CPlotDataSerie::CheckAscending()
{
    if (!m_pPoints || m_nCount < 2)
        return true;
    // The same array grown: only the new tail needs a look, unless the
    // array was refilled (its last checked point is no longer what it was).
    const bool sameArray = m_pPoints == m_pAscChecked && m_nAscChecked >= 1 && m_nAscChecked <= m_nCount &&
                           m_pPoints[m_nAscChecked - 1].x == m_dAscLastX;
    int from = 1;
    if (sameArray) {
        if (!m_bAscending)
            return false;
        from = m_nAscChecked;
    }
    m_bAscending = IsAscendingX(m_pPoints, m_nCount, from);
    m_pAscChecked = m_pPoints;
    m_nAscChecked = m_nCount;
    m_dAscLastX = m_pPoints[m_nCount - 1].x;
    return m_bAscending;
}

bool CPlotDataSerie::AxesOk() const
{
    return m_pGraph && m_nXAxis >= 0 && m_nXAxis < m_pGraph->GetXAxisCount() && m_nYAxis >= 0 &&
           m_nYAxis < m_pGraph->GetYAxisCount();
}

namespace {

// Pixels beyond this distance from the plot are clipped in double before
// they become ints; closer ones are drawn as they are and the device clips.
constexpr double kNear = 1 << 20;

struct Walker {
    Walker(CDCEx* d, const CRect& p, int t, int r, std::vector<POINT>* poly)
        : dc(d), plot(p), type(t), radius(r), polygon(poly),
          nearLeft(p.left - kNear), nearTop(p.top - kNear), nearRight(p.right + kNear), nearBottom(p.bottom + kNear)
    {
    }
    CDCEx* dc;
    CRect plot;
    int type;
    int radius;
    std::vector<POINT>* polygon;
    // Within kNear of the plot: no clipping needed.
    double nearLeft, nearTop, nearRight, nearBottom;
    long long calls = 0;
    // The lines' ends in pairs, drawn together by Flush: a curve is
    // hundreds of lines a pixel or two long, and each call's set-up would
    // cost more than its pixels. The context's pen goes where the last
    // MoveTo or LineTo would have left it.
    std::vector<POINT> ends;
    bool moved = false;
    POINT at {0, 0};

    static int Outcode(double x, double y, const CRect& r)
    {
        int c = 0;
        if (x < r.left) c |= 1;
        if (x >= r.right) c |= 2;
        if (y < r.top) c |= 4;
        if (y >= r.bottom) c |= 8;
        return c;
    }

    void MoveTo(int x, int y)
    {
        at = POINT{x, y};
        moved = true;
    }

    void Start(double x, double y)
    {
        const int ix = ClampPixel(x), iy = ClampPixel(y);
        if (type == 0)
            MoveTo(ix, iy);
        else
            Dot(ix, iy);
        if (polygon)
            polygon->push_back(POINT{ix, iy});
    }

    void Dot(int x, int y)
    {
        if (x + radius < plot.left || x - radius > plot.right || y + radius < plot.top || y - radius > plot.bottom)
            return;
        dc->Ellipse(x - radius, y - radius, x + radius, y + radius);
        ++calls;
    }

    void Line(double x0, double y0, double x1, double y1)
    {
        const int a = Outcode(x0, y0, plot), b = Outcode(x1, y1, plot);
        const int ix1 = ClampPixel(x1), iy1 = ClampPixel(y1);
        if (a & b) {
            // Wholly on one side of the plot: nothing of it could show.
            MoveTo(ix1, iy1);
            return;
        }
        auto isNear = [this](double x, double y) {
            return x >= nearLeft && x < nearRight && y >= nearTop && y < nearBottom;
        };
        if (isNear(x0, y0) && isNear(x1, y1)) {
            // Both ends near the plot, as a curve's lines nearly always are.
            Add(ClampPixel(x0), ClampPixel(y0), ix1, iy1);
            return;
        }
        double sx = x0, sy = y0, ex = x1, ey = y1;
        if (!vx::ClipSegmentToRect(sx, sy, ex, ey, nearLeft, nearTop, nearRight, nearBottom)) {
            MoveTo(ix1, iy1);
            return;
        }
        Add(ClampPixel(sx), ClampPixel(sy), ClampPixel(ex), ClampPixel(ey));
    }

    void Add(int isx, int isy, int iex, int iey)
    {
        ends.push_back(POINT{isx, isy});
        ends.push_back(POINT{iex, iey});
        MoveTo(iex, iey);
        ++calls;
    }

    void Flush()
    {
        if (!ends.empty())
            dc->LineSegments(ends.data(), static_cast<int>(ends.size() / 2));
        ends.clear();
        if (moved)
            dc->MoveTo(at.x, at.y);
        moved = false;
    }
};

}  // namespace

void CPlotDataSerie::Draw(CDCEx* dc)
{
    m_Segments.clear();
    m_nLastDrawCalls = 0;
    if (!m_pPoints || m_nCount <= 0 || !AxesOk())
        return;
    CPlotAxis& xa = m_pGraph->GetXAxis(m_nXAxis);
    CPlotAxis& ya = m_pGraph->GetYAxis(m_nYAxis);
    xa.m_dSpan = xa.m_dShownMax - xa.m_dShownMin;
    ya.m_dSpan = ya.m_dShownMax - ya.m_dShownMin;
    const AxisScale sx = xa.GetScale(), sy = ya.GetScale();
    const CRect plot = m_pGraph->GetPlotRect();

    COLORREF color = m_bSelected ? InverseColor(m_crColor) : m_crColor;
    if (dc->m_bLowColor)
        color = RGB(0, 0, 0);
    CPenSelector pen(color, m_nLineWidth, dc, static_cast<int>(m_nLineStyle));

    std::vector<POINT> polygon;
    Walker w(dc, plot, m_nType, m_nLineWidth, m_bFill ? &polygon : nullptr);

    const ChartPoint* pts = m_pPoints;
    const int n = m_nCount;
    // A point's x pixel is asked for again as the next column's start: the
    // last one is kept.
    int knownIndex = -1;
    double knownX = 0.0;
    auto pixelX = [&](int i) {
        if (i != knownIndex) {
            knownIndex = i;
            knownX = ValueToPixelF(sx, pts[i].x);
        }
        return knownX;
    };
    auto colX = [&](int i) { return ClampPixel(pixelX(i)); };

    // With ascending x on a linear axis the points of one pixel column lie
    // together; a search finds where each column starts, so a paint costs
    // the columns on screen plus the points inside them (or, given a
    // summary, a few blocks of them).
    const bool jump = sx.linear && sx.smax > sx.smin && CheckAscending() && std::isfinite(pts[0].x);
    const double lastPixelX = jump ? ValueToPixelF(sx, pts[n - 1].x) : 0.0;
    // Many points to a column (a long record in view): the spacing of x
    // from here to the last point guesses where the column starts, exactly
    // for evenly spaced x, and the search gallops from the guess. Every
    // point a look at memory: the fewer, the better. Out of line: the
    // follow view's columns hold a point or two.
    auto searchFrom = [&](int from, int col) __attribute__((noinline)) {
        long long lo = from, hi = n;  // the answer lies in [lo, hi]
        const double a = pixelX(from - 1);
        const double g = (from - 1) + (col - a) / (lastPixelX - a) * (n - from);
        if (g > lo && g < hi) {
            long long at = static_cast<long long>(g), step = 1;
            if (colX(static_cast<int>(at)) < col) {
                lo = at + 1;
                for (at = lo; at < hi && colX(static_cast<int>(at)) < col; at = lo + step, step *= 2)
                    lo = at + 1;
                hi = std::min(hi, at);
            } else {
                hi = at;
                for (at = hi - 1; at >= lo && colX(static_cast<int>(at)) >= col; at = hi - step, step *= 2)
                    hi = at;
                lo = std::max(lo, at + 1);
            }
        }
        while (lo < hi) {
            const int mid = static_cast<int>(lo + (hi - lo) / 2);
            if (colX(mid) < col)
                lo = mid + 1;
            else
                hi = mid;
        }
        return static_cast<int>(lo);
    };
    auto firstWithColAtLeast = [&](int from, int col) {
        // A column rarely holds more than a few points: they are looked at
        // one by one first.
        for (int probe = 0; probe < 4; ++probe, ++from)
            if (from >= n || colX(from) >= col)
                return from;
        return searchFrom(from, col);
    };
    // Blocks of the summary pay off from a few blocks' worth of points on.
    constexpr int kSummaryFrom = 2 * static_cast<int>(MinMaxSummary::kBlock);
    const MinMaxSummary* summary = GetKnownSummary();
    int begin = 0, end = n;  // end exclusive
    if (jump) {
        const int k = firstWithColAtLeast(0, plot.left);
        if (k > 0)
            begin = firstWithColAtLeast(0, colX(k - 1));
        const int e = firstWithColAtLeast(begin, plot.right + 1);
        end = std::min(n, e + 1);
    }

    // Where several points share a pixel column, the column is drawn from
    // its lowest to its highest point, so a short spike in a long series
    // stays visible; the line goes on from the column's last point.
    struct Column {
        double first, low, high, last;
    };
    // One more point of a column, by its pixel; unshown ones are left out.
    auto take = [&](Column& c, double y) {
        const double fy = ValueToPixelF(sy, y);
        if (std::isnan(fy))
            return;
        c.low = std::min(c.low, fy);
        c.high = std::max(c.high, fy);
        c.last = fy;
    };
    auto columnOf = [&](int from, int col, double firstPixelY) {
        Column c{firstPixelY, firstPixelY, firstPixelY, firstPixelY};
        int k = from;
        if (jump) {
            // Sparse points (the usual follow view) leave the column at the
            // next point: no search then.
            const int stop = (from >= end || colX(from) > col) ? std::min(from, end)
                                                                : std::min(end, firstWithColAtLeast(from, col + 1));
            if (sy.linear) {
                // Monotone axis: the extremes in value are the extremes on
                // screen; only they and the last point need mapping.
                double lo = 0, hi = 0, last = 0;
                bool any = false;
                if (summary && stop - k > kSummaryFrom) {
                    any = summary->Range(pts, static_cast<size_t>(k), static_cast<size_t>(stop), lo, hi);
                    // The last finite value, found from the column's end.
                    for (int j = stop - 1; any && j >= k; --j)
                        if (std::isfinite(pts[j].y)) {
                            last = pts[j].y;
                            break;
                        }
                    k = stop;
                }
                for (; k < stop; ++k) {
                    const double v = pts[k].y;
                    if (!std::isfinite(v))
                        continue;
                    if (!any) {
                        lo = hi = v;
                        any = true;
                    } else if (v < lo) {
                        lo = v;
                    } else if (v > hi) {
                        hi = v;
                    }
                    last = v;
                }
                if (any) {
                    const double a = ValueToPixelF(sy, lo), b = ValueToPixelF(sy, hi);
                    const double l = ValueToPixelF(sy, last);
                    if (!std::isnan(a) && !std::isnan(b) && !std::isnan(l)) {
                        c.low = std::min({c.low, a, b});
                        c.high = std::max({c.high, a, b});
                        c.last = l;
                    }
                }
                return std::pair{c, stop};
            }
            for (; k < stop; ++k)
                take(c, pts[k].y);
            return std::pair{c, stop};
        }
        // Any order: the run of consecutive points in this column.
        for (; k < end; ++k) {
            const double fx = ValueToPixelF(sx, pts[k].x);
            if (std::isnan(fx) || ClampPixel(fx) != col)
                break;
            take(c, pts[k].y);
        }
        return std::pair{c, k};
    };

    bool started = false;
    // A finite value the axis cannot show (not above 0 on a log axis) is a
    // hole in the curve: the line starts again after it. Non-finite values
    // are only skipped.
    bool broken = false;
    auto unshown = [&broken](double v) {
        if (std::isfinite(v))
            broken = true;
    };
    double prevX = 0, prevY = 0;
    int prevCol = 0;
    int i = begin;
    auto record = [&](const CPoint& a, const CPoint& b) {
        if (plot.PtInRect(a) || plot.PtInRect(b))
            m_Segments.push_back({a.x, a.y, b.x, b.y});
    };
    // A one-pixel line leaves its last pixel out, so a column's strokes run
    // from its extremes to its last point, which the line into the next
    // column then sets: the column meets its neighbours as a line through
    // every point would. A last point between the extremes stays open until
    // such a line comes; where none comes (the curve ends or breaks) it is
    // set on its own.
    bool open = false;
    auto closeOpen = [&] {
        if (open)
            w.Line(prevX, prevY, prevX, prevY + 1);
        open = false;
    };
    while (i < end) {
        const ChartPoint& p = pts[i];
        const double fx = pixelX(i);
        if (std::isnan(fx)) {
            unshown(p.x);
            ++i;
            continue;
        }
        const int col = ClampPixel(fx);
        if (started && col == prevCol) {
            // Same column as the last drawn one (out-of-order x): skipped.
            i = jump ? firstWithColAtLeast(i, col + 1) : i + 1;
            continue;
        }
        const double fy = ValueToPixelF(sy, p.y);
        if (std::isnan(fy)) {
            unshown(p.y);
            ++i;
            continue;
        }
        const double x = col, y = ClampPixel(fy);
        if (!started || broken) {
            closeOpen();
            w.Start(x, y);
            started = true;
            broken = false;
        } else {
            const CPoint a(ClampPixel(prevX), ClampPixel(prevY)), b(col, ClampPixel(fy));
            record(a, b);
            if (m_nType == 0)
                w.Line(prevX, prevY, x, y);
            else
                w.Dot(b.x, b.y);
            if (m_bFill)
                polygon.push_back(POINT{b.x, b.y});
        }
        const auto [c, next] = columnOf(i + 1, col, fy);
        const double low = ClampPixel(c.low), high = ClampPixel(c.high), last = ClampPixel(c.last);
        open = false;
        if (low < high) {
            record(CPoint(col, static_cast<int>(low)), CPoint(col, static_cast<int>(high)));
            if (m_nType == 0) {
                if (low < last)
                    w.Line(x, low, x, last);
                if (high > last)
                    w.Line(x, high, x, last);
                open = low < last && last < high;
            } else {
                w.Dot(col, static_cast<int>(low));
                w.Dot(col, static_cast<int>(high));
            }
        }
        prevX = x;
        prevY = last;
        prevCol = col;
        i = next;
    }
    closeOpen();

    w.Flush();

    if (m_bFill && !polygon.empty()) {
        const POINT first = polygon.front(), last = polygon.back();
        const int partner = m_nFillPartner;
        const bool partnerOk = partner >= 0 && partner < m_pGraph->GetCurveCount() &&
                               &m_pGraph->GetCurve(partner) != this;
        if (partnerOk) {
            CPlotDataSerie& other = m_pGraph->GetCurve(partner);
            CPlotAxis* oxa = m_pGraph->FindXAxis(other.m_nXAxis);
            CPlotAxis* oya = m_pGraph->FindYAxis(other.m_nYAxis);
            if (oxa && oya && other.m_pPoints) {
                const AxisScale ox = oxa->GetScale(), oy = oya->GetScale();
                for (int k = other.m_nCount - 1; k >= 0; --k) {
                    const double px = ValueToPixelF(ox, other.m_pPoints[k].x);
                    const double py = ValueToPixelF(oy, other.m_pPoints[k].y);
                    if (!std::isnan(px) && !std::isnan(py))
                        polygon.push_back(POINT{ClampPixel(px), ClampPixel(py)});
                }
            }
        } else {
            polygon.push_back(POINT{last.x, plot.bottom});
            polygon.push_back(POINT{first.x, plot.bottom});
        }
        const COLORREF fill = dc->m_bLowColor ? RGB(0, 0, 0) : m_crFill;
        CGdiObject* oldPen = dc->SelectStockObject(NULL_PEN);
        {
            std::unique_ptr<CBrushSelector> brush;
            if (m_nFillStyle >= 0 && m_nFillStyle <= 5)
                brush = std::make_unique<CBrushSelector>(m_nFillStyle, fill, dc);
            else
                brush = std::make_unique<CBrushSelector>(fill, dc);
            const int oldMode = dc->SetBkMode(m_bTransparentFill ? TRANSPARENT : OPAQUE);
            const int oldRop = dc->SetROP2(m_bTransparentFill ? R2_NOTXORPEN : R2_COPYPEN);
            dc->Polygon(polygon.data(), static_cast<int>(polygon.size()));
            ++w.calls;
            dc->SetROP2(oldRop);
            dc->SetBkMode(oldMode);
        }
        if (oldPen)
            dc->SelectObject(static_cast<CPen*>(oldPen));
    }
    m_nLastDrawCalls = w.calls;
}

void CPlotDataSerie::DrawMarkers(CDCEx* dc, bool pickMode)
{
    if (!m_pPoints || m_nCount <= 0 || !AxesOk())
        return;
    CPlotAxis& xa = m_pGraph->GetXAxis(m_nXAxis);
    CPlotAxis& ya = m_pGraph->GetYAxis(m_nYAxis);
    const AxisScale sx = xa.GetScale(), sy = ya.GetScale();
    const CRect plot = m_pGraph->GetPlotRect();
    const int size = m_nMarkerSize;
    const int step = MarkerStep(plot.Width(), size, m_nCount, pickMode);
    const int index = m_pGraph->GetCurveIndex(this);
    for (int i = 0; i < m_nCount; i += step) {
        const double fx = ValueToPixelF(sx, m_pPoints[i].x), fy = ValueToPixelF(sy, m_pPoints[i].y);
        if (std::isnan(fx) || std::isnan(fy))
            continue;
        const int x = ClampPixel(fx) - size / 2, y = ClampPixel(fy) - size / 2;
        if (x > plot.right || y > plot.bottom || x + size < plot.left || y + size < plot.top)
            continue;
        DrawSymbol(dc, x, y, size, m_crColor, m_nMarkerKind, GetMarkerShape(), index);
    }
}

// ---- derived curves --------------------------------------------------------

std::vector<ChartPoint> CPlotDataSerie::LinearTrend(int extra) const
{
    return PlotMath::LinearTrend(m_pPoints, m_nCount, extra);
}

std::vector<ChartPoint> CPlotDataSerie::CubicTrend(int extra) const
{
    return PlotMath::CubicTrend(m_pPoints, m_nCount, extra);
}

std::vector<ChartPoint> CPlotDataSerie::PolynomialTrend(int coefficients, int extra)
{
    return PlotMath::PolynomialTrend(m_pPoints, m_nCount, coefficients, extra, &m_Solver);
}

std::vector<ChartPoint> CPlotDataSerie::SimpleMovingAverage(int period) const
{
    return MovingAverage(Average::Simple, m_pPoints, m_nCount, period);
}

std::vector<ChartPoint> CPlotDataSerie::ExponentialMovingAverage(int period) const
{
    return MovingAverage(Average::Exponential, m_pPoints, m_nCount, period);
}

std::vector<ChartPoint> CPlotDataSerie::LinearWeightedMovingAverage(int period) const
{
    return MovingAverage(Average::LinearWeighted, m_pPoints, m_nCount, period);
}

std::vector<ChartPoint> CPlotDataSerie::TriangularMovingAverage(int period) const
{
    return MovingAverage(Average::Triangular, m_pPoints, m_nCount, period);
}

std::vector<ChartPoint> CPlotDataSerie::SineWeightedMovingAverage(int period) const
{
    return MovingAverage(Average::Sine, m_pPoints, m_nCount, period);
}

// ---- record ----------------------------------------------------------------

void CPlotDataSerie::Serialize(CArchive& ar)
{
    CPlotObject::Serialize(ar);
    if (ar.IsStoring()) {
        const int n = m_pPoints ? m_nCount : 0;
        ar << static_cast<UINT>(n);
        for (int i = 0; i < n; ++i)
            ar << m_pPoints[i].x << m_pPoints[i].y;
        ar << static_cast<UINT>(m_nFirst) << static_cast<UINT>(m_nLast) << m_nXAxis << m_nYAxis << m_nReserved;
        ar << m_nLineWidth << m_nFillStyle << m_nMarkerKind << m_nMarkerSymbol << m_nMarkerSize << m_nLineStyle;
        ar << m_bShowMarkers << m_bFill << m_bTransparentFill << m_nFillPartner << static_cast<UINT>(m_crFill);
        ar << m_strName << m_nType;
        return;
    }
    UINT n;
    ar >> n;
    PlotRecords::CheckCount(ar, n, 16);
    if (n > 0x7FFFFFFFu)
        throw CArchiveException(CArchiveException::endOfFile);
    std::vector<ChartPoint> pts;
    pts.reserve(n);
    for (UINT i = 0; i < n; ++i) {
        ChartPoint p;
        ar >> p.x >> p.y;
        pts.push_back(p);
    }
    UINT first, last, fill;
    ar >> first >> last >> m_nXAxis >> m_nYAxis >> m_nReserved;
    ar >> m_nLineWidth >> m_nFillStyle >> m_nMarkerKind >> m_nMarkerSymbol >> m_nMarkerSize >> m_nLineStyle;
    ar >> m_bShowMarkers >> m_bFill >> m_bTransparentFill >> m_nFillPartner >> fill;
    ar >> m_strName >> m_nType;
    m_nFirst = first;
    m_nLast = last;
    m_crFill = fill;
    SetPoints(pts.data(), static_cast<int>(pts.size()), true);
}
