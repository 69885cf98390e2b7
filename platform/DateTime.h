// Dates as a double of days since 1899-12-30 00:00 (the fraction is the time
// of day; before that origin the whole part counts backwards while the
// fraction still runs forwards), and spans of days. Format takes
// strftime-style codes and is independent of the desktop's locale.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <ctime>

using DATE = double;

class COleDateTimeSpan {
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTimeSpan() = default;
    COleDateTimeSpan(double days) : m_span(days) {}
    COleDateTimeSpan(long days, int hours, int minutes, int seconds);
    void SetDateTimeSpan(long days, int hours, int minutes, int seconds);

    double GetTotalHours() const { return m_span * 24.0; }
    double GetTotalSeconds() const { return m_span * 86400.0; }
    // Components of the span rounded to whole seconds; negative spans give
    // negative components.
    long GetDays() const;
    int GetHours() const;
    int GetMinutes() const;
    int GetSeconds() const;
    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus s) { m_status = s; }

    // %D total days, %H hours (00-23), %M minutes, %S seconds, %% percent;
    // other characters as they stand.
    CString Format(LPCTSTR format) const;

    operator double() const { return m_span; }
    COleDateTimeSpan operator+(const COleDateTimeSpan& o) const { return m_span + o.m_span; }
    COleDateTimeSpan operator-(const COleDateTimeSpan& o) const { return m_span - o.m_span; }
    COleDateTimeSpan operator-() const { return -m_span; }
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& o) { m_span += o.m_span; return *this; }
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& o) { m_span -= o.m_span; return *this; }

    double m_span = 0.0;
    DateTimeSpanStatus m_status = valid;
};

class COleDateTime {
public:
    enum DateTimeStatus { error = -1, valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    COleDateTime(DATE dt) : m_dt(dt) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second);
    explicit COleDateTime(std::time_t t);

    // Sets the status invalid (and returns 1) for an impossible date or one
    // outside the years 100 to 9999.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus s) { m_status = s; }

    // Components, rounded to the nearest second; -1 when not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;   // 1 = Sunday
    int GetDayOfYear() const;   // 1 = 1 January

    // strftime codes: %a %A %b %B %c %d %H %I %j %m %M %p %S %w %x %X %y %Y %%,
    // and '#' after '%' drops leading zeros (%#d). An invalid date gives "".
    // Default: "%x %X" without a zero time of day, as a date-only text.
    CString Format(LPCTSTR format) const;
    CString Format() const;

    operator DATE() const { return m_dt; }
    // Arithmetic runs on the time line, so it stays right before the origin.
    COleDateTime operator+(const COleDateTimeSpan& s) const;
    COleDateTime operator-(const COleDateTimeSpan& s) const { return *this + (-s); }
    COleDateTime& operator+=(const COleDateTimeSpan& s) { return *this = *this + s; }
    COleDateTime& operator-=(const COleDateTimeSpan& s) { return *this = *this - s; }
    // The span between two dates, measured on the time line (so across the
    // origin the backwards-counting day numbers still subtract correctly).
    COleDateTimeSpan operator-(const COleDateTime& o) const;
    bool operator==(const COleDateTime& o) const { return m_dt == o.m_dt; }
    bool operator<(const COleDateTime& o) const;
    bool operator>(const COleDateTime& o) const { return o < *this; }
    bool operator<=(const COleDateTime& o) const { return !(o < *this); }
    bool operator>=(const COleDateTime& o) const { return !(*this < o); }

    DATE m_dt = 0.0;
    DateTimeStatus m_status = valid;
};

namespace vx {
// Date values as a linear count of days (negative dates turned into the
// time line), and back.
double OleDateToLinear(DATE dt);
DATE LinearToOleDate(double days);
} // namespace vx
