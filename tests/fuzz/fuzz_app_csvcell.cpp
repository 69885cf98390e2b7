// Any file into the CSV cell reader that the table file and the logger use:
// it must walk every byte at most once per call and always come to an end.
#include "app/Environment.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    FILE* f = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!f)
        return 0;
    CEnvironment env;
    int line = 0, column = 0;
    CString cell;
    std::size_t cells = 0;
    for (bool ok = env.GetCsvCell(f, line, column, cell, true); ok; ok = env.GetCsvCell(f, line, column, cell, false)) {
        if (++cells > size + 1 || line < 1 || column < 1)
            std::abort();
    }
    std::fclose(f);
    return 0;
}
