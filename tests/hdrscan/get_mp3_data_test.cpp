// GetMP3Data as a caller meets it: the export itself, files it cannot read,
// odd paths, tiny and huge files, and calls from several threads.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>

#include <sys/stat.h>

#include <atomic>
#include <limits>
#include <thread>

#include "tests/hdrscan/mp3_fixture.h"

namespace qv::hdrscan::test {
namespace {

void ExpectNothingFound(const Result& r, std::int32_t size)
{
    for (const char* text : {r.title, r.artist, r.album, r.comment, r.genre, r.version, r.mode})
        EXPECT_EQ(r.Text(text), "");
    EXPECT_EQ(r.year, 0);
    EXPECT_EQ(r.track, -1);
    EXPECT_EQ(r.size, size);
    EXPECT_EQ(r.frequency, 0);
    EXPECT_EQ(r.bitRate, 0);
    EXPECT_EQ(r.length, 0);
    EXPECT_FALSE(r.result);
    EXPECT_EQ(r.returned, 0);
    EXPECT_TRUE(r.TextsWrittenAs32Bytes());
}

Tag FullTag()
{
    Tag t;
    t.title = "Title";
    t.artist = "Artist";
    t.year = "1999";
    t.genre = 17;
    return t;
}

TEST(HdrscanExport, IsFoundByItsPlainName)
{
    void* lib = ::dlopen(HDRSCAN_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr) << ::dlerror();
    EXPECT_EQ(::dlsym(lib, "GetMP3Data"), reinterpret_cast<void*>(&GetMP3Data));
    ::dlclose(lib);
}

TEST(HdrscanUnreadable, MissingFile)
{
    TempDir dir;
    ExpectNothingFound(Read((dir.path() / "absent.mp3").c_str()), 0);
}

TEST(HdrscanUnreadable, Folder)
{
    ExpectNothingFound(Read(TempDir().path().c_str()), 0);
}

TEST(HdrscanUnreadable, NamedPipeDoesNotBlock)
{
    TempDir dir;
    const std::string fifo = (dir.path() / "pipe.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ExpectNothingFound(Read(fifo.c_str()), 0);
}

TEST(HdrscanUnreadable, NullPath)
{
    ExpectNothingFound(Read(nullptr), 0);
}

TEST(HdrscanUnreadable, EmptyPath)
{
    ExpectNothingFound(Read(""), 0);
}

TEST(HdrscanNoFrameHeader, TagIsNotReadAndSizeIsKnown)
{
    TempDir dir;
    const Image image = Image(5000).Append(FullTag().Encode());
    ExpectNothingFound(Read(dir.Write("noise.mp3", image.bytes()).c_str()), 5128);
}

TEST(HdrscanShortFiles, TooShortForAHeaderOrATag)
{
    TempDir dir;
    const Bytes header = Header{}.Encode();
    for (std::size_t n : {0u, 1u, 3u}) {
        SCOPED_TRACE(n);
        ExpectNothingFound(Read(dir.Write("short.mp3", Bytes(header.begin(), header.begin() + n)).c_str()),
            static_cast<std::int32_t>(n));
    }
    const Result four = Read(dir.Write("four.mp3", header).c_str());
    EXPECT_EQ(four.Text(four.version), "MPEG 1 Layer III");
    EXPECT_EQ(four.size, 4);
    EXPECT_EQ(four.length, 0);
    EXPECT_EQ(four.track, -1);
    EXPECT_EQ(four.Text(four.genre), "");
    EXPECT_FALSE(four.result);
}

TEST(HdrscanShortFiles, HeaderAndTagAlone)
{
    TempDir dir;
    const Image image = Image().Append(Header{}.Encode()).Append(FullTag().Encode());
    const Result r = Read(dir.Write("tiny.mp3", image.bytes()).c_str());
    EXPECT_EQ(r.Text(r.version), "MPEG 1 Layer III");
    EXPECT_EQ(r.Text(r.title), "Title");
    EXPECT_EQ(r.Text(r.genre), "Rock");
    EXPECT_EQ(r.year, 1999);
    EXPECT_EQ(r.size, 132);
}

// A path of "./" steps that names `name` in the folder with exactly `length` characters.
std::string PathOfLength(const TempDir& dir, const std::string& name, std::size_t length)
{
    std::string path = dir.path().string() + "/";
    while (path.size() + 2 + name.size() <= length)
        path += "./";
    while (path.size() + name.size() < length)
        path += "/";
    return path + name;
}

TEST(HdrscanPaths, UpTo255CharactersAreRead)
{
    TempDir dir;
    dir.Write("a.mp3", Image(1280).Put(0, Header{}.Encode()).bytes());
    const std::string path = PathOfLength(dir, "a.mp3", 255);
    ASSERT_EQ(path.size(), 255u);
    const Result r = Read(path.c_str());
    EXPECT_EQ(r.Text(r.version), "MPEG 1 Layer III");
    EXPECT_EQ(r.size, 1280);
}

TEST(HdrscanPaths, LongerPathsAreNotCutShort)
{
    // Cut to 255 characters, this path would name a different file that exists.
    TempDir dir;
    const std::string cut = PathOfLength(dir, "a.mp3", 255);
    const std::string path = cut + "-long";
    dir.Write("a.mp3", Image(1280).Put(0, Header{}.Encode()).bytes());
    dir.Write("a.mp3-long", Image(1280).Put(0, Header{}.Encode()).bytes());
    ExpectNothingFound(Read(path.c_str()), 0);
}

TEST(HdrscanPaths, UnterminatedPathIsNotReadPastItsBuffer)
{
    const long page = ::sysconf(_SC_PAGESIZE);
    void* mem = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mem, MAP_FAILED);
    ASSERT_EQ(::mprotect(static_cast<char*>(mem) + page, page, PROT_NONE), 0);
    char* path = static_cast<char*>(mem) + page - 256; // ends at the guard page
    std::memset(path, 'a', 256);
    ExpectNothingFound(Read(path), 0);
    ::munmap(mem, 2 * page);
}

TEST(HdrscanOutputs, NullOutputsAreLeftAlone)
{
    TempDir dir;
    const std::string path = dir.Write("a.mp3", Image(10000).Put(0, Header{}.Encode()).bytes());
    EXPECT_EQ(GetMP3Data(path.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                  nullptr, nullptr, nullptr, nullptr),
        1);
}

TEST(HdrscanLargeFiles, SizeBeyond32BitsIsCappedAndTimedFromTheRealSize)
{
    TempDir dir;
    const std::string path = dir.Write("big.mp3", Header{}.Encode());
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const bool grown = ::ftruncate(fd, 3000000000LL) == 0;
    ::close(fd);
    if (!grown)
        GTEST_SKIP() << "no room for a sparse file";
    const Result r = Read(path.c_str());
    EXPECT_EQ(r.size, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(r.length, 187500); // 3e9 bytes at 128 kbit/s
    EXPECT_TRUE(r.result);
}

TEST(HdrscanThreads, CallsAtTheSameTimeKeepTheirOwnResults)
{
    TempDir dir;
    const std::string a
        = dir.Write("a.mp3", Image(320000).Put(0, Header{}.Encode()).Append(FullTag().Encode()).bytes());
    const std::string b
        = dir.Write("b.mp3", Image(320000).Put(70000, Header{kMpeg2, kLayer3, 8, 0, kSingleChannel}.Encode()).bytes());
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                const Result r = Read((t + i) % 2 ? a.c_str() : b.c_str());
                const bool ok = (t + i) % 2
                    ? r.Text(r.version) == "MPEG 1 Layer III" && r.Text(r.title) == "Title" && r.bitRate == 128
                    : r.Text(r.version) == "MPEG 2 Layer III" && r.Text(r.title).empty() && r.bitRate == 64;
                if (!ok)
                    ++wrong;
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace qv::hdrscan::test
