// Files per second for GetMP3Data over 2,000 generated MP3 files, side by side
// with TagLib reading the same files' audio properties and ID3v1 tag, and with
// the floor of opening each file, reading its first 4 KiB and its last 128 bytes
// and closing it. The files are read once before the runs, so every contender
// reads from the page cache.
//
// Environment: QV_BENCH_DIR puts the files in that folder (kept afterwards);
// otherwise they go to a temporary folder that is removed at the end.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "hdrscan/get_mp3_data.h"

#ifdef HDRSCAN_BENCH_TAGLIB
#include <taglib/audioproperties.h>
#include <taglib/id3v1tag.h>
#include <taglib/mpegfile.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int kFileCount = 2000;
constexpr int kMpeg1Layer3Rates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

struct Collection {
    std::vector<std::string> all;
    std::vector<std::string> withCover; // a large ID3v2 block in front
    std::uintmax_t bytes = 0;
};

Collection gFiles;

void PutBigEndian(Bytes& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutText(Bytes& b, const std::string& s)
{
    b.insert(b.end(), s.begin(), s.end());
}

// One ID3v2.3 frame.
void PutFrame(Bytes& b, const char* id, const Bytes& body)
{
    PutText(b, id);
    PutBigEndian(b, static_cast<std::uint32_t>(body.size()));
    b.push_back(0);
    b.push_back(0);
    b.insert(b.end(), body.begin(), body.end());
}

Bytes Utf16Text(const std::string& ascii)
{
    Bytes body = {1, 0xFF, 0xFE};
    for (char c : ascii) {
        body.push_back(static_cast<std::uint8_t>(c));
        body.push_back(0);
    }
    return body;
}

// An ID3v2.3 tag with UTF-16 title and artist and a cover picture.
Bytes Id3v2WithCover(int n, std::size_t pictureSize, std::mt19937& rng)
{
    Bytes frames;
    PutFrame(frames, "TIT2", Utf16Text("Track " + std::to_string(n)));
    PutFrame(frames, "TPE1", Utf16Text("Some Artist"));
    Bytes picture;
    PutText(picture, std::string("\0image/jpeg\0\3\0", 14));
    picture.push_back(0xFF);
    picture.push_back(0xD8);
    for (std::size_t i = 0; i < pictureSize; ++i)
        picture.push_back(static_cast<std::uint8_t>(rng()));
    PutFrame(frames, "APIC", picture);
    frames.resize(frames.size() + 1024, 0); // padding, as taggers leave it

    Bytes tag = {'I', 'D', '3', 3, 0, 0};
    const auto size = static_cast<std::uint32_t>(frames.size());
    for (int shift = 21; shift >= 0; shift -= 7)
        tag.push_back(static_cast<std::uint8_t>(size >> shift & 0x7F));
    tag.insert(tag.end(), frames.begin(), frames.end());
    return tag;
}

// A stream of MPEG 1 Layer III frames at 44100 Hz, joint stereo; a variable
// bit-rate stream starts with a Xing frame that counts them.
Bytes AudioFrames(int frames, bool variable, std::mt19937& rng)
{
    Bytes b;
    auto frame = [&](int index, const Bytes& body) {
        const std::size_t length = 144000u * kMpeg1Layer3Rates[index] / 44100u;
        const std::size_t start = b.size();
        b.push_back(0xFF);
        b.push_back(0xFB);
        b.push_back(static_cast<std::uint8_t>(index << 4));
        b.push_back(0x40);
        b.insert(b.end(), body.begin(), body.end());
        b.resize(start + length, 0);
    };
    if (variable) {
        Bytes xing(32, 0);
        PutText(xing, "Xing");
        PutBigEndian(xing, 1);
        PutBigEndian(xing, static_cast<std::uint32_t>(frames));
        frame(9, xing);
    }
    const int fixedIndex = 9 + static_cast<int>(rng() % 5);
    for (int i = 0; i < frames; ++i)
        frame(variable ? 9 + static_cast<int>(rng() % 6) : fixedIndex, {});
    return b;
}

Bytes Id3v1(int n)
{
    Bytes tag(128, 0);
    auto put = [&](std::size_t at, const std::string& s) { std::copy(s.begin(), s.end(), tag.begin() + at); };
    put(0, "TAG");
    put(3, "Track " + std::to_string(n));
    put(33, "Some Artist");
    put(63, "Some Album");
    put(93, "2001");
    put(97, "generated");
    tag[126] = static_cast<std::uint8_t>(n % 20 + 1);
    tag[127] = static_cast<std::uint8_t>(n % 126);
    return tag;
}

void Generate(const fs::path& dir)
{
    std::mt19937 rng(2610);
    for (int n = 0; n < kFileCount; ++n) {
        Bytes file;
        const bool cover = n % 4 == 0;
        if (cover)
            file = Id3v2WithCover(n, 100000 + rng() % 400000, rng);
        const Bytes audio = AudioFrames(300 + static_cast<int>(rng() % 1200), n % 3 == 0, rng);
        file.insert(file.end(), audio.begin(), audio.end());
        const Bytes tag = Id3v1(n);
        file.insert(file.end(), tag.begin(), tag.end());

        char name[32];
        std::snprintf(name, sizeof name, "song%04d.mp3", n);
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        gFiles.all.push_back(path);
        if (cover)
            gFiles.withCover.push_back(path);
        gFiles.bytes += file.size();
    }
}

// Reads every file once so that all contenders find them in the page cache.
void WarmUp()
{
    std::vector<char> buf(1 << 20);
    for (const std::string& path : gFiles.all) {
        std::ifstream in(path, std::ios::binary);
        while (in.read(buf.data(), static_cast<std::streamsize>(buf.size()))) { }
    }
}

const std::vector<std::string>& Files(const benchmark::State& state)
{
    return state.range(0) ? gFiles.withCover : gFiles.all;
}

template <class Read> void OverFiles(benchmark::State& state, Read read)
{
    const std::vector<std::string>& files = Files(state);
    std::size_t i = 0;
    for (auto _ : state) {
        read(files[i].c_str());
        if (++i == files.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(state.range(0) ? "with cover" : "all files");
}

void BM_GetMP3Data(benchmark::State& state)
{
    OverFiles(state, [](const char* path) {
        char title[255], artist[255], album[255], comment[255], genre[255], version[255], mode[255];
        std::int32_t year, track, size, frequency, bitRate, length;
        benchmark::DoNotOptimize(GetMP3Data(path, title, artist, album, comment, genre, &year, &track, &size, version,
            mode, &frequency, &bitRate, &length));
        benchmark::DoNotOptimize(length);
    });
}

#ifdef HDRSCAN_BENCH_TAGLIB
void BM_TagLib(benchmark::State& state)
{
    OverFiles(state, [](const char* path) {
        TagLib::MPEG::File file(path, true, TagLib::AudioProperties::Average);
        if (const TagLib::MPEG::Properties* p = file.audioProperties()) {
            benchmark::DoNotOptimize(p->lengthInSeconds());
            benchmark::DoNotOptimize(p->bitrate());
            benchmark::DoNotOptimize(p->sampleRate());
            benchmark::DoNotOptimize(p->channelMode());
        }
        if (TagLib::ID3v1::Tag* tag = file.ID3v1Tag()) {
            benchmark::DoNotOptimize(tag->title());
            benchmark::DoNotOptimize(tag->artist());
            benchmark::DoNotOptimize(tag->album());
            benchmark::DoNotOptimize(tag->comment());
            benchmark::DoNotOptimize(tag->genre());
            benchmark::DoNotOptimize(tag->year());
            benchmark::DoNotOptimize(tag->track());
        }
    });
}
#endif

void BM_Floor(benchmark::State& state)
{
    OverFiles(state, [](const char* path) {
        char buf[4096];
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        benchmark::DoNotOptimize(::read(fd, buf, sizeof buf));
        if (::lseek(fd, -128, SEEK_END) >= 0)
            benchmark::DoNotOptimize(::read(fd, buf, 128));
        ::close(fd);
        benchmark::ClobberMemory();
    });
}

// Prints the console report, then the rates side by side: each ratio pairs two
// contenders' rates over the same set of files in this run, never one set's
// rate with another's.
class SideBySide : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("items_per_second");
            if (it == run.counters.end())
                continue;
            // With repetitions the median stands for the run; otherwise the run itself.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!median && !(run.run_type == Run::RT_Iteration && run.repetitions <= 1))
                continue;
            // The benchmark's argument names the set of files; the label only describes it.
            Set& set = sets_[run.run_name.args];
            set.label = run.report_label;
            set.rates[run.run_name.function_name] = it->second.value;
        }
    }

    void Summary() const
    {
        for (const auto& [args, set] : sets_) {
            auto rate = [&](const char* name) {
                const auto it = set.rates.find(name);
                return it == set.rates.end() ? 0.0 : it->second;
            };
            const double ours = rate("BM_GetMP3Data"), taglib = rate("BM_TagLib"), floor = rate("BM_Floor");
            std::printf("\n%s: GetMP3Data %.0f files/s, TagLib %.0f files/s, floor %.0f files/s (wall-clock)\n",
                set.label.c_str(), ours, taglib, floor);
            if (taglib > 0 && ours > 0)
                std::printf("  GetMP3Data / TagLib = %.1fx (goal >= 10x)\n", ours / taglib);
            if (floor > 0 && ours > 0)
                std::printf("  floor / GetMP3Data  = %.2fx (goal <= 2x)\n", floor / ours);
        }
    }

private:
    struct Set {
        std::string label;
        std::map<std::string, double> rates; // files per second, by benchmark
    };
    std::map<std::string, Set> sets_; // by the benchmark's argument
};

} // namespace

