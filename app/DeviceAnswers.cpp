#include "app/DeviceAnswers.h"

#include "app/DeviceCommands.h"

bool TakeExactLengthAnswer(const CString& received, int length, CString& answer)
{
    if (received.GetLength() != length)
        return false;
    answer = received;
    return true;
}

bool TakeFixedLengthAnswer(const CString& received, int length, CString& answer)
{
    if (received.GetLength() < length)
        return false;
    answer = received.Right(length);
    return true;
}

namespace {

CString UpToNul(const CString& text)
{
    const int nul = text.Find('\0');
    return nul < 0 ? text : text.Left(nul);
}

} // namespace

SensorRecord SplitSensorRecord(const CString& record)
{
    auto byteAt = [&record](int i) { return i < record.GetLength() ? static_cast<BYTE>(record[i]) : BYTE(0); };
    SensorRecord r;
    r.name = UpToNul(record.Left(8));
    r.nominal[0] = byteAt(8);
    r.nominal[1] = byteAt(9);
    r.unit = record.GetLength() > 10 ? UpToNul(record.Mid(10, 3)) : CString();
    r.typeAndDecimals = byteAt(13);
    r.zeroPoint[0] = byteAt(14);
    r.zeroPoint[1] = byteAt(15);
    r.fullPoint[0] = byteAt(16);
    r.fullPoint[1] = byteAt(17);
    return r;
}

namespace {

bool EndsInDigit(const CString& text, int begin, int end)
{
    while (end > begin && (text[end - 1] == '\r' || text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return end > begin && text[end - 1] >= '0' && text[end - 1] <= '9';
}

} // namespace

VersionLineScan ScanVersionLine(const CString& text)
{
    int begin = 0;
    for (;;) {
        const int lf = text.Find('\n', begin);
        // Checked on complete lines too, so a long line is cut at the same
        // place whether its end came with it or later.
        if ((lf < 0 ? text.GetLength() : lf) - begin >= kVersionLineCap)
            return {begin, begin + kVersionLineCap};
        if (lf < 0)
            return {begin, -1};
        if (EndsInDigit(text, begin, lf))
            return {begin, lf + 1};
        begin = lf + 1;
    }
}

int FindAnswerEtx(const CString& received, int from)
{
    return from < 0 || from > received.GetLength() ? -1 : received.Find(DeviceCmd::Etx, from);
}

CString HeaderBeforeEtx(const CString& received, int end)
{
    const CString text = end < 0 ? received : received.Left(end);
    if (text.GetLength() >= 2 && text[0] == '\r' && text[1] == '\n')
        return text.Mid(2);
    return text;
}
