// The rotor blocks: header versions, calibration fields and the packed name.
#include "telegram/CQuorin_Send.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Hex(const std::string& s, size_t from, size_t count)
{
    return TelegramHexDump(std::string_view(s).substr(from, count));
}

struct Calib {
    std::int64_t time = -1;
    std::uint32_t w11 = 0, w15 = 0, w19 = 0, w21 = 0, w23 = 0, w25 = 0, w27 = 0, w29 = 0, seconds = 0;
    double f11 = 0, f15 = 0, f19 = 0, f21 = 0, f27 = 0, f29 = 0;
    std::int32_t s13 = 0, s17 = 0;
};

} // namespace

TEST(RotorName, PacksTwelveCharactersIntoNineBytes)
{
    CQuorin_Send q;
    std::string b(40, '\0');
    const std::string first = "abcdef", second = "ghijkl";
    q.QuorSend_WriteBlockSetContentRotorOperation(b, nullptr, &first, &second);
    EXPECT_EQ(Hex(b, 23, 9), "40 81 02 83 84 05 C6 87 08");
    EXPECT_EQ(b.substr(0, 23), std::string(23, '\0'));
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorOperation).writeContent, b);

    std::string n1, n2;
    q.QuorSend_ReadBlockGetContentRotorOperation(b, nullptr, nullptr, nullptr, &n1, &n2);
    EXPECT_EQ(n1, first);
    EXPECT_EQ(n2, second);
}

TEST(RotorName, ShortHalvesUnsetNameAndOneHalfOnly)
{
    CQuorin_Send q;
    std::string b(40, '\0');
    const std::string ab = " ab ", rest = "Z9 x?#";
    q.QuorSend_WriteBlockSetContentRotorOperation(b, nullptr, &ab, &rest);
    std::string n1, n2;
    q.QuorSend_ReadBlockGetContentRotorOperation(b, nullptr, nullptr, nullptr, &n1, &n2);
    EXPECT_EQ(n1, "ab");
    EXPECT_EQ(n2, "Z9 x??");

    // Changing one half leaves the other.
    const std::string cd = "cd";
    q.QuorSend_WriteBlockSetContentRotorOperation(b, nullptr, nullptr, &cd);
    q.QuorSend_ReadBlockGetContentRotorOperation(b, nullptr, nullptr, nullptr, &n1, &n2);
    EXPECT_EQ(n1, "ab");
    EXPECT_EQ(n2, "cd");

    const std::string na = "n.a.";
    q.QuorSend_WriteBlockSetContentRotorOperation(b, nullptr, &na, &na);
    EXPECT_EQ(Hex(b, 23, 9), "FF FF FF FF FF FF FF FF FF");
    q.QuorSend_ReadBlockGetContentRotorOperation(b, nullptr, nullptr, nullptr, &n1, &n2);
    EXPECT_EQ(n1, "n.a.");
    EXPECT_EQ(n2, "n.a.");
}

TEST(RotorHeader, VersionNumbersAndFields)
{
    CQuorin_Send q;
    std::string b(40, '\0');
    b[16] = 0x01;
    b[17] = 0x05;
    b[20] = 0x21;
    b[21] = 0x23;
    std::uint32_t w16 = 0, w20 = 0;
    double v16 = 0, v20 = 0;
    q.QuorSend_ReadBlockGetContentRotorHeader(b, nullptr, nullptr, nullptr, nullptr, &w16, &v16, nullptr, nullptr,
                                              &w20, &v20, nullptr);
    EXPECT_EQ(w16, 261u);
    EXPECT_DOUBLE_EQ(v16, 1.05);
    EXPECT_DOUBLE_EQ(v20, 123.0);

    const std::uint8_t b14 = 14, b22 = 22;
    const std::uint32_t big = 70000;
    q.QuorSend_WriteBlockSetContentRotorHeader(b, nullptr, nullptr, &b14, nullptr, &big, nullptr, nullptr, nullptr,
                                               &b22);
    EXPECT_EQ(Hex(b, 14, 9), "0E 00 80 00 00 00 21 23 16");
}

TEST(RotorCalibration, FactorsAndSignedFields)
{
    CQuorin_Send q;
    std::string b(40, '\0');
    b[11] = static_cast<char>(0x80);
    b[13] = static_cast<char>(0xFF);
    b[14] = static_cast<char>(0x38);
    b[15] = static_cast<char>(0xFF);
    b[16] = static_cast<char>(0xFF);
    Calib c;
    std::string text;
    q.QuorSend_ReadBlockGetContentRotorCalibFactory(b, &c.time, nullptr, &c.w11, &c.f11, &c.s13, &c.w15, &c.f15,
                                                    &c.s17, &c.w19, &c.f19, &c.w21, &c.f21, &c.w23, &c.w25, &c.w27,
                                                    &c.f27, &c.w29, &c.f29, &text, nullptr, false, &c.seconds);
    EXPECT_EQ(c.w11, 32768u);
    EXPECT_DOUBLE_EQ(c.f11, 1.0);
    EXPECT_EQ(c.s13, -200);
    EXPECT_EQ(c.w15, 65535u);
    EXPECT_NEAR(c.f15, 1.99997, 1e-5);
    EXPECT_EQ(c.time, 0);
    EXPECT_EQ(q.QuorSend_GetFactoryCalibField(b, 15), 65535u);
    EXPECT_EQ(q.QuorSend_GetFactoryCalibField(b, 11), 32768u);
    EXPECT_EQ(q.QuorSend_GetFactoryCalibField(b, 12), 0u);

    const std::int32_t s13 = -32768, s17 = -1;
    const std::uint32_t w29 = 65536;
    q.QuorSend_WriteBlockSetContentRotorCalibUser(b, nullptr, nullptr, &s13, nullptr, &s17, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr, &w29);
    EXPECT_EQ(Hex(b, 13, 2), "FF 38"); // out of range: not written
    EXPECT_EQ(Hex(b, 17, 2), "FF FF");
    EXPECT_EQ(Hex(b, 29, 2), "80 00");
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorUserCalib).writeContent, b);
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorFactoryCalib).writeContent, "leer WRITE");
}

TEST(RotorCalibration, UserReaderKeepsItsOwnDescriptor)
{
    CQuorin_Send q;
    std::string b(40, '\0');
    b[6] = 0x42;
    b[23] = 0x12;
    b[24] = 0x34;
    CQuorin_Send::QuorSend_BlockSums(reinterpret_cast<std::uint8_t*>(b.data()) + 6);
    Calib c;
    std::string message;
    EXPECT_EQ(q.QuorSend_ReadBlockGetContentRotorCalibUser(b, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                           &c.w23, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                           nullptr, &message),
              0);
    EXPECT_EQ(c.w23, 0x1234u);
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorUserCalib).readContent, b);
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorUserCalib).readState, 0);
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorFactoryCalib).readContent, "leer READ");
    EXPECT_EQ(q.QuorSend_Block(CQuorin_Send::kRotorFactoryCalib).readState, -2);
    EXPECT_NE(message.find("I.O."), std::string::npos);
}
