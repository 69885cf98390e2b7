#include "platform/Timer.h"

#include "platform/Messages.h"
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace vx::detail {
LRESULT Deliver(CWnd* target, UINT msg, WPARAM wParam, LPARAM lParam);
extern int g_handlerDepth;
} // namespace vx::detail

namespace {

// Windows never runs a window timer faster than this.
constexpr std::int64_t kMinimumPeriodMs = 10;

struct TimerEntry {
    CWnd* wnd;
    std::uint64_t serial;
    UINT_PTR id;
    std::int64_t period;
    std::int64_t deadline;
    std::uint64_t seq;   // order of SetTimer calls, for equal deadlines
};

std::recursive_mutex g_mutex;
std::vector<TimerEntry> g_timers;
std::uint64_t g_seq = 0;
bool g_manual = false;
std::int64_t g_manualNow = 0;
QTimer* g_qtimer = nullptr;

std::optional<QDateTime> g_localFixed;
std::int64_t g_localBase = 0;

std::int64_t realNow()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void armRealTimer();

// Picks the timer that is due first (by deadline, then by set order),
// schedules its next tick and returns it; false when none is due at `now`.
bool takeDue(std::int64_t now, TimerEntry& out)
{
    std::lock_guard lock(g_mutex);
    TimerEntry* best = nullptr;
    for (auto& t : g_timers) {
        if (t.deadline > now)
            continue;
        if (!best || t.deadline < best->deadline || (t.deadline == best->deadline && t.seq < best->seq))
            best = &t;
    }
    if (!best)
        return false;
    out = *best;
    // A late timer ticks once; the next tick is a full period after now.
    best->deadline = best->deadline + best->period > now ? best->deadline + best->period : now + best->period;
    return true;
}

void deliverTick(const TimerEntry& t)
{
    if (CWnd::IsLive(t.wnd, t.serial))
        vx::detail::Deliver(t.wnd, WM_TIMER, t.id, 0);
}

void onRealTimeout()
{
    TimerEntry t;
    const bool due = takeDue(realNow(), t);
    // Armed again before the handler runs: a handler that opens a modal
    // loop must not stop the other timers.
    armRealTimer();
    if (due)
        deliverTick(t);
}

void armRealTimer()
{
    std::lock_guard lock(g_mutex);
    if (!QCoreApplication::instance())
        return;
    if (!vx::IsUiThread()) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { armRealTimer(); }, Qt::QueuedConnection);
        return;
    }
    if (!g_qtimer) {
        g_qtimer = new QTimer(QCoreApplication::instance());
        g_qtimer->setSingleShot(true);
        g_qtimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(g_qtimer, &QTimer::timeout, [] { onRealTimeout(); });
    }
    if (g_manual || g_timers.empty()) {
        g_qtimer->stop();
        return;
    }
    std::int64_t next = g_timers.front().deadline;
    for (const auto& t : g_timers)
        next = std::min(next, t.deadline);
    g_qtimer->start(static_cast<int>(std::clamp<std::int64_t>(next - realNow(), 0, 1 << 30)));
}

void rebase(std::int64_t from, std::int64_t to)
{
    for (auto& t : g_timers)
        t.deadline = t.deadline - from + to;
}

} // namespace

