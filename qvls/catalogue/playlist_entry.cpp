#include "qvls/catalogue/playlist_entry.h"

#include "platform/framework/error_reporter.h"
#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/errors.h"
#include "platform/text/text.h"
#include "qvls/dictionary/access.h"
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

bool carryChartPositions(std::int64_t playlist)
{
    if (rt::message("This will copy the current chart standings into the notes field to be used as \"last week's "
                    "chart positions\".",
            "Warning", rt::Icon::None, rt::button::Ok | rt::button::Cancel)
        != rt::button::Ok)
        return false;
    fw::TableAccess& access = *dictionary::PlaylistDetailsAccess;
    if (access.open() != fw::Benign)
        return false;
    tables::Table& t = access.table();
    const fw::TableAccess::State kept = access.SaveTableState();
    tables::Record& e = t.record();
    e.clear();
    e["PLA:PlaylistID"] = playlist;
    bool written = true;
    int read = t.setAt(t.def().keyIndex("PLA:KeyPlaylistID"));
    while (read == 0 && (read = t.next()) == 0 && e["PLA:PlaylistID"].toInt() == playlist) {
        e["PLA:PlaylistNotes"]
            = carryChartPosition(text::trimRight(e["PLA:PlaylistNotes"].toString()), e["PLA:PlaylistSeq"].toInt());
        if (t.update() != 0) {
            // The entries before it keep their new notes.
            fw::appErrorReporter().throwFile(fw::Msg::UpdateFailed, "Process:View");
            written = false;
            break;
        }
    }
    access.RestoreTableState(kept);
    access.close();
    return written;
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
