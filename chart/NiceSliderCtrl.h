// A trackbar whose thumb jumps straight to the mouse and follows it. It
// posts WM_HSCROLL to its notify window (else its parent) with
// wParam = (position << 16) | code: 5 while the thumb follows the mouse,
// 4 once on release when the thumb moved.
#pragma once

#include "platform/Controls.h"

class CNiceSliderCtrl : public CSliderCtrl {
public:
    static constexpr UINT kThumbPosition = 4;
    static constexpr UINT kThumbTrack = 5;

    CNiceSliderCtrl() = default;
    ~CNiceSliderCtrl() override = default;

    void SetNotifyWnd(CWnd* wnd) { m_pNotify = wnd; }

    // min + (max - min) * f + 0.5 truncated, f the point's share of the
    // channel; min for an empty channel.
    static int PositionFromPoint(int x, int channelLeft, int channelRight, int min, int max);

    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;

private:
    bool UpdateFromPoint(CPoint point);
    void Notify(UINT code);

    bool m_bDragging = false;
    bool m_bMoved = false;
    CWnd* m_pNotify = nullptr;
};
