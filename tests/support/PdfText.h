// The words of a PDF page with their positions, as poppler's pdftotext
// reads them: an independent check of what a print really put where.
#pragma once

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

struct PdfWord {
    std::string text;
    double x = 0.0, y = 0.0;     // top-left corner in points, from the page's top-left
    double x2 = 0.0, y2 = 0.0;   // bottom-right corner
};

inline std::vector<PdfWord> ReadPdfWords(const std::string& pdf)
{
    std::string html;
    if (FILE* p = popen(("pdftotext -bbox '" + pdf + "' - 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            html.append(buf, n);
        pclose(p);
    }
    std::vector<PdfWord> words;
    static const std::regex re(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)"[^>]*>([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), re); it != std::sregex_iterator(); ++it)
        words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
    return words;
}

// The first word with that text, or null.
inline const PdfWord* FindPdfWord(const std::vector<PdfWord>& words, const std::string& text, size_t skip = 0)
{
    for (const PdfWord& w : words)
        if (w.text == text && skip-- == 0)
            return &w;
    return nullptr;
}

#ifdef VX35_PDF_PRINTING
#include "platform/Dc.h"
#include "platform/Print.h"
#include "print/Page.h"

#include <QFile>
#include <QPrinter>

#include <cstdlib>

// Prints one page into a PDF at the given resolution, as File > Print does
// on a printer of that resolution.
template <class Print>
bool PrintToPdf(const std::string& pdf, int dpi, Print&& print)
{
    auto printer = vx::MakePrinter(pdf.c_str());
    printer->setResolution(dpi);
    CDC dc;
    if (!dc.AttachPrinter(printer) || dc.StartDoc("test") <= 0 || dc.StartPage() <= 0)
        return false;
    {
        CPage page(&dc);
        print(page);
    }
    const bool ok = dc.EndPage() > 0 && dc.EndDoc() > 0;
    // A copy for the developer's eyes (pdftoppm turns it into a picture).
    if (const char* keep = std::getenv("VX35_SHOT_DIR")) {
        const std::string name = pdf.substr(pdf.find_last_of('/') + 1);
        QFile::remove(QString::fromStdString(std::string(keep) + "/" + name));
        QFile::copy(QString::fromStdString(pdf), QString::fromStdString(std::string(keep) + "/" + name));
    }
    return ok;
}
#endif
