// The measure page against the simulated device on a real pseudo-terminal:
// the page's port manager reads the terminal, its chunks reach the page on
// the UI thread as the main dialog delivers them, and the real clock runs.
#include "app/StringTable.h"
#include "measure/MessenDlg.h"
#include "measure/SeriesCsv.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"
#include "tests/support/PageOwner.h"
#include "tests/support/SimDevice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <chrono>
#include <fstream>
#include <sstream>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The main dialog's part in a pulled device: the port's removal and
// arrival reach the port manager, then the shown page is refreshed.
class DeviceOwner : public PageOwner {
public:
    DeviceOwner(CString& text, CMyPropertyPage& page, std::unique_ptr<CPortManGui>& port)
        : PageOwner(text, page), m_page(page), m_port(port)
    {
        VX_ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange);
    }
    LRESULT OnDeviceChange(WPARAM event, LPARAM)
    {
        if (m_port && m_port->OnDeviceChange(event))
            m_page.RefreshPage();
        return 0;
    }

private:
    CMyPropertyPage& m_page;
    std::unique_ptr<CPortManGui>& m_port;
};

struct Rig {
    explicit Rig(const std::vector<std::string>& simArgs, const std::string& simLog = "") : sim(simLog, simArgs)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::ModalScript::Clear();
        vx::WriteProfileString("Messenkonfiguration", nullptr, nullptr);
        vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "0; 0; 1; 0.000000");
    }
    ~Rig() { Close(); }

    // portPath: a stable link to the simulator's terminal instead of it.
    bool Open(const std::string& portPath = {})
    {
        if (!sim.Started())
            return false;
        if (!owner.Create("", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0))
            return false;
        port = std::make_unique<CPortManGui>(&owner, WM_PORT_DATA, WM_PORT_STATUS);
        port->SetWatchInterval(50);
        port->m_Dcb.m_strPortName = (portPath.empty() ? sim.Path() : portPath).c_str();
        port->m_Dcb.m_dwBaudRate = 115200;
        if (port->Open() != 0)
            return false;
        table[0].m_pPortMan = port.get();
        CPageSharedState s;
        s.pChannelTable = table;
        s.pReceiveStrings = receive;
        s.pLanguageOffset = &languageOffset;
        s.pConnectionMode = &zero;
        s.pCurrentChannel = &zero;
        s.pBusyFlag = &busy;
        s.pOperatingMode = &zero;
        s.pArrivalStatus = &arrival;
        page.SetSharedState(s);
        sheet.AddPage(&page);
        return sheet.Create(nullptr, WS_POPUP | WS_VISIBLE);
    }
    // Closing as the program does: the page's window goes first, then the
    // port it writes through.
    void Close()
    {
        if (sheet.IsWindow())
            sheet.DestroyWindow();
        table[0].m_pPortMan = nullptr;
        port.reset();
        if (owner.IsWindow())
            owner.DestroyWindow();
    }
    void Pump(int ms)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    bool PumpUntil(const std::function<bool()>& done, int maxMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
        while (std::chrono::steady_clock::now() < end) {
            if (done())
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return done();
    }
    void Click(int id) { page.SendMessage(WM_COMMAND, static_cast<WPARAM>(id), 0); }
    bool Measuring() { return page.GetConversation().IsRunning(); }
    int Points() { return page.GetDisplay().GetPointCount(0); }

    SimDevice sim;
    ChannelRecord table[kChannelCount];
    CString receive[kReceiveTextCount];
    int languageOffset = 0;
    int zero = 0;
    int busy = 0;
    BYTE arrival = 0;
    CMessenDlg page;
    CPropertySheet sheet;
    std::unique_ptr<CPortManGui> port;
    DeviceOwner owner{receive[0], page, port};
};

} // namespace

