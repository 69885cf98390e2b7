#include "telegram/CQuorin_Send.h"
#include "telegram/CheckBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

std::string Hex(const std::string& s) { return TelegramHexDump(s); }

// A correct frame with check bytes, unstuffed.
std::string Frame(std::uint8_t cmd, std::vector<std::uint8_t> data, std::uint8_t a1 = 0, std::uint8_t a2 = 0)
{
    std::vector<std::uint8_t> f = {0x02, cmd, a1, a2, static_cast<std::uint8_t>(data.size())};
    f.insert(f.end(), data.begin(), data.end());
    std::uint8_t s[2];
    CQuorin_Send::QuorSend_Checksum(f.data() + 1, s, static_cast<int>(f.size()) - 2);
    f.push_back(s[0]);
    f.push_back(s[1]);
    return std::string(f.begin(), f.end());
}

std::string Stuffed(const std::string& frame)
{
    std::string out;
    CQuorin_Send::QuorSend_StuffToText(out, frame);
    return out;
}

struct BuilderCase {
    const char* name;
    std::function<void(CQuorin_Send&, std::string&)> build;
    const char* expected;
    int replyLength; // -1: unchanged from the marker set before building
};

TEST(TelegramBuilders, WorkedVectorsAreByteExact)
{
    const std::vector<BuilderCase> cases = {
        {"A", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramA(o); }, "02 41 00 00 00 41 05", 16},
        {"B", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramB(o); }, "02 42 00 00 00 42 09", 21},
        {"ACK", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramAck(o, false); }, "02 06 00 00 00 06 18", 7},
        {"NAK", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramNak(o); }, "02 15 00 00 00 15 54", 8},
        {"ReadBlock 128", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramReadBlock(&o, 128); },
         "02 44 00 00 01 80 C5 D7", 40},
        {"ReadBlock 2", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramReadBlock(&o, 2); },
         "02 44 00 00 01 02 02 47 59", 40},
        {"E 1", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramE(o, true); }, "02 45 00 00 01 01 47 5D", -1},
        {"E 0", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramE(o, false); }, "02 45 00 00 01 00 46 5C", -1},
        {"Z", [](CQuorin_Send& q, std::string& o) { q.QuorSend_TelegramZ(o); }, "02 5A 00 00 01 01 5C C6", -1},
        {"ZRate C",
         [](CQuorin_Send& q, std::string& o) {
             q.QuorSend_SetValue16(0x1234);
             q.QuorSend_TelegramZRate(o, 'C');
         },
         "02 5A 00 00 05 03 19 12 34 43 04 9F", -1},
        {"ZRate A",
         [](CQuorin_Send& q, std::string& o) {
             q.QuorSend_SetValue16(0x1234);
             q.QuorSend_TelegramZRate(o, 'A');
         },
         "02 5A 00 00 05 03 19 12 34 41 02 02 9D", -1},
        {"ACK addr 2,0",
         [](CQuorin_Send& q, std::string& o) {
             q.QuorSend_SetAddress(2, 0);
             q.QuorSend_TelegramAck(o, false);
         },
         "02 06 02 02 00 00 08 1E", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CQuorin_Send q;
        q.QuorSend_SetReplyLength(-77);
        std::string out = "stale";
        c.build(q, out);
        EXPECT_EQ(Hex(out), c.expected);
        EXPECT_EQ(q.QuorSend_GetLastCommand(), static_cast<std::uint8_t>(out[1]));
        EXPECT_EQ(q.QuorSend_GetReplyLength(), c.replyLength == -1 ? -77 : c.replyLength);
    }
}

