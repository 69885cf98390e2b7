// Parameter block frame: block sums, the check of a received block and the
// write telegram.
#include "telegram/CQuorin_Send.h"

#include "telegram/CheckBytes.h"

#include <algorithm>

namespace {

constexpr int kLenOffset = 4;
constexpr std::uint8_t kBlockLen = CQuorin_Send::kBlockSize - 7;
constexpr int kIdOffset = 6;
constexpr int kSummedBytes = 28; // ID and content, offsets 6..33
constexpr int kSumOffset = kIdOffset + kSummedBytes;

constexpr std::uint8_t kKnownIds[] = {0x10, 0x12, 0x13, 0x14, 0x15, 0x40, 0x41, 0x42, 0x43};

// Every text is 41 characters so the messages line up in the device trace.
constexpr const char* kTextEmpty = "Block-Str ist Leer! Alles 0x00 or 0xFF   ";
constexpr const char* kTextGood = "Block vollst\xE4ndig I.O. wird verwendet!   ";
constexpr const char* kTextWeighted = "GewichteteCheckSumme stimmt nicht!       ";
constexpr const char* kTextSum = "          CheckSumme stimmt nicht!       ";
constexpr const char* kTextUnknownId = "Block ID ist nicht bekannt!              ";
constexpr const char* kTextIdNotSet = "Block ID ist nicht gesetzt 0x00 or 0xFF  ";

std::uint8_t* Bytes(std::string& s) { return reinterpret_cast<std::uint8_t*>(s.data()); }

} // namespace

std::string CQuorin_Send::QuorSend_PadBlock(std::string block)
{
    if (block.size() < static_cast<size_t>(kBlockSize))
        block.append(static_cast<size_t>(kBlockSize) - block.size(), ' ');
    return block;
}

void CQuorin_Send::QuorSend_BlockSums(std::uint8_t* fromId)
{
    // The frame check widened to 16 bits, with the same end-around carry in s2.
    std::uint32_t s1 = 0;
    std::uint32_t s2 = 0;
    for (int i = 0; i < kSummedBytes; ++i) {
        s1 += fromId[i];
        if (s1 > 0xFFFF)
            s1 -= 0x10000;
        s2 += s1;
        if (s2 > 0xFFFF)
            s2 -= 0xFFFF;
    }
    std::uint8_t* out = fromId + kSummedBytes;
    out[0] = static_cast<std::uint8_t>(s1 >> 8);
    out[1] = static_cast<std::uint8_t>(s1);
    out[2] = static_cast<std::uint8_t>(s2 >> 8);
    out[3] = static_cast<std::uint8_t>(s2);
}

std::int32_t CQuorin_Send::QuorSend_CheckBlock(std::string block, std::string* message)
{
    // A short block is checked as the readers see it: blank-padded.
    block = QuorSend_PadBlock(std::move(block));
    block.resize(kBlockSize);
    const std::uint8_t* b = Bytes(block);

    const auto all = [&](std::uint8_t v) {
        return std::all_of(b + kIdOffset, b + kSumOffset + 4, [v](std::uint8_t x) { return x == v; });
    };
    if (all(0x00) || all(0xFF)) {
        if (message)
            *message = kTextEmpty;
        return kBlockEmpty;
    }

    std::int32_t result = 0;
    const std::uint8_t id = b[kIdOffset];
    if (id == 0x00 || id == 0xFF)
        result += kBlockIdNotSet;
    if (std::find(std::begin(kKnownIds), std::end(kKnownIds), id) == std::end(kKnownIds))
        result += kBlockIdUnknown;

    std::string copy = block;
    QuorSend_BlockSums(Bytes(copy) + kIdOffset);
    const std::uint8_t* c = Bytes(copy);
    if (c[kSumOffset] != b[kSumOffset] || c[kSumOffset + 1] != b[kSumOffset + 1])
        result += kBlockSumWrong;
    if (c[kSumOffset + 2] != b[kSumOffset + 2] || c[kSumOffset + 3] != b[kSumOffset + 3])
        result += kBlockWeightedSumWrong;

    if (message) {
        std::string text(20, '\t');
        text += ' ';
        if (result == 0)
            text += kTextGood;
        if (result & kBlockWeightedSumWrong)
            text += kTextWeighted;
        if (result & kBlockSumWrong)
            text += kTextSum;
        if (result & kBlockIdUnknown)
            text += kTextUnknownId;
        if (result & kBlockIdNotSet)
            text += kTextIdNotSet;
        *message = text;
    }
    return result;
}

std::string CQuorin_Send::QuorSend_BlockToTelegram(std::string block, std::uint8_t corruptSums)
{
    block = QuorSend_PadBlock(std::move(block));
    block.resize(kBlockSize);
    std::uint8_t* b = Bytes(block);
    // Every block frame carries 33 bytes; whatever LEN the caller left (a
    // header leaves none) must not cut the telegram short or run past it.
    b[kLenOffset] = kBlockLen;
    QuorSend_BlockSums(b + kIdOffset);
    if (corruptSums == 1) {
        // Lets the device be tested with a block it must refuse.
        for (int i = kSumOffset; i < kSumOffset + 4; ++i)
            b[i] = static_cast<std::uint8_t>(b[i] + 0xCD);
    }
    const auto checks = telegram::CheckBytes(b + 1, kBlockSize - 3);
    b[kBlockSize - 2] = checks[0];
    b[kBlockSize - 1] = checks[1];
    std::string out;
    QuorSend_StuffToText(out, block);
    return out;
}

std::uint8_t CQuorin_Send::QuorSend_BlockId(std::uint8_t blockNumber)
{
    switch (blockNumber) {
    case 0: return 0x10;
    case 1: return 0x12;
    case 2: return 0x13;
    case 3: return 0x14;
    case 4: return 0x15;
    case 128: return 0x40;
    case 129: return 0x41;
    case 130: return 0x42;
    case 131: return 0x43;
    default: return 0xFF;
    }
}

void CQuorin_Send::QuorSend_BlockHeader(std::string& out, std::uint8_t blockNumber)
{
    // The acknowledgement is built for its bookkeeping (last command, reply
    // length); the header itself is laid out unstuffed so that its offsets
    // hold even when an address byte is 0x02. It already carries the LEN of
    // the block it starts.
    std::string scratch;
    QuorSend_TelegramAck(scratch, false);
    out.assign(7, '\0');
    out[0] = static_cast<char>(STX);
    out[1] = 'F';
    out[2] = static_cast<char>(m_address1);
    out[3] = static_cast<char>(m_address2);
    out[kLenOffset] = static_cast<char>(kBlockLen);
    out[5] = static_cast<char>(blockNumber);
    out[6] = static_cast<char>(QuorSend_BlockId(blockNumber));
}

std::int32_t CQuorin_Send::KeepRead(int index, const std::string& padded, std::string* message)
{
    BlockDescriptor& d = m_blocks[index];
    d.readContent = padded;
    d.readState = QuorSend_CheckBlock(padded, message);
    return d.readState;
}
