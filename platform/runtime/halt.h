#pragma once
// Ending the program on a fault it cannot mend: the text is shown, and the
// process ends with a non-zero code. Whatever a table transaction had not
// committed is rolled back by the database when the file is next opened.

#include <functional>
#include <stdexcept>
#include <string>

namespace qv::rt {

// Thrown where a halt handler returns (tests): it ends the running thread.
struct Halted : std::runtime_error {
    Halted(int code, const std::string& text)
        : std::runtime_error("halt " + std::to_string(code) + ": " + text)
        , code(code)
    { }
    int code;
};

// The default handler shows the text in a message box (when called on a
// thread) and ends the process with the code.
[[noreturn]] void halt(int code, const std::string& text);
void setHaltHandler(std::function<void(int code, const std::string& text)> handler);

} // namespace qv::rt
