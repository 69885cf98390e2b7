// Parameters of a trend: how many values it continues beyond the data, and
// the highest power of a polynomial fit.
#pragma once

#include "platform/Dialog.h"

class CTrendDlg : public CDialog {
    VX_DECLARE_DYNAMIC(CTrendDlg)
public:
    enum { IDD = 5014, IDC_EXPAND = 6079, IDC_EXPAND_SPIN = 6069, IDC_DEGREE = 6082, IDC_DEGREE_SPIN = 6084 };
    static constexpr int kMaxExpansion = 100000000;

    explicit CTrendDlg(CWnd* parent = nullptr);

    CSpinButtonCtrl m_DegreeSpin, m_ExpandSpin;
    int m_nExpansion = 0;
    int m_nMaxDegree = 5;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
};
