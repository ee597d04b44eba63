#pragma once
// Pages to show and write, and the poppler tools that read a written PDF
// back as a reader would.

#include <QTemporaryDir>
#include <string>

#include "platform/report/page_queue.h"
#include "support/command_output.h"

namespace qv::report::testing {

inline Page textPage(const std::string& text)
{
    Page page;
    DrawStep step;
    step.x = 1000;
    step.y = 1000;
    step.text = text;
    step.font = page.fontIndex(FontSpec{"Arial", 12});
    page.steps.push_back(step);
    return page;
}

// Pages that say "First page", "Second page", "Third page".
inline PageQueue threePages(PageSetup setup = {})
{
    PageQueue queue(setup);
    for (const char* text : {"First page", "Second page", "Third page"})
        queue.addPage(textPage(text));
    return queue;
}

// The texts of a PDF's pages, one form feed after each page.
inline std::string pdfText(const std::string& path)
{
    return qv::testing::commandOutput("pdftotext -layout " + qv::testing::shellQuoted(path) + " - 2>/dev/null");
}

// A line of pdfinfo's, without its label: "Pages", "Page size", "Title".
inline std::string pdfInfo(const std::string& path, const std::string& label)
{
    const std::string info = qv::testing::commandOutput("pdfinfo " + qv::testing::shellQuoted(path) + " 2>/dev/null");
    const std::size_t at = info.find(label + ":");
    if (at == std::string::npos)
        return {};
    std::size_t from = info.find_first_not_of(' ', at + label.size() + 1);
    const std::size_t end = info.find('\n', from);
    return info.substr(from, end - from);
}

} // namespace qv::report::testing
