// The main dialog with a recording port: start-up from the profile, the
// receive path and the terminal, the send paths on the manual clock, menus,
// language, window state, printing and the two ways of closing.
#include "support_fakeport.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "platform/Bmp.h"
#include "platform/Cursor.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Print.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "platform/Timer.h"
#include "res/Resources.h"
#include "tests/support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace {

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::WriteProfileString("Optionen", nullptr, nullptr);
        vx::WriteProfileString("Messenkonfiguration", nullptr, nullptr);
        vx::WriteProfileString("AllViewState", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", "Port", "OffLine");
    }
    void TearDown() override { Close(); }

    void Open(int language = 0)
    {
        if (language >= 0)
            vx::WriteProfileInt("Optionen", "Sprache", language);
        dlg = std::make_unique<CVX35_3Dlg>();
        dlg->SetPortManFactory([this](CWnd* owner) {
            auto p = std::make_unique<FakePortMan>(owner);
            port = p.get();
            return std::unique_ptr<CPortManGui>(std::move(p));
        });
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
    }
    void Close()
    {
        if (dlg && dlg->IsWindow())
            dlg->DestroyWindow();
        dlg.reset();
        port = nullptr;
    }
    void Feed(const std::string& bytes)
    {
        dlg->SendMessage(WM_PORT_DATA, bytes.size(), reinterpret_cast<LPARAM>(bytes.data()));
    }
    std::string TerminalText()
    {
        dlg->FlushTerminal();
        return dlg->GetTerminal().GetWindowTextString().str();
    }
    CString TabText(int i) { return dlg->GetSheet().GetTabControl()->GetItemText(i); }

    std::unique_ptr<CVX35_3Dlg> dlg;
    FakePortMan* port = nullptr;
};

} // namespace

TEST_F(MainDialogTest, FirstStartWritesChannelZeroAndTakesTheDesktopLanguage)
{
    Open(-1);
    EXPECT_EQ(vx::GetProfileString("Messenkonfiguration", "KANAL 0", ""), CString("0; 0; 1; 0.000000"));
    EXPECT_EQ(dlg->GetChannelTable()[0].m_bActive, 1);
    EXPECT_EQ(static_cast<int>(vx::GetProfileInt("Optionen", "Sprache", -1)), dlg->GetLanguageOffset());
    EXPECT_EQ(dlg->GetWindowTextString(), CString("VX35 VS Version 1.05"));
    EXPECT_EQ(dlg->GetChannelTable()[0].m_pPortMan, static_cast<CPortMan*>(port));
    // Every page got the shared state before the sheet was built.
    for (int i = 0; i < CVX35_3Dlg::kPageCount; ++i) {
        EXPECT_EQ(dlg->GetPage(i)->m_pChannelTable, dlg->GetChannelTable()) << i;
        EXPECT_NE(dlg->GetPage(i)->m_pBusyFlag, nullptr) << i;
    }
}

// A profile too large to read starts the program as a first start would,
// and the user is told where the old file went.
TEST_F(MainDialogTest, AnOversizedProfileStartsWithDefaultsAndSaysSoOnce)
{
    vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "3; 2; 0; 1.500000");
    const QString file = vx::ToQString(vx::ProfileFilePath());
    ASSERT_TRUE(QFile::resize(file, static_cast<qint64>(vx::kMaxProfileBytes) + 1));
    vx::ReloadProfile();
    vx::ModalScript::Clear();
    Open(-1);
    EXPECT_EQ(dlg->GetChannelTable()[0].m_iChannelId, 0);
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], vx::LoadText(5203, dlg->GetLanguageOffset()) + "\n\n" + vx::ProfileFilePath() + ".too-large");
    EXPECT_TRUE(QFile::remove(file + ".too-large"));
}

