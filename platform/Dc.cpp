#include "platform/Dc.h"

#include "platform/DcImpl.h"

#include <QPageLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

using vx::dcdetail::Rop2;
using vx::dcdetail::ToQColor;

namespace vx::dcdetail {

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// The 16 binary raster operations are the truth tables 0..15 of (pen, dst):
// bit (2 * pen + dst) of (rop - 1) gives the result bit.
QRgb Rop2(int rop, QRgb pen, QRgb dst)
{
    const unsigned t = static_cast<unsigned>(rop - 1) & 15u;
    QRgb r = 0;
    if (t & 1u)
        r |= ~pen & ~dst;
    if (t & 2u)
        r |= ~pen & dst;
    if (t & 4u)
        r |= pen & ~dst;
    if (t & 8u)
        r |= pen & dst;
    return 0xFF000000u | (r & 0x00FFFFFFu);
}

} // namespace vx::dcdetail

namespace {

QRect Norm(int l, int t, int r, int b)
{
    if (l > r)
        std::swap(l, r);
    if (t > b)
        std::swap(t, b);
    return QRect(l, t, r - l, b - t);
}

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

QImage HatchImage(int hatch, QRgb fg, bool opaque, QRgb bg)
{
    QImage img(8, 8, QImage::Format_ARGB32_Premultiplied);
    img.fill(opaque ? bg : 0u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            switch (hatch) {
            case HS_HORIZONTAL: on = y == 0; break;
            case HS_VERTICAL: on = x == 0; break;
            case HS_FDIAGONAL: on = x == y; break;           // "\": down to the right
            case HS_BDIAGONAL: on = x + y == 7; break;       // "/": up to the right
            case HS_CROSS: on = x == 0 || y == 0; break;
            case HS_DIAGCROSS: on = x == y || x + y == 7; break;
            default: break;
            }
            if (on)
                img.setPixel(x, y, fg);
        }
    return img;
}

} // namespace

// ---- Impl -------------------------------------------------------------------

CDC::Impl::~Impl()
{
    if (painter.isActive())
        painter.end();
}

bool CDC::Impl::CanDraw() const
{
    if (HasPixels())
        return true;
    return kind == Kind::Printer && docStarted;
}

QPaintDevice* CDC::Impl::Device() const
{
    if (HasPixels())
        return image;
    if (kind == Kind::Printer)
        return printer.get();
    return nullptr;
}

QRect CDC::Impl::DeviceRect() const
{
    if (HasPixels())
        return image->rect();
    if (kind == Kind::Printer && printer) {
        const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
        return QRect(0, 0, page.width(), page.height());
    }
    return QRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void CDC::Impl::SetupPainter(QPainter& p, QPoint shift) const
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Charts and bitmaps go into PDF files without JPEG smearing their lines.
    p.setRenderHint(QPainter::LosslessImageRendering, true);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setOpacity(1.0);
    p.resetTransform();
    if (s.hasClip)
        p.setClipRegion(s.clip.translated(-shift));
    else
        p.setClipping(false);
    const QPoint off = Offset() - shift;
    p.setTransform(QTransform::fromTranslate(off.x(), off.y()));
    p.setBrushOrigin(-Offset());
}

QPainter* CDC::Impl::P()
{
    if (!CanDraw())
        return nullptr;
    if (HasPixels()) {
        if (painter.isActive() && painter.device() != image)
            painter.end();
        if (!painter.isActive()) {
            if (!painter.begin(image))
                return nullptr;
            geometryDirty = true;
        }
    } else if (!painter.isActive()) {
        return nullptr;
    }
    if (geometryDirty) {
        SetupPainter(painter, QPoint());
        geometryDirty = false;
    }
    drawn = true;
    return &painter;
}

void CDC::Impl::EndPainter()
{
    if (painter.isActive() && kind != Kind::Printer)
        painter.end();
    Invalidate();
}

const std::vector<QRect>& CDC::Impl::ClipRects()
{
    if (!clipRectsDirty)
        return clipRects;
    clipRectsDirty = false;
    clipRects.clear();
    const QRect dev = DeviceRect();
    if (s.hasClip) {
        for (const QRect& r : s.clip.intersected(dev))
            clipRects.push_back(r);
    } else {
        clipRects.push_back(dev);
    }
    return clipRects;
}

