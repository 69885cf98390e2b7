// The chart under the mouse and keyboard: modes, hit test, zoom history,
// panning and the notifications to the parent window.
#include "chart/Plot.h"
#include "chart/PlotInteract.h"
#include "chart/PlotLabel.h"
#include "chart/PlotDC.h"
#include "platform/Cursor.h"
#include "platform/DateTime.h"
#include "platform/Messages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace PlotInteract;

namespace {

Range ShownRange(const CPlotAxis& a) { return {a.m_dShownMin, a.m_dShownMax}; }

// The axis search may answer one past the last point; the read-outs and
// notations need a real point.
int NearestPoint(const CPlotAxis& axis, double x, int curve, int count)
{
    const int i = axis.FindPointIndex(x, curve);
    return i >= count ? count - 1 : i;
}

void SetShown(CPlotAxis& a, Range r)
{
    a.SetShownRange(r.min, r.max, 0.0);
}

}  // namespace

void CPlot::NotifyParent(UINT msg, WPARAM wParam)
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(msg, wParam, reinterpret_cast<LPARAM>(this));
}

// ---- modes ----

void CPlot::NoOp()
{
    m_Readout.SetVisible(false);
    m_nMode = kModeNone;
    Invalidate(FALSE);
}

void CPlot::Zoom()
{
    m_Readout.SetVisible(false);
    m_ZoomRect.SetRectEmpty();
    m_nMode = kModeZoom;
    Invalidate(FALSE);
}

void CPlot::ResetZoom()
{
    m_Readout.SetVisible(false);
    for (auto& a : m_YAxes)
        a->ResetShownRange();
    for (auto& a : m_XAxes)
        a->ResetShownRange();
    Invalidate(FALSE);
}

void CPlot::Pan()
{
    m_Readout.SetVisible(false);
    m_nMode = kModePan;
    for (auto& a : m_YAxes)
        a->SetAutoScale(false);
    for (auto& a : m_XAxes)
        a->SetAutoScale(false);
    Invalidate(FALSE);
}

void CPlot::Cursor()
{
    Pan();
    m_nCursorCurve = -1;
    m_PrevCursorPoint = CPoint(-1, -1);
    m_bCursorPlaced = false;
    m_nMode = kModeCursor;
    if (m_nOptions & 4)
        m_Readout.SetRect(m_PlotRect.left + 1, m_PlotRect.top, m_PlotRect.left + 150, m_PlotRect.top + 50);
}

void CPlot::Measure()
{
    m_nMode = kModeMeasure;
    Invalidate(FALSE);
}

void CPlot::ZoomBack()
{
    for (auto* axes : {&m_YAxes, &m_XAxes})
        for (auto& a : *axes)
            if (a->GetZoomDepth() > 0)
                a->PopZoom();
    NotifyParent(kNotifyZoomed, 0);
    m_ZoomRect.SetRectEmpty();
    Invalidate(FALSE);
}

void CPlot::ApplyZoom()
{
    if (!ZoomIsBigEnough(m_ZoomRect))
        return;
    for (auto& a : m_YAxes) {
        const double lo = a->GetValueForPixel(std::min(m_ZoomRect.bottom, m_PlotRect.bottom));
        const double hi = a->GetValueForPixel(std::max(m_ZoomRect.top, m_PlotRect.top));
        if (lo != hi) {
            a->PushZoom();
            a->SetShownRange(lo, hi, 0.0);
        }
    }
    for (auto& a : m_XAxes) {
        const double lo = a->GetValueForPixel(std::max(m_ZoomRect.left, m_PlotRect.left));
        const double hi = a->GetValueForPixel(std::min(m_ZoomRect.right, m_PlotRect.right));
        if (lo != hi) {
            a->PushZoom();
            a->SetShownRange(lo, hi, 0.0);
        }
    }
    NotifyParent(kNotifyZoomed, 0);
    m_ZoomRect.SetRectEmpty();
}

