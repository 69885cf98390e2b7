// Readers and writers of the four stator blocks.
#include "telegram/BlockFields.h"
#include "telegram/CQuorin_Send.h"
#include "telegram/Float32.h"

using namespace blockfields;

namespace {

// Five characters, trimmed and blank-padded; longer texts are cut.
void PutText5(std::string& b, int off, const std::string* text)
{
    if (!text)
        return;
    std::string t = Trim(*text);
    t.resize(5, ' ');
    for (int i = 0; i < 5; ++i)
        b[off + i] = t[i];
}

void GetText5(const std::string& b, int off, std::string* text)
{
    if (text)
        *text = Trim(b.substr(off, 5));
}

void PutFlag(std::string& b, int off, int bit, const std::uint8_t* value)
{
    if (value)
        PutBits(b, off, bit, 1, *value != 0 ? 1 : 0);
}

} // namespace

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentStatorHeader(std::string block, std::uint32_t* serial24,
                                                                    std::uint32_t* value32, std::string* message)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    const std::int32_t state = KeepRead(kStatorHeader, b, message);
    Set(serial24, U24(b, 7));
    Set(value32, U32(b, 10));
    return state;
}

void CQuorin_Send::QuorSend_WriteBlockSetContentStatorHeader(std::string& block, const std::uint32_t* serial24,
                                                             const std::uint32_t* value32)
{
    std::string b = QuorSend_PadBlock(block);
    if (serial24)
        PutN(b, 7, *serial24 & 0xFFFFFFu, 3);
    if (value32)
        PutN(b, 10, *value32, 4);
    block = b;
    KeepWrite(kStatorHeader, b);
}

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentStatorHardware(std::string block, std::int64_t* time,
                                                                      std::tm* local, std::uint8_t* byte16,
                                                                      std::uint8_t* byte17, std::string* timeText,
                                                                      std::string* message)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    const std::int32_t state = KeepRead(kStatorHardware, b, message);
    QuorSend_TimeFieldText(b, time, local, timeText, nullptr);
    Set(byte16, U8(b, 16));
    Set(byte17, U8(b, 17));
    return state;
}

void CQuorin_Send::QuorSend_WriteBlockSetContentStatorHardware(std::string& block, const std::int64_t* time,
                                                               const std::uint8_t* byte16, const std::uint8_t* byte17)
{
    std::string b = QuorSend_PadBlock(block);
    PutTime(b, time);
    PutByte(b, 16, byte16);
    PutByte(b, 17, byte17);
    block = b;
    KeepWrite(kStatorHardware, b);
}

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentStatorOperation(
    std::string block, std::int64_t* time, std::tm* local, std::uint8_t* byte12, std::uint8_t* byte12Bit0,
    std::uint8_t* byte13, std::uint8_t* flag15, std::uint8_t* byte16, std::uint8_t* byte17, std::uint8_t* byte18,
    std::uint32_t* word19, std::uint32_t* word21, std::string* timeText, std::string* message)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    const std::int32_t state = KeepRead(kStatorOperation, b, message);
    QuorSend_TimeFieldText(b, time, local, timeText, nullptr);
    Set(byte12, U8(b, 12));
    Set(byte12Bit0, Bits(U8(b, 12), 0, 1));
    Set(byte13, U8(b, 13));
    Set(flag15, Bits(U8(b, 15), 0, 1));
    Set(byte16, U8(b, 16));
    Set(byte17, U8(b, 17));
    Set(byte18, U8(b, 18));
    Set(word19, U16(b, 19));
    Set(word21, U16(b, 21));
    return state;
}

void CQuorin_Send::QuorSend_WriteBlockSetContentStatorOperation(
    std::string& block, const std::int64_t* time, const std::uint8_t* byte12, const std::uint8_t* byte13,
    const std::uint8_t* flag15, const std::uint8_t* byte16, const std::uint8_t* byte17, const std::uint8_t* byte18,
    const std::uint32_t* word19, const std::uint32_t* word21)
{
    std::string b = QuorSend_PadBlock(block);
    PutTime(b, time);
    PutByte(b, 12, byte12);
    PutByte(b, 13, byte13);
    if (flag15)
        PutBits(b, 15, 0, 1, *flag15 == 1 ? 1 : 0);
    PutByte(b, 16, byte16);
    PutByte(b, 17, byte17);
    PutByte(b, 18, byte18);
    PutWord(b, 19, word19);
    PutWord(b, 21, word21);
    block = b;
    KeepWrite(kStatorOperation, b);
}

