// Device bytes into the status decoder and the code-to-text helpers.
#include "telegram/StatusReply.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    std::uint8_t v[13] = {};
    std::string report;
    const bool decoded = QuorSend_DecodeStatus(reply, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7],
                                               &v[8], &v[9], &v[10], &v[11], &v[12], &report);
    if (decoded != (size >= kStatusReplyMinLength))
        __builtin_trap();
    if (decoded) {
        // Masked fields stay in range and the flag agrees with the state.
        if (v[2] > 3 || v[7] > 3 || v[10] > 127 || v[11] > 127 || v[3] != (v[2] == 3 ? 1 : 0))
            __builtin_trap();
        if (report.empty())
            __builtin_trap();
    }
    if (size >= 4) {
        std::string s;
        QuorSend_ErrorName(s, data[0]);
        QuorSend_CalibrationName(s, data[1]);
        QuorSend_StatorTypeText(s, data[0], data[1], data[2] & 1, data[3] & 1, (data[2] >> 1) * 1000);
        if (s.empty())
            __builtin_trap();
    }
    return 0;
}
