// What the property pages read and write, without windows: time steps,
// number formats, the fill partner list, derived curve names and formula.
#include "chart/ChartDlgLogic.h"
#include "chart/Plot.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace ChartDlgLogic;

namespace {

double Seconds(double s) { return s / 86400.0; }

void ThreeCurves(CPlot& chart)
{
    ChartPoint pts[3] = {{0, 1}, {1, 2}, {2, 3}};
    for (int i = 0; i < 3; ++i) {
        chart.SetData(pts, 3, i, 0, 0, true, true, false);
        chart.GetCurve(i).SetLabel(CString::Formatted("C%d", i + 1));
    }
}

} // namespace

TEST(AxisPageLogic, StepShownInTheLargestWholeUnit)
{
    auto ts = [](double seconds) {
        const TimeStep t = StepToTimeUnit(Seconds(seconds));
        return std::make_pair(t.step, t.unit);
    };
    EXPECT_EQ(ts(7200), std::make_pair(2, 2));
    EXPECT_EQ(ts(5400), std::make_pair(90, 1));
    EXPECT_EQ(ts(60), std::make_pair(60, 0));     // strictly above one minute
    EXPECT_EQ(ts(86400), std::make_pair(24, 2));
    EXPECT_EQ(ts(172800), std::make_pair(2, 3));
    EXPECT_EQ(ts(0.4), std::make_pair(0, 0));
    // Steps beyond an int, or not a number, still give a defined answer.
    EXPECT_GT(StepToTimeUnit(1e12).step, 0);
    EXPECT_EQ(StepToTimeUnit(NAN).step, 0);

    EXPECT_DOUBLE_EQ(TimeUnitToDays(3, 3), 3.0);
    EXPECT_DOUBLE_EQ(TimeUnitToDays(2, 2), 2.0 / 24.0);
    EXPECT_DOUBLE_EQ(TimeUnitToDays(5, 9), Seconds(5));
    EXPECT_DOUBLE_EQ(TimeUnitToDays(5, -1), Seconds(5));
}

TEST(AxisPageLogic, FormatsDecimalsAndEscapes)
{
    EXPECT_EQ(PlainAxisFormat(0, 2e6, 2), CString("%5.2e"));
    EXPECT_EQ(PlainAxisFormat(5e-7, 1, 2), CString("%5.2e"));
    EXPECT_EQ(PlainAxisFormat(0, 100, 2), CString("%5.2f"));
    EXPECT_EQ(PlainAxisFormat(0, 1e6, 3), CString("%5.3f"));
    EXPECT_EQ(PlainAxisFormat(-2e6, 0, 0), CString("%5.0e"));

    EXPECT_EQ(DecimalsFromFormat("%5.3f", 0), 3);
    EXPECT_EQ(DecimalsFromFormat("%5.10f", 0), 6);
    EXPECT_EQ(DecimalsFromFormat("%g", 4), 4);

    const CString fmt = "%d.%m.%Y\n%H:%M:%S";
    EXPECT_EQ(EscapeNewlines(fmt), CString("%d.%m.%Y\\n%H:%M:%S"));
    EXPECT_EQ(UnescapeNewlines(EscapeNewlines(fmt)), fmt);
    EXPECT_EQ(UnescapeNewlines("a\\"), CString("a\\"));
}

TEST(AxisPageLogic, EnablingFollowsAutoscaleAndTimeAxis)
{
    const AxisEnabling plain = AxisEnable(false, false);
    EXPECT_TRUE(plain.range);
    EXPECT_FALSE(plain.timeRange);
    EXPECT_TRUE(plain.decimals);
    EXPECT_FALSE(plain.format);
    const AxisEnabling time = AxisEnable(false, true);
    EXPECT_FALSE(time.range);
    EXPECT_TRUE(time.timeRange);
    EXPECT_FALSE(time.decimals);
    EXPECT_TRUE(time.format);
    for (bool t : {false, true}) {
        const AxisEnabling a = AxisEnable(true, t);
        EXPECT_FALSE(a.range);
        EXPECT_FALSE(a.timeRange);
    }
}

