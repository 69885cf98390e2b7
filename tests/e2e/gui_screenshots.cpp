// Screenshots of the program's main dialog with its real pages, offscreen,
// in German and French, with bytes in the terminal. Written to the build
// folder for a person to look at.
#include "tests/support/RealMainPages.h"
#include "../app/support_fakeport.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace {
void Settle()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        vx::ProcessPendingMessages();
    }
}
} // namespace

TEST(Screenshots, MainDialogWithItsPagesInGermanAndFrench)
{
    vxres::InstallResources();
    vx::InstallStringTable();
    InstallRealMainPages();
    vx::WriteProfileString("SerPort1", "Port", "OffLine");
    for (int language : {vx::kLanguageGerman, vx::kLanguageFrench}) {
        vx::WriteProfileInt("Optionen", "Sprache", language);
        auto dlg = std::make_unique<CVX35_3Dlg>();
        dlg->SetPortManFactory([](CWnd* owner) { return std::unique_ptr<CPortManGui>(new FakePortMan(owner)); });
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
        dlg->ShowWindow(SW_SHOW);
        dlg->ShowTerminal(true);
        auto feed = [&](const std::string& bytes) {
            dlg->SendMessage(WM_PORT_DATA, bytes.size(), reinterpret_cast<LPARAM>(bytes.data()));
        };
        // A conversation as the device holds it: the company header page
        // (shown first) gets its read-back; then, on another tab, a request
        // empties the text and version and status come in.
        feed("\r\nPr\xFC" "flabor Nord\r\nMessplatz 2\x03");
        dlg->GetSheet().SetActivePage(1);
        Settle();
        dlg->ReceiveText(0).Empty();
        feed("VX35 H2 1.05\r\nVX35 STATUS OK\r\n");
        dlg->SetHexMode(language == vx::kLanguageFrench);
        const char* tag = language == vx::kLanguageGerman ? "de" : "fr";
        for (int tab = 0; tab < 4; ++tab) {
            dlg->GetSheet().SetActivePage(tab);
            Settle();
            dlg->FlushTerminal();
            const QImage shot = dlg->GetPeer()->window()->grab().toImage();
            const QString name = QStringLiteral("%1/screen_%2_tab%3.png")
                                     .arg(QString::fromLatin1(VX35_BINARY_DIR), QString::fromLatin1(tag))
                                     .arg(tab);
            EXPECT_TRUE(shot.save(name));
        }
        dlg->DestroyWindow();
        dlg.reset();
    }
    SetMainPageFactory({});
}
