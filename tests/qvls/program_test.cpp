// The program body: what stands while the frame runs, what is gone after it, in which
// order, and the table-file manager's registry that start-up fills once per process.

#include "dictionary/dictionary_fixture.h"

#include <sqlite3.h>

#include "core/core_fixture.h"
#include "platform/expr/datetime.h"
#include "platform/framework/form_controller.h"
#include "platform/framework/handover.h"
#include "platform/framework/ini_store.h"
#include "platform/framework/list_window.h"
#include "platform/outside/file_manager.h"
#include "platform/outside/query_wizard.h"
#include "platform/outside/report_designer.h"
#include "platform/runtime/halt.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/resources.h"
#include "qvls/browse_extension/tag_sets.h"
#include "qvls/core/file_warning.h"
#include "qvls/core/globals.h"
#include "qvls/core/program.h"
#include "qvls/subsystems.h"

std::span<const qv::rt::EmbeddedFile> progtestResources();

namespace {

using namespace qv;
using namespace qv::qvls;
namespace fs = std::filesystem;

class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("qvprog-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir_);
        previous_ = fs::current_path();
        fs::current_path(dir_);
    }
    ~ScratchFolder()
    {
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const fs::path& dir() const { return dir_; }

private:
    fs::path dir_, previous_;
};

// Runs ProgramEntry on the headless host with a frame that only notes what it sees.
struct ProgramRun {
    rt::HeadlessHost host;
    std::function<void()> whileFrameRuns;
    int exitCode = -1;

