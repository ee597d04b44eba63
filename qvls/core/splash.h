#pragma once
// The start picture: shows the program's picture and version, closes after
// three seconds, on a click or when another window takes the focus, and then
// finishes the start-up on its own thread: the setup wizard on a first run,
// the tip of the day, and the lists chosen for start-up.

namespace qv::qvls {

void Splash();

// The rest of the start-up, from the collection's settings: the setup wizard
// until set-up was completed once, the tip of the day, the start-up lists.
void AfterSplash();

} // namespace qv::qvls
