#include "chart/RangeSlider.h"

#include "chart/MemDC.h"
#include "platform/Dc.h"
#include "platform/Gdi.h"

#include <cmath>
#include <utility>

namespace {

const UINT g_rangeChanged =
    RegisterWindowMessage("RANGE_CHANGED{2E7439A4-12DB-42a2-BB95-3462B3EC39CE}CRangeSlider");

}  // namespace

UINT RangeSliderChangedMessage() { return g_rangeChanged; }

CRangeSlider::CRangeSlider()
{
    // The paint fills the whole client area.
    SetOpaquePaint(true);
}

BOOL CRangeSlider::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kClassName, "", style | WS_CHILD, rect, parent, id);
}

int CRangeSlider::PixelOf(double v, double min, double max, int length)
{
    const double span = max - min;
    if (!(span > 0.0) || length <= 0 || !std::isfinite(v))
        return 0;
    const double p = (v - min) / span * length;
    if (!std::isfinite(p))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(p, -1e9, 1e9)));
}

double CRangeSlider::ValueOf(double pixel, double min, double max, int length)
{
    if (length <= 0)
        return min;
    return min + pixel / length * (max - min);
}

void CRangeSlider::Notify(WPARAM which)
{
    CWnd* target = m_pNotify ? m_pNotify : GetParent();
    if (target)
        target->SendMessage(g_rangeChanged, which, 0);
}

void CRangeSlider::NormaliseInterval()
{
    // One message per correction, sent as it happens.
    if (m_dMin > m_dLeft) {
        m_dLeft = m_dMin;
        Notify(0);
        if (m_dLeft > m_dRight) {
            m_dRight = m_dLeft;
            Notify(1);
        }
    }
    if (m_dRight > m_dMax) {
        m_dRight = m_dMax;
        Notify(1);
        if (m_dRight < m_dLeft) {
            m_dLeft = m_dRight;
            Notify(0);
        }
    }
}

void CRangeSlider::NormaliseVisual()
{
    if (m_dVisualMin > m_dVisualMax)
        std::swap(m_dVisualMin, m_dVisualMax);
    if (m_dVisualMin < m_dMin) {
        m_dVisualMin = m_dMin;
        if (m_dVisualMin > m_dVisualMax)
            m_dVisualMax = m_dVisualMin;
    }
    if (m_dVisualMax > m_dMax) {
        m_dVisualMax = m_dMax;
        if (m_dVisualMax < m_dVisualMin)
            m_dVisualMin = m_dVisualMax;
    }
}

CRangeSlider::Picture CRangeSlider::PictureOf(const CRect& client) const
{
    // Everything the paint derives from the values, in pixels: values that
    // move without moving a pixel (a following window slides its whole
    // range along with the interval) leave the picture as it is.
    const int h = client.Height();
    const int aw = ArrowWidth(h);
    const int length = client.Width() - 2 * aw;
    Picture p;
    p.width = client.Width();
    p.height = h;
    p.left = PixelOf(m_dLeft, m_dMin, m_dMax, length);
    p.right = PixelOf(m_dRight, m_dMin, m_dMax, length);
    if (m_bShowVisual && m_dVisualMax > m_dLeft && m_dVisualMin < m_dRight) {
        p.visualFrom = PixelOf(std::max(m_dVisualMin, m_dLeft), m_dMin, m_dMax, length);
        p.visualTo = PixelOf(std::min(m_dVisualMax, m_dRight), m_dMin, m_dMax, length);
    }
    p.flags = (m_bFocus ? 1 : 0) | (m_bDragging ? 2 : 0) | (m_nDragTarget << 2);
    return p;
}

void CRangeSlider::Repaint()
{
    if (!IsWindow())
        return;
    if (m_bPainted) {
        CRect client;
        GetClientRect(&client);
        if (PictureOf(client) == m_painted)
            return;
    }
    Invalidate(FALSE);
}

void CRangeSlider::SetMinMax(double min, double max)
{
    if (max < min)
        std::swap(min, max);
    m_dMin = min;
    m_dMax = max;
    NormaliseInterval();
    Repaint();
}

void CRangeSlider::SetRange(double left, double right)
{
    m_dLeft = left;
    m_dRight = right;
    NormaliseInterval();
    Repaint();
}

void CRangeSlider::SetVisualMinMax(double vmin, double vmax)
{
    m_dVisualMin = vmin;
    m_dVisualMax = vmax;
    NormaliseVisual();
    Repaint();
}

