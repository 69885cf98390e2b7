#include "pages/ParameterRead.h"

#include "app/DeviceCommands.h"

namespace {

using Action = ParameterReadAction;

constexpr const char* kDeviceCodes[] = {"T1", "T2", "F1", "H1", "H2", "H3", "W2", "W3"};
constexpr int kHomeKeys = 5;
// A version answer this long may still be growing; see OnVersionAnswer.
constexpr int kVersionMinimum = 6;

Action Make(Action::Kind kind, UINT id = 0, UINT ms = 0, CString bytes = CString())
{
    Action a{kind, std::move(bytes), id, ms};
    return a;
}

void PageSend(std::vector<Action>& out, char ch) { out.push_back(Make(Action::PageSend, 0, 0, CString(ch))); }

} // namespace

CParameterRead::CParameterRead(ParameterTextLoader load) : m_load(std::move(load))
{
    if (!m_load)
        m_load = [](UINT id) {
            CString text;
            text.LoadString(id);
            return text;
        };
}

CString CParameterRead::Load(UINT id) const { return m_load(id); }

CParameterRead::Actions CParameterRead::Activate()
{
    Actions out;
    // Timers of an abandoned read must not fire on another tab, and a pre-read
    // cut short must not turn the next read into a write.
    out.push_back(Make(Action::KillTimer, kStepTimer));
    out.push_back(Make(Action::KillTimer, kAnswerTimer));
    out.push_back(Make(Action::KillTimer, kSettleTimer));
    out.push_back(Make(Action::KillTimer, kSendTimer));
    m_handler = Handler::Ignore;
    m_step = Step::None;
    m_readIntoForm = true;
    m_sendPending = false;
    for (int i = 0; i < kHomeKeys; ++i)
        PageSend(out, 'n');
    return out;
}

CParameterRead::Actions CParameterRead::StartRead() { return Start(true); }

CParameterRead::Actions CParameterRead::StartPreRead() { return Start(false); }

CParameterRead::Actions CParameterRead::Start(bool intoForm)
{
    Actions out;
    m_readIntoForm = intoForm;
    if (intoForm)
        m_sendPending = false;
    // Whatever a previous read still receives during the home keys is stale.
    m_handler = Handler::Ignore;
    out.push_back(Make(Action::KillTimer, kAnswerTimer));
    out.push_back(Make(Action::KillTimer, kSettleTimer));
    out.push_back(Make(Action::KillTimer, kSendTimer));
    for (int i = 0; i < kHomeKeys; ++i)
        PageSend(out, 'n');
    m_step = Step::RequestVersion;
    out.push_back(Make(Action::SetTimer, kStepTimer, kStepMs));
    out.push_back(Make(Action::HideButtons));
    return out;
}

void CParameterRead::EmptyAnswer(Actions& out)
{
    m_work.Empty();
    out.push_back(Make(Action::EmptyReceiveText));
}

void CParameterRead::RequestRow(Actions& out, int row)
{
    m_row = row;
    m_handler = Handler::Row;
    out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
    CString request("f");
    request += static_cast<char>(row);
    out.push_back(Make(Action::DirectSend, 0, 0, request));
}

CParameterRead::Actions CParameterRead::OnTimer(UINT id)
{
    Actions out;
    out.push_back(Make(Action::KillTimer, id));
    if (id == kAnswerTimer)
        AnswerTimeout(out);
    else if (id == kSettleTimer)
        OnRecordSettled(out);
    else if (id == kSendTimer)
        out.push_back(Make(Action::StartSend));
    else
        RunStep(out);
    return out;
}

void CParameterRead::RunStep(Actions& out)
{
    const Step step = m_step;
    m_step = Step::None;
    switch (step) {
    case Step::None:
        break;
    case Step::RequestVersion:
        RequestVersion(out);
        break;
    case Step::VersionSettled:
        if (m_handler == Handler::Version)
            DecideVersion(out);
        break;
    }
}

void CParameterRead::RequestVersion(Actions& out)
{
    EmptyAnswer(out);
    m_handler = Handler::Version;
    // Armed before 'V' leaves, so the 25 ms pause counts against the answer.
    out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
    PageSend(out, 'V');
}

CParameterRead::Actions CParameterRead::OnBytes(const CString& chunk)
{
    Actions out;
    Run(out, chunk);
    return out;
}

void CParameterRead::Run(Actions& out, const CString& chunk)
{
    if (chunk.IsEmpty() || m_handler == Handler::Ignore)
        return;
    m_work += chunk;
    switch (m_handler) {
    case Handler::Version: OnVersionAnswer(out); break;
    case Handler::FactoryWords: OnFactoryWordsAnswer(out); break;
    case Handler::Row: ParseRowRecord(out); break;
    case Handler::Ignore: break;
    }
}

void CParameterRead::OnVersionAnswer(Actions& out)
{
    out.push_back(Make(Action::KillTimer, kAnswerTimer));
    if (m_work.GetLength() < kVersionMinimum) {
        // A few bytes and then silence must not leave the page without buttons.
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
        return;
    }
    // The answer ends in CR LF. A line end inside the first few bytes is a
    // late one of the keys before; what follows the answer's own line end is
    // the next answer's, so the decision never depends on where the reader
    // cut the bytes. An answer without its line end yet is decided after a
    // short silence.
    const int end = m_work.Find('\n', kVersionMinimum - 1);
    if (end >= 0) {
        if (m_step == Step::VersionSettled) {
            m_step = Step::None;
            out.push_back(Make(Action::KillTimer, kStepTimer));
        }
        const CString rest = m_work.Mid(end + 1);
        m_work = m_work.Left(end + 1);
        DecideVersion(out);
        if (!rest.IsEmpty())
            Run(out, rest);
        return;
    }
    m_step = Step::VersionSettled;
    out.push_back(Make(Action::SetTimer, kStepTimer, kStepMs));
}

