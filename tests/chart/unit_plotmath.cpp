#include "chart/PlotMath.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace PlotMath;

namespace {

struct Range {
    double min, max, step;
};

Range Auto(int n, double lo, double hi)
{
    Range r{lo, hi, 0.0};
    AutoScaleLinear(n, &r.min, &r.max, &r.step);
    return r;
}

}  // namespace

TEST(TickStep, ReadableStepsAndRoundedRanges)
{
    Range r = Auto(10, 0, 1);
    EXPECT_DOUBLE_EQ(r.step, 0.1);
    EXPECT_DOUBLE_EQ(r.min, 0.0);
    EXPECT_DOUBLE_EQ(r.max, 1.0);

    r = Auto(10, 0, 97);
    EXPECT_DOUBLE_EQ(r.step, 10.0);
    EXPECT_DOUBLE_EQ(r.max, 100.0);

    r = Auto(10, 3.7, 9.2);
    EXPECT_DOUBLE_EQ(r.step, 1.0);
    EXPECT_DOUBLE_EQ(r.min, 2.0);
    EXPECT_DOUBLE_EQ(r.max, 10.0);

    r = Auto(10, -3.7, 9.2);
    EXPECT_DOUBLE_EQ(r.step, 2.0);
    EXPECT_DOUBLE_EQ(r.min, -4.0);
    EXPECT_DOUBLE_EQ(r.max, 10.0);

    r = Auto(10, 0.5, 9.5);
    EXPECT_DOUBLE_EQ(r.min, 0.0);
    EXPECT_FALSE(std::signbit(r.min));
    EXPECT_EQ(FormatValue("%5.3f", r.min), CString("0.000"));
}

