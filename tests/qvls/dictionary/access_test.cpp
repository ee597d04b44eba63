// The access objects' own rules: names in messages, defaults of new records, field
// checks, keys that leave blank records out, and numbers reserved per album and side.

#include "dictionary_fixture.h"

#include <set>

namespace {

using namespace qv;
using namespace qv::qvls;
using namespace qv::qvls::dictionary;
using qv::qvls::testing::BuiltCollection;
using qv::tables::Record;
using qv::tables::Table;

void put(Table& t, std::string_view field, std::string_view value)
{
    const int i = t.def().fieldIndex(field);
    ASSERT_GE(i, 0) << field;
    switch (t.def().fields[static_cast<std::size_t>(i)].type) {
    case qv::tables::FieldType::String:
        t.record().setString(i, value);
        break;
    case qv::tables::FieldType::Decimal:
        t.record().setDecimal(i, qv::expr::Decimal::fromInt(std::stoll(std::string(value))));
        break;
    default:
        t.record().setInt(i, std::stoll(std::string(value)));
        break;
    }
}

std::string text(Table& t, std::string_view field)
{
    return t.record().getText(t.def().fieldIndex(field));
}

TEST(Dictionary, InitPointsEveryReferenceAndKillClearsThem)
{
    std::vector<std::string> labels;
    for (const AccessRules& r : accessRules())
        labels.emplace_back(r.label);
    ASSERT_EQ(labels.size(), 24u);
    {
        BuiltCollection c;
        for (const auto& label : labels) {
            DictionaryAccess* a = accessOf(label);
            DictionaryRelations* s = relationsOf(label);
            ASSERT_NE(a, nullptr) << label;
            ASSERT_NE(s, nullptr) << label;
            EXPECT_EQ(&s->access(), a) << label;
            EXPECT_EQ(&a->table(), table(label)) << label;
        }
        EXPECT_EQ(AlbumAccess, accessOf("album"));
        EXPECT_EQ(TagFilePos_Relations, relationsOf("TagFilePos_"));
    }
    for (const auto& label : labels) {
        EXPECT_EQ(accessOf(label), nullptr) << label;
        EXPECT_EQ(relationsOf(label), nullptr) << label;
    }
    EXPECT_EQ(QuorvelAccess, nullptr);
    EXPECT_EQ(DOSFileRelations, nullptr);
}

TEST(Dictionary, TablesAreNamedInMessagesAndChecksAsDeclared)
{
    BuiltCollection c;
    const std::vector<std::tuple<const char*, const char*, const char*>> names{
        {"Quorvel", "Songs [Quorvel]", "Songs"},
        {"Media", "Media Tyes [Media]", "Media Tyes"},
        {"ImportAlbums", "Albums - Import Database [ImportAlbums]", "Albums - Import Database"},
        {"QVLTips", "Tips [QVLTips]", "Tips"},
        {"TagFile_", "TagFile_", "TagFile_"},
        {"AlbumDetails", "QVL_ADT.tps", "AlbumDetails"}, // the framework's default: the file
        {"MP3ApprovalList", "QVL_MPAL.TPS", "MP3ApprovalList"},
    };
    for (const auto& [label, inMessages, inChecks] : names) {
        EXPECT_EQ(accessOf(label)->name(), inMessages) << label;
        EXPECT_EQ(accessOf(label)->checkName(), inChecks) << label;
    }
}

TEST(Dictionary, NewRecordsTakeTheirDefaultsFromTheCurrentAlbumAndSong)
{
    BuiltCollection c;
    Record& album = Album().record();
    album.clear();
    put(Album(), "ALB:AlbumID", "12");
    put(Album(), "ALB:Artist", "Nina Simone");
    put(Album(), "ALB:Album", "Pastel Blues");
    put(Album(), "ALB:Media", "LP");
    put(Album(), "ALB:FileNumber", "CD042");
    put(Album(), "ALB:CategoryID", "4");
    put(Album(), "ALB:Category", "Jazz");
    put(Quorvel(), "SNG:ID", "77");

    struct Expect {
        const char* label;
        std::vector<std::pair<const char*, const char*>> fields;
    };
    const std::vector<Expect> cases{
        {"Quorvel",
            {{"SNG:AlbumID", "12"}, {"SNG:Artist", "Nina Simone"}, {"SNG:Album", "Pastel Blues"}, {"SNG:Media", "LP"},
                {"SNG:FileNumber", "CD042"}, {"SNG:CategoryID", "4"}, {"SNG:Category", "Jazz"}, {"SNG:Side", "1"},
                {"SNG:ReleaseDate", "2026"}, {"SNG:Title", ""}}},
        {"Album", {{"ALB:ReleaseDate", "2026"}, {"ALB:Condition", "Good"}, {"ALB:Artist", ""}}},
        {"ImportAlbums", {{"IA:RELEASEDATE", "2026"}, {"IA:CONDITION", "Good"}}},
        {"AlbumDetails", {{"ADT:AlbumID", "12"}}},
        {"SongDetails", {{"SDT:ID", "77"}}},
        {"AddWizard", {{"AW:Side", "1"}}},
        {"Artists", {{"ART:Artist", "Nina Simone"}}},
        {"MP3FolderList", {{"MFL:ALBUM", "Pastel Blues"}}},
        {"MP3ApprovalList",
            {{"MAL:Artist", "Nina Simone"}, {"MAL:Album", "Pastel Blues"}, {"MAL:ReleaseDate", "2026"},
                {"MAL:Category", "Jazz"}}},
        // Tables without defaults start cleared.
        {"ImportSongs", {{"IS:SIDE", "0"}, {"IS:RELEASEDATE", "0"}}},
        {"Categories", {{"CAT:CategoryID", "0"}}},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.label);
        Table& t = *table(e.label);
        if (&t != &Album())
            put(t, t.def().fields[0].name, t.def().fields[0].type == qv::tables::FieldType::String ? "stale" : "99");
        const Record keptAlbum = Album().record(), keptSong = Quorvel().record();
        accessOf(e.label)->primeFields();
        for (const auto& [field, value] : e.fields)
            EXPECT_EQ(text(t, field), value) << field;
        Album().record() = keptAlbum;
        Quorvel().record() = keptSong;
    }
}

