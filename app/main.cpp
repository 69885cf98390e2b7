#include "app/VX35_3App.h"
#include "platform/App.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    vx::InitApplication();
    int rc = 0;
    {
        CVX35_3App app;
        app.InitInstance();
        rc = app.ExitInstance();
    }
    vx::ShutdownApplication();
    return rc;
}
