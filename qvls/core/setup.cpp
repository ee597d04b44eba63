#include "qvls/core/setup.h"

#include <array>

#include "platform/cdaudio/drives.h"
#include "platform/framework/handover.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"
#include "qvls/core/setup_wizard.h"
#include "qvls/windows/Setup.h"

namespace qv::qvls {

// ------------------------------------------------------------ date formats

namespace {
constexpr std::array<DateFormatChoice, 15> kDateFormats{{
    {"Windows Default", "d17"},
    {"Year Only", "n4b"},
    {"October 31, 1959", "d4"},
    {"OCT 31,1959", "d3"},
    {"10/31/59", "d1"},
    {"10/31/1959", "d2"},
    {"31 OCT 59", "d7"},
    {"31 OCT 1959", "d8"},
    {"31/10/59", "d5"},
    {"31/10/1959", "d6"},
    {"59/10", "d15"},
    {"1959/10", "d16"},
    {"10/59", "d13"},
    {"10/1959", "d14"},
    {"Windows Default 2", "d18"},
}};

// Settings hold no padding, but a hand-edited file may.
std::string clipped(std::string_view s)
{
    return std::string(text::trimRight(s));
}
} // namespace

std::span<const DateFormatChoice> dateFormatChoices()
{
    return kDateFormats;
}

std::string dateTextForToken(std::string_view token)
{
    const std::string t = clipped(token);
    for (const DateFormatChoice& c : kDateFormats)
        if (c.token == t)
            return std::string(c.text);
    return {};
}

std::optional<std::string> dateTokenForText(std::string_view text)
{
    const std::string t = clipped(text);
    for (const DateFormatChoice& c : kDateFormats)
        if (c.text == t)
            return std::string(c.token);
    return std::nullopt;
}

void fillDateList(rt::ListQueue& list)
{
    list.clear();
    for (const DateFormatChoice& c : kDateFormats)
        list.append({std::string(c.text)});
}

// ------------------------------------------------------------ drives

std::vector<std::pair<std::string, std::string>> configuredDriveOverrides()
{
    return cdaudio::driveOverridesIn(settingsIni());
}

void buildDriveList(rt::ListQueue& list)
{
    list.clear();
    list.append({"", "Default"});
    for (const cdaudio::OpticalDrive& d : cdaudio::OpticalDrives::list(configuredDriveOverrides()))
        list.append({d.token, "CD-ROM"});
}

int driveRowFor(const rt::ListQueue& list, std::string_view token)
{
    const std::string t = clipped(token);
    for (int r = 0; r < list.rowCount(); ++r)
        if (clipped(list.cell(r, 0)) == t)
            return r + 1;
    return 0;
}

std::string driveForRow(const rt::ListQueue& list, int row)
{
    if (row < 1 || row > list.rowCount())
        return {};
    // The "Default" row's drive is blank: a blank setting, never a lone ":".
    const std::string drive = clipped(list.cell(row - 1, 0));
    if (drive.empty())
        return {};
    return drive.substr(0, 1) + ":";
}

// ------------------------------------------------------------ shared steps

void callHousekeeping(std::initializer_list<std::string_view> procedures, std::string_view what)
{
    for (std::string_view p : procedures)
        if (!rt::Procedures::exists(p)) {
            reportNotAvailable(what);
            return;
        }
    for (std::string_view p : procedures)
        rt::Procedures::call(p);
}

void askYearOnlyConversion()
{
    const int answer
        = rt::message("Convert existing entries to Year Only format (day and month information will be lost!)?",
            "Basic Format Changed", rt::Icon::Exclamation, rt::button::Yes | rt::button::No, rt::button::Yes);
    if (answer == rt::button::Yes) {
        callHousekeeping({"ConvertDateToYear", "ConvertAlbumDateToYear"}, "Converting release dates to years");
    }
}

void rereadStartUpLists()
{
    const rt::IniFile ini = settingsIni();
    Settings& s = settings();
    s.SU_Albums = static_cast<int>(ini.getInt(settings_section::Settings, "SU_Albums", 0));
    s.SU_Songs = static_cast<int>(ini.getInt(settings_section::Settings, "SU_Songs", 0));
    s.SU_Playlists = static_cast<int>(ini.getInt(settings_section::Settings, "SU_Playlists", 0));
    s.SU_Labels = static_cast<int>(ini.getInt(settings_section::Settings, "SU_Labels", 0));
}

void takeChosenDrive(const rt::Control& driveList, const rt::ListQueue& list)
{
    if (const int row = driveList.selected(); row >= 1)
        settings().CDDrive = driveForRow(list, row);
}

namespace {

// ------------------------------------------------------------ the window

class SetupController : public fw::WindowController
{
public:
    SetupController()
        : fw::WindowController("Setup")
        , drives_(2)
        , dates_(1)
    {
        using namespace ctl::Setup;
        onAccepted(CDDrive, [this] { chooseDrive(); });
        onNewSelection(CDDrive, [this] { chooseDrive(); });
        onAccepted(CreateAlbums, [this] {
            housekeeping(CreateAlbums, "CreateDefaultAlbums",
                "This function will create the album database based on information in your main Quorvel "
                "Pro database.  It may take some time to complete.  This should only be required if you "
                "are upgrading from version 1.1, or if you have imported song information from a "
                "text-file.  Are you sure you wish to continue?");
        });
        onAccepted(TestAlbumLinks, [this] {
            housekeeping(TestAlbumLinks, "TestAlbumIDs",
                "This function will test (and fix where possible) the links between the album database "
                "and your main Quorvel Pro database.  It may take some time to complete.  This should only "
                "be required if you are upgrading from version 1.1.  Are you sure you wish to continue?");
        });
        onAccepted(MassModifications, [] { massModifications(); });
        onAccepted(FileManager, [this] {
            callHousekeeping({"DataFileManager"}, "File Manager");
            Refresh();
        });
        onAccepted(Browse, [this] { browseLogo(); });
        onAccepted(OK, [this] { ok(); });
        onAccepted(Cancel, [this] {
            cancel();
            endLoop();
        });
        onAccepted(UseWizard, [this] {
            fw::handover().request = fw::request::Change;
            SetupWizard();
            Refresh();
            setResponse(fw::response::Completed);
            endLoop();
        });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        if (settings().SetupWizardComplete == 0) {
            SetupWizard();
            return fw::Notify;
        }
        buildDriveList(drives_);
        fillDateList(dates_);
        dateText_ = dateTextForToken(settings().DateFormat);
        dateCopy_ = dateText_;
        rereadStartUpLists();
        // Cancel puts back what the program held when the window opened:
        // LoadSettings alone would keep a drive chosen here whenever the
        // file has no CDDrive key.
        before_ = settings();

        loadWindow("qvls", ctl::Setup::kWindow);
        bindVariables();
        rt::Window& w = window();
        w[ctl::Setup::DateFormat].setList(&dates_);
        w[ctl::Setup::CDDrive].setList(&drives_);
        openWindow();
        w[ctl::Setup::CDDrive].setSelected(driveRowFor(drives_, settings().CDDrive));
        return fw::Benign;
    }

