// The chart's property window, label dialog, colour picker and analysis
// dialogs driven by control id, as the user's clicks and keys reach them.
#include "chart/AxisDlg.h"
#include "chart/ChartDlg.h"
#include "chart/ChartPage.h"
#include "chart/ColorButton.h"
#include "chart/CurveDlg.h"
#include "chart/LabelDlg.h"
#include "chart/Plot.h"
#include "platform/Modal.h"
#include "platform/Text1252.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cstring>
#include <memory>
#include <vector>

using vx::ModalKind;
using vx::ModalScript;

namespace {

LPARAM Pt(int x, int y) { return MAKELPARAM(x, y); }

void Notify(CWnd* page, int id, UINT code)
{
    page->SendMessage(WM_COMMAND, (static_cast<WPARAM>(code) << 16) | static_cast<WPARAM>(id),
                      reinterpret_cast<LPARAM>(page->GetDlgItem(id)));
}

void Click(CWnd* page, int id)
{
    CWnd* b = page->GetDlgItem(id);
    ASSERT_NE(b, nullptr) << id;
    b->SendMessage(BM_CLICK);
}

void Choose(CWnd* page, int id, int index)
{
    auto* combo = dynamic_cast<CComboBox*>(page->GetDlgItem(id));
    ASSERT_NE(combo, nullptr) << id;
    combo->SetCurSel(index);
    Notify(page, id, CBN_SELCHANGE);
}

void Type(CWnd* page, int id, const char* text)
{
    CWnd* e = page->GetDlgItem(id);
    ASSERT_NE(e, nullptr) << id;
    e->SetWindowText(text);   // raises EN_CHANGE like typing
}

CString Text(CWnd* page, int id)
{
    CString s;
    page->GetDlgItemText(id, s);
    return s;
}

bool Enabled(CWnd* page, int id) { return page->GetDlgItem(id) && page->GetDlgItem(id)->IsWindowEnabled(); }

int Sel(CWnd* page, int id) { return dynamic_cast<CComboBox*>(page->GetDlgItem(id))->GetCurSel(); }

std::vector<ChartPoint> Line(int n)
{
    std::vector<ChartPoint> p(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        p[static_cast<size_t>(i)] = {double(i), 2.0 * i + 1.0};
    return p;
}

// A chart with 3 curves on 3 X axes and 2 Y axes, inside a top-level window.
class ChartSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string err;
        ASSERT_TRUE(vxres::InstallResources(&err)) << err;
        ASSERT_TRUE(frame.Create("VxTestFrame", "frame", WS_OVERLAPPED, CRect(0, 0, 520, 380), nullptr, 0));
        chart = std::make_unique<CPlot>();
        ASSERT_TRUE(chart->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 360), &frame, 0));
        auto pts = Line(10);
        ASSERT_NE(chart->SetData(pts.data(), 10, 0, 0, 0, true, true, false), nullptr);
        ASSERT_NE(chart->SetData(pts.data(), 10, 1, 1, 1, true, true, false), nullptr);
        ASSERT_NE(chart->SetData(pts.data(), 10, 2, 2, 1, true, true, false), nullptr);
        for (int i = 0; i < 3; ++i) {
            chart->GetCurve(i).SetLabel(CString::Formatted("C%d", i + 1));
            chart->GetXAxis(i).SetLabel(CString::Formatted("X%d", i + 1));
        }
        chart->GetYAxis(0).SetLabel("Y1");
        chart->GetYAxis(1).SetLabel("Y2");
        frame.ShowWindow(SW_SHOW);
        sheet = std::make_unique<CChartPage>(chart.get());
        ASSERT_TRUE(sheet->CreateSheet());
        sheet->ShowSheet();
        ASSERT_TRUE(sheet->IsWindowVisible());
    }
    void TearDown() override
    {
        sheet.reset();
        chart->DestroyWindow();
        chart.reset();
        frame.DestroyWindow();
    }
    CChartDlg* ChartPage() { return sheet->GetChartDlg(); }
    CAxisDlg* AxisPage() { return sheet->GetAxisDlg(); }
    CCurveDlg* CurvePage() { return sheet->GetCurveDlg(); }
    void ShowTab(int i)
    {
        sheet->GetTabCtrl()->ClickTab(i);
        ASSERT_TRUE(sheet->GetPage(i)->IsWindowVisible());
    }

    CWnd frame;
    std::unique_ptr<CPlot> chart;
    std::unique_ptr<CChartPage> sheet;
};

} // namespace

