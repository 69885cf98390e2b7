#include "sim/SimHost.h"
#include "sim/Vx35Device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace vx35sim;

namespace {

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

class DeviceTest : public ::testing::Test {
protected:
    ManualClock clock{1000};

    // Sends bytes, lets the answer delay pass and returns everything written.
    static Bytes Ask(Vx35Device& d, ManualClock& c, std::string_view bytes, int waitMs = 50)
    {
        d.receive(bytes);
        c.advance(waitMs);
        return d.pollBytes();
    }
    Bytes ask(Vx35Device& d, std::string_view bytes, int waitMs = 50) { return Ask(d, clock, bytes, waitMs); }

    // Home, then ENTER onto the measuring screen; its echo is drained and
    // no value is due yet.
    void startMeasuring(Vx35Device& d)
    {
        ask(d, "nnnnn");
        d.receive("k");
        clock.advance(5);
        d.pollBytes();
    }

    Bytes rowFrame(int row, const SensorRow& text, int corruptS2 = 0)
    {
        Bytes f(2 + text.size());
        f[0] = 'e';
        f[1] = static_cast<std::uint8_t>(row);
        std::copy(text.begin(), text.end(), f.begin() + 2);
        const auto c = TextCheckBytes(text.data(), text.size());
        f.push_back(c[0]);
        f.push_back(static_cast<std::uint8_t>(c[1] + corruptS2));
        return f;
    }
    Bytes dateFrame(std::string_view text, int corrupt = 0)
    {
        Bytes f(2 + text.size());
        f[0] = 'a';
        std::copy(text.begin(), text.end(), f.begin() + 2);
        const auto c = TextCheckBytes(f.data() + 2, text.size());
        f.push_back(static_cast<std::uint8_t>(c[0] + corrupt));
        f.push_back(c[1]);
        return f;
    }
    std::string send(Vx35Device& d, const Bytes& b, int waitMs = 50)
    {
        d.receive(b);
        clock.advance(waitMs);
        return Str(d.pollBytes());
    }
};

TEST(CheckBytes, GoldenPairs)
{
    auto pair = [](Bytes b) {
        const auto c = TextCheckBytes(b.data(), b.size());
        return (c[0] << 8) | c[1];
    };
    EXPECT_EQ(pair(B("abc")), 0x264B);
    EXPECT_EQ(pair({}), 0x0000);
    EXPECT_EQ(pair({0x80, 0x00}), 0x8001);
    EXPECT_EQ(pair({0xFF}), 0xFFFF);
    EXPECT_EQ(pair({0xFF, 0x00}), 0xFFFF);
    EXPECT_EQ(pair(B("01.03.09 08:05:03")), 0x4D2C);
}

TEST(CivilClock, RoundTripsAcrossLeapDaysAndCenturies)
{
    for (CivilTime t : {CivilTime{2000, 2, 29, 23, 59, 59}, CivilTime{1970, 1, 1, 0, 0, 0},
                        CivilTime{2099, 12, 31, 12, 0, 1}, CivilTime{2100, 3, 1, 0, 0, 0}}) {
        EXPECT_EQ(FromEpochSeconds(ToEpochSeconds(t)), t);
    }
    EXPECT_EQ(ToEpochSeconds({2000, 3, 1, 0, 0, 0}) - ToEpochSeconds({2000, 2, 28, 0, 0, 0}), 2 * 86400);
    EXPECT_EQ(ToEpochSeconds({1970, 1, 2, 0, 0, 0}), 86400);
}

TEST_F(DeviceTest, AnswersByteForByte)
{
    Vx35Device d(clock);
    // Sensor parameters: name, BCD nominal, unit, type/decimals, binary points, CR LF.
    const Bytes c = ask(d, "C");
    const Bytes expectC{0x53, 0x49, 0x4D, 0x53, 0x45, 0x4E, 0x53, 0x31, 0x50, 0x00,
                        0x6B, 0x4E, 0x20, 0x01, 0x00, 0x00, 0x4E, 0x20, 0x0D, 0x0A};
    EXPECT_EQ(c, expectC);
    EXPECT_EQ(ask(d, "E"), (Bytes{0x45, 0x4C, 0x02, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x0D, 0x0A}));
    EXPECT_EQ(Str(ask(d, "V")), "VX35 H2 105\r\n");
    EXPECT_EQ(ask(d, "W"), (Bytes{0x12, 0x35, 0x12, 0x34, 0x00, 0x20, 0x00, 0x01, 0x00, 0x00, 0x30, 0x00,
                                  0x00, 0x10, 0x00, 0x00}));
    EXPECT_EQ(Str(ask(d, "d")), "\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1\x03");
    EXPECT_EQ(Str(ask(d, "D")), "VX35 STATUS OK\r\n");
    // The clock ran 300 ms during the six requests above: still 08:05:03.
    EXPECT_EQ(Str(ask(d, "b")), "01.03.09  08:05:03\r\n");

    // A record: the row's first 18 bytes and the check pair over them.
    const Bytes f = ask(d, std::string_view("f\x01", 2));
    ASSERT_EQ(f.size(), 20u);
    EXPECT_TRUE(std::equal(f.begin(), f.begin() + 18, expectC.begin()));
    const auto chk = TextCheckBytes(f.data(), 18);
    EXPECT_EQ(f[18], chk[0]);
    EXPECT_EQ(f[19], chk[1]);
    // Nothing answers the buttons' commands or a record number outside 1..10.
    EXPECT_TRUE(ask(d, "34567").empty());
    EXPECT_TRUE(ask(d, std::string_view("f\x00", 2)).empty());
    EXPECT_TRUE(ask(d, "f\x0B").empty());
}

TEST_F(DeviceTest, ConfigurationShapesTheAnswers)
{
    DeviceConfig cfg;
    cfg.sampleMode = 12;
    cfg.autoRate = 5;
    cfg.model = "";
    Vx35Device d(clock, cfg);
    const Bytes e = ask(d, "E");
    EXPECT_EQ(e[4], 12);
    EXPECT_EQ(e[5], 5);
    // No model code: the last five characters still carry the version.
    EXPECT_EQ(Str(ask(d, "V")), "VX35 105\r\n");
    d.config().model = "H1";
    EXPECT_EQ(Str(ask(d, "V")), "VX35 H1 105\r\n");

    // Types 3 and 7 give both points in BCD, 2, 6 and 9 only the 100 % point;
    // the record request always sends them binary.
    d.config().activeRow = 4;
    d.config().rows[4] = MakeSensorRow("BCD", 100, "N", 0x32, 1234, 30000);
    Bytes c = ask(d, "C");
    EXPECT_EQ(Bytes(c.begin() + 14, c.begin() + 18), (Bytes{0x12, 0x34, 0x00, 0x00}));
    d.config().rows[4][13] = 0x92;
    c = ask(d, "C");
    EXPECT_EQ(Bytes(c.begin() + 14, c.begin() + 18), (Bytes{0x04, 0xD2, 0x00, 0x00}));
    const Bytes rec = ask(d, "f\x05");
    EXPECT_EQ(Bytes(rec.begin() + 14, rec.begin() + 18), (Bytes{0x04, 0xD2, 0x75, 0x30}));
}

TEST_F(DeviceTest, ParsesFramesByLengthNotByLetters)
{
    Vx35Device d(clock);
    // A row text full of command letters and zero bytes, fed in odd pieces.
    SensorRow text = MakeSensorRow("VCEnkdfA", 1234, "Vb\0", 0x50, 0x4356, 0x0A6E, 0x6600, 0x4100);
    text[10] = 'V';
    text[12] = 0x00;
    const Bytes frame = rowFrame(3, text);
    for (std::size_t i = 0; i < frame.size(); i += 4) {
        const std::size_t n = std::min<std::size_t>(4, frame.size() - i);
        d.receive(frame.data() + i, n);
        clock.advance(20);
        EXPECT_TRUE(d.pollBytes().empty()) << "answered inside the frame at byte " << i;
    }
    EXPECT_EQ(d.row(2), text);
    EXPECT_EQ(d.droppedFrames(), 0);
    EXPECT_EQ(d.display(), "MESSEN  "); // no key inside the frame reached the menu

    // The record request's number byte may be a letter too.
    const std::string rec = Str(ask(d, "f\x03"));
    ASSERT_EQ(rec.size(), 20u);
    EXPECT_EQ(rec.substr(0, 8), "VCEnkdfA");
    EXPECT_TRUE(ask(d, "fV").empty()); // record 0x56 does not exist, and 'V' was its number

    // The header runs to the first ETX whatever it holds.
    EXPECT_TRUE(ask(d, std::string_view("cLine VCE\r\nfnk\0x\x03", 17)).empty());
    EXPECT_EQ(d.header(), std::string("Line VCE\r\nfnk\0x", 15));
    EXPECT_EQ(Str(ask(d, "d")), std::string("\r\nLine VCE\r\nfnk\0x\x03", 18));
}

TEST_F(DeviceTest, DropsFramesWithWrongCheckBytesAndStaysInStep)
{
    Vx35Device d(clock);
    const SensorRow before = d.row(0);
    const SensorRow text = MakeSensorRow("NEWNAME", 12, "Nm", 0x53, 1000, 30000);
    Bytes frame = rowFrame(1, text, /*corruptS2=*/1);
    frame.push_back('V'); // the next command after the bad frame is still seen
    EXPECT_EQ(send(d, frame), "VX35 H2 105\r\n");
    EXPECT_EQ(d.droppedFrames(), 1);
    EXPECT_EQ(d.row(0), before);

    // Row numbers outside 1..10 are dropped as well.
    EXPECT_EQ(send(d, rowFrame(11, text)), "");
    EXPECT_EQ(d.droppedFrames(), 2);
    EXPECT_EQ(send(d, rowFrame(10, text)), "");
    EXPECT_EQ(d.row(9), text);

    // Date frames: a wrong check byte or an impossible date leave the clock alone.
    EXPECT_EQ(send(d, dateFrame("24.12.26 18:30:00", 1)), "");
    EXPECT_EQ(send(d, dateFrame("30.02.26 18:30:00")), "");
    EXPECT_EQ(d.droppedFrames(), 4);
    EXPECT_EQ(d.deviceTime().year, 2009);
    EXPECT_EQ(send(d, dateFrame("24.12.26 23:59:58")), "");
    clock.advance(2500);
    EXPECT_EQ(send(d, B("b")), "25.12.26  00:00:00\r\n");
}

TEST_F(DeviceTest, KeysEchoTheirDisplayAndFiveEscapesReachHome)
{
    Vx35Device d(clock);
    // Each key answers with 8 display characters and CR LF.
    EXPECT_EQ(Str(ask(d, "nnnnn")).size(), 50u);

    struct Sequence {
        const char* keys;
        const char* display;
    };
    // The control page's sequences after its five ESC keys.
    const Sequence seqs[] = {
        {"lkk", "DEUTSCH "},        {"lklkk", "VX35 H2 "},       {"lkllkk", " 115200 "},
        {"lkllklk", "PC      "},    {"lklllkk", "10 ms   "},      {"lklllklk", "  1     "},
        {"lkllllllkk", "LOGG aus"}, {"lklllllllkkl", "01.03.09"}, {"lklllllllklkl", "08:05:"},
        {"lkllllkmklllkmmmklllkk", "NEIN    "},
    };
    for (const Sequence& s : seqs) {
        ask(d, "nnnnn");
        const std::string out = Str(ask(d, s.keys));
        ASSERT_EQ(out.size(), 10 * std::string(s.keys).size()) << s.keys;
        EXPECT_EQ(out.substr(out.size() - 10, std::string(s.display).size()), s.display) << s.keys;
        EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    }
    // From the deepest point five ESC land on the home menu's first item.
    EXPECT_EQ(Str(ask(d, "nnnnn")).substr(40), "MESSEN  \r\n");
    EXPECT_EQ(Str(ask(d, "l")), "SETUP   \r\n");
}

TEST_F(DeviceTest, MenuChangesSampleModeAndRate)
{
    Vx35Device d(clock);
    ask(d, "nnnnnlkllklk"); // into SCI Mode
    ask(d, "lk");           // next option, HAND, confirmed
    EXPECT_EQ(ask(d, "E")[4], 4);
    ask(d, "nnnnnlklllkkllk"); // Rate, two options on: 1 sec
    EXPECT_EQ(ask(d, "E")[5], 4);
    ask(d, "nnnnnlklllkkl"); // moving through options and leaving with ESC changes nothing
    ask(d, "n");
    EXPECT_EQ(ask(d, "E")[5], 4);
}

TEST_F(DeviceTest, PcModeAnswersEachValueRequestWithAFrame)
{
    DeviceConfig cfg;
    cfg.signal = [](std::int64_t ms) { return ms < 2000 ? -2 : 0x1234; };
    Vx35Device d(clock, cfg);
    EXPECT_TRUE(ask(d, "0").empty()); // not measuring yet
    ask(d, "nnnnnkk");
    EXPECT_TRUE(d.measuring());
    EXPECT_EQ(ask(d, "0"), (Bytes{0xFF, 0xFE, 0x0D, 0x0A}));
    clock.advance(2000);
    EXPECT_EQ(ask(d, "000"), (Bytes{0x12, 0x34, 0x0D, 0x0A, 0x12, 0x34, 0x0D, 0x0A, 0x12, 0x34, 0x0D, 0x0A}));
    // The keys on the measuring screen do not echo: the line carries values only.
    EXPECT_TRUE(ask(d, "klm").empty());
    // ESC ends measuring with the lone CR LF end mark; '0' is then unanswered.
    EXPECT_EQ(ask(d, "n"), (Bytes{0x0D, 0x0A}));
    EXPECT_FALSE(d.measuring());
    EXPECT_TRUE(ask(d, "0").empty());
}

TEST_F(DeviceTest, AutoStreamsAreTimedByTheDevice)
{
    DeviceConfig cfg;
    cfg.sampleMode = 8;
    cfg.autoRate = 2;
    cfg.signal = [](std::int64_t) { return 300; };
    Vx35Device d(clock, cfg);
    ask(d, "nnnnn");
    d.receive("k");
    const std::int64_t start = clock.nowMs();
    EXPECT_EQ(d.nextDueMs(), start + 5); // the 'k' echo
    clock.advance(9);
    EXPECT_EQ(Str(d.pollBytes()), "MESSEN  \r\n");
    EXPECT_EQ(d.nextDueMs(), start + 10);
    clock.advance(1);
    std::vector<Write> w = d.poll();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].bytes, (Bytes{0x01, 0x2C, 0x0D, 0x0A}));
    EXPECT_EQ(w[0].dueMs, start + 10);
    clock.advance(990);
    w = d.poll();
    ASSERT_EQ(w.size(), 99u);
    for (std::size_t i = 0; i < w.size(); ++i)
        EXPECT_EQ(w[i].dueMs, start + 20 + 10 * static_cast<std::int64_t>(i));

    // 100 ms: frames; 1 s and slower: 21-byte lines with the value at 0..5.
    d.config().autoRate = 3;
    startMeasuring(d);
    clock.advance(250);
    EXPECT_EQ(d.poll().size(), 2u);
    d.config().autoRate = 4;
    startMeasuring(d);
    clock.advance(3000);
    w = d.poll();
    ASSERT_EQ(w.size(), 3u);
    EXPECT_EQ(Str(w[0].bytes), " 0,300 kN          \r\n");
    EXPECT_EQ(w[2].dueMs - w[1].dueMs, 1000);

    // A rate the device does not know sends nothing at all.
    d.config().autoRate = 9;
    startMeasuring(d);
    clock.advance(100000);
    EXPECT_TRUE(d.poll().empty());
    EXPECT_FALSE(d.nextDueMs().has_value());
}

