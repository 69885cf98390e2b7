// Decoders for the device's answers during the measure conversation: the
// sensor parameters ('C'), the long status ('E'), the company header ('d')
// and the version ('V'). They never read beyond the bytes they are given:
// missing bytes read as zero.
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