void CRangeSlider::SetAll(double min, double max, double left, double right, double vmin, double vmax)
{
    if (max < min)
        std::swap(min, max);
    m_dMin = min;
    m_dMax = max;
    m_dLeft = left;
    m_dRight = right;
    NormaliseInterval();
    m_dVisualMin = vmin;
    m_dVisualMax = vmax;
    NormaliseVisual();
    Repaint();
}

void CRangeSlider::GetRange(double& left, double& right) const
{
    left = m_dLeft;
    right = m_dRight;
}

void CRangeSlider::Layout()
{
    CRect client;
    if (IsWindow())
        GetClientRect(&client);
    const int h = client.Height();
    m_nArrowWidth = ArrowWidth(h);
    m_nLength = client.Width() - 2 * m_nArrowWidth;
    const int aw = m_nArrowWidth;
    const int L = PixelOf(m_dLeft, m_dMin, m_dMax, m_nLength);
    const int R = PixelOf(m_dRight, m_dMin, m_dMax, m_nLength);
    m_LeftRect.SetRect(L, 0, L + aw, h);
    m_RightRect.SetRect(aw + R, 0, aw + R + aw, h);
}

void CRangeSlider::PaintTo(CDC* dc, const CRect& client)
{
    const int h = client.Height();
    m_nArrowWidth = ArrowWidth(h);
    m_nLength = client.Width() - 2 * m_nArrowWidth;
    const int aw = m_nArrowWidth;
    dc->FillSolidRect(&client, GetSysColor(COLOR_3DFACE));
    const int L = PixelOf(m_dLeft, m_dMin, m_dMax, m_nLength);
    const int R = PixelOf(m_dRight, m_dMin, m_dMax, m_nLength);
    m_LeftRect.SetRect(L, 0, L + aw, h);
    m_RightRect.SetRect(aw + R, 0, aw + R + aw, h);

    auto thumb = [&](const CRect& r, bool raised, bool pointsRight) {
        CGdiObject* oldBrush = dc->SelectStockObject(GRAY_BRUSH);
        CGdiObject* oldPen = dc->SelectStockObject(BLACK_PEN);
        dc->Rectangle(&r);
        if (raised) {
            CRect e(r.left + 1, r.top + 1, r.right - 2, r.bottom - 2);
            CPen light(PS_SOLID, 1, GetSysColor(COLOR_3DHILIGHT));
            CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
            dc->SelectObject(&light);
            dc->MoveTo(e.left, e.bottom);
            dc->LineTo(e.left, e.top);
            dc->LineTo(e.right, e.top);
            dc->SelectObject(&shadow);
            dc->LineTo(e.right, e.bottom);
            dc->LineTo(e.left, e.bottom);
            dc->SelectStockObject(BLACK_PEN);
        }
        dc->SelectStockObject(BLACK_BRUSH);
        POINT tri[3];
        if (pointsRight) {
            tri[0] = POINT{r.left + aw / 3, h / 3};
            tri[1] = POINT{r.left + aw / 3, 2 * h / 3};
            tri[2] = POINT{r.left + 2 * aw / 3, h / 2};
        } else {
            tri[0] = POINT{r.left + 2 * aw / 3, h / 3};
            tri[1] = POINT{r.left + 2 * aw / 3, 2 * h / 3};
            tri[2] = POINT{r.left + aw / 3, h / 2};
        }
        dc->Polygon(tri, 3);
        if (oldBrush)
            dc->SelectObject(static_cast<CBrush*>(oldBrush));
        if (oldPen)
            dc->SelectObject(static_cast<CPen*>(oldPen));
    };
    thumb(m_LeftRect, !(m_bDragging && m_nDragTarget == 0), true);
    thumb(m_RightRect, !(m_bDragging && m_nDragTarget == 1), false);
    const CRect interval(aw + L + 1, 1, aw + R, h - 1);
    if (!interval.IsRectEmpty())
        dc->FillSolidRect(&interval, RGB(255, 255, 255));
    if (m_bShowVisual && m_dVisualMax > m_dLeft && m_dVisualMin < m_dRight) {
        const int a = aw + PixelOf(std::max(m_dVisualMin, m_dLeft), m_dMin, m_dMax, m_nLength);
        const int b = aw + PixelOf(std::min(m_dVisualMax, m_dRight), m_dMin, m_dMax, m_nLength);
        const CRect v(a, 1, b, h - 1);
        dc->FillSolidRect(&v, 0x96FFFF);
    }
    if (m_bFocus) {
        CRect f = client;
        f.DeflateRect(3, 3);
        dc->DrawFocusRect(&f);
    }
}

void CRangeSlider::OnPaint()
{
    CPaintDC pdc(this);
    CRect client;
    GetClientRect(&client);
    CMemDC mem(&pdc, 0);
    PaintTo(mem.GetDC(), client);
    m_painted = PictureOf(client);
    m_bPainted = true;
}

