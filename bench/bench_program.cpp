// The whole program's cost while it measures: the main dialog (offscreen)
// against vx35sim, with the measure tab and the terminal shown, for a fixed
// time in each case: the tab shown but idle, PC 10 ms and AUTO 10 ms; then
// the PC case's request tick alone, ticking with nothing to do.
// Reports the process's CPU time (every thread, from getrusage) per second
// of wall time, the live chart's paints per second and how often the
// process's threads went to sleep (each a wake-up: on a shared or virtual
// machine the CPU figure swings with the load, this count does not).
//
//   bench_program [seconds per case, default 10]
#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "tests/support/RealMainPages.h"
#include "tests/support/SimDevice.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/App.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/TickThread.h"
#include "res/Resources.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTimerEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <typeinfo>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <memory>
#include <string>

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {



// Runs the event loop as the program's own does (sleeping until there is
// something to do), for ms or until done, which is asked every 10 ms.
bool Pump(int ms, const std::function<bool()>& done = {})
{
    if (done && done())
        return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done && done())
            loop.quit();
    });
    if (done)
        poll.start();
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    return done ? done() : true;
}

// Each thread of the process by id: its name, CPU ticks and the times it
// went to sleep waiting.
struct ThreadUse {
    std::string name;
    long ticks = 0;
    long sleeps = 0;
};

std::map<int, ThreadUse> ThreadUses()
{
    std::map<int, ThreadUse> out;
    DIR* dir = opendir("/proc/self/task");
    if (!dir)
        return out;
    while (dirent* e = readdir(dir)) {
        const int tid = std::atoi(e->d_name);
        if (tid <= 0)
            continue;
        const std::string task = "/proc/self/task/" + std::to_string(tid);
        std::ifstream f(task + "/stat");
        std::string line;
        std::getline(f, line);
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14)
                utime = std::atol(field.c_str());
            if (i == 15)
                stime = std::atol(field.c_str());
        }
        ThreadUse& use = out[tid];
        use.name = line.substr(open + 1, close - open - 1);
        use.ticks = utime + stime;
        std::ifstream status(task + "/status");
        const std::string key = "voluntary_ctxt_switches:";
        while (std::getline(status, line))
            if (line.compare(0, key.size(), key) == 0)
                use.sleeps = std::atol(line.c_str() + key.size());
    }
    closedir(dir);
    return out;
}

// Times a thread of the process went to sleep waiting for something: each
// is a wake-up later, which costs more than most of the work it brings.
long VoluntarySwitches()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

class PaintCounter : public QObject {
public:
    QWidget* target = nullptr;
    long paints = 0;
    std::map<std::string, long> byType;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == target && e->type() == QEvent::Paint)
            ++paints;
        if (std::getenv("BENCH_EVENTS")) {
            std::string k = std::to_string(int(e->type())) + " " + o->metaObject()->className();
            if (auto* w = qobject_cast<QWidget*>(o))
                if (CWnd* wnd = CWnd::FromChildWidget(w))
                    k += std::string(" ") + typeid(*wnd).name() + " " + std::to_string(wnd->GetDlgCtrlID());
            if (e->type() == QEvent::Timer)
                k += " id" + std::to_string(static_cast<QTimerEvent*>(e)->timerId());
            ++byType[k];
        }
        return false;
    }
};

struct Case {
    const char* name;
    std::vector<std::string> simArgs;
    bool measure;
};

