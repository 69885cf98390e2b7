// Pixel rules of the device context on images: what the chart and the
// sliders rely on when they draw.
#include "platform/Dc.h"
#include "platform/Gdi.h"
#include "platform/RectTracker.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRegion>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory DC on a white bitmap of the given size.
struct Canvas {
    CDC dc;
    CBitmap bmp;
    Canvas(int w, int h)
    {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bmp);
        CRect all(0, 0, w, h);
        dc.FillSolidRect(&all, kWhite);
    }
    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
    // Rows of '#' (not white) and '.' for readable failure messages.
    std::string Row(int y, int x0, int x1) const
    {
        std::string s;
        for (int x = x0; x <= x1; ++x)
            s += At(x, y) == kWhite ? '.' : '#';
        return s;
    }
    QImage Copy() const { return dc.GetImage()->copy(); }
};

long Marks(const std::string& row) { return std::count(row.begin(), row.end(), '#'); }

} // namespace

TEST(DcGeometry, RectangleAndFillRectLeaveOutRightAndBottomEdge)
{
    Canvas c(12, 10);
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    CBrush brush(RGB(0, 0, 255));
    c.dc.SelectObject(&pen);
    c.dc.SelectObject(&brush);
    c.dc.Rectangle(2, 2, 8, 6);
    // Outline on columns 2..7 and rows 2..5, interior filled with the brush.
    EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(c.At(7, 5), RGB(255, 0, 0));
    EXPECT_EQ(c.At(8, 5), kWhite);
    EXPECT_EQ(c.At(7, 6), kWhite);
    EXPECT_EQ(c.At(3, 3), RGB(0, 0, 255));
    EXPECT_EQ(c.At(6, 4), RGB(0, 0, 255));

    Canvas f(12, 10);
    CRect r(1, 1, 5, 4);
    CBrush black(kBlack);
    f.dc.FillRect(&r, &black);
    EXPECT_EQ(f.Row(1, 0, 6), ".####..");
    EXPECT_EQ(f.Row(3, 0, 6), ".####..");
    EXPECT_EQ(f.Row(4, 0, 6), ".......");
}

TEST(DcGeometry, EllipseStaysInsideItsRectangle)
{
    for (const CRect r : {CRect(2, 3, 12, 9), CRect(1, 1, 20, 20), CRect(4, 4, 7, 6)}) {
        Canvas c(24, 24);
        c.dc.SelectStockObject(BLACK_BRUSH);
        c.dc.Ellipse(&r);
        int minX = 99, minY = 99, maxX = -1, maxY = -1;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                if (c.At(x, y) != kWhite) {
                    minX = std::min(minX, x);
                    minY = std::min(minY, y);
                    maxX = std::max(maxX, x);
                    maxY = std::max(maxY, y);
                }
        EXPECT_EQ(CRect(minX, minY, maxX + 1, maxY + 1), r);
    }
}

TEST(DcGeometry, RectangleWithoutPenFillsOnePixelLess)
{
    Canvas c(10, 10);
    c.dc.SelectStockObject(NULL_PEN);
    c.dc.SelectStockObject(BLACK_BRUSH);
    c.dc.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(c.Row(1, 0, 6), ".####..");
    EXPECT_EQ(c.Row(3, 0, 6), ".####..");
    EXPECT_EQ(c.Row(4, 0, 6), ".......");
}

TEST(DcGeometry, LineToLeavesOutItsEndPixelInEveryDirection)
{
    Canvas c(12, 12);
    c.dc.MoveTo(1, 1);
    c.dc.LineTo(8, 1);           // left to right
    EXPECT_EQ(c.Row(1, 0, 9), ".#######..");
    c.dc.MoveTo(8, 3);
    c.dc.LineTo(1, 3);           // right to left: (1,3) stays white
    EXPECT_EQ(c.Row(3, 0, 9), "..#######.");
    c.dc.MoveTo(10, 1);
    c.dc.LineTo(10, 6);          // down
    EXPECT_EQ(c.At(10, 5), kBlack);
    EXPECT_EQ(c.At(10, 6), kWhite);
    c.dc.MoveTo(1, 5);
    c.dc.LineTo(5, 9);           // diagonal
    EXPECT_EQ(c.At(4, 8), kBlack);
    EXPECT_EQ(c.At(5, 9), kWhite);
    EXPECT_EQ(c.dc.GetCurrentPosition(), CPoint(5, 9));

    // A polyline of segments draws each joint once and leaves out the last.
    Canvas p(10, 4);
    const POINT pts[] = {{1, 1}, {4, 1}, {7, 1}};
    p.dc.Polyline(pts, 3);
    EXPECT_EQ(p.Row(1, 0, 8), ".######..");

    // A line of length zero draws nothing.
    Canvas z(4, 4);
    z.dc.MoveTo(2, 2);
    z.dc.LineTo(2, 2);
    EXPECT_EQ(z.At(2, 2), kWhite);
}

namespace {

// The pixels of a one-pixel line from a to b as a full walk over every step
// marks them (end pixel left out), on a w x h canvas; dashed when pattern is
// given (on, off, on, off ... lengths).
std::vector<std::string> ReferenceLine(int w, int h, long long ax, long long ay, long long bx, long long by,
                                       const std::vector<int>& pattern = {}, int offset = 0)
{
    std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
    const long long dx = std::llabs(bx - ax), dy = std::llabs(by - ay);
    const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int period = 0;
    for (int v : pattern)
        period += v;
    long long x = ax, y = ay, err = dx - dy;
    for (long long i = 0; i < std::max(dx, dy); ++i) {
        bool on = true;
        if (period) {
            int pos = static_cast<int>((i + offset) % period);
            for (size_t k = 0; k < pattern.size(); ++k) {
                if (pos < pattern[k]) {
                    on = k % 2 == 0;
                    break;
                }
                pos -= pattern[k];
            }
        }
        if (on && x >= 0 && x < w && y >= 0 && y < h)
            rows[static_cast<size_t>(y)][static_cast<size_t>(x)] = '#';
        const long long e2 = 2 * err;
        if (e2 > -dy) {
            err -= dy;
            x += sx;
        }
        if (e2 < dx) {
            err += dx;
            y += sy;
        }
    }
    return rows;
}

std::vector<std::string> Rows(const Canvas& c, int w, int h)
{
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y)
        rows.push_back(c.Row(y, 0, w - 1));
    return rows;
}

} // namespace

