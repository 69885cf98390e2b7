// The date and company header pages without their windows: what they send,
// how they find the device's answers by their own layout, and the bounded
// wait for them.
//
// Whatever was sent to the device shortly before (the commands page's home
// keys, a request on the other page) may still be answering when the read
// goes out, most of all on a slow line. Every key answers with its display
// line (8 characters and CR LF; on the measuring screen a lone CR LF), so
// such lines are passed over, and so is a late date line before a header.
#pragma once

#include "app/DeviceCommands.h"

struct DeviceAnswer {
    bool complete = false;
    CString text; // what the page shows, once complete
    int resume = 0; // a later scan of the same, grown text may start here
};

// The 'b' answer: the first "dd.mm.yy hh:mm:ss" (one or two blanks between
// date and time) in received, shown with one blank.
DeviceAnswer DateAnswerText(const CString& received, int from = 0);
// The 'd' answer: CR LF, the header, ETX; complete at the first ETX. The
// last lone line end before the header, among the display lines and date
// lines that precede it, is the answer's own. A header whose first lines are
// 8 characters wide before a blank line cannot be told from display lines:
// those lines are passed over as well.
DeviceAnswer HeaderAnswerText(const CString& received, int from = 0);
// Line breaks as the device keeps them: CR LF, whatever the edit produced.
CString HeaderTextWithDeviceLineBreaks(const CString& editText);

// Sets the device clock to nowText (DeviceDateTimeText of the PC's local
// time) in one write; returns the text the date edit shows from now on.
CString WriteDeviceDate(CDeviceLink& link, const CString& nowText);
// Sends the header as one frame; returns the text that went out.
CString SendCompanyHeader(CDeviceLink& link, const CString& editText);

// What a read needs of its page besides the line.
class CDeviceTextHost : public CDeviceLink {
public:
    // The page's field shows text (empty while a read runs).
    virtual void ShowText(const CString& text) = 0;
    // "senden" is offered only while no read runs.
    virtual void EnableWrite(bool enable) = 0;
    // A failure box in the user's language (germanTextId without offset).
    virtual void ShowFailure(UINT germanTextId) = 0;
    virtual bool IsPortOnline() = 0;
    // False while the page is off screen: its answers then go elsewhere.
    virtual bool IsShown() = 0;
};

namespace DateHeaderText {
// + language offset: no complete answer in time.
constexpr UINT kHeaderNotRead = 5222;
constexpr UINT kDateNotRead = 5223;
// The port went off line: nothing was read, or nothing was sent.
constexpr UINT kPortLostRead = 5224;
constexpr UINT kPortLostSend = 5225;
} // namespace DateHeaderText

// One read of the device clock or of the company header: the field is
// emptied as the request goes out and shows only the answer to it; a read
// that gets no complete answer, or whose port goes, ends with a notice and
// the field left empty.
class CDeviceTextRead {
public:
    enum class Kind { Date, Header };
    static constexpr UINT kTimerId = 1;
    static constexpr UINT kTickMs = 100;
    // The line stays quiet this long: no answer is coming.
    static constexpr UINT kSilenceMs = 2000;
    // A line that never goes quiet cannot hold a read open longer.
    static constexpr UINT kLimitMs = 10000;

    CDeviceTextRead(CDeviceTextHost& host, Kind kind) : m_host(host), m_kind(kind) {}

    void Start();
    void OnDataReceived();
    void OnTimer(UINT id);
    // The page was left: its answers no longer reach it. Ends without a word.
    void Abandon();
    // Before "senden": false, with a notice, when the frame could not go
    // out. A read still running ends, so its answer cannot replace what is
    // sent.
    bool BeforeSend();

    bool IsRunning() const { return m_bRunning; }

private:
    void Fail(UINT germanTextId);
    void Stop();

    CDeviceTextHost& m_host;
    const Kind m_kind;
    bool m_bRunning = false;
    int m_nResume = 0;
    UINT m_nQuietMs = 0;
    UINT m_nElapsedMs = 0;
};
