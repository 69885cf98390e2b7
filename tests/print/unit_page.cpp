// The print page on a real 600 dpi PDF printer, read back with pdftotext.
#include "platform/Bmp.h"
#include "platform/Dc.h"
#include "platform/Print.h"
#include "print/Page.h"
#include "print/ReportSheet.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <string>

namespace {

std::string RunCommand(const std::string& cmd)
{
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    pclose(p);
    return out;
}

struct Word {
    double x, y;
};

// pdftotext -bbox: word -> top-left corner in points.
std::map<std::string, Word> Words(const std::string& pdf)
{
    std::map<std::string, Word> words;
    const std::string html = RunCommand("pdftotext -bbox '" + pdf + "' -");
    std::regex re(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)"[^>]*>([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), re); it != std::sregex_iterator(); ++it)
        words[(*it)[3]] = Word{std::stod((*it)[1]), std::stod((*it)[2])};
    return words;
}

class PrintPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        pdf = dir.filePath("page.pdf").toStdString();
        dc.AttachPrinter(vx::MakePrinter(pdf.c_str()));
        ASSERT_GT(dc.StartDoc("test"), 0);
        ASSERT_GT(dc.StartPage(), 0);
    }
    void Finish()
    {
        dc.EndPage();
        dc.EndDoc();
    }
    QTemporaryDir dir;
    std::string pdf;
    CDC dc;
};

} // namespace

TEST_F(PrintPageTest, TextLandsAtItsInchPositionAndReportsTheNextRow)
{
    CPage page(&dc);
    EXPECT_EQ(page.GetDpiX(), 600);
    EXPECT_EQ(page.RowToDevice(0.75), 450);
    EXPECT_EQ(page.ColumnToDevice(5.0), 3000);
    const double next = page.PrintText(1.0, 1.0, TEXT_LEFT_LINE, 12, "Alpha");
    EXPECT_DOUBLE_EQ(next, 1.0 + 1.2 * 12 / 72.0);
    page.PrintText(2.0, 3.0, TEXT_LEFT_LINE, 12, "Beta");
    page.PrintText(0.75, 5.0, TEXT_LEFT_LINE, 10, "Gamma");
    Finish();

    const auto words = Words(pdf);
    ASSERT_TRUE(words.count("Alpha") && words.count("Beta") && words.count("Gamma"));
    // One inch is 72 points in the PDF, wherever the printable area starts.
    EXPECT_NEAR(words.at("Beta").x - words.at("Alpha").x, 144.0, 1.5);
    EXPECT_NEAR(words.at("Gamma").x - words.at("Alpha").x, 288.0, 1.5);
    EXPECT_NEAR(words.at("Beta").y - words.at("Alpha").y, 72.0, 1.5);
}

TEST_F(PrintPageTest, FramesLinesAndBitmapsDrawAndAMissingBitmapIsSkipped)
{
    QImage img(40, 20, QImage::Format_RGB32);
    img.fill(Qt::red);
    const std::string bmp = dir.filePath("logo.bmp").toStdString();
    ASSERT_TRUE(vx::SaveBmpFile(bmp.c_str(), img));

    CPage page(&dc);
    page.DrawFrame(1.0, 1.0, 2.0, 4.0, 2, 0);
    page.DrawFrame(3.0, 1.0, 3.0, 4.0, 1, 2);   // a dotted line
    // Corners given bottom-up are put right, not dropped.
    EXPECT_TRUE(page.PrintBitmapFile(5.0, 4.0, 4.0, 1.0, bmp.c_str()));
    EXPECT_EQ(page.GetLastBitmapRect(), CRect(600, 2400, 2400, 3000));
    EXPECT_TRUE(page.PrintBitmap(3600, 600, 4200, 1800, bmp.c_str()));
    EXPECT_FALSE(page.PrintBitmapFile(6.0, 1.0, 7.0, 2.0, "/nonexistent/none.bmp"));
    // A logo path that names a folder is a missing logo, not the end of
    // the print (or of the program).
    bool drawn = true;
    EXPECT_NO_THROW(drawn = page.PrintBitmap(3600, 600, 4200, 1800, dir.path().toLocal8Bit().constData()));
    EXPECT_FALSE(drawn);
    page.PrintText(8.0, 1.0, TEXT_LEFT_LINE, 10, "after");
    Finish();
    EXPECT_NE(RunCommand("pdftotext '" + pdf + "' -").find("after"), std::string::npos);
    // The page holds drawn images.
    EXPECT_NE(RunCommand("pdfimages -list '" + pdf + "' 2>/dev/null").find("image"), std::string::npos);
}

// The reports' logo stands inside its field, clear of the lines around it
// (0.75 to 1.75 inch across, 0.5 to 1.5 down, lines 1/75 inch wide); a
// printed text's line breaks print as blanks, in a text field or not.
TEST_F(PrintPageTest, ReportLogoInsideItsFieldAndLineBreaksAsBlanks)
{
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const std::string bmp = dir.filePath("logo.bmp").toStdString();
    ASSERT_TRUE(vx::SaveBmpFile(bmp.c_str(), img));
    CPage page(&dc);
    ASSERT_TRUE(ReportSheet::PrintLogo(page, 600, bmp.c_str()));
    const CRect r = page.GetLastBitmapRect();
    EXPECT_TRUE(r.left > 454 && r.right < 1046 && r.top > 304 && r.bottom < 896) << r.left << ".." << r.right;
    page.PrintText(2.0, 1.0, TEXT_LEFT_LINE, 10, "Zeile eins\r\nZeile zwei\ndrei\rvier");
    page.SetTextFields(ReportSheet::TitleFields());
    page.PrintText(1.0, 0.0, TEXT_LEFT_LINE, 10, "Kopf eins\r\nKopf zwei");
    Finish();
    const std::string text = RunCommand("pdftotext -raw '" + pdf + "' -");
    EXPECT_NE(text.find("Zeile eins Zeile zwei drei vier"), std::string::npos) << text;
    EXPECT_NE(text.find("Kopf eins Kopf zwei"), std::string::npos) << text;
}

TEST(PrintPageFallback, RelativeNamesAreFoundInTheDataFolder)
{
    QTemporaryDir data;
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const std::string path = data.filePath("VX35_test_logo.bmp").toStdString();
    ASSERT_TRUE(vx::SaveBmpFile(path.c_str(), img));
    CPage::SetBitmapFallbackDir(data.path().toStdString());
    EXPECT_EQ(CPage::ResolveBitmapPath("VX35_test_logo.bmp"), CString(path));
    EXPECT_EQ(CPage::ResolveBitmapPath("absent.bmp"), CString("absent.bmp"));
    CPage::SetBitmapFallbackDir(CString());
}
