// One refresh of the live chart as the measure page does it every 200 ms
// while following: a hundred new points, the curve re-bound, the follow
// window applied, and the paint that follows. A record of a minute (6 000
// points) against a day's (8.64 million): the cost must not grow with it.
// LiveSize: the chart at the size the measure page gives it, following the
// simulated device's wave (its 100 values a second, five seconds in view),
// for what one refresh costs while measuring.
#include "measure/GraphicDisplayWnd.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <functional>

namespace {

class Host : public CWnd {};

// The measure page's chart window on a window of its own, of a given size.
struct LiveChart {
    LiveChart(int width, int height)
    {
        host.Create("", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, width, height), nullptr, 0);
        wnd.Create(CGraphicDisplayWnd::kClassName, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, width, height), &host,
                   1064);
        wnd.CreateDisplay(&host, 1064, 1);
    }
    ~LiveChart()
    {
        wnd.DestroyWindow();
        host.DestroyWindow();
    }
    Host host;
    CGraphicDisplayWnd wnd;
};

// What the page's refresh asks of the window, out of line so a profiler can
// count one refresh apart from the set-up.
[[gnu::noinline]] void LiveRefresh(CGraphicDisplayWnd& wnd, double followWidth,
                                   const std::function<void()>& addPoints)
{
    addPoints();
    wnd.showCurve(0, true, true, true);
    wnd.SetFollowWidth(followWidth);
    wnd.SetScrollMode(1);
    QApplication::processEvents();
}

void Refresh(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    LiveChart chart(1000, 620);
    CGraphicDisplayWnd& wnd = chart.wnd;
    double x = 0.0;
    for (int i = 0; i < n; ++i, x += 0.01)
        wnd.addPoint(0, x, (i % 977) * 0.1);
    wnd.showCurve(0, true, true, true);
    QApplication::processEvents();
    for (auto _ : state)
        LiveRefresh(wnd, 10.0, [&] {
            for (int i = 0; i < 20; ++i, x += 0.01)
                wnd.addPoint(0, x, (i % 977) * 0.1);
        });
}

void LiveSize(benchmark::State& state)
{
    LiveChart chart(398, 254);
    CGraphicDisplayWnd& wnd = chart.wnd;
    int i = 0;
    auto add = [&](int count) {
        for (int k = 0; k < count; ++k, ++i)
            wnd.addPoint(0, i * 0.01, 1.5 * std::sin(2.0 * M_PI * i / 500.0));
    };
    add(2000);
    wnd.showCurve(0, true, true, true);
    QApplication::processEvents();
    for (auto _ : state)
        LiveRefresh(wnd, 5.0, [&] { add(20); });
}

} // namespace

BENCHMARK(Refresh)->Arg(6'000)->Arg(8'640'000)->Unit(benchmark::kMillisecond);
BENCHMARK(LiveSize)->Iterations(300)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks<QApplication>(argc, argv);
}
