// A report of 20,000 pages (a million detail lines) kept in a page queue:
// pages per second and the process's peak memory, against the same pages
// kept as they are made, in a vector. Run with --benchmark_repetitions for
// spread; each run starts from a reset peak.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/support/words.h"
#include "platform/report/page_queue.h"

namespace {

constexpr int kPages = 20'000;
constexpr int kLinesPerPage = 50;

// The peak resident memory since the last reset, in MiB.
double peakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

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

} // namespace

// The queue first: the peak is reset per run, but freed heap may stay mapped.
BENCHMARK(BM_QueueOf20000Pages)->Arg(32)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_VectorOf20000Pages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ReadBack20000Pages)->Arg(32)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyBack20000Pages)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
