#include "qvls/acquisition/disc_submission.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/expr/datetime.h"
#include "platform/framework/handover.h"
#include "platform/framework/table_access.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/errors.h"
#include "platform/tables/table.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/acquisition/collection_files.h"
#include "qvls/acquisition/disc_reading.h"
#include "qvls/acquisition/run_program.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/names.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/CDDBSubmissionWizard.h"

namespace qv::qvls {

namespace {

namespace W = ctl::CDDBSubmissionWizard;

constexpr std::string_view kNewDiscFile = "TRAKHAND.NEW";
constexpr std::string_view kSection = "CDDB";
// Release dates above this are whole dates, below it years.
constexpr std::int64_t kLastYear = 3000;

tables::Record& album()
{
    return dictionary::AlbumAccess->record();
}

// The tool reads one value a line: a line break inside a value would start
// a line of its own.
std::string oneLine(std::string value)
{
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return value;
}

void write(rt::IniFile& file, std::string_view key, std::string value)
{
    file.set(kSection, key, oneLine(std::move(value)));
}

// The disc's year: a release date kept as a whole date gives its year.
std::int64_t discYear()
{
    const std::int64_t date = album()["ALB:ReleaseDate"].toInt();
    return date > kLastYear ? expr::ymdFromDate(static_cast<std::int32_t>(date)).year : date;
}

} // namespace

void WriteNewDiscTracks(rt::IniFile& newDisc)
{
    fw::TableAccess& access = *dictionary::QuorvelAccess;
    tables::Table& songs = access.table();
    tables::Record& s = songs.record();
    const std::int64_t albumId = album()["ALB:AlbumID"].toInt();
    const std::string albumArtist = text::upper(text::trimRight(album()["ALB:Artist"].toString()));
    const fw::TableAccess::State kept = access.SaveTableState();
    s.clear();
    s["SNG:AlbumID"] = albumId;
    if (songs.setAt(songs.def().keyIndex("SNG:KeyAlbumID")) == 0)
        while (songs.next() == 0 && s["SNG:AlbumID"].toInt() == albumId) {
            const std::string n = std::to_string(s["SNG:TrackNumber"].toInt());
            write(newDisc, "TRACK" + n, s["SNG:Title"].toString());
            const std::string artist(text::trimRight(s["SNG:Artist"].toString()));
            if (text::upper(artist) != albumArtist)
                write(newDisc, "TRACKARTIST" + n, std::string(text::trimRight(ArtistDisplayName(artist))));
        }
    access.RestoreTableState(kept);
}

void SubmitAlbum()
{
    removeCollectionFile(kNewDiscFile);
    rt::IniFile newDisc(collectionFolder() + std::string(kNewDiscFile));
    write(newDisc, "ALBUM", album()["ALB:Album"].toString());
    write(newDisc, "ARTIST", album()["ALB:Artist"].toString());
    write(newDisc, "YEAR", std::to_string(discYear()));
    if (dictionary::QuorvelAccess->open() == fw::Benign) {
        WriteNewDiscTracks(newDisc);
        dictionary::QuorvelAccess->close();
    }
    RunProgramAndWait(trakhandProgram(), trakhandArguments("/S"));
}

namespace {

class SubmissionWizard : public fw::WindowController
{
public:
    SubmissionWizard()
        : fw::WindowController(std::string(W::kWindow))
    {
        onAccepted(W::SelectAlbum, [this] { selectAlbum(); });
        onAccepted(W::Finish, [this] {
            SubmitAlbum();
            setResponse(fw::response::Completed);
            endLoop();
        });
        onAccepted(W::Cancel, [this] { endLoop(); });
    }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        for (fw::TableAccess* t : {dictionary::AlbumAccess, dictionary::CategoriesAccess, dictionary::QuorvelAccess})
            if (t->open() != fw::Benign)
                return fw::Fatal;
            else
                opened_.push_back(t);
        loadWindow("qvls", W::kWindow);
        openWindow();
        if (!findAlbum())
            endLoop();
        window().display();
        return fw::Benign;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        for (fw::TableAccess* t : opened_)
            t->close();
        opened_.clear();
    }

private:
    static void tell(const std::string& text)
    {
        const tables::ErrorState& e = tables::lastError();
        rt::message(text + "\r" + e.text + ".", "Error " + std::to_string(e.code));
    }

    // The album of the CD in the drive, or else the one added last.
    bool findAlbum()
    {
        tables::Table& albums = dictionary::AlbumAccess->table();
        if (albums.records() == 0) {
            tell("No albums in database.");
            return false;
        }
        if (readDisc(2)) {
            const std::string serial = album()["ALB:CDIdentifier"].toString();
            if (!text::trim(serial).empty()) {
                album().clear();
                album()["ALB:CDIdentifier"] = serial;
                if (albums.fetch(albums.def().keyIndex("ALB:KEYCDIDENTIFIER")) == 0)
                    return true;
            }
        }
        if (albums.last() != 0) {
            tell("Error retrieving default album.");
            return false;
        }
        return true;
    }

    void selectAlbum()
    {
        fw::handover().request = fw::request::Select;
        if (!frameServices().callProcedure("SelectAlbum") || fw::handover().response != fw::response::Completed) {
            // The CD may have changed meanwhile.
            if (!findAlbum()) {
                endLoop();
                return;
            }
        }
        window().display();
        fw::handover().response = fw::response::Cancelled;
    }

    std::vector<fw::TableAccess*> opened_;
};

} // namespace

void CDDBSubmissionWizard()
{
    SubmissionWizard wizard;
    wizard.Execute();
}

void registerDiscSubmission()
{
    rt::Procedures::add("CDDBSubmissionWizard", [] { CDDBSubmissionWizard(); });
    rt::Procedures::add("SubmitAlbum", [] { SubmitAlbum(); });
}

} // namespace qv::qvls
