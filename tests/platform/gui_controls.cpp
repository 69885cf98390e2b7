// The standard controls: the notifications and limits the pages rely on.
#include "gui_dialog_fixture.h"

#include "platform/Controls.h"
#include "platform/Dc.h"
#include "platform/Gdi.h"
#include "platform/Style.h"

#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QListWidget>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QStyleFactory>
#include <QTabWidget>

#include <memory>

namespace {

const char* kControls = R"(
dialog 900 300 200 "Controls"
  edit      100   5   5 100 12
  edit      101   5  20 100 40 multiline wantreturn vscroll
  radio     110   5  65  40 10 "A" group
  radio     111   5  75  40 10 "B"
  radio     112   5  85  40 10 "C"
  check     113   5  95  40 10 "Other" group
  radio     114  60  65  40 10 "X" group
  radio     115  60  75  40 10 "Y"
  combo     120 110   5  80 60
  combo     121 110  20  80 60 dropdown
  combo     122 110  35  80 60 ownerdraw
  trackbar  130 110  55 100 15 autoticks
  edit      140 200   5  40 12
  updown    141 240   5  10 12 autobuddy setbuddyint alignright
  tab       150 110  80 150 60
  button    160 200  40  40 14 "" ownerdraw
  defbutton   1 200 180  40 14 "OK"
  button      2 250 180  40 14 "Cancel"
end
)";

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallTemplates(kControls);
        ASSERT_TRUE(dlg.Create(900));
    }
    template <class T>
    T* Item(int id)
    {
        auto* w = dynamic_cast<T*>(dlg.GetDlgItem(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    RecordingDlg dlg{900};
};

TEST_F(Controls, EditRaisesChangeForCodeAndTypingButNotAtCreation)
{
    EXPECT_EQ(dlg.Count(WM_COMMAND, 100, EN_CHANGE), 0);
    auto* edit = Item<CEdit>(100);
    edit->SetWindowText("12.5");
    EXPECT_EQ(dlg.Count(WM_COMMAND, 100, EN_CHANGE), 1);
    EXPECT_EQ(edit->GetWindowTextString(), "12.5");
    EXPECT_FALSE(edit->GetModify()) << "text set by code is not a user modification";
    // The same text again still notifies, as the pages expect from WM_SETTEXT.
    dlg.SetDlgItemText(100, "12.5");
    EXPECT_EQ(dlg.Count(WM_COMMAND, 100, EN_CHANGE), 2);

    TypeText(edit->GetPeer(), "7");
    EXPECT_EQ(dlg.Count(WM_COMMAND, 100, EN_CHANGE), 3);
    EXPECT_TRUE(edit->GetModify());
    EXPECT_EQ(edit->SendMessage(EM_GETMODIFY), TRUE);
    edit->SendMessage(EM_SETMODIFY, FALSE);
    EXPECT_FALSE(edit->GetModify());
}

TEST_F(Controls, LimitStopsTypingAndPastingButNotCode)
{
    auto* edit = Item<CEdit>(100);
    edit->SendMessage(EM_LIMITTEXT, 5);
    edit->SetWindowText("ABCDEFGHIJ");   // shown whole
    EXPECT_EQ(edit->GetWindowTextString(), "ABCDEFGHIJ");
    dlg.ClearNotes();

    edit->SetWindowText("ABC");
    edit->SetSel(3, 3);
    TypeText(edit->GetPeer(), "DEFG");
    EXPECT_EQ(edit->GetWindowTextString(), "ABCDE");
    EXPECT_GE(dlg.Count(WM_COMMAND, 100, EN_MAXTEXT), 1);

    // A paste is cut to what still fits, at the caret.
    edit->SetWindowText("AB");
    edit->SetSel(1, 1);
    QApplication::clipboard()->setText(QStringLiteral("123456"));
    static_cast<QLineEdit*>(edit->GetPeer())->paste();
    EXPECT_EQ(edit->GetWindowTextString(), "A123B");

    // Replacing a selection frees its room.
    edit->SetSel(0, 5);
    TypeText(edit->GetPeer(), "xy");
    EXPECT_EQ(edit->GetWindowTextString(), "xy");
}

TEST_F(Controls, MultiLineEditUsesCrLfAndLimitsTyping)
{
    auto* edit = Item<CEdit>(101);
    edit->SetWindowText("line1\r\nline2");
    EXPECT_EQ(edit->GetWindowTextString(), "line1\r\nline2");
    EXPECT_EQ(edit->GetLineCount(), 2);
    // Positions count the line break as two characters.
    edit->SetSel(7, 12);
    int s = 0, e = 0;
    edit->GetSel(s, e);
    EXPECT_EQ(s, 7);
    EXPECT_EQ(e, 12);

    edit->LimitText(13);   // 12 now: room for one more character only
    edit->SetSel(-1, -1);
    TypeText(edit->GetPeer(), "ab");
    EXPECT_EQ(edit->GetWindowTextString(), "line1\r\nline2a");
    PressKey(edit->GetPeer(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(edit->GetWindowTextString(), "line1\r\nline2a") << "a line break needs two characters of room";
}

// What code page 1252 cannot hold would reach a file, a print or the
// device as '?': no field takes it, typed, pasted or composed.
TEST_F(Controls, EditsAndEditableCombosRefuseWhatCodePage1252CannotHold)
{
    std::unique_ptr<QPlainTextEdit> label(vx::NewPlainTextEdit(nullptr));
    QWidget* fields[] = {Item<CEdit>(100)->GetPeer(), Item<CEdit>(101)->GetPeer(),
                         qobject_cast<QComboBox*>(Item<CComboBox>(121)->GetPeer())->lineEdit(), label.get()};
    for (QWidget* f : fields) {
        TypeText(f, QString::fromUtf8("a\u0416\u00E9\u20AC"));
        QApplication::clipboard()->setText(QString::fromUtf8("x\u6F22y"));
        QMetaObject::invokeMethod(f, "paste");
        QInputMethodEvent composed(QString(), {});
        composed.setCommitString(QString::fromUtf8("\u03A9"));
        QApplication::sendEvent(f, &composed);
        EXPECT_EQ(f->property(qobject_cast<QLineEdit*>(f) ? "text" : "plainText").toString(),
                  QString::fromUtf8("a\u00E9\u20AC"));
    }
}

TEST_F(Controls, RadioGroupsFollowTheDeclaredOrder)
{
    auto* a = Item<CButton>(110);
    auto* b = Item<CButton>(111);
    auto* c = Item<CButton>(112);
    auto* other = Item<CButton>(113);
    auto* x = Item<CButton>(114);
    other->SetCheck(BST_CHECKED);
    x->SetCheck(BST_CHECKED);
    a->SetCheck(BST_CHECKED);
    b->Click();
    EXPECT_EQ(a->GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(b->GetCheck(), BST_CHECKED);
    EXPECT_EQ(c->GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(other->GetCheck(), BST_CHECKED) << "the next group starts at the check box";
    EXPECT_EQ(x->GetCheck(), BST_CHECKED) << "another group is left alone";
    EXPECT_EQ(dlg.Count(WM_COMMAND, 111, BN_CLICKED), 1);
    b->Click();   // clicking the checked one keeps it and still notifies
    EXPECT_EQ(b->GetCheck(), BST_CHECKED);
    EXPECT_EQ(dlg.Count(WM_COMMAND, 111, BN_CLICKED), 2);

    int value = -5;
    CDataExchange save(&dlg, TRUE);
    DDX_Radio(&save, 110, value);
    EXPECT_EQ(value, 1);
    value = 2;
    CDataExchange load(&dlg, FALSE);
    DDX_Radio(&load, 110, value);
    EXPECT_EQ(c->GetCheck(), BST_CHECKED);
    EXPECT_EQ(b->GetCheck(), BST_UNCHECKED);
    c->SetCheck(BST_UNCHECKED);
    DDX_Radio(&save, 110, value);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(dlg.Count(WM_COMMAND, 112, BN_CLICKED), 0) << "code does not click";
}

TEST_F(Controls, CheckBoxTogglesOnClickAndAnswersItsMessages)
{
    auto* box = Item<CButton>(113);
    box->SendMessage(BM_CLICK);
    EXPECT_EQ(box->SendMessage(BM_GETCHECK), BST_CHECKED);
    box->EnableWindow(FALSE);
    box->Click();
    EXPECT_EQ(box->GetCheck(), BST_CHECKED) << "a disabled box ignores clicks";
    EXPECT_EQ(dlg.Count(WM_COMMAND, 113, BN_CLICKED), 1);
}

TEST_F(Controls, ComboKeepsItemDataAndReportsNoSelectionAsMinusOne)
{
    auto* combo = Item<CComboBox>(120);
    EXPECT_EQ(combo->GetCurSel(), CB_ERR);
    EXPECT_EQ(combo->SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("COM1")), 0);
    EXPECT_EQ(combo->AddString("ttyUSB0"), 1);
    EXPECT_EQ(combo->GetCurSel(), -1) << "adding items selects none";
    combo->SetItemData(0, 1001);
    combo->SendMessage(CB_SETITEMDATA, 1, 0xDEADBEEF);
    EXPECT_EQ(combo->InsertString(0, "first"), 0);
    EXPECT_EQ(combo->GetItemData(1), 1001u) << "data moves with its item";
    EXPECT_EQ(static_cast<UINT_PTR>(combo->SendMessage(CB_GETITEMDATA, 2)), 0xDEADBEEFu);
    EXPECT_EQ(combo->GetItemData(7), static_cast<UINT_PTR>(CB_ERR));

    EXPECT_EQ(combo->SetCurSel(2), 2);
    EXPECT_EQ(combo->GetWindowTextString(), "ttyUSB0");
    EXPECT_EQ(dlg.Count(WM_COMMAND, 120, CBN_SELCHANGE), 0) << "code does not notify";
    EXPECT_EQ(combo->SetCurSel(9), CB_ERR);
    EXPECT_EQ(combo->GetCurSel(), -1);
    combo->SetCurSel(1);
    combo->DeleteString(1);
    EXPECT_EQ(combo->GetCurSel(), -1) << "deleting the selected item leaves none";

    // The user's choice notifies.
    static_cast<QComboBox*>(combo->GetPeer())->setCurrentIndex(1);
    EXPECT_EQ(dlg.Count(WM_COMMAND, 120, CBN_SELCHANGE), 1);
    // Opening and closing the list is reported (the curve page applies its
    // symbol choice on close-up).
    combo->ShowDropDown(TRUE);
    EXPECT_TRUE(combo->GetDroppedState());
    combo->ShowDropDown(FALSE);
    EXPECT_FALSE(combo->GetDroppedState());
    EXPECT_EQ(dlg.Count(WM_COMMAND, 120, CBN_DROPDOWN), 1);
    EXPECT_EQ(dlg.Count(WM_COMMAND, 120, CBN_CLOSEUP), 1);
    combo->SendMessage(CB_RESETCONTENT);
    EXPECT_EQ(combo->GetCount(), 0);
    EXPECT_EQ(combo->SendMessage(CB_GETCURSEL), CB_ERR);
}

TEST_F(Controls, SortedAndDropDownCombos)
{
    auto* drop = Item<CComboBox>(121);
    drop->AddString("b");
    drop->SetWindowText("typed");
    EXPECT_EQ(drop->GetWindowTextString(), "typed");
    EXPECT_EQ(drop->GetCurSel(), -1);
    EXPECT_EQ(drop->FindStringExact(-1, "B"), 0);
    EXPECT_EQ(drop->FindStringExact(-1, "c"), CB_ERR);
}

// Owner-drawn combos are measured once and drawn by their dialog.
class OwnerDrawDlg : public RecordingDlg {
public:
    using RecordingDlg::RecordingDlg;
    int measured = 0;
    std::vector<int> drawn;
    UINT_PTR lastData = 0;

protected:
    void OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) override
    {
        ++measured;
        mis->itemHeight = 18;
    }
    void OnDrawItem(int id, LPDRAWITEMSTRUCT dis) override
    {
        if (id != 122)
            return;
        drawn.push_back(static_cast<int>(dis->itemID));
        lastData = dis->itemData;
        CRect r(dis->rcItem);
        dis->hDC->FillSolidRect(&r, RGB(255, 0, 0));
    }
};

TEST(OwnerDrawCombo, MeasureAndDrawReachTheDialog)
{
    InstallTemplates(kControls);
    OwnerDrawDlg dlg(900);
    ASSERT_TRUE(dlg.Create(900));
    auto* combo = dynamic_cast<CComboBox*>(dlg.GetDlgItem(122));
    ASSERT_NE(combo, nullptr);
    combo->AddString(" ");
    combo->SetItemData(0, 42);
    combo->SetCurSel(0);
    dlg.ShowWindow(SW_SHOW);
    const QImage img = combo->GetPeer()->grab().toImage();
    EXPECT_EQ(combo->GetItemHeight(0), 18);
    EXPECT_EQ(dlg.measured, 1);
    ASSERT_FALSE(dlg.drawn.empty());
    EXPECT_EQ(dlg.drawn.back(), 0);
    EXPECT_EQ(dlg.lastData, 42u);
    const QColor mid = img.pixelColor(img.width() / 3, img.height() / 2);
    EXPECT_EQ(mid, QColor(255, 0, 0)) << "the dialog's drawing shows in the field";
}

// A colour-button-like control draws itself when its dialog leaves the
// drawing to the default.
class SwatchButton : public CButton {
public:
    int draws = 0;
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        ++draws;
        CRect r(dis->rcItem);
        dis->hDC->FillSolidRect(&r, RGB(0, 0, 255));
    }
};

TEST(OwnerDrawButton, DrawsItselfThroughTheDefaultHandling)
{
    InstallTemplates(kControls);
    RecordingDlg dlg(900);
    ASSERT_TRUE(dlg.Create(900));
    SwatchButton swatch;
    ASSERT_TRUE(dlg.SubclassDlgItem(160, &swatch));
    dlg.ShowWindow(SW_SHOW);
    const QImage img = swatch.GetPeer()->grab().toImage();
    EXPECT_GE(swatch.draws, 1);
    EXPECT_EQ(img.pixelColor(img.width() / 2, img.height() / 2), QColor(0, 0, 255));
    swatch.Click();
    EXPECT_EQ(dlg.Count(WM_COMMAND, 160, BN_CLICKED), 1);
}

TEST_F(Controls, TrackbarClampsCodeSilentlyAndReportsTheUser)
{
    auto* bar = Item<CSliderCtrl>(130);
    bar->SetRange(10, 50);
    bar->SetPos(70);
    EXPECT_EQ(bar->GetPos(), 50);
    bar->SendMessage(TBM_SETPOS, TRUE, 3);
    EXPECT_EQ(bar->SendMessage(TBM_GETPOS), 10);
    EXPECT_TRUE(dlg.notes.empty()) << "positions set by code are not reported";

    auto* slider = static_cast<QSlider*>(bar->GetPeer());
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_EQ(dlg.notes.size(), 2u);
    EXPECT_EQ(dlg.notes[0].msg, WM_HSCROLL);
    EXPECT_EQ(dlg.notes[0].code, TB_PAGEDOWN);
    EXPECT_EQ(dlg.notes[1].code, TB_ENDTRACK);
    EXPECT_GT(bar->GetPos(), 10);

    // A drag reports each place while moving and the last one at release.
    dlg.ClearNotes();
    slider->setSliderDown(true);
    slider->setSliderPosition(40);
    slider->setSliderPosition(45);
    slider->setSliderDown(false);
    ASSERT_EQ(dlg.notes.size(), 4u);
    EXPECT_EQ(dlg.notes[0].code, TB_THUMBTRACK);
    EXPECT_EQ(dlg.notes[0].pos, 40);
    EXPECT_EQ(dlg.notes[1].code, TB_THUMBTRACK);
    EXPECT_EQ(dlg.notes[1].pos, 45);
    EXPECT_EQ(dlg.notes[2].code, TB_THUMBPOSITION);
    EXPECT_EQ(dlg.notes[2].pos, 45);
    EXPECT_EQ(dlg.notes[3].code, TB_ENDTRACK);
    EXPECT_EQ(bar->GetPos(), 45);

    // The channel spans the thumb's centre travel inside the control.
    CRect ch;
    bar->GetChannelRect(&ch);
    CRect client;
    bar->GetClientRect(&client);
    EXPECT_GT(ch.Width(), 0);
    EXPECT_GE(ch.left, client.left);
    EXPECT_LE(ch.right, client.right);
}

TEST_F(Controls, UpDownWritesItsBuddyWithinA32BitRange)
{
    auto* spin = Item<CSpinButtonCtrl>(141);
    auto* buddy = Item<CEdit>(140);
    EXPECT_EQ(spin->GetBuddy(), buddy);
    CRect b, s;
    buddy->GetWindowRect(&b);
    spin->GetWindowRect(&s);
    EXPECT_EQ(b.right, s.left) << "aligned right, the buddy gives up the width";

    spin->SetRange32(0, 100000000);
    spin->SetPos32(99999999);
    EXPECT_EQ(buddy->GetWindowTextString(), "99999999") << "a plain number, no thousands marks";
    spin->Step(+1);
    EXPECT_EQ(buddy->GetWindowTextString(), "100000000");
    spin->Step(+1);
    EXPECT_EQ(spin->GetPos32(), 100000000) << "stops at the end of the range";
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 141, UDN_DELTAPOS), 1);
    EXPECT_EQ(dlg.Count(WM_VSCROLL, 141, SB_THUMBPOSITION), 1);

    buddy->SetWindowText("250");
    EXPECT_EQ(spin->GetPos32(), 250) << "the position is read back from the buddy";
    PressKeyIn(buddy, Qt::Key_Up);
    EXPECT_EQ(buddy->GetWindowTextString(), "251") << "arrow keys in the buddy step";
    BOOL error = FALSE;
    buddy->SetWindowText("abc");
    spin->GetPos32(&error);
    EXPECT_TRUE(error);
}

class VetoDlg : public RecordingDlg {
public:
    using RecordingDlg::RecordingDlg;
    bool veto = false;

protected:
    BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* r) override
    {
        auto* h = reinterpret_cast<NMHDR*>(l);
        RecordingDlg::OnNotify(w, l, r);
        if ((h->code == TCN_SELCHANGING || h->code == UDN_DELTAPOS) && veto) {
            *r = TRUE;
            return TRUE;
        }
        return FALSE;
    }
};

