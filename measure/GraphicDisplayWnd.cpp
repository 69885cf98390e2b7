#include "measure/GraphicDisplayWnd.h"

#include "platform/Bmp.h"
#include "platform/Cursor.h"
#include "platform/DialogStyles.h"
#include "platform/Menu.h"
#include "platform/Text1252.h"

#include <QImage>

#include <algorithm>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <climits>

namespace {
constexpr double kEpsilon = DBL_EPSILON;
constexpr int kSeedCurves = CDataManager::kCurves;

struct TextPair {
    int id;
    const char* utf8;
};

CDlgTextArray MakeTexts(std::initializer_list<TextPair> pairs)
{
    CDlgTextArray out;
    out.reserve(pairs.size());
    for (const TextPair& p : pairs)
        out.push_back({p.id, vx::FromUtf8(p.utf8)});
    return out;
}
} // namespace

CGraphicDisplayWnd::CGraphicDisplayWnd() : m_pStore(std::make_unique<CDataManager>())
{
    static const char* const kMenuDefaults[kMenuTextCount] = {
        "Selektieren", "Zoom in", "Zoom out", "Verschieben", "Cursor", "Raster ein/aus",
        "Auf X-Achse einpassen", "Auf Y-Achse einpassen", "Legende anzeigen", "Graph ein/aus",
        "Graph ausmessen", "Rücksetzen", "Eigenschaften"};
    for (int i = 0; i < kMenuTextCount; ++i)
        m_strMenu[i] = vx::FromUtf8(kMenuDefaults[i]);
    VX_ON_MESSAGE(RangeSliderChangedMessage(), OnIntervalChange);
    VX_ON_MESSAGE(WM_PLOT_ZOOMCHANGED, OnZoomChanged);
    VX_ON_MESSAGE(WM_PLOT_CONTEXTMENU, OnPlotContextMenu);
    VX_ON_MESSAGE(WM_PLOT_SELECTION, OnPlotSelection);
    VX_ON_COMMAND(kCmdSelect, OnSelectCurve);
    VX_ON_COMMAND(kCmdZoomIn, OnZoomIn);
    VX_ON_COMMAND(kCmdZoomOut, OnZoomOut);
    VX_ON_COMMAND(kCmdPan, OnPanMode);
    VX_ON_COMMAND(kCmdCursor, OnCursorMode);
    VX_ON_COMMAND(kCmdGrid, OnGrid);
    VX_ON_COMMAND(kCmdFitX, OnFitX);
    VX_ON_COMMAND(kCmdFitY, OnFitY);
    VX_ON_COMMAND(kCmdLegend, OnLegend);
    VX_ON_COMMAND(kCmdCurveOnOff, OnCurveOnOff);
    VX_ON_COMMAND(kCmdMeasure, OnMeasureMode);
    VX_ON_COMMAND(kCmdReset, OnResetMode);
    VX_ON_COMMAND(kCmdProperties, OnProperties);
}

CGraphicDisplayWnd::~CGraphicDisplayWnd()
{
    // The property window's pages point into the chart: it goes first.
    // The chart goes before the store whose arrays it draws from.
    m_pChartPage.reset();
    m_pPlot.reset();
    m_pRangeSlider.reset();
    m_pScrollSlider.reset();
    m_pStore.reset();
}