void CPlot::PanTo(CPoint m)
{
    for (auto& a : m_YAxes) {
        const double d = a->GetValueForPixel(m.y) - a->GetValueForPixel(m_PanAnchor.y);
        SetShown(*a, {a->m_dShownMin - d, a->m_dShownMax - d});
    }
    for (auto& a : m_XAxes) {
        const double d = a->GetValueForPixel(m.x) - a->GetValueForPixel(m_PanAnchor.x);
        SetShown(*a, {a->m_dShownMin - d, a->m_dShownMax - d});
    }
    m_PanAnchor = m;
    Invalidate(FALSE);
}

void CPlot::Trend(bool cubic)
{
    const int sel = GetSelectedCurve();
    if (sel < 0 || sel >= GetCurveCount())
        return;
    CPlotDataSerie& src = GetCurve(sel);
    std::vector<ChartPoint> pts = cubic ? src.CubicTrend(0) : src.LinearTrend(0);
    if (pts.empty())
        return;
    const CString name = src.GetLabel();
    const int xAxis = src.GetXAxisIndex(), yAxis = src.GetYAxisIndex();
    CPlotDataSerie* t = SetData(pts.data(), static_cast<long>(pts.size()), GetCurveCount(), xAxis, yAxis,
                                true, true, false);
    if (t)
        t->SetLabel(name + (cubic ? " cubic trend" : " linear trend"));
    Invalidate(FALSE);
}

// ---- commands ----

bool CPlot::OnInteractCommand(UINT id)
{
    switch (id) {
    case kCmdNoOp: NoOp(); return true;
    case kCmdInsertLabel:
        InsertLabel(CString());
        Invalidate(FALSE);
        return true;
    case kCmdZoom: Zoom(); return true;
    case kCmdResetZoom: ResetZoom(); return true;
    case kCmdPan: Pan(); return true;
    case kCmdDoubleClick: HitTest(true, false); return true;
    case kCmdLinearTrend: Trend(false); return true;
    case kCmdCubicTrend: Trend(true); return true;
    case kCmdCursor: Cursor(); return true;
    case kCmdForward: NotifyParent(kCmdForward, 0); return true;
    case kCmdZoomBack: ZoomBack(); return true;
    case kCmdMeasure: Measure(); return true;
    case kCmdPick:
        m_nMode = kModePick;
        Invalidate(FALSE);
        return true;
    default: return false;
    }
}

LRESULT CPlot::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && OnInteractCommand(LOWORD(wParam)))
        return 0;
    return CWnd::WindowProc(msg, wParam, lParam);
}

// ---- hit test ----

