#include <gtest/gtest.h>

#include <random>

#include "fixtures.h"
#include "platform/outside/cddb/answer.h"
#include "platform/outside/cddb/xmcd.h"

namespace qv::cddb {
namespace {

using testing::failureOf;
using testing::fixture;

std::string readAnswer(const std::string& category, const std::string& id, const std::string& record)
{
    return "210 " + category + " " + id + " CD database entry follows (until terminating `.')\r\n" + record + ".\r\n";
}

TEST(QueryAnswer, EachCodeGivesItsMatchesOrItsError)
{
    const struct {
        const char* answer;
        int code;
        std::vector<std::string> matches; // "category id title"
    } answers[] = {
        {"200 rock 30038E04 The Lanterns / Harbour Lights\r\n", 200, {"rock 30038e04 The Lanterns / Harbour Lights"}},
        {"210 Found exact matches, list follows (until terminating `.')\nmisc 1702ba03 Quiet Rooms / Sketches\n"
         "jazz 1702ba03 Sketches\n.\n",
            210, {"misc 1702ba03 Quiet Rooms / Sketches", "jazz 1702ba03 Sketches"}},
        {"211 Found inexact matches, list follows (until terminating `.')\r\nfolk 21031e05 Various / Folk "
         "Roads\r\n.\r\n",
            211, {"folk 21031e05 Various / Folk Roads"}},
        {"211 Found inexact matches, list follows (until terminating `.')\n.\n", 202, {}},
        {"202 No match for disc ID 1702ba03.\n", 202, {}},
    };
    for (const auto& a : answers) {
        const QueryAnswer result = parseQueryReply(a.answer);
        EXPECT_EQ(result.code, a.code) << a.answer;
        std::vector<std::string> got;
        for (const auto& m : result.matches)
            got.push_back(m.category + " " + m.discId + " " + m.title);
        EXPECT_EQ(got, a.matches) << a.answer;
    }

    const struct {
        const char* answer;
        std::uint32_t code;
        const char* description; // the server's own words, when it refused
    } failures[] = {
        {"403 Database entry is corrupt.\n", hr::kServer, "Database entry is corrupt."},
        {"409 No handshake.\n", hr::kServer, "No handshake."},
        {"500 Command syntax error.\n", hr::kServer, "Command syntax error."},
        {"530 Server error, server load too high.\n", hr::kServer, "Server error, server load too high."},
        {"201 rock 30038e04 X / Y\n", hr::kBadAnswer, nullptr},
        {"", hr::kBadAnswer, nullptr},
        {"Hello, this is not the protocol\n", hr::kBadAnswer, nullptr},
        {"2000 rock 30038e04 X\n", hr::kBadAnswer, nullptr},
        {"200 rock\n", hr::kBadAnswer, nullptr},
        {"200 Rock 30038e04 X\n", hr::kBadAnswer, nullptr},
        {"200 rock 30038e0 X\n", hr::kBadAnswer, nullptr},
        {"210 Found exact matches\nmisc 1702ba03 Quiet Rooms / Sketches\n", hr::kBadAnswer, nullptr},
        {"211 Found inexact matches\nnot a match\n.\n", hr::kBadAnswer, nullptr},
        {"200 rock 940aac0c Caf\xe9 / \xff\xfe\n", hr::kBadAnswer, nullptr},
        {"200 rock 940aac0c Tab\x07 bell\n", hr::kBadAnswer, nullptr},
    };
    for (const auto& f : failures) {
        const auto [code, description] = failureOf([&] { parseQueryReply(f.answer); });
        EXPECT_EQ(code, f.code) << f.answer;
        if (f.description)
            EXPECT_EQ(description, f.description);
        else
            EXPECT_NE(description.find("not valid"), std::string::npos) << description;
    }
    const std::string huge = "211 Found inexact matches\n" + std::string(kMaxAnswerBytes, 'x') + "\n.\n";
    EXPECT_EQ(failureOf([&] { parseQueryReply(huge); }).first, hr::kBadAnswer);
}

TEST(ReadAnswer, GivesTheRecordAskedForOrItsError)
{
    const Disc disc = parseReadReply(readAnswer("misc", "1702ba03", fixture("misc/1702ba03")), "misc", "1702ba03");
    EXPECT_EQ(disc.category, "misc");
    EXPECT_EQ(disc.discId, "1702ba03");
    EXPECT_EQ(disc.genreId, "misc"); // no DGENRE: the category stands for the genre
    EXPECT_EQ(disc.title, "Sketches");
    EXPECT_EQ(disc.trackCount(), 3);
    EXPECT_EQ(parseReadReply(readAnswer("rock", "30038e04", fixture("rock/30038e04")), "rock", "30038e04").genreId,
        "Indie Rock");

    const struct {
        const char* what;
        std::string answer;
        std::uint32_t code;
    } failures[] = {
        {"not found", "401 Specified CDDB entry not found.\n", hr::kServer},
        {"server error", "402 Server error.\n", hr::kServer},
        {"corrupt", "403 Database entry is corrupt.\n", hr::kServer},
        {"no handshake", "409 No handshake.\n", hr::kServer},
        {"another category", readAnswer("jazz", "1702ba03", fixture("misc/1702ba03")), hr::kBadAnswer},
        {"another disc named", readAnswer("misc", "30038e04", fixture("misc/1702ba03")), hr::kBadAnswer},
        {"the record of another disc", readAnswer("misc", "1702ba03", fixture("rock/30038e04")), hr::kBadAnswer},
        {"no end", readAnswer("misc", "1702ba03", fixture("misc/1702ba03")).substr(0, 300), hr::kBadAnswer},
        {"a query's code", "200 misc 1702ba03 Quiet Rooms / Sketches\n", hr::kBadAnswer},
        {"not a record", readAnswer("misc", "1702ba03", "DTITLE=x\n"), hr::kBadAnswer},
    };
    for (const auto& f : failures)
        EXPECT_EQ(failureOf([&] { parseReadReply(f.answer, "misc", "1702ba03"); }).first, f.code) << f.what;
}

TEST(OtherAnswers, MessageOfTheDayAndSubmission)
{
    EXPECT_EQ(
        parseMotdReply("210 Last modified: 12/11/26 MOTD follows\nLine one\nLine two\n.\n"), "Line one\nLine two");
    EXPECT_EQ(parseMotdReply("401 No message of the day available.\n"), "");
    EXPECT_EQ(failureOf([] { parseMotdReply("210 MOTD follows\nLine one\n"); }).first, hr::kBadAnswer);

    EXPECT_EQ(failureOf([] { parseSubmitReply("200 CDDB submission accepted.\n"); }).first, 0u);
    const auto refused = failureOf([] { parseSubmitReply("500 Invalid DB submission: empty DTITLE.\n"); });
    EXPECT_EQ(refused.first, hr::kServer);
    EXPECT_EQ(refused.second, "Invalid DB submission: empty DTITLE.");
    EXPECT_EQ(failureOf([] { parseSubmitReply("501 Submissions are not accepted.\n"); }).first, hr::kServer);
    EXPECT_EQ(failureOf([] { parseSubmitReply("<html>oops</html>\n"); }).first, hr::kBadAnswer);
}

// Damaged answers in every way a line or a server can damage them: the
// parsers answer each with ComError or with the disc asked for, never with
// another exception, a crash or a disc that is not the one asked for.
class DamagedAnswers : public ::testing::Test
{
protected:
    struct Seed {
        std::string answer, category, discId;
    };

