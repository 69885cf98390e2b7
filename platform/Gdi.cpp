#include "platform/Gdi.h"

#include "platform/Bmp.h"
#include "platform/Dc.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// ---- CGdiObject ---------------------------------------------------------

BOOL CGdiObject::DeleteObject()
{
    if (m_stock || !m_created)
        return FALSE;
    m_created = false;
    return TRUE;
}

BOOL CGdiObject::CreateStockObject(int index)
{
    if (!LoadStock(index))
        return FALSE;
    m_created = true;
    m_stock = true;
    return TRUE;
}

// ---- CPen ---------------------------------------------------------------

BOOL CPen::CreatePen(int style, int width, COLORREF color)
{
    if (style < PS_SOLID || style > PS_INSIDEFRAME)
        return FALSE;
    m_style = style;
    m_width = std::max(0, width);
    m_color = color & 0x00FFFFFFu;
    m_created = true;
    m_stock = false;
    return TRUE;
}

bool CPen::LoadStock(int index)
{
    switch (index) {
    case WHITE_PEN: m_style = PS_SOLID; m_color = RGB(255, 255, 255); break;
    case BLACK_PEN: m_style = PS_SOLID; m_color = 0; break;
    case NULL_PEN: m_style = PS_NULL; m_color = 0; break;
    default: return false;
    }
    m_width = 1;
    return true;
}

CPen* CPen::FromStock(int index)
{
    static CPen pens[3];
    static std::once_flag once;
    std::call_once(once, [] {
        pens[0].CreateStockObject(WHITE_PEN);
        pens[1].CreateStockObject(BLACK_PEN);
        pens[2].CreateStockObject(NULL_PEN);
    });
    if (index < WHITE_PEN || index > NULL_PEN)
        return nullptr;
    return &pens[index - WHITE_PEN];
}

// ---- CBrush -------------------------------------------------------------

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    m_style = BS_SOLID;
    m_hatch = 0;
    m_color = color & 0x00FFFFFFu;
    m_created = true;
    m_stock = false;
    return TRUE;
}

BOOL CBrush::CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return FALSE;
    CreateSolidBrush(color);
    m_style = BS_HATCHED;
    m_hatch = hatch;
    return TRUE;
}

bool CBrush::LoadStock(int index)
{
    static const int greys[] = {255, 192, 128, 64, 0};
    if (index >= WHITE_BRUSH && index <= BLACK_BRUSH) {
        const int g = greys[index];
        m_style = BS_SOLID;
        m_color = RGB(g, g, g);
        return true;
    }
    if (index == NULL_BRUSH) {
        m_style = BS_NULL;
        m_color = 0;
        return true;
    }
    return false;
}

CBrush* CBrush::FromStock(int index)
{
    static CBrush brushes[6];
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < 6; ++i)
            brushes[i].CreateStockObject(i);
    });
    if (index < WHITE_BRUSH || index > NULL_BRUSH)
        return nullptr;
    return &brushes[index];
}

// ---- CFont --------------------------------------------------------------

BOOL CFont::CreateFontIndirect(const LOGFONT* lf)
{
    if (!lf)
        return FALSE;
    m_lf = *lf;
    m_lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    m_created = true;
    m_stock = false;
    return TRUE;
}

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                       BYTE pitchAndFamily, LPCTSTR faceName)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

BOOL CFont::CreatePointFont(int pointSize10, LPCTSTR faceName, CDC* dc)
{
    const int dpi = dc ? dc->GetDeviceCaps(LOGPIXELSY) : kScreenDpi;
    LOGFONT lf;
    // A point size is a character height: negative by the sign rule.
    lf.lfHeight = -static_cast<LONG>(std::lround(pointSize10 * dpi / 720.0));
    lf.lfWeight = FW_NORMAL;
    if (faceName)
        std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONT* lf) const
{
    if (!m_created || !lf)
        return 0;
    *lf = m_lf;
    return sizeof(LOGFONT);
}

bool CFont::LoadStock(int index)
{
    m_lf = LOGFONT();
    switch (index) {
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        m_lf.lfHeight = -13;
        m_lf.lfWeight = FW_NORMAL;
        std::strcpy(m_lf.lfFaceName, "Courier New");
        return true;
    case ANSI_VAR_FONT:
    case DEFAULT_GUI_FONT:
        m_lf.lfHeight = -11;
        m_lf.lfWeight = FW_NORMAL;
        std::strcpy(m_lf.lfFaceName, "MS Sans Serif");
        return true;
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        m_lf.lfHeight = 16;
        m_lf.lfWeight = FW_BOLD;
        std::strcpy(m_lf.lfFaceName, "Arial");
        return true;
    default:
        return false;
    }
}

