#include <csignal>

#include "frame_fixture.h"
#include "platform/expr/picture.h"
#include "platform/runtime/ini.h"
#include "qvls/core/settings.h"
#include "qvls/core/time_text.h"

namespace qv::qvls::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> column(tables::Table& t, const char* field)
{
    const bool wasOpen = t.isOpen();
    if (!wasOpen)
        t.open();
    std::vector<std::string> out;
    t.setOrder(-1);
    while (t.next() == 0)
        out.push_back(t.record().getText(t.def().fieldIndex(field)));
    if (!wasOpen)
        t.close();
    return out;
}

void addRecord(tables::Table& t, std::vector<std::pair<const char*, std::string>> fields)
{
    if (!t.isOpen() && t.open() != 0) {
        ASSERT_TRUE(t.create() == 0 && t.open() == 0);
    }
    t.record().clear();
    for (auto& [f, v] : fields)
        t.record()[std::string_view(f)] = v;
    ASSERT_EQ(t.insert(), 0);
    t.close();
}

using Frame = FrameFixture;

TEST_F(Frame, FirstStartInAnEmptyFolderCreatesTheCollection)
{
    startFrame();
    for (const char* f : {"qvlalbum.tps", "QVLARTST.tps", "qvlmedia.tps", "qvllabel.tps", "qvlfont.tps", "QVLAdWiz.tps",
             "qvlpldet.tps", "qvlplist.tps", "qvldata.tps", "QVL_MPAL.TPS", "QVLConf.tps"})
        EXPECT_TRUE(fs::exists(collection(f))) << f;
    EXPECT_EQ(column(dictionary::Media(), "MED:Media"),
        (std::vector<std::string>{"CD", "LP", "EP", "DVD", "7\" Single", "CD Single", "Cassette (Dolby B)",
            "Cassette (Dolby C)", "Cassette (Dolby S)", "Cassette (DBX)", "Cassette (HX Pro)", "Cassette (Prerecorde",
            "Other"}))
        << "the media name holds 20 characters";
    const rt::IniFile ini = rt::IniFile::named(".\\QVLROCFG.INI");
    EXPECT_EQ(ini.get("Global Settings", "Version"), "2.61");
    EXPECT_FALSE(ini.find("Settings", "SetupWizardComplete")) << "nothing was migrated";
    EXPECT_EQ(glo().versionText, "Version 2.61");
    EXPECT_EQ(glo().frameThread, 1);
    EXPECT_EQ(glo().frameWindow, frame);
    EXPECT_FALSE(frame->hidden());
    EXPECT_EQ(frame->statusText(2), "") << "the folder shows after the first switch";
    for (const char* hidden : {"?OtherFreeDbSeparator", "?OtherCDDB1Submission", "?OtherCDDB1Retrieval"})
        EXPECT_TRUE((*frame)[hidden].hidden()) << hidden;

    frame->setGeometry({20, 30, 500, 300});
    closeFrame();
    EXPECT_EQ(glo().frameThread, 0);
    EXPECT_EQ(glo().songsItem, 0);
    EXPECT_EQ(rt::IniFile::named(".\\POSITION.INI").get("Main", "XPos"), "20") << "the placement was saved";
}

TEST_F(Frame, FreeDatabaseItemsShowUnderTheirSwitch)
{
    glo().freeDb = true;
    startFrame();
    for (const char* item : {"?OtherFreeDbSeparator", "?OtherCDDB1Submission", "?OtherCDDB1Retrieval"})
        EXPECT_FALSE((*frame)[item].hidden()) << item;
}

