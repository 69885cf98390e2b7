#include "pages/ParameterCodec.h"

#include <gtest/gtest.h>

#include <map>

namespace {

CString FakeText(UINT id)
{
    static const std::map<UINT, const char*> texts = {
        {5125, "AKT_mKON"}, {5126, "AKT_oKON"}, {5127, "PAS_mKON"}, {5128, "PAS_oKON"},
        {5129, "STROM"},    {5130, "Unbekannt"}, {6125, "ACTwCON"},  {6128, "PASnCON"},
        {6130, "Unknown"},
    };
    auto it = texts.find(id);
    return it == texts.end() ? CString() : CString(it->second);
}

CString Record(const char* name8, BYTE nomHi, BYTE nomLo, const char* unit3, BYTE type, WORD p0, WORD p100)
{
    CString r(name8, 8);
    r += static_cast<char>(nomHi);
    r += static_cast<char>(nomLo);
    r += CString(unit3, 3);
    r += static_cast<char>(type);
    r += static_cast<char>(p0 >> 8);
    r += static_cast<char>(p0 & 0xFF);
    r += static_cast<char>(p100 >> 8);
    r += static_cast<char>(p100 & 0xFF);
    r += CString("\x5A\xA5", 2);
    return r;
}

const WORD kWords[kFactoryWordCount] = {4661, 4660, 8192, 256, 12288, 16};

TEST(ParameterCodec, NominalDigitsAndDecimals)
{
    const char* expected[] = {"0500", "0,500", "05,00", "050,0", "0500"};
    for (int code = 0; code <= 4; ++code)
        EXPECT_EQ(ParameterNominalText(0x05, 0x00, code), expected[code]) << code;
    EXPECT_EQ(ParameterNominalText(0x05, 0x00, 15), "0500");
    // Nibbles above 9 are taken as they stand.
    EXPECT_EQ(ParameterNominalText(0xAB, 0xCF, 0), ":;<?");
}

TEST(ParameterCodec, TypeCodesPickTextAndFactoryPair)
{
    struct Case {
        int type;
        UINT id;
        ParameterKind kind;
    } cases[] = {
        {0x00, 5125, ParameterKind::Aktiv},  {0x10, 5126, ParameterKind::Aktiv},
        {0x30, 5126, ParameterKind::Aktiv},  {0x40, 5127, ParameterKind::Passiv},
        {0x70, 5128, ParameterKind::Passiv}, {0x80, 5129, ParameterKind::Strom},
        {0xA0, 5129, ParameterKind::Strom},  {0xB0, 5130, ParameterKind::None},
        {0xF0, 5130, ParameterKind::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParameterTypeTextId(c.type), c.id) << c.type;
        EXPECT_EQ(ParameterKindOfType(c.type), c.kind) << c.type;
    }
    EXPECT_EQ(TypeTextFromCode(0x50, 0, FakeText), "PAS_oKON[80]");
    EXPECT_EQ(TypeTextFromCode(0xB0, 0, FakeText), "Unbekannt[176]");
    EXPECT_EQ(TypeTextFromCode(0x50, 1000, FakeText), "PASnCON[80]");
}

TEST(ParameterCodec, RowRecordDecodes)
{
    ParameterRowTexts t;
    ParameterRowRecord r;
    ASSERT_TRUE(DecodeRowRecord(Record("Sensor1 ", 0x01, 0x25, "Nm ", 0x53, 1000, 65535), kWords, 0, FakeText, t, r));
    EXPECT_EQ(t.name, "Sensor1 "); // trailing blank kept
    EXPECT_EQ(t.nominal, "012,5");
    EXPECT_EQ(t.unit, "Nm ");
    EXPECT_EQ(t.type, "PAS_oKON[80]");
    EXPECT_EQ(t.p0, "1000");
    EXPECT_EQ(t.p100, "65535");
    EXPECT_EQ(r.decimalsCode, 3);
    EXPECT_EQ(r.typeCode, 0x50);
    EXPECT_EQ(r.raw0, 1000);
    EXPECT_EQ(r.raw100, 65535);
    EXPECT_EQ(r.factoryFirst, 4661);
    EXPECT_EQ(r.factorySecond, 4660);

    ASSERT_TRUE(DecodeRowRecord(Record("AB\0\0\0\0\0\0", 0, 0, "\0mm", 0x90, 0, 0), kWords, 0, FakeText, t, r));
    EXPECT_EQ(t.name, "AB");
    EXPECT_EQ(t.unit, "");
    EXPECT_EQ(r.factoryFirst, 12288);
    EXPECT_EQ(r.factorySecond, 16);

    ASSERT_TRUE(DecodeRowRecord(Record("x       ", 0, 0, "   ", 0xB7, 0, 0), kWords, 0, FakeText, t, r));
    EXPECT_EQ(r.factoryFirst, 0);
    EXPECT_EQ(r.factorySecond, 0);
    EXPECT_EQ(r.decimalsCode, 7);

    // Too short to hold the points: nothing is touched.
    t.name = "keep";
    EXPECT_FALSE(DecodeRowRecord(Record("Sensor1 ", 1, 2, "Nm ", 0, 1, 2).Left(17), kWords, 0, FakeText, t, r));
    EXPECT_EQ(t.name, "keep");
}

TEST(ParameterCodec, FactoryWords)
{
    WORD w[kFactoryWordCount] = {};
    const CString answer("\x12\x35\x12\x34\x00\x20\x00\x01\x00\x00\x30\x00\x00\x10\x00\x00", 16);
    ASSERT_TRUE(DecodeFactoryWords(answer, w));
    const WORD expected[] = {4661, 4660, 8192, 256, 12288, 16};
    for (int i = 0; i < kFactoryWordCount; ++i)
        EXPECT_EQ(w[i], expected[i]) << i;

    WORD untouched[kFactoryWordCount] = {1, 2, 3, 4, 5, 6};
    EXPECT_FALSE(DecodeFactoryWords(answer.Left(13), untouched));
    EXPECT_EQ(untouched[5], 6);
}

} // namespace
