#pragma once

namespace qv::qvls {

// The frame procedure: the program's main window, on the first thread.
void Main();

} // namespace qv::qvls
