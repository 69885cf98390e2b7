// An offscreen context for flicker-free painting: drawing goes into a
// bitmap of the paint rectangle, which is copied to the target when the
// scope ends. On a printer there is nothing to flicker; drawing goes
// straight to the target.
#pragma once

#include "platform/Dc.h"
#include "platform/Gdi.h"

class CMemDC : public CDC {
public:
    // Over the target's clip box, narrowed by widthReduction pixels.
    CMemDC(CDC* target, int widthReduction);
    // Over src, copied back to dest.
    CMemDC(CDC* target, const RECT& dest, const RECT& src);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The context to draw on: this one, or the target while printing.
    CDC* GetDC() { return m_bMemory ? static_cast<CDC*>(this) : m_pTarget; }
    bool IsMemory() const { return m_bMemory; }

private:
    void Init(int widthReduction);

    CBitmap m_Bitmap;
    CBitmap* m_pOldBitmap = nullptr;
    CDC* m_pTarget;
    CRect m_Rect;
    CRect m_DestRect;
    bool m_bMemory;
};
