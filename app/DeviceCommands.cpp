#include "app/DeviceCommands.h"

#include "telegram/CheckBytes.h"

CheckBytes TextCheckBytes(const CString& text)
{
    const auto pair = telegram::CheckBytes(text.bytes(), static_cast<size_t>(text.GetLength()));
    return {pair[0], pair[1]};
}

CString DeviceDateTimeText(int year, int month, int day, int hour, int minute, int second)
{
    return CString::Formatted("%02d.%02d.%02d %02d:%02d:%02d", day % 100, month % 100, ((year % 100) + 100) % 100,
                              hour % 100, minute % 100, second % 100);
}

static void AppendCheckBytes(CString& frame, const CString& text)
{
    const CheckBytes cb = TextCheckBytes(text);
    frame += static_cast<char>(cb.s1);
    frame += static_cast<char>(cb.s2);
}

CString BuildDateFrame(const CString& dateTimeText)
{
    CString frame;
    frame += DeviceCmd::SetClock;
    frame += '\0';
    frame += dateTimeText;
    AppendCheckBytes(frame, dateTimeText);
    return frame;
}

CString BuildHeaderFrame(const CString& headerText)
{
    CString text(headerText);
    text.Remove(DeviceCmd::Etx);
    text.Remove('\0');
    CString frame;
    frame += DeviceCmd::SetHeader;
    frame += text;
    frame += DeviceCmd::Etx;
    return frame;
}

CString BuildRowFrame(int rowIndex, const CString& rowText)
{
    std::string text = rowText.str();
    text.resize(DeviceCmd::RowTextLength, ' ');
    CString frame;
    frame += DeviceCmd::WriteRow;
    frame += static_cast<char>(rowIndex + 1);
    frame += CString(text);
    AppendCheckBytes(frame, CString(text));
    return frame;
}
