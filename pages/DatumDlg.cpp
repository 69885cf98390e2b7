#include "pages/DatumDlg.h"

VX_IMPLEMENT_DYNAMIC(CDatumDlg, CMyPropertyPage)

CDatumDlg::CDatumDlg() : CMyPropertyPage(IDD, 0) {}

CDatumDlg::~CDatumDlg() = default;
