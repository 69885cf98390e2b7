// The standard controls on Qt widgets, with the messages and notifications
// the program's dialogs expect. A control reports to its parent with
// WM_COMMAND (MAKEWPARAM(id, code), lParam = the control) or WM_NOTIFY
// (lParam = NMHDR*); trackbars and up-downs with WM_HSCROLL/WM_VSCROLL.
// Notifications come from the user's actions; setting a value from code
// does not notify, except that an edit's text always raises EN_CHANGE.
#pragma once

#include "DateTime.h"
#include "DialogStyles.h"
#include "Wnd.h"

#include <QPointer>
#include <QString>

#include <vector>

class QWidget;
class CDC;

// ---- Notification codes ---------------------------------------------------
constexpr UINT BN_CLICKED = 0;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT EN_MAXTEXT = 0x0501;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT CBN_DROPDOWN = 7;
constexpr UINT CBN_CLOSEUP = 8;
constexpr UINT CBN_SELENDOK = 9;
constexpr UINT LBN_SELCHANGE = 1;
constexpr UINT LBN_DBLCLK = 2;
constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);
constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);
constexpr UINT DTN_DATETIMECHANGE = static_cast<UINT>(-759);

// Scroll codes of trackbars (WM_HSCROLL/WM_VSCROLL, LOWORD(wParam)).
constexpr UINT TB_LINEUP = 0;
constexpr UINT TB_LINEDOWN = 1;
constexpr UINT TB_PAGEUP = 2;
constexpr UINT TB_PAGEDOWN = 3;
constexpr UINT TB_THUMBPOSITION = 4;
constexpr UINT TB_THUMBTRACK = 5;
constexpr UINT TB_TOP = 6;
constexpr UINT TB_BOTTOM = 7;
constexpr UINT TB_ENDTRACK = 8;
constexpr UINT SB_THUMBPOSITION = 4;
constexpr UINT SB_ENDSCROLL = 8;

// ---- Control messages -------------------------------------------------------
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

constexpr int CB_ERR = -1;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;

constexpr int LB_ERR = -1;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;

constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_SETPOS = WM_USER + 5;
constexpr UINT TBM_SETRANGE = WM_USER + 6;
constexpr UINT TBM_SETRANGEMIN = WM_USER + 7;
constexpr UINT TBM_SETRANGEMAX = WM_USER + 8;
constexpr UINT TBM_GETCHANNELRECT = WM_USER + 26;

constexpr UINT UDM_SETBUDDY = WM_USER + 105;
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114;

constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_GETITEM = TCM_FIRST + 5;
constexpr UINT TCM_SETITEM = TCM_FIRST + 6;
constexpr UINT TCM_INSERTITEM = TCM_FIRST + 7;
constexpr UINT TCM_DELETEITEM = TCM_FIRST + 8;
constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;

constexpr UINT TCIF_TEXT = 0x0001;
constexpr UINT TCIF_PARAM = 0x0008;

struct TCITEM {
    UINT mask = 0;
    DWORD dwState = 0;
    DWORD dwStateMask = 0;
    char* pszText = nullptr;   // GetItem copies into it (cchTextMax bytes)
    int cchTextMax = 0;
    int iImage = -1;
    LPARAM lParam = 0;
};

struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;
    int iDelta = 0;
};

// ---- Static colours ------------------------------------------------------------
// A static text asks its parent for colours before it paints: WM_CTLCOLORSTATIC
// with wParam = a CDC* (SetTextColor/SetBkColor/SetBkMode on it count) and
// lParam = the control; a non-zero result is the CBrush* its background is
// filled with. CDialog turns it into OnCtlColor.
class CBrush;
using HBRUSH = CBrush*;
constexpr UINT CTLCOLOR_STATIC = 6;

// ---- Owner drawing ------------------------------------------------------------
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_COMBOBOXEDIT = 0x1000;

// WM_DRAWITEM's lParam. hDC draws into the item's area (client coordinates
// of the control; rcItem is the item's rectangle there).
struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;        // item index; UINT(-1) for an empty combo field
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    CWnd* hwndItem = nullptr;
    CDC* hDC = nullptr;
    RECT rcItem{};
    UINT_PTR itemData = 0;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;

