#include "chart/NiceSliderCtrl.h"

#include <algorithm>
#include <cmath>

int CNiceSliderCtrl::PositionFromPoint(int x, int channelLeft, int channelRight, int min, int max)
{
    if (channelRight <= channelLeft)
        return min;
    const double f = double(x - channelLeft) / double(channelRight - channelLeft);
    const double pos = min + double(max - min) * f + 0.5;
    return static_cast<int>(std::trunc(std::clamp(pos, -2e9, 2e9)));
}

bool CNiceSliderCtrl::UpdateFromPoint(CPoint point)
{
    CRect ch;
    GetChannelRect(&ch);
    int min, max;
    GetRange(min, max);
    const int pos = PositionFromPoint(point.x, ch.left, ch.right, min, max);
    const int old = GetPos();
    SetPos(pos);  // clamped to the range
    return GetPos() != old;
}

void CNiceSliderCtrl::Notify(UINT code)
{
    CWnd* target = m_pNotify ? m_pNotify : GetParent();
    if (target)
        target->PostMessage(WM_HSCROLL, (static_cast<WPARAM>(GetPos()) << 16) | code,
                            reinterpret_cast<LPARAM>(this));
}

// The trackbar's own click handling is not called: a click does not page
// towards the mouse, the thumb goes there.
void CNiceSliderCtrl::OnLButtonDown(UINT, CPoint point)
{
    m_bDragging = true;
    m_bMoved = false;
    SetCapture();
    SetFocus();
    if (UpdateFromPoint(point)) {
        m_bMoved = true;
        Notify(kThumbTrack);
    }
}

void CNiceSliderCtrl::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bDragging) {
        CSliderCtrl::OnMouseMove(flags, point);
        return;
    }
    if (UpdateFromPoint(point)) {
        m_bMoved = true;
        Notify(kThumbTrack);
    }
}

void CNiceSliderCtrl::OnLButtonUp(UINT flags, CPoint point)
{
    if (!m_bDragging) {
        CSliderCtrl::OnLButtonUp(flags, point);
        return;
    }
    m_bDragging = false;
    ReleaseCapture();
    if (UpdateFromPoint(point)) {
        Notify(kThumbTrack);
        m_bMoved = true;
    }
    if (m_bMoved) {
        Notify(kThumbPosition);
        m_bMoved = false;
    }
}
