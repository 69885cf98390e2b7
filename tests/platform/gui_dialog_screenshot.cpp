// The acceptance picture: a templated dialog with a menu bar and a two-page
// property sheet, rendered headless to <build>/screenshots/dialog.png. The
// checks here hold what can be checked without eyes: the dialog font is the
// metric-compatible sans serif, and every control lies where its template
// puts it.
#include "gui_dialog_fixture.h"

#include "platform/Menu.h"
#include "platform/PropertySheet.h"
#include "platform/Text1252.h"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QWidget>

namespace {

const char* kShotTemplates = R"(
dialog 980 330 215 "VX35 VS Version 1.05" menu=980
  frame   1000   4   4 322 190
  check   1001   4 198  60  10 "in HEX"
  button  1002 216 196  50  14 "Senden"
  button     2 272 196  50  14 "Beenden"
end
menu 980
  popup "&Datei"
    item 57601 "Ö&ffnen..."
    item 57603 "&Speichern"
    separator
    item 57607 "&Drucken" grayed
    separator
    item 57665 "&Beenden"
  end
  popup "&Optionen"
    item 32771 "Terminal" checked
    item 32772 "Dokumentation..."
  end
  popup "&Hilfe"
    item 57664 "Info..."
  end
end
dialog 981 300 160 "Messen" child
  group    -1   6   4 140  70 "Messwert"
  rtext  1059  14  18 120  20 "123.456 Nm"
  button 1051  14  48  56  14 "Start"
  button 1053  78  48  56  14 "Stopp"
  group    -1 154   4 140  70 "Anzeige"
  text     -1 162  18  40   8 "Diagramm"
  combo  1060 206  16  80  60
  check  1061 162  34 120  10 "phys. Einheit"
  radio  1062 162  48  50  10 "PC 10ms" group
  radio  1063 214  48  60  10 "Gerät"
  text     -1   6  84  60   8 "Rate"
  trackbar 1064 64 80 160  18 autoticks
  edit   1065 232  82  40  12 number
  updown 1066 272  82  10  12 autobuddy setbuddyint alignright
  text     -1   6 108  60   8 "Kommentar"
  edit   1067  64 106 230  40 multiline vscroll wantreturn
end
dialog 982 300 160 "Einrichten" child
  text     -1   6   8  60   8 "Datum"
  datetime 1070 70  6  70  12
  text     -1   6  26  60   8 "Zeit"
  datetime 1071 70 24  70  12 time updown
  list   1072 150   6 140  60
end
)";

class ShotPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;

protected:
    BOOL OnInitDialog() override
    {
        CPropertyPage::OnInitDialog();
        if (auto* c = dynamic_cast<CComboBox*>(GetDlgItem(1060))) {
            c->AddString("Linie");
            c->AddString("Punkte");
            c->SetCurSel(0);
        }
        if (auto* b = dynamic_cast<CButton*>(GetDlgItem(1062)))
            b->SetCheck(BST_CHECKED);
        if (auto* b = dynamic_cast<CButton*>(GetDlgItem(1061)))
            b->SetCheck(BST_CHECKED);
        if (auto* s = dynamic_cast<CSliderCtrl*>(GetDlgItem(1064))) {
            s->SetRange(0, 100);
            s->SetPos(30);
        }
        if (auto* u = dynamic_cast<CSpinButtonCtrl*>(GetDlgItem(1066))) {
            u->SetRange32(1, 1000);
            u->SetPos32(10);
        }
        SetDlgItemText(1067, vx::FromUtf8("Projektbezeichnung\r\nPrüfstand 2"));
        return TRUE;
    }
};

class ShotDlg : public CDialog {
public:
    ShotDlg() : CDialog(980), measure(981), setup(982) {}
    CPropertySheet sheet;
    ShotPage measure;
    ShotPage setup;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        sheet.AddPage(&measure);
        sheet.AddPage(&setup);
        sheet.Create(this, WS_CHILD | WS_VISIBLE, 0);
        CRect r;
        GetDlgItem(1000)->GetWindowRect(&r);
        ScreenToClient(&r);
        sheet.SetWindowPos(nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
};

// A widget's rectangle in the coordinates of the dialog's client area.
CRect InDialog(CWnd* dlg, CWnd* w)
{
    CRect r;
    w->GetWindowRect(&r);
    dlg->ScreenToClient(&r);
    return r;
}

TEST(DialogScreenshot, TemplatedDialogWithSheetAndMenuBar)
{
    InstallTemplates(kShotTemplates);
    ShotDlg dlg;
    ASSERT_TRUE(dlg.Create(980));
    dlg.ShowWindow(SW_SHOW);
    dlg.measure.SendDlgItemMessage(1059, WM_SETFONT, 0, 0);

    // Fonts: the dialog font resolves to the installed Liberation Sans.
    const QFontInfo info(dlg.GetDlgItem(1002)->GetPeer()->font());
    EXPECT_EQ(info.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(info.pixelSize(), vx::kDialogFontPixels);

    // Placement: the page's controls at their template rectangles, offset by
    // the page's own place in the dialog.
    const CRect page = InDialog(&dlg, &dlg.measure);
    for (int id : {1051, 1060, 1064, 1067}) {
        const vx::ControlTemplate* c = dlg.measure.GetTemplate()->FindControl(id);
        ASSERT_NE(c, nullptr);
        CRect want = vx::DluToPixels(c->dlu);
        want.OffsetRect(page.left, page.top);
        const CRect got = InDialog(&dlg, dlg.measure.GetDlgItem(id));
        EXPECT_EQ(got.TopLeft(), want.TopLeft()) << id;
        if (c->kind != vx::ControlKind::ComboBox) {
            EXPECT_EQ(got.Size(), want.Size()) << id;
        }
    }
    // The sheet lies on its placeholder.
    EXPECT_EQ(InDialog(&dlg, &dlg.sheet).TopLeft(), InDialog(&dlg, dlg.GetDlgItem(1000)).TopLeft());

    const QImage shot = dlg.GetPeer()->window()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    QDir().mkpath(QStringLiteral(VX35_BINARY_DIR "/screenshots"));
    const QString path = QStringLiteral(VX35_BINARY_DIR "/screenshots/dialog.png");
    ASSERT_TRUE(shot.save(path));

    // The second page, shown by its tab.
    dlg.sheet.GetTabControl()->ClickTab(1);
    ASSERT_TRUE(dlg.GetPeer()->window()->grab().toImage().save(
        QStringLiteral(VX35_BINARY_DIR "/screenshots/dialog-page2.png")));
}

} // namespace
