#include "platform/DateTime.h"

#include "platform/Numbers.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr long long kOriginToUnixDays = 25569;   // 1899-12-30 .. 1970-01-01

long long FloorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Days since 1970-01-01 to a civil date and back (proleptic Gregorian).
void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = FloorDiv(z, 146097);
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

long long DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = FloorDiv(y, 400);
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

struct Parts {
    int year, month, day, hour, minute, second, dow, doy;
};

// Valid dates lie in the years 100 to 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958465.99999;

bool Split(DATE dt, Parts& p)
{
    if (!(dt >= kMinDate && dt <= kMaxDate + 1.0))
        return false;
    const double linear = vx::OleDateToLinear(dt);
    const long long secs = std::llround(linear * kSecondsPerDay);
    const long long days = FloorDiv(secs, kSecondsPerDay);
    const long long sod = secs - days * kSecondsPerDay;
    CivilFromDays(days - kOriginToUnixDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(sod / 3600);
    p.minute = static_cast<int>((sod / 60) % 60);
    p.second = static_cast<int>(sod % 60);
    p.dow = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;   // the origin was a Saturday
    p.doy = static_cast<int>(DaysFromCivil(p.year, p.month, p.day) - DaysFromCivil(p.year, 1, 1) + 1);
    return p.year >= 100 && p.year <= 9999;
}

const char* const kDayAbbr[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kDayName[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonAbbr[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonName[] = {"January", "February", "March", "April", "May", "June", "July",
                                "August", "September", "October", "November", "December"};

void Num(std::string& out, long long v, int width, bool noPad)
{
    out += noPad ? vx::Format("%lld", v) : vx::Format("%0*lld", width, v);
}

void FormatParts(std::string& out, const char* f, const Parts& p)
{
    for (; *f; ++f) {
        if (*f != '%' || !f[1]) {
            out += *f;
            continue;
        }
        ++f;
        bool noPad = false;
        if (*f == '#' && f[1]) {
            noPad = true;
            ++f;
        }
        switch (*f) {
        case 'a': out += kDayAbbr[p.dow - 1]; break;
        case 'A': out += kDayName[p.dow - 1]; break;
        case 'b': out += kMonAbbr[p.month - 1]; break;
        case 'B': out += kMonName[p.month - 1]; break;
        case 'c': FormatParts(out, noPad ? "%#x %#X" : "%x %X", p); break;
        case 'd': Num(out, p.day, 2, noPad); break;
        case 'H': Num(out, p.hour, 2, noPad); break;
        case 'I': Num(out, p.hour % 12 == 0 ? 12 : p.hour % 12, 2, noPad); break;
        case 'j': Num(out, p.doy, 3, noPad); break;
        case 'm': Num(out, p.month, 2, noPad); break;
        case 'M': Num(out, p.minute, 2, noPad); break;
        case 'p': out += p.hour < 12 ? "AM" : "PM"; break;
        case 'S': Num(out, p.second, 2, noPad); break;
        case 'w': Num(out, p.dow - 1, 1, true); break;
        case 'x': FormatParts(out, noPad ? "%#m/%#d/%Y" : "%m/%d/%y", p); break;
        case 'X': FormatParts(out, "%H:%M:%S", p); break;
        case 'y': Num(out, p.year % 100, 2, noPad); break;
        case 'Y': Num(out, p.year, 4, noPad); break;
        case '%': out += '%'; break;
        default:
            out += '%';
            out += *f;
            break;
        }
    }
}

} // namespace

double vx::OleDateToLinear(DATE dt)
{
    if (dt >= 0.0)
        return dt;
    const double whole = std::trunc(dt);
    return whole + (whole - dt);
}

DATE vx::LinearToOleDate(double days)
{
    if (days >= 0.0)
        return days;
    const double whole = std::floor(days);
    const double frac = days - whole;
    return frac == 0.0 ? whole : whole - frac;
}

// ---- COleDateTimeSpan -------------------------------------------------------

COleDateTimeSpan::COleDateTimeSpan(long days, int hours, int minutes, int seconds)
{
    SetDateTimeSpan(days, hours, minutes, seconds);
}

void COleDateTimeSpan::SetDateTimeSpan(long days, int hours, int minutes, int seconds)
{
    m_span = days + (hours + (minutes + seconds / 60.0) / 60.0) / 24.0;
    m_status = valid;
}

namespace {
long long SpanSeconds(double span) { return std::llround(span * kSecondsPerDay); }
} // namespace

long COleDateTimeSpan::GetDays() const { return static_cast<long>(SpanSeconds(m_span) / kSecondsPerDay); }
int COleDateTimeSpan::GetHours() const { return static_cast<int>((SpanSeconds(m_span) / 3600) % 24); }
int COleDateTimeSpan::GetMinutes() const { return static_cast<int>((SpanSeconds(m_span) / 60) % 60); }
int COleDateTimeSpan::GetSeconds() const { return static_cast<int>(SpanSeconds(m_span) % 60); }

CString COleDateTimeSpan::Format(LPCTSTR format) const
{
    if (m_status != valid || !format)
        return CString();
    std::string out;
    for (const char* f = format; *f; ++f) {
        if (*f != '%' || !f[1]) {
            out += *f;
            continue;
        }
        ++f;
        switch (*f) {
        case 'D': out += vx::Format("%ld", GetDays()); break;
        case 'H': out += vx::Format("%02d", GetHours()); break;
        case 'M': out += vx::Format("%02d", GetMinutes()); break;
        case 'S': out += vx::Format("%02d", GetSeconds()); break;
        case '%': out += '%'; break;
        default:
            out += '%';
            out += *f;
            break;
        }
    }
    return CString(out);
}

// ---- COleDateTime -----------------------------------------------------------

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime::COleDateTime(std::time_t t)
{
    std::tm tm {};
    if (!localtime_r(&t, &tm)) {
        m_status = invalid;
        return;
    }
    SetDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        m_dt = 0.0;
        m_status = invalid;
        return 1;
    }
    const long long days = DaysFromCivil(year, month, day) + kOriginToUnixDays;
    const double linear = static_cast<double>(days) + (hour * 3600 + minute * 60 + second) / double(kSecondsPerDay);
    m_dt = vx::LinearToOleDate(linear);
    m_status = valid;
    return 0;
}

#define VX_DATE_PART(Name, field)                        \
    int COleDateTime::Name() const                       \
    {                                                    \
        Parts p {};                                      \
        if (m_status != valid || !Split(m_dt, p))        \
            return -1;                                   \
        return p.field;                                  \
    }
VX_DATE_PART(GetYear, year)
VX_DATE_PART(GetMonth, month)
VX_DATE_PART(GetDay, day)
VX_DATE_PART(GetHour, hour)
VX_DATE_PART(GetMinute, minute)
VX_DATE_PART(GetSecond, second)
VX_DATE_PART(GetDayOfWeek, dow)
VX_DATE_PART(GetDayOfYear, doy)

CString COleDateTime::Format(LPCTSTR format) const
{
    Parts p {};
    if (m_status != valid || !format || !Split(m_dt, p))
        return CString();
    std::string out;
    FormatParts(out, format, p);
    return CString(out);
}

CString COleDateTime::Format() const
{
    Parts p {};
    if (m_status != valid || !Split(m_dt, p))
        return CString();
    const bool noTime = p.hour == 0 && p.minute == 0 && p.second == 0;
    const bool noDate = p.year == 1899 && p.month == 12 && p.day == 30;
    return Format(noTime ? "%x" : noDate ? "%X" : "%x %X");
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& o) const
{
    return COleDateTimeSpan(vx::OleDateToLinear(m_dt) - vx::OleDateToLinear(o.m_dt));
}

bool COleDateTime::operator<(const COleDateTime& o) const
{
    return vx::OleDateToLinear(m_dt) < vx::OleDateToLinear(o.m_dt);
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& s) const
{
    COleDateTime r(vx::LinearToOleDate(vx::OleDateToLinear(m_dt) + s.m_span));
    r.m_status = m_status;
    return r;
}