TEST_F(ChartSheet, ShowsChartAxisAndCurveTabsForYAxis0AndCurve0)
{
    CTabCtrl* tab = sheet->GetTabCtrl();
    ASSERT_EQ(tab->GetItemCount(), 3);
    EXPECT_EQ(tab->GetItemText(0), CString("Diagramm"));
    EXPECT_EQ(tab->GetItemText(1), CString("Achse"));
    EXPECT_EQ(tab->GetItemData(2), reinterpret_cast<LPARAM>(CurvePage()));
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_TRUE(ChartPage()->IsWindowVisible());
    EXPECT_FALSE(AxisPage()->IsWindowVisible());
    EXPECT_EQ(AxisPage()->GetAxis(), &chart->GetYAxis(0));
    EXPECT_EQ(CurvePage()->GetCurve(), &chart->GetCurve(0));
    EXPECT_EQ(Text(AxisPage(), CAxisDlg::IDC_TITLE), CString("Y1"));
    EXPECT_EQ(Sel(ChartPage(), CChartDlg::IDC_YAXES), 0);
    EXPECT_EQ(Sel(ChartPage(), CChartDlg::IDC_XAXES), -1);
    auto* curves = dynamic_cast<CComboBox*>(ChartPage()->GetDlgItem(CChartDlg::IDC_CURVES));
    EXPECT_EQ(curves->GetLBText(2), CString("3 C3"));

    ShowTab(2);
    EXPECT_FALSE(ChartPage()->IsWindowVisible());
    EXPECT_FALSE(ChartPage()->IsWindowEnabled());
    CRect r;
    CurvePage()->GetWindowRect(&r);
    CRect t;
    tab->GetWindowRect(&t);
    EXPECT_EQ(r.left - t.left, CChartPage::kPageX);
    EXPECT_EQ(r.top - t.top, CChartPage::kPageY);
    EXPECT_FALSE(CurvePage()->GetStyle() & WS_CAPTION);
}

TEST_F(ChartSheet, ChoosingAnAxisOrCurveRetargetsThePages)
{
    Choose(ChartPage(), CChartDlg::IDC_XAXES, 2);
    EXPECT_EQ(Sel(ChartPage(), CChartDlg::IDC_YAXES), -1);
    EXPECT_EQ(AxisPage()->GetAxis(), &chart->GetXAxis(2));
    EXPECT_EQ(Text(AxisPage(), CAxisDlg::IDC_TITLE), CString("X3"));
    EXPECT_TRUE(chart->GetXAxis(2).m_bSelected);
    EXPECT_FALSE(chart->GetXAxis(0).m_bSelected);

    Choose(ChartPage(), CChartDlg::IDC_YAXES, 1);
    EXPECT_EQ(Sel(ChartPage(), CChartDlg::IDC_XAXES), -1);
    EXPECT_EQ(Text(AxisPage(), CAxisDlg::IDC_TITLE), CString("Y2"));

    Choose(ChartPage(), CChartDlg::IDC_CURVES, 1);
    EXPECT_EQ(CurvePage()->GetCurve(), &chart->GetCurve(1));
    EXPECT_EQ(Text(CurvePage(), CCurveDlg::IDC_NAME), CString("C2"));
}

TEST_F(ChartSheet, ChartApplyWritesExactlyItsControls)
{
    CChartDlg* page = ChartPage();
    const COLORREF inner = chart->GetInnerColor(), outer = chart->GetOuterColor();
    const bool buffer = chart->GetDoubleBuffer();
    EXPECT_FALSE(Enabled(page, CChartSubPage::IDC_APPLY));
    ASSERT_TRUE(chart->GetShowLegend());
    Click(page, CChartDlg::IDC_LEGEND);
    EXPECT_TRUE(Enabled(page, CChartSubPage::IDC_APPLY));
    EXPECT_FALSE(Enabled(page, CChartDlg::IDC_LEGEND_ALIGN));
    Type(page, CChartDlg::IDC_SNAP_RANGE, "33");
    page->m_BackColour.SetColour(RGB(0, 0, 255));
    Click(page, CChartSubPage::IDC_APPLY);
    EXPECT_FALSE(Enabled(page, CChartSubPage::IDC_APPLY));
    EXPECT_FALSE(chart->GetShowLegend());
    EXPECT_EQ(chart->GetSnapRange(), 33);
    EXPECT_EQ(chart->GetBackColor(), RGB(0, 0, 255));
    EXPECT_EQ(chart->GetInnerColor(), inner);
    EXPECT_EQ(chart->GetOuterColor(), outer);
    EXPECT_EQ(chart->GetDoubleBuffer(), buffer);
    // A colour chosen in a button enables Apply again.
    page->SendMessage(CPN_SELCHANGE, RGB(1, 1, 1), CChartDlg::IDC_INNER);
    EXPECT_TRUE(Enabled(page, CChartSubPage::IDC_APPLY));
}

TEST_F(ChartSheet, CancelLeavesNothingBehind)
{
    ShowTab(1);
    Type(AxisPage(), CAxisDlg::IDC_TITLE, "Kraft");
    Click(AxisPage(), CAxisDlg::IDC_GRID);
    ShowTab(2);
    Type(CurvePage(), CCurveDlg::IDC_NAME, "renamed");
    Click(CurvePage(), IDCANCEL);
    EXPECT_FALSE(sheet->IsWindowVisible());
    EXPECT_EQ(chart->GetYAxis(0).GetLabel(), CString("Y1"));
    EXPECT_EQ(chart->GetCurve(0).GetLabel(), CString("C1"));
    // The next show starts from the objects again.
    sheet->ShowSheet();
    EXPECT_EQ(Text(AxisPage(), CAxisDlg::IDC_TITLE), CString("Y1"));
    EXPECT_EQ(Text(CurvePage(), CCurveDlg::IDC_NAME), CString("C1"));
    EXPECT_FALSE(Enabled(AxisPage(), CChartSubPage::IDC_APPLY));
}

