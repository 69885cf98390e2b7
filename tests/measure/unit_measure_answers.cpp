#include "measure/MeasureAnswers.h"
#include "measure/SampleModes.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

std::string Sensor(unsigned char typeDecimals, std::string zero, std::string full, std::string nominal = "\x50\x00"s)
{
    std::string a = "SIMSENS1";
    a += nominal;
    a += "kN ";
    a += static_cast<char>(typeDecimals);
    a += zero;
    a += full;
    a += "\r\n";
    return a;
}

} // namespace

TEST(SensorAnswer, DecodesTheSimulatorExample)
{
    const std::string a = Sensor(0x01, std::string("\x00\x00", 2), "\x4E\x20");
    ASSERT_EQ(a.size(), 20u);
    const SensorAnswer s = DecodeAnswer(a);
    EXPECT_EQ(s.name, "SIMSENS1");
    EXPECT_EQ(s.nominal, 5000);
    EXPECT_EQ(s.unit, "kN ");
    EXPECT_EQ(s.sensorType, 0);
    EXPECT_EQ(s.decimals.divisor, 1000);
    EXPECT_STREQ(s.decimals.format, "%.3f ");
    EXPECT_EQ(s.zeroPoint, 0);
    EXPECT_EQ(s.fullPoint, 20000);
    EXPECT_FALSE(s.refused);

    MeasureRecord r;
    ApplySensorAnswer(s, r);
    EXPECT_EQ(r.m_strSensorName, "SIMSENS1");
    EXPECT_EQ(r.m_iDecimalDivisor, 1000);
    EXPECT_EQ(r.m_strDisplayFormat, "%.3f ");
}

TEST(SensorAnswer, NameIsTrimmedAndBcdNibbleAboveNineEndsTheNumber)
{
    std::string a = Sensor(0x00, std::string("\x00\x00", 2), "\x00\x64", "\x12\xA4");
    a.replace(0, 8, "  AB C  ");
    const SensorAnswer s = DecodeAnswer(a);
    EXPECT_EQ(s.name, "AB C");
    EXPECT_EQ(s.nominal, 12); // 1, 2, then ':' stops the digits
}

TEST(SensorAnswer, PointEncodingFollowsTheSensorType)
{
    // Type 2: 0 % binary, 100 % BCD.
    SensorAnswer s = DecodeAnswer(Sensor(0x22, "\x00\x10"s, "\x12\x34"s));
    EXPECT_EQ(s.sensorType, 2);
    EXPECT_EQ(s.zeroPoint, 16);
    EXPECT_EQ(s.fullPoint, 1234);
    EXPECT_EQ(s.decimals.divisor, 100);
    // Type 3: both BCD.
    s = DecodeAnswer(Sensor(0x33, "\x00\x10"s, "\x12\x34"s));
    EXPECT_EQ(s.zeroPoint, 10);
    EXPECT_EQ(s.fullPoint, 1234);
    EXPECT_EQ(s.decimals.divisor, 10);
    // A type nibble above 9 reads as type 0 (binary points); decimals code 7 -> 1.
    s = DecodeAnswer(Sensor(0xA7, "\x00\x10"s, "\x12\x34"s));
    EXPECT_EQ(s.sensorType, 0);
    EXPECT_EQ(s.fullPoint, 0x1234);
    EXPECT_EQ(s.decimals.divisor, 1);
    EXPECT_STREQ(s.decimals.format, "%.0f ");
    EXPECT_EQ(SetDisplayDecimals(4).divisor, 10000);
}

TEST(SensorAnswer, PointsCloserThanTenAreRefused)
{
    EXPECT_TRUE(DecodeAnswer(Sensor(0x01, "\x01\x00"s, "\x01\x09"s)).refused);
    EXPECT_FALSE(DecodeAnswer(Sensor(0x01, "\x01\x00"s, "\x01\x0A"s)).refused);
    EXPECT_TRUE(DecodeAnswer(Sensor(0x01, "\x01\x0A"s, "\x01\x01"s)).refused);
}

