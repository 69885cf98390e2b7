// The live chart of the measure tab as a user works it after a measurement:
// the main dialog with its real pages on the simulated device, real mouse
// events on the chart, the chart's context menu (answered through the modal
// seam, or shown for real for the screenshots), and the property window.
#include "tests/support/EventPump.h"
#include "tests/support/RealMainPages.h"
#include "tests/support/SimDevice.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "chart/ChartPage.h"
#include "chart/CurveDlg.h"
#include "measure/GraphicDisplayWnd.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

namespace {

using vxtest::PumpFor;
using vxtest::PumpUntil;

class LiveChart : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::ModalScript::Clear();
        InstallRealMainPages();
        link = dir.filePath("vx35-link").toStdString();
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", "Port", link.c_str());
        vx::WriteProfileInt("SerPort1", "BaudRate", 115200);
    }
    void TearDown() override
    {
        if (dlg && dlg->IsWindow())
            dlg->DestroyWindow();
        dlg.reset();
        sim.reset();
        SetMainPageFactory({});
        vx::ModalScript::Activate(true);
        vx::ModalScript::Clear();
        vx::WriteProfileInt("Optionen", "Sprache", 0);
    }

    // Device, program, measure tab; measures until the chart holds points
    // and stops, as a user looks at a finished run.
    void MeasureAndStop(int language)
    {
        vx::WriteProfileInt("Optionen", "Sprache", language);
        sim = std::make_unique<SimDevice>(dir.filePath("device.log").toStdString(), std::vector<std::string>{});
        ASSERT_TRUE(sim->Started());
        ASSERT_TRUE(PointLink(link, sim->Path()));
        dlg = std::make_unique<CVX35_3Dlg>();
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
        dlg->ShowWindow(SW_SHOW);
        ASSERT_EQ(dlg->GetPortMan()->GetPortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
        dlg->GetSheet().SetActivePage(1);
        PumpFor(100);
        page = dynamic_cast<CMessenDlg*>(dlg->GetPage(1));
        ASSERT_NE(page, nullptr);
        page->OnStart();
        ASSERT_TRUE(PumpUntil([&] { return page->GetConversation().IsRunning(); }, 6000));
        ASSERT_TRUE(PumpUntil([&] { return page->GetDisplay().GetPointCount(0) >= 150; }, 8000));
        page->OnStop();
        ASSERT_TRUE(PumpUntil([&] { return !page->GetConversation().IsRunning(); }, 4000));
        PumpFor(300);
        display = &page->GetDisplay();
        plot = display->GetPlot();
        ASSERT_NE(plot, nullptr);
        plot->SendMessage(WM_PAINT);
        PumpFor(50);
    }

    // Real mouse events on the chart's widget.
    void Send(QEvent::Type type, CPoint p, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QWidget* w = plot->GetPeer();
        const QPointF local(p.x, p.y);
        QMouseEvent e(type, local, QPointF(w->mapToGlobal(local.toPoint())), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
    void RightClick(CPoint p)
    {
        Send(QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
        Send(QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);
        PumpFor(50);
    }
    void Choose(UINT command, CPoint at)
    {
        vx::ModalScript::AnswerPopupMenu(command);
        RightClick(at);
    }
    void Drag(CPoint a, CPoint b)
    {
        Send(QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseMove, CPoint((a.x + b.x) / 2, (a.y + b.y) / 2), Qt::NoButton, Qt::LeftButton);
        Send(QEvent::MouseMove, b, Qt::NoButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, b, Qt::LeftButton, Qt::NoButton);
        PumpFor(50);
    }
    CPlotAxis& X() { return plot->GetXAxis(0); }
    // Curve 0's point i on the screen.
    CPoint PointOnCurve(int i)
    {
        const CPlotDataSerie& c = plot->GetCurve(0);
        const ChartPoint p{c.GetX(i), c.GetY(i)};
        return CPoint(X().GetPointForValue(p).x, plot->GetYAxis(c.GetYAxisIndex()).GetPointForValue(p).y);
    }

    QTemporaryDir dir;
    std::string link;
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<CVX35_3Dlg> dlg;
    CMessenDlg* page = nullptr;
    CGraphicDisplayWnd* display = nullptr;
    CPlot* plot = nullptr;
};

} // namespace

TEST_F(LiveChart, ZoomUndoCursorReadoutAndCurveColourThroughTheMenu)
{
    MeasureAndStop(0);
    const CRect area = plot->GetPlotRect();
    ASSERT_GT(area.Width(), 100);
    double x0, x1, step;
    X().GetRange(&x0, &x1, &step);

    // Zoom from the menu, then a rectangle over the middle of the plot.
    Choose(CGraphicDisplayWnd::kCmdZoomIn, area.CenterPoint());
    EXPECT_EQ(vx::ModalScript::Calls().back().items,
              (std::vector<UINT>{60001, 60002, 60003, 60005, 60008}));
    const CPoint from(area.left + area.Width() / 4, area.top + area.Height() / 4);
    const CPoint to(area.left + area.Width() * 3 / 4, area.bottom - area.Height() / 4);
    const double want0 = X().GetValueForPixel(from.x), want1 = X().GetValueForPixel(to.x);
    Drag(from, to);
    double z0, z1;
    X().GetRange(&z0, &z1, &step);
    EXPECT_NEAR(z0, want0, 1e-9);
    EXPECT_NEAR(z1, want1, 1e-9);
    // The sliders show the zoomed interval.
    EXPECT_NEAR(display->GetX0(), want0, 1e-9);
    EXPECT_NEAR(display->GetX1(), want1, 1e-9);

    // Zoom out undoes it.
    Choose(CGraphicDisplayWnd::kCmdZoomOut, area.CenterPoint());
    double u0, u1;
    X().GetRange(&u0, &u1, &step);
    EXPECT_DOUBLE_EQ(u0, x0);
    EXPECT_DOUBLE_EQ(u1, x1);
    plot->SendMessage(WM_PAINT);

    // The full menu (the window's own texts) reaches cursor mode; the
    // chart's read-out names the point under the mouse.
    display->SetMenuTextCursor("Cursor");
    display->SetMenuTextReset("Reset");
    display->SetMenuTextProperties("Eigenschaften");
    const int i = plot->GetCurve(0).GetCount() / 2;
    const CPoint onCurve = PointOnCurve(i);
    Choose(CGraphicDisplayWnd::kCmdCursor, onCurve);
    ASSERT_EQ(plot->GetMode(), 4);
    Send(QEvent::MouseMove, onCurve, Qt::NoButton, Qt::NoButton);
    PumpFor(50);
    const CString readout = plot->GetReadout().GetText();
    CPlotAxis& yAxis = plot->GetYAxis(plot->GetCurve(0).GetYAxisIndex());
    const double x = X().GetValueForPixel(onCurve.x);
    int k = X().FindPointIndex(x, 0);
    k = std::min(k, plot->GetCurve(0).GetCount() - 1);
    EXPECT_TRUE(plot->GetReadout().GetVisible());
    EXPECT_GE(readout.Find("[01] : "), 0) << readout.str();
    EXPECT_GE(readout.Find(", " + yAxis.GetValueText(plot->GetCurve(0).GetY(k))), 0) << readout.str();
    // The window's own read-out box follows after the mouse rests.
    ASSERT_TRUE(PumpUntil([&] { return display->IsReadoutShown(); }, 3500));
    const CString box = display->GetReadoutLabel()->GetText();
    EXPECT_EQ(box.Find("Kurve 1\n"), 0) << box.str();
    EXPECT_GE(box.Find(CString::Formatted("%f", plot->GetCurve(0).GetY(k))), 0) << box.str();
    plot->SendMessage(WM_PAINT);
    plot->GetSnapshot().save(QStringLiteral("%1/livechart_readout.png").arg(QString::fromLatin1(VX35_BINARY_DIR)));

    // Properties: the curve page, a colour from the grid, Apply.
    Choose(CGraphicDisplayWnd::kCmdProperties, onCurve);
    CChartPage* sheet = display->GetChartPage();
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(sheet->IsWindowVisible());
    ASSERT_EQ(sheet->GetTabCtrl()->GetItemCount(), 3);
    sheet->RetargetCurvePage(0);
    sheet->SelectPage(CChartPage::CurveTab);
    CCurveDlg* curvePage = sheet->GetCurveDlg();
    ASSERT_NE(curvePage, nullptr);
    const COLORREF before = plot->GetCurve(0).GetColor();
    curvePage->m_Colour.SendMessage(BM_CLICK);
    CColorGridPopup* grid = curvePage->m_Colour.GetPopup();
    ASSERT_NE(grid, nullptr);
    int box0 = 0;
    for (; box0 < 40; ++box0) {
        grid->ChangeSelection(box0);
        if (grid->GetSelectedColour() != before && grid->GetSelectedColour() == RGB(255, 0, 0))
            break;
    }
    ASSERT_LT(box0, 40);
    grid->EndSelection(CPN_SELENDOK);
    PumpFor(50);
    curvePage->SendMessage(WM_COMMAND, CChartSubPage::IDC_APPLY, 0);
    PumpFor(50);
    EXPECT_EQ(plot->GetCurve(0).GetColor(), RGB(255, 0, 0));
    // The rendered chart shows it, without the cursor once it is reset.
    Choose(CGraphicDisplayWnd::kCmdReset, area.CenterPoint());
    EXPECT_EQ(plot->GetMode(), 0);
    EXPECT_FALSE(plot->GetReadout().GetVisible());
    plot->SendMessage(WM_PAINT);
    const QImage shot = plot->GetSnapshot().convertToFormat(QImage::Format_RGB32);
    int red = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int xx = area.left; xx < area.right; ++xx)
            red += shot.pixel(xx, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 20);
    shot.save(QStringLiteral("%1/livechart_after_colour.png").arg(QString::fromLatin1(VX35_BINARY_DIR)));
}

// The open menu over the program's window, in German and French, for a
// person to look at: the real popup is shown and grabbed.
TEST_F(LiveChart, ScreenshotsOfTheOpenMenu)
{
    for (int language : {vx::kLanguageGerman, vx::kLanguageFrench}) {
        MeasureAndStop(language);
        const CPoint at = plot->GetPlotRect().CenterPoint();
        QImage composed;
        QStringList texts;
        vx::ModalScript::Activate(false);
        // Polls until the menu is up (it runs its own event loop), grabs it
        // and closes it, which ends that loop.
        QTimer poll;
        poll.setInterval(100);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* popup = QApplication::activePopupWidget();
            if (!popup)
                return;
            poll.stop();
            QWidget* top = dlg->GetPeer()->window();
            composed = top->grab().toImage();
            QPainter painter(&composed);
            painter.drawImage(popup->pos() - top->pos(), popup->grab().toImage());
            painter.end();
            if (auto* menu = qobject_cast<QMenu*>(popup))
                for (QAction* a : menu->actions())
                    texts << a->text();
            popup->close();
        });
        poll.start();
        RightClick(at);
        poll.stop();
        vx::ModalScript::Activate(true);
        const char* tag = language == vx::kLanguageGerman ? "de" : "fr";
        ASSERT_FALSE(composed.isNull()) << tag;
        EXPECT_TRUE(composed.save(QStringLiteral("%1/livechart_menu_%2.png")
                                      .arg(QString::fromLatin1(VX35_BINARY_DIR), QString::fromLatin1(tag))));
        const QStringList want = language == vx::kLanguageGerman
                                     ? QStringList{"Zoom in", "Zoom out", "Verschieben", "Raster ein/aus",
                                                   "Legende anzeigen"}
                                     : QStringList{"zoom in", "zoom out", "scrolling", "Grid on/off", "show Legend"};
        EXPECT_EQ(texts, want) << tag;
        // Nothing was chosen: the chart is as it was.
        EXPECT_EQ(plot->GetMode(), 0);
        dlg->DestroyWindow();
        dlg.reset();
        sim.reset();
    }
}
