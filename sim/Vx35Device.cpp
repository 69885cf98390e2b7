#include "sim/Vx35Device.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vx35sim {

namespace {

constexpr std::size_t kMaxHeader = 64 * 1024;

int DecimalsOfCode(int code)
{
    switch (code) {
    case 1: return 3;
    case 2: return 2;
    case 3: return 1;
    case 4: return 4;
    default: return 0;
    }
}

std::string FormatValue6(int raw, int decimals)
{
    for (;;) {
        const bool neg = raw < 0;
        const long mag = std::labs(static_cast<long>(raw));
        std::string digits = std::to_string(mag);
        if (decimals > 0) {
            if (static_cast<int>(digits.size()) <= decimals)
                digits.insert(0, std::string(decimals + 1 - digits.size(), '0'));
            digits.insert(digits.size() - decimals, 1, ',');
        }
        std::string s = (neg ? "-" : "") + digits;
        // The reader takes exactly six characters; a leading zero after the
        // sign is the one character that can go without changing the number.
        if (s.size() > 6 && s.rfind("-0,", 0) == 0)
            s.erase(1, 1);
        if (s.size() <= 6)
            return std::string(6 - s.size(), ' ') + s;
        raw = neg ? -9999 : 9999;
    }
}

void Append(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }

std::int64_t DaysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int DaysInMonth(int y, int m)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

std::optional<CivilTime> ParseDateText(const std::uint8_t* t)
{
    auto two = [&](int pos) -> int {
        if (t[pos] < '0' || t[pos] > '9' || t[pos + 1] < '0' || t[pos + 1] > '9')
            return -1;
        return (t[pos] - '0') * 10 + (t[pos + 1] - '0');
    };
    if (t[2] != '.' || t[5] != '.' || t[8] != ' ' || t[11] != ':' || t[14] != ':')
        return std::nullopt;
    CivilTime c;
    c.day = two(0);
    c.month = two(3);
    const int yy = two(6);
    c.hour = two(9);
    c.minute = two(12);
    c.second = two(15);
    if (c.day < 1 || c.month < 1 || c.month > 12 || yy < 0 || c.hour < 0 || c.hour > 23
        || c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 59)
        return std::nullopt;
    c.year = 2000 + yy;
    if (c.day > DaysInMonth(c.year, c.month))
        return std::nullopt;
    return c;
}

} // namespace

std::array<std::uint8_t, 2> TextCheckBytes(const std::uint8_t* data, std::size_t n)
{
    unsigned s1 = 0, s2 = 0;
    for (std::size_t i = 0; i < n; ++i) {
        s1 = (s1 + data[i]) & 0xFF;
        s2 += s1;
        if (s2 > 0xFF)
            s2 += 1;
        s2 &= 0xFF;
    }
    return {static_cast<std::uint8_t>(s1), static_cast<std::uint8_t>(s2)};
}

std::int64_t ToEpochSeconds(const CivilTime& t)
{
    return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) * 86400
        + t.hour * 3600 + t.minute * 60 + t.second;
}

CivilTime FromEpochSeconds(std::int64_t s)
{
    std::int64_t days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
    std::int64_t secs = s - days * 86400;
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    CivilTime c;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (c.month <= 2));
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

SensorRow MakeSensorRow(std::string_view name, int nominal, std::string_view unit,
                        std::uint8_t typeAndDecimals, std::uint16_t zero, std::uint16_t full,
                        std::uint16_t factory1, std::uint16_t factory2)
{
    SensorRow r{};
    for (int i = 0; i < 8; ++i)
        r[i] = i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[i]) : ' ';
    const int d[4] = {nominal / 1000 % 10, nominal / 100 % 10, nominal / 10 % 10, nominal % 10};
    r[8] = static_cast<std::uint8_t>(d[0] << 4 | d[1]);
    r[9] = static_cast<std::uint8_t>(d[2] << 4 | d[3]);
    for (int i = 0; i < 3; ++i)
        r[10 + i] = i < static_cast<int>(unit.size()) ? static_cast<std::uint8_t>(unit[i]) : ' ';
    r[13] = typeAndDecimals;
    r[14] = zero >> 8;
    r[15] = zero & 0xFF;
    r[16] = full >> 8;
    r[17] = full & 0xFF;
    r[18] = factory1 >> 8;
    r[19] = factory1 & 0xFF;
    r[20] = factory2 >> 8;
    r[21] = factory2 & 0xFF;
    return r;
}

