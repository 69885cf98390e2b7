// The one Windows-1252 table of the program. Text crosses to Qt (UTF-16)
// and to UTF-8 (source files, res/ texts) only through these functions.
#pragma once

#include "CString.h"

#include <QString>
#include <string_view>

namespace vx {

// Every byte maps to one UTF-16 unit; the five bytes 1252 leaves undefined
// (0x81 0x8D 0x8F 0x90 0x9D) map to the same-numbered C1 control, so all 256
// bytes survive a round trip.
char16_t Cp1252ToUnicode(unsigned char byte);
// '?' for characters outside code page 1252.
unsigned char UnicodeToCp1252(char16_t ch);
// Whether every character of text has a place in code page 1252, so that
// nothing of it turns into '?' on its way into the program.
bool FitsCp1252(const QString& text);

QString ToQString(const CString& text);
CString FromQString(const QString& text);

// UTF-8 (source literals, resource files) to code page 1252 bytes.
CString FromUtf8(std::string_view utf8);

} // namespace vx
