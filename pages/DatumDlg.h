// The date page: reads the device clock and sets it to the PC's local time.
#pragma once

#include "app/MyPropertyPage.h"

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

    CString m_strDate;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnChildActivate() override;
};
