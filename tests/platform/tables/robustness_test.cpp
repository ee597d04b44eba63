#include "fixtures.h"

#include <sqlite3.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qv::tables::testing {
namespace {

std::string journalMode(const std::string& path)
{
    sqlite3* db;
    sqlite3_open(path.c_str(), &db);
    std::string mode;
    sqlite3_exec(
        db, "PRAGMA journal_mode",
        [](void* o, int, char** v, char**) {
            *static_cast<std::string*>(o) = v[0];
            return 0;
        },
        &mode, nullptr);
    sqlite3_close(db);
    return mode;
}

TEST(Transactions, RolledBackCascadeLeavesEveryFileAsItWas)
{
    Collection c;
    ASSERT_EQ(c.group->begin(), 0);
    for (int a = 0; a < 20; ++a) {
        ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(a)), 0);
        for (int t = 0; t < 10; ++t)
            ASSERT_EQ(c.addSong("Artist", "Song", a + 1, 1), 0);
    }
    ASSERT_EQ(c.group->commit(), 0);
    std::string songsBefore = readFile(c.songs->filePath());
    std::string albumsBefore = readFile(c.albums->filePath());

    ASSERT_EQ(c.group->begin(2), 0);
    EXPECT_EQ(c.group->begin(2), TransactionActive);
    // A cascade: delete every album and its songs, rename the rest, add some.
    c.albums->setOrder(0);
    while (c.albums->next() == 0)
        ASSERT_EQ(c.albums->remove(), 0);
    c.songs->setOrder(0);
    while (c.songs->next() == 0) {
        c.songs->record()["Title"] = "changed";
        ASSERT_EQ(c.songs->update(), 0);
    }
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(c.addSong("New", "Song", 99 + i / 100, 1), 0);
    EXPECT_EQ(c.albums->records(), 0);
    ASSERT_EQ(c.group->rollback(), 0);
    EXPECT_EQ(c.group->rollback(), NoTransaction);

    EXPECT_EQ(readFile(c.songs->filePath()), songsBefore);
    EXPECT_EQ(readFile(c.albums->filePath()), albumsBefore);
    EXPECT_EQ(c.songs->records(), 200);
    EXPECT_EQ(c.albums->records(), 20);

    // A committed one is kept, in both files.
    ASSERT_EQ(c.group->begin(), 0);
    c.albums->record()["AlbumID"] = 1;
    ASSERT_EQ(c.albums->fetch(0), 0);
    ASSERT_EQ(c.albums->remove(), 0);
    ASSERT_EQ(c.addSong("In", "Transaction", 1, 1), 0);
    ASSERT_EQ(c.group->commit(), 0);
    c.reopen();
    EXPECT_EQ(c.albums->records(), 19);
    EXPECT_EQ(c.songs->records(), 201);
}

// Two programs started at once in an empty folder, each creating the missing tables and
// adding a record to each.
std::vector<std::string> superJournals(const TempFolder& dir)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().find("-mj") != std::string::npos)
            out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

sqlite3_syscall_ptr g_unlink = nullptr;

// The commit point of a commit across files is the deletion of its super-journal: a
// program ended just there leaves every file written and a journal naming it.
int endAtTheCommitPoint(const char* path)
{
    if (std::strstr(path, "-mj"))
        _exit(7);
    return reinterpret_cast<int (*)(const char*)>(g_unlink)(path);
}

TEST(Transactions, AStaleSuperJournalGoesAndANeededOneStays)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("Artist", "Kept"), 0);
    ASSERT_EQ(c.addSong("Artist", "Kept", 1, 1), 0);
    c.songs.reset();
    c.albums.reset();
    c.group.reset();
    const pid_t child = spawn([&] {
        sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
        g_unlink = vfs->xGetSystemCall(vfs, "unlink");
        vfs->xSetSystemCall(vfs, "unlink", reinterpret_cast<sqlite3_syscall_ptr>(&endAtTheCommitPoint));
        c.reopen();
        if (c.group->begin() || c.addAlbum("Artist", "Lost") || c.addSong("Artist", "Lost", 2, 1))
            return 2;
        c.group->commit();
        return 3;
    });
    ASSERT_EQ(waitExit(child), 7);
    const std::vector<std::string> needed = superJournals(c.dir);
    ASSERT_EQ(needed.size(), 1u);
    // One left by a program ended before any journal named it.
    const std::string stale = ".qvgroup-mj0A1B2C9D3";
    writeFile(c.dir.file(stale), c.dir.file("albums.tps-journal") + '\0' + c.dir.file("songs.tps-journal") + '\0');

    Group g(c.dir.file(".qvgroup"));
    ASSERT_EQ(g.ensureOpen(), 0);
    EXPECT_EQ(superJournals(c.dir), needed);
    // Reading the files rolls the unfinished commit back through it, in both files,
    // and SQLite removes it.
    c.reopen();
    EXPECT_EQ(c.albums->records(), 1);
    EXPECT_EQ(c.songs->records(), 1);
    EXPECT_TRUE(superJournals(c.dir).empty());
    EXPECT_EQ(integrity(c.albums->filePath()), "ok");
    EXPECT_EQ(integrity(c.songs->filePath()), "ok");
}

