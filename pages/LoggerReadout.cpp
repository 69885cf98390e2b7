#include "pages/LoggerReadout.h"

#include <algorithm>

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
    m_strRaw.Empty();
    m_nCounter = 0;
    m_handler = Handler::Late;
    m_host.SendHomeKeys();
}

void CLoggerReadout::StartLoggerReadout()
{
    m_nRetry = kWatchTicks;
    // A flag left from the last read-out must not end this one.
    m_bFinished = false;
    m_host.ReceiveText().Empty();
    m_strRaw.Empty();
    m_nCounter = 0;
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
    const int etx = m_strRaw.Find(DeviceCmd::Etx);
    if (etx < 0)
        return;
    m_handler = Handler::Mode;
    m_host.SetTimer(ModeTimer, kModeWaitMs);
    m_strHeader = m_strRaw.Left(etx);
    if (m_strHeader.GetLength() >= 2 && m_strHeader[0] == '\r' && m_strHeader[1] == '\n')
        m_strHeader.Delete(0, 2);
    m_host.ShowTexts();
    m_strRaw = m_strRaw.Mid(etx + 1);
    m_nCounter = m_strRaw.GetLength();
    // The mode line may have come in the same chunk. If it is not there
    // yet, the line still gets its second of silence before the page lets go.
    if (!m_strRaw.IsEmpty()) {
        ParseLoggerMode(0, false);
        if (m_handler == Handler::Mode)
            m_host.SetTimer(ModeTimer, kModeWaitMs);
    }
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
    const ModeWord* found = nullptr;
    int p = -1;
    int from = 0;
    while (!found) {
        const int end = m_strRaw.Find("\r\n", from);
        if (end < 0 && !forceCut)
            break;
        const CString line = end < 0 ? m_strRaw.Mid(from) : m_strRaw.Mid(from, end - from);
        for (const ModeWord& w : kModeWords) {
            const int at = line.Find(w.word);
            if (at >= 0) {
                found = &w;
                p = from + at;
                break;
            }
        }
        if (end < 0)
            break;
        from = end + 2;
    }
    if (!found) {
        if (!forceCut)
            m_host.SetTimer(ModeTimer, kModeWaitMs);
        return;
    }
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

void CLoggerReadout::ShowRecords()
{
    m_strRecords = m_strRaw;
    m_bRecordsPending = false;
    m_host.ShowTexts();
    m_host.ShowReadButton(true);
    m_host.SetBusy(false);
    m_bReading = false;
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
        ShowRecords();
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
    m_handler = Handler::Idle;
}

bool CLoggerReadout::CheckPort()
{
    if (!m_bReading || m_host.IsPortOnline())
        return false;
    // Ended before the box: the box is modal, and what came stays shown and
    // may be saved.
    EndCut();
    m_host.ShowBox(m_host.PortLostText());
    return true;
}
