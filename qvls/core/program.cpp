#include "qvls/core/program.h"

#include <algorithm>
#include <filesystem>

#include "platform/framework/error_reporter.h"
#include "platform/framework/handover.h"
#include "platform/framework/ini_store.h"
#include "platform/framework/list_window.h"
#include "platform/framework/lock_wait.h"
#include "platform/framework/text_translator.h"
#include "platform/outside/file_manager.h"
#include "platform/outside/report_designer.h"
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
    static const std::vector<TableRegistration> r{
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

void ProgramBody()
{
    steps().clear();
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
    const int hostCode = runHost([] { ProgramBody(); });
    freeModuleData();
    return hostCode;
}

} // namespace qv::qvls
