// Any bytes as a stored chart file through CPlot::Load, then painted and
// saved again: a file the chart takes must paint, must store, and what it
// stored must load again. The input stays in memory (a memfd the chart opens
// by its /proc path); what the chart saves goes through its safe writer,
// which needs a real folder beside the file, so it lands in a private
// folder in memory (/dev/shm) where there is one.
//
// The seed corpus (tests/fuzz/corpus/chart_plotfile) holds a chart with
// curves, axes, a label, a notation and a measurement; set
// VX35_WRITE_CHART_SEED=<file> to write it anew.
#include "chart/Plot.h"
#include "chart/PlotLabel.h"
#include "platform/Archive.h"
#include "platform/File.h"

#include <QGuiApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

struct MemFile {
    int fd = memfd_create("vx35chart", 0);
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    void Put(const std::uint8_t* data, std::size_t size) const
    {
        if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
    }
};

// Made at the first run, removed with what it holds when the process ends.
struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        path = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/vx35fuzz.XXXXXX");
        if (!mkdtemp(path.data()))
            std::abort();
    }
    ~ScratchFolder()
    {
        for (const char* name : {"/out.chart", "/out.bmp"})
            unlink((path + name).c_str());
        rmdir(path.c_str());
    }
};

void WriteSeed(const char* path)
{
    static ChartPoint a[40], b[12];
    for (int i = 0; i < 40; ++i)
        a[i] = {i * 0.25, 2.0 * i - 7.0};
    for (int i = 0; i < 12; ++i)
        b[i] = {i * 1.0, (i % 3) * 1.5};
    CPlot plot;
    plot.SetData(a, 40, 0, 0, 0, true, true, true)->SetLabel("force");
    plot.SetData(b, 12, 1, 0, 1, true, true, true)->SetLabel("torque");
    plot.GetYAxis(1).SetLabel("N m");
    plot.SetMargins(4, 5, 6, 7);
    plot.InsertLabel("label");
    auto* note = new CPlotDataNotation;
    note->Set(1.0, 3.0, 0, 10, "peak");
    plot.AddObject(note);
    plot.GetMeasures().push_back({0, 1, 1, 2});
    plot.Save(path, CPlot::kStoreAppearance | CPlot::kStoreCurvesAndAxes | CPlot::kStoreObjects);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    if (const char* seed = std::getenv("VX35_WRITE_CHART_SEED"))
        WriteSeed(seed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const MemFile in;
    static const ScratchFolder folder;
    static const std::string out = folder.path + "/out.chart", bitmap = folder.path + "/out.bmp";
    in.Put(data, size);
    CPlot plot;
    try {
        if (!plot.Load(in.path.c_str()))
            return 0;
    } catch (const CArchiveException&) {
        return 0;
    } catch (const CFileException&) {
        return 0;
    }
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    plot.RenderTo(image);
    plot.SaveBitmap(bitmap.c_str());
    // What the chart took, it stores; what it stored, it takes again.
    if (!plot.Save(out.c_str(), CPlot::kStoreAppearance | CPlot::kStoreCurvesAndAxes | CPlot::kStoreObjects))
        __builtin_trap();
    CPlot reloaded;
    try {
        if (!reloaded.Load(out.c_str()))
            __builtin_trap();
    } catch (...) {
        __builtin_trap();
    }
    return 0;
}