TEST(DcGeometry, LinesFarBeyondTheTargetDrawOnlyWhatShowsAndExactly)
{
    // Lines that start and end far outside: the same pixels as a walk over
    // every step, for a few thousand steps; and lines with ends near the
    // int limits (billions of steps) drawn at once, without wrapping.
    struct Line {
        int ax, ay, bx, by;
    };
    const Line lines[] = {{-1000, -300, 1000, 400}, {37, -2000, 5, 3000}, {-500, 25, 900, 25},
                          {60, 60, -3000, -2999}};
    for (const Line& l : lines) {
        for (bool dotted : {false, true}) {
            Canvas c(64, 48);
            CPen pen(dotted ? PS_DOT : PS_SOLID, 1, kBlack);
            c.dc.SelectObject(&pen);
            c.dc.MoveTo(l.ax, l.ay);
            c.dc.LineTo(l.bx, l.by);
            const auto want = ReferenceLine(64, 48, l.ax, l.ay, l.bx, l.by,
                                            dotted ? std::vector<int>{3, 3} : std::vector<int>{});
            EXPECT_EQ(Rows(c, 64, 48), want) << l.ax << "," << l.ay << " -> " << l.bx << "," << l.by
                                             << (dotted ? " dotted" : "");
        }
    }

    Canvas c(40, 30);
    CPen pen(PS_SOLID, 1, kBlack);
    c.dc.SelectObject(&pen);
    c.dc.MoveTo(INT_MIN + 5, 10);
    c.dc.LineTo(INT_MAX - 5, 10);
    EXPECT_EQ(c.Row(10, 0, 39), std::string(40, '#'));
    c.dc.MoveTo(INT_MIN + 7, INT_MIN + 7);
    c.dc.LineTo(INT_MAX - 7, INT_MAX - 7);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(c.At(i, i), kBlack) << i;
    EXPECT_EQ(Marks(c.Row(20, 0, 39)), 1);  // only the diagonal
    // A wide pen the same way.
    CPen wide(PS_SOLID, 3, RGB(255, 0, 0));
    c.dc.SelectObject(&wide);
    c.dc.MoveTo(20, INT_MIN + 3);
    c.dc.LineTo(20, INT_MAX - 3);
    EXPECT_EQ(c.At(20, 0), RGB(255, 0, 0));
    EXPECT_EQ(c.At(20, 29), RGB(255, 0, 0));
}

TEST(DcGeometry, PolygonFillsAlternate)
{
    // A five-pointed star drawn as one polygon: the centre pentagon is
    // crossed twice and stays unfilled under the alternate rule.
    Canvas c(40, 40);
    c.dc.SelectStockObject(NULL_PEN);
    c.dc.SelectStockObject(BLACK_BRUSH);
    const POINT star[] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
    c.dc.Polygon(star, 5);
    EXPECT_EQ(c.At(20, 21), kWhite);   // centre
    EXPECT_EQ(c.At(20, 8), kBlack);    // top point
    EXPECT_EQ(c.At(8, 15), kBlack);    // left point
    c.dc.SetPolyFillMode(WINDING);
    c.dc.Polygon(star, 5);
    EXPECT_EQ(c.At(20, 21), kBlack);
}

TEST(DcGeometry, ColorRefIsBlueGreenRed)
{
    Canvas c(4, 4);
    c.dc.SetPixel(1, 1, 0xFF0000);   // blue in 0x00BBGGRR
    const QRgb px = c.dc.GetImage()->pixel(1, 1);
    EXPECT_EQ(qBlue(px), 255);
    EXPECT_EQ(qRed(px), 0);
    EXPECT_EQ(c.At(1, 1), 0xFF0000u);
}

TEST(DcGeometry, WindowOriginShiftsDrawingAndClipBox)
{
    Canvas c(20, 20);
    c.dc.SetWindowOrg(5, 5);
    CRect r(5, 5, 7, 7);
    c.dc.FillSolidRect(&r, kBlack);
    EXPECT_EQ(c.dc.GetImage()->pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(c.dc.GetImage()->pixel(2, 2), 0xFFFFFFFFu);
    CRect box;
    c.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(5, 5, 25, 25));
}

TEST(DcRasterOps, NotXorTwiceRestoresEveryPixel)
{
    Canvas c(60, 40);
    // Some content underneath: coloured stripes and text.
    for (int i = 0; i < 6; ++i) {
        CRect band(i * 10, 0, i * 10 + 10, 40);
        c.dc.FillSolidRect(&band, RGB(40 * i, 255 - 40 * i, (i * 97) % 256));
    }
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.TextOut(3, 3, CString("Abc"));
    const QImage before = c.Copy();

    auto band = [&] {
        const int old = c.dc.SetROP2(R2_NOTXORPEN);
        CPen pen(PS_SOLID, 1, kBlack);
        CBrush brush(RGB(150, 150, 255));
        CPen* oldPen = c.dc.SelectObject(&pen);
        CBrush* oldBrush = c.dc.SelectObject(&brush);
        c.dc.Rectangle(5, 5, 50, 30);
        c.dc.MoveTo(0, 35);
        c.dc.LineTo(59, 2);
        c.dc.SelectObject(oldPen);
        c.dc.SelectObject(oldBrush);
        c.dc.SetROP2(old);
    };
    band();
    const QImage once = c.Copy();
    EXPECT_NE(once, before);
    // NOT-XOR with a black pen inverts what lies under the outline.
    EXPECT_EQ(c.At(5, 20), before.pixel(5, 20) & 0xFFFFFFu ? vx::ColorRefFromPixel(~before.pixel(5, 20)) : kWhite);
    band();
    EXPECT_EQ(c.Copy(), before);
}

