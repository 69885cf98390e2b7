#include "measure/MeasureConversation.h"
#include "tests/measure/FakeMeasureHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const std::string kSensor = "SIMSENS1\x50\x00kN \x01\x00\x00\x4E\x20\r\n"s;
const std::string kStatusPc = "\x45\x4C\x02\x00\x00\x02\x00\x00\x00\x00\x0D\x0A"s;
const std::string kHeader = "\r\nQuorin Test\x03"s;
const std::string kVersion = "SIM 700 105\r\n";

// A prompt device: answers 20 ms after each request, one frame per '0'.
struct Fixture : ::testing::Test {
    FakeMeasureHost host;
    MeasureRecord record;
    CMeasureConversation conv{host, record};
    std::map<char, std::string> answers{{'C', kSensor}, {'E', kStatusPc}, {'d', kHeader}, {'V', kVersion}};
    UINT answerDelay = 20;
    int frameValue = 1234;

    void SetUp() override
    {
        host.conv = &conv;
        host.onTimer = [this](UINT id) { conv.OnTimer(id); };
        host.onData = [this](int n) { conv.OnDataReceived(n); };
        host.device = [this](char b, UINT t) {
            if (b == '0') {
                std::string f;
                f += char((frameValue >> 8) & 0xFF);
                f += char(frameValue & 0xFF);
                f += "\r\n";
                host.Deliver(t + 3, f);
                return;
            }
            auto it = answers.find(b);
            if (it != answers.end())
                host.Deliver(t + answerDelay, it->second);
        };
    }

    std::string SentUntil(UINT t) const
    {
        std::string s;
        for (const auto& b : host.sent)
            if (b.t <= t)
                s += b.byte;
        return s;
    }
};

} // namespace

TEST_F(Fixture, HappyPathBytesTimingsAndPcRequests)
{
    conv.OnStart();
    EXPECT_FALSE(host.tabsEnabled);
    host.RunUntil(3750);

    ASSERT_GE(host.sent.size(), 12u);
    EXPECT_EQ(host.SentText().substr(0, 12), "nCEdVnnnnnkk");
    // 'C' and 'E' are whole, and the header's line is clear, 50 ms after their
    // last byte, when the line stayed quiet.
    const std::vector<UINT> expected = {0, 275, 350, 425, 500, 535, 560, 585, 610, 635, 660, 685};
    const std::vector<UINT> times = host.SentTimes();
    EXPECT_EQ(std::vector<UINT>(times.begin(), times.begin() + 12), expected);

    // Measuring began at 3710; then one '0' every 10 ms.
    const std::string rest = host.SentText().substr(12);
    EXPECT_EQ(rest, std::string(rest.size(), '0'));
    ASSERT_EQ(rest.size(), 4u);
    EXPECT_EQ(host.sent[12].t, 3720u);
    EXPECT_EQ(host.sent[15].t, 3750u);

    EXPECT_EQ(record.m_strSensorName, "SIMSENS1");
    EXPECT_EQ(record.m_iDeviceVariant, 700);
    EXPECT_EQ(record.m_iFirmwareVersion, 105);
    EXPECT_EQ(record.m_bIdentified, 1);
    EXPECT_EQ(conv.GetHeader(), "Quorin Test");
    EXPECT_TRUE(conv.IsRunning());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.Logged("mode PC 10ms"));
    EXPECT_TRUE(host.Logged("buttons-"));

    // Every answered request plots a point at x = n * 0.01.
    host.RunUntil(5950);
    ASSERT_GT(host.points.size(), 200u);
    EXPECT_DOUBLE_EQ(host.points[0].second, 1.234);
    EXPECT_NEAR(host.points[100].first, 1.0, 1e-9);
    EXPECT_EQ(host.valueText, "1.234 kN "); // shown at the first refresh, 5910
}

