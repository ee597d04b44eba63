#include "qvls/core/frame.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"
#include "platform/framework/error_reporter.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/process.h"
#include "platform/runtime/resources.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/shell.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/file_warning.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_commands.h"
#include "qvls/core/globals.h"
#include "qvls/core/manual.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/folder_check.h"
#include "qvls/dictionary/tables.h"

namespace fs = std::filesystem;

namespace qv::qvls {

namespace {

constexpr const char* kWeekdays = "Sunday   Monday   Tuesday  WednesdayThursday Friday   Saturday ";
constexpr int kFirstOtherThread = 2;
// The files a new collection starts with, copied from the current one.
constexpr const char* kNewCollectionFiles[]
    = {"QVLCONF.TPS", "QVLMEDIA.TPS", "QVLQUERY.TPS", "QVLCAT.TPS", "QVLTIPS.TPS", "QVLFONT.TPS", "QVLROCFG.INI"};

volatile std::sig_atomic_t endOfSession = 0;

extern "C" void onTerminate(int)
{
    endOfSession = 1;
}

bool sameFolder(const std::string& a, const std::string& b)
{
    std::error_code ec1, ec2;
    const fs::path ca = fs::weakly_canonical(a, ec1), cb = fs::weakly_canonical(b, ec2);
    if (!ec1 && !ec2)
        return ca == cb;
    return text::equalsNoCase(a, b);
}

// An existing file of a folder, found without regard to case.
std::optional<std::string> fileInFolder(const std::string& folder, std::string_view name)
{
    return rt::findNoCase(rt::joinPath(folder, name));
}

// The frame keeps the albums and artists open, with their related tables,
// while it runs.
std::vector<dictionary::DictionaryRelations*> frameRelations()
{
    return {dictionary::AlbumRelations, dictionary::ArtistsRelations};
}

void openFrameTables()
{
    for (auto* set : frameRelations())
        set->open();
}

void closeFrameTables()
{
    for (auto* set : frameRelations())
        set->close();
}

void closeConfiguration()
{
    tables::Table& conf = dictionary::Configuration();
    while (conf.isOpen())
        conf.close();
}

// A command as the user knows it: its menu text, or its button's tip.
std::string commandName(const rt::Control& item)
{
    std::string name;
    for (char ch : item.text())
        if (ch != '&')
            name += ch;
    name = std::string(text::trim(name));
    while (!name.empty() && name.back() == '.')
        name.pop_back();
    name = std::string(text::trimRight(name));
    return name.empty() ? item.toolTip() : name;
}

// What is there to start: a window not built yet is named as the user
// asked for it.
void startProcedure(std::string_view name, std::size_t stack, const std::string& command)
{
    const rt::Procedures::Started s = frameServices().startProcedure(name, stack);
    if (s)
        return;
    if (rt::Procedures::exists(name))
        showNotAvailableText(s.error);
    else
        reportNotAvailable(command);
}

void callProcedure(std::string_view name, const std::string& command)
{
    if (!frameServices().callProcedure(name))
        reportNotAvailable(command);
}

class FrameController : public fw::WindowController
{
public:
    FrameController()
        : fw::WindowController("Main")
    { }

    fw::Level Prepare() override;
    void RunEventLoop() override;
    fw::Level OnWindowEvent(const rt::Event& e) override;
    fw::Level OnAccepted(int control) override;
    void CleanUp() override;

private:
    void clock();
    void command(const FrameCommand& c, const rt::Control& item);
    void trakhand(const FrameCommand& c, const std::string& name);
    void help(const FrameCommand& c);
    void newCollection();
    void openCollection();
    bool closeFrame();

