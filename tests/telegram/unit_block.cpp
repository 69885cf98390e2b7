// Parameter block frame, block check, write telegram and the stator blocks.
#include "telegram/CQuorin_Send.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

std::string Hex(const std::string& s, size_t from, size_t count)
{
    return TelegramHexDump(std::string_view(s).substr(from, count));
}

// A 40-byte block frame with the given ID, content all 0x00 and fresh sums.
std::string GoodBlock(std::uint8_t id)
{
    std::string b(40, '\0');
    b[0] = 0x02;
    b[1] = 'D';
    b[4] = 33;
    b[6] = static_cast<char>(id);
    CQuorin_Send::QuorSend_BlockSums(reinterpret_cast<std::uint8_t*>(b.data()) + 6);
    return b;
}

// The frame as sent, with every doubled 0x02 after the start taken once.
std::string Unstuffed(const std::string& sent)
{
    std::string frame = sent.substr(0, 1);
    for (size_t i = 1; i < sent.size(); ++i) {
        frame += sent[i];
        if (sent[i] == 0x02)
            ++i;
    }
    return frame;
}

const std::string kTabs = std::string(20, '\t') + " ";

class UtcZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

} // namespace

TEST(BlockCheck, EmptyBlocksAreReportedAlone)
{
    for (char fill : {'\x00', '\xFF'}) {
        std::string b(40, fill);
        b[0] = 0x02; // outside the checked range
        std::string message;
        EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(b, &message), 255);
        EXPECT_EQ(message, "Block-Str ist Leer! Alles 0x00 or 0xFF   ");
    }
}

TEST(BlockCheck, SumsOfAZeroBlockWithId0x10)
{
    const std::string b = GoodBlock(0x10);
    EXPECT_EQ(Hex(b, 34, 4), "00 10 01 C0");
    std::string message;
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(b, &message), 0);
    EXPECT_EQ(message, kTabs + "Block vollst\xE4ndig I.O. wird verwendet!   ");
}

TEST(BlockCheck, WeightedSumCarriesAroundInsteadOfWrapping)
{
    std::string b(40, '\0');
    for (int i = 6; i < 31; ++i)
        b[i] = static_cast<char>(0xA1);
    b[31] = static_cast<char>(0xD2);
    b[32] = static_cast<char>(0xFD);
    CQuorin_Send::QuorSend_BlockSums(reinterpret_cast<std::uint8_t*>(b.data()) + 6);
    // s2 + s1 reaches 65536 at the last byte and is stored as 1.
    EXPECT_EQ(Hex(b, 34, 4), "11 88 00 01");
}

TEST(BlockCheck, FlagsAndTextsForIdAndSumFaults)
{
    std::string message;
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(GoodBlock(0x11), &message), 2);
    EXPECT_EQ(message, kTabs + "Block ID ist nicht bekannt!              ");

    std::string b = GoodBlock(0x40);
    b[35] = static_cast<char>(b[35] + 1);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(b), 4);
    b = GoodBlock(0x40);
    b[37] = static_cast<char>(b[37] + 1);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(b), 8);
    b[35] = static_cast<char>(b[35] + 1);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(b), 12);

    // ID 0x00 with wrong sums: every text, weighted sum first.
    b = GoodBlock(0x00);
    b[7] = 1;
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(b, &message), 15);
    EXPECT_EQ(message, kTabs + "GewichteteCheckSumme stimmt nicht!       " +
                           "          CheckSumme stimmt nicht!       " +
                           "Block ID ist nicht bekannt!              " +
                           "Block ID ist nicht gesetzt 0x00 or 0xFF  ");
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(GoodBlock(0xFF)), 3);
}

TEST(BlockCheck, ShortBlocksAreCheckedBlankPaddedNotOverread)
{
    // Checked and sent as the readers see them: padded with blanks.
    for (const std::string& shortBlock : {std::string(39, '\x10'), GoodBlock(0x10).substr(0, 34), std::string()}) {
        std::string message, paddedMessage;
        const std::string padded = CQuorin_Send::QuorSend_PadBlock(shortBlock);
        EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(shortBlock, &message),
                  CQuorin_Send::QuorSend_CheckBlock(padded, &paddedMessage));
        EXPECT_EQ(message, paddedMessage);
        EXPECT_EQ(CQuorin_Send::QuorSend_BlockToTelegram(shortBlock, 0),
                  CQuorin_Send::QuorSend_BlockToTelegram(padded, 0));
    }
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(GoodBlock(0x10).substr(0, 34)), 12);
    EXPECT_EQ(CQuorin_Send::QuorSend_BlockToTelegram(std::string(10, '\x10'), 0).size(), 40u);
    EXPECT_EQ(CQuorin_Send::QuorSend_PadBlock("ab"), "ab" + std::string(38, ' '));
    EXPECT_EQ(CQuorin_Send::QuorSend_PadBlock(std::string(45, 'x')).size(), 45u);
}

