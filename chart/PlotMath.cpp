#include "chart/PlotMath.h"

#include "platform/Numbers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace PlotMath {

namespace {

constexpr double kWholeTolerance = 1e-9;

bool IsWhole(double k, double* rounded)
{
    const double r = std::nearbyint(k);
    if (std::fabs(k - r) <= kWholeTolerance * std::max(1.0, std::fabs(k))) {
        *rounded = r;
        return true;
    }
    return false;
}

double NoNegativeZero(double v) { return v == 0.0 ? 0.0 : v; }

}  // namespace

double SnapStep(double raw)
{
    if (!(raw > 0.0) || !std::isfinite(raw))
        return 0.0;
    // The exponent from log10 may be one off at exact powers of ten;
    // correct it so raw lands in [1, 10) exactly as stepwise scaling would.
    int e = static_cast<int>(std::floor(std::log10(raw)));
    double mant = raw / std::pow(10.0, e);
    if (mant >= 10.0) {
        mant /= 10.0;
        ++e;
    } else if (mant < 1.0) {
        mant *= 10.0;
        --e;
    }
    // A mantissa a hair above a snap point from the division above is
    // taken as that point, so 0.2 stays 0.2 and does not become 0.5.
    const double eps = 1e-12;
    double snapped;
    if (mant <= 1.0 + eps)
        snapped = 1.0;
    else if (mant <= 2.0 + eps)
        snapped = 2.0;
    else if (mant <= 5.0 + eps)
        snapped = 5.0;
    else
        snapped = 10.0;
    const double step = snapped * std::pow(10.0, e);
    return step == 0.0 ? 0.1 : step;
}

void RoundToStep(double step, double* min, double* max)
{
    if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(*min) || !std::isfinite(*max))
        return;
    double k = *min / step;
    double whole;
    if (std::isfinite(k)) {
        if (IsWhole(k, &whole))
            *min = whole * step;
        else
            *min = std::trunc(k - 1.0) * step;
    }
    k = *max / step;
    if (std::isfinite(k)) {
        if (IsWhole(k, &whole))
            *max = whole * step;
        else
            *max = std::trunc(k + 1.0) * step;
    }
    *min = NoNegativeZero(*min);
    *max = NoNegativeZero(*max);
}

bool AutoScaleLinear(int n, double* min, double* max, double* step)
{
    if (n < 1)
        n = 1;
    double lo = *min, hi = *max;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo))
        return false;
    double s = 0.0;
    for (int round = 0; round < 8; ++round) {
        const double raw = (hi - lo) / n;
        if (!(raw > 0.0) || !std::isfinite(raw))
            break;
        const double next = SnapStep(raw);
        double nlo = lo, nhi = hi;
        RoundToStep(next, &nlo, &nhi);
        const bool settled = next == s && nlo == lo && nhi == hi;
        s = next;
        lo = nlo;
        hi = nhi;
        if (settled)
            break;
    }
    if (!(s > 0.0))
        return false;
    *min = lo;
    *max = hi;
    *step = s;
    return true;
}

double TimeStepSeconds(double spanSeconds, int n)
{
    static const double kSteps[] = {
        1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 14400, 28800,
        36000, 43200, 86400, 172800, 345600, 604800, 1209600, 2419200, 4838400, 7257600,
        15724800, 31449600, 62899200, 157248000, 314496000, 628992000, 1572480000};
    if (n < 1 || !std::isfinite(spanSeconds))
        return 0.0;
    const double s = spanSeconds / n;
    if (!(s > 0.0))
        return 0.0;
    // Spans computed from day fractions are a hair off whole seconds.
    for (double entry : kSteps)
        if (entry >= s * (1.0 - 1e-9))
            return entry;
    return s;
}

