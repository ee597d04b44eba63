// The declarations themselves: record layouts, keys and names of the 24 tables.

#include "qvls/dictionary/tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace qv::tables;
namespace schema = qv::qvls::schema;
namespace dictionary = qv::qvls::dictionary;

struct Layout {
    const char* label;
    const char* prefix;
    const char* file;
    DriverKind driver;
    int recordBytes;
    const char* description;
    int fields, keys, memos;
    int version; // file structure version
    int registered; // version registered with the table-file manager
    const char* primary; // the primary key, "" for none
    bool encrypted;
};

constexpr auto K = DriverKind::Keyed;
constexpr auto T = DriverKind::Text;
constexpr auto B = DriverKind::Binary;

// In the dictionary's order.
const Layout kLayouts[] = {
    {"Quorvel", "SNG", "qvldata", K, 1078, "Songs", 36, 13, 3, 14, 14, "SNG:KEYID", false},
    {"AlbumDetails", "ADT", "QVL_ADT", K, 128, "", 4, 1, 0, 1, 1, "ADT:K_Album", false},
    {"ImportSongs", "IS", "", K, 1078, "Songs", 36, 13, 3, 14, 15, "IS:KEYID", false},
    {"SongDetails", "SDT", "QVL_SDT", K, 128, "", 4, 1, 0, 1, 1, "SDT:K_ID", false},
    {"ImportAlbums", "IA", "", K, 1108, "Albums - Import Database", 18, 7, 3, 5, 5, "IA:KEYALBUMID", false},
    {"Categories", "CAT", "QVLCAT", K, 36, "Categories", 2, 2, 0, 1, 1, "CAT:KeyCategoryID", false},
    {"Album", "ALB", "qvlalbum", K, 1108, "Albums", 18, 7, 3, 5, 5, "ALB:KEYALBUMID", false},
    {"Labels", "LAB", "qvllabel", K, 622, "Labels", 23, 3, 6, 2, 2, "LAB:KeyLabelID", false},
    {"Fonts", "FON", "qvlfont", K, 134, "Fonts", 5, 2, 0, 1, 1, "FON:KeyFontID", false},
    {"AddWizard", "AW", "QVLAdWiz", K, 113, "Add Wizard Temporary Files", 6, 1, 0, 2, 2, "AW:KeyInstance", false},
    {"PlaylistMaster", "PLD", "qvlplist", K, 38, "Playlist Master (Descriptions)", 3, 2, 1, 1, 1, "PLD:KeyPlaylistID",
        false},
    {"PlaylistDetails", "PLA", "qvlpldet", K, 65, "Playlist Details (Songs)", 7, 2, 0, 2, 2, "PLA:KeyPlaylistID",
        false},
    {"Media", "MED", "qvlmedia", K, 20, "Media Tyes", 1, 1, 0, 1, 1, "", false},
    {"Configuration", "CF", "QVLConf", K, 120, "", 2, 1, 0, 1, 1, "", true},
    {"Input", "INP", "", T, 1024, "ASCII Input File", 1, 0, 0, -1, -1, "", false},
    {"Artists", "ART", "QVLARTST", K, 4150, "Artists", 3, 1, 0, 2, 2, "ART:K_ARTIST", false},
    {"EventLog", "EVL", "QVLEvent.LOG", T, 102, "MCI Event Log", 4, 0, 0, -1, -1, "", false},
    {"MP3FolderList", "MFL", "QVL_MFL.TPS", K, 325, "", 3, 1, 0, 1, 1, "MFL:K_FOLDER", false},
    {"QVLTips", "TIP", "QVLTIPS", K, 1028, "Tips", 2, 2, 0, 0, 0, "TIP:KEYID", false},
    {"TagSet_", "TS_", "TAGSET_", K, 314, "", 6, 3, 0, -1, -1, "TS_:TblKey", false},
    {"TagFile_", "TF_", "TAGFILE_", K, 20, "", 4, 2, 0, -1, -1, "TF_:PtrKey", false},
    {"TagFilePos_", "TP_", "TAGFILEP", K, 272, "", 4, 2, 0, -1, -1, "TP_:PosKey", false},
    {"MP3ApprovalList", "MAL", "QVL_MPAL.TPS", K, 571, "", 13, 1, 1, 3, 3, "MAL:K_FILENAME", false},
    {"DOSFile", "DOSF", "", B, 65535, "DOS File for Import/Export of MP3 data", 1, 0, 0, -1, -1, "", false},
};

