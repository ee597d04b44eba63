#pragma once
// The "Replace..." question: within which field of the songs, which text and
// what to put in its place.

#include <string>

namespace qv::qvls {

struct ReplaceCommand {
    std::string within = "Artist"; // "Artist", "Title" or "File Number"
    std::string find; // trailing blanks count
    std::string replacement;
};

// Asks on the running thread; false when the user cancelled.
bool GetReplaceCommand(ReplaceCommand& command);

} // namespace qv::qvls
