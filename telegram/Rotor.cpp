// Readers and writers of the four rotor blocks.
#include "telegram/BlockFields.h"
#include "telegram/CQuorin_Send.h"

#include <charconv>

using namespace blockfields;

namespace {

constexpr int kNameOffset = 23;
constexpr int kNameBytes = 9;
constexpr const char* kNoName = "n.a.";

// The version text as a number; 0 when the text holds none.
double VersionNumber(std::uint32_t word)
{
    std::string text;
    CQuorin_Send::QuorSend_VersionText(text, word);
    double v = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    return v;
}

// Where character n (0..11) of the name keeps code bit k: offset and bit.
// Characters 1..9 sit in the low six bits of one byte each; 10..12 are
// spread two bits at a time over the top bits of three bytes.
void NameBit(int n, int k, int& offset, int& bit)
{
    if (n < 9) {
        offset = kNameOffset + n;
        bit = k;
    } else {
        offset = kNameOffset + (n - 9) * 3 + k / 2;
        bit = 6 + k % 2;
    }
}

bool NameUnset(const std::string& b)
{
    for (int i = 0; i < kNameBytes; ++i)
        if (U8(b, kNameOffset + i) != 0xFF)
            return false;
    return true;
}

struct FactorOut {
    std::uint32_t* word;
    double* factor;
};

void GetFactor(const std::string& b, int off, FactorOut out)
{
    const std::uint32_t w = U16(b, off);
    Set(out.word, w);
    Set(out.factor, w / 32768.0);
}

void PutSigned(std::string& b, int off, const std::int32_t* value)
{
    if (!value)
        return;
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    if (CQuorin_Send::QuorSend_S16ToBytes(*value, high, low)) {
        Put8(b, off, high);
        Put8(b, off + 1, low);
    }
}

} // namespace

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentRotorHeader(
    std::string block, std::uint32_t* serial24, std::uint32_t* value32, std::uint8_t* byte14, std::uint8_t* byte15,
    std::uint32_t* word16, double* version16, std::uint8_t* byte18, std::uint8_t* byte19, std::uint32_t* word20,
    double* version20, std::uint8_t* byte22, std::string* message)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    const std::int32_t state = KeepRead(kRotorHeader, b, message);
    Set(serial24, U24(b, 7));
    Set(value32, U32(b, 10));
    Set(byte14, U8(b, 14));
    Set(byte15, U8(b, 15));
    Set(word16, U16(b, 16));
    if (version16)
        *version16 = VersionNumber(U16(b, 16));
    Set(byte18, U8(b, 18));
    Set(byte19, U8(b, 19));
    Set(word20, U16(b, 20));
    if (version20)
        *version20 = VersionNumber(U16(b, 20));
    Set(byte22, U8(b, 22));
    return state;
}

void CQuorin_Send::QuorSend_WriteBlockSetContentRotorHeader(std::string& block, const std::uint32_t* serial24,
                                                            const std::uint32_t* value32, const std::uint8_t* byte14,
                                                            const std::uint8_t* byte15, const std::uint32_t* word16,
                                                            const std::uint8_t* byte18, const std::uint8_t* byte19,
                                                            const std::uint32_t* word20, const std::uint8_t* byte22)
{
    std::string b = QuorSend_PadBlock(block);
    if (serial24)
        PutN(b, 7, *serial24 & 0xFFFFFFu, 3);
    if (value32)
        PutN(b, 10, *value32, 4);
    PutByte(b, 14, byte14);
    PutByte(b, 15, byte15);
    PutWord(b, 16, word16);
    PutByte(b, 18, byte18);
    PutByte(b, 19, byte19);
    PutWord(b, 20, word20);
    PutByte(b, 22, byte22);
    block = b;
    KeepWrite(kRotorHeader, b);
}

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentRotorCalibFactory(
    std::string block, std::int64_t* time, std::tm* local, std::uint32_t* word11, double* factor11,
    std::int32_t* signed13, std::uint32_t* word15, double* factor15, std::int32_t* signed17, std::uint32_t* word19,
    double* factor19, std::uint32_t* word21, double* factor21, std::uint32_t* word23, std::uint32_t* word25,
    std::uint32_t* word27, double* factor27, std::uint32_t* word29, double* factor29, std::string* timeText,
    std::string* message, bool userBlock, std::uint32_t* seconds)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    // The user block reader has already kept its block in its own descriptor.
    const std::int32_t state = userBlock ? m_blocks[kRotorUserCalib].readState : KeepRead(kRotorFactoryCalib, b, message);
    QuorSend_TimeFieldText(b, time, local, timeText, seconds);
    GetFactor(b, 11, {word11, factor11});
    Set(signed13, static_cast<std::int32_t>(QuorSend_SignedWord(U8(b, 13), U8(b, 14))));
    GetFactor(b, 15, {word15, factor15});
    Set(signed17, static_cast<std::int32_t>(QuorSend_SignedWord(U8(b, 17), U8(b, 18))));
    GetFactor(b, 19, {word19, factor19});
    GetFactor(b, 21, {word21, factor21});
    Set(word23, U16(b, 23));
    Set(word25, U16(b, 25));
    GetFactor(b, 27, {word27, factor27});
    GetFactor(b, 29, {word29, factor29});
    return state;
}

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentRotorCalibUser(
    std::string block, std::int64_t* time, std::tm* local, std::uint32_t* word11, double* factor11,
    std::int32_t* signed13, std::uint32_t* word15, double* factor15, std::int32_t* signed17, std::uint32_t* word19,
    double* factor19, std::uint32_t* word21, double* factor21, std::uint32_t* word23, std::uint32_t* word25,
    std::uint32_t* word27, double* factor27, std::uint32_t* word29, double* factor29, std::string* timeText,
    std::string* message, std::uint32_t* seconds)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    KeepRead(kRotorUserCalib, b, message);
    return QuorSend_ReadBlockGetContentRotorCalibFactory(b, time, local, word11, factor11, signed13, word15, factor15,
                                                         signed17, word19, factor19, word21, factor21, word23,
                                                         word25, word27, factor27, word29, factor29, timeText,
                                                         nullptr, true, seconds);
}

