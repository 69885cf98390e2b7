#include "app/PlaceholderPages.h"
#include "app/VX35_3App.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/App.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    vx::InitApplication();
    SetMainPageFactory([] {
        CMainPageSet set;
        set.tabs[0] = std::make_unique<CEinrichtenDlg>();
        set.tabs[1] = std::make_unique<CMessenDlg>();
        set.tabs[2] = std::make_unique<CSteuernDlg>();
        set.tabs[3] = std::make_unique<CDatenloggerDlg>();
        return set;
    });
    int rc = 0;
    {
        CVX35_3App app;
        app.InitInstance();
        rc = app.ExitInstance();
    }
    vx::ShutdownApplication();
    return rc;
}
