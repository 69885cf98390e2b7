// The window-bound manager: chunks reach the owner on its UI thread by a
// blocking send, removal and arrival come back as posted device changes,
// and the UI thread never deadlocks on a reader that is blocked sending to it.
#include "port/CPortManGui.h"

#include "platform/Profile.h"
#include "platform/Wnd.h"

#include "support_pty.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr UINT WM_PORTDATA = WM_USER + 1000;
constexpr UINT WM_PORTSTATUS = WM_USER + 1001;

class Owner : public CWnd {
public:
    Owner()
    {
        VX_ON_MESSAGE(WM_PORTDATA, OnPortData);
        VX_ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange);
    }
    LRESULT OnPortData(WPARAM count, LPARAM bytes)
    {
        onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
        data.append(reinterpret_cast<const char*>(bytes), count);
        ++chunks;
        return 0;
    }
    LRESULT OnDeviceChange(WPARAM event, LPARAM)
    {
        events.push_back(event);
        dataAtEvent = data;
        if (man && man->OnDeviceChange(event))
            ++refreshes;
        return 0;
    }

    CPortManGui* man = nullptr;
    std::string data;
    std::string dataAtEvent;
    int chunks = 0;
    int refreshes = 0;
    std::vector<WPARAM> events;
    bool onUiThread = true;
};

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

void StorePort(const char* section, const std::string& path, int dataBits = 8, int parity = 0, int baud = 115200)
{
    vx::WriteProfileString(section, "Port", path.c_str());
    vx::WriteProfileInt(section, "BaudRate", baud);
    vx::WriteProfileInt(section, "DataBits", dataBits);
    vx::WriteProfileInt(section, "Parity", parity);
}

} // namespace

