// The song form, opened as its callers open it: on its own, inside an
// album's form, and as the hand-over to the add-album wizards; and what OK
// files besides the song.

#include "qvls/catalogue/catalogue_fixture.h"

#include "hdrscan/mp3_fixture.h"

#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "qvls/catalogue/song_form.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

class SongFormTest : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album", "SongDetails", "Media", "Categories", "Artists"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const char* m : {"CD", "LP"})
            add(dictionary::Media(), {{"MED:Media", m}});
        add(dictionary::Categories(), {{"CAT:Category", "Rock"}});
        add(dictionary::Album(),
            {{"ALB:Album", "Tapestry"}, {"ALB:Artist", "Carole King"}, {"ALB:Media", "LP"},
                {"ALB:FileNumber", "LP0001"}, {"ALB:ReleaseDate", "1971"}});
        settings().DefaultMedia = "CD";
    }
    void TearDown() override
    {
        for (const char* label : {"Quorvel", "Album", "SongDetails", "Media", "Categories", "Artists"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    // Opens the song form as a caller does; the buffer holds what the caller primed.
    rt::Window* open(int request, int fromWizard = 0)
    {
        glo().songFormFromWizard = fromWizard;
        response = -1;
        host->start("caller", [this, request] {
            fw::handover().request = request;
            rt::Procedures::call("UpdateSong");
            response = fw::handover().response;
        });
        return form();
    }
    rt::Window* form() const
    {
        rt::Window* w = host->window("UpdateSong");
        return w && w->isOpen() ? w : nullptr;
    }
    static void newSong()
    {
        Table& s = dictionary::Quorvel();
        s.record().clear();
        s.record().recordId = 0;
    }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }
    // Every row of a table as the values of some fields, "|" between them.
    static std::vector<std::string> rows(Table& t, std::vector<const char*> fields)
    {
        std::vector<std::string> out;
        t.setOrder(-1);
        while (t.next() == 0) {
            std::string row;
            for (std::size_t i = 0; i < fields.size(); ++i)
                row += (i ? "|" : "") + value(t, fields[i]);
            out.push_back(row);
        }
        return out;
    }

    int response = -1;
};

TEST_F(SongFormTest, AddModeHandsANewSongToTheWizardsByName)
{
    struct Case {
        const char* addMode;
        const char* title; // primed into the new song
        const char* said; // the wizard said not to be there, or "" when the form opens
    };
    const Case cases[] = {
        {"Compilation", "", "The compilation wizard is not available yet."},
        {"Single", "", "The single artist wizard is not available yet."},
        {"Ask", "", "Choosing the kind of album to add is not available yet."},
        {"Ask", "Intro", ""}, // a song with a title is not asked about
        {"Normal", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.addMode) + " " + c.title);
        settings().AddMode = c.addMode;
        newSong();
        dictionary::Quorvel().record()["SNG:Title"] = c.title;
        open(fw::request::Insert);
        if (*c.said) {
            EXPECT_EQ(message(), std::string("Not Available: ") + c.said);
            host->answer(rt::button::Ok);
        }
        // Only the add-type choice falls back to the form when it is not there.
        const bool opens = !*c.said || std::string(c.addMode) == "Ask";
        ASSERT_EQ(form() != nullptr, opens) << message();
        if (form()) {
            host->press(*form(), "?Cancel");
            if (host->messageBox())
                host->answer(rt::button::No);
        }
        EXPECT_FALSE(form());
    }
    // Inside an album's form the song is never handed over.
    settings().AddMode = "Compilation";
    newSong();
    ASSERT_TRUE(open(fw::request::Insert, 1)) << message();
}

