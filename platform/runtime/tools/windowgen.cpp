// qv_windowgen <module> <window.yaml> <header> [<source shown in the header>]
//
// Writes the header of control constants for one window definition. The
// header is rewritten only when its text changes, so editing a window's
// texts or positions recompiles nothing.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/runtime/tools/window_header.h"
#include "platform/runtime/window_def.h"

namespace {

bool readFile(const std::filesystem::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return static_cast<bool>(in) || in.eof();
}

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (argc < 4 || argc > 5) {
        std::cerr << "usage: qv_windowgen <module> <window.yaml> <header> [<source shown in the header>]\n";
        return 2;
    }
    const std::string module = argv[1];
    const fs::path yamlPath = argv[2];
    const fs::path headerPath = argv[3];
    const std::string source = argc == 5 ? argv[4] : yamlPath.string();
    try {
        std::string yaml;
        if (!readFile(yamlPath, yaml)) {
            std::cerr << "qv_windowgen: cannot read " << yamlPath.string() << "\n";
            return 1;
        }
        const std::string header = qv::rt::windowHeader(yaml, module, yamlPath.stem().string(), source);
        std::string old;
        if (readFile(headerPath, old) && old == header)
            return 0;
        if (headerPath.has_parent_path())
            fs::create_directories(headerPath.parent_path());
        // A compile running beside us never sees half a header.
        const fs::path tmp = headerPath.string() + ".tmp";
        {
            std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
            out << header;
            if (!out.flush()) {
                std::cerr << "qv_windowgen: cannot write " << tmp.string() << "\n";
                return 1;
            }
        }
        fs::rename(tmp, headerPath);
    } catch (const qv::rt::DefinitionError& e) {
        std::cerr << "qv_windowgen: " << yamlPath.string() << ": " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "qv_windowgen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
