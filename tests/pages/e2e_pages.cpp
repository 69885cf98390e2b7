// The device pages against the simulated device. Most cases run the device
// in-process on the program's manual clock, so a 25 s logger read-out takes
// no real time: the page's writes go straight into the device, and the
// device's due answers reach the page the way the main dialog delivers a
// chunk (appended to receive text 0, then the page is told). One case runs
// vx35sim on a real pseudo-terminal with the real clock.
#include "app/StringTable.h"
#include "pages/DatenloggerDlg.h"
#include "pages/DatumDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "pages/ParameterDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Modal.h"
#include "platform/Numbers.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"
#include "sim/Vx35Device.h"
#include "tests/support/EventPump.h"
#include "tests/support/PageOwner.h"
#include "tests/support/SimDevice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PlatformClock : public vx35sim::Clock {
public:
    std::int64_t nowMs() const override { return vx::NowMs(); }
};

// The line to the in-process device.
class DevicePort : public CPortMan {
public:
    explicit DevicePort(vx35sim::Vx35Device& device) : m_device(device) { m_Dcb.PortState = 0; }
    bool PutByte(BYTE b) override { return Put(std::string(1, static_cast<char>(b))); }
    bool WriteString(const CString& t) override { return Put(t.str()); }
    bool WriteFrame(const BYTE* d, int n) override
    {
        return Put(std::string(reinterpret_cast<const char*>(d), static_cast<size_t>(n)));
    }
    std::string sent;

private:
    bool Put(const std::string& bytes)
    {
        sent += bytes;
        m_device.receive(bytes);
        return true;
    }
    vx35sim::Vx35Device& m_device;
};

class SimulatedDeviceTest : public ::testing::Test {
protected:
    SimulatedDeviceTest() : clock(vx::UseManualClock(1000)), device(deviceClock), port(device)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        table[0].m_pPortMan = &port;
    }
    ~SimulatedDeviceTest() override
    {
        if (sheet && sheet->IsWindow())
            sheet->DestroyWindow();
    }
    void Host(CMyPropertyPage& p)
    {
        page = &p;
        CPageSharedState s;
        s.pChannelTable = table;
        s.pReceiveStrings = rx;
        s.pLanguageOffset = &language;
        s.pConnectionMode = &connection;
        s.pCurrentChannel = &channel;
        s.pBusyFlag = &busy;
        s.pOperatingMode = &operating;
        s.pArrivalStatus = &arrival;
        p.SetSharedState(s);
        sheet = std::make_unique<CPropertySheet>();
        sheet->AddPage(&p);
        ASSERT_TRUE(sheet->Create(nullptr, WS_POPUP));
        Pump(100);
    }
    // Lets time pass in 5 ms steps, handing the device's answers to the page.
    void Pump(int ms)
    {
        for (int t = 0; t < ms; t += 5) {
            clock.advance(5);
            const vx35sim::Bytes bytes = device.pollBytes();
            if (bytes.empty())
                continue;
            rx[0].Append(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
            page->OnDataReceived(static_cast<int>(bytes.size()), 0);
        }
    }
    template <class Pred>
    bool PumpUntil(Pred done, int maxMs)
    {
        for (int t = 0; t < maxMs; t += 50) {
            if (done())
                return true;
            Pump(50);
        }
        return done();
    }

    vx::ManualClock& clock;
    PlatformClock deviceClock;
    vx35sim::Vx35Device device;
    DevicePort port;
    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];
    int language = 0, connection = 0, channel = 0, busy = 0, operating = 0;
    BYTE arrival = 0;
    std::unique_ptr<CPropertySheet> sheet;
    CMyPropertyPage* page = nullptr;
};

} // namespace

TEST_F(SimulatedDeviceTest, LoggerReadOutOfTwoThousandRecordsShowsEveryRecord)
{
    device.config().logger.modeLine = "HAND    ";
    device.config().logger.records.clear();
    std::string expected;
    for (int i = 0; i < 2000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "%3d,%02d Nm  %02d:%02d:%02d", i / 100, i % 100, i / 3600, (i / 60) % 60,
                      i % 60);
        device.config().logger.records.push_back(line);
        expected += line;
        expected += "\r\n";
    }
    CDatenloggerDlg logger;
    Host(logger);
    logger.StartLoggerReadout();
    ASSERT_TRUE(PumpUntil([&] { return !logger.GetReadout().IsReadoutRunning(); }, 120000));
    EXPECT_EQ(logger.GetReadout().GetModeText(), "HAND    ");
    EXPECT_TRUE(logger.GetReadout().IsManualMode());
    EXPECT_EQ(logger.GetReadout().GetHeaderText(), device.header().c_str());
    const std::string shown = logger.m_strRecords.str();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 2000);
    EXPECT_TRUE(shown == expected) << "records differ from the device's";
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    EXPECT_EQ(busy, 0);
}