    int splashThread_ = 0;
    bool tablesOpen_ = false;
    void (*oldTerm_)(int) = SIG_DFL;
};

fw::Level FrameController::Prepare()
{
    Globals& g = glo();
    loadWindow("qvls", ctl::Main::kWindow);
    openWindow();
    rt::Window& w = window();
    w.setHidden(true);

    // The splash shows the version at once, also while the tables are
    // still opening (a locked file is waited for).
    g.versionText = "Version " + std::string(kProgramVersion);
    splashThread_ = frameServices().startProcedure("Splash", 0).thread;
    CreateMissingTables();
    g.frameWindow = &w;

    if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
        return l;

    migrateOldSettings();
    g.settingsFile = std::string(kSettingsFile);

    openFrameTables();
    tablesOpen_ = true;
    OpenTableChecked(dictionary::Configuration());

    // The last source that names a logo wins.
    rt::IniFile ini = settingsIni();
    rt::Control& logo = w[ctl::Main::Logo];
    if (const std::string frameLogo = ini.get(settings_section::GlobalSettings, settings_key::FrameLogo);
        !frameLogo.empty())
        logo.setText(frameLogo);
    ini.set(settings_section::GlobalSettings, settings_key::Version, std::string(kProgramVersion));
    if (!settings().Logo.empty())
        logo.setText(settings().Logo);
    if (const std::string mainLogo = ini.get(settings_section::Settings, settings_key::MainLogo); !mainLogo.empty())
        logo.setText(mainLogo);

    tables::Table& media = dictionary::Media();
    if (media.records() == 0)
        for (const std::string& name : defaultMediaFormats()) {
            media.record().clear();
            media.record()["MED:Media"] = name;
            media.insert();
        }

    if (dictionary::Artists().records() == 0 && dictionary::Album().records() > 0
        && dictionary::Quorvel().records() > 0)
        // Run here, not started: the frame relies on the artists being there when it returns.
        rt::Procedures::call("Process:DefaultArtists");

    // A blank record left last by an interrupted insert goes.
    tables::Table& songs = dictionary::Quorvel();
    if (songs.last() == 0 && songs.record().isEmpty(songs.def().fieldIndex("SNG:Artist"))
        && songs.record().isEmpty(songs.def().fieldIndex("SNG:Title")))
        songs.remove();
    tables::Table& albums = dictionary::Album();
    if (albums.last() == 0 && albums.record().isEmpty(albums.def().fieldIndex("ALB:Artist"))
        && albums.record().isEmpty(albums.def().fieldIndex("ALB:Album")))
        albums.remove();

    LoadSettings();

    if (g.frameThread == 0) {
        g.frameThread = rt::Scheduler::instance().current();
        g.albumsItem = ctl::Main::ListsAlbums.number;
        g.songsItem = ctl::Main::ListsSongs.number;
        g.bothItem = ctl::Main::ListsBoth.number;
        g.labelsItem = ctl::Main::ListsLabels.number;
        g.playListsItem = ctl::Main::ListsPlayLists.number;
    }

    endOfSession = 0;
    oldTerm_ = std::signal(SIGTERM, onTerminate);

    // The free-database items (and the separator before them) only under "/FREEDB".
    for (rt::ControlId id :
        {ctl::Main::OtherFreeDbSeparator, ctl::Main::OtherCDDB1Submission, ctl::Main::OtherCDDB1Retrieval})
        w[id].setHidden(!g.freeDb);

    RegisterHotKeys();
    w.setHidden(false);
    g.frameReady = true;
    if (g.afterSplashWaits) {
        g.afterSplashWaits = false;
        frameServices().startProcedure("AfterSplash", 0);
    }
    return fw::Benign;
}

void FrameController::RunEventLoop()
{
    rt::Window& w = window();
    if (w.timer() < 1 || w.timer() > 100)
        w.setTimer(100);
    clock();
    fw::WindowController::RunEventLoop();
}

void FrameController::clock()
{
    const expr::Clock& c = expr::defaultClock();
    window().setStatusText(3, clockDateText(c.today()));
    window().setStatusText(4, clockTimeText(c.clock()));
}

bool FrameController::closeFrame()
{
    if (closeOtherThreads())
        return true;
    rt::message("A window is still open. Close it, then try again.", "Quorvel Pro", rt::Icon::Exclamation);
    return false;
}

fw::Level FrameController::OnWindowEvent(const rt::Event& e)
{
    if (e.code == rt::event::CloseWindow || e.code == rt::event::CloseDown) {
        // Every other window closes first, as it would on its own close box,
        // so forms ask and lists save their layouts.
        if (!closeFrame())
            return fw::Benign;
    }
    const fw::Level l = fw::WindowController::OnWindowEvent(e);
    if (e.code == rt::event::Timer) {
        clock();
        if (endOfSession) {
            endOfSession = 0;
            window().post(rt::event::CloseDown);
        }
    }
    return l;
}

fw::Level FrameController::OnAccepted(int control)
{
    if (splashThread_ != 0) {
        // Only the splash: once it has gone, its thread may be showing the
        // setup wizard or the tip of the day, which the user is answering.
        const rt::Window* top = rt::Scheduler::instance().topWindow(splashThread_);
        if (top && top->def().name == "Splash")
            rt::Scheduler::instance().post(splashThread_, rt::Event{rt::event::CloseWindow});
        splashThread_ = 0;
    }
    const rt::Control* c = window().control(control);
    if (c && c->def().standard == "close")
        window().post(rt::event::CloseWindow); // the other standard actions never reach the program
    else if (const FrameCommand* cmd = findFrameCommand(control))
        command(*cmd, *c);
    return fw::WindowController::OnAccepted(control);
}

void FrameController::command(const FrameCommand& c, const rt::Control& item)
{
    const std::string name = commandName(item);
    switch (c.kind) {
    case CommandKind::NewThread:
        startProcedure(c.procedure, c.stack, name);
        break;
    case CommandKind::FrameCall:
        if (std::string_view(c.procedure) == "UpdateQVLTips")
            fw::handover().request = fw::request::Change;
        callProcedure(c.procedure, name);
        break;
    case CommandKind::AlbumsList:
        startProcedure(settings().Interface == "Explorer" ? "BrovexAlbums" : "BrowseAlbums", c.stack, name);
        break;
    case CommandKind::SongsList:
        startProcedure(settings().Interface == "Explorer" ? "BrovexSongs" : "BrowseSongs", c.stack, name);
        break;
    case CommandKind::AskThenThread:
        if (rt::message("This function will test (and fix where possible) the links between the album database "
                        "and your main Quorvel Pro database.  It may take some time to complete.  This should only "
                        "be required if you are upgrading from version 1.1.  Are you sure you wish to continue?",
                "Housekeeping", rt::Icon::Question, rt::button::Yes | rt::button::No, rt::button::No)
            == rt::button::Yes)
            startProcedure(c.procedure, c.stack, name);
        break;
    case CommandKind::Trakhand:
        trakhand(c, name);
        break;
    case CommandKind::Backup: {
        const rt::CommandLine cl = rt::resolveCommandLine("SAFKEEP.EXE", frameServices().programFolder());
        if (frameServices()
                .runProgram(
                    cl.program, {"qvldata.tps, qvlalbum.tps, qvlconf.tps, qvlcat.tps, etc."}, collectionFolder())
                .runCode
            != 0)
            showNotAvailableText(
                name + " needs the backup program SAFKEEP, which is not installed beside Quorvel Pro.");
        Refresh();
        break;
    }
    case CommandKind::ReportDesigner: {
        const rt::CommandLine cl = rt::resolveCommandLine("PALDRO", frameServices().programFolder());
        if (frameServices().runProgram(cl.program, cl.args, collectionFolder()).runCode != 0)
            rt::message("Report designer not found.  If you have purchased this add-on, please ensure that it has "
                        "been installed into the same directory as Quorvel Pro",
                "Error", rt::Icon::None, rt::button::Ok);
        break;
    }
    case CommandKind::Help:
        help(c);
        break;
    case CommandKind::WebSite:
        frameServices().openAddress(c.argument);
        break;
    case CommandKind::NewCollection:
        newCollection();
        break;
    case CommandKind::OpenCollection:
        openCollection();
        break;
    }
}

void FrameController::trakhand(const FrameCommand& c, const std::string& name)
{
    if (*c.confirmTitle)
        rt::message(
            "Ensure that the disc is in the CD drive, then press OK.", c.confirmTitle, rt::Icon::None, rt::button::Ok);
    if (c.deleteNewDiscFile)
        if (const auto f = fileInFolder(collectionFolder(), "TRAKHAND.NEW")) {
            std::error_code ec;
            fs::remove(*f, ec);
        }
    if (startTrakhand(trakhandArguments(c.argument)) != 0)
        showNotAvailableText(name + " needs the disc-lookup tool trakhand, which is not installed beside Quorvel Pro.");
}

void FrameController::help(const FrameCommand& c)
{
    showManual(c.argument);
}

void FrameController::newCollection()
{
    const std::string old = collectionFolder();
    rt::MessageSpec ask;
    ask.text = "This option will create a new set of Quorvel databases in a folder.  Create or select a new folder "
               "in which to do this.";
    ask.title = "New Collection";
    ask.custom = "&Proceed|Cancel";
    if (rt::message(ask) != 1)
        return;
    rt::FileDialogSpec spec;
    spec.title = "Select collection folder";
    spec.fileName = "QVLDATA.TPS";
    spec.filter = "QVLDATA.TPS|qvldata.tps";
    spec.save = true;
    spec.keepFolder = true;
    if (!rt::fileDialog(spec))
        return;
    const std::string chosen = chosenCollectionFolder(spec.fileName);
    if (sameFolder(chosen, old) || fileInFolder(chosen, "QVLCONF.TPS")) {
        rt::message("Databases already exist in that folder.", "Error", rt::Icon::None, rt::button::Ok);
        return;
    }
    std::error_code ec;
    fs::create_directories(chosen, ec);
    if (!fs::is_directory(chosen) || ::access(chosen.c_str(), W_OK | X_OK) != 0) {
        rt::message("The folder " + chosen + " cannot be created or used.", "New Collection", rt::Icon::Exclamation);
        return;
    }
    // Each file keeps its spelling, so the tables find it; nothing already
    // in the new folder is overwritten.
    for (const char* name : kNewCollectionFiles)
        if (const auto from = fileInFolder(old, name)) {
            const fs::path to = fs::path(chosen) / fs::path(*from).filename();
            if (!fileInFolder(chosen, fs::path(*from).filename().string()))
                fs::copy_file(*from, to, fs::copy_options::skip_existing, ec);
        }
    SwitchCollection(chosen);
}

void FrameController::openCollection()
{
    rt::FileDialogSpec spec;
    spec.title = "Select collection folder";
    spec.fileName = "QVLDATA.TPS";
    spec.filter = "QVLDATA.TPS|qvldata.tps";
    spec.keepFolder = true;
    if (!rt::fileDialog(spec))
        return;
    const std::string chosen = chosenCollectionFolder(spec.fileName);
    if (sameFolder(chosen, collectionFolder()))
        return;
    if (!fs::is_directory(chosen) || ::access(chosen.c_str(), R_OK | W_OK | X_OK) != 0) {
        rt::message("The folder " + chosen + " cannot be opened.", "Open Collection", rt::Icon::Exclamation);
        return;
    }
    SwitchCollection(chosen);
}

void FrameController::CleanUp()
{
    Globals& g = glo();
    fw::WindowController::CleanUp();
    if (tablesOpen_) {
        closeFrameTables();
        closeConfiguration();
        tablesOpen_ = false;
    }
    if (rt::Scheduler::instance().current() == g.frameThread) {
        g.frameThread = 0;
        g.albumsItem = g.songsItem = g.bothItem = g.labelsItem = g.playListsItem = 0;
    }
    g.frameWindow = nullptr;
    g.frameReady = false;
    std::signal(SIGTERM, oldTerm_);
}

} // namespace

void Main()
{
    FrameController frame;
    frame.Execute();
}

const std::vector<std::string>& defaultMediaFormats()
{
    static const std::vector<std::string> formats{"CD", "LP", "EP", "DVD", "7\" Single", "CD Single",
        "Cassette (Dolby B)", "Cassette (Dolby C)", "Cassette (Dolby S)", "Cassette (DBX)", "Cassette (HX Pro)",
        "Cassette (Prerecorded)", "Other"};
    return formats;
}

void CreateMissingTables()
{
    constexpr int kReadWriteDenyWrite = tables::ReadWrite | tables::DenyWrite; // 34
    for (tables::Table* t : {&dictionary::Album(), &dictionary::Artists(), &dictionary::Media(), &dictionary::Labels(),
             &dictionary::Fonts(), &dictionary::AddWizard(), &dictionary::PlaylistDetails(),
             &dictionary::PlaylistMaster(), &dictionary::Quorvel(), &dictionary::MP3ApprovalList()}) {
        const int rc = t->open(kReadWriteDenyWrite);
        if (rc == 0) {
            t->close();
        } else if (rc == tables::FileNotFound) {
            if (t->create() == 0)
                t->close();
        }
    }
    // Only a missing tip table gets the shipped tips: one copied from
    // another collection keeps what it holds.
    tables::Table& tips = dictionary::QVLTips();
    const int rc = tips.open(kReadWriteDenyWrite);
    if (rc == 0) {
        tips.close();
    } else if (rc == tables::FileNotFound && tips.create() == 0 && tips.open(kReadWriteDenyWrite) == 0) {
        for (const std::string& tip : shippedTips()) {
            tips.record().clear();
            tips.record()["TIP:TIP"] = tip;
            tips.insert();
        }
        tips.close();
    }
}

std::vector<std::string> shippedTips()
{
    std::vector<std::string> out;
    const auto file = rt::ResourceStore::find("qvls", "tips/tips.txt");
    if (!file)
        return out;
    std::string_view rest = *file;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = text::trimRight(rest.substr(0, end), " \r\t");
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.front() != '#')
            out.emplace_back(line);
    }
    return out;
}

