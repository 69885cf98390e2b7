#include "platform/Wnd.h"

#include "platform/Cursor.h"
#include "platform/Numbers.h"
#include "platform/Text1252.h"
#include "platform/Timer.h"
#include "platform/WndImpl.h"

#include <QApplication>
#include <QFont>
#include <QHash>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

VX_IMPLEMENT_DYNAMIC(CWnd, CObject)

using vx::wnddetail::findChildWnd;
using vx::wnddetail::g_cursorWnd;
using vx::wnddetail::g_fontResolver;
using vx::wnddetail::installKeyFilter;

namespace vx::detail {
void DropMessagesFor(const CWnd* target);
} // namespace vx::detail

namespace {

std::mutex g_liveMutex;
std::unordered_map<const CWnd*, std::uint64_t> g_live;
std::atomic<std::uint64_t> g_nextSerial{1};

QHash<const QWidget*, CWnd*> g_peers;
CWnd* g_capture = nullptr;

struct ClassInfo {
    UINT style;
    HCURSOR cursor;
};
std::mutex g_classMutex;
std::map<std::string, ClassInfo> g_classes;

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

// A window may be destroyed from inside an event of its own widget or of a
// child's (a button click that ends a dialog), so the widget is hidden at
// once and deleted when control is back in the event loop.
void retirePeer(QWidget* peer)
{
    peer->hide();
    peer->deleteLater();
}

} // namespace

namespace vx::wnddetail {

CWnd* g_cursorWnd = nullptr;     // window under the mouse (WM_SETCURSOR target)
CWnd::FontResolver g_fontResolver = nullptr;

CWnd* findChildWnd(const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        auto it = g_peers.constFind(w);
        if (it != g_peers.constEnd())
            return it.value();
    }
    return nullptr;
}

} // namespace vx::wnddetail

namespace vx::detail {

LRESULT Deliver(CWnd* target, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return VxWndAccess::deliver(target, msg, wParam, lParam, nullptr);
}

std::uint64_t TargetSerial(const CWnd* target)
{
    return VxWndAccess::targetSerial(target);
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
