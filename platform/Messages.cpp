#include "platform/Messages.h"

#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vx::detail {
LRESULT Deliver(CWnd* target, UINT msg, WPARAM wParam, LPARAM lParam);
// The window's serial while it can take messages; 0 when the object is
// gone or its window was destroyed.
std::uint64_t TargetSerial(const CWnd* target);
bool CurrentKeyModifiers(Qt::KeyboardModifiers& mods);
} // namespace vx::detail

namespace {

struct SendRequest {
    CWnd* target;
    std::uint64_t serial;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct Posted {
    CWnd* target;
    std::uint64_t serial;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

std::mutex g_mutex;
std::condition_variable g_sendDone;     // senders wait here
std::condition_variable g_sendQueued;   // ServeSendsUntil waits here
std::deque<std::shared_ptr<SendRequest>> g_sends;
std::deque<Posted> g_posted;
bool g_shutdown = false;
bool g_wakePending = false;
std::thread::id g_mainThread = std::this_thread::get_id();

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::User + 0x3A5);

// Lives on the UI thread; a wake event makes it deliver what is queued.
class Pump : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != kWakeEvent)
            return QObject::event(e);
        {
            std::lock_guard lock(g_mutex);
            g_wakePending = false;
        }
        vx::ProcessPendingMessages();
        return true;
    }
};

Pump* g_pump = nullptr;

// Called with g_mutex held.
void wakeUiLocked()
{
    g_sendQueued.notify_all();
    if (g_wakePending)
        return;
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    if (!g_pump) {
        g_pump = new Pump;
        if (g_pump->thread() != app->thread())
            g_pump->moveToThread(app->thread());
    }
    g_wakePending = true;
    QCoreApplication::postEvent(g_pump, new QEvent(kWakeEvent));
}

// Serves one waiting cross-thread send; false when there was none.
bool serveOneSend()
{
    std::shared_ptr<SendRequest> req;
    {
        std::lock_guard lock(g_mutex);
        if (g_sends.empty())
            return false;
        req = g_sends.front();
        g_sends.pop_front();
    }
    LRESULT result = 0;
    if (vx::detail::TargetSerial(req->target) == req->serial)
        result = vx::detail::Deliver(req->target, req->msg, req->wParam, req->lParam);
    {
        std::lock_guard lock(g_mutex);
        req->result = result;
        req->done = true;
    }
    g_sendDone.notify_all();
    return true;
}

} // namespace

short GetKeyState(int virtKey)
{
    Qt::KeyboardModifiers mods;
    if (!vx::detail::CurrentKeyModifiers(mods))
        mods = QGuiApplication::keyboardModifiers();
    bool down = false;
    switch (virtKey) {
    case VK_CONTROL: down = mods & Qt::ControlModifier; break;
    case VK_SHIFT: down = mods & Qt::ShiftModifier; break;
    case VK_MENU: down = mods & Qt::AltModifier; break;
    default: break;
    }
    return down ? static_cast<short>(0x8000) : 0;
}

UINT RegisterWindowMessage(const char* name)
{
    if (!name || !*name)
        return 0;
    static std::mutex m;
    static std::map<std::string, UINT> table;
    std::lock_guard lock(m);
    auto [it, inserted] = table.emplace(name, 0);
    if (inserted)
        it->second = 0xC000 + static_cast<UINT>(table.size() - 1);
    return it->second;
}

