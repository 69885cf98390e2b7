// The chart's stored state, its bitmap export and its printout.
#include "chart/Plot.h"

#include "chart/PlotDC.h"
#include "chart/PlotRecords.h"
#include "platform/Archive.h"
#include "platform/Bmp.h"
#include "platform/Dc.h"
#include "platform/File.h"
#include "platform/Modal.h"
#include "platform/Print.h"
#include "platform/SafeFile.h"

#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
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

// Geometry a file may carry. Beyond these no screen or page shows the
// chart, and the drawing would loop for minutes or overflow its pixel
// arithmetic, so a file with more is treated as damaged.
constexpr int kMaxMargin = 4096;      // margins and axis spacing, pixels
constexpr int kMaxSnapRange = 1000;   // cursor square and snap distance
constexpr int kMaxDecoration = 200;   // arrow, tick, key, marker sizes
constexpr int kMaxLineWidth = 100;
// The chart itself maps a point as far as 2^27 pixels off the plot (and a
// notation's box follows its point), so what it stores reaches a little past
// that; twice the bound still keeps the sum of two coordinates in an int.
constexpr int kMaxCoordinate = 1 << 28;
constexpr double kMaxLayoutValue = 1e6;  // stored gaps, extents, lengths
constexpr int kMaxFontSize = 1000;

void Require(bool sane)
{
    if (!sane)
        throw CArchiveException(CArchiveException::badSchema);
}

bool Within(long long v, long long lo, long long hi) { return v >= lo && v <= hi; }

bool SaneRect(const CRect& r)
{
    return Within(r.left, -kMaxCoordinate, kMaxCoordinate) && Within(r.top, -kMaxCoordinate, kMaxCoordinate) &&
           Within(r.right, -kMaxCoordinate, kMaxCoordinate) && Within(r.bottom, -kMaxCoordinate, kMaxCoordinate);
}

bool SaneFont(const LOGFONT& lf)
{
    return Within(lf.lfHeight, -kMaxFontSize, kMaxFontSize) && Within(lf.lfWidth, -kMaxFontSize, kMaxFontSize) &&
           Within(lf.lfWeight, 0, 1000) && Within(lf.lfEscapement, -3600, 3600) &&
           Within(lf.lfOrientation, -3600, 3600);
}

bool SaneLayoutValue(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxLayoutValue; }

void CheckCurve(const CPlotDataSerie& c)
{
    Require(SaneRect(c.GetRect()));
    Require(Within(c.GetLineSize(), 0, kMaxLineWidth));
    Require(Within(c.GetMarkerSize(), 0, kMaxDecoration));
}

void CheckAxis(CPlotAxis& a)
{
    Require(Within(a.GetArrowSize(), 0, kMaxDecoration));
    Require(Within(a.GetTickSize(), 0, kMaxDecoration));
    Require(Within(a.GetKeySize(), 0, kMaxDecoration));
    Require(Within(a.GetOriginX(), -kMaxCoordinate, kMaxCoordinate));
    Require(Within(a.GetOriginY(), -kMaxCoordinate, kMaxCoordinate));
    Require(Within(a.GetLength(), -kMaxCoordinate, kMaxCoordinate));
    Require(SaneLayoutValue(a.GetGap()) && SaneLayoutValue(a.GetKeyExtent()));
    // Ranges may be anything finite (an empty axis holds the largest
    // doubles), but not a value that is no number.
    Require(!std::isnan(a.m_dDataMin) && !std::isnan(a.m_dDataMax) && !std::isnan(a.m_dShownMin) &&
            !std::isnan(a.m_dShownMax) && std::isfinite(a.m_dStep) && a.m_dStep >= 0.0 && std::isfinite(a.m_dSpan));
    Require(SaneFont(a.GetScaleFont()) && SaneFont(a.GetTitleFont()));
    for (int i = 0; i < a.GetValueMarkerCount(); ++i) {
        const PlotValueMarker* m = a.GetValueMarker(i);
        Require(Within(m->penWidth, 0, kMaxLineWidth) && SaneFont(m->font));
    }
}