TEST_F(MainDialogTest, StoredLanguageAndChannelConfigurationWin)
{
    vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "3; 2; 0; 1.500000");
    Open(vx::kLanguageFrench);
    EXPECT_EQ(dlg->GetLanguageOffset(), vx::kLanguageFrench);
    const ChannelRecord& r = dlg->GetChannelTable()[0];
    EXPECT_EQ(r.m_iChannelId, 3);
    EXPECT_EQ(r.m_iOperator, 2);
    EXPECT_EQ(r.m_bActive, 0);
    EXPECT_DOUBLE_EQ(r.m_dOperand, 1.5);
    EXPECT_EQ(TabText(0), vx::FromUtf8("Configuration"));
    EXPECT_EQ(TabText(1), vx::FromUtf8("Mesurer"));
}

// The port named in the settings is missing at start: one warning, in the
// language the program starts in, naming the port once.
TEST_F(MainDialogTest, AMissingPortAtStartIsToldOnceInTheProgramsLanguage)
{
    vx::WriteProfileString("SerPort1", "Port", "/dev/ttyVX35none");
    vx::WriteProfileInt("Optionen", "Sprache", vx::kLanguageFrench);
    vx::ModalScript::Clear();
    dlg = std::make_unique<CVX35_3Dlg>();   // with the real port manager
    ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(),
              std::vector<CString>{vx::FromUtf8("Le port série /dev/ttyVX35none est absent. Vérifiez que l'appareil "
                                                "est branché ou choisissez un autre port.")});
}

TEST(MainDialogLanguage, LocaleNamesMapToOffsets)
{
    EXPECT_EQ(CVX35_3Dlg::LanguageForLocale("de_DE"), 0);
    EXPECT_EQ(CVX35_3Dlg::LanguageForLocale("de_AT"), 0);
    EXPECT_EQ(CVX35_3Dlg::LanguageForLocale("fr_FR"), 2000);
    EXPECT_EQ(CVX35_3Dlg::LanguageForLocale("es_ES"), 3000);
    EXPECT_EQ(CVX35_3Dlg::LanguageForLocale("ja_JP"), 1000);
    EXPECT_EQ(CVX35_3Dlg::LanguageForLocale("C"), 1000);
}

TEST_F(MainDialogTest, ReceivedBytesReachTextZeroAndTheTerminalAsTextAndHex)
{
    Open();
    dlg->ShowTerminal(true);
    Feed(std::string("OK\r\n", 4));
    Feed(std::string("a\0b\xC4", 4));
    EXPECT_EQ(dlg->ReceiveText(0).str(), std::string("OK\r\na\0b\xC4", 8));
    // Nothing after a zero byte is lost, and control bytes show as dots.
    EXPECT_EQ(TerminalText(), vx::FromUtf8("OK\r\na.bÄ").str());
    dlg->SetHexMode(true);
    EXPECT_EQ(TerminalText(), " [4F] [4B] [0D] [0A] [61] [00] [62] [C4]");
    dlg->GetChannelTable();   // the page emptying the text does not blank the view
    dlg->ReceiveText(0).Empty();
    EXPECT_EQ(TerminalText(), " [4F] [4B] [0D] [0A] [61] [00] [62] [C4]");
}

TEST_F(MainDialogTest, DataReachesOnlyTheShownPageAndTheShownNestedPage)
{
    Open();
    Feed("abc");
    EXPECT_EQ(dlg->GetPage(4)->m_dwReceivedBytes, 3u);   // nested tab 0 is shown
    for (int i : {1, 2, 3, 5, 6, 7, 8})
        EXPECT_EQ(dlg->GetPage(i)->m_dwReceivedBytes, 0u) << i;
    static_cast<CShellSetupPage*>(dlg->GetPage(0))->GetNestedSheet().SetActivePage(3);
    Feed("de");
    EXPECT_EQ(dlg->GetPage(7)->m_dwReceivedBytes, 2u);
    dlg->GetSheet().SetActivePage(2);
    Feed("f");
    EXPECT_EQ(dlg->GetPage(2)->m_dwReceivedBytes, 1u);
    EXPECT_EQ(dlg->GetPage(7)->m_dwReceivedBytes, 2u);
    EXPECT_EQ(dlg->ReceiveText(0), CString("abcdef"));
}

