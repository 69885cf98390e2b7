#include "pages/ParameterDlg.h"

VX_IMPLEMENT_DYNAMIC(CParameterDlg, CMyPropertyPage)

CParameterDlg::CParameterDlg() : CMyPropertyPage(IDD, 0) {}

CParameterDlg::~CParameterDlg() = default;
