#include "chart/Plot.h"

#include "chart/PlotDC.h"

#include <algorithm>
#include <cmath>

VX_IMPLEMENT_SERIAL(CPlot, CWnd, 1)

namespace {

const COLORREF kCurveColors[12] = {
    RGB(128, 0, 0), RGB(255, 0, 0), RGB(128, 128, 0), RGB(255, 255, 0), RGB(0, 128, 0), RGB(0, 255, 0),
    RGB(0, 128, 128), RGB(0, 255, 255), RGB(0, 0, 128), RGB(0, 0, 255), RGB(128, 0, 128), RGB(255, 0, 255)};

template <class T>
int IndexOf(const std::vector<std::unique_ptr<T>>& v, const T* p)
{
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i].get() == p)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

COLORREF CPlot::CurveColor(int curve) { return kCurveColors[((curve % 12) + 12) % 12]; }

CPlot::CPlot()
    : m_crBack(GetSysColor(COLOR_APPWORKSPACE)),
      m_crOuter(GetSysColor(COLOR_APPWORKSPACE)),
      m_crInner(GetSysColor(COLOR_WINDOW))
{
    // The paint covers the client area with the back buffer.
    SetOpaquePaint(true);
    m_Readout.SetRect(100, 100, 200, 175);
    m_Readout.SetVisible(false);
    m_Readout.m_bEditable = false;
    m_Readout.SetProtected(true);
    m_Readout.SetGraph(this);
    m_Objects.AddTail(&m_Readout);
}

CPlot::~CPlot()
{
    POSITION pos = m_Objects.GetHeadPosition();
    while (pos) {
        CObject* o = m_Objects.GetNext(pos);
        if (o != &m_Readout)
            delete o;
    }
    m_Objects.RemoveAll();
}

BOOL CPlot::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(kClassName, "", style, rect, parent, id);
}

// ---- data ------------------------------------------------------------------

CPlotDataSerie* CPlot::SetData(ChartPoint* points, long count, int curve, int xAxis, int yAxis, bool autoscale,
                               bool copy, bool resetRange)
{
    if (!points || count <= 0 || count > 0x7FFFFFFFL)
        return nullptr;
    // Indices may name the next new curve or axis, never one beyond it.
    if (curve < 0 || curve > GetCurveCount() || xAxis < 0 || xAxis > GetXAxisCount() || yAxis < 0 ||
        yAxis > GetYAxisCount())
        return nullptr;
    CPlotDataSerie* serie;
    if (curve == GetCurveCount()) {
        auto fresh = std::make_unique<CPlotDataSerie>();
        fresh->m_nReserved = curve;
        fresh->SetColor(CurveColor(curve));
        serie = fresh.get();
        m_Curves.push_back(std::move(fresh));
    } else {
        serie = m_Curves[static_cast<size_t>(curve)].get();
    }
    serie->SetAxes(xAxis, yAxis);
    serie->SetPoints(points, static_cast<int>(count), copy);
    if (xAxis == GetXAxisCount()) {
        auto axis = std::make_unique<CPlotAxis>();
        axis->SetKind(0);
        axis->SetGraph(this);
        m_XAxes.push_back(std::move(axis));
    }
    if (yAxis == GetYAxisCount()) {
        auto axis = std::make_unique<CPlotAxis>();
        axis->SetKind(1);
        axis->SetGraph(this);
        m_YAxes.push_back(std::move(axis));
    }
    serie->SetGraph(this);
    if (resetRange || autoscale) {
        double x0, x1, y0, y1;
        if (serie->GetExtents(&x0, &x1, &y0, &y1)) {
            GetXAxis(xAxis).SetRange(x0, x1);
            GetYAxis(yAxis).SetRange(y0, y1);
        }
    }
    return serie;
}

void CPlot::FitAxes(int xAxis, int yAxis, int curve)
{
    if (curve < 0 || curve >= GetCurveCount())
        return;
    double x0, x1, y0, y1;
    if (!GetCurve(curve).GetExtents(&x0, &x1, &y0, &y1))
        return;
    if (CPlotAxis* a = FindXAxis(xAxis))
        a->SetRange(x0, x1);
    if (CPlotAxis* a = FindYAxis(yAxis))
        a->SetRange(y0, y1);
}

