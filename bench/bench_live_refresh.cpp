// One refresh of the live chart as the measure page does it every 200 ms
// while following: a hundred new points, the curve re-bound, the follow
// window applied, and the paint that follows. A record of a minute (6 000
// points) against a day's (8.64 million): the cost must not grow with it.
#include "measure/GraphicDisplayWnd.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <cstdlib>

namespace {

class Host : public CWnd {};

void Refresh(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Host host;
    host.Create("", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 1000, 620), nullptr, 0);
    CGraphicDisplayWnd wnd;
    wnd.Create(CGraphicDisplayWnd::kClassName, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 1000, 620), &host, 1064);
    wnd.CreateDisplay(&host, 1064, 1);
    double x = 0.0;
    for (int i = 0; i < n; ++i, x += 0.01)
        wnd.addPoint(0, x, (i % 977) * 0.1);
    wnd.showCurve(0, true, true, true);
    QApplication::processEvents();
    for (auto _ : state) {
        for (int i = 0; i < 20; ++i, x += 0.01)
            wnd.addPoint(0, x, (i % 977) * 0.1);
        // What the page's refresh asks of the window.
        wnd.showCurve(0, true, true, true);
        wnd.SetFollowWidth(10.0);
        wnd.SetScrollMode(1);
        QApplication::processEvents();
    }
    wnd.DestroyWindow();
    host.DestroyWindow();
}

} // namespace

BENCHMARK(Refresh)->Arg(6'000)->Arg(8'640'000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks<QApplication>(argc, argv);
}