    fw::Level OnWindowEvent(const rt::Event& e) override
    {
        if (e.code == rt::event::CloseWindow)
            cancel();
        return fw::WindowController::OnWindowEvent(e);
    }

private:
    void bindVariables()
    {
        bindVariable("LOC:DateFormat", dateText_);
        // The first start's "'Share'" (apostrophes and all) shares the drive,
        // so the list shows it as Share.
        Settings& s = settings();
        bindVariable("LOC:MCIMode",
            {[&s] { return s.MCIMode == "Open" ? std::string("Open") : std::string("Share"); },
                [&s](const std::string& v) { s.MCIMode = v; }});
        // A first start stores "1" for two choices; the groups show what it means.
        bindVariable("LOC:AddMode",
            {[&s] { return s.AddMode == "1" ? std::string("Normal") : s.AddMode; },
                [&s](const std::string& v) { s.AddMode = v; }});
        bindVariable("LOC:LabelArtistTitleOrder",
            {[&s] { return s.LabelArtistTitleOrder == "1" ? std::string("Title - Artist") : s.LabelArtistTitleOrder; },
                [&s](const std::string& v) { s.LabelArtistTitleOrder = v; }});
    }

    void chooseDrive() { takeChosenDrive(window()[ctl::Setup::CDDrive], drives_); }

    // A housekeeping button: its question, then its procedure, named to the
    // user by the button's text when it is not there.
    void housekeeping(rt::ControlId button, std::string_view procedure, const std::string& question)
    {
        if (rt::message(
                question, "Housekeeping", rt::Icon::Exclamation, rt::button::Yes | rt::button::No, rt::button::No)
            != rt::button::Yes)
            return;
        callHousekeeping({procedure}, window()[button].text());
        Refresh();
    }

    static void massModifications()
    {
        rt::beep(rt::sound::Question);
        rt::Scheduler::instance().yield();
        rt::MessageSpec m;
        m.title = "Mass Modifications";
        m.icon = rt::Icon::Exclamation;
        m.text = "These functions will process every \"Song\" record in your database.  \"Side/Disc\" will set the "
                 "side/disc to 1 if it is zero.  \"File Number\" will add leading zeroes to numeric file numbers.";
        m.custom = "Side/Disc|File Number|Cancel";
        m.defaultButton = 1;
        switch (rt::message(m)) {
        case 1:
            callHousekeeping({"SetAllDiscTo1"}, "Mass Modifications: Side/Disc");
            break;
        case 2:
            callHousekeeping({"ZeroLeadFileNumbers"}, "Mass Modifications: File Number");
            break;
        default:
            break;
        }
    }

    void browseLogo()
    {
        rt::FileDialogSpec spec;
        spec.title = "Choose a File";
        spec.filter = "All Files|*.*";
        spec.fileName = settings().Logo;
        spec.keepFolder = true;
        // A cancelled dialog leaves the logo as it was.
        if (rt::fileDialog(spec)) {
            settings().Logo = spec.fileName;
            window().display();
        }
    }

    void ok()
    {
        if (clipped(dateText_) != clipped(dateCopy_))
            rt::message("Date format changes will not affect currently open windows.  You can close and re-open "
                        "windows, or exit and restart Quorvel Pro to view information using the new date format.",
                "Information", rt::Icon::Information);
        Settings& s = settings();
        if (clipped(s.DateFormat) != kYearOnlyToken && clipped(dateText_) == kYearOnlyText)
            askYearOnlyConversion();
        if (const auto token = dateTokenForText(dateText_))
            s.DateFormat = *token;
        SaveSettings();
        setResponse(fw::response::Completed);
        endLoop();
    }

    void cancel()
    {
        settings() = before_;
        LoadSettings();
        setResponse(fw::response::Cancelled);
    }

    rt::ListQueue drives_;
    rt::ListQueue dates_;
    std::string dateText_;
    std::string dateCopy_;
    Settings before_;
};

} // namespace

void Setup()
{
    SetupController setup;
    setup.Execute();
}

} // namespace qv::qvls
