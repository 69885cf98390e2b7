#pragma once

#include "sim/Vx35Device.h"

#include <optional>
#include <string>
#include <vector>

namespace vx35sim {

struct HostOptions {
    DeviceConfig device;
    std::string logFile;
    std::string linkPath; // a symbolic link kept pointing at the terminal
    bool help = false;
};

// Parses the command line (argv[0] excluded). Returns an error text for an
// unknown option or a bad value; the caller exits with code 2 on it.
std::optional<std::string> ParseOptions(const std::vector<std::string>& args, HostOptions& out);
std::string UsageText();

// Hosts the device on a fresh pseudo-terminal: prints the slave path as the
// first line on stdout, then serves until SIGINT, SIGTERM, SIGHUP, end of
// input on stdin, or the device leaving the line. With a link path the link
// points at the terminal while the device serves. Each line read on stdin
// is the device's own trigger (one HAND or TRIGGER value). Returns the
// process exit code.
int RunHost(const HostOptions& options);

} // namespace vx35sim
