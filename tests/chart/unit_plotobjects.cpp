// What labels, notations, value bands and markers, dots, fills between
// curves and curve markers leave on the pixels.
#include "support_chart.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

QRgb Px(COLORREF c) { return vx::PixelFromColorRef(c); }

int CountColor(const QImage& img, const CRect& r, COLORREF c)
{
    int n = 0;
    for (int y = std::max(0, int(r.top)); y < std::min(img.height(), int(r.bottom)); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(img.width(), int(r.right)); ++x)
            if (img.pixel(x, y) == Px(c))
                ++n;
    return n;
}

// A chart on a plain white plot without keys or legend, axes 0..4 and 0..4
// with autoscale off so nothing moves between paints.
struct Scene {
    Scene()
    {
        plot.SetShowLegend(false);
        plot.SetInnerColor(RGB(255, 255, 255));
        plot.SetData(line, 5, 0, 0, 0, false, false, false);
        for (CPlotAxis* a : {&plot.GetXAxis(0), &plot.GetYAxis(0)}) {
            a->SetShowMarker(false);
            a->SetShowGrid(false);
            a->SetAutoScale(false);
            a->SetShownRange(0, 4, 1);
        }
    }
    CPoint Pixel(double x, double y)
    {
        return CPoint(plot.GetXAxis(0).GetPointForValue({x, y}).x, plot.GetYAxis(0).GetPointForValue({x, y}).y);
    }
    FixedMetrics metrics;
    TestPlot plot;
    ChartPoint line[5] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
    QImage img = BlankImage(400, 300);
};

}  // namespace

TEST(Objects, LabelsConnectToTheMiddlePointAndMayBeTransparent)
{
    Scene s;
    s.plot.ShowCurve(0, false);
    s.plot.RenderTo(s.img);
    const CRect plot = s.plot.GetPlotRect();
    CPlotLabel* label = s.plot.InsertLabel("A");
    label->SetRect(plot.left + 10, plot.top + 10, plot.left + 70, plot.top + 40);
    label->SetConnectedCurve(0);
    label->SetBackColor(RGB(255, 255, 0));
    s.plot.RenderTo(s.img);
    // The line starts at point 2 of 5 (count / 2), not at point 1.
    const CPoint p2 = s.Pixel(2, 2), p1 = s.Pixel(1, 1);
    EXPECT_EQ(s.img.pixel(p2.x, p2.y), Px(RGB(0, 0, 0)));
    EXPECT_EQ(s.img.pixel(p1.x, p1.y), Px(RGB(255, 255, 255)));
    const CRect box = label->GetRect();
    EXPECT_EQ(s.img.pixel(box.left, box.top), Px(RGB(0, 0, 0)));      // border
    EXPECT_EQ(s.img.pixel(box.right - 5, box.top + 5), Px(RGB(255, 255, 0)));

    // Transparent with a border: frame and text only.
    label->SetTransparent(true);
    s.plot.SetInnerColor(RGB(0, 255, 0));
    s.plot.RenderTo(s.img);
    EXPECT_EQ(s.img.pixel(box.left, box.top), Px(RGB(0, 0, 0)));
    EXPECT_EQ(s.img.pixel(box.right - 5, box.top + 5), Px(RGB(0, 255, 0)));
    EXPECT_EQ(CountColor(s.img, box, RGB(255, 255, 0)), 0);

    // A connected index that is no longer a curve draws no line.
    s.plot.DeleteCurve(0);
    s.plot.SetData(s.line, 1, 0, 0, 0, false, false, false);
    label->SetConnectedCurve(3);
    s.plot.RenderTo(s.img);
    EXPECT_EQ(s.img.pixel(p2.x, p2.y), Px(RGB(0, 255, 0)));
}

TEST(Objects, NotationsKeepTheirFirstSizeAndFollowTheirPoint)
{
    Scene s;
    s.plot.ShowCurve(0, false);
    auto* note = new CPlotDataNotation;
    note->Set(2, 2, 0, 2, "[3] : 2,2");
    s.plot.AddObject(note);
    s.plot.RenderTo(s.img);
    CPoint p = s.Pixel(2, 2);
    const CRect first = note->GetRect();
    EXPECT_EQ(first.TopLeft(), CPoint(p.x, p.y - 20));
    EXPECT_EQ(first.Width(), 7 * 9);
    EXPECT_EQ(first.Height(), 13);
    EXPECT_EQ(s.img.pixel(p.x, p.y), Px(RGB(0, 0, 0)));
    EXPECT_EQ(s.img.pixel(first.left - 1, first.top - 1), Px(RGB(0, 0, 0)));  // frame
    EXPECT_EQ(s.img.pixel(p.x, first.bottom + 2), Px(RGB(0, 0, 0)));          // stem

    note->m_strText = "a much longer text than before";
    s.plot.GetXAxis(0).SetShownRange(1, 3, 1);
    s.plot.RenderTo(s.img);
    p = s.Pixel(2, 2);
    EXPECT_EQ(note->GetRect().TopLeft(), CPoint(p.x, p.y - 20));
    EXPECT_EQ(note->GetRect().Size(), first.Size());
}