bool CPlot::HitTest(bool dblClick, bool probe)
{
    if (!m_bInteractive)
        return false;
    const CPoint m = m_MousePoint;
    bool hit = false;
    bool yHit = false;

    // Axes and their value markers.
    for (int pass = 0; pass < 2; ++pass) {
        const bool isY = pass == 0;
        auto& axes = isY ? m_YAxes : m_XAxes;
        int& dragged = isY ? m_nDraggedYMarker : m_nDraggedXMarker;
        for (size_t i = 0; i < axes.size(); ++i) {
            CPlotAxis& a = *axes[i];
            if (m_nMode == kModeNone) {
                for (int k = 0; k < a.GetValueMarkerCount(); ++k) {
                    PlotValueMarker* mk = a.GetValueMarker(k);
                    const CPoint pp = a.GetPointForValue(isY ? ChartPoint{0, mk->value} : ChartPoint{mk->value, 0});
                    const CRect band = isY ? YMarkerBand(pp.y, m_PlotRect) : XMarkerBand(pp.x, m_PlotRect);
                    const bool in = band.PtInRect(m) != FALSE;
                    if (probe && dragged < 0 && !m_bLeftDown) {
                        if (in)
                            return true;
                        continue;
                    }
                    if (m_bRightDown && in) {
                        a.DeleteValueMarker(k);
                        Invalidate(FALSE);
                        break;
                    }
                    if (m_bLeftDown && dragged < 0 && in)
                        dragged = k;
                    if (!m_bLeftDown)
                        dragged = -1;
                    if (dragged == k && m_bLeftDown) {
                        mk->value = a.GetValueForPixel(isY ? m.y : m.x);
                        Invalidate(FALSE);
                    }
                }
            }
            const bool inAxis = a.GetRect().PtInRect(m) != FALSE;
            if (probe) {
                if (inAxis)
                    return true;
                continue;
            }
            if (m_nMode == kModeNone && a.m_bSelected && !inAxis)
                a.PutValueMarker(a.GetValueMarkerCount(), a.MakeValueMarker(a.GetValueForPixel(isY ? m.y : m.x), 0));
            a.m_bSelected = inAxis;
            if (inAxis) {
                hit = true;
                if (isY) {
                    yHit = true;
                    NotifyParent(dblClick ? kNotifyYAxisDbl : kNotifyYAxis, i);
                } else if (!yHit) {
                    NotifyParent(dblClick ? kNotifyXAxisDbl : kNotifyXAxis, i);
                }
            }
        }
    }

    // Objects.
    bool skipCurves = false;
    POSITION pos = m_Objects.GetHeadPosition();
    while (pos) {
        CPlotObject* o = static_cast<CPlotObject*>(m_Objects.GetNext(pos));
        const bool in = o->GetRect().PtInRect(m) != FALSE && o->GetVisible();
        if (probe) {
            if (in)
                return true;
            continue;
        }
        o->m_bSelected = in;
        if (dblClick && o->m_bSelected) {
            hit = skipCurves = true;
            o->Edit();
        } else if (o->m_bSelected && !o->m_bEditing && !m_pActiveTracker) {
            hit = skipCurves = true;
            o->Select();
            m_pActiveTracker = &o->m_Tracker;
        } else if (!o->m_bSelected && o->m_bEditing) {
            o->EndEdit();
        } else if (!o->m_bSelected && o->m_bTracking) {
            m_pActiveTracker = nullptr;
            o->Unselect();
        }
    }

    // Curves. The parent learns for each visible curve whether it lies
    // under the mouse: -1 for those that do not, and the index of the one
    // the test takes, last, so that it stands as the parent's selection.
    if (!probe)
        m_nSelectedCurve = -1;
    if (!m_bLeftDown)
        m_nPickedCurve = m_nPickedPoint = -1;
    int taken = -1;
    for (int c = 0; c < GetCurveCount(); ++c) {
        CPlotDataSerie& s = GetCurve(c);
        if (!s.GetVisible())
            continue;
        if (!probe)
            s.m_bSelected = false;
        bool under = false;
        if (!skipCurves) {
            for (const PlotSegment& g : s.GetSegments()) {
                CRect r(g.x1, g.y1, g.x2, g.y2);
                r.NormalizeRect();
                r.InflateRect(2, 2);
                if (r.PtInRect(m) && CPlotDataSerie::HitSegment(g.x1, g.y1, g.x2, g.y2, m.x, m.y, 4)) {
                    under = true;
                    break;
                }
            }
        }
        if (!under) {
            NotifyParent(kNotifyHover, static_cast<WPARAM>(-1));
            continue;
        }
        if (probe) {
            NotifyParent(kNotifyHover, static_cast<WPARAM>(c));
            return true;
        }
        if (hit)
            continue;
        NotifyParent(dblClick ? kNotifyCurveDbl : kNotifyCurve, static_cast<WPARAM>(c));
        m_nSelectedCurve = c;
        if (m_nPickedPoint < 0) {
            m_nPickedCurve = c;
            // The point under the marker's centre, not the marker's corner.
            if (CPlotAxis* xa = FindXAxis(s.GetXAxisIndex()))
                m_nPickedPoint =
                    NearestPoint(*xa, xa->GetValueForPixel(m.x - s.GetMarkerSize() / 2), c, s.GetCount());
        }
        s.m_bSelected = true;
        hit = true;
        taken = c;
    }
    if (taken >= 0)
        NotifyParent(kNotifyHover, static_cast<WPARAM>(taken));

    m_bShowDraggedValue = false;
    if (m_bLeftDown && m_nPickedPoint >= 0 && m_nMode == kModePick && m_nPickedCurve < GetCurveCount()) {
        CPlotDataSerie& s = GetCurve(m_nPickedCurve);
        CPlotAxis* ya = FindYAxis(s.GetYAxisIndex());
        ChartPoint* pts = s.GetPoints();
        if (ya && pts && m_nPickedPoint < s.GetCount()) {
            m_PickRecord = {m_nPickedCurve, m_nPickedPoint, pts[m_nPickedPoint].y, ya->GetValueForPixel(m.y)};
            NotifyParent(kNotifyPointDragged, reinterpret_cast<WPARAM>(&m_PickRecord));
            pts[m_nPickedPoint].y = m_PickRecord.newY;
            m_dDraggedValue = m_PickRecord.newY;
            m_bShowDraggedValue = true;
            Invalidate(FALSE);
        }
    }

    if (!hit) {
        for (const PlotLegendEntry& e : m_LegendEntries) {
            const bool in = e.rect.PtInRect(m) != FALSE;
            if (probe) {
                if (in)
                    return true;
                continue;
            }
            if (e.curve)
                e.curve->m_bSelected = in;
            if (in) {
                hit = true;
                break;
            }
        }
    }
    if (dblClick && !hit && !probe)
        NotifyParent(kNotifyNothingDbl, 0);
    return false;
}

