#include "port/CPortMan.h"

#include "support_pty.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Records what the reader hands over, chunk by chunk.
struct Receiver {
    std::mutex m;
    std::vector<std::string> chunks;
    std::atomic<int> removed {0};
    std::atomic<bool> removedAfterData {true};
    std::atomic<int> arrived {0};

    void Attach(CPortMan& man)
    {
        man.SetDataCallback([this](const BYTE* p, int n) {
            std::lock_guard<std::mutex> lk(m);
            chunks.emplace_back(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
            if (removed)
                removedAfterData = false;
        });
        man.SetRemovedCallback([this] { ++removed; });
        man.SetArrivedCallback([this] { ++arrived; });
    }
    std::string All()
    {
        std::lock_guard<std::mutex> lk(m);
        std::string s;
        for (const std::string& c : chunks)
            s += c;
        return s;
    }
    size_t Count()
    {
        std::lock_guard<std::mutex> lk(m);
        return chunks.size();
    }
};

void OpenOn(CPortMan& man, const std::string& path)
{
    man.m_Dcb.m_strPortName = path.c_str();
    man.m_Dcb.m_dwBaudRate = 115200;
    ASSERT_EQ(man.Open(), 0) << man.GetLastErrorText().GetString();
    ASSERT_EQ(man.GetPortState(), PORTSTATE_ONLINE);
}

} // namespace

TEST(CPortManReceive, ChunksArriveInOrderAndBinarySafe)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    OpenOn(man, pty.path);

    const std::vector<std::string> sent = {std::string("OK\r\n"), std::string("\x00\xff\x01", 3),
                                           std::string(1, '\0'), std::string(3000, 'x')};
    std::string expected;
    for (const std::string& chunk : sent) {
        const size_t before = rx.All().size();
        pty.Send(chunk);
        expected += chunk;
        ASSERT_TRUE(WaitFor([&] { return rx.All().size() == before + chunk.size(); }));
    }
    EXPECT_EQ(rx.All(), expected);
    // Each of the first chunks was read on its own; none was merged with
    // the next or cut.
    std::lock_guard<std::mutex> lk(rx.m);
    ASSERT_GE(rx.chunks.size(), 4u);
    EXPECT_EQ(rx.chunks[0], sent[0]);
    EXPECT_EQ(rx.chunks[1], sent[1]);
    EXPECT_EQ(rx.chunks[2], sent[2]);
}

TEST(CPortManReceive, ReadBlockSizeBoundsEachChunk)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    man.SetReadBlockSize(16);
    OpenOn(man, pty.path);
    pty.Send(std::string(100, 'q'));
    ASSERT_TRUE(WaitFor([&] { return rx.All().size() == 100; }));
    std::lock_guard<std::mutex> lk(rx.m);
    for (const std::string& c : rx.chunks)
        EXPECT_LE(c.size(), 16u);
}

TEST(CPortManReceive, BytesThatArriveWhileTheOwnerIsBusyComeAsOneChunk)
{
    // The owner takes a while over the first chunk (the UI thread sleeping
    // between key sends); the device's echoes meanwhile must reach it
    // together, as one read of the line would have returned them.
    TestPty pty;
    CPortMan man;
    std::mutex m;
    std::vector<std::string> chunks;
    std::atomic<bool> release {false};
    man.SetDataCallback([&](const BYTE* p, int n) {
        {
            std::lock_guard<std::mutex> lk(m);
            chunks.emplace_back(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
        }
        WaitFor([&] { return release.load(); });
    });
    OpenOn(man, pty.path);
    pty.Send("first");
    ASSERT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> lk(m); return chunks.size() == 1; }));
    for (int i = 0; i < 3; ++i) {
        pty.Send("ECHO" + std::to_string(i) + "\r\n");
        struct timespec ts {0, 20000000};
        nanosleep(&ts, nullptr);
    }
    release = true;
    ASSERT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> lk(m); return chunks.size() == 2; }));
    struct timespec ts {0, 50000000};
    nanosleep(&ts, nullptr);
    std::lock_guard<std::mutex> lk(m);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[1], "ECHO0\r\nECHO1\r\nECHO2\r\n");
}

TEST(CPortManWrite, BytesStringsAndFramesReachTheDevice)
{
    TestPty pty;
    CPortMan man;
    OpenOn(man, pty.path);
    EXPECT_TRUE(man.PutByte('D'));
    EXPECT_TRUE(man.WriteString(CString("a\0b", 3)));
    // Nothing to write is not a failure while the port is on line.
    EXPECT_TRUE(man.WriteString(CString()));
    const BYTE frame[] = {'f', 7};
    EXPECT_TRUE(man.WriteFrame(frame, 2));
    EXPECT_EQ(pty.Receive(6), std::string("Da\0bf\x07", 6));
    EXPECT_EQ(pty.ReceiveAvailable(), "");
}

