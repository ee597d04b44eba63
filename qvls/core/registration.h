#pragma once

namespace qv::qvls {

// Makes the core's window procedures (the frame, the splash, setup, the
// setup wizard, the about box) startable by name and the settings use names.
// Safe to call again.
void registerCore();

} // namespace qv::qvls