TEST_F(Fixture, SensorAnswerInTwoChunksIsDecodedOnce)
{
    answers.erase('C');
    conv.OnStart();
    host.RunUntil(300); // 'C' left at 275
    host.Deliver(400, kSensor.substr(0, 12));
    host.Deliver(500, kSensor.substr(12));
    host.RunUntil(560);
    EXPECT_EQ(SentUntil(560), "nCE");
    EXPECT_EQ(host.sent[2].t, 550u);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(record.m_iNominal, 5000);
}

TEST_F(Fixture, SilenceAtSensorRequestGivesTimeoutThenStartKeysThenMeasuring)
{
    answers.clear();
    record.m_bySampleMode = 8;
    record.m_byAutoRate = 3;
    record.m_iDeviceVariant = 700; // identified earlier
    conv.OnStart();
    host.RunUntil(4000);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], "5198: 1@525");
    EXPECT_EQ(host.SentText(), "nCnnnnnkk");
    EXPECT_EQ(host.sent[2].t, 535u);
    EXPECT_TRUE(host.tabsEnabled);
    EXPECT_TRUE(conv.IsRunning());
    EXPECT_TRUE(host.Logged("mode AUTO 100ms"));
    EXPECT_EQ(conv.GetAnswerStep(), CMeasureConversation::AnswerStep::FastStream);

    // Device-paced frames are plotted at 0.1 steps.
    host.Deliver(4100, "\x00\x0A\r\n\x00\x14\r\n"s);
    host.RunUntil(4200);
    ASSERT_EQ(host.points.size(), 2u);
    EXPECT_DOUBLE_EQ(host.points[1].first, 0.1);
}

TEST_F(Fixture, RecordNeverDescribedBySensorShowsWholeNumbers)
{
    answers.clear();
    record.m_bySampleMode = 12; // device-paced frames
    record.m_iDeviceVariant = 700;
    record.m_iDecimalDivisor = 0;
    record.m_strDisplayFormat.Empty();
    conv.OnStart();
    host.RunUntil(4000);
    host.Deliver(4100, "\x00\x0C\r\n"s);
    host.RunUntil(6000);
    ASSERT_EQ(host.points.size(), 1u);
    EXPECT_DOUBLE_EQ(host.points[0].second, 12.0);
    EXPECT_EQ(host.valueText, "12 ");
    // The Y axis gets a format it can print, not an empty one.
    EXPECT_TRUE(host.Logged("ylabel %.0f "));
    EXPECT_EQ(record.m_strDisplayFormat, "%.0f ");
}

TEST_F(Fixture, PortOffLineShowsBoxAndSendsNothingAfterFirstKey)
{
    host.portState = 3;
    conv.OnStart();
    host.RunUntil(5000);
    EXPECT_EQ(host.SentText(), "n");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], "COM Schnittstellen steht auf aus@275");
    EXPECT_TRUE(host.tabsEnabled);
}

TEST_F(Fixture, StopDuringConversationIgnoresLateAnswer)
{
    answers.erase('E');
    conv.OnStart();
    host.RunUntil(310); // 'C' answered, 'E' sent at 300
    conv.OnStop();
    host.ClearSent();
    host.Deliver(320, kStatusPc);
    host.RunUntil(5000);
    EXPECT_EQ(host.SentText(), "");
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(conv.IsRunning());
    EXPECT_TRUE(host.receive.IsEmpty());
}

TEST_F(Fixture, RefusedSensorStops)
{
    answers['C'] = "SIMSENS1\x50\x00kN \x01\x01\x00\x01\x09\r\n"s;
    conv.OnStart();
    host.RunUntil(2000);
    EXPECT_EQ(host.SentText(), "nCn");
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].substr(0, 5), "5180:");
    EXPECT_TRUE(host.tabsEnabled);
}

TEST_F(Fixture, HeaderInPiecesIsGatheredUntilItsEnd)
{
    answers.erase('d');
    conv.OnStart();
    host.RunUntil(430); // 'd' sent at 425
    host.Deliver(440, "\r\nQuorin ");
    host.Deliver(480, "Test\x03"s);
    host.RunUntil(560);
    EXPECT_EQ(conv.GetHeader(), "Quorin Test");
    EXPECT_EQ(SentUntil(530), "nCEdV");
    EXPECT_EQ(host.sent[4].t, 530u);
    EXPECT_EQ(record.m_iFirmwareVersion, 105);
}

