#pragma once
// A finished page as a compact run of bytes, for page queues that keep their
// pages out of the heap. The encoding lives only as long as one process: it
// is never a file format another program reads.

#include <optional>
#include <string>
#include <string_view>

#include "platform/report/page.h"

namespace qv::report {

// Appends the page's record to out.
void encodePage(const Page& page, std::string& out);

// The page a record holds; nothing when the record is damaged (cut short,
// changed, or naming a font or step kind that is not there).
std::optional<Page> decodePage(std::string_view record);

} // namespace qv::report
