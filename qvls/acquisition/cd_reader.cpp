#include "qvls/acquisition/cd_reader.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"
#include "platform/tables/group.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/acquisition/disc_side.h"
#include "qvls/acquisition/mci_channel.h"
#include "qvls/browse_extension/brovex_progress.h"
#include "qvls/core/disc_arithmetic.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"
#include "qvls/core/settings.h"
#include "qvls/core/time_text.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/ReadCDInformation.h"

namespace qv::qvls {

namespace {

namespace R = ctl::ReadCDInformation;

// The bar is full after this many steps (the table of contents, then one
// per track).
constexpr long kProgressSteps = 25;
constexpr std::size_t kCddbRequestLength = 255;
constexpr std::size_t kSerialNumberLength = 24;

// An audio CD holds at most 99 tracks, whatever a drive answers.
constexpr long long kMaxTracks = 99;

// A numeric answer; a text that is no number reads as 0.
long long mciNumber(std::string_view answer)
{
    const std::string_view t = text::trim(answer);
    if (t.empty() || t.size() > 18)
        return 0;
    long long v = 0;
    for (const char c : t) {
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
    }
    return v;
}

// A serial number is all digits after the leading blank of a one-digit
// track count; anything else, or only zeros, reads as 0.
bool readsAsZero(std::string_view serial)
{
    const std::string_view t = text::trim(serial);
    for (const char c : t)
        if (c < '0' || c > '9')
            return true;
    return t.find_first_not_of('0') == std::string_view::npos;
}

rt::IniFile positionIni()
{
    return rt::IniFile::named(glo().positionFile.empty() ? kPositionFile : std::string_view(glo().positionFile));
}

// Rows written together: one transaction over the table's group, ended on
// every way out (committed, or rolled back when the commit fails).
class WriteBatch
{
public:
    explicit WriteBatch(tables::Table& table)
        : group_(table.group())
        , framed_(!group_.inTransaction() && group_.begin(2) == 0)
    { }
    ~WriteBatch()
    {
        if (framed_ && group_.commit() != 0)
            group_.rollback();
    }
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

private:
    tables::Group& group_;
    bool framed_;
};

// A table opened through its access object for the length of a scope, its
// key, position and buffer put back afterwards: another window may be
// showing a record from the buffer.
class TableUse
{
public:
    explicit TableUse(fw::TableAccess& access)
        : access_(access)
        , open_(access.open() == fw::Benign)
        , kept_(access.SaveTableState())
    { }
    ~TableUse()
    {
        access_.RestoreTableState(kept_);
        if (open_)
            access_.close();
    }
    TableUse(const TableUse&) = delete;
    TableUse& operator=(const TableUse&) = delete;
    bool open() const { return open_; }

private:
    fw::TableAccess& access_;
    bool open_;
    fw::TableAccess::State kept_;
};

struct TrackRead {
    std::int32_t time = 0; // CDI:TRACKTIME, a time value
    std::string startFrame; // CDI:CDDBSTRING
};

class CdReader
{
public:
    CdReader(int mode, bool scratchRows, WizardTracks wizard)
        : mode_(mode)
        , scratchRows_(scratchRows)
        , wizard_(std::move(wizard))
        , album_(dictionary::Album().record())
        , drive_(text::asciiLower(text::trimRight(settings().CDDrive)))
    { }
    ~CdReader()
    {
        closeDevice();
        // The caller finds its album again, with what was read.
        dictionary::Album().record() = album_;
    }
    CdReader(const CdReader&) = delete;
    CdReader& operator=(const CdReader&) = delete;

    bool read()
    {
        if (!openDevice() || !ready() || !doorClosed())
            return false;
        progress_ = std::make_unique<BrovexProgress>(R::kWindow);
        progress_->window()[R::Title].setValue("Reading CD");
        showStatus("Serial Number");
        readTableOfContents();
        if (mode_ != cd_read::Full && !scratchRows_)
            return true;
        step();
        readTrackTimes();
        closeDevice();
        if (scratchRows_)
            writeScratchRows();
        else if (album_["ALB:AlbumID"].toInt() != 0)
            writeSongRows();
        return true;
    }

private:
    bool quiet() const { return mode_ == cd_read::IdentifyQuietly; }

    bool openDevice()
    {
        const std::string open = mciOpenCommand();
        const std::string answer = SendMCICommand(open);
        rt::IniFile position = positionIni();
        position.set(settings_section::Settings, "MCIState", text::padTo(answer, 128) + " " + open);
        position.set(settings_section::Settings, "MCIState-LastError", "");
        if (!isMciError(answer)) {
            opened_ = true;
            return true;
        }
        // The device may be held under the alias by another window: going on
        // uses it as it is, and it is never closed from here.
        if (position.get(settings_section::Settings, "IgnoreMCIError") == "Yes")
            return true;
        position.set(settings_section::Settings, "MCIState-LastError", answer);
        if (!quiet())
            rt::message("The operating system is reporting that the CD player not available.  Ensure that no other "
                        "program is using the CD-ROM drive.||Note:|If this error is incorrect, one of these solutions "
                        "may apply:|(1) Go to File->Setup, and change the CD Drive to Use.|(2) Go to File->Setup, "
                        "Advanced tab, and change the access mode to \"Open\".|(3) Add \"IgnoreMCIError=Yes\" under "
                        "[Settings] in the POSITION.INI file and retry this operation.|||"
                    + std::string(text::trimRight(answer)) + ".|" + open + ".",
                "Error Accessing CD Player on Drive " + drive_, rt::Icon::Exclamation);
        return false;
    }