std::string collectionPathText(std::string folder)
{
    const std::string sep = "/";
    std::string text(text::trimRight(folder));
    // The home folder reads as "~", as file managers show it.
    if (const char* home = std::getenv("HOME"); home && *home) {
        std::string h = home;
        if (!h.empty() && h.back() == '/')
            h.pop_back();
        if (!h.empty() && text.compare(0, h.size(), h) == 0 && (text.size() == h.size() || text[h.size()] == '/'))
            text = "~" + text.substr(h.size());
    }
    const std::size_t len = text.size();
    if (len <= 40)
        return text;
    // The root ("/" or "~/") stays in front, as a drive did.
    const std::size_t headLen = text.rfind("~/", 0) == 0 ? 2 : 1;
    for (std::size_t i = len - 41; i < len && i < text.size(); ++i) {
        if (text[i] != '/' || i < headLen)
            continue;
        text = text.substr(0, headLen) + "..." + text.substr(i, 41);
    }
    return text;
}

void ShowCollectionPath(rt::Window& frame)
{
    std::string folder = collectionFolder();
    if (folder.size() > 1)
        folder.pop_back();
    frame.setStatusText(2, collectionPathText(folder));
}

std::string clockDateText(int dayNumber)
{
    const int wd = ((dayNumber % 7) + 7) % 7;
    const std::string name(text::trimRight(std::string_view(kWeekdays).substr(wd * 9, 9)));
    return name + ", " + expr::format(expr::Value(dayNumber), "@d17b");
}