TEST(DcRasterOps, XorNotAndFocusRectCancelThemselves)
{
    Canvas c(30, 20);
    CRect half(0, 0, 15, 20);
    c.dc.FillSolidRect(&half, RGB(10, 200, 30));
    const QImage before = c.Copy();

    c.dc.SetROP2(R2_XORPEN);
    CPen wide(PS_SOLID, 3, RGB(255, 0, 255));
    c.dc.SelectObject(&wide);
    c.dc.MoveTo(2, 2);
    c.dc.LineTo(25, 15);
    c.dc.MoveTo(2, 2);
    c.dc.LineTo(25, 15);
    EXPECT_EQ(c.Copy(), before);

    c.dc.SetROP2(R2_NOT);
    c.dc.SelectStockObject(BLACK_PEN);
    c.dc.Ellipse(3, 3, 27, 17);
    EXPECT_NE(c.Copy(), before);
    c.dc.Ellipse(3, 3, 27, 17);
    EXPECT_EQ(c.Copy(), before);

    c.dc.SetROP2(R2_COPYPEN);
    CRect focus(4, 4, 20, 12);
    c.dc.DrawFocusRect(&focus);
    EXPECT_NE(c.Copy(), before);
    // Dotted: neighbouring border pixels differ.
    EXPECT_NE(c.At(4, 4) == RGB(10, 200, 30), c.At(5, 4) == RGB(10, 200, 30));
    c.dc.DrawFocusRect(&focus);
    EXPECT_EQ(c.Copy(), before);
}

TEST(DcRasterOps, TextAndFillRectIgnoreTheRasterOperation)
{
    Canvas c(20, 10);
    c.dc.SetROP2(R2_NOT);
    CRect r(0, 0, 5, 5);
    c.dc.FillSolidRect(&r, RGB(1, 2, 3));
    EXPECT_EQ(c.At(2, 2), RGB(1, 2, 3));
}

