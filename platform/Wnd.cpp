#include "platform/Wnd.h"

#include "platform/Cursor.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"
#include "platform/Timer.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFont>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

VX_IMPLEMENT_DYNAMIC(CWnd, CObject)

namespace vx::detail {
void DropMessagesFor(const CWnd* target);
int g_handlerDepth = 0;   // messages being handled on the UI thread
} // namespace vx::detail

// Private access for the helpers in this file.
class VxWndAccess {
public:
    static LRESULT deliver(CWnd* w, UINT msg, WPARAM wp, LPARAM lp, bool* defaultReached);
    static bool handleQtEvent(CWnd* w, QObject* watched, QEvent* e);
    static void peerGone(CWnd* w, QWidget* peer);
    static void setDestroyed(CWnd* w, bool destroyed);
    static std::uint64_t targetSerial(const CWnd* w);
    static bool dblClks(const CWnd* w) { return w->m_dblClks; }
};

namespace {

std::mutex g_liveMutex;
std::unordered_map<const CWnd*, std::uint64_t> g_live;
std::atomic<std::uint64_t> g_nextSerial{1};

QHash<const QWidget*, CWnd*> g_peers;
CWnd* g_capture = nullptr;
CWnd* g_cursorWnd = nullptr;     // window under the mouse (WM_SETCURSOR target)
CWnd* g_focusWnd = nullptr;      // last window that got the focus
std::uint64_t g_focusSerial = 0;
CWnd::FontResolver g_fontResolver = nullptr;

// The modifiers of the key event being handled: GetKeyState answers for the
// moment of the message, also for synthesized events.
int g_keyEventDepth = 0;
Qt::KeyboardModifiers g_keyMods;
struct KeyEventScope {
    int savedDepth = g_keyEventDepth;
    Qt::KeyboardModifiers savedMods = g_keyMods;
    explicit KeyEventScope(Qt::KeyboardModifiers mods)
    {
        ++g_keyEventDepth;
        g_keyMods = mods;
    }
    ~KeyEventScope()
    {
        g_keyEventDepth = savedDepth;
        g_keyMods = savedMods;
    }
};

struct ClassInfo {
    UINT style;
    HCURSOR cursor;
};
std::mutex g_classMutex;
std::map<std::string, ClassInfo> g_classes;

CPoint toPoint(const QPointF& p)
{
    return CPoint(static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y())));
}

UINT mouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    UINT f = 0;
    if (buttons & Qt::LeftButton)
        f |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        f |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        f |= MK_CONTROL;
    return f;
}

LPARAM pointParam(CPoint p) { return MAKELPARAM(p.x, p.y); }
CPoint paramPoint(LPARAM l)
{
    return CPoint(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))),
                  static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l))));
}
WPARAM makeWParam(UINT lo, UINT hi) { return static_cast<WPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)); }

UINT virtualKey(int key, Qt::KeyboardModifiers mods)
{
    // The numeric pad's plus and minus have codes of their own (the chart
    // zooms with them); the main keyboard's do not stand in for them.
    if (mods & Qt::KeypadModifier) {
        if (key == Qt::Key_Plus)
            return VK_ADD;
        if (key == Qt::Key_Minus)
            return VK_SUBTRACT;
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<UINT>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<UINT>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

// Lives on the peer: forwards its events to the window and tells it when
// the widget is deleted behind its back (with a Qt parent, for instance).
class PeerLink : public QObject {
public:
    PeerLink(CWnd* wnd, QWidget* peer) : QObject(peer), m_wnd(wnd), m_peer(peer) {}
    ~PeerLink() override
    {
        if (m_wnd)
            VxWndAccess::peerGone(m_wnd, m_peer);
    }
    void detach() { m_wnd = nullptr; }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (!m_wnd || watched != m_peer)
            return false;
        return VxWndAccess::handleQtEvent(m_wnd, watched, e);
    }

private:
    CWnd* m_wnd;
    QWidget* m_peer;
};

// The default peer: a plain widget that paints nothing of its own.
class WndWidget : public QWidget {
public:
    explicit WndWidget(QWidget* parent) : QWidget(parent)
    {
        setMouseTracking(true);
        setFocusPolicy(Qt::ClickFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

// Key messages pass PreTranslateMessage of the focus window and its parents
// before anything else sees them.
class KeyPreFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        // Once per key: at the widget it goes to first, not again while Qt
        // hands an ignored key on to the parents.
        QWidget* focus = QApplication::focusWidget();
        if (!w || (focus ? w != focus : !w->isWindow()))
            return false;
        CWnd* wnd = w ? CWnd::FromChildWidget(w) : nullptr;
        if (!wnd)
            return false;
        auto* ke = static_cast<QKeyEvent*>(e);
        KeyEventScope keyScope(ke->modifiers());
        MSG msg;
        msg.hwnd = wnd;
        msg.message = e->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP;
        msg.wParam = virtualKey(ke->key(), ke->modifiers());
        msg.lParam = ke->isAutoRepeat() ? (1 << 30) : 0;
        for (CWnd* p = wnd; p; p = p->GetParent()) {
            const std::uint64_t serial = p->GetSerial();
            if (p->PreTranslateMessage(&msg))
                return true;
            if (!CWnd::IsLive(p, serial))
                break;
        }
        return false;
    }
};

void installKeyFilter()
{
    static KeyPreFilter* filter = nullptr;
    if (!filter && qApp) {
        filter = new KeyPreFilter;
        qApp->installEventFilter(filter);
    }
}

// A window may be destroyed from inside an event of its own widget or of a
// child's (a button click that ends a dialog), so the widget is hidden at
// once and deleted when control is back in the event loop.
void retirePeer(QWidget* peer)
{
    peer->hide();
    peer->deleteLater();
}

CWnd* findChildWnd(const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        auto it = g_peers.constFind(w);
        if (it != g_peers.constEnd())
            return it.value();
    }
    return nullptr;
}

} // namespace

