// Reading an audio CD from simulated drives whose TOC files describe real
// discs (a few shorter ones are cut from them): what the album buffer, the
// thread's track queue, ".\TRAKHAND.INI", ".\POSITION.INI" and the song and
// scratch rows receive, and what every failure tells the user.

#include "qvls/acquisition/acquisition_fixture.h"

#include <functional>

#include "platform/cdaudio/mci.h"
#include "platform/framework/handover.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/acquisition/cd_reader.h"
#include "qvls/acquisition/disc_side.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

// Track starts (frames, lead-in counted) and the lead-out of a disc.
struct Disc {
    const char* name;
    std::vector<int> starts;
    int leadout;
};

// Recoil, "Liquid" (its audio session); published disc id 890e120a.
const Disc kLiquid{"Liquid", {150, 12767, 40487, 63225, 93410, 118115, 151865, 184340, 215260, 247455}, 270335};
// The 22-track disc of the disc-id library's own tests; published id 370fce16.
const Disc kTwentyTwo{"22 tracks",
    {150, 9700, 25887, 39297, 53795, 63735, 77517, 94877, 107270, 123552, 135522, 148422, 161197, 174790, 192022,
        205545, 218010, 228700, 239590, 255470, 266932, 288750},
    303602};
// Nirvana, "Nevermind".
const Disc kNevermind{
    "Nevermind", {150, 22767, 41887, 58317, 72102, 91375, 104652, 115380, 132165, 143932, 159870, 174597}, 267257};
// The first five tracks of "Nevermind", and its first track alone.
const Disc kFiveTracks{"5 tracks", {150, 22767, 41887, 58317, 72102}, 91375};
const Disc kOneTrack{"1 track", {150}, 22767};

class CdReaderTest : public AcquisitionTest
{
protected:
    void SetUp() override
    {
        AcquisitionTest::SetUp();
        for (const char* label : kTables)
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        glo().positionFile = ".\\POSITION.INI";
    }
    void TearDown() override
    {
        std::string answer;
        cdaudio::mciSendString("close all", answer); // a device a failed test left open
        for (const char* label : kTables)
            dictionary::accessOf(label)->close();
        AcquisitionTest::TearDown();
    }

    // The disc in drive "D:", as the settings pin it; more lines (tray,
    // failures) go into its TOC file after the tracks.
    void insert(const Disc& disc, const std::string& more = {})
    {
        std::string toc = "log commands.log\n";
        for (std::size_t n = 0; n < disc.starts.size(); ++n)
            toc += "track " + std::to_string(n + 1) + " " + std::to_string(disc.starts[n]) + "\n";
        toc += "leadout " + std::to_string(disc.leadout) + "\n" + more;
        writeFile(collection("disc.toc"), toc);
        rt::IniFile ini = settingsIni();
        ini.set("CD Drives", "D:", "disc.toc");
        ini.set("Settings", "CDDrive", "D:");
        LoadSettings();
    }
    std::vector<std::string> commands() const { return lines("commands.log"); }
    static bool sent(const std::vector<std::string>& log, const std::string& command)
    {
        return std::find(log.begin(), log.end(), command) != log.end();
    }

    // Reads as a window's procedure does, on a thread of its own; the
    // thread's track queue is kept for the test.
    void read(int mode, bool scratchRows = false, const WizardTracks* wizard = nullptr)
    {
        result.reset();
        host->start("reader", [=, this] {
            result = wizard ? ReadCDInformation(mode, *wizard) : ReadCDInformation(mode, scratchRows);
            toc = threadGlo().cdTracks;
        });
        for (const std::string& f : host->failures())
            ADD_FAILURE() << f;
    }
    // Answers the message now shown and lets the reader finish.
    std::string answerMessage()
    {
        const std::string said = message();
        if (host->messageBox())
            host->answer(rt::button::Ok);
        return said;
    }

    static void setAlbum(std::int64_t id, const std::string& artist = "Nirvana")
    {
        tables::Record& a = dictionary::Album().record();
        a.clear();
        a["ALB:AlbumID"] = id;
        a["ALB:Album"] = "Nevermind";
        a["ALB:Artist"] = artist;
        a["ALB:Media"] = "CD";
        a["ALB:FileNumber"] = "CD0042";
        a["ALB:ReleaseDate"] = 1991;
        a["ALB:CategoryID"] = 3;
    }
    static std::string album(const char* field) { return field_(dictionary::Album(), field); }
    static std::string field_(Table& t, const char* field)
    {
        return std::string(text::trimRight(t.record()[std::string_view(field)].toString()));
    }
    static std::string trakhand(const char* section, const char* key)
    {
        return rt::IniFile::named(kTrakhandIni).get(section, key, "<missing>");
    }
    static std::string position(const char* key)
    {
        return rt::IniFile::named(".\\POSITION.INI").get("Settings", key, "<missing>");
    }