BOOL CGraphicDisplayWnd::CreateDisplay(CWnd* parent, UINT id, int /*flag*/)
{
    if (m_pPlot)
        return FALSE;
    if (!IsWindow()) {
        CRect where(0, 0, 0, 0);
        if (parent)
            if (CWnd* placeholder = parent->GetDlgItem(static_cast<int>(id))) {
                placeholder->GetWindowRect(&where);
                parent->ScreenToClient(&where);
            }
        if (!Create(kClassName, "", WS_CHILD | WS_VISIBLE, where, parent, id))
            return FALSE;
    }

    CRect client;
    GetClientRect(&client);
    auto plot = std::make_unique<CPlot>();
    if (!plot->Create(WS_CHILD | WS_VISIBLE, client, this, 0))
        return FALSE;
    m_pPlot = std::move(plot);
    m_pPlot->SetInnerColor(m_crInner);
    m_pPlot->SetBackColor(m_crBack);
    m_pPlot->SetOuterColor(m_crOuter);

    // A throw-away curve makes the chart create X axis 0 and Y axis 0.
    ChartPoint seed[2] = {{0.0, 0.0}, {0.0, 0.0}};
    m_pPlot->SetData(seed, 2, 0, 0, 0, true, false, false);
    m_pPlot->SetShowLegend(false);
    m_pReadout = m_pPlot->InsertLabel(CString());
    if (m_pReadout) {
        m_pReadout->SetVisible(false);
        // This window writes to it on its timers: the chart must never
        // free it on the user's Delete.
        m_pReadout->SetProtected(true);
    }
    m_pPlot->DeleteCurve(0);
    m_pPlot->GetXAxis(0).SetShowMarker(false);
    m_pPlot->GetYAxis(0).SetShowMarker(false);
    // The sliders and the zoom choose the x interval exactly; rounding it
    // to whole ticks would show more than was asked for.
    m_pPlot->GetXAxis(0).SetAutoScale(false);

    auto scroll = std::make_unique<CNiceSliderCtrl>();
    if (scroll->Create(WS_CHILD | WS_BORDER | WS_TABSTOP | TBS_AUTOTICKS | TBS_BOTH | TBS_NOTICKS, CRect(0, 0, 0, 0),
                       this, kScrollSliderId)) {
        scroll->ModifyStyleEx(0, WS_EX_CLIENTEDGE);
        scroll->ShowWindow(SW_SHOW);
        scroll->SetNotifyWnd(this);
        scroll->SetRange(0, kScrollScale, FALSE);
        m_pScrollSlider = std::move(scroll);
    }
    auto range = std::make_unique<CRangeSlider>();
    if (range->Create(WS_CHILD | WS_TABSTOP, CRect(0, 0, 0, 0), this, kRangeSliderId)) {
        range->SetNotifyWnd(this);
        range->ShowWindow(SW_SHOW);
        m_pRangeSlider = std::move(range);
    }
    Layout();

    // The property window, hidden until the menu shows it.
    m_pChartPage = std::make_unique<CChartPage>(m_pPlot.get());
    m_pChartPage->CreateSheet(m_pPlot.get());

    // Ten curves on ten Y axes; the chart creates a curve and its axis only
    // from points, so each is seeded once and then emptied.
    for (int n = 0; n < kSeedCurves; ++n) {
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 3; ++y)
                addPoint(n, x, y);
        showCurve(n, true, true, true);
    }
    for (int n = 0; n < kSeedCurves; ++n)
        showCurve(n, true, false, false);
    for (int n = 0; n < kSeedCurves; ++n)
        SetCurveLineSize(n, 1);
    for (int n = 0; n < kSeedCurves; ++n)
        SetYAxisTitle(n, CString());
    for (int n = 0; n < kSeedCurves; ++n)
        ClearCurve(n);

    SetDefaultDialogTexts();
    return TRUE;
}

void CGraphicDisplayWnd::SetDefaultDialogTexts()
{
    m_ChartTexts = MakeTexts({{-1, "Einstellungen"}, {-2, "Diagramm"}, {2, "Abbrechen"}, {5002, "Übernehmen"},
                              {1001, "Hintergrund"}, {1002, "Außen"}, {1003, "Innen"}, {6050, "Legende"},
                              {6076, "Fangen"}, {1004, "Fangradius"}, {1005, "X-Achse"}, {1006, "Y-Achse"},
                              {1007, "Kurve"}, {6052, "Pufferung"}});
    m_AxisTexts = MakeTexts({{-1, "Einstellungen"}, {-2, "Achse"}, {2, "Abbrechen"}, {5002, "Übernehmen"},
                             {1015, "Bezeichner"}, {6002, "Bez. Schriftart"}, {6001, "Schriftart"},
                             {6009, "Sichtbar"}, {6009, "Sichtbar"}, {6039, "Aut. anpassen"}, {6058, "Markierung"},
                             {6014, "Raster"}, {6015, "Zeitachse"}, {1016, "Dezimalstellen"}, {1022, "Pfeilgröße"},
                             {1017, "Schrittgröße"}, {1023, "Mark.Größe"}, {1018, "Rasterstil"}, {1024, "Position"},
                             {1019, "Farbe"}, {1025, "Rasterfarbe"}, {1020, "Minimum"}, {1021, "Maximum"},
                             {1026, "Teilung"}});
    m_CurveTexts = MakeTexts({{-1, "Einstellungen"}, {-2, "Meßkurve"}, {2, "Abbrechen"}, {5002, "Übernehmen"},
                              {1008, "Bezeichn."}, {1009, "Stil"}, {1010, "Linienbreite"}, {1011, "Meßpunktgröße"},
                              {1012, "Linienart"}, {1013, "Linienfarbe"}, {6009, "Sichtbar"}, {1014, "Bezeichner"},
                              {6038, "Markierung"}, {6062, "Typ"}, {6059, "Symbol"}, {6011, "Füllen"},
                              {6012, "Transparent"}});
}