TEST(Create, TwoProgramsCreatingTheSameTablesShareTheFirstOnesFiles)
{
    constexpr int kTables = 6;
    for (int round = 0; round < 6; ++round) {
        TempFolder dir;
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        auto program = [&] {
            char ch;
            if (read(go[0], &ch, 1) != 1)
                return 2;
            Group g(dir.file(".qvgroup"));
            for (int i = 0; i < kTables; ++i) {
                Table t(albumsDef());
                t.setFileName(dir.file("table" + std::to_string(i)));
                t.setGroup(&g);
                int r = t.open();
                if (r == FileNotFound) {
                    if (t.create() != 0)
                        return 10 + i;
                    r = t.open();
                }
                if (r != 0)
                    return 20 + i;
                t.record()["ALB:Album"] = "From " + std::to_string(getpid());
                if (t.insert() != 0)
                    return 30 + i;
            }
            return 0;
        };
        const pid_t a = spawn(program), b = spawn(program);
        close(go[0]);
        ASSERT_EQ(write(go[1], "ab", 2), 2);
        close(go[1]);
        EXPECT_EQ(waitExit(a), 0) << "round " << round;
        EXPECT_EQ(waitExit(b), 0) << "round " << round;

        std::vector<std::string> left;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        std::vector<std::string> want{".qvgroup"};
        for (int i = 0; i < kTables; ++i)
            want.push_back("table" + std::to_string(i) + ".tps");
        EXPECT_EQ(left, want) << "round " << round;
        for (int i = 0; i < kTables; ++i) {
            const std::string file = dir.file("table" + std::to_string(i) + ".tps");
            EXPECT_EQ(integrity(file), "ok");
            // Both programs wrote into the one file: neither replaced the other's.
            Group g(dir.file(".qvcheck"));
            Table t(albumsDef());
            t.setFileName(file);
            t.setGroup(&g);
            ASSERT_EQ(t.open(), 0);
            EXPECT_EQ(t.records(), 2) << file;
        }
    }
}

TEST(Watch, AChangeByAnotherProcessIsRefused)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "Original"), 0);
    c.albums->record()["AlbumID"] = 1;
    ASSERT_EQ(c.albums->fetch(0), 0);

    std::string path = c.albums->filePath();
    std::string groupFile = c.dir.file(".qvgroup2");
    pid_t child = spawn([&] {
        Group g(groupFile);
        Table t(albumsDef());
        t.setFileName(path);
        t.setGroup(&g);
        if (t.open())
            return 2;
        t.record()["AlbumID"] = 1;
        if (t.fetch(0))
            return 3;
        t.record()["Album"] = "Theirs";
        return t.update() ? 4 : 0;
    });
    ASSERT_EQ(waitExit(child), 0);

    c.albums->record()["Album"] = "Mine";
    EXPECT_EQ(c.albums->update(), ChangedByOther);
    EXPECT_EQ(c.albums->remove(), ChangedByOther);
    // Re-getting shows their change; then ours goes through.
    ASSERT_EQ(c.albums->reget(), 0);
    EXPECT_EQ(c.albums->record().getText(2), "Theirs");
    c.albums->record()["Album"] = "Mine";
    EXPECT_EQ(c.albums->update(), 0);
}

TEST(Watch, AChangeThroughAnotherBufferIsRefused)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "Original"), 0);
    Table second(albumsDef());
    second.setFileName(c.albums->filePath());
    second.setGroup(c.group.get());
    ASSERT_EQ(second.open(), 0);
    second.record()["AlbumID"] = 1;
    ASSERT_EQ(second.fetch(0), 0);
    c.albums->record()["AlbumID"] = 1;
    ASSERT_EQ(c.albums->fetch(0), 0);
    second.record()["Album"] = "Second";
    ASSERT_EQ(second.update(), 0);
    c.albums->record()["Album"] = "First";
    EXPECT_EQ(c.albums->update(), ChangedByOther);
    EXPECT_EQ(lastError().text, "Record Changed By Another Station");
}

