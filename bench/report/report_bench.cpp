// A report of 20,000 pages (a million detail lines) kept in a page queue:
// pages per second and the process's peak memory, against the same pages
// kept as they are made, in a vector; the same report run through its
// definition, band by band, as the listing reports run; and its pages
// written to PDF. Run with --benchmark_repetitions for spread; each run
// starts from a reset peak.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/support/peak_memory.h"
#include "bench/support/words.h"
#include "platform/expr/expression.h"
#include "platform/report/fonts.h"
#include "platform/report/page_queue.h"
#include "platform/report/pdf.h"
#include "platform/report/report_controller.h"
#include "platform/report/report_def.h"

namespace {

constexpr int kPages = 20'000;
constexpr int kLinesPerPage = 50;

using qv::bench::peakMiB;
using qv::bench::resetPeak;

// A listing page: a title, a date and a page number, and fifty song lines
// of title, artist and media as the songs report prints them.
class PageMaker
{
public:
    qv::report::Page make(int number)
    {
        qv::report::Page page;
        qv::report::FontSpec heading;
        heading.size = 14;
        heading.bold = true;
        const std::uint16_t body = page.fontIndex(qv::report::FontSpec{});
        page.steps.push_back(step(500, 300, 7500, "Songs by Media", page.fontIndex(heading)));
        for (int line = 0; line < kLinesPerPage - 3; ++line) {
            const int y = 900 + line * 190;
            std::string words = qv::bench::word(rng_) + " " + qv::bench::word(rng_) + " - " + qv::bench::word(rng_)
                + " " + qv::bench::word(rng_) + "  CD" + std::to_string(rng_() % 2000);
            page.steps.push_back(step(500, y, 6500, std::move(words), body));
        }
        page.steps.push_back(step(500, 10400, 1365, "December 11, 2026", body));
        page.steps.push_back(step(6780, 10400, 700, "Page " + std::to_string(number), body));
        return page;
    }

private:
    static qv::report::DrawStep step(int x, int y, int width, std::string text, std::uint16_t font)
    {
        qv::report::DrawStep s;
        s.x = x;
        s.y = y;
        s.width = width;
        s.height = 170;
        s.text = std::move(text);
        s.font = font;
        return s;
    }

