// The device pages in a sheet of their own, with a recording port and the
// manual clock: what goes on the wire and when, what the pages show, and
// which File menu items they grey.
#include "app/StringTable.h"
#include "measure/ChannelConfig.h"
#include "measure/MessenDlgEinstellen.h"
#include "pages/BefehleDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/DatumDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/FirmenkopfDlg.h"
#include "pages/ParameterDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/Clipboard.h"
#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"
#include "print/Page.h"
#include "res/Resources.h"
#include "tests/pages/RecordingPort.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Stands in for the main dialog: owns the shared page state and the port,
// hosts the pages in a sheet and records the File menu messages.
class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        clock = &vx::UseManualClock(1000);
        table[0].m_pPortMan = &port;
    }
    void TearDown() override
    {
        if (sheet && sheet->IsWindow())
            sheet->DestroyWindow();
        sheet.reset();
        table[0].m_pPortMan = nullptr;
    }

    void Wire(CMyPropertyPage& page)
    {
        CPageSharedState s;
        s.pChannelTable = table;
        s.pReceiveStrings = rx;
        s.pLanguageOffset = &language;
        s.pConnectionMode = &connection;
        s.pCurrentChannel = &channel;
        s.pBusyFlag = &busy;
        s.pOperatingMode = &operating;
        s.pArrivalStatus = &arrival;
        page.SetSharedState(s);
    }
    // Creating the sheet activates its first page.
    void Host(std::initializer_list<CMyPropertyPage*> pages)
    {
        sheet = std::make_unique<CPropertySheet>();
        for (CMyPropertyPage* p : pages) {
            Wire(*p);
            sheet->AddPage(p);
        }
        for (UINT msg : {WM_ENABLE_FILE_OPEN, WM_ENABLE_FILE_SAVE, WM_ENABLE_PRINT})
            sheet->MapMessageFn(msg, [this, msg](WPARAM, LPARAM l) {
                menu.push_back({msg, l});
                return LRESULT(0);
            });
        ASSERT_TRUE(sheet->Create(nullptr, WS_POPUP | WS_VISIBLE));
    }
    void Feed(CMyPropertyPage& page, const std::string& bytes, int port = 0)
    {
        rx[port] += CString(bytes.data(), static_cast<int>(bytes.size()));
        page.OnDataReceived(static_cast<int>(bytes.size()), port);
    }
    // Every page send leaves exactly one write followed by 25 ms of quiet.
    void ExpectPaced(size_t first, size_t count)
    {
        for (size_t i = first + 1; i < first + count && i < port.writes.size(); ++i)
            EXPECT_EQ(port.writes[i].atMs - port.writes[i - 1].atMs, 25) << "write " << i;
    }
    std::string Menu() const
    {
        std::string s;
        for (auto [msg, on] : menu)
            s += (msg == WM_ENABLE_FILE_OPEN ? "O" : msg == WM_ENABLE_FILE_SAVE ? "S" : "P") + std::to_string(on) + " ";
        return s;
    }

    vx::ManualClock* clock = nullptr;
    RecordingPort port;
    ChannelRecord table[kChannelCount];
    CString rx[kReceiveTextCount];
    int language = 0, connection = 0, channel = 0, busy = 0, operating = 0;
    BYTE arrival = 0;
    std::unique_ptr<CPropertySheet> sheet;
    std::vector<std::pair<UINT, LPARAM>> menu;
};

CString Text(CWnd& page, int id)
{
    CWnd* w = page.GetDlgItem(id);
    return w ? w->GetWindowTextString() : CString("<missing>");
}

// A key pressed with Ctrl on a control, through the real event path.
void CtrlKey(CWnd* control, int qtKey)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::ControlModifier);
    QCoreApplication::sendEvent(control->GetPeer(), &press);
}

std::string Echo(int keys) { return std::string(static_cast<size_t>(keys) * 10, 'x'); }

} // namespace

// ---- Commands, date and company header pages --------------------------------------

TEST_F(PageFixture, CommandsPageSendsHomeKeysOnActivationAndOneRequestPerButton)
{
    CBefehleDlg page;
    Host({&page});
    EXPECT_EQ(port.All(), "nnnnn");
    ExpectPaced(0, 5);
    // The refresh greys Open first; the activation then greys all three.
    EXPECT_EQ(Menu(), "O0 O0 S0 P0 ");
    rx[0] = "old";
    port.writes.clear();
    page.SendMessage(WM_COMMAND, CBefehleDlg::IDC_STATUS_LONG);
    page.SendMessage(WM_COMMAND, CBefehleDlg::IDC_VERSION);
    EXPECT_EQ(port.All(), "EV");
    EXPECT_TRUE(rx[0].IsEmpty());
    EXPECT_EQ(Text(page, CBefehleDlg::IDC_VERSION), "Versions Nr.");
    EXPECT_EQ(Text(page, CBefehleDlg::IDC_SENSOR), "Sensorparameter");
}