TEST(TelegramBuilders, AddressStateAndSettings)
{
    CQuorin_Send q;
    EXPECT_EQ(q.QuorSend_SetAddress(2, 0), 0);
    EXPECT_EQ(q.QuorSend_GetAddress1(), 2);
    EXPECT_EQ(q.QuorSend_GetAddress2(), 0);
    // The reversed acknowledgement 02 06 00 02 00 08 1C leaves its check bytes.
    EXPECT_EQ(q.QuorSend_GetKeptCheck1(), 0x08);
    EXPECT_EQ(q.QuorSend_GetKeptCheck2(), 0x1C);
    EXPECT_EQ(q.QuorSend_GetLastCommand(), 0x06);
    EXPECT_EQ(q.QuorSend_GetReplyLength(), 7);

    // A plain acknowledgement keeps nothing.
    std::string out;
    q.QuorSend_SetAddress(1, 3);
    const std::uint8_t kept1 = q.QuorSend_GetKeptCheck1();
    q.QuorSend_TelegramAck(out, false);
    EXPECT_EQ(q.QuorSend_GetKeptCheck1(), kept1);

    // Block number is kept even when no text is wanted.
    q.QuorSend_TelegramReadBlock(nullptr, 131);
    EXPECT_EQ(q.QuorSend_GetBlockNumber(), 131);
    EXPECT_EQ(q.QuorSend_GetReplyLength(), 40);
    EXPECT_EQ(q.QuorSend_GetLastCommand(), 'D');
}

TEST(TelegramBuilders, RateAndValueReachTheRateTelegram)
{
    CQuorin_Send q;
    std::string out;
    q.QuorSend_TelegramZRate(out, 'B');
    EXPECT_EQ(static_cast<std::uint8_t>(out[6]), 25); // constructor's rate
    q.QuorSend_SetRate(7);
    q.QuorSend_TelegramZRate(out, 'B');
    EXPECT_EQ(static_cast<std::uint8_t>(out[6]), 27);
    q.QuorSend_SetRate(10);
    q.QuorSend_TelegramZRate(out, 'B');
    EXPECT_EQ(static_cast<std::uint8_t>(out[6]), 151);
    q.QuorSend_SetRate(13);
    q.QuorSend_SetRate(-1);
    q.QuorSend_TelegramZRate(out, 'B');
    EXPECT_EQ(static_cast<std::uint8_t>(out[6]), 151);

    q.QuorSend_SetValue16(65535);
    EXPECT_FALSE(q.QuorSend_GetValueOverflow());
    q.QuorSend_TelegramZRate(out, 'B');
    EXPECT_EQ(Hex(out.substr(7, 2)), "FF FF");
    q.QuorSend_SetValue16(65536);
    EXPECT_TRUE(q.QuorSend_GetValueOverflow());
    q.QuorSend_TelegramZRate(out, 'B');
    EXPECT_EQ(Hex(out.substr(7, 2)), "00 00");
}

TEST(TelegramBuilders, NakBytesStuffInTheFixedBuffer)
{
    CQuorin_Send q;
    q.QuorSend_SetAddress(2, 2);
    std::uint8_t buffer[CQuorin_Send::kNakBufferSize] = {};
    const int n = q.QuorSend_TelegramNakBytes(buffer);
    ASSERT_EQ(n, 9);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(buffer), 9)), "02 15 02 02 02 02 00 19 5E");
    EXPECT_EQ(q.QuorSend_GetReplyLength(), 8);
}

