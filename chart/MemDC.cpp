#include "chart/MemDC.h"

#include <algorithm>

CMemDC::CMemDC(CDC* target, int widthReduction) : m_pTarget(target), m_bMemory(!target->IsPrinting())
{
    target->GetClipBox(&m_Rect);
    Init(widthReduction);
}

CMemDC::CMemDC(CDC* target, const RECT& dest, const RECT& src)
    : m_pTarget(target), m_Rect(src), m_DestRect(dest), m_bMemory(!target->IsPrinting())
{
    Init(0);
}

void CMemDC::Init(int widthReduction)
{
    if (!m_bMemory)
        return;
    CreateCompatibleDC(m_pTarget);
    const int w = std::max(1, m_Rect.Width() - widthReduction);
    const int h = std::max(1, m_Rect.Height());
    m_Bitmap.CreateCompatibleBitmap(m_pTarget, w, h);
    m_pOldBitmap = SelectObject(&m_Bitmap);
    SetWindowOrg(m_Rect.left, m_Rect.top);
    const CRect fill(m_Rect.left, m_Rect.top, m_Rect.left + w, m_Rect.top + h);
    FillSolidRect(&fill, m_pTarget->GetBkColor());
}

CMemDC::~CMemDC()
{
    if (!m_bMemory)
        return;
    const CRect& to = m_DestRect.IsRectEmpty() ? m_Rect : m_DestRect;
    m_pTarget->BitBlt(to.left, to.top, to.Width(), to.Height(), this, m_Rect.left, m_Rect.top, SRCCOPY);
    if (m_pOldBitmap)
        SelectObject(m_pOldBitmap);
}
