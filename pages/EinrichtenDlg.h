// The setup page: a nested sheet of five device and configuration pages;
// the main dialog's calls go on to whichever nested page is shown.
#pragma once

#include "app/MyPropertyPage.h"
#include "measure/MessenDlgEinstellen.h"
#include "pages/BefehleDlg.h"
#include "pages/DatumDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "pages/ParameterDlg.h"
#include "platform/PropertySheet.h"

class CEinrichtenDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CEinrichtenDlg)
public:
    enum { IDD = 108, IDC_PLACEHOLDER = 1029 };
    static constexpr int kNestedCount = 5;

    CEinrichtenDlg();
    ~CEinrichtenDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;
    void OnFileOpen() override;
    void OnFileSave() override;

    BOOL OnInitDialog() override;

    // The nested pages in tab order (company header, date, parameter,
    // commands, measure configuration).
    CMyPropertyPage* GetNestedPage(int index) override;
    CMyPropertyPage* GetActiveNestedPage() const;
    CPropertySheet& GetNestedSheet() { return m_NestedSheet; }

protected:
    void OnChildActivate() override;

private:
    CPropertySheet m_NestedSheet;
    CFirmenkopfDlg m_FirmenkopfDlg;
    CDatumDlg m_DatumDlg;
    CParameterDlg m_ParameterDlg;
    CBefehleDlg m_BefehleDlg;
    CMessenDlgEinstellen m_MessenDlgEinstellen;
};
