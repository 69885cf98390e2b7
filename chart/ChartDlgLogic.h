// The property pages' rules without windows: what each page reads from its
// chart object and writes back, the time-step units of the axis page, the
// number format it builds, the fill partner list of the curve page, and the
// names and formula text of the derived curves.
#pragma once

#include "chart/PlotMath.h"
#include "platform/CString.h"
#include "platform/DateTime.h"
#include "platform/Types.h"

class CPlot;
class CPlotAxis;
class CPlotDataSerie;

namespace ChartDlgLogic {

// "Automatic" (CLR_DEFAULT) is what a colour button shows for the default
// colour; objects only ever get a drawable colour.
COLORREF Drawable(COLORREF color, COLORREF defaultColor);

// ---- chart page ---------------------------------------------------------
struct ChartValues {
    COLORREF back = 0, outer = 0, inner = 0;
    int legend = 0;          // check
    int doubleBuffer = 0;    // check
    int legendAlign = -1;    // list index: 0 left, 1 right; -1 keeps the chart's
    int snap = 0;            // check
    int snapRange = 0;       // 0..100
};
ChartValues ReadChart(const CPlot& chart);
// In the page's order: colours, legend, double buffer, alignment, snap,
// snap range.
void WriteChart(const ChartValues& v, CPlot& chart, COLORREF defaultColor);

// ---- axis page -----------------------------------------------------------
// Seconds, minutes, hours, days.
constexpr int kTimeUnits = 4;
struct TimeStep {
    int step = 1;
    int unit = 0;
};
// A time axis step (days) as a whole number of the largest unit that
// divides it; a unit is used only when the step is strictly above one of it.
TimeStep StepToTimeUnit(double stepDays);
// Back to days; an unknown unit counts as seconds.
double TimeUnitToDays(int step, int unit);
// "%5.<d>e" for values beyond 1e6 or non-zero below 1e-6 in magnitude,
// else "%5.<d>f".
CString PlainAxisFormat(double shownMin, double shownMax, int decimals);
// Line breaks of a time format shown as the two characters \n, and back.
CString EscapeNewlines(const CString& text);
CString UnescapeNewlines(const CString& text);
// The digits after the first '.' of a format ("%5.3f" gives 3), within
// 0..6; fallback when there is no '.'.
int DecimalsFromFormat(const CString& format, int fallback);
// What a time axis without a format of its own shows.
constexpr const char* kDefaultTimeFormat = "%d.%m.%Y\n%H:%M:%S";
// A date with the time of day of another (both as day counts).
DATE CombineDateAndTime(DATE date, DATE time);

struct AxisEnabling {
    bool range = false;      // minimum, maximum, step
    bool timeRange = false;  // the four pickers, time step, time unit
    bool decimals = false;   // decimals, its up-down, placement
    bool format = false;     // the time format
};
AxisEnabling AxisEnable(bool autoscale, bool timeAxis);

struct AxisValues {
    CString title;
    int autoscale = 0, grid = 0, timeAxis = 0, visible = 1, showMarkers = 0;
    double min = 0.0, max = 0.0, step = 0.0;
    int decimals = 0, arrowSize = 0, tickSize = 0, markerSize = 0;
    CString format;          // as shown: line breaks escaped
    int placement = -1, gridStyle = -1, timeUnit = -1;
    // The time step field: a whole count of the unit, or the seconds of a
    // step that is no whole number of seconds ("0.2").
    CString timeStep;
    // A time axis's step as read (days) and the field text and unit that
    // showed it: while the user leaves both alone, Apply writes that step
    // back unchanged instead of rounding it to whole seconds.
    double readTimeStep = 0.0;
    CString shownTimeStep;
    int shownTimeUnit = -1;   // -1: no time axis was read
    DATE minDate = 0, minTime = 0, maxDate = 0, maxTime = 0;
    COLORREF color = 0, gridColor = 0;
};
// The page's initialisation; now fills the pickers of a plain axis.
AxisValues ReadAxis(const CPlotAxis& axis, DATE now);
// The largest time step count the field takes (256 days in seconds).
constexpr int kMaxTimeStep = 22118400;
// Whether the time step field and unit still show the step as read.
bool TimeStepAsRead(const AxisValues& v);
// The time axis step (days) the values ask for: the step as read while
// the field and unit still show it, else the field's whole count of the
// unit; false when that is no whole number in 1..kMaxTimeStep.
bool TimeStepDays(const AxisValues& v, double& days);
// Why values cannot be written, in the program's language; empty when
// they can.
CString CheckAxis(const AxisValues& v);
// In the page's order. The range goes only to an axis that does not scale
// itself; an empty time format becomes the default one.
void WriteAxis(const AxisValues& v, CPlotAxis& axis, COLORREF defaultColor);

// ---- messages ----------------------------------------------------------------
// The pages' own messages, in the program's language.
enum class Message { MinAboveMax, NegativeStep, TooManyPoints, AverageNeedsTwoPoints, NoTrend };
CString MessageText(Message which);

// ---- curve page ------------------------------------------------------------
// The fill partner list holds the other curves in order; the curve stores
// a curve index (-1: the bottom edge).
int PartnerToListIndex(int partner, int self, int curveCount);
// List position to curve index; no selection keeps `current`.
int ListIndexToPartner(int listIndex, int self, int current);

struct CurveValues {
    int type = -1, lineWidth = 0, lineStyle = -1;
    int showMarkers = 0, visible = 0, fill = 0, fillStyle = -1, transparent = 0;
    CString name;
    int markerKind = 0, markerSymbol = 0, markerSize = 1;
    int partnerIndex = -1;   // list position
    COLORREF color = 0;
};
CurveValues ReadCurve(const CPlot* chart, const CPlotDataSerie& curve);
void WriteCurve(const CurveValues& v, const CPlot* chart, CPlotDataSerie& curve, COLORREF defaultColor);

// ---- derived curves -----------------------------------------------------------
constexpr int kAverageTypes = 5;
// "simple", "linear", "exponential", "triangular", "sine weighted"; null
// outside 0..4.
const char* AverageTypeName(int type);
PlotMath::Average AverageKind(int type);
CString AverageCurveName(const CString& source, int type);
CString TrendCurveName(const CString& source, int kind);   // 0 poly, 1 lin, 2 cub
// "f(x)=" and one "%5.4e*X^%d" term per non-zero coefficient.
CString FormulaText(const PlotMath::CPolynomialSolver& solver);

} // namespace ChartDlgLogic
