#include "pages/EinrichtenDlg.h"

#include "app/StringTable.h"

#include <algorithm>

VX_IMPLEMENT_DYNAMIC(CEinrichtenDlg, CMyPropertyPage)

CEinrichtenDlg::CEinrichtenDlg() : CMyPropertyPage(IDD, 0) {}

CEinrichtenDlg::~CEinrichtenDlg() = default;

CMyPropertyPage* CEinrichtenDlg::GetNestedPage(int index)
{
    switch (index) {
    case 0: return &m_FirmenkopfDlg;
    case 1: return &m_DatumDlg;
    case 2: return &m_ParameterDlg;
    case 3: return &m_BefehleDlg;
    case 4: return &m_MessenDlgEinstellen;
    default: return nullptr;
    }
}

CMyPropertyPage* CEinrichtenDlg::GetActiveNestedPage() const
{
    if (!m_NestedSheet.IsWindow())
        return nullptr;
    return dynamic_cast<CMyPropertyPage*>(m_NestedSheet.GetActivePage());
}

BOOL CEinrichtenDlg::OnInitDialog()
{
    CMyPropertyPage::OnInitDialog();
    for (int i = 0; i < kNestedCount; ++i)
        m_NestedSheet.AddPage(GetNestedPage(i));
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
        if (GetNestedPage(i)->m_pChannelTable == nullptr)
            GetNestedPage(i)->m_pChannelTable = m_pChannelTable;
    SetLanguageTexts();
    RefreshPage();
    return TRUE;
}

void CEinrichtenDlg::OnChildActivate()
{
    CMyPropertyPage::OnChildActivate();
    // Coming back to this tab does not activate the nested page again, but
    // the parameter page must still bring the device home and drop answers
    // meant for another page.
    if (m_ParameterDlg.IsShownFlag() && GetActiveNestedPage() == &m_ParameterDlg)
        m_ParameterDlg.RunActivation();
    else
        RefreshPage();
}

void CEinrichtenDlg::OnDataReceived(int byteCount, int port)
{
    if (CMyPropertyPage* page = GetActiveNestedPage())
        page->OnDataReceived(byteCount, port);
}

void CEinrichtenDlg::SetLanguageTexts()
{
    // The nested pages' own texts follow a language switch as well; their
    // activation work (home keys, menus) does not run for it.
    for (int i = 0; i < kNestedCount; ++i)
        if (GetNestedPage(i)->IsWindow())
            GetNestedPage(i)->SetLanguageTexts();
    CTabCtrl* tab = m_NestedSheet.IsWindow() ? m_NestedSheet.GetTabControl() : nullptr;
    if (!tab)
        return;
    static const UINT ids[kNestedCount] = {5122, 5123, 5124, 5131, 5136};
    for (int i = 0; i < kNestedCount; ++i) {
        CString text = LoadLanguageText(ids[i]);
        TCITEM item;
        item.mask = TCIF_TEXT;
        item.pszText = text.GetBuffer();
        tab->SetItem(i, &item);
        text.ReleaseBuffer();
    }
}

void CEinrichtenDlg::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
}

void CEinrichtenDlg::PrintPage(CPage* page)
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->PrintPage(page);
}

void CEinrichtenDlg::OnFileOpen()
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->OnFileOpen();
}

void CEinrichtenDlg::OnFileSave()
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->OnFileSave();
}
