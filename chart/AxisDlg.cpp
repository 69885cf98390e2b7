#include "chart/AxisDlg.h"

#include "chart/ChartPage.h"
#include "chart/Plot.h"
#include "chart/PlotAxis.h"
#include "platform/CommonDialogs.h"
#include "platform/DDX.h"
#include "platform/Dc.h"
#include "platform/Modal.h"

#include <cfloat>
#include <ctime>
#include <utility>

VX_IMPLEMENT_DYNAMIC(CAxisDlg, CChartSubPage)

namespace {

void DDX_DateTime(CDataExchange* dx, int id, DATE& value)
{
    auto* picker = dynamic_cast<CDateTimeCtrl*>(dx->PrepareCtrl(id));
    if (!picker)
        return;
    if (dx->m_bSaveAndValidate) {
        COleDateTime t;
        if (picker->GetTime(t) == GDT_VALID)
            value = t.m_dt;
    } else {
        picker->SetTime(COleDateTime(value));
    }
}

} // namespace

CAxisDlg::CAxisDlg(CChartPage* sheet) : CChartSubPage(IDD, sheet)
{
    VX_ON_COMMAND(IDC_SCALE_FONT, OnScaleFont);
    VX_ON_COMMAND(IDC_TITLE_FONT, OnTitleFont);
    for (int id : {IDC_AUTOSCALE, IDC_TIME, IDC_GRID, IDC_VISIBLE, IDC_SHOW_MARKERS})
        VX_ON_CONTROL(BN_CLICKED, static_cast<UINT>(id), OnChange);
    for (int id : {IDC_ARROW, IDC_FORMAT, IDC_MARKER, IDC_MAX, IDC_MIN, IDC_TITLE, IDC_DECIMALS, IDC_STEP, IDC_TICK,
                   IDC_TIME_STEP})
        VX_ON_CONTROL(EN_CHANGE, static_cast<UINT>(id), OnChange);
    for (int id : {IDC_PLACEMENT, IDC_GRID_STYLE, IDC_TIME_UNIT})
        VX_ON_CONTROL(CBN_SELCHANGE, static_cast<UINT>(id), OnChange);
    for (int id : {IDC_MAX_DATE, IDC_MAX_TIME, IDC_MIN_DATE, IDC_MIN_TIME})
        MapNotifyFn(DTN_DATETIMECHANGE, static_cast<UINT>(id), [this](NMHDR*, LRESULT* r) {
            OnChange();
            if (r)
                *r = 0;
        });
}

CAxisDlg::~CAxisDlg() = default;

