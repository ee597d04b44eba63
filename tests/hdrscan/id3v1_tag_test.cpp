// The ID3v1 and ID3v1.1 tag at the end of a file, and the genre names.

#include "hdrscan/id3v1_tag.h"
#include "tests/hdrscan/mp3_fixture.h"

namespace qv::hdrscan::test {
namespace {

const std::string k30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"; // 30 characters
const std::string k28 = k30.substr(0, 28);

struct Expect {
    std::string title, artist, album, comment, genre;
    int year;
    int track;
};

struct Case {
    const char* name;
    Tag tag;
    Expect expect;
};

Tag V11(std::string comment, std::uint8_t track)
{
    Tag t;
    t.comment = std::move(comment);
    t.setTrackBytes = true;
    t.byte125 = 0;
    t.byte126 = track;
    return t;
}

Tag WithGenre(std::uint8_t genre)
{
    Tag t;
    t.genre = genre;
    return t;
}

Tag WithYear(std::string year)
{
    Tag t;
    t.year = std::move(year);
    return t;
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

const Case kCases[] = {
    {"BlankPaddingDropped", {.title = "Nineteen9" + std::string(21, ' ')}, {"Nineteen9", "", "", "", "Blues", 0, -1}},
    {"NulPaddingDropped", {.title = "Nineteen9"}, {"Nineteen9", "", "", "", "Blues", 0, -1}},
    {"LeadingBlanksKept", {.artist = "  Lead"}, {"", "  Lead", "", "", "Blues", 0, -1}},
    {"NulInsideEndsText", {.album = std::string("AB\0CD", 5)}, {"", "", "AB", "", "Blues", 0, -1}},
    {"EveryV10FieldFull", {.title = k30, .artist = k30, .album = k30, .year = "1999", .comment = k30, .genre = 17},
        {k30, k30, k30, k30, "Rock", 1999, -1}},
    {"EveryV11FieldFull",
        [] {
            Tag t = V11(k28, 7);
            t.title = t.artist = t.album = k30;
            t.year = "2001";
            t.genre = 12;
            return t;
        }(),
        {k30, k30, k30, k28, "Other", 2001, 7}},
    {"ZeroTrackByteIsV10", V11("Short", 0), {"", "", "", "Short", "Blues", 0, -1}},
    {"NonZeroByte125IsV10",
        [] {
            Tag t = V11(k28, 'Y');
            t.byte125 = 'X';
            return t;
        }(),
        {"", "", "", k28 + "XY", "Blues", 0, -1}},
    {"Track200", V11("c", 200), {"", "", "", "c", "Blues", 0, 200}},
    {"Track255", V11("c", 255), {"", "", "", "c", "Blues", 0, 255}},
    {"YearOfTwoDigits", WithYear("99  "), {"", "", "", "", "Blues", 99, -1}},
    {"YearOfBlanks", WithYear("    "), {"", "", "", "", "Blues", 0, -1}},
    {"YearOfLetters", WithYear("abcd"), {"", "", "", "", "Blues", 0, -1}},
    {"YearAfterBlankStopsAtBlank", WithYear(" 7 1"), {"", "", "", "", "Blues", 7, -1}},
    {"YearWithSign", WithYear("-12 "), {"", "", "", "", "Blues", -12, -1}},
    {"GenreFirst", WithGenre(0), {"", "", "", "", "Blues", 0, -1}},
    {"GenreOther", WithGenre(12), {"", "", "", "", "Other", 0, -1}},
    {"GenreLast", WithGenre(125), {"", "", "", "", "Dance Hall", 0, -1}},
    {"GenrePastTheTable", WithGenre(126), {"", "", "", "", "", 0, -1}},
    {"GenreTop", WithGenre(255), {"", "", "", "", "", 0, -1}},
    {"LowerCaseMarkerIsNoTag", {.marker = "tag", .title = "Hidden", .year = "1999"}, {"", "", "", "", "", 0, -1}},
    {"NoTagIsNotBlues", {.marker = std::string(3, '\0')}, {"", "", "", "", "", 0, -1}},
};

class HdrscanTagRead : public ::testing::TestWithParam<Case>
{ };

TEST_P(HdrscanTagRead, ReportsTheTag)
{
    const Case& c = GetParam();
    TempDir dir;
    const Image image = Image(5000).Put(0, Header{}.Encode()).Append(c.tag.Encode());
    const Result r = Read(dir.Write("tagged.mp3", image.bytes()).c_str());
    ASSERT_EQ(r.Text(r.version), "MPEG 1 Layer III");
    EXPECT_EQ(r.Text(r.title), c.expect.title);
    EXPECT_EQ(r.Text(r.artist), c.expect.artist);
    EXPECT_EQ(r.Text(r.album), c.expect.album);
    EXPECT_EQ(r.Text(r.comment), c.expect.comment);
    EXPECT_EQ(r.Text(r.genre), c.expect.genre);
    EXPECT_EQ(r.year, c.expect.year);
    EXPECT_EQ(r.track, c.expect.track);
    EXPECT_TRUE(r.TextsWrittenAs32Bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HdrscanTagRead, ::testing::ValuesIn(kCases), [](const auto& info) { return std::string(info.param.name); });

TEST(HdrscanGenreNames, KeepTheCatalogueSpellings)
{
    const std::pair<int, std::string_view> spellings[] = {
        {14, "R&B"},
        {29, "Jazz+Funk"},
        {40, "AlternRock"},
        {62, "Pop/Funk"},
        {67, "Psychadelic"},
        {71, "Lo-Fi"},
        {78, "Rock & Roll"},
        {79, "Hard Rock"},
        {80, "Folk"},
        {85, "Bebob"},
        {100, "Humour"},
        {123, "Acapella"},
        {124, "Euro-House"},
        {125, "Dance Hall"},
    };
    for (const auto& [index, name] : spellings)
        EXPECT_EQ(GenreName(static_cast<std::uint8_t>(index)), name) << index;
    EXPECT_EQ(GenreName(std::nullopt), "");
}

TEST(HdrscanGenreNames, EveryNameFitsATextOutput)
{
    for (int i = 0; i < kGenreCount; ++i) {
        const std::string_view name = GenreName(static_cast<std::uint8_t>(i));
        EXPECT_FALSE(name.empty()) << i;
        EXPECT_LE(name.size(), 31u) << i;
    }
}

} // namespace
} // namespace qv::hdrscan::test
