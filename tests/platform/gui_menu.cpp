// Menus: the main dialog's menu bar greyed and checked by command id, and
// popup menus whose choice comes through the modal seam.
#include "gui_dialog_fixture.h"

#include "platform/Menu.h"
#include "platform/Messages.h"

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>

namespace {

const char* kMenuTemplates = R"(
dialog 970 200 100 "Menu" menu=970
  edit 10 5 5 60 12
end
menu 970
  popup "&Datei"
    item 57601 "Ö&ffnen"
    item 57603 "&Speichern"
    separator
    item 57607 "&Drucken" grayed
  end
  popup "&Optionen"
    item 32771 "Terminal" checked
    popup "Sprache"
      item 32800 "Deutsch"
      item 32801 "English"
    end
  end
end
)";

// The action the bar shows for a command id.
QAction* FindIn(const QList<QAction*>& actions, UINT id)
{
    for (QAction* a : actions) {
        if (QMenu* m = a->menu()) {
            if (QAction* found = FindIn(m->actions(), id))
                return found;
        } else if (!a->isSeparator() && a->data().toUInt() == id) {
            return a;
        }
    }
    return nullptr;
}
QAction* FindAction(QMenuBar* bar, UINT id) { return FindIn(bar->actions(), id); }

class Menus : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallTemplates(kMenuTemplates);
        ASSERT_TRUE(dlg.Create(970));
        ASSERT_NE(dlg.GetMenu(), nullptr);
        bar = dlg.GetPeer()->window()->findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
    }
    RecordingDlg dlg{970};
    QMenuBar* bar = nullptr;
};

