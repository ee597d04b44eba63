#pragma once
// The program as one piece: every subsystem's windows, procedures and
// resources, registered before the program body runs.

namespace qv::qvls {

// Safe to call again.
void registerSubsystems();

} // namespace qv::qvls
