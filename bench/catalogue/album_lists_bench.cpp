// The album and song lists at scale: 80,000 albums with 1,000,000 songs on
// them, the lists opened and moved as a user does on the headless host. Each
// move is timed from the user's action until the window waits with the new
// page shown: the first page as the list opens, Page Down, a typed prefix
// located, another tab (the classic lists, the song list on each of its nine
// tabs) or a header clicked, and a query the wizard finishes that no album
// matches. Beside each
// (the *Raw benchmarks), raw SQLite on the same files doing the same keyed
// page with its best index and a LIMIT of one page, or the scan a filter on
// no index needs. All are timed in wall-clock time.
//
//   album_lists_bench [--benchmark_filter=...]
//   QV_BENCH_SONGS=100000 album_lists_bench   (a smaller collection: albums are 8% of the songs)
//   QV_BENCH_DIR=/path album_lists_bench      (where the collection is kept; default /tmp)
//
// The collection is generated once and kept for later runs.

#include "platform/framework/list_window.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/window.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/outside_texts.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

#include "bench/support/collection.h"
#include "bench/support/raw_sqlite.h"
#include "bench/support/words.h"

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
using bench::columnNamed;
using bench::prefixOf;
using bench::prepare;
using bench::word;
namespace dict = qv::qvls::dictionary;

