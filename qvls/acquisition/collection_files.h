#pragma once
// The files the program and the disc-lookup tool exchange in the collection
// folder, found without regard to case.

#include <optional>
#include <string>
#include <string_view>

namespace qv::qvls {

// The existing file of that name in the collection folder.
std::optional<std::string> collectionFile(std::string_view name);
// Removes it; a missing file is no error.
void removeCollectionFile(std::string_view name);

} // namespace qv::qvls
