#pragma once
// A collection folder with the program's procedures registered and its
// dictionary up, driven through a headless host as a user drives it.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qvls/core/core_fixture.h"

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/acquisition/mci_channel.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {

class AcquisitionTest : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        registerSubsystems();
        dictionary::InitDictionary();
    }
    void TearDown() override
    {
        host.reset();
        setMciStringInterface({});
        for (tables::Table* t : dictionary::allTables())
            while (t->isOpen())
                t->close();
        dictionary::KillDictionary();
        CollectionFolder::TearDown();
    }

    // The message box now shown, as "title: text"; empty when there is none.
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }
    // The lines of a text file of the collection folder.
    std::vector<std::string> lines(const std::string& file) const
    {
        std::vector<std::string> out;
        for (std::string& line : text::split(readFile(collection(file)), '\n'))
            out.push_back(std::move(line));
        if (!out.empty() && out.back().empty())
            out.pop_back();
        return out;
    }

    std::unique_ptr<rt::HeadlessHost> host = std::make_unique<rt::HeadlessHost>();
};

} // namespace qv::qvls::testing
