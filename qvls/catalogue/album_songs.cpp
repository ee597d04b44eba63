#include "qvls/catalogue/album_songs.h"

#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/errors.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/catalogue/album_cascade.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/replace_command.h"
#include "qvls/core/text_helpers.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdateAlbum.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdateAlbum;
constexpr int kSwapArtistTitles = 1550;
constexpr int kReplaceText = 1551;

fw::TableAccess& songs()
{
    return *dictionary::QuorvelAccess;
}

std::string clipped(tables::Record& r, const char* field)
{
    return std::string(text::trimRight(r[std::string_view(field)].toString()));
}

} // namespace

AlbumSongs::AlbumSongs(fw::FormController& form, std::function<std::int64_t()> albumId)
    : form_(form)
    , albumId_(std::move(albumId))
{
    form.onAccepted(W::EditAllSongs, [this] {
        form_.ReloadSelectedRecords();
        editAll();
    });
    form.onAccepted(W::Cascade, [this] {
        form_.ReloadSelectedRecords();
        CascadeAlbumToSongs(true);
        reload();
    });
    form.onAccepted(W::ReassignSongs, [this] { reassign(); });
    form.onAccepted(W::ReadCD, [this] {
        form_.ReloadSelectedRecords();
        if (!rt::Procedures::call("ReadCDInformation"))
            reportNotAvailable("Reading the CD");
        reload();
    });
}

fw::ListBrowser& AlbumSongs::list() const
{
    return form_.list(W::SongList.name);
}

void AlbumSongs::Prepare(fw::WindowController&)
{
    newAlbum_ = form_.request() == fw::request::Insert;
    if (fw::ContextMenu* menu = list().contextMenu()) {
        menu->addSeparator();
        menu->addItemForEvent("Swap Artist/Titles", kSwapArtistTitles);
        menu->addItemForEvent("Replace Text...", kReplaceText);
        menu->AddItemForButton("Cop&y", W::CopySong.name);
    }
    syncTotalTime();
}

bool AlbumSongs::OnEvent(const rt::Event& e)
{
    if (e.code == kSwapArtistTitles) {
        swapArtistTitles();
        return true;
    }
    if (e.code == kReplaceText) {
        replaceText();
        return true;
    }
    return false;
}

void AlbumSongs::reload()
{
    list().Refresh();
    syncTotalTime();
    form_.Refresh();
    if (rt::Control* c = list().listControl())
        form_.window().select(*c);
}

void AlbumSongs::syncTotalTime()
{
    tables::Record& album = dictionary::AlbumAccess->record();
    if (!newAlbum_ && album["ALB:TotalTime"].toInt() > 0)
        return;
    // Durations add: each time is hundredths plus 1, and so is the sum.
    std::int64_t hundredths = 0;
    bool any = false;
    const bool complete = eachSong(
        0,
        [&] {
            const std::int64_t t = songs().record()["SNG:Time"].toInt();
            if (t > 0) {
                hundredths += t - 1;
                any = true;
            }
            return false;
        },
        nullptr);
    // A scan a read error stopped leaves the total as it was.
    if (!complete)
        return;
    album["ALB:TotalTime"] = any ? hundredths + 1 : 0;
    form_.window()[W::TotalTime].display();
}

bool AlbumSongs::eachSong(int fromSide, const std::function<bool()>& step, const char* what)
{
    return eachSongOfAlbum(albumId_(), fromSide, step, what);
}

bool eachSongOfAlbum(std::int64_t album, int fromSide, const std::function<bool()>& step, const char* what)
{
    fw::TableAccess& access = songs();
    tables::Table& t = access.table();
    const fw::TableAccess::State kept = access.SaveTableState();
    tables::Record& s = t.record();
    s.clear();
    s["SNG:AlbumID"] = album;
    s["SNG:Side"] = fromSide;
    int refused = 0;
    std::string why;
    int read = t.setAt(t.def().keyIndex("SNG:KeyAlbumID"));
    if (read == 0)
        while ((read = t.next()) == 0 && s["SNG:AlbumID"].toInt() == album)
            if (step() && t.update() != 0) {
                ++refused;
                why = tables::lastError().text;
            }
    // The end of the table ends the run; anything else stopped it.
    const bool complete = read == 0 || read == tables::RecordNotAvailable;
    const std::string readError = complete ? std::string() : tables::lastError().text;
    access.RestoreTableState(kept);
    if (!what)
        return complete;
    if (!complete)
        rt::message("Error reading music database " + readError, std::string(what), rt::Icon::Exclamation);
    if (refused)
        rt::message(std::string(what) + ": " + std::to_string(refused) + (refused == 1 ? " song" : " songs")
                + " could not be written.|" + why,
            "Error", rt::Icon::Exclamation);
    return complete;
}

void AlbumSongs::editAll()
{
    editEverySong(albumId_());
    reload();
}

void editEverySong(std::int64_t album)
{
    tables::Table& t = songs().table();
    std::vector<std::int64_t> ids;
    eachSongOfAlbum(
        album, 0,
        [&] {
            ids.push_back(t.record().recordId);
            return false;
        },
        nullptr);
    for (const std::int64_t id : ids) {
        if (t.fetchRecord(id) != 0 || t.record()["SNG:AlbumID"].toInt() != album)
            continue; // gone or moved meanwhile
        fw::handover().request = fw::request::Change;
        // A form that ends before it opens leaves no "OK" behind.
        glo().songFormResult.clear();
        rt::Procedures::call("UpdateSong");
        if (glo().songFormResult != "OK")
            break;
    }
}