DeviceConfig::DeviceConfig()
{
    rows[0] = MakeSensorRow("SIMSENS1", 5000, "kN ", 0x01, 0, 20000, 8192, 256);
    static const std::uint8_t kTypes[] = {0x00, 0x10, 0x40, 0x50, 0x80};
    for (int i = 1; i < 10; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "SENSOR%02d", i + 1);
        const std::uint8_t type = kTypes[i % 5];
        const bool passive = type == 0x40 || type == 0x50;
        const bool current = type == 0x80;
        const std::uint16_t f1 = current ? 12288 : passive ? 4661 : 8192;
        const std::uint16_t f2 = current ? 16 : passive ? 4660 : 256;
        rows[i] = MakeSensorRow(name, (i + 1) * 100, "Nm ", static_cast<std::uint8_t>(type | 0x02), 1000,
                                30000, f1, f2);
    }
    signal = [](std::int64_t ms) {
        return static_cast<int>(std::lround(1500.0 * std::sin(2.0 * M_PI * static_cast<double>(ms) / 5000.0)));
    };
    logger.modeLine = "AUTO    10 sec  ";
    for (int i = 0; i < 24; ++i)
        logger.records.push_back(FormatValue6(signal(i * 1300 + 400), 3) + " kN  ");
}

Vx35Device::Vx35Device(const Clock& clock, DeviceConfig config)
    : clock_(clock)
    , config_(std::move(config))
    , menu_(config_.model, config_.firmware)
{
    timeBaseMs_ = clock_.nowMs();
    originMs_ = timeBaseMs_;
    lastDue_ = timeBaseMs_;
    timeBaseSeconds_ = ToEpochSeconds(config_.startTime);
    if (config_.sampleMode % 4 == 0 && config_.sampleMode <= 20)
        menu_.setValue(Setting::SampleMode, config_.sampleMode / 4);
    if (config_.autoRate >= 2 && config_.autoRate <= 8)
        menu_.setValue(Setting::AutoRate, config_.autoRate - 2);
}

