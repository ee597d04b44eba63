#include "qvls/core/frame_commands.h"

#include <array>

#include "platform/text/case.h"

namespace qv::qvls {

namespace {

using K = CommandKind;
constexpr std::size_t S = kThreadStack;
constexpr std::size_t L = kLargeThreadStack;

const FrameCommand kCommands[] = {
    // File
    {"FileNewCollection", "&New Collection", "CtrlN", "Create a new database", K::NewCollection, "", 0, ""},
    {"FileOpenCollection", "&Open Collection", "CtrlO", "Open an existing database", K::OpenCollection, "", 0, ""},
    {"FileSetup", "&Setup", "F10", "Options and settings", K::FrameCall, "Setup", 0, ""},
    {"FilePrintSetup", "&Print Setup ...", "", "Setup printer", K::Standard, "", 0, "printsetup"},
    {"FileExit", "E&xit", "", "Exit this application", K::Standard, "", 0, "close"},
    // Edit
    {"EditCut", "Cu&t", "", "Remove item to Windows Clipboard", K::Standard, "", 0, "cut"},
    {"EditCopy", "&Copy", "", "Copy item to Windows Clipboard", K::Standard, "", 0, "copy"},
    {"EditPaste", "&Paste", "", "Paste contents of Windows Clipboard", K::Standard, "", 0, "paste"},
    // Lists
    {"ListsAlbums", "&Albums", "CtrlA", "Browse albums", K::AlbumsList, "BrowseAlbums", S, ""},
    {"ListsSongs", "&Songs", "CtrlS", "Browse songs", K::SongsList, "BrowseSongs", S, ""},
    {"ListsBoth", "&Both", "CtrlB", "Browse albums and linked songs", K::NewThread, "BrowseAlbumsAndSongs", L, ""},
    {"ListsLabels", "&Labels", "", "", K::NewThread, "BrowseLabels", S, ""},
    {"ListsPlayLists", "&Play Lists", "", "", K::NewThread, "BrowsePlayLists", S, ""},
    {"ListsCategories", "&Categories", "", "", K::NewThread, "BrowseCategories", S, ""},
    {"ListsMedia", "&Media Formats", "", "Browse media formats", K::NewThread, "BrowseMedia", S, ""},
    {"ListsArtists", "A&rtists", "", "Browse artists", K::NewThread, "BrowseArtists", S, ""},
    // Tools
    {"ToolsCDPlayer", "&CD Player", "CtrlShiftP", "Start the CD Player", K::NewThread, "IntegratedCDPlayer", S, ""},
    {"WizardsAddAlbum", "Add &Album", "F2", "Add an Album", K::NewThread, "AlbumWizard", S, ""},
    {"WizardsAddCDDB", "Add &CD using CDDB", "F3", "Add CD using CDDB Internet access", K::NewThread, "CDDBWizard", S, ""},
    {"WizardsQuickCompilation", "&Quick Compilation", "F4", "", K::NewThread, "AddCompilation", S, ""},
    {"WizardsQuickSingleArtist", "Quick &Single Artist Album", "F6", "", K::NewThread, "AddSingleArtist", S, ""},
    {"WizardsAddLabel", "Add &Label", "CtrlShiftL", "", K::NewThread, "LabelWizard", S, ""},
    {"ToolsScanMP3s", "Scan for MP3s", "", "Scan folder for MP3s", K::NewThread, "BrowseMP3sForApproval", S, ""},
    {"ToolsRenameMP3s", "Rename MP3s", "", "Rename MP3s", K::NewThread, "SelectMP3sToRename", S, ""},
    {"ToolsBackup", "&Backup/Restore", "CtrlShiftB", "Launch Backup/Restore Module", K::Backup, "", 0, ""},
    {"ToolsSetupWizard", "Setup &Wizard", "", "Call Setup Wizard", K::NewThread, "SetupWizard", S, ""},
    {"AsciiImport", "&Import", "", "Import from a comma-delimited file", K::NewThread, "Import", S, ""},
    {"AsciiExport", "&Export", "", "Export to a comma-delimited file", K::NewThread, "Export", S, ""},
    {"DatabaseImport", "&Import", "CtrlShiftI", "Import from a Quorvel database in another directory", K::NewThread,
     "ImportAlbumsSelection", S, ""},
    {"DatabaseExport", "&Export", "", "Export to a Quorvel database in another directory", K::NewThread,
     "ExportAlbumsSelection", S, ""},
    {"DatabaseCreateAlbums", "&Create Album Database from Song Database", "",
     "Create album database from songs database", K::NewThread, "CreateDefaultAlbums", S, ""},
    {"DatabaseTestIntegrity", "&Test Album Database Integrity", "", "Test links between album and song databases",
     K::AskThenThread, "TestAlbumIDs", S, ""},
    {"DatabaseSideDisc", "&Set All Side/Disc 0 to 1", "", "Set all side/disc #0 to #1", K::NewThread,
     "SetAllDiscTo1", S, ""},
    {"DatabaseAlbumTimes", "Calculate Album Times", "", "Fix album times that are 0", K::NewThread, "FixAlbumTimes",
     S, ""},
    {"DatabaseDeleteAlbums", "&Delete Range of Albums", "", "Delete albums, en masse", K::NewThread,
     "DeleteAlbumsSelection", S, ""},
    {"DatabaseCheckCategories", "Check Category Integrity", "", "", K::NewThread, "Process:CheckCategories", S, ""},
    {"DatabaseDefaultArtists", "Create Default Artists Database", "", "", K::NewThread, "Process:DefaultArtists", S,
     ""},
    {"DatabaseDefaultFileNumbers", "Create Default File Numbers", "", "", K::NewThread, "Process:DefaultFileNumbers",
     S, ""},
    {"DatabaseAutoCapitalize", "Auto-capitalize", "", "", K::NewThread, "Process:DefaultCase", S, ""},
    {"DatabaseUniqueSongs", "Find Unique Songs", "",
     "Compare two databases and create a third database of unique songs", K::NewThread, "Database:FindUniqueSongs",
     S, ""},
    {"OtherRenameFiles", "&Rename WAV/MP3 files using File Number", "CtrlShiftR",
     "Rename files in a directory with a file name based on File Number-Track Number", K::NewThread,
     "RenameWAVMP3Files", S, ""},
    {"OtherDeleteFiles", "&Delete WAV/MP3 files", "CtrlShiftD", "Delete WAV/MP3 files that exist in the database",
     K::NewThread, "DeleteWAVMP3Files", S, ""},
    {"OtherLoadDirectory", "&Load Album Data from Directory", "", "Import a directory of WAV/MP3 files as an Album",
     K::NewThread, "LoadFromDirectory", S, ""},
    {"OtherLoadClipboard", "Load Album Data from &Clipboard", "",
     "Load artist and title information from the clipboard", K::NewThread, "LoadFromClipboard", S, ""},
    {"OtherMultipleAlbums", "Import Multiple Albums", "CtrlShiftM",
     "Load multiple albums from clipboard, text file, or CL5 file", K::NewThread, "ToolMultiCompilationWizard", S,
     ""},
    {"OtherSongsToClipboard", "&Put Song List for Album on Clipboard", "",
     "Select an album, place song information on clipboard", K::NewThread, "PutSongsOnClipboard", S, ""},
    {"OtherExportAlbums", "Export Album Database", "", "", K::NewThread, "ExportAlbumBasic", S, ""},
    {"OtherCDDB1Submission", "CDDB1 Submission", "CtrlShift8", "CDDB1 Submission", K::NewThread,
     "CDDBSubmissionWizard:FreeDB", S, ""},
    {"OtherCDDB1Retrieval", "CDDB1 Retrieval", "CtrlShift9", "", K::NewThread, "CDDBWizard:FreeDB", S, ""},
    // Cddb2
    {"CddbGetDiscInfo", "&Get Disc Info", "CtrlShift1", "Retrieve CD info from the internet", K::NewThread,
     "CDDBWizard", S, ""},
    {"CddbExtendedInfo", "&View Extended Information", "CtrlShift2", "Extended information about current CD",
     K::Trakhand, "", 0, "/X", "View Extended Disc Information"},
    {"SubmitNewDisc", "&New Disc", "CtrlShift3", "Submit album information to CDDB ", K::Trakhand, "", 0, "/S",
     "Submit New Disc", true},
    {"SubmitUpdate", "&Update to Disc", "CtrlShift4", "Submit an update to a disc already in CDDB", K::Trakhand, "",
     0, "/U", "Submit Update to Disc"},
    {"SubmitFromDatabase", "&From Database", "CtrlShift5",
     "Submit disc that already has information in the Quorvel Pro database", K::NewThread, "CDDBSubmissionWizard",
     S, ""},
    {"CddbRegistration", "&User Registration/Information", "CtrlShift6", "Enter CDDB user name", K::Trakhand, "", 0,
     "/R"},
    {"CddbProxy", "&Set Proxy Information", "", "Set proxy information", K::Trakhand, "", 0, "/P"},
    {"CddbOptions", "&Options", "", "Standard CDDB Control Setup", K::Trakhand, "", 0, "/O"},
    {"CddbAbout", "&About CDDB", "", "CDDB Control Version Information", K::Trakhand, "", 0, "/A"},
    {"CddbWebSite", "&Visit CDDB Web Site", "", "Visit gnudb.org, the disc database on the web", K::WebSite, "", 0,
     "https://gnudb.org/"},
    // Reports
    {"SongReportsArtist", "By &Artist", "", "Print ordered by Songs By Artist", K::NewThread,
     "PrintSNG:SongsByArtist", L, ""},
    {"SongReportsTitle", "By &Title", "", "Print ordered by Songs By Title", K::NewThread, "PrintSNG:SongsByTitle", L,
     ""},
    {"SongReportsAlbum", "By A&lbum", "", "Print ordered by Songs By Album", K::NewThread, "PrintSNG:SongsByAlbum", L,
     ""},
    {"SongReportsMedia", "By &Media", "", "Print ordered by Songs By Media", K::NewThread, "PrintSNG:SongsByMedia", L,
     ""},
    {"SongReportsFileNumber", "By &File Number", "", "Print ordered by Songs By File Number", K::NewThread,
     "PrintSNG:SongsByFileNumber", S, ""},
    {"SongReportsCategory", "By &Category", "", "Print ordered by Songs By Category", K::NewThread,
     "PrintSNG:SongsByCategorySelected", S, ""},
    {"SongReportsBPM", "By &BPM", "", "Songs by Beats Per Minute", K::NewThread, "PrintSNG:SongsByBPM", S, ""},
    {"SongReportsCustom", "Custom Report &Wizard", "", "Report Wizard:  Songs", K::NewThread, "PrintSongsCustom", S,
     ""},
    {"AlbumReportsArtist", "By &Artist", "", "Print List of Albums by Artist", K::NewThread, "PrintAlbumsByArtist", S,
     ""},
    {"AlbumReportsAlbum", "By A&lbum", "", "Print List of Albums", K::NewThread, "PrintAlbumsByAlbum", S, ""},
    {"AlbumReportsFileNumber", "By &File Number", "", "Print List of Albums by File Number", K::NewThread,
     "PrintAlbumsByFileNumber", S, ""},
    {"AlbumReportsCategory", "By &Category", "", "", K::NewThread, "PrintAlbumsByCategory", S, ""},
    {"AlbumReportsWithSongs", "&Albums with Songs", "", "Albums with Songs, File Number Order", K::NewThread,
     "PrintByFileNumber", S, ""},
    {"AlbumReportsBinderPages", "CD Binder Pages", "", "Print 4 per page CD listings", K::NewThread, "CDBinderPages",
     S, ""},
    {"AlbumReportsCustom", "Custom Report &Wizard", "", "Report Wizard:  Albums", K::NewThread, "PrintAlbumsCustom",
     S, ""},
    {"PaperSaversArtist", "By &Artist", "", "", K::NewThread, "PrintSmallSongsByArtist", S, ""},
    {"PaperSaversTitle", "By &Title", "", "", K::NewThread, "PrintSmallSongsByTitle", S, ""},
    {"ReportsLabels", "&Labels", "", "Design and Print CD and Cassette Labels", K::NewThread, "BrowseLabels", S, ""},
    {"ReportsPlaylists", "&Playlists", "", "", K::NewThread, "BrowsePlayLists", S, ""},
    {"ReportsDJLog", "&DJ Log", "", "Log ordered by Artist and Title", K::NewThread, "PrintDJLog", S, ""},
    {"ReportsDesigner", "Advanced &Report Designer", "", "Call report designer", K::ReportDesigner, "", 0, ""},
    // Window
    {"WindowTile", "T&ile", "", "Make all open windows visible", K::Standard, "", 0, "tile"},
    {"WindowCascade", "&Cascade", "", "Stack all open windows", K::Standard, "", 0, "cascade"},
    {"WindowArrange", "&Arrange Icons", "", "Align all window icons", K::Standard, "", 0, "arrange"},
    // Help
    {"HelpContents", "&Contents", "", "View the contents of the help file", K::Help, "", 0, ""},
    {"HelpIndex", "&Index", "", "View the index of the help file", K::Help, "", 0, "index"},
    {"HelpSearch", "&Search for Help On...", "", "Search for help on a subject", K::Help, "", 0, "index"},
    {"HelpOnHelp", "&How to Use Help", "", "How to use Windows Help", K::Help, "", 0, "using-help"},
    {"HelpTips", "&Tips", "", "View Tip of the Day", K::FrameCall, "UpdateQVLTips", 0, ""},
    {"HelpAbout", "&About", "", "Help About This Program", K::NewThread, "AboutQVL", S, ""},
    // Tool bar
    {"ToolbarAlbums", "Albums", "", "Browse albums", K::AlbumsList, "BrowseAlbums", S, ""},
    {"ToolbarSongs", "Songs", "", "Browse songs", K::SongsList, "BrowseSongs", S, ""},
    {"ToolbarLabels", "Labels", "", "Design and Print CD and Cassette Labels", K::NewThread, "BrowseLabels", S, ""},
    {"ToolbarPlaylists", "Playlists", "", "Browse play lists", K::NewThread, "BrowsePlayLists", S, ""},
    {"ToolbarPlayCD", "Play CD", "", "Start the CD Player", K::NewThread, "IntegratedCDPlayer", S, ""},
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
        if (text::equalsNoCase(c.name, name))
            return &c;
    return nullptr;
}

} // namespace qv::qvls
