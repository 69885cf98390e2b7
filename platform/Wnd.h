// CWnd: a window of the program with an optional Qt peer widget.
//
// Every message, whether it comes from SendMessage, PostMessage, a timer or
// a Qt event on the peer, goes through WindowProc: first the instance's
// message map (MapMessage, MapCommand, ... or the VX_ON_* one-liners), then
// the virtual On* handlers, then DefWindowProc. A handler that calls the
// base class (or Default()) lets the default happen: for a message that came
// from a Qt event that means the peer widget handles the event as usual.
//
// Windows live on the UI thread. SendMessage/PostMessage may be called from
// any thread (see Messages.h); everything else only on the UI thread.
// A CWnd object takes messages and timers from its construction on, before
// and without Create, so a page's logic can run without widgets; after
// DestroyWindow it refuses posts until it is created again.
#pragma once

#include "CObject.h"
#include "CString.h"
#include "Geometry.h"
#include "Messages.h"
#include "Types.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

class QObject;
class QWidget;
class QFont;
class QEvent;
class CDC;
class CFont;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;

// Window class styles for AfxRegisterWndClass.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// SetWindowPos flags.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// RedrawWindow flags (only their presence matters here).
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ALLCHILDREN = 0x0080;

// Cursor handle and the standard cursors (Cursor.h has the functions).
using HCURSOR = int;
constexpr HCURSOR IDC_ARROW = 32512;
constexpr HCURSOR IDC_IBEAM = 32513;
constexpr HCURSOR IDC_WAIT = 32514;
constexpr HCURSOR IDC_CROSS = 32515;
constexpr HCURSOR IDC_UPARROW = 32516;
constexpr HCURSOR IDC_SIZENWSE = 32642;
constexpr HCURSOR IDC_SIZENESW = 32643;
constexpr HCURSOR IDC_SIZEWE = 32644;
constexpr HCURSOR IDC_SIZENS = 32645;
constexpr HCURSOR IDC_SIZEALL = 32646;
constexpr HCURSOR IDC_NO = 32648;
constexpr HCURSOR IDC_HAND = 32649;

// A window class for Create/CreateEx: class style and cursor. The returned
// name stays valid for the life of the process; equal arguments give equal
// names.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = 0);

