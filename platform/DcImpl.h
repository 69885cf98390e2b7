// Private state of CDC, shared by the drawing, text and window parts.
#pragma once

#include "platform/Dc.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegion>

#include <functional>
#include <memory>
#include <vector>

struct DcState {
    CPen* penObj = nullptr;
    int penStyle = PS_SOLID;
    int penWidth = 1;
    COLORREF penColor = 0;

    CBrush* brushObj = nullptr;
    int brushStyle = BS_SOLID;
    int brushHatch = 0;
    COLORREF brushColor = RGB(255, 255, 255);

    CFont* fontObj = nullptr;
    LOGFONT lf;
    QFont font;

    CBitmap* bitmapObj = nullptr;
    std::shared_ptr<QImage> bitmapImage;

    COLORREF textColor = 0;
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    int rop = R2_COPYPEN;
    int polyFillMode = ALTERNATE;

    QPoint windowOrg;
    QPoint cur;

    bool hasClip = false;
    QRegion clip;   // device units
};

struct CDC::Impl {
    enum class Kind { None, Image, Memory, Printer, Info };

    Kind kind = Kind::None;
    QImage* image = nullptr;                 // Image and Memory targets
    std::shared_ptr<QPrinter> printer;
    QPainter painter;
    bool docStarted = false;
    int pages = 0;
    int dpiX = kScreenDpi;
    int dpiY = kScreenDpi;
    DcState s;
    std::vector<DcState> saved;
    CBitmap defaultBitmap;
    // A printer starts with its own 10-point font, which selecting "the old
    // font" back must restore; the stock object would bring the screen's.
    std::unique_ptr<CFont> printerFont;
    bool geometryDirty = true;
    bool clipRectsDirty = true;
    bool drawn = false;                      // anything drawn (window DCs show only then)
    std::vector<QRect> clipRects;            // device, within the target

    ~Impl();

    bool HasPixels() const { return image != nullptr && (kind == Kind::Image || kind == Kind::Memory); }
    bool CanDraw() const;
    QPaintDevice* Device() const;
    QPoint Offset() const { return -s.windowOrg; }
    QRect DeviceRect() const;

    // The painter, begun on the target with origin and clip applied; null
    // when nothing can be drawn now (printer outside a document).
    QPainter* P();
    void EndPainter();
    void Invalidate() { geometryDirty = clipRectsDirty = true; }
    void SetupPainter(QPainter& p, QPoint shift) const;
    const std::vector<QRect>& ClipRects();
    // Direct pixel access for raster operations; null without pixels.
    QRgb* Pixels();

    void SetImage(QImage* img);
    void SelectDefaults();
    void ApplyFont(const LOGFONT& lf, CFont* obj);

    QPen MakePen(COLORREF color, bool gapPass) const;
    bool StyledPen() const { return s.penWidth <= 1 && s.penStyle >= PS_DASH && s.penStyle <= PS_DASHDOTDOT; }
    QBrush MakeBrush(int style, int hatch, COLORREF color) const;
    QBrush CurrentBrush() const { return MakeBrush(s.brushStyle, s.brushHatch, s.brushColor); }

    // Draws a pen/brush figure: straight on the target for R2_COPYPEN, else
    // through a coverage mask whose pixels are combined with the target's
    // (on a printer: with white paper). bounds: device units.
    void Figure(QRect bounds, const std::function<void(QPainter&)>& draw);
    // A 1-pixel pen line on an image, end pixel left out.
    // A one-pixel line from a to b (both moved by shift), walked only where
    // it can reach the clip.
    void PixelLine(QPoint a, QPoint b, QPoint shift, int& styleOffset);
    // A line through the painter (wide pens, printers): LineTo's way when
    // the device has no pixels of its own to walk.
    void StrokeLine(QPoint a, QPoint b);
    void FillDevice(QRect r, const std::function<QRgb(QRgb)>& f);
};

namespace vx::dcdetail {
QColor ToQColor(COLORREF c);
QRgb Rop2(int rop, QRgb pen, QRgb dst);
// Cosmetic pen dash patterns in pixels (on, off, ...).
const std::vector<int>& DashPattern(int style);
} // namespace vx::dcdetail
