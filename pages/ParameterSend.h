// Writing the edited sensor rows back to the device: the 22-byte row text
// of each row, the checks run before anything goes out, and the actions
// the page carries out for the whole send. Widget-free like the read.
#pragma once

#include "pages/ParameterCodec.h"
#include "pages/ParameterRead.h"
#include "platform/CString.h"
#include "platform/Types.h"

constexpr UINT kParameterRowSendWaitMs = 250;

// The nominal value as two BCD bytes; returns the decimals code (1..4: the
// ',' position from the left, 0 when there is none or it leads).
int ParameterNominalToBcd(const CString& nominal, BYTE& high, BYTE& low);

// The row text of one row: name (8), nominal BCD (2), unit (3), type code
// plus decimals code, 0 % point, 100 % point, first and second factory word.
CString ParameterRowText(const CString& name, const CString& nominal, const CString& unit,
                         const ParameterRowRecord& record);

// Digits with at most one decimal sign (',' or '.') whose four digits and
// decimals code, decoded as the read decodes them, give the same number.
bool ParameterNominalSendable(const CString& nominal);

enum class ParameterSendCheck { Ok, Range, Empty };

// The range check first (every non-empty nominal value must be sendable,
// which keeps it at most 9999), then the empty check of all 30 edited texts.
ParameterSendCheck CheckParameterRows(const ParameterRowTexts rows[kParameterRows]);

// What the page does once the pre-read is done: either the ten row frames,
// 250 ms apart, or the message of the failed check; a refresh in any case.
CParameterRead::Actions ParameterSendActions(const ParameterRowTexts rows[kParameterRows],
                                             const ParameterRowRecord records[kParameterRows]);
