#include "port/CPortMan.h"

#include "port/CSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void MakeWakePipe(int fds[2])
{
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        fds[0] = fds[1] = -1;
}

void ClosePipe(int fds[2])
{
    for (int i = 0; i < 2; ++i) {
        if (fds[i] >= 0)
            ::close(fds[i]);
        fds[i] = -1;
    }
}

void Wake(int fd)
{
    if (fd >= 0) {
        const char c = 1;
        (void)!::write(fd, &c, 1);
    }
}

void Drain(int fd)
{
    char buf[64];
    while (fd >= 0 && ::read(fd, buf, sizeof(buf)) > 0) {
    }
}

// What a device path stands for right now; a replugged adapter or a
// re-pointed link gives another node.
struct NodeIdentity {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    dev_t rdev = 0;
    bool viaLink = false;
    ino_t linkIno = 0;
    timespec linkChanged {};
    bool pseudoTerminal = false;

    static NodeIdentity Of(const CString& path)
    {
        NodeIdentity id;
        struct stat st {};
        if (::lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
            id.viaLink = true;
            id.linkIno = st.st_ino;
            id.linkChanged = st.st_ctim;
        }
        char resolved[PATH_MAX];
        // A node that goes away while it is looked at is gone: a terminal
        // number that other programs take and give back can vanish between
        // the two looks, and must not pass for some other kind of node.
        if (::stat(path, &st) == 0 && ::realpath(path, resolved)) {
            id.exists = true;
            id.dev = st.st_dev;
            id.ino = st.st_ino;
            id.rdev = st.st_rdev;
            id.pseudoTerminal = std::strncmp(resolved, "/dev/pts/", 9) == 0;
        }
        return id;
    }
    bool SameNode(const NodeIdentity& o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && rdev == o.rdev;
    }
    bool SameLink(const NodeIdentity& o) const
    {
        return viaLink == o.viaLink && linkIno == o.linkIno && linkChanged.tv_sec == o.linkChanged.tv_sec &&
               linkChanged.tv_nsec == o.linkChanged.tv_nsec;
    }
};

// A pseudo-terminal never comes back: its number is soon handed to some
// other terminal (a user's shell, say), which must not be taken over. Only
// a link that someone points anew counts as the device's return there.
bool HasArrived(const NodeIdentity& now, const NodeIdentity& last, bool seenGone)
{
    if (now.pseudoTerminal)
        return now.viaLink && !now.SameLink(last);
    return seenGone || !now.SameNode(last);
}

} // namespace

CPortMan::CPortMan(PortFactory factory) : m_factory(std::move(factory))
{
    MakeWakePipe(m_readerWake);
    MakeWakePipe(m_watchWake);
}

CPortMan::~CPortMan()
{
    StopThreads();
    {
        CSingleLock lock(&m_lock, true);
        if (m_pPort)
            m_pPort->Close();
    }
    ClosePipe(m_readerWake);
    ClosePipe(m_watchWake);
}

void CPortMan::StopThreads()
{
    StopReader();
    StopWatch();
}

void CPortMan::SetState(DWORD state)
{
    m_Dcb.PortState = state;
    m_Dcb.m_bOffLine = state != PORTSTATE_ONLINE;
}

DWORD CPortMan::GetPortState() const
{
    CSingleLock lock(&m_lock, true);
    return m_Dcb.PortState;
}

CString CPortMan::GetLastErrorText() const
{
    return PortErrorText(m_iLastError, m_Dcb.m_strPortName);
}

bool CPortMan::OnOwnThread() const
{
    const auto self = std::this_thread::get_id();
    return (m_reader.joinable() && m_reader.get_id() == self) ||
           (m_delivery.joinable() && m_delivery.get_id() == self) ||
           (m_watch.joinable() && m_watch.get_id() == self);
}

