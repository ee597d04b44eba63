#include "frame_fixture.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/window_def.h"
#include "qvls/core/frame_commands.h"
#include "qvls/core/settings.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {
namespace {

namespace fs = std::filesystem;

// What one item or button does, as the user sees it from outside.
struct Expect {
    const char* item;
    const char* action; // "thread NAME STACK", "call NAME request N", "run PROGRAM ARGS|...", "open ADDRESS", "none"
};

class Menus : public FrameFixture
{
protected:
    std::string lastAction()
    {
        std::string a;
        if (!started.empty())
            a = "thread " + started.back().name + " " + std::to_string(started.back().stack);
        else if (!called.empty())
            a = "call " + called.back();
        else if (!ran.empty()) {
            a = "run " + ran.back().program;
            for (const std::string& arg : ran.back().args)
                a += "|" + arg;
            EXPECT_TRUE(fs::equivalent(ran.back().folder, collection(""))) << "works in the collection folder";
        } else if (!opened.empty())
            a = "open " + opened.back();
        else
            a = "none";
        started.clear();
        called.clear();
        ran.clear();
        opened.clear();
        return a;
    }
};

TEST_F(Menus, EveryItemAndButtonDoesWhatItSays)
{
    fs::create_directories(programDir_ / "help");
    writeFile(programDir_ / "help" / "index.html", "<html></html>");
    glo().freeDb = true; // "/FREEDB" shows the free-database items
    startFrame();
    settings().CDDrive = "E:";
    const std::string prog = programDir_.string();
    // The program folder holds a blank: the address carries it escaped.
    std::string escaped;
    for (char ch : prog)
        escaped += ch == ' ' ? std::string("%20") : std::string(1, ch);
    const std::string manual = "open file://" + escaped + "help/index.html";
    const Expect table[] = {
        {"FileSetup", "call Setup request 0"},
        {"FilePrintSetup", "none"},
        {"EditCut", "none"},
        {"EditCopy", "none"},
        {"EditPaste", "none"},
        {"ListsAlbums", "thread BrowseAlbums 25000"},
        {"ListsSongs", "thread BrowseSongs 25000"},
        {"ListsBoth", "thread BrowseAlbumsAndSongs 50000"},
        {"ListsLabels", "thread BrowseLabels 25000"},
        {"ListsPlayLists", "thread BrowsePlayLists 25000"},
        {"ListsCategories", "thread BrowseCategories 25000"},
        {"ListsMedia", "thread BrowseMedia 25000"},
        {"ListsArtists", "thread BrowseArtists 25000"},
        {"ToolsCDPlayer", "thread IntegratedCDPlayer 25000"},
        {"WizardsAddAlbum", "thread AlbumWizard 25000"},
        {"WizardsAddCDDB", "thread CDDBWizard 25000"},
        {"WizardsQuickCompilation", "thread AddCompilation 25000"},
        {"WizardsQuickSingleArtist", "thread AddSingleArtist 25000"},
        {"WizardsAddLabel", "thread LabelWizard 25000"},
        {"ToolsScanMP3s", "thread BrowseMP3sForApproval 25000"},
        {"ToolsRenameMP3s", "thread SelectMP3sToRename 25000"},
        {"ToolsBackup", "run SAFKEEP.EXE|qvldata.tps, qvlalbum.tps, qvlconf.tps, qvlcat.tps, etc."},
        {"ToolsSetupWizard", "thread SetupWizard 25000"},
        {"AsciiImport", "thread Import 25000"},
        {"AsciiExport", "thread Export 25000"},
        {"DatabaseImport", "thread ImportAlbumsSelection 25000"},
        {"DatabaseExport", "thread ExportAlbumsSelection 25000"},
        {"DatabaseCreateAlbums", "thread CreateDefaultAlbums 25000"},
        {"DatabaseSideDisc", "thread SetAllDiscTo1 25000"},
        {"DatabaseAlbumTimes", "thread FixAlbumTimes 25000"},
        {"DatabaseDeleteAlbums", "thread DeleteAlbumsSelection 25000"},
        {"DatabaseCheckCategories", "thread Process:CheckCategories 25000"},
        {"DatabaseDefaultArtists", "thread Process:DefaultArtists 25000"},
        {"DatabaseDefaultFileNumbers", "thread Process:DefaultFileNumbers 25000"},
        {"DatabaseAutoCapitalize", "thread Process:DefaultCase 25000"},
        {"DatabaseUniqueSongs", "thread Database:FindUniqueSongs 25000"},
        {"OtherRenameFiles", "thread RenameWAVMP3Files 25000"},
        {"OtherDeleteFiles", "thread DeleteWAVMP3Files 25000"},
        {"OtherLoadDirectory", "thread LoadFromDirectory 25000"},
        {"OtherLoadClipboard", "thread LoadFromClipboard 25000"},
        {"OtherMultipleAlbums", "thread ToolMultiCompilationWizard 25000"},
        {"OtherSongsToClipboard", "thread PutSongsOnClipboard 25000"},
        {"OtherExportAlbums", "thread ExportAlbumBasic 25000"},
        {"OtherCDDB1Submission", "thread CDDBSubmissionWizard:FreeDB 25000"},
        {"OtherCDDB1Retrieval", "thread CDDBWizard:FreeDB 25000"},
        {"CddbGetDiscInfo", "thread CDDBWizard 25000"},
        {"SubmitFromDatabase", "thread CDDBSubmissionWizard 25000"},
        {"CddbRegistration", "run trakhand|/R|/VID|E:"},
        {"CddbProxy", "run trakhand|/P|/VID|E:"},
        {"CddbOptions", "run trakhand|/O|/VID|E:"},
        {"CddbAbout", "run trakhand|/A|/VID|E:"},
        {"CddbWebSite", "open https://gnudb.org/"},
        {"SongReportsArtist", "thread PrintSNG:SongsByArtist 50000"},
        {"SongReportsTitle", "thread PrintSNG:SongsByTitle 50000"},
        {"SongReportsAlbum", "thread PrintSNG:SongsByAlbum 50000"},
        {"SongReportsMedia", "thread PrintSNG:SongsByMedia 50000"},
        {"SongReportsFileNumber", "thread PrintSNG:SongsByFileNumber 25000"},
        {"SongReportsCategory", "thread PrintSNG:SongsByCategorySelected 25000"},
        {"SongReportsBPM", "thread PrintSNG:SongsByBPM 25000"},
        {"SongReportsCustom", "thread PrintSongsCustom 25000"},
        {"AlbumReportsArtist", "thread PrintAlbumsByArtist 25000"},
        {"AlbumReportsAlbum", "thread PrintAlbumsByAlbum 25000"},
        {"AlbumReportsFileNumber", "thread PrintAlbumsByFileNumber 25000"},
        {"AlbumReportsCategory", "thread PrintAlbumsByCategory 25000"},
        {"AlbumReportsWithSongs", "thread PrintByFileNumber 25000"},
        {"AlbumReportsBinderPages", "thread CDBinderPages 25000"},
        {"AlbumReportsCustom", "thread PrintAlbumsCustom 25000"},
        {"PaperSaversArtist", "thread PrintSmallSongsByArtist 25000"},
        {"PaperSaversTitle", "thread PrintSmallSongsByTitle 25000"},
        {"ReportsLabels", "thread BrowseLabels 25000"},
        {"ReportsPlaylists", "thread BrowsePlayLists 25000"},
        {"ReportsDJLog", "thread PrintDJLog 25000"},
        {"WindowTile", "none"},
        {"WindowCascade", "none"},
        {"WindowArrange", "none"},
        {"HelpContents", manual.c_str()},
        {"HelpTips", "call UpdateQVLTips request 2"},
        {"HelpAbout", "thread AboutQVL 25000"},
        {"ToolbarAlbums", "thread BrowseAlbums 25000"},
        {"ToolbarSongs", "thread BrowseSongs 25000"},
        {"ToolbarLabels", "thread BrowseLabels 25000"},
        {"ToolbarPlaylists", "thread BrowsePlayLists 25000"},
        {"ToolbarPlayCD", "thread IntegratedCDPlayer 25000"},
    };
    for (const Expect& e : table) {
        fw::handover().request = 0;
        press(e.item);
        EXPECT_EQ(host->messageBox(), nullptr) << e.item;
        std::string expected = e.action;
        if (expected.rfind("run trakhand", 0) == 0)
            expected.insert(4, prog); // the tool beside the program
        EXPECT_EQ(lastAction(), expected) << e.item;
    }
    // The remaining help items open the manual at their places.
    for (const char* item : {"HelpIndex", "HelpSearch", "HelpOnHelp"}) {
        press(item);
        EXPECT_EQ(lastAction().rfind(manual + "#", 0), 0u) << item;
    }
}

TEST_F(Menus, DiscCommandsAskForTheDiscFirst)
{
    startFrame();
    settings().CDDrive = "  ";
    writeFile(collection("trakhand.new"), "old disc");
    struct Case {
        const char* item;
        const char* title;
        const char* switch_;
        bool newFileGoes;
    };
    const Case cases[] = {{"CddbExtendedInfo", "View Extended Disc Information", "/X", false},
        {"SubmitUpdate", "Submit Update to Disc", "/U", false}, {"SubmitNewDisc", "Submit New Disc", "/S", true}};
    for (const Case& c : cases) {
        press(c.item);
        ASSERT_NE(host->messageBox(), nullptr) << c.item;
        EXPECT_EQ(host->messageBox()->title(), c.title);
        EXPECT_EQ(host->messageBox()->text(), "Ensure that the disc is in the CD drive, then press OK.");
        EXPECT_TRUE(ran.empty()) << "nothing starts before OK";
        host->answer(rt::button::Ok);
        ASSERT_EQ(ran.size(), 1u);
        EXPECT_EQ(ran[0].program, programDir_.string() + "trakhand");
        EXPECT_EQ(ran[0].args, (std::vector<std::string>{c.switch_, "/VID"})) << "no drive set, no drive passed";
        EXPECT_EQ(fs::exists(collection("trakhand.new")), !c.newFileGoes) << c.item;
        ran.clear();
    }
}

TEST_F(Menus, ListsFollowTheBrowseStyleAndTheIntegrityTestAsksFirst)
{
    startFrame();
    struct Case {
        const char* style;
        const char* albums;
        const char* songs;
    };
    const Case cases[] = {{"Explorer", "BrovexAlbums", "BrovexSongs"}, {"Standard", "BrowseAlbums", "BrowseSongs"},
        {"", "BrowseAlbums", "BrowseSongs"}, {"explorer", "BrowseAlbums", "BrowseSongs"}};
    for (const Case& c : cases) {
        settings().Interface = c.style;
        for (const char* item : {"ListsAlbums", "ToolbarAlbums"}) {
            press(item);
            EXPECT_EQ(started.back().name, c.albums) << c.style << " " << item;
        }
        for (const char* item : {"ListsSongs", "ToolbarSongs"}) {
            press(item);
            EXPECT_EQ(started.back().name, c.songs) << c.style << " " << item;
        }
    }
    started.clear();
    press("DatabaseTestIntegrity");
    ASSERT_NE(host->messageBox(), nullptr);
    EXPECT_EQ(host->messageBox()->title(), "Housekeeping");
    EXPECT_EQ(host->messageBox()->defaultAnswer(), rt::button::No);
    host->answer(rt::button::No);
    EXPECT_TRUE(started.empty());
    press("DatabaseTestIntegrity");
    host->answer(rt::button::Yes);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].name, "TestAlbumIDs");
}

