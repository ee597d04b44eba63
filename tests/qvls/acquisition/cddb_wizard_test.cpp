// The CDDB wizard driven as a user drives it: the CD read by a stand-in
// reader that writes the disc's songs as the reader does, the disc looked up
// by a stand-in tool that leaves a golden answer, the album checked step by
// step, saved, or given up by Cancel or the close box.

#include "disc_tool_fixture.h"

#include <set>

#include "platform/framework/handover.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

class CddbWizard : public DiscToolTest
{
protected:
    void SetUp() override
    {
        DiscToolTest::SetUp();
        settings().CDDrive = "D:";
        settings().DefaultMedia = "CD";
        add(dictionary::Media(), {{"MED:Media", "CD"}});
        toolAnswers("single_artist.LOG");
        frameServices().callProcedure = [this](std::string_view name) {
            if (name != "ReadCDInformation")
                return rt::Procedures::call(name);
            ++readings;
            readDisc();
            return true;
        };
    }

    // The reader: the disc's serial number and three tracks, written as songs
    // of the album in the buffer.
    void readDisc()
    {
        tables::Record& a = dictionary::Album().record();
        a["ALB:CDIdentifier"] = serial;
        threadGlo().cdTracks = {{150, 13500}, {13650, 4500}, {18150, 9000}};
        const std::int64_t albumId = a["ALB:AlbumID"].toInt();
        fw::handover().response = fw::response::Completed;
        if (!readAlbums.insert(albumId).second)
            return; // its songs are written already
        const tables::Record kept = dictionary::Quorvel().record();
        for (int track = 1; track <= 3; ++track)
            add(dictionary::Quorvel(),
                {{"SNG:AlbumID", std::to_string(albumId)}, {"SNG:Side", "1"},
                    {"SNG:TrackNumber", std::to_string(track)}, {"SNG:Title", "Track " + std::to_string(track)},
                    {"SNG:Time", "6001"}});
        dictionary::Quorvel().record() = kept;
        fw::handover().response = fw::response::Completed;
    }

    rt::Window& openWizard()
    {
        host->start("wizard", [this] {
            rt::Procedures::call("CDDBWizard");
            finished = true;
        });
        answerMessages();
        rt::Window* w = host->window("CDDBWizard");
        if (!w || !w->isOpen())
            throw std::logic_error("no wizard");
        return *w;
    }
    // Which buttons the step shows: Back enabled, Next enabled, Finish shown,
    // and the step's tab.
    static std::string step(rt::Window& w)
    {
        return std::string(w["?Back"].enabled() ? "back " : "") + (w["?Next"].enabled() ? "next " : "")
            + (w["?Finish"].hidden() ? "" : "finish ") + std::to_string(w["?Sheet"].selected());
    }
    static std::int64_t records(const char* label) { return dictionary::accessOf(label)->table().records(); }

    std::string serial = "4711-AB";
    int readings = 0;
    std::set<std::int64_t> readAlbums;
};

