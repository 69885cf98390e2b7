#include "measure/SeriesCsv.h"

#include "measure/SampleModes.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Accepts plain text with at most one "%[.digits]f" (and "%%").
bool IsSingleFloatFormat(const CString& format)
{
    const char* s = format.GetString();
    int conversions = 0;
    for (int i = 0; s[i]; ++i) {
        if (s[i] != '%')
            continue;
        if (s[i + 1] == '%') {
            ++i;
            continue;
        }
        int k = i + 1;
        if (s[k] == '.') {
            ++k;
            int digits = 0;
            while (std::isdigit(static_cast<unsigned char>(s[k])) && digits < 2) {
                ++k;
                ++digits;
            }
        }
        if (s[k] != 'f')
            return false;
        ++conversions;
        i = k;
    }
    return conversions <= 1;
}

CString FormatDouble(const char* format, double value)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return CString(buffer);
}

constexpr std::uint64_t kPow10[20] = {1ull,
                                           10ull,
                                           100ull,
                                           1000ull,
                                           10000ull,
                                           100000ull,
                                           1000000ull,
                                           10000000ull,
                                           100000000ull,
                                           1000000000ull,
                                           10000000000ull,
                                           100000000000ull,
                                           1000000000000ull,
                                           10000000000000ull,
                                           100000000000000ull,
                                           1000000000000000ull,
                                           10000000000000000ull,
                                           100000000000000000ull,
                                           1000000000000000000ull,
                                           10000000000000000000ull};
constexpr int kFastPrecision = 9;

// The text printf gives a finite value with "%.<precision>f", the decimal
// point written as decimal, straight from the value's bits: the value times
// 10^precision is an exact 128-bit fraction, rounded half to even as
// printf rounds the exact binary value. False (nothing written) where the
// rounded number needs more than 64 bits or the precision is above 9; the
// general conversion takes those. Most of an export's time was in the
// general one.
bool FastFixed(double value, int precision, char decimal, char* out, char** end)
{
    if (precision > kFastPrecision)
        return false;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
    if (biased == 0x7FF)
        return false;
    // value = mantissa * 2^exponent exactly.
    const std::uint64_t mantissa = biased ? fraction | (std::uint64_t(1) << 52) : fraction;
    const int exponent = (biased ? biased : 1) - 1075;
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * kPow10[precision];  // < 2^83
    std::uint64_t q;
    if (exponent < 0 && exponent > -64 && (scaled >> 64) == 0) {
        // The usual case, in 64 bits.
        const int shift = -exponent;
        const std::uint64_t narrow = static_cast<std::uint64_t>(scaled);
        q = narrow >> shift;
        const std::uint64_t rest = narrow & ((std::uint64_t(1) << shift) - 1);
        const std::uint64_t half = std::uint64_t(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1)))
            ++q;
    } else if (exponent >= 0) {
        if (exponent >= 64 || (scaled >> (64 - exponent)) != 0)
            return false;
        q = static_cast<std::uint64_t>(scaled << exponent);
    } else if (exponent <= -128) {
        q = 0;   // below 2^-44: rounds to 0
    } else {
        const int shift = -exponent;
        unsigned __int128 whole = scaled >> shift;
        const unsigned __int128 rest = scaled - (whole << shift);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (rest > half || (rest == half && (whole & 1)))
            ++whole;
        if ((whole >> 64) != 0)
            return false;
        q = static_cast<std::uint64_t>(whole);
    }
    static constexpr char kPairs[] = "0001020304050607080910111213141516171819202122232425262728293031323334353637383940"
                                     "4142434445464748495051525354555657585960616263646566676869707172737475767778798081"
                                     "828384858687888990919293949596979899";
    // Written from the end back: the decimals, the point, then the whole
    // part (at least one digit).
    // Digits of q: about its bit length times log10(2) (1233 / 4096), one
    // more when it reaches that power of ten.
    int digits = (64 - __builtin_clzll(q | 1)) * 1233 >> 12;
    if (q >= kPow10[digits])
        ++digits;
    digits = std::max(digits, precision + 1);
    char* o = out;
    if (bits >> 63)
        *o++ = '-';
    char* const stop = o + digits + (precision > 0 ? 1 : 0);
    char* d = stop;
    int decimals = precision;
    for (; decimals >= 2; decimals -= 2) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * (q % 100), 2);
        q /= 100;
    }
    if (decimals == 1) {
        *--d = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    if (precision > 0)
        *--d = decimal;
    while (q >= 100) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * (q % 100), 2);
        q /= 100;
    }
    if (q >= 10) {
        d -= 2;
        std::memcpy(d, kPairs + 2 * q, 2);
    } else {
        *--d = static_cast<char>('0' + q);
    }
    while (d > o)
        *--d = '0';
    o = stop;
    *end = o;
    return true;
}

} // namespace

CString PadLabel(const CString& text, int width)
{
    CString out = text;
    while (out.GetLength() < width)
        out += ' ';
    return out;
}

