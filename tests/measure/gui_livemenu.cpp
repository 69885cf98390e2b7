// The live chart window's context menu, its read-out box and its property
// window: what the user reaches with the right button and the mouse at rest.
#include "measure/GraphicDisplayWnd.h"

#include "chart/PlotInteract.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Timer.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Items = std::vector<LiveMenuItem>;

std::vector<UINT> Commands(const Items& items)
{
    std::vector<UINT> ids;
    for (const LiveMenuItem& i : items)
        ids.push_back(i.command);
    return ids;
}

struct LiveMenu : ::testing::Test {
    void SetUp() override
    {
        vxres::InstallResources();
        vx::ModalScript::Clear();
        clock = &vx::UseManualClock(0);
        ASSERT_TRUE(host.Create("", "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
        ASSERT_TRUE(wnd.Create(CGraphicDisplayWnd::kClassName, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300),
                               &host, 1064));
        ASSERT_TRUE(wnd.CreateDisplay(&host, 1064, 1));
        plot = wnd.GetPlot();
        // Curve 0: y = x over 0..100, as a measurement leaves it.
        for (int i = 0; i <= 100; ++i)
            wnd.addPoint(0, i, i);
        wnd.showCurve(0, true, true, true);
        wnd.SetXRange(0, 100);
        plot->GetYAxis(0).SetRange(0, 100);
        plot->SendMessage(WM_PAINT);
        Pump();
    }
    void TearDown() override
    {
        host.DestroyWindow();
        vx::ResetTimersForTest();
        vx::ModalScript::Clear();
    }
    void Pump()
    {
        for (int i = 0; i < 5; ++i)
            vx::ProcessPendingMessages();
    }
    CPoint At(double x, double y)
    {
        return CPoint(plot->GetXAxis(0).GetPointForValue({x, y}).x, plot->GetYAxis(0).GetPointForValue({x, y}).y);
    }
    void Mouse(UINT msg, CPoint p, UINT flags = 0) { plot->SendMessage(msg, flags, MAKELPARAM(p.x, p.y)); }
    void RightClick(CPoint p)
    {
        Mouse(WM_RBUTTONDOWN, p, MK_RBUTTON);
        Mouse(WM_RBUTTONUP, p);
        Pump();
    }
    // What the menu offered when it was last shown.
    std::vector<UINT> Offered()
    {
        const auto& calls = vx::ModalScript::Calls();
        return calls.empty() || calls.back().kind != vx::ModalKind::PopupMenu ? std::vector<UINT>{}
                                                                               : calls.back().items;
    }
    void Choose(UINT command, CPoint at)
    {
        vx::ModalScript::AnswerPopupMenu(command);
        RightClick(at);
    }
    void PageTexts()
    {
        for (auto set : {&CGraphicDisplayWnd::SetMenuTextSelect, &CGraphicDisplayWnd::SetMenuTextCursor,
                         &CGraphicDisplayWnd::SetMenuTextFitX, &CGraphicDisplayWnd::SetMenuTextFitY,
                         &CGraphicDisplayWnd::SetMenuTextCurveOnOff, &CGraphicDisplayWnd::SetMenuTextMeasure,
                         &CGraphicDisplayWnd::SetMenuTextReset, &CGraphicDisplayWnd::SetMenuTextProperties})
            (wnd.*set)(CString());
    }

    vx::ManualClock* clock = nullptr;
    CWnd host;
    CGraphicDisplayWnd wnd;
    CPlot* plot = nullptr;
};

} // namespace

TEST(LiveMenuItems, FollowTheTextsTheLegendAndTheChart)
{
    CString texts[CGraphicDisplayWnd::kMenuTextCount];
    EXPECT_TRUE(CGraphicDisplayWnd::BuildMenu(texts, true, true).empty());

    // The measure page's set: five items, no separator, no properties.
    texts[CGraphicDisplayWnd::MenuZoomIn] = "zoom in";
    texts[CGraphicDisplayWnd::MenuZoomOut] = "zoom out";
    texts[CGraphicDisplayWnd::MenuPan] = "scrolling";
    texts[CGraphicDisplayWnd::MenuGrid] = "Grid on/off";
    texts[CGraphicDisplayWnd::MenuLegend] = "show Legend";
    const Items page = CGraphicDisplayWnd::BuildMenu(texts, true, true);
    EXPECT_EQ(Commands(page), (std::vector<UINT>{60001, 60002, 60003, 60005, 60008}));
    EXPECT_TRUE(page[4].checked);
    EXPECT_EQ(page[2].text, CString("scrolling"));
    EXPECT_FALSE(CGraphicDisplayWnd::BuildMenu(texts, false, true)[4].checked);

    // Every item, and the properties after a separator only with a curve.
    for (CString& t : texts)
        t = "x";
    EXPECT_EQ(Commands(CGraphicDisplayWnd::BuildMenu(texts, false, true)),
              (std::vector<UINT>{4000, 60001, 60002, 60003, 60004, 60005, 60006, 60007, 60008, 60009, 60010, 60011, 0,
                                 60012}));
    EXPECT_EQ(CGraphicDisplayWnd::BuildMenu(texts, false, false).size(), 12u);
    CString onlyProperties[CGraphicDisplayWnd::kMenuTextCount];
    onlyProperties[CGraphicDisplayWnd::MenuProperties] = "Eigenschaften";
    EXPECT_EQ(Commands(CGraphicDisplayWnd::BuildMenu(onlyProperties, false, true)), (std::vector<UINT>{60012}));
}

