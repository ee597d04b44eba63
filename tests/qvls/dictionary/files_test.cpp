// The declarations at work: the table files they create in a collection folder, as
// another SQLite reader sees them, and the keys' rules on real records.

#include "qvls/dictionary/tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace qv::tables;
namespace schema = qv::qvls::schema;
namespace dictionary = qv::qvls::dictionary;

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the sqlite3 tool on a file; one output line per row, columns split at '|'.
std::vector<std::vector<std::string>> sqliteTool(const std::string& file, const std::string& sql)
{
    std::string cmd = "sqlite3 -batch -noheader -separator '|' '" + file + "' \"" + sql + "\" 2>&1";
    std::FILE* p = popen(cmd.c_str(), "r");
    std::vector<std::vector<std::string>> rows;
    if (!p)
        return rows;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, p)) {
        std::string line(buf);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        std::vector<std::string> cols;
        std::stringstream ss(line);
        std::string col;
        while (std::getline(ss, col, '|'))
            cols.push_back(col);
        if (!line.empty() && line.back() == '|')
            cols.push_back("");
        rows.push_back(cols);
    }
    pclose(p);
    return rows;
}

// An empty collection folder as the current folder, the way the program works in one.
class CollectionFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("qvdict-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir_ / "other");
        previous_ = fs::current_path();
        fs::current_path(dir_);
        dictionary::ImportSongsFileName = "other/qvldata";
        dictionary::ImportAlbumsFileName = "other/qvlalbum";
        dictionary::InputFileName = "tracks.txt";
        dictionary::DOSFileName = "project.cl5";
    }

    void TearDown() override
    {
        for (Table* t : dictionary::allTables()) {
            while (t->isOpen())
                t->close();
            t->record().clear();
        }
        dictionary::ImportSongsFileName.clear();
        dictionary::ImportAlbumsFileName.clear();
        dictionary::InputFileName.clear();
        dictionary::DOSFileName.clear();
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    static std::vector<Table*> keyedTables()
    {
        std::vector<Table*> out;
        for (Table* t : dictionary::allTables())
            if (t->def().driver == DriverKind::Keyed)
                out.push_back(t);
        return out;
    }

    static void createAll()
    {
        for (Table* t : keyedTables()) {
            dictionary::applyRunTimeName(*t);
            ASSERT_EQ(t->create(), 0) << t->def().label << ": " << lastError().text;
        }
    }

    fs::path dir_;
    fs::path previous_;
};

TEST_F(CollectionFolder, EveryKeyedTableIsCreatedUnderItsOwnFileName)
{
    createAll();
    std::set<std::string> here, other;
    for (const auto& e : fs::directory_iterator(dir_))
        if (e.is_regular_file())
            here.insert(e.path().filename().string());
    for (const auto& e : fs::directory_iterator(dir_ / "other"))
        other.insert(e.path().filename().string());
    EXPECT_EQ(here,
        (std::set<std::string>{"qvldata.tps", "QVL_ADT.tps", "QVL_SDT.tps", "QVLCAT.tps", "qvlalbum.tps",
            "qvllabel.tps", "qvlfont.tps", "QVLAdWiz.tps", "qvlplist.tps", "qvlpldet.tps", "qvlmedia.tps",
            "QVLConf.tps", "QVLARTST.tps", "QVL_MFL.TPS", "QVLTIPS.tps", "TAGSET_.tps", "TAGFILE_.tps", "TAGFILEP.tps",
            "QVL_MPAL.TPS"}));
    EXPECT_EQ(other, (std::set<std::string>{"qvldata.tps", "qvlalbum.tps"}));

    // And the driver takes each file back as its table.
    for (Table* t : keyedTables()) {
        EXPECT_EQ(t->open(), 0) << t->def().label << ": " << lastError().text;
        EXPECT_EQ(t->close(), 0);
    }
}

