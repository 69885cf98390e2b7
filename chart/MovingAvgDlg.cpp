#include "chart/MovingAvgDlg.h"

#include "chart/ChartDlgLogic.h"
#include "platform/DDX.h"

VX_IMPLEMENT_DYNAMIC(CMovingAvgDlg, CDialog)

CMovingAvgDlg::CMovingAvgDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CMovingAvgDlg::OnInitDialog()
{
    // The type list has no entries of its own: the kinds in builder order.
    if (auto* types = dynamic_cast<CComboBox*>(GetDlgItem(IDC_TYPE))) {
        types->ResetContent();
        for (int i = 0; i < ChartDlgLogic::kAverageTypes; ++i)
            types->AddString(ChartDlgLogic::AverageTypeName(i));
    }
    CDialog::OnInitDialog();
    m_SizeSpin.SetRange32(1, m_nMaxWindowSize);
    m_SizeSpin.SetPos32(m_nWindowSize);
    return TRUE;
}

void CMovingAvgDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_SIZE_SPIN, m_SizeSpin);
    DDX_CBIndex(dx, IDC_TYPE, m_nType);
    DDX_Text(dx, IDC_SIZE, m_nWindowSize);
    DDV_MinMaxInt(dx, m_nWindowSize, 1, m_nMaxWindowSize);
}
