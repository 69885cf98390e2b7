// The shell's own pages, used until the program installs its real ones
// (SetMainPageFactory): a setup page with the nested sheet of five pages,
// and empty pages that take part in the page protocol.
#pragma once

#include "app/MyPropertyPage.h"

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

// The setup tab: a nested sheet of five pages; the main dialog's calls go
// on to whichever nested page is shown.
class CShellSetupPage : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CShellSetupPage)
public:
    enum { IDD = 108, IDC_PLACEHOLDER = 1029 };
    static constexpr int kNestedCount = 5;

    CShellSetupPage();
    ~CShellSetupPage() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    void OnFileOpen() override;
    void OnFileSave() override;
    CMyPropertyPage* GetNestedPage(int index) override;

    BOOL OnInitDialog() override;

    CMyPropertyPage* GetActiveNestedPage() const;
    CPropertySheet& GetNestedSheet() { return m_NestedSheet; }

protected:
    void OnChildActivate() override;

private:
    CPropertySheet m_NestedSheet;
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
