// The playlist form and its entry form, driven as a user drives them: the
// entries kept in order by the move buttons and by dragging, songs dropped
// from the song list, entries added through the entry form, the total time,
// and the chart positions carried into the notes.

#include "qvls/catalogue/catalogue_fixture.h"

#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "qvls/catalogue/playlist_entry.h"
#include "qvls/catalogue/playlist_form.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;
using Strings = std::vector<std::string>;

std::int64_t minutes(int m, int s)
{
    return (m * 60 + s) * 100 + 1;
}

TEST(PlaylistTotalTime, DurationsAddAndTheSumTakesTheOneOnce)
{
    struct Case {
        std::vector<std::int64_t> times;
        std::int64_t total;
    } cases[] = {
        {{}, 0},
        {{0, 0}, 0},
        {{minutes(3, 45)}, minutes(3, 45)},
        {{minutes(3, 45), minutes(4, 15)}, minutes(8, 0)},
        {{minutes(3, 0), 0, minutes(2, 0)}, minutes(5, 0)},
        // Sixty songs of two minutes: two hours, not two hours and 59 hundredths.
        {std::vector<std::int64_t>(60, minutes(2, 0)), minutes(120, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(addSongTimes(c.times), c.total) << c.times.size() << " songs";
}

TEST(ChartCarryOver, LastWeeksPositionReplacesTheOldOneWhateverItsLength)
{
    struct Case {
        const char* note;
        std::int64_t position;
        const char* carried;
    } cases[] = {
        {"", 1, "LW:1"},
        {"", 9, "LW:9"},
        {"Great", 10, "Great LW:10"},
        {"Great LW:12", 3, "Great LW:3"},
        {"LW:7 opener", 2, "opener LW:2"},
        {"LW:99", 100, "LW:100"},
        // Three and more digits leave nothing behind.
        {"LW:123", 99, "LW:99"},
        {"Hit LW:100", 123, "Hit LW:123"},
        {"Hit LW:123 again", 1, "Hit again LW:1"},
        // Only the first is replaced.
        {"LW:4 LW:5", 6, "LW:5 LW:6"},
        // A full note loses the end of the position, never its own text.
        {"1234567890123456789012345678901234567890", 5, "1234567890123456789012345678901234567890"},
        {"123456789012345678901234567890123456", 12, "123456789012345678901234567890123456 LW:"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(carryChartPosition(c.note, c.position), c.carried) << '"' << c.note << "\" at " << c.position;
}

TEST(ChartCarryOver, WeekAfterWeekTheNoteKeepsItsLength)
{
    std::string note = "Climbing";
    for (std::int64_t week = 1; week <= 150; week += 7)
        note = carryChartPosition(note, week);
    EXPECT_EQ(note, "Climbing LW:148");
}

class PlaylistFormTest : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "Categories", "Media", "PlaylistMaster", "PlaylistDetails"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [title, time] : {std::pair{"Waterloo", minutes(2, 45)}, std::pair{"Hurricane", minutes(8, 33)},
                 std::pair{"Believe", minutes(3, 59)}, std::pair{"Untimed", std::int64_t{0}}})
            add(dictionary::Quorvel(),
                {{"SNG:Artist", "Various"}, {"SNG:Title", title}, {"SNG:Media", "CD"},
                    {"SNG:Time", std::to_string(time)}});
        add(dictionary::PlaylistMaster(), {{"PLD:PlaylistDescription", "Friday"}});
        friday = dictionary::PlaylistMaster().record()["PLD:PlaylistID"].toInt();
        add(dictionary::PlaylistMaster(), {{"PLD:PlaylistDescription", "Empty"}});
        empty = dictionary::PlaylistMaster().record()["PLD:PlaylistID"].toInt();
        // Friday: Waterloo, Hurricane, Believe at 1, 2, 5.
        for (const auto& [song, seq] : {std::pair{"1", "1"}, std::pair{"2", "2"}, std::pair{"3", "5"}})
            add(dictionary::PlaylistDetails(),
                {{"PLA:PlaylistID", std::to_string(friday)}, {"PLA:PlaylistSeq", seq}, {"PLA:ID", song}});
    }

    // The playlist's form opened for a change, as the playlist list opens it.
    rt::Window* openPlaylist(std::int64_t id, const char* thread = "playlist")
    {
        host->start(thread, [id] {
            Table& p = dictionary::PlaylistMaster();
            p.record()["PLD:PlaylistID"] = id;
            ASSERT_EQ(p.fetch(p.def().keyIndex("PLD:KeyPlaylistID")), 0);
            fw::handover().request = fw::request::Change;
            rt::Procedures::call("UpdatePlaylist");
        });
        for (const std::string& f : host->failures())
            ADD_FAILURE() << f;
        rt::Window* w = host->window("UpdatePlaylist");
        return w && w->isOpen() ? w : nullptr;
    }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }
    // The playlist's entries in order, each as "title@sequence" or with the note.
    static Strings entries(std::int64_t playlist, const char* field = nullptr)
    {
        Strings out;
        Table& t = dictionary::PlaylistDetails();
        Table& s = dictionary::Quorvel();
        t.record().clear();
        t.record()["PLA:PlaylistID"] = playlist;
        t.setAt(t.def().keyIndex("PLA:KeyPlaylistID"));
        while (t.next() == 0 && t.record()["PLA:PlaylistID"].toInt() == playlist) {
            if (field) {
                out.push_back(value(t, field));
                continue;
            }
            s.record()["SNG:ID"] = t.record()["PLA:ID"].toInt();
            const std::string title = s.fetch(s.def().keyIndex("SNG:KEYID")) == 0 ? value(s, "SNG:Title") : "?";
            out.push_back(title + "@" + value(t, "PLA:PlaylistSeq"));
        }
        return out;
    }

    std::int64_t friday = 0, empty = 0;
};

TEST_F(PlaylistFormTest, EntriesMoveByButtonAndByDragOverTheirOwnSequenceValues)
{
    rt::Window* f = openPlaylist(friday);
    ASSERT_TRUE(f) << message();
    EXPECT_EQ(f->title(), "Changing a Playlist Record");
    EXPECT_EQ(f->focus(), &(*f)["?EntryList"]) << "a change starts on the entries";
    ASSERT_EQ((*f)["?EntryList"].list()->rowCount(), 3);
    EXPECT_EQ(text::trimRight((*f)["?EntryList"].list()->cell(1, 2)), "Hurricane");

    host->choose(*f, "?EntryList", 3);
    host->press(*f, "?EntryUp");
    EXPECT_EQ(entries(friday), (Strings{"Waterloo@1", "Believe@2", "Hurricane@5"}));
    EXPECT_EQ((*f)["?EntryList"].selected(), 2) << "the moved entry stays highlighted";
    host->press(*f, "?EntryTop");
    EXPECT_EQ(entries(friday), (Strings{"Believe@1", "Waterloo@2", "Hurricane@5"}));
    host->choose(*f, "?EntryList", 1);
    host->press(*f, "?EntryBottom");
    EXPECT_EQ(entries(friday), (Strings{"Waterloo@1", "Hurricane@2", "Believe@5"}));
    // The first entry dragged onto the last lands below it.
    host->drag(*f, "?EntryList", 1, *f, "?EntryList", 3);
    EXPECT_EQ(entries(friday), (Strings{"Hurricane@1", "Believe@2", "Waterloo@5"}));
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
    EXPECT_EQ(host->window("UpdatePlaylist"), nullptr);
    EXPECT_EQ(entries(friday), (Strings{"Hurricane@1", "Believe@2", "Waterloo@5"})) << "moves stay after a cancel";
}

TEST_F(PlaylistFormTest, TheTotalTimeAddsTheSongsDurationsAndFollowsDeletes)
{
    rt::Window* f = openPlaylist(friday);
    ASSERT_TRUE(f) << message();
    EXPECT_EQ((*f)["?TotalTime"].value(), rt::formatPicture(std::to_string(minutes(15, 17)), "@t4"));
    host->choose(*f, "?EntryList", 2);
    host->press(*f, "?DeleteEntry");
    ASSERT_TRUE(host->messageBox()) << "a delete asks";
    host->answer(rt::button::Yes);
    EXPECT_EQ(entries(friday), (Strings{"Waterloo@1", "Believe@2"})) << "the gap is closed";
    EXPECT_EQ((*f)["?TotalTime"].value(), rt::formatPicture(std::to_string(minutes(6, 44)), "@t4"));
    host->press(*f, "?OK");
    EXPECT_EQ(host->window("UpdatePlaylist"), nullptr) << message();
    Table& p = dictionary::PlaylistMaster();
    p.record()["PLD:PlaylistID"] = friday;
    ASSERT_EQ(p.fetch(p.def().keyIndex("PLD:KeyPlaylistID")), 0);
    EXPECT_GT(p.record()["PLD:LASTEDITDATE"].toInt(), 0) << "OK stamps the edit date";

    f = openPlaylist(empty);
    ASSERT_TRUE(f) << message();
    EXPECT_EQ((*f)["?TotalTime"].value(), rt::formatPicture("0", "@t4"));
    host->press(*f, "?Cancel");
}

TEST_F(PlaylistFormTest, SongsDroppedFromTheSongListGoAfterTheLastEntry)
{
    rt::Window* f = openPlaylist(friday);
    ASSERT_TRUE(f) << message();
    host->startProcedure("BrowseSongs");
    rt::Window* songs = host->window("BrowseSongs");
    ASSERT_TRUE(songs);
    const rt::ListSource* rows = (*songs)["?Browse"].list();
    int untimed = 0, waterloo = 0;
    for (int r = 0; r < rows->rowCount(); ++r) {
        const std::string title(text::trimRight(rows->cell(r, 1)));
        if (title == "Untimed")
            untimed = r + 1;
        if (title == "Waterloo")
            waterloo = r + 1;
    }
    ASSERT_TRUE(untimed && waterloo);
    // Sequence 6 after the highest 5, though 3 and 4 are free; the same song twice is two entries.
    host->drag(*songs, "?Browse", untimed, *f, "?EntryList", 0);
    host->drag(*songs, "?Browse", waterloo, *f, "?EntryList", 1);
    EXPECT_EQ(entries(friday), (Strings{"Waterloo@1", "Hurricane@2", "Believe@5", "Untimed@6", "Waterloo@7"}));
    EXPECT_EQ((*f)["?EntryList"].list()->rowCount(), 5);
    EXPECT_EQ((*f)["?TotalTime"].value(), rt::formatPicture(std::to_string(minutes(18, 2)), "@t4"));
    host->press(*songs, "?Close");
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);

    f = openPlaylist(empty);
    ASSERT_TRUE(f) << message();
    host->startProcedure("BrowseSongs");
    songs = host->window("BrowseSongs");
    ASSERT_TRUE(songs);
    host->drag(*songs, "?Browse", untimed, *f, "?EntryList", 0);
    EXPECT_EQ(entries(empty), (Strings{"Untimed@1"})) << "an empty playlist starts at 1";
    EXPECT_EQ(entries(friday).size(), 5u) << "the other playlist is untouched";
    host->press(*songs, "?Close");
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
}

