#pragma once

#include "sim/Clock.h"
#include "sim/DeviceMenu.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vx35sim {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kCR = 0x0D;
constexpr std::uint8_t kLF = 0x0A;
constexpr std::uint8_t kETX = 0x03;

// Check pair of the framed text transfers: s1 sums modulo 256, s2 sums s1
// with end-around carry (an overflow loses 255, not 256).
std::array<std::uint8_t, 2> TextCheckBytes(const std::uint8_t* data, std::size_t n);

struct CivilTime {
    int year = 2009, month = 3, day = 1, hour = 8, minute = 5, second = 3;
    bool operator==(const CivilTime&) const = default;
};

// Seconds since 1970-01-01 00:00:00 of a civil date and time, and back;
// the device clock has no time zone of its own.
std::int64_t ToEpochSeconds(const CivilTime& t);
CivilTime FromEpochSeconds(std::int64_t s);

// One row of the sensor table as the 'e' frame carries it:
// name[8], nominal BCD[2], unit[3], type|decimals, 0 % [2], 100 % [2],
// factory words of the row's kind [4].
using SensorRow = std::array<std::uint8_t, 22>;

SensorRow MakeSensorRow(std::string_view name, int nominal, std::string_view unit,
                        std::uint8_t typeAndDecimals, std::uint16_t zero, std::uint16_t full,
                        std::uint16_t factory1 = 0, std::uint16_t factory2 = 0);

struct LoggerContents {
    std::string modeLine;             // 8 characters, 16 for AUTO
    std::vector<std::string> records; // without their CR LF
};

// Switches that make the device misbehave the way real lines and devices do.
struct Faults {
    int answerDelayMs = 5;           // from the request byte to the first answer byte
    std::set<std::uint8_t> silent;   // command letters that are never answered
    int splitBytes = 0;              // >0: every write goes out in pieces of this size
    int splitGapMs = 10;             // gap between those pieces
    std::set<std::uint8_t> splitOnly; // non-empty: split only answers to these letters
    Bytes leadingJunk;               // sent before every answer
    std::set<std::uint8_t> junkOnly; // non-empty: the junk only before answers to these letters
    int junkAfter = 0;               // the junk only after this many answers it would have preceded
    std::map<std::uint8_t, std::size_t> truncate; // answer of a letter cut to n bytes (not 'A')
    std::map<int, std::size_t> truncateRow;       // 'f' answer of row 1..10 cut to n bytes
    Bytes streamGarbage;             // sent before every garbageEvery-th value
    int garbageEvery = 0;
    int endMarkAfterValues = 0;      // >0: a lone CR LF after this many values, stream goes on
    std::optional<std::uint8_t> vanishOn; // this letter takes the device off the line
    int vanishOnCount = 1;                // ... at its n-th arrival (a frame's start letter counts)
    // The answer to this letter goes out only up to cutAt bytes (all its
    // pieces together), then the device leaves the line.
    std::optional<std::uint8_t> cutAnswerOf;
    std::size_t cutAt = 0;
    // Bytes 18-19 of a row record: a check pair over bytes 0-17, the row's
    // own bytes 18-19 (its first factory word), or zeros.
    enum class RecordTail { CheckPair, RowBytes, Zero } recordTail = RecordTail::CheckPair;
    // Bytes 18-19 of the 'C' answer: CR LF, a check pair over bytes 0-17 as
    // sent, or zeros.
    enum class SensorTail { CrLf, CheckPair, Zero } sensorTail = SensorTail::CrLf;
    // Bytes 10-11 of the 'E' answer: CR LF, or zeros (no line end at all).
    enum class StatusTail { CrLf, Zero } statusTail = StatusTail::CrLf;
    bool headerLead = true; // the 'd' answer opens with CR LF
    // Bytes the device sends after its answer to a letter: in the same write
    // (afterMs < 0), or as a write of their own afterMs after its last piece.
    struct Trail {
        Bytes bytes;
        int afterMs = -1;
    };
    std::map<std::uint8_t, Trail> trails;
    // Set: the logger read-out never ends. After header and mode line comes
    // a chunk of loggerChunkLines records every loggerEndlessMs ms (0: as fast
    // as the line takes them), cycling through the records, until any byte
    // arrives; that byte only stops the transfer.
    std::optional<int> loggerEndlessMs;
};

struct DeviceConfig {
    int sampleMode = 0; // 'E' byte 4: 0 PC, 4 HAND, 8 AUTO, 12/16/20 TRIGGER(2,3)
    int autoRate = 2;   // 'E' byte 5: 2 10 ms ... 8 1 h
    int rateCode = 2;   // 'E' byte 2
    std::string model = "H2";
    std::string firmware = "105";
    std::string statusText = "VX35 STATUS OK\r\n";
    std::string header = "VX35 SIMULATOR\r\nPRUEFSTAND 1";
    std::array<SensorRow, 10> rows;
    int activeRow = 0; // the row whose sensor the 'C' answer describes
    std::array<std::uint16_t, 6> factoryWords{4661, 4660, 8192, 256, 12288, 16};
    CivilTime startTime;
    LoggerContents logger;
    int loggerChunkLines = 8;
    int loggerChunkGapMs = 100;
    // Raw int16 reading at a device time in ms; a slow sine by default.
    std::function<int(std::int64_t)> signal;
    Faults faults;

