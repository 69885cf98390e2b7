#include "pages/ParameterRead.h"


namespace {

using Action = ParameterReadAction;

constexpr const char* kDeviceCodes[] = {"T1", "T2", "F1", "H1", "H2", "H3", "W2", "W3"};
constexpr int kHomeKeys = 5;

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
    // A read in progress ends (a pre-read cut short must not turn the next
    // read into a write), and its timers must not fire on another tab.
    Actions out = Abandon();
    KillTimers(out);
    m_complete = false;
    for (int i = 0; i < kHomeKeys; ++i)
        PageSend(out, 'n');
    return out;
}

CParameterRead::Actions CParameterRead::Abandon()
{
    Actions out;
    // The frames go out in one blocking run; nothing can leave it halfway.
    if (IsRunning() && !m_sending)
        EndEarly(out, EndReason::Left);
    return out;
}

CParameterRead::Actions CParameterRead::PortLost()
{
    if (m_sending)
        return SendEnded(false);
    Actions out;
    if (IsRunning())
        EndEarly(out, EndReason::PortLost);
    return out;
}

bool CParameterRead::IsRunning() const
{
    return m_handler != Handler::Ignore || m_step != Step::None || m_sendPending || m_sending;
}

void CParameterRead::KillTimers(Actions& out)
{
    for (UINT id : {kStepTimer, kAnswerTimer, kSettleTimer, kVersionCapTimer, kSendTimer})
        out.push_back(Make(Action::KillTimer, id));
}

void CParameterRead::Box(Actions& out, const CString& text, UINT id) const
{
    out.push_back(Make(Action::MessageBox, id, 0, text));
}

CParameterRead::Actions CParameterRead::StartRead() { return Start(true); }

CParameterRead::Actions CParameterRead::StartPreRead() { return Start(false); }

CParameterRead::Actions CParameterRead::Start(bool intoForm)
{
    Actions out;
    m_before.device = Words();
    for (int r = 0; r < kParameterRows; ++r) {
        m_before.rows[r] = m_rows[r];
        m_before.records[r] = m_records[r];
    }
    m_before.complete = m_complete;
    m_readIntoForm = intoForm;
    m_delivered = 0;
    if (intoForm) {
        m_sendPending = false;
        m_complete = false;
    }
    // Whatever a previous read still receives during the home keys is stale.
    m_handler = Handler::Ignore;
    out.push_back(Make(Action::KillTimer, kAnswerTimer));
    out.push_back(Make(Action::KillTimer, kSettleTimer));
    out.push_back(Make(Action::KillTimer, kSendTimer));
    for (int i = 0; i < kHomeKeys; ++i)
        PageSend(out, 'n');
    m_step = Step::RequestVersion;
    out.push_back(Make(Action::SetTimer, kStepTimer, kStepMs));
    out.push_back(Make(Action::RefreshPage));
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
    m_graceUsed = false;
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
    else if (id == kVersionCapTimer) {
        // Lines kept coming and none was the answer: as on a time-out.
        if (m_handler == Handler::Version)
            EndEarly(out, EndReason::Timeout);
    }
    else if (id == kSettleTimer)
        OnRecordSettled(out);
    else if (id == kSendTimer)
        out.push_back(Make(Action::StartSend));
    else if (id == kSendCheckTimer)
        out.push_back(Make(Action::EndSend));
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
    out.push_back(Make(Action::SetTimer, kVersionCapTimer, kVersionCapMs));
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
    // Whatever was waiting for silence has grown: decided anew below.
    if (m_step == Step::VersionSettled) {
        m_step = Step::None;
        out.push_back(Make(Action::KillTimer, kStepTimer));
    }
    const VersionLineScan line = ScanVersionLine(m_work);
    if (line.end >= 0) {
        const CString rest = m_work.Mid(line.end);
        m_work = m_work.Mid(line.begin, line.end - line.begin);
        DecideVersion(out);
        if (!rest.IsEmpty())
            Run(out, rest);
        return;
    }
    // The keys' display lines are gone; what is left may still become the
    // answer. Without its line end it is decided after a short silence.
    m_work = m_work.Mid(line.begin);
    if (m_work.GetLength() < kVersionAnswerMinBytes) {
        // A few bytes and then silence must not leave the page without buttons.
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
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
    out.push_back(Make(Action::KillTimer, kVersionCapTimer));
    EmptyAnswer(out);
    if (coded) {
        m_handler = Handler::FactoryWords;
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kAnswerMs));
        PageSend(out, 'W');
    } else {
        // This device is not asked for factory words: words of an earlier
        // read would stand beside its table, and go into its rows.
        ForgetFactoryWords();
        RequestRow(out, 1);
    }
}

