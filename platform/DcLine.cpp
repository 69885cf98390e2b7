// Lines of CDC: MoveTo, LineTo, Polyline and LineSegments, and the walk
// that sets a one-pixel line's pixels on a picture.
#include "platform/Dc.h"

#include "platform/DcImpl.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

using vx::dcdetail::DashPattern;
using vx::dcdetail::Rop2;

namespace vx::dcdetail {

// Cosmetic pen dash patterns in pixels (on, off, ...).
const std::vector<int>& DashPattern(int style)
{
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6},
        dashDotDot{9, 3, 3, 3, 3, 3}, none;
    switch (style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return none;
    }
}

} // namespace vx::dcdetail

namespace {

bool PatternOn(const std::vector<int>& pat, int pos)
{
    int total = 0;
    for (int v : pat)
        total += v;
    pos %= total;
    for (size_t i = 0; i < pat.size(); ++i) {
        if (pos < pat[i])
            return i % 2 == 0;
        pos -= pat[i];
    }
    return false;
}

} // namespace

namespace {

using Wide = __int128;

// Steps the minor axis has made after `step` steps of the walk below
// (its closed form): the walk can start anywhere along the line.
std::int64_t MinorSteps(std::int64_t step, std::int64_t major, std::int64_t minor)
{
    const Wide num = Wide(2) * step * minor - major;
    if (num <= 0)
        return 0;
    const Wide den = Wide(2) * major;
    return static_cast<std::int64_t>((num + den - 1) / den);
}

// The steps i in [0, steps) whose coordinate start + dir * i * minor / major
// (exact on the major axis, within a pixel on the minor one) can lie in
// [lo, hi]; false when none can.
} // namespace

bool vx::ClipSegmentToRect(double& x0, double& y0, double& x1, double& y1, double left, double top, double right,
                           double bottom)
{
    double t0 = 0.0, t1 = 1.0;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = nx0;
    y0 = ny0;
    return true;
}

static bool ClipSegment(QPointF& a, QPointF& b, const QRectF& r)
{
    double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
    if (!vx::ClipSegmentToRect(x0, y0, x1, y1, r.left(), r.top(), r.right(), r.bottom()))
        return false;
    a = QPointF(x0, y0);
    b = QPointF(x1, y1);
    return true;
}

namespace {

bool StepRange(std::int64_t start, int dir, std::int64_t lo, std::int64_t hi, std::int64_t minor, std::int64_t major,
               std::int64_t steps, std::int64_t& first, std::int64_t& last)
{
    if (minor == 0) {
        if (start < lo || start > hi)
            return false;
        first = 0;
        last = steps - 1;
        return true;
    }
    const double k = double(dir) * double(minor) / double(major);  // per step
    double t0 = (double(lo) - 1.0 - double(start)) / k;
    double t1 = (double(hi) + 1.0 - double(start)) / k;
    if (t0 > t1)
        std::swap(t0, t1);
    t0 = std::floor(t0) - 1.0;
    t1 = std::ceil(t1) + 1.0;
    if (t1 < 0.0 || t0 > double(steps - 1))
        return false;
    first = t0 < 0.0 ? 0 : static_cast<std::int64_t>(t0);
    last = t1 > double(steps - 1) ? steps - 1 : static_cast<std::int64_t>(t1);
    return first <= last;
}

// One step of the walk from pixel p: along x, along y or both.
template <class Int>
inline void WalkStep(QRgb*& p, Int& err, Int dx, Int dy, qsizetype stepX, qsizetype stepY)
{
    const Int e2 = 2 * err;
    if (e2 > -dy) {
        err -= dy;
        p += stepX;
    }
    if (e2 < dx) {
        err += dx;
        p += stepY;
    }
}

// A solid line from a to b (device pixels, both inside the image), its
// last pixel left out as LineTo leaves it.
inline void SolidWalk(QRgb* px, qsizetype stride, int ax, int ay, int bx, int by, QRgb pen)
{
    const int dx = std::abs(bx - ax), dy = std::abs(by - ay);
    const qsizetype stepX = ax < bx ? 1 : -1;
    const qsizetype stepY = ay < by ? stride : -stride;
    QRgb* p = px + qsizetype(ay) * stride + ax;
    int err = dx - dy;
    for (int i = std::max(dx, dy); i > 0; --i) {
        *p = pen;
        WalkStep(p, err, dx, dy, stepX, stepY);
    }
}

} // namespace