void CRangeSlider::OnLButtonDown(UINT flags, CPoint point)
{
    SetFocus();
    Repaint();
    if (!m_bDragging) {
        Layout();
        const int aw = m_nArrowWidth;
        CRect interval(m_LeftRect.right, 0, m_RightRect.left, m_LeftRect.bottom);
        int target = -1;
        CPoint topLeft;
        if (m_LeftRect.PtInRect(point)) {
            target = 0;
            topLeft = m_LeftRect.TopLeft();
        } else if (m_RightRect.PtInRect(point)) {
            target = 1;
            topLeft = m_RightRect.TopLeft();
        } else if (interval.PtInRect(point)) {
            target = 2;
            topLeft = interval.TopLeft();
        }
        (void)aw;
        if (target >= 0) {
            m_bDragging = true;
            m_nDragTarget = target;
            m_ClickOffset = CPoint(point.x - topLeft.x, point.y - topLeft.y);
            if (IsWindow())
                SetCapture();
            Repaint();  // the grabbed thumb looks pressed
        }
    }
    CWnd::OnLButtonDown(flags, point);
}

void CRangeSlider::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_bDragging) {
        CWnd::OnMouseMove(flags, point);
        return;
    }
    if (m_nLength <= 0 || !(m_dMax > m_dMin))
        return;
    const int aw = m_nArrowWidth;
    const double p = point.x - m_ClickOffset.x;
    // The grabbed point stays under the mouse: an element's top left maps
    // back to the value it was drawn from.
    switch (m_nDragTarget) {
    case 0:
        m_dLeft = ValueOf(p, m_dMin, m_dMax, m_nLength);
        if (m_dLeft > m_dRight)
            m_dLeft = m_dRight;
        if (m_dLeft < m_dMin)
            m_dLeft = m_dMin;
        Notify(0);
        break;
    case 1: {
        const double old = m_dRight;
        m_dRight = ValueOf(p - aw, m_dMin, m_dMax, m_nLength);
        if (m_dRight < m_dLeft)
            m_dRight = m_dLeft;
        if (m_dRight > m_dMax)
            m_dRight = m_dMax;
        Notify(m_dRight != old ? 1 : 0);
        break;
    }
    default: {
        const double width = m_dRight - m_dLeft;
        m_dLeft = ValueOf(p - aw, m_dMin, m_dMax, m_nLength);
        m_dRight = m_dLeft + width;
        if (m_dLeft <= m_dMin) {
            m_dLeft = m_dMin;
            m_dRight = m_dLeft + width;
        }
        if (m_dRight > m_dMax) {
            m_dRight = m_dMax;
            m_dLeft = m_dRight - width;
        }
        Notify(2);
        break;
    }
    }
    Repaint();
}

void CRangeSlider::OnLButtonUp(UINT flags, CPoint point)
{
    if (m_bDragging) {
        m_bDragging = false;
        ReleaseCapture();
        Repaint();
    }
    CWnd::OnLButtonUp(flags, point);
}

void CRangeSlider::HandleKey(UINT nChar, bool shift, bool ctrl)
{
    if (ctrl || (nChar != VK_LEFT && nChar != VK_RIGHT))
        return;
    Layout();
    if (m_nLength <= 0)
        return;
    const double step = (m_dMax - m_dMin) / m_nLength;
    if (!(step != 0.0) || !std::isfinite(step))
        return;
    long long l = static_cast<long long>((m_dLeft - m_dMin) / step + 0.5);
    long long r = static_cast<long long>((m_dRight - m_dMin) / step + 0.5);
    const int d = nChar == VK_RIGHT ? 1 : -1;
    r += d;
    if (!shift)
        l += d;
    if (l >= 0 && r <= m_nLength) {
        m_dLeft = l * step + m_dMin;
        m_dRight = r * step + m_dMin;
    }
    Notify(shift ? 1 : 2);
    Repaint();
}

void CRangeSlider::OnKeyDown(UINT nChar, UINT repCnt, UINT flags)
{
    HandleKey(nChar, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
    CWnd::OnKeyDown(nChar, repCnt, flags);
}

void CRangeSlider::OnSetFocus(CWnd* old)
{
    m_bFocus = true;
    Repaint();
    CWnd::OnSetFocus(old);
}

void CRangeSlider::OnKillFocus(CWnd* next)
{
    m_bFocus = false;
    Repaint();
    CWnd::OnKillFocus(next);
}

UINT CRangeSlider::OnGetDlgCode() { return 0x0001; /* wants the arrow keys */ }
