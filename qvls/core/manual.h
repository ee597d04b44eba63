#pragma once
// The user manual: one HTML file beside the program, shown in the desktop's
// web browser, opened at a topic's anchor by the Help menu and by F1 in any
// window whose definition names its topic.

#include <string_view>

namespace qv::qvls {

// Opens the manual at the topic ("" for its start); says why when it cannot.
void showManual(std::string_view topic);

} // namespace qv::qvls
