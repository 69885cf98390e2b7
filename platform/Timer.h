// The one clock of the program's windows: window timers, Sleep and the tick
// count all read it.
//
// Window timers keep the usual semantics: SetTimer(wnd, id, ms) is periodic
// until KillTimer; setting a live id restarts its period; KillTimer discards
// a tick that is due but not yet delivered; timers falling due at the same
// moment fire in the order they were set; WM_TIMER is handled on the UI
// thread. A late timer fires once, not once per missed period.
//
// Two clocks:
// - The real clock (default): steady time; timers are delivered by the Qt
//   event loop, so they keep running inside modal loops. Sleep blocks.
// - The manual clock (UseManualClock, for tests): time stands still until
//   advance(ms), which fires the timers that fall due in deadline order,
//   setting the clock to each deadline before its handler runs.
//   Sleep(ms) moves the clock on at once. Called from test code (outside any
//   message handler) it fires the timers due meanwhile, like advance. Called
//   inside a handler it only moves the clock: as on the real UI thread,
//   timers that fell due during the sleep fire after the handler returns, so
//   a conversation driven with advance/Sleep sees handlers in the same order
//   and at the same milliseconds as the program would.
#pragma once

#include "Types.h"

#include <QDateTime>
#include <cstdint>
#include <optional>

class CWnd;

namespace vx {

class ManualClock {
public:
    std::int64_t now() const;
    // Moves time on by ms and fires every timer due up to then.
    void advance(std::int64_t ms);
};

// Milliseconds on the current clock (steady; not wall time).
std::int64_t NowMs();

// Switches to the manual clock starting at startMs; returns it. Live timers
// are kept and re-based so their remaining time is unchanged.
ManualClock& UseManualClock(std::int64_t startMs = 0);
bool IsManualClock();

UINT_PTR SetTimer(CWnd* wnd, UINT_PTR id, UINT elapseMs);
BOOL KillTimer(CWnd* wnd, UINT_PTR id);
// Drops every timer of wnd (when it is destroyed).
void KillAllTimers(CWnd* wnd);
bool HasTimer(const CWnd* wnd, UINT_PTR id);
// Milliseconds until the timer's next tick; -1 when it is not set.
std::int64_t TimerRemainingMs(const CWnd* wnd, UINT_PTR id);
int TimerCount();

// Forgets every timer and returns to the real clock.
void ResetTimersForTest();

// The local wall-clock time the program shows and prints; tests may pin it.
QDateTime CurrentLocalTime();
void SetLocalTimeOverride(std::optional<QDateTime> fixed);

} // namespace vx

// Blocks the calling thread for ms on the platform clock (see above).
void Sleep(DWORD ms);
// Milliseconds on the platform clock, wrapping at 2^32.
DWORD GetTickCount();
