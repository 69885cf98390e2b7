#pragma once

#include "ControlWnd.h"

class QPainter;
class QRect;

constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT CBN_DROPDOWN = 7;
constexpr UINT CBN_CLOSEUP = 8;
constexpr UINT CBN_SELENDOK = 9;

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

// Combo box: drop-down list, drop-down (editable) or simple; fixed-height
// owner-drawn items (CBS_OWNERDRAWFIXED) are measured once with
// WM_MEASUREITEM and drawn with WM_DRAWITEM to the parent (or DrawItem).
class CComboBox : public CControlWnd {
    VX_DECLARE_DYNAMIC(CComboBox)
public:
    CComboBox();
    ~CComboBox() override;

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
