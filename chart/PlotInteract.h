// The decisions behind the chart's mouse and keyboard handling, kept apart
// from the window so that they can be checked without one.
#pragma once

#include "platform/CString.h"
#include "platform/Geometry.h"
#include "platform/Types.h"
#include "platform/Wnd.h"

namespace PlotInteract {

// Interaction modes of the chart.
enum Mode { kModeNone = 0, kModeZoom = 1, kModePan = 3, kModeCursor = 4, kModePick = 7, kModeMeasure = 8 };

// Commands the chart answers to.
enum Command : UINT {
    kCmdNoOp = 60000,
    kCmdInsertLabel = 60001,
    kCmdZoom = 60002,
    kCmdResetZoom = 60003,
    kCmdPan = 60004,
    kCmdDoubleClick = 60005,
    kCmdLinearTrend = 60009,
    kCmdCubicTrend = 60010,
    kCmdCursor = 60011,
    kCmdForward = 60012,
    kCmdZoomBack = 60013,
    kCmdMeasure = 60014,
    kCmdPick = 60015,
};

// Notifications posted to the chart's parent (lParam is the chart).
enum Notify : UINT {
    kNotifyYAxis = WM_USER + 1,
    kNotifyXAxis = WM_USER + 2,
    kNotifyCurve = WM_USER + 3,
    kNotifyYAxisDbl = WM_USER + 4,
    kNotifyXAxisDbl = WM_USER + 5,
    kNotifyCurveDbl = WM_USER + 6,
    kNotifyNothingDbl = WM_USER + 7,
    kNotifyContext = WM_USER + 8,
    kNotifyCursorMoved = WM_USER + 9,
    kNotifyZoomed = WM_USER + 10,
    kNotifyPointDragged = WM_USER + 11,
    kNotifyHover = WM_USER + 12,
};

// The data of the point-drag notification; one per chart, rewritten by
// every drag step.
struct PointPickRecord {
    int curve = -1;
    int point = -1;
    double oldY = 0.0;
    double newY = 0.0;
};

struct Range {
    double min = 0.0;
    double max = 0.0;
    bool operator==(const Range&) const = default;
};

// A drag smaller than this in either direction is no zoom.
constexpr int kMinZoomPixels = 15;

// The rectangle spanned by two points, normalised and clamped to the plot.
CRect ZoomRect(CPoint from, CPoint to, const CRect& plot);
bool ZoomIsBigEnough(const CRect& zoom);

// The shown range after a wheel step: a tenth of the width, down for
// negative deltas.
Range WheelStep(Range r, short delta);

// Which axes a key acts on and how. Keys that do not scroll or scale give
// false; span is the axis's last mapped width.
enum class KeyAxes { None, X, Y, Both };
KeyAxes AxesForKey(UINT key);
bool KeyStep(UINT key, bool xAxis, Range r, double span, Range* out);

// The cursor point's step for an arrow key in cursor mode.
CPoint CursorKeyStep(UINT key, CPoint p);

// The standard cursor for a mode; 0 leaves the framework's default.
HCURSOR CursorForMode(int mode, bool hover, bool curveSelected);
// The resize or move cursor over a part of a tracker (CRectTracker's hit
// codes); 0 off the tracker.
HCURSOR CursorForTrackerHit(int hit);

// Marker band: the value marker at pixel p catches the mouse within 10
// pixels across the plot.
CRect YMarkerBand(int p, const CRect& plot);
CRect XMarkerBand(int p, const CRect& plot);

// The two arrow heads of a measurement from (x1, y1) across to x2 and then
// to y2: marker shape index and top-left position of each.
struct ArrowHead {
    int kind;
    int x;
    int y;
    bool operator==(const ArrowHead&) const = default;
};
constexpr int kArrowSize = 6;
void MeasureArrows(int x1, int y1, int x2, int y2, ArrowHead* horizontal, ArrowHead* vertical);

// Read-out and notation texts. Value texts come already formatted by their
// axis; line breaks in them become blanks so that each entry stays one line.
CString OneLine(const CString& text);
CString AxisReadoutLine(char axis, int index, const CString& value, const CString& title);
CString CurveReadoutLine(const CString& name, int index, const CString& x, const CString& y);
CString NotationText(int point, const CString& x, const CString& xTitle, const CString& y,
                     const CString& yTitle);

}  // namespace PlotInteract