CString FormatNominal(const ChannelRecord& channel, bool withUnit)
{
    const int divisor = channel.m_iDecimalDivisor;
    if (divisor == 0)
        return "n.a.";
    const char* format = divisor == 1      ? "%.0f"
                         : divisor == 10   ? "%.1f"
                         : divisor == 100  ? "%.2f"
                         : divisor == 1000 ? "%.3f"
                                           : "%.4f";
    CString text = FormatDouble(format, double(channel.m_iNominal) / double(divisor));
    if (withUnit)
        text += " " + channel.m_strUnit.Left(3);
    return text;
}

CString FormatRate(const ChannelRecord& channel)
{
    switch (channel.m_byRateCode) {
    case 1: return "1000/s";
    case 2: return "100/s";
    case 3: return "10/s";
    case 4: return "1/s";
    default: return "n.a.";
    }
}

CString XFormat(const ChannelRecord& channel)
{
    switch (channel.m_bySampleMode) {
    case 0: return "%.2f";
    case 4: return "%.0f";
    case 8: return channel.m_byAutoRate == 2 ? "%.2f" : channel.m_byAutoRate == 3 ? "%.1f" : "%.0f";
    default: return "%.0f";
    }
}

SeriesNumberFormat::SeriesNumberFormat(const CString& format, char decimalChar) : m_decimal(decimalChar)
{
    const char* f = IsSingleFloatFormat(format) ? format.GetString() : "%.0f";
    std::string* literal = &m_prefix;
    m_hasConversion = false;
    for (int i = 0; f[i]; ++i) {
        if (f[i] != '%') {
            *literal += f[i];
            continue;
        }
        if (f[i + 1] == '%') {
            *literal += '%';
            ++i;
            continue;
        }
        // "%f", "%.f" or "%.<1-2 digits>f", as IsSingleFloatFormat let through.
        int k = i + 1;
        m_precision = 6;
        if (f[k] == '.') {
            ++k;
            m_precision = 0;
            while (std::isdigit(static_cast<unsigned char>(f[k])))
                m_precision = m_precision * 10 + (f[k++] - '0');
        }
        m_hasConversion = true;
        literal = &m_suffix;
        i = k;
    }
    m_literalPoint = (m_prefix + m_suffix).find('.') != std::string::npos;
}

namespace {
// Literal text of a line: mostly a character or two, where a call to
// memcpy would cost more than the copy.
inline char* Put(char* out, const std::string& text)
{
    for (const char c : text)
        *out++ = c;
    return out;
}
} // namespace

char* SeriesNumberFormat::Write(char* out, double value) const
{
    char* const start = out;
    out = Put(out, m_prefix);
    bool pointsLeft = m_literalPoint;
    if (m_hasConversion && !FastFixed(value, m_precision, m_decimal, out, &out)) {
        const auto r = std::isfinite(value)
                           ? std::to_chars(out, out + kNumberRoom, value, std::chars_format::fixed, m_precision)
                           : std::to_chars_result{out, std::errc::value_too_large};
        if (r.ec == std::errc()) {
            out = r.ptr;
        } else {
            const CString text = FormatDouble(("%." + std::to_string(m_precision) + "f").c_str(), value);
            const size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), kNumberRoom);
            std::memcpy(out, text.GetString(), n);
            out += n;
        }
        pointsLeft = true;
    }
    out = Put(out, m_suffix);
    for (char* c = start; pointsLeft && c < out; ++c)
        if (*c == '.')
            *c = m_decimal;
    if (out == start)
        return out;
    bool dropFirst = false;
    if (value == 0.0) {
        dropFirst = *start == '-';
    } else if (value < 0.0) {
        // A minus that rounds away: "-0,000" shows as "0,000".
        dropFirst = std::all_of(start, out, [](char c) { return c == '0' || c == '-' || c == ',' || c == '.'; });
    }
    if (dropFirst) {
        std::memmove(start, start + 1, static_cast<size_t>(out - start - 1));
        --out;
    }
    return out;
}

void SeriesNumberFormat::Append(std::string& out, double value) const
{
    const size_t old = out.size();
    out.resize(old + MaxLength());
    out.resize(static_cast<size_t>(Write(out.data() + old, value) - out.data()));
}

CString FormatNumber(double value, const CString& format, char decimalChar)
{
    std::string text;
    SeriesNumberFormat(format, decimalChar).Append(text, value);
    return CString(text);
}

CString FormatSensorBlock(const ChannelRecord& channel, const SensorLabels& labels, const CString& lineEnd)
{
    const int width = std::max({labels.design.GetLength(), labels.nominal.GetLength(), labels.rate.GetLength(),
                                labels.mode.GetLength()});
    const SampleModeInfo mode = LookupSampleMode(channel.m_bySampleMode, channel.m_byAutoRate);
    auto line = [&](const CString& label, const CString& value) {
        return PadLabel(label, width) + ": " + value + lineEnd;
    };
    return line(labels.design, channel.m_strSensorName) + line(labels.nominal, FormatNominal(channel, true)) +
           line(labels.rate, FormatRate(channel)) + line(labels.mode, CString(mode.label));
}

