// CWnd over its Qt peer: family, text, state, geometry, and the Qt events
// that become the program's window messages.
#include "platform/Cursor.h"
#include "platform/Timer.h"
#include "platform/Wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class Probe : public CWnd {
public:
    std::vector<std::string> log;
    bool swallowLeft = false;
    bool swallowDigits = false;
    bool preTranslateEscape = false;
    bool busyCursor = false;
    bool deleteOnNcDestroy = false;
    int* ncDestroyed = nullptr;
    bool painted = false;
    bool paintedInPaint = false;
    std::function<void()> onLeftDown;

protected:
    void OnPaint() override
    {
        painted = true;
        paintedInPaint = IsInPaint();
    }
    void OnLButtonDown(UINT flags, CPoint p) override
    {
        log.push_back("down " + std::to_string(p.x) + "," + std::to_string(p.y) +
                      ((flags & MK_CONTROL) ? " ctrl" : ""));
        if (onLeftDown) {
            onLeftDown();
            return;
        }
        if (!swallowLeft)
            CWnd::OnLButtonDown(flags, p);
    }
    void OnLButtonDblClk(UINT, CPoint) override { log.push_back("dbl"); }
    void OnKeyDown(UINT ch, UINT, UINT) override
    {
        log.push_back("key " + std::to_string(ch));
        Default();
    }
    void OnKeyUp(UINT ch, UINT, UINT) override { log.push_back("keyup " + std::to_string(ch)); }
    void OnChar(UINT ch, UINT r, UINT f) override
    {
        log.push_back(std::string("char ") + static_cast<char>(ch));
        if (swallowDigits && ch >= '0' && ch <= '9')
            return;
        CWnd::OnChar(ch, r, f);
    }
    void OnSize(UINT, int cx, int cy) override { log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy)); }
    void OnShowWindow(BOOL show, UINT) override { log.push_back(show ? "show" : "hide"); }
    void OnDestroy() override
    {
        log.push_back("destroy children=" + std::to_string(GetChildren().size()));
    }
    BOOL OnSetCursor(CWnd* w, UINT hit, UINT msg) override
    {
        if (busyCursor) {
            SetCursor(LoadStandardCursor(IDC_WAIT));
            return TRUE;
        }
        return CWnd::OnSetCursor(w, hit, msg);
    }
    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (preTranslateEscape && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
            log.push_back("pre esc");
            return TRUE;
        }
        if (msg->message == WM_KEYDOWN && msg->wParam == 'A' && GetKeyState(VK_CONTROL) < 0)
            log.push_back("pre ctrl+A");
        return CWnd::PreTranslateMessage(msg);
    }
    void PostNcDestroy() override
    {
        if (ncDestroyed)
            ++*ncDestroyed;
        if (deleteOnNcDestroy)
            delete this;
    }
};

class WndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(top.Create(nullptr, "Hauptfenster", WS_POPUP | WS_VISIBLE, CRect(100, 50, 500, 350), nullptr, 0));
    }
    Probe top;
};

TEST_F(WndTest, ChildrenAreFoundByIdAndReachTheirTopLevel)
{
    Probe page, nested, ctrl;
    ASSERT_TRUE(page.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &top, 1000));
    ASSERT_TRUE(nested.Create(nullptr, "", WS_CHILD, CRect(10, 10, 200, 150), &page, 1001));
    ASSERT_TRUE(ctrl.Create("Edit", "abc", WS_CHILD | WS_VISIBLE, CRect(5, 5, 50, 25), &nested, 1059));
    EXPECT_EQ(top.GetDlgItem(1000), &page);
    EXPECT_EQ(top.GetDlgItem(1059), nullptr);   // only direct children
    EXPECT_EQ(nested.GetDlgItem(1059), &ctrl);
    EXPECT_EQ(ctrl.GetDlgCtrlID(), 1059);
    EXPECT_EQ(ctrl.GetTopLevelParent(), &top);
    EXPECT_EQ(ctrl.GetParent(), &nested);
    EXPECT_EQ(CWnd::FromPeer(ctrl.GetPeer()), &ctrl);
    EXPECT_EQ(ctrl.GetPeer()->parentWidget(), nested.GetPeer());
    EXPECT_EQ(ctrl.GetClassName(), CString("Edit"));

    // A sheet made as a popup and then put under a page still reaches the top.
    Probe sheet;
    ASSERT_TRUE(sheet.Create(nullptr, "", WS_POPUP, CRect(0, 0, 100, 100), nullptr, 0));
    sheet.SetParent(&page);
    EXPECT_EQ(sheet.GetTopLevelParent(), &top);
    EXPECT_EQ(sheet.GetPeer()->parentWidget(), page.GetPeer());
    EXPECT_FALSE(sheet.GetPeer()->isWindow());
}