namespace vx::detail {

LRESULT Deliver(CWnd* target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return VxWndAccess::deliver(target, msg, wParam, lParam, nullptr);
}

std::uint64_t TargetSerial(const CWnd* target)
{
    return VxWndAccess::targetSerial(target);
}

bool CurrentKeyModifiers(Qt::KeyboardModifiers& mods)
{
    if (g_keyEventDepth == 0)
        return false;
    mods = g_keyMods;
    return true;
}

QWidget* CursorTargetWidget()
{
    return g_cursorWnd ? g_cursorWnd->GetPeer() : nullptr;
}

} // namespace vx::detail

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor)
{
    std::lock_guard lock(g_classMutex);
    std::string name = "VxWnd:" + std::to_string(classStyle) + ":" + std::to_string(cursor);
    auto it = g_classes.emplace(name, ClassInfo{classStyle, cursor}).first;
    return it->first.c_str();
}

// ---- Life --------------------------------------------------------------

CWnd::CWnd() : m_serial(g_nextSerial++)
{
    std::lock_guard lock(g_liveMutex);
    g_live[this] = m_serial;
}

CWnd::~CWnd()
{
    if (m_peer) {
        // Derived parts are gone already: no handlers, just let go.
        releaseFamily();
        QWidget* peer = m_peer;
        if (auto* link = static_cast<PeerLink*>(m_link))
            link->detach();
        g_peers.remove(peer);
        m_peer = nullptr;
        retirePeer(peer);
    }
    releaseFamily();
    if (m_parent)
        m_parent->removeChild(this);
    if (g_capture == this)
        g_capture = nullptr;
    if (g_cursorWnd == this)
        g_cursorWnd = nullptr;
    vx::KillAllTimers(this);
    vx::detail::DropMessagesFor(this);
    std::lock_guard lock(g_liveMutex);
    g_live.erase(this);
}

// Under the live lock, so other threads may ask without touching a window
// that may be gone.
void VxWndAccess::setDestroyed(CWnd* w, bool destroyed)
{
    std::lock_guard lock(g_liveMutex);
    w->m_destroyed = destroyed;
}

std::uint64_t VxWndAccess::targetSerial(const CWnd* w)
{
    std::lock_guard lock(g_liveMutex);
    auto it = g_live.find(w);
    if (it == g_live.end() || w->m_destroyed)
        return 0;
    return it->second;
}

bool CWnd::IsLive(const CWnd* wnd, std::uint64_t serial)
{
    std::lock_guard lock(g_liveMutex);
    auto it = g_live.find(wnd);
    return it != g_live.end() && it->second == serial;
}

void CWnd::removeChild(CWnd* child)
{
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    m_owned.erase(std::remove(m_owned.begin(), m_owned.end(), child), m_owned.end());
}

// Children and owned windows both point back here: neither may keep that
// pointer once this window is gone.
void CWnd::releaseFamily()
{
    for (CWnd* child : m_children)
        child->m_parent = nullptr;
    for (CWnd* owned : m_owned)
        owned->m_parent = nullptr;
    m_children.clear();
    m_owned.clear();
}