// One byte every 10 ms: the answer time-out counts silence, so a header
// longer than 250 ms on the line comes whole; one that never ends is not the
// header: at the cap it is the request's time-out.
TEST_F(Fixture, SlowLineHeaderComesWholeUpToTheCap)
{
    answers.erase('d');
    conv.OnStart();
    host.RunUntil(430); // 'd' sent at 425
    const std::string header = "\r\nQuorin Vandelwerk Pruefstand 7\x03"s;
    for (size_t i = 0; i < header.size(); ++i)
        host.Deliver(UINT(440 + 10 * i), header.substr(i, 1));
    host.RunUntil(1100);
    EXPECT_EQ(conv.GetHeader(), "Quorin Vandelwerk Pruefstand 7");
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(record.m_iFirmwareVersion, 105);

    FakeMeasureHost h;
    MeasureRecord rec;
    CMeasureConversation c{h, rec};
    h.onTimer = [&c](UINT id) { c.OnTimer(id); };
    h.onData = [&c](int n) { c.OnDataReceived(n); };
    h.device = [&h](char b, UINT t) {
        if (b == 'C')
            h.Deliver(t + 20, kSensor);
        if (b == 'E')
            h.Deliver(t + 20, kStatusPc);
    };
    c.OnStart();
    h.RunUntil(430);
    h.Deliver(435, "\r\n");
    for (UINT t = 440; t < 6000; t += 10)
        h.Deliver(t, "x");
    h.RunUntil(3440); // 3000 ms after 'd': never ended, never quiet
    EXPECT_EQ(c.GetHeader(), "");
    EXPECT_EQ(h.boxes, std::vector<std::string>{"5198: 1@3425"});
    EXPECT_EQ(h.SentText().substr(0, 5), "nCEdn");
}

// One byte every 60 ms: every key's display line is still coming when a
// fixed wait would end, before 'C' and before the first value request.
// None of it opens an answer or becomes a frame of blanks (8.224).
TEST_F(Fixture, KeysDisplayLinesOnASlowLineAreOverBeforeAnswersAndValues)
{
    UINT lineFree = 0; // the device's line is first in, first out
    host.device = [&, replies = answers](char b, UINT t) {
        const auto it = replies.find(b);
        const std::string out = b == '0' ? "\x04\xD2\r\n"s : b == 'n' || b == 'k' ? "MESSEN  \r\n"s
                              : it != replies.end()         ? it->second : ""s;
        for (char c : out)
            host.Deliver(lineFree = std::max(lineFree, t) + 60, std::string(1, c));
    };
    conv.OnStart();
    host.RunUntil(12000);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(record.m_strUnit, "kN ");
    EXPECT_EQ(record.m_iFirmwareVersion, 105);
    ASSERT_FALSE(host.points.empty());
    for (const auto& p : host.points)
        ASSERT_DOUBLE_EQ(p.second, 1.234);
}

// A line that never goes quiet after Start gets no request into the noise.
TEST_F(Fixture, LineThatNeverGoesQuietAfterStartIsATimeout)
{
    for (UINT t = 30; t < 3400; t += 100)
        host.Deliver(t, "MESSEN  \r\n");
    conv.OnStart();
    host.RunUntil(3600);
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_EQ(host.boxes[0], "5198: 1@3025");
    EXPECT_EQ(host.SentText().substr(0, 8), "nnnnnnkk");
}

