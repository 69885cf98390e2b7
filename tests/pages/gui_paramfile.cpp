// The parameter page's File > Save and File > Open through the file
// dialogs, and its send of the edited rows on the wire.
#include "app/DeviceCommands.h"
#include "app/StringTable.h"
#include "app/VX35_3App.h"
#include "pages/ParameterDlg.h"
#include "pages/ParameterFile.h"
#include "pages/ParameterSend.h"
#include "platform/Modal.h"
#include "platform/PropertySheet.h"
#include "platform/Timer.h"
#include "port/CPortMan.h"
#include "res/Resources.h"
#include "tests/pages/RecordingPort.h"
#include "tests/pages/SinglePageFixture.h"
#include "tests/support/FileSizeLimit.h"
#define VX35_PDF_PRINTING
#include "tests/support/PdfText.h"
#include "tests/support/ReportSheetCheck.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

CString DeviceRecord(int row)
{
    CString r;
    r.Format("Dev%02d   ", row);
    r += CString("\x02\x50", 2);
    r += CString("kN", 2) + CString('\0');
    r += static_cast<char>(0x52);
    r += CString("\x00\x64\x27\x10", 4);
    const CheckBytes cb = TextCheckBytes(r);
    return r + static_cast<char>(cb.s1) + static_cast<char>(cb.s2);
}

const std::string kFactoryWords("\x12\x35\x12\x34\x00\x20\x00\x01\x00\x00\x30\x00\x00\x10\x00\x00", 16);

class ParameterPageFiles : public SinglePageFixture<CParameterDlg, RecordingPort> {
protected:
    void SetUp() override
    {
        HostPage("paramfile");
        port.writes.clear();
    }
    void FillForm(const char* nominal = "12,5")
    {
        for (int r = 0; r < kParameterRows; ++r)
            page.GetRead().Row(r) = {"User", nominal, "Nm", "", "", ""};
        page.UpdateData(FALSE);
    }
    // A complete read, then the form's texts, then "senden" answered Yes.
    void ReadThenSend(int emptyUnitRow = -1)
    {
        page.OnReadButton();
        Converse();
        port.writes.clear();
        FillForm();
        if (emptyUnitRow >= 0)
            page.UnitEdit(emptyUnitRow).SetWindowText("");
        vx::ModalScript::AnswerMessageBox(IDYES);
        page.SendMessage(WM_COMMAND, CParameterDlg::IDC_SEND);
        Converse();
    }
    // Plays the device through a read and lets the send's timers run.
    void Converse()
    {
        size_t answered = 0;
        for (int step = 0; step < 600; ++step) {
            if (port.writes.size() > answered) {
                const std::string w = port.writes.back().bytes;
                answered = port.writes.size();
                if (w == "V")
                    Feed("VX35 H2 105\r\n");
                else if (w == "W")
                    Feed(kFactoryWords);
                else if (w.size() == 2 && w[0] == 'f')
                    Feed(DeviceRecord(w[1]).str());
                continue;
            }
            clock->advance(50);
        }
    }
    std::vector<Write> Frames() const
    {
        std::vector<Write> out;
        for (const Write& w : port.writes)
            if (w.bytes.size() == 26 && w.bytes[0] == 'e')
                out.push_back(w);
        return out;
    }
    CString Text(int id) { return page.GetDlgItem(id)->GetWindowTextString(); }
    // Keys as the user types them into the field's own widget (select all,
    // then the characters), so the field's filter and change handling run.
    void Type(int id, const QString& text)
    {
        auto* line = qobject_cast<QLineEdit*>(page.GetDlgItem(id)->GetPeer());
        ASSERT_NE(line, nullptr);
        line->selectAll();
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(line, &press);
        }
    }

};

} // namespace

