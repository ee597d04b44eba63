#pragma once
// The registry of named procedures. The frame starts windows by name, and a
// name that no procedure answers to is reported, never faked.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {

using Procedure = std::function<void()>;

class Procedures
{
public:
    static constexpr std::size_t DefaultStack = 25000;

    static void add(std::string name, Procedure procedure);
    static bool exists(std::string_view name);
    static std::vector<std::string> names();

    struct Started {
        int thread = 0;
        std::string error; // why it did not start
        explicit operator bool() const { return thread != 0; }
    };
    // Starts the procedure on a new thread; the caller neither waits nor
    // reads anything back.
    static Started start(std::string_view name, std::size_t stackBytes = DefaultStack);
    // Runs the procedure on the running thread; false when there is none.
    static bool call(std::string_view name);
};

} // namespace qv::rt
