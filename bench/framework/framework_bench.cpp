// A list over a generated table of a million songs: opening its first page,
// moving by row and by page, jumping to a letter and moving the thumb. Each
// of these reads a page by key position, so none of them should grow with
// the table.
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

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

using namespace qv;
using namespace qv::tables;
namespace fs = std::filesystem;

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

std::string word(std::mt19937& rng)
{
    static const char* syllables[] = {"ka", "lo", "mi", "ne", "ru", "sa", "ti", "vo", "ze", "ba", "do", "fi", "gu"};
    std::string w;
    const int n = 2 + static_cast<int>(rng() % 3);
    for (int i = 0; i < n; ++i)
        w += syllables[rng() % 13];
    w[0] = static_cast<char>(w[0] - 'a' + 'A');
    return w;
}

struct Fixture {
    std::string dir;
    long rows = 1000000;
    std::unique_ptr<Group> group;
    std::unique_ptr<Table> songs;
    std::unique_ptr<fw::TableAccess> access;
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
        controller.setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(kWindow, "bench", "BrowseSongs")));
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
BENCHMARK(BM_OpenFirstPage)->Unit(benchmark::kMillisecond);

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
BENCHMARK(BM_OpenFirstPageFiltered)->Unit(benchmark::kMillisecond);

void BM_ScrollDown(benchmark::State& st)
{
    List l;
    // Past the page's last row, so every step reads a row.
    l.browser.SelectRowAndNotify(l.browser.RowCount());
    for (auto _ : st)
        if (!l.browser.moveRows(1))
            l.browser.scrollTo(fw::ListBrowser::Where::Top);
}
BENCHMARK(BM_ScrollDown)->Unit(benchmark::kMicrosecond);

void BM_PageDown(benchmark::State& st)
{
    List l;
    for (auto _ : st)
        if (!l.browser.movePage(true))
            l.browser.scrollTo(fw::ListBrowser::Where::Top);
}
BENCHMARK(BM_PageDown)->Unit(benchmark::kMicrosecond);

void BM_PageUp(benchmark::State& st)
{
    List l;
    l.browser.scrollTo(fw::ListBrowser::Where::Bottom);
    for (auto _ : st)
        if (!l.browser.movePage(false))
            l.browser.scrollTo(fw::ListBrowser::Where::Bottom);
}
BENCHMARK(BM_PageUp)->Unit(benchmark::kMicrosecond);

void BM_ToBottom(benchmark::State& st)
{
    List l;
    for (auto _ : st)
        l.browser.scrollTo(fw::ListBrowser::Where::Bottom);
}
BENCHMARK(BM_ToBottom)->Unit(benchmark::kMicrosecond);

void BM_LocatorJump(benchmark::State& st)
{
    List l;
    std::mt19937 rng(3);
    for (auto _ : st)
        l.jump.takeKey('A' + static_cast<int>(rng() % 26), l.browser);
}
BENCHMARK(BM_LocatorJump)->Unit(benchmark::kMicrosecond);

void BM_ThumbMove(benchmark::State& st)
{
    List l;
    std::mt19937 rng(5);
    for (auto _ : st) {
        l.browser.scrollToThumb(1 + static_cast<int>(rng() % 99));
        benchmark::DoNotOptimize(l.browser.thumbPosition());
    }
}
BENCHMARK(BM_ThumbMove)->Unit(benchmark::kMicrosecond);

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
    if (!fs::exists(file))
        generate(file, fx.rows);
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
    g_fx = &fx;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fx.access.reset();
    fx.songs->close();
    return 0;
}
