// The real pages inside the program's main dialog: the shell wires their
// shared state, routes received data to the shown (nested) page and drives
// activation through its tabs.
#include "tests/app/support_fakeport.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Bmp.h"
#include "platform/Dc.h"
#include "platform/Profile.h"
#include "print/Page.h"
#include "platform/Timer.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <memory>

namespace {

class MainWindowPages : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", "Port", "OffLine");
        vx::WriteProfileInt("Optionen", "Sprache", 0);
        SetMainPageFactory([] {
            CMainPageSet set;
            set.tabs[0] = std::make_unique<CEinrichtenDlg>();
            set.tabs[1] = std::make_unique<CMessenDlg>();
            set.tabs[2] = std::make_unique<CSteuernDlg>();
            set.tabs[3] = std::make_unique<CDatenloggerDlg>();
            return set;
        });
        vx::UseManualClock(1000);
        dlg = std::make_unique<CVX35_3Dlg>();
        dlg->SetPortManFactory([this](CWnd* owner) {
            auto p = std::make_unique<FakePortMan>(owner);
            port = p.get();
            return std::unique_ptr<CPortManGui>(std::move(p));
        });
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
    }
    void TearDown() override
    {
        if (dlg && dlg->IsWindow())
            dlg->DestroyWindow();
        dlg.reset();
        SetMainPageFactory({});
    }
    void Feed(const std::string& bytes)
    {
        dlg->SendMessage(WM_PORT_DATA, bytes.size(), reinterpret_cast<LPARAM>(bytes.data()));
    }

    std::unique_ptr<CVX35_3Dlg> dlg;
    FakePortMan* port = nullptr;
};

} // namespace

TEST_F(MainWindowPages, ControlTabIdentifiesTheDeviceThroughTheShell)
{
    ASSERT_NE(port, nullptr);
    port->writes.clear();
    dlg->GetSheet().SetActivePage(2);
    EXPECT_EQ(port->AllBytes(), "nnnnnn");
    Feed(std::string(60, 'x'));
    EXPECT_EQ(port->AllBytes(), "nnnnnnV");
    Feed("VX35 H1 105\r\n");
    EXPECT_EQ(dlg->GetChannelTable()[0].m_iDeviceVariant, 800);
}

TEST_F(MainWindowPages, SetupTabRoutesAnswersToTheShownNestedPage)
{
    auto* setup = dynamic_cast<CEinrichtenDlg*>(dlg->GetPage(0));
    ASSERT_NE(setup, nullptr);
    auto* header = dynamic_cast<CFirmenkopfDlg*>(dlg->GetPage(4));
    ASSERT_NE(header, nullptr);
    port->m_Dcb.PortState = PORTSTATE_ONLINE;
    header->ReadCompanyHeader();
    Sleep(CDeviceTextRead::kQuietBeforeRequestMs);
    EXPECT_EQ(port->AllBytes().back(), 'd');
    Feed("\r\nQUORIN\x03");
    EXPECT_EQ(header->m_strHeader, "QUORIN");
    // The commands page sends the home keys when its nested tab is chosen.
    port->writes.clear();
    setup->GetNestedSheet().SetActivePage(3);
    EXPECT_EQ(port->AllBytes(), "nnnnn");
}

TEST_F(MainWindowPages, ScreenshotOfTheControlTab)
{
    dlg->GetSheet().SetActivePage(2);
    Feed(std::string(60, 'x'));
    Feed("VX35 H1 105\r\n");
    Feed(std::string(50, ' ') + "MESSEN  \r\n");
    QCoreApplication::processEvents();
    QString dir = qEnvironmentVariable("VX35_SHOT_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/vx35-page-shots");
    QDir().mkpath(dir);
    const QImage shot = dlg->GetPeer()->window()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(dir + QStringLiteral("/main_control_de.png"));
    EXPECT_EQ(static_cast<CSteuernDlg*>(dlg->GetPage(2))->GetDisplayText(), "MESSEN  ");
}

TEST_F(MainWindowPages, ControlPagePrintsTheProgramsLogoNotOneInTheWorkingDirectory)
{
    auto* control = dynamic_cast<CSteuernDlg*>(dlg->GetPage(2));
    ASSERT_NE(control, nullptr);
    ASSERT_FALSE(dlg->m_strLogoBitmapPath.IsEmpty());
    dlg->GetSheet().SetActivePage(2);
    QTemporaryDir cwd;
    ASSERT_TRUE(cwd.isValid());
    const QString before = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    QImage decoy(4, 4, QImage::Format_RGB32);
    decoy.fill(Qt::red);
    vx::SaveBmpFile(CSteuernDlg::kLogoFile, decoy);

    QImage paper(1200, 1600, QImage::Format_RGB32);
    paper.fill(Qt::white);
    CDC dc;
    dc.AttachImage(&paper);
    CPage print(&dc);
    control->PrintPage(&print);
    QDir::setCurrent(before);
    EXPECT_EQ(print.GetLastBitmapPath(), dlg->m_strLogoBitmapPath);
}

TEST_F(MainWindowPages, ScreenshotOfTheSetupTabWithTheParameterTable)
{
    auto* setup = dynamic_cast<CEinrichtenDlg*>(dlg->GetPage(0));
    ASSERT_NE(setup, nullptr);
    dlg->GetSheet().SetActivePage(0);
    setup->GetNestedSheet().SetActivePage(2);
    QCoreApplication::processEvents();
    QString dir = qEnvironmentVariable("VX35_SHOT_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/vx35-page-shots");
    QDir().mkpath(dir);
    const QImage shot = dlg->GetPeer()->window()->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(dir + QStringLiteral("/main_setup_parameter_de.png"));
    // The table's last row lies inside the nested tab and the setup page.
    CRect lastCell, pane, page;
    setup->GetNestedPage(2)->GetDlgItem(1391)->GetWindowRect(&lastCell);
    setup->GetNestedSheet().GetTabControl()->GetWindowRect(&pane);
    setup->GetWindowRect(&page);
    EXPECT_LT(lastCell.bottom, pane.bottom);
    EXPECT_LE(pane.bottom, page.bottom);
}
