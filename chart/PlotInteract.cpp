#include "chart/PlotInteract.h"

#include "platform/Messages.h"

#include <algorithm>
#include <cstdlib>

namespace PlotInteract {

CRect ZoomRect(CPoint from, CPoint to, const CRect& plot)
{
    CRect r(from.x, from.y, to.x, to.y);
    r.NormalizeRect();
    r.left = std::max(r.left, plot.left);
    r.top = std::max(r.top, plot.top);
    r.right = std::min(r.right, plot.right);
    r.bottom = std::min(r.bottom, plot.bottom);
    return r;
}

bool ZoomIsBigEnough(const CRect& zoom)
{
    return zoom.Width() >= kMinZoomPixels && zoom.Height() >= kMinZoomPixels;
}

Range WheelStep(Range r, short delta)
{
    const double d = (r.max - r.min) / 10.0;
    return delta < 0 ? Range{r.min - d, r.max - d} : Range{r.min + d, r.max + d};
}

KeyAxes AxesForKey(UINT key)
{
    switch (key) {
    case VK_HOME:
    case VK_ADD:
    case VK_SUBTRACT:
        return KeyAxes::Both;
    case VK_LEFT:
    case VK_RIGHT:
        return KeyAxes::X;
    case VK_UP:
    case VK_DOWN:
        return KeyAxes::Y;
    default:
        return KeyAxes::None;
    }
}

bool KeyStep(UINT key, bool xAxis, Range r, double span, Range* out)
{
    const double d = span / 10.0;
    switch (key) {
    case VK_ADD:
        *out = {r.min + d, r.max - d};
        return true;
    case VK_SUBTRACT:
        *out = {r.min - d, r.max + d};
        return true;
    case VK_LEFT:
    case VK_DOWN:
        if (xAxis != (key == VK_LEFT))
            return false;
        *out = {r.min + d, r.max + d};
        return true;
    case VK_RIGHT:
    case VK_UP:
        if (xAxis != (key == VK_RIGHT))
            return false;
        *out = {r.min - d, r.max - d};
        return true;
    default:
        return false;
    }
}

CPoint CursorKeyStep(UINT key, CPoint p)
{
    switch (key) {
    case VK_LEFT: return CPoint(p.x - 1, p.y);
    case VK_RIGHT: return CPoint(p.x + 1, p.y);
    case VK_UP: return CPoint(p.x, p.y - 1);
    case VK_DOWN: return CPoint(p.x, p.y + 1);
    default: return p;
    }
}

HCURSOR CursorForMode(int mode, bool hover, bool curveSelected)
{
    switch (mode) {
    case kModePan: return IDC_SIZEALL;
    case kModeZoom:
    case kModeCursor: return IDC_CROSS;
    case kModeNone: return hover ? IDC_HAND : 0;
    case kModePick: return curveSelected ? IDC_SIZENS : 0;
    default: return 0;
    }
}

HCURSOR CursorForTrackerHit(int hit)
{
    switch (hit) {
    case 0:
    case 2: return IDC_SIZENWSE;
    case 1:
    case 3: return IDC_SIZENESW;
    case 4:
    case 6: return IDC_SIZENS;
    case 5:
    case 7: return IDC_SIZEWE;
    case 8: return IDC_SIZEALL;
    default: return 0;
    }
}

CRect YMarkerBand(int p, const CRect& plot) { return CRect(plot.left, p - 10, plot.right, p + 10); }
CRect XMarkerBand(int p, const CRect& plot) { return CRect(p - 10, plot.top, p + 10, plot.bottom); }

void MeasureArrows(int x1, int y1, int x2, int y2, ArrowHead* horizontal, ArrowHead* vertical)
{
    // Short legs get the arrow of the other direction, so that a head
    // never points past the leg it ends.
    if (std::abs(x2 - x1) > kArrowSize)
        *horizontal = {4, x1, y1 - 3};
    else
        *horizontal = {5, x2 - 3, y1 + 3};
    if (std::abs(y2 - y1) > kArrowSize)
        *vertical = {7, x2 - 3, y2 - 6};
    else
        *vertical = {6, x2 - 6, y2 - 6};
}

CString OneLine(const CString& text)
{
    CString s = text;
    s.Replace("\r", " ");
    s.Replace("\n", " ");
    return s;
}

CString AxisReadoutLine(char axis, int index, const CString& value, const CString& title)
{
    CString s = CString::Formatted(" %c[%02d] : ", axis, index + 1);
    s += OneLine(value);
    s += " ";
    s += title;
    s += "\r\n";
    return s;
}

CString CurveReadoutLine(const CString& name, int index, const CString& x, const CString& y)
{
    CString s = " ";
    s += name;
    s += CString::Formatted("[%02d] : ", index + 1);
    s += OneLine(x);
    s += ", ";
    s += OneLine(y);
    s += "\r\n";
    return s;
}

CString NotationText(int point, const CString& x, const CString& xTitle, const CString& y,
                     const CString& yTitle)
{
    CString s = CString::Formatted("[%d] : ", point + 1);
    s += x;
    s += xTitle;
    s += ",";
    s += y;
    s += yTitle;
    return s;
}

}  // namespace PlotInteract
