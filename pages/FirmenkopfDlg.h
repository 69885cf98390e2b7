// The company header page: reads and sends the device's header text.
#pragma once

#include "app/MyPropertyPage.h"

class CFirmenkopfDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CFirmenkopfDlg)
public:
    enum { IDD = 113 };
    CFirmenkopfDlg();
    ~CFirmenkopfDlg() override;
};