int CPortMan::Open()
{
    // The reader and the watch cannot wait for themselves; their callbacks
    // post to the owner instead.
    if (OnOwnThread())
        return m_iLastError = EDEADLK;
    StopReader();
    CSingleLock lock(&m_lock, true);
    const DWORD previous = m_Dcb.PortState;
    if (m_pPort)
        m_pPort->Close();
    if (m_Dcb.IsOffLineName()) {
        SetState(PORTSTATE_OFFLINE);
        m_iLastError = 0;
        lock.Unlock();
        StopWatch();
        return 0;
    }
    std::unique_ptr<CPort> port = m_factory ? m_factory() : std::make_unique<CSerialPort>();
    const int err = port ? port->Open(m_Dcb) : ENODEV;
    m_iLastError = err;
    if (err) {
        // A removed device stays removed until it can really be opened;
        // the watch tries again.
        if (previous == PORTSTATE_REMOVED) {
            m_watchRetry = true;
        } else {
            SetState(PORTSTATE_CLOSED);
        }
        return err;
    }
    m_pPort = std::move(port);
    SetState(PORTSTATE_ONLINE);
    lock.Unlock();
    StopWatch();
    StartReader();
    return 0;
}

bool CPortMan::Reopen()
{
    return Open() == 0 && GetPortState() == PORTSTATE_ONLINE;
}

bool CPortMan::GoOffline(bool bRemoved)
{
    if ((m_watch.joinable() && m_watch.get_id() == std::this_thread::get_id()) ||
        (m_reader.joinable() && m_reader.get_id() == std::this_thread::get_id()))
        return false;
    {
        CSingleLock lock(&m_lock, true);
        SetState(bRemoved ? PORTSTATE_REMOVED : PORTSTATE_OFFLINE);
    }
    // Never wait for the reader while holding the lock: it may be blocked
    // handing a chunk to a thread that is about to write.
    StopReader();
    NodeIdentity node;
    bool closed = false;
    {
        CSingleLock lock(&m_lock, true);
        node = NodeIdentity::Of(m_Dcb.m_strPortName);
        closed = m_pPort && m_pPort->Close();
    }
    StopWatch();
    if (bRemoved && !m_Dcb.IsOffLineName()) {
        m_watchStop = false;
        m_watchRetry = false;
        Drain(m_watchWake[0]);
        const CString path = m_Dcb.m_strPortName;
        m_watch = std::thread([this, path, node] {
            NodeIdentity last = node;
            bool seenGone = !node.exists;
            while (!m_watchStop) {
                pollfd p {m_watchWake[0], POLLIN, 0};
                (void)::poll(&p, 1, m_iWatchIntervalMs);
                if (m_watchStop)
                    break;
                const NodeIdentity now = NodeIdentity::Of(path);
                if (!now.exists) {
                    seenGone = true;
                    continue;
                }
                if (HasArrived(now, last, seenGone) || m_watchRetry.exchange(false)) {
                    seenGone = false;
                    last = now;
                    if (m_onArrived)
                        m_onArrived();
                }
            }
        });
    }
    return closed;
}

bool CPortMan::WriteLocked(const BYTE* data, int count)
{
    CSingleLock lock(&m_lock, true);
    if (m_Dcb.PortState != PORTSTATE_ONLINE || !m_pPort || !m_pPort->IsOpen())
        return false;
    if (count <= 0)
        return true;
    if (!m_readOnDemand) {
        // What comes next may be the answer somebody waits for: it is not
        // held back for the pacing.
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_lastWrite = m_lastAnswerBytes = std::chrono::steady_clock::now();
    }
    return m_pPort->Write(data, count, kWriteTimeoutMs);
}

bool CPortMan::PutByte(BYTE byte)
{
    return WriteLocked(&byte, 1);
}

bool CPortMan::WriteString(const CString& text)
{
    return WriteLocked(text.bytes(), text.GetLength());
}

bool CPortMan::WriteFrame(const BYTE* data, int count)
{
    return WriteLocked(data, count);
}

