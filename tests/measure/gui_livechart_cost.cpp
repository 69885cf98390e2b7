// What the live chart costs while the measure page is shown: paints only
// when something changed (one per refresh while measuring, none at rest),
// and a refresh that does not read the points stored before it.
#include "tests/measure/MeasurePageRig.h"

#include "measure/GraphicDisplayWnd.h"
#include "tests/support/PaintCounter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <chrono>

namespace {

void ProcessFor(std::chrono::milliseconds span)
{
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace

TEST(LiveChartCost, TheShownPageAtRestPaintsTheChartNoMore)
{
    MeasurePageRig r;
    ASSERT_TRUE(r.Open());
    ProcessFor(std::chrono::milliseconds(300));
    PaintCounter counter(r.page.GetDisplay().GetPlot()->GetPeer());
    ProcessFor(std::chrono::milliseconds(1000));
    EXPECT_EQ(counter.paints, 0);
}

TEST(LiveChartCost, MeasuringPaintsTheChartOncePerRefresh)
{
    MeasurePageRig r;
    r.frames = false;
    ASSERT_TRUE(r.Open());
    const std::int64_t t0 = vx::NowMs();
    r.Click(CMessenDlg::IDC_START);
    r.Run(t0 + 3560 + 2200 + 1);
    ASSERT_TRUE(r.page.GetConversation().IsRunning());
    ProcessFor(std::chrono::milliseconds(100));
    const CPlotDataSerie& curve = r.page.GetDisplay().GetPlot()->GetCurve(0);
    PaintCounter counter(r.page.GetDisplay().GetPlot()->GetPeer());
    // Two seconds of the clock at 100 values a second.
    for (int second = 0; second < 2; ++second) {
        const int paintsBefore = counter.paints;
        int rebinds = 0, bound = curve.GetCount();
        for (int tick = 0; tick < 100; ++tick) {
            r.Feed("\x01\x00\r\n"s);
            r.Run(vx::NowMs() + 10);
            QCoreApplication::processEvents();
            if (curve.GetCount() != bound) {
                ++rebinds;
                bound = curve.GetCount();
            }
        }
        // The refresh every 200 ms re-binds the chart, and paints it once.
        EXPECT_EQ(rebinds, 5) << "second " << second;
        EXPECT_LE(counter.paints - paintsBefore, 5) << "second " << second;
        EXPECT_GE(counter.paints - paintsBefore, 4) << "second " << second;
    }
    r.Click(CMessenDlg::IDC_STOP);
}

TEST(LiveChartCost, ARefreshTakesTheRangeFromTheStoreNotFromTheRecord)
{
    vx::UseManualClock(0);
    CWnd host;
    ASSERT_TRUE(host.Create("", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    CGraphicDisplayWnd wnd;
    ASSERT_TRUE(wnd.Create(CGraphicDisplayWnd::kClassName, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &host,
                           1064));
    ASSERT_TRUE(wnd.CreateDisplay(&host, 1064, 1));
    for (int i = 0; i < 50000; ++i)
        wnd.addPoint(0, i * 0.01, (i % 100) / 100.0);
    wnd.showCurve(0, true, true, true);
    double lo, hi, step;
    wnd.GetPlot()->GetYAxis(0).GetRange(&lo, &hi, &step);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 0.99);

    // An old point changed behind the store's back: a refresh that scanned
    // the record for the range would find it.
    wnd.GetPlot()->GetCurve(0).GetPoints()[10].y = 1000.0;
    for (int i = 0; i < 10; ++i)
        wnd.addPoint(0, 500.0 + i * 0.01, 0.5);
    wnd.showCurve(0, true, true, true);
    wnd.GetPlot()->GetYAxis(0).GetRange(&lo, &hi, &step);
    EXPECT_EQ(hi, 0.99);
    double x0, x1;
    wnd.GetPlot()->GetXAxis(0).GetRange(&x0, &x1, &step);
    EXPECT_DOUBLE_EQ(x1, 500.09);
    EXPECT_EQ(wnd.GetPlot()->GetCurve(0).GetCount(), 50010);
    host.DestroyWindow();
    vx::ResetTimersForTest();
}