void Vx35Device::receive(std::string_view bytes)
{
    receive(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

void Vx35Device::receive(const std::uint8_t* data, std::size_t n)
{
    if (vanished_)
        return;
    catchUpStream(clock_.nowMs());
    catchUpLogger(clock_.nowMs());
    for (std::size_t i = 0; i < n && !vanished_; ++i)
        onByte(data[i]);
}

void Vx35Device::onByte(std::uint8_t b)
{
    if (endless_) {
        // A real device stops its transfer on a key; the key does nothing else.
        endless_ = false;
        return;
    }
    if (frame_ == Frame::Header) {
        if (b == kETX) {
            onFrameDone();
        } else if (frameBuf_.size() < kMaxHeader) {
            frameBuf_.push_back(b);
        }
        return;
    }
    if (frame_ != Frame::None) {
        frameBuf_.push_back(b);
        if (frameBuf_.size() == frameNeed_)
            onFrameDone();
        return;
    }
    if (config_.faults.vanishOn && *config_.faults.vanishOn == b
        && ++vanishSeen_ >= std::max(1, config_.faults.vanishOnCount)) {
        vanished_ = true;
        out_.clear();
        return;
    }
    frameBuf_.clear();
    switch (b) {
    case 'a': frame_ = Frame::Date; frameNeed_ = 1 + 17 + 2; break;
    case 'c': frame_ = Frame::Header; break;
    case 'e': frame_ = Frame::Row; frameNeed_ = 1 + 22 + 2; break;
    case 'f': frame_ = Frame::Record; frameNeed_ = 1; break;
    default: onCommand(b); break;
    }
}

void Vx35Device::onFrameDone()
{
    const Frame f = frame_;
    frame_ = Frame::None;
    const Bytes& buf = frameBuf_;
    switch (f) {
    case Frame::Date: {
        const auto check = TextCheckBytes(buf.data() + 1, 17);
        const auto parsed = ParseDateText(buf.data() + 1);
        if (buf[0] != 0x00 || check[0] != buf[18] || check[1] != buf[19] || !parsed) {
            ++dropped_;
            return;
        }
        timeBaseSeconds_ = ToEpochSeconds(*parsed);
        timeBaseMs_ = clock_.nowMs();
        break;
    }
    case Frame::Header:
        config_.header.assign(buf.begin(), buf.end());
        break;
    case Frame::Row: {
        const int row = buf[0];
        const auto check = TextCheckBytes(buf.data() + 1, 22);
        if (row < 1 || row > 10 || check[0] != buf[23] || check[1] != buf[24]) {
            ++dropped_;
            return;
        }
        std::copy(buf.begin() + 1, buf.begin() + 23, config_.rows[row - 1].begin());
        break;
    }
    case Frame::Record: {
        const int row = buf[0];
        if (row >= 1 && row <= 10)
            answer('f', recordAnswer(row), row);
        break;
    }
    case Frame::None: break;
    }
}

void Vx35Device::onCommand(std::uint8_t cmd)
{
    const std::int64_t now = clock_.nowMs();
    switch (cmd) {
    case '0':
        if (measuring() && config_.sampleMode == 0 && !config_.faults.silent.count('0'))
            emitValue(now + config_.faults.answerDelayMs);
        break;
    case 'A': {
        const Faults& f = config_.faults;
        if (f.silent.count('A'))
            break;
        const bool endless = f.loggerEndlessMs && !config_.logger.records.empty();
        std::vector<Bytes> chunks = loggerChunks(!endless);
        addJunk('A', chunks.front());
        const bool cutHere = !cutDone_ && f.cutAnswerOf && *f.cutAnswerOf == 'A';
        std::size_t whole = 0;
        for (const Bytes& c : chunks)
            whole += c.size();
        cutAnswer('A', chunks);
        const bool split = f.splitOnly.empty() || f.splitOnly.count('A');
        std::int64_t due = now + f.answerDelayMs;
        for (Bytes& c : chunks) {
            queue(due, std::move(c), split);
            due = lastDue_ + config_.loggerChunkGapMs;
        }
        endlessCutLeft_.reset();
        if (endless && cutHere && f.cutAt > whole) {
            endlessCutLeft_ = f.cutAt - whole; // the cut falls inside the endless records
        } else if (cutDone_ && !out_.empty()) {
            out_.back().leaveAfter = true;
            break;
        }
        if (endless) {
            endless_ = true;
            endlessRecord_ = 0;
            endlessNextMs_ = lastDue_ + std::max(0, *f.loggerEndlessMs);
        }
        break;
    }
    case 'C': answer(cmd, sensorAnswer()); break;
    case 'D': {
        Bytes b;
        Append(b, config_.statusText);
        answer(cmd, std::move(b));
        break;
    }
    case 'E': answer(cmd, statusLongAnswer()); break;
    case 'V': {
        Bytes b;
        Append(b, "VX35 ");
        if (!config_.model.empty())
            Append(b, config_.model + " ");
        Append(b, config_.firmware + "\r\n");
        answer(cmd, std::move(b));
        break;
    }
    case 'W': answer(cmd, factoryWordsAnswer()); break;
    case 'b': {
        Bytes b;
        Append(b, dateText(true) + "\r\n");
        answer(cmd, std::move(b));
        break;
    }
    case 'd': {
        Bytes b;
        if (config_.faults.headerLead)
            b = {kCR, kLF};
        Append(b, config_.header);
        b.push_back(kETX);
        answer(cmd, std::move(b));
        break;
    }
    case 'k':
    case 'l':
    case 'm':
    case 'n': onKey(cmd); break;
    default: break; // '3'..'7' and unknown bytes have no answer
    }
}

void Vx35Device::onKey(std::uint8_t key)
{
    const DeviceMenu::Result r = menu_.key(key);
    switch (r.action) {
    case DeviceMenu::Action::StartMeasuring:
        beginMeasuring();
        break;
    case DeviceMenu::Action::StopMeasuring:
        endMeasuring();
        return;
    case DeviceMenu::Action::TakeValue:
        if (config_.sampleMode == 4 && !config_.faults.silent.count(key))
            emitValue(clock_.nowMs() + config_.faults.answerDelayMs);
        return;
    case DeviceMenu::Action::Nothing:
        return;
    case DeviceMenu::Action::Display:
        break;
    }
    if (r.applied == Setting::SampleMode)
        config_.sampleMode = menu_.value(Setting::SampleMode) * 4;
    else if (r.applied == Setting::AutoRate)
        config_.autoRate = menu_.value(Setting::AutoRate) + 2;
    // While values stream the line belongs to them: a display line would be
    // misread as a value, so only menu keys echo.
    Bytes b;
    Append(b, display() + "\r\n");
    answer(key, std::move(b));
}

void Vx35Device::answer(std::uint8_t cmd, Bytes bytes, int arg)
{
    const Faults& f = config_.faults;
    if (f.silent.count(cmd))
        return;
    if (auto it = f.truncate.find(cmd); it != f.truncate.end() && it->second < bytes.size())
        bytes.resize(it->second);
    if (cmd == 'f') {
        if (auto it = f.truncateRow.find(arg); it != f.truncateRow.end() && it->second < bytes.size())
            bytes.resize(it->second);
    }
    const auto trail = f.trails.find(cmd);
    const bool trailLater = trail != f.trails.end() && trail->second.afterMs >= 0;
    if (trail != f.trails.end() && !trailLater)
        bytes.insert(bytes.end(), trail->second.bytes.begin(), trail->second.bytes.end());
    addJunk(cmd, bytes);
    std::vector<Bytes> pieces{std::move(bytes)};
    cutAnswer(cmd, pieces);
    const bool split = f.splitOnly.empty() || f.splitOnly.count(cmd);
    queue(clock_.nowMs() + f.answerDelayMs, std::move(pieces.front()), split);
    if (cutDone_ && !out_.empty())
        out_.back().leaveAfter = true;
    else if (trailLater)
        queue(lastDue_ + trail->second.afterMs, trail->second.bytes, split);
}

void Vx35Device::addJunk(std::uint8_t cmd, Bytes& bytes)
{
    const Faults& f = config_.faults;
    if (f.leadingJunk.empty() || (!f.junkOnly.empty() && !f.junkOnly.count(cmd)))
        return;
    if (junkSeen_++ < f.junkAfter)
        return;
    bytes.insert(bytes.begin(), f.leadingJunk.begin(), f.leadingJunk.end());
}

void Vx35Device::cutAnswer(std::uint8_t cmd, std::vector<Bytes>& pieces)
{
    const Faults& f = config_.faults;
    if (cutDone_ || !f.cutAnswerOf || *f.cutAnswerOf != cmd)
        return;
    cutDone_ = true;
    std::size_t left = f.cutAt;
    std::vector<Bytes> kept;
    for (Bytes& p : pieces) {
        if (left == 0)
            break;
        if (p.size() > left)
            p.resize(left);
        left -= p.size();
        kept.push_back(std::move(p));
    }
    if (kept.empty())
        kept.emplace_back();
    pieces = std::move(kept);
}

void Vx35Device::queue(std::int64_t due, Bytes bytes, bool splittable)
{
    if (bytes.empty()) {
        // An answer cut to nothing still takes the device off the line.
        if (cutDone_ && !vanished_)
            out_.push_back({std::max(due, lastDue_), {}, false});
        return;
    }
    // The line is first in, first out: a later write never overtakes an
    // earlier one, whatever delays the fault switches add.
    due = std::max(due, lastDue_);
    const int piece = config_.faults.splitBytes;
    if (!splittable || piece <= 0 || bytes.size() <= static_cast<std::size_t>(piece)) {
        out_.push_back({due, std::move(bytes)});
        lastDue_ = due;
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); i += piece) {
        const std::size_t n = std::min<std::size_t>(piece, bytes.size() - i);
        out_.push_back({due, Bytes(bytes.begin() + i, bytes.begin() + i + n)});
        lastDue_ = due;
        due += config_.faults.splitGapMs;
    }
}

std::vector<Write> Vx35Device::poll()
{
    std::vector<Write> due;
    if (vanished_)
        return due;
    const std::int64_t now = clock_.nowMs();
    catchUpStream(now);
    catchUpLogger(now);
    while (!out_.empty() && out_.front().dueMs <= now) {
        const bool leave = out_.front().leaveAfter;
        due.push_back(std::move(out_.front()));
        out_.pop_front();
        if (leave) {
            // What is still queued never goes out: the device is gone.
            vanished_ = true;
            out_.clear();
        }
    }
    return due;
}

Bytes Vx35Device::pollBytes()
{
    Bytes all;
    for (Write& w : poll())
        all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
}

std::optional<std::int64_t> Vx35Device::nextDueMs() const
{
    if (vanished_)
        return std::nullopt;
    std::optional<std::int64_t> next;
    if (!out_.empty())
        next = out_.front().dueMs;
    if (measuring() && streamPeriodMs() > 0)
        next = next ? std::min(*next, nextValueMs_) : nextValueMs_;
    if (endless_ && config_.faults.loggerEndlessMs)
        next = next ? std::min(*next, endlessNextMs_) : endlessNextMs_;
    return next;
}

std::int64_t Vx35Device::streamPeriodMs() const
{
    if (config_.sampleMode != 8)
        return 0;
    switch (config_.autoRate) {
    case 2: return 10;
    case 3: return 100;
    case 4: return 1000;
    case 5: return 10000;
    case 6: return 60000;
    case 7: return 600000;
    case 8: return 3600000;
    default: return 0;
    }
}

bool Vx35Device::streamsFrames() const
{
    switch (config_.sampleMode) {
    case 0:
    case 12:
    case 16:
    case 20: return true;
    case 8: return config_.autoRate == 2 || config_.autoRate == 3;
    default: return false;
    }
}

void Vx35Device::catchUpStream(std::int64_t now)
{
    const std::int64_t period = streamPeriodMs();
    if (!measuring() || period <= 0)
        return;
    // Mode or rate changed while measuring: the new pace starts now rather
    // than replaying the time since measuring began.
    if (period != streamPeriod_) {
        streamPeriod_ = period;
        nextValueMs_ = now + period;
        return;
    }
    // After a long stall (a suspended host) keep a bounded burst rather
    // than replaying hours of values.
    constexpr std::int64_t kMaxBacklog = 1000;
    if (now - nextValueMs_ > kMaxBacklog * period)
        nextValueMs_ += ((now - nextValueMs_) / period - kMaxBacklog) * period;
    while (nextValueMs_ <= now) {
        emitValue(nextValueMs_);
        nextValueMs_ += period;
    }
}

void Vx35Device::catchUpLogger(std::int64_t now)
{
    if (!endless_)
        return;
    const Faults& f = config_.faults;
    if (!f.loggerEndlessMs || config_.logger.records.empty()) {
        endless_ = false; // switched off between calls
        return;
    }
    const std::int64_t gap = std::max(0, *f.loggerEndlessMs);
    // As for the value stream: after a long stall a bounded burst, not hours
    // of chunks.
    constexpr std::int64_t kMaxBacklog = 1000;
    if (gap > 0 && now - endlessNextMs_ > kMaxBacklog * gap)
        endlessNextMs_ += ((now - endlessNextMs_) / gap - kMaxBacklog) * gap;
    // Only what is due, and never more than a bounded amount waiting: at a
    // gap of 0 every chunk is due at once.
    std::size_t waiting = 0;
    for (const Write& w : out_)
        waiting += w.bytes.size();
    const bool split = f.splitOnly.empty() || f.splitOnly.count('A');
    const std::size_t per = static_cast<std::size_t>(std::max(1, config_.loggerChunkLines));
    while (endless_ && endlessNextMs_ <= now && waiting < kLoggerAheadBytes) {
        Bytes c = loggerLines(endlessRecord_, per);
        endlessRecord_ = (endlessRecord_ + per) % config_.logger.records.size();
        bool leave = false;
        if (endlessCutLeft_) {
            if (c.size() >= *endlessCutLeft_) {
                c.resize(*endlessCutLeft_);
                leave = true;
            } else {
                *endlessCutLeft_ -= c.size();
            }
        }
        waiting += c.size();
        queue(endlessNextMs_, std::move(c), split);
        if (leave) {
            out_.back().leaveAfter = true;
            endless_ = false;
        }
        endlessNextMs_ = lastDue_ + gap;
    }
}

void Vx35Device::emitValue(std::int64_t at)
{
    const Faults& f = config_.faults;
    ++values_;
    const bool split = f.splitOnly.empty();
    if (f.garbageEvery > 0 && values_ % f.garbageEvery == 0 && !f.streamGarbage.empty())
        queue(at, f.streamGarbage, split);
    const int raw = config_.signal ? config_.signal(at - originMs_) : 0;
    if (streamsFrames())
        queue(at, frameBytes(raw), split);
    else
        queue(at, lineBytes(raw, config_.sampleMode == 4), split);
    if (f.endMarkAfterValues > 0 && values_ == f.endMarkAfterValues)
        queue(at, Bytes{kCR, kLF}, split);
}

void Vx35Device::trigger()
{
    if (vanished_ || !measuring())
        return;
    const int m = config_.sampleMode;
    if (m == 4 || m == 12 || m == 16 || m == 20)
        emitValue(clock_.nowMs());
}

void Vx35Device::beginMeasuring()
{
    measureStartMs_ = clock_.nowMs();
    streamPeriod_ = streamPeriodMs();
    nextValueMs_ = measureStartMs_ + streamPeriod_;
}

void Vx35Device::endMeasuring() { answer('n', Bytes{kCR, kLF}); }

int Vx35Device::reading() const
{
    return config_.signal ? config_.signal(clock_.nowMs() - originMs_) : 0;
}

std::string Vx35Device::unit() const
{
    const SensorRow& r = config_.rows[config_.activeRow];
    return std::string(r.begin() + 10, r.begin() + 13);
}

std::string Vx35Device::valueText(int raw) const
{
    return FormatValue6(raw, DecimalsOfCode(config_.rows[config_.activeRow][13] & 0x0F));
}

Bytes Vx35Device::frameBytes(int raw) const
{
    raw = std::clamp(raw, -32768, 32767);
    const auto u = static_cast<std::uint16_t>(raw);
    return Bytes{static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u & 0xFF), kCR, kLF};
}