TEST_F(Menus, FailuresAreReportedPlainlyByTheCommandsNames)
{
    startFrame();
    realStarts = true;
    press("ListsLabels");
    ASSERT_NE(host->messageBox(), nullptr) << "a window not built yet is reported, not faked";
    EXPECT_EQ(host->messageBox()->text(), "Labels is not available yet.");
    host->answer(rt::button::Ok);
    press("ToolbarPlayCD");
    EXPECT_EQ(host->messageBox() ? host->messageBox()->text() : "", "Play CD is not available yet.");
    host->answer(rt::button::Ok);

    runCode = 2;
    press("ReportsDesigner");
    ASSERT_NE(host->messageBox(), nullptr);
    EXPECT_EQ(host->messageBox()->title(), "Error");
    EXPECT_EQ(host->messageBox()->text(),
        "Report designer not found.  If you have purchased this add-on, please "
        "ensure that it has been installed into the same directory as Quorvel Pro");
    host->answer(rt::button::Ok);
    ASSERT_EQ(ran.size(), 1u);
    EXPECT_EQ(ran[0].program, "PALDRO");

    const std::pair<const char*, const char*> missing[] = {
        {"ToolsBackup", "Backup/Restore needs the backup program SAFKEEP, which is not installed beside Quorvel Pro."},
        {"CddbOptions", "Options needs the disc-lookup tool trakhand, which is not installed beside Quorvel Pro."},
    };
    for (const auto& [item, text] : missing) {
        press(item);
        EXPECT_EQ(host->messageBox() ? host->messageBox()->text() : "", text) << item;
        if (host->messageBox())
            host->answer(rt::button::Ok);
    }

    press("HelpContents");
    ASSERT_NE(host->messageBox(), nullptr) << "no manual beside the program";
    host->answer(rt::button::Ok);
    fs::create_directories(programDir_ / "help");
    writeFile(programDir_ / "help" / "index.html", "<html></html>");
    frameServices().openAddress = [](std::string_view) { return 31; };
    press("HelpContents");
    EXPECT_EQ(host->messageBox() ? host->messageBox()->text() : "",
        "Help is shown in the desktop's web browser, and none could be started (the xdg-open command is missing).");
    host->answer(rt::button::Ok);
}

