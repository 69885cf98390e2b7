// The whole program as a test engineer uses it at the bench: the main dialog
// with its real pages, its port opened from the profile onto the simulated
// device over a real pseudo-terminal, the platform's real clock. Each case
// walks one tab's flows and leaves a screenshot of the tab in the build
// folder for a person to look at.
#include "tests/support/EventPump.h"
#include "tests/support/RealMainPages.h"
#include "tests/support/SimDevice.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/MessenDlg.h"
#include "pages/BefehleDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/DatumDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "pages/ParameterDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Clipboard.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Print.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "port/CPortManGui.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

bool Pump(const std::function<bool()>& done, int timeoutMs)
{
    return vxtest::PumpUntil(done, timeoutMs);
}

using vxtest::PumpFor;

class UserFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        vxres::InstallResources();
        vx::InstallStringTable();
        InstallRealMainPages();
        link = dir.filePath("vx35-link").toStdString();
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", "Port", link.c_str());
        vx::WriteProfileInt("SerPort1", "BaudRate", 115200);
        vx::WriteProfileInt("Optionen", "Sprache", 0);
    }
    void TearDown() override
    {
        if (dlg && dlg->IsWindow())
            dlg->DestroyWindow();
        dlg.reset();
        sim.reset();
        SetMainPageFactory({});
    }

    // The device first, then the program, as a user switches them on.
    void Start(const std::vector<std::string>& simArgs = {})
    {
        sim = std::make_unique<SimDevice>(dir.filePath("device.log").toStdString(), simArgs);
        ASSERT_TRUE(sim->Started());
        ASSERT_TRUE(PointLink(link, sim->Path()));
        dlg = std::make_unique<CVX35_3Dlg>();
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
        dlg->ShowWindow(SW_SHOW);
        ASSERT_NE(dlg->GetPortMan(), nullptr);
        ASSERT_EQ(dlg->GetPortMan()->GetPortState(), static_cast<DWORD>(PORTSTATE_ONLINE))
            << dlg->GetPortMan()->GetLastErrorText().str();
        PumpFor(100);
    }

    void ShowTab(int tab)
    {
        dlg->GetSheet().SetActivePage(tab);
        PumpFor(50);
    }

    // Everything the device received so far, in order.
    std::string DeviceGot() const
    {
        std::string all;
        for (const auto& [ms, bytes] : sim->Received())
            all += bytes;
        return all;
    }
    bool DeviceGets(const std::string& tail, int timeoutMs = 3000)
    {
        return Pump([&] { return DeviceGot().find(tail) != std::string::npos; }, timeoutMs);
    }

    CString Terminal()
    {
        dlg->FlushTerminal();
        return dlg->GetTerminal().GetWindowTextString();
    }

    void Screenshot(const char* name)
    {
        PumpFor(60);
        dlg->FlushTerminal();
        const QImage shot = dlg->GetPeer()->window()->grab().toImage();
        ASSERT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(QStringLiteral("%1/userflow_%2.png")
                                  .arg(QString::fromLatin1(VX35_BINARY_DIR), QString::fromLatin1(name))));
    }

    // File > Print of the shown page into a PDF, answered by the modal seam;
    // the text a reader finds in it ("" without pdftotext on the machine).
    QString PrintToText(const char* name)
    {
        const QString pdf =
            QStringLiteral("%1/userflow_%2.pdf").arg(QString::fromLatin1(VX35_BINARY_DIR), QString::fromLatin1(name));
        QFile::remove(pdf);
        vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, vx::FromQString(pdf), 0, {}});
        dlg->SendMessage(WM_COMMAND, ID_DATEI_DRUCKEN, 0);
        PumpFor(20);
        EXPECT_TRUE(QFile::exists(pdf)) << name;
        EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty()) << name;
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        if (!text.waitForStarted(5000) || !text.waitForFinished(10000))
            return {};
        return QString::fromLatin1(text.readAllStandardOutput());
    }

    template <class T>
    T* Page(int index)
    {
        auto* page = dynamic_cast<T*>(dlg->GetPage(index));
        EXPECT_NE(page, nullptr) << index;
        return page;
    }

    // Start on the logger tab, once the device took its home keys.
    CDatenloggerDlg* StartOnLoggerTab()
    {
        Start();
        ShowTab(3);
        auto* logger = Page<CDatenloggerDlg>(3);
        EXPECT_TRUE(DeviceGets("nnnnn"));
        PumpFor(300);
        return logger;
    }

    // Start on the measure tab, until the chart holds `points` points and
    // the page has shown a value (its first display refresh comes late).
    void MeasureUntil(CMessenDlg* page, int points, int timeoutMs)
    {
        page->OnStart();
        ASSERT_TRUE(Pump([&] { return page->GetConversation().IsRunning(); }, 6000)) << DeviceGot();
        ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= points; }, timeoutMs))
            << page->GetDisplay().GetPointCount(0);
        ASSERT_TRUE(Pump([&] { return !page->m_strValueText.IsEmpty(); }, 3000));
        PumpFor(250);   // one more refresh, so the chart has painted
    }

    QTemporaryDir dir;
    std::string link;
    std::unique_ptr<SimDevice> sim;
    std::unique_ptr<CVX35_3Dlg> dlg;
};

