// Property sheets and pages. A sheet is a window with a tab control over its
// pages; pages are dialogs from their templates, created when first shown.
// Every time a page becomes the shown page of its sheet (a click on its tab,
// SetActivePage, or the sheet's creation) it gets WM_SHOWWINDOW and then
// WM_CHILDACTIVATE (OnChildActivate). Showing the tab of an outer sheet
// does not re-activate the shown page of a sheet nested in it.
#pragma once

#include "Controls.h"
#include "Dialog.h"

#include <vector>

class CPropertySheet;

constexpr UINT PSM_SETCURSEL = WM_USER + 101;
constexpr UINT PSM_GETTABCONTROL = WM_USER + 116;
constexpr UINT PSM_GETCURRENTPAGEHWND = WM_USER + 118;
constexpr UINT AFX_IDC_TAB_CONTROL = 0x3020;

class CPropertyPage : public CDialog {
    VX_DECLARE_DYNAMIC(CPropertyPage)
public:
    CPropertyPage();
    // captionId: string table id of the tab text; 0 takes the template's caption.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    ~CPropertyPage() override;

    CString GetCaption() const;
    // Null when the page is in no sheet (or its sheet is gone).
    CPropertySheet* GetSheet() const;

    // A page is ended by its sheet, not by OK/Cancel of its own.
    void OnOK() override {}
    void OnCancel() override {}

protected:
    UINT m_captionId = 0;

private:
    friend class CPropertySheet;
    BOOL CreatePage(CPropertySheet* sheet, const RECT& where);
    CPropertySheet* m_sheet = nullptr;
    std::uint64_t m_sheetSerial = 0;
};

class CPropertySheet : public CWnd {
    VX_DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet();
    explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);
    explicit CPropertySheet(const char* caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    void RemovePage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return m_active; }
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page);
    // Null before Create.
    CTabCtrl* GetTabControl() const;

    // Creates the sheet window (modeless, no buttons) sized to its largest
    // page; style -1 means a visible child of parent. With WS_POPUP the
    // sheet is a window of its own until SetParent puts it into another.
    using CWnd::Create;
    virtual BOOL Create(CWnd* parent = nullptr, DWORD style = static_cast<DWORD>(-1), DWORD exStyle = 0);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    QWidget* CreatePeer(QWidget* qtParent) override;
    void OnDestroy() override;

private:
    friend class CPropertyPage;
    void activate(int index);
    void forget(CPropertyPage* page);
    CRect pageRect() const;

    std::vector<CPropertyPage*> m_pages;
    CTabCtrl m_tab;
    CString m_caption;
    CWnd* m_pParentWnd = nullptr;
    int m_active = 0;
    bool m_created = false;
};
