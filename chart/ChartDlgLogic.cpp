#include "chart/ChartDlgLogic.h"

#include "chart/Plot.h"
#include "chart/PlotAxis.h"
#include "chart/PlotDataSerie.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace ChartDlgLogic {

COLORREF Drawable(COLORREF color, COLORREF defaultColor)
{
    return color == CLR_DEFAULT ? defaultColor : color;
}

// ---- chart page ---------------------------------------------------------

ChartValues ReadChart(const CPlot& chart)
{
    ChartValues v;
    v.back = chart.GetBackColor();
    v.outer = chart.GetOuterColor();
    v.inner = chart.GetInnerColor();
    v.legend = chart.GetShowLegend() ? 1 : 0;
    v.doubleBuffer = chart.GetDoubleBuffer() ? 1 : 0;
    v.legendAlign = chart.GetLegendAlignment();
    v.snap = chart.GetSnap() ? 1 : 0;
    v.snapRange = chart.GetSnapRange();
    return v;
}

void WriteChart(const ChartValues& v, CPlot& chart, COLORREF defaultColor)
{
    chart.SetBackColor(Drawable(v.back, defaultColor));
    chart.SetOuterColor(Drawable(v.outer, defaultColor));
    chart.SetInnerColor(Drawable(v.inner, defaultColor));
    chart.SetShowLegend(v.legend != 0);
    chart.SetDoubleBuffer(v.doubleBuffer != 0);
    if (v.legendAlign >= 0)
        chart.SetLegendAlignment(v.legendAlign);
    chart.SetSnap(v.snap != 0);
    chart.SetSnapRange(v.snapRange);
}

// ---- axis page -----------------------------------------------------------

TimeStep StepToTimeUnit(double stepDays)
{
    const double raw = std::round(stepDays * 86400.0);
    // A step beyond the picker's reach (or not a number) still gives a
    // defined count.
    const long long s = std::isfinite(raw) ? static_cast<long long>(std::clamp(raw, -4e15, 4e15)) : 0;
    auto clampInt = [](long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); };
    if (s > 86400 && s % 86400 == 0)
        return {clampInt(s / 86400), 3};
    if (s > 3600 && s % 3600 == 0)
        return {clampInt(s / 3600), 2};
    if (s > 60 && s % 60 == 0)
        return {clampInt(s / 60), 1};
    return {clampInt(s), 0};
}

double TimeUnitToDays(int step, int unit)
{
    static const double kFactor[kTimeUnits] = {1.0, 60.0, 3600.0, 86400.0};
    const double f = (unit >= 0 && unit < kTimeUnits) ? kFactor[unit] : 1.0;
    return step * f / 86400.0;
}

CString PlainAxisFormat(double shownMin, double shownMax, int decimals)
{
    auto tiny = [](double v) { return v != 0.0 && std::fabs(v) < 0.000001; };
    const bool exp = std::fabs(shownMin) > 1000000.0 || std::fabs(shownMax) > 1000000.0 || tiny(shownMin)
                     || tiny(shownMax);
    return CString::Formatted(exp ? "%%5.%de" : "%%5.%df", decimals);
}

CString EscapeNewlines(const CString& text)
{
    std::string out;
    for (char c : text.str()) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return CString(out.c_str());
}

CString UnescapeNewlines(const CString& text)
{
    const std::string& s = text.str();
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += s[i];
        }
    }
    return CString(out.c_str());
}

int DecimalsFromFormat(const CString& format, int fallback)
{
    const std::string& s = format.str();
    const size_t dot = s.find('.');
    if (dot == std::string::npos)
        return fallback;
    const int d = std::atoi(s.c_str() + dot + 1);
    return std::clamp(d, 0, 6);
}

DATE CombineDateAndTime(DATE date, DATE time)
{
    const double d = std::floor(vx::OleDateToLinear(date));
    const double t = vx::OleDateToLinear(time);
    return vx::LinearToOleDate(d + (t - std::floor(t)));
}

AxisEnabling AxisEnable(bool autoscale, bool timeAxis)
{
    AxisEnabling e;
    e.range = !autoscale && !timeAxis;
    e.timeRange = timeAxis && !autoscale;
    e.decimals = !timeAxis;
    e.format = timeAxis;
    return e;
}

