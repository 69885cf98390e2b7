// Any bytes as a stored chart object: the archive must reject damaged
// lengths, unknown classes and short records with its own exception, and a
// chart object must never read past what the archive holds.
#include "chart/Plot.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDataSerie.h"
#include "chart/PlotLabel.h"
#include "platform/Archive.h"
#include "platform/File.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>

namespace {

// The archive reads through CFile's virtual interface; the bytes stay in
// memory so the fuzzer never touches the disk.
class MemoryFile : public CFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    UINT Read(void* buffer, UINT count) override
    {
        const std::size_t n = std::min<std::size_t>(count, m_size - m_pos);
        std::memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return static_cast<UINT>(n);
    }
    void Write(const void*, UINT) override {}
    ULONGLONG GetPosition() const override { return m_pos; }
    ULONGLONG GetLength() const override { return m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Keep every chart class (and its registration) linked in.
    static const CRuntimeClass* const classes[] = {
        VX_RUNTIME_CLASS(CPlotObject), VX_RUNTIME_CLASS(CPlotAxis), VX_RUNTIME_CLASS(CPlotDataSerie),
        VX_RUNTIME_CLASS(CPlotLabel), VX_RUNTIME_CLASS(CPlotDataNotation)};
    (void)classes;
    MemoryFile file(data, size);
    CArchive ar(&file, CArchive::load);
    // A stored back-reference hands out an object read earlier again, so
    // the objects live until the archive is done and are freed once each.
    std::set<CObject*> loaded;
    try {
        for (int i = 0; i < 4; ++i) {
            CObject* obj = ar.ReadObject(VX_RUNTIME_CLASS(CPlotObject));
            if (!obj)
                break;
            loaded.insert(obj);
        }
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    ar.Abort();
    for (CObject* obj : loaded)
        delete obj;

    // The same bytes as a whole stored chart: a damaged one (also one whose
    // sizes no screen could show) is refused with the archive's exception
    // and leaves the chart as it was.
    MemoryFile whole(data, size);
    CArchive chartArchive(&whole, CArchive::load);
    CPlot chart;
    try {
        chart.Serialize(chartArchive, 0);
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    }
    chartArchive.Abort();
    return 0;
}
