// The playlist generator as the playlist list opens it: limits typed into
// its window, a seeded draw, and the playlist and entries it writes.

#include "qvls/catalogue/catalogue_fixture.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

#include "platform/expr/datetime.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/catalogue/playlist_generator.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

// Every value the progress bar shows.
class WatchingHost : public rt::HeadlessHost
{
public:
    void controlChanged(rt::Control& c, rt::ControlChange what) override
    {
        if (c.name() == "?Progress" && what == rt::ControlChange::Value)
            progress.push_back(std::stoi(c.value()));
        rt::HeadlessHost::controlChanged(c, what);
    }
    std::vector<int> progress;
};

struct Song {
    std::int64_t id;
    int seconds;
    const char* category;
    int bpm;
    int released;
};

// Three short songs of three minutes, one long song alone in its category
// and one too short ever to qualify.
constexpr Song kSongs[] = {
    {1, 180, "Rock 'n' Roll", 120, 1958},
    {2, 180, "Hard Rock", 100, 1990},
    {3, 180, "Jazz", 90, 1960},
    {4, 720, "Blues", 60, 1970},
    {5, 45, "Jazz", 100, 1961},
};

class Generator : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        host.reset();
        host = std::make_unique<WatchingHost>();
        for (dictionary::DictionaryAccess* a : {dictionary::QuorvelAccess, dictionary::PlaylistMasterAccess,
                 dictionary::PlaylistDetailsAccess, dictionary::CategoriesAccess})
            ASSERT_EQ(a->open(), fw::Benign);
        setPlaylistGeneratorSeed(7);
    }
    void TearDown() override
    {
        setPlaylistGeneratorSeed(std::nullopt);
        CatalogueWindows::TearDown();
    }
    WatchingHost& watching() const { return static_cast<WatchingHost&>(*host); }

    static void addSongs(std::span<const Song> songs)
    {
        Table& t = dictionary::Quorvel();
        for (const Song& s : songs) {
            t.record().clear();
            t.record()["SNG:ID"] = s.id;
            t.record()["SNG:Title"] = "Song " + std::to_string(s.id);
            t.record()["SNG:Time"] = std::int64_t{expr::timeFromHms(0, s.seconds / 60, s.seconds % 60)};
            t.record()["SNG:Category"] = s.category;
            t.record()["SNG:BeatsPerMinute"] = s.bpm;
            t.record()["SNG:ReleaseDate"] = s.released;
            ASSERT_EQ(t.insert(), 0) << tables::lastError().text;
        }
    }
    static void clear(Table& t)
    {
        while (t.last() == 0)
            t.remove();
    }

    rt::Window* open()
    {
        host->start("BrowsePlayLists", [] { rt::Procedures::call("GeneratePlaylist"); });
        return shown();
    }
    rt::Window* shown() const
    {
        rt::Window* w = host->window("GeneratePlaylist");
        return w && w->isOpen() ? w : nullptr;
    }
    std::string answerMessage()
    {
        rt::MessageBoxWindow* box = host->messageBox();
        if (!box)
            return "(none)";
        std::string text = box->text();
        host->answer(rt::button::Ok);
        return text;
    }

    struct Playlist {
        std::int64_t id = 0;
        std::string description;
        std::vector<std::int64_t> songs; // in sequence
    };
    static std::vector<Playlist> playlists()
    {
        std::vector<Playlist> all;
        Table& m = dictionary::PlaylistMaster();
        m.setOrder(m.def().keyIndex("PLD:KeyPlaylistID"));
        while (m.next() == 0)
            all.push_back({m.record()["PLD:PlaylistID"].toInt(), value(m, "PLD:PlaylistDescription"), {}});
        Table& d = dictionary::PlaylistDetails();
        d.setOrder(d.def().keyIndex("PLA:KeyPlaylistID"));
        while (d.next() == 0)
            for (Playlist& p : all)
                if (p.id == d.record()["PLA:PlaylistID"].toInt())
                    p.songs.push_back(d.record()["PLA:ID"].toInt());
        return all;
    }

    // Limits as the user sets them; blank leaves a field as it is.
    struct Limits {
        const char* time = "";
        const char* songs = "";
        const char* category = nullptr;
        int bpm = 0;
        int weighting = 0; // a choice of the drop list; 0 leaves it
        const char* from = nullptr; // release dates as the date picture shows them
        const char* to = "";
    };
    void set(rt::Window& w, const Limits& l)
    {
        host->enter(w, "?MaximumTime", l.time);
        host->enter(w, "?MaximumSongs", l.songs);
        if (l.category) {
            host->enter(w, "?SelectByCategory", "1");
            ASSERT_TRUE(w["?Category"].enabled());
            host->enter(w, "?Category", l.category);
        }
        if (l.from) {
            host->enter(w, "?SelectByDate", "1");
            ASSERT_TRUE(w["?StartDate"].enabled());
            host->enter(w, "?StartDate", l.from);
            host->enter(w, "?EndDate", l.to);
        }
        if (l.weighting)
            host->choose(w, "?Weighting", l.weighting);
        if (l.bpm) {
            host->enter(w, "?SelectByBPM", "1");
            ASSERT_TRUE(w["?TargetBPM"].enabled());
            host->enter(w, "?TargetBPM", std::to_string(l.bpm));
        }
    }
};

