// Printing through the print dialog seam onto a PDF file.
#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Print.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Shell(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p))
            out += buf;
        pclose(p);
    }
    return out;
}

bool HavePdfToText() { return !Shell("command -v pdftotext").empty(); }

std::string TempPath(const char* name) { return std::string(VX35_BINARY_DIR) + "/" + name; }

} // namespace

TEST(Print, CancelledDialogGivesNoPrinter)
{
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDCANCEL, {}, 0, {}});
    CPrintDialog dlg(FALSE, PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    CDC dc;
    EXPECT_FALSE(dlg.CreatePrinterDC(dc));
    ASSERT_FALSE(vx::ModalScript::Calls().empty());
    EXPECT_EQ(vx::ModalScript::Calls().back().kind, vx::ModalKind::Print);
    // Print to file is offered even to a caller that asks to hide it.
    EXPECT_EQ(vx::ModalScript::Calls().back().flags, 0x4000Cu);
}

TEST(Print, TwoLinePageToPdfReadsBack)
{
    const std::string pdf = TempPath("print_two_lines.pdf");
    std::remove(pdf.c_str());
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, CString(pdf.c_str()), 0, {}});
    CPrintDialog dlg(FALSE);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    CDC dc;
    ASSERT_TRUE(dlg.CreatePrinterDC(dc));
    EXPECT_TRUE(dc.IsPrinting());
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 600);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 600);
    // A printable page of A4 or Letter at 600 dpi.
    EXPECT_GT(dc.GetDeviceCaps(HORZRES), 4000);
    EXPECT_GT(dc.GetDeviceCaps(VERTRES), 5500);
    EXPECT_EQ(dc.GetDeviceCaps(NUMCOLORS), -1);

    ASSERT_GT(dc.StartDoc("Graph"), 0);
    ASSERT_GT(dc.StartPage(), 0);
    CFont font;
    font.CreatePointFont(120, "Arial", &dc);
    dc.SelectObject(&font);
    dc.TextOut(200, 200, CString("Messbericht VX35"));
    dc.TextOut(200, 600, CString("Kanal 0: 12.345 N\xB7m"));
    // Content with a raster operation goes onto the page as a picture.
    dc.SetROP2(R2_NOTXORPEN);
    CBrush band(RGB(150, 150, 255));
    dc.SelectObject(&band);
    dc.Rectangle(200, 1000, 2000, 1400);
    CRect focus(200, 1500, 2000, 1600);
    dc.DrawFocusRect(&focus);
    dc.SetROP2(R2_COPYPEN);
    // A bitmap stretched onto the page (the printed chart and logo).
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap bmp;
    bmp.CreateCompatibleBitmap(&dc, 30, 20);
    CBitmap* oldBmp = mem.SelectObject(&bmp);
    CRect all(0, 0, 30, 20);
    mem.FillSolidRect(&all, RGB(255, 0, 0));
    EXPECT_TRUE(dc.StretchBlt(200, 2000, 1500, 1000, &mem, 0, 0, 30, 20, SRCCOPY));
    mem.SelectObject(oldBmp);
    EXPECT_GT(dc.EndPage(), 0);
    EXPECT_GT(dc.EndDoc(), 0);
    ASSERT_TRUE(dlg.CommitPrintFile());

    // Whole only with every piece in its place: cut short anywhere, or
    // missing a piece in the middle (which moves every object after it), not.
    std::ifstream f(pdf, std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(vx::IsCompletePdf(whole));
    for (size_t keep : {size_t(0), size_t(4096), whole.size() / 2, whole.size() - 3})
        EXPECT_FALSE(vx::IsCompletePdf(std::string_view(whole).substr(0, keep))) << keep;
    const size_t middle = whole.find(" obj", whole.size() / 2);
    ASSERT_NE(middle, std::string::npos);
    EXPECT_FALSE(vx::IsCompletePdf(whole.substr(0, middle - 40) + whole.substr(middle)));
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    const std::string text = Shell("pdftotext -layout '" + pdf + "' - 2>/dev/null");
    EXPECT_NE(text.find("Messbericht VX35"), std::string::npos) << text;
    EXPECT_NE(text.find("Kanal 0: 12.345 N\xC2\xB7m"), std::string::npos) << text;
    EXPECT_LT(text.find("Messbericht"), text.find("Kanal 0"));
    // 12 points: the glyph boxes are about 12 points high on the page.
    const std::string box = Shell("pdftotext -bbox '" + pdf + "' - 2>/dev/null | grep -m1 'Messbericht'");
    double yMin = 0, yMax = 0;
    const size_t a = box.find("yMin=\""), b = box.find("yMax=\"");
    ASSERT_NE(a, std::string::npos) << box;
    yMin = std::stod(box.substr(a + 6));
    yMax = std::stod(box.substr(b + 6));
    EXPECT_NEAR(yMax - yMin, 13.0, 3.5);
    // The bitmap went onto the page as an image, not JPEG-compressed.
    const std::string images = Shell("pdfimages -list '" + pdf + "' 2>/dev/null");
    if (!images.empty()) {
        EXPECT_NE(images.find("image"), std::string::npos) << images;
        EXPECT_EQ(images.find("jpeg"), std::string::npos) << images;
    }
}

TEST(Print, ScriptedOkWithoutFileNeverReachesPaper)
{
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, {}, 0, {}});
    CPrintDialog dlg(FALSE);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.PrintToFile());
    EXPECT_EQ(dlg.GetResolutionX(), 600);
}

