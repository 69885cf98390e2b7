// A page that holds a nested sheet of pages over its placeholder control:
// the main dialog's calls (data, print, open, save, language) go on to the
// nested page that is shown. The setup tab is one; the derived class owns
// the nested pages and names them through GetNestedPage.
#pragma once

#include "app/MyPropertyPage.h"
#include "platform/PropertySheet.h"

class CNestedSheetPage : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CNestedSheetPage)
public:
    enum { IDC_PLACEHOLDER = 1029 };
    static constexpr int kNestedCount = 5;

    explicit CNestedSheetPage(UINT templateId);

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    void OnFileOpen() override;
    void OnFileSave() override;

    BOOL OnInitDialog() override;

    CMyPropertyPage* GetActiveNestedPage() const;
    CPropertySheet& GetNestedSheet() { return m_NestedSheet; }

protected:
    void OnChildActivate() override;
    // The derived class calls this in its destructor, while the pages it
    // owns still exist, so the sheet forgets them before they go.
    void DetachNestedPages();

private:
    CPropertySheet m_NestedSheet;
};
