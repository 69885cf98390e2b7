// The periodic tick behind the PC-paced measurement.
#include "platform/TickThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace {

void waitFor(const std::function<bool()>& done)
{
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(1ms);
}

TEST(TickThread, TicksOnItsOwnThreadUntilStoppedAndStopIsIdempotent)
{
    vx::TickThread t;
    std::atomic<int> n{0};
    std::atomic<bool> otherThread{true};
    const auto caller = std::this_thread::get_id();
    ASSERT_TRUE(t.Start(2ms, [&] {
        otherThread = otherThread && std::this_thread::get_id() != caller;
        ++n;
    }));
    EXPECT_FALSE(t.Start(2ms, [] {}));   // already running
    waitFor([&] { return n >= 5; });
    EXPECT_TRUE(t.Stop());
    const int after = n;
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(n, after);
    EXPECT_TRUE(t.Stop());
    EXPECT_FALSE(t.IsRunning());
    EXPECT_TRUE(otherThread);
    EXPECT_EQ(t.TickCount(), static_cast<std::uint64_t>(after));
    // It can be started again after a stop.
    ASSERT_TRUE(t.Start(1ms, [&] { ++n; }));
    waitFor([&] { return n > after; });
    t.Stop();
}

TEST(TickThread, RefusesToStopFromItsOwnTick)
{
    vx::TickThread t;
    std::atomic<int> refused{0};
    std::atomic<bool> inside{false};
    ASSERT_TRUE(t.Start(1ms, [&] {
        inside = t.InTickThread();
        if (!t.Stop())
            ++refused;
        t.RequestStop();
    }));
    waitFor([&] { return !t.IsRunning(); });
    EXPECT_EQ(refused, 1);
    EXPECT_TRUE(inside);
    EXPECT_FALSE(t.InTickThread());
    EXPECT_TRUE(t.Stop());
}

TEST(TickThread, StallSkipsMissedTicksInsteadOfBursting)
{
    vx::TickThread t;
    std::atomic<int> n{0};
    std::vector<std::chrono::steady_clock::time_point> times;
    std::mutex m;
    ASSERT_TRUE(t.Start(10ms, [&] {
        {
            std::lock_guard lock(m);
            times.push_back(std::chrono::steady_clock::now());
        }
        if (++n == 1)
            std::this_thread::sleep_for(45ms);   // misses about four deadlines
    }));
    waitFor([&] { return n >= 3; });
    t.Stop();
    EXPECT_GE(t.SkippedCount(), 3u);
    std::lock_guard lock(m);
    ASSERT_GE(times.size(), 3u);
    // After the stall the next tick waits for the next deadline on the grid
    // rather than firing at once for each missed one.
    EXPECT_GE(times[2] - times[1], 3ms);
}

TEST(TickThread, MayBeDestroyedFromItsOwnTick)
{
    auto* t = new vx::TickThread;
    std::atomic<int> ticks{0};
    std::atomic<bool> deleted{false};
    ASSERT_TRUE(t->Start(1ms, [&] {
        if (++ticks == 1) {
            delete t;   // ends the thread after this tick, without a join
            deleted = true;
        }
    }));
    waitFor([&] { return deleted.load(); });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(ticks, 1);
}

TEST(TickThread, RejectsBadArguments)
{
    vx::TickThread t;
    EXPECT_FALSE(t.Start(0ms, [] {}));
    EXPECT_FALSE(t.Start(1ms, nullptr));
    EXPECT_TRUE(t.Stop());   // never started: nothing to do
}

} // namespace
