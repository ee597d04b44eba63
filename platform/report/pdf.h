#pragma once
// A report's pages as a PDF file: the same drawing steps the screen and the
// printer replay, on the queue's paper.

#include <string>

#include "platform/report/page_queue.h"

namespace qv::report {

// Writes every entry of the queue, copies included, one page at a time (an
// entry may be read back from disk). The file appears only once it is
// complete: on failure nothing is left at fileName (an older file there
// stays as it was), the answer is false and error says why.
bool writePdf(const PageQueue& queue, const std::string& fileName, const std::string& title, std::string& error);

} // namespace qv::report
