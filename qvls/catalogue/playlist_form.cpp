#include "qvls/catalogue/playlist_form.h"

#include <vector>

#include "platform/expr/datetime.h"
#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/errors.h"
#include "platform/text/text.h"
#include "qvls/catalogue/playlist_entry.h"
#include "qvls/core/file_warning.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdatePlaylist.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdatePlaylist;

// The entry list's update procedure, as its declaration numbers it.
constexpr int kEntryForm = 1;
// Above every sequence a playlist can hold: positions the key past its last entry.
constexpr std::int64_t kHighestSequence = 999999;
constexpr int kCannotRead = 35;

tables::Record& playlist()
{
    return dictionary::PlaylistMasterAccess->record();
}

} // namespace

std::int64_t addSongTimes(std::span<const std::int64_t> times)
{
    std::int64_t hundredths = 0;
    bool any = false;
    for (const std::int64_t t : times)
        if (t > 0) {
            hundredths += t - 1;
            any = true;
        }
    return any ? hundredths + 1 : 0;
}

PlaylistForm::PlaylistForm()
    : Form(std::string(W::kWindow), *dictionary::PlaylistMasterRelations)
{
    bindVariable("LOC:PlaylistTotalTime",
        rt::UseBinding{[this] { return std::to_string(totalTime_); }, [](const std::string&) {}});
    setUpdateProcedure(kEntryForm, [] {
        if (!rt::Procedures::call("UpdatePlaylistDetails"))
            fw::handover().response = fw::response::Cancelled;
    });
    onAccepted(W::Chart, [this] {
        ReloadSelectedRecords();
        carryChartPositions(playlistId_);
        showEntries();
    });
}

int PlaylistForm::CallUpdateProcedure(int number, int request)
{
    if (number != kEntryForm)
        return Form::CallUpdateProcedure(number, request);
    entryOrder_->beforeEdit(request);
    const int response = Form::CallUpdateProcedure(number, request);
    entryOrder_->afterEdit(request, response);
    syncTotalTime();
    return response;
}

fw::Level PlaylistForm::prepareForm()
{
    playlistId_ = playlist()["PLD:PlaylistID"].toInt();
    declaredList(W::EntryList.name).reader().addRange(1, "PLA:PlaylistID", [this] {
        return std::to_string(playlistId_);
    });
    entryOrder_ = std::make_unique<OrderedList>(list(W::EntryList.name), entrySwap_,
        OrderedList::Buttons{W::EntryUp, W::EntryTop, W::EntryDown, W::EntryBottom});
    entryOrder_->takeDrops("", [this](const std::string& text) { takeDroppedSong(text); });
    addComponent(*entryOrder_);
    return fw::Benign;
}

void PlaylistForm::formOpened()
{
    rt::Window& w = window();
    required().SetField(w[W::Description].number(), true, "Playlist Description", "Playlist Description", "",
        "PLD:PlaylistDescription");
    const std::string datePicture(text::trim(settings().DateFormat));
    if (!datePicture.empty() && (datePicture[0] == 'd' || datePicture[0] == 'D'))
        w[W::LastEditDate].setPicture("@" + datePicture);
    if (request() != fw::request::Insert)
        if (rt::Control* c = list(W::EntryList.name).listControl())
            w.select(*c);
    syncTotalTime();
    w.display();
}

fw::Level PlaylistForm::beforeSave()
{
    playlist()["PLD:LASTEDITDATE"] = static_cast<std::int64_t>(expr::defaultClock().today());
    // The save takes the screen's values again.
    window()[W::LastEditDate].display();
    return fw::Benign;
}

void PlaylistForm::syncTotalTime()
{
    fw::TableAccess& entries = *dictionary::PlaylistDetailsAccess;
    fw::TableAccess& songs = *dictionary::QuorvelAccess;
    const fw::TableAccess::State keptEntries = entries.SaveTableState();
    const fw::TableAccess::State keptSongs = songs.SaveTableState();
    tables::Table& t = entries.table();
    tables::Table& s = songs.table();
    const int songKey = s.def().keyIndex("SNG:KEYID");
    tables::Record& e = t.record();
    e.clear();
    e["PLA:PlaylistID"] = playlistId_;
    std::vector<std::int64_t> times;
    int read = t.setAt(t.def().keyIndex("PLA:KeyPlaylistID"));
    while (read == 0 && (read = t.next()) == 0 && e["PLA:PlaylistID"].toInt() == playlistId_) {
        s.record().clear();
        s.record()["SNG:ID"] = e["PLA:ID"].toInt();
        if (s.fetch(songKey) == 0)
            times.push_back(s.record()["SNG:Time"].toInt());
    }
    entries.RestoreTableState(keptEntries);
    songs.RestoreTableState(keptSongs);
    // A scan a read error stopped keeps the total it had.
    if (read != 0 && read != tables::RecordNotAvailable)
        return;
    totalTime_ = addSongTimes(times);
    window()[W::TotalTime].display();
}

void PlaylistForm::takeDroppedSong(const std::string& dropText)
{
    std::int64_t song = 0;
    try {
        song = std::stoll(std::string(text::trim(dropText)));
    } catch (const std::exception&) {
        return;
    }
    if (song <= 0)
        return;
    fw::TableAccess& access = *dictionary::PlaylistDetailsAccess;
    tables::Table& t = access.table();
    tables::Record& e = t.record();
    // The song goes after the playlist's last entry, whatever values are free below it.
    e.clear();
    e["PLA:PlaylistID"] = playlistId_;
    e["PLA:PlaylistSeq"] = kHighestSequence;
    int read = t.setAt(t.def().keyIndex("PLA:KeyPlaylistID"));
    if (read == 0)
        read = t.previous();
    if (read != 0 && read != tables::RecordNotAvailable) {
        FileWarningWithName(kCannotRead, "PlaylistDetails");
        window().post(rt::event::CloseWindow);
        return;
    }
    const std::int64_t sequence
        = read == 0 && e["PLA:PlaylistID"].toInt() == playlistId_ ? e["PLA:PlaylistSeq"].toInt() + 1 : 1;
    e.clear();
    e.recordId = 0;
    e["PLA:PlaylistID"] = playlistId_;
    e["PLA:PlaylistSeq"] = sequence;
    e["PLA:ID"] = song;
    if (access.Insert() != fw::Benign)
        return;
    fw::ListBrowser& entries = list(W::EntryList.name);
    entries.resetFromBuffer();
    syncTotalTime();
    if (rt::Control* c = entries.listControl())
        window().select(*c);
    // Entries are written at once; the playlist itself waits for OK.
    setResponse(fw::response::Cancelled);
    Refresh();
}

void PlaylistForm::showEntries()
{
    list(W::EntryList.name).Refresh();
    syncTotalTime();
    Refresh();
}

void registerPlaylistForm()
{
    rt::Procedures::add(std::string(W::kWindow), [] { PlaylistForm().Execute(); });
}

} // namespace qv::qvls
