// Any bytes as a delimited data file, read from memory as numbers and as
// texts with a few delimiters. Reading must never crash or loop, leaves every
// column as long as the others, and what it read, written out again, reads
// back the same (WriteFile writes exactly the text WriteText gives).
#include "chart/DataFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool Same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Every variable of a freshly read table, with as many samples as the first.
void CheckInStep(const CDelimitedDataFile& t)
{
    Check(t.GetNumberOfVariables() >= 1);
    for (int v = 0; v < t.GetNumberOfVariables(); ++v)
        Check(t.GetNumberOfSamples(v) == t.GetNumberOfSamples(0));
}

void CheckSame(CDelimitedDataFile& a, CDelimitedDataFile& b)
{
    Check(a.GetNumberOfVariables() == b.GetNumberOfVariables());
    for (int v = 0; v < a.GetNumberOfVariables(); ++v) {
        CString na, nb;
        Check(a.GetVariableName(v, na) >= 0 && b.GetVariableName(v, nb) >= 0 && na == nb);
        std::vector<double> da, db;
        a.GetVariable(v, da);
        b.GetVariable(v, db);
        Check(da.size() == db.size());
        for (size_t k = 0; k < da.size(); ++k)
            Check(Same(da[k], db[k]));
        std::vector<CString> ta, tb;
        a.GetVariable(v, ta);
        b.GetVariable(v, tb);
        Check(ta == tb);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const char* delimiters[] = {",", ";", "\t"};
    const DWORD flags[] = {CDelimitedDataFile::RF_READ_AS_DOUBLE, CDelimitedDataFile::READ_AS_STRING};
    for (const char* d : delimiters) {
        for (DWORD fl : flags) {
            CDelimitedDataFile table;
            table.SetDelimiter(d);
            if (!table.ReadText(text, fl)) {
                // The only way a read from memory fails.
                Check(table.GetLastError() == CDelimitedDataFile::ErrorText(8));
                continue;
            }
            CheckInStep(table);
            CDelimitedDataFile back;
            back.SetDelimiter(d);
            Check(back.ReadText(table.WriteText(d), fl));
            CheckSame(table, back);

            const int n = table.GetNumberOfVariables();
            Check(table.ReadText(text, fl | CDelimitedDataFile::RF_APPEND_DATA));
            Check(table.GetNumberOfVariables() == 2 * n);
        }
    }
    return 0;
}