TEST_F(WndTest, TextOfWindowsAndDialogItems)
{
    Probe ctrl;
    ASSERT_TRUE(ctrl.Create(nullptr, "alt", WS_CHILD, CRect(0, 0, 10, 10), &top, 1059));
    top.SetDlgItemText(1059, "12,5 \xB5m");
    CString s;
    EXPECT_EQ(top.GetDlgItemText(1059, s), 7);
    EXPECT_EQ(s, CString("12,5 \xB5m"));
    char buf[5];
    EXPECT_EQ(ctrl.GetWindowText(buf, sizeof buf), 4);
    EXPECT_STREQ(buf, "12,5");
    top.SetDlgItemInt(1059, static_cast<UINT>(-42));
    BOOL ok = FALSE;
    EXPECT_EQ(static_cast<int>(top.GetDlgItemInt(1059, &ok)), -42);
    EXPECT_TRUE(ok);
    top.SetDlgItemText(1059, "4x");
    top.GetDlgItemInt(1059, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(top.GetDlgItemText(999, s), 0);   // no such item
    EXPECT_EQ(top.GetPeer()->windowTitle(), QString("Hauptfenster"));
}

TEST_F(WndTest, ShowWindowReportsChangesAndVisibilityFollowsParents)
{
    Probe child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD, CRect(0, 0, 10, 10), &top, 1));
    EXPECT_FALSE(child.IsWindowVisible());
    EXPECT_FALSE(child.ShowWindow(SW_SHOW));
    EXPECT_TRUE(child.ShowWindow(SW_SHOW));   // already shown: no second message
    EXPECT_EQ(child.log, (std::vector<std::string>{"size 10x10", "show"}));
    EXPECT_TRUE(child.IsWindowVisible());
    top.ShowWindow(SW_HIDE);
    EXPECT_FALSE(child.IsWindowVisible());
    EXPECT_TRUE(child.GetStyle() & WS_VISIBLE);

    EXPECT_FALSE(child.EnableWindow(FALSE));   // was enabled
    EXPECT_FALSE(child.IsWindowEnabled());
    EXPECT_FALSE(child.GetPeer()->isEnabled());
    EXPECT_TRUE(child.EnableWindow(TRUE));
}

TEST_F(WndTest, GeometryInClientAndScreenCoordinates)
{
    Probe child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(20, 30, 120, 80), &top, 1));
    child.log.clear();
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 100, 50));
    child.MoveWindow(25, 35, 200, 60);
    EXPECT_EQ(child.log, std::vector<std::string>{"size 200x60"});   // at once, even before painting
    child.MoveWindow(30, 40, 200, 60);
    EXPECT_EQ(child.log.size(), 1u);   // moved, not resized

    CRect w;
    child.GetWindowRect(&w);
    CRect t;
    top.GetWindowRect(&t);
    EXPECT_EQ(w.left - t.left, 30);
    EXPECT_EQ(w.top - t.top, 40);
    EXPECT_EQ(w.Width(), 200);
    top.ScreenToClient(&w);
    EXPECT_EQ(w, CRect(30, 40, 230, 100));
    CPoint p(5, 6);
    child.ClientToScreen(&p);
    child.ScreenToClient(&p);
    EXPECT_EQ(p, CPoint(5, 6));
}

