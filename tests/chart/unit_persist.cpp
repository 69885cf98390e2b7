// The chart's stored state: the section's layout, a whole chart through a
// file and back, and damaged files that must leave the chart untouched.
#include "chart/Plot.h"
#include "chart/PlotLabel.h"
#include "platform/Archive.h"
#include "platform/File.h"
#include "support_chart.h"
#include "tests/support/Bounded.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

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

TEST_F(Persist, DamagedFileFailsAndTheChartKeepsItsState)
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
        bool loaded = true;
        EXPECT_NO_THROW(loaded = dst.Load(p.c_str()));
        EXPECT_FALSE(loaded);
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
    // Zeros name none of the parts: no chart at all.
    expectUntouched(std::vector<BYTE>(64, 0));

    // Only labels and notations belong in the object list.
    {
        CFile f(p.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        CPlotAxis stray;
        ar << UINT(4) << UINT(0) << int(1);
        ar.WriteObject(&stray);
        ar.Close();
    }
    expectUntouched(Bytes(p));
}

TEST_F(Persist, GeometryNoScreenCouldShowIsDamage)
{
    // Each of these once kept a paint busy for minutes or overflowed the
    // pixel arithmetic.
    const std::vector<std::function<void(CPlot&)>> damage = {
        [](CPlot& c) { c.SetMargins(5, 5, 0x40000000, 5); },
        [](CPlot& c) { c.SetMargins(-3, 5, 5, 5); },
        [](CPlot& c) { c.SetAxisSpacing(1 << 24); },
        [](CPlot& c) { c.SetSnapRange(1 << 20); },
        [](CPlot& c) { c.GetYAxis(0).m_nArrowSize = 50000000; },
        [](CPlot& c) { c.GetXAxis(0).m_nTickSize = -100000; },
        [](CPlot& c) { c.GetXAxis(0).m_nKeySize = 1 << 28; },
        [](CPlot& c) { c.GetYAxis(1).m_dGap = 1e300; },
        [](CPlot& c) { c.GetYAxis(1).m_dKeyExtent = std::nan(""); },
        [](CPlot& c) { c.GetXAxis(0).m_dShownMax = std::nan(""); },
        [](CPlot& c) { c.GetYAxis(0).m_lfScale.lfHeight = 1 << 20; },
        [](CPlot& c) {
            c.GetYAxis(0).PutValueMarker(0, c.GetYAxis(0).MakeValueMarker(1.0, 0));
            c.GetYAxis(0).GetValueMarker(0)->penWidth = 30000;
        },
        [](CPlot& c) { c.GetCurve(0).SetLineSize(1 << 26); },
        [](CPlot& c) { c.GetCurve(1).SetMarkerSize(-1); },
        [](CPlot& c) { c.InsertLabel("big")->SetRect(0, 0, 0x7FFFFFF0, 10); },
        [](CPlot& c) {
            CPlotLabel* label = c.InsertLabel("font");
            LOGFONT lf = label->GetLogFont();
            lf.lfHeight = -900000;
            label->SetFont(lf);
        },
        [](CPlot& c) {
            CPlotLabel* label = c.InsertLabel("turned");
            LOGFONT lf = label->GetLogFont();
            lf.lfEscapement = INT_MIN;
            label->SetFont(lf);
        },
    };
    const std::string p = Path("geometry.bin");
    for (size_t i = 0; i < damage.size(); ++i) {
        SCOPED_TRACE(i);
        CPlot src;
        Fill(src);
        damage[i](src);
        ASSERT_TRUE(src.Save(p.c_str(), 7));
        CPlot dst;
        dst.SetBackColor(RGB(9, 9, 9));
        EXPECT_FALSE(dst.Load(p.c_str()));
        EXPECT_EQ(dst.GetBackColor(), RGB(9, 9, 9));
        EXPECT_EQ(dst.GetCurveCount(), 0);
    }
    // The edges of what is accepted.
    CPlot src;
    Fill(src);
    src.SetMargins(0, 4096, 0, 4096);
    src.GetYAxis(0).m_nArrowSize = 200;
    ASSERT_TRUE(src.Save(p.c_str(), 7));
    CPlot dst;
    EXPECT_TRUE(dst.Load(p.c_str()));
}

TEST_F(Persist, WriteErrorsAreAnswerNotThrown)
{
    CPlot plot;
    Fill(plot);
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    bool saved = true;
    EXPECT_NO_THROW(saved = plot.Save("/dev/full", 7));
    EXPECT_FALSE(saved);
    EXPECT_TRUE(QFileInfo(QStringLiteral("/dev/full")).exists());
}

