// The device context: GDI drawing on a QImage (memory DC, window surface,
// bitmap) or on a printer (a real CUPS queue or a PDF file).
//
// Pixel rules are the GDI ones, honoured exactly on images: Rectangle,
// Ellipse and FillRect leave out the right and bottom edge, LineTo leaves out
// its end pixel, polygons fill alternate, colours are 0x00BBGGRR. Raster
// operations (SetROP2) and focus rectangles are done on the image's pixels,
// so drawing the same thing twice in R2_NOTXORPEN / R2_XORPEN / R2_NOT or
// DrawFocusRect gives the old pixels back. A printer has no pixels to read
// back: such content is rendered to a picture on white paper and placed
// on the page.
#pragma once

#include "platform/CString.h"
#include "platform/Gdi.h"
#include "platform/Geometry.h"
#include "platform/Types.h"

#include <memory>

class QImage;
class QPainter;
class QPrinter;
class QWidget;
class CWnd;

// Raster operations (binary, pen against destination).
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Ternary raster operations of the blits (only the copies are supported).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD PATCOPY = 0x00F00021;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// DrawText formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_EXPANDTABS = 0x0040;
constexpr UINT DT_TABSTOP = 0x0080;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_EXTERNALLEADING = 0x0200;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// GetDeviceCaps.
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_BANDING = 0x0002;
constexpr int RC_SCALING = 0x0004;
constexpr int RC_BITMAP64 = 0x0008;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;

// Screen resolution the whole program lays out for.
constexpr int kScreenDpi = 96;

struct TEXTMETRIC {
    LONG tmHeight = 0;
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmInternalLeading = 0;
    LONG tmExternalLeading = 0;
    LONG tmAveCharWidth = 0;
    LONG tmMaxCharWidth = 0;
    LONG tmWeight = 0;
    LONG tmOverhang = 0;
    LONG tmDigitizedAspectX = 0;
    LONG tmDigitizedAspectY = 0;
    BYTE tmFirstChar = 0x20;
    BYTE tmLastChar = 0xFF;
    BYTE tmDefaultChar = 0x1F;
    BYTE tmBreakChar = 0x20;
    BYTE tmItalic = 0;
    BYTE tmUnderlined = 0;
    BYTE tmStruckOut = 0;
    BYTE tmPitchAndFamily = 0;
    BYTE tmCharSet = 0;
};

struct DOCINFO {
    int cbSize = sizeof(DOCINFO);
    LPCTSTR lpszDocName = nullptr;
    LPCTSTR lpszOutput = nullptr;
    LPCTSTR lpszDatatype = nullptr;
    DWORD fwType = 0;
};

constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;
struct BLENDFUNCTION {
    BYTE BlendOp = AC_SRC_OVER;
    BYTE BlendFlags = 0;
    BYTE SourceConstantAlpha = 255;
    BYTE AlphaFormat = 0;
};

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // ---- Targets ----
    // A memory DC; it starts with a 1 x 1 black bitmap selected and takes
    // the resolution of the given DC (the screen when null).
    BOOL CreateCompatibleDC(CDC* reference);
    // Draws straight into the caller's image (converted to RGB32 if needed;
    // the image must outlive the DC).
    BOOL AttachImage(QImage* image);
    // A printer DC; the DC shares ownership of the printer.
    BOOL AttachPrinter(std::shared_ptr<QPrinter> printer);
    // An information-only DC with the screen's properties: measures text
    // and answers GetDeviceCaps, draws nothing.
    BOOL CreateScreenIC();
    BOOL DeleteDC();
    // Draws on another DC's target with that DC's state (selected objects,
    // origin, clip), as two handles of one device would; ReleaseShared
    // leaves the other DC as it is.
    BOOL ShareTarget(CDC* other);
    void ReleaseShared();
    BOOL IsPrinting() const;
    bool IsImageTarget() const;
    // The image drawn on, or null (printer, information DC).
    QImage* GetImage() const;
    QPrinter* GetPrinter() const;

    // ---- Objects ----
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* region);
    // Whatever kind the object is (e.g. what SelectStockObject returned).
    CGdiObject* SelectObject(CGdiObject* object);
    // The previous object of the same kind.
    CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen() const;
    CFont* GetCurrentFont() const;

    // ---- State ----
    int SaveDC();
    // -1: the last saved state; n > 0: the state SaveDC numbered n.
    BOOL RestoreDC(int saved);
    int SetROP2(int mode);
    int GetROP2() const;
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    // ALTERNATE (the default) or WINDING, for Polygon.
    int SetPolyFillMode(int mode);
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    void LPtoDP(POINT* points, int count = 1) const;
    void LPtoDP(RECT* rect) const;
    void DPtoLP(POINT* points, int count = 1) const;
    void DPtoLP(RECT* rect) const;

    // ---- Clipping (regions in device units, rectangles logical) ----
    int SelectClipRgn(CRgn* region);
    int SelectClipRgn(CRgn* region, int mode);
    int IntersectClipRect(int l, int t, int r, int b);
    int IntersectClipRect(const RECT* rect) { return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom); }
    int ExcludeClipRect(int l, int t, int r, int b);
    int ExcludeClipRect(const RECT* rect) { return ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom); }
    // Logical bounds of what can be drawn; returns the region kind.
    int GetClipBox(RECT* rect) const;

    // ---- Lines and shapes ----
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const;
    BOOL Polyline(const POINT* points, int count);
    // Pairs of ends, each line drawn exactly as MoveTo and LineTo would draw
    // it (its pattern starting afresh); the current position stays. For a
    // curve of many short lines, whose set-up would otherwise cost more
    // than their pixels.
    BOOL LineSegments(const POINT* ends, int pairs);
    BOOL Rectangle(int l, int t, int r, int b);
    BOOL Rectangle(const RECT* rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL Ellipse(int l, int t, int r, int b);
    BOOL Ellipse(const RECT* rect) { return Ellipse(rect->left, rect->top, rect->right, rect->bottom); }
    BOOL Polygon(const POINT* points, int count);
    void FillRect(const RECT* rect, CBrush* brush);
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    // Dotted, inverting: drawing it twice restores the pixels.
    void DrawFocusRect(const RECT* rect);
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    // CLR_INVALID (0xFFFFFFFF) outside the image or on a printer.
    COLORREF GetPixel(int x, int y) const;
    COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }
    COLORREF GetNearestColor(COLORREF color) const;

    // ---- Text ----
    BOOL TextOut(int x, int y, const CString& text);
    BOOL TextOut(int x, int y, const char* text, int count);
    // Returns the height of the text; with DT_CALCRECT only measures and
    // sets the rectangle's right and bottom.
    int DrawText(const CString& text, RECT* rect, UINT format);
    int DrawText(const char* text, int count, RECT* rect, UINT format);
    CSize GetTextExtent(const CString& text) const;
    CSize GetTextExtent(const char* text, int count) const;
    BOOL GetTextMetrics(TEXTMETRIC* tm) const;

    // ---- Blits ----
    // SRCCOPY, NOTSRCCOPY, SRCINVERT, DSTINVERT, BLACKNESS, WHITENESS, PATCOPY.
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, DWORD rop);
    BOOL AlphaBlend(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, BLENDFUNCTION blend);
    // Draws an image (e.g. a bitmap read from a file) stretched into the
    // logical rectangle; on a printer at the printer's resolution.
    BOOL DrawImage(const RECT* dest, const QImage& image);

    // ---- Device ----
    int GetDeviceCaps(int index) const;

    // ---- Printing (printer DCs only; <= 0 on failure) ----
    int StartDoc(const DOCINFO* info);
    int StartDoc(LPCTSTR docName);
    int StartPage();
    int EndPage();
    int EndDoc();
    int AbortDoc();
    // Portrait or landscape for the pages started from now on.
    BOOL SetPageOrientation(bool landscape);

    // Opaque state, named here only so the implementation files can share it.
    struct Impl;

protected:
    std::shared_ptr<Impl> d;
};

// Window drawing. Every CWnd with a Qt peer draws into a surface image of
// its client size: CPaintDC (inside OnPaint) and CClientDC (any time) both
// draw on that image, so raster operations are exact on screen too; the
// surface is put on screen when the DC ends.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    CRect m_rcPaint;   // client rectangle to paint (the whole client area)

    // The client area shows picture, drawn at its top left corner. A
    // picture of the client's size becomes the window's surface as it is,
    // shared rather than copied.
    BOOL ShowPicture(const QImage& picture);

private:
    CWnd* m_wnd;
};

class CClientDC : public CDC {
public:
    // A null window gives a screen information DC (GetDeviceCaps, text size).
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    CWnd* m_wnd;
};

using CWindowDC = CClientDC;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

namespace vx {
// Liang-Barsky: the segment (x0, y0)-(x1, y1) cut to the rectangle
// left..right, top..bottom (edges included); false when nothing of it lies
// there. In doubles, for ends far beyond what ints hold.
bool ClipSegmentToRect(double& x0, double& y0, double& x1, double& y1, double left, double top, double right,
                       double bottom);
} // namespace vx