// ---- mouse ----

void CPlot::OnLButtonDown(UINT, CPoint point)
{
    SetFocus();
    SetCapture();
    m_PressPoint = point;
    if (m_nMode == kModeMeasure) {
        // Each press starts a new measurement; nothing of the last one
        // carries over into it.
        m_PendingMeasure = PlotMeasure{};
        SnapMeasurePoint(m_PressPoint, true);
        point = m_PressPoint;
    }
    m_MousePoint = point;
    m_bLeftDown = true;
    m_pCurrentObject = nullptr;
    m_pTrackingObject = nullptr;
    POSITION pos = m_Objects.GetHeadPosition();
    while (pos) {
        CPlotObject* o = static_cast<CPlotObject*>(m_Objects.GetNext(pos));
        // A hidden object (the read-out box between uses) is not there for
        // the user and must not catch the next right click.
        if (o->GetVisible() && o->GetRect().PtInRect(point))
            m_pCurrentObject = o;
        if (o->m_bTracking && !m_pTrackingObject && o->m_Tracker.BeginTrack(point))
            m_pTrackingObject = o;
    }
    if (m_pTrackingObject)
        ReleaseCapture();
}

void CPlot::OnLButtonUp(UINT, CPoint point)
{
    if (!m_bLeftDown)
        return;
    ReleaseCapture();
    m_MousePoint = point;
    m_PanAnchor = CPoint(0, 0);
    m_bLeftDown = false;
    if (CPlotObject* o = m_pTrackingObject) {
        m_pTrackingObject = nullptr;
        if (o->m_Tracker.EndTrack(point) && o->CanTrack()) {
            const CRect r = o->m_Tracker.m_rect;
            o->SetRect(r.left, r.top, r.right, r.bottom);
        }
        Invalidate(FALSE);
        return;
    }
    switch (m_nMode) {
    case kModeMeasure: {
        SnapMeasurePoint(point, false);
        const PlotMeasure& m = m_PendingMeasure;
        if (m.curve1 >= 0 && m.point1 >= 0 && m.curve2 >= 0 && m.point2 >= 0)
            m_Measures.push_back(m);
        break;
    }
    case kModeCursor:
        HitTest(false, false);
        AddCursorNotation();
        break;
    case kModeZoom:
        ApplyZoom();
        break;
    case kModeNone:
    case kModePick:
        HitTest(false, false);
        break;
    default:
        break;
    }
    Invalidate(FALSE);
}