bool CPlot::DeleteCurve(int curve)
{
    if (curve < 0 || curve >= GetCurveCount())
        return false;
    m_Curves.erase(m_Curves.begin() + curve);
    // The legend rows point at curves; the next paint builds them again.
    m_LegendEntries.clear();
    auto shift = [curve](int& index) {
        if (index == curve)
            index = -1;
        else if (index > curve)
            --index;
    };
    shift(m_nSelectedCurve);
    shift(m_nCursorCurve);
    shift(m_nPickedCurve);
    if (m_nPickedCurve < 0)
        m_nPickedPoint = -1;
    return true;
}

void CPlot::SetAxisDecimals(int axis, int places, int which)
{
    if (which == 0 || which == 2)
        if (CPlotAxis* a = FindXAxis(axis))
            a->SetDecimals(places);
    if (which == 1 || which == 2)
        if (CPlotAxis* a = FindYAxis(axis))
            a->SetDecimals(places);
}

int CPlot::GetAxisIndex(const CPlotAxis* axis) const
{
    const int x = IndexOf(m_XAxes, axis);
    return x >= 0 ? x : IndexOf(m_YAxes, axis);
}

int CPlot::GetCurveIndex(const CPlotDataSerie* curve) const { return IndexOf(m_Curves, curve); }

int CPlot::GetSelectedCurve() const
{
    return (m_nSelectedCurve >= 0 && m_nSelectedCurve < GetCurveCount()) ? m_nSelectedCurve : -1;
}

namespace {

template <class T>
bool SelectExclusive(std::vector<std::unique_ptr<T>>& v, int i)
{
    if (i < 0 || i >= static_cast<int>(v.size()))
        return false;
    for (size_t k = 0; k < v.size(); ++k)
        v[k]->m_bSelected = static_cast<int>(k) == i;
    return true;
}

}  // namespace

bool CPlot::SelectCurve(int i)
{
    if (!SelectExclusive(m_Curves, i))
        return false;
    m_nSelectedCurve = i;
    if (IsWindow())
        Invalidate(FALSE);
    return true;
}

bool CPlot::SelectXAxis(int i)
{
    if (!SelectExclusive(m_XAxes, i))
        return false;
    if (IsWindow())
        Invalidate(FALSE);
    return true;
}

bool CPlot::SelectYAxis(int i)
{
    if (!SelectExclusive(m_YAxes, i))
        return false;
    if (IsWindow())
        Invalidate(FALSE);
    return true;
}

void CPlot::ShowCurve(int i, bool show)
{
    if (i < 0 || i >= GetCurveCount())
        return;
    GetCurve(i).SetVisible(show);
    if (IsWindow())
        Invalidate(FALSE);
}

CPlotLabel* CPlot::InsertLabel(const CString& text)
{
    auto* label = new CPlotLabel;
    label->SetText(text);
    const int cx = (m_PlotRect.left + m_PlotRect.right) / 2;
    const int cy = (m_PlotRect.top + m_PlotRect.bottom) / 2;
    label->SetRect(cx - 50, cy - 50, cx + 50, cy + 50);
    AddObject(label);
    return label;
}

void CPlot::AddObject(CPlotObject* object)
{
    if (!object)
        return;
    object->SetGraph(this);
    m_Objects.AddTail(object);
}

bool CPlot::DeleteObject(CPlotObject* object)
{
    if (!object || object == &m_Readout || object->IsProtected())
        return false;
    POSITION pos = m_Objects.Find(object);
    if (!pos)
        return false;
    m_Objects.RemoveAt(pos);
    if (m_pCurrentObject == object)
        m_pCurrentObject = nullptr;
    if (m_pTrackingObject == object)
        m_pTrackingObject = nullptr;
    if (m_pActiveTracker == &object->m_Tracker)
        m_pActiveTracker = nullptr;
    delete object;
    return true;
}

void CPlot::DropObjectPointers()
{
    m_pCurrentObject = nullptr;
    m_pTrackingObject = nullptr;
    m_pActiveTracker = nullptr;
    m_LegendEntries.clear();
}

void CPlot::DeleteAll()
{
    m_XAxes.clear();
    m_YAxes.clear();
    m_Curves.clear();
    POSITION pos = m_Objects.GetHeadPosition();
    while (pos) {
        CObject* o = m_Objects.GetNext(pos);
        if (o != &m_Readout)
            delete o;
    }
    m_Objects.RemoveAll();
    m_Objects.AddTail(&m_Readout);
    DropObjectPointers();
    m_nSelectedCurve = -1;
    m_nCursorCurve = -1;
    m_nPickedCurve = m_nPickedPoint = -1;
}

