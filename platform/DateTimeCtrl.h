#pragma once

#include "ControlWnd.h"
#include "DateTime.h"

constexpr UINT DTN_DATETIMECHANGE = static_cast<UINT>(-759);

// Date picker (default) or time picker (DTS_TIMEFORMAT). User changes raise
// DTN_DATETIMECHANGE; SetTime does not.
class CDateTimeCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CDateTimeCtrl)
public:
    BOOL SetTime(const COleDateTime& time);
    DWORD GetTime(COleDateTime& time) const;   // GDT_VALID (0) or GDT_NONE (1)
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
};
constexpr DWORD GDT_VALID = 0;
constexpr DWORD GDT_NONE = 1;
