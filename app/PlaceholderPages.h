// The shell's own pages, used until the program installs its real ones
// (SetMainPageFactory): a setup page with the nested sheet of five pages,
// and empty pages that take part in the page protocol.
#pragma once

#include "app/MyPropertyPage.h"
#include "app/NestedSheetPage.h"

#include <array>
#include <functional>
#include <memory>

class CShellEmptyPage : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CShellEmptyPage)
public:
    explicit CShellEmptyPage(UINT templateId) : CMyPropertyPage(templateId, 0) {}
    // Counts what it is given, so one can see which page the data reached.
    void OnDataReceived(int byteCount, int) override { m_dwReceivedBytes += static_cast<DWORD>(byteCount); }
};

// The setup tab with five empty nested pages.
class CShellSetupPage : public CNestedSheetPage {
    VX_DECLARE_DYNAMIC(CShellSetupPage)
public:
    enum { IDD = 108 };

    CShellSetupPage() : CNestedSheetPage(IDD) {}
    ~CShellSetupPage() override { DetachNestedPages(); }

    CMyPropertyPage* GetNestedPage(int index) override;

private:
    // Company header, date, parameter, commands, measure configuration.
    CShellEmptyPage m_Header{113};
    CShellEmptyPage m_Date{114};
    CShellEmptyPage m_Parameter{115};
    CShellEmptyPage m_Commands{117};
    CShellEmptyPage m_MeasureConfig{121};
};

// The four tabs of the main dialog: setup, measure, control, data logger.
struct CMainPageSet {
    std::array<std::unique_ptr<CMyPropertyPage>, 4> tabs;
};
using MainPageFactory = std::function<CMainPageSet()>;

// The program installs its real pages here before the main dialog is
// built; without a factory the dialog gets the shell's own pages.
void SetMainPageFactory(MainPageFactory factory);
CMainPageSet MakeMainPages();
CMainPageSet MakeShellPages();
