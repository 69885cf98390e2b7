#include "pages/LoggerReadout.h"

#include "app/DeviceAnswers.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace {

struct ModeWord {
    const char* word;
    bool manual;
};

// Order decides, not position: the first word of this list that occurs
// anywhere names the mode.
constexpr ModeWord kModeWords[] = {
    {"LOGG aus", false}, {"LOGG off", false}, {"LOGG ap", false}, {"HAND", true},      {"CLAVIER", true},
    {"MANO", true},      {"AUTO", false},     {"TRIGGER2", false}, {"KURVE", false},   {"FENSTER2", false},
    {"ARRET", false},    {"DIAGRAM", false},  {"WINDOW", false},   {"FENETRE", false}, {"VENTANA", false},
    {"DIAGRAMA", false}, {"FENSTER", false},  {"LOGG on", false},  {"WINDOWS2", false}, {"TRIGGER3", false},
};

// The mode text runs 8 characters from the word's start (16 for AUTO, whose
// rate follows), then CR LF.
int ModeCut(const char* word, int p)
{
    return p + (CString(word) == "AUTO" ? 16 : 8);
}

// Empties a text and gives its memory back: a read-out's are megabytes.
void Release(CString& text) { std::string().swap(text.str()); }

} // namespace

void CLoggerReadout::OnActivate()
{
    // A read-out left behind when the tabs were unlocked early is over: its
    // watch timer must not give up (with a box) while another tab shows.
    for (UINT id : {ModeTimer, WatchTimer, SilenceTimer, GiveUpTimer})
        m_host.KillTimer(id);
    m_bFinished = false;
    m_bRecordsPending = false;
    if (m_bReading) {
        m_bReading = false;
        m_host.SetBusy(false);
        m_host.ShowReadButton(true);
    }
    m_host.ReceiveText().Empty();
    Release(m_strRaw);
    m_nCounter = 0;
    m_handler = Handler::Late;
    m_host.SendHomeKeys();
}

void CLoggerReadout::StartLoggerReadout()
{
    // Without a port on line the 'A' would go nowhere and the watch would
    // later call it a lost connection: there never was one, so say that.
    if (!m_host.IsPortOnline()) {
        m_host.ShowBox(m_host.LanguageText(LoggerText::kNoConnection));
        return;
    }
    // What the last read-out showed is none of this one's: a mode line
    // that does not come must not stand beside this header or records.
    m_strHeader.Empty();
    m_strMode.Empty();
    Release(m_strRecords);
    m_bManual = false;
    m_host.ShowTexts();
    m_nRetry = kWatchTicks;
    // A flag left from the last read-out must not end this one.
    m_bFinished = false;
    m_host.ReceiveText().Empty();
    Release(m_strRaw);
    m_nCounter = 0;
    m_nAnswer = 0;
    m_bPastBound = false;
    m_nCutOff = 0;
    m_nSearched = 0;
    m_nLineStart = 0;
    m_handler = Handler::Header;
    m_bRecordsPending = true;
    m_bReading = true;
    m_host.SetTimer(WatchTimer, kWatchMs);
    m_host.ShowReadButton(false);
    m_host.SendCommandByte(DeviceCmd::LoggerReadout);
}

void CLoggerReadout::OnDataReceived(int byteCount)
{
    const int n = std::max(byteCount, 0);
    switch (m_handler) {
    case Handler::None: break;
    case Handler::Late: OnLateData(n); break;
    case Handler::Idle: m_host.ReceiveText().Empty(); break;
    case Handler::Header: OnHeaderData(n); break;
    case Handler::Mode: ParseLoggerMode(n, false); break;
    case Handler::Body: OnBodyData(n); break;
    }
    // After the stage has seen what came within the bound.
    if (m_bPastBound && IsListening())
        EndAtBound();
}

void CLoggerReadout::OnLateData(int n)
{
    m_host.ReceiveText().Empty();
    m_nCounter += n;
    if (m_nCounter < kLateBytes)
        return;
    m_nCounter = 0;
    m_strRaw.Empty();
    m_strHeader.Empty();
    m_strMode.Empty();
    m_strRecords.Empty();
    m_host.ShowTexts();
    m_handler = Handler::Idle;
}