TEST_F(Frame, OlderSettingsAreCarriedOverOnceWhenSetUpWasCompleted)
{
    struct Case {
        const char* name;
        int oldComplete;
        bool newFileExists;
        bool migrated;
    };
    const Case cases[] = {
        {"set-up completed", 1, false, true},
        {"set-up not completed", 0, false, false},
        {"the new file already there", 1, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(collection("QVLROCFG.INI"));
        fs::create_directories(config(""));
        writeFile(config("QVLRO98.INI"),
            "[Settings]\r\nSetupWizardComplete=" + std::to_string(c.oldComplete)
                + "\r\nInterface=Explorer\r\n[Global Settings]\r\nFrameLogo=old.png\r\n");
        if (c.newFileExists)
            writeFile(collection("QVLROCFG.INI"), "[Settings]\r\nInterface=Standard\r\n");
        glo() = Globals{};
        settings() = Settings{};
        startFrame();
        const rt::IniFile ini = rt::IniFile::named(".\\QVLROCFG.INI");
        EXPECT_EQ(ini.get("Settings", "SetupWizardComplete") == "1", c.migrated);
        EXPECT_EQ(ini.get("Global Settings", "FrameLogo") == "old.png", c.migrated);
        EXPECT_EQ(settings().Interface, c.migrated ? "Explorer" : "Standard");
        EXPECT_EQ((*frame)["?Logo"].text() == "old.png", c.migrated) << "the logo comes from the carried setting";
        EXPECT_EQ(ini.get("Global Settings", "Version"), "2.61");
        closeFrame();
        host.reset(); // the old host lets go of the scheduler before the next one takes it
        host = std::make_unique<rt::HeadlessHost>();
    }
}

TEST_F(Frame, StartUpRebuildsAnEmptyArtistListAndDropsBlankLastRecords)
{
    addRecord(dictionary::Album(), {{"ALB:Artist", "Abba"}, {"ALB:Album", "Arrival"}});
    addRecord(dictionary::Album(), {{"ALB:Artist", ""}, {"ALB:Album", ""}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", "Blondie"}, {"SNG:Title", "Atomic"}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", "Abba"}, {"SNG:Title", "Money"}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", ""}, {"SNG:Title", "Untitled artist"}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", "Abba"}, {"SNG:Title", "Fernando"}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", ""}, {"SNG:Title", ""}});
    startFrame();
    EXPECT_EQ(column(dictionary::Artists(), "ART:Artist"), (std::vector<std::string>{"Abba", "Blondie"}))
        << "one artist per name, none blank";
    EXPECT_EQ(column(dictionary::Quorvel(), "SNG:Title"),
        (std::vector<std::string>{"Atomic", "Money", "Untitled artist", "Fernando"}));
    EXPECT_EQ(column(dictionary::Album(), "ALB:Album"), (std::vector<std::string>{"Arrival"}));
}

TEST_F(Frame, ARecordWithOnlyOneBlankFieldAndAnArtistListWithOneNameStay)
{
    addRecord(dictionary::Album(), {{"ALB:Artist", "Abba"}, {"ALB:Album", ""}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", "Abba"}, {"SNG:Title", "Money"}});
    addRecord(dictionary::Quorvel(), {{"SNG:Artist", "Blondie"}, {"SNG:Title", ""}});
    addRecord(dictionary::Artists(), {{"ART:Artist", "Someone"}});
    startFrame();
    EXPECT_EQ(column(dictionary::Quorvel(), "SNG:Title"), (std::vector<std::string>{"Money", ""}));
    EXPECT_EQ(column(dictionary::Album(), "ALB:Artist"), (std::vector<std::string>{"Abba"}));
    EXPECT_EQ(column(dictionary::Artists(), "ART:Artist"), (std::vector<std::string>{"Someone"}));
}

TEST(CollectionPath, LongFoldersKeepTheirRootAndTheirTail)
{
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", "/home/tester", 1);
    struct Case {
        const char* folder;
        const char* shown;
    };
    const Case cases[] = {
        {"/srv/music", "/srv/music"},
        {"/home/tester/Music", "~/Music"},
        {"/home/testers/Music", "/home/testers/Music"},
        {"/aaaaaaaaaa/bbbbbbbbbb/cccccccccc/dddddd", "/aaaaaaaaaa/bbbbbbbbbb/cccccccccc/dddddd"}, // 40
        {"/aaaaaaaaaa/bbbbbbbbbb/cccccccccc/dddddddddd/eeeeeeeeee", "/.../eeeeeeeeee"},
        {"/home/tester/aaaaaaaaaa/bbbbbbbbbb/cccccccccc/dddddddddd/eeeeeeeeee", "~/.../eeeeeeeeee"},
        {"/music/a-folder-name-that-is-longer-than-forty-characters",
            "/music/a-folder-name-that-is-longer-than-forty-characters"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(collectionPathText(c.folder), c.shown) << c.folder;
    if (oldHome)
        setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(Frame, TheClockShowsTheWeekdayDateAndTimeAndMovesOnWithTheTimer)
{
    fixedClock.set(79996, 4500001); // a day number divisible by 7 is a Sunday
    startFrame();
    EXPECT_EQ(frame->statusText(3), "Sunday, " + expr::format(expr::Value(79996), "@d17"));
    EXPECT_EQ(frame->statusText(4), expr::format(expr::Value(4500001), "@t7"));
    EXPECT_EQ(frame->timer(), 100);
    fixedClock.set(79999, 4600001);
    host->advance(1000);
    EXPECT_EQ(frame->statusText(3), "Wednesday, " + expr::format(expr::Value(79999), "@d17"));
    EXPECT_EQ(frame->statusText(4), expr::format(expr::Value(4600001), "@t7"));
    EXPECT_EQ(clockDateText(0), "Sunday, ") << "no date, no date text";
}

TEST(CollectionChoice, TheFolderOfTheChosenDataFile)
{
    const fs::path dir = fs::temp_directory_path() / "qv-choice-test";
    fs::create_directories(dir / "sub");
    writeFile(dir / "sub" / "other.tps", "");
    const std::string d = dir.string();
    struct Case {
        std::string choice;
        std::string folder;
    };
    const Case cases[] = {
        {"/x/My Music/QVLDATA.TPS", "/x/My Music/"},
        {"/x/My Music/qvldata.tps", "/x/My Music/"},
        {"C:\\Music\\Qvl\\QVLDATA.TPS", "/Music/Qvl/"},
        {d + "/sub", d + "/sub/"},
        {d + "/sub/other.tps", d + "/sub/"},
        {"/x/y/missing.tps", "/x/y/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chosenCollectionFolder(c.choice), c.folder) << c.choice;
    fs::remove_all(dir);
}

class Collections : public FrameFixture
{
protected:
    // Answers the next file dialog with a choice.
    void choose(const fs::path& file)
    {
        auto* d = host->dialog<rt::FileDialogWindow>();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->request().title, "Select collection folder");
        EXPECT_EQ(d->request().fileName, "QVLDATA.TPS");
        rt::FileDialogSpec s = d->request();
        s.fileName = file.string();
        d->answer(s);
        host->settle();
    }
    void proceed()
    {
        ASSERT_NE(host->messageBox(), nullptr);
        EXPECT_EQ(host->messageBox()->title(), "New Collection");
        host->answer(1);
    }
    std::string messageText() const { return host->messageBox() ? host->messageBox()->text() : ""; }
};

TEST_F(Collections, NewCollectionCopiesTheStartingFilesAndSwitchesToTheFolder)
{
    startFrame();
    press("FileNewCollection");
    proceed();
    const fs::path target = collection("../new coll/sub");
    choose(target / "QVLDATA.TPS");
    EXPECT_EQ(messageText(), "");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), target));
    for (const char* f : {"QVLConf.tps", "qvlmedia.tps", "QVLROCFG.INI", "qvldata.tps", "qvlalbum.tps"})
        EXPECT_TRUE(fs::exists(target / f)) << f << " keeps the spelling the tables look for";
    EXPECT_EQ(column(dictionary::Media(), "MED:Media").size(), 13u) << "the media formats came along";
    EXPECT_NE(frame->statusText(2).find("new coll/sub"), std::string::npos) << frame->statusText(2);
}

TEST_F(Collections, NewCollectionRefusesAFolderThatHasACollection)
{
    startFrame();
    const fs::path other = collection("../other");
    fs::create_directories(other);
    writeFile(other / "qvlconf.tps", "keep");
    struct Case {
        const char* name;
        fs::path choice;
    };
    const Case cases[] = {
        {"its configuration in lower case", other / "QVLDATA.TPS"}, {"the current folder", collection("QVLDATA.TPS")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        press("FileNewCollection");
        proceed();
        choose(c.choice);
        EXPECT_EQ(messageText(), "Databases already exist in that folder.");
        host->answer(rt::button::Ok);
        EXPECT_TRUE(fs::equivalent(fs::current_path(), collection("")));
    }
    EXPECT_EQ(readFile(other / "qvlconf.tps"), "keep");
    EXPECT_FALSE(fs::exists(other / "qvlmedia.tps"));
}

TEST_F(Collections, NewCollectionStopsWhereTheFolderCannotBeMadeOrTheUserCancels)
{
    startFrame();
    writeFile(collection("../afile"), "x");
    press("FileNewCollection");
    proceed();
    choose(collection("../afile/sub/QVLDATA.TPS"));
    EXPECT_NE(messageText().find("cannot be created or used"), std::string::npos) << messageText();
    host->answer(rt::button::Ok);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), collection("")));

    press("FileNewCollection");
    host->answer(2); // Cancel
    EXPECT_EQ(host->dialog<rt::FileDialogWindow>(), nullptr);
}

TEST_F(Collections, OpenCollectionSwitchesAndReopensTheStartUpLists)
{
    startFrame();
    const fs::path other = collection("../other coll");
    fs::create_directories(other);
    writeFile(other / "QVLROCFG.INI", "[Settings]\r\nSU_Songs=1\r\nSU_Labels=1\r\nSU_Both=1\r\n");
    press("FileOpenCollection");
    choose(other / "qvldata.tps");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), other));
    EXPECT_TRUE(fs::exists(other / "qvldata.tps")) << "missing tables are made";
    EXPECT_TRUE(dictionary::Quorvel().isOpen());
    EXPECT_TRUE(fs::exists(other / ".qvcatalogue")) << "the tables' connections moved with the folder";
    std::vector<std::string> names;
    for (const Started& s : started)
        names.push_back(s.name + " " + std::to_string(s.stack));
    EXPECT_EQ(
        names, (std::vector<std::string>{"BrowseSongs 25000", "BrowseLabels 25000", "BrowseAlbumsAndSongs 50000"}));

    started.clear();
    press("FileOpenCollection");
    choose(other / "QVLDATA.TPS");
    EXPECT_TRUE(started.empty()) << "the open collection again changes nothing";
    EXPECT_EQ(messageText(), "");
}

