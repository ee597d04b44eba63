// The relation sets' rules on a small collection: each action through a set either
// completes with its cascades or changes nothing at all.

#include "dictionary_fixture.h"

#include <map>
#include <set>

namespace {

using namespace qv;
using namespace qv::qvls;
using namespace qv::qvls::dictionary;
using qv::qvls::testing::BuiltCollection;
using qv::tables::Table;
namespace fs = std::filesystem;

// Media CD, LP, Tape; categories 1 Rock and 2 Jazz; album 1 (CD, Rock) with songs 1 and
// 2, album 2 (LP) with song 3, album 3 (Tape) with none; song 3 stands in both playlists.
class Seeded
{
public:
    explicit Seeded(BuiltCollection& c)
    {
        for (const char* label : {"Quorvel", "Album", "AlbumDetails", "SongDetails", "PlaylistMaster",
                 "PlaylistDetails", "Categories", "Media", "Artists"})
            EXPECT_EQ(accessOf(label)->open(), fw::Benign) << label;
        for (const char* m : {"CD", "LP", "Tape"})
            add(Media(), {{"MED:Media", m}});
        add(Categories(), {{"CAT:Category", "Rock"}});
        add(Categories(), {{"CAT:Category", "Jazz"}});
        add(Album(), {{"ALB:Album", "Blue"}, {"ALB:Artist", "Ann"}, {"ALB:Media", "CD"}, {"ALB:CategoryID", "1"}});
        add(Album(), {{"ALB:Album", "Red"}, {"ALB:Artist", "Bob"}, {"ALB:Media", "LP"}});
        add(Album(), {{"ALB:Album", "Grey"}, {"ALB:Artist", "Cy"}, {"ALB:Media", "Tape"}});
        add(Quorvel(),
            {{"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:Title", "One"}, {"SNG:Media", "CD"},
                {"SNG:CategoryID", "1"}});
        add(Quorvel(),
            {{"SNG:AlbumID", "1"}, {"SNG:Side", "1"}, {"SNG:Title", "Two"}, {"SNG:Media", "CD"},
                {"SNG:CategoryID", "1"}});
        add(Quorvel(),
            {{"SNG:AlbumID", "2"}, {"SNG:Side", "1"}, {"SNG:Title", "Three"}, {"SNG:Media", "LP"},
                {"SNG:CategoryID", "2"}});
        add(SongDetails(), {{"SDT:ID", "1"}, {"SDT:DATAVALUE", "one a"}});
        add(SongDetails(), {{"SDT:ID", "1"}, {"SDT:DATAVALUE", "one b"}});
        add(SongDetails(), {{"SDT:ID", "2"}, {"SDT:DATAVALUE", "two a"}});
        add(SongDetails(), {{"SDT:ID", "3"}, {"SDT:DATAVALUE", "three a"}});
        add(AlbumDetails(), {{"ADT:AlbumID", "1"}, {"ADT:DATAVALUE", "blue a"}});
        add(AlbumDetails(), {{"ADT:AlbumID", "1"}, {"ADT:DATAVALUE", "blue b"}});
        add(AlbumDetails(), {{"ADT:AlbumID", "2"}, {"ADT:DATAVALUE", "red a"}});
        add(PlaylistMaster(), {{"PLD:PlaylistDescription", "Mine"}});
        add(PlaylistMaster(), {{"PLD:PlaylistDescription", "Yours"}});
        add(PlaylistDetails(), {{"PLA:PlaylistID", "1"}, {"PLA:ID", "3"}});
        add(PlaylistDetails(), {{"PLA:PlaylistID", "2"}, {"PLA:ID", "3"}});
        (void)c;
    }

    static void add(Table& t, const std::vector<std::pair<std::string, std::string>>& values)
    {
        t.record().clear();
        for (const auto& [f, v] : values) {
            const int i = t.def().fieldIndex(f);
            ASSERT_GE(i, 0) << f;
            if (t.def().fields[static_cast<std::size_t>(i)].type == qv::tables::FieldType::String)
                t.record().setString(i, v);
            else
                t.record().setInt(i, std::stoll(v));
        }
        ASSERT_EQ(t.insert(), 0) << t.def().label << ": " << qv::tables::lastError().text;
    }