TEST_F(SongFormTest, ATimeTypedAsHoursAndMinutesIsTakenAsMinutesAndSeconds)
{
    const std::pair<const char*, std::int64_t> cases[] = {
        {"3:45", 22501}, // 3 minutes 45 seconds
        {"2:00", 720001}, // two hours stay two hours
        {"1:30", 540001},
        {"", 0},
    };
    newSong();
    rt::Window* f = open(fw::request::Insert);
    ASSERT_TRUE(f);
    for (const auto& [typed, stored] : cases) {
        SCOPED_TRACE(typed);
        host->enter(*f, "?Time", typed);
        EXPECT_EQ(dictionary::Quorvel().record()["SNG:Time"].toInt(), stored);
    }
    EXPECT_EQ(minutesForHours(0), 0);
}

TEST_F(SongFormTest, ANewSongTakesTheAlbumsFieldsUnlessTheAlbumIsByVariousArtists)
{
    struct Case {
        const char* albumArtist;
        int side; // GLO:Side
        const char* artist; // the new song's
        int songSide;
    };
    const Case cases[] = {
        {"Carole King", 2, "Carole King", 2},
        {"VARIOUS Artists", 1, "", 1},
        {"Various artists", 0, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.albumArtist);
        Table& a = dictionary::Album();
        a.record()["ALB:AlbumID"] = 1;
        ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYALBUMID")), 0);
        a.record()["ALB:Artist"] = c.albumArtist;
        glo().side = c.side;
        newSong();
        rt::Window* f = open(fw::request::Insert, 1);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->title(), "Add Song");
        EXPECT_EQ((*f)["?Artist"].value(), c.artist);
        EXPECT_EQ((*f)["?Album"].value(), "Tapestry");
        EXPECT_EQ((*f)["?Media"].value(), "LP");
        EXPECT_EQ((*f)["?FileNumber"].value(), "LP0001");
        EXPECT_FALSE((*f)["?Album"].enabled()) << "the album's own";
        EXPECT_TRUE((*f)["?DefaultFromAlbum"].hidden());
        tables::Record& s = dictionary::Quorvel().record();
        EXPECT_EQ(s["SNG:AlbumID"].toInt(), 1);
        EXPECT_EQ(s["SNG:Side"].toInt(), c.songSide);
        host->press(*f, "?Cancel");
        if (host->messageBox())
            host->answer(rt::button::No);
    }
    // On its own a new song has the default media and side 1.
    glo().side = 0;
    newSong();
    rt::Window* f = open(fw::request::Insert);
    ASSERT_TRUE(f);
    EXPECT_EQ((*f)["?Media"].value(), "CD");
    EXPECT_EQ(dictionary::Quorvel().record()["SNG:Side"].toInt(), 1);
    EXPECT_FALSE((*f)["?DefaultFromAlbum"].hidden());
}

