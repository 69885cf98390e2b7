// Device answers into the parameter read conversation: version texts,
// factory words and row records cut at every place, with the step and answer
// timers firing in between. The conversation may give up, but it must never
// read past a chunk, throw, or ask to send an empty byte.
#include "pages/ParameterRead.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

CString NoText(UINT) { return CString("x"); }

void Check(const CParameterRead::Actions& actions)
{
    for (const ParameterReadAction& a : actions)
        if ((a.kind == ParameterReadAction::PageSend || a.kind == ParameterReadAction::DirectSend) && a.bytes.IsEmpty())
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    CParameterRead read(&NoText);
    Check(data[0] & 1 ? read.StartRead() : read.StartPreRead());
    const std::size_t chunk = (data[0] % 23) + 1;
    for (std::size_t i = 1; i < size; i += chunk) {
        const std::size_t n = i + chunk <= size ? chunk : size - i;
        Check(read.OnBytes(CString(reinterpret_cast<const char*>(data + i), static_cast<int>(n))));
        switch (data[i] % 11) {
        case 0: Check(read.OnTimer(CParameterRead::kStepTimer)); break;
        case 1: Check(read.OnTimer(CParameterRead::kAnswerTimer)); break;
        case 2: Check(read.OnTimer(CParameterRead::kSendTimer)); break;
        case 3: Check(read.OnTimer(CParameterRead::kSettleTimer)); break;
        case 4: Check(read.OnTimer(CParameterRead::kVersionCapTimer)); break;
        default: break;
        }
    }
    return 0;
}