TEST_F(ChartSheet, OkAppliesEveryChangedPageAndRefusesBadValues)
{
    Type(ChartPage(), CChartDlg::IDC_SNAP_RANGE, "12");
    ShowTab(2);
    Type(CurvePage(), CCurveDlg::IDC_NAME, "Kraft");
    Click(CurvePage(), IDOK);
    EXPECT_FALSE(sheet->IsWindowVisible());
    EXPECT_EQ(chart->GetSnapRange(), 12);
    EXPECT_EQ(chart->GetCurve(0).GetLabel(), CString("Kraft"));

    sheet->ShowSheet();
    ModalScript::Clear();
    // "-" on the way to "-5" is quiet; OK with it refuses and stays open.
    Type(ChartPage(), CChartDlg::IDC_SNAP_RANGE, "500");
    EXPECT_FALSE(Enabled(ChartPage(), CChartSubPage::IDC_APPLY));
    EXPECT_TRUE(ModalScript::MessageBoxTexts().empty());
    Click(ChartPage(), CChartDlg::IDC_SNAP);
    Click(ChartPage(), IDOK);
    EXPECT_TRUE(sheet->IsWindowVisible());
    EXPECT_EQ(ModalScript::MessageBoxTexts().size(), 1u);
    EXPECT_EQ(chart->GetSnapRange(), 12);
}

TEST_F(ChartSheet, EnterAndEscapeInAPageCloseNothing)
{
    CWnd* edit = ChartPage()->GetDlgItem(CChartDlg::IDC_SNAP_RANGE);
    for (UINT key : {VK_ESCAPE, VK_RETURN}) {
        MSG msg{};
        msg.hwnd = edit;
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        EXPECT_TRUE(edit->PreTranslateMessage(&msg) || ChartPage()->PreTranslateMessage(&msg));
    }
    QApplication::setActiveWindow(sheet->GetPeer()->window());
    edit->SetFocus();
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(edit->GetPeer(), &press);
    }
    EXPECT_TRUE(sheet->IsWindowVisible());
}

TEST_F(ChartSheet, AxisApplyAndTimeAxisSwitch)
{
    ShowTab(1);
    CAxisDlg* page = AxisPage();
    EXPECT_FALSE(Enabled(page, CAxisDlg::IDC_MIN));   // autoscale on
    Click(page, CAxisDlg::IDC_AUTOSCALE);
    EXPECT_TRUE(Enabled(page, CAxisDlg::IDC_MIN));
    EXPECT_FALSE(Enabled(page, CAxisDlg::IDC_MIN_DATE));
    Type(page, CAxisDlg::IDC_TITLE, "Kraft");
    Type(page, CAxisDlg::IDC_MIN, "-5");
    Type(page, CAxisDlg::IDC_MAX, "2000000");
    Type(page, CAxisDlg::IDC_STEP, "500000");
    Type(page, CAxisDlg::IDC_DECIMALS, "2");
    Click(page, CChartSubPage::IDC_APPLY);
    CPlotAxis& y = chart->GetYAxis(0);
    EXPECT_EQ(y.GetLabel(), CString("Kraft"));
    EXPECT_FALSE(y.GetAutoScale());
    double lo, hi, step;
    y.GetRange(&lo, &hi, &step);
    EXPECT_EQ(lo, -5);
    EXPECT_EQ(hi, 2000000);
    EXPECT_EQ(step, 500000);
    EXPECT_EQ(y.GetDisplayFmt(), CString("%5.2e"));

    // An inverted range is refused with a message; Apply stays enabled.
    ModalScript::Clear();
    Type(page, CAxisDlg::IDC_MIN, "9");
    Type(page, CAxisDlg::IDC_MAX, "1");
    Click(page, CChartSubPage::IDC_APPLY);
    EXPECT_EQ(ModalScript::MessageBoxTexts().size(), 1u);
    EXPECT_TRUE(Enabled(page, CChartSubPage::IDC_APPLY));
    y.GetRange(&lo, nullptr, nullptr);
    EXPECT_EQ(lo, -5);

    // Becoming a time axis: pickers on, decimals off, a date format.
    Type(page, CAxisDlg::IDC_MIN, "0");
    Click(page, CAxisDlg::IDC_TIME);
    EXPECT_TRUE(Enabled(page, CAxisDlg::IDC_MIN_DATE));
    EXPECT_FALSE(Enabled(page, CAxisDlg::IDC_DECIMALS));
    EXPECT_FALSE(Enabled(page, CAxisDlg::IDC_MIN));
    EXPECT_EQ(Text(page, CAxisDlg::IDC_FORMAT), CString("%d.%m.%Y\\n%H:%M:%S"));
    Type(page, CAxisDlg::IDC_TIME_STEP, "3");
    Choose(page, CAxisDlg::IDC_TIME_UNIT, 3);
    Click(page, CChartSubPage::IDC_APPLY);
    EXPECT_TRUE(y.IsTimeAxis());
    EXPECT_EQ(y.GetDisplayFmt(), CString("%d.%m.%Y\n%H:%M:%S"));
    y.GetRange(nullptr, nullptr, &step);
    EXPECT_DOUBLE_EQ(step, 3.0);
    // Reading it back shows 3 days.
    page->InitFromAxis();
    EXPECT_EQ(Text(page, CAxisDlg::IDC_TIME_STEP), CString("3"));
    EXPECT_EQ(Sel(page, CAxisDlg::IDC_TIME_UNIT), 3);
}

