#include "platform/report/page_codec.h"

#include <cstdint>
#include <limits>

namespace qv::report {

namespace {

constexpr std::uint8_t kVersion = 1;
constexpr std::size_t kChecksumBytes = 4;

enum FontFlag : std::uint8_t { kBold = 1, kItalic = 2, kUnderline = 4, kStrikeout = 8 };
enum StepFlag : std::uint8_t { kWrap = 1, kChecked = 2 };

// FNV-1a: a changed byte anywhere in a record makes it refused rather than
// drawn as something else.
std::uint32_t checksum(std::string_view bytes)
{
    std::uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<std::uint8_t>(c);
        hash *= 16777619u;
    }
    return hash;
}

class Writer
{
public:
    explicit Writer(std::string& out)
        : out_(out)
    { }

    void byte(std::uint8_t b) { out_.push_back(static_cast<char>(b)); }
    void unsignedNumber(std::uint64_t n)
    {
        while (n >= 0x80) {
            byte(static_cast<std::uint8_t>(n | 0x80));
            n >>= 7;
        }
        byte(static_cast<std::uint8_t>(n));
    }
    // Zigzag, so small negative numbers (colours of -1) stay one byte.
    void number(std::int64_t n)
    {
        unsignedNumber((static_cast<std::uint64_t>(n) << 1) ^ static_cast<std::uint64_t>(n >> 63));
    }
    void text(const std::string& s)
    {
        unsignedNumber(s.size());
        out_.append(s);
    }

private:
    std::string& out_;
};

class Reader
{
public:
    explicit Reader(std::string_view in)
        : in_(in)
    { }

    bool failed() const { return failed_; }
    bool atEnd() const { return at_ == in_.size(); }
    std::size_t remaining() const { return in_.size() - at_; }

    std::uint8_t byte()
    {
        if (at_ >= in_.size()) {
            failed_ = true;
            return 0;
        }
        return static_cast<std::uint8_t>(in_[at_++]);
    }
    std::uint64_t unsignedNumber()
    {
        std::uint64_t n = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const std::uint8_t b = byte();
            n |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80))
                return n;
        }
        failed_ = true;
        return 0;
    }
    std::int64_t number()
    {
        const std::uint64_t n = unsignedNumber();
        return static_cast<std::int64_t>(n >> 1) ^ -static_cast<std::int64_t>(n & 1);
    }
    int integer()
    {
        const std::int64_t n = number();
        if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
            failed_ = true;
        return static_cast<int>(n);
    }
    std::string text()
    {
        const std::uint64_t size = unsignedNumber();
        if (failed_ || size > remaining()) {
            failed_ = true;
            return {};
        }
        std::string s(in_.substr(at_, size));
        at_ += size;
        return s;
    }
    // A count of entries that each take at least one byte: a larger one is
    // damage, and must not make the reader reserve room for it.
    std::size_t count()
    {
        const std::uint64_t n = unsignedNumber();
        if (n > remaining())
            failed_ = true;
        return failed_ ? 0 : static_cast<std::size_t>(n);
    }

private:
    std::string_view in_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

void encodeFont(Writer& w, const FontSpec& font)
{
    w.text(font.face);
    w.number(font.size);
    w.byte(static_cast<std::uint8_t>((font.bold ? kBold : 0) | (font.italic ? kItalic : 0)
        | (font.underline ? kUnderline : 0) | (font.strikeout ? kStrikeout : 0)));
}

bool decodeFont(Reader& r, FontSpec& font)
{
    font.face = r.text();
    font.size = r.integer();
    const std::uint8_t flags = r.byte();
    font.bold = flags & kBold;
    font.italic = flags & kItalic;
    font.underline = flags & kUnderline;
    font.strikeout = flags & kStrikeout;
    return !r.failed() && !(flags & ~(kBold | kItalic | kUnderline | kStrikeout));
}

void encodeStep(Writer& w, const DrawStep& step)
{
    w.byte(static_cast<std::uint8_t>(step.kind));
    w.number(step.x);
    w.number(step.y);
    w.number(step.width);
    w.number(step.height);
    w.text(step.text);
    w.unsignedNumber(step.font);
    w.number(step.colour);
    w.number(step.fill);
    w.number(step.lineWidth);
    w.byte(static_cast<std::uint8_t>(step.align));
    w.byte(static_cast<std::uint8_t>((step.wrap ? kWrap : 0) | (step.checked ? kChecked : 0)));
    w.number(step.angle);
}

bool decodeStep(Reader& r, DrawStep& step)
{
    const std::uint8_t kind = r.byte();
    if (kind > static_cast<std::uint8_t>(DrawStep::Kind::Check))
        return false;
    step.kind = static_cast<DrawStep::Kind>(kind);
    step.x = r.integer();
    step.y = r.integer();
    step.width = r.integer();
    step.height = r.integer();
    step.text = r.text();
    // A font index past the page's table is drawn in the default font, as
    // in memory; only what no step can hold is damage.
    const std::uint64_t font = r.unsignedNumber();
    if (font > std::numeric_limits<std::uint16_t>::max())
        return false;
    step.font = static_cast<std::uint16_t>(font);
    step.colour = r.integer();
    step.fill = r.integer();
    step.lineWidth = r.integer();
    const std::uint8_t align = r.byte();
    if (align > static_cast<std::uint8_t>(Align::Right))
        return false;
    step.align = static_cast<Align>(align);
    const std::uint8_t flags = r.byte();
    if (flags & ~(kWrap | kChecked))
        return false;
    step.wrap = flags & kWrap;
    step.checked = flags & kChecked;
    step.angle = r.integer();
    return !r.failed();
}

} // namespace

void encodePage(const Page& page, std::string& out)
{
    const std::size_t start = out.size();
    Writer w(out);
    w.byte(kVersion);
    w.unsignedNumber(page.fonts.size());
    for (const FontSpec& font : page.fonts)
        encodeFont(w, font);
    w.unsignedNumber(page.steps.size());
    for (const DrawStep& step : page.steps)
        encodeStep(w, step);
    const std::uint32_t sum = checksum(std::string_view(out).substr(start));
    for (int i = 0; i < 4; ++i)
        w.byte(static_cast<std::uint8_t>(sum >> (8 * i)));
}

std::optional<Page> decodePage(std::string_view record)
{
    if (record.size() < 1 + kChecksumBytes)
        return std::nullopt;
    const std::string_view body = record.substr(0, record.size() - kChecksumBytes);
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < kChecksumBytes; ++i)
        stored |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(record[body.size() + i])) << (8 * i);
    if (stored != checksum(body))
        return std::nullopt;
    Reader r(body);
    if (r.byte() != kVersion)
        return std::nullopt;
    Page page;
    page.fonts.resize(r.count());
    for (FontSpec& font : page.fonts)
        if (!decodeFont(r, font))
            return std::nullopt;
    page.steps.resize(r.count());
    for (DrawStep& step : page.steps)
        if (!decodeStep(r, step))
            return std::nullopt;
    if (r.failed() || !r.atEnd())
        return std::nullopt;
    return page;
}

} // namespace qv::report
