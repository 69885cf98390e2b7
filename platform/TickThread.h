// A periodic tick on a thread of its own, for the PC-paced measurement.
// Ticks follow absolute steady-clock deadlines start + n * period, so they
// do not drift; after a stall the missed ticks are skipped rather than
// fired in a burst. A tick never overlaps the previous one.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vx {

class TickThread {
public:
    TickThread() = default;
    ~TickThread();   // stops and joins; from its own tick it stops without joining
    TickThread(const TickThread&) = delete;
    TickThread& operator=(const TickThread&) = delete;

    // Starts ticking; the first tick is one period after the start. False
    // when already running or the period is not positive.
    bool Start(std::chrono::microseconds period, std::function<void()> tick);
    // Stops and joins. Idempotent. Refused (false, nothing changes) when
    // called from inside the tick, which would otherwise wait for itself.
    bool Stop();
    // Asks the thread to end after the current tick without waiting; safe
    // from the tick itself. A later Stop() (or the destructor) joins.
    void RequestStop();

    bool IsRunning() const { return m_state && m_state->running.load(); }
    bool InTickThread() const;
    std::uint64_t TickCount() const { return m_state ? m_state->ticks.load() : 0; }
    // Deadlines skipped because a tick ran late.
    std::uint64_t SkippedCount() const { return m_state ? m_state->skipped.load() : 0; }

private:
    // Shared with the thread, so a tick that destroys its own TickThread
    // leaves the thread something valid to finish with.
    struct State {
        std::function<void()> tick;
        std::mutex mutex;
        std::condition_variable cv;
        bool stopRequested = false;
        std::atomic<bool> running{false};
        std::atomic<std::thread::id> threadId{};
        std::atomic<std::uint64_t> ticks{0};
        std::atomic<std::uint64_t> skipped{0};
    };
    static void run(std::shared_ptr<State> state, std::chrono::steady_clock::time_point start,
                    std::chrono::microseconds period);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
    std::mutex m_joinMutex;
};

} // namespace vx