TEST_F(SimulatedDeviceTest, ControlPageTellsTheTwoVariantsApart)
{
    for (const char* model : {"H1", "H2"}) {
        device.config().model = model;
        CSteuernDlg control;
        Host(control);
        ASSERT_TRUE(PumpUntil([&] { return table[0].m_iDeviceVariant != 0; }, 2000)) << model;
        EXPECT_EQ(table[0].m_iDeviceVariant, std::string(model) == "H1" ? 800 : 700);
        // A key pressed on the picture moves the device and the display follows.
        control.SendMessage(WM_COMMAND, 1028);
        Pump(200);
        EXPECT_EQ(control.GetDisplayText().GetLength(), 8);
        table[0].m_iDeviceVariant = 0;
        sheet->DestroyWindow();
        sheet.reset();
    }
}

TEST_F(SimulatedDeviceTest, DeviceTakesTheDatePagesClockFrame)
{
    vx::SetLocalTimeOverride(QDateTime(QDate(2026, 12, 7), QTime(6, 30, 15)));
    CDatumDlg date;
    Host(date);
    date.WriteDeviceDate();
    Pump(50);
    EXPECT_EQ(device.droppedFrames(), 0);
    const vx35sim::CivilTime t = device.deviceTime();
    EXPECT_EQ(t.year, 2026);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 7);
    EXPECT_EQ(t.hour, 6);
    EXPECT_EQ(t.minute, 30);
    date.ReadDeviceDate();
    Pump(CDeviceTextRead::kQuietBeforeRequestMs + 100);
    EXPECT_EQ(date.m_strDate.Left(8), "07.12.26");
    vx::SetLocalTimeOverride(std::nullopt);
}

TEST_F(SimulatedDeviceTest, HeaderRoundTripsThroughTheDevice)
{
    CFirmenkopfDlg header;
    Host(header);
    header.m_strHeader = "QUORIN\r\nHalle 3";
    header.UpdateData(FALSE);
    header.SendCompanyHeader();
    Pump(50);
    header.m_strHeader.Empty();
    header.ReadCompanyHeader();
    Pump(CDeviceTextRead::kQuietBeforeRequestMs + 200);
    EXPECT_EQ(header.m_strHeader, "QUORIN\r\nHalle 3");
}