// Each fixture damages the albums file of a closed collection in its own way.
TEST(BadFiles, EachGivesItsNumberedError)
{
    struct Case {
        const char* what;
        void (*damage)(const std::string& path, Collection& c);
        int expected;
    } cases[] = {
        {"missing", [](const std::string& p, Collection&) { std::filesystem::remove(p); }, FileNotFound},
        {"not a table", [](const std::string& p, Collection&) { writeFile(p, std::string(5000, 'g')); }, InvalidFile},
        {"empty", [](const std::string& p, Collection&) { writeFile(p, ""); }, InvalidFile},
        {"truncated",
            [](const std::string& p, Collection&) {
                std::string b = readFile(p);
                writeFile(p, b.substr(0, b.size() / 2));
            },
            InvalidFile},
        {"garbage header",
            [](const std::string& p, Collection&) {
                std::string b = readFile(p);
                for (size_t i = 20; i < 100; ++i)
                    b[i] = static_cast<char>(i * 37);
                writeFile(p, b);
            },
            InvalidFile},
        {"another table",
            [](const std::string& p, Collection& c) {
                std::filesystem::copy_file(c.songs->filePath(), p, std::filesystem::copy_options::overwrite_existing);
            },
            InvalidFile},
        {"another version",
            [](const std::string& p, Collection&) {
                sqlite3* db;
                sqlite3_open(p.c_str(), &db);
                sqlite3_exec(db, "PRAGMA user_version=4", nullptr, nullptr, nullptr);
                sqlite3_close(db);
            },
            InvalidFile},
        {"key dropped",
            [](const std::string& p, Collection&) {
                sqlite3* db;
                sqlite3_open(p.c_str(), &db);
                sqlite3_exec(db, "DROP INDEX KEYALBUM", nullptr, nullptr, nullptr);
                sqlite3_close(db);
            },
            BadKeys},
    };
    for (const auto& k : cases) {
        Collection c;
        ASSERT_EQ(c.group->begin(), 0);
        for (int i = 0; i < 300; ++i)
            ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(i)), 0);
        ASSERT_EQ(c.group->commit(), 0);
        // Found sound once more just before the damage: what was found then is not trusted after it.
        c.albums->close();
        ASSERT_EQ(c.albums->open(), 0);
        c.albums->close();
        c.songs->close();
        k.damage(c.albums->filePath(), c);
        EXPECT_EQ(c.albums->open(), k.expected) << k.what;
        EXPECT_EQ(lastError().code, k.expected) << k.what;
        EXPECT_FALSE(c.albums->isOpen());
        EXPECT_EQ(c.albums->next(), FileNotOpen);
        // The other table of the group is untouched and still opens.
        EXPECT_EQ(c.songs->open(), 0) << k.what;
    }
}

TEST(BadFiles, AFileSwitchedToWalGoesBackToTheRollbackJournal)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "B"), 0);
    c.albums->close();
    {
        sqlite3* db;
        sqlite3_open(c.albums->filePath().c_str(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    ASSERT_EQ(journalMode(c.albums->filePath()), "wal");
    ASSERT_EQ(c.albums->open(), 0);
    EXPECT_EQ(c.albums->records(), 1);
    c.albums->close();
    EXPECT_EQ(journalMode(c.albums->filePath()), "delete");
}

// A table file that is a link to a drive that is not mounted.
TEST(BadFiles, ALinkToAMissingFileIsNeverReplaced)
{
    TempFolder dir;
    const std::string target = dir.file("unmounted/albums.tps");
    std::filesystem::create_symlink(target, dir.file("albums.tps"));
    Group g(dir.file(".qvgroup"));
    Table t(albumsDef());
    t.setFileName(dir.file("albums"));
    t.setGroup(&g);
    EXPECT_EQ(t.open(), FileSystemError);
    EXPECT_EQ(lastError().osCode, ENOENT);
    EXPECT_EQ(t.create(), FileSystemError);
    EXPECT_EQ(lastError().osCode, ENOENT);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("albums.tps")));
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("albums.tps")), target);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(BadFiles, KeysAreRebuiltInTheFileALinkNames)
{
    Collection c;
    ASSERT_EQ(c.group->begin(), 0);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(i)), 0);
    ASSERT_EQ(c.group->commit(), 0);
    c.albums->close();
    // The collection's albums live on another drive; the folder holds a link.
    std::filesystem::create_directory(c.dir.file("drive"));
    const std::string real = c.dir.file("drive/albums.tps");
    std::filesystem::rename(c.albums->filePath(), real);
    std::filesystem::create_symlink(real, c.albums->filePath());
    std::string bytes = readFile(real);
    // A key page overwritten, as in DamagedKeyIsRebuilt.
    sqlite3* db;
    sqlite3_open(real.c_str(), &db);
    sqlite3_stmt* s;
    sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name='KEYALBUM'", -1, &s, nullptr);
    sqlite3_step(s);
    const int root = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &s, nullptr);
    sqlite3_step(s);
    const int pageSize = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    for (int i = 0; i < pageSize; ++i)
        bytes[static_cast<size_t>((root - 1) * pageSize + i)] = static_cast<char>(0xA5 ^ i);
    writeFile(real, bytes);

    ASSERT_EQ(c.albums->rebuildKeys(), 0) << lastError().text;
    EXPECT_TRUE(std::filesystem::is_symlink(c.albums->filePath()));
    EXPECT_EQ(integrity(real), "ok");
    ASSERT_EQ(c.albums->open(), 0);
    EXPECT_EQ(c.albums->records(), 2000);
}