TEST(SensorAnswer, ShortAnswerReadsNothingBeyondItsBytes)
{
    const SensorAnswer s = DecodeAnswer("ABC");
    EXPECT_EQ(s.name, "ABC");
    EXPECT_EQ(s.unit, "");
    EXPECT_TRUE(s.refused);
}

TEST(OtherAnswers, StatusLongVersionAndHeader)
{
    MeasureRecord r;
    DecodeStatusLong(std::string("\x45\x4C\x02\x07\x00\x05\x00\x00\x00\x00\x0D\x0A", 12), r);
    EXPECT_EQ(r.m_byRateCode, 2);
    EXPECT_EQ(r.m_byStatus2, 7);
    EXPECT_EQ(r.m_bySampleMode, 0);
    EXPECT_EQ(r.m_byAutoRate, 5);

    DecodeVersion("VX35 H1 105\r\n", r);
    EXPECT_EQ(r.m_iDeviceVariant, 700);
    EXPECT_EQ(r.m_iFirmwareVersion, 105);
    DecodeVersion("V", r);
    EXPECT_EQ(r.m_iFirmwareVersion, 0);

    EXPECT_EQ(ExtractHeaderAnswer("\r\nABC\x03"), "ABC");
    EXPECT_EQ(ExtractHeaderAnswer("\n\rABC\x03"), "\n\rABC");
    EXPECT_EQ(ExtractHeaderAnswer("A\x03" "B\x03"), "A");
    EXPECT_EQ(ExtractHeaderAnswer("\r\nNo end"), "No end");
}

TEST(SampleModes, TableRows)
{
    SampleModeInfo m = LookupSampleMode(0, 0);
    EXPECT_STREQ(m.label, "PC 10ms");
    EXPECT_TRUE(m.pcPaced);
    EXPECT_EQ(m.stream, StreamKind::Frame);
    EXPECT_DOUBLE_EQ(m.stepX, 0.01);

    m = LookupSampleMode(8, 3);
    EXPECT_STREQ(m.label, "AUTO 100ms");
    EXPECT_EQ(m.stream, StreamKind::Frame);
    EXPECT_DOUBLE_EQ(m.followPoints, 50);
    EXPECT_FALSE(m.pcPaced);

    m = LookupSampleMode(8, 6);
    EXPECT_STREQ(m.xTitle, "t in min");
    EXPECT_EQ(m.stream, StreamKind::Line);
    EXPECT_STREQ(LookupSampleMode(8, 8).xTitle, "t in h");
    EXPECT_STREQ(LookupSampleMode(4, 0).label, "HAND");
    EXPECT_STREQ(LookupSampleMode(20, 0).label, "TRIGGER3");

    for (auto [mode, rate] : {std::pair{8, 9}, std::pair{8, 1}, std::pair{1, 0}, std::pair{24, 0}}) {
        m = LookupSampleMode(static_cast<BYTE>(mode), static_cast<BYTE>(rate));
        EXPECT_STREQ(m.label, "SCI aus");
        EXPECT_EQ(m.stream, StreamKind::None);
    }
}

TEST(SampleModes, RefreshShowsWholeSeriesUntilFollowWidthIsReached)
{
    const SampleModeInfo m = LookupSampleMode(8, 4); // AUTO 1sec: 1.0 x 50
    RefreshView v = DecideRefreshView(m.stepX, m.followPoints, 49.0);
    EXPECT_FALSE(v.follow);
    EXPECT_DOUBLE_EQ(v.xTo, 49.0);
    v = DecideRefreshView(m.stepX, m.followPoints, 50.0);
    EXPECT_TRUE(v.follow);
    EXPECT_DOUBLE_EQ(v.followWidth, 50.0);
    EXPECT_FALSE(AxisSetUpReached(0.01, 0.09));
    EXPECT_TRUE(AxisSetUpReached(1.0, 10.0));
}