TEST_F(PageFixture, DatePageShowsTheAnswerAndSetsTheClockFromThePc)
{
    CDatumDlg page;
    Host({&page});
    EXPECT_TRUE(port.All().empty()) << "the date page sends no home keys";
    page.SendMessage(WM_COMMAND, CDatumDlg::IDC_READ);
    clock->advance(CDeviceTextRead::kQuietBeforeRequestMs);
    EXPECT_EQ(port.All(), "b");
    Feed(page, "01.03.09  08:05:03 and more text\r\n");
    EXPECT_EQ(Text(page, CDatumDlg::IDC_DATE), "01.03.09 08:05:03");

    vx::SetLocalTimeOverride(QDateTime(QDate(2009, 3, 1), QTime(8, 5, 3)));
    page.SetDlgItemText(CDatumDlg::IDC_DATE, "typed by the user");
    port.writes.clear();
    page.SendMessage(WM_COMMAND, CDatumDlg::IDC_WRITE);
    ASSERT_EQ(port.writes.size(), 1u) << "the frame leaves in one write";
    EXPECT_EQ(port.writes[0].bytes, std::string("a\0" "01.03.09 08:05:03" "\x4D\x2C", 21));
    EXPECT_EQ(Text(page, CDatumDlg::IDC_DATE), "01.03.09 08:05:03");
    vx::SetLocalTimeOverride(std::nullopt);
}

TEST_F(PageFixture, HeaderPageStripsTheAnswerAndSendsWithoutEtx)
{
    CFirmenkopfDlg page;
    Host({&page});
    EXPECT_EQ(Menu(), "O0 S0 P1 ") << "activation enables Print";
    page.RefreshPage();
    EXPECT_EQ(Menu(), "O0 S0 P1 O0 S0 P0 ");
    page.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_READ);
    clock->advance(CDeviceTextRead::kQuietBeforeRequestMs);
    EXPECT_EQ(port.All(), "d");
    Feed(page, "\r\nFirma");
    Feed(page, " GmbH\x03");
    EXPECT_EQ(page.m_strHeader, "Firma GmbH");

    port.writes.clear();
    page.SetDlgItemText(CFirmenkopfDlg::IDC_HEADER, CString("Line 1\nLi\x03ne 2", 14));
    page.SendMessage(WM_COMMAND, CFirmenkopfDlg::IDC_WRITE);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].bytes, "cLine 1\r\nLine 2\x03");
}

TEST_F(PageFixture, HeaderPrintsEachOfItsLinesOnALineOfItsOwn)
{
    CFirmenkopfDlg page;
    page.m_strHeader = "QUORIN\r\nHalle 3";
    QImage paper(1200, 800, QImage::Format_RGB32);
    paper.fill(Qt::white);
    CDC dc;
    dc.AttachImage(&paper);
    CPage print(&dc);
    page.PrintPage(&print);
    // Bands of rows with ink: one per printed line.
    int bands = 0;
    bool inked = false;
    for (int y = 0; y < paper.height(); ++y) {
        bool row = false;
        for (int x = 0; x < paper.width() && !row; ++x)
            row = paper.pixel(x, y) != qRgb(255, 255, 255);
        if (row && !inked)
            ++bands;
        inked = row;
    }
    EXPECT_EQ(bands, 2);
}

// ---- Control page -------------------------------------------------------------------

TEST_F(PageFixture, ControlPageIdentifiesTheDeviceAfterTheEchoOfSixEscKeys)
{
    CSteuernDlg page;
    Host({&page});
    EXPECT_EQ(port.All(), "nnnnnn");
    ExpectPaced(0, 6);
    EXPECT_EQ(Menu(), "S0 P0 O0 O0 S0 P0 ");
    EXPECT_EQ(Text(page, CSteuernDlg::IDC_MODEL), "VX 35");

    Feed(page, std::string(49, 'x'));
    EXPECT_EQ(port.All(), "nnnnnn");
    Feed(page, "x");
    EXPECT_EQ(port.All(), "nnnnnnV");
    EXPECT_TRUE(vx::HasTimer(&page, 1));
    Feed(page, "VX35 H1 105\r\n");
    EXPECT_EQ(table[0].m_iDeviceVariant, 800);
    EXPECT_FALSE(vx::HasTimer(&page, 1));

    // The display follows once the 50 bytes after 'V' are in.
    Feed(page, std::string(40, 'y'));
    EXPECT_TRUE(page.GetDisplayText().IsEmpty());
    Feed(page, "ABCDEFGHIJ%sL");
    EXPECT_EQ(Text(page, CSteuernDlg::IDC_DISPLAY), "DEFGHIJ%");
}