TEST_F(SongFormTest, OkFilesTheSongUnderItsAlbumAndItsArtistOnce)
{
    struct Case {
        const char* autoAdd;
        const char* album;
        const char* media;
        std::vector<std::string> albums; // afterwards, "id|title"
        std::int64_t albumId; // the song's
    };
    const Case cases[] = {
        {"0", "Music", "CD", {"1|Tapestry"}, 0}, // filing off
        {"1", "Tapestry", "CD", {"1|Tapestry"}, 1}, // the album there is taken
        {"1", "Music", "CD", {"1|Tapestry", "2|Music"}, 2}, // a new album, numbered by the table
    };
    int songs = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.autoAdd) + " " + c.album);
        settings().AutoAddToAlbums = c.autoAdd;
        newSong();
        rt::Window* f = open(fw::request::Insert);
        ASSERT_TRUE(f);
        host->enter(*f, "?Artist", "Carole King");
        host->enter(*f, "?Title", "So Far Away");
        host->enter(*f, "?Album", c.album);
        host->enter(*f, "?Media", c.media);
        host->press(*f, "?OK");
        ++songs;
        EXPECT_EQ(glo().songFormResult, "OK");
        ASSERT_TRUE(form()) << "a new song's form stays open for the next";
        EXPECT_EQ(form()->title(), "Add Song");
        EXPECT_EQ(rows(dictionary::Album(), {"ALB:AlbumID", "ALB:Album"}), c.albums);
        Table& s = dictionary::Quorvel();
        std::vector<std::string> saved = rows(s, {"SNG:Title", "SNG:AlbumID"});
        // The next song's place is reserved already: it has no title yet.
        std::erase_if(saved, [](const std::string& r) { return r.front() == '|'; });
        ASSERT_EQ(saved.size(), static_cast<std::size_t>(songs));
        EXPECT_EQ(saved.back(), "So Far Away|" + std::to_string(c.albumId));
        host->press(*form(), "?Cancel");
        if (host->messageBox())
            host->answer(rt::button::No);
        EXPECT_FALSE(form());
        EXPECT_EQ(glo().songFormResult, "Cancel");
        EXPECT_EQ(response, fw::response::Completed) << "the series saved a song";
        EXPECT_EQ(value(dictionary::Quorvel(), "SNG:Title"), "So Far Away") << "the last song saved";
        EXPECT_EQ(rows(s, {"SNG:Title"}).size(), static_cast<std::size_t>(songs)) << "the next song's place went away";
    }
    EXPECT_EQ(rows(dictionary::Artists(), {"ART:Artist"}), std::vector<std::string>{"Carole King"});
}

TEST_F(SongFormTest, ASongThatFailsItsChecksFilesNothing)
{
    settings().AutoAddToAlbums = "1";
    newSong();
    rt::Window* f = open(fw::request::Insert);
    ASSERT_TRUE(f);
    host->enter(*f, "?Artist", "Joni Mitchell");
    host->enter(*f, "?Title", "River");
    host->enter(*f, "?Album", "Blue");
    host->choose(*f, "?Sheet", 2);
    host->enter(*f, "?Rating", "11");
    EXPECT_NE(message().find("Range Error"), std::string::npos) << message();
    host->answer(rt::button::Ok);
    host->press(*f, "?OK");
    EXPECT_NE(message().find("Range Error"), std::string::npos) << message();
    host->answer(rt::button::Ok);
    EXPECT_EQ(rows(dictionary::Album(), {"ALB:Album"}), std::vector<std::string>{"Tapestry"});
    EXPECT_TRUE(rows(dictionary::Artists(), {"ART:Artist"}).empty());
    EXPECT_EQ(form(), f);
}

TEST_F(SongFormTest, ASongMovedToAnotherSideIsSavedThere)
{
    glo().side = 1;
    newSong();
    rt::Window* f = open(fw::request::Insert, 1);
    ASSERT_TRUE(f);
    host->enter(*f, "?Title", "It's Too Late");
    host->enter(*f, "?Side", "2");
    EXPECT_EQ(text::trim((*f)["?PlaceSide"].value()), "2") << "the place below the tabs follows";
    host->press(*f, "?OK");
    EXPECT_EQ(rows(dictionary::Quorvel(), {"SNG:Title", "SNG:Side"}).front(), "It's Too Late|2");
}

TEST_F(SongFormTest, AViewSavesNothingAndStaysUntilCancel)
{
    settings().AutoAddToAlbums = "1";
    add(dictionary::Quorvel(),
        {{"SNG:Title", "Blue"}, {"SNG:Artist", "Joni Mitchell"}, {"SNG:Album", "Blue"}, {"SNG:Media", "CD"}});
    Table& s = dictionary::Quorvel();
    s.setOrder(-1);
    ASSERT_EQ(s.next(), 0);
    rt::Window* f = open(fw::request::Select);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->title(), "Update the Quorvel Database");
    EXPECT_FALSE((*f)["?Title"].enabled());
    EXPECT_FALSE((*f)["?AddDetail"].enabled()) << "its detail lines cannot be written either";
    host->press(*f, "?OK");
    EXPECT_EQ(form(), f);
    EXPECT_EQ(glo().songFormResult, "OK");
    host->press(*f, "?Cancel");
    EXPECT_FALSE(form());
    EXPECT_EQ(rows(dictionary::Album(), {"ALB:Album"}), std::vector<std::string>{"Tapestry"}) << "no album filed";
    EXPECT_TRUE(rows(dictionary::Artists(), {"ART:Artist"}).empty()) << "no artist filed";
}