TEST(TelegramFrame, ChecksumCarriesAndStuffingDoublesAllButTheStart)
{
    std::uint8_t s[2];
    const std::uint8_t a[] = {0x01, 0xFE};
    CQuorin_Send::QuorSend_Checksum(a, s, 1);
    EXPECT_EQ(s[0], 0xFF); // s2 runs 1, 256 -> 1
    EXPECT_EQ(s[1], 0x01);
    const std::uint8_t b[] = {0xFF};
    CQuorin_Send::QuorSend_Checksum(b, s, 0);
    EXPECT_EQ(s[0], 0xFF);
    EXPECT_EQ(s[1], 0xFF); // 255 stays 255
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    CQuorin_Send::QuorSend_Checksum(abc, s, 2);
    EXPECT_EQ(s[0], 0x26);
    EXPECT_EQ(s[1], 0x4B);
    CQuorin_Send::QuorSend_Checksum(abc, s, -1);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[1], 0);

    // Embedded zero bytes count; LEN bounds the frame; a short frame is not overread.
    EXPECT_EQ(Hex(Stuffed(Bytes({0x02, 0x02, 0x00, 0x02, 0x01, 0x02, 0x07, 0x09, 0xEE}))),
              "02 02 02 00 02 02 01 02 02 07 09");
    EXPECT_EQ(Hex(Stuffed(Bytes({0x02, 0x41, 0x00}))), "02 41 00");
    EXPECT_EQ(Stuffed(""), "");

    std::uint8_t buf[6] = {0x02, 0x02, 0x00, 0x02};
    int len = 4;
    EXPECT_FALSE(CQuorin_Send::QuorSend_StuffInPlace(buf, len, 5));
    EXPECT_EQ(len, 4);
    EXPECT_TRUE(CQuorin_Send::QuorSend_StuffInPlace(buf, len, 6));
    EXPECT_EQ(len, 6);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(buf), 6)), "02 02 02 00 02 02");
}

// The text frames of the one-letter commands use the same pair over the text
// alone; the device rejects a date or row frame whose pair is off by one.
TEST(TelegramFrame, TextCheckBytesMatchTheDeviceGoldens)
{
    auto pair = [](const std::string& text) {
        const auto p = telegram::CheckBytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        return Hex(Bytes({p[0], p[1]}));
    };
    EXPECT_EQ(pair("abc"), "26 4B");
    EXPECT_EQ(pair(""), "00 00");
    EXPECT_EQ(pair("01.03.09 08:05:03"), "4D 2C");
    EXPECT_EQ(pair(std::string(300, '\xFF')), "D4 4A");
    EXPECT_EQ(pair(Bytes({0x80, 0x00})), "80 01");
    EXPECT_EQ(pair(Bytes({0xFF, 0x00})), "FF FF");
    static_assert(telegram::CheckBytes(nullptr, 0)[1] == 0);

    // The frame helper counts one byte fewer than it sums.
    const std::string row = Bytes({0x53, 0x65, 0x6e, 0x73, 0x6f, 0x72, 0x31, 0x20, 0x01, 0x25, 0x4e,
                                   0x6d, 0x20, 0x53, 0x03, 0xe8, 0x75, 0x30, 0x12, 0x35, 0x12, 0x34});
    std::uint8_t s[2];
    CQuorin_Send::QuorSend_Checksum(reinterpret_cast<const std::uint8_t*>(row.data()), s,
                                    static_cast<int>(row.size()) - 1);
    EXPECT_EQ(Hex(Bytes({s[0], s[1]})), "3C B4");
    EXPECT_EQ(pair(row), "3C B4");
}

TEST(TelegramFrame, LocalDecimalAndSingleChar)
{
    EXPECT_EQ(CQuorin_Send::QuorSend_LocalDecimal("1,5 2.5", 1000), "1.5 2.5");
    EXPECT_EQ(CQuorin_Send::QuorSend_LocalDecimal("1,5 2.5", 0), "1,5 2,5");
    EXPECT_EQ(CQuorin_Send::QuorSend_LocalDecimal("1.5", 3000), "1,5");
    std::string out = "xyz";
    CQuorin_Send::QuorSend_SingleCharText(out, 0x02);
    EXPECT_EQ(out, Bytes({0x02}));
    CQuorin_Send q;
    EXPECT_EQ(q.QuorSend_Block(4).name, "Rotor  Header");
    EXPECT_EQ(q.QuorSend_Block(7).readContent, "leer READ");
    EXPECT_EQ(q.QuorSend_Block(0).writeState, -3);
    EXPECT_EQ(CQuorin_Send::MakeWord(0x12, 0x34), 0x1234u);
}

