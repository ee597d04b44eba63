#include "trakhand/lookup_dialog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/scheduler.h"
#include "platform/text/case.h"
#include "trakhand/error_log.h"
#include "trakhand/new_disc_file.h"
#include "trakhand/proxy_dialog.h"
#include "trakhand/result_file.h"
#include "trakhand/text_format.h"
#include "trakhand/windows/LookupDialog.h"

namespace qv::trakhand {

namespace win = ctl::LookupDialog;

namespace {

constexpr const char* kNoTocText
    = "Audio CD information unavailable.  Please verify there is an audio CD in your drive and try again.";
constexpr const char* kUnexpectedMatch = "Unexpected return from LookupMediaByToc.";
// The command thread tells the window's thread that it is done.
constexpr int kCommandDone = rt::event::User;
constexpr int kProgressEnd = 50;
// Option values the control is set up with.
constexpr int kOptionA = 1, kOptionB = 0x3F000, kOptionC = 0;
constexpr int kMOperation = 4096;

bool knownToDatabase(const cddb::Disc& disc)
{
    return !disc.category.empty() && !disc.discId.empty();
}

// The CD audio device of the command line's drive, closed on every way out.
class OpenedDevice
{
public:
    explicit OpenedDevice(AudioDevice* audio)
        : audio_(audio)
    { }
    ~OpenedDevice() { close(); }
    OpenedDevice(const OpenedDevice&) = delete;
    OpenedDevice& operator=(const OpenedDevice&) = delete;