    bool ready()
    {
        const std::string asked = "status xxx ready";
        const std::string answer = SendMCICommand(asked);
        positionIni().set(settings_section::Settings, "MCIState", std::string(text::trimRight(answer)) + " " + asked);
        if (!isMciError(answer))
            return true;
        if (!quiet())
            rt::message("CD player not ready.", "Error");
        return false;
    }

    bool doorClosed()
    {
        if (SendMCICommand({}, true) != "open")
            return true;
        if (quiet())
            return false;
        SendMCICommand("set xxx door closed");
        if (SendMCICommand({}, true) != "open")
            return true;
        rt::message("The operating system reports that the CD player door is open or an audio CD is not inserted.",
            "Door Open Error");
        return false;
    }

    void readTableOfContents()
    {
        SendMCICommand("set xxx time format tmsf");
        count_ = static_cast<int>(std::min(kMaxTracks, mciNumber(SendMCICommand("status xxx number of tracks"))));
        album_["ALB:CDIDENTIFIER"] = serialNumber();

        std::vector<CDTrackEntry>& toc = threadGlo().cdTracks;
        toc.clear();
        SendMCICommand("set xxx time format msf");
        for (int n = 1; n <= count_; ++n) {
            const std::string track = std::to_string(n);
            toc.push_back({MsfToFrames(SendMCICommand("status xxx position track " + track)),
                MsfToFrames(SendMCICommand("status xxx length track " + track))});
        }
        std::vector<TrackPosition> positions;
        for (const CDTrackEntry& t : toc)
            positions.push_back({t.trackPosition, t.trackLength});
        std::int32_t discLength = static_cast<std::int32_t>(album_["ALB:TotalTime"].toInt());
        album_["ALB:XCCD"] = ComputeDiscId(positions, discLength);
        album_["ALB:TotalTime"] = discLength;

        const std::string request = lookupRequest(discLength);
        album_["ALB:CDDBSTRING"] = request;
        rt::IniFile trakhand = rt::IniFile::named(kTrakhandIni);
        trakhand.set("CDDB", "CDDB", request);
        trakhand.set("Default", settings_key::AutomaticMode, settings().CDDBAutomaticMode != 0 ? "Y" : "N");
        SendMCICommand("set xxx time format tmsf");
    }

    // The track count in two places, then the disc's length and those of its
    // first three tracks, each a time value in plain digits.
    std::string serialNumber()
    {
        std::string serial = (count_ >= 0 && count_ < 10 ? " " : "") + std::to_string(count_);
        serial += std::to_string(MSFStampToTime(SendMCICommand("status xxx length")));
        for (int n = 1; n <= 3 && (n == 1 || n <= count_); ++n)
            serial += std::to_string(MSFStampToTime(SendMCICommand("status xxx length track " + std::to_string(n))));
        serial = std::string(text::firstChars(serial, kSerialNumberLength));
        if (!readsAsZero(serial))
            return serial;
        if (text::trim(settings().CDDrive).empty() && !text::trim(serial).empty())
            rt::message("The CD Serial Number could not be set.  Please select a CD-ROM drive in File/Setup.", "Error");
        return {};
    }

    std::string lookupRequest(std::int32_t discLength) const
    {
        std::string request = std::string(text::trimRight(album_.getString(album_.def().fieldIndex("ALB:XCCD")))) + " "
            + std::to_string(count_);
        for (const CDTrackEntry& t : threadGlo().cdTracks)
            request += " " + std::to_string(t.trackPosition);
        request += " " + std::to_string(discLength / 100 + 2);
        return request.size() > kCddbRequestLength ? std::string(kCddbRequestTooLong) : request;
    }

    void readTrackTimes()
    {
        tracks_.clear();
        SendMCICommand("set xxx time format tmsf");
        const std::vector<CDTrackEntry>& toc = threadGlo().cdTracks;
        for (int n = 1; n <= count_; ++n) {
            showStatus("Track " + std::to_string(n) + " of " + std::to_string(count_));
            TrackRead t;
            t.time = MSFStampToTime(SendMCICommand("status xxx length track " + std::to_string(n)));
            if (n <= static_cast<int>(toc.size()))
                t.startFrame = std::to_string(toc[n - 1].trackPosition);
            tracks_.push_back(std::move(t));
            rt::Scheduler::instance().yield();
            step();
        }
        album_["ALB:TotalTime"] = MSFStampToTime(SendMCICommand("status xxx length"));
    }