void CGraphicDisplayWnd::Layout()
{
    if (!IsWindow())
        return;
    CRect client;
    GetClientRect(&client);
    CRect chart = client;
    if (m_bRangeSliderOnTop)
        chart.top += m_nRangeSliderHeight;
    else
        chart.bottom -= m_nRangeSliderHeight;
    if (m_bScrollSliderOnTop)
        chart.top += m_nScrollSliderHeight;
    else
        chart.bottom -= m_nScrollSliderHeight;

    CRect scroll = client;
    if (m_bScrollSliderOnTop)
        scroll.bottom = client.top + m_nScrollSliderHeight;
    else
        scroll.top = client.bottom - m_nScrollSliderHeight;

    CRect range = client;
    const bool sameSide = (m_bRangeSliderOnTop != 0) == (m_bScrollSliderOnTop != 0);
    if (m_bRangeSliderOnTop) {
        range.top = client.top + (sameSide ? m_nScrollSliderHeight : 0);
        range.bottom = range.top + m_nRangeSliderHeight;
    } else {
        range.bottom = client.bottom - (sameSide ? m_nScrollSliderHeight : 0);
        range.top = range.bottom - m_nRangeSliderHeight;
    }
    if (m_pPlot && m_pPlot->IsWindow())
        m_pPlot->MoveWindow(&chart, TRUE);
    if (m_pScrollSlider && m_pScrollSlider->IsWindow())
        m_pScrollSlider->MoveWindow(&scroll, TRUE);
    if (m_pRangeSlider && m_pRangeSlider->IsWindow())
        m_pRangeSlider->MoveWindow(&range, TRUE);
}

void CGraphicDisplayWnd::OnSize(UINT type, int cx, int cy)
{
    CWnd::OnSize(type, cx, cy);
    Layout();
}

void CGraphicDisplayWnd::OnPaint()
{
    // The chart and the two strips cover the whole client area.
    CWnd::OnPaint();
}

void CGraphicDisplayWnd::OnDestroy()
{
    KillTimer(kApplyTimer);
    KillTimer(kReadoutArmTimer);
    KillTimer(kReadoutHideTimer);
    m_nTimer1 = m_nTimer2 = m_nTimer3 = 0;
    CWnd::OnDestroy();
}

void CGraphicDisplayWnd::Redraw()
{
    // The paint follows when control is back in the event loop: a refresh
    // that re-binds, re-ranges and re-labels the chart several times paints
    // it once.
    if (!m_pPlot || !m_pPlot->IsWindow())
        return;
    m_pPlot->Invalidate(TRUE);
}

// ---------------------------------------------------------------------------
// Data path

int CGraphicDisplayWnd::addPoint(int curve, double x, double y)
{
    CSingleLock lock(&m_lock, true);
    return m_pStore->addPoint(curve, x, y, this);
}

void CGraphicDisplayWnd::OnCurveArrayMoved(int curve, std::uintptr_t oldAddress, ChartPoint* newArray, unsigned count)
{
    // Only a pointer swap: the axes keep the range the user sees, and the
    // chart never draws from the array the store just gave up.
    if (!HasCurve(curve))
        return;
    CPlotDataSerie& serie = m_pPlot->GetCurve(curve);
    if (reinterpret_cast<std::uintptr_t>(serie.GetPoints()) != oldAddress)
        return;
    const int shown = serie.GetCount() < static_cast<int>(count) ? serie.GetCount() : static_cast<int>(count);
    serie.SetPoints(newArray, shown, false);
    serie.SetKnownSummary(m_pStore->getSummary(curve));
}

bool CGraphicDisplayWnd::ClearCurve(int curve)
{
    CSingleLock lock(&m_lock, true);
    if (!m_pStore->resetCurve(curve))
        return false;
    showCurve(curve, false, false, false);
    // The chart refuses an empty binding, so it is emptied here: a curve
    // left bound to the last run's points would show (and export) them.
    if (HasCurve(curve)) {
        CPlotDataSerie& serie = m_pPlot->GetCurve(curve);
        ChartPoint* array = m_pStore->getPointsForBinding(curve);
        if (array)
            serie.SetPoints(array, 0, false);
    }
    return true;
}