void CLoggerReadout::TakeReceived(int n)
{
    CString& rx = m_host.ReceiveText();
    // Whatever the chunks, the read-out ends on the same bytes: those within
    // the bound.
    const int room = std::max(0, m_nAnswerBound - m_nAnswer);
    if (rx.GetLength() > room) {
        rx.str().resize(static_cast<size_t>(room));
        m_bPastBound = true;
    }
    m_nAnswer += rx.GetLength();
    m_strRaw += rx;
    rx.Empty();
    m_nCounter += n;
    // The give-up counts from the last data, so a long healthy read-out
    // over a slow line is not cut off.
    if (n > 0)
        m_nRetry = kWatchTicks;
}

void CLoggerReadout::OnHeaderData(int n)
{
    TakeReceived(n);
    m_host.SetBusy(true);
    // Only the new bytes are searched, so a long answer without ETX costs
    // each byte once.
    const int etx = FindAnswerEtx(m_strRaw, m_nSearched);
    if (etx < 0 || etx >= kModeLineBound) {
        m_nSearched = m_strRaw.GetLength();
        if (m_nSearched >= kModeLineBound)
            EndWithoutModeLine();
        return;
    }
    m_handler = Handler::Mode;
    m_host.SetTimer(ModeTimer, kModeWaitMs);
    m_strHeader = HeaderBeforeEtx(m_strRaw, etx);
    m_host.ShowTexts();
    m_strRaw = m_strRaw.Mid(etx + 1);
    m_nCutOff = etx + 1;
    m_nSearched = 0;
    m_nLineStart = 0;
    m_nCounter = m_strRaw.GetLength();
    // The mode line may have come in the same chunk. If it is not there
    // yet, the line still gets its second of silence before the page lets go.
    if (!m_strRaw.IsEmpty()) {
        ParseLoggerMode(0, false);
        if (m_handler == Handler::Mode)
            m_host.SetTimer(ModeTimer, kModeWaitMs);
    }
}

CLoggerReadout::ModeScan CLoggerReadout::ScanForModeLine(bool forceCut, int& wordIndex, int& at)
{
    const std::string& raw = m_strRaw.str();
    const int size = static_cast<int>(raw.size());
    // A line end past this raw position lies beyond the bound.
    const int limit = kModeLineBound - m_nCutOff;
    auto search = [&](int from, int to) {
        const std::string_view line(raw.data() + from, static_cast<size_t>(to - from));
        for (int k = 0; k < static_cast<int>(std::size(kModeWords)); ++k) {
            const size_t p = line.find(kModeWords[k].word);
            if (p != std::string_view::npos) {
                wordIndex = k;
                at = from + static_cast<int>(p);
                return true;
            }
        }
        return false;
    };
    for (;;) {
        const size_t end = raw.find("\r\n", static_cast<size_t>(std::max(m_nLineStart, m_nSearched)));
        if (end == std::string::npos)
            break;
        if (static_cast<int>(end) + 2 > limit)
            return ModeScan::Beyond;
        // The line stays the current one: its cut may still wait for bytes.
        if (search(m_nLineStart, static_cast<int>(end)))
            return ModeScan::Found;
        m_nLineStart = static_cast<int>(end) + 2;
        m_nSearched = m_nLineStart;
    }
    // A CR at the end may be the first half of the next line end.
    m_nSearched = std::max(m_nLineStart, size - 1);
    // Every line that ends within the bound has been searched.
    if (size >= limit)
        return ModeScan::Beyond;
    if (forceCut && m_nLineStart < size && search(m_nLineStart, size))
        return ModeScan::Found;
    return ModeScan::NotYet;
}

void CLoggerReadout::ParseLoggerMode(int n, bool forceCut)
{
    m_host.KillTimer(ModeTimer);
    TakeReceived(n);
    m_bManual = false;
    // The mode line is the first complete line that names a mode (the
    // first word of the list within it); only once the line went quiet is
    // an unfinished one searched too. Searching the whole text as it grows
    // would let a word in the records win or lose by how the bytes were cut.
    int wordIndex = -1;
    int p = -1;
    const ModeScan scan = ScanForModeLine(forceCut, wordIndex, p);
    if (scan == ModeScan::Beyond) {
        EndWithoutModeLine();
        return;
    }
    if (scan == ModeScan::NotYet) {
        if (!forceCut)
            m_host.SetTimer(ModeTimer, kModeWaitMs);
        return;
    }
    const ModeWord* found = &kModeWords[wordIndex];
    const int cut = ModeCut(found->word, p);
    // Cut only a complete line (text and CR LF), unless the line went quiet:
    // a split chunk must not put the tail of the mode line into the records.
    if (!forceCut && m_strRaw.GetLength() < cut + 2) {
        m_host.SetTimer(ModeTimer, kModeWaitMs);
        return;
    }
    m_bManual = found->manual;
    m_handler = Handler::Body;
    m_host.SetTimer(ModeTimer, kModeWaitMs);
    m_strMode = m_strRaw.Left(cut);
    m_strMode.Replace(',', '.');
    m_host.ShowTexts();
    m_strRaw = m_strRaw.Mid(std::min(cut + 2, m_strRaw.GetLength()));
    m_nCounter = m_strRaw.GetLength();
    if (!m_strRaw.IsEmpty())
        OnBodyData(0);
}