    // Every row of a table in a key's order, as "f1|f2|..." of the fields.
    static std::vector<std::string> rows(Table& t, const char* key, std::initializer_list<const char*> fields)
    {
        std::vector<std::string> out;
        t.setOrder(t.def().keyIndex(key));
        while (t.next() == 0) {
            std::string row;
            for (const char* f : fields)
                row += (row.empty() ? "" : "|") + field_(t, f);
            out.push_back(row);
        }
        return out;
    }

    static std::vector<std::string> songRows(std::initializer_list<const char*> fields)
    {
        return rows(dictionary::Quorvel(), "SNG:KeyAlbumID", fields);
    }
    static std::vector<std::string> scratchRows(std::initializer_list<const char*> fields)
    {
        return rows(dictionary::AddWizard(), "AW:KeyInstance", fields);
    }

    static constexpr const char* kTables[]
        = {"Quorvel", "Album", "AlbumDetails", "AddWizard", "Media", "Categories", "Artists"};
    std::optional<bool> result;
    std::vector<CDTrackEntry> toc;
};

TEST_F(CdReaderTest, IdentifiesRealDiscsByTheirPublishedIds)
{
    struct Case {
        const Disc* disc;
        const char* xccd; // published, or computed here where none was at hand
        const char* serial;
        int automatic;
    };
    const Case cases[] = {
        {&kLiquid, "890e120a", "10360201168013690130301", 0},
        {&kTwentyTwo, "370fce16", "22404601127012150117801", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disc->name);
        insert(*c.disc);
        settings().CDDBAutomaticMode = c.automatic;
        setAlbum(0);
        read(cd_read::Identify);
        EXPECT_EQ(message(), "");
        ASSERT_EQ(result, true);
        EXPECT_EQ(album("ALB:XCCD"), c.xccd);
        EXPECT_EQ(album("ALB:CDIDENTIFIER"), c.serial);
        std::string request = std::string(c.xccd) + " " + std::to_string(c.disc->starts.size());
        for (int start : c.disc->starts)
            request += " " + std::to_string(start);
        request += " " + std::to_string(c.disc->leadout / 75); // the whole seconds to the lead-out
        EXPECT_EQ(album("ALB:CDDBSTRING"), request);
        EXPECT_EQ(trakhand("CDDB", "CDDB"), request);
        EXPECT_EQ(trakhand("Default", "AutomaticMode"), c.automatic ? "Y" : "N");
        ASSERT_EQ(toc.size(), c.disc->starts.size()) << "the thread's track queue";
        for (std::size_t n = 0; n < toc.size(); ++n) {
            EXPECT_EQ(toc[n].trackPosition, c.disc->starts[n]);
            const int next = n + 1 < toc.size() ? c.disc->starts[n + 1] : c.disc->leadout;
            EXPECT_EQ(toc[n].trackPosition + toc[n].trackLength, next - (n + 1 == toc.size() ? 1 : 0));
        }
        EXPECT_EQ(album("ALB:TotalTime"), std::to_string((c.disc->leadout / 75 - 2) * 100))
            << "identifying leaves the length the table of contents gives";
        EXPECT_EQ(position("MCIState"), "1 status xxx ready");
        EXPECT_EQ(position("MCIState-LastError"), "");
        EXPECT_TRUE(sent(commands(), "close xxx"));
    }
}

TEST_F(CdReaderTest, TheSerialNumberJoinsTheCountAndTheFirstLengthsInAtMost24Characters)
{
    struct Case {
        const Disc* disc;
        const char* serial;
    };
    // A disc of three long tracks: 17 minutes each, lengths of six digits.
    const Disc longTracks{"long tracks", {150, 76650, 153150}, 229650};
    const Case cases[] = {
        {&kFiveTracks, " 5121601301012540121901"}, // a blank before a single digit
        {&kNevermind, "12356101301012540121901"}, {&kOneTrack, " 13010130101"}, // the disc and its one track
        {&longTracks, " 33059011020011020011019"}, // cut: the last track's length loses two digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.disc->name);
        insert(*c.disc);
        setAlbum(0);
        read(cd_read::Identify);
        ASSERT_EQ(result, true) << message();
        EXPECT_EQ(album("ALB:CDIDENTIFIER"), c.serial);
        EXPECT_LE(album("ALB:CDIDENTIFIER").size(), 24u);
    }
}

