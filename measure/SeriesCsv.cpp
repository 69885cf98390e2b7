#include "measure/SeriesCsv.h"

#include "measure/SampleModes.h"
#include "platform/Numbers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

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

CString FormatNumber(double value, const CString& format, char decimalChar)
{
    CString text = FormatDouble(IsSingleFloatFormat(format) ? format.GetString() : "%.0f", value);
    text.Replace('.', decimalChar);
    if (value == 0.0 && text.Left(1) == "-") {
        text = text.Mid(1);
    } else if (value < 0.0 && !text.IsEmpty()) {
        bool onlyZero = true;
        for (int i = 0; i < text.GetLength(); ++i) {
            const char c = text[i];
            if (c != '0' && c != '-' && c != ',' && c != '.')
                onlyZero = false;
        }
        if (onlyZero)
            text = text.Mid(1);
    }
    return text;
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

CString BuildSeriesCsv(const SeriesCsvHeader& header, const SeriesCsvFormat& format, const ChannelRecord& channel,
                       const CString& unit, int pointCount, const std::function<void(int, double&, double&)>& point)
{
    const CString& le = format.lineEnd;
    const CString three = le + le + le;
    CString out = header.companyHeader + three + header.headline + le + header.comment + three + header.date + " " +
                  header.time + le + header.sensorBlock + three;
    const CString xFormat = XFormat(channel);
    CString yFormat = channel.m_strDisplayFormat;
    yFormat.Trim();
    CString unitPart;
    if (format.physicalUnit && !unit.IsEmpty())
        unitPart = format.columnSeparator + unit;
    for (int i = 0; i < pointCount; ++i) {
        double x = 0.0, y = 0.0;
        point(i, x, y);
        out += FormatNumber(x, xFormat, format.decimalSeparator) + format.columnSeparator +
               FormatNumber(y, yFormat, format.decimalSeparator) + unitPart + le;
    }
    return out;
}
