// Paint time of one long ascending curve into a 1000 x 600 image: the whole
// record in view, only the last 500 points in view, and the same chart
// with the curve hidden (what a paint costs without any curve: the host's
// floor for the others). The points come from the live chart's store and
// are bound with its summary, as the live chart window binds them.
#include "chart/Plot.h"
#include "measure/CDataManager.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <cmath>
#include <cstdlib>

namespace {

enum class View { Whole, Follow, Empty };

struct Chart {
    explicit Chart(int n)
    {
        for (int i = 0; i < n; ++i)
            store.addPoint(0, i * 0.01, std::sin(i * 0.001) + 0.1 * std::sin(i * 0.37), nullptr);
        plot.SetShowLegend(false);
        plot.SetData(store.getPointsForBinding(0), n, 0, 0, 0, true, false, false);
        plot.GetCurve(0).SetKnownSummary(store.getSummary(0));
        image = QImage(1000, 600, QImage::Format_RGB32);
    }
    CDataManager store;
    CPlot plot;
    QImage image;
};

void Paint(benchmark::State& state, View view)
{
    const int n = static_cast<int>(state.range(0));
    Chart c(n);
    const ChartPoint* pts = c.store.getPoints(0);
    if (view == View::Follow) {
        c.plot.GetXAxis(0).SetAutoScale(false);
        c.plot.GetXAxis(0).SetShownRange(pts[n - 500].x, pts[n - 1].x, 0.5);
    }
    if (view == View::Empty)
        c.plot.ShowCurve(0, false);
    for (auto _ : state) {
        c.plot.RenderTo(c.image);
        benchmark::DoNotOptimize(c.image.constBits());
    }
}

void WholeView(benchmark::State& s) { Paint(s, View::Whole); }
void FollowView(benchmark::State& s) { Paint(s, View::Follow); }
void EmptyView(benchmark::State& s) { Paint(s, View::Empty); }

}  // namespace

BENCHMARK(WholeView)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Apply(bench::ThreeRuns);
BENCHMARK(FollowView)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Apply(bench::ThreeRuns);
BENCHMARK(EmptyView)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Apply(bench::ThreeRuns);

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks<QApplication>(argc, argv);
}
