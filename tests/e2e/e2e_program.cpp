// The program's main dialog against the simulated device over a real
// pseudo-terminal: open from the profile, a page's command reaches the
// device and its answer the receive text and the terminal, the home keys at
// exit, a pulled device and its return.
#include "tests/support/EventPump.h"
#include "tests/support/RealMainPages.h"
#include "tests/support/SimDevice.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <unistd.h>
#include <functional>
#include <memory>

namespace {

bool Pump(const std::function<bool()>& done, int timeoutMs = 5000)
{
    return vxtest::PumpUntil(done, timeoutMs);
}

class ProgramE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        vxres::InstallResources();
        vx::InstallStringTable();
        link = dir.filePath("vx35-link").toStdString();
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", "Port", link.c_str());
        vx::WriteProfileInt("SerPort1", "BaudRate", 115200);
        vx::WriteProfileInt("Optionen", "Sprache", 0);
    }
    void TearDown() override { CloseDialog(); }

    std::unique_ptr<SimDevice> StartDevice(const char* logName)
    {
        auto sim = std::make_unique<SimDevice>(dir.filePath(logName).toStdString());
        EXPECT_TRUE(sim->Started());
        EXPECT_TRUE(PointLink(link, sim->Path()));
        return sim;
    }
    void OpenDialog()
    {
        dlg = std::make_unique<CVX35_3Dlg>();
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
    }
    void CloseDialog()
    {
        if (dlg && dlg->IsWindow())
            dlg->DestroyWindow();
        dlg.reset();
    }
    DWORD PortState() const { return dlg->GetPortMan() ? dlg->GetPortMan()->GetPortState() : 99; }

    QTemporaryDir dir;
    std::string link;
    std::unique_ptr<CVX35_3Dlg> dlg;
};

} // namespace

TEST_F(ProgramE2E, CommandReachesTheDeviceAndTheAnswerTheTextAndTerminal)
{
    auto sim = StartDevice("status.log");
    OpenDialog();
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE)) << dlg->GetPortMan()->GetLastErrorText().str();

    // The commands page sits in the setup tab's nested sheet.
    CMyPropertyPage* commands = dlg->GetPage(4 + 3);
    commands->ClearAnswerText();
    commands->SendCommandByte(0, 'D');
    ASSERT_TRUE(Pump([&] { return dlg->ReceiveText(0).Find("\r\n") >= 0; }));
    const CString answer = dlg->ReceiveText(0);
    dlg->ShowTerminal(true);
    dlg->SetHexMode(false);
    dlg->FlushTerminal();
    EXPECT_NE(dlg->GetTerminal().GetWindowTextString().Find(answer.Left(answer.GetLength() - 2)), -1);
    dlg->SetHexMode(true);
    CString firstHex;
    firstHex.Format(" [%02X]", static_cast<unsigned char>(answer[0]));
    EXPECT_EQ(dlg->GetTerminal().GetWindowTextString().Left(firstHex.GetLength()), firstHex);
    EXPECT_NE(dlg->GetTerminal().GetWindowTextString().Find(" [0D] [0A]"), -1);

    bool sawD = false;
    for (const auto& [ms, bytes] : sim->Received())
        sawD = sawD || bytes.find('D') != std::string::npos;
    EXPECT_TRUE(sawD);

    // Version after status: the chunks keep their order in the text.
    commands->SendCommandByte(0, 'V');
    ASSERT_TRUE(Pump([&] { return dlg->ReceiveText(0).Find("VX35 H2") >= 0; }));
    EXPECT_LT(dlg->ReceiveText(0).Find("STATUS"), dlg->ReceiveText(0).Find("VX35 H2"));
}

TEST_F(ProgramE2E, ClosingSendsFiveEscKeysTwentyFiveMillisecondsApart)
{
    auto sim = StartDevice("close.log");
    OpenDialog();
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    dlg->SendMessage(WM_CLOSE);
    CloseDialog();
    std::vector<double> times;
    ASSERT_TRUE(Pump([&] {
        times.clear();
        for (const auto& [ms, bytes] : sim->Received())
            for (char c : bytes)
                if (c == 'n')
                    times.push_back(ms);
        return times.size() >= 5;
    }, 3000));
    ASSERT_EQ(times.size(), 5u);
    for (size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], 15.0) << i;   // paced, not one burst
    EXPECT_GE(times.back() - times.front(), 90.0);
}

TEST_F(ProgramE2E, PulledDeviceGoesOfflineAndItsReturnIsReopened)
{
    auto sim = StartDevice("pull.log");
    OpenDialog();
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    dlg->GetPortMan()->SetWatchInterval(100);
    sim->Stop();
    ASSERT_TRUE(Pump([&] { return PortState() == PORTSTATE_REMOVED; }));
    EXPECT_EQ(dlg->GetPortMan()->m_Dcb.GetPortText(), CString("OffLine"));

    // The device comes back at the same path: the port is opened again.
    auto back = StartDevice("back.log");
    ASSERT_TRUE(Pump([&] { return PortState() == PORTSTATE_ONLINE; }, 8000));
    dlg->GetPage(7)->SendCommandByte(0, 'D');
    ASSERT_TRUE(Pump([&] { return dlg->ReceiveText(0).Find("\r\n") >= 0; }));

    // "Beenden" takes the port off line; the next start opens it anyway.
    dlg->SendMessage(WM_COMMAND, ID_DATEI_BEENDEN, 0);
    CloseDialog();
    OpenDialog();
    EXPECT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
}

