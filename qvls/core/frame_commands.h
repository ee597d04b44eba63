#pragma once
// What the frame's menu items and tool buttons do: one row per control of
// the frame's definition, which alone holds their texts, keys and status
// texts. Items with a standard action (close, cut, tile, ...) are the window
// system's and have no row. The frame dispatches through this table.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "qvls/windows/Main.h"

namespace qv::qvls {

enum class CommandKind {
    NewThread, // procedure started on a new thread with `stack`
    FrameCall, // procedure called on the frame's own thread
    AlbumsList, // BrowseAlbums, or BrovexAlbums under the explorer style
    SongsList, // BrowseSongs, or BrovexSongs
    AskThenThread, // a Yes/No question first; Yes starts the procedure
    Trakhand, // the disc-lookup tool with `argument` as its switch
    Backup, // the backup program, then the frame is refreshed
    ReportDesigner, // the report-designer add-on; a failed start is reported
    Help, // the program's manual at the anchor in `argument`
    WebSite, // the disc-database service's site in the browser
    NewCollection,
    OpenCollection,
};

struct FrameCommand {
    rt::ControlId control; // the item or button of the frame's definition
    CommandKind kind;
    const char* procedure; // for the procedure kinds
    std::size_t stack; // for NewThread and the list kinds
    const char* argument; // Trakhand switch, help anchor, web address
    const char* confirmTitle = ""; // Trakhand: "Ensure that the disc..." first, under this title
    bool deleteNewDiscFile = false; // Trakhand /S: ".\TRAKHAND.NEW" goes first
};

inline constexpr std::size_t kThreadStack = 25000;
inline constexpr std::size_t kLargeThreadStack = 50000;

// Every menu item and tool button of the frame, menu items first in menu order.
std::span<const FrameCommand> frameCommands();
// The command of a control of the frame; nullptr for none.
const FrameCommand* findFrameCommand(int control);

// What the disc-database menu opens; the public server that still speaks
// the open disc-database protocol.
inline constexpr std::string_view kDiscDatabaseSite = "https://gnudb.org/";

} // namespace qv::qvls