TEST(BadFiles, AFileAnotherProgramHoldsInWalModeIsReadButNotWritten)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "B"), 0);
    c.albums->close();
    const std::string path = c.albums->filePath();
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t other = spawn([&] {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        char ch = sqlite3_exec(db, "PRAGMA journal_mode=WAL; SELECT count(*) FROM Album;", nullptr, nullptr, nullptr)
                == SQLITE_OK
            ? 1
            : 0;
        if (write(ready[1], &ch, 1) != 1 || read(done[0], &ch, 1) != 1)
            return 2;
        sqlite3_close(db);
        return 0;
    });
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);

    ASSERT_EQ(c.albums->open(), 0);
    EXPECT_EQ(c.albums->records(), 1);
    EXPECT_EQ(c.addAlbum("A", "C"), FileLocked);
    EXPECT_EQ(lastError().text, "Another program holds " + path + " in WAL mode");
    // A transaction over the group would take the file in: it is refused as a whole.
    EXPECT_EQ(c.group->begin(), FileLocked);
    EXPECT_NE(lastError().text.find("albums.tps in WAL mode"), std::string::npos) << lastError().text;
    EXPECT_FALSE(c.group->inTransaction());
    // The other file of the group is written as ever.
    EXPECT_EQ(c.addSong("A", "S", 1, 1), 0);

    ASSERT_EQ(write(done[1], "x", 1), 1);
    EXPECT_EQ(waitExit(other), 0);
    EXPECT_EQ(c.addAlbum("A", "C"), 0);
    EXPECT_EQ(c.albums->records(), 2);
    c.albums->close();
    EXPECT_EQ(journalMode(path), "delete");
}

TEST(BadFiles, MissingFolderIsPathNotFound)
{
    Table t(albumsDef());
    t.setFileName("/nonexistent-folder-qv/albums");
    EXPECT_EQ(t.open(), PathNotFound);
    EXPECT_EQ(t.create(), PathNotFound);
}

TEST(BadFiles, DamagedKeyIsRebuilt)
{
    Collection c;
    ASSERT_EQ(c.group->begin(), 0);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(i)), 0);
    ASSERT_EQ(c.group->commit(), 0);
    c.albums->close();
    // Overwrite the pages of one key with garbage, leaving the records whole.
    std::string path = c.albums->filePath();
    int root = 0, pageSize = 0;
    {
        sqlite3* db;
        sqlite3_open(path.c_str(), &db);
        sqlite3_stmt* s;
        sqlite3_prepare_v2(db, "SELECT rootpage FROM sqlite_master WHERE name='KEYALBUM'", -1, &s, nullptr);
        sqlite3_step(s);
        root = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, "PRAGMA page_size", -1, &s, nullptr);
        sqlite3_step(s);
        pageSize = sqlite3_column_int(s, 0);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    std::string bytes = readFile(path);
    for (int i = 0; i < pageSize; ++i)
        bytes[static_cast<size_t>((root - 1) * pageSize + i)] = static_cast<char>(0xA5 ^ i);
    writeFile(path, bytes);

    ASSERT_EQ(c.albums->open(), 0);
    c.albums->setOrder(c.albums->def().keyIndex("ALB:KEYALBUM"));
    int r = 0;
    for (int n = 0; n < 3000 && (r = c.albums->next()) == 0; ++n) { }
    EXPECT_EQ(r, BadKeys);
    c.albums->close();
    ASSERT_EQ(c.albums->rebuildKeys(), 0) << lastError().text;
    EXPECT_EQ(integrity(path), "ok");
    ASSERT_EQ(c.albums->open(), 0);
    EXPECT_EQ(c.albums->records(), 2000);
    c.albums->setOrder(c.albums->def().keyIndex("ALB:KEYALBUM"));
    int n = 0;
    while (c.albums->next() == 0)
        ++n;
    EXPECT_EQ(n, 2000);
}

