// Acceptance pictures of the chart's property window on each tab and of the
// open colour grid, with the German and French text records the live
// window hands over, rendered headless to <build>/screenshots/. What can be
// checked without eyes is checked: every text record reached its control
// and no control of a page sticks out of the window.
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
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <memory>
#include <vector>

namespace {

struct Rec {
    int id;
    CString text;
};
using Recs = std::vector<Rec>;

Recs Make(std::initializer_list<std::pair<int, const char*>> list)
{
    Recs r;
    for (const auto& [id, text] : list)
        r.push_back({id, vx::FromUtf8(text)});
    return r;
}

struct Language {
    const char* code;
    Recs chart, axis, curve;
};

Language German()
{
    return {"de",
            Make({{-1, "Einstellungen"}, {-2, "Diagramm"}, {2, "Abbrechen"}, {5002, "Übernehmen"},
                  {1001, "Hintergrund"}, {1002, "Außen"}, {1003, "Innen"}, {6050, "Legende"}, {6076, "Fangen"},
                  {1004, "Fangradius"}, {1005, "X-Achse"}, {1006, "Y-Achse"}, {1007, "Kurve"}, {6052, "Pufferung"}}),
            Make({{-1, "Einstellungen"}, {-2, "Achse"}, {2, "Abbrechen"}, {5002, "Übernehmen"}, {1015, "Bezeichner"},
                  {6002, "Bez. Schriftart"}, {6001, "Schriftart"}, {6009, "Sichtbar"}, {6009, "Sichtbar"},
                  {6039, "Aut. anpassen"}, {6058, "Markierung"}, {6014, "Raster"}, {6015, "Zeitachse"},
                  {1016, "Dezimalstellen"}, {1022, "Pfeilgröße"}, {1017, "Schrittgröße"}, {1023, "Mark.Größe"},
                  {1018, "Rasterstil"}, {1024, "Position"}, {1019, "Farbe"}, {1025, "Rasterfarbe"},
                  {1020, "Minimum"}, {1021, "Maximum"}, {1026, "Teilung"}}),
            Make({{-1, "Einstellungen"}, {-2, "Meßkurve"}, {2, "Abbrechen"}, {5002, "Übernehmen"},
                  {1008, "Bezeichn."}, {1009, "Stil"}, {1010, "Linienbreite"}, {1011, "Meßpunktgröße"},
                  {1012, "Linienart"}, {1013, "Linienfarbe"}, {6009, "Sichtbar"}, {1014, "Bezeichner"},
                  {6038, "Markierung"}, {6062, "Typ"}, {6059, "Symbol"}, {6011, "Füllen"}, {6012, "Transparent"}})};
}

Language French()
{
    return {"fr",
            Make({{-1, "Paramètres"}, {-2, "Diagramme"}, {2, "Annuler"}, {5002, "Appliquer"}, {1001, "Fond"},
                  {1002, "Extérieur"}, {1003, "Intérieur"}, {6050, "Légende"}, {6076, "Accrocher"},
                  {1004, "Rayon d'accroche"}, {1005, "Axe X"}, {1006, "Axe Y"}, {1007, "Courbe"},
                  {6052, "Tampon"}}),
            Make({{-1, "Paramètres"}, {-2, "Axe"}, {2, "Annuler"}, {5002, "Appliquer"}, {1015, "Titre"},
                  {6002, "Police du titre"}, {6001, "Police"}, {6009, "Visible"}, {6039, "Échelle auto"},
                  {6058, "Repères"}, {6014, "Grille"}, {6015, "Axe de temps"}, {1016, "Décimales"},
                  {1022, "Taille flèche"}, {1017, "Taille graduation"}, {1023, "Taille repère"},
                  {1018, "Style grille"}, {1024, "Position"}, {1019, "Couleur"}, {1025, "Couleur grille"},
                  {1020, "Minimum"}, {1021, "Maximum"}, {1026, "Pas"}}),
            Make({{-1, "Paramètres"}, {-2, "Courbe de mesure"}, {2, "Annuler"}, {5002, "Appliquer"},
                  {1008, "Nom"}, {1009, "Style"}, {1010, "Épaisseur"}, {1011, "Taille points"},
                  {1012, "Type de ligne"}, {1013, "Couleur ligne"}, {6009, "Visible"}, {1014, "Partenaire"},
                  {6038, "Repères"}, {6062, "Type"}, {6059, "Symbole"}, {6011, "Remplir"},
                  {6012, "Transparent"}})};
}

QString ShotPath(const QString& name)
{
    QDir().mkpath(QStringLiteral(VX35_BINARY_DIR "/screenshots"));
    return QStringLiteral(VX35_BINARY_DIR "/screenshots/") + name;
}

// Every control of every page lies inside the tab control's display area.
void ExpectPagesFit(CChartPage& sheet)
{
    CRect tab;
    sheet.GetTabCtrl()->GetWindowRect(&tab);
    for (int p = 0; p < 3; ++p) {
        CDialog* page = sheet.GetPage(p);
        for (CWnd* c : page->GetChildren()) {
            CRect r;
            c->GetWindowRect(&r);
            if (r.IsRectEmpty())
                continue;
            EXPECT_LE(r.right, tab.right) << p << " " << c->GetDlgCtrlID();
            EXPECT_LE(r.bottom, tab.bottom) << p << " " << c->GetDlgCtrlID();
        }
    }
}

} // namespace

