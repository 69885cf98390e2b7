// The chart's stored state, its bitmap export and its printout.
#include "chart/Plot.h"

#include "chart/PlotDC.h"
#include "chart/PlotRecords.h"
#include "platform/Archive.h"
#include "platform/Bmp.h"
#include "platform/Dc.h"
#include "platform/File.h"
#include "platform/Print.h"

#include <memory>
#include <vector>

// Everything one section holds, read completely before any of it reaches
// the chart, so a damaged archive changes nothing.
struct CPlot::LoadedSection {
    UINT flags = 0;
    COLORREF back = 0, outer = 0, inner = 0;
    bool doubleBuffer = true, showLegend = true, snap = true;
    int legendAlignment = 1, snapRange = 10;
    int margins[4] = {5, 5, 5, 5};
    int axisSpacing = 5, selectedCurve = -1;
    std::vector<std::unique_ptr<CPlotDataSerie>> curves;
    std::vector<std::unique_ptr<CPlotAxis>> xAxes, yAxes;
    std::vector<PlotMeasure> measures;
    std::vector<std::unique_ptr<CPlotObject>> objects;
};

namespace {

// Counts are stored unsigned but read back signed; a negative one holds
// nothing, a huge one is damage the rest of the file cannot hold.
int ReadCount(CArchive& ar, unsigned minRecord)
{
    int n = 0;
    ar >> n;
    if (n < 0)
        return 0;
    PlotRecords::CheckCount(ar, static_cast<unsigned long long>(n), minRecord);
    return n;
}

template <class T>
void ReadRecords(CArchive& ar, CPlot* plot, std::vector<std::unique_ptr<T>>& out, unsigned minRecord)
{
    const int n = ReadCount(ar, minRecord);
    for (int i = 0; i < n; ++i) {
        auto item = std::make_unique<T>();
        item->Serialize(ar);
        item->SetGraph(plot);
        out.push_back(std::move(item));
    }
}

}  // namespace

void CPlot::Serialize(CArchive& ar, UINT flags)
{
    if (ar.IsLoading()) {
        LoadedSection section;
        ReadSection(ar, section);
        ApplySection(section);
        if (IsWindow())
            Invalidate(FALSE);
        return;
    }
    // The tracker and current object are display state; a stored chart
    // starts without them.
    m_pCurrentObject = nullptr;
    ar << flags;
    if (flags & kStoreAppearance) {
        ar << static_cast<UINT>(m_crBack) << static_cast<UINT>(m_crOuter) << static_cast<UINT>(m_crInner);
        ar << m_bDoubleBuffer << m_bShowLegend << m_nLegendAlignment << m_bSnap << m_nSnapRange;
        ar << m_nMarginLeft << m_nMarginTop << m_nMarginRight << m_nMarginBottom;
        ar << m_nAxisSpacing << m_nSelectedCurve;
    }
    if (flags & kStoreCurvesAndAxes) {
        ar << static_cast<UINT>(m_Curves.size());
        for (auto& c : m_Curves)
            c->Serialize(ar);
        ar << static_cast<UINT>(m_XAxes.size());
        for (auto& a : m_XAxes)
            a->Serialize(ar);
        ar << static_cast<UINT>(m_YAxes.size());
        for (auto& a : m_YAxes)
            a->Serialize(ar);
    }
    if (flags & kStoreObjects) {
        ar << static_cast<UINT>(m_Measures.size());
        for (const PlotMeasure& m : m_Measures)
            ar << m.curve1 << m.point1 << m.curve2 << m.point2;
        // The read-out box belongs to the window, not to the stored chart.
        std::vector<const CObject*> stored;
        POSITION pos = m_Objects.GetHeadPosition();
        while (pos) {
            const CObject* o = m_Objects.GetNext(pos);
            if (o != &m_Readout)
                stored.push_back(o);
        }
        ar << static_cast<int>(stored.size());
        for (const CObject* o : stored)
            ar.WriteObject(o);
    }
}