TEST(TableLayouts, EachTableAsDeclaredInTheDictionarysOrder)
{
    auto defs = schema::all();
    ASSERT_EQ(defs.size(), std::size(kLayouts));
    for (size_t i = 0; i < defs.size(); ++i) {
        const TableDef& d = defs[i];
        const Layout& e = kLayouts[i];
        SCOPED_TRACE(e.label);
        EXPECT_EQ(d.label, e.label);
        EXPECT_EQ(d.prefix, e.prefix);
        EXPECT_EQ(d.fileName, e.file);
        EXPECT_EQ(d.driver, e.driver);
        EXPECT_EQ(d.description, e.description);
        EXPECT_EQ(d.fields.size(), size_t(e.fields));
        EXPECT_EQ(d.keys.size(), size_t(e.keys));
        EXPECT_EQ(d.memos.size(), size_t(e.memos));
        EXPECT_EQ(d.version, e.version);
        EXPECT_EQ(schema::registeredVersion(e.label), e.registered);
        EXPECT_EQ(!d.ownerPassword.empty(), e.encrypted);

        int sum = 0;
        for (const auto& f : d.fields)
            sum += f.recordBytes();
        EXPECT_EQ(sum, e.recordBytes);
        EXPECT_EQ(d.recordLength(), e.recordBytes);

        std::string primary;
        for (const auto& k : d.keys)
            if (k.primary)
                primary += (primary.empty() ? "" : ",") + k.name;
        EXPECT_EQ(primary, e.primary);

        // The process's table for the label carries this very declaration.
        Table* t = dictionary::allTables()[i];
        EXPECT_EQ(t->def().label, e.label);
        EXPECT_EQ(t->def().recordLength(), e.recordBytes);
        EXPECT_EQ(t->record().fieldCount(), e.fields);
        EXPECT_EQ(t->record().memoCount(), e.memos);
    }
    EXPECT_EQ(schema::registeredVersion("NoSuchTable"), -1);
}

// What the driver relies on: names it can store and look up, keys over real fields.
TEST(TableLayouts, NamesAndKeysAreWellFormed)
{
    for (const auto& d : schema::all()) {
        SCOPED_TRACE(d.label);
        std::set<std::string> columns; // fields and memos share the table's columns
        auto fold = [](std::string s) {
            for (char& c : s)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return s;
        };
        for (const auto& f : d.fields) {
            EXPECT_EQ(f.name.rfind(d.prefix + ":", 0), 0u) << f.name;
            EXPECT_TRUE(columns.insert(fold(std::string(bareName(f.name)))).second) << f.name;
        }
        for (const auto& m : d.memos) {
            EXPECT_EQ(m.name.rfind(d.prefix + ":", 0), 0u) << m.name;
            EXPECT_TRUE(columns.insert(fold(std::string(bareName(m.name)))).second) << m.name;
            EXPECT_GT(m.maxLength, 0);
        }
        std::set<std::string> keyNames;
        for (const auto& k : d.keys) {
            SCOPED_TRACE(k.name);
            EXPECT_EQ(k.name.rfind(d.prefix + ":", 0), 0u);
            EXPECT_TRUE(keyNames.insert(fold(std::string(bareName(k.name)))).second);
            EXPECT_FALSE(k.description.empty());
            EXPECT_FALSE(k.components.empty());
            for (const auto& c : k.components)
                EXPECT_GE(d.fieldIndex(c), 0) << c;
            EXPECT_TRUE(k.unique || !k.primary);
            ASSERT_GE(k.autoNumbered, 0);
            ASSERT_LE(k.autoNumbered, int(k.components.size()));
            if (k.autoNumbered > 0) {
                auto type = d.fields[d.fieldIndex(k.components[k.autoNumbered - 1])].type;
                EXPECT_NE(type, FieldType::String);
            }
        }
    }
}

