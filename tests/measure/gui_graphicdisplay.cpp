// The live chart window on its own: what CreateDisplay builds, the data
// path into the store and onto the chart, and the visible x window with its
// two sliders (including their echoes).
#include "measure/GraphicDisplayWnd.h"

#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace {

struct Display : ::testing::Test {
    void SetUp() override
    {
        clock = &vx::UseManualClock(0);
        ASSERT_TRUE(host.Create("", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
        ASSERT_TRUE(wnd.Create(CGraphicDisplayWnd::kClassName, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300),
                               &host, 1064));
        ASSERT_TRUE(wnd.CreateDisplay(&host, 1064, 1));
    }
    void TearDown() override
    {
        host.DestroyWindow();
        vx::ResetTimersForTest();
    }
    // The page's refresh: points in, curve re-bound, window chosen.
    void Fill(int n, double step)
    {
        for (int i = 0; i < n; ++i)
            wnd.addPoint(0, i * step, i);
        wnd.showCurve(0, true, true, true);
    }
    double AxisMin()
    {
        double a, b, s;
        wnd.GetPlot()->GetXAxis(0).GetRange(&a, &b, &s);
        return a;
    }
    double AxisMax()
    {
        double a, b, s;
        wnd.GetPlot()->GetXAxis(0).GetRange(&a, &b, &s);
        return b;
    }

    vx::ManualClock* clock = nullptr;
    CWnd host;
    CGraphicDisplayWnd wnd;
};

} // namespace

TEST_F(Display, CreateBuildsTenHiddenEmptyCurvesOnceAndLaysOutTheStrips)
{
    CPlot* plot = wnd.GetPlot();
    ASSERT_NE(plot, nullptr);
    EXPECT_FALSE(wnd.CreateDisplay(&host, 1064, 1));
    EXPECT_EQ(wnd.GetPlot(), plot);
    EXPECT_EQ(plot->GetCurveCount(), 10);
    EXPECT_EQ(plot->GetYAxisCount(), 10);
    for (int n = 0; n < 10; ++n) {
        EXPECT_FALSE(plot->GetCurve(n).GetVisible()) << n;
        EXPECT_EQ(wnd.GetPointCount(n), 0) << n;
        EXPECT_EQ(plot->GetCurve(n).GetCount(), 0) << n;
    }
    EXPECT_TRUE(plot->GetYAxis(0).GetVisible());
    EXPECT_FALSE(plot->GetYAxis(3).GetVisible());
    EXPECT_FALSE(plot->GetShowLegend());
    ASSERT_NE(wnd.GetReadoutLabel(), nullptr);
    EXPECT_FALSE(wnd.GetReadoutLabel()->GetVisible());

    CRect r;
    wnd.GetScrollSlider()->GetWindowRect(&r);
    wnd.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(0, 0, 400, 20));
    wnd.GetRangeSlider()->GetWindowRect(&r);
    wnd.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(0, 280, 400, 300));
    plot->GetWindowRect(&r);
    wnd.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(0, 20, 400, 280));
    EXPECT_EQ(wnd.GetMenuText(CGraphicDisplayWnd::MenuSelect), "Selektieren");
    EXPECT_EQ(wnd.GetCurveDialogTexts().size(), 17u);
    EXPECT_EQ(wnd.GetAxisDialogTexts().size(), 24u);
}

TEST_F(Display, SettersIgnoreIndicesTheChartLacks)
{
    EXPECT_EQ(wnd.addPoint(-1, 0, 0), -1);
    EXPECT_EQ(wnd.addPoint(10, 0, 0), -1);
    EXPECT_FALSE(wnd.ClearCurve(10));
    wnd.SetCurveLabel(10, "x");
    wnd.SetYAxisTitle(-1, "x");
    wnd.showCurve(4, true, true, true); // emptied: nothing to bind
    EXPECT_EQ(wnd.GetPlot()->GetCurve(4).GetCount(), 0);
    EXPECT_DOUBLE_EQ(wnd.GetPointX(0, 5), 0.0);
    wnd.SetCurveColor(0, 0xFF0000);
    EXPECT_EQ(wnd.GetPlot()->GetCurve(0).GetColor(), COLORREF(0xFF0000));
}