TEST(CPortManGui, ChunksReachTheOwnerOnItsThreadThenRemovalTakesItOffLine)
{
    TempDir dir;
    const std::string link = dir.path + "/vx35";
    auto pty = std::make_unique<TestPty>();
    ASSERT_EQ(symlink(pty->path.c_str(), link.c_str()), 0);
    StorePort("SerPort1", link);

    Owner owner;
    CPortManGui man(&owner, WM_PORTDATA, WM_PORTSTATUS);
    owner.man = &man;
    man.SetWatchInterval(10);
    ASSERT_EQ(man.OpenFromProfile("SerPort1"), 0) << man.GetLastErrorText().GetString();

    pty->Send("VX35 H1\r\n");
    ASSERT_TRUE(PumpUntil([&] { return owner.data == "VX35 H1\r\n"; }));
    pty->Send(std::string("\x00\xC4", 2));
    ASSERT_TRUE(PumpUntil([&] { return owner.data.size() == 11; }));
    pty->Send("bye");
    std::this_thread::sleep_for(20ms);
    // The adapter and its node go; the dead pty's number may be reused by
    // another terminal, so the link must not keep pointing there.
    pty->CloseMaster();
    ASSERT_EQ(unlink(link.c_str()), 0);

    ASSERT_TRUE(PumpUntil([&] { return !owner.events.empty(); }));
    EXPECT_TRUE(owner.onUiThread);
    EXPECT_EQ(owner.events.front(), PORTEVENT_REMOVED);
    EXPECT_EQ(owner.dataAtEvent, std::string("VX35 H1\r\n\x00\xC4" "bye", 14));
    EXPECT_EQ(man.GetPortState(), PORTSTATE_REMOVED);
    EXPECT_EQ(man.m_Dcb.GetPortText(), "OffLine");
    EXPECT_EQ(owner.refreshes, 1);

    auto replugged = std::make_unique<TestPty>();
    ASSERT_EQ(symlink(replugged->path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(PumpUntil([&] { return man.GetPortState() == PORTSTATE_ONLINE; }));
    EXPECT_EQ(owner.events.back(), PORTEVENT_ARRIVED);
    EXPECT_EQ(owner.refreshes, 2);
    EXPECT_TRUE(man.PutByte('D'));
    EXPECT_EQ(replugged->Receive(1), "D");
}

TEST(CPortManGui, StartUpForcesEightBitsNoParityAndTheDestructorSaves)
{
    TestPty pty;
    StorePort("SerPort1", pty.path, 7, EVENPARITY, 9600);
    Owner owner;
    {
        CPortManGui man(&owner, WM_PORTDATA, WM_PORTSTATUS);
        ASSERT_EQ(man.OpenFromProfile("SerPort1"), 0);
        EXPECT_EQ(man.m_Dcb.m_byDataBits, 8);
        EXPECT_EQ(man.m_Dcb.m_byParity, NOPARITY);
        EXPECT_EQ(man.GetBaudRateText(), "9600");
        man.m_Dcb.m_dwBaudRate = 14400;
        EXPECT_EQ(man.GetBaudRateText(), "");
        man.m_Dcb.m_dwBaudRate = 57600;
        // "Beenden" takes the port off line; that must not stick.
        man.GoOffline(false);
    }
    EXPECT_EQ(vx::GetProfileInt("SerPort1", "BaudRate", 0), 57600u);
    EXPECT_EQ(vx::GetProfileInt("SerPort1", "DataBits", 0), 8u);
    EXPECT_EQ(vx::GetProfileInt("SerPort1", "Parity", 9), 0u);
    EXPECT_EQ(vx::GetProfileString("SerPort1", "Port"), pty.path.c_str());

    CPortManGui again(&owner, WM_PORTDATA, WM_PORTSTATUS);
    EXPECT_EQ(again.OpenFromProfile("SerPort1"), 0);
    EXPECT_EQ(again.GetPortState(), PORTSTATE_ONLINE);
}

// The UI thread takes the port off line (or shuts it down) while the
// reader is blocked sending it a chunk and the UI thread is not pumping.
TEST(CPortManGui, TheUiThreadNeverDeadlocksOnABlockedReader)
{
    TestPty pty;
    StorePort("SerPort1", pty.path);
    Owner owner;
    auto man = std::make_unique<CPortManGui>(&owner, WM_PORTDATA, WM_PORTSTATUS);
    ASSERT_EQ(man->OpenFromProfile("SerPort1"), 0);

    pty.Send("first");
    // Give the reader time to block in its send; the UI thread does not
    // pump meanwhile.
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(owner.chunks, 0);
    EXPECT_TRUE(man->GoOffline(false));
    EXPECT_EQ(owner.data, "first");

    ASSERT_TRUE(man->Reopen());
    pty.Send("second");
    std::this_thread::sleep_for(50ms);
    man.reset();
    EXPECT_EQ(owner.data, "firstsecond");
}

TEST(CPortManGui, ADestroyedOwnerReleasesTheReader)
{
    TestPty pty;
    StorePort("SerPort1", pty.path);
    auto owner = std::make_unique<Owner>();
    ASSERT_TRUE(owner->Create(nullptr, "owner", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    CPortManGui man(owner.get(), WM_PORTDATA, WM_PORTSTATUS);
    ASSERT_EQ(man.OpenFromProfile("SerPort1"), 0);
    pty.Send("lost");
    std::this_thread::sleep_for(50ms);
    owner->DestroyWindow();
    owner.reset();
    // The reader is free again: more data does not pile up behind a
    // hand-over nobody will ever serve.
    EXPECT_TRUE(man.GoOffline(false));
}

// Pacing made far longer than any wait here: only the rules that let bytes
// through early can bring them.
TEST(CPortManGui, AStreamWaitsForThePacingButAnswersAndTheWindowsOwnLookDoNot)
{
    TestPty pty;
    StorePort("SerPort1", pty.path);
    Owner owner;
    CPortManGui man(&owner, WM_PORTDATA, WM_PORTSTATUS);
    man.SetDeliveryPacing(std::chrono::seconds(30));
    ASSERT_EQ(man.OpenFromProfile("SerPort1"), 0);

    // The first bytes after a quiet spell come at once, and so does the
    // next chunk (the stream is not yet known to be one) ...
    pty.Send("a1");
    ASSERT_TRUE(PumpUntil([&] { return owner.data == "a1"; }));
    pty.Send("a2");
    ASSERT_TRUE(PumpUntil([&] { return owner.data == "a1a2"; }));
    // ... then the stream waits for the window's next look.
    for (const char* f : {"b1", "b2", "b3"}) {
        pty.Send(f);
        PumpUntil([] { return false; }, 20ms);
    }
    PumpUntil([] { return false; }, 200ms);
    EXPECT_EQ(owner.data, "a1a2");

    // The window looks on its own schedule: everything read so far, in order.
    man.DeliverPending();
    EXPECT_EQ(owner.data, "a1a2b1b2b3");

    // What comes after the window wrote may be the answer it waits for.
    ASSERT_TRUE(man.PutByte('?'));
    EXPECT_EQ(pty.Receive(1), "?");
    pty.Send("answer");
    ASSERT_TRUE(PumpUntil([&] { return owner.data == "a1a2b1b2b3answer"; }));
    EXPECT_TRUE(owner.onUiThread);
    // A slow answer keeps coming in pieces long after the write: each piece
    // still comes at once, so a page's silence time-out never runs out
    // between two paced hand-overs.
    std::string slow;
    for (int i = 0; i < 8; ++i) {
        pty.Send("s");
        slow += "s";
        ASSERT_TRUE(PumpUntil([&] { return owner.data == "a1a2b1b2b3answer" + slow; }, 2s)) << i;
        PumpUntil([] { return false; }, 150ms);
    }
    owner.data = "a1a2b1b2b3answer";

    // Going off line hands over what is still held.
    pty.Send("c1");
    WaitFor([] { return false; }, 50ms);
    EXPECT_TRUE(man.GoOffline(false));
    EXPECT_EQ(owner.data, "a1a2b1b2b3answerc1");
}
