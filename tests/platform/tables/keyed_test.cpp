#include "fixtures.h"

#include "platform/text/text.h"
#include "support/command_output.h"

#include <cstdio>
#include <set>

namespace qv::tables::testing {
namespace {

TEST(RecordBuffer, FieldsByNameTypedAndSized)
{
    TableDef def = albumsDef();
    Record r(def);
    r["alb:ARTIST"] = "Abba";
    EXPECT_EQ(r["ALB:Artist"].toString(), "Abba" + std::string(46, ' '));
    EXPECT_EQ(r.getText(def.fieldIndex("Artist")), "Abba");

    // Characters, not bytes: 50 accented letters fit, the 51st is cut.
    std::string many;
    for (int i = 0; i < 51; ++i)
        many += "é";
    r["ALB:Album"] = many;
    EXPECT_EQ(text::charCount(r["ALB:Album"].toString()), 50u);
    EXPECT_EQ(r.getText(def.fieldIndex("ALB:Album")).size(), 100u);

    // DECIMAL keeps its places exactly and rounds half away from zero.
    r["ALB:Value"] = *expr::Decimal::parse("19.995");
    EXPECT_EQ(r["ALB:Value"].toDecimal().toString(), "20.00");
    r["ALB:Value"] = *expr::Decimal::parse("123456.78");
    EXPECT_EQ(r["ALB:Value"].toString(), "123456.78");
    r["ALB:CategoryID"] = std::int64_t{99999999999};
    EXPECT_EQ(r["ALB:CategoryID"].toInt(), 99999999999);

    TableDef songs = songsDef();
    Record s(songs);
    s["SNG:TrackNumber"] = 256 + 7;
    EXPECT_EQ(s["SNG:TrackNumber"].toInt(), 7);
    s["SNG:Title"] = "12";
    EXPECT_EQ(s["SNG:Title"].toInt(), 12);
    EXPECT_FALSE(s["SNG:Nope"].valid());

    s.clear();
    EXPECT_TRUE(s.isEmpty(songs.fieldIndex("SNG:Title")));
    EXPECT_EQ(s.memo(0), "");
}

TEST(KeyedTable, SqliteToolSeesOneTableWithTheDeclaredColumns)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("Abba", "Arrival", "X1"), 0);
    c.albums->close();
    const std::string cmd = "sqlite3 -batch " + qv::testing::shellQuoted(c.albums->filePath())
        + " \"SELECT count(*) FROM sqlite_master WHERE type='table'; "
          "SELECT group_concat(name, ',') FROM pragma_table_info('Album') WHERE name NOT LIKE '\\_%' ESCAPE '\\'; "
          "SELECT Artist || '/' || Album FROM Album; PRAGMA user_version; PRAGMA integrity_check;\" 2>&1";
    const std::string out = qv::testing::commandOutput(cmd);
    // Beside the table, only the count it keeps.
    EXPECT_EQ(out, "2\nAlbumID,Artist,Album,CDIdentifier,Value,CategoryID,Notes\nAbba/Arrival\n5\nok\n");
}

std::string sqliteTool(const std::string& file, const std::string& sql)
{
    // The test folder's name holds a quote.
    return qv::testing::commandOutput("sqlite3 -batch " + qv::testing::shellQuoted(file) + " \"" + sql + "\" 2>&1");
}

TEST(KeyedTable, TheCountOfRecordsFollowsEveryWriterAndComesToFilesMadeWithoutIt)
{
    Collection c;
    for (const char* t : {"One", "Two", "Three"})
        ASSERT_EQ(c.addSong("A", t), 0);
    EXPECT_EQ(c.songs->records(), 3);

    // A transaction rolled back takes its records back from the count.
    c.group->begin();
    ASSERT_EQ(c.addSong("A", "Four"), 0);
    EXPECT_EQ(c.songs->records(), 4);
    c.group->rollback();
    EXPECT_EQ(c.songs->records(), 3);
    c.songs->record().clear();
    c.songs->record()["SNG:Artist"] = "A";
    c.songs->record()["SNG:Title"] = "Two";
    ASSERT_EQ(c.songs->fetch(c.songs->def().keyIndex("SNG:SongsByArtist")), 0);
    ASSERT_EQ(c.songs->remove(), 0);
    EXPECT_EQ(c.songs->records(), 2);

    // Another program writing the file keeps it too.
    c.songs->close();
    const std::string file = c.songs->filePath();
    EXPECT_EQ(sqliteTool(file,
                  "DELETE FROM Songs; INSERT INTO Songs (Title) VALUES ('x'), ('y'); "
                  "SELECT n FROM qv_count;"),
        "2\n");

    // A file made before the count was kept learns it when opened for writing.
    EXPECT_EQ(sqliteTool(file,
                  "DROP TABLE qv_count; DROP TRIGGER qv_count_insert; DROP TRIGGER qv_count_delete; "
                  "INSERT INTO Songs (Title) VALUES ('z');"),
        "");
    ASSERT_EQ(c.songs->open(), 0) << lastError().text;
    EXPECT_EQ(c.songs->records(), 3);
    ASSERT_EQ(c.addSong("B", "Five"), 0);
    EXPECT_EQ(c.songs->records(), 4);
    EXPECT_EQ(sqliteTool(file, "SELECT n FROM qv_count;"), "4\n");
}