TEST(Objects, ValueBandsAndMarkersOnTheAxes)
{
    Scene s;
    s.plot.ShowCurve(0, false);
    CPlotAxis& y = s.plot.GetYAxis(0);
    PlotValueMarker inside = y.MakeValueMarker(1.5, PS_SOLID);
    inside.color = RGB(0, 0, 255);
    inside.showText = 0;
    PlotValueMarker outside = inside;
    outside.value = 7;
    outside.color = RGB(255, 0, 255);
    y.PutValueMarker(0, inside);
    y.PutValueMarker(1, outside);
    PlotValueBand solid;
    solid.from = 2.5;
    solid.to = 3.5;
    solid.color = solid.color2 = RGB(255, 200, 200);
    PlotValueBand twoColours = solid;
    twoColours.from = -3;  // clamped to the plot
    twoColours.to = 0.5;
    twoColours.color2 = RGB(0, 0, 0);
    y.PutValueBand(0, solid);
    y.PutValueBand(1, twoColours);
    s.plot.RenderTo(s.img);
    const CRect plot = s.plot.GetPlotRect();
    const int row = s.Pixel(0, 1.5).y;
    EXPECT_GE(CountColor(s.img, CRect(plot.left, row, plot.right, row + 1), RGB(0, 0, 255)), plot.Width() - 12);
    EXPECT_EQ(CountColor(s.img, plot, RGB(255, 0, 255)), 0);
    const int band = s.Pixel(0, 3).y;
    EXPECT_EQ(s.img.pixel(plot.CenterPoint().x, band), Px(RGB(255, 200, 200)));
    // Only the solid band is filled: one run down the middle column.
    const int mid = plot.CenterPoint().x;
    EXPECT_EQ(CountColor(s.img, CRect(mid, plot.top, mid + 1, plot.bottom), RGB(255, 200, 200)),
              s.Pixel(0, 2.5).y - s.Pixel(0, 3.5).y);
}

TEST(Objects, DotsFillsBetweenCurvesAndNumberedMarkers)
{
    Scene s;
    ChartPoint upper[5] = {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}};
    ChartPoint lower[5] = {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}};
    s.plot.SetData(upper, 5, 0, 0, 0, false, false, false);
    s.plot.SetData(lower, 5, 1, 0, 0, false, false, false);
    CPlotDataSerie& a = s.plot.GetCurve(0);
    a.SetFill(true);
    a.SetFillPartner(1);
    a.SetTransparentFill(false);
    a.SetFillColor(RGB(0, 200, 0));
    s.plot.RenderTo(s.img);
    const int x = s.Pixel(2, 0).x;
    EXPECT_EQ(s.img.pixel(x, s.Pixel(2, 2).y), Px(RGB(0, 200, 0)));    // between the curves
    EXPECT_NE(s.img.pixel(x, s.Pixel(2, 0.5).y), Px(RGB(0, 200, 0)));  // below the partner
    EXPECT_NE(s.img.pixel(x, s.Pixel(2, 3.5).y), Px(RGB(0, 200, 0)));  // above the curve

    // Dots: a circle of the line width's radius round each point, no line.
    a.SetFill(false);
    a.SetType(1);
    a.SetLineSize(3);
    s.plot.ShowCurve(1, false);
    s.plot.RenderTo(s.img);
    const CPoint on = s.Pixel(2, 3), between = s.Pixel(2.5, 3);
    EXPECT_EQ(s.img.pixel(on.x, on.y - 2), Px(a.GetColor()));
    EXPECT_NE(s.img.pixel(between.x, between.y), Px(a.GetColor()));

    // Numbered markers in the curve colour at every step-th point (every
    // second one on a short curve).
    a.SetType(0);
    a.SetShowMarker(true);
    a.SetMarkerSize(10);
    s.plot.RenderTo(s.img);
    const CPoint m = s.Pixel(2, 3);
    EXPECT_EQ(s.img.pixel(m.x - 4, m.y - 4), Px(a.GetColor()));
    EXPECT_EQ(s.img.pixel(m.x + 4, m.y + 4), Px(a.GetColor()));
}
