#include "Numbers.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace vx {
namespace {

locale_t CLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Switches this thread to the C locale for the lifetime of the object.
class ScopedCLocale {
public:
    ScopedCLocale() : m_old(uselocale(CLocale())) {}
    ~ScopedCLocale() { uselocale(m_old); }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t m_old;
};

} // namespace

std::string FormatV(const char* fmt, va_list args)
{
    if (!fmt)
        return {};
    ScopedCLocale c;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    return std::string(big.data(), static_cast<size_t>(n));
}

std::string Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string s = FormatV(fmt, args);
    va_end(args);
    return s;
}

long long StrToInt64(const char* s)
{
    if (!s)
        return 0;
    ScopedCLocale c;
    errno = 0;
    const long long v = std::strtoll(s, nullptr, 10);
    return v;
}

int StrToInt(const char* s)
{
    const long long v = StrToInt64(s);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

double StrToDouble(const char* s, const char** end)
{
    if (!s) {
        if (end)
            *end = s;
        return 0.0;
    }
    char* e = nullptr;
    const double v = strtod_l(s, &e, CLocale());
    if (end)
        *end = e;
    return v;
}

double StrToDouble(const char* s) { return StrToDouble(s, nullptr); }

} // namespace vx