void CWnd::linkTo(CWnd* parent, bool child)
{
    if (m_parent)
        m_parent->removeChild(this);
    m_parent = parent;
    if (parent)
        (child ? parent->m_children : parent->m_owned).push_back(this);
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* pParent, UINT nID)
{
    return CreateEx(0, className, windowName, style, rect, pParent, nID);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* pParent, UINT nID)
{
    if (m_peer)
        return FALSE;
    if ((style & WS_CHILD) && (!pParent || !pParent->m_peer))
        return FALSE;
    m_className = className ? className : "";
    m_text = windowName ? windowName : "";
    m_style = style;
    m_exStyle = exStyle;
    m_id = nID;
    VxWndAccess::setDestroyed(this, false);
    m_dblClks = true;
    m_classCursor = 0;
    {
        std::lock_guard lock(g_classMutex);
        auto it = g_classes.find(m_className.str());
        if (it != g_classes.end()) {
            m_dblClks = (it->second.style & CS_DBLCLKS) != 0;
            m_classCursor = it->second.cursor;
        }
    }
    linkTo(pParent, (style & WS_CHILD) != 0);

    QWidget* qtParent = pParent ? pParent->m_peer : nullptr;
    QWidget* peer = CreatePeer(qtParent);
    if (!peer)
        return FALSE;
    if (!(style & WS_CHILD)) {
        // Top-level: a window of its own, kept above its owner.
        peer->setWindowFlags(peer->windowFlags() | Qt::Window);
    }
    AttachPeer(peer);
    const CRect r(rect);
    peer->setGeometry(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
    m_lastWidth = peer->width();
    m_lastHeight = peer->height();
    DoSetText(m_text);
    if (style & WS_DISABLED)
        peer->setEnabled(false);

    if (SendMessage(WM_CREATE) == static_cast<LRESULT>(-1)) {
        DestroyWindow();
        return FALSE;
    }
    if (!m_peer)
        return FALSE;
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(m_peer->width(), m_peer->height()));
    if (m_peer && (m_style & WS_VISIBLE))
        m_peer->show();
    return m_peer != nullptr;
}

QWidget* CWnd::CreatePeer(QWidget* qtParent)
{
    return new WndWidget(qtParent);
}

void CWnd::AttachPeer(QWidget* peer)
{
    installKeyFilter();
    m_peer = peer;
    if (m_opaquePaint)
        peer->setAttribute(Qt::WA_OpaquePaintEvent, true);
    g_peers.insert(peer, this);
    auto* link = new PeerLink(this, peer);
    m_link = link;
    peer->installEventFilter(link);
    if (!(m_style & WS_VISIBLE) && (m_style & WS_CHILD))
        peer->hide();
}

void VxWndAccess::peerGone(CWnd* w, QWidget* peer)
{
    // The widget was deleted by Qt (its Qt parent went): the window is gone.
    g_peers.remove(peer);
    if (w->m_peer == peer) {
        w->m_peer = nullptr;
        w->m_link = nullptr;
        setDestroyed(w, true);
        vx::KillAllTimers(w);
        vx::detail::DropMessagesFor(w);
    }
}

BOOL CWnd::DestroyWindow()
{
    if (!m_peer)
        return FALSE;
    const std::uint64_t serial = m_serial;
    SendMessage(WM_DESTROY);
    if (!IsLive(this, serial))
        return TRUE;
    // Owned windows go with their owner, as children do.
    for (CWnd* child : std::vector<CWnd*>(m_children))
        if (IsLive(child, child->m_serial) && child->m_peer)
            child->DestroyWindow();
    for (CWnd* owned : std::vector<CWnd*>(m_owned))
        if (IsLive(owned, owned->m_serial) && owned->m_peer)
            owned->DestroyWindow();
    vx::KillAllTimers(this);
    vx::detail::DropMessagesFor(this);
    if (g_capture == this)
        ReleaseCapture();
    if (g_cursorWnd == this)
        g_cursorWnd = nullptr;
    if (QWidget* peer = m_peer) {
        if (auto* link = static_cast<PeerLink*>(m_link))
            link->detach();
        g_peers.remove(peer);
        m_peer = nullptr;
        m_link = nullptr;
        retirePeer(peer);
    }
    VxWndAccess::setDestroyed(this, true);
    linkTo(nullptr, false);
    PostNcDestroy();   // may delete this
    return TRUE;
}

void CWnd::PostNcDestroy() {}

CWnd* CWnd::FromPeer(const QWidget* peer)
{
    return peer ? g_peers.value(peer, nullptr) : nullptr;
}

CWnd* CWnd::FromChildWidget(const QWidget* w)
{
    return findChildWnd(w);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT)
{
    const DWORD old = m_style;
    m_style = (m_style & ~remove) | add;
    if (m_peer && ((old ^ m_style) & WS_DISABLED))
        m_peer->setEnabled(!(m_style & WS_DISABLED));
    return old != m_style;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT)
{
    const DWORD old = m_exStyle;
    m_exStyle = (m_exStyle & ~remove) | add;
    return old != m_exStyle;
}

// ---- Family ------------------------------------------------------------

int CWnd::SetDlgCtrlID(int id)
{
    const int old = static_cast<int>(m_id);
    m_id = static_cast<UINT>(id);
    return old;
}

CWnd* CWnd::SetParent(CWnd* newParent)
{
    CWnd* old = m_parent;
    linkTo(newParent, true);
    if (m_peer) {
        const QRect g = m_peer->geometry();
        const bool visible = !m_peer->isHidden();
        if (newParent && newParent->m_peer) {
            m_peer->setParent(newParent->m_peer, Qt::Widget);
        } else {
            m_peer->setParent(nullptr, Qt::Window);
        }
        m_peer->setGeometry(g);
        if (visible)
            m_peer->show();
    }
    return old;
}