int CountLines(const CString& text)
{
    int n = 0;
    for (int p = text.Find("\r\n"); p >= 0; p = text.Find("\r\n", p + 2))
        ++n;
    return n;
}

} // namespace

// ---- Measure tab ----------------------------------------------------------------

TEST_F(UserFlow, MeasureInPcModeShowsNumberWithUnitAndChartPointsUntilStop)
{
    Start();
    ShowTab(1);
    auto* page = Page<CMessenDlg>(1);
    ASSERT_NE(page, nullptr);
    MeasureUntil(page, 50, 5000);
    EXPECT_TRUE(page->IsValueRequestRunning());
    const CString value = page->m_strValueText;
    EXPECT_NE(value.FindOneOf("0123456789"), -1) << value.str();
    EXPECT_NE(value.Find("kN"), -1) << value.str();   // the sensor's unit
    // The device is asked for every value.
    const std::string got = DeviceGot();
    EXPECT_GE(std::count(got.begin(), got.end(), '0'), 50);
    Screenshot("measure_pc");

    page->OnStop();
    EXPECT_FALSE(page->IsValueRequestRunning());
    EXPECT_FALSE(page->GetConversation().IsRunning());
    PumpFor(200);
    const int points = page->GetDisplay().GetPointCount(0);
    const std::string stopped = DeviceGot();
    const size_t requests = std::count(stopped.begin(), stopped.end(), '0');
    PumpFor(200);
    EXPECT_EQ(page->GetDisplay().GetPointCount(0), points) << "no values after Stop";
    const std::string after = DeviceGot();
    EXPECT_EQ(static_cast<size_t>(std::count(after.begin(), after.end(), '0')), requests);
}

TEST_F(UserFlow, PrintingTheMeasureReportToAPdfFileAndWhyAPrintFailed)
{
    vx::WriteProfileInt("Optionen", "Sprache", vx::kLanguageFrench);
    Start();
    ShowTab(1);
    auto* page = Page<CMessenDlg>(1);
    ASSERT_NE(page, nullptr);
    MeasureUntil(page, 20, 5000);
    page->OnStop();
    dlg->GetDocumentation().m_strHeadline = "Banc d'essai 7";
    dlg->GetDocumentation().m_strComment = "Couple moteur";

    // File > Print, the print-to-file choice taken in the dialog.
    vx::ModalScript::Clear();
    const QString printed = PrintToText("measure_report");
    ASSERT_FALSE(vx::ModalScript::Calls().empty());
    const vx::ModalRecord& offered = vx::ModalScript::Calls().front();
    EXPECT_EQ(offered.kind, vx::ModalKind::Print);
    EXPECT_EQ(offered.flags & PD_HIDEPRINTTOFILE, 0u) << "print to file is offered";
    if (!printed.isEmpty()) {
        EXPECT_TRUE(printed.contains(QStringLiteral("Banc d'essai 7"))) << printed.toStdString();
        EXPECT_TRUE(printed.contains(QStringLiteral("Couple moteur"))) << printed.toStdString();
    }

    // A file in a folder that is not there: the user is told why, in French.
    const QString absent = dir.filePath(QStringLiteral("absent/rapport.pdf"));
    vx::ModalScript::Clear();
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, vx::FromQString(absent), 0, {}});
    dlg->SendMessage(WM_COMMAND, ID_DATEI_DRUCKEN, 0);
    PumpFor(20);
    const auto texts = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Find(vx::FromUtf8("L'impression a échoué")), 0) << texts[0].str();
    EXPECT_GE(texts[0].Find(vx::FromUtf8("Impossible d'écrire le fichier :")), 0) << texts[0].str();
    EXPECT_GE(texts[0].Find(vx::FromQString(absent)), 0) << texts[0].str();
    EXPECT_FALSE(QFile::exists(absent));
}

