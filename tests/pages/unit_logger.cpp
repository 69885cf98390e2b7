#include "pages/LoggerReadout.h"
#include "tests/measure/ManualDeviceLink.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

class FakeLoggerHost : public ManualLink<CLoggerHost> {
public:
    bool busy = false;
    bool readButton = true;
    int textUpdates = 0;
    std::vector<std::pair<UINT, std::string>> boxes;
    // Called as a box shows, before the user closes it.
    std::function<void()> onBox;
    void SetBusy(bool b) override { busy = b; }
    void ShowReadButton(bool show) override { readButton = show; }
    void ShowTexts() override { ++textUpdates; }
    void ShowBox(const CString& text) override
    {
        boxes.emplace_back(now, text.str());
        if (onBox)
            onBox();
    }
    bool online = true;
    bool IsPortOnline() override { return online; }
    CString LanguageText(UINT id) override { return CString(std::to_string(id)); }
};

const std::string kRec1 = " 12,34 Nm  \r\n";
const std::string kRec2 = " -1,50 Nm  \r\n";

struct Logger : ::testing::Test {
    FakeLoggerHost host;
    CLoggerReadout logger{host};
    void SetUp() override
    {
        host.onTimer = [this](UINT id) { logger.OnLoggerTimer(id); };
        host.onData = [this](int n) { logger.OnDataReceived(n); };
    }
    // Starts at t = 0 and returns when 'A' has gone out.
    void Start()
    {
        logger.StartLoggerReadout();
        EXPECT_EQ(host.SentText(), "A");
        EXPECT_FALSE(host.readButton);
        EXPECT_TRUE(logger.IsReadoutRunning());
    }
};

} // namespace

