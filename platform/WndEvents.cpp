// Qt's input and window events turned into the messages of the window
// whose peer gets them; keys pass PreTranslateMessage first.
#include "platform/Wnd.h"

#include "platform/Text1252.h"
#include "platform/WndImpl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cmath>
#include <cstdint>

using vx::wnddetail::findChildWnd;
using vx::wnddetail::g_cursorWnd;

namespace {

CWnd* g_focusWnd = nullptr;      // last window that got the focus
std::uint64_t g_focusSerial = 0;

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

} // namespace

namespace vx::wnddetail {

void installKeyFilter()
{
    static KeyPreFilter* filter = nullptr;
    if (!filter && qApp) {
        filter = new KeyPreFilter;
        qApp->installEventFilter(filter);
    }
}

} // namespace vx::wnddetail

namespace vx::detail {

bool CurrentKeyModifiers(Qt::KeyboardModifiers& mods)
{
    if (g_keyEventDepth == 0)
        return false;
    mods = g_keyMods;
    return true;
}

} // namespace vx::detail

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