    // Reads the record whose main key's first component has the value into the buffer.
    static void load(Table& t, const std::string& field, const std::string& value)
    {
        t.record().clear();
        const int i = t.def().fieldIndex(field);
        if (t.def().fields[static_cast<std::size_t>(i)].type == qv::tables::FieldType::String)
            t.record().setString(i, value);
        else
            t.record().setInt(i, std::stoll(value));
        ASSERT_EQ(t.fetch(BuiltCollection::mainKey(t)), 0) << field << " " << value;
    }
};

using Snapshot = std::map<std::string, std::vector<std::string>>;

Snapshot snapshot()
{
    return {
        {"albums", BuiltCollection::rows(Album(), {"ALB:AlbumID", "ALB:Album", "ALB:Media", "ALB:CategoryID"})},
        {"songs",
            BuiltCollection::rows(Quorvel(), {"SNG:ID", "SNG:AlbumID", "SNG:Title", "SNG:Media", "SNG:CategoryID"})},
        {"album details", BuiltCollection::rows(AlbumDetails(), {"ADT:AlbumID", "ADT:Sequence", "ADT:DATAVALUE"})},
        {"song details", BuiltCollection::rows(SongDetails(), {"SDT:ID", "SDT:Sequence", "SDT:DATAVALUE"})},
        {"playlists", BuiltCollection::rows(PlaylistMaster(), {"PLD:PlaylistID", "PLD:PlaylistDescription"})},
        {"entries", BuiltCollection::rows(PlaylistDetails(), {"PLA:PlaylistID", "PLA:PlaylistSeq", "PLA:ID"})},
        {"categories", BuiltCollection::rows(Categories(), {"CAT:CategoryID", "CAT:Category"})},
        {"media", BuiltCollection::rows(Media(), {"MED:Media"})},
    };
}

struct RelationCase {
    const char* name;
    std::function<fw::Level()> action;
    fw::Level level;
    const char* title; // the one message shown, or "" for none
    const char* namedFile; // text the message names the file by
    std::function<void(Snapshot&)> change; // what the action does to the rows
};

TEST(RelationRules, EachActionCompletesWithItsCascadesOrChangesNothing)
{
    const std::vector<RelationCase> cases{
        {"album delete takes its songs, their details and its details",
            [] {
                Seeded::load(Album(), "ALB:AlbumID", "1");
                return AlbumRelations->deleteRecord(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["albums"] = {"2|Red|LP|0", "3|Grey|Tape|0"};
                s["songs"] = {"3|2|Three|LP|2"};
                s["album details"] = {"2|1|red a"};
                s["song details"] = {"3|1|three a"};
            }},
        {"album delete refused while one of its songs stands in a playlist",
            [] {
                Seeded::load(Album(), "ALB:AlbumID", "2");
                return AlbumRelations->deleteRecord(false);
            },
            fw::User, "Referential Integrity Delete Error", "Playlist Details (Songs) [PlaylistDetails]", nullptr},
        {"song delete refused while it stands in a playlist",
            [] {
                Seeded::load(Quorvel(), "SNG:ID", "3");
                return QuorvelRelations->deleteRecord(false);
            },
            fw::User, "Referential Integrity Delete Error", "Playlist Details (Songs) [PlaylistDetails]", nullptr},
        {"song delete takes its details",
            [] {
                Seeded::load(Quorvel(), "SNG:ID", "1");
                return QuorvelRelations->deleteRecord(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["songs"] = {"2|1|Two|CD|1", "3|2|Three|LP|2"};
                s["song details"] = {"2|1|two a", "3|1|three a"};
            }},
        {"playlist delete takes its entries only",
            [] {
                Seeded::load(PlaylistMaster(), "PLD:PlaylistID", "1");
                return PlaylistMasterRelations->deleteRecord(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["playlists"] = {"2|Yours"};
                s["entries"] = {"2|1|3"};
            }},
        {"media in use by a song cannot be deleted",
            [] {
                Seeded::load(Media(), "MED:Media", "LP");
                return MediaRelations->deleteRecord(false);
            },
            fw::User, "Referential Integrity Delete Error", "Songs [Quorvel]", nullptr},
        {"media used only by albums cannot be deleted either",
            [] {
                Seeded::load(Media(), "MED:Media", "Tape");
                return MediaRelations->deleteRecord(false);
            },
            fw::User, "Referential Integrity Delete Error", "Albums [Album]", nullptr},
        {"media rename reaches songs and albums",
            [] {
                Seeded::load(Media(), "MED:Media", "CD");
                Media().record()["MED:Media"] = "Disc";
                return MediaRelations->Update(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["media"] = {"Disc", "LP", "Tape"};
                s["songs"] = {"1|1|One|Disc|1", "2|1|Two|Disc|1", "3|2|Three|LP|2"};
                s["albums"] = {"1|Blue|Disc|1", "2|Red|LP|0", "3|Grey|Tape|0"};
            }},
        {"category id change refused while albums use it",
            [] {
                Seeded::load(Categories(), "CAT:CategoryID", "1");
                Categories().record()["CAT:CategoryID"] = 7;
                const fw::Level l = CategoriesRelations->Update(false);
                // The refused linking field is put back in the buffer.
                EXPECT_EQ(Categories().record()["CAT:CategoryID"].toInt(), 1);
                return l;
            },
            fw::User, "Referential Integrity Update Error", "Albums [Album]", nullptr},
        {"category id change reaches songs when no album uses it",
            [] {
                Seeded::load(Categories(), "CAT:CategoryID", "2");
                Categories().record()["CAT:CategoryID"] = 9;
                return CategoriesRelations->Update(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["categories"] = {"1|Rock", "9|Jazz"};
                s["songs"] = {"1|1|One|CD|1", "2|1|Two|CD|1", "3|2|Three|LP|9"};
            }},
        {"category used by a song cannot be deleted",
            [] {
                Seeded::load(Categories(), "CAT:CategoryID", "2");
                return CategoriesRelations->deleteRecord(false);
            },
            fw::User, "Referential Integrity Delete Error", "Songs [Quorvel]", nullptr},
        {"album id change carried to songs and details",
            [] {
                Seeded::load(Album(), "ALB:AlbumID", "1");
                Album().record()["ALB:AlbumID"] = 50;
                return AlbumRelations->Update(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["albums"] = {"2|Red|LP|0", "3|Grey|Tape|0", "50|Blue|CD|1"};
                s["songs"] = {"1|50|One|CD|1", "2|50|Two|CD|1", "3|2|Three|LP|2"};
                s["album details"] = {"2|1|red a", "50|1|blue a", "50|2|blue b"};
            }},
        {"song id change carried to its details",
            [] {
                Seeded::load(Quorvel(), "SNG:ID", "2");
                Quorvel().record()["SNG:ID"] = 20;
                return QuorvelRelations->Update(false);
            },
            fw::Benign, "", "",
            [](Snapshot& s) {
                s["songs"] = {"1|1|One|CD|1", "3|2|Three|LP|2", "20|1|Two|CD|1"};
                s["song details"] = {"1|1|one a", "1|2|one b", "3|1|three a", "20|1|two a"};
            }},
    };

    for (const RelationCase& rc : cases) {
        SCOPED_TRACE(rc.name);
        BuiltCollection c;
        Seeded seed(c);
        Snapshot expected = snapshot();
        if (rc.change)
            rc.change(expected);
        EXPECT_EQ(c.run(rc.action), rc.level);
        EXPECT_EQ(snapshot(), expected);
        if (*rc.title) {
            ASSERT_EQ(c.titles.size(), 1u);
            EXPECT_EQ(c.titles[0], rc.title);
            EXPECT_NE(c.texts[0].find(std::string("the file ") + rc.namedFile + "."), std::string::npos) << c.texts[0];
        } else {
            EXPECT_TRUE(c.titles.empty()) << c.titles.front();
        }
    }
}

TEST(RelationRules, TheTablesThatSetsUpdateTogetherShareOneConnection)
{
    BuiltCollection c;
    qv::tables::Group& catalogue = Album().group();
    for (std::string_view label : catalogueGroupLabels())
        EXPECT_EQ(&table(label)->group(), &catalogue) << label;
    EXPECT_EQ(catalogue.mainFile(), (c.dir() / kCatalogueGroupFile).string());

    qv::tables::Group& other = Labels().group();
    EXPECT_NE(&other, &catalogue);
    EXPECT_EQ(other.mainFile(), (c.dir() / kOtherGroupFile).string());
    int others = 0;
    for (Table* t : allTables())
        if (&t->group() == &other)
            ++others;
    EXPECT_LE(others, qv::tables::Group::kMaxFiles);
    EXPECT_EQ(others, 10);

    // Another collection's tables go with the folder they lie in.
    ImportSongsFileName = (c.dir() / "other" / "qvldata").string();
    applyRunTimeName(ImportSongs());
    EXPECT_EQ(ImportSongs().group().mainFile(), (c.dir() / "other" / ".qvtables").string());

    // Opening every set at once stays within each connection's limit.
    for (std::string_view label : catalogueGroupLabels())
        EXPECT_EQ(relationsOf(label)->open(), fw::Benign) << label;
    for (const char* label : {"Labels", "Fonts", "AddWizard", "Configuration", "MP3FolderList", "QVLTips", "TagSet_",
             "TagFile_", "TagFilePos_", "MP3ApprovalList"})
        EXPECT_EQ(relationsOf(label)->open(), fw::Benign) << label;
    EXPECT_EQ(catalogue.attachedCount(), 9);
    EXPECT_EQ(other.attachedCount(), 10);

    // Opened through their sets, the missing tables were created under their own names,
    // beside the two connections' hidden main files.
    std::set<std::string> files;
    for (const auto& e : fs::directory_iterator(c.dir()))
        if (e.is_regular_file() && e.path().extension() != ".tps-journal")
            files.insert(e.path().filename().string());
    EXPECT_EQ(files,
        (std::set<std::string>{".qvcatalogue", ".qvother", "qvldata.tps", "QVL_ADT.tps", "QVL_SDT.tps", "QVLCAT.tps",
            "qvlalbum.tps", "qvllabel.tps", "qvlfont.tps", "QVLAdWiz.tps", "qvlplist.tps", "qvlpldet.tps",
            "qvlmedia.tps", "QVLConf.tps", "QVLARTST.tps", "QVL_MFL.TPS", "QVLTIPS.tps", "TAGSET_.tps", "TAGFILE_.tps",
            "TAGFILEP.tps", "QVL_MPAL.TPS"}));
}

} // namespace

namespace {

// Albums and songs keep a copy of their category's name; a rename rewrites
// every copy of that category id that holds another text, in the rename's
// own transaction, and a refused rename leaves every copy as it was.
TEST(CategoryRename, TheNameCopiesFollowTheSavedNameOrNotAtAll)
{
    struct Case {
        const char* what;
        const char* newName;
        fw::Level level;
        const char* copies; // of category 1, after
    };
    const Case cases[] = {
        {"a rename", "Rock & Roll", fw::Benign, "Rock & Roll"},
        {"a change of case counts", "rock", fw::Benign, "rock"},
        {"a name another category has is refused", "Jazz", fw::User, "Rock"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        BuiltCollection c;
        Seeded seed(c);
        // Album 1 and songs 1 and 2 are Rock's; album 3 joins Rock with a stale copy.
        auto setCopy = [](Table& t, const char* idField, const char* id, const char* field, const char* name,
                           const char* catField) {
            Seeded::load(t, idField, id);
            t.record()[std::string_view(field)] = name;
            t.record()[std::string_view(catField)] = 1;
            ASSERT_EQ(t.update(), 0);
        };
        setCopy(Album(), "ALB:AlbumID", "1", "ALB:Category", "Rock", "ALB:CategoryID");
        setCopy(Album(), "ALB:AlbumID", "3", "ALB:Category", "Classic Rock", "ALB:CategoryID");
        setCopy(Quorvel(), "SNG:ID", "1", "SNG:Category", "Rock", "SNG:CategoryID");
        setCopy(Quorvel(), "SNG:ID", "2", "SNG:Category", "Rock", "SNG:CategoryID");
        Seeded::load(Quorvel(), "SNG:ID", "3");
        Quorvel().record()["SNG:Category"] = "Jazz";
        ASSERT_EQ(Quorvel().update(), 0);

        const fw::Level l = c.run([&] {
            Seeded::load(Categories(), "CAT:CategoryID", "1");
            Categories().record()["CAT:Category"] = k.newName;
            return CategoriesRelations->Update(true);
        });
        EXPECT_EQ(l, k.level);
        const std::string stale = k.level == fw::Benign ? k.copies : "Classic Rock";
        EXPECT_EQ(BuiltCollection::rows(Album(), {"ALB:AlbumID", "ALB:Category"}),
            (std::vector<std::string>{std::string("1|") + k.copies, "2|", "3|" + stale}));
        EXPECT_EQ(BuiltCollection::rows(Quorvel(), {"SNG:ID", "SNG:Category"}),
            (std::vector<std::string>{std::string("1|") + k.copies, std::string("2|") + k.copies, "3|Jazz"}));
    }
}

} // namespace