struct CheckCase {
    const char* label;
    const char* field;
    const char* value;
    const char* title; // "" when accepted
    const char* text;
};

TEST(Dictionary, FieldChecksAcceptOrNameTheFieldAndTheRule)
{
    BuiltCollection c;
    for (const char* label : {"Media", "Categories", "Album", "Quorvel"})
        ASSERT_EQ(accessOf(label)->open(), fw::Benign);
    // A blank media format is stored too, but the key leaves it out, so a blank song
    // media still fails.
    for (const char* m : {"CD", "LP", ""}) {
        Media().record().clear();
        put(Media(), "MED:Media", m);
        ASSERT_EQ(Media().insert(), 0);
    }
    Categories().record().clear();
    put(Categories(), "CAT:Category", "Rock");
    ASSERT_EQ(Categories().insert(), 0);

    const char* range = "Range Error";
    const char* missing = "Field contents error";
    const std::vector<CheckCase> cases{
        {"Album", "ALB:Rating", "10", "", ""},
        {"Album", "ALB:Rating", "11", range, "The value of Rating must be between 0 and 10."},
        {"Album", "ALB:Media", "", "", ""},
        {"Album", "ALB:Media", "lp", "", ""},
        {"Album", "ALB:Media", "DVD", missing, "The value of Media (Album) must be found in the Media file."},
        {"Album", "ALB:CategoryID", "0", "", ""},
        {"Album", "ALB:CategoryID", "1", "", ""},
        {"Album", "ALB:CategoryID", "5", missing,
            "The value of Category (Unique ID) must be found in the Categories file."},
        {"Album", "ALB:Category", "Not A Category", "", ""},
        {"Quorvel", "SNG:Media", "", missing, "The value of Media (Song) must be found in the Media file."},
        {"Quorvel", "SNG:Media", "CD", "", ""},
        {"Quorvel", "SNG:Media", "Tape", missing, "The value of Media (Song) must be found in the Media file."},
        {"Quorvel", "SNG:CategoryID", "0", "", ""},
        {"Quorvel", "SNG:CategoryID", "1", "", ""},
        {"Quorvel", "SNG:CategoryID", "2", missing,
            "The value of Category (Unique ID) must be found in the Categories file."},
        {"Quorvel", "SNG:ChartNumber", "100", "", ""},
        {"Quorvel", "SNG:ChartNumber", "101", range, "The value of Chart must be between 0 and 100."},
        {"Quorvel", "SNG:TrackNumber", "99", "", ""},
        {"Quorvel", "SNG:TrackNumber", "100", range, "The value of Track must be between 0 and 99."},
        {"Quorvel", "SNG:Rating", "11", range, "The value of SNG:Rating must be between 0 and 10."},
        {"ImportSongs", "IS:CHARTNUMBER", "101", range, "The value of Chart must be between 0 and 100."},
        {"ImportSongs", "IS:TRACKNUMBER", "100", range, "The value of Track must be between 0 and 99."},
        {"ImportSongs", "IS:Rating", "11", range, "The value of IS:Rating must be between 0 and 10."},
        {"ImportSongs", "IS:MEDIA", "Tape", "", ""},
        {"ImportAlbums", "IA:RATING", "11", range, "The value of Rating must be between 0 and 10."},
        {"ImportAlbums", "IA:MEDIA", "DVD", "", ""},
        {"Labels", "LAB:CDSPINEFONTID", "12", "", ""},
    };
    for (const CheckCase& cc : cases) {
        SCOPED_TRACE(std::string(cc.field) + " = '" + cc.value + "'");
        Table& t = *table(cc.label);
        t.record().clear();
        put(t, cc.field, cc.value);
        const Record before = t.record();
        c.titles.clear();
        c.texts.clear();
        const fw::Level l = c.run([&] { return accessOf(cc.label)->CheckField(t.def().fieldIndex(cc.field)); });
        EXPECT_TRUE(t.record().sameValues(before));
        if (!*cc.title) {
            EXPECT_EQ(l, fw::Benign);
            EXPECT_TRUE(c.titles.empty()) << c.texts.front();
            continue;
        }
        EXPECT_EQ(l, fw::User);
        ASSERT_EQ(c.titles.size(), 1u);
        EXPECT_EQ(c.titles[0], cc.title);
        EXPECT_EQ(c.texts[0], cc.text);
    }
}