TEST_F(MainDialogTest, StoredSevenBitsEvenParityOpensAsEightNone)
{
    vx::WriteProfileInt("SerPort1", "DataBits", 7);
    vx::WriteProfileInt("SerPort1", "Parity", 2);
    Open();
    EXPECT_EQ(port->m_Dcb.m_byDataBits, 8);
    EXPECT_EQ(port->m_Dcb.m_byParity, NOPARITY);
}

TEST_F(MainDialogTest, TerminalRedrawIsCoalescedOnTheTimer)
{
    vx::ManualClock& clock = vx::UseManualClock();
    Open();
    dlg->ShowTerminal(true);
    Feed("abc");
    Feed("def");
    EXPECT_EQ(dlg->GetTerminal().GetWindowTextString(), CString(""));
    clock.advance(CVX35_3Dlg::kTerminalRefreshMs);
    EXPECT_EQ(dlg->GetTerminal().GetWindowTextString(), CString("abcdef"));
}

TEST_F(MainDialogTest, AStreamRefreshesTheTerminalAsOftenAsOneCanReadThenShowsItsLastBytes)
{
    vx::ManualClock& clock = vx::UseManualClock();
    Open();
    dlg->ShowTerminal(true);
    // A second of frames, 100 a second, each taken by the page before the next.
    int refreshes = 0;
    CString shown = dlg->GetTerminal().GetWindowTextString();
    for (int i = 0; i < 100; ++i) {
        dlg->ReceiveText(0).Empty();
        Feed("v" + std::to_string(i) + "\r\n");
        clock.advance(10);
        const CString now = dlg->GetTerminal().GetWindowTextString();
        if (now != shown)
            ++refreshes;
        shown = now;
    }
    EXPECT_GE(refreshes, 1000 / static_cast<int>(CVX35_3Dlg::kTerminalStreamMs) - 1);
    EXPECT_LE(refreshes, 1000 / static_cast<int>(CVX35_3Dlg::kTerminalStreamMs) + 1);
    clock.advance(CVX35_3Dlg::kTerminalStreamMs);
    EXPECT_EQ(dlg->GetTerminal().GetWindowTextString(), CString("v99\r\n"));
    // After a quiet spell the next bytes show as soon as ever.
    clock.advance(1000);
    dlg->ReceiveText(0).Empty();
    Feed("late\r\n");
    clock.advance(CVX35_3Dlg::kTerminalRefreshMs);
    EXPECT_EQ(dlg->GetTerminal().GetWindowTextString(), CString("late\r\n"));
}

TEST_F(MainDialogTest, ChunksThatComeAsOftenAsTheTerminalFollowsAreShownAsTheyCome)
{
    // The measure page takes the port's bytes with each 200 ms refresh:
    // once the stream runs, the terminal redraws with each chunk, in the
    // same wake-up, and needs no timer of its own.
    vx::ManualClock& clock = vx::UseManualClock();
    Open();
    dlg->ShowTerminal(true);
    int shownAtOnce = 0;
    for (int i = 0; i < 10; ++i) {
        dlg->ReceiveText(0).Empty();
        const std::string chunk = "v" + std::to_string(i) + "\r\n";
        Feed(chunk);
        if (i >= 5 && dlg->GetTerminal().GetWindowTextString() == CString(chunk.c_str()))
            ++shownAtOnce;
        clock.advance(CVX35_3Dlg::kTerminalStreamMs + 1);
    }
    EXPECT_EQ(shownAtOnce, 5);
}

TEST_F(MainDialogTest, TerminalShownAgainShowsWhatCameWhileItWasHidden)
{
    Open();
    dlg->ShowTerminal(true);
    Feed("old\r\n");
    EXPECT_EQ(TerminalText(), "old\r\n");
    dlg->ShowTerminal(false);
    dlg->ReceiveText(0).Empty();   // a page took its answer
    Feed("new\r\n");
    dlg->ShowTerminal(true);
    EXPECT_EQ(TerminalText(), "new\r\n");
}

