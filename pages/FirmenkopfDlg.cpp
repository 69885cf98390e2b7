#include "pages/FirmenkopfDlg.h"

VX_IMPLEMENT_DYNAMIC(CFirmenkopfDlg, CMyPropertyPage)

CFirmenkopfDlg::CFirmenkopfDlg() : CMyPropertyPage(IDD, 0) {}

CFirmenkopfDlg::~CFirmenkopfDlg() = default;