void CPortMan::StartReader()
{
    if (m_reader.joinable() || m_delivery.joinable())
        StopReader();
    if (!m_pPort || m_pPort->GetPollHandle() < 0)
        return;
    Drain(m_readerWake[0]);
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_queue.clear();
        m_queuedBytes = 0;
        m_readEnded = false;
        m_readRemoved = false;
        m_ownerDue = false;
        m_ownerWokenForBlock = false;
        m_removalReported = false;
    }
    m_readerStop = false;
    m_readerRunning = true;
    m_reader = std::thread(&CPortMan::ReaderLoop, this);
    m_deliveryDone = OwnerHandsOver();
    if (!OwnerHandsOver())
        m_delivery = std::thread(&CPortMan::DeliveryLoop, this);
}

void CPortMan::StopReader()
{
    if (!m_reader.joinable() && !m_delivery.joinable())
        return;
    {
        // Under the lock: a reader waiting for room sees it.
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_readerStop = true;
    }
    m_queueCv.notify_all();
    Wake(m_readerWake[1]);
    // The read thread waits for nobody but the device and the queue's room.
    if (m_reader.joinable() && m_reader.get_id() != std::this_thread::get_id())
        m_reader.join();
    {
        // A ReadWaiting from now on leaves the device alone; one that read
        // before has queued its bytes, and they go out below.
        std::lock_guard<std::mutex> rl(m_readMutex);
        m_readerRunning = false;
    }
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_readEnded = true;
    }
    m_queueCv.notify_all();
    if (OwnerHandsOver()) {
        // What was read still goes out, here on the owner's thread; a stop
        // from inside a hand-over leaves it to that hand-over, which takes
        // everything once the reading has ended.
        if (!m_inHandOver)
            HandOver();
        return;
    }
    // A delivery thread that stops itself (its callback took the port off
    // line) is joined by the next start or by the destructor.
    if (!m_delivery.joinable() || m_delivery.get_id() == std::this_thread::get_id())
        return;
    // What was read still goes out; the owner serves it while waiting.
    const auto done = [this] { return m_deliveryDone.load(); };
    if (m_wait)
        m_wait(done);
    std::unique_lock<std::mutex> lk(m_queueMutex);
    m_queueCv.wait(lk, done);
    lk.unlock();
    m_delivery.join();
}

void CPortMan::Queue(const BYTE* buf, int n)
{
    bool wakeDelivery = false;
    bool wakeOwner = false;
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_queue.emplace_back(buf, buf + n);
        m_queuedBytes += static_cast<size_t>(n);
        const bool fullBlock = m_queuedBytes >= static_cast<size_t>(m_iReadBlockSize);
        if (OwnerHandsOver()) {
            // An owner that is due looks on its own; a full block and an
            // answer do not wait for it. An answer may come slowly (a long
            // one on a slow line): each of its pieces keeps the window open
            // for the next, up to a limit, so no page's silence time-out
            // runs out between two paced hand-overs.
            const auto now = std::chrono::steady_clock::now();
            const bool answer = now - m_lastWrite < kAnswerWindowLimit && now - m_lastAnswerBytes < kAnswerWindow;
            if (answer)
                m_lastAnswerBytes = now;
            if (!m_ownerDue || answer) {
                m_ownerDue = true;
                wakeOwner = true;
            } else if (fullBlock && !m_ownerWokenForBlock) {
                m_ownerWokenForBlock = true;
                wakeOwner = true;
            }
        } else {
            // A delivery thread that is pacing itself wants to hear only of
            // a full block; waking it for every frame would cost what the
            // pacing saves.
            wakeDelivery = m_deliveryIdle || fullBlock;
        }
    }
    if (wakeDelivery)
        m_queueCv.notify_all();
    if (wakeOwner)
        m_handOverWake(std::chrono::milliseconds(0));
}

