// The data logger page: reads out, shows, copies and prints the logger.
#pragma once

#include "app/MyPropertyPage.h"

class CDatenloggerDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CDatenloggerDlg)
public:
    enum { IDD = 112 };
    CDatenloggerDlg();
    ~CDatenloggerDlg() override;
};