namespace vx {

std::int64_t ManualClock::now() const
{
    std::lock_guard lock(g_mutex);
    return g_manualNow;
}

void ManualClock::advance(std::int64_t ms)
{
    std::int64_t target;
    {
        std::lock_guard lock(g_mutex);
        if (!g_manual)
            return;
        target = g_manualNow + std::max<std::int64_t>(ms, 0);
    }
    for (;;) {
        TimerEntry t;
        {
            std::lock_guard lock(g_mutex);
            if (!g_manual)
                return;
            // The clock steps to the next deadline within reach.
            std::int64_t next = -1;
            for (const auto& e : g_timers)
                if (e.deadline <= target && (next < 0 || e.deadline < next))
                    next = e.deadline;
            if (next < 0)
                break;
            if (next > g_manualNow)
                g_manualNow = next;
            if (!takeDue(g_manualNow, t))
                break;
        }
        deliverTick(t);
    }
    std::lock_guard lock(g_mutex);
    if (g_manual)
        g_manualNow = std::max(g_manualNow, target);
}

std::int64_t NowMs()
{
    std::lock_guard lock(g_mutex);
    return g_manual ? g_manualNow : realNow();
}

ManualClock& UseManualClock(std::int64_t startMs)
{
    static ManualClock clock;
    {
        std::lock_guard lock(g_mutex);
        const std::int64_t from = g_manual ? g_manualNow : realNow();
        rebase(from, startMs);
        g_localBase = g_localBase - from + startMs;
        g_manual = true;
        g_manualNow = startMs;
    }
    armRealTimer();
    return clock;
}

bool IsManualClock()
{
    std::lock_guard lock(g_mutex);
    return g_manual;
}

UINT_PTR SetTimer(CWnd* wnd, UINT_PTR id, UINT elapseMs)
{
    if (!wnd)
        return 0;
    {
        std::lock_guard lock(g_mutex);
        const std::int64_t period = std::max<std::int64_t>(elapseMs, kMinimumPeriodMs);
        const std::int64_t now = g_manual ? g_manualNow : realNow();
        auto it = std::find_if(g_timers.begin(), g_timers.end(),
                               [&](const TimerEntry& t) { return t.wnd == wnd && t.id == id; });
        if (it == g_timers.end()) {
            g_timers.push_back({wnd, wnd->GetSerial(), id, period, now + period, ++g_seq});
        } else {
            it->serial = wnd->GetSerial();
            it->period = period;
            it->deadline = now + period;
            it->seq = ++g_seq;
        }
    }
    armRealTimer();
    return id == 0 ? 1 : id;
}

BOOL KillTimer(CWnd* wnd, UINT_PTR id)
{
    std::lock_guard lock(g_mutex);
    auto it = std::find_if(g_timers.begin(), g_timers.end(),
                           [&](const TimerEntry& t) { return t.wnd == wnd && t.id == id; });
    if (it == g_timers.end())
        return FALSE;
    g_timers.erase(it);
    return TRUE;
}

void KillAllTimers(CWnd* wnd)
{
    std::lock_guard lock(g_mutex);
    g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(), [&](const TimerEntry& t) { return t.wnd == wnd; }),
                   g_timers.end());
}

bool HasTimer(const CWnd* wnd, UINT_PTR id)
{
    return TimerRemainingMs(wnd, id) >= 0;
}

std::int64_t TimerRemainingMs(const CWnd* wnd, UINT_PTR id)
{
    std::lock_guard lock(g_mutex);
    const std::int64_t now = g_manual ? g_manualNow : realNow();
    for (const auto& t : g_timers)
        if (t.wnd == wnd && t.id == id)
            return std::max<std::int64_t>(t.deadline - now, 0);
    return -1;
}

int TimerCount()
{
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_timers.size());
}

void ResetTimersForTest()
{
    {
        std::lock_guard lock(g_mutex);
        g_timers.clear();
        g_manual = false;
        g_manualNow = 0;
        g_localFixed.reset();
    }
    armRealTimer();
}

QDateTime CurrentLocalTime()
{
    std::lock_guard lock(g_mutex);
    if (!g_localFixed)
        return QDateTime::currentDateTime();
    const std::int64_t now = g_manual ? g_manualNow : realNow();
    return g_localFixed->addMSecs(now - g_localBase);
}

void SetLocalTimeOverride(std::optional<QDateTime> fixed)
{
    std::lock_guard lock(g_mutex);
    g_localFixed = std::move(fixed);
    g_localBase = g_manual ? g_manualNow : realNow();
}

} // namespace vx

void Sleep(DWORD ms)
{
    if (vx::IsUiThread() && vx::IsManualClock()) {
        if (vx::detail::g_handlerDepth == 0) {
            // Outside handlers a sleep drives the conversation like advance.
            vx::ManualClock().advance(ms);
        } else {
            std::lock_guard lock(g_mutex);
            g_manualNow += ms;
        }
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(static_cast<std::uint64_t>(vx::NowMs()) & 0xFFFFFFFFu);
}
