#include "platform/report/printing.h"

#include <QPainter>

#include "platform/report/render.h"

namespace qv::report {

PrinterSettings& printerSettings()
{
    static PrinterSettings settings;
    return settings;
}

bool SUPPORTED(PrinterProperty property)
{
    const rt::PrintService* service = rt::printService();
    if (!service || service->printerName().empty())
        return false;
    switch (property) {
    case PrinterProperty::Copies:
        return service->printerMakesCopies();
    }
    return false;
}

void HANDLECOPIES(PageQueue& queue, int copies)
{
    queue.setCopies(copies);
}

bool pagesGoToQueue(bool previewing, int copies, bool collate)
{
    return previewing || collate || (copies > 1 && !SUPPORTED(PrinterProperty::Copies));
}

rt::PrintResult printQueue(const PageQueue& queue, const std::string& documentName, int copies)
{
    rt::PrintService* service = rt::printService();
    if (!service || service->printerName().empty())
        return {false, rt::kNoPrinterText};
    if (queue.empty())
        return {false, "There is no page to print."};
    const PageSetup& setup = queue.setup();
    rt::PrintJob job;
    job.documentName = documentName;
    job.copies = std::max(1, copies);
    job.pageWidth = setup.width;
    job.pageHeight = setup.height;
    job.landscape = setup.landscape;
    job.pageCount = queue.size();
    job.paintPage = [&queue](QPainter& painter, std::size_t entry, double dotsPerInch) {
        paintPage(painter, queue.page(entry), dotsPerInch);
    };
    return service->print(job);
}

rt::PrintResult printCopies(PageQueue& queue, const std::string& documentName, int copies, bool collate)
{
    const bool byQueue = copies > 1 && (collate || !SUPPORTED(PrinterProperty::Copies));
    HANDLECOPIES(queue, byQueue ? copies : 1);
    return printQueue(queue, documentName, byQueue ? 1 : copies);
}

PrinterSink::PrinterSink(std::string documentName, PageSetup setup, int copies, std::size_t memoryBound)
    : documentName_(std::move(documentName))
    , copies_(copies)
    , pages_(setup, memoryBound)
{ }

void PrinterSink::addPage(Page page)
{
    if (!closed_)
        pages_.addPage(std::move(page));
}

rt::PrintResult PrinterSink::close()
{
    if (closed_)
        return {false, "The print job has already ended."};
    closed_ = true;
    const rt::PrintResult result = printQueue(pages_, documentName_, copies_);
    pages_.clear();
    return result;
}

} // namespace qv::report
