// The filtered edit, the image window and the terminal view's rendering.
#include "controls/MyEdit.h"
#include "controls/RichEditCtrlExtended.h"
#include "controls/TerminalView.h"
#include "controls/WndImage.h"
#include "platform/Messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <map>
#include <random>
#include <string>

namespace {

struct Host {
    Host() { parent.Create(nullptr, "host", WS_POPUP, CRect(0, 0, 300, 200), nullptr, 0); }
    ~Host()
    {
        if (parent.IsWindow())
            parent.DestroyWindow();
    }
    CWnd parent;
};

QLineEdit* LineEdit(CMyEdit& e) { return qobject_cast<QLineEdit*>(e.GetPeer()); }

// The terminal's font.
QFont Monospaced()
{
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setPixelSize(12);
    return mono;
}

} // namespace

TEST(MyEdit, NumericChangeCheckComparesValuesAndHonoursTheLock)
{
    Host host;
    CMyEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 25), &host.parent, 100));
    const char decimal = ',';
    int language = 0;
    EXPECT_TRUE(edit.Init("0123456789,-", 0, 1000, 2000, 3000, &language, true, &decimal, 0));
    edit.SetWindowText("1,0");
    EXPECT_TRUE(edit.IsValueChanged());    // the first call takes the reference
    EXPECT_DOUBLE_EQ(edit.GetValue(), 1.0);
    edit.SetWindowText("1,00");
    EXPECT_FALSE(edit.IsValueChanged());   // same value, other text
    edit.SetWindowText("1,5");
    EXPECT_TRUE(edit.IsValueChanged());
    EXPECT_FALSE(edit.IsValueChanged());   // reported once
    edit.LockChangeCheck();
    edit.SetWindowText("7");
    EXPECT_FALSE(edit.IsValueChanged());
    edit.UnlockChangeCheck();
    EXPECT_TRUE(edit.IsValueChanged());
}

TEST(MyEdit, TextModeAlwaysReportsAChangeAfterTheFirstCall)
{
    Host host;
    CMyEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 25), &host.parent, 100));
    edit.Init(nullptr, 0, 1000, 2000, 3000, nullptr, false, nullptr, 0);
    edit.LockChangeCheck();
    EXPECT_TRUE(edit.IsValueChanged());    // first call, even locked
    EXPECT_FALSE(edit.IsValueChanged());
    edit.UnlockChangeCheck();
    EXPECT_TRUE(edit.IsValueChanged());
    EXPECT_TRUE(edit.IsValueChanged());
}

TEST(MyEdit, TypingAndPastingAreFilteredAndLimited)
{
    Host host;
    CMyEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 25), &host.parent, 100));
    edit.Init("0123456789.", 0, 1000, 2000, 3000, nullptr, true, nullptr, 0);
    edit.SetLimitText(8);
    EXPECT_EQ(edit.GetRememberedLimit(), 8u);
    QLineEdit* le = LineEdit(edit);
    ASSERT_NE(le, nullptr);
    le->insert("12");
    le->insert("x");   // refused
    EXPECT_EQ(edit.GetWindowTextString(), CString("12"));
    QApplication::clipboard()->setText("3a4");
    edit.Paste();      // refused whole
    EXPECT_EQ(edit.GetWindowTextString(), CString("12"));
    QApplication::clipboard()->setText("3.456789");
    edit.Paste();      // allowed, cut to the limit
    EXPECT_EQ(edit.GetWindowTextString(), CString("123.4567"));
    // Code may set any text; the filter is for the user.
    edit.SetWindowText("abc");
    EXPECT_EQ(edit.GetWindowTextString(), CString("abc"));
}