CWnd* CWnd::GetTopLevelParent() const
{
    const CWnd* w = this;
    while (w->m_parent)
        w = w->m_parent;
    return const_cast<CWnd*>(w);
}

CWnd* CWnd::GetDlgItem(int id) const
{
    for (CWnd* c : m_children)
        if (static_cast<int>(c->m_id) == id)
            return c;
    return nullptr;
}

// ---- Text --------------------------------------------------------------

void CWnd::SetWindowText(const char* text)
{
    SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

int CWnd::GetWindowText(char* buffer, int maxCount) const
{
    if (!buffer || maxCount <= 0)
        return 0;
    const CString t = DoGetText();
    const int n = std::min(t.GetLength(), maxCount - 1);
    std::memcpy(buffer, t.GetString(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

void CWnd::DoSetText(const CString& text)
{
    m_text = text;
    if (m_peer && m_peer->isWindow())
        m_peer->setWindowTitle(vx::ToQString(text));
}

CString CWnd::DoGetText() const
{
    return m_text;
}

void CWnd::SetDlgItemText(int id, const char* text)
{
    if (CWnd* c = GetDlgItem(id))
        c->SetWindowText(text);
}

int CWnd::GetDlgItemText(int id, CString& out) const
{
    CWnd* c = GetDlgItem(id);
    out = c ? c->GetWindowTextString() : CString();
    return out.GetLength();
}

int CWnd::GetDlgItemText(int id, char* buffer, int maxCount) const
{
    CWnd* c = GetDlgItem(id);
    if (!c) {
        if (buffer && maxCount > 0)
            buffer[0] = '\0';
        return 0;
    }
    return c->GetWindowText(buffer, maxCount);
}

void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned)
{
    CString s;
    if (isSigned)
        s.Format("%d", static_cast<int>(value));
    else
        s.Format("%u", value);
    SetDlgItemText(id, s);
}

UINT CWnd::GetDlgItemInt(int id, BOOL* ok, BOOL isSigned) const
{
    CString s;
    GetDlgItemText(id, s);
    s.Trim();
    const std::string& t = s.str();
    size_t i = 0;
    bool neg = false;
    if (isSigned && i < t.size() && (t[i] == '-' || t[i] == '+'))
        neg = t[i++] == '-';
    long long v = 0;
    const size_t digitsFrom = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9' && v < 0x100000000LL)
        v = v * 10 + (t[i++] - '0');
    const bool good = i == t.size() && i > digitsFrom &&
                      (isSigned ? v <= (neg ? 0x80000000LL : 0x7FFFFFFFLL) : v <= 0xFFFFFFFFLL);
    if (ok)
        *ok = good ? TRUE : FALSE;
    if (!good)
        return 0;
    return static_cast<UINT>(neg ? -v : v);
}

// ---- State -------------------------------------------------------------

BOOL CWnd::ShowWindow(int cmdShow)
{
    const bool wasVisible = (m_style & WS_VISIBLE) != 0;
    const bool show = cmdShow != SW_HIDE;
    const std::uint64_t serial = m_serial;
    if (show != wasVisible) {
        SendMessage(WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!IsLive(this, serial))
            return wasVisible;
    }
    if (show)
        m_style |= WS_VISIBLE;
    else
        m_style &= ~WS_VISIBLE;
    if (m_peer) {
        switch (cmdShow) {
        case SW_HIDE: m_peer->hide(); break;
        case SW_SHOWMAXIMIZED: m_peer->showMaximized(); break;
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED: m_peer->showMinimized(); break;
        case SW_RESTORE:
        case SW_SHOWNORMAL: m_peer->isWindow() ? m_peer->showNormal() : m_peer->show(); break;
        default: m_peer->show(); break;
        }
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL CWnd::IsWindowVisible() const
{
    for (const CWnd* w = this; w; w = w->m_parent) {
        if (!(w->m_style & WS_VISIBLE))
            return FALSE;
        if (!(w->m_style & WS_CHILD))
            break;
    }
    return TRUE;
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    const bool wasDisabled = (m_style & WS_DISABLED) != 0;
    if (enable)
        m_style &= ~WS_DISABLED;
    else
        m_style |= WS_DISABLED;
    if (m_peer)
        m_peer->setEnabled(enable != FALSE);
    if (wasDisabled == (enable != FALSE))
        SendMessage(WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const
{
    return (m_style & WS_DISABLED) ? FALSE : TRUE;
}

BOOL CWnd::IsIconic() const
{
    return m_peer && m_peer->isMinimized();
}

BOOL CWnd::IsZoomed() const
{
    return m_peer && m_peer->isMaximized();
}

// ---- Geometry ----------------------------------------------------------

void CWnd::GetClientRect(RECT* rect) const
{
    if (!rect)
        return;
    if (m_peer)
        *rect = CRect(0, 0, m_peer->width(), m_peer->height());
    else
        *rect = CRect(0, 0, m_rect.Width(), m_rect.Height());
}

void CWnd::GetWindowRect(RECT* rect) const
{
    if (!rect)
        return;
    CRect r;
    if (m_peer) {
        const QPoint tl = m_peer->mapToGlobal(QPoint(0, 0));
        r = CRect(tl.x(), tl.y(), tl.x() + m_peer->width(), tl.y() + m_peer->height());
    } else {
        r = m_rect;
        if (m_parent && (m_style & WS_CHILD))
            m_parent->ClientToScreen(&r);
    }
    *rect = r;
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    SetWindowPos(nullptr, x, y, width, height, SWP_NOZORDER | (repaint ? 0 : SWP_NOREDRAW));
}

void CWnd::MoveWindow(const RECT* rect, BOOL repaint)
{
    if (!rect)
        return;
    const CRect r(*rect);
    MoveWindow(r.left, r.top, r.Width(), r.Height(), repaint);
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT flags)
{
    cx = std::max(0, cx);
    cy = std::max(0, cy);
    if (m_peer) {
        const QRect g = m_peer->geometry();
        const QPoint pos = (flags & SWP_NOMOVE) ? g.topLeft() : QPoint(x, y);
        const QSize size = (flags & SWP_NOSIZE) ? g.size() : QSize(cx, cy);
        m_peer->setGeometry(QRect(pos, size));
    } else {
        if (!(flags & SWP_NOMOVE))
            m_rect.OffsetRect(x - m_rect.left, y - m_rect.top);
        if (!(flags & SWP_NOSIZE)) {
            m_rect.right = m_rect.left + cx;
            m_rect.bottom = m_rect.top + cy;
        }
    }
    // The size message comes at once, as the program lays out in OnSize
    // right after moving; Qt would hold it back for hidden widgets.
    const int w = m_peer ? m_peer->width() : m_rect.Width();
    const int h = m_peer ? m_peer->height() : m_rect.Height();
    if (w != m_lastWidth || h != m_lastHeight) {
        m_lastWidth = w;
        m_lastHeight = h;
        SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(w, h));
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(SW_SHOWNA);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(SW_HIDE);
    return TRUE;
}

void CWnd::ScreenToClient(POINT* pt) const
{
    if (!pt)
        return;
    CRect w;
    GetWindowRect(&w);
    pt->x -= w.left;
    pt->y -= w.top;
}

void CWnd::ScreenToClient(RECT* rect) const
{
    if (!rect)
        return;
    CRect w;
    GetWindowRect(&w);
    CRect r(*rect);
    r.OffsetRect(-w.left, -w.top);
    *rect = r;
}

void CWnd::ClientToScreen(POINT* pt) const
{
    if (!pt)
        return;
    CRect w;
    GetWindowRect(&w);
    pt->x += w.left;
    pt->y += w.top;
}

void CWnd::ClientToScreen(RECT* rect) const
{
    if (!rect)
        return;
    CRect w;
    GetWindowRect(&w);
    CRect r(*rect);
    r.OffsetRect(w.left, w.top);
    *rect = r;
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    if (!m_peer)
        return;
    CWnd* owner = alternateOwner ? alternateOwner : m_parent;
    QRect area;
    if (owner && owner->m_peer) {
        area = QRect(owner->m_peer->mapToGlobal(QPoint(0, 0)), owner->m_peer->size());
    } else if (auto* screen = m_peer->screen()) {
        area = screen->availableGeometry();
    }
    QRect g = m_peer->geometry();
    g.moveCenter(area.center());
    if (m_peer->parentWidget() && !m_peer->isWindow())
        g.moveTopLeft(m_peer->parentWidget()->mapFromGlobal(g.topLeft()));
    SetWindowPos(nullptr, g.x(), g.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// ---- Painting ------------------------------------------------------------

void CWnd::Invalidate(BOOL)
{
    if (m_peer)
        m_peer->update();
}

void CWnd::InvalidateRect(const RECT* rect, BOOL)
{
    if (!m_peer)
        return;
    if (!rect) {
        m_peer->update();
        return;
    }
    const CRect r(*rect);
    m_peer->update(r.left, r.top, r.Width(), r.Height());
}

void CWnd::SetOpaquePaint(bool opaque)
{
    m_opaquePaint = opaque;
    // Without this a repaint of the window repaints its parent's area under
    // it first, and a parent whose paint invalidates the child never stops.
    if (m_peer)
        m_peer->setAttribute(Qt::WA_OpaquePaintEvent, opaque);
}

void CWnd::UpdateWindow()
{
    // Qt keeps no per-widget "update pending" flag we could test cheaply;
    // repainting the whole widget is what the callers want anyway.
    if (m_peer && m_peer->isVisible() && !m_inPaint)
        m_peer->repaint();
}

BOOL CWnd::RedrawWindow(const RECT* rect, void*, UINT flags)
{
    if (!m_peer)
        return FALSE;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(rect);
    if (flags & RDW_UPDATENOW)
        UpdateWindow();
    return TRUE;
}

// ---- Font --------------------------------------------------------------

void CWnd::SetFont(CFont* font, BOOL redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

void CWnd::SetFontResolver(FontResolver resolver)
{
    g_fontResolver = resolver;
}

// ---- Focus, capture, timers ------------------------------------------------

CWnd* CWnd::SetFocus()
{
    CWnd* old = GetFocus();
    if (m_peer) {
        m_peer->setFocus(Qt::OtherFocusReason);
        if (QWidget* win = m_peer->window(); win && win->isVisible())
            win->activateWindow();
    }
    return old;
}

CWnd* CWnd::GetFocus()
{
    return findChildWnd(QApplication::focusWidget());
}

CWnd* CWnd::SetCapture()
{
    CWnd* old = g_capture;
    if (old && old != this && old->m_peer)
        old->m_peer->releaseMouse();
    g_capture = this;
    if (m_peer && m_peer->isVisible())
        m_peer->grabMouse();
    return old;
}

BOOL ReleaseCapture()
{
    CWnd* c = g_capture;
    g_capture = nullptr;
    if (c && c->GetPeer() && QWidget::mouseGrabber() == c->GetPeer())
        c->GetPeer()->releaseMouse();
    return TRUE;
}

void CWnd::SetClassCursor(HCURSOR cursor)
{
    m_classCursor = cursor;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void*)
{
    return vx::SetTimer(this, id, elapseMs);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return vx::KillTimer(this, id);
}

// ---- Messages ------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return vx::SendMessage(this, msg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return vx::PostMessage(this, msg, wParam, lParam);
}

LRESULT CWnd::SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CWnd* c = GetDlgItem(id);
    return c ? c->SendMessage(msg, wParam, lParam) : 0;
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wParam, LPARAM lParam, BOOL deep)
{
    for (CWnd* c : std::vector<CWnd*>(m_children)) {
        const std::uint64_t serial = c->m_serial;
        c->SendMessage(msg, wParam, lParam);
        if (deep && IsLive(c, serial))
            c->SendMessageToDescendants(msg, wParam, lParam, TRUE);
    }
}

void CWnd::MapMessageFn(UINT msg, std::function<LRESULT(WPARAM, LPARAM)> fn)
{
    m_msgMap[msg] = std::move(fn);
}

void CWnd::MapCommandFn(UINT code, UINT first, UINT last, std::function<void(UINT)> fn)
{
    m_cmdMap.push_back({code, first, last, std::move(fn)});
}

void CWnd::MapNotifyFn(UINT code, UINT id, std::function<void(NMHDR*, LRESULT*)> fn)
{
    m_notifyMap.push_back({code, id, std::move(fn)});
}

LRESULT VxWndAccess::deliver(CWnd* w, UINT msg, WPARAM wp, LPARAM lp, bool* defaultReached)
{
    if (msg == WM_PAINT && w->m_peer && !w->m_inPaint) {
        // Painting needs the peer's paint event; a WM_PAINT sent by hand
        // becomes an immediate repaint.
        QWidget* peer = w->m_peer;
        if (!peer->isVisible())
            return 0;
        QWindow* native = peer->window()->windowHandle();
        if (native && native->isExposed()) {
            peer->repaint();
        } else {
            // Nothing on screen yet: paint into a scratch image so the
            // handler still runs inside a proper paint event.
            QImage scratch(peer->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
            peer->render(&scratch);
        }
        return 0;
    }
    CWnd::Dispatch d{msg, wp, lp};
    CWnd::Dispatch* prev = w->m_dispatch;
    const std::uint64_t serial = w->m_serial;
    w->m_dispatch = &d;
    ++vx::detail::g_handlerDepth;
    LRESULT r = w->WindowProc(msg, wp, lp);
    --vx::detail::g_handlerDepth;
    if (CWnd::IsLive(w, serial))
        w->m_dispatch = prev;
    if (defaultReached)
        *defaultReached = d.defaultReached;
    return r;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (auto it = m_msgMap.find(msg); it != m_msgMap.end()) {
        // Copy: the handler may change the map.
        auto fn = it->second;
        return fn(wParam, lParam);
    }
    switch (msg) {
    case WM_CREATE: return OnCreate();
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<CDC*>(wParam));
    case WM_LBUTTONDOWN: OnLButtonDown(static_cast<UINT>(wParam), paramPoint(lParam)); return 0;
    case WM_LBUTTONUP: OnLButtonUp(static_cast<UINT>(wParam), paramPoint(lParam)); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(static_cast<UINT>(wParam), paramPoint(lParam)); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown(static_cast<UINT>(wParam), paramPoint(lParam)); return 0;
    case WM_RBUTTONUP: OnRButtonUp(static_cast<UINT>(wParam), paramPoint(lParam)); return 0;
    case WM_MOUSEMOVE: OnMouseMove(static_cast<UINT>(wParam), paramPoint(lParam)); return 0;
    case WM_MOUSEWHEEL:
        return OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), paramPoint(lParam));
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                  HIWORD(static_cast<std::uintptr_t>(lParam)));
        return 0;
    case WM_KEYUP:
        OnKeyUp(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                HIWORD(static_cast<std::uintptr_t>(lParam)));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
               HIWORD(static_cast<std::uintptr_t>(lParam)));
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
               HIWORD(static_cast<std::uintptr_t>(lParam)));
        return 0;
    case WM_MOVE:
        OnMove(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
               static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam))));
        return 0;
    case WM_TIMER: OnTimer(static_cast<UINT_PTR>(wParam)); return 0;
    case WM_SETFOCUS: OnSetFocus(reinterpret_cast<CWnd*>(wParam)); return 0;
    case WM_KILLFOCUS: OnKillFocus(reinterpret_cast<CWnd*>(wParam)); return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<CWnd*>(wParam), LOWORD(static_cast<std::uintptr_t>(lParam)),
                           HIWORD(static_cast<std::uintptr_t>(lParam)));
    case WM_SHOWWINDOW: OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); return 0;
    case WM_CHILDACTIVATE: OnChildActivate(); return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<CWnd*>(lParam));
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<CWnd*>(lParam));
        return 0;
    case WM_CONTEXTMENU: OnContextMenu(reinterpret_cast<CWnd*>(wParam), paramPoint(lParam)); return 0;
    case WM_SYSCOMMAND: OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode();
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result))
            return result;
        break;
    }
    default: break;
    }
    return DefWindowProc(msg, wParam, lParam);
}

