#include "qvls/browse_extension/brovex_column.h"

#include <stdexcept>

#include <yaml-cpp/yaml.h>

namespace qv::qvls {

namespace {

template <typename T> T valueOr(const YAML::Node& n, T fallback)
{
    return n ? n.as<T>() : fallback;
}

char justificationOf(const YAML::Node& align)
{
    const std::string a = valueOr<std::string>(align, "left");
    return a == "right" ? 'R' : a == "center" ? 'C' : a == "decimal" ? 'D' : 'L';
}

} // namespace

std::vector<BrovexColumnDefinition> brovexColumnDefinitions(const YAML::Node& columns)
{
    std::vector<BrovexColumnDefinition> out;
    for (const YAML::Node& c : columns) {
        BrovexColumnDefinition d;
        const bool computed = static_cast<bool>(c["computed"]);
        d.field = valueOr<std::string>(computed ? c["computed"] : c["field"], "");
        if (d.field.empty())
            throw std::invalid_argument("a list column names no field");
        d.width = valueOr(c["width"], 40);
        d.header = valueOr<std::string>(c["header"], "");
        d.picture = valueOr<std::string>(c["picture"], "@s20");
        d.description = valueOr<std::string>(c["description"], d.header);
        d.justification = justificationOf(c["align"]);
        d.display = valueOr(c["shown"], true);
        d.colors = valueOr(c["colors"], false);
        d.iconX = valueOr(c["icon"], 0);
        d.viewField = valueOr(c["view-field"], computed ? 0 : 1);
        d.totalOk = valueOr(c["total"], false);
        d.graphType = valueOr(c["graph"], 0);
        d.graphOk = d.graphType != 0;
        d.sortable = !computed && valueOr(c["sortable"], true);
        const std::string locator = valueOr<std::string>(c["locator"], d.sortable ? "S" : "");
        d.locatorType = locator.empty() ? ' ' : locator[0];
        out.push_back(std::move(d));
    }
    return out;
}

namespace {

// Reads a packed table front to back; any read past the end spoils it.
class Unpacker
{
public:
    explicit Unpacker(std::string_view bytes)
        : bytes_(bytes)
    { }
    bool ok() const { return ok_; }
    int byte()
    {
        if (!has(1))
            return 0;
        return static_cast<unsigned char>(bytes_[at_++]);
    }
    int number(std::size_t size)
    {
        if (!has(size))
            return 0;
        int n = 0;
        for (std::size_t i = 0; i < size && i < 2; ++i)
            n |= static_cast<unsigned char>(bytes_[at_ + i]) << (8 * i);
        at_ += size;
        return n;
    }
    std::string text()
    {
        const auto n = static_cast<std::size_t>(byte());
        if (!has(n))
            return {};
        std::string t(bytes_.substr(at_, n));
        at_ += n;
        return t;
    }
    std::vector<BrovexSortPart> parts()
    {
        std::vector<BrovexSortPart> out;
        const int n = number(2);
        for (int i = 1; ok_ && i <= n; ++i) {
            BrovexSortPart p;
            p.seq = i;
            p.fieldName = text();
            p.ascDesc = byte();
            p.picture = text();
            out.push_back(std::move(p));
        }
        return out;
    }

private:
    bool has(std::size_t n)
    {
        ok_ = ok_ && bytes_.size() - at_ >= n;
        return ok_;
    }
    std::string_view bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

} // namespace

std::optional<std::vector<BrovexColumnDefinition>> decodeColumnDefinitions(std::string_view packed, int count)
{
    Unpacker in(packed);
    std::vector<BrovexColumnDefinition> out;
    for (int i = 0; i < count && in.ok(); ++i) {
        BrovexColumnDefinition d;
        d.field = in.text();
        d.width = in.number(2);
        d.header = in.text();
        d.picture = in.text();
        d.description = in.text();
        d.justification = static_cast<char>(in.byte());
        d.display = in.byte() != 0;
        d.colors = in.byte() != 0;
        d.iconX = in.byte();
        d.viewField = in.byte();
        in.number(4);
        d.totalOk = in.byte() != 0;
        d.graphOk = in.byte() != 0;
        d.graphType = in.byte();
        d.sortable = in.byte() != 0;
        d.locatorType = static_cast<char>(in.byte());
        out.push_back(std::move(d));
    }
    if (!in.ok())
        return std::nullopt;
    return out;
}

std::optional<std::vector<BrovexSortDefinition>> decodeSortDefinitions(std::string_view packed, int count)
{
    Unpacker in(packed);
    std::vector<BrovexSortDefinition> out;
    for (int i = 0; i < count && in.ok(); ++i) {
        BrovexSortDefinition d;
        d.column = in.text();
        d.parts = in.parts();
        out.push_back(std::move(d));
    }
    if (!in.ok())
        return std::nullopt;
    return out;
}

std::optional<BrovexAppendedParts> decodeAppendedParts(std::string_view packed)
{
    Unpacker in(packed);
    BrovexAppendedParts a;
    a.applyAll = in.byte() != 0;
    a.parts = in.parts();
    if (!in.ok())
        return std::nullopt;
    return a;
}

} // namespace qv::qvls
