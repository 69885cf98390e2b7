#include "measure/ValueStream.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {
const ValueScale kMilli{1000, &CAlgebra::Add, 0.0};
}

TEST(FrameParser, ReadingsAreSignedBigEndianAndScaled)
{
    const FastStreamResult r = ParseFastStream("\xFF\xFE\r\n\x80\x00\r\n\x7F\xFF\r\n\x00\x05\r\n"s);
    ASSERT_EQ(r.readings.size(), 4u);
    EXPECT_DOUBLE_EQ(ConvertFrameReading(r.readings[0], kMilli), -0.002);
    EXPECT_DOUBLE_EQ(ConvertFrameReading(r.readings[1], kMilli), -32.768);
    EXPECT_DOUBLE_EQ(ConvertFrameReading(r.readings[2], kMilli), 32.767);
    EXPECT_EQ(r.readings[3], 5);
    EXPECT_EQ(r.consumed, 16u);
    EXPECT_FALSE(r.endMark);
}

TEST(FrameParser, PartialFramesWaitAndStrayBytesAreSkipped)
{
    std::string buf = "\x01\x02\r\n\x03"s;
    FastStreamResult r = ParseFastStream(buf);
    ASSERT_EQ(r.readings.size(), 1u);
    EXPECT_EQ(r.consumed, 4u);
    buf = buf.substr(r.consumed) + "\x04\r\n"s;
    r = ParseFastStream(buf);
    ASSERT_EQ(r.readings.size(), 1u);
    EXPECT_EQ(r.readings[0], 0x0304);

    r = ParseFastStream("\x05\x01\x02\r\n"s);
    ASSERT_EQ(r.readings.size(), 1u);
    EXPECT_EQ(r.readings[0], 0x0102);
}

TEST(FrameParser, LoneLineEndIsTheEndMarkAndStaysInTheBuffer)
{
    FastStreamResult r = ParseFastStream("\r\n");
    EXPECT_TRUE(r.endMark);
    EXPECT_EQ(r.consumed, 0u);
    r = ParseFastStream("\x01\x02\r\n\r\n"s);
    EXPECT_TRUE(r.endMark);
    EXPECT_EQ(r.readings.size(), 1u);
    // The same two bytes followed by the rest of a frame are a reading.
    r = ParseFastStream("\r\n\r\n");
    EXPECT_FALSE(r.endMark);
    ASSERT_EQ(r.readings.size(), 1u);
    EXPECT_EQ(r.readings[0], 0x0D0A);
}

TEST(FrameParser, GarbageBlobIsSkippedWholeBarATail)
{
    std::string blob(64 * 1024, 'x');
    const FastStreamResult r = ParseFastStream(blob);
    EXPECT_TRUE(r.readings.empty());
    EXPECT_EQ(r.consumed, blob.size() - 3);
}

TEST(LineParser, ValueSitsNineteenToFourteenBeforeTheLineEnd)
{
    // CR at 19: the first six characters are the value.
    SlowStreamResult r = ParseSlowStream(" 1,234 kN          \r\n");
    ASSERT_EQ(r.values.size(), 1u);
    EXPECT_EQ(r.values[0], " 1,234");
    EXPECT_EQ(r.consumed, 21u);
    // CR at 18: dropped without a value, but consumed.
    r = ParseSlowStream(" 1,234 kN         \r\n");
    EXPECT_TRUE(r.values.empty());
    EXPECT_EQ(r.consumed, 20u);
    // A prefix before the value is not read.
    r = ParseSlowStream("##-1,234 kN          \r\n");
    ASSERT_EQ(r.values.size(), 1u);
    EXPECT_EQ(r.values[0], "-1,234");
}

TEST(LineParser, LinesSplitAnywhereAndSeveralPerChunk)
{
    const std::string line = " 1,234 kN          \r\n";
    std::string two = line + " 2,000 kN          \r\n";
    SlowStreamResult r = ParseSlowStream(two);
    ASSERT_EQ(r.values.size(), 2u);
    EXPECT_EQ(r.values[1], " 2,000");

    for (size_t cut = 1; cut < line.size(); ++cut) {
        std::string buf = line.substr(0, cut);
        r = ParseSlowStream(buf);
        EXPECT_TRUE(r.values.empty()) << cut;
        buf = buf.substr(r.consumed) + line.substr(cut);
        r = ParseSlowStream(buf);
        ASSERT_EQ(r.values.size(), 1u) << cut;
        EXPECT_EQ(r.consumed, buf.size());
    }
}

TEST(LineParser, EndMarkAndOverlongGarbage)
{
    SlowStreamResult r = ParseSlowStream(" 1,234 kN          \r\n\r\n");
    EXPECT_EQ(r.values.size(), 1u);
    EXPECT_TRUE(r.endMark);
    EXPECT_FALSE(ParseSlowStream("\r").endMark);

    std::string junk(300, 'z');
    junk += '\r';
    r = ParseSlowStream(junk);
    // The tail that may still hold the value (and the CR that may meet its
    // LF) stays.
    EXPECT_EQ(r.consumed, 300u - kSlowValueReach);
}