TEST(AxisPageLogic, DateAndTimeOfDayCombine)
{
    EXPECT_DOUBLE_EQ(CombineDateAndTime(45000.7, 0.25), 45000.25);
    EXPECT_DOUBLE_EQ(CombineDateAndTime(45000.0, 45123.5), 45000.5);
    // Before 1899-12-30 the fraction still counts forwards: -1.5 is noon
    // of 29 December.
    EXPECT_DOUBLE_EQ(CombineDateAndTime(-1.5, 0.25), -1.25);
}

TEST(AxisPageLogic, ReadAndWriteAnAxis)
{
    CPlotAxis time;
    time.SetTimeAxis(true);
    time.SetAutoScale(false);
    time.SetDisplayFmt("%H:%M\n%d");
    time.SetShownRange(45000.0, 45001.0, Seconds(7200));
    AxisValues v = ReadAxis(time, 0.0);
    EXPECT_EQ(v.timeStep, CString("2"));
    EXPECT_EQ(v.timeUnit, 2);
    EXPECT_EQ(v.format, CString("%H:%M\\n%d"));
    EXPECT_DOUBLE_EQ(v.minDate, 45000.0);
    EXPECT_DOUBLE_EQ(v.maxTime, 45001.0);

    v.timeStep = "3";
    v.timeUnit = 3;
    v.maxDate = 45010.0;
    v.maxTime = 0.5;
    v.format = "";
    ASSERT_TRUE(CheckAxis(v).IsEmpty());
    WriteAxis(v, time, RGB(1, 2, 3));
    double lo, hi, step;
    time.GetRange(&lo, &hi, &step);
    EXPECT_DOUBLE_EQ(hi, 45010.5);
    EXPECT_DOUBLE_EQ(step, 3.0);
    EXPECT_EQ(time.GetDisplayFmt(), CString(kDefaultTimeFormat));

    // A plain axis becomes a time axis: the empty format gets the default.
    CPlotAxis plain;
    plain.SetDisplayFmt("%5.10f");
    AxisValues p = ReadAxis(plain, 44000.0);
    EXPECT_EQ(p.decimals, 6);
    EXPECT_DOUBLE_EQ(p.minDate, 44000.0);
    p.autoscale = 0;
    p.min = 0;
    p.max = 2e6;
    p.step = 0;
    p.decimals = 2;
    p.color = CLR_DEFAULT;
    p.gridStyle = -1;
    ASSERT_TRUE(CheckAxis(p).IsEmpty());
    WriteAxis(p, plain, RGB(9, 9, 9));
    EXPECT_EQ(plain.GetDisplayFmt(), CString("%5.2e"));
    EXPECT_EQ(plain.GetColor(), RGB(9, 9, 9));
    EXPECT_EQ(plain.GetGridStyle(), 2u);   // no selection keeps the style

    p.min = 5;
    p.max = 1;
    EXPECT_FALSE(CheckAxis(p).IsEmpty());
    p.min = 0;
    p.step = -1;
    EXPECT_FALSE(CheckAxis(p).IsEmpty());
    p.step = INFINITY;
    EXPECT_FALSE(CheckAxis(p).IsEmpty());
    p.autoscale = 1;
    EXPECT_TRUE(CheckAxis(p).IsEmpty());
}

// The pages' own messages come in the program's language; English
// without the program's texts.
TEST(AxisPageLogic, MessagesSpeakTheProgramsLanguage)
{
    AxisValues v;
    v.min = 5;
    EXPECT_EQ(CheckAxis(v), CString("The minimum must not be above the maximum."));
    SetStringTableLookup([](UINT id, CString& out) {
        out = "Le minimum ne doit pas d\xE9passer le maximum.";
        return id == 7242;
    });
    SetProgramLanguageOffset(2000);
    EXPECT_EQ(CheckAxis(v), CString("Le minimum ne doit pas d\xE9passer le maximum."));
    SetProgramLanguageOffset(0);
    SetStringTableLookup(nullptr);
}

