// The catalogue's lists at scale, opened as a user opens them: the artist list
// over 100,000 artists and the song lookup over 1,000,000 songs with their
// categories joined, on the headless host. Each is timed from the call until
// the window waits with its first page shown, and for a typed prefix until
// the located page shows. Beside each (the *Raw benchmarks), raw SQLite on
// the same files doing the same keyed page with its best index and a LIMIT
// of one page. All are timed in wall-clock time.
//
// A songs list of the bench's own (windows/BenchSongList.yaml) has the list
// class: a click on the header of a column no key serves sorts the million
// songs until the sorted page shows (the page of the song highlighted before,
// checked against raw SQLite's rows around that song), and Page Down moves on
// in that order. Beside each, raw SQLite with its best plan: the top page of
// that order (one scan keeping forty rows, the least any page of it costs
// without an index), and the next page from the last row's values.
//
// The same list's "Export to ASCII" writes every song to a CSV file, timed
// from the file dialog's answer until the file is written; beside it in the
// same run, Python writing the same file (the songs file read with its
// sqlite3 module, written by csv.writer) by its best plan and along the
// artist key's index, each checked to be the same file byte for byte, and
// raw SQLite reading the same values both ways. The export's peak memory is
// measured over 100,000 songs and over all of them, each export in a
// process of its own started from this program.
//
//   catalogue_bench [--benchmark_filter=...]
//   QV_BENCH_SONGS=100000 catalogue_bench    (a smaller collection)
//   QV_BENCH_ARTISTS=10000 catalogue_bench   (fewer artists)
//   QV_BENCH_DIR=/path catalogue_bench       (where the collection is kept; default /tmp)
//
// The collection is generated once and kept for later runs.

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/resources.h"
#include "platform/runtime/window.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/catalogue/catalogue_list.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

#include "bench/support/words.h"

#include "bench/support/collection.h"
#include "bench/support/peak_memory.h"
#include "bench/support/raw_sqlite.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

// The bench's own windows (windows/).
std::span<const qv::rt::EmbeddedFile> catalogueBenchResources();

using namespace qv;
namespace fs = std::filesystem;
using bench::prefixOf;
using bench::prepare;
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
    return bench::attachReadOnly(
        g_fx.folder, {{"s", &dict::Quorvel()}, {"c", &dict::Categories()}, {"a", &dict::Artists()}});
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

// ---- header sort through the list class --------------------------------------------------

constexpr const char* kSongList = "BenchSongList";
constexpr int kPage = 40; // the list's rows
// The list's columns by place, as a user clicks their headers. No key serves
// either order: the album key orders by the name folded to lower case, which
// places "_" or "[" otherwise than UPPER() does.
constexpr int kAlbumColumn = 3;
constexpr int kReleasedColumn = 5;

// What raw SQLite does for the same header: no index orders by the shown text
// in upper case nor by the release year, so its best plan for a page is a
// scan keeping the forty it shows (a LIMIT sort). Descending, the record id
// still breaks ties upward, as in the list. SQLite's upper() is the list's
// UPPER() for these names, all plain ASCII.
struct SortCase {
    int column;
    const char* field; // the songs file's column the list shows
    const char* order; // the expression it orders by
    const char* ascending;
    const char* descending;
    const char* continuation; // the next page after (value, record id), ascending
};
const SortCase kByAlbum{kAlbumColumn, "Album", "upper(Album)",
    "SELECT *, upper(Album) FROM s.Quorvel ORDER BY upper(Album), _rid LIMIT 40",
    "SELECT *, upper(Album) FROM s.Quorvel ORDER BY upper(Album) DESC, _rid LIMIT 40",
    "SELECT *, upper(Album) FROM s.Quorvel WHERE (upper(Album), _rid) > (?, ?) ORDER BY upper(Album), _rid LIMIT 40"};
const SortCase kByReleased{kReleasedColumn, "ReleaseDate", "ReleaseDate",
    "SELECT * FROM s.Quorvel ORDER BY ReleaseDate, _rid LIMIT 40",
    "SELECT * FROM s.Quorvel ORDER BY ReleaseDate DESC, _rid LIMIT 40", nullptr};

rt::Window* openSongList(rt::HeadlessHost& host)
{
    host.start(kSongList, [] { qvls::CatalogueList(kSongList).Execute(); });
    rt::Window* w = host.window(kSongList);
    return w && w->isOpen() ? w : nullptr;
}

