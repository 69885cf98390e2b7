// Two-thumb slider that selects an interval of doubles inside a full range
// and reports every change with a registered message, sent synchronously:
// wParam 0 = left end changed, 1 = right end, 2 = the interval moved.
#pragma once

#include "platform/Wnd.h"

class CDC;

// The number of "RANGE_CHANGED{2E7439A4-12DB-42a2-BB95-3462B3EC39CE}CRangeSlider".
UINT RangeSliderChangedMessage();

class CRangeSlider : public CWnd {
public:
    static constexpr const char* kClassName = "MFCRangeSlider";

    CRangeSlider();
    ~CRangeSlider() override = default;

    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    using CWnd::Create;
    void SetNotifyWnd(CWnd* wnd) { m_pNotify = wnd; }
    void SetMinMax(double min, double max);
    void SetRange(double left, double right);
    void SetVisualMinMax(double vmin, double vmax);
    // The three above at once: one repaint at most, and none when the
    // picture stays the same.
    void SetAll(double min, double max, double left, double right, double vmin, double vmax);
    void GetRange(double& left, double& right) const;
    void GetMinMax(double& min, double& max) const { min = m_dMin; max = m_dMax; }

    // Geometry of a client width and height: thumb width 3h/4, the pixels
    // that map the full range, and a value's pixel (0 when the range or
    // the length is empty).
    static int ArrowWidth(int height) { return 3 * height / 4; }
    static int PixelOf(double v, double min, double max, int length);
    static double ValueOf(double pixel, double min, double max, int length);

    // Drag and keyboard entry points (the Qt peer's events arrive here).
    void OnPaint() override;
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnKeyDown(UINT nChar, UINT repCnt, UINT flags) override;
    void OnSetFocus(CWnd* old) override;
    void OnKillFocus(CWnd* next) override;
    UINT OnGetDlgCode() override;

    // Paints into dc over a client rectangle (what OnPaint does).
    void PaintTo(CDC* dc, const CRect& client);
    // Key handling with an explicit shift state (tests; OnKeyDown asks
    // the keyboard).
    void HandleKey(UINT nChar, bool shift, bool ctrl);
    bool IsDragging() const { return m_bDragging; }

private:
    void Notify(WPARAM which);
    void NormaliseInterval();
    void NormaliseVisual();
    void Layout();
    // Invalidates only when the picture would differ from the last paint.
    void Repaint();
    struct Picture {
        int width = 0, height = 0, left = 0, right = 0, visualFrom = -1, visualTo = -1, flags = 0;
        bool operator==(const Picture&) const = default;
    };
    Picture PictureOf(const CRect& client) const;

    double m_dMin = 0.0, m_dMax = 1.0;
    double m_dLeft = 0.0, m_dRight = 1.0;
    double m_dVisualMin = 0.0, m_dVisualMax = 0.0;
    int m_nArrowWidth = 10;
    int m_bHorizontal = 1;
    int m_bShowVisual = 0;
    int m_bInverted = 0;
    bool m_bDragging = false;
    int m_nDragTarget = 0;
    CRect m_LeftRect, m_RightRect;
    int m_nLength = 0;
    CPoint m_ClickOffset;
    CWnd* m_pNotify = nullptr;
    bool m_bFocus = false;
    bool m_bPainted = false;
    Picture m_painted;
};