    std::mt19937 rng_{20261211};
};

void BM_QueueOf20000Pages(benchmark::State& state)
{
    const std::size_t bound = static_cast<std::size_t>(state.range(0)) << 20;
    double peak = 0;
    std::size_t spilled = 0;
    for (auto _ : state) {
        resetPeak();
        PageMaker maker;
        qv::report::PageQueue queue(qv::report::PageSetup{}, bound);
        for (int n = 1; n <= kPages; ++n)
            queue.addPage(maker.make(n));
        peak = std::max(peak, peakMiB());
        spilled = queue.spilledBytes();
        benchmark::DoNotOptimize(queue.size());
    }
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(kPages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = peak;
    state.counters["spilled_MiB"] = static_cast<double>(spilled) / (1 << 20);
}

// The peer: every page kept as it was made.
void BM_VectorOf20000Pages(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        PageMaker maker;
        std::vector<qv::report::Page> pages;
        for (int n = 1; n <= kPages; ++n)
            pages.push_back(maker.make(n));
        peak = std::max(peak, peakMiB());
        benchmark::DoNotOptimize(pages.data());
    }
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(kPages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = peak;
}

// Reading every page back, as printing the queue does.
void BM_ReadBack20000Pages(benchmark::State& state)
{
    const std::size_t bound = static_cast<std::size_t>(state.range(0)) << 20;
    PageMaker maker;
    qv::report::PageQueue queue(qv::report::PageSetup{}, bound);
    for (int n = 1; n <= kPages; ++n)
        queue.addPage(maker.make(n));
    for (auto _ : state)
        for (std::size_t i = 0; i < queue.size(); ++i)
            benchmark::DoNotOptimize(queue.page(i).steps.size());
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(kPages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The peer: copying every page out of a vector.
void BM_CopyBack20000Pages(benchmark::State& state)
{
    PageMaker maker;
    std::vector<qv::report::Page> pages;
    for (int n = 1; n <= kPages; ++n)
        pages.push_back(maker.make(n));
    for (auto _ : state)
        for (const auto& page : pages) {
            qv::report::Page copy = page;
            benchmark::DoNotOptimize(copy.steps.size());
        }
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(kPages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The songs listing: two lines of nine fields per song, 25 songs a page.
constexpr const char* kSongsByMedia = R"(
font: {face: Arial, size: 8}
body: [490, 1708, 7010, 8646]
header:
  at: [490, 1000, 7010, 719]
  controls:
    - {type: string, text: Songs by Media, at: [0, 21, 7021, 219], font: {bold: true}, align: center}
    - {type: box, at: [10, 271, 7000, 458]}
    - {type: string, text: Media, at: [42, 313]}
    - {type: string, text: Title, at: [1406, 313]}
    - {type: string, text: Album, at: [2969, 313]}
    - {type: string, text: Artist, at: [4552, 313]}
    - {type: string, text: Category, at: [5969, 313]}
    - {type: string, text: File Number, at: [2969, 490]}
    - {type: string, text: Release Date, at: [4542, 490]}
    - {type: string, text: Track, at: [5969, 490]}
    - {type: string, text: Chart, at: [6531, 490]}
footer:
  at: [490, 10385, 7010, 219]
  controls:
    - {type: rundate, picture: "@d4", at: [21, 10, 1365, 167]}
    - {type: pagenumber, picture: "@pPage <<<#p", at: [6281, 31, 700, 167]}
details:
  - name: Detail
    x: 10
    width: 7010
    height: 344
    controls:
      - {type: text, use: SNG:Media, picture: "@s20", at: [52, 21, 1292, 167]}
      - {type: text, use: SNG:Title, picture: "@s50", at: [1417, 21, 1531, 167]}
      - {type: text, use: SNG:Album, picture: "@s50", at: [2979, 21, 1552, 167]}
      - {type: text, use: SNG:Artist, picture: "@s50", at: [4552, 21, 1400, 167]}
      - {type: text, use: CAT:Category, picture: "@s30", at: [5979, 21, 979, 167]}
      - {type: text, use: SNG:FileNumber, picture: "@s20", at: [2979, 167, 1400, 167]}
      - {type: text, use: SNG:ReleaseDate, picture: "@n4", at: [4552, 167, 760, 167]}
      - {type: text, use: SNG:TrackNumber, picture: "@n3b", at: [5979, 167]}
      - {type: text, use: SNG:ChartNumber, picture: "@n3b", at: [6521, 167]}
)";

constexpr int kSongs = 1'000'000;

// The record buffer the report reads: 4,096 generated songs in turn.
class SongRows
{
public:
    SongRows()
    {
        std::mt19937 rng(20261211);
        for (int i = 0; i < 4096; ++i) {
            using qv::bench::word;
            rows_.push_back({"CD", word(rng) + " " + word(rng), word(rng) + " " + word(rng),
                word(rng) + " " + word(rng), word(rng), "CD" + std::to_string(rng() % 2000),
                1960 + static_cast<int>(rng() % 60), 1 + static_cast<int>(rng() % 20), static_cast<int>(rng() % 100)});
        }
        bindText("SNG:Media", &Row::media);
        bindText("SNG:Title", &Row::title);
        bindText("SNG:Album", &Row::album);
        bindText("SNG:Artist", &Row::artist);
        bindText("CAT:Category", &Row::category);
        bindText("SNG:FileNumber", &Row::fileNumber);
        bindNumber("SNG:ReleaseDate", &Row::year);
        bindNumber("SNG:TrackNumber", &Row::track);
        bindNumber("SNG:ChartNumber", &Row::chart);
    }

    void next() { current_ = (current_ + 1) % rows_.size(); }
    const qv::expr::Bindings& bindings() const { return names_; }

private:
    struct Row {
        std::string media, title, album, artist, category, fileNumber;
        int year, track, chart;
    };
    void bindText(std::string_view name, std::string Row::*field)
    {
        names_.bind(name, [this, field] { return qv::expr::Value(rows_[current_].*field); });
    }
    void bindNumber(std::string_view name, int Row::*field)
    {
        names_.bind(name, [this, field] { return qv::expr::Value(rows_[current_].*field); });
    }

    std::vector<Row> rows_;
    std::size_t current_ = 0;
    qv::expr::NameTable names_;
};

// A million songs printed band by band through the report's definition.
void BM_SongsListingOf1000000Songs(benchmark::State& state)
{
    qv::report::ensureFontSystem();
    double peak = 0;
    std::size_t pages = 0;
    for (auto _ : state) {
        resetPeak();
        SongRows songs;
        qv::report::PageQueue queue;
        qv::report::ReportController report(
            qv::report::parseReportDef(kSongsByMedia, "bench", "SongsByMedia"), songs.bindings(), queue);
        for (int n = 0; n < kSongs; ++n) {
            report.printBand("Detail");
            songs.next();
        }
        report.close();
        pages = queue.size();
        peak = std::max(peak, peakMiB());
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(pages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = peak;
}

// The same pages written to a PDF file in a temporary folder.
void BM_PdfOf20000Pages(benchmark::State& state)
{
    qv::report::ensureFontSystem();
    PageMaker maker;
    qv::report::PageQueue queue;
    for (int n = 1; n <= kPages; ++n)
        queue.addPage(maker.make(n));
    const std::string file = std::filesystem::temp_directory_path() / "report_bench.pdf";
    double peak = 0;
    double megabytes = 0;
    for (auto _ : state) {
        resetPeak();
        std::string error;
        if (!qv::report::writePdf(queue, file, "Songs by Media", error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        peak = std::max(peak, peakMiB());
        megabytes = static_cast<double>(std::filesystem::file_size(file)) / (1 << 20);
    }
    std::filesystem::remove(file);
    state.counters["pages_per_s"] = benchmark::Counter(
        static_cast<double>(kPages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = peak;
    state.counters["file_MiB"] = megabytes;
}

} // namespace

// The queue first: the peak is reset per run, but freed heap may stay mapped.
BENCHMARK(BM_QueueOf20000Pages)->Arg(32)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_VectorOf20000Pages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReadBack20000Pages)->Arg(32)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyBack20000Pages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SongsListingOf1000000Songs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PdfOf20000Pages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();
