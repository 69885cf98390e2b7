// Templated dialogs: layout from the template, data exchange both ways,
// the ways a dialog ends, and member controls bound to template controls.
#include "gui_dialog_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace {

const char* kDialogs = R"(
dialog 960 200 120 "Values"
  text     -1   5   7  40   8 "Name"
  edit   1010  50   5 100  12
  edit   1011  50  20  40  12 right
  edit   1012  50  35  40  12
  check  1013  50  50  60  10 "Legend"
  radio  1014  50  62  40  10 "Line" group
  radio  1015  50  72  40  10 "Scatter"
  combo  1016 100  62  60  50
  defbutton 1 90 100  50  14 "OK"
  button    2 145 100 50  14 "Cancel"
end
dialog 961 100 60 "Bound"
  edit   1020  5  5  60  12
  custom 1021  5 25  60  30 class=PlotWnd
  edit   1022 70  5  25  12
  updown 1023 95  5  10  12 autobuddy setbuddyint alignright arrowkeys
end
)";

class ValuesDlg : public RecordingDlg {
public:
    ValuesDlg() : RecordingDlg(960) {}
    CString name = "Kanal 1";
    int count = 7;
    double factor = 0.5;
    BOOL legend = TRUE;
    int kind = 1;
    int choice = -1;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Text(dx, 1010, name);
        DDV_MaxChars(dx, name, 8);
        DDX_Text(dx, 1011, count);
        DDV_MinMaxInt(dx, count, 1, 20);
        DDX_Text(dx, 1012, factor);
        DDX_Check(dx, 1013, legend);
        DDX_Radio(dx, 1014, kind);
        DDX_CBIndex(dx, 1016, choice);
    }
    BOOL OnInitDialog() override
    {
        auto* combo = static_cast<CComboBox*>(GetDlgItem(1016));
        combo->AddString("Left");
        combo->AddString("Right");
        return RecordingDlg::OnInitDialog();
    }
};

TEST(Dialog, ControlsSitWhereTheTemplatePutsThem)
{
    InstallTemplates(kDialogs);
    ValuesDlg dlg;
    ASSERT_TRUE(dlg.Create(960));
    CRect client;
    dlg.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, vx::DluToPixelX(200), vx::DluToPixelY(120)));
    CRect r(50, 20, 90, 32);
    dlg.MapDialogRect(&r);
    const QRect g = dlg.GetDlgItem(1011)->GetPeer()->geometry();
    EXPECT_EQ(CRect(g.left(), g.top(), g.left() + g.width(), g.top() + g.height()), r);
    EXPECT_EQ(dlg.GetWindowTextString(), "Values");
    EXPECT_EQ(static_cast<QLineEdit*>(dlg.GetDlgItem(1011)->GetPeer())->alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(dlg.initCount, 1);
}

TEST(Dialog, UpdateDataRoundTrip)
{
    InstallTemplates(kDialogs);
    ValuesDlg dlg;
    ASSERT_TRUE(dlg.Create(960));
    // OnInitDialog wrote the values into the controls.
    EXPECT_EQ(dlg.GetDlgItem(1010)->GetWindowTextString(), "Kanal 1");
    EXPECT_EQ(dlg.GetDlgItem(1011)->GetWindowTextString(), "7");
    EXPECT_EQ(dlg.GetDlgItem(1012)->GetWindowTextString(), "0.5");
    EXPECT_EQ(dlg.IsDlgButtonChecked(1013), 1u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1015), 1u);
    EXPECT_EQ(static_cast<CComboBox*>(dlg.GetDlgItem(1016))->GetCurSel(), -1);

    dlg.SetDlgItemText(1010, "Kraft");
    dlg.SetDlgItemText(1011, " 12 ");
    dlg.SetDlgItemText(1012, "1e-3");
    dlg.CheckDlgButton(1013, 0);
    dlg.CheckRadioButton(1014, 1015, 1014);
    static_cast<CComboBox*>(dlg.GetDlgItem(1016))->SetCurSel(1);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.name, "Kraft");
    EXPECT_EQ(dlg.count, 12);
    EXPECT_DOUBLE_EQ(dlg.factor, 0.001);
    EXPECT_EQ(dlg.legend, 0);
    EXPECT_EQ(dlg.kind, 0);
    EXPECT_EQ(dlg.choice, 1);

    dlg.factor = 1.0 / 3.0;
    dlg.UpdateData(FALSE);
    EXPECT_EQ(dlg.GetDlgItem(1012)->GetWindowTextString(), "0.333333333333333");
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_NEAR(dlg.factor, 1.0 / 3.0, 1e-15);
}

