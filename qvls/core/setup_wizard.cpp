#include "qvls/core/setup_wizard.h"

#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/about.h"
#include "qvls/core/mouse_wheel.h"
#include "qvls/core/placement.h"
#include "qvls/core/settings.h"
#include "qvls/core/setup.h"
#include "qvls/core/wizard_sheet.h"
#include "qvls/core/wizard_tabs.h"

namespace qv::qvls {

namespace {

// The keys the wizard's Finish writes as the user left them.
constexpr std::string_view kWrittenKeys[] = {
    "AutoAddToAlbums", "AddMode", "LabelArtistTitleOrder", "GLO:Delimiter", "UDKPrompt", "NotesLabel", "Setup",
    "Interface", "SU_Albums", "SU_Songs", "SU_Playlists", "SU_Labels", "ShowTips", "Logo",
    "DefaultWizardCompilation"};

class SetupWizardController : public fw::WindowController
{
public:
    SetupWizardController()
        : fw::WindowController("SetupWizard")
        , drives_(2)
        , dates_(1)
    {
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        storeOpeningGlobals();
        LoadSettings();
        BuildDriveList(drives_);
        fillDateList(dates_);
        dateText_ = dateTextForToken(settings().DateFormat);
        if (text::trimRight(dateText_).empty())
            dateText_ = std::string(kYearOnlyText);
        rereadStartUpLists();
        Settings& s = settings();
        // Cancel puts the settings back as they are now, as the file has
        // them: a later save must not store a choice the user cancelled.
        before_ = s;

        LoadWindow("qvls", "SetupWizard");
        rt::Window& w = window();
        bindText(w["?UDKPrompt"], s.UDKPrompt);
        for (auto [name, flag] : {std::pair<const char*, int*>{"?SU_Albums", &s.SU_Albums},
                                  {"?SU_Songs", &s.SU_Songs},
                                  {"?SU_Labels", &s.SU_Labels},
                                  {"?SU_Playlists", &s.SU_Playlists},
                                  {"?ShowTips", &s.ShowTips}})
            bindFlag(w[name], *flag);
        w["?DateFormat"].setList(&dates_);
        bindText(w["?DateFormat"], dateText_);
        w["?CDDrive"].setList(&drives_);
        OpenWindow();

        setWizardStyle(w["?Sheet"], true);
        steps_ = std::make_unique<WizardTabs>(w, WizardTabs::Controls{"?Sheet", "?Back", "?Next", "?Finish", "?Cancel"});
        steps_->SetUp();
        w["?CDDrive"].setSelected(driveRowFor(drives_, s.CDDrive));
        InstallScroller(scroller_, w);
        AddComponent(scroller_);
        w.setMinSize(313, 150);
        return fw::Benign;
    }

    fw::Level OnWindowEvent(const rt::Event& e) override
    {
        if (e.code == rt::event::Moved || e.code == rt::event::Sized)
            KeepWindowOnScreen(window());
        if (e.code == rt::event::CloseWindow)
            cancel();
        return fw::WindowController::OnWindowEvent(e);
    }

    fw::Level OnNewSelection(int control) override
    {
        rt::Window& w = window();
        if (control == w["?CDDrive"].number())
            chooseDrive();
        else if (control == w["?Sheet"].number() && w["?Sheet"].selected() != steps_->CurrentStep)
            steps_->ShowStep(); // steps change only through Back and Next
        return fw::WindowController::OnNewSelection(control);
    }

    fw::Level OnAccepted(int control) override
    {
        const fw::Level l = fw::WindowController::OnAccepted(control);
        rt::Window& w = window();
        auto is = [&](std::string_view name) { return control == w[name].number(); };
        if (is("?CDDrive")) {
            chooseDrive();
        } else if (is("?Next")) {
            ReloadSelectedRecords();
            steps_->Next();
        } else if (is("?Back")) {
            ReloadSelectedRecords();
            steps_->Back();
        } else if (is("?Finish")) {
            finish();
        } else if (is("?Cancel")) {
            cancel();
            EndLoop();
        }
        return l;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        RemoveScroller(scroller_);
    }

private:
    void chooseDrive() { takeChosenDrive(window()["?CDDrive"], drives_); }

    void finish()
    {
        for (std::string_view key : kWrittenKeys)
            WriteSetting(key);
        Settings& s = settings();
        s.SetupWizardComplete = 1;
        WriteSetting("SetupWizardComplete");
        WriteSetting("CDDrive");
        const std::string old(text::trimRight(s.DateFormat));
        if (!old.empty() && old != kYearOnlyToken && std::string(text::trimRight(dateText_)) == kYearOnlyText)
            askYearOnlyConversion();
        if (const auto token = dateTokenForText(dateText_))
            s.DateFormat = *token;
        WriteSetting("DateFormat");
        SetResponse(fw::response::Completed);
        EndLoop();
    }

    void cancel()
    {
        // Only what this wizard edits: other windows may have changed other
        // settings meanwhile.
        for (std::string_view key : kWrittenKeys)
            CopySetting(key, before_, settings());
        for (std::string_view key : {"CDDrive", "DateFormat", "SetupWizardComplete"})
            CopySetting(key, before_, settings());
        SetResponse(fw::response::Cancelled);
    }

    rt::ListQueue drives_;
    rt::ListQueue dates_;
    std::string dateText_;
    Settings before_;
    std::unique_ptr<WizardTabs> steps_;
    MouseWheelScroller scroller_;
};

} // namespace

void SetupWizard()
{
    SetupWizardController wizard;
    wizard.Execute();
}

} // namespace qv::qvls
