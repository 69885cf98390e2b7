#include "platform/TickThread.h"

namespace vx {

TickThread::~TickThread()
{
    if (InTickThread()) {
        // Destroyed from its own tick: the thread cannot join itself; it
        // ends after this tick on the state it shares.
        RequestStop();
        m_thread.detach();
        return;
    }
    Stop();
}

bool TickThread::Start(std::chrono::microseconds period, std::function<void()> tick)
{
    if (period.count() <= 0 || !tick || InTickThread())
        return false;
    std::unique_lock join(m_joinMutex);
    if (m_thread.joinable())
        return false;
    auto state = std::make_shared<State>();
    state->tick = std::move(tick);
    state->running = true;
    m_state = state;
    // The thread takes the state's lock first, so it cannot act on this
    // object (a tick may even delete it) before Start is done with it.
    std::unique_lock starting(state->mutex);
    m_thread = std::thread(run, state, std::chrono::steady_clock::now(), period);
    join.unlock();
    return true;
}

void TickThread::run(std::shared_ptr<State> state, std::chrono::steady_clock::time_point start,
                     std::chrono::microseconds period)
{
    std::unique_lock lock(state->mutex);
    state->threadId = std::this_thread::get_id();
    std::uint64_t n = 1;
    for (;;) {
        const auto deadline = start + period * static_cast<std::int64_t>(n);
        if (state->cv.wait_until(lock, deadline, [&] { return state->stopRequested; }))
            break;
        lock.unlock();
        state->tick();
        ++state->ticks;
        // Next deadline on the grid that still lies ahead: a stall skips
        // ticks instead of firing them in a burst.
        const auto now = std::chrono::steady_clock::now();
        std::uint64_t next = n + 1;
        if (start + period * static_cast<std::int64_t>(next) <= now) {
            const auto behind = static_cast<std::uint64_t>((now - start) / period);
            state->skipped += behind + 1 - next;
            next = behind + 1;
        }
        n = next;
        lock.lock();
    }
    state->running = false;
}

bool TickThread::Stop()
{
    if (InTickThread())
        return false;
    std::lock_guard join(m_joinMutex);
    RequestStop();
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void TickThread::RequestStop()
{
    if (!m_state)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopRequested = true;
    }
    m_state->cv.notify_all();
}

bool TickThread::InTickThread() const
{
    return m_state && m_state->threadId.load() == std::this_thread::get_id();
}

} // namespace vx
