// The data logger read-out without its window: 'A' makes the device send a
// header closed by ETX, a line naming the logging mode, then the records.
// Nothing says how long the stream is, so the end is found by silence: the
// records are complete 500 ms after their last chunk, and the read-out is
// given up after 40 s without data or when the answer outgrows its bound
// (a stream that never goes quiet), ended at once when the port goes, and
// ended when the first bytes hold no mode line (junk, a wrong baud rate). A
// record is a line closed by CR LF; an unclosed tail is never one.
#pragma once

#include "app/DeviceCommands.h"

class CLoggerHost : public CDeviceLink {
public:
    // Wait cursor and locked main tabs while a read-out runs.
    virtual void SetBusy(bool busy) = 0;
    virtual void ShowReadButton(bool show) = 0;
    // Header, mode or record text changed.
    virtual void ShowTexts() = 0;
    // A box that reports a failure.
    virtual void ShowBox(const CString& text) = 0;
    // False while the port the page talks through is off line or missing.
    virtual bool IsPortOnline() = 0;
    // The program's text of that German id in the user's language.
    virtual CString LanguageText(UINT germanId) = 0;
};

namespace LoggerText {
// German ids (+ language offset):
// the device went away during a read-out;
constexpr UINT kPortLost = 5202;
// "auslesen" without a port on line: nothing was asked;
constexpr UINT kNoConnection = 5226;
// the answer's first bytes named no logging mode;
constexpr UINT kNoModeLine = 5227;
// the line went quiet in the middle of a record, which was left out.
constexpr UINT kLastRecordCut = 5228;
constexpr const char* kGiveUp =
    "Can not get all data from device!\n\n- Check if settings of device are right\n- Check if device is switched ON";
}

class CLoggerReadout {
public:
    enum Timer : UINT { ModeTimer = 1, WatchTimer = 2, SilenceTimer = 3, GiveUpTimer = 4 };
    static constexpr UINT kModeWaitMs = 1000;
    static constexpr UINT kWatchMs = 500;
    static constexpr UINT kSilenceMs = 500;
    static constexpr UINT kGiveUpMs = 50;
    static constexpr int kWatchTicks = 80;
    // Bytes after activation that show the device answered the home keys.
    static constexpr int kLateBytes = 50;
    // The mode line ends (its CR LF) within this many bytes of the answer,
    // header included; a stream that holds none by then is no read-out.
    static constexpr int kModeLineBound = 16384;
    // The answer ('A' to its end) holds at most this many bytes, some twenty
    // times what the 40 s give-up lets through at 115 200 baud: the give-up
    // counts from the last data, so a stream that never goes quiet would
    // otherwise run, and be held, for ever. The byte past it gives the
    // read-out up with the whole records within it.
    static constexpr int kAnswerBound = 8 << 20;

    enum class Handler { None, Late, Idle, Header, Mode, Body };

    // A bound other than kAnswerBound lets a fuzzer reach it.
    explicit CLoggerReadout(CLoggerHost& host, int answerBound = kAnswerBound)
        : m_host(host), m_nAnswerBound(answerBound)
    {
    }

    // The page became the shown one: drop what is pending, send the home keys.
    void OnActivate();
    void StartLoggerReadout();
    void OnDataReceived(int byteCount);
    void OnLoggerTimer(UINT id);
    // A read-out whose port went off line ends at once with what came and a
    // notice; true when it did. The page calls it when the port changes.
    bool CheckPort();

    // File > Save and print wait until the read-out is over.
    bool IsReadoutRunning() const { return m_bReading; }
    Handler GetHandler() const { return m_handler; }
    const CString& GetHeaderText() const { return m_strHeader; }
    const CString& GetModeText() const { return m_strMode; }
    const CString& GetRecordText() const { return m_strRecords; }
    bool IsManualMode() const { return m_bManual; }

private:
    void OnLateData(int n);
    void OnHeaderData(int n);
    void ParseLoggerMode(int n, bool forceCut);
    void OnBodyData(int n);
    // Takes what came into the raw text, up to the answer's bound.
    void TakeReceived(int n);
    bool IsListening() const
    {
        return m_handler == Handler::Header || m_handler == Handler::Mode || m_handler == Handler::Body;
    }
    // Looks at each line once: the complete ones as they come, the
    // unfinished one only when forced. The word found and where it starts.
    enum class ModeScan { NotYet, Found, Beyond };
    ModeScan ScanForModeLine(bool forceCut, int& wordIndex, int& at);
    // Shows the whole records that came; false when an unclosed tail was left out.
    bool ShowRecords();
    // Shows what came, stops every timer and listens to nothing more.
    void EndCut();
    // Ends a read-out whose first bytes name no mode.
    void EndWithoutModeLine();
    // Ends a read-out whose answer outgrew its bound, as the give-up does.
    void EndAtBound();

    CLoggerHost& m_host;
    Handler m_handler = Handler::None;
    CString m_strRaw;
    int m_nCounter = 0;
    const int m_nAnswerBound;
    // Bytes of this read-out's answer taken so far, and whether more came.
    int m_nAnswer = 0;
    bool m_bPastBound = false;
    // Bytes of the answer cut off the front of the raw text (header and ETX).
    int m_nCutOff = 0;
    // Raw text before this is searched (for ETX, or for line ends).
    int m_nSearched = 0;
    // Start of the first line not yet searched for a mode word.
    int m_nLineStart = 0;
    bool m_bManual = false;
    CString m_strHeader;
    CString m_strMode;
    CString m_strRecords;
    int m_nRetry = kWatchTicks;
    // Records arrived that the record text does not show yet.
    bool m_bRecordsPending = false;
    bool m_bFinished = false;
    bool m_bReading = false;
};
