// Byte-level helpers shared by the block readers and writers. Blocks are
// padded to 40 bytes before any of these touch them.
#pragma once

#include "telegram/CQuorin_Send.h"

#include <cstdint>
#include <string>

namespace blockfields {

inline std::uint8_t U8(const std::string& b, int off) { return static_cast<std::uint8_t>(b[off]); }

inline std::uint32_t U16(const std::string& b, int off)
{
    return static_cast<std::uint32_t>(U8(b, off)) << 8 | U8(b, off + 1);
}

inline std::uint32_t U24(const std::string& b, int off)
{
    return static_cast<std::uint32_t>(U8(b, off)) << 16 | U16(b, off + 1);
}

inline std::uint32_t U32(const std::string& b, int off)
{
    return static_cast<std::uint32_t>(U8(b, off)) << 24 | U24(b, off + 1);
}

inline void Put8(std::string& b, int off, std::uint8_t v) { b[off] = static_cast<char>(v); }

inline void PutN(std::string& b, int off, std::uint32_t v, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        b[off + i] = static_cast<char>(v & 0xFF);
        v >>= 8;
    }
}

// Field of width bits starting at bit lo, right-aligned.
inline std::uint8_t Bits(std::uint8_t byte, int lo, int width)
{
    return static_cast<std::uint8_t>((byte >> lo) & ((1u << width) - 1u));
}

// Writes the low bits of value into the field, keeping the byte's other bits.
inline void PutBits(std::string& b, int off, int lo, int width, std::uint8_t value)
{
    const unsigned mask = ((1u << width) - 1u) << lo;
    const unsigned byte = (U8(b, off) & ~mask) | ((static_cast<unsigned>(value) << lo) & mask);
    b[off] = static_cast<char>(byte);
}

inline std::string Trim(const std::string& s)
{
    static const char* const ws = " \t\r\n\v\f";
    const size_t first = s.find_first_not_of(ws);
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(ws) - first + 1);
}

inline constexpr int kTimeOffset = 7;

inline void PutTime(std::string& b, const std::int64_t* time)
{
    if (!time)
        return;
    std::uint8_t bytes[4];
    CQuorin_Send::QuorSend_TimeToBytes(*time, bytes);
    for (int i = 0; i < 4; ++i)
        Put8(b, kTimeOffset + i, bytes[i]);
}

inline void PutWord(std::string& b, int off, const std::uint32_t* value)
{
    if (!value)
        return;
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    CQuorin_Send::QuorSend_U16ToBytes(*value, high, low);
    Put8(b, off, high);
    Put8(b, off + 1, low);
}

inline void PutByte(std::string& b, int off, const std::uint8_t* value)
{
    if (value)
        Put8(b, off, *value);
}

template <typename T>
inline void Set(T* out, T value)
{
    if (out)
        *out = value;
}

} // namespace blockfields