// WM_MEASUREITEM's lParam; the handler sets itemHeight.
struct MEASUREITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;        // UINT(-1): the selection field of a combo
    UINT itemWidth = 0;
    UINT itemHeight = 0;
    UINT_PTR itemData = 0;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

// ---- Controls -------------------------------------------------------------------

// Shared by all controls: notifying the parent.
class CControlWnd : public CWnd {
    VX_DECLARE_DYNAMIC(CControlWnd)
public:
    CControlWnd() = default;
    ~CControlWnd() override;
    // Creates the control as a child of parent at rect (pixels).
    BOOL CreateControl(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       DWORD exStyle = 0);

protected:
    // WM_COMMAND to the parent with this control's id and the code.
    void NotifyCommand(UINT code);
    // WM_NOTIFY to the parent; returns the handler's result.
    LRESULT NotifyParent(UINT code, NMHDR* header = nullptr);
    // The receiver of the widget's signals; gone with this object.
    QObject* Ctx();
    // True while code (not the user) changes the widget; signals then stay quiet.
    bool m_settingFromCode = false;

private:
    QObject* m_ctx = nullptr;
};

class CButton : public CControlWnd {
    VX_DECLARE_DYNAMIC(CButton)
public:
    CButton();
    ~CButton() override;
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl(text, style, rect, parent, id);
    }
    using CWnd::Create;

    int GetCheck() const;
    void SetCheck(int check);   // never notifies; radio siblings are left alone
    // As a click by the user: radio and check state change, BN_CLICKED.
    void Click();
    UINT GetButtonType() const { return GetStyle() & BS_TYPEMASK; }
    bool IsRadio() const { return GetButtonType() == BS_AUTORADIOBUTTON; }
    bool IsCheckBox() const;

    // Owner-drawn buttons: the default sends WM_DRAWITEM to the parent.
    virtual void DrawItem(LPDRAWITEMSTRUCT dis);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
    CString DoGetText() const override;

private:
    friend class VxOwnerDrawButton;
    void userClicked();
    void paintOwnerDraw(QWidget* w);
    int m_check = BST_UNCHECKED;
};

class CStatic : public CControlWnd {
    VX_DECLARE_DYNAMIC(CStatic)
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF)
    {
        return CreateControl(text, style, rect, parent, id);
    }
    using CWnd::Create;
    // The picture of an SS_BITMAP static.
    void SetImage(const class QImage& image);

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
    CString DoGetText() const override;
};

// Single- and multi-line edit (ES_MULTILINE). Lines are CR LF in the text
// the program reads and writes. The limit (EM_LIMITTEXT, default 30000)
// only stops typing and pasting: text set by code is shown whole.
class CEdit : public CControlWnd {
    VX_DECLARE_DYNAMIC(CEdit)
public:
    CEdit();
    ~CEdit() override;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style, rect, parent, id);
    }
    using CWnd::Create;

    void LimitText(int maxChars = 0);   // 0: the largest limit
    void SetLimitText(UINT maxChars) { LimitText(static_cast<int>(maxChars)); }
    UINT GetLimitText() const { return m_limit; }
    // Positions count CR LF as two characters; end -1 means the end, start -1
    // removes the selection.
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void SetSel(DWORD selection, BOOL noScroll = FALSE);
    void GetSel(int& start, int& end) const;
    DWORD GetSel() const;
    void ReplaceSel(const char* text, BOOL canUndo = FALSE);
    BOOL GetModify() const { return m_modified; }
    void SetModify(BOOL modified = TRUE) { m_modified = modified != FALSE; }
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    int GetLineCount() const;
    void ScrollCaret();
    void Copy();
    void Cut();
    void Paste();
    void Clear();
    bool IsMultiLine() const { return (GetStyle() & ES_MULTILINE) != 0; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
    CString DoGetText() const override;

private:
    friend class VxLineEdit;
    friend class VxTextEdit;
    friend class VxLimitValidator;
    // How many of `inserted` characters fit; sends EN_MAXTEXT when not all.
    int fitInsertion(int currentLength, int removed, int inserted);
    void userChanged();
    QString qtText() const;

    UINT m_limit = 30000;
    bool m_modified = false;
    bool m_creating = false;
    QString m_lastText;
};

