// The printed parameter sheet: report header, frame and the table with the
// factory calibration lines.
#include "pages/ParameterDlg.h"

#include "app/DateTimeText.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "platform/Dc.h"
#include "print/Page.h"
#include "print/ReportSheet.h"

namespace {

constexpr int kDesignScale = ReportSheet::kDesignScale;   // the table's positions are for a 600 dpi printer
constexpr int kTitleY = 1100;
constexpr int kDashY = 1252;
constexpr int kFirstRowY = 1404;
constexpr int kRowStep = 152;
constexpr int kFactoryY[3] = {3228, 3380, 3532};
constexpr int kColumnX[6] = {600, 1180, 1600, 2000, 2680, 3360};
const char* const kFactoryNames[3] = {"Werkskalibrierung PASSIV", "Werkskalibrierung  AKTIV",
                                      "Werkskalibrierung  STROM"};

CVX35_3Dlg* MainDialog(CWnd* page) { return page ? dynamic_cast<CVX35_3Dlg*>(page->GetTopLevelParent()) : nullptr; }

// The main dialog's printer scale; a page printed without it (on its own
// sheet) takes the resolution of the printer it draws on.
int PrinterScale(CWnd* wnd, CPage* page)
{
    CVX35_3Dlg* main = MainDialog(wnd);
    if (main && main->GetPrinterScale() > 0)
        return main->GetPrinterScale();
    return page && page->GetDpiX() > 0 ? page->GetDpiX() : kDesignScale;
}

} // namespace

void CParameterDlg::PrintPage(CPage* page)
{
    CDC* dc = page ? page->GetDC() : nullptr;
    if (!dc)
        return;

    // The table is plain text in the printer's own font, so it goes first,
    // before the header selects fonts of its own.
    const int scale = PrinterScale(this, page);
    auto at = [&](int x, int y, const CString& text) {
        dc->TextOut(x * scale / kDesignScale, y * scale / kDesignScale, text);
    };
    const int offset = LanguageOffset();
    at(kColumnX[0], kTitleY, vx::LoadText(5177, offset));
    at(kColumnX[0], kDashY, CString('-', 70));
    at(kColumnX[1], kTitleY, vx::LoadText(5178, offset));
    at(kColumnX[2], kTitleY, vx::LoadText(5179, offset));
    at(kColumnX[3], kTitleY, vx::LoadText(5197, offset));
    at(kColumnX[4], kTitleY, "0 %");
    at(kColumnX[5], kTitleY, "100 %");
    for (int r = 0; r < kParameterRows; ++r) {
        const ParameterRowTexts& row = m_Read.Row(r);
        const int y = kFirstRowY + kRowStep * r;
        const CString* cells[6] = {&row.name, &row.nominal, &row.unit, &row.type, &row.p0, &row.p100};
        for (int c = 0; c < 6; ++c)
            at(kColumnX[c], y, *cells[c]);
    }
    // Each kind's second word stands under "0 %", its first under "100 %".
    for (int k = 0; k < 3; ++k) {
        at(kColumnX[0], kFactoryY[k], kFactoryNames[k]);
        at(kColumnX[4], kFactoryY[k], m_Read.FactoryWordText(2 * k + 1));
        at(kColumnX[5], kFactoryY[k], m_Read.FactoryWordText(2 * k));
    }
    PrintHeader(page);
    PrintFrame(page);
}

void CParameterDlg::PrintHeader(CPage* page)
{
    CVX35_3Dlg* main = MainDialog(this);
    if (main && !main->m_strLogoBitmapPath.IsEmpty())
        ReportSheet::PrintLogo(*page, PrinterScale(this, page), main->m_strLogoBitmapPath);
    const CString headline = main ? main->GetDocumentation().GetHeadline() : CString();
    const CString comment = main ? main->GetDocumentation().GetComment() : CString();
    const int offset = LanguageOffset();
    CDateTimeText when(0, 1000, 2000, 3000, offset, false, true);
    page->SetTextFields(ReportSheet::TitleFields());
    page->PrintText(0.55, 0.0, 0x80, 24, headline);
    page->PrintText(0.95, 0.0, 0x80, 10, comment);
    page->PrintText(1.3, 0.0, 0x80, 10, CString("Firmware Revision: ") + m_Read.VersionText());
    page->PrintText(0.75, 5.0, 0x80, 10, when.GetDateText());
    page->PrintText(1.0, 5.0, 0x80, 10, when.GetTimeText());
}

void CParameterDlg::PrintFrame(CPage* page)
{
    if (page)
        ReportSheet::DrawFrame(*page);
}