TEST_F(Logger, ReadoutInPiecesEndsHalfASecondAfterTheLastChunk)
{
    Start();
    host.Deliver(60, "\r\nQuorin ");
    host.Deliver(90, "GmbH\r\nLine 2\x03"s);
    host.Deliver(150, "AUTO    10 sec  \r\n");
    std::string records;
    for (int i = 0; i < 20; ++i) {
        const std::string r = (i % 2 ? kRec2 : kRec1);
        records += r;
        host.Deliver(200 + 100 * i, r);
    }
    host.RunUntil(2000);
    EXPECT_TRUE(host.busy);
    EXPECT_EQ(logger.GetHeaderText(), "Quorin GmbH\r\nLine 2");
    EXPECT_EQ(logger.GetModeText(), "AUTO    10 sec  ");
    EXPECT_FALSE(logger.IsManualMode());
    EXPECT_EQ(logger.GetRecordText(), ""); // still arriving at 2100
    host.RunUntil(2599);
    EXPECT_EQ(logger.GetRecordText(), "");
    host.RunUntil(2600);
    EXPECT_EQ(logger.GetRecordText().str(), records);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(host.readButton);
    EXPECT_FALSE(logger.IsReadoutRunning());
    host.RunUntil(3100);
    EXPECT_EQ(logger.GetHandler(), CLoggerReadout::Handler::Idle);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(Logger, WholeAnswerInOneChunk)
{
    Start();
    host.Deliver(50, "\n\rHead\x03" "HAND    \r\n"s + " 12,34 Nm  08:05:03\r\n");
    host.RunUntil(560);
    EXPECT_EQ(logger.GetHeaderText(), "\n\rHead"); // only CR LF is stripped
    EXPECT_EQ(logger.GetModeText(), "HAND    ");
    EXPECT_TRUE(logger.IsManualMode());
    EXPECT_EQ(logger.GetRecordText(), " 12,34 Nm  08:05:03\r\n");
}

TEST_F(Logger, ListOrderDecidesTheModeWord)
{
    Start();
    host.Deliver(50, "H\x03"s);
    host.Deliver(100, "HAND,LOGG off\r\n");
    host.RunUntil(700);
    EXPECT_EQ(logger.GetModeText(), "HAND.LOGG off"); // cut 8 after "LOGG off"
    EXPECT_FALSE(logger.IsManualMode());
}

// The mode line is the first line naming a mode; a word earlier in the
// list that stands in the records does not win, however the bytes are cut.
TEST_F(Logger, ModeWordInTheRecordsDoesNotWinForAnyCut)
{
    const std::string stream = "\r\nHead\x03" "TRIGGER2\r\n"s + " 1,00 LOGG off\r\n" + kRec1;
    for (size_t cut = 0; cut < stream.size(); ++cut) {
        FakeLoggerHost h;
        CLoggerReadout l{h};
        h.onTimer = [&l](UINT id) { l.OnLoggerTimer(id); };
        h.onData = [&l](int n) { l.OnDataReceived(n); };
        l.StartLoggerReadout();
        if (cut > 0)
            h.Deliver(50, stream.substr(0, cut));
        h.Deliver(50, stream.substr(cut));
        h.RunUntil(2000);
        EXPECT_EQ(l.GetModeText(), "TRIGGER2") << cut;
        EXPECT_EQ(l.GetRecordText().str(), " 1,00 LOGG off\r\n" + kRec1) << cut;
    }
}

TEST_F(Logger, SplitModeLineIsCutOnlyWhenComplete)
{
    Start();
    host.Deliver(50, "H\x03"s);
    host.Deliver(100, "AUTO    10");
    host.Deliver(200, " sec  \r");
    host.Deliver(300, "\n" + kRec1);
    host.RunUntil(250);
    EXPECT_EQ(logger.GetModeText(), "");
    host.RunUntil(900);
    EXPECT_EQ(logger.GetModeText(), "AUTO    10 sec  ");
    EXPECT_EQ(logger.GetRecordText().str(), kRec1);

    // The same for an 8-character word.
    host.ClearSent();
    logger.StartLoggerReadout();
    host.Deliver(2050, "H\x03" "HA"s);
    host.Deliver(2100, "ND  ");
    host.Deliver(2200, "  \r\n" + kRec1);
    host.RunUntil(2800);
    EXPECT_EQ(logger.GetModeText(), "HAND    ");
    EXPECT_EQ(logger.GetRecordText().str(), kRec1);
}

TEST_F(Logger, QuietLineForcesTheModeCut)
{
    Start();
    host.Deliver(50, "H\x03" "KURVE"s);
    host.RunUntil(1049);
    EXPECT_EQ(logger.GetModeText(), "");
    host.RunUntil(1050); // 1000 ms without the rest of the line
    EXPECT_EQ(logger.GetModeText(), "KURVE");
    EXPECT_FALSE(host.busy);
    host.Deliver(1100, kRec1);
    host.RunUntil(1600);
    EXPECT_EQ(logger.GetRecordText().str(), kRec1);
}

TEST_F(Logger, GivesUpAfterFortySecondsWithoutData)
{
    Start();
    host.RunUntil(39999);
    EXPECT_TRUE(host.boxes.empty());
    host.RunUntil(40000);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].second, LoggerText::kGiveUp);
    host.RunUntil(40050);
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(host.readButton);
    EXPECT_EQ(logger.GetHandler(), CLoggerReadout::Handler::Idle);
    host.RunUntil(50000);
    EXPECT_EQ(host.boxes.size(), 1u); // the watch timer died before its box
}

TEST_F(Logger, SlowButSteadyReadoutIsNotCutOff)
{
    Start();
    host.Deliver(30000, "H\x03"s);
    host.Deliver(39000, "HAND    \r\n");
    for (UINT t = 39400; t < 70000; t += 400)
        host.Deliver(t, " 12,34 Nm  08:05:03\r\n");
    host.RunUntil(71000);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(logger.GetRecordText().GetLength(), 77 * 21);
}

TEST_F(Logger, NewReadoutRightAfterTheLastIsNotEndedByAnOldFlag)
{
    Start();
    host.Deliver(50, "H\x03" "HAND    \r\n"s + kRec1);
    host.RunUntil(560); // records shown at 550; the watch tick at 1000 would clear the flag
    ASSERT_EQ(logger.GetRecordText().str(), kRec1);
    logger.StartLoggerReadout();
    // The answer comes after the new read-out's first watch tick (1060).
    host.Deliver(1200, "G\x03" "HAND    \r\n"s + kRec2);
    host.RunUntil(2000);
    EXPECT_EQ(logger.GetHeaderText(), "G");
    EXPECT_EQ(logger.GetRecordText().str(), kRec2);
}

