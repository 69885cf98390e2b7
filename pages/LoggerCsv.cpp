#include "pages/LoggerCsv.h"

#include <vector>

namespace {

bool IsLineEnd(const char* text, int length, int i) { return text[i] == '\r' && i + 1 < length && text[i + 1] == '\n'; }

// A unit of three blanks keeps one blank so the column is not empty;
// otherwise blanks around the unit go.
void MarkUnit(std::vector<bool>& drop, const char* original, int first)
{
    const bool blank0 = original[first] == ' ';
    const bool blank1 = original[first + 1] == ' ';
    if (blank0)
        drop[first] = true;
    if (blank1)
        drop[first + 1] = true;
    if (original[first + 2] == ' ' && (!blank0 || !blank1))
        drop[first + 2] = true;
}

} // namespace

CString ConvertLoggerRecords(const CString& records, bool manualMode, const LoggerCsvFormat& format)
{
    const char* text = records.GetString();
    const int length = records.GetLength();

    // The work copy takes the new bytes; which bytes go is kept beside it,
    // so every byte value of the records (umlauts included) passes through.
    std::vector<char> work(text, text + length);
    std::vector<bool> drop(static_cast<size_t>(length), false);
    auto decimals = [&](int from, int to) {
        for (int k = from; k <= to; ++k)
            if (text[k] == ',')
                work[k] = format.decimalSeparator;
    };
    // Columns are counted back within the line only: a short line must not
    // reach into the line before it.
    int lineStart = 0;
    for (int i = 0; i < length; ++i) {
        if (!IsLineEnd(text, length, i))
            continue;
        const int lineLength = i - lineStart;
        lineStart = i + 2;
        if (manualMode) {
            if (lineLength <= 18)
                continue;
            decimals(i - 19, i - 14);
            work[i - 13] = format.columnSeparator;
            work[i - 9] = format.columnSeparator;
            if (!format.physicalUnit) {
                for (int k = i - 12; k <= i - 9; ++k)
                    drop[k] = true;
            } else {
                MarkUnit(drop, text, i - 12);
            }
        } else {
            if (lineLength <= 10)
                continue;
            decimals(i - 11, i - 6);
            work[i - 5] = format.columnSeparator;
            if (!format.physicalUnit) {
                for (int k = i - 4; k <= i - 2; ++k)
                    drop[k] = true;
            } else {
                MarkUnit(drop, text, i - 4);
            }
            if (text[i - 1] == ' ')
                drop[i - 1] = true;
        }
        switch (format.lineEndIndex) {
        case 1: work[i] = '\n'; work[i + 1] = '\r'; break;
        case 2: drop[i + 1] = true; break;
        case 3: work[i] = '\n'; drop[i + 1] = true; break;
        default: break;
        }
    }

    CString out;
    char* dst = out.GetBuffer(length);
    int n = 0;
    for (int i = 0; i < length; ++i)
        if (!drop[i])
            dst[n++] = work[i];
    out.ReleaseBuffer(n);
    return out;
}

CString BuildLoggerCsv(const CString& header, const CString& headline, const CString& comment,
                       const CString& mode, const CString& convertedRecords, const CString& lineEnd)
{
    const CString three = lineEnd + lineEnd + lineEnd;
    return header + three + headline + lineEnd + comment + three + mode + three + convertedRecords;
}
