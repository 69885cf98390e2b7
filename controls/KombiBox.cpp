#include "controls/KombiBox.h"

VX_IMPLEMENT_DYNAMIC(CKombiBox, CComboBox)