void CPlot::GetMargins(int* l, int* t, int* r, int* b) const
{
    *l = m_nMarginLeft;
    *t = m_nMarginTop;
    *r = m_nMarginRight;
    *b = m_nMarginBottom;
}

void CPlot::SetMargins(int l, int t, int r, int b)
{
    m_nMarginLeft = l;
    m_nMarginTop = t;
    m_nMarginRight = r;
    m_nMarginBottom = b;
}

// ---- painting --------------------------------------------------------------

namespace {

// Fills outer where hole does not lie, as filling all of outer would look
// once hole is filled over it.
void FillAround(CDCEx* dc, const CRect& outer, const CRect& hole, COLORREF color)
{
    CRect h;
    if (outer.IsRectEmpty() || !h.IntersectRect(outer, hole)) {
        dc->FillSolidRect(&outer, color);
        return;
    }
    const CRect bands[] = {{outer.left, outer.top, outer.right, h.top},
                           {outer.left, h.bottom, outer.right, outer.bottom},
                           {outer.left, h.top, h.left, h.bottom},
                           {h.right, h.top, outer.right, h.bottom}};
    for (const CRect& b : bands)
        if (!b.IsRectEmpty())
            dc->FillSolidRect(&b, color);
}

} // namespace

void CPlot::LayoutLegend(CDCEx* dc, CRect& inner)
{
    m_LegendEntries.clear();
    if (m_nLegendAlignment != 0 && m_nLegendAlignment != 1)
        return;
    CQuickFont font("Arial", 13, 400);
    std::vector<int> rows;
    std::vector<CString> texts;
    int width = 0, height = 0, rowHeight = 0;
    {
        CFont* old = dc->CDC::SelectObject(&font);
        for (int i = 0; i < GetCurveCount(); ++i) {
            if (!GetCurve(i).GetVisible())
                continue;
            const CString text = CString::Formatted("%02d %s", i + 1, GetCurve(i).GetLabel().GetString());
            const CSize s = ChartTextSize(dc, text);
            width = std::max<int>(width, s.cx);
            rowHeight = s.cy;
            height += s.cy;
            rows.push_back(i);
            texts.push_back(text);
        }
        dc->CDC::SelectObject(old);
    }
    width += 16;
    CRect box;
    if (m_nLegendAlignment == 0) {
        box.SetRect(inner.left + 10, inner.top + 10, inner.left + 10 + width, inner.top + 12 + height);
        inner.left += width + 20;
    } else {
        box.SetRect(inner.right - 10 - width, inner.top + 10, inner.right - 10, inner.top + 12 + height);
        inner.right -= width + 20;
    }
    const COLORREF back = dc->m_bLowColor ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOW);
    CFontSelector fsel(&font, dc, true);
    CPenSelector pen(RGB(0, 0, 0), 1, dc, PS_SOLID);
    CBrushSelector brush(back, dc);
    dc->Rectangle(&box);
    box.DeflateRect(1, 1);
    const int oldMode = dc->SetBkMode(OPAQUE);
    const COLORREF oldBk = dc->SetBkColor(back);
    const COLORREF oldText = dc->SetTextColor(RGB(0, 0, 0));
    for (size_t k = 0; k < rows.size(); ++k) {
        CPlotDataSerie& c = GetCurve(rows[k]);
        CRect row(box.left + 12, box.top + static_cast<int>(k) * rowHeight, box.right,
                  box.top + (static_cast<int>(k) + 1) * rowHeight);
        PlotLegendEntry entry;
        entry.rect = row;
        entry.rect.left -= 12;
        entry.curve = &c;
        m_LegendEntries.push_back(entry);
        CRect t = row;
        // Filling a sample changes the background colour; each row sets it.
        dc->SetBkColor(back);
        dc->DrawText(texts[k], &t, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
        if (c.m_bSelected)
            dc->DrawFocusRect(&row);
        const COLORREF color = dc->m_bLowColor ? RGB(0, 0, 0) : c.GetColor();
        if (c.GetMarkerType() == 0) {
            const CRect sample(box.left + 2, row.top + 1, box.left + 10, row.bottom - 2);
            dc->FillSolidRect(&sample, color);
        } else {
            g_MarkerPainters[c.GetMarkerShape()](box.left + 1, row.top + 2, 8, color, 0, dc);
        }
    }
    dc->SetTextColor(oldText);
    dc->SetBkColor(oldBk);
    dc->SetBkMode(oldMode);
}