TEST(BlockTelegram, FreshSumsAndFrameCheckBytes)
{
    std::string b = GoodBlock(0x10);
    b[34] = b[35] = b[36] = b[37] = 0x55; // stale sums are replaced
    const std::string frame = CQuorin_Send::QuorSend_BlockToTelegram(b, 0);
    ASSERT_EQ(frame.size(), 40u);
    EXPECT_EQ(Hex(frame, 34, 4), "00 10 01 C0");
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(frame, 1), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(frame), 0);

    const std::string spoiled = CQuorin_Send::QuorSend_BlockToTelegram(b, 1);
    EXPECT_EQ(Hex(spoiled, 34, 4), "CD DD CE 8D");
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(spoiled, 1), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(spoiled), 12);
}

TEST(BlockTelegram, ContentByte0x02IsDoubledOnTheWire)
{
    std::string b = GoodBlock(0x12);
    b[20] = 0x02;
    const std::string frame = CQuorin_Send::QuorSend_BlockToTelegram(b, 0);
    EXPECT_GE(frame.size(), 41u);
    EXPECT_EQ(frame.substr(20, 2), Bytes({0x02, 0x02}));
}

TEST(BlockTelegram, AlwaysCarriesTheWhole40ByteFrame)
{
    // Whatever LEN the block holds, the telegram is the 40-byte frame with
    // LEN 33 and check bytes over offsets 1 to 37.
    for (int len : {0, 1, 33, 34, 200, 255}) {
        std::string b = GoodBlock(0x13);
        b[4] = static_cast<char>(len);
        const std::string frame = Unstuffed(CQuorin_Send::QuorSend_BlockToTelegram(b, 0));
        ASSERT_EQ(frame.size(), 40u) << len;
        EXPECT_EQ(static_cast<std::uint8_t>(frame[4]), 33) << len;
        EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(frame, 0), 0) << len;
    }
    // A block started by the header goes out whole, not as 7 bytes.
    CQuorin_Send q;
    std::string block;
    q.QuorSend_BlockHeader(block, 0);
    block = CQuorin_Send::QuorSend_PadBlock(block);
    std::fill(block.begin() + 7, block.end(), '\0');
    const std::string frame = Unstuffed(CQuorin_Send::QuorSend_BlockToTelegram(block, 0));
    ASSERT_EQ(frame.size(), 40u);
    EXPECT_EQ(Hex(frame, 0, 7), "02 46 00 00 21 00 10");
    EXPECT_EQ(Hex(frame, 34, 4), "00 10 01 C0");
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(frame, 0), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckBlock(frame), 0);
}

TEST(BlockHeader, LaysOutNumberAndIdAndRecordsTheAck)
{
    CQuorin_Send q;
    q.QuorSend_SetAddress(0x02, 0x07);
    std::string h;
    q.QuorSend_BlockHeader(h, 128);
    EXPECT_EQ(h, Bytes({0x02, 'F', 0x02, 0x07, 33, 0x80, 0x40}));
    EXPECT_EQ(q.QuorSend_GetLastCommand(), 0x06);
    EXPECT_EQ(q.QuorSend_GetReplyLength(), 7);
    q.QuorSend_BlockHeader(h, 5);
    EXPECT_EQ(static_cast<std::uint8_t>(h[6]), 0xFF);
    q.QuorSend_BlockHeader(h, 3);
    EXPECT_EQ(static_cast<std::uint8_t>(h[6]), 0x14);
}