Bytes Vx35Device::lineBytes(int raw, bool withTime) const
{
    std::string line = valueText(raw) + " " + unit() + " ";
    if (withTime) {
        const CivilTime t = FromEpochSeconds(deviceSeconds());
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        line += buf;
    } else {
        line += std::string(8, ' ');
    }
    line += "\r\n";
    return Bytes(line.begin(), line.end());
}

Bytes Vx35Device::sensorAnswer() const
{
    const SensorRow& r = config_.rows[config_.activeRow];
    Bytes b(r.begin(), r.begin() + 18);
    // The table keeps the points as numbers; this answer writes some sensor
    // types' points as four BCD digits instead.
    const int type = r[13] >> 4;
    auto toBcd = [&b](std::size_t at) {
        const int v = (b[at] << 8 | b[at + 1]) % 10000;
        b[at] = static_cast<std::uint8_t>((v / 1000) << 4 | (v / 100 % 10));
        b[at + 1] = static_cast<std::uint8_t>((v / 10 % 10) << 4 | (v % 10));
    };
    if (type == 3 || type == 7)
        toBcd(14);
    if (type == 2 || type == 3 || type == 6 || type == 7 || type == 9)
        toBcd(16);
    switch (config_.faults.sensorTail) {
    case Faults::SensorTail::CrLf:
        b.push_back(kCR);
        b.push_back(kLF);
        break;
    case Faults::SensorTail::CheckPair: {
        const auto check = TextCheckBytes(b.data(), b.size());
        b.push_back(check[0]);
        b.push_back(check[1]);
        break;
    }
    case Faults::SensorTail::Zero: b.insert(b.end(), 2, 0); break;
    }
    return b;
}