TEST(TickStep, RoundingWithAGivenStepIsAsymmetricAndIdempotent)
{
    double lo = 3.7, hi = 9.2;
    RoundToStep(1.0, &lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 2.0);
    EXPECT_DOUBLE_EQ(hi, 10.0);
    // 0.1 * 10 accumulates to 0.9999...; the rounding must not creep.
    lo = 0.0;
    hi = 0.1 * 3 + 0.7;
    for (int i = 0; i < 20; ++i)
        RoundToStep(0.1, &lo, &hi);
    EXPECT_NEAR(hi, 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(lo, 0.0);
}

TEST(TickStep, AutoscaleTwiceChangesNothing)
{
    const double cases[][3] = {{10, 0, 1},       {10, 0.05, 2.05}, {7, -123.4, 5e3},
                               {3, 1e-7, 3e-7},  {12, -1, -0.001}, {10, 0, 0.1 * 3},
                               {4, 1e9, 1e9 + 1}};
    for (const auto& c : cases) {
        Range a = Auto(int(c[0]), c[1], c[2]);
        Range b = Auto(int(c[0]), a.min, a.max);
        EXPECT_EQ(a.min, b.min) << c[1] << ".." << c[2];
        EXPECT_EQ(a.max, b.max) << c[1] << ".." << c[2];
        EXPECT_EQ(a.step, b.step) << c[1] << ".." << c[2];
        EXPECT_LE(a.min, c[1]);
        EXPECT_GE(a.max, c[2]);
    }
}

TEST(TickStep, DegenerateRangesChangeNothingAndTicksStayBounded)
{
    Range r = Auto(10, DBL_MAX, -DBL_MAX);
    EXPECT_EQ(r.min, DBL_MAX);
    r = Auto(10, 5, 5);
    EXPECT_EQ(r.step, 0.0);
    r = Auto(10, -INFINITY, 3);
    EXPECT_EQ(r.step, 0.0);
    r = Auto(10, 0, NAN);
    EXPECT_EQ(r.step, 0.0);

    // 1e9 +/- 1e-7: v + step == v for many steps.
    r = Auto(10, 1e9 - 1e-7, 1e9 + 1e-7);
    EXPECT_LE(LinearTicks(r.min, r.max, r.step, true).size(), size_t(kMaxTicks));
    EXPECT_TRUE(LinearTicks(0, 1, 0.0, true).empty());
    EXPECT_TRUE(LinearTicks(0, 1, -1.0, true).empty());
    EXPECT_TRUE(LinearTicks(0, 1, NAN, true).empty());
    EXPECT_TRUE(LinearTicks(1, 0, 0.1, true).empty());
    EXPECT_EQ(LinearTicks(0, 1e9, 1e-9, true).size(), size_t(kMaxTicks));
    for (double v : LinearTicks(-DBL_MAX, DBL_MAX, DBL_MAX / 4, true))
        EXPECT_TRUE(std::isfinite(v));
}

TEST(TickStep, EndTicksYIncludesMaxXDoesNot)
{
    // 0.1 * 10 by addition falls short of 1; the tick at max is still one tick.
    EXPECT_EQ(LinearTicks(0, 1, 0.1, true).size(), 11u);
    EXPECT_EQ(LinearTicks(0, 1, 0.1, false).size(), 10u);
    EXPECT_DOUBLE_EQ(LinearTicks(-4, 10, 2, true).back(), 10.0);
}

TEST(TickStep, TimeSteps)
{
    EXPECT_DOUBLE_EQ(TimeStepSeconds(100, 10), 10);
    EXPECT_DOUBLE_EQ(TimeStepSeconds(25200, 3), 14400);
    EXPECT_DOUBLE_EQ(TimeStepSeconds(2e9, 1), 2e9);
    EXPECT_DOUBLE_EQ(TimeStepSeconds(100, 0), 0);
    EXPECT_DOUBLE_EQ(TimeStepSeconds(0.3, 1), 1);

    // 2026-01-01 12:00:07 .. 12:00:52 over 10 ticks: 5 s steps.
    const double day = 46023.0;
    double lo = day + (12 * 3600 + 7) / 86400.0, hi = day + (12 * 3600 + 52) / 86400.0, step = 0;
    ASSERT_TRUE(AutoScaleTime(10, &lo, &hi, &step));
    EXPECT_DOUBLE_EQ(step * 86400, 5.0);
    EXPECT_NEAR((lo - day) * 86400, 12 * 3600 + 5, 1e-4);
    EXPECT_NEAR((hi - day) * 86400, 12 * 3600 + 55, 1e-4);

    // 3 s .. 103 s over 10: 10 s steps would widen to 0..110, which asks
    // for 15 s; the range settles at once and a second pass keeps it.
    lo = day + 3 / 86400.0;
    hi = day + 103 / 86400.0;
    ASSERT_TRUE(AutoScaleTime(10, &lo, &hi, &step));
    EXPECT_NEAR(step * 86400, 15.0, 1e-6);
    EXPECT_NEAR((lo - day) * 86400, 0.0, 1e-4);
    EXPECT_NEAR((hi - day) * 86400, 120.0, 1e-4);
    double lo2 = lo, hi2 = hi, step2 = 0;
    ASSERT_TRUE(AutoScaleTime(10, &lo2, &hi2, &step2));
    EXPECT_EQ(lo2, lo);
    EXPECT_EQ(hi2, hi);
    EXPECT_EQ(step2, step);
}

TEST(TickStep, LogRanges)
{
    double lo = 3, hi = 700;
    ASSERT_TRUE(AutoScaleLog(&lo, &hi));
    EXPECT_DOUBLE_EQ(lo, 1);
    EXPECT_DOUBLE_EQ(hi, 1000);
    ASSERT_TRUE(AutoScaleLog(&lo, &hi));
    EXPECT_DOUBLE_EQ(lo, 1);
    EXPECT_DOUBLE_EQ(hi, 1000);
    lo = 0.5;
    hi = 50;
    AutoScaleLog(&lo, &hi);
    EXPECT_DOUBLE_EQ(lo, 0.1);
    EXPECT_DOUBLE_EQ(hi, 100);

    const auto ticks = LogTicks(1, 1000);
    EXPECT_EQ(ticks.size(), 27u);
    int texts = 0;
    for (const auto& t : ticks)
        texts += t.withText;
    EXPECT_EQ(texts, 3);
    EXPECT_TRUE(LogTicks(0, 10).empty());
}

TEST(Mapping, LinearBothWaysAndRoundTrips)
{
    AxisScale x{0, 100, 50, 500, false, true};
    EXPECT_EQ(ClampPixel(ValueToPixelF(x, 50)), 300);
    EXPECT_EQ(PixelToValue(x, 300), 50);
    AxisScale y{-1, 1, 400, 200, true, true};
    EXPECT_EQ(ClampPixel(ValueToPixelF(y, 1)), 200);
    EXPECT_EQ(ClampPixel(ValueToPixelF(y, -1)), 400);
    EXPECT_DOUBLE_EQ(PixelToValue(y, 300), 0.0);

    const double perPixel = 100.0 / 500;
    for (int i = 0; i < 200; ++i) {
        const double v = (i * 37 % 1000) / 10.0 + 0.013 * i;
        const double back = PixelToValue(x, ClampPixel(ValueToPixelF(x, v)));
        EXPECT_LE(std::fabs(back - v), perPixel) << v;
    }
    // A tick's pixel is the data pixel of the same value.
    for (double t : LinearTicks(0, 100, 10, true))
        EXPECT_EQ(ClampPixel(ValueToPixelF(x, t)), 50 + int(t * 5));
}

TEST(Mapping, LogAndFarOffValues)
{
    AxisScale x{1, 1000, 0, 300, false, false};
    EXPECT_EQ(ClampPixel(ValueToPixelF(x, 10)), 100);
    EXPECT_EQ(ClampPixel(ValueToPixelF(x, 100)), 200);
    EXPECT_NEAR(PixelToValue(x, 200), 100, 1e-9);
    EXPECT_TRUE(std::isnan(ValueToPixelF(x, 0)));
    EXPECT_TRUE(std::isnan(ValueToPixelF(x, -5)));

    AxisScale z{0, 1e-12, 0, 1000, false, true};
    const int p = ClampPixel(ValueToPixelF(z, 1e6));
    EXPECT_EQ(p, int(kPixelLimit));
    EXPECT_EQ(ClampPixel(-1e300), -int(kPixelLimit));
    EXPECT_EQ(ClampPixel(NAN), 0);
    EXPECT_TRUE(std::isnan(ValueToPixelF(z, INFINITY)));
}

TEST(Mapping, FindPointIndex)
{
    const ChartPoint uniform[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    EXPECT_EQ(FindPointIndex(uniform, 5, -3), 0);
    EXPECT_EQ(FindPointIndex(uniform, 5, 2.5), 3);
    EXPECT_EQ(FindPointIndex(uniform, 5, 2.0), 3);
    EXPECT_EQ(FindPointIndex(uniform, 5, 99), 5);
    const ChartPoint uneven[] = {{0, 0}, {0.1, 0}, {5, 0}, {5.5, 0}, {9, 0}};
    // Estimated past x: the walk back gives the last point not beyond x.
    EXPECT_EQ(FindPointIndex(uneven, 5, 5.2), 2);
    EXPECT_EQ(FindPointIndex(uneven, 5, 0.05), 1);
    // Seeded curves start with equal x: no division by zero.
    const ChartPoint seed[] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}};
    EXPECT_EQ(FindPointIndex(seed, 4, 0.5), 3);
    EXPECT_EQ(FindPointIndex(seed, 1, 0.5), 0);
    EXPECT_EQ(FindPointIndex(seed, 0, 0.5), -1);
    EXPECT_EQ(FindPointIndex(uniform, 5, NAN), 0);
    EXPECT_EQ(FindPointIndex(uniform, 5, 1e300), 5);
}

