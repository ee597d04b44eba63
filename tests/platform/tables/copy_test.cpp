// Copying records between tables as set-based steps in one transaction: the records
// must be stored exactly as inserts store them, and the unique key must keep the first.

#include "fixtures.h"
#include "platform/tables/copy.h"

#include <sqlite3.h>

#include <stdexcept>

namespace qv::tables::testing {
namespace {

// An artist list: one record per name, a category and a biography nobody copies.
TableDef artistsDef()
{
    TableDef d;
    d.label = "Artists";
    d.prefix = "ART";
    d.fileName = "artists";
    d.version = 2;
    d.fields = {stringField("ART:Artist", 50), longField("ART:CATEGORYID"), stringField("ART:BIO", 200)};
    d.keys = {{"ART:K_ARTIST", "Artists", {"Artist"}, true, true, 0, true}};
    return d;
}

// Every stored column but the record id, as the sqlite3 tool would list them.
std::vector<std::string> storedRows(const std::string& file)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        db, "SELECT Artist, CATEGORYID, BIO, _chg, _k_Artist FROM Artists ORDER BY _rid", -1, &s, nullptr);
    std::vector<std::string> rows;
    while (s && sqlite3_step(s) == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < 5; ++c)
            row += std::string(c ? "|" : "") + reinterpret_cast<const char*>(sqlite3_column_text(s, c));
        rows.push_back(row);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

struct Copying : ::testing::Test {
    Collection c;
    Table artists{artistsDef()};
    int songsByArtist = c.songs->def().keyIndex("SNG:SongsByArtist");

    void SetUp() override
    {
        artists.setFileName(c.dir.file("artists"));
        artists.setGroup(c.group.get());
        ASSERT_EQ(artists.create(), 0);
        ASSERT_EQ(artists.open(), 0);
    }

    void addArtist(const std::string& name, int category)
    {
        artists.record().clear();
        artists.record()["ART:Artist"] = name;
        artists.record()["ART:CATEGORYID"] = category;
        artists.record()["ART:BIO"] = "listed before";
        ASSERT_EQ(artists.insert(), 0);
    }

