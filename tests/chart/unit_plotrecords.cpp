// Stored records of the chart objects: exact bytes, round trips, and
// damaged files that must fail cleanly.
#include "chart/Plot.h"
#include "chart/PlotRecords.h"
#include "platform/Archive.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

class Records : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }

    template <class Fn>
    std::vector<unsigned char> Store(Fn fn)
    {
        const std::string path = Path("out.bin");
        {
            CFile f;
            EXPECT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
            CArchive ar(&f, CArchive::store);
            fn(ar);
            ar.Close();
            f.Close();
        }
        std::ifstream in(path, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
    }

    template <class Fn>
    void Load(const std::vector<unsigned char>& bytes, Fn fn)
    {
        const std::string path = Path("in.bin");
        {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
        CArchive ar(&f, CArchive::load);
        fn(ar);
    }
};

int I32(const std::vector<unsigned char>& b, size_t at)
{
    int v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

double F64(const std::vector<unsigned char>& b, size_t at)
{
    double v;
    std::memcpy(&v, &b[at], 8);
    return v;
}

}  // namespace

TEST_F(Records, BaseRecordIs27BytesInFieldOrder)
{
    CPlotObject o;
    o.m_bSelected = true;
    o.m_bTrackPermit2 = true;
    o.m_bEditable = false;
    o.SetRect(-1, 2, 300, 400);
    o.SetColor(RGB(1, 2, 3));
    const auto b = Store([&](CArchive& ar) { o.Serialize(ar); });
    ASSERT_EQ(b.size(), 27u);
    const unsigned char flags[7] = {1, 0, 1, 0, 0, 1, 0};
    EXPECT_EQ(0, std::memcmp(b.data(), flags, 7));
    EXPECT_EQ(I32(b, 7), -1);
    EXPECT_EQ(I32(b, 11), 2);
    EXPECT_EQ(I32(b, 15), 300);
    EXPECT_EQ(I32(b, 19), 400);
    EXPECT_EQ(static_cast<COLORREF>(I32(b, 23)), RGB(1, 2, 3));

    CPlotObject back;
    Load(b, [&](CArchive& ar) { back.Serialize(ar); });
    EXPECT_TRUE(back.m_bSelected && back.m_bTrackPermit2 && back.m_bVisible);
    EXPECT_FALSE(back.m_bEditable || back.m_bTrackPermit1);
    EXPECT_EQ(back.GetRect(), CRect(-1, 2, 300, 400));
    EXPECT_EQ(back.GetGraph(), nullptr);
}

TEST_F(Records, AxisRecordWithOneBandAndOneMarker)
{
    CPlotAxis a;
    a.SetKind(1);
    a.SetLabel("Nm");
    ASSERT_TRUE(a.SetRange(-2, 8));
    PlotValueBand band;
    band.from = 1;
    band.to = 2;
    band.color = RGB(9, 9, 9);
    std::memset(band.text, 'x', sizeof band.text);  // unterminated on purpose
    a.PutValueBand(0, band);
    PlotValueMarker m = a.MakeValueMarker(3.5, 0);
    m.text = "never stored";
    a.PutValueMarker(0, m);

    const auto b = Store([&](CArchive& ar) { a.Serialize(ar); });
    const size_t strings = (4 + 5) + (4 + 2);  // "%5.3f", "Nm"
    ASSERT_EQ(b.size(), 241u + strings + 288u + 88u);
    // The band text is cut to 259 characters and terminated.
    const size_t bandAt = 3 + strings + 5 * 8 + 5 * 4 + 3 * 4 + 8 + 1 + 8 + 8 + 3 * 4 + 1 + 4;
    EXPECT_DOUBLE_EQ(F64(b, bandAt), 1.0);
    EXPECT_EQ(b[bandAt + 28 + 258], 'x');
    EXPECT_EQ(b[bandAt + 28 + 259], 0);
    const size_t markerAt = bandAt + 288 + 4;
    EXPECT_DOUBLE_EQ(F64(b, markerAt), 3.5);
    EXPECT_EQ(b[markerAt + 12], 1);
    EXPECT_EQ(b[markerAt + 13], 1);
    EXPECT_EQ(b[markerAt + 14], 0);
    EXPECT_EQ(b[markerAt + 15], 0);
    EXPECT_EQ(b[markerAt + 22], 0);
    for (int k = 84; k < 88; ++k)
        EXPECT_EQ(b[markerAt + k], 0) << k;
    EXPECT_EQ(0, std::memcmp(&b[markerAt + 24 + 28], "Arial", 6));

    CPlotAxis back;
    back.SetLinear(false);
    Load(b, [&](CArchive& ar) { back.Serialize(ar); });
    EXPECT_EQ(back.GetKind(), 1);
    EXPECT_EQ(back.GetLabel(), CString("Nm"));
    EXPECT_TRUE(back.IsLinear());
    double lo, hi, step;
    back.GetRange(&lo, &hi, &step);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, 8);
    ASSERT_EQ(back.GetValueBandCount(), 1);
    EXPECT_EQ(std::strlen(back.GetValueBand(0)->text), 259u);
    ASSERT_EQ(back.GetValueMarkerCount(), 1);
    EXPECT_TRUE(back.GetValueMarker(0)->text.IsEmpty());
    EXPECT_EQ(back.GetValueMarker(0)->color, a.GetColor());
}

