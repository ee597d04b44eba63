#pragma once
// The setup windows on the headless host, in a collection folder of their
// own, with a fake drive list and the housekeeping procedures written down
// instead of run.

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core_fixture.h"
#include "platform/cdaudio/drives.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/procedures.h"
#include "qvls/core/settings.h"
#include "qvls/core/setup.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {

inline const char* const kHousekeeping[] = {"CreateDefaultAlbums", "TestAlbumIDs", "SetAllDiscTo1",
    "ZeroLeadFileNumbers", "ConvertDateToYear", "ConvertAlbumDateToYear", "DataFileManager"};

class SetupFixture : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        registerSubsystems(); // as the program does before its body runs
        cdaudio::OpticalDrives::setLister([] { return std::vector<std::string>{"/dev/sr0", "/dev/sr1"}; });
        for (const char* name : kHousekeeping)
            rt::Procedures::add(name, [this, name] { ran.push_back(name); });
    }

    void TearDown() override
    {
        host.reset();
        cdaudio::OpticalDrives::setLister({});
        CollectionFolder::TearDown();
    }

    void writeSettings(const std::string& lines) { writeFile(collection("QVLROCFG.INI"), "[Settings]\n" + lines); }
    std::string settingsFile() const { return readFile(collection("QVLROCFG.INI")); }

    // The keys of section "Settings" with their values.
    std::map<std::string, std::string> settingsKeys() const
    {
        std::map<std::string, std::string> out;
        for (const rt::IniEntry& e : settingsIni().entries(settings_section::Settings))
            out[e.key] = e.value;
        return out;
    }

    rt::Window* open(const char* procedure, const char* window)
    {
        host->startProcedure(procedure);
        rt::Window* w = host->window(window);
        EXPECT_TRUE(host->failures().empty()) << (host->failures().empty() ? "" : host->failures().front());
        return w;
    }

    // Whether the window is still open; a closed window is gone, so it is
    // looked for among the open ones, never asked itself.
    bool isOpen(const rt::Window* w) const
    {
        const auto& open = host->openWindows();
        return std::find(open.begin(), open.end(), w) != open.end();
    }

    // The open message box's title, text and default answer; "" when none.
    std::string box() const
    {
        rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }

    std::unique_ptr<rt::HeadlessHost> host = std::make_unique<rt::HeadlessHost>();
    std::vector<std::string> ran;
};

} // namespace qv::qvls::testing
