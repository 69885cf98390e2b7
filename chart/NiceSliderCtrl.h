// A trackbar whose thumb jumps straight to the mouse and follows it. It
// posts WM_HSCROLL to its notify window (else its parent) with
// wParam = (position << 16) | code: 5 while the thumb follows the mouse,
// 4 once on release when the thumb moved.
#pragma once

#include "platform/Wnd.h"

class QSlider;

class CNiceSliderCtrl : public CWnd {
public:
    static constexpr UINT kThumbPosition = 4;
    static constexpr UINT kThumbTrack = 5;

    CNiceSliderCtrl() = default;
    ~CNiceSliderCtrl() override = default;

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    void SetNotifyWnd(CWnd* wnd) { m_pNotify = wnd; }
    void SetRange(int min, int max, BOOL redraw = FALSE);
    void GetRange(int& min, int& max) const { min = m_nMin; max = m_nMax; }
    void SetPos(int pos);
    int GetPos() const { return m_nPos; }
    // The channel (groove) in client coordinates.
    CRect GetChannelRect() const;

    // min + (max - min) * f + 0.5 truncated, f the point's share of the
    // channel; min for an empty channel.
    static int PositionFromPoint(int x, int channelLeft, int channelRight, int min, int max);

    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;

protected:
    QWidget* CreatePeer(QWidget* qtParent) override;

private:
    bool UpdateFromPoint(CPoint point);
    void Notify(UINT code);

    bool m_bDragging = false;
    bool m_bMoved = false;
    CWnd* m_pNotify = nullptr;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nPos = 0;
    QSlider* m_pSlider = nullptr;
};
