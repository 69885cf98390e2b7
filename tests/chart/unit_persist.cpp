// The chart's stored state: the section's layout, a whole chart through a
// file and back, and damaged files that must leave the chart untouched.
#include "chart/Plot.h"
#include "chart/PlotLabel.h"
#include "platform/Archive.h"
#include "platform/File.h"
#include "support_chart.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class Persist : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    static std::vector<BYTE> Bytes(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static void Put(const std::string& p, const std::vector<BYTE>& b)
    {
        std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(b.data()),
                                                                   static_cast<std::streamsize>(b.size()));
    }
    static int32_t I32(const std::vector<BYTE>& b, size_t at)
    {
        int32_t v;
        std::memcpy(&v, b.data() + at, 4);
        return v;
    }
    QTemporaryDir dir;
};

// Two curves on two Y axes, a label, a notation and a measurement.
void Fill(CPlot& plot)
{
    auto a = Ramp(50, 0.0, 0.1, 2.0, 1.0);
    auto b = Ramp(20, -1.0, 0.5, -1.0, 0.0);
    plot.SetData(a.data(), static_cast<long>(a.size()), 0, 0, 0, true, true, true)->SetLabel("force");
    plot.SetData(b.data(), static_cast<long>(b.size()), 1, 0, 1, true, true, true)->SetLabel("torque");
    plot.GetYAxis(1).SetLabel("N m");
    plot.SelectCurve(1);
    plot.SetBackColor(RGB(1, 2, 3));
    plot.SetOuterColor(RGB(4, 5, 6));
    plot.SetInnerColor(RGB(7, 8, 9));
    plot.SetShowLegend(false);
    plot.SetLegendAlignment(0);
    plot.SetSnap(false);
    plot.SetSnapRange(17);
    plot.SetMargins(1, 2, 3, 4);
    plot.SetAxisSpacing(9);
    plot.SetDoubleBuffer(false);
    plot.InsertLabel("first label");
    auto* note = new CPlotDataNotation;
    note->Set(1.0, 3.0, 0, 10, "peak");
    plot.AddObject(note);
    plot.GetMeasures().push_back({0, 1, 1, 2});
}

int ObjectCount(CPlot& plot) { return static_cast<int>(plot.GetObjects().GetCount()); }

}  // namespace

TEST_F(Persist, WholeChartRoundTrip)
{
    CPlot src;
    Fill(src);
    const std::string p = Path("chart.bin");
    ASSERT_TRUE(src.Save(p.c_str(), 7));

    CPlot dst;
    auto old = Ramp(5, 0, 1, 1, 0);
    dst.SetData(old.data(), 5, 0, 0, 0, true, true, true);
    ASSERT_TRUE(dst.Load(p.c_str()));
    ASSERT_EQ(dst.GetCurveCount(), 2);
    ASSERT_EQ(dst.GetXAxisCount(), 1);
    ASSERT_EQ(dst.GetYAxisCount(), 2);
    EXPECT_EQ(dst.GetCurve(0).GetCount(), 50);
    EXPECT_TRUE(dst.GetCurve(0).OwnsPoints());
    EXPECT_DOUBLE_EQ(dst.GetCurve(0).GetY(49), src.GetCurve(0).GetY(49));
    EXPECT_EQ(dst.GetCurve(1).GetLabel(), "torque");
    EXPECT_EQ(dst.GetCurve(1).GetYAxisIndex(), 1);
    EXPECT_EQ(dst.GetCurve(1).GetGraph(), &dst);
    EXPECT_EQ(dst.GetYAxis(1).GetLabel(), "N m");
    EXPECT_EQ(dst.GetYAxis(1).GetKind(), 1);
    EXPECT_EQ(dst.GetSelectedCurve(), 1);
    EXPECT_EQ(dst.GetBackColor(), RGB(1, 2, 3));
    EXPECT_EQ(dst.GetInnerColor(), RGB(7, 8, 9));
    EXPECT_FALSE(dst.GetShowLegend());
    EXPECT_FALSE(dst.GetDoubleBuffer());
    EXPECT_EQ(dst.GetSnapRange(), 17);
    int l, t, r, b;
    dst.GetMargins(&l, &t, &r, &b);
    EXPECT_EQ(std::vector<int>({l, t, r, b}), std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(dst.GetAxisSpacing(), 9);
    ASSERT_EQ(dst.GetMeasures().size(), 1u);
    EXPECT_EQ(dst.GetMeasures()[0].point2, 2);

    // Read-out box first, then the stored objects in their order.
    ASSERT_EQ(ObjectCount(dst), 3);
    POSITION pos = dst.GetObjects().GetHeadPosition();
    EXPECT_EQ(dst.GetObjects().GetNext(pos), &dst.GetReadout());
    auto* label = dynamic_cast<CPlotLabel*>(dst.GetObjects().GetNext(pos));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetText(), "first label");
    EXPECT_EQ(label->GetGraph(), &dst);
    EXPECT_NE(dynamic_cast<CPlotDataNotation*>(dst.GetObjects().GetNext(pos)), nullptr);

    // Storing again gives the same bytes: nothing is lost or reordered.
    const std::string q = Path("again.bin");
    ASSERT_TRUE(dst.Save(q.c_str(), 7));
    EXPECT_EQ(Bytes(p), Bytes(q));
}

