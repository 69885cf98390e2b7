// vx35sim as a separate process, opened from the other side of its
// pseudo-terminal the way the port layer opens a serial device.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace {

using Bytes = std::string;
using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args)
    {
        int in[2], out[2], err[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_adddup2(&fa, err[1], 2);
        std::vector<std::string> all{VX35SIM_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, VX35SIM_PATH, &fa, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(in[0]);
        close(out[1]);
        close(err[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        stderr_ = err[0];
    }
    ~SimProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {stdin_, stdout_, stderr_})
            if (fd >= 0)
                close(fd);
    }

    // The first stdout line: the terminal's path.
    std::string path()
    {
        if (path_.empty())
            path_ = readLine(stdout_);
        return path_;
    }
    void closeStdin()
    {
        close(stdin_);
        stdin_ = -1;
    }
    void writeStdin(const std::string& s) { ASSERT_EQ(write(stdin_, s.data(), s.size()), (ssize_t)s.size()); }
    void signal(int sig) { kill(pid_, sig); }

    // User and system time the process used so far.
    double cpuSeconds() const
    {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
        const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        long utime = 0, stime = 0;
        std::sscanf(stat.c_str() + stat.rfind(')') + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld",
                    &utime, &stime);
        return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    // Exit code, or -1 when it did not exit normally within the time.
    int wait(int timeoutMs = 10000)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            int status = 0;
            const pid_t r = waitpid(pid_, &status, WNOHANG);
            if (r == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            if (RemainingMs(deadline) == 0)
                return -1;
            usleep(5000);
        }
    }
    std::string readAll(int which)
    {
        const int fd = which == 1 ? stdout_ : stderr_;
        std::string s;
        char buf[512];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0)
            s.append(buf, static_cast<std::size_t>(n));
        return s;
    }

private:
    static std::string readLine(int fd)
    {
        std::string line;
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        char c;
        while (RemainingMs(deadline) > 0) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, RemainingMs(deadline)) <= 0)
                break;
            if (read(fd, &c, 1) != 1 || c == '\n')
                break;
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int stdin_ = -1, stdout_ = -1, stderr_ = -1;
    std::string path_;
};

class RawPort {
public:
    explicit RawPort(const std::string& path)
    {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, B115200);
        cfsetospeed(&t, B115200);
        tcsetattr(fd_, TCSANOW, &t);
        tcflush(fd_, TCIOFLUSH);
    }
    ~RawPort()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    bool hungUp()
    {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 1000) == 1 && (p.revents & POLLHUP);
    }
    void send(const Bytes& b) { ASSERT_EQ(write(fd_, b.data(), b.size()), (ssize_t)b.size()); }

    // Every read() until `want` bytes came or the time ran out.
    std::vector<Bytes> chunks(std::size_t want, int timeoutMs = 3000)
    {
        std::vector<Bytes> out;
        std::size_t total = 0;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (total < want && RemainingMs(deadline) > 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, RemainingMs(deadline)) <= 0)
                continue;
            char buf[4096];
            const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, want - total));
            if (n > 0) {
                out.emplace_back(buf, static_cast<std::size_t>(n));
                total += static_cast<std::size_t>(n);
            }
        }
        return out;
    }
    Bytes read(std::size_t want, int timeoutMs = 3000)
    {
        Bytes all;
        for (const Bytes& c : chunks(want, timeoutMs))
            all += c;
        return all;
    }
    Bytes ask(const Bytes& request, std::size_t want)
    {
        send(request);
        return read(want);
    }

private:
    int fd_ = -1;
};

bool EndsWithCrLf(const Bytes& b) { return b.size() >= 2 && b.substr(b.size() - 2) == "\r\n"; }

TEST(SimPty, AnswersARawClientInPcMode)
{
    SimProcess sim({});
    const std::string path = sim.path();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    RawPort port(path);
    ASSERT_TRUE(port.ok());

    const Bytes c = port.ask("C", 20);
    ASSERT_EQ(c.size(), 20u);
    EXPECT_TRUE(EndsWithCrLf(c));
    const Bytes e = port.ask("E", 12);
    ASSERT_EQ(e.size(), 12u);
    EXPECT_EQ(e[4], 0);
    const Bytes v = port.ask("V", 13);
    EXPECT_EQ(v, "VX35 H2 105\r\n");

    EXPECT_EQ(port.ask("nnnnnkk", 60).size(), 60u); // six key echoes; none on the measuring screen
    for (int i = 0; i < 5; ++i) {
        const Bytes f = port.ask("0", 4);
        ASSERT_EQ(f.size(), 4u) << "value request " << i;
        EXPECT_TRUE(EndsWithCrLf(f));
    }
    EXPECT_EQ(port.ask("n", 2), "\r\n");
    EXPECT_EQ(port.read(1, 200), ""); // and nothing after the end mark
}

