#pragma once
// The disc records of the tests: a folder the loopback server serves and the
// parser tests read.

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

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

} // namespace qv::cddb::testing