    DeviceConfig();
};

// One write on the line: the bytes go out together, not before dueMs.
struct Write {
    std::int64_t dueMs = 0;
    Bytes bytes;
    bool leaveAfter = false; // the device leaves the line once this went out
};

class Vx35Device {
public:
    // An endless logger read-out is produced only this far ahead of the
    // line (plus one chunk), however long it runs.
    static constexpr std::size_t kLoggerAheadBytes = 64 * 1024;

    explicit Vx35Device(const Clock& clock, DeviceConfig config = DeviceConfig());

    // Bytes from the PC, parsed as one stream across calls.
    void receive(const std::uint8_t* data, std::size_t n);
    void receive(std::string_view bytes);
    void receive(const Bytes& bytes) { receive(bytes.data(), bytes.size()); }

    // Writes that are due now, oldest first; also produces the device-paced
    // stream up to now.
    std::vector<Write> poll();
    Bytes pollBytes(); // the same, joined
    // When the next write becomes due (a stream value included); nothing
    // pending and no stream: empty.
    std::optional<std::int64_t> nextDueMs() const;

    // The device's own key or trigger input: one value in HAND and TRIGGER
    // modes while measuring, nothing otherwise.
    void trigger();

    bool measuring() const { return menu_.measuring(); }
    std::string display() const;
    const SensorRow& row(int index) const { return config_.rows.at(index); }
    const std::string& header() const { return config_.header; }
    CivilTime deviceTime() const;
    int droppedFrames() const { return dropped_; }
    bool vanished() const { return vanished_; }
    int valuesSent() const { return values_; }
    int sampleMode() const { return config_.sampleMode; }
    int autoRate() const { return config_.autoRate; }

    // Fault switches and settings may change between calls.
    DeviceConfig& config() { return config_; }
    const DeviceConfig& config() const { return config_; }

    // Raw reading now, and its texts as the device writes them.
    int reading() const;
    std::string valueText(int raw) const; // 6 characters, ',' as decimal mark
    std::string unit() const;             // 3 characters of the active row

    // Period of the device-paced stream, 0 when the device does not pace.
    std::int64_t streamPeriodMs() const;
    bool streamsFrames() const; // frames (true) or text lines (false) in the current mode

private:
    enum class Frame { None, Date, Header, Row, Record };

    void onByte(std::uint8_t b);
    void onCommand(std::uint8_t cmd);
    void onFrameDone();
    void onKey(std::uint8_t key);
    void answer(std::uint8_t cmd, Bytes bytes, int arg = 0);
    void queue(std::int64_t due, Bytes bytes, bool splittable);
    void addJunk(std::uint8_t cmd, Bytes& bytes);
    void cutAnswer(std::uint8_t cmd, std::vector<Bytes>& pieces);
    void catchUpStream(std::int64_t now);
    void emitValue(std::int64_t at);
    Bytes frameBytes(int raw) const;
    Bytes lineBytes(int raw, bool withTime) const;
    Bytes sensorAnswer() const;
    Bytes statusLongAnswer() const;
    Bytes factoryWordsAnswer() const;
    Bytes recordAnswer(int rowNumber) const;
    std::vector<Bytes> loggerChunks(bool withRecords) const;
    Bytes loggerLines(std::size_t first, std::size_t count) const; // cycling through the records
    void catchUpLogger(std::int64_t now);
    std::string dateText(bool doubleBlank) const;
    void beginMeasuring();
    void endMeasuring();
    std::int64_t deviceSeconds() const;

    const Clock& clock_;
    DeviceConfig config_;
    DeviceMenu menu_;
    std::deque<Write> out_;
    std::int64_t lastDue_ = 0;
    Frame frame_ = Frame::None;
    std::size_t frameNeed_ = 0;
    Bytes frameBuf_;
    std::int64_t timeBaseSeconds_ = 0; // device clock at timeBaseMs_
    std::int64_t timeBaseMs_ = 0;
    std::int64_t nextValueMs_ = 0;
    std::int64_t streamPeriod_ = 0;
    std::int64_t measureStartMs_ = 0;
    std::int64_t originMs_ = 0; // the signal's time zero
    int values_ = 0;
    int dropped_ = 0;
    bool vanished_ = false;
    int vanishSeen_ = 0;
    int junkSeen_ = 0;
    bool cutDone_ = false;
    // The endless logger read-out while it runs.
    bool endless_ = false;
    std::int64_t endlessNextMs_ = 0;
    std::size_t endlessRecord_ = 0;
    std::optional<std::size_t> endlessCutLeft_; // bytes left before a cut 'A' answer leaves the line
};

} // namespace vx35sim