TEST_F(CdReaderTest, ARequestPast255CharactersIsStoredAndWrittenAsItsErrorText)
{
    Disc many{"40 tracks", {}, 0};
    for (int n = 0; n < 40; ++n)
        many.starts.push_back(150 + n * 15000); // 40 blanks and six-digit starts: past 255
    many.leadout = many.starts.back() + 15000;
    insert(many);
    setAlbum(0);
    read(cd_read::Identify);
    ASSERT_EQ(result, true) << message();
    EXPECT_EQ(album("ALB:CDDBSTRING"), kCddbRequestTooLong);
    EXPECT_EQ(kCddbRequestTooLong.size(), 55u);
    EXPECT_EQ(trakhand("CDDB", "CDDB"), kCddbRequestTooLong);
    EXPECT_EQ(album("ALB:XCCD").size(), 8u) << "the disc is identified all the same";
}

TEST_F(CdReaderTest, TheFullReadingWritesOneSongPerTrackAndKeepsWhatTheUserTyped)
{
    add(dictionary::Quorvel(),
        {{"SNG:AlbumID", "7"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "2"}, {"SNG:Title", "In Bloom"},
            {"SNG:Artist", "Nirvana"}});
    add(dictionary::Quorvel(),
        {{"SNG:AlbumID", "8"}, {"SNG:Side", "1"}, {"SNG:TrackNumber", "1"}, {"SNG:Title", "Another album's song"}});
    insert(kFiveTracks);
    setAlbum(7);
    read(cd_read::Full);
    ASSERT_EQ(result, true) << message();
    EXPECT_EQ(album("ALB:TotalTime"), "121601") << "the drive's disc length replaces the table of contents'";
    EXPECT_EQ(songRows({"SNG:AlbumID", "SNG:Side", "SNG:TrackNumber", "SNG:Title", "SNG:Artist", "SNG:Album",
                  "SNG:Media", "SNG:FileNumber", "SNG:ReleaseDate", "SNG:CategoryID", "SNG:Time", "SNG:CDDBSTRING"}),
        (std::vector<std::string>{
            "7|1|1|Track 1|Nirvana|Nevermind|CD|CD0042|1991|3|30101|150",
            "7|1|2|In Bloom|Nirvana||||0|0|25401|22767", // kept, only its time and start change
            "7|1|3|Track 3|Nirvana|Nevermind|CD|CD0042|1991|3|21901|41887",
            "7|1|4|Track 4|Nirvana|Nevermind|CD|CD0042|1991|3|18301|58317",
            "7|1|5|Track 5|Nirvana|Nevermind|CD|CD0042|1991|3|25601|72102",
            "8|1|1|Another album's song|||||0|0|0|",
        }));
    // Every new song has a number of its own.
    EXPECT_EQ(dictionary::Quorvel().records(dictionary::Quorvel().def().keyIndex("SNG:KEYID")), 6);
}

TEST_F(CdReaderTest, SongsGoToTheSideTheWizardsChoseAndSideNoneIsSideOne)
{
    for (const auto& [side, expected] : {std::pair{0, 1}, std::pair{2, 2}}) {
        SCOPED_TRACE(side);
        glo().side = side;
        EXPECT_EQ(effectiveSide(), expected);
        insert(kOneTrack);
        setAlbum(10 + side);
        read(cd_read::Full);
        ASSERT_EQ(result, true) << message();
        Table& songs = dictionary::Quorvel();
        songs.record().clear();
        songs.record()["SNG:AlbumID"] = 10 + side;
        songs.record()["SNG:Side"] = expected;
        songs.record()["SNG:TrackNumber"] = 1;
        EXPECT_EQ(songs.fetch(songs.def().keyIndex("SNG:KeyAlbumID")), 0);
    }
}