TEST_F(UserFlow, MeasureInAutoModesIsPacedByTheDevice)
{
    struct Case {
        const char* rate;
        int points;
        double minStepMs;
    };
    for (const Case c : {Case{"3", 10, 80.0}, Case{"4", 2, 800.0}}) {
        SCOPED_TRACE(c.rate);
        Start({"--sample-mode", "8", "--auto-rate", c.rate});
        ShowTab(1);
        auto* page = Page<CMessenDlg>(1);
        ASSERT_NE(page, nullptr);
        MeasureUntil(page, c.points, 6000);
        EXPECT_FALSE(page->IsValueRequestRunning()) << "the device paces, the PC does not ask";
        const std::string got = DeviceGot();
        EXPECT_EQ(got.find('0'), std::string::npos);
        const CString value = page->m_strValueText;
        EXPECT_NE(value.FindOneOf("0123456789"), -1) << value.str();
        EXPECT_NE(value.Find("kN"), -1) << value.str();
        Screenshot(c.rate[0] == '3' ? "measure_auto100ms" : "measure_auto1s");
        page->OnStop();
        EXPECT_FALSE(page->GetConversation().IsRunning());
        dlg->DestroyWindow();
        dlg.reset();
        sim.reset();
    }
}

// ---- Setup tab ------------------------------------------------------------------

TEST_F(UserFlow, SetupTabShowsEveryNestedPageWholeInsideItsFrame)
{
    Start();
    auto* setup = Page<CEinrichtenDlg>(0);
    ASSERT_NE(setup, nullptr);
    CPropertySheet& nested = setup->GetNestedSheet();
    CTabCtrl* tab = nested.GetTabControl();
    ASSERT_NE(tab, nullptr);
    // The frame the pages sit in: the tab control less its tab strip.
    CRect frame;
    tab->GetClientRect(&frame);
    tab->AdjustRect(FALSE, &frame);
    tab->ClientToScreen(&frame);
    CRect room;
    setup->GetWindowRect(&room);
    for (int i = 0; i < 5; ++i) {
        nested.SetActivePage(i);
        PumpFor(20);
        CRect page;
        dlg->GetPage(4 + i)->GetWindowRect(&page);
        EXPECT_LE(page.bottom, frame.bottom) << "nested page " << i;
        EXPECT_LE(page.right, frame.right) << "nested page " << i;
    }
    Screenshot("setup_configuration");
    CRect sheet;
    nested.GetWindowRect(&sheet);
    EXPECT_LE(sheet.bottom, room.bottom);
}

