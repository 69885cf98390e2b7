// Choosing a printer and printing on it.
//
// CPrintDialog::DoModal goes through the modal seam (Modal.h, kind Print):
// in the program it shows the Qt print dialog; a scripted answer of IDOK
// prints to the PDF file named in the answer's text (a scratch PDF in the
// temporary folder when the text is empty), so no test ever blocks or
// prints on paper. The printer is set to
// 600 dpi; callers scale by GetDeviceCaps(LOGPIXELSX/Y).
//
// Print to file (PDF) is always offered, whatever the flags say: it is the
// desktop's stand-in for the PDF printer that is always there elsewhere,
// and on a machine without a printer it is the only way to print. When no
// printer is set up the dialog starts on it. A choice that cannot print (no
// printer, a file that cannot be written) is told to the user, with the
// reason, before DoModal returns IDCANCEL.
//
// Printing to a file never destroys the file that was there: the printer
// writes into a scratch copy in memory, and CommitPrintFile, called once the
// document has ended, checks that the copy holds a whole document and only
// then writes it to the chosen file the way every other file of the program
// is written (beside it, then renamed over it). A disk that fills up on the
// way leaves the old file whole, and FailureMessage names the file and the
// cause.
#pragma once

#include "platform/CString.h"
#include "platform/Types.h"

#include <QString>

#include <memory>
#include <string_view>

class CDC;
class CWnd;
class QPrinter;

constexpr DWORD PD_ALLPAGES = 0x00000000;
constexpr DWORD PD_SELECTION = 0x00000001;
constexpr DWORD PD_PAGENUMS = 0x00000002;
constexpr DWORD PD_NOSELECTION = 0x00000004;
constexpr DWORD PD_NOPAGENUMS = 0x00000008;
constexpr DWORD PD_COLLATE = 0x00000010;
constexpr DWORD PD_PRINTTOFILE = 0x00000020;
constexpr DWORD PD_PRINTSETUP = 0x00000040;
constexpr DWORD PD_RETURNDC = 0x00000100;
constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;
constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;

constexpr int kPrinterDpi = 600;

class CPrintDialog {
public:
    explicit CPrintDialog(BOOL printSetupOnly,
                          DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_NOSELECTION,
                          CWnd* parent = nullptr);
    ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // 1 (OK) or 2 (Cancel).
    INT_PTR DoModal();
    // Attaches the chosen printer to a DC; false before an OK, or when no
    // scratch copy could be made for printing to a file.
    BOOL CreatePrinterDC(CDC& dc);
    // After EndDoc: puts the printed file in place (nothing to do on a
    // printer). False when the file could not be written, which is then
    // left as it was; FailureMessage says why.
    bool CommitPrintFile();
    // Dots per inch of the chosen printer (the same both ways).
    int GetResolutionX() const;
    bool PrintToFile() const;
    QPrinter* GetPrinter() const { return m_printer.get(); }
    // The message for printing that failed on this dialog's printer: the
    // failure text and, when it can be told, why (for a file: its name and
    // the system's reason).
    CString FailureMessage() const;

    struct PD { DWORD Flags; int nCopies; } m_pd;

private:
    // IDOK when the chosen printer can print; else tells why, IDCANCEL.
    INT_PTR Accept();
    bool OpenScratch();
    void CloseScratch();

    std::shared_ptr<QPrinter> m_printer;
    QString m_target;          // the file chosen to print to
    int m_scratch = -1;        // the copy the printer writes, while printing to a file
    QString m_scratchName;     // the name the printer writes it by
    QString m_scratchFile;     // that name when it lies in the temporary folder
    CString m_failure;         // why the file could not be written
    bool m_ok = false;
    bool m_setupOnly;
    CWnd* m_parent;
};

namespace vx {
// A 600 dpi printer; writes a PDF file when pdfPath is given.
std::shared_ptr<QPrinter> MakePrinter(const char* pdfPath = nullptr);

enum class PrintProblem { None, NoPrinter, FileNotWritable };
// What stands in the way of printing on the printer: no printer behind a
// native printer, or an output file that cannot be written (detail gets
// the system's reason then). The file is not changed.
PrintProblem CheckPrinter(const QPrinter& printer, CString* detail = nullptr);

// The texts of print failures, in the program's language; the program sets
// them at every language switch.
struct PrintFailureTexts {
    CString failed = "Printing failed";
    CString noPrinter = "No printer is set up. Choose printing to a PDF file in the print dialog.";
    CString notWritable = "The file could not be written:";
};
void SetPrintFailureTexts(const PrintFailureTexts& texts);
// "Printing failed", then the reason (with the file and the system's word
// for a file that cannot be written).
CString PrintFailureMessage(PrintProblem problem, const CString& file = {}, const CString& detail = {});

// Whether pdf is a whole document as a PDF writer leaves it: it ends in its
// trailer, and the cross-reference table stands where the trailer says. A
// document cut short, or missing a piece before its table, fails.
bool IsCompletePdf(std::string_view pdf);
} // namespace vx