namespace {

struct Fixture {
    fs::path folder;
    long songs = 1000000;
    long albums = 80000;
    std::vector<std::string> albumTitles; // in album id order
};
Fixture g_fx;

// Titles and artists from the generator's seed: the same in every run, so
// the benchmarks can type prefixes that are there without reading the files.
void makeTitles(Fixture& fx)
{
    std::mt19937 rng(17);
    fx.albumTitles.clear();
    for (long a = 0; a < fx.albums; ++a)
        fx.albumTitles.push_back(word(rng) + " " + word(rng));
}

void generate(const Fixture& fx)
{
    const auto t0 = std::chrono::steady_clock::now();
    tables::Table& songs = dict::Quorvel();
    tables::Table& albums = dict::Album();
    tables::Table& categories = dict::Categories();
    for (tables::Table* t : {&songs, &albums, &categories}) {
        t->create();
        t->open();
    }
    for (tables::Table* t : {&dict::AlbumDetails(), &dict::Media()}) // the album's other files, empty
        t->create();
    tables::Group& g = albums.group();
    g.begin();
    for (int c = 1; c <= 30; ++c) {
        categories.record().clear();
        categories.record()["CAT:Category"] = "Category " + std::to_string(c);
        categories.record()["CAT:CategoryID"] = c;
        categories.insert();
    }
    std::mt19937 rng(29);
    std::vector<std::string> artists;
    for (int a = 0; a < fx.albums / 4; ++a)
        artists.push_back(word(rng) + " " + word(rng));
    static const char* media[] = {"CD", "LP", "Cassette", "MP3"};
    struct AlbumRow {
        std::string artist, media, fileNumber;
        int year, category;
    };
    std::vector<AlbumRow> rows;
    for (long a = 1; a <= fx.albums; ++a) {
        AlbumRow r{artists[rng() % artists.size()], media[rng() % 4], "CD" + std::to_string(a),
            1950 + static_cast<int>(rng() % 75), rng() % 20 == 0 ? 0 : 1 + static_cast<int>(rng() % 30)};
        tables::Record& rec = albums.record();
        rec.clear();
        rec["ALB:AlbumID"] = static_cast<std::int64_t>(a);
        rec["ALB:Album"] = fx.albumTitles[static_cast<std::size_t>(a - 1)];
        rec["ALB:Artist"] = r.artist;
        rec["ALB:Media"] = r.media;
        rec["ALB:FileNumber"] = r.fileNumber;
        rec["ALB:ReleaseDate"] = r.year;
        rec["ALB:CategoryID"] = r.category;
        rec["ALB:Category"] = r.category ? "Category " + std::to_string(r.category) : std::string();
        if (albums.insert() != 0) {
            // A title and artist drawn twice: the album is filed under an artist of its own.
            r.artist += " " + std::to_string(a);
            rec["ALB:Artist"] = r.artist;
            albums.insert();
        }
        rows.push_back(std::move(r));
    }
    g.commit();
    // Songs spread evenly over the albums, in side and track order.
    tables::Group& sg = songs.group();
    sg.begin();
    for (long i = 0; i < fx.songs; ++i) {
        const long a = i * fx.albums / fx.songs; // 0-based album
        const long first = (a * fx.songs + fx.albums - 1) / fx.albums;
        const int track = static_cast<int>(i - first) + 1;
        const AlbumRow& album = rows[static_cast<std::size_t>(a)];
        tables::Record& r = songs.record();
        r.clear();
        r["SNG:Artist"] = album.artist;
        r["SNG:Title"] = word(rng) + " " + word(rng);
        r["SNG:Album"] = fx.albumTitles[static_cast<std::size_t>(a)];
        r["SNG:AlbumID"] = static_cast<std::int64_t>(a + 1);
        r["SNG:Side"] = track > 6 ? 1 : 0;
        r["SNG:TrackNumber"] = track;
        r["SNG:Time"] = 1 + static_cast<int>(rng() % 30000) * 10;
        r["SNG:Media"] = album.media;
        r["SNG:FileNumber"] = album.fileNumber;
        r["SNG:ReleaseDate"] = album.year;
        r["SNG:CategoryID"] = album.category;
        if (songs.insert() != 0)
            std::fprintf(stderr, "song insert failed: %s\n", tables::lastError().text.c_str());
        if ((i + 1) % 50000 == 0) {
            sg.commit();
            sg.begin();
            std::fprintf(stderr, "\r%ld songs", i + 1);
        }
    }
    sg.commit();
    for (tables::Table* t : {&songs, &albums, &categories})
        t->close();
    std::ofstream(fx.folder / ".complete") << "done\n";
    std::fprintf(stderr, "\rgenerated %ld albums with %ld songs in %.0f s\n", fx.albums, fx.songs,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
}

// ---- the lists, as the user works them ---------------------------------------------------

struct ListCase {
    const char* procedure;
    int albumColumn; // the list's column of album titles
};
const ListCase kClassic{"BrowseAlbums", 2};
const ListCase kExplorer{"BrovexAlbums", 1};
constexpr const char* kList = "?Browse:1";

rt::Window* openList(rt::HeadlessHost& host, const ListCase& c)
{
    host.startProcedure(c.procedure);
    rt::Window* w = host.window(c.procedure);
    return w && w->isOpen() ? w : nullptr;
}

void closeList(rt::HeadlessHost& host, rt::Window& w)
{
    host.press(w, "?Close");
}

const rt::ListSource& rows(rt::Window& w)
{
    return *w[kList].list();
}

std::string cell(rt::Window& w, int row, int column)
{
    return std::string(text::trimRight(rows(w).cell(row, column - 1)));
}

// The classic list opens on the tab it was left on: the album tab, as the raw page reads.
void albumTab(rt::HeadlessHost& host, rt::Window& w, const ListCase& c)
{
    if (&c == &kClassic && w["?CurrentTab"].selected() != 1)
        host.choose(w, "?CurrentTab", 1);
}

void openBench(benchmark::State& st, const ListCase& c)
{
    rt::HeadlessHost host;
    if (rt::Window* w = openList(host, c)) { // the tab the next openings start on
        albumTab(host, *w, c);
        closeList(host, *w);
    }
    int page = 0;
    for (auto _ : st) {
        rt::Window* w = openList(host, c);
        st.PauseTiming();
        if (!w) {
            st.SkipWithError("the list did not open");
            break;
        }
        page = rows(*w).rowCount();
        closeList(host, *w);
        st.ResumeTiming();
    }
    st.counters["page"] = page;
}

void pageDownBench(benchmark::State& st, const ListCase& c)
{
    rt::HeadlessHost host;
    rt::Window* w = openList(host, c);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    albumTab(host, *w, c);
    long pages = 0;
    for (auto _ : st) {
        const std::string before = cell(*w, 0, c.albumColumn);
        host.post(*w, rt::Event{rt::event::PageDown, (*w)[kList].number()});
        st.PauseTiming();
        if (cell(*w, 0, c.albumColumn) == before) { // at the end: from the top again
            host.post(*w, rt::Event{rt::event::ScrollTop, (*w)[kList].number()});
            if (pages == 0) {
                st.SkipWithError(("Page Down stayed at '" + before + "'").c_str());
                break;
            }
        }
        ++pages;
        st.ResumeTiming();
    }
    st.counters["pages"] = static_cast<double>(pages);
    closeList(host, *w);
}

void locateBench(benchmark::State& st, const ListCase& c)
{
    rt::HeadlessHost host;
    rt::Window* w = openList(host, c);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    albumTab(host, *w, c);
    std::mt19937 rng(3);
    for (auto _ : st) {
        st.PauseTiming();
        const std::string prefix = prefixOf(g_fx.albumTitles[rng() % g_fx.albumTitles.size()]);
        st.ResumeTiming();
        for (char ch : prefix) // each letter locates, as it does when typed
            host.key(*w, ch - 'a' + 'A');
        st.PauseTiming();
        const int row = (*w)[kList].selected();
        const std::string shown = row > 0 ? cell(*w, row - 1, c.albumColumn) : std::string();
        if (prefixOf(shown) != prefix) {
            st.SkipWithError(("located '" + shown + "' for '" + prefix + "'").c_str());
            break;
        }
        for (std::size_t i = 0; i < prefix.size(); ++i)
            host.key(*w, rt::key::Back);
        st.ResumeTiming();
    }
    closeList(host, *w);
}

// The classic list's Artist and Album tabs, in turn.
void tabBench(benchmark::State& st)
{
    rt::HeadlessHost host;
    rt::Window* w = openList(host, kClassic);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    int tab = 1;
    for (auto _ : st) {
        tab = tab == 1 ? 2 : 1;
        host.choose(*w, "?CurrentTab", tab);
    }
    // The artist tab's page runs by artist.
    host.choose(*w, "?CurrentTab", 2);
    for (int r = 1; r < rows(*w).rowCount(); ++r)
        if (text::asciiUpper(cell(*w, r - 1, 1)) > text::asciiUpper(cell(*w, r, 1))) {
            st.SkipWithError("the artist tab's page is not in artist order");
            break;
        }
    albumTab(host, *w, kClassic);
    closeList(host, *w);
}

// The explorer list's Artist header: the artist's order, then the album's again.
void headerBench(benchmark::State& st)
{
    rt::HeadlessHost host;
    rt::Window* w = openList(host, kExplorer);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    for (auto _ : st) {
        const rt::ListHit at = host.listPoint(*w, kList, 0, 2);
        host.listMouse(*w, kList, rt::ListMouse::LeftDown, at);
        host.listMouse(*w, kList, rt::ListMouse::LeftUp, at);
    }
    closeList(host, *w);
}

// Artist Is Equal To a name no album has, finished in the query wizard.
void queryBench(benchmark::State& st, const ListCase& c)
{
    rt::HeadlessHost host;
    rt::Window* w = openList(host, c);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    for (auto _ : st) {
        st.PauseTiming();
        host.press(*w, "?Query");
        rt::Window* wizard = host.window("QueryWizard");
        if (!wizard) {
            st.SkipWithError("no query wizard");
            break;
        }
        host.press(*wizard, "?And");
        host.choose(*wizard, "?Fields", 1);
        host.press(*wizard, "?Next");
        host.choose(*wizard, "?Operations", 1);
        host.press(*wizard, "?Next");
        host.enter(*wizard, "?Value", "Nobody At All");
        host.press(*wizard, "?Next");
        st.ResumeTiming();
        host.press(*wizard, "?Finish");
        st.PauseTiming();
        if (rows(*w).rowCount() != 0) {
            st.SkipWithError("the query matched albums");
            break;
        }
        host.press(*w, "?Reset");
        st.ResumeTiming();
    }
    closeList(host, *w);
}

void BM_OpenAlbumList(benchmark::State& st)
{
    openBench(st, kClassic);
    st.counters["albums"] = static_cast<double>(g_fx.albums);
}
void BM_OpenExplorerAlbumList(benchmark::State& st)
{
    openBench(st, kExplorer);
}
void BM_PageDownAlbumList(benchmark::State& st)
{
    pageDownBench(st, kClassic);
}
void BM_PageDownExplorerAlbumList(benchmark::State& st)
{
    pageDownBench(st, kExplorer);
}
void BM_LocateAlbumList(benchmark::State& st)
{
    locateBench(st, kClassic);
}
void BM_LocateExplorerAlbumList(benchmark::State& st)
{
    locateBench(st, kExplorer);
}
void BM_TabAlbumList(benchmark::State& st)
{
    tabBench(st);
}
void BM_HeaderExplorerAlbumList(benchmark::State& st)
{
    headerBench(st);
}
void BM_QueryNoMatchAlbumList(benchmark::State& st)
{
    queryBench(st, kClassic);
}

// The albums-and-songs window: the album highlight moved one row down, until
// the song list beside it shows the new album's songs.
void highlightBench(benchmark::State& st)
{
    rt::HeadlessHost host;
    host.startProcedure("BrowseAlbumsAndSongs");
    rt::Window* w = host.window("BrowseAlbumsAndSongs");
    if (!w || !w->isOpen()) {
        st.SkipWithError("the window did not open");
        return;
    }
    rt::Control& albums = (*w)[kList];
    const rt::ListSource& songs = *(*w)["?List"].list();
    constexpr int kAlbumId = 8, kSongAlbumId = 14; // their hidden columns
    long moves = 0;
    for (auto _ : st) {
        host.post(*w, rt::Event{rt::event::ScrollDown, albums.number()});
        st.PauseTiming();
        const int row = albums.selected();
        const std::string album = row > 0 ? cell(*w, row - 1, kAlbumId) : std::string();
        if (songs.rowCount() == 0 || std::string(text::trimRight(songs.cell(0, kSongAlbumId - 1))) != album) {
            st.SkipWithError(("the songs are not album " + album + "'s").c_str());
            break;
        }
        ++moves;
        st.ResumeTiming();
    }
    st.counters["moves"] = static_cast<double>(moves);
    closeList(host, *w);
}

void BM_HighlightAlbumsAndSongs(benchmark::State& st)
{
    highlightBench(st);
}

// ---- the same pages written directly against SQLite --------------------------------------

constexpr int kRawPage = 12; // about what the lists show
// The keys leave out albums with neither title nor artist: the condition lets
// SQLite walk their partial indexes.
constexpr const char* kByAlbum = "SELECT * FROM a.Album WHERE _k_Album >= ?1"
                                 " AND NOT (_k_Album = '' AND _k_Artist = '') ORDER BY _k_Album, _k_Artist LIMIT ?3";
constexpr const char* kAfterAlbum = "SELECT * FROM a.Album WHERE (_k_Album, _k_Artist) > (?1, ?2)"
                                    " AND NOT (_k_Album = '' AND _k_Artist = '') ORDER BY _k_Album, _k_Artist LIMIT ?3";
constexpr const char* kByArtist = "SELECT * FROM a.Album WHERE _k_Artist >= ?1"
                                  " AND NOT (_k_Artist = '' AND _k_Album = '') ORDER BY _k_Artist, _k_Album LIMIT ?3";
// No index serves a case-blind test on the artist: a scan, as any plan.
constexpr const char* kNoMatch = "SELECT * FROM a.Album WHERE upper(Artist) = upper(?1)"
                                 " AND NOT (_k_Album = '' AND _k_Artist = '') ORDER BY _k_Album, _k_Artist LIMIT ?3";

// The files the album lists open: the albums and what an album's delete
// reaches (its songs, its detail lines) and what its form looks up.
sqlite3* rawOpen()
{
    return bench::attachReadOnly(g_fx.folder,
        {{"a", &dict::Album()}, {"s", &dict::Quorvel()}, {"d", &dict::AlbumDetails()}, {"c", &dict::Categories()},
            {"m", &dict::Media()}});
}

// One page from the key values on; answers the last row's album and artist keys.
std::pair<std::string, std::string> rawPage(sqlite3_stmt* s, const std::string& from, const std::string& then = {})
{
    sqlite3_bind_text(s, 1, from.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, then.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 3, kRawPage);
    // Every statement reads the album file's own columns.
    static const int album = columnNamed(s, "_k_Album"), artist = columnNamed(s, "_k_Artist");
    std::pair<std::string, std::string> last;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(s); ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(s, c));
        last = {reinterpret_cast<const char*>(sqlite3_column_text(s, album)),
            reinterpret_cast<const char*>(sqlite3_column_text(s, artist))};
    }
    sqlite3_reset(s);
    return last;
}

