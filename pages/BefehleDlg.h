// The commands page: status, long status, sensor parameter and version
// requests; the answers show only in the main dialog's terminal view.
#pragma once

#include "app/MyPropertyPage.h"

class CBefehleDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CBefehleDlg)
public:
    enum { IDD = 117 };
    enum { IDC_STATUS = 1174, IDC_STATUS_LONG = 1175, IDC_SENSOR = 1176, IDC_VERSION = 1177 };

    CBefehleDlg();
    ~CBefehleDlg() override;

    void OnDataReceived(int byteCount, int port) override;
    void SetLanguageTexts() override;
    void RefreshPage() override;

    void OnStatus();
    void OnStatusLong();
    void OnSensorParameter();
    void OnVersion();

protected:
    void OnChildActivate() override;

private:
    void Request(char code);
};
