// Dates as days since 1899-12-30, their texts and spans.
#include "platform/DateTime.h"

#include <gtest/gtest.h>

TEST(DateTime, DaysSinceTheOriginBothWays)
{
    EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
    EXPECT_DOUBLE_EQ(COleDateTime(1900, 1, 1, 0, 0, 0).m_dt, 2.0);
    EXPECT_DOUBLE_EQ(COleDateTime(2000, 1, 1, 0, 0, 0).m_dt, 36526.0);
    EXPECT_DOUBLE_EQ(COleDateTime(2024, 2, 29, 18, 0, 0).m_dt, 45351.75);
    // Before the origin the day counts backwards, the time still forwards.
    EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).m_dt, -1.25);
    const COleDateTime before(-1.25);
    EXPECT_EQ(before.GetDay(), 29);
    EXPECT_EQ(before.GetHour(), 6);

    const COleDateTime t(45351.75);
    EXPECT_EQ(t.GetYear(), 2024);
    EXPECT_EQ(t.GetMonth(), 2);
    EXPECT_EQ(t.GetDay(), 29);
    EXPECT_EQ(t.GetHour(), 18);
    EXPECT_EQ(t.GetDayOfWeek(), 5);   // Thursday (1 = Sunday)
    EXPECT_EQ(t.GetDayOfYear(), 60);
    // 23:59:59.6 rounds to the next day.
    const COleDateTime r(45351.0 + 86399.6 / 86400.0);
    EXPECT_EQ(r.GetDay(), 1);
    EXPECT_EQ(r.GetMonth(), 3);
}

TEST(DateTime, InvalidDatesAreMarkedNotShifted)
{
    COleDateTime d;
    EXPECT_EQ(d.SetDateTime(2023, 2, 29, 0, 0, 0), 1);
    EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(d.GetYear(), -1);
    EXPECT_TRUE(d.Format("%d.%m.%Y").IsEmpty());
    EXPECT_EQ(d.SetDateTime(2024, 13, 1, 0, 0, 0), 1);
    EXPECT_EQ(d.SetDateTime(99, 1, 1, 0, 0, 0), 1);
    EXPECT_EQ(d.SetDateTime(2024, 1, 1, 24, 0, 0), 1);
    EXPECT_EQ(d.SetDateTime(2024, 1, 31, 23, 59, 59), 0);
    EXPECT_EQ(d.GetStatus(), COleDateTime::valid);
}

TEST(DateTime, FormatCodes)
{
    const COleDateTime t(2024, 3, 5, 7, 8, 9);
    EXPECT_EQ(t.Format("%d.%m.%Y %H:%M:%S"), CString("05.03.2024 07:08:09"));
    EXPECT_EQ(t.Format("%#d.%#m.%y"), CString("5.3.24"));
    EXPECT_EQ(t.Format("%a %A %b %B %j %I%p %%"), CString("Tue Tuesday Mar March 065 07AM %"));
    EXPECT_EQ(t.Format("%H:%M\n%d.%m."), CString("07:08\n05.03."));
    EXPECT_EQ(t.Format("%x %X"), CString("03/05/24 07:08:09"));
    EXPECT_EQ(COleDateTime(2024, 3, 5, 0, 0, 0).Format(), CString("03/05/24"));
}

TEST(DateTime, SpansAndArithmetic)
{
    const COleDateTimeSpan s(1, 2, 3, 4);
    EXPECT_EQ(s.GetDays(), 1);
    EXPECT_EQ(s.GetHours(), 2);
    EXPECT_EQ(s.GetMinutes(), 3);
    EXPECT_EQ(s.GetSeconds(), 4);
    EXPECT_NEAR(s.GetTotalSeconds(), 93784.0, 1e-6);
    EXPECT_EQ(s.Format("%D Tage %H:%M:%S"), CString("1 Tage 02:03:04"));
    EXPECT_EQ(COleDateTimeSpan(0.5 / 24.0).Format("%H:%M:%S"), CString("00:30:00"));

    const COleDateTime a(2024, 12, 31, 23, 0, 0);
    const COleDateTime b = a + COleDateTimeSpan(0, 2, 0, 0);
    EXPECT_EQ(b.Format("%Y-%m-%d %H"), CString("2025-01-01 01"));
    EXPECT_NEAR((b - a).GetTotalHours(), 2.0, 1e-9);
    EXPECT_TRUE(a < b);
    // Across the origin the time line still runs forwards.
    const COleDateTime x(1899, 12, 29, 18, 0, 0);
    const COleDateTime y(1899, 12, 30, 6, 0, 0);
    EXPECT_NEAR((y - x).GetTotalHours(), 12.0, 1e-9);
    EXPECT_TRUE(x < y);
    EXPECT_EQ((x + COleDateTimeSpan(0.5)).Format("%d %H"), CString("30 06"));
}