TEST_F(Generator, DrawsWithinTheLimitsGiven)
{
    addSongs(kSongs);
    struct Case {
        const char* name;
        Limits limits;
        const char* message;
        std::set<std::int64_t> from; // the songs entries may name
        std::size_t entries;
    };
    const Case cases[] = {
        {"time only: runs past 20 minutes by less than a song; no song of half the time or more", {.time = "0:20:00"},
            "Play List #1 generated.  7 songs, length 0:21:00.", {1, 2, 3}, 7},
        {"count only: no upper time bound, so the long song qualifies", {.songs = "3", .category = "blues"},
            "Play List #1 generated.  3 songs, length 0:36:00.", {4}, 3},
        {"both, the count reached first", {.time = "0:30:00", .songs = "2"},
            "Play List #1 generated.  2 songs, length 0:06:00.", {1, 2, 3}, 2},
        {"both, the time reached first", {.time = "0:10:00", .songs = "10"},
            "Play List #1 generated.  4 songs, length 0:12:00.", {1, 2, 3}, 4},
        {"a category with an apostrophe, in any case", {.songs = "3", .category = "rock 'N' roll"},
            "Play List #1 generated.  3 songs, length 0:09:00.", {1}, 3},
        {"a category found inside another", {.songs = "4", .category = "Rock"},
            "Play List #1 generated.  4 songs, length 0:12:00.", {1, 2}, 4},
        {"beats per minute within a tenth", {.songs = "6", .bpm = 100},
            "Play List #1 generated.  6 songs, length 0:18:00.", {2, 3}, 6},
        {"neither time nor count: an hour or 20 songs", {.category = "Jazz"},
            "Play List #1 generated.  20 songs, length 1:00:00.", {3}, 20},
        {"release years within a range", {.songs = "4", .from = "1955", .to = "1965"},
            "Play List #1 generated.  4 songs, length 0:12:00.", {1, 3}, 4},
        {"release years from a start on", {.songs = "4", .from = "1980"},
            "Play List #1 generated.  4 songs, length 0:12:00.", {2}, 4},
        {"recent additions from a pool of one", {.songs = "5", .category = "blues", .weighting = 2},
            "Play List #1 generated.  5 songs, length 1:00:00.", {4}, 5},
        {"older additions from a pool of one", {.songs = "5", .category = "blues", .weighting = 4},
            "Play List #1 generated.  5 songs, length 1:00:00.", {4}, 5},
        {"nothing qualifies", {.songs = "3", .category = "Polka"}, "No songs match the criteria you have entered.", {},
            0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        clear(dictionary::PlaylistDetails());
        clear(dictionary::PlaylistMaster());
        rt::Window* w = open();
        ASSERT_TRUE(w);
        set(*w, k.limits);
        host->press(*w, "?Ok");
        EXPECT_EQ(answerMessage(), k.message);
        const std::vector<Playlist> made = playlists();
        if (k.entries == 0) {
            EXPECT_TRUE(made.empty()) << "nothing is written";
            ASSERT_TRUE(shown()) << "the window stays for new criteria";
            host->press(*w, "?Cancel");
            EXPECT_FALSE(shown());
            continue;
        }
        EXPECT_FALSE(shown());
        ASSERT_EQ(made.size(), 1u);
        EXPECT_EQ(made[0].id, 1);
        EXPECT_EQ(made[0].description, "Play List #1");
        EXPECT_EQ(made[0].songs.size(), k.entries);
        for (std::int64_t id : made[0].songs)
            EXPECT_TRUE(k.from.contains(id)) << "song " << id;
    }
}

TEST_F(Generator, ASeedDrawsTheSamePlaylistAgainUnderTheNextFreeNameAndId)
{
    addSongs(kSongs);
    Table& m = dictionary::PlaylistMaster();
    m.record().clear();
    m.record()["PLD:PlaylistID"] = 7;
    m.record()["PLD:PlaylistDescription"] = "Play List #8";
    ASSERT_EQ(m.insert(), 0);
    for (int run = 0; run < 2; ++run) {
        rt::Window* w = open();
        ASSERT_TRUE(w);
        set(*w, {.songs = "12"});
        host->press(*w, "?Ok");
        answerMessage();
    }
    const std::vector<Playlist> made = playlists();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[1].id, 9) << "id 8 would have taken a name already given";
    EXPECT_EQ(made[1].description, "Play List #9");
    EXPECT_EQ(made[2].description, "Play List #10");
    EXPECT_EQ(made[1].songs, made[2].songs);
    EXPECT_EQ(made[1].songs.size(), 12u);
    EXPECT_GT(std::set<std::int64_t>(made[1].songs.begin(), made[1].songs.end()).size(), 1u) << "drawn, not repeated";
}

