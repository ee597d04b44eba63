#include "platform/report/page_queue.h"

namespace qv::report {

PageQueue::PageQueue(PageSetup setup)
    : setup_(setup)
{ }

void PageQueue::addPage(Page page)
{
    pages_.push_back(std::move(page));
    entries_.push_back(static_cast<std::uint32_t>(pages_.size() - 1));
}

Page PageQueue::page(std::size_t entry) const
{
    return entry < entries_.size() ? pages_[entries_[entry]] : Page{};
}

void PageQueue::clear()
{
    pages_.clear();
    entries_.clear();
}

void PageQueue::multiply(int copies)
{
    if (copies <= 1)
        return;
    const std::vector<std::uint32_t> one = entries_;
    entries_.reserve(one.size() * static_cast<std::size_t>(copies));
    for (int copy = 1; copy < copies; ++copy)
        entries_.insert(entries_.end(), one.begin(), one.end());
}

} // namespace qv::report
