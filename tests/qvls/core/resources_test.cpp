#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/window.h"
#include "qvls/resources/resources.h"

using namespace qv;

// Every window definition the program carries reads without a mistake, so a
// typo in one is found here rather than when a user first opens the window.
TEST(Resources, EveryWindowDefinitionReads)
{
    qvls::registerResources();
    int windows = 0;
    for (const rt::EmbeddedFile& f : qvlsResources()) {
        const std::string path = f.path;
        if (path.rfind("windows/", 0) != 0)
            continue;
        ++windows;
        const std::string name = path.substr(8, path.size() - 8 - 5); // without "windows/" and ".yaml"
        SCOPED_TRACE(name);
        try {
            const rt::WindowDef def = rt::loadWindowDef("qvls", name);
            EXPECT_FALSE(def.controls.empty() && def.menubar.empty()) << "a window with nothing in it";
        } catch (const rt::DefinitionError& e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_GT(windows, 0);
}