TEST_F(CdReaderTest, IdentifyingOrAnAlbumWithoutIdWritesNoSongs)
{
    insert(kOneTrack);
    setAlbum(7);
    read(cd_read::Identify);
    ASSERT_EQ(result, true);
    setAlbum(0);
    read(cd_read::Full);
    ASSERT_EQ(result, true);
    EXPECT_EQ(dictionary::Quorvel().records(), 0);
}

TEST_F(CdReaderTest, TheAlbumReadIsTheOneTheReadingStartedWithWhateverMovesTheBufferMeanwhile)
{
    insert(kFiveTracks);
    setAlbum(7);
    // Another window takes the album buffer while the reading lets it run
    // between the tracks (the third time it asks for track 3's length).
    int asked = 0;
    std::string shown;
    setMciStringInterface([&](std::string_view command, std::string& answer) {
        if (command == "status xxx length track 3" && ++asked == 3) {
            setAlbum(99, "Somebody Else");
            const rt::Window* progress = host->window("ReadCDInformation");
            if (progress)
                shown = progress->title() + "|" + (*progress)["?Title"].value() + "|" + (*progress)["?Status"].value()
                    + "|" + (*progress)["?Progress"].value();
        }
        return cdaudio::mciSendString(command, answer);
    });
    read(cd_read::Full);
    ASSERT_EQ(result, true) << message();
    EXPECT_EQ(shown, "Progress...|Reading CD|Track 3 of 5|12") << "a step after the contents and each track";
    EXPECT_EQ(host->window("ReadCDInformation"), nullptr) << "closed with the reading";
    EXPECT_EQ(album("ALB:AlbumID"), "7") << "the caller finds its album again";
    EXPECT_EQ(album("ALB:Artist"), "Nirvana");
    EXPECT_EQ(album("ALB:XCCD").size(), 8u);
    const std::vector<std::string> songs = songRows({"SNG:AlbumID", "SNG:Artist"});
    EXPECT_EQ(songs, std::vector<std::string>(5, "7|Nirvana"));
}

TEST_F(CdReaderTest, AnAddWizardGetsScratchRowsWithItsOwnArtistOrVarious)
{
    glo().threadInstance = 42;
    add(dictionary::AddWizard(),
        {{"AW:Instance", "42"}, {"AW:Side", "0"}, {"AW:Track", "2"}, {"AW:ARTIST", "Kurt"},
            {"AW:TITLE", "Typed Already"}, {"AW:TIME", "5"}});
    insert(kFiveTracks);
    // An album another window left in the buffer is none of the wizard's business.
    setAlbum(3, "Left Behind");
    read(cd_read::Full, true);
    ASSERT_EQ(result, true) << message();
    EXPECT_EQ(scratchRows({"AW:Instance", "AW:Side", "AW:Track", "AW:ARTIST", "AW:TITLE", "AW:TIME"}),
        (std::vector<std::string>{
            "42|0|1|Various|Track 1|30101",
            "42|0|2|Kurt|Typed Already|25401",
            "42|0|3|Various|Track 3|21901",
            "42|0|4|Various|Track 4|18301",
            "42|0|5|Various|Track 5|25601",
        }));
    EXPECT_EQ(dictionary::Quorvel().records(), 0) << "no songs for the album in the buffer";

    const WizardTracks wizard{"Ella Fitzgerald", 43};
    read(cd_read::Full, true, &wizard);
    ASSERT_EQ(result, true) << message();
    const std::vector<std::string> all = scratchRows({"AW:Instance", "AW:Track", "AW:ARTIST"});
    ASSERT_EQ(all.size(), 10u);
    EXPECT_EQ(all[5], "43|1|Ella Fitzgerald");
}

