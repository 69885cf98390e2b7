#include "app/VX35_3App.h"

#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "platform/Bmp.h"
#include "res/Resources.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include <clocale>
#include <cstdio>
#include <string>

CVX35_3App::CVX35_3App() : CWinApp("VX35 VS")
{
    // Files, the device and the profile all use '.' as the decimal point.
    std::setlocale(LC_NUMERIC, "C");
}

BOOL CVX35_3App::InitInstance()
{
    SetRegistryKey("Quorin Vandelwerk GmbH");
    std::string errors;
    if (!vxres::InstallResources(&errors))
        std::fprintf(stderr, "vx35vs: resources: %s\n", errors.c_str());
    vx::InstallStringTable();
    // The window icon is the square mark at the left of the logo.
    const QImage logo = vx::LoadResourceBitmap(CVX35_3Dlg::kLogoBitmapId);
    if (!logo.isNull() && logo.width() >= 114 && logo.height() >= 116)
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(logo.copy(2, 4, 112, 112))));

    CVX35_3Dlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