void CGraphicDisplayWnd::showCurve(int curve, bool show, bool withAxis, bool resetRange)
{
    // The chart paints from the store's arrays without a lock: binding them
    // from another thread would race with the paint.
    assert(m_pStore->IsOwnerThread());
    if (m_bRangeBusy)
        return;
    CSingleLock lock(&m_lock, true);
    m_bRangeBusy = true;
    if (curve >= 0 && curve < CDataManager::kCurves && m_pPlot) {
        ChartPoint* array = m_pStore->getPointsForBinding(curve);
        if (!array) {
            m_bRangeBusy = false;
            return;
        }
        const unsigned count = m_pStore->getPointCount(curve);
        if (count > 0) {
            // The store keeps the extents as points arrive: handed to the
            // bound curve, they spare the range reset a scan of the record.
            double x0, x1, y0, y1;
            if (HasCurve(curve) && m_pStore->getExtents(curve, &x0, &x1, &y0, &y1)) {
                CPlotDataSerie& serie = m_pPlot->GetCurve(curve);
                serie.SetPoints(array, static_cast<int>(count), false);
                serie.SetKnownExtents(x0, x1, y0, y1);
                serie.SetKnownSummary(m_pStore->getSummary(curve));
            }
            m_pPlot->SetData(array, static_cast<long>(count), curve, 0, curve, false, false, resetRange);
        }
        if (HasCurve(curve)) {
            CPlotDataSerie& serie = m_pPlot->GetCurve(curve);
            serie.SetShowMarker(false);
            serie.SetMarker(1);
            serie.SetMarkerSize(1);
            if (HasYAxis(curve)) {
                CPlotAxis& axis = m_pPlot->GetYAxis(curve);
                axis.SetVisible(curve == 0 ? true : withAxis);
                if (withAxis)
                    axis.SetPlacement(curve >= 8 ? 1 : 0);
            }
            m_pPlot->ShowCurve(curve, show);
        }
    }
    m_bRangeBusy = false;
}

int CGraphicDisplayWnd::GetPointCount(int curve) const
{
    assert(m_pStore->IsOwnerThread());
    CSingleLock lock(&m_lock, true);
    return static_cast<int>(m_pStore->getPointCount(curve));
}

double CGraphicDisplayWnd::GetPointX(int curve, int index) const
{
    assert(m_pStore->IsOwnerThread());
    CSingleLock lock(&m_lock, true);
    const ChartPoint* p = m_pStore->getPoints(curve);
    if (!p || index < 0 || static_cast<unsigned>(index) >= m_pStore->getPointCount(curve))
        return 0.0;
    return p[index].x;
}

double CGraphicDisplayWnd::GetPointY(int curve, int index) const
{
    assert(m_pStore->IsOwnerThread());
    CSingleLock lock(&m_lock, true);
    const ChartPoint* p = m_pStore->getPoints(curve);
    if (!p || index < 0 || static_cast<unsigned>(index) >= m_pStore->getPointCount(curve))
        return 0.0;
    return p[index].y;
}

size_t CGraphicDisplayWnd::GetPoints(int curve, size_t first, size_t n, double* xs, double* ys) const
{
    assert(m_pStore->IsOwnerThread());
    CSingleLock lock(&m_lock, true);
    const ChartPoint* p = m_pStore->getPoints(curve);
    const size_t count = m_pStore->getPointCount(curve);
    if (!p || first >= count)
        return 0;
    n = std::min(n, count - first);
    for (size_t i = 0; i < n; ++i) {
        xs[i] = p[first + i].x;
        ys[i] = p[first + i].y;
    }
    return n;
}

bool CGraphicDisplayWnd::SaveBitmap(const CString& path)
{
    if (!m_pPlot || !m_pPlot->IsWindow())
        return false;
    CRect client;
    m_pPlot->GetClientRect(&client);
    if (client.Width() <= 0 || client.Height() <= 0)
        return false;
    QImage image(client.Width(), client.Height(), QImage::Format_RGB32);
    m_pPlot->RenderTo(image);
    return vx::SaveBmpFile(path.GetString(), image);
}

// ---------------------------------------------------------------------------
// Curve and axis looks

void CGraphicDisplayWnd::SetCurveLineSize(int curve, int width)
{
    if (!HasCurve(curve) || !HasYAxis(curve))
        return;
    m_pPlot->GetCurve(curve).SetLineSize(width);
    Redraw();
}