LRESULT CWnd::Default()
{
    if (!m_dispatch)
        return 0;
    return DefWindowProc(m_dispatch->msg, m_dispatch->wParam, m_dispatch->lParam);
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_dispatch && m_dispatch->msg == msg)
        m_dispatch->defaultReached = true;
    switch (msg) {
    case WM_SETTEXT:
        DoSetText(CString(reinterpret_cast<const char*>(lParam)));
        return TRUE;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        return GetWindowText(buffer, static_cast<int>(wParam));
    }
    case WM_GETTEXTLENGTH: return GetWindowTextLength();
    case WM_SETFONT:
        m_font = reinterpret_cast<CFont*>(wParam);
        if (m_peer && m_font && g_fontResolver) {
            m_peer->setFont(g_fontResolver(m_font));
            if (lParam)
                m_peer->update();
        }
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(m_font);
    case WM_CLOSE: DestroyWindow(); return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_SETCURSOR: {
        // The parent decides first (a busy main window keeps the wait
        // cursor over all its children); else the class cursor.
        if (m_parent && (m_style & WS_CHILD) && m_parent->SendMessage(WM_SETCURSOR, wParam, lParam))
            return TRUE;
        if (m_peer && g_cursorWnd == this) {
            if (m_classCursor)
                ::SetCursor(m_classCursor);
            else
                m_peer->unsetCursor();
        }
        return FALSE;
    }
    case WM_MOUSEWHEEL:
        // From a Qt event Qt itself offers the wheel to the parent.
        if (m_parent && (m_style & WS_CHILD) && m_eventDepth == 0)
            return m_parent->SendMessage(msg, wParam, lParam);
        return 0;
    default: return 0;
    }
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