TEST(TabControl, ItemsCarryDataAndTheUserCanBeVetoed)
{
    InstallTemplates(kControls);
    VetoDlg dlg(900);
    ASSERT_TRUE(dlg.Create(900));
    auto* tab = dynamic_cast<CTabCtrl*>(dlg.GetDlgItem(150));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), -1);
    tab->InsertItem(0, "Chart", 100);
    tab->InsertItem(1, "Axis", 200);
    tab->InsertItem(2, "Curve", 300);
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_EQ(tab->GetItemData(2), 300);
    char buf[16] = {};
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    ASSERT_TRUE(tab->SendMessage(TCM_GETITEM, 1, reinterpret_cast<LPARAM>(&item)));
    EXPECT_STREQ(buf, "Axis");
    EXPECT_EQ(item.lParam, 200);

    tab->SetCurSel(1);
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 150, TCN_SELCHANGE), 0);
    tab->ClickTab(2);
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 150, TCN_SELCHANGING), 1);
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 150, TCN_SELCHANGE), 1);
    dlg.veto = true;
    tab->ClickTab(0);
    EXPECT_EQ(tab->GetCurSel(), 2) << "a vetoed change keeps the tab";
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 150, TCN_SELCHANGE), 1);

    tab->DeleteAllItems();
    EXPECT_EQ(tab->GetItemCount(), 0);
    EXPECT_EQ(tab->GetCurSel(), -1);

    // The up-down's veto keeps its position too.
    auto* spin = dynamic_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(141));
    spin->SetPos32(5);
    spin->Step(+1);
    EXPECT_EQ(spin->GetPos32(), 5);
}

