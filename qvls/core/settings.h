#pragma once
// The user's preferences: section "Settings" of the collection's settings
// file, one global per key (each member bears its key's name), plus the
// sections "Global Settings" and "Album" that other windows read and write
// directly, and the disc-lookup tool's automatic mode in ".\TRAKHAND.INI".
//
// Texts read from the file hold no trailing blanks (the INI file never
// stores them); a fixed-length text is cut to its length when read, except
// Logo, a path that would name another file once cut.

#include <string>
#include <string_view>

#include "platform/runtime/ini.h"

namespace qv::qvls {

inline constexpr std::string_view kSettingsFile = ".\\QVLROCFG.INI";
// The older version's file: a bare name, so it lives in the configuration folder.
inline constexpr std::string_view kOldSettingsFile = "QVLRO98.INI";
inline constexpr std::string_view kTrakhandIni = ".\\TRAKHAND.INI";

namespace settings_section {
inline constexpr std::string_view Settings = "Settings";
inline constexpr std::string_view GlobalSettings = "Global Settings";
inline constexpr std::string_view Album = "Album";
} // namespace settings_section

// Keys of "Settings" that LoadSettings and SaveSettings leave to the windows
// that own them, with their defaults.
namespace settings_key {
inline constexpr std::string_view Setup = "Setup"; // written only, always 1
inline constexpr std::string_view MainLogo = "MainLogo"; // no default
inline constexpr std::string_view AlbumTab = "AlbumTab"; // default: the lookup's current tab
inline constexpr std::string_view Tip = "Tip";
inline constexpr std::string_view EmailAddress = "EmailAddress";
inline constexpr std::string_view SMTPServer = "SMTPServer";
inline constexpr std::string_view CDDBCategory = "CDDBCategory";
// "Global Settings"
inline constexpr std::string_view FrameLogo = "FrameLogo";
inline constexpr std::string_view Version = "Version";
inline constexpr std::string_view LastDirectory = "LastDirectory";
inline constexpr std::string_view LastDirectoryLoaded = "LastDirectoryLoaded";
inline constexpr std::string_view LastImportDirectory = "LastImportDirectory";
inline constexpr std::string_view LastMP3Directory = "LastMP3Directory";
// "Album"
inline constexpr std::string_view FileNumber = "FileNumber";
inline constexpr std::string_view FileNumberFormat = "FileNumberFormat";
inline constexpr std::string_view AlbumTitle = "Album";
// ".\TRAKHAND.INI" [Default]
inline constexpr std::string_view AutomaticMode = "AutomaticMode";
} // namespace settings_key

inline constexpr long kDefaultTip = 1;
inline constexpr std::string_view kDefaultEmailAddress = "someone@example.com";
inline constexpr std::string_view kDefaultSMTPServer = "mail.example.com";
inline constexpr std::string_view kDefaultCDDBCategory = "rock";

// Bytes and longs are ints; the comment gives the key's text length.
struct Settings {
    int SU_Albums = 0;
    int SU_Songs = 0;
    int SU_Playlists = 0;
    int SU_Labels = 0;
    int SU_Both = 0;
    std::string AutoAddToAlbums; // 20
    std::string AddMode; // 20
    std::string LabelArtistTitleOrder; // 20
    std::string GLO_Delimiter = " "; // 1, key "GLO:Delimiter"
    std::string UDKPrompt; // 24
    std::string NotesLabel; // 20
    std::string DateFormat; // 6: a date picture without its "@"
    std::string Logo; // a path, kept whole
    int ForcePreview = 0;
    int UseLog = 0;
    std::string Interface; // 20: "Explorer" or "Standard"
    int CDTimer = 0;
    int SetupWizardComplete = 0;
    int DefaultWizardCompilation = 0;
    int SaveLastTab = 0;
    int AltCasFmt = 0;
    int DbgMode = 0;
    int ShowTips = 0;
    int CDDBAutomaticMode = 0;
    int AutoComplete = 0;
    std::string DefaultMedia; // 20
    std::string DefaultCategory; // 30
    std::string Autocapstyle = "Mixed-case"; // 20
    std::string CDDrive = "  "; // 2: a drive token such as "D:"
    int CascadeDefault = 0;
    int CascadeFileNumber = 0;
    int CascadeMedia = 0;
    int CascadeCategory = 0;
    int CascadeReleaseDate = 0;
    std::string MCIMode = "'Share'"; // 7, apostrophes included
};

Settings& settings();

// The settings file named by GLO:SettingsFile (".\QVLROCFG.INI" while that is
// still blank).
rt::IniFile settingsIni();

// Fills the globals from the settings file and hands the drive tokens it pins
// to the CD channel; gives the four Cascade keys their first values once.
void LoadSettings();
// Writes the globals back (only the keys it owns; every other line stays) and
// the disc-lookup tool's automatic mode.
void SaveSettings();
// Writes one global of "Settings" by its key name ("CDTimer", "ShowTips",
// "GLO:Delimiter", ...), for the windows that write single keys. False for a
// key that is no global, or when the write failed.
bool writeSetting(std::string_view key);
// Copies one global, by its key, from one set of settings to another.
void copySetting(std::string_view key, const Settings& from, Settings& to);

// Makes every global of "Settings" a use name under its key's name, so a
// control binds to one by `use: SU_Albums`. Safe to call again.
void registerSettingUses();

// From now on an INI file (the settings, the window positions, ...) that cannot
// be read or written is told to the user once, in a message box on the thread
// that met it, naming the file and the system's reason. Such a file is left as
// it is; the program goes on with what it holds in memory.
void reportIniFaults();
// The box's title and text for a fault.
struct IniFaultMessage {
    std::string title, text;
};
IniFaultMessage iniFaultMessage(const rt::IniFault& fault);

// Carries an older version's settings into ".\QVLROCFG.INI" once: only when
// that file is missing and "QVLRO98.INI" says set-up was completed. Leaves
// GLO:SettingsFile naming ".\QVLROCFG.INI". True when it migrated.
bool migrateOldSettings();

} // namespace qv::qvls
