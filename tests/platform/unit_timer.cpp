// Window timers and Sleep on the manual and the real clock: the device
// conversations are step machines on one-shot timers, answer time-outs and
// silence detectors, and are tested to the millisecond with the manual clock.
#include "platform/Modal.h"
#include "platform/Timer.h"
#include "platform/Wnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace {

// Records (time, id) of every WM_TIMER; an optional hook runs in the handler.
class TimerWnd : public CWnd {
public:
    std::vector<std::pair<std::int64_t, UINT_PTR>> ticks;
    std::function<void(UINT_PTR)> hook;
    bool uiThread = true;

protected:
    void OnTimer(UINT_PTR id) override
    {
        uiThread = uiThread && QThread::currentThread() == qApp->thread();
        ticks.emplace_back(vx::NowMs(), id);
        if (hook)
            hook(id);
    }
};

using Ticks = std::vector<std::pair<std::int64_t, UINT_PTR>>;

class ManualClockTest : public ::testing::Test {
protected:
    void SetUp() override { clock = &vx::UseManualClock(0); }
    vx::ManualClock* clock = nullptr;
};

TEST_F(ManualClockTest, TimerIsPeriodicUntilKilled)
{
    TimerWnd w;
    w.SetTimer(2, 500);
    clock->advance(1600);
    EXPECT_EQ(w.ticks, (Ticks{{500, 2}, {1000, 2}, {1500, 2}}));
    EXPECT_TRUE(w.KillTimer(2));
    EXPECT_FALSE(w.KillTimer(2));
    clock->advance(2000);
    EXPECT_EQ(w.ticks.size(), 3u);
    EXPECT_EQ(clock->now(), 3600);
}

TEST_F(ManualClockTest, SettingALiveTimerRestartsItsPeriod)
{
    // The logger's silence detector: every chunk re-arms timer 3.
    TimerWnd w;
    w.SetTimer(3, 500);
    clock->advance(400);
    w.SetTimer(3, 500);
    clock->advance(400);
    EXPECT_TRUE(w.ticks.empty());
    EXPECT_EQ(vx::TimerRemainingMs(&w, 3), 100);
    clock->advance(100);
    EXPECT_EQ(w.ticks, (Ticks{{900, 3}}));
    EXPECT_EQ(vx::TimerCount(), 1);   // re-setting did not add a second timer
}

TEST_F(ManualClockTest, KillDiscardsATickThatIsAlreadyDue)
{
    TimerWnd w;
    w.SetTimer(1, 250);
    w.SetTimer(2, 250);
    w.hook = [&](UINT_PTR id) {
        if (id == 1)
            w.KillTimer(2);
    };
    clock->advance(250);
    EXPECT_EQ(w.ticks, (Ticks{{250, 1}}));
}

TEST_F(ManualClockTest, EqualDeadlinesFireInSetOrder)
{
    TimerWnd a, b;
    b.SetTimer(4, 100);
    a.SetTimer(9, 100);
    a.SetTimer(1, 50);   // 50, 100: its second tick ties with the others
    std::vector<std::pair<char, UINT_PTR>> order;
    a.hook = [&](UINT_PTR id) { order.emplace_back('a', id); };
    b.hook = [&](UINT_PTR id) { order.emplace_back('b', id); };
    clock->advance(100);
    EXPECT_EQ(order, (std::vector<std::pair<char, UINT_PTR>>{{'a', 1}, {'b', 4}, {'a', 9}, {'a', 1}}));
}

TEST_F(ManualClockTest, OneShotByKillInHandlerAndStepReArm)
{
    // The conversations' pattern: OnTimer kills the id, runs the step, and
    // the step arms the next wait.
    TimerWnd w;
    std::vector<int> periods = {250, 1000, 2200};
    size_t step = 0;
    w.hook = [&](UINT_PTR id) {
        w.KillTimer(id);
        if (++step < periods.size())
            w.SetTimer(1, static_cast<UINT>(periods[step]));
    };
    w.SetTimer(1, static_cast<UINT>(periods[0]));
    clock->advance(10000);
    EXPECT_EQ(w.ticks, (Ticks{{250, 1}, {1250, 1}, {3450, 1}}));
}

