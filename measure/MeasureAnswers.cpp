#include "measure/MeasureAnswers.h"

#include "platform/Numbers.h"

#include <cstdlib>

namespace {

BYTE ByteAt(std::string_view s, size_t i)
{
    return i < s.size() ? static_cast<BYTE>(s[i]) : 0;
}

int BcdNumber(const BYTE (&pair)[2])
{
    const char digits[5] = {BcdHighDigit(pair[0]), BcdLowDigit(pair[0]), BcdHighDigit(pair[1]), BcdLowDigit(pair[1]), 0};
    return vx::StrToInt(digits);
}

int BinaryNumber(const BYTE (&pair)[2])
{
    return (pair[0] << 8) | pair[1];
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

SensorAnswer DecodeAnswer(const CString& answer)
{
    const SensorRecord record = SplitSensorRecord(answer);
    SensorAnswer s;
    s.name = record.name;
    s.name.Trim(' ');
    s.nominal = BcdNumber(record.nominal);
    s.unit = record.unit;
    s.decimals = SetDisplayDecimals(record.typeAndDecimals);
    const char typeDigit[2] = {BcdHighDigit(record.typeAndDecimals), 0};
    s.sensorType = vx::StrToInt(typeDigit);

    bool zeroBcd = false;
    bool fullBcd = false;
    switch (s.sensorType) {
    case 2: case 6: case 9: fullBcd = true; break;
    case 3: case 7: zeroBcd = fullBcd = true; break;
    default: break;
    }
    s.zeroPoint = zeroBcd ? BcdNumber(record.zeroPoint) : BinaryNumber(record.zeroPoint);
    s.fullPoint = fullBcd ? BcdNumber(record.fullPoint) : BinaryNumber(record.fullPoint);
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
    return HeaderBeforeEtx(receiveText, FindAnswerEtx(receiveText));
}
