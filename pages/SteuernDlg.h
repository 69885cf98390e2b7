// The control page: works the device's menu with key sequences and a keypad picture.
#pragma once

#include "app/MyPropertyPage.h"

class CSteuernDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CSteuernDlg)
public:
    enum { IDD = 111 };
    CSteuernDlg();
    ~CSteuernDlg() override;
};