TEST(SimPty, OptionsSetSampleModeModelAndSplit)
{
    const std::string log = testing::TempDir() + "vx35sim_split.log";
    SimProcess sim({"--sample-mode", "12", "--model=T1", "--split", "3", "--log", log});
    RawPort port(sim.path());
    ASSERT_TRUE(port.ok());

    const Bytes e = port.ask("E", 12);
    ASSERT_EQ(e.size(), 12u);
    EXPECT_EQ(e[4], 12);
    const Bytes v = port.ask("V", 13);
    EXPECT_NE(v.find("T1"), std::string::npos);
    ASSERT_GE(v.size(), 6u);
    EXPECT_TRUE(EndsWithCrLf(v));
    for (std::size_t i = v.size() - 5; i < v.size() - 2; ++i)
        EXPECT_TRUE(v[i] >= '0' && v[i] <= '9') << v;

    // The same 20 bytes as without the switch, in several writes of 3.
    port.send("C");
    const std::vector<Bytes> pieces = port.chunks(20);
    Bytes joined;
    for (const Bytes& p : pieces)
        joined += p;
    EXPECT_EQ(joined, Bytes("SIMSENS1\x50\x00kN \x01\x00\x00\x4E\x20\r\n", 20));
    EXPECT_GE(pieces.size(), 2u);

    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    std::ifstream in(log);
    std::string line;
    int writes = 0;
    bool sawRequest = false;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string time, dir;
        int n = 0;
        ls >> time >> dir >> n;
        if (dir == "TX") {
            ++writes;
            EXPECT_LE(n, 3) << line;
        }
        sawRequest = sawRequest || (dir == "RX" && line.find(": 43") != std::string::npos);
    }
    EXPECT_TRUE(sawRequest);
    EXPECT_EQ(writes, 4 + 5 + 7); // 'E', 'V' and 'C' in pieces of three
    std::remove(log.c_str());
}

TEST(SimPty, TwoSimulatorsRunSideBySide)
{
    SimProcess a({"--model", "H1"});
    SimProcess b({"--model", "W3"});
    ASSERT_NE(a.path(), b.path());
    RawPort pa(a.path()), pb(b.path());
    ASSERT_TRUE(pa.ok() && pb.ok());
    pa.send("V");
    pb.send("V");
    EXPECT_EQ(pb.read(13), "VX35 W3 105\r\n");
    EXPECT_EQ(pa.read(13), "VX35 H1 105\r\n");
}

TEST(SimPty, ExitsCleanlyOnSignalOrEndOfInput)
{
    SimProcess sim({});
    const std::string path = sim.path();
    {
        RawPort port(path);
        ASSERT_TRUE(port.ok());
        EXPECT_EQ(port.ask("V", 13).size(), 13u);
    }
    // A client that closed and opens again finds the line still up.
    {
        RawPort again(path);
        EXPECT_EQ(again.ask("V", 13).size(), 13u);
    }
    // The master side must be gone with the process: a client still holding
    // the path then sees the hang-up. (The path itself may already serve
    // another simulator started in parallel, so it is not checked.)
    RawPort holder(path);
    ASSERT_TRUE(holder.ok());
    sim.signal(SIGTERM);
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_TRUE(holder.hungUp());

    SimProcess other({});
    ASSERT_FALSE(other.path().empty());
    other.closeStdin();
    EXPECT_EQ(other.wait(), 0);

    SimProcess interrupted({});
    ASSERT_FALSE(interrupted.path().empty());
    interrupted.signal(SIGINT);
    EXPECT_EQ(interrupted.wait(), 0);
}

