// Static texts, frames and pictures; the font fitting shared with buttons.
#pragma once

#include "ControlWnd.h"

// ---- Static colours ------------------------------------------------------------
// A static text asks its parent for colours before it paints: WM_CTLCOLORSTATIC
// with wParam = a CDC* (SetTextColor/SetBkColor/SetBkMode on it count) and
// lParam = the control; a non-zero result is the CBrush* its background is
// filled with. CDialog turns it into OnCtlColor.
class CBrush;
using HBRUSH = CBrush*;
constexpr UINT CTLCOLOR_STATIC = 6;

class CStatic : public CControlWnd {
    VX_DECLARE_DYNAMIC(CStatic)
public:
    BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF)
    {
        return CreateControl(text, style, rect, parent, id);
    }
    using CWnd::Create;
    // The picture of an SS_BITMAP static.
    void SetImage(const class QImage& image);

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;
    void DoSetText(const CString& text) override;
};

class QWidget;
namespace vx {
// A control whose template allows a smaller font (font=<pixels>) keeps its
// font while its text fits and steps down, a pixel at a time, to that size
// when the text would be cut; the dialog calls it once the control exists,
// and the control whenever its text changes. Other controls are left alone.
void FitTextFont(QWidget* control);
void AllowSmallerFont(QWidget* control, int minimumPixels);
} // namespace vx
