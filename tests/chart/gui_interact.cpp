// The chart driven by synthetic mouse and key messages, with a parent that
// records what the chart posts to it.
#include "chart/PlotInteract.h"
#include "support_chart.h"

#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace PlotInteract;

namespace {

class RecordingParent : public CWnd {
public:
    std::vector<std::pair<UINT, WPARAM>> posted;
    LPARAM lastLParam = 0;
    std::vector<PointPickRecord> picks;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if ((msg > WM_USER && msg <= WM_USER + 12) || msg == kCmdForward) {
            posted.emplace_back(msg, wParam);
            lastLParam = lParam;
            if (msg == kNotifyPointDragged)
                picks.push_back(*reinterpret_cast<PointPickRecord*>(wParam));
            return 0;
        }
        return CWnd::WindowProc(msg, wParam, lParam);
    }
};

class Interact : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.Create("VxTestParent", "parent", WS_OVERLAPPED, CRect(0, 0, 420, 320), nullptr, 0));
        ASSERT_TRUE(plot.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 400, 300), &parent, 0));
        parent.ShowWindow(SW_SHOW);
        plot.SetShowLegend(false);
        // Three flat lines at y = 10, 50 and 90 over x = 0..100.
        for (int c = 0; c < 3; ++c) {
            lines[c] = {{0.0, 10.0 + 40 * c}, {50.0, 10.0 + 40 * c}, {100.0, 10.0 + 40 * c}};
            ASSERT_NE(plot.SetData(lines[c].data(), 3, c, 0, 0, false, false, false), nullptr);
        }
        plot.GetXAxis(0).SetRange(0, 100);
        plot.GetYAxis(0).SetRange(0, 100);
        plot.GetXAxis(0).SetAutoScale(false);
        plot.GetYAxis(0).SetAutoScale(false);
        Repaint();
    }
    void TearDown() override
    {
        plot.DestroyWindow();
        parent.DestroyWindow();
    }
    void Repaint()
    {
        plot.SendMessage(WM_PAINT);
        plot.Invalidate(FALSE);
    }
    std::vector<std::pair<UINT, WPARAM>> Posted()
    {
        vx::ProcessPendingMessages();
        auto p = std::move(parent.posted);
        parent.posted.clear();
        return p;
    }
    CPoint At(double x, double y)
    {
        return CPoint(plot.GetXAxis(0).GetPointForValue({x, y}).x, plot.GetYAxis(0).GetPointForValue({x, y}).y);
    }
    void Mouse(UINT msg, CPoint p, UINT flags = 0) { plot.SendMessage(msg, flags, MAKELPARAM(p.x, p.y)); }
    void Click(CPoint p)
    {
        Mouse(WM_LBUTTONDOWN, p, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, p);
    }
    void Drag(CPoint a, CPoint b)
    {
        Mouse(WM_LBUTTONDOWN, a, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, CPoint((a.x + b.x) / 2, (a.y + b.y) / 2), MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, b, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, b);
    }
    Range XRange() { return {plot.GetXAxis(0).m_dShownMin, plot.GetXAxis(0).m_dShownMax}; }
    Range YRange() { return {plot.GetYAxis(0).m_dShownMin, plot.GetYAxis(0).m_dShownMax}; }
    void Command(UINT id) { plot.SendMessage(WM_COMMAND, id, 0); }

    RecordingParent parent;
    TestPlot plot;
    std::vector<ChartPoint> lines[3];
};

bool Has(const std::vector<std::pair<UINT, WPARAM>>& p, UINT msg, WPARAM w)
{
    for (auto& e : p)
        if (e.first == msg && e.second == w)
            return true;
    return false;
}

}  // namespace