TEST(TableLayouts, MemosAndTheirSizes)
{
    const std::set<std::string> expected = {
        "SNG:Recording/256",
        "SNG:PerformanceNotes/256",
        "SNG:Notes/4096",
        "IS:Recording/256",
        "IS:PerformanceNotes/256",
        "IS:Notes/4096",
        "ALB:Recording/256",
        "ALB:Performance/256",
        "ALB:Notes/4096",
        "IA:Recording/256",
        "IA:Performance/256",
        "IA:Notes/4096",
        "LAB:CDCoverText/3000",
        "LAB:CDInsideText/3000",
        "LAB:CassetteFlap/1024",
        "LAB:CassetteTitle/1024",
        "LAB:CassetteContentsA/3000",
        "LAB:CassetteContentsB/3000",
        "PLD:Notes/1000",
        "MAL:Notes/4096",
    };
    std::set<std::string> found;
    for (const auto& d : schema::all())
        for (const auto& m : d.memos)
            found.insert(m.name + "/" + std::to_string(m.maxLength));
    EXPECT_EQ(found, expected);

    // A memo holds at most its size in characters, not bytes.
    std::string accents;
    for (int i = 0; i < 1001; ++i)
        accents += "\u00e9";
    Record& r = dictionary::PlaylistMaster().record();
    r.setMemo(r.def().memoIndex("PLD:Notes"), accents);
    EXPECT_EQ(r.memo(0), accents.substr(0, 2000));
    r.clear();
}

TEST(TableLayouts, AutoNumberedComponents)
{
    const std::set<std::string> expected = {
        "SNG:KEYID/ID",
        "SNG:KeyAlbumID/TrackNumber",
        "ADT:K_Album/Sequence",
        "IS:KEYID/ID",
        "IS:KEYALBUMID/TrackNumber",
        "SDT:K_ID/Sequence",
        "IA:KEYALBUMID/AlbumID",
        "CAT:KeyCategoryID/CategoryID",
        "ALB:KEYALBUMID/AlbumID",
        "LAB:KeyLabelID/LabelID",
        "FON:KeyFontID/FONTID",
        "AW:KeyInstance/Track",
        "PLD:KeyPlaylistID/PlaylistID",
        "PLA:KeyPlaylistID/PlaylistSeq",
        "TIP:KEYID/ID",
    };
    std::set<std::string> found;
    for (const auto& d : schema::all())
        for (const auto& k : d.keys)
            if (k.autoNumbered > 0)
                found.insert(k.name + "/" + k.components[k.autoNumbered - 1]);
    EXPECT_EQ(found, expected);
}

// Lists by artist, title, album and media show every song, blank ones too; all other
// keys leave out records whose components are all empty.
TEST(TableLayouts, OnlyTheListOrdersKeepAllEmptyRecords)
{
    const std::set<std::string> expected = {
        "SNG:SongsByArtist",
        "SNG:SongsByTitle",
        "SNG:SongsByAlbum",
        "SNG:SongsByMedia",
        "IS:SONGSBYARTIST",
        "IS:SONGSBYTITLE",
        "IS:SONGSBYALBUM",
        "IS:SONGSBYMEDIA",
        "PLA:KeyID",
        "TS_:TblKey",
    };
    std::set<std::string> found;
    for (const auto& d : schema::all())
        for (const auto& k : d.keys)
            if (!k.excludeEmpty)
                found.insert(k.name);
    EXPECT_EQ(found, expected);

    auto album = schema::Album();
    const auto& cd = album.keys[album.keyIndex("ALB:KEYCDIDENTIFIER")];
    EXPECT_TRUE(cd.unique);
    EXPECT_TRUE(cd.excludeEmpty);
    EXPECT_EQ(cd.description, "CD Serial Number");
}

