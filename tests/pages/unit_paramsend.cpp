#include "app/DeviceCommands.h"
#include "pages/ParameterSend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace {

using Action = ParameterReadAction;

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

struct BcdCase {
    const char* text;
    int high, low, code;
};

TEST(ParameterNominalBcd, DigitsAndDecimalsCode)
{
    // ",1234" encodes as 1234 with code 0; the send check refuses it (below).
    const BcdCase cases[] = {
        {"500", 0x05, 0x00, 4},   {"12,5", 0x01, 0x25, 3}, {"5,25", 0x05, 0x25, 2},
        {"01234", 0x12, 0x34, 0}, {",5", 0x00, 0x05, 3},   {",1234", 0x12, 0x34, 0},
        {"9999", 0x99, 0x99, 4},  {" 7 ", 0x00, 0x07, 4},  {"1,5", 0x00, 0x15, 3},
        {"0,500", 0x05, 0x00, 1}, {"12.5", 0x01, 0x25, 3},
    };
    for (const BcdCase& c : cases) {
        BYTE high = 0xFF, low = 0xFF;
        const int code = ParameterNominalToBcd(c.text, high, low);
        EXPECT_EQ(high, c.high) << c.text;
        EXPECT_EQ(low, c.low) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
    }
}

ParameterRowRecord SampleRecord()
{
    ParameterRowRecord rec;
    rec.typeCode = 0x50;
    rec.decimalsCode = 2; // as read: the send takes the code of the new text
    rec.raw0 = 0x03E8;
    rec.raw100 = 0x7531;
    rec.factoryFirst = 0x1234;
    rec.factorySecond = 0x0010;
    return rec;
}

TEST(ParameterRowText, ByteLayoutWithPaddingAndZeroBytes)
{
    const CString text = ParameterRowText("AB", "12,5", "Nm", SampleRecord());
    const std::string expected = std::string("AB      ") + Bytes({0x01, 0x25}) + "Nm " + Bytes({0x53}) +
                                 Bytes({0x03, 0xE8, 0x75, 0x31, 0x12, 0x34, 0x00, 0x10});
    EXPECT_EQ(text.str(), expected);
    EXPECT_EQ(text.GetLength(), 22);
}

TEST(ParameterRowText, LongTextsAreCutAndUnknownTypeKeepsItsCode)
{
    ParameterRowRecord rec;
    rec.typeCode = 0xB0; // no type text: factory words stay 0
    const CString text = ParameterRowText("ABCDEFGHI", "500", "kNmX", rec);
    EXPECT_EQ(text.str().substr(0, 8), "ABCDEFGH");
    EXPECT_EQ(text.str().substr(10, 3), "kNm");
    EXPECT_EQ(static_cast<BYTE>(text[13]), 0xB4);
    EXPECT_EQ(text.str().substr(14), std::string(8, '\0'));
}

TEST(ParameterRowText, WorkedFrameOfRowOneByteForByte)
{
    // "Sensor1", "12,5", "Nm", type 0x50, 0 % = 1000, 100 % = 30000, PASSIV
    // words 4661 (first) and 4660 (second).
    ParameterRowRecord rec;
    rec.typeCode = 0x50;
    rec.raw0 = 1000;
    rec.raw100 = 30000;
    rec.factoryFirst = 4661;
    rec.factorySecond = 4660;
    const CString frame = BuildRowFrame(0, ParameterRowText("Sensor1", "12,5", "Nm", rec));
    const std::string expected = Bytes({0x65, 0x01, 0x53, 0x65, 0x6e, 0x73, 0x6f, 0x72, 0x31, 0x20, 0x01, 0x25, 0x4e,
                                        0x6d, 0x20, 0x53, 0x03, 0xe8, 0x75, 0x30, 0x12, 0x35, 0x12, 0x34, 0x3c, 0xb4});
    EXPECT_EQ(frame.str(), expected);
}

TEST(ParameterRowText, FrameCarriesRowNumberTextAndSum)
{
    const CString text = ParameterRowText("Kraft", "9999", "kN", SampleRecord());
    const CString frame = BuildRowFrame(6, text);
    ASSERT_EQ(frame.GetLength(), 26);
    EXPECT_EQ(frame[0], 'e');
    EXPECT_EQ(frame[1], 7);
    EXPECT_EQ(frame.Mid(2, 22), text);
    int sum = 0;
    for (int i = 0; i < 22; ++i)
        sum += static_cast<BYTE>(text[i]);
    EXPECT_EQ(static_cast<BYTE>(frame[24]), sum & 0xFF);
}

class ParameterSendCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int r = 0; r < kParameterRows; ++r)
            rows[r] = {"Sens", "500", "Nm", "", "", ""};
    }
    ParameterRowTexts rows[kParameterRows];
};

TEST_F(ParameterSendCheckTest, OnlyValuesTheDeviceGivesBackUnchangedPass)
{
    for (const char* good : {"9999", "500", "12,5", "5,25", "01234", ",5", "0,500", "5,", "12.5", " 7 ", "0"}) {
        rows[1].nominal = good;
        EXPECT_EQ(CheckParameterRows(rows), ParameterSendCheck::Ok) << good;
    }
    // Four digits at most; each of these would reach the device as another
    // number: 1234 for 0,1234, 12 for 12,5, a nibble 0xD for '-'.
    for (const char* bad : {"10000", "9999.5", "999,55", ",1234", "0012,5", "1,2,3", "1.2,3", "-5", "abc", "1 2",
                            ",", " ", "12,5kN"}) {
        rows[1].nominal = bad;
        EXPECT_EQ(CheckParameterRows(rows), ParameterSendCheck::Range) << bad;
    }
}

TEST_F(ParameterSendCheckTest, EmptyFieldsAreFoundOnlyWhenInRange)
{
    rows[6].unit = "";
    EXPECT_EQ(CheckParameterRows(rows), ParameterSendCheck::Empty);
    rows[3].nominal = "10000";
    EXPECT_EQ(CheckParameterRows(rows), ParameterSendCheck::Range);
    rows[3].nominal = "";
    rows[6].unit = "Nm";
    EXPECT_EQ(CheckParameterRows(rows), ParameterSendCheck::Empty);
}

TEST_F(ParameterSendCheckTest, FailedCheckSendsNothingAndRefreshes)
{
    ParameterRowRecord records[kParameterRows];
    rows[0].nominal = "10000";
    rows[1].name = "";
    const auto range = ParameterSendActions(rows, records);
    ASSERT_EQ(range.size(), 2u);
    EXPECT_EQ(range[0].kind, Action::MessageBox);
    EXPECT_EQ(range[0].bytes, "Check Input Range.");
    EXPECT_EQ(range[1].kind, Action::RefreshPage);

    rows[0].nominal = "1";
    const auto empty = ParameterSendActions(rows, records);
    ASSERT_EQ(empty.size(), 2u);
    EXPECT_EQ(empty[0].bytes, "Check Input of empty strings.");
}

TEST_F(ParameterSendCheckTest, TenFramesEachFollowedByAWait)
{
    ParameterRowRecord records[kParameterRows];
    const auto actions = ParameterSendActions(rows, records);
    ASSERT_EQ(actions.size(), 22u);
    EXPECT_EQ(actions.front().kind, Action::HideButtons);
    EXPECT_EQ(actions.back().kind, Action::EndSend);
    for (int r = 0; r < kParameterRows; ++r) {
        const Action& frame = actions[1 + 2 * r];
        ASSERT_EQ(frame.kind, Action::WriteRow);
        EXPECT_EQ(frame.id, static_cast<UINT>(r + 1));
        EXPECT_EQ(frame.bytes, BuildRowFrame(r, ParameterRowText("Sens", "500", "Nm", records[r])));
        EXPECT_EQ(actions[2 + 2 * r], (Action{Action::Sleep, CString(), 0, 250}));
    }
}

// ---- The whole send: pre-read, timer 6666, frames ----

CString FakeText(UINT id) { return id == 5128 ? CString("PAS_oKON") : CString(); }

CString Record(int row)
{
    CString r;
    r.Format("Dev%02d   ", row);
    r += CString("\x02\x50", 2); // 0250
    r += CString("kN", 2) + CString('\0');
    r += static_cast<char>(0x52);
    r += CString("\x00\x64\x27\x10", 4);
    const CheckBytes cb = TextCheckBytes(r);
    return r + static_cast<char>(cb.s1) + static_cast<char>(cb.s2);
}

const CString kWordsAnswer("\x12\x35\x12\x34\x00\x20\x00\x01\x00\x00\x30\x00\x00\x10\x00\x00", 16);