std::int32_t CQuorin_Send::QuorSend_ReadBlockGetContentStatorSoftwareConfiguration(
    std::string block, std::uint8_t* byte7, double* floatA, double* floatB, std::string* textA, std::string* textB,
    std::uint8_t* bits5A, std::uint8_t* bits5B, std::uint8_t* bits3A, std::uint8_t* bits3B, std::uint8_t* bits4A,
    std::uint8_t* bits4B, std::uint8_t* flag7A, std::uint8_t* flag7B, std::uint8_t* flag6A, std::uint8_t* flag6B,
    std::uint32_t* word30, std::uint8_t* byte32, std::uint8_t* bits2A, std::uint8_t* bits2B, std::string* message)
{
    const std::string b = QuorSend_PadBlock(std::move(block));
    const std::int32_t state = KeepRead(kStatorSoftwareConfig, b, message);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(b.data());
    Set(byte7, U8(b, 7));
    if (floatA)
        *floatA = m_float->BytesToValue(raw + 8);
    if (floatB)
        *floatB = m_float->BytesToValue(raw + 12);
    GetText5(b, 16, textA);
    GetText5(b, 21, textB);
    Set(bits5A, Bits(U8(b, 26), 0, 5));
    Set(bits5B, Bits(U8(b, 27), 0, 5));
    Set(bits3A, Bits(U8(b, 26), 5, 3));
    Set(bits3B, Bits(U8(b, 27), 5, 3));
    Set(bits4A, Bits(U8(b, 28), 0, 4));
    Set(bits4B, Bits(U8(b, 29), 0, 4));
    Set(flag7A, Bits(U8(b, 28), 7, 1));
    Set(flag7B, Bits(U8(b, 29), 7, 1));
    Set(flag6A, Bits(U8(b, 28), 6, 1));
    Set(flag6B, Bits(U8(b, 29), 6, 1));
    Set(word30, U16(b, 30));
    Set(byte32, U8(b, 32));
    Set(bits2A, Bits(U8(b, 28), 4, 2));
    Set(bits2B, Bits(U8(b, 29), 4, 2));
    return state;
}

void CQuorin_Send::QuorSend_WriteBlockSetContentStatorSoftwareConfiguration(
    std::string& block, const std::uint8_t* byte7, const double* floatA, const double* floatB,
    const std::string* textA, const std::string* textB, const std::uint8_t* bits5A, const std::uint8_t* bits5B,
    const std::uint8_t* bits3A, const std::uint8_t* bits3B, const std::uint8_t* bits4A, const std::uint8_t* bits4B,
    const std::uint8_t* flag7A, const std::uint8_t* flag7B, const std::uint8_t* flag6A, const std::uint8_t* flag6B,
    const std::uint32_t* word30, const std::uint8_t* byte32, const std::uint8_t* bits2A, const std::uint8_t* bits2B)
{
    std::string b = QuorSend_PadBlock(block);
    PutByte(b, 7, byte7);
    const auto putFloat = [&](int off, const double* v) {
        if (!v)
            return;
        m_float->ValueToBytes(v);
        for (int i = 0; i < 4; ++i)
            Put8(b, off + i, m_float->Bytes()[i]);
    };
    putFloat(8, floatA);
    putFloat(12, floatB);
    PutText5(b, 16, textA);
    PutText5(b, 21, textB);
    const auto putBits = [&](int off, int lo, int width, const std::uint8_t* v) {
        if (v)
            PutBits(b, off, lo, width, *v);
    };
    putBits(26, 0, 5, bits5A);
    putBits(27, 0, 5, bits5B);
    putBits(26, 5, 3, bits3A);
    putBits(27, 5, 3, bits3B);
    putBits(28, 0, 4, bits4A);
    putBits(29, 0, 4, bits4B);
    PutFlag(b, 28, 7, flag7A);
    PutFlag(b, 29, 7, flag7B);
    PutFlag(b, 28, 6, flag6A);
    PutFlag(b, 29, 6, flag6B);
    PutWord(b, 30, word30);
    PutByte(b, 32, byte32);
    putBits(28, 4, 2, bits2A);
    putBits(29, 4, 2, bits2B);
    block = b;
    KeepWrite(kStatorSoftwareConfig, b);
}
