#include "platform/report/page_queue.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "platform/report/page_codec.h"

namespace qv::report {

// An unnamed temporary file: it is unlinked from the start, so the pages go
// with the process however it ends. Writes are gathered into large blocks;
// a read of a page still in the block is served from it.
class PageQueue::SpillFile
{
public:
    static std::unique_ptr<SpillFile> open()
    {
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
        const std::string dir = error ? std::string("/tmp") : folder.string();
        int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0) {
            // File systems without unnamed files: a named one, unlinked at once.
            std::string name = dir + "/qvpages-XXXXXX";
            fd = ::mkostemp(name.data(), O_CLOEXEC);
            if (fd >= 0)
                ::unlink(name.c_str());
        }
        return fd < 0 ? nullptr : std::unique_ptr<SpillFile>(new SpillFile(fd));
    }

    ~SpillFile() { ::close(fd_); }
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    std::uint64_t size() const { return written_ + pending_.size(); }

    // Where the record will be read from; false when the file refused it.
    bool append(const std::string& record, std::uint64_t& offset)
    {
        if (pending_.size() + record.size() > kBlock && !flush())
            return false;
        offset = size();
        pending_.append(record);
        return true;
    }

    bool read(std::uint64_t offset, std::uint32_t length, std::string& out) const
    {
        out.resize(length);
        if (offset >= written_) {
            if (offset - written_ + length > pending_.size())
                return false;
            out.assign(pending_, offset - written_, length);
            return true;
        }
        std::size_t done = 0;
        while (done < length) {
            const ssize_t n = ::pread(fd_, out.data() + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    static constexpr std::size_t kBlock = 1u << 20;

    explicit SpillFile(int fd)
        : fd_(fd)
    { }

    bool flush()
    {
        std::size_t done = 0;
        while (done < pending_.size()) {
            const ssize_t n
                = ::pwrite(fd_, pending_.data() + done, pending_.size() - done, static_cast<off_t>(written_ + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // What did get written stays unread: the block is kept whole.
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        written_ += pending_.size();
        pending_.clear();
        return true;
    }

    int fd_;
    std::uint64_t written_ = 0;
    std::string pending_;
};

PageQueue::PageQueue(PageSetup setup, std::size_t memoryBound)
    : setup_(setup)
    , memoryBound_(memoryBound)
{ }

PageQueue::~PageQueue() = default;
PageQueue::PageQueue(PageQueue&&) noexcept = default;
PageQueue& PageQueue::operator=(PageQueue&&) noexcept = default;

void PageQueue::addPage(Page page)
{
    encoded_.clear();
    encodePage(page, encoded_);
    Record record{0, static_cast<std::uint32_t>(encoded_.size()), 0, false};
    if (memoryBytes_ + encoded_.size() > memoryBound_) {
        if (!spill_) {
            spill_ = SpillFile::open();
            if (!spill_)
                memoryBound_ = SIZE_MAX; // no file to be had: memory it is, without asking again
        }
        // A disk that refuses the page keeps it in memory: a page is never lost.
        record.spilled = spill_ && spill_->append(encoded_, record.offset);
    }
    if (!record.spilled)
        keepInMemory(record);
    pages_.push_back(record);
    entries_.push_back(static_cast<std::uint32_t>(pages_.size() - 1));
}

void PageQueue::keepInMemory(Record& record)
{
    constexpr std::size_t kBlock = 1u << 20;
    if (memory_.empty() || memory_.back().size() + encoded_.size() > memory_.back().capacity()) {
        memory_.emplace_back();
        memory_.back().reserve(std::max(kBlock, encoded_.size()));
    }
    record.block = static_cast<std::uint32_t>(memory_.size() - 1);
    record.offset = memory_.back().size();
    memory_.back().append(encoded_);
    memoryBytes_ += encoded_.size();
}

Page PageQueue::page(std::size_t entry) const
{
    if (entry >= entries_.size())
        return {};
    const Record& record = pages_[entries_[entry]];
    std::optional<Page> page;
    if (!record.spilled) {
        page = decodePage(std::string_view(memory_[record.block]).substr(record.offset, record.length));
    } else {
        std::string bytes;
        if (spill_->read(record.offset, record.length, bytes))
            page = decodePage(bytes);
    }
    return page ? std::move(*page) : Page{};
}

void PageQueue::clear()
{
    memory_.clear();
    memory_.shrink_to_fit();
    memoryBytes_ = 0;
    spill_.reset();
    pages_.clear();
    entries_.clear();
}

std::size_t PageQueue::spilledBytes() const
{
    return spill_ ? static_cast<std::size_t>(spill_->size()) : 0;
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

void PageQueue::setCopies(int copies)
{
    entries_.resize(pages_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i)
        entries_[i] = static_cast<std::uint32_t>(i);
    multiply(copies);
}

} // namespace qv::report
