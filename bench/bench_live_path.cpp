// The live path through the real program parts: device bytes on a
// pseudo-terminal -> the port manager's reader -> the page's chunk handler
// -> the fast frame parser -> the live chart's store, with the measure page
// shown and measuring in AUTO mode. The device side writes frames as fast
// as the terminal takes them; reported are the frames that reached the
// store per second of wall time, their ratio to the line's 2 880 frames/s,
// and how many never arrived.
//
//   bench_live_path [frames per run, default 2000000] [runs, default 3]
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "tests/support/PageOwner.h"

#include "app/StringTable.h"
#include "measure/MessenDlg.h"
#include "platform/App.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/PropertySheet.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDir>

#include <atomic>
#include <chrono>
#include <clocale>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

constexpr double kLineFramesPerSecond = 2880.0;



// The device: answers the conversation's requests, and once told writes
// the given number of 4-byte frames as fast as the terminal takes them.
struct Device {
    Device()
    {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        termios tio{};
        tcgetattr(slave, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
        ::close(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        path = name;
        thread = std::thread([this] { Run(); });
    }
    ~Device()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        if (master >= 0)
            ::close(master);
    }
    void Write(const std::string& s)
    {
        size_t done = 0;
        while (done < s.size() && !stop) {
            const ssize_t n = ::write(master, s.data() + done, s.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                pollfd p{master, POLLOUT, 0};
                ::poll(&p, 1, 50);
            }
        }
    }
    void Run()
    {
        const std::map<char, std::string> answers{
            {'C', "SIMSENS1\x50\x00kN \x01\x00\x00\x4E\x20\r\n"s},
            {'E', "\x45\x4C\x02\x00\x08\x02\x00\x00\x00\x00\x0D\x0A"s},
            {'d', "\r\nQuorin Test\x03"s},
            {'V', "SIM 700 105\r\n"s}};
        while (!stop) {
            if (int n = framesToSend.exchange(0)) {
                // Readings 0..3071: never a CR LF pair inside a frame.
                std::string block;
                for (int i = 0; i < n; ++i) {
                    const int v = i % 3072;
                    block += char(v >> 8);
                    block += char(v & 0xFF);
                    block += "\r\n";
                    if (block.size() >= 1 << 16) {
                        Write(block);
                        block.clear();
                    }
                }
                Write(block);
                continue;
            }
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 10) <= 0)
                continue;
            char buf[256];
            const ssize_t got = ::read(master, buf, sizeof buf);
            for (ssize_t i = 0; i < got; ++i) {
                auto it = answers.find(buf[i]);
                if (it != answers.end())
                    Write(it->second);
            }
        }
    }

    int master = -1;
    std::string path;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<int> framesToSend{0};
};

bool Pump(double seconds, const std::function<bool()>& done)
{
    const double end = bench::Now() + seconds;
    while (bench::Now() < end) {
        if (done())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        vx::ProcessPendingMessages();
    }
    return done();
}

} // namespace

int main(int argc, char** argv)
{
    bench::ProgramSetting setting(argc, argv);
    if (!setting.Ok())
        return 1;
    vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "0; 0; 1; 0.000000");
    const int frames = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 2'000'000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    Device device;
    if (device.path.empty())
        return 1;
    ChannelRecord table[kChannelCount];
    CString receive[kReceiveTextCount];
    int languageOffset = 0, zero = 0, busy = 0;
    BYTE arrival = 0;
    CMessenDlg page;
    CPropertySheet sheet;
    PageOwner owner{receive[0], page};
    if (!owner.Create("", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0))
        return 1;
    auto port = std::make_unique<CPortManGui>(&owner, WM_PORT_DATA, WM_PORT_STATUS);
    port->m_Dcb.m_strPortName = device.path.c_str();
    port->m_Dcb.m_dwBaudRate = 115200;
    if (port->Open() != 0)
        return 1;
    table[0].m_pPortMan = port.get();
    CPageSharedState s;
    s.pChannelTable = table;
    s.pReceiveStrings = receive;
    s.pLanguageOffset = &languageOffset;
    s.pConnectionMode = &zero;
    s.pCurrentChannel = &zero;
    s.pBusyFlag = &busy;
    s.pOperatingMode = &zero;
    s.pArrivalStatus = &arrival;
    page.SetSharedState(s);
    sheet.AddPage(&page);
    if (!sheet.Create(nullptr, WS_POPUP | WS_VISIBLE))
        return 1;
    Pump(0.5, [] { return false; });
    page.OnStart();
    if (!Pump(8.0, [&] { return page.GetConversation().IsRunning(); })) {
        std::fprintf(stderr, "measuring did not start\n");
        return 1;
    }
    const CDataManager& store = page.GetDisplay().GetStore();
    double load[3] = {};
    if (getloadavg(load, 3) > 0)
        std::printf("load average before: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    int rc = 0;
    for (int run = 0; run < runs; ++run) {
        const unsigned before = store.getPointCount(0);
        const double t0 = bench::Now(), cpu0 = bench::CpuSeconds();
        device.framesToSend = frames;
        double last = t0;
        unsigned lastCount = before;
        // Done when all arrived, or when nothing more came for a second.
        Pump(600.0, [&] {
            const unsigned n = store.getPointCount(0);
            if (n != lastCount) {
                lastCount = n;
                last = bench::Now();
            }
            return n - before >= static_cast<unsigned>(frames) || bench::Now() - last > 1.0;
        });
        const double wall = last - t0, cpu = bench::CpuSeconds() - cpu0;
        const unsigned got = store.getPointCount(0) - before;
        const double rate = got / wall;
        std::printf("run %d: %u of %d frames in %.3f s: %.0f frames/s = %.0f x the line rate; cpu %.3f s; "
                    "missing %d\n",
                    run + 1, got, frames, wall, rate, rate / kLineFramesPerSecond, cpu, frames - int(got));
        std::fflush(stdout);
        if (got != static_cast<unsigned>(frames))
            rc = 2;
    }
    sheet.DestroyWindow();
    table[0].m_pPortMan = nullptr;
    port.reset();
    owner.DestroyWindow();
    return rc;
}