TEST(CPortManWrite, NothingLeavesWhileOffLineOrClosed)
{
    TestPty pty;
    CPortMan man;
    EXPECT_FALSE(man.PutByte('x'));
    EXPECT_FALSE(man.WriteString(CString()));
    OpenOn(man, pty.path);
    EXPECT_TRUE(man.GoOffline(false));
    EXPECT_EQ(man.GetPortState(), PORTSTATE_OFFLINE);
    EXPECT_EQ(man.m_Dcb.GetPortText(), "OffLine");
    EXPECT_FALSE(man.PutByte('x'));
    EXPECT_FALSE(man.WriteString("abc"));
    EXPECT_FALSE(man.GoOffline(false)); // nothing left to close
    EXPECT_EQ(pty.ReceiveAvailable(), "");
    EXPECT_TRUE(man.Reopen());
    EXPECT_TRUE(man.PutByte('y'));
    EXPECT_EQ(pty.Receive(1), "y");
}

TEST(CPortManWrite, ADeviceThatNeverReadsDoesNotHangTheWriter)
{
    TestPty pty;
    CPortMan man;
    OpenOn(man, pty.path);
    // Far more than a pseudo-terminal buffers while its peer reads nothing.
    const CString big(std::string(4 << 20, 'z'));
    EXPECT_FALSE(man.WriteString(big));
    // Once the peer catches up, later writes work again.
    pty.ReceiveAvailable();
    while (!pty.ReceiveAvailable().empty()) {
    }
    EXPECT_TRUE(WaitFor([&] { pty.ReceiveAvailable(); return man.PutByte('k'); }));
}

TEST(CPortManWrite, TickBytesNeverLandInsideAFrame)
{
    TestPty pty;
    CPortMan man;
    OpenOn(man, pty.path);

    // The device side reads everything while the writers run.
    std::string wire;
    std::atomic<bool> done {false};
    std::thread device([&] {
        while (!done) {
            wire += pty.Receive(1 << 16, 5ms);
        }
        wire += pty.Receive(1 << 20, 200ms);
    });

    std::atomic<bool> stopTick {false};
    std::atomic<int> ticks {0};
    std::thread tick([&] {
        while (!stopTick) {
            if (man.PutByte('0'))
                ++ticks;
            std::this_thread::yield();
        }
    });
    constexpr int kFrames = 1000;
    std::string frame = "a";
    for (char c = 'A'; c <= 'T'; ++c)
        frame += c;
    for (int i = 0; i < kFrames; ++i)
        ASSERT_TRUE(man.WriteFrame(frame));
    stopTick = true;
    tick.join();
    done = true;
    device.join();

    // Read back by length, as the device does: every 'a' is followed by its
    // whole payload.
    int frames = 0;
    int zeros = 0;
    for (size_t i = 0; i < wire.size();) {
        if (wire[i] == '0') {
            ++zeros;
            ++i;
            continue;
        }
        ASSERT_EQ(wire.compare(i, frame.size(), frame), 0) << "split frame at " << i;
        ++frames;
        i += frame.size();
    }
    EXPECT_EQ(frames, kFrames);
    EXPECT_EQ(zeros, ticks.load());
}

// Writers on other threads keep going while the port is taken off line and
// brought back: a write reported as done reached the device, and nothing
// reaches it while it is off line.
TEST(CPortManWrite, GoOfflineUnderTrafficLetsNothingThroughAfterTheClose)
{
    TestPty pty;
    CPortMan man;
    OpenOn(man, pty.path);

    std::atomic<bool> stop {false};
    std::atomic<int> delivered {0};
    std::thread tick([&] {
        while (!stop) {
            if (man.PutByte('0'))
                ++delivered;
        }
    });
    std::string wire;
    for (int round = 0; round < 10; ++round) {
        std::this_thread::sleep_for(2ms);
        wire += pty.ReceiveAvailable();
        ASSERT_TRUE(man.GoOffline(false));
        // A write that got in before the close is counted just after it.
        std::this_thread::sleep_for(20ms);
        const int atClose = delivered.load();
        std::this_thread::sleep_for(10ms);
        EXPECT_EQ(delivered.load(), atClose) << "a write succeeded on a closed port";
        wire += pty.Receive(static_cast<size_t>(atClose) - wire.size(), 1s);
        EXPECT_EQ(wire.size(), static_cast<size_t>(atClose));
        EXPECT_EQ(pty.ReceiveAvailable(), "");
        ASSERT_TRUE(man.Reopen());
    }
    stop = true;
    tick.join();
    wire += pty.Receive(static_cast<size_t>(delivered.load()) - wire.size(), 1s);
    EXPECT_EQ(wire.size(), static_cast<size_t>(delivered.load()));
    EXPECT_EQ(wire.find_first_not_of('0'), std::string::npos);
}