namespace vx {

bool IsUiThread()
{
    if (auto* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    return std::this_thread::get_id() == g_mainThread;
}

LRESULT SendMessage(CWnd* target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!target)
        return 0;
    if (IsUiThread())
        return detail::Deliver(target, msg, wParam, lParam);

    const std::uint64_t serial = detail::TargetSerial(target);
    if (!serial)
        return 0;
    auto req = std::make_shared<SendRequest>(SendRequest{target, serial, msg, wParam, lParam});
    std::unique_lock lock(g_mutex);
    if (g_shutdown)
        return 0;
    g_sends.push_back(req);
    wakeUiLocked();
    g_sendDone.wait(lock, [&] { return req->done || g_shutdown; });
    if (!req->done) {
        // Shut down while waiting: withdraw the request if the UI thread has
        // not taken it yet; if it has, its result is simply not awaited.
        for (auto it = g_sends.begin(); it != g_sends.end(); ++it) {
            if (*it == req) {
                g_sends.erase(it);
                break;
            }
        }
        return 0;
    }
    return req->result;
}

BOOL PostMessage(CWnd* target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const std::uint64_t serial = target ? detail::TargetSerial(target) : 0;
    if (!serial)
        return FALSE;
    std::lock_guard lock(g_mutex);
    if (g_shutdown)
        return FALSE;
    g_posted.push_back({target, serial, msg, wParam, lParam});
    wakeUiLocked();
    return TRUE;
}

int ProcessPendingMessages()
{
    if (!IsUiThread())
        return 0;
    int handled = 0;
    while (serveOneSend())
        ++handled;
    // Only what is queued now: a handler that posts again must not keep this
    // loop (and the caller) from returning.
    size_t count;
    {
        std::lock_guard lock(g_mutex);
        count = g_posted.size();
    }
    for (size_t i = 0; i < count; ++i) {
        Posted p;
        {
            std::lock_guard lock(g_mutex);
            if (g_posted.empty())
                break;
            p = g_posted.front();
            g_posted.pop_front();
        }
        if (detail::TargetSerial(p.target) == p.serial) {
            detail::Deliver(p.target, p.msg, p.wParam, p.lParam);
            ++handled;
        }
        while (serveOneSend())
            ++handled;
    }
    std::lock_guard lock(g_mutex);
    if ((!g_posted.empty() || !g_sends.empty()) && !g_shutdown)
        wakeUiLocked();
    return handled;
}

bool ServeSendsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (IsUiThread())
            while (serveOneSend()) {
            }
        if (done())
            return true;
        if (timeout.count() >= 0 && std::chrono::steady_clock::now() - start >= timeout)
            return done();
        // The worker may finish without sending anything, so poll done()
        // at a short interval as well.
        std::unique_lock lock(g_mutex);
        g_sendQueued.wait_for(lock, std::chrono::milliseconds(2), [] { return !g_sends.empty(); });
    }
}

bool CanReceive(const CWnd* target, std::uint64_t serial)
{
    return target && serial != 0 && detail::TargetSerial(target) == serial;
}

struct UiCall::Impl {
    std::function<void()> fn;
    // Lives on the UI thread: queued calls to it die with it.
    QObject context;
    QTimer timer;
    std::atomic<bool> posted {false};
};

UiCall::UiCall(std::function<void()> fn) : m(std::make_unique<Impl>())
{
    m->fn = std::move(fn);
    m->timer.setSingleShot(true);
    m->timer.setTimerType(Qt::CoarseTimer);
    QObject::connect(&m->timer, &QTimer::timeout, &m->context, [impl = m.get()] { impl->fn(); });
}

UiCall::~UiCall() = default;

void UiCall::Post()
{
    // One queued call is enough: it runs the function once for everything
    // asked before it runs.
    if (m->posted.exchange(true))
        return;
    QMetaObject::invokeMethod(&m->context, [impl = m.get()] {
        impl->posted = false;
        impl->fn();
    }, Qt::QueuedConnection);
}

void UiCall::RunAfter(std::chrono::milliseconds delay)
{
    m->timer.start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, delay.count())));
}

void UiCall::Cancel()
{
    m->timer.stop();
}

void ShutdownMessages()
{
    {
        std::lock_guard lock(g_mutex);
        g_shutdown = true;
        g_posted.clear();
        g_sends.clear();
    }
    g_sendDone.notify_all();
}

void ResetMessagesForTest()
{
    ShutdownMessages();
    std::lock_guard lock(g_mutex);
    g_shutdown = false;
    g_wakePending = false;
}

int PendingPostedCount()
{
    std::lock_guard lock(g_mutex);
    return static_cast<int>(g_posted.size());
}

namespace detail {

// A window is going: its queued messages go with it and blocked senders
// return 0 unhandled.
void DropMessagesFor(const CWnd* target)
{
    {
        std::lock_guard lock(g_mutex);
        for (auto it = g_posted.begin(); it != g_posted.end();)
            it = it->target == target ? g_posted.erase(it) : it + 1;
        for (auto it = g_sends.begin(); it != g_sends.end();) {
            if ((*it)->target == target) {
                (*it)->result = 0;
                (*it)->done = true;
                it = g_sends.erase(it);
            } else {
                ++it;
            }
        }
    }
    g_sendDone.notify_all();
}

} // namespace detail
} // namespace vx
