// The album form's Associated Files and Compact Disc tabs, driven as a user
// drives them: the file choosers answered as the user answers them, the
// audio file handed to a desktop opener that records what it got, the
// picture control told what to show, and the disc reading and lookup of
// album acquisition stood in for where a test needs them.

#include "qvls/catalogue/catalogue_fixture.h"

#include <functional>

#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/services_fixture.h"
#include "platform/runtime/window.h"
#include "qvls/core/frame_services.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

const char* const kTables[] = {"Quorvel", "Album", "AlbumDetails", "Media", "Categories", "Artists"};
constexpr int kFilesTab = 4, kDiscTab = 5;

class AlbumFilesTest : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : kTables)
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        add(dictionary::Media(), {{"MED:Media", "CD"}});
        add(dictionary::Album(),
            {{"ALB:Album", "Blue"}, {"ALB:Artist", "Joni Mitchell"}, {"ALB:Media", "CD"},
                {"ALB:CDIdentifier", "0A0B0C"}});
    }
    void TearDown() override
    {
        resetFrameServices();
        for (const char* label : kTables)
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    // Album 1 with one field set as the test wants it.
    static void setAlbum(const char* field, const std::string& v)
    {
        Table& t = dictionary::Album();
        fetchAlbum();
        t.record()[std::string_view(field)] = v;
        ASSERT_EQ(t.update(), 0);
    }
    static void fetchAlbum()
    {
        Table& t = dictionary::Album();
        t.record().clear();
        t.record()["ALB:AlbumID"] = 1;
        ASSERT_EQ(t.fetch(t.def().keyIndex("ALB:KEYALBUMID")), 0);
    }
    // The album form opened for a change, as a list opens it.
    rt::Window& openForm(int tab)
    {
        fetchAlbum();
        host->start("caller", [this] {
            fw::handover().request = fw::request::Change;
            rt::Procedures::call("UpdateAlbum");
            response = fw::handover().response;
        });
        for (const std::string& f : host->failures())
            ADD_FAILURE() << f;
        rt::Window* w = host->window("UpdateAlbum");
        if (!w || !w->isOpen())
            throw std::logic_error("no album form: " + message());
        host->choose(*w, "?Sheet", tab);
        return *w;
    }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }
    static std::string stored(const char* field)
    {
        fetchAlbum();
        return value(dictionary::Album(), field);
    }
    static std::string buffer(const char* field) { return value(dictionary::Album(), field); }
    static std::vector<bool> playButtons(const rt::Window& f)
    {
        return {f["?PlayWavFile"].enabled(), f["?PlayAssociated"].enabled(), f["?OpenInExplorer"].enabled()};
    }
    // The acquisition procedures the form starts by name, stood in for;
    // every other procedure is the program's own.
    void standIn(std::function<void()> reader, std::function<void()> lookup = {})
    {
        frameServices().callProcedure = [this, reader, lookup](std::string_view name) {
            if (name == "ReadCDInformation" && reader) {
                calls.emplace_back(name);
                reader();
                return true;
            }
            if (name == "StartDiscLookup" && lookup) {
                calls.emplace_back(name);
                lookup();
                return true;
            }
            return rt::Procedures::call(name);
        };
    }

    int response = -1;
    std::vector<std::string> calls;
};

// A path of exactly 255 characters in the collection folder, ending as asked.
std::string longPath(const std::filesystem::path& folder, const std::string& ending)
{
    const std::string head = folder.string() + "/";
    return head + std::string(255 - head.size() - ending.size(), 'x') + ending;
}