// A new playlist has its id from the start, so songs can be dropped before it
// is saved; a cancel takes the playlist and its entries away.
TEST_F(PlaylistFormTest, ANewPlaylistNeedsADescriptionAndACancelTakesItsEntriesAway)
{
    const auto addPlaylist = [this] {
        host->start("new playlist", [] {
            // Cleared, as the playlist list hands a new record over.
            tables::Record& p = dictionary::PlaylistMaster().record();
            p.clear();
            p.recordId = 0;
            fw::handover().request = fw::request::Insert;
            rt::Procedures::call("UpdatePlaylist");
        });
        rt::Window* w = host->window("UpdatePlaylist");
        return w && w->isOpen() ? w : nullptr;
    };
    const auto dropSong = [this](rt::Window& f) {
        host->startProcedure("BrowseSongs");
        rt::Window* songs = host->window("BrowseSongs");
        ASSERT_TRUE(songs);
        host->drag(*songs, "?Browse", 1, f, "?EntryList", 0);
        host->press(*songs, "?Close");
    };
    const auto playlists = [] {
        Strings out;
        Table& t = dictionary::PlaylistMaster();
        t.setOrder(t.def().keyIndex("PLD:KEYPLAYLISTDESCRIPTION"));
        while (t.next() == 0)
            out.push_back(value(t, "PLD:PlaylistDescription"));
        return out;
    };

    rt::Window* f = addPlaylist();
    ASSERT_TRUE(f) << message();
    EXPECT_EQ(f->title(), "Adding a Playlist Record");
    const std::int64_t id = dictionary::PlaylistMaster().record()["PLD:PlaylistID"].toInt();
    ASSERT_GT(id, empty);
    dropSong(*f);
    EXPECT_EQ(entries(id).size(), 1u);
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
    EXPECT_EQ(host->window("UpdatePlaylist"), nullptr) << message();
    EXPECT_EQ(playlists(), (Strings{"Empty", "Friday"}));
    EXPECT_TRUE(entries(id).empty()) << "the cancelled playlist's entries went with it";

    f = addPlaylist();
    ASSERT_TRUE(f) << message();
    const std::int64_t saved = dictionary::PlaylistMaster().record()["PLD:PlaylistID"].toInt();
    dropSong(*f);
    host->press(*f, "?OK");
    ASSERT_TRUE(host->messageBox()) << "no description";
    EXPECT_EQ(message(), "Missing Information: \"Playlist Description\" must be entered.");
    host->answer(rt::button::Ok);
    ASSERT_TRUE(f->isOpen());
    host->enter(*f, "?Description", "Saturday");
    host->press(*f, "?OK");
    EXPECT_EQ(host->window("UpdatePlaylist"), nullptr) << message();
    EXPECT_EQ(playlists(), (Strings{"Empty", "Friday", "Saturday"}));
    EXPECT_EQ(entries(saved).size(), 1u);
}

