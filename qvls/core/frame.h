#pragma once
// The program's frame: the main window on the first thread, inside which
// every other window opens, with its start-up work, the status-bar clock and
// the switch to another collection folder.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "qvls/core/frame_services.h"

namespace qv::rt {
class Window;
}

namespace qv::qvls {

// The frame procedure.
void Main();

// The version the frame records in the settings file.
inline constexpr std::string_view kProgramVersion = "2.61";

// The 13 media formats an empty media table receives, in order.
const std::vector<std::string>& defaultMediaFormats();

// Makes sure the collection's ten working tables exist in the current folder,
// and the tip table, which starts with the shipped tips.
void CreateMissingTables();

// The tips a new tip table receives, in the order they are numbered.
std::vector<std::string> shippedTips();

// What status zone 2 shows for a collection folder: the folder as it is up
// to 40 characters; longer ones keep their root, "..." and the tail from a
// separator on.
std::string collectionPathText(std::string folder);
// Writes the current folder into zone 2 of the frame.
void ShowCollectionPath(rt::Window& frame);

// Zone 3 and zone 4 of the clock for a day number and a time value.
std::string clockDateText(int dayNumber);
std::string clockTimeText(int time);

// Closes every window of the other threads (2..64) and waits until their
// threads have ended. False, with nothing else changed, when a window stays
// open (one waits for the user's answer).
bool closeOtherThreads();

// Closes the other windows, makes folder (empty: the current one) the
// current folder, reopens the tables there and asks the frame for the
// start-up lists. False when refused; the old collection then stays.
bool SwitchCollection(const std::string& folder = {});

// The collection folder a file-dialog choice names: the folder of a chosen
// "qvldata.tps" (any case) or of any existing file, else the choice itself;
// always ending with "/".
std::string chosenCollectionFolder(const std::string& choice);

// A desktop session that ends (SIGTERM, or the session manager) closes the
// frame as File > Exit does. Safe in a signal handler.
void requestEndOfSession();

} // namespace qv::qvls
