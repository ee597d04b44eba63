#pragma once

namespace qv::qvls {

// Makes the collection tools startable by name. Safe to call again.
void registerTools();

} // namespace qv::qvls