QRgb* CDC::Impl::Pixels()
{
    if (!HasPixels())
        return nullptr;
    // A shared image would be copied by bits() while the painter keeps
    // drawing into the old buffer; end the painter first in that case.
    if (!image->isDetached() && painter.isActive())
        EndPainter();
    drawn = true;
    return reinterpret_cast<QRgb*>(image->bits());
}

void CDC::Impl::SetImage(QImage* img)
{
    if (painter.isActive())
        painter.end();
    image = img;
    if (image && image->format() != QImage::Format_RGB32)
        *image = image->convertToFormat(QImage::Format_RGB32);
    Invalidate();
}

void CDC::Impl::ApplyFont(const LOGFONT& lf, CFont* obj)
{
    s.fontObj = obj;
    s.lf = lf;
    s.font = CFont::MakeQFont(lf);
}

void CDC::Impl::SelectDefaults()
{
    CPen* pen = CPen::FromStock(BLACK_PEN);
    s.penObj = pen;
    s.penStyle = pen->Style();
    s.penWidth = pen->Width();
    s.penColor = pen->Color();
    CBrush* brush = CBrush::FromStock(WHITE_BRUSH);
    s.brushObj = brush;
    s.brushStyle = brush->Style();
    s.brushColor = brush->Color();
    CFont* font = CFont::FromStock(SYSTEM_FONT);
    LOGFONT lf = font->LogFont();
    if (kind == Kind::Printer) {
        // The device font of a printer: 10 points at its resolution.
        lf.lfHeight = -std::lround(10.0 * dpiY / 72.0);
        lf.lfWeight = FW_NORMAL;
        if (!printerFont) {
            printerFont = std::make_unique<CFont>();
            printerFont->CreateFontIndirect(&lf);
        }
        font = printerFont.get();
    }
    ApplyFont(lf, font);
}

