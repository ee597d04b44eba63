// The catalogue's lists at scale, opened as a user opens them: the artist list
// over 100,000 artists and the song lookup over 1,000,000 songs with their
// categories joined, on the headless host. Each is timed from the call until
// the window waits with its first page shown, and for a typed prefix until
// the located page shows. Beside each (the *Raw benchmarks), raw SQLite on
// the same files doing the same keyed page with its best index and a LIMIT
// of one page. All are timed in wall-clock time.
//
//   catalogue_bench [--benchmark_filter=...]
//   QV_BENCH_SONGS=100000 catalogue_bench    (a smaller collection)
//   QV_BENCH_ARTISTS=10000 catalogue_bench   (fewer artists)
//   QV_BENCH_DIR=/path catalogue_bench       (where the collection is kept; default /tmp)
//
// The collection is generated once and kept for later runs.

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

#include "bench/support/words.h"

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
#include <vector>

using namespace qv;
namespace fs = std::filesystem;
using bench::word;
namespace dict = qv::qvls::dictionary;

namespace {

struct Fixture {
    fs::path folder;
    long songs = 1000000;
    long artists = 100000;
    std::vector<std::string> artistNames; // in no order
};
Fixture g_fx;

void makeArtistNames(Fixture& fx)
{
    std::mt19937 rng(11);
    std::set<std::string> seen;
    while (static_cast<long>(fx.artistNames.size()) < fx.artists) {
        std::string name = word(rng) + " " + word(rng);
        if (seen.insert(name).second)
            fx.artistNames.push_back(std::move(name));
    }
}

void generate(Fixture& fx)
{
    const auto t0 = std::chrono::steady_clock::now();
    tables::Table& songs = dict::Quorvel();
    tables::Table& artists = dict::Artists();
    tables::Table& categories = dict::Categories();
    for (tables::Table* t : {&songs, &artists, &categories}) {
        t->create();
        t->open();
    }
    tables::Group& g = songs.group();
    g.begin();
    for (int c = 1; c <= 30; ++c) {
        categories.record().clear();
        categories.record()["CAT:Category"] = "Category " + std::to_string(c);
        categories.insert();
    }
    for (const std::string& a : fx.artistNames) {
        artists.record().clear();
        artists.record()["ART:Artist"] = a;
        if (artists.insert() != 0)
            std::fprintf(stderr, "artist insert failed: %s\n", tables::lastError().text.c_str());
    }
    g.commit();
    std::mt19937 rng(29);
    static const char* media[] = {"CD", "LP", "Cassette", "MP3"};
    g.begin();
    for (long i = 1; i <= fx.songs; ++i) {
        tables::Record& r = songs.record();
        r.clear();
        r["SNG:Artist"] = fx.artistNames[rng() % fx.artistNames.size()];
        r["SNG:Title"] = word(rng) + " " + word(rng);
        const long album = 1 + static_cast<long>(rng() % static_cast<unsigned long>(std::max(1L, fx.songs / 10)));
        r["SNG:Album"] = "Album " + std::to_string(album);
        r["SNG:AlbumID"] = static_cast<std::int64_t>(album);
        r["SNG:Media"] = media[rng() % 4];
        r["SNG:FileNumber"] = "CD" + std::to_string(album);
        r["SNG:ReleaseDate"] = 1950 + static_cast<int>(rng() % 75);
        // One song in twenty has no category.
        r["SNG:CategoryID"] = rng() % 20 == 0 ? 0 : 1 + static_cast<int>(rng() % 30);
        r["SNG:ChartNumber"] = static_cast<int>(rng() % 41);
        if (songs.insert() != 0)
            std::fprintf(stderr, "song insert failed: %s\n", tables::lastError().text.c_str());
        if (i % 50000 == 0) {
            g.commit();
            g.begin();
            std::fprintf(stderr, "\r%ld songs", i);
        }
    }
    g.commit();
    for (tables::Table* t : {&songs, &artists, &categories})
        t->close();
    std::ofstream(fx.folder / ".complete") << "done\n";
    std::fprintf(stderr, "\rgenerated %ld songs by %ld artists in %.0f s\n", fx.songs, fx.artists,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
}

// ---- the lists, as the user opens them ------------------------------------------------

struct ListCase {
    const char* procedure;
    const char* list; // the list control
};
const ListCase kArtists{"BrowseArtists", "?List"};
const ListCase kSongs{"SelectFileNumber", "?Browse"};

// Opens the list as a lookup does; answers its window once the first page shows.
rt::Window* openList(rt::HeadlessHost& host, const ListCase& c)
{
    host.start("caller", [c] {
        fw::handover().request = fw::request::Select;
        rt::Procedures::call(c.procedure);
    });
    rt::Window* w = host.window(c.procedure);
    return w && w->isOpen() ? w : nullptr;
}

void closeList(rt::HeadlessHost& host, rt::Window& w)
{
    host.press(w, "?Close");
}

int shownRows(rt::Window& w, const ListCase& c)
{
    const rt::ListSource* l = w[c.list].list();
    return l ? l->rowCount() : 0;
}

// A lookup opens on the record its caller holds; these callers hold none, so
// the list opens at its first page, the page the raw peer reads.
void holdNothing()
{
    for (tables::Table* t : {&dict::Quorvel(), &dict::Artists(), &dict::Categories()}) {
        t->record().clear();
        t->record().recordId = 0;
    }
}

void openBench(benchmark::State& st, const ListCase& c)
{
    rt::HeadlessHost host;
    int rows = 0;
    holdNothing();
    for (auto _ : st) {
        rt::Window* w = openList(host, c);
        st.PauseTiming();
        if (!w) {
            st.SkipWithError("the list did not open");
            break;
        }
        rows = shownRows(*w, c);
        closeList(host, *w);
        holdNothing();
        st.ResumeTiming();
    }
    st.counters["page"] = rows;
}

// Three letters of a name, lower case as typed.
std::string prefixOf(const std::string& name)
{
    std::string p = name.substr(0, 3);
    for (char& ch : p)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return p;
}

void locateBench(benchmark::State& st, const ListCase& c)
{
    rt::HeadlessHost host;
    rt::Window* w = openList(host, c);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    std::mt19937 rng(3);
    std::string shown;
    for (auto _ : st) {
        st.PauseTiming();
        const std::string prefix = prefixOf(g_fx.artistNames[rng() % g_fx.artistNames.size()]);
        st.ResumeTiming();
        // Each letter locates, as it does when typed.
        for (char ch : prefix)
            host.key(*w, ch - 'a' + 'A');
        st.PauseTiming();
        const int row = (*w)[c.list].selected();
        shown = row > 0 ? (*w)[c.list].list()->cell(row - 1, 0) : std::string();
        if (prefixOf(shown) != prefix)
            st.SkipWithError(("located '" + shown + "' for '" + prefix + "'").c_str());
        for (std::size_t i = 0; i < prefix.size(); ++i)
            host.key(*w, rt::key::Back);
        st.ResumeTiming();
    }
    closeList(host, *w);
}

void BM_OpenArtists(benchmark::State& st)
{
    openBench(st, kArtists);
    st.counters["artists"] = static_cast<double>(g_fx.artists);
}
void BM_OpenSongLookup(benchmark::State& st)
{
    openBench(st, kSongs);
    st.counters["songs"] = static_cast<double>(g_fx.songs);
}
void BM_LocateArtists(benchmark::State& st)
{
    locateBench(st, kArtists);
}
void BM_LocateSongLookup(benchmark::State& st)
{
    locateBench(st, kSongs);
}

// ---- the same pages written directly against SQLite --------------------------------------

// The artist list's page: the name key, the record id last.
constexpr const char* kArtistsPage = "SELECT _rid, _chg, Artist, CATEGORYID, BIO FROM a.Artists"
                                     " WHERE _k_Artist >= ? AND NOT (_k_Artist = '') ORDER BY _k_Artist LIMIT ?";
// The song lookup's page: songs in the artist key's order, their category's
// name joined (outer), every column of the song read.
constexpr const char* kSongsPage = "SELECT q.*, c.CategoryID, c.Category FROM s.Quorvel q"
                                   " LEFT JOIN c.Categories c ON c.CategoryID = q.CategoryID AND NOT (c.CategoryID = 0)"
                                   " WHERE q._k_Artist >= ? ORDER BY q._k_Artist, q._k_Title, q._k_Mix, q._rid LIMIT ?";

struct RawCase {
    const char* sql;
    int page;
};
const RawCase kArtistsRaw{kArtistsPage, 12};
const RawCase kSongsRaw{kSongsPage, 14};

sqlite3* rawOpen()
{
    // One connection with the files attached read-only, as a hand-written
    // program opening the same files would do.
    sqlite3* db = nullptr;
    sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
    const std::string script = "ATTACH 'file:" + (g_fx.folder / dict::Quorvel().filePath()).string()
        + "?mode=ro' AS s; ATTACH 'file:" + (g_fx.folder / dict::Categories().filePath()).string()
        + "?mode=ro' AS c; ATTACH 'file:" + (g_fx.folder / dict::Artists().filePath()).string() + "?mode=ro' AS a;";
    sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    return db;
}

int rawPage(sqlite3_stmt* s, const std::string& from, int page)
{
    sqlite3_bind_text(s, 1, from.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 2, page);
    int rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(s); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(s, c));
        ++rows;
    }
    sqlite3_reset(s);
    return rows;
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n%s\n", sql, sqlite3_errmsg(db));
    return s;
}

