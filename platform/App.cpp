#include "platform/App.h"

#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Style.h"
#include "platform/Timer.h"
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QEvent>

#include <clocale>

namespace {
CWinApp* g_app = nullptr;
}

namespace vx {

void InitApplication()
{
    QCoreApplication::setOrganizationName(QString::fromUtf8(kProfileOrganization));
    QCoreApplication::setApplicationName(QString::fromUtf8(kProfileApplication));
    // Qt sets the locale from the environment when the application object
    // is made; numbers must keep '.' whatever the desktop says.
    std::setlocale(LC_NUMERIC, "C");
    InstallAppStyle();
}

void ShutdownApplication()
{
    ShutdownMessages();
    ResetTimersForTest();
    // Widgets of destroyed windows wait for the event loop to delete them.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ResetPlatformForTest()
{
    ResetTimersForTest();
    ResetMessagesForTest();
    ModalScript::Clear();
    while (WaitCursorDepth() > 0)
        EndWaitCursor();
    ReleaseCapture();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace vx

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName ? appName : vx::kProfileApplication)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::SetRegistryKey(const char* company)
{
    m_strRegistryKey = company ? company : "";
}

CWnd* AfxGetMainWnd()
{
    return g_app ? g_app->m_pMainWnd : nullptr;
}
