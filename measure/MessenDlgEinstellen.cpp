#include "measure/MessenDlgEinstellen.h"

VX_IMPLEMENT_DYNAMIC(CMessenDlgEinstellen, CMyPropertyPage)

CMessenDlgEinstellen::CMessenDlgEinstellen() : CMyPropertyPage(IDD, 0) {}

CMessenDlgEinstellen::~CMessenDlgEinstellen() = default;