TEST_F(UserFlow, SetupTabHeaderDateCommandsAndParameters)
{
    Start();
    auto* setup = Page<CEinrichtenDlg>(0);
    auto* header = Page<CFirmenkopfDlg>(4);
    ASSERT_TRUE(setup && header);

    // Company header: send a new one, clear the field, read it back.
    setup->GetNestedSheet().SetActivePage(0);
    PumpFor(50);
    const CString sent = "BENCH 7 USERFLOW\r\nHALLE 3";
    header->GetDlgItem(CFirmenkopfDlg::IDC_HEADER)->SetWindowText(sent);
    header->SendCompanyHeader();
    ASSERT_TRUE(DeviceGets("HALLE 3"));
    PumpFor(300);
    header->GetDlgItem(CFirmenkopfDlg::IDC_HEADER)->SetWindowText("");
    header->m_strHeader.Empty();
    header->ReadCompanyHeader();
    ASSERT_TRUE(Pump([&] { return header->m_strHeader == sent; }, 3000)) << header->m_strHeader.str();
    EXPECT_EQ(header->GetDlgItem(CFirmenkopfDlg::IDC_HEADER)->GetWindowTextString(), sent);
    Screenshot("setup_header");

    // Date: set the device clock to the PC's, read it back.
    auto* date = Page<CDatumDlg>(5);
    ASSERT_NE(date, nullptr);
    setup->GetNestedSheet().SetActivePage(1);
    PumpFor(50);
    const CString now = CDatumDlg::NowDeviceText();
    date->WriteDeviceDate();
    PumpFor(300);
    date->m_strDate.Empty();
    date->ReadDeviceDate();
    ASSERT_TRUE(Pump([&] { return !date->m_strDate.IsEmpty(); }, 3000));
    // Minutes may tick over between set and read; the day may not.
    EXPECT_NE(date->m_strDate.Find(now.Left(8)), -1) << date->m_strDate.str() << " / " << now.str();
    Screenshot("setup_date");

    // Commands page: each button's answer shows in the terminal.
    auto* commands = Page<CBefehleDlg>(7);
    ASSERT_NE(commands, nullptr);
    setup->GetNestedSheet().SetActivePage(3);
    ASSERT_TRUE(DeviceGets("nnnnn"));
    dlg->ShowTerminal(true);
    dlg->SetHexMode(false);
    commands->OnStatus();
    ASSERT_TRUE(Pump([&] { return Terminal().Find("STATUS") >= 0; }, 3000)) << Terminal().str();
    commands->OnVersion();
    ASSERT_TRUE(Pump([&] { return Terminal().Find("VX35 H2") >= 0; }, 3000)) << Terminal().str();
    // The terminal shows the answer to the latest request, binary ones too.
    for (auto request : {&CBefehleDlg::OnStatusLong, &CBefehleDlg::OnSensorParameter}) {
        const CString before = Terminal();
        (commands->*request)();
        ASSERT_TRUE(Pump([&] { return !Terminal().IsEmpty() && Terminal() != before; }, 3000));
        EXPECT_EQ(Terminal().GetLength(), dlg->ReceiveText(0).GetLength());
    }
    dlg->SetHexMode(true);
    EXPECT_EQ(Terminal().Left(2), CString(" ["));
    Screenshot("setup_commands");

    // Parameter page: a read fills rows 1 to 10.
    auto* params = Page<CParameterDlg>(6);
    ASSERT_NE(params, nullptr);
    setup->GetNestedSheet().SetActivePage(2);
    PumpFor(300);
    params->OnReadButton();
    ASSERT_TRUE(Pump([&] { return !params->NameEdit(9).GetWindowTextString().IsEmpty(); }, 10000));
    PumpFor(300);
    for (int r = 0; r < 10; ++r) {
        EXPECT_FALSE(params->NameEdit(r).GetWindowTextString().IsEmpty()) << r;
        EXPECT_FALSE(params->UnitEdit(r).GetWindowTextString().IsEmpty()) << r;
    }
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty())
        << vx::ModalScript::MessageBoxTexts().front().str();
    Screenshot("setup_parameters");
}

// ---- Parameter page -----------------------------------------------------------

namespace {

// The parameter page shown in the setup tab, after a read of the table.
CParameterDlg* ReadParameters(CVX35_3Dlg& dlg, int timeoutMs)
{
    dynamic_cast<CEinrichtenDlg*>(dlg.GetPage(0))->GetNestedSheet().SetActivePage(2);
    PumpFor(300);
    auto* params = dynamic_cast<CParameterDlg*>(dlg.GetPage(6));
    params->SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    Pump([&] { return !params->GetRead().IsRunning(); }, timeoutMs);
    return params;
}

bool SendShown(CParameterDlg* params) { return params->GetDlgItem(CParameterDlg::IDC_SEND)->IsWindowVisible() != FALSE; }

} // namespace

TEST_F(UserFlow, ParameterTableEditedSentOnlyAfterYesAndKeptInAFile)
{
    Start();
    CParameterDlg* params = ReadParameters(*dlg, 10000);
    ASSERT_TRUE(SendShown(params));
    for (int r : {0, 9}) {
        params->NameEdit(r).SetWindowText(r ? "Zug 10" : "Kraft 1");
        params->NominalEdit(r).SetWindowText(r ? "0250" : "012,5");
        params->UnitEdit(r).SetWindowText(r ? "kN" : "Nm");
    }
    const size_t mark = DeviceGot().size();
    for (int answer : {IDNO, IDYES}) {
        vx::ModalScript::AnswerMessageBox(answer);
        params->SendMessage(WM_COMMAND, CParameterDlg::IDC_SEND);
        Pump([&] { return !params->GetRead().IsRunning(); }, 15000);
        EXPECT_EQ(DeviceGot().find('e', mark) == std::string::npos, answer == IDNO);
    }
    params = ReadParameters(*dlg, 10000);
    EXPECT_EQ(params->NameEdit(0).GetWindowTextString() + params->NominalEdit(0).GetWindowTextString(), "Kraft 1 012,5");
    EXPECT_EQ(params->UnitEdit(9).GetWindowTextString() + params->NominalEdit(9).GetWindowTextString(), "kN 0250");

    const CString path = vx::FromQString(dir.filePath("table.csv"));
    vx::ModalScript::AnswerFileSave(path);
    ASSERT_TRUE(dlg->GetIconMenu().IsItemEnabled(ID_DATEI_SPEICHERN));
    dlg->SendMessage(WM_COMMAND, ID_DATEI_SPEICHERN, 0);
    params->NameEdit(9).SetWindowText("anders");
    vx::ModalScript::AnswerFileOpen(path);
    ASSERT_TRUE(dlg->GetIconMenu().IsItemEnabled(ID_DATEI_OEFFNEN));
    dlg->SendMessage(WM_COMMAND, ID_DATEI_OEFFNEN, 0);
    EXPECT_EQ(params->NameEdit(9).GetWindowTextString(), "Zug 10  ");
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 2u) << "the two questions only";
}

