// Dialog data exchange: DoDataExchange lists one DDX_ call per control
// value and DDV_ checks after it; UpdateData(FALSE) writes the values into
// the controls, UpdateData(TRUE) reads them back and validates. A failed
// read or check tells the user (message box through the modal seam), puts
// the focus on the control and makes UpdateData return FALSE.
#pragma once

#include "CString.h"
#include "Types.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    // The control the following DDV_ checks refer to.
    CWnd* PrepareCtrl(int id);
    CWnd* PrepareEditCtrl(int id);
    // Tells UpdateData that a value was refused; does not return.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

namespace vx {
// What Fail throws; UpdateData catches it.
struct DataExchangeFailure {};
} // namespace vx

// Binds a member window to the template's control (once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, short& value);
void DDX_Text(CDataExchange* dx, int id, BYTE& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);

// Check box: 0, 1 (2 for three-state boxes).
void DDX_Check(CDataExchange* dx, int id, int& value);
// Radio group starting at id: the index of the checked button in the
// group's order, -1 when none.
void DDX_Radio(CDataExchange* dx, int id, int& value);
// Combo box selection index (-1: none).
void DDX_CBIndex(CDataExchange* dx, int id, int& value);

void DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal);
// On save: refuses longer texts; on load: limits typing in the edit.
void DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);
