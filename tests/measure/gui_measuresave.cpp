// File > Save on the measure tab: the series as CSV or the chart as a bitmap.
#include "tests/measure/MeasurePageRig.h"

#include "app/DateTimeText.h"
#include "platform/Cursor.h"
#include "platform/Dc.h"
#include "platform/Print.h"
#include "platform/Text1252.h"
#include "print/Page.h"
#include "tests/support/FileSizeLimit.h"
#define VX35_PDF_PRINTING
#include "tests/support/PdfText.h"
#include "tests/support/ReportSheetCheck.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <fstream>
#include <iterator>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

class MeasureSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 7;
        t.tm_hour = 6;
        t.tm_min = 30;
        CDateTimeText::SetNowSource([t] { return t; });
        ASSERT_TRUE(r.Open());
        vx::ModalScript::Clear();
        dir = QDir::tempPath().toStdString() + "/vx35_measuresave_" + std::to_string(QCoreApplication::applicationPid());
        QDir().mkpath(QString::fromStdString(dir));

        ChannelRecord& c = r.table[0];
        c.m_strSensorName = "DF-100";
        c.m_iNominal = 5000;
        c.m_iDecimalDivisor = 1000;
        c.m_strUnit = "kN ";
        c.m_byRateCode = 2;
        c.m_bySampleMode = 0;
        c.m_strDisplayFormat = "%.3f ";
    }
    void TearDown() override
    {
        CDateTimeText::SetNowSource(nullptr);
        QDir(QString::fromStdString(dir)).removeRecursively();
    }
    void SaveAs(const std::string& name)
    {
        vx::ModalScript::AnswerFileSave((dir + "/" + name).c_str());
        r.page.OnFileSave();
    }
    bool Exists(const std::string& name) { return QFile::exists(QString::fromStdString(dir + "/" + name)); }

    MeasurePageRig r;
    std::string dir;
};

} // namespace

TEST_F(MeasureSave, BeforeAnyMeasurementTheCsvListsTheTenStartPoints)
{
    SaveAs("series.csv");
    const vx::ModalRecord& call = vx::ModalScript::Calls().back();
    EXPECT_EQ(call.kind, vx::ModalKind::FileSave);
    EXPECT_EQ(call.text, "(*.csv)|*.csv|(*.bmp)|*.bmp|All Files (*.*)|*.*|");
    EXPECT_EQ(call.caption, "*.csv");
    EXPECT_EQ(call.flags & 0x2002u, 0x2002u);

    const std::string text = ReadFile(dir + "/series.csv");
    // No main dialog: the export defaults; no company header and no unit yet.
    std::string expected = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
                           "07.12.2026 06:30:00 Uhr\r\n"
                           "Bezeichnung: DF-100\r\n"
                           "Nennwert   : 5.000 kN \r\n"
                           "Rate       : 100/s\r\n"
                           "SCI Mode   : PC 10ms\r\n\r\n\r\n\r\n";
    for (int i = 0; i < 10; ++i)
        expected += "0,00;0,000\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}

TEST_F(MeasureSave, TheExtensionChoosesTheFormatInAnyCaseAndOthersAreRefusedAloud)
{
    SaveAs("chart.bmp");
    EXPECT_EQ(ReadFile(dir + "/chart.bmp").substr(0, 2), "BM");
    SaveAs("x.BMP");
    EXPECT_EQ(ReadFile(dir + "/x.BMP").substr(0, 2), "BM");
    SaveAs("upper.CSV");
    EXPECT_EQ(ReadFile(dir + "/upper.CSV").substr(0, 2), "\r\n");
    EXPECT_NE(ReadFile(dir + "/upper.CSV").find("0,00;0,000\r\n"), std::string::npos);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());

    SaveAs("other.txt");
    EXPECT_FALSE(Exists("other.txt"));
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Find("other.txt"), -1);
    r.page.OnFileSave();   // Cancel
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 3);
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);

    // Told in the user's language.
    r.languageOffset = vx::kLanguageFrench;
    vx::ModalScript::Clear();
    SaveAs("autre.txt");
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts(),
              std::vector<CString>{CString((dir + "/autre.txt").c_str())
                                   + vx::FromUtf8(": non enregistré ; le nom doit se terminer par .csv (valeurs "
                                                  "mesurées) ou .bmp (diagramme).")});
}