TEST(Dictionary, AMembershipCheckLeavesTheLookedUpTableWhereItStood)
{
    BuiltCollection c;
    for (const char* label : {"Media", "Album"})
        ASSERT_EQ(accessOf(label)->open(), fw::Benign);
    for (const char* m : {"CD", "LP", "MC"}) {
        Media().record().clear();
        put(Media(), "MED:Media", m);
        ASSERT_EQ(Media().insert(), 0);
    }
    // A list stands on "LP" and reads on from there.
    MediaAccess->useKey(0);
    ASSERT_EQ(MediaAccess->TryNext(), 0);
    ASSERT_EQ(MediaAccess->TryNext(), 0);
    ASSERT_EQ(text(Media(), "MED:Media"), "LP");

    Album().record().clear();
    put(Album(), "ALB:Media", "CD");
    EXPECT_EQ(c.run([] { return AlbumAccess->CheckField(Album().def().fieldIndex("ALB:Media")); }), fw::Benign);
    EXPECT_EQ(text(Media(), "MED:Media"), "LP");
    ASSERT_EQ(MediaAccess->TryNext(), 0);
    EXPECT_EQ(text(Media(), "MED:Media"), "MC");
}

TEST(Dictionary, ManyAlbumsWithoutADiscIdentityButEachIdentityOnce)
{
    BuiltCollection c;
    ASSERT_EQ(AlbumRelations->open(), fw::Benign);
    auto addAlbum = [&](const std::string& title, const std::string& identity) {
        return c.run([&] {
            if (const fw::Level l = AlbumAccess->primeRecord(); l != fw::Benign)
                return l;
            put(Album(), "ALB:Album", title);
            put(Album(), "ALB:Artist", "Various");
            put(Album(), "ALB:CDIdentifier", identity);
            return AlbumRelations->Update();
        });
    };
    for (const char* title : {"One", "Two", "Three", "Four"})
        EXPECT_EQ(addAlbum(title, ""), fw::Benign) << title;
    EXPECT_EQ(addAlbum("Five", "0A1B2C3D"), fw::Benign);
    EXPECT_TRUE(c.titles.empty());
    EXPECT_EQ(addAlbum("Six", "0a1b2c3d"), fw::User);
    ASSERT_EQ(c.titles.size(), 1u);
    EXPECT_EQ(c.titles[0], "Duplicate Key Error");
    EXPECT_EQ(c.texts[0], "Adding this Albums [Album] record creates a duplicate entry for the key: CD Serial Number");
}

