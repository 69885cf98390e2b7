// Menus: a menu bar on a dialog (CDialog::SetMenu or a template's menu=),
// and popup menus, whose choice goes through the modal seam so that tests
// can pick a command. Items are found by command id through all submenus.
// Changes (grey, check, texts, items) show at once in the menu bar.
#pragma once

#include "CString.h"
#include "Geometry.h"
#include "Types.h"

#include <memory>

class CWnd;
class QMenuBar;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

constexpr UINT kMenuError = 0xFFFFFFFFu;

class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    // From a `menu` block of the resource files.
    BOOL LoadMenu(UINT id);
    BOOL DestroyMenu();
    bool IsMenu() const { return m_d != nullptr; }

    // MF_POPUP: idOrPopup is the CMenu* of the submenu (its items are
    // shared, so later changes through either object show in both).
    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, const char* text = nullptr);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, const char* text = nullptr);

    // Previous state (MF_ENABLED, MF_GRAYED, MF_DISABLED), or kMenuError
    // when there is no such item.
    UINT EnableMenuItem(UINT item, UINT enable);
    // Previous MF_CHECKED or MF_UNCHECKED, or kMenuError.
    UINT CheckMenuItem(UINT item, UINT check);
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuItemCount() const;
    // 0 for a separator, kMenuError for a submenu.
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;

    // Shows the popup at the screen point. With TPM_RETURNCMD returns the
    // chosen command (0 for none); otherwise posts WM_COMMAND with it to
    // owner and returns TRUE.
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect = nullptr);

    // The menu bar as Qt shows it, filled for owner's WM_COMMAND.
    void AttachToMenuBar(QMenuBar* bar, CWnd* owner);
    void DetachFromMenuBar(QMenuBar* bar);

    struct Data;
    // The items, shared between a submenu object and the menu holding it.
    const std::shared_ptr<Data>& SharedData() const { return m_d; }

private:
    explicit CMenu(std::shared_ptr<Data> d);
    std::shared_ptr<Data> m_d;
};