    std::vector<Seed> seeds() const
    {
        std::vector<Seed> out;
        for (const char* name : {"rock/30038e04", "misc/1702ba03", "jazz/1702ba03", "folk/21031e05"}) {
            const std::string n(name);
            const auto category = n.substr(0, n.find('/')), id = n.substr(n.find('/') + 1);
            out.push_back({readAnswer(category, id, fixture(name)), category, id});
        }
        out.push_back({"210 Found exact matches\nmisc 1702ba03 Quiet Rooms / Sketches\njazz 1702ba03 Sketches\n.\n",
            "misc", "1702ba03"});
        out.push_back({"200 rock 30038e04 The Lanterns / Harbour Lights\n", "rock", "30038e04"});
        return out;
    }

    static void feed(const std::string& answer, const Seed& seed)
    {
        try {
            const Disc disc = parseReadReply(answer, seed.category, seed.discId);
            EXPECT_EQ(disc.discId, seed.discId);
            EXPECT_EQ(disc.category, seed.category);
            const auto toc = parseTocText(disc.toc);
            ASSERT_TRUE(toc.has_value()) << disc.toc;
            EXPECT_EQ(static_cast<int>(toc->offsets.size()), disc.trackCount());
        } catch (const ComError&) { }
        try {
            for (const auto& match : parseQueryReply(answer).matches)
                EXPECT_TRUE(isDiscId(match.discId));
        } catch (const ComError&) { }
    }
};

TEST_F(DamagedAnswers, CutAtEveryByte)
{
    for (const auto& seed : seeds()) {
        const auto end = seed.answer.rfind("\n.");
        for (std::size_t i = 0; i < seed.answer.size(); ++i) {
            const std::string cut = seed.answer.substr(0, i);
            feed(cut, seed);
            if (end != std::string::npos && i <= end + 1) {
                EXPECT_NE(failureOf([&] { parseReadReply(cut, seed.category, seed.discId); }).first, 0u) << i;
            }
        }
    }
}

TEST_F(DamagedAnswers, FlippedInsertedAndRepeatedBytes)
{
    std::mt19937 random(20261211);
    const std::string invalid[] = {"\xff", "\xc3", "\xe2\x82", "\xed\xa0\x80", "\xc0\x80", "\xf4\x90\x80\x80"};
    for (const auto& seed : seeds()) {
        for (int round = 0; round < 400; ++round) {
            std::string damaged = seed.answer;
            const int edits = 1 + static_cast<int>(random() % 4);
            for (int e = 0; e < edits && !damaged.empty(); ++e) {
                const std::size_t at = random() % damaged.size();
                switch (random() % 4) {
                case 0:
                    damaged[at] = static_cast<char>(damaged[at] ^ (1u << (random() % 8)));
                    break;
                case 1:
                    damaged.insert(at, invalid[random() % std::size(invalid)]);
                    break;
                case 2:
                    damaged.erase(at, 1 + random() % 16);
                    break;
                default:
                    damaged.insert(at, std::string(1, static_cast<char>(random() % 256)));
                }
            }
            feed(damaged, seed);
        }
        // A line repeated past the limit, and one line of a megabyte.
        const auto line = seed.answer.find('\n') + 1;
        const auto lineEnd = seed.answer.find('\n', line);
        if (lineEnd == std::string::npos)
            continue;
        std::string repeated = seed.answer.substr(0, line);
        while (repeated.size() <= kMaxAnswerBytes)
            repeated += seed.answer.substr(line, lineEnd - line + 1);
        EXPECT_EQ(
            failureOf([&] { parseReadReply(repeated + ".\n", seed.category, seed.discId); }).first, hr::kBadAnswer);
        EXPECT_EQ(failureOf([&] { parseQueryReply(repeated + ".\n"); }).first, hr::kBadAnswer);
        std::string longLine = seed.answer;
        longLine.insert(line + 7, std::string(kMaxAnswerBytes / 2, 'A'));
        feed(longLine, seed);
    }
}

} // namespace
} // namespace qv::cddb
