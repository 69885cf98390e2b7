// The device's value stream: 4-byte frames (hi, lo, CR, LF) or text lines
// ending in CR LF, both with CR LF alone as the end mark. The parsers are
// pure: they report what they found and how many leading bytes the caller
// may drop, so a chunk costs time in proportion to its length.
#pragma once

#include "controls/CAlgebra.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <cstddef>
#include <string_view>
#include <vector>

struct FastStreamResult {
    std::vector<int> readings; // signed 16-bit readings, in order
    size_t consumed = 0;       // frames and skipped garbage
    // What is left is exactly CR LF: the device may have ended the run. The
    // two bytes stay, so a later chunk can still show they were half a frame.
    bool endMark = false;
};
FastStreamResult ParseFastStream(std::string_view buffer);

// Bytes a line may grow to without CR LF before its head is taken for
// garbage; its last kSlowValueReach bytes are kept.
constexpr size_t kSlowLineCap = 256;
// The value's first character stands this many bytes before the CR LF.
constexpr size_t kSlowValueReach = 19;

struct SlowStreamResult {
    std::vector<CString> values; // the six value characters of each line
    size_t consumed = 0;
    // A line of CR LF alone came last. It is consumed; the caller decides
    // whether it ended the run (nothing followed it for a while).
    bool endMark = false;
};
// Takes every complete line; a line shorter than 19 characters before its
// CR LF is dropped without a value.
SlowStreamResult ParseSlowStream(std::string_view buffer);

// The channel operator is CAlgebra's (operator index -> OperatorFor).
struct ValueScale {
    int divisor = 1;
    CAlgebra::Operation op = &CAlgebra::Add;
    double operand = 0.0;
};

// Both stream kinds divide first and apply the operator after, so a line
// and a frame carrying the same reading give the same value.
double ConvertFrameReading(int reading, const ValueScale& scale);
// The six value characters (',' or '.' as decimal mark) as a reading.
int LineReading(const CString& valueChars);
double ConvertLineValue(const CString& valueChars, const ValueScale& scale);

// The value as shown: the display format (e.g. "%.3f ") then the unit.
// Only "%.<digits>f" followed by plain text is honoured as a format.
CString FormatValueText(const CString& displayFormat, double value, const CString& unit);
