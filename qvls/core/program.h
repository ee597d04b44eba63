#pragma once
// The first and the last code of the program: the process-wide objects, the
// registration of the collection's tables with the table-file manager, the
// frame on the first thread, and the tear-down in the reverse order.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qv::fw {
class IniStore;
class TextTranslator;
} // namespace qv::fw

namespace qv::qvls {

// A small store that is only prepared at start and released at the end.
struct SettingsStore {
    int QUIETMODE = 0;
    std::string LASTOP, LASTERROR, LASTKEYNAME;
    struct Entry {
        std::string VALUENAME, VALUE;
    };
    std::unique_ptr<std::vector<Entry>> values;

    void Prepare();
    void Release();
    bool prepared() const { return values != nullptr; }
};

SettingsStore& settingsStore();
fw::IniStore& positionStore(); // PositionStore on ".\POSITION.INI"
fw::TextTranslator& appTranslator(); // AppTranslator, handed to every window

inline constexpr std::string_view kHelpFile = "QVL.HLP";
// The help file named for the window system's help ("" before the program body).
const std::string& helpFile();

// "/NOMOUSE" and "/FREEDB" count anywhere on the command line, in any case.
struct Switches {
    bool noMouse = false;
    bool freeDb = false;
};
Switches readSwitches(std::string_view commandLine);
// The arguments after the program path, joined by blanks.
std::string commandLineOf(int argc, char** argv);

// The 18 tables registered with the table-file manager, in their order.
struct TableRegistration {
    std::string_view label, prefix;
    int version;
};
const std::vector<TableRegistration>& tableRegistrations();
// Registers them once per process; later calls do nothing. True when this call did it.
bool registerTables();
bool tablesRegistered();

void ProgramBody();
// The frame procedure ProgramBody calls: Main; tests put their own in its place.
std::function<void()>& frameProcedure();

// Runs the program's first thread on a host and answers the host's exit code.
using HostRunner = std::function<int(std::function<void()> firstThread)>;
// Initialises the globals, reads the switches, runs ProgramBody on the host's first
// thread and frees the per-thread globals. Exit code 0 (a first thread that ended by
// an uncaught exception keeps the host's code, so a crash is not reported as success).
int ProgramEntry(int argc, char** argv, const HostRunner& runHost);

// Work a subsystem gives the program body for its tear-down: run in the order
// added, after the settings store is released and before the dictionary
// goes. A step added again under its name replaces the first.
void addTearDownStep(std::string name, std::function<void()> run);

// The steps of the last ProgramBody, set-up and tear-down, as they ran.
const std::vector<std::string>& programSteps();

} // namespace qv::qvls
