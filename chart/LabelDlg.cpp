#include "chart/LabelDlg.h"

#include "chart/ChartDlgLogic.h"
#include "chart/Plot.h"
#include "chart/PlotLabel.h"
#include "platform/CommonDialogs.h"
#include "platform/DDX.h"

VX_IMPLEMENT_DYNAMIC(CLabelDlg, CDialog)

CLabelDlg::CLabelDlg(CWnd* parent) : CDialog(IDD, parent)
{
    VX_ON_CONTROL(BN_CLICKED, IDC_BORDER, OnChange);
    VX_ON_CONTROL(BN_CLICKED, IDC_TRANSPARENT, OnChange);
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_ALIGN, OnChange);
    VX_ON_CONTROL(CBN_SELCHANGE, IDC_CURVE, OnChange);
    VX_ON_MESSAGE(WM_USER + 1001, OnColourChanged);
    VX_ON_COMMAND(IDC_FONT, OnFont);
    VX_ON_COMMAND(IDC_APPLY, OnApply);
}

CLabelDlg::~CLabelDlg() = default;

void CLabelDlg::Run(CPlotLabel* label)
{
    if (!label)
        return;
    CLabelDlg dlg(label->GetGraph());
    dlg.m_pLabel = label;
    dlg.DoModal();
}

void CLabelDlg::Install() { CPlotLabel::SetPropertiesDialog(&CLabelDlg::Run); }

void CLabelDlg::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_CURVE, m_Curves);
    DDX_Control(dx, IDC_BACK, m_BackColour);
    DDX_Check(dx, IDC_BORDER, m_bBorder);
    DDX_ColorButton(dx, IDC_BACK, m_crBack);
    DDX_CBIndex(dx, IDC_ALIGN, m_nAlignment);
    DDX_CBIndex(dx, IDC_CURVE, m_nCurve);
    DDX_Check(dx, IDC_TRANSPARENT, m_bTransparent);
}

BOOL CLabelDlg::OnInitDialog()
{
    UpdateData(FALSE);   // binds the member controls
    // The alignment list has no entries of its own: the label's codes.
    if (auto* align = dynamic_cast<CComboBox*>(GetDlgItem(IDC_ALIGN))) {
        align->ResetContent();
        for (const char* t : {"Left", "Center", "Right"})
            align->AddString(t);
    }
    m_Curves.ResetContent();
    if (m_pLabel) {
        m_bBorder = m_pLabel->GetBorder() ? 1 : 0;
        m_crBack = m_pLabel->GetBackColor();
        m_nAlignment = static_cast<int>(m_pLabel->GetAlignment());
        m_bTransparent = m_pLabel->GetTransparent() ? 1 : 0;
        if (CPlot* chart = m_pLabel->GetGraph())
            for (int i = 0; i < chart->GetCurveCount(); ++i)
                m_Curves.AddString(CString::Formatted("%02d %s", i + 1, chart->GetCurve(i).GetLabel().GetString()));
        m_nCurve = m_pLabel->GetConnectedCurve();
    }
    UpdateData(FALSE);
    return TRUE;
}

void CLabelDlg::OnChange()
{
    if (CWnd* apply = GetDlgItem(IDC_APPLY))
        apply->EnableWindow(TRUE);
}

LRESULT CLabelDlg::OnColourChanged(WPARAM, LPARAM)
{
    OnChange();
    return 0;
}

bool CLabelDlg::Apply()
{
    if (!UpdateData(TRUE))
        return false;
    if (!m_pLabel)
        return true;
    m_pLabel->SetBorder(m_bBorder != 0);
    m_pLabel->SetBackColor(ChartDlgLogic::Drawable(m_crBack, m_BackColour.GetDefaultColour()));
    // No selection keeps what the label has: -1 as alignment would be
    // text flags that draw nothing.
    if (m_nAlignment >= 0)
        m_pLabel->SetAlignment(static_cast<UINT>(m_nAlignment));
    if (m_nCurve >= 0)
        m_pLabel->SetConnectedCurve(m_nCurve);
    m_pLabel->SetTransparent(m_bTransparent != 0);
    if (CPlot* chart = m_pLabel->GetGraph(); chart && chart->IsWindow())
        chart->Invalidate(TRUE);
    if (CWnd* apply = GetDlgItem(IDC_APPLY))
        apply->EnableWindow(FALSE);
    return true;
}

void CLabelDlg::OnApply() { Apply(); }

void CLabelDlg::OnOK()
{
    if (Apply())
        EndDialog(IDOK);
}

void CLabelDlg::OnFont()
{
    CFontDialog dlg(nullptr, CF_SCREENFONTS | CF_EFFECTS, this);
    if (dlg.DoModal() != IDOK)
        return;
    // At once, not at Apply: Cancel keeps the new font.
    if (m_pLabel) {
        m_pLabel->SetFont(dlg.GetLogFont());
        m_pLabel->SetTextColor(dlg.GetColor());
        if (CPlot* chart = m_pLabel->GetGraph(); chart && chart->IsWindow())
            chart->Invalidate(TRUE);
    }
    OnChange();
}
