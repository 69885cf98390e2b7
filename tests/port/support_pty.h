// Pseudo-terminals standing in for a serial device: the test plays the
// device on the master side, the code under test opens the slave by path.
#pragma once

#include "platform/Types.h"

#include <chrono>
#include <string>
#include <vector>

struct TestPty {
    TestPty();
    ~TestPty();
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    // What the device sends.
    void Send(const std::string& bytes) const;
    // Reads from the device side until count bytes came or the time is up.
    std::string Receive(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // Whatever is waiting now.
    std::string ReceiveAvailable() const;
    // The device goes away.
    void CloseMaster();

    int master = -1;
    std::string path;
};

// Polls cond every millisecond until it holds or the time is up.
template <class Cond>
bool WaitFor(Cond cond, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end)
            return cond();
        struct timespec ts {0, 1000000};
        nanosleep(&ts, nullptr);
    }
    return true;
}

// A private folder under /tmp, removed with its contents.
struct TempDir {
    TempDir();
    ~TempDir();
    std::string path;
};