CString SeriesCsvHeaderText(const SeriesCsvHeader& header, const SeriesCsvFormat& format)
{
    const CString& le = format.lineEnd;
    const CString three = le + le + le;
    return header.companyHeader + three + header.headline + le + header.comment + three + header.date + " " +
           header.time + le + header.sensorBlock + three;
}

namespace {
CString TrimmedDisplayFormat(const ChannelRecord& channel)
{
    CString format = channel.m_strDisplayFormat;
    format.Trim();
    return format;
}
} // namespace

SeriesCsvLines::SeriesCsvLines(const SeriesCsvFormat& format, const ChannelRecord& channel, const CString& unit)
    : m_x(XFormat(channel), format.decimalSeparator), m_y(TrimmedDisplayFormat(channel), format.decimalSeparator),
      m_separator(format.columnSeparator.str()), m_lineEnd(format.lineEnd.str())
{
    if (format.physicalUnit && !unit.IsEmpty())
        m_unitPart = m_separator + unit.str();
}

char* SeriesCsvLines::Write(char* out, double x, double y) const
{
    out = Put(m_x.Write(out, x), m_separator);
    out = Put(m_y.Write(out, y), m_unitPart);
    return Put(out, m_lineEnd);
}

size_t SeriesCsvLines::MaxLength() const
{
    return m_x.MaxLength() + m_separator.size() + m_y.MaxLength() + m_unitPart.size() + m_lineEnd.size();
}

void SeriesCsvLines::Append(std::string& out, double x, double y) const
{
    const size_t old = out.size();
    out.resize(old + MaxLength());
    out.resize(static_cast<size_t>(Write(out.data() + old, x, y) - out.data()));
}

CString BuildSeriesCsv(const SeriesCsvHeader& header, const SeriesCsvFormat& format, const ChannelRecord& channel,
                       const CString& unit, int pointCount, const std::function<void(int, double&, double&)>& point)
{
    CString out = SeriesCsvHeaderText(header, format);
    const SeriesCsvLines lines(format, channel, unit);
    for (int i = 0; i < pointCount; ++i) {
        double x = 0.0, y = 0.0;
        point(i, x, y);
        lines.Append(out.str(), x, y);
    }
    return out;
}

namespace {
constexpr size_t kReadBlock = 4096;              // points read from the source at a time
constexpr size_t kChunkBytes = 256 * 1024;       // formatted text handed to the file at a time
} // namespace

struct SeriesCsvExport::Impl {
    Impl(const char* path, const SeriesCsvFormat& format, const ChannelRecord& channel, const CString& unit,
         const SeriesPoints& source)
        : file(path), lines(format, channel, unit), points(source), xs(kReadBlock), ys(kReadBlock),
          chunk(kChunkBytes + lines.MaxLength())
    {
    }
    bool Flush()
    {
        const bool ok = file.Write(chunk.data(), used);
        used = 0;
        return ok;
    }
    vx::SafeFileWriter file;
    SeriesCsvLines lines;
    const SeriesPoints& points;
    std::vector<double> xs, ys;
    // Lines are written straight into it; past kChunkBytes it goes to the
    // file, so there is always room for one more line of the longest kind.
    std::vector<char> chunk;
    size_t used = 0;
};

SeriesCsvExport::SeriesCsvExport(const char* path, const SeriesCsvHeader& header, const SeriesCsvFormat& format,
                                 const ChannelRecord& channel, const CString& unit, const SeriesPoints& points)
    : m_impl(std::make_unique<Impl>(path, format, channel, unit, points)), m_total(points.Count())
{
    m_impl->file.Write(SeriesCsvHeaderText(header, format));
}

SeriesCsvExport::~SeriesCsvExport() = default;

bool SeriesCsvExport::Step(size_t maxPoints)
{
    Impl& d = *m_impl;
    size_t budget = maxPoints;
    while (budget > 0 && m_next < m_total && !d.file.Failed()) {
        const size_t n = std::min({budget, kReadBlock, m_total - m_next});
        d.points.Read(m_next, n, d.xs.data(), d.ys.data());
        for (size_t i = 0; i < n; ++i) {
            if (d.used > kChunkBytes)
                d.Flush();
            d.used = static_cast<size_t>(d.lines.Write(d.chunk.data() + d.used, d.xs[i], d.ys[i]) - d.chunk.data());
        }
        m_next += n;
        budget -= n;
    }
    d.Flush();
    return m_next < m_total && !d.file.Failed();
}

bool SeriesCsvExport::Finish()
{
    while (Step(static_cast<size_t>(-1))) {
    }
    return !m_impl->file.Failed() && m_impl->file.Commit();
}

CString SeriesCsvExport::ErrorMessage() const { return m_impl->file.ErrorMessage(); }
