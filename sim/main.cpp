#include "sim/SimHost.h"

#include <cstdio>

int main(int argc, char** argv)
{
    vx35sim::HostOptions options;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto error = vx35sim::ParseOptions(args, options)) {
        std::fprintf(stderr, "vx35sim: %s\nTry 'vx35sim --help'.\n", error->c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(vx35sim::UsageText().c_str(), stdout);
        return 0;
    }
    return vx35sim::RunHost(options);
}
