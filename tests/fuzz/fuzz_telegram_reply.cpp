// Device bytes into the reply check and the reply collection. The first byte
// picks the chunk size, so frames arrive split at every possible place.
#include "telegram/CQuorin_Send.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    CQuorin_Send::QuorSend_CheckReply(bytes, 1);
    CQuorin_Send::QuorSend_CheckReply(bytes, 0);

    CQuorin_Send q;
    q.QuorSend_SetReplyLength(data[0] & 0x3F);
    std::string copy = bytes;
    q.QuorSend_UnstuffReply(copy);

    const std::size_t chunk = (data[0] % 13) + 1;
    std::string accumulated;
    for (std::size_t i = 0; i < bytes.size(); i += chunk) {
        const std::size_t n = bytes.size() - i < chunk ? bytes.size() - i : chunk;
        std::uint8_t code = 0;
        if (q.QuorSend_CollectReply(bytes.data() + i, accumulated, static_cast<int>(n), 64, code)) {
            // A collected frame must pass the check it was collected by.
            if (CQuorin_Send::QuorSend_CheckReply(accumulated, 1) != 0)
                __builtin_trap();
            accumulated.clear();
        }
    }
    return 0;
}
