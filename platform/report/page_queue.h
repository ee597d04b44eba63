#pragma once
// The finished pages of one report run, in the order they are to be shown
// or printed. Copies are entries that name the same page again, so making
// copies costs no page.
//
// Pages are kept encoded: in memory up to the queue's bound, and past it in
// a temporary file that no folder shows and that goes with the queue, so a
// report of tens of thousands of pages runs in bounded memory.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/report/page.h"

namespace qv::report {

class PageQueue : public PageSink
{
public:
    static constexpr std::size_t kDefaultMemoryBound = 32u << 20;

    explicit PageQueue(PageSetup setup = {}, std::size_t memoryBound = kDefaultMemoryBound);
    ~PageQueue() override;
    PageQueue(PageQueue&&) noexcept;
    PageQueue& operator=(PageQueue&&) noexcept;

    const PageSetup& setup() const { return setup_; }
    void setSetup(const PageSetup& setup) { setup_ = setup; }

    void addPage(Page page) override;
    // Entries, copies included.
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    // Distinct pages, without copies.
    std::size_t pageCount() const { return pages_.size(); }
    // The page an entry shows; an empty page past the end, or when its
    // record could not be read back.
    Page page(std::size_t entry) const;
    void clear();

    // The queue then holds the given number of collated copies of the pages
    // it held: 1 2 3 1 2 3 for two copies of three pages.
    void multiply(int copies);
    // The queue then holds its pages the given number of times, collated,
    // however many copies it held before.
    void setCopies(int copies);

    // Bytes of page records held in memory, and written to the file.
    std::size_t memoryBytes() const { return memoryBytes_; }
    std::size_t spilledBytes() const;

private:
    class SpillFile;
    struct Record {
        std::uint64_t offset; // into its block of memory_, or into the spill file
        std::uint32_t length;
        std::uint32_t block;
        bool spilled;
    };
    void keepInMemory(Record& record);

    PageSetup setup_;
    std::size_t memoryBound_;
    // Blocks of records: a queue that grows never copies what it holds, nor
    // holds twice its bound while it moves to a larger buffer.
    std::vector<std::string> memory_;
    std::size_t memoryBytes_ = 0;
    std::unique_ptr<SpillFile> spill_;
    std::string encoded_; // reused for each page
    std::vector<Record> pages_;
    std::vector<std::uint32_t> entries_;
};

} // namespace qv::report