TEST_F(PageFixture, ControlPageVariantComesFromTheWholeAnswerHoweverItIsCut)
{
    CSteuernDlg page;
    Host({&page});
    Feed(page, Echo(5));
    Feed(page, "VX35 ");
    Feed(page, "H1 105\r\n");
    EXPECT_EQ(table[0].m_iDeviceVariant, 800);

    // Activation starts over; a silent device leaves the variant alone.
    page.SendMessage(CSteuernDlg::WM_ACTIVATE_CONTROL);
    Feed(page, Echo(6));
    clock->advance(1000);
    EXPECT_FALSE(vx::HasTimer(&page, 1));
    EXPECT_EQ(table[0].m_iDeviceVariant, 800);
    EXPECT_EQ(page.GetConversation().GetHandler(), CControlConversation::Handler::DisplayFirst);
}

TEST_F(PageFixture, ControlPageSkipsTheLastHomeKeyEchoHandedOverAfterVersion)
{
    CSteuernDlg page;
    Host({&page});
    for (int i = 0; i < 5; ++i)
        Feed(page, "MESSEN  \r\n");
    ASSERT_EQ(port.All(), "nnnnnnV");
    Feed(page, "MESSEN  \r\n");
    Feed(page, "VX35 H1 105\r\n");
    EXPECT_EQ(table[0].m_iDeviceVariant, 800);
}

TEST_F(PageFixture, ControlPageButtonsPlayTheirSequencesWithPauses)
{
    CSteuernDlg page;
    Host({&page});
    port.writes.clear();
    const std::int64_t start = vx::NowMs();
    page.SendMessage(WM_COMMAND, 1038); // "Datum"
    EXPECT_EQ(port.All(), "nnnnnlklllllllkkl");
    // 16 paced keys, the 1000 ms pause, then the last key.
    ASSERT_EQ(port.writes.size(), 17u);
    ExpectPaced(0, 16);
    EXPECT_EQ(port.writes[16].atMs - port.writes[15].atMs, 1025);
    EXPECT_EQ(vx::NowMs() - start, 17 * 25 + 1000);

    port.writes.clear();
    page.SendMessage(WM_COMMAND, 1044); // "3 Kalib"
    EXPECT_EQ(port.All(), "nnnnnlkllllkmklllkmmmklllkk");
    ExpectPaced(0, 27);
}

TEST_F(PageFixture, ControlPageKeypadZonesLieOnTheDrawnKeys)
{
    CSteuernDlg page;
    Host({&page});
    ASSERT_FALSE(page.IsLargeLayout());
    const QImage keypad = page.GetKeypad().GetImage();
    ASSERT_FALSE(keypad.isNull());
    const CRect shown = page.GetKeypad().GetImageRect();
    // The picture is shown at its own size, so image pixels are click pixels.
    EXPECT_EQ(shown.Width(), keypad.width());
    EXPECT_EQ(shown.Height(), keypad.height());
    const QRgb housing = qRgb(26, 70, 28);
    struct Zone {
        char key;
        int x, y;
    };
    // A point in each zone of both layouts (the large ones scaled to this
    // picture) must fall on a key, not on the housing colour.
    for (Zone z : {Zone{'l', 64, 36}, Zone{'m', 64, 106}, Zone{'k', 31, 67}, Zone{'n', 91, 67}, Zone{'l', 63, 35},
                   Zone{'m', 63, 106}, Zone{'k', 31, 67}, Zone{'n', 94, 67}}) {
        EXPECT_NE(keypad.pixel(z.x, z.y), housing) << z.key;
        EXPECT_EQ(KeypadHitTest(z.x, z.y, false), z.key);
    }
    port.writes.clear();
    // Zone bounds are exclusive; in the large layout (60, 30) is a corner.
    EXPECT_EQ(KeypadHitTest(60, 30, true), 0);
    EXPECT_EQ(KeypadHitTest(61, 31, true), 'l');
    page.SendMessage(WM_WNDIMAGE_CLICK, CSteuernDlg::IDC_KEYPAD, CWndImage::ClickParam(50, 30));
    EXPECT_EQ(port.All(), "");
    page.SendMessage(WM_WNDIMAGE_CLICK, CSteuernDlg::IDC_KEYPAD, CWndImage::ClickParam(61, 31));
    page.SendMessage(WM_WNDIMAGE_CLICK, CSteuernDlg::IDC_KEYPAD, CWndImage::ClickParam(90, 60));
    EXPECT_EQ(port.All(), "ln");
}