TEST_F(WndTest, MouseEventsReachTheHandlersAndDefaultFallsToQt)
{
    Probe child;
    ASSERT_TRUE(child.Create(AfxRegisterWndClass(CS_DBLCLKS), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &top, 1));
    QWidget* peer = child.GetPeer();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(12, 34), peer->mapToGlobal(QPointF(12, 34)), Qt::LeftButton,
                      Qt::LeftButton, Qt::ControlModifier);
    child.swallowLeft = true;
    press.setAccepted(false);
    QApplication::sendEvent(peer, &press);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(1, 2), peer->mapToGlobal(QPointF(1, 2)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(peer, &dbl);
    EXPECT_EQ(child.log.back(), "dbl");
    EXPECT_EQ(child.log[child.log.size() - 2], "down 12,34 ctrl");

    // The click stays with the child, even when its handler leaves it to
    // the default.
    top.log.clear();
    child.swallowLeft = false;
    QApplication::sendEvent(peer, &press);
    EXPECT_EQ(child.log.back(), "down 12,34 ctrl");
    EXPECT_TRUE(top.log.empty());

    // Without CS_DBLCLKS a double click is a second press.
    Probe plain;
    ASSERT_TRUE(plain.Create(AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &top, 2));
    QApplication::sendEvent(plain.GetPeer(), &dbl);
    EXPECT_EQ(plain.log.back(), "down 1,2");
}

TEST_F(WndTest, KeysPassPreTranslateThenKeyDownAndCharFilters)
{
    Probe child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 100), &top, 1));
    top.preTranslateEscape = true;
    child.swallowDigits = true;
    top.GetPeer()->activateWindow();
    QApplication::processEvents();
    child.SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(child.GetPeer()->hasFocus());
    EXPECT_EQ(CWnd::GetFocus(), &child);

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(child.GetPeer(), &esc);
    EXPECT_EQ(top.log.back(), "pre esc");   // the parent saw it first and kept it
    EXPECT_TRUE(std::find(child.log.begin(), child.log.end(), "key 27") == child.log.end());

    QKeyEvent seven(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, "7");
    seven.setAccepted(false);
    const bool consumed = QApplication::sendEvent(child.GetPeer(), &seven);
    EXPECT_EQ(child.log.back(), "char 7");
    EXPECT_EQ(child.log[child.log.size() - 2], "key 55");
    EXPECT_TRUE(consumed);   // the filter swallowed the character

    // Every key is offered, also when Qt reuses the event's address.
    for (int i = 0; i < 2; ++i) {
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(child.GetPeer(), &again);
    }
    EXPECT_EQ(std::count(top.log.begin(), top.log.end(), "pre esc"), 3);

    // GetKeyState answers for the key being handled (select-all in the terminal).
    QKeyEvent ctrlA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "\x01");
    QApplication::sendEvent(child.GetPeer(), &ctrlA);
    EXPECT_EQ(top.log.back(), "pre ctrl+A");

    // The numeric pad's plus and minus arrive with their own codes, down and
    // up; the main keyboard's plus is only a character.
    for (auto [key, vk] : {std::pair{Qt::Key_Plus, VK_ADD}, std::pair{Qt::Key_Minus, VK_SUBTRACT}}) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::KeypadModifier, key == Qt::Key_Plus ? "+" : "-");
        QKeyEvent up(QEvent::KeyRelease, key, Qt::KeypadModifier);
        QApplication::sendEvent(child.GetPeer(), &down);
        EXPECT_EQ(child.log[child.log.size() - 2], "key " + std::to_string(vk));
        QApplication::sendEvent(child.GetPeer(), &up);
        EXPECT_EQ(child.log.back(), "keyup " + std::to_string(vk));
    }
    child.log.clear();
    QKeyEvent mainPlus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, "+");
    QApplication::sendEvent(child.GetPeer(), &mainPlus);
    EXPECT_EQ(child.log, std::vector<std::string>{"char +"});
}

TEST_F(WndTest, PaintingHappensInsideThePeersPaintEvent)
{
    Probe child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 40), &top, 1));
    top.GetPeer()->grab();   // renders: the paint event reaches OnPaint
    EXPECT_TRUE(child.painted);
    EXPECT_TRUE(child.paintedInPaint);
    EXPECT_FALSE(child.IsInPaint());
    child.painted = false;
    child.SendMessage(WM_PAINT);   // a hand-sent paint also paints through the peer
    EXPECT_TRUE(child.painted);
    EXPECT_TRUE(child.paintedInPaint);
}

