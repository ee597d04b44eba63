#pragma once
// The finished pages of one report run, in the order they are to be shown
// or printed. Copies are entries that name the same page again, so making
// copies costs no page.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/report/page.h"

namespace qv::report {

class PageQueue : public PageSink
{
public:
    explicit PageQueue(PageSetup setup = {});

    const PageSetup& setup() const { return setup_; }
    void setSetup(const PageSetup& setup) { setup_ = setup; }

    void addPage(Page page) override;
    // Entries, copies included.
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // The page an entry shows.
    Page page(std::size_t entry) const;
    void clear();

    // The queue then holds the given number of collated copies of the pages
    // it held: 1 2 3 1 2 3 for two copies of three pages.
    void multiply(int copies);

private:
    PageSetup setup_;
    std::vector<Page> pages_;
    std::vector<std::uint32_t> entries_;
};

} // namespace qv::report