void CParameterRead::DecideVersion(Actions& out)
{
    CString version = m_work;
    version.Trim();
    m_version = version;
    bool coded = false;
    for (const char* code : kDeviceCodes)
        coded = coded || version.Find(code) >= 0;
    EmptyAnswer(out);
    m_retries = 0;
    if (coded) {
        m_handler = Handler::FactoryWords;
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
        PageSend(out, 'W');
    } else {
        RequestRow(out, 1);
    }
}

void CParameterRead::OnFactoryWordsAnswer(Actions& out)
{
    if (m_work.GetLength() < kFactoryWordsAnswerSize) {
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
        return;
    }
    DecodeFactoryWords(m_work, m_words);
    for (int i = 0; i < kFactoryWordCount; ++i)
        m_wordTexts[i].Format("%d", static_cast<int>(m_words[i]));
    const CString rest = m_work.Mid(kFactoryWordsAnswerSize);
    EmptyAnswer(out);
    RequestRow(out, 1);
    out.push_back(Make(Action::Sleep, 0, kRecordWaitMs));
    if (!rest.IsEmpty())
        Run(out, rest);
}

void CParameterRead::ParseRowRecord(Actions& out)
{
    // A record has no end mark, and stray bytes (a late CR LF) may come
    // before it: it is complete only when the line went quiet after 20
    // bytes, whatever pieces they came in. The answer time-out, not re-armed
    // by the record's bytes, caps a line that never goes quiet.
    if (m_work.GetLength() < kParameterRecordSize) {
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
        return;
    }
    out.push_back(Make(Action::SetTimer, kSettleTimer, kSettleMs));
}

namespace {

// The last 20 bytes whose closing pair checks, else simply the last 20.
CString PickRecord(const CString& work)
{
    for (int at = work.GetLength() - kParameterRecordSize; at >= 0; --at) {
        const CString body = work.Mid(at, kRecordBytesUsed);
        const CheckBytes cb = TextCheckBytes(body);
        if (static_cast<BYTE>(work[at + kRecordBytesUsed]) == cb.s1
            && static_cast<BYTE>(work[at + kRecordBytesUsed + 1]) == cb.s2)
            return work.Mid(at, kParameterRecordSize);
    }
    return work.Right(kParameterRecordSize);
}

} // namespace

void CParameterRead::OnRecordSettled(Actions& out)
{
    if (m_handler == Handler::Row && m_work.GetLength() >= kParameterRecordSize)
        DecideRowRecord(out);
}

void CParameterRead::DecideRowRecord(Actions& out)
{
    out.push_back(Make(Action::KillTimer, kSettleTimer));
    const int index = m_row - 1;
    ParameterRowTexts decoded;
    ParameterRowRecord record;
    DecodeRowRecord(PickRecord(m_work), m_words, m_langOffset, m_load, decoded, record);
    ParameterRowTexts& form = m_rows[index];
    ParameterRowTexts& named = m_readIntoForm ? form : m_preRead[index];
    named.name = decoded.name;
    named.nominal = decoded.nominal;
    named.unit = decoded.unit;
    form.type = decoded.type;
    form.p0 = decoded.p0;
    form.p100 = decoded.p100;
    m_records[index] = record;
    out.push_back(Make(Action::UpdateForm, static_cast<UINT>(index)));
    EmptyAnswer(out);
    m_retries = 0;

    if (m_row < kParameterRows) {
        RequestRow(out, m_row + 1);
        out.push_back(Make(Action::Sleep, 0, kRecordWaitMs));
        return;
    }
    m_handler = Handler::Ignore;
    out.push_back(Make(Action::KillTimer, kAnswerTimer));
    out.push_back(Make(Action::Sleep, 0, kRecordWaitMs));
    if (!m_readIntoForm) {
        m_readIntoForm = true;
        m_sendPending = true;
        out.push_back(Make(Action::SetTimer, kSendTimer, kSendMs));
    }
    m_printAllowed = 1;
    out.push_back(Make(Action::RefreshPage));
}

void CParameterRead::AnswerTimeout(Actions& out)
{
    switch (m_handler) {
    case Handler::Ignore:
        return;
    case Handler::Version:
        if (m_work.IsEmpty()) {
            // Nothing came at all: tell the user, but let a late answer
            // still carry the read on.
            CString text = Load(kTimeoutTextId + static_cast<UINT>(m_langOffset)) + " 1";
            out.push_back(Make(Action::MessageBox, kTimeoutTextId, 0, text));
            out.push_back(Make(Action::RefreshPage));
            return;
        }
        GiveUp(out);
        return;
    case Handler::FactoryWords:
        GiveUp(out);
        return;
    case Handler::Row:
        if (m_work.GetLength() >= kParameterRecordSize) {
            // A line that never went quiet: the record is what came.
            DecideRowRecord(out);
            return;
        }
        if (m_retries < kRowRetries) {
            ++m_retries;
            EmptyAnswer(out);
            RequestRow(out, m_row);
            out.push_back(Make(Action::Sleep, 0, kRecordWaitMs));
            return;
        }
        GiveUp(out);
        return;
    }
}

void CParameterRead::GiveUp(Actions& out)
{
    m_handler = Handler::Ignore;
    m_step = Step::None;
    m_retries = 0;
    m_readIntoForm = true;
    CString text = Load(kTimeoutTextId + static_cast<UINT>(m_langOffset)) + " 1";
    out.push_back(Make(Action::MessageBox, kTimeoutTextId, 0, text));
    out.push_back(Make(Action::RefreshPage));
}