TEST_F(DeviceTest, HandAndTriggerValuesComeOnDemand)
{
    DeviceConfig cfg;
    cfg.sampleMode = 4;
    cfg.signal = [](std::int64_t) { return -1234; };
    Vx35Device d(clock, cfg);
    d.trigger(); // not measuring: nothing
    ask(d, "nnnnnk");
    clock.advance(5000);
    EXPECT_TRUE(d.pollBytes().empty());
    // ENTER on the measuring screen takes a manual value, with the device time.
    EXPECT_EQ(Str(ask(d, "k")), "-1,234 kN  08:05:08\r\n");
    d.trigger();
    EXPECT_EQ(Str(d.pollBytes()).size(), 21u);

    d.config().sampleMode = 16;
    d.trigger();
    EXPECT_EQ(d.pollBytes(), (Bytes{0xFB, 0x2E, 0x0D, 0x0A}));
    d.config().sampleMode = 8;
    d.trigger();
    EXPECT_TRUE(d.pollBytes().empty());
}

TEST(ValueText, FitsSixCharactersForEveryDecimalsCode)
{
    ManualClock clock;
    DeviceConfig cfg;
    Vx35Device d(clock, cfg);
    auto text = [&](int code, int raw) {
        d.config().rows[0][13] = static_cast<std::uint8_t>(code);
        return d.valueText(raw);
    };
    EXPECT_EQ(text(1, 1234), " 1,234");
    EXPECT_EQ(text(1, -5), "-0,005");
    EXPECT_EQ(text(2, 12), "  0,12");
    EXPECT_EQ(text(3, -12), "  -1,2");
    EXPECT_EQ(text(0, -32768), "-32768");
    EXPECT_EQ(text(7, 42), "    42");
    // Too wide for six characters: the sign's leading zero goes, else the value saturates.
    EXPECT_EQ(text(4, -1234), "-,1234");
    EXPECT_EQ(text(4, 32767), "3,2767");
    EXPECT_EQ(text(1, -32768), "-9,999");
}