std::string clockTimeText(int time)
{
    return expr::format(expr::Value(time), "@t7");
}

bool closeOtherThreads()
{
    rt::Scheduler& s = rt::Scheduler::instance();
    const int self = s.current();
    auto others = [&] {
        std::vector<int> v;
        for (int n = kFirstOtherThread; n <= rt::MaxThreads; ++n)
            if (n != self && s.isRunning(n))
                v.push_back(n);
        return v;
    };
    // A close reaches a thread's top window only: once that window has gone
    // (a form over its list, say), the window now on top is asked in turn.
    std::map<int, const rt::Window*> asked;
    auto askAgain = [&] {
        bool posted = false;
        for (int n : others()) {
            const auto& stack = s.windows(n);
            const auto it = asked.find(n);
            const bool stillThere = it != asked.end()
                && (it->second ? std::find(stack.begin(), stack.end(), it->second) != stack.end() : stack.empty());
            if (stillThere)
                continue; // still closing, or waiting for the user's answer
            asked[n] = stack.empty() ? nullptr : stack.back();
            s.post(n, rt::Event{rt::event::CloseWindow});
            posted = true;
        }
        return posted;
    };
    if (others().empty())
        return true;
    askAgain();
    // Windows close while this thread yields. When no one has anything left
    // to do, whoever is still open waits for the user (a question, a window
    // its close opened), and that is the user's to answer.
    for (int round = 0; round < 1000; ++round) {
        s.yield();
        if (others().empty())
            return true;
        if (!s.hasReady() && !askAgain())
            return false;
    }
    return others().empty();
}

