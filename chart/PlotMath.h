// The chart's arithmetic, kept free of windows and device contexts so that
// every rule that decides what the user sees (tick steps, range rounding,
// value/pixel mapping, hit distances, fitted curves, marker shapes, print
// scaling) can be checked on its own.
#pragma once

#include "chart/ChartPoint.h"
#include "platform/CString.h"
#include "platform/Geometry.h"
#include "platform/Types.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace PlotMath {

// Upper bound on ticks drawn along one axis: a degenerate step must never
// turn a paint into an endless (or merely enormous) loop.
constexpr int kMaxTicks = 1000;

// Mapped pixels are kept within this distance of zero before they become
// ints, so far zooms never overflow a coordinate.
constexpr double kPixelLimit = 134217728.0;  // 2^27

// Seconds between 1899-12-30 (day 0 of the date type) and 1970-01-01.
constexpr double kUnixEpochDay = 25569.0;

// ---- tick steps and range rounding ------------------------------------

// 1, 2, 5 or 10 times a power of ten, the first not below raw (raw > 0).
double SnapStep(double raw);

// Rounds min down / max up to whole multiples of step. A positive minimum
// that is not a multiple drops to the multiple below its floor
// ((min - step) cut towards zero), a negative maximum rises one above its
// ceiling. Values already on a multiple (within a relative 1e-9) stay, so the
// rounding is idempotent. Nothing happens for a non-finite or non-positive
// step.
void RoundToStep(double step, double* min, double* max);

// Readable step for n ticks over min..max, then the ends rounded to it. The
// rounding widens the range, which can call for a larger step; this repeats
// until the range no longer moves, so the next paint keeps what this one
// showed. Returns false (nothing changed) for an empty, inverted or
// non-finite range.
bool AutoScaleLinear(int n, double* min, double* max, double* step);

// The time axis: seconds per tick for a span (in seconds) over n ticks,
// raised to the first entry of the fixed list of calendar-friendly steps.
double TimeStepSeconds(double spanSeconds, int n);

// Time axis autoscale on values in days since 1899-12-30: step in days,
// ends rounded on whole seconds since 1970-01-01 (min down, max up).
bool AutoScaleTime(int n, double* min, double* max, double* step);

// Logarithmic axis: ends widened to whole decades.
bool AutoScaleLog(double* min, double* max);

// Tick values smin, smin+step, ... up to smax (included when includeMax,
// within a relative tolerance), at most kMaxTicks of them.
std::vector<double> LinearTicks(double smin, double smax, double step, bool includeMax);

struct LogTick {
    double value;
    bool withText;  // the decade itself carries a text
};
// d, 2d .. 9d of each decade inside smin..smax.
std::vector<LogTick> LogTicks(double smin, double smax);

// ---- value <-> pixel ---------------------------------------------------

struct AxisScale {
    double smin = 0.0;
    double smax = 1.0;
    int origin = 0;   // plot left for X, plot bottom for Y
    int length = 1;
    bool vertical = false;
    bool linear = true;
};

double ValueToPixelFLog(const AxisScale& s, double v);

// Pixel of a value in double; NaN for a value the axis cannot show
// (non-finite, or not positive on a log axis). Inline: a curve maps every
// point it draws.
inline double ValueToPixelF(const AxisScale& s, double v)
{
    if (!s.linear)
        return ValueToPixelFLog(s, v);
    if (!std::isfinite(v))
        return NAN;
    const double span = s.smax - s.smin;
    if (!(span != 0.0) || !std::isfinite(span))
        return NAN;
    const double off = (v - s.smin) / span * s.length;
    return s.vertical ? s.origin - off : s.origin + off;
}

// Saturates a double pixel into int range (NaN gives 0).
inline int ClampPixel(double p)
{
    if (std::isnan(p))
        return 0;
    p = std::clamp(p, -kPixelLimit, kPixelLimit);
    // The conversion truncates toward zero already; std::trunc would be a
    // library call per point on the baseline instruction set.
    return static_cast<int>(p);
}
double PixelToValue(const AxisScale& s, int pixel);