void CPlot::OnLButtonDblClk(UINT, CPoint point)
{
    m_MousePoint = point;
    if (m_nMode == kModeNone) {
        m_pActiveTracker = nullptr;
        HitTest(true, false);
    }
}

void CPlot::OnRButtonDown(UINT, CPoint point)
{
    m_MousePoint = point;
    m_bRightDown = true;
}

void CPlot::OnRButtonUp(UINT, CPoint point)
{
    m_MousePoint = point;
    HitTest(false, false);
    m_bRightDown = false;
    if (m_nMode == kModeCursor) {
        m_PrevCursorPoint = CPoint(-1, -1);
        Invalidate(FALSE);
    }
    if (m_pCurrentObject && m_pCurrentObject->GetRect().PtInRect(point))
        m_pCurrentObject->InvokeProperties();
    else
        NotifyParent(kNotifyContext, 0);
}

void CPlot::OnMouseMove(UINT flags, CPoint point)
{
    m_bLeftDown = (flags & MK_LBUTTON) != 0;
    if (m_nMode == kModeMeasure && m_bLeftDown)
        SnapMeasurePoint(point, false);
    m_MousePoint = point;
    if (m_pTrackingObject && m_bLeftDown) {
        m_pTrackingObject->m_Tracker.TrackMove(point);
        Invalidate(FALSE);
        return;
    }
    if (m_nMode == kModeCursor) {
        m_bCursorPlaced = true;
        m_CursorMouse = m_MousePoint;
        TrackCursor();
        Invalidate(FALSE);
        NotifyParent(kNotifyCursorMoved, 0);
    }
    m_bHover = HitTest(false, m_nMode != kModePick);
    if (((m_nMode == kModePan && m_bLeftDown) || (m_nMode == kModeCursor && m_bRightDown)) &&
        m_PlotRect.PtInRect(point)) {
        if (m_PanAnchor == CPoint(0, 0))
            m_PanAnchor = point;
        else
            PanTo(point);
    }
    if (m_nMode == kModeZoom && m_bLeftDown) {
        m_ZoomRect = PlotInteract::ZoomRect(m_PressPoint, point, m_PlotRect);
        Invalidate(FALSE);
    }
    if (m_nMode == kModeMeasure && m_bLeftDown)
        Invalidate(FALSE);
}

BOOL CPlot::OnMouseWheel(UINT flags, short delta, CPoint)
{
    auto& axes = (flags & MK_SHIFT) ? m_YAxes : m_XAxes;
    for (auto& a : axes) {
        a->SetAutoScale(false);
        SetShown(*a, WheelStep(ShownRange(*a), delta));
    }
    Invalidate(FALSE);
    return TRUE;
}

void CPlot::OnKeyUp(UINT nChar, UINT repCnt, UINT flags)
{
    if (nChar == VK_HOME) {
        for (auto& a : m_XAxes)
            a->ResetShownRange();
        for (auto& a : m_YAxes)
            a->ResetShownRange();
        Invalidate(FALSE);
        return;
    }
    const KeyAxes which = AxesForKey(nChar);
    if (which == KeyAxes::None) {
        CWnd::OnKeyUp(nChar, repCnt, flags);
        return;
    }
    if (m_nMode == kModeCursor && which != KeyAxes::Both) {
        m_MousePoint = CursorKeyStep(nChar, m_MousePoint);
        m_CursorMouse = m_MousePoint;
        TrackCursor();
    } else {
        for (int pass = 0; pass < 2; ++pass) {
            const bool x = pass == 0;
            for (auto& a : x ? m_XAxes : m_YAxes) {
                Range r;
                if (KeyStep(nChar, x, ShownRange(*a), a->m_dSpan, &r))
                    SetShown(*a, r);
            }
        }
    }
    Invalidate(FALSE);
}