TEST_F(ManualClockTest, SleepOutsideHandlersFiresDueTimers)
{
    TimerWnd w;
    w.SetTimer(1, 10);
    Sleep(25);   // a page send from test code
    EXPECT_EQ(w.ticks, (Ticks{{10, 1}, {20, 1}}));
    EXPECT_EQ(vx::NowMs(), 25);
    EXPECT_EQ(GetTickCount(), 25u);
}

TEST_F(ManualClockTest, SleepInsideAHandlerDefersTimersUntilItReturns)
{
    // Like the real UI thread: a handler that sends seven keys (7 x 25 ms)
    // is not interrupted by timer 2; the late timer fires once afterwards.
    TimerWnd w;
    std::vector<std::int64_t> during;
    w.hook = [&](UINT_PTR id) {
        if (id != 1)
            return;
        w.KillTimer(1);
        for (int i = 0; i < 7; ++i) {
            Sleep(25);
            during.push_back(vx::NowMs());
        }
    };
    w.SetTimer(1, 100);
    w.SetTimer(2, 120);
    clock->advance(300);
    EXPECT_EQ(during.back(), 275);
    // Timer 2 was due at 120 and ran at 275, once; then every 120 ms from there.
    EXPECT_EQ(w.ticks, (Ticks{{100, 1}, {275, 2}}));
    clock->advance(100);
    EXPECT_EQ(w.ticks.back(), (std::pair<std::int64_t, UINT_PTR>{395, 2}));
}

TEST_F(ManualClockTest, TimersAreSeparatePerWindowAndGoWithTheWindow)
{
    TimerWnd a;
    auto b = std::make_unique<TimerWnd>();
    a.SetTimer(1, 100);
    b->SetTimer(1, 100);
    b->KillTimer(1);
    b->SetTimer(1, 100);
    b.reset();
    clock->advance(100);
    EXPECT_EQ(a.ticks, (Ticks{{100, 1}}));
    EXPECT_EQ(vx::TimerCount(), 1);
}

TEST_F(ManualClockTest, VeryShortPeriodsRunAtTheMinimumRate)
{
    TimerWnd w;
    w.SetTimer(1, 0);
    clock->advance(30);
    EXPECT_EQ(w.ticks.size(), 3u);
}

TEST_F(ManualClockTest, PinnedLocalTimeMovesWithTheClock)
{
    const QDateTime t0(QDate(2009, 3, 1), QTime(8, 5, 3));
    vx::SetLocalTimeOverride(t0);
    clock->advance(61000);
    EXPECT_EQ(vx::CurrentLocalTime(), t0.addSecs(61));
}

TEST(RealClock, TimerTicksOnTheUiThreadThroughTheEventLoop)
{
    ASSERT_FALSE(vx::IsManualClock());
    TimerWnd w;
    w.SetTimer(1, 20);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (w.ticks.size() < 3 && std::chrono::steady_clock::now() < limit)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    ASSERT_GE(w.ticks.size(), 3u);
    EXPECT_TRUE(w.uiThread);
    EXPECT_LT(w.ticks[0].first, w.ticks[1].first);
}

TEST(RealClock, ModalLoopKeepsTimersRunning)
{
    // A message box opened from a timer step must not stop the time-outs.
    TimerWnd w;
    int inner = 0;
    bool done = false;
    w.hook = [&](UINT_PTR id) {
        if (id == 1) {
            w.KillTimer(1);
            w.SetTimer(2, 15);
            vx::RunModalLoop([&] { return done; });
        } else if (++inner == 3) {
            done = true;
        }
    };
    w.SetTimer(1, 10);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done && std::chrono::steady_clock::now() < limit)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(done);
    EXPECT_GE(inner, 3);
}

TEST(RealClock, SwitchingClocksKeepsRemainingTime)
{
    TimerWnd w;
    w.SetTimer(1, 5000);
    auto& clock = vx::UseManualClock(1000);
    const auto left = vx::TimerRemainingMs(&w, 1);
    EXPECT_GT(left, 4000);
    EXPECT_LE(left, 5000);
    clock.advance(left);
    EXPECT_EQ(w.ticks.size(), 1u);
}

} // namespace