void CGraphicDisplayWnd::SetCurveLabel(int curve, const CString& label)
{
    if (!HasCurve(curve) || !HasYAxis(curve))
        return;
    m_pPlot->GetCurve(curve).SetLabel(label);
    Redraw();
}

void CGraphicDisplayWnd::SetCurveColor(int curve, COLORREF color)
{
    if (!HasCurve(curve) || !HasYAxis(curve))
        return;
    m_pPlot->GetCurve(curve).SetColor(color);
    Redraw();
}

void CGraphicDisplayWnd::SetYAxisFlag(int axis, bool autoScale)
{
    if (!HasYAxis(axis) || !HasCurve(axis))
        return;
    m_pPlot->GetYAxis(axis).SetAutoScale(autoScale);
    Redraw();
}

void CGraphicDisplayWnd::SetYAxisLabel(int axis, const CString& format)
{
    if (!HasYAxis(axis) || !HasCurve(axis))
        return;
    m_pPlot->GetYAxis(axis).SetDisplayFmt(format);
    Redraw();
}

void CGraphicDisplayWnd::SetYAxisTitle(int axis, const CString& title)
{
    if (!HasYAxis(axis) || !HasCurve(axis))
        return;
    m_pPlot->GetYAxis(axis).SetLabel(title);
    Redraw();
}

void CGraphicDisplayWnd::SetXAxisTitle(const CString& title)
{
    if (!m_pPlot || m_pPlot->GetXAxisCount() < 1)
        return;
    m_pPlot->GetXAxis(0).SetLabel(title);
    Redraw();
}

// ---------------------------------------------------------------------------
// Visible x window and sliders

int CGraphicDisplayWnd::ScrollPosition(double x, double newest)
{
    const double q = x / newest * kScrollScale;
    if (!std::isfinite(q) || q >= static_cast<double>(INT_MAX) || q <= static_cast<double>(INT_MIN))
        return 0;
    const int pos = static_cast<int>(q);
    return pos < 0 ? 0 : (pos > kScrollScale ? kScrollScale : pos);
}

bool CGraphicDisplayWnd::StoreHasPoints() const
{
    for (int n = 0; n < CDataManager::kCurves; ++n)
        if (m_pStore->getPointCount(n) > 0)
            return true;
    return false;
}

void CGraphicDisplayWnd::SetXRange(double from, double to)
{
    assert(m_pStore->IsOwnerThread());
    if (m_bRangeBusy)
        return;
    m_bRangeBusy = true;
    CSingleLock lock(&m_lock, true);
    if (m_pPlot && m_pPlot->GetXAxisCount() > 0 && std::isfinite(from) && std::isfinite(to)) {
        m_dX0 = from < to ? from : to;
        m_dX1 = from < to ? to : from;
        m_pPlot->GetXAxis(0).SetRange(m_dX0, m_dX1);
        UpdateScrollControls();
        Redraw();
    }
    m_bRangeBusy = false;
}

void CGraphicDisplayWnd::SetFollowWidth(double width)
{
    m_dFollowWidth = width;
    SetScrollMode(1);
}

void CGraphicDisplayWnd::SetScrollMode(int mode)
{
    m_nScrollMode = mode;
    // Without points there is no extent to show: the window stays.
    if (!StoreHasPoints())
        return;
    double from = m_dX0, to = m_dX1;
    if (mode == 1) {
        if (m_dFollowWidth > kEpsilon) {
            const double newest = m_pStore->getAbsoluteXMax();
            from = newest - m_dFollowWidth;
            to = newest;
        }
    } else {
        from = m_pStore->getAbsoluteXMin();
        to = m_pStore->getAbsoluteXMax();
    }
    SetXRange(from, to);
}

void CGraphicDisplayWnd::UpdateScrollControls()
{
    // The sliders echo what they are given; those echoes are not the user's.
    m_bNoTimer = true;
    const double x0 = m_dX0, x1 = m_dX1;
    if (m_pRangeSlider)
        m_pRangeSlider->SetAll(x0, x1, x0, x1, x0, x1);
    m_nScrollPos = ScrollPosition(x1, m_pStore->getAbsoluteXMax());
    if (m_pScrollSlider)
        m_pScrollSlider->SetPos(m_nScrollPos);
    m_bNoTimer = false;
}