// Combo box: drop-down list, drop-down (editable) or simple; fixed-height
// owner-drawn items (CBS_OWNERDRAWFIXED) are measured once with
// WM_MEASUREITEM and drawn with WM_DRAWITEM to the parent (or DrawItem).
class CComboBox : public CControlWnd {
    VX_DECLARE_DYNAMIC(CComboBox)
public:
    CComboBox();
    ~CComboBox() override;
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style, rect, parent, id);
    }
    using CWnd::Create;

    int AddString(const char* text);   // sorted with CBS_SORT; returns the index
    int InsertString(int index, const char* text);   // -1 appends
    int DeleteString(UINT index);      // remaining count, or CB_ERR
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;             // CB_ERR (-1) when nothing is selected
    int SetCurSel(int index);          // -1 clears; CB_ERR when out of range
    int GetLBText(int index, CString& text) const;
    int GetLBText(int index, char* buffer) const;   // buffer of GetLBTextLen + 1 bytes
    CString GetLBText(int index) const;
    int GetLBTextLen(int index) const;
    int SetItemData(int index, UINT_PTR data);
    UINT_PTR GetItemData(int index) const;   // CB_ERR when out of range
    int FindStringExact(int startAfter, const char* text) const;
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;
    int GetItemHeight(int index) const;

    virtual void DrawItem(LPDRAWITEMSTRUCT dis);
    virtual void MeasureItem(LPMEASUREITEMSTRUCT mis);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
    CString DoGetText() const override;

private:
    friend class CControlWnd;
    friend class CDialog;
    friend class VxComboBox;
    friend class VxOwnerDrawDelegate;
    bool isOwnerDraw() const { return (GetStyle() & CBS_OWNERDRAWFIXED) != 0; }
    void measure();
    void drawItem(class QPainter* p, const class QRect& r, int index, UINT state);
    int m_itemHeight = -1;
    int m_dropHeight = 0;
};

class CListBox : public CControlWnd {
    VX_DECLARE_DYNAMIC(CListBox)
public:
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetText(int index, CString& text) const;
    int SetItemData(int index, UINT_PTR data);
    UINT_PTR GetItemData(int index) const;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
};

// Trackbar. Code that sets the position or range never notifies; the user's
// drag reports TB_THUMBTRACK while moving and TB_THUMBPOSITION at release,
// keys and clicks beside the thumb TB_LINE*/TB_PAGE*, each followed by
// TB_ENDTRACK, all by WM_HSCROLL (WM_VSCROLL for TBS_VERT) to the parent.
class CSliderCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CSliderCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style, rect, parent, id);
    }
    using CWnd::Create;

    void SetRange(int minPos, int maxPos, BOOL redraw = FALSE);
    void SetRangeMin(int minPos, BOOL redraw = FALSE);
    void SetRangeMax(int maxPos, BOOL redraw = FALSE);
    void GetRange(int& minPos, int& maxPos) const;
    int GetRangeMin() const;
    int GetRangeMax() const;
    int GetPos() const;
    void SetPos(int pos);   // clamped to the range
    void SetLineSize(int size);
    // The track the thumb's centre runs along, in client coordinates: the
    // position maps linearly from its left (minimum) to its right (maximum).
    void GetChannelRect(RECT* rect) const;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    void scrollNotify(UINT code);
};

// Up-down control with an optional buddy window (UDS_AUTOBUDDY takes the
// sibling created just before it); with UDS_SETBUDDYINT the position is
// written to the buddy as a plain number and read back from it.
class CSpinButtonCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CSpinButtonCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style, rect, parent, id);
    }
    using CWnd::Create;

    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    int SetPos(int pos) { return SetPos32(pos); }
    int SetPos32(int pos);   // clamped; returns the previous position
    int GetPos() const { return GetPos32(); }
    int GetPos32(BOOL* error = nullptr) const;
    CWnd* SetBuddy(CWnd* buddy);
    CWnd* GetBuddy() const { return m_buddy; }
    // As the user's click on an arrow (+1 up, -1 down).
    void Step(int direction);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    friend class CControlWnd;
    friend class CDialog;
    void writeBuddy();
    // Takes buddy without moving either window.
    void attachBuddy(CWnd* buddy);
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    CWnd* m_buddy = nullptr;
    std::uint64_t m_buddySerial = 0;
};

