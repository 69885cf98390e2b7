// Arbitrary PC bytes into the simulated device, in chunks of every size and
// with time passing between them: frames with wrong lengths or check bytes,
// menu keys in any order and measuring started and stopped at random must
// never throw, hang or grow a write queue without bound.
#include "sim/Vx35Device.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    vx35sim::ManualClock clock;
    vx35sim::DeviceConfig config;
    config.sampleMode = (data[0] % 6) * 4;
    config.autoRate = 2 + data[1] % 7;
    vx35sim::Vx35Device device(clock, config);
    const std::size_t chunk = (data[0] % 13) + 1;
    for (std::size_t i = 2; i < size; i += chunk) {
        const std::size_t n = i + chunk <= size ? chunk : size - i;
        device.receive(data + i, n);
        clock.advance(data[i] % 64);
        if (data[i] == 0x7F)
            device.trigger();
        std::size_t out = 0;
        for (const auto& w : device.poll())
            out += w.bytes.size();
        if (out > (1u << 20))
            std::abort();
    }
    return 0;
}
