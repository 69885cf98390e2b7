#include "measure/MeasureAnswers.h"

#include "measure/SampleModes.h"
#include "platform/Numbers.h"

#include <cstdlib>

namespace {

BYTE ByteAt(std::string_view s, size_t i)
{
    return i < s.size() ? static_cast<BYTE>(s[i]) : 0;
}

int BcdNumber(BYTE hi, BYTE lo)
{
    const char digits[5] = {BcdHighDigit(hi), BcdLowDigit(hi), BcdHighDigit(lo), BcdLowDigit(lo), 0};
    return vx::StrToInt(digits);
}

int BinaryNumber(BYTE hi, BYTE lo)
{
    return (hi << 8) | lo;
}

bool IsBcd(BYTE b) { return (b >> 4) <= 9 && (b & 15) <= 9; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A character of a name or a unit: printable, no control byte.
bool IsTextByte(BYTE b) { return b >= 0x20 && b != 0x7F; }

bool IsTextRun(std::string_view s, size_t first, size_t count)
{
    for (size_t i = first; i < first + count; ++i)
        if (!IsTextByte(ByteAt(s, i)))
            return false;
    return true;
}

bool EndsLineAt(std::string_view s, size_t at) { return s.size() >= at + 2 && s[at] == '\r' && s[at + 1] == '\n'; }

// Decimals codes the table gives a divisor of their own.
constexpr int kMaxDecimalsCode = 4;

CString TextAt(std::string_view s, size_t first, size_t count)
{
    if (first >= s.size())
        return CString();
    return CString(s.substr(first, count));
}

} // namespace

DisplayDecimals SetDisplayDecimals(BYTE code)
{
    switch (code & 15) {
    case 1: return {1000, "%.3f "};
    case 2: return {100, "%.2f "};
    case 3: return {10, "%.1f "};
    case 4: return {10000, "%.4f "};
    default: return {1, "%.0f "};
    }
}

SensorAnswer DecodeAnswer(std::string_view answer)
{
    SensorAnswer s;
    s.name = TextAt(answer, 0, 8);
    s.name.Trim(' ');
    s.nominal = BcdNumber(ByteAt(answer, 8), ByteAt(answer, 9));
    s.unit = TextAt(answer, 10, 3);
    const BYTE typeAndDecimals = ByteAt(answer, 13);
    s.decimals = SetDisplayDecimals(typeAndDecimals);
    const char typeDigit[2] = {BcdHighDigit(typeAndDecimals), 0};
    s.sensorType = vx::StrToInt(typeDigit);

    bool zeroBcd = false;
    bool fullBcd = false;
    switch (s.sensorType) {
    case 2: case 6: case 9: fullBcd = true; break;
    case 3: case 7: zeroBcd = fullBcd = true; break;
    default: break;
    }
    const BYTE z0 = ByteAt(answer, 14), z1 = ByteAt(answer, 15);
    const BYTE f0 = ByteAt(answer, 16), f1 = ByteAt(answer, 17);
    s.zeroPoint = zeroBcd ? BcdNumber(z0, z1) : BinaryNumber(z0, z1);
    s.fullPoint = fullBcd ? BcdNumber(f0, f1) : BinaryNumber(f0, f1);
    s.refused = std::abs(s.fullPoint - s.zeroPoint) < kMinPointSpan;
    return s;
}

void ApplySensorAnswer(const SensorAnswer& sensor, MeasureRecord& record)
{
    record.m_strSensorName = sensor.name;
    record.m_iNominal = sensor.nominal;
    record.m_strUnit = sensor.unit;
    record.m_iDecimalDivisor = sensor.decimals.divisor;
    record.m_strDisplayFormat = sensor.decimals.format;
    record.m_iSensorType = sensor.sensorType;
}

void DecodeStatusLong(std::string_view answer, MeasureRecord& record)
{
    record.m_byRateCode = ByteAt(answer, 2);
    record.m_byStatus2 = ByteAt(answer, 3);
    record.m_bySampleMode = ByteAt(answer, 4);
    record.m_byAutoRate = ByteAt(answer, 5);
}

void DecodeVersion(std::string_view answer, MeasureRecord& record)
{
    record.m_iDeviceVariant = 700;
    const CString text(answer);
    record.m_iFirmwareVersion = vx::StrToInt(text.Right(5).Left(3).GetString());
}

CString ExtractHeaderAnswer(const CString& receiveText)
{
    CString header(receiveText);
    if (header.GetLength() >= 2 && header[0] == '\r' && header[1] == '\n')
        header.Delete(0, 2);
    const int etx = header.Find(static_cast<char>(0x03));
    if (etx >= 0)
        header.Delete(etx, 1);
    return header;
}

bool SensorAnswerFits(std::string_view answer)
{
    if (!EndsLineAt(answer, kSensorAnswerBytes - 2))
        return false;
    if (!IsTextRun(answer, 0, 8) || !IsBcd(ByteAt(answer, 8)) || !IsBcd(ByteAt(answer, 9)) || !IsTextRun(answer, 10, 3))
        return false;
    const BYTE typeAndDecimals = ByteAt(answer, 13);
    if (!IsBcd(typeAndDecimals) || (typeAndDecimals & 15) > kMaxDecimalsCode)
        return false;
    switch (typeAndDecimals >> 4) {
    case 3: case 7: return IsBcd(ByteAt(answer, 14)) && IsBcd(ByteAt(answer, 15)) && IsBcd(ByteAt(answer, 16)) && IsBcd(ByteAt(answer, 17));
    case 2: case 6: case 9: return IsBcd(ByteAt(answer, 16)) && IsBcd(ByteAt(answer, 17));
    default: return true;
    }
}

bool StatusLongAnswerFits(std::string_view answer)
{
    return EndsLineAt(answer, kStatusLongAnswerBytes - 2) && SampleModeKnown(ByteAt(answer, 4), ByteAt(answer, 5));
}

bool HeaderAnswerFits(std::string_view answer)
{
    return EndsLineAt(answer, 0);
}

bool VersionAnswerFits(std::string_view line)
{
    const size_t n = line.size();
    return n >= static_cast<size_t>(kVersionAnswerBytes) && EndsLineAt(line, n - 2) && IsDigit(line[n - 5])
        && IsDigit(line[n - 4]) && IsDigit(line[n - 3]);
}
