#include "pages/DatenloggerDlg.h"

VX_IMPLEMENT_DYNAMIC(CDatenloggerDlg, CMyPropertyPage)

CDatenloggerDlg::CDatenloggerDlg() : CMyPropertyPage(IDD, 0) {}

CDatenloggerDlg::~CDatenloggerDlg() = default;
