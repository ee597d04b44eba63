#include "fake_control.h"

namespace qv::trakhand::testing {

namespace {
void raise(const std::optional<cddb::ComError>& error)
{
    if (error)
        throw *error;
}
} // namespace

FakeControl::~FakeControl() = default;

int FakeControl::connect(cddb::ControlEvents* sink)
{
    s_.calls.push_back("connect");
    s_.sink = sink;
    return 42;
}

void FakeControl::disconnect(int cookie)
{
    s_.calls.push_back("disconnect " + std::to_string(cookie));
    s_.sink = nullptr;
}

cddb::ServiceUserRef FakeControl::QueryServiceUser(int flag)
{
    s_.calls.push_back("QueryServiceUser " + std::to_string(flag));
    if (!s_.user && flag == 1)
        s_.user = s_.userAfterSignUp;
    return s_.user;
}

void FakeControl::IdentifyClient(const std::string& clientId, const std::string& clientTag, const std::string& version,
    const std::string& registration)
{
    s_.calls.push_back("IdentifyClient " + clientId + " " + clientTag + " " + version + " " + registration);
}

cddb::OptionsRef FakeControl::FetchOptions()
{
    s_.calls.push_back("FetchOptions");
    return s_.options ? std::make_shared<cddb::Options>(*s_.options) : nullptr;
}

void FakeControl::ApplyOptions(const cddb::Options& options)
{
    s_.calls.push_back("ApplyOptions");
    s_.applied.push_back(options);
    *s_.options = options;
}

std::string FakeControl::ReadTocFromDevice(int device)
{
    s_.calls.push_back("ReadTocFromDevice " + std::to_string(device));
    raise(s_.tocError);
    return s_.toc;
}

int FakeControl::LookupMediaByToc(const std::string& toc, int flags)
{
    s_.calls.push_back("LookupMediaByToc " + toc);
    if (s_.duringLookup)
        s_.duringLookup(s_.sink);
    raise(s_.lookupError);
    return s_.match;
}

cddb::LookupResult FakeControl::TakeLookupResult()
{
    s_.calls.push_back("TakeLookupResult");
    return s_.result;
}

void FakeControl::ReleaseService()
{
    s_.calls.push_back("ReleaseService");
    s_.released = true;
}

cddb::DiscRef FakeControl::PickMatchedDisc(const cddb::MatchList&)
{
    s_.calls.push_back("PickMatchedDisc");
    return s_.picked;
}

cddb::DiscRef FakeControl::CompleteDiscRecord(const cddb::Disc&, int)
{
    s_.calls.push_back("CompleteDiscRecord");
    raise(s_.completeError);
    return s_.completed;
}

std::uint32_t FakeControl::ShowDiscDialog(cddb::Disc& disc, int mode)
{
    s_.calls.push_back("ShowDiscDialog " + std::to_string(mode));
    s_.discDialogs.emplace_back(disc, mode);
    raise(s_.discDialogError);
    return s_.discDialogFlags;
}

cddb::DiscRef FakeControl::MakeNewDisc(const std::string& toc, const std::string&, const std::string&)
{
    s_.calls.push_back("MakeNewDisc " + toc);
    return s_.newDisc;
}

void FakeControl::SubmitDisc(const cddb::Disc& disc, int)
{
    s_.calls.push_back("SubmitDisc");
    s_.submitted.push_back(disc);
}

std::uint32_t FakeControl::EditAndSubmitToc(const std::string& toc, int device)
{
    s_.calls.push_back("EditAndSubmitToc " + toc + " " + std::to_string(device));
    return s_.tocEditorFlags;
}

cddb::GenreListRef FakeControl::ObtainGenreList(int)
{
    s_.calls.push_back("ObtainGenreList");
    return std::make_shared<cddb::GenreList>();
}

cddb::RegionListRef FakeControl::ObtainRegionList(int)
{
    s_.calls.push_back("ObtainRegionList");
    if (!s_.regions)
        throw cddb::ComError(cddb::hr::kNetwork, "The server did not answer.");
    return s_.regions;
}

cddb::LinkListRef FakeControl::ObtainDiscLinks(const cddb::Disc&, int)
{
    s_.calls.push_back("ObtainDiscLinks");
    raise(s_.linksError);
    return s_.links;
}

void FakeControl::ShowAboutBox()
{
    s_.calls.push_back("ShowAboutBox");
}

void FakeControl::SwitchMOperation(int value)
{
    s_.calls.push_back("SwitchMOperation " + std::to_string(value));
}

std::uint32_t FakeControl::ShowOptionsDialog(cddb::Options&)
{
    s_.calls.push_back("ShowOptionsDialog");
    return s_.optionsDialogFlags;
}

void FakeControl::SwitchBOperation(cddb::Disc&, int, int)
{
    s_.calls.push_back("SwitchBOperation");
}

} // namespace qv::trakhand::testing