Bytes Vx35Device::statusLongAnswer() const
{
    const bool lineEnd = config_.faults.statusTail == Faults::StatusTail::CrLf;
    return Bytes{'E',
                 'L',
                 static_cast<std::uint8_t>(config_.rateCode),
                 0x00,
                 static_cast<std::uint8_t>(config_.sampleMode),
                 static_cast<std::uint8_t>(config_.autoRate),
                 0x00,
                 0x00,
                 0x00,
                 0x00,
                 lineEnd ? kCR : std::uint8_t{0},
                 lineEnd ? kLF : std::uint8_t{0}};
}

Bytes Vx35Device::factoryWordsAnswer() const
{
    const auto& w = config_.factoryWords;
    Bytes b;
    auto word = [&b](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v >> 8));
        b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    };
    word(w[0]);
    word(w[1]);
    b.push_back(0x00);
    word(w[2]);
    word(w[3]);
    b.push_back(0x00);
    word(w[4]);
    word(w[5]);
    b.push_back(0x00);
    b.push_back(0x00);
    return b;
}

Bytes Vx35Device::recordAnswer(int rowNumber) const
{
    const SensorRow& r = config_.rows[rowNumber - 1];
    Bytes b(r.begin(), r.begin() + 18);
    switch (config_.faults.recordTail) {
    case Faults::RecordTail::CheckPair: {
        const auto check = TextCheckBytes(b.data(), b.size());
        b.push_back(check[0]);
        b.push_back(check[1]);
        break;
    }
    case Faults::RecordTail::RowBytes:
        b.push_back(r[18]);
        b.push_back(r[19]);
        break;
    case Faults::RecordTail::Zero: b.insert(b.end(), 2, 0); break;
    }
    return b;
}