// However the answers are cut and however late they come within their
// time (the home keys' display lines then come after 'V'), the same table.
TEST_F(SimulatedDeviceTest, ParameterTableReadInPiecesOrLateEqualsTheWholeRead)
{
    std::vector<ParameterRowTexts> whole;
    for (auto [split, delay] : {std::pair{0, 5}, {7, 5}, {1, 5}, {0, 400}, {0, 700}}) {
        device.config().faults.splitBytes = split;
        device.config().faults.answerDelayMs = delay;
        CParameterDlg parameters;
        Host(parameters);
        parameters.OnReadButton();
        ASSERT_TRUE(PumpUntil([&] { return parameters.GetRead().PrintAllowed() == 1; }, 30000)) << split;
        for (int r = 0; r < kParameterRows; ++r) {
            const ParameterRowTexts& row = parameters.GetRead().Row(r);
            if (whole.size() < kParameterRows) {
                whole.push_back(row);
                continue;
            }
            EXPECT_EQ(row.name, whole[r].name) << r << " delay " << delay;
            EXPECT_EQ(row.nominal, whole[r].nominal) << r;
            EXPECT_EQ(row.unit, whole[r].unit) << r;
            EXPECT_EQ(row.type, whole[r].type) << r;
            EXPECT_EQ(row.p0, whole[r].p0) << r;
            EXPECT_EQ(row.p100, whole[r].p100) << r;
        }
        sheet->DestroyWindow();
        sheet.reset();
    }
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

TEST_F(SimulatedDeviceTest, LoggerReadOutSavedAsCsvInTheChosenFormat)
{
    device.config().logger.modeLine = "HAND    ";
    device.config().logger.records.clear();
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        char line[40];
        // One record with an umlaut in its unit: every line still gets the
        // chosen separators.
        const char* unit = i == 7 ? "k\xDC " : "Nm ";
        std::snprintf(line, sizeof line, "%3d,%02d %s 00:%02d:%02d", i / 100, i % 100, unit, i / 60, i % 60);
        device.config().logger.records.push_back(line);
        std::snprintf(line, sizeof line, "%3d,%02d;%s;00:%02d:%02d\r\n", i / 100, i % 100, i == 7 ? "k\xDC" : "Nm",
                      i / 60, i % 60);
        expected += line;
    }
    CDatenloggerDlg logger;
    Host(logger);
    logger.StartLoggerReadout();
    ASSERT_TRUE(PumpUntil([&] { return !logger.GetReadout().IsReadoutRunning(); }, 60000));
    const std::string dir = QDir::tempPath().toStdString() + "/vx35_e2e_logger_" +
                            std::to_string(QCoreApplication::applicationPid());
    QDir().mkpath(QString::fromStdString(dir));
    const std::string path = dir + "/logger.csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    logger.OnFileSave();
    std::ifstream f(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    // No main dialog: the default export (CR LF, ';', ',', unit column).
    const std::string head = device.header() + "\r\n\r\n\r\n\r\n\r\n\r\n\r\nHAND    \r\n\r\n\r\n";
    EXPECT_EQ(file.substr(0, head.size()), head);
    EXPECT_TRUE(file.size() >= head.size() && file.substr(head.size()) == expected)
        << "records in the file differ from the device's";
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    QDir(QString::fromStdString(dir)).removeRecursively();
}

TEST_F(SimulatedDeviceTest, ParameterSendThenReadGivesBackTheEditedTable)
{
    CParameterDlg parameters;
    Host(parameters);
    parameters.OnReadButton();
    ASSERT_TRUE(PumpUntil([&] { return parameters.GetRead().PrintAllowed() == 1; }, 30000));
    ParameterRowTexts before[kParameterRows];
    for (int r = 0; r < kParameterRows; ++r)
        before[r] = parameters.GetRead().Row(r);

    // The user's edits, typed into the form's fields.
    const char* names[kParameterRows] = {"Kraft 1", "T\xB0\xA7\xB4", "Moment", "A", "Zug", "Druck",
                                         "Welle 7", "X", "Probe_9", "Rotor10"};
    const char* nominals[kParameterRows] = {"12,5", "500", "5,25", "0,5", "9999", "1.5", "20", "0,125", "7", "100"};
    const char* units[kParameterRows] = {"kN", "Nm", "\xB0" "C", "N", "kNm", "bar", "mm", "V", "mA", "%"};
    for (int r = 0; r < kParameterRows; ++r) {
        parameters.SetDlgItemText(CParameterDlg::IDC_NAME_FIRST + r, names[r]);
        parameters.SetDlgItemText(CParameterDlg::IDC_NOMINAL_FIRST + r, nominals[r]);
        parameters.SetDlgItemText(CParameterDlg::IDC_UNIT_FIRST + r, units[r]);
    }
    // "senden", answered Yes: the pre-read and the ten row frames.
    const std::string wireBefore = port.sent;
    vx::ModalScript::AnswerMessageBox(IDYES);
    parameters.OnSendButton();
    ASSERT_TRUE(PumpUntil([&] { return std::count(port.sent.begin() + wireBefore.size(), port.sent.end(), 'e') >= 10 &&
                                       !parameters.GetRead().SendPending(); },
                          30000));
    Pump(3000);
    EXPECT_EQ(device.droppedFrames(), 0);
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u) << "the question only";

    for (int r = 0; r < kParameterRows; ++r)
        parameters.GetRead().Row(r) = ParameterRowTexts{};
    parameters.UpdateData(FALSE);
    parameters.OnReadButton();
    ASSERT_TRUE(PumpUntil([&] { return !parameters.GetRead().Row(9).type.IsEmpty(); }, 30000));
    Pump(500);
    for (int r = 0; r < kParameterRows; ++r) {
        const ParameterRowTexts& row = parameters.GetRead().Row(r);
        CString name = row.name, unit = row.unit, nominal = row.nominal, typed = nominals[r];
        name.TrimRight();
        unit.TrimRight();
        EXPECT_EQ(name, names[r]) << r;
        EXPECT_EQ(unit, units[r]) << r;
        nominal.Replace(",", ".");
        typed.Replace(",", ".");
        EXPECT_DOUBLE_EQ(vx::StrToDouble(nominal), vx::StrToDouble(typed)) << r << " " << row.nominal.GetString();
        // What the user cannot edit stays as the device had it.
        EXPECT_EQ(row.type, before[r].type) << r;
        EXPECT_EQ(row.p0, before[r].p0) << r;
        EXPECT_EQ(row.p100, before[r].p100) << r;
    }
}

