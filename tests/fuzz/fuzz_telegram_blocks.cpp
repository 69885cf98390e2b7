// Device block bytes into the block check, every block reader and the float
// and version decoders. Blocks of any length arrive, short ones included.
#include "telegram/CQuorin_Send.h"
#include "telegram/Float32.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CQuorin_Send q;
    std::string message;

    // A block of any length is checked and sent as its blank-padded copy.
    const std::string padded = CQuorin_Send::QuorSend_PadBlock(bytes);
    std::string paddedMessage;
    if (CQuorin_Send::QuorSend_CheckBlock(bytes, &message) != CQuorin_Send::QuorSend_CheckBlock(padded, &paddedMessage) ||
        message != paddedMessage)
        __builtin_trap();
    const std::string frame = CQuorin_Send::QuorSend_BlockToTelegram(bytes, 0);
    if (frame != CQuorin_Send::QuorSend_BlockToTelegram(padded, 0))
        __builtin_trap();
    // The write telegram is the whole 40-byte frame, its 0x02 bytes doubled,
    // and a frame the reply check accepts.
    std::string unstuffed = frame.substr(0, 1);
    for (size_t i = 1; i < frame.size(); ++i) {
        unstuffed += frame[i];
        if (frame[i] == 0x02)
            ++i;
    }
    if (unstuffed.size() != 40 || unstuffed[4] != 33 || CQuorin_Send::QuorSend_CheckReply(unstuffed, 0) != 0)
        __builtin_trap();
    // A block sent with fresh sums must pass both checks.
    std::string refreshed = padded.substr(0, 40);
    CQuorin_Send::QuorSend_BlockSums(reinterpret_cast<std::uint8_t*>(refreshed.data()) + 6);
    const int check = CQuorin_Send::QuorSend_CheckBlock(refreshed);
    if (check != 255 && (check & (CQuorin_Send::kBlockSumWrong | CQuorin_Send::kBlockWeightedSumWrong)))
        __builtin_trap();
    (void)frame;

    std::uint32_t u[12] = {};
    std::uint8_t b[20] = {};
    double d[8] = {};
    std::int32_t s[2] = {};
    std::int64_t t = 0;
    std::tm tm{};
    std::string text[4];

    q.QuorSend_ReadBlockGetContentStatorHeader(bytes, &u[0], &u[1], &message);
    q.QuorSend_ReadBlockGetContentStatorHardware(bytes, &t, &tm, &b[0], &b[1], &text[0], &message);
    q.QuorSend_ReadBlockGetContentStatorOperation(bytes, &t, &tm, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &b[6],
                                                  &u[0], &u[1], &text[0], &message);
    q.QuorSend_ReadBlockGetContentStatorSoftwareConfiguration(bytes, &b[0], &d[0], &d[1], &text[0], &text[1], &b[1],
                                                              &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &b[8], &b[9],
                                                              &b[10], &u[0], &b[11], &b[12], &b[13], &message);
    q.QuorSend_ReadBlockGetContentRotorHeader(bytes, &u[0], &u[1], &b[0], &b[1], &u[2], &d[0], &b[2], &b[3], &u[3],
                                              &d[1], &b[4], &message);
    q.QuorSend_ReadBlockGetContentRotorCalibFactory(bytes, &t, &tm, &u[0], &d[0], &s[0], &u[1], &d[1], &s[1], &u[2],
                                                    &d[2], &u[3], &d[3], &u[4], &u[5], &u[6], &d[4], &u[7], &d[5],
                                                    &text[0], &message, false, &u[8]);
    q.QuorSend_ReadBlockGetContentRotorCalibUser(bytes, &t, &tm, &u[0], &d[0], &s[0], &u[1], &d[1], &s[1], &u[2],
                                                 &d[2], &u[3], &d[3], &u[4], &u[5], &u[6], &d[4], &u[7], &d[5],
                                                 &text[0], &message, &u[8]);
    q.QuorSend_ReadBlockGetContentRotorOperation(bytes, &t, &tm, &text[0], &text[1], &text[2], &message);

    // Names read back unchanged after writing them again.
    std::string block = padded;
    q.QuorSend_WriteBlockSetContentRotorOperation(block, nullptr, &text[1], &text[2]);
    q.QuorSend_ReadBlockGetContentRotorOperation(block, nullptr, nullptr, nullptr, &text[0], &text[3]);
    if (text[0] != text[1] || text[3] != text[2])
        __builtin_trap();

    if (size >= 4) {
        CFloat32 f;
        f.BytesToValue(data);
        f.BytesToValue(data, true);
        std::string version;
        CQuorin_Send::QuorSend_VersionText(version, CQuorin_Send::MakeWord(data[0], data[1]));
    }
    return 0;
}
