#include "pages/LoggerCsv.h"

#include <vector>

namespace {

constexpr char kDrop = char(0xC4);
constexpr char kCr = char(0xD6);
constexpr char kLf = char(0xDC);

bool HasMarker(const char* text, int length)
{
    for (int i = 0; i < length; ++i)
        if (text[i] == kDrop || text[i] == kCr || text[i] == kLf)
            return true;
    return false;
}

bool IsLineEnd(const char* text, int length, int i) { return text[i] == '\r' && i + 1 < length && text[i + 1] == '\n'; }

// A unit of three blanks keeps one blank so the column is not empty;
// otherwise blanks around the unit go.
void MarkUnit(std::vector<char>& work, const char* original, int first)
{
    const bool blank0 = original[first] == ' ';
    const bool blank1 = original[first + 1] == ' ';
    if (blank0)
        work[first] = kDrop;
    if (blank1)
        work[first + 1] = kDrop;
    if (original[first + 2] == ' ' && (!blank0 || !blank1))
        work[first + 2] = kDrop;
}

CString PlainRecords(const CString& records, bool manualMode)
{
    CString out = records;
    const char* text = records.GetString();
    const int length = records.GetLength();
    int lineStart = 0;
    for (int i = 0; i < length; ++i) {
        if (!IsLineEnd(text, length, i))
            continue;
        const int lineLength = i - lineStart;
        lineStart = i + 2;
        if (manualMode) {
            if (lineLength > 14) {
                out.SetAt(i - 13, ',');
                out.SetAt(i - 9, ',');
            }
        } else if (lineLength >= 5) {
            out.SetAt(i - 5, ',');
        }
    }
    return out;
}

} // namespace

CString ConvertLoggerRecords(const CString& records, bool manualMode, const LoggerCsvFormat& format)
{
    const char* text = records.GetString();
    const int length = records.GetLength();
    if (HasMarker(text, length))
        return PlainRecords(records, manualMode);

    // One work copy for the whole text; no allocation per line.
    std::vector<char> work(text, text + length);
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
                    work[k] = kDrop;
            } else {
                MarkUnit(work, text, i - 12);
            }
        } else {
            if (lineLength <= 10)
                continue;
            decimals(i - 11, i - 6);
            work[i - 5] = format.columnSeparator;
            if (!format.physicalUnit) {
                for (int k = i - 4; k <= i - 2; ++k)
                    work[k] = kDrop;
            } else {
                MarkUnit(work, text, i - 4);
            }
            if (text[i - 1] == ' ')
                work[i - 1] = kDrop;
        }
        switch (format.lineEndIndex) {
        case 1: work[i] = kLf; work[i + 1] = kCr; break;
        case 2: work[i] = kCr; work[i + 1] = kDrop; break;
        case 3: work[i] = kLf; work[i + 1] = kDrop; break;
        default: break;
        }
    }

    CString out;
    char* dst = out.GetBuffer(length);
    int n = 0;
    for (char c : work) {
        if (c == kDrop)
            continue;
        dst[n++] = c == kCr ? '\r' : c == kLf ? '\n' : c;
    }
    out.ReleaseBuffer(n);
    return out;
}

CString BuildLoggerCsv(const CString& header, const CString& headline, const CString& comment,
                       const CString& mode, const CString& convertedRecords, const CString& lineEnd)
{
    const CString three = lineEnd + lineEnd + lineEnd;
    return header + three + headline + lineEnd + comment + three + mode + three + convertedRecords;
}