class CWnd : public CObject {
    VX_DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // ---- Creation -------------------------------------------------------
    // Creates the window and its peer: a child of pParent's peer for
    // WS_CHILD, else a top-level window (owned by pParent). Unknown class
    // names give a plain window that receives double clicks. rect is in the
    // parent's client coordinates (screen coordinates for a top-level).
    virtual BOOL Create(const char* className, const char* windowName, DWORD style,
                        const RECT& rect, CWnd* pParent, UINT nID);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, CWnd* pParent, UINT nID);
    // Destroys the children, then the peer; sends WM_DESTROY, drops this
    // window's timers and posted messages, cancels sends to it, and finally
    // calls PostNcDestroy (which may delete this).
    virtual BOOL DestroyWindow();

    // The peer widget (null before Create). A subclass that wraps a Qt
    // control creates its widget in CreatePeer.
    QWidget* GetPeer() const { return m_peer; }
    bool IsWindow() const { return m_peer != nullptr; }
    static CWnd* FromPeer(const QWidget* peer);
    // Nearest window whose peer is w or one of w's ancestors.
    static CWnd* FromChildWidget(const QWidget* w);
    // True while the window object exists (safe with dangling pointers; a
    // new object at the same address is told apart by its serial).
    static bool IsLive(const CWnd* wnd, std::uint64_t serial);
    std::uint64_t GetSerial() const { return m_serial; }

    CString GetClassName() const { return m_className; }
    DWORD GetStyle() const { return m_style; }
    DWORD GetExStyle() const { return m_exStyle; }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);

    // ---- Identity and family --------------------------------------------
    int GetDlgCtrlID() const { return static_cast<int>(m_id); }
    int SetDlgCtrlID(int id);
    CWnd* GetParent() const { return m_parent; }
    CWnd* SetParent(CWnd* newParent);
    // Follows parents (and owners of top-level windows) to the root.
    CWnd* GetTopLevelParent() const;
    CWnd* GetOwner() const { return m_parent; }
    // Direct child with that id, else null.
    CWnd* GetDlgItem(int id) const;
    const std::vector<CWnd*>& GetChildren() const { return m_children; }

    // ---- Text ------------------------------------------------------------
    void SetWindowText(const char* text);
    void GetWindowText(CString& out) const { out = GetWindowTextString(); }
    int GetWindowText(char* buffer, int maxCount) const;
    CString GetWindowTextString() const { return DoGetText(); }
    int GetWindowTextLength() const { return DoGetText().GetLength(); }
    void SetDlgItemText(int id, const char* text);
    int GetDlgItemText(int id, CString& out) const;
    int GetDlgItemText(int id, char* buffer, int maxCount) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const;

    // ---- State -----------------------------------------------------------
    // Sends WM_SHOWWINDOW when the visibility changes; returns the previous
    // visibility.
    BOOL ShowWindow(int cmdShow);
    // Visible itself and all its parents.
    BOOL IsWindowVisible() const;
    // Returns whether the window was disabled before.
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;

    // ---- Geometry --------------------------------------------------------
    void GetClientRect(RECT* rect) const;
    // In screen coordinates.
    void GetWindowRect(RECT* rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT* rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void ScreenToClient(POINT* pt) const;
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(POINT* pt) const;
    void ClientToScreen(RECT* rect) const;
    void CenterWindow(CWnd* alternateOwner = nullptr);

    // ---- Painting --------------------------------------------------------
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    // Paints now when an update is pending.
    void UpdateWindow();
    BOOL RedrawWindow(const RECT* rect = nullptr, void* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    // Inside OnPaint: the area to repaint, in client coordinates.
    CRect GetPaintRect() const { return m_paintRect; }
    // For a window whose OnPaint covers its whole client area: its own
    // repaints then never repaint the parent under it. May be called before
    // Create.
    void SetOpaquePaint(bool opaque);
    // True while the peer is inside its paint event (the drawing layer may
    // then paint on the peer directly).
    bool IsInPaint() const { return m_inPaint; }

    // ---- Font --------------------------------------------------------------
    // Sends WM_SETFONT; the default handler keeps the pointer and gives the
    // peer the matching QFont through the resolver the drawing layer installs.
    void SetFont(CFont* font, BOOL redraw = TRUE);
    CFont* GetFont() const { return m_font; }
    using FontResolver = QFont (*)(const CFont* font);
    static void SetFontResolver(FontResolver resolver);

    // ---- Focus, capture, cursor, timers ------------------------------------
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetCapture();
    // The class cursor shown when WM_SETCURSOR is left to the default.
    void SetClassCursor(HCURSOR cursor);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* unused = nullptr);
    BOOL KillTimer(UINT_PTR id);

    // ---- Messages ----------------------------------------------------------
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Sends to every child (and with deep, their children).
    void SendMessageToDescendants(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled.
    LRESULT Default();
    // Key messages before they reach the focused window; called for the
    // focus window and then each parent. TRUE swallows the message.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // ---- Message map -------------------------------------------------------
    // One line per entry, normally in the constructor:
    //   VX_ON_MESSAGE(WM_USER + 1000, OnPortData);
    //   VX_ON_COMMAND(IDC_START, OnStart);
    // Later entries for the same key replace earlier ones.
    template <class T, class U, class R>
    void MapMessage(UINT msg, T* self, R (U::*fn)(WPARAM, LPARAM));
    template <class T, class U>
    void MapCommand(UINT id, T* self, void (U::*fn)()) { MapControl(0, id, self, fn); }
    // WM_COMMAND with notification code `code` from control `id`.
    template <class T, class U>
    void MapControl(UINT code, UINT id, T* self, void (U::*fn)());
    template <class T, class U>
    void MapControlRange(UINT code, UINT first, UINT last, T* self, void (U::*fn)(UINT id));
    template <class T, class U>
    void MapNotify(UINT code, UINT id, T* self, void (U::*fn)(NMHDR*, LRESULT*));
    void MapMessageFn(UINT msg, std::function<LRESULT(WPARAM, LPARAM)> fn);
    void MapCommandFn(UINT code, UINT first, UINT last, std::function<void(UINT id)> fn);
    void MapNotifyFn(UINT code, UINT id, std::function<void(NMHDR*, LRESULT*)> fn);

protected:
    // ---- Handlers (defaults call Default()) --------------------------------
    virtual int OnCreate();
    virtual void OnDestroy();
    virtual void OnClose();
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* dc);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnLButtonDblClk(UINT flags, CPoint point);
    virtual void OnRButtonDown(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    // point in screen coordinates, delta in 120ths of a notch.
    virtual BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    virtual void OnKeyDown(UINT nChar, UINT repCnt, UINT flags);
    virtual void OnKeyUp(UINT nChar, UINT repCnt, UINT flags);
    virtual void OnChar(UINT nChar, UINT repCnt, UINT flags);
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnMove(int x, int y);
    virtual void OnTimer(UINT_PTR id);
    virtual void OnSetFocus(CWnd* oldWnd);
    virtual void OnKillFocus(CWnd* newWnd);
    virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    virtual void OnShowWindow(BOOL show, UINT status);
    virtual void OnChildActivate();
    virtual void OnHScroll(UINT sbCode, UINT pos, CWnd* scrollBar);
    virtual void OnVScroll(UINT sbCode, UINT pos, CWnd* scrollBar);
    virtual void OnContextMenu(CWnd* wnd, CPoint screenPoint);
    virtual void OnSysCommand(UINT id, LPARAM lParam);
    virtual UINT OnGetDlgCode();
    // WM_COMMAND: LOWORD(wParam) id, HIWORD(wParam) code, lParam the control
    // (CWnd*). The default consults the command map; TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: lParam is an NMHDR*. TRUE when handled.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After the window is gone; modeless windows that own themselves delete
    // this here.
    virtual void PostNcDestroy();

    // Makes the peer for Create. The default is a plain widget that paints
    // through OnPaint. qtParent is null for top-level windows.
    virtual QWidget* CreatePeer(QWidget* qtParent);
    // Puts an existing widget under this window (controls made elsewhere).
    void AttachPeer(QWidget* peer);
    // Text storage behind Get/SetWindowText; controls override both to use
    // their widget.
    virtual void DoSetText(const CString& text);
    virtual CString DoGetText() const;

private:
    friend class VxWndAccess;
    struct Dispatch {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
        bool defaultReached = false;
    };

    void removeChild(CWnd* child);
    void releaseFamily();
    // Sets the parent (child) or owner and registers with it.
    void linkTo(CWnd* parent, bool child);

    QWidget* m_peer = nullptr;
    QObject* m_link = nullptr;         // event filter living on the peer
    CWnd* m_parent = nullptr;
    std::vector<CWnd*> m_children;
    std::vector<CWnd*> m_owned;        // top-level windows created with this one as owner
    UINT m_id = 0;
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    CString m_className;
    CString m_text;
    CFont* m_font = nullptr;
    HCURSOR m_classCursor = 0;
    bool m_dblClks = true;
    bool m_inPaint = false;
    bool m_opaquePaint = false;
    bool m_destroyed = false;          // had a window that is gone now
    int m_eventDepth = 0;              // Qt events of the peer being handled
    CRect m_rect;                      // without a peer: the stored rectangle
    int m_lastWidth = -1;
    int m_lastHeight = -1;
    CRect m_paintRect;
    std::uint64_t m_serial = 0;
    std::map<UINT, std::function<LRESULT(WPARAM, LPARAM)>> m_msgMap;
    struct CommandEntry {
        UINT code, first, last;
        std::function<void(UINT)> fn;
    };
    std::vector<CommandEntry> m_cmdMap;
    struct NotifyEntry {
        UINT code, id;
        std::function<void(NMHDR*, LRESULT*)> fn;
    };
    std::vector<NotifyEntry> m_notifyMap;
    Dispatch* m_dispatch = nullptr;    // the message being handled now
};

// Releases the mouse capture.
BOOL ReleaseCapture();

template <class T, class U, class R>
void CWnd::MapMessage(UINT msg, T* t, R (U::*fn)(WPARAM, LPARAM))
{
    U* self = static_cast<U*>(t);
    MapMessageFn(msg, [self, fn](WPARAM w, LPARAM l) -> LRESULT {
        if constexpr (std::is_void_v<R>) {
            (self->*fn)(w, l);
            return 0;
        } else {
            return static_cast<LRESULT>((self->*fn)(w, l));
        }
    });
}

template <class T, class U>
void CWnd::MapControl(UINT code, UINT id, T* t, void (U::*fn)())
{
    U* self = static_cast<U*>(t);
    MapCommandFn(code, id, id, [self, fn](UINT) { (self->*fn)(); });
}

template <class T, class U>
void CWnd::MapControlRange(UINT code, UINT first, UINT last, T* t, void (U::*fn)(UINT))
{
    U* self = static_cast<U*>(t);
    MapCommandFn(code, first, last, [self, fn](UINT id) { (self->*fn)(id); });
}

template <class T, class U>
void CWnd::MapNotify(UINT code, UINT id, T* t, void (U::*fn)(NMHDR*, LRESULT*))
{
    U* self = static_cast<U*>(t);
    MapNotifyFn(code, id, [self, fn](NMHDR* h, LRESULT* r) { (self->*fn)(h, r); });
}

#define VX_THIS_CLASS std::remove_pointer_t<decltype(this)>
// Message (WM_xxx, WM_USER + n or a registered number) → LRESULT/void fn(WPARAM, LPARAM).
#define VX_ON_MESSAGE(msg, fn) this->MapMessage((msg), this, &VX_THIS_CLASS::fn)
// Menu command or button click (notification code 0) → void fn().
#define VX_ON_COMMAND(id, fn) this->MapCommand((id), this, &VX_THIS_CLASS::fn)
// Control notification (EN_CHANGE, CBN_SELCHANGE, ...) → void fn().
#define VX_ON_CONTROL(code, id, fn) this->MapControl((code), (id), this, &VX_THIS_CLASS::fn)
// Same notification from a range of ids → void fn(UINT id).
#define VX_ON_CONTROL_RANGE(code, first, last, fn) \
    this->MapControlRange((code), (first), (last), this, &VX_THIS_CLASS::fn)
// WM_NOTIFY code from control id → void fn(NMHDR*, LRESULT*).
#define VX_ON_NOTIFY(code, id, fn) this->MapNotify((code), (id), this, &VX_THIS_CLASS::fn)