// ---- vx35sim on a pseudo-terminal, real clock ------------------------------------------

namespace {

// Stands in for the main dialog between the line and one page: hands the
// chunks over and, once told to, handles a pulled device as the dialog
// does (the port goes off line, the page is refreshed).
class LineOwner : public PageOwner {
public:
    LineOwner(CString& text, CMyPropertyPage& page) : PageOwner(text, page), m_page(page)
    {
        VX_ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange);
    }
    CPortManGui* followRemoval = nullptr;

private:
    LRESULT OnDeviceChange(WPARAM event, LPARAM)
    {
        if (followRemoval && followRemoval->OnDeviceChange(event) && m_page.IsWindow())
            m_page.RefreshPage();
        return 0;
    }
    CMyPropertyPage& m_page;
};

// A page against vx35sim: the shell's part played by a page owner, the
// user's answers by the script.
class LinePage {
public:
    LinePage(CMyPropertyPage& page, const std::vector<std::string>& args, const std::string& log = "")
        : sim(log, args), m_page(page), m_owner(rx[0], page)
    {
        vxres::InstallResources();
        vx::InstallStringTable();
    }
    ~LinePage()
    {
        if (m_sheet.IsWindow())
            m_sheet.DestroyWindow();
        if (m_port)
            m_port->GoOffline(false);
        table[0].m_pPortMan = nullptr;
        m_owner.followRemoval = nullptr;
        m_port.reset();
        m_owner.DestroyWindow();
    }
    bool Open()
    {
        if (!sim.Started() || !m_owner.Create("", "", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0))
            return false;
        m_port = std::make_unique<CPortManGui>(&m_owner, WM_PORT_DATA, WM_PORT_STATUS);
        m_port->m_Dcb.m_strPortName = sim.Path().c_str();
        m_port->m_Dcb.m_dwBaudRate = 115200;
        table[0].m_pPortMan = m_port.get();
        // The busy flag is written by the pages: it must not share the zeros.
        m_page.SetSharedState({table, rx, &m_zero, &m_zero, &m_zero, &m_busy, &m_zero, &m_arrival});
        m_sheet.AddPage(&m_page);
        return m_port->Open() == 0 && m_sheet.Create(nullptr, WS_POPUP);
    }
    // After Open: a pulled device takes the port off line and refreshes the page.
    void FollowRemoval() { m_owner.followRemoval = m_port.get(); }

    SimDevice sim;
    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];

private:
    int m_zero = 0, m_busy = 0;
    BYTE m_arrival = 0;
    CMyPropertyPage& m_page;
    LineOwner m_owner;
    std::unique_ptr<CPortManGui> m_port;
    CPropertySheet m_sheet;
};

// A complete read, then (send) "senden" answered Yes up to the send's end;
// the boxes after the question.
std::vector<CString> ReadThenSend(CParameterDlg& page, bool send)
{
    vx::ModalScript::Clear();
    page.OnReadButton();
    const auto idle = [&] { return !page.GetRead().IsRunning(); };
    EXPECT_TRUE(vxtest::PumpUntil(idle, 30000) && page.GetRead().ReadComplete());
    if (send) {
        vx::ModalScript::AnswerMessageBox(IDYES);
        page.OnSendButton();
        EXPECT_TRUE(vxtest::PumpUntil(idle, 30000));
    }
    std::vector<CString> boxes = vx::ModalScript::MessageBoxTexts();
    if (send && !boxes.empty())
        boxes.erase(boxes.begin());
    return boxes;
}

} // namespace

// Also on a slow line, where the echoes of the six ESC keys are still
// arriving when 'V' goes out.
class ControlPageOnTheLine : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ControlPageOnTheLine, IdentifiesAVariant800Device)
{
    std::vector<std::string> args{"--model", "H1"};
    args.insert(args.end(), GetParam().begin(), GetParam().end());
    CSteuernDlg control;
    LinePage line(control, args);
    ASSERT_TRUE(line.Open());
    vxtest::PumpUntil([&] { return line.table[0].m_iDeviceVariant != 0; }, 10000);
    EXPECT_EQ(line.table[0].m_iDeviceVariant, 800);
}

