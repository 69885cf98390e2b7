// Paint time of one long ascending curve into a 1000 x 600 image, with the
// whole series in view and with only the last 500 points in view.
#include "chart/Plot.h"

#include "bench/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

struct Chart {
    explicit Chart(int n) : points(static_cast<size_t>(n))
    {
        for (int i = 0; i < n; ++i)
            points[static_cast<size_t>(i)] = {i * 0.01, std::sin(i * 0.001) + 0.1 * std::sin(i * 0.37)};
        plot.SetShowLegend(false);
        plot.SetData(points.data(), n, 0, 0, 0, true, false, false);
        image = QImage(1000, 600, QImage::Format_RGB32);
    }
    std::vector<ChartPoint> points;
    CPlot plot;
    QImage image;
};

void Paint(benchmark::State& state, bool follow)
{
    const int n = static_cast<int>(state.range(0));
    Chart c(n);
    if (follow) {
        c.plot.GetXAxis(0).SetAutoScale(false);
        c.plot.GetXAxis(0).SetShownRange(c.points[static_cast<size_t>(n - 500)].x, c.points.back().x, 0.5);
    }
    for (auto _ : state) {
        c.plot.RenderTo(c.image);
        benchmark::DoNotOptimize(c.image.constBits());
    }
}

void WholeView(benchmark::State& s) { Paint(s, false); }
void FollowView(benchmark::State& s) { Paint(s, true); }

}  // namespace

BENCHMARK(WholeView)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(FollowView)->Arg(10'000)->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return bench::RunQtBenchmarks<QApplication>(argc, argv);
}