TEST_F(MainDialogTest, ALargerWindowGivesItsRoomToTheTerminal)
{
    Open();
    dlg->ShowTerminal(true);
    auto terminalRect = [&] {
        CRect r;
        dlg->GetTerminal().GetWindowRect(&r);
        return r;
    };
    const CRect before = terminalRect();
    CRect window;
    dlg->GetWindowRect(&window);
    dlg->SetWindowPos(nullptr, 0, 0, window.Width() + 200, window.Height() + 100, SWP_NOMOVE | SWP_NOZORDER);
    const CRect grown = terminalRect();
    EXPECT_EQ(grown.Width(), before.Width() + 200);
    EXPECT_EQ(grown.Height(), before.Height() + 100);
    EXPECT_EQ(grown.TopLeft(), before.TopLeft());
    // Back to the size it had: the terminal too.
    dlg->SetWindowPos(nullptr, 0, 0, window.Width(), window.Height(), SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(terminalRect(), before);
    // Far too small: the terminal keeps a usable size.
    dlg->SetWindowPos(nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GE(terminalRect().Height(), CVX35_3Dlg::kTerminalMinHeight);
    EXPECT_GE(terminalRect().Width(), CVX35_3Dlg::kTerminalMinWidth);
}

TEST_F(MainDialogTest, ReceiveTextAndTerminalStayBoundedUnderALongStream)
{
    Open();
    dlg->ShowTerminal(true);
    const std::string chunk(4096, 'x');
    for (int i = 0; i < 2560; ++i)   // 10 MiB
        Feed(chunk);
    EXPECT_LE(dlg->ReceiveText(0).GetLength(), CVX35_3Dlg::kReceiveTextCap);
    EXPECT_GT(dlg->ReceiveText(0).GetLength(), CVX35_3Dlg::kReceiveTextCap / 2);
    EXPECT_LE(dlg->GetTerminalSnapshot().GetLength(), CRichEditCtrlExtended::kTextTailBytes);
    EXPECT_LE(static_cast<int>(TerminalText().size()), CRichEditCtrlExtended::kTextTailBytes);
}

TEST_F(MainDialogTest, DataIsIgnoredOnceClosing)
{
    Open();
    dlg->SendMessage(WM_COMMAND, ID_DATEI_BEENDEN, 0);
    Feed("late");
    EXPECT_TRUE(dlg->ReceiveText(0).IsEmpty());
}

TEST_F(MainDialogTest, PageSendsArePacedAndRouted)
{
    vx::ManualClock& clock = vx::UseManualClock(1000);
    Open();
    CMyPropertyPage* page = dlg->GetPage(1);
    port->writes.clear();
    const auto start = clock.now();
    page->SendHomeKeys(0);
    ASSERT_EQ(port->writes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(port->writes[i].bytes, "n");
        EXPECT_EQ(port->writes[i].atMs - start, 25 * i);
    }
    EXPECT_EQ(clock.now() - start, 125);

    port->writes.clear();
    page->SendCommandBytes2(0, 'f', 3);
    ASSERT_EQ(port->writes.size(), 1u);   // one write: no tick byte can split it
    EXPECT_EQ(port->writes[0].bytes, std::string("f\x03"));
    EXPECT_EQ(clock.now() - start, 150);

    // Connection mode 0: channel 3 goes to record 0's port.
    port->writes.clear();
    page->SendCommandByte(3, 'D');
    EXPECT_EQ(port->AllBytes(), "D");
    // Mode 1: channel 3 has no port of its own; the byte is dropped.
    *page->m_pConnectionMode = 1;
    port->writes.clear();
    page->SendCommandByte(3, 'D');
    EXPECT_TRUE(port->writes.empty());
    // ...and its answer text is text 3, a channel beyond the texts uses text 0.
    *page->m_pCurrentChannel = 3;
    EXPECT_EQ(page->AnswerText(), &dlg->ReceiveText(3));
    *page->m_pCurrentChannel = 7;
    EXPECT_EQ(page->AnswerText(), &dlg->ReceiveText(0));
    *page->m_pCurrentChannel = 0;
    *page->m_pConnectionMode = 0;
}

TEST_F(MainDialogTest, EscSendsTheDeviceHomeAndBeendenDoesNot)
{
    vx::ManualClock& clock = vx::UseManualClock(0);
    Open();
    port->writes.clear();
    const auto start = clock.now();
    dlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
    ASSERT_EQ(port->writes.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(port->writes[i].bytes, "n");
        EXPECT_EQ(port->writes[i].atMs - start, 25 * i);
    }
    EXPECT_TRUE(dlg->IsClosing());
    Close();

    Open();
    port->writes.clear();
    dlg->SendMessage(WM_COMMAND, ID_DATEI_BEENDEN, 0);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_TRUE(dlg->IsClosing());
}

TEST_F(MainDialogTest, TheShownPageIsHiddenBeforeTheHomeKeysGoOut)
{
    // Hidden, the measure page stops its value requests; none may run
    // between the keys.
    struct Recorder : CShellEmptyPage {
        Recorder() : CShellEmptyPage(109) {}
        std::function<void()> onHide;
        void OnShowWindow(BOOL show, UINT status) override
        {
            CShellEmptyPage::OnShowWindow(show, status);
            if (!show && onHide)
                onHide();
        }
    };
    Recorder* recorder = nullptr;
    SetMainPageFactory([&] {
        CMainPageSet set = MakeShellPages();
        auto r = std::make_unique<Recorder>();
        recorder = r.get();
        set.tabs[1] = std::move(r);
        return set;
    });
    vx::UseManualClock(0);
    Open();
    SetMainPageFactory({});
    dlg->GetSheet().SetActivePage(1);
    port->writes.clear();
    size_t writesWhenHidden = 99;
    recorder->onHide = [&] { writesWhenHidden = port->writes.size(); };
    dlg->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(writesWhenHidden, 0u);
    EXPECT_EQ(port->AllBytes(), "nnnnn");
    recorder->onHide = nullptr;
}

TEST_F(MainDialogTest, EnterDoesNotEndTheProgram)
{
    Open();
    dlg->SendMessage(WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(dlg->IsClosing());
    EXPECT_TRUE(port->writes.empty());
}

TEST_F(MainDialogTest, MenuStatesFollowThePagesAndSurviveALanguageSwitch)
{
    Open(vx::kLanguageGerman);
    CIconMenu& menu = dlg->GetIconMenu();
    // The setup page is shown first; its refresh greys all three items.
    EXPECT_FALSE(menu.IsItemEnabled(ID_DATEI_OEFFNEN));
    EXPECT_FALSE(menu.IsItemEnabled(ID_DATEI_DRUCKEN));
    dlg->SendMessage(WM_ENABLE_PRINT, 0, 1);
    dlg->SendMessage(WM_ENABLE_FILE_SAVE, 0, 1);
    EXPECT_TRUE(menu.IsItemEnabled(ID_DATEI_DRUCKEN));
    dlg->SendMessage(WM_COMMAND, ID_SPRACHE_FRANCAIS, 0);
    EXPECT_EQ(dlg->GetLanguageOffset(), vx::kLanguageFrench);
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Sprache", -1), 2000u);
    EXPECT_TRUE(menu.IsItemEnabled(ID_DATEI_DRUCKEN));
    EXPECT_TRUE(menu.IsItemEnabled(ID_DATEI_SPEICHERN));
    EXPECT_FALSE(menu.IsItemEnabled(ID_DATEI_OEFFNEN));
    EXPECT_TRUE(menu.IsItemChecked(ID_SPRACHE_FRANCAIS));
    EXPECT_FALSE(menu.IsItemChecked(ID_SPRACHE_DEUTSCH));
    CString text;
    menu.GetMenuString(0, text, MF_BYPOSITION);
    EXPECT_EQ(text, CString("&Fichier"));
    EXPECT_EQ(TabText(2), CString("Commande"));
    // The nested tabs follow at once.
    auto& nested = static_cast<CShellSetupPage*>(dlg->GetPage(0))->GetNestedSheet();
    EXPECT_EQ(nested.GetTabControl()->GetItemText(0), vx::FromUtf8("En-tête"));
}

TEST_F(MainDialogTest, WindowStateAndTerminalStateRoundTripAndAreClampedOnScreen)
{
    Open();
    dlg->ShowTerminal(false);
    dlg->SetWindowPos(nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    dlg->SaveWindowState();
    EXPECT_EQ(vx::GetProfileInt("AllViewState\\Configs\\WindowPos", "BcdHexState", 9), 0u);
    Close();

    Open();
    EXPECT_FALSE(dlg->IsTerminalShown());
    EXPECT_FALSE(dlg->GetTerminal().IsWindowVisible());
    CRect r;
    dlg->GetWindowRect(&r);
    EXPECT_EQ(r.left, 40);
    EXPECT_EQ(r.top, 30);
    Close();

    vx::WriteProfileInt("AllViewState\\Configs\\WindowPos", "Left", 99999);
    vx::WriteProfileInt("AllViewState\\Configs\\WindowPos", "Top", -5000);
    Open();
    dlg->GetWindowRect(&r);
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_GE(r.left, avail.left());
    EXPECT_LE(r.left, avail.right());
    EXPECT_GE(r.top, avail.top());
}

TEST_F(MainDialogTest, AWindowMadeLargerComesBackAtItsSizeButNeverSmallerThanTheLayout)
{
    const char* section = "AllViewState\\Configs\\WindowPos";
    Open();
    CRect layout;
    dlg->GetWindowRect(&layout);
    dlg->SetWindowPos(nullptr, 20, 20, layout.Width() + 120, layout.Height() + 80, SWP_NOZORDER);
    dlg->SaveWindowState();
    Close();

    Open();
    CRect r;
    dlg->GetWindowRect(&r);
    EXPECT_EQ(r.Width(), layout.Width() + 120);
    EXPECT_EQ(r.Height(), layout.Height() + 80);
    Close();

    vx::WriteProfileInt(section, "Width", 10);
    vx::WriteProfileInt(section, "Height", 10);
    Open();
    dlg->GetWindowRect(&r);
    EXPECT_EQ(r.Width(), layout.Width());
    EXPECT_EQ(r.Height(), layout.Height());
    Close();

    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    vx::WriteProfileInt(section, "Width", avail.width() * 3);
    vx::WriteProfileInt(section, "Height", avail.height() * 3);
    Open();
    dlg->GetWindowRect(&r);
    EXPECT_LE(r.Width(), std::max(avail.width(), layout.Width()));
    EXPECT_LE(r.Height(), std::max(avail.height(), layout.Height()));
}

TEST_F(MainDialogTest, BusyFlagTogglesOnlyOnChange)
{
    Open();
    dlg->BeginBusy();
    dlg->BeginBusy();
    EXPECT_EQ(dlg->GetBusyFlag(), 1);
    EXPECT_EQ(vx::WaitCursorDepth(), 1);
    dlg->EndBusy();
    dlg->EndBusy();
    EXPECT_EQ(dlg->GetBusyFlag(), 0);
    EXPECT_EQ(vx::WaitCursorDepth(), 0);
}

TEST_F(MainDialogTest, FileOpenOnAPageWithoutOneSaysSo)
{
    Open();
    dlg->GetSheet().SetActivePage(1);
    vx::ModalScript::Clear();
    dlg->SendMessage(WM_COMMAND, ID_DATEI_OEFFNEN, 0);
    const auto texts = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], vx::FromUtf8("Datei öffnen geht noch nicht"));
}

TEST_F(MainDialogTest, PrintingTheActivePageWritesAPdfAtSixHundredDpi)
{
    Open();
    dlg->GetSheet().SetActivePage(1);
    const QString pdf = QDir::temp().filePath("vx35-appshell-print.pdf");
    QFile::remove(pdf);
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, vx::FromQString(pdf), 0, {}});
    EXPECT_TRUE(dlg->PrintActivePage());
    EXPECT_EQ(dlg->GetPrinterScale(), 600);
    EXPECT_TRUE(QFile::exists(pdf));
    QFile::remove(pdf);
    // Cancelled: nothing printed, nothing reported.
    vx::ModalScript::Clear();
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDCANCEL, {}, 0, {}});
    EXPECT_FALSE(dlg->PrintActivePage());
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    // A file that cannot be written is reported, not taken for success.
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, "/nonexistent-dir/x.pdf", 0, {}});
    EXPECT_FALSE(dlg->PrintActivePage());
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);
}

