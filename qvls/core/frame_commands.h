#pragma once
// What the frame's menu items and tool buttons do: one row per control of
// the frame's definition, which alone holds their texts, keys and status
// texts. Items with a standard action (close, cut, tile, ...) are the window
// system's and have no row. The frame dispatches through this table.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace qv::qvls {

enum class CommandKind {
    NewThread,       // procedure started on a new thread with `stack`
    FrameCall,       // procedure called on the frame's own thread
    AlbumsList,      // BrowseAlbums, or BrovexAlbums under the explorer style
    SongsList,       // BrowseSongs, or BrovexSongs
    AskThenThread,   // a Yes/No question first; Yes starts the procedure
    Trakhand,        // the disc-lookup tool with `argument` as its switch
    Backup,          // the backup program, then the frame is refreshed
    ReportDesigner,  // the report-designer add-on; a failed start is reported
    Help,            // the program's manual at the anchor in `argument`
    WebSite,         // the disc-database service's site in the browser
    NewCollection,
    OpenCollection,
};

struct FrameCommand {
    const char* name;       // control name in the frame's definition ("?" left off)
    CommandKind kind;
    const char* procedure;  // for the procedure kinds
    std::size_t stack;      // for NewThread and the list kinds
    const char* argument;   // Trakhand switch, help anchor, web address
    const char* confirmTitle = ""; // Trakhand: "Ensure that the disc..." first, under this title
    bool deleteNewDiscFile = false; // Trakhand /S: ".\TRAKHAND.NEW" goes first
};

inline constexpr std::size_t kThreadStack = 25000;
inline constexpr std::size_t kLargeThreadStack = 50000;

// Every menu item and tool button of the frame, menu items first in menu order.
std::span<const FrameCommand> frameCommands();
const FrameCommand* findFrameCommand(std::string_view name);

// The free-database items (and the separator before them) shown only under "/FREEDB".
inline constexpr std::string_view kFreeDbSeparator = "OtherFreeDbSeparator";
inline constexpr std::string_view kFreeDbSubmission = "OtherCDDB1Submission";
inline constexpr std::string_view kFreeDbRetrieval = "OtherCDDB1Retrieval";

// The Lists items other threads ask the frame to open.
inline constexpr std::string_view kListsAlbums = "ListsAlbums";
inline constexpr std::string_view kListsSongs = "ListsSongs";
inline constexpr std::string_view kListsBoth = "ListsBoth";
inline constexpr std::string_view kListsLabels = "ListsLabels";
inline constexpr std::string_view kListsPlayLists = "ListsPlayLists";

// What the disc-database menu opens; the public server that still speaks
// the open disc-database protocol.
inline constexpr std::string_view kDiscDatabaseSite = "https://gnudb.org/";

} // namespace qv::qvls