TEST_F(CollectionFolder, SqliteToolSeesEachFileHoldingItsOneTableWithItsColumnsAndIndexes)
{
    createAll();
    for (Table* t : keyedTables()) {
        const TableDef& d = t->def();
        SCOPED_TRACE(d.label);
        const std::string q = "'" + d.storedName() + "'";
        auto rows = sqliteTool(t->filePath(),
            "SELECT 'table', name FROM sqlite_master WHERE type = 'table';"
            "SELECT 'column', name FROM pragma_table_info("
                + q
                + ");"
                  "SELECT 'index', il.name, il.[unique], m.sql LIKE '% WHERE %',"
                  "  (SELECT group_concat(name, ',') FROM (SELECT name FROM pragma_index_info(il.name) ORDER BY seqno))"
                  "  FROM pragma_index_list("
                + q
                + ") il JOIN sqlite_master m ON m.name = il.name;"
                  "SELECT 'version', user_version FROM pragma_user_version;"
                  "SELECT 'check', integrity_check FROM pragma_integrity_check;");

        std::set<std::string> tables, columns;
        std::map<std::string, std::vector<std::string>> indexes; // upper-cased name -> unique, partial, columns
        std::string version, check;
        for (const auto& r : rows) {
            ASSERT_FALSE(r.empty());
            if (r[0] == "table")
                tables.insert(r.at(1));
            else if (r[0] == "column")
                columns.insert(upper(r.at(1)));
            else if (r[0] == "index")
                indexes[upper(r.at(1))] = {r.at(2), r.at(3), upper(r.at(4))};
            else if (r[0] == "version")
                version = r.at(1);
            else if (r[0] == "check")
                check = r.at(1);
            else
                ADD_FAILURE() << "sqlite3: " << r[0];
        }

        std::set<std::string> expectedTables{d.storedName(), "qv_count"}; // and the count it keeps
        if (!d.ownerPassword.empty())
            expectedTables.insert("qv_owner"); // the password's salt and check
        EXPECT_EQ(tables, expectedTables);

        std::set<std::string> declared;
        for (const auto& f : d.fields)
            declared.insert(upper(bareName(f.name)));
        for (const auto& m : d.memos)
            declared.insert(upper(bareName(m.name)));
        for (const auto& name : declared)
            EXPECT_TRUE(columns.count(name)) << "column " << name;
        for (const auto& c : columns)
            if (!declared.count(c)) {
                EXPECT_EQ(c[0], '_') << "undeclared column " << c;
            }

        ASSERT_EQ(indexes.size(), d.keys.size());
        for (const auto& k : d.keys) {
            SCOPED_TRACE(k.name);
            auto it = indexes.find(upper(bareName(k.name)));
            ASSERT_NE(it, indexes.end());
            EXPECT_EQ(it->second[0], k.unique ? "1" : "0");
            EXPECT_EQ(it->second[1], k.excludeEmpty ? "1" : "0");
            // Text components are indexed by their folded copies.
            std::string expected;
            for (const auto& c : k.components) {
                const FieldDef& f = d.fields[d.fieldIndex(c)];
                bool folded = f.type == FieldType::String || !d.ownerPassword.empty();
                expected
                    += (expected.empty() ? "" : ",") + upper((folded ? "_k_" : "") + std::string(bareName(f.name)));
            }
            EXPECT_EQ(it->second[2], expected);
        }
        EXPECT_EQ(version, std::to_string(std::max(d.version, 0)));
        EXPECT_EQ(check, "ok");
    }
}