// A read-out that finds no mode line shows nothing of the one before it.
TEST_F(Logger, NewReadoutShowsNothingOfTheLast)
{
    Start();
    host.Deliver(50, "H\x03" "HAND    \r\n"s + kRec1);
    host.RunUntil(1100);
    ASSERT_EQ(logger.GetModeText(), "HAND    ");
    logger.StartLoggerReadout();
    host.Deliver(1200, "G\x03"s);
    host.RunUntil(60000);
    EXPECT_EQ(logger.GetHeaderText(), "G");
    EXPECT_EQ(logger.GetModeText(), "");
    EXPECT_FALSE(logger.IsManualMode());
    EXPECT_EQ(logger.GetRecordText(), "");
    EXPECT_EQ(host.boxes.size(), 1u); // the give-up
}

TEST_F(Logger, LateBytesAfterActivationEmptyTheTexts)
{
    Start();
    host.Deliver(50, "H\x03" "HAND    \r\n"s + kRec1);
    host.RunUntil(1100);
    host.ClearSent();
    logger.OnActivate();
    EXPECT_EQ(host.SentText(), "nnnnn");
    host.Deliver(host.now + 10, std::string(49, 'x'));
    host.RunUntil(host.now + 20);
    EXPECT_EQ(logger.GetRecordText().str(), kRec1);
    host.Deliver(host.now + 10, "x");
    host.RunUntil(host.now + 20);
    EXPECT_EQ(logger.GetHeaderText(), "");
    EXPECT_EQ(logger.GetModeText(), "");
    EXPECT_EQ(logger.GetRecordText(), "");
    EXPECT_EQ(logger.GetHandler(), CLoggerReadout::Handler::Idle);
    EXPECT_TRUE(host.receive.IsEmpty());
}

TEST_F(Logger, ActivationEndsAReadoutLeftBehind)
{
    Start();
    host.Deliver(50, "H\x03" "KURVE"s);
    host.RunUntil(1100); // the quiet line unlocked the tabs at 1050
    logger.OnActivate();
    host.RunUntil(60000);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_FALSE(logger.IsReadoutRunning());
    EXPECT_FALSE(host.busy);
}

// A device that goes away mid read-out: the read-out ends with the whole
// records that came and says so once; the record the line cut ("-1,47" of
// "-1,473 kN") is none, and the silence that follows is no complete
// read-out. The watch tick notices it before the silence does.
TEST_F(Logger, LostPortEndsTheReadoutWithTheWholeRecordsAndSaysSo)
{
    Start();
    host.Deliver(50, "H\x03" "AUTO    10 sec  \r\n"s + kRec1);
    host.Deliver(150, kRec2 + "-1,47");
    host.RunUntil(200);
    host.online = false;
    host.RunUntil(60000);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0], std::make_pair(500u, std::to_string(LoggerText::kPortLost)));
    EXPECT_EQ(logger.GetRecordText().str(), kRec1 + kRec2);
    EXPECT_FALSE(logger.IsReadoutRunning());
    EXPECT_FALSE(host.busy);
    EXPECT_TRUE(host.readButton);
}

