#pragma once
// A collection folder with the program's windows registered and its
// dictionary up, driven through a headless host as a user drives it.

#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "qvls/core/core_fixture.h"

#include "platform/framework/list_window.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/resources.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

// The test lists of the catalogue's kind (windows/).
std::span<const qv::rt::EmbeddedFile> catalogueTestResources();

namespace qv::qvls::testing {

class CatalogueWindows : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        registerSubsystems();
        static const bool added = (rt::ResourceStore::add("qvls", catalogueTestResources()), true);
        (void)added;
        dictionary::InitDictionary();
    }
    void TearDown() override
    {
        host.reset();
        fw::ListWindow::forgetSingleInstances();
        for (tables::Table* t : dictionary::allTables())
            while (t->isOpen())
                t->close();
        dictionary::KillDictionary();
        CollectionFolder::TearDown();
    }

    // The file dialog now open, answered with a file or cancelled.
    rt::FileDialogSpec answerFileDialog(std::optional<std::string> file)
    {
        auto* dialog = host->dialog<rt::FileDialogWindow>();
        if (!dialog)
            throw std::logic_error("no file dialog");
        rt::FileDialogSpec asked = dialog->request();
        asked.title = dialog->title();
        std::optional<rt::FileDialogSpec> answer;
        if (file) {
            answer = dialog->request();
            answer->fileName = *file;
        }
        dialog->answer(answer);
        host->settle();
        return asked;
    }

    std::unique_ptr<rt::HeadlessHost> host = std::make_unique<rt::HeadlessHost>();
};

} // namespace qv::qvls::testing
