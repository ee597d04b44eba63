#include "qvls/catalogue/album_cascade.h"

#include <string>

#include "platform/runtime/dialogs.h"
#include "platform/tables/errors.h"
#include "platform/tables/group.h"
#include "qvls/core/names.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {

constexpr const char* kTitle = "Cascade Album Changes to Songs";

// Cancel answers nothing.
bool askKind(CascadeSwitches& switches)
{
    rt::MessageSpec m;
    m.title = kTitle;
    m.text = "This process will copy (cascade) information from the album database to the song database for one "
             "of two types of albums:||"
             "Single Artist:  Artist, Album, Media, File Number, Release Date, Category|"
             "Compilation:  Album, Media, File Number||"
             "Which process would you like to apply?";
    m.icon = rt::Icon::Question;
    m.custom = "&Single Artist|&Compilation|Cancel";
    m.defaultButton = 3;
    switch (rt::message(m)) {
    case 1:
        switches = {true, true, true, true, true};
        return true;
    case 2:
        switches = {false, true, true, false, false};
        return true;
    default:
        return false;
    }
}

void copyFields(tables::Record& album, tables::Record& song, const CascadeSwitches& s)
{
    song["SNG:Album"] = album["ALB:Album"].toString();
    if (s.artist)
        song["SNG:Artist"] = album["ALB:Artist"].toString();
    if (s.fileNumber)
        song["SNG:FileNumber"] = album["ALB:FileNumber"].toString();
    if (s.media)
        song["SNG:Media"] = album["ALB:Media"].toString();
    if (s.category) {
        song["SNG:Category"] = album["ALB:Category"].toString();
        song["SNG:CategoryID"] = album["ALB:CategoryID"].toInt();
    }
    if (s.releaseDate)
        song["SNG:ReleaseDate"] = album["ALB:ReleaseDate"].toInt();
}

} // namespace

CascadeSwitches cascadeSettings()
{
    const Settings& s = settings();
    return {false, s.CascadeFileNumber != 0, s.CascadeMedia != 0, s.CascadeCategory != 0, s.CascadeReleaseDate != 0};
}

void CascadeAlbumToSongs(bool ask)
{
    CascadeSwitches switches = cascadeSettings();
    if (ask && !askKind(switches))
        return;
    CascadeAlbumToSongs(switches);
}

void CascadeAlbumToSongs(const CascadeSwitches& switches)
{
    if (!switches.any())
        return;
    fw::TableAccess& songs = *dictionary::QuorvelAccess;
    tables::Table& table = songs.table();
    tables::Record& album = dictionary::AlbumAccess->record();
    const std::int64_t albumId = album["ALB:AlbumID"].toInt();
    if (songs.open() != fw::Benign)
        return;
    // Another window may be showing a song from the buffer.
    const fw::TableAccess::State kept = songs.SaveTableState();
    const int key = table.def().keyIndex("SNG:KeyAlbumID");
    tables::Record& song = table.record();
    song.clear();
    song["SNG:AlbumID"] = albumId;
    int refused = 0;
    std::string why;
    // One transaction: an album's songs are written together, and quickly.
    const bool framed = table.group().begin(2) == 0;
    if (table.setAt(key) == 0)
        while (table.next() == 0 && song["SNG:AlbumID"].toInt() == albumId) {
            copyFields(album, song, switches);
            if (table.update() != 0) {
                ++refused;
                why = tables::lastError().text;
            }
        }
    if (framed && table.group().commit() != 0) {
        table.group().rollback();
        refused = -1;
        why = tables::lastError().text;
    }
    songs.RestoreTableState(kept);
    songs.close();
    if (refused == 0)
        return;
    const std::string which = refused < 0 ? std::string("the songs of this album")
                                          : std::to_string(refused) + (refused == 1 ? " song" : " songs");
    rt::message("The album's changes could not be copied to " + which + ".|" + why, kTitle, rt::Icon::Exclamation);
}

void CaseAlbumFields()
{
    tables::Record& album = dictionary::AlbumAccess->record();
    tables::Record& song = dictionary::QuorvelAccess->record();
    for (auto [record, field] : {std::pair{&album, "ALB:Artist"}, std::pair{&album, "ALB:Album"},
             std::pair{&song, "SNG:Artist"}, std::pair{&song, "SNG:Title"}, std::pair{&song, "SNG:Album"}}) {
        std::string text = (*record)[std::string_view(field)].toString();
        DefaultCapitalize(text);
        (*record)[std::string_view(field)] = text; // the fields hold 50 characters
    }
}

} // namespace qv::qvls