// Answers are taken by where they start and end, never refused for what
// they hold: a decimals code the table does not know is divisor 1, a 'd'
// without its leading line end is the header as it stands, and the line end
// after its ETX that comes only once 'V' went out is passed over. A stray
// byte before 'E' leaves no place where its answer is known to start.
TEST_F(Fixture, AnswersAreTakenByWhereTheyStartAndEnd)
{
    answers['C'] = "SIMSENS1\x50\x00kN \x07\x00\x00\x4E\x20\x5A\x1F"s;
    answers['d'] = "Quorin Test\x03"s;
    answers['V'] = "\r\nSIM 700 106\r\n";
    conv.OnStart();
    host.RunUntil(4000);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(record.m_strSensorName, "SIMSENS1");
    EXPECT_EQ(record.m_strUnit, "kN ");
    EXPECT_EQ(record.m_iDecimalDivisor, 1);
    EXPECT_EQ(record.m_strDisplayFormat, "%.0f ");
    EXPECT_EQ(record.m_byAutoRate, 2);
    EXPECT_EQ(conv.GetHeader(), "Quorin Test");
    EXPECT_EQ(record.m_iFirmwareVersion, 106);
    EXPECT_TRUE(conv.IsRunning());
    EXPECT_TRUE(host.Logged("mode PC 10ms"));

    conv.OnStop();
    answers['E'] = "~\x45\x4C\x02\x00\x08\x03\x00\x00\x00\x00\x0D\x0A"s;
    conv.OnStart();
    host.RunUntil(9000);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].substr(0, 7), "5198: 1");
    EXPECT_EQ(record.m_bySampleMode, 0);
    EXPECT_EQ(record.m_byAutoRate, 2);
}

// A mode or rate the table does not know is the device's own: "SCI aus",
// nothing parsed, nothing asked, no box.
TEST_F(Fixture, UnknownAutoRateIsSciAusWithoutBoxOrRequests)
{
    answers['E'] = "\x45\x4C\x02\x00\x08\x09\x00\x00\x00\x00\x00\x00"s;
    conv.OnStart();
    host.RunUntil(6000);
    host.Deliver(6100, "\x01\x02\r\n"s);
    host.RunUntil(6500);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(host.Logged("mode SCI aus"));
    EXPECT_EQ(host.SentText().find('0'), std::string::npos);
    EXPECT_TRUE(host.points.empty());
}

TEST_F(Fixture, HeaderWithoutEndIsTakenWhenTheLineGoesQuiet)
{
    answers['d'] = "\r\nNo end";
    conv.OnStart();
    host.RunUntil(700);
    EXPECT_EQ(conv.GetHeader(), "No end");
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(SentUntil(700).substr(0, 5), "nCEdV");
}

TEST_F(Fixture, FrameEndMarkStopsAtTheNextRefreshUnlessItWasHalfAFrame)
{
    conv.OnStart();
    host.RunUntil(3710);
    ASSERT_TRUE(conv.IsRunning());
    host.device = nullptr; // the device stops answering '0'
    // 0D 0A alone, then its second half: a reading of 0x0D0A, not the end.
    host.Deliver(3850, "\r\n");
    host.Deliver(3900, "\r\n");
    host.RunUntil(5950);
    EXPECT_TRUE(conv.IsRunning());
    ASSERT_FALSE(host.points.empty());
    EXPECT_DOUBLE_EQ(host.points.back().second, 3.338);

    host.Deliver(5960, "\r\n");
    host.RunUntil(6305); // the refresh at 6110 came only 150 ms after it
    EXPECT_TRUE(conv.IsRunning());
    host.ClearSent();
    host.RunUntil(6315); // refresh at 6310: a whole period of silence
    EXPECT_FALSE(conv.IsRunning());
    EXPECT_EQ(host.SentText(), "n");
    EXPECT_TRUE(host.Logged("start+"));
    host.RunUntil(6850);
    EXPECT_EQ(host.SentText(), "n"); // value requests ended with the run
}

