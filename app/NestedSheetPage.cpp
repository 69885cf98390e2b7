#include "app/NestedSheetPage.h"

#include "app/StringTable.h"

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CNestedSheetPage, CMyPropertyPage)

CNestedSheetPage::CNestedSheetPage(UINT templateId) : CMyPropertyPage(templateId, 0) {}

void CNestedSheetPage::DetachNestedPages()
{
    while (m_NestedSheet.GetPageCount() > 0)
        m_NestedSheet.RemovePage(m_NestedSheet.GetPage(0));
}

CMyPropertyPage* CNestedSheetPage::GetActiveNestedPage() const
{
    if (!m_NestedSheet.IsWindow())
        return nullptr;
    return dynamic_cast<CMyPropertyPage*>(m_NestedSheet.GetActivePage());
}

BOOL CNestedSheetPage::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    for (int i = 0; i < kNestedCount; ++i)
        if (CMyPropertyPage* page = GetNestedPage(i))
            m_NestedSheet.AddPage(page);
    CWnd* placeholder = GetDlgItem(IDC_PLACEHOLDER);
    m_NestedSheet.Create(this, WS_CHILD | WS_VISIBLE);
    if (placeholder) {
        CRect r;
        placeholder->GetWindowRect(&r);
        ScreenToClient(&r);
        placeholder->ShowWindow(SW_HIDE);
        // The sheet comes sized for its largest page (the parameter table);
        // it fills the placeholder but never cuts that page's last row off,
        // as long as this page has room for it.
        CRect natural, client;
        m_NestedSheet.GetWindowRect(&natural);
        GetClientRect(&client);
        const int width = std::min(std::max(r.Width(), natural.Width()), std::max(r.Width(), client.right - r.left));
        const int height =
            std::min(std::max(r.Height(), natural.Height()), std::max(r.Height(), client.bottom - r.top));
        m_NestedSheet.SetWindowPos(nullptr, r.left, r.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        // The tabs take the sheet's whole width, so all five texts fit in
        // every language.
        if (CTabCtrl* tab = m_NestedSheet.GetTabControl()) {
            CRect t;
            tab->GetWindowRect(&t);
            m_NestedSheet.ScreenToClient(&t);
            tab->MoveWindow(t.left, t.top, width - 2 * t.left, height - 2 * t.top);
        }
    }
    // Pages wired after the main dialog set them up keep their pointers;
    // the channel table is the one every nested page must share with us.
    for (int i = 0; i < kNestedCount; ++i)
        if (CMyPropertyPage* page = GetNestedPage(i); page && page->m_pChannelTable == nullptr)
            page->m_pChannelTable = m_pChannelTable;
    SetLanguageTexts();
    RefreshPage();
    return TRUE;
}

void CNestedSheetPage::OnChildActivate()
{
    CMyPropertyPage::OnChildActivate();
    RefreshPage();
}

void CNestedSheetPage::OnDataReceived(int byteCount, int port)
{
    if (CMyPropertyPage* page = GetActiveNestedPage())
        page->OnDataReceived(byteCount, port);
}

void CNestedSheetPage::SetLanguageTexts()
{
    // The nested pages' own texts follow a language switch as well; their
    // activation work (home keys, menus) does not run for it.
    for (int i = 0; i < kNestedCount; ++i)
        if (CMyPropertyPage* page = GetNestedPage(i); page && page->IsWindow())
            page->SetLanguageTexts();
    CTabCtrl* tab = m_NestedSheet.IsWindow() ? m_NestedSheet.GetTabControl() : nullptr;
    if (!tab)
        return;
    static const UINT ids[kNestedCount] = {5122, 5123, 5124, 5131, 5136};
    for (int i = 0; i < kNestedCount; ++i)
        tab->SetItemText(i, LoadLanguageText(ids[i]));
}

void CNestedSheetPage::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
}

void CNestedSheetPage::PrintPage(CPage* page)
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->PrintPage(page);
}

void CNestedSheetPage::OnFileOpen()
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->OnFileOpen();
}

void CNestedSheetPage::OnFileSave()
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->OnFileSave();
}