void CDC::Impl::PixelLine(QPoint a, QPoint b, QPoint shift, int& styleOffset)
{
    QRgb* px = Pixels();
    if (!px)
        return;
    const qsizetype stride = image->bytesPerLine() / 4;
    const QRgb pen = vx::PixelFromColorRef(s.penColor);
    if (s.rop == R2_COPYPEN && !StyledPen()) {
        // A curve is thousands of lines a few pixels long, all inside the
        // plot: for them the walk below is the whole cost, not its setup.
        const std::int64_t lax = std::int64_t(a.x()) + shift.x(), lay = std::int64_t(a.y()) + shift.y();
        const std::int64_t lbx = std::int64_t(b.x()) + shift.x(), lby = std::int64_t(b.y()) + shift.y();
        const std::vector<QRect>& clips = ClipRects();
        constexpr std::int64_t kShort = 1 << 20;   // no overflow in int below
        if (clips.size() == 1 && std::abs(lax) < kShort && std::abs(lay) < kShort && std::abs(lbx) < kShort &&
            std::abs(lby) < kShort) {
            const int ax = int(lax), ay = int(lay), bx = int(lbx), by = int(lby);
            const QRect& c = clips.front();
            if (std::min(ax, bx) >= c.left() && std::max(ax, bx) <= c.right() && std::min(ay, by) >= c.top() &&
                std::max(ay, by) <= c.bottom()) {
                SolidWalk(px, stride, ax, ay, bx, by, pen);
                return;
            }
        }
    }
    const QRgb gap = vx::PixelFromColorRef(s.bkColor);
    const bool styled = StyledPen();
    const bool opaqueGaps = styled && s.bkMode == OPAQUE;
    const std::vector<int>& pat = DashPattern(s.penStyle);
    int period = 0;
    for (int v : pat)
        period += v;
    const int rop = s.rop;
    if (rop == R2_NOP)
        return;

    // 64 bits: coordinates near the int limits must not wrap.
    const std::int64_t ax = std::int64_t(a.x()) + shift.x(), ay = std::int64_t(a.y()) + shift.y();
    const std::int64_t bx = std::int64_t(b.x()) + shift.x(), by = std::int64_t(b.y()) + shift.y();
    const std::int64_t dx = ax < bx ? bx - ax : ax - bx;
    const std::int64_t dy = ay < by ? by - ay : ay - by;
    const int sx = ax < bx ? 1 : -1;
    const int sy = ay < by ? 1 : -1;
    const std::int64_t steps = std::max(dx, dy);
    if (steps == 0)
        return;
    const auto advanceStyle = [&] {
        if (period > 0)
            styleOffset = static_cast<int>((std::int64_t(styleOffset) + steps % period) % period);
    };

    const std::vector<QRect>& clips = ClipRects();
    auto within = [](const QRect& c, std::int64_t px0, std::int64_t py0, std::int64_t px1, std::int64_t py1) {
        return px0 >= c.left() && px0 <= c.right() && py0 >= c.top() && py0 <= c.bottom() && px1 >= c.left() &&
               px1 <= c.right() && py1 >= c.top() && py1 <= c.bottom();
    };
    std::int64_t first = 0, last = steps - 1, x = ax, y = ay, err = dx - dy;
    // Both ends in one clip rectangle (a curve inside its plot): all of the
    // line shows, and no pixel needs a test.
    bool inside = false;
    for (const QRect& c : clips)
        if (within(c, ax, ay, bx, by)) {
            inside = true;
            break;
        }
    if (!inside) {
        // Only the part of the line that can reach a clip rectangle is
        // walked: a line millions of pixels long costs what shows of it.
        QRect bounds;
        for (const QRect& c : clips)
            bounds |= c;
        if (bounds.isEmpty()) {
            advanceStyle();
            return;
        }
        const bool xMajor = dx >= dy;
        std::int64_t f1, l1, f2, l2;
        const bool hit = xMajor ? StepRange(ax, sx, bounds.left(), bounds.right(), dx, dx, steps, f1, l1) &&
                                      StepRange(ay, sy, bounds.top(), bounds.bottom(), dy, dx, steps, f2, l2)
                                : StepRange(ay, sy, bounds.top(), bounds.bottom(), dy, dy, steps, f1, l1) &&
                                      StepRange(ax, sx, bounds.left(), bounds.right(), dx, dy, steps, f2, l2);
        if (!hit || std::max(f1, f2) > std::min(l1, l2)) {
            advanceStyle();
            return;
        }
        first = std::max(f1, f2);
        last = std::min(l1, l2);
        auto at = [&](std::int64_t i, std::int64_t& px0, std::int64_t& py0) {
            const std::int64_t minor = MinorSteps(i, steps, xMajor ? dy : dx);
            px0 = ax + sx * (xMajor ? i : minor);
            py0 = ay + sy * (xMajor ? minor : i);
        };
        std::int64_t ex, ey;
        at(first, x, y);
        at(last, ex, ey);
        err = static_cast<std::int64_t>(Wide(dx) - dy - Wide(sx * (x - ax)) * dy + Wide(sy * (y - ay)) * dx);
        // The walked part inside one clip rectangle: no test per pixel.
        for (const QRect& c : clips)
            if (within(c, x, y, ex, ey)) {
                inside = true;
                break;
            }
    }

    const std::int64_t count = last - first + 1;
    // The pen's pattern, one entry per pixel of its period, walked along
    // with the line: a dashed grid line costs what a solid one does.
    std::array<bool, 64> on {};
    const bool patterned = styled && period > 0 && period <= static_cast<int>(on.size());
    int pos = 0;
    if (patterned) {
        for (int k = 0; k < period; ++k)
            on[static_cast<size_t>(k)] = PatternOn(pat, k);
        pos = static_cast<int>((styleOffset + first % period) % period);
    }
    if (inside && (!styled || patterned) && rop == R2_COPYPEN) {
        // The common cases (a curve, a chart's grid: lines inside the
        // picture) without tests.
        QRgb* p = px + y * stride + x;
        const qsizetype stepX = sx;
        const qsizetype stepY = sy * stride;
        if (dx == 0 || dy == 0) {
            // A grid line: straight along a row or a column.
            const qsizetype step = dy == 0 ? stepX : stepY;
            for (std::int64_t i = 0; i < count; ++i, p += step) {
                if (!patterned || on[static_cast<size_t>(pos)])
                    *p = pen;
                else if (opaqueGaps)
                    *p = gap;
                if (patterned && ++pos == period)
                    pos = 0;
            }
            advanceStyle();
            return;
        }
        for (std::int64_t i = 0; i < count; ++i) {
            if (!patterned || on[static_cast<size_t>(pos)])
                *p = pen;
            else if (opaqueGaps)
                *p = gap;
            if (patterned && ++pos == period)
                pos = 0;
            WalkStep(p, err, dx, dy, stepX, stepY);
        }
        advanceStyle();
        return;
    }
    for (std::int64_t i = first; i <= last; ++i) {
        bool draw = true;
        QRgb colour = pen;
        if (patterned) {
            if (!on[static_cast<size_t>(pos)]) {
                draw = opaqueGaps;
                colour = gap;
            }
            if (++pos == period)
                pos = 0;
        } else if (styled && period > 0 && !PatternOn(pat, static_cast<int>((styleOffset + i % period) % period))) {
            draw = opaqueGaps;
            colour = gap;
        }
        if (draw) {
            bool ok = inside;
            if (!ok)
                for (const QRect& c : clips)
                    if (x >= c.left() && x <= c.right() && y >= c.top() && y <= c.bottom()) {
                        ok = true;
                        break;
                    }
            if (ok) {
                QRgb& d = px[y * stride + x];
                d = rop == R2_COPYPEN ? colour : Rop2(rop, colour, d);
            }
        }
        const std::int64_t e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
    advanceStyle();
}

CPoint CDC::MoveTo(int x, int y)
{
    const QPoint old = d->s.cur;
    d->s.cur = QPoint(x, y);
    return CPoint(old.x(), old.y());
}

CPoint CDC::GetCurrentPosition() const { return CPoint(d->s.cur.x(), d->s.cur.y()); }

BOOL CDC::LineTo(int x, int y)
{
    const QPoint a = d->s.cur;
    const QPoint b(x, y);
    d->s.cur = b;
    if (!d->CanDraw())
        return FALSE;
    if (d->s.penStyle == PS_NULL)
        return TRUE;
    if (d->HasPixels() && d->s.penWidth <= 1) {
        int style = 0;
        d->PixelLine(a, b, d->Offset(), style);
        return TRUE;
    }
    d->StrokeLine(a, b);
    return TRUE;
}

void CDC::Impl::StrokeLine(QPoint a, QPoint b)
{
    const int m = std::max(1, s.penWidth);
    // Cut to what can show (the device, widened by the pen) in doubles
    // first: far ends would overflow the int geometry below.
    QPointF fa(a), fb(b);
    const QRectF device = QRectF(DeviceRect()).translated(-QPointF(Offset())).adjusted(-2 * m, -2 * m, 2 * m, 2 * m);
    if (!ClipSegment(fa, fb, device))
        return;
    const QPoint ca = fa.toPoint(), cb = fb.toPoint();
    const QRect bounds = QRect(ca, cb).normalized().translated(Offset()).adjusted(-m, -m, m, m);
    const QLineF line = (fa == QPointF(a) && fb == QPointF(b)) ? QLineF(QLine(a, b)) : QLineF(fa, fb);
    Figure(bounds, [&](QPainter& p) {
        if (StyledPen() && s.bkMode == OPAQUE) {
            p.setPen(MakePen(s.bkColor, true));
            p.drawLine(line);
        }
        p.setPen(MakePen(s.penColor, false));
        p.drawLine(line);
    });
}

BOOL CDC::LineSegments(const POINT* ends, int pairs)
{
    if (!ends || pairs < 0 || !d->CanDraw())
        return FALSE;
    if (d->s.penStyle == PS_NULL || pairs == 0)
        return TRUE;
    if (!d->HasPixels() || d->s.penWidth > 1) {
        for (int i = 0; i < pairs; ++i)
            d->StrokeLine(QPoint(ends[2 * i].x, ends[2 * i].y), QPoint(ends[2 * i + 1].x, ends[2 * i + 1].y));
        return TRUE;
    }
    const QPoint shift = d->Offset();
    QRgb* px = d->Pixels();
    if (!px)
        return TRUE;
    const qsizetype stride = d->image->bytesPerLine() / 4;
    const QRgb pen = vx::PixelFromColorRef(d->s.penColor);
    const std::vector<QRect>& clips = d->ClipRects();
    // A solid pen copied into one clip rectangle is the whole of a screen
    // curve: its lines that lie inside are walked here, set up once.
    const bool plain = d->s.rop == R2_COPYPEN && !d->StyledPen() && clips.size() == 1;
    const QRect c = plain ? clips.front() : QRect();
    for (int i = 0; i < pairs; ++i) {
        const POINT& a = ends[2 * i];
        const POINT& b = ends[2 * i + 1];
        // 64 bits: ends near the int limits must not wrap on the way.
        const std::int64_t ax = std::int64_t(a.x) + shift.x(), ay = std::int64_t(a.y) + shift.y();
        const std::int64_t bx = std::int64_t(b.x) + shift.x(), by = std::int64_t(b.y) + shift.y();
        if (plain && std::min(ax, bx) >= c.left() && std::max(ax, bx) <= c.right() && std::min(ay, by) >= c.top() &&
            std::max(ay, by) <= c.bottom()) {
            SolidWalk(px, stride, int(ax), int(ay), int(bx), int(by), pen);
            continue;
        }
        int style = 0;
        d->PixelLine(QPoint(a.x, a.y), QPoint(b.x, b.y), shift, style);
    }
    return TRUE;
}

BOOL CDC::Polyline(const POINT* points, int count)
{
    if (!points || count < 2 || !d->CanDraw())
        return FALSE;
    if (d->s.penStyle == PS_NULL)
        return TRUE;
    if (d->HasPixels() && d->s.penWidth <= 1) {
        int style = 0;
        for (int i = 1; i < count; ++i)
            d->PixelLine(QPoint(points[i - 1].x, points[i - 1].y), QPoint(points[i].x, points[i].y), d->Offset(),
                         style);
        return TRUE;
    }
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    const int m = std::max(1, d->s.penWidth);
    d->Figure(poly.boundingRect().translated(d->Offset()).adjusted(-m, -m, m, m), [&](QPainter& p) {
        if (d->StyledPen() && d->s.bkMode == OPAQUE) {
            p.setPen(d->MakePen(d->s.bkColor, true));
            p.drawPolyline(poly);
        }
        p.setPen(d->MakePen(d->s.penColor, false));
        p.drawPolyline(poly);
    });
    return TRUE;
}