TEST(TelegramReplyCheck, FlagsAndBounds)
{
    const std::string ack = Bytes({0x02, 0x06, 0x00, 0x00, 0x00, 0x06, 0x18});
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(ack, 0), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(ack, 1), 0);
    std::string bad1 = ack;
    bad1[5] = 0x07;
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(bad1, 0), 4);
    std::string bad2 = ack;
    bad2[6] = 0x19;
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(bad2, 0), 8);
    std::string both = bad1;
    both[6] = 0x19;
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(both, 0), 12);

    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(std::string(42, '\0'), 0), 16);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(ack + "junk", 1), 0);
    // Exact mode takes the last two bytes, so trailing junk fails it.
    EXPECT_NE(CQuorin_Send::QuorSend_CheckReply(ack + "junk", 0), 0);

    for (size_t n = 0; n <= 6; ++n) {
        SCOPED_TRACE(n);
        // Exact-size heap copies so the sanitizer sees any overread.
        const std::string shortReply = ack.substr(0, n);
        EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(shortReply, 1), 12);
        EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(shortReply, 0), 12);
    }

    std::string len200 = ack;
    len200[4] = static_cast<char>(200);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(len200, 1), 12);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(len200 + std::string(40, 'x'), 1), 12);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(len200, 0), 12);

    const std::string block = Frame('D', {0x80});
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(block, 1), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(block.substr(0, block.size() - 1), 1), 12);

    // A full 40-byte block frame is checkable in both modes.
    const std::string full = Frame('D', std::vector<std::uint8_t>(33, 0x11));
    ASSERT_EQ(full.size(), 40u);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(full, 1), 0);
    EXPECT_EQ(CQuorin_Send::QuorSend_CheckReply(full, 0), 0);
}

TEST(TelegramUnstuff, StopsAtTheExpectedLength)
{
    CQuorin_Send q;
    std::string reply = Bytes({0x02, 0x06, 0x02, 0x02, 0x00, 0x00, 0x08, 0x1E});
    q.QuorSend_SetReplyLength(7);
    EXPECT_EQ(Hex(q.QuorSend_UnstuffReply(reply)), "02 06 02 00 00 08 1E");
    EXPECT_EQ(Hex(reply), "02 06 02 00 00 08 1E");

    reply = Bytes({0x02, 0x06, 0x02, 0x02, 0x00, 0x00, 0x08, 0x1E, 0x55});
    q.QuorSend_SetReplyLength(0); // no length known: everything
    EXPECT_EQ(Hex(q.QuorSend_UnstuffReply(reply)), "02 06 02 00 00 08 1E 55");

    reply.clear();
    EXPECT_EQ(q.QuorSend_UnstuffReply(reply), "");
    reply = Bytes({0x02, 0x02});
    EXPECT_EQ(Hex(q.QuorSend_UnstuffReply(reply)), "02 02"); // a lone trailing 02 is kept
}

class TelegramCollect : public ::testing::Test {
protected:
    bool Feed(const std::string& bytes, int limit = 1000)
    {
        return q.QuorSend_CollectReply(bytes.data(), acc, static_cast<int>(bytes.size()), limit, code);
    }
    CQuorin_Send q;
    std::string acc;
    std::uint8_t code = 0;
};

TEST_F(TelegramCollect, FindsAFrameBehindJunkAndAcrossChunks)
{
    EXPECT_TRUE(Feed(Bytes({0x00, 0x02, 0x06, 0x00, 0x00, 0x00, 0x06, 0x18})));
    EXPECT_EQ(code, 7);
    EXPECT_EQ(Hex(acc), "02 06 00 00 00 06 18");

    acc.clear();
    EXPECT_FALSE(Feed(Bytes({0x02, 0x06, 0x00})));
    EXPECT_EQ(code, 0xFF);
    EXPECT_EQ(acc.size(), 3u);
    EXPECT_TRUE(Feed(Bytes({0x00, 0x00, 0x06, 0x18})));
    EXPECT_EQ(code, 7);

    // Nothing received: nothing happens.
    acc = "keep";
    EXPECT_FALSE(q.QuorSend_CollectReply(nullptr, acc, 0, 10, code));
    EXPECT_EQ(acc, "keep");
}