void clickHeader(rt::HeadlessHost& host, rt::Window& w, int column)
{
    const rt::ListHit at = host.listPoint(w, "?List", 0, column);
    host.listMouse(w, "?List", rt::ListMouse::LeftDown, at);
    host.listMouse(w, "?List", rt::ListMouse::LeftUp, at);
}

// A column's values down the shown page, compared as text without padding.
std::vector<std::string> shownColumn(rt::Window& w, int column)
{
    std::vector<std::string> out;
    const rt::ListSource* l = w["?List"].list();
    for (int r = 0; l && r < l->rowCount(); ++r)
        out.emplace_back(text::trimRight(l->cell(r, column - 1)));
    return out;
}

bool sortsDescending(rt::Window& w, int column)
{
    const auto columns = rt::readListFormat(w["?List"].format()).format.columns;
    return column <= static_cast<int>(columns.size())
        && columns[static_cast<std::size_t>(column - 1)].header.value_or("").starts_with("<");
}

// A page of raw rows: every column read, the named one's values kept.
std::vector<std::string> rawRows(
    sqlite3_stmt* s, const char* column, std::string* lastKey = nullptr, std::int64_t* lastRid = nullptr)
{
    std::vector<std::string> values;
    const int n = sqlite3_column_count(s);
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < n; ++c) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
            benchmark::DoNotOptimize(t);
            if (std::string_view(sqlite3_column_name(s, c)) == column)
                values.emplace_back(text::trimRight(t ? t : ""));
        }
        if (lastKey)
            *lastKey = reinterpret_cast<const char*>(sqlite3_column_text(s, n - 1));
        if (lastRid)
            *lastRid = sqlite3_column_int64(s, 0);
    }
    sqlite3_reset(s);
    return values;
}

void reportMismatch(const std::vector<std::string>& shown, const std::vector<std::string>& raw)
{
    std::fprintf(stderr, "%zu rows shown, %zu raw\n", shown.size(), raw.size());
    for (std::size_t i = 0; i < std::max(shown.size(), raw.size()); ++i)
        std::fprintf(
            stderr, "  %s | %s\n", i < shown.size() ? shown[i].c_str() : "-", i < raw.size() ? raw[i].c_str() : "-");
}

// The list shows its page around the highlighted song (the one it had
// before the sort, or the one a page move reached): the raw rows before and
// from that song in the same order are the page shown, value for value.
bool showsRawPage(sqlite3* db, rt::Window& w, const SortCase& c, bool descending)
{
    const auto shown = shownColumn(w, c.column);
    const int selected = w["?List"].selected();
    tables::Record& song = dict::Quorvel().record();
    if (selected < 1 || selected > static_cast<int>(shown.size()))
        return false;
    const std::string e = c.order, v = e == "ReleaseDate" ? "?1" : "upper(?1)";
    const std::string later = descending ? " < " : " > ", earlier = descending ? " > " : " < ";
    const std::string from = std::string("SELECT ") + c.field + " FROM s.Quorvel WHERE ";
    const std::string after = from + "(" + e + later + v + " OR (" + e + " = " + v + " AND _rid >= ?2)) ORDER BY " + e
        + (descending ? " DESC" : "") + ", _rid LIMIT ?3";
    const std::string before = from + "(" + e + earlier + v + " OR (" + e + " = " + v + " AND _rid < ?2)) ORDER BY " + e
        + (descending ? "" : " DESC") + ", _rid DESC LIMIT ?3";
    std::vector<std::string> raw;
    for (const bool first : {true, false}) {
        sqlite3_stmt* s = prepare(db, (first ? before : after).c_str());
        const std::string value(text::trimRight(song[std::string_view(std::string("SNG:") + c.field)].toString()));
        if (e == "ReleaseDate")
            sqlite3_bind_int64(s, 1, std::atol(value.c_str()));
        else
            sqlite3_bind_text(s, 1, value.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 2, song.recordId);
        sqlite3_bind_int(s, 3, first ? selected - 1 : kPage - selected + 1);
        auto rows = rawRows(s, c.field);
        if (first)
            raw.assign(rows.rbegin(), rows.rend());
        else
            raw.insert(raw.end(), rows.begin(), rows.end());
        sqlite3_finalize(s);
    }
    if (shown == raw)
        return true;
    reportMismatch(shown, raw);
    return false;
}