// A lone CR LF in the middle of the stream, followed by value bytes in the
// next chunk, is stepped over as it is when both come in one chunk.
TEST_F(Fixture, LoneCrLfFollowedByValuesIsNoEndInEitherStreamKind)
{
    for (const std::string& status : {kStatusPc, "\x45\x4C\x04\x00\x08\x04\x00\x00\x00\x00\x0D\x0A"s}) {
        FakeMeasureHost h;
        MeasureRecord rec;
        CMeasureConversation c{h, rec};
        h.conv = &c;
        h.onTimer = [&c](UINT id) { c.OnTimer(id); };
        h.onData = [&c](int n) { c.OnDataReceived(n); };
        std::map<char, std::string> replies{{'C', kSensor}, {'E', status}, {'d', kHeader}, {'V', kVersion}};
        h.device = [&h, &replies](char b, UINT t) {
            if (auto it = replies.find(b); it != replies.end())
                h.Deliver(t + 20, it->second);
        };
        c.OnStart();
        h.RunUntil(3710);
        ASSERT_TRUE(c.IsRunning());
        const bool frames = c.GetMode().stream == StreamKind::Frame;
        const std::string value = frames ? "\x01\x02\r\n"s : " 0,258 kN          \r\n"s;
        h.Deliver(3750, value + "\r\n");
        h.Deliver(3800, value);
        h.RunUntil(7000);
        EXPECT_TRUE(c.IsRunning()) << frames;
        ASSERT_EQ(h.points.size(), 2u) << frames;
        EXPECT_DOUBLE_EQ(h.points[1].second, 0.258);
        EXPECT_TRUE(h.boxes.empty());
    }
}

TEST_F(Fixture, StopAfterValuesWithoutRefreshKeepsEveryPoint)
{
    conv.OnStart();
    host.RunUntil(3800); // before the first refresh at 5910
    const size_t n = host.points.size();
    ASSERT_GT(n, 0u);
    host.log.clear();
    conv.OnStop();
    EXPECT_TRUE(host.Logged("show")); // final re-bind of the chart
    EXPECT_TRUE(host.Logged("menu1=1"));
    EXPECT_TRUE(host.Logged("xrange 0.000000.." + std::to_string(n * 0.01)));
    EXPECT_EQ(host.valueText, "1.234 kN ");
}

TEST_F(Fixture, ValuesThePortStillHoldsReachTheRefreshAndTheStop)
{
    // From some point on the port holds every frame back until the page
    // asks for them, as a paced port does between its hand-overs.
    bool hold = false;
    auto device = host.device;
    host.device = [&](char b, UINT t) {
        if (hold && b == '0') {
            host.held.push_back(std::string("\x04\xD2\r\n", 4));
            return;
        }
        device(b, t);
    };
    conv.OnStart();
    host.RunUntil(5000);
    hold = true;
    host.RunUntil(5010);   // the frame already on its way arrives
    const size_t before = host.points.size();
    ASSERT_GT(before, 0u);
    host.RunUntil(5909);
    EXPECT_EQ(host.points.size(), before);
    const size_t held = host.held.size();
    ASSERT_GT(held, 50u);
    // The refresh takes them first and shows them in the same step.
    host.log.clear();
    host.RunUntil(5911);
    EXPECT_EQ(host.points.size(), before + held);
    EXPECT_TRUE(host.Logged("show"));
    // Stop takes what came after the refresh before it ends the run.
    host.RunUntil(6050);
    const size_t more = host.held.size();
    ASSERT_GT(more, 0u);
    const size_t now = host.points.size();
    conv.OnStop();
    EXPECT_EQ(host.points.size(), now + more);
    EXPECT_TRUE(host.held.empty());
}

TEST_F(Fixture, ARefreshWhoseHandOverEndsTheRunLeavesNoTimerBehind)
{
    conv.OnStart();
    host.RunUntil(5000);
    ASSERT_TRUE(host.HasTimer(CMeasureConversation::kTimerId));
    // The hand-over at the refresh ends the conversation (a Stop from a
    // box, say): the refresh must not arm itself again.
    host.onTake = [&] {
        host.onTake = nullptr;
        conv.OnStop();
    };
    host.RunUntil(5911);
    EXPECT_FALSE(host.HasTimer(CMeasureConversation::kTimerId));
    EXPECT_FALSE(host.HasTimer(kTickId));
}