    // One row per track for the add wizard, under its instance.
    void writeScratchRows()
    {
        fw::TableAccess& access = *dictionary::AddWizardAccess;
        TableUse use(access);
        if (!use.open())
            return;
        tables::Table& table = access.table();
        tables::Record& row = table.record();
        const int key = table.def().keyIndex("AW:KeyInstance");
        const std::string artist
            = text::trim(wizard_.artist).empty() ? std::string("Various") : std::string(text::trim(wizard_.artist));
        const int instance = wizard_.instance != 0 ? wizard_.instance : glo().threadInstance;
        bool failed = false;
        {
            WriteBatch batch(table);
            for (int n = 1; n <= static_cast<int>(tracks_.size()); ++n) {
                row.clear();
                row["AW:Instance"] = instance;
                row["AW:Track"] = n;
                if (table.fetch(key) == 0) {
                    row["AW:TIME"] = tracks_[n - 1].time;
                    failed |= access.TryUpdate() != fw::Benign;
                    continue;
                }
                row.clear();
                row["AW:Instance"] = instance;
                row["AW:Track"] = n;
                row["AW:ARTIST"] = artist;
                row["AW:TITLE"] = "Track " + std::to_string(n);
                row["AW:TIME"] = tracks_[n - 1].time;
                failed |= access.validateRecord() != fw::Benign || access.TryInsert() != fw::Benign;
            }
        }
        // Told once the batch is over: no message waits inside a transaction.
        if (failed)
            access.RaiseStoredError(fw::Msg::InsertFailed);
    }

    // One song per track for the album read, on the side the wizards chose;
    // a song already there keeps its title and artist.
    void writeSongRows()
    {
        fw::TableAccess& access = *dictionary::QuorvelAccess;
        TableUse use(access);
        if (!use.open())
            return;
        tables::Table& table = access.table();
        tables::Record& song = table.record();
        const int key = table.def().keyIndex("SNG:KeyAlbumID");
        const std::int64_t albumId = album_["ALB:AlbumID"].toInt();
        const int side = effectiveSide();
        WriteBatch batch(table);
        for (int n = 1; n <= static_cast<int>(tracks_.size()); ++n) {
            const TrackRead& t = tracks_[n - 1];
            song.clear();
            song["SNG:AlbumID"] = albumId;
            song["SNG:TrackNumber"] = n;
            song["SNG:Side"] = side;
            if (table.fetch(key) == 0) {
                song["SNG:CDDBSTRING"] = t.startFrame;
                song["SNG:Time"] = t.time;
                table.update();
                continue;
            }
            song.clear(); // SNG:ID 0: the next free number
            song["SNG:AlbumID"] = albumId;
            song["SNG:TrackNumber"] = n;
            song["SNG:Side"] = side;
            for (const char* field : {"Artist", "Album", "Media", "FileNumber"})
                song[std::string("SNG:") + field] = album_[std::string("ALB:") + field].toString();
            for (const char* field : {"ReleaseDate", "CategoryID"})
                song[std::string("SNG:") + field] = album_[std::string("ALB:") + field].toInt();
            song["SNG:Title"] = "Track " + std::to_string(n);
            song["SNG:Time"] = t.time;
            song["SNG:CDDBSTRING"] = t.startFrame;
            table.insert();
        }
    }

    void showStatus(const std::string& status) { progress_->window()[R::Status].setValue(status); }
    void step() { progress_->step(++steps_, kProgressSteps); }

    void closeDevice()
    {
        if (std::exchange(opened_, false))
            SendMCICommand("close xxx");
    }

    const int mode_;
    const bool scratchRows_;
    const WizardTracks wizard_;
    tables::Record album_;
    const std::string drive_;
    bool opened_ = false;
    int count_ = 0;
    std::vector<TrackRead> tracks_;
    std::unique_ptr<BrovexProgress> progress_;
    long steps_ = 0;
};

bool read(int mode, bool scratchRows, const WizardTracks& wizard)
{
    if (mode != cd_read::Identify && mode != cd_read::IdentifyQuietly)
        mode = cd_read::Full;
    return CdReader(mode, scratchRows, wizard).read();
}

} // namespace

bool ReadCDInformation(int mode, bool scratchRows)
{
    return read(mode, scratchRows, {});
}

bool ReadCDInformation(int mode, const WizardTracks& wizard)
{
    return read(mode, true, wizard);
}

void registerCdReader()
{
    rt::Procedures::add("ReadCDInformation", [] {
        const int mode = std::exchange(fw::handover().request, fw::request::None);
        const bool read = ReadCDInformation(mode, false);
        fw::handover().response = read ? fw::response::Completed : fw::response::Cancelled;
    });
}

} // namespace qv::qvls