// A time step that is no whole number in range is refused on its own
// field with the framework's message, and nothing is written.
TEST_F(ChartSheet, ATimeStepThatIsNoWholeNumberIsRefusedOnItsField)
{
    CPlotAxis& y = chart->GetYAxis(0);
    y.SetTimeAxis(true);
    y.SetAutoScale(false);
    y.SetShownRange(45000.0, 45001.0, 2.0 / 24.0);
    ShowTab(1);
    AxisPage()->InitFromAxis();
    for (const char* typed : {"zwei", "0"}) {
        Type(AxisPage(), CAxisDlg::IDC_TITLE, "Zeit");
        Type(AxisPage(), CAxisDlg::IDC_TIME_STEP, typed);
        ModalScript::Clear();
        Click(AxisPage(), CChartSubPage::IDC_APPLY);
        const CString message = *typed == '0' ? "Please enter an integer between 1 and 22118400." : "Please enter an integer.";
        EXPECT_EQ(ModalScript::MessageBoxTexts(), std::vector<CString>{message});
        int from = -1, to = -1;
        dynamic_cast<CEdit*>(AxisPage()->GetDlgItem(CAxisDlg::IDC_TIME_STEP))->GetSel(from, to);
        EXPECT_EQ(to - from, static_cast<int>(std::strlen(typed))) << "the field is marked";
        EXPECT_EQ(y.GetLabel(), CString("Y1"));
    }
}

TEST_F(ChartSheet, ASubSecondTimeStepNeverBlocksApplyAndSurvivesItUntouched)
{
    // A 5 s time axis with a 0.2 s step, as autoscale sets it.
    CPlotAxis& y = chart->GetYAxis(0);
    y.SetTimeAxis(true);
    y.SetShownRange(45000.0, 45000.0 + 5.0 / 86400.0, 0.2 / 86400.0);
    y.SetAutoScale(true);
    ShowTab(1);
    AxisPage()->InitFromAxis();
    EXPECT_EQ(Text(AxisPage(), CAxisDlg::IDC_TIME_STEP), CString("0.2"));
    ModalScript::Clear();
    Type(AxisPage(), CAxisDlg::IDC_TITLE, "Zeit");
    Click(AxisPage(), CChartSubPage::IDC_APPLY);   // the step field is disabled
    Click(AxisPage(), CAxisDlg::IDC_AUTOSCALE);
    Click(AxisPage(), CChartSubPage::IDC_APPLY);   // now enabled, left alone
    double step = 0.0;
    y.GetRange(nullptr, nullptr, &step);
    EXPECT_EQ(y.GetLabel(), CString("Zeit"));
    EXPECT_FALSE(y.GetAutoScale());
    EXPECT_EQ(step, 0.2 / 86400.0);
    EXPECT_TRUE(ModalScript::MessageBoxTexts().empty());
}

TEST_F(ChartSheet, AnAxisWithoutARangeStillTakesItsTitle)
{
    auto pts = Line(4);
    ASSERT_NE(chart->SetData(pts.data(), 4, 3, 3, 2, false, true, false), nullptr);
    sheet->RetargetAxisPageToY(2);
    ShowTab(1);
    Type(AxisPage(), CAxisDlg::IDC_TITLE, "neu");
    EXPECT_TRUE(Enabled(AxisPage(), CChartSubPage::IDC_APPLY));
    Click(AxisPage(), CChartSubPage::IDC_APPLY);
    EXPECT_EQ(chart->GetYAxis(2).GetLabel(), CString("neu"));
    EXPECT_TRUE(chart->GetYAxis(2).GetAutoScale());
}

TEST_F(ChartSheet, FillPartnerListMapsToCurveIndexes)
{
    Choose(ChartPage(), CChartDlg::IDC_CURVES, 1);
    ShowTab(2);
    CCurveDlg* page = CurvePage();
    auto* list = dynamic_cast<CComboBox*>(page->GetDlgItem(CCurveDlg::IDC_PARTNER));
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetLBText(0), CString("1 C1"));
    EXPECT_EQ(list->GetLBText(1), CString("3 C3"));
    EXPECT_FALSE(Enabled(page, CCurveDlg::IDC_PARTNER));
    Click(page, CCurveDlg::IDC_FILL);
    EXPECT_TRUE(Enabled(page, CCurveDlg::IDC_PARTNER));
    EXPECT_TRUE(Enabled(page, CCurveDlg::IDC_TRANSPARENT));
    EXPECT_TRUE(Enabled(page, 6032));
    Choose(page, CCurveDlg::IDC_PARTNER, 1);
    Click(page, 6042);   // the fourth fill style
    Click(page, CChartSubPage::IDC_APPLY);
    CPlotDataSerie& c2 = chart->GetCurve(1);
    EXPECT_TRUE(c2.GetFill());
    EXPECT_EQ(c2.GetFillPartner(), 2);
    EXPECT_EQ(c2.GetFillStyle(), 3);
    page->InitFromCurve();
    EXPECT_EQ(Sel(page, CCurveDlg::IDC_PARTNER), 1);

    // Markers: kind radios follow the box, the symbol list kind 1.
    EXPECT_FALSE(Enabled(page, CCurveDlg::IDC_KIND_SYMBOL));
    Click(page, CCurveDlg::IDC_SHOW_MARKERS);
    EXPECT_TRUE(Enabled(page, CCurveDlg::IDC_KIND_SYMBOL));
    EXPECT_FALSE(Enabled(page, CCurveDlg::IDC_SYMBOL));
    Click(page, CCurveDlg::IDC_KIND_SYMBOL);
    EXPECT_TRUE(Enabled(page, CCurveDlg::IDC_SYMBOL));
    Choose(page, CCurveDlg::IDC_SYMBOL, 4);
    Click(page, CChartSubPage::IDC_APPLY);
    EXPECT_EQ(c2.GetMarkerType(), 1);
    EXPECT_EQ(c2.GetMarker(), 4);
    EXPECT_EQ(c2.GetFillPartner(), 2);
}

