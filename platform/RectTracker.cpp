#include "platform/RectTracker.h"

#include "platform/Dc.h"
#include "platform/Gdi.h"
#include "platform/Wnd.h"

#include <algorithm>

namespace {

CRect Normalised(const CRect& r)
{
    CRect n = r;
    n.NormalizeRect();
    return n;
}

} // namespace

void CRectTracker::GetTrueRect(RECT* rect) const
{
    if (!rect)
        return;
    CRect r = Normalised(m_rect);
    int grow = 0;
    if (m_nStyle & (resizeOutside | hatchedBorder))
        grow = m_nHandleSize - 1;
    r.InflateRect(grow, grow);
    *rect = r;
}

CRect CRectTracker::GetHandleRect(int hit) const
{
    const CRect r = Normalised(m_rect);
    const int s = m_nHandleSize;
    // Outside handles sit just beyond the rectangle, inside ones within it.
    const int out = (m_nStyle & resizeOutside) ? s - 1 : 0;
    const int in = (m_nStyle & resizeOutside) ? 0 : s - 1;
    const int midX = r.left + (r.Width() - s) / 2;
    const int midY = r.top + (r.Height() - s) / 2;
    const int left = r.left - out;
    const int right = r.right - 1 - in;
    const int top = r.top - out;
    const int bottom = r.bottom - 1 - in;
    switch (hit) {
    case hitTopLeft: return CRect(left, top, left + s, top + s);
    case hitTopRight: return CRect(right, top, right + s, top + s);
    case hitBottomRight: return CRect(right, bottom, right + s, bottom + s);
    case hitBottomLeft: return CRect(left, bottom, left + s, bottom + s);
    case hitTop: return CRect(midX, top, midX + s, top + s);
    case hitRight: return CRect(right, midY, right + s, midY + s);
    case hitBottom: return CRect(midX, bottom, midX + s, bottom + s);
    case hitLeft: return CRect(left, midY, left + s, midY + s);
    default: return CRect();
    }
}

void CRectTracker::Draw(CDC* dc) const
{
    if (!dc)
        return;
    const CRect r = Normalised(m_rect);
    const int saved = dc->SaveDC();
    dc->SetBkMode(OPAQUE);
    if (m_nStyle & (dottedLine | solidLine)) {
        CPen pen(m_nStyle & dottedLine ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0));
        dc->SelectStockObject(NULL_BRUSH);
        dc->SelectObject(&pen);
        dc->SetBkColor(RGB(255, 255, 255));
        CRect frame = r;
        frame.InflateRect(1, 1);
        dc->Rectangle(&frame);
    }
    if (m_nStyle & (hatchInside | hatchedBorder)) {
        CBrush hatch(HS_BDIAGONAL, RGB(0, 0, 0));
        dc->SetBkMode(TRANSPARENT);
        if (m_nStyle & hatchInside) {
            dc->FillRect(&r, &hatch);
        } else {
            CRect outer = r;
            const int g = m_nHandleSize - 1;
            outer.InflateRect(g, g);
            const CRect bands[4] = {CRect(outer.left, outer.top, outer.right, r.top),
                                    CRect(outer.left, r.bottom, outer.right, outer.bottom),
                                    CRect(outer.left, r.top, r.left, r.bottom),
                                    CRect(r.right, r.top, outer.right, r.bottom)};
            for (const CRect& b : bands)
                dc->FillRect(&b, &hatch);
        }
    }
    if (m_nStyle & (resizeInside | resizeOutside)) {
        for (int h = hitTopLeft; h <= hitLeft; ++h) {
            const CRect hr = GetHandleRect(h);
            dc->FillSolidRect(&hr, RGB(0, 0, 0));
        }
    }
    dc->RestoreDC(saved);
}

int CRectTracker::HitTest(POINT p) const
{
    if (m_nStyle & (resizeInside | resizeOutside))
        for (int h = hitTopLeft; h <= hitLeft; ++h)
            if (GetHandleRect(h).PtInRect(p))
                return h;
    CRect whole;
    GetTrueRect(&whole);
    if (whole.PtInRect(p))
        return hitMiddle;
    return hitNothing;
}

bool CRectTracker::BeginTrack(POINT p)
{
    const int hit = HitTest(p);
    if (hit == hitNothing)
        return false;
    m_hit = hit;
    m_start = CPoint(p.x, p.y);
    m_startRect = Normalised(m_rect);
    return true;
}

bool CRectTracker::TrackMove(POINT p)
{
    if (m_hit == hitNothing)
        return false;
    const int dx = p.x - m_start.x;
    const int dy = p.y - m_start.y;
    CRect r = m_startRect;
    switch (m_hit) {
    case hitMiddle: r.OffsetRect(dx, dy); break;
    case hitTopLeft: r.left += dx; r.top += dy; break;
    case hitTopRight: r.right += dx; r.top += dy; break;
    case hitBottomRight: r.right += dx; r.bottom += dy; break;
    case hitBottomLeft: r.left += dx; r.bottom += dy; break;
    case hitTop: r.top += dy; break;
    case hitRight: r.right += dx; break;
    case hitBottom: r.bottom += dy; break;
    case hitLeft: r.left += dx; break;
    default: break;
    }
    // Resizing keeps the minimum size, on the side that was grabbed.
    if (r.Width() < m_sizeMin.cx) {
        if (m_hit == hitTopLeft || m_hit == hitBottomLeft || m_hit == hitLeft)
            r.left = r.right - m_sizeMin.cx;
        else
            r.right = r.left + m_sizeMin.cx;
    }
    if (r.Height() < m_sizeMin.cy) {
        if (m_hit == hitTopLeft || m_hit == hitTopRight || m_hit == hitTop)
            r.top = r.bottom - m_sizeMin.cy;
        else
            r.bottom = r.top + m_sizeMin.cy;
    }
    const bool changed = !(r == m_rect);
    m_rect = r;
    return changed;
}

bool CRectTracker::EndTrack(POINT p)
{
    if (m_hit == hitNothing)
        return false;
    TrackMove(p);
    m_hit = hitNothing;
    return !(Normalised(m_rect) == m_startRect);
}

void CRectTracker::CancelTrack()
{
    if (m_hit == hitNothing)
        return;
    m_rect = m_startRect;
    m_hit = hitNothing;
}
