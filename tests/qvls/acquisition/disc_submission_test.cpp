// Disc submission: the new-disc file the disc-lookup tool reads, the tool's
// start with its arguments, and the wizard that chooses the album.

#include "disc_tool_fixture.h"

#include "platform/expr/datetime.h"
#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/acquisition/disc_submission.h"
#include "qvls/core/files.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"

namespace qv::qvls::testing {
namespace {

class DiscSubmission : public DiscToolTest
{
protected:
    void SetUp() override
    {
        DiscToolTest::SetUp();
        settings().CDDrive = "D:";
        frameServices().callProcedure = [this](std::string_view name) {
            if (name != "ReadCDInformation")
                return rt::Procedures::call(name);
            // The reader, quiet about a missing disc.
            modes.push_back(fw::handover().request);
            if (!serial.empty())
                dictionary::Album().record()["ALB:CDIdentifier"] = serial;
            fw::handover().response = serial.empty() ? fw::response::Cancelled : fw::response::Completed;
            return true;
        };
    }
    static void song(std::int64_t album, int side, int track, const std::string& title, const std::string& artist)
    {
        add(dictionary::Quorvel(),
            {{"SNG:AlbumID", std::to_string(album)}, {"SNG:Side", std::to_string(side)},
                {"SNG:TrackNumber", std::to_string(track)}, {"SNG:Title", title}, {"SNG:Artist", artist}});
    }
    static void inBuffer(std::int64_t album)
    {
        tables::Table& a = dictionary::Album();
        a.record().clear();
        a.record()["ALB:AlbumID"] = album;
        ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYALBUMID")), 0);
    }
    rt::Window& openWizard()
    {
        host->start("wizard", [this] {
            rt::Procedures::call("CDDBSubmissionWizard");
            finished = true;
        });
        answerMessages();
        rt::Window* w = host->window("CDDBSubmissionWizard");
        if (!w || !w->isOpen())
            throw std::logic_error("no wizard");
        return *w;
    }

    std::string serial;
    std::vector<int> modes; // what the reader was asked for
};

TEST_F(DiscSubmission, TheNewDiscFileIsWrittenAsTheToolReadsIt)
{
    albumOnFile({{"ALB:Album", "Summer Hits"}, {"ALB:Artist", "Various Artists"}, {"ALB:ReleaseDate", "1999"}});
    song(1, 1, 1, "Sunny Day", "Beams, The");
    song(1, 1, 2, "Title=With Equals", "Various Artists");
    song(1, 1, 3, "Line\r\nBreak", "VARIOUS ARTISTS"); // the album's artist in other capitals
    song(1, 1, 4, "Night Drive", "Moon, Carla with the Stars");
    song(1, 2, 1, "Encore", "Various Artists"); // a second disc's track 1 stands
    albumOnFile({{"ALB:Album", "Other"}});
    song(2, 1, 1, "Not This One", "Someone");
    inBuffer(1);
    run([] { SubmitAlbum(); });
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ(readFile(collection("TRAKHAND.NEW")), readFile(golden("submission.NEW")));
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].program, "/opt/qvl/trakhand");
    EXPECT_EQ(starts[0].args, (std::vector<std::string>{"/S", "/VID", "D:"}));
    EXPECT_EQ(starts[0].folder, collectionFolder());
}

TEST_F(DiscSubmission, AnAlbumWithoutSongsWritesItsThreeKeysOnly)
{
    // A whole date gives the disc its year; an earlier file is replaced.
    albumOnFile({{"ALB:Album", "  Blue  "}, {"ALB:Artist", "Joni Mitchell"},
        {"ALB:ReleaseDate", std::to_string(expr::dateFromYmd(1971, 6, 22))}});
    writeFile(collection("TRAKHAND.NEW"), "[CDDB]\nTRACK9=Old\n");
    settings().CDDrive = "  ";
    inBuffer(1);
    toolRunning = true;
    run([] { SubmitAlbum(); });
    EXPECT_FALSE(finished) << "the tool still runs";
    toolRunning = false;
    host->advance(200);
    answerMessages();
    EXPECT_TRUE(finished);
    EXPECT_EQ(readFile(collection("TRAKHAND.NEW")), "[CDDB]\nALBUM=Blue\nARTIST=Joni Mitchell\nYEAR=1971\n");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].args, (std::vector<std::string>{"/S", "/VID"}));
}

TEST_F(DiscSubmission, TheWizardOpensOnTheAlbumOfTheCD)
{
    albumOnFile({{"ALB:Album", "Blue"}, {"ALB:Artist", "Joni Mitchell"}, {"ALB:CDIdentifier", "4711-AB"}});
    albumOnFile({{"ALB:Album", "Tapestry"}, {"ALB:Artist", "Carole King"}, {"ALB:FileNumber", "CD0009"}});
    struct Case {
        const char* serial;
        const char* album;
    };
    for (const Case& c : {Case{"4711-AB", "Blue"}, Case{"", "Tapestry"}, Case{"9999", "Tapestry"}}) {
        SCOPED_TRACE(c.serial);
        serial = c.serial;
        rt::Window& w = openWizard();
        EXPECT_EQ(w["?Album"].value(), c.album);
        host->press(w, "?Cancel");
        EXPECT_TRUE(finished);
        EXPECT_EQ(starts.size(), 0u);
        EXPECT_EQ(modes, std::vector<int>{2}) << "the disc identified without a word about a missing one";
        modes.clear();
    }

    // Another album is chosen from the album lookup; Finish submits it.
    serial = "";
    rt::Window& w = openWizard();
    host->press(w, "?SelectAlbum");
    rt::Window* lookup = host->window("SelectAlbum");
    ASSERT_NE(lookup, nullptr);
    host->press(*lookup, "?Close");
    answerMessages();
    EXPECT_EQ(w["?Album"].value(), "Tapestry") << "a cancelled choice finds the album again";
    host->press(w, "?Finish");
    answerMessages();
    EXPECT_TRUE(finished);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(readFile(collection("TRAKHAND.NEW")).find("ALBUM=Tapestry"), std::string::npos);
}

TEST_F(DiscSubmission, AnEmptyCollectionHasNothingToSubmit)
{
    host->start("wizard", [this] {
        rt::Procedures::call("CDDBSubmissionWizard");
        finished = true;
    });
    answerMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].substr(0, messages[0].find(':')).substr(0, 5), "Error");
    EXPECT_NE(messages[0].find("No albums in database.\r"), std::string::npos);
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace qv::qvls::testing