bool AutoScaleTime(int n, double* min, double* max, double* step)
{
    if (!std::isfinite(*min) || !std::isfinite(*max) || !(*max > *min))
        return false;
    // Day fractions carry about a microsecond of noise; the span is taken
    // in whole milliseconds so that 45 s over 9 ticks is 5 s, not 10.
    auto toMs = [](double day) { return std::nearbyint((day - kUnixEpochDay) * 86400.0 * 1000.0); };
    double lo = toMs(*min) / 1000.0, hi = toMs(*max) / 1000.0;
    // Widening the ends can call for the next longer step; settle here so
    // that the next paint shows what this one did.
    double s = 0.0;
    for (int round = 0; round < 8; ++round) {
        const double next = TimeStepSeconds(hi - lo, n);
        if (!(next > 0.0))
            break;
        // Ends on whole seconds since 1970: the minimum down, the maximum up.
        const double nlo = std::floor(std::nearbyint(lo) / next) * next;
        const double nhi = std::ceil(std::nearbyint(hi) / next) * next;
        const bool settled = next == s && nlo == lo && nhi == hi;
        s = next;
        lo = nlo;
        hi = nhi;
        if (settled)
            break;
    }
    if (!(s > 0.0))
        return false;
    *step = s / 86400.0;
    *min = lo / 86400.0 + kUnixEpochDay;
    *max = hi / 86400.0 + kUnixEpochDay;
    return true;
}

bool AutoScaleLog(double* min, double* max)
{
    double lo = std::max(*min, 1e-16);
    double hi = std::max(*max, 1e-15);
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi < lo)
        return false;
    // A tolerance keeps an exact decade that log10 reports a hair off.
    double llo = std::log10(lo), lhi = std::log10(hi), w;
    llo = IsWhole(llo, &w) ? w : std::floor(llo);
    lhi = IsWhole(lhi, &w) ? w : std::ceil(lhi);
    if (lhi <= llo)
        lhi = llo + 1.0;
    *min = std::pow(10.0, llo);
    *max = std::pow(10.0, lhi);
    return true;
}

std::vector<double> LinearTicks(double smin, double smax, double step, bool includeMax)
{
    std::vector<double> ticks;
    if (!std::isfinite(smin) || !std::isfinite(smax) || !(step > 0.0) || !std::isfinite(step) ||
        smax < smin)
        return ticks;
    const double tol = step * 1e-9;
    for (int i = 0; i < kMaxTicks; ++i) {
        const double v = smin + i * step;
        if (!std::isfinite(v))
            break;
        if (includeMax ? v > smax + tol : v >= smax - tol)
            break;
        if (i > 0 && v == ticks.back())
            break;  // step below the resolution of the values
        ticks.push_back(NoNegativeZero(v));
    }
    return ticks;
}

std::vector<LogTick> LogTicks(double smin, double smax)
{
    std::vector<LogTick> ticks;
    if (!(smin > 0.0) || !std::isfinite(smin) || !std::isfinite(smax) || smax < smin)
        return ticks;
    double w;
    double llo = std::log10(smin), lhi = std::log10(smax);
    llo = IsWhole(llo, &w) ? w : std::floor(llo);
    lhi = IsWhole(lhi, &w) ? w : std::ceil(lhi);
    const double lowTol = smin * (1.0 - 1e-9), highTol = smax * (1.0 + 1e-9);
    for (double e = llo; e < lhi && static_cast<int>(ticks.size()) < kMaxTicks; e += 1.0) {
        const double d = std::pow(10.0, e);
        for (int k = 1; k <= 9; ++k) {
            const double v = d * k;
            if (v >= lowTol && v <= highTol)
                ticks.push_back({v, k == 1});
        }
    }
    return ticks;
}

double ValueToPixelFLog(const AxisScale& s, double v)
{
    if (!std::isfinite(v))
        return NAN;
    if (!(v > 0.0) || !(s.smin > 0.0) || !(s.smax > 0.0))
        return NAN;
    const double l0 = std::log10(s.smin), l1 = std::log10(s.smax);
    if (l1 == l0)
        return NAN;
    const double off = (std::log10(v) - l0) / (l1 - l0) * s.length;
    return s.vertical ? s.origin - off : s.origin + off;
}

double PixelToValue(const AxisScale& s, int pixel)
{
    const double len = s.length == 0 ? 1.0 : s.length;
    const double off = s.vertical ? double(s.origin) - pixel : double(pixel) - s.origin;
    if (s.linear)
        return off / (len / (s.smax - s.smin)) + s.smin;
    const double l0 = std::log10(std::max(s.smin, 1e-300));
    const double l1 = std::log10(std::max(s.smax, 1e-300));
    return std::pow(10.0, l0 + off / len * (l1 - l0));
}

int FindPointIndex(const ChartPoint* pts, int count, double x)
{
    if (!pts || count <= 0)
        return -1;
    if (count == 1)
        return 0;
    const double dx = std::fabs(pts[1].x - pts[0].x);
    long long i = 0;
    if (dx > 0.0 && std::isfinite(dx) && std::isfinite(x)) {
        const double est = (x - pts[0].x) / dx;
        if (est >= count)
            i = count - 1;
        else if (est > 0.0)
            i = static_cast<long long>(est);
    }
    if (pts[i].x <= x) {
        while (i < count && pts[i].x <= x)
            ++i;
    } else {
        while (i > 0 && x < pts[i].x)
            --i;
    }
    return static_cast<int>(i);
}

