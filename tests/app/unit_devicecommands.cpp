#include "app/DeviceCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {
std::string Hex(const CheckBytes& c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X %02X", c.s1, c.s2);
    return buf;
}
} // namespace

TEST(TextCheckBytes, KnownPairsIncludingEndAroundCarry)
{
    EXPECT_EQ(Hex(TextCheckBytes("abc")), "26 4B");
    EXPECT_EQ(Hex(TextCheckBytes("")), "00 00");
    EXPECT_EQ(Hex(TextCheckBytes("\x80\x00"s)), "80 01");
    EXPECT_EQ(Hex(TextCheckBytes("\xFF"s)), "FF FF");
    EXPECT_EQ(Hex(TextCheckBytes("\xFF\x00"s)), "FF FF");
    EXPECT_EQ(Hex(TextCheckBytes("01.03.09 08:05:03")), "4D 2C");
    // A carry never turns a non-zero sum into 0.
    EXPECT_EQ(Hex(TextCheckBytes("\xFF\x02"s)), "01 01");
}

TEST(Frames, DateFrameCarriesTheTextBetweenZeroAndCheckBytes)
{
    const CString text = DeviceDateTimeText(2009, 3, 1, 8, 5, 3);
    EXPECT_EQ(text, "01.03.09 08:05:03");
    EXPECT_EQ(DeviceDateTimeText(2000, 12, 31, 23, 59, 9), "31.12.00 23:59:09");
    const CString frame = BuildDateFrame(text);
    EXPECT_EQ(frame.str(), "a\x00"s + "01.03.09 08:05:03" + "\x4D\x2C");
    EXPECT_EQ(frame.GetLength(), 21);
}

TEST(Frames, HeaderFrameDropsBytesThatWouldEndOrBreakIt)
{
    EXPECT_EQ(BuildHeaderFrame("Line 1\r\nLine 2").str(), "cLine 1\r\nLine 2\x03"s);
    EXPECT_EQ(BuildHeaderFrame("A\x03" "b\x00nC"s).str(), "cAbnC\x03"s);
    EXPECT_EQ(BuildHeaderFrame("").str(), "c\x03"s);
}

TEST(Frames, RowFrameIsAlwaysTwentySixBytes)
{
    const std::string row(22, 'R');
    CString f = BuildRowFrame(0, CString(row));
    ASSERT_EQ(f.GetLength(), 26);
    EXPECT_EQ(f.str().substr(0, 2), "e\x01");
    const CheckBytes cb = TextCheckBytes(row);
    EXPECT_EQ(static_cast<BYTE>(f[24]), cb.s1);
    EXPECT_EQ(static_cast<BYTE>(f[25]), cb.s2);

    f = BuildRowFrame(9, "short");
    ASSERT_EQ(f.GetLength(), 26);
    EXPECT_EQ(f.str().substr(0, 2), "e\x0A");
    EXPECT_EQ(f.str().substr(2, 22), "short" + std::string(17, ' '));
    EXPECT_EQ(BuildRowFrame(1, CString(std::string(30, 'x'))).GetLength(), 26);
}

TEST(Routing, OnlyConnectionModeOneUsesTheChannelsOwnPort)
{
    EXPECT_EQ(TargetChannel(0, 3), 0);
    EXPECT_EQ(TargetChannel(2, 3), 0);
    EXPECT_EQ(TargetChannel(1, 3), 3);
}

TEST(DeviceLink, PageSendPacesEveryByte)
{
    struct Link : CDeviceLink {
        UINT now = 0;
        std::vector<std::pair<UINT, std::string>> writes;
        CString rx;
        void PutBytes(const CString& b) override { writes.emplace_back(now, b.str()); }
        void Sleep(UINT ms) override { now += ms; }
        void SetTimer(UINT, UINT) override {}
        void KillTimer(UINT) override {}
        CString& ReceiveText() override { return rx; }
    } link;
    link.SendHomeKeys();
    link.SendCommandByte('V');
    ASSERT_EQ(link.writes.size(), 6u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(link.writes[i], (std::pair<UINT, std::string>{UINT(25 * i), "n"}));
    EXPECT_EQ(link.writes[5].first, 125u);
    EXPECT_EQ(link.now, 150u);
}
