#include "qvls/core/frame_commands.h"

#include <array>

namespace qv::qvls {

namespace {

using K = CommandKind;
namespace M = ctl::Main;
constexpr std::size_t S = kThreadStack;
constexpr std::size_t L = kLargeThreadStack;

const FrameCommand kCommands[] = {
    // File
    {M::FileNewCollection, K::NewCollection, "", 0, ""},
    {M::FileOpenCollection, K::OpenCollection, "", 0, ""},
    {M::FileSetup, K::FrameCall, "Setup", 0, ""},
    // Lists
    {M::ListsAlbums, K::AlbumsList, "BrowseAlbums", S, ""},
    {M::ListsSongs, K::SongsList, "BrowseSongs", S, ""},
    {M::ListsBoth, K::NewThread, "BrowseAlbumsAndSongs", L, ""},
    {M::ListsLabels, K::NewThread, "BrowseLabels", S, ""},
    {M::ListsPlayLists, K::NewThread, "BrowsePlayLists", S, ""},
    {M::ListsCategories, K::NewThread, "BrowseCategories", S, ""},
    {M::ListsMedia, K::NewThread, "BrowseMedia", S, ""},
    {M::ListsArtists, K::NewThread, "BrowseArtists", S, ""},
    // Tools
    {M::ToolsCDPlayer, K::NewThread, "IntegratedCDPlayer", S, ""},
    {M::WizardsAddAlbum, K::NewThread, "AlbumWizard", S, ""},
    {M::WizardsAddCDDB, K::NewThread, "CDDBWizard", S, ""},
    {M::WizardsQuickCompilation, K::NewThread, "AddCompilation", S, ""},
    {M::WizardsQuickSingleArtist, K::NewThread, "AddSingleArtist", S, ""},
    {M::WizardsAddLabel, K::NewThread, "LabelWizard", S, ""},
    {M::ToolsScanMP3s, K::NewThread, "BrowseMP3sForApproval", S, ""},
    {M::ToolsRenameMP3s, K::NewThread, "SelectMP3sToRename", S, ""},
    {M::ToolsBackup, K::Backup, "", 0, ""},
    {M::ToolsSetupWizard, K::NewThread, "SetupWizard", S, ""},
    {M::AsciiImport, K::NewThread, "Import", S, ""},
    {M::AsciiExport, K::NewThread, "Export", S, ""},
    {M::DatabaseImport, K::NewThread, "ImportAlbumsSelection", S, ""},
    {M::DatabaseExport, K::NewThread, "ExportAlbumsSelection", S, ""},
    {M::DatabaseCreateAlbums, K::NewThread, "CreateDefaultAlbums", S, ""},
    {M::DatabaseTestIntegrity, K::AskThenThread, "TestAlbumIDs", S, ""},
    {M::DatabaseSideDisc, K::NewThread, "SetAllDiscTo1", S, ""},
    {M::DatabaseAlbumTimes, K::NewThread, "FixAlbumTimes", S, ""},
    {M::DatabaseDeleteAlbums, K::NewThread, "DeleteAlbumsSelection", S, ""},
    {M::DatabaseCheckCategories, K::NewThread, "Process:CheckCategories", S, ""},
    {M::DatabaseDefaultArtists, K::NewThread, "Process:DefaultArtists", S, ""},
    {M::DatabaseDefaultFileNumbers, K::NewThread, "Process:DefaultFileNumbers", S, ""},
    {M::DatabaseAutoCapitalize, K::NewThread, "Process:DefaultCase", S, ""},
    {M::DatabaseUniqueSongs, K::NewThread, "Database:FindUniqueSongs", S, ""},
    {M::OtherRenameFiles, K::NewThread, "RenameWAVMP3Files", S, ""},
    {M::OtherDeleteFiles, K::NewThread, "DeleteWAVMP3Files", S, ""},
    {M::OtherLoadDirectory, K::NewThread, "LoadFromDirectory", S, ""},
    {M::OtherLoadClipboard, K::NewThread, "LoadFromClipboard", S, ""},
    {M::OtherMultipleAlbums, K::NewThread, "ToolMultiCompilationWizard", S, ""},
    {M::OtherSongsToClipboard, K::NewThread, "PutSongsOnClipboard", S, ""},
    {M::OtherExportAlbums, K::NewThread, "ExportAlbumBasic", S, ""},
    {M::OtherCDDB1Submission, K::NewThread, "CDDBSubmissionWizard:FreeDB", S, ""},
    {M::OtherCDDB1Retrieval, K::NewThread, "CDDBWizard:FreeDB", S, ""},
    // Cddb2
    {M::CddbGetDiscInfo, K::NewThread, "CDDBWizard", S, ""},
    {M::CddbExtendedInfo, K::Trakhand, "", 0, "/X", "View Extended Disc Information"},
    {M::SubmitNewDisc, K::Trakhand, "", 0, "/S", "Submit New Disc", true},
    {M::SubmitUpdate, K::Trakhand, "", 0, "/U", "Submit Update to Disc"},
    {M::SubmitFromDatabase, K::NewThread, "CDDBSubmissionWizard", S, ""},
    {M::CddbRegistration, K::Trakhand, "", 0, "/R"},
    {M::CddbProxy, K::Trakhand, "", 0, "/P"},
    {M::CddbOptions, K::Trakhand, "", 0, "/O"},
    {M::CddbAbout, K::Trakhand, "", 0, "/A"},
    {M::CddbWebSite, K::WebSite, "", 0, "https://gnudb.org/"},
    // Reports
    {M::SongReportsArtist, K::NewThread, "PrintSNG:SongsByArtist", L, ""},
    {M::SongReportsTitle, K::NewThread, "PrintSNG:SongsByTitle", L, ""},
    {M::SongReportsAlbum, K::NewThread, "PrintSNG:SongsByAlbum", L, ""},
    {M::SongReportsMedia, K::NewThread, "PrintSNG:SongsByMedia", L, ""},
    {M::SongReportsFileNumber, K::NewThread, "PrintSNG:SongsByFileNumber", S, ""},
    {M::SongReportsCategory, K::NewThread, "PrintSNG:SongsByCategorySelected", S, ""},
    {M::SongReportsBPM, K::NewThread, "PrintSNG:SongsByBPM", S, ""},
    {M::SongReportsCustom, K::NewThread, "PrintSongsCustom", S, ""},
    {M::AlbumReportsArtist, K::NewThread, "PrintAlbumsByArtist", S, ""},
    {M::AlbumReportsAlbum, K::NewThread, "PrintAlbumsByAlbum", S, ""},
    {M::AlbumReportsFileNumber, K::NewThread, "PrintAlbumsByFileNumber", S, ""},
    {M::AlbumReportsCategory, K::NewThread, "PrintAlbumsByCategory", S, ""},
    {M::AlbumReportsWithSongs, K::NewThread, "PrintByFileNumber", S, ""},
    {M::AlbumReportsBinderPages, K::NewThread, "CDBinderPages", S, ""},
    {M::AlbumReportsCustom, K::NewThread, "PrintAlbumsCustom", S, ""},
    {M::PaperSaversArtist, K::NewThread, "PrintSmallSongsByArtist", S, ""},
    {M::PaperSaversTitle, K::NewThread, "PrintSmallSongsByTitle", S, ""},
    {M::ReportsLabels, K::NewThread, "BrowseLabels", S, ""},
    {M::ReportsPlaylists, K::NewThread, "BrowsePlayLists", S, ""},
    {M::ReportsDJLog, K::NewThread, "PrintDJLog", S, ""},
    {M::ReportsDesigner, K::ReportDesigner, "", 0, ""},
    // Help
    {M::HelpContents, K::Help, "", 0, ""},
    {M::HelpIndex, K::Help, "", 0, "index"},
    {M::HelpSearch, K::Help, "", 0, "index"},
    {M::HelpOnHelp, K::Help, "", 0, "using-help"},
    {M::HelpTips, K::FrameCall, "UpdateQVLTips", 0, ""},
    {M::HelpAbout, K::NewThread, "AboutQVL", S, ""},
    // Tool bar
    {M::ToolbarAlbums, K::AlbumsList, "BrowseAlbums", S, ""},
    {M::ToolbarSongs, K::SongsList, "BrowseSongs", S, ""},
    {M::ToolbarLabels, K::NewThread, "BrowseLabels", S, ""},
    {M::ToolbarPlaylists, K::NewThread, "BrowsePlayLists", S, ""},
    {M::ToolbarPlayCD, K::NewThread, "IntegratedCDPlayer", S, ""},
};

} // namespace

std::span<const FrameCommand> frameCommands()
{
    return kCommands;
}

const FrameCommand* findFrameCommand(int control)
{
    for (const FrameCommand& c : kCommands)
        if (c.control.number == control)
            return &c;
    return nullptr;
}

} // namespace qv::qvls