TEST_F(SongFormTest, ArtistAndTitleAreRequired)
{
    newSong();
    rt::Window* f = open(fw::request::Insert);
    ASSERT_TRUE(f);
    host->enter(*f, "?Artist", "Carole King");
    host->press(*f, "?OK");
    EXPECT_EQ(message(), "Missing Information: \"Title\" must be entered.");
    host->answer(rt::button::Ok);
    EXPECT_EQ(f->focus(), &(*f)["?Title"]);
    EXPECT_TRUE(rows(dictionary::Quorvel(), {"SNG:Title"}).size() <= 1u) << "only the reserved song";
}

TEST_F(SongFormTest, TheAudioFileIsChosenWholeAndACancelKeepsIt)
{
    newSong();
    rt::Window* f = open(fw::request::Insert);
    ASSERT_TRUE(f);
    host->choose(*f, "?Sheet", 5);
    EXPECT_FALSE((*f)["?PlayWavFile"].enabled()) << "nothing to play";
    const std::string longPath = "/music/" + std::string(200, 'a') + "/track.mp3";
    host->press(*f, "?BrowseWavFile");
    auto* d = host->dialog<rt::FileDialogWindow>();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->request().title, "Select MP3 or WAV File");
    rt::FileDialogSpec chosen = d->request();
    chosen.fileName = longPath;
    d->answer(chosen);
    host->settle();
    EXPECT_EQ((*f)["?WavFile"].value(), longPath);
    EXPECT_TRUE((*f)["?PlayWavFile"].enabled());
    host->press(*f, "?BrowseWavFile");
    d = host->dialog<rt::FileDialogWindow>();
    ASSERT_TRUE(d);
    d->answer(std::nullopt);
    host->settle();
    EXPECT_EQ((*f)["?WavFile"].value(), longPath);
}

TEST_F(SongFormTest, GetInfoFromMP3FileFillsTheFormFromTheFile)
{
    if (!hdrscan::test::HaveProgram("lame"))
        GTEST_SKIP() << "lame is not installed (scripts/setup)";
    const std::string wav = collection("tone.wav").string();
    const std::string mp3 = collection("So Far Away.mp3").string();
    hdrscan::test::WriteWav(wav, 44100, 2, 2);
    const std::string command
        = "lame --quiet -b 128 -m j --id3v1-only --tt 'So Far Away' --ta 'Carole King' --ty 1971 '" + wav + "' '" + mp3
        + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    newSong();
    rt::Window* f = open(fw::request::Insert);
    ASSERT_TRUE(f);
    host->choose(*f, "?Sheet", 5);
    host->enter(*f, "?WavFile", mp3);
    host->press(*f, "?GetMP3Info");
    EXPECT_EQ(host->messageBox(), nullptr) << message();
    EXPECT_EQ((*f)["?Title"].value(), "So Far Away");
    EXPECT_EQ((*f)["?Artist"].value(), "Carole King");
    EXPECT_EQ(dictionary::Quorvel().record()["SNG:BitRate"].toInt(), 128);
    EXPECT_NE((*f)["?Mode"].value(), "");
    EXPECT_TRUE((*f)["?PlayWavFile"].enabled());

    host->enter(*f, "?WavFile", collection("missing.mp3").string());
    host->press(*f, "?GetMP3Info");
    EXPECT_EQ(message(), "Error: " + collection("missing.mp3").string() + " does not exist.");
    host->answer(rt::button::Ok);
}

} // namespace
} // namespace qv::qvls::testing
