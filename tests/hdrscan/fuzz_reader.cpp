// libFuzzer target: the reader over arbitrary bytes, as a whole file or as a
// file that turns out shorter than its reported size.

#include <cstddef>
#include <cstdint>

#include "hdrscan/mp3_header_reader.h"

namespace {

// Reports more bytes than it can deliver, like a file cut short while it is read.
class ShrunkSource final : public qv::hdrscan::ByteSource
{
public:
    ShrunkSource(const std::uint8_t* data, std::size_t size, std::int64_t claimed)
        : memory_(data, size)
        , claimed_(claimed)
    { }
    std::int64_t size() const override { return claimed_; }
    std::size_t readAt(std::int64_t offset, std::uint8_t* dst, std::size_t n) override
    {
        return memory_.readAt(offset, dst, n);
    }

private:
    qv::hdrscan::MemorySource memory_;
    std::int64_t claimed_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace qv::hdrscan;
    char texts[7][32];
    std::int32_t numbers[6];
    const Mp3Outputs out{texts[0], texts[1], texts[2], texts[3], texts[4], &numbers[0], &numbers[1], &numbers[2],
        texts[5], texts[6], &numbers[3], &numbers[4], &numbers[5]};

    Mp3HeaderReader reader;
    MemorySource whole(data, size);
    reader.scan(whole);
    writeOutputs(reader, out);

    if (size > 0) {
        ShrunkSource shrunk(data + 1, size - 1, static_cast<std::int64_t>(size) * (1 + data[0] % 4));
        reader.scan(shrunk);
        writeOutputs(reader, out);
    }
    return 0;
}