// A report the disk cannot take leaves the earlier one whole, and the
// message names the file and the system's reason.
TEST_F(MainDialogTest, APrintToAFullDiskKeepsTheEarlierPdf)
{
    Open();
    dlg->GetSheet().SetActivePage(1);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, vx::FromQString(pdf), 0, {}});
    ASSERT_TRUE(dlg->PrintActivePage());
    QFile file(pdf);
    const QByteArray earlier = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    vx::ModalScript::Clear();
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, vx::FromQString(pdf), 0, {}});
    {
        FileSizeLimit full(static_cast<rlim_t>(earlier.size() / 2));
        EXPECT_FALSE(dlg->PrintActivePage());
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), earlier);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    const auto boxes = FileBoxesOnly(vx::ModalScript::MessageBoxTexts());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], vx::PrintFailureMessage(vx::PrintProblem::FileNotWritable, vx::FromQString(pdf),
                                                FullDiskReason()));
}

TEST_F(MainDialogTest, ScreenshotsInGermanAndFrench)
{
    for (int language : {vx::kLanguageGerman, vx::kLanguageFrench}) {
        Open(language);
        dlg->ShowWindow(SW_SHOW);
        dlg->ShowTerminal(true);
        Feed("VX35 V1.05 H1\r\nSTATUS OK 0000\r\n");
        Feed(std::string("\x30\x02\x0D\x0A", 4));
        dlg->SetHexMode(language == vx::kLanguageFrench);
        dlg->FlushTerminal();
        QWidget* w = dlg->GetPeer();
        ASSERT_NE(w, nullptr);
        const QImage shot = w->window()->grab().toImage();
        const QString name = QString::fromLatin1(VX35_BINARY_DIR) + (language == 0 ? "/main_de.png" : "/main_fr.png");
        EXPECT_TRUE(shot.save(name));
        Close();
    }
}

