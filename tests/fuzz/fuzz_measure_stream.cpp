// Device bytes into the measure page's answer decoders and both value-stream
// parsers. The first byte picks the chunk size, so frames and lines arrive
// split at every possible place, the way the port hands them over.
#include "measure/MeasureAnswers.h"
#include "measure/ValueStream.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    MeasureRecord record;
    const SensorAnswer sensor = DecodeAnswer(bytes);
    ApplySensorAnswer(sensor, record);
    DecodeStatusLong(bytes, record);
    DecodeVersion(bytes, record);
    ExtractHeaderAnswer(CString(bytes));

    const ValueScale scale{record.m_iDecimalDivisor, CAlgebra::OperatorFor(data[0] & 7), 1.5};
    const std::size_t chunk = (data[0] % 17) + 1;
    std::string fast, slow;
    for (std::size_t i = 0; i < bytes.size(); i += chunk) {
        const std::string piece = bytes.substr(i, chunk);
        fast += piece;
        const FastStreamResult f = ParseFastStream(fast);
        if (f.consumed > fast.size())
            std::abort();
        for (int r : f.readings)
            if (r < -32768 || r > 32767 || !std::isfinite(ConvertFrameReading(r, scale)))
                std::abort();
        fast.erase(0, f.consumed);
        if (fast.size() > 3 && !f.endMark)
            std::abort(); // a full frame's worth was left unread

        slow += piece;
        const SlowStreamResult s = ParseSlowStream(slow);
        if (s.consumed > slow.size())
            std::abort();
        for (const CString& v : s.values) {
            if (v.GetLength() != 6)
                std::abort();
            FormatValueText(record.m_strDisplayFormat, ConvertLineValue(v, scale), record.m_strUnit);
        }
        slow.erase(0, s.consumed);
        if (slow.size() > kSlowLineCap + 1)
            std::abort();
    }
    return 0;
}
