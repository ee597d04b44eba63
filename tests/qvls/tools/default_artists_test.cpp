// The artist rebuild as the Tools menu and the frame run it: on the headless host,
// in a collection folder of its own.

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"
#include "platform/tables/group.h"
#include "qvls/core/core_fixture.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {
namespace {

struct Song {
    std::string artist, title;
    int category;
};

struct Listed {
    std::string artist;
    std::int64_t category;
    std::string bio;
    bool operator==(const Listed&) const = default;
};

void PrintTo(const Listed& l, std::ostream* os)
{
    *os << "{" << l.artist << ", " << l.category << ", " << l.bio << "}";
}

class DefaultArtistsTest : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        registerSubsystems();
        dictionary::InitDictionary();
        for (tables::Table* t : {&dictionary::Quorvel(), &dictionary::Artists()})
            ASSERT_EQ(t->create(), 0);
    }

    void TearDown() override
    {
        host.reset();
        for (tables::Table* t : dictionary::allTables())
            while (t->isOpen())
                t->close();
        dictionary::KillDictionary();
        CollectionFolder::TearDown();
    }

    static void addSongs(const std::vector<Song>& songs)
    {
        tables::Table& t = dictionary::Quorvel();
        ASSERT_EQ(t.open(), 0);
        t.group().begin();
        int album = 0;
        for (const Song& s : songs) {
            t.record().clear();
            t.record()["SNG:AlbumID"] = ++album; // an album's track numbers end at 255
            t.record()["SNG:Artist"] = s.artist;
            t.record()["SNG:Title"] = s.title;
            t.record()["SNG:CategoryID"] = s.category;
            ASSERT_EQ(t.insert(), 0);
        }
        t.group().commit();
        t.close();
    }

    static void listArtist(const std::string& name, int category, const std::string& bio)
    {
        tables::Table& t = dictionary::Artists();
        ASSERT_EQ(t.open(), 0);
        t.record().clear();
        t.record()["ART:Artist"] = name;
        t.record()["ART:CATEGORYID"] = category;
        t.record()["ART:BIO"] = bio;
        ASSERT_EQ(t.insert(), 0);
        t.close();
    }

    // The list in key order.
    static std::vector<Listed> artists()
    {
        tables::Table& t = dictionary::Artists();
        EXPECT_EQ(t.open(), 0);
        std::vector<Listed> out;
        t.setOrder(0);
        while (t.next() == 0)
            out.push_back(
                {t.record().getText(0), t.record()[std::string_view("ART:CATEGORYID")].toInt(), t.record().getText(2)});
        t.close();
        return out;
    }

    // The file as the sqlite3 tool would check it.
    static std::string integrity()
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(dictionary::Artists().filePath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        std::string answer
            = s && sqlite3_step(s) == SQLITE_ROW ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0)) : "";
        sqlite3_finalize(s);
        sqlite3_close(db);
        return answer;
    }

    void rebuild()
    {
        host->start("Tools", [] { rt::Procedures::call("Process:DefaultArtists"); });
        host->settle();
    }

    std::unique_ptr<rt::HeadlessHost> host = std::make_unique<rt::HeadlessHost>();
};

