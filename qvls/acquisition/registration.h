#pragma once

namespace qv::qvls {

// Makes album acquisition (CD reading, disc lookup, the wizards) startable
// by name. Safe to call again.
void registerAcquisition();

} // namespace qv::qvls