// A stream that names no mode (junk, a wrong baud rate) is no read-out: it
// ends with a word once its first bytes held no mode line, with or without
// an ETX, and shows the same whichever way the bytes were cut. A mode line
// that ends right at the bound still counts; a record the line went quiet
// in is left out, and said.
TEST(LoggerBound, StreamWithoutAModeLineEndsAtTheBound)
{
    const size_t bound = CLoggerReadout::kModeLineBound;
    const std::string head = "\r\nHead\x03", mode = "HAND    \r\n";
    auto junkThenMode = [&](size_t late) {
        return head + std::string(bound - head.size() - mode.size() - 2 + late, 'j') + "\r\n" + mode + kRec1;
    };
    std::string lines = head, noEtx;
    while (lines.size() < bound + 100) {
        lines += "x7#q,. 0815 Zz\r\n";
        noEtx += "~\xF0\r\n~\xF0\r\n~\xF0\r\n~\xF0\r\n";
    }
    const std::string found = "HAND    |" + kRec1 + "|" + std::to_string(LoggerText::kLastRecordCut);
    const std::string notFound = "|" + std::to_string(LoggerText::kNoModeLine);
    for (const auto& [stream, ending] : {std::pair{junkThenMode(0), found}, {junkThenMode(1), notFound},
                                         {lines, notFound}, {noEtx, notFound}}) {
        std::string whole;
        for (size_t chunk : {stream.size(), size_t{1}, size_t{13}}) {
            FakeLoggerHost h;
            CLoggerReadout l{h};
            h.onTimer = [&l](UINT id) { l.OnLoggerTimer(id); };
            h.onData = [&l](int n) { l.OnDataReceived(n); };
            l.StartLoggerReadout();
            for (size_t i = 0; i < stream.size(); i += chunk)
                h.Hand(stream.substr(i, chunk));
            h.Hand(std::string(5000, 'z')); // the flood goes on
            h.RunUntil(60000);
            EXPECT_FALSE(l.IsReadoutRunning()) << chunk;
            std::string outcome = l.GetModeText().str() + '|' + l.GetRecordText().str();
            for (const auto& box : h.boxes)
                outcome += '|' + box.second;
            if (whole.empty())
                whole = outcome;
            EXPECT_TRUE(outcome == whole) << chunk;
        }
        EXPECT_TRUE(whole.ends_with(ending)) << whole.substr(whole.size() - std::min<size_t>(whole.size(), 40));
        EXPECT_EQ(whole[0] == '|', ending == notFound) << "a mode only where one came";
    }
}

// A record stream that never goes quiet ends at the answer's bound as the
// give-up ends a read-out: the box (the read-out over before it shows:
// bytes keep coming behind it), the whole records within the bound shown
// (the one the bound cut is none), nothing more taken or held, the read
// button back; the same whatever the chunks.
TEST(LoggerBound, EndlessRecordsEndAtTheAnswersBound)
{
    const std::string head = "\r\nHead\x03" "AUTO    10 sec  \r\n";
    std::string stream = head;
    while (stream.size() <= static_cast<size_t>(CLoggerReadout::kAnswerBound))
        stream += stream.size() % 3 ? kRec1 : kRec2;
    const std::string within = stream.substr(0, CLoggerReadout::kAnswerBound);
    const std::string expected = within.substr(head.size(), within.rfind("\r\n") + 2 - head.size());
    ASSERT_NE(within.size(), head.size() + expected.size()) << "the bound must cut a record";
    for (size_t chunk : {size_t{4096}, size_t{2879}}) {
        FakeLoggerHost h;
        CLoggerReadout l{h};
        h.onTimer = [&l](UINT id) { l.OnLoggerTimer(id); };
        h.onData = [&l](int n) { l.OnDataReceived(n); };
        h.onBox = [&] {
            EXPECT_EQ(l.GetHandler(), CLoggerReadout::Handler::Idle);
            EXPECT_TRUE(h.readButton);
            EXPECT_FALSE(h.busy);
            EXPECT_TRUE(l.GetRecordText().str() == expected);
        };
        l.StartLoggerReadout();
        UINT t = 10;
        for (size_t at = 0; at < stream.size(); at += chunk, t += 100)
            h.Deliver(t, stream.substr(at, chunk));
        h.RunUntil(t);
        ASSERT_FALSE(l.IsReadoutRunning()) << chunk;
        ASSERT_EQ(h.boxes.size(), 1u) << chunk;
        EXPECT_EQ(h.boxes[0].second, LoggerText::kGiveUp);
        // The device goes on: nothing of it is kept, no second box comes.
        h.Deliver(t + 10, kRec1 + kRec2);
        h.RunUntil(t + 60000);
        EXPECT_TRUE(h.receive.IsEmpty());
        EXPECT_EQ(h.boxes.size(), 1u);
        EXPECT_EQ(l.GetRecordText().GetLength(), static_cast<int>(expected.size()));
    }
}