TEST(DateTimeCtrl, SetTimeIsSilentAndRoundTrips)
{
    InstallTemplates(R"(
dialog 901 100 50
  datetime 10 5 5 60 12
  datetime 11 5 20 60 12 time updown
end
)");
    RecordingDlg dlg(901);
    ASSERT_TRUE(dlg.Create(901));
    auto* date = dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(10));
    auto* time = dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(11));
    ASSERT_TRUE(date && time);
    const COleDateTime t(2009, 3, 1, 8, 5, 3);
    ASSERT_TRUE(time->SetTime(t));
    COleDateTime back;
    EXPECT_EQ(time->GetTime(back), GDT_VALID);
    EXPECT_EQ(back.GetHour(), 8);
    EXPECT_EQ(back.GetMinute(), 5);
    EXPECT_EQ(back.GetSecond(), 3);
    EXPECT_EQ(back.GetYear(), 2009);
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 11, DTN_DATETIMECHANGE), 0);

    // The user's change is reported.
    auto* edit = static_cast<QDateTimeEdit*>(date->GetPeer());
    edit->setDate(QDate(2010, 5, 6));
    EXPECT_EQ(dlg.Count(WM_NOTIFY, 10, DTN_DATETIMECHANGE), 1);
    date->GetTime(back);
    EXPECT_EQ(back.GetDay(), 6);
}