TEST(LiveMenuItems, ReadoutTextKeepsTitlesOutOfTheFormat)
{
    EXPECT_EQ(CGraphicDisplayWnd::ReadoutText(2, 1.5, "s", -0.25, "Kraft %n"),
              CString("Kurve 3\n1.500000 s\r\n-0.250000 Kraft %n"));
}

TEST_F(LiveMenu, ItsCommandsReachTheWindowNeverTheChart)
{
    PageTexts();
    const int objects = plot->GetObjects().GetCount();
    Choose(CGraphicDisplayWnd::kCmdZoomIn, At(50, 20));
    EXPECT_EQ(Offered(), (std::vector<UINT>{60001, 60002, 60003, 60005, 60008}));
    // The chart's own 60001 would have inserted a label.
    EXPECT_EQ(plot->GetMode(), PlotInteract::kModeZoom);
    EXPECT_EQ(plot->GetObjects().GetCount(), objects);

    // Zoom out shows the whole range again and the sliders follow.
    plot->GetXAxis(0).PushZoom();
    plot->GetXAxis(0).SetShownRange(20, 40, 0);
    Choose(CGraphicDisplayWnd::kCmdZoomOut, At(30, 20));
    EXPECT_EQ(plot->GetXAxis(0).m_dShownMin, 0);
    EXPECT_EQ(plot->GetXAxis(0).m_dShownMax, 100);
    EXPECT_EQ(wnd.GetX1(), 100);

    Choose(CGraphicDisplayWnd::kCmdPan, At(30, 20));
    EXPECT_EQ(plot->GetMode(), PlotInteract::kModePan);
    const bool xGrid = plot->GetXAxis(0).GetShowGrid();
    plot->GetYAxis(3).SetShowGrid(!plot->GetYAxis(0).GetShowGrid());
    const bool y0 = plot->GetYAxis(0).GetShowGrid(), y3 = plot->GetYAxis(3).GetShowGrid();
    Choose(CGraphicDisplayWnd::kCmdGrid, At(30, 20));
    EXPECT_NE(plot->GetXAxis(0).GetShowGrid(), xGrid);
    EXPECT_NE(plot->GetYAxis(0).GetShowGrid(), y0);
    EXPECT_NE(plot->GetYAxis(3).GetShowGrid(), y3);

    ASSERT_FALSE(plot->GetShowLegend());
    Choose(CGraphicDisplayWnd::kCmdLegend, At(30, 20));
    EXPECT_TRUE(plot->GetShowLegend());
    RightClick(At(30, 20));
    ASSERT_FALSE(vx::ModalScript::Calls().empty());
    EXPECT_EQ(plot->GetMode(), PlotInteract::kModePan);  // dismissed: nothing changes

    // With every text empty there is no menu at all.
    wnd.SetMenuTextZoomIn(CString());
    wnd.SetMenuTextZoomOut(CString());
    wnd.SetMenuTextPan(CString());
    wnd.SetMenuTextGrid(CString());
    wnd.SetMenuTextLegend(CString());
    const size_t calls = vx::ModalScript::Calls().size();
    RightClick(At(30, 20));
    EXPECT_EQ(vx::ModalScript::Calls().size(), calls);
}

TEST_F(LiveMenu, ModesAndCurveCommandsOfTheFullMenu)
{
    // A right click on the curve makes it the one the curve items take.
    Choose(CGraphicDisplayWnd::kCmdCursor, At(40, 40));
    EXPECT_EQ(wnd.GetSelectedCurve(), 0);
    EXPECT_EQ(plot->GetMode(), PlotInteract::kModeCursor);
    Choose(CGraphicDisplayWnd::kCmdSelect, At(40, 40));
    EXPECT_EQ(plot->GetSelectedCurve(), 0);
    Choose(CGraphicDisplayWnd::kCmdMeasure, At(40, 40));
    EXPECT_EQ(plot->GetMode(), PlotInteract::kModeMeasure);
    Choose(CGraphicDisplayWnd::kCmdReset, At(40, 40));
    EXPECT_FALSE(plot->GetInteractive());
    EXPECT_EQ(plot->GetMode(), PlotInteract::kModeNone);
    plot->SetInteractive(true);
    // Off the curve nothing is selected and the item does nothing.
    Choose(CGraphicDisplayWnd::kCmdCurveOnOff, At(80, 10));
    EXPECT_EQ(wnd.GetSelectedCurve(), -1);
    EXPECT_TRUE(plot->GetCurve(0).GetVisible());
    Choose(CGraphicDisplayWnd::kCmdCurveOnOff, At(40, 40));
    EXPECT_FALSE(plot->GetCurve(0).GetVisible());
}

