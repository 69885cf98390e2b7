// The chart driven by synthetic mouse and key messages, with a parent that
// records what the chart posts to it.
#include "chart/PlotInteract.h"
#include "support_chart.h"

#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace PlotInteract;

namespace {

class RecordingParent : public CWnd {
public:
    std::vector<std::pair<UINT, WPARAM>> posted;
    std::vector<LPARAM> lParams;
    LPARAM lastLParam = 0;
    std::vector<PointPickRecord> picks;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if ((msg > WM_USER && msg <= WM_USER + 12) || msg == kCmdForward) {
            posted.emplace_back(msg, wParam);
            lParams.push_back(lParam);
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
        allFromPlot = true;
        for (LPARAM l : parent.lParams)
            allFromPlot = allFromPlot && l == reinterpret_cast<LPARAM>(&plot);
        parent.lParams.clear();
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

    // Shows a curve's value in the read-out text as the axis formats it.
    CString ReadoutValue(double y) { return plot.GetYAxis(0).GetValueText(y); }
    // The readout text after the last Posted(): every message carried the chart.
    bool allFromPlot = true;
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

    // A hidden object (the read-out box between uses) is not pressed.
    CPlotLabel& readout = plot.GetReadout();
    ASSERT_FALSE(readout.GetVisible());
    readout.SetRect(At(55, 35).x, At(55, 35).y, At(75, 25).x, At(75, 25).y);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP})
        Mouse(msg, At(65, 30));
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(Has(Posted(), kNotifyContext, 0));
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

// ---- notifications: order, wParam and lParam ----

TEST_F(Interact, EachNotificationCarriesTheChartInItsOrder)
{
    using Seq = std::vector<std::pair<UINT, WPARAM>>;
    const WPARAM none = static_cast<WPARAM>(-1);
    Posted();
    // A click on curve 1 of 3: +3 as it is found, -1 for every other
    // visible curve, and its own index last, so that it stands as the
    // parent's selection.
    Click(At(30, 50));
    EXPECT_EQ(Posted(), (Seq{{kNotifyHover, none}, {kNotifyCurve, 1}, {kNotifyHover, none}, {kNotifyHover, 1}}));
    EXPECT_TRUE(allFromPlot);
    plot.ShowCurve(2, false);
    Repaint();
    Mouse(WM_LBUTTONDBLCLK, At(30, 10), MK_LBUTTON);
    EXPECT_EQ(Posted(), (Seq{{kNotifyCurveDbl, 0}, {kNotifyHover, none}, {kNotifyHover, 0}}));
    Mouse(WM_LBUTTONDBLCLK, At(30, 70), MK_LBUTTON);
    EXPECT_EQ(Posted(), (Seq{{kNotifyHover, none}, {kNotifyHover, none}, {kNotifyNothingDbl, 0}}));
    Mouse(WM_RBUTTONDOWN, At(30, 70), MK_RBUTTON);
    Mouse(WM_RBUTTONUP, At(30, 70));
    EXPECT_EQ(Posted(), (Seq{{kNotifyHover, none}, {kNotifyHover, none}, {kNotifyContext, 0}}));
    // Hover stops at the curve under the mouse.
    Mouse(WM_MOUSEMOVE, At(30, 50));
    EXPECT_EQ(Posted(), (Seq{{kNotifyHover, none}, {kNotifyHover, 1}}));
    EXPECT_TRUE(allFromPlot);

    Command(kCmdCursor);
    Mouse(WM_MOUSEMOVE, At(30, 30));
    EXPECT_EQ(Posted(), (Seq{{kNotifyCursorMoved, 0}, {kNotifyHover, none}, {kNotifyHover, none}}));
    Command(kCmdZoom);
    Drag(At(20, 80), At(80, 20));
    EXPECT_EQ(Posted().back(), (std::pair<UINT, WPARAM>{kNotifyZoomed, 0}));
    Command(kCmdZoomBack);
    EXPECT_EQ(Posted(), (Seq{{kNotifyZoomed, 0}}));
    Repaint();
    Command(kCmdPick);
    Mouse(WM_LBUTTONDOWN, At(50, 10), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(50, 10), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, At(50, 10));
    bool picked = false;
    for (const auto& [msg, w] : Posted())
        if (msg == kNotifyPointDragged)
            picked = w != 0;  // the address of the record, not a value
    EXPECT_TRUE(picked);
    EXPECT_TRUE(allFromPlot);
}

// ---- cursor and measuring ----

TEST_F(Interact, HiddenCurvesAreNeitherReadNorMeasured)
{
    plot.GetCurve(1).SetLabel("Torque");
    plot.ShowCurve(1, false);
    Repaint();
    Command(kCmdCursor);
    const CPoint nearHidden(At(50, 50).x, At(50, 50).y + 3);
    Mouse(WM_MOUSEMOVE, nearHidden);
    EXPECT_LT(plot.GetReadout().GetText().Find("Torque"), 0);
    EXPECT_EQ(plot.GetCursorPoint(), nearHidden);

    Command(kCmdMeasure);
    Drag(nearHidden, At(80, 90));
    ASSERT_EQ(plot.GetMeasures().size(), 1u);
    EXPECT_NE(plot.GetMeasures()[0].curve1, 1);
    EXPECT_EQ(plot.GetMeasures()[0].curve2, 2);
}

TEST_F(Interact, AMeasurementNeedsBothEndsOnACurve)
{
    Command(kCmdMeasure);
    Drag(At(20, 10), At(80, 90));
    ASSERT_EQ(plot.GetMeasures().size(), 1u);
    // With nothing to snap to, the next drag measures nothing, and nothing
    // of the first measurement is appended again.
    for (int c = 0; c < 3; ++c)
        plot.ShowCurve(c, false);
    Drag(At(20, 10), At(80, 90));
    EXPECT_EQ(plot.GetMeasures().size(), 1u);
}

TEST_F(Interact, ACursorAtRestReadsTheCurveAsItIsNow)
{
    plot.GetCurve(1).SetLabel("Torque");
    Command(kCmdCursor);
    Mouse(WM_MOUSEMOVE, At(50, 50));
    Posted();
    ASSERT_GE(plot.GetReadout().GetText().Find(", " + ReadoutValue(50.0) + "\r\n"), 0);
    // A live chart: the data moves while the mouse rests.
    for (ChartPoint& p : lines[1])
        p.y = 52.0;
    Repaint();
    EXPECT_GE(plot.GetReadout().GetText().Find(", " + ReadoutValue(52.0) + "\r\n"), 0);
    EXPECT_FALSE(Has(Posted(), kNotifyCursorMoved, 0));
    // Data that moves away leaves the cursor with the mouse.
    for (ChartPoint& p : lines[1])
        p.y = 70.0;
    Repaint();
    EXPECT_LT(plot.GetReadout().GetText().Find("Torque"), 0);
    EXPECT_EQ(plot.GetCursorPoint(), At(50, 50));
}

TEST_F(Interact, AStoredMeasurementKeepsItsPathAndTexts)
{
    plot.GetXAxis(0).SetRange(0, 120);
    Repaint();
    Command(kCmdMeasure);
    Drag(At(20, 10), At(80, 90));
    ASSERT_EQ(plot.GetMeasures().size(), 1u);
    const PlotMeasure m = plot.GetMeasures()[0];
    Command(kCmdNoOp);
    QImage img = BlankImage(400, 300);
    plot.RenderTo(img);
    const CPoint a = At(lines[m.curve1][m.point1].x, lines[m.curve1][m.point1].y);
    const CPoint b = At(lines[m.curve2][m.point2].x, lines[m.curve2][m.point2].y);
    ASSERT_GT(std::abs(a.y - b.y), 40);
    // The vertical leg stands at the end's x from the start's height to
    // the end's, as it did while the user dragged.
    int red = 0;
    for (int y = std::min(a.y, b.y) + 8; y < std::max(a.y, b.y) - 8; ++y)
        if (img.pixel(b.x, y) == qRgb(255, 0, 0))
            ++red;
    EXPECT_GT(red, 10);
}

TEST_F(Interact, PointPickTakesThePointUnderTheMarkersCentre)
{
    plot.GetCurve(0).SetMarkerSize(40);
    Command(kCmdPick);
    // Half the marker is 20 pixels, a few units on this axis.
    const double half = 60.0 - plot.GetXAxis(0).GetValueForPixel(At(60, 10).x - 20);
    ASSERT_GT(half, 0.0);
    ASSERT_LT(half, 10.0);
    Mouse(WM_LBUTTONDOWN, At(60, 10), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(60, 10), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, At(60, 25), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, At(60, 25));
    Posted();
    ASSERT_FALSE(parent.picks.empty());
    EXPECT_EQ(parent.picks.back().point, 2);
    EXPECT_EQ(lines[0][1].y, 10.0);
}

// ---- the scale after the user moves a range ----

namespace {

// The scale texts of an axis as the last paint placed them: no two meet,
// the step is 1, 2 or 5 times a power of ten and every tick a whole
// multiple of it.
void ExpectReadableScale(CPlot& plot, CPlotAxis& axis, const char* what)
{
    SCOPED_TRACE(what);
    QImage img = BlankImage(400, 300);
    plot.RenderTo(img);
    CDCEx dc;
    dc.AttachImage(&img);
    const std::vector<CPlotAxis::Tick> ticks = axis.GetTicks(&dc);
    dc.DeleteDC();
    ASSERT_GE(ticks.size(), 2u) << axis.m_dShownMin << " " << axis.m_dShownMax << " " << axis.GetStep() << " "
                                << axis.GetKind();
    const double step = axis.GetStep();
    ASSERT_GT(step, 0.0);
    const double mant = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    EXPECT_TRUE(std::fabs(mant - 1) < 1e-6 || std::fabs(mant - 2) < 1e-6 || std::fabs(mant - 5) < 1e-6) << step;
    for (size_t i = 0; i < ticks.size(); ++i) {
        const double k = ticks[i].value / step;
        EXPECT_NEAR(k, std::nearbyint(k), 1e-6) << ticks[i].value;
        if (i > 0) {
            CRect both;
            EXPECT_FALSE(both.IntersectRect(ticks[i - 1].rect, ticks[i].rect))
                << ticks[i - 1].text.GetString() << " / " << ticks[i].text.GetString();
        }
    }
}

}  // namespace

TEST_F(Interact, EveryRangeTheUserMakesKeepsARoundReadableScale)
{
    auto both = [&](const char* what) {
        ExpectReadableScale(plot, plot.GetXAxis(0), what);
        ExpectReadableScale(plot, plot.GetYAxis(0), what);
    };
    // A finished 14.6 s series shown in full.
    plot.GetXAxis(0).SetRange(0, 14.6);
    both("series");
    plot.GetXAxis(0).SetRange(0, 100);
    plot.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(MAKELPARAM(0, static_cast<WORD>(static_cast<short>(-120)))), 0);
    plot.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(MAKELPARAM(MK_SHIFT, 120)), 0);
    plot.SendMessage(WM_MOUSEWHEEL, static_cast<WPARAM>(MAKELPARAM(0, 120)), 0);
    both("wheel");
    plot.SendMessage(WM_KEYUP, VK_HOME, 0);
    both("home");
    plot.SendMessage(WM_KEYUP, VK_ADD, 0);
    both("plus");
    plot.SendMessage(WM_KEYUP, VK_SUBTRACT, 0);
    plot.SendMessage(WM_KEYUP, VK_SUBTRACT, 0);
    both("minus");
    plot.SendMessage(WM_KEYUP, VK_LEFT, 0);
    plot.SendMessage(WM_KEYUP, VK_UP, 0);
    both("arrows");
    const double before = plot.GetXAxis(0).GetStep();
    Command(kCmdZoom);
    Drag(At(13, 77), At(41, 19));
    both("zoom");
    Command(kCmdZoomBack);
    both("zoom back");
    EXPECT_EQ(plot.GetXAxis(0).GetStep(), before);
    Command(kCmdPan);
    Drag(At(50, 50), At(37, 61));
    both("pan");
}