INSTANTIATE_TEST_SUITE_P(FastAndSlowLines, ControlPageOnTheLine,
                         ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--split", "1"},
                                           std::vector<std::string>{"--delay", "400"}));

// Bytes 18-19 of a record are not read: whatever the device puts there, the
// same table.
TEST(ParameterPageOnTheLine, RecordsAreReadWhateverTheirLastTwoBytes)
{
    std::vector<std::string> tables;
    for (const char* tail : {"check", "row", "zero"}) {
        CParameterDlg page;
        LinePage line(page, {"--record-tail", tail});
        ASSERT_TRUE(line.Open());
        EXPECT_TRUE(ReadThenSend(page, false).empty()) << tail;
        std::string table;
        for (int r = 0; r < kParameterRows; ++r) {
            const ParameterRowTexts& t = page.GetRead().Row(r);
            table += (t.name + ";" + t.nominal + ";" + t.unit + ";" + t.type + ";" + t.p0 + ";" + t.p100 + "|").str();
        }
        tables.push_back(table);
    }
    EXPECT_EQ(tables[0].substr(0, 19), "SIMSENS1;5,000;kN ;");
    EXPECT_EQ(tables[1], tables[0]);
    EXPECT_EQ(tables[2], tables[0]);
}

// A stray byte before the pre-read's 'W' answer shifts the factory words:
// no row frame goes out, and the page says why.
TEST(ParameterPageOnTheLine, ShiftedFactoryWordsOnThePreReadWriteNothing)
{
    const std::string log = QDir::tempPath().toStdString() + "/vx35_e2e_junkw_" +
                            std::to_string(QCoreApplication::applicationPid()) + ".log";
    CParameterDlg page;
    LinePage line(page, {"--junk", "7E", "--junk-on", "W", "--junk-after", "1"}, log);
    ASSERT_TRUE(line.Open());
    EXPECT_EQ(ReadThenSend(page, true), std::vector<CString>{vx::LoadText(5211, 0)});
    EXPECT_EQ(page.GetRead().FactoryWordText(kPassivFirst), "4661");
    line.sim.Stop();
    for (const auto& [ms, bytes] : line.sim.Received())
        EXPECT_EQ(bytes.find('e'), std::string::npos) << "a row frame went out";
    std::remove(log.c_str());
}

// The device leaves the line as the third row frame starts: the page names
// the rows that went out before (the third among them: its frame left before
// the line was gone; how many more left depends on how soon the port saw it).
TEST(ParameterPageOnTheLine, SendCutByAVanishingDeviceSaysWhichRowsWent)
{
    CParameterDlg page;
    LinePage line(page, {"--vanish-on", "e:3"});
    ASSERT_TRUE(line.Open());
    std::vector<CString> expected{vx::LoadText(5214, 0)};
    for (int sent = 3; sent < kParameterRows; ++sent) {
        CString text = vx::LoadText(5212, 0);
        text.Replace("%1", CString::Formatted("1-%d", sent));
        text.Replace("%2", sent < 9 ? CString::Formatted("%d-10", sent + 1) : CString("10"));
        expected.push_back(text);
    }
    const std::vector<CString> boxes = ReadThenSend(page, true);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(std::find(expected.begin(), expected.end(), boxes[0]), expected.end()) << boxes[0].str();
    EXPECT_NE(vx::ModalScript::Calls().back().flags & MB_ICONERROR, 0u);
}

