// Decoders for the device's answers during the measure conversation: the
// sensor parameters ('C'), the long status ('E'), the company header ('d')
// and the version ('V'). They never read beyond the bytes they are given:
// missing bytes read as zero.
//
// Each answer also has a layout it must fit before it is decoded: its
// length, its line end and fields in their ranges. A stray byte before an
// answer, or the tail of a key's display line, shifts every field by one
// and would still decode to plausible nonsense (a unit "\0kN", values a
// thousand times too large, a measuring device shown as "SCI aus"); an
// answer that does not fit is not the device's answer and is never decoded.
#pragma once

#include "app/ChannelRecord.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <string_view>

// The conversation writes straight into channel record 0. A record whose
// sensor answer never came keeps divisor 1, and an empty display format
// shows whole numbers (FormatValueText), so values stay finite and visible.
using MeasureRecord = ChannelRecord;

constexpr int kSensorAnswerBytes = 20;
constexpr int kStatusLongAnswerBytes = 12;
constexpr int kVersionAnswerBytes = 6;
// A sensor whose 0 % and 100 % points lie closer than this is refused.
constexpr int kMinPointSpan = 10;

// A BCD nibble as a digit character; nibbles above 9 give ':'..'?', which
// end the number when the digits are read with atoi.
inline char BcdHighDigit(BYTE b) { return static_cast<char>(((b >> 4) & 15) | '0'); }
inline char BcdLowDigit(BYTE b) { return static_cast<char>((b & 15) | '0'); }

struct DisplayDecimals {
    int divisor;
    const char* format;
};
// Low nibble of the sensor answer's byte 13.
DisplayDecimals SetDisplayDecimals(BYTE code);

struct SensorAnswer {
    CString name;
    int nominal = 0;
    CString unit;
    int sensorType = 0;
    DisplayDecimals decimals{1, "%.0f "};
    int zeroPoint = 0;
    int fullPoint = 0;
    bool refused = false;
};
SensorAnswer DecodeAnswer(std::string_view answer);
// Stores what a sensor answer names; the two points are only checked.
void ApplySensorAnswer(const SensorAnswer& sensor, MeasureRecord& record);

// Bytes 2..5 into the four status bytes.
void DecodeStatusLong(std::string_view answer, MeasureRecord& record);

// Variant 700 whatever the text says; the firmware version is the number in
// the first three of the last five characters.
void DecodeVersion(std::string_view answer, MeasureRecord& record);

// The 'd' answer without a leading CR LF and without its first ETX.
CString ExtractHeaderAnswer(const CString& receiveText);

// The first kSensorAnswerBytes of answer: a text name, four BCD digits, a
// text unit, a sensor type digit with a decimals code the table knows,
// points in their sensor type's encoding, then CR LF.
bool SensorAnswerFits(std::string_view answer);
// The first kStatusLongAnswerBytes: a sample mode (and, in AUTO, a rate)
// the mode table knows, then CR LF.
bool StatusLongAnswerFits(std::string_view answer);
// The 'd' answer up to its first ETX (or all of it, when it has none)
// starts with CR LF.
bool HeaderAnswerFits(std::string_view answer);
// The 'V' answer up to its first line feed: at least kVersionAnswerBytes
// long, ending in three version digits and CR LF (the digits the decoder
// reads).
bool VersionAnswerFits(std::string_view line);