TEST_F(Interact, AxisClicksNotifyAndTheNextPlotClickSetsAValueMarker)
{
    const CRect yAxis = plot.GetYAxis(0).GetRect();
    ASSERT_FALSE(yAxis.IsRectEmpty());
    const CPoint onAxis = yAxis.CenterPoint();
    Click(onAxis);
    auto p = Posted();
    EXPECT_TRUE(Has(p, kNotifyYAxis, 0));
    EXPECT_FALSE(Has(p, kNotifyXAxis, 0));
    EXPECT_EQ(parent.lastLParam, reinterpret_cast<LPARAM>(&plot));
    Mouse(WM_LBUTTONDBLCLK, onAxis, MK_LBUTTON);
    EXPECT_TRUE(Has(Posted(), kNotifyYAxisDbl, 0));

    Click(At(20, 30));
    Posted();
    ASSERT_EQ(plot.GetYAxis(0).GetValueMarkerCount(), 1);
    EXPECT_NEAR(plot.GetYAxis(0).GetValueMarker(0)->value, 30.0, 1.0);
    EXPECT_FALSE(plot.GetYAxis(0).m_bSelected);

    Click(plot.GetXAxis(0).GetRect().CenterPoint());
    EXPECT_TRUE(Has(Posted(), kNotifyXAxis, 0));
}

TEST_F(Interact, HoverReportsEachCurveInTurnAndSelectsOnClick)
{
    Mouse(WM_MOUSEMOVE, At(30, 90));
    const auto p = Posted();
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {kNotifyHover, WPARAM(-1)}, {kNotifyHover, WPARAM(-1)}, {kNotifyHover, 2}};
    EXPECT_EQ(p, expected);
    EXPECT_EQ(plot.SendMessage(WM_SETCURSOR, 0, 0), TRUE);

    Click(At(30, 50));
    EXPECT_TRUE(Has(Posted(), kNotifyCurve, 1));
    EXPECT_EQ(plot.GetSelectedCurve(), 1);
    Mouse(WM_LBUTTONDBLCLK, At(30, 70), MK_LBUTTON);
    EXPECT_TRUE(Has(Posted(), kNotifyNothingDbl, 0));
}

TEST_F(Interact, PointPickChangesTheCallersPoint)
{
    Command(kCmdPick);
    EXPECT_EQ(plot.GetMode(), kModePick);
    Mouse(WM_LBUTTONDOWN, At(50, 10), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(50, 10), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(50, 25), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, At(50, 25));
    Posted();
    ASSERT_FALSE(parent.picks.empty());
    const PointPickRecord last = parent.picks.back();
    EXPECT_EQ(last.curve, 0);
    EXPECT_EQ(last.point, 1);
    EXPECT_NEAR(last.newY, 25.0, 1.0);
    EXPECT_NEAR(lines[0][1].y, last.newY, 1e-9);
    EXPECT_EQ(lines[0][0].y, 10.0);
}

TEST_F(Interact, ZoomNeedsABigDragAndZoomBackRestores)
{
    Command(kCmdZoom);
    Drag(At(10, 50), CPoint(At(90, 50).x, At(90, 50).y + 10));
    EXPECT_EQ(XRange(), (Range{0, 100}));
    EXPECT_FALSE(Has(Posted(), kNotifyZoomed, 0));

    Drag(At(20, 80), At(80, 20));
    EXPECT_TRUE(Has(Posted(), kNotifyZoomed, 0));
    const Range x1 = XRange(), y1 = YRange();
    EXPECT_NEAR(x1.min, 20, 1.0);
    EXPECT_NEAR(x1.max, 80, 1.0);
    EXPECT_NEAR(y1.min, 20, 1.0);
    EXPECT_NEAR(y1.max, 80, 1.0);
    Repaint();
    Drag(At(30, 60), At(60, 30));
    EXPECT_LT(XRange().max - XRange().min, x1.max - x1.min);

    Command(kCmdZoomBack);
    EXPECT_EQ(XRange(), x1);
    EXPECT_EQ(YRange(), y1);
    Command(kCmdZoomBack);
    EXPECT_EQ(XRange(), (Range{0, 100}));
    EXPECT_EQ(YRange(), (Range{0, 100}));
    EXPECT_TRUE(Has(Posted(), kNotifyZoomed, 0));
}