void CPortMan::ReaderLoop()
{
    pthread_setname_np(pthread_self(), "vx-port-read");
    bool removed = false;
    std::vector<BYTE> buffer(static_cast<size_t>(m_iReadBlockSize));
    const int fd = m_pPort->GetPollHandle();
    while (!m_readerStop) {
        // A full queue stops the reading, never the bytes: they wait in the
        // terminal's buffer, and the line's own flow control holds the
        // device, until the owner has taken some.
        {
            std::unique_lock<std::mutex> lk(m_queueMutex);
            m_queueCv.wait(lk, [this] { return m_queuedBytes < kMaxQueuedBytes || m_readerStop; });
        }
        if (m_readerStop)
            break;
        // Reading on demand, only a hang-up (always reported) wakes us.
        const short want = m_readOnDemand ? 0 : POLLIN;
        pollfd fds[2] = {{fd, want, 0}, {m_readerWake[0], POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            removed = true;
            break;
        }
        if (fds[1].revents) {
            // Asked to stop, or to read or leave the bytes from now on:
            // what the device holds is looked at again under the new rule.
            Drain(m_readerWake[0]);
            if (m_readerStop)
                break;
            continue;
        }
        const short ev = fds[0].revents;
        if (!ev)
            continue;
        if (ev & POLLNVAL) {
            removed = true;
            break;
        }
        std::lock_guard<std::mutex> rl(m_readMutex);
        if (ev & (POLLHUP | POLLERR)) {
            for (;;) {
                const int n = m_pPort->Read(buffer.data(), static_cast<int>(buffer.size()));
                if (n <= 0)
                    break;
                Queue(buffer.data(), n);
            }
            removed = true;
            break;
        }
        if (!(ev & POLLIN))
            continue;
        const int n = m_pPort->Read(buffer.data(), static_cast<int>(buffer.size()));
        if (n > 0) {
            Queue(buffer.data(), n);
        } else if (n < 0) {
            removed = true;
            break;
        }
    }
    {
        std::lock_guard<std::mutex> rl(m_readMutex);
        m_readerRunning = false;
    }
    bool wakeOwner = false;
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_readEnded = true;
        m_readRemoved = removed;
        if (OwnerHandsOver() && !m_ownerDue && !m_readerStop) {
            m_ownerDue = true;
            wakeOwner = true;
        }
    }
    m_queueCv.notify_all();
    // The owner hands the last bytes over and then reports the removal.
    if (wakeOwner)
        m_handOverWake(std::chrono::milliseconds(0));
}

std::vector<BYTE> CPortMan::TakeChunkLocked()
{
    std::vector<BYTE> chunk = std::move(m_queue.front());
    m_queue.pop_front();
    // What arrived while the owner was busy goes out as one chunk, as one
    // read of the device would have returned it: the pages' answer rules
    // count on echoes piling up while the UI sleeps.
    while (!m_queue.empty() && chunk.size() + m_queue.front().size() <= static_cast<size_t>(m_iReadBlockSize)) {
        chunk.insert(chunk.end(), m_queue.front().begin(), m_queue.front().end());
        m_queue.pop_front();
    }
    m_queuedBytes -= chunk.size();
    return chunk;
}

void CPortMan::PassOn(const std::vector<BYTE>& chunk)
{
    // The reader may be waiting for room.
    m_queueCv.notify_all();
    try {
        if (m_onData)
            m_onData(chunk.data(), static_cast<int>(chunk.size()));
    } catch (...) {
        // The owner's failure must not end the process (from a background
        // thread, or through a window's event loop); the chunk is dropped.
    }
}

std::chrono::milliseconds CPortMan::HandOver()
{
    // A hand-over that runs a modal loop lets the owner's loop call again:
    // the outer one goes on when the loop ends.
    if (m_inHandOver)
        return std::chrono::milliseconds(0);
    m_inHandOver = true;
    const auto start = std::chrono::steady_clock::now();
    size_t budget = 0;
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        budget = m_queuedBytes;
        m_ownerWokenForBlock = false;
    }
    size_t delivered = 0;
    for (;;) {
        std::vector<BYTE> chunk;
        {
            std::lock_guard<std::mutex> lk(m_queueMutex);
            // Only what was there when this began, so a device that
            // streams faster than the owner works cannot keep it here;
            // once the reading has ended, everything.
            if (m_queue.empty() || (delivered >= budget && !m_readEnded))
                break;
            chunk = TakeChunkLocked();
        }
        delivered += chunk.size();
        PassOn(chunk);
    }
    bool reportRemoval = false;
    std::chrono::milliseconds again {0};
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        // Bytes that keep coming (the last hand-over was recent) are taken
        // on the owner's own schedule, one hand-over per pacing interval;
        // the first bytes after a quiet spell came with a wake of their own.
        // A look that finds nothing so soon after bytes came (the owner
        // took them on its own schedule meanwhile) does not end the stream.
        const bool streaming = m_deliveryPacing.count() > 0 && start - m_lastHandOver < 2 * m_deliveryPacing;
        if (delivered > 0)
            m_lastHandOver = start;
        if (m_readEnded && m_queue.empty()) {
            m_ownerDue = false;
            if (m_readRemoved && !m_readerStop && !m_removalReported) {
                m_removalReported = true;
                reportRemoval = true;
            }
        } else if (streaming || !m_queue.empty()) {
            m_ownerDue = true;
            again = std::max(m_deliveryPacing, std::chrono::milliseconds(1));
        } else {
            m_ownerDue = false;
        }
    }
    m_inHandOver = false;
    if (reportRemoval && m_onRemoved)
        m_onRemoved();
    return again;
}

