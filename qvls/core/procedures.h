#pragma once

namespace qv::qvls {

// Makes the core's window procedures (the frame, the splash, setup, the
// setup wizard, the about box) startable by name. Safe to call again.
void registerCoreProcedures();

} // namespace qv::qvls