void BM_OpenAlbumListRaw(benchmark::State& st)
{
    for (auto _ : st) {
        sqlite3* db = rawOpen();
        sqlite3_stmt* s = prepare(db, kByAlbum);
        rawPage(s, "");
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
}

void BM_PageDownAlbumListRaw(benchmark::State& st)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, kAfterAlbum);
    std::pair<std::string, std::string> last;
    for (auto _ : st) {
        last = rawPage(s, last.first, last.second);
        if (last.first.empty()) // past the end: from the top again
            last = {};
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_LocateAlbumListRaw(benchmark::State& st)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, kByAlbum);
    std::mt19937 rng(3);
    for (auto _ : st) {
        st.PauseTiming();
        const std::string prefix = prefixOf(g_fx.albumTitles[rng() % g_fx.albumTitles.size()]);
        st.ResumeTiming();
        for (std::size_t n = 1; n <= prefix.size(); ++n)
            rawPage(s, prefix.substr(0, n));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// A tab or a header: the first page of the other order.
void BM_OtherOrderAlbumListRaw(benchmark::State& st)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* byArtist = prepare(db, kByArtist);
    sqlite3_stmt* byAlbum = prepare(db, kByAlbum);
    bool artist = false;
    for (auto _ : st) {
        artist = !artist;
        rawPage(artist ? byArtist : byAlbum, "");
    }
    sqlite3_finalize(byArtist);
    sqlite3_finalize(byAlbum);
    sqlite3_close(db);
}