void CheckObject(const CPlotObject& o)
{
    Require(SaneRect(o.GetRect()));
    if (const auto* label = dynamic_cast<const CPlotLabel*>(&o))
        Require(SaneFont(label->GetLogFont()));
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
    // A section that holds none of the parts is no chart (a file of zeros
    // would otherwise load as an empty one and clear the user's curves).
    Require((s.flags & (kStoreAppearance | kStoreCurvesAndAxes | kStoreObjects)) != 0);
    if (s.flags & kStoreAppearance) {
        UINT back, outer, inner;
        ar >> back >> outer >> inner;
        s.back = back;
        s.outer = outer;
        s.inner = inner;
        ar >> s.doubleBuffer >> s.showLegend >> s.legendAlignment >> s.snap >> s.snapRange;
        ar >> s.margins[0] >> s.margins[1] >> s.margins[2] >> s.margins[3];
        ar >> s.axisSpacing >> s.selectedCurve;
        for (int m : s.margins)
            Require(Within(m, 0, kMaxMargin));
        Require(Within(s.axisSpacing, 0, kMaxMargin));
        Require(Within(s.snapRange, 0, kMaxSnapRange));
    }
    if (s.flags & kStoreCurvesAndAxes) {
        ReadRecords(ar, this, s.curves, 4);
        ReadRecords(ar, this, s.xAxes, 4);
        ReadRecords(ar, this, s.yAxes, 4);
        for (auto& c : s.curves)
            CheckCurve(*c);
        for (auto* axes : {&s.xAxes, &s.yAxes})
            for (auto& a : *axes)
                CheckAxis(*a);
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
            // Only the chart's free objects belong in the list; an axis,
            // curve or bare base object there is damage. The object was
            // made by this read and is nobody else's.
            if (!object->IsKindOf(VX_RUNTIME_CLASS(CPlotLabel)) &&
                !object->IsKindOf(VX_RUNTIME_CLASS(CPlotDataNotation))) {
                delete object;
                throw CArchiveException(CArchiveException::badClass);
            }
            object->SetGraph(this);
            s.objects.emplace_back(object);
            CheckObject(*object);
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

namespace {

// Runs body on an open file: an archive, file or memory error abandons the
// file and answers false, so no exception leaves a message handler.
template <class Body>
bool Guarded(CFile& file, Body body)
{
    try {
        body();
        return true;
    } catch (const CArchiveException&) {
    } catch (const CFileException&) {
    } catch (const std::bad_alloc&) {
    }
    file.Abort();
    return false;
}

}  // namespace

namespace {

// The archive's file on the safe writer: the old file is replaced only once
// the whole chart was written, and a failure keeps its cause.
class SafeArchiveFile : public CFile {
public:
    explicit SafeArchiveFile(vx::SafeFileWriter& out) : m_out(out) {}
    void Write(const void* buffer, UINT count) override
    {
        if (!m_out.Write(buffer, count))
            throw CFileException(CFileException::CauseFromErrno(m_out.ErrorNumber()), m_out.ErrorNumber(),
                                 m_out.TargetPath());
    }

private:
    vx::SafeFileWriter& m_out;
};

}  // namespace

bool CPlot::Save(const char* fileName, UINT flags, CString* error)
{
    if (flags == 0)
        return false;
    // Display state: a stored chart starts without a tracked object.
    m_pCurrentObject = nullptr;
    m_pActiveTracker = nullptr;
    vx::SafeFileWriter out(fileName);
    SafeArchiveFile file(out);
    const bool written = !out.Failed() && Guarded(file, [&] {
        CArchive ar(&file, CArchive::store, 4096);
        Serialize(ar, flags);
        ar.Close();
    });
    if (written && out.Commit())
        return true;
    out.Abandon();
    if (error)
        *error = out.Failed() ? out.ErrorMessage() : CString(fileName ? fileName : "") + ": archive error";
    return false;
}

bool CPlot::Load(const char* fileName)
{
    CFile file;
    if (!fileName || !file.Open(fileName, CFile::modeRead))
        return false;
    LoadedSection section;
    const bool read = Guarded(file, [&] {
        CArchive ar(&file, CArchive::load, 4096);
        ReadSection(ar, section);
        ar.Close();
        file.Close();
    });
    if (!read)
        return false;
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
    // The page left its layout in the axes, curves and legend; the next
    // click must meet the window's.
    RestoreScreenLayout();
    return m_PrintRect;
}

void CPlot::RestoreScreenLayout()
{
    if (!IsWindow())
        return;
    CRect client;
    GetClientRect(&client);
    if (client.Width() > 0 && client.Height() > 0) {
        if (m_BackBuffer.width() != client.Width() || m_BackBuffer.height() != client.Height())
            m_BackBuffer = QImage(client.Width(), client.Height(), QImage::Format_RGB32);
        RenderTo(m_BackBuffer);
    }
    Invalidate(FALSE);
}

void CPlot::OnPrint()
{
    CPrintDialog dialog(FALSE, PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE, this);
    if (dialog.DoModal() != IDOK)
        return;
    CDCEx dc;
    if (dialog.CreatePrinterDC(dc)) {
        PrintOn(&dc);
        dc.DeleteDC();
        if (dialog.CommitPrintFile())
            return;
    }
    AfxMessageBox(dialog.FailureMessage(), MB_OK | MB_ICONERROR);
}

BOOL CPlot::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == kPrintCommand) {
        OnPrint();
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}
