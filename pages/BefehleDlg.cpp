#include "pages/BefehleDlg.h"

VX_IMPLEMENT_DYNAMIC(CBefehleDlg, CMyPropertyPage)

CBefehleDlg::CBefehleDlg() : CMyPropertyPage(IDD, 0) {}

CBefehleDlg::~CBefehleDlg() = default;