void CAxisDlg::DoDataExchange(CDataExchange* dx)
{
    CChartSubPage::DoDataExchange(dx);
    auto& v = m_Values;
    // A field the user cannot edit keeps what was read from the axis: its
    // text never blocks Apply.
    auto editable = [this, dx](int id) {
        const CWnd* w = GetDlgItem(id);
        return !dx->m_bSaveAndValidate || !w || w->IsWindowEnabled();
    };
    DDX_Control(dx, IDC_MARKER_SPIN, m_MarkerSpin);
    DDX_Control(dx, IDC_ARROW_SPIN, m_ArrowSpin);
    DDX_Control(dx, IDC_TICK_SPIN, m_TickSpin);
    DDX_Control(dx, IDC_GRID_COLOUR, m_GridColour);
    DDX_Control(dx, IDC_COLOUR, m_AxisColour);
    DDX_Control(dx, IDC_DECIMALS_SPIN, m_DecimalsSpin);
    DDX_Text(dx, IDC_TITLE, v.title);
    DDX_Check(dx, IDC_AUTOSCALE, v.autoscale);
    if (editable(IDC_MIN))
        DDX_Text(dx, IDC_MIN, v.min);
    if (editable(IDC_MAX))
        DDX_Text(dx, IDC_MAX, v.max);
    DDX_Check(dx, IDC_GRID, v.grid);
    DDX_Check(dx, IDC_TIME, v.timeAxis);
    DDX_Check(dx, IDC_VISIBLE, v.visible);
    if (editable(IDC_DECIMALS)) {
        DDX_Text(dx, IDC_DECIMALS, v.decimals);
        DDV_MinMaxInt(dx, v.decimals, 0, 6);
    }
    DDX_Text(dx, IDC_ARROW, v.arrowSize);
    DDV_MinMaxInt(dx, v.arrowSize, 1, 10);
    DDX_Text(dx, IDC_TICK, v.tickSize);
    DDV_MinMaxInt(dx, v.tickSize, 1, 10);
    DDX_Text(dx, IDC_MARKER, v.markerSize);
    DDV_MinMaxInt(dx, v.markerSize, 1, 20);
    if (editable(IDC_STEP))
        DDX_Text(dx, IDC_STEP, v.step);
    const std::pair<int, DATE*> pickers[] = {
        {IDC_MAX_DATE, &v.maxDate}, {IDC_MAX_TIME, &v.maxTime}, {IDC_MIN_DATE, &v.minDate}, {IDC_MIN_TIME, &v.minTime}};
    for (const auto& [id, value] : pickers)
        if (editable(id))
            DDX_DateTime(dx, id, *value);
    if (editable(IDC_FORMAT))
        DDX_Text(dx, IDC_FORMAT, v.format);
    DDX_Check(dx, IDC_SHOW_MARKERS, v.showMarkers);
    if (editable(IDC_PLACEMENT))
        DDX_CBIndex(dx, IDC_PLACEMENT, v.placement);
    DDX_CBIndex(dx, IDC_GRID_STYLE, v.gridStyle);
    if (editable(IDC_TIME_UNIT))
        DDX_CBIndex(dx, IDC_TIME_UNIT, v.timeUnit);
    if (editable(IDC_TIME_STEP)) {
        DDX_Text(dx, IDC_TIME_STEP, v.timeStep);
        // A whole count of the unit, refused on its field like any integer;
        // a step of no whole second ("0.2") passes while it is left as read.
        if (dx->m_bSaveAndValidate && !ChartDlgLogic::TimeStepAsRead(v)) {
            int count = 0;
            DDX_Text(dx, IDC_TIME_STEP, count);
            DDV_MinMaxInt(dx, count, 1, ChartDlgLogic::kMaxTimeStep);
        }
    }
    DDX_ColorButton(dx, IDC_COLOUR, v.color);
    DDX_ColorButton(dx, IDC_GRID_COLOUR, v.gridColor);
}

BOOL CAxisDlg::OnInitDialog()
{
    InitFromAxis();
    return TRUE;
}

void CAxisDlg::FollowSheet()
{
    // The window names its axis by index (see the curve page).
    if (CChartPage* sheet = GetSheet())
        m_pAxis = sheet->GetAxisTarget();
}

void CAxisDlg::InitFromAxis()
{
    FollowSheet();
    if (!IsWindow())
        return;
    // Lists without entries of their own.
    if (auto* grid = dynamic_cast<CComboBox*>(GetDlgItem(IDC_GRID_STYLE)); grid && grid->GetCount() != 5) {
        grid->ResetContent();
        for (int i = 0; i < 5; ++i)
            grid->AddString(" ");
    }
    if (auto* place = dynamic_cast<CComboBox*>(GetDlgItem(IDC_PLACEMENT)); place && place->GetCount() != 2) {
        place->ResetContent();
        place->AddString("Left");
        place->AddString("Right");
    }
    if (auto* unit = dynamic_cast<CComboBox*>(GetDlgItem(IDC_TIME_UNIT)); unit && unit->GetCount() != 4) {
        unit->ResetContent();
        for (const char* t : {"Seconds", "Minutes", "Hours", "Days"})
            unit->AddString(t);
    }
    if (m_pAxis)
        m_Values = ChartDlgLogic::ReadAxis(*m_pAxis, COleDateTime(std::time(nullptr)).m_dt);
    UpdateData(FALSE);
    m_DecimalsSpin.SetRange32(0, 6);
    m_ArrowSpin.SetRange32(1, 10);
    m_TickSpin.SetRange32(1, 10);
    m_MarkerSpin.SetRange32(1, 20);
    UpdateData(FALSE);
    ApplyEnabling(m_Values.autoscale != 0, m_Values.timeAxis != 0);
    EnableApply(false);
    MarkClean();
}

void CAxisDlg::ApplyEnabling(bool autoscale, bool timeAxis)
{
    const ChartDlgLogic::AxisEnabling e = ChartDlgLogic::AxisEnable(autoscale, timeAxis);
    for (int id : {IDC_MIN, IDC_MAX, IDC_STEP})
        Enable(id, e.range);
    for (int id : {IDC_MIN_DATE, IDC_MIN_TIME, IDC_MAX_DATE, IDC_MAX_TIME, IDC_TIME_STEP, IDC_TIME_UNIT})
        Enable(id, e.timeRange);
    for (int id : {IDC_DECIMALS, IDC_DECIMALS_SPIN, IDC_PLACEMENT})
        Enable(id, e.decimals);
    Enable(IDC_FORMAT, e.format);
}