TEST(WndImage, ClickPostsPositionAndLayoutModeFallsBackToTwo)
{
    Host host;
    WPARAM gotW = 0;
    LPARAM gotL = -1;
    int clicks = 0;
    host.parent.MapMessageFn(WM_WNDIMAGE_CLICK, [&](WPARAM w, LPARAM l) {
        gotW = w;
        gotL = l;
        ++clicks;
        return LRESULT(0);
    });
    CStatic placeholder;
    placeholder.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 20, 130, 80), &host.parent, 1234);
    CWndImage image;
    ASSERT_TRUE(image.CreateOverControl(&placeholder));
    EXPECT_EQ(image.GetDlgCtrlID(), 1234);
    EXPECT_FALSE(placeholder.IsWindowVisible());
    CRect r;
    image.GetWindowRect(&r);
    host.parent.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(10, 20, 130, 80));

    image.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(61, 31));
    EXPECT_EQ(clicks, 0);   // posted, not sent
    vx::ProcessPendingMessages();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(gotW, 1234u);
    EXPECT_EQ(gotL, 61 * 65535 + 31);

    for (int bad : {0, 9, -1}) {
        image.SetLayoutMode(bad);
        EXPECT_EQ(image.GetLayoutMode(), 2) << bad;
    }
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(Qt::green);
    image.SetImage(pic);
    image.SetLayoutMode(3);
    EXPECT_EQ(image.GetImageRect(), CRect(0, 0, 120, 60));   // stretched
    image.SetLayoutMode(1);
    EXPECT_EQ(image.GetImageRect(), CRect(50, 25, 70, 35));  // natural size, centred
}

TEST(TerminalView, TextShowsEveryByteAndOneBreakPerLineEnd)
{
    Host host;
    CRichEditCtrlExtended term;
    ASSERT_TRUE(term.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 7));
    const char data[] = "a\r\nb\rc\nd\0e\tf\x01g\xC4";
    term.ShowBytes(CString(std::string(data, sizeof data - 1)), false);
    EXPECT_EQ(term.GetWindowTextString().str(), "a\r\nb\r\nc\r\nd.e\tf.g\xC4");
    term.ShowBytes(CString("\r\n\r\n"), false);
    EXPECT_EQ(term.GetWindowTextString().str(), "\r\n\r\n");
}

TEST(TerminalView, HexTakesBytesUnsigned)
{
    Host host;
    CRichEditCtrlExtended term;
    ASSERT_TRUE(term.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 7));
    term.ShowBytes(CString("OK\r\n"), true);
    EXPECT_EQ(term.GetWindowTextString().str(), " [4F] [4B] [0D] [0A]");
    term.ShowBytes(CString(std::string("\xC4\x00\xFF", 3)), true);
    EXPECT_EQ(term.GetWindowTextString().str(), " [C4] [00] [FF]");
}

TEST(TerminalView, ShowsOnlyTheTail)
{
    Host host;
    CRichEditCtrlExtended term;
    ASSERT_TRUE(term.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 7));
    CString big(std::string(100000, 'x') + "END");
    term.ShowBytes(big, false);
    const CString shown = term.GetWindowTextString();
    EXPECT_EQ(shown.GetLength(), CRichEditCtrlExtended::kTextTailBytes);
    EXPECT_EQ(shown.Right(3), CString("END"));
    term.ShowBytes(big, true);
    EXPECT_EQ(term.GetWindowTextString().GetLength(), CRichEditCtrlExtended::kHexTailBytes * 5);
}