// The index search the cursor uses on x-ascending curves: the first point
// beyond x, or count; else the last point not beyond x. -1 for no points.
int FindPointIndex(const ChartPoint* pts, int count, double x);

// True when every x is at least the one before (NaN breaks the order).
// from lets a caller resume a check over a grown array.
bool IsAscendingX(const ChartPoint* pts, int count, int from = 1);

// ---- 2-D vectors and hit distance ---------------------------------------

struct Vec2 {
    double x = 0.0;
    double y = 0.0;
};
Vec2 Difference(Vec2 a, Vec2 b);                 // a - b
double Dot(Vec2 a, Vec2 b);
double LengthSquared(Vec2 a);
double Length(Vec2 a);
Vec2 Projection(Vec2 p, Vec2 onto);              // p's component along onto
// Distance of m from the infinite line through p1, p2 (from p1 when equal).
double DistanceToLine(CPoint p1, CPoint p2, CPoint m);
// The curve hit rule: distance at most max(1, tolerance / 2).
bool HitSegment(int x1, int y1, int x2, int y2, int px, int py, int tolerance);

// ---- derived curves ------------------------------------------------------

class CPolynomialSolver {
public:
    static constexpr int kMaxCoefficients = 21;

    CPolynomialSolver() = default;
    CPolynomialSolver(const CPolynomialSolver&) = default;
    CPolynomialSolver& operator=(const CPolynomialSolver&) = default;
    virtual ~CPolynomialSolver() = default;

    // Least-squares fit of m coefficients (lowest power first). False, and
    // no coefficients, for a singular system or m outside 1..21 or fewer
    // points than coefficients.
    bool Fit(const ChartPoint* pts, int n, int m);
    double Evaluate(double x) const;
    int GetCount() const { return m_nCoefficients; }
    double GetCoefficient(int i) const
    {
        return (i >= 0 && i < m_nCoefficients) ? m_Coefficients[i] : 0.0;
    }

private:
    int m_nCoefficients = 0;
    double m_Coefficients[kMaxCoefficients] = {};
};

// Each returns n + extra points (empty when the fit is impossible).
std::vector<ChartPoint> LinearTrend(const ChartPoint* pts, int n, int extra);
std::vector<ChartPoint> CubicTrend(const ChartPoint* pts, int n, int extra);
std::vector<ChartPoint> PolynomialTrend(const ChartPoint* pts, int n, int coefficients, int extra,
                                        CPolynomialSolver* solver);

enum class Average { Simple, Exponential, LinearWeighted, Triangular, Sine };
// Exactly n points; empty for n < 1 or period < 1.
std::vector<ChartPoint> MovingAverage(Average kind, const ChartPoint* pts, int n, int period);

// ---- markers, colours, scaling, formats --------------------------------

// Corners of marker shape kind (0..7) in the box (x, y)..(x+s, y+s); square
// and ellipse give their two corners, the cross its four line ends.
std::vector<CPoint> MarkerShapePoints(int kind, int x, int y, int s);

// Every how many points a marker is drawn.
int MarkerStep(int plotWidth, int markerSize, int count, bool pickMode);

// Digit colour on a numbered key box of colour cr.
COLORREF MarkerDigitColor(COLORREF cr, bool lowColor);
COLORREF InverseColor(COLORREF cr);

// Factor from screen logical units to a target's: target dpi / screen dpi,
// 1 when either is unknown.
double PrinterScale(int screenDpi, int targetDpi);
// trunc(v * scale) in double.
int ScaleCoord(int v, double scale);

// A display format is literal text with exactly one floating conversion
// (flags, width, precision) and "%%" escapes. Anything else could read or
// write arguments that are not there.
bool IsValidDisplayFmt(const CString& fmt);
// fmt applied to v when valid, else "%5.3f"; -0 prints as 0.
CString FormatValue(const CString& fmt, double v);
// Decimals 0..3 give "%5.Nf", anything else "%5.2f".
CString DecimalsFormat(int places);

}  // namespace PlotMath