TEST_F(ProgramE2E, ManyChunksAreTakenInOrderWithoutStallingTheWindow)
{
    auto sim = std::make_unique<SimDevice>(dir.filePath("stream.log").toStdString(),
                                           std::vector<std::string>{"--delay", "0"});
    ASSERT_TRUE(sim->Started());
    ASSERT_TRUE(PointLink(link, sim->Path()));
    OpenDialog();
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    dlg->ShowTerminal(true);
    CPortMan* port = dlg->GetChannelTable()[0].m_pPortMan;
    // Status requests straight to the port, each answered by the device;
    // the window keeps serving the reader in between.
    constexpr int kRequests = 10000;
    int answers = 0;
    auto count = [&] {
        answers = 0;
        const CString& t = dlg->ReceiveText(0);
        for (int p = t.Find("OK\r\n"); p >= 0; p = t.Find("OK\r\n", p + 4))
            ++answers;
        return answers;
    };
    for (int i = 0; i < kRequests; ++i) {
        port->PutByte('D');
        if (i % 20 == 19)
            Pump([&] { return count() >= i - 40; }, 2000);
    }
    ASSERT_TRUE(Pump([&] { return count() >= kRequests; }, 30000)) << answers;
    dlg->FlushTerminal();
    EXPECT_EQ(dlg->GetTerminal().GetWindowTextString().Right(4), CString("OK\r\n").Right(4));
}

TEST_F(ProgramE2E, BeendenWhileTheReaderWaitsToDeliverDoesNotHang)
{
    auto sim = std::make_unique<SimDevice>(dir.filePath("busy.log").toStdString(),
                                           std::vector<std::string>{"--delay", "0"});
    ASSERT_TRUE(sim->Started());
    ASSERT_TRUE(PointLink(link, sim->Path()));
    OpenDialog();
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    CPortMan* port = dlg->GetChannelTable()[0].m_pPortMan;
    // Answers pile up while this thread does not serve the reader.
    for (int i = 0; i < 500; ++i)
        port->PutByte('D');
    usleep(200 * 1000);
    const auto start = std::chrono::steady_clock::now();
    dlg->SendMessage(WM_COMMAND, ID_DATEI_BEENDEN, 0);
    CloseDialog();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), 10000); // a hang, not a speed check
}

TEST_F(ProgramE2E, ClosedWhileTheDeviceWasAwayTheNextStartOpensIt)
{
    auto sim = StartDevice("away.log");
    OpenDialog();
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    sim->Stop();
    ASSERT_TRUE(Pump([&] { return PortState() == PORTSTATE_REMOVED; }));
    // Closed with the device gone: the home keys go nowhere, and the
    // removal must not be stored as the port's setting.
    dlg->SendMessage(WM_CLOSE);
    CloseDialog();
    EXPECT_EQ(vx::GetProfileString("SerPort1", "Port", ""), CString(link.c_str()));

    auto back = StartDevice("away-back.log");
    OpenDialog();
    EXPECT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    dlg->GetPage(7)->SendCommandByte(0, 'D');
    EXPECT_TRUE(Pump([&] { return dlg->ReceiveText(0).Find("\r\n") >= 0; }));
}

TEST_F(ProgramE2E, ClosingWhileMeasuringStopsTheValueRequestsBeforeTheHomeKeys)
{
    InstallRealMainPages();
    auto sim = StartDevice("measure.log");
    OpenDialog();
    SetMainPageFactory({});
    ASSERT_EQ(PortState(), static_cast<DWORD>(PORTSTATE_ONLINE));
    dlg->GetSheet().SetActivePage(1);
    auto* page = dynamic_cast<CMessenDlg*>(dlg->GetPage(1));
    ASSERT_NE(page, nullptr);
    page->OnStart();
    ASSERT_TRUE(Pump([&] { return page->IsValueRequestRunning(); }, 6000));
    auto got = [&] {
        std::string all;
        for (const auto& [ms, bytes] : sim->Received())
            all += bytes;
        return all;
    };
    ASSERT_TRUE(Pump([&] { const std::string g = got(); return std::count(g.begin(), g.end(), '0') >= 20; }, 6000));
    const size_t mark = got().size();

    dlg->SendMessage(WM_CLOSE);
    CloseDialog();
    ASSERT_TRUE(Pump([&] { return got().find("nnnnn", mark) != std::string::npos; }, 3000)) << got().substr(mark);
    usleep(200 * 1000);
    const std::string all = got();
    EXPECT_EQ(all.find('0', all.find("nnnnn", mark)), std::string::npos) << all.substr(mark);
}
