// A list over a generated table of a million songs: opening its first page,
// moving by row and by page, jumping to a letter and moving the thumb. Each
// of these reads a page by key position, so none of them should grow with
// the table. Beside each, the same reads written directly against SQLite on
// the same file (the *Raw benchmarks): the statement a hand-written list
// would run, prepared once, every column of every row read. All are timed in
// wall-clock time.
//
//   framework_bench [--benchmark_filter=...]
//   QV_BENCH_ROWS=100000 framework_bench   (a smaller table)
//   QV_BENCH_DIR=/path framework_bench     (where the table is kept; default /tmp)
//
// The table is generated once and kept for later runs.

#include "platform/framework/error_reporter.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/locators.h"
#include "platform/framework/table_access.h"
#include "platform/framework/thumb_step.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/keycodes.h"
#include "platform/tables/group.h"
#include "platform/tables/table.h"
#include "platform/tables/view.h"

#include "bench/support/words.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>

using namespace qv;
using namespace qv::tables;
namespace fs = std::filesystem;
using bench::word;

namespace {

TableDef songsDef()
{
    TableDef d;
    d.label = "Quorvel";
    d.prefix = "SNG";
    d.fileName = "listsongs";
    d.description = "Songs";
    d.fields = {longField("SNG:ID"), stringField("SNG:Artist", 50), stringField("SNG:Title", 50),
        stringField("SNG:Media", 20), longField("SNG:ReleaseDate")};
    d.keys = {{"SNG:KEYID", "Unique Song ID", {"ID"}, true, true, 1, true},
        {"SNG:SongsByTitle", "Songs By Title", {"Title", "Artist"}, false, false, 0, false},
        {"SNG:SongsByMedia", "Songs By Media", {"Media", "Title"}, false, false, 0, false}};
    return d;
}

constexpr const char* kWindow = R"(
title: Songs
controls:
  - {type: list, name: List, at: [0, 0, 300, 320]}
  - {type: button, name: Change, text: "&Change"}
)";

struct Fixture {
    std::string dir;
    long rows = 1000000;
    std::unique_ptr<Group> group;
    std::unique_ptr<Table> songs;
    std::unique_ptr<fw::TableAccess> access;
    sqlite3* raw = nullptr;
};
Fixture* g_fx = nullptr;