TEST(ListBox, ItemsDataAndSelection)
{
    InstallTemplates(R"(
dialog 904 100 80
  list 10 5 5 80 60
end
)");
    RecordingDlg dlg(904);
    ASSERT_TRUE(dlg.Create(904));
    auto* list = dynamic_cast<CListBox*>(dlg.GetDlgItem(10));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ttyS0")), 0);
    list->AddString("ttyUSB0");
    list->SetItemData(1, 77);
    EXPECT_EQ(list->GetCurSel(), LB_ERR);
    list->SetCurSel(1);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(list->GetItemData(1), 77u);
    CString text;
    list->GetText(1, text);
    EXPECT_EQ(text, "ttyUSB0");
    EXPECT_EQ(dlg.Count(WM_COMMAND, 10, LBN_SELCHANGE), 0) << "code does not notify";
    static_cast<QListWidget*>(list->GetPeer())->setCurrentRow(0);
    EXPECT_EQ(dlg.Count(WM_COMMAND, 10, LBN_SELCHANGE), 1);
    list->ResetContent();
    EXPECT_EQ(list->GetCount(), 0);
}

TEST(ToolTips, RectanglesInsideAWindowHaveTheirOwnTexts)
{
    InstallTemplates(kControls);
    RecordingDlg dlg(900);
    ASSERT_TRUE(dlg.Create(900));
    CToolTipCtrl tips;
    tips.Create(&dlg);
    const CRect black(0, 0, 10, 10), white(10, 0, 20, 10);
    tips.AddTool(&dlg, "Black", &black, 1);
    tips.AddTool(&dlg, "White", &white, 1);
    EXPECT_EQ(tips.TipTextAt(&dlg, CPoint(5, 5)), "Black");
    EXPECT_EQ(tips.TipTextAt(&dlg, CPoint(15, 5)), "White");
    EXPECT_TRUE(tips.TipTextAt(&dlg, CPoint(25, 5)).IsEmpty());
    tips.Activate(FALSE);
    EXPECT_TRUE(tips.TipTextAt(&dlg, CPoint(5, 5)).IsEmpty());

    // A window that goes before its tooltip control leaves nothing behind.
    CToolTipCtrl outliving;
    {
        RecordingDlg popup(900);
        ASSERT_TRUE(popup.Create(900));
        outliving.AddTool(&popup, "Tip");
    }
}

