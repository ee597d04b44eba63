#include "platform/qt/print_service.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace qv::qt {

QtPrintService::QtPrintService() = default;
QtPrintService::~QtPrintService() = default;

QPrinter& QtPrintService::printer() const
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

std::string QtPrintService::printerName() const
{
    // The printer chosen in the setup dialog while it is still there, else
    // the desktop's default.
    const QString chosen = printer().printerName();
    if (!chosen.isEmpty() && QPrinterInfo::availablePrinterNames().contains(chosen))
        return chosen.toStdString();
    return QPrinterInfo::defaultPrinterName().toStdString();
}

bool QtPrintService::printerMakesCopies() const
{
    if (printerName().empty())
        return false;
    printer().setPrinterName(QString::fromStdString(printerName()));
    return printer().supportsMultipleCopies();
}

rt::PrintResult QtPrintService::print(const rt::PrintJob& job)
{
    QPrinter& p = printer();
    // A printer set to print into a file writes PDF there; otherwise the
    // job goes to the printer.
    const QString file = p.outputFileName();
    const std::string name = file.isEmpty() ? printerName() : file.toStdString();
    if (name.empty())
        return {false, rt::kNoPrinterText};
    if (file.isEmpty()) {
        p.setPrinterName(QString::fromStdString(name));
        p.setOutputFormat(QPrinter::NativeFormat);
    } else {
        p.setOutputFormat(QPrinter::PdfFormat);
    }
    p.setDocName(QString::fromStdString(job.documentName));
    p.setCopyCount(std::max(1, job.copies));
    p.setCollateCopies(job.collate);
    // Pages are laid out from the paper's corner, not the printable area's.
    p.setFullPage(true);
    p.setPageSize(QPageSize(QSizeF(job.pageWidth / 1000.0, job.pageHeight / 1000.0), QPageSize::Inch));
    p.setPageOrientation(job.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const QString refused
        = QStringLiteral("The printer \"%1\" did not accept the job.").arg(QString::fromStdString(name));
    QPainter painter;
    if (!painter.begin(&p))
        return {false, refused.toStdString()};
    for (std::size_t page = 0; page < job.pageCount; ++page) {
        if (page > 0 && !p.newPage()) {
            painter.end();
            return {false, refused.toStdString()};
        }
        if (job.paintPage)
            job.paintPage(painter, page, p.resolution());
    }
    if (!painter.end())
        return {false, refused.toStdString()};
    return {true, {}};
}

} // namespace qv::qt