TEST(CPortManRemoval, PeerGoneIsReportedAfterItsLastBytes)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    OpenOn(man, pty.path);
    pty.Send("last words\r\n");
    ASSERT_TRUE(WaitFor([&] { return rx.All().size() == 12; }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return rx.removed.load() == 1; }));
    EXPECT_EQ(rx.All(), "last words\r\n");
    EXPECT_TRUE(rx.removedAfterData);
    // The reader only reports; the owner takes the port off line.
    EXPECT_EQ(man.GetPortState(), PORTSTATE_ONLINE);
    EXPECT_TRUE(man.GoOffline(true));
    EXPECT_EQ(man.GetPortState(), PORTSTATE_REMOVED);
    EXPECT_EQ(man.m_Dcb.GetPortText(), "OffLine");
    EXPECT_FALSE(man.PutByte('n'));
    EXPECT_EQ(rx.removed.load(), 1);
}

TEST(CPortManRemoval, BytesWaitingAtTheHangUpAreNotLost)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    std::atomic<bool> release {false};
    // Hold the owner in its first hand-over; the rest must be read off the
    // device anyway, because a hang-up discards what the tty still holds.
    man.SetDataCallback([&](const BYTE* p, int n) {
        while (!release)
            std::this_thread::sleep_for(1ms);
        std::lock_guard<std::mutex> lk(rx.m);
        rx.chunks.emplace_back(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    });
    OpenOn(man, pty.path);
    pty.Send("A");
    std::this_thread::sleep_for(50ms);
    pty.Send("BCDEF");
    std::this_thread::sleep_for(50ms);
    pty.CloseMaster();
    release = true;
    ASSERT_TRUE(WaitFor([&] { return rx.removed.load() == 1; }));
    EXPECT_EQ(rx.All(), "ABCDEF");
}

TEST(CPortManRemoval, ReplugThroughAStableLinkReopens)
{
    TempDir dir;
    const std::string link = dir.path + "/vx35";
    auto pty = std::make_unique<TestPty>();
    ASSERT_EQ(symlink(pty->path.c_str(), link.c_str()), 0);

    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    man.SetWatchInterval(10);
    OpenOn(man, link);
    pty->CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return rx.removed.load() == 1; }));
    man.GoOffline(true);
    EXPECT_EQ(man.GetPortState(), PORTSTATE_REMOVED);

    // A new terminal usually gets the dead one's number, so the old link
    // resolves again; that is not the device coming back.
    auto replugged = std::make_unique<TestPty>();
    std::this_thread::sleep_for(60ms);
    EXPECT_EQ(rx.arrived.load(), 0);

    // Pointing the link anew is, even at the same number.
    ASSERT_EQ(unlink(link.c_str()), 0);
    ASSERT_EQ(symlink(replugged->path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WaitFor([&] { return rx.arrived.load() >= 1; }));
    ASSERT_TRUE(man.Reopen());
    EXPECT_EQ(man.GetPortState(), PORTSTATE_ONLINE);
    EXPECT_EQ(man.m_Dcb.m_strPortName, link.c_str());

    replugged->Send("hello");
    ASSERT_TRUE(WaitFor([&] { return rx.All() == "hello"; }));
    EXPECT_TRUE(man.PutByte('n'));
    EXPECT_EQ(replugged->Receive(1), "n");
}

TEST(CPortManRemoval, AFailedReopenKeepsWaitingForTheDevice)
{
    TempDir dir;
    const std::string link = dir.path + "/vx35";
    auto pty = std::make_unique<TestPty>();
    ASSERT_EQ(symlink(pty->path.c_str(), link.c_str()), 0);
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    man.SetWatchInterval(10);
    OpenOn(man, link);
    pty->CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return rx.removed.load() == 1; }));
    ASSERT_EQ(unlink(link.c_str()), 0);
    man.GoOffline(true);

    // The node is back but something else holds it.
    auto replugged = std::make_unique<TestPty>();
    ASSERT_EQ(symlink(replugged->path.c_str(), link.c_str()), 0);
    CPortMan other;
    OpenOn(other, replugged->path);
    ASSERT_TRUE(WaitFor([&] { return rx.arrived.load() >= 1; }));
    const int before = rx.arrived.load();
    EXPECT_FALSE(man.Reopen());
    EXPECT_EQ(man.GetPortState(), PORTSTATE_REMOVED);
    EXPECT_GE(man.GetLastErrorText().Find("another program"), 0);

    // The watch asks again by itself, so the owner retries.
    ASSERT_TRUE(WaitFor([&] { return rx.arrived.load() > before; }));
    other.GoOffline(false);
    EXPECT_TRUE(man.Reopen());
}

