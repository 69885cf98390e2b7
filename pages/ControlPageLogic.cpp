#include "pages/ControlPageLogic.h"


const ControlKeySequence kControlKeySequences[11] = {
    {1028, 5159, "k"},
    {1035, 5160, "lkk"},
    {1031, 5161, "lklkk"},
    {1032, 5162, "lkllkk"},
    {1033, 5163, "lkllklk"},
    {1034, 5165, "lklllkk"},
    {1036, 5166, "lklllklk"},
    {1037, 5167, "lkllllllkk"},
    {1038, 5168, "lklllllllkk|l"},
    {1039, 5169, "lklllllllklk|l"},
    {1044, 5173, "lkllllkmklllkmmmklllkk"},
};

const ControlKeySequence* FindControlKeySequence(int controlId)
{
    for (const ControlKeySequence& s : kControlKeySequences)
        if (s.controlId == controlId)
            return &s;
    return nullptr;
}

void PlayControlKeySequence(CDeviceLink& link, const ControlKeySequence& sequence)
{
    link.ReceiveText().Empty();
    link.SendHomeKeys();
    for (const char* k = sequence.keys; *k; ++k) {
        if (*k == kControlPauseMark)
            link.Sleep(kControlPauseMs);
        else
            link.SendCommandByte(*k);
    }
}

char KeypadHitTest(int x, int y, bool largeLayout)
{
    const int L = largeLayout ? 1 : 0;
    struct Zone {
        char key;
        int x0, x1, y0, y1;
    };
    const Zone zones[] = {
        {DeviceCmd::KeyUp, 50 + 10 * L, 78 + 22 * L, 25 + 5 * L, 47 + 13 * L},
        {DeviceCmd::KeyDown, 50 + 10 * L, 78 + 22 * L, 95 + 25 * L, 117 + 33 * L},
        {DeviceCmd::KeyEnter, 20 + 10 * L, 42 + 8 * L, 50 + 20 * L, 85 + 15 * L},
        {DeviceCmd::KeyEsc, 80 + 30 * L, 102 + 28 * L, 50 + 20 * L, 85 + 15 * L},
    };
    for (const Zone& z : zones)
        if (x > z.x0 && x < z.x1 && y > z.y0 && y < z.y1)
            return z.key;
    return 0;
}

CString ExtractDisplayLine(const CString& receiveText)
{
    return receiveText.Right(10).Left(8);
}

void CControlConversation::OnActivate()
{
    m_host.KillTimer(kTimerId);
    m_host.KillTimer(kVersionCapTimerId);
    m_host.ReceiveText().Empty();
    m_nCounter = 0;
    m_handler = Handler::Identification;
    m_host.SendHomeKeys();
    m_host.SendCommandByte(DeviceCmd::KeyEsc);
}

void CControlConversation::OnDataReceived(int byteCount)
{
    const unsigned n = byteCount > 0 ? static_cast<unsigned>(byteCount) : 0;
    switch (m_handler) {
    case Handler::None: break;
    case Handler::Identification:
        m_nCounter += n;
        if (m_nCounter < kEchoBytes)
            break;
        m_host.ReceiveText().Empty();
        m_nCounter = 0;
        m_host.SetTimer(kTimerId, kVersionWaitMs);
        m_host.SetTimer(kVersionCapTimerId, kVersionCapMs);
        m_handler = Handler::VersionAnswer;
        m_host.SendCommandByte(DeviceCmd::Version);
        break;
    case Handler::VersionAnswer: {
        // The variant is decided on the answer's own line, whatever the
        // home keys' late display lines before it and however the reader
        // cut it; without its line end, on what came before the line went
        // quiet.
        const CString& rx = m_host.ReceiveText();
        const VersionLineScan line = ScanVersionLine(rx);
        if (line.end >= 0)
            DecideVariant(line.begin, line.end);
        else if (n > 0)
            m_host.SetTimer(kTimerId, rx.GetLength() > line.begin ? kVersionTimeoutMs : kVersionWaitMs);
        break;
    }
    case Handler::DisplayFirst: CountDisplayBytes(n); break;
    case Handler::DisplayEvery: ShowDisplay(); break;
    }
}

void CControlConversation::ShowDisplay()
{
    CString& rx = m_host.ReceiveText();
    m_host.ShowDisplayText(ExtractDisplayLine(rx));
    // Nothing empties the receive text while the display is mirrored; only
    // its tail is ever read.
    if (rx.GetLength() > 65536)
        rx = rx.Right(10);
}

void CControlConversation::DecideVariant(int begin, int end)
{
    m_host.KillTimer(kTimerId);
    m_host.KillTimer(kVersionCapTimerId);
    const CString& rx = m_host.ReceiveText();
    m_host.SetDeviceVariant(rx.Mid(begin, end - begin).Find("H1") >= 0 ? 800 : 700);
    m_handler = Handler::DisplayFirst;
    m_nCounter = 0;
    m_host.ShowModelText();
    // What followed the answer is the display's.
    CountDisplayBytes(rx.GetLength() - end);
}

void CControlConversation::CountDisplayBytes(int n)
{
    m_nCounter += static_cast<unsigned>(n > 0 ? n : 0);
    if (m_nCounter < kEchoBytes)
        return;
    m_handler = Handler::DisplayEvery;
    ShowDisplay();
}

void CControlConversation::OnTimer(UINT id)
{
    m_host.KillTimer(id);
    if (m_handler != Handler::VersionAnswer)
        return;
    if (id == kVersionCapTimerId) {
        // Lines kept coming and none was the answer; what is still coming
        // is a line cut short, not a quiet answer: as on a time-out, the
        // variant stays as it was.
        m_host.KillTimer(kTimerId);
        m_handler = Handler::DisplayFirst;
        return;
    }
    // Silence: the answer is what came after the keys' lines, if anything;
    // without an answer the variant stays as it was.
    const CString& rx = m_host.ReceiveText();
    const VersionLineScan line = ScanVersionLine(rx);
    if (rx.GetLength() > line.begin) {
        DecideVariant(line.begin, rx.GetLength());
    } else {
        m_host.KillTimer(kVersionCapTimerId);
        m_handler = Handler::DisplayFirst;
    }
}

void CControlConversation::OnKeypadClick(LPARAM lParam, bool largeLayout)
{
    int x = 0, y = 0;
    DecodeKeypadClick(lParam, x, y);
    if (const char key = KeypadHitTest(x, y, largeLayout))
        m_host.SendCommandByte(key);
    m_host.ShowModelText();
}

void CControlConversation::OnButton(int controlId)
{
    if (const ControlKeySequence* s = FindControlKeySequence(controlId))
        PlayControlKeySequence(m_host, *s);
}