// Each click sorts anew, the other way round from the last.
void headerSortBench(benchmark::State& st, const SortCase& c)
{
    rt::HeadlessHost host;
    holdNothing();
    rt::Window* w = openSongList(host);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    sqlite3* db = rawOpen();
    int checked = 0;
    for (auto _ : st) {
        clickHeader(host, *w, c.column);
        if (checked < 2) {
            // Both ways once: the shown page is the raw one.
            st.PauseTiming();
            if (!showsRawPage(db, *w, c, sortsDescending(*w, c.column))) {
                st.SkipWithError("the sorted page is not the raw one");
                break;
            }
            ++checked;
            st.ResumeTiming();
        }
    }
    st.counters["page"] = static_cast<double>(shownColumn(*w, c.column).size());
    sqlite3_close(db);
    host.press(*w, "?Close");
}

void rawHeaderSortBench(benchmark::State& st, const SortCase& c)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* orders[] = {prepare(db, c.ascending), prepare(db, c.descending)};
    int i = 0;
    std::size_t rows = 0;
    for (auto _ : st)
        rows = rawRows(orders[i++ % 2], c.field).size();
    st.counters["page"] = static_cast<double>(rows);
    for (sqlite3_stmt* s : orders)
        sqlite3_finalize(s);
    sqlite3_close(db);
}

// Page Down on the list in the column's order, from the page the sort showed.
void pageBench(benchmark::State& st, const SortCase& c)
{
    rt::HeadlessHost host;
    holdNothing();
    rt::Window* w = openSongList(host);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    clickHeader(host, *w, c.column);
    if (sortsDescending(*w, c.column))
        clickHeader(host, *w, c.column);
    long pages = 0;
    for (auto _ : st) {
        host.post(*w, rt::Event{rt::event::PageDown, (*w)["?List"].number()});
        ++pages;
    }
    sqlite3* db = rawOpen();
    if (!showsRawPage(db, *w, c, false))
        st.SkipWithError("the page moved to is not the raw one");
    sqlite3_close(db);
    st.counters["pages"] = static_cast<double>(pages);
    host.press(*w, "?Close");
}

// The next page after the last row shown, by the order's values: each page
// scans again, as no index holds the order.
void rawPageBench(benchmark::State& st, const SortCase& c)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, c.continuation);
    std::string key;
    std::int64_t rid = 0;
    for (auto _ : st) {
        sqlite3_bind_text(s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(s, 2, rid);
        benchmark::DoNotOptimize(rawRows(s, c.field, &key, &rid));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
}

void BM_HeaderSortText(benchmark::State& st)
{
    headerSortBench(st, kByAlbum);
}
void BM_HeaderSortTextRaw(benchmark::State& st)
{
    rawHeaderSortBench(st, kByAlbum);
}
void BM_HeaderSortPageDown(benchmark::State& st)
{
    pageBench(st, kByAlbum);
}
void BM_HeaderSortPageDownRaw(benchmark::State& st)
{
    rawPageBench(st, kByAlbum);
}
void BM_HeaderSortNumber(benchmark::State& st)
{
    headerSortBench(st, kByReleased);
}
void BM_HeaderSortNumberRaw(benchmark::State& st)
{
    rawHeaderSortBench(st, kByReleased);
}

// ---- the list written out as CSV -------------------------------------------------------

// The list's values read directly from the songs file, each through the
// list's picture in the statement (@s50 the first fifty characters, @t4 the
// time as h:mm:ss, @n4 the year), in the list's order: along the artist
// key's index, or by SQLite's scan and sort (faster for every row: the index
// walk fetches each row from the table on its own).
std::string songsInListOrder(bool scanAndSort)
{
    return std::string("SELECT trim(substr(Artist, 1, 50)), trim(substr(Title, 1, 50)), trim(substr(Album, 1, 50)),"
                       " printf('%d:%02d:%02d', max(Time - 1, 0) / 360000, max(Time - 1, 0) / 6000 % 60,"
                       " max(Time - 1, 0) / 100 % 60), ReleaseDate FROM Quorvel")
        + (scanAndSort ? " NOT INDEXED" : "") + " ORDER BY _k_Artist, _k_Title, _k_Mix, _rid";
}
// Python's best plan for the same file: those values read with its sqlite3
// module and written by csv.writer straight from the cursor; the count line
// from a count of the songs.
constexpr const char* kPythonExport = R"py(import csv, sqlite3, sys
songs, out, select = sys.argv[1:4]
db = sqlite3.connect("file:" + songs + "?mode=ro", uri=True)
with open(out, "w", newline="", encoding="utf-8") as f:
    f.write("# Records=%07d\r\n" % db.execute("SELECT count(*) FROM Quorvel").fetchone()[0])
    w = csv.writer(f)
    w.writerow(("Artist", "Title", "Album", "Time", "Released"))
    w.writerows(db.execute(select))
)py";

double secondsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// The list's "Export to ASCII" into file, the file dialog answered as a user
// answers it; the wall-clock seconds from the answer until the file is
// written, or a negative value when the export failed. beforeWrite runs
// once the dialog is up, before it is answered.
double exportCsv(
    rt::HeadlessHost& host, rt::Window& w, const std::string& file, const std::function<void()>& beforeWrite = {})
{
    w.post(qvls::BrovexList::kExportCsv);
    host.settle();
    auto* dialog = host.dialog<rt::FileDialogWindow>();
    if (!dialog)
        return -1;
    rt::FileDialogSpec answer = dialog->request();
    answer.fileName = file;
    if (beforeWrite)
        beforeWrite();
    const auto t0 = std::chrono::steady_clock::now();
    dialog->answer(answer);
    host.settle();
    const double seconds = secondsSince(t0);
    if (rt::MessageBoxWindow* m = host.messageBox()) {
        std::fprintf(stderr, "export: %s\n", m->text().c_str());
        host.answer(rt::button::Ok);
        return -1;
    }
    return fs::exists(file) ? seconds : -1;
}

// The first line where two files differ, empty when they are the same.
std::string firstDifference(const fs::path& a, const fs::path& b)
{
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    std::string la, lb;
    for (long line = 1;; ++line) {
        const bool ga = static_cast<bool>(std::getline(fa, la)), gb = static_cast<bool>(std::getline(fb, lb));
        if (!ga && !gb)
            return {};
        if (ga != gb || la != lb)
            return "line " + std::to_string(line) + ": '" + la + "' / '" + lb + "'";
    }
}

double pythonExport(const fs::path& script, const fs::path& out, bool scanAndSort)
{
    const std::string command = "python3 '" + script.string() + "' '"
        + (g_fx.folder / dict::Quorvel().filePath()).string() + "' '" + out.string() + "' \""
        + songsInListOrder(scanAndSort) + "\"";
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = std::system(command.c_str());
    const double seconds = secondsSince(t0);
    return rc == 0 ? seconds : -1;
}

// Every song through the bench's songs list (Artist, Title, Album, Time,
// Released) into a CSV file; each time beside it, Python writing the same
// file with its best plan, and along the artist key's index.
// The files are checked to be the same, byte for byte, once.
void BM_ExportCsv(benchmark::State& st)
{
    rt::HeadlessHost host;
    holdNothing();
    rt::Window* w = openSongList(host);
    if (!w) {
        st.SkipWithError("the list did not open");
        return;
    }
    const fs::path ours = g_fx.folder / "export-list.csv", theirs = g_fx.folder / "export-python.csv",
                   script = g_fx.folder / "export_rows.py";
    std::ofstream(script) << kPythonExport;
    double listSeconds = 0, pythonSeconds = 0, pythonIndexSeconds = 0;
    bool compared = false;
    // Python's export by one plan, its file checked against ours the first time.
    const auto python = [&](bool scanAndSort, double& seconds) {
        const double taken = pythonExport(script, theirs, scanAndSort);
        if (taken < 0) {
            st.SkipWithError("Python's export failed");
            return false;
        }
        if (const std::string d = compared ? std::string() : firstDifference(ours, theirs); !d.empty()) {
            st.SkipWithError(("the files differ at " + d).c_str());
            return false;
        }
        seconds += taken;
        return true;
    };
    for (auto _ : st) {
        const double list = exportCsv(host, *w, ours.string());
        if (list < 0) {
            st.SkipWithError("the list's export failed");
            break;
        }
        st.SetIterationTime(list);
        listSeconds += list;
        if (!python(true, pythonSeconds) || !python(false, pythonIndexSeconds))
            break;
        compared = true;
    }
    const double rows = static_cast<double>(g_fx.songs) * static_cast<double>(st.iterations());
    if (listSeconds > 0 && pythonSeconds > 0 && pythonIndexSeconds > 0) {
        st.counters["rows_per_s"] = rows / listSeconds;
        st.counters["python_rows_per_s"] = rows / pythonSeconds;
        st.counters["python_index_rows_per_s"] = rows / pythonIndexSeconds;
        st.counters["vs_python"] = pythonSeconds / listSeconds;
    }
    host.press(*w, "?Close");
    fs::remove(ours);
    fs::remove(theirs);
}