TEST_F(PlaylistFormTest, AnEntryNamesAChosenSongAndLandsBelowTheHighlightedOne)
{
    rt::Window* f = openPlaylist(friday);
    ASSERT_TRUE(f) << message();
    host->choose(*f, "?EntryList", 1);
    host->press(*f, "?AddEntry");
    rt::Window* e = host->window("UpdatePlaylistDetails");
    ASSERT_TRUE(e && e->isOpen()) << message();
    EXPECT_EQ(e->title(), "Adding a Playlist Detail");
    // No song chosen: nothing to save.
    host->press(*e, "?OK");
    ASSERT_TRUE(host->messageBox());
    EXPECT_EQ(message(), "Missing Information: \"Artist\" must be entered.");
    host->answer(rt::button::Ok);
    ASSERT_TRUE(e->isOpen());

    host->press(*e, "?SelectSong");
    rt::Window* lookup = host->window("SelectFileNumber");
    ASSERT_TRUE(lookup) << message();
    const rt::ListSource* rows = (*lookup)["?Browse"].list();
    int untimed = 0;
    for (int r = 0; r < rows->rowCount() && !untimed; ++r)
        for (int c = 0; c < 4; ++c)
            if (text::trimRight(rows->cell(r, c)) == "Untimed")
                untimed = r + 1;
    ASSERT_TRUE(untimed);
    host->choose(*lookup, "?Browse", untimed);
    host->press(*lookup, "?Select");
    EXPECT_EQ((*e)["?Title"].value().substr(0, 7), "Untimed");
    host->enter(*e, "?PlaylistNotes", "New entry");
    host->press(*e, "?OK");
    EXPECT_EQ(host->window("UpdatePlaylistDetails"), nullptr) << message();
    // Numbered 6 as it was added, it moves up over the values the entries had.
    EXPECT_EQ(entries(friday), (Strings{"Waterloo@1", "Untimed@2", "Hurricane@5", "Believe@6"}));
    EXPECT_EQ(entries(friday, "PLA:PlaylistNotes"), (Strings{"", "New entry", "", ""}));
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
}

