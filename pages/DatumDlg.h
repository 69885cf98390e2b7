// The date page: reads the device clock and sets it to the PC's local time.
#pragma once

#include "app/MyPropertyPage.h"
#include "pages/DateHeaderPageHost.h"

class CDatumDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CDatumDlg)
public:
    enum { IDD = 114 };
    enum { IDC_DATE = 1129, IDC_READ = 1130, IDC_WRITE = 1131 };

    CDatumDlg();
    ~CDatumDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;
    void PrintPage(CPage* page) override;

    void ReadDeviceDate();
    void WriteDeviceDate();
    // The PC's local time as the device's clock text.
    static CString NowDeviceText();
    const CDeviceTextRead& GetRead() const { return m_Read; }

    CString m_strDate;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
    void OnShowWindow(BOOL show, UINT status) override;
    void OnTimer(UINT_PTR id) override;

private:
    CDateHeaderPageHost m_Host{*this, m_strDate, IDC_WRITE};
    CDeviceTextRead m_Read{m_Host, CDeviceTextRead::Kind::Date};
};
