// Private parts of CWnd shared by its files: the window itself (Wnd.cpp),
// its message handling (WndProc.cpp) and the Qt events it turns into
// messages (WndEvents.cpp).
#pragma once

#include "platform/Wnd.h"

#include <QWidget>

#include <cstdint>

class QEvent;
class QObject;

// Private access to CWnd for the helpers in its files.
class VxWndAccess {
public:
    static LRESULT deliver(CWnd* w, UINT msg, WPARAM wp, LPARAM lp, bool* defaultReached);
    static bool handleQtEvent(CWnd* w, QObject* watched, QEvent* e);
    static void peerGone(CWnd* w, QWidget* peer);
    static void setDestroyed(CWnd* w, bool destroyed);
    static std::uint64_t targetSerial(const CWnd* w);
    static bool dblClks(const CWnd* w) { return w->m_dblClks; }
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

namespace vx::wnddetail {
extern CWnd* g_cursorWnd;     // window under the mouse (WM_SETCURSOR target)
extern CWnd::FontResolver g_fontResolver;
// The window of a widget or of its nearest parent widget that has one.
CWnd* findChildWnd(const QWidget* w);
// Lets key messages pass PreTranslateMessage first; installed once.
void installKeyFilter();
} // namespace vx::wnddetail
