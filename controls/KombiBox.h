// The combo box the measure configuration page attaches its operator lists
// to; it is driven only by the standard CB_ messages.
#pragma once

#include "platform/Controls.h"

class CKombiBox : public CComboBox {
    VX_DECLARE_DYNAMIC(CKombiBox)
public:
    CKombiBox() = default;
};