TEST_F(PageFixture, ControlPageRepaintsItsKeypadOnlyWhenTheKeypadChanges)
{
    // No paint handler invalidates another window: painting the page or the
    // display beside the keypad must not paint the keypad as well.
    CSteuernDlg page;
    Host({&page});
    QWidget* keypad = page.GetKeypad().GetPeer();
    ASSERT_NE(keypad, nullptr);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    struct Counter : QObject {
        QWidget* target = nullptr;
        int paints = 0;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (o == target && e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    counter.target = keypad;
    qApp->installEventFilter(&counter);
    // A corner of the page with no control on it, and the display field.
    const CRect corner(0, 0, 3, 3);
    page.InvalidateRect(&corner);
    CWnd* display = page.GetDlgItem(CSteuernDlg::IDC_DISPLAY);
    ASSERT_NE(display, nullptr);
    display->Invalidate();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    // Its own change still shows.
    page.GetKeypad().SetLayoutMode(page.GetKeypad().GetLayoutMode() == 3 ? 2 : 3);
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_GE(counter.paints, 1);
    qApp->removeEventFilter(&counter);
}

TEST_F(PageFixture, ControlPageTextsFollowTheLanguage)
{
    CSteuernDlg page;
    Host({&page});
    EXPECT_EQ(Text(page, 1037), "Logg Mode");
    language = 1000;
    page.SetLanguageTexts();
    EXPECT_EQ(Text(page, 1028), "Measuring Mode");
    EXPECT_EQ(Text(page, 1044), "3 Calib");
}

// ---- Data logger page ----------------------------------------------------------------

TEST_F(PageFixture, LoggerPageReadsOutShowsAndEndsAfterSilence)
{
    CDatenloggerDlg page;
    Host({&page});
    EXPECT_EQ(port.All(), "nnnnn");
    EXPECT_EQ(Menu(), "O0 P0 S1 ");
    Feed(page, Echo(5));
    port.writes.clear();

    page.SendMessage(WM_COMMAND, CDatenloggerDlg::IDC_READ);
    EXPECT_EQ(port.All(), "A");
    EXPECT_FALSE(page.GetDlgItem(CDatenloggerDlg::IDC_READ)->IsWindowVisible());
    Feed(page, "\r\nQUORIN Messtechnik\x03" "AUTO    10 sec  \r\n");
    EXPECT_EQ(busy, 1);
    Feed(page, " 12,34 Nm  \r\n");
    clock->advance(300);
    Feed(page, " 12,35 Nm  \r\n");
    clock->advance(499);
    EXPECT_TRUE(page.m_strRecords.IsEmpty());
    clock->advance(1);
    EXPECT_EQ(page.m_strHeader, "QUORIN Messtechnik");
    EXPECT_EQ(page.m_strMode, "AUTO    10 sec  ");
    EXPECT_EQ(page.m_strRecords, " 12,34 Nm  \r\n 12,35 Nm  \r\n");
    EXPECT_EQ(busy, 0);
    EXPECT_TRUE(page.GetDlgItem(CDatenloggerDlg::IDC_READ)->IsWindowVisible());
    clock->advance(2000);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty()) << "no give-up box after a good read-out";
}

TEST_F(PageFixture, LoggerPageCopiesTheFocusedFieldsSelection)
{
    CDatenloggerDlg page;
    Host({&page});
    page.m_strRecords = " 1,00 Nm  \r\n";
    page.UpdateData(FALSE);
    CWnd* records = page.GetDlgItem(CDatenloggerDlg::IDC_RECORDS);
    sheet->GetPeer()->activateWindow();
    QCoreApplication::processEvents();
    records->SetFocus();
    ASSERT_EQ(QApplication::focusWidget(), records->GetPeer());
    vx::SetClipboardText("before");
    CtrlKey(records, Qt::Key_A);
    CtrlKey(records, Qt::Key_X);
    EXPECT_EQ(vx::GetClipboardText(), " 1,00 Nm  \r\n");
    EXPECT_EQ(records->GetWindowTextString(), " 1,00 Nm  \r\n") << "Ctrl+X copies only";
    MSG esc{records, WM_KEYDOWN, VK_ESCAPE, 0};
    EXPECT_TRUE(page.PreTranslateMessage(&esc));
}

// ---- Parameter page ----------------------------------------------------------------

namespace {

CString ParameterRecord(int row)
{
    CString r;
    r.Format("Sens%02d  ", row);
    r += static_cast<char>(0x05);
    r += static_cast<char>(((row / 10) << 4) | (row % 10));
    r += CString("Nm", 2) + CString('\0');
    r += static_cast<char>(0x52);
    r += CString("\x03\xE8\x75", 3);
    r += static_cast<char>(0x30 + row);
    const CheckBytes cb = TextCheckBytes(r);
    return r + static_cast<char>(cb.s1) + static_cast<char>(cb.s2);
}

const std::string kFactoryWords("\x12\x35\x12\x34\x00\x20\x00\x01\x00\x00\x30\x00\x00\x10\x00\x00", 16);

} // namespace

class ParameterPageTest : public PageFixture {
protected:
    // Plays the device: answers each request once it is on the wire, in
    // pieces of `piece` bytes, until the read is over or time runs out.
    void Converse(size_t piece = 1000)
    {
        size_t answered = 0;
        for (int step = 0; step < 400 && page.GetRead().IsRunning(); ++step) {
            if (port.writes.size() > answered) {
                const std::string w = port.writes.back().bytes;
                answered = port.writes.size();
                std::string answer;
                if (w == "V")
                    answer = "VX35 H2 105\r\n";
                else if (w == "W")
                    answer = kFactoryWords;
                else if (w.size() == 2 && w[0] == 'f')
                    answer = ParameterRecord(w[1]).str();
                for (size_t i = 0; i < answer.size(); i += piece)
                    Feed(page, answer.substr(i, piece));
                continue;
            }
            clock->advance(50);
        }
    }
    CParameterDlg page;
};

TEST_F(ParameterPageTest, ActivationHidesSendOffersOpenAndSendsHomeKeys)
{
    Host({&page});
    EXPECT_EQ(port.All(), "nnnnn");
    EXPECT_FALSE(page.GetDlgItem(CParameterDlg::IDC_SEND)->IsWindowVisible());
    EXPECT_TRUE(page.GetDlgItem(CParameterDlg::IDC_READ)->IsWindowVisible());
    EXPECT_EQ(Menu(), "O1 S0 P0 ");
}

// "senden" stands over a complete read with the port on line; File > Open
// while nothing runs, File > Save while the page holds a table.
TEST_F(ParameterPageTest, SendAndSaveAreInReachOnlyOverACompleteRead)
{
    Host({&page});
    CWnd* send = page.GetDlgItem(CParameterDlg::IDC_SEND);
    page.SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    EXPECT_EQ(Menu().substr(Menu().size() - 9), "O0 S0 P0 ");
    Converse();
    EXPECT_TRUE(send->IsWindowVisible());
    EXPECT_EQ(Menu().substr(Menu().size() - 9), "O1 S1 P1 ");
    port.m_Dcb.PortState = PORTSTATE_REMOVED;
    page.RefreshPage();
    EXPECT_FALSE(send->IsWindowVisible());
    port.m_Dcb.PortState = PORTSTATE_ONLINE;
    page.RefreshPage();
    EXPECT_TRUE(send->IsWindowVisible());
}

TEST_F(ParameterPageTest, ReadFillsAllTenRowsAndAllowsPrinting)
{
    Host({&page});
    port.writes.clear();
    menu.clear();
    page.SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    EXPECT_FALSE(page.GetDlgItem(CParameterDlg::IDC_READ)->IsWindowVisible());
    Converse();
    ASSERT_EQ(page.GetRead().PrintAllowed(), 1);
    const std::string wire = port.All();
    EXPECT_EQ(wire.substr(0, 7), "nnnnnVW");
    for (int r = 1; r <= 10; ++r) {
        EXPECT_NE(wire.find(std::string("f") + static_cast<char>(r)), std::string::npos) << r;
        EXPECT_EQ(Text(page, CParameterDlg::IDC_NAME_FIRST + r - 1), page.GetRead().Row(r - 1).name);
    }
    EXPECT_EQ(page.GetRead().Row(0).name.Left(6), "Sens01");
    EXPECT_EQ(Text(page, CParameterDlg::IDC_NAME_FIRST + 9).Left(6), "Sens10");
    EXPECT_EQ(Text(page, CParameterDlg::IDC_UNIT_FIRST + 9), "Nm");
    EXPECT_FALSE(Text(page, CParameterDlg::IDC_TYPE_FIRST + 9).IsEmpty());
    EXPECT_NE(Menu().find("P1"), std::string::npos) << Menu();
}

TEST_F(ParameterPageTest, RecordsInSevenBytePiecesGiveTheSameTable)
{
    Host({&page});
    page.SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    Converse(7);
    ASSERT_EQ(page.GetRead().PrintAllowed(), 1);
    for (int r = 0; r < 10; ++r) {
        CString name;
        name.Format("Sens%02d", r + 1);
        EXPECT_EQ(Text(page, CParameterDlg::IDC_NAME_FIRST + r).Left(6), name);
        EXPECT_EQ(Text(page, CParameterDlg::IDC_P100_FIRST + r), page.GetRead().Row(r).p100);
    }
    const std::string wire = port.All();
    EXPECT_EQ(std::count(wire.begin(), wire.end(), 'f'), 10) << "no row asked twice";
}

TEST_F(ParameterPageTest, SilentDeviceGetsTheTimeoutTextInTheLanguage)
{
    language = 1000;
    Host({&page});
    vx::ModalScript::Clear();
    page.SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    clock->advance(5000);
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front(), "Timeout Channel 1");
    EXPECT_NE(vx::ModalScript::Calls().front().flags & MB_ICONERROR, 0u) << "the icon of the other error boxes";
    EXPECT_TRUE(page.GetDlgItem(CParameterDlg::IDC_READ)->IsWindowVisible());
}

