#pragma once

namespace qv::fw {

// Lets the window model format and deformat control values through the
// expression library's pictures. Called once at start (and by tests).
void installPictures();

} // namespace qv::fw
