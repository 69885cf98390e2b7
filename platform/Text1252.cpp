#include "Text1252.h"

namespace vx {
namespace {

// 0x80..0x9F; zero marks the undefined positions.
constexpr char16_t kHigh[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

} // namespace

char16_t Cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0) {
        const char16_t u = kHigh[byte - 0x80];
        return u ? u : static_cast<char16_t>(byte);
    }
    return static_cast<char16_t>(byte);
}

unsigned char UnicodeToCp1252(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (int i = 0; i < 32; ++i) {
        const char16_t u = kHigh[i];
        if (u ? u == ch : ch == static_cast<char16_t>(0x80 + i))
            return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

bool FitsCp1252(const QString& text)
{
    for (QChar c : text)
        if (Cp1252ToUnicode(UnicodeToCp1252(c.unicode())) != c.unicode())
            return false;
    return true;
}

QString ToQString(const CString& text)
{
    QString out;
    out.resize(text.GetLength());
    const unsigned char* b = text.bytes();
    for (int i = 0; i < text.GetLength(); ++i)
        out[i] = QChar(Cp1252ToUnicode(b[i]));
    return out;
}

CString FromQString(const QString& text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text)
        out += static_cast<char>(UnicodeToCp1252(c.unicode()));
    return CString(std::move(out));
}

CString FromUtf8(std::string_view utf8)
{
    return FromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

} // namespace vx