TEST_F(TelegramCollect, BlockWithStuffedBytesIsCollectedUnstuffed)
{
    std::vector<std::uint8_t> data(33, 0x00);
    data[0] = 0x02; // block number
    data[5] = 0x02;
    const std::string frame = Frame('D', data, 0x02, 0x00);
    const std::string wire = Stuffed(frame);
    ASSERT_GT(wire.size(), 40u);
    // Split in the middle of a doubled pair.
    const size_t cut = wire.find(Bytes({0x02, 0x02})) + 1;
    EXPECT_FALSE(Feed(wire.substr(0, cut)));
    EXPECT_TRUE(Feed(wire.substr(cut)));
    EXPECT_EQ(code, 40);
    EXPECT_EQ(acc, frame);
}

TEST_F(TelegramCollect, BadFrameThenGoodFrameIsCollected)
{
    std::string bad = Frame(0x06, {});
    bad[6] ^= 0x01;
    const std::string good = Frame('A', std::vector<std::uint8_t>(9, 0x31));
    EXPECT_TRUE(Feed(Stuffed(bad) + Stuffed(good)));
    EXPECT_EQ(code, 16);
    EXPECT_EQ(acc, good);

    // Also when the good frame arrives later.
    acc.clear();
    EXPECT_FALSE(Feed(Stuffed(bad)));
    EXPECT_TRUE(Feed(Stuffed(good)));
    EXPECT_EQ(acc, good);

    // An oversized LEN cannot be checked; the frame behind it is still found.
    acc.clear();
    EXPECT_TRUE(Feed(Bytes({0x02, 'C', 0x00, 0x00, 200, 0x01}) + Stuffed(good)));
    EXPECT_EQ(acc, good);
}

TEST_F(TelegramCollect, ShortAndUnknownInputNeverCrashes)
{
    // 02 43 00 00 02 02 01 05 4B A0: LEN 2 is itself a doubled byte.
    const std::string wire = Stuffed(Frame('C', {0x01, 0x05}));
    EXPECT_FALSE(Feed(wire.substr(0, 2)));
    EXPECT_EQ(acc.size(), 2u); // waits for more
    EXPECT_FALSE(Feed(wire.substr(2, 3)));
    EXPECT_FALSE(Feed(wire.substr(5, 3))); // LEN known, frame not complete yet
    EXPECT_TRUE(Feed(wire.substr(8)));
    EXPECT_EQ(Hex(acc), "02 43 00 00 02 01 05 4B A0");
    EXPECT_EQ(code, 0xFF);

    // Bytes without a start, a lone trailing 02, and doubled 02 02 all empty it.
    acc.clear();
    EXPECT_FALSE(Feed(Bytes({0x41, 0x42, 0x02, 0x99})));
    EXPECT_EQ(acc, "");
    EXPECT_FALSE(Feed(Bytes({0x00, 0x02})));
    EXPECT_EQ(acc, "");
    EXPECT_FALSE(Feed(Bytes({0x02, 0x02, 0x06, 0x00})));
    EXPECT_EQ(acc, "");

    // The limit caps what is taken from one chunk.
    EXPECT_FALSE(Feed(Frame(0x06, {}), 3));
    EXPECT_EQ(acc.size(), 3u);
}

TEST_F(TelegramCollect, TraceSeesTheAccumulatedBytes)
{
    std::string traced;
    q.QuorSend_SetTrace([&](const std::string& line) { traced = line; });
    Feed(Bytes({0x02, 0x06, 0xAB}));
    EXPECT_EQ(traced, "02 06 AB");
}

} // namespace
