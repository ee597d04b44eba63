#pragma once
// The process's resident memory as the kernel counts it: now, and at its
// peak since the last reset.

#include <fstream>
#include <string>
#include <string_view>

namespace qv::bench {

// A /proc/self/status line's value, in MiB.
inline double statusMiB(std::string_view key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(key) && line.size() > key.size() && line[key.size()] == ':')
            return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return 0;
}

inline double peakMiB()
{
    return statusMiB("VmHWM");
}

inline double residentMiB()
{
    return statusMiB("VmRSS");
}

// The peak starts again from the memory resident now.
inline void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace qv::bench