TEST_F(CddbWizard, AddsOneAlbumAfterAnotherFromTheirCDs)
{
    rt::Window& w = openWizard();
    EXPECT_EQ(w.title(), "CDDB Wizard");
    EXPECT_EQ(step(w), "next 1");
    EXPECT_TRUE(w["?Next"].isDefault());
    EXPECT_EQ(records("Categories"), 5) << "an empty category list gets the five defaults";
    EXPECT_EQ(readings, 0) << "the wizard waits for Next";

    host->press(w, "?Next");
    answerMessages();
    EXPECT_EQ(readings, 1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].args, (std::vector<std::string>{"/D", "/VID", "D:"}));
    EXPECT_EQ(step(w), "back next 2");
    EXPECT_EQ(w["?Artist"].value(), "Joni Mitchell");
    EXPECT_EQ(w["?Album"].value(), "Blue");

    host->press(w, "?Next");
    answerMessages();
    EXPECT_EQ(step(w), "back finish 3");
    EXPECT_TRUE(w["?Finish"].isDefault());
    EXPECT_EQ(text::trimRight(host->listCell(w, "?SongList", 1, 4).value), "All I Want");
    host->press(w, "?Back");
    EXPECT_EQ(step(w), "back next 2");
    host->press(w, "?Next");
    host->press(w, "?Finish");
    answerMessages();
    EXPECT_EQ(messages, std::vector<std::string>{});

    // Saved, and on the first step again for the next CD.
    EXPECT_EQ(records("Album"), 2) << "the saved album and the next one reserved";
    EXPECT_EQ(step(w), "next 1");
    EXPECT_EQ(w["?StepText"].text(), "Step 1:  Insert another CD and press Next.");
    tables::Table& a = dictionary::Album();
    a.record().clear();
    a.record()["ALB:Artist"] = "Joni Mitchell";
    a.record()["ALB:Album"] = "Blue";
    ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYARTIST")), 0);
    EXPECT_EQ(value(a, "ALB:CDIdentifier"), serial);
    EXPECT_EQ(value(a, "ALB:Category"), "Folk");
    const std::int64_t saved = a.record()["ALB:AlbumID"].toInt();
    // The album's artist reaches the songs of a single artist's album.
    EXPECT_EQ(songsOf(saved),
        (std::vector<std::string>{
            "1.1 All I Want / Joni Mitchell", "1.2 My Old Man - Live / Joni Mitchell", "1.3 River / Joni Mitchell"}));

    // Done adding CDs: nothing was looked up for the next album, so Cancel
    // asks nothing and takes the reserved album away.
    host->press(w, "?Cancel");
    answerMessages();
    EXPECT_TRUE(finished);
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ(records("Album"), 1);
    EXPECT_EQ(records("Quorvel"), 3);
}

TEST_F(CddbWizard, CancelAndTheCloseBoxAskBeforeTheyGiveTheAlbumUp)
{
    struct Case {
        const char* how;
        bool closeBox;
        int answer;
        bool open;
        std::int64_t albums, songs;
    };
    const Case cases[] = {
        {"Cancel, then Cancel", false, rt::button::Cancel, true, 1, 3},
        {"Cancel, then No", false, rt::button::No, false, 0, 0},
        {"close box, then No", true, rt::button::No, false, 0, 0},
        {"Cancel, then Yes", false, rt::button::Yes, true, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        rt::Window& w = openWizard();
        host->press(w, "?Next");
        answerMessages();
        ASSERT_EQ(records("Quorvel"), 3) << "the looked-up songs are on file";
        if (c.closeBox)
            host->post(w, rt::Event{rt::event::CloseWindow});
        else
            host->press(w, "?Cancel");
        rt::MessageBoxWindow* m = host->messageBox();
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->title(), "Save Record");
        host->answer(c.answer);
        answerMessages();
        // A closed wizard's window is gone: look it up again, never read it through w.
        rt::Window* still = host->window("CDDBWizard");
        EXPECT_EQ(still != nullptr, c.open);
        EXPECT_EQ(records("Album"), c.albums);
        EXPECT_EQ(records("Quorvel"), c.songs);
        if (still) {
            // Give the wizard up for the next case.
            host->press(*still, "?Cancel");
            if (host->messageBox())
                host->answer(rt::button::No);
            answerMessages();
        }
        for (const char* label : {"Album", "Quorvel"}) {
            tables::Table& t = dictionary::accessOf(label)->table();
            t.setOrder(-1);
            while (t.next() == 0)
                t.remove();
        }
        starts.clear();
    }
}