TEST(TerminalView, ChangedInPlaceItShowsWhatAFreshSetShows)
{
    // One view follows a receive text the way the main dialog drives it
    // (bytes added, answers taken out, the tail moving on, hex switched);
    // the other is set afresh each time. They must always hold the same.
    Host host;
    CRichEditCtrlExtended live, fresh;
    ASSERT_TRUE(live.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 7));
    ASSERT_TRUE(fresh.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 8));
    auto* liveText = dynamic_cast<TerminalView*>(live.GetPeer());
    auto* freshText = dynamic_cast<TerminalView*>(fresh.GetPeer());
    ASSERT_TRUE(liveText && freshText);

    using Update = CRichEditCtrlExtended::Update;
    std::map<Update, int> seen;
    std::mt19937 rng(14);
    const char alphabet[] = "\r\n\r\nab\t\x01\x00\xC4\xFFxyz0123";
    std::string rx;
    bool hex = false;
    for (int step = 0; step < 400; ++step) {
        const int action = static_cast<int>(rng() % 20);
        if (action < 12) {
            // Bytes arrive: short frames mostly, now and then a flood of
            // lines that pushes the tail on and past the view's line limit.
            const int n = action == 0 ? 9000 + static_cast<int>(rng() % 9000) : 1 + static_cast<int>(rng() % 40);
            for (int i = 0; i < n; ++i)
                rx += action == 1 ? '\n' : alphabet[rng() % (sizeof alphabet - 1)];
        } else if (action < 16) {
            rx.erase(0, std::min(rx.size(), static_cast<size_t>(rng() % 50)));   // an answer taken out
        } else if (action < 17) {
            rx.clear();
        } else if (action < 18) {
            hex = !hex;
        } else if (action < 19 && !rx.empty()) {
            rx.back() = rx.back() == '\r' ? 'x' : '\r';   // same length, other last byte
        }
        // else: the same bytes again
        if (rx.size() > 200000)
            rx.erase(0, 150000);
        const CString snapshot(rx);
        live.ShowBytes(snapshot, hex);
        ++seen[live.GetLastUpdate()];
        fresh.Clear();
        fresh.ShowBytes(snapshot, hex);
        ASSERT_EQ(liveText->Text(), freshText->Text()) << "step " << step;
        ASSERT_LE(liveText->LineCount(), CRichEditCtrlExtended::kMaxLines) << "step " << step;
    }
    // Every way of changing the view was taken.
    EXPECT_GT(seen[Update::None], 0);
    EXPECT_GT(seen[Update::Append], 0);
    EXPECT_GT(seen[Update::Replace], 0);
    EXPECT_GT(seen[Update::Reset], 0);
}

TEST(TerminalView, ALineBreakCutBetweenItsBytesShowsAsAFreshSetShowsIt)
{
    Host host;
    CRichEditCtrlExtended live, fresh;
    ASSERT_TRUE(live.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 7));
    ASSERT_TRUE(fresh.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 100), &host.parent, 8));
    const size_t tail = CRichEditCtrlExtended::kTextTailBytes;
    // A full tail ending in a CR LF and some lines; then so much more that
    // the tail moves on to start on that LF, which now makes a line break
    // of its own.
    std::string rx(tail - 102, 'a');
    rx += "\r\n" + std::string(100, 'b');
    live.ShowBytes(CString(rx), false);
    rx += std::string(tail - 101, 'c');
    live.ShowBytes(CString(rx), false);
    EXPECT_EQ(live.GetLastUpdate(), CRichEditCtrlExtended::Update::Replace);
    fresh.ShowBytes(CString(rx), false);
    EXPECT_EQ(live.GetWindowTextString().str(), fresh.GetWindowTextString().str());
    EXPECT_EQ(live.GetWindowTextString().Left(3).str(), "\r\nb");
    // The same bytes again: nothing to do.
    live.ShowBytes(CString(rx), false);
    EXPECT_EQ(live.GetLastUpdate(), CRichEditCtrlExtended::Update::None);
}

TEST(TerminalView, LongLinesBreakAtASpaceThatFitsOrAtTheWidthAndTheEndStaysInView)
{
    TerminalView view;
    view.setFont(Monospaced());
    view.resize(200, 100);
    const int columns =
        static_cast<int>((view.viewport()->width() - 8) / QFontMetricsF(view.font()).horizontalAdvance(u'0'));
    ASSERT_GT(columns, 6);
    // One word per row where two do not fit; an unbroken run cut at the
    // width; an empty line is a row of its own.
    const QString word(columns / 2 + 1, u'w');
    const QString run(columns * 2 + 1, u'x');
    view.SetText(word + u' ' + word + u' ' + word + QStringLiteral("\n\n") + run);
    EXPECT_EQ(view.RowCount(), 3 + 1 + 3);
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());

    // Scrolled back by the user, the view stays there as it is resized;
    // new text brings the end back.
    QString many;
    for (int i = 0; i < 50; ++i)
        many += QString::number(i) + u'\n';
    view.SetText(many);
    bar->setValue(3);
    view.resize(220, 120);
    EXPECT_EQ(bar->value(), 3);
    view.SetText(many + QStringLiteral("50"));
    EXPECT_EQ(bar->value(), bar->maximum());

    // Beyond the line limit only the last lines are shown.
    view.SetMaxLines(10);
    view.SetText(many + QStringLiteral("50"));
    EXPECT_EQ(view.LineCount(), 10);
    EXPECT_TRUE(view.Text().startsWith(QStringLiteral("41\n")));
    EXPECT_TRUE(view.Text().endsWith(QStringLiteral("49\n50")));
}

