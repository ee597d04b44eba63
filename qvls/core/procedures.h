#pragma once

namespace qv::qvls {

// Makes every window procedure of the program startable by its name (menus,
// the splash and other windows start them so). Safe to call again.
void registerProcedures();

} // namespace qv::qvls