bool CAxisDlg::ControlsValid() const
{
    // Disabled fields do not count: a fresh axis shows its unset range as
    // numbers beyond what can be typed back.
    auto ok = [this](int id, bool valid) { return valid || !GetDlgItem(id) || !GetDlgItem(id)->IsWindowEnabled(); };
    ChartDlgLogic::AxisValues step = m_Values;
    GetDlgItemText(IDC_TIME_STEP, step.timeStep);
    if (const auto* unit = dynamic_cast<const CComboBox*>(GetDlgItem(IDC_TIME_UNIT)))
        step.timeUnit = unit->GetCurSel();
    double days = 0.0;
    return ok(IDC_DECIMALS, QuietInt(IDC_DECIMALS, 0, 6)) && QuietInt(IDC_ARROW, 1, 10) && QuietInt(IDC_TICK, 1, 10)
           && QuietInt(IDC_MARKER, 1, 20) && ok(IDC_TIME_STEP, ChartDlgLogic::TimeStepDays(step, days))
           && ok(IDC_MIN, QuietDouble(IDC_MIN)) && ok(IDC_MAX, QuietDouble(IDC_MAX))
           && ok(IDC_STEP, QuietDouble(IDC_STEP));
}

void CAxisDlg::OnChange()
{
    if (!BeginChange() || !ControlsValid())
        return;
    const bool timeAxis = IsDlgButtonChecked(IDC_TIME) != 0;
    // An axis that becomes a time axis needs a date format to show.
    if (timeAxis) {
        CString fmt;
        GetDlgItemText(IDC_FORMAT, fmt);
        if (fmt.IsEmpty())
            SetDlgItemText(IDC_FORMAT, ChartDlgLogic::EscapeNewlines(ChartDlgLogic::kDefaultTimeFormat));
    }
    ApplyEnabling(IsDlgButtonChecked(IDC_AUTOSCALE) != 0, timeAxis);
    EnableApply(true);
}

bool CAxisDlg::Apply()
{
    FollowSheet();
    if (!m_pAxis || !IsWindow())
        return true;
    // What can be edited follows the boxes as they stand, even where a change
    // handler stopped early on a field that did not validate.
    ApplyEnabling(IsDlgButtonChecked(IDC_AUTOSCALE) != 0, IsDlgButtonChecked(IDC_TIME) != 0);
    if (!UpdateData(TRUE))
        return false;
    const CString why = ChartDlgLogic::CheckAxis(m_Values);
    if (!why.IsEmpty()) {
        MessageBox(this, why, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    ChartDlgLogic::WriteAxis(m_Values, *m_pAxis, DefaultColour());
    if (CPlot* chart = m_pAxis->GetGraph(); chart && chart->IsWindow())
        chart->Invalidate(TRUE);
    else if (CChartPage* sheet = GetSheet(); sheet && sheet->GetChart() && sheet->GetChart()->IsWindow())
        sheet->GetChart()->Invalidate(TRUE);
    EnableApply(false);
    MarkClean();
    return true;
}

void CAxisDlg::OnTitleFont() { ChooseFont(true); }

void CAxisDlg::OnScaleFont() { ChooseFont(false); }

void CAxisDlg::ChooseFont(bool title)
{
    FollowSheet();
    CFontDialog dlg(nullptr, CF_SCREENFONTS | CF_EFFECTS, this);
    if (dlg.DoModal() != IDOK)
        return;
    // At once, not at Apply.
    if (m_pAxis)
        title ? m_pAxis->SetTitleFont(dlg.GetLogFont()) : m_pAxis->SetScaleFont(dlg.GetLogFont());
    OnChange();
}

void CAxisDlg::OnDrawItem(int id, LPDRAWITEMSTRUCT dis)
{
    if (id == IDC_GRID_STYLE && dis && dis->CtlType == ODT_COMBOBOX) {
        DrawLineStyleItem(dis);
        return;
    }
    CChartSubPage::OnDrawItem(id, dis);
}

void CAxisDlg::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis)
{
    if (id == IDC_GRID_STYLE && mis) {
        mis->itemHeight = 16;
        mis->itemWidth = 16;
        return;
    }
    CChartSubPage::OnMeasureItem(id, mis);
}