QPen CDC::Impl::MakePen(COLORREF color, bool gapPass) const
{
    if (s.penStyle == PS_NULL)
        return QPen(Qt::NoPen);
    QPen pen(ToQColor(color));
    if (s.penWidth <= 1) {
        pen.setWidth(0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        if (StyledPen() && !gapPass) {
            QList<qreal> pat;
            for (int v : DashPattern(s.penStyle))
                pat << v;
            pen.setDashPattern(pat);
        }
    } else {
        // Wide pens are solid whatever their style.
        pen.setWidth(s.penWidth);
        // Round ends as the system draws them; up to 3 pixels a square end
        // covers the same pixels and strokes several times faster.
        pen.setCapStyle(s.penWidth <= 3 ? Qt::SquareCap : Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

QBrush CDC::Impl::MakeBrush(int style, int hatch, COLORREF color) const
{
    switch (style) {
    case BS_NULL: return QBrush(Qt::NoBrush);
    case BS_HATCHED:
        return QBrush(HatchImage(hatch, vx::PixelFromColorRef(color), s.bkMode == OPAQUE,
                                 vx::PixelFromColorRef(s.bkColor)));
    default: return QBrush(ToQColor(color));
    }
}

void CDC::Impl::Figure(QRect bounds, const std::function<void(QPainter&)>& draw)
{
    if (!CanDraw())
        return;
    if (s.rop == R2_COPYPEN) {
        // Every figure sets the pen and brush it uses, so no save/restore.
        if (QPainter* p = P())
            draw(*p);
        return;
    }
    if (s.rop == R2_NOP)
        return;
    QRect target = bounds.intersected(DeviceRect());
    if (s.hasClip)
        target = target.intersected(s.clip.boundingRect());
    if (target.isEmpty())
        return;
    QImage mask(target.size(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(0u);
    {
        QPainter mp(&mask);
        SetupPainter(mp, target.topLeft());
        draw(mp);
    }
    if (QRgb* px = Pixels()) {
        const qsizetype stride = image->bytesPerLine() / 4;
        for (int y = 0; y < target.height(); ++y) {
            const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
            QRgb* d = px + (target.top() + y) * stride + target.left();
            for (int x = 0; x < target.width(); ++x)
                if (qAlpha(m[x]) >= 128)
                    d[x] = Rop2(s.rop, m[x], d[x]);
        }
        return;
    }
    // A printer has no pixels to combine with: the figure is combined with
    // white paper and placed as one picture.
    QImage out(target.size(), QImage::Format_ARGB32);
    out.fill(0u);
    for (int y = 0; y < target.height(); ++y) {
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < target.width(); ++x)
            if (qAlpha(m[x]) >= 128)
                o[x] = Rop2(s.rop, m[x], 0xFFFFFFFFu);
    }
    if (QPainter* p = P())
        p->drawImage(target.topLeft() - Offset(), out);
}

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

void CDC::Impl::FillDevice(QRect r, const std::function<QRgb(QRgb)>& f)
{
    QRgb* px = Pixels();
    if (!px)
        return;
    const qsizetype stride = image->bytesPerLine() / 4;
    for (const QRect& c : ClipRects()) {
        const QRect t = c.intersected(r);
        for (int y = t.top(); y <= t.bottom(); ++y)
            for (int x = t.left(); x <= t.right(); ++x) {
                QRgb& d = px[y * stride + x];
                d = f(d);
            }
    }
}

// ---- Targets ----------------------------------------------------------------

CDC::CDC() : d(std::make_shared<Impl>()) {}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* reference)
{
    DeleteDC();
    d->kind = Impl::Kind::Memory;
    if (reference && reference->d->kind != Impl::Kind::None) {
        d->dpiX = reference->d->dpiX;
        d->dpiY = reference->d->dpiY;
    }
    d->defaultBitmap.CreateCompatibleBitmap(nullptr, 1, 1);
    d->s.bitmapObj = &d->defaultBitmap;
    d->s.bitmapImage = d->defaultBitmap.Image();
    d->SetImage(d->s.bitmapImage.get());
    d->SelectDefaults();
    return TRUE;
}

BOOL CDC::AttachImage(QImage* image)
{
    if (!image || image->isNull())
        return FALSE;
    DeleteDC();
    d->kind = Impl::Kind::Image;
    d->SetImage(image);
    d->SelectDefaults();
    return TRUE;
}

BOOL CDC::AttachPrinter(std::shared_ptr<QPrinter> printer)
{
    if (!printer)
        return FALSE;
    DeleteDC();
    d->kind = Impl::Kind::Printer;
    d->printer = std::move(printer);
    d->dpiX = d->dpiY = d->printer->resolution();
    d->SelectDefaults();
    return TRUE;
}

BOOL CDC::CreateScreenIC()
{
    DeleteDC();
    d->kind = Impl::Kind::Info;
    d->SelectDefaults();
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    if (d->kind == Impl::Kind::None)
        return FALSE;
    if (d.use_count() == 1 && d->painter.isActive())
        d->painter.end();
    d = std::make_shared<Impl>();
    return TRUE;
}

BOOL CDC::ShareTarget(CDC* other)
{
    if (!other || other == this || other->d->kind == Impl::Kind::None)
        return FALSE;
    DeleteDC();
    d = other->d;
    return TRUE;
}

void CDC::ReleaseShared() { d = std::make_shared<Impl>(); }

BOOL CDC::IsPrinting() const { return d->kind == Impl::Kind::Printer; }
bool CDC::IsImageTarget() const { return d->HasPixels(); }
QImage* CDC::GetImage() const { return d->HasPixels() ? d->image : nullptr; }
QPrinter* CDC::GetPrinter() const { return d->printer.get(); }

// ---- Objects ----------------------------------------------------------------

CPen* CDC::SelectObject(CPen* pen)
{
    if (!pen || !pen->IsCreated())
        return nullptr;
    CPen* old = d->s.penObj;
    d->s.penObj = pen;
    d->s.penStyle = pen->Style() == PS_INSIDEFRAME ? PS_SOLID : pen->Style();
    d->s.penWidth = pen->Width();
    d->s.penColor = pen->Color();
    return old;
}

CBrush* CDC::SelectObject(CBrush* brush)
{
    if (!brush || !brush->IsCreated())
        return nullptr;
    CBrush* old = d->s.brushObj;
    d->s.brushObj = brush;
    d->s.brushStyle = brush->Style();
    d->s.brushHatch = brush->Hatch();
    d->s.brushColor = brush->Color();
    return old;
}

CFont* CDC::SelectObject(CFont* font)
{
    if (!font || !font->IsCreated())
        return nullptr;
    CFont* old = d->s.fontObj;
    d->ApplyFont(font->LogFont(), font);
    return old;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap)
{
    if (d->kind != Impl::Kind::Memory || !bitmap || !bitmap->IsCreated() || !bitmap->Image())
        return nullptr;
    CBitmap* old = d->s.bitmapObj;
    d->s.bitmapObj = bitmap;
    d->s.bitmapImage = bitmap->Image();
    d->SetImage(d->s.bitmapImage.get());
    return old;
}

int CDC::SelectObject(CRgn* region) { return SelectClipRgn(region); }

CGdiObject* CDC::SelectObject(CGdiObject* object)
{
    if (auto* pen = dynamic_cast<CPen*>(object))
        return SelectObject(pen);
    if (auto* brush = dynamic_cast<CBrush*>(object))
        return SelectObject(brush);
    if (auto* font = dynamic_cast<CFont*>(object))
        return SelectObject(font);
    if (auto* bitmap = dynamic_cast<CBitmap*>(object))
        return SelectObject(bitmap);
    return nullptr;
}

CGdiObject* CDC::SelectStockObject(int index)
{
    if (CPen* p = CPen::FromStock(index))
        return SelectObject(p);
    if (CBrush* b = CBrush::FromStock(index))
        return SelectObject(b);
    if (CFont* f = CFont::FromStock(index))
        return SelectObject(f);
    return nullptr;
}

CPen* CDC::GetCurrentPen() const { return d->s.penObj; }
CFont* CDC::GetCurrentFont() const { return d->s.fontObj; }

// ---- State ------------------------------------------------------------------

int CDC::SaveDC()
{
    if (d->kind == Impl::Kind::None)
        return 0;
    d->saved.push_back(d->s);
    return static_cast<int>(d->saved.size());
}

BOOL CDC::RestoreDC(int saved)
{
    const int n = static_cast<int>(d->saved.size());
    const int index = saved < 0 ? n + saved : saved - 1;
    if (saved == 0 || index < 0 || index >= n)
        return FALSE;
    const std::shared_ptr<QImage> before = d->s.bitmapImage;
    d->s = d->saved[static_cast<size_t>(index)];
    d->saved.resize(static_cast<size_t>(index));
    if (d->kind == Impl::Kind::Memory && d->s.bitmapImage != before)
        d->SetImage(d->s.bitmapImage.get());
    d->Invalidate();
    return TRUE;
}

int CDC::SetROP2(int mode)
{
    const int old = d->s.rop;
    if (mode >= R2_BLACK && mode <= R2_WHITE)
        d->s.rop = mode;
    return old;
}
int CDC::GetROP2() const { return d->s.rop; }

COLORREF CDC::SetTextColor(COLORREF color)
{
    const COLORREF old = d->s.textColor;
    d->s.textColor = color & 0x00FFFFFFu;
    return old;
}
COLORREF CDC::GetTextColor() const { return d->s.textColor; }

COLORREF CDC::SetBkColor(COLORREF color)
{
    const COLORREF old = d->s.bkColor;
    d->s.bkColor = color & 0x00FFFFFFu;
    return old;
}
COLORREF CDC::GetBkColor() const { return d->s.bkColor; }

int CDC::SetBkMode(int mode)
{
    const int old = d->s.bkMode;
    if (mode == TRANSPARENT || mode == OPAQUE)
        d->s.bkMode = mode;
    return old;
}
int CDC::GetBkMode() const { return d->s.bkMode; }

int CDC::SetPolyFillMode(int mode)
{
    const int old = d->s.polyFillMode;
    if (mode == ALTERNATE || mode == WINDING)
        d->s.polyFillMode = mode;
    return old;
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    const QPoint old = d->s.windowOrg;
    d->s.windowOrg = QPoint(x, y);
    d->Invalidate();
    return CPoint(old.x(), old.y());
}

void CDC::LPtoDP(POINT* points, int count) const
{
    const QPoint off = d->Offset();
    for (int i = 0; points && i < count; ++i) {
        points[i].x += off.x();
        points[i].y += off.y();
    }
}
void CDC::LPtoDP(RECT* rect) const
{
    if (!rect)
        return;
    const QPoint off = d->Offset();
    rect->left += off.x();
    rect->right += off.x();
    rect->top += off.y();
    rect->bottom += off.y();
}
void CDC::DPtoLP(POINT* points, int count) const
{
    const QPoint off = d->Offset();
    for (int i = 0; points && i < count; ++i) {
        points[i].x -= off.x();
        points[i].y -= off.y();
    }
}
void CDC::DPtoLP(RECT* rect) const
{
    if (!rect)
        return;
    const QPoint off = d->Offset();
    rect->left -= off.x();
    rect->right -= off.x();
    rect->top -= off.y();
    rect->bottom -= off.y();
}

// ---- Clipping -----------------------------------------------------------------

int CDC::SelectClipRgn(CRgn* region)
{
    if (!region) {
        d->s.hasClip = false;
        d->s.clip = QRegion();
        d->Invalidate();
        return SIMPLEREGION;
    }
    d->s.hasClip = true;
    d->s.clip = region->Region();
    d->Invalidate();
    return CRgn::Kind(d->s.clip);
}

int CDC::SelectClipRgn(CRgn* region, int mode)
{
    if (mode == RGN_COPY || (!region && mode == RGN_COPY))
        return SelectClipRgn(region);
    if (!region)
        return ERROR;
    const QRegion current = d->s.hasClip ? d->s.clip : QRegion(d->DeviceRect());
    QRegion r;
    switch (mode) {
    case RGN_AND: r = current.intersected(region->Region()); break;
    case RGN_OR: r = current.united(region->Region()); break;
    case RGN_XOR: r = current.xored(region->Region()); break;
    case RGN_DIFF: r = current.subtracted(region->Region()); break;
    default: return ERROR;
    }
    d->s.hasClip = true;
    d->s.clip = r;
    d->Invalidate();
    return CRgn::Kind(r);
}

int CDC::IntersectClipRect(int l, int t, int r, int b)
{
    const QRect dev = Norm(l, t, r, b).translated(d->Offset());
    const QRegion current = d->s.hasClip ? d->s.clip : QRegion(d->DeviceRect());
    d->s.clip = current.intersected(dev);
    d->s.hasClip = true;
    d->Invalidate();
    return CRgn::Kind(d->s.clip);
}

int CDC::ExcludeClipRect(int l, int t, int r, int b)
{
    const QRect dev = Norm(l, t, r, b).translated(d->Offset());
    const QRegion current = d->s.hasClip ? d->s.clip : QRegion(d->DeviceRect());
    d->s.clip = current.subtracted(dev);
    d->s.hasClip = true;
    d->Invalidate();
    return CRgn::Kind(d->s.clip);
}

int CDC::GetClipBox(RECT* rect) const
{
    const QRegion visible = d->s.hasClip ? d->s.clip.intersected(d->DeviceRect()) : QRegion(d->DeviceRect());
    const QRect b = visible.boundingRect();
    if (rect) {
        if (visible.isEmpty())
            *rect = CRect(0, 0, 0, 0);
        else
            *rect = CRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
        DPtoLP(rect);
    }
    return CRgn::Kind(visible);
}

// ---- Lines and shapes -----------------------------------------------------------

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

namespace {

// Pen and brush figure: the brush fills, then the pen strokes (gaps first
// in the background colour for a styled pen on an opaque background).
template <class Shape>
void PenAndBrush(CDC::Impl& d, QPainter& p, Shape shape)
{
    p.setPen(Qt::NoPen);
    p.setBrush(d.CurrentBrush());
    if (d.s.brushStyle != BS_NULL)
        shape(p, true);
    if (d.s.penStyle == PS_NULL)
        return;
    p.setBrush(Qt::NoBrush);
    if (d.StyledPen() && d.s.bkMode == OPAQUE) {
        p.setPen(d.MakePen(d.s.bkColor, true));
        shape(p, false);
    }
    p.setPen(d.MakePen(d.s.penColor, false));
    shape(p, false);
}

} // namespace

BOOL CDC::Rectangle(int l, int t, int r, int b)
{
    if (!d->CanDraw())
        return FALSE;
    const QRect rc = Norm(l, t, r, b);
    if (rc.width() < 2 || rc.height() < 2) {
        // Too small for an outline: GDI draws the pen across what there is.
        if (rc.isEmpty())
            return TRUE;
    }
    const int m = std::max(1, d->s.penWidth);
    d->Figure(rc.translated(d->Offset()).adjusted(-m, -m, m, m), [&](QPainter& p) {
        const QRect outline(rc.left(), rc.top(), rc.width() - 1, rc.height() - 1);
        PenAndBrush(*d, p, [&](QPainter& q, bool fill) {
            if (fill) {
                // Without a pen the fill stops one pixel short on the right
                // and bottom; with one the outline covers that pixel anyway.
                q.drawRect(outline);
            } else {
                q.drawRect(outline);
            }
        });
    });
    return TRUE;
}

BOOL CDC::Ellipse(int l, int t, int r, int b)
{
    if (!d->CanDraw())
        return FALSE;
    const QRect rc = Norm(l, t, r, b);
    if (rc.isEmpty())
        return TRUE;
    const int m = std::max(1, d->s.penWidth);
    d->Figure(rc.translated(d->Offset()).adjusted(-m, -m, m, m), [&](QPainter& p) {
        const QRect box(rc.left(), rc.top(), rc.width() - 1, rc.height() - 1);
        PenAndBrush(*d, p, [&](QPainter& q, bool) { q.drawEllipse(box); });
    });
    return TRUE;
}

BOOL CDC::Polygon(const POINT* points, int count)
{
    if (!points || count < 2 || !d->CanDraw())
        return FALSE;
    QPolygon poly;
    for (int i = 0; i < count; ++i)
        poly << QPoint(points[i].x, points[i].y);
    const Qt::FillRule rule = d->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill;
    const int m = std::max(1, d->s.penWidth);
    d->Figure(poly.boundingRect().translated(d->Offset()).adjusted(-m, -m, m, m), [&](QPainter& p) {
        PenAndBrush(*d, p, [&](QPainter& q, bool) { q.drawPolygon(poly, rule); });
    });
    return TRUE;
}

void CDC::FillRect(const RECT* rect, CBrush* brush)
{
    if (!rect || !brush || !brush->IsCreated())
        return;
    const QRect rc(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    if (rc.width() <= 0 || rc.height() <= 0)
        return;
    if (QPainter* p = d->P())
        p->fillRect(rc, d->MakeBrush(brush->Style(), brush->Hatch(), brush->Color()));
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color)
{
    if (!rect)
        return;
    FillSolidRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color)
{
    // Like the system's, this leaves the background colour set to the fill.
    SetBkColor(color);
    const QRect rc = Norm(x, y, x + cx, y + cy);
    if (rc.isEmpty())
        return;
    if (QPainter* p = d->P())
        p->fillRect(rc, ToQColor(color));
}

void CDC::Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight)
{
    if (rect)
        Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight)
{
    const COLORREF bk = GetBkColor();
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
    SetBkColor(bk);
}

void CDC::DrawFocusRect(const RECT* rect)
{
    if (!rect || !d->CanDraw())
        return;
    const QRect rc = Norm(rect->left, rect->top, rect->right, rect->bottom).translated(d->Offset());
    if (rc.isEmpty())
        return;
    // Every other pixel of the border, on a fixed checkerboard, inverted:
    // each border pixel is touched at most once, so a second call undoes it.
    std::vector<QPoint> dots;
    auto add = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            dots.emplace_back(x, y);
    };
    for (int x = rc.left(); x <= rc.right(); ++x) {
        add(x, rc.top());
        if (rc.bottom() != rc.top())
            add(x, rc.bottom());
    }
    for (int y = rc.top() + 1; y < rc.bottom(); ++y) {
        add(rc.left(), y);
        if (rc.right() != rc.left())
            add(rc.right(), y);
    }
    if (QRgb* px = d->Pixels()) {
        const qsizetype stride = d->image->bytesPerLine() / 4;
        const std::vector<QRect>& clips = d->ClipRects();
        for (const QPoint& pt : dots)
            for (const QRect& c : clips)
                if (c.contains(pt)) {
                    px[pt.y() * stride + pt.x()] ^= 0x00FFFFFFu;
                    break;
                }
        return;
    }
    if (QPainter* p = d->P()) {
        p->save();
        p->setPen(QPen(Qt::black, 0));
        for (const QPoint& pt : dots)
            p->drawPoint(pt - d->Offset());
        p->restore();
    }
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color)
{
    if (!d->CanDraw())
        return CLR_INVALID;
    const QPoint dp = QPoint(x, y) + d->Offset();
    if (QRgb* px = d->Pixels()) {
        for (const QRect& c : d->ClipRects())
            if (c.contains(dp)) {
                px[dp.y() * (d->image->bytesPerLine() / 4) + dp.x()] = vx::PixelFromColorRef(color);
                return color & 0x00FFFFFFu;
            }
        return CLR_INVALID;
    }
    if (QPainter* p = d->P())
        p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
    return color & 0x00FFFFFFu;
}

COLORREF CDC::GetPixel(int x, int y) const
{
    if (!d->HasPixels())
        return CLR_INVALID;
    const QPoint dp = QPoint(x, y) + d->Offset();
    if (!d->image->rect().contains(dp))
        return CLR_INVALID;
    const auto* line = reinterpret_cast<const QRgb*>(d->image->constScanLine(dp.y()));
    return vx::ColorRefFromPixel(line[dp.x()]);
}

COLORREF CDC::GetNearestColor(COLORREF color) const { return color & 0x00FFFFFFu; }

// ---- Blits ------------------------------------------------------------------------

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop)
{
    return StretchBlt(x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop)
{
    if (!d->CanDraw() || width == 0 || height == 0)
        return FALSE;
    const QRect dst = QRect(x, y, width, height).normalized();
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY) {
        const QRect dev = dst.translated(d->Offset());
        if (rop == PATCOPY) {
            if (QPainter* p = d->P())
                p->fillRect(dst, d->CurrentBrush());
        } else if (d->HasPixels()) {
            d->FillDevice(dev, [rop](QRgb p) {
                return rop == BLACKNESS ? 0xFF000000u : rop == WHITENESS ? 0xFFFFFFFFu : (p ^ 0x00FFFFFFu);
            });
        } else if (QPainter* p = d->P()) {
            p->fillRect(dst, rop == WHITENESS ? Qt::white : Qt::black);
        }
        return TRUE;
    }
    if (!src || !src->d->HasPixels() || srcWidth == 0 || srcHeight == 0)
        return FALSE;
    const QRect srcDev = QRect(xSrc, ySrc, srcWidth, srcHeight).normalized().translated(src->d->Offset());
    // Copy first: the source may be this very image.
    QImage part = src->d->image->copy(srcDev);
    if ((width < 0) != (srcWidth < 0) || (height < 0) != (srcHeight < 0))
        part = part.mirrored((width < 0) != (srcWidth < 0), (height < 0) != (srcHeight < 0));
    if (rop == NOTSRCCOPY)
        part.invertPixels();
    if (rop == SRCINVERT && d->HasPixels()) {
        const QImage scaled = part.size() == dst.size() ? part : part.scaled(dst.size());
        const QRect dev = dst.translated(d->Offset());
        QRgb* px = d->Pixels();
        const qsizetype stride = d->image->bytesPerLine() / 4;
        for (const QRect& c : d->ClipRects()) {
            const QRect t = c.intersected(dev);
            for (int yy = t.top(); yy <= t.bottom(); ++yy)
                for (int xx = t.left(); xx <= t.right(); ++xx)
                    px[yy * stride + xx] ^= scaled.pixel(xx - dev.left(), yy - dev.top()) & 0x00FFFFFFu;
        }
        return TRUE;
    }
    if (rop != SRCCOPY && rop != NOTSRCCOPY && rop != SRCINVERT)
        return FALSE;
    QPainter* p = d->P();
    if (!p)
        return FALSE;
    // The source is opaque: plain drawing copies it, on printers as well
    // (their engines know no composition modes).
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->drawImage(dst, part);
    p->restore();
    return TRUE;
}

BOOL CDC::AlphaBlend(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, BLENDFUNCTION blend)
{
    if (!src || !src->d->HasPixels() || !d->CanDraw() || width <= 0 || height <= 0)
        return FALSE;
    const QRect srcDev = QRect(xSrc, ySrc, srcWidth, srcHeight).translated(src->d->Offset());
    const QImage part = src->d->image->copy(srcDev);
    QPainter* p = d->P();
    if (!p)
        return FALSE;
    p->save();
    p->setOpacity(blend.SourceConstantAlpha / 255.0);
    p->drawImage(QRect(x, y, width, height), part);
    p->restore();
    return TRUE;
}

BOOL CDC::DrawImage(const RECT* dest, const QImage& image)
{
    if (!dest || image.isNull())
        return FALSE;
    QPainter* p = d->P();
    if (!p)
        return FALSE;
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform, true);
    p->drawImage(QRect(dest->left, dest->top, dest->right - dest->left, dest->bottom - dest->top), image);
    p->restore();
    return TRUE;
}

// ---- Device -------------------------------------------------------------------

int CDC::GetDeviceCaps(int index) const
{
    // Asked for on every measure: known without the device's page.
    if (index == LOGPIXELSX)
        return d->dpiX;
    if (index == LOGPIXELSY)
        return d->dpiY;
    const bool printer = d->kind == Impl::Kind::Printer && d->printer;
    const QRect dev = d->DeviceRect();
    switch (index) {
    case TECHNOLOGY: return printer ? DT_RASPRINTER : DT_RASDISPLAY;
    case HORZRES: return dev.width();
    case VERTRES: return dev.height();
    case HORZSIZE: return static_cast<int>(std::lround(dev.width() * 25.4 / d->dpiX));
    case VERTSIZE: return static_cast<int>(std::lround(dev.height() * 25.4 / d->dpiY));
    case BITSPIXEL: return printer ? 24 : 32;
    case PLANES: return 1;
    case NUMCOLORS:
        if (printer && d->printer->colorMode() == QPrinter::GrayScale)
            return 2;
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case SIZEPALETTE: return 0;
    case PHYSICALWIDTH:
    case PHYSICALHEIGHT:
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: {
        if (!printer)
            return 0;
        const QPageLayout layout = d->printer->pageLayout();
        const QRect full = layout.fullRectPixels(d->printer->resolution());
        const QRect paint = layout.paintRectPixels(d->printer->resolution());
        if (index == PHYSICALWIDTH)
            return full.width();
        if (index == PHYSICALHEIGHT)
            return full.height();
        return index == PHYSICALOFFSETX ? paint.left() : paint.top();
    }
    default: return 0;
    }
}

// ---- Printing ----------------------------------------------------------------

int CDC::StartDoc(const DOCINFO* info)
{
    if (d->kind != Impl::Kind::Printer || d->docStarted)
        return -1;
    if (info && info->lpszDocName)
        d->printer->setDocName(QString::fromUtf8(info->lpszDocName));
    if (info && info->lpszOutput && *info->lpszOutput)
        d->printer->setOutputFileName(QString::fromLocal8Bit(info->lpszOutput));
    if (!d->painter.begin(d->printer.get()))
        return -1;
    d->docStarted = true;
    d->pages = 0;
    d->Invalidate();
    return 1;
}

int CDC::StartDoc(LPCTSTR docName)
{
    DOCINFO info;
    info.lpszDocName = docName;
    return StartDoc(&info);
}

int CDC::StartPage()
{
    if (!d->docStarted)
        return -1;
    if (d->pages > 0 && !d->printer->newPage())
        return -1;
    ++d->pages;
    return 1;
}

int CDC::EndPage() { return d->docStarted ? 1 : -1; }

int CDC::EndDoc()
{
    if (!d->docStarted)
        return -1;
    d->docStarted = false;
    return d->painter.end() ? 1 : -1;
}

BOOL CDC::SetPageOrientation(bool landscape)
{
    if (d->kind != Impl::Kind::Printer || !d->printer)
        return FALSE;
    d->Invalidate();
    return d->printer->setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

int CDC::AbortDoc()
{
    if (!d->docStarted)
        return -1;
    d->printer->abort();
    d->docStarted = false;
    if (d->painter.isActive())
        d->painter.end();
    return 1;
}