TEST_F(ChartSheet, EmptyPartnerListNeverWritesMinusOne)
{
    chart->DeleteCurve(2);
    chart->DeleteCurve(1);
    chart->GetCurve(0).SetFillPartner(1);
    sheet->CloseSheet();
    sheet->ShowSheet();
    ShowTab(2);
    CCurveDlg* page = CurvePage();
    EXPECT_EQ(dynamic_cast<CComboBox*>(page->GetDlgItem(CCurveDlg::IDC_PARTNER))->GetCount(), 0);
    Click(page, CCurveDlg::IDC_FILL);
    Click(page, CChartSubPage::IDC_APPLY);
    EXPECT_TRUE(chart->GetCurve(0).GetFill());
    EXPECT_EQ(chart->GetCurve(0).GetFillPartner(), 1);
    EXPECT_EQ(chart->GetCurve(0).GetLineStyle(), 0u);
}

TEST_F(ChartSheet, TextRecordsSetCaptionTabsAndControls)
{
    struct Rec {
        int id;
        CString text;
    };
    const std::vector<Rec> chartTexts = {{-1, "Paramètres"}, {-2, "Diagramme"}, {1001, "Fond"}};
    const std::vector<Rec> axisTexts = {{-2, "Axe"}, {6009, "Visible"}, {4711, "nobody"}};
    const std::vector<Rec> curveTexts = {{-2, "Courbe"}, {2, "Annuler"}};
    sheet->ApplyDialogTexts(chartTexts, axisTexts, curveTexts);
    sheet->ApplyDialogTexts(chartTexts, axisTexts, curveTexts);
    CTabCtrl* tab = sheet->GetTabCtrl();
    ASSERT_EQ(tab->GetItemCount(), 3);
    EXPECT_EQ(tab->GetItemText(2), CString("Courbe"));
    EXPECT_EQ(tab->GetItemData(1), reinterpret_cast<LPARAM>(AxisPage()));
    EXPECT_EQ(sheet->GetWindowTextString(), CString("Paramètres"));
    EXPECT_EQ(Text(ChartPage(), 1001), CString("Fond"));
    EXPECT_EQ(Text(AxisPage(), CAxisDlg::IDC_VISIBLE), CString("Visible"));
    EXPECT_EQ(Text(CurvePage(), IDCANCEL), CString("Annuler"));
    // The next show keeps the texts: the tabs come from the pages' own texts.
    sheet->CloseSheet();
    sheet->ShowSheet();
    EXPECT_EQ(tab->GetItemText(0), CString("Diagramme"));
}

TEST_F(ChartSheet, ColourChosenOnTheCurvePageIsWhatTheChartPaints)
{
    auto orangePixels = [this] {
        chart->SendMessage(WM_PAINT);
        const QImage& img = chart->GetSnapshot();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += (img.pixel(x, y) & 0xFFFFFFu) == 0xFF6820u;
        return n;
    };
    EXPECT_EQ(orangePixels(), 0);
    ShowTab(2);
    CCurveDlg* page = CurvePage();
    page->m_Colour.SendMessage(BM_CLICK);
    CColorGridPopup* popup = page->m_Colour.GetPopup();
    ASSERT_NE(popup, nullptr);
    const CPoint orange = popup->GetLayout().BoxRect(9).CenterPoint();
    popup->SendMessage(WM_MOUSEMOVE, 0, Pt(orange.x, orange.y));
    popup->SendMessage(WM_LBUTTONUP, 0, Pt(orange.x, orange.y));
    EXPECT_TRUE(Enabled(page, CChartSubPage::IDC_APPLY));
    EXPECT_EQ(orangePixels(), 0);   // nothing before Apply
    Click(page, CChartSubPage::IDC_APPLY);
    EXPECT_EQ(chart->GetCurve(0).GetColor(), RGB(255, 104, 32));
    EXPECT_GT(orangePixels(), 50);
}

// ---- analysis commands --------------------------------------------------------------

namespace {

// Answers the next dialog: sets controls by id, then presses OK.
void AnswerWith(std::vector<std::pair<int, CString>> edits, int comboId = 0, int comboIndex = -1)
{
    ModalScript::AnswerDialog([edits, comboId, comboIndex](CWnd* dlg) {
        for (const auto& [id, text] : edits)
            dlg->SetDlgItemText(id, text);
        if (comboId)
            if (auto* c = dynamic_cast<CComboBox*>(dlg->GetDlgItem(comboId)))
                c->SetCurSel(comboIndex);
        dlg->SendMessage(WM_COMMAND, IDOK, 0);
        return IDCANCEL;   // what ends the dialog wins
    });
}

} // namespace

