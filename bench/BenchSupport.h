// What the benchmark programs share: the process's CPU time, a steady wall
// clock, and a main that runs Google Benchmark inside a Qt application on
// the offscreen platform.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

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

// App is QGuiApplication or QApplication, whichever the benchmarks need.
template <class App>
int RunQtBenchmarks(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
