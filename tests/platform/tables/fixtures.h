#pragma once

#include "platform/tables/group.h"
#include "platform/tables/table.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace qv::tables::testing {

// A songs-like table: track numbers are numbered per album and side.
inline TableDef songsDef()
{
    TableDef d;
    d.label = "Songs";
    d.prefix = "SNG";
    d.fileName = "songs";
    d.description = "Songs";
    d.version = 3;
    d.fields
        = {stringField("SNG:Artist", 50), stringField("SNG:Title", 50), longField("SNG:ID"), longField("SNG:AlbumID"),
            byteField("SNG:Side"), byteField("SNG:TrackNumber"), longField("SNG:Time", LongKind::Time)};
    d.keys = {
        {"SNG:KEYID", "Unique Song ID", {"ID"}, true, true, 1, true},
        {"SNG:KeyAlbumID", "Album ID", {"AlbumID", "Side", "TrackNumber"}, false, false, 3, true},
        {"SNG:SongsByArtist", "Songs By Artist", {"Artist", "Title"}, false, false, 0, false},
    };
    d.memos = {{"SNG:Notes", 100}};
    return d;
}

// An albums-like table with a sparse unique disc-identity key.
inline TableDef albumsDef()
{
    TableDef d;
    d.label = "Album";
    d.prefix = "ALB";
    d.fileName = "albums";
    d.description = "Albums";
    d.version = 5;
    d.fields = {longField("ALB:AlbumID"), stringField("ALB:Artist", 50), stringField("ALB:Album", 50),
        stringField("ALB:CDIdentifier", 24), decimalField("ALB:Value", 8, 2), decimalField("ALB:CategoryID", 6, 0)};
    d.keys = {
        {"ALB:KEYALBUMID", "Album ID", {"AlbumID"}, true, true, 1, true},
        {"ALB:KEYALBUM", "Album", {"Album", "Artist"}, true, false, 0, true},
        {"ALB:KEYCDIDENTIFIER", "CD Serial Number", {"CDIdentifier"}, true, false, 0, true},
    };
    d.memos = {{"ALB:Notes", 4096}};
    return d;
}

class TempFolder
{
public:
    TempFolder()
    {
        std::random_device rd;
        // Users keep collections in folders such as "Bob's Music": every test runs in one.
        path_ = std::filesystem::temp_directory_path()
            / ("qvtables-Bob's Music-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A folder with a songs and an albums table in one group, created and open.
struct Collection {
    TempFolder dir;
    std::unique_ptr<Group> group;
    std::unique_ptr<Table> songs;
    std::unique_ptr<Table> albums;

    Collection() { reopen(true); }

    void reopen(bool create = false)
    {
        songs.reset();
        albums.reset();
        group = std::make_unique<Group>(dir.file(".qvgroup"));
        songs = std::make_unique<Table>(songsDef());
        albums = std::make_unique<Table>(albumsDef());
        for (Table* t : {songs.get(), albums.get()}) {
            t->setFileName(dir.file(t->def().fileName));
            t->setGroup(group.get());
            if (create) {
                EXPECT_EQ(t->create(), 0);
            }
            EXPECT_EQ(t->open(), 0) << lastError().text;
        }
    }

    int addSong(const std::string& artist, const std::string& title, int album = 0, int side = 0)
    {
        Record& r = songs->record();
        r.clear();
        r["SNG:Artist"] = artist;
        r["SNG:Title"] = title;
        r["SNG:AlbumID"] = album;
        r["SNG:Side"] = side;
        return songs->insert();
    }

    int addAlbum(const std::string& artist, const std::string& album, const std::string& cd = "")
    {
        Record& r = albums->record();
        r.clear();
        r["ALB:Artist"] = artist;
        r["ALB:Album"] = album;
        r["ALB:CDIdentifier"] = cd;
        return albums->insert();
    }
};

// Runs fn in a child process; answers its exit status.
template <class Fn> inline pid_t spawn(Fn fn)
{
    pid_t pid = fork();
    if (pid == 0) {
        int code = 1;
        try {
            code = fn();
        } catch (...) { }
        _exit(code);
    }
    return pid;
}

inline int waitExit(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// SQLite's own check of a file: "ok" when it is whole.
inline std::string integrity(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    std::string out;
    sqlite3_exec(
        db, "PRAGMA integrity_check",
        [](void* o, int, char** v, char**) {
            *static_cast<std::string*>(o) += v[0];
            return 0;
        },
        &out, nullptr);
    sqlite3_close(db);
    return out;
}

} // namespace qv::tables::testing
