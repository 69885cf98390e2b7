// Whether a word of a printed report's header (its box from pdftotext)
// stands inside its field of the title band: clear of the band's lines and
// of the logo. They are placed from the printable area's corner on the
// paper, as the printer reports it, so this holds for any paper and dpi.
#pragma once

#include "platform/Dc.h"
#include "print/ReportSheet.h"
#include "tests/support/PdfText.h"

#include <gtest/gtest.h>

#include <algorithm>

struct PrintedSheet {
    double x0 = 0.0, y0 = 0.0;   // the printable area's corner, in points
    static PrintedSheet Of(const CPage& page)
    {
        return {page.GetDC()->GetDeviceCaps(PHYSICALOFFSETX) * 72.0 / page.GetDpiX(),
                page.GetDC()->GetDeviceCaps(PHYSICALOFFSETY) * 72.0 / page.GetDpiY()};
    }
};

enum class BandField { Title, Right };

inline ::testing::AssertionResult InBandField(const PdfWord& w, BandField field, const PrintedSheet& s)
{
    const double half = 1.0 / 150.0;   // of a frame line
    const double logoRight = static_cast<double>(ReportSheet::kLogo[3]) / ReportSheet::kDesignScale;
    const double left = s.x0 + 72.0 * (field == BandField::Title ? std::max(1.75 + half, logoRight) : 6.0 + half);
    const double right = s.x0 + 72.0 * (field == BandField::Title ? 6.0 - half : 7.0 - half);
    const double top = s.y0 + 72.0 * (0.5 + half), bottom = s.y0 + 72.0 * (1.5 - half);
    if (w.x >= left && w.y >= top && w.x2 <= right && w.y2 <= bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << w.text << "\" (" << w.x << ", " << w.y << ")-(" << w.x2 << ", "
                                         << w.y2 << ") leaves (" << left << ", " << top << ")-(" << right << ", "
                                         << bottom << ")";
}