TEST_F(ParameterPageTest, TypedTextReachesTheRowAndFieldsRefuseWhatTheyMayNotTake)
{
    Host({&page});
    page.SetDlgItemText(CParameterDlg::IDC_NAME_FIRST + 2, "Kraft 1");
    EXPECT_EQ(page.GetRead().Row(2).name, "Kraft 1");
    // Same value, other text: the typed decimals must not be lost.
    page.SetDlgItemText(CParameterDlg::IDC_NOMINAL_FIRST + 4, "12");
    page.SetDlgItemText(CParameterDlg::IDC_NOMINAL_FIRST + 4, "12,0");
    EXPECT_EQ(page.GetRead().Row(4).nominal, "12,0");
    page.SetDlgItemText(CParameterDlg::IDC_NOMINAL_FIRST + 4, "012,0");
    EXPECT_EQ(page.GetRead().Row(4).nominal, "012,0");
    EXPECT_FALSE(page.NominalEdit(0).IsAllowed("-1"));
    EXPECT_TRUE(page.NameEdit(0).IsAllowed("a b"));
    EXPECT_EQ(page.NameEdit(0).GetRememberedLimit(), 8u);
    EXPECT_EQ(page.NominalEdit(0).GetRememberedLimit(), 5u);
    EXPECT_EQ(page.UnitEdit(0).GetRememberedLimit(), 3u);
    language = 1000;
    page.SetLanguageTexts();
    EXPECT_EQ(Text(page, CParameterDlg::IDC_TITLE_UNIT), "Unit");
    EXPECT_EQ(Text(page, 1370), "0 %");
}

