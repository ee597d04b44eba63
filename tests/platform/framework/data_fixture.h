#pragma once
// A small catalogue for the table access objects and relation sets: albums,
// their songs (numbered per album and side), song details, playlist entries
// that name songs by a DECIMAL(6,0) id, and media formats.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/framework/error_reporter.h"
#include "platform/framework/relation_set.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/headless.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"

namespace qv::fw::testing {

using namespace qv::tables;

class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("qvfw-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline TableDef albumsDef()
{
    TableDef d;
    d.label = "Album";
    d.prefix = "ALB";
    d.fileName = "albums";
    d.description = "Albums";
    d.fields = {
        longField("ALB:AlbumID"), stringField("ALB:Title", 40), stringField("ALB:Media", 20), byteField("ALB:Rating")};
    d.keys = {{"ALB:KEYALBUMID", "Album ID", {"AlbumID"}, true, true, 1, true},
        {"ALB:KeyMedia", "Media", {"Media"}, false, false, 0, true},
        {"ALB:KeyTitle", "Title", {"Title"}, false, false, 0, true}};
    return d;
}

inline TableDef songsDef()
{
    TableDef d;
    d.label = "Quorvel";
    d.prefix = "SNG";
    d.fileName = "songs";
    d.description = "Songs";
    d.fields = {longField("SNG:ID"), longField("SNG:AlbumID"), byteField("SNG:Side"), byteField("SNG:TrackNumber"),
        stringField("SNG:Title", 40), stringField("SNG:Media", 20)};
    d.keys = {{"SNG:KEYID", "Unique Song ID", {"ID"}, true, true, 1, true},
        {"SNG:KeyAlbumID", "Album ID", {"AlbumID", "Side", "TrackNumber"}, false, false, 3, true},
        {"SNG:SongsByMedia", "Media", {"Media"}, false, false, 0, true}};
    return d;
}

inline TableDef detailsDef()
{
    TableDef d;
    d.label = "SongDetails";
    d.prefix = "SDT";
    d.fileName = "details";
    d.description = "Song Details";
    d.fields = {longField("SDT:ID"), longField("SDT:Sequence"), stringField("SDT:Text", 40)};
    d.keys = {{"SDT:K_ID", "Song", {"ID", "Sequence"}, true, true, 2, true}};
    return d;
}

inline TableDef playlistDef()
{
    TableDef d;
    d.label = "PlaylistDetails";
    d.prefix = "PLA";
    d.fileName = "entries";
    d.description = "Playlist Details (Songs)";
    d.fields
        = {decimalField("PLA:PlaylistID", 6, 0), decimalField("PLA:PlaylistSeq", 6, 0), decimalField("PLA:ID", 6, 0)};
    d.keys = {{"PLA:KeyPlaylistID", "Playlist", {"PlaylistID", "PlaylistSeq"}, true, true, 2, true},
        {"PLA:KeyID", "Song", {"ID"}, false, false, 0, true}};
    return d;
}

inline TableDef mediaDef()
{
    TableDef d;
    d.label = "Media";
    d.prefix = "MED";
    d.fileName = "media";
    d.description = "Media Tyes";
    d.fields = {stringField("MED:Media", 20)};
    d.keys = {{"MED:KeyMedia", "Media", {"Media"}, true, true, 0, true}};
    return d;
}

// New songs belong to the album in the album buffer, on side 1.
class SongsAccess : public TableAccess
{
public:
    SongsAccess(Table& songs, Table& albums, ErrorReporter& r)
        : TableAccess(songs, r)
        , albums_(albums)
    { }
    void FillDefaults() override
    {
        record()["SNG:AlbumID"] = albums_.record()["ALB:AlbumID"].toInt();
        record()["SNG:Side"] = 1;
    }

private:
    Table& albums_;
};

// An album's rating is 0 to 10 and its media, when given, a known format.
class AlbumsAccess : public TableAccess
{
public:
    AlbumsAccess(Table& albums, TableAccess& media, ErrorReporter& r)
        : TableAccess(albums, r)
        , media_(media)
    { }
    void FillDefaults() override { record()["ALB:Title"] = "New Album"; }
    Level CheckField(int field) override
    {
        if (const Level l = TableAccess::CheckField(field); l != Benign)
            return l;
        const auto& def = table().def();
        if (field == def.fieldIndex("ALB:Rating"))
            return checkRange(field, "Rating", 0, 10, "0 and 10");
        if (field == def.fieldIndex("ALB:Media") && !record().isEmpty(field))
            return checkFound("Media (Album)", media_, 0, "Media",
                [this](Record& m) { m["MED:Media"] = record()["ALB:Media"].toString(); });
        return Benign;
    }

private:
    TableAccess& media_;
};

struct Catalogue {
    ScratchFolder dir;
    Group group{dir.file(".qvgroup")};
    Table albums{albumsDef()}, songs{songsDef()}, details{detailsDef()}, entries{playlistDef()}, media{mediaDef()};
    ErrorReporter reporter;
    TableAccess mediaAccess{media, reporter};
    AlbumsAccess albumAccess{albums, mediaAccess, reporter};
    SongsAccess songAccess{songs, albums, reporter};
    TableAccess detailAccess{details, reporter};
    TableAccess entryAccess{entries, reporter};
    RelationSet albumSet{albumAccess}, songSet{songAccess}, detailSet{detailAccess}, entrySet{entryAccess},
        mediaSet{mediaAccess};
    // Last, so that threads still waiting end before the tables go.
    rt::HeadlessHost host;

    std::vector<TableAccess*> accesses()
    {
        return {&mediaAccess, &albumAccess, &songAccess, &detailAccess, &entryAccess};
    }

    Catalogue()
    {
        for (Table* t : {&albums, &songs, &details, &entries, &media}) {
            t->setFileName(dir.file(t->def().fileName));
            t->setGroup(&group);
        }
        albumAccess.setName("Albums [Album]");
        songAccess.setName("Songs [Quorvel]");
        entryAccess.setName("Playlist Details (Songs) [PlaylistDetails]");
        mediaAccess.setName("Media Tyes [Media]");

        // The album set names the song set before the song set declares
        // its own relations.
        albumSet.addRelation(songSet, Rule::Cascade, Rule::Cascade, 1, {{"ALB:AlbumID", "SNG:AlbumID"}});
        albumSet.addLookup(mediaSet);
        songSet.addRelation(detailSet, Rule::Cascade, Rule::Cascade, 0, {{"SNG:ID", "SDT:ID"}});
        songSet.addRelation(entrySet, Rule::None, Rule::Restrict, 1, {{"SNG:ID", "PLA:ID"}});
        mediaSet.addRelation(songSet, Rule::Cascade, Rule::Restrict, 2, {{"MED:Media", "SNG:Media"}});
        mediaSet.addRelation(albumSet, Rule::Restrict, Rule::None, 1, {{"MED:Media", "ALB:Media"}});

        for (TableAccess* a : accesses())
            EXPECT_EQ(a->open(), Benign) << a->name();
    }

    ~Catalogue()
    {
        for (TableAccess* a : accesses())
            while (a->openCount() > 0)
                a->close();
    }

    void addMedia(const std::string& name)
    {
        media.record().clear();
        media.record()["MED:Media"] = name;
        ASSERT_EQ(media.insert(), 0);
    }
    std::int64_t addAlbum(const std::string& title, const std::string& mediaName = "CD")
    {
        albums.record().clear();
        albums.record()["ALB:Title"] = title;
        albums.record()["ALB:Media"] = mediaName;
        EXPECT_EQ(albums.insert(), 0);
        return albums.record()["ALB:AlbumID"].toInt();
    }
    std::int64_t addSong(std::int64_t album, const std::string& title, const std::string& mediaName = "CD")
    {
        songs.record().clear();
        songs.record()["SNG:AlbumID"] = album;
        songs.record()["SNG:Side"] = 1;
        songs.record()["SNG:Title"] = title;
        songs.record()["SNG:Media"] = mediaName;
        EXPECT_EQ(songs.insert(), 0);
        return songs.record()["SNG:ID"].toInt();
    }
    void addDetail(std::int64_t song, const std::string& text)
    {
        details.record().clear();
        details.record()["SDT:ID"] = song;
        details.record()["SDT:Text"] = text;
        EXPECT_EQ(details.insert(), 0);
    }
    void addEntry(int playlist, std::int64_t song)
    {
        entries.record().clear();
        entries.record()["PLA:PlaylistID"] = playlist;
        entries.record()["PLA:ID"] = expr::Decimal::fromInt(song);
        EXPECT_EQ(entries.insert(), 0);
    }

    // Reads a record into its buffer by its first key's value.
    void load(Table& t, const char* field, std::int64_t value)
    {
        t.record().clear();
        t.record()[field] = value;
        ASSERT_EQ(t.fetch(0), 0) << field << " " << value;
    }
    void loadAlbum(std::int64_t id) { load(albums, "ALB:AlbumID", id); }

    // Every row of a table in its first key's order, one text per row.
    static std::vector<std::string> rows(Table& t)
    {
        std::vector<std::string> out;
        const Record keep = t.record();
        t.setOrder(0);
        while (t.next() == 0) {
            std::string row;
            for (int f = 0; f < t.record().fieldCount(); ++f)
                row += (f ? "|" : "") + t.record().getText(f);
            out.push_back(row);
        }
        t.record() = keep;
        return out;
    }
    struct Snapshot {
        std::vector<std::string> albums, songs, details, entries, media;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() { return {rows(albums), rows(songs), rows(details), rows(entries), rows(media)}; }
};

} // namespace qv::fw::testing
