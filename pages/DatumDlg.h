// The date page: reads the device clock and sets it from the PC clock.
#pragma once

#include "app/MyPropertyPage.h"

class CDatumDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CDatumDlg)
public:
    enum { IDD = 114 };
    CDatumDlg();
    ~CDatumDlg() override;
};