CFont* CFont::FromStock(int index)
{
    static std::map<int, CFont> fonts;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    auto it = fonts.find(index);
    if (it == fonts.end()) {
        CFont f;
        if (!f.CreateStockObject(index))
            return nullptr;
        it = fonts.emplace(index, f).first;
    }
    return &it->second;
}

const char* CFont::MapFaceName(const char* face)
{
    static const struct { const char* from; const char* to; } table[] = {
        {"arial", "Liberation Sans"},
        {"ms sans serif", "Liberation Sans"},
        {"microsoft sans serif", "Liberation Sans"},
        {"ms shell dlg", "Liberation Sans"},
        {"ms shell dlg 2", "Liberation Sans"},
        {"tahoma", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"system", "Liberation Sans"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"fixedsys", "Liberation Mono"},
        {"lucida console", "Liberation Mono"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
    };
    if (!face || !*face)
        return "Liberation Sans";
    std::string lower(face);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& e : table)
        if (lower == e.from)
            return e.to;
    return face;
}

namespace {

// Cell height (ascent + descent) per pixel of em size, per family and
// weight; positive LOGFONT heights ask for a cell height.
double CellPerEm(const QFont& probe)
{
    static std::map<std::string, double> cache;
    static std::mutex lock;
    const std::string key = probe.family().toStdString() + "/" + std::to_string(probe.weight()) +
                            (probe.italic() ? "i" : "");
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto it = cache.find(key);
        if (it != cache.end())
            return it->second;
    }
    QFont f(probe);
    f.setPixelSize(1000);
    const QFontMetricsF fm(f);
    double ratio = (fm.ascent() + fm.descent()) / 1000.0;
    if (!(ratio > 0.5 && ratio < 3.0))
        ratio = 1.15;
    std::lock_guard<std::mutex> guard(lock);
    cache[key] = ratio;
    return ratio;
}

} // namespace

namespace {

QFont BuildQFont(const LOGFONT& lf);

} // namespace

QFont CFont::MakeQFont(const LOGFONT& lf)
{
    // Every font selection asks for one; building it (and the metrics a
    // width needs) costs far more than the paint that selects it, and a
    // chart selects the same few fonts on every paint, many times over when
    // it measures: the last few are found on this thread without a key.
    struct Recent {
        LOGFONT lf;
        QFont font;
    };
    thread_local std::array<std::optional<Recent>, 4> recent;
    thread_local size_t nextRecent = 0;
    for (const auto& r : recent)
        if (r && std::memcmp(&r->lf, &lf, sizeof lf) == 0)
            return r->font;
    static std::map<std::string, QFont> cache;
    static std::mutex lock;
    const QFont f = [&] {
        const std::string key(reinterpret_cast<const char*>(&lf), sizeof lf);
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = cache.find(key);
            if (it != cache.end())
                return it->second;
        }
        QFont built = BuildQFont(lf);
        std::lock_guard<std::mutex> guard(lock);
        if (cache.size() >= 512)
            cache.clear();
        cache.emplace(key, built);
        return built;
    }();
    recent[nextRecent] = Recent{lf, f};
    nextRecent = (nextRecent + 1) % recent.size();
    return f;
}

namespace {

QFont BuildQFont(const LOGFONT& lf)
{
    char face[LF_FACESIZE + 1] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE);
    QFont f(QString::fromLatin1(CFont::MapFaceName(face)));
    if (!face[0] && (lf.lfPitchAndFamily & 0x3) == FIXED_PITCH)
        f.setFamily(QStringLiteral("Liberation Mono"));
    f.setStyleHint((lf.lfPitchAndFamily & 0x3) == FIXED_PITCH ? QFont::TypeWriter : QFont::SansSerif);
    const int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(lf.lfWeight, 1, 1000);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    f.setKerning(false);
    if (lf.lfQuality == 3 /* NONANTIALIASED_QUALITY */)
        f.setStyleStrategy(QFont::NoAntialias);

    int pixels;
    if (lf.lfHeight < 0) {
        pixels = -lf.lfHeight;
    } else if (lf.lfHeight > 0) {
        pixels = static_cast<int>(std::lround(lf.lfHeight / CellPerEm(f)));
    } else {
        pixels = 13;
    }
    f.setPixelSize(std::max(1, pixels));

    if (lf.lfWidth > 0) {
        const QFontMetricsF fm(f);
        const double natural = fm.averageCharWidth();
        if (natural > 0.0)
            f.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * lf.lfWidth / natural)), 1, 4000));
    }
    return f;
}

} // namespace

QFont CFont::ToQFont() const { return MakeQFont(m_lf); }

