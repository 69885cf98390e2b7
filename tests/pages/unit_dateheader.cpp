#include "pages/DateHeaderLogic.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string kKeyLines = "MESSEN  \r\nMESSEN  \r\nMESSEN  \r\nMESSEN  \r\nMESSEN  \r\n";

std::string Shown(const DeviceAnswer& a) { return a.complete ? a.text.str() : "<none>"; }
std::string Date(const std::string& received) { return Shown(DateAnswerText(CString(received))); }
std::string Header(const std::string& received) { return Shown(HeaderAnswerText(CString(received))); }

class FakeTextHost : public ManualLink<CDeviceTextHost> {
public:
    std::string field = "typed";
    bool writeEnabled = true;
    bool online = true;
    std::vector<UINT> boxes;
    void ShowText(const CString& text) override { field = text.str(); }
    void EnableWrite(bool enable) override { writeEnabled = enable; }
    void ShowFailure(UINT germanTextId) override { boxes.push_back(germanTextId); }
    bool IsPortOnline() override { return online; }
    bool IsShown() override { return true; }
};

// A read on a manual clock; the device answers its request 400 ms later.
struct Read {
    FakeTextHost host;
    CDeviceTextRead read;
    Read(CDeviceTextRead::Kind kind, const std::string& answer) : read(host, kind)
    {
        host.onTimer = [this](UINT id) { read.OnTimer(id); };
        host.onData = [this](int) { read.OnDataReceived(); };
        host.device = [this, answer](char, UINT t) { host.Deliver(t + 400, answer); };
    }
    // Nothing went out, the field and "senden" are as before the click.
    void ExpectNothingAsked(UINT box)
    {
        EXPECT_EQ(host.SentText(), "");
        EXPECT_EQ(host.field, "typed");
        EXPECT_TRUE(host.writeEnabled);
        EXPECT_FALSE(read.IsRunning());
        EXPECT_EQ(host.boxes, std::vector<UINT>{box});
    }
};

} // namespace

TEST(DateHeaderAnswers, DateIsTheFirstDateAndTimeAmongLateLines)
{
    EXPECT_EQ(Date("01.03.09  08:05:03\r\n0123456789"), "01.03.09 08:05:03");
    EXPECT_EQ(Date(kKeyLines + "\r\nREL4 BENCH 9\x03" "~07.12.26 05:30:00\r\n"), "07.12.26 05:30:00");
    // The clock menu's display line holds the date alone.
    EXPECT_EQ(Date("01.03.09\r\n08:05:03\r\n"), "<none>");
    EXPECT_EQ(Date("01.03.09  08:05:0"), "<none>");
}

TEST(DateHeaderAnswers, HeaderIsEveryLineBetweenTheAnswersLineEndAndItsFirstEtx)
{
    EXPECT_EQ(Header("\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1"), "<none>");
    EXPECT_EQ(Header("\r\n\x03"s), "");
    // Only a leading CR LF is the answer's own; any other first characters
    // are the header's.
    EXPECT_EQ(Header("\r\x03"s), "\r");
    EXPECT_EQ(Header("\r\nA\x00" "B\x03" "C\x03"s), "A\x00" "B"s);
    // The user's own lines come back whatever they look like: blank lines,
    // 8-character lines like a key's display line, a date-like line.
    EXPECT_EQ(Header("\r\nFirma XY\r\n\r\nBerlin Mitte\x03"), "Firma XY\r\n\r\nBerlin Mitte");
    EXPECT_EQ(Header("\r\n\r\n\r\nHalle 3\r\n\x03"), "\r\n\r\nHalle 3\r\n");
    EXPECT_EQ(Header("\r\n01.03.09  08:05:03\r\n\r\nREL4\x03"), "01.03.09  08:05:03\r\n\r\nREL4");
    EXPECT_EQ(Header("\r\n" + kKeyLines + "\r\nREL4 BENCH 9\x03\r\nMESSEN  \r\n"),
              kKeyLines + "\r\nREL4 BENCH 9");
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

// The commands page's home keys still answering after the click.
TEST(DeviceTextRead, BytesBeforeTheLineWentQuietDelayTheRequestAndAreNoPartOfTheHeader)
{
    Read r(CDeviceTextRead::Kind::Header, "\r\nFirma XY\r\n\r\nBerlin Mitte\x03");
    r.read.Start();
    for (UINT i = 0; i < 5; ++i)
        r.host.Deliver(400 + 25 * i, "MESSEN  \r\n");
    r.host.RunUntil(1499);
    EXPECT_EQ(r.host.SentText(), "");
    EXPECT_EQ(r.host.field, "typed");
    EXPECT_FALSE(r.host.writeEnabled);

    r.host.RunUntil(15000);
    ASSERT_EQ(r.host.SentText(), "d");
    EXPECT_GE(r.host.sent[0].t, 1500u);
    EXPECT_EQ(r.host.field, "Firma XY\r\n\r\nBerlin Mitte");
    EXPECT_TRUE(r.host.writeEnabled);
    EXPECT_TRUE(r.host.boxes.empty());
}

TEST(DeviceTextRead, AReadThatAskedNothingLeavesTheFieldAsItWas)
{
    const std::string answer = "\r\nFirma XY\x03";
    {
        Read noPort(CDeviceTextRead::Kind::Header, answer);
        noPort.host.online = false;
        noPort.read.Start();
        noPort.ExpectNothingAsked(DateHeaderText::kPortLostRead);
    }
    {
        Read neverQuiet(CDeviceTextRead::Kind::Header, answer);
        neverQuiet.read.Start();
        for (UINT t = 30; t < 8000; t += 30)
            neverQuiet.host.Deliver(t, "x");
        neverQuiet.host.RunUntil(8000);
        neverQuiet.ExpectNothingAsked(DateHeaderText::kLineNeverQuiet);
    }
    {
        Read portLost(CDeviceTextRead::Kind::Date, answer);
        portLost.read.Start();
        portLost.host.RunUntil(500);
        portLost.host.online = false;
        portLost.host.RunUntil(8000);
        portLost.ExpectNothingAsked(DateHeaderText::kPortLostRead);
    }
}