TEST(RichEdit, TerminalTextIsSetAndAppendedWhole)
{
    InstallTemplates(R"(
dialog 902 200 100
  richedit 10 0 0 200 100 readonly vscroll
end
)");
    RecordingDlg dlg(902);
    ASSERT_TRUE(dlg.Create(902));
    auto* term = dynamic_cast<CRichEditCtrl*>(dlg.GetDlgItem(10));
    ASSERT_NE(term, nullptr);
    const CString big(CString('x', 40000));
    term->SetWindowText(big);
    term->AppendText(" [0D] [0A]\r\nnext");
    EXPECT_EQ(term->GetTextLength(), 40000 + 16);
    EXPECT_EQ(term->GetWindowTextString().Right(6), "\r\nnext");
    term->AppendText("A");
    term->AppendText("B");
    EXPECT_EQ(term->GetWindowTextString().Right(6), "nextAB") << "appends keep their order";
}

} // namespace

namespace {

class ColourDlg : public RecordingDlg {
public:
    using RecordingDlg::RecordingDlg;
    CBrush red{RGB(255, 0, 0)};
    int asked = 0;

protected:
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override
    {
        ++asked;
        if (ctlColor == CTLCOLOR_STATIC && wnd->GetDlgCtrlID() == 10) {
            dc->SetTextColor(RGB(255, 255, 255));
            dc->SetBkMode(TRANSPARENT);
            return &red;
        }
        return RecordingDlg::OnCtlColor(dc, wnd, ctlColor);
    }
};

TEST(StaticColours, TheParentColoursItsStatics)
{
    InstallTemplates(R"(
dialog 903 100 40
  text 10 0 0 50 20 "Wert"
  text 11 50 0 50 20 "Einheit"
end
)");
    ColourDlg dlg(903);
    ASSERT_TRUE(dlg.Create(903));
    dlg.ShowWindow(SW_SHOW);
    const QImage coloured = dlg.GetDlgItem(10)->GetPeer()->grab().toImage();
    const QImage plain = dlg.GetDlgItem(11)->GetPeer()->grab().toImage();
    EXPECT_GE(dlg.asked, 2);
    EXPECT_EQ(coloured.pixelColor(coloured.width() - 2, coloured.height() - 2), QColor(255, 0, 0));
    EXPECT_NE(plain.pixelColor(plain.width() - 2, plain.height() - 2), QColor(255, 0, 0));
}

} // namespace

