#pragma once

#include "ControlWnd.h"

constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);

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

// Tab control: items with text and item data. A click on another tab sends
// TCN_SELCHANGING (a non-zero result keeps the old tab) and TCN_SELCHANGE;
// SetCurSel does not notify.
class CTabCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CTabCtrl)
public:

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