TEST(MeasurePageDevice, PcModeGivesAHundredPointsASecondWithoutLoss)
{
    Rig r({"--sample-mode", "0"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 6000));
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    EXPECT_EQ(r.table[0].m_iDeviceVariant, 700);
    EXPECT_TRUE(r.page.IsValueRequestRunning());
    r.Pump(5000);
    // A loaded machine may skip late ticks (by design), so the count is
    // checked against the requests that went out, not against the clock:
    // every request is answered and becomes exactly one point. Counted
    // from the start, as the window takes the answers a little later than
    // they are asked for.
    r.Click(CMessenDlg::IDC_STOP);
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    r.Pump(300);
    const int n = r.Points();
    const auto requests = static_cast<int>(r.page.GetValueRequestCount());
    EXPECT_GT(requests, 100) << "skipped " << r.page.GetSkippedRequestCount();
    EXPECT_NEAR(n, requests, 3) << "skipped " << r.page.GetSkippedRequestCount();
    ASSERT_GT(n, 100);
    // One point per answered request, 0.01 s apart, in order.
    for (int i = 1; i < n; ++i)
        ASSERT_NEAR(r.page.GetDisplay().GetPointX(0, i) - r.page.GetDisplay().GetPointX(0, i - 1), 0.01, 1e-9) << i;
    // Everything stored is on the chart after Stop.
    EXPECT_EQ(r.page.GetDisplay().GetPlot()->GetCurve(0).GetCount(), n);
    CString value;
    r.page.GetDlgItemText(CMessenDlg::IDC_VALUE, value);
    EXPECT_FALSE(value.IsEmpty());
}

TEST(MeasurePageDevice, AutoHundredMillisecondsIsDevicePacedFrames)
{
    Rig r({"--sample-mode", "8", "--auto-rate", "3"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 6000));
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    CString mode;
    r.page.GetDlgItemText(CMessenDlg::IDC_MODE, mode);
    EXPECT_EQ(mode, "AUTO 100ms");
    r.Pump(2500);
    // The device paces ten values a second; the page only has to take them
    // all, however late it pumps.
    const int n = r.Points();
    EXPECT_GE(n, 5);
    EXPECT_LE(n, 60);
    if (n > 1) {
        EXPECT_NEAR(r.page.GetDisplay().GetPointX(0, 1), 0.1, 1e-9);
    }
    r.Click(CMessenDlg::IDC_STOP);
}

TEST(MeasurePageDevice, AutoOneSecondIsTextLines)
{
    Rig r({"--sample-mode", "8", "--auto-rate", "4"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 6000));
    ASSERT_TRUE(r.PumpUntil([&] { return r.Points() >= 2; }, 4000));
    EXPECT_NEAR(r.page.GetDisplay().GetPointX(0, 1), 1.0, 1e-9);
    CString value;
    r.page.GetDlgItemText(CMessenDlg::IDC_VALUE, value);
    // Line modes show each value at once, with the unit.
    EXPECT_NE(value.Find("kN"), -1) << value.GetString();
    r.Click(CMessenDlg::IDC_STOP);
}

TEST(MeasurePageDevice, TheDevicesEndMarkStopsAFrameRun)
{
    Rig r({"--sample-mode", "8", "--auto-rate", "3"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 6000));
    r.Pump(500);
    // ESC on the device's own keypad ends measuring there: it sends its end
    // mark and nothing more.
    r.port->PutByte('n');
    ASSERT_TRUE(r.PumpUntil([&] { return !r.Measuring(); }, 2000));
    EXPECT_TRUE(r.page.GetDlgItem(CMessenDlg::IDC_START)->IsWindowVisible());
    const int n = r.Points();
    r.Pump(400);
    EXPECT_EQ(r.Points(), n);
}

TEST(MeasurePageDevice, AnswersInThreeBytePiecesStillIdentifyAndMeasure)
{
    Rig r({"--sample-mode", "0", "--split", "3"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 6000));
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    EXPECT_EQ(r.table[0].m_bIdentified, 1);
    EXPECT_FALSE(r.table[0].m_strSensorName.IsEmpty());
    EXPECT_FALSE(r.page.GetConversation().GetHeader().IsEmpty());
    ASSERT_TRUE(r.PumpUntil([&] { return r.Points() >= 20; }, 5000));
    r.Click(CMessenDlg::IDC_STOP);
}

