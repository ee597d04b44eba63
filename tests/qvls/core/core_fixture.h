#pragma once
// A collection folder of its own for each test: the current folder while the
// test runs, with a configuration folder beside it.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"

namespace qv::qvls::testing {

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

class CollectionFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        root_ = std::filesystem::temp_directory_path() / ("qvcore-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(root_ / "collection");
        std::filesystem::create_directories(root_ / "config");
        oldFolder_ = std::filesystem::current_path();
        std::filesystem::current_path(root_ / "collection");
        // The tables' connections belong to this folder, as when the program opens a collection.
        dictionary::useCollectionFolder((root_ / "collection").string());
        if (const char* x = std::getenv("XDG_CONFIG_HOME"))
            oldConfig_ = x;
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        settings() = Settings{};
        glo() = Globals{};
        glo().settingsFile = std::string(kSettingsFile);
    }

    void TearDown() override
    {
        std::filesystem::current_path(oldFolder_);
        if (oldConfig_)
            setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
        settings() = Settings{};
        glo() = Globals{};
    }

    // A file of the collection folder.
    std::filesystem::path collection(const std::string& name) const { return root_ / "collection" / name; }
    // A file of the configuration folder (where bare INI names live).
    std::filesystem::path config(const std::string& name) const { return root_ / "config" / "quorvel" / name; }

    // A record added straight to its table, from field names and values.
    static void add(tables::Table& t, const std::vector<std::pair<std::string, std::string>>& values)
    {
        t.record().clear();
        for (const auto& [f, v] : values)
            t.record()[std::string_view(f)] = v;
        ASSERT_EQ(t.insert(), 0) << t.def().label << ": " << tables::lastError().text;
    }
    // A field of the table's buffer as shown, without trailing blanks.
    static std::string value(tables::Table& t, const char* field)
    {
        return std::string(text::trimRight(t.record()[std::string_view(field)].toString()));
    }

private:
    std::filesystem::path root_;
    std::filesystem::path oldFolder_;
    std::optional<std::string> oldConfig_;
};

} // namespace qv::qvls::testing