    int run(std::vector<std::string> args)
    {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        registerSubsystems();
        const std::function<void()> kept = frameProcedure();
        frameProcedure() = [this] {
            if (whileFrameRuns)
                whileFrameRuns();
        };
        exitCode = ProgramEntry(static_cast<int>(argv.size()), argv.data(), [this](std::function<void()> body) {
            host.start("ProgramBody", std::move(body));
            return host.failures().empty() ? 0 : 1;
        });
        frameProcedure() = kept;
        return exitCode;
    }
};

TEST(Program, ObjectsStandWhileTheFrameRunsAndGoInTheReverseOrder)
{
    ScratchFolder folder;
    ProgramRun p;
    bool sawDictionary = false, sawRegistry = false, sawTexts = false, sawStores = false;
    p.whileFrameRuns = [&] {
        sawDictionary = dictionary::dictionaryBuilt() && dictionary::AlbumRelations != nullptr;
        sawRegistry = tablesRegistered() && outside::fileManager().registration(dictionary::Quorvel()) != nullptr;
        sawTexts = !outside::queryWizard().displayTexts().empty() && outside::reportDesigner().initialised
            && outside::reportDesigner().initText.empty() && outside::reportDesigner().initFlag == 1;
        sawStores = settingsStore().prepared() && settingsStore().QUIETMODE == 1 && positionStore().ready()
            && positionStore().name() == ".\\POSITION.INI" && helpFile() == "QVL.HLP";
        // Tag sets in use when the frame closes.
        TagAdd(1, "/music/a.mp3");
        // The dictionary's tables are on the collection folder's connections.
        EXPECT_EQ(dictionary::Album().group().mainFile(), (folder.dir() / dictionary::kCatalogueGroupFile).string());
    };
    EXPECT_EQ(p.run({"qvls"}), 0);
    EXPECT_TRUE(sawDictionary);
    EXPECT_TRUE(sawRegistry);
    EXPECT_TRUE(sawTexts);
    EXPECT_TRUE(sawStores);

    const std::vector<std::string> setUp{
        "help file", "AppErrorReporter", "AppTranslator", "PositionStore", "InitDictionary"};
    const std::vector<std::string> rest{"SettingsStore", "REPWIZINIT", "SetQueryWizardTexts", "Main",
        "release PositionStore", "release SettingsStore", "TagFreeSpareSets", "TagFreeAll", "KillDictionary",
        "release AppTranslator", "release AppErrorReporter"};
    std::vector<std::string> steps = programSteps();
    // The registration shows only in the process's first program body.
    std::erase(steps, "register tables");
    std::vector<std::string> expected = setUp;
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(steps, expected);

    EXPECT_FALSE(dictionary::dictionaryBuilt());
    EXPECT_EQ(dictionary::AlbumAccess, nullptr);
    EXPECT_EQ(tagSetCount(), 0);
    EXPECT_FALSE(settingsStore().prepared());
    EXPECT_FALSE(positionStore().ready());
}

// The program as a user starts it, with a collection that holds an album: a
// form opened on the album shows the artist as text and the release date
// through its picture, because the program makes the record buffers and the
// pictures known as it starts.
TEST(Program, AFormShowsItsRecordThroughUseNamesAndPictures)
{
    ScratchFolder folder;
    qvls::testing::writeFile(folder.dir() / "QVLROCFG.INI", "[Settings]\nSetupWizardComplete=1\nShowTips=0\n");
    registerSubsystems();
    rt::ResourceStore::add("progtest", progtestResources());
    rt::Procedures::add("AlbumCard", [] {
        fw::handover().request = fw::request::Change;
        fw::FormController card("progtest", "AlbumCard", *dictionary::AlbumRelations);
        card.Execute();
    });
    std::string args[] = {"qvls"};
    char* argv[] = {args[0].data()};
    rt::HeadlessHost host;
    std::string artist, released, caption;
    const int code = ProgramEntry(1, argv, [&](std::function<void()> body) {
        host.start("ProgramBody", std::move(body));
        tables::Table& albums = dictionary::Album();
        albums.record().clear();
        albums.record()["ALB:Artist"] = "Abba";
        albums.record()["ALB:Album"] = "Arrival";
        albums.record()["ALB:ReleaseDate"] = expr::dateFromYmd(1976, 10, 11);
        EXPECT_EQ(albums.insert(), 0);
        host.startProcedure("AlbumCard");
        if (rt::Window* card = host.window("AlbumCard")) {
            artist = (*card)["?Artist"].value();
            released = (*card)["?Released"].value();
            host.press(*card, "?Cancel");
        }
        if (rt::Window* frame = host.window("Main"))
            host.post(*frame, rt::Event{rt::event::CloseWindow});
        return host.failures().empty() ? 0 : 1;
    });
    EXPECT_EQ(code, 0) << (host.failures().empty() ? "" : host.failures().front());
    EXPECT_EQ(artist, "Abba");
    EXPECT_EQ(released, "10/11/1976");
}

TEST(Program, SwitchesCountAnywhereInAnyCase)
{
    struct Case {
        std::vector<std::string> args;
        bool noMouse, freeDb;
    };
    const std::vector<Case> cases{
        {{"qvls"}, false, false},
        {{"qvls", "/NOMOUSE"}, true, false},
        {{"qvls", "/nomouse"}, true, false},
        {{"qvls", "x", "/FreeDB"}, false, true},
        {{"qvls", "/freedb/nomouse"}, true, true},
        {{"qvls", "NOMOUSE"}, false, false},
        // The program's own folder is not part of its command line.
        {{"/opt/freedb/nomouse/qvls"}, false, false},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        ProgramRun p;
        bool noMouse = !c.noMouse, freeDb = !c.freeDb;
        p.whileFrameRuns = [&] {
            noMouse = glo().noMouse;
            freeDb = glo().freeDb;
        };
        EXPECT_EQ(p.run(c.args), 0);
        EXPECT_EQ(noMouse, c.noMouse) << c.args.back();
        EXPECT_EQ(freeDb, c.freeDb) << c.args.back();
    }
}

TEST(Program, GlobalsStartFromTheirInitialValuesAndPerThreadOnesAreFreedAtTheEnd)
{
    ScratchFolder folder;
    glo().frameThread = 9;
    fw::handover().request = 3;
    ProgramRun p;
    int request = -1, frameThread = -1;
    std::size_t singles = 99;
    std::string otherThreadsField = "?";
    p.whileFrameRuns = [&] {
        request = fw::handover().request;
        frameThread = glo().frameThread;
        singles = fw::ListWindow::singleInstances().size();
        threadGlo().csvField = "first thread's field";
        const int other = rt::Scheduler::instance().start("Other", [&] { otherThreadsField = threadGlo().csvField; });
        rt::Scheduler::instance().waitForThreads({other});
    };
    EXPECT_EQ(p.run({"qvls"}), 0);
    EXPECT_EQ(request, 0);
    EXPECT_EQ(frameThread, 0);
    EXPECT_EQ(singles, 0u);
    EXPECT_EQ(otherThreadsField, "");
    EXPECT_TRUE(fw::ListWindow::singleInstances().empty());
    for (int t = 0; t <= rt::MaxThreads; ++t)
        EXPECT_TRUE(threadGlobals().of(t).csvField.empty()) << t;
}

TEST(Registration, EighteenTablesInTheirOrderOncePerProcess)
{
    registerTables();
    auto& fm = outside::fileManager();
    const std::vector<std::tuple<std::string, std::string, int>> expected{
        {"AddWizard", "AW", 2},
        {"Album", "ALB", 5},
        {"AlbumDetails", "ADT", 1},
        {"Artists", "ART", 2},
        {"Categories", "CAT", 1},
        {"Configuration", "CF", 1},
        {"Fonts", "FON", 1},
        {"ImportAlbums", "IA", 5},
        {"ImportSongs", "IS", 15},
        {"Labels", "LAB", 2},
        {"QVLTips", "TIP", 0},
        {"MP3ApprovalList", "MAL", 3},
        {"MP3FolderList", "MFL", 1},
        {"Media", "MED", 1},
        {"Quorvel", "SNG", 14},
        {"PlaylistDetails", "PLA", 2},
        {"PlaylistMaster", "PLD", 1},
        {"SongDetails", "SDT", 1},
    };
    ASSERT_EQ(fm.files().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [label, prefix, version] = expected[i];
        EXPECT_EQ(fm.files()[i].label, label);
        EXPECT_EQ(fm.files()[i].prefix, prefix);
        EXPECT_EQ(fm.files()[i].version, version) << label;
        EXPECT_EQ(fm.files()[i].table, dictionary::table(label));
    }
    EXPECT_EQ(fm.drivers(), std::vector<std::string>{"Tps"});
    EXPECT_EQ(fm.ignoredDrivers(), std::vector<std::string>{"AllFiles"});

    // However often start-up runs again, nothing is registered again.
    const auto kept = fm.files();
    fm.reset();
    EXPECT_FALSE(registerTables());
    {
        ScratchFolder folder;
        ProgramRun p;
        EXPECT_EQ(p.run({"qvls"}), 0);
    }
    EXPECT_TRUE(fm.files().empty());
    EXPECT_TRUE(tablesRegistered());
    for (const auto& f : kept)
        fm.usingFile(*const_cast<qv::tables::Table*>(f.table), f.prefix, f.label, f.version);
}

// Sets the structure version stored in a table file.
void storeVersion(const std::string& path, int version)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, ("PRAGMA user_version=" + std::to_string(version)).c_str(), nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
}