AxisValues ReadAxis(const CPlotAxis& axis, DATE now)
{
    AxisValues v;
    v.title = axis.GetLabel();
    axis.GetRange(&v.min, &v.max, &v.step);
    v.autoscale = axis.GetAutoScale() ? 1 : 0;
    v.timeAxis = axis.IsTimeAxis() ? 1 : 0;
    v.grid = axis.GetShowGrid() ? 1 : 0;
    v.visible = axis.GetVisible() ? 1 : 0;
    v.color = axis.GetColor();
    v.gridColor = axis.GetGridColor();
    v.showMarkers = axis.GetShowMarker() ? 1 : 0;
    v.placement = axis.GetPlacement();
    v.arrowSize = axis.GetArrowSize();
    v.tickSize = axis.GetTickSize();
    v.markerSize = axis.GetKeySize();
    v.gridStyle = static_cast<int>(axis.GetGridStyle());
    v.timeStep = CString("1");
    v.timeUnit = 0;
    if (v.timeAxis) {
        const CString fmt = axis.GetDisplayFmt();
        v.format = EscapeNewlines(fmt.IsEmpty() ? CString(kDefaultTimeFormat) : fmt);
        v.decimals = 1;
        const double seconds = v.step * 86400.0;
        if (std::isfinite(seconds) && std::fabs(seconds - std::round(seconds)) > 1e-6) {
            v.timeStep = CString::Formatted("%.10g", seconds);
        } else {
            const TimeStep ts = StepToTimeUnit(v.step);
            v.timeStep = CString::Formatted("%d", ts.step);
            v.timeUnit = ts.unit;
        }
        v.readTimeStep = v.step;
        v.shownTimeStep = v.timeStep;
        v.shownTimeUnit = v.timeUnit;
        v.minDate = v.minTime = v.min;
        v.maxDate = v.maxTime = v.max;
    } else {
        v.minDate = v.minTime = v.maxDate = v.maxTime = now;
        v.decimals = DecimalsFromFormat(axis.GetDisplayFmt(), 0);
    }
    return v;
}

bool TimeStepAsRead(const AxisValues& v)
{
    CString text = v.timeStep;
    text.Trim();
    return v.shownTimeUnit >= 0 && v.timeUnit == v.shownTimeUnit && text == v.shownTimeStep;
}

bool TimeStepDays(const AxisValues& v, double& days)
{
    if (TimeStepAsRead(v)) {
        days = v.readTimeStep;
        return true;
    }
    CString text = v.timeStep;
    text.Trim();
    char* end = nullptr;
    errno = 0;
    const long long count = text.IsEmpty() ? 0 : std::strtoll(text.GetString(), &end, 10);
    if (errno != 0 || !end || *end != '\0' || count < 1 || count > kMaxTimeStep)
        return false;
    days = TimeUnitToDays(static_cast<int>(count), v.timeUnit);
    return true;
}

CString CheckAxis(const AxisValues& v)
{
    if (v.autoscale)
        return {};
    if (v.timeAxis) {
        double step = 0.0;
        if (!TimeStepDays(v, step))
            return CString::Formatted("Please enter an integer between 1 and %d.", kMaxTimeStep);
        const DATE lo = CombineDateAndTime(v.minDate, v.minTime);
        const DATE hi = CombineDateAndTime(v.maxDate, v.maxTime);
        if (!(vx::OleDateToLinear(lo) <= vx::OleDateToLinear(hi)))
            return MessageText(Message::MinAboveMax);
        return {};
    }
    if (!std::isfinite(v.min) || !std::isfinite(v.max) || !std::isfinite(v.step))
        return "Please enter a number.";
    if (v.min > v.max)
        return MessageText(Message::MinAboveMax);
    if (v.step < 0.0)
        return MessageText(Message::NegativeStep);
    return {};
}

void WriteAxis(const AxisValues& v, CPlotAxis& axis, COLORREF defaultColor)
{
    if (v.gridStyle >= 0)
        axis.SetGridStyle(static_cast<UINT>(v.gridStyle));
    axis.SetLabel(v.title);
    axis.SetAutoScale(v.autoscale != 0);
    axis.SetVisible(v.visible != 0);
    if (!v.autoscale) {
        if (v.timeAxis) {
            const DATE lo = CombineDateAndTime(v.minDate, v.minTime);
            const DATE hi = CombineDateAndTime(v.maxDate, v.maxTime);
            double step = v.readTimeStep;
            TimeStepDays(v, step);
            axis.SetShownRange(lo, hi, step);
        } else {
            axis.SetShownRange(v.min, v.max, v.step);
        }
    }
    axis.SetShowGrid(v.grid != 0);
    if (v.placement >= 0)
        axis.SetPlacement(v.placement);
    if (v.timeAxis) {
        const CString fmt = UnescapeNewlines(v.format);
        axis.SetDisplayFmt(fmt.IsEmpty() ? CString(kDefaultTimeFormat) : fmt);
    } else {
        double lo = 0, hi = 0;
        axis.GetRange(&lo, &hi, nullptr);
        axis.SetDisplayFmt(PlainAxisFormat(lo, hi, v.decimals));
    }
    axis.SetColor(Drawable(v.color, defaultColor));
    axis.SetGridColor(Drawable(v.gridColor, defaultColor));
    axis.m_nArrowSize = v.arrowSize;
    axis.m_nTickSize = v.tickSize;
    axis.m_nKeySize = v.markerSize;
    axis.SetTimeAxis(v.timeAxis != 0);
    axis.SetShowMarker(v.showMarkers != 0);
}