// ---- Setup page and its nested sheet ---------------------------------------------------

class SetupPageTest : public PageFixture {
protected:
    void Open()
    {
        for (int i = 0; i < CEinrichtenDlg::kNestedCount; ++i)
            Wire(*setup.GetNestedPage(i));
        Host({&setup});
    }
    CString NestedTab(int i) { return setup.GetNestedSheet().GetTabControl()->GetItemText(i); }
    CEinrichtenDlg setup;
};

TEST_F(SetupPageTest, NestedPagesInOrderWithTextsThatFollowTheLanguage)
{
    Open();
    const char* german[] = {"Firmenkopf", "Datum", "Parameter", "Befehle", "Messen Konfiguration"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(NestedTab(i), german[i]);
    EXPECT_TRUE(dynamic_cast<CFirmenkopfDlg*>(setup.GetNestedPage(0)));
    EXPECT_TRUE(dynamic_cast<CMessenDlgEinstellen*>(setup.GetNestedPage(4)));
    language = 1000;
    setup.SetLanguageTexts();
    EXPECT_EQ(NestedTab(0), "Header");
    EXPECT_EQ(NestedTab(3), "Command");
    EXPECT_EQ(Text(*setup.GetNestedPage(0), CFirmenkopfDlg::IDC_READ), "Read");
    // The parameter table is the tallest nested page: its last row must lie
    // inside the tab's frame, within the setup page.
    setup.GetNestedSheet().SetActivePage(2);
    CRect lastCell, pane, outer;
    setup.GetNestedPage(2)->GetDlgItem(CParameterDlg::IDC_P100_FIRST + 9)->GetWindowRect(&lastCell);
    setup.GetNestedSheet().GetTabControl()->GetWindowRect(&pane);
    setup.GetWindowRect(&outer);
    EXPECT_LT(lastCell.bottom, pane.bottom);
    EXPECT_LT(lastCell.right, pane.right);
    EXPECT_LE(pane.bottom, outer.bottom);
}

TEST_F(SetupPageTest, ReceivedDataGoesOnlyToTheShownNestedPage)
{
    Open();
    auto* header = static_cast<CFirmenkopfDlg*>(setup.GetNestedPage(0));
    auto* date = static_cast<CDatumDlg*>(setup.GetNestedPage(1));
    header->ReadCompanyHeader();
    clock->advance(CDeviceTextRead::kQuietBeforeRequestMs);
    Feed(setup, "\r\nQUORIN\x03");
    EXPECT_EQ(header->m_strHeader, "QUORIN");
    EXPECT_TRUE(date->m_strDate.IsEmpty());

    port.writes.clear();
    setup.GetNestedSheet().SetActivePage(3);
    EXPECT_EQ(port.All(), "nnnnn") << "the commands page brings the device home";
    setup.GetNestedSheet().SetActivePage(1);
    date->ReadDeviceDate();
    clock->advance(CDeviceTextRead::kQuietBeforeRequestMs);
    Feed(setup, "07.12.26  05:30:00\r\n");
    EXPECT_EQ(date->m_strDate, "07.12.26 05:30:00");
    EXPECT_EQ(header->m_strHeader, "QUORIN");
}

TEST_F(SetupPageTest, ComingBackToTheTabReactivatesAShownParameterPage)
{
    CDatenloggerDlg other;
    Wire(other);
    for (int i = 0; i < CEinrichtenDlg::kNestedCount; ++i)
        Wire(*setup.GetNestedPage(i));
    Host({&setup, &other});
    setup.GetNestedSheet().SetActivePage(2);
    sheet->SetActivePage(1);
    port.writes.clear();
    sheet->SetActivePage(0);
    // Five from the parameter page; the logger page sent its own before.
    EXPECT_EQ(port.All(), "nnnnn");
}

// ---- Measure configuration page ----------------------------------------------------------

class MeasureConfigTest : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        vx::WriteProfileString("Messenkonfiguration", nullptr, nullptr);
        vx::WriteProfileString("Optionen", nullptr, nullptr);
    }
    CString Stored(int i) { return vx::GetProfileString("Messenkonfiguration", ChannelConfigKey(i)); }
    CMessenDlgEinstellen page;
};

