// The measured-series CSV export: 1 million points (the everyday case) and
// 10 million (more than a day at 100 values/s), written to a real file in
// $TMPDIR (or /tmp) through the same streamed writer the measure page uses.
// "Vector" reads plain arrays (the writer's own cost); "Display" reads the
// live chart window's store by index, as the page does. Reports points/s,
// the file's bytes per point and the process's peak resident growth while
// exporting (the export must stay bounded, whatever the record's length).
#include "measure/GraphicDisplayWnd.h"
#include "measure/SeriesCsv.h"

#include "bench/ProcStatus.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string OutputPath()
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/vx35_bench_series_" + std::to_string(getpid()) + ".csv";
}

double SampleY(size_t i) { return std::sin(static_cast<double>(i) * 0.0007) * 1234.5678 - 0.25; }

class VectorPoints final : public SeriesPoints {
public:
    explicit VectorPoints(size_t n) : xs(n), ys(n)
    {
        for (size_t i = 0; i < n; ++i) {
            xs[i] = static_cast<double>(i) * 0.01;
            ys[i] = SampleY(i);
        }
    }
    size_t Count() const override { return xs.size(); }
    void Read(size_t first, size_t n, double* x, double* y) const override
    {
        for (size_t i = 0; i < n; ++i) {
            x[i] = xs[first + i];
            y[i] = ys[first + i];
        }
    }
    std::vector<double> xs, ys;
};

// What the measure page hands the export: the live window's curve 0.
class DisplayPoints final : public SeriesPoints {
public:
    explicit DisplayPoints(size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            wnd.addPoint(0, static_cast<double>(i) * 0.01, SampleY(i));
    }
    size_t Count() const override { return static_cast<size_t>(wnd.GetPointCount(0)); }
    void Read(size_t first, size_t n, double* x, double* y) const override
    {
        for (size_t i = 0; i < n; ++i) {
            x[i] = wnd.GetPointX(0, static_cast<int>(first + i));
            y[i] = wnd.GetPointY(0, static_cast<int>(first + i));
        }
    }
    CGraphicDisplayWnd wnd;
};

template <class Source>
void Export(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const auto source = std::make_unique<Source>(n);
    ChannelRecord channel;
    channel.m_bySampleMode = 0;   // PC: X with two decimals
    channel.m_strDisplayFormat = "%.3f ";
    const SeriesCsvHeader header{"VX35 Kopf", "Versuch", "Kommentar", "07.12.2026", "06:30:00 Uhr", "Sensor\r\n"};
    const SeriesCsvFormat format{"\r\n", ";", ',', true};
    const std::string path = OutputPath();
    double peakBytes = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(path.c_str());
        ResetPeak();
        const long before = ProcStatusBytes("VmRSS:");
        state.ResumeTiming();
        SeriesCsvExport job(path.c_str(), header, format, channel, "kN", *source);
        while (job.Step(200000)) {
        }
        if (!job.Finish())
            state.SkipWithError(job.ErrorMessage().GetString());
        state.PauseTiming();
        peakBytes = static_cast<double>(ProcStatusBytes("VmHWM:") - before);
        state.ResumeTiming();
    }
    struct stat st {};
    stat(path.c_str(), &st);
    std::remove(path.c_str());
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * n));
    state.counters["points/s"] =
        benchmark::Counter(static_cast<double>(state.iterations() * n), benchmark::Counter::kIsRate);
    state.counters["file B/pt"] = static_cast<double>(st.st_size) / static_cast<double>(n);
    state.counters["peak RSS MiB"] = peakBytes / (1 << 20);
}

} // namespace

BENCHMARK(Export<VectorPoints>)->Name("Export/Vector")->Arg(1'000'000)->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Export<DisplayPoints>)->Name("Export/Display")->Arg(1'000'000)->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
