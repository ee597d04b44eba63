#pragma once

#include <functional>

namespace qv::qt {

// Runs the program: creates the application, installs the Qt host, starts
// firstThread as thread 1 and runs the Qt event loop until that thread has
// ended. Returns 0, or 1 when the first thread ended by an uncaught
// exception; a program that halts ends the process itself.
// endOfSession, when given, is called as the desktop session ends (the
// session manager asks the program to save and close); it must only note the
// request, as it runs from the Qt loop, outside every program thread.
int runApplication(int& argc, char** argv, std::function<void()> firstThread, std::function<void()> endOfSession = {});

} // namespace qv::qt
