#include "pages/DateHeaderLogic.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string kKeyLines = "MESSEN  \r\nMESSEN  \r\nMESSEN  \r\nMESSEN  \r\nMESSEN  \r\n";

std::string Date(const std::string& received)
{
    const DeviceAnswer a = DateAnswerText(CString(received));
    return a.complete ? a.text.str() : "<none>";
}
std::string Header(const std::string& received)
{
    const DeviceAnswer a = HeaderAnswerText(CString(received));
    return a.complete ? a.text.str() : "<none>";
}

} // namespace

TEST(DateHeaderAnswers, DateIsTheFirstDateAndTimeWhereverTheLineCutsIt)
{
    EXPECT_EQ(Date("01.03.09  08:05:03\r\n0123456789"), "01.03.09 08:05:03");
    EXPECT_EQ(Date(kKeyLines + "\r\nREL4 BENCH 9\x03" "~07.12.26 05:30:00\r\n"), "07.12.26 05:30:00");
    // The clock menu's display line holds the date alone.
    EXPECT_EQ(Date("01.03.09\r\n08:05:03\r\n"), "<none>");
    EXPECT_EQ(Date("01.03.09  08:05:0"), "<none>");
    EXPECT_EQ(Date("01.03.09   08:05:03"), "<none>");

    // Fed a byte at a time, resuming where the last scan left off.
    const std::string line = "MESSEN  \r\n0101.03.09  08:05:03\r\n";
    CString received;
    DeviceAnswer a;
    for (char c : line) {
        received += CString(std::string(1, c));
        a = DateAnswerText(received, a.resume);
        if (a.complete)
            break;
    }
    EXPECT_TRUE(a.complete);
    EXPECT_EQ(a.text, "01.03.09 08:05:03");
}

TEST(DateHeaderAnswers, HeaderIsWhatFollowsItsOwnLineEndUpToItsEtx)
{
    EXPECT_EQ(Header("\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1\x03"), "VX35 SIMULATOR\r\nPRUEFSTAND 1");
    EXPECT_EQ(Header("\r\nVX35 SIMULATOR"), "<none>");
    EXPECT_EQ(Header("\r\n\x03"s), "");
    EXPECT_EQ(Header("\r\nA\x03" "B\x03"s), "A");
    EXPECT_EQ(Header("\r\nA\x00" "B\x03"s), "A\x00" "B"s);
    // Late lines before it: the home keys' display lines, the lone line end
    // of ESC on the measuring screen, a date answer, stray bytes.
    EXPECT_EQ(Header(kKeyLines + "\r\nREL4 BENCH 9\x03"), "REL4 BENCH 9");
    EXPECT_EQ(Header("\r\n" + kKeyLines + "\r\nREL4 BENCH 9\x03"), "REL4 BENCH 9");
    EXPECT_EQ(Header("01.03.09  08:05:03\r\n\r\nREL4\r\nBENCH 9\x03"), "REL4\r\nBENCH 9");
    EXPECT_EQ(Header(kKeyLines + "~\r\nREL4 BENCH 9\x03"), "REL4 BENCH 9");
    // Lines of the header itself stay, blank and short ones included.
    EXPECT_EQ(Header("\r\nQUORIN\r\n\r\nHalle 3\r\n\x03"), "QUORIN\r\n\r\nHalle 3\r\n");
    EXPECT_EQ(Header("\r\nACME LTD\r\nHalle 3\x03"), "ACME LTD\r\nHalle 3");
    EXPECT_EQ(Header("\r\nA\r\nB\x03"), "A\r\nB");
}

namespace {

class TextHost : public ManualLink<CDeviceTextHost> {
public:
    std::vector<std::string> shown;
    std::vector<UINT> boxes;
    bool writeEnabled = true;
    bool online = true;
    bool onScreen = true;
    void ShowText(const CString& t) override { shown.push_back(t.str()); }
    void EnableWrite(bool enable) override { writeEnabled = enable; }
    void ShowFailure(UINT id) override { boxes.push_back(id); }
    bool IsPortOnline() override { return online; }
    bool IsShown() override { return onScreen; }
};

struct ReadRig {
    explicit ReadRig(CDeviceTextRead::Kind kind) : read(host, kind)
    {
        host.onTimer = [this](UINT id) { read.OnTimer(id); };
        host.onData = [this](int) { read.OnDataReceived(); };
    }
    TextHost host;
    CDeviceTextRead read;
};

} // namespace