// A byte-paced line: the page shows the device's values.
TEST(MeasurePageDevice, BytePacedLineShowsTheDevicesValues)
{
    Rig r({"--sample-mode", "8", "--auto-rate", "4", "--split", "1", "--split-gap", "25"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring() && r.Points() >= 2; }, 20000));
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    EXPECT_EQ(r.table[0].m_strUnit, "kN ");
    for (int i = 0; i < r.Points(); ++i)
        EXPECT_LE(std::abs(r.page.GetDisplay().GetPointY(0, i)), 1.5) << i; // the signal's amplitude
    r.Click(CMessenDlg::IDC_STOP);
}

// A 'C' or 'E' answer with a byte beyond its length, before it or after it,
// has no place where it is known to start: its step times out with the box,
// and the record keeps what it held. Never a value decoded one place off.
struct Beyond {
    std::vector<std::string> args;
    bool sensorTaken; // only the status answer had a byte too many
};

class MeasurePageShiftedAnswers : public ::testing::TestWithParam<Beyond> {};

TEST_P(MeasurePageShiftedAnswers, TimeOutAndKeepTheRecord)
{
    Rig r(GetParam().args);
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 8000));
    r.Pump(600);
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(),
              std::vector<CString>{vx::LoadText(5198, vx::kLanguageGerman) + " 1"});
    const ChannelRecord& ch = r.table[0];
    const bool taken = GetParam().sensorTaken;
    EXPECT_EQ(ch.m_strSensorName, taken ? "SIMSENS1" : "");
    EXPECT_EQ(ch.m_strUnit, taken ? "kN " : "");
    EXPECT_EQ(ch.m_iDecimalDivisor, taken ? 1000 : 1);
    // No mode was reported: nothing is asked for and nothing plotted.
    EXPECT_EQ(ch.m_bySampleMode, ChannelRecord::kSampleModeNotReported);
    CString mode;
    r.page.GetDlgItemText(CMessenDlg::IDC_MODE, mode);
    EXPECT_EQ(mode, "SCI aus");
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    EXPECT_EQ(r.Points(), 0);
    r.Click(CMessenDlg::IDC_STOP);
}

INSTANTIATE_TEST_SUITE_P(
    OnePlaceOff, MeasurePageShiftedAnswers,
    ::testing::Values(Beyond{{"--sample-mode", "0", "--trail", "C:0D,0A"}, false},
                      Beyond{{"--sample-mode", "0", "--trail", "C:7E@20"}, false},
                      Beyond{{"--sample-mode", "8", "--auto-rate", "3", "--junk", "7E", "--junk-on", "CEdV"}, false},
                      Beyond{{"--sample-mode", "8", "--auto-rate", "3", "--trail", "E:0D,0A"}, true}));

// Name and unit end at their first zero byte: none reaches the value
// field, the axis title or the file.
TEST(MeasurePageDevice, ZeroBytesInNameAndUnitReachNoTextOrFile)
{
    Rig r({"--sample-mode", "0", "--sensor-name", "SIM", "--sensor-unit", "kN"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring() && r.Points() >= 30; }, 8000));
    r.Pump(300);
    r.Click(CMessenDlg::IDC_STOP);
    EXPECT_EQ(r.table[0].m_strSensorName, "SIM");
    EXPECT_EQ(r.table[0].m_strUnit, "kN");
    CString value;
    r.page.GetDlgItemText(CMessenDlg::IDC_VALUE, value);
    EXPECT_EQ(value.Right(3), " kN") << value.GetString();
    EXPECT_EQ(r.page.GetDisplay().GetPlot()->GetYAxis(0).GetLabel().Find('\0'), -1);
    const std::string csv = QDir::tempPath().toStdString() + "/vx35_e2e_nul_" +
                            std::to_string(QCoreApplication::applicationPid()) + ".csv";
    ASSERT_TRUE(r.page.WriteCsv(csv.c_str()));
    std::ifstream in(csv, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(csv.c_str());
    EXPECT_EQ(file.find('\0'), std::string::npos);
    EXPECT_NE(file.find(": SIM\r\n"), std::string::npos);
    EXPECT_NE(file.find(" kN\r\n"), std::string::npos);
}

