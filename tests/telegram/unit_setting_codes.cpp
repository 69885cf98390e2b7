#include "telegram/SettingCodes.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>

TEST(SettingCodes, CodeTables)
{
    std::string s;
    int index = 99;
    double value = 0;
    QuorSend_CodeText20(s, 40, &index, &value);
    EXPECT_EQ(s, "3.0");
    EXPECT_EQ(index, 0);
    QuorSend_CodeText20(s, 140, &index, &value);
    EXPECT_EQ(s, "0.25");
    EXPECT_EQ(index, 5);
    EXPECT_DOUBLE_EQ(value, 0.25);
    QuorSend_CodeText20(s, 220, &index, &value);
    EXPECT_EQ(s, "0.05");
    EXPECT_EQ(index, 9);
    for (std::uint8_t code : {std::uint8_t(255), std::uint8_t(41), std::uint8_t(20), std::uint8_t(0)}) {
        index = 0;
        value = 0;
        QuorSend_CodeText20(s, code, &index, &value);
        EXPECT_EQ(s, "(def) 3.0") << int(code);
        EXPECT_EQ(index, -1);
        EXPECT_DOUBLE_EQ(value, 3.0);
    }

    std::int32_t v8 = 0;
    QuorSend_CodeText8(s, 0, &index, &v8);
    EXPECT_EQ(index, -2);
    EXPECT_EQ(v8, 60);
    EXPECT_EQ(s, "60");
    QuorSend_CodeText8(s, 8, &index, &v8);
    EXPECT_EQ(index, 7);
    EXPECT_EQ(v8, 720);
    EXPECT_EQ(s, "720");
    QuorSend_CodeText8(s, 1, nullptr, nullptr);
    EXPECT_EQ(s, "6");

    QuorSend_BrandText(s, 1, &index);
    EXPECT_EQ(s, "Halvex");
    EXPECT_EQ(index, 1);
    QuorSend_BrandText(s, 7, &index);
    EXPECT_EQ(s, "Quorin");
    EXPECT_EQ(index, -1);
}

TEST(SettingCodes, VersionValue)
{
    EXPECT_EQ(QuorSend_VersionValue(1.05), 0x0105);
    EXPECT_EQ(QuorSend_VersionValue(12.3), 0x1123);
    EXPECT_EQ(QuorSend_VersionValue(0.05), 0x0005);
    EXPECT_EQ(QuorSend_VersionValue(9.996), 0x1100);
    EXPECT_EQ(QuorSend_VersionValue(1.996), 0x0200);
    EXPECT_EQ(QuorSend_VersionValue(0.0), 0);
    EXPECT_EQ(QuorSend_VersionValue(123.0), 0x2123);
    EXPECT_EQ(QuorSend_VersionValue(9.99e15), 0xF999);
    // What the word cannot hold is "no version", which reads as an empty text.
    for (double bad : {-1.5, -0.001, double(NAN), double(INFINITY), 1e16, 9.9999e15, 1e300}) {
        EXPECT_EQ(QuorSend_VersionValue(bad), 0xFFFF) << bad;
    }
    EXPECT_EQ(QuorSend_VersionValue(-0.0), 0);
}

TEST(SettingCodes, RoundDigits)
{
    std::string t = "1995", msg;
    EXPECT_EQ(QuorSend_RoundDigits(t, 3, &msg), 2);
    EXPECT_EQ(t, "2005");
    EXPECT_EQ(msg, "iFind == 5 Bei gr\xF6\xDF" "er gleich 5 wird gerundet");

    t = "9996";
    EXPECT_EQ(QuorSend_RoundDigits(t, 3, &msg), 3);
    EXPECT_EQ(t, "1006");
    EXPECT_NE(msg.find("VORSICHT Exponent muss um eins erh\xF6ht werden!!!!"), std::string::npos);

    t = "1234";
    EXPECT_EQ(QuorSend_RoundDigits(t, 3, &msg), 1);
    EXPECT_EQ(t, "1234");
    EXPECT_EQ(msg, "iFind == 4 Bei kleiner 5 wird nicht gerundet da folgende Fkt selbst abrundet");

    t = "1204";
    EXPECT_EQ(QuorSend_RoundDigits(t, 2, &msg), 0);
    EXPECT_EQ(msg, "iFind == 0 Bei Null wird nicht gerundet");

    // The position may equal the length: nothing behind it to round by.
    t = "129";
    EXPECT_EQ(QuorSend_RoundDigits(t, 3), 0);
    EXPECT_EQ(t, "129");

    t = " 1995 ";
    EXPECT_EQ(QuorSend_RoundDigits(t, 5, &msg), 0);
    EXPECT_EQ(t, " 1995 ");
    EXPECT_EQ(msg, "iRoundLocation = 5 fehlerhafter Bereich iLength = 4 bei Bedingung "
                   "( iRoundLocation(5) <= 0 || iLength(4) < iRoundLocation(5) )");
    EXPECT_EQ(QuorSend_RoundDigits(t, 0), 0);
    t = "";
    EXPECT_EQ(QuorSend_RoundDigits(t, 1), 0);
}