TEST_F(ChartSheet, MovingAverageAddsANamedCurveOnTheSourceAxes)
{
    Choose(ChartPage(), CChartDlg::IDC_CURVES, 1);
    AnswerWith({{6063, "3"}}, 6034, 3);
    CurvePage()->OnMovingAverage();
    ASSERT_EQ(chart->GetCurveCount(), 4);
    CPlotDataSerie& avg = chart->GetCurve(3);
    EXPECT_EQ(avg.GetLabel(), CString("C2 AVG, triangular"));
    EXPECT_EQ(avg.GetCount(), 10);
    EXPECT_TRUE(avg.OwnsPoints());
    EXPECT_EQ(avg.GetXAxisIndex(), 1);
    EXPECT_EQ(avg.GetYAxisIndex(), 1);
    EXPECT_EQ(CurvePage()->GetCurve(), &chart->GetCurve(1));
    // Both pages offer the new curve at once.
    auto* curves = dynamic_cast<CComboBox*>(ChartPage()->GetDlgItem(CChartDlg::IDC_CURVES));
    ASSERT_EQ(curves->GetCount(), 4);
    EXPECT_EQ(curves->GetLBText(3), CString("4 C2 AVG, triangular"));
    EXPECT_EQ(curves->GetCurSel(), 1);
    auto* partners = dynamic_cast<CComboBox*>(CurvePage()->GetDlgItem(CCurveDlg::IDC_PARTNER));
    ASSERT_EQ(partners->GetCount(), 3);
    EXPECT_EQ(partners->GetLBText(2), CString("4 C2 AVG, triangular"));

    // 10 points allow windows up to 5; 6 is refused with a message.
    ModalScript::Clear();
    AnswerWith({{6063, "6"}}, 6034, 0);
    CurvePage()->OnMovingAverage();
    EXPECT_EQ(chart->GetCurveCount(), 4);
    EXPECT_EQ(ModalScript::MessageBoxTexts().size(), 1u);

    ModalScript::AnswerDialog(IDCANCEL);
    CurvePage()->OnMovingAverage();
    EXPECT_EQ(chart->GetCurveCount(), 4);

    // Every kind of the list, by its list position.
    const char* kinds[] = {"simple", "linear", "exponential", "triangular", "sine weighted"};
    for (int k = 0; k < 5; ++k) {
        AnswerWith({{6063, "2"}}, 6034, k);
        CurvePage()->OnMovingAverage();
        ASSERT_EQ(chart->GetCurveCount(), 5 + k);
        EXPECT_EQ(chart->GetCurve(4 + k).GetLabel(), CString("C2 AVG, ") + kinds[k]);
    }
}

TEST_F(ChartSheet, TrendsAddTheirCurvesAndTheFormula)
{
    AnswerWith({{6079, "2"}});
    CurvePage()->OnLinearTrend();
    ASSERT_EQ(chart->GetCurveCount(), 4);
    EXPECT_EQ(chart->GetCurve(3).GetLabel(), CString("C1 Trend (lin.)"));
    ASSERT_EQ(chart->GetCurve(3).GetCount(), 12);
    EXPECT_DOUBLE_EQ(chart->GetCurve(3).GetX(11), 11.0);
    EXPECT_NEAR(chart->GetCurve(3).GetY(11), 23.0, 1e-9);

    AnswerWith({{6079, "0"}});
    CurvePage()->OnCubicTrend();
    ASSERT_EQ(chart->GetCurveCount(), 5);
    EXPECT_EQ(chart->GetCurve(4).GetLabel(), CString("C1 Trend (cub.)"));

    // Degree 2 fits 1 + x^2 with three coefficients.
    std::vector<ChartPoint> quad(10);
    for (int i = 0; i < 10; ++i)
        quad[static_cast<size_t>(i)] = {double(i), 1.0 + i * i};
    chart->GetCurve(0).SetPoints(quad.data(), 10, true);
    const int objects = chart->GetObjects().GetCount();
    AnswerWith({{6079, "1"}, {6082, "2"}});
    CurvePage()->OnPolynomialTrend();
    ASSERT_EQ(chart->GetCurveCount(), 6);
    EXPECT_EQ(chart->GetCurve(5).GetLabel(), CString("C1 Trend (poly.) "));
    ASSERT_EQ(chart->GetCurve(5).GetCount(), 11);
    EXPECT_NEAR(chart->GetCurve(5).GetY(10), 101.0, 1e-6);
    ASSERT_EQ(chart->GetObjects().GetCount(), objects + 1);
    auto* label = dynamic_cast<CPlotLabel*>(chart->GetObjects().GetAt(chart->GetObjects().FindIndex(objects)));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetText().str().rfind("f(x)=", 0), 0u);
    EXPECT_NE(label->GetText().str().find("*X^2"), std::string::npos);
    EXPECT_EQ(label->GetRect().left, 200);
    EXPECT_GT(label->GetRect().right, 210);
    EXPECT_EQ(CurvePage()->GetCurve(), &chart->GetCurve(0));
}

TEST_F(ChartSheet, OnePointCurvesAndHugeExpansionsAreRefused)
{
    AnswerWith({{6079, "100000000"}});
    CurvePage()->OnLinearTrend();
    EXPECT_EQ(chart->GetCurveCount(), 3);
    EXPECT_EQ(ModalScript::MessageBoxTexts().size(), 1u);

    ChartPoint one[1] = {{1, 1}};
    chart->SetData(one, 1, 0, 0, 0, false, true, false);
    CurvePage()->InitFromCurve();
    for (int kind = 0; kind < 3; ++kind) {
        AnswerWith({{6079, "3"}});
        if (kind == 0)
            CurvePage()->OnLinearTrend();
        else if (kind == 1)
            CurvePage()->OnCubicTrend();
        else
            CurvePage()->OnPolynomialTrend();
    }
    CurvePage()->OnMovingAverage();
    EXPECT_EQ(chart->GetCurveCount(), 3);
    EXPECT_EQ(ModalScript::MessageBoxTexts().size(), 5u);
}

