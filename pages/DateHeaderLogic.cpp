#include "pages/DateHeaderLogic.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kDisplayWidth = 8;
// Bytes that may stand before an answer's leading line end.
constexpr int kStrayBytes = 2;
// "dd.mm.yy hh:mm:ss": the shortest date line.
constexpr int kDateTimeLength = 17;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Two digits, sep, two digits, sep, two digits at p.
bool Triple(const std::string& s, size_t p, char sep)
{
    if (p + 8 > s.size())
        return false;
    return IsDigit(s[p]) && IsDigit(s[p + 1]) && s[p + 2] == sep && IsDigit(s[p + 3]) && IsDigit(s[p + 4]) &&
           s[p + 5] == sep && IsDigit(s[p + 6]) && IsDigit(s[p + 7]);
}

// The length of the date and time starting at p, or 0.
size_t DateTimeAt(const std::string& s, size_t p)
{
    if (!Triple(s, p, '.'))
        return 0;
    size_t time = p + 8;
    while (time < s.size() && time < p + 10 && s[time] == ' ')
        ++time;
    if (time == p + 8 || !Triple(s, time, ':'))
        return 0;
    return time + 8 - p;
}

int ClampFrom(const CString& text, int from) { return std::clamp(from, 0, text.GetLength()); }

} // namespace

DeviceAnswer DateAnswerText(const CString& received, int from)
{
    const std::string& s = received.str();
    DeviceAnswer answer;
    for (size_t p = static_cast<size_t>(ClampFrom(received, from)); p + kDateTimeLength <= s.size(); ++p) {
        if (const size_t n = DateTimeAt(s, p)) {
            answer.complete = true;
            answer.text = CString(s.substr(p, 8) + ' ' + s.substr(p + n - 8, 8));
            answer.resume = static_cast<int>(p);
            return answer;
        }
    }
    // A date may still begin in the last bytes.
    answer.resume = std::max(ClampFrom(received, from), received.GetLength() - (kDateTimeLength + 1));
    return answer;
}

DeviceAnswer HeaderAnswerText(const CString& received, int from)
{
    const std::string& s = received.str();
    DeviceAnswer answer;
    const size_t etx = s.find(DeviceCmd::Etx, static_cast<size_t>(ClampFrom(received, from)));
    if (etx == std::string::npos) {
        answer.resume = received.GetLength();
        return answer;
    }
    answer.complete = true;
    answer.resume = static_cast<int>(etx);
    size_t header = std::string::npos; // just past the answer's own line end
    size_t line = 0;
    for (size_t lf; (lf = s.find('\n', line)) < etx; line = lf + 1) {
        const size_t end = lf > line && s[lf - 1] == '\r' ? lf - 1 : lf;
        const size_t length = end - line;
        if (length == 0) {
            header = lf + 1;
            continue;
        }
        if (length == kDisplayWidth || DateTimeAt(s, line) == length)
            continue;
        if (header == std::string::npos && length <= kStrayBytes)
            header = lf + 1;
        break;
    }
    if (header == std::string::npos)
        header = line;
    answer.text = CString(s.substr(header, etx - header));
    return answer;
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

void CDeviceTextRead::Start()
{
    Stop();
    m_host.ShowText(CString());
    if (!m_host.IsPortOnline()) {
        m_host.ShowFailure(DateHeaderText::kPortLostRead);
        return;
    }
    m_host.ReceiveText().Empty();
    m_nResume = 0;
    m_nQuietMs = 0;
    m_nElapsedMs = 0;
    m_bRunning = true;
    m_host.EnableWrite(false);
    m_host.SetTimer(kTimerId, kTickMs);
    m_host.SendCommandByte(m_kind == Kind::Date ? DeviceCmd::ReadClock : DeviceCmd::ReadHeader);
}

void CDeviceTextRead::OnDataReceived()
{
    if (!m_bRunning)
        return;
    m_nQuietMs = 0;
    const CString& received = m_host.ReceiveText();
    const DeviceAnswer answer =
        m_kind == Kind::Date ? DateAnswerText(received, m_nResume) : HeaderAnswerText(received, m_nResume);
    m_nResume = answer.resume;
    if (!answer.complete)
        return;
    Stop();
    m_host.ShowText(answer.text);
}

void CDeviceTextRead::OnTimer(UINT id)
{
    if (id != kTimerId)
        return;
    if (!m_bRunning) {
        m_host.KillTimer(kTimerId);
        return;
    }
    m_nQuietMs += kTickMs;
    m_nElapsedMs += kTickMs;
    if (!m_host.IsPortOnline())
        Fail(DateHeaderText::kPortLostRead);
    else if (m_nQuietMs >= kSilenceMs || m_nElapsedMs >= kLimitMs)
        Fail(m_kind == Kind::Date ? DateHeaderText::kDateNotRead : DateHeaderText::kHeaderNotRead);
}

void CDeviceTextRead::Abandon() { Stop(); }

bool CDeviceTextRead::BeforeSend()
{
    Stop();
    if (m_host.IsPortOnline())
        return true;
    m_host.ShowFailure(DateHeaderText::kPortLostSend);
    return false;
}

void CDeviceTextRead::Fail(UINT germanTextId)
{
    Stop();
    // Off screen the answer could not have reached the page: nothing to tell.
    if (m_host.IsShown())
        m_host.ShowFailure(germanTextId);
}

void CDeviceTextRead::Stop()
{
    m_host.KillTimer(kTimerId);
    m_bRunning = false;
    m_host.EnableWrite(true);
}
