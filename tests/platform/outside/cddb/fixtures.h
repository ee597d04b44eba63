#pragma once
// The disc records of the tests: a folder the loopback server serves and the
// parser tests read.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "platform/outside/cddb/control.h"

namespace qv::cddb::testing {

inline std::string fixtureFolder()
{
    const char* root = std::getenv("QV_SOURCE_DIR");
    return std::string(root ? root : QV_SOURCE_TREE) + "/tests/platform/outside/cddb/fixtures";
}

// The xmcd record stored as <category>/<disc id>.
inline std::string fixture(const std::string& name)
{
    std::ifstream in(fixtureFolder() + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The code and description of the ComError f throws; {0, ""} when it throws none.
template <class F> std::pair<std::uint32_t, std::string> failureOf(F f)
{
    try {
        f();
    } catch (const ComError& e) {
        return {e.code(), e.description()};
    }
    return {0, ""};
}

} // namespace qv::cddb::testing
