// What the benchmark programs share: the process's CPU time, a steady wall
// clock, the host's load, three runs reported as min/median/max, and a
// main that runs Google Benchmark (inside a Qt application on the
// offscreen platform where the benchmarks paint).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace bench {

// CPU time of the whole process (every thread), in seconds.
inline double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The host's load averages over 1, 5 and 15 minutes: timings on a shared
// machine mean little without them.
inline std::string LoadAverage()
{
    std::ifstream f("/proc/loadavg");
    std::string a, b, c;
    f >> a >> b >> c;
    return a + " " + b + " " + c;
}

// Three runs, reported as min, median and max (besides the mean).
// Use as ->Apply(bench::ThreeRuns).
inline void ThreeRuns(benchmark::internal::Benchmark* b)
{
    b->Repetitions(3)
        ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
        ->DisplayAggregatesOnly(true);
}

// Runs the registered benchmarks with the load before and after them.
inline int RunBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::AddCustomContext("load at start", LoadAverage());
    benchmark::RunSpecifiedBenchmarks();
    std::printf("load at end: %s\n", LoadAverage().c_str());
    benchmark::Shutdown();
    return 0;
}

// App is QGuiApplication or QApplication, whichever the benchmarks need.
template <class App>
int RunQtBenchmarks(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    App app(argc, argv);
    return RunBenchmarks(argc, argv);
}

} // namespace bench