LRESULT CGraphicDisplayWnd::OnIntervalChange(WPARAM, LPARAM)
{
    if (m_bInSliderHandler || m_bNoTimer || !m_pRangeSlider)
        return 0;
    m_bInSliderHandler = true;
    m_pRangeSlider->GetRange(m_dX0, m_dX1);
    m_dFollowWidth = m_dX1 - m_dX0;
    double newest = m_pStore->getAbsoluteXMax();
    if (newest < kEpsilon)
        newest = kEpsilon;
    m_nScrollPos = ScrollPosition(m_dX1, newest);
    if (m_pScrollSlider)
        m_pScrollSlider->SetPos(m_nScrollPos);
    m_nTimer1 = SetTimer(kApplyTimer, kApplyDelayMs);
    m_bInSliderHandler = false;
    return 0;
}

void CGraphicDisplayWnd::OnHScroll(UINT sbCode, UINT pos, CWnd* scrollBar)
{
    if (!m_bInSliderHandler && m_pScrollSlider && StoreHasPoints() &&
        (scrollBar == nullptr || scrollBar == m_pScrollSlider.get())) {
        m_bInSliderHandler = true;
        m_nScrollPos = m_pScrollSlider->GetPos();
        const double newest = m_pStore->getAbsoluteXMax();
        const double x1 = m_nScrollPos * newest / kScrollScale;
        double x0;
        if (m_dFollowWidth > kEpsilon) {
            x0 = x1 - m_dFollowWidth;
            if (x0 < 0.0)
                x0 = 0.0;
        } else {
            x0 = m_pStore->getAbsoluteXMin();
        }
        m_dX0 = x0;
        m_dX1 = x1;
        if (x1 >= x0 && m_pRangeSlider) {
            m_pRangeSlider->SetRange(x0, x1);
            m_pRangeSlider->SetVisualMinMax(x0, x1);
        }
        if (!m_bNoTimer)
            m_nTimer1 = SetTimer(kApplyTimer, kApplyDelayMs);
        m_bInSliderHandler = false;
    }
    CWnd::OnHScroll(sbCode, pos, scrollBar);
}

void CGraphicDisplayWnd::OnTimer(UINT_PTR id)
{
    if (id == kReadoutArmTimer) {
        KillTimer(kReadoutArmTimer);
        m_nTimer2 = 0;
        ShowReadout();
        return;
    }
    if (id == kReadoutHideTimer) {
        HideReadout();
        Redraw();
        return;
    }
    if (id != kApplyTimer) {
        CWnd::OnTimer(id);
        return;
    }
    KillTimer(kApplyTimer);
    m_nTimer1 = 0;
    if (m_pPlot && m_pPlot->GetXAxisCount() > 0) {
        if (std::fabs(m_dX1 - m_dX0) > kEpsilon)
            m_pPlot->GetXAxis(0).SetRange(m_dX0, m_dX1);
        Redraw();
    }
}

LRESULT CGraphicDisplayWnd::OnZoomChanged(WPARAM, LPARAM)
{
    if (!m_pPlot || m_pPlot->GetXAxisCount() < 1)
        return 0;
    double step = 0.0;
    m_pPlot->GetXAxis(0).GetRange(&m_dX0, &m_dX1, &step);
    m_bNoTimer = true;
    if (m_pRangeSlider) {
        m_pRangeSlider->SetRange(m_dX0, m_dX1);
        m_pRangeSlider->SetVisualMinMax(m_dX0, m_dX1);
        m_pRangeSlider->Invalidate(TRUE);
    }
    m_nScrollPos = ScrollPosition(m_dX1, m_pStore->getAbsoluteXMax());
    if (m_pScrollSlider)
        m_pScrollSlider->SetPos(m_nScrollPos);
    m_bNoTimer = false;
    return 0;
}

// ---------------------------------------------------------------------------
// Context menu, read-out and the property window

std::vector<LiveMenuItem> CGraphicDisplayWnd::BuildMenu(const CString (&texts)[kMenuTextCount], bool legendShown,
                                                         bool chartHasAxisAndCurve)
{
    static const UINT kIds[kMenuTextCount - 1] = {kCmdSelect, kCmdZoomIn, kCmdZoomOut, kCmdPan,
                                                  kCmdCursor, kCmdGrid,   kCmdFitX,    kCmdFitY,
                                                  kCmdLegend, kCmdCurveOnOff, kCmdMeasure, kCmdReset};
    std::vector<LiveMenuItem> items;
    for (int i = 0; i < kMenuTextCount - 1; ++i)
        if (!texts[i].IsEmpty())
            items.push_back({kIds[i], texts[i], kIds[i] == kCmdLegend && legendShown});
    if (!texts[MenuProperties].IsEmpty() && chartHasAxisAndCurve) {
        if (!items.empty())
            items.push_back({0, CString(), false});
        items.push_back({kCmdProperties, texts[MenuProperties], false});
    }
    return items;
}

