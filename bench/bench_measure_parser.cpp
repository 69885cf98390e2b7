// Value stream parsing as the measure page runs it: chunks appended to the
// receive text, every whole frame (or line) taken and converted, the
// consumed bytes dropped once per chunk. The device's line rate at 115200
// baud is 2880 frames/s; the parser has to stay far above that.
#include "measure/ValueStream.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace {

constexpr size_t kStreamBytes = 10u << 20; // 10 MB

std::string FrameStream()
{
    std::string s;
    s.reserve(kStreamBytes);
    for (int i = 0; s.size() + 4 <= kStreamBytes; ++i) {
        const int v = static_cast<int>(20000.0 * std::sin(i * 0.001));
        s += static_cast<char>((v >> 8) & 0xFF);
        s += static_cast<char>(v & 0xFF);
        s += "\r\n";
        if (i % 997 == 0)
            s += '\x55'; // a stray byte now and then: resynchronisation
    }
    return s;
}

std::string LineStream()
{
    std::string s;
    s.reserve(kStreamBytes);
    const char* values[] = {" 1,234", "-0,002", "12,500", "-9,999"};
    for (int i = 0; s.size() + 21 <= kStreamBytes; ++i) {
        s += values[i & 3];
        s += " kN          \r\n";
    }
    return s;
}

// Feeds the stream in chunks of the given size, as the port delivers them,
// into a receive text that keeps what a chunk left over.
template <typename Parse>
void Run(benchmark::State& state, const std::string& stream, Parse parse)
{
    const size_t chunk = static_cast<size_t>(state.range(0));
    const ValueScale scale{1000, &CAlgebra::Add, 0.0};
    size_t values = 0;
    for (auto _ : state) {
        std::string rx;
        double sum = 0.0;
        for (size_t at = 0; at < stream.size(); at += chunk) {
            rx.append(stream, at, chunk);
            const size_t consumed = parse(rx, scale, sum, values);
            rx.erase(0, consumed);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
    state.counters["values/s"] = benchmark::Counter(static_cast<double>(values), benchmark::Counter::kIsRate);
    state.counters["x line rate"] =
        benchmark::Counter(static_cast<double>(values) / 2880.0, benchmark::Counter::kIsRate);
}

void FrameParser(benchmark::State& state)
{
    static const std::string stream = FrameStream();
    Run(state, stream, [](const std::string& rx, const ValueScale& scale, double& sum, size_t& values) {
        const FastStreamResult r = ParseFastStream(rx);
        for (int reading : r.readings)
            sum += ConvertFrameReading(reading, scale);
        values += r.readings.size();
        return r.consumed;
    });
}

void LineParser(benchmark::State& state)
{
    static const std::string stream = LineStream();
    Run(state, stream, [](const std::string& rx, const ValueScale& scale, double& sum, size_t& values) {
        const SlowStreamResult r = ParseSlowStream(rx);
        for (const CString& chars : r.values)
            sum += ConvertLineValue(chars, scale);
        values += r.values.size();
        return r.consumed;
    });
}

} // namespace

// 3-byte pieces (a slow device), 64 bytes (a typical read) and the whole
// 10 MB at once (a long burst piled up behind a busy UI thread).
BENCHMARK(FrameParser)->Arg(3)->Arg(64)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(LineParser)->Arg(64)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