TEST_F(Collections, ADamagedTableFileThereKeepsTheCurrentCollectionOpen)
{
    startFrame();
    const fs::path other = collection("../damaged coll");
    fs::create_directories(other);
    writeFile(other / "QVLCONF.TPS", "not a table");
    press("FileOpenCollection");
    choose(other / "QVLDATA.TPS");
    EXPECT_NE(messageText().find("QVLCONF.TPS is damaged"), std::string::npos) << messageText();
    EXPECT_NE(messageText().find("The current collection stays open."), std::string::npos);
    host->answer(rt::button::Ok);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), collection("")));
    EXPECT_TRUE(frame->isOpen()) << "the program goes on";
    EXPECT_TRUE(dictionary::Album().isOpen());
    EXPECT_EQ(readFile(other / "QVLCONF.TPS"), "not a table") << "nothing there was touched";
    EXPECT_FALSE(fs::exists(other / "qvldata.tps"));
}

// A window on a thread of its own that notes where the program was when it
// closed; a form may ask before it closes.
struct OtherWindow {
    std::string closedIn;
    bool asks = false;
    bool open = false;
};

void runOtherWindow(OtherWindow& o, const char* title)
{
    rt::Window w(rt::parseWindowDef(
        std::string("title: ") + title + "\ncontrols:\n  - {type: list, name: List}\n", "test", title));
    w.open();
    o.open = true;
    for (;;) {
        const rt::Event e = w.waitEvent();
        if (e.code != rt::event::CloseWindow)
            continue;
        if (o.asks
            && rt::message("Save the changes?", "Update", rt::Icon::Question,
                   rt::button::Yes | rt::button::No | rt::button::Cancel)
                == rt::button::Cancel)
            continue;
        break;
    }
    o.closedIn = fs::current_path().string();
    w.close();
    o.open = false;
}

