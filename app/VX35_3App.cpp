#include "app/VX35_3App.h"

#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "platform/Bmp.h"
#include "platform/File.h"
#include "platform/Print.h"
#include "platform/Profile.h"
#include "res/Resources.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTranslator>

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

namespace vx {

bool ApplyProgramLanguage(int languageOffset)
{
    SetProgramLanguageOffset(languageOffset);
    PrintFailureTexts texts;
    texts.failed = LoadText(5175, languageOffset);
    texts.noPrinter = LoadText(5205, languageOffset);
    texts.notWritable = LoadText(5206, languageOffset);
    SetPrintFailureTexts(texts);
    SetProfileFailureText(LoadText(5208, languageOffset));
    FileReasonTexts reasons;
    reasons.notRegularFile = LoadText(5230, languageOffset);
    reasons.noReader = LoadText(5231, languageOffset);
    SetFileReasonTexts(reasons);

    // One translator, replaced at each switch; installing it makes Qt send
    // the language change to every widget.
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const char* code = languageOffset == kLanguageGerman   ? "de"
                       : languageOffset == kLanguageFrench  ? "fr"
                       : languageOffset == kLanguageSpanish ? "es"
                                                            : nullptr;
    if (!code)
        return true;
    auto* translator = new QTranslator;
    if (!translator->load(QStringLiteral("qt_") + QLatin1String(code),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace vx
