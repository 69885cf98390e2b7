#include "platform/TickThread.h"

namespace vx {

TickThread::~TickThread()
{
    if (InTickThread()) {
        // Destroyed from its own tick: the thread cannot join itself.
        RequestStop();
        m_thread.detach();
        return;
    }
    Stop();
}

bool TickThread::Start(std::chrono::microseconds period, std::function<void()> tick)
{
    if (period.count() <= 0 || !tick)
        return false;
    std::lock_guard join(m_joinMutex);
    if (m_running.load() || m_thread.joinable())
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = false;
    }
    m_tick = std::move(tick);
    m_ticks = 0;
    m_skipped = 0;
    m_running = true;
    const auto start = std::chrono::steady_clock::now();
    m_thread = std::thread([this, start, period] { run(start, period); });
    return true;
}

void TickThread::run(std::chrono::steady_clock::time_point start, std::chrono::microseconds period)
{
    std::uint64_t n = 1;
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto deadline = start + period * static_cast<std::int64_t>(n);
        if (m_cv.wait_until(lock, deadline, [this] { return m_stopRequested; }))
            break;
        lock.unlock();
        m_tick();
        ++m_ticks;
        // Next deadline on the grid that still lies ahead: a stall skips
        // ticks instead of firing them in a burst.
        const auto now = std::chrono::steady_clock::now();
        std::uint64_t next = n + 1;
        if (start + period * static_cast<std::int64_t>(next) <= now) {
            const auto behind = static_cast<std::uint64_t>((now - start) / period);
            m_skipped += behind + 1 - next;
            next = behind + 1;
        }
        n = next;
        lock.lock();
    }
    m_running = false;
}

bool TickThread::Stop()
{
    if (InTickThread())
        return false;
    std::lock_guard join(m_joinMutex);
    RequestStop();
    if (m_thread.joinable())
        m_thread.join();
    m_running = false;
    return true;
}

void TickThread::RequestStop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_cv.notify_all();
}

bool TickThread::InTickThread() const
{
    return m_thread.joinable() && std::this_thread::get_id() == m_thread.get_id();
}

} // namespace vx