void CPortMan::DeliverPending()
{
    if (!OwnerHandsOver() || m_inHandOver)
        return;
    ReadWaiting();
    // Still streaming: the owner's next look is asked for here, as nothing
    // else would ask while the owner counts as due.
    const auto again = HandOver();
    if (again.count() > 0)
        m_handOverWake(again);
}

void CPortMan::SetReadOnDemand(bool on)
{
    if (m_readOnDemand.exchange(on) != on)
        Wake(m_readerWake[1]);
}

void CPortMan::ReadWaiting()
{
    // The port cannot be closed or replaced meanwhile.
    CSingleLock lock(&m_lock, true);
    if (m_Dcb.PortState != PORTSTATE_ONLINE || !m_pPort)
        return;
    std::lock_guard<std::mutex> rl(m_readMutex);
    if (!m_readerRunning)
        return;
    m_demandBuffer.resize(static_cast<size_t>(m_iReadBlockSize));
    for (;;) {
        {
            std::lock_guard<std::mutex> lk(m_queueMutex);
            if (m_queuedBytes >= kMaxQueuedBytes)
                return;
        }
        // 0: nothing more now; below 0: a hang-up, which the reader reports.
        const int n = m_pPort->Read(m_demandBuffer.data(), static_cast<int>(m_demandBuffer.size()));
        if (n <= 0)
            return;
        Queue(m_demandBuffer.data(), n);
        if (n < static_cast<int>(m_demandBuffer.size()))
            return;
    }
}

void CPortMan::DeliveryLoop()
{
    pthread_setname_np(pthread_self(), "vx-port-deliver");
    bool removed = false;
    const auto pacing = m_deliveryPacing;
    std::chrono::steady_clock::time_point lastStart {};
    for (;;) {
        std::vector<BYTE> chunk;
        {
            std::unique_lock<std::mutex> lk(m_queueMutex);
            // Too soon after the last hand-over: what comes meanwhile goes
            // with the next one. Waiting here first, before looking for
            // bytes, costs one wake-up per hand-over while a device streams.
            if (pacing.count() > 0)
                m_queueCv.wait_until(lk, lastStart + pacing, [this] {
                    return m_readEnded || m_queuedBytes >= static_cast<size_t>(m_iReadBlockSize);
                });
            m_deliveryIdle = true;
            m_queueCv.wait(lk, [this] { return !m_queue.empty() || m_readEnded; });
            m_deliveryIdle = false;
            if (m_queue.empty()) {
                removed = m_readRemoved;
                break;
            }
            chunk = TakeChunkLocked();
        }
        lastStart = std::chrono::steady_clock::now();
        PassOn(chunk);
    }
    if (removed && !m_readerStop && m_onRemoved)
        m_onRemoved();
    {
        std::lock_guard<std::mutex> lk(m_queueMutex);
        m_deliveryDone = true;
    }
    m_queueCv.notify_all();
}

void CPortMan::StopWatch()
{
    if (!m_watch.joinable())
        return;
    m_watchStop = true;
    Wake(m_watchWake[1]);
    if (m_watch.get_id() == std::this_thread::get_id())
        return;
    m_watch.join();
}