TEST_F(DeviceTest, LoggerReadOutComesInChunksThenSilence)
{
    DeviceConfig cfg;
    cfg.logger.modeLine = "HAND    ";
    cfg.logger.records.assign(20, " 12,34 Nm  08:05:03");
    cfg.loggerChunkLines = 8;
    Vx35Device d(clock, cfg);
    d.receive("A");
    clock.advance(10000);
    const std::vector<Write> w = d.poll();
    ASSERT_EQ(w.size(), 5u); // header, mode line, 8 + 8 + 4 records
    EXPECT_EQ(Str(w[0].bytes), "\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1\x03");
    EXPECT_EQ(Str(w[1].bytes), "HAND    \r\n");
    EXPECT_EQ(w[2].bytes.size(), 8u * 21u);
    EXPECT_EQ(w[4].bytes.size(), 4u * 21u);
    for (std::size_t i = 1; i < w.size(); ++i)
        EXPECT_LT(w[i].dueMs - w[i - 1].dueMs, 500);
    EXPECT_FALSE(d.nextDueMs().has_value());
}

TEST_F(DeviceTest, FaultSwitches)
{
    DeviceConfig cfg;
    cfg.faults.answerDelayMs = 300;
    Vx35Device d(clock, cfg);
    d.receive("V");
    clock.advance(299);
    EXPECT_TRUE(d.poll().empty());
    clock.advance(1);
    EXPECT_EQ(d.poll().size(), 1u);

    // Later answers never overtake earlier ones.
    d.receive("C");
    d.config().faults.answerDelayMs = 0;
    d.receive("E");
    clock.advance(300);
    const std::vector<Write> order = d.poll();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0].bytes.size(), 20u);
    EXPECT_EQ(order[1].bytes.size(), 12u);

    auto& f = d.config().faults;
    f.silent = {'V'};
    EXPECT_TRUE(ask(d, "V").empty());
    f.silent.clear();

    f.splitBytes = 3;
    f.splitGapMs = 10;
    d.receive("C");
    clock.advance(100);
    const std::vector<Write> pieces = d.poll();
    ASSERT_EQ(pieces.size(), 7u);
    EXPECT_EQ(pieces[6].bytes.size(), 2u);
    EXPECT_EQ(pieces[1].dueMs - pieces[0].dueMs, 10);
    f.splitOnly = {'f'};
    EXPECT_EQ(d.poll().size(), 0u);
    d.receive("C");
    clock.advance(10);
    EXPECT_EQ(d.poll().size(), 1u);
    f.splitBytes = 0;

    f.leadingJunk = {0x55, 0xAA, 0x00, 0x01, 0x02};
    EXPECT_EQ(ask(d, std::string_view("f\x02", 2)).size(), 25u);
    f.leadingJunk.clear();

    f.truncate['W'] = 15;
    f.truncateRow[10] = 12;
    EXPECT_EQ(ask(d, "W").size(), 15u);
    EXPECT_EQ(ask(d, "f\x0A").size(), 12u);
    EXPECT_EQ(ask(d, "f\x09").size(), 20u);
}

