// The data logger page at the end of a big read-out, offscreen, with its
// real edit controls: short records (13 bytes, so the edit gets about
// 650 000 lines for 8 MiB) arrive in the chunks a 115 200 baud line brings
// every 250 ms, on the manual clock, and are shown
//  - Bound: by a stream that never goes quiet, at the answer's bound;
//  - Silence: by a read-out just under the bound that ends by silence.
// Then the records field is scrolled to its end and copied whole (Ctrl+A,
// Ctrl+C), as a user would. Every chunk's handling, every clock step (with
// the timer ticks it fires), every pass over the pending events and each
// key is timed on its own: "stall ms" is the longest, "show ms" the one in
// which the records were shown, "scroll ms" the scroll, "copy ms" the
// longer key; the benchmark's time is the longest stall too. "peak MiB" is
// the process's peak resident growth from the start to the scroll,
// "peak/rx" that growth per byte received, "held MiB" what stays resident
// while the records are shown. Before the page bounded the answer, Bound
// was ended by the silence after its last byte.
#include "app/StringTable.h"
#include "pages/DatenloggerDlg.h"
#include "platform/App.h"
#include "platform/Modal.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"
#include "res/Resources.h"

#include "bench/BenchProgram.h"
#include "bench/BenchSupport.h"
#include "bench/ProcStatus.h"

#include <benchmark/benchmark.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <malloc.h>

namespace {

// Bytes a 115 200 baud line (8N1) brings in the 250 ms between two looks
// of the port manager while a device streams.
constexpr size_t kChunk = 2880;
constexpr int kChunkMs = 250;

class QuietPort : public CPortMan {
public:
    QuietPort() { m_Dcb.PortState = 0; }
    bool PutByte(BYTE) override { return true; }
    bool WriteFrame(const BYTE*, int) override { return true; }
    bool WriteString(const CString&) override { return true; }
};

struct LoggerPage {
    LoggerPage()
    {
        table[0].m_pPortMan = &port;
        page.SetSharedState({table, rx, &languageOffset, &zero, &zero, &busy, &zero, &arrival});
        sheet.AddPage(&page);
        sheet.Create(nullptr, WS_POPUP | WS_VISIBLE);
    }
    ~LoggerPage()
    {
        sheet.DestroyWindow();
        table[0].m_pPortMan = nullptr;
    }
    QuietPort port;
    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];
    int languageOffset = 0, zero = 0, busy = 0;
    BYTE arrival = 0;
    CDatenloggerDlg page;
    CPropertySheet sheet;
};

// Header, mode line and records up to `bytes` (the records differ, as a
// device's do).
std::string Answer(size_t bytes)
{
    std::string s = "\r\nVX35 Kopf\r\nHalle 3\x03" "HAND    \r\n";
    s.reserve(bytes + 16);
    char line[32];
    for (unsigned i = 0; s.size() + 13 <= bytes; ++i) {
        std::snprintf(line, sizeof line, "%3u,%02u Nm  \r\n", (i / 100) % 1000, i % 100);
        s += line;
    }
    return s;
}

struct Stalls {
    double longest = 0.0;
    double show = 0.0;
};

