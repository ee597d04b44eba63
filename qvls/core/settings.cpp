#include "qvls/core/settings.h"

#include "platform/text/case.h"
#include "platform/text/text.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/cdaudio/mci.h"
#include "platform/framework/use_binding.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/scheduler.h"
#include "qvls/core/globals.h"
#include "qvls/core/setup.h"

namespace qv::qvls {

namespace {

// One global of "Settings": a number or a text, with its default. A key that
// defaults to the global's current value leaves the global as it is when
// the key is missing.
struct KeyDef {
    std::string_view name;
    int Settings::*number = nullptr;
    std::string Settings::*text = nullptr;
    std::size_t length = 0; // characters a text keeps; 0: all
    std::string_view textDefault;
    int numberDefault = 0;
    bool currentIsDefault = false;
};

KeyDef num(std::string_view name, int Settings::*m, int def)
{
    return {name, m, nullptr, 0, {}, def, false};
}
KeyDef numCurrent(std::string_view name, int Settings::*m)
{
    return {name, m, nullptr, 0, {}, 0, true};
}
KeyDef txt(std::string_view name, std::string Settings::*m, std::size_t length, std::string_view def)
{
    return {name, nullptr, m, length, def, 0, false};
}
KeyDef txtCurrent(std::string_view name, std::string Settings::*m, std::size_t length)
{
    return {name, nullptr, m, length, {}, 0, true};
}

const std::array<KeyDef, 35>& keyDefs()
{
    using S = Settings;
    static const std::array<KeyDef, 35> defs{{
        num("SU_Albums", &S::SU_Albums, 0),
        num("SU_Songs", &S::SU_Songs, 0),
        num("SU_Playlists", &S::SU_Playlists, 0),
        num("SU_Labels", &S::SU_Labels, 0),
        num("SU_Both", &S::SU_Both, 0),
        txt("AutoAddToAlbums", &S::AutoAddToAlbums, 20, "1"),
        txt("AddMode", &S::AddMode, 20, "1"),
        txt("LabelArtistTitleOrder", &S::LabelArtistTitleOrder, 20, "1"),
        txt("GLO:Delimiter", &S::GLO_Delimiter, 1, "."),
        txt("UDKPrompt", &S::UDKPrompt, 24, "Custom"),
        txt("NotesLabel", &S::NotesLabel, 20, "Notes"),
        txt("DateFormat", &S::DateFormat, 6, ""),
        txt("Logo", &S::Logo, 0, ""),
        num("ForcePreview", &S::ForcePreview, 0),
        num("UseLog", &S::UseLog, 0),
        txt("Interface", &S::Interface, 20, "Standard"),
        num("CDTimer", &S::CDTimer, 150),
        num("SetupWizardComplete", &S::SetupWizardComplete, 0),
        num("DefaultWizardCompilation", &S::DefaultWizardCompilation, 0),
        num("SaveLastTab", &S::SaveLastTab, 1),
        num("AltCasFmt", &S::AltCasFmt, 0),
        num("DbgMode", &S::DbgMode, 0),
        num("ShowTips", &S::ShowTips, 1),
        num("CDDBAutomaticMode", &S::CDDBAutomaticMode, 0),
        num("AutoComplete", &S::AutoComplete, 0),
        txt("DefaultMedia", &S::DefaultMedia, 20, "CD"),
        txt("DefaultCategory", &S::DefaultCategory, 30, ""),
        txtCurrent("Autocapstyle", &S::Autocapstyle, 20),
        txtCurrent("CDDrive", &S::CDDrive, 2),
        num("CascadeDefault", &S::CascadeDefault, 0),
        numCurrent("CascadeFileNumber", &S::CascadeFileNumber),
        numCurrent("CascadeMedia", &S::CascadeMedia),
        numCurrent("CascadeCategory", &S::CascadeCategory),
        numCurrent("CascadeReleaseDate", &S::CascadeReleaseDate),
        txtCurrent("MCIMode", &S::MCIMode, 7),
    }};
    return defs;
}

const KeyDef* findKey(std::string_view name)
{
    for (const KeyDef& d : keyDefs())
        if (text::equalsNoCase(d.name, name))
            return &d;
    return nullptr;
}

void read(const rt::IniFile& ini, std::string_view name)
{
    const KeyDef& d = *findKey(name);
    Settings& s = settings();
    if (d.number) {
        const long long def = d.currentIsDefault ? s.*d.number : d.numberDefault;
        s.*d.number = static_cast<int>(ini.getInt(settings_section::Settings, d.name, def));
        return;
    }
    const std::string def = d.currentIsDefault ? s.*d.text : std::string(d.textDefault);
    std::string value = ini.get(settings_section::Settings, d.name, def);
    if (d.length > 0) // 0: a text without a fixed length
        value = text::firstChars(value, d.length);
    // A one-character text that the file keeps empty held a blank.
    if (d.text == &Settings::GLO_Delimiter && value.empty())
        value = " ";
    s.*d.text = std::move(value);
}

bool write(rt::IniFile& ini, const KeyDef& d)
{
    const Settings& s = settings();
    if (d.number)
        return ini.setInt(settings_section::Settings, d.name, s.*d.number);
    return ini.set(settings_section::Settings, d.name, s.*d.text);
}

bool write(rt::IniFile& ini, std::string_view name)
{
    return write(ini, *findKey(name));
}

} // namespace

Settings& settings()
{
    static Settings s;
    return s;
}

rt::IniFile settingsIni()
{
    const std::string_view name = text::trimRight(glo().settingsFile);
    return rt::IniFile::named(name.empty() ? kSettingsFile : name);
}

void LoadSettings()
{
    Globals& g = glo();
    g.reportStyle = "Standard";
    g.selectedOrAll = "All";
    g.reportPreview = 1;

    rt::IniFile ini = settingsIni();
    for (std::string_view name : {"SU_Both", "SU_Albums", "SU_Songs", "SU_Playlists", "SU_Labels", "AutoAddToAlbums",
             "AddMode", "LabelArtistTitleOrder", "GLO:Delimiter", "UDKPrompt", "NotesLabel", "DateFormat", "Logo",
             "ForcePreview", "UseLog", "Interface", "CDTimer", "SetupWizardComplete", "DefaultWizardCompilation",
             "SaveLastTab", "AltCasFmt", "DbgMode", "ShowTips", "CDDBAutomaticMode", "AutoComplete", "DefaultMedia",
             "DefaultCategory", "Autocapstyle", "CDDrive"})
        read(ini, name);

    Settings& s = settings();
    read(ini, "CascadeDefault");
    if (s.CascadeDefault == 0) {
        ini.setInt(settings_section::Settings, "CascadeDefault", 1);
        ini.setInt(settings_section::Settings, "CascadeFileNumber", 1);
        ini.setInt(settings_section::Settings, "CascadeMedia", 1);
        ini.setInt(settings_section::Settings, "CascadeCategory", 0);
        ini.setInt(settings_section::Settings, "CascadeReleaseDate", 0);
        s.CascadeDefault = 1;
    }
    for (std::string_view name :
        {"CascadeFileNumber", "CascadeMedia", "CascadeCategory", "CascadeReleaseDate", "MCIMode"})
        read(ini, name);
    // The drive tokens the settings pin ("D:" to a device or a TOC file).
    cdaudio::setDriveOverrides(configuredDriveOverrides());
}

void SaveSettings()
{
    const Settings& s = settings();
    // Any mode other than 0 is automatic.
    rt::IniFile::named(kTrakhandIni).set("Default", settings_key::AutomaticMode, s.CDDBAutomaticMode != 0 ? "Y" : "N");

    rt::IniFile ini = settingsIni();
    for (std::string_view name :
        {"AddMode", "AltCasFmt", "AutoAddToAlbums", "AutoComplete", "Autocapstyle", "CDDBAutomaticMode", "CDDrive",
            "CascadeCategory", "CascadeFileNumber", "CascadeMedia", "CascadeReleaseDate", "DateFormat",
            "DefaultWizardCompilation", "ForcePreview", "GLO:Delimiter", "Interface", "LabelArtistTitleOrder", "Logo",
            "MCIMode", "NotesLabel", "SU_Albums", "SU_Both", "SU_Labels", "SU_Playlists", "SU_Songs", "SaveLastTab"})
        write(ini, name);
    ini.setInt(settings_section::Settings, settings_key::Setup, 1);
    for (std::string_view name : {"ShowTips", "UDKPrompt", "UseLog"})
        write(ini, name);
}

bool writeSetting(std::string_view name)
{
    rt::IniFile ini = settingsIni();
    if (text::equalsNoCase(name, settings_key::Setup))
        return ini.setInt(settings_section::Settings, settings_key::Setup, 1);
    const KeyDef* d = findKey(name);
    return d && write(ini, *d);
}

void copySetting(std::string_view name, const Settings& from, Settings& to)
{
    if (const KeyDef* d = findKey(name)) {
        if (d->number)
            to.*(d->number) = from.*(d->number);
        else
            to.*(d->text) = from.*(d->text);
    }
}

void registerSettingUses()
{
    for (const KeyDef& d : keyDefs()) {
        if (d.number)
            fw::registerVariable(std::string(d.name),
                {[&d] { return std::to_string(settings().*d.number); },
                    [&d](const std::string& v) { settings().*d.number = std::atoi(v.c_str()); }});
        else
            fw::registerVariable(std::string(d.name),
                {[&d] { return settings().*d.text; }, [&d](const std::string& v) { settings().*d.text = v; }});
    }
}

IniFaultMessage iniFaultMessage(const rt::IniFault& fault)
{
    if (fault.writing)
        return {"Settings Not Saved",
            "The file " + fault.path + " could not be written: " + fault.reason
                + ".|Changes meant for it are kept only until the program ends."};
    return {"Settings Not Read",
        "The file " + fault.path + " could not be read: " + fault.reason
            + ".|The program goes on with its defaults and leaves the file as it is."};
}

void reportIniFaults()
{
    rt::setIniFaultReporter([](const rt::IniFault& fault) {
        const IniFaultMessage m = iniFaultMessage(fault);
        // Outside the threads no window can open.
        if (rt::Scheduler::instance().current() == 0) {
            std::fprintf(stderr, "%s: %s\n", m.title.c_str(), m.text.c_str());
            return;
        }
        rt::message(m.text, m.title, rt::Icon::Exclamation);
    });
}

bool migrateOldSettings()
{
    Globals& g = glo();
    const rt::IniFile current = rt::IniFile::named(kSettingsFile);
    const rt::IniFile old = rt::IniFile::named(kOldSettingsFile);
    g.settingsFile = std::string(kSettingsFile);
    if (current.exists() || old.getInt(settings_section::Settings, "SetupWizardComplete", 0) != 1)
        return false;

    g.settingsFile = std::string(kOldSettingsFile);
    LoadSettings();
    g.settingsFile = std::string(kSettingsFile);
    SaveSettings();

    rt::IniFile ini = settingsIni();
    if (auto logo = old.find(settings_section::GlobalSettings, settings_key::FrameLogo))
        ini.set(settings_section::GlobalSettings, settings_key::FrameLogo, *logo);
    ini.setInt(settings_section::Settings, "SetupWizardComplete", 1);
    // The Cascade values just carried over are the user's: without this the
    // next load would take them for a file that never had any.
    ini.setInt(settings_section::Settings, "CascadeDefault", 1);
    return true;
}

} // namespace qv::qvls