void CPlot::LayoutAxes(CDCEx* dc, const CRect& inner)
{
    int automatic = 0;
    for (auto& a : m_YAxes)
        if (a->GetPlacement() == 2)
            a->SetPlacement(automatic++ % 2);

    auto titleWidth = [&](const CPlotAxis& a) {
        if (a.GetLabel().IsEmpty())
            return 0;
        CQuickFont font(a.GetTitleFont());
        CFont* old = dc->CDC::SelectObject(&font);
        const int w = ChartTextSize(dc, a.GetLabel()).cx;
        dc->CDC::SelectObject(old);
        return static_cast<int>(w);
    };
    int left = inner.left, right = inner.right, bottom = inner.bottom;
    for (auto& a : m_YAxes) {
        if (a->GetPlacement() != 0)
            continue;
        if (a->GetVisible())
            left += std::max(a->GetScaleWidth(dc), titleWidth(*a) + a->GetArrowSize()) + m_nAxisSpacing;
        a->SetOriginX(left);
        a->SetPlotRect(inner);
    }
    for (auto& a : m_YAxes) {
        if (a->GetPlacement() != 1)
            continue;
        if (a->GetVisible())
            right -= std::max(a->GetScaleWidth(dc), titleWidth(*a)) + m_nAxisSpacing;
        a->SetOriginX(right);
        a->SetPlotRect(inner);
    }
    for (auto& a : m_YAxes)
        if (a->GetPlacement() != 0 && a->GetPlacement() != 1) {
            a->SetOriginX(left);
            a->SetPlotRect(inner);
        }
    for (auto& a : m_XAxes) {
        if (a->GetVisible())
            bottom -= a->GetScaleHeight(dc) + m_nAxisSpacing;
        a->SetOriginY(bottom);
        a->SetOriginX(left);
        a->SetPlotRect(inner);
    }
    m_PlotRect.SetRect(left, inner.top, right, bottom);
}

void CPlot::DrawMeasures(CDCEx* dc)
{
    // Only records that still name existing curve points are drawn; they
    // are drawn as they looked while the user measured.
    for (const PlotMeasure& m : m_Measures) {
        if (m.curve1 < 0 || m.curve1 >= GetCurveCount() || m.curve2 < 0 || m.curve2 >= GetCurveCount())
            continue;
        CPlotDataSerie& a = GetCurve(m.curve1);
        CPlotDataSerie& b = GetCurve(m.curve2);
        if (m.point1 < 0 || m.point1 >= a.GetCount() || m.point2 < 0 || m.point2 >= b.GetCount())
            continue;
        CPlotAxis* ax = FindXAxis(a.GetXAxisIndex());
        CPlotAxis* ay = FindYAxis(a.GetYAxisIndex());
        CPlotAxis* bx = FindXAxis(b.GetXAxisIndex());
        CPlotAxis* by = FindYAxis(b.GetYAxisIndex());
        if (!ax || !ay || !bx || !by)
            continue;
        const ChartPoint p1{a.GetX(m.point1), a.GetY(m.point1)}, p2{b.GetX(m.point2), b.GetY(m.point2)};
        DrawMeasure(dc, ax->GetPointForValue(p1).x, ay->GetPointForValue(p1).y, bx->GetPointForValue(p2).x,
                    by->GetPointForValue(p2).y, m.curve1, m.curve2);
    }
}