    std::unique_ptr<TableCopy> artistCopy(int firstOfEach)
    {
        auto copy = std::make_unique<TableCopy>(*c.songs, songsByArtist, artists);
        copy->carry("ART:Artist", "SNG:Artist");
        copy->carry("ART:CATEGORYID", "SNG:AlbumID");
        copy->skipBlank("SNG:Artist");
        copy->firstOfEach(firstOfEach);
        return copy;
    }
};

TEST_F(Copying, KeepsTheFirstOfEachNameStoredAsAnInsertStoresIt)
{
    // In key order: ABBA/Arrival (1), abba/Money (2), Abba/Waterloo (3), Blondie (4, 5), Élan.
    c.addSong("abba", "Money", 2);
    c.addSong("Blondie", "Atomic", 4);
    c.addSong("", "No one sings", 9);
    c.addSong("   ", "Blanks only", 9);
    c.addSong("ABBA", "Arrival", 1);
    c.addSong("Abba", "Waterloo", 3);
    c.addSong("Blondie", "Call me", 5);
    c.addSong("ÉLAN", "Vital", 6);
    c.addSong("élan", "Zeal", 7);
    c.addSong("Queen", "Bicycle", 8);
    addArtist("QUEEN", 77);

    // The same records added one at a time through the driver, in a file of their own.
    Table twin{artistsDef()};
    twin.setFileName(c.dir.file("twin"));
    ASSERT_EQ(twin.create(), 0);
    ASSERT_EQ(twin.open(), 0);
    auto add = [&](const char* name, int category, const char* bio) {
        twin.record().clear();
        twin.record()["ART:Artist"] = name;
        twin.record()["ART:CATEGORYID"] = category;
        twin.record()["ART:BIO"] = bio;
        ASSERT_EQ(twin.insert(), 0);
    };
    add("QUEEN", 77, "listed before");
    add("ABBA", 1, "");
    add("Blondie", 4, "");
    add("ÉLAN", 6, "");
    twin.close();
    const std::vector<std::string> expected = storedRows(c.dir.file("twin.tps"));

    struct Case {
        int firstOfEach;
        std::int64_t perStep;
    };
    // One record a step ends steps inside a name's run of songs.
    for (const Case cs : {Case{0, 1000}, Case{0, 1}, Case{0, 3}, Case{1, 1000}, Case{1, 1}, Case{1, 3}}) {
        SCOPED_TRACE("first of each " + std::to_string(cs.firstOfEach) + ", " + std::to_string(cs.perStep));
        auto copy = artistCopy(cs.firstOfEach);
        ASSERT_EQ(copy->begin(), 0) << lastError().text;
        EXPECT_EQ(copy->total(), 10);
        int steps = 0;
        while (!copy->finished()) {
            ASSERT_EQ(copy->step(cs.perStep), 0) << lastError().text;
            ++steps;
        }
        EXPECT_EQ(steps, cs.perStep == 1000 ? 1 : (10 + cs.perStep) / cs.perStep);
        EXPECT_EQ(copy->done(), 10);
        ASSERT_EQ(copy->commit(), 0);
        EXPECT_EQ(storedRows(c.dir.file("artists.tps")), expected);

        // The driver reads them back and its unique key refuses a name again in any case.
        artists.record().clear();
        artists.record()["ART:Artist"] = "élan";
        ASSERT_EQ(artists.fetch(0), 0);
        EXPECT_EQ(artists.record().getText(0), "ÉLAN");
        EXPECT_EQ(artists.record().changeCount, 1);
        artists.record()["ART:BIO"] = "edited";
        EXPECT_EQ(artists.update(), 0) << "the change counter is one an update expects";
        artists.record().clear();
        artists.record()["ART:Artist"] = "blondie";
        EXPECT_EQ(artists.insert(), DuplicateKey);

        // Back to the one record listed before.
        artists.setOrder(-1);
        std::vector<std::int64_t> copied;
        while (artists.next() == 0)
            if (artists.record().getText(0) != "QUEEN")
                copied.push_back(artists.record().recordId);
        for (std::int64_t id : copied) {
            ASSERT_EQ(artists.fetchRecord(id), 0);
            ASSERT_EQ(artists.remove(), 0);
        }
    }
}

TEST_F(Copying, OthersSeeNothingBeforeTheCommitAndARollbackLeavesNothing)
{
    for (int i = 0; i < 5; ++i)
        c.addSong("Artist " + std::to_string(i), "Song", i);
    auto copy = artistCopy(1);
    ASSERT_EQ(copy->begin(), 0);
    ASSERT_EQ(copy->step(3), 0);
    EXPECT_FALSE(copy->finished());
    EXPECT_EQ(copy->done(), 3);
    EXPECT_EQ(artists.records(), 0) << "the table's own connection sees the file as it was";
    EXPECT_FALSE(c.group->inTransaction()) << "the copy's transaction is not the group's";
    ASSERT_EQ(copy->rollback(), 0);
    EXPECT_EQ(artists.records(), 0);
    EXPECT_EQ(copy->step(3), NoTransaction);

    // A second copy from where the list now stands.
    copy = artistCopy(1);
    ASSERT_EQ(copy->begin(), 0);
    ASSERT_EQ(copy->step(3), 0);
    ASSERT_EQ(copy->commit(), 0);
    EXPECT_EQ(artists.records(), 3) << "a commit keeps the steps taken";
}

TEST_F(Copying, FoldsATextThatHasNoFoldedCopyInTheSource)
{
    // Titles are keyed in the songs; here a table whose names are not keyed at all.
    TableDef peopleDef;
    peopleDef.label = "People";
    peopleDef.prefix = "PEO";
    peopleDef.fields = {longField("PEO:ID"), stringField("PEO:Name", 40)};
    peopleDef.keys = {{"PEO:KEYID", "ID", {"ID"}, true, true, 0, true}};
    Table people(peopleDef);
    people.setFileName(c.dir.file("people"));
    ASSERT_EQ(people.create(), 0);
    ASSERT_EQ(people.open(), 0);
    int id = 0;
    for (const char* name : {"Ärger", "", "ÄRGER ", "Zoë"}) {
        people.record().clear();
        people.record()["PEO:ID"] = ++id;
        people.record()["PEO:Name"] = name;
        ASSERT_EQ(people.insert(), 0);
    }
    TableCopy copy(people, 0, artists);
    copy.carry("ART:Artist", "PEO:Name");
    copy.skipBlank("PEO:Name");
    ASSERT_EQ(copy.begin(), 0);
    while (!copy.finished())
        ASSERT_EQ(copy.step(2), 0);
    ASSERT_EQ(copy.commit(), 0);
    EXPECT_EQ(storedRows(c.dir.file("artists.tps")), (std::vector<std::string>{"Ärger|0||1|ärger", "Zoë|0||1|zoë"}));
}

TEST_F(Copying, RefusesWhatItCouldNotStoreAsAnInsertWould)
{
    TableDef narrow = artistsDef();
    narrow.fields[0] = stringField("ART:Artist", 20);
    narrow.fields[1] = byteField("ART:CATEGORYID");
    TableDef numbered = artistsDef();
    numbered.keys[0].autoNumbered = 1;
    numbered.fields[0] = longField("ART:Artist");
    TableDef sealed = artistsDef();
    sealed.ownerPassword = "secret";

    Table narrowTable(narrow), numberedTable(numbered), sealedTable(sealed);
    EXPECT_THROW(TableCopy(*c.songs, 0, numberedTable), std::invalid_argument) << "numbers are the driver's to give";
    EXPECT_THROW(TableCopy(*c.songs, 0, sealedTable), std::invalid_argument);
    TableCopy copy(*c.songs, 0, narrowTable);
    EXPECT_THROW(copy.carry("ART:Artist", "SNG:Artist"), std::invalid_argument) << "50 characters into 20";
    EXPECT_THROW(copy.carry("ART:CATEGORYID", "SNG:AlbumID"), std::invalid_argument) << "a long into a byte";
    EXPECT_THROW(copy.carry("ART:CATEGORYID", "SNG:Title"), std::invalid_argument) << "text into a number";
    EXPECT_THROW(copy.carry("ART:Nothing", "SNG:Title"), std::invalid_argument);
    EXPECT_NO_THROW(copy.carry("ART:CATEGORYID", "SNG:Side")) << "a byte into a byte";

    artists.close();
    std::filesystem::remove(c.dir.file("artists.tps"));
    auto missing = artistCopy(0);
    EXPECT_EQ(missing->begin(), FileNotFound);
    EXPECT_EQ(missing->step(10), NoTransaction);
}

} // namespace
} // namespace qv::tables::testing