TEST_F(Fixture, LineModeValuesAndDeviceEndMark)
{
    answers['E'] = "\x45\x4C\x04\x00\x08\x04\x00\x00\x00\x00\x0D\x0A"s; // AUTO 1sec
    conv.OnStart();
    host.RunUntil(3710);
    EXPECT_TRUE(host.Logged("mode AUTO 1sec"));
    EXPECT_EQ(conv.GetAnswerStep(), CMeasureConversation::AnswerStep::SlowStream);
    host.Deliver(4000, "-1,234 kN          \r\n 0,5");
    host.Deliver(4500, "00 kN          \r\n");
    host.RunUntil(4600);
    ASSERT_EQ(host.points.size(), 2u);
    EXPECT_DOUBLE_EQ(host.points[0].second, -1.234);
    EXPECT_DOUBLE_EQ(host.points[1].second, 0.5);
    EXPECT_EQ(host.valueText, "0.500 kN ");

    host.Deliver(4700, "\r\n");
    host.RunUntil(5950);
    EXPECT_TRUE(conv.IsRunning()); // one refresh since: not yet a whole period
    host.RunUntil(6150);
    EXPECT_FALSE(conv.IsRunning());
    host.log.clear();
    host.ClearSent();
    conv.OnStop();
    // The run had begun, so Stop still offers Save and the whole range.
    EXPECT_TRUE(host.Logged("menu1=1"));
    EXPECT_EQ(host.SentText(), "n");
}

TEST_F(Fixture, UnidentifiedDeviceGetsNoParser)
{
    answers.erase('V');
    conv.OnStart();
    host.RunUntil(4000);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_EQ(host.boxes[0].substr(0, 7), "5198: 1");
    EXPECT_EQ(host.boxes[1].substr(0, 41), "Device not supported or not connected (1)");
    EXPECT_EQ(conv.GetAnswerStep(), CMeasureConversation::AnswerStep::Ignore);
    // The PC mode still asks for values; the answers are dropped.
    EXPECT_TRUE(host.points.empty());
    EXPECT_TRUE(host.receive.GetLength() <= 4);
}

TEST_F(Fixture, StartWhileRunningOnlySendsEnter)
{
    conv.OnStart();
    host.RunUntil(3715);
    host.ClearSent();
    conv.OnStart();
    EXPECT_EQ(host.SentText(), "k");
    EXPECT_TRUE(host.tabsEnabled);
}

TEST_F(Fixture, ActivationEndsValueRequests)
{
    conv.OnStart();
    host.RunUntil(3600);
    conv.OnActivate();
    host.ClearSent();
    host.RunUntil(4000);
    EXPECT_EQ(host.SentText(), "");
    EXPECT_FALSE(conv.IsRunning());
}

// The device pulled mid-run: the run stops at the next refresh, once, with
// a message; Start is offered again and measures once the port is back.
TEST_F(Fixture, PortGoneStopsTheRunOnceAndANewStartMeasures)
{
    conv.OnStart();
    host.RunUntil(6000);
    ASSERT_TRUE(conv.IsRunning());
    host.portState = 3;
    host.log.clear();
    host.RunUntil(6200);
    EXPECT_FALSE(conv.IsRunning());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].substr(0, 5), "5207:");
    EXPECT_TRUE(host.Logged("start+"));
    EXPECT_FALSE(host.HasTimer(kTickId)); // no more writes into the gone port
    EXPECT_FALSE(conv.CheckPort());
    host.RunUntil(9000);
    EXPECT_EQ(host.boxes.size(), 1u);

    host.portState = 0;
    host.points.clear();
    conv.OnStart();
    host.RunUntil(14000);
    EXPECT_TRUE(conv.IsRunning());
    EXPECT_GT(host.points.size(), 100u);
    EXPECT_EQ(host.boxes.size(), 1u);
}