// ---- messages ----------------------------------------------------------------

CString MessageText(Message which)
{
    struct Text {
        UINT germanId;
        const char* english;
    };
    static constexpr Text kTexts[] = {
        {5242, "The minimum must not be above the maximum."},
        {5243, "The step must not be negative (0 chooses it)."},
        {5244, "The new curve would have too many points."},
        {5245, "A moving average needs a curve of at least two points."},
        {5246, "No trend can be fitted to this curve."},
    };
    const Text& t = kTexts[static_cast<int>(which)];
    return LoadProgramText(t.germanId, t.english);
}

// ---- curve page ------------------------------------------------------------

int PartnerToListIndex(int partner, int self, int curveCount)
{
    if (partner < 0 || partner >= curveCount || partner == self)
        return -1;
    return partner < self ? partner : partner - 1;
}

int ListIndexToPartner(int listIndex, int self, int current)
{
    if (listIndex < 0)
        return current;
    return listIndex < self ? listIndex : listIndex + 1;
}

CurveValues ReadCurve(const CPlot* chart, const CPlotDataSerie& curve)
{
    CurveValues v;
    v.type = curve.GetType();
    v.lineWidth = curve.GetLineSize();
    v.color = curve.GetColor();
    v.lineStyle = static_cast<int>(curve.GetLineStyle());
    v.visible = curve.GetVisible() ? 1 : 0;
    v.showMarkers = curve.GetShowMarker() ? 1 : 0;
    v.fill = curve.GetFill() ? 1 : 0;
    v.fillStyle = curve.GetFillStyle();
    v.transparent = curve.GetTransparentFill() ? 1 : 0;
    v.name = curve.GetLabel();
    v.markerKind = curve.GetMarkerType();
    v.markerSize = curve.GetMarkerSize();
    v.markerSymbol = curve.GetMarker();
    if (chart)
        v.partnerIndex = PartnerToListIndex(curve.GetFillPartner(), chart->GetCurveIndex(&curve),
                                            chart->GetCurveCount());
    return v;
}

void WriteCurve(const CurveValues& v, const CPlot* chart, CPlotDataSerie& curve, COLORREF defaultColor)
{
    if (v.type >= 0)
        curve.SetType(v.type);
    curve.SetLineSize(v.lineWidth);
    curve.SetColor(Drawable(v.color, defaultColor));
    if (v.lineStyle >= 0)
        curve.SetLineStyle(static_cast<UINT>(v.lineStyle));
    curve.SetVisible(v.visible != 0);
    curve.SetShowMarker(v.showMarkers != 0);
    curve.SetFill(v.fill != 0);
    if (v.fillStyle >= 0)
        curve.SetFillStyle(v.fillStyle);
    curve.SetTransparentFill(v.transparent != 0);
    curve.SetLabel(v.name);
    if (v.markerKind >= 0)
        curve.SetMarkerType(v.markerKind);
    curve.SetMarkerSize(v.markerSize);
    if (v.markerSymbol >= 0)
        curve.SetMarker(v.markerSymbol);
    const int self = chart ? chart->GetCurveIndex(&curve) : -1;
    const int partner = ListIndexToPartner(v.partnerIndex, self, curve.GetFillPartner());
    curve.SetFillPartner(static_cast<short>(partner));
}

// ---- derived curves -----------------------------------------------------------

const char* AverageTypeName(int type)
{
    static const char* const kNames[kAverageTypes] = {"simple", "linear", "exponential", "triangular",
                                                      "sine weighted"};
    return (type >= 0 && type < kAverageTypes) ? kNames[type] : nullptr;
}

PlotMath::Average AverageKind(int type)
{
    using PlotMath::Average;
    switch (type) {
    case 1: return Average::LinearWeighted;
    case 2: return Average::Exponential;
    case 3: return Average::Triangular;
    case 4: return Average::Sine;
    default: return Average::Simple;
    }
}

CString AverageCurveName(const CString& source, int type)
{
    const char* n = AverageTypeName(type);
    return source + " AVG, " + (n ? n : "");
}

CString TrendCurveName(const CString& source, int kind)
{
    static const char* const kSuffix[3] = {" Trend (poly.) ", " Trend (lin.)", " Trend (cub.)"};
    return source + kSuffix[kind >= 0 && kind < 3 ? kind : 0];
}

CString FormulaText(const PlotMath::CPolynomialSolver& solver)
{
    CString text = "f(x)=";
    const int n = solver.GetCount();
    for (int i = 0; i < n; ++i) {
        const double c = solver.GetCoefficient(i);
        if (c == 0.0)
            continue;
        text += CString::Formatted("%5.4e*X^%d", c, i);
        if (i != n - 1)
            text += "+\n";
    }
    return text;
}

} // namespace ChartDlgLogic
