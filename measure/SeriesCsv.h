// The measured series as a CSV text: the device's company header, the
// documentation texts, the start time, a sensor block and one line per
// point of curve 0.
#pragma once

#include "app/ChannelRecord.h"
#include "platform/CString.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

CString PadLabel(const CString& text, int width);
// "n.a." without a decimal divisor; the unit's first three characters
// follow after a blank when withUnit.
CString FormatNominal(const ChannelRecord& channel, bool withUnit);
CString FormatRate(const ChannelRecord& channel);
// The X format of the channel's sample mode.
CString XFormat(const ChannelRecord& channel);
// value by format ("%.3f" style), '.' replaced by decimalChar; a minus
// that rounds away is dropped. A format with any conversion but one "%f"
// falls back to "%.0f": the text comes from a device answer.
CString FormatNumber(double value, const CString& format, char decimalChar);

// Labels in display order: design, nominal value, rate, sample mode.
struct SensorLabels {
    CString design, nominal, rate, mode;
};
// Four "label: value" lines, each ending with lineEnd.
CString FormatSensorBlock(const ChannelRecord& channel, const SensorLabels& labels, const CString& lineEnd);

struct SeriesCsvFormat {
    CString lineEnd = "\r\n";
    CString columnSeparator = ";";
    char decimalSeparator = ',';
    bool physicalUnit = true;
};

struct SeriesCsvHeader {
    CString companyHeader;
    CString headline;
    CString comment;
    CString date;
    CString time;
    CString sensorBlock;   // from FormatSensorBlock
};

// A number format taken apart once, so each point costs no parsing: the
// one "%[.digits]f" conversion with its literal text around it, or a text
// without a conversion. Gives exactly the text FormatNumber gives.
class SeriesNumberFormat {
public:
    SeriesNumberFormat(const CString& format, char decimalChar);
    void Append(std::string& out, double value) const;
    // The text into out, which has room for MaxLength() characters; returns
    // its end.
    char* Write(char* out, double value) const;
    size_t MaxLength() const { return m_prefix.size() + m_suffix.size() + kNumberRoom; }

private:
    // Room for any number: the largest double with two-digit decimals.
    static constexpr size_t kNumberRoom = 512;
    std::string m_prefix, m_suffix;
    int m_precision = 0;
    bool m_hasConversion = true;
    bool m_literalPoint = false;   // a '.' in the text around the conversion
    char m_decimal;
};

// The points of the series, read in ranges, so an export never holds a
// copy of the whole record. The live store gives them by index.
class SeriesPoints {
public:
    virtual ~SeriesPoints() = default;
    virtual size_t Count() const = 0;
    // Points first .. first + n - 1 (all within Count()).
    virtual void Read(size_t first, size_t n, double* xs, double* ys) const = 0;
};

// Everything before the point lines.
CString SeriesCsvHeaderText(const SeriesCsvHeader& header, const SeriesCsvFormat& format);

// The point lines: X, separator, Y, optional unit column, line end.
class SeriesCsvLines {
public:
    SeriesCsvLines(const SeriesCsvFormat& format, const ChannelRecord& channel, const CString& unit);
    void Append(std::string& out, double x, double y) const;
    // The line into out, which has room for MaxLength() characters; returns
    // its end.
    char* Write(char* out, double x, double y) const;
    size_t MaxLength() const;

private:
    SeriesNumberFormat m_x, m_y;
    std::string m_separator, m_unitPart, m_lineEnd;
};

// The whole file; point(i, x, y) delivers point i of the series.
CString BuildSeriesCsv(const SeriesCsvHeader& header, const SeriesCsvFormat& format, const ChannelRecord& channel,
                       const CString& unit, int pointCount, const std::function<void(int, double&, double&)>& point);

// Streams the file to disk in slices: memory stays bounded whatever the
// record's length, and the caller may keep its window alive between
// slices. The file appears (replacing an older one) only when every byte
// was written; a failure leaves the old file and names the cause.
class SeriesCsvExport {
public:
    // The points counted now are the ones written.
    SeriesCsvExport(const char* path, const SeriesCsvHeader& header, const SeriesCsvFormat& format,
                    const ChannelRecord& channel, const CString& unit, const SeriesPoints& points);
    ~SeriesCsvExport();
    // Writes at most maxPoints further lines; true while lines remain and
    // nothing failed.
    bool Step(size_t maxPoints);
    // Writes the rest and puts the file in place; false on any failure.
    bool Finish();
    size_t Total() const { return m_total; }
    size_t Written() const { return m_next; }
    // "path: reason" after a failure.
    CString ErrorMessage() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    size_t m_total = 0;
    size_t m_next = 0;
};
