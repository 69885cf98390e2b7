// The control page without its window: the eleven menu key sequences, the
// keypad picture's hit zones, and the step machine that identifies the
// device on activation and then mirrors its display.
#pragma once

#include "app/DeviceCommands.h"
#include "app/DeviceAnswers.h"

struct ControlKeySequence {
    int controlId;
    UINT textId; // German; + language offset for the others
    // Key codes played after the home keys; '|' is a 1000 ms pause that
    // lets the device finish a screen before the last key.
    const char* keys;
};

constexpr char kControlPauseMark = '|';
constexpr UINT kControlPauseMs = 1000;

extern const ControlKeySequence kControlKeySequences[11];
const ControlKeySequence* FindControlKeySequence(int controlId);
// Empties the receive text, sends the home keys, then the sequence, every
// key by page send.
void PlayControlKeySequence(CDeviceLink& link, const ControlKeySequence& sequence);

// The larger keypad layout is used when the display field is wider than
// 150 pixels.
inline bool IsLargeControlLayout(int displayClientWidth) { return displayClientWidth > 150; }
// The keypad image reports a click as x * 65535 + y.
inline void DecodeKeypadClick(LPARAM lParam, int& x, int& y)
{
    x = static_cast<int>(lParam / 65535);
    y = static_cast<int>(lParam % 65535);
}
// The key whose zone holds the point strictly inside, or 0.
char KeypadHitTest(int x, int y, bool largeLayout);

// The device's display line: the 8 characters before the final CR LF of the
// last 10 received, shown as they are.
CString ExtractDisplayLine(const CString& receiveText);

class CControlHost : public CDeviceLink {
public:
    // m_iDeviceVariant of the current channel's record.
    virtual void SetDeviceVariant(int variant) = 0;
    virtual void ShowDisplayText(const CString& text) = 0;
    virtual void ShowModelText() = 0;
};

class CControlConversation {
public:
    static constexpr UINT kTimerId = 1;
    // Silence that closes a version answer without its line end; every
    // chunk of it starts the silence again.
    static constexpr UINT kVersionTimeoutMs = 250;
    // The wait for the answer's first byte (after 'V' or the keys' late
    // lines): a slow device answers after several hundred milliseconds.
    static constexpr UINT kVersionWaitMs = 1000;
    // The whole version stage (kVersionStageCapMs) runs on this timer.
    static constexpr UINT kVersionCapTimerId = 2;
    static constexpr UINT kVersionCapMs = kVersionStageCapMs;
    // The echoes of the home keys (10 bytes per key) before 'V' goes out,
    // and before the display is trusted again.
    static constexpr unsigned kEchoBytes = 50;

    enum class Handler { None, Identification, VersionAnswer, DisplayFirst, DisplayEvery };

    explicit CControlConversation(CControlHost& host) : m_host(host) {}

    // Activation: identification starts over after six ESC keys.
    void OnActivate();
    void OnDataReceived(int byteCount);
    void OnTimer(UINT id);
    void OnKeypadClick(LPARAM lParam, bool largeLayout);
    void OnButton(int controlId);

    Handler GetHandler() const { return m_handler; }

private:
    void ShowDisplay();
    // The answer is ReceiveText()[begin, end).
    void DecideVariant(int begin, int end);
    void CountDisplayBytes(int n);

    CControlHost& m_host;
    Handler m_handler = Handler::None;
    unsigned m_nCounter = 0;
};
