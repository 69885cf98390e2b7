#include "telegram/CQuorin_Send.h"

#include "telegram/CheckBytes.h"
#include "telegram/Float32.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kBlockNames[CQuorin_Send::kBlockCount] = {
    "Stator Header",        "Stator Hardware",     "Stator Operation", "Stator SoftwareConfig",
    "Rotor  Header",        "Rotor  FactoryCalib", "Rotor  UserCalib", "Rotor  Operation",
};

constexpr std::uint8_t kRateCodes[13] = {1, 2, 4, 5, 10, 20, 25, 27, 50, 100, 151, 200, 250};

constexpr std::uint8_t kCmdAck = 0x06;
constexpr std::uint8_t kCmdNak = 0x15;

// The largest LEN whose frame still fits the check window.
constexpr int kMaxCheckableLen = CQuorin_Send::kCheckWindow - 7;

// Reply command byte -> minimum frame length and the length code reported.
// False for a byte that starts no reply.
bool ReplyKind(std::uint8_t cmd, int& minLength, std::uint8_t& code)
{
    switch (cmd) {
    case 0x06: minLength = 7; code = 7; return true;
    case 0x15:
    case 0x40: minLength = 8; code = 8; return true;
    case 'A': minLength = 16; code = 16; return true;
    case 'B': minLength = 21; code = 21; return true;
    case 'D':
    case 'K': minLength = 40; code = 40; return true;
    case 'C':
    case 'E':
    case 'F':
    case 'L':
    case 'M':
    case 'Z': minLength = 1; code = 0xFF; return true;
    default: return false;
    }
}

std::uint8_t At(std::string_view s, size_t i) { return static_cast<std::uint8_t>(s[i]); }

} // namespace

std::string TelegramHexDump(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i)
            out += ' ';
        const std::uint8_t b = At(bytes, i);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

CQuorin_Send::CQuorin_Send()
{
    for (int i = 0; i < kBlockCount; ++i)
        m_blocks[i].name = kBlockNames[i];
    m_float = std::make_unique<CFloat32>();
    for (int i = 0; i < 8; ++i) {
        m_bitMask[i] = static_cast<std::uint8_t>(1u << i);
        m_bitMaskInverse[i] = static_cast<std::uint8_t>(~(1u << i));
    }
}

CQuorin_Send::~CQuorin_Send() = default;