// The floor under both: raw SQLite reading the same values in the same
// order, writing nothing; along the index (0) or by scan and sort (1).
void BM_ExportCsvReadRaw(benchmark::State& st)
{
    sqlite3* db = rawOpen();
    sqlite3_stmt* s = prepare(db, songsInListOrder(st.range(0) != 0).c_str());
    double rows = 0, seconds = 0;
    for (auto _ : st) {
        const auto t0 = std::chrono::steady_clock::now();
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c = 0; c < 5; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(s, c));
            ++rows;
        }
        sqlite3_reset(s);
        seconds += secondsSince(t0);
    }
    if (seconds > 0)
        st.counters["rows_per_s"] = rows / seconds;
    sqlite3_finalize(s);
    sqlite3_close(db);
}

// The growth of the peak resident memory over one export of a collection of
// songs, in MiB, measured in a process of its own (QV_BENCH_EXPORT_PEAK) so
// that neither the other export nor memory kept from earlier work hides it.
double exportPeakGrowth(long songs)
{
    const std::string command
        = "QV_BENCH_EXPORT_PEAK=" + std::to_string(songs) + " '" + fs::read_symlink("/proc/self/exe").string() + "'";
    FILE* child = popen(command.c_str(), "r");
    if (!child)
        return -1;
    double growth = -1;
    if (std::fscanf(child, "%lf", &growth) != 1)
        growth = -1;
    return pclose(child) == 0 ? growth : -1;
}

void BM_ExportCsvPeakMemory(benchmark::State& st)
{
    constexpr long kFewer = 100000;
    double fewer = -1, all = -1;
    for (auto _ : st) {
        fewer = exportPeakGrowth(kFewer);
        all = exportPeakGrowth(g_fx.songs);
        if (fewer < 0 || all < 0) {
            st.SkipWithError("an export's process failed");
            break;
        }
    }
    st.counters["peak_mib_100k"] = fewer;
    st.counters["peak_mib_all"] = all;
    st.counters["songs"] = static_cast<double>(g_fx.songs);
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
BENCHMARK(BM_HeaderSortText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderSortTextRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderSortPageDown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderSortPageDownRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderSortNumber)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HeaderSortNumberRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ExportCsvReadRaw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportCsvPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// One export through the songs list for BM_ExportCsvPeakMemory, in this
// process of its own: prints the growth of the peak resident memory in MiB.
int exportPeakProcess()
{
    rt::HeadlessHost host;
    holdNothing();
    rt::Window* w = openSongList(host);
    if (!w)
        return 1;
    const fs::path out = g_fx.folder / "export-peak.csv";
    double before = 0;
    const double seconds = exportCsv(host, *w, out.string(), [&] {
        bench::resetPeak();
        before = bench::residentMiB();
    });
    const double growth = bench::peakMiB() - before;
    host.press(*w, "?Close");
    fs::remove(out);
    if (seconds < 0)
        return 1;
    std::printf("%.1f\n", growth);
    return 0;
}

// The export opens its file on the desktop: here an opener that does nothing.
void installQuietOpener()
{
    const fs::path bin = g_fx.folder / "opener";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nexit 0\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    setenv("PATH", (bin.string() + ":" + (path ? path : "")).c_str(), 1);
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    rt::ResourceStore::add("qvls", catalogueBenchResources());
    if (const char* n = std::getenv("QV_BENCH_SONGS"))
        g_fx.songs = std::max(1L, std::atol(n));
    const char* peakProcess = std::getenv("QV_BENCH_EXPORT_PEAK");
    if (peakProcess)
        g_fx.songs = std::max(1L, std::atol(peakProcess));
    if (const char* n = std::getenv("QV_BENCH_ARTISTS"))
        g_fx.artists = std::max(1L, std::atol(n));
    g_fx.folder = bench::openBenchCollection("catalogue", g_fx.songs, g_fx.artists);
    makeArtistNames(g_fx);
    if (!fs::exists(g_fx.folder / ".complete")) {
        for (tables::Table* t : {&dict::Quorvel(), &dict::Categories(), &dict::Artists()})
            fs::remove(g_fx.folder / t->filePath());
        generate(g_fx);
    }
    installQuietOpener();

    const int rc = peakProcess ? exportPeakProcess() : (benchmark::RunSpecifiedBenchmarks(), 0);
    benchmark::Shutdown();
    fw::ListWindow::forgetSingleInstances();
    dict::KillDictionary();
    return rc;
}