BENCHMARK(BM_GetMP3Data)->Arg(0)->Arg(1)->UseRealTime();
#ifdef HDRSCAN_BENCH_TAGLIB
BENCHMARK(BM_TagLib)->Arg(0)->Arg(1)->UseRealTime();
#endif
BENCHMARK(BM_Floor)->Arg(0)->Arg(1)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    fs::path dir;
    bool keep = false;
    if (const char* chosen = std::getenv("QV_BENCH_DIR"); chosen && *chosen) {
        dir = fs::path(chosen) / "hdrscan";
        keep = true;
        fs::remove_all(dir);
        fs::create_directories(dir);
    } else {
        const char* tmp = std::getenv("TMPDIR");
        std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/hdrscan-bench-XXXXXX";
        if (!::mkdtemp(templ.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        dir = templ;
    }

    Generate(dir);
    // Written back before the runs, so that no contender pays for the writing.
    ::sync();
    WarmUp();
    std::printf("%zu files (%zu with a cover), %.0f MiB in %s\n", gFiles.all.size(), gFiles.withCover.size(),
        static_cast<double>(gFiles.bytes) / (1 << 20), dir.c_str());

    SideBySide reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Summary();
    benchmark::Shutdown();

    if (!keep)
        fs::remove_all(dir);
    return 0;
}
