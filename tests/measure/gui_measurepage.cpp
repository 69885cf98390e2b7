// The measure page with a recording port and a scripted device on the
// manual clock: the conversation's bytes and times through the page, the
// boxes, Stop, the 200 ms refresh, the texts and the device keys.
#include "tests/measure/MeasurePageRig.h"

#include "platform/Text1252.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

// Waits (real time) until the tick thread has written n more bytes.
bool WaitForBytes(MeasurePageRig& r, size_t n)
{
    for (int i = 0; i < 400 && r.port.Count() < n; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return r.port.Count() >= n;
}

} // namespace

TEST(MeasurePage, StartRunsTheConversationThenRequestsValuesAndPlotsThem)
{
    MeasurePageRig r;
    ASSERT_TRUE(r.Open());
    const std::int64_t t0 = vx::NowMs();
    r.Click(CMessenDlg::IDC_START);
    EXPECT_FALSE(r.sheet.GetTabControl()->IsWindowEnabled());
    r.Run(t0 + 3700);
    // Measuring begins 3000 ms after the last 'k'.
    std::vector<std::int64_t> expected = {0, 275, 350, 425, 500, 535, 560, 585, 610, 635, 660, 685};
    for (auto& t : expected)
        t += t0;
    ASSERT_EQ(r.port.Text(), "nCEdVnnnnnkk");
    EXPECT_EQ(r.port.Times(), expected);
    EXPECT_FALSE(r.page.IsValueRequestRunning());

    r.Run(t0 + 3750);
    EXPECT_TRUE(r.page.IsValueRequestRunning());
    CString mode;
    r.page.GetDlgItemText(CMessenDlg::IDC_MODE, mode);
    EXPECT_EQ(mode, "PC 10ms");
    // The PC paces the device now: only '0' requests follow, and the
    // device keys are hidden while it does.
    ASSERT_TRUE(WaitForBytes(r, 12 + 5));
    const std::string after = r.port.Text().substr(12);
    EXPECT_EQ(after, std::string(after.size(), '0'));
    EXPECT_FALSE(r.Visible(CMessenDlg::IDC_START));
    EXPECT_FALSE(r.Visible(CMessenDlg::IDC_TARE));

    // The frames answered so far reach the store at once and the chart and
    // the value text at the first refresh, 2200 ms after measuring began.
    r.Run(t0 + 3850);
    const int stored = r.page.GetDisplay().GetPointCount(0);
    EXPECT_GE(stored, 5);
    EXPECT_EQ(r.page.m_strValueText, "");
    // The ticks run on the real clock: a frame answered between the refresh
    // and the check below would be stored and not yet drawn.
    {
        std::lock_guard<std::mutex> lock(r.port.mutex);
        r.frames = false;
    }
    r.Run(t0 + 3710 + 2200 + 5);
    CString value;
    r.page.GetDlgItemText(CMessenDlg::IDC_VALUE, value);
    EXPECT_EQ(value, "1.234 kN ");
    EXPECT_EQ(r.page.GetDisplay().GetPlot()->GetCurve(0).GetCount(), r.page.GetDisplay().GetPointCount(0));
    EXPECT_DOUBLE_EQ(r.page.GetDisplay().GetPointY(0, 0), 1.234);
    EXPECT_DOUBLE_EQ(r.page.GetDisplay().GetPointX(0, 1), 0.01);

    r.Click(CMessenDlg::IDC_STOP);
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    const std::string all = r.port.Text();
    EXPECT_EQ(all.back(), 'n');
    EXPECT_EQ(all.find('n', 12), all.size() - 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(r.port.Text(), all);
    EXPECT_TRUE(r.Visible(CMessenDlg::IDC_START));
    EXPECT_TRUE(r.Visible(CMessenDlg::IDC_TARE));
    // Nothing measured is lost at Stop: the chart shows every stored point.
    r.DeliverDue();
    EXPECT_EQ(r.page.GetDisplay().GetPlot()->GetCurve(0).GetCount(), r.page.GetDisplay().GetPointCount(0));
}

TEST(MeasurePage, ChartIsReboundOnlyAtTheRefresh)
{
    MeasurePageRig r;
    r.frames = false;
    ASSERT_TRUE(r.Open());
    const std::int64_t t0 = vx::NowMs();
    r.Click(CMessenDlg::IDC_START);
    r.Run(t0 + 3710 + 2200 + 1);
    CPlotDataSerie& curve = r.page.GetDisplay().GetPlot()->GetCurve(0);
    const int bound = curve.GetCount();
    for (int i = 0; i < 10; ++i) {
        r.Feed("\x01\x00\r\n"s);
        r.Run(vx::NowMs() + 15);
    }
    // 150 ms after a refresh: stored, not yet drawn.
    EXPECT_EQ(r.page.GetDisplay().GetPointCount(0), bound + 10);
    EXPECT_EQ(curve.GetCount(), bound);
    r.Run(vx::NowMs() + 60);
    EXPECT_EQ(curve.GetCount(), bound + 10);
    EXPECT_DOUBLE_EQ(r.page.GetDisplay().GetPointY(0, bound + 9), 0.256);
    r.Click(CMessenDlg::IDC_STOP);
}

TEST(MeasurePage, SilenceAtTheSensorRequestGivesTheTimeoutBoxInEnglishThenStartKeys)
{
    MeasurePageRig r(1000);
    r.answers.erase('C');
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(800);
    ASSERT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);
    EXPECT_EQ(r.BoxText(), "Timeout Channel 1");
    EXPECT_TRUE(r.sheet.GetTabControl()->IsWindowEnabled());
    EXPECT_EQ(r.port.Text(), "nCnnnnnkk");
    // The device never reported a mode: nothing is asked for.
    r.RunTo(4000);
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    CString mode;
    r.page.GetDlgItemText(CMessenDlg::IDC_MODE, mode);
    EXPECT_EQ(mode, "SCI aus");
    r.Click(CMessenDlg::IDC_STOP);
}

