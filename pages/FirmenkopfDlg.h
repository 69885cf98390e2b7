// The company header page: reads and sends the header text the device
// prints on its reports.
#pragma once

#include "app/MyPropertyPage.h"
#include "pages/DateHeaderPageHost.h"

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
    const CDeviceTextRead& GetRead() const { return m_Read; }

    CString m_strHeader;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTimer(UINT_PTR id) override;

private:
    CDateHeaderPageHost m_Host{*this, m_strHeader, IDC_WRITE};
    CDeviceTextRead m_Read{m_Host, CDeviceTextRead::Kind::Header};
};
