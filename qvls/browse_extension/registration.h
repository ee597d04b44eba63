#pragma once

namespace qv::qvls {

// Hands the browse extension's work to the program: the tag sets are freed
// as the program ends. Safe to call again.
void registerBrowseExtension();

} // namespace qv::qvls
