// Field codecs of the parameter blocks: integers, times, version numbers,
// the 6-bit character code and single bits.
#include "telegram/CQuorin_Send.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kAlphabet6[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ?";
constexpr int kTimeOffset = 7;

// Local calendar time with month 1..12 and a four-digit year; false when the
// time cannot be converted.
bool LocalParts(std::int64_t time, std::tm& out)
{
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return false;
    tm.tm_mon += 1;
    tm.tm_year += 1900;
    out = tm;
    return true;
}

bool InRange(const std::tm& tm)
{
    return tm.tm_sec >= 0 && tm.tm_sec <= 60 && tm.tm_min >= 0 && tm.tm_min <= 60 && tm.tm_hour >= 0 &&
           tm.tm_hour <= 24 && tm.tm_mday >= 1 && tm.tm_mday <= 31 && tm.tm_mon >= 1 && tm.tm_mon <= 12 &&
           tm.tm_year >= 1970 && tm.tm_year <= 3000;
}

// The 12-hour clock: midnight is 12 AM, noon 12 PM, 13:00 is 1 PM. Hour 24
// (the range check lets it through) is the next midnight.
bool IsPm(int hour)
{
    return hour % 24 >= 12;
}

int Hour12(int hour)
{
    return hour % 12 == 0 ? 12 : hour % 12;
}

template <typename... Args>
std::string Printf(const char* format, Args... args)
{
    char buffer[96];
    const int n = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, n < 0 ? 0 : static_cast<size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

} // namespace

int CQuorin_Send::QuorSend_SignedWord(std::uint8_t high, std::uint8_t low)
{
    const int word = high * 256 + low;
    return high < 128 ? word : -(65536 - word);
}

bool CQuorin_Send::QuorSend_U16ToBytes(std::uint32_t value, std::uint8_t& high, std::uint8_t& low)
{
    if (value > 0xFFFF) {
        high = 0x80;
        low = 0x00;
        return false;
    }
    high = static_cast<std::uint8_t>(value >> 8);
    low = static_cast<std::uint8_t>(value);
    return true;
}

bool CQuorin_Send::QuorSend_S16ToBytes(int value, std::uint8_t& high, std::uint8_t& low)
{
    if (value < -32767 || value > 32767)
        return false;
    const unsigned word = value < 0 ? static_cast<unsigned>(65536 + value) : static_cast<unsigned>(value);
    high = static_cast<std::uint8_t>(word >> 8);
    low = static_cast<std::uint8_t>(word);
    return true;
}

bool CQuorin_Send::QuorSend_U32ToBytes(std::uint32_t value, std::uint8_t bytes[4])
{
    bytes[0] = static_cast<std::uint8_t>(value >> 24);
    bytes[1] = static_cast<std::uint8_t>(value >> 16);
    bytes[2] = static_cast<std::uint8_t>(value >> 8);
    bytes[3] = static_cast<std::uint8_t>(value);
    return true;
}

bool CQuorin_Send::QuorSend_TimeToBytes(std::int64_t time, std::uint8_t bytes[4])
{
    return QuorSend_U32ToBytes(static_cast<std::uint32_t>(static_cast<std::uint64_t>(time) & 0xFFFFFFFFu), bytes);
}

bool CQuorin_Send::QuorSend_FactorToWord(double factor, std::uint32_t& value)
{
    if (!(factor >= 0.0 && factor <= 2.0)) {
        value = 0;
        return false;
    }
    // 2.0 itself would need 17 bits; the largest word (just under 2.0) stands
    // for it rather than 0x10000, which the 16-bit writer turns into 1.0.
    value = std::min<std::uint32_t>(static_cast<std::uint32_t>(factor * 32768.0), 0xFFFF);
    return true;
}

