// The measured-series CSV export: 1 million points (the everyday case) and
// 10 million (more than a day at 100 values/s), written to a real file in
// $TMPDIR (or /tmp). "Writer" streams plain arrays through the writer the
// measure page uses (its own cost); "Page" is File > Save on the measure
// page for its live chart's points, slices and served events included;
// "Memory" writes the same bytes, formatted beforehand, in 256 KiB blocks
// as dd would from memory: the disk's floor for the other two. Reports
// points/s, the file's bytes per point and the process's peak resident
// growth while exporting (the export must stay bounded, whatever the
// record's length); min/median/max of three runs, with the host's load.
#include "app/StringTable.h"
#include "measure/MessenDlg.h"
#include "measure/SeriesCsv.h"
#include "platform/App.h"
#include "platform/Modal.h"
#include "platform/PropertySheet.h"
#include "port/CPortMan.h"
#include "res/Resources.h"

#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "bench/ProcStatus.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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

double SampleX(size_t i) { return static_cast<double>(i) * 0.01; }
double SampleY(size_t i) { return std::sin(static_cast<double>(i) * 0.0007) * 1234.5678 - 0.25; }

class VectorPoints final : public SeriesPoints {
public:
    explicit VectorPoints(size_t n) : xs(n), ys(n)
    {
        for (size_t i = 0; i < n; ++i) {
            xs[i] = SampleX(i);
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

ChannelRecord Channel()
{
    ChannelRecord channel;
    channel.m_bySampleMode = 0;   // PC: X with two decimals
    channel.m_strDisplayFormat = "%.3f ";
    channel.m_strUnit = "kN ";
    return channel;
}

std::unique_ptr<VectorPoints> g_vector;

void PrepareVector(size_t n)
{
    if (!g_vector || g_vector->Count() != n)
        g_vector = std::make_unique<VectorPoints>(n);
}

void ExportVector(const std::string& path)
{
    const SeriesCsvHeader header{"VX35 Kopf", "Versuch", "Kommentar", "07.12.2026", "06:30:00 Uhr", "Sensor\r\n"};
    const SeriesCsvFormat format{"\r\n", ";", ',', true};
    SeriesCsvExport job(path.c_str(), header, format, Channel(), "kN", *g_vector);
    if (!job.Finish())
        std::fprintf(stderr, "%s\n", job.ErrorMessage().GetString());
}

// A port that takes every byte: the page's activation and conversation
// write to it.
class QuietPort : public CPortMan {
public:
    bool PutByte(BYTE) override { return true; }
    bool WriteFrame(const BYTE*, int) override { return true; }
    bool WriteString(const CString&) override { return true; }
};

// The measure page on its own sheet, its live chart holding n points.
struct MeasurePage {
    explicit MeasurePage(size_t n)
    {
        table[0] = Channel();
        table[0].m_pPortMan = &port;
        page.SetSharedState(
            {table, receive, &languageOffset, &connectionMode, &currentChannel, &busy, &operatingMode, &arrival});
        sheet.AddPage(&page);
        sheet.Create(nullptr, WS_POPUP);
        page.GetDisplay().ClearCurve(0);
        for (size_t i = 0; i < n; ++i)
            page.GetDisplay().addPoint(0, SampleX(i), SampleY(i));
    }
    ~MeasurePage() { sheet.DestroyWindow(); }
    QuietPort port;
    ChannelRecord table[kChannelCount];
    CString receive[kReceiveTextCount];
    int languageOffset = 0, connectionMode = 0, currentChannel = 0, busy = 0, operatingMode = 0;
    BYTE arrival = 0;
    CMessenDlg page;
    CPropertySheet sheet;
};

std::unique_ptr<MeasurePage> g_page;   // made and gone while the application runs

void PreparePage(size_t n)
{
    if (!g_page || g_page->page.GetDisplay().GetPointCount(0) != static_cast<int>(n)) {
        g_page.reset();
        g_page = std::make_unique<MeasurePage>(n);
    }
}

void ExportPage(const std::string& path)
{
    if (!g_page->page.WriteCsv(path.c_str()))
        std::fprintf(stderr, "the page's export failed\n");
}

// The file's bytes, written beforehand, then written the way dd writes
// from memory.
std::vector<char> g_bytes;

void PrepareBytes(size_t n)
{
    const std::string path = OutputPath();
    PrepareVector(n);
    ExportVector(path);
    struct stat st {};
    stat(path.c_str(), &st);
    g_bytes.resize(static_cast<size_t>(st.st_size));
    const int fd = ::open(path.c_str(), O_RDONLY);
    size_t got = 0;
    for (ssize_t r; fd >= 0 && got < g_bytes.size() && (r = ::read(fd, g_bytes.data() + got, g_bytes.size() - got)) > 0;)
        got += static_cast<size_t>(r);
    ::close(fd);
    std::remove(path.c_str());
}

void WriteFromMemory(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    constexpr size_t kBlock = 256 << 10;
    for (size_t done = 0; fd >= 0 && done < g_bytes.size();) {
        const ssize_t w = ::write(fd, g_bytes.data() + done, std::min(kBlock, g_bytes.size() - done));
        if (w <= 0)
            break;
        done += static_cast<size_t>(w);
    }
    ::close(fd);
}

void Export(benchmark::State& state, void (*prepare)(size_t), void (*run)(const std::string&))
{
    const size_t n = static_cast<size_t>(state.range(0));
    const std::string path = OutputPath();
    double peakBytes = 0.0;
    prepare(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(path.c_str());
        ResetPeak();
        const long before = ProcStatusBytes("VmRSS:");
        state.ResumeTiming();
        run(path);
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

void Writer(benchmark::State& s) { Export(s, PrepareVector, ExportVector); }
void Page(benchmark::State& s) { Export(s, PreparePage, ExportPage); }
void Memory(benchmark::State& s) { Export(s, PrepareBytes, WriteFromMemory); }

} // namespace

BENCHMARK(Writer)->Name("Export/Writer")->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Apply(bench::ThreeRuns);
BENCHMARK(Page)->Name("Export/Page")->Arg(1'000'000)->Arg(10'000'000)->Unit(benchmark::kMillisecond)
    ->Iterations(1)->Apply(bench::ThreeRuns);
BENCHMARK(Memory)->Name("Export/Memory")->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(1)
    ->Apply(bench::ThreeRuns);

int main(int argc, char** argv)
{
    // Scripted boxes: a failure's box must not wait for a click.
    bench::ProgramSetting setting(argc, argv);
    if (!setting.Ok())
        return 1;
    const int rc = bench::RunBenchmarks(argc, argv);
    g_page.reset(); // before the application goes
    return rc;
}