TEST_F(Collections, ASwitchClosesTheOtherWindowsBeforeTheFolderChanges)
{
    startFrame();
    OtherWindow list, form;
    host->start("BrowseSongs", [&] { runOtherWindow(list, "Songs"); });
    host->start("UpdateAlbum", [&] { runOtherWindow(form, "Update Album"); });
    host->settle();
    ASSERT_TRUE(list.open && form.open);
    const fs::path other = collection("../other");
    fs::create_directories(other);
    press("FileOpenCollection");
    choose(other / "QVLDATA.TPS");
    EXPECT_FALSE(list.open);
    EXPECT_FALSE(form.open);
    EXPECT_TRUE(fs::equivalent(list.closedIn, collection("")));
    EXPECT_TRUE(fs::equivalent(form.closedIn, collection("")));
    EXPECT_TRUE(fs::equivalent(fs::current_path(), other));
}

TEST_F(Collections, ASwitchIsRefusedWhileAWindowStaysOpen)
{
    startFrame();
    OtherWindow form;
    form.asks = true;
    host->start("UpdateAlbum", [&] { runOtherWindow(form, "Update Album"); });
    host->settle();
    const fs::path other = collection("../other");
    fs::create_directories(other);
    press("FileOpenCollection");
    choose(other / "QVLDATA.TPS");
    // The form asks; the frame refuses meanwhile and stays where it was.
    EXPECT_TRUE(fs::equivalent(fs::current_path(), collection("")));
    rt::Window* refusal = nullptr;
    for (rt::Window* w : host->openWindows())
        if (auto* m = dynamic_cast<rt::MessageBoxWindow*>(w); m && m->title() == "Switch Collection")
            refusal = m;
    ASSERT_NE(refusal, nullptr);
    static_cast<rt::MessageBoxWindow*>(refusal)->answer(rt::button::Ok);
    host->settle();
    host->answer(rt::button::Cancel); // the form's own question: stay
    EXPECT_TRUE(form.open);
    EXPECT_TRUE(dictionary::Quorvel().isOpen()) << "the old collection's tables are open again";

    // The form's thread notes into `form`: it ends before the test does.
    for (rt::Window* w : host->openWindows())
        if (w->title() == "Update Album")
            host->post(*w, rt::Event{rt::event::CloseWindow});
    host->answer(rt::button::No);
    EXPECT_FALSE(form.open);
}

