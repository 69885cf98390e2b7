#include "pages/DateHeaderLogic.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

const std::string kKeyLines = "MESSEN  \r\nMESSEN  \r\nMESSEN  \r\nMESSEN  \r\nMESSEN  \r\n";

std::string Shown(const DeviceAnswer& a) { return a.complete ? a.text.str() : "<none>"; }
std::string Date(const std::string& received) { return Shown(DateAnswerText(CString(received))); }
std::string Header(const std::string& received) { return Shown(HeaderAnswerText(CString(received))); }

} // namespace

TEST(DateHeaderAnswers, DateIsTheFirstDateAndTimeAmongLateLines)
{
    EXPECT_EQ(Date("01.03.09  08:05:03\r\n0123456789"), "01.03.09 08:05:03");
    EXPECT_EQ(Date(kKeyLines + "\r\nREL4 BENCH 9\x03" "~07.12.26 05:30:00\r\n"), "07.12.26 05:30:00");
    // The clock menu's display line holds the date alone.
    EXPECT_EQ(Date("01.03.09\r\n08:05:03\r\n"), "<none>");
    EXPECT_EQ(Date("01.03.09  08:05:0"), "<none>");
}

TEST(DateHeaderAnswers, HeaderIsWhatFollowsItsOwnLineEndUpToItsEtx)
{
    EXPECT_EQ(Header("\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1"), "<none>");
    EXPECT_EQ(Header("\r\n\x03"s), "");
    EXPECT_EQ(Header("\r\nA\x00" "B\x03" "C\x03"s), "A\x00" "B"s);
    // Late before it: the home keys' display lines, the lone line end of
    // ESC on the measuring screen, a date answer, a stray byte.
    EXPECT_EQ(Header(kKeyLines + "\r\nREL4 BENCH 9\x03"), "REL4 BENCH 9");
    EXPECT_EQ(Header("\r\n" + kKeyLines + "\r\nREL4 BENCH 9\x03"), "REL4 BENCH 9");
    EXPECT_EQ(Header("01.03.09  08:05:03\r\n\r\nREL4\r\nBENCH 9\x03"), "REL4\r\nBENCH 9");
    EXPECT_EQ(Header(kKeyLines + "~\r\nREL4 BENCH 9\x03"), "REL4 BENCH 9");
    // The header's own short, blank and 8-character lines stay.
    EXPECT_EQ(Header("\r\nQUORIN\r\n\r\nHalle 3\r\n\x03"), "QUORIN\r\n\r\nHalle 3\r\n");
    EXPECT_EQ(Header("\r\nACME LTD\r\nA\x03"), "ACME LTD\r\nA");
}

TEST(DateHeaderSend, FramesGoOutWhole)
{
    ManualLink<> link;
    EXPECT_EQ(WriteDeviceDate(link, DeviceDateTimeText(2009, 3, 1, 8, 5, 3)), "01.03.09 08:05:03");
    EXPECT_EQ(link.SentText(), "a\x00" "01.03.09 08:05:03\x4D\x2C"s);
    EXPECT_EQ(link.now, 0u); // direct send: no pause

    link.ClearSent();
    EXPECT_EQ(SendCompanyHeader(link, "Firma\nZeile\r\n2\x03x"s), "Firma\r\nZeile\r\n2\x03x"s);
    EXPECT_EQ(link.SentText(), "cFirma\r\nZeile\r\n2x\x03"s);
    EXPECT_EQ(HeaderTextWithDeviceLineBreaks("a\rb"), "a\r\nb");
}
