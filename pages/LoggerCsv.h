// The logger read-out rewritten for a spreadsheet: the device sends its
// records as fixed-width lines, so the value and unit columns are found by
// counting back from each line's CR LF.
#pragma once

#include "platform/CString.h"

struct LoggerCsvFormat {
    int lineEndIndex = 0;          // 0 CR LF, 1 LF CR, 2 CR, 3 LF
    CString lineEnd = "\r\n";
    char columnSeparator = ';';
    char decimalSeparator = ',';
    bool physicalUnit = true;
};

// The records with separators, decimal character, unit column and line ends
// of the format; any byte of the records passes through (umlauts and zero
// bytes included).
CString ConvertLoggerRecords(const CString& records, bool manualMode, const LoggerCsvFormat& format);

// The whole file: header, headline, comment and mode blocks, then the
// converted records.
CString BuildLoggerCsv(const CString& header, const CString& headline, const CString& comment,
                       const CString& mode, const CString& convertedRecords, const CString& lineEnd);
