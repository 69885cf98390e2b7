// The program's own four tab pages for the main dialog, as vx35vs installs
// them, for tests that run the whole program.
#pragma once

#include "app/PlaceholderPages.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"

#include <memory>

inline void InstallRealMainPages()
{
    SetMainPageFactory([] {
        CMainPageSet set;
        set.tabs[0] = std::make_unique<CEinrichtenDlg>();
        set.tabs[1] = std::make_unique<CMessenDlg>();
        set.tabs[2] = std::make_unique<CSteuernDlg>();
        set.tabs[3] = std::make_unique<CDatenloggerDlg>();
        return set;
    });
}
