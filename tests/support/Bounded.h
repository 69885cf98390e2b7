// An operation that must not hang, under a watchdog: still running after
// the limit, it is freed by release() (which comes to the other end of the
// pipe it waits on), so the test fails instead of hanging. The limit only
// catches a hang; it never decides a result.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

constexpr std::chrono::seconds kHangLimit{20};

template <class Work, class Release>
bool FinishesWithin(std::chrono::seconds limit, Work&& work, Release&& release)
{
    std::mutex m;
    std::condition_variable cv;
    bool done = false, hung = false;
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        hung = !cv.wait_for(lock, limit, [&] { return done; });
        if (hung)
            release();
    });
    work();
    {
        std::lock_guard lock(m);
        done = true;
    }
    cv.notify_all();
    watchdog.join();
    return !hung;
}

// Frees whoever waits for the other end of the pipe to be opened.
inline void OpenOtherEnd(const std::string& fifo, bool forWriting)
{
    const int fd = ::open(fifo.c_str(), (forWriting ? O_WRONLY : O_RDONLY) | O_NONBLOCK);
    if (fd >= 0)
        ::close(fd);
}