BOOL CPlot::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message)
{
    if (m_pActiveTracker) {
        if (const HCURSOR c = CursorForTrackerHit(m_pActiveTracker->HitTest(m_MousePoint))) {
            ::SetCursor(LoadStandardCursor(c));
            return TRUE;
        }
    }
    const HCURSOR c = CursorForMode(m_nMode, m_bHover, m_nSelectedCurve >= 0);
    if (c == 0)
        return CWnd::OnSetCursor(wnd, hitTest, message);
    ::SetCursor(LoadStandardCursor(c));
    return TRUE;
}

// ---- Delete key ----

void CPlot::DeleteCurrentObject()
{
    CPlotObject* o = m_pCurrentObject;
    if (!o || !o->m_bTracking || o == &m_Readout)
        return;
    if (!DeleteObject(o))
        return;
    if (m_pTrackingObject == o)
        m_pTrackingObject = nullptr;
    m_pCurrentObject = nullptr;
    m_pActiveTracker = nullptr;
    Invalidate(FALSE);
}

BOOL CPlot::PreTranslateMessage(MSG* msg)
{
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_DELETE)
        DeleteCurrentObject();
    return CWnd::PreTranslateMessage(msg);
}

// ---- cursor, measuring and notations ----

void CPlot::TrackCursor()
{
    m_nCursorCurve = -1;
    if (m_bSnap) {
        for (int c = 0; c < GetCurveCount(); ++c) {
            CPlotDataSerie& s = GetCurve(c);
            CPlotAxis* xa = FindXAxis(s.GetXAxisIndex());
            CPlotAxis* ya = FindYAxis(s.GetYAxisIndex());
            if (!s.GetVisible() || !xa || !ya || s.GetCount() <= 0)
                continue;
            m_dCursorX = xa->GetValueForPixel(m_MousePoint.x);
            const int i = NearestPoint(*xa, m_dCursorX, c, s.GetCount());
            if (i < 0)
                continue;
            m_dCursorY = s.GetY(i);
            const int p = ya->GetPointForValue(ChartPoint{s.GetX(i), m_dCursorY}).y;
            if (std::abs(m_MousePoint.y - p) < m_nSnapRange) {
                m_nCursorCurve = c;
                m_MousePoint.y = p;
                break;
            }
        }
    }
    if (!(m_nOptions & 4))
        return;
    CString text;
    for (int i = 0; i < GetXAxisCount(); ++i) {
        CPlotAxis& a = GetXAxis(i);
        text += AxisReadoutLine('X', i, a.GetValueText(a.GetValueForPixel(m_MousePoint.x)), a.GetLabel());
    }
    for (int i = 0; i < GetYAxisCount(); ++i) {
        CPlotAxis& a = GetYAxis(i);
        text += AxisReadoutLine('Y', i, a.GetValueText(a.GetValueForPixel(m_MousePoint.y)), a.GetLabel());
    }
    if (m_nCursorCurve >= 0) {
        CPlotDataSerie& s = GetCurve(m_nCursorCurve);
        CPlotAxis* xa = FindXAxis(s.GetXAxisIndex());
        CPlotAxis* ya = FindYAxis(s.GetYAxisIndex());
        text += CurveReadoutLine(s.GetLabel(), m_nCursorCurve, xa->GetValueText(m_dCursorX),
                                 ya->GetValueText(m_dCursorY));
    }
    m_Readout.SetVisible(true);
    m_Readout.SetText(text);
}