// One read-out of `stream`, fed until the page ends it (or the stream
// runs out and silence must), then the records scrolled to their end and
// copied.
void ReadOut(benchmark::State& state, const std::string& stream)
{
    double stall = 0, show = 0, scroll = 0, copy = 0, peak = 0, held = 0, received = 0;
    bool ended = false;
    for (auto _ : state) {
        vx::ManualClock& clock = vx::UseManualClock(1000);
        auto hosted = std::make_unique<LoggerPage>();
        CDatenloggerDlg& page = hosted->page;
        QCoreApplication::processEvents();
        // What the last run freed goes back first, or it would hide this
        // run's growth.
        malloc_trim(0);
        ResetPeak();
        const long before = ProcStatusBytes("VmRSS:");
        Stalls s;
        size_t at = 0;
        auto step = [&](auto&& f) {
            const bool running = page.GetReadout().IsReadoutRunning();
            const double t0 = bench::Now();
            f();
            const double dt = bench::Now() - t0;
            s.longest = std::max(s.longest, dt);
            if (running && !page.GetReadout().IsReadoutRunning())
                s.show = dt;
        };
        step([&] { page.StartLoggerReadout(); });
        while (page.GetReadout().IsReadoutRunning() && at < stream.size()) {
            const size_t n = std::min(kChunk, stream.size() - at);
            step([&] {
                hosted->rx[0].Append(stream.data() + at, static_cast<int>(n));
                page.OnDataReceived(static_cast<int>(n), 0);
            });
            at += n;
            step([&] { clock.advance(kChunkMs); });
            step([] { QCoreApplication::processEvents(); });
        }
        for (int i = 0; i < 8 && page.GetReadout().IsReadoutRunning(); ++i) {
            step([&] { clock.advance(kChunkMs); });
            step([] { QCoreApplication::processEvents(); });
        }
        ended = !page.GetReadout().IsReadoutRunning();
        step([] { QCoreApplication::processEvents(); });
        auto* view = qobject_cast<QAbstractScrollArea*>(page.GetDlgItem(CDatenloggerDlg::IDC_RECORDS)->GetPeer());
        const double t0 = bench::Now();
        if (view) {
            view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
            QCoreApplication::processEvents();
        }
        scroll = bench::Now() - t0;
        s.longest = std::max(s.longest, scroll);
        peak = static_cast<double>(ProcStatusBytes("VmHWM:") - before);
        held = static_cast<double>(ProcStatusBytes("VmRSS:") - before);
        // Ctrl+A, then Ctrl+C: the page reads its fields back and copies.
        CWnd* records = page.GetDlgItem(CDatenloggerDlg::IDC_RECORDS);
        copy = 0;
        for (int key : {Qt::Key_A, Qt::Key_C}) {
            const double k0 = bench::Now();
            QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
            QCoreApplication::sendEvent(records->GetPeer(), &press);
            QCoreApplication::processEvents();
            copy = std::max(copy, bench::Now() - k0);
        }
        s.longest = std::max(s.longest, copy);
        received = static_cast<double>(at);
        stall = s.longest;
        show = s.show;
        state.SetIterationTime(s.longest);
        hosted.reset();
        QCoreApplication::processEvents();
    }
    state.counters["stall ms"] = stall * 1e3;
    state.counters["show ms"] = show * 1e3;
    state.counters["scroll ms"] = scroll * 1e3;
    state.counters["copy ms"] = copy * 1e3;
    state.counters["peak MiB"] = peak / (1 << 20);
    state.counters["peak/rx"] = received > 0 ? peak / received : 0.0;
    state.counters["held MiB"] = held / (1 << 20);
    state.counters["rx MiB"] = received / (1 << 20);
    state.counters["ended"] = ended ? 1 : 0;
}

// A stream that never goes quiet: more than the bound, fed until it ends.
void Bound(benchmark::State& state) { ReadOut(state, Answer((9u << 20))); }
// Just under the bound, then quiet.
void Silence(benchmark::State& state) { ReadOut(state, Answer((8u << 20) - 4096)); }

} // namespace

BENCHMARK(Bound)->Name("LoggerPage/Bound")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond)
    ->Apply(bench::ThreeRuns);
BENCHMARK(Silence)->Name("LoggerPage/Silence")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond)
    ->Apply(bench::ThreeRuns);

int main(int argc, char** argv)
{
    // Large blocks always mapped, so a freed one leaves the resident set at
    // once: the peak then counts what was held, not where the allocator
    // happened to put it.
    mallopt(M_MMAP_THRESHOLD, 256 << 10);
    // Scripted boxes: the give-up box must not wait for a click.
    bench::ProgramSetting setting(argc, argv);
    return setting.Ok() ? bench::RunBenchmarks(argc, argv) : 1;
}