bool IsAscendingX(const ChartPoint* pts, int count, int from)
{
    if (!pts)
        return count <= 0;
    if (count > 0 && std::isnan(pts[0].x))
        return false;
    for (int i = std::max(from, 1); i < count; ++i)
        if (!(pts[i].x >= pts[i - 1].x))
            return false;
    return true;
}

Vec2 Difference(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
double LengthSquared(Vec2 a) { return Dot(a, a); }
double Length(Vec2 a) { return std::sqrt(LengthSquared(a)); }

Vec2 Projection(Vec2 p, Vec2 onto)
{
    const double dd = LengthSquared(onto);
    if (dd == 0.0)
        return {};
    const double f = Dot(p, onto) / dd;
    return {onto.x * f, onto.y * f};
}

double DistanceToLine(CPoint p1, CPoint p2, CPoint m)
{
    const Vec2 d{double(p2.x) - p1.x, double(p2.y) - p1.y};
    const Vec2 p{double(m.x) - p1.x, double(m.y) - p1.y};
    return Length(Difference(p, Projection(p, d)));
}

bool HitSegment(int x1, int y1, int x2, int y2, int px, int py, int tolerance)
{
    const int t = std::max(1, tolerance / 2);
    return DistanceToLine(CPoint(x1, y1), CPoint(x2, y2), CPoint(px, py)) <= t;
}

// ---- derived curves ------------------------------------------------------

namespace {

// x of result point i: the source's own x, then continued by a fixed step.
void ContinueX(std::vector<ChartPoint>& out, const ChartPoint* pts, int n, double step)
{
    for (size_t i = 0; i < out.size(); ++i)
        out[i].x = static_cast<int>(i) < n ? pts[i].x : out[i - 1].x + step;
}

bool ExtraOk(int n, int extra)
{
    // A fitted curve longer than this is no longer a trend of the data
    // and would only exhaust memory.
    return extra >= 0 && static_cast<long long>(n) + extra <= 50'000'000LL;
}

}  // namespace

std::vector<ChartPoint> LinearTrend(const ChartPoint* pts, int n, int extra)
{
    if (!pts || n < 2 || !ExtraOk(n, extra))
        return {};
    double sy = 0, sky = 0, sk = 0, skk = 0;
    for (int i = 0; i < n; ++i) {
        const double k = i + 1.0;
        sy += pts[i].y;
        sky += k * pts[i].y;
        sk += k;
        skk += k * k;
    }
    const double b = (n * sky - sk * sy) / (n * skk - sk * sk);
    const double a = (sy - b * sk) / n;
    std::vector<ChartPoint> out(static_cast<size_t>(n) + extra);
    ContinueX(out, pts, n, pts[1].x - pts[0].x);
    for (size_t i = 0; i < out.size(); ++i)
        out[i].y = (i + 1.0) * b + a;
    return out;
}

std::vector<ChartPoint> CubicTrend(const ChartPoint* pts, int n, int extra)
{
    if (!pts || n < 2 || !ExtraOk(n, extra))
        return {};
    double num = 0, den = 0;
    for (int i = 0; i < n; ++i) {
        const double k3 = std::pow(i + 1.0, 3);
        num += k3 * pts[i].y;
        den += k3 * k3;
    }
    const double f = num / den;
    std::vector<ChartPoint> out(static_cast<size_t>(n) + extra);
    ContinueX(out, pts, n, pts[1].x - pts[0].x);
    for (size_t i = 0; i < out.size(); ++i)
        out[i].y = f * std::pow(i + 1.0, 3);
    return out;
}

bool CPolynomialSolver::Fit(const ChartPoint* pts, int n, int m)
{
    m_nCoefficients = 0;
    std::fill(std::begin(m_Coefficients), std::end(m_Coefficients), 0.0);
    if (!pts || m < 1 || m > kMaxCoefficients || n < m)
        return false;
    // Normal equations AᵀA c = Aᵀy, A the n x m matrix of powers of x.
    double ata[kMaxCoefficients][kMaxCoefficients + 1] = {};
    std::vector<double> row(m);
    for (int i = 0; i < n; ++i) {
        double p = 1.0;
        for (int j = 0; j < m; ++j) {
            row[j] = p;
            p *= pts[i].x;
        }
        for (int r = 0; r < m; ++r) {
            for (int c = r; c < m; ++c)
                ata[r][c] += row[r] * row[c];
            ata[r][m] += row[r] * pts[i].y;
        }
    }
    double maxDiag = 0.0;
    for (int r = 0; r < m; ++r) {
        for (int c = 0; c < r; ++c)
            ata[r][c] = ata[c][r];
        maxDiag = std::max(maxDiag, std::fabs(ata[r][r]));
    }
    if (!(maxDiag > 0.0) || !std::isfinite(maxDiag))
        return false;
    // Gauss-Jordan with partial pivoting; a pivot that vanishes against
    // the matrix's own scale means the points cannot fix the polynomial.
    const double tiny = maxDiag * 1e-12;
    for (int col = 0; col < m; ++col) {
        int pivot = -1;
        double best = tiny;
        for (int r = col; r < m; ++r)
            if (std::fabs(ata[r][col]) > best) {
                best = std::fabs(ata[r][col]);
                pivot = r;
            }
        if (pivot < 0)
            return false;
        if (pivot != col)
            for (int c = 0; c <= m; ++c)
                std::swap(ata[pivot][c], ata[col][c]);
        const double pv = ata[col][col];
        for (int c = 0; c <= m; ++c)
            ata[col][c] /= pv;
        for (int r = 0; r < m; ++r) {
            if (r == col || ata[r][col] == 0.0)
                continue;
            const double f = ata[r][col];
            for (int c = 0; c <= m; ++c)
                ata[r][c] -= f * ata[col][c];
        }
    }
    for (int r = 0; r < m; ++r) {
        if (!std::isfinite(ata[r][m]))
            return false;
        m_Coefficients[r] = ata[r][m];
    }
    m_nCoefficients = m;
    return true;
}

double CPolynomialSolver::Evaluate(double x) const
{
    double y = 0.0;
    for (int j = 0; j < m_nCoefficients; ++j)
        y += m_Coefficients[j] * (j == 0 ? 1.0 : std::pow(x, j));
    return y;
}

std::vector<ChartPoint> PolynomialTrend(const ChartPoint* pts, int n, int coefficients, int extra,
                                        CPolynomialSolver* solver)
{
    CPolynomialSolver local;
    CPolynomialSolver& s = solver ? *solver : local;
    if (!ExtraOk(n, extra) || !s.Fit(pts, n, coefficients))
        return {};
    std::vector<ChartPoint> out(static_cast<size_t>(n) + extra);
    for (size_t i = 0; i < out.size(); ++i) {
        if (static_cast<int>(i) < n)
            out[i].x = pts[i].x;
        else if (i >= 2)
            out[i].x = out[i - 1].x + (out[i - 1].x - out[i - 2].x);
        else
            out[i].x = out[i - 1].x;  // a single source point gives no spacing
        out[i].y = s.Evaluate(out[i].x);
    }
    return out;
}

std::vector<ChartPoint> MovingAverage(Average kind, const ChartPoint* pts, int n, int period)
{
    if (!pts || n < 1 || period < 1)
        return {};
    constexpr double kPi = 3.14159265358979;
    std::vector<ChartPoint> out(n);
    out[0] = pts[0];
    const double alpha = 2.0 / (period + 1.0);
    for (int i = 1; i < n; ++i) {
        out[i].x = pts[i].x;
        // The warm-up windows hold every point so far, the first included.
        const int m = std::min(i + 1, period);
        double sum = 0.0, wsum = 0.0;
        switch (kind) {
        case Average::Simple:
            for (int j = 0; j < m; ++j)
                sum += pts[i - j].y;
            out[i].y = sum / m;
            break;
        case Average::Exponential:
            out[i].y = alpha * pts[i].y + (1.0 - alpha) * out[i - 1].y;
            break;
        case Average::LinearWeighted:
            for (int j = 0; j < m; ++j)
                sum += (m - j) * pts[i - j].y;
            out[i].y = sum / (m * (m + 1) / 2.0);
            break;
        case Average::Triangular: {
            const double h = (m + 1) / 2.0;
            for (int k = 1; k <= m; ++k) {
                const double w = (1.0 - std::fabs((k - h) / h)) * m;
                sum += w * pts[i - k + 1].y;
                wsum += w;
            }
            out[i].y = wsum != 0.0 ? sum / wsum : pts[i].y;
            break;
        }
        case Average::Sine:
            for (int j = 0; j < m; ++j)
                sum += std::sin((m - j) * kPi / (period + 1)) * pts[i - j].y;
            for (int k = 1; k <= m; ++k)
                wsum += std::sin(k * kPi / (period + 1));
            out[i].y = wsum != 0.0 ? sum / wsum : pts[i].y;
            break;
        }
    }
    return out;
}

// ---- markers, colours, scaling, formats --------------------------------

std::vector<CPoint> MarkerShapePoints(int kind, int x, int y, int s)
{
    const int h = s / 2;
    switch (kind) {
    case 0:
    case 1:
        return {CPoint(x, y), CPoint(x + s, y + s)};
    case 2:
        return {CPoint(x, y), CPoint(x + s, y + s), CPoint(x + s, y), CPoint(x, y + s)};
    case 3:
        return {CPoint(x + h, y), CPoint(x + s, y + h), CPoint(x + h, y + s), CPoint(x, y + h)};
    case 4:
        return {CPoint(x + s - 1, y), CPoint(x, y + h), CPoint(x + s - 1, y + s)};
    case 5:
        return {CPoint(x + h, y), CPoint(x + s, y + s), CPoint(x, y + s)};
    case 6:
        return {CPoint(x, y), CPoint(x + s, y + h), CPoint(x, y + s)};
    case 7:
        return {CPoint(x, y), CPoint(x + s, y), CPoint(x + h, y + s)};
    default:
        return {};
    }
}

int MarkerStep(int plotWidth, int markerSize, int count, bool pickMode)
{
    if (pickMode)
        return 1;
    const int q = markerSize > 0 ? plotWidth / markerSize / 4 : 0;
    int step = q > 0 ? count / q : 2;
    if (step < 1)
        step = 2;
    return step;
}

COLORREF MarkerDigitColor(COLORREF cr, bool lowColor)
{
    if (lowColor)
        return RGB(255, 255, 255);
    const int m = std::max({GetRValue(cr), GetGValue(cr), GetBValue(cr) / 2});
    return m < 129 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

COLORREF InverseColor(COLORREF cr)
{
    return RGB(255 - GetRValue(cr), 255 - GetGValue(cr), 255 - GetBValue(cr));
}

double PrinterScale(int screenDpi, int targetDpi)
{
    if (screenDpi <= 0 || targetDpi <= 0)
        return 1.0;
    const double f = double(targetDpi) / double(screenDpi);
    return f < 1e-10 ? 1.0 : f;
}

int ScaleCoord(int v, double scale) { return ClampPixel(double(v) * scale); }

bool IsValidDisplayFmt(const CString& fmt)
{
    const std::string& s = fmt.str();
    int conversions = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\0')
            return false;
        if (s[i] != '%')
            continue;
        ++i;
        if (i < s.size() && s[i] == '%')
            continue;
        while (i < s.size() && std::strchr("-+ #0", s[i]) && s[i] != '\0')
            ++i;
        int digits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && ++digits <= 3)
            ++i;
        if (i < s.size() && s[i] == '.') {
            ++i;
            digits = 0;
            while (i < s.size() && s[i] >= '0' && s[i] <= '9' && ++digits <= 3)
                ++i;
        }
        // "l" means nothing for a double but is commonly typed; "L" or any
        // other size would read an argument that is not there.
        if (i < s.size() && s[i] == 'l')
            ++i;
        if (i >= s.size() || !std::strchr("eEfFgG", s[i]) || s[i] == '\0')
            return false;
        ++conversions;
    }
    return conversions == 1;
}

CString FormatValue(const CString& fmt, double v)
{
    const char* f = IsValidDisplayFmt(fmt) ? fmt.GetString() : "%5.3f";
    // A small negative value that rounds to zero would read "-0.000".
    if (v < 0.0 || (v == 0.0 && std::signbit(v))) {
        const std::string text = vx::Format(f, v);
        if (text == vx::Format(f, -0.0))
            return CString(vx::Format(f, 0.0));
        return CString(text);
    }
    return CString(vx::Format(f, v));
}

CString DecimalsFormat(int places)
{
    switch (places) {
    case 0: return "%5.0f";
    case 1: return "%5.1f";
    case 3: return "%5.3f";
    default: return "%5.2f";
    }
}

}  // namespace PlotMath
