// The measure page inside the main dialog: File > Save takes the export
// settings and texts of the documentation dialog, and the report prints
// the chart through the main dialog's temporary bitmap.
#include "tests/app/support_fakeport.h"

#include "app/PlaceholderPages.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "measure/MessenDlg.h"
#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Print.h"
#include "platform/Profile.h"
#include "platform/Timer.h"
#include "print/Page.h"
#include "res/Resources.h"
#define VX35_PDF_PRINTING
#include "tests/support/PdfText.h"
#include "tests/support/ReportSheetCheck.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

class MeasureInMain : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxres::InstallResources();
        vx::InstallStringTable();
        vx::WriteProfileString("Optionen", nullptr, nullptr);
        vx::WriteProfileString("Messenkonfiguration", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", nullptr, nullptr);
        vx::WriteProfileString("SerPort1", "Port", "OffLine");
        vx::WriteProfileInt("Optionen", "Sprache", 0);
        vx::UseManualClock(0);
        SetMainPageFactory([this] {
            CMainPageSet set = MakeShellPages();
            auto page = std::make_unique<CMessenDlg>();
            measure = page.get();
            set.tabs[1] = std::move(page);
            return set;
        });
        dlg = std::make_unique<CVX35_3Dlg>();
        dlg->SetPortManFactory([](CWnd* owner) { return std::unique_ptr<CPortManGui>(new FakePortMan(owner)); });
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
        SetMainPageFactory({});
        dlg->GetSheet().SetActivePage(1);
        vx::ModalScript::Clear();
        dir = QDir::tempPath().toStdString() + "/vx35_measuremain_" + std::to_string(QCoreApplication::applicationPid());
        QDir().mkpath(QString::fromStdString(dir));
    }
    void TearDown() override
    {
        if (dlg && dlg->IsWindow())
            dlg->DestroyWindow();
        dlg.reset();
        QDir(QString::fromStdString(dir)).removeRecursively();
    }

    std::unique_ptr<CVX35_3Dlg> dlg;
    CMessenDlg* measure = nullptr;
    std::string dir;
};

} // namespace

TEST_F(MeasureInMain, SaveUsesTheDocumentationSettings)
{
    ASSERT_NE(measure, nullptr);
    CDocumentationDlgTiny& doc = dlg->GetDocumentation();
    doc.m_record.values = {3, 0, 0, 0, 0, 1};   // LF, TAB, '.', unit column
    doc.m_strHeadline = "Versuch 7";
    doc.m_strComment = "Zugprobe";
    const std::string path = dir + "/series.csv";
    vx::ModalScript::AnswerFileSave(path.c_str());
    measure->OnFileSave();

    std::ifstream f(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.substr(0, 24), "\n\n\nVersuch 7\nZugprobe\n\n\n");
    const size_t last = text.rfind('\n', text.size() - 2) + 1;
    // No run told the mode, so x is a plain count.
    EXPECT_EQ(text.substr(last, 2), "0\t");
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(MeasureInMain, ThePrintedReportHoldsLogoChartAndTheDocumentationTexts)
{
    ASSERT_NE(measure, nullptr);
    // Keeps the temporary chart bitmap inside the test's own folder.
    dlg->m_strChartBitmapPath = (dir + "/chart.bmp").c_str();
    dlg->GetDocumentation().m_strHeadline = "Versuch 7";
    dlg->GetDocumentation().m_strComment = "Zugprobe ohne Vorlast\r\nan Welle 3, zweiter Durchgang am Nachmittag";
    const std::string pdf = dir + "/report.pdf";
    CRect chartRect;
    CString chartPath;
    ASSERT_TRUE(PrintToPdf(pdf, 600, [&](CPage& page) {
        measure->PrintPage(&page);
        chartRect = page.GetLastBitmapRect();
        chartPath = page.GetLastBitmapPath();
    }));
    EXPECT_EQ(chartPath, CPage::ResolveBitmapPath(dlg->m_strChartBitmapPath.GetString()));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dlg->m_strChartBitmapPath.str())));
    EXPECT_EQ(chartRect.top, 1100);
    EXPECT_EQ(chartRect.left, 750);
    // Both the logo and the chart are in the file.
    FILE* p = popen(("pdfimages -list '" + pdf + "' | tail -n +3 | wc -l").c_str(), "r");
    ASSERT_NE(p, nullptr);
    int images = 0;
    EXPECT_EQ(fscanf(p, "%d", &images), 1);
    pclose(p);
    EXPECT_EQ(images, 2);

    const auto words = ReadPdfWords(pdf);
    const PdfWord* title = FindPdfWord(words, "Diagramm");
    const PdfWord* headline = FindPdfWord(words, "Versuch");
    const PdfWord* comment = FindPdfWord(words, "Zugprobe");
    ASSERT_TRUE(title && headline && comment);
    // Title, headline and comment all in the band's title field, the
    // headline and comment beside the title, a quarter inch apart; the
    // comment is cut at the field's edge, not at the narrow right field.
    EXPECT_TRUE(InBandField(words, "Diagramm", BandField::Title));
    EXPECT_GT(headline->x, title->x2);
    EXPECT_NEAR(comment->x, headline->x, 1.0);
    EXPECT_NEAR(comment->y - headline->y, 18.0, 1.0);
    for (const PdfWord& w : words) {
        if (std::abs(w.y - headline->y) < 1.0 || std::abs(w.y - comment->y) < 1.0) {
            EXPECT_TRUE(InBandField(words, w.text, BandField::Title)) << w.text;
        }
    }
    EXPECT_NE(FindPdfWord(words, "7"), nullptr);
    EXPECT_NE(FindPdfWord(words, "Welle"), nullptr);
    EXPECT_NE(FindPdfWord(words, "Vorlast"), nullptr) << "the comment's line break prints as a blank";
    EXPECT_EQ(FindPdfWord(words, "Nachmittag"), nullptr);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
}