TEST(BlockCodecs, Integers)
{
    EXPECT_EQ(CQuorin_Send::MakeWord(0x12, 0x34), 0x1234u);
    EXPECT_EQ(CQuorin_Send::QuorSend_SignedWord(0xFF, 0xFE), -2);
    EXPECT_EQ(CQuorin_Send::QuorSend_SignedWord(0x7F, 0xFF), 32767);
    std::uint8_t hi = 0x11, lo = 0x22;
    EXPECT_TRUE(CQuorin_Send::QuorSend_S16ToBytes(-2, hi, lo));
    EXPECT_EQ(hi, 0xFF);
    EXPECT_EQ(lo, 0xFE);
    hi = 0x11;
    lo = 0x22;
    EXPECT_FALSE(CQuorin_Send::QuorSend_S16ToBytes(-32768, hi, lo));
    EXPECT_EQ(hi, 0x11);
    EXPECT_EQ(lo, 0x22);
    EXPECT_FALSE(CQuorin_Send::QuorSend_U16ToBytes(65536, hi, lo));
    EXPECT_EQ(hi, 0x80);
    EXPECT_EQ(lo, 0x00);
    std::uint32_t w = 7;
    // 2.0 is held as the largest word, which the 16-bit writer keeps.
    EXPECT_TRUE(CQuorin_Send::QuorSend_FactorToWord(2.0, w));
    EXPECT_EQ(w, 65535u);
    EXPECT_TRUE(CQuorin_Send::QuorSend_U16ToBytes(w, hi, lo));
    EXPECT_EQ(hi, 0xFF);
    EXPECT_EQ(lo, 0xFF);
    EXPECT_TRUE(CQuorin_Send::QuorSend_FactorToWord(1.99997, w));
    EXPECT_EQ(w, 65535u);
    EXPECT_TRUE(CQuorin_Send::QuorSend_FactorToWord(0.5, w));
    EXPECT_EQ(w, 16384u);
    EXPECT_FALSE(CQuorin_Send::QuorSend_FactorToWord(-0.1, w));
    EXPECT_EQ(w, 0u);
    std::uint8_t t[4];
    CQuorin_Send::QuorSend_TimeToBytes(0x123456789ALL, t);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(t), 4), 0, 4), "34 56 78 9A");
}

TEST(BlockCodecs, VersionNumbers)
{
    const std::vector<std::pair<std::uint32_t, std::string>> cases = {
        {0x0105, "1.05"}, {0x1123, "12.3"}, {0x2123, "123"}, {0x4123, "12300"}, {0, "0"},
        {0x0010, "0.1"},  {0x3123, "1230"}, {0xFFFF, ""},    {0x4000, "0"},
    };
    for (const auto& [value, text] : cases) {
        std::string out = "x";
        EXPECT_EQ(CQuorin_Send::QuorSend_VersionText(out, value), 0);
        EXPECT_EQ(out, text) << std::hex << value;
    }
}

TEST(BlockCodecs, SixBitAlphabetAndBits)
{
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode('a'), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode('A'), 26);
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode('0'), 52);
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode(' '), 62);
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode('?'), 63);
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode('#'), 63);
    EXPECT_EQ(CQuorin_Send::QuorSend_CharToCode('\0'), 63);
    EXPECT_EQ(CQuorin_Send::QuorSend_CodeToChar(61), '9');
    EXPECT_EQ(CQuorin_Send::QuorSend_CodeToChar(64), '?');

    CQuorin_Send q;
    std::uint8_t target = 0x0F;
    EXPECT_TRUE(q.QuorSend_CopyBit(target, 7, 0x01, 0));
    EXPECT_EQ(target, 0x8F);
    EXPECT_TRUE(q.QuorSend_CopyBit(target, 0, 0xFE, 0));
    EXPECT_EQ(target, 0x8E);
    EXPECT_FALSE(q.QuorSend_CopyBit(target, 8, 0xFF, 0));
    EXPECT_EQ(target, 0x8E);
}

TEST_F(UtcZone, TimeTexts)
{
    std::string text;
    std::int64_t t = -1;
    std::tm tm{};
    std::uint32_t seconds = 1;
    CQuorin_Send::QuorSend_TimeFieldText(std::string(40, '\0'), &t, &tm, &text, &seconds);
    EXPECT_EQ(text, "01.01.1970 00:00:00 Uhr");
    EXPECT_EQ(t, 0);
    EXPECT_EQ(seconds, 0u);
    EXPECT_EQ(tm.tm_mon, 1);
    EXPECT_EQ(tm.tm_year, 1970);

    const std::int64_t dec6 = 1796559956; // 2026-12-06 12:25:56
    std::string copy;
    CQuorin_Send::QuorSend_TimeText(text, 0, &copy, &dec6);
    EXPECT_EQ(text, "06.12.2026 12:25:56 Uhr");
    EXPECT_EQ(copy, text);
    CQuorin_Send::QuorSend_TimeText(text, 6, nullptr, &dec6);
    EXPECT_EQ(text, "2026/12/06 12:25:56");

    std::tm noon{};
    noon.tm_year = 2026, noon.tm_mon = 12, noon.tm_mday = 6, noon.tm_hour = 12, noon.tm_min = 5;
    // The 12-hour clock: noon is 12 PM, midnight 12 AM.
    for (const auto& [hour, expected] : std::vector<std::pair<int, std::string>>{
             {12, "12/06/2026 12:05:00 PM"},
             {13, "12/06/2026 01:05:00 PM"},
             {0, "12/06/2026 12:05:00 AM"},
             {11, "12/06/2026 11:05:00 AM"},
             {23, "12/06/2026 11:05:00 PM"}}) {
        noon.tm_hour = hour;
        CQuorin_Send::QuorSend_TimeText(text, 1000, nullptr, nullptr, &noon);
        EXPECT_EQ(text, expected) << hour;
    }
    noon.tm_mon = 13;
    CQuorin_Send::QuorSend_TimeText(text, 0, nullptr, nullptr, &noon);
    EXPECT_EQ(text, "ERROR DATE TIME");
    CQuorin_Send::QuorSend_TimeText(text, 0);
    EXPECT_EQ(text, "");
}

