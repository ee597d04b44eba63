#pragma once
// The report previewer: a report's finished pages in a window of their own,
// one page at a time, with Print, Save as PDF and Close.

#include <string>
#include <string_view>

#include "platform/report/page_queue.h"

namespace qv::report {

// The zoom a preview starts at: a percentage of the page's real size
// (50, 75, 100, 150 or 200; others take the nearest), or one of these.
namespace zoom {
constexpr int WholePage = 0;
constexpr int PageWidth = -1;
} // namespace zoom

// Shows the pages on the calling thread (its other windows wait) and answers
// when the window closes: 1 when the user pressed Print, 0 for Close, Esc or
// the close box. The caller prints the queue itself. The title names the
// report in the window's caption and in a PDF's properties; the INI file, the
// fixed options and the last option are accepted for the callers and change
// nothing here.
int PRINTPREVIEW(const PageQueue& queue, int initialZoom, std::string_view iniFile, std::string_view title = {},
    int options = 0, int lastOption = 0);

// "Page x of y" for reports that number their pages before they know how
// many there will be: a text step holding kPageNumberMark gets the page's
// place in the queue, one holding kPageCountMark the queue's number of pages.
// Copies already in the queue are counted as the pages they print as.
// Answers the number of texts changed.
inline constexpr std::string_view kPageNumberMark = "<#page>";
inline constexpr std::string_view kPageCountMark = "<#pages>";
int ASSGNPGOFPG(PageQueue& queue);

} // namespace qv::report
