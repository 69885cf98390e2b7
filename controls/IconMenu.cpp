#include "controls/IconMenu.h"

BOOL CIconMenu::LoadMenuKeepingStates(UINT id)
{
    if (IsMenu())
        DestroyMenu();
    if (!LoadMenu(id))
        return FALSE;
    ReapplyStates();
    return TRUE;
}

void CIconMenu::ReapplyStates()
{
    for (const auto& [command, enabled] : m_enabled)
        EnableMenuItem(command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    for (const auto& [command, checked] : m_checked)
        CheckMenuItem(command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CIconMenu::SetItemEnabled(UINT command, bool enabled)
{
    m_enabled[command] = enabled;
    if (IsMenu())
        EnableMenuItem(command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CIconMenu::SetItemChecked(UINT command, bool checked)
{
    m_checked[command] = checked;
    if (IsMenu())
        CheckMenuItem(command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool CIconMenu::IsItemEnabled(UINT command) const
{
    if (IsMenu()) {
        const UINT state = GetMenuState(command, MF_BYCOMMAND);
        if (state != kMenuError)
            return (state & (MF_GRAYED | MF_DISABLED)) == 0;
    }
    auto it = m_enabled.find(command);
    return it == m_enabled.end() || it->second;
}

bool CIconMenu::IsItemChecked(UINT command) const
{
    if (IsMenu()) {
        const UINT state = GetMenuState(command, MF_BYCOMMAND);
        if (state != kMenuError)
            return (state & MF_CHECKED) != 0;
    }
    auto it = m_checked.find(command);
    return it != m_checked.end() && it->second;
}
