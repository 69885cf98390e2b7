// Parameters of a moving average: its kind and window size.
#pragma once

#include "platform/Dialog.h"

class CMovingAvgDlg : public CDialog {
    VX_DECLARE_DYNAMIC(CMovingAvgDlg)
public:
    enum { IDD = 5013, IDC_TYPE = 6034, IDC_SIZE = 6063, IDC_SIZE_SPIN = 6064 };

    explicit CMovingAvgDlg(CWnd* parent = nullptr);

    CSpinButtonCtrl m_SizeSpin;
    int m_nType = 0;
    int m_nWindowSize = 10;
    int m_nMaxWindowSize = 100;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
};
