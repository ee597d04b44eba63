#include "qvls/tools/default_artists.h"

#include <memory>

#include "platform/framework/error_reporter.h"
#include "platform/framework/record_processor.h"
#include "platform/framework/table_access.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"
#include "platform/tables/copy.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/DefaultArtists.h"

namespace qv::qvls {

namespace {

// Songs by artist become the artist list: the first song of each name (as the key
// compares names, without regard to case) gives its spelling and category; a song
// without an artist names no one; an artist already listed stays as it is. The copy
// is one transaction, taken in steps so the window shows progress and Cancel works;
// what the steps added before a Cancel stays.
class ArtistCopy : public fw::BatchProcessor
{
public:
    explicit ArtistCopy(fw::TableAccess& artists)
        : artists_(artists)
    { }

protected:
    fw::Level start() override
    {
        tables::Table& songs = dictionary::Quorvel();
        copy_ = std::make_unique<tables::TableCopy>(
            songs, songs.def().keyIndex("SNG:SongsByArtist"), dictionary::Artists());
        copy_->carry("ART:Artist", "SNG:Artist");
        copy_->carry("ART:CATEGORYID", "SNG:CategoryID");
        copy_->skipBlank("SNG:Artist");
        copy_->firstOfEach(1);
        if (const int e = copy_->begin())
            return fail(e);
        total_ = copy_->total();
        return fw::Benign;
    }

    fw::Level batch(int n, bool& atEnd) override
    {
        if (const int e = copy_->step(n))
            return fail(e);
        processed_ = copy_->done();
        atEnd = copy_->finished();
        return fw::Benign;
    }

    void finish(bool completed) override
    {
        if (const int e = copy_ ? copy_->commit() : 0; e && e != tables::NoTransaction)
            fail(e);
        fw::BatchProcessor::finish(completed);
    }

private:
    // The steps before the failure stay; the transaction ends before the message
    // shows, so no file stays locked while the user reads it.
    fw::Level fail(int error)
    {
        const tables::ErrorState kept = tables::lastError();
        copy_->commit();
        tables::setError(kept.code, kept.file, kept.osText, kept.osCode);
        artists_.raiseWriteError(error, fw::Msg::InsertFailed);
        return fw::Program;
    }

    fw::TableAccess& artists_;
    std::unique_ptr<tables::TableCopy> copy_;
};

class DefaultArtistsProcess : public fw::WindowController
{
public:
    DefaultArtistsProcess()
        : fw::WindowController("Process:DefaultArtists")
        , songs_(dictionary::Quorvel(), fw::appErrorReporter())
        , artists_(dictionary::Artists(), fw::appErrorReporter())
        , copy_(artists_)
    { }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        // Opened here as everywhere: a missing artist file is created, a bad one reported.
        if (songs_.open() != fw::Benign)
            return fw::Fatal;
        songsOpen_ = true;
        if (artists_.open() != fw::Benign)
            return fw::Fatal;
        artistsOpen_ = true;
        copy_.setControls(std::string(ctl::DefaultArtists::Progress.name),
            std::string(ctl::DefaultArtists::Percent.name), std::string(ctl::DefaultArtists::Cancel.name));
        copy_.setRecordsPerTurn(kFirstTurnSongs);
        copy_.setTurnTime(kTurnMilliseconds);
        loadWindow("qvls", ctl::DefaultArtists::kWindow);
        addComponent(copy_);
        openWindow();
        return fw::Benign;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        if (artistsOpen_)
            artists_.close();
        if (songsOpen_)
            songs_.close();
    }

private:
    // Turns short enough that the window redraws and Cancel answers at once.
    static constexpr int kFirstTurnSongs = 2000;
    static constexpr int kTurnMilliseconds = 50;

    fw::TableAccess songs_;
    fw::TableAccess artists_;
    ArtistCopy copy_;
    bool songsOpen_ = false;
    bool artistsOpen_ = false;
};

} // namespace

void DefaultArtists()
{
    DefaultArtistsProcess process;
    process.Execute();
}

} // namespace qv::qvls
