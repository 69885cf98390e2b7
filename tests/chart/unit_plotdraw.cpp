// What a paint puts on the pixels: clipping to the plot, curve colours,
// segment records, cost with long series, robustness, print scaling.
#include "support_chart.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>

namespace {

// Pixels outside r that differ between two images.
int DiffOutside(const QImage& a, const QImage& b, const CRect& r)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!r.PtInRect(CPoint(x, y)) && a.pixel(x, y) != b.pixel(x, y))
                ++n;
    return n;
}

int CountColor(const QImage& img, const CRect& r, COLORREF c)
{
    const QRgb want = vx::PixelFromColorRef(c);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (img.pixel(x, y) == want)
                ++n;
    return n;
}

// The segments a full walk over every point records: the reference the
// bounded paint must match. A pixel column with several points is drawn
// from its lowest to its highest point; the line reaches the column at its
// first point and leaves it from its last.
std::vector<PlotSegment> ReferenceSegments(CPlot& plot, const CPlotDataSerie& c)
{
    CPlotAxis& xa = plot.GetXAxis(c.GetXAxisIndex());
    CPlotAxis& ya = plot.GetYAxis(c.GetYAxisIndex());
    const CRect r = plot.GetPlotRect();
    std::vector<PlotSegment> out;
    auto record = [&](CPoint a, CPoint b) {
        if (r.PtInRect(a) || r.PtInRect(b))
            out.push_back({a.x, a.y, b.x, b.y});
    };
    bool started = false;
    CPoint prev;  // the last point of the column before
    int col = 0, low = 0, high = 0;
    auto closeColumn = [&] {
        if (started && low < high)
            record(CPoint(col, low), CPoint(col, high));
    };
    for (int i = 0; i < c.GetCount(); ++i) {
        const ChartPoint p{c.GetX(i), c.GetY(i)};
        const CPoint q(xa.GetPointForValue(p).x, ya.GetPointForValue(p).y);
        if (started && q.x == col) {
            low = std::min(low, q.y);
            high = std::max(high, q.y);
            prev = q;
            continue;
        }
        closeColumn();
        if (started)
            record(prev, q);
        col = q.x;
        low = high = q.y;
        prev = q;
        started = true;
    }
    closeColumn();
    return out;
}

// Pieces of the ink of one colour inside r: pixels that touch at a side or
// a corner belong to one piece.
int InkPieces(const QImage& img, const CRect& r, COLORREF ink)
{
    const QRgb want = vx::PixelFromColorRef(ink);
    std::vector<char> seen(static_cast<size_t>(img.width()) * static_cast<size_t>(img.height()));
    auto take = [&](int x, int y) {
        const size_t at = static_cast<size_t>(y) * static_cast<size_t>(img.width()) + static_cast<size_t>(x);
        if (!r.PtInRect(CPoint(x, y)) || seen[at] || img.pixel(x, y) != want)
            return false;
        seen[at] = 1;
        return true;
    };
    int pieces = 0;
    std::vector<QPoint> todo;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            if (!take(x, y))
                continue;
            ++pieces;
            for (todo.assign(1, QPoint(x, y)); !todo.empty();) {
                const QPoint p = todo.back();
                todo.pop_back();
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (take(p.x() + dx, p.y() + dy))
                            todo.emplace_back(p.x() + dx, p.y() + dy);
            }
        }
    return pieces;
}

bool SameSegments(const std::vector<PlotSegment>& a, const std::vector<PlotSegment>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x1 != b[i].x1 || a[i].y1 != b[i].y1 || a[i].x2 != b[i].x2 || a[i].y2 != b[i].y2)
            return false;
    return true;
}

}  // namespace

TEST(Paint, NothingIsDrawnOutsideThePlotAfterTheAxes)
{
    FixedMetrics metrics;
    TestPlot plot;
    auto a = Ramp(200, -50, 1, 3, -20);  // runs far out of the shown range
    auto b = Ramp(200, -50, 1, -2, 40);
    plot.SetData(a.data(), 200, 0, 0, 0, false, false, false);
    plot.SetData(b.data(), 200, 1, 0, 1, false, false, false);
    plot.GetXAxis(0).SetRange(0, 100);
    plot.GetYAxis(0).SetRange(0, 100);
    plot.GetYAxis(1).SetRange(-50, 50);
    plot.GetCurve(0).SetLineSize(3);
    plot.GetCurve(1).SetShowMarker(true);
    plot.GetCurve(1).SetFill(true);
    plot.GetCurve(1).SetFillPartner(-1);
    plot.GetCurve(1).SetFillColor(RGB(200, 0, 0));
    plot.GetCurve(1).SetTransparentFill(false);
    plot.SetShowLegend(false);
    // Keys belong to the axes and come and go with the curves.
    for (int i = 0; i < plot.GetYAxisCount(); ++i)
        plot.GetYAxis(i).SetShowMarker(false);
    plot.GetXAxis(0).SetShowMarker(false);

    QImage with = BlankImage(500, 300);
    plot.RenderTo(with);
    const CRect r = plot.GetPlotRect();
    plot.ShowCurve(0, false);
    plot.ShowCurve(1, false);
    QImage without = BlankImage(500, 300);
    plot.RenderTo(without);
    ASSERT_EQ(plot.GetPlotRect(), r);
    EXPECT_GT(CountColor(with, r, plot.GetCurve(0).GetColor()), 100);
    EXPECT_GT(CountColor(with, r, RGB(200, 0, 0)), 1000);
    EXPECT_EQ(DiffOutside(with, without, r), 0);
}