// A slow device gives its exact table or, beyond the answer time, the
// time-out box; never a shifted table. A device gone after row 6 leaves
// rows 7 to 10 empty, is said to be gone, and takes the send away.
TEST_F(UserFlow, ParameterTableFromASlowDeviceAndOneGoneMidRead)
{
    for (const char* delay : {"1000", "400"}) {
        vx::ModalScript::Clear();
        Start({"--delay", delay});
        CParameterDlg* params = ReadParameters(*dlg, 30000);
        EXPECT_EQ(params->GetRead().ReadComplete(), vx::ModalScript::MessageBoxTexts().empty()) << delay;
        for (int r = 0; r < kParameterRows; ++r) {
            const CString name = params->GetRead().Row(r).name;
            EXPECT_TRUE(name.IsEmpty() || name == (r ? CString::Formatted("SENSOR%02d", r + 1) : CString("SIMSENS1")))
                << delay << " " << r << ": " << name.str();
        }
        if (delay[0] == '1')
            dlg->DestroyWindow();
    }
    CParameterDlg* params = dynamic_cast<CParameterDlg*>(dlg->GetPage(6));
    ASSERT_TRUE(params->GetRead().ReadComplete());
    vx::ModalScript::Clear();
    dlg->GetPortMan()->SetWatchInterval(100);
    params->SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    ASSERT_TRUE(Pump([&] { return params->GetRead().CurrentRow() == 7; }, 10000));
    sim->Stop();
    ASSERT_TRUE(Pump([&] { return !params->GetRead().IsRunning(); }, 5000));
    EXPECT_EQ(params->NameEdit(5).GetWindowTextString(), "SENSOR06");
    for (int r = 6; r < kParameterRows; ++r)
        EXPECT_TRUE(params->NameEdit(r).GetWindowTextString().IsEmpty()) << r;
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);
    PumpFor(300);
    EXPECT_FALSE(SendShown(params));
    EXPECT_FALSE(dlg->GetIconMenu().IsItemEnabled(ID_DATEI_SPEICHERN));
}

// ---- Control tab ----------------------------------------------------------------

TEST_F(UserFlow, ControlTabIdentifiesTheDeviceAndPlaysAMenuSequence)
{
    Start({"--model", "H1"});
    ShowTab(2);
    auto* control = Page<CSteuernDlg>(2);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(Pump([&] { return dlg->GetChannelTable()[0].m_iDeviceVariant == 800; }, 3000))
        << dlg->GetChannelTable()[0].m_iDeviceVariant;
    EXPECT_NE(DeviceGot().find("nnnnnnV"), std::string::npos) << DeviceGot();
    PumpFor(300);

    const size_t mark = DeviceGot().size();
    control->SendMessage(WM_COMMAND, 1035, 0);
    ASSERT_TRUE(Pump([&] { return DeviceGot().size() >= mark + 8; }, 3000));
    PumpFor(300);
    EXPECT_EQ(DeviceGot().substr(mark), "nnnnnlkk");
    // The device's display line reaches the page's display.
    EXPECT_FALSE(control->GetDisplayText().IsEmpty());
    Screenshot("control");

    // Language: French while the page is shown, then German again.
    CWnd* button = control->GetDlgItem(1035);
    ASSERT_NE(button, nullptr);
    const CString german = button->GetWindowTextString();
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_FRANCAIS, 0);
    PumpFor(100);
    EXPECT_EQ(dlg->GetLanguageOffset(), vx::kLanguageFrench);
    const CString french = button->GetWindowTextString();
    EXPECT_NE(french, german);
    EXPECT_FALSE(french.IsEmpty());
    Screenshot("control_fr");
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_DEUTSCH, 0);
    PumpFor(100);
    EXPECT_EQ(button->GetWindowTextString(), german);
    EXPECT_EQ(dlg->GetSheet().GetActiveIndex(), 2);
}