TEST_F(CddbWizard, TheAlbumIsCheckedBeforeItIsSaved)
{
    add(dictionary::Album(), {{"ALB:Artist", "Joni Mitchell"}, {"ALB:Album", "Blue"}, {"ALB:CDIdentifier", "1"}});
    rt::Window& w = openWizard();
    host->press(w, "?Next");
    answerMessages();
    // The category list: Classical, Country, Folk (the lookup's genre), Jazz, Pop, Rock.
    host->choose(w, "?Category", 4);
    EXPECT_EQ(value(dictionary::Album(), "ALB:Category"), "Jazz");
    EXPECT_EQ(dictionary::Album().record()["ALB:CategoryID"].toInt(), 3);
    host->enter(w, "?Artist", "");
    host->press(w, "?Next");
    answerMessages();
    EXPECT_EQ(step(w), "back finish 3");
    host->press(w, "?Finish");
    answerMessages();
    EXPECT_EQ(messages, std::vector<std::string>{"Missing Information: \"Artist\" must be entered."});
    EXPECT_EQ(records("Album"), 2) << "nothing saved";

    // The same title and artist as an album on file: warned, then refused.
    messages.clear();
    host->press(w, "?Back");
    host->enter(w, "?Artist", "Joni Mitchell");
    host->press(w, "?Next");
    answerMessages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], "Artist + Album Conflict: Warning!  This duplicates an album already on file!");
    messages.clear();
    host->press(w, "?Finish");
    answerMessages();
    EXPECT_EQ(messages.size(), 1u) << "the save is refused";
    EXPECT_TRUE(w.isOpen());
    host->press(w, "?Cancel");
    host->answer(rt::button::No);
    answerMessages();
    EXPECT_TRUE(finished);
    EXPECT_EQ(records("Album"), 1);
    EXPECT_EQ(records("Quorvel"), 0);
}

TEST_F(CddbWizard, ADiscOnFileIsAddedOnlyWhenTheUserSaysSo)
{
    add(dictionary::Album(),
        {{"ALB:Artist", "Joni Mitchell"}, {"ALB:Album", "Blue (1971)"}, {"ALB:CDIdentifier", "4711-AB"},
            {"ALB:XCCD", "0a000802"}});
    rt::Window& w = openWizard();
    host->press(w, "?Next");
    rt::MessageBoxWindow* m = host->messageBox();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->title(), "Duplicate");
    EXPECT_EQ(m->text(),
        "Warning!\r\n\r\nThis album is already on file with the same identifier:\r\nJoni "
        "Mitchell\r\nBlue (1971)\r\n0a000802\r\n4711-AB\r\n\r\nDo you still want to add this album?");
    host->answer(2); // No
    answerMessages();
    EXPECT_TRUE(finished) << "No on the first step ends the wizard as Cancel does";
    EXPECT_EQ(starts.size(), 0u) << "no lookup";
    EXPECT_EQ(records("Album"), 1);
    EXPECT_EQ(records("Quorvel"), 0);
}

TEST_F(CddbWizard, OnTheSongsStepTheCDIsReadAgainAndTheSongsRewritten)
{
    add(dictionary::Album(),
        {{"ALB:Artist", "Joni Mitchell"}, {"ALB:Album", "Blue (1971)"}, {"ALB:CDIdentifier", "4711-AB"}});
    rt::Window& w = openWizard();
    host->press(w, "?Next");
    ASSERT_NE(host->messageBox(), nullptr);
    host->answer(1); // Yes: add it all the same
    answerMessages();
    host->press(w, "?Next");
    answerMessages();
    ASSERT_EQ(step(w), "back finish 3");
    ASSERT_EQ(starts.size(), 1u);

    host->press(w, "?ReadCD");
    ASSERT_NE(host->messageBox(), nullptr);
    EXPECT_EQ(host->messageBox()->title(), "Duplicate");
    host->answer(2); // No: only the lookup is skipped
    answerMessages();
    EXPECT_EQ(readings, 2);
    EXPECT_EQ(starts.size(), 1u);
    EXPECT_TRUE(w.isOpen());
    EXPECT_EQ(step(w), "back finish 3");

    host->press(w, "?SwapAllSongs");
    answerMessages();
    const std::int64_t album = dictionary::Album().record()["ALB:AlbumID"].toInt();
    EXPECT_EQ(songsOf(album),
        (std::vector<std::string>{
            "1.1 Joni Mitchell / All I Want", "1.2 Joni Mitchell / My Old Man - Live", "1.3 Joni Mitchell / River"}));
    EXPECT_EQ(text::trimRight(host->listCell(w, "?SongList", 1, 4).value), "Joni Mitchell") << "the list shows it";
    host->press(w, "?Cancel");
    host->answer(rt::button::No);
    answerMessages();
    EXPECT_EQ(records("Quorvel"), 0);
}

