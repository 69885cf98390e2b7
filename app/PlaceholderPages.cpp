#include "app/PlaceholderPages.h"

#include "app/StringTable.h"

VX_IMPLEMENT_DYNAMIC(CEmptyPage, CMyPropertyPage)
VX_IMPLEMENT_DYNAMIC(CEinrichtenDlg, CMyPropertyPage)

CEinrichtenDlg::CEinrichtenDlg() : CMyPropertyPage(IDD, 0) {}

CEinrichtenDlg::~CEinrichtenDlg()
{
    // The sheet is destroyed after the pages it lists: let it forget them
    // while they still exist.
    while (m_NestedSheet.GetPageCount() > 0)
        m_NestedSheet.RemovePage(m_NestedSheet.GetPage(0));
}

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
        m_NestedSheet.SetWindowPos(nullptr, r.left, r.top, r.Width(), r.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        // The tabs take the placeholder's whole width, so all five texts fit
        // in every language.
        if (CTabCtrl* tab = m_NestedSheet.GetTabControl()) {
            CRect t;
            tab->GetWindowRect(&t);
            m_NestedSheet.ScreenToClient(&t);
            tab->MoveWindow(t.left, t.top, r.Width() - 2 * t.left, r.Height() - 2 * t.top);
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
    RefreshPage();
}

void CEinrichtenDlg::OnDataReceived(int byteCount, int port)
{
    if (CMyPropertyPage* page = GetActiveNestedPage())
        page->OnDataReceived(byteCount, port);
}

void CEinrichtenDlg::SetLanguageTexts()
{
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