TEST_F(Persist, SectionLayoutAndObjectCount)
{
    CPlot plot;
    Fill(plot);
    const std::string p = Path("a.bin");
    ASSERT_TRUE(plot.Save(p.c_str(), 1));
    const auto b = Bytes(p);
    // Flag word, three colours, 1 + 1 + 4 + 1 + 4 bytes, four margins, spacing, selection.
    ASSERT_EQ(b.size(), 4u + 12 + 11 + 16 + 4 + 4);
    EXPECT_EQ(I32(b, 0), 1);
    EXPECT_EQ(static_cast<COLORREF>(I32(b, 4)), RGB(1, 2, 3));
    EXPECT_EQ(b[16], 0);  // double buffer
    EXPECT_EQ(I32(b, 18), 0);   // legend alignment
    EXPECT_EQ(I32(b, 23), 17);  // snap range
    EXPECT_EQ(I32(b, 27), 1);   // left margin
    EXPECT_EQ(I32(b, 47), 1);   // selected curve

    ASSERT_TRUE(plot.Save(p.c_str(), 4));
    const auto o = Bytes(p);
    EXPECT_EQ(I32(o, 0), 4);
    EXPECT_EQ(I32(o, 4), 1);          // one measurement
    EXPECT_EQ(I32(o, 8 + 16), 2);     // read-out box left out
}

TEST_F(Persist, AppearanceOnlyLoadEmptiesTheRestButKeepsMeasures)
{
    CPlot src;
    Fill(src);
    const std::string p = Path("look.bin");
    ASSERT_TRUE(src.Save(p.c_str(), 1));
    CPlot dst;
    Fill(dst);
    dst.SetBackColor(RGB(200, 200, 200));
    ASSERT_TRUE(dst.Load(p.c_str()));
    EXPECT_EQ(dst.GetBackColor(), RGB(1, 2, 3));
    EXPECT_EQ(dst.GetCurveCount(), 0);
    EXPECT_EQ(dst.GetXAxisCount(), 0);
    EXPECT_EQ(ObjectCount(dst), 1);
    EXPECT_EQ(dst.GetMeasures().size(), 1u);
}

TEST_F(Persist, NothingToSaveOrNoFile)
{
    CPlot plot;
    const std::string p = Path("zero.bin");
    EXPECT_FALSE(plot.Save(p.c_str(), 0));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(p)));
    EXPECT_FALSE(plot.Save(Path("no/dir/x.bin").c_str(), 7));
    EXPECT_FALSE(plot.Load(Path("missing.bin").c_str()));
}

TEST_F(Persist, DamagedFileThrowsAndTheChartKeepsItsState)
{
    CPlot src;
    Fill(src);
    const std::string p = Path("full.bin");
    ASSERT_TRUE(src.Save(p.c_str(), 7));
    const auto good = Bytes(p);

    auto expectUntouched = [&](const std::vector<BYTE>& damaged) {
        Put(p, damaged);
        CPlot dst;
        auto pts = Ramp(3, 0, 1, 1, 0);
        dst.SetData(pts.data(), 3, 0, 0, 0, true, true, true);
        dst.InsertLabel("mine");
        dst.SetBackColor(RGB(9, 9, 9));
        EXPECT_THROW(dst.Load(p.c_str()), CArchiveException);
        EXPECT_EQ(dst.GetCurveCount(), 1);
        EXPECT_EQ(dst.GetCurve(0).GetCount(), 3);
        EXPECT_EQ(ObjectCount(dst), 2);
        EXPECT_EQ(dst.GetBackColor(), RGB(9, 9, 9));
    };
    // Cut inside the objects, inside the curves, and a huge curve count.
    expectUntouched(std::vector<BYTE>(good.begin(), good.end() - 5));
    expectUntouched(std::vector<BYTE>(good.begin(), good.begin() + 200));
    auto huge = good;
    const int n = 0x7FFFFFF0;
    std::memcpy(huge.data() + 51, &n, 4);
    expectUntouched(huge);
}

TEST_F(Persist, SerializeAppendsToWhatTheChartHolds)
{
    CPlot src;
    Fill(src);
    const std::string p = Path("part.bin");
    ASSERT_TRUE(src.Save(p.c_str(), 2));
    CPlot dst;
    Fill(dst);
    CFile f(p.c_str(), CFile::modeRead);
    CArchive ar(&f, CArchive::load);
    dst.Serialize(ar, 0);
    EXPECT_EQ(dst.GetCurveCount(), 4);
    EXPECT_EQ(dst.GetYAxisCount(), 4);
    EXPECT_EQ(ObjectCount(dst), 3);
}
