// Message delivery: the port reader hands every chunk to the UI thread by a
// blocking cross-thread send, pages post notifications to each other, and
// shutdown must never hang on a sender.
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Timer.h"
#include "platform/Wnd.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr UINT WM_PORTDATA = WM_USER + 1000;

class Recorder : public CWnd {
public:
    Recorder()
    {
        VX_ON_MESSAGE(WM_PORTDATA, OnPortData);
        VX_ON_MESSAGE(WM_USER + 1, OnNote);
    }
    LRESULT OnPortData(WPARAM count, LPARAM bytes)
    {
        onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
        chunks.emplace_back(reinterpret_cast<const char*>(bytes), count);
        return static_cast<LRESULT>(count) * 10;
    }
    void OnNote(WPARAM w, LPARAM) { notes.push_back(static_cast<int>(w)); }

    std::vector<std::string> chunks;
    std::vector<int> notes;
    bool onUiThread = true;
};

// Pumps the UI thread's queue until done() or a generous limit.
void pumpUntil(const std::function<bool()>& done)
{
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < limit)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(CrossThreadSend, BlocksUntilHandledOnTheUiThreadAndKeepsChunkOrder)
{
    Recorder wnd;
    const std::vector<std::string> sent = {"C", "VX35 H1", "\x00\x01\x02", "105\r\n", "tail"};
    std::atomic<bool> finished{false};
    std::vector<LRESULT> results;
    std::vector<size_t> seenAfterReturn;
    std::thread reader([&] {
        for (const auto& chunk : sent) {
            results.push_back(wnd.SendMessage(WM_PORTDATA, chunk.size(), reinterpret_cast<LPARAM>(chunk.data())));
            // When the send returns, the chunk has been handled already.
            seenAfterReturn.push_back(wnd.chunks.size());
        }
        finished = true;
    });
    pumpUntil([&] { return finished.load(); });
    reader.join();

    EXPECT_EQ(wnd.chunks, sent);
    EXPECT_TRUE(wnd.onUiThread);
    EXPECT_EQ(seenAfterReturn, (std::vector<size_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(results[1], 70);   // the handler's result reaches the sender
}

TEST(CrossThreadSend, IsNotServedWhileTheUiThreadSleeps)
{
    Recorder wnd;
    std::atomic<bool> queued{false}, returned{false};
    const std::string chunk = "echo";
    std::thread reader([&] {
        queued = true;
        wnd.SendMessage(WM_PORTDATA, chunk.size(), reinterpret_cast<LPARAM>(chunk.data()));
        returned = true;
    });
    while (!queued)
        std::this_thread::yield();
    Sleep(60);   // real clock: blocks without handling messages
    EXPECT_TRUE(wnd.chunks.empty());
    EXPECT_FALSE(returned.load());
    pumpUntil([&] { return returned.load(); });
    reader.join();
    EXPECT_EQ(wnd.chunks.size(), 1u);
}

TEST(CrossThreadSend, IsServedInsideAModalLoop)
{
    // A message box waiting for the user must not hold up the device's
    // answers: the reader's chunks and posted notes reach the page meanwhile.
    Recorder wnd;
    std::atomic<bool> sent{false};
    std::thread reader([&] {
        const std::string chunk = "OK\r\n";
        wnd.SendMessage(WM_PORTDATA, chunk.size(), reinterpret_cast<LPARAM>(chunk.data()));
        wnd.PostMessage(WM_USER + 1, 7);
        sent = true;
    });
    const auto limit = std::chrono::steady_clock::now() + 10s;
    // Wakes the loop at the limit should nothing else.
    QTimer::singleShot(10s, [] {});
    vx::RunModalLoop([&] { return !wnd.notes.empty() || std::chrono::steady_clock::now() > limit; });
    reader.join();
    EXPECT_EQ(wnd.chunks, std::vector<std::string>{"OK\r\n"});
    EXPECT_EQ(wnd.notes, std::vector<int>{7});
}

TEST(CrossThreadSend, UiThreadWaitingForTheSenderKeepsServingIt)
{
    // The UI thread joins a reader that is itself blocked in SendMessage:
    // waiting with ServeSendsUntil cannot deadlock.
    Recorder wnd;
    std::atomic<bool> finished{false};
    std::thread reader([&] {
        for (int i = 0; i < 20; ++i) {
            const std::string s = std::to_string(i);
            wnd.SendMessage(WM_PORTDATA, s.size(), reinterpret_cast<LPARAM>(s.data()));
        }
        finished = true;
    });
    EXPECT_TRUE(vx::ServeSendsUntil([&] { return finished.load(); }, 10s));
    reader.join();
    ASSERT_EQ(wnd.chunks.size(), 20u);
    EXPECT_EQ(wnd.chunks.back(), "19");
}

TEST(CrossThreadSend, ShutdownReleasesBlockedAndLaterSenders)
{
    Recorder wnd;
    std::atomic<bool> queued{false};
    std::atomic<LRESULT> result{-1};
    const std::string chunk = "x";
    std::thread reader([&] {
        queued = true;
        result = wnd.SendMessage(WM_PORTDATA, 1, reinterpret_cast<LPARAM>(chunk.data()));
    });
    while (!queued)
        std::this_thread::yield();
    std::this_thread::sleep_for(20ms);
    vx::ShutdownMessages();
    reader.join();   // would hang if the sender were not released
    EXPECT_EQ(result.load(), 0);

    std::thread late([&] { result = wnd.SendMessage(WM_PORTDATA, 1, reinterpret_cast<LPARAM>(chunk.data())); });
    late.join();
    EXPECT_EQ(result.load(), 0);
    vx::ProcessPendingMessages();
    EXPECT_TRUE(wnd.chunks.empty());
    // The UI thread's own sends are plain calls and still work.
    EXPECT_EQ(wnd.SendMessage(WM_PORTDATA, 1, reinterpret_cast<LPARAM>(chunk.data())), 10);
}

TEST(CrossThreadSend, DestroyingTheTargetReleasesItsSender)
{
    auto wnd = std::make_unique<Recorder>();
    std::atomic<bool> queued{false};
    std::atomic<LRESULT> result{-1};
    const std::string chunk = "x";
    Recorder* target = wnd.get();
    std::thread reader([&] {
        queued = true;
        result = target->SendMessage(WM_PORTDATA, 1, reinterpret_cast<LPARAM>(chunk.data()));
    });
    while (!queued)
        std::this_thread::yield();
    std::this_thread::sleep_for(20ms);
    wnd.reset();
    reader.join();
    EXPECT_EQ(result.load(), 0);
}

TEST(PostMessage, IsDeliveredLaterInFifoOrder)
{
    Recorder wnd;
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(wnd.PostMessage(WM_USER + 1, i));
    EXPECT_TRUE(wnd.notes.empty());   // queued, not called
    pumpUntil([&] { return wnd.notes.size() == 5; });
    EXPECT_EQ(wnd.notes, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(PostMessage, FromAnotherThreadKeepsOrderWithLocalPosts)
{
    Recorder wnd;
    std::thread t([&] {
        for (int i = 0; i < 100; ++i)
            vx::PostMessage(&wnd, WM_USER + 1, i);
    });
    t.join();
    pumpUntil([&] { return wnd.notes.size() == 100; });
    ASSERT_EQ(wnd.notes.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(wnd.notes[static_cast<size_t>(i)], i);
}

TEST(PostMessage, IsDroppedWhenTheTargetGoes)
{
    Recorder survivor;
    {
        Recorder gone;
        gone.PostMessage(WM_USER + 1, 7);
        survivor.PostMessage(WM_USER + 1, 8);
    }
    // A new window may take the old address; the message must not reach it.
    Recorder newcomer;
    pumpUntil([&] { return !survivor.notes.empty(); });
    vx::ProcessPendingMessages();
    EXPECT_EQ(survivor.notes, std::vector<int>{8});
    EXPECT_TRUE(newcomer.notes.empty());
    EXPECT_EQ(vx::PendingPostedCount(), 0);
}

TEST(PostMessage, ToADestroyedWindowIsRefusedAndQueuedOnesDropped)
{
    CWnd parent;
    ASSERT_TRUE(parent.Create(nullptr, "top", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    Recorder wnd;
    ASSERT_TRUE(wnd.Create(nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), &parent, 5));
    wnd.PostMessage(WM_USER + 1, 1);
    parent.DestroyWindow();   // takes the child with it
    EXPECT_FALSE(wnd.IsWindow());
    EXPECT_FALSE(wnd.PostMessage(WM_USER + 1, 2));
    vx::ProcessPendingMessages();
    EXPECT_TRUE(wnd.notes.empty());
}

TEST(RegisteredMessages, SameNameSameNumberInTheRegisteredRange)
{
    const UINT a = RegisterWindowMessage("RANGE_CHANGED{2E7439A4-12DB-42a2-BB95-3462B3EC39CE}CRangeSlider");
    const UINT b = RegisterWindowMessage("RANGE_CHANGED{2E7439A4-12DB-42a2-BB95-3462B3EC39CE}CRangeSlider");
    const UINT c = RegisterWindowMessage("OTHER");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(c, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

class Base : public CWnd {
public:
    Base() { VX_ON_COMMAND(100, OnButton); }
    void OnButton() { ++buttons; }
    int buttons = 0;
};

class Derived : public Base {
public:
    Derived()
    {
        VX_ON_CONTROL_RANGE(0x0300, 1134, 1163, OnEditChanged);
        VX_ON_NOTIFY(0x1234u, 7, OnSelChange);
        VX_ON_MESSAGE(RegisterWindowMessage("RANGE_CHANGED{x}"), OnRange);
    }
    void OnEditChanged(UINT id) { edits.push_back(id); }
    void OnSelChange(NMHDR* h, LRESULT* r)
    {
        lastFrom = h->idFrom;
        *r = 42;
    }
    LRESULT OnRange(WPARAM w, LPARAM) { return static_cast<LRESULT>(w) + 1; }
    BOOL OnCommand(WPARAM w, LPARAM l) override
    {
        ++commands;
        return CWnd::OnCommand(w, l);
    }
    std::vector<UINT> edits;
    UINT_PTR lastFrom = 0;
    int commands = 0;
};

TEST(MessageMap, RoutesCommandsNotificationsAndRegisteredMessages)
{
    Derived d;
    d.SendMessage(WM_COMMAND, 100, 0);                              // button click, base-class handler
    d.SendMessage(WM_COMMAND, (0x0300u << 16) | 1140u, 0);          // EN_CHANGE inside the range
    d.SendMessage(WM_COMMAND, (0x0300u << 16) | 1164u, 0);          // outside: not handled
    d.SendMessage(WM_COMMAND, (0x0400u << 16) | 1140u, 0);          // other code: not handled
    EXPECT_EQ(d.buttons, 1);
    EXPECT_EQ(d.edits, std::vector<UINT>{1140});
    EXPECT_EQ(d.commands, 4);

    NMHDR h{nullptr, 7, 0x1234u};
    EXPECT_EQ(d.SendMessage(WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&h)), 42);
    EXPECT_EQ(d.lastFrom, 7u);
    NMHDR other{nullptr, 8, 0x1234u};
    EXPECT_EQ(d.SendMessage(WM_NOTIFY, 8, reinterpret_cast<LPARAM>(&other)), 0);

    EXPECT_EQ(d.SendMessage(RegisterWindowMessage("RANGE_CHANGED{x}"), 4), 5);
}

} // namespace