std::vector<Bytes> Vx35Device::loggerChunks(bool withRecords) const
{
    std::vector<Bytes> chunks;
    Bytes head{kCR, kLF};
    Append(head, config_.header);
    head.push_back(kETX);
    chunks.push_back(std::move(head));
    Bytes mode;
    Append(mode, config_.logger.modeLine + "\r\n");
    chunks.push_back(std::move(mode));
    const std::size_t count = withRecords ? config_.logger.records.size() : 0;
    const std::size_t per = static_cast<std::size_t>(std::max(1, config_.loggerChunkLines));
    for (std::size_t i = 0; i < count; i += per)
        chunks.push_back(loggerLines(i, std::min(count - i, per)));
    return chunks;
}

Bytes Vx35Device::loggerLines(std::size_t first, std::size_t count) const
{
    const auto& recs = config_.logger.records;
    Bytes c;
    for (std::size_t j = 0; j < count && !recs.empty(); ++j) {
        Append(c, recs[(first + j) % recs.size()]);
        Append(c, "\r\n");
    }
    return c;
}

std::int64_t Vx35Device::deviceSeconds() const
{
    const std::int64_t elapsed = clock_.nowMs() - timeBaseMs_;
    return timeBaseSeconds_ + (elapsed >= 0 ? elapsed / 1000 : -((999 - elapsed) / 1000));
}

CivilTime Vx35Device::deviceTime() const { return FromEpochSeconds(deviceSeconds()); }

std::string Vx35Device::dateText(bool doubleBlank) const
{
    const CivilTime t = deviceTime();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d%s%02d:%02d:%02d", t.day, t.month, t.year % 100,
                  doubleBlank ? "  " : " ", t.hour, t.minute, t.second);
    return buf;
}

std::string Vx35Device::display() const
{
    const std::string full = dateText(false);
    return menu_.display(full.substr(0, 8), full.substr(9, 8));
}

} // namespace vx35sim
