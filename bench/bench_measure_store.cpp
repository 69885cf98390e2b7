// Growth of the live chart's point store: points appended one by one as the
// value stream delivers them, 10 million per run (a day at 100 values/s is
// 8.6 million), and 10 240 001 (one past 10 000 x 2^10, where an array
// that doubles from 10 000 has just grown). Reports the rate and the memory
// held per point: the capacity at the end, the worst capacity per point
// seen after any append from 100 000 points on, the block summary of the
// curve's extremes, and the process's peak resident growth while it grew
// (points and summary together).
#include "bench/ProcStatus.h"
#include "measure/CDataManager.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

void AddPoint(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    double capacityBytesPerPoint = 0.0;
    double peakBytesPerPoint = 0.0;
    double worstBytesPerPoint = 0.0;
    double summaryBytesPerPoint = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        ResetPeak();
        const long before = ProcStatusBytes("VmRSS:");
        state.ResumeTiming();
        {
            CDataManager store;
            double x = 0.0;
            unsigned capacity = 0;
            for (int i = 0; i < n; ++i) {
                store.addPoint(0, x, i & 1023, nullptr);
                x += 0.01;
                if (i >= 100'000 && store.getCapacity(0) != capacity) {
                    capacity = store.getCapacity(0);
                    const double b = capacity * double(sizeof(ChartPoint)) / (i + 1);
                    if (b > worstBytesPerPoint)
                        worstBytesPerPoint = b;
                }
            }
            benchmark::DoNotOptimize(store.getAbsoluteXMax());
            state.PauseTiming();
            capacityBytesPerPoint = store.getCapacity(0) * sizeof(ChartPoint) / static_cast<double>(n);
            summaryBytesPerPoint = store.getSummary(0)->Bytes() / static_cast<double>(n);
            peakBytesPerPoint = (ProcStatusBytes("VmHWM:") - before) / static_cast<double>(n);
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["points/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * n, benchmark::Counter::kIsRate);
    state.counters["capacity B/pt"] = capacityBytesPerPoint;
    state.counters["peak RSS B/pt"] = peakBytesPerPoint;
    state.counters["worst capacity B/pt"] = worstBytesPerPoint;
    state.counters["summary B/pt"] = summaryBytesPerPoint;
}

} // namespace

BENCHMARK(AddPoint)->Arg(10'000'000)->Arg(10'240'001)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