// Ids are not of one type: code that copies one between tables must convert it.
TEST(TableLayouts, FieldTypesThatOtherCodeDependsOn)
{
    struct Case {
        const char* table;
        const char* field;
        FieldType type;
        int length, places;
        LongKind kind;
    };
    const Case cases[] = {
        {"Categories", "CAT:CategoryID", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"Album", "ALB:CategoryID", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"ImportAlbums", "IA:CATEGORYID", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"Labels", "LAB:LabelID", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"Fonts", "FON:FONTID", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"AddWizard", "AW:Instance", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"AddWizard", "AW:Track", FieldType::Decimal, 2, 0, LongKind::Plain},
        {"PlaylistDetails", "PLA:PlaylistSeq", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"PlaylistDetails", "PLA:ID", FieldType::Decimal, 6, 0, LongKind::Plain},
        {"Album", "ALB:Value", FieldType::Decimal, 8, 2, LongKind::Plain},
        {"Quorvel", "SNG:ID", FieldType::Long, 4, 0, LongKind::Plain},
        {"Quorvel", "SNG:CategoryID", FieldType::Long, 4, 0, LongKind::Plain},
        {"Album", "ALB:AlbumID", FieldType::Long, 4, 0, LongKind::Plain},
        {"Artists", "ART:CATEGORYID", FieldType::Long, 4, 0, LongKind::Plain},
        {"Quorvel", "SNG:TrackNumber", FieldType::Byte, 1, 0, LongKind::Plain},
        {"Quorvel", "SNG:Time", FieldType::Long, 4, 0, LongKind::Time},
        {"Quorvel", "SNG:LastPlayed", FieldType::Long, 4, 0, LongKind::Date},
        {"Quorvel", "SNG:ReleaseDate", FieldType::Long, 4, 0, LongKind::Year},
        {"Album", "ALB:TotalTime", FieldType::Long, 4, 0, LongKind::Time},
        {"PlaylistMaster", "PLD:LASTEDITDATE", FieldType::Long, 4, 0, LongKind::Date},
        {"AddWizard", "AW:TIME", FieldType::Long, 4, 0, LongKind::Time},
        {"MP3ApprovalList", "MAL:Time", FieldType::Long, 4, 0, LongKind::Time},
        {"TagSet_", "TS_:Tbl", FieldType::Short, 2, 0, LongKind::Plain},
        {"Labels", "LAB:IMAGESIZEY", FieldType::String, 20, 0, LongKind::Plain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const TableDef& d = dictionary::table(c.table)->def();
        int i = d.fieldIndex(c.field);
        ASSERT_GE(i, 0);
        const FieldDef& f = d.fields[i];
        EXPECT_EQ(f.type, c.type);
        EXPECT_EQ(f.length, c.length);
        EXPECT_EQ(f.places, c.places);
        EXPECT_EQ(f.kind, c.kind);
    }

    // DECIMAL(6,0) ids take 11 digits, a DECIMAL(2,0) track 3; a BYTE wraps past 255.
    Record& wizard = dictionary::AddWizard().record();
    wizard.clear();
    wizard["AW:Instance"] = std::int64_t(99999999999);
    EXPECT_EQ(wizard["AW:Instance"].toInt(), 99999999999);
    wizard["AW:Track"] = 999;
    EXPECT_EQ(wizard["AW:Track"].toInt(), 999);
    Record& song = dictionary::Quorvel().record();
    song.clear();
    song["SNG:TrackNumber"] = 256;
    EXPECT_EQ(song["SNG:TrackNumber"].toInt(), 0);
    wizard.clear();
    song.clear();
}

// The import tables read and write other collections' files, so their layouts must match.
TEST(TableLayouts, ImportTablesAreTwinsOfTheCollectionsOwn)
{
    struct Pair {
        TableDef own, twin;
    };
    Pair pairs[] = {{schema::Quorvel(), schema::ImportSongs()}, {schema::Album(), schema::ImportAlbums()}};
    for (const auto& [own, twin] : pairs) {
        SCOPED_TRACE(twin.label);
        EXPECT_EQ(own.version, twin.version);
        ASSERT_EQ(own.fields.size(), twin.fields.size());
        for (size_t i = 0; i < own.fields.size(); ++i) {
            const auto &a = own.fields[i], &b = twin.fields[i];
            EXPECT_TRUE(sameName(bareName(a.name), bareName(b.name))) << b.name;
            EXPECT_EQ(b.name.rfind(twin.prefix + ":", 0), 0u);
            EXPECT_EQ(a.type, b.type);
            EXPECT_EQ(a.length, b.length);
            EXPECT_EQ(a.places, b.places);
            EXPECT_EQ(a.kind, b.kind);
        }
        ASSERT_EQ(own.memos.size(), twin.memos.size());
        for (size_t i = 0; i < own.memos.size(); ++i) {
            EXPECT_EQ(bareName(own.memos[i].name), bareName(twin.memos[i].name));
            EXPECT_EQ(own.memos[i].maxLength, twin.memos[i].maxLength);
        }
        ASSERT_EQ(own.keys.size(), twin.keys.size());
        for (size_t i = 0; i < own.keys.size(); ++i) {
            const auto &a = own.keys[i], &b = twin.keys[i];
            EXPECT_TRUE(sameName(bareName(a.name), bareName(b.name))) << b.name;
            EXPECT_EQ(a.components, b.components);
            EXPECT_EQ(a.unique, b.unique);
            EXPECT_EQ(a.primary, b.primary);
            EXPECT_EQ(a.autoNumbered, b.autoNumbered);
            EXPECT_EQ(a.excludeEmpty, b.excludeEmpty);
            if (b.name != "IS:KEYWAVFILE") {
                EXPECT_EQ(a.description, b.description) << b.name;
            }
        }
    }
    auto songs = schema::ImportSongs();
    EXPECT_EQ(songs.keys[songs.keyIndex("IS:KEYWAVFILE")].description, "Associate Files");
    EXPECT_GE(songs.fieldIndex("IS:BITRATE"), 0);
    EXPECT_GE(schema::ImportAlbums().fieldIndex("IA:CONDITION"), 0);
}

TEST(TableNames, FieldsKeysMemosAndLabelsIgnoreCase)
{
    const TableDef& album = dictionary::Album().def();
    EXPECT_EQ(album.fieldIndex("ALB:Artist"), 1);
    EXPECT_EQ(album.fieldIndex("ALB:ARTIST"), 1);
    EXPECT_EQ(album.fieldIndex("alb:artist"), 1);
    EXPECT_EQ(album.fieldIndex("SNG:Artist"), -1);
    EXPECT_EQ(album.keyIndex("ALB:KEYCDIDENTIFIER"), album.keyIndex("alb:KeyCdIdentifier"));
    EXPECT_EQ(album.keyIndex("ALB:KEYCDIDENTIFIER"), 3);
    EXPECT_EQ(album.memoIndex("ALB:NOTES"), 2);
    EXPECT_EQ(dictionary::ImportSongs().def().fieldIndex("IS:Rating"), 24);

    Record& r = dictionary::Album().record();
    r.clear();
    r["ALB:ARTIST"] = "Abba";
    EXPECT_EQ(r.getText(album.fieldIndex("ALB:Artist")), "Abba");
    r.clear();

    EXPECT_EQ(dictionary::table("album"), &dictionary::Album());
    EXPECT_EQ(dictionary::table("QUORVEL"), &dictionary::Quorvel());
    EXPECT_EQ(dictionary::table("tagfilepos_"), &dictionary::TagFilePos_());
    EXPECT_EQ(dictionary::table("Songs"), nullptr);
    // One buffer per table for the whole process.
    EXPECT_EQ(&dictionary::Album().record(), &dictionary::table("Album")->record());
}

} // namespace