// Answers as a device may lay them out where the page reads nothing, or
// reads them as they stand: the device is identified with its version and
// sensor, and no box shows.
struct LaidOut {
    std::vector<std::string> args;
    const char* mode;
};

class MeasurePageAnswers : public ::testing::TestWithParam<LaidOut> {};

TEST_P(MeasurePageAnswers, IdentifyTheDeviceWithoutABox)
{
    Rig r(GetParam().args);
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 8000));
    r.Pump(300);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    const ChannelRecord& ch = r.table[0];
    EXPECT_EQ(ch.m_strSensorName, "SIMSENS1");
    EXPECT_EQ(ch.m_strUnit, "kN ");
    EXPECT_EQ(ch.m_iDecimalDivisor, 1000);
    EXPECT_EQ(ch.m_iFirmwareVersion, 105);
    EXPECT_EQ(r.page.GetConversation().GetHeader(), "VX35 SIMULATOR\r\nPRUEFSTAND 1");
    CString mode;
    r.page.GetDlgItemText(CMessenDlg::IDC_MODE, mode);
    EXPECT_EQ(mode, GetParam().mode);
    if (mode == "SCI aus") {
        // Nothing parsed and nothing asked for.
        EXPECT_FALSE(r.page.IsValueRequestRunning());
        EXPECT_EQ(r.Points(), 0);
    } else {
        ASSERT_TRUE(r.PumpUntil([&] { return r.Points() >= 10; }, 5000));
        for (int i = 0; i < r.Points(); ++i)
            EXPECT_LE(std::abs(r.page.GetDisplay().GetPointY(0, i)), 1.5) << i; // the signal's amplitude
    }
    r.Click(CMessenDlg::IDC_STOP);
}

INSTANTIATE_TEST_SUITE_P(
    AsTheyCome, MeasurePageAnswers,
    ::testing::Values(LaidOut{{"--sample-mode", "0", "--sensor-tail", "check"}, "PC 10ms"},
                      LaidOut{{"--sample-mode", "0", "--sensor-tail", "zero"}, "PC 10ms"},
                      // A current sensor: its type nibble gives no digit and reads as type 0.
                      LaidOut{{"--sample-mode", "0", "--sensor-type", "A0"}, "PC 10ms"},
                      LaidOut{{"--sample-mode", "8", "--auto-rate", "9", "--status-tail", "zero"}, "SCI aus"},
                      LaidOut{{"--sample-mode", "0", "--header-lead", "none", "--trail", "d:0D,0A"}, "PC 10ms"},
                      // BCD points, and a check pair in bytes 18-19.
                      LaidOut{{"--sample-mode", "0", "--sensor-type", "30", "--sensor-points", "12,5000", "--sensor-tail", "check"},
                              "PC 10ms"}));

TEST(MeasurePageDevice, ClosingDuringAPcRunStopsTheTickBeforeThePortGoes)
{
    Rig r({"--sample-mode", "0"});
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.page.IsValueRequestRunning(); }, 6000));
    r.Pump(300);
    r.Close();
    EXPECT_FALSE(r.page.IsValueRequestRunning());
}