class ParameterSendTest : public ::testing::Test {
protected:
    void Run(const CParameterRead::Actions& actions)
    {
        for (const Action& a : actions) {
            switch (a.kind) {
            case Action::PageSend:
            case Action::DirectSend: writes.push_back(a.bytes.str()); break;
            case Action::SetTimer: due[a.id] = now + a.ms; break;
            case Action::KillTimer: due.erase(a.id); break;
            case Action::Sleep: now += a.ms; break;
            case Action::MessageBox: boxes.push_back(a.bytes.str()); break;
            case Action::StartSend: Run(m.SendButton()); break;
            case Action::RefreshPage: ++refreshes; break;
            case Action::WriteRow:
                writes.push_back(a.bytes.str());
                m.RowWritten(static_cast<int>(a.id), true);
                break;
            case Action::EndSend: Run(m.SendEnded(true)); break;
            default: break;
            }
        }
    }
    void Advance(long ms)
    {
        const long end = now + ms;
        for (;;) {
            auto next = std::min_element(due.begin(), due.end(),
                                         [](auto& a, auto& b) { return a.second < b.second; });
            if (next == due.end() || next->second > end)
                break;
            now = std::max(now, next->second);
            const UINT id = next->first;
            Run(m.OnTimer(id));
        }
        now = std::max(now, end);
    }
    // Plays the device for a read (the base a send stands on) or the pre-read,
    // up to (not including) the answer of row `last`.
    void PreReadUpTo(int last, bool preRead = true)
    {
        Run(preRead ? m.SendButton() : m.StartRead());
        Advance(250);
        Run(m.OnBytes("VX35 H2 105\r\n"));
        Run(m.OnBytes(kWordsAnswer));
        for (int r = 1; r < last; ++r) {
            Run(m.OnBytes(Record(r)));
            Advance(CParameterRead::kSettleMs); // the quiet time that closes a record
        }
    }
    void ReadFirst() { PreReadUpTo(11, false); }
    std::vector<std::string> Frames() const
    {
        std::vector<std::string> out;
        for (const std::string& w : writes)
            if (!w.empty() && w[0] == 'e')
                out.push_back(w);
        return out;
    }

    CParameterRead m{FakeText};
    std::vector<std::string> writes, boxes;
    std::map<UINT, long> due;
    long now = 0;
    int refreshes = 0;
};

TEST_F(ParameterSendTest, PreReadKeepsEditsAndSendsDeviceValuesWithThem)
{
    ReadFirst();
    for (int r = 0; r < kParameterRows; ++r)
        m.Row(r) = {"User", "12,5", "Nm", "", "", ""};
    PreReadUpTo(11);
    EXPECT_TRUE(m.SendPending());
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(m.Row(0).name, "User");
    EXPECT_EQ(m.PreRead(0).name.Left(5), "Dev01");
    EXPECT_EQ(m.Row(0).type, "PAS_oKON[80]");

    const long before = now;
    Advance(200);
    EXPECT_FALSE(m.SendPending());
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 10u);
    EXPECT_EQ(now - before, 200 + 10 * 250);
    for (int r = 0; r < kParameterRows; ++r) {
        ParameterRowRecord rec;
        rec.typeCode = 0x50;
        rec.raw0 = 0x0064;
        rec.raw100 = 0x2710;
        rec.factoryFirst = 0x1235; // PASSIV pair of 'W'
        rec.factorySecond = 0x1234;
        EXPECT_EQ(frames[r], BuildRowFrame(r, ParameterRowText("User", "12,5", "Nm", rec)).str()) << r;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ParameterSendTest, OutOfRangeAfterPreReadWritesNothing)
{
    ReadFirst();
    for (int r = 0; r < kParameterRows; ++r)
        m.Row(r) = {"User", "500", "Nm", "", "", ""};
    m.Row(4).nominal = "10000";
    PreReadUpTo(11);
    Advance(200);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(boxes, std::vector<std::string>{"Check Input Range."});
    EXPECT_FALSE(m.SendPending());
}

// Nothing is written, and the form stays as it was: the user's edits over
// the read they were made on, not half of a newer one.
TEST_F(ParameterSendTest, PreReadThatStopsShortNeverWritesAndLeavesTheFormAsItWas)
{
    ReadFirst();
    for (int r = 0; r < kParameterRows; ++r)
        m.Row(r) = {"User", "500", "Nm", "T", "1", "2"};
    PreReadUpTo(6);
    Advance(20000);
    EXPECT_TRUE(Frames().empty());
    EXPECT_FALSE(m.SendPending());
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(m.Row(0).name, "User");
    EXPECT_EQ(m.Row(0).type, "T");
    EXPECT_EQ(m.Row(4).p100, "2");
    EXPECT_EQ(m.Record(0).raw100, 0x2710);
    EXPECT_EQ(m.VersionText(), "VX35 H2 105");
    // An activation in between drops the pending send as well.
    PreReadUpTo(11);
    Run(m.Activate());
    Advance(1000);
    EXPECT_TRUE(Frames().empty());
}

} // namespace
