// The serial ports present on this machine, for the interface dialog and the
// first start.
#pragma once

#include "platform/CString.h"

#include <vector>

// /dev/ttyUSB*, /dev/ttyACM* and the /dev/ttyS* that have a UART behind them,
// each as a device path, sorted by kind and then by number; then every path
// of extraPaths that exists and is not listed yet (a pseudo-terminal or a
// symlink the user typed). devDir and sysDir are for tests.
std::vector<CString> EnumerateSerialPorts(const std::vector<CString>& extraPaths = {},
                                          const char* devDir = "/dev",
                                          const char* sysDir = "/sys/class/tty");