TEST_F(AlbumFilesTest, TheAudioChooserTakesTheWholePathAndACancelKeepsIt)
{
    const std::filesystem::path folder = std::filesystem::current_path();
    rt::Window& f = openForm(kFilesTab);
    EXPECT_EQ(playButtons(f), (std::vector<bool>{false, false, false})) << "no file, nothing to play";
    const std::string path = longPath(folder, ".mp3");
    ASSERT_EQ(path.size(), 255u);

    host->press(f, "?BrowseWavFile");
    rt::FileDialogSpec asked = answerFileDialog(path);
    EXPECT_EQ(asked.title, "Select WAV File");
    EXPECT_EQ(asked.filter, "WAV Files|*.wav|MP3 Files|*.mp3|All Files|*.*");
    EXPECT_EQ(asked.fileName, "");
    EXPECT_EQ(buffer("ALB:AssociatedWAVFile"), path);
    EXPECT_EQ(f["?WavFile"].value(), path);
    EXPECT_EQ(playButtons(f), (std::vector<bool>{true, true, true}));

    host->press(f, "?BrowseWavFile");
    asked = answerFileDialog(std::nullopt);
    EXPECT_EQ(asked.fileName, path) << "the dialog starts at the whole path";
    EXPECT_EQ(buffer("ALB:AssociatedWAVFile"), path) << "a cancel keeps the file";
    EXPECT_EQ(playButtons(f), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(std::filesystem::current_path(), folder) << "still in the collection folder";

    host->press(f, "?OK");
    EXPECT_EQ(response, fw::response::Completed) << message();
    EXPECT_EQ(stored("ALB:AssociatedWAVFile"), path);
}

TEST_F(AlbumFilesTest, ThePlayButtonWantsAWavOrMp3AndTheOthersAnyFile)
{
    setAlbum("ALB:AssociatedWAVFile", "/music/liner notes.txt");
    rt::Window& f = openForm(kFilesTab);
    EXPECT_EQ(playButtons(f), (std::vector<bool>{false, true, true})) << "as the form opens";
    struct Case {
        const char* file;
        std::vector<bool> enabled; // play, play with the desktop's player, open
    };
    for (const Case& c : {Case{"/music/Blue.WAV", {true, true, true}}, Case{"C:\\Music\\Blue.mp3", {true, true, true}},
             Case{"/music/Blue.ogg", {false, true, true}}, Case{"", {false, false, false}},
             Case{"cover.mp3.jpg", {true, true, true}}}) {
        SCOPED_TRACE(c.file);
        host->enter(f, "?WavFile", c.file);
        EXPECT_EQ(playButtons(f), c.enabled);
    }
}

TEST_F(AlbumFilesTest, PlayAndOpenHandTheWholePathToTheDesktop)
{
    // The desktop's opener is a script that records what it was given.
    rt::testing::ScratchFolder bin("qv opener");
    const std::string log = bin / "opened.txt";
    rt::testing::writeScript(bin / "xdg-open",
        "printf '%s\\n' \"$@\" > \"$QV_TEST_OPENED.part\"\nmv \"$QV_TEST_OPENED.part\" \"$QV_TEST_OPENED\"\n");
    rt::testing::ScopedEnv path("PATH", bin.path() + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : ""));
    rt::testing::ScopedEnv logEnv("QV_TEST_OPENED", log);
    const auto opened = [&] {
        if (!rt::testing::eventually([&] { return std::filesystem::exists(log); }))
            return std::string("<nothing opened>");
        std::string s = rt::testing::readFile(log);
        std::filesystem::remove(log);
        return s;
    };

    const std::string wav = longPath(std::filesystem::canonical(std::filesystem::current_path()), ".wav");
    writeFile(wav, "RIFF");
    setAlbum("ALB:AssociatedWAVFile", wav);
    rt::Window& f = openForm(kFilesTab);
    for (const char* button : {"?PlayWavFile", "?PlayAssociated", "?OpenInExplorer"}) {
        SCOPED_TRACE(button);
        host->press(f, button);
        EXPECT_EQ(opened(), wav + "\n");
    }
    EXPECT_EQ(host->messageBox(), nullptr);
}

TEST_F(AlbumFilesTest, ThePictureShowsTheAlbumsImageAndAChooserCancelKeepsIt)
{
    setAlbum("ALB:AssociatedImage", "Covers\\blue.png");
    rt::Window& f = openForm(kFilesTab);
    const auto shown = [&f] { return f["?AlbumImage"].property(rt::prop::PictureFile); };
    EXPECT_EQ(shown(), "Covers\\blue.png") << "as the form opens";

    host->press(f, "?BrowseImage");
    rt::FileDialogSpec asked = answerFileDialog("/pictures/Court and Spark.jpg");
    EXPECT_EQ(asked.title, "Choose a File");
    EXPECT_EQ(asked.filter, "All Files|*.*");
    EXPECT_EQ(asked.fileName, "Covers\\blue.png");
    EXPECT_EQ(shown(), "/pictures/Court and Spark.jpg");
    EXPECT_EQ(f["?ImageFile"].value(), "/pictures/Court and Spark.jpg");

    host->press(f, "?BrowseImage");
    answerFileDialog(std::nullopt);
    EXPECT_EQ(shown(), "/pictures/Court and Spark.jpg");
    EXPECT_EQ(buffer("ALB:AssociatedImage"), "/pictures/Court and Spark.jpg");

    // Typed: a blank takes the picture away; one that is not there is
    // simply not shown (the host draws nothing), and nothing is said.
    host->enter(f, "?ImageFile", "");
    EXPECT_EQ(shown(), "");
    host->enter(f, "?ImageFile", "no such picture.png");
    EXPECT_EQ(shown(), "no such picture.png");
    EXPECT_EQ(host->messageBox(), nullptr);
    host->press(f, "?OK");
    EXPECT_EQ(response, fw::response::Completed) << message();
    EXPECT_EQ(stored("ALB:AssociatedImage"), "no such picture.png");
}