TEST_F(Generator, AFailedPlaylistWriteWritesNoEntries)
{
    addSongs(kSongs);
    Table& m = dictionary::PlaylistMaster();
    const std::string table = m.sqlTable().substr(m.sqlTable().find('.') + 1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m.filePath().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                  ("CREATE TRIGGER refuse BEFORE INSERT ON " + table + " BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                      .c_str(),
                  nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    rt::Window* w = open();
    ASSERT_TRUE(w);
    set(*w, {.songs = "5"});
    host->press(*w, "?Ok");
    const std::string said = answerMessage();
    EXPECT_TRUE(said.starts_with("There was an error (")) << said;
    EXPECT_TRUE(said.ends_with(") adding to the Play List Master file")) << said;
    EXPECT_EQ(answerMessage(), "(none)") << "no entry is tried, nor success told";
    EXPECT_TRUE(playlists().empty());
    EXPECT_EQ(dictionary::PlaylistDetails().records(), 0);
    ASSERT_TRUE(shown());
    host->press(*w, "?Cancel");
}

TEST_F(Generator, ProgressStaysWithinItsBarWhenIdsPassTheSongCountAndThePlaylistRunsOver)
{
    const Song sparse[] = {{10, 180, "Jazz", 0, 0}, {500, 180, "Jazz", 0, 0}, {90000, 180, "Jazz", 0, 0}};
    addSongs(sparse);
    rt::Window* w = open();
    ASSERT_TRUE(w);
    set(*w, {.time = "0:20:00"});
    host->press(*w, "?Ok");
    EXPECT_EQ(answerMessage(), "Play List #1 generated.  7 songs, length 0:21:00.");
    const std::vector<int>& seen = watching().progress;
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::ranges::all_of(seen, [](int p) { return p >= 0 && p <= 100; }));
    EXPECT_EQ(seen.back(), 100);
}

TEST_F(Generator, NoSongsAtAllEndsTheWindow)
{
    rt::Window* w = open();
    ASSERT_TRUE(w);
    EXPECT_FALSE((*w)["?Category"].enabled());
    EXPECT_FALSE((*w)["?StartDate"].enabled());
    EXPECT_FALSE((*w)["?TargetBPM"].enabled());
    host->press(*w, "?Ok");
    EXPECT_EQ(answerMessage(), "There are no songs to select from");
    EXPECT_FALSE(shown());
    EXPECT_TRUE(playlists().empty());
}

} // namespace
} // namespace qv::qvls::testing
