// A window's message handling: sending and posting, the message maps,
// WindowProc's calls of the handlers, the default handling.
#include "platform/Wnd.h"

#include "platform/Cursor.h"
#include "platform/Messages.h"
#include "platform/WndImpl.h"

#include <QImage>
#include <QWindow>

#include <cstdint>
#include <vector>

using vx::wnddetail::g_cursorWnd;
using vx::wnddetail::g_fontResolver;

namespace vx::detail {
int g_handlerDepth = 0;   // messages being handled on the UI thread
} // namespace vx::detail

namespace {

CPoint paramPoint(LPARAM l)
{
    return CPoint(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l))),
                  static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l))));
}

} // namespace

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