TEST_F(UtcZone, DateTimeStyles)
{
    const std::uint32_t t = 1796559956 + 3600; // 2026-12-06 13:25:56
    std::string text;
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "2026/12/06"},
        {1, "26/12/06"},
        {2, "06.12.2026"},
        {3, "06.12.26"},
        {4, "2026/12/06 13:25:56"},
        {5, "26/12/06 13:25:56"},
        {6, "2026/12/06 01:25:56 PM"},
        {7, "26/12/06 01:25:56 PM"},
        {8, "06.12.2026 13:25:56"},
        {9, "06.12.26 13:25:56"},
        {42, "2026/12/06"},
    };
    for (const auto& [style, expected] : cases) {
        CQuorin_Send::QuorSend_DateTimeText(text, style, nullptr, nullptr, &t);
        EXPECT_EQ(text, expected) << style;
    }
    const std::uint32_t midnight = 1796515200; // 2026-12-06 00:00:00
    for (const auto& [time, six, seven] : std::vector<std::tuple<std::uint32_t, std::string, std::string>>{
             {midnight, "2026/12/06 12:00:00 AM", "26/12/06 12:00:00 AM"},
             {midnight + 12 * 3600 + 5 * 60, "2026/12/06 12:05:00 PM", "26/12/06 12:05:00 PM"}}) {
        CQuorin_Send::QuorSend_DateTimeText(text, 6, nullptr, nullptr, &time);
        EXPECT_EQ(text, six);
        CQuorin_Send::QuorSend_DateTimeText(text, 7, nullptr, nullptr, &time);
        EXPECT_EQ(text, seven);
    }
    CQuorin_Send::QuorSend_DateTimeText(text, 0);
    EXPECT_EQ(text, "ERROR_DATETIME_POINTER");
    std::tm bad{};
    CQuorin_Send::QuorSend_DateTimeText(text, 0, nullptr, &bad);
    EXPECT_EQ(text, "ERROR_DATETIME_RANGE");
}

TEST(StatorBlocks, SoftwareConfigurationWriterKeepsNeighbouringBits)
{
    CQuorin_Send q;
    std::string b(40, '\0');
    b[26] = static_cast<char>(0xE0);
    const std::string ab = "AB";
    const std::uint8_t five = 0x3F;
    const std::uint8_t flag = 7;
    q.QuorSend_WriteBlockSetContentStatorSoftwareConfiguration(b, nullptr, nullptr, nullptr, &ab, nullptr, &five,
                                                               nullptr, nullptr, nullptr, nullptr, nullptr, &flag,
                                                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                               nullptr);
    EXPECT_EQ(b.substr(16, 5), "AB   ");
    EXPECT_EQ(static_cast<std::uint8_t>(b[26]), 0xFF);
    EXPECT_EQ(static_cast<std::uint8_t>(b[28]), 0x80);
    EXPECT_EQ(b.substr(0, 16), std::string(16, '\0'));
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kStatorSoftwareConfig).writeContent, b);
}