TEST_F(Interact, WheelKeysAndPanMoveTheRanges)
{
    plot.GetXAxis(0).SetAutoScale(true);
    plot.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(MAKELPARAM(0, static_cast<WORD>(static_cast<short>(-120)))), 0);
    EXPECT_FALSE(plot.GetXAxis(0).GetAutoScale());
    EXPECT_EQ(XRange(), (Range{-10, 90}));
    EXPECT_EQ(YRange(), (Range{0, 100}));
    plot.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(MAKELPARAM(MK_SHIFT, 120)), 0);
    EXPECT_EQ(YRange(), (Range{10, 110}));

    plot.SendMessage(WM_KEYUP, VK_HOME, 0);
    EXPECT_EQ(XRange(), (Range{0, 100}));
    Repaint();
    plot.SendMessage(WM_KEYUP, VK_ADD, 0);
    EXPECT_NEAR(XRange().min, 10, 1e-9);
    EXPECT_NEAR(XRange().max, 90, 1e-9);
    EXPECT_NEAR(YRange().min, 10, 1e-9);

    plot.SendMessage(WM_KEYUP, VK_HOME, 0);
    Repaint();
    Command(kCmdPan);
    EXPECT_EQ(plot.GetMode(), kModePan);
    // The first move only sets the anchor: the range follows from 45 to 40.
    Drag(At(50, 50), At(40, 50));
    EXPECT_NEAR(XRange().min, 5, 1.0);
    EXPECT_NEAR(XRange().max, 105, 1.0);
    EXPECT_NEAR(YRange().min, 0, 1.0);
}

TEST_F(Interact, CursorModeFillsTheReadoutAndClicksAddNotations)
{
    plot.SetOptions(7);
    plot.GetXAxis(0).SetLabel("s");
    plot.GetCurve(1).SetLabel("Torque");
    Command(kCmdCursor);
    EXPECT_EQ(plot.GetMode(), kModeCursor);
    EXPECT_FALSE(plot.GetReadout().GetVisible());
    Mouse(WM_MOUSEMOVE, CPoint(At(50, 50).x, At(50, 50).y + 3));
    EXPECT_TRUE(Has(Posted(), kNotifyCursorMoved, 0));
    EXPECT_TRUE(plot.GetReadout().GetVisible());
    const CString text = plot.GetReadout().GetText();
    EXPECT_EQ(text.Find(" X[01] : "), 0);
    EXPECT_GE(text.Find(" Y[01] : "), 0);
    EXPECT_GE(text.Find(" Torque[02] : "), 0);
    EXPECT_EQ(plot.GetCursorPoint().y, At(50, 50).y);

    const int before = plot.GetObjects().GetCount();
    Click(plot.GetCursorPoint());
    ASSERT_EQ(plot.GetObjects().GetCount(), before + 1);
    CPlotDataNotation* n = nullptr;
    for (POSITION pos = plot.GetObjects().GetHeadPosition(); pos;)
        if (auto* o = dynamic_cast<CPlotDataNotation*>(plot.GetObjects().GetNext(pos)))
            n = o;
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->m_nCurve, 1);
    EXPECT_EQ(n->m_dY, 50.0);
    EXPECT_EQ(n->m_dX, lines[1][static_cast<size_t>(n->m_nPoint)].x);

    plot.SetOptions(3);
    Command(kCmdCursor);
    Mouse(WM_MOUSEMOVE, At(30, 30));
    EXPECT_FALSE(plot.GetReadout().GetVisible());
}

TEST_F(Interact, RightButtonOpensPropertiesOnlyForThePressedObject)
{
    int popups = 0;
    CPlotLabel::SetPopupChooser([&](CWnd*, CPoint) {
        ++popups;
        return 0u;
    });
    CPlotLabel* label = plot.InsertLabel("note");
    ASSERT_NE(label, nullptr);
    label->SetRect(100, 100, 160, 130);
    const CPoint on(120, 110);

    // Not pressed last: the parent gets the context request.
    Mouse(WM_RBUTTONDOWN, on, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, on);
    EXPECT_TRUE(Has(Posted(), kNotifyContext, 0));
    EXPECT_EQ(popups, 0);

    Click(on);
    Posted();
    Mouse(WM_RBUTTONDOWN, on, MK_RBUTTON);
    Mouse(WM_RBUTTONUP, on);
    EXPECT_EQ(popups, 1);
    EXPECT_FALSE(Has(Posted(), kNotifyContext, 0));

    Mouse(WM_RBUTTONDOWN, At(20, 20), MK_RBUTTON);
    Mouse(WM_RBUTTONUP, At(20, 20));
    EXPECT_TRUE(Has(Posted(), kNotifyContext, 0));
    EXPECT_EQ(popups, 1);
    CPlotLabel::SetPopupChooser(nullptr);
}