TEST(AppStyle, ALineEditLooksAsTheToolkitDrawsItAndAChangedLookIsDrawnAnew)
{
    QWidget parent;
    parent.resize(160, 40);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(200, 150, 100));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    QLineEdit edit(QStringLiteral("12.345 Nm"), &parent);
    edit.setGeometry(10, 8, 120, 24);
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
    std::unique_ptr<QStyle> kept(vx::MakeAppStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    auto drawnBy = [&](QStyle* style) {
        parent.setStyle(style);
        edit.setStyle(style);
        return parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    // Off by at most one step of a colour channel where the frame's rounded
    // corners blend with what lies under them; the same everywhere else.
    auto alike = [](const QImage& a, const QImage& b) {
        if (a.size() != b.size())
            return false;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                if (std::abs(qRed(p) - qRed(q)) > 1 || std::abs(qGreen(p) - qGreen(q)) > 1 ||
                    std::abs(qBlue(p) - qBlue(q)) > 1)
                    return false;
            }
        return true;
    };
    QPixmapCache::clear();
    auto looks = [&](const char* what) {
        SCOPED_TRACE(what);
        const QImage toolkit = drawnBy(plain.get());
        const QImage first = drawnBy(kept.get());
        EXPECT_TRUE(alike(toolkit, first));
        EXPECT_EQ(drawnBy(kept.get()), first);   // copied: as drawn the first time
    };
    looks("plain");
    // Each of these changes the panel: the copy of the old one must not do.
    edit.setReadOnly(true);
    looks("read-only");
    QPalette red = edit.palette();
    red.setColor(QPalette::Base, QColor(255, 0, 0));
    edit.setPalette(red);
    looks("own colours");
    edit.setEnabled(false);
    looks("disabled");
    edit.resize(90, 30);
    looks("other size");
    parent.setStyle(nullptr);
    edit.setStyle(nullptr);
}

