#include "app/PlaceholderPages.h"

#include "app/StringTable.h"

#include <mutex>

VX_IMPLEMENT_DYNAMIC(CShellEmptyPage, CMyPropertyPage)
VX_IMPLEMENT_DYNAMIC(CShellSetupPage, CNestedSheetPage)

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