TEST_F(ParameterPageFiles, SaveWritesTheFormUnderGermanTitles)
{
    FillForm();
    const std::string path = dir + "/table.csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    page.OnFileSave();

    ASSERT_EQ(vx::ModalScript::Calls().size(), 1u);
    const vx::ModalRecord& call = vx::ModalScript::Calls().back();
    EXPECT_EQ(call.kind, vx::ModalKind::FileSave);
    EXPECT_EQ(call.text, "(*.csv)|*.csv|");
    EXPECT_EQ(call.caption, "*.csv");
    EXPECT_EQ(call.flags & 0x2002u, 0x2002u);
    const std::string file = ReadFile(path);
    EXPECT_EQ(file.substr(0, 46), "#;Bezeichnung;Nennwert;Einheit;Typ;0 %;100 %;\r");
    EXPECT_NE(file.find("\r\n10;User;12,5;Nm;;;;\r\n"), std::string::npos);
    // No 'W' answer yet: the word texts are still "na".
    EXPECT_NE(file.find("\r\na;Werkskalibrierung PASSIV; ; ; ;na;na;\r\n"), std::string::npos);
    EXPECT_EQ(file.substr(file.size() - 7), "[EOF]\r\n");
}

TEST_F(ParameterPageFiles, FailedSaveAndOpenAreReportedAndKeepTheOldFileAndForm)
{
    FillForm();
    const std::string path = dir + "/table.csv";
    std::ofstream(path, std::ios::binary) << "#;old table;\r\n[EOF]\r\n";
    vx::ModalScript::AnswerFileSave(path.c_str());
    {
        FileSizeLimit full(100);
        page.OnFileSave();
    }
    EXPECT_EQ(ReadFile(path), "#;old table;\r\n[EOF]\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 1);

    vx::ModalScript::AnswerFileSave((dir + "/missing/table.csv").c_str());
    page.OnFileSave();
    vx::ModalScript::AnswerFileOpen(dir.c_str());   // a folder
    page.OnFileOpen();
    vx::ModalScript::AnswerFileOpen((dir + "/gone.csv").c_str());
    page.OnFileOpen();
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0], CString(path + ": ") + FullDiskReason());
    EXPECT_EQ(boxes[1], CString(dir + "/missing/table.csv: " + std::strerror(ENOENT)));
    EXPECT_EQ(boxes[2], CString(dir + ": " + std::strerror(EISDIR)));
    EXPECT_EQ(boxes[3], CString(dir + "/gone.csv: " + std::strerror(ENOENT)));
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST), "User");
}

TEST_F(ParameterPageFiles, DegreeSectionAndAcuteTypedInTheFormRoundTripAsWindows1252)
{
    FillForm();
    Type(CParameterDlg::IDC_NAME_FIRST, QString::fromUtf8("T\u00B0\u00A7\u00B4 1"));
    Type(CParameterDlg::IDC_UNIT_FIRST + 1, QString::fromUtf8("\u00B0\u00A7\u00B4"));
    Type(CParameterDlg::IDC_NAME_FIRST + 2, QString::fromUtf8("\u00E4x"));   // not in the field's set
    EXPECT_EQ(page.GetRead().Row(0).name, CString("T\xB0\xA7\xB4 1"));
    EXPECT_EQ(page.GetRead().Row(1).unit, CString("\xB0\xA7\xB4"));
    EXPECT_EQ(page.GetRead().Row(2).name, "x");

    const std::string path = dir + "/symbols.csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    page.OnFileSave();
    const std::string file = ReadFile(path);
    EXPECT_NE(file.find("\r\n1;T\xB0\xA7\xB4 1;12,5;Nm;;;;\r\n"), std::string::npos);
    EXPECT_NE(file.find("\r\n2;User;12,5;\xB0\xA7\xB4;;;;\r\n"), std::string::npos);
    EXPECT_EQ(file.find("\xC2"), std::string::npos) << "no UTF-8 in the table file";

    Type(CParameterDlg::IDC_NAME_FIRST, "other");
    Type(CParameterDlg::IDC_UNIT_FIRST + 1, "kN");
    vx::ModalScript::AnswerFileOpen(path.c_str());
    page.OnFileOpen();
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST), CString("T\xB0\xA7\xB4 1"));
    EXPECT_EQ(Text(CParameterDlg::IDC_UNIT_FIRST + 1), CString("\xB0\xA7\xB4"));
    EXPECT_EQ(page.GetRead().Row(1).unit, CString("\xB0\xA7\xB4"));
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