void CPlot::Paint(CDCEx* dc, const CRect& frame, bool printing)
{
    const int saved = dc->SaveDC();
    dc->m_nPrimitives = 0;
    m_PrevCursorPoint = CPoint(-1, -1);
    const bool low = dc->m_bLowColor;
    CRect inner = frame;
    inner.DeflateRect(m_nMarginLeft, m_nMarginTop, m_nMarginRight, m_nMarginBottom);
    // The three backgrounds lie one inside the other: each is filled only
    // where the next does not cover it (the legend, drawn on the outermost,
    // needs all of it first).
    if (m_bShowLegend) {
        dc->FillSolidRect(&frame, low ? RGB(255, 255, 255) : m_crBack);
        LayoutLegend(dc, inner);
    } else {
        m_LegendEntries.clear();
        FillAround(dc, frame, inner, low ? RGB(255, 255, 255) : m_crBack);
    }

    LayoutAxes(dc, inner);
    // Rounding a range changes its scale texts and so the room its axis
    // takes: round first and lay out again, so that the next paint does
    // not move the plot.
    bool rounded = false;
    for (auto* axes : {&m_XAxes, &m_YAxes})
        for (auto& a : *axes)
            if (a->GetAutoScale()) {
                a->PrepareScale(dc);
                rounded = true;
            }
    if (rounded)
        LayoutAxes(dc, inner);
    FillAround(dc, inner, m_PlotRect, low ? RGB(255, 255, 255) : m_crOuter);
    dc->FillSolidRect(&m_PlotRect, low ? RGB(255, 255, 255) : m_crInner);
    for (auto& a : m_XAxes) {
        a->SetOriginY(m_PlotRect.bottom);
        a->Draw(dc);
    }
    for (auto& a : m_YAxes) {
        a->SetOriginY(m_PlotRect.bottom);
        a->Draw(dc);
    }

    const CRect clip = (dc->m_bScaling && !dc->m_bKeepClip) ? dc->ScaleRect(m_PlotRect) : m_PlotRect;
    dc->IntersectClipRect(&clip);

    for (auto& c : m_Curves)
        if (c->GetVisible())
            c->Draw(dc);
    for (auto& c : m_Curves)
        if (c->GetVisible() && c->GetShowMarker())
            c->DrawMarkers(dc, m_nMode == 7);
    DrawMeasures(dc);
    DrawPendingMeasure(dc);
    // A live chart repaints under a resting mouse: the read-out follows the
    // data, not the last move. A printout shows no read-out of its own.
    if (!printing && m_nMode == PlotInteract::kModeCursor && m_bCursorPlaced) {
        m_MousePoint = m_CursorMouse;
        TrackCursor();
    }
    DrawCursor(dc);

    if (m_nMode == 1 && m_bLeftDown && !m_ZoomRect.IsRectEmpty()) {
        CBrushSelector brush(RGB(150, 150, 255), dc);
        CGdiObject* oldPen = dc->SelectStockObject(NULL_PEN);
        const int rop = dc->SetROP2(R2_NOTXORPEN);
        dc->Rectangle(m_ZoomRect.left, m_ZoomRect.top, m_ZoomRect.right + 1, m_ZoomRect.bottom + 1);
        dc->SetROP2(rop);
        if (oldPen)
            dc->SelectObject(static_cast<CPen*>(oldPen));
        dc->DrawFocusRect(&m_ZoomRect);
    }

    POSITION pos = m_Objects.GetHeadPosition();
    while (pos) {
        CPlotObject* o = static_cast<CPlotObject*>(m_Objects.GetNext(pos));
        o->Draw(dc);
    }

    if (m_bShowDraggedValue) {
        CQuickFont font("Arial", 13, 400);
        CFontSelector fsel(&font, dc, true);
        const int mode = dc->SetBkMode(TRANSPARENT);
        dc->TextOut(dc->ScaleX(m_MousePoint.x + 10), dc->ScaleY(m_MousePoint.y),
                    CString::Formatted("%.2f", m_dDraggedValue));
        dc->SetBkMode(mode);
    }
    m_nLastPrimitives = dc->m_nPrimitives;
    dc->RestoreDC(saved);
}

void CPlot::RenderTo(QImage& image)
{
    RenderInto(image);
    m_Snapshot = image.copy();
}

void CPlot::RenderInto(QImage& image)
{
    CDCEx dc;
    dc.AttachImage(&image);
    // The screen: no scaling and full colour, whatever the device reports.
    dc.m_bScaleKnown = true;
    dc.m_bScaling = false;
    dc.m_bLowColor = false;
    dc.m_bKeepClip = false;
    Paint(&dc, CRect(0, 0, image.width(), image.height()), false);
    dc.DeleteDC();
}

void CPlot::OnPaint()
{
    CPaintDC pdc(this);
    CRect client;
    GetClientRect(&client);
    if (client.Width() <= 0 || client.Height() <= 0)
        return;
    // Two buffers in turn: the snapshot and the window's surface share the
    // one just painted, and the next paint goes into the other, so no paint
    // copies a whole picture.
    m_bBackBufferB = !m_bBackBufferB;
    QImage& buffer = m_bBackBufferB ? m_BackBufferB : m_BackBuffer;
    if (buffer.width() != client.Width() || buffer.height() != client.Height())
        buffer = QImage(client.Width(), client.Height(), QImage::Format_RGB32);
    RenderInto(buffer);
    m_Snapshot = buffer;
    pdc.ShowPicture(buffer);
}

BOOL CPlot::OnEraseBkgnd(CDC*) { return TRUE; }

void CPlot::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    Invalidate(FALSE);
}
