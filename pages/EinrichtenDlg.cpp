#include "pages/EinrichtenDlg.h"

VX_IMPLEMENT_DYNAMIC(CEinrichtenDlg, CNestedSheetPage)

CEinrichtenDlg::CEinrichtenDlg() : CNestedSheetPage(IDD) {}

CEinrichtenDlg::~CEinrichtenDlg() { DetachNestedPages(); }

CMyPropertyPage* CEinrichtenDlg::GetNestedPage(int index)
{
    switch (index) {
    case 0: return &m_FirmenkopfDlg;
    case 1: return &m_DatumDlg;
    case 2: return &m_ParameterDlg;
    case 3: return &m_BefehleDlg;
    case 4: return &m_MessenDlgEinstellen;
    default: return nullptr;
    }
}

void CEinrichtenDlg::OnChildActivate()
{
    CMyPropertyPage::OnChildActivate();
    // Coming back to this tab does not activate the nested page again, but
    // the parameter page must still bring the device home and drop answers
    // meant for another page.
    if (m_ParameterDlg.IsShownFlag() && GetActiveNestedPage() == &m_ParameterDlg)
        m_ParameterDlg.RunActivation();
    else
        RefreshPage();
}

void CEinrichtenDlg::RefreshPage()
{
    CNestedSheetPage::RefreshPage();
    // The parameter page's send and File items follow its port (the main
    // dialog refreshes the shown tab when the port comes or goes), and a
    // read running when the port went away ends.
    if (GetActiveNestedPage() == &m_ParameterDlg && m_ParameterDlg.IsWindow())
        m_ParameterDlg.RefreshPage();
}

void CEinrichtenDlg::OnShowWindow(BOOL show, UINT status)
{
    CNestedSheetPage::OnShowWindow(show, status);
    // Leaving this tab hides the nested page too, though it is not told.
    if (!show && m_ParameterDlg.IsWindow())
        m_ParameterDlg.AbandonRead();
}
