// Decoding of the sensor parameter table as the device sends it: the factory
// calibration words of 'W' and the 20-byte row records of 'f'. Widget-free,
// so the parameter page and its tests share one implementation.
#pragma once

#include "app/DeviceAnswers.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <functional>

// What one decoded row keeps besides its texts; the send writes it back.
struct ParameterRowRecord {
    int decimalsCode = 0;  // 0..15, low nibble of the type byte
    int typeCode = 0;      // type byte & 0xF0
    WORD raw100 = 0;       // raw 100 % point
    WORD raw0 = 0;         // raw 0 % point
    WORD factorySecond = 0; // second word of the row's calibration kind
    WORD factoryFirst = 0;  // first word of the row's calibration kind
};

// The six factory words in the order 'W' sends them.
enum ParameterFactoryWord {
    kPassivFirst,
    kPassivSecond,
    kAktivFirst,
    kAktivSecond,
    kStromFirst,
    kStromSecond,
    kFactoryWordCount
};

enum class ParameterKind { Aktiv, Passiv, Strom, None };

// The six texts of one table row as the form shows them.
struct ParameterRowTexts {
    CString name, nominal, unit, type, p0, p100;
};

// Loads a string-table text by id; the page passes CString::LoadString.
using ParameterTextLoader = std::function<CString(UINT id)>;

constexpr int kParameterRows = 10;
constexpr int kParameterRecordSize = kSensorRecordBytes;
// Bytes a decoder really reads: 14 of 'W', 18 of a record.
constexpr int kFactoryWordsUsed = 14;
constexpr int kRecordBytesUsed = 18;
// 'W' is complete at 16 bytes although only 14 are read.
constexpr int kFactoryWordsAnswerSize = 16;

// Calibration kind of a type code (0x00..0xF0) and its text id.
ParameterKind ParameterKindOfType(int typeCode);
UINT ParameterTypeTextId(int typeCode);
// Loaded type text followed by "[code]", e.g. "PAS_oKON[80]".
CString TypeTextFromCode(int typeCode, int langOffset, const ParameterTextLoader& load);

// Four digits '0' + nibble (so 0xA..0xF give ':'..'?'), with ',' after 1..3
// digits as the decimals code says.
CString ParameterNominalText(BYTE high, BYTE low, int decimalsCode);

// False, words untouched, when the answer holds fewer than 14 bytes.
bool DecodeFactoryWords(const CString& answer, WORD words[kFactoryWordCount]);

// Decodes the first 18 bytes of record into texts and rec; false (outputs
// untouched) when record is shorter.
bool DecodeRowRecord(const CString& record, const WORD words[kFactoryWordCount], int langOffset,
                     const ParameterTextLoader& load, ParameterRowTexts& texts, ParameterRowRecord& rec);
