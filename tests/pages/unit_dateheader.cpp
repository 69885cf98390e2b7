#include "pages/DateHeaderLogic.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(DateHeaderAnswers, DateAndHeaderTexts)
{
    EXPECT_EQ(DateAnswerText("01.03.09  08:05:03\r\n0123456789"), "01.03.09 08:05:03");
    EXPECT_EQ(DateAnswerText("01.03"), "01.03");
    EXPECT_EQ(DateAnswerText("a   b"), "a  b");

    EXPECT_EQ(HeaderAnswerText("\r\nABC\x03"s), "ABC");
    EXPECT_EQ(HeaderAnswerText("\r\nA\x03" "B\x03"s), "AB");
    EXPECT_EQ(HeaderAnswerText("\r\n"), "");
    EXPECT_EQ(HeaderAnswerText("\x03\x03xy\x03"s), "");
    EXPECT_EQ(HeaderAnswerText("\r\nA\x00" "B"s).str(), "A\x00" "B"s);
}

TEST(DateHeaderSend, RequestsEmptyTheReceiveTextFirst)
{
    ManualLink<> link;
    link.receive = "old";
    ReadDeviceDate(link);
    EXPECT_TRUE(link.receive.IsEmpty());
    link.receive = "old";
    ReadCompanyHeader(link);
    EXPECT_TRUE(link.receive.IsEmpty());
    EXPECT_EQ(link.SentText(), "bd");
    EXPECT_EQ(link.now, 50u);
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
