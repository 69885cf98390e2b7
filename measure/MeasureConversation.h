// The measure page's conversation as a plain step machine: Start runs
// 'n', then 'C', 'E', 'd', 'V', sends the device to its measuring screen
// ('n' x5, 'k' x2), waits 3000 ms and then reads the value stream of the
// sample mode the device reported. The page feeds it received chunks, timer
// ticks and the Start/Stop buttons, and implements CMeasureHost for the
// port, the clock, the chart and the controls.
//
// 'C' goes out only once the line has been quiet after the ESC (its display
// line is not part of any answer). Each answer is taken by where it starts
// and ends (MeasureAnswers.h): 'C' and 'E' when exactly their length came
// before the line went quiet, 'd' up to its ETX, 'V' as its version line.
// An answer that never completes, or a 'C' or 'E' with bytes beyond its
// length, is its request's time-out.
#pragma once

#include "app/DeviceCommands.h"
#include "measure/MeasureAnswers.h"
#include "measure/SampleModes.h"
#include "measure/ValueStream.h"

#include <atomic>

enum class MenuItem { FileOpen, FileSave, Print };

class CMeasureHost : public CDeviceLink {
public:
    // 0 when channel 0's port is on line.
    virtual int PortState() = 0;
    virtual void EnableTabs(bool enable) = 0;
    // A message box: the string stringId + language offset followed by
    // text, or text alone when stringId is 0.
    virtual void ShowBox(UINT stringId, const CString& text) = 0;
    virtual void EnableMenuItem(MenuItem item, bool enable) = 0;
    virtual void ShowStartButton(bool show) = 0;
    // Kontrolle ein/aus, Tara, MIN Reset, MAX Reset.
    virtual void ShowDeviceButtons(bool show) = 0;
    // Reads "Messenkonfiguration" into the records (operator, operand,
    // active flags).
    virtual void LoadChannelConfig() = 0;
    // Whether any of the channel records 0..6 is active.
    virtual bool AnyChannelActive() = 0;
    // The periodic value request: the host calls OnMMTimer every periodMs
    // from its timer thread, so PutBytes must take the port's write lock.
    // Starting stops a running timer first; stopping is idempotent and joins
    // the thread.
    virtual void StartValueRequests(UINT periodMs) = 0;
    virtual void StopValueRequests() = 0;
    // Hands over now what the port has read but the page has not seen yet
    // (a streaming device's bytes reach the page a little later than they
    // come), before the conversation stops listening.
    virtual void TakeReceived() {}
    virtual void ShowModeLabel(const CString& label) = 0;
    virtual void ShowValueText(const CString& text) = 0;
    // The start time of the measurement for the CSV.
    virtual void MarkMeasureStart() = 0;
    // Live chart.
    virtual void AddPoint(int curve, double x, double y) = 0;
    virtual void ClearCurve(int curve) = 0;
    virtual void ShowCurve(int curve, bool show) = 0;
    virtual void SetXAxisTitle(const CString& title) = 0;
    virtual void SetYAxisTitle(const CString& title) = 0;
    virtual void SetYAxisLabel(const CString& format) = 0;
    virtual void SetCurveLabel(const CString& label) = 0;
    virtual void SetCurveColor(COLORREF color) = 0;
    virtual void SetYAxisFlag(bool flag) = 0;
    virtual void SetXRange(double from, double to) = 0;
    virtual void SetFollowWidth(double width) = 0;
    virtual void SetScrollMode(int mode) = 0;
};

namespace MeasureText {
constexpr UINT kSensorRefused = 5180; // + language offset
constexpr UINT kTimeout = 5198;       // + language offset, then " 1"
constexpr UINT kPortGone = 5207;      // + language offset: the device went away mid-run
constexpr const char* kPortOff = "COM Schnittstellen steht auf aus";
constexpr const char* kNoFrameParser = "Device not supported or not connected (1)";
constexpr const char* kNoLineParser = "Device not supported or not connected (2)";
constexpr const char* kCurveLabel = "Kanal 1";
} // namespace MeasureText

class CMeasureConversation {
public:
    static constexpr UINT kTimerId = 1;
    static constexpr UINT kAnswerTimeoutMs = 250;
    static constexpr UINT kHandOverMs = 10;
    static constexpr UINT kStartWaitMs = 3000;
    static constexpr UINT kFirstRefreshMs = 2200;
    static constexpr UINT kRefreshMs = 200;
    // An answer still growing keeps its time-out away by each chunk it
    // gets, but not past this cap after the request (timer 2). The same cap
    // bounds the wait for a quiet line before the first request.
    static constexpr UINT kCapTimerId = 2;
    static constexpr UINT kAnswerCapMs = 3000;