TEST_F(MeasureConfigTest, FirstRunShowsZeroesAndATypedConstantIsStoredAtOnce)
{
    Host({&page});
    EXPECT_EQ(Text(page, CMessenDlgEinstellen::IDC_CONSTANT_FIRST), "0.000000");
    page.SetDlgItemText(CMessenDlgEinstellen::IDC_CONSTANT_FIRST, "5,5");
    EXPECT_EQ(Stored(0), "65535; 0; 0; 5.500000");
    page.SetDlgItemText(CMessenDlgEinstellen::IDC_CONSTANT_FIRST, "5,5,");
    EXPECT_EQ(Stored(0), "65535; 0; 0; 5.500000") << "an invalid number writes nothing";
    EXPECT_FALSE(page.GetDlgItem(CMessenDlgEinstellen::IDC_PORT_FIRST + 1)->IsWindowVisible());
    EXPECT_TRUE(page.GetDlgItem(CMessenDlgEinstellen::IDC_PORT_FIRST)->IsWindowVisible());
}

TEST_F(MeasureConfigTest, SaveKeepsHiddenRowsAndRefusesStoredChartTypesItDoesNotOffer)
{
    vx::WriteProfileString("Messenkonfiguration", "KANAL 0", "0; 2; 1; 1.500000");
    vx::WriteProfileString("Messenkonfiguration", "KANAL 2", "7; 3; 1; 3.250000");
    vx::WriteProfileInt("Optionen", "Diagrammtyp", 3);
    port.m_Dcb.m_strPortName = "/dev/ttyUSB0";
    table[0].m_iChannelId = 0;
    Host({&page});
    EXPECT_EQ(page.GetChartType(), 0);
    EXPECT_EQ(page.GetRecord(0).op, 2);
    EXPECT_EQ(Text(page, CMessenDlgEinstellen::IDC_CONSTANT_FIRST), "1.500000");
    page.SaveConfiguration();
    EXPECT_EQ(Stored(2), "7; 3; 1; 3.250000");
    EXPECT_EQ(Stored(0), "0; 2; 1; 1.500000");
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Diagrammtyp", -1), 0);
    EXPECT_EQ(port.m_Dcb.m_strPortName, "/dev/ttyUSB0") << "no port taken off line";
}

