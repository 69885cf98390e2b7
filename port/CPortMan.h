// The port manager: owns one port, its settings and its reader thread, and
// is the one way bytes go to the device.
//
// Every write (PutByte, WriteString, WriteFrame) and every change of the
// port (GoOffline, Reopen) takes the same lock, so a byte written by the
// measuring tick's thread can never land inside a frame another thread is
// writing.
//
// The reader drains the device into memory as fast as bytes come, so a busy
// owner never lets the tty buffer overflow and a hang-up (which discards
// what the kernel still holds) loses nothing already sent. The chunks are
// handed over one read at a time and in order through the data callback:
// by default a second thread calls it (and the callback may block); an
// owner with an event loop of its own takes them on its thread instead
// (SetOwnerHandOver), which costs no thread a wake-up only to pass bytes
// on. A device that goes away is reported once through the removed
// callback, after every chunk read before it; the reader then ends, and
// the owner decides when to call GoOffline(true). While a removed device is
// missing, a watch reports through the arrived callback when its path is
// back. Callbacks run on these threads and must not call Open, Reopen or
// GoOffline themselves: they post to the owner.
//
// A device that speaks only when asked can have its answers collected by
// the thread that asks (SetReadOnDemand, ReadWaiting): the reader thread
// then only watches for a hang-up, and a steady exchange costs one wake-up
// per request instead of two.
#pragma once

#include "port/CDcb.h"
#include "port/CPort.h"
#include "platform/CCriticalSection.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CPortMan {
public:
    using DataCallback = std::function<void(const BYTE* data, int count)>;
    using EventCallback = std::function<void()>;
    using PortFactory = std::function<std::unique_ptr<CPort>()>;
    // Waits until done() holds, doing whatever the waiting thread must keep
    // doing meanwhile.
    using WaitFunction = std::function<void(const std::function<bool()>& done)>;
    // Asks an owner that takes its chunks itself to call HandOver(): at
    // once (after is zero; from the reader's thread, must not block) or
    // after a while (from the owner's own thread).
    using HandOverWake = std::function<void(std::chrono::milliseconds after)>;

    // Writes give up after this long, so a device that stops reading (flow
    // control held, a peer that never reads) cannot freeze the caller.
    static constexpr int kWriteTimeoutMs = 200;
    // Read but not yet handed over; at this much the reader stops reading
    // until the owner takes some, so an owner that stopped listening cannot
    // exhaust memory and no byte is thrown away.
    static constexpr size_t kMaxQueuedBytes = 8u << 20;
    // Bytes that come this soon after a write, or after the last bytes of
    // its answer (for at most kAnswerWindowLimit), may be the answer its
    // sender waits for: an owner that takes the chunks itself gets them at
    // once.
    static constexpr std::chrono::milliseconds kAnswerWindow {500};
    static constexpr std::chrono::milliseconds kAnswerWindowLimit {5000};

    // A factory makes the port for each open; the default is a CSerialPort.
    explicit CPortMan(PortFactory factory = {});
    virtual ~CPortMan();
    CPortMan(const CPortMan&) = delete;
    CPortMan& operator=(const CPortMan&) = delete;

    // Opens the port named in m_Dcb and starts its reader. 0 on success,
    // else an errno value (PortErrorText tells the user). An off-line name
    // is not opened and leaves state 1; a failure leaves state 4.
    int Open();
    // Opens again the port named in m_Dcb, keeping the callbacks and the
    // read block size. False when it could not be opened; a removed port
    // then stays removed and the watch keeps looking for it.
    bool Reopen();
    // Takes the port off line: state 3 when the device was removed, else 1;
    // stops the reader (delivering what it read), closes the port and
    // returns the result of the close. Must not be called from the data
    // callback of a GUI owner that serves it by blocking sends.
    bool GoOffline(bool bRemoved);

    // One byte, no pause. False (the byte is lost) when the port is not on
    // line or the write failed.
    virtual bool PutByte(BYTE byte);
    // All GetLength() bytes of text, zero bytes included. True for an empty
    // text while the port is on line.
    virtual bool WriteString(const CString& text);
    // A multi-byte frame written as one unit under the lock.
    virtual bool WriteFrame(const BYTE* data, int count);
    bool WriteFrame(const CString& frame) { return WriteFrame(frame.bytes(), frame.GetLength()); }

    DWORD GetPortState() const;
    bool IsOnline() const { return GetPortState() == PORTSTATE_ONLINE; }
    // Errno of the last failed Open/Reopen (0 after a success) and its text.
    int GetLastError() const { return m_iLastError; }
    CString GetLastErrorText() const;

    void SetDataCallback(DataCallback cb) { m_onData = std::move(cb); }
    void SetRemovedCallback(EventCallback cb) { m_onRemoved = std::move(cb); }
    void SetArrivedCallback(EventCallback cb) { m_onArrived = std::move(cb); }
    // How a caller of GoOffline/Reopen/the destructor waits for the last
    // hand-overs; an owner whose data callback blocks on that caller's
    // thread must serve it here.
    void SetWaitFunction(WaitFunction fn) { m_wait = std::move(fn); }
    void SetReadBlockSize(int size) { m_iReadBlockSize = size > 0 ? size : 1; }
    // Hand-overs follow one another no closer than this (0, the default: as
    // soon as bytes are read). What comes meanwhile goes out with the next
    // one, so a device streaming small frames costs the owner one wake-up
    // per interval instead of one per frame. The first bytes after a quiet
    // spell, a full read block and the last bytes before a stop never wait;
    // with an owner that takes the chunks itself, neither do the bytes of
    // an answer (see kAnswerWindow), unless the port reads on demand.
    void SetDeliveryPacing(std::chrono::milliseconds interval) { m_deliveryPacing = interval; }
    std::chrono::milliseconds GetDeliveryPacing() const { return m_deliveryPacing; }
    int GetReadBlockSize() const { return m_iReadBlockSize; }

    // The owner takes the chunks on its own thread with HandOver() instead
    // of a thread of the manager's calling the data callback. wake is
    // called when bytes arrive while the owner is not already due to look,
    // and by DeliverPending for the owner's next look. Set before Open.
    // Open, Reopen, GoOffline and the destructor must then be called on the
    // owner's thread: they hand the last bytes over there.
    void SetOwnerHandOver(HandOverWake wake) { m_handOverWake = std::move(wake); }
    // On the owner's thread: passes what was read so far to the data
    // callback, in order and in chunks of at most the read block size, and
    // after the last of them reports a removal. Returns when to look again:
    // the pacing interval while bytes stream in (what comes meanwhile goes
    // with that hand-over, and no wake comes for it), else zero (the wake
    // comes with the next bytes).
    std::chrono::milliseconds HandOver();
    // On the owner's thread, for an owner that takes the chunks itself:
    // takes up what the device holds and hands everything read over now,
    // and puts the owner's next look off by the pacing interval. For an
    // owner about to stop listening, and for one that looks at the bytes
    // on a schedule of its own (a chart's refresh): it then takes them in
    // that wake-up instead of in one of the pacing's. Nothing otherwise.
    void DeliverPending();

    // While on, the reader thread leaves the device's bytes where they are
    // and only watches for a hang-up; ReadWaiting() collects them. Off
    // again, the reader takes up what is left. For a device that answers
    // only when asked and is asked on a short period, by the asking thread;
    // an answer then waits in the line's buffer until the next request at
    // the latest.
    void SetReadOnDemand(bool on);
    // Takes what the device holds now, without waiting, into the hand-over
    // queue; nothing when the port is not on line or the queue is full.
    // Safe from any thread.
    void ReadWaiting();
    // How often the watch looks for a removed device (1 s by default).
    void SetWatchInterval(int ms) { m_iWatchIntervalMs = ms > 0 ? ms : 1; }

    // Settings and state. Pages set the name and the rate; the manager keeps
    // PortState.
    CDcb m_Dcb;

