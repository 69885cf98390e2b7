#include "telegram/StatusReply.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A 21-byte status reply with the given flag byte and ids.
std::string Reply(std::uint8_t flags, std::uint8_t rotorId = 0, std::size_t size = 21)
{
    std::string r(size, '\0');
    r[0] = 0x02;
    r[1] = 'B';
    r[3] = 0x33;
    r[5] = 0x06;
    r[6] = static_cast<char>(flags);
    r[7] = 5;
    r[8] = 6;
    r[9] = static_cast<char>(rotorId);
    r[10] = static_cast<char>(0x82);
    if (size > 18)
        r[18] = 77;
    return r;
}

} // namespace

TEST(StatusReply, DecodesEveryFieldOfTheFlagByte)
{
    std::uint8_t a2 = 0, ok = 0, cal = 0, user = 0, noDig = 0, kind = 0, oem = 0, sup = 9, sId = 0, sRev = 0,
                 rId = 0, rRev = 0, wd = 0;
    ASSERT_TRUE(QuorSend_DecodeStatus(Reply(0xE3, 0x85), &a2, &ok, &cal, &user, &noDig, &kind, &oem, &sup, &sId,
                                      &sRev, &rId, &rRev, &wd));
    EXPECT_EQ(a2, 0x33);
    EXPECT_EQ(ok, 6);
    EXPECT_EQ(cal, 3);
    EXPECT_EQ(user, 1);
    EXPECT_EQ(sup, 0);
    EXPECT_EQ(noDig, 1);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(oem, 1);
    EXPECT_EQ(sId, 5);
    EXPECT_EQ(sRev, 6);
    EXPECT_EQ(rId, 5); // bit 7 masked off
    EXPECT_EQ(rRev, 2);
    EXPECT_EQ(wd, 77);

    ASSERT_TRUE(QuorSend_DecodeStatus(Reply(0x0E), nullptr, nullptr, &cal, &user, &noDig, &kind, &oem, &sup));
    EXPECT_EQ(cal, 2);
    EXPECT_EQ(user, 0);
    EXPECT_EQ(sup, 3);
    EXPECT_EQ(noDig, 0);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(oem, 0);
}

TEST(StatusReply, LengthBounds)
{
    std::uint8_t wd = 5, ok = 99;
    std::string report = "untouched";
    EXPECT_FALSE(QuorSend_DecodeStatus(Reply(0, 0, 17), nullptr, &ok, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, &wd, &report));
    EXPECT_EQ(ok, 99);
    EXPECT_EQ(wd, 5);
    EXPECT_EQ(report, "untouched");

    // Exactly 18 bytes: decoded, the watchdog byte is not there.
    EXPECT_TRUE(QuorSend_DecodeStatus(Reply(0, 0, 18), nullptr, &ok, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, &wd));
    EXPECT_EQ(ok, 6);
    EXPECT_EQ(wd, 0);
}

TEST(StatusReply, ReportText)
{
    std::string report;
    ASSERT_TRUE(QuorSend_DecodeStatus(Reply(0xE3, 0x85), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &report));
    const std::string expected =
        "\t\t\t\t OK Byte: \t\t\t\t\t 6\n"
        "\t\t\t\t Kalibrierung: \t\t\t\t Benutzerkalibrierung\n"
        "\t\t\t\t Digitaler IO: \t\t\t\t ohne digitalen Eingang\n"
        "\t\t\t\t Ger\xE4t: \t\t\t\t\t PXA-USB\n"
        "\t\t\t\t Version: \t\t\t\t\t OEM\n"
        "\t\t\t\t SupportInfo(Bit3;Bit2): \t 0 [0<=X<=3](unklare Definition da diese Bits in "
        "Quorinprotokollbeschreibung lediglich als Reserviert markiert sind!)\n"
        "\t\t\t\t Stator  ID: \t\t\t\t 5\n"
        "\t\t\t\t Stator REV: \t\t\t\t 6\n"
        "\t\t\t\t Rotor   ID: \t\t\t\t 5\n"
        "\t\t\t\t Rotor  REV: \t\t\t\t 2\n"
        "\t\t\t\t Watchdog T: \t\t\t\t 77\n";
    EXPECT_EQ(report, expected);

    ASSERT_TRUE(QuorSend_DecodeStatus(Reply(0x01), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &report));
    EXPECT_NE(report.find("ohne Kalibrierung (Offset = 0; Verst\xE4rkung = 1)\n"), std::string::npos);
    EXPECT_NE(report.find("mit digitalen Eingang\n"), std::string::npos);
    EXPECT_NE(report.find("VRN-Box / MO-RS 485 / MO-USB\n"), std::string::npos);
    EXPECT_NE(report.find("Version: \t\t\t\t\t Quorin\n"), std::string::npos);
}

TEST(StatusReply, ErrorAndCalibrationNames)
{
    std::string s;
    EXPECT_EQ(QuorSend_ErrorName(s, 61), "ERROR_ANGLE_OVERFLOW");
    EXPECT_EQ(QuorSend_ErrorName(s, 0), "ERROR_OK");
    EXPECT_EQ(QuorSend_ErrorName(s, 45), "ERROR_CANT_OVERWR");
    EXPECT_EQ(QuorSend_ErrorName(s, 1), "ERROR_NOT_AVAILABLE DEFUALT ZWEIG nicht auskodiert 23435153164444");
    EXPECT_EQ(QuorSend_ErrorName(s, 255), "ERROR_NOT_AVAILABLE DEFUALT ZWEIG nicht auskodiert 23435153164444");

    const char* names[] = {"illegal", "no calib", "factory", "user", "undefined"};
    for (int i = 0; i < 5; ++i) {
        QuorSend_CalibrationName(s, static_cast<std::uint8_t>(i));
        EXPECT_EQ(s, names[i]);
    }
}

TEST(StatusReply, StatorTypeTexts)
{
    std::string s;
    EXPECT_EQ(QuorSend_StatorTypeText(s, 5, 6, 1, 0, 1000), "PXA-USB2 with digital input");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 5, 6, 1, 0, 2000), "PXA-USB2 mit Digitaleingang");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 5, 5, 1, 1, 0), "PXA-USB");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 5, 9, 0, 0, 0), "MO-USB");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 1, 0, 0, 0, 3000), "unbekannt");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 2, 0, 0, 0, 4000), "unknown");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 8, 0, 0, 0, 0), "ORV memory");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 9, 2, 0, 0, 0), "n.a. [Stator Typ 9|Rev 2]322421234434");
    EXPECT_EQ(QuorSend_StatorTypeText(s, 0, 255, 0, 0, 1000), "n.a. [Stator Typ 0|Rev 255]322421234435");
}
