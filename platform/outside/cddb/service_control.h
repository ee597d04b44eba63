#pragma once
// The real disc-database control: it speaks the CDDB protocol through
// Client to the server its options name, keeps the service user and the
// options in the control's store, and shows its own windows
// (service_windows.h). Operations run on the caller's thread; while one
// waits for the server, the program's other threads and windows go on, and
// cancel() ends the wait.

#include <optional>
#include <string>

#include "platform/outside/cddb/client.h"
#include "platform/outside/cddb/control.h"

namespace qv::cddb {

class CddbServiceControl : public Control
{
public:
    // `cancelled`, when given, is the host program's own word that the
    // running operation should stop (its Cancel button); it is asked while
    // the control waits for the server.
    explicit CddbServiceControl(Client::CancelCheck cancelled = {});

    // Ends the waits of the operation that is running: it fails with
    // hr::kCancelled. Without a running operation nothing happens.
    void cancel();

    int connect(ControlEvents* sink) override;
    void disconnect(int cookie) override;

    ServiceUserRef QueryServiceUser(int flag) override;
    void IdentifyClient(const std::string& clientId, const std::string& clientTag, const std::string& version,
        const std::string& registration) override;
    OptionsRef FetchOptions() override;
    void ApplyOptions(const Options& options) override;
    std::string ReadTocFromDevice(int device) override;
    int LookupMediaByToc(const std::string& toc, int flags) override;
    LookupResult TakeLookupResult() override;
    void ReleaseService() override;
    DiscRef PickMatchedDisc(const MatchList& matches) override;
    DiscRef CompleteDiscRecord(const Disc& disc, int flags) override;
    std::uint32_t ShowDiscDialog(Disc& disc, int mode) override;
    DiscRef MakeNewDisc(const std::string& toc, const std::string& artist, const std::string& title) override;
    void SubmitDisc(const Disc& disc, int flags) override;
    std::uint32_t EditAndSubmitToc(const std::string& toc, int device) override;
    GenreListRef ObtainGenreList(int flags) override;
    RegionListRef ObtainRegionList(int flags) override;
    LinkListRef ObtainDiscLinks(const Disc& disc, int flags) override;
    void ShowAboutBox() override;
    void SwitchMOperation(int value) override;
    std::uint32_t ShowOptionsDialog(Options& options) override;
    void SwitchBOperation(Disc& disc, int a, int b) override;

    // SwitchMOperation's value that shows the server's message of the day.
    static constexpr int kMessageOfTheDay = 4096;

private:
    class Running;

    const Options& options();
    // A client for the stored options, reporting its requests to the sink
    // and reading this control's cancel request.
    Client client();
    void progress(int command, int step, int steps);

    Client::CancelCheck cancelled_;
    ControlEvents* sink_ = nullptr;
    int cookie_ = 0;
    std::optional<Options> options_; // read from the store on first use
    LookupResult result_;
    bool running_ = false;
    bool cancelRequested_ = false;
};

} // namespace qv::cddb
