// The logger read-out's receive path, chunk by chunk as the port delivers:
// a stream that names no mode (junk lines, a wrong baud rate) up to the
// point where the read-out gives it up, and a long read-out's records. A
// line flood at 200 kB/s brings a chunk every few milliseconds; each must
// cost the same however much came before it.
#include "pages/LoggerReadout.h"
#include "tests/pages/NullLoggerHost.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void Feed(benchmark::State& state, const std::string& stream)
{
    const size_t chunk = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        NullLoggerHost host;
        CLoggerReadout logger(host);
        logger.StartLoggerReadout();
        for (size_t at = 0; at < stream.size(); at += chunk) {
            const std::string piece = stream.substr(at, chunk);
            host.rx.str() += piece;
            logger.OnDataReceived(static_cast<int>(piece.size()));
        }
        benchmark::DoNotOptimize(logger.GetRecordText().GetLength());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
}

// Header, then lines that name no mode, up to where the read-out ends.
void NoModeLine(benchmark::State& state)
{
    std::string s = "\r\nHead\x03";
    while (s.size() < static_cast<size_t>(CLoggerReadout::kModeLineBound) + 64)
        s += "x7#q,. 0815 Zz\r\n";
    Feed(state, s);
}

// A read-out of 100 000 records.
void Records(benchmark::State& state)
{
    std::string s = "\r\nHead\x03" "HAND    \r\n";
    for (int i = 0; i < 100000; ++i)
        s += " 12,34 Nm  08:05:03\r\n";
    Feed(state, s);
}

} // namespace

BENCHMARK(NoModeLine)->Arg(1)->Arg(16)->Arg(4096)->Unit(benchmark::kMicrosecond);
BENCHMARK(Records)->Arg(64)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
