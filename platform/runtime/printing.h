#pragma once
// Printing on the desktop's printer. The run time knows what a print job is;
// the window system's host installs the service that hands jobs to the
// printer. Without one (tests, a program without a host) there is no printer.

#include <cstddef>
#include <functional>
#include <string>

class QPainter;

namespace qv::rt {

struct PrintJob {
    std::string documentName; // what the printer's queue shows
    int copies = 1;
    bool collate = false;
    // The paper in thousandths of an inch, upright; landscape turns it.
    int pageWidth = 8500;
    int pageHeight = 11000;
    bool landscape = false;
    std::size_t pageCount = 0;
    // Draws one page with the painter's origin at the paper's top left
    // corner; dotsPerInch is the painter's resolution.
    std::function<void(QPainter& painter, std::size_t page, double dotsPerInch)> paintPage;
};

// What a job without a printer to go to is told.
inline constexpr const char* kNoPrinterText = "No printer is installed.";

struct PrintResult {
    bool printed = false;
    std::string error; // why it was not printed, in words for the user
};

class PrintService
{
public:
    virtual ~PrintService() = default;
    // The printer jobs go to; empty when there is none.
    virtual std::string printerName() const = 0;
    // Whether the printer makes a job's copies itself.
    virtual bool printerMakesCopies() const = 0;
    virtual PrintResult print(const PrintJob& job) = 0;
};

// The process's service; nullptr when none is installed.
PrintService* printService();
void setPrintService(PrintService* service);

} // namespace qv::rt