TEST(MeasurePage, LeavingTheTabAfterATimeoutEndsValueRequests)
{
    // After a time-out the tabs are free while PC-mode requests run; no '0'
    // may follow the user to another page's conversation.
    MeasurePageRig r;
    r.answers.erase('C');
    r.table[0].m_bySampleMode = 0; // reported by an earlier run
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(4000);
    ASSERT_TRUE(r.page.IsValueRequestRunning());
    r.page.ShowWindow(SW_HIDE);
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    const std::string sent = r.port.Text();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    r.RunTo(4600);
    EXPECT_EQ(r.port.Text(), sent);
}

TEST(MeasurePage, PortOffLineGivesTheBoxAndNothingAfterTheFirstEsc)
{
    MeasurePageRig r;
    r.port.m_Dcb.PortState = 1;
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(4000);
    EXPECT_EQ(r.BoxText(), "COM Schnittstellen steht auf aus");
    EXPECT_EQ(r.port.Text(), "n");
    EXPECT_TRUE(r.sheet.GetTabControl()->IsWindowEnabled());
}

TEST(MeasurePage, StopDuringTheConversationIgnoresALateAnswer)
{
    MeasurePageRig r;
    r.delayMs = 100;
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(320);
    ASSERT_EQ(r.port.Text(), "nC");
    r.Click(CMessenDlg::IDC_STOP);
    r.RunTo(4500);
    EXPECT_EQ(r.port.Text(), "nCn");
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

TEST(MeasurePage, ChannelOperatorAndInactiveChannel)
{
    {
        MeasurePageRig r;
        r.frames = false;
        vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "0; 1; 1; 5.5");
        ASSERT_TRUE(r.Open());
        r.Click(CMessenDlg::IDC_START);
        r.RunTo(3750);
        r.Feed("\x03\xE8\r\n"s);
        EXPECT_DOUBLE_EQ(r.page.GetDisplay().GetPointY(0, 0), 1.0 - 5.5);
        EXPECT_DOUBLE_EQ(r.page.ApplyChannelOperator(0, 1.0), -4.5);
        r.page.SetChannelOperator(3, 0);
        EXPECT_DOUBLE_EQ(r.page.ApplyChannelOperator(0, 11.0), 2.0);
        r.page.SetChannelOperator(7, 0);
        EXPECT_DOUBLE_EQ(r.page.ApplyChannelOperator(0, 1.0), 6.5);
        r.Click(CMessenDlg::IDC_STOP);
    }
    {
        MeasurePageRig r;
        r.frames = false;
        vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "0; 0; 0; 0.000000");
        ASSERT_TRUE(r.Open());
        r.Click(CMessenDlg::IDC_START);
        r.RunTo(3750);
        r.Feed("\x03\xE8\r\n"s);
        r.RunTo(3710 + 2200 + 5);
        EXPECT_EQ(r.page.GetDisplay().GetPointCount(0), 0);
        CString value;
        r.page.GetDlgItemText(CMessenDlg::IDC_VALUE, value);
        EXPECT_EQ(value, "1.000 kN ");
        r.Click(CMessenDlg::IDC_STOP);
    }
}