TEST(Paint, SelectedCurvesAreInvertedAndLowColourIsBlack)
{
    TestPlot plot;
    plot.SetShowLegend(false);
    auto pts = Ramp(50, 0, 1, 0, 5);  // a flat line in the middle
    plot.SetData(pts.data(), 50, 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetRange(0, 49);
    plot.GetYAxis(0).SetRange(0, 10);
    plot.GetCurve(0).SetColor(RGB(255, 255, 255));
    plot.SetInnerColor(RGB(0, 255, 0));
    plot.GetXAxis(0).SetShowMarker(false);
    plot.GetYAxis(0).SetShowMarker(false);
    QImage img = BlankImage(400, 300);
    plot.RenderTo(img);
    // Clear of the axis lines and their arrows.
    CRect r = plot.GetPlotRect();
    r.left += 6;
    r.bottom -= 6;
    EXPECT_EQ(CountColor(img, r, RGB(0, 0, 0)), 0);
    plot.SelectCurve(0);
    plot.RenderTo(img);
    EXPECT_GT(CountColor(img, r, RGB(0, 0, 0)), r.Width() / 2);

    plot.GetCurve(0).m_bSelected = false;
    plot.GetCurve(0).SetColor(RGB(255, 0, 0));
    QImage low = BlankImage(400, 300);
    CDCEx dc;
    dc.AttachImage(&low);
    dc.m_bScaleKnown = true;
    dc.m_bLowColor = true;
    plot.Paint(&dc, CRect(0, 0, 400, 300), false);
    EXPECT_EQ(CountColor(low, r, RGB(255, 0, 0)), 0);
    EXPECT_GT(CountColor(low, r, RGB(0, 0, 0)), r.Width() / 2);
    dc.DeleteDC();
}

TEST(Paint, SegmentsFollowTheSkipRuleAndThePlot)
{
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    // Several points per pixel column, and a vertical run within one column.
    std::vector<ChartPoint> pts;
    for (int i = 0; i < 3000; ++i)
        pts.push_back({i * 0.01, std::sin(i * 0.01)});
    plot.SetData(pts.data(), static_cast<long>(pts.size()), 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetRange(5, 12);  // partly out of view on both sides
    plot.GetYAxis(0).SetRange(-1, 1);
    plot.GetXAxis(0).SetAutoScale(false);
    plot.GetYAxis(0).SetAutoScale(false);
    QImage img = BlankImage(600, 300);
    plot.RenderTo(img);
    const CPlotDataSerie& c = plot.GetCurve(0);
    EXPECT_TRUE(SameSegments(c.GetSegments(), ReferenceSegments(plot, c)));
    // At most a line into each column and one within it.
    EXPECT_LE(c.GetSegments().size(), size_t(2 * plot.GetPlotRect().Width() + 2));

    // Columns holding very different numbers of points (none, one, a few,
    // thousands; bursts at both ends of the view): the search for where a
    // column ends must land on the same point a walk over every point does.
    std::vector<ChartPoint> bursts;
    double x = 4.0;
    for (int k = 0; x < 13.0; ++k) {
        const int burst = 1 << (k * 7 % 13);   // 1 .. 4096 points
        for (int j = 0; j < burst; ++j)
            bursts.push_back({x + j * 1e-6, std::sin(k + j * 0.37)});
        x += 0.003 * (1 + k % 9);
    }
    plot.SetData(bursts.data(), static_cast<long>(bursts.size()), 0, 0, 0, false, false, false);
    plot.RenderTo(img);
    EXPECT_TRUE(SameSegments(plot.GetCurve(0).GetSegments(), ReferenceSegments(plot, plot.GetCurve(0))));

    ChartPoint one[1] = {{8, 0}};
    plot.SetData(one, 1, 0, 0, 0, false, false, false);
    plot.RenderTo(img);
    EXPECT_TRUE(plot.GetCurve(0).GetSegments().empty());

    // On a log axis a value at or below 0 is a hole: no segment bridges it.
    // A non-finite value is only skipped.
    ChartPoint holes[6] = {{6, 10}, {7, -5}, {8, 10}, {9, 50}, {10, NAN}, {11, 20}};
    plot.SetData(holes, 6, 0, 0, 0, false, false, false);
    plot.GetYAxis(0).SetLinear(false);
    plot.GetYAxis(0).SetRange(1, 100);
    plot.RenderTo(img);
    const auto& segs = plot.GetCurve(0).GetSegments();
    ASSERT_EQ(segs.size(), 2u);
    EXPECT_EQ(segs[0].x1, plot.GetXAxis(0).GetPointForValue({8, 0}).x);
    EXPECT_EQ(segs[1].x2, plot.GetXAxis(0).GetPointForValue({11, 0}).x);
}

TEST(Paint, FollowViewCostIsBoundedByTheVisiblePoints)
{
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    const int n = 2'000'000;
    auto pts = Ramp(n, 0, 0.01, 0, 0);
    for (int i = 0; i < n; ++i)
        pts[static_cast<size_t>(i)].y = (static_cast<long long>(i) * 7919 % 1000) / 1000.0;
    plot.SetData(pts.data(), n, 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetAutoScale(false);
    plot.GetYAxis(0).SetAutoScale(false);
    plot.GetYAxis(0).SetRange(0, 1);
    // The last 1000 points in view.
    plot.GetXAxis(0).SetShownRange(pts[n - 1000].x, pts[n - 1].x, 1);
    QImage img = BlankImage(1000, 600);
    plot.RenderTo(img);
    const CPlotDataSerie& c = plot.GetCurve(0);
    EXPECT_LE(c.GetLastDrawCalls(), 2 * 1002);
    EXPECT_TRUE(SameSegments(c.GetSegments(), ReferenceSegments(plot, c)));

    // Whole series in view: a line into each pixel column and two within it
    // at most (from each extreme to the column's last point).
    plot.GetXAxis(0).SetShownRange(0, pts[n - 1].x, 1);
    plot.RenderTo(img);
    EXPECT_LE(c.GetLastDrawCalls(), 3 * plot.GetPlotRect().Width() + 2);
    EXPECT_TRUE(SameSegments(c.GetSegments(), ReferenceSegments(plot, c)));

    // Not ascending: every point is walked, the picture rule is the same.
    std::swap(pts[10], pts[20]);
    plot.SetData(pts.data(), n, 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetShownRange(pts[n - 1000].x, pts[n - 1].x, 1);
    plot.RenderTo(img);
    EXPECT_LE(c.GetLastDrawCalls(), 2 * 1002);
}

TEST(Paint, DegenerateDataNeverHangsOrDrawsNonsense)
{
    FixedMetrics metrics;
    TestPlot plot;
    ChartPoint weird[6] = {{0, NAN}, {1, INFINITY}, {2, 1}, {NAN, 2}, {4, -INFINITY}, {5, 3}};
    ChartPoint equal[4] = {{1, 1}, {1, 1}, {1, 1}, {1, 1}};
    ChartPoint huge[2] = {{-DBL_MAX, -DBL_MAX}, {DBL_MAX, DBL_MAX}};
    plot.SetData(weird, 6, 0, 0, 0, true, false, false);
    plot.SetData(equal, 4, 1, 0, 0, true, false, false);
    plot.SetData(huge, 2, 2, 1, 1, false, false, false);  // axes keep +/-DBL_MAX defaults
    QImage img = BlankImage(300, 200);
    plot.RenderTo(img);
    for (int i = 0; i < plot.GetCurveCount(); ++i)
        for (const PlotSegment& s : plot.GetCurve(i).GetSegments())
            EXPECT_TRUE(std::abs(s.x1) <= PlotMath::kPixelLimit && std::abs(s.y2) <= PlotMath::kPixelLimit);

    // A zoom far past pixel range, a zero step, an inverted range.
    plot.GetXAxis(0).SetAutoScale(false);
    plot.GetXAxis(0).SetShownRange(2.0, 2.0 + 1e-12, 1e-13);
    plot.GetYAxis(0).SetAutoScale(false);
    plot.GetYAxis(0).m_dStep = 0.0;
    plot.GetXAxis(1).m_dShownMin = 5;
    plot.GetXAxis(1).m_dShownMax = -5;
    plot.RenderTo(img);
    plot.GetYAxis(0).m_dStep = -1.0;
    plot.GetYAxis(0).SetLinear(false);
    plot.RenderTo(img);

    // A tiny window.
    QImage tiny = BlankImage(3, 2);
    plot.RenderTo(tiny);
    SUCCEED();
}

TEST(Paint, AxisTicksPlacementAndLogScale)
{
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    ChartPoint pts[2] = {{1, 1}, {1000, 1000}};
    plot.SetData(pts, 2, 0, 0, 0, true, false, false);
    QImage img = BlankImage(600, 400);

    CDCEx dc;
    dc.AttachImage(&img);
    dc.m_bScaleKnown = true;
    plot.Paint(&dc, CRect(0, 0, 600, 400), false);
    CPlotAxis& y = plot.GetYAxis(0);
    ASSERT_EQ(y.GetPlacement(), 0);
    const long long ticked = y.GetLength();
    (void)ticked;

    // Placement 2 (never laid out automatically again): line and arrow only.
    y.SetPlacement(3);
    const long long before = dc.m_nPrimitives;
    y.Draw(&dc);
    EXPECT_EQ(dc.m_nPrimitives - before, 1 + y.GetArrowSize());

    // Log 1..1000: 27 ticks, one line each, plus line and arrow.
    y.SetPlacement(0);
    y.SetLinear(false);
    y.SetRange(3, 700);
    const long long b2 = dc.m_nPrimitives;
    y.Draw(&dc);
    double lo, hi;
    y.GetRange(&lo, &hi, nullptr);
    EXPECT_DOUBLE_EQ(lo, 1);
    EXPECT_DOUBLE_EQ(hi, 1000);
    EXPECT_EQ(dc.m_nPrimitives - b2, 27 + 1 + y.GetArrowSize());

    // The Y tick at the maximum is drawn, the X tick at the maximum is not.
    y.SetLinear(true);
    y.SetAutoScale(false);
    y.SetShownRange(0, 10, 1);
    const long long b3 = dc.m_nPrimitives;
    y.Draw(&dc);
    EXPECT_EQ(dc.m_nPrimitives - b3, 11 + 1 + y.GetArrowSize());
    CPlotAxis& x = plot.GetXAxis(0);
    x.SetAutoScale(false);
    x.SetShownRange(0, 10, 1);
    const long long b4 = dc.m_nPrimitives;
    x.Draw(&dc);
    EXPECT_EQ(dc.m_nPrimitives - b4, 10 + 1 + x.GetArrowSize());

    // A tick sits on the data pixel of its value.
    const int tickPixel = y.GetPointForValue({0, 4}).y;
    EXPECT_EQ(tickPixel, int(plot.GetPlotRect().bottom - 4 * y.GetLength() / 10.0));
    dc.DeleteDC();
}

TEST(DrawingContext, PrintScalingAndLowColour)
{
    QImage img = BlankImage(100, 100);
    CDCEx dc;
    dc.AttachImage(&img);
    dc.m_bScaleKnown = true;
    dc.m_fXScale = 6.25f;
    dc.m_fYScale = 6.25f;
    dc.MoveTo(10, 20);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(10, 20));
    dc.m_bScaling = true;
    dc.MoveTo(10, 20);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(62, 125));
    POINT tri[3] = {{1, 1}, {2, 2}, {1, 3}};
    dc.Polygon(tri, 3);
    EXPECT_EQ(tri[2].y, 3);

    // Pens and fonts grow on paper; styled pens stay cosmetic.
    dc.m_fXScale = dc.m_fYScale = 4.0f;
    CPen* before = dc.GetCurrentPen();
    {
        CPenSelector dotted(RGB(0, 0, 0), 1, &dc, PS_DOT);
        EXPECT_EQ(dc.GetCurrentPen()->Width(), 1);
    }
    {
        CPenSelector solid(RGB(0, 0, 0), 2, &dc, PS_SOLID);
        EXPECT_EQ(dc.GetCurrentPen()->Width(), 8);
        CQuickFont font("Arial", 13, 400);
        CFont* fontBefore = dc.GetCurrentFont();
        {
            CFontSelector scaled(&font, &dc, true);
            EXPECT_EQ(dc.GetCurrentFont()->LogFont().lfHeight, 48);
        }
        {
            CFontSelector plain(&font, &dc, false);
            EXPECT_EQ(dc.GetCurrentFont()->LogFont().lfHeight, 13);
        }
        EXPECT_EQ(dc.GetCurrentFont(), fontBefore);
    }
    EXPECT_EQ(dc.GetCurrentPen(), before);

    CDCEx::SetScreenDpi(96);
    dc.SetDeviceColors(2);
    dc.ComputeScale();
    EXPECT_TRUE(dc.m_bLowColor);
    dc.SetDeviceColors(-1);
    dc.ComputeScale();
    EXPECT_FALSE(dc.m_bLowColor);
    CDCEx::SetScreenDpi(0);
    dc.DeleteDC();
}

TEST(Paint, SampleChartForTheEye)
{
    // Three curves on two Y axes, legend, label and notation, written as
    // chart_sample.png in the build folder for a look.
    TestPlot plot;
    std::vector<ChartPoint> a, b, c;
    for (int i = 0; i <= 200; ++i) {
        const double x = i * 0.05;
        a.push_back({x, 20 * std::sin(x) + 30});
        b.push_back({x, 10 * std::cos(1.3 * x) + 25});
        c.push_back({x, 0.4 * x * x - 2});
    }
    plot.SetData(a.data(), 201, 0, 0, 0, true, false, false)->SetLabel("Drehmoment");
    plot.SetData(b.data(), 201, 1, 0, 0, true, false, false)->SetLabel("Kraft");
    plot.SetData(c.data(), 201, 2, 0, 1, true, false, false)->SetLabel("Weg");
    plot.FitAxes(0, 0, 0);
    plot.GetYAxis(0).SetRange(0, 55);
    plot.GetYAxis(0).SetLabel("Nm");
    plot.GetYAxis(1).SetLabel("mm");
    plot.GetXAxis(0).SetLabel("s");
    plot.SetInnerColor(RGB(255, 255, 255));
    QImage img = BlankImage(800, 500);
    plot.RenderTo(img);
    CPlotLabel* label = plot.InsertLabel("Messung 1");
    label->SetRect(120, 30, 220, 60);
    auto* note = new CPlotDataNotation;
    note->Set(a[60].x, a[60].y, 0, 60, "[61] : 3.000 s, 39.1 Nm");
    plot.AddObject(note);
    plot.RenderTo(img);
    EXPECT_TRUE(img.save(QString(VX35_BINARY_DIR) + "/chart_sample.png"));
    EXPECT_EQ(plot.GetLegendEntries().size(), 3u);
    EXPECT_TRUE(note->m_bLaidOut);
}

TEST(Paint, PrintingScalesEverythingAndClipsToTheScaledPlot)
{
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    auto pts = Ramp(100, -20, 1.5, 2, -30);
    plot.SetData(pts.data(), 100, 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetRange(0, 100);
    plot.GetYAxis(0).SetRange(0, 100);
    plot.GetXAxis(0).SetShowMarker(false);
    plot.GetYAxis(0).SetShowMarker(false);
    plot.GetCurve(0).SetLineSize(2);

    auto paint = [&](QImage& page) {
        CDCEx dc;
        dc.AttachImage(&page);
        dc.m_bScaleKnown = true;
        dc.m_bScaling = true;
        dc.m_fXScale = dc.m_fYScale = 2.0f;
        plot.Paint(&dc, CRect(0, 0, 300, 200), true);
        dc.DeleteDC();
    };
    QImage with = BlankImage(600, 400);
    paint(with);
    const CRect logical = plot.GetPlotRect();
    const CRect device(logical.left * 2, logical.top * 2, logical.right * 2, logical.bottom * 2);
    plot.ShowCurve(0, false);
    QImage without = BlankImage(600, 400);
    paint(without);
    EXPECT_EQ(DiffOutside(with, without, device), 0);
    EXPECT_GT(CountColor(with, device, plot.GetCurve(0).GetColor()), device.Width());
    // A printed paint leaves the screen's snapshot alone.
    EXPECT_FALSE(plot.HasSnapshot());
}

TEST(Paint, TransparentFillOfWhiteLeavesThePictureAndHatchesShow)
{
    TestPlot plot;
    plot.SetShowLegend(false);
    auto pts = Ramp(20, 0, 1, 0.5, 1);
    plot.SetData(pts.data(), 20, 0, 0, 0, true, false, false);
    QImage plain = BlankImage(300, 200);
    plot.RenderTo(plain);
    plot.GetCurve(0).SetFill(true);
    plot.GetCurve(0).SetFillPartner(7);  // no such curve: closes along the bottom
    QImage filled = BlankImage(300, 200);
    plot.RenderTo(filled);
    EXPECT_EQ(filled, plain);

    plot.GetCurve(0).SetTransparentFill(false);
    plot.GetCurve(0).SetFillStyle(HS_CROSS);
    plot.GetCurve(0).SetFillColor(RGB(0, 0, 255));
    plot.RenderTo(filled);
    const int blue = CountColor(filled, plot.GetPlotRect(), RGB(0, 0, 255));
    EXPECT_GT(blue, 50);
    EXPECT_LT(blue, plot.GetPlotRect().Width() * plot.GetPlotRect().Height() / 2);
}

TEST(Paint, TimeAxisTextsAreDates)
{
    FixedMetrics metrics;
    TestPlot plot;
    const double day = 46023.5;  // 2026-01-01 12:00
    std::vector<ChartPoint> pts;
    for (int i = 0; i < 50; ++i)
        pts.push_back({day + i / 86400.0, double(i)});
    plot.SetData(pts.data(), 50, 0, 0, 0, false, false, false);
    CPlotAxis& x = plot.GetXAxis(0);
    x.SetTimeAxis(true);
    x.SetRange(pts.front().x, pts.back().x);
    EXPECT_EQ(x.GetValueText(day), CString("01.01.2026\n12:00:00"));
    x.SetDisplayFmt("%H:%M:%S");
    EXPECT_EQ(x.GetValueText(day + 5 / 86400.0), CString("12:00:05"));
    // The same value again after the format or the kind of axis changed:
    // the text follows, never an earlier one.
    EXPECT_EQ(x.GetValueText(day), CString("12:00:00"));
    x.SetTimeAxis(false);
    x.SetDisplayFmt("%5.3f");
    EXPECT_EQ(x.GetValueText(0.0), CString("0.000"));
    EXPECT_EQ(x.GetValueText(-0.0), PlotMath::FormatValue("%5.3f", -0.0));
    EXPECT_EQ(x.GetValueText(1.0), CString("1.000"));
    x.SetDisplayFmt("%.1f");
    EXPECT_EQ(x.GetValueText(0.0), CString("0.0"));
    x.SetTimeAxis(true);
    x.SetDisplayFmt("%H:%M:%S");
    QImage img = BlankImage(600, 300);
    plot.RenderTo(img);
    double lo, hi, step;
    x.GetRange(&lo, &hi, &step);
    const double stepSeconds = step * 86400;
    EXPECT_NEAR(stepSeconds, std::round(stepSeconds), 1e-6);
    EXPECT_LE(lo, pts.front().x);
    EXPECT_GE(hi, pts.back().x);
}

TEST(Paint, ARefilledArrayIsCheckedForOrderAgain)
{
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    auto pts = Ramp(5000, 0, 0.01, 1, 0);
    plot.SetData(pts.data(), 5000, 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetAutoScale(false);
    plot.GetXAxis(0).SetShownRange(20, 30, 1);
    plot.GetYAxis(0).SetRange(0, 50);
    QImage img = BlankImage(500, 300);
    plot.RenderTo(img);
    // The caller reuses the same array for data in falling order.
    for (int i = 0; i < 5000; ++i)
        pts[static_cast<size_t>(i)] = {50.0 - i * 0.01, double(i % 50)};
    plot.SetData(pts.data(), 5000, 0, 0, 0, false, false, false);
    plot.RenderTo(img);
    const CPlotDataSerie& c = plot.GetCurve(0);
    EXPECT_FALSE(c.GetSegments().empty());
    EXPECT_TRUE(SameSegments(c.GetSegments(), ReferenceSegments(plot, c)));
}

TEST(Paint, AutoscaleSettlesOnTheFirstPaint)
{
    // Rounding 97.3 up to 100 gives a wider scale text, so fewer ticks fit
    // and the step grows; the next paint must not show another scale.
    FixedMetrics metrics;
    for (int width : {485, 781, 855}) {
        TestPlot plot;
        plot.SetShowLegend(false);
        ChartPoint pts[2] = {{0, 0.3}, {97.3, 1234.5}};
        plot.SetData(pts, 2, 0, 0, 0, true, false, false);
        QImage img = BlankImage(width, 300);
        plot.RenderTo(img);
        double lo1, hi1, st1, ylo1, yhi1, yst1;
        plot.GetXAxis(0).GetRange(&lo1, &hi1, &st1);
        plot.GetYAxis(0).GetRange(&ylo1, &yhi1, &yst1);
        for (int k = 0; k < 3; ++k)
            plot.RenderTo(img);
        double lo2, hi2, st2, ylo2, yhi2, yst2;
        plot.GetXAxis(0).GetRange(&lo2, &hi2, &st2);
        plot.GetYAxis(0).GetRange(&ylo2, &yhi2, &yst2);
        EXPECT_EQ(lo1, lo2) << width;
        EXPECT_EQ(hi1, hi2) << width;
        EXPECT_EQ(st1, st2) << width;
        EXPECT_EQ(ylo1, ylo2) << width;
        EXPECT_EQ(yhi1, yhi2) << width;
        EXPECT_EQ(yst1, yst2) << width;
    }

    // -9.7 rounds to -10, a wider text: the plot makes room for it at once
    // instead of moving on the second paint.
    TestPlot plot;
    std::vector<ChartPoint> wave;
    for (int i = 0; i <= 100; ++i)
        wave.push_back({i * 0.097, 9.7 * std::sin(i * 0.1)});
    plot.SetData(wave.data(), 101, 0, 0, 0, true, false, false);
    QImage first = BlankImage(600, 400), second = BlankImage(600, 400);
    plot.RenderTo(first);
    const CRect r = plot.GetPlotRect();
    plot.RenderTo(second);
    EXPECT_EQ(plot.GetPlotRect(), r);
    EXPECT_TRUE(first == second);
}

TEST(Paint, AFixedRangeKeepsItsAutomaticStepFromTheFirstPaint)
{
    FixedMetrics metrics;
    for (int width : {400, 485, 855})
        for (double hi : {12.0, 97.3, 500.0}) {
            TestPlot plot;
            plot.SetShowLegend(false);
            ChartPoint pts[2] = {{0, 0.3}, {hi, hi * 3}};
            plot.SetData(pts, 2, 0, 0, 0, true, false, false);
            for (CPlotAxis* a : {&plot.GetXAxis(0), &plot.GetYAxis(0)}) {
                a->SetAutoScale(false);
                a->SetShownRange(0, hi, 0);
            }
            QImage first = BlankImage(width, 300), second = BlankImage(width, 300);
            plot.RenderTo(first);
            double x1, y1, x2, y2;
            plot.GetXAxis(0).GetRange(nullptr, nullptr, &x1);
            plot.GetYAxis(0).GetRange(nullptr, nullptr, &y1);
            plot.RenderTo(second);
            plot.GetXAxis(0).GetRange(nullptr, nullptr, &x2);
            plot.GetYAxis(0).GetRange(nullptr, nullptr, &y2);
            EXPECT_EQ(x1, x2) << width << " " << hi;
            EXPECT_EQ(y1, y2) << width << " " << hi;
            EXPECT_TRUE(first == second) << width << " " << hi;
        }
}

TEST(Paint, ASpikeInsideOnePixelColumnStaysVisible)
{
    // A million flat points with a spike of 100 samples that starts and ends
    // well inside one pixel column: the whole view, a bitmap of it and a
    // falling series all show the spike at full height.
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    const int n = 1'000'000;
    auto pts = Ramp(n, 0, 1, 0, 0);
    const int spike = 612'345;
    for (int i = spike; i < spike + 100; ++i)
        pts[static_cast<size_t>(i)].y = 1.0;
    plot.SetData(pts.data(), n, 0, 0, 0, false, false, false);
    plot.GetXAxis(0).SetAutoScale(false);
    plot.GetYAxis(0).SetAutoScale(false);
    plot.GetXAxis(0).SetShownRange(0, n - 1, 1);
    plot.GetYAxis(0).SetRange(-0.5, 1.5);
    plot.GetCurve(0).SetColor(RGB(255, 0, 0));
    plot.GetXAxis(0).SetShowMarker(false);
    plot.GetYAxis(0).SetShowMarker(false);
    for (bool falling : {false, true}) {
        if (falling) {
            for (int i = 0; i < n; ++i)
                pts[static_cast<size_t>(i)].x = double(n - 1 - i);
            plot.SetData(pts.data(), n, 0, 0, 0, false, false, false);
        }
        QImage img = BlankImage(600, 300);
        plot.RenderTo(img);
        const CRect r = plot.GetPlotRect();
        const int top = plot.GetYAxis(0).GetPointForValue({0, 1.0}).y;
        const int base = plot.GetYAxis(0).GetPointForValue({0, 0.0}).y;
        const int col = plot.GetXAxis(0).GetPointForValue({falling ? double(n - 1 - spike) : double(spike), 0}).x;
        int red = 0;
        for (int y = top; y < base; ++y)
            for (int x = std::max(r.left, col - 1); x <= std::min(r.right - 1, col + 1); ++x)
                if (img.pixel(x, y) == vx::PixelFromColorRef(RGB(255, 0, 0)))
                    ++red;
        EXPECT_GE(red, base - top - 1) << (falling ? "falling" : "rising");
        EXPECT_TRUE(SameSegments(plot.GetCurve(0).GetSegments(), ReferenceSegments(plot, plot.GetCurve(0))));
    }
}

TEST(Paint, SummaryBlocksOfEveryLevelEndWhereTheRangeDoes)
{
    // A high spike on the last point of a block of 32, 256, 2048 or 16384
    // points and a low one on the first of the next; ranges that end just
    // before, on and after them: the summary's extremes are a scan's.
    for (const size_t unit : {32u, 256u, 2048u, 16384u})
        for (size_t k = 1; k <= 4; ++k) {
            std::vector<ChartPoint> pts(4 * 16384 + 40);
            for (size_t i = 0; i < pts.size(); ++i)
                pts[i] = {double(i), std::sin(double(i) * 0.01)};
            const size_t edge = k * unit;
            pts[edge - 1].y = 5.0;
            pts[edge].y = -5.0;
            MinMaxSummary summary;
            summary.Extend(pts.data(), pts.size());
            for (const size_t from : {size_t(0), edge - unit})
                for (const size_t to : {edge - 1, edge, edge + 1}) {
                    double lo = INFINITY, hi = -INFINITY, slo = 0, shi = 0;
                    for (size_t i = from; i < to; ++i)
                        lo = std::min(lo, pts[i].y), hi = std::max(hi, pts[i].y);
                    ASSERT_TRUE(summary.Range(pts.data(), from, to, slo, shi));
                    EXPECT_TRUE(slo == lo && shi == hi) << unit << " x " << k << ": " << from << ".." << to;
                }
        }
}

TEST(Paint, ASummaryDrawsExactlyWhatEveryPointDraws)
{
    // Random records (steps, runs of equal x, one-point spikes, non-finite
    // values), their summary grown in random steps as points would arrive,
    // drawn at random zooms with and without it: pixel for pixel the same.
    // Some views bind fewer points than the summary covers.
    FixedMetrics metrics;
    std::mt19937 rng(28);   // the engine's sequence is the same everywhere
    auto below = [&rng](unsigned k) { return static_cast<int>(rng() % k); };
    for (int record = 0; record < 6; ++record) {
        const int n = 40'000 + below(260'000);
        std::vector<ChartPoint> pts(static_cast<size_t>(n));
        double x = below(100), walk = 0.0;
        for (auto& p : pts) {
            const int r = below(1000);
            if (r >= 30)
                x += 0.001 * (1 + below(20));
            walk += (below(201) - 100) * 0.01;
            p = {x, r == 0 ? NAN : r == 1 ? INFINITY : r < 12 ? walk + below(2001) - 1000.0 : walk};
        }
        MinMaxSummary summary;
        for (int done = 0; done < n;) {
            done = std::min(n, done + below(5000));
            summary.Extend(pts.data(), static_cast<size_t>(done));
        }
        TestPlot plot;
        plot.SetShowLegend(false);
        for (int view = 0; view < 8; ++view) {
            const int bound = view % 3 == 2 ? n - below(n / 2) : n;
            plot.SetData(pts.data(), bound, 0, 0, 0, false, false, false);
            CPlotDataSerie& curve = plot.GetCurve(0);
            plot.GetXAxis(0).SetAutoScale(false);
            const double x0 = pts.front().x, span = pts[static_cast<size_t>(bound - 1)].x - x0;
            const double width = view == 0 ? span : span / (1 << below(12));
            const double from = x0 + (span - width) * below(1000) / 1000.0;
            plot.GetXAxis(0).SetShownRange(from, from + width, width / 5);
            double lo = 0, hi = 0;
            summary.Range(pts.data(), 0, static_cast<size_t>(bound), lo, hi);
            const double cut = view % 2 ? 0.0 : 0.3 * (hi - lo);   // the spikes clipped or not
            plot.GetYAxis(0).SetAutoScale(false);
            plot.GetYAxis(0).SetRange(lo + cut, hi - cut);
            // On screen (and so in bitmaps), or on a page printed at twice
            // the resolution.
            auto draw = [&](const MinMaxSummary* known, bool print) {
                curve.SetKnownSummary(known);
                QImage img = BlankImage(print ? 1280 : 640, print ? 720 : 360);
                if (!print) {
                    plot.RenderTo(img);
                    return img;
                }
                CDCEx dc;
                dc.AttachImage(&img);
                dc.m_bScaleKnown = dc.m_bScaling = true;
                dc.m_fXScale = dc.m_fYScale = 2.0f;
                plot.Paint(&dc, CRect(0, 0, 640, 360), true);
                dc.DeleteDC();
                return img;
            };
            draw(nullptr, false);   // a first paint may still settle a scale step
            for (bool print : {false, true}) {
                const QImage with = draw(&summary, print);
                const std::vector<PlotSegment> segments = curve.GetSegments();
                EXPECT_TRUE(with == draw(nullptr, print)) << "record " << record << ", view " << view << print;
                EXPECT_TRUE(SameSegments(segments, curve.GetSegments())) << "record " << record << ", view " << view;
            }
        }
    }
}

TEST(Paint, ADenseCurveIsOneUnbrokenLine)
{
    // A steep sine, and one with a ripple on it (its columns mostly end
    // between their extremes), at one to hundreds of points per pixel
    // column, whole and zoomed, on screen and on paper with a pen that stays
    // one pixel wide there (1.5) and one that grows (6.25): its ink in the
    // plot is one piece. A pixel missing where a column meets the next
    // splits it.
    FixedMetrics metrics;
    TestPlot plot;
    plot.SetShowLegend(false);
    const COLORREF red = RGB(255, 0, 0);
    for (const int perColumn : {1, 2, 5, 40, 300})
        for (const double ripple : {0.0, 0.05}) {
            const int n = perColumn * 330;
            std::vector<ChartPoint> pts(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i)
                pts[static_cast<size_t>(i)] = {i * 0.01, std::sin(i * 40.0 / n) + ripple * std::sin(i * 0.37)};
            MinMaxSummary summary;
            summary.Extend(pts.data(), pts.size());
            plot.SetData(pts.data(), n, 0, 0, 0, false, false, false);
            plot.GetCurve(0).SetKnownSummary(&summary);
            plot.GetCurve(0).SetColor(red);
            plot.GetXAxis(0).SetShowMarker(false);
            plot.GetYAxis(0).SetShowMarker(false);
            plot.GetXAxis(0).SetAutoScale(false);
            plot.GetYAxis(0).SetAutoScale(false);
            plot.GetYAxis(0).SetRange(-1.2, 1.2);
            const double last = pts.back().x;
            for (const double from : {0.0, 0.3 * last}) {
                plot.GetXAxis(0).SetShownRange(from, from == 0.0 ? last : 0.65 * last, last / 10);
                for (const float scale : {0.0f, 1.5f, 6.25f}) {
                    QImage img = BlankImage(static_cast<int>(400 * std::max(1.0f, scale)),
                                            static_cast<int>(250 * std::max(1.0f, scale)));
                    CDCEx dc;
                    dc.AttachImage(&img);
                    dc.m_bScaleKnown = true;
                    dc.m_bScaling = scale > 0;
                    dc.m_fXScale = dc.m_fYScale = scale;
                    plot.Paint(&dc, CRect(0, 0, 400, 250), scale > 0);
                    dc.DeleteDC();
                    const CRect r = dc.m_bScaling ? dc.ScaleRect(plot.GetPlotRect()) : plot.GetPlotRect();
                    EXPECT_EQ(InkPieces(img, r, red), 1)
                        << perColumn << " per column, ripple " << ripple << ", from " << from << ", scale " << scale;
                }
            }
        }
}

TEST(Paint, AChartKeepsNoStaleLayoutWhenItsAxesChange)
{
    // A chart painted again and again as its axes change (scale font,
    // decimals, ranges with longer texts) lays out and looks exactly as a
    // chart set up that way from the start.
    struct Setup {
        int fontHeight;
        int decimals;
        double yScale;
        double xEnd;
    };
    auto build = [](TestPlot& plot, const Setup& s, std::vector<ChartPoint>& pts) {
        plot.SetShowLegend(false);
        pts.clear();
        for (int i = 0; i <= 200; ++i)
            pts.push_back({i * s.xEnd / 200.0, s.yScale * std::sin(i * 0.05)});
        plot.SetData(pts.data(), static_cast<long>(pts.size()), 0, 0, 0, true, false, true);
        plot.GetYAxis(0).SetScaleFont("Arial", s.fontHeight, FW_NORMAL);
        plot.GetXAxis(0).SetScaleFont("Arial", s.fontHeight, FW_NORMAL);
        plot.GetYAxis(0).SetDecimals(s.decimals);
    };
    const Setup steps[] = {{13, 3, 1.5, 5.0},    {19, 3, 1.5, 5.0},      {19, 1, 1.5, 5.0},
                           {19, 1, 12345.0, 5.0}, {13, 4, 12345.0, 900.0}, {13, 3, 1.5, 5.0}};
    TestPlot kept;
    std::vector<ChartPoint> keptPoints;
    QImage keptImage = BlankImage(420, 260);
    for (const Setup& s : steps) {
        build(kept, s, keptPoints);
        kept.RenderTo(keptImage);
        TestPlot fresh;
        std::vector<ChartPoint> freshPoints;
        build(fresh, s, freshPoints);
        QImage freshImage = BlankImage(420, 260);
        fresh.RenderTo(freshImage);
        EXPECT_EQ(kept.GetPlotRect(), fresh.GetPlotRect()) << s.fontHeight << " " << s.decimals << " " << s.yScale;
        EXPECT_TRUE(keptImage == freshImage) << s.fontHeight << " " << s.decimals << " " << s.yScale;
    }
}

TEST(Paint, TheThreeBackgroundsLieOneInsideTheOther)
{
    // The window's colour in the margins, the outer colour around the
    // plot (under the axes), the inner colour in the plot: with and
    // without a legend.
    FixedMetrics metrics;
    for (bool legend : {false, true}) {
        TestPlot plot;
        plot.SetShowLegend(legend);
        std::vector<ChartPoint> pts = Ramp(50, 0.0, 1.0, 0.5, 0.0);
        plot.SetData(pts.data(), 50, 0, 0, 0, true, false, false);
        plot.SetBackColor(RGB(10, 20, 30));
        plot.SetOuterColor(RGB(200, 0, 0));
        plot.SetInnerColor(RGB(0, 200, 0));
        plot.SetMargins(7, 9, 11, 13);
        QImage img = BlankImage(400, 300);
        plot.RenderTo(img);
        const CRect r = plot.GetPlotRect();
        SCOPED_TRACE(legend);
        const QRgb back = vx::PixelFromColorRef(RGB(10, 20, 30)), outer = vx::PixelFromColorRef(RGB(200, 0, 0));
        // The margins all round.
        for (int x = 0; x < 400; ++x) {
            ASSERT_EQ(img.pixel(x, 3), back) << x;
            ASSERT_EQ(img.pixel(x, 300 - 6), back) << x;
        }
        for (int y = 0; y < 300; ++y) {
            ASSERT_EQ(img.pixel(2, y), back) << y;
            ASSERT_EQ(img.pixel(400 - 5, y), back) << y;
        }
        // Left of the plot and under it, where the axes are: the outer
        // colour but for their texts and lines.
        if (!legend) {
            const CRect bands[] = {{7, 9, r.left, 300 - 13}, {r.left, r.bottom, 400 - 11, 300 - 13}};
            for (const CRect& b : bands) {
                EXPECT_GT(CountColor(img, b, RGB(200, 0, 0)), b.Width() * b.Height() / 2);
                EXPECT_EQ(CountColor(img, b, RGB(10, 20, 30)), 0);
                EXPECT_EQ(CountColor(img, b, RGB(0, 200, 0)), 0);
            }
            EXPECT_EQ(img.pixel(8, 10), outer);
        }
        // The plot, but for its curve and grid.
        EXPECT_GT(CountColor(img, r, RGB(0, 200, 0)), r.Width() * r.Height() / 2);
        EXPECT_EQ(CountColor(img, r, RGB(200, 0, 0)), 0);
        EXPECT_EQ(CountColor(img, r, RGB(10, 20, 30)), 0);
    }
}