TEST_F(CollectionFolder, ConfigurationCannotBeReadWithoutItsOwnerPassword)
{
    createAll();
    Table& conf = dictionary::Configuration();
    ASSERT_EQ(conf.open(), 0) << lastError().text;
    conf.record().clear();
    conf.record()["CF:DATATYPE"] = "RegisteredOwner";
    conf.record()["CF:DATAVALUE"] = "Margot Villeneuve";
    ASSERT_EQ(conf.insert(), 0) << lastError().text;
    ASSERT_EQ(conf.close(), 0);

    std::string bytes = readBytes(conf.filePath());
    EXPECT_EQ(bytes.find("RegisteredOwner"), std::string::npos);
    EXPECT_EQ(bytes.find("Margot"), std::string::npos);
    std::string dump;
    for (const auto& row : sqliteTool(conf.filePath(), ".dump"))
        for (const auto& c : row)
            dump += c + "|";
    EXPECT_NE(dump.find("CREATE TABLE"), std::string::npos);
    EXPECT_EQ(dump.find("Margot"), std::string::npos);

    for (const char* wrong : {"", "q#7mZ", "wrong"}) {
        Table other(schema::Configuration());
        other.setFileName(conf.filePath());
        other.setPassword(wrong);
        EXPECT_EQ(other.open(), InvalidFile) << '"' << wrong << '"';
    }

    ASSERT_EQ(conf.open(), 0);
    conf.record().clear();
    ASSERT_EQ(conf.next(), 0) << lastError().text;
    EXPECT_EQ(conf.record().getText(1), "Margot Villeneuve");
    EXPECT_EQ(conf.close(), 0);
}

TEST_F(CollectionFolder, KeysRefuseDuplicatesAndLeaveOutBlankDiscIdentities)
{
    createAll();
    Table& albums = dictionary::Album();
    ASSERT_EQ(albums.open(), 0);
    Record& a = albums.record();
    auto add = [&](const char* artist, const char* title, const char* cd, int id = 0) {
        a.clear();
        a["ALB:AlbumID"] = id;
        a["ALB:Artist"] = artist;
        a["ALB:Album"] = title;
        a["ALB:CDIdentifier"] = cd;
        return albums.insert();
    };
    EXPECT_EQ(add("Abba", "Arrival", ""), 0);
    EXPECT_EQ(add("Abba", "Waterloo", ""), 0);
    EXPECT_EQ(add("Abba", "Voulez-Vous", "7a0b5c09"), 0);
    EXPECT_EQ(add("Abba", "Super Trouper", "7a0b5c09"), DuplicateKey);
    EXPECT_EQ(lastError().key, "CD Serial Number");
    EXPECT_EQ(add("ABBA", "arrival  ", "x"), DuplicateKey); // case and trailing blanks aside
    EXPECT_EQ(lastError().key, "Album");
    EXPECT_EQ(albums.records(), 3);
    // A new album gets one above the highest id stored.
    EXPECT_EQ(add("Abba", "Gold", "", 40), 0);
    EXPECT_EQ(add("Abba", "More Gold", ""), 0);
    EXPECT_EQ(a["ALB:AlbumID"].toInt(), 41);
    EXPECT_EQ(albums.records(albums.def().keyIndex("ALB:KEYCDIDENTIFIER")), 1);

    Table& songs = dictionary::Quorvel();
    ASSERT_EQ(songs.open(), 0);
    Record& s = songs.record();
    auto song = [&](int album, int side, const char* title) {
        s.clear();
        s["SNG:AlbumID"] = album;
        s["SNG:Side"] = side;
        s["SNG:Artist"] = "Abba";
        s["SNG:Title"] = title;
        EXPECT_EQ(songs.insert(), 0) << lastError().text;
        return s["SNG:TrackNumber"].toInt();
    };
    EXPECT_EQ(song(7, 2, "One"), 1);
    EXPECT_EQ(song(7, 2, "Two"), 2);
    EXPECT_EQ(song(7, 1, "Other side"), 1);
    EXPECT_EQ(song(8, 2, "Other album"), 1);
    EXPECT_EQ(song(7, 2, "Two"), 3); // same artist, title and mix again
    EXPECT_EQ(s["SNG:ID"].toInt(), 5);

    // A blank song still stands in the list by artist, but not in the order by mix.
    s.clear();
    ASSERT_EQ(songs.insert(), 0);
    const TableDef& d = songs.def();
    EXPECT_EQ(songs.records(d.keyIndex("SNG:SongsByArtist")), 6);
    EXPECT_EQ(songs.records(d.keyIndex("SNG:KEYMIX")), 5);
}

