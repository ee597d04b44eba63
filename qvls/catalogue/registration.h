#pragma once

namespace qv::qvls {

// Makes the catalogue's lists, forms and lookups startable by name. Safe to
// call again.
void registerCatalogue();

} // namespace qv::qvls
