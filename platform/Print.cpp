#include "platform/Print.h"

#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Text1252.h"
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace vx {

std::shared_ptr<QPrinter> MakePrinter(const char* pdfPath)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setResolution(kPrinterDpi);
    printer->setFullPage(false);
    if (pdfPath && *pdfPath) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromLocal8Bit(pdfPath));
    }
    return printer;
}

namespace {
PrintFailureTexts& Texts()
{
    static PrintFailureTexts texts;
    return texts;
}
} // namespace

void SetPrintFailureTexts(const PrintFailureTexts& texts) { Texts() = texts; }

PrintProblem CheckPrinter(const QPrinter& printer, CString* detail)
{
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        const QString name = printer.outputFileName();
        // Qt falls back to a PDF printer without a file when the system has
        // no printer (or not the one named).
        if (name.isEmpty())
            return PrintProblem::NoPrinter;
        // Opened without truncating, and removed again when it was not
        // there before: the check leaves no trace.
        const bool existed = QFileInfo::exists(name);
        QFile file(name);
        const bool ok = existed ? !QFileInfo(name).isDir() && file.open(QIODevice::ReadWrite)
                                : file.open(QIODevice::WriteOnly);
        if (!ok) {
            if (detail)
                *detail = FromQString(QFileInfo(name).isDir() ? QStringLiteral("Is a directory") : file.errorString());
            return PrintProblem::FileNotWritable;
        }
        file.close();
        if (!existed)
            file.remove();
        return PrintProblem::None;
    }
    if (printer.printerName().isEmpty() || !printer.isValid()
        || QPrinterInfo::printerInfo(printer.printerName()).isNull())
        return PrintProblem::NoPrinter;
    return PrintProblem::None;
}

CString PrintFailureMessage(PrintProblem problem, const CString& file, const CString& detail)
{
    const PrintFailureTexts& t = Texts();
    CString message = t.failed;
    switch (problem) {
    case PrintProblem::None: break;
    case PrintProblem::NoPrinter: message += "\n\n" + t.noPrinter; break;
    case PrintProblem::FileNotWritable:
        message += "\n\n" + t.notWritable + "\n" + file;
        if (!detail.IsEmpty())
            message += " (" + detail + ")";
        break;
    }
    return message;
}

} // namespace vx

CPrintDialog::CPrintDialog(BOOL printSetupOnly, DWORD flags, CWnd* parent)
    : m_pd{flags, 1}, m_setupOnly(printSetupOnly != 0), m_parent(parent)
{
}

CPrintDialog::~CPrintDialog() = default;

INT_PTR CPrintDialog::DoModal()
{
    m_ok = false;
    m_printer = vx::MakePrinter();
    m_pd.Flags &= ~PD_HIDEPRINTTOFILE;

    vx::ModalRecord call;
    call.kind = vx::ModalKind::Print;
    call.text = m_setupOnly ? CString("Print Setup") : CString("Print");
    call.flags = m_pd.Flags;
    if (const std::optional<vx::ModalAnswer> answer = vx::ScriptedModal(call)) {
        if (answer->result != IDOK)
            return IDCANCEL;
        // A scripted OK prints to the PDF file named in the answer; without
        // a name to a scratch PDF, so a test never prints on paper.
        QString out = vx::ToQString(answer->text);
        if (out.isEmpty())
            out = QDir::temp().filePath(QStringLiteral("vx35-print-%1.pdf").arg(QCoreApplication::applicationPid()));
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(out);
        return Accept();
    }

    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        // Nothing but the file to print to: the dialog starts on it.
        QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QDir::homePath();
        m_printer->setOutputFormat(QPrinter::PdfFormat);
        m_printer->setOutputFileName(
            QDir(folder).filePath(QCoreApplication::applicationName() + QStringLiteral(".pdf")));
    }

    QPrintDialog dlg(m_printer.get(), m_parent ? m_parent->GetPeer() : nullptr);
    QAbstractPrintDialog::PrintDialogOptions options = dlg.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, !(m_pd.Flags & PD_NOSELECTION));
    options.setFlag(QAbstractPrintDialog::PrintPageRange, !(m_pd.Flags & PD_NOPAGENUMS));
    options.setFlag(QAbstractPrintDialog::PrintToFile, true);
    dlg.setOptions(options);
    dlg.setWindowModality(Qt::ApplicationModal);
    bool done = false;
    int result = QDialog::Rejected;
    QObject::connect(&dlg, &QDialog::finished, [&](int r) {
        result = r;
        done = true;
    });
    dlg.open();
    vx::RunModalLoop([&] { return done; });
    if (result != QDialog::Accepted)
        return IDCANCEL;
    // The dialog may have reset the resolution to the driver's default.
    m_printer->setResolution(kPrinterDpi);
    m_pd.nCopies = m_printer->copyCount();
    return Accept();
}

INT_PTR CPrintDialog::Accept()
{
    CString detail;
    const vx::PrintProblem problem = vx::CheckPrinter(*m_printer, &detail);
    if (problem != vx::PrintProblem::None) {
        AfxMessageBox(vx::PrintFailureMessage(problem, vx::FromQString(m_printer->outputFileName()), detail),
                      MB_OK | MB_ICONERROR);
        return IDCANCEL;
    }
    m_ok = true;
    return IDOK;
}

CString CPrintDialog::FailureMessage() const
{
    if (!m_printer)
        return vx::PrintFailureMessage(vx::PrintProblem::None);
    CString detail;
    const vx::PrintProblem problem = vx::CheckPrinter(*m_printer, &detail);
    return vx::PrintFailureMessage(problem, vx::FromQString(m_printer->outputFileName()), detail);
}

BOOL CPrintDialog::CreatePrinterDC(CDC& dc)
{
    if (!m_ok || !m_printer)
        return FALSE;
    return dc.AttachPrinter(m_printer);
}

bool CPrintDialog::PrintToFile() const
{
    return m_printer && m_printer->outputFormat() == QPrinter::PdfFormat;
}

int CPrintDialog::GetResolutionX() const { return m_printer ? m_printer->resolution() : kPrinterDpi; }