void CLoggerReadout::OnBodyData(int n)
{
    m_host.KillTimer(ModeTimer);
    TakeReceived(n);
    m_host.SetTimer(SilenceTimer, kSilenceMs);
    m_bRecordsPending = true;
}

bool CLoggerReadout::ShowRecords()
{
    // A tail the line cut off mid-record ("-1,47" of "-1,473 kN") is no
    // value the device logged; it stays in the raw text, where bytes that
    // still come may close it. The whole records move over, so megabytes of
    // them are not held twice.
    std::string& raw = m_strRaw.str();
    const size_t last = raw.rfind("\r\n");
    std::string tail = raw.substr(last == std::string::npos ? 0 : last + 2);
    raw.resize(raw.size() - tail.size());
    if (m_strRecords.IsEmpty())
        m_strRecords.str().swap(raw);
    else
        m_strRecords.str() += raw;
    Release(m_strRaw);
    raw = std::move(tail);
    m_bRecordsPending = false;
    m_host.ShowTexts();
    m_host.ShowReadButton(true);
    m_host.SetBusy(false);
    m_bReading = false;
    return raw.empty();
}

void CLoggerReadout::OnLoggerTimer(UINT id)
{
    switch (id) {
    case ModeTimer:
        m_host.KillTimer(ModeTimer);
        if (m_handler == Handler::Mode)
            ParseLoggerMode(0, true);
        else if (m_handler == Handler::Body)
            OnBodyData(0);
        m_host.SetBusy(false);
        m_host.ShowReadButton(true);
        break;
    case WatchTimer:
        if (CheckPort())
            break;
        if (m_bFinished) {
            m_host.KillTimer(WatchTimer);
            m_bFinished = false;
            m_handler = Handler::Idle;
        } else if (m_bRecordsPending) {
            if (--m_nRetry <= 0) {
                // Killed before the box: the box is modal and timers keep
                // running behind it.
                m_host.KillTimer(WatchTimer);
                m_host.ShowBox(LoggerText::kGiveUp);
                m_host.SetTimer(GiveUpTimer, kGiveUpMs);
            }
        } else {
            m_host.KillTimer(WatchTimer);
            m_host.ShowReadButton(true);
            m_bReading = false;
        }
        break;
    case SilenceTimer:
        // Silence because the device went away is no end of the records.
        if (CheckPort())
            break;
        m_bFinished = true;
        m_host.KillTimer(SilenceTimer);
        if (!ShowRecords())
            m_host.ShowBox(m_host.LanguageText(LoggerText::kLastRecordCut));
        break;
    case GiveUpTimer:
        m_host.KillTimer(GiveUpTimer);
        EndCut();
        break;
    default: break;
    }
}

void CLoggerReadout::EndCut()
{
    for (UINT id : {ModeTimer, WatchTimer, SilenceTimer, GiveUpTimer})
        m_host.KillTimer(id);
    m_bFinished = false;
    ShowRecords();
    // Nothing of the answer is waited for any more.
    Release(m_strRaw);
    m_handler = Handler::Idle;
}

bool CLoggerReadout::CheckPort()
{
    if (!m_bReading || m_host.IsPortOnline())
        return false;
    // Ended before the box: the box is modal, and what came stays shown and
    // may be saved.
    EndCut();
    m_host.ShowBox(m_host.LanguageText(LoggerText::kPortLost));
    return true;
}

void CLoggerReadout::EndAtBound()
{
    // Ended before the box: the box is modal, and bytes that keep coming
    // behind it must not pile up.
    EndCut();
    m_host.ShowBox(LoggerText::kGiveUp);
}

void CLoggerReadout::EndWithoutModeLine()
{
    // What came within the bound is shown, the same however it was cut.
    const int keep = std::max(0, kModeLineBound - m_nCutOff);
    if (m_strRaw.GetLength() > keep)
        m_strRaw = m_strRaw.Left(keep);
    EndCut();
    m_host.ShowBox(m_host.LanguageText(LoggerText::kNoModeLine));
}