TEST(KeyedTable, AutoNumbersWithinTheGroupOfPrecedingComponents)
{
    Collection c;
    struct Case {
        int album, side, track;
    } cases[] = {{7, 2, 1}, {7, 2, 2}, {7, 1, 1}, {8, 2, 1}, {7, 2, 3}, {7, 1, 2}};
    int id = 0;
    for (const auto& k : cases) {
        ASSERT_EQ(c.addSong("A", "T", k.album, k.side), 0);
        EXPECT_EQ(c.songs->record()["SNG:TrackNumber"].toInt(), k.track) << k.album << "/" << k.side;
        EXPECT_EQ(c.songs->record()["SNG:ID"].toInt(), ++id);
    }
    // A given number is kept; the next one continues above it.
    Record& r = c.songs->record();
    r.clear();
    r["SNG:AlbumID"] = 7;
    r["SNG:Side"] = 2;
    r["SNG:TrackNumber"] = 10;
    r["SNG:ID"] = 100;
    ASSERT_EQ(c.songs->insert(), 0);
    ASSERT_EQ(c.addSong("A", "T", 7, 2), 0);
    EXPECT_EQ(r["SNG:TrackNumber"].toInt(), 11);
    EXPECT_EQ(r["SNG:ID"].toInt(), 101);

    // A byte cannot number past 255: refused, not wrapped to a used number.
    r.clear();
    r["SNG:AlbumID"] = 9;
    r["SNG:TrackNumber"] = 255;
    ASSERT_EQ(c.songs->insert(), 0);
    EXPECT_EQ(c.addSong("A", "T", 9, 0), DuplicateKey);
}

TEST(KeyedTable, UniqueKeyLeavesOutBlankRecords)
{
    Collection c;
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(i)), 0);
    ASSERT_EQ(c.addAlbum("Artist", "With disc", "ABC123"), 0);
    EXPECT_EQ(c.addAlbum("Artist", "Other", "abc123  "), DuplicateKey);
    EXPECT_EQ(lastError().key, "CD Serial Number");

    const int cdKey = c.albums->def().keyIndex("ALB:KEYCDIDENTIFIER");
    EXPECT_EQ(c.albums->records(), 21);
    EXPECT_EQ(c.albums->records(cdKey), 1);
    c.albums->setOrder(cdKey);
    ASSERT_EQ(c.albums->next(), 0);
    EXPECT_EQ(c.albums->record().getText(2), "With disc");
    EXPECT_EQ(c.albums->next(), RecordNotAvailable);
    // A blank value is not in the key, so fetching it finds nothing.
    c.albums->record()["CDIdentifier"] = "";
    EXPECT_EQ(c.albums->fetch(cdKey), RecordNotFound);
    EXPECT_EQ(fetchLevel(c.albums->fetch(cdKey)), 5);
}

TEST(KeyedTable, TextKeysIgnoreCaseAndTrailingBlanks)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("Beatles", "Help"), 0);
    EXPECT_EQ(c.addAlbum("beatles", "HELP"), DuplicateKey);
    EXPECT_EQ(lastError().key, "Album");
    EXPECT_EQ(c.addAlbum("Émile", "Été"), 0);
    EXPECT_EQ(c.addAlbum("ÉMILE", "ÉTÉ"), DuplicateKey);
    EXPECT_EQ(c.addAlbum("Beatles", "Help!"), 0);

    const int byAlbum = c.albums->def().keyIndex("ALB:KEYALBUM");
    c.albums->record().clear();
    c.albums->record()["Album"] = "HELP";
    c.albums->record()["Artist"] = "BEATLES";
    ASSERT_EQ(c.albums->fetch(byAlbum), 0);
    EXPECT_EQ(c.albums->record().getText(1), "Beatles"); // stored as written
    EXPECT_EQ(c.albums->record().getText(2), "Help");
}

