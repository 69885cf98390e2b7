#include "pages/ParameterRead.h"

#include "app/DeviceCommands.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Action = ParameterReadAction;

CString FakeText(UINT id)
{
    static const std::map<UINT, const char*> texts = {
        {5128, "PAS_oKON"}, {6128, "PASnCON"}, {5129, "STROM"}, {5198, "Zeitueberschreitung Kanal"},
        {6198, "Timeout Channel"}, {5182, "pre-read lost"}, {5210, "read lost"}, {5211, "differs"},
        {5212, "sent %1, not %2"}, {5213, "lost before"}, {5214, "lost after"}, {5215, "left"},
    };
    auto it = texts.find(id);
    return it == texts.end() ? CString() : CString(it->second);
}

CString Record(int row, BYTE type = 0x52)
{
    CString r;
    r.Format("Sens%02d  ", row);
    r += static_cast<char>(0x05);
    r += static_cast<char>(((row / 10) << 4) | (row % 10));
    r += CString("Nm", 2) + CString('\0');
    r += static_cast<char>(type);
    r += static_cast<char>(0x03);
    r += static_cast<char>(0xE8);
    r += static_cast<char>(0x75);
    r += static_cast<char>(0x30 + row);
    const CheckBytes cb = TextCheckBytes(r);
    return r + static_cast<char>(cb.s1) + static_cast<char>(cb.s2);
}

const CString kWordsAnswer("\x12\x35\x12\x34\x00\x20\x00\x01\x00\x00\x30\x00\x00\x10\x00\x00", 16);

std::string Req(int row) { return std::string("f") + static_cast<char>(row); }

// Carries out the machine's actions against a manual clock and a recording port.
struct ParameterReadRig {
    void Perform(const CParameterRead::Actions& actions)
    {
        for (const Action& a : actions) {
            switch (a.kind) {
            case Action::PageSend: wire += a.bytes.str(); break;
            case Action::DirectSend: wire += a.bytes.str(); break;
            case Action::SetTimer: due[a.id] = now + a.ms; break;
            case Action::KillTimer: due.erase(a.id); break;
            case Action::Sleep: now += a.ms; break;
            case Action::EmptyReceiveText: ++empties; break;
            case Action::UpdateForm: ++updates; break;
            case Action::HideButtons: buttonsHidden = true; break;
            case Action::RefreshPage:
                buttonsHidden = m.IsRunning();
                ++refreshes;
                break;
            case Action::MessageBox: boxes.push_back(a.bytes.str()); break;
            case Action::StartSend:
                ++sendsStarted;
                Perform(m.SendButton());
                break;
            case Action::WriteRow: {
                const bool ok = !m.SendBroken() && (failFromRow == 0 || static_cast<int>(a.id) < failFromRow);
                if (ok)
                    wire += a.bytes.str().substr(0, 2);
                m.RowWritten(static_cast<int>(a.id), ok);
                break;
            }
            case Action::EndSend: Perform(m.SendEnded(online)); break;
            }
        }
    }
    void Advance(long ms)
    {
        const long end = now + ms;
        for (;;) {
            auto next = due.end();
            for (auto it = due.begin(); it != due.end(); ++it)
                if (it->second <= end && (next == due.end() || it->second < next->second))
                    next = it;
            if (next == due.end())
                break;
            now = std::max(now, next->second);
            Perform(m.OnTimer(next->first));
        }
        now = std::max(now, end);
    }
    void Feed(const CString& bytes) { Perform(m.OnBytes(bytes)); }
    // The quiet time that closes a row record.
    void Settle() { Advance(CParameterRead::kSettleMs); }
    // Feeds in pieces of at most n bytes.
    void FeedPieces(const CString& bytes, int n)
    {
        for (int i = 0; i < bytes.GetLength(); i += n)
            Feed(bytes.Mid(i, n));
    }
    std::string Take()
    {
        std::string w = wire;
        wire.clear();
        return w;
    }
    // From the read button (or the send's) to the request of row 1.
    void ReadUpToRow1(const CString& version = "VX35 H2 105\r\n", int piece = 1000, bool preRead = false,
                      const CString& words = kWordsAnswer)
    {
        Perform(preRead ? m.StartPreRead() : m.StartRead());
        EXPECT_EQ(Take(), "nnnnn");
        Advance(250);
        EXPECT_EQ(Take(), "V");
        FeedPieces(version, piece);
        EXPECT_EQ(Take(), "W");
        FeedPieces(words, piece);
        EXPECT_EQ(Take(), Req(1));
    }
    void ReadRows(int from, int to, int piece = 1000)
    {
        for (int r = from; r <= to; ++r) {
            FeedPieces(Record(r), piece);
            Settle();
            EXPECT_EQ(Take(), r < 10 ? Req(r + 1) : "") << r;
        }
    }

