#pragma once
// Runs a peer tool through the shell (sqlite3, pdftotext, mediainfo) and
// answers what it printed, so a test checks our files as another reader
// finds them.

#include <cstdio>
#include <string>

namespace qv::testing {

// A path as one shell word, whatever quotes it holds.
inline std::string shellQuoted(const std::string& path)
{
    std::string out = "'";
    for (char ch : path)
        out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return out + "'";
}

// What the command printed on its standard output; empty when it cannot run.
inline std::string commandOutput(const std::string& command)
{
    std::string out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        ::pclose(p);
    }
    return out;
}

} // namespace qv::testing