// The songs of the next album, in side and track order with their category joined; the
// condition of the key's partial index lets SQLite use it.
void BM_HighlightAlbumsAndSongsRaw(benchmark::State& st)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db,
        "SELECT q.*, c.CategoryID, c.Category FROM s.Quorvel q"
        " LEFT JOIN c.Categories c ON c.CategoryID = q.CategoryID AND NOT (c.CategoryID = 0)"
        " WHERE q.AlbumID = ?1 AND NOT (q.AlbumID = 0 AND q.Side = 0 AND q.TrackNumber = 0)"
        " ORDER BY q.AlbumID, q.Side, q.TrackNumber, q._rid LIMIT ?2");
    long album = 0;
    for (auto _ : st) {
        album = album % g_fx.albums + 1;
        sqlite3_bind_int64(s, 1, album);
        sqlite3_bind_int(s, 2, kRawPage);
        while (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_QueryNoMatchAlbumListRaw(benchmark::State& st)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, kNoMatch);
    for (auto _ : st)
        rawPage(s, "Nobody At All");
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// ---- the song lists -----------------------------------------------------------------------
//
// The classic song list on each of its nine tabs (the benchmark's argument,
// in the sheet's order), and a header click on the Time column, which no key
// serves. The media tab shows the CD songs, the category tab category 7's.

constexpr const char* kSongList = "BrowseSongs";
constexpr const char* kSongBox = "?Browse";
constexpr const char* kSongMedia = "CD";
constexpr int kSongCategory = 7;

struct SongOrder {
    const char* tab;
    std::vector<const char*> columns; // the key's columns in the song file, in order
    const char* range; // the tab's range, "" for none
    const char* partial; // what the key's partial index asks, "" for none
    int located; // 0-based list-queue field the locator searches; -1 for a number
};
// Songs by Side and TrackNumber, like every other song, hold numbers.
const std::vector<SongOrder>& songOrders()
{
    static const std::string category = "q.CategoryID = " + std::to_string(kSongCategory);
    // The files keep their key columns folded to lower case.
    static const std::string media = "q._k_Media = '" + text::asciiLower(kSongMedia) + "'";
    static const std::vector<SongOrder> orders{
        {"Artist", {"_k_Artist", "_k_Title", "_k_Mix"}, "", "", 0},
        {"Title", {"_k_Title", "_k_Artist"}, "", "", 17},
        {"Album", {"_k_Album", "_k_Artist", "Side", "TrackNumber", "_k_Title"}, "", "", 2},
        {"FileNumber", {"_k_FileNumber"}, "", "NOT (q._k_FileNumber = '')", 4},
        {"Media", {"_k_Media", "_k_FileNumber", "_k_Title"}, media.c_str(), "", 4},
        {"Category", {"CategoryID", "_k_Artist", "_k_Title", "_k_Album"}, category.c_str(),
            "NOT (q.CategoryID = 0 AND q._k_Artist = '' AND q._k_Title = '' AND q._k_Album = '')", 0},
        {"Chart", {"ChartNumber", "_k_Artist", "_k_Title"}, "",
            "NOT (q.ChartNumber = 0 AND q._k_Artist = '' AND q._k_Title = '')", -1},
        {"BPM", {"BeatsPerMinute", "_k_Title", "_k_Artist"}, "",
            "NOT (q.BeatsPerMinute = 0 AND q._k_Title = '' AND q._k_Artist = '')", -1},
        {"UDK", {"_k_UserDefinedKeyField", "_k_Artist", "_k_Title"}, "",
            "NOT (q._k_UserDefinedKeyField = '' AND q._k_Artist = '' AND q._k_Title = '')", 9},
    };
    return orders;
}
// The first column the locator types into: the first after the range.
const char* freeColumn(const SongOrder& o)
{
    return o.columns[*o.range ? 1 : 0];
}

// The shared buffers the two limited tabs read their media and category from.
void holdSongParents()
{
    dict::Media().record()["MED:Media"] = kSongMedia;
    dict::Categories().record()["CAT:CategoryID"] = kSongCategory;
}

rt::Window* openSongList(rt::HeadlessHost& host)
{
    holdSongParents();
    host.startProcedure(kSongList);
    rt::Window* w = host.window(kSongList);
    return w && w->isOpen() ? w : nullptr;
}

std::string songCell(rt::Window& w, int row, int field)
{
    return std::string(text::trimRight(w[kSongBox].list()->cell(row, field)));
}

rt::Window* songListOnTab(benchmark::State& st, rt::HeadlessHost& host, int tab)
{
    rt::Window* w = openSongList(host);
    if (!w) {
        st.SkipWithError("the song list did not open");
        return nullptr;
    }
    if (w->control("?CurrentTab")->selected() != tab)
        host.choose(*w, "?CurrentTab", tab);
    // A new tab keeps the song it showed: the benchmarks start from the top.
    host.post(*w, rt::Event{rt::event::ScrollTop, (*w)[kSongBox].number()});
    return w;
}

// The list opens on the tab it was left on.
// The benchmark's label: the order of its argument's tab.
int songTab(benchmark::State& st)
{
    const int tab = static_cast<int>(st.range(0));
    st.SetLabel(songOrders()[static_cast<std::size_t>(tab - 1)].tab);
    return tab;
}

void BM_OpenSongList(benchmark::State& st)
{
    const int tab = songTab(st);
    qvls::settings().SaveLastTab = 1;
    rt::HeadlessHost host;
    if (rt::Window* w = songListOnTab(st, host, tab))
        host.press(*w, "?Close");
    int page = 0;
    for (auto _ : st) {
        rt::Window* w = openSongList(host);
        st.PauseTiming();
        if (!w || w->control("?CurrentTab")->selected() != tab) {
            st.SkipWithError("the song list did not open on its tab");
            break;
        }
        page = (*w)[kSongBox].list()->rowCount();
        host.press(*w, "?Close");
        st.ResumeTiming();
    }
    st.counters["page"] = page;
}

void BM_PageDownSongList(benchmark::State& st)
{
    rt::HeadlessHost host;
    rt::Window* w = songListOnTab(st, host, songTab(st));
    if (!w)
        return;
    long pages = 0;
    for (auto _ : st) {
        const std::string before = songCell(*w, 0, 16); // the song's id
        host.post(*w, rt::Event{rt::event::PageDown, (*w)[kSongBox].number()});
        st.PauseTiming();
        if (songCell(*w, 0, 16) == before) {
            host.post(*w, rt::Event{rt::event::ScrollTop, (*w)[kSongBox].number()});
            if (pages == 0) {
                st.SkipWithError("Page Down stayed");
                break;
            }
        }
        ++pages;
        st.ResumeTiming();
    }
    st.counters["pages"] = static_cast<double>(pages);
    host.press(*w, "?Close");
}

// What the user types on a tab: three letters of a name, a file number's
// start, or "0" on a number tab.
std::string typedOn(const SongOrder& order, std::mt19937& rng)
{
    if (order.located < 0)
        return "0";
    if (std::string_view(order.tab) == "FileNumber" || std::string_view(order.tab) == "Media")
        return "cd" + std::to_string(1 + rng() % 9);
    return prefixOf(word(rng));
}

// Each key locates as typed.
void BM_LocateSongList(benchmark::State& st)
{
    const int tab = songTab(st);
    const SongOrder& order = songOrders()[static_cast<std::size_t>(tab - 1)];
    rt::HeadlessHost host;
    rt::Window* w = songListOnTab(st, host, tab);
    if (!w)
        return;
    std::mt19937 rng(5);
    for (auto _ : st) {
        st.PauseTiming();
        const std::string typed = typedOn(order, rng);
        st.ResumeTiming();
        for (char ch : typed)
            host.key(*w, ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
        st.PauseTiming();
        const int row = (*w)[kSongBox].selected();
        // The custom field is empty in every song: the prefix goes past them all.
        if (order.located >= 0 && std::string_view(order.tab) != "UDK") {
            const std::string shown = row > 0 ? songCell(*w, row - 1, order.located) : std::string();
            if (prefixOf(shown) != typed.substr(0, 3)) {
                st.SkipWithError(("located '" + shown + "' for '" + typed + "'").c_str());
                break;
            }
        }
        for (std::size_t i = 0; i < typed.size(); ++i)
            host.key(*w, rt::key::Back);
        st.ResumeTiming();
    }
    host.press(*w, "?Close");
}

// To the tab from another one (the first, or the second for the first).
void BM_TabSongList(benchmark::State& st)
{
    const int tab = songTab(st);
    const int other = tab == 1 ? 2 : 1;
    rt::HeadlessHost host;
    rt::Window* w = songListOnTab(st, host, other);
    if (!w)
        return;
    for (auto _ : st) {
        host.choose(*w, "?CurrentTab", tab);
        st.PauseTiming();
        host.choose(*w, "?CurrentTab", other);
        st.ResumeTiming();
    }
    host.press(*w, "?Close");
}

// The Time header on the artist tab: up, then down.
void BM_HeaderTimeSongList(benchmark::State& st)
{
    rt::HeadlessHost host;
    rt::Window* w = songListOnTab(st, host, 1);
    if (!w)
        return;
    st.SetLabel("Time");
    for (auto _ : st) {
        const rt::ListHit at = host.listPoint(*w, kSongBox, 0, 7);
        host.listMouse(*w, kSongBox, rt::ListMouse::LeftDown, at);
        host.listMouse(*w, kSongBox, rt::ListMouse::LeftUp, at);
    }
    // The page runs by time, one way or the other.
    const std::string first = songCell(*w, 0, 6), last = songCell(*w, 11, 6);
    if (first.empty() || last.empty())
        st.SkipWithError("no times on the page");
    host.press(*w, "?Close");
}

// Raw: the song list's page, its album and category joined as the list joins them.
std::string songPageSql(const SongOrder& o, const std::string& where, bool descending = false)
{
    std::string order;
    for (const char* c : o.columns)
        order += std::string("q.") + c + (descending ? " DESC, " : ", ");
    std::string sql = "SELECT q.*, a.AlbumID, c.CategoryID, c.Category FROM s.Quorvel q"
                      " LEFT JOIN a.Album a ON a.AlbumID = q.AlbumID AND NOT (a.AlbumID = 0)"
                      " LEFT JOIN c.Categories c ON c.CategoryID = q.CategoryID AND NOT (c.CategoryID = 0) WHERE 1";
    for (const char* part : {o.range, o.partial})
        if (*part)
            sql += std::string(" AND ") + part;
    if (!where.empty())
        sql += " AND " + where;
    return sql + " ORDER BY " + order + "q._rid" + (descending ? " DESC" : "") + " LIMIT " + std::to_string(kRawPage);
}

// Steps through a page; the last row's key values and record id are kept.
struct RawSongPage {
    std::vector<sqlite3_value*> last;
    ~RawSongPage() { clear(); }
    void clear()
    {
        for (sqlite3_value* v : last)
            sqlite3_value_free(v);
        last.clear();
    }
    int read(sqlite3_stmt* s, const SongOrder& o)
    {
        int n = 0;
        std::vector<int> keyColumns;
        for (const char* c : o.columns)
            keyColumns.push_back(columnNamed(s, c));
        keyColumns.push_back(columnNamed(s, "_rid"));
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
            ++n;
            clear();
            for (int c : keyColumns)
                last.push_back(sqlite3_value_dup(sqlite3_column_value(s, c)));
        }
        sqlite3_reset(s);
        return n;
    }
};

void BM_FirstPageSongListRaw(benchmark::State& st)
{
    const SongOrder& o = songOrders()[static_cast<std::size_t>(songTab(st) - 1)];
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, songPageSql(o, "").c_str());
    RawSongPage page;
    for (auto _ : st)
        page.read(s, o);
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_PageDownSongListRaw(benchmark::State& st)
{
    const SongOrder& o = songOrders()[static_cast<std::size_t>(songTab(st) - 1)];
    // A range fixes the key's first column: the bound leaves it out, so SQLite seeks.
    const std::size_t fixed = *o.range ? 1 : 0;
    std::string tuple = "(", marks = "(";
    for (std::size_t i = fixed; i <= o.columns.size(); ++i) {
        tuple += std::string(i > fixed ? ", " : "") + "q." + (i < o.columns.size() ? o.columns[i] : "_rid");
        marks += std::string(i > fixed ? ", " : "") + "?";
    }
    sqlite3* db = rawOpen();
    sqlite3_stmt* first = prepare(db, songPageSql(o, "").c_str());
    sqlite3_stmt* after = prepare(db, songPageSql(o, tuple + ") > " + marks + ")").c_str());
    RawSongPage page;
    page.read(first, o);
    for (auto _ : st) {
        for (std::size_t i = fixed; i < page.last.size(); ++i)
            sqlite3_bind_value(after, static_cast<int>(i - fixed) + 1, page.last[i]);
        if (page.read(after, o) == 0) // past the end: from the top again
            page.read(first, o);
    }
    sqlite3_finalize(first);
    sqlite3_finalize(after);
    sqlite3_close(db);
}

void BM_LocateSongListRaw(benchmark::State& st)
{
    const SongOrder& o = songOrders()[static_cast<std::size_t>(songTab(st) - 1)];
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, songPageSql(o, std::string("q.") + freeColumn(o) + " >= ?").c_str());
    RawSongPage page;
    std::mt19937 rng(5);
    for (auto _ : st) {
        st.PauseTiming();
        const std::string typed = typedOn(o, rng);
        st.ResumeTiming();
        for (std::size_t n = 1; n <= typed.size(); ++n) {
            if (o.located < 0)
                sqlite3_bind_int(s, 1, 0);
            else
                sqlite3_bind_text(s, 1, typed.substr(0, n).c_str(), -1, SQLITE_TRANSIENT);
            page.read(s, o);
        }
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// A header on a column no key serves: the best plan sorts the whole file for one page.
void BM_HeaderTimeSongListRaw(benchmark::State& st)
{
    const SongOrder byTime{"Time", {"Time"}, "", "", -1};
    sqlite3* db = rawOpen();
    sqlite3_stmt* up = prepare(db, songPageSql(byTime, "").c_str());
    sqlite3_stmt* down = prepare(db, songPageSql(byTime, "", true).c_str());
    RawSongPage page;
    bool ascending = false;
    for (auto _ : st) {
        ascending = !ascending;
        page.read(ascending ? up : down, byTime);
    }
    sqlite3_finalize(up);
    sqlite3_finalize(down);
    sqlite3_close(db);
}

} // namespace

BENCHMARK(BM_OpenAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenExplorerAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenAlbumListRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageDownAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageDownExplorerAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageDownAlbumListRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateExplorerAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateAlbumListRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TabAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderExplorerAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OtherOrderAlbumListRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HighlightAlbumsAndSongs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HighlightAlbumsAndSongsRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryNoMatchAlbumList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QueryNoMatchAlbumListRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenSongList)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstPageSongListRaw)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageDownSongList)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageDownSongListRaw)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateSongList)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LocateSongListRaw)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TabSongList)->DenseRange(1, 9)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderTimeSongList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderTimeSongListRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (const char* n = std::getenv("QV_BENCH_SONGS"))
        g_fx.songs = std::max(1L, std::atol(n));
    g_fx.albums = std::max(1L, g_fx.songs * 2 / 25);
    g_fx.folder = bench::openBenchCollection("albums", g_fx.songs, g_fx.albums);
    makeTitles(g_fx);
    if (!fs::exists(g_fx.folder / ".complete")) {
        for (tables::Table* t :
            {&dict::Quorvel(), &dict::Categories(), &dict::Album(), &dict::AlbumDetails(), &dict::Media()})
            fs::remove(g_fx.folder / t->filePath());
        generate(g_fx);
    }
    qvls::SetQueryWizardTexts();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fw::ListWindow::forgetSingleInstances();
    dict::KillDictionary();
    return 0;
}
