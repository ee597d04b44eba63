// Speed of the keyed-table driver on a generated collection of a million songs and
// 100,000 albums, side by side with the same operations written directly against SQLite.
// Every operation reads or writes the files, so all are timed in wall-clock time.
//
//   tables_bench [--benchmark_filter=...]
//   QV_BENCH_SONGS=100000 tables_bench     (a smaller collection)
//   QV_BENCH_DIR=/path tables_bench        (where the collection is kept; default /tmp)
//
// The collection is generated once and kept for later runs.

#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "platform/tables/view.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <sys/resource.h>

using namespace qv::tables;
namespace fs = std::filesystem;

namespace {

TableDef songsDef()
{
    TableDef d;
    d.label = "Songs";
    d.prefix = "SNG";
    d.fileName = "songs";
    d.version = 14;
    d.fields = {stringField("SNG:Artist", 50), stringField("SNG:Title", 50), stringField("SNG:Mix", 30),
        stringField("SNG:Album", 50), stringField("SNG:Media", 20), stringField("SNG:FileNumber", 20),
        longField("SNG:ReleaseDate"), longField("SNG:CategoryID"), stringField("SNG:Category", 30),
        byteField("SNG:ChartNumber"), byteField("SNG:TrackNumber"), byteField("SNG:Side"),
        longField("SNG:Time", LongKind::Time), stringField("SNG:UserDefinedKeyField", 30),
        stringField("SNG:AdditionalInformation1", 80), stringField("SNG:AdditionalInformation2", 80),
        stringField("SNG:AdditionalInformation3", 80), longField("SNG:BeatsPerMinute"), stringField("SNG:Style", 30),
        stringField("SNG:Composer", 80), longField("SNG:LastPlayed", LongKind::Date), byteField("SNG:Skips"),
        stringField("SNG:EndType", 6), stringField("SNG:InOut", 20), byteField("SNG:Rating"), byteField("SNG:Live"),
        byteField("SNG:DoNotPlay"), longField("SNG:ID"), longField("SNG:AlbumID"), stringField("SNG:CDDBSTRING", 8),
        stringField("SNG:AssociatedWAVFile", 255), stringField("SNG:VolumeLabel", 80), longField("SNG:Filesize"),
        stringField("SNG:Mode", 32), longField("SNG:Frequency"), longField("SNG:BitRate")};
    d.memos = {{"SNG:Recording", 256}, {"SNG:PerformanceNotes", 256}, {"SNG:Notes", 4096}};
    d.keys = {
        {"SNG:SongsByArtist", "Songs By Artist", {"Artist", "Title", "Mix"}, false, false, 0, false},
        {"SNG:SongsByTitle", "Songs By Title", {"Title", "Artist"}, false, false, 0, false},
        {"SNG:SongsByAlbum", "Songs By Album", {"Album", "Artist", "Side", "TrackNumber", "Title"}, false, false, 0,
            false},
        {"SNG:SongsByMedia", "Songs By Media", {"Media", "FileNumber", "Title"}, false, false, 0, false},
        {"SNG:SongsByCategory", "Songs By Category", {"CategoryID", "Artist", "Title", "Album"}, false, false, 0, true},
        {"SNG:SONGSBYCHARTNUMBER", "By Chart Number", {"ChartNumber", "Artist", "Title"}, false, false, 0, true},
        {"SNG:SONGSBYUSERDEFINEDKEY", "By User Defined Key", {"UserDefinedKeyField", "Artist", "Title"}, false, false,
            0, true},
        {"SNG:KEYID", "Unique Song ID", {"ID"}, true, true, 1, true},
        {"SNG:KeyAlbumID", "Album ID", {"AlbumID", "Side", "TrackNumber"}, false, false, 3, true},
        {"SNG:KEYBEATSPERMINUTE", "BPM", {"BeatsPerMinute", "Title", "Artist"}, false, false, 0, true},
        {"SNG:KEYFILENUMBER", "File Number", {"FileNumber"}, false, false, 0, true},
        {"SNG:KEYMIX", "Mix", {"Mix", "Title", "Artist"}, false, false, 0, true},
        {"SNG:KEYWAVFILE", "Associated Files", {"AssociatedWAVFile", "FileNumber"}, false, false, 0, true},
    };
    return d;
}

TableDef albumsDef()
{
    TableDef d;
    d.label = "Album";
    d.prefix = "ALB";
    d.fileName = "albums";
    d.version = 5;
    d.fields = {longField("ALB:AlbumID"), stringField("ALB:Artist", 50), stringField("ALB:Album", 50),
        stringField("ALB:Media", 20), stringField("ALB:FileNumber", 20), longField("ALB:ReleaseDate"),
        decimalField("ALB:CategoryID", 6, 0), stringField("ALB:Category", 30), stringField("ALB:CDIdentifier", 24),
        decimalField("ALB:Value", 8, 2)};
    d.memos = {{"ALB:Notes", 4096}};
    d.keys = {
        {"ALB:KEYALBUMID", "Album ID", {"AlbumID"}, true, true, 1, true},
        {"ALB:KEYALBUM", "Album", {"Album", "Artist"}, true, false, 0, true},
        {"ALB:KEYARTIST", "Artist", {"Artist", "Album"}, true, false, 0, true},
        {"ALB:KEYCDIDENTIFIER", "CD Serial Number", {"CDIdentifier"}, true, false, 0, true},
        {"ALB:KEYFILENUMBER", "File Number", {"FileNumber"}, false, false, 0, true},
    };
    return d;
}

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

long currentRssKb()
{
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

const char* kWords[] = {"love", "night", "rain", "blue", "heart", "dance", "fire", "dream", "road", "song", "moon",
    "sun", "river", "baby", "time", "home", "city", "light", "gold", "wild"};

std::string word(std::mt19937& r)
{
    return kWords[r() % 20];
}

std::string titleOf(std::mt19937& r)
{
    std::string t = word(r);
    t[0] = static_cast<char>(std::toupper(t[0]));
    return t + " " + word(r) + " " + std::to_string(r() % 1000);
}

struct Fixture {
    std::string dir;
    long songs = 0;
    long albums = 0;
    std::unique_ptr<Group> group;
    std::unique_ptr<Table> songsTable, albumsTable;
    sqlite3* raw = nullptr;
    double generateSeconds = 0;
};

Fixture* g_fx = nullptr;

void fillSong(Record& r, std::mt19937& rng, long album)
{
    r.clear();
    r["SNG:Artist"] = "Artist " + std::to_string(rng() % 20000);
    r["SNG:Title"] = titleOf(rng);
    if (rng() % 4 == 0)
        r["SNG:Mix"] = "Mix " + std::to_string(rng() % 10);
    r["SNG:Album"] = "Album " + std::to_string(album);
    r["SNG:Media"] = rng() % 2 ? "CD" : "MP3";
    r["SNG:FileNumber"] = "CD" + std::to_string(album);
    r["SNG:ReleaseDate"] = 1960 + static_cast<int>(rng() % 60);
    r["SNG:CategoryID"] = static_cast<int>(rng() % 30);
    r["SNG:ChartNumber"] = static_cast<int>(rng() % 101);
    r["SNG:Side"] = 1 + static_cast<int>(rng() % 2);
    r["SNG:Time"] = static_cast<int>(rng() % 40000) + 1;
    if (rng() % 3 == 0)
        r["SNG:UserDefinedKeyField"] = word(rng);
    r["SNG:BeatsPerMinute"] = 60 + static_cast<int>(rng() % 120);
    r["SNG:Composer"] = "Composer " + std::to_string(rng() % 5000);
    r["SNG:AlbumID"] = static_cast<int>(album);
    r["SNG:AssociatedWAVFile"] = "/music/" + std::to_string(album) + "/" + std::to_string(rng()) + ".mp3";
    r["SNG:Rating"] = static_cast<int>(rng() % 11);
}

void generate(Fixture& fx, long songs, long albums)
{
    auto t0 = std::chrono::steady_clock::now();
    Table s(songsDef()), a(albumsDef());
    Group g(fx.dir + "/.qvgen");
    for (Table* t : {&s, &a}) {
        t->setFileName(fx.dir + "/" + t->def().fileName);
        t->setGroup(&g);
        t->create();
        t->open();
    }
    std::mt19937 rng(42);
    g.begin();
    for (long i = 1; i <= albums; ++i) {
        a.record().clear();
        a.record()["ALB:Artist"] = "Artist " + std::to_string(rng() % 20000);
        a.record()["ALB:Album"] = "Album " + std::to_string(i);
        a.record()["ALB:FileNumber"] = "CD" + std::to_string(i);
        if (rng() % 2)
            a.record()["ALB:CDIdentifier"] = std::to_string(i * 7919) + "X";
        a.insert();
    }
    g.commit();
    g.begin();
    for (long i = 1; i <= songs; ++i) {
        fillSong(s.record(), rng, 1 + static_cast<long>(rng() % static_cast<unsigned long>(albums)));
        if (s.insert() != 0)
            std::fprintf(stderr, "insert failed: %s\n", lastError().text.c_str());
        if (i % 50000 == 0) {
            g.commit();
            g.begin();
            std::fprintf(stderr, "\r%ld songs", i);
        }
    }
    g.commit();
    s.close();
    a.close();
    fx.generateSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::fprintf(stderr, "\rgenerated %ld songs and %ld albums in %.0f s\n", songs, albums, fx.generateSeconds);
}

// ---- the same list operations written directly against SQLite ---------------------------

struct RawKey {
    std::string cols; // order columns, the record id last
    std::string where; // partial condition or ""
    int ncols;
};

RawKey rawKey(int key)
{
    static Table probe(songsDef());
    auto cols = probe.keyOrderColumns(key);
    RawKey k;
    for (auto& c : cols)
        k.cols += c + ", ";
    k.cols += "_rid";
    k.ncols = static_cast<int>(cols.size()) + 1;
    k.where = probe.keyWhere(key);
    return k;
}

// Steps a page the way a list would: every column read.
int readRows(sqlite3_stmt* s)
{
    int n = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        int cols = sqlite3_column_count(s);
        for (int c = 0; c < cols; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(s, c));
        ++n;
    }
    sqlite3_reset(s);
    return n;
}

sqlite3_stmt* rawPage(int key, const std::string& extraWhere, bool fromPosition, bool backward)
{
    RawKey k = rawKey(key);
    std::string where = k.where;
    auto add = [&](const std::string& w) { where = where.empty() ? w : where + " AND " + w; };
    if (!extraWhere.empty())
        add(extraWhere);
    if (fromPosition) {
        std::string marks;
        for (int i = 0; i < k.ncols; ++i)
            marks += i ? ", ?" : "?";
        add("(" + k.cols + ") " + (backward ? "<" : ">") + " (" + marks + ")");
    }
    std::string order = k.cols;
    if (backward) {
        order.clear();
        auto cols = rawKey(key);
        std::string c = cols.cols;
        size_t start = 0;
        while (true) {
            size_t comma = c.find(", ", start);
            order += c.substr(start, comma - start) + " DESC";
            if (comma == std::string::npos)
                break;
            order += ", ";
            start = comma + 2;
        }
    }
    std::string sql = "SELECT * , " + k.cols + " FROM Songs" + (where.empty() ? "" : " WHERE " + where) + " ORDER BY "
        + order + " LIMIT 40";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(g_fx->raw, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n%s\n", sql.c_str(), sqlite3_errmsg(g_fx->raw));
    return s;
}

// ---- benchmarks --------------------------------------------------------------------------

void BM_FirstPage(benchmark::State& st)
{
    View v(*g_fx->songsTable);
    v.setOrderKey(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        v.toStart();
        int n = v.page(40, true, [] {});
        benchmark::DoNotOptimize(n);
    }
    st.SetLabel(g_fx->songsTable->def().keys[static_cast<size_t>(st.range(0))].description);
}

void BM_FirstPageRaw(benchmark::State& st)
{
    sqlite3_stmt* s = rawPage(static_cast<int>(st.range(0)), "", false, false);
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
    st.SetLabel(g_fx->songsTable->def().keys[static_cast<size_t>(st.range(0))].description);
}

// Page down then page up, from the middle of the key order.
void BM_PageDownUp(benchmark::State& st)
{
    Table& t = *g_fx->songsTable;
    View v(t);
    const int key = static_cast<int>(st.range(0));
    v.setOrderKey(key);
    t.record()["SNG:ID"] = static_cast<int>(g_fx->songs / 2);
    t.fetch(7);
    Record middle = t.record();
    for (auto _ : st) {
        t.record() = middle;
        v.positionOnBuffer();
        v.page(40, true, [] {});
        v.page(40, false, [] {});
    }
}

void BM_PageDownUpRaw(benchmark::State& st)
{
    const int key = static_cast<int>(st.range(0));
    sqlite3_stmt* down = rawPage(key, "", true, false);
    sqlite3_stmt* up = rawPage(key, "", true, true);
    Table& t = *g_fx->songsTable;
    t.record()["SNG:ID"] = static_cast<int>(g_fx->songs / 2);
    t.fetch(7);
    std::vector<KeyValue> pos;
    for (const auto& c : t.def().keys[static_cast<size_t>(key)].components)
        pos.push_back(t.keyValueOf(t.def().fieldIndex(c)));
    pos.push_back(t.record().recordId);
    auto bind = [&](sqlite3_stmt* s, const std::vector<KeyValue>& p) {
        for (size_t i = 0; i < p.size(); ++i) {
            if (auto n = std::get_if<std::int64_t>(&p[i]))
                sqlite3_bind_int64(s, static_cast<int>(i + 1), *n);
            else
                sqlite3_bind_text(
                    s, static_cast<int>(i + 1), std::get<std::string>(p[i]).c_str(), -1, SQLITE_TRANSIENT);
        }
    };
    for (auto _ : st) {
        bind(down, pos);
        benchmark::DoNotOptimize(readRows(down));
        bind(up, pos);
        benchmark::DoNotOptimize(readRows(up));
    }
    sqlite3_finalize(down);
    sqlite3_finalize(up);
}

void BM_TypedPrefix(benchmark::State& st)
{
    Table& t = *g_fx->songsTable;
    View v(t);
    v.setOrderKey(1); // by title
    const char* prefixes[] = {"l", "lo", "lov", "love n", "ri", "riv", "river b"};
    size_t i = 0;
    for (auto _ : st) {
        t.record().clear();
        t.record()["SNG:Title"] = prefixes[i++ % 7];
        v.seekToBuffer();
        benchmark::DoNotOptimize(v.page(40, true, [] {}));
    }
}

void BM_TypedPrefixRaw(benchmark::State& st)
{
    sqlite3_stmt* s = rawPage(1, "(_k_Title, _k_Artist, _rid) >= (?, '', -9223372036854775807)", false, false);
    const char* prefixes[] = {"l", "lo", "lov", "love n", "ri", "riv", "river b"};
    size_t i = 0;
    for (auto _ : st) {
        sqlite3_bind_text(s, 1, prefixes[i++ % 7], -1, SQLITE_STATIC);
        benchmark::DoNotOptimize(readRows(s));
    }
    sqlite3_finalize(s);
}

// The first page of 40 in artist order under a filter.
void filteredFirstPage(benchmark::State& st, const char* filter)
{
    View v(*g_fx->songsTable);
    v.setOrderKey(0);
    v.setFilter("6 Query", filter);
    for (auto _ : st) {
        v.toStart();
        benchmark::DoNotOptimize(v.page(40, true, [] {}));
    }
}

// The same page written on SQLite, each plan it may take: Arg 0 scans the table and sorts
// what the filter keeps (NOT INDEXED), Arg 1 walks the key's index.
void filteredFirstPageRaw(benchmark::State& st, const char* where)
{
    sqlite3_stmt* s = rawPage(0, where, false, false);
    if (st.range(0) == 0) {
        std::string sql = sqlite3_sql(s);
        sqlite3_finalize(s);
        sql.replace(sql.find(" FROM Songs"), 11, " FROM Songs NOT INDEXED");
        sqlite3_prepare_v2(g_fx->raw, sql.c_str(), -1, &s, nullptr);
    }
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
}

// A query-wizard style filter that keeps many rows (~5 %).
void BM_FilteredFirstPage(benchmark::State& st)
{
    filteredFirstPage(st, "INSTRING('DREAM', UPPER(SNG:Title), 1, 1) AND SNG:Rating >= 5");
}

void BM_FilteredFirstPageRaw(benchmark::State& st)
{
    sqlite3_stmt* s = rawPage(0, "instr(upper(Title), 'DREAM') > 0 AND Rating >= 5", false, false);
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
}

// Filters SQLite can test that keep no row or a few, on a list in artist order: the view
// judges from a sample that the filter keeps few rows and scans instead of walking the key.
//
// Raw: SELECT *, _k_Artist, _k_Title, _k_Mix, _rid FROM Songs NOT INDEXED WHERE <filter>
//   ORDER BY _k_Artist, _k_Title, _k_Mix, _rid LIMIT 40
// (Arg 1: the same without NOT INDEXED), with <filter> as each bench's raw part states.
void BM_FilterMatchingNothing(benchmark::State& st)
{
    filteredFirstPage(st, "UPPER(SNG:Title) = 'NO SUCH SONG' AND SNG:Rating >= 1");
}

void BM_FilterMatchingNothingRaw(benchmark::State& st)
{
    filteredFirstPageRaw(st, "upper(Title) = 'NO SUCH SONG' AND Rating >= 1");
}

void BM_FilterOrMatchingNothing(benchmark::State& st)
{
    filteredFirstPage(st, "UPPER(SNG:Title) = 'NO SUCH SONG' OR SNG:Artist = 'Nobody'");
}

void BM_FilterOrMatchingNothingRaw(benchmark::State& st)
{
    filteredFirstPageRaw(st, "upper(Title) = 'NO SUCH SONG' OR Artist = 'Nobody'");
}

// A title search as the query wizard writes it, keeping a few dozen songs.
void BM_FilterContainsFew(benchmark::State& st)
{
    filteredFirstPage(st, "INSTRING('GOLD WILD 99', UPPER(SNG:Title), 1, 1) > 0");
}

void BM_FilterContainsFewRaw(benchmark::State& st)
{
    filteredFirstPageRaw(st, "instr(upper(Title), 'GOLD WILD 99') > 0");
}

// An order no key serves: the first page sorts the view once into a list of record ids
// (counter: resident memory it added); later pages are read by place in it.
void BM_OrderExpressionFirstPage(benchmark::State& st)
{
    long added = 0;
    for (auto _ : st) {
        const long before = currentRssKb();
        View v(*g_fx->songsTable);
        v.setOrder("-UPPER(SNG:Title), +SNG:Artist");
        v.toStart();
        benchmark::DoNotOptimize(v.page(40, true, [] {}));
        added = std::max(added, currentRssKb() - before);
    }
    st.counters["added_kb"] = static_cast<double>(added);
}

// Raw: SELECT *, _rid FROM Songs WHERE (upper(Title), Artist, _rid) < (?, ?, ?)
//   ORDER BY upper(Title) DESC, Artist, _rid LIMIT 40 -- keyset paging, sorted anew each page
void BM_OrderExpressionPageMove(benchmark::State& st)
{
    View v(*g_fx->songsTable);
    v.setOrder("-UPPER(SNG:Title), +SNG:Artist");
    v.toStart();
    v.page(40, true, [] {});
    for (auto _ : st)
        if (v.page(40, true, [] {}) < 40)
            v.toStart();
}

void BM_OrderExpressionPageMoveRaw(benchmark::State& st)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(g_fx->raw,
        "SELECT *, upper(Title), _rid FROM Songs WHERE (upper(Title), Artist, _rid) < (?, ?, ?) "
        "ORDER BY upper(Title) DESC, Artist, _rid LIMIT 40",
        -1, &s, nullptr);
    sqlite3_bind_text(s, 1, "N", -1, SQLITE_STATIC);
    sqlite3_bind_text(s, 2, "", -1, SQLITE_STATIC);
    sqlite3_bind_int64(s, 3, 0);
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
}

// An order expression SQLite is not given: sorted in memory over all rows.
void BM_OrderComputedFirstPage(benchmark::State& st)
{
    long added = 0;
    for (auto _ : st) {
        const long before = currentRssKb();
        View v(*g_fx->songsTable);
        v.setOrder("+SNG:Rating * 2");
        v.toStart();
        benchmark::DoNotOptimize(v.page(40, true, [] {}));
        added = std::max(added, currentRssKb() - before);
    }
    st.counters["added_kb"] = static_cast<double>(added);
}

// Raw: SELECT * FROM Songs ORDER BY Rating * 2, _rid LIMIT 40

void BM_OrderComputedFirstPageRaw(benchmark::State& st)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(g_fx->raw, "SELECT * FROM Songs ORDER BY Rating * 2, _rid LIMIT 40", -1, &s, nullptr);
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
}

