// Any bytes into the bitmap reader: a file the user or the program's own
// folder holds may be truncated or lie about its sizes and offsets.
#include "platform/Bmp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QImage image = vx::DecodeBmp(data, size);
    if (!image.isNull())
        (void)image.pixel(0, 0);
    return 0;
}