CString CGraphicDisplayWnd::ReadoutText(int curve, double x, const CString& xTitle, double y,
                                        const CString& curveName)
{
    // Fixed formats: titles and names are data, never part of a format.
    CString text = CString::Formatted("Kurve %i", curve + 1);
    text += "\n";
    text += CString::Formatted("%f ", x);
    text += xTitle;
    text += "\r\n";
    text += CString::Formatted("%f ", y);
    text += curveName;
    return text;
}

LRESULT CGraphicDisplayWnd::OnPlotContextMenu(WPARAM, LPARAM)
{
    if (!m_pPlot || !m_pPlot->IsWindow())
        return 0;
    const std::vector<LiveMenuItem> items =
        BuildMenu(m_strMenu, m_pPlot->GetShowLegend(), m_pPlot->GetYAxisCount() > 0 && m_pPlot->GetCurveCount() > 0);
    if (items.empty())
        return 0;
    CMenu menu;
    menu.CreatePopupMenu();
    for (const LiveMenuItem& item : items) {
        if (item.command == 0)
            menu.AppendMenu(MF_SEPARATOR);
        else
            menu.AppendMenu(MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED), item.command,
                            item.text.GetString());
    }
    // Where the right button was released, on the screen.
    CPoint at = m_pPlot->GetCursorPoint();
    m_pPlot->ClientToScreen(&at);
    Redraw();
    // The choice arrives here as WM_COMMAND, never at the chart.
    menu.TrackPopupMenu(0, at.x, at.y, this);
    m_pPlot->SendMessage(WM_PAINT);
    return 0;
}

LRESULT CGraphicDisplayWnd::OnPlotSelection(WPARAM curve, LPARAM)
{
    // A new selection takes the read-out away at once.
    if (m_bReadoutShown) {
        HideReadout();
        Redraw();
    }
    const int selected = static_cast<int>(static_cast<INT_PTR>(curve));
    KillTimer(kReadoutArmTimer);
    m_nTimer2 = 0;
    // Armed by the curve now under the mouse, which is the one it shows.
    if (kReadoutDelayMs > 0 && selected >= 0)
        m_nTimer2 = SetTimer(kReadoutArmTimer, kReadoutDelayMs);
    m_nSelectedCurve = selected;
    return 0;
}

void CGraphicDisplayWnd::ShowReadout()
{
    if (m_bReadoutShown || !m_pReadout || !m_pPlot || m_pPlot->GetXAxisCount() < 1 || m_nSelectedCurve < 0 ||
        m_nSelectedCurve >= m_pPlot->GetCurveCount() || m_nReadoutWidth <= 0 || m_nReadoutHeight <= 0)
        return;
    const CPoint p = m_pPlot->GetCursorPoint();
    CPlotAxis& xAxis = m_pPlot->GetXAxis(0);
    CPlotDataSerie& curve = m_pPlot->GetCurve(m_nSelectedCurve);
    const double x = xAxis.GetValueForPixel(p.x);
    int i = xAxis.FindPointIndex(x, m_nSelectedCurve);
    if (i >= curve.GetCount())
        i = curve.GetCount() - 1;
    const double y = curve.GetY(i);
    m_bReadoutShown = true;
    m_pReadout->SetText(ReadoutText(m_nSelectedCurve, x, xAxis.GetLabel(), y, curve.GetLabel()));
    m_pReadout->SetRect(p.x, p.y, p.x + m_nReadoutWidth, p.y + m_nReadoutHeight);
    m_pReadout->SetVisible(true);
    Redraw();
    m_nTimer3 = SetTimer(kReadoutHideTimer, kReadoutTimeMs);
}

void CGraphicDisplayWnd::HideReadout()
{
    KillTimer(kReadoutHideTimer);
    m_nTimer3 = 0;
    m_bReadoutShown = false;
    if (m_pReadout)
        m_pReadout->SetVisible(false);
}

