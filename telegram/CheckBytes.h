// The device's check-byte pair s1, s2, shared by the framed telegrams and the
// text frames of the one-letter command set ('a' date, 'e' parameter row).
// Header-only, so callers outside the telegram library need no link to it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace telegram {

// s1 is the byte sum modulo 256; s2 sums s1 with an end-around carry (an
// overflow loses 255, not 256), so s2 can be 255 but never wraps to 0 from a
// non-zero sum.
constexpr std::array<std::uint8_t, 2> CheckBytes(const std::uint8_t* data, std::size_t count)
{
    unsigned s1 = 0;
    unsigned s2 = 0;
    for (std::size_t i = 0; i < count; ++i) {
        s1 = (s1 + data[i]) & 0xFFu;
        s2 += s1;
        if (s2 > 0xFFu)
            s2 -= 0xFFu;
    }
    return {static_cast<std::uint8_t>(s1), static_cast<std::uint8_t>(s2)};
}

} // namespace telegram
