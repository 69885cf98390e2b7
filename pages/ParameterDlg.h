// The sensor parameter page: reads the device's table of ten sensor rows and
// its factory words, shows them in an editable form and prints them.
#pragma once

#include "app/MyPropertyPage.h"
#include "telegram/CQuorin_Send.h"

class CParameterDlg : public CMyPropertyPage, public CQuorin_Send {
    VX_DECLARE_DYNAMIC(CParameterDlg)
public:
    enum { IDD = 115 };
    CParameterDlg();
    ~CParameterDlg() override;
};
