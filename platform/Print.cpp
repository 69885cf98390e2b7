#include "platform/Print.h"

#include "platform/Dc.h"
#include "platform/Modal.h"
#include "platform/Text1252.h"
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QDir>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>

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
        m_ok = true;
        return IDOK;
    }

    QPrintDialog dlg(m_printer.get(), m_parent ? m_parent->GetPeer() : nullptr);
    QAbstractPrintDialog::PrintDialogOptions options = dlg.options();
    options.setFlag(QAbstractPrintDialog::PrintSelection, !(m_pd.Flags & PD_NOSELECTION));
    options.setFlag(QAbstractPrintDialog::PrintPageRange, !(m_pd.Flags & PD_NOPAGENUMS));
    options.setFlag(QAbstractPrintDialog::PrintToFile, !(m_pd.Flags & PD_HIDEPRINTTOFILE));
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
    m_ok = true;
    return IDOK;
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