TEST_F(Records, SeriesRecordAndOwnership)
{
    ChartPoint pts[2] = {{1.5, -2}, {3, 4}};
    CPlotDataSerie s;
    s.SetPoints(pts, 2, false);
    s.SetFillPartner(-1);
    s.SetLabel("F");
    const auto b = Store([&](CArchive& ar) { s.Serialize(ar); });
    ASSERT_EQ(b.size(), 27u + 61u + 32u + 4u + 1u);
    EXPECT_EQ(I32(b, 27), 2);
    EXPECT_DOUBLE_EQ(F64(b, 31), 1.5);
    EXPECT_DOUBLE_EQ(F64(b, 55), 4.0);
    const size_t after = 27 + 4 + 32;
    EXPECT_EQ(I32(b, after + 20), 1);   // line width
    EXPECT_EQ(I32(b, after + 24), 6);   // fill style
    EXPECT_EQ(b[after + 44], 0);        // show markers
    EXPECT_EQ(b[after + 46], 1);        // transparent fill
    EXPECT_EQ(b[after + 47], 0xFF);     // fill partner -1, 16 bits
    EXPECT_EQ(b[after + 48], 0xFF);

    CPlotDataSerie back;
    Load(b, [&](CArchive& ar) { back.Serialize(ar); });
    EXPECT_TRUE(back.OwnsPoints());
    EXPECT_NE(back.GetPoints(), pts);
    ASSERT_EQ(back.GetCount(), 2);
    EXPECT_EQ(back.GetY(0), -2);
    EXPECT_EQ(back.GetFillPartner(), -1);
    EXPECT_EQ(back.GetLabel(), CString("F"));
    CPlotDataSerie copy(back);
    EXPECT_TRUE(copy.OwnsPoints());
    EXPECT_NE(copy.GetPoints(), back.GetPoints());
}

TEST_F(Records, DamagedRecordsFailWithTheArchiveError)
{
    ChartPoint pts[3] = {{1, 1}, {2, 2}, {3, 3}};
    CPlotDataSerie s;
    s.SetPoints(pts, 3, false);
    auto b = Store([&](CArchive& ar) { s.Serialize(ar); });
    auto truncated = b;
    truncated.resize(b.size() - 10);
    Load(truncated, [&](CArchive& ar) {
        CPlotDataSerie t;
        EXPECT_THROW(t.Serialize(ar), CArchiveException);
    });
    auto huge = b;
    huge[27] = 0xFF;
    huge[28] = 0xFF;
    huge[29] = 0xFF;
    huge[30] = 0x7F;
    Load(huge, [&](CArchive& ar) {
        CPlotDataSerie t;
        EXPECT_THROW(t.Serialize(ar), CArchiveException);
        EXPECT_EQ(t.GetCount(), 0);
    });
}

TEST_F(Records, LabelsAndNotationsRoundTripAsObjects)
{
    CPlotLabel label;
    label.SetText("Peak\r\nhere");
    label.SetAlignment(1);
    label.SetConnectedCurve(2);
    label.SetRect(10, 20, 110, 70);
    CPlotDataNotation note;
    note.Set(1.25, -3, 0, 4, "[5] : 1.250 s,-3.000 Nm");
    note.m_bLaidOut = true;
    const auto b = Store([&](CArchive& ar) {
        ar.WriteObject(&label);
        ar.WriteObject(&note);
    });
    Load(b, [&](CArchive& ar) {
        CPlotObject* first = nullptr;
        CPlotObject* second = nullptr;
        ar >> first;
        ar >> second;
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        auto* l = dynamic_cast<CPlotLabel*>(first);
        auto* n = dynamic_cast<CPlotDataNotation*>(second);
        ASSERT_NE(l, nullptr);
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(l->GetText(), CString("Peak\r\nhere"));
        EXPECT_EQ(l->GetAlignment(), 1u);
        EXPECT_EQ(l->GetConnectedCurve(), 2);
        EXPECT_EQ(l->GetRect(), CRect(10, 20, 110, 70));
        EXPECT_TRUE(l->CanTrack());
        EXPECT_EQ(n->m_strText, note.m_strText);
        EXPECT_EQ(n->m_nPoint, 4);
        EXPECT_FALSE(n->m_bLaidOut);  // lays itself out again
        EXPECT_FALSE(n->CanTrack());
        delete first;
        delete second;
    });
}