TEST(KeyedTable, ReadsInKeyOrderBothWaysFromAnyValue)
{
    Collection c;
    for (const char* t : {"delta", "Alpha", "charlie", "Bravo", "echo"})
        ASSERT_EQ(c.addSong("X", t), 0);
    ASSERT_EQ(c.addSong("X", "bravo"), 0); // duplicates keep insertion order
    const int byArtist = c.songs->def().keyIndex("SNG:SongsByArtist");
    auto titles = [&](bool forward) {
        std::string s;
        while ((forward ? c.songs->next() : c.songs->previous()) == 0)
            s += c.songs->record().getText(1) + ",";
        return s;
    };
    c.songs->setOrder(byArtist);
    EXPECT_EQ(titles(true), "Alpha,Bravo,bravo,charlie,delta,echo,");
    c.songs->setOrder(byArtist);
    EXPECT_EQ(titles(false), "echo,delta,charlie,bravo,Bravo,Alpha,");

    Record& r = c.songs->record();
    r["Artist"] = "x";
    r["Title"] = "C";
    c.songs->setAt(byArtist);
    EXPECT_EQ(titles(true), "charlie,delta,echo,");
    r["Title"] = "charlie";
    c.songs->setAt(byArtist);
    EXPECT_EQ(titles(false), "charlie,bravo,Bravo,Alpha,");

    // Turning round mid-way continues from the record last read.
    c.songs->setOrder(byArtist);
    c.songs->next();
    c.songs->next();
    c.songs->next();
    ASSERT_EQ(c.songs->previous(), 0);
    EXPECT_EQ(r.getText(1), "Bravo");

    ASSERT_EQ(c.songs->last(), 0);
    EXPECT_EQ(r.getText(1), "bravo");
    EXPECT_EQ(c.songs->records(byArtist), 6); // this key keeps blank records too
}

TEST(KeyedTable, UpdateAndDeleteAndTheirErrors)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "One", "CD1"), 0);
    ASSERT_EQ(c.addAlbum("A", "Two"), 0);
    Record& r = c.albums->record();
    const int byId = 0;
    r["AlbumID"] = 2;
    ASSERT_EQ(c.albums->fetch(byId), 0);
    r["CDIdentifier"] = "cd1";
    EXPECT_EQ(c.albums->update(), DuplicateKey);
    EXPECT_EQ(lastError().key, "CD Serial Number");
    r["CDIdentifier"] = "CD2";
    r["Value"] = *expr::Decimal::parse("12.50");
    r.setMemo(0, "notes");
    ASSERT_EQ(c.albums->update(), 0);
    ASSERT_EQ(c.albums->update(), 0); // the buffer follows its own writes

    r.clear();
    r["AlbumID"] = 2;
    ASSERT_EQ(c.albums->fetch(byId), 0);
    EXPECT_EQ(r["Value"].toString(), "12.50");
    EXPECT_EQ(r.memo(0), "notes");
    ASSERT_EQ(c.albums->remove(), 0);
    EXPECT_EQ(c.albums->remove(), RecordNotAvailable);
    EXPECT_EQ(c.albums->fetch(byId), RecordNotFound);
    EXPECT_EQ(c.albums->records(), 1);

    c.albums->close();
    EXPECT_EQ(c.albums->next(), FileNotOpen);
    EXPECT_EQ(fetchLevel(c.albums->fetch(byId)), 3);
}

TEST(KeyedTable, OpenCountsAndAccess)
{
    Collection c;
    EXPECT_EQ(c.albums->open(), AlreadyOpen);
    EXPECT_EQ(c.albums->openCount(), 2);
    EXPECT_EQ(c.albums->close(), 0);
    EXPECT_TRUE(c.albums->isOpen());
    EXPECT_EQ(c.albums->close(), 0);
    EXPECT_FALSE(c.albums->isOpen());
    EXPECT_EQ(c.albums->close(), FileNotOpen);

    ASSERT_EQ(c.albums->open(ReadOnly | DenyNone), 0);
    EXPECT_EQ(c.addAlbum("A", "B"), AccessDenied);
    EXPECT_EQ(c.albums->sendOption("QUICKSCAN"), 0);
    EXPECT_EQ(c.albums->sendOption("Recover=10"), 0);

    // Another table object on the same file, opened to write while the
    // first still reads: its writes go through.
    Table writer(albumsDef());
    writer.setFileName(c.albums->filePath());
    writer.setGroup(c.group.get());
    ASSERT_EQ(writer.open(), 0) << lastError().text;
    writer.record().clear();
    writer.record()["ALB:Artist"] = "Writer";
    EXPECT_EQ(writer.insert(), 0) << lastError().text;
    EXPECT_EQ(c.addAlbum("A", "C"), AccessDenied) << "the reader still only reads";
}

TEST(KeyedTable, FileNameSetAtRunTime)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("Here", "Local"), 0);
    TempFolder other;
    Table elsewhere(albumsDef());
    elsewhere.setFileName(other.file("qvlalbum"));
    EXPECT_EQ(elsewhere.open(), FileNotFound);
    ASSERT_EQ(elsewhere.create(), 0);
    ASSERT_EQ(elsewhere.open(), 0);
    EXPECT_TRUE(std::filesystem::exists(other.file("qvlalbum.tps")));
    EXPECT_EQ(elsewhere.records(), 0);
    elsewhere.close();
    elsewhere.setFileName(c.albums->filePath());
    ASSERT_EQ(elsewhere.open(), 0);
    EXPECT_EQ(elsewhere.records(), 1);
}

} // namespace
} // namespace qv::tables::testing
