// Any bytes as a delimited data file, read as numbers and as texts with a
// few delimiters: reading must never crash, loop or leave the columns out
// of step with the names, and whatever was read must write out again.
#include "chart/DataFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string ScratchPath(const char* tag)
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/fuzz_chart_datafile_" + std::to_string(getpid()) + tag;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string in = ScratchPath(".in");
    static const std::string out = ScratchPath(".out");
    if (FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    const char* delimiters[] = {",", ";", "\t"};
    const DWORD flags[] = {CDelimitedDataFile::RF_READ_AS_DOUBLE, CDelimitedDataFile::READ_AS_STRING,
                           CDelimitedDataFile::READ_AS_STRING | CDelimitedDataFile::RF_APPEND_DATA};
    for (const char* d : delimiters) {
        CDelimitedDataFile table;
        table.SetDelimiter(d);
        for (DWORD fl : flags) {
            if (!table.ReadFile(in.c_str(), fl))
                continue;
            const int n = table.GetNumberOfVariables();
            for (int v = 0; v < n; ++v) {
                if (table.GetNumberOfSamples(v) < 0)
                    std::abort();
                CString s;
                if (table.GetVariableName(v, s) < 0 || s.GetLength() > CDelimitedDataFile::kMaxFieldLength)
                    std::abort();
                table.GetData(v, 0);
                table.GetString(v, 0, s);
            }
            if (!table.WriteFile(out.c_str(), d))
                std::abort();
        }
    }
    return 0;
}