int CWnd::OnCreate() { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnChildActivate() { Default(); }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    for (const auto& e : m_cmdMap) {
        if (e.code == code && id >= e.first && id <= e.last) {
            auto fn = e.fn;
            fn(id);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr)
        return FALSE;
    for (const auto& e : m_notifyMap) {
        if (e.code == hdr->code && e.id == hdr->idFrom) {
            auto fn = e.fn;
            LRESULT r = 0;
            fn(hdr, &r);
            if (result)
                *result = r;
            return TRUE;
        }
    }
    return FALSE;
}

// ---- Qt events -------------------------------------------------------------

bool VxWndAccess::handleQtEvent(CWnd* w, QObject*, QEvent* e)
{
    QWidget* peer = w->m_peer;
    if (!peer)
        return false;
    const std::uint64_t serial = w->m_serial;
    struct DepthGuard {
        CWnd* w;
        std::uint64_t serial;
        explicit DepthGuard(CWnd* wnd) : w(wnd), serial(wnd->m_serial) { ++w->m_eventDepth; }
        ~DepthGuard()
        {
            if (CWnd::IsLive(w, serial))
                --w->m_eventDepth;
        }
    } guard(w);

    auto send = [&](UINT msg, WPARAM wp, LPARAM lp, bool* reached = nullptr) -> LRESULT {
        if (!CWnd::IsLive(w, serial) || !w->m_peer)
            return 0;
        return deliver(w, msg, wp, lp, reached);
    };
    // Mouse messages stay with the window they hit; Qt would hand a click
    // that a plain widget ignores on to its parent.
    const bool ownWidget = dynamic_cast<WndWidget*>(peer) != nullptr;
    auto setCursorFor = [&](UINT mouseMsg) {
        g_cursorWnd = w;
        send(WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, mouseMsg));
    };

    switch (e->type()) {
    case QEvent::Paint: {
        auto* pe = static_cast<QPaintEvent*>(e);
        const QRect r = pe->rect();
        w->m_paintRect = CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
        w->m_inPaint = true;
        bool reached = false;
        send(WM_PAINT, 0, 0, &reached);
        if (CWnd::IsLive(w, serial)) {
            w->m_inPaint = false;
            w->m_paintRect = CRect();
        }
        return !reached;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(e);
        const bool press = e->type() != QEvent::MouseButtonRelease;
        const bool dbl = e->type() == QEvent::MouseButtonDblClick && w->m_dblClks;
        UINT msg = 0;
        if (me->button() == Qt::LeftButton)
            msg = dbl ? WM_LBUTTONDBLCLK : press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (me->button() == Qt::RightButton)
            msg = dbl ? WM_RBUTTONDBLCLK : press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else if (me->button() == Qt::MiddleButton)
            msg = press ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        if (!msg)
            return false;
        if (press)
            setCursorFor(msg);
        bool reached = false;
        send(msg, mouseFlags(me->buttons(), me->modifiers()), pointParam(toPoint(me->position())), &reached);
        return ownWidget || !reached;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        setCursorFor(WM_MOUSEMOVE);
        bool reached = false;
        send(WM_MOUSEMOVE, mouseFlags(me->buttons(), me->modifiers()), pointParam(toPoint(me->position())),
             &reached);
        return ownWidget || !reached;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(e);
        const int delta = we->angleDelta().y();
        if (delta == 0)
            return false;
        const QPoint g = we->globalPosition().toPoint();
        bool reached = false;
        send(WM_MOUSEWHEEL, makeWParam(mouseFlags(we->buttons(), we->modifiers()), static_cast<UINT>(delta & 0xFFFF)),
             MAKELPARAM(g.x(), g.y()), &reached);
        return !reached;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (!peer->hasFocus())
            return false;   // propagated from a focused child
        auto* ke = static_cast<QKeyEvent*>(e);
        KeyEventScope keyScope(ke->modifiers());
        const UINT vk = virtualKey(ke->key(), ke->modifiers());
        const LPARAM lp = 1 | (ke->isAutoRepeat() ? (1 << 30) : 0);
        bool keyDefault = true;
        if (vk)
            send(e->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP, vk, lp, &keyDefault);
        if (e->type() == QEvent::KeyRelease)
            return !keyDefault;
        bool charDefault = true;
        const QString text = ke->text();
        if (!text.isEmpty() && CWnd::IsLive(w, serial)) {
            const unsigned char ch = vx::UnicodeToCp1252(text.at(0).unicode());
            send(WM_CHAR, ch, lp, &charDefault);
        }
        return !(keyDefault && charDefault);
    }
    case QEvent::FocusIn: {
        CWnd* old = CWnd::IsLive(g_focusWnd, g_focusSerial) && g_focusWnd != w ? g_focusWnd : nullptr;
        g_focusWnd = w;
        g_focusSerial = serial;
        send(WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
        return false;
    }
    case QEvent::FocusOut: {
        CWnd* next = findChildWnd(QApplication::focusWidget());
        send(WM_KILLFOCUS, reinterpret_cast<WPARAM>(next == w ? nullptr : next), 0);
        return false;
    }
    case QEvent::Resize: {
        const QSize s = static_cast<QResizeEvent*>(e)->size();
        if (s.width() != w->m_lastWidth || s.height() != w->m_lastHeight) {
            w->m_lastWidth = s.width();
            w->m_lastHeight = s.height();
            send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(s.width(), s.height()));
        }
        return false;
    }
    case QEvent::Close: {
        // The window decides: the default destroys it, dialogs end instead.
        e->ignore();
        send(WM_CLOSE, 0, 0);
        return true;
    }
    case QEvent::ContextMenu: {
        auto* ce = static_cast<QContextMenuEvent*>(e);
        bool reached = false;
        send(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w), MAKELPARAM(ce->globalPos().x(), ce->globalPos().y()),
             &reached);
        return !reached;
    }
    case QEvent::Leave:
        if (g_cursorWnd == w)
            g_cursorWnd = nullptr;
        return false;
    default:
        return false;
    }
}
