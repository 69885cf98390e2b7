// The date and company header pages without their windows: what they send,
// how they find the device's answers, and the bounded waits before and
// after the request.
//
// Whatever was sent to the device shortly before (the commands page's home
// keys, a request on the other page) may still be answering when the user
// clicks "auslesen", most of all on a slow line. Every key answers with its
// display line (8 characters and CR LF; on the measuring screen a lone
// CR LF), and a header may hold lines of just that shape, so such late
// lines cannot be told from the answer by their look. The read therefore
// waits for a quiet line before its request goes out, and whatever came
// before the request is not part of the answer.
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
// header is everything before that ETX but the leading CR LF (when the
// device sends one), every line of it as the user wrote it (blank,
// 8 characters wide or date-like); nothing after the ETX belongs to it.
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
    // The page's field shows text (empty from the request to its answer).
    virtual void ShowText(const CString& text) = 0;
    // "senden" is offered only while no read runs.
    virtual void EnableWrite(bool enable) = 0;
    // A failure box in the user's language (germanTextId without offset).
    virtual void ShowFailure(UINT germanTextId) = 0;
    virtual bool IsPortOnline() = 0;
    // False while the page is off screen: its answers then go elsewhere.
    virtual bool IsShown() = 0;
};

// The pages' boxes (+ language offset).
namespace DateHeaderText {
// The line never went quiet, so nothing was asked.
constexpr UINT kLineNeverQuiet = 5216;
// No complete answer in time.
constexpr UINT kHeaderNotRead = 5222;
constexpr UINT kDateNotRead = 5223;
// The port went off line: nothing was read, or nothing was sent.
constexpr UINT kPortLostRead = 5224;
constexpr UINT kPortLostSend = 5225;
} // namespace DateHeaderText

// One read of the device clock or of the company header. The request goes
// out only once the line has been quiet for a while; until then the field
// keeps its text, and a read whose request never went out (no port, a line
// that never goes quiet, a port lost meanwhile) leaves it so, with a notice.
// The field is emptied as the request goes out and then shows only the
// answer to it; a read that gets no complete answer, or whose port goes,
// ends with a notice and the field left empty.
class CDeviceTextRead {
public:
    enum class Kind { Date, Header };
    static constexpr UINT kTimerId = 1;
    static constexpr UINT kTickMs = 100;
    // Before the request: the device answers within a second, so a line
    // quiet this long holds no late answer to an earlier key or request
    // (a slow line delivers the keys' display lines 400 ms after them).
    static constexpr UINT kQuietBeforeRequestMs = 1000;
    // A line that does not go quiet within this time of the click gets no
    // request.
    static constexpr UINT kQuietLimitMs = 3000;
    // After the request: the line stays quiet this long, no answer is coming.
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

    // From the click until the read ends, the quiet wait included.
    bool IsRunning() const { return m_stage != Stage::Idle; }

private:
    enum class Stage { Idle, AwaitQuiet, AwaitAnswer };

    void SendRequest();
    void Fail(UINT germanTextId);
    void Stop();

    CDeviceTextHost& m_host;
    const Kind m_kind;
    Stage m_stage = Stage::Idle;
    int m_nResume = 0;
    UINT m_nQuietMs = 0;
    UINT m_nElapsedMs = 0;
    // Bytes came since the last tick: that tick's period was not quiet.
    bool m_bDataSinceTick = false;
};