TEST(ChartDialogShots, PropertyWindowAndColourGridInGermanAndFrench)
{
    std::string err;
    ASSERT_TRUE(vxres::InstallResources(&err)) << err;
    for (const Language& lang : {German(), French()}) {
        CWnd frame;
        ASSERT_TRUE(frame.Create("VxTestFrame", "frame", WS_OVERLAPPED, CRect(0, 0, 520, 380), nullptr, 0));
        auto chart = std::make_unique<CPlot>();
        ASSERT_TRUE(chart->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 360), &frame, 0));
        std::vector<ChartPoint> pts(50);
        for (int c = 0; c < 3; ++c) {
            for (int i = 0; i < 50; ++i)
                pts[static_cast<size_t>(i)] = {i * 0.1, std::sin(i * 0.1 + c) * (c + 1)};
            chart->SetData(pts.data(), 50, c, 0, 0, true, true, false);
            chart->GetCurve(c).SetLabel(CString::Formatted("Kanal %d", c + 1));
        }
        chart->GetXAxis(0).SetLabel("t [s]");
        chart->GetYAxis(0).SetLabel("M [Nm]");
        chart->GetCurve(0).SetShowMarker(true);
        chart->GetCurve(0).SetMarkerType(1);
        chart->GetCurve(0).SetMarker(3);
        frame.ShowWindow(SW_SHOW);

        // The window goes before its chart, which is its owner.
        auto owned = std::make_unique<CChartPage>(chart.get());
        CChartPage& sheet = *owned;
        ASSERT_TRUE(sheet.CreateSheet());
        sheet.ShowSheet();
        sheet.ApplyDialogTexts(lang.chart, lang.axis, lang.curve);
        QApplication::processEvents();
        ExpectPagesFit(sheet);

        const Recs* recs[3] = {&lang.chart, &lang.axis, &lang.curve};
        for (int tab = 0; tab < 3; ++tab) {
            sheet.GetTabCtrl()->ClickTab(tab);
            QApplication::processEvents();
            for (const Rec& r : *recs[tab]) {
                if (r.id == -1)
                    EXPECT_EQ(sheet.GetWindowTextString(), r.text);
                else if (r.id == -2)
                    EXPECT_EQ(sheet.GetTabCtrl()->GetItemText(tab), r.text);
                else if (CWnd* c = sheet.GetPage(tab)->GetDlgItem(r.id))
                    EXPECT_EQ(c->GetWindowTextString(), r.text) << lang.code << " " << r.id;
                else
                    ADD_FAILURE() << lang.code << ": no control " << r.id << " on page " << tab;
            }
            const QImage shot = sheet.GetPeer()->window()->grab().toImage();
            ASSERT_TRUE(shot.save(ShotPath(QString("chart-properties-%1-%2.png").arg(lang.code).arg(tab))));
        }

        // The curve page with its colour grid open below the colour button.
        CCurveDlg* curve = sheet.GetCurveDlg();
        auto* button = dynamic_cast<CColorButton*>(curve->GetDlgItem(CCurveDlg::IDC_COLOUR));
        ASSERT_NE(button, nullptr);
        button->SendMessage(BM_CLICK);
        CColorGridPopup* popup = button->GetPopup();
        ASSERT_NE(popup, nullptr);
        const CRect box = popup->GetLayout().BoxRect(21);
        popup->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(box.CenterPoint().x, box.CenterPoint().y));
        QApplication::processEvents();
        const QImage page = sheet.GetPeer()->window()->grab().toImage();
        const QImage grid = popup->GetPeer()->grab().toImage();
        CRect pr, sr;
        popup->GetWindowRect(&pr);
        sheet.GetPeer()->window()->geometry();
        const QPoint origin = sheet.GetPeer()->window()->mapToGlobal(QPoint(0, 0));
        QImage both(page.size().expandedTo(QSize(pr.right - origin.x(), pr.bottom - origin.y())),
                    QImage::Format_RGB32);
        both.fill(Qt::darkGray);
        {
            QPainter p(&both);
            p.drawImage(0, 0, page);
            p.drawImage(pr.left - origin.x(), pr.top - origin.y(), grid);
        }
        ASSERT_TRUE(both.save(ShotPath(QString("chart-colourgrid-%1.png").arg(lang.code))));
        ASSERT_TRUE(grid.save(ShotPath(QString("chart-colourgrid-%1-popup.png").arg(lang.code))));
        popup->SendMessage(WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_EQ(button->GetPopup(), nullptr);

        // The fixed-English dialogs, once.
        if (lang.code == std::string("de")) {
            auto grabTo = [](const char* name) {
                vx::ModalScript::AnswerDialog([name](CWnd* dlg) {
                    QApplication::processEvents();
                    EXPECT_TRUE(dlg->GetPeer()->grab().toImage().save(ShotPath(name)));
                    return IDCANCEL;
                });
            };
            grabTo("chart-label-dialog.png");
            CLabelDlg::Run(chart->InsertLabel("Notiz"));
            grabTo("chart-moving-average.png");
            curve->OnMovingAverage();
            grabTo("chart-trend.png");
            curve->OnLinearTrend();
        }

        owned.reset();
        chart->DestroyWindow();
        chart.reset();
        frame.DestroyWindow();
    }
}