    // Without a drive no device is opened. Returns 0 or the MCI error.
    int open(const std::string& drive)
    {
        if (drive.empty())
            return 0;
        const cdaudio::MciOpenResult r = audio_->open(drive);
        if (r.error == 0)
            id_ = r.device;
        return r.error;
    }
    int id() const { return id_; }
    void close()
    {
        if (id_ != 0)
            audio_->close(std::exchange(id_, 0));
    }

private:
    AudioDevice* audio_;
    int id_ = 0;
};

} // namespace

LookupDialog::LookupDialog(const ToolServices& services, CommandLine line)
    : services_(services)
    , line_(std::move(line))
{ }

LookupDialog::~LookupDialog() = default;

int LookupDialog::run()
{
    window_ = rt::Window::load("trakhand", "LookupDialog");
    rt::Window& w = *window_;
    // Shown once the control is set up, after the proxy dialog.
    w.setHidden(true);
    w.open();
    progress_.attach(&w[win::Progress]);
    log_.attach(&w[win::EventLog]);
    rt::Scheduler& scheduler = rt::Scheduler::instance();
    const int command = scheduler.start("Trakhand command", [this, &w] {
        runGuarded();
        rt::Scheduler::instance().post(w, rt::Event{kCommandDone});
    });
    if (command == 0) {
        runGuarded();
    } else {
        for (;;) {
            const rt::Event e = w.waitEvent();
            if (e.code == kCommandDone)
                break;
            if (e.code == rt::event::CloseWindow || (e.code == rt::event::Accepted && e.control == win::Cancel.number))
                cancelRequested_ = true;
        }
    }
    release();
    w.close();
    return exitCode_;
}

void LookupDialog::runGuarded()
{
    // A failure no flow deals with still ends the run in order: logged, shown, exit code 1.
    std::optional<cddb::ComError> failure;
    try {
        DispatchCommand();
    } catch (const cddb::ComError& e) {
        failure = e;
    } catch (const std::exception& e) {
        failure.emplace(cddb::hr::kFail, e.what());
    }
    if (failure) {
        LogComError(*failure);
        endRequest(1);
    }
}

void LookupDialog::release()
{
    if (control_ && sink_) {
        try {
            control_->disconnect(sinkCookie_);
        } catch (const std::exception&) { }
    }
    sink_.reset();
    if (control_) {
        try {
            control_->ReleaseService();
        } catch (const std::exception&) { }
    }
    currentDisc_.reset();
    control_.reset();
}

void LookupDialog::ShowMessage(const std::string& text)
{
    rt::message(text, "Trakhand", rt::Icon::None, rt::button::Ok);
}

void LookupDialog::LogComError(const cddb::ComError& error)
{
    const std::string entry = secrets_.hide(comErrorEntry(error.code(), error.description()));
    appendErrorLog(entry);
    if (error.code() != cddb::hr::kCancelled)
        ShowMessage(entry);
}

void LookupDialog::SetProxySettings(std::string host, int port, std::string userName, std::string password)
{
    proxyHost_ = std::move(host);
    proxyPort_ = port;
    proxyUserName_ = std::move(userName);
    proxyPassword_ = std::move(password);
    secrets_.set({proxyUserName_, proxyPassword_});
}

// ------------------------------------------------------------ dispatch

void LookupDialog::DispatchCommand()
{
    progress_.setRange(0, kProgressEnd);
    progress_.setStep(1);
    progress_.setPosition(0);
    if (line_.proxy)
        runProxyDialog(
            {}, [this](const ProxySettings& p) { SetProxySettings(p.host, p.port, p.userName, p.password); });
    if (!SetUpControl())
        return;
    connectSink();
    window_->setHidden(false);
    const bool asksForUser = line_.command != Command::R && line_.command != Command::NP;
    if (asksForUser && !hasServiceUser()) {
        ShowMessage("You must register to use CDDB!");
        endRequest(1);
        return;
    }
    const cddb::OptionsRef options = control_->FetchOptions();
    if (line_.command) {
        runCommand(*line_.command, options.get());
    } else {
        if (!line_.proxy)
            ShowMessage(usageMessage());
        endRequest(1);
    }
    progress_.setPosition(kProgressEnd);
}

void LookupDialog::runCommand(Command command, cddb::Options* options)
{
    switch (command) {
    case Command::D:
        GetDiscInfo(); // ends with its own exit code
        return;
    case Command::R:
        control_->QueryServiceUser(1);
        break;
    case Command::S:
        SubmitNewDisc();
        break;
    case Command::X:
        ShowExtendedDiscInfo();
        break;
    case Command::M:
        control_->SwitchMOperation(kMOperation);
        break;
    case Command::A:
        control_->ShowAboutBox();
        break;
    case Command::B:
        LookupAndPassDisc();
        break;
    case Command::O:
        if (options)
            showOptions(*options);
        break;
    case Command::U:
        UpdateDisc();
        break;
    case Command::NP:
        if (options) {
            SetProxySettings({}, 0, {}, {});
            options->proxyHost = proxyHost_;
            options->proxyPort = proxyPort_;
            options->proxyUser = proxyUserName_;
            options->proxyPassword = proxyPassword_;
            control_->ApplyOptions(*options);
            showOptions(*options);
        }
        break;
    }
    endRequest(0);
}

void LookupDialog::showOptions(cddb::Options& options)
{
    if (control_->ShowOptionsDialog(options) & cddb::kFlagChanged)
        control_->ApplyOptions(options);
}

bool LookupDialog::SetUpControl()
{
    if (control_)
        return true;
    std::unique_ptr<cddb::Control> control;
    std::string why;
    try {
        if (services_.makeControl)
            control = services_.makeControl([this] { return cancelRequested_; });
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (!control) {
        if (!why.empty())
            appendErrorLog(secrets_.hide(comErrorEntry(cddb::hr::kFail, why)));
        ShowMessage("Couldn't get IUnknown interface for CDDBControl.");
        endRequest(1);
        return false;
    }
    control_ = std::move(control);
    control_->IdentifyClient(line_.identity.clientId, line_.identity.clientTag, "1", "regstring");
    const cddb::OptionsRef options = control_->FetchOptions();
    if (!options)
        return true;
    const std::string folder = rt::programFolder();
    if (options->dataFolder.empty() || !text::equalsNoCase(options->dataFolder, folder))
        options->dataFolder = folder;
    options->valueB = kOptionB;
    options->valueC = kOptionC;
    if (!proxyHost_.empty()) {
        options->proxyHost = proxyHost_;
        options->proxyPort = proxyPort_;
        options->proxyUser = proxyUserName_;
        options->proxyPassword = proxyPassword_;
    }
    options->valueA = kOptionA;
    control_->ApplyOptions(*options);
    return true;
}

void LookupDialog::connectSink()
{
    sink_ = std::make_unique<LookupEventSink>(*control_, log_, progress_, *this);
    try {
        sinkCookie_ = control_->connect(sink_.get());
    } catch (const std::exception&) {
        sink_.reset(); // the run goes on without events
    }
}

bool LookupDialog::hasServiceUser()
{
    return control_->QueryServiceUser(0) || control_->QueryServiceUser(1);
}

// ------------------------------------------------------------ lookups

LookupDialog::Lookup LookupDialog::lookUpDisc(const LookupStyle& style)
{
    if (!SetUpControl()) {
        endRequest(1);
        return Lookup::Failed;
    }
    OpenedDevice device(services_.audio);
    if (const int error = device.open(line_.drive)) {
        ShowMessage(style.driveInOpenFailure
                ? format("Couldn't open audio device on drive %s (MCI Error: %d).", line_.drive.c_str(), error)
                : format("Couldn't open audio device (MCI Error: %d).", error));
        endRequest(1);
        return Lookup::Failed;
    }
    const std::string toc = control_->ReadTocFromDevice(device.id());
    if (toc.empty()) {
        ShowMessage(kNoTocText);
        endRequest(1);
        return Lookup::Failed;
    }
    (*window_)[win::Toc].setValue(toc);
    device.close();
    toc_ = (*window_)[win::Toc].value();
    if (toc_.empty()) {
        ShowMessage(kNoTocText);
        endRequest(1);
        return Lookup::Failed;
    }
    int match = 0;
    if (const auto error = comErrorOf([&] { match = control_->LookupMediaByToc(toc_, 0); })) {
        LogComError(*error);
        endRequest(1);
        return Lookup::Failed;
    }
    switch (match) {
    case cddb::kExactMatch: {
        const cddb::LookupResult result = control_->TakeLookupResult();
        const auto* disc = std::get_if<cddb::DiscRef>(&result);
        if (!disc || !*disc)
            break;
        currentDisc_ = *disc;
        return Lookup::Settled;
    }
    case cddb::kSeveralMatches: {
        const cddb::LookupResult result = control_->TakeLookupResult();
        const auto* matches = std::get_if<cddb::MatchListRef>(&result);
        if (!matches || !*matches)
            break;
        const cddb::DiscRef chosen = control_->PickMatchedDisc(**matches);
        if (!chosen) {
            ShowMessage("No matched disc selected.");
            endRequest(1);
            return Lookup::Failed;
        }
        if (knownToDatabase(*chosen)) {
            cddb::DiscRef full;
            if (const auto error = comErrorOf([&] { full = control_->CompleteDiscRecord(*chosen, 0); })) {
                LogComError(*error);
                endRequest(1);
                return Lookup::Failed;
            }
            currentDisc_ = full ? full : chosen;
        } else {
            currentDisc_ = chosen;
            if (style.noteEnteredDisc)
                ShowMessage("Please note: The data you have just entered will not be immediately available through the "
                            "CDDB service.");
        }
        return Lookup::Settled;
    }
    case cddb::kNoMatch:
        ShowMessage("No match for CD.");
        SubmitNewDisc();
        return Lookup::NoMatch;
    default:
        break;
    }
    // A code the control should not give, or a result that does not go with it.
    ShowMessage(kUnexpectedMatch);
    return Lookup::Unexpected;
}

void LookupDialog::GetDiscInfo()
{
    switch (lookUpDisc({.driveInOpenFailure = true, .noteEnteredDisc = true})) {
    case Lookup::Settled:
        endRequest(WriteResultFile() ? 0 : 1);
        break;
    case Lookup::NoMatch:
    case Lookup::Unexpected:
        endRequest(0);
        break;
    case Lookup::Failed:
        break;
    }
}

bool LookupDialog::WriteResultFile()
{
    const cddb::GenreListRef genres = control_->ObtainGenreList(0);
    const cddb::Disc& disc = *currentDisc_;
    ResultFileContent content;
    content.drive = line_.drive;
    content.toc = (*window_)[win::Toc].value();
    content.disc = &disc;
    content.genreName = disc.genreId.empty() ? "Unknown" : genres ? genres->name(disc.genreId) : disc.genreId;
    cddb::LinkListRef links;
    if (knownToDatabase(disc))
        if (const auto error = comErrorOf([&] { links = control_->ObtainDiscLinks(disc, 0); }))
            LogComError(*error);
    content.links = links.get();
    const std::string text = resultFileText(content);

    const std::string path = rt::resolvePosixPath(kResultFile);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (file)
        return true;
    const std::string reason = std::strerror(errno);
    // A cut-off file would pass for a result.
    std::remove(path.c_str());
    ShowMessage(format("Couldn't write the result file %s (%s).", kResultFile, reason.c_str()));
    return false;
}

void LookupDialog::SubmitNewDisc()
{
    if (!SetUpControl())
        return;
    OpenedDevice device(services_.audio);
    if (const int error = device.open(line_.drive)) {
        ShowMessage(format("Couldn't open audio device (MCI Error: %d).", error));
        return;
    }
    const std::string toc = control_->ReadTocFromDevice(device.id());
    if (toc.empty()) {
        ShowMessage(kNoTocText);
        return;
    }
    (*window_)[win::Toc].setValue(toc);
    const cddb::DiscRef disc = control_->MakeNewDisc(toc, "", "");
    // Without a disc the control's TOC editor takes the submission.
    if (disc) {
        std::ifstream file(rt::resolvePosixPath(kNewDiscFile), std::ios::binary);
        readNewDiscFile(file, *disc);
    }
    std::uint32_t flags = 0;
    const auto error = comErrorOf([&] {
        if (disc) {
            flags = control_->ShowDiscDialog(*disc, 2);
            if (cddb::asksSubmission(flags))
                control_->SubmitDisc(*disc, 0);
        } else {
            flags = control_->EditAndSubmitToc(toc, device.id());
        }
    });
    if (error)
        LogComError(*error);
    else if (cddb::asksSubmission(flags))
        ShowMessage("New disc submitted.");
}

void LookupDialog::UpdateDisc()
{
    if (lookUpDisc({.driveInOpenFailure = false, .noteEnteredDisc = false}) == Lookup::Settled)
        SubmitUpdates();
    endRequest(0);
}

void LookupDialog::SubmitUpdates()
{
    if (!currentDisc_)
        return;
    if (cddb::asksSubmission(control_->ShowDiscDialog(*currentDisc_, 2))) {
        control_->SubmitDisc(*currentDisc_, 0);
        ShowMessage("Updates submitted.");
    }
}

void LookupDialog::ShowExtendedDiscInfo()
{
    if (lookUpDisc({.driveInOpenFailure = false, .noteEnteredDisc = false}) != Lookup::Failed && currentDisc_)
        control_->ShowDiscDialog(*currentDisc_, 0);
    endRequest(0);
}

void LookupDialog::LookupAndPassDisc()
{
    if (lookUpDisc({.driveInOpenFailure = false, .noteEnteredDisc = false}) == Lookup::Settled && currentDisc_)
        control_->SwitchBOperation(*currentDisc_, 0, 0);
    endRequest(0);
}

} // namespace qv::trakhand
