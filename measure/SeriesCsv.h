// The measured series as a CSV text: the device's company header, the
// documentation texts, the start time, a sensor block and one line per
// point of curve 0.
#pragma once

#include "app/ChannelRecord.h"
#include "platform/CString.h"

#include <functional>

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

// The whole file; point(i, x, y) delivers point i of the series.
CString BuildSeriesCsv(const SeriesCsvHeader& header, const SeriesCsvFormat& format, const ChannelRecord& channel,
                       const CString& unit, int pointCount, const std::function<void(int, double&, double&)>& point);
