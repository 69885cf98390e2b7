// The parameter table file: the page's ten rows and factory word texts as
// ';'-separated CRLF text, and loading the row texts back from it.
#pragma once

#include "pages/ParameterCodec.h"
#include "platform/CString.h"

#include <cstdio>

// Column titles of the header line: name, nominal value, unit, type (the
// loaded texts of the page's language); "0 %" and "100 %" are fixed.
struct ParameterFileTitles {
    CString name, nominal, unit, type;
};

// The whole file, ending in "[EOF]" CR LF.
CString ParameterTableFileText(const ParameterFileTitles& titles, const ParameterRowTexts rows[kParameterRows],
                               const CString wordTexts[kFactoryWordCount]);

// Replaces the file's content (by way of a temporary file beside it, so a
// failure leaves the old file whole); false with "path: reason" in *error
// when it cannot be written.
bool WriteParameterTableFile(const char* path, const CString& text, CString* error = nullptr);

// Cell of column 2..7 of a row line into its text; other columns change nothing.
void SetParameterRowCell(const CString& cell, int column, ParameterRowTexts& row);

// Row texts from lines 3..12 (rows 1..10) of an open file; the rest of the
// file is not looked at. Reading stops at "[EOF]".
void ReadParameterTableFile(FILE* file, ParameterRowTexts rows[kParameterRows]);
// A table file is a few hundred bytes; anything beyond this is not one.
constexpr long long kParameterTableFileLimit = 1 << 20;

enum class ParameterFileRead { Ok, Failed, TooLarge };

// Failed, rows untouched, with "path: reason" in *error when the file
// cannot be opened or read, or is no file at all (a folder, a device, a
// pipe: none of them is opened); TooLarge, rows untouched and nothing
// read, for a file above the limit.
ParameterFileRead ReadParameterTableFile(const char* path, ParameterRowTexts rows[kParameterRows],
                                         CString* error = nullptr);
