#include "chart/PlotObject.h"

#include "chart/PlotAxis.h"
#include "chart/PlotRecords.h"
#include "platform/File.h"

#include <algorithm>
#include <cstring>

VX_IMPLEMENT_SERIAL(CPlotObject, CObject, 1)

CPlotObject::CPlotObject()
{
    m_clRect.SetRectEmpty();
}

CPlotObject::CPlotObject(const CPlotObject& other)
    : CObject(other),
      m_clRect(other.m_clRect),
      m_bSelected(other.m_bSelected),
      m_bEditing(other.m_bEditing),
      m_bTrackPermit1(other.m_bTrackPermit1),
      m_bTrackPermit2(other.m_bTrackPermit2),
      m_bTracking(other.m_bTracking),
      m_bVisible(other.m_bVisible),
      m_bEditable(other.m_bEditable),
      m_crColor(other.m_crColor),
      m_pGraph(other.m_pGraph),
      m_bProtected(other.m_bProtected)
{
    m_Tracker.m_rect = other.m_Tracker.m_rect;
    m_Tracker.m_nStyle = other.m_Tracker.m_nStyle;
}

CPlotObject::~CPlotObject() = default;

void CPlotObject::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_bSelected << m_bTrackPermit1 << m_bTrackPermit2 << m_bTracking << m_bEditing
           << m_bVisible << m_bEditable;
        ar << static_cast<int>(m_clRect.left) << static_cast<int>(m_clRect.top)
           << static_cast<int>(m_clRect.right) << static_cast<int>(m_clRect.bottom);
        ar << static_cast<UINT>(m_crColor);
    } else {
        ar >> m_bSelected >> m_bTrackPermit1 >> m_bTrackPermit2 >> m_bTracking >> m_bEditing >>
            m_bVisible >> m_bEditable;
        int l, t, r, b;
        ar >> l >> t >> r >> b;
        m_clRect.SetRect(l, t, r, b);
        UINT c;
        ar >> c;
        m_crColor = c;
    }
}

void CPlotObject::Draw(CDCEx*) {}
void CPlotObject::Edit() {}
void CPlotObject::EndEdit() {}
void CPlotObject::InvokeProperties() {}

void CPlotObject::Select()
{
    m_bTracking = true;
    m_Tracker.m_nStyle = CRectTracker::resizeOutside | CRectTracker::hatchedBorder;
    m_Tracker.m_rect = m_clRect;
}

void CPlotObject::Unselect() { m_bTracking = false; }

// ---- fixed records ---------------------------------------------------------

namespace PlotRecords {

void WriteZeros(CArchive& ar, int n)
{
    static const BYTE zeros[64] = {};
    while (n > 0) {
        const int k = std::min(n, 64);
        ar.Write(zeros, static_cast<UINT>(k));
        n -= k;
    }
}

void Skip(CArchive& ar, int n)
{
    BYTE buf[64];
    while (n > 0) {
        const int k = std::min(n, 64);
        ar.ReadExact(buf, static_cast<UINT>(k));
        n -= k;
    }
}

void CheckCount(CArchive& ar, unsigned long long count, unsigned recordSize)
{
    CFile* f = ar.GetFile();
    const unsigned long long length = f ? f->GetLength() : 0;
    if (count * recordSize > length)
        throw CArchiveException(CArchiveException::endOfFile);
}

void WriteLogFont(CArchive& ar, const LOGFONT& lf)
{
    ar << static_cast<int>(lf.lfHeight) << static_cast<int>(lf.lfWidth)
       << static_cast<int>(lf.lfEscapement) << static_cast<int>(lf.lfOrientation)
       << static_cast<int>(lf.lfWeight);
    ar << lf.lfItalic << lf.lfUnderline << lf.lfStrikeOut << lf.lfCharSet << lf.lfOutPrecision
       << lf.lfClipPrecision << lf.lfQuality << lf.lfPitchAndFamily;
    char face[LF_FACESIZE] = {};
    std::memcpy(face, lf.lfFaceName, LF_FACESIZE - 1);
    ar.Write(face, LF_FACESIZE);
}

void ReadLogFont(CArchive& ar, LOGFONT& lf)
{
    int v[5];
    for (int& x : v)
        ar >> x;
    lf.lfHeight = v[0];
    lf.lfWidth = v[1];
    lf.lfEscapement = v[2];
    lf.lfOrientation = v[3];
    lf.lfWeight = v[4];
    ar >> lf.lfItalic >> lf.lfUnderline >> lf.lfStrikeOut >> lf.lfCharSet >> lf.lfOutPrecision >>
        lf.lfClipPrecision >> lf.lfQuality >> lf.lfPitchAndFamily;
    ar.ReadExact(lf.lfFaceName, LF_FACESIZE);
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
}

void WriteBand(CArchive& ar, const PlotValueBand& b)
{
    ar << b.from << b.to << static_cast<UINT>(b.color) << static_cast<UINT>(b.color2) << b.fillStyle;
    char text[260] = {};
    std::memcpy(text, b.text, 259);
    ar.Write(text, 260);
}

void ReadBand(CArchive& ar, PlotValueBand& b)
{
    UINT c1, c2;
    ar >> b.from >> b.to >> c1 >> c2 >> b.fillStyle;
    b.color = c1;
    b.color2 = c2;
    ar.ReadExact(b.text, 260);
    b.text[259] = '\0';
}

void WriteMarker(CArchive& ar, const PlotValueMarker& m)
{
    ar << m.value << static_cast<UINT>(m.color) << m.first << m.showText;
    WriteZeros(ar, 2);
    ar << m.penStyle << m.penWidth;
    WriteZeros(ar, 2);
    WriteLogFont(ar, m.font);
    // The text slot held a pointer; it carries nothing.
    WriteZeros(ar, 4);
}

void ReadMarker(CArchive& ar, PlotValueMarker& m)
{
    UINT c;
    ar >> m.value >> c >> m.first >> m.showText;
    m.color = c;
    Skip(ar, 2);
    ar >> m.penStyle >> m.penWidth;
    Skip(ar, 2);
    ReadLogFont(ar, m.font);
    Skip(ar, 4);
    m.text.Empty();
}

}  // namespace PlotRecords