// A pipe nobody writes (or a device) is refused before it is opened: the
// load must not wait for the pipe's other end.
TEST_F(Persist, LoadingAPipeRefusesItWithoutWaiting)
{
    CPlot plot;
    Fill(plot);
    const std::string fifo = Path("chart.pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    bool loaded = true;
    EXPECT_TRUE(FinishesWithin(kHangLimit, [&] { loaded = plot.Load(fifo.c_str()); }, [&] { OpenOtherEnd(fifo, true); }));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(plot.GetCurveCount(), 2);
}

TEST_F(Persist, AFullDiskKeepsTheOldFileWholeAndNamesTheCause)
{
    CPlot small;
    const std::string p = Path("chart.bin");
    ASSERT_TRUE(small.Save(p.c_str(), 1));
    const auto old = Bytes(p);
    CPlot big;
    Fill(big);
    CString error;
    {
        FileSizeLimit full(old.size() + 10);
        EXPECT_FALSE(big.Save(p.c_str(), 7, &error));
    }
    EXPECT_EQ(Bytes(p), old);
    EXPECT_EQ(error, CString(p + ": ") + FullDiskReason());
}

// A small chart whose archive is kept as a file: what this program writes
// must stay readable by what it wrote before, byte for byte.
TEST_F(Persist, ArchiveMatchesTheGoldenFileBothWays)
{
    CPlot plot;
    ChartPoint pts[2] = {{0.0, 1.0}, {2.0, -3.5}};
    plot.SetData(pts, 2, 0, 0, 0, true, true, true)->SetLabel("F");
    plot.GetXAxis(0).SetLabel("s");
    plot.InsertLabel("hello");
    auto* note = new CPlotDataNotation;
    note->Set(2.0, -3.5, 0, 1, "end");
    plot.AddObject(note);
    plot.GetMeasures().push_back({0, 0, 0, 1});
    const std::string mine = Path("mine.bin");
    ASSERT_TRUE(plot.Save(mine.c_str(), 7));
    const std::string golden = std::string(VX35_SOURCE_DIR) + "/tests/data/chart_archive_golden.bin";
    if (std::getenv("VX35_WRITE_GOLDEN"))
        Put(golden, Bytes(mine));
    const auto want = Bytes(golden);
    ASSERT_FALSE(want.empty()) << golden;
    EXPECT_EQ(Bytes(mine), want);

    // Fields a reader of the format relies on, at their places.
    EXPECT_EQ(I32(want, 0), 7);
    EXPECT_EQ(I32(want, 51), 1);  // one curve, right after the 51-byte look
    const std::string bytes(want.begin(), want.end());
    const size_t label = bytes.find("CPlotLabel");
    ASSERT_NE(label, std::string::npos);
    EXPECT_EQ(bytes[label - 4], 1);   // schema
    EXPECT_EQ(bytes[label - 2], 10);  // name length
    EXPECT_NE(bytes.find("CPlotDataNotation"), std::string::npos);

    CPlot back;
    ASSERT_TRUE(back.Load(golden.c_str()));
    const std::string again = Path("again.bin");
    ASSERT_TRUE(back.Save(again.c_str(), 7));
    EXPECT_EQ(Bytes(again), want);
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

// Run under ASan: nothing the chart keeps may point into a curve or object
// that deleting or loading freed.
TEST_F(Persist, NothingPointsIntoFreedCurvesOrObjects)
{
    const std::string file = Path("other.bin");
    {
        CPlot other;
        auto pts = Ramp(4, 0, 1, 1, 0);
        other.SetData(pts.data(), 4, 0, 0, 0, true, true, true);
        ASSERT_TRUE(other.Save(file.c_str(), 7));
    }
    TestPlot plot;
    Fill(plot);
    QImage img = BlankImage(400, 300);
    // Legend rows name curves; the next click walks them.
    plot.SetShowLegend(true);
    plot.RenderTo(img);
    ASSERT_FALSE(plot.GetLegendEntries().empty());
    ASSERT_TRUE(plot.DeleteCurve(1));
    plot.HitTest(false, false);
    plot.RenderTo(img);
    plot.DeleteAll();
    plot.HitTest(false, false);

    // A selected label's tracker answers the cursor question.
    Fill(plot);
    plot.RenderTo(img);
    CPlotLabel* label = plot.InsertLabel("note");
    label->SetRect(100, 100, 160, 130);
    plot.m_MousePoint = CPoint(120, 110);
    plot.HitTest(false, false);
    ASSERT_NE(plot.m_pActiveTracker, nullptr);
    ASSERT_TRUE(plot.Load(file.c_str()));
    EXPECT_EQ(plot.m_pActiveTracker, nullptr);
    plot.OnSetCursor(&plot, 0, 0);
    plot.HitTest(false, false);

    // Saving ends the tracking as well.
    plot.InsertLabel("again")->SetRect(100, 100, 160, 130);
    plot.HitTest(false, false);
    ASSERT_NE(plot.m_pActiveTracker, nullptr);
    ASSERT_TRUE(plot.Save(file.c_str(), 7));
    EXPECT_EQ(plot.m_pActiveTracker, nullptr);
}