TEST(StatorBlocks, SoftwareConfigurationRoundTrip)
{
    CQuorin_Send q;
    std::string b = GoodBlock(0x14);
    const std::uint8_t byte7 = 9, b5a = 17, b5b = 30, b3a = 5, b3b = 2, b4a = 11, b4b = 4, f7a = 1, f7b = 0,
                       f6a = 0, f6b = 3, byte32 = 200, b2a = 3, b2b = 1;
    const double fa = -2.0, fb = 0.75;
    const std::string ta = "  kN ", tb = "toolongtext";
    const std::uint32_t w30 = 0xBEEF;
    q.QuorSend_WriteBlockSetContentStatorSoftwareConfiguration(b, &byte7, &fa, &fb, &ta, &tb, &b5a, &b5b, &b3a,
                                                               &b3b, &b4a, &b4b, &f7a, &f7b, &f6a, &f6b, &w30,
                                                               &byte32, &b2a, &b2b);
    EXPECT_EQ(Hex(b, 8, 8), "C0 00 00 00 3F 40 00 00");

    std::uint8_t o7, o5a, o5b, o3a, o3b, o4a, o4b, of7a, of7b, of6a, of6b, o32, o2a, o2b;
    double ofa, ofb;
    std::string ota, otb, message;
    std::uint32_t o30;
    const std::int32_t state = q.QuorSend_ReadBlockGetContentStatorSoftwareConfiguration(
        b, &o7, &ofa, &ofb, &ota, &otb, &o5a, &o5b, &o3a, &o3b, &o4a, &o4b, &of7a, &of7b, &of6a, &of6b, &o30, &o32,
        &o2a, &o2b, &message);
    // The writer leaves the sums stale; the reader still gives the fields.
    EXPECT_EQ(state, 12);
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kStatorSoftwareConfig).readState, 12);
    EXPECT_EQ(o7, byte7);
    EXPECT_DOUBLE_EQ(ofa, fa);
    EXPECT_DOUBLE_EQ(ofb, fb);
    EXPECT_EQ(ota, "kN");
    EXPECT_EQ(otb, "toolo");
    EXPECT_EQ(o5a, b5a);
    EXPECT_EQ(o5b, b5b);
    EXPECT_EQ(o3a, b3a);
    EXPECT_EQ(o3b, b3b);
    EXPECT_EQ(o4a, b4a);
    EXPECT_EQ(o4b, b4b);
    EXPECT_EQ(of7a, 1);
    EXPECT_EQ(of7b, 0);
    EXPECT_EQ(of6a, 0);
    EXPECT_EQ(of6b, 1);
    EXPECT_EQ(o30, w30);
    EXPECT_EQ(o32, byte32);
    EXPECT_EQ(o2a, b2a);
    EXPECT_EQ(o2b, b2b);
}

TEST_F(UtcZone, StatorHeaderHardwareAndOperation)
{
    CQuorin_Send q;
    std::string b;
    const std::uint32_t serial = 0xAB123456, value = 0xDEADBEEF;
    q.QuorSend_WriteBlockSetContentStatorHeader(b, &serial, &value);
    ASSERT_EQ(b.size(), 40u);
    EXPECT_EQ(Hex(b, 7, 7), "12 34 56 DE AD BE EF");
    std::uint32_t s = 0, v = 0;
    // Padded with blanks: ID 0x20 is unknown and the sums are blanks too.
    EXPECT_EQ(q.QuorSend_ReadBlockGetContentStatorHeader(b, &s, &v), 14);
    EXPECT_EQ(s, 0x123456u);
    EXPECT_EQ(v, value);
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kStatorHeader).readContent, b);

    const std::int64_t t = 1796559956;
    const std::uint8_t b16 = 0x16, b17 = 0x17;
    std::string hw(40, '\0');
    q.QuorSend_WriteBlockSetContentStatorHardware(hw, &t, &b16, &b17);
    std::int64_t ot = 0;
    std::uint8_t o16 = 0, o17 = 0;
    std::string text;
    q.QuorSend_ReadBlockGetContentStatorHardware(hw, &ot, nullptr, &o16, &o17, &text);
    EXPECT_EQ(ot, t);
    EXPECT_EQ(text, "06.12.2026 12:25:56 Uhr");
    EXPECT_EQ(o16, b16);
    EXPECT_EQ(o17, b17);

    std::string op(40, '\0');
    op[15] = static_cast<char>(0xF0);
    const std::uint8_t byte12 = 0x33, flag = 1;
    const std::uint32_t w19 = 70000, w21 = 0x0102;
    q.QuorSend_WriteBlockSetContentStatorOperation(op, nullptr, &byte12, nullptr, &flag, nullptr, nullptr, nullptr,
                                                   &w19, &w21);
    EXPECT_EQ(static_cast<std::uint8_t>(op[15]), 0xF1);
    EXPECT_EQ(Hex(op, 19, 4), "80 00 01 02");
    std::uint8_t o12 = 0, bit0 = 0, f15 = 0;
    std::uint32_t o19 = 0, o21 = 0;
    q.QuorSend_ReadBlockGetContentStatorOperation(op, nullptr, nullptr, &o12, &bit0, nullptr, &f15, nullptr, nullptr,
                                                  nullptr, &o19, &o21, nullptr);
    EXPECT_EQ(o12, 0x33);
    EXPECT_EQ(bit0, 1);
    EXPECT_EQ(f15, 1);
    EXPECT_EQ(o19, 0x8000u);
    EXPECT_EQ(o21, 0x0102u);
}
