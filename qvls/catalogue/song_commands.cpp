#include "qvls/catalogue/song_commands.h"

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {
constexpr const char* kAlbumTitle = "Album";
}

SongCommands::SongCommands(fw::ListWindow& list)
    : list_(list)
{ }

void SongCommands::bind(const Buttons& buttons)
{
    const auto on = [this](rt::ControlId button, void (SongCommands::*command)()) {
        if (button.number != 0)
            list_.onAccepted(button, [this, command] { (this->*command)(); });
    };
    on(buttons.album, &SongCommands::openAlbum);
    on(buttons.play, &SongCommands::play);
    on(buttons.import, &SongCommands::importSongs);
    on(buttons.export_, &SongCommands::exportSongs);
}

void SongCommands::importSongs()
{
    start("Import", "The song import");
    list_.Refresh();
}

void SongCommands::exportSongs()
{
    start("Export", "The song export");
    list_.Refresh();
}

void SongCommands::prepare()
{
    list_.browser().setDragHandlers(
        [this] {
            list_.ReloadSelectedRecords();
            if (rt::Control* c = list_.browser().listControl())
                c->setDropText(std::to_string(dictionary::Quorvel().record()["SNG:ID"].toInt()));
        },
        {});
}

void SongCommands::openAlbum()
{
    list_.ReloadSelectedRecords();
    const long long songAlbum = dictionary::Quorvel().record()["SNG:AlbumID"].toInt();
    tables::Table& albums = dictionary::Album();
    if (list_.browser().RowCount() == 0 || songAlbum == 0) {
        say("This song is on no album.");
        return;
    }
    // The row keeps the album it was read with: the song may have moved
    // since, or its album gone, and another album's form is no answer.
    if (albums.record()["ALB:AlbumID"].toInt() != songAlbum
        || albums.fetch(albums.def().keyIndex("ALB:KEYALBUMID")) != 0) {
        albums.record().clear();
        say("The album of this song is no longer the one listed with it. The list is read again.");
        list_.Refresh();
        return;
    }
    fw::handover().request = fw::request::Change;
    if (!rt::Procedures::call("UpdateAlbum")) {
        fw::handover().request = fw::request::None;
        reportNotAvailable("The album form");
        return;
    }
    list_.Refresh();
}

void SongCommands::play()
{
    playHighlightedSong(list_.browser());
}

void playHighlightedSong(fw::ListBrowser& songs)
{
    songs.LoadRowToBuffer();
    const std::string file(text::trimRight(dictionary::Quorvel().record()["SNG:AssociatedWAVFile"].toString()));
    if (!file.empty())
        ShellOpenFile("play", file);
}

void SongCommands::start(std::string_view procedure, std::string_view what)
{
    list_.ReloadSelectedRecords();
    if (!rt::Procedures::start(procedure))
        reportNotAvailable(what);
}

void SongCommands::keepCopy(const rt::Event& e, rt::ControlId copy)
{
    if (e.code != rt::event::Accepted || e.control == 0 || e.control != copy.number)
        return;
    list_.ReloadSelectedRecords();
    if (list_.browser().RowCount() > 0)
        copied_ = dictionary::Quorvel().record();
}

void SongCommands::giveCopy(int request)
{
    if (!copied_ || request != fw::request::Insert)
        return;
    tables::Record& song = dictionary::Quorvel().record();
    const std::int64_t id = song["SNG:ID"].toInt();
    const auto recordId = song.recordId;
    const auto changeCount = song.changeCount;
    song = *std::exchange(copied_, std::nullopt);
    song["SNG:ID"] = id;
    song.recordId = recordId;
    song.changeCount = changeCount;
}

void SongCommands::say(const std::string& text)
{
    rt::message(text, kAlbumTitle, rt::Icon::Exclamation);
}

} // namespace qv::qvls