TEST_F(DeviceTest, StreamFaultsAndLeavingTheLine)
{
    DeviceConfig cfg;
    cfg.signal = [](std::int64_t) { return 1; };
    cfg.faults.streamGarbage = {0x0D, 0x33};
    cfg.faults.garbageEvery = 2;
    cfg.faults.endMarkAfterValues = 3;
    cfg.faults.vanishOn = 'X';
    Vx35Device d(clock, cfg);
    ask(d, "nnnnnkk");
    EXPECT_EQ(ask(d, "0000"), (Bytes{0x00, 0x01, 0x0D, 0x0A, 0x0D, 0x33, 0x00, 0x01, 0x0D, 0x0A, 0x00, 0x01,
                                     0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x33, 0x00, 0x01, 0x0D, 0x0A}));
    d.receive("0X0");
    EXPECT_TRUE(d.vanished());
    clock.advance(100);
    EXPECT_TRUE(d.poll().empty()); // even the answer queued before it is gone
    EXPECT_TRUE(ask(d, "V").empty());
}

// The trial switches: junk before chosen answers from the n-th on, a
// record without a check pair, leaving the line on the n-th letter or in
// the middle of an answer; all reachable from the command line.
TEST_F(DeviceTest, TrialSwitchesFromTheCommandLine)
{
    HostOptions o;
    ASSERT_EQ(ParseOptions({"--junk", "7E,0", "--junk-on", "W", "--junk-after", "1", "--record-tail", "zero",
                            "--vanish-on", "e:3", "--split-gap=40"},
                           o),
              std::nullopt);
    EXPECT_EQ(o.device.faults.splitGapMs, 40);
    Vx35Device d(clock, o.device);
    EXPECT_EQ(ask(d, "W").size(), 16u);     // the first 'W' answer is clean
    const Bytes w = ask(d, "W");             // the second carries the junk
    ASSERT_EQ(w.size(), 18u);
    EXPECT_EQ(w[0], 0x7E);
    EXPECT_EQ(w[1], 0x00);
    EXPECT_EQ(ask(d, "V").size(), ask(d, "V").size()); // other answers untouched
    const Bytes rec = ask(d, std::string_view("f\x01", 2));
    ASSERT_EQ(rec.size(), 20u);
    EXPECT_EQ(rec[18], 0);
    EXPECT_EQ(rec[19], 0);
    const SensorRow row = d.row(0);
    send(d, rowFrame(1, row));
    send(d, rowFrame(2, row));
    EXPECT_FALSE(d.vanished());
    d.receive(rowFrame(3, row));
    EXPECT_TRUE(d.vanished());

    HostOptions cut;
    ASSERT_EQ(ParseOptions({"--cut", "A:20", "--record-tail", "row"}, cut), std::nullopt);
    cut.device.logger.modeLine = "ZYKLISCH";
    cut.device.logger.records = {"01.03.09 08:05:03 1,234 kN", "01.03.09 08:05:04 1,235 kN"};
    Vx35Device c(clock, cut.device);
    EXPECT_EQ(Ask(c, clock, std::string_view("f\x01", 2)).size(), 20u);
    EXPECT_EQ(Ask(c, clock, "A", 2000).size(), 20u);
    EXPECT_TRUE(c.vanished());

    for (std::vector<std::string> bad : {std::vector<std::string>{"--junk", "7G"},
                                         std::vector<std::string>{"--cut", "A"},
                                         std::vector<std::string>{"--vanish-on", "ee"},
                                         std::vector<std::string>{"--record-tail", "crc"}}) {
        HostOptions h;
        EXPECT_NE(ParseOptions(bad, h), std::nullopt) << bad[0];
    }
}