// A restarted simulator gets another terminal; a link lets a client that
// stored one name find the device again, as a replugged adapter would be.
TEST(SimPty, LinkFollowsTheTerminalAcrossRestarts)
{
    char dirTemplate[] = "/tmp/vx35sim-link-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    const std::string link = dir + "/ttyVX35";
    auto target = [&link] {
        char buf[512];
        const ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    };

    std::string firstPath;
    {
        SimProcess first({"--link", link});
        firstPath = first.path();
        EXPECT_EQ(target(), firstPath);
        RawPort port(link);
        ASSERT_TRUE(port.ok());
        EXPECT_EQ(port.ask("V", 13), "VX35 H2 105\r\n");

        // A second simulator takes the name over; the first one, ending
        // later, must not remove the link it no longer owns.
        SimProcess second({"--link", link, "--model", "W2"});
        EXPECT_EQ(target(), second.path());
        first.signal(SIGTERM);
        EXPECT_EQ(first.wait(), 0);
        EXPECT_EQ(target(), second.path());
        RawPort again(link);
        EXPECT_EQ(again.ask("V", 13), "VX35 W2 105\r\n");
        second.signal(SIGTERM);
        EXPECT_EQ(second.wait(), 0);
        struct stat st {};
        EXPECT_NE(lstat(link.c_str(), &st), 0) << "link left behind";
    }

    // Something that is not a link is never replaced.
    {
        std::ofstream(link) << "keep";
        SimProcess refused({"--link", link});
        EXPECT_EQ(refused.wait(), 1);
        EXPECT_EQ(refused.readAll(1), "");
        std::ifstream in(link);
        std::string content;
        in >> content;
        EXPECT_EQ(content, "keep");
        unlink(link.c_str());
    }
    rmdir(dir.c_str());
}

TEST(SimPty, RejectsBadOptionsWithExitCode2)
{
    {
        SimProcess sim({"--frobnicate"});
        EXPECT_EQ(sim.wait(), 2);
        EXPECT_NE(sim.readAll(2).find("unknown option '--frobnicate'"), std::string::npos);
        EXPECT_EQ(sim.readAll(1), ""); // no path printed
    }
    for (std::vector<std::string> args : {std::vector<std::string>{"--sample-mode", "x"},
                                          std::vector<std::string>{"--delay"},
                                          std::vector<std::string>{"extra"}}) {
        SimProcess sim(args);
        EXPECT_EQ(sim.wait(), 2) << args[0];
    }
    SimProcess help({"--help"});
    EXPECT_EQ(help.wait(), 0);
    EXPECT_NE(help.readAll(1).find("--sample-mode"), std::string::npos);
}

TEST(SimPty, SilenceAndDelaySwitches)
{
    SimProcess sim({"--silent", "V", "--delay", "300"});
    RawPort port(sim.path());
    ASSERT_TRUE(port.ok());
    port.send("V");
    EXPECT_EQ(port.read(1, 500), "");
    port.send("C");
    EXPECT_EQ(port.read(1, 200), ""); // not before its delay
    EXPECT_EQ(port.read(20).size(), 20u);
}

TEST(SimPty, StdinLinesTriggerHandValues)
{
    SimProcess sim({"--sample-mode", "4"});
    RawPort port(sim.path());
    ASSERT_TRUE(port.ok());
    EXPECT_EQ(port.ask("nnnnnk", 60).size(), 60u);
    sim.writeStdin("\n");
    const Bytes line = port.read(21);
    ASSERT_EQ(line.size(), 21u);
    EXPECT_TRUE(EndsWithCrLf(line));
    EXPECT_EQ(line.substr(7, 3), "kN ");
}

// An endless read-out at 0 ms is paced by the reader: it runs far past what
// the device keeps queued, costs the host no time while nobody reads, and a
// key ends it, after which the next request is answered and nothing follows.
TEST(SimPty, EndlessLoggerFollowsTheReaderAndStopsOnAKey)
{
    SimProcess sim({"--logger-endless", "0"});
    RawPort port(sim.path());
    ASSERT_TRUE(port.ok());
    ASSERT_EQ(port.ask("A", 256 * 1024).size(), 256u * 1024u);

    const double before = sim.cpuSeconds();
    usleep(1000 * 1000);
    EXPECT_LT(sim.cpuSeconds() - before, 0.5) << "the host spins while the terminal is full";

    port.send("nV");
    Bytes tail;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (tail.find("VX35 H2 105\r\n") == std::string::npos && RemainingMs(deadline) > 0)
        tail += port.read(64 * 1024, 200);
    ASSERT_GE(tail.size(), 13u);
    EXPECT_EQ(tail.substr(tail.size() - 13), "VX35 H2 105\r\n");
    EXPECT_EQ(port.read(1, 300), "");
}

} // namespace
