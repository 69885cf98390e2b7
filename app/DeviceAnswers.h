// The shapes of the device's answers that more than one conversation meets,
// each taken by one rule for the whole program: the 20-byte sensor record
// (the measure start's 'C' and the parameter read's 'f' rows), the version
// line ('V' on the measure, control and parameter pages) and a text answer
// up to its ETX ('d' on the measure and company header pages, the logger's
// header). What a conversation then reads of an answer is its own.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

// An answer of fixed length has no end mark: it is complete once its
// length has come and the line has been quiet this long. Well above the
// byte time of a slow line.
constexpr UINT kFixedAnswerQuietMs = 50;
// Where its place on the line is known, exactly its length came: a byte
// before it, a byte after it and a longer answer cannot be told apart, so
// any other count is no answer (the measure start's 'C' and 'E').
bool TakeExactLengthAnswer(const CString& received, int length, CString& answer);
// Where the reading rule says the last bytes count (the parameter read's
// row records): the last length bytes of received, or false while fewer
// came.
bool TakeFixedLengthAnswer(const CString& received, int length, CString& answer);

// The sensor record: name, nominal value, unit, type and decimals, 0 % and
// 100 % points. Bytes 18-19 are not read, whatever the device puts there.
constexpr int kSensorRecordBytes = 20;
// The texts end at their first zero byte: the device pads with them, and
// a zero byte shown, charted or written to a file is nothing the user reads.
struct SensorRecord {
    CString name;              // bytes 0-7, up to a zero byte
    BYTE nominal[2] = {};      // bytes 8-9: four BCD nibbles, high nibble of byte 8 first
    CString unit;              // bytes 10-12, up to a zero byte
    BYTE typeAndDecimals = 0;  // byte 13: high nibble type, low nibble decimals code
    BYTE zeroPoint[2] = {};    // bytes 14-15, high byte first
    BYTE fullPoint[2] = {};    // bytes 16-17, high byte first
};
// Splits record into its fields; bytes it does not hold read as zero (and
// as nothing in the texts).
SensorRecord SplitSensorRecord(const CString& record);

// The answer to 'V' is one line that ends in the version digits
// ("VX35 H2 105" CR LF). Every menu key the device gets answers with a
// line of its own (its display text; on the measuring screen ESC answers
// with a lone CR LF), and on a slow line those, or the line end after an
// earlier answer, may still be arriving when 'V' goes out. A complete line
// that does not end in a digit is such a line and is passed over, so the
// answer is found by its own layout wherever the reader cut the bytes.
//
// A line without its end this long is taken as the answer, cut here.
constexpr int kVersionLineCap = 256;
// The whole wait for the answer, from 'V': a device that keeps sending
// display lines must not hold a page without its buttons or display.
constexpr unsigned kVersionStageCapMs = 3000;
struct VersionLineScan {
    int begin = 0; // where the answer starts, or what may still become it
    int end = -1;  // just past the answer; -1 while it is not complete
};
// Scans text (everything received since 'V') from its start.
VersionLineScan ScanVersionLine(const CString& text);
// An answer whose line end has not come is taken, once the line went quiet,
// when at least this long (the version digits and the two bytes after them).
constexpr int kVersionAnswerMinBytes = 6;

// A text answer ('d', the logger's header) runs up to its first ETX; what
// follows is not part of it. The index of that ETX at or after from, or -1.
int FindAnswerEtx(const CString& received, int from = 0);
// The header of a 'd' answer (and of the logger's read-out): the text before
// end (its ETX; -1: all of it). The device opens these answers with a line
// end: it is removed when it is there, and only then, so every line the
// user wrote stays whether the device sends it or not.
CString HeaderBeforeEtx(const CString& received, int end);
