// The standard controls on Qt widgets, with the messages and notifications
// the program's dialogs expect. A control reports to its parent with
// WM_COMMAND (MAKEWPARAM(id, code), lParam = the control) or WM_NOTIFY
// (lParam = NMHDR*); trackbars and up-downs with WM_HSCROLL/WM_VSCROLL.
// Notifications come from the user's actions; setting a value from code
// does not notify, except that an edit's text always raises EN_CHANGE.
#pragma once

#include "Button.h"
#include "ComboBox.h"
#include "ControlWnd.h"
#include "DateTimeCtrl.h"
#include "Edit.h"
#include "ListBox.h"
#include "SliderCtrl.h"
#include "SpinButtonCtrl.h"
#include "Static.h"
#include "TabCtrl.h"
#include "ToolTipCtrl.h"