TEST_F(DefaultArtistsTest, ListsEachNameOnceFromItsFirstSongAndKeepsWhatIsListed)
{
    addSongs({
        {"abba", "Money", 2},
        {"Blondie", "Atomic", 4},
        {"", "No one sings", 9},
        {"    ", "Only blanks", 9},
        {"ABBA", "Arrival", 1}, // first of its name in key order: its spelling and category
        {"Abba", "Waterloo", 3},
        {"Queen", "Bicycle", 8},
        {"QUEEN", "Alpha", 5},
        {"Édith", "Padam", 6},
        {"ÉDITH", "Milord", 7},
        {"  Leading", "Blanks", 3},
    });
    listArtist("queen", 11, "listed by hand");
    rebuild();
    EXPECT_EQ(host->window("DefaultArtists"), nullptr) << "the window closes when the list is done";
    EXPECT_EQ(artists(),
        (std::vector<Listed>{
            {"  Leading", 3, ""},
            {"ABBA", 1, ""},
            {"Blondie", 4, ""},
            {"queen", 11, "listed by hand"},
            {"ÉDITH", 7, ""},
        }));

    // The records are the driver's own: a name in another case is found and refused.
    tables::Table& t = dictionary::Artists();
    ASSERT_EQ(t.open(), 0);
    t.record().clear();
    t.record()["ART:Artist"] = "édith";
    EXPECT_EQ(t.fetch(0), 0);
    t.record()["ART:BIO"] = "Chanteuse";
    EXPECT_EQ(t.update(), 0);
    t.record().clear();
    t.record()["ART:Artist"] = "BLONDIE";
    EXPECT_EQ(t.insert(), tables::DuplicateKey);
    t.close();

    rebuild();
    EXPECT_EQ(artists().size(), 5u) << "a second run finds every name listed";
}

TEST_F(DefaultArtistsTest, CancelKeepsAConsistentListOfTheSongsTakenSoFar)
{
    // 300 artists of ten songs each; every third spelt in capitals.
    std::vector<Song> songs;
    for (int i = 0; i < 3000; ++i) {
        char artist[16], title[16];
        std::snprintf(artist, sizeof artist, i % 300 % 3 ? "Artist %03d" : "ARTIST %03d", i % 300);
        std::snprintf(title, sizeof title, "Song %04d", i);
        songs.push_back({artist, title, i % 7 + 1});
    }
    addSongs(songs);

    // The user waits for the window and presses Cancel while it works.
    std::string title, text, percent;
    // Started without running it: it runs as the rebuild lets others run.
    rt::Scheduler::instance().start("User", [&] {
        rt::Window* w = nullptr;
        for (int i = 0; i < 100 && !(w = host->window("DefaultArtists")); ++i)
            rt::Scheduler::instance().yield();
        ASSERT_NE(w, nullptr) << "the window shows while the rebuild works";
        title = w->title();
        text = (*w)["?Text"].text();
        percent = (*w)["?Percent"].text();
        EXPECT_TRUE((*w)["?Cancel"].enabled() && !(*w)["?Cancel"].hidden());
        rt::Scheduler::instance().post(*w, rt::Event{rt::event::Accepted, (*w)["?Cancel"].number()});
    });
    rebuild();
    EXPECT_EQ(host->window("DefaultArtists"), nullptr);
    EXPECT_EQ(title, "Processing Records");
    EXPECT_EQ(text, "Creating Artist Database");
    EXPECT_EQ(percent, "66% Completed") << "the first turn took 2,000 of 3,000 songs";

    // Songs by artist: the first 2,000 are those of the first 200 artists.
    std::vector<Listed> expected;
    for (int a = 0; a < 200; ++a)
        expected.push_back({songs[static_cast<std::size_t>(a)].artist, a % 7 + 1, ""});
    EXPECT_EQ(artists(), expected);
    EXPECT_EQ(integrity(), "ok");

    rebuild();
    EXPECT_EQ(artists().size(), 300u) << "a run after the cancel completes the list";
}

TEST_F(DefaultArtistsTest, AListThatCannotBeWrittenIsReportedAndLeftAsItWas)
{
    addSongs({{"Abba", "Money", 2}});
    // Another program holds the artist file for writing longer than the rebuild waits.
    sqlite3* other = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(dictionary::Artists().filePath().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    rebuild();
    rt::MessageBoxWindow* box = host->messageBox();
    ASSERT_NE(box, nullptr) << "a failure is not passed over in silence";
    EXPECT_EQ(box->title(), "Record Insert Error");
    host->answer(box->buttons().front().answer);
    EXPECT_EQ(host->window("DefaultArtists"), nullptr);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(artists().empty());
}

} // namespace
} // namespace qv::qvls::testing