TEST_F(Menus, GreyAndCheckByCommandIdShowInTheBar)
{
    CMenu* menu = dlg.GetMenu();
    EXPECT_EQ(menu->EnableMenuItem(57603, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(menu->EnableMenuItem(57603, MF_BYCOMMAND | MF_GRAYED), MF_GRAYED);
    ASSERT_NE(FindAction(bar, 57603), nullptr);
    EXPECT_FALSE(FindAction(bar, 57603)->isEnabled());
    EXPECT_EQ(menu->EnableMenuItem(57607, MF_ENABLED), MF_GRAYED);
    EXPECT_TRUE(FindAction(bar, 57607)->isEnabled());
    EXPECT_EQ(menu->EnableMenuItem(4711, MF_GRAYED), kMenuError);

    // Items deep in submenus are found by id too.
    EXPECT_EQ(menu->CheckMenuItem(32801, MF_CHECKED), MF_UNCHECKED);
    EXPECT_TRUE(FindAction(bar, 32801)->isChecked());
    EXPECT_EQ(menu->CheckMenuItem(32771, MF_UNCHECKED), MF_CHECKED);
    EXPECT_FALSE(FindAction(bar, 32771)->isChecked());
    EXPECT_EQ(menu->GetMenuState(32801, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);

    // Through a submenu object the same items change.
    CMenu* file = menu->GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetMenuItemCount(), 4);
    EXPECT_EQ(file->GetMenuItemID(2), 0u);
    file->EnableMenuItem(0, MF_BYPOSITION | MF_GRAYED);
    EXPECT_EQ(menu->GetMenuState(57601, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_FALSE(FindAction(bar, 57601)->isEnabled());
}

TEST_F(Menus, ChosenItemsArriveAsCommandsAndTextsChange)
{
    FindAction(bar, 57601)->trigger();
    EXPECT_EQ(dlg.Count(WM_COMMAND, 57601, 0), 1);

    // A language switch rewrites the texts.
    CMenu* menu = dlg.GetMenu();
    menu->ModifyMenu(57601, MF_BYCOMMAND | MF_STRING, 57601, "&Open");
    CString text;
    menu->GetMenuString(57601, text, MF_BYCOMMAND);
    EXPECT_EQ(text, "&Open");
    EXPECT_EQ(FindAction(bar, 57601)->text(), QStringLiteral("&Open"));
    menu->ModifyMenu(0, MF_BYPOSITION | MF_STRING | MF_POPUP,
                     reinterpret_cast<UINT_PTR>(menu->GetSubMenu(0)), "&File");
    EXPECT_EQ(bar->actions().at(0)->text(), QStringLiteral("&File"));
    FindAction(bar, 57603)->trigger();
    EXPECT_EQ(dlg.Count(WM_COMMAND, 57603, 0), 1) << "the items survive a rename of their popup";
}

TEST_F(Menus, MenuBarLiesAboveTheClientArea)
{
    CRect client;
    dlg.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(vx::DluToPixelX(200), vx::DluToPixelY(100)));
    QWidget* edit = dlg.GetDlgItem(10)->GetPeer();
    EXPECT_GE(edit->mapToGlobal(QPoint(0, 0)).y(), bar->mapToGlobal(QPoint(0, bar->height())).y())
        << "controls are not under the menu bar";
    CRect r(5, 5, 65, 17);
    dlg.MapDialogRect(&r);
    CRect got;
    dlg.GetDlgItem(10)->GetWindowRect(&got);
    dlg.ScreenToClient(&got);
    EXPECT_EQ(got, r) << "client coordinates start below the bar";

    // The program moving and sizing its dialog moves and sizes the window.
    QWidget* window = dlg.GetPeer()->window();
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(window->isVisible());
    dlg.MoveWindow(40, 30, 320, 200);
    CRect placed;
    dlg.GetWindowRect(&placed);
    EXPECT_EQ(placed, CRect(40, 30, 360, 230)) << "where the program put it, so a saved place comes back";
    EXPECT_EQ(window->geometry().topLeft(), QPoint(40, 30 - bar->height()));
    EXPECT_EQ(window->size(), QSize(320, 200 + bar->height()));
    dlg.GetClientRect(&client);
    EXPECT_EQ(client, CRect(0, 0, 320, 200));
    dlg.ShowWindow(SW_HIDE);
    EXPECT_FALSE(window->isVisible());
    dlg.ShowWindow(SW_SHOWMAXIMIZED);
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(dlg.IsZoomed());
    window->showNormal();
    EXPECT_FALSE(dlg.IsZoomed()) << "the user restoring the window is seen by the dialog";
    dlg.ShowWindow(SW_SHOWMAXIMIZED);
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized) << "maximizing a shown dialog";
    dlg.ShowWindow(SW_RESTORE);

    // Closing the window cancels the dialog.
    dlg.ShowWindow(SW_SHOW);
    window->close();
    EXPECT_EQ(dlg.cancelCount, 1);
}

TEST_F(Menus, BarAndItsMenusUseTheDialogFont)
{
    auto isDialogFont = [](const QFont& f) {
        return f.family() == QString::fromLatin1(vx::kDialogFontFamily) && f.pixelSize() == vx::kDialogFontPixels;
    };
    EXPECT_TRUE(isDialogFont(bar->font())) << bar->font().toString().toStdString();
    QMenu* file = bar->actions().at(0)->menu();
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(isDialogFont(file->font())) << file->font().toString().toStdString();
    QMenu* language = qobject_cast<QMenu*>(FindAction(bar, 32800)->parent());
    ASSERT_NE(language, nullptr);
    EXPECT_TRUE(isDialogFont(language->font())) << language->font().toString().toStdString();
    // The bar is as high as the font needs, not as a larger menu font would make it.
    EXPECT_LE(bar->sizeHint().height(), QFontMetrics(bar->font()).height() + 12);
}

TEST(PopupMenu, TheScriptChoosesAndTheOwnerHears)
{
    InstallTemplates(kMenuTemplates);
    RecordingDlg dlg(970);
    ASSERT_TRUE(dlg.Create(970));
    CMenu popup;
    popup.CreatePopupMenu();
    popup.AppendMenu(MF_STRING, 4000, "Selektieren");
    popup.AppendMenu(MF_STRING | MF_GRAYED, 60001, "Zoom in");
    popup.AppendMenu(MF_SEPARATOR);
    popup.AppendMenu(MF_STRING | MF_CHECKED, 60008, "Legende anzeigen");

    vx::ModalScript::AnswerPopupMenu(60008);
    EXPECT_EQ(popup.TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY, 10, 10, &dlg), 60008);
    const auto& calls = vx::ModalScript::Calls();
    ASSERT_FALSE(calls.empty());
    const std::vector<UINT> offered = {4000, 60008};
    EXPECT_EQ(calls.back().items, offered) << "greyed items and separators are not offered";
    EXPECT_TRUE(dlg.notes.empty()) << "a returned command is not sent";

    // Without TPM_RETURNCMD the command comes later, as a message.
    vx::ModalScript::AnswerPopupMenu(4000);
    EXPECT_TRUE(popup.TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &dlg));
    EXPECT_EQ(dlg.Count(WM_COMMAND, 4000, 0), 0);
    vx::ProcessPendingMessages();
    EXPECT_EQ(dlg.Count(WM_COMMAND, 4000, 0), 1);

    // Dismissed: nothing chosen.
    EXPECT_EQ(popup.TrackPopupMenu(TPM_RETURNCMD, 10, 10, &dlg), 0);
}

} // namespace