// A list whose form is open over it, both on the list's thread.
void runListWithForm(OtherWindow& list, OtherWindow& form)
{
    rt::Window w(rt::parseWindowDef("title: Artists\ncontrols:\n  - {type: list, name: List}\n", "test", "Artists"));
    w.open();
    list.open = true;
    runOtherWindow(form, "Update Artist");
    while (w.waitEvent().code != rt::event::CloseWindow) { }
    w.close();
    list.open = false;
}

TEST_F(Frame, TheEndOfTheSessionClosesEveryWindowAndSavesAsAnExitDoes)
{
    startFrame();
    OtherWindow list, artists, artist;
    host->start("BrowseSongs", [&] { runOtherWindow(list, "Songs"); });
    host->start("BrowseArtists", [&] { runListWithForm(artists, artist); });
    host->settle();
    ASSERT_TRUE(artists.open && artist.open);
    frame->setGeometry({20, 30, 500, 300});
    std::raise(SIGTERM);
    host->advance(1000);
    EXPECT_FALSE(list.open);
    EXPECT_FALSE(artist.open);
    EXPECT_FALSE(artists.open) << "the list under the form is closed in turn";
    EXPECT_FALSE(rt::Scheduler::instance().isRunning(1)) << "the frame has closed";
    EXPECT_EQ(glo().frameThread, 0);
    EXPECT_FALSE(rt::IniFile::named(".\\POSITION.INI").keys("Main").empty());
    frame = nullptr;
}

TEST(TimeTexts, MinutesTextAndDiscStamps)
{
    struct Case {
        std::int32_t time;
        const char* text;
    };
    const Case cases[] = {{0, "     "}, {(4 * 60 + 7) * 100 + 1, " 4:07"}, {(3600 + 5 * 60 + 30) * 100 + 1, "65:30"},
        {(59 * 60 + 59) * 100 + 1, "59:59"}, {100 * 60 * 100 + 1, "100:00"}};
    for (const Case& c : cases)
        EXPECT_EQ(TimeToMinutesText(c.time), c.text) << c.time;

    EXPECT_EQ(MSFStampToTime("04:35:99"), MSFStampToTime("04:36:00"));
    EXPECT_EQ(MSFStampToTime("04:36:00"), (4 * 60 + 36) * 100 + 1);
    EXPECT_EQ(MSFStampToTime("65:10:00"), (3600 + 5 * 60 + 10) * 100 + 1);
    EXPECT_EQ(MSFStampToTime("00:59:99"), 60 * 100 + 1) << "a carried second makes a minute";
    EXPECT_EQ(MSFStampToTime("00:00:00"), 1);
}

} // namespace
} // namespace qv::qvls::testing
