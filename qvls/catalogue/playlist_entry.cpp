#include "qvls/catalogue/playlist_entry.h"

#include <functional>
#include <limits>

#include "platform/framework/error_reporter.h"
#include "platform/framework/handover.h"
#include "platform/framework/record_processor.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/errors.h"
#include "platform/text/text.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/ThisWeekToLastWeek.h"
#include "qvls/windows/UpdatePlaylistDetails.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdatePlaylistDetails;

constexpr std::size_t kNoteLength = 40;
constexpr std::string_view kLastWeek = "LW:";

tables::Record& entry()
{
    return dictionary::PlaylistDetailsAccess->record();
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

PlaylistEntryForm::PlaylistEntryForm()
    : Form(std::string(W::kWindow), *dictionary::PlaylistDetailsRelations)
{
    onAccepted(W::SelectSong, [this] { chooseSong(); });
}

void PlaylistEntryForm::formOpened()
{
    // Without a song the entry names nothing: artist and title stay empty.
    rt::Window& w = window();
    required().SetField(w[W::Artist].number(), true, "Artist", "Artist", "Artist", "SNG:Artist");
    required().SetField(w[W::Title].number(), true, "Title", "Title", "Title", "SNG:Title");
    Refresh();
}

void PlaylistEntryForm::chooseSong()
{
    const int opened = request();
    fw::handover().request = fw::request::Select;
    const bool ran = rt::Procedures::call("SelectFileNumber");
    setRequest(opened);
    if (ran && fw::handover().response == fw::response::Completed)
        entry()["PLA:ID"] = dictionary::QuorvelAccess->record()["SNG:ID"].toInt();
    Refresh();
}

void PlaylistEntryForm::Refresh()
{
    if (validating())
        return;
    // The form shows the entry's song; a missing one clears the buffer.
    fw::TableAccess& songs = *dictionary::QuorvelAccess;
    songs.record()["SNG:ID"] = entry()["PLA:ID"].toInt();
    songs.TryFetch(songs.table().def().keyIndex("SNG:KEYID"));
    Form::Refresh();
}

std::string carryChartPosition(std::string_view note, std::int64_t position)
{
    std::string kept(note);
    if (const std::size_t at = kept.find(kLastWeek); at != std::string::npos) {
        // All the digits go, however many: a position of 100 or more leaves
        // none behind, and the note does not grow from week to week.
        std::size_t end = at + kLastWeek.size();
        while (end < kept.size() && isDigit(kept[end]))
            ++end;
        if (end < kept.size() && kept[end] == ' ')
            ++end;
        kept.erase(at, end - at);
    }
    std::string carried(text::trimRight(kept));
    if (!carried.empty())
        carried += ' ';
    carried += std::string(kLastWeek) + std::to_string(position);
    return std::string(text::firstChars(text::trimLeft(carried), kNoteLength));
}

namespace {

// Each entry's note takes its position, a few entries a turn so the window
// shows progress and Cancel answers; the entries done before a Cancel or a
// failed write keep their new notes.
class ChartCarry : public fw::BatchProcessor
{
public:
    explicit ChartCarry(std::int64_t playlist)
        : playlist_(playlist)
    { }

protected:
    fw::Level start() override
    {
        total_ = 0;
        eachEntry(std::numeric_limits<int>::max(), [this] {
            ++total_;
            return true;
        });
        return fw::Benign;
    }

    fw::Level batch(int n, bool& atEnd) override
    {
        tables::Table& t = dictionary::PlaylistDetails();
        bool written = true;
        atEnd = eachEntry(n, [&] {
            tables::Record& e = t.record();
            e["PLA:PlaylistNotes"]
                = carryChartPosition(text::trimRight(e["PLA:PlaylistNotes"].toString()), e["PLA:PlaylistSeq"].toInt());
            if (t.update() != 0) {
                fw::appErrorReporter().throwFile(fw::Msg::UpdateFailed, "Process:View");
                written = false;
                return false;
            }
            ++processed_;
            return true;
        });
        return written ? fw::Benign : fw::Program;
    }

private:
    // Runs step on up to n entries after the last one done, positioning by
    // key each time (nothing stays open between turns); true at the end.
    bool eachEntry(int n, const std::function<bool()>& step)
    {
        tables::Table& t = dictionary::PlaylistDetails();
        tables::Record& e = t.record();
        e.clear();
        e["PLA:PlaylistID"] = playlist_;
        e["PLA:PlaylistSeq"] = done_ + 1;
        int read = t.setAt(t.def().keyIndex("PLA:KeyPlaylistID"));
        for (int i = 0; i < n; ++i) {
            if (read != 0 || t.next() != 0 || e["PLA:PlaylistID"].toInt() != playlist_)
                return true;
            const std::int64_t sequence = e["PLA:PlaylistSeq"].toInt();
            if (!step())
                return true;
            if (n != std::numeric_limits<int>::max())
                done_ = sequence;
        }
        return false;
    }

    std::int64_t playlist_;
    std::int64_t done_ = 0; // the sequence value of the last entry written
};

class ChartCarryProcess : public fw::WindowController
{
public:
    explicit ChartCarryProcess(std::int64_t playlist)
        : fw::WindowController("ThisWeekToLastWeek")
        , carry_(playlist)
    { }

    fw::Level Prepare() override
    {
        if (const fw::Level l = fw::WindowController::Prepare(); l != fw::Benign)
            return l;
        if (dictionary::PlaylistDetailsAccess->open() != fw::Benign)
            return fw::Fatal;
        open_ = true;
        carry_.setControls(std::string(ctl::ThisWeekToLastWeek::Progress.name),
            std::string(ctl::ThisWeekToLastWeek::Percent.name), std::string(ctl::ThisWeekToLastWeek::Cancel.name));
        loadWindow("qvls", ctl::ThisWeekToLastWeek::kWindow);
        addComponent(carry_);
        openWindow();
        return fw::Benign;
    }

    void CleanUp() override
    {
        fw::WindowController::CleanUp();
        if (open_)
            dictionary::PlaylistDetailsAccess->close();
    }

private:
    ChartCarry carry_;
    bool open_ = false;
};

} // namespace

bool carryChartPositions(std::int64_t playlist)
{
    if (rt::message("This will copy the current chart standings into the notes field to be used as \"last week's "
                    "chart positions\".",
            "Warning", rt::Icon::None, rt::button::Ok | rt::button::Cancel)
        != rt::button::Ok)
        return false;
    fw::TableAccess& access = *dictionary::PlaylistDetailsAccess;
    const fw::TableAccess::State kept = access.SaveTableState();
    ChartCarryProcess process(playlist);
    process.Execute();
    access.RestoreTableState(kept);
    return process.response() == fw::response::Completed;
}

void ThisWeekToLastWeek()
{
    fw::TableAccess& playlists = *dictionary::PlaylistMasterAccess;
    carryChartPositions(playlists.record()["PLD:PlaylistID"].toInt());
}

void registerPlaylistEntryForm()
{
    rt::Procedures::add(std::string(W::kWindow), [] { PlaylistEntryForm().Execute(); });
    rt::Procedures::add("ThisWeekToLastWeek", [] { ThisWeekToLastWeek(); });
}

} // namespace qv::qvls