    CParameterRead m{FakeText};
    std::string wire;
    std::map<UINT, long> due;
    long now = 0;
    int empties = 0, updates = 0, refreshes = 0, sendsStarted = 0;
    bool buttonsHidden = false;
    int failFromRow = 0; // the port refuses the frames from this row on
    bool online = true;
    std::vector<std::string> boxes;
};

class ParameterReadTest : public ::testing::Test, public ParameterReadRig {};

TEST_F(ParameterReadTest, FullReadFillsTheForm)
{
    ReadUpToRow1();
    EXPECT_TRUE(buttonsHidden);
    EXPECT_EQ(m.VersionText(), "VX35 H2 105");
    EXPECT_EQ(m.FactoryWordText(kPassivFirst), "4661");
    EXPECT_EQ(m.FactoryWordText(kStromSecond), "16");
    ReadRows(1, 10);
    EXPECT_EQ(m.PrintAllowed(), 1);
    EXPECT_EQ(m.CurrentHandler(), CParameterRead::Handler::Ignore);
    EXPECT_FALSE(buttonsHidden);
    EXPECT_EQ(updates, 10);
    EXPECT_TRUE(due.empty());
    for (int r = 1; r <= 10; ++r) {
        const ParameterRowTexts& t = m.Row(r - 1);
        CString name;
        name.Format("Sens%02d  ", r);
        EXPECT_EQ(t.name, name);
        EXPECT_EQ(t.unit, "Nm");
        EXPECT_EQ(t.type, "PAS_oKON[80]");
        EXPECT_EQ(t.p0, "1000");
        EXPECT_EQ(m.Record(r - 1).raw100, 0x7530 + r);
        EXPECT_EQ(m.Record(r - 1).factoryFirst, 4661);
    }
    EXPECT_EQ(m.Row(0).nominal, "05,01");
    EXPECT_EQ(m.Row(9).nominal, "05,10");
    // Late bytes after the read are dropped.
    Feed(Record(1));
    EXPECT_EQ(Take(), "");
}

TEST_F(ParameterReadTest, VersionWithoutCodeSkipsTheFactoryWords)
{
    Perform(m.StartRead());
    Advance(250);
    Take();
    Feed("VX35 105\r\n");
    EXPECT_EQ(Take(), Req(1));
    EXPECT_EQ(m.FactoryWordText(kAktivFirst), "na");
    ReadRows(1, 10);
    EXPECT_EQ(m.Record(0).factoryFirst, 0); // no words read
}

TEST_F(ParameterReadTest, AnswersInPiecesGiveTheSameTable)
{
    ReadUpToRow1("VX35 H2 105\r\n", 7);
    EXPECT_EQ(m.VersionText(), "VX35 H2 105");
    ReadRows(1, 10, 7);
    EXPECT_EQ(m.PrintAllowed(), 1);
    EXPECT_EQ(m.Row(4).name, "Sens05  ");
    EXPECT_EQ(m.Row(9).p100, "30010");
}

TEST_F(ParameterReadTest, IncompleteAnswersWaitForMoreBytes)
{
    Perform(m.StartRead());
    Advance(250);
    Take();
    // A version answer still missing its line end is decided after silence.
    Feed("VX35 H2");
    EXPECT_EQ(Take(), "");
    Advance(250);
    EXPECT_EQ(Take(), "W");
    EXPECT_EQ(m.VersionText(), "VX35 H2");
    // 15 bytes of 'W' wait; the 16th decodes.
    Feed(kWordsAnswer.Left(15));
    EXPECT_EQ(Take(), "");
    Feed(kWordsAnswer.Mid(15));
    EXPECT_EQ(Take(), Req(1));
    // A record split over two chunks decodes once, without a second request.
    Feed(Record(1).Left(11));
    EXPECT_EQ(Take(), "");
    Advance(900);
    Feed(Record(1).Mid(11));
    Settle();
    EXPECT_EQ(Take(), Req(2));
    EXPECT_EQ(m.Row(0).name, "Sens01  ");
    // Leading junk: the last 20 bytes count.
    Feed(CString("junk!") + Record(2));
    Settle();
    EXPECT_EQ(Take(), Req(3));
    EXPECT_EQ(m.Row(1).name, "Sens02  ");
    EXPECT_TRUE(boxes.empty());
}