// ---- Data logger tab, printing, closing ----------------------------------------

TEST_F(UserFlow, LoggerReadOutCopyAndClose)
{
    auto* logger = StartOnLoggerTab();
    ASSERT_NE(logger, nullptr);
    logger->StartLoggerReadout();
    ASSERT_TRUE(Pump([&] { return CountLines(logger->m_strRecords) >= 24; }, 8000))
        << logger->m_strRecords.str();
    ASSERT_TRUE(Pump([&] { return logger->GetDlgItem(CDatenloggerDlg::IDC_READ)->IsWindowVisible(); }, 3000));
    EXPECT_EQ(logger->m_strMode, "AUTO    10 sec  ");
    EXPECT_NE(logger->m_strRecords.Find(" kN"), -1);
    EXPECT_NE(logger->m_strHeader.Find("VX35 SIMULATOR"), -1) << logger->m_strHeader.str();
    Screenshot("logger");

    // Ctrl+A, Ctrl+C in the records field puts them on the clipboard.
    CWnd* records = logger->GetDlgItem(CDatenloggerDlg::IDC_RECORDS);
    dlg->GetPeer()->window()->activateWindow();
    PumpFor(20);
    records->SetFocus();
    PumpFor(20);
    vx::SetClipboardText("before");
    for (int key : {Qt::Key_A, Qt::Key_C}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
        QCoreApplication::sendEvent(records->GetPeer(), &press);
    }
    EXPECT_EQ(vx::GetClipboardText(), records->GetWindowTextString());
    EXPECT_NE(vx::GetClipboardText().Find(" kN"), -1);

    // Closing the window sends the device home: five Esc keys, nothing else.
    PumpFor(300);
    const size_t mark = DeviceGot().size();
    dlg->SendMessage(WM_CLOSE);
    dlg->DestroyWindow();
    dlg.reset();
    ASSERT_TRUE(Pump([&] { return DeviceGot().size() >= mark + 5; }, 3000));
    PumpFor(200);
    EXPECT_EQ(DeviceGot().substr(mark), "nnnnn");
}

TEST_F(UserFlow, PrintingTheCompanyHeaderAndTheParameterSheet)
{
    Start();
    auto* setup = Page<CEinrichtenDlg>(0);
    ASSERT_NE(setup, nullptr);

    // The header page offers Print each time its tab is chosen.
    auto* header = Page<CFirmenkopfDlg>(4);
    header->ReadCompanyHeader();
    ASSERT_TRUE(Pump([&] { return header->m_strHeader.Find("PRUEFSTAND 1") >= 0; }, 3000));
    setup->GetNestedSheet().SetActivePage(1);
    PumpFor(20);
    setup->GetNestedSheet().SetActivePage(0);
    PumpFor(20);
    ASSERT_TRUE(dlg->GetIconMenu().IsItemEnabled(ID_DATEI_DRUCKEN));
    QString printed = PrintToText("header");
    if (!printed.isEmpty()) {
        EXPECT_TRUE(printed.contains(QStringLiteral("VX35 SIMULATOR"))) << printed.toStdString();
        EXPECT_TRUE(printed.contains(QStringLiteral("PRUEFSTAND 1"))) << printed.toStdString();
    }

    // The parameter sheet once a read has filled it.
    setup->GetNestedSheet().SetActivePage(2);
    PumpFor(300);
    auto* params = Page<CParameterDlg>(6);
    EXPECT_FALSE(dlg->GetIconMenu().IsItemEnabled(ID_DATEI_DRUCKEN));
    params->OnReadButton();
    ASSERT_TRUE(Pump([&] { return dlg->GetIconMenu().IsItemEnabled(ID_DATEI_DRUCKEN); }, 10000));
    printed = PrintToText("parameters");
    if (!printed.isEmpty()) {
        for (const char* expected : {"Bezeichnung", "SIMSENS1", "SENSOR10", "STROM[128]", "30000",
                                     "Firmware Revision: VX35 H2", "Werkskalibrierung PASSIV", "4660", "4661"})
            EXPECT_TRUE(printed.contains(QString::fromLatin1(expected))) << expected << "\n" << printed.toStdString();
    }
    // In English the column titles follow the language.
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_ENGLISH, 0);
    PumpFor(50);
    printed = PrintToText("parameters_en");
    if (!printed.isEmpty()) {
        EXPECT_TRUE(printed.contains(QStringLiteral("Design"))) << printed.toStdString();
        EXPECT_TRUE(printed.contains(QStringLiteral("nom Value"))) << printed.toStdString();
        EXPECT_TRUE(printed.contains(QStringLiteral("SENSOR10"))) << printed.toStdString();
    }
}

