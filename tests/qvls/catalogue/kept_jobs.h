#pragma once
// A printer that keeps the jobs it was given, for the lists' printing tests.

#include <string>
#include <vector>

#include "platform/runtime/printing.h"

namespace qv::qvls::testing {

class KeptJobs : public rt::PrintService
{
public:
    std::vector<rt::PrintJob> jobs;
    std::string printerName() const override { return "Office"; }
    bool printerMakesCopies() const override { return true; }
    rt::PrintResult print(const rt::PrintJob& job) override
    {
        jobs.push_back(job);
        return {true, {}};
    }
};

} // namespace qv::qvls::testing