TEST_F(Display, GrowthRebindsTheChartToTheMovedArrayAndClearEmptiesIt)
{
    Fill(10000, 0.01);
    CPlotDataSerie& curve = wnd.GetPlot()->GetCurve(0);
    EXPECT_EQ(curve.GetPoints(), wnd.GetStore().getPoints(0));
    for (int i = 10000; i < 45000; ++i) {
        wnd.addPoint(0, i * 0.01, i);
        // The chart must never draw from the array the store gave up.
        ASSERT_EQ(curve.GetPoints(), wnd.GetStore().getPoints(0));
        if (i % 5000 == 0)
            wnd.Redraw();
    }
    EXPECT_EQ(curve.GetCount(), 10000);
    wnd.showCurve(0, true, true, true);
    EXPECT_EQ(curve.GetCount(), 45000);
    EXPECT_EQ(curve.GetKnownSummary(), wnd.GetStore().getSummary(0));
    // Read a block at a time (the export does), never past the last point.
    double xs[4] = {}, ys[4] = {};
    EXPECT_EQ(wnd.GetPoints(0, 44998, 4, xs, ys), 2u);
    EXPECT_DOUBLE_EQ(xs[1], 449.99);
    EXPECT_DOUBLE_EQ(ys[0], 44998.0);
    EXPECT_EQ(wnd.GetPoints(0, 45000, 4, xs, ys), 0u);
    EXPECT_EQ(wnd.GetPoints(10, 0, 4, xs, ys), 0u);
    EXPECT_EQ(wnd.GetPointCount(0), 45000);

    // A short second run after a long one shows and exports only itself.
    EXPECT_TRUE(wnd.ClearCurve(0));
    EXPECT_EQ(curve.GetCount(), 0);
    EXPECT_EQ(wnd.GetPointCount(0), 0);
    wnd.addPoint(0, 0.0, 7.0);
    EXPECT_EQ(wnd.GetPointCount(0), 1);
    EXPECT_DOUBLE_EQ(wnd.GetPointY(0, 0), 7.0);
    EXPECT_DOUBLE_EQ(wnd.GetPointY(0, 1), 0.0);
}

TEST_F(Display, XRangeIsOrderedAndAppliedAtOnce)
{
    Fill(100, 1.0);
    wnd.SetXRange(5, 2);
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 2);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 5);
    EXPECT_DOUBLE_EQ(AxisMin(), 2);
    EXPECT_DOUBLE_EQ(AxisMax(), 5);
    EXPECT_EQ(wnd.GetScrollSlider()->GetPos(), 505); // 5 / 99 of the scale
}

TEST_F(Display, FollowModeShowsTheNewestWidthWithoutSliderEchoes)
{
    Fill(26, 1.0); // newest x 25
    wnd.SetFollowWidth(10);
    EXPECT_DOUBLE_EQ(AxisMin(), 15);
    EXPECT_DOUBLE_EQ(AxisMax(), 25);
    EXPECT_EQ(wnd.GetScrollSlider()->GetPos(), 10000);
    EXPECT_DOUBLE_EQ(wnd.GetFollowWidth(), 10);
    double lo, hi, mn, mx;
    wnd.GetRangeSlider()->GetRange(lo, hi);
    wnd.GetRangeSlider()->GetMinMax(mn, mx);
    EXPECT_DOUBLE_EQ(lo, 15);
    EXPECT_DOUBLE_EQ(hi, 25);
    EXPECT_DOUBLE_EQ(mn, 15);
    EXPECT_DOUBLE_EQ(mx, 25);
    EXPECT_FALSE(vx::HasTimer(&wnd, CGraphicDisplayWnd::kApplyTimer));

    // The page's refresh loop: 5 points per refresh, 500 followed points.
    wnd.ClearCurve(0);
    double x = 0.0;
    for (int refresh = 0; refresh < 150; ++refresh) {
        for (int i = 0; i < 5; ++i, x += 0.01)
            wnd.addPoint(0, x, 1.0);
        wnd.showCurve(0, true, true, true);
        const double newest = x - 0.01;
        if (5.0 <= newest) {
            wnd.SetFollowWidth(5.0);
            ASSERT_NEAR(AxisMax() - AxisMin(), 5.0, 1e-9) << refresh;
            ASSERT_NEAR(wnd.GetFollowWidth(), 5.0, 1e-9);
        }
    }
}