TEST_F(MeasureSave, AFileThatCannotBeWrittenIsReportedWithItsCause)
{
    SaveAs("missing/series.csv");
    SaveAs("missing/chart.bmp");
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], CString(dir + "/missing/series.csv: " + std::strerror(ENOENT)));
    EXPECT_EQ(boxes[1], CString(dir + "/missing/chart.bmp: " + std::strerror(ENOENT)));
    EXPECT_FALSE(r.page.WriteCsv(""));
}

TEST_F(MeasureSave, AFullDiskLeavesTheOldFilesWholeAndNoHalfFile)
{
    {
        std::ofstream(dir + "/series.csv", std::ios::binary) << "yesterday";
        std::ofstream(dir + "/chart.bmp", std::ios::binary) << "BM old";
    }
    {
        FileSizeLimit full(64);
        SaveAs("series.csv");
        SaveAs("chart.bmp");
    }
    EXPECT_EQ(ReadFile(dir + "/series.csv"), "yesterday");
    EXPECT_EQ(ReadFile(dir + "/chart.bmp"), "BM old");
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 2);
    const auto boxes = FileBoxesOnly(vx::ModalScript::MessageBoxTexts());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], CString(dir + "/series.csv: ") + FullDiskReason());
    EXPECT_EQ(boxes[1], CString(dir + "/chart.bmp: ") + FullDiskReason());
}

TEST_F(MeasureSave, ALongRecordIsWrittenInSlicesWhileTheWindowKeepsWorking)
{
    // Several slices' worth of points; between them the page's timers and
    // messages are served under the wait cursor, and a second save asked
    // for meanwhile is not started.
    constexpr int kPoints = 450000;
    r.page.GetDisplay().ClearCurve(0);
    for (int i = 0; i < kPoints; ++i)
        r.page.GetDisplay().addPoint(0, i * 0.01, (i % 1000) * 0.001);
    bool servedDuringExport = false, waitCursor = false;
    QTimer::singleShot(0, [&] {
        const QStringList entries = QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden);
        servedDuringExport = entries.size() == 1 && entries[0].startsWith(QStringLiteral(".long.csv."));
        waitCursor = vx::IsWaitCursorShown();
        vx::ModalScript::AnswerFileSave((dir + "/second.csv").c_str());
        r.page.OnFileSave();
    });
    SaveAs("long.csv");
    EXPECT_TRUE(servedDuringExport);
    EXPECT_TRUE(waitCursor);
    EXPECT_FALSE(vx::IsWaitCursorShown());
    EXPECT_FALSE(Exists("second.csv"));
    const std::string text = ReadFile(dir + "/long.csv");
    const size_t firstPoint = text.find("SCI Mode");
    ASSERT_NE(firstPoint, std::string::npos);
    EXPECT_EQ(std::count(text.begin() + static_cast<long>(firstPoint), text.end(), '\n'), kPoints + 4);
    EXPECT_EQ(text.substr(text.size() - 15), "4499,99;0,999\r\n");
    EXPECT_EQ(QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(MeasureSave, ThePrintedReportPlacesItsTitlesInTheTitleBandAtAnyResolution)
{
    const PdfWord* first[2] = {};
    std::vector<PdfWord> words[2];
    const int dpis[2] = {600, 300};
    for (int k = 0; k < 2; ++k) {
        const std::string pdf = dir + "/report_" + std::to_string(dpis[k]) + ".pdf";
        ASSERT_TRUE(PrintToPdf(pdf, dpis[k], [&](CPage& page) { r.page.PrintPage(&page); }));
        words[k] = ReadPdfWords(pdf);
        first[k] = FindPdfWord(words[k], "Diagramm");
        const PdfWord* project = FindPdfWord(words[k], "Projektbezeichnung");
        ASSERT_TRUE(first[k] && project) << dpis[k];
        // In the band's title field: right of the logo, inside the lines.
        EXPECT_TRUE(InBandField(words[k], "Diagramm", BandField::Title)) << dpis[k];
        EXPECT_TRUE(InBandField(words[k], "Projektbezeichnung", BandField::Title)) << dpis[k];
        // Rows run down the sheet: the project line is 0.4 inch below the title.
        EXPECT_NEAR(project->y - first[k]->y, 28.8, 6.0);
        EXPECT_NEAR(project->x, first[k]->x, 1.5);
        // Title first, then the project line: the order a reader meets them.
        EXPECT_EQ(words[k].front().text, "Diagramm");
    }
    // The same sheet on either printer.
    EXPECT_NEAR(first[0]->x, first[1]->x, 1.0);
    EXPECT_NEAR(first[0]->y, first[1]->y, 1.0);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}