TEST(Dictionary, TrackNumbersAreReservedPerAlbumAndSide)
{
    BuiltCollection c;
    ASSERT_EQ(QuorvelRelations->open(), fw::Benign);
    auto song = [](int album, int side, int track) {
        Quorvel().record().clear();
        put(Quorvel(), "SNG:AlbumID", std::to_string(album));
        put(Quorvel(), "SNG:Side", std::to_string(side));
        put(Quorvel(), "SNG:TrackNumber", std::to_string(track));
        ASSERT_EQ(Quorvel().insert(), 0);
    };
    song(7, 2, 1);
    song(7, 2, 2);
    song(7, 2, 5);
    song(7, 1, 3);
    song(8, 2, 9);

    struct Case {
        int album, side, track;
    };
    for (const Case& k : std::vector<Case>{{7, 2, 6}, {7, 1, 4}, {7, 3, 1}, {8, 2, 10}, {9, 1, 1}}) {
        SCOPED_TRACE("album " + std::to_string(k.album) + " side " + std::to_string(k.side));
        Album().record().clear();
        put(Album(), "ALB:AlbumID", std::to_string(k.album));
        QuorvelAccess->primeFields();
        put(Quorvel(), "SNG:Side", std::to_string(k.side));
        EXPECT_EQ(c.run([] { return QuorvelAccess->primeAutoInc(); }), fw::Benign);
        EXPECT_EQ(text(Quorvel(), "SNG:AlbumID"), std::to_string(k.album));
        EXPECT_EQ(text(Quorvel(), "SNG:TrackNumber"), std::to_string(k.track));
    }
    // Each reserved song also got the next song id.
    EXPECT_EQ(text(Quorvel(), "SNG:ID"), "10");
}

TEST(Dictionary, MemosCanBeUsedInExpressionsOnceTheTableIsOpened)
{
    BuiltCollection c;
    qv::expr::NameTable names;
    AlbumAccess->setBindings(&names);
    ASSERT_EQ(AlbumAccess->open(), fw::Benign);
    Album().record().clear();
    Album().record().setMemo(Album().def().memoIndex("ALB:Notes"), "signed copy");
    put(Album(), "ALB:Album", "Blue");
    const int notes = names.lookup("alb:notes");
    ASSERT_GE(notes, 0);
    EXPECT_EQ(names.value(notes).toString(), "signed copy");
    EXPECT_GE(names.lookup("ALB:Album"), 0);
    // Tables whose memos are not bound keep them out of expressions.
    qv::expr::NameTable details;
    AlbumDetailsAccess->setBindings(&details);
    ASSERT_EQ(AlbumDetailsAccess->open(), fw::Benign);
    EXPECT_GE(details.lookup("ADT:DATAVALUE"), 0);
    AlbumAccess->setBindings(nullptr);
    AlbumDetailsAccess->setBindings(nullptr);
}

} // namespace
