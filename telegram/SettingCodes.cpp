#include "telegram/SettingCodes.h"

#include <cctype>
#include <cmath>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Trimmed(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

int DigitAt(const std::string& s, std::size_t i)
{
    if (i >= s.size() || s[i] < '0' || s[i] > '9')
        return 0;
    return s[i] - '0';
}

} // namespace

void QuorSend_CodeText20(std::string& out, std::uint8_t code, int* index, double* value)
{
    struct Row {
        double value;
        const char* text;
    };
    static const Row kRows[10] = {{3.0, "3.0"}, {2.0, "2.0"},   {1.0, "1.0"},   {0.5, "0.5"},   {0.3, "0.3"},
                                  {0.25, "0.25"}, {0.2, "0.2"}, {0.15, "0.15"}, {0.1, "0.1"}, {0.05, "0.05"}};
    int i = -1;
    if (code >= 40 && code <= 220 && code % 20 == 0)
        i = (code - 40) / 20;
    if (index)
        *index = i;
    if (i < 0) {
        out = "(def) 3.0";
        if (value)
            *value = 3.0;
        return;
    }
    out = kRows[i].text;
    if (value)
        *value = kRows[i].value;
}

void QuorSend_CodeText8(std::string& out, std::uint8_t code, int* index, std::int32_t* value)
{
    static const std::int32_t kValues[8] = {6, 30, 60, 90, 120, 180, 360, 720};
    const bool known = code >= 1 && code <= 8;
    const std::int32_t v = known ? kValues[code - 1] : 60;
    if (index)
        *index = known ? code - 1 : -2;
    if (value)
        *value = v;
    out = std::to_string(v);
}

void QuorSend_BrandText(std::string& out, std::uint8_t code, int* index)
{
    const int i = code <= 1 ? code : -1;
    if (index)
        *index = i;
    out = i == 1 ? "Halvex" : "Quorin";
}

int QuorSend_VersionValue(double number)
{
    // The word holds three digits and a power of ten up to 15; anything it
    // cannot hold gets the "no version" word.
    constexpr int kNoVersion = 0xFFFF;
    if (number == 0.0)
        return 0;
    if (!(number > 0.0) || !std::isfinite(number) || number >= 1e16)
        return kNoVersion;
    // Fixed six decimals like "%f", but independent of the desktop locale.
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, number, std::chars_format::fixed, 6);
    if (res.ec != std::errc())
        return 0;
    std::string t = Trimmed(std::string(buf, res.ptr));
    if (t.empty())
        return 0;
    const std::size_t lead = t.find_first_not_of('0');
    if (lead == std::string::npos)
        return 0;
    t.erase(0, lead);

    int power = 0;
    const std::size_t p = t.find('.');
    if (p == std::string::npos) {
        power = static_cast<int>(t.size()) - 1;
    } else {
        t.erase(p, 1);
        if (p == 0)
            t.insert(t.begin(), '0');
        else
            power = static_cast<int>(p) - 1;
    }
    if (QuorSend_RoundDigits(t, 3) == 3)
        ++power;
    if (power > 15)
        return kNoVersion;
    return power * 0x1000 + DigitAt(t, 0) * 0x100 + DigitAt(t, 1) * 0x10 + DigitAt(t, 2);
}

int QuorSend_RoundDigits(std::string& digits, int position, std::string* message)
{
    char buf[400];
    std::string t = Trimmed(digits);
    const int length = static_cast<int>(t.size());
    if (position <= 0 || length < position) {
        if (message) {
            std::snprintf(buf, sizeof buf,
                          "iRoundLocation = %d fehlerhafter Bereich iLength = %d bei Bedingung "
                          "( iRoundLocation(%d) <= 0 || iLength(%d) < iRoundLocation(%d) )",
                          position, length, position, length, position);
            *message = buf;
        }
        return 0;
    }
    // At position == length there is no digit left to look at: nothing to round.
    const int d = DigitAt(t, static_cast<std::size_t>(position));
    if (d == 0) {
        if (message) {
            std::snprintf(buf, sizeof buf, "iFind == %d Bei Null wird nicht gerundet", 0);
            *message = buf;
        }
        return 0;
    }
    if (d < 5) {
        if (message) {
            std::snprintf(buf, sizeof buf,
                          "iFind == %d Bei kleiner 5 wird nicht gerundet da folgende Fkt selbst abrundet", d);
            *message = buf;
        }
        return 1;
    }
    for (int i = position - 1; i >= 0; --i) {
        if (t[i] == '9') {
            t[i] = '0';
            continue;
        }
        if (t[i] >= '0' && t[i] < '9')
            t[i] = static_cast<char>(t[i] + 1);
        break;
    }
    bool allZero = true;
    for (int i = 0; i < position; ++i)
        allZero = allZero && t[i] == '0';
    int result = 2;
    if (allZero) {
        t[0] = '1';
        result = 3;
    }
    if (message) {
        std::snprintf(buf, sizeof buf,
                      result == 3 ? "iFind == %d Bei gr\xF6\xDF" "er gleich 5 wird gerundet VORSICHT Exponent muss um "
                                    "eins erh\xF6ht werden!!!!"
                                  : "iFind == %d Bei gr\xF6\xDF" "er gleich 5 wird gerundet",
                      d);
        *message = buf;
    }
    digits = t;
    return result;
}

void QuorSend_BitCountText(std::string& out, std::uint32_t value)
{
    int bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%i Digits", bits);
    out = buf;
}

void QuorSend_PowerOfTenText(std::string& out, const std::string& integerText)
{
    int k = 0;
    for (std::size_t i = integerText.size(); i > 1 && integerText[i - 1] == '0'; --i)
        ++k;
    if (k < 4) {
        out = integerText;
        return;
    }
    // 64 bits so that twelve-digit texts do not overflow.
    long long v = std::strtoll(integerText.c_str(), nullptr, 10);
    for (int i = 0; i < k; ++i)
        v /= 10;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%lld* 10^%i", v, k);
    out = buf;
}

int QuorSend_CheckParameterCombination(std::int32_t item, std::uint8_t statorType, const std::int32_t* selector,
                                       const std::int32_t* baudRate, const std::int32_t* count,
                                       const std::int32_t* mode)
{
    constexpr int kUnknownToType = -15;
    constexpr int kBadValue = -16;
    constexpr int kNotOffered = -17;
    constexpr int kBadMode = -18;

    if (item < 1 || item > 34 || (item >= 2 && item <= 29))
        return 1;
    if (statorType == 3 || statorType == 8)
        return kUnknownToType;
    const bool t45 = statorType == 4 || statorType == 5;
    const bool t7 = statorType == 7;
    if (!t45 && !t7)
        return 1;

    switch (item) {
    case 1:
        return 0;
    case 30:
        if (!baudRate)
            return kBadValue;
        return *baudRate == 115200 || *baudRate == 230400 ? 0 : kBadValue;
    case 31:
        if (!count)
            return kBadValue;
        return *count >= 1 && *count <= 249 ? 0 : kBadValue;
    default:
        break;
    }
    if (t45)
        return kNotOffered;
    if (!selector)
        return kBadValue;
    const std::int32_t s = *selector;
    switch (item) {
    case 32:
        return s == 0 || s == 1 || s == 255 ? 0 : kBadValue;
    case 33:
        return s == 1 || s == 3 || s == 4 || s == 7 ? 0 : kBadValue;
    default: // 34
        if (s != 4 && s != 7)
            return kBadValue;
        if (!mode)
            return kBadMode;
        if (*mode == 3)
            return 2;
        if (*mode == 1 || *mode == 2)
            return 3;
        return kBadMode;
    }
}