TEST(DcBrushes, HatchesRunInTheirDirections)
{
    auto hatched = [](int style) {
        auto c = std::make_unique<Canvas>(16, 16);
        CBrush b(style, kBlack);
        CRect all(0, 0, 16, 16);
        c->dc.SetBkMode(TRANSPARENT);
        c->dc.FillRect(&all, &b);
        return c;
    };
    // Diagonal "\": a set pixel continues down and to the right.
    auto f = hatched(HS_FDIAGONAL);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(f->At(3 + i, 3 + i), kBlack) << i;
    EXPECT_EQ(f->At(4, 2), kWhite);
    // Diagonal "/": continues up and to the right.
    auto b = hatched(HS_BDIAGONAL);
    int x0 = -1;
    for (int x = 0; x < 8 && x0 < 0; ++x)
        if (b->At(x, 10) == kBlack)
            x0 = x;
    ASSERT_GE(x0, 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(b->At(x0 + i, 10 - i), kBlack) << i;
    EXPECT_EQ(b->At(x0 + 1, 11), kWhite);
    // Horizontal: whole rows; vertical: whole columns; crosses: both.
    auto h = hatched(HS_HORIZONTAL);
    int hy = -1;
    for (int y = 0; y < 8 && hy < 0; ++y)
        if (h->At(0, y) == kBlack)
            hy = y;
    ASSERT_GE(hy, 0);
    EXPECT_EQ(h->Row(hy, 0, 15), std::string(16, '#'));
    EXPECT_EQ(h->Row(hy + 1, 0, 15), std::string(16, '.'));
    EXPECT_EQ(h->Row(hy + 8, 0, 15), std::string(16, '#'));
    auto v = hatched(HS_VERTICAL);
    EXPECT_EQ(v->Row(5, 0, 15), v->Row(12, 0, 15));
    EXPECT_EQ(Marks(v->Row(5, 0, 15)), 2);
    auto x = hatched(HS_DIAGCROSS);
    EXPECT_EQ(Marks(x->Row(1, 0, 15)), 4);
}

TEST(DcBrushes, OpaqueHatchFillsTheGapsWithTheBackgroundColour)
{
    Canvas c(8, 8);
    CBrush b(HS_CROSS, kBlack);
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(RGB(255, 0, 0));
    CRect all(0, 0, 8, 8);
    c.dc.FillRect(&all, &b);
    int red = 0, black = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            (c.At(x, y) == kBlack ? black : c.At(x, y) == RGB(255, 0, 0) ? red : black) += 1;
    EXPECT_EQ(black, 15);
    EXPECT_EQ(red, 49);
}

TEST(DcPens, LinesInsideThePictureWalkLikeAnyOtherAndStyledOnesCarryTheirPatternOn)
{
    struct Line {
        int ax, ay, bx, by;
    };
    // Every direction, short pieces as a curve draws them, and lines along
    // the picture's edges.
    const Line lines[] = {{2, 3, 60, 3}, {60, 5, 2, 5}, {7, 1, 7, 46}, {9, 46, 9, 1},
                          {1, 1, 62, 30}, {50, 2, 40, 45}, {62, 46, 3, 20}, {20, 20, 21, 23},
                          {20, 20, 18, 19}, {0, 0, 63, 47}, {63, 0, 0, 47}, {0, 47, 63, 47}};
    const std::pair<int, std::vector<int>> styles[] = {{PS_SOLID, {}}, {PS_DOT, {3, 3}}, {PS_DASH, {18, 6}},
                                                       {PS_DASHDOT, {9, 6, 3, 6}},
                                                       {PS_DASHDOTDOT, {9, 3, 3, 3, 3, 3}}};
    for (const auto& [style, pattern] : styles) {
        for (const Line& l : lines) {
            Canvas c(64, 48);
            CPen pen(style, 1, kBlack);
            c.dc.SelectObject(&pen);
            c.dc.MoveTo(l.ax, l.ay);
            c.dc.LineTo(l.bx, l.by);
            EXPECT_EQ(Rows(c, 64, 48), ReferenceLine(64, 48, l.ax, l.ay, l.bx, l.by, pattern))
                << style << ": " << l.ax << "," << l.ay << " -> " << l.bx << "," << l.by;
        }
        // A polyline goes on with the pattern where the last piece left it.
        Canvas c(64, 48);
        CPen pen(style, 1, kBlack);
        c.dc.SelectObject(&pen);
        const POINT corners[] = {{3, 10}, {40, 10}, {40, 45}};
        c.dc.Polyline(corners, 3);
        auto want = ReferenceLine(64, 48, 3, 10, 40, 10, pattern);
        const auto second = ReferenceLine(64, 48, 40, 10, 40, 45, pattern, 37);
        for (size_t y = 0; y < want.size(); ++y)
            for (size_t x = 0; x < want[y].size(); ++x)
                if (second[y][x] == '#')
                    want[y][x] = '#';
        EXPECT_EQ(Rows(c, 64, 48), want) << style << " polyline";
    }
}

TEST(DcPens, LineSegmentsDrawEachPairAsMoveToAndLineToWouldAndLeaveThePenWhereItWas)
{
    // Short pieces inside, pieces crossing the clip and the picture's
    // edge, some far beyond it (at the ends of the int range), and a piece
    // drawn twice (an inverting pen must take it out again, as two LineTo
    // calls would).
    const std::vector<POINT> ends = {{5, 5},   {6, 7},   {6, 7},    {6, 20},  {6, 20},  {30, 18}, {-10, 3},
                                     {20, 40}, {40, 2},  {70, 30},  {2, 44},  {2, 44},  {1, 1},   {1, -5000000},
                                     {33, 33}, {34, 30}, {33, 33},  {34, 30}, {50, 40}, {12, 12},
                                     {INT_MAX, 20}, {INT_MIN, 21}, {3, INT_MIN}, {4, INT_MAX}};
    const int pairs = static_cast<int>(ends.size() / 2);
    struct Setup {
        int style, width, rop;
        bool clip, shifted;
    };
    const Setup setups[] = {{PS_SOLID, 1, R2_COPYPEN, false, false}, {PS_SOLID, 1, R2_COPYPEN, true, false},
                            {PS_SOLID, 1, R2_COPYPEN, false, true},  {PS_DOT, 1, R2_COPYPEN, false, false},
                            {PS_DASH, 1, R2_COPYPEN, true, true},    {PS_SOLID, 1, R2_NOTXORPEN, false, false},
                            {PS_SOLID, 3, R2_COPYPEN, false, false}, {PS_SOLID, 1, R2_COPYPEN, false, false}};
    for (const Setup& u : setups) {
        auto prepare = [&u](Canvas& c, CPen& pen) {
            c.dc.SelectObject(&pen);
            c.dc.SetROP2(u.rop);
            if (u.shifted)
                c.dc.SetWindowOrg(-3, 2);
            if (u.clip) {
                // Two rectangles: no single one holds every line.
                CRgn both;
                both.SetRegion(QRegion(0, 0, 30, 48) | QRegion(35, 10, 25, 30));
                c.dc.SelectClipRgn(&both);
            }
            c.dc.MoveTo(17, 19);
        };
        Canvas want(64, 48), got(64, 48);
        CPen wantPen(u.style, u.width, RGB(200, 0, 0)), gotPen(u.style, u.width, RGB(200, 0, 0));
        prepare(want, wantPen);
        prepare(got, gotPen);
        for (int i = 0; i < pairs; ++i) {
            want.dc.MoveTo(ends[2 * i]);
            want.dc.LineTo(ends[2 * i + 1]);
        }
        want.dc.MoveTo(17, 19);
        EXPECT_TRUE(got.dc.LineSegments(ends.data(), pairs));
        EXPECT_EQ(got.Copy(), want.Copy()) << u.style << " width " << u.width << " rop " << u.rop << " clip "
                                           << u.clip << " shifted " << u.shifted;
        EXPECT_EQ(got.dc.GetCurrentPosition(), CPoint(17, 19));
    }
    Canvas c(8, 8);
    EXPECT_TRUE(c.dc.LineSegments(ends.data(), 0));
    EXPECT_FALSE(c.dc.LineSegments(nullptr, 1));
}

TEST(DcPens, DotsAndDashesHaveGapsThatOpaqueModeFills)
{
    Canvas c(40, 6);
    CPen dot(PS_DOT, 1, kBlack);
    c.dc.SelectObject(&dot);
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.MoveTo(0, 1);
    c.dc.LineTo(40, 1);
    EXPECT_EQ(c.Row(1, 0, 11), "###...###...");
    c.dc.SetBkMode(OPAQUE);
    c.dc.SetBkColor(RGB(0, 255, 0));
    c.dc.MoveTo(0, 3);
    c.dc.LineTo(40, 3);
    EXPECT_EQ(c.At(4, 3), RGB(0, 255, 0));
    EXPECT_EQ(c.At(1, 3), kBlack);
    // A wide pen is solid whatever its style.
    CPen wide(PS_DASH, 2, kBlack);
    Canvas w(40, 6);
    w.dc.SelectObject(&wide);
    w.dc.MoveTo(0, 2);
    w.dc.LineTo(39, 2);
    EXPECT_EQ(w.Row(2, 2, 36), std::string(35, '#'));
}

TEST(DcObjects, SelectObjectReturnsThePreviousAndSaveDcRestores)
{
    Canvas c(10, 10);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen blue(PS_SOLID, 1, RGB(0, 0, 255));
    CPen* stock = c.dc.SelectObject(&red);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(c.dc.SelectObject(&blue), &red);
    EXPECT_EQ(c.dc.SelectObject(stock), &blue);
    EXPECT_EQ(c.dc.GetCurrentPen(), stock);

    CFont font;
    LOGFONT lf{};
    lf.lfHeight = -20;
    std::strcpy(lf.lfFaceName, "Arial");
    font.CreateFontIndirect(&lf);
    const int level = c.dc.SaveDC();
    c.dc.SelectObject(&font);
    c.dc.SelectObject(&red);
    c.dc.SetTextColor(RGB(1, 2, 3));
    c.dc.SetROP2(R2_XORPEN);
    c.dc.IntersectClipRect(0, 0, 2, 2);
    c.dc.SaveDC();
    c.dc.SetBkMode(TRANSPARENT);
    EXPECT_TRUE(c.dc.RestoreDC(level));
    EXPECT_EQ(c.dc.GetCurrentFont(), CFont::FromStock(SYSTEM_FONT));
    EXPECT_EQ(c.dc.GetCurrentPen(), stock);
    EXPECT_EQ(c.dc.GetTextColor(), 0u);
    EXPECT_EQ(c.dc.GetROP2(), R2_COPYPEN);
    EXPECT_EQ(c.dc.GetBkMode(), OPAQUE);
    CRect box;
    c.dc.GetClipBox(&box);
    EXPECT_EQ(box, CRect(0, 0, 10, 10));
    EXPECT_FALSE(c.dc.RestoreDC(-1));   // nothing saved any more

    // A pen deleted while selected still draws (the DC keeps its values).
    {
        CPen temp(PS_SOLID, 1, RGB(0, 128, 0));
        c.dc.SelectObject(&temp);
    }
    c.dc.MoveTo(0, 5);
    c.dc.LineTo(5, 5);
    EXPECT_EQ(c.At(2, 5), RGB(0, 128, 0));
}

TEST(DcClipping, RectanglesAndRegionsLimitDrawing)
{
    Canvas c(20, 20);
    c.dc.IntersectClipRect(5, 5, 10, 10);
    CRect all(0, 0, 20, 20);
    CBrush black(kBlack);
    c.dc.FillRect(&all, &black);
    EXPECT_EQ(c.At(4, 5), kWhite);
    EXPECT_EQ(c.At(5, 5), kBlack);
    EXPECT_EQ(c.At(9, 9), kBlack);
    EXPECT_EQ(c.At(10, 9), kWhite);

    Canvas e(20, 20);
    CRgn ellipse;
    ellipse.CreateEllipticRgn(0, 0, 20, 20);
    e.dc.SelectClipRgn(&ellipse);
    e.dc.MoveTo(0, 0);
    e.dc.LineTo(20, 0);   // along the top edge: mostly outside the ellipse
    e.dc.MoveTo(0, 10);
    e.dc.LineTo(20, 10);  // through the middle
    EXPECT_EQ(e.At(1, 0), kWhite);
    EXPECT_EQ(e.At(10, 10), kBlack);
    CRgn hole;
    hole.CreateRectRgn(8, 8, 12, 12);
    e.dc.SelectClipRgn(&hole, RGN_DIFF);
    e.dc.MoveTo(0, 9);
    e.dc.LineTo(20, 9);
    EXPECT_EQ(e.At(9, 9), kWhite);
    EXPECT_EQ(e.At(5, 9), kBlack);
    e.dc.SelectClipRgn(nullptr);
    e.dc.SetPixel(0, 0, kBlack);
    EXPECT_EQ(e.At(0, 0), kBlack);
}

TEST(DcBlits, BitBltCopiesAndStretchBltScales)
{
    Canvas src(10, 10);
    CRect r(2, 2, 4, 4);
    src.dc.FillSolidRect(&r, RGB(200, 0, 0));
    Canvas dst(30, 30);
    dst.dc.BitBlt(10, 10, 10, 10, &src.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(dst.At(12, 12), RGB(200, 0, 0));
    EXPECT_EQ(dst.At(14, 12), kWhite);
    dst.dc.StretchBlt(0, 0, 20, 20, &src.dc, 0, 0, 10, 10, SRCCOPY);
    EXPECT_EQ(dst.At(4, 4), RGB(200, 0, 0));
    EXPECT_EQ(dst.At(7, 7), RGB(200, 0, 0));
    EXPECT_EQ(dst.At(8, 8), kWhite);
    // Source rectangle in the source's own logical coordinates.
    src.dc.SetWindowOrg(2, 2);   // the red square is now at (4, 4)
    Canvas d2(4, 4);
    d2.dc.BitBlt(0, 0, 3, 3, &src.dc, 4, 4, SRCCOPY);
    EXPECT_EQ(d2.At(0, 0), RGB(200, 0, 0));
    EXPECT_EQ(d2.At(1, 1), RGB(200, 0, 0));
    EXPECT_EQ(d2.At(2, 2), kWhite);
}

TEST(DcBlits, MemoryDcOverAnotherDcAndSharedTarget)
{
    // The flicker-free pattern: draw off screen with the origin at the paint
    // rectangle, then copy back with a source copy.
    Canvas target(40, 30);
    CDC mem;
    mem.CreateCompatibleDC(&target.dc);
    CBitmap off;
    off.CreateCompatibleBitmap(&target.dc, 20, 10);
    CBitmap* old = mem.SelectObject(&off);
    ASSERT_NE(old, nullptr);
    mem.SetWindowOrg(10, 10);
    CRect r(10, 10, 30, 20);
    mem.FillSolidRect(&r, RGB(9, 9, 9));
    mem.MoveTo(10, 15);
    mem.LineTo(30, 15);
    target.dc.BitBlt(10, 10, 20, 10, &mem, 10, 10, SRCCOPY);
    mem.SelectObject(old);
    EXPECT_EQ(target.At(10, 10), RGB(9, 9, 9));
    EXPECT_EQ(target.At(29, 15), kBlack);
    EXPECT_EQ(target.At(30, 15), kWhite);
    EXPECT_EQ(target.At(15, 20), kWhite);

    // Sharing: a second DC draws on the same target with the same state.
    CDC shared;
    ASSERT_TRUE(shared.ShareTarget(&target.dc));
    CPen green(PS_SOLID, 1, RGB(0, 255, 0));
    shared.SelectObject(&green);
    shared.MoveTo(0, 25);
    shared.LineTo(5, 25);
    EXPECT_EQ(target.At(2, 25), RGB(0, 255, 0));
    EXPECT_EQ(target.dc.GetCurrentPen(), &green);
    shared.ReleaseShared();
    target.dc.SelectStockObject(BLACK_PEN);
    target.dc.LineTo(5, 27);
    EXPECT_EQ(target.At(5, 26), kBlack);
}

TEST(DcText, ExtentsAndDrawTextLayout)
{
    Canvas c(200, 100);
    CFont font;
    LOGFONT lf{};
    lf.lfHeight = -16;
    lf.lfWeight = FW_NORMAL;
    std::strcpy(lf.lfFaceName, "Arial");
    font.CreateFontIndirect(&lf);
    c.dc.SelectObject(&font);
    const CSize one = c.dc.GetTextExtent(CString("Wert"));
    EXPECT_GT(one.cx, 20);
    EXPECT_GE(one.cy, 16);
    EXPECT_LE(one.cy, 20);
    EXPECT_GT(c.dc.GetTextExtent(CString("Wert Wert")).cx, 2 * one.cx);
    // Measured again after another font was selected: each font its own
    // extent, whatever was measured before.
    CFont big;
    LOGFONT blf = lf;
    blf.lfHeight = -32;
    big.CreateFontIndirect(&blf);
    c.dc.SelectObject(&big);
    const CSize large = c.dc.GetTextExtent(CString("Wert"));
    EXPECT_GT(large.cx, one.cx + one.cx / 2);
    EXPECT_GT(large.cy, one.cy);
    c.dc.SelectObject(&font);
    EXPECT_EQ(c.dc.GetTextExtent(CString("Wert")), one);

    // DT_CALCRECT measures lines separated by "\r\n" and keeps left/top.
    CRect calc(10, 20, 11, 21);
    const int h = c.dc.DrawText(CString("Kanal 1\r\nKraft in N"), &calc, DT_CALCRECT | DT_CENTER);
    EXPECT_EQ(h, 2 * one.cy);
    EXPECT_EQ(calc.top, 20);
    EXPECT_EQ(calc.left, 10);
    EXPECT_EQ(calc.Height(), 2 * one.cy);
    EXPECT_EQ(calc.Width(), c.dc.GetTextExtent(CString("Kraft in N")).cx);

    // Right-aligned, vertically centred text lands at the right end.
    c.dc.SetBkMode(TRANSPARENT);
    CRect box(0, 0, 200, 100);
    c.dc.DrawText(CString("X"), &box, DT_SINGLELINE | DT_RIGHT | DT_VCENTER);
    int minX = 1000, minY = 1000, maxY = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (c.At(x, y) != kWhite) {
                minX = std::min(minX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_GT(minX, 180);
    EXPECT_NEAR((minY + maxY) / 2.0, 50.0, 4.0);

    // Clipped to the rectangle unless DT_NOCLIP.
    Canvas k(60, 30);
    k.dc.SelectObject(&font);
    CRect narrow(0, 0, 10, 30);
    k.dc.DrawText(CString("WWWW"), &narrow, DT_SINGLELINE);
    for (int y = 0; y < 30; ++y)
        EXPECT_EQ(k.At(15, y), kWhite);
    k.dc.DrawText(CString("WWWW"), &narrow, DT_SINGLELINE | DT_NOCLIP);
    bool beyond = false;
    for (int y = 0; y < 30; ++y)
        beyond |= k.At(15, y) != kWhite;
    EXPECT_TRUE(beyond);
}

TEST(DcText, OpaqueBackgroundAndVerticalText)
{
    Canvas c(100, 100);
    CFont vertical;
    vertical.CreateFont(-14, 0, 900, 900, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    c.dc.SelectObject(&vertical);
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.TextOut(50, 90, CString("Vertikal"));
    // Rotated by 90 degrees counter-clockwise: the text runs upwards from
    // (50, 90), its glyphs to the right of x = 50... within one line height.
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (c.At(x, y) != kWhite) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_GT(maxY - minY, 3 * (maxX - minX));
    EXPECT_LE(maxY, 90);
    EXPECT_GE(minX, 49);

    Canvas o(60, 30);
    o.dc.SetBkMode(OPAQUE);
    o.dc.SetBkColor(RGB(0, 0, 255));
    o.dc.TextOut(5, 5, CString("i"));
    const CSize ext = o.dc.GetTextExtent(CString("i"));
    EXPECT_EQ(o.At(5, 5), RGB(0, 0, 255));
    EXPECT_EQ(o.At(5 + ext.cx - 1, 5 + ext.cy - 1), RGB(0, 0, 255));
    EXPECT_EQ(o.At(5 + ext.cx, 5), kWhite);
}

TEST(DcText, ALabelComesOutTheSameWhereverItGoesOnWhateverLiesUnderIt)
{
    // A label drawn again where the same label was drawn before over the
    // same background may be a copy of it: it must be the same to the pixel,
    // take the new colours, and leave alone what the glyphs do not cover.
    CFont font;
    font.CreateFont(-15, 0, 0, 0, FW_NORMAL, TRUE, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    const CString label("fj W/12,5 kN");
    constexpr COLORREF kBlueInk = RGB(20, 40, 160);
    constexpr COLORREF kGrey = RGB(230, 230, 230);
    auto setup = [&](Canvas& c) {
        c.dc.SelectObject(&font);
        c.dc.SetBkMode(TRANSPARENT);
        c.dc.SetTextColor(kBlueInk);
    };
    auto block = [](const Canvas& c, int x, int y) { return c.dc.GetImage()->copy(x, y, 150, 70); };

    // Drawn twice, at other places: the same pixels around each.
    Canvas c(300, 140);
    setup(c);
    c.dc.TextOut(10, 10, label);
    c.dc.TextOut(160, 80, label);
    c.dc.TextOut(160, 80 - 70, label);
    EXPECT_EQ(block(c, 0, 0), block(c, 150, 70));
    EXPECT_EQ(block(c, 0, 0), block(c, 150, 0));

    // On grey paper: grey around the glyphs, none of the white before.
    Canvas g(300, 140);
    setup(g);
    CRect grey(150, 0, 300, 140);
    g.dc.FillSolidRect(&grey, kGrey);
    g.dc.TextOut(10, 10, label);
    g.dc.TextOut(160, 10, label);
    g.dc.TextOut(160, 80, label);
    EXPECT_EQ(block(g, 150, 0), block(g, 150, 70));
    for (int y = 0; y < 140; ++y)
        for (int x = 150; x < 300; ++x)
            ASSERT_NE(g.At(x, y), kWhite) << x << "," << y;
    // In red: red, no trace of the blue.
    g.dc.SetTextColor(RGB(200, 0, 0));
    g.dc.TextOut(10, 80, label);
    int reds = 0;
    for (int y = 70; y < 140; ++y)
        for (int x = 0; x < 150; ++x) {
            const COLORREF px = g.At(x, y);
            ASSERT_LE(GetBValue(px), GetRValue(px)) << x << "," << y;
            reds += GetRValue(px) > 150 && GetGValue(px) < 60;
        }
    EXPECT_GT(reds, 10);

    // With a background of its own, that background comes along, in the
    // colour asked for now.
    Canvas o(300, 140);
    setup(o);
    o.dc.SetBkMode(OPAQUE);
    o.dc.SetBkColor(RGB(255, 255, 0));
    o.dc.TextOut(10, 10, label);
    o.dc.TextOut(160, 80, label);
    EXPECT_EQ(block(o, 0, 0), block(o, 150, 70));
    EXPECT_EQ(o.At(10, 10), RGB(255, 255, 0));
    o.dc.SetBkColor(RGB(0, 255, 255));
    o.dc.TextOut(10, 80, label);
    EXPECT_EQ(o.At(10, 80), RGB(0, 255, 255));

    // A line just above the label's cell stays whole where the label goes
    // again: only what the glyphs cover changes.
    Canvas l(300, 140);
    setup(l);
    l.dc.TextOut(10, 10, label);
    CRect line(0, 78, 300, 79);
    l.dc.FillSolidRect(&line, RGB(0, 160, 0));
    l.dc.TextOut(10, 80, label);
    for (int x = 0; x < 300; ++x)
        ASSERT_EQ(l.At(x, 78), RGB(0, 160, 0)) << x;

    // Over a background of more than one colour (a line through the
    // cell), drawn again where the same lies under it: as a first drawing
    // there comes out, the line's pixels under the glyphs blended alike.
    auto striped = [&](Canvas& c, int x, int y) {
        CRect stripe(x, y + 6, x + 150, y + 8);
        c.dc.FillSolidRect(&stripe, RGB(0, 160, 0));
    };
    Canvas s1(300, 140), s2(300, 140);
    setup(s1);
    setup(s2);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{150, 70}, std::pair{0, 70}}) {
        striped(s1, x, y);
        striped(s2, x, y);
    }
    s1.dc.TextOut(10, 10, label);
    s1.dc.TextOut(160, 80, label);
    s2.dc.TextOut(160, 80, label);
    EXPECT_EQ(block(s1, 150, 70), block(s2, 150, 70));
    // Where something else lies under it, the old copy does not do.
    CRect other(0, 70 + 12, 150, 70 + 13);
    s1.dc.FillSolidRect(&other, RGB(160, 0, 0));
    s2.dc.FillSolidRect(&other, RGB(160, 0, 0));
    s1.dc.TextOut(10, 80, label);
    Canvas s3(300, 140);
    setup(s3);
    striped(s3, 0, 70);
    s3.dc.FillSolidRect(&other, RGB(160, 0, 0));
    s3.dc.TextOut(10, 80, label);
    EXPECT_EQ(block(s1, 0, 70), block(s3, 0, 70));

    // Clipped, by the DC or by the text's rectangle, the copy is clipped
    // as the drawing is.
    Canvas k(300, 140);
    setup(k);
    k.dc.TextOut(10, 10, label);
    k.dc.SaveDC();
    k.dc.IntersectClipRect(0, 0, 40, 140);
    k.dc.TextOut(10, 80, label);
    k.dc.RestoreDC(-1);
    CRect narrow(160, 80, 190, 120);
    k.dc.DrawText(label, &narrow, DT_SINGLELINE);
    for (int y = 70; y < 140; ++y) {
        for (int x = 40; x < 150; ++x)
            ASSERT_EQ(k.At(x, y), kWhite) << x << "," << y;
        for (int x = 190; x < 300; ++x)
            ASSERT_EQ(k.At(x, y), kWhite) << x << "," << y;
    }
}

TEST(DcText, NewScaleTextsMeasureAsTheToolkitMeasuresThem)
{
    // Numbers, times and dates in faces, sizes and weights a chart uses:
    // each new text as wide as the toolkit's own measure says.
    const char* const faces[] = {"Arial", "Times New Roman", "Courier New", "MS Sans Serif"};
    const int heights[] = {-9, -13, -17, 24};
    const char* const texts[] = {"0.000", "-1.500 ", "12:34:56", "07.12.2026", "1,5e+07", "(3/4) 50%",
                                 "-0.805", "1.000e-03", "111", "7;7"};
    Canvas c(20, 20);
    for (const char* face : faces)
        for (int h : heights)
            for (int weight : {FW_NORMAL, FW_BOLD}) {
                CFont font;
                font.CreateFont(h, 0, 0, 0, weight, FALSE, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
                c.dc.SelectObject(&font);
                const QFontMetrics fm(font.ToQFont(), c.dc.GetImage());
                for (const char* t : texts)
                    EXPECT_EQ(c.dc.GetTextExtent(t).cx, fm.horizontalAdvance(QString::fromLatin1(t)))
                        << face << " " << h << " " << weight << " '" << t << "'";
                c.dc.SelectStockObject(SYSTEM_FONT);
            }
}

TEST(DcFonts, HeightSignRulesAndFaceMapping)
{
    EXPECT_STREQ(CFont::MapFaceName("Arial"), "Liberation Sans");
    EXPECT_STREQ(CFont::MapFaceName("MS Sans Serif"), "Liberation Sans");
    EXPECT_STREQ(CFont::MapFaceName("Courier New"), "Liberation Mono");

    LOGFONT lf{};
    std::strcpy(lf.lfFaceName, "Arial");
    lf.lfHeight = -20;   // character height
    const QFont em = CFont::MakeQFont(lf);
    EXPECT_EQ(em.pixelSize(), 20);
    EXPECT_EQ(em.family(), QStringLiteral("Liberation Sans"));
    lf.lfHeight = 20;    // cell height: the em is smaller
    const QFont cell = CFont::MakeQFont(lf);
    EXPECT_LT(cell.pixelSize(), 20);
    EXPECT_GE(cell.pixelSize(), 16);

    Canvas c(10, 10);
    CFont f;
    f.CreateFontIndirect(&lf);
    c.dc.SelectObject(&f);
    TEXTMETRIC tm;
    ASSERT_TRUE(c.dc.GetTextMetrics(&tm));
    EXPECT_NEAR(tm.tmHeight, 20, 1);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);

    // Width and weight.
    lf.lfHeight = -20;
    lf.lfWeight = FW_BOLD;
    lf.lfWidth = 20;
    EXPECT_EQ(CFont::MakeQFont(lf).weight(), QFont::Bold);
    CFont wide;
    wide.CreateFontIndirect(&lf);
    c.dc.SelectObject(&wide);
    const int wideW = c.dc.GetTextExtent(CString("abcdef")).cx;
    lf.lfWidth = 0;
    CFont normal;
    normal.CreateFontIndirect(&lf);
    c.dc.SelectObject(&normal);
    EXPECT_GT(wideW, c.dc.GetTextExtent(CString("abcdef")).cx * 3 / 2);
}

TEST(DcDevice, CapsOfScreenAndMemory)
{
    CClientDC screen(nullptr);
    EXPECT_EQ(screen.GetDeviceCaps(LOGPIXELSX), 96);
    EXPECT_EQ(screen.GetDeviceCaps(LOGPIXELSY), 96);
    EXPECT_EQ(screen.GetDeviceCaps(NUMCOLORS), -1);
    EXPECT_EQ(screen.GetDeviceCaps(RASTERCAPS) & RC_PALETTE, 0);
    EXPECT_NE(screen.GetTextExtent(CString("x")).cx, 0);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
}

TEST(RectTracker, HandlesOutsideHitTestAndDrag)
{
    CRect r(20, 20, 60, 50);
    CRectTracker t(&r, CRectTracker::resizeOutside | CRectTracker::hatchedBorder);
    CRect whole;
    t.GetTrueRect(&whole);
    EXPECT_EQ(whole, CRect(15, 15, 65, 55));
    EXPECT_EQ(t.HitTest(CPoint(16, 16)), CRectTracker::hitTopLeft);
    EXPECT_EQ(t.HitTest(CPoint(63, 53)), CRectTracker::hitBottomRight);
    EXPECT_EQ(t.HitTest(CPoint(40, 35)), CRectTracker::hitMiddle);
    EXPECT_EQ(t.HitTest(CPoint(100, 100)), CRectTracker::hitNothing);

    ASSERT_TRUE(t.BeginTrack(CPoint(40, 35)));
    EXPECT_TRUE(t.TrackMove(CPoint(45, 30)));
    EXPECT_TRUE(t.EndTrack(CPoint(50, 35)));
    EXPECT_EQ(t.m_rect, CRect(30, 20, 70, 50));
    EXPECT_FALSE(t.IsTracking());

    // Resizing stops at the minimum size; cancelling puts it back.
    ASSERT_TRUE(t.BeginTrack(CPoint(72, 53)));
    EXPECT_EQ(t.TrackingHit(), CRectTracker::hitBottomRight);
    t.TrackMove(CPoint(0, 0));
    EXPECT_EQ(t.m_rect.Width(), t.m_sizeMin.cx);
    EXPECT_EQ(t.m_rect.left, 30);
    t.CancelTrack();
    EXPECT_EQ(t.m_rect, CRect(30, 20, 70, 50));
    EXPECT_FALSE(t.BeginTrack(CPoint(0, 0)));

    // Drawing marks the hatched border but not the inside.
    Canvas c(80, 70);
    t.Draw(&c.dc);
    EXPECT_EQ(c.At(50, 35), kWhite);
    int marked = 0;
    for (int x = 25; x < 75; ++x)
        marked += c.At(x, 17) != kWhite;
    EXPECT_GT(marked, 5);
}

// The scene the closing note describes: written as a PNG next to the test
// binary for a person to look at.
TEST(DcScene, SmallSceneIsWrittenAsPng)
{
    Canvas c(320, 200);
    CRect bg(0, 0, 320, 200);
    c.dc.FillSolidRect(&bg, RGB(255, 255, 240));

    CPen blue(PS_SOLID, 1, RGB(0, 0, 200));
    CPen thick(PS_SOLID, 3, RGB(200, 0, 0));
    CPen dash(PS_DASH, 1, RGB(0, 120, 0));
    c.dc.SetBkMode(TRANSPARENT);
    c.dc.SelectObject(&blue);
    for (int i = 0; i < 10; ++i) {
        c.dc.MoveTo(10, 10 + 4 * i);
        c.dc.LineTo(150, 10 + 8 * i);
    }
    c.dc.SelectObject(&thick);
    c.dc.MoveTo(10, 120);
    c.dc.LineTo(150, 90);
    c.dc.SelectObject(&dash);
    c.dc.MoveTo(10, 130);
    c.dc.LineTo(300, 130);

    const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
    c.dc.SelectStockObject(BLACK_PEN);
    for (int i = 0; i < 6; ++i) {
        CBrush h(hatches[i], RGB(40 * i, 0, 255 - 40 * i));
        CBrush* old = c.dc.SelectObject(&h);
        c.dc.Rectangle(170 + (i % 3) * 48, 10 + (i / 3) * 48, 170 + (i % 3) * 48 + 40, 10 + (i / 3) * 48 + 40);
        c.dc.SelectObject(old);
    }
    CFont up;
    up.CreateFont(-14, 0, 900, 900, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    CFont* oldFont = c.dc.SelectObject(&up);
    c.dc.SetTextColor(RGB(128, 0, 128));
    c.dc.TextOut(160, 190, CString("Kraft [N]"));
    c.dc.SelectObject(oldFont);
    c.dc.SetTextColor(0);
    c.dc.TextOut(10, 170, CString("Zeit [s] \xE4\xF6\xFC"));

    c.dc.SetROP2(R2_NOTXORPEN);
    CBrush band(RGB(150, 150, 255));
    c.dc.SelectObject(&band);
    c.dc.SelectStockObject(NULL_PEN);
    c.dc.Rectangle(60, 60, 260, 110);
    c.dc.SetROP2(R2_COPYPEN);

    const std::string path = std::string(VX35_BINARY_DIR) + "/draw_scene.png";
    ASSERT_TRUE(c.dc.GetImage()->save(QString::fromStdString(path), "PNG"));
    // The band changed what lay under it and left the outside alone.
    EXPECT_NE(c.At(100, 100), RGB(255, 255, 240));
    EXPECT_EQ(c.At(100, 150), RGB(255, 255, 240));
}
