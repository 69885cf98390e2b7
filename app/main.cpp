#include "app/PlaceholderPages.h"
#include "app/VX35_3App.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/App.h"
#include "platform/Messages.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

// A message box or dialog open on top (the start-up port warning, say)
// would keep the main window's close waiting: those go first, one after the
// other as their loops return.
void CloseModalsThenMainWindow()
{
    CWnd* main = AfxGetMainWnd();
    QWidget* mainWindow = main && main->GetPeer() ? main->GetPeer()->window() : nullptr;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != mainWindow) {
        modal->close();
        QTimer::singleShot(50, [] { CloseModalsThenMainWindow(); });
        return;
    }
    if (main)
        main->PostMessage(WM_CLOSE);
}

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

// Ctrl+C in the terminal that started the program, or a session ending,
// closes the main window as its close button would: the device goes back
// to its home menu and the settings are saved. A second signal while that
// runs ends the program the hard way.
void CloseOnTerminationSignals(QSocketNotifier*& notifier)
{
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char buf[16];
        while (read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            std::signal(sig, SIG_DFL);
        CloseModalsThenMainWindow();
    });
    struct sigaction sa {};
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    vx::InitApplication();
    QSocketNotifier* signalNotifier = nullptr;
    CloseOnTerminationSignals(signalNotifier);
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
    delete signalNotifier;
    for (int fd : g_signalPipe)
        if (fd >= 0)
            close(fd);
    vx::ShutdownApplication();
    return rc;
}
