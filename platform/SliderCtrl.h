#pragma once

#include "ControlWnd.h"

// Scroll codes of trackbars (WM_HSCROLL/WM_VSCROLL, LOWORD(wParam)).
constexpr UINT TB_LINEUP = 0;
constexpr UINT TB_LINEDOWN = 1;
constexpr UINT TB_PAGEUP = 2;
constexpr UINT TB_PAGEDOWN = 3;
constexpr UINT TB_THUMBPOSITION = 4;
constexpr UINT TB_THUMBTRACK = 5;
constexpr UINT TB_TOP = 6;
constexpr UINT TB_BOTTOM = 7;
constexpr UINT TB_ENDTRACK = 8;

constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_SETPOS = WM_USER + 5;
constexpr UINT TBM_SETRANGE = WM_USER + 6;
constexpr UINT TBM_SETRANGEMIN = WM_USER + 7;
constexpr UINT TBM_SETRANGEMAX = WM_USER + 8;
constexpr UINT TBM_GETCHANNELRECT = WM_USER + 26;

// Trackbar. Code that sets the position or range never notifies; the user's
// drag reports TB_THUMBTRACK while moving and TB_THUMBPOSITION at release,
// keys and clicks beside the thumb TB_LINE*/TB_PAGE*, each followed by
// TB_ENDTRACK, all by WM_HSCROLL (WM_VSCROLL for TBS_VERT) to the parent.
class CSliderCtrl : public CControlWnd {
    VX_DECLARE_DYNAMIC(CSliderCtrl)
public:

    void SetRange(int minPos, int maxPos, BOOL redraw = FALSE);
    void SetRangeMin(int minPos, BOOL redraw = FALSE);
    void SetRangeMax(int maxPos, BOOL redraw = FALSE);
    void GetRange(int& minPos, int& maxPos) const;
    int GetRangeMin() const;
    int GetRangeMax() const;
    int GetPos() const;
    void SetPos(int pos);   // clamped to the range
    void SetLineSize(int size);
    // The track the thumb's centre runs along, in client coordinates: the
    // position maps linearly from its left (minimum) to its right (maximum).
    void GetChannelRect(RECT* rect) const;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    void scrollNotify(UINT code);
};