// Date picker (default) or time picker (DTS_TIMEFORMAT). User changes raise
// DTN_DATETIMECHANGE; SetTime does not.
class CDateTimeCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    BOOL SetTime(const COleDateTime& time);
    DWORD GetTime(COleDateTime& time) const;   // GDT_VALID (0) or GDT_NONE (1)
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
};
constexpr DWORD GDT_VALID = 0;
constexpr DWORD GDT_NONE = 1;

// Tab control: items with text and item data. A click on another tab sends
// TCN_SELCHANGING (a non-zero result keeps the old tab) and TCN_SELCHANGE;
// SetCurSel does not notify.
class CTabCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CTabCtrl)
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style, rect, parent, id);
    }
    using CWnd::Create;

    LONG InsertItem(int index, const char* text);
    LONG InsertItem(int index, const char* text, LPARAM data);
    LONG InsertItem(int index, TCITEM* item);
    BOOL DeleteItem(int index);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL GetItem(int index, TCITEM* item) const;
    BOOL SetItem(int index, TCITEM* item);
    // Convenience forms of SetItem/GetItem for the text and the data.
    BOOL SetItemText(int index, const char* text);
    CString GetItemText(int index) const;
    LPARAM GetItemData(int index) const;
    int GetCurSel() const;
    int SetCurSel(int index);   // returns the previous selection
    // Between the whole control and its display area below the tabs.
    void AdjustRect(BOOL larger, RECT* rect) const;
    // As the user's click on tab index.
    void ClickTab(int index);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    friend class VxTabWidget;
    void userSelect(int index);
};

// Tooltips for whole windows or rectangles inside them; Qt shows them.
class CToolTipCtrl : public CWnd {
    VX_DECLARE_DYNAMIC(CToolTipCtrl)
public:
    ~CToolTipCtrl() override;
    using CWnd::Create;
    BOOL Create(CWnd* parent, DWORD style = 0);
    BOOL AddTool(CWnd* wnd, const char* text, const RECT* rect = nullptr, UINT_PTR toolId = 0);
    void Activate(BOOL activate);
    // The text shown at a point of wnd (client coordinates); empty when none.
    CString TipTextAt(CWnd* wnd, CPoint point) const;

private:
    struct Tool {
        CWnd* wnd;
        UINT_PTR id;
        CRect rect;   // empty: the whole window
        CString text;
    };
    std::vector<Tool> m_tools;
    std::vector<QPointer<QObject>> m_filters;   // live on the watched windows' widgets
    bool m_active = true;
    void watch(CWnd* wnd);
};

// Rich edit as the program uses it: a read-only, monospaced terminal whose
// text is set or appended (SetSel(-1, -1) + ReplaceSel). No length limit.
class CRichEditCtrl : public CEdit {
    VX_DECLARE_DYNAMIC(CRichEditCtrl)
public:
    CRichEditCtrl();
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
    {
        return CreateControl("", style | ES_MULTILINE, rect, parent, id);
    }
    using CWnd::Create;
    long GetTextLength() const { return GetWindowTextLength(); }
    // Appends at the end and keeps the end in view.
    void AppendText(const char* text);

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    // The font of a rich edit's text: monospaced, 12 pixels.
    static void SetMonospacedFont(QWidget* w);
};

class QWidget;
namespace vx {
// A control whose template allows a smaller font (font=<pixels>) keeps its
// font while its text fits and steps down, a pixel at a time, to that size
// when the text would be cut; the dialog calls it once the control exists,
// and the control whenever its text changes. Other controls are left alone.
void FitTextFont(QWidget* control);
void AllowSmallerFont(QWidget* control, int minimumPixels);
} // namespace vx
