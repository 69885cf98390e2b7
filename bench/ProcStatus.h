// The process's memory as the kernel counts it, for benchmarks that report
// what a run held, not only how long it took.
#pragma once

#include <fstream>
#include <string>

// A value of /proc/self/status in bytes: "VmHWM:" (peak resident set) or
// "VmRSS:" (current).
inline long ProcStatusBytes(const char* key)
{
    std::ifstream f("/proc/self/status");
    std::string name;
    long kb = 0;
    while (f >> name) {
        if (name == key) {
            f >> kb;
            return kb * 1024;
        }
        f.ignore(1 << 10, '\n');
    }
    return 0;
}

// Resets the peak resident set so each run measures its own.
inline void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