TEST_F(MainDialogTest, PagesAreGoneBeforeThePortManagerIsDeleted)
{
    bool pageAliveAtPortDeletion = true;
    struct Watch : FakePortMan {
        using FakePortMan::FakePortMan;
        std::function<void()> onDelete;
        ~Watch() override
        {
            if (onDelete)
                onDelete();
        }
    };
    dlg = std::make_unique<CVX35_3Dlg>();
    Watch* watch = nullptr;
    dlg->SetPortManFactory([&](CWnd* owner) {
        auto w = std::make_unique<Watch>(owner);
        watch = w.get();
        return std::unique_ptr<CPortManGui>(std::move(w));
    });
    ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
    dlg->GetSheet().SetActivePage(1);
    CMyPropertyPage* page = dlg->GetPage(1);
    ASSERT_TRUE(page->IsWindow());
    watch->onDelete = [&] { pageAliveAtPortDeletion = page->IsWindow(); };
    dlg->DestroyWindow();
    EXPECT_FALSE(pageAliveAtPortDeletion);
    EXPECT_EQ(dlg->GetPortMan(), nullptr);
    EXPECT_EQ(dlg->GetChannelTable()[0].m_pPortMan, nullptr);
}

TEST_F(MainDialogTest, ALogoCopyCutShortAtAnEarlierStartIsWrittenAnew)
{
    Open();
    const std::string logo = dlg->m_strLogoBitmapPath.str();
    const std::vector<BYTE> whole = vx::EncodeBmp32(vx::LoadResourceBitmap(CVX35_3Dlg::kLogoBitmapId));
    ASSERT_GT(whole.size(), 100u);
    Close();
    {
        // What a full disk leaves: the name, and a part of the file.
        QFile f(QString::fromStdString(logo));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(whole.data()), 100);
    }
    Open();
    QFile f(QString::fromStdString(logo));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(whole.data()), static_cast<qsizetype>(whole.size())));
}
