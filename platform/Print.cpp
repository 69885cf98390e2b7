#include "platform/Print.h"

#include "platform/Dc.h"
#include "platform/File.h"
#include "platform/Modal.h"
#include "platform/SafeFile.h"
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

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

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

namespace {

// The file a PDF printer writes, checked without changing it.
PrintProblem CheckFile(const QString& name, CString* detail)
{
    // Qt falls back to a PDF printer without a file when the system has no
    // printer (or not the one named).
    if (name.isEmpty())
        return PrintProblem::NoPrinter;
    CString reason;
    if (CanWriteFile(QFile::encodeName(name).constData(), &reason))
        return PrintProblem::None;
    if (detail)
        *detail = reason;
    return PrintProblem::FileNotWritable;
}

// The number at pos, after blanks and line ends; pos moves past it.
bool ReadNumber(std::string_view text, size_t& pos, size_t& value)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\r' || text[pos] == '\n'))
        ++pos;
    const char* first = text.data() + pos;
    const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
    if (ec != std::errc() || end == first)
        return false;
    pos += static_cast<size_t>(end - first);
    return true;
}

} // namespace

PrintProblem CheckPrinter(const QPrinter& printer, CString* detail)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return CheckFile(printer.outputFileName(), detail);
    if (printer.printerName().isEmpty() || !printer.isValid()
        || QPrinterInfo::printerInfo(printer.printerName()).isNull())
        return PrintProblem::NoPrinter;
    return PrintProblem::None;
}

bool IsCompletePdf(std::string_view pdf)
{
    if (pdf.substr(0, 5) != "%PDF-")
        return false;
    size_t end = pdf.size();
    while (end > 0 && (pdf[end - 1] == '\n' || pdf[end - 1] == '\r' || pdf[end - 1] == ' '))
        --end;
    if (end < 5 || pdf.substr(end - 5, 5) != "%%EOF")
        return false;
    // The trailer points at the cross-reference table by its offset: a piece
    // missing anywhere before the table moves it away from there.
    const size_t startxref = pdf.rfind("startxref", end);
    size_t pos = startxref + 9, table = 0;
    return startxref != std::string_view::npos && ReadNumber(pdf.substr(0, end), pos, table) && table < startxref
           && pdf.substr(table, 4) == "xref";
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

CPrintDialog::~CPrintDialog() { CloseScratch(); }

INT_PTR CPrintDialog::DoModal()
{
    m_ok = false;
    CloseScratch();
    m_target.clear();
    m_failure.Empty();
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
    if (PrintToFile())
        m_target = m_printer->outputFileName();
    m_ok = true;
    return IDOK;
}

CString CPrintDialog::FailureMessage() const
{
    if (!m_printer)
        return vx::PrintFailureMessage(vx::PrintProblem::None);
    const CString file = vx::FromQString(m_target);
    if (!m_failure.IsEmpty())
        return vx::PrintFailureMessage(vx::PrintProblem::FileNotWritable, file, m_failure);
    CString detail;
    if (!m_target.isEmpty())
        return vx::PrintFailureMessage(vx::CheckFile(m_target, &detail), file, detail);
    return vx::PrintFailureMessage(vx::CheckPrinter(*m_printer, &detail), file, detail);
}

bool CPrintDialog::OpenScratch()
{
    CloseScratch();
    // In memory, so that a full disk cannot cut it short; in the temporary
    // folder where the system cannot give the printer a name for that.
    int fd = ::memfd_create("vx35-print", MFD_CLOEXEC);
    QString name = QStringLiteral("/proc/self/fd/%1").arg(fd);
    if (fd >= 0 && ::access(QFile::encodeName(name).constData(), W_OK) != 0) {
        ::close(fd);
        fd = -1;
    }
    if (fd < 0) {
        QByteArray path = QFile::encodeName(QDir::temp().filePath(QStringLiteral("vx35-print-XXXXXX")));
        fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0)
            return false;
        name = m_scratchFile = QFile::decodeName(path);
    }
    m_scratch = fd;
    m_scratchName = name;
    m_printer->setOutputFileName(name);
    return true;
}

void CPrintDialog::CloseScratch()
{
    if (m_scratch >= 0)
        ::close(m_scratch);
    m_scratch = -1;
    if (!m_scratchFile.isEmpty())
        QFile::remove(m_scratchFile);
    m_scratchFile.clear();
    m_scratchName.clear();
    if (m_printer && !m_target.isEmpty())
        m_printer->setOutputFileName(m_target);
}

BOOL CPrintDialog::CreatePrinterDC(CDC& dc)
{
    if (!m_ok || !m_printer)
        return FALSE;
    m_failure.Empty();
    if (!m_target.isEmpty() && !OpenScratch()) {
        m_failure = CString(std::strerror(errno));
        return FALSE;
    }
    return dc.AttachPrinter(m_printer);
}

bool CPrintDialog::CommitPrintFile()
{
    if (!m_ok || m_target.isEmpty())
        return m_ok;
    if (m_scratch < 0) {
        m_failure = CString(std::strerror(EBADF));
        return false;
    }
    std::vector<BYTE> bytes;
    int err = 0;
    if (vx::ReadRegularFile(QFile::encodeName(m_scratchName).constData(), bytes, UINT64_MAX, nullptr, &err) !=
        vx::FileReadResult::Ok)
        err = err ? err : EIO;
    const std::string_view pdf(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (err == 0 && !vx::IsCompletePdf(pdf)) {
        // The printer does not say why it stopped writing; the scratch copy
        // does, when asked to grow by one byte.
        err = ::pwrite(m_scratch, "\n", 1, static_cast<off_t>(pdf.size())) < 0 ? errno : EIO;
    }
    CloseScratch();
    if (err != 0) {
        m_failure = CString(std::strerror(err));
        return false;
    }
    vx::SafeFileWriter out(QFile::encodeName(m_target).constData());
    if (!out.Write(pdf.data(), pdf.size()) || !out.Commit()) {
        m_failure = out.ErrorReason();
        return false;
    }
    return true;
}

bool CPrintDialog::PrintToFile() const
{
    return m_printer && m_printer->outputFormat() == QPrinter::PdfFormat;
}

int CPrintDialog::GetResolutionX() const { return m_printer ? m_printer->resolution() : kPrinterDpi; }
