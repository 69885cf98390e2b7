#include "platform/Dc.h"

#include "platform/DcImpl.h"

#include <QPageLayout>

#include <algorithm>
#include <cmath>

using vx::dcdetail::DashPattern;
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

// ---- Shapes ---------------------------------------------------------------------

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
