#include "qvls/core/frame_commands.h"

#include <array>

#include "platform/runtime/paths.h"

namespace qv::qvls {

namespace {

using K = CommandKind;
constexpr std::size_t S = kThreadStack;
constexpr std::size_t L = kLargeThreadStack;

const FrameCommand kCommands[] = {
    // File
    {"FileNewCollection", K::NewCollection, "", 0, ""},
    {"FileOpenCollection", K::OpenCollection, "", 0, ""},
    {"FileSetup", K::FrameCall, "Setup", 0, ""},
    // Lists
    {"ListsAlbums", K::AlbumsList, "BrowseAlbums", S, ""},
    {"ListsSongs", K::SongsList, "BrowseSongs", S, ""},
    {"ListsBoth", K::NewThread, "BrowseAlbumsAndSongs", L, ""},
    {"ListsLabels", K::NewThread, "BrowseLabels", S, ""},
    {"ListsPlayLists", K::NewThread, "BrowsePlayLists", S, ""},
    {"ListsCategories", K::NewThread, "BrowseCategories", S, ""},
    {"ListsMedia", K::NewThread, "BrowseMedia", S, ""},
    {"ListsArtists", K::NewThread, "BrowseArtists", S, ""},
    // Tools
    {"ToolsCDPlayer", K::NewThread, "IntegratedCDPlayer", S, ""},
    {"WizardsAddAlbum", K::NewThread, "AlbumWizard", S, ""},
    {"WizardsAddCDDB", K::NewThread, "CDDBWizard", S, ""},
    {"WizardsQuickCompilation", K::NewThread, "AddCompilation", S, ""},
    {"WizardsQuickSingleArtist", K::NewThread, "AddSingleArtist", S, ""},
    {"WizardsAddLabel", K::NewThread, "LabelWizard", S, ""},
    {"ToolsScanMP3s", K::NewThread, "BrowseMP3sForApproval", S, ""},
    {"ToolsRenameMP3s", K::NewThread, "SelectMP3sToRename", S, ""},
    {"ToolsBackup", K::Backup, "", 0, ""},
    {"ToolsSetupWizard", K::NewThread, "SetupWizard", S, ""},
    {"AsciiImport", K::NewThread, "Import", S, ""},
    {"AsciiExport", K::NewThread, "Export", S, ""},
    {"DatabaseImport", K::NewThread,
     "ImportAlbumsSelection", S, ""},
    {"DatabaseExport", K::NewThread,
     "ExportAlbumsSelection", S, ""},
    {"DatabaseCreateAlbums", K::NewThread, "CreateDefaultAlbums", S, ""},
    {"DatabaseTestIntegrity", K::AskThenThread, "TestAlbumIDs", S, ""},
    {"DatabaseSideDisc", K::NewThread,
     "SetAllDiscTo1", S, ""},
    {"DatabaseAlbumTimes", K::NewThread, "FixAlbumTimes",
     S, ""},
    {"DatabaseDeleteAlbums", K::NewThread,
     "DeleteAlbumsSelection", S, ""},
    {"DatabaseCheckCategories", K::NewThread, "Process:CheckCategories", S, ""},
    {"DatabaseDefaultArtists", K::NewThread, "Process:DefaultArtists", S,
     ""},
    {"DatabaseDefaultFileNumbers", K::NewThread, "Process:DefaultFileNumbers",
     S, ""},
    {"DatabaseAutoCapitalize", K::NewThread, "Process:DefaultCase", S, ""},
    {"DatabaseUniqueSongs", K::NewThread, "Database:FindUniqueSongs",
     S, ""},
    {"OtherRenameFiles", K::NewThread,
     "RenameWAVMP3Files", S, ""},
    {"OtherDeleteFiles", K::NewThread, "DeleteWAVMP3Files", S, ""},
    {"OtherLoadDirectory", K::NewThread, "LoadFromDirectory", S, ""},
    {"OtherLoadClipboard", K::NewThread, "LoadFromClipboard", S, ""},
    {"OtherMultipleAlbums", K::NewThread, "ToolMultiCompilationWizard", S,
     ""},
    {"OtherSongsToClipboard", K::NewThread, "PutSongsOnClipboard", S, ""},
    {"OtherExportAlbums", K::NewThread, "ExportAlbumBasic", S, ""},
    {"OtherCDDB1Submission", K::NewThread,
     "CDDBSubmissionWizard:FreeDB", S, ""},
    {"OtherCDDB1Retrieval", K::NewThread, "CDDBWizard:FreeDB", S, ""},
    // Cddb2
    {"CddbGetDiscInfo", K::NewThread,
     "CDDBWizard", S, ""},
    {"CddbExtendedInfo", K::Trakhand, "", 0, "/X", "View Extended Disc Information"},
    {"SubmitNewDisc", K::Trakhand, "", 0, "/S",
     "Submit New Disc", true},
    {"SubmitUpdate", K::Trakhand, "",
     0, "/U", "Submit Update to Disc"},
    {"SubmitFromDatabase", K::NewThread, "CDDBSubmissionWizard",
     S, ""},
    {"CddbRegistration", K::Trakhand, "", 0,
     "/R"},
    {"CddbProxy", K::Trakhand, "", 0, "/P"},
    {"CddbOptions", K::Trakhand, "", 0, "/O"},
    {"CddbAbout", K::Trakhand, "", 0, "/A"},
    {"CddbWebSite", K::WebSite, "", 0,
     "https://gnudb.org/"},
    // Reports
    {"SongReportsArtist", K::NewThread,
     "PrintSNG:SongsByArtist", L, ""},
    {"SongReportsTitle", K::NewThread, "PrintSNG:SongsByTitle", L,
     ""},
    {"SongReportsAlbum", K::NewThread, "PrintSNG:SongsByAlbum", L,
     ""},
    {"SongReportsMedia", K::NewThread, "PrintSNG:SongsByMedia", L,
     ""},
    {"SongReportsFileNumber", K::NewThread,
     "PrintSNG:SongsByFileNumber", S, ""},
    {"SongReportsCategory", K::NewThread,
     "PrintSNG:SongsByCategorySelected", S, ""},
    {"SongReportsBPM", K::NewThread, "PrintSNG:SongsByBPM", S, ""},
    {"SongReportsCustom", K::NewThread, "PrintSongsCustom", S,
     ""},
    {"AlbumReportsArtist", K::NewThread, "PrintAlbumsByArtist", S,
     ""},
    {"AlbumReportsAlbum", K::NewThread, "PrintAlbumsByAlbum", S, ""},
    {"AlbumReportsFileNumber", K::NewThread,
     "PrintAlbumsByFileNumber", S, ""},
    {"AlbumReportsCategory", K::NewThread, "PrintAlbumsByCategory", S, ""},
    {"AlbumReportsWithSongs", K::NewThread,
     "PrintByFileNumber", S, ""},
    {"AlbumReportsBinderPages", K::NewThread, "CDBinderPages",
     S, ""},
    {"AlbumReportsCustom", K::NewThread, "PrintAlbumsCustom",
     S, ""},
    {"PaperSaversArtist", K::NewThread, "PrintSmallSongsByArtist", S, ""},
    {"PaperSaversTitle", K::NewThread, "PrintSmallSongsByTitle", S, ""},
    {"ReportsLabels", K::NewThread, "BrowseLabels", S, ""},
    {"ReportsPlaylists", K::NewThread, "BrowsePlayLists", S, ""},
    {"ReportsDJLog", K::NewThread, "PrintDJLog", S, ""},
    {"ReportsDesigner", K::ReportDesigner, "", 0, ""},
    // Help
    {"HelpContents", K::Help, "", 0, ""},
    {"HelpIndex", K::Help, "", 0, "index"},
    {"HelpSearch", K::Help, "", 0, "index"},
    {"HelpOnHelp", K::Help, "", 0, "using-help"},
    {"HelpTips", K::FrameCall, "UpdateQVLTips", 0, ""},
    {"HelpAbout", K::NewThread, "AboutQVL", S, ""},
    // Tool bar
    {"ToolbarAlbums", K::AlbumsList, "BrowseAlbums", S, ""},
    {"ToolbarSongs", K::SongsList, "BrowseSongs", S, ""},
    {"ToolbarLabels", K::NewThread, "BrowseLabels", S, ""},
    {"ToolbarPlaylists", K::NewThread, "BrowsePlayLists", S, ""},
    {"ToolbarPlayCD", K::NewThread, "IntegratedCDPlayer", S, ""},
};

} // namespace

std::span<const FrameCommand> frameCommands()
{
    return kCommands;
}

const FrameCommand* findFrameCommand(std::string_view name)
{
    if (!name.empty() && name.front() == '?')
        name.remove_prefix(1);
    for (const FrameCommand& c : kCommands)
        if (rt::equalsNoCase(c.name, name))
            return &c;
    return nullptr;
}

} // namespace qv::qvls