TEST_F(WndTest, ParentDecidesTheCursorOverItsChildren)
{
    Probe child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 40), &top, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), child.GetPeer()->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    top.busyCursor = true;
    QApplication::sendEvent(child.GetPeer(), &move);
    EXPECT_EQ(child.GetPeer()->cursor().shape(), Qt::WaitCursor);
    top.busyCursor = false;
    child.SetClassCursor(IDC_CROSS);
    QApplication::sendEvent(child.GetPeer(), &move);
    EXPECT_EQ(child.GetPeer()->cursor().shape(), Qt::CrossCursor);
}

TEST_F(WndTest, DestroyGoesParentFirstAndTheObjectMayDeleteItself)
{
    int ncDestroyed = 0;
    auto* modeless = new Probe;
    modeless->deleteOnNcDestroy = true;
    modeless->ncDestroyed = &ncDestroyed;
    ASSERT_TRUE(modeless->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 40), &top, 7));
    Probe grandChild;
    grandChild.ncDestroyed = &ncDestroyed;
    ASSERT_TRUE(grandChild.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 5, 5), modeless, 8));
    grandChild.SetTimer(1, 100);
    EXPECT_EQ(top.GetDlgItem(7), modeless);
    EXPECT_TRUE(modeless->DestroyWindow());   // deletes itself at the end
    EXPECT_EQ(ncDestroyed, 2);
    EXPECT_FALSE(grandChild.IsWindow());
    EXPECT_EQ(top.GetDlgItem(7), nullptr);
    EXPECT_FALSE(vx::HasTimer(&grandChild, 1));
    EXPECT_EQ(grandChild.log.back(), "destroy children=0");
}

TEST_F(WndTest, DestroyFromInsideAChildsOwnEventIsSafe)
{
    // A click that closes the window holding the clicked control.
    Probe dlg, button;
    ASSERT_TRUE(dlg.Create(nullptr, "", WS_POPUP | WS_VISIBLE, CRect(0, 0, 80, 80), &top, 0));
    ASSERT_TRUE(button.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 20), &dlg, IDOK));
    button.onLeftDown = [&] { dlg.DestroyWindow(); };
    QPointer<QWidget> peer = button.GetPeer();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), peer->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(peer, &press);
    EXPECT_FALSE(dlg.IsWindow());
    EXPECT_FALSE(button.IsWindow());
    ASSERT_FALSE(peer.isNull());   // still inside its event: deleted later
    EXPECT_FALSE(peer->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(peer.isNull());
}

TEST_F(WndTest, OwnedWindowsGoWithTheirOwnerAndNeverKeepAFreedOne)
{
    // Destroyed and freed before the window it owns, which goes with it and
    // forgets it; an owned window freed first is forgotten by its owner.
    auto* owner = new Probe;
    ASSERT_TRUE(owner->Create(nullptr, "", WS_POPUP, CRect(0, 0, 80, 80), &top, 0));
    Probe owned;
    ASSERT_TRUE(owned.Create(nullptr, "", WS_POPUP, CRect(0, 0, 40, 40), owner, 0));
    auto* early = new Probe;
    ASSERT_TRUE(early->Create(nullptr, "", WS_POPUP, CRect(0, 0, 40, 40), owner, 0));
    delete early;
    owner->DestroyWindow();
    EXPECT_FALSE(owned.IsWindow());
    EXPECT_EQ(owned.log.back(), "destroy children=0");
    EXPECT_EQ(owned.GetOwner(), nullptr);
    delete owner;
}

TEST_F(WndTest, PeerDeletedByQtLeavesNoDanglingWindow)
{
    Probe child;
    ASSERT_TRUE(child.Create(nullptr, "", WS_CHILD, CRect(0, 0, 5, 5), &top, 3));
    delete child.GetPeer();
    EXPECT_FALSE(child.IsWindow());
    EXPECT_EQ(child.GetPeer(), nullptr);
    EXPECT_FALSE(child.PostMessage(WM_USER));
}

} // namespace
