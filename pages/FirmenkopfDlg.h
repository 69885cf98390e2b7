// The company header page: reads and sends the header text the device
// prints on its reports.
#pragma once

#include "app/MyPropertyPage.h"

class CFirmenkopfDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CFirmenkopfDlg)
public:
    enum { IDD = 113 };
    enum { IDC_HEADER = 1126, IDC_READ = 1127, IDC_WRITE = 1128 };

    CFirmenkopfDlg();
    ~CFirmenkopfDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;

    void ReadCompanyHeader();
    void SendCompanyHeader();

    CString m_strHeader;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
};
