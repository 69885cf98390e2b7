// The measure configuration page of the setup sheet.
#pragma once

#include "app/MyPropertyPage.h"

class CMessenDlgEinstellen : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CMessenDlgEinstellen)
public:
    enum { IDD = 121 };
    CMessenDlgEinstellen();
    ~CMessenDlgEinstellen() override;
};