// What code page 1252 cannot hold would reach the file, the print and the
// device as '?': the fields refuse it, typed or pasted, as they refuse a
// 1252 character outside their set.
TEST_F(ParameterPageFiles, FieldsRefuseCharactersTheyCannotHoldTypedOrPasted)
{
    FillForm();
    for (int id : {CParameterDlg::IDC_NAME_FIRST, CParameterDlg::IDC_UNIT_FIRST}) {
        const CString before = Text(id);
        for (const char* text : {"\u0416", "\u03A9", "\u6F22", "\u00B5"}) {
            Type(id, QString::fromUtf8(text));
            EXPECT_EQ(Text(id), before) << id << " " << text;
            QApplication::clipboard()->setText(QString::fromUtf8(text));
            qobject_cast<QLineEdit*>(page.GetDlgItem(id)->GetPeer())->paste();
            EXPECT_EQ(Text(id), before) << id << " " << text;
        }
        Type(id, QString::fromUtf8("\u00B0"));
        EXPECT_EQ(Text(id), CString("\xB0")) << id;
    }
}

TEST_F(ParameterPageFiles, OpenShowsTheFileRowsAndKeepsTheRest)
{
    FillForm();
    const std::string path = dir + "/in.csv";
    {
        std::ofstream f(path, std::ios::binary);
        f << "#;a;b;c;d;e;f;\r\n-;\r\n3;Loaded;7,5;kNm;Typ X;11;22;\r\n[EOF]\r\n";
    }
    page.OnFileOpen();   // cancelled: nothing read
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST), "User");

    vx::ModalScript::AnswerFileOpen(path.c_str());
    page.OnFileOpen();
    EXPECT_EQ(vx::ModalScript::Calls().back().flags & 0x1001u, 0x1001u);
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST), "Loaded");
    EXPECT_EQ(Text(CParameterDlg::IDC_NOMINAL_FIRST), "7,5");
    EXPECT_EQ(Text(CParameterDlg::IDC_TYPE_FIRST), "Typ X");
    EXPECT_EQ(Text(CParameterDlg::IDC_P100_FIRST), "22");
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST + 1), "User");
    EXPECT_EQ(page.GetRead().PrintAllowed(), 0);
    EXPECT_TRUE(page.GetRead().HoldsTable());

    // A file no table could be is refused unread, by name.
    std::ofstream(path, std::ios::binary | std::ios::app) << std::string(kParameterTableFileLimit, 'x');
    vx::ModalScript::AnswerFileOpen(path.c_str());
    page.OnFileOpen();
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), std::vector<CString>{CString(path) + ": "
                                                                       + vx::LoadText(CParameterDlg::kFileTooLargeTextId, 0)});
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST), "Loaded");

    // A device is refused for what it is, in the user's language, unopened.
    ASSERT_TRUE(vx::ApplyProgramLanguage(vx::kLanguageGerman));
    vx::ModalScript::Clear();
    vx::ModalScript::AnswerFileOpen("/dev/zero");
    page.OnFileOpen();
    vx::ApplyProgramLanguage(vx::kLanguageEnglish);
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(), std::vector<CString>{"/dev/zero: " + vx::LoadText(5230, 0)});
}

TEST_F(ParameterPageFiles, SendButtonPreReadsThenWritesTenFramesApart)
{
    ReadThenSend();
    const auto frames = Frames();
    ASSERT_EQ(frames.size(), 10u);
    for (int r = 0; r < kParameterRows; ++r) {
        ParameterRowRecord rec;
        rec.typeCode = 0x50;
        rec.raw0 = 100;
        rec.raw100 = 10000;
        rec.factoryFirst = 0x1235;
        rec.factorySecond = 0x1234;
        EXPECT_EQ(frames[r].bytes, BuildRowFrame(r, ParameterRowText("User", "12,5", "Nm", rec)).str()) << r;
        if (r > 0) {
            EXPECT_EQ(frames[r].atMs - frames[r - 1].atMs, 250) << r;
        }
    }
    // The user's texts stay; the device's type came in.
    EXPECT_EQ(Text(CParameterDlg::IDC_NAME_FIRST), "User");
    EXPECT_FALSE(Text(CParameterDlg::IDC_TYPE_FIRST).IsEmpty());
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u) << "the question only";
}