TEST_F(UserFlow, SetupTabFollowsTheLanguageWhileShown)
{
    Start();
    auto* setup = Page<CEinrichtenDlg>(0);
    ASSERT_NE(setup, nullptr);
    CTabCtrl* nestedTabs = setup->GetNestedSheet().GetTabControl();
    CTabCtrl* mainTabs = dlg->GetSheet().GetTabControl();
    const CString german = nestedTabs->GetItemText(0);
    const CString germanMain = mainTabs->GetItemText(0);
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_ENGLISH, 0);
    PumpFor(50);
    EXPECT_NE(nestedTabs->GetItemText(0), german);
    EXPECT_NE(mainTabs->GetItemText(0), germanMain);
    Screenshot("setup_en");
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_DEUTSCH, 0);
    PumpFor(50);
    EXPECT_EQ(nestedTabs->GetItemText(0), german);
    EXPECT_EQ(mainTabs->GetItemText(0), germanMain);
}

TEST_F(UserFlow, ClosingWhileMeasuringEndsTheRequestsAndSendsTheDeviceHome)
{
    Start();
    ShowTab(1);
    auto* page = Page<CMessenDlg>(1);
    ASSERT_NE(page, nullptr);
    page->OnStart();
    ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= 20; }, 6000));
    // While measuring the user cannot leave the tab.
    EXPECT_FALSE(dlg->GetSheet().GetTabControl()->IsWindowEnabled());
    const size_t mark = DeviceGot().size();
    dlg->SendMessage(WM_CLOSE);
    dlg->DestroyWindow();
    dlg.reset();
    ASSERT_TRUE(Pump([&] { return DeviceGot().find("nnnnn", mark) != std::string::npos; }, 3000))
        << DeviceGot().substr(mark);
    PumpFor(300);
    const std::string got = DeviceGot();
    EXPECT_EQ(got.find('0', got.find("nnnnn", mark)), std::string::npos) << got.substr(mark);
}

TEST_F(UserFlow, LanguageSwitchWhileMeasuringAndASecondRun)
{
    Start();
    ShowTab(1);
    auto* page = Page<CMessenDlg>(1);
    ASSERT_NE(page, nullptr);
    page->OnStart();
    ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= 20; }, 6000));

    // The language changes under a running measurement: it goes on, and the
    // user still cannot leave the tab.
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_FRANCAIS, 0);
    PumpFor(50);
    EXPECT_TRUE(page->GetConversation().IsRunning());
    EXPECT_TRUE(page->IsValueRequestRunning());
    EXPECT_FALSE(dlg->GetSheet().GetTabControl()->IsWindowEnabled());
    const int before = page->GetDisplay().GetPointCount(0);
    ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= before + 20; }, 3000));
    ASSERT_TRUE(Pump([&] { return !page->m_strValueText.IsEmpty(); }, 3000));
    Screenshot("measure_fr");
    page->OnStop();
    EXPECT_TRUE(dlg->GetSheet().GetTabControl()->IsWindowEnabled());
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_DEUTSCH, 0);
    PumpFor(100);

    // A second run starts a fresh curve.
    const int first = page->GetDisplay().GetPointCount(0);
    ASSERT_GE(first, 40);
    page->OnStart();
    ASSERT_TRUE(Pump([&] { return page->GetConversation().IsRunning(); }, 6000));
    EXPECT_LT(page->GetDisplay().GetPointCount(0), first);
    ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= 20; }, 3000));
    page->OnStop();
    EXPECT_FALSE(page->IsValueRequestRunning());
}

TEST_F(UserFlow, DevicePulledWhileMeasuringThenBack)
{
    Start();
    dlg->GetPortMan()->SetWatchInterval(100);
    ShowTab(1);
    auto* page = Page<CMessenDlg>(1);
    ASSERT_NE(page, nullptr);
    page->OnStart();
    ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= 20; }, 6000));

    sim->Stop();
    ASSERT_TRUE(Pump([&] { return dlg->GetPortMan()->GetPortState() == PORTSTATE_REMOVED; }, 3000));
    PumpFor(300);
    const int points = page->GetDisplay().GetPointCount(0);
    page->OnStop();
    EXPECT_FALSE(page->IsValueRequestRunning());
    EXPECT_EQ(page->GetDisplay().GetPointCount(0), points);
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    EXPECT_LE(boxes.size(), 1u) << "one notice at most, not one per value request";

    // Plugged in again: the next run measures.
    sim = std::make_unique<SimDevice>(dir.filePath("back.log").toStdString());
    ASSERT_TRUE(sim->Started());
    ASSERT_TRUE(PointLink(link, sim->Path()));
    ASSERT_TRUE(Pump([&] { return dlg->GetPortMan()->GetPortState() == PORTSTATE_ONLINE; }, 8000));
    ShowTab(1);
    page->OnStart();
    ASSERT_TRUE(Pump([&] { return page->GetConversation().IsRunning(); }, 6000)) << DeviceGot();
    ASSERT_TRUE(Pump([&] { return page->GetDisplay().GetPointCount(0) >= 20; }, 3000));
    page->OnStop();
}