    // Settle: Start's ESC went out; its display line may still be coming.
    enum class AnswerStep { Ignore, Settle, Sensor, StatusLong, Header, Version, Collect, FastStream, SlowStream };
    // BeginWhenQuiet: the last 250 ms of the start wait, which count silence.
    // AnswerSettled: a fixed-length answer came whole, or the header its
    // ETX; the line must go quiet.
    enum class TimerStep {
        None,
        RequestSensor,
        AnswerTimeout,
        AnswerSettled,
        StartDevice,
        StartWaitEnds,
        BeginWhenQuiet,
        BeginMeasuring,
        Refresh
    };

    CMeasureConversation(CMeasureHost& host, MeasureRecord& record);

    void OnStart();
    void OnStop();
    // A chunk was appended to the receive text.
    void OnDataReceived(int byteCount);
    void OnTimer(UINT id);
    // The page was (re)activated: whatever ran is over for the page's side.
    void OnActivate();
    // The page's port may have gone off line (a device pulled): a run or a
    // conversation in progress is stopped, once, with a message. Called on
    // every refresh tick and when the port's state changes; true when it
    // stopped one.
    bool CheckPort();
    // Kontrolle ein/aus, Tara, MIN Reset, MAX Reset (1053..1057): one key
    // each, no answer awaited.
    void OnDeviceButton(int controlId);
    // The periodic tick; runs on the host's timer thread. An overlapping
    // tick is skipped.
    void OnMMTimer();
    // What each tick runs: one value request ('0') straight to the port.
    void RequestValue();

    bool IsRunning() const { return m_bRunning; }
    AnswerStep GetAnswerStep() const { return m_answerStep; }
    const CString& GetHeader() const { return m_strHeader; }
    const CString& GetValueText() const { return m_strValueText; }
    const SampleModeInfo& GetMode() const { return m_mode; }
    double GetLastX() const { return m_dLastX; }

private:
    void SendRequest(char command, AnswerStep step);
    // Bytes came: a wait that counts silence (an answer's time-out, the
    // quiet that closes 'C' or 'E', the quiet before 'C' and before
    // measuring) starts over.
    void AnswerGrew(int n);
    // 'C' and 'E': once length bytes came, the answer is decided when the
    // line went quiet.
    void OnFixedLengthAnswer(int n, int length);
    void OnAnswerSettled();
    void EndAnswer();
    void CheckEndMark();
    void NoteEndMark(bool seen);
    void ArmTimer(TimerStep step, UINT ms);
    void StepRequestSensor();
    void OnSensorAnswer(const CString& answer);
    void OnStatusLongAnswer(const CString& answer);
    void OnHeaderAnswer(int n, bool timedOut);
    void RequestVersion();
    void OnVersionAnswer(int n, bool timedOut);
    void TakeVersion(const CString& line);
    void OnAnswerTimeout();
    // The current request gets no answer that fits: "Timeout Channel 1",
    // then on to the start keys.
    void AnswerFailed();
    void OnSettleData(int n);
    void OnTimerCap();
    void StepStartDevice();
    void StepStartWaitEnds();
    void SendStartKeys();
    void StepBeginMeasuring();
    void DisableInactiveSinks();
    void SelectSampleMode();
    void InstallFastParser();
    void InstallSlowParser();
    void OnAnswerIgnore();
    void OnCollectAnswer(int n);
    void StartRefresh();
    void UpdateCurves();
    void ParseFast();
    void ParseSlow();
    void AddValue(double value);

    CMeasureHost& m_host;
    MeasureRecord& m_rec;
    AnswerStep m_answerStep = AnswerStep::Ignore;
    TimerStep m_timerStep = TimerStep::None;
    unsigned m_nAnswerBytes = 0;
    CString m_strAnswer;
    CString m_strHeader;
    CString m_strCollected;
    bool m_bRunning = false;
    unsigned m_nEnds = 0;   // counts Stop and Activate, which end the conversation
    // A measurement began and was not stopped yet; the line end mark clears
    // only m_bRunning, and Stop must still offer Save and the whole range.
    bool m_bBegan = false;

    SampleModeInfo m_mode;
    ValueScale m_scale;
    bool m_bSinkActive = true;
    double m_dLastX = 0.0;
    bool m_bNewData = false;
    bool m_bAxisSetUp = false;
    // CR LF alone came last; it ends the run only if no value bytes follow
    // it for a whole refresh period (two refresh ticks), so the run never
    // depends on whether a chunk happened to end right after it.
    bool m_bEndMarkSeen = false;
    int m_nEndMarkTicks = 0;
    CString m_strValueText;
    CString m_strYTitle;
    std::atomic<bool> m_bTickBusy{false};
};