void CQuorin_Send::QuorSend_TimeFieldText(const std::string& block, std::int64_t* time, std::tm* local,
                                          std::string* text, std::uint32_t* seconds)
{
    std::uint8_t b[4] = {0x20, 0x20, 0x20, 0x20};
    for (int i = 0; i < 4; ++i)
        if (block.size() > static_cast<size_t>(kTimeOffset + i))
            b[i] = static_cast<std::uint8_t>(block[kTimeOffset + i]);
    const std::uint32_t t32 = (static_cast<std::uint32_t>(b[0]) << 24) | (static_cast<std::uint32_t>(b[1]) << 16) |
                              (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
    const std::int64_t t64 = t32;
    if (time)
        *time = t64;
    if (seconds)
        *seconds = t32;
    if (local) {
        std::tm tm{};
        LocalParts(t64, tm);
        *local = tm;
    }
    if (text)
        QuorSend_TimeText(*text, 0, nullptr, &t64, nullptr);
}

void CQuorin_Send::QuorSend_TimeText(std::string& out, int langOffset, std::string* copy, const std::int64_t* time,
                                     const std::tm* local)
{
    std::tm tm{};
    bool have = true;
    if (time)
        LocalParts(*time, tm); // an unconvertible time stays zero and fails the range check
    else if (local)
        tm = *local;
    else
        have = false;

    if (!have) {
        out.clear();
    } else if (!InRange(tm)) {
        out = "ERROR DATE TIME";
    } else {
        std::string s;
        if (langOffset == 1000) {
            s = Printf(IsPm(tm.tm_hour) ? "%2i/%2i/%4i_%2i:%2i:%2i_PM" : "%2i/%2i/%4i_%2i:%2i:%2i_AM", tm.tm_mon,
                       tm.tm_mday, tm.tm_year, Hour12(tm.tm_hour), tm.tm_min, tm.tm_sec);
        } else if (langOffset == 6) {
            s = Printf("%4i/%2i/%2i_%2i:%2i:%2i", tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        } else {
            s = Printf("%2i.%2i.%4i_%2i:%2i:%2i_Uhr", tm.tm_mday, tm.tm_mon, tm.tm_year, tm.tm_hour, tm.tm_min,
                       tm.tm_sec);
        }
        for (char& c : s) {
            if (c == ' ')
                c = '0';
            else if (c == '_')
                c = ' ';
        }
        out = s;
    }
    if (copy)
        *copy = out;
}

void CQuorin_Send::QuorSend_DateTimeText(std::string& out, int style, const std::int64_t* time, const std::tm* local,
                                         const std::uint32_t* time32)
{
    std::tm tm{};
    if (time)
        LocalParts(*time, tm);
    else if (local)
        tm = *local;
    else if (time32)
        LocalParts(static_cast<std::int64_t>(*time32), tm);
    else {
        out = "ERROR_DATETIME_POINTER";
        return;
    }
    if (!InRange(tm)) {
        out = "ERROR_DATETIME_RANGE";
        return;
    }
    const int yy = tm.tm_year % 100;
    const int hour12 = Hour12(tm.tm_hour);
    const char* ampm = IsPm(tm.tm_hour) ? "PM" : "AM";
    switch (style) {
    case 1: out = Printf("%02d/%02d/%02d", yy, tm.tm_mon, tm.tm_mday); break;
    case 2: out = Printf("%02d.%02d.%04d", tm.tm_mday, tm.tm_mon, tm.tm_year); break;
    case 3: out = Printf("%02d.%02d.%02d", tm.tm_mday, tm.tm_mon, yy); break;
    case 4:
        out = Printf("%04d/%02d/%02d %02d:%02d:%02d", tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min,
                     tm.tm_sec);
        break;
    case 5:
        out = Printf("%02d/%02d/%02d %02d:%02d:%02d", yy, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        break;
    case 6:
        out = Printf("%04d/%02d/%02d %02d:%02d:%02d %s", tm.tm_year, tm.tm_mon, tm.tm_mday, hour12, tm.tm_min,
                     tm.tm_sec, ampm);
        break;
    case 7:
        out = Printf("%02d/%02d/%02d %02d:%02d:%02d %s", yy, tm.tm_mon, tm.tm_mday, hour12, tm.tm_min, tm.tm_sec,
                     ampm);
        break;
    case 8:
        out = Printf("%02d.%02d.%04d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon, tm.tm_year, tm.tm_hour, tm.tm_min,
                     tm.tm_sec);
        break;
    case 9:
        out = Printf("%02d.%02d.%02d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon, yy, tm.tm_hour, tm.tm_min, tm.tm_sec);
        break;
    default: out = Printf("%04d/%02d/%02d", tm.tm_year, tm.tm_mon, tm.tm_mday); break;
    }
}

int CQuorin_Send::QuorSend_VersionText(std::string& out, std::uint32_t value)
{
    out.clear();
    if (value >= 65535)
        return 0;
    const std::string hex = Printf("%04x", static_cast<unsigned>(value));
    const int e = value >> 12;
    // The mantissa digits h1 h2 h3, then as many zeros as a power may need.
    std::string digits = hex.substr(2) + std::string(16, '0');
    std::string s;
    if (e == 0) {
        s = std::string(1, hex[1]) + "." + hex.substr(2);
    } else if (e <= 3) {
        s = std::string(1, hex[1]) + digits.substr(0, static_cast<size_t>(e) + 1);
        s.insert(static_cast<size_t>(e) + 1, 1, '.');
    } else {
        s = std::string(1, hex[1]) + digits.substr(0, static_cast<size_t>(e));
    }
    const size_t firstNonZero = s.find_first_not_of('0');
    s.erase(0, firstNonZero == std::string::npos ? s.size() : firstNonZero);
    if (!s.empty() && s[0] == '.')
        s.insert(0, 1, '0');
    if (s.find('.') != std::string::npos) {
        s.erase(s.find_last_not_of('0') + 1);
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    // A zero mantissa with a power left nothing behind.
    if (s.empty())
        s = "0";
    out = s;
    return 0;
}

char CQuorin_Send::QuorSend_CodeToChar(unsigned code)
{
    return code < 64 ? kAlphabet6[code] : '?';
}

std::uint8_t CQuorin_Send::QuorSend_CharToCode(char ch)
{
    if (ch == '\0')
        return 63;
    const char* p = std::strchr(kAlphabet6, ch);
    return p ? static_cast<std::uint8_t>(p - kAlphabet6) : 63;
}

bool CQuorin_Send::QuorSend_CopyBit(std::uint8_t& target, int targetBit, std::uint8_t source, int sourceBit) const
{
    if (targetBit < 0 || targetBit > 7 || sourceBit < 0 || sourceBit > 7)
        return false;
    if (source & m_bitMask[sourceBit])
        target = static_cast<std::uint8_t>(target | m_bitMask[targetBit]);
    else
        target = static_cast<std::uint8_t>(target & m_bitMaskInverse[targetBit]);
    return true;
}

std::string CQuorin_Send::QuorSend_BytesToText(const std::uint8_t* bytes, int count)
{
    if (!bytes || count <= 0)
        return std::string();
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
}

std::string CQuorin_Send::QuorSend_CharText(char ch)
{
    return std::string(1, ch);
}
