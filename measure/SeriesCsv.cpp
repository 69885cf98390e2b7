#include "measure/SeriesCsv.h"

#include "measure/SampleModes.h"
#include "platform/Numbers.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
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
}

void SeriesNumberFormat::Append(std::string& out, double value) const
{
    const size_t start = out.size();
    out += m_prefix;
    if (m_hasConversion) {
        char buffer[512];
        const auto r = std::isfinite(value)
                           ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, m_precision)
                           : std::to_chars_result{buffer, std::errc::value_too_large};
        if (r.ec == std::errc())
            out.append(buffer, r.ptr);
        else
            out += FormatDouble(("%." + std::to_string(m_precision) + "f").c_str(), value).str();
    }
    out += m_suffix;
    for (size_t i = start; i < out.size(); ++i)
        if (out[i] == '.')
            out[i] = m_decimal;
    if (out.size() == start)
        return;
    if (value == 0.0) {
        if (out[start] == '-')
            out.erase(start, 1);
    } else if (value < 0.0) {
        // A minus that rounds away: "-0,000" shows as "0,000".
        for (size_t i = start; i < out.size(); ++i) {
            const char c = out[i];
            if (c != '0' && c != '-' && c != ',' && c != '.')
                return;
        }
        out.erase(start, 1);
    }
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

void SeriesCsvLines::Append(std::string& out, double x, double y) const
{
    m_x.Append(out, x);
    out += m_separator;
    m_y.Append(out, y);
    out += m_unitPart;
    out += m_lineEnd;
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
        : file(path), lines(format, channel, unit), points(source), xs(kReadBlock), ys(kReadBlock)
    {
        chunk.reserve(kChunkBytes + 4096);
    }
    bool Flush()
    {
        const bool ok = file.Write(chunk.data(), chunk.size());
        chunk.clear();
        return ok;
    }
    vx::SafeFileWriter file;
    SeriesCsvLines lines;
    const SeriesPoints& points;
    std::vector<double> xs, ys;
    std::string chunk;
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
        for (size_t i = 0; i < n; ++i)
            d.lines.Append(d.chunk, d.xs[i], d.ys[i]);
        m_next += n;
        budget -= n;
        if (d.chunk.size() >= kChunkBytes)
            d.Flush();
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