// A late CR LF (or any few stray bytes) before each record: the table is
// the same whether a record comes whole or cut anywhere.
TEST(ParameterReadCuts, StrayBytesBeforeRecordsGiveTheSameTableForEveryCut)
{
    auto readAll = [](const CString& lead, int cut) {
        ParameterReadRig t;
        t.ReadUpToRow1();
        for (int r = 1; r <= 10; ++r) {
            const CString answer = lead + Record(r);
            if (cut > 0 && cut < answer.GetLength()) {
                t.Feed(answer.Left(cut));
                t.Feed(answer.Mid(cut));
            } else {
                t.Feed(answer);
            }
            t.Settle();
        }
        std::string table;
        for (int i = 0; i < kParameterRows; ++i)
            table += (t.m.Row(i).name + t.m.Row(i).nominal + t.m.Row(i).p100 + "|").str();
        EXPECT_EQ(t.m.PrintAllowed(), 1);
        return table;
    };
    const std::string whole = readAll("\r\n", 0);
    EXPECT_EQ(whole.substr(0, 19), "Sens01  05,0130001|");
    for (const CString& lead : {CString("\r\n"), CString("\n"), CString("x\r\n!")})
        for (int cut = 1; cut < 24; ++cut)
            EXPECT_EQ(readAll(lead, cut), whole) << "cut " << cut << " lead " << lead.GetLength();
}

// The version's line end closes it in any chunk; what follows is the start
// of the next answer. A record is its last 20 bytes once the line went
// quiet: stray bytes before it are dropped, and its bytes 18-19 are not
// read, whatever the device puts there (a check pair, a word, zeros).
TEST_F(ParameterReadTest, AnswersAreTakenByTheirLayoutNotByTheirChunks)
{
    Perform(m.StartRead());
    Advance(250);
    Take();
    Feed(CString("VX35 H2 105\r\n") + kWordsAnswer.Left(10));
    EXPECT_EQ(Take(), "W");
    EXPECT_EQ(m.VersionText(), "VX35 H2 105");
    Feed(kWordsAnswer.Mid(10) + CString("\r\n"));
    EXPECT_EQ(Take(), Req(1));
    EXPECT_EQ(m.FactoryWordText(kStromSecond), "16");

    Feed(Record(1).Left(18) + CString("\0\0", 2));
    EXPECT_EQ(Take(), "");
    Settle();
    EXPECT_EQ(Take(), Req(2));
    EXPECT_EQ(m.Row(0).name, "Sens01  ");
    EXPECT_EQ(m.Row(0).p100, "30001");
}

// A slow device's home-key display lines arrive after 'V': they are not
// the version, however the line cuts them. Once the version is decided the
// device's lines are answers: twenty bytes and quiet after 'f' are the row,
// whatever they hold.
TEST(ParameterReadLateKeys, DisplayLinesBeforeTheVersionAreNoAnswers)
{
    for (int piece : {1, 3, 1000}) {
        ParameterReadRig t;
        t.Perform(t.m.StartRead());
        t.Advance(250);
        t.Take();
        t.FeedPieces("MESSEN  \r\nSETUP   \r\nMESSEN  \r\n\r\nVX35 H2 105\r\n", piece);
        EXPECT_EQ(t.m.VersionText(), "VX35 H2 105") << piece;
        EXPECT_EQ(t.Take(), "W") << piece;
        t.FeedPieces(kWordsAnswer, piece);
        t.Take();
        t.Feed("MESSEN  \r\nMESSEN  \r\n");
        t.Settle();
        EXPECT_EQ(t.Take(), Req(2)) << piece;
        EXPECT_EQ(t.m.Row(0).name, "MESSEN  ") << piece;
        t.ReadRows(2, 10, piece);
        EXPECT_EQ(t.m.Row(1).name, "Sens02  ") << piece;
        EXPECT_EQ(t.m.Row(9).p100, "30010") << piece;
    }
}

// A row that is not whole in time ends the read at once: asking again could
// take the late answer for the next row's. The rows read stay, the rows
// not read are emptied, and the late record is no answer.
TEST_F(ParameterReadTest, RowNotWholeInTimeEndsTheReadAndEmptiesTheRowsNotRead)
{
    m.SetLanguageOffset(1000);
    for (int r = 0; r < kParameterRows; ++r)
        m.Row(r) = {"old", "1", "N", "T", "0", "1"};
    ReadUpToRow1();
    ReadRows(1, 6);
    Feed(Record(7).Left(12));
    Advance(999);
    EXPECT_TRUE(boxes.empty());
    Advance(1);
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(boxes, std::vector<std::string>{"Timeout Channel 1"});
    EXPECT_EQ(m.Row(5).name, "Sens06  ");
    for (int r = 6; r < kParameterRows; ++r)
        EXPECT_TRUE(m.Row(r).name.IsEmpty() && m.Row(r).type.IsEmpty() && m.Row(r).p100.IsEmpty()) << r;
    EXPECT_FALSE(m.IsRunning() || m.ReadComplete() || m.HoldsTable() || buttonsHidden);
    EXPECT_TRUE(due.empty());
    Feed(Record(7));
    Advance(5000);
    EXPECT_EQ(Take(), "");
    EXPECT_TRUE(m.Row(6).name.IsEmpty());
}