TEST(TerminalView, TheMouseSelectsAndTheKeyboardCopiesWhatWasSelected)
{
    TerminalView view;
    view.setFont(Monospaced());
    view.resize(320, 120);
    const QStringList lines = {QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz"), QStringLiteral("second line")};
    view.SetText(lines.join(u'\n'));
    ASSERT_EQ(view.RowCount(), 2);
    // Where the characters are drawn, as the font places them (its advance
    // is not a whole pixel, so an error grows along a row).
    const QFontMetricsF fm(view.font());
    const int h = QFontMetrics(view.font()).lineSpacing();
    auto at = [&](int col, int row) {
        return QPointF(4 + fm.horizontalAdvance(lines[row].left(col)), 4 + row * h + h / 2.0);
    };
    auto mouse = [&](QEvent::Type type, QPointF p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent e(type, p, view.viewport()->mapToGlobal(p), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
        QApplication::sendEvent(view.viewport(), &e);
    };
    auto key = [&](int k, Qt::KeyboardModifiers mods) {
        QKeyEvent e(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(&view, &e);
    };
    // From "uvwxyz" far along the first row to "second" in the second.
    mouse(QEvent::MouseButtonPress, at(30, 0));
    mouse(QEvent::MouseMove, at(6, 1));
    mouse(QEvent::MouseButtonRelease, at(6, 1));
    EXPECT_EQ(view.SelectedText(), QStringLiteral("uvwxyz\nsecond"));
    // Shift and a click move the selection's end, not its start.
    mouse(QEvent::MouseButtonPress, at(11, 1), Qt::ShiftModifier);
    mouse(QEvent::MouseButtonRelease, at(11, 1), Qt::ShiftModifier);
    EXPECT_EQ(view.SelectedText(), QStringLiteral("uvwxyz\nsecond line"));

    QApplication::clipboard()->clear();
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("uvwxyz\nsecond line"));
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view.SelectedText(), view.Text());
    // New text ends the selection: nothing to copy from what is gone.
    view.SetText(QStringLiteral("other"));
    EXPECT_TRUE(view.SelectedText().isEmpty());
}

TEST(TerminalView, RowsAreDrawnAsTextIsDrawnAtTheirBaselineAlsoAfterTheFontChanges)
{
    TerminalView view;
    view.resize(320, 140);
    // What the view must show: each row as QPainter::drawText puts a line
    // at the row's whole-pixel baseline, on the field's base colour.
    auto looksRight = [&](const QStringList& rows) {
        // Grabbed first: a hidden scroll area sizes its viewport only then.
        const QImage shown = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QImage ref(shown.size(), QImage::Format_RGB32);
        ref.fill(view.palette().color(QPalette::Base));
        QPainter p(&ref);
        p.setFont(view.font());
        p.setPen(view.palette().color(QPalette::Text));
        const QFontMetrics fm(view.font());
        for (int i = 0; i < rows.size(); ++i)
            p.drawText(4, 4 + i * fm.lineSpacing() + fm.ascent(), rows[i]);
        p.end();
        return shown == ref;
    };

    view.setFont(Monospaced());
    // Plain rows, rows of bytes a device sends (as the terminal shows them)
    // and one with a character from beyond the font's first 256.
    const QStringList rows = {QStringLiteral("G 12.345 Nm"), QStringLiteral("G 12.345 Nm"), QStringLiteral("jy|(0)"),
                              QString::fromUtf8("\xc3\xbfM \xc3\xbc\xc3\x9c \xc2\xb5s \xc3\x9f\xc3\xa9"),
                              QString::fromUtf8("5 \xe2\x82\xac / 7 \xe2\x84\xa2")};
    view.SetText(rows.join(u'\n'));
    EXPECT_TRUE(looksRight(rows));
    // Drawn again from what was laid out: the same picture.
    view.SetText(rows.join(u'\n'));
    EXPECT_TRUE(looksRight(rows));

    // A larger font lays the rows out anew.
    QFont large = Monospaced();
    large.setPixelSize(17);
    view.setFont(large);
    EXPECT_TRUE(looksRight(rows));
}
