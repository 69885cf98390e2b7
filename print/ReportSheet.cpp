#include "print/ReportSheet.h"

namespace ReportSheet {

namespace {
constexpr double kTop = 0.5, kBandBottom = 1.5, kBottom = 10.5;
constexpr double kLeft = 0.75, kLogoLine = 1.75, kRightLine = 6.0, kRight = 7.0;
// Half of a 2/150 inch line, and the air a text keeps from a line beside
// it, and above and below it.
constexpr double kHalfLine = 1.0 / 150.0;
constexpr double kAirBeside = 0.05;
constexpr double kAirAboveBelow = 0.01;
// Where column 5 starts in the title field when it shares it with the
// title: right of a 24-point "Diagramm" (about 1.55 inch).
constexpr double kBesideTitle = 1.75;
} // namespace

bool PrintLogo(CPage& page, int scale, const char* path)
{
    return page.PrintBitmap(kLogo[0] * scale / kDesignScale, kLogo[1] * scale / kDesignScale,
                            kLogo[2] * scale / kDesignScale, kLogo[3] * scale / kDesignScale, path);
}

void DrawFrame(CPage& page)
{
    struct Line {
        double r1, c1, r2, c2;
        int width, style;
    };
    static constexpr Line kLines[] = {
        {kTop, kLeft, kTop, kRight, 2, 0},
        {kTop, kLogoLine, kBandBottom, kLogoLine, 2, 0},
        {kTop, kRightLine, kBandBottom, kRightLine, 2, 0},
        {kBandBottom, kLeft, kBandBottom, kRight, 2, 0},
        {kTop, kLeft, kBottom, kLeft, 2, 0},
        {kTop, kRight, kBottom, kRight, 2, 2},
        {kBottom, kLeft, kBottom, kRight, 2, 0},
        {5.846, 0.05, 5.846, 0.15, 1, 0},
    };
    for (const Line& l : kLines)
        page.DrawFrame(l.r1, l.c1, l.r2, l.c2, l.width, l.style);
}

namespace {
constexpr double kFieldTop = kTop + kHalfLine + kAirAboveBelow;
constexpr double kFieldBottom = kBandBottom - kHalfLine - kAirAboveBelow;
constexpr double kTitleRight = kRightLine - kHalfLine - kAirBeside;
constexpr double kTitleLeft = kLogoLine + kHalfLine + kAirBeside;
static_assert(kLogo[1] > (kLeft + kHalfLine) * kDesignScale && kLogo[3] < (kLogoLine - kHalfLine) * kDesignScale,
              "the logo stands inside its field");
} // namespace

std::vector<CPage::TextField> TitleFields()
{
    return {
        {0.0, kFieldTop, kTitleLeft, kFieldBottom, kTitleRight},
        {5.0, kFieldTop, kRightLine + kHalfLine + kAirBeside, kFieldBottom, kRight - kHalfLine - kAirBeside},
    };
}

std::vector<CPage::TextField> TitleFieldsBesideTitle()
{
    const double second = kTitleLeft + kBesideTitle;
    return {
        {0.0, kFieldTop, kTitleLeft, kFieldBottom, second - kAirBeside},
        {5.0, kFieldTop, second, kFieldBottom, kTitleRight},
    };
}

} // namespace ReportSheet
