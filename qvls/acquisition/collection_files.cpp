#include "qvls/acquisition/collection_files.h"

#include <filesystem>
#include <system_error>

#include "platform/runtime/paths.h"
#include "qvls/core/files.h"

namespace qv::qvls {

std::optional<std::string> collectionFile(std::string_view name)
{
    return rt::findNoCase(rt::joinPath(collectionFolder(), name));
}

void removeCollectionFile(std::string_view name)
{
    if (const auto file = collectionFile(name)) {
        std::error_code ec;
        std::filesystem::remove(*file, ec);
    }
}

} // namespace qv::qvls