TEST(DeviceTextRead, FieldEmptiedAtTheRequestThenOnlyTheAnswerShown)
{
    ReadRig rig(CDeviceTextRead::Kind::Header);
    rig.host.receive = "old";
    rig.read.Start();
    EXPECT_EQ(rig.host.shown, std::vector<std::string>{""});
    EXPECT_TRUE(rig.host.receive.IsEmpty());
    EXPECT_EQ(rig.host.SentText(), "d");
    EXPECT_FALSE(rig.host.writeEnabled);
    // The keys' display lines come late and slowly; nothing is shown.
    for (UINT t = 100; t <= 1500; t += 300)
        rig.host.Deliver(t, "MESSEN  \r\n");
    rig.host.Deliver(1900, "\r\nREL4 ");
    rig.host.Deliver(3800, "BENCH 9\x03");
    rig.host.Deliver(4000, "\r\nMORE\x03");
    rig.host.Advance(6000);
    EXPECT_EQ(rig.host.shown, (std::vector<std::string>{"", "REL4 BENCH 9"}));
    EXPECT_TRUE(rig.host.boxes.empty());
    EXPECT_TRUE(rig.host.writeEnabled);
    EXPECT_FALSE(rig.read.IsRunning());
}

TEST(DeviceTextRead, NoCompleteAnswerInTimeIsSaidAndNothingShown)
{
    // Silence after a part of the answer.
    ReadRig date(CDeviceTextRead::Kind::Date);
    date.read.Start();
    date.host.Deliver(50, "01.03.09  08:0");
    date.host.RunUntil(50 + CDeviceTextRead::kSilenceMs - CDeviceTextRead::kTickMs);
    EXPECT_TRUE(date.host.boxes.empty());
    date.host.RunUntil(50 + CDeviceTextRead::kSilenceMs + CDeviceTextRead::kTickMs);
    EXPECT_EQ(date.host.boxes, std::vector<UINT>{DateHeaderText::kDateNotRead});
    EXPECT_EQ(date.host.shown, std::vector<std::string>{""});
    EXPECT_TRUE(date.host.writeEnabled);

    // A line that never goes quiet holds the read no longer than its limit.
    ReadRig header(CDeviceTextRead::Kind::Header);
    header.read.Start();
    for (UINT t = 500; t < 20000; t += 500)
        header.host.Deliver(t, "MESSEN  \r\n");
    header.host.RunUntil(CDeviceTextRead::kLimitMs - 50);
    EXPECT_TRUE(header.read.IsRunning());
    header.host.RunUntil(CDeviceTextRead::kLimitMs + 50);
    EXPECT_EQ(header.host.boxes, std::vector<UINT>{DateHeaderText::kHeaderNotRead});

    // Off screen the answer could not come: the read ends without a word.
    ReadRig hidden(CDeviceTextRead::Kind::Header);
    hidden.read.Start();
    hidden.host.onScreen = false;
    hidden.host.Advance(3000);
    EXPECT_FALSE(hidden.read.IsRunning());
    EXPECT_TRUE(hidden.host.boxes.empty());
}

TEST(DeviceTextRead, PortGoneBeforeOrDuringAReadOrBeforeASend)
{
    ReadRig rig(CDeviceTextRead::Kind::Header);
    rig.host.online = false;
    rig.read.Start();
    EXPECT_EQ(rig.host.shown, std::vector<std::string>{""});
    EXPECT_EQ(rig.host.SentText(), "");
    EXPECT_EQ(rig.host.boxes, std::vector<UINT>{DateHeaderText::kPortLostRead});
    EXPECT_FALSE(rig.read.BeforeSend());
    EXPECT_EQ(rig.host.boxes.back(), DateHeaderText::kPortLostSend);

    rig.host.online = true;
    rig.host.boxes.clear();
    rig.read.Start();
    rig.host.Deliver(50, "\r\nREL4");
    rig.host.Advance(60);
    rig.host.online = false;
    rig.host.Advance(100);
    EXPECT_EQ(rig.host.boxes, std::vector<UINT>{DateHeaderText::kPortLostRead});
    EXPECT_EQ(rig.host.shown.back(), "");
    EXPECT_FALSE(rig.read.IsRunning());
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
