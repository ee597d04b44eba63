#pragma once
// The result file "TRAKHAND.LOG": the disc a lookup settled on, in
// sections and keys the catalogue reads back.

#include <string>

#include "platform/outside/cddb/control.h"

namespace qv::trakhand {

inline constexpr const char* kResultFile = "TRAKHAND.LOG";

struct ResultFileContent {
    std::string drive; // the command line's drive token
    std::string toc;
    const cddb::Disc* disc = nullptr;
    std::string genreName; // "Unknown" for a disc without genre
    // The disc's links, for a disc the database knows that has a list.
    const cddb::LinkList* links = nullptr;
};

// The file's text, every line ended by CR LF. A line break inside a value
// would start a line of its own: the notes keep it as the two characters
// "\n", every other value as a blank.
std::string resultFileText(const ResultFileContent& content);

} // namespace qv::trakhand