TEST(FileManager, AFileOfAnotherVersionIsRefusedUnlessItCanBeConverted)
{
    qvls::testing::BuiltCollection c;
    auto& fm = outside::fileManager();
    qv::tables::Table& albums = dictionary::Album();
    fm.usingFile(albums, "ALB", "Album", 5);
    ASSERT_EQ(albums.create(), 0);
    const std::string path = albums.filePath();
    EXPECT_EQ(outside::storedVersion(path), 5);
    EXPECT_EQ(outside::ds_FileOpen(albums, qv::tables::DefaultAccess), 0);
    albums.close();

    storeVersion(path, 4);
    EXPECT_EQ(outside::ds_FileOpen(albums, qv::tables::DefaultAccess), qv::tables::InvalidFile);
    EXPECT_EQ(qv::tables::lastError().code, qv::tables::InvalidFile);
    EXPECT_FALSE(albums.isOpen());

    // Version 3 and 4 files are brought forward a step at a time.
    std::vector<std::string> ran;
    auto step = [&](const std::string& p, int from, int to) {
        ran.push_back(std::to_string(from) + ">" + std::to_string(to));
        storeVersion(p, to);
        return 0;
    };
    fm.addConversion("album", 3, 4, step);
    fm.addConversion("Album", 4, 5, step);
    storeVersion(path, 3);
    EXPECT_EQ(outside::ds_FileOpen(albums, qv::tables::DefaultAccess), 0);
    EXPECT_EQ(ran, (std::vector<std::string>{"3>4", "4>5"}));
    EXPECT_EQ(outside::storedVersion(path), 5);
    albums.close();

    // A newer file has no conversion back.
    storeVersion(path, 6);
    EXPECT_EQ(outside::ds_FileOpen(albums, qv::tables::DefaultAccess), qv::tables::InvalidFile);
    // A missing file is the driver's to report.
    std::filesystem::remove(path);
    EXPECT_EQ(outside::ds_FileOpen(albums, qv::tables::DefaultAccess), qv::tables::FileNotFound);
    fm.reset();
    registerTables(); // nothing: the registry of a process is filled once
    for (const auto& r : tableRegistrations())
        fm.usingFile(*dictionary::table(r.label), r.prefix, r.label, r.version);
}

