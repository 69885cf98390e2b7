#include "chart/TrendDlg.h"

#include "platform/DDX.h"

VX_IMPLEMENT_DYNAMIC(CTrendDlg, CDialog)

CTrendDlg::CTrendDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CTrendDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_ExpandSpin.SetRange32(0, kMaxExpansion);
    m_ExpandSpin.SetPos32(m_nExpansion);
    m_DegreeSpin.SetRange32(2, 20);
    m_DegreeSpin.SetPos32(m_nMaxDegree);
    return TRUE;
}

void CTrendDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_DEGREE_SPIN, m_DegreeSpin);
    DDX_Control(dx, IDC_EXPAND_SPIN, m_ExpandSpin);
    DDX_Text(dx, IDC_EXPAND, m_nExpansion);
    DDV_MinMaxInt(dx, m_nExpansion, 0, kMaxExpansion);
    DDX_Text(dx, IDC_DEGREE, m_nMaxDegree);
    DDV_MinMaxInt(dx, m_nMaxDegree, 2, 20);
}
