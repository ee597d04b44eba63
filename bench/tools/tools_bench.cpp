// The artist rebuild the frame runs at start-up on a collection whose artist list is
// empty: Process:DefaultArtists with its progress window on the headless host, over a
// generated collection of a million songs by 50,000 artists, side by side with raw
// SQLite filling the same artist file from the same song file with its best statement.
// Both are timed in wall-clock time, from an empty artist file to the commit.
//
//   tools_bench [--benchmark_filter=...]
//   QV_BENCH_SONGS=100000 tools_bench      (a smaller collection)
//   QV_BENCH_ARTISTS=5000 tools_bench      (fewer artists)
//   QV_BENCH_DIR=/path tools_bench         (where the collection is kept; default /tmp)
//
// The collection is generated once and kept for later runs.

#include "platform/runtime/headless.h"
#include "platform/runtime/procedures.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

#include "bench/support/collection.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

using namespace qv;
namespace fs = std::filesystem;
namespace dict = qv::qvls::dictionary;

namespace {

struct Fixture {
    fs::path folder;
    long songs = 1000000;
    long artists = 50000;
    long distinct = 0; // names the list must end with
};
Fixture g_fx;

const char* kWords[] = {"love", "night", "rain", "blue", "heart", "dance", "fire", "dream", "road", "song", "moon",
    "sun", "river", "baby", "time", "home", "city", "light", "gold", "wild"};

// Artists spelt as their first song spells them, a tenth of the songs in capitals, and
// one song in two hundred without an artist.
std::string artistOf(long n, std::mt19937& rng)
{
    std::string name = "Artist " + std::to_string(n);
    if (rng() % 10 == 0)
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

void generate(Fixture& fx)
{
    const auto t0 = std::chrono::steady_clock::now();
    tables::Table& songs = dict::Quorvel();
    tables::Table& albums = dict::Album();
    for (tables::Table* t : {&songs, &albums, &dict::Artists()}) {
        t->create();
    }
    songs.open();
    albums.open();
    std::mt19937 rng(61);
    tables::Group& g = songs.group();
    g.begin();
    const long albumCount = std::max(1L, fx.songs / 10);
    for (long i = 1; i <= albumCount; ++i) {
        albums.record().clear();
        albums.record()["ALB:AlbumID"] = static_cast<std::int64_t>(i);
        albums.record()["ALB:Artist"] = "Artist " + std::to_string(rng() % fx.artists);
        albums.record()["ALB:Album"] = "Album " + std::to_string(i);
        albums.insert();
    }
    g.commit();
    std::set<long> named;
    g.begin();
    for (long i = 1; i <= fx.songs; ++i) {
        tables::Record& r = songs.record();
        r.clear();
        if (rng() % 200 != 0) {
            const long n = static_cast<long>(rng() % static_cast<unsigned long>(fx.artists));
            named.insert(n);
            r["SNG:Artist"] = artistOf(n, rng);
        }
        std::string title = kWords[rng() % 20];
        title[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[0])));
        r["SNG:Title"] = title + " " + kWords[rng() % 20] + " " + std::to_string(rng() % 1000);
        if (rng() % 4 == 0)
            r["SNG:Mix"] = "Mix " + std::to_string(rng() % 10);
        const long album = 1 + static_cast<long>(rng() % static_cast<unsigned long>(albumCount));
        r["SNG:Album"] = "Album " + std::to_string(album);
        r["SNG:AlbumID"] = static_cast<std::int64_t>(album);
        r["SNG:Media"] = rng() % 2 ? "CD" : "MP3";
        r["SNG:FileNumber"] = "CD" + std::to_string(album);
        r["SNG:CategoryID"] = 1 + static_cast<int>(rng() % 30);
        r["SNG:Time"] = static_cast<int>(rng() % 40000) + 1;
        r["SNG:AssociatedWAVFile"] = "/music/" + std::to_string(album) + "/" + std::to_string(rng()) + ".mp3";
        if (songs.insert() != 0)
            std::fprintf(stderr, "insert failed: %s\n", tables::lastError().text.c_str());
        if (i % 50000 == 0) {
            g.commit();
            g.begin();
            std::fprintf(stderr, "\r%ld songs", i);
        }
    }
    g.commit();
    songs.close();
    albums.close();
    std::ofstream(fx.folder / ".complete") << named.size() << "\n";
    std::fprintf(stderr, "\rgenerated %ld songs by %zu artists in %.0f s\n", fx.songs, named.size(),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
}

// An empty artist list, as the frame finds it.
void emptyArtists()
{
    tables::Table& artists = dict::Artists();
    while (artists.isOpen())
        artists.close();
    artists.create();
}

std::int64_t artistCount()
{
    tables::Table& artists = dict::Artists();
    artists.open();
    const std::int64_t n = artists.records();
    artists.close();
    return n;
}

void checkCount(benchmark::State& st)
{
    const std::int64_t n = artistCount();
    st.counters["artists"] = static_cast<double>(n);
    if (n != g_fx.distinct)
        st.SkipWithError(
            ("the list holds " + std::to_string(n) + " artists, not " + std::to_string(g_fx.distinct)).c_str());
}

void BM_DefaultArtists(benchmark::State& st)
{
    for (auto _ : st) {
        st.PauseTiming();
        emptyArtists();
        rt::HeadlessHost host;
        st.ResumeTiming();
        host.start("rebuild", [] { rt::Procedures::call("Process:DefaultArtists"); });
        host.settle();
    }
    st.counters["songs"] = static_cast<double>(g_fx.songs);
    checkCount(st);
}

// Raw SQLite on the same files: one connection, the song file attached read-only, one
// transaction, the statement below. The artist file is the driver's (its folded key
// column and its unique key), so both sides leave the same file behind.
void rawRebuild(benchmark::State& st, const char* statement)
{
    for (auto _ : st) {
        st.PauseTiming();
        emptyArtists();
        st.ResumeTiming();
        sqlite3* db = nullptr;
        sqlite3_open_v2((g_fx.folder / dict::Artists().filePath()).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        std::string songsFile = "file:" + (g_fx.folder / dict::Quorvel().filePath()).string() + "?mode=ro";
        std::string attach = "ATTACH DATABASE '" + songsFile + "' AS s";
        char* error = nullptr;
        std::string script = "PRAGMA synchronous=FULL; " + attach + "; BEGIN IMMEDIATE; " + statement + "; COMMIT;";
        if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            st.SkipWithError(error ? error : "failed");
            sqlite3_free(error);
        }
        sqlite3_close(db);
    }
    checkCount(st);
}

// Every song in key order; the unique key keeps the first of each name.
void BM_DefaultArtistsRawOrdered(benchmark::State& st)
{
    rawRebuild(st,
        "INSERT INTO main.Artists (Artist, CATEGORYID, _k_Artist) "
        "SELECT Artist, CategoryID, _k_Artist FROM s.Quorvel WHERE _k_Artist <> '' "
        "ORDER BY _k_Artist, _k_Title, _k_Mix, _rid ON CONFLICT DO NOTHING");
}

// The first song of each name found from the key alone; only those songs are read.
void BM_DefaultArtistsRawFirstOfEach(benchmark::State& st)
{
    rawRebuild(st,
        "INSERT INTO main.Artists (Artist, CATEGORYID, _k_Artist) "
        "SELECT q.Artist, q.CategoryID, q._k_Artist FROM s.Quorvel q WHERE q._rid IN ("
        "  SELECT (SELECT _rid FROM s.Quorvel x WHERE x._k_Artist = d.k ORDER BY _k_Title, _k_Mix, _rid LIMIT 1)"
        "  FROM (SELECT DISTINCT _k_Artist AS k FROM s.Quorvel WHERE _k_Artist <> '') d) "
        "ORDER BY q._k_Artist ON CONFLICT DO NOTHING");
}

} // namespace

BENCHMARK(BM_DefaultArtists)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DefaultArtistsRawOrdered)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DefaultArtistsRawFirstOfEach)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (const char* n = std::getenv("QV_BENCH_SONGS"))
        g_fx.songs = std::atol(n);
    if (const char* n = std::getenv("QV_BENCH_ARTISTS"))
        g_fx.artists = std::max(1L, std::atol(n));
    g_fx.folder = bench::openBenchCollection("tools", g_fx.songs, g_fx.artists);
    if (!fs::exists(g_fx.folder / ".complete"))
        generate(g_fx);
    std::ifstream(g_fx.folder / ".complete") >> g_fx.distinct;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    dict::KillDictionary();
    return 0;
}