void CParameterRead::ForgetFactoryWords()
{
    for (int i = 0; i < kFactoryWordCount; ++i) {
        m_words[i] = 0;
        m_wordTexts[i] = "na";
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

void CParameterRead::OnRecordSettled(Actions& out)
{
    CString record;
    if (m_handler == Handler::Row && TakeFixedLengthAnswer(m_work, kParameterRecordSize, record))
        DecideRowRecord(out, record);
}

void CParameterRead::DecideRowRecord(Actions& out, const CString& record)
{
    out.push_back(Make(Action::KillTimer, kSettleTimer));
    const int index = m_row - 1;
    ParameterRowTexts decoded;
    ParameterRowRecord rec;
    DecodeRowRecord(record, m_words, m_langOffset, m_load, decoded, rec);
    ParameterRowTexts& form = m_rows[index];
    ParameterRowTexts& named = m_readIntoForm ? form : m_preRead[index];
    named.name = decoded.name;
    named.nominal = decoded.nominal;
    named.unit = decoded.unit;
    form.type = decoded.type;
    form.p0 = decoded.p0;
    form.p100 = decoded.p100;
    m_records[index] = rec;
    m_delivered = m_row;
    out.push_back(Make(Action::UpdateForm, static_cast<UINT>(index)));
    EmptyAnswer(out);

    if (m_row < kParameterRows) {
        RequestRow(out, m_row + 1);
        out.push_back(Make(Action::Sleep, 0, kRecordWaitMs));
        return;
    }
    m_handler = Handler::Ignore;
    out.push_back(Make(Action::KillTimer, kAnswerTimer));
    out.push_back(Make(Action::Sleep, 0, kRecordWaitMs));
    if (!m_readIntoForm) {
        // The factory words go into every row the send writes, and 'W' has
        // no check of its own: two reads must agree on them.
        if (!SameDeviceAsBase()) {
            EndEarly(out, EndReason::AnswersDiffer);
            return;
        }
        m_readIntoForm = true;
        m_sendPending = true;
        out.push_back(Make(Action::SetTimer, kSendTimer, kSendMs));
    } else {
        m_holdsTable = true;
        m_complete = true;
        m_base = Words();
    }
    m_printAllowed = 1;
    out.push_back(Make(Action::RefreshPage));
}

bool CParameterRead::SameDeviceAsBase() const
{
    // A pre-read stands on the complete read that put the send in reach.
    return m_complete && Words() == m_base;
}

CParameterRead::DeviceWords CParameterRead::Words() const
{
    DeviceWords w;
    w.version = m_version;
    for (int i = 0; i < kFactoryWordCount; ++i) {
        w.words[i] = m_words[i];
        w.wordTexts[i] = m_wordTexts[i];
    }
    return w;
}

void CParameterRead::SetWords(const DeviceWords& w)
{
    m_version = w.version;
    for (int i = 0; i < kFactoryWordCount; ++i) {
        m_words[i] = w.words[i];
        m_wordTexts[i] = w.wordTexts[i];
    }
}

void CParameterRead::AnswerTimeout(Actions& out)
{
    if (m_handler == Handler::Ignore)
        return;
    if (m_handler == Handler::Row && m_work.GetLength() >= kParameterRecordSize && !m_graceUsed) {
        // The record came whole just before its time: it still gets its
        // quiet. A line that does not go quiet then ends the read.
        m_graceUsed = true;
        out.push_back(Make(Action::SetTimer, kAnswerTimer, kSettleMs));
        return;
    }
    // Nothing (or nothing whole) came in time. The request is not repeated:
    // a late answer to it would be taken for the next one's.
    EndEarly(out, EndReason::Timeout);
}

UINT CParameterRead::EndText(EndReason reason, bool preRead, bool pending) const
{
    switch (reason) {
    case EndReason::Timeout: return kTimeoutTextId;
    case EndReason::AnswersDiffer: return kAnswersDifferTextId;
    case EndReason::PortLost:
        return pending ? kLostBeforeRowsTextId : preRead ? kPreReadLostTextId : kReadLostTextId;
    case EndReason::Left:
        // The user answered Yes to the send; leaving the page must not drop it unsaid.
        return pending || preRead ? kSendDroppedTextId : 0;
    }
    return 0;
}

void CParameterRead::EndEarly(Actions& out, EndReason reason)
{
    const bool preRead = !m_readIntoForm;
    const UINT textId = EndText(reason, preRead, m_sendPending);
    KillTimers(out);
    m_handler = Handler::Ignore;
    m_step = Step::None;
    m_sendPending = false;
    if (!preRead && m_delivered > 0) {
        // No row of an earlier read may stand as if this one had read it.
        for (int r = m_delivered; r < kParameterRows; ++r) {
            m_rows[r] = ParameterRowTexts{};
            m_records[r] = ParameterRowRecord{};
        }
        m_complete = false;
        m_holdsTable = false;
    } else {
        // Before its first row a read has changed only the version and the
        // words; a pre-read also the device's columns. The form keeps the
        // user's edits over the read they were made on.
        SetWords(m_before.device);
        for (int r = 0; r < kParameterRows; ++r) {
            m_rows[r].type = m_before.rows[r].type;
            m_rows[r].p0 = m_before.rows[r].p0;
            m_rows[r].p100 = m_before.rows[r].p100;
            m_records[r] = m_before.records[r];
        }
        m_complete = m_before.complete;
    }
    m_readIntoForm = true;
    out.push_back(Make(Action::UpdateForm));
    if (textId != 0) {
        CString text = Load(textId + static_cast<UINT>(m_langOffset));
        if (textId == kTimeoutTextId)
            text += " 1";
        Box(out, text, textId);
    }
    out.push_back(Make(Action::RefreshPage));
}