TEST(Geometry, SegmentHitsAndDistances)
{
    EXPECT_DOUBLE_EQ(DistanceToLine(CPoint(0, 0), CPoint(10, 0), CPoint(0, 5)), 5);
    EXPECT_DOUBLE_EQ(DistanceToLine(CPoint(0, 0), CPoint(10, 0), CPoint(20, 5)), 5);
    EXPECT_DOUBLE_EQ(DistanceToLine(CPoint(3, 4), CPoint(3, 4), CPoint(0, 0)), 5);
    EXPECT_TRUE(HitSegment(0, 0, 100, 0, 50, 2, 4));
    EXPECT_FALSE(HitSegment(0, 0, 100, 0, 50, 3, 4));
    EXPECT_TRUE(HitSegment(0, 0, 0, 0, 1, 0, 0));  // tolerance floor of 1
}

TEST(Trends, LinearAndCubic)
{
    const ChartPoint line[] = {{1, 1}, {2, 2}, {3, 3}};
    const auto t = LinearTrend(line, 3, 2);
    ASSERT_EQ(t.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(t[i].x, i + 1.0);
        EXPECT_NEAR(t[i].y, i + 1.0, 1e-12);
    }
    const ChartPoint one[] = {{1, 1}};
    EXPECT_TRUE(LinearTrend(one, 1, 0).empty());
    EXPECT_TRUE(CubicTrend(one, 1, 3).empty());

    ChartPoint cube[6];
    for (int k = 1; k <= 6; ++k)
        cube[k - 1] = {double(k) * 0.5, double(k * k * k)};
    const auto c = CubicTrend(cube, 6, 1);
    ASSERT_EQ(c.size(), 7u);
    EXPECT_NEAR(c[1].y, 8.0, 1e-9);
    EXPECT_NEAR(c[6].y, 343.0, 1e-9);
    EXPECT_DOUBLE_EQ(c[6].x, 3.5);
}