TEST_F(ParameterReadTest, VersionTimeoutEndsTheReadAndALateAnswerIsNoAnswer)
{
    m.SetLanguageOffset(1000);
    Perform(m.StartRead());
    Advance(250);
    Take();
    Advance(999);
    EXPECT_TRUE(boxes.empty());
    Advance(1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Timeout Channel 1");
    EXPECT_FALSE(buttonsHidden);
    Feed("VX35 H2 105\r\n");
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(m.VersionText(), "na");
}

TEST_F(ParameterReadTest, PartialVersionAnswerTimesOut)
{
    Perform(m.StartRead());
    Advance(250);
    Take();
    Feed("VX3");
    Advance(1000);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Zeitueberschreitung Kanal 1");
    EXPECT_EQ(m.CurrentHandler(), CParameterRead::Handler::Ignore);
    Feed("5 H2 105\r\n");
    EXPECT_EQ(Take(), "");
}

TEST_F(ParameterReadTest, ActivationAbandonsARead)
{
    ReadUpToRow1();
    Feed(Record(1).Left(5));
    Perform(m.Activate());
    EXPECT_EQ(Take(), "nnnnn");
    EXPECT_TRUE(due.empty());
    Feed(Record(1));
    Advance(5000);
    EXPECT_EQ(Take(), "");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ParameterReadTest, PreReadKeepsTheUsersTextsAndStartsTheSend)
{
    ReadUpToRow1();
    ReadRows(1, 10);
    for (int i = 0; i < kParameterRows; ++i) {
        m.Row(i).name = "mine";
        m.Row(i).nominal = "12,5";
        m.Row(i).unit = "kg";
        m.Row(i).type = "";
    }
    ReadUpToRow1("VX35 H2 105\r\n", 1000, true);
    ReadRows(1, 10);
    EXPECT_EQ(m.Row(3).name, "mine");
    EXPECT_EQ(m.Row(3).nominal, "12,5");
    EXPECT_EQ(m.PreRead(3).name, "Sens04  ");
    EXPECT_EQ(m.Row(3).type, "PAS_oKON[80]");
    EXPECT_EQ(m.Row(3).p100, "30004");
    EXPECT_TRUE(m.SendPending());
    EXPECT_TRUE(m.ReadIntoForm());
    EXPECT_EQ(sendsStarted, 0);
    Advance(200);
    EXPECT_EQ(sendsStarted, 1);
}

TEST_F(ParameterReadTest, AbandonedPreReadDoesNotTurnTheNextReadIntoASend)
{
    Perform(m.StartPreRead());
    Advance(250);
    Perform(m.Activate());
    Take();
    ReadUpToRow1();
    ReadRows(1, 10);
    Advance(1000);
    EXPECT_EQ(sendsStarted, 0);
    EXPECT_FALSE(m.SendPending());
    EXPECT_EQ(m.Row(0).name, "Sens01  ");
}

// 'W' has no check of its own: one stray byte before it shifts all six
// words, which the send would write into every row. It writes only over a
// pre-read that agrees with the read in version and words; otherwise
// nothing, the form as it was, and a word why.
TEST_F(ParameterReadTest, PreReadThatDisagreesWithTheReadWritesNothing)
{
    ReadUpToRow1();
    ReadRows(1, 10);
    m.Row(0).name = "mine";
    for (const auto& [version, words] : {std::pair{CString("VX35 H2 105\r\n"), CString("~") + kWordsAnswer},
                                         std::pair{CString("VX35 H2 106\r\n"), kWordsAnswer}}) {
        ReadUpToRow1(version, 1000, true, words);
        ReadRows(1, 10);
        Advance(1000);
        EXPECT_EQ(sendsStarted, 0);
        EXPECT_EQ(boxes.back(), "differs");
        EXPECT_EQ(m.VersionText() + m.FactoryWordText(kPassivFirst) + m.Row(0).name, "VX35 H2 1054661mine");
        EXPECT_TRUE(m.ReadComplete() && !m.IsRunning());
    }
    ReadUpToRow1("VX35 H2 105\r\n", 1000, true);
    ReadRows(1, 10);
    Advance(200);
    EXPECT_EQ(sendsStarted, 1);
}

// A failed read leaves one read on the page: ended before its first row,
// the page as it was (edits, version, words, File items); ended later, its
// own rows only, and "na" for words this device was not asked for.
TEST_F(ParameterReadTest, FailedReadLeavesOneReadOnThePage)
{
    ReadUpToRow1();
    ReadRows(1, 10);
    m.Row(2).name = "edited";
    Perform(m.StartRead());
    Advance(250);
    Feed("VX35 H3 107\r\n");
    Advance(1000); // no 'W' answer
    EXPECT_EQ(m.Row(2).name + m.Row(9).p100 + m.VersionText() + m.FactoryWordText(kStromSecond),
              "edited30010VX35 H2 10516");
    EXPECT_TRUE(m.HoldsTable() && m.ReadComplete() && m.PrintAllowed());

    Perform(m.StartRead());
    Advance(250);
    Feed("VX35 107\r\n");
    Take();
    ReadRows(1, 3);
    Advance(1000); // no row 4
    EXPECT_EQ(m.VersionText() + m.FactoryWordText(kPassivFirst) + m.Row(2).name + m.Row(3).name, "VX35 107naSens03  ");
    EXPECT_EQ(m.Record(2).factoryFirst, 0);
    EXPECT_FALSE(m.HoldsTable() || m.ReadComplete());
}

// Display lines that keep coming after 'V' hold the page no longer than
// the version stage's cap; then it ends as on a time-out.
TEST_F(ParameterReadTest, VersionStageIsCappedWhileLinesKeepComing)
{
    Perform(m.StartRead());
    Advance(250);
    for (int i = 0; i < 25 && boxes.empty(); ++i) {
        Feed("MESSEN  \r\n");
        Advance(200);
    }
    EXPECT_EQ(boxes, std::vector<std::string>{"Zeitueberschreitung Kanal 1"});
    EXPECT_LE(now, 250 + CParameterRead::kVersionCapMs);
    EXPECT_FALSE(m.IsRunning() || buttonsHidden);
}

// A send cut at the port names the rows that went out before it and sends
// none after a refused frame; a send dropped by leaving the page says so; a
// plain read cut by a lost port claims nothing about writing.
TEST(ParameterCutShort, EachEndSaysWhatDidNotHappen)
{
    auto run = [](bool send, int rows, auto end) {
        ParameterReadRig t;
        t.ReadUpToRow1();
        t.ReadRows(1, 10);
        t.ReadUpToRow1("VX35 H2 105\r\n", 1000, send);
        t.ReadRows(1, rows);
        end(t);
        t.Advance(5000);
        EXPECT_FALSE(t.m.IsRunning());
        return t.Take() + "|" + (t.boxes.empty() ? "" : t.boxes.back());
    };
    auto sendWith = [](int failFrom, bool online) {
        return [=](ParameterReadRig& t) {
            t.failFromRow = failFrom;
            t.online = online;
        };
    };
    EXPECT_EQ(run(true, 10, sendWith(4, false)), "e\x01" "e\x02" "e\x03|sent 1-3, not 4-10");
    EXPECT_EQ(run(true, 10, sendWith(2, false)), "e\x01|sent 1, not 2-10");
    EXPECT_EQ(run(true, 10, sendWith(1, false)), "|lost before");
    EXPECT_EQ(run(true, 10, sendWith(0, false)).substr(20), "|lost after");
    EXPECT_EQ(run(true, 10, sendWith(0, true)).substr(20), "|");
    // The port reports a device gone with the last frame a little later.
    EXPECT_EQ(run(true, 10, [](ParameterReadRig& t) {
                  t.Advance(CParameterRead::kSendMs);
                  t.Perform(t.m.PortLost());
              }).substr(20), "|lost after");
    auto lost = [](ParameterReadRig& t) { t.Perform(t.m.PortLost()); };
    auto left = [](ParameterReadRig& t) { t.Perform(t.m.Abandon()); };
    EXPECT_EQ(run(false, 4, lost), "|read lost");
    EXPECT_EQ(run(true, 4, lost), "|pre-read lost");
    EXPECT_EQ(run(true, 10, lost), "|lost before"); // the send was due
    EXPECT_EQ(run(false, 4, left), "|");
    EXPECT_EQ(run(true, 4, left), "|left");
}

} // namespace