TEST_F(ParameterPageFiles, EmptyFieldStopsTheSendWithItsMessage)
{
    ReadThenSend(6);
    EXPECT_TRUE(Frames().empty());
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1], "Check Input of empty strings.");
}

TEST_F(ParameterPageFiles, PrintedSheetKeepsTitlesPositionsAndWordOrderAt600And300Dpi)
{
    page.SendMessage(WM_COMMAND, CParameterDlg::IDC_READ);
    Converse();
    ASSERT_EQ(page.GetRead().PrintAllowed(), 1);
    // Points per 600th of an inch.
    constexpr double u = 72.0 / 600.0;
    std::vector<PdfWord> sheets[2];
    const int dpis[2] = {600, 300};
    for (int k = 0; k < 2; ++k) {
        const std::string pdf = dir + "/sheet_" + std::to_string(dpis[k]) + ".pdf";
        ASSERT_TRUE(PrintToPdf(pdf, dpis[k], [&](CPage& sheet) { page.PrintPage(&sheet); }));
        const std::vector<PdfWord>& w = sheets[k] = ReadPdfWords(pdf);
        const PdfWord* name = FindPdfWord(w, "Bezeichnung");
        ASSERT_NE(name, nullptr) << dpis[k];
        // Column titles on one line at the table's x positions.
        const std::pair<const char*, int> titles[] = {{"Nennwert", 1180}, {"Einheit", 1600}, {"Typ", 2000}};
        for (const auto& [title, x] : titles) {
            const PdfWord* t = FindPdfWord(w, title);
            ASSERT_NE(t, nullptr) << title;
            EXPECT_NEAR(t->x - name->x, (x - 600) * u, 1.0) << title << " " << dpis[k];
            EXPECT_NEAR(t->y, name->y, 1.0) << title;
        }
        const PdfWord* hundred = FindPdfWord(w, "100");
        ASSERT_NE(hundred, nullptr);
        EXPECT_NEAR(hundred->x - name->x, (3360 - 600) * u, 1.0);
        // Rows 152 units apart, below the dashes.
        for (int r = 0; r < kParameterRows; ++r) {
            char text[16];
            std::snprintf(text, sizeof text, "Dev%02d", r + 1);
            const PdfWord* row = FindPdfWord(w, text);
            ASSERT_NE(row, nullptr) << text;
            EXPECT_NEAR(row->x, name->x, 1.0);
            EXPECT_NEAR(row->y - name->y, (304 + 152 * r) * u, 1.0) << text << " " << dpis[k];
        }
        // Each factory line: its second word under "0 %", its first under "100 %".
        const char* words[3][2] = {{"4660", "4661"}, {"256", "8192"}, {"16", "12288"}};
        for (int line = 0; line < 3; ++line) {
            const PdfWord* label = FindPdfWord(w, "Werkskalibrierung", static_cast<size_t>(line));
            const PdfWord* second = FindPdfWord(w, words[line][0]);
            const PdfWord* first = FindPdfWord(w, words[line][1]);
            ASSERT_TRUE(label && second && first) << line;
            EXPECT_NEAR(label->y - name->y, (2128 + 152 * line) * u, 1.0) << line;
            EXPECT_NEAR(second->x - name->x, (2680 - 600) * u, 1.0) << line;
            EXPECT_NEAR(first->x - name->x, (3360 - 600) * u, 1.0) << line;
            EXPECT_NEAR(second->y, label->y, 1.0);
            EXPECT_NEAR(first->y, label->y, 1.0);
        }
        // The report header in the title band: the firmware line in its title
        // field, the date and time in its right field.
        EXPECT_TRUE(InBandField(w, "Firmware", BandField::Title)) << dpis[k];
        EXPECT_TRUE(InBandField(w, "105", BandField::Title)) << dpis[k];
        EXPECT_TRUE(InBandField(w, "Uhr", BandField::Right)) << dpis[k];
    }
    // One sheet on either printer: same places to a fraction of a point.
    const PdfWord* a = FindPdfWord(sheets[0], "Dev10");
    const PdfWord* b = FindPdfWord(sheets[1], "Dev10");
    ASSERT_TRUE(a && b);
    EXPECT_NEAR(a->x, b->x, 1.0);
    EXPECT_NEAR(a->y, b->y, 1.0);
}
