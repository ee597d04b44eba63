#include "qvls/tools/default_artists.h"

#include "platform/framework/error_reporter.h"
#include "platform/framework/record_processor.h"
#include "platform/framework/table_access.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/window.h"
#include "platform/tables/view.h"
#include "qvls/core/globals.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/DefaultArtists.h"

namespace qv::qvls {

namespace {

class DefaultArtistsProcess : public fw::WindowController
{
public:
    DefaultArtistsProcess()
        : fw::WindowController("Process:DefaultArtists")
        , songs_(dictionary::Quorvel(), fw::appErrorReporter())
        , artists_(dictionary::Artists(), fw::appErrorReporter())
    { }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        if (songs_.open() != fw::Benign)
            return fw::Fatal;
        songsOpen_ = true;
        if (artists_.open() != fw::Benign)
            return fw::Fatal;
        artistsOpen_ = true;
        view_ = std::make_unique<tables::View>(dictionary::Quorvel());
        reader_ = std::make_unique<fw::ViewReader>(*view_, songs_);
        reader_->AddSortOrder("SNG:SongsByArtist");
        processor_ = std::make_unique<fw::RecordProcessor>(*reader_);
        processor_->setControls(std::string(ctl::DefaultArtists::Progress.name),
            std::string(ctl::DefaultArtists::Percent.name), std::string(ctl::DefaultArtists::Cancel.name));
        processor_->setStep([this] { return step(); });
        loadWindow("qvls", ctl::DefaultArtists::kWindow);
        addComponent(*processor_);
        openWindow();
        return fw::Benign;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        processor_.reset();
        reader_.reset();
        view_.reset();
        if (artistsOpen_)
            artists_.close();
        if (songsOpen_)
            songs_.close();
    }

private:
    fw::Level step()
    {
        tables::Record& song = dictionary::Quorvel().record();
        const std::string artist = song.getText(song.def().fieldIndex("SNG:Artist"));
        // A song without an artist names no one; the list gets no blank entry.
        if (artist.find_first_not_of(' ') == std::string::npos)
            return fw::Benign;
        tables::Record& a = dictionary::Artists().record();
        a.clear();
        a["ART:Artist"] = artist;
        a["ART:CATEGORYID"] = song[std::string_view("SNG:CategoryID")].toInt();
        artists_.TryInsert(); // an artist already listed stays as it is
        return fw::Benign;
    }

    fw::TableAccess songs_;
    fw::TableAccess artists_;
    std::unique_ptr<tables::View> view_;
    std::unique_ptr<fw::ViewReader> reader_;
    std::unique_ptr<fw::RecordProcessor> processor_;
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
