#include "pages/SteuernDlg.h"

VX_IMPLEMENT_DYNAMIC(CSteuernDlg, CMyPropertyPage)

CSteuernDlg::CSteuernDlg() : CMyPropertyPage(IDD, 0) {}

CSteuernDlg::~CSteuernDlg() = default;
