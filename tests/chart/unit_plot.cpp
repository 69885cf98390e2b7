// The chart's model: axes' ranges and mapping, binding curves, layout.
#include "support_chart.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

TEST(Axis, SetRangeRules)
{
    CPlotAxis a;
    ASSERT_TRUE(a.SetRange(5, 5));
    double lo, hi, step;
    a.GetRange(&lo, &hi, &step);
    EXPECT_EQ(lo, 4);
    EXPECT_EQ(hi, 6);
    EXPECT_DOUBLE_EQ(step, 0.2);

    EXPECT_FALSE(a.SetRange(2, 1));
    a.GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(lo, 4);
    EXPECT_FALSE(a.SetRange(NAN, 1));
    EXPECT_FALSE(a.SetRange(0, INFINITY));
    a.GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(hi, 6);

    // Beyond 2^53, +/-1 would leave a span of 0.
    ASSERT_TRUE(a.SetRange(1e300, 1e300));
    a.GetRange(&lo, &hi, nullptr);
    EXPECT_LT(lo, hi);

    CPlotAxis e;
    ASSERT_TRUE(e.SetRange(0, 2e6));
    EXPECT_EQ(e.GetDisplayFmt(), CString("%5.2e"));
    CPlotAxis t;
    t.SetTimeAxis(true);
    t.SetRange(46000, 46001);
    EXPECT_EQ(t.GetDisplayFmt(), CString("%5.3f"));

    CPlotAxis log;
    log.SetLinear(false);
    ASSERT_TRUE(log.SetRange(5, 5));
    log.GetRange(&lo, &hi, &step);
    EXPECT_DOUBLE_EQ(lo, 0.5);
    EXPECT_DOUBLE_EQ(hi, 50);
    EXPECT_EQ(step, 0);
}