TEST(Trends, PolynomialSolver)
{
    ChartPoint quad[8];
    for (int i = 0; i < 8; ++i) {
        const double x = i - 2.5;
        quad[i] = {x, 3.0 - 2.0 * x + 0.5 * x * x};
    }
    CPolynomialSolver s;
    const auto p = PolynomialTrend(quad, 8, 3, 2, &s);
    ASSERT_EQ(p.size(), 10u);
    ASSERT_EQ(s.GetCount(), 3);
    EXPECT_NEAR(s.GetCoefficient(0), 3.0, 1e-9);
    EXPECT_NEAR(s.GetCoefficient(1), -2.0, 1e-9);
    EXPECT_NEAR(s.GetCoefficient(2), 0.5, 1e-9);
    EXPECT_DOUBLE_EQ(p[9].x, 6.5);
    EXPECT_NEAR(p[9].y, 3.0 - 13.0 + 0.5 * 6.5 * 6.5, 1e-8);

    const ChartPoint sameX[] = {{2, 1}, {2, 3}, {2, 5}};
    EXPECT_TRUE(PolynomialTrend(sameX, 3, 2, 0, &s).empty());
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_TRUE(PolynomialTrend(quad, 8, 22, 0, &s).empty());
    EXPECT_TRUE(PolynomialTrend(quad, 2, 3, 0, &s).empty());
    const ChartPoint one[] = {{4, 7}};
    const auto flat = PolynomialTrend(one, 1, 1, 2, &s);
    ASSERT_EQ(flat.size(), 3u);
    for (const auto& pt : flat)
        EXPECT_TRUE(std::isfinite(pt.x) && std::isfinite(pt.y));
}