void CPlot::ReadSection(CArchive& ar, LoadedSection& s)
{
    ar >> s.flags;
    if (s.flags & kStoreAppearance) {
        UINT back, outer, inner;
        ar >> back >> outer >> inner;
        s.back = back;
        s.outer = outer;
        s.inner = inner;
        ar >> s.doubleBuffer >> s.showLegend >> s.legendAlignment >> s.snap >> s.snapRange;
        ar >> s.margins[0] >> s.margins[1] >> s.margins[2] >> s.margins[3];
        ar >> s.axisSpacing >> s.selectedCurve;
    }
    if (s.flags & kStoreCurvesAndAxes) {
        ReadRecords(ar, this, s.curves, 4);
        ReadRecords(ar, this, s.xAxes, 4);
        ReadRecords(ar, this, s.yAxes, 4);
    }
    if (s.flags & kStoreObjects) {
        const int measures = ReadCount(ar, 16);
        for (int i = 0; i < measures; ++i) {
            PlotMeasure m;
            ar >> m.curve1 >> m.point1 >> m.curve2 >> m.point2;
            s.measures.push_back(m);
        }
        const int objects = ReadCount(ar, 2);
        for (int i = 0; i < objects; ++i) {
            CObject* read = ar.ReadObject(VX_RUNTIME_CLASS(CPlotObject));
            auto* object = dynamic_cast<CPlotObject*>(read);
            if (!object || object == &m_Readout) {
                // A null or back-referenced object would be listed twice
                // (and deleted twice); the archive owns back references.
                throw CArchiveException(CArchiveException::badIndex);
            }
            for (auto& known : s.objects)
                if (known.get() == object)
                    throw CArchiveException(CArchiveException::badIndex);
            object->SetGraph(this);
            s.objects.emplace_back(object);
        }
    }
}

void CPlot::ApplySection(LoadedSection& s)
{
    if (s.flags & kStoreAppearance) {
        m_crBack = s.back;
        m_crOuter = s.outer;
        m_crInner = s.inner;
        m_bDoubleBuffer = s.doubleBuffer;
        m_bShowLegend = s.showLegend;
        m_nLegendAlignment = s.legendAlignment;
        m_bSnap = s.snap;
        m_nSnapRange = s.snapRange;
        SetMargins(s.margins[0], s.margins[1], s.margins[2], s.margins[3]);
        m_nAxisSpacing = s.axisSpacing;
        m_nSelectedCurve = s.selectedCurve;
    }
    for (auto& c : s.curves)
        m_Curves.push_back(std::move(c));
    for (auto& a : s.xAxes)
        m_XAxes.push_back(std::move(a));
    for (auto& a : s.yAxes)
        m_YAxes.push_back(std::move(a));
    m_Measures.insert(m_Measures.end(), s.measures.begin(), s.measures.end());
    for (auto& o : s.objects)
        m_Objects.AddTail(o.release());
}

bool CPlot::Save(const char* fileName, UINT flags)
{
    if (flags == 0)
        return false;
    m_pCurrentObject = nullptr;
    CFile file;
    if (!fileName || !file.Open(fileName, CFile::modeCreate | CFile::modeWrite))
        return false;
    try {
        CArchive ar(&file, CArchive::store, 4096);
        Serialize(ar, flags);
        ar.Close();
        file.Close();
    } catch (...) {
        file.Abort();
        throw;
    }
    return true;
}

bool CPlot::Load(const char* fileName)
{
    CFile file;
    if (!fileName || !file.Open(fileName, CFile::modeRead))
        return false;
    LoadedSection section;
    try {
        CArchive ar(&file, CArchive::load, 4096);
        ReadSection(ar, section);
        ar.Close();
        file.Close();
    } catch (...) {
        file.Abort();
        throw;
    }
    // Emptied only once the whole file has been read.
    DeleteAll();
    ApplySection(section);
    if (IsWindow())
        Invalidate(FALSE);
    return true;
}

bool CPlot::SaveBitmap(const char* fileName)
{
    if (!fileName || !HasSnapshot())
        return false;
    return vx::SaveBmpFile(fileName, m_Snapshot);
}

CRect CPlot::PrintOn(CDCEx* printerDC)
{
    printerDC->ComputeScale();
    const int width = printerDC->GetDeviceCaps(HORZRES);
    const int height = printerDC->GetDeviceCaps(VERTRES);
    m_PrintRect.SetRect(0, 0, static_cast<int>(width / printerDC->m_fXScale),
                        static_cast<int>(height / printerDC->m_fYScale));
    m_pPrinterDC = printerDC;
    printerDC->m_bScaling = true;
    printerDC->StartDoc("Graph");
    printerDC->StartPage();
    Paint(printerDC, m_PrintRect, true);
    printerDC->EndPage();
    printerDC->EndDoc();
    m_pPrinterDC = nullptr;
    return m_PrintRect;
}

void CPlot::OnPrint()
{
    CPrintDialog dialog(FALSE, PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE, this);
    if (dialog.DoModal() != IDOK)
        return;
    CDCEx dc;
    if (!dialog.CreatePrinterDC(dc))
        return;
    PrintOn(&dc);
    dc.DeleteDC();
}

BOOL CPlot::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == kPrintCommand) {
        OnPrint();
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}
