#pragma once
// Whether another collection folder can be opened before the program lets
// go of the one it has: a damaged table file there must not end the program.

#include <optional>
#include <string>

namespace qv::qvls::dictionary {

struct DamagedFile {
    std::string path;
    std::string reason; // the driver's words
};

// The first table file of the folder that is there but does not open as its
// table; nothing when every one that is there opens (a missing one is
// created later). The files are only read, on a connection of their own.
std::optional<DamagedFile> damagedTableFile(const std::string& folder);

} // namespace qv::qvls::dictionary