TEST(MeasurePage, TextsByLanguageAndChartMenuTexts)
{
    MeasurePageRig r(1000);
    ASSERT_TRUE(r.Open());
    auto text = [&](int id) {
        CString s;
        r.page.GetDlgItemText(id, s);
        return s;
    };
    EXPECT_EQ(text(CMessenDlg::IDC_START), "Start");
    EXPECT_EQ(text(CMessenDlg::IDC_STOP), "Stopp");
    EXPECT_EQ(text(CMessenDlg::IDC_CONTROL_ON), "Control on");
    EXPECT_EQ(text(CMessenDlg::IDC_CONTROL_OFF), "Control off");
    EXPECT_EQ(text(CMessenDlg::IDC_TARE), "Tare");
    CGraphicDisplayWnd& d = r.page.GetDisplay();
    EXPECT_EQ(d.GetMenuText(CGraphicDisplayWnd::MenuPan), "scrolling");
    EXPECT_EQ(d.GetMenuText(CGraphicDisplayWnd::MenuGrid), "Grid on/off");
    EXPECT_EQ(d.GetMenuText(CGraphicDisplayWnd::MenuCursor), "");
    EXPECT_EQ(d.GetMenuText(CGraphicDisplayWnd::MenuProperties), "");
    // A refresh keeps the pan item in the page's language.
    r.page.RefreshPage();
    EXPECT_EQ(d.GetMenuText(CGraphicDisplayWnd::MenuPan), "scrolling");
    // The page's property-page texts: German, without "Typ".
    const CDlgTextArray& curve = d.GetCurveDialogTexts();
    ASSERT_EQ(curve.size(), 16u);
    EXPECT_EQ(curve[1].text, vx::FromUtf8("Meßkurve"));
    EXPECT_EQ(d.GetAxisDialogTexts().size(), 23u);
    EXPECT_EQ(d.GetChartDialogTexts().size(), 14u);
}

TEST(MeasurePage, DeviceKeysSendOneBytePaced)
{
    MeasurePageRig r;
    ASSERT_TRUE(r.Open());
    const std::int64_t t0 = vx::NowMs();
    r.Click(CMessenDlg::IDC_TARE);
    r.Click(CMessenDlg::IDC_MIN_RESET);
    r.Click(CMessenDlg::IDC_MAX_RESET);
    r.Click(CMessenDlg::IDC_CONTROL_ON);
    r.Click(CMessenDlg::IDC_CONTROL_OFF);
    EXPECT_EQ(r.port.Text(), "35467");
    EXPECT_EQ(r.port.Times(), (std::vector<std::int64_t>{t0, t0 + 25, t0 + 50, t0 + 75, t0 + 100}));
}

TEST(MeasurePage, ClosingDuringAPcRunJoinsTheTick)
{
    MeasurePageRig r;
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(3750);
    ASSERT_TRUE(r.page.IsValueRequestRunning());
    r.sheet.DestroyWindow();
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    const size_t n = r.port.Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(r.port.Count(), n);
}

TEST(MeasurePage, StopBeforeAnyValueLeavesADrawableChart)
{
    // Stop right after measuring began: the x window is 0..0, which the
    // chart and both sliders must survive painting.
    MeasurePageRig r;
    r.frames = false;
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(3750);
    r.Click(CMessenDlg::IDC_STOP);
    CGraphicDisplayWnd& d = r.page.GetDisplay();
    EXPECT_EQ(d.GetPointCount(0), 0);
    EXPECT_DOUBLE_EQ(d.GetX0(), 0.0);
    EXPECT_DOUBLE_EQ(d.GetX1(), 0.0);
    EXPECT_EQ(d.GetScrollPosition(), 0);
    QWidget* w = r.sheet.GetPeer();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->grab().toImage().isNull());
}

TEST(MeasurePage, StartingTheValueRequestsAgainReplacesTheRunningTick)
{
    MeasurePageRig r;
    ASSERT_TRUE(r.Open());
    ASSERT_TRUE(r.page.MMTimer_Start(10));
    EXPECT_TRUE(r.page.MMTimer_Start(10));
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    EXPECT_TRUE(r.page.IsValueRequestRunning());
    r.page.MMTimer_Stop();
    r.page.MMTimer_Stop();
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    const size_t n = r.port.Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(r.port.Count(), n);
}

TEST(MeasurePage, ScreenshotWhileMeasuring)
{
    MeasurePageRig r;
    r.frames = false;
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    r.RunTo(3750);
    // A sine-like ramp of 600 values, as the device would send them.
    for (int i = 0; i < 600; ++i) {
        const int v = static_cast<int>(2000.0 * std::sin(i / 40.0)) + (i % 7) * 10;
        r.Feed(std::string{char((v >> 8) & 0xFF), char(v & 0xFF), '\r', '\n'});
    }
    r.RunTo(3710 + 2200 + 5);
    QWidget* w = r.sheet.GetPeer();
    ASSERT_NE(w, nullptr);
    w->resize(w->sizeHint().expandedTo(w->size()));
    const QImage shot = w->grab().toImage();
    EXPECT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromLatin1(VX35_BINARY_DIR) + "/measure_page.png"));
    CString value;
    r.page.GetDlgItemText(CMessenDlg::IDC_VALUE, value);
    EXPECT_EQ(value.Right(4), " kN ");
    r.Click(CMessenDlg::IDC_STOP);
}
