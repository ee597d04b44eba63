#pragma once
// A wait for another program's lock on a table file passes on the cooperative threads:
// the waiting thread sleeps on the scheduler's clock, so the other threads, their timers
// and the window system run meanwhile. Outside the threads the OS thread sleeps.

namespace qv::fw {

// Installs this for the whole process; calling it again changes nothing.
void waitForLocksOnThreads();

} // namespace qv::fw