TEST_F(CddbWizard, FromTheCDPlayerItReadsAtOnce)
{
    glo().wizardFromCDPlayer = 1;
    rt::Window& w = openWizard();
    EXPECT_EQ(readings, 1);
    EXPECT_EQ(glo().wizardFromCDPlayer, 0);
    EXPECT_EQ(step(w), "back next 2");
    host->press(w, "?Cancel");
    host->answer(rt::button::No);
    answerMessages();
    EXPECT_TRUE(finished);
}

TEST_F(CddbWizard, TheArtistNameSwapsOnlyWhenItHasTwoParts)
{
    rt::Window& w = openWizard();
    host->press(w, "?Next");
    answerMessages();
    const std::pair<const char*, const char*> cases[]
        = {{"Joni Mitchell", "Mitchell, Joni"}, {"Mitchell, Joni", "Joni Mitchell"}, {"Prince", "Prince"}};
    for (const auto& [before, after] : cases) {
        host->enter(w, "?Artist", before);
        host->press(w, "?SwapArtistName");
        EXPECT_EQ(w["?Artist"].value(), after);
    }
    host->press(w, "?Cancel");
    host->answer(rt::button::No);
    answerMessages();
}

} // namespace
} // namespace qv::qvls::testing

namespace qv::qvls::testing {
namespace {

// With the program's own CD reader on a simulated drive: the reading writes
// a song per track, and the lookup names the tracks its answer knows.
TEST_F(CddbWizard, ReadsTheDiscInTheDriveAndLooksItUp)
{
    frameServices().callProcedure = [](std::string_view name) { return rt::Procedures::call(name); };
    glo().positionFile = ".\\POSITION.INI";
    writeFile(collection("disc.toc"),
        "track 1 150\ntrack 2 22767\ntrack 3 41887\ntrack 4 58317\ntrack 5 72102\nleadout 91375\n");
    rt::IniFile ini = settingsIni();
    ini.set("CD Drives", "D:", "disc.toc");
    ini.set("Settings", "CDDrive", "D:");
    LoadSettings();

    rt::Window& w = openWizard();
    host->press(w, "?Next");
    answerMessages();
    host->press(w, "?Next");
    answerMessages();
    EXPECT_EQ(messages, std::vector<std::string>{});
    ASSERT_EQ(step(w), "back finish 3");
    host->press(w, "?Finish");
    answerMessages();
    EXPECT_EQ(messages, std::vector<std::string>{});
    tables::Table& a = dictionary::Album();
    a.record().clear();
    a.record()["ALB:Artist"] = "Joni Mitchell";
    a.record()["ALB:Album"] = "Blue";
    ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYARTIST")), 0);
    EXPECT_FALSE(value(a, "ALB:CDIdentifier").empty()) << "the reading's serial number";
    EXPECT_EQ(songsOf(a.record()["ALB:AlbumID"].toInt()),
        (std::vector<std::string>{"1.1 All I Want / Joni Mitchell", "1.2 My Old Man - Live / Joni Mitchell",
            "1.3 River / Joni Mitchell", "1.4 Track 4 / Joni Mitchell", "1.5 Track 5 / Joni Mitchell"}));
    host->press(w, "?Cancel");
    answerMessages();
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace qv::qvls::testing
