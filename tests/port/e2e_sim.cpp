// The port manager against the simulated device in its own process: the
// device is reached by a stable link, goes away with its process and comes
// back when the simulator starts again under the same link.
#include "port/CPortMan.h"

#include "support_pty.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace std::chrono_literals;

namespace {

class Simulator {
public:
    explicit Simulator(std::vector<std::string> args)
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        args.insert(args.begin(), VX35SIM_PATH);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, VX35SIM_PATH, &fa, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(out[1]);
        // The first line is the terminal; the link exists by then.
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            m_path += c;
        close(out[0]);
    }
    ~Simulator() { Stop(); }
    const std::string& Path() const { return m_path; }
    int Stop()
    {
        if (m_pid <= 0)
            return -1;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    std::string m_path;
};

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

    auto sim = std::make_unique<Simulator>(std::vector<std::string> {"--link", link});
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
    sim = std::make_unique<Simulator>(std::vector<std::string> {"--link", link, "--model", "W3"});
    ASSERT_TRUE(WaitFor([&] { return rx.arrived.load() >= 1; }));
    ASSERT_TRUE(man.Reopen());
    EXPECT_EQ(man.GetPortState(), PORTSTATE_ONLINE);
    ASSERT_TRUE(man.PutByte('V'));
    ASSERT_TRUE(WaitFor([&] { return rx.Has("VX35 W3 105\r\n"); }));
    man.GoOffline(false);
}
