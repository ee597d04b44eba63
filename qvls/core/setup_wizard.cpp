#include "qvls/core/setup_wizard.h"

#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/settings.h"
#include "qvls/core/setup.h"
#include "qvls/core/wizard_sheet.h"
#include "qvls/core/wizard_tabs.h"
#include "qvls/windows/SetupWizard.h"

namespace qv::qvls {

namespace {

// The keys the wizard's Finish writes as the user left them.
constexpr std::string_view kWrittenKeys[] = {"AutoAddToAlbums", "AddMode", "LabelArtistTitleOrder", "GLO:Delimiter",
    "UDKPrompt", "NotesLabel", "Setup", "Interface", "SU_Albums", "SU_Songs", "SU_Playlists", "SU_Labels", "ShowTips",
    "Logo", "DefaultWizardCompilation"};

class SetupWizardController : public fw::WindowController
{
public:
    SetupWizardController()
        : fw::WindowController("SetupWizard")
        , drives_(2)
        , dates_(1)
    {
        using namespace ctl::SetupWizard;
        onAccepted(CDDrive, [this] { chooseDrive(); });
        onNewSelection(CDDrive, [this] { chooseDrive(); });
        onNewSelection(Sheet, [this] {
            if (window()[ctl::SetupWizard::Sheet].selected() != steps_->CurrentStep)
                steps_->ShowStep(); // steps change only through Back and Next
        });
        onAccepted(Next, [this] {
            ReloadSelectedRecords();
            steps_->next();
        });
        onAccepted(Back, [this] {
            ReloadSelectedRecords();
            steps_->Back();
        });
        onAccepted(Finish, [this] { finish(); });
        onAccepted(Cancel, [this] {
            cancel();
            endLoop();
        });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        LoadSettings();
        buildDriveList(drives_);
        fillDateList(dates_);
        dateText_ = dateTextForToken(settings().DateFormat);
        if (text::trimRight(dateText_).empty())
            dateText_ = std::string(kYearOnlyText);
        rereadStartUpLists();
        // Cancel puts the settings back as they are now, as the file has
        // them: a later save must not store a choice the user cancelled.
        before_ = settings();

        loadWindow("qvls", ctl::SetupWizard::kWindow);
        rt::Window& w = window();
        bindVariable("LOC:DateFormat", dateText_);
        w[ctl::SetupWizard::DateFormat].setList(&dates_);
        w[ctl::SetupWizard::CDDrive].setList(&drives_);
        openWindow();

        setWizardStyle(w[ctl::SetupWizard::Sheet], true);
        using namespace ctl::SetupWizard;
        steps_ = std::make_unique<WizardTabs>(w,
            WizardTabs::Controls{std::string(Sheet.name), std::string(Back.name), std::string(Next.name),
                std::string(Finish.name), std::string(Cancel.name)});
        steps_->setUp();
        w[ctl::SetupWizard::CDDrive].setSelected(driveRowFor(drives_, settings().CDDrive));
        return fw::Benign;
    }

    fw::Level OnWindowEvent(const rt::Event& e) override
    {
        if (e.code == rt::event::CloseWindow)
            cancel();
        return fw::WindowController::OnWindowEvent(e);
    }

private:
    void chooseDrive() { takeChosenDrive(window()[ctl::SetupWizard::CDDrive], drives_); }

    void finish()
    {
        for (std::string_view key : kWrittenKeys)
            writeSetting(key);
        Settings& s = settings();
        s.SetupWizardComplete = 1;
        writeSetting("SetupWizardComplete");
        writeSetting("CDDrive");
        const std::string old(text::trimRight(s.DateFormat));
        if (!old.empty() && old != kYearOnlyToken && std::string(text::trimRight(dateText_)) == kYearOnlyText)
            askYearOnlyConversion();
        if (const auto token = dateTokenForText(dateText_))
            s.DateFormat = *token;
        writeSetting("DateFormat");
        setResponse(fw::response::Completed);
        endLoop();
    }

    void cancel()
    {
        // Only what this wizard edits: other windows may have changed other
        // settings meanwhile.
        for (std::string_view key : kWrittenKeys)
            copySetting(key, before_, settings());
        for (std::string_view key : {"CDDrive", "DateFormat", "SetupWizardComplete"})
            copySetting(key, before_, settings());
        setResponse(fw::response::Cancelled);
    }

    rt::ListQueue drives_;
    rt::ListQueue dates_;
    std::string dateText_;
    Settings before_;
    std::unique_ptr<WizardTabs> steps_;
};

} // namespace

void SetupWizard()
{
    SetupWizardController wizard;
    wizard.Execute();
}

} // namespace qv::qvls
