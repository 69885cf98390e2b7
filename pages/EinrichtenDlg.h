// The setup page: a nested sheet of five device and configuration pages;
// the main dialog's calls go on to whichever nested page is shown.
#pragma once

#include "app/NestedSheetPage.h"
#include "measure/MessenDlgEinstellen.h"
#include "pages/BefehleDlg.h"
#include "pages/DatumDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "pages/ParameterDlg.h"

class CEinrichtenDlg : public CNestedSheetPage {
    VX_DECLARE_DYNAMIC(CEinrichtenDlg)
public:
    enum { IDD = 108 };

    CEinrichtenDlg();
    ~CEinrichtenDlg() override;

    // The nested pages in tab order (company header, date, parameter,
    // commands, measure configuration).
    CMyPropertyPage* GetNestedPage(int index) override;
    void RefreshPage() override;

protected:
    void OnChildActivate() override;
    void OnShowWindow(BOOL show, UINT status) override;

private:
    CFirmenkopfDlg m_FirmenkopfDlg;
    CDatumDlg m_DatumDlg;
    CParameterDlg m_ParameterDlg;
    CBefehleDlg m_BefehleDlg;
    CMessenDlgEinstellen m_MessenDlgEinstellen;
};