// A line longer than the cap gives the same value however it is cut.
TEST(LineParser, OverlongLineGivesItsValueForEveryCut)
{
    std::string line(280, 'z');
    line += " 7,250 kN          \r\n";
    const SlowStreamResult whole = ParseSlowStream(line);
    ASSERT_EQ(whole.values.size(), 1u);
    EXPECT_EQ(whole.values[0], " 7,250");
    for (size_t cut = 1; cut < line.size(); ++cut) {
        std::string rx = line.substr(0, cut);
        SlowStreamResult first = ParseSlowStream(rx);
        rx.erase(0, first.consumed);
        rx += line.substr(cut);
        const SlowStreamResult second = ParseSlowStream(rx);
        ASSERT_EQ(first.values.size() + second.values.size(), 1u) << cut;
        EXPECT_EQ(second.values.empty() ? first.values[0] : second.values[0], " 7,250") << cut;
    }
}

TEST(ValueConversion, OperatorsAndLineValues)
{
    // Operator index 7 means add; divide comes after the divisor.
    EXPECT_DOUBLE_EQ(ConvertFrameReading(2000, ValueScale{1000, CAlgebra::OperatorFor(7), 3.0}), 5.0);
    EXPECT_DOUBLE_EQ(ConvertFrameReading(3000, ValueScale{1000, CAlgebra::OperatorFor(3), 2.0}), 1.5);
    EXPECT_DOUBLE_EQ(ConvertFrameReading(2000, ValueScale{1000, CAlgebra::OperatorFor(2), 3.0}), 6.0);

    EXPECT_EQ(LineReading("-1,234"), -1234);
    EXPECT_EQ(LineReading(" 12.34"), 1234);
    EXPECT_DOUBLE_EQ(ConvertLineValue("-1,234", kMilli), -1.234);
    // Divided first, operated after: the same as a frame with that reading.
    const ValueScale sub{1000, CAlgebra::OperatorFor(1), 5.5};
    EXPECT_DOUBLE_EQ(ConvertLineValue(" 1,234", sub), 1.234 - 5.5);
    EXPECT_DOUBLE_EQ(ConvertFrameReading(1234, sub), 1.234 - 5.5);
    // An unfilled divisor does not make infinities.
    EXPECT_DOUBLE_EQ(ConvertFrameReading(7, ValueScale{0, &CAlgebra::Add, 0.0}), 7.0);
}

TEST(ValueConversion, ValueTextUsesOnlyNumberFormats)
{
    EXPECT_EQ(FormatValueText("%.3f ", -1.234, "kN "), "-1.234 kN ");
    EXPECT_EQ(FormatValueText("%.0f ", 2.6, "N"), "3 N");
    EXPECT_EQ(FormatValueText("%.2f", 1.0, "Nm"), "1.00Nm");
    // Anything else falls back to whole numbers rather than reaching printf.
    EXPECT_EQ(FormatValueText("%s%n", 1.0, "N"), "1 N");
    EXPECT_EQ(FormatValueText("", 1.0, "N"), "1 N");
    EXPECT_EQ(FormatValueText("%.3f %s", 1.0, "N"), "1 N");
}

#include "measure/ChannelConfig.h"

#include <clocale>

TEST(ChannelConfig, ReadsLikeTheProfileWritesIt)
{
    ChannelRecord r;
    EXPECT_EQ(FormatChannelConfig(0, 0, 1, 0.0), "0; 0; 1; 0.000000");
    ASSERT_TRUE(ParseChannelConfig("65535; 3; 1; 5.500000", r));
    EXPECT_EQ(r.m_iChannelId, 65535);
    EXPECT_EQ(r.m_iOperator, 3);
    EXPECT_EQ(r.m_bActive, 1);
    EXPECT_DOUBLE_EQ(r.m_dOperand, 5.5);
    // Missing and non-numeric fields read as 0; "active" must be exactly 1.
    ASSERT_TRUE(ParseChannelConfig("7;x; 2", r));
    EXPECT_EQ(r.m_iChannelId, 7);
    EXPECT_EQ(r.m_iOperator, 0);
    EXPECT_EQ(r.m_bActive, 0);
    EXPECT_DOUBLE_EQ(r.m_dOperand, 0.0);
    EXPECT_FALSE(ParseChannelConfig("", r));
    EXPECT_EQ(r.m_iChannelId, 7);

    ChannelRecord table[7];
    EXPECT_FALSE(AnyChannelActive(table));
    table[6].m_bActive = 1;
    EXPECT_TRUE(AnyChannelActive(table));
    EXPECT_EQ(ChannelConfigKey(3), "KANAL 3");
}

TEST(ChannelConfig, GermanDesktopLocaleStillWritesAndReadsAPoint)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.utf8"))
        GTEST_SKIP() << "no German locale installed";
    const CString text = FormatChannelConfig(0, 1, 1, 5.5);
    ChannelRecord r;
    ParseChannelConfig(text, r);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "0; 1; 1; 5.500000");
    EXPECT_DOUBLE_EQ(r.m_dOperand, 5.5);
}
