#include "platform/outside/cddb/service_control.h"

#include <cstdlib>
#include <new>
#include <pwd.h>
#include <unistd.h>
#include <utility>

#include "platform/cdaudio/mci.h"
#include "platform/outside/cddb/options_store.h"
#include "platform/outside/cddb/service_windows.h"
#include "platform/outside/cddb/xmcd.h"
#include "platform/runtime/clipboard.h"

namespace qv::cddb {

namespace {

// Every failure leaves the control as a ComError; what is not one already
// becomes the nearest code.
template <typename F> auto guarded(F&& body) -> decltype(body())
{
    try {
        return body();
    } catch (const ComError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw ComError(hr::kOutOfMemory, "Not enough memory for the disc database.");
    } catch (const std::exception& e) {
        throw ComError(hr::kFail, e.what());
    }
}

std::string localUserName()
{
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return pw->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

std::string localHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "localhost";
    return name;
}

std::string statusText(int code)
{
    switch (code) {
    case 200:
        return "200 Found exact match";
    case 202:
        return "202 No match found";
    case 210:
        return "210 Found exact matches, list follows";
    case 211:
        return "211 Found inexact matches, list follows";
    }
    return std::to_string(code);
}

} // namespace

// Marks an operation that may wait for the server: cancel() reaches only it.
class CddbServiceControl::Running
{
public:
    explicit Running(CddbServiceControl& control)
        : control_(control)
    {
        control_.running_ = true;
        control_.cancelRequested_ = false;
    }
    ~Running()
    {
        control_.running_ = false;
        control_.cancelRequested_ = false;
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    CddbServiceControl& control_;
};

CddbServiceControl::CddbServiceControl(Client::CancelCheck cancelled)
    : cancelled_(std::move(cancelled))
{ }

void CddbServiceControl::cancel()
{
    if (running_)
        cancelRequested_ = true;
}

int CddbServiceControl::connect(ControlEvents* sink)
{
    sink_ = sink;
    return ++cookie_;
}

void CddbServiceControl::disconnect(int cookie)
{
    if (cookie == cookie_)
        sink_ = nullptr;
}

const Options& CddbServiceControl::options()
{
    if (!options_)
        options_ = loadOptions();
    return *options_;
}

Client CddbServiceControl::client()
{
    Options o = options();
    const std::optional<ServiceUser> user = loadServiceUser();
    if (o.email.empty() && user)
        o.email = user->email;
    ClientIdentity identity;
    identity.user = user ? user->name : localUserName();
    identity.host = localHostName();
    Client c(std::move(o), std::move(identity));
    c.setCancelCheck([this] { return cancelRequested_ || (cancelled_ && cancelled_()); });
    c.setLog([this](const std::string& line) {
        if (sink_)
            sink_->LogMessage(line);
    });
    return c;
}

void CddbServiceControl::progress(int command, int step, int steps)
{
    if (sink_)
        sink_->CommandProgress(command, step * 100 / steps, step, steps);
}

ServiceUserRef CddbServiceControl::QueryServiceUser(int flag)
{
    return guarded([&]() -> ServiceUserRef {
        if (flag != 0 && flag != 1)
            throw ComError(hr::kInvalidArgument, "QueryServiceUser takes 0 (silent) or 1 (with the sign-up).");
        std::optional<ServiceUser> user = loadServiceUser();
        if (flag == 1) {
            const ServiceUser start = user ? *user : ServiceUser{localUserName(), {}};
            if (std::optional<ServiceUser> signedUp = askServiceUser(start)) {
                saveServiceUser(*signedUp);
                user = std::move(signedUp);
            }
        }
        return user ? std::make_shared<ServiceUser>(std::move(*user)) : nullptr;
    });
}

void CddbServiceControl::IdentifyClient(const std::string& clientId, const std::string& clientTag,
    const std::string& version, const std::string& registration)
{
    // The CDDB protocol has no client registration: its hello names the
    // user, the host and this program (ClientIdentity), so the caller's
    // identity is only checked for being there.
    (void)clientTag;
    (void)version;
    (void)registration;
    if (clientId.empty())
        throw ComError(hr::kInvalidArgument, "The calling program gave no client identifier.");
}

OptionsRef CddbServiceControl::FetchOptions()
{
    return guarded([&] { return std::make_shared<Options>(options()); });
}

void CddbServiceControl::ApplyOptions(const Options& o)
{
    guarded([&] {
        saveOptions(o);
        options_ = o;
    });
}

std::string CddbServiceControl::ReadTocFromDevice(int device)
{
    return guarded([&] {
        const std::optional<cdaudio::DiscToc> toc = cdaudio::mciReadToc(device);
        return toc && !toc->tracks.empty() ? cdaudio::cddbTocText(*toc) : std::string();
    });
}

int CddbServiceControl::LookupMediaByToc(const std::string& toc, int flags)
{
    (void)flags;
    return guarded([&] {
        result_ = {};
        if (!parseTocText(toc))
            throw ComError(
                hr::kInvalidArgument, "The CD's table of contents cannot be looked up: \"" + toc.substr(0, 80) + "\".");
        constexpr int kSteps = 3;
        Running running(*this);
        Client c = client();
        progress(cmd::kLookupMediaByToc, 1, kSteps);
        const QueryAnswer answer = c.query(toc);
        if (sink_)
            sink_->ServerMessage(answer.code, static_cast<int>(answer.matches.size()), statusText(answer.code));
        progress(cmd::kLookupMediaByToc, 2, kSteps);
        int found = kNoMatch;
        if (answer.code == 202) {
            found = kNoMatch;
        } else if ((answer.code == 200 || answer.code == 210) && answer.matches.size() == 1) {
            const QueryMatch& m = answer.matches.front();
            result_ = std::make_shared<Disc>(c.read(m.category, m.discId, toc));
            found = kExactMatch;
        } else if ((answer.code == 210 || answer.code == 211) && !answer.matches.empty()) {
            auto list = std::make_shared<MatchList>();
            for (const QueryMatch& m : answer.matches) {
                auto disc = std::make_shared<Disc>(matchedDisc(m));
                disc->toc = toc; // for the read of the one chosen
                list->discs.push_back(std::move(disc));
            }
            result_ = std::move(list);
            found = kSeveralMatches;
        } else {
            throw ComError(hr::kBadAnswer,
                "The disc database answered the lookup with " + statusText(answer.code) + " and "
                    + std::to_string(answer.matches.size()) + " discs.");
        }
        progress(cmd::kLookupMediaByToc, kSteps, kSteps);
        return found;
    });
}

LookupResult CddbServiceControl::TakeLookupResult()
{
    return std::exchange(result_, LookupResult{});
}

void CddbServiceControl::ReleaseService()
{
    result_ = {};
    cancelRequested_ = false;
}

DiscRef CddbServiceControl::PickMatchedDisc(const MatchList& matches)
{
    return guarded([&]() -> DiscRef {
        const std::optional<std::size_t> chosen = pickMatch(matches);
        if (!chosen || !matches.discs[*chosen])
            return nullptr;
        return std::make_shared<Disc>(*matches.discs[*chosen]);
    });
}

DiscRef CddbServiceControl::CompleteDiscRecord(const Disc& disc, int flags)
{
    (void)flags;
    return guarded([&] {
        if (disc.category.empty() || disc.discId.empty())
            throw ComError(hr::kInvalidArgument, "Only a disc the database knows has a full record to read.");
        Running running(*this);
        return std::make_shared<Disc>(client().read(disc.category, disc.discId, disc.toc));
    });
}

std::uint32_t CddbServiceControl::ShowDiscDialog(Disc& disc, int mode)
{
    return guarded([&]() -> std::uint32_t {
        if (mode != 0 && mode != 2)
            throw ComError(hr::kInvalidArgument, "ShowDiscDialog shows a disc (0) or edits it for submission (2).");
        const bool submit = editDisc(disc, mode == 2 ? DiscView::Edit : DiscView::Display);
        return submit ? kFlagChanged | kFlagSubmit : 0;
    });
}

DiscRef CddbServiceControl::MakeNewDisc(const std::string& toc, const std::string& artist, const std::string& title)
{
    return guarded([&]() -> DiscRef {
        const std::optional<TocText> shape = parseTocText(toc);
        if (!shape)
            return nullptr;
        auto disc = std::make_shared<Disc>();
        disc->toc = toc;
        disc->artist = artist;
        disc->title = title;
        disc->tracks.resize(shape->offsets.size());
        return disc;
    });
}

void CddbServiceControl::SubmitDisc(const Disc& disc, int flags)
{
    (void)flags;
    guarded([&] {
        // The client refuses a disc without a category, TOC or e-mail address.
        constexpr int kSteps = 2;
        Running running(*this);
        Client c = client();
        progress(cmd::kSubmitDisc, 1, kSteps);
        c.submit(disc);
        progress(cmd::kSubmitDisc, kSteps, kSteps);
    });
}

std::uint32_t CddbServiceControl::EditAndSubmitToc(const std::string& toc, int device)
{
    return guarded([&] {
        DiscRef disc = MakeNewDisc(toc, {}, {});
        if (!disc)
            disc = MakeNewDisc(ReadTocFromDevice(device), {}, {});
        if (!disc)
            throw ComError(hr::kNoDisc, "There is no audio CD in the drive to describe.");
        const std::uint32_t flags = ShowDiscDialog(*disc, 2);
        if (asksSubmission(flags))
            SubmitDisc(*disc, 0);
        return flags;
    });
}

GenreListRef CddbServiceControl::ObtainGenreList(int flags)
{
    (void)flags;
    return std::make_shared<GenreList>();
}

RegionListRef CddbServiceControl::ObtainRegionList(int flags)
{
    (void)flags;
    return std::make_shared<RegionList>();
}

LinkListRef CddbServiceControl::ObtainDiscLinks(const Disc& disc, int flags)
{
    (void)disc;
    (void)flags;
    return std::make_shared<LinkList>();
}

void CddbServiceControl::ShowAboutBox()
{
    guarded([&] { showAboutBox(options().serverUrl); });
}

void CddbServiceControl::SwitchMOperation(int value)
{
    guarded([&] {
        if (value != kMessageOfTheDay)
            throw ComError(
                hr::kInvalidArgument, "SwitchMOperation knows only " + std::to_string(kMessageOfTheDay) + ".");
        std::string motd;
        {
            Running running(*this);
            motd = client().messageOfTheDay();
        }
        tell(motd.empty() ? std::string("The disc database has no message today.") : motd, "Message of the Day",
            rt::Icon::Information);
    });
}

std::uint32_t CddbServiceControl::ShowOptionsDialog(Options& o)
{
    return guarded([&]() -> std::uint32_t {
        const Options before = o;
        if (!editOptions(o))
            return 0;
        return o == before ? 0 : kFlagChanged;
    });
}

void CddbServiceControl::SwitchBOperation(Disc& disc, int a, int b)
{
    (void)a;
    (void)b;
    guarded([&] {
        rt::clipboard().setText(toXmcd(disc));
        // The message also keeps the program, and with it the clipboard's
        // text, alive until the person has had a chance to paste it.
        tell("The disc's record is on the clipboard.", "Disc Database", rt::Icon::Information);
    });
}

} // namespace qv::cddb
