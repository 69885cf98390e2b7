#include "pages/DateHeaderLogic.h"

CString DateAnswerText(const CString& receiveText)
{
    CString text = receiveText.Left(18);
    text.Replace("  ", " ");
    return text;
}

CString HeaderAnswerText(const CString& receiveText)
{
    CString text(receiveText);
    text.Remove(DeviceCmd::Etx);
    if (text.GetLength() <= 2)
        return CString();
    return text.Mid(2);
}

CString HeaderTextWithDeviceLineBreaks(const CString& editText)
{
    const std::string& in = editText.str();
    std::string out;
    out.reserve(in.size() + 8);
    for (size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < in.size() && in[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return CString(std::move(out));
}

void ReadDeviceDate(CDeviceLink& link)
{
    link.ReceiveText().Empty();
    link.SendCommandByte(DeviceCmd::ReadClock);
}

void ReadCompanyHeader(CDeviceLink& link)
{
    link.ReceiveText().Empty();
    link.SendCommandByte(DeviceCmd::ReadHeader);
}

CString WriteDeviceDate(CDeviceLink& link, const CString& nowText)
{
    link.PutBytes(BuildDateFrame(nowText));
    return nowText;
}

CString SendCompanyHeader(CDeviceLink& link, const CString& editText)
{
    const CString text = HeaderTextWithDeviceLineBreaks(editText);
    link.PutBytes(BuildHeaderFrame(text));
    return text;
}