TEST_F(UserFlow, ClosingDuringALoggerReadOut)
{
    Start();
    ShowTab(3);
    auto* logger = Page<CDatenloggerDlg>(3);
    ASSERT_NE(logger, nullptr);
    PumpFor(300);
    logger->StartLoggerReadout();
    ASSERT_TRUE(Pump([&] { return !logger->m_strHeader.IsEmpty(); }, 3000));
    EXPECT_FALSE(dlg->GetSheet().GetTabControl()->IsWindowEnabled()) << "the read-out holds the tab";
    const size_t mark = DeviceGot().size();
    dlg->SendMessage(WM_CLOSE);
    dlg->DestroyWindow();
    dlg.reset();
    ASSERT_TRUE(Pump([&] { return DeviceGot().size() >= mark + 5; }, 3000));
    PumpFor(200);
    EXPECT_EQ(DeviceGot().substr(mark), "nnnnn");
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

// The device goes away in the middle of its records: the read-out ends with
// a word to the user; what came stays on the page and can be saved.
TEST_F(UserFlow, DevicePulledDuringALoggerReadOutKeepsWhatCameAndSaysSo)
{
    auto* logger = StartOnLoggerTab();
    ASSERT_NE(logger, nullptr);
    vx::ModalScript::Clear();
    logger->StartLoggerReadout();
    // Pulled once the first records reached the program (24 come in three
    // writes): bytes still in the line when it hangs up are lost to any
    // reader, so waiting only for the device to have sent them races.
    ASSERT_TRUE(Pump([&] { return Terminal().Find(" kN") != -1; }, 5000));
    sim->Stop();
    ASSERT_TRUE(Pump([&] { return logger->GetDlgItem(CDatenloggerDlg::IDC_READ)->IsWindowVisible(); }, 3000));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), std::vector<CString>{vx::LoadText(5202, vx::kLanguageGerman)});
    const int lines = CountLines(logger->m_strRecords);
    EXPECT_TRUE(lines > 0 && lines < 24) << lines;
    EXPECT_FALSE(logger->GetReadout().IsReadoutRunning()) << "File > Save takes what came";
    Screenshot("logger_cut");
}

TEST_F(UserFlow, ControlTabKeypadPictureTakesClicksOnItsKeys)
{
    Start();
    ShowTab(2);
    auto* control = Page<CSteuernDlg>(2);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(DeviceGets("nnnnnnV"));
    PumpFor(300);
    ASSERT_FALSE(control->IsLargeLayout());
    QWidget* keypad = control->GetKeypad().GetPeer();
    // Where the keys are drawn in the picture (read off the screenshot).
    struct Key {
        QPoint at;
        const char* sent;
    };
    for (const Key& key : {Key{{64, 36}, "l"}, Key{{64, 105}, "m"}, Key{{91, 68}, "n"}, Key{{31, 68}, "k"}}) {
        const size_t mark = DeviceGot().size();
        const QPointF global(keypad->mapToGlobal(key.at));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(key.at), global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(keypad, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(key.at), global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(keypad, &release);
        ASSERT_TRUE(Pump([&] { return DeviceGot().size() > mark; }, 2000)) << key.sent;
        PumpFor(100);
        EXPECT_EQ(DeviceGot().substr(mark), key.sent);
    }
    QMouseEvent esc(QEvent::MouseButtonPress, QPointF(91, 68), QPointF(keypad->mapToGlobal(QPoint(91, 68))),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendEvent(keypad, &esc);
        PumpFor(60);
    }
    // Once the page has seen enough of the device's lines it mirrors its
    // display: home again after the Esc keys.
    ASSERT_TRUE(Pump([&] { return control->GetDisplayText().Find("MESSEN") >= 0; }, 2000))
        << control->GetDisplayText().str();
}