void CPlot::DrawCursor(CDCEx* dc)
{
    if (m_nMode != kModeCursor)
        return;
    const CPoint p = m_MousePoint;
    // Over the X axis below the plot the vertical line still shows where
    // on the scale the mouse is.
    const bool overXAxis = p.x >= m_PlotRect.left && p.x < m_PlotRect.right && p.y >= m_PlotRect.bottom;
    if (!m_PlotRect.PtInRect(p) && !overXAxis)
        return;
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);
    const int rop = dc->SetROP2(R2_NOTXORPEN);
    if (overXAxis) {
        if (m_nOptions & 2) {
            dc->MoveTo(p.x, m_PlotRect.top);
            dc->LineTo(p.x, m_PlotRect.bottom);
        }
        dc->SetROP2(rop);
        m_PrevCursorPoint = p;
        return;
    }
    if (m_nOptions & 2) {
        dc->MoveTo(p.x, m_PlotRect.top);
        dc->LineTo(p.x, m_PlotRect.bottom);
    }
    if (m_nOptions & 1) {
        dc->MoveTo(m_PlotRect.left, p.y);
        dc->LineTo(m_PlotRect.right, p.y);
    }
    const int h = m_nSnapRange / 2;
    dc->Rectangle(p.x - h, p.y - h, p.x + 1 + h, p.y + 1 + h);
    dc->SetROP2(rop);
    m_PrevCursorPoint = p;
}

void CPlot::DrawPendingMeasure(CDCEx* dc)
{
    if (m_nMode != kModeMeasure || !m_bLeftDown)
        return;
    const int x1 = std::max(m_PressPoint.x, m_PlotRect.left);
    const int y1 = std::max(m_PressPoint.y, m_PlotRect.top);
    const int x2 = std::min(m_MousePoint.x, m_PlotRect.right);
    const int y2 = std::min(m_MousePoint.y, m_PlotRect.bottom);
    DrawMeasure(dc, x1, y1, x2, y2, m_PendingMeasure.curve1, m_PendingMeasure.curve2);
}

void CPlot::DrawMeasure(CDCEx* dc, int x1, int y1, int x2, int y2, int c1, int c2)
{
    const bool low = dc->m_bLowColor;
    const COLORREF red = low ? RGB(0, 0, 0) : RGB(255, 0, 0);
    const COLORREF oldBk = dc->SetBkColor(low ? RGB(255, 255, 255) : m_crInner);
    CQuickFont font("Arial", -11, 700);
    CFontSelector fsel(&font, dc, false);
    {
        CPenSelector pen(low ? RGB(0, 0, 0) : RGB(200, 200, 200), 1, dc, PS_DOT);
        dc->MoveTo(m_PlotRect.left, y1);
        dc->LineTo(m_PlotRect.right, y1);
        dc->MoveTo(x2, m_PlotRect.top);
        dc->LineTo(x2, m_PlotRect.bottom);
    }
    {
        CPenSelector pen(red, 1, dc, PS_DOT);
        dc->MoveTo(x1, y1);
        dc->LineTo(x2, y1);
        dc->LineTo(x2, y2);
    }
    ArrowHead h, v;
    MeasureArrows(x1, y1, x2, y2, &h, &v);
    DrawMarkerShape(h.kind, h.x, h.y, kArrowSize, red, dc);
    DrawMarkerShape(v.kind, v.x, v.y, kArrowSize, red, dc);

    if (c1 < 0 || c1 >= GetCurveCount() || c2 < 0 || c2 >= GetCurveCount()) {
        dc->SetBkColor(oldBk);
        return;
    }
    CPlotDataSerie& s1 = GetCurve(c1);
    CPlotDataSerie& s2 = GetCurve(c2);
    CPlotAxis* xa1 = FindXAxis(s1.GetXAxisIndex());
    CPlotAxis* xa2 = FindXAxis(s2.GetXAxisIndex());
    CPlotAxis* ya1 = FindYAxis(s1.GetYAxisIndex());
    if (!xa1 || !xa2 || !ya1) {
        dc->SetBkColor(oldBk);
        return;
    }
    const double a = xa1->GetValueForPixel(x1);
    const double b = xa2->GetValueForPixel(x2);
    const double dx = b - a;
    const CString xText = xa1->IsTimeAxis() ? COleDateTimeSpan(dx).Format(xa1->GetDisplayFmt())
                                            : PlotMath::FormatValue(xa1->GetDisplayFmt(), dx);
    CRect r(x1, y1, x2, y2);
    if (dc->GetTextExtent(xText).cx < std::abs(x2 - x1))
        dc->DrawText(xText, &r, DT_SINGLELINE | DT_CENTER | DT_NOCLIP);
    const int i = NearestPoint(*xa1, a, c1, s1.GetCount());
    const int j = NearestPoint(*xa2, b, c2, s2.GetCount());
    if (i >= 0 && j >= 0) {
        const double dy = std::fabs(s2.GetY(j) - s1.GetY(i));
        CString yText = PlotMath::FormatValue(ya1->GetDisplayFmt(), dy);
        yText += " ";
        yText += ya1->GetLabel();
        if (dc->GetTextExtent(yText).cy < std::abs(y2 - y1))
            dc->DrawText(yText, &r, DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOCLIP);
    }
    dc->SetBkColor(oldBk);
}

