#pragma once
// The dictionary built over an empty collection folder (the current folder while a
// test runs), with a headless host to run table actions on a thread and answer the
// messages they show.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/expr/datetime.h"
#include "platform/framework/error_reporter.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/tables/errors.h"
#include "platform/tables/group.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls::testing {

namespace fs = std::filesystem;

// One built dictionary over a fresh folder; torn down in the reverse order.
class BuiltCollection
{
public:
    BuiltCollection()
    {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("qvdict5-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir_ / "other");
        previous_ = fs::current_path();
        fs::current_path(dir_);
        clock_.set(qv::expr::dateFromYmd(2026, 6, 1), 0);
        qv::expr::setDefaultClock(&clock_);
        dictionary::InitDictionary();
        dictionary::useCollectionFolder(dir_.string());
    }

    ~BuiltCollection()
    {
        for (qv::tables::Table* t : dictionary::allTables()) {
            while (t->isOpen())
                t->close();
            t->record().clear();
            t->setGroup(nullptr); // the folder's connections go with the folder
        }
        dictionary::KillDictionary();
        dictionary::ImportSongsFileName.clear();
        dictionary::ImportAlbumsFileName.clear();
        qv::expr::setDefaultClock(nullptr);
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    BuiltCollection(const BuiltCollection&) = delete;
    BuiltCollection& operator=(const BuiltCollection&) = delete;

    const fs::path& dir() const { return dir_; }

    // Runs an action on a thread; each message it shows is noted and answered.
    fw::Level run(const std::function<fw::Level()>& action, int press = rt::button::Ok)
    {
        fw::Level level = fw::Fatal;
        host.start("Test", [&] { level = action(); });
        while (rt::MessageBoxWindow* box = host.messageBox()) {
            EXPECT_FALSE(dictionary::Album().group().inTransaction())
                << "message inside a transaction: " << box->title();
            titles.push_back(box->title());
            texts.push_back(box->text());
            host.answer(press);
        }
        return level;
    }

    // The table's primary key, else its first.
    static int mainKey(const qv::tables::Table& t)
    {
        const auto& keys = t.def().keys;
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (keys[k].primary)
                return static_cast<int>(k);
        return 0;
    }

    // The named fields of every row of a table in its main key's order, one text per
    // row with the values joined by "|".
    static std::vector<std::string> rows(qv::tables::Table& t, const std::vector<std::string>& fields)
    {
        std::vector<std::string> out;
        const qv::tables::Record keep = t.record();
        t.setOrder(mainKey(t));
        while (t.next() == 0) {
            std::string row;
            for (const auto& f : fields)
                row += (row.empty() ? "" : "|") + t.record().getText(t.def().fieldIndex(f));
            out.push_back(row);
        }
        t.record() = keep;
        return out;
    }

    std::vector<std::string> titles, texts;
    rt::HeadlessHost host;

private:
    fs::path dir_, previous_;
    qv::expr::FixedClock clock_;
};

} // namespace qv::qvls::testing
