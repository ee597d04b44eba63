#pragma once
// The desktop's printers (CUPS through Qt) as the run time's print service.

#include <memory>

#include "platform/runtime/printing.h"

class QPrinter;

namespace qv::qt {

class QtPrintService : public rt::PrintService
{
public:
    QtPrintService();
    ~QtPrintService() override;

    // The printer of the process: the one File > Print Setup sets up and
    // every job prints on (into its output file when it has one). Made at
    // its first use, so a program that never prints never waits on the
    // printing system.
    QPrinter& printer() const;

    std::string printerName() const override;
    bool printerMakesCopies() const override;
    rt::PrintResult print(const rt::PrintJob& job) override;

private:
    mutable std::unique_ptr<QPrinter> printer_;
};

} // namespace qv::qt