protected:
    // Stops the reader and the watch; for destructors of derived classes
    // whose callbacks must not run once they are gone.
    void StopThreads();

private:
    bool WriteLocked(const BYTE* data, int count);
    void SetState(DWORD state);
    void StartReader();
    void StopReader();
    void ReaderLoop();
    void DeliveryLoop();
    // Queues n bytes from buf (m_readMutex held) and wakes whoever hands
    // them over.
    void Queue(const BYTE* buf, int n);
    // m_queueMutex held, queue not empty: the next chunk to hand over.
    std::vector<BYTE> TakeChunkLocked();
    // Tells the reader there is room and gives the chunk to the callback.
    void PassOn(const std::vector<BYTE>& chunk);
    bool OwnerHandsOver() const { return static_cast<bool>(m_handOverWake); }
    void StopWatch();
    bool OnOwnThread() const;

    PortFactory m_factory;
    std::unique_ptr<CPort> m_pPort;
    mutable CCriticalSection m_lock;

    DataCallback m_onData;
    EventCallback m_onRemoved;
    EventCallback m_onArrived;
    WaitFunction m_wait;
    HandOverWake m_handOverWake;
    int m_iReadBlockSize = 4096;
    std::chrono::milliseconds m_deliveryPacing {0};
    int m_iWatchIntervalMs = 1000;
    int m_iLastError = 0;

    std::thread m_reader;       // reads the device
    std::thread m_delivery;     // hands chunks to the callback
    std::atomic<bool> m_readerStop {false};
    std::atomic<bool> m_deliveryDone {true};
    int m_readerWake[2] = {-1, -1};
    std::mutex m_queueMutex;
    std::condition_variable m_queueCv;
    std::deque<std::vector<BYTE>> m_queue;
    size_t m_queuedBytes = 0;
    bool m_readEnded = false;
    bool m_deliveryIdle = false;   // the delivery thread waits for bytes
    bool m_readRemoved = false;
    // Owner hand-over: the owner was woken or looks again on its own.
    bool m_ownerDue = false;
    bool m_ownerWokenForBlock = false;
    std::chrono::steady_clock::time_point m_lastWrite {};
    std::chrono::steady_clock::time_point m_lastAnswerBytes {};
    bool m_removalReported = false;
    bool m_inHandOver = false;   // owner's thread only
    std::chrono::steady_clock::time_point m_lastHandOver {};
    // Reading by the reader thread or by ReadWaiting, one at a time.
    std::mutex m_readMutex;
    std::atomic<bool> m_readOnDemand {false};
    std::atomic<bool> m_readerRunning {false};
    std::vector<BYTE> m_demandBuffer;   // ReadWaiting's, under m_readMutex

    std::thread m_watch;
    std::atomic<bool> m_watchStop {false};
    std::atomic<bool> m_watchRetry {false};
    int m_watchWake[2] = {-1, -1};
};