// The owner's thread takes the port off line while the reader is blocked
// handing it a chunk, as a GUI reader does with a blocking send. It must
// serve that hand-over while it waits, or both wait for ever.
TEST(CPortManStop, GoOfflineServesTheBlockedReaderInsteadOfDeadlocking)
{
    TestPty pty;
    CPortMan man;
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::string> pending;
    std::deque<std::string> served;
    bool handled = false;
    man.SetDataCallback([&](const BYTE* p, int n) {
        std::unique_lock<std::mutex> lk(m);
        pending.emplace_back(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
        handled = false;
        cv.wait(lk, [&] { return handled; });
    });
    man.SetWaitFunction([&](const std::function<bool()>& finished) {
        while (!finished()) {
            std::lock_guard<std::mutex> lk(m);
            while (!pending.empty()) {
                served.push_back(pending.front());
                pending.pop_front();
                handled = true;
            }
            cv.notify_all();
        }
    });
    OpenOn(man, pty.path);
    pty.Send("busy");
    ASSERT_TRUE(WaitFor([&] { std::lock_guard<std::mutex> lk(m); return !pending.empty(); }));

    EXPECT_TRUE(man.GoOffline(false));
    EXPECT_EQ(man.GetPortState(), PORTSTATE_OFFLINE);
    ASSERT_EQ(served.size(), 1u);
    EXPECT_EQ(served.front(), "busy");
}

TEST(CPortManStop, DestroyingUnderTrafficEndsCleanly)
{
    TestPty pty;
    std::atomic<bool> stop {false};
    std::thread device;
    std::atomic<long> got {0};
    {
        CPortMan man;
        man.SetDataCallback([&](const BYTE*, int n) { got += n; });
        OpenOn(man, pty.path);
        // Raw writes: once the port is closed nobody drains the pty, and
        // the device must still notice the stop.
        device = std::thread([&] {
            while (!stop) {
                if (::write(pty.master, "0123456789", 10) <= 0)
                    std::this_thread::sleep_for(1ms);
            }
        });
        ASSERT_TRUE(WaitFor([&] { return got.load() > 1000; }));
    }
    stop = true;
    device.join();
}

TEST(CPortManOpen, OffLineNameIsNotOpenedAndFailuresClose)
{
    CPortMan man;
    man.m_Dcb.m_strPortName = "OffLine";
    EXPECT_EQ(man.Open(), 0);
    EXPECT_EQ(man.GetPortState(), PORTSTATE_OFFLINE);
    EXPECT_FALSE(man.Reopen());

    man.m_Dcb.m_strPortName = "/nonexistent/ttyUSB9";
    EXPECT_EQ(man.Open(), ENOENT);
    EXPECT_EQ(man.GetPortState(), PORTSTATE_CLOSED);
    EXPECT_EQ(man.m_Dcb.GetPortText(), "USB9");
    EXPECT_GE(man.GetLastErrorText().Find("not present"), 0);
}

TEST(CPortManReceive, AFullQueueStopsTheReadingAndLosesNothing)
{
    TestPty pty;
    CPortMan man;
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::string got;
    man.SetDataCallback([&](const BYTE* p, int n) {
        std::unique_lock<std::mutex> lk(m);
        // The owner is busy with its first chunk while the device goes on.
        cv.wait(lk, [&] { return release; });
        got.append(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    });
    OpenOn(man, pty.path);

    const size_t total = CPortMan::kMaxQueuedBytes + (2u << 20);
    std::string sent(total, '\0');
    for (size_t i = 0; i < total; ++i)
        sent[i] = static_cast<char>(i % 251);
    std::atomic<bool> allWritten {false};
    std::thread device([&] {
        pty.Send(sent);
        allWritten = true;
    });
    // With a reader that keeps reading, the device is done at once; one that
    // waits for room holds it up. Either way the owner resumes.
    WaitFor([&] { return allWritten.load(); }, 2s);
    {
        std::lock_guard<std::mutex> lk(m);
        release = true;
    }
    cv.notify_all();
    device.join();
    EXPECT_TRUE(WaitFor(
        [&] {
            std::lock_guard<std::mutex> lk(m);
            return got.size() >= total;
        },
        10s));
    std::lock_guard<std::mutex> lk(m);
    EXPECT_EQ(got.size(), total);
    EXPECT_TRUE(got == sent) << "bytes lost or out of order";
}

TEST(CPortManReceive, PacedHandOversCarryEveryByteInOrderInFewerChunks)
{
    // A device streaming small frames: with pacing the owner gets them in
    // far fewer hand-overs, every byte still there and in order.
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    man.SetDeliveryPacing(std::chrono::milliseconds(50));
    OpenOn(man, pty.path);
    std::string sent;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 60; ++i) {
        const std::string frame = std::string(1, static_cast<char>(i)) + "\x7f\r\n";
        pty.Send(frame);
        sent += frame;
        struct timespec ts {0, 5000000};
        nanosleep(&ts, nullptr);
    }
    ASSERT_TRUE(WaitFor([&] { return rx.All().size() == sent.size(); }));
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_EQ(rx.All(), sent);
    // 60 frames over at least 300 ms (longer on a busy machine): at most
    // one hand-over per 50 ms, plus the first, which does not wait (nor
    // does one after a stall of the sender, which the time covers).
    EXPECT_LE(rx.Count(), static_cast<size_t>(took / std::chrono::milliseconds(50)) + 2);
    EXPECT_LT(rx.Count(), 60u);
    EXPECT_GE(rx.Count(), 2u);
}

TEST(CPortManReceive, PacingNeverHoldsAFullBlockNorTheLastBytesAtAStop)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    man.SetReadBlockSize(16);
    // Far longer than any test may wait: only a full block or the stop can
    // let these bytes through.
    man.SetDeliveryPacing(std::chrono::minutes(1));
    OpenOn(man, pty.path);
    pty.Send("first");
    ASSERT_TRUE(WaitFor([&] { return rx.All() == "first"; })) << "the first bytes after quiet wait";
    std::string flood;
    for (int i = 0; i < 100; ++i)
        flood += static_cast<char>('a' + i % 26);
    pty.Send(flood);
    ASSERT_TRUE(WaitFor([&] { return rx.All().size() >= 5 + 96; })) << "full blocks are held back";
    // What is left (less than a block) goes out when the port goes off line.
    WaitFor([] { return false; }, 50ms);
    const auto t0 = std::chrono::steady_clock::now();
    man.GoOffline(false);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 30s);
    EXPECT_EQ(rx.All(), "first" + flood);
}

