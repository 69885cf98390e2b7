// Number text in the C locale, whatever the user's desktop locale says:
// files, device frames and the screen always use '.' as decimal mark.
#pragma once

#include <cstdarg>
#include <string>

namespace vx {

// printf-style formatting under the C locale, independent of setlocale().
std::string FormatV(const char* fmt, va_list args);
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// atoi: leading blanks, optional sign, digits; stops at the first other
// character; 0 when nothing is read; clamps instead of overflowing.
int StrToInt(const char* s);
long long StrToInt64(const char* s);
// atof: strtod in the C locale; 0.0 when nothing is read.
double StrToDouble(const char* s);
// strtod with the end position, C locale.
double StrToDouble(const char* s, const char** end);

} // namespace vx
