// The chart's picture leaving the program: the .bmp of the last paint and
// the printed page.
#include "chart/Plot.h"
#include "platform/Bmp.h"
#include "platform/Modal.h"
#include "platform/Print.h"
#include "support_chart.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class ChartOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.Create("VxTestParent", "parent", WS_OVERLAPPED, CRect(0, 0, 320, 220), nullptr, 0));
        ASSERT_TRUE(plot.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &parent, 0));
        parent.ShowWindow(SW_SHOW);
        pts = Ramp(40, 0.0, 0.25, 1.5, -2.0);
        plot.SetData(pts.data(), static_cast<long>(pts.size()), 0, 0, 0, true, false, true);
    }
    void TearDown() override
    {
        CDCEx::SetScreenDpi(0);
        plot.DestroyWindow();
        parent.DestroyWindow();
    }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    static std::vector<BYTE> Bytes(const std::string& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static DWORD U32(const std::vector<BYTE>& b, size_t at)
    {
        DWORD v;
        std::memcpy(&v, b.data() + at, 4);
        return v;
    }

    FixedMetrics metrics;
    QTemporaryDir dir;
    CWnd parent;
    CPlot plot;
    std::vector<ChartPoint> pts;
};

}  // namespace

TEST_F(ChartOutput, BitmapOfTheLastPaintReadsBack)
{
    const std::string p = Path("chart.bmp");
    EXPECT_FALSE(plot.SaveBitmap(p.c_str()));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(p)));

    plot.SendMessage(WM_PAINT);
    ASSERT_TRUE(plot.SaveBitmap(p.c_str()));
    const auto b = Bytes(p);
    ASSERT_EQ(b.size(), 58u + 300u * 200u * 4u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 10), 58u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(static_cast<int>(U32(b, 22)), 200);  // positive: bottom-up
    EXPECT_EQ(b[28], 32);

    const QImage back = vx::DecodeBmp(b.data(), b.size());
    ASSERT_FALSE(back.isNull());
    const QImage shot = plot.GetSnapshot().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(back.size(), shot.size());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), shot);

    // An independent reader accepts the file as well.
    const std::string cmd = "identify -format '%w %h' '" + p + "' 2>/dev/null";
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char line[64] = {};
        const bool got = fgets(line, sizeof line, f) != nullptr;
        const int rc = pclose(f);
        if (got || rc == 0) {
            EXPECT_EQ(rc, 0);
            EXPECT_STREQ(line, "300 200");
        }
    }
    EXPECT_FALSE(plot.SaveBitmap(Path("no/dir/c.bmp").c_str()));
}

TEST_F(ChartOutput, PrintLaysOutInScreenPixelsAndScalesToThePage)
{
    // The printer has four times the screen's resolution.
    CDCEx::SetScreenDpi(kPrinterDpi / 4);
    const std::string pdf = Path("chart.pdf");
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, CString(pdf.c_str()), 0, {}});
    CPrintDialog dlg(FALSE);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    CDCEx dc;
    ASSERT_TRUE(dlg.CreatePrinterDC(dc));
    const int w = dc.GetDeviceCaps(HORZRES), h = dc.GetDeviceCaps(VERTRES);
    const CRect page = plot.PrintOn(&dc);
    EXPECT_EQ(page, CRect(0, 0, w / 4, h / 4));
    EXPECT_FLOAT_EQ(dc.m_fXScale, 4.0f);
    // The page was laid out larger than the window, and the window's own
    // layout is back at once: a click on the X axis meets it.
    EXPECT_GT(page.Width(), 300);
    EXPECT_LT(plot.GetPlotRect().Width(), 300);
    const CPoint onAxis = plot.GetXAxis(0).GetRect().CenterPoint();
    EXPECT_LT(onAxis.y, 200);
    plot.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onAxis.x, onAxis.y));
    plot.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(onAxis.x, onAxis.y));
    EXPECT_TRUE(plot.GetXAxis(0).m_bSelected);
    dc.DeleteDC();
    ASSERT_TRUE(dlg.CommitPrintFile());
    EXPECT_GT(QFile(QString::fromStdString(pdf)).size(), 0);
}

TEST_F(ChartOutput, PrintCommandAsksForThePrinter)
{
    const std::string pdf = Path("cancel.pdf");
    vx::ModalScript::Clear();
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDCANCEL, CString(pdf.c_str()), 0, {}});
    plot.SendMessage(WM_COMMAND, CPlot::kPrintCommand);
    ASSERT_EQ(vx::ModalScript::Calls().size(), 1u);
    EXPECT_EQ(vx::ModalScript::Calls().back().kind, vx::ModalKind::Print);
    // The chart asks to hide print to file; it is offered all the same.
    EXPECT_EQ(vx::ModalScript::Calls().back().flags, 0x4000Cu);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pdf)));

    const std::string ok = Path("ok.pdf");
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, CString(ok.c_str()), 0, {}});
    plot.OnPrint();
    EXPECT_GT(QFile(QString::fromStdString(ok)).size(), 0);
}