// Opening: the files are attached and the statement prepared anew each time,
// as a window opens its tables each time.
void rawOpenBench(benchmark::State& st, const RawCase& c)
{
    int rows = 0;
    for (auto _ : st) {
        sqlite3* db = rawOpen();
        sqlite3_stmt* s = prepare(db, c.sql);
        rows = rawPage(s, "", c.page);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    st.counters["page"] = rows;
}

// A typed prefix: one page per letter, from the prefix so far.
void rawLocateBench(benchmark::State& st, const RawCase& c)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, c.sql);
    std::mt19937 rng(3);
    for (auto _ : st) {
        st.PauseTiming();
        const std::string prefix = prefixOf(g_fx.artistNames[rng() % g_fx.artistNames.size()]);
        st.ResumeTiming();
        for (std::size_t n = 1; n <= prefix.size(); ++n)
            benchmark::DoNotOptimize(rawPage(s, prefix.substr(0, n), c.page));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_OpenArtistsRaw(benchmark::State& st)
{
    rawOpenBench(st, kArtistsRaw);
}
void BM_OpenSongLookupRaw(benchmark::State& st)
{
    rawOpenBench(st, kSongsRaw);
}
void BM_LocateArtistsRaw(benchmark::State& st)
{
    rawLocateBench(st, kArtistsRaw);
}
void BM_LocateSongLookupRaw(benchmark::State& st)
{
    rawLocateBench(st, kSongsRaw);
}

} // namespace

BENCHMARK(BM_OpenArtists)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenArtistsRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenSongLookup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenSongLookupRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateArtists)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateArtistsRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateSongLookup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateSongLookupRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (const char* n = std::getenv("QV_BENCH_SONGS"))
        g_fx.songs = std::max(1L, std::atol(n));
    if (const char* n = std::getenv("QV_BENCH_ARTISTS"))
        g_fx.artists = std::max(1L, std::atol(n));
    g_fx.folder = bench::openBenchCollection("catalogue", g_fx.songs, g_fx.artists);
    makeArtistNames(g_fx);
    if (!fs::exists(g_fx.folder / ".complete")) {
        for (tables::Table* t : {&dict::Quorvel(), &dict::Categories(), &dict::Artists()})
            fs::remove(g_fx.folder / t->filePath());
        generate(g_fx);
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fw::ListWindow::forgetSingleInstances();
    dict::KillDictionary();
    return 0;
}
