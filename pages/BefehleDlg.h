// The commands page: one-letter requests to the device and its answers.
#pragma once

#include "app/MyPropertyPage.h"

class CBefehleDlg : public CMyPropertyPage {
    VX_DECLARE_DYNAMIC(CBefehleDlg)
public:
    enum { IDD = 117 };
    CBefehleDlg();
    ~CBefehleDlg() override;
};
