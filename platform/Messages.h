// Window message numbers, dialog result ids and the message delivery API.
//
// Delivery rules the program relies on:
// - SendMessage on the UI thread calls the target's WindowProc at once.
// - SendMessage from any other thread queues the call for the UI thread and
//   blocks until it has been handled there. Calls from one thread keep their
//   order, so received chunks reach the pages in the order they were read.
//   The UI thread serves them from its event loop (also inside modal loops)
//   and from ServeSendsUntil, never from Sleep: bytes that arrive while the
//   UI thread sleeps pile up in the reader and come as one later chunk.
//   A blocked send returns 0 without being handled when its target window is
//   destroyed or after ShutdownMessages(), so shutdown cannot deadlock on it.
// - PostMessage queues the message; queued messages are handled in FIFO
//   order on the UI thread, and dropped when the target is gone by then.
#pragma once

#include "Types.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class CWnd;

// ---- Window messages -----------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_CTLCOLOR = 0x0019;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_CHILDACTIVATE = 0x0022;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_SIZING = 0x0214;
constexpr UINT WM_DEVICECHANGE = 0x0219;
constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
constexpr UINT WM_PALETTECHANGED = 0x0311;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Mouse key state in wParam / nFlags.
constexpr UINT MK_LBUTTON = 0x0001;
constexpr UINT MK_RBUTTON = 0x0002;
constexpr UINT MK_SHIFT = 0x0004;
constexpr UINT MK_CONTROL = 0x0008;
constexpr UINT MK_MBUTTON = 0x0010;

// WM_SIZE types.
constexpr UINT SIZE_RESTORED = 0;
constexpr UINT SIZE_MINIMIZED = 1;
constexpr UINT SIZE_MAXIMIZED = 2;

// WM_SETCURSOR hit test.
constexpr UINT HTCLIENT = 1;

// WM_SYSCOMMAND
constexpr UINT SC_CLOSE = 0xF060;

// Dialog and message-box result / command ids.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Virtual key codes the program looks at (letters and digits are their
// upper-case ASCII codes).
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;
constexpr UINT VK_NEXT = 0x22;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_ADD = 0x6B;        // numeric pad
constexpr UINT VK_SUBTRACT = 0x6D;   // numeric pad
constexpr UINT VK_F1 = 0x70;

// Common header of WM_NOTIFY data.
struct NMHDR {
    CWnd* hwndFrom = nullptr;
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// A message as PreTranslateMessage sees it.
struct MSG {
    CWnd* hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Key state for GetKeyState: the high bit is set while the key is down.
short GetKeyState(int virtKey);

// Registered messages: the same name gives the same number for the life of
// the process; numbers lie in 0xC000..0xFFFF. Returns 0 for an empty name.
UINT RegisterWindowMessage(const char* name);

namespace vx {

// Free forms of CWnd::SendMessage / PostMessage (a null target gives 0 /
// FALSE). Safe from any thread.
LRESULT SendMessage(CWnd* target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL PostMessage(CWnd* target, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

// True on the thread that runs the windows (the QApplication's thread).
bool IsUiThread();

// UI thread only: handles cross-thread sends and posted messages that are
// waiting now. Returns how many were handled.
int ProcessPendingMessages();

// UI thread only: keeps serving cross-thread sends (and only those) until
// done() is true or the timeout (negative: none) runs out. Returns done().
// For the UI thread that waits for a worker which may itself be blocked in
// SendMessage (joining the port reader, for instance).
bool ServeSendsUntil(const std::function<bool()>& done,
                     std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

// True while target is the window it was when serial was taken (its
// GetSerial()) and has not been destroyed: what a message needs to be
// delivered.
bool CanReceive(const CWnd* target, std::uint64_t serial);

// A function run on the UI thread when asked: at once from the UI thread's
// loop (Post, from any thread) or after a delay (RunAfter, UI thread only),
// on a real-time timer of its own whatever clock the window timers follow.
// At most one run is pending; destroying it (on the UI thread) cancels it.
// For work a worker thread hands to the UI without waiting for it.
class UiCall {
public:
    explicit UiCall(std::function<void()> fn);
    ~UiCall();
    UiCall(const UiCall&) = delete;
    UiCall& operator=(const UiCall&) = delete;

    void Post();
    void RunAfter(std::chrono::milliseconds delay);
    void Cancel();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Ends message delivery for good: every blocked cross-thread send returns 0
// unhandled, later ones return 0 at once, and posted messages are dropped.
void ShutdownMessages();

// Test support: forget queued messages, revive delivery after a shutdown.
void ResetMessagesForTest();
int PendingPostedCount();

} // namespace vx
