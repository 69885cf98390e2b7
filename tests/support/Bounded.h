// An operation that must not hang, run under a watchdog: should it still run
// after the limit, release() frees it (comes to the other end of the pipe it
// waits on), so the test fails instead of hanging. The limit only catches a
// hang; it never decides a result.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

constexpr std::chrono::seconds kHangLimit{20};

template <class Work, class Release>
bool FinishesWithin(std::chrono::seconds limit, Work&& work, Release&& release)
{
    std::mutex m;
    std::condition_variable cv;
    bool done = false, released = false;
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, limit, [&] { return done; })) {
            released = true;
            lock.unlock();
            release();
        }
    });
    work();
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_all();
    watchdog.join();
    return !released;
}

// Frees a reader that waits for a writer to open the pipe.
inline void ComeAndGoAsWriter(const std::string& fifo)
{
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}

// Frees a writer that waits for a reader, and takes what it writes for a
// while.
inline void ReadUntilWriterLeaves(const std::string& fifo)
{
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return;
    char buf[65536];
    for (int round = 0; round < 20; ++round) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0 && ::read(fd, buf, sizeof buf) == 0 && round > 2)
            break;
    }
    ::close(fd);
}
