// The main dialog's menu bar. It remembers which File items pages greyed,
// so that loading the menu of another language keeps them greyed.
#pragma once

#include "platform/Menu.h"

#include <map>

class CIconMenu : public CMenu {
public:
    CIconMenu() = default;

    // Loads the menu resource and re-applies every state set through
    // SetItemState since (the language switch loads a new menu).
    BOOL LoadMenuKeepingStates(UINT id);
    // Applies the remembered states to the items the menu holds now (after
    // it was built again by code).
    void ReapplyStates();
    // EnableMenuItem / CheckMenuItem that are remembered across loads.
    void SetItemEnabled(UINT command, bool enabled);
    void SetItemChecked(UINT command, bool checked);
    bool IsItemEnabled(UINT command) const;
    bool IsItemChecked(UINT command) const;

private:
    std::map<UINT, bool> m_enabled;
    std::map<UINT, bool> m_checked;
};