TEST_F(CdReaderTest, EveryFailureStopsTheReadingSaysWhyAndLeavesTheAlbumAsItWas)
{
    struct Case {
        const char* name;
        std::string more; // TOC file lines
        bool holdAlias; // another window holds the device under the alias
        std::string said; // modes 0 and 1
        bool closes; // the reader closes the device it opened
    };
    const std::string openCommand = "open d: type cdaudio shareable alias xxx";
    const Case cases[] = {
        {"alias held", "", true,
            "Error Accessing CD Player on Drive d:: The operating system is reporting that the CD player not "
            "available. "
            " Ensure that no other program is using the CD-ROM drive.||Note:|If this error is incorrect, one of these "
            "solutions may apply:|(1) Go to File->Setup, and change the CD Drive to Use.|(2) Go to File->Setup, "
            "Advanced tab, and change the access mode to \"Open\".|(3) Add \"IgnoreMCIError=Yes\" under [Settings] in "
            "the POSITION.INI file and retry this operation.|||Error:1.|"
                + openCommand + ".",
            false},
        {"not ready", "fail status ready 276\n", false, "Error: CD player not ready.", true},
        {"door stays open", "tray open\nfail set door 262\n", false,
            "Door Open Error: The operating system reports that the CD player door is open or an audio CD is not "
            "inserted.",
            true},
    };
    for (const Case& c : cases)
        for (const int mode : {cd_read::Full, cd_read::Identify, cd_read::IdentifyQuietly}) {
            SCOPED_TRACE(std::string(c.name) + " in mode " + std::to_string(mode));
            insert(kNevermind, c.more);
            std::filesystem::remove(collection("commands.log"));
            if (c.holdAlias) {
                ASSERT_FALSE(isMciError(SendMCICommand(openCommand)));
            }
            setAlbum(7);
            dictionary::Album().record()["ALB:CDIDENTIFIER"] = "before";
            read(mode);
            std::string said = c.said; // the box shows each "|" as a line break
            std::replace(said.begin(), said.end(), '|', '\n');
            EXPECT_EQ(answerMessage(), mode == cd_read::IdentifyQuietly ? "" : said);
            EXPECT_EQ(result, false);
            EXPECT_EQ(album("ALB:CDIDENTIFIER"), "before");
            EXPECT_EQ(album("ALB:XCCD"), "");
            EXPECT_EQ(dictionary::Quorvel().records(), 0);
            const std::vector<std::string> log = commands();
            EXPECT_EQ(sent(log, "close xxx"), c.closes);
            if (c.holdAlias) {
                EXPECT_EQ(position("MCIState-LastError"), "Error:1");
                EXPECT_EQ(position("MCIState"), "Error:1" + std::string(121, ' ') + " " + openCommand);
                EXPECT_FALSE(isMciError(SendMCICommand("status xxx ready"))) << "the holder keeps its device";
                SendMCICommand("close xxx");
            }
            if (mode == cd_read::IdentifyQuietly && c.more.find("tray open") != std::string::npos) {
                EXPECT_FALSE(sent(log, "set xxx door closed")) << "quietly, the door is not touched";
            }
        }
}

TEST_F(CdReaderTest, AnOpenDoorThatClosesOnRequestIsRead)
{
    insert(kOneTrack, "tray open\n");
    setAlbum(0);
    read(cd_read::Identify);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(result, true);
    EXPECT_TRUE(sent(commands(), "set xxx door closed"));
}

TEST_F(CdReaderTest, IgnoringTheOpenErrorReadsThroughTheHoldersDeviceAndLeavesItOpen)
{
    insert(kOneTrack);
    rt::IniFile::named(".\\POSITION.INI").set("Settings", "IgnoreMCIError", "Yes");
    ASSERT_FALSE(isMciError(SendMCICommand("open d: type cdaudio shareable alias xxx")));
    setAlbum(0);
    read(cd_read::Identify);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(result, true);
    EXPECT_EQ(album("ALB:CDIDENTIFIER"), " 13010130101");
    EXPECT_EQ(position("MCIState-LastError"), "");
    EXPECT_FALSE(sent(commands(), "close xxx"));
    EXPECT_FALSE(isMciError(SendMCICommand("status xxx ready"))) << "the holder keeps its device";
    SendMCICommand("close xxx");
}

TEST_F(CdReaderTest, TheExclusiveModeOpensWithoutSharing)
{
    insert(kOneTrack);
    settings().MCIMode = "Open";
    setAlbum(0);
    read(cd_read::Identify);
    EXPECT_EQ(result, true) << message();
    EXPECT_TRUE(sent(commands(), "open d: type cdaudio alias xxx"));
}

