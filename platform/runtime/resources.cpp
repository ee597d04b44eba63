#include "platform/runtime/resources.h"

#include <map>
#include <vector>

#include "platform/text/case.h"

namespace qv::rt {
namespace {
std::map<std::string, std::vector<std::span<const EmbeddedFile>>>& modules()
{
    static std::map<std::string, std::vector<std::span<const EmbeddedFile>>> m;
    return m;
}
} // namespace

void ResourceStore::add(std::string_view module, std::span<const EmbeddedFile> files)
{
    modules()[text::asciiLower(module)].push_back(files);
}

std::optional<std::string_view> ResourceStore::find(std::string_view module, std::string_view path)
{
    const auto it = modules().find(text::asciiLower(module));
    if (it == modules().end())
        return std::nullopt;
    for (const auto& files : it->second)
        for (const EmbeddedFile& f : files)
            if (text::equalsNoCase(f.path, path))
                return std::string_view(reinterpret_cast<const char*>(f.bytes.data()), f.bytes.size());
    return std::nullopt;
}

} // namespace qv::rt