TEST_F(Interact, DeleteRemovesASelectedLabelButNeverTheReadout)
{
    CPlotLabel* label = plot.InsertLabel("note");
    ASSERT_NE(label, nullptr);
    label->SetRect(100, 100, 160, 130);
    const int before = plot.GetObjects().GetCount();
    Click(CPoint(120, 110));
    ASSERT_TRUE(label->m_bSelected);
    label->m_bTracking = true;
    Mouse(WM_LBUTTONDOWN, CPoint(120, 110), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, CPoint(120, 110));
    MSG del{&plot, WM_KEYDOWN, VK_DELETE, 0};
    plot.PreTranslateMessage(&del);
    EXPECT_EQ(plot.GetObjects().GetCount(), before - 1);

    CPlotLabel& readout = plot.GetReadout();
    readout.SetVisible(true);
    readout.SetRect(10, 10, 60, 40);
    readout.m_bTracking = true;
    Mouse(WM_LBUTTONDOWN, CPoint(20, 20), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, CPoint(20, 20));
    plot.PreTranslateMessage(&del);
    EXPECT_EQ(plot.GetObjects().GetCount(), before - 1);
}

TEST_F(Interact, CommandsSwitchModesAndForwardToTheParent)
{
    plot.GetReadout().SetVisible(true);
    Command(kCmdZoom);
    EXPECT_EQ(plot.GetMode(), kModeZoom);
    EXPECT_FALSE(plot.GetReadout().GetVisible());
    Command(kCmdMeasure);
    EXPECT_EQ(plot.GetMode(), kModeMeasure);
    Command(kCmdNoOp);
    EXPECT_EQ(plot.GetMode(), kModeNone);
    Command(kCmdForward);
    EXPECT_TRUE(Has(Posted(), kCmdForward, 0));

    plot.SelectCurve(0);
    plot.GetCurve(0).SetLabel("A");
    Command(kCmdLinearTrend);
    ASSERT_EQ(plot.GetCurveCount(), 4);
    EXPECT_EQ(plot.GetCurve(3).GetLabel(), CString("A linear trend"));
    EXPECT_TRUE(plot.GetCurve(3).OwnsPoints());
}

TEST_F(Interact, MeasureSnapsBothEndsToCurves)
{
    Command(kCmdMeasure);
    Drag(CPoint(At(20, 10).x, At(20, 10).y - 4), CPoint(At(80, 90).x, At(80, 90).y + 3));
    ASSERT_EQ(plot.GetMeasures().size(), 1u);
    const PlotMeasure m = plot.GetMeasures()[0];
    EXPECT_EQ(m.curve1, 0);
    EXPECT_EQ(m.curve2, 2);
    EXPECT_EQ(m.point2, 2);
}

TEST_F(Interact, APendingMeasureIsDrawnWhileDragging)
{
    plot.SendMessage(WM_PAINT);
    const long long plain = plot.GetLastPaintPrimitives();
    Command(kCmdMeasure);
    Mouse(WM_LBUTTONDOWN, At(20, 10), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(80, 90), MK_LBUTTON);
    plot.SendMessage(WM_PAINT);
    EXPECT_GT(plot.GetLastPaintPrimitives(), plain);
    Mouse(WM_LBUTTONUP, At(80, 90));
    EXPECT_EQ(plot.GetMeasures().size(), 1u);
}

TEST_F(Interact, ACursorBeyondTheLastPointNotesTheLastPoint)
{
    plot.GetXAxis(0).SetRange(0, 120);
    Repaint();
    Command(kCmdCursor);
    Mouse(WM_MOUSEMOVE, At(115, 90));
    Click(plot.GetCursorPoint());
    CPlotDataNotation* n = nullptr;
    for (POSITION pos = plot.GetObjects().GetHeadPosition(); pos;)
        if (auto* o = dynamic_cast<CPlotDataNotation*>(plot.GetObjects().GetNext(pos)))
            n = o;
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->m_nCurve, 2);
    EXPECT_EQ(n->m_nPoint, 2);
    EXPECT_EQ(n->m_dX, 100.0);
}