void CQuorin_Send::QuorSend_WriteBlockSetContentRotorCalibFactory(
    std::string& block, const std::int64_t* time, const std::uint32_t* word11, const std::int32_t* signed13,
    const std::uint32_t* word15, const std::int32_t* signed17, const std::uint32_t* word19,
    const std::uint32_t* word21, const std::uint32_t* word23, const std::uint32_t* word25,
    const std::uint32_t* word27, const std::uint32_t* word29, bool userBlock)
{
    std::string b = QuorSend_PadBlock(block);
    PutTime(b, time);
    PutWord(b, 11, word11);
    PutSigned(b, 13, signed13);
    PutWord(b, 15, word15);
    PutSigned(b, 17, signed17);
    PutWord(b, 19, word19);
    PutWord(b, 21, word21);
    PutWord(b, 23, word23);
    PutWord(b, 25, word25);
    PutWord(b, 27, word27);
    PutWord(b, 29, word29);
    block = b;
    KeepWrite(userBlock ? kRotorUserCalib : kRotorFactoryCalib, b);
}

void CQuorin_Send::QuorSend_WriteBlockSetContentRotorCalibUser(
    std::string& block, const std::int64_t* time, const std::uint32_t* word11, const std::int32_t* signed13,
    const std::uint32_t* word15, const std::int32_t* signed17, const std::uint32_t* word19,
    const std::uint32_t* word21, const std::uint32_t* word23, const std::uint32_t* word25,
    const std::uint32_t* word27, const std::uint32_t* word29)
{
    QuorSend_WriteBlockSetContentRotorCalibFactory(block, time, word11, signed13, word15, signed17, word19, word21,
                                                   word23, word25, word27, word29, true);
}

std::uint32_t CQuorin_Send::QuorSend_GetFactoryCalibField(const std::string& block, int offset)
{
    std::uint32_t w11 = 0, w15 = 0, w19 = 0, w21 = 0, w23 = 0, w25 = 0;
    QuorSend_ReadBlockGetContentRotorCalibFactory(block, nullptr, nullptr, &w11, nullptr, nullptr, &w15, nullptr,
                                                  nullptr, &w19, nullptr, &w21, nullptr, &w23, &w25, nullptr,
                                                  nullptr, nullptr, nullptr, nullptr);
    switch (offset) {
    case 11: return w11;
    case 15: return w15;
    case 19: return w19;
    case 21: return w21;
    case 23: return w23;
    case 25: return w25;
    default: return 0;
    }
}

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentRotorOperation(std::string block, std::int64_t* time,
                                                                      std::tm* local, std::string* timeText,
                                                                      std::string* name1, std::string* name2,
                                                                      std::string* message)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    const std::int32_t state = KeepRead(kRotorOperation, b, message);
    QuorSend_TimeFieldText(b, time, local, timeText, nullptr);
    const bool unset = NameUnset(b);
    std::string* halves[2] = {name1, name2};
    for (int h = 0; h < 2; ++h) {
        if (!halves[h])
            continue;
        std::string text = "123456";
        for (int i = 0; i < 6; ++i) {
            const int n = h * 6 + i;
            std::uint8_t code = 0;
            for (int k = 0; k < 6; ++k) {
                int offset = 0, bit = 0;
                NameBit(n, k, offset, bit);
                QuorSend_CopyBit(code, k, U8(b, offset), bit);
            }
            text[i] = QuorSend_CodeToChar(code);
        }
        if (unset)
            text = kNoName;
        *halves[h] = Trim(text);
    }
    return state;
}

void CQuorin_Send::QuorSend_WriteBlockSetContentRotorOperation(std::string& block, const std::int64_t* time,
                                                               const std::string* name1, const std::string* name2)
{
    std::string b = QuorSend_PadBlock(block);
    PutTime(b, time);
    const std::string* halves[2] = {name1, name2};
    for (int h = 0; h < 2; ++h) {
        if (!halves[h])
            continue;
        // "n.a." is what an unset name reads as; all-'?' codes give the unset pattern back.
        std::string text = *halves[h] == kNoName ? std::string("??????") : *halves[h];
        text = Trim(text);
        text.resize(6, ' ');
        for (int i = 0; i < 6; ++i) {
            const std::uint8_t code = QuorSend_CharToCode(text[i]);
            for (int k = 0; k < 6; ++k) {
                int offset = 0, bit = 0;
                NameBit(h * 6 + i, k, offset, bit);
                std::uint8_t byte = U8(b, offset);
                QuorSend_CopyBit(byte, bit, code, k);
                Put8(b, offset, byte);
            }
        }
    }
    block = b;
    KeepWrite(kRotorOperation, b);
}