// ---- CBitmap ------------------------------------------------------------

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int width, int height)
{
    auto img = std::make_shared<QImage>(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    if (img->isNull())
        return FALSE;
    img->fill(0xFF000000u);
    m_image = std::move(img);
    m_created = true;
    m_stock = false;
    return TRUE;
}

BOOL CBitmap::FromImage(const QImage& image)
{
    if (image.isNull())
        return FALSE;
    m_image = std::make_shared<QImage>(image.convertToFormat(QImage::Format_RGB32));
    m_created = true;
    m_stock = false;
    return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT resourceId) { return FromImage(vx::LoadResourceBitmap(resourceId)); }

int CBitmap::GetBitmap(BITMAP* bm) const
{
    if (!m_created || !m_image || !bm)
        return 0;
    bm->bmType = 0;
    bm->bmWidth = m_image->width();
    bm->bmHeight = m_image->height();
    bm->bmWidthBytes = m_image->width() * 4;
    bm->bmPlanes = 1;
    bm->bmBitsPixel = 32;
    bm->bmBits = nullptr;
    return sizeof(BITMAP);
}

CSize CBitmap::GetSize() const
{
    return m_image ? CSize(m_image->width(), m_image->height()) : CSize(0, 0);
}

BOOL CBitmap::DeleteObject()
{
    if (!CGdiObject::DeleteObject())
        return FALSE;
    m_image.reset();   // a DC that still has it selected keeps its own reference
    return TRUE;
}

bool CBitmap::LoadStock(int) { return false; }

CBitmap* CBitmap::FromStock(int) { return nullptr; }

// ---- CRgn ---------------------------------------------------------------

int CRgn::Kind(const QRegion& r)
{
    if (r.isEmpty())
        return NULLREGION;
    return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL CRgn::CreateRectRgn(int l, int t, int r, int b)
{
    SetRectRgn(l, t, r, b);
    return TRUE;
}

BOOL CRgn::CreateEllipticRgn(int l, int t, int r, int b)
{
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    SetRegion(QRegion(QRect(rc.left, rc.top, rc.Width(), rc.Height()), QRegion::Ellipse));
    return TRUE;
}

void CRgn::SetRectRgn(int l, int t, int r, int b)
{
    CRect rc(l, t, r, b);
    rc.NormalizeRect();
    SetRegion(QRegion(rc.left, rc.top, rc.Width(), rc.Height()));
}

void CRgn::SetRectRgn(LPCRECT rect)
{
    if (rect)
        SetRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CRgn::PtInRegion(int x, int y) const { return m_region.contains(QPoint(x, y)); }

// ---- System colours and metrics ----------------------------------------

COLORREF GetSysColor(int index)
{
    static const COLORREF colours[] = {
        RGB(200, 200, 200),   // scroll bar
        RGB(0, 0, 0),         // desktop
        RGB(153, 180, 209),   // active caption
        RGB(191, 205, 219),   // inactive caption
        RGB(240, 240, 240),   // menu
        RGB(255, 255, 255),   // window
        RGB(100, 100, 100),   // window frame
        RGB(0, 0, 0),         // menu text
        RGB(0, 0, 0),         // window text
        RGB(0, 0, 0),         // caption text
        RGB(180, 180, 180),   // active border
        RGB(244, 247, 252),   // inactive border
        RGB(171, 171, 171),   // app workspace
        RGB(0, 120, 215),     // highlight
        RGB(255, 255, 255),   // highlight text
        RGB(240, 240, 240),   // button face
        RGB(160, 160, 160),   // button shadow
        RGB(109, 109, 109),   // grey text
        RGB(0, 0, 0),         // button text
        RGB(0, 0, 0),         // inactive caption text
        RGB(255, 255, 255),   // button highlight
        RGB(105, 105, 105),   // 3-D dark shadow
        RGB(227, 227, 227),   // 3-D light
        RGB(0, 0, 0),         // tooltip text
        RGB(255, 255, 225),   // tooltip background
    };
    if (index < 0 || index >= static_cast<int>(std::size(colours)))
        return 0;
    return colours[index];
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        QRect g(0, 0, 1920, 1080);
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            if (const QScreen* s = QGuiApplication::primaryScreen())
                g = s->geometry();
        return index == SM_CXSCREEN ? g.width() : g.height();
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 20;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}

// Windows get the Qt font of a selected CFont through this resolver.
#include "platform/Wnd.h"

namespace {
QFont ResolveFont(const CFont* font) { return font && font->IsCreated() ? font->ToQFont() : QFont(); }
[[maybe_unused]] const bool g_fontResolverInstalled = (CWnd::SetFontResolver(&ResolveFont), true);
} // namespace