// The shape switches change only what they name; the sensor type takes the
// points' encoding with it, and the row's own record reports the same type.
TEST_F(DeviceTest, AnswerShapeSwitches)
{
    HostOptions o;
    ASSERT_EQ(ParseOptions({"--sensor-type", "20", "--sensor-tail", "check", "--status-tail", "zero",
                            "--header-lead", "none", "--trail", "d:0D,0A", "--trail", "C:7E@20"},
                           o),
              std::nullopt);
    Vx35Device d(clock, o.device);
    d.receive("C");
    clock.advance(10);
    const Bytes c = d.pollBytes();
    ASSERT_EQ(c.size(), 20u); // sent at 5 ms; the trail comes on its own 20 ms later
    clock.advance(14);
    EXPECT_TRUE(d.poll().empty());
    clock.advance(1);
    EXPECT_EQ(d.pollBytes(), (Bytes{0x7E}));
    const auto chk = TextCheckBytes(c.data(), 18);
    // Type 2 keeps decimals code 1 and sends 20000 as BCD 0000; the check pair covers what was sent.
    EXPECT_EQ(Bytes(c.begin() + 13, c.end()), (Bytes{0x21, 0x00, 0x00, 0x00, 0x00, chk[0], chk[1]}));
    EXPECT_EQ(ask(d, "f\x01")[13], 0x21);
    const Bytes e = ask(d, "E");
    EXPECT_EQ(Bytes(e.begin() + 10, e.end()), (Bytes{0x00, 0x00}));
    d.receive("d");
    clock.advance(50);
    const std::vector<Write> w = d.poll();
    ASSERT_EQ(w.size(), 1u); // the trail goes out with the answer, not after it
    EXPECT_EQ(Str(w[0].bytes), "VX35 SIMULATOR\r\nPRUEFSTAND 1\x03\r\n");

    // A type above 9 sends binary points.
    ASSERT_EQ(ParseOptions({"--sensor-type=a0"}, o), std::nullopt);
    EXPECT_EQ(o.device.rows[0][13], 0xA1);
    Vx35Device a(clock, o.device);
    EXPECT_EQ(ask(a, "C")[17], 0x20);

    const std::vector<std::vector<std::string>> bad = {
        {"--sensor-type", "A1"}, {"--sensor-type", "100"}, {"--sensor-type", "G0"},      {"--sensor-tail", "lf"},
        {"--status-tail", "x"},  {"--header-lead", "lf"},  {"--trail", "d:0D,,0A"}, {"--trail", "d0D"},
        {"--trail", "C:7E@x"},   {"--sensor-points", "5000"}, {"--sensor-points", "0,70000"}, {"--sensor-name", "NINECHARS"},
        {"--sensor-unit", "kNm2"},   {"--logger-endless", "-1"}};
    for (const auto& args : bad) {
        HostOptions h;
        EXPECT_NE(ParseOptions(args, h), std::nullopt) << args[0] << ' ' << args[1];
    }
}