TEST(FileManager, AnotherCollectionsSongsOpenThroughTheImportRegistration)
{
    qvls::testing::BuiltCollection c;
    auto& fm = outside::fileManager();
    fm.reset();
    for (const auto& r : tableRegistrations())
        fm.usingFile(*dictionary::table(r.label), r.prefix, r.label, r.version);
    qv::tables::Table& imported = dictionary::ImportSongs();
    ASSERT_NE(fm.registration(imported), nullptr);
    ASSERT_EQ(fm.registration(imported)->version, 15);

    // The other collection's songs, written by the program's own songs table.
    const std::string other = (c.dir() / "other" / "qvldata").string();
    qv::tables::Table own(schema::Quorvel());
    own.setFileName(other);
    ASSERT_EQ(own.create(), 0);
    ASSERT_EQ(own.open(), 0);
    own.record().clear();
    own.record()["SNG:Artist"] = "Blondie";
    own.record()["SNG:Title"] = "Atomic";
    ASSERT_EQ(own.insert(), 0);
    ASSERT_EQ(own.close(), 0);
    const std::string file = other + ".tps";
    ASSERT_EQ(outside::storedVersion(file), 14);

    dictionary::ImportSongsFileName = other;
    dictionary::applyRunTimeName(imported);
    EXPECT_EQ(outside::ds_FileOpen(imported, qv::tables::DefaultAccess), 0) << qv::tables::lastError().text;
    ASSERT_TRUE(imported.isOpen());
    imported.setOrder(-1);
    ASSERT_EQ(imported.next(), 0);
    EXPECT_EQ(imported.record().getText(imported.def().fieldIndex("IS:TITLE")), "Atomic");
    imported.close();

    // The collection tools open it with the program's checked open: no warning, and the
    // file stays the other collection's own, which its program still opens.
    std::vector<std::string> halts;
    rt::setHaltHandler([&](int, const std::string& text) { halts.push_back(text); });
    c.run([&] {
        OpenTableChecked(imported);
        return fw::Benign;
    });
    rt::setHaltHandler(nullptr);
    EXPECT_EQ(c.titles, std::vector<std::string>{});
    EXPECT_EQ(halts, std::vector<std::string>{});
    EXPECT_TRUE(imported.isOpen());
    imported.close();
    EXPECT_EQ(outside::storedVersion(file), 14);
    ASSERT_EQ(own.open(), 0);
    EXPECT_EQ(own.records(), 1);
    own.close();

    // A songs file of a version no table makes is still refused.
    storeVersion(file, 13);
    EXPECT_EQ(outside::ds_FileOpen(imported, qv::tables::DefaultAccess), qv::tables::InvalidFile);
    EXPECT_FALSE(imported.isOpen());
}

} // namespace