TEST_F(Menus, OutsideProgramsStartFromAProgramFolderWithBlanks)
{
    // The real starter, with a stand-in tool that writes down how it was started.
    resetFrameServices();
    frameServices().programFolder = [this] { return programDir_.string(); };
    frameServices().startProcedure = [](std::string_view, std::size_t) { return rt::Procedures::Started{}; };
    writeFile(programDir_ / "trakhand",
        "#!/bin/sh\npwd > started.txt\nfor a in \"$@\"; do echo \"$a\" >> started.txt; done\n");
    fs::permissions(programDir_ / "trakhand", fs::perms::owner_all);
    startFrame();
    settings().CDDrive = "D:";
    press("CddbOptions");
    for (int i = 0; i < 200 && readFile(collection("started.txt")).find("D:") == std::string::npos; ++i)
        usleep(10000);
    EXPECT_EQ(readFile(collection("started.txt")), fs::canonical(collection("")).string() + "\n/O\n/VID\nD:\n");
}

TEST(MenuDefinition, EveryItemOfTheFrameHasACommandOrAStandardAction)
{
    registerSubsystems();
    const rt::WindowDef def = rt::loadWindowDef("qvls", "Main");
    std::map<int, const rt::ControlDef*> items;
    auto collect = [&](const std::vector<rt::ControlDef>& v) {
        rt::forEachControl(v, [&](const rt::ControlDef& c) {
            if (!c.name.empty() && (c.type == rt::ControlType::Item || c.type == rt::ControlType::Button))
                items[c.number] = &c;
        });
    };
    collect(def.menubar);
    collect(def.toolbar);
    for (const auto& [number, item] : items)
        EXPECT_NE(item->standard.empty(), findFrameCommand(number) == nullptr) << item->name;
    // Keys the user reads in the menus.
    EXPECT_EQ(rt::key::displayText(items.at(ctl::Main::WizardsAddLabel.number)->key), "Ctrl+Shift+L");
    EXPECT_EQ(rt::key::displayText(items.at(ctl::Main::OtherCDDB1Retrieval.number)->key), "Ctrl+Shift+9");
}

} // namespace
} // namespace qv::qvls::testing
