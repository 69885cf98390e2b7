// Drawing objects the program selects into a CDC: pens, brushes, fonts,
// bitmaps and regions, plus the fixed system colours and metrics.
//
// An object is a small value (style, width, colour, LOGFONT, ...) with a
// "created" flag; a CDC copies what it needs when the object is selected, so
// deleting an object that is still selected never leaves the DC drawing with
// freed memory. Bitmaps share their pixels with the DC that has them
// selected.
#pragma once

#include "platform/CObject.h"
#include "platform/Geometry.h"
#include "platform/Types.h"

#include <QImage>
#include <QRegion>

#include <memory>

class CDC;
class QFont;

// Re-declaring the same alias elsewhere is harmless.
using LPCRECT = const RECT*;
using LPRECT = RECT*;
using LPPOINT = POINT*;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

// Brush styles and hatches.
constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;
constexpr int BS_HOLLOW = BS_NULL;
constexpr int BS_HATCHED = 2;
constexpr int HS_HORIZONTAL = 0;  // -----
constexpr int HS_VERTICAL = 1;    // |||||
constexpr int HS_FDIAGONAL = 2;   // \\\\\ (top left to bottom right)
constexpr int HS_BDIAGONAL = 3;   // ///// (bottom left to top right)
constexpr int HS_CROSS = 4;       // +++++
constexpr int HS_DIAGCROSS = 5;   // xxxxx

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Font fields.
constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr int FW_HEAVY = 900;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr int LF_FACESIZE = 32;

// Region combination and results.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// The 60-byte record stored in chart archives and passed around by the
// property pages; its layout is fixed.
struct LOGFONT {
    LONG lfHeight = 0;       // < 0: character height; > 0: cell height; 0: default
    LONG lfWidth = 0;        // average character width, 0 = natural
    LONG lfEscapement = 0;   // tenths of a degree, counter-clockwise
    LONG lfOrientation = 0;
    LONG lfWeight = 0;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 60, "LOGFONT is stored byte for byte");
using LPLOGFONT = LOGFONT*;

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 32;
    void* bmBits = nullptr;
};

class CGdiObject : public CObject {
public:
    ~CGdiObject() override = default;
    // False when the object was never created (or is deleted).
    bool IsCreated() const { return m_created; }
    operator bool() const = delete;
    virtual BOOL DeleteObject();
    // Stock objects come from one static table; a stock object cannot be deleted.
    BOOL CreateStockObject(int index);

protected:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = default;
    CGdiObject& operator=(const CGdiObject&) = default;
    virtual bool LoadStock(int index) = 0;
    bool m_created = false;
    bool m_stock = false;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    BOOL CreatePen(int style, int width, COLORREF color);

    int Style() const { return m_style; }
    int Width() const { return m_width; }
    COLORREF Color() const { return m_color; }

    static CPen* FromStock(int index);

protected:
    bool LoadStock(int index) override;

private:
    int m_style = PS_SOLID;
    int m_width = 1;
    COLORREF m_color = 0;
};

class CBitmap;

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
    BOOL CreateSolidBrush(COLORREF color);
    BOOL CreateHatchBrush(int hatch, COLORREF color);

    int Style() const { return m_style; }
    int Hatch() const { return m_hatch; }
    COLORREF Color() const { return m_color; }

    static CBrush* FromStock(int index);

protected:
    bool LoadStock(int index) override;

private:
    int m_style = BS_SOLID;
    int m_hatch = 0;
    COLORREF m_color = 0;
};

class CFont : public CGdiObject {
public:
    CFont() = default;
    BOOL CreateFontIndirect(const LOGFONT* lf);
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight,
                    BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                    BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                    BYTE pitchAndFamily, LPCTSTR faceName);
    // Size in tenths of a point; on a null DC the screen's 96 dpi counts.
    BOOL CreatePointFont(int pointSize10, LPCTSTR faceName, CDC* dc = nullptr);
    int GetLogFont(LOGFONT* lf) const;
    const LOGFONT& LogFont() const { return m_lf; }

    // The Qt font for this LOGFONT: face mapped to the installed metric-
    // compatible families, pixel size from the height sign rules. The
    // escapement is not part of the QFont; the DC rotates for it.
    QFont ToQFont() const;
    static QFont MakeQFont(const LOGFONT& lf);
    // "Arial" -> "Liberation Sans", "Courier New" -> "Liberation Mono", ...
    static const char* MapFaceName(const char* face);

    static CFont* FromStock(int index);

protected:
    bool LoadStock(int index) override;

private:
    LOGFONT m_lf;
};

class CBitmap : public CGdiObject {
public:
    CBitmap() = default;
    // Black, RGB32, of the given size (at least 1 x 1).
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    // The program's own bitmaps: res/<id>.bmp (see Bmp.h for the lookup).
    BOOL LoadBitmap(UINT resourceId);
    BOOL FromImage(const QImage& image);
    int GetBitmap(BITMAP* bm) const;
    CSize GetSize() const;
    BOOL DeleteObject() override;

    // The pixels (Format_RGB32); shared with a DC that has this bitmap selected.
    std::shared_ptr<QImage> Image() const { return m_image; }

    static CBitmap* FromStock(int index);

protected:
    bool LoadStock(int index) override;

private:
    std::shared_ptr<QImage> m_image;
};

// Regions are in device units.
class CRgn : public CGdiObject {
public:
    CRgn() = default;
    BOOL CreateRectRgn(int l, int t, int r, int b);
    BOOL CreateEllipticRgn(int l, int t, int r, int b);
    void SetRectRgn(int l, int t, int r, int b);
    void SetRectRgn(LPCRECT rect);
    BOOL PtInRegion(int x, int y) const;
    BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }

    const QRegion& Region() const { return m_region; }
    void SetRegion(const QRegion& r) { m_region = r; m_created = true; }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    static int Kind(const QRegion& r);

protected:
    bool LoadStock(int) override { return false; }

private:
    QRegion m_region;
};

// System colours (fixed, the classic grey scheme) and metrics.
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
COLORREF GetSysColor(int index);

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYVTHUMB = 9;
constexpr int SM_CXHTHUMB = 10;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXCURSOR = 13;
constexpr int SM_CYCURSOR = 14;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXDOUBLECLK = 36;
constexpr int SM_CYDOUBLECLK = 37;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;
int GetSystemMetrics(int index);

namespace vx {
// COLORREF (0x00BBGGRR) <-> QImage RGB32 pixel (0xFFRRGGBB).
constexpr unsigned PixelFromColorRef(COLORREF c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
constexpr COLORREF ColorRefFromPixel(unsigned p)
{
    return ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}
} // namespace vx