TEST_F(Display, ScrollModeWithoutPointsOrWidthLeavesTheWindow)
{
    wnd.SetXRange(1, 3);
    wnd.SetScrollMode(0);
    wnd.SetFollowWidth(10);
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 1);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 3);
    Fill(50, 1.0);
    wnd.SetXRange(1, 3);
    wnd.SetFollowWidth(0);
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 1);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 3);
    wnd.SetScrollMode(0);
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 0);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 49);

    EXPECT_EQ(CGraphicDisplayWnd::ScrollPosition(5, 0), 0);
    EXPECT_EQ(CGraphicDisplayWnd::ScrollPosition(5, -DBL_MAX), 0);
    EXPECT_EQ(CGraphicDisplayWnd::ScrollPosition(1e300, 1e-300), 0);
    EXPECT_EQ(CGraphicDisplayWnd::ScrollPosition(50, 100), 5000);
    EXPECT_EQ(CGraphicDisplayWnd::ScrollPosition(200, 100), 10000);
    EXPECT_EQ(CGraphicDisplayWnd::ScrollPosition(-4, 100), 0);
}

TEST_F(Display, ScrollSliderMovesTheWindowAfterFiftyQuietMilliseconds)
{
    Fill(101, 1.0); // newest 100
    wnd.SetFollowWidth(20);
    const std::int64_t t0 = vx::NowMs();
    for (int i = 0; i < 3; ++i) {
        wnd.GetScrollSlider()->SetPos(5000);
        wnd.SendMessage(WM_HSCROLL, (5000u << 16) | 5u, reinterpret_cast<LPARAM>(wnd.GetScrollSlider()));
        clock->advance(20);
    }
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 30);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 50);
    EXPECT_DOUBLE_EQ(AxisMax(), 100); // not yet
    clock->advance(30);
    EXPECT_EQ(vx::NowMs() - t0, 90);
    EXPECT_DOUBLE_EQ(AxisMin(), 30);
    EXPECT_DOUBLE_EQ(AxisMax(), 50);

    // Without a follow width the window starts at the first x.
    wnd.SetFollowWidth(0);
    wnd.GetScrollSlider()->SetPos(5000);
    wnd.SendMessage(WM_HSCROLL, (5000u << 16) | 4u, reinterpret_cast<LPARAM>(wnd.GetScrollSlider()));
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 0);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 50);
}

TEST_F(Display, RangeSliderAndZoomMoveEachOther)
{
    Fill(101, 1.0);
    wnd.SetScrollMode(0);
    // What the user's drag does: the thumbs move, then the slider tells.
    wnd.GetRangeSlider()->SetRange(20, 40);
    wnd.SendMessage(RangeSliderChangedMessage(), 2, 0);
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 20);
    EXPECT_DOUBLE_EQ(wnd.GetX1(), 40);
    EXPECT_DOUBLE_EQ(wnd.GetFollowWidth(), 20);
    EXPECT_EQ(wnd.GetScrollSlider()->GetPos(), 4000);
    clock->advance(50);
    EXPECT_DOUBLE_EQ(AxisMin(), 20);
    EXPECT_DOUBLE_EQ(AxisMax(), 40);

    wnd.GetPlot()->GetXAxis(0).SetRange(60, 80);
    wnd.SendMessage(WM_PLOT_ZOOMCHANGED);
    double lo, hi;
    wnd.GetRangeSlider()->GetRange(lo, hi);
    EXPECT_DOUBLE_EQ(wnd.GetX0(), 60);
    EXPECT_EQ(wnd.GetScrollSlider()->GetPos(), 8000);
    EXPECT_FALSE(vx::HasTimer(&wnd, CGraphicDisplayWnd::kApplyTimer));
}