// ---- label dialog ------------------------------------------------------------------------

TEST_F(ChartSheet, LabelDialogAppliesItsControlsAndKeepsAChosenFont)
{
    CPlotLabel* label = chart->InsertLabel("note");
    label->SetBorder(true);
    label->SetAlignment(0);
    ModalScript::AnswerDialog([](CWnd* dlg) {
        auto* curves = dynamic_cast<CComboBox*>(dlg->GetDlgItem(CLabelDlg::IDC_CURVE));
        EXPECT_EQ(curves->GetCount(), 3);
        EXPECT_EQ(curves->GetLBText(1), CString("02 C2"));
        EXPECT_FALSE(dlg->GetDlgItem(CLabelDlg::IDC_APPLY)->IsWindowEnabled());
        Choose(dlg, CLabelDlg::IDC_ALIGN, 2);
        EXPECT_TRUE(dlg->GetDlgItem(CLabelDlg::IDC_APPLY)->IsWindowEnabled());
        Choose(dlg, CLabelDlg::IDC_CURVE, 1);
        Click(dlg, CLabelDlg::IDC_BORDER);
        Click(dlg, IDOK);
        return IDCANCEL;
    });
    // Through the label's own properties command, as the chart calls it.
    CPlotLabel::SetPopupChooser([](CWnd*, CPoint) { return 60006u; });
    label->InvokeProperties();
    CPlotLabel::SetPopupChooser(nullptr);
    EXPECT_EQ(label->GetAlignment(), 2u);
    EXPECT_EQ(label->GetConnectedCurve(), 1);
    EXPECT_FALSE(label->GetBorder());

    // A font is taken at once; Cancel keeps it but drops the rest.
    ModalScript::AnswerDialog([](CWnd* dlg) {
        ModalScript::Answer(ModalKind::Font, {IDOK, "DejaVu Sans", RGB(200, 0, 0), {}});
        Click(dlg, CLabelDlg::IDC_FONT);
        Click(dlg, CLabelDlg::IDC_TRANSPARENT);
        Click(dlg, IDCANCEL);
        return IDCANCEL;
    });
    CLabelDlg::Run(label);
    EXPECT_STREQ(label->GetLogFont().lfFaceName, "DejaVu Sans");
    EXPECT_EQ(label->GetTextColor(), RGB(200, 0, 0));
    EXPECT_FALSE(label->GetTransparent());
}

// ---- colour button and popup ---------------------------------------------------------------

namespace {

class RecordingParent : public CWnd {
public:
    std::vector<std::pair<UINT, COLORREF>> got;
    std::function<void(UINT)> onMessage;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg >= CPN_SELCHANGE && msg <= CPN_SELENDCANCEL) {
            EXPECT_EQ(l, 77);
            got.emplace_back(msg - WM_USER, static_cast<COLORREF>(w));
            if (onMessage)
                onMessage(msg);
            return 0;
        }
        if (msg == WM_DRAWITEM) {   // as a dialog passes it on
            auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(l);
            if (auto* b = dynamic_cast<CButton*>(dis->hwndItem))
                b->DrawItem(dis);
            return TRUE;
        }
        return CWnd::WindowProc(msg, w, l);
    }
    std::vector<UINT> Codes() const
    {
        std::vector<UINT> c;
        for (const auto& g : got)
            c.push_back(g.first);
        return c;
    }
};

class ColourButton : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.Create("VxTestFrame", "parent", WS_OVERLAPPED, CRect(40, 40, 340, 240), nullptr, 0));
        ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 90, 34), &parent, 77));
        parent.ShowWindow(SW_SHOW);
    }
    void TearDown() override
    {
        button.DestroyWindow();
        parent.DestroyWindow();
    }
    CColorGridPopup* Open()
    {
        parent.got.clear();
        button.SendMessage(BM_CLICK);
        return button.GetPopup();
    }
    void Key(CColorGridPopup* p, UINT vk) { p->SendMessage(WM_KEYDOWN, vk, 1); }

    RecordingParent parent;
    CColorButton button;
};

using Codes = std::vector<UINT>;

} // namespace

TEST_F(ColourButton, KeyboardChoiceReportsCloseChosenAndChanged)
{
    EXPECT_EQ(button.GetColour(), CLR_DEFAULT);
    CColorGridPopup* p = Open();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(button.IsPopupActive());
    EXPECT_EQ(parent.Codes(), Codes{1002});
    EXPECT_EQ(p->GetChosen(), ColorGrid::kDefaultBox);
    Key(p, VK_DOWN);   // onto the chosen box first
    EXPECT_EQ(p->GetCurrent(), ColorGrid::kDefaultBox);
    Key(p, VK_DOWN);
    Key(p, VK_RIGHT);
    Key(p, VK_DOWN);
    EXPECT_EQ(p->GetCurrent(), 9);
    // Hovering is no change while the button does not track.
    EXPECT_EQ(parent.Codes(), Codes{1002});
    Key(p, VK_RETURN);
    EXPECT_EQ(button.GetPopup(), nullptr);
    EXPECT_FALSE(button.IsPopupActive());
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1004, 1001}));
    EXPECT_EQ(parent.got.back().second, RGB(255, 104, 32));
    EXPECT_EQ(button.GetColour(), RGB(255, 104, 32));

    // The same colour again: no change message.
    p = Open();
    EXPECT_EQ(p->GetChosen(), 9);
    Key(p, VK_SPACE);
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1004}));
}

