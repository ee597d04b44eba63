#include "fixtures.h"

#include <csignal>
#include <map>
#include <set>

namespace qv::tables::testing {
namespace {

constexpr int kSongsPerAlbum = 20;

std::string title(int round, int n)
{
    return "R" + std::to_string(round) + "-" + std::to_string(n);
}

// The writer: commits one album and its songs per transaction, across the two files of
// its group, and reports each commit that returned, until it is killed.
int write(const TempFolder& dir, int round, int reports)
{
    Group g(dir.file(".qvgroup"));
    Table songs(songsDef()), albums(albumsDef());
    for (Table* t : {&songs, &albums}) {
        t->setFileName(dir.file(t->def().fileName));
        t->setGroup(&g);
        if (t->open())
            return 2;
    }
    for (int n = 0;; ++n) {
        if (g.begin(5))
            return 3;
        albums.record().clear();
        albums.record()["ALB:Artist"] = "Killed";
        albums.record()["ALB:Album"] = title(round, n);
        if (albums.insert())
            return 4;
        for (int i = 0; i < kSongsPerAlbum; ++i) {
            songs.record().clear();
            songs.record()["SNG:AlbumID"] = albums.record()["ALB:AlbumID"].toInt();
            songs.record()["SNG:Title"] = title(round, n) + " " + std::to_string(i) + std::string(30, 'x');
            if (songs.insert())
                return 5;
        }
        if (g.commit())
            return 6;
        if (::write(reports, &n, sizeof n) != sizeof n)
            return 7;
    }
}

// Albums by title, and the number of songs of each album id, read with SQLite alone.
struct OnDisk {
    std::map<std::string, std::int64_t> albums;
    std::map<std::int64_t, int> songs;
};

OnDisk read(const TempFolder& dir)
{
    OnDisk d;
    sqlite3* db = nullptr;
    sqlite3_open_v2(dir.file("albums.tps").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(
        db, "SELECT Album, AlbumID FROM Album",
        [](void* o, int, char** v, char**) {
            static_cast<OnDisk*>(o)->albums[v[0]] = std::stoll(v[1]);
            return 0;
        },
        &d, nullptr);
    sqlite3_close(db);
    sqlite3_open_v2(dir.file("songs.tps").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(
        db, "SELECT AlbumID, count(*) FROM Songs GROUP BY AlbumID",
        [](void* o, int, char** v, char**) {
            static_cast<OnDisk*>(o)->songs[std::stoll(v[0])] = std::stoi(v[1]);
            return 0;
        },
        &d, nullptr);
    sqlite3_close(db);
    return d;
}

std::string leftInTheFolder(const TempFolder& dir, const char* marker)
{
    std::string names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().find(marker) != std::string::npos)
            names += e.path().filename().string() + " (" + std::to_string(e.file_size()) + ") ";
    return names;
}

// A writer is killed at a random point, round after round. Every commit it reported is
// in both files afterwards, no transaction is there in part, SQLite finds every file
// whole, and once the group has opened and the files have been read no super-journal is
// left in the folder.
TEST(Kills, EveryReportedCommitSurvivesAndNoneIsPartial)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TempFolder dir;
    for (const TableDef& def : {songsDef(), albumsDef()}) {
        Table t(def);
        t.setFileName(dir.file(def.fileName));
        ASSERT_EQ(t.create(), 0);
    }
    std::set<std::string> reported;
    std::size_t unreportedBefore = 0;
    int killedInsideACommit = 0;
    for (int round = 0; round < 60; ++round) {
        int reports[2];
        ASSERT_EQ(pipe(reports), 0);
        const pid_t writer = spawn([&] {
            close(reports[0]);
            return write(dir, round, reports[1]);
        });
        close(reports[1]);
        auto report = [&] {
            int n = 0;
            if (::read(reports[0], &n, sizeof n) != sizeof n)
                return false;
            reported.insert(title(round, n));
            return true;
        };
        // A few commits first, then a moment somewhere within the next one.
        for (int k = std::uniform_int_distribution<int>(0, 3)(random); k > 0 && report(); --k) { }
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        kill(writer, SIGKILL);
        ASSERT_EQ(waitExit(writer), -1) << "the writer stopped on its own in round " << round;
        while (report()) { }
        close(reports[0]);
        if (!leftInTheFolder(dir, "-journal").empty() || !leftInTheFolder(dir, "-mj").empty())
            ++killedInsideACommit;

        // The program opens the group and reads its files, rolling back what it must.
        {
            Group g(dir.file(".qvgroup"));
            Table songs(songsDef()), albums(albumsDef());
            for (Table* t : {&songs, &albums}) {
                t->setFileName(dir.file(t->def().fileName));
                t->setGroup(&g);
                ASSERT_EQ(t->open(), 0) << lastError().text;
                t->records();
            }
        }
        // A journal the writer never synced may stay (SQLite ignores it and the next
        // write replaces it); a super-journal would stay for ever.
        EXPECT_EQ(leftInTheFolder(dir, "-mj"), "") << "round " << round;
        for (const char* file : {"albums.tps", "songs.tps", ".qvgroup"})
            ASSERT_EQ(integrity(dir.file(file)), "ok") << file << ", round " << round;

        const OnDisk disk = read(dir);
        for (const std::string& t : reported)
            ASSERT_TRUE(disk.albums.count(t)) << "reported commit " << t << " lost in round " << round;
        // Besides, at most the commit that was killed before it could report.
        int unreported = 0;
        for (const auto& [t, id] : disk.albums)
            unreported += reported.count(t) == 0 && t.rfind("R" + std::to_string(round) + "-", 0) == 0;
        EXPECT_EQ(disk.albums.size(), reported.size() + unreportedBefore + unreported) << "round " << round;
        EXPECT_LE(unreported, 1) << "round " << round;
        unreportedBefore += unreported;
        for (const auto& [t, id] : disk.albums) {
            auto songs = disk.songs.find(id);
            ASSERT_TRUE(songs != disk.songs.end() && songs->second == kSongsPerAlbum)
                << "album " << t << " is there without all its songs, round " << round;
        }
        for (const auto& [id, n] : disk.songs) {
            bool albumThere = false;
            for (const auto& [t, albumId] : disk.albums)
                albumThere = albumThere || albumId == id;
            ASSERT_TRUE(albumThere) << n << " songs of a missing album " << id << ", round " << round;
        }
    }
    // The kills fell inside commits too, not only between them.
    EXPECT_GT(killedInsideACommit, 0);
    EXPECT_GT(reported.size(), 60u);
}

} // namespace
} // namespace qv::tables::testing