bool SwitchCollection(const std::string& folder)
{
    Globals& g = glo();
    // A damaged file there would end the program once this collection is
    // let go: the user keeps the one open, and its windows, instead.
    if (const auto damaged = dictionary::damagedTableFile(folder.empty() ? collectionFolder() : folder)) {
        rt::message("The collection in " + folder + " cannot be opened: its file " + damaged->path + " is damaged ("
                + damaged->reason + ").|The current collection stays open.",
            "Switch Collection", rt::Icon::Exclamation);
        return false;
    }
    if (!closeOtherThreads()) {
        rt::message("The windows of this collection must be closed before another collection is opened.",
            "Switch Collection", rt::Icon::Exclamation);
        return false;
    }
    closeFrameTables();
    closeConfiguration();
    if (!folder.empty()) {
        std::error_code ec;
        fs::current_path(folder, ec);
        if (ec)
            rt::message("The folder " + folder + " cannot be opened.", "Switch Collection", rt::Icon::Exclamation);
    }
    // The tables' connections belong to the folder they were opened in.
    std::error_code ec;
    dictionary::useCollectionFolder(fs::current_path(ec).string());
    CreateMissingTables();
    openFrameTables();
    OpenTableChecked(dictionary::Configuration());
    LoadSettings();
    rt::Scheduler::instance().yield();
    postStartUpLists(true);
    if (g.frameWindow)
        ShowCollectionPath(*g.frameWindow);
    return true;
}

std::string chosenCollectionFolder(const std::string& choice)
{
    std::string c = rt::toPosixPath(choice);
    const std::string up = text::asciiUpper(c);
    if (const auto at = up.find("/QVLDATA.TPS"); at != std::string::npos)
        c = c.substr(0, at + 1);
    else if (fs::is_regular_file(c))
        c = fs::path(c).parent_path().string();
    else if (up.find(".TPS") != std::string::npos)
        c = c.substr(0, c.rfind('/') + 1);
    if (c.empty())
        c = collectionFolder();
    if (c.back() != '/')
        c += '/';
    return c;
}

void requestEndOfSession()
{
    endOfSession = 1;
}

} // namespace qv::qvls