TEST_F(CdReaderTest, TheAlbumFormsReadButtonIdentifiesTheDiscAndListsItsTracks)
{
    add(dictionary::Media(), {{"MED:Media", "CD"}});
    add(dictionary::Album(), {{"ALB:Album", "Nevermind"}, {"ALB:Artist", "Nirvana"}, {"ALB:Media", "CD"}});
    insert(kFiveTracks);
    Table& albums = dictionary::Album();
    albums.record().clear();
    albums.record()["ALB:AlbumID"] = 1;
    ASSERT_EQ(albums.fetch(albums.def().keyIndex("ALB:KEYALBUMID")), 0);
    int response = -1;
    host->start("album list", [&] {
        fw::handover().request = fw::request::Change;
        rt::Procedures::call("UpdateAlbum");
        response = fw::handover().response;
    });
    rt::Window* form = host->window("UpdateAlbum");
    ASSERT_TRUE(form && form->isOpen()) << message();
    host->choose(*form, "?Sheet", 5); // Compact Disc
    host->press(*form, "?ReadDisc");
    EXPECT_EQ(answerMessage(), "Process complete: CD Identification updated.");
    EXPECT_EQ((*form)["?CDIdentifier"].value(), " 5121601301012540121901");
    EXPECT_EQ((*form)["?Xccd"].value(), album("ALB:XCCD"));
    EXPECT_EQ((*form)["?SongList"].list()->rowCount(), 5) << "the tracks read are listed";

    host->press(*form, "?ReadDisc");
    EXPECT_EQ(answerMessage(), "Process complete: CD Identification not updated.") << "the same disc again";
    EXPECT_EQ((*form)["?SongList"].list()->rowCount(), 5) << "the same songs again";

    // The Songs tab's button reads the same way, without a word.
    insert(kNevermind);
    host->choose(*form, "?Sheet", 2);
    host->press(*form, "?ReadCD");
    EXPECT_EQ(message(), "");
    EXPECT_EQ(dictionary::Quorvel().records(), 12);
    EXPECT_GT((*form)["?SongList"].list()->rowCount(), 5) << "the list shows the new tracks";

    host->press(*form, "?OK");
    EXPECT_EQ(response, fw::response::Completed) << message();
    albums.record().clear();
    albums.record()["ALB:AlbumID"] = 1;
    ASSERT_EQ(albums.fetch(albums.def().keyIndex("ALB:KEYALBUMID")), 0);
    EXPECT_EQ(album("ALB:CDIDENTIFIER"), "12356101301012540121901");
}

TEST_F(CdReaderTest, ByNameTheModeTravelsInTheRequestAndTheAnswerInTheResponse)
{
    insert(kOneTrack);
    struct Case {
        int request;
        int response;
        int songs; // the full reading writes them
    };
    for (const Case& c :
        {Case{fw::request::None, fw::response::Completed, 1}, Case{cd_read::Identify, fw::response::Completed, 0}}) {
        SCOPED_TRACE(c.request);
        dictionary::Quorvel().record().clear();
        while (dictionary::Quorvel().setOrder(0) == 0 && dictionary::Quorvel().next() == 0)
            dictionary::Quorvel().remove();
        setAlbum(7);
        int response = -1;
        host->start("caller", [&] {
            fw::handover().request = c.request;
            rt::Procedures::call("ReadCDInformation");
            response = fw::handover().response;
        });
        EXPECT_EQ(response, c.response) << message();
        EXPECT_EQ(fw::handover().request, fw::request::None) << "the request is taken";
        EXPECT_EQ(dictionary::Quorvel().records(), c.songs);
    }
    std::filesystem::remove(collection("disc.toc")); // no disc: the drive is gone
    int response = -1;
    host->start("caller", [&] {
        fw::handover().request = cd_read::IdentifyQuietly;
        rt::Procedures::call("ReadCDInformation");
        response = fw::handover().response;
    });
    EXPECT_EQ(message(), "");
    EXPECT_EQ(response, fw::response::Cancelled);
}

TEST_F(CdReaderTest, WithTheLogOnAFailedCommandIsKeptAndABusyDriveIsNot)
{
    insert(kOneTrack, "fail status ready 276\n");
    settings().UseLog = 1;
    ASSERT_FALSE(isMciError(SendMCICommand("open d: type cdaudio shareable alias xxx")));
    setAlbum(0);
    read(cd_read::IdentifyQuietly); // the drive is held: nothing to log
    EXPECT_FALSE(std::filesystem::exists(collection("QVLEvent.LOG")));
    SendMCICommand("close xxx");

    read(cd_read::IdentifyQuietly);
    EXPECT_EQ(result, false);
    const std::vector<std::string> log = lines("QVLEvent.LOG");
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].substr(22), text::padTo("MCI Request", 30) + "status xxx ready");
    EXPECT_EQ(log[2].substr(22, 30), text::padTo("MCI Error", 30));
}

} // namespace
} // namespace qv::qvls::testing