TEST_F(MeasureConfigTest, CancelledInterfaceDialogStillSaves)
{
    Host({&page});
    vx::ModalScript::AnswerDialog(IDCANCEL);
    page.SendMessage(WM_COMMAND, CMessenDlgEinstellen::IDC_PORT_FIRST);
    EXPECT_EQ(Stored(0), "65535; 0; 1; 0.000000");
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Schnittstellenanbindung", -1), 0);
}

// ---- Screenshots ---------------------------------------------------------------------------
// Written for a person to look at (VX35_SHOT_DIR, else the temp folder);
// the checks only make sure something was drawn where the pages put it.

namespace {

QString ShotPath(const char* name)
{
    QString dir = qEnvironmentVariable("VX35_SHOT_DIR");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/vx35-page-shots");
    QDir().mkpath(dir);
    return dir + QStringLiteral("/") + QString::fromLatin1(name);
}

QImage Shoot(CWnd& wnd, const char* name)
{
    QCoreApplication::processEvents();
    const QImage image = wnd.GetPeer()->grab().toImage();
    image.save(ShotPath(name));
    return image;
}

} // namespace

TEST_F(PageFixture, ScreenshotsOfTheControlPageInBothLanguages)
{
    for (int lang : {0, 1000}) {
        language = lang;
        CSteuernDlg page;
        Host({&page});
        Feed(page, Echo(5));
        Feed(page, "x");
        Feed(page, "VX35 H1 105\r\n");
        Feed(page, std::string(40, ' '));
        Feed(page, " 1.234 Nm\r\n");
        const QImage shot = Shoot(*sheet, lang ? "control_en.png" : "control_de.png");
        ASSERT_FALSE(shot.isNull());
        // The display field shows the device's line on its green.
        CRect display;
        page.GetDlgItem(CSteuernDlg::IDC_DISPLAY)->GetWindowRect(&display);
        sheet->ScreenToClient(&display);
        EXPECT_EQ(shot.pixelColor(display.left + 3, display.top + 3), QColor(190, 240, 20));
        sheet->DestroyWindow();
        sheet.reset();
    }
}

TEST_F(PageFixture, ScreenshotsOfTheSetupPageInBothLanguages)
{
    for (int lang : {0, 1000}) {
        language = lang;
        CEinrichtenDlg setup;
        for (int i = 0; i < CEinrichtenDlg::kNestedCount; ++i)
            Wire(*setup.GetNestedPage(i));
        Host({&setup});
        Feed(setup, "\r\nQUORIN Messtechnik\r\nMusterstrasse 1\x03");
        ASSERT_FALSE(Shoot(*sheet, lang ? "setup_en.png" : "setup_de.png").isNull());
        const char* nested[] = {nullptr, "setup_date", "setup_parameter", "setup_commands", "setup_measure"};
        for (int i = 1; i < CEinrichtenDlg::kNestedCount; ++i) {
            setup.GetNestedSheet().SetActivePage(i);
            const std::string name = std::string(nested[i]) + (lang ? "_en.png" : "_de.png");
            ASSERT_FALSE(Shoot(*sheet, name.c_str()).isNull());
        }
        sheet->DestroyWindow();
        sheet.reset();
    }
}

TEST_F(ParameterPageTest, ScreenshotOfTheFilledParameterPage)
{
    Host({&page});
    page.SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    Converse();
    ASSERT_EQ(page.GetRead().PrintAllowed(), 1);
    ASSERT_FALSE(Shoot(*sheet, "parameter_de.png").isNull());
}

TEST_F(PageFixture, ScreenshotOfTheLoggerPageAfterAReadOut)
{
    CDatenloggerDlg page;
    Host({&page});
    Feed(page, Echo(5));
    page.SendMessage(WM_COMMAND, CDatenloggerDlg::IDC_READ);
    Feed(page, "\r\nQUORIN Messtechnik\r\nHalle 3\x03" "HAND    \r\n");
    std::string records;
    for (int i = 0; i < 30; ++i)
        records += " 12,3" + std::to_string(i % 10) + " Nm  08:05:" + (i < 10 ? "0" : "") + std::to_string(i) + "\r\n";
    Feed(page, records);
    clock->advance(600);
    ASSERT_EQ(page.m_strMode, "HAND    ");
    ASSERT_FALSE(Shoot(*sheet, "logger_de.png").isNull());
}