void CGraphicDisplayWnd::EnterMode(void (CPlot::*mode)())
{
    if (!m_pPlot)
        return;
    m_pPlot->SetInteractive(true);
    m_pPlot->NoOp();
    if (m_pPlot->GetInteractive())
        (m_pPlot.get()->*mode)();
}

void CGraphicDisplayWnd::OnSelectCurve()
{
    if (m_pPlot && m_nSelectedCurve >= 0 && m_nSelectedCurve < m_pPlot->GetCurveCount())
        m_pPlot->SelectCurve(m_nSelectedCurve);
}

void CGraphicDisplayWnd::OnZoomIn() { EnterMode(&CPlot::Zoom); }

void CGraphicDisplayWnd::OnZoomOut()
{
    EnterMode(&CPlot::ResetZoom);
    // The chart does not report a reset; the sliders follow it here.
    OnZoomChanged(0, 0);
    Redraw();
}

void CGraphicDisplayWnd::OnPanMode() { EnterMode(&CPlot::Pan); }
void CGraphicDisplayWnd::OnCursorMode() { EnterMode(&CPlot::Cursor); }

void CGraphicDisplayWnd::OnGrid()
{
    if (!m_pPlot)
        return;
    if (m_pPlot->GetXAxisCount() > 0)
        m_pPlot->GetXAxis(0).SetShowGrid(!m_pPlot->GetXAxis(0).GetShowGrid());
    for (int i = 0; i < m_pPlot->GetYAxisCount(); ++i)
        m_pPlot->GetYAxis(i).SetShowGrid(!m_pPlot->GetYAxis(i).GetShowGrid());
    Redraw();
}

void CGraphicDisplayWnd::FitVisible(bool xAxis)
{
    if (!m_pPlot || (xAxis ? m_pPlot->GetXAxisCount() : m_pPlot->GetYAxisCount()) < 1)
        return;
    CWaitCursor wait;
    // Over what the user sees: a hidden curve (seed points, an earlier
    // run) must not decide the range.
    double lo = 0.0, hi = 0.0;
    bool any = false;
    {
        CSingleLock lock(&m_lock, true);
        for (int c = 0; c < CDataManager::kCurves; ++c) {
            if (!HasCurve(c) || !m_pPlot->GetCurve(c).GetVisible())
                continue;
            const ChartPoint* p = m_pStore->getPoints(c);
            const unsigned n = m_pStore->getPointCount(c);
            for (unsigned i = 0; p && i < n; ++i) {
                const double v = xAxis ? p[i].x : p[i].y;
                if (!std::isfinite(v))
                    continue;
                lo = any ? std::min(lo, v) : v;
                hi = any ? std::max(hi, v) : v;
                any = true;
            }
        }
    }
    if (any)
        (xAxis ? m_pPlot->GetXAxis(0) : m_pPlot->GetYAxis(0)).SetRange(lo, hi);
    Redraw();
}

void CGraphicDisplayWnd::OnFitX() { FitVisible(true); }
void CGraphicDisplayWnd::OnFitY() { FitVisible(false); }

void CGraphicDisplayWnd::OnLegend()
{
    if (!m_pPlot)
        return;
    m_pPlot->SetShowLegend(!m_pPlot->GetShowLegend());
    Redraw();
}

void CGraphicDisplayWnd::OnCurveOnOff()
{
    if (!m_pPlot || m_nSelectedCurve < 0 || m_nSelectedCurve >= m_pPlot->GetCurveCount())
        return;
    CPlotDataSerie& curve = m_pPlot->GetCurve(m_nSelectedCurve);
    m_pPlot->ShowCurve(m_nSelectedCurve, !curve.GetVisible());
    Redraw();
}

void CGraphicDisplayWnd::OnMeasureMode()
{
    if (!m_pPlot)
        return;
    m_pPlot->SetInteractive(true);
    m_pPlot->NoOp();
    if (m_pPlot->GetInteractive() && m_pPlot->GetCurveCount() > 0)
        m_pPlot->Measure();
    Redraw();
}

void CGraphicDisplayWnd::OnResetMode()
{
    if (!m_pPlot)
        return;
    m_pPlot->SetInteractive(false);
    m_pPlot->NoOp();
    Redraw();
}

void CGraphicDisplayWnd::OnProperties()
{
    if (!m_pChartPage)
        return;
    m_pChartPage->ShowSheet();
    m_pChartPage->ApplyDialogTexts(m_ChartTexts, m_AxisTexts, m_CurveTexts);
}
