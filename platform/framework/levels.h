#pragma once
// Message levels: what a framework message means for the caller.

namespace qv::fw {

enum Level : int {
    Benign = 0, // nothing wrong: go on
    User = 1, // the user must change something; the action is not done
    Program = 2, // a program fault; the action is not done
    Fatal = 3, // the program ends after the message
    Cancel = 4, // the user cancelled
    Notify = 5, // a condition the caller handles (the end of a table)
};

} // namespace qv::fw