TEST(Dialog, RefusedValuesTellTheUserAndKeepTheOldOnes)
{
    InstallTemplates(kDialogs);
    ValuesDlg dlg;
    ASSERT_TRUE(dlg.Create(960));
    vx::ModalScript::Clear();

    dlg.SetDlgItemText(1011, "12x");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.count, 7);
    dlg.SetDlgItemText(1011, "25");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    dlg.SetDlgItemText(1011, "5");
    dlg.SetDlgItemText(1010, "123456789");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    dlg.SetDlgItemText(1010, "ok");
    dlg.SetDlgItemText(1012, "1,5");   // a comma is no decimal mark here
    EXPECT_FALSE(dlg.UpdateData(TRUE));

    const auto texts = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Please enter an integer.");
    EXPECT_EQ(texts[1], "Please enter an integer between 1 and 20.");
    EXPECT_EQ(texts[2], "Please enter no more than 8 characters.");
    EXPECT_EQ(texts[3], "Please enter a number.");

    // Typing is limited by the DDV_MaxChars of the last load.
    EXPECT_EQ(static_cast<CEdit*>(dlg.GetDlgItem(1010))->GetLimitText(), 8u);
}

TEST(Dialog, ScriptedModalRunsInitAndOkLikeTheUser)
{
    InstallTemplates(kDialogs);
    ValuesDlg dlg;
    vx::ModalScript::AnswerDialog([](CWnd* w) {
        w->SetDlgItemText(1011, "3");
        w->SendDlgItemMessage(IDOK, BM_CLICK);
        return 0;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.initCount, 1);
    EXPECT_EQ(dlg.count, 3);
    EXPECT_FALSE(dlg.IsWindow()) << "a modal dialog is gone when DoModal returns";

    ValuesDlg refused;
    refused.count = 99;   // out of range: OK cannot end the dialog
    vx::ModalScript::AnswerDialog(IDOK);
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_EQ(refused.okCount, 1);

    ValuesDlg none;
    EXPECT_EQ(none.DoModal(), IDCANCEL) << "unanswered dialogs are cancelled";
    CDialog missing(12345);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST(Dialog, EscEnterAndCloseEndTheDialog)
{
    InstallTemplates(kDialogs);
    ValuesDlg dlg;
    ASSERT_TRUE(dlg.Create(960));
    dlg.ShowWindow(SW_SHOW);
    CWnd* edit = dlg.GetDlgItem(1011);

    PressKeyIn(edit, Qt::Key_Escape);
    EXPECT_EQ(dlg.cancelCount, 1);
    EXPECT_EQ(dlg.GetModalResult(), IDCANCEL);

    dlg.ShowWindow(SW_SHOW);
    PressKeyIn(edit, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(dlg.okCount, 1) << "Enter presses the default button";
    EXPECT_EQ(dlg.GetModalResult(), IDOK);

    // Enter on a focused push button presses that button instead.
    dlg.ShowWindow(SW_SHOW);
    PressKeyIn(dlg.GetDlgItem(IDCANCEL), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(dlg.cancelCount, 2);

    dlg.ShowWindow(SW_SHOW);
    dlg.GetDlgItem(IDOK)->EnableWindow(FALSE);
    PressKeyIn(edit, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(dlg.okCount, 1) << "a disabled default button is not pressed";

    // Closing the window cancels; the window stays for the program to end.
    dlg.SendMessage(WM_CLOSE);
    EXPECT_EQ(dlg.cancelCount, 3);
    EXPECT_TRUE(dlg.IsWindow());
}

// A member window bound to a template control takes its place.
class BoundEdit : public CEdit {
public:
    std::vector<UINT> chars;

protected:
    void OnChar(UINT ch, UINT rep, UINT flags) override
    {
        chars.push_back(ch);
        if (ch >= '0' && ch <= '9')
            CEdit::OnChar(ch, rep, flags);   // only digits get through
    }
};

class PlotLike : public CWnd {
public:
    int paints = 0;

protected:
    void OnPaint() override { ++paints; }
};

class BoundDlg : public RecordingDlg {
public:
    BoundDlg() : RecordingDlg(961) {}
    BoundEdit edit;
    PlotLike plot;
    CSpinButtonCtrl spin;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, 1020, edit);
        DDX_Control(dx, 1021, plot);
        DDX_Control(dx, 1023, spin);
    }
};

TEST(Dialog, DdxControlBindsMembersInPlace)
{
    InstallTemplates(kDialogs);
    BoundDlg dlg;
    ASSERT_TRUE(dlg.Create(961));
    EXPECT_EQ(dlg.GetDlgItem(1020), &dlg.edit);
    EXPECT_EQ(dlg.GetDlgItem(1021), &dlg.plot);
    EXPECT_EQ(dlg.plot.GetClassName(), "PlotWnd");
    CRect r(5, 25, 65, 55);
    dlg.MapDialogRect(&r);
    CRect client;
    dlg.plot.GetClientRect(&client);
    EXPECT_EQ(client.Size(), r.Size());

    dlg.UpdateData(FALSE);   // binding happens once
    EXPECT_EQ(dlg.GetDlgItem(1020), &dlg.edit);

    // A bound up-down keeps the buddy the template gave it, whose width
    // it took only once.
    EXPECT_EQ(dlg.spin.GetBuddy(), dlg.GetDlgItem(1022));
    CRect buddyRect(70, 5, 95, 17);
    dlg.MapDialogRect(&buddyRect);
    CRect spinRect;
    dlg.spin.GetClientRect(&spinRect);
    CRect buddyNow;
    dlg.GetDlgItem(1022)->GetClientRect(&buddyNow);
    EXPECT_EQ(buddyNow.Width(), buddyRect.Width() - spinRect.Width());
    dlg.spin.SetRange32(0, 10);
    dlg.spin.SetPos32(3);
    EXPECT_EQ(dlg.GetDlgItem(1022)->GetWindowTextString(), "3");

    // The member's handlers see the user's typing and may swallow it.
    dlg.ShowWindow(SW_SHOW);
    dlg.GetPeer()->activateWindow();
    QApplication::processEvents();
    dlg.edit.SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(dlg.edit.GetPeer()->hasFocus());
    TypeText(dlg.edit.GetPeer(), "a1b2");
    EXPECT_EQ(dlg.edit.GetWindowTextString(), "12");
    EXPECT_EQ(dlg.edit.chars.size(), 4u);
    EXPECT_EQ(dlg.Count(WM_COMMAND, 1020, EN_CHANGE), 2);

    dlg.plot.GetPeer()->grab();
    EXPECT_GE(dlg.plot.paints, 1);
}

} // namespace

namespace {

// The program itself is one modal dialog: the real loop must show the
// window, keep events flowing and return what EndDialog was given.
TEST(Dialog, RealModalLoopRunsUntilEndDialog)
{
    InstallTemplates(kDialogs);
    vx::ModalScript::Activate(false);
    ValuesDlg dlg;
    bool wasVisible = false;
    QTimer::singleShot(0, [&] {
        wasVisible = dlg.GetPeer() && dlg.GetPeer()->isVisible();
        dlg.SetDlgItemText(1011, "4");
        dlg.SendDlgItemMessage(IDOK, BM_CLICK);
    });
    QTimer::singleShot(5000, [&] { dlg.EndDialog(-5); });   // never hang the suite
    const INT_PTR result = dlg.DoModal();
    vx::ModalScript::Activate(true);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(wasVisible);
    EXPECT_EQ(dlg.count, 4);
    EXPECT_FALSE(dlg.IsWindow());
}

} // namespace

namespace {

TEST(Dialog, TemplateFlagsSetTheControlsState)
{
    InstallTemplates(R"(
dialog 962 100 40
  edit   10 5 5 40 12 disabled
  button 11 50 5 40 14 "Senden" hidden
  picture 12 5 20 10 10 image=64999
  text   13 50 25 40 8 "Nennwert" font=9
end
)");
    RecordingDlg dlg(962);
    ASSERT_TRUE(dlg.Create(962));
    dlg.ShowWindow(SW_SHOW);
    EXPECT_FALSE(dlg.GetDlgItem(10)->IsWindowEnabled());
    EXPECT_FALSE(dlg.GetDlgItem(10)->GetPeer()->isEnabled());
    EXPECT_FALSE(dlg.GetDlgItem(11)->IsWindowVisible());
    EXPECT_FALSE(dlg.GetDlgItem(11)->GetPeer()->isVisible());
    dlg.GetDlgItem(11)->ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.GetDlgItem(11)->GetPeer()->isVisible());
    EXPECT_NE(dlg.GetDlgItem(12), nullptr) << "a picture without its bitmap still takes its place";
    // font= lets a text that would be cut step down, and only such a text.
    QWidget* label = dlg.GetDlgItem(13)->GetPeer();
    EXPECT_EQ(label->font().pixelSize(), vx::kDialogFontPixels) << "Nennwert fits";
    dlg.SetDlgItemText(13, "Valeur nominale");
    EXPECT_LT(label->font().pixelSize(), vx::kDialogFontPixels);
    EXPECT_GE(label->font().pixelSize(), 9);
    dlg.SetDlgItemText(13, "Valeur nominale, bien plus longue");
    EXPECT_EQ(label->font().pixelSize(), 9) << "never below the template's size";
    dlg.SetDlgItemText(13, "Nennwert");
    EXPECT_EQ(label->font().pixelSize(), vx::kDialogFontPixels) << "back to the dialog font";
}

} // namespace