TEST(Trends, MovingAverages)
{
    ChartPoint y[6];
    for (int i = 0; i < 6; ++i)
        y[i] = {double(i), double(i + 1)};
    const auto s = MovingAverage(Average::Simple, y, 6, 3);
    ASSERT_EQ(s.size(), 6u);
    // Warm-up: the window holds every point so far, y[0] included.
    const double simple[] = {1, 1.5, 2, 3, 4, 5};
    for (int i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(s[i].y, simple[i]) << i;

    const auto e = MovingAverage(Average::Exponential, y, 6, 3);
    EXPECT_DOUBLE_EQ(e[1].y, 0.5 * 2 + 0.5 * 1);
    EXPECT_DOUBLE_EQ(e[2].y, 0.5 * 3 + 0.5 * 1.5);

    const auto l = MovingAverage(Average::LinearWeighted, y, 6, 3);
    EXPECT_DOUBLE_EQ(l[1].y, (2 * 2 + 1 * 1) / 3.0);
    EXPECT_DOUBLE_EQ(l[2].y, (3 * 3 + 2 * 2 + 1 * 1) / 6.0);
    EXPECT_DOUBLE_EQ(l[5].y, (3 * 6 + 2 * 5 + 1 * 4) / 6.0);

    // m = 3: h = 2, weights (0.5, 1, 0.5) * 3 over y[i], y[i-1], y[i-2].
    const auto t = MovingAverage(Average::Triangular, y, 6, 3);
    EXPECT_DOUBLE_EQ(t[5].y, (0.5 * 6 + 1 * 5 + 0.5 * 4) / 2.0);

    const auto sn = MovingAverage(Average::Sine, y, 6, 3);
    const double pi = 3.14159265358979;
    const double w1 = std::sin(pi / 4), w2 = std::sin(2 * pi / 4), w3 = std::sin(3 * pi / 4);
    EXPECT_NEAR(sn[5].y, (w3 * 6 + w2 * 5 + w1 * 4) / (w1 + w2 + w3), 1e-12);

    EXPECT_TRUE(MovingAverage(Average::Simple, y, 6, 0).empty());
    EXPECT_TRUE(MovingAverage(Average::Sine, y, 0, 3).empty());
}

TEST(Markers, ShapesStepsAndColours)
{
    EXPECT_EQ(MarkerShapePoints(3, 0, 0, 10),
              (std::vector<CPoint>{{5, 0}, {10, 5}, {5, 10}, {0, 5}}));
    EXPECT_EQ(MarkerShapePoints(4, 0, 0, 10),
              (std::vector<CPoint>{{9, 0}, {0, 5}, {9, 10}}));
    EXPECT_EQ(MarkerShapePoints(5, 0, 0, 10),
              (std::vector<CPoint>{{5, 0}, {10, 10}, {0, 10}}));
    EXPECT_EQ(MarkerShapePoints(6, 0, 0, 10),
              (std::vector<CPoint>{{0, 0}, {10, 5}, {0, 10}}));
    EXPECT_EQ(MarkerShapePoints(7, 0, 0, 10),
              (std::vector<CPoint>{{0, 0}, {10, 0}, {5, 10}}));
    EXPECT_TRUE(MarkerShapePoints(8, 0, 0, 10).empty());

    EXPECT_EQ(MarkerStep(400, 10, 1000, false), 100);
    EXPECT_EQ(MarkerStep(400, 10, 1000, true), 1);
    EXPECT_EQ(MarkerStep(30, 10, 1000, false), 2);
    EXPECT_EQ(MarkerStep(400, 0, 1000, false), 2);

    EXPECT_EQ(MarkerDigitColor(RGB(128, 0, 0), false), RGB(255, 255, 255));
    EXPECT_EQ(MarkerDigitColor(RGB(255, 0, 0), false), RGB(0, 0, 0));
    EXPECT_EQ(MarkerDigitColor(RGB(0, 0, 255), false), RGB(255, 255, 255));
    EXPECT_EQ(MarkerDigitColor(RGB(255, 255, 255), true), RGB(255, 255, 255));
    EXPECT_EQ(InverseColor(RGB(255, 255, 255)), RGB(0, 0, 0));
}

TEST(Scaling, PrinterScale)
{
    EXPECT_DOUBLE_EQ(PrinterScale(96, 600), 6.25);
    EXPECT_EQ(ScaleCoord(10, 6.25), 62);
    EXPECT_EQ(ScaleCoord(20, 6.25), 125);
    EXPECT_DOUBLE_EQ(PrinterScale(96, 96), 1.0);
    EXPECT_DOUBLE_EQ(PrinterScale(0, 600), 1.0);
}

TEST(Formats, DisplayFormatsAreValidatedBeforeUse)
{
    EXPECT_TRUE(IsValidDisplayFmt("%5.3f"));
    EXPECT_TRUE(IsValidDisplayFmt("%+.2e V"));
    EXPECT_TRUE(IsValidDisplayFmt("100%% %g"));
    EXPECT_FALSE(IsValidDisplayFmt("%s"));
    EXPECT_FALSE(IsValidDisplayFmt("%5.3f%n"));
    EXPECT_FALSE(IsValidDisplayFmt("%f %f"));
    EXPECT_FALSE(IsValidDisplayFmt("plain"));
    EXPECT_FALSE(IsValidDisplayFmt("%d"));
    EXPECT_FALSE(IsValidDisplayFmt("%99999f"));
    EXPECT_EQ(FormatValue("%6.2lf", 2.5), CString("  2.50"));
    EXPECT_FALSE(IsValidDisplayFmt("%Lf"));
    EXPECT_FALSE(IsValidDisplayFmt("%llf"));
    EXPECT_EQ(FormatValue("%s%n", 1.5), CString("1.500"));
    EXPECT_EQ(FormatValue("%.1f", -0.01), CString("0.0"));
    EXPECT_EQ(FormatValue("%.1f", -0.5), CString("-0.5"));
    EXPECT_EQ(DecimalsFormat(0), CString("%5.0f"));
    EXPECT_EQ(DecimalsFormat(3), CString("%5.3f"));
    EXPECT_EQ(DecimalsFormat(7), CString("%5.2f"));
}
