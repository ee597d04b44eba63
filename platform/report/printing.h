#pragma once
// Reports on the printer: the process's printer settings, whether the
// printer makes copies itself, which way a run's pages go, and jobs made
// of finished pages.

#include <cstdint>
#include <string>

#include "platform/report/page_queue.h"
#include "platform/runtime/printing.h"

namespace qv::report {

// What the reports set on the printer and read back: one setting for the
// whole process, as there is one printer.
struct PrinterSettings {
    int copies = 1;
    bool collate = false;
};
PrinterSettings& printerSettings();

// What a report may ask of the printer.
enum class PrinterProperty : std::uint8_t {
    Copies, // the printer makes a job's copies itself
};

// Whether the printer has the property; false without a printer.
bool SUPPORTED(PrinterProperty property);

// The queue then holds that many collated copies of its pages, also when it
// held copies already (a preview printed twice).
void HANDLECOPIES(PageQueue& queue, int copies);

// Whether a run's finished pages go to its queue rather than straight to
// the printer: when it previews, when its copies are collated, or when it
// needs copies the printer cannot make.
bool pagesGoToQueue(bool previewing, int copies, bool collate);

// Prints every entry of the queue, copies included, as one job of the given
// number of copies. An empty queue or a job the printer refused is not
// printed, and says why.
rt::PrintResult printQueue(const PageQueue& queue, const std::string& documentName, int copies = 1);

// Prints the queue's pages the given number of times, whatever copies it
// held: the printer makes the
// copies when it can and they need no collating; otherwise the queue holds
// them (HANDLECOPIES) and the job is of one copy, so no printer multiplies
// them again.
rt::PrintResult printCopies(PageQueue& queue, const std::string& documentName, int copies, bool collate);

// A run's pages on their way straight to the printer, as one job. The pages
// are gathered in a bounded queue and the job is printed when the sink is
// closed: a painter held open on the printer across the run's waits would
// let another thread's job start on the same printer in the middle of it,
// and a cancelled run still prints the pages finished before the cancel, as
// a printer that had them already would. A sink destroyed unclosed prints
// nothing.
class PrinterSink : public PageSink
{
public:
    PrinterSink(std::string documentName, PageSetup setup, int copies = 1,
        std::size_t memoryBound = PageQueue::kDefaultMemoryBound);

    void addPage(Page page) override;
    std::size_t pagesAdded() const { return pages_.size(); }
    // Ends the job, as printQueue tells.
    rt::PrintResult close();

private:
    std::string documentName_;
    int copies_;
    PageQueue pages_;
    bool closed_ = false;
};

} // namespace qv::report