TEST(CPortManReceive, ReadOnDemandLeavesTheBytesToTheAskerThenTheReaderTakesUpTheRest)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    OpenOn(man, pty.path);
    man.SetReadOnDemand(true);
    pty.Send("one");
    WaitFor([] { return false; }, 100ms);
    EXPECT_EQ(rx.All(), "") << "the reader thread read on its own";
    // Asked as a tick asks, until it has all.
    ASSERT_TRUE(WaitFor([&] {
        man.ReadWaiting();
        return rx.All() == "one";
    }));
    pty.Send("two");
    pty.Send("three");
    ASSERT_TRUE(WaitFor([&] {
        man.ReadWaiting();
        return rx.All() == "onetwothree";
    }));
    // Off again: the reader takes what waits and what comes.
    pty.Send("four");
    WaitFor([] { return false; }, 50ms);
    man.SetReadOnDemand(false);
    ASSERT_TRUE(WaitFor([&] { return rx.All() == "onetwothreefour"; }));
    pty.Send("five");
    ASSERT_TRUE(WaitFor([&] { return rx.All() == "onetwothreefourfive"; }));
}

TEST(CPortManRemoval, AHangUpIsReportedWhileReadingOnDemand)
{
    TestPty pty;
    CPortMan man;
    Receiver rx;
    rx.Attach(man);
    OpenOn(man, pty.path);
    man.SetReadOnDemand(true);
    pty.Send("last");
    ASSERT_TRUE(WaitFor([&] {
        man.ReadWaiting();
        return rx.All() == "last";
    }));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return rx.removed.load() == 1; }));
    EXPECT_TRUE(rx.removedAfterData);
    // Asking a port that is gone reads nothing and does not fail.
    man.ReadWaiting();
    EXPECT_TRUE(man.GoOffline(true));
    man.ReadWaiting();
    EXPECT_EQ(rx.All(), "last");
}