TEST(BadFiles, DroppedKeyIsRebuilt)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "B", "CD"), 0);
    c.albums->close();
    sqlite3* db;
    sqlite3_open(c.albums->filePath().c_str(), &db);
    sqlite3_exec(db, "DROP INDEX KEYCDIDENTIFIER", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(c.albums->open(), BadKeys);
    ASSERT_EQ(c.albums->rebuildKeys(), 0);
    ASSERT_EQ(c.albums->open(), 0);
    EXPECT_EQ(c.addAlbum("A", "C", "cd"), DuplicateKey);
}

TEST(BadFiles, LockedFileWaitsWithRecover)
{
    Collection c;
    ASSERT_EQ(c.addAlbum("A", "B"), 0);
    c.albums->close();
    std::string path = c.albums->filePath();
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t child = spawn([&] {
        sqlite3* db;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db, "BEGIN EXCLUSIVE; UPDATE Album SET Artist='Z'", nullptr, nullptr, nullptr);
        char ch = 1;
        if (write(ready[1], &ch, 1) != 1)
            return 2;
        if (read(done[0], &ch, 1) != 1)
            return 3;
        usleep(300000);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return 0;
    });
    char ch;
    ASSERT_EQ(read(ready[0], &ch, 1), 1);
    EXPECT_EQ(c.albums->open(), FileLocked);
    EXPECT_FALSE(c.albums->isOpen());
    ASSERT_EQ(write(done[1], &ch, 1), 1);
    // Recovery waits for the holder to let go.
    c.albums->sendOption("Recover=10");
    EXPECT_EQ(c.albums->open(), 0);
    EXPECT_EQ(waitExit(child), 0);
    c.albums->record()["AlbumID"] = 1;
    ASSERT_EQ(c.albums->fetch(0), 0);
    EXPECT_EQ(c.albums->record().getText(1), "A");
}

TEST(BadFiles, FullDiskLosesNothingCommitted)
{
    Collection c;
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(c.addAlbum("Artist", "Album " + std::to_string(i)), 0);
    // Cap the file at its present size plus a little: the disk is then "full".
    std::string alias = c.albums->sqlTable().substr(0, c.albums->sqlTable().find('.'));
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(c.group->db(), ("PRAGMA " + alias + ".page_count").c_str(), -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    int pages = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    ASSERT_EQ(c.group->exec("PRAGMA " + alias + ".max_page_count = " + std::to_string(pages + 2)), 0);
    int r = 0;
    int added = 0;
    for (int i = 0; i < 2000 && (r = c.addAlbum("Artist", std::string(45, 'n') + std::to_string(i))) == 0; ++i)
        ++added;
    EXPECT_EQ(r, FileSystemError);
    EXPECT_EQ(lastError().osCode, ENOSPC);
    EXPECT_FALSE(c.group->inTransaction());
    c.reopen();
    EXPECT_EQ(c.albums->records(), 50 + added);
    EXPECT_EQ(integrity(c.albums->filePath()), "ok");
}

TEST(BadFiles, TooManyFilesInOneGroup)
{
    TempFolder dir;
    Group g(dir.file(".qvgroup"));
    std::vector<std::unique_ptr<Table>> tables;
    for (int i = 0; i < Group::kMaxFiles + 1; ++i) {
        auto t = std::make_unique<Table>(albumsDef());
        t->setFileName(dir.file("t" + std::to_string(i)));
        t->setGroup(&g);
        ASSERT_EQ(t->create(), 0);
        EXPECT_EQ(t->open(), i < Group::kMaxFiles ? 0 : TooManyOpenFiles) << i;
        tables.push_back(std::move(t));
    }
    tables[0]->close();
    EXPECT_EQ(tables.back()->open(), 0);
}

} // namespace
} // namespace qv::tables::testing
