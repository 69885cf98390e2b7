// The port manager against the simulated device in its own process: the
// device is reached by a stable link, goes away with its process and comes
// back when the simulator starts again under the same link.
#include "port/CPortMan.h"

#include "support_pty.h"
#include "tests/support/SimDevice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {


struct Received {
    std::mutex m;
    std::string bytes;
    std::atomic<int> removed {0};
    std::atomic<int> arrived {0};

    std::string Take()
    {
        std::lock_guard<std::mutex> lk(m);
        std::string s;
        s.swap(bytes);
        return s;
    }
    bool Has(const std::string& s)
    {
        std::lock_guard<std::mutex> lk(m);
        return bytes.find(s) != std::string::npos;
    }
};

} // namespace

TEST(PortWithSimulator, DeviceGoesAwayAndComesBackUnderItsLink)
{
    TempDir dir;
    const std::string link = dir.path + "/ttyVX35";

    CPortMan man;
    Received rx;
    man.SetDataCallback([&](const BYTE* p, int n) {
        std::lock_guard<std::mutex> lk(rx.m);
        rx.bytes.append(reinterpret_cast<const char*>(p), static_cast<size_t>(n));
    });
    man.SetRemovedCallback([&] { ++rx.removed; });
    man.SetArrivedCallback([&] { ++rx.arrived; });
    man.SetWatchInterval(20);

    auto sim = std::make_unique<SimDevice>("", std::vector<std::string> {"--link", link});
    ASSERT_FALSE(sim->Path().empty());
    man.m_Dcb.m_strPortName = link.c_str();
    ASSERT_EQ(man.Open(), 0) << man.GetLastErrorText().GetString();
    ASSERT_TRUE(man.PutByte('V'));
    ASSERT_TRUE(WaitFor([&] { return rx.Has("VX35 H2 105\r\n"); }));

    // The device's process ends: removal is reported, the owner takes the
    // port off line, and nothing can be written any more.
    EXPECT_EQ(sim->Stop(), 0);
    ASSERT_TRUE(WaitFor([&] { return rx.removed.load() == 1; }));
    EXPECT_TRUE(man.GoOffline(true));
    EXPECT_EQ(man.GetPortState(), PORTSTATE_REMOVED);
    EXPECT_FALSE(man.PutByte('V'));
    rx.Take();

    // Started again, the simulator has another terminal behind the same link.
    sim = std::make_unique<SimDevice>("", std::vector<std::string> {"--link", link, "--model", "W3"});
    ASSERT_TRUE(WaitFor([&] { return rx.arrived.load() >= 1; }));
    ASSERT_TRUE(man.Reopen());
    EXPECT_EQ(man.GetPortState(), PORTSTATE_ONLINE);
    ASSERT_TRUE(man.PutByte('V'));
    ASSERT_TRUE(WaitFor([&] { return rx.Has("VX35 W3 105\r\n"); }));
    man.GoOffline(false);
}
