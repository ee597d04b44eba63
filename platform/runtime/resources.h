#pragma once
// Files compiled into the program (window definitions, pictures), found by
// module and path.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::rt {

struct EmbeddedFile {
    const char* path;
    std::span<const unsigned char> bytes;
};

class ResourceStore
{
public:
    static void add(std::string_view module, std::span<const EmbeddedFile> files);
    // Path match ignores case, as the program spells resource names several ways.
    static std::optional<std::string_view> find(std::string_view module, std::string_view path);
};

} // namespace qv::rt