TEST_F(LiveMenu, FitTakesTheVisibleCurvesTogether)
{
    for (int i = 0; i <= 10; ++i) {
        wnd.addPoint(1, 200 + i, 300 + i);
        wnd.addPoint(2, -500, 1000);  // hidden: an earlier run
    }
    wnd.showCurve(1, true, false, false);
    wnd.showCurve(2, false, false, false);
    wnd.SendMessage(WM_COMMAND, CGraphicDisplayWnd::kCmdFitX);
    wnd.SendMessage(WM_COMMAND, CGraphicDisplayWnd::kCmdFitY);
    double lo, hi;
    plot->GetXAxis(0).GetDataRange(&lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 210);
    plot->GetYAxis(0).GetDataRange(&lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 310);
}

TEST_F(LiveMenu, ReadoutShowsThePointUnderTheMouseAndGoesAway)
{
    plot->GetXAxis(0).SetLabel("s");
    plot->GetCurve(0).SetLabel("Kraft");
    CPlotLabel* readout = wnd.GetReadoutLabel();
    ASSERT_NE(readout, nullptr);
    EXPECT_TRUE(readout->IsProtected());

    const CPoint p = At(30, 30);
    Mouse(WM_MOUSEMOVE, p);
    Pump();
    EXPECT_EQ(wnd.GetSelectedCurve(), 0);
    EXPECT_TRUE(wnd.IsReadoutArmed());
    clock->advance(1999);
    EXPECT_FALSE(readout->GetVisible());
    clock->advance(1);
    ASSERT_TRUE(readout->GetVisible());
    const double x = plot->GetXAxis(0).GetValueForPixel(p.x);
    const int i = plot->GetXAxis(0).FindPointIndex(x, 0);
    EXPECT_EQ(readout->GetText(), CGraphicDisplayWnd::ReadoutText(0, x, "s", plot->GetCurve(0).GetY(i), "Kraft"));
    EXPECT_NEAR(plot->GetCurve(0).GetY(i), 30.0, 1.5);
    EXPECT_EQ(readout->GetRect(), CRect(p.x, p.y, p.x + 100, p.y + 50));
    clock->advance(2999);
    EXPECT_TRUE(readout->GetVisible());
    clock->advance(1);
    EXPECT_FALSE(readout->GetVisible());
    EXPECT_FALSE(wnd.IsReadoutShown());

    // Shown again; the next selection message takes it away at once.
    Mouse(WM_MOUSEMOVE, p);
    Pump();
    clock->advance(2000);
    ASSERT_TRUE(readout->GetVisible());
    Mouse(WM_MOUSEMOVE, At(80, 10));
    Pump();
    EXPECT_FALSE(readout->GetVisible());
    EXPECT_FALSE(vx::HasTimer(&wnd, CGraphicDisplayWnd::kReadoutHideTimer));
    EXPECT_FALSE(wnd.IsReadoutArmed());  // nothing under the mouse
}

TEST_F(LiveMenu, DeleteNeverFreesTheShownReadout)
{
    CPlotLabel* readout = wnd.GetReadoutLabel();
    Mouse(WM_MOUSEMOVE, At(30, 30));
    Pump();
    clock->advance(2000);
    ASSERT_TRUE(readout->GetVisible());
    // Pressed, tracked, and Delete.
    const CPoint in = readout->GetRect().CenterPoint();
    for (int k = 0; k < 2; ++k) {
        Mouse(WM_LBUTTONDOWN, in, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, in);
    }
    readout->m_bTracking = true;
    MSG del{plot, WM_KEYDOWN, VK_DELETE, 0};
    plot->PreTranslateMessage(&del);
    bool listed = false;
    for (POSITION pos = plot->GetObjects().GetHeadPosition(); pos;)
        listed = listed || plot->GetObjects().GetNext(pos) == readout;
    EXPECT_TRUE(listed);
    clock->advance(3000);
    EXPECT_FALSE(readout->GetVisible());
}

TEST_F(LiveMenu, PropertiesShowTheWindowWithTheTextsEachTime)
{
    CDlgTextArray curve = wnd.GetCurveDialogTexts();
    curve.push_back({1013, "Line colour"});
    wnd.SetCurveDialogTexts(curve);
    wnd.SetMenuTextProperties("Eigenschaften");
    for (int k = 0; k < 2; ++k)
        wnd.SendMessage(WM_COMMAND, CGraphicDisplayWnd::kCmdProperties);
    CChartPage* page = wnd.GetChartPage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->IsWindowVisible());
    ASSERT_NE(page->GetTabCtrl(), nullptr);
    ASSERT_EQ(page->GetTabCtrl()->GetItemCount(), 3);
    EXPECT_EQ(page->GetTabCtrl()->GetItemText(0), CString("Diagramm"));
    EXPECT_EQ(page->GetTabCtrl()->GetItemText(1), CString("Achse"));
    CString caption;
    page->GetWindowText(caption);
    EXPECT_EQ(caption, CString("Einstellungen"));
    CString text;
    if (CWnd* c = page->GetPage(CChartPage::CurveTab)->GetDlgItem(1013))
        c->GetWindowText(text);
    EXPECT_EQ(text, CString("Line colour"));
}
