#include <gtest/gtest.h>

#include "fixture.h"
#include "platform/cdaudio/toc.h"

namespace qv::cdaudio::testing {
namespace {

DiscToc tocOf(const std::vector<std::int32_t>& starts, std::int32_t leadout)
{
    DiscToc toc;
    for (std::size_t i = 0; i < starts.size(); ++i)
        toc.tracks.push_back({static_cast<int>(i + 1), starts[i], true});
    toc.leadout = leadout;
    return toc;
}

// Real discs and the identifiers the disc databases publish for them.
TEST(DiscId, RealDiscsReadFromTheirTocFiles)
{
    struct Disc {
        const char* file;
        const char* id;
    };
    for (const Disc& d :
        {Disc{"reference22.toc", "370fce16"}, Disc{"enhanced10.toc", "890e120a"}, Disc{"eleven.toc", "920ef00b"}}) {
        const TocFileResult r = loadTocFile(discFile(d.file));
        ASSERT_TRUE(r.file) << r.error;
        EXPECT_EQ(cddbDiscIdText(r.file->toc), d.id) << d.file;
        EXPECT_EQ(cddbDiscId(r.file->toc), std::stoul(d.id, nullptr, 16)) << d.file;
    }
}

TEST(DiscId, TocTextIsWhatTheQueryCommandTakes)
{
    const TocFileResult r = loadTocFile(discFile("eleven.toc"));
    ASSERT_TRUE(r.file);
    EXPECT_EQ(cddbTocText(r.file->toc),
        "920ef00b 11 150 28615 51027 75835 102620 121460 148977 175697 204322 231082 268002 3826");
}

TEST(DiscId, ArithmeticAtItsEdges)
{
    struct Case {
        const char* what;
        DiscToc toc;
        const char* id;
    };
    const Case cases[] = {
        // Both ends are whole seconds before they are subtracted: 10 - 2, not 600 frames.
        {"two short tracks", tocOf({150, 640}, 750), "0a000802"},
        {"the lead-out's frames do not round up", tocOf({150, 640}, 824), "0a000802"},
        // One start at 3 seconds and 14 whose seconds' digits sum to 18: 255 wraps to 0.
        {"checksum of 255",
            tocOf(
                {225, 7425, 14175, 14850, 20925, 21600, 22275, 27675, 28350, 29025, 29700, 34425, 35100, 35775, 36450},
                37500),
            "0001f10f"},
        {"no tracks", DiscToc{}, "00000000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cddbDiscIdText(c.toc), c.id) << c.what;
}

} // namespace
} // namespace qv::cdaudio::testing