void generate(const std::string& file, long rows)
{
    const auto t0 = std::chrono::steady_clock::now();
    Table t(songsDef());
    Group g(file + ".gen");
    t.setFileName(file);
    t.setGroup(&g);
    t.create();
    t.open();
    std::mt19937 rng(7);
    static const char* media[] = {"CD", "LP", "Cassette", "MP3"};
    g.begin();
    for (long i = 1; i <= rows; ++i) {
        t.record().clear();
        t.record()["SNG:Artist"] = word(rng) + " " + word(rng);
        t.record()["SNG:Title"] = word(rng) + " " + word(rng);
        t.record()["SNG:Media"] = media[rng() % 4];
        t.record()["SNG:ReleaseDate"] = 1950 + static_cast<int>(rng() % 75);
        t.insert();
        if (i % 50000 == 0) {
            g.commit();
            g.begin();
            std::fprintf(stderr, "\r%ld rows", i);
        }
    }
    g.commit();
    t.close();
    std::fprintf(stderr, "\rgenerated %ld rows in %.0f s\n", rows,
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
}

// A list window as a procedure builds it; the window need not be shown.
struct List {
    fw::WindowController controller{"BrowseSongs"};
    View view;
    fw::ViewReader reader;
    fw::ListBrowser browser;
    fw::KeyJumpLocator jump;
    fw::ThumbStepText thumb;

    explicit List(bool open = true)
        : view(*g_fx->songs)
        , reader(view, *g_fx->access)
        , browser(reader, "?List")
    {
        // The program parses a window's definition once and opens every window from it.
        static const auto def
            = std::make_shared<const rt::WindowDef>(rt::parseWindowDef(kWindow, "bench", "BrowseSongs"));
        controller.setWindow(std::make_unique<rt::Window>(def));
        const int byTitle = reader.AddSortOrder("SNG:SongsByTitle");
        browser.addField(g_fx->songs->record(), "SNG:Title");
        browser.addField(g_fx->songs->record(), "SNG:Artist");
        browser.addField(g_fx->songs->record(), "SNG:Media");
        browser.setPageSize(40);
        browser.setLocator(byTitle, &jump);
        browser.setThumbStep(byTitle, &thumb);
        browser.setChangeControl("?Change");
        browser.setUpdateProcedure(1);
        if (open)
            browser.Prepare(controller);
    }
};

void BM_OpenFirstPage(benchmark::State& st)
{
    for (auto _ : st) {
        List l(false);
        l.browser.Prepare(l.controller);
        benchmark::DoNotOptimize(l.browser.RowCount());
    }
    st.counters["rows"] = static_cast<double>(g_fx->rows);
}
BENCHMARK(BM_OpenFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenFirstPageFiltered(benchmark::State& st)
{
    // A named filter that a quarter of the rows pass: the page reads on until it is full.
    for (auto _ : st) {
        List l(false);
        l.reader.setFilter("6 Query", std::string("SNG:Media = 'LP'"));
        l.browser.Prepare(l.controller);
        benchmark::DoNotOptimize(l.browser.RowCount());
    }
}
BENCHMARK(BM_OpenFirstPageFiltered)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScrollDown(benchmark::State& st)
{
    List l;
    // Past the page's last row, so every step reads a row.
    l.browser.SelectRowAndNotify(l.browser.RowCount());
    for (auto _ : st)
        if (!l.browser.moveRows(1))
            l.browser.scrollTo(fw::ListBrowser::Where::Top);
}
BENCHMARK(BM_ScrollDown)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PageDown(benchmark::State& st)
{
    List l;
    for (auto _ : st)
        if (!l.browser.movePage(true))
            l.browser.scrollTo(fw::ListBrowser::Where::Top);
}
BENCHMARK(BM_PageDown)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PageUp(benchmark::State& st)
{
    List l;
    l.browser.scrollTo(fw::ListBrowser::Where::Bottom);
    for (auto _ : st)
        if (!l.browser.movePage(false))
            l.browser.scrollTo(fw::ListBrowser::Where::Bottom);
}
BENCHMARK(BM_PageUp)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ToBottom(benchmark::State& st)
{
    List l;
    for (auto _ : st)
        l.browser.scrollTo(fw::ListBrowser::Where::Bottom);
}
BENCHMARK(BM_ToBottom)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_LocatorJump(benchmark::State& st)
{
    List l;
    std::mt19937 rng(3);
    for (auto _ : st)
        l.jump.takeKey('A' + static_cast<int>(rng() % 26), l.browser);
}
BENCHMARK(BM_LocatorJump)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ThumbMove(benchmark::State& st)
{
    List l;
    std::mt19937 rng(5);
    for (auto _ : st) {
        l.browser.scrollToThumb(1 + static_cast<int>(rng() % 99));
        benchmark::DoNotOptimize(l.browser.thumbPosition());
    }
}
BENCHMARK(BM_ThumbMove)->Unit(benchmark::kMicrosecond)->UseRealTime();

// ---- the same reads written directly against SQLite ------------------------------------

// The list's order: the title key (its folded copies), the record id last.
constexpr const char* kRawColumns = "_rid, _chg, ID, Artist, Title, Media, ReleaseDate, _k_Title, _k_Artist";
constexpr const char* kRawOrder = "_k_Title, _k_Artist, _rid";
constexpr const char* kRawOrderDown = "_k_Title DESC, _k_Artist DESC, _rid DESC";

sqlite3_stmt* rawStatement(const std::string& where, bool backward = false)
{
    const std::string sql = std::string("SELECT ") + kRawColumns + " FROM Quorvel"
        + (where.empty() ? "" : " WHERE " + where) + " ORDER BY " + (backward ? kRawOrderDown : kRawOrder) + " LIMIT ?";
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(g_fx->raw, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n%s\n", sql.c_str(), sqlite3_errmsg(g_fx->raw));
    return s;
}

// A row's place in the order, to read on from.
struct RawPlace {
    std::string title, artist;
    sqlite3_int64 rid = 0;
};

// Reads up to n rows, every column, and keeps the last row's place.
int rawRows(sqlite3_stmt* s, int n, RawPlace* last = nullptr)
{
    sqlite3_bind_int(s, sqlite3_bind_parameter_count(s), n);
    int rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        for (int c = 0; c < 7; ++c)
            benchmark::DoNotOptimize(sqlite3_column_text(s, c));
        if (last)
            *last = {reinterpret_cast<const char*>(sqlite3_column_text(s, 7)),
                reinterpret_cast<const char*>(sqlite3_column_text(s, 8)), sqlite3_column_int64(s, 0)};
        ++rows;
    }
    sqlite3_reset(s);
    return rows;
}

void bindPlace(sqlite3_stmt* s, const RawPlace& p)
{
    sqlite3_bind_text(s, 1, p.title.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, 2, p.artist.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 3, p.rid);
}

void BM_OpenFirstPageRaw(benchmark::State& st)
{
    sqlite3_stmt* s = rawStatement("");
    for (auto _ : st)
        benchmark::DoNotOptimize(rawRows(s, 40));
    sqlite3_finalize(s);
}
BENCHMARK(BM_OpenFirstPageRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenFirstPageFilteredRaw(benchmark::State& st)
{
    // No key serves the filter in this order: the title key is read until the page is full.
    sqlite3_stmt* s = rawStatement("Media = 'LP'");
    for (auto _ : st)
        benchmark::DoNotOptimize(rawRows(s, 40));
    sqlite3_finalize(s);
}
BENCHMARK(BM_OpenFirstPageFilteredRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScrollDownRaw(benchmark::State& st)
{
    sqlite3_stmt* first = rawStatement("");
    sqlite3_stmt* after = rawStatement("(_k_Title, _k_Artist, _rid) > (?, ?, ?)");
    RawPlace at;
    rawRows(first, 40, &at);
    for (auto _ : st) {
        bindPlace(after, at);
        if (rawRows(after, 1, &at) == 0)
            rawRows(first, 40, &at);
    }
    sqlite3_finalize(first);
    sqlite3_finalize(after);
}
BENCHMARK(BM_ScrollDownRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PageDownRaw(benchmark::State& st)
{
    sqlite3_stmt* first = rawStatement("");
    sqlite3_stmt* after = rawStatement("(_k_Title, _k_Artist, _rid) > (?, ?, ?)");
    RawPlace at;
    rawRows(first, 40, &at);
    for (auto _ : st) {
        bindPlace(after, at);
        if (rawRows(after, 40, &at) == 0)
            rawRows(first, 40, &at);
    }
    sqlite3_finalize(first);
    sqlite3_finalize(after);
}
BENCHMARK(BM_PageDownRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_PageUpRaw(benchmark::State& st)
{
    sqlite3_stmt* last = rawStatement("", true);
    sqlite3_stmt* before = rawStatement("(_k_Title, _k_Artist, _rid) < (?, ?, ?)", true);
    RawPlace at;
    rawRows(last, 40, &at);
    for (auto _ : st) {
        bindPlace(before, at);
        if (rawRows(before, 40, &at) == 0)
            rawRows(last, 40, &at);
    }
    sqlite3_finalize(last);
    sqlite3_finalize(before);
}
BENCHMARK(BM_PageUpRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ToBottomRaw(benchmark::State& st)
{
    sqlite3_stmt* s = rawStatement("", true);
    for (auto _ : st)
        benchmark::DoNotOptimize(rawRows(s, 40));
    sqlite3_finalize(s);
}
BENCHMARK(BM_ToBottomRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A page from the first title at or after a value, as a letter jump and a thumb locate one.
void rawLocate(benchmark::State& st, const std::function<std::string()>& value)
{
    sqlite3_stmt* s = rawStatement("_k_Title >= ?");
    for (auto _ : st) {
        const std::string v = value();
        sqlite3_bind_text(s, 1, v.c_str(), -1, SQLITE_TRANSIENT);
        benchmark::DoNotOptimize(rawRows(s, 40));
    }
    sqlite3_finalize(s);
}

void BM_LocatorJumpRaw(benchmark::State& st)
{
    std::mt19937 rng(3);
    rawLocate(st, [&] { return std::string(1, static_cast<char>('a' + rng() % 26)); });
}
BENCHMARK(BM_LocatorJumpRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ThumbMoveRaw(benchmark::State& st)
{
    std::mt19937 rng(5);
    fw::ThumbStepText thumb;
    rawLocate(st, [&] {
        std::string v = thumb.Value(1 + static_cast<int>(rng() % 99));
        for (char& c : v)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return v;
    });
}
BENCHMARK(BM_ThumbMoveRaw)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    Fixture fx;
    const char* dir = std::getenv("QV_BENCH_DIR");
    const char* rows = std::getenv("QV_BENCH_ROWS");
    if (rows)
        fx.rows = std::atol(rows);
    fx.dir = std::string(dir ? dir : "/tmp") + "/qv-framework-bench-" + std::to_string(fx.rows);
    fs::create_directories(fx.dir);
    const std::string file = fx.dir + "/listsongs.tps";
    // A generation cut short leaves a file without the mark and is made again.
    if (!fs::exists(file) || !fs::exists(fx.dir + "/.complete")) {
        fs::remove(file);
        generate(file, fx.rows);
        std::FILE* done = std::fopen((fx.dir + "/.complete").c_str(), "w");
        if (done)
            std::fclose(done);
    }
    fx.group = std::make_unique<Group>(fx.dir + "/.qvlists");
    fx.songs = std::make_unique<Table>(songsDef());
    fx.songs->setFileName(file);
    fx.songs->setGroup(fx.group.get());
    if (fx.songs->open() != 0) {
        std::fprintf(stderr, "cannot open %s\n", file.c_str());
        return 1;
    }
    fw::ErrorReporter reporter;
    fx.access = std::make_unique<fw::TableAccess>(*fx.songs, reporter);
    sqlite3_open_v2(file.c_str(), &fx.raw, SQLITE_OPEN_READONLY, nullptr);
    g_fx = &fx;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sqlite3_close(fx.raw);
    fx.access.reset();
    fx.songs->close();
    return 0;
}
