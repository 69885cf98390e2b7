// Decoders for the device's answers during the measure conversation: the
// sensor parameters ('C'), the long status ('E'), the company header ('d')
// and the version ('V'). They never read beyond the bytes they are given:
// missing bytes read as zero.
//
// An answer is found by where it starts and ends, never refused for what
// it holds: 'C' and 'E' are exactly their length once the line went quiet,
// 'd' runs up to its ETX and 'V' is its version line (app/DeviceAnswers.h).
// What the fields hold is decoded as it stands: a type nibble above 9 reads
// as type 0, an unknown decimals code as divisor 1, an unknown sample mode
// as "SCI aus".
#pragma once

#include "app/ChannelRecord.h"
#include "app/DeviceAnswers.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <string_view>

// The conversation writes straight into channel record 0. A record whose
// sensor answer never came keeps divisor 1, and an empty display format
// shows whole numbers (FormatValueText), so values stay finite and visible.
using MeasureRecord = ChannelRecord;

constexpr int kSensorAnswerBytes = kSensorRecordBytes;
constexpr int kStatusLongAnswerBytes = 12;
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
SensorAnswer DecodeAnswer(const CString& answer);
// Stores what a sensor answer names; the two points are only checked.
void ApplySensorAnswer(const SensorAnswer& sensor, MeasureRecord& record);

// Bytes 2..5 into the four status bytes, as they are.
void DecodeStatusLong(std::string_view answer, MeasureRecord& record);

// Variant 700 whatever the text says; the firmware version is the number in
// the first three of the last five characters.
void DecodeVersion(std::string_view answer, MeasureRecord& record);

// The 'd' answer up to its first ETX (all of it when it has none), without
// a leading CR LF.
CString ExtractHeaderAnswer(const CString& receiveText);