void AlbumSongs::swapArtistTitles()
{
    form_.ReloadSelectedRecords();
    tables::Record& s = songs().record();
    eachSong(
        glo().side,
        [&] {
            const std::string artist = s["SNG:Artist"].toString();
            s["SNG:Artist"] = s["SNG:Title"].toString();
            s["SNG:Title"] = artist;
            return true;
        },
        "Swap Artist/Titles");
    reload();
}

void AlbumSongs::replaceText()
{
    form_.ReloadSelectedRecords();
    ReplaceCommand command;
    if (!GetReplaceCommand(command))
        return;
    const char* field = command.within == "Title" ? "SNG:Title"
        : command.within == "File Number"         ? "SNG:FileNumber"
                                                  : "SNG:Artist";
    tables::Record& s = songs().record();
    const int index = s.def().fieldIndex(field);
    const std::size_t length = static_cast<std::size_t>(s.def().fields[static_cast<std::size_t>(index)].length);
    eachSong(
        glo().side,
        [&] {
            // The field's own length bounds the result: the text is a buffer of it.
            std::string buffer = text::padTo(s.getText(index), length);
            ReplaceSubstring(buffer, command.find, command.replacement);
            s.setString(index, buffer);
            return true;
        },
        "Replace Text");
    reload();
}

void AlbumSongs::takeDroppedSong(const std::string& dropText)
{
    fw::TableAccess& access = songs();
    tables::Table& t = access.table();
    std::int64_t id = 0;
    try {
        id = std::stoll(dropText);
    } catch (const std::exception&) {
        return;
    }
    const std::int64_t album = albumId_();
    tables::Record& s = t.record();
    s.clear();
    s["SNG:ID"] = id;
    if (access.TryFetch(t.def().keyIndex("SNG:KEYID")) != 0 || s["SNG:AlbumID"].toInt() == album)
        return;
    // A copy with an id of its own: the song stays on its album.
    s["SNG:ID"] = 0;
    s["SNG:AlbumID"] = album;
    s.recordId = 0;
    if (t.insert() != 0)
        rt::message("Error updating song database - " + tables::lastError().text, "Error", rt::Icon::Exclamation);
    reload();
}

void AlbumSongs::reassign()
{
    tables::Record& album = dictionary::AlbumAccess->record();
    fw::TableAccess& access = songs();
    tables::Table& t = access.table();
    auto pickOne = [&] {
        fw::handover().request = fw::request::Select;
        if (!rt::Procedures::call("SelectFileNumber") || fw::handover().response != fw::response::Completed)
            return;
        // The chosen song is written before the window shows anything again:
        // a refresh reads the list's highlighted song into the same buffer.
        t.record()["SNG:AlbumID"] = albumId_();
        if (t.update() != 0)
            rt::message("Error updating song database - " + tables::lastError().text, "Error", rt::Icon::Exclamation);
    };
    form_.ReloadSelectedRecords();
    const std::string fileNumber = clipped(album, "ALB:FileNumber");
    const std::string media = clipped(album, "ALB:Media");
    if (fileNumber.empty()) {
        pickOne();
    } else {
        switch (rt::message("Do you want to assign all songs with file number \"" + fileNumber + "\" and media type \""
                + media + "\" to this album?",
            "Assign Songs To Album", rt::Icon::Question, rt::button::Yes | rt::button::No | rt::button::Cancel,
            rt::button::No)) {
        case rt::button::No:
            pickOne();
            break;
        case rt::button::Yes: {
            tables::Record& s = t.record();
            s.clear();
            s["SNG:Media"] = media;
            s["SNG:FileNumber"] = fileNumber;
            int assigned = 0, refused = 0;
            const char* why = "No songs with that media type and file number were found.";
            int read = t.setAt(t.def().keyIndex("SNG:SongsByMedia"));
            if (read == 0)
                while ((read = t.next()) == 0) {
                    if (!text::equalsNoCase(clipped(s, "SNG:Media"), media)) {
                        why = "No songs with that media type were found.";
                        break;
                    }
                    // File numbers match without regard to case.
                    if (!text::equalsNoCase(clipped(s, "SNG:FileNumber"), fileNumber)) {
                        why = "No songs with that file number were found.";
                        break;
                    }
                    s["SNG:AlbumID"] = albumId_();
                    if (t.update() == 0)
                        ++assigned;
                    else
                        ++refused;
                }
            if (read != 0 && read != tables::RecordNotAvailable)
                rt::message("Error reading music database " + tables::lastError().text, "Assignment Cancelled");
            else if (assigned)
                rt::message(std::to_string(assigned) + " songs assigned.", "Process complete.");
            else
                rt::message(why, "Process failed.");
            if (refused)
                rt::message(std::to_string(refused) + " songs could not be assigned.|" + tables::lastError().text,
                    "Error", rt::Icon::Exclamation);
            break;
        }
        default:
            break;
        }
    }
    reload();
}

} // namespace qv::qvls