TEST(SettingCodes, NumberTexts)
{
    std::string s;
    QuorSend_BitCountText(s, 0x3FF);
    EXPECT_EQ(s, "10 Digits");
    QuorSend_BitCountText(s, 0);
    EXPECT_EQ(s, "0 Digits");
    QuorSend_BitCountText(s, 0x80000000u);
    EXPECT_EQ(s, "32 Digits");

    QuorSend_PowerOfTenText(s, "1000");
    EXPECT_EQ(s, "1000");
    QuorSend_PowerOfTenText(s, "50000");
    EXPECT_EQ(s, "5* 10^4");
    QuorSend_PowerOfTenText(s, "12340000");
    EXPECT_EQ(s, "1234* 10^4");
    QuorSend_PowerOfTenText(s, "900000000000");
    EXPECT_EQ(s, "9* 10^11");
}

TEST(SettingCodes, CombinationCheck)
{
    const std::int32_t baud57600 = 57600, baud230400 = 230400, count0 = 0, count249 = 249;
    const std::int32_t sel255 = 255, sel3 = 3, sel4 = 4, sel7 = 7;
    const std::int32_t mode0 = 0, mode1 = 1, mode3 = 3;

    EXPECT_EQ(QuorSend_CheckParameterCombination(30, 7, nullptr, &baud57600, nullptr, nullptr), -16);
    EXPECT_EQ(QuorSend_CheckParameterCombination(30, 6, nullptr, &baud57600, nullptr, nullptr), 1);
    EXPECT_EQ(QuorSend_CheckParameterCombination(30, 4, nullptr, &baud230400, nullptr, nullptr), 0);
    EXPECT_EQ(QuorSend_CheckParameterCombination(30, 3, nullptr, &baud230400, nullptr, nullptr), -15);
    EXPECT_EQ(QuorSend_CheckParameterCombination(31, 5, nullptr, nullptr, &count0, nullptr), -16);
    EXPECT_EQ(QuorSend_CheckParameterCombination(31, 7, nullptr, nullptr, &count249, nullptr), 0);
    EXPECT_EQ(QuorSend_CheckParameterCombination(1, 8, nullptr, nullptr, nullptr, nullptr), -15);
    EXPECT_EQ(QuorSend_CheckParameterCombination(1, 5, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(QuorSend_CheckParameterCombination(1, 2, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(QuorSend_CheckParameterCombination(15, 3, nullptr, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(QuorSend_CheckParameterCombination(35, 8, nullptr, nullptr, nullptr, nullptr), 1);

    EXPECT_EQ(QuorSend_CheckParameterCombination(32, 4, &sel255, nullptr, nullptr, nullptr), -17);
    EXPECT_EQ(QuorSend_CheckParameterCombination(32, 7, &sel255, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(QuorSend_CheckParameterCombination(32, 7, &sel3, nullptr, nullptr, nullptr), -16);
    EXPECT_EQ(QuorSend_CheckParameterCombination(33, 7, &sel3, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(QuorSend_CheckParameterCombination(34, 7, &sel3, nullptr, nullptr, &mode3), -16);
    EXPECT_EQ(QuorSend_CheckParameterCombination(34, 7, &sel4, nullptr, nullptr, &mode3), 2);
    EXPECT_EQ(QuorSend_CheckParameterCombination(34, 7, &sel7, nullptr, nullptr, &mode1), 3);
    EXPECT_EQ(QuorSend_CheckParameterCombination(34, 7, &sel7, nullptr, nullptr, &mode0), -18);

    // A value the row needs but was not given is never accepted.
    EXPECT_EQ(QuorSend_CheckParameterCombination(30, 7, nullptr, nullptr, nullptr, nullptr), -16);
    EXPECT_EQ(QuorSend_CheckParameterCombination(33, 7, nullptr, nullptr, nullptr, nullptr), -16);
    EXPECT_EQ(QuorSend_CheckParameterCombination(34, 7, &sel4, nullptr, nullptr, nullptr), -18);
}
