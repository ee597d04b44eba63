#pragma once
// The preferences window and what it shares with the setup wizard: the
// list of CD drives, the list of date formats with the tokens they stand
// for, and controls bound straight to the settings globals.

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/list_source.h"

namespace qv::rt {
class Control;
class Window;
} // namespace qv::rt

namespace qv::qvls {

// ---- date formats

struct DateFormatChoice {
    std::string_view text; // as the list shows it
    std::string_view token; // the DateFormat setting: a picture without its "@"
};
// In list order.
std::span<const DateFormatChoice> dateFormatChoices();
inline constexpr std::string_view kYearOnlyText = "Year Only";
inline constexpr std::string_view kYearOnlyToken = "n4b";

// The text a token stands for; empty when the token is not in the list.
std::string dateTextForToken(std::string_view token);
// The token of a text; nothing when the text is not in the list.
std::optional<std::string> dateTokenForText(std::string_view text);
void fillDateList(rt::ListQueue& list);

// ---- drives

// Rows of drive (two characters, blank for "Default") and type.
void buildDriveList(rt::ListQueue& list);
// The row (1-based) that shows a drive token; 0 when none does.
int driveRowFor(const rt::ListQueue& list, std::string_view token);
// The CDDrive setting a chosen row gives: its token, or blank for "Default".
std::string driveForRow(const rt::ListQueue& list, int row);
// The drive chosen in a drive list control becomes the CD drive setting at once.
void takeChosenDrive(const rt::Control& driveList, const rt::ListQueue& list);
// The four start-up lists are read again from the file; a missing key is 0.
void rereadStartUpLists();
// The settings file's drive pins: (token, device path or TOC file).
std::vector<std::pair<std::string, std::string>> configuredDriveOverrides();

// ---- the Year Only conversion

// Asks whether to convert the release dates to years and, on Yes, runs the
// two conversions. Only when the old format is not Year Only already.
void askYearOnlyConversion();

// Runs procedures of another part of the program on this thread; when one
// does not exist (yet) none runs and the user hears that `what` (the command
// as they know it) is not available, instead of it pretending to have run.
void callHousekeeping(std::initializer_list<std::string_view> procedures, std::string_view what);

// ---- procedures

// The preferences window (runs the setup wizard instead until set-up was
// completed once).
void Setup();

} // namespace qv::qvls
