#pragma once
// A disc-database control that answers as a test sets it up and notes every
// call, and a CD audio device that opens when told to.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/outside/cddb/control.h"
#include "trakhand/tool.h"

namespace qv::trakhand::testing {

// What the control answers and what it was asked; it outlives the control,
// which the tool releases at its end.
struct FakeService {
    // Answers.
    cddb::ServiceUserRef user = std::make_shared<cddb::ServiceUser>();
    cddb::ServiceUserRef userAfterSignUp; // QueryServiceUser(1) when there is no user
    cddb::OptionsRef options = std::make_shared<cddb::Options>();
    std::string toc = "2a03b504 4 150 17000 36000 52000 963";
    int match = cddb::kExactMatch;
    cddb::LookupResult result;
    cddb::DiscRef picked; // the person's choice among several
    cddb::DiscRef completed; // the full record of a chosen known disc
    std::optional<cddb::ComError> lookupError, completeError, linksError, discDialogError, tocError;
    cddb::LinkListRef links; // nullptr: no list
    std::uint32_t discDialogFlags = 0, tocEditorFlags = 0, optionsDialogFlags = 0;
    cddb::DiscRef newDisc; // MakeNewDisc's answer
    cddb::RegionListRef regions;
    // Runs inside LookupMediaByToc, as the real control's events and waits do.
    std::function<void(cddb::ControlEvents*)> duringLookup;

    // What happened.
    std::vector<std::string> calls;
    std::vector<cddb::Options> applied;
    std::vector<cddb::Disc> submitted;
    std::vector<std::pair<cddb::Disc, int>> discDialogs; // the disc and the mode
    cddb::ControlEvents* sink = nullptr;
    trakhand::CancelCheck cancelled;
    bool released = false;
};

class FakeControl : public cddb::Control
{
public:
    explicit FakeControl(FakeService& s)
        : s_(s)
    { }
    ~FakeControl() override;

    int connect(cddb::ControlEvents* sink) override;
    void disconnect(int cookie) override;
    cddb::ServiceUserRef QueryServiceUser(int flag) override;
    void IdentifyClient(const std::string& clientId, const std::string& clientTag, const std::string& version,
        const std::string& registration) override;
    cddb::OptionsRef FetchOptions() override;
    void ApplyOptions(const cddb::Options& options) override;
    std::string ReadTocFromDevice(int device) override;
    int LookupMediaByToc(const std::string& toc, int flags) override;
    cddb::LookupResult TakeLookupResult() override;
    void ReleaseService() override;
    cddb::DiscRef PickMatchedDisc(const cddb::MatchList& matches) override;
    cddb::DiscRef CompleteDiscRecord(const cddb::Disc& disc, int flags) override;
    std::uint32_t ShowDiscDialog(cddb::Disc& disc, int mode) override;
    cddb::DiscRef MakeNewDisc(const std::string& toc, const std::string& a, const std::string& b) override;
    void SubmitDisc(const cddb::Disc& disc, int flags) override;
    std::uint32_t EditAndSubmitToc(const std::string& toc, int device) override;
    cddb::GenreListRef ObtainGenreList(int flags) override;
    cddb::RegionListRef ObtainRegionList(int flags) override;
    cddb::LinkListRef ObtainDiscLinks(const cddb::Disc& disc, int flags) override;
    void ShowAboutBox() override;
    void SwitchMOperation(int value) override;
    std::uint32_t ShowOptionsDialog(cddb::Options& options) override;
    void SwitchBOperation(cddb::Disc& disc, int a, int b) override;

private:
    FakeService& s_;
};

// A CD audio device: opens answer device 7 unless an error is set.
struct FakeAudio : trakhand::AudioDevice {
    int openError = 0;
    std::vector<std::string> opened;
    std::vector<int> closed;
    int openNow = 0;

    cdaudio::MciOpenResult open(const std::string& drive) override
    {
        opened.push_back(drive);
        if (openError != 0)
            return {0, openError};
        ++openNow;
        return {7, 0};
    }
    void close(int device) override
    {
        closed.push_back(device);
        --openNow;
    }
};

} // namespace qv::trakhand::testing
