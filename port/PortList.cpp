#include "port/PortList.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Found {
    int kind;
    long number;
    std::string name;
};

// The kernel registers ttyS0..ttyS31 whether or not a UART answers; only
// those bound to a real bus device (not the legacy placeholder driver) are
// worth offering.
bool HasRealUart(const std::string& sysDir, const std::string& name)
{
    const std::string dev = sysDir + "/" + name + "/device";
    struct stat st {};
    if (stat(dev.c_str(), &st) != 0)
        return false;
    char target[PATH_MAX];
    const ssize_t n = readlink((dev + "/driver").c_str(), target, sizeof(target) - 1);
    if (n <= 0)
        return false;
    target[n] = 0;
    const char* base = std::strrchr(target, '/');
    base = base ? base + 1 : target;
    return std::strcmp(base, "serial8250") != 0;
}

bool Exists(const char* path)
{
    struct stat st {};
    return stat(path, &st) == 0;
}

} // namespace

std::vector<CString> EnumerateSerialPorts(const std::vector<CString>& extraPaths,
                                          const char* devDir, const char* sysDir)
{
    static const char* const prefixes[] = {"ttyUSB", "ttyACM", "ttyS"};
    std::vector<Found> found;
    if (DIR* d = opendir(devDir)) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            for (int kind = 0; kind < 3; ++kind) {
                const std::string prefix = prefixes[kind];
                if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
                    continue;
                const std::string digits = name.substr(prefix.size());
                if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                    continue;
                if (kind == 2 && !HasRealUart(sysDir, name))
                    continue;
                found.push_back({kind, std::strtol(digits.c_str(), nullptr, 10), name});
            }
        }
        closedir(d);
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
    });

    std::vector<CString> result;
    for (const Found& f : found)
        result.emplace_back(std::string(devDir) + "/" + f.name);
    for (const CString& extra : extraPaths) {
        if (extra.IsEmpty() || extra[0] != '/' || !Exists(extra))
            continue;
        if (std::find(result.begin(), result.end(), extra) == result.end())
            result.push_back(extra);
    }
    return result;
}
