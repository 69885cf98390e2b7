// Whether a word of a printed report's header (its box as pdftotext gives
// it) stands in its field of the title band, clear of the lines and the
// logo, placed from the printable area's corner on PrintToPdf's paper.
#pragma once

#include "platform/Print.h"
#include "print/ReportSheet.h"
#include "tests/support/PdfText.h"

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPrinter>

#include <algorithm>

enum class BandField { Title, Right };

inline ::testing::AssertionResult InBandField(const std::vector<PdfWord>& words, const std::string& text, BandField f)
{
    const QPointF corner = vx::MakePrinter()->pageLayout().paintRect(QPageLayout::Point).topLeft();
    const double half = 1.0 / 150.0;   // of a frame line
    const double logo = static_cast<double>(ReportSheet::kLogo[3]) / ReportSheet::kDesignScale;
    const double left = corner.x() + 72.0 * (f == BandField::Title ? std::max(1.75 + half, logo) : 6.0 + half);
    const double right = corner.x() + 72.0 * (f == BandField::Title ? 6.0 - half : 7.0 - half);
    const double top = corner.y() + 72.0 * (0.5 + half), bottom = corner.y() + 72.0 * (1.5 - half);
    const PdfWord* w = FindPdfWord(words, text);
    if (w && w->x >= left && w->x2 <= right && w->y >= top && w->y2 <= bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text << "\" " << (w ? "leaves" : "misses") << " its field";
}