TEST_F(AlbumFilesTest, WithoutAlbumAcquisitionReadAndLookupSaySoAndTheIdFieldKeepsQuiet)
{
    // A program built without album acquisition knows neither procedure.
    frameServices().callProcedure = [](std::string_view name) {
        return name != "ReadCDInformation" && name != "StartDiscLookup" && rt::Procedures::call(name);
    };
    rt::Window& f = openForm(kDiscTab);
    host->press(f, "?ReadDisc");
    EXPECT_EQ(message(), "Not Available: Reading the CD is not available yet.");
    host->answer(rt::button::Ok);
    host->press(f, "?DiscLookup");
    EXPECT_EQ(message(), "Not Available: The disc database lookup is not available yet.");
    host->answer(rt::button::Ok);
    host->post(f, rt::Event{rt::event::Selected, f["?Xccd"].number()});
    EXPECT_EQ(host->messageBox(), nullptr) << "entering a field asks nothing";
    host->press(f, "?OK");
    EXPECT_EQ(response, fw::response::Completed) << message();
}

TEST_F(AlbumFilesTest, ReadSaysWhetherTheSerialChangedAndTheFormShowsWhatWasRead)
{
    struct Case {
        const char* serial; // what the reading leaves in the album
        int response; // 1: the disc was read
        const char* said;
    };
    const Case cases[] = {
        {"0A0B0C", fw::response::Completed, "Process complete: CD Identification not updated."},
        {"7F00AA11", fw::response::Completed, "Process complete: CD Identification updated."},
        {"99", fw::response::Cancelled, ""}, // a failed reading says nothing here
    };
    int track = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serial);
        standIn([&] {
            dictionary::Album().record()["ALB:CDIdentifier"] = c.serial;
            // The reading writes the album's songs as it goes.
            add(dictionary::Quorvel(),
                {{"SNG:Title", "Track " + std::to_string(++track)}, {"SNG:AlbumID", "1"}, {"SNG:Side", "1"},
                    {"SNG:TrackNumber", std::to_string(track)}});
            fw::handover().response = c.response;
        });
        rt::Window& f = openForm(kDiscTab);
        const int songs = f["?SongList"].list()->rowCount();
        host->press(f, "?ReadDisc");
        EXPECT_EQ(message(), c.said);
        if (host->messageBox())
            host->answer(rt::button::Ok);
        EXPECT_EQ(f["?CDIdentifier"].value(), c.serial);
        EXPECT_EQ(f["?SongList"].list()->rowCount(), songs + 1) << "the songs read are listed";
        host->press(f, "?Cancel");
        if (host->messageBox())
            host->answer(rt::button::No);
    }
}

TEST_F(AlbumFilesTest, EnteringABlankDiscIdReadsTheDiscOncePerVisit)
{
    standIn([] { fw::handover().response = fw::response::Completed; },
        [] { dictionary::Album().record()["ALB:XCCD"] = "7a0b1c2d"; });
    rt::Window& f = openForm(kDiscTab);
    const auto enterField = [&](const char* field) {
        host->post(f, rt::Event{rt::event::Selected, f[field].number()});
    };
    enterField("?Xccd");
    EXPECT_EQ(calls, (std::vector<std::string>{"ReadCDInformation"}));
    enterField("?Xccd"); // back from the reader's own window
    EXPECT_EQ(calls.size(), 1u);
    enterField("?CDIdentifier");
    enterField("?Xccd");
    EXPECT_EQ(calls.size(), 2u) << "a new visit reads again";
    EXPECT_EQ(host->messageBox(), nullptr) << "entering the field reports nothing";

    // The lookup fills the id; a filled id is not read again.
    host->press(f, "?DiscLookup");
    EXPECT_EQ(calls.back(), "StartDiscLookup");
    EXPECT_EQ(f["?Xccd"].value(), "7a0b1c2d");
    enterField("?CDIdentifier");
    enterField("?Xccd");
    EXPECT_EQ(calls.size(), 3u);
}

} // namespace
} // namespace qv::qvls::testing