void CPlot::SnapMeasurePoint(CPoint& p, bool start)
{
    // An end that finds no curve is no end: a release away from every
    // curve must not keep the end of an earlier move.
    if (start) {
        m_nCursorCurve = -1;
        m_PendingMeasure.curve1 = m_PendingMeasure.point1 = -1;
    } else {
        m_nMeasureEndCurve = -1;
        m_PendingMeasure.curve2 = m_PendingMeasure.point2 = -1;
    }
    int best = 10000000;
    int snapped = p.y;
    for (int c = 0; c < GetCurveCount(); ++c) {
        CPlotDataSerie& s = GetCurve(c);
        CPlotAxis* xa = FindXAxis(s.GetXAxisIndex());
        CPlotAxis* ya = FindYAxis(s.GetYAxisIndex());
        if (!s.GetVisible() || !xa || !ya || s.GetCount() <= 0)
            continue;
        const int i = NearestPoint(*xa, xa->GetValueForPixel(p.x), c, s.GetCount());
        if (i < 0)
            continue;
        const int py = ya->GetPointForValue(ChartPoint{s.GetX(i), s.GetY(i)}).y;
        if (std::abs(p.y - py) < best) {
            best = std::abs(p.y - py);
            snapped = py;
            if (start) {
                m_nCursorCurve = c;
                m_PendingMeasure.curve1 = c;
                m_PendingMeasure.point1 = i;
            } else {
                m_nMeasureEndCurve = c;
                m_PendingMeasure.curve2 = c;
                m_PendingMeasure.point2 = i;
            }
        }
    }
    p.y = snapped;
}

void CPlot::AddCursorNotation()
{
    if (m_nCursorCurve < 0 || m_nCursorCurve >= GetCurveCount())
        return;
    CPlotDataSerie& s = GetCurve(m_nCursorCurve);
    CPlotAxis* xa = FindXAxis(s.GetXAxisIndex());
    CPlotAxis* ya = FindYAxis(s.GetYAxisIndex());
    if (!xa || !ya)
        return;
    const int i = NearestPoint(*xa, m_dCursorX, m_nCursorCurve, s.GetCount());
    if (i < 0)
        return;
    auto* n = new CPlotDataNotation;
    n->Set(s.GetX(i), s.GetY(i), m_nCursorCurve, i,
           NotationText(i, xa->GetValueText(s.GetX(i)), xa->GetLabel(), ya->GetValueText(s.GetY(i)), ya->GetLabel()));
    n->SetGraph(this);
    AddObject(n);
    Invalidate(FALSE);
}