TEST(Axis, ShownRangeZoomHistoryAndDecimals)
{
    CPlotAxis a;
    a.SetRange(0, 100);
    a.PushZoom();
    ASSERT_TRUE(a.SetShownRange(10, 20, 5));
    double lo, hi, step, dlo, dhi;
    a.GetRange(&lo, &hi, &step);
    a.GetDataRange(&dlo, &dhi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(step, 5);
    EXPECT_EQ(dhi, 100);
    EXPECT_TRUE(a.PopZoom());
    a.GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(hi, 100);
    EXPECT_FALSE(a.PopZoom());
    a.SetShownRange(1, 2, 0);
    a.ResetShownRange();
    a.GetRange(&lo, &hi, &step);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(step, 10);

    const char* expected[] = {"%5.0f", "%5.1f", "%5.2f", "%5.3f", "%5.2f"};
    const int places[] = {0, 1, 2, 3, 7};
    for (int i = 0; i < 5; ++i) {
        a.SetDecimals(places[i]);
        EXPECT_EQ(a.GetDisplayFmt(), CString(expected[i]));
    }
}

TEST(Axis, MappingBothWaysWithoutAWindow)
{
    CPlotAxis x;
    x.SetPlotRect(CRect(50, 10, 550, 410));
    x.SetRange(0, 100);
    x.m_nLength = 500;
    EXPECT_EQ(x.GetPointForValue({50, 0}).x, 300);
    EXPECT_EQ(x.GetValueForPixel(300), 50);
    EXPECT_EQ(x.GetPointForValue({1e300, 0}).x, int(PlotMath::kPixelLimit));

    CPlotAxis y;
    y.SetKind(1);
    y.SetPlotRect(CRect(50, 10, 550, 410));
    y.SetRange(-1, 1);
    y.m_nLength = 400;
    EXPECT_EQ(y.GetPointForValue({0, 1}).y, 10);
    EXPECT_DOUBLE_EQ(y.GetValueForPixel(210), 0.0);
}

TEST(Axis, CopiesTakeSettingsButNotSelectionOrPlace)
{
    CPlotAxis a;
    a.SetRange(1, 2);
    a.SetLabel("t");
    a.m_bSelected = true;
    a.SetRect(1, 2, 3, 4);
    a.PutValueMarker(0, a.MakeValueMarker(1.5, 0));
    CPlotAxis b(a);
    EXPECT_EQ(b.GetLabel(), CString("t"));
    EXPECT_EQ(b.GetValueMarkerCount(), 1);
    EXPECT_FALSE(b.m_bSelected);
    EXPECT_TRUE(b.GetRect().IsRectNull());
    // An X axis's marker text runs vertically.
    EXPECT_EQ(a.GetValueMarker(0)->font.lfEscapement, 900);
    a.DeleteValueMarker(5);
    EXPECT_EQ(a.GetValueMarkerCount(), 1);
}

TEST(Objects, DefaultsSelectionAndTracking)
{
    CPlotObject o;
    EXPECT_TRUE(o.GetVisible());
    EXPECT_TRUE(o.m_bEditable);
    EXPECT_FALSE(o.m_bSelected || o.m_bTracking || o.m_bEditing);
    EXPECT_TRUE(o.GetRect().IsRectNull());
    o.SetRect(10, 10, 50, 40);
    o.Select();
    EXPECT_TRUE(o.m_bTracking);
    EXPECT_EQ(o.m_Tracker.m_nStyle, 20u);
    o.SetRect(0, 0, 1, 1);
    o.Unselect();
    EXPECT_FALSE(o.m_bTracking);
    EXPECT_EQ(o.m_Tracker.m_rect, CRect(10, 10, 50, 40));

    CPlotLabel label;
    EXPECT_TRUE(label.CanTrack());
    EXPECT_EQ(label.GetText(), CString(" "));
    EXPECT_EQ(label.GetLogFont().lfHeight, 14);
    label.SetAlignment(static_cast<UINT>(-1));
    EXPECT_EQ(label.GetAlignment(), 0u);
    CPlotAxis axis;
    EXPECT_FALSE(axis.CanTrack());
    CPlotDataNotation note;
    EXPECT_FALSE(note.CanTrack());
    EXPECT_FALSE(note.m_bEditable);
    label.m_bEditable = false;
    label.Edit();
    EXPECT_FALSE(label.m_bEditing);
}

TEST(Chart, SetDataBindsCreatesAndColours)
{
    TestPlot plot;
    ChartPoint pts[3] = {{0, 1}, {1, 3}, {2, 2}};
    EXPECT_EQ(plot.SetData(pts, 0, 0, 0, 0, true, false, false), nullptr);
    EXPECT_EQ(plot.SetData(nullptr, 3, 0, 0, 0, true, false, false), nullptr);
    EXPECT_EQ(plot.GetCurveCount(), 0);
    EXPECT_EQ(plot.SetData(pts, 3, 1, 0, 0, true, false, false), nullptr);  // beyond the next index

    for (int i = 0; i < 13; ++i)
        ASSERT_NE(plot.SetData(pts, 3, i, 0, 0, false, false, false), nullptr);
    EXPECT_EQ(plot.GetCurve(12).GetColor(), RGB(128, 0, 0));
    EXPECT_EQ(plot.GetCurve(1).GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(plot.GetCurve(12).m_nReserved, 12);

    plot.SetData(pts, 3, 0, 1, 1, false, false, false);
    ASSERT_EQ(plot.GetXAxisCount(), 2);
    EXPECT_EQ(plot.GetXAxis(1).GetKind(), 0);
    EXPECT_EQ(plot.GetYAxis(1).GetKind(), 1);
    // Neither autoscale nor reset: the new axes keep their defaults.
    double lo, hi;
    plot.GetXAxis(1).GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(lo, DBL_MAX);

    plot.SetData(pts, 3, 0, 0, 0, true, false, false);
    plot.GetYAxis(0).GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);

    // A new binding keeps the curve's colour and name.
    plot.GetCurve(0).SetLabel("Kanal");
    plot.GetCurve(0).SetColor(RGB(1, 2, 3));
    ChartPoint other[1] = {{5, 5}};
    plot.SetData(other, 1, 0, 0, 0, false, false, false);
    EXPECT_EQ(plot.GetCurve(0).GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(plot.GetCurve(0).GetLabel(), CString("Kanal"));
    EXPECT_EQ(plot.GetCurve(0).GetPoints(), other);
}

TEST(Chart, CopiesFitsAndDeletes)
{
    TestPlot plot;
    ChartPoint pts[3] = {{0, 1}, {1, 3}, {2, NAN}};
    CPlotDataSerie* c = plot.SetData(pts, 3, 0, 0, 0, true, true, false);
    pts[0].y = 100;
    EXPECT_EQ(c->GetY(0), 1);
    EXPECT_TRUE(c->OwnsPoints());

    plot.SetData(pts, 3, 1, 0, 0, false, false, false);
    plot.GetXAxis(0).SetRange(-5, -4);
    plot.FitAxes(-1, 0, 1);
    double lo, hi;
    plot.GetXAxis(0).GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(lo, -5);
    plot.GetYAxis(0).GetRange(&lo, &hi, nullptr);
    EXPECT_EQ(lo, 3);     // non-finite points take no part
    EXPECT_EQ(hi, 100);

    EXPECT_FALSE(plot.DeleteCurve(2));
    EXPECT_FALSE(plot.DeleteCurve(-1));
    ASSERT_TRUE(plot.DeleteCurve(0));
    EXPECT_EQ(plot.GetCurveCount(), 1);
    EXPECT_EQ(plot.GetCurve(0).GetPoints(), pts);

    EXPECT_TRUE(plot.SelectCurve(0));
    EXPECT_FALSE(plot.SelectCurve(3));
    plot.SetData(pts, 3, 1, 0, 0, false, false, false);
    plot.SelectCurve(1);
    EXPECT_FALSE(plot.GetCurve(0).m_bSelected);
    EXPECT_TRUE(plot.GetCurve(1).m_bSelected);
    EXPECT_EQ(plot.GetCurveIndex(&plot.GetCurve(1)), 1);
    EXPECT_EQ(plot.GetAxisIndex(&plot.GetYAxis(0)), 0);
}

TEST(Chart, LabelsObjectsAndDeleteAll)
{
    TestPlot plot;
    plot.m_PlotRect = CRect(10, 10, 210, 110);
    CPlotLabel* label = plot.InsertLabel("x");
    EXPECT_EQ(label->GetRect(), CRect(60, 10, 160, 110));
    EXPECT_EQ(label->GetGraph(), &plot);
    EXPECT_EQ(plot.GetObjects().GetCount(), 2);
    EXPECT_EQ(plot.GetObjects().GetHead(), &plot.GetReadout());

    EXPECT_FALSE(plot.DeleteObject(&plot.GetReadout()));
    CPlotLabel* kept = plot.InsertLabel("kept");
    kept->SetProtected(true);
    EXPECT_FALSE(plot.DeleteObject(kept));
    EXPECT_TRUE(plot.DeleteObject(label));

    ChartPoint pts[2] = {{0, 0}, {1, 1}};
    plot.SetData(pts, 2, 0, 0, 0, true, false, false);
    plot.GetMeasures().push_back({0, 0, 0, 1});
    plot.DeleteAll();
    EXPECT_EQ(plot.GetObjects().GetCount(), 1);
    EXPECT_EQ(plot.GetObjects().GetHead(), &plot.GetReadout());
    EXPECT_EQ(plot.GetCurveCount(), 0);
    EXPECT_EQ(plot.GetXAxisCount(), 0);
    EXPECT_EQ(plot.GetMeasures().size(), 1u);
    // A paint with measures naming curves that are gone must not fail.
    QImage img = BlankImage(200, 150);
    plot.RenderTo(img);
}

TEST(Chart, LayoutPlacesAxesAndLegend)
{
    FixedMetrics metrics;
    TestPlot plot;
    ChartPoint pts[2] = {{0, 0}, {10, 10}};
    plot.SetData(pts, 2, 0, 0, 0, true, false, false);
    plot.SetData(pts, 2, 1, 0, 1, true, false, false);
    plot.SetData(pts, 2, 2, 0, 2, true, false, false);
    plot.GetYAxis(2).SetVisible(false);
    QImage img = BlankImage(600, 400);
    plot.RenderTo(img);
    EXPECT_EQ(plot.GetYAxis(0).GetPlacement(), 0);
    EXPECT_EQ(plot.GetYAxis(1).GetPlacement(), 1);
    EXPECT_EQ(plot.GetYAxis(2).GetPlacement(), 0);
    const CRect p = plot.GetPlotRect();
    // The invisible third axis takes no room but has its origin.
    EXPECT_EQ(plot.GetYAxis(0).GetOriginX(), p.left);
    EXPECT_EQ(plot.GetYAxis(2).GetOriginX(), p.left);
    EXPECT_EQ(plot.GetYAxis(1).GetOriginX(), p.right);
    EXPECT_EQ(plot.GetXAxis(0).GetOriginY(), p.bottom);
    EXPECT_EQ(plot.GetYAxis(0).GetOriginY(), p.bottom);

    // Legend on the right: 3 rows "01 " of 3 chars -> 21 + 16 wide.
    const auto& legend = plot.GetLegendEntries();
    ASSERT_EQ(legend.size(), 3u);
    EXPECT_EQ(legend[0].rect, CRect(600 - 5 - 10 - 37 + 1, 5 + 10 + 1, 600 - 5 - 10 - 1, 5 + 10 + 1 + 13));
    EXPECT_EQ(legend[2].curve, &plot.GetCurve(2));
    EXPECT_LE(p.right, 600 - 5 - 37 - 20);

    plot.SetLegendAlignment(0);
    plot.RenderTo(img);
    EXPECT_EQ(plot.GetLegendEntries()[0].rect.left, 5 + 10 + 1);
    plot.SetLegendAlignment(5);
    plot.RenderTo(img);
    EXPECT_TRUE(plot.GetLegendEntries().empty());
}

TEST(Chart, InvisibleAxisStillLaysOutAndKeysTakeRoom)
{
    FixedMetrics metrics;
    TestPlot plot;
    ChartPoint pts[2] = {{0, 0}, {10, 10}};
    QImage img = BlankImage(600, 400);
    plot.SetData(pts, 2, 0, 0, 0, true, false, false);
    for (int i = 1; i < 4; ++i)
        plot.SetData(pts, 2, i, 0, 0, true, false, false);
    plot.GetYAxis(0).SetVisible(false);
    plot.RenderTo(img);
    const CPlotAxis& y = plot.GetYAxis(0);
    EXPECT_EQ(y.GetKeyExtent(), 20.0);  // 4 curves: two rows of 10
    EXPECT_EQ(y.GetGap(), 10.0);
    EXPECT_EQ(y.GetLength(), plot.GetPlotRect().Height() - 30);
    EXPECT_EQ(plot.GetXAxis(0).GetKeyExtent(), 30.0);  // 10 + two columns

    TestPlot empty;
    ChartPoint one[1] = {{0, 0}};
    empty.SetData(one, 1, 0, 0, 0, true, false, false);
    empty.ShowCurve(0, false);
    empty.RenderTo(img);
    EXPECT_EQ(empty.GetYAxis(0).GetKeyExtent(), 0.0);
    EXPECT_EQ(empty.GetXAxis(0).GetKeyExtent(), 10.0);
}

TEST(Curve, TrendsFromTheBoundPoints)
{
    std::vector<ChartPoint> pts;
    for (int i = 0; i < 6; ++i)
        pts.push_back({double(i), 1.0 + 2.0 * i - 0.5 * i * i});
    CPlotDataSerie c;
    c.SetPoints(pts.data(), 6, false);
    const auto parabola = c.PolynomialTrendOfDegree(2, 0);
    ASSERT_EQ(parabola.size(), 6u);
    EXPECT_EQ(c.GetSolver().GetCount(), 3);
    EXPECT_NEAR(c.GetSolver().GetCoefficient(2), -0.5, 1e-9);
    EXPECT_NEAR(parabola[5].y, pts[5].y, 1e-9);
    EXPECT_EQ(c.LinearTrend(2).size(), 8u);
    EXPECT_EQ(c.SimpleMovingAverage(3).size(), 6u);
    // One point makes no trend, and reads outside the points give 0.
    CPlotDataSerie one;
    ChartPoint single[1] = {{2, 2}};
    one.SetPoints(single, 1, false);
    EXPECT_TRUE(one.LinearTrend(0).empty());
    EXPECT_EQ(one.GetX(1), 0.0);
    EXPECT_EQ(one.GetY(-1), 0.0);
}