TEST_F(CollectionFolder, RunTimeNamesAreTakenWhenTheTableIsOpened)
{
    EXPECT_EQ(dictionary::runTimeName(dictionary::Album()), nullptr);
    EXPECT_EQ(dictionary::runTimeName(dictionary::ImportSongs()), &dictionary::ImportSongsFileName);
    EXPECT_EQ(dictionary::runTimeName(dictionary::DOSFile()), &dictionary::DOSFileName);

    dictionary::applyRunTimeName(dictionary::Album());
    EXPECT_EQ(dictionary::Album().filePath(), "qvlalbum.tps");

    Table& imported = dictionary::ImportAlbums();
    dictionary::applyRunTimeName(imported);
    EXPECT_EQ(imported.filePath(), "other/qvlalbum.tps");
    dictionary::ImportAlbumsFileName = (dir_ / "third" / "qvlalbum").string();
    EXPECT_EQ(imported.filePath(), "other/qvlalbum.tps"); // until the next open
    dictionary::applyRunTimeName(imported);
    EXPECT_EQ(imported.filePath(), (dir_ / "third" / "qvlalbum.tps").string());

    // Text and binary files keep the name exactly as given.
    Table& input = dictionary::Input();
    dictionary::applyRunTimeName(input);
    EXPECT_EQ(input.filePath(), "tracks.txt");
    std::ofstream("tracks.txt") << "01 Dancing Queen\n02 Money, Money, Money\n";
    ASSERT_EQ(input.open(), 0) << lastError().text;
    ASSERT_EQ(input.next(), 0);
    EXPECT_EQ(input.record().getText(0), "01 Dancing Queen");
    EXPECT_EQ(input.close(), 0);
}

TEST_F(CollectionFolder, ImportTablesReadAnotherCollectionsOwnFiles)
{
    // Another collection, written by its own songs and albums tables.
    for (auto def : {schema::Quorvel(), schema::Album()}) {
        Table own(def);
        own.setFileName(def.label == "Album" ? "other/qvlalbum" : "other/qvldata");
        ASSERT_EQ(own.create(), 0) << lastError().text;
        ASSERT_EQ(own.open(), 0) << lastError().text;
        own.record().clear();
        own.record()[def.label == "Album" ? "ALB:Artist" : "SNG:Artist"] = "Blondie";
        ASSERT_EQ(own.insert(), 0) << lastError().text;
        ASSERT_EQ(own.close(), 0);
    }
    for (Table* imported : {&dictionary::ImportSongs(), &dictionary::ImportAlbums()}) {
        SCOPED_TRACE(imported->def().label);
        dictionary::applyRunTimeName(*imported);
        ASSERT_EQ(imported->open(), 0) << lastError().text;
        imported->setOrder(-1);
        ASSERT_EQ(imported->next(), 0);
        EXPECT_EQ(imported->record()[imported->def().prefix + ":ARTIST"].toString().substr(0, 7), "Blondie");
        EXPECT_EQ(imported->close(), 0);
    }
}

TEST_F(CollectionFolder, EventLogLinesHoldTheFourFieldsAtTheirWidths)
{
    Table& log = dictionary::EventLog();
    ASSERT_EQ(log.create(), 0);
    ASSERT_EQ(log.open(), 0);
    Record& r = log.record();
    r.clear();
    r["EVL:LOGDATE"] = "2024-05-01";
    r["EVL:LOGTIME"] = "12:30:05";
    r["EVL:LOGLABEL"] = "open cdaudio";
    r["EVL:LOGDATA"] = "1";
    ASSERT_EQ(log.insert(), 0) << lastError().text;
    ASSERT_EQ(log.close(), 0);
    EXPECT_EQ(readBytes("QVLEvent.LOG"), "2024-05-01  12:30:05  open cdaudio                  1\n");
}

} // namespace
