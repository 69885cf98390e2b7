// The parameter page's read conversation as a step machine without windows:
// home keys, 'V' (version), 'W' (factory words) and 'f' 1..10 (row records).
//
// Inputs are the page's events (read button, activation, received bytes, a
// window timer firing); every call returns the actions the page must carry
// out, in order: bytes to send, timers to arm or kill, blocking waits, the
// receive text to empty, the form to update, message boxes. The machine also
// holds the table the page shows, so the page binds its fields to it.
//
// Timers: 1 runs the current step, 2 is the answer's time-out, 3 the
// silence that closes a row record, 4 caps the whole version stage, 5 looks
// at the port once more after the row frames, 6666 starts the send after a
// pre-read.
//
// Every answer is taken by its own layout, never by how the line cut it:
// the version is the first line ending in its digits (the home keys'
// display lines before it are passed over, see app/DeviceAnswers.h), the factory
// words are the 16 bytes after it, a row record is the last 20 bytes once
// at least 20 came and the line went quiet (its last two bytes are not
// read, whatever the device puts there). Bytes beyond a decided version or
// word answer are the start of the next answer, whether they came in the
// same chunk or a later one.
//
// A read ends complete after row 10, or early: an answer that does not come
// within its time (no request is repeated: a late answer to a repeated
// request would be taken for the next row's), the port gone, or the page
// left. The page always shows one read: a read into the form that ends
// before its first row leaves everything as it was; one that ends later
// keeps its rows and empties the others; factory words a read did not get
// show "na". A pre-read that ends early, or whose version or factory words
// differ from the complete read the send stands on, puts back what it
// changed and writes nothing.
#pragma once

#include "app/DeviceAnswers.h"
#include "pages/ParameterCodec.h"
#include "platform/CString.h"
#include "platform/Types.h"

#include <vector>

struct ParameterReadAction {
    enum Kind {
        PageSend,         // bytes[0] by the page protocol (25 ms pause after it)
        DirectSend,       // bytes straight to the port, no pause
        SetTimer,         // id, ms (restarts a running one)
        KillTimer,        // id
        Sleep,            // ms, blocking
        EmptyReceiveText, // the receive text this conversation reads
        UpdateForm,       // the row texts changed: controls from them
        HideButtons,      // hide "auslesen" and "senden"
        RefreshPage,      // the page's refresh (buttons, File menu, from the state)
        MessageBox,       // bytes = text (id = its string id), OK button, error icon
        StartSend,        // run the send of the edited rows
        WriteRow,         // bytes = the frame of row id (1..10); the page reports the write with RowWritten
        EndSend,          // the frames are out (or the check after them is due): the page reports the port with SendEnded
    };
    Kind kind;
    CString bytes;
    UINT id = 0;
    UINT ms = 0;

    friend bool operator==(const ParameterReadAction& a, const ParameterReadAction& b)
    {
        return a.kind == b.kind && a.bytes == b.bytes && a.id == b.id && a.ms == b.ms;
    }
};

class CParameterRead {
public:
    using Actions = std::vector<ParameterReadAction>;

    static constexpr UINT kStepTimer = 1;
    static constexpr UINT kAnswerTimer = 2;
    static constexpr UINT kSettleTimer = 3;
    static constexpr UINT kVersionCapTimer = 4;
    static constexpr UINT kSendCheckTimer = 5;
    static constexpr UINT kSendTimer = 6666;
    static constexpr UINT kStepMs = 250;
    static constexpr UINT kAnswerMs = 1000;
    static constexpr UINT kSendMs = 200;
    // After the frames: a device that left with the last of them is
    // reported by the port only after the page's blocking run, and its
    // report may wait for the port's next hand-over.
    static constexpr UINT kSendCheckMs = 1000;
    static constexpr UINT kRecordWaitMs = 100;
    // Quiet time after which a row record of 20 bytes or more is complete.
    static constexpr UINT kSettleMs = kFixedAnswerQuietMs;
    static constexpr UINT kVersionCapMs = kVersionStageCapMs;
    // Texts (German ids; + language offset).
    static constexpr UINT kTimeoutTextId = 5198;
    static constexpr UINT kPreReadLostTextId = 5182;  // pre-read cut: nothing written
    static constexpr UINT kReadLostTextId = 5210;     // read cut
    static constexpr UINT kAnswersDifferTextId = 5211; // pre-read differs from the read
    static constexpr UINT kSendCutTextId = 5212;      // lost among the frames; %1 sent, %2 not
    static constexpr UINT kLostBeforeRowsTextId = 5213;
    static constexpr UINT kLostAfterRowsTextId = 5214;
    static constexpr UINT kSendDroppedTextId = 5215;  // page left before the rows went out

    enum class Handler { Ignore, Version, FactoryWords, Row };

    // load defaults to the program's string table.
    explicit CParameterRead(ParameterTextLoader load = {});

    void SetLanguageOffset(int offset) { m_langOffset = offset; }

