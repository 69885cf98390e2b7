#include "chart/ColorGridModel.h"

#include <algorithm>

namespace ColorGrid {

namespace {

const Entry kTable[kCount] = {
    {RGB(0, 0, 0), "Black"},
    {RGB(165, 42, 0), "Brown"},
    {RGB(0, 64, 64), "Dark Olive Green"},
    {RGB(0, 85, 0), "Dark Green"},
    {RGB(0, 0, 94), "Dark Teal"},
    {RGB(0, 0, 139), "Dark blue"},
    {RGB(75, 0, 130), "Indigo"},
    {RGB(40, 40, 40), "Dark grey"},
    {RGB(139, 0, 0), "Dark red"},
    {RGB(255, 104, 32), "Orange"},
    {RGB(139, 139, 0), "Dark yellow"},
    {RGB(0, 147, 0), "Green"},
    {RGB(56, 142, 142), "Teal"},
    {RGB(0, 0, 255), "Blue"},
    {RGB(123, 123, 192), "Blue-grey"},
    {RGB(102, 102, 102), "Grey - 40"},
    {RGB(255, 0, 0), "Red"},
    {RGB(255, 173, 91), "Light orange"},
    {RGB(50, 205, 50), "Lime"},
    {RGB(60, 179, 113), "Sea green"},
    {RGB(127, 255, 212), "Aqua"},
    {RGB(125, 158, 192), "Light blue"},
    {RGB(128, 0, 128), "Violet"},
    {RGB(127, 127, 127), "Grey - 50"},
    {RGB(255, 192, 203), "Pink"},
    {RGB(255, 215, 0), "Gold"},
    {RGB(255, 255, 0), "Yellow"},
    {RGB(0, 255, 0), "Bright green"},
    {RGB(64, 224, 208), "Turquoise"},
    {RGB(192, 255, 255), "Skyblue"},
    {RGB(72, 0, 72), "Plum"},
    {RGB(192, 192, 192), "Light grey"},
    {RGB(255, 228, 225), "Rose"},
    {RGB(210, 180, 140), "Tan"},
    {RGB(255, 255, 224), "Light yellow"},
    {RGB(152, 251, 152), "Pale green "},
    {RGB(175, 238, 238), "Pale turquoise"},
    {RGB(104, 131, 139), "Pale blue"},
    {RGB(230, 230, 250), "Lavender"},
    {RGB(255, 255, 255), "White"},
};

constexpr int kLast = kCount - 1;

} // namespace

const Entry& At(int index) { return kTable[std::clamp(index, 0, kLast)]; }

int FindColor(COLORREF color)
{
    for (int i = 0; i < kCount; ++i)
        if (kTable[i].color == color)
            return i;
    return kNone;
}

int ChosenIndex(COLORREF initial, bool hasDefault, bool hasCustom)
{
    if (initial == CLR_DEFAULT && hasDefault)
        return kDefaultBox;
    const int i = FindColor(initial);
    if (i >= 0)
        return i;
    return hasCustom ? kCustomBox : kNone;
}

int Navigate(int current, int chosen, Key key, bool hasDefault, bool hasCustom)
{
    const bool chosenValid = (chosen >= 0 && chosen < kCount) || (chosen == kDefaultBox && hasDefault)
                             || (chosen == kCustomBox && hasCustom);
    const bool currentValid = (current >= 0 && current < kCount) || (current == kDefaultBox && hasDefault)
                              || (current == kCustomBox && hasCustom);
    if (!currentValid)
        return chosenValid ? chosen : 0;
    // The boxes round the grid, in the order a forward key visits them.
    const int afterGrid = hasCustom ? kCustomBox : hasDefault ? kDefaultBox : 0;
    const int beforeGrid = hasDefault ? kDefaultBox : hasCustom ? kCustomBox : kLast;
    const bool forward = key == Key::Down || key == Key::Right;
    if (current == kDefaultBox)
        return forward ? 0 : (hasCustom ? kCustomBox : kLast);
    if (current == kCustomBox)
        return forward ? (hasDefault ? kDefaultBox : 0) : kLast;
    switch (key) {
    case Key::Down:
        return current + kColumns < kCount ? current + kColumns : afterGrid;
    case Key::Up:
        return current >= kColumns ? current - kColumns : beforeGrid;
    case Key::Right:
        return current < kLast ? current + 1 : afterGrid;
    case Key::Left:
        return current > 0 ? current - 1 : beforeGrid;
    }
    return current;
}

CRect Layout::BoxRect(int index) const
{
    if (index == kDefaultBox)
        return defaultRect;
    if (index == kCustomBox)
        return customRect;
    if (index < 0 || index >= kCount)
        return CRect();
    const int top = margin + (index / kColumns) * box + (hasDefault ? defaultRect.Height() + margin : 0);
    const int left = margin + (index % kColumns) * box;
    return CRect(left, top, left + box, top + box);
}

int Layout::HitTest(CPoint p) const
{
    if (hasCustom && customRect.PtInRect(p))
        return kCustomBox;
    if (hasDefault && defaultRect.PtInRect(p))
        return kDefaultBox;
    const CRect first = BoxRect(0);
    const int dx = p.x - first.left;
    const int dy = p.y - first.top;
    if (dx < 0 || dy < 0)
        return kNone;
    const int col = dx / box;
    const int row = dy / box;
    if (col >= kColumns || row >= kRows)
        return kNone;
    const int i = row * kColumns + col;
    return i < kCount ? i : kNone;
}

Layout MakeLayout(CSize textDefault, CSize textCustom, bool hasDefault, bool hasCustom, int margin)
{
    Layout l;
    l.margin = margin;
    l.hasDefault = hasDefault;
    l.hasCustom = hasCustom;
    // Boxes too small to show a swatch inside their edges grow.
    if (l.box - 2 * margin - 2 < 5)
        l.box = 2 * margin + 7;
    int textW = 0, textH = 0;
    if (hasDefault) {
        textW = std::max<int>(textW, textDefault.cx);
        textH = std::max<int>(textH, textDefault.cy);
    }
    if (hasCustom) {
        textW = std::max<int>(textW, textCustom.cx);
        textH = std::max<int>(textH, textCustom.cy);
    }
    int w = textW + 2 * margin;
    const int h = textH + 4 * margin + 2;
    l.size = CSize(kColumns * l.box + 2 * margin, kRows * l.box + 2 * margin);
    if (hasDefault) {
        l.size.cx = std::max<int>(l.size.cx, w);
        w = l.size.cx - 2 * margin;
        l.defaultRect = CRect(margin, margin, margin + w, h + 2 * margin);
        l.size.cy += l.defaultRect.Height() + 2 * margin;
    }
    if (hasCustom) {
        l.size.cx = std::max<int>(l.size.cx, w);
        w = l.size.cx - 2 * margin;
        const int top = l.size.cy;
        l.customRect = CRect(margin, top, margin + w, top + margin + h);
        l.size.cy += l.customRect.Height() + 2 * margin;
    }
    return l;
}

CRect KeepOnScreen(CRect window, CSize screen, int buttonHeight)
{
    if (window.right > screen.cx)
        window.OffsetRect(screen.cx - window.right, 0);
    if (window.left < 0)
        window.OffsetRect(-window.left, 0);
    if (window.bottom > screen.cy)
        window.OffsetRect(0, -(window.Height() + buttonHeight));
    return window;
}

} // namespace ColorGrid