namespace {

struct LoggerLineOutcome {
    std::string records;   // as the page shows them
    std::string saved;     // the records part of the file File > Save wrote
    std::vector<CString> boxes;
};

// One read-out against vx35sim with these options, saved afterwards.
LoggerLineOutcome ReadLoggerOnTheLine(const std::vector<std::string>& args)
{
    vx::ModalScript::Clear();
    LoggerLineOutcome out;
    CDatenloggerDlg logger;
    LinePage line(logger, args);
    EXPECT_TRUE(line.Open());
    line.FollowRemoval();
    vxtest::PumpFor(1000); // the answers to the home keys
    logger.StartLoggerReadout();
    EXPECT_TRUE(vxtest::PumpUntil([&] { return !logger.GetReadout().IsReadoutRunning(); }, 30000));
    out.records = logger.m_strRecords.str();
    out.boxes = vx::ModalScript::MessageBoxTexts();
    const std::string path = QDir::tempPath().toStdString() + "/vx35_e2e_loggerline_" +
                             std::to_string(QCoreApplication::applicationPid()) + ".csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    logger.OnFileSave();
    std::ifstream f(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::remove(path.c_str());
    const std::string mode = "AUTO    10 sec  \r\n\r\n\r\n";
    const size_t at = file.find(mode);
    out.saved = at == std::string::npos ? "(no mode block)" : file.substr(at + mode.size());
    return out;
}

// The device's first records, and how the default export writes them
// (value, ';', unit).
std::pair<std::string, std::string> DeviceRecords(size_t count)
{
    std::pair<std::string, std::string> r;
    const vx35sim::DeviceConfig device;
    for (size_t i = 0; i < count && i < device.logger.records.size(); ++i) {
        r.first += device.logger.records[i] + "\r\n";
        r.second += device.logger.records[i].substr(0, 6) + ";kN\r\n";
    }
    return r;
}

} // namespace

// Pulled in the middle of the fourth record ("-1,47" of "-1,473 kN"):
// listed and saved are whole records only (bytes still in the line at the
// hang-up are lost to any reader, so maybe fewer), and the box says the
// read-out is incomplete.
TEST(LoggerOnTheLine, DevicePulledMidRecordListsAndSavesOnlyWholeRecords)
{
    const vx35sim::DeviceConfig device;
    const size_t before = 2 + device.header.size() + 1 + device.logger.modeLine.size() + 2;
    const std::string cut = "A:" + std::to_string(before + DeviceRecords(3).first.size() + 5);
    const LoggerLineOutcome o = ReadLoggerOnTheLine({"--cut", cut, "--split", "2", "--split-gap", "40"});
    EXPECT_EQ(o.boxes, std::vector<CString>{vx::LoadText(LoggerText::kPortLost, 0)});
    size_t shown = 0;
    while (shown < 3 && o.records != DeviceRecords(shown).first)
        ++shown;
    EXPECT_EQ(o.records, DeviceRecords(shown).first);
    EXPECT_EQ(o.saved, DeviceRecords(shown).second);
}

// Byte by byte over the line, the page lists exactly the device's records.
TEST(LoggerOnTheLine, BytePacedReadoutGivesExactlyTheDevicesRecords)
{
    const LoggerLineOutcome o = ReadLoggerOnTheLine({"--split", "1"});
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.records, DeviceRecords(100).first);
    EXPECT_EQ(o.saved, DeviceRecords(100).second);
}

// A device whose records never go quiet: the read-out ends at the answer's
// bound as the give-up ends one, listing the device's whole records within
// it (the field shows every one), and takes nothing more while the device
// goes on.
TEST(LoggerOnTheLine, EndlessRecordsEndAtTheAnswersBound)
{
    vx::ModalScript::Clear();
    CDatenloggerDlg logger;
    LinePage line(logger, {"--logger-endless", "0"});
    ASSERT_TRUE(line.Open());
    vxtest::PumpFor(1000); // the answers to the home keys
    logger.StartLoggerReadout();
    ASSERT_TRUE(vxtest::PumpUntil([&] { return !logger.GetReadout().IsReadoutRunning(); }, 120000));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), std::vector<CString>{LoggerText::kGiveUp});

    const vx35sim::DeviceConfig device;
    const size_t head = 2 + device.header.size() + 1 + device.logger.modeLine.size() + 2;
    std::string expected;
    for (size_t i = 0;; ++i) {
        const std::string record = device.logger.records[i % device.logger.records.size()] + "\r\n";
        if (head + expected.size() + record.size() > static_cast<size_t>(CLoggerReadout::kAnswerBound))
            break;
        expected += record;
    }
    const std::string shown = logger.m_strRecords.str();
    EXPECT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected) << "records differ from the device's";
    EXPECT_TRUE(logger.GetDlgItem(CDatenloggerDlg::IDC_RECORDS)->GetWindowTextString() == logger.m_strRecords)
        << "the field shows other records";

    vxtest::PumpFor(500); // the device still sends
    EXPECT_TRUE(line.rx[0].IsEmpty());
    EXPECT_EQ(logger.m_strRecords.GetLength(), static_cast<int>(expected.size()));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);
}
