#include "SliderCtrl.h"
#include "ControlsImpl.h"

#include <QSlider>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cstdint>

VX_IMPLEMENT_DYNAMIC(CSliderCtrl, CControlWnd)

using vx::ctldetail::CodeScope;

class VxSlider : public QSlider {
public:
    using QSlider::QSlider;
    QStyleOptionSlider Option() const
    {
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        return opt;
    }
    bool m_dragMoved = false;
};

namespace {
VxSlider* Slider(const CWnd* w) { return dynamic_cast<VxSlider*>(w->GetPeer()); }
} // namespace

QWidget* CSliderCtrl::CreatePeer(QWidget* qtParent)
{
    const bool vertical = (GetStyle() & TBS_VERT) != 0;
    auto* s = new VxSlider(vertical ? Qt::Vertical : Qt::Horizontal, qtParent);
    s->setRange(0, 100);
    s->setPageStep(20);   // a fifth of the default range, as trackbars page
    s->setSingleStep(1);
    if (vertical)
        s->setInvertedAppearance(true);   // the minimum is at the top
    const DWORD st = GetStyle();
    if (st & TBS_NOTICKS)
        s->setTickPosition(QSlider::NoTicks);
    else if (st & TBS_BOTH)
        s->setTickPosition(QSlider::TicksBothSides);
    else if (st & TBS_AUTOTICKS)
        s->setTickPosition(vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    QObject::connect(s, &QSlider::sliderPressed, Ctx(), [s] { s->m_dragMoved = false; });
    QObject::connect(s, &QSlider::sliderMoved, Ctx(), [this, s](int) {
        if (m_settingFromCode)
            return;
        s->m_dragMoved = true;
        scrollNotify(TB_THUMBTRACK);
    });
    QObject::connect(s, &QSlider::sliderReleased, Ctx(), [this, s] {
        if (s->m_dragMoved)
            scrollNotify(TB_THUMBPOSITION);
        s->m_dragMoved = false;
        scrollNotify(TB_ENDTRACK);
    });
    QObject::connect(s, &QSlider::actionTriggered, Ctx(), [this](int action) {
        if (m_settingFromCode)
            return;
        UINT code = 0;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: code = TB_LINEDOWN; break;
        case QAbstractSlider::SliderSingleStepSub: code = TB_LINEUP; break;
        case QAbstractSlider::SliderPageStepAdd: code = TB_PAGEDOWN; break;
        case QAbstractSlider::SliderPageStepSub: code = TB_PAGEUP; break;
        case QAbstractSlider::SliderToMinimum: code = TB_TOP; break;
        case QAbstractSlider::SliderToMaximum: code = TB_BOTTOM; break;
        default: return;
        }
        scrollNotify(code);
        scrollNotify(TB_ENDTRACK);
    });
    return s;
}

void CSliderCtrl::scrollNotify(UINT code)
{
    CWnd* parent = GetParent();
    if (!parent)
        return;
    const UINT pos = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<UINT>(GetPos()) : 0;
    parent->SendMessage((GetStyle() & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL,
                        (static_cast<WPARAM>(pos & 0xFFFF) << 16) | code, reinterpret_cast<LPARAM>(this));
}

void CSliderCtrl::SetRange(int minPos, int maxPos, BOOL)
{
    if (VxSlider* s = Slider(this)) {
        CodeScope scope(m_settingFromCode);
        s->setRange(minPos, std::max(minPos, maxPos));
    }
}

void CSliderCtrl::SetRangeMin(int minPos, BOOL redraw) { SetRange(minPos, GetRangeMax(), redraw); }
void CSliderCtrl::SetRangeMax(int maxPos, BOOL redraw) { SetRange(GetRangeMin(), maxPos, redraw); }

void CSliderCtrl::GetRange(int& minPos, int& maxPos) const
{
    minPos = GetRangeMin();
    maxPos = GetRangeMax();
}

int CSliderCtrl::GetRangeMin() const
{
    VxSlider* s = Slider(this);
    return s ? s->minimum() : 0;
}

int CSliderCtrl::GetRangeMax() const
{
    VxSlider* s = Slider(this);
    return s ? s->maximum() : 0;
}

int CSliderCtrl::GetPos() const
{
    // sliderPosition is already the new place while a move is reported.
    VxSlider* s = Slider(this);
    return s ? s->sliderPosition() : 0;
}

void CSliderCtrl::SetPos(int pos)
{
    if (VxSlider* s = Slider(this)) {
        CodeScope scope(m_settingFromCode);
        s->setValue(pos);
    }
}

void CSliderCtrl::SetLineSize(int size)
{
    if (VxSlider* s = Slider(this))
        s->setSingleStep(size);
}

void CSliderCtrl::GetChannelRect(RECT* rect) const
{
    VxSlider* s = Slider(this);
    if (!rect)
        return;
    if (!s) {
        *rect = CRect();
        return;
    }
    const QStyleOptionSlider opt = s->Option();
    const QRect groove = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, s);
    const QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s);
    CRect r(groove.left(), groove.top(), groove.right() + 1, groove.bottom() + 1);
    if (s->orientation() == Qt::Horizontal) {
        r.left += handle.width() / 2;
        r.right -= handle.width() - handle.width() / 2;
    } else {
        r.top += handle.height() / 2;
        r.bottom -= handle.height() - handle.height() / 2;
    }
    *rect = r;
}

LRESULT CSliderCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case TBM_GETPOS:
        return GetPos();
    case TBM_SETPOS:
        SetPos(static_cast<int>(lParam));
        return 0;
    case TBM_GETRANGEMIN:
        return GetRangeMin();
    case TBM_GETRANGEMAX:
        return GetRangeMax();
    case TBM_SETRANGE:
        SetRange(static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))),
                 static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lParam))));
        return 0;
    case TBM_SETRANGEMIN:
        SetRangeMin(static_cast<int>(lParam));
        return 0;
    case TBM_SETRANGEMAX:
        SetRangeMax(static_cast<int>(lParam));
        return 0;
    case TBM_GETCHANNELRECT:
        GetChannelRect(reinterpret_cast<RECT*>(lParam));
        return 0;
    default:
        return CControlWnd::WindowProc(msg, wParam, lParam);
    }
}