TEST_F(DeviceTest, EndlessLoggerKeepsComingUntilAByteArrives)
{
    DeviceConfig cfg;
    cfg.logger.modeLine = "HAND    ";
    cfg.logger.records = {"R0", "R1", "R2", "R3", "R4"};
    cfg.loggerChunkLines = 3;
    cfg.faults.loggerEndlessMs = 250;
    Vx35Device d(clock, cfg);
    EXPECT_EQ(Str(ask(d, "A", 200)), "\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1\x03HAND    \r\n");
    // One chunk per period, the records cycling across chunk borders.
    for (const char* chunk : {"R0\r\nR1\r\nR2\r\n", "R3\r\nR4\r\nR0\r\n", "R1\r\nR2\r\nR3\r\n"}) {
        ASSERT_TRUE(d.nextDueMs().has_value());
        EXPECT_GT(*d.nextDueMs(), clock.nowMs());
        clock.set(*d.nextDueMs());
        EXPECT_EQ(Str(d.pollBytes()), chunk);
    }

    // At 0 ms everything is due at once: hours of it never pile up beyond
    // the bound, and the records stay whole and in turn.
    d.config().faults.loggerEndlessMs = 0;
    std::size_t next = 4, total = 0;
    for (int i = 0; i < 40; ++i) {
        clock.advance(600000);
        const std::string out = Str(d.pollBytes());
        ASSERT_GT(out.size(), 0u);
        ASSERT_LE(out.size(), Vx35Device::kLoggerAheadBytes + 12);
        for (std::size_t at = 0; at < out.size(); at += 4, next = (next + 1) % 5)
            ASSERT_EQ(out.substr(at, 4), "R" + std::to_string(next) + "\r\n") << total + at;
        total += out.size();
        EXPECT_LE(*d.nextDueMs(), clock.nowMs());
    }
    EXPECT_GT(total, 40 * Vx35Device::kLoggerAheadBytes);

    // The byte that stops it is not answered; what was due before it still goes out.
    clock.advance(1);
    d.receive("V");
    EXPECT_GT(d.pollBytes().size(), 0u);
    clock.advance(600000);
    EXPECT_TRUE(d.pollBytes().empty());
    EXPECT_FALSE(d.nextDueMs().has_value());
    EXPECT_EQ(Str(ask(d, "V")), "VX35 H2 105\r\n");

    // Cut inside the endless records: the device leaves after exactly that many bytes.
    cfg.faults.cutAnswerOf = 'A';
    cfg.faults.cutAt = 31 + 10 + 7;
    Vx35Device c(clock, cfg);
    EXPECT_EQ(Str(Ask(c, clock, "A", 2000)), "\r\nVX35 SIMULATOR\r\nPRUEFSTAND 1\x03HAND    \r\nR0\r\nR1\r");
    EXPECT_TRUE(c.vanished());
}

} // namespace