TEST_F(PlaylistFormTest, ChartWritesEachEntrysPositionIntoItsNoteAfterAsking)
{
    Table& t = dictionary::PlaylistDetails();
    t.record()["PLA:PlaylistID"] = friday;
    t.record()["PLA:PlaylistSeq"] = 2;
    ASSERT_EQ(t.fetch(t.def().keyIndex("PLA:KeyPlaylistID")), 0);
    t.record()["PLA:PlaylistNotes"] = "Hot LW:123";
    ASSERT_EQ(t.update(), 0);

    rt::Window* f = openPlaylist(friday);
    ASSERT_TRUE(f) << message();
    host->press(*f, "?Chart");
    ASSERT_TRUE(host->messageBox());
    EXPECT_EQ(host->messageBox()->title(), "Warning");
    host->answer(rt::button::Cancel);
    EXPECT_EQ(entries(friday, "PLA:PlaylistNotes"), (Strings{"", "Hot LW:123", ""})) << "a cancel changes nothing";

    host->press(*f, "?Chart");
    host->answer(rt::button::Ok);
    EXPECT_EQ(entries(friday, "PLA:PlaylistNotes"), (Strings{"LW:1", "Hot LW:2", "LW:5"}))
        << "the position is the sequence value";
    EXPECT_EQ(text::trimRight((*f)["?EntryList"].list()->cell(1, 6)), "Hot LW:2") << "the list shows the new notes";
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
}

// The carry-over takes a few entries a turn: every entry is done once.
TEST_F(PlaylistFormTest, ChartReachesEveryEntryOfALongPlaylistOnce)
{
    Strings expected;
    for (int seq = 1; seq <= 25; ++seq) {
        add(dictionary::PlaylistDetails(),
            {{"PLA:PlaylistID", std::to_string(empty)}, {"PLA:PlaylistSeq", std::to_string(seq * 2)}, {"PLA:ID", "1"},
                {"PLA:PlaylistNotes", "LW:7"}});
        expected.push_back("LW:" + std::to_string(seq * 2));
    }
    rt::Window* f = openPlaylist(empty);
    ASSERT_TRUE(f) << message();
    host->press(*f, "?Chart");
    host->answer(rt::button::Ok);
    EXPECT_EQ(host->window("ThisWeekToLastWeek"), nullptr) << "the progress window has closed";
    EXPECT_EQ(entries(empty, "PLA:PlaylistNotes"), expected);
    EXPECT_EQ(entries(friday, "PLA:PlaylistNotes"), (Strings{"", "", ""})) << "other playlists are untouched";
    host->press(*f, "?Cancel");
    if (host->messageBox())
        host->answer(rt::button::No);
}

} // namespace
} // namespace qv::qvls::testing
