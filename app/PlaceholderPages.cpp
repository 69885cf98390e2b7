#include "app/PlaceholderPages.h"

#include "app/StringTable.h"

#include <mutex>

VX_IMPLEMENT_DYNAMIC(CShellEmptyPage, CMyPropertyPage)
VX_IMPLEMENT_DYNAMIC(CShellSetupPage, CMyPropertyPage)

namespace {
std::mutex g_factoryMutex;
MainPageFactory g_factory;
} // namespace

void SetMainPageFactory(MainPageFactory factory)
{
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    g_factory = std::move(factory);
}

CMainPageSet MakeShellPages()
{
    CMainPageSet set;
    set.tabs[0] = std::make_unique<CShellSetupPage>();
    set.tabs[1] = std::make_unique<CShellEmptyPage>(109);
    set.tabs[2] = std::make_unique<CShellEmptyPage>(111);
    set.tabs[3] = std::make_unique<CShellEmptyPage>(112);
    return set;
}

CMainPageSet MakeMainPages()
{
    MainPageFactory factory;
    {
        std::lock_guard<std::mutex> lock(g_factoryMutex);
        factory = g_factory;
    }
    if (factory) {
        CMainPageSet set = factory();
        bool complete = true;
        for (const auto& p : set.tabs)
            complete = complete && p != nullptr;
        if (complete)
            return set;
    }
    return MakeShellPages();
}

CShellSetupPage::CShellSetupPage() : CMyPropertyPage(IDD, 0) {}

CShellSetupPage::~CShellSetupPage()
{
    // The sheet is destroyed after the pages it lists: let it forget them
    // while they still exist.
    while (m_NestedSheet.GetPageCount() > 0)
        m_NestedSheet.RemovePage(m_NestedSheet.GetPage(0));
}

CMyPropertyPage* CShellSetupPage::GetNestedPage(int index)
{
    switch (index) {
    case 0: return &m_Header;
    case 1: return &m_Date;
    case 2: return &m_Parameter;
    case 3: return &m_Commands;
    case 4: return &m_MeasureConfig;
    default: return nullptr;
    }
}

CMyPropertyPage* CShellSetupPage::GetActiveNestedPage() const
{
    if (!m_NestedSheet.IsWindow())
        return nullptr;
    return dynamic_cast<CMyPropertyPage*>(m_NestedSheet.GetActivePage());
}

BOOL CShellSetupPage::OnInitDialog()
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
    for (int i = 0; i < kNestedCount; ++i)
        if (GetNestedPage(i)->m_pChannelTable == nullptr)
            GetNestedPage(i)->m_pChannelTable = m_pChannelTable;
    SetLanguageTexts();
    RefreshPage();
    return TRUE;
}

void CShellSetupPage::OnChildActivate()
{
    CMyPropertyPage::OnChildActivate();
    RefreshPage();
}

void CShellSetupPage::OnDataReceived(int byteCount, int port)
{
    if (CMyPropertyPage* page = GetActiveNestedPage())
        page->OnDataReceived(byteCount, port);
}

void CShellSetupPage::SetLanguageTexts()
{
    CTabCtrl* tab = m_NestedSheet.IsWindow() ? m_NestedSheet.GetTabControl() : nullptr;
    if (!tab)
        return;
    static const UINT ids[kNestedCount] = {5122, 5123, 5124, 5131, 5136};
    for (int i = 0; i < kNestedCount; ++i)
        tab->SetItemText(i, LoadLanguageText(ids[i]));
}

void CShellSetupPage::RefreshPage()
{
    EnableMenuItemOfMain(WM_ENABLE_FILE_OPEN, false);
    EnableMenuItemOfMain(WM_ENABLE_FILE_SAVE, false);
    EnableMenuItemOfMain(WM_ENABLE_PRINT, false);
}

void CShellSetupPage::PrintPage(CPage* page)
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->PrintPage(page);
}

void CShellSetupPage::OnFileOpen()
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->OnFileOpen();
}

void CShellSetupPage::OnFileSave()
{
    if (CMyPropertyPage* p = GetActiveNestedPage())
        p->OnFileSave();
}