TEST(MeasurePageDevice, TheSeriesCsvHoldsEveryValueTheDeviceSent)
{
    const std::string dir = QDir::tempPath().toStdString() + "/vx35_e2e_export_" +
                            std::to_string(QCoreApplication::applicationPid());
    QDir().mkpath(QString::fromStdString(dir));
    Rig r({"--sample-mode", "8", "--auto-rate", "3"}, dir + "/sim.log");
    ASSERT_TRUE(r.Open());
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 6000));
    ASSERT_TRUE(r.PumpUntil([&] { return r.Points() >= 15; }, 6000));
    r.Click(CMessenDlg::IDC_STOP);
    r.Pump(400);
    const std::string csv = dir + "/series.csv";
    ASSERT_TRUE(r.page.WriteCsv(csv.c_str()));

    // The values on the wire: in this mode each is one write of a 16-bit
    // reading, high byte first, and CR LF.
    std::vector<std::pair<double, int>> sent;
    double lastStartKeyMs = 0.0;
    for (const auto& [ms, bytes] : r.sim.Received())
        if (bytes.find('k') != std::string::npos)
            lastStartKeyMs = ms;
    for (const auto& [ms, bytes] : r.sim.Sent())
        if (bytes.size() == 4 && bytes[2] == '\r' && bytes[3] == '\n')
            sent.emplace_back(ms, static_cast<std::int16_t>((static_cast<unsigned char>(bytes[0]) << 8) |
                                                            static_cast<unsigned char>(bytes[1])));
    // The point lines of the file (default export: ';' and ',').
    std::vector<std::string> ys;
    std::ifstream in(csv, std::ios::binary);
    std::string line;
    bool points = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t sep = line.find(';');
        if (points && sep != std::string::npos)
            ys.push_back(line.substr(sep + 1, line.find(';', sep + 1) - sep - 1));
        if (line.rfind("SCI Mode", 0) == 0)
            points = true;
    }
    ASSERT_GE(ys.size(), 15u);
    ASSERT_GE(sent.size(), ys.size());
    // The page starts its run 3 s after the start keys (the device's
    // measuring screen needs that long on the real instrument); from then
    // on every value sent is in the file, in order, none twice.
    const size_t first = sent.size() - ys.size();
    EXPECT_GE(sent[first].first, lastStartKeyMs + 3000.0 - 150.0);
    if (first > 0) {
        EXPECT_LT(sent[first - 1].first, lastStartKeyMs + 3000.0 + 150.0);
    }
    const ChannelRecord& ch = r.table[0];
    const int divisor = ch.m_iDecimalDivisor ? ch.m_iDecimalDivisor : 1;
    CString format = ch.m_strDisplayFormat;
    format.Trim();
    for (size_t i = 0; i < ys.size(); ++i)
        EXPECT_EQ(ys[i], FormatNumber(double(sent[first + i].second) / divisor, format, ',').str()) << i;
    r.Close();
    QDir(QString::fromStdString(dir)).removeRecursively();
}

// The device pulled mid-run: the page stops the run once, says so in the
// user's language, offers Start again, and measures after the device is back.
TEST(MeasurePageDevice, PulledDeviceStopsTheRunAndANewStartMeasuresWhenItIsBack)
{
    char dir[] = "/tmp/vx35pullXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyVX35";
    Rig r({"--sample-mode", "0", "--link", link});
    ASSERT_TRUE(r.Open(link));
    r.languageOffset = 1000;
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring() && r.Points() >= 20; }, 8000));
    vx::ModalScript::Clear();

    EXPECT_EQ(r.sim.Stop(), 0);
    ASSERT_TRUE(r.PumpUntil([&] { return !r.Measuring(); }, 3000));
    EXPECT_FALSE(r.page.IsValueRequestRunning());
    EXPECT_TRUE(r.page.GetDlgItem(CMessenDlg::IDC_START)->IsWindowVisible());
    r.Pump(600);
    const std::vector<CString> boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Connection to the device lost: measurement stopped.");

    SimDevice again("", {"--sample-mode", "0", "--link", link});
    ASSERT_TRUE(again.Started());
    ASSERT_TRUE(r.PumpUntil([&] { return r.port->IsOnline(); }, 5000));
    const int before = r.Points();
    r.Click(CMessenDlg::IDC_START);
    ASSERT_TRUE(r.PumpUntil([&] { return r.Measuring(); }, 8000));
    ASSERT_TRUE(r.PumpUntil([&] { return r.Points() >= 20 && r.Points() != before; }, 5000));
    r.Click(CMessenDlg::IDC_STOP);
    r.Close();
    unlink(link.c_str());
    rmdir(dir);
}