TEST(ChartPageLogic, AutomaticColourAndNoAlignmentSelection)
{
    CPlot chart;
    ChartValues v = ReadChart(chart);
    v.back = CLR_DEFAULT;
    v.legendAlign = -1;
    v.snapRange = 42;
    v.legend = 0;
    const int alignBefore = chart.GetLegendAlignment();
    WriteChart(v, chart, RGB(10, 20, 30));
    EXPECT_EQ(chart.GetBackColor(), RGB(10, 20, 30));
    EXPECT_EQ(chart.GetLegendAlignment(), alignBefore);
    EXPECT_EQ(chart.GetSnapRange(), 42);
    EXPECT_FALSE(chart.GetShowLegend());
}

TEST(CurvePageLogic, FillPartnerListSkipsTheEditedCurve)
{
    EXPECT_EQ(PartnerToListIndex(0, 1, 3), 0);
    EXPECT_EQ(PartnerToListIndex(2, 1, 3), 1);
    EXPECT_EQ(PartnerToListIndex(1, 1, 3), -1);
    EXPECT_EQ(PartnerToListIndex(-1, 1, 3), -1);
    EXPECT_EQ(PartnerToListIndex(3, 1, 3), -1);
    EXPECT_EQ(ListIndexToPartner(1, 1, -1), 2);
    EXPECT_EQ(ListIndexToPartner(0, 1, -1), 0);
    EXPECT_EQ(ListIndexToPartner(-1, 1, 7), 7);

    CPlot chart;
    ThreeCurves(chart);
    CPlotDataSerie& second = chart.GetCurve(1);
    second.SetFillPartner(-1);
    CurveValues v = ReadCurve(&chart, second);
    EXPECT_EQ(v.partnerIndex, -1);
    v.partnerIndex = 1;   // "3 C3"
    WriteCurve(v, &chart, second, 0);
    EXPECT_EQ(second.GetFillPartner(), 2);
    EXPECT_EQ(ReadCurve(&chart, second).partnerIndex, 1);
    v.partnerIndex = -1;
    v.lineStyle = -1;
    second.SetLineStyle(3);
    WriteCurve(v, &chart, second, 0);
    EXPECT_EQ(second.GetFillPartner(), 2);
    EXPECT_EQ(second.GetLineStyle(), 3u);
}

TEST(DerivedCurves, NamesKeepTheirBlanks)
{
    EXPECT_EQ(AverageCurveName("K1", 0), CString("K1 AVG, simple"));
    EXPECT_EQ(AverageCurveName("K1", 4), CString("K1 AVG, sine weighted"));
    EXPECT_EQ(AverageTypeName(5), nullptr);
    EXPECT_EQ(AverageKind(2), PlotMath::Average::Exponential);
    EXPECT_EQ(AverageKind(3), PlotMath::Average::Triangular);
    EXPECT_EQ(TrendCurveName("K1", 0), CString("K1 Trend (poly.) "));
    EXPECT_EQ(TrendCurveName("K1", 1), CString("K1 Trend (lin.)"));
    EXPECT_EQ(TrendCurveName("K1", 2), CString("K1 Trend (cub.)"));
}

TEST(DerivedCurves, FormulaLeavesOutZeroTerms)
{
    PlotMath::CPolynomialSolver s;
    const ChartPoint flat[3] = {{-1, 5}, {0, 5}, {1, 5}};
    ASSERT_TRUE(s.Fit(flat, 3, 2));
    ASSERT_EQ(s.GetCoefficient(1), 0.0);
    EXPECT_EQ(FormulaText(s), CString("f(x)=5.0000e+00*X^0+\n"));

    const ChartPoint quad[4] = {{0, 1}, {1, 6}, {2, 17}, {3, 34}};   // 1 + 2x + 3x^2
    ASSERT_TRUE(s.Fit(quad, 4, 3));
    const CString f = FormulaText(s);
    EXPECT_EQ(f.str().rfind("f(x)=1.0000e+00*X^0+\n2.0000e+00*X^1+\n3.0000e+00*X^2", 0), 0u) << f.str();
    EXPECT_EQ(f.str().back(), '2');
}
