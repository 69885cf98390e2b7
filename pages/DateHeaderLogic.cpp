#include "pages/DateHeaderLogic.h"

#include "app/DeviceAnswers.h"

#include <algorithm>
#include <string>

namespace {

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
    DeviceAnswer answer;
    const int etx = FindAnswerEtx(received, ClampFrom(received, from));
    if (etx < 0) {
        answer.resume = received.GetLength();
        return answer;
    }
    answer.complete = true;
    answer.resume = etx;
    answer.text = HeaderBeforeEtx(received, etx);
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
    // Nothing can be asked: what the field shows stays.
    if (!m_host.IsPortOnline()) {
        m_host.ShowFailure(DateHeaderText::kPortLostRead);
        return;
    }
    m_stage = Stage::AwaitQuiet;
    m_nQuietMs = 0;
    m_nElapsedMs = 0;
    m_bDataSinceTick = false;
    m_host.EnableWrite(false);
    m_host.SetTimer(kTimerId, kTickMs);
}

void CDeviceTextRead::SendRequest()
{
    // What came during the wait answered something else.
    m_host.ReceiveText().Empty();
    m_host.ShowText(CString());
    m_stage = Stage::AwaitAnswer;
    m_nResume = 0;
    m_nQuietMs = 0;
    m_nElapsedMs = 0;
    // The answer's silence and limit count from the request.
    m_host.SetTimer(kTimerId, kTickMs);
    m_host.SendCommandByte(m_kind == Kind::Date ? DeviceCmd::ReadClock : DeviceCmd::ReadHeader);
}

void CDeviceTextRead::OnDataReceived()
{
    if (m_stage == Stage::Idle)
        return;
    m_nQuietMs = 0;
    if (m_stage == Stage::AwaitQuiet) {
        m_bDataSinceTick = true;
        return;
    }
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
    if (m_stage == Stage::Idle) {
        m_host.KillTimer(kTimerId);
        return;
    }
    m_nElapsedMs += kTickMs;
    if (!m_host.IsPortOnline()) {
        Fail(DateHeaderText::kPortLostRead);
        return;
    }
    if (m_stage == Stage::AwaitQuiet) {
        // A tick period that had bytes in it was not quiet, however early in
        // it they came: the wait is never shorter than it says.
        m_nQuietMs = m_bDataSinceTick ? 0 : m_nQuietMs + kTickMs;
        m_bDataSinceTick = false;
        if (m_nQuietMs >= kQuietBeforeRequestMs)
            SendRequest();
        else if (m_nElapsedMs >= kQuietLimitMs)
            Fail(DateHeaderText::kLineNeverQuiet);
        return;
    }
    m_nQuietMs += kTickMs;
    if (m_nQuietMs >= kSilenceMs || m_nElapsedMs >= kLimitMs)
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
    m_stage = Stage::Idle;
    m_host.EnableWrite(true);
}
