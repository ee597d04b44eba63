#include "qvls/core/program.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include <unistd.h>

#include "platform/framework/error_reporter.h"
#include "platform/framework/handover.h"
#include "platform/framework/ini_store.h"
#include "platform/framework/list_window.h"
#include "platform/framework/lock_wait.h"
#include "platform/framework/text_translator.h"
#include "platform/outside/file_manager.h"
#include "platform/outside/report_designer.h"
#include "platform/runtime/dialogs.h"
#include "platform/text/case.h"
#include "qvls/core/frame.h"
#include "qvls/core/globals.h"
#include "qvls/core/outside_texts.h"
#include "qvls/core/placement.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {

std::string& helpFileName()
{
    static std::string name;
    return name;
}

bool& registeredFlag()
{
    static bool flag = false;
    return flag;
}

std::vector<std::string>& steps()
{
    static std::vector<std::string> s;
    return s;
}

struct TearDownStep {
    std::string name;
    std::function<void()> run;
};
std::vector<TearDownStep>& tearDownSteps()
{
    static std::vector<TearDownStep> s;
    return s;
}

void step(std::string name)
{
    steps().push_back(std::move(name));
}

// The main module's initialiser: blank texts, zero numbers, the settings' first values,
// cleared record buffers.
void initialiseModuleData()
{
    glo() = Globals{};
    settings() = Settings{};
    fw::handover() = fw::Handover{};
    fw::ListWindow::forgetSingleInstances();
    for (qv::tables::Table* t : dictionary::allTables())
        t->record().clear();
    auto& perThread = threadGlobals();
    for (int t = 0; t <= rt::MaxThreads; ++t)
        perThread.of(t) = ThreadGlobals{};
}

void freeModuleData()
{
    fw::ListWindow::forgetSingleInstances();
    auto& perThread = threadGlobals();
    for (int t = 0; t <= rt::MaxThreads; ++t)
        perThread.of(t) = ThreadGlobals{};
}

} // namespace

void SettingsStore::Prepare()
{
    QUIETMODE = 1;
    values = std::make_unique<std::vector<Entry>>();
}

void SettingsStore::Release()
{
    values.reset();
}

SettingsStore& settingsStore()
{
    static SettingsStore store;
    return store;
}

fw::IniStore& positionStore()
{
    static fw::IniStore store;
    return store;
}

fw::TextTranslator& appTranslator()
{
    static fw::TextTranslator translator;
    return translator;
}

const std::string& helpFile()
{
    return helpFileName();
}

Switches readSwitches(std::string_view commandLine)
{
    const std::string line = text::asciiUpper(commandLine);
    return {line.find("/NOMOUSE") != std::string::npos, line.find("/FREEDB") != std::string::npos};
}

std::string commandLineOf(int argc, char** argv)
{
    // The program's own path is left out: a Linux path is full of "/" and could
    // name a folder "freedb".
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

const std::vector<TableRegistration>& tableRegistrations()
{
    // The order the table-file manager lists them in; their prefixes and
    // registered versions are the dictionary's.
    static const std::vector<TableRegistration> r = [] {
        std::vector<TableRegistration> out;
        for (std::string_view label : {"AddWizard", "Album", "AlbumDetails", "Artists", "Categories", "Configuration",
                 "Fonts", "ImportAlbums", "ImportSongs", "Labels", "QVLTips", "MP3ApprovalList", "MP3FolderList",
                 "Media", "Quorvel", "PlaylistDetails", "PlaylistMaster", "SongDetails"})
            out.push_back({label, dictionary::table(label)->def().prefix, schema::registeredVersion(label)});
        return out;
    }();
    return r;
}

bool registerTables()
{
    if (registeredFlag())
        return false;
    registeredFlag() = true;
    outside::ds_AddDriver("Tps");
    outside::ds_IgnoreDriver("AllFiles", 1);
    for (const TableRegistration& r : tableRegistrations())
        if (qv::tables::Table* t = dictionary::table(r.label))
            outside::ds_UsingFile(*t, r.prefix, r.label, r.version);
    return true;
}

bool tablesRegistered()
{
    return registeredFlag();
}

const std::vector<std::string>& programSteps()
{
    return steps();
}

void addTearDownStep(std::string name, std::function<void()> run)
{
    for (TearDownStep& t : tearDownSteps())
        if (t.name == name) {
            t.run = std::move(run);
            return;
        }
    tearDownSteps().push_back({std::move(name), std::move(run)});
}

std::function<void()>& frameProcedure()
{
    static std::function<void()> frame = [] { Main(); };
    return frame;
}

namespace {

int& bodyExitCode()
{
    static int code = 0;
    return code;
}

// Why the program cannot write in a folder, in the system's words; nothing
// when it can. Tried for real: permissions alone do not tell (a read-only
// file system, a full disk, an administrator who may write anywhere).
std::optional<std::string> cannotWrite(const std::string& folder)
{
    std::string probe = folder + "/.qvwrite-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return std::string(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.c_str());
    return std::nullopt;
}

} // namespace

void ProgramBody()
{
    steps().clear();
    // Every table of the collection lives in the folder the program starts
    // in: one it cannot write is said once, plainly, before anything opens.
    const std::string folder = std::filesystem::current_path().string();
    if (const auto reason = cannotWrite(folder)) {
        const std::string text = "Quorvel Pro cannot write in the collection folder " + folder + " (" + *reason
            + ").|Quorvel Pro keeps the collection in the folder it is started in: start it in a folder you may "
              "write to.";
        std::string lines = text;
        std::replace(lines.begin(), lines.end(), '|', '\n');
        std::fprintf(stderr, "%s\n", lines.c_str());
        rt::message(text, "Quorvel Pro", rt::Icon::Hand);
        bodyExitCode() = 1;
        return;
    }
    helpFileName() = std::string(kHelpFile);
    step("help file");
    fw::appErrorReporter().setSilent(false);
    step("AppErrorReporter");
    appTranslator().clear();
    step("AppTranslator");
    positionStore().init(kPositionFile);
    step("PositionStore");
    dictionary::InitDictionary();
    // The collection folder is the current folder while the program runs.
    dictionary::useCollectionFolder(std::filesystem::current_path().string());
    step("InitDictionary");
    if (registerTables())
        step("register tables");
    settingsStore().Prepare();
    step("SettingsStore");
    outside::REPWIZINIT("", 1);
    step("REPWIZINIT");
    SetQueryWizardTexts();
    step("SetQueryWizardTexts");

    step("Main");
    if (const auto frame = frameProcedure())
        frame();

    positionStore().kill();
    step("release PositionStore");
    settingsStore().Release();
    step("release SettingsStore");
    for (const TearDownStep& t : tearDownSteps()) {
        t.run();
        step(t.name);
    }
    dictionary::KillDictionary();
    step("KillDictionary");
    appTranslator().clear();
    step("release AppTranslator");
    step("release AppErrorReporter");
}

int ProgramEntry(int argc, char** argv, const HostRunner& runHost)
{
    initialiseModuleData();
    // A table locked by another program must not freeze the windows while it is waited for.
    fw::waitForLocksOnThreads();
    reportIniFaults();
    const Switches s = readSwitches(commandLineOf(argc, argv));
    glo().noMouse = s.noMouse;
    glo().freeDb = s.freeDb;
    bodyExitCode() = 0;
    const int hostCode = runHost([] { ProgramBody(); });
    freeModuleData();
    return hostCode != 0 ? hostCode : bodyExitCode();
}

} // namespace qv::qvls
