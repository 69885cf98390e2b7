// The framed sheet that the measure and parameter reports print on: a frame
// from row 0.5, column 0.75 to row 10.5, column 7.0 whose title band (rows
// 0.5 to 1.5) lines at columns 1.75 and 6.0 divide into the logo's field,
// the title field and the right field, and a short mark at half the height
// of an A4 sheet.
#pragma once

#include "print/Page.h"

#include <vector>

namespace ReportSheet {

// The logo's rectangle in 600ths of an inch: top, left, bottom, right. A
// square of 5/6 inch centred in its field (columns 0.75 to 1.75, rows 0.5
// to 1.5), so it stands clear of the lines around the field.
inline constexpr int kLogo[4] = {350, 500, 850, 1000};
// Positions in 600ths are scaled by the printer's dots per inch.
inline constexpr int kDesignScale = 600;

// The logo file in its rectangle; false when it could not be drawn.
bool PrintLogo(CPage& page, int scale, const char* path);
// The frame's eight lines.
void DrawFrame(CPage& page);
// The title band's text fields: texts from column 0 stand in the title
// field, texts from column 5 in the right field; each is cut at its field's
// edge, a little inside the lines.
std::vector<CPage::TextField> TitleFields();
// For a report without a date or time: its texts from column 5 (the
// documentation's headline and comment, titles too) stand in the title
// field beside the 24-point title, where a headline of some thirty
// characters fits, instead of in the right field's inch.
std::vector<CPage::TextField> TitleFieldsBesideTitle();

} // namespace ReportSheet