std::string CQuorin_Send::QuorSend_LocalDecimal(std::string text, int langOffset)
{
    if (langOffset == 1000)
        std::replace(text.begin(), text.end(), ',', '.');
    else
        std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

int CQuorin_Send::QuorSend_SetAddress(std::uint8_t first, std::uint8_t second)
{
    m_address1 = first;
    m_address2 = second;
    m_addressSet = 1;
    std::string scratch;
    QuorSend_TelegramAck(scratch, true);
    return 0;
}

void CQuorin_Send::QuorSend_SetRate(int index)
{
    if (index >= 0 && index <= 12)
        m_rateCode = kRateCodes[index];
}

void CQuorin_Send::QuorSend_SetValue16(std::uint32_t value)
{
    if (value > 0xFFFF) {
        m_value = 0;
        m_valueOverflow = 1;
    } else {
        m_value = value;
        m_valueOverflow = 0;
    }
}

void CQuorin_Send::BuildFrame(std::string* out, std::uint8_t cmd, std::uint8_t a1, std::uint8_t a2,
                              const std::uint8_t* data, int len, std::uint8_t checks[2])
{
    std::uint8_t frame[7 + 255];
    frame[0] = STX;
    frame[1] = cmd;
    frame[2] = a1;
    frame[3] = a2;
    frame[4] = static_cast<std::uint8_t>(len);
    if (len > 0)
        std::memcpy(frame + 5, data, static_cast<size_t>(len));
    QuorSend_Checksum(frame + 1, checks, len + 3);
    frame[5 + len] = checks[0];
    frame[6 + len] = checks[1];
    m_lastCommand = cmd;
    if (out)
        QuorSend_StuffToText(*out, std::string_view(reinterpret_cast<const char*>(frame),
                                                    static_cast<size_t>(len) + 7));
}

void CQuorin_Send::BuildFrame(std::string* out, std::uint8_t cmd, const std::uint8_t* data, int len)
{
    std::uint8_t checks[2];
    BuildFrame(out, cmd, m_address1, m_address2, data, len, checks);
}

void CQuorin_Send::QuorSend_TelegramA(std::string& out)
{
    BuildFrame(&out, 'A', nullptr, 0);
    m_replyLength = 16;
}

void CQuorin_Send::QuorSend_TelegramB(std::string& out)
{
    BuildFrame(&out, 'B', nullptr, 0);
    m_replyLength = 21;
}

void CQuorin_Send::QuorSend_TelegramNak(std::string& out)
{
    BuildFrame(&out, kCmdNak, nullptr, 0);
    m_replyLength = 8;
}

void CQuorin_Send::QuorSend_TelegramAck(std::string& out, bool reversed)
{
    std::uint8_t checks[2];
    if (reversed) {
        BuildFrame(&out, kCmdAck, m_address2, m_address1, nullptr, 0, checks);
        m_keptCheck1 = checks[0];
        m_keptCheck2 = checks[1];
    } else {
        BuildFrame(&out, kCmdAck, m_address1, m_address2, nullptr, 0, checks);
    }
    m_replyLength = 7;
}

void CQuorin_Send::QuorSend_TelegramE(std::string& out, bool on)
{
    const std::uint8_t data = on ? 1 : 0;
    BuildFrame(&out, 'E', &data, 1);
}

void CQuorin_Send::QuorSend_TelegramReadBlock(std::string* out, std::uint8_t block)
{
    m_blockNumber = block;
    BuildFrame(out, 'D', &block, 1);
    m_replyLength = 40;
}

void CQuorin_Send::QuorSend_TelegramK(std::string& out) { BuildFrame(&out, 'K', nullptr, 0); }

void CQuorin_Send::QuorSend_TelegramM(std::string& out) { BuildFrame(&out, 'M', nullptr, 0); }

void CQuorin_Send::QuorSend_TelegramZ(std::string& out)
{
    const std::uint8_t data = 1;
    BuildFrame(&out, 'Z', &data, 1);
}

void CQuorin_Send::QuorSend_TelegramZRate(std::string& out, char kind)
{
    const std::uint8_t data[5] = {3, m_rateCode, static_cast<std::uint8_t>((m_value >> 8) & 0xFF),
                                  static_cast<std::uint8_t>(m_value & 0xFF), static_cast<std::uint8_t>(kind)};
    BuildFrame(&out, 'Z', data, 5);
}

int CQuorin_Send::QuorSend_TelegramNakBytes(std::uint8_t (&buffer)[kNakBufferSize])
{
    buffer[0] = STX;
    buffer[1] = kCmdNak;
    buffer[2] = m_address1;
    buffer[3] = m_address2;
    buffer[4] = 0;
    QuorSend_Checksum(buffer + 1, buffer + 5, 3);
    m_lastCommand = kCmdNak;
    m_replyLength = 8;
    int length = 7;
    // Only the two address and two check bytes can double: 7 + 4 always fits.
    QuorSend_StuffInPlace(buffer, length, kNakBufferSize);
    return length;
}

void CQuorin_Send::QuorSend_SingleCharText(std::string& out, char ch) { out.assign(1, ch); }

void CQuorin_Send::QuorSend_Checksum(const std::uint8_t* first, std::uint8_t out[2], int count)
{
    const auto pair = telegram::CheckBytes(first, count < 0 ? 0 : static_cast<size_t>(count) + 1);
    out[0] = pair[0];
    out[1] = pair[1];
}

void CQuorin_Send::QuorSend_StuffToText(std::string& out, std::string_view frame)
{
    out.clear();
    if (frame.empty())
        return;
    size_t length = frame.size();
    if (frame.size() > 4)
        length = std::min(length, static_cast<size_t>(At(frame, 4)) + 7);
    out.reserve(length * 2);
    out += frame[0];
    for (size_t i = 1; i < length; ++i) {
        out += frame[i];
        if (At(frame, i) == STX)
            out += frame[i];
    }
}

bool CQuorin_Send::QuorSend_StuffInPlace(std::uint8_t* buffer, int& length, int capacity)
{
    if (length <= 1)
        return length <= capacity;
    const int extra = static_cast<int>(std::count(buffer + 1, buffer + length, STX));
    if (length + extra > capacity)
        return false;
    const std::vector<std::uint8_t> aside(buffer, buffer + length);
    int w = 0;
    buffer[w++] = aside[0];
    for (int i = 1; i < length; ++i) {
        buffer[w++] = aside[static_cast<size_t>(i)];
        if (aside[static_cast<size_t>(i)] == STX)
            buffer[w++] = STX;
    }
    length = w;
    return true;
}

int CQuorin_Send::QuorSend_CheckReply(std::string_view reply, std::uint8_t mode)
{
    const size_t size = reply.size();
    if (mode != 1 && size > static_cast<size_t>(kCheckWindow))
        return kCheckTooLong;
    // Too short to hold a frame: neither check byte can be confirmed.
    if (size < 7)
        return kCheckS1Wrong | kCheckS2Wrong;

    std::uint8_t copy[kCheckWindow] = {};
    const size_t n = std::min(size, static_cast<size_t>(kCheckWindow));
    std::memcpy(copy, reply.data(), n);

    const int len = copy[4];
    const size_t lastSummed = 4 + static_cast<size_t>(len);
    if (lastSummed >= n)
        return kCheckS1Wrong | kCheckS2Wrong;

    std::uint8_t received1 = 0;
    std::uint8_t received2 = 0;
    if (mode == 1) {
        if (len <= 33) {
            if (static_cast<size_t>(6 + len) >= n)
                return kCheckS1Wrong | kCheckS2Wrong;
            received1 = copy[5 + len];
            received2 = copy[6 + len];
        }
    } else {
        received1 = At(reply, size - 2);
        received2 = At(reply, size - 1);
    }

    std::uint8_t computed[2];
    QuorSend_Checksum(copy + 1, computed, static_cast<int>(lastSummed) - 1);
    int result = 0;
    if (computed[0] != received1)
        result += kCheckS1Wrong;
    if (computed[1] != received2)
        result += kCheckS2Wrong;
    return result;
}

std::string CQuorin_Send::QuorSend_UnstuffReply(std::string& reply)
{
    std::string out;
    if (!reply.empty()) {
        const size_t limit = m_replyLength > 0 ? static_cast<size_t>(m_replyLength) : reply.size();
        out += reply[0];
        size_t i = 1;
        while (i < reply.size() && out.size() < limit) {
            out += reply[i];
            const bool pair = At(reply, i) == STX && i + 1 < reply.size() && At(reply, i + 1) == STX;
            i += pair ? 2 : 1;
        }
    }
    reply = out;
    return out;
}

bool CQuorin_Send::QuorSend_CollectReply(const char* bytes, std::string& accumulated, int count, int limit,
                                         std::uint8_t& lengthCode)
{
    lengthCode = 0xFF;
    if (count < 1)
        return false;
    const int take = std::min(count, limit);
    if (bytes && take > 0)
        accumulated.append(bytes, static_cast<size_t>(take));
    if (m_trace)
        m_trace(TelegramHexDump(accumulated));

    for (;;) {
        // Find the first frame start; a doubled 0x02 is data, not a start.
        size_t start = 0;
        int minLength = 0;
        std::uint8_t code = 0xFF;
        bool found = false;
        while (start + 1 < accumulated.size()) {
            if (At(accumulated, start) == STX) {
                const std::uint8_t next = At(accumulated, start + 1);
                if (next == STX) {
                    start += 2;
                    continue;
                }
                if (ReplyKind(next, minLength, code)) {
                    found = true;
                    break;
                }
            }
            ++start;
        }
        if (!found) {
            accumulated.clear();
            return false;
        }

        std::string frame(1, static_cast<char>(STX));
        size_t j = start + 1;
        while (j < accumulated.size()) {
            if (At(accumulated, j) == STX) {
                // A 0x02 at the very end is the first half of a pair still on
                // its way; counting it now would complete a frame too early.
                if (j + 1 == accumulated.size())
                    break;
                frame += accumulated[j];
                j += At(accumulated, j + 1) == STX ? 2 : 1;
                continue;
            }
            frame += accumulated[j];
            ++j;
        }

        size_t needed = std::max<size_t>(static_cast<size_t>(minLength), 5);
        bool checkable = true;
        if (frame.size() >= 5) {
            const int len = At(frame, 4);
            if (len > kMaxCheckableLen)
                checkable = false;
            else
                needed = std::max(needed, static_cast<size_t>(len) + 7);
        }
        if (checkable && frame.size() < needed)
            return false;

        if (checkable && QuorSend_CheckReply(frame, 1) == 0) {
            accumulated = frame;
            lengthCode = code;
            return true;
        }
        // Resynchronise behind this start byte; the remainder is still stuffed
        // and starts on a pair boundary, so the scan reads it correctly.
        accumulated.erase(0, start + 1);
    }
}