// Raw: SELECT * FROM Songs ORDER BY upper(Title) DESC, Artist, _rid LIMIT 40
void BM_OrderExpressionFirstPageRaw(benchmark::State& st)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        g_fx->raw, "SELECT * FROM Songs ORDER BY upper(Title) DESC, Artist, _rid LIMIT 40", -1, &s, nullptr);
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
}

// Songs with their album's buffer filled, as the album-and-song lists show them.
void BM_JoinedFirstPage(benchmark::State& st)
{
    View v(*g_fx->songsTable);
    v.setOrderKey(0);
    v.join(*g_fx->albumsTable, 0, {"SNG:AlbumID"});
    for (auto _ : st) {
        v.toStart();
        benchmark::DoNotOptimize(v.page(40, true, [] {}));
    }
}

void BM_JoinedFirstPageRaw(benchmark::State& st)
{
    // The albums' file beside the songs', as the driver's group has it.
    sqlite3_exec(g_fx->raw, ("ATTACH DATABASE 'file:" + g_fx->dir + "/albums.tps?mode=ro' AS a").c_str(), nullptr,
        nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(g_fx->raw,
        "SELECT s.*, al.* FROM Songs s LEFT JOIN a.Album al ON al.AlbumID = s.AlbumID AND NOT (al.AlbumID = 0) "
        "ORDER BY s._k_Artist, s._k_Title, s._k_Mix, s._rid LIMIT 40",
        -1, &s, nullptr);
    for (auto _ : st)
        benchmark::DoNotOptimize(readRows(s));
    sqlite3_finalize(s);
    sqlite3_exec(g_fx->raw, "DETACH DATABASE a", nullptr, nullptr, nullptr);
}

void BM_CountByKey(benchmark::State& st)
{
    for (auto _ : st)
        benchmark::DoNotOptimize(g_fx->songsTable->records(4));
}

void BM_CountByKeyRaw(benchmark::State& st)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(g_fx->raw, ("SELECT count(*) FROM Songs WHERE " + rawKey(4).where).c_str(), -1, &s, nullptr);
    for (auto _ : st) {
        sqlite3_step(s);
        benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
}

// Bulk insert into a fresh table beside the collection, a transaction per 1,000 rows.
void BM_BulkInsert(benchmark::State& st)
{
    std::string path = g_fx->dir + "/bulk";
    fs::remove(path + ".tps");
    Group g(g_fx->dir + "/.qvbulk");
    Table t(songsDef());
    t.setFileName(path);
    t.setGroup(&g);
    t.create();
    t.open();
    std::mt19937 rng(7);
    for (auto _ : st) {
        g.begin();
        for (int i = 0; i < 1000; ++i) {
            fillSong(t.record(), rng, 1 + static_cast<long>(rng() % 100000));
            t.insert();
        }
        g.commit();
    }
    st.SetItemsProcessed(st.iterations() * 1000);
    st.counters["rows"] = static_cast<double>(t.records());
}

void BM_BulkInsertRaw(benchmark::State& st)
{
    std::string path = g_fx->dir + "/bulkraw";
    fs::remove(path + ".tps");
    {
        Table t(songsDef());
        t.setFileName(path);
        t.create();
    }
    sqlite3* db = nullptr;
    sqlite3_open((path + ".tps").c_str(), &db);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    Table shape(songsDef());
    // The same statements the driver runs: the two auto-numbers, then the insert.
    std::string cols, marks;
    const auto& def = shape.def();
    for (const auto& f : def.fields) {
        cols += (cols.empty() ? "" : ", ") + quoteId(std::string(bareName(f.name)));
        marks += marks.empty() ? "?" : ", ?";
    }
    std::vector<int> folded;
    for (int i = 0; i < static_cast<int>(def.fields.size()); ++i) {
        bool keyed = false;
        for (const auto& k : def.keys)
            for (const auto& c : k.components)
                keyed = keyed || def.fieldIndex(c) == i;
        if (keyed && def.fields[i].type == FieldType::String) {
            cols += ", " + shape.keyColumnOf(i);
            marks += ", ?";
            folded.push_back(i);
        }
    }
    sqlite3_stmt *ins, *maxId, *maxTrack;
    sqlite3_prepare_v2(db, ("INSERT INTO Songs (" + cols + ") VALUES (" + marks + ")").c_str(), -1, &ins, nullptr);
    sqlite3_prepare_v2(db, "SELECT ID FROM Songs WHERE NOT (ID = 0) ORDER BY ID DESC LIMIT 1", -1, &maxId, nullptr);
    sqlite3_prepare_v2(db,
        "SELECT TrackNumber FROM Songs WHERE AlbumID = ? AND Side = ? AND "
        "NOT (AlbumID = 0 AND Side = 0 AND TrackNumber = 0) ORDER BY TrackNumber DESC LIMIT 1",
        -1, &maxTrack, nullptr);
    std::mt19937 rng(7);
    Record r(def);
    for (auto _ : st) {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        for (int i = 0; i < 1000; ++i) {
            fillSong(r, rng, 1 + static_cast<long>(rng() % 100000));
            sqlite3_step(maxId);
            r["SNG:ID"] = static_cast<std::int64_t>(sqlite3_column_int64(maxId, 0) + 1);
            sqlite3_reset(maxId);
            sqlite3_bind_int64(maxTrack, 1, r["SNG:AlbumID"].toInt());
            sqlite3_bind_int64(maxTrack, 2, r["SNG:Side"].toInt());
            sqlite3_step(maxTrack);
            r["SNG:TrackNumber"] = static_cast<std::int64_t>(sqlite3_column_int64(maxTrack, 0) + 1);
            sqlite3_reset(maxTrack);
            int c = 1;
            for (int f = 0; f < r.fieldCount(); ++f, ++c) {
                if (def.fields[f].type == FieldType::String) {
                    std::string v = r.getText(f);
                    sqlite3_bind_text(ins, c, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
                } else {
                    sqlite3_bind_int64(ins, c, r.getInt(f));
                }
            }
            for (int f : folded) {
                std::string v = r.getText(f); // plain lower-casing stands in for the fold
                for (auto& ch : v)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                sqlite3_bind_text(ins, c++, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
            }
            if (sqlite3_step(ins) != SQLITE_DONE) {
                st.SkipWithError(sqlite3_errmsg(db));
                break;
            }
            sqlite3_reset(ins);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(ins);
    sqlite3_finalize(maxId);
    sqlite3_finalize(maxTrack);
    sqlite3_close(db);
    st.SetItemsProcessed(st.iterations() * 1000);
}

void BM_Memory(benchmark::State& st)
{
    for (auto _ : st)
        benchmark::DoNotOptimize(currentRssKb());
    st.counters["rss_MB"] = static_cast<double>(currentRssKb()) / 1024.0;
    st.counters["peak_rss_MB"] = static_cast<double>(peakRssKb()) / 1024.0;
    st.counters["generate_s"] = g_fx->generateSeconds;
}

} // namespace

BENCHMARK(BM_FirstPage)->DenseRange(0, 12)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_FirstPageRaw)->DenseRange(0, 12)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PageDownUp)->Arg(0)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PageDownUpRaw)->Arg(0)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TypedPrefix)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TypedPrefixRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_FilteredFirstPage)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_FilteredFirstPageRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_FilterMatchingNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FilterMatchingNothingRaw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FilterOrMatchingNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FilterOrMatchingNothingRaw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FilterContainsFew)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FilterContainsFewRaw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OrderExpressionFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OrderExpressionPageMove)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OrderExpressionPageMoveRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OrderComputedFirstPage)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_OrderComputedFirstPageRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OrderExpressionFirstPageRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JoinedFirstPage)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_JoinedFirstPageRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CountByKey)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CountByKeyRaw)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BulkInsert)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(BM_BulkInsertRaw)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
BENCHMARK(BM_Memory)->Iterations(1);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Fixture fx;
    const char* n = std::getenv("QV_BENCH_SONGS");
    fx.songs = n ? std::atol(n) : 1000000;
    fx.albums = std::max(1L, fx.songs / 10);
    const char* base = std::getenv("QV_BENCH_DIR");
    fx.dir = std::string(base ? base : "/tmp") + "/qv-tables-bench-" + std::to_string(fx.songs);
    fs::create_directories(fx.dir);
    if (!fs::exists(fx.dir + "/songs.tps") || !fs::exists(fx.dir + "/.complete")) {
        generate(fx, fx.songs, fx.albums);
        std::FILE* f = std::fopen((fx.dir + "/.complete").c_str(), "w");
        if (f)
            std::fclose(f);
    }
    fx.group = std::make_unique<Group>(fx.dir + "/.qvtables");
    fx.songsTable = std::make_unique<Table>(songsDef());
    fx.albumsTable = std::make_unique<Table>(albumsDef());
    for (Table* t : {fx.songsTable.get(), fx.albumsTable.get()}) {
        t->setFileName(fx.dir + "/" + t->def().fileName);
        t->setGroup(fx.group.get());
        if (t->open() != 0) {
            std::fprintf(stderr, "cannot open %s: %s\n", t->filePath().c_str(), lastError().text.c_str());
            return 1;
        }
    }
    sqlite3_open_v2((fx.dir + "/songs.tps").c_str(), &fx.raw, SQLITE_OPEN_READONLY, nullptr);
    g_fx = &fx;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sqlite3_close(fx.raw);
    return 0;
}