int RunCase(const Case& c, int seconds, const std::string& link)
{
    SimDevice sim("", c.simArgs);
    if (!sim.Started() || !PointLink(link, sim.Path())) {
        std::fprintf(stderr, "%s: the simulator did not start\n", c.name);
        return 1;
    }
    auto dlg = std::make_unique<CVX35_3Dlg>();
    if (!dlg->Create(CVX35_3Dlg::IDD)) {
        std::fprintf(stderr, "%s: no main dialog\n", c.name);
        return 1;
    }
    dlg->ShowWindow(SW_SHOW);
    dlg->ShowTerminal(!std::getenv("BENCH_NO_TERMINAL"));
    dlg->GetSheet().SetActivePage(1);
    auto* page = dynamic_cast<CMessenDlg*>(dlg->GetPage(1));
    if (!page) {
        std::fprintf(stderr, "%s: no measure page\n", c.name);
        return 1;
    }
    PaintCounter counter;
    counter.target = page->GetDisplay().GetPlot() ? page->GetDisplay().GetPlot()->GetPeer() : nullptr;
    qApp->installEventFilter(&counter);
    Pump(1000);
    if (c.measure) {
        page->OnStart();
        if (!Pump(8000, [&] { return page->GetConversation().IsRunning(); })) {
            std::fprintf(stderr, "%s: measuring did not start\n", c.name);
            return 1;
        }
        Pump(1000);
    }
    const int pointsBefore = page->GetDisplay().GetStore().getPointCount(0);
    const long paintsBefore = counter.paints;
    const auto ticks0 = ThreadUses();
    const long switches0 = VoluntarySwitches();
    const double cpu0 = bench::CpuSeconds(), wall0 = bench::Now();
    Pump(seconds * 1000);
    const double cpu = bench::CpuSeconds() - cpu0, wall = bench::Now() - wall0;
    const long switches = VoluntarySwitches() - switches0;
    const auto ticks1 = ThreadUses();
    const long paints = counter.paints - paintsBefore;
    const int points = static_cast<int>(page->GetDisplay().GetStore().getPointCount(0)) - pointsBefore;
    qApp->removeEventFilter(&counter);
    std::printf("%-10s wall %6.2f s  cpu %7.3f s  cpu/wall %6.2f %%  chart paints/s %8.1f  points/s %7.1f"
                "  thread sleeps/s %6.1f\n",
                c.name, wall, cpu, 100.0 * cpu / wall, paints / wall, points / wall, switches / wall);
    if (std::getenv("BENCH_EVENTS"))
        for (const auto& [k, n] : counter.byType)
            if (n / wall > 0.5)
                std::printf("    event %-50s %8.1f /s\n", k.c_str(), n / wall);
    if (std::getenv("BENCH_THREADS")) {
        const double hz = static_cast<double>(sysconf(_SC_CLK_TCK));
        for (const auto& [tid, t] : ticks1) {
            const auto it = ticks0.find(tid);
            const long d = t.ticks - (it == ticks0.end() ? 0 : it->second.ticks);
            const long z = t.sleeps - (it == ticks0.end() ? 0 : it->second.sleeps);
            if (d > 0 || z > 0)
                std::printf("    thread %d %-16s %6.2f %%  sleeps/s %6.1f\n", tid, t.name.c_str(),
                            100.0 * d / hz / wall, z / wall);
        }
    }
    std::fflush(stdout);
    dlg->SendMessage(WM_CLOSE);
    if (dlg->IsWindow())
        dlg->DestroyWindow();
    dlg.reset();
    Pump(300);
    return 0;
}

} // namespace

// What this machine charges for the PC case's 100 timed wake-ups a second
// alone: the program idle, the request tick running with nothing to do.
// Part of the PC figure that no work in the program can save.
void RunTickOnly(int seconds)
{
    vx::TickThread tick;
    const double cpu0 = bench::CpuSeconds(), wall0 = bench::Now();
    tick.Start(std::chrono::milliseconds(10), [] {});
    Pump(seconds * 1000);
    tick.Stop();
    const double cpu = bench::CpuSeconds() - cpu0, wall = bench::Now() - wall0;
    std::printf("%-10s wall %6.2f s  cpu %7.3f s  cpu/wall %6.2f %%  (an empty 10 ms tick, nothing else)\n",
                "tick only", wall, cpu, 100.0 * cpu / wall);
    std::fflush(stdout);
}

int main(int argc, char** argv)
{
    bench::ProgramSetting setting(argc, argv);
    if (!setting.Ok())
        return 1;
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string link = setting.Folder() + "/vx35-link";
    vx::WriteProfileString("SerPort1", "Port", link.c_str());
    vx::WriteProfileInt("SerPort1", "BaudRate", 115200);
    vx::WriteProfileInt("Optionen", "Sprache", 0);
    InstallRealMainPages();
    double load[3] = {};
    if (getloadavg(load, 3) > 0)
        std::printf("load average before: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    const Case cases[] = {
        {"idle", {"--sample-mode", "0"}, false},
        {"PC 10ms", {"--sample-mode", "0"}, true},
        {"AUTO 10ms", {"--sample-mode", "8", "--auto-rate", "2"}, true},
    };
    // BENCH_CASE=<name> runs only that case (for a profiler).
    const char* only = std::getenv("BENCH_CASE");
    int rc = 0;
    for (const Case& c : cases)
        if (!only || std::string(only) == c.name)
            rc |= RunCase(c, seconds, link);
    if (!only || std::string(only) == "tick only")
        RunTickOnly(seconds);
    SetMainPageFactory({});
    return rc;
}