    // The page was activated: abandon any read, home keys out.
    Actions Activate();
    // The page was left, or its port went away: a read or send in progress
    // ends early (with the lost-connection text for the port).
    Actions Abandon();
    Actions PortLost();
    // The read button: a read into the form.
    Actions StartRead();
    // The send's own read: device names, nominal values and units go to the
    // pre-read texts; when it ends, send-pending is set and timer 6666 armed.
    Actions StartPreRead();
    // A chunk of received bytes (only the new ones).
    Actions OnBytes(const CString& chunk);
    Actions OnTimer(UINT id);
    // The send button and timer 6666: a pre-read first, then (send pending)
    // the checks and the ten row frames.
    Actions SendButton();
    // The page wrote the frame of row (1..10); ok: the port took all of it.
    void RowWritten(int row, bool ok);
    // A frame of this send failed: the frames after it are not written.
    bool SendBroken() const { return m_sendBroken; }
    // After the frames, and once more a little later while the port seems
    // well, with the port's state: says what did not reach the device, if
    // anything.
    Actions SendEnded(bool portOnline);

    Handler CurrentHandler() const { return m_handler; }
    // Row being read, 1..10 (meaningful while the handler is Row).
    int CurrentRow() const { return m_row; }

    const CString& VersionText() const { return m_version; }
    WORD FactoryWord(int i) const { return m_words[i]; }
    const WORD* FactoryWords() const { return m_words; }
    const CString& FactoryWordText(int i) const { return m_wordTexts[i]; }
    ParameterRowTexts& Row(int i) { return m_rows[i]; }
    const ParameterRowTexts& Row(int i) const { return m_rows[i]; }
    const ParameterRowTexts& PreRead(int i) const { return m_preRead[i]; }
    const ParameterRowRecord& Record(int i) const { return m_records[i]; }

    bool ReadIntoForm() const { return m_readIntoForm; }
    bool SendPending() const { return m_sendPending; }
    void SetSendPending(bool pending) { m_sendPending = pending; }
    BYTE PrintAllowed() const { return m_printAllowed; }
    // A read or a send runs (from its button to its last frame or end).
    bool IsRunning() const;
    // The last read since the activation ended complete: the form holds the
    // device's whole table, the base a send may write from. A pre-read that
    // ends early leaves the form, and this, as they were.
    bool ReadComplete() const { return m_complete; }
    // The form holds a table: a complete read, or a table file loaded.
    bool HoldsTable() const { return m_holdsTable; }
    void TableLoaded() { m_holdsTable = true; }

private:
    enum class Step { None, RequestVersion, VersionSettled };
    enum class EndReason { Left, PortLost, Timeout, AnswersDiffer };

    Actions Start(bool intoForm);
    void RunStep(Actions& out);
    void RequestVersion(Actions& out);
    void EmptyAnswer(Actions& out);
    void RequestRow(Actions& out, int row);
    void DecideVersion(Actions& out);
    void OnVersionAnswer(Actions& out);
    void OnFactoryWordsAnswer(Actions& out);
    void ParseRowRecord(Actions& out);
    void OnRecordSettled(Actions& out);
    void DecideRowRecord(Actions& out, const CString& record);
    // Bytes for the current handler, from the page or carried over from the
    // answer before.
    void Run(Actions& out, const CString& chunk);
    void AnswerTimeout(Actions& out);
    void EndEarly(Actions& out, EndReason reason);
    UINT EndText(EndReason reason, bool preRead, bool pending) const;
    void KillTimers(Actions& out);
    void ForgetFactoryWords();
    // The pre-read got the version and factory words of the read the send
    // stands on.
    bool SameDeviceAsBase() const;
    void Box(Actions& out, const CString& text, UINT id) const;
    CString Load(UINT id) const;

    // The version and factory words a read got.
    struct DeviceWords {
        CString version;
        WORD words[kFactoryWordCount] = {};
        CString wordTexts[kFactoryWordCount];
        bool operator==(const DeviceWords&) const = default;
    };
    DeviceWords Words() const;
    void SetWords(const DeviceWords& w);
    // What a read changes before its first row, and a pre-read in all;
    // put back when it ends early or its answers differ.
    struct Snapshot {
        DeviceWords device;
        ParameterRowTexts rows[kParameterRows];
        ParameterRowRecord records[kParameterRows];
        bool complete = false;
    };

    ParameterTextLoader m_load;
    int m_langOffset = 0;

    Handler m_handler = Handler::Ignore;
    Step m_step = Step::None;
    int m_row = 1;
    int m_delivered = 0; // rows this read has decided
    bool m_graceUsed = false; // the row's time was stretched once for its quiet
    CString m_work;
    Snapshot m_before;
    DeviceWords m_base; // what the last complete read into the form got besides its rows

    CString m_version = "na";
    WORD m_words[kFactoryWordCount] = {};
    CString m_wordTexts[kFactoryWordCount] = {"na", "na", "na", "na", "na", "na"};
    ParameterRowTexts m_rows[kParameterRows];
    ParameterRowTexts m_preRead[kParameterRows];
    ParameterRowRecord m_records[kParameterRows];

    bool m_readIntoForm = true;
    bool m_sendPending = false;
    BYTE m_printAllowed = 0;
    bool m_complete = false;
    bool m_holdsTable = false;
    // The row frames are going out; rows 1..m_rowsSent were taken by the port.
    bool m_sending = false;
    bool m_sendBroken = false;
    bool m_sendChecking = false; // the second look at the port is due
    int m_rowsSent = 0;
};