TEST_F(ColourButton, EscapeAndOutsideCloseCancelWithTheInitialColour)
{
    button.SetColour(RGB(0, 0, 139));
    CColorGridPopup* p = Open();
    Key(p, VK_RIGHT);
    Key(p, VK_RIGHT);
    EXPECT_EQ(p->GetSelectedColour(), RGB(75, 0, 130));   // from the chosen box 5 to "Indigo"
    Key(p, VK_ESCAPE);
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1005}));
    EXPECT_EQ(parent.got.back().second, RGB(0, 0, 139));
    EXPECT_EQ(button.GetColour(), RGB(0, 0, 139));

    p = Open();
    p->SendMessage(WM_CLOSE);   // the toolkit closes a popup on a press outside
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1005}));
    EXPECT_EQ(button.GetPopup(), nullptr);
}

TEST_F(ColourButton, MouseChoosesTheBoxUnderIt)
{
    CColorGridPopup* p = Open();
    const CRect blue = p->GetLayout().BoxRect(13);
    p->SendMessage(WM_MOUSEMOVE, 0, Pt(blue.CenterPoint().x, blue.CenterPoint().y));
    EXPECT_EQ(p->GetCurrent(), 13);
    const CRect pale = p->GetLayout().BoxRect(35);
    EXPECT_EQ(p->GetToolTip().TipTextAt(p, pale.CenterPoint()), CString("Pale green "));
    p->SendMessage(WM_LBUTTONUP, 0, Pt(blue.CenterPoint().x, blue.CenterPoint().y));
    EXPECT_EQ(button.GetColour(), RGB(0, 0, 255));
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1004, 1001}));

    // Released outside the popup: cancel.
    p = Open();
    p->SendMessage(WM_MOUSEMOVE, 0, Pt(blue.left + 1, blue.top + 1));
    p->SendMessage(WM_LBUTTONUP, 0, Pt(-20, -20));
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1005}));
    EXPECT_EQ(button.GetColour(), RGB(0, 0, 255));
}

TEST_F(ColourButton, MoreColorsAsksTheColourDialog)
{
    CColorGridPopup* p = Open();
    Key(p, VK_UP);   // chosen "Automatic"
    Key(p, VK_UP);   // "More Colors..."
    ASSERT_EQ(p->GetCurrent(), ColorGrid::kCustomBox);
    ModalScript::Answer(ModalKind::Color, {IDOK, {}, RGB(1, 2, 3), {}});
    Key(p, VK_RETURN);
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1004, 1001}));
    EXPECT_EQ(button.GetColour(), RGB(1, 2, 3));

    p = Open();
    EXPECT_EQ(p->GetChosen(), ColorGrid::kCustomBox);
    Key(p, VK_DOWN);
    ModalScript::Answer(ModalKind::Color, {IDCANCEL, {}, 0, {}});
    Key(p, VK_RETURN);
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1005}));
    EXPECT_EQ(button.GetColour(), RGB(1, 2, 3));
}

TEST_F(ColourButton, ExactlyOneEndMessagePerPopup)
{
    CColorGridPopup* p = Open();
    // Whatever else tries to end the popup meanwhile (the application
    // losing the focus, a close) finds it ended.
    parent.onMessage = [p](UINT msg) {
        if (msg == CPN_CLOSEUP) {
            p->EndSelection(CPN_SELENDCANCEL);
            p->SendMessage(WM_CLOSE);
        }
    };
    Key(p, VK_DOWN);
    Key(p, VK_RETURN);
    parent.onMessage = nullptr;
    EXPECT_EQ(parent.Codes(), (Codes{1002, 1003, 1004}));
}

TEST_F(ColourButton, RealClickAndKeysReachThePopup)
{
    QWidget* w = button.GetPeer();
    const QPointF c(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, c, w->mapToGlobal(c), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, c, w->mapToGlobal(c), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    CColorGridPopup* p = button.GetPopup();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->GetPeer()->isVisible());
    CRect r;
    p->GetWindowRect(&r);
    CRect b;
    button.GetWindowRect(&b);
    EXPECT_EQ(r.left, b.left);
    EXPECT_EQ(r.top, b.bottom);
    QApplication::processEvents();
    p->GetPeer()->setFocus();
    for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}) {
        QKeyEvent k(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(p->GetPeer(), &k);
    }
    EXPECT_EQ(button.GetPopup(), nullptr);
    EXPECT_EQ(button.GetColour(), RGB(0, 0, 0));
}

TEST_F(ColourButton, DisabledButtonShowsNoSwatch)
{
    button.SetColour(RGB(255, 0, 0));
    auto redPixels = [this] {
        const QImage img = button.GetPeer()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixel(x, y) == 0xFFFF0000u;
        return n;
    };
    EXPECT_GT(redPixels(), 100);
    button.EnableWindow(FALSE);
    EXPECT_EQ(redPixels(), 0);
    // A disabled button opens nothing.
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.GetPopup(), nullptr);
}