TEST(AppStyle, AScrollBarLooksAsTheToolkitDrawsItInEachOfItsStates)
{
    QScrollBar bar(Qt::Vertical);
    bar.resize(16, 140);
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
    std::unique_ptr<QStyle> kept(vx::MakeAppStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    auto drawnBy = [&](QStyle* style) {
        bar.setStyle(style);
        return bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    QPixmapCache::clear();
    // Range and position as a terminal's bar goes through them: back and
    // forth between a few, each drawn as the toolkit draws it.
    const int states[][2] = {{40, 40}, {41, 41}, {40, 40}, {41, 20}, {0, 0}, {41, 41}};
    for (const auto& [max, value] : states) {
        bar.setRange(0, max);
        bar.setPageStep(9);
        bar.setValue(value);
        SCOPED_TRACE(testing::Message() << max << " " << value);
        const QImage toolkit = drawnBy(plain.get());
        const QImage shown = drawnBy(kept.get());
        EXPECT_EQ(shown, toolkit);
    }
    bar.setEnabled(false);
    EXPECT_EQ(drawnBy(kept.get()), drawnBy(plain.get()));
    bar.setStyle(nullptr);
}

TEST(AppStyle, ATabPageFrameLooksAsTheToolkitDrawsItWholeOrInPart)
{
    QTabWidget tabs;
    tabs.resize(300, 200);
    tabs.addTab(new QWidget, QStringLiteral("Einrichten"));
    tabs.addTab(new QWidget, QStringLiteral("Messen"));
    tabs.show();
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
    std::unique_ptr<QStyle> kept(vx::MakeAppStyle(QStyleFactory::create(QStringLiteral("Fusion"))));
    auto drawnBy = [&](QStyle* style, const QRegion& part) {
        tabs.setStyle(style);
        QImage image(tabs.size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        tabs.render(&image, QPoint(), part);
        return image;
    };
    QPixmapCache::clear();
    // A child's little area at the page's edge, as a value box repaints
    // it, and the whole: each as the toolkit draws it, the kept copy as
    // well as its first drawing.
    const QRegion whole(tabs.rect()), corner(QRect(0, 20, 60, 40)), inside(QRect(100, 90, 50, 30));
    auto looks = [&](const char* what) {
        SCOPED_TRACE(what);
        for (const QRegion& part : {whole, corner, inside, whole})
            EXPECT_EQ(drawnBy(kept.get(), part), drawnBy(plain.get(), part));
    };
    looks("first tab");
    // Another tab chosen, another size, other colours: the old copy must
    // not do for any of them.
    tabs.setCurrentIndex(1);
    looks("second tab");
    tabs.resize(260, 180);
    looks("other size");
    QPalette pal = tabs.palette();
    pal.setColor(QPalette::Window, QColor(200, 150, 100));
    tabs.setPalette(pal);
    looks("own colours");
    tabs.setStyle(nullptr);
}
