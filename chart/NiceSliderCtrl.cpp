#include "chart/NiceSliderCtrl.h"

#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

BOOL CNiceSliderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("msctls_trackbar32", "", style | WS_CHILD, rect, parent, id);
}

QWidget* CNiceSliderCtrl::CreatePeer(QWidget* qtParent)
{
    m_pSlider = new QSlider(Qt::Horizontal, qtParent);
    m_pSlider->setRange(m_nMin, m_nMax);
    m_pSlider->setValue(m_nPos);
    return m_pSlider;
}

void CNiceSliderCtrl::SetRange(int min, int max, BOOL)
{
    m_nMin = min;
    m_nMax = max;
    m_nPos = std::clamp(m_nPos, std::min(min, max), std::max(min, max));
    if (m_pSlider)
        m_pSlider->setRange(min, max);
}

void CNiceSliderCtrl::SetPos(int pos)
{
    m_nPos = std::clamp(pos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    if (m_pSlider)
        m_pSlider->setValue(m_nPos);
}

CRect CNiceSliderCtrl::GetChannelRect() const
{
    if (!m_pSlider) {
        CRect client;
        if (IsWindow())
            GetClientRect(&client);
        return client;
    }
    QStyleOptionSlider opt;
    opt.initFrom(m_pSlider);
    opt.orientation = Qt::Horizontal;
    opt.minimum = m_nMin;
    opt.maximum = m_nMax;
    opt.sliderPosition = m_nPos;
    const QRect r = m_pSlider->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, m_pSlider);
    return CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
}

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
    const CRect ch = GetChannelRect();
    int pos = PositionFromPoint(point.x, ch.left, ch.right, m_nMin, m_nMax);
    pos = std::clamp(pos, std::min(m_nMin, m_nMax), std::max(m_nMin, m_nMax));
    if (pos == m_nPos)
        return false;
    SetPos(pos);
    return true;
}

void CNiceSliderCtrl::Notify(UINT code)
{
    CWnd* target = m_pNotify ? m_pNotify : GetParent();
    if (target)
        target->PostMessage(WM_HSCROLL, (static_cast<WPARAM>(m_nPos) << 16) | code,
                            reinterpret_cast<LPARAM>(this));
}

void CNiceSliderCtrl::OnLButtonDown(UINT, CPoint point)
{
    m_bDragging = true;
    m_bMoved = false;
    if (IsWindow()) {
        SetCapture();
        SetFocus();
    }
    if (UpdateFromPoint(point)) {
        m_bMoved = true;
        Notify(kThumbTrack);
    }
}

void CNiceSliderCtrl::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bDragging) {
        CWnd::OnMouseMove(flags, point);
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
        CWnd::OnLButtonUp(flags, point);
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