TEST(Print, PagesAndDocumentsInOrder)
{
    const std::string pdf = TempPath("print_pages.pdf");
    CDC dc;
    ASSERT_TRUE(dc.AttachPrinter(vx::MakePrinter(pdf.c_str())));
    EXPECT_LE(dc.StartPage(), 0);   // no document yet
    EXPECT_FALSE(dc.TextOut(0, 0, CString("lost")));
    ASSERT_GT(dc.StartDoc("Zwei Seiten"), 0);
    EXPECT_LE(dc.StartDoc("again"), 0);
    const int portraitWidth = dc.GetDeviceCaps(HORZRES);
    for (int page = 1; page <= 2; ++page) {
        if (page == 2) {
            ASSERT_TRUE(dc.SetPageOrientation(true));
            EXPECT_GT(dc.GetDeviceCaps(HORZRES), portraitWidth);
            EXPECT_GT(dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
        }
        ASSERT_GT(dc.StartPage(), 0);
        dc.TextOut(300, 300, CString(page == 1 ? "Seite eins" : "Seite zwei"));
        ASSERT_GT(dc.EndPage(), 0);
    }
    ASSERT_GT(dc.EndDoc(), 0);
    if (!HavePdfToText())
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_NE(Shell("pdftotext -f 2 -l 2 '" + pdf + "' - 2>/dev/null").find("Seite zwei"), std::string::npos);
    EXPECT_EQ(Shell("pdftotext -f 2 -l 2 '" + pdf + "' - 2>/dev/null").find("Seite eins"), std::string::npos);
}

TEST(Print, SelectingTheOldFontBackRestoresThePrintersOwnFont)
{
    // Pages print with a font of their own and select the returned one back,
    // then go on with plain text: that text must not shrink to a screen-sized
    // font on a 600 dpi page.
    const std::string pdf = TempPath("print_font.pdf");
    CDC dc;
    ASSERT_TRUE(dc.AttachPrinter(vx::MakePrinter(pdf.c_str())));
    ASSERT_GT(dc.StartDoc("Schrift"), 0);
    ASSERT_GT(dc.StartPage(), 0);
    const int before = dc.GetTextExtent(CString("X")).cy;
    EXPECT_GT(before, 60);   // about 10 points at 600 dpi
    CFont big;
    LOGFONT lf {};
    lf.lfHeight = -200;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "Arial");
    ASSERT_TRUE(big.CreateFontIndirect(&lf));
    CFont* old = dc.SelectObject(&big);
    ASSERT_NE(old, nullptr);
    dc.TextOut(300, 300, CString("Titel"));
    dc.SelectObject(old);
    EXPECT_EQ(dc.GetTextExtent(CString("X")).cy, before);
    ASSERT_GT(dc.EndPage(), 0);
    ASSERT_GT(dc.EndDoc(), 0);
}

TEST(Print, AChoiceThatCannotPrintIsToldWithItsReason)
{
    // A file in a folder that does not exist.
    const std::string missing = TempPath("no-such-folder/report.pdf");
    vx::ModalScript::Clear();
    vx::ModalScript::Answer(vx::ModalKind::Print, {IDOK, CString(missing.c_str()), 0, {}});
    CPrintDialog dlg(FALSE);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    CDC dc;
    EXPECT_FALSE(dlg.CreatePrinterDC(dc));
    const auto texts = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].Find("Printing failed"), 0) << texts[0].str();
    EXPECT_GE(texts[0].Find("The file could not be written:"), 0) << texts[0].str();
    EXPECT_GE(texts[0].Find(missing.c_str()), 0) << texts[0].str();
    EXPECT_GT(texts[0].Find("("), 0) << "the system's reason: " << texts[0].str();

    // The texts follow the language the program sets.
    vx::PrintFailureTexts german;
    german.failed = "Drucken fehlgeschlagen";
    german.notWritable = "Die Datei konnte nicht geschrieben werden:";
    vx::SetPrintFailureTexts(german);
    EXPECT_EQ(vx::PrintFailureMessage(vx::PrintProblem::FileNotWritable, "/x/y.pdf", "denied"),
              CString("Drucken fehlgeschlagen\n\nDie Datei konnte nicht geschrieben werden:\n/x/y.pdf (denied)"));
    vx::SetPrintFailureTexts({});
    EXPECT_EQ(vx::PrintFailureMessage(vx::PrintProblem::NoPrinter),
              CString("Printing failed\n\nNo printer is set up. Choose printing to a PDF file in the print dialog."));
}

TEST(Print, CheckingThePrinterLeavesNoTraceAndKnowsAMissingPrinter)
{
    const std::string fresh = TempPath("print_check_fresh.pdf");
    std::remove(fresh.c_str());
    auto pdf = vx::MakePrinter(fresh.c_str());
    EXPECT_EQ(vx::CheckPrinter(*pdf), vx::PrintProblem::None);
    EXPECT_FALSE(std::ifstream(fresh).good()) << "the check created the file";

    const std::string kept = TempPath("print_check_kept.pdf");
    std::ofstream(kept) << "earlier report";
    EXPECT_EQ(vx::CheckPrinter(*vx::MakePrinter(kept.c_str())), vx::PrintProblem::None);
    std::string content;
    std::getline(std::ifstream(kept), content);
    EXPECT_EQ(content, "earlier report");

    CString detail;
    EXPECT_EQ(vx::CheckPrinter(*vx::MakePrinter(VX35_BINARY_DIR), &detail), vx::PrintProblem::FileNotWritable);
    EXPECT_FALSE(detail.IsEmpty());

    QPrinter native(QPrinter::HighResolution);
    native.setPrinterName(QStringLiteral("vx35-no-such-printer"));
    EXPECT_EQ(vx::CheckPrinter(native), vx::PrintProblem::NoPrinter);
    EXPECT_EQ(vx::CheckPrinter(*vx::MakePrinter()), QPrinterInfo::availablePrinterNames().isEmpty()
                                                        ? vx::PrintProblem::NoPrinter
                                                        : vx::PrintProblem::None);
}
