#include <gtest/gtest.h>

#include "fixture.h"

#include <set>

namespace qv::cdaudio::testing {
namespace {

const char* const kOpen = "open d: type cdaudio shareable alias xxx";

class Mci : public SimulatedDriveTest
{ };

TEST_F(Mci, TheCdReadersConversationInEachTimeFormat)
{
    insertDisc("eleven.toc");
    EXPECT_NE(send(kOpen)[0], '#');
    expectAnswers({
        {"status xxx ready", "true"},
        {"status xxx mode", "stopped"},
        {"status xxx media present", "true"},
        {"status xxx time format", "msf"}, // MCI's format after an open
        {"set xxx time format tmsf", ""},
        {"status xxx number of tracks", "11"},
        // Lengths have no track to name, so tmsf gives them as msf; the last
        // track, and so the disc, end one frame before the lead-out.
        {"status xxx length", "63:43:74"},
        {"status xxx length track 1", "06:19:40"},
        {"status xxx length track 11", "04:12:47"},
        {"status xxx position track 2", "02:00:00:00"},
        {"status xxx position", "01:00:00:00"},
        {"status xxx current track", "1"},
        {"set xxx time format msf", ""},
        {"status xxx position track 2", "06:21:40"},
        {"status xxx position track 1", "00:02:00"},
        {"status xxx start position", "00:02:00"},
        {"status xxx length track 1", "06:19:40"},
        {"set xxx  time format ms", ""},
        {"status xxx time format", "milliseconds"},
        {"status xxx  position track 2", "381533"},
        {"status xxx  length track 1", "379533"},
        {"status xxx  length", "3823986"},
        {"status xxx  position", "2000"},
        {"set xxx time format milliseconds", ""},
        {"status xxx type track 1", "audio"},
        {"close xxx", ""},
        {"status xxx mode", "#263"},
    });
}

// What the CD reader takes from msf positions and lengths rebuilds the disc
// exactly: each track ends where the next starts, the last one frame before
// the lead-out, so the disc id computed from them is the disc's.
TEST_F(Mci, MsfPositionsAndLengthsRebuildTheDisc)
{
    auto frames = [](const std::string& msf) {
        return std::stoi(msf.substr(0, 2)) * 4500 + std::stoi(msf.substr(3, 2)) * 75 + std::stoi(msf.substr(6, 2));
    };
    for (const char* file : {"reference22.toc", "enhanced10.toc", "eleven.toc"}) {
        insertDisc(file);
        ASSERT_NE(send(kOpen)[0], '#') << file;
        send("set xxx time format msf");
        DiscToc read;
        const int count = std::stoi(send("status xxx number of tracks"));
        for (int n = 1; n <= count; ++n) {
            const std::string start = send("status xxx position track " + std::to_string(n));
            const std::string length = send("status xxx length track " + std::to_string(n));
            ASSERT_EQ(start.size(), 8u) << start;
            ASSERT_EQ(length.size(), 8u) << length;
            read.tracks.push_back({n, frames(start), true});
            read.leadout = frames(start) + frames(length) + 1;
        }
        const TocFileResult disc = loadTocFile(discFile(file));
        ASSERT_TRUE(disc.file);
        for (std::size_t i = 0; i < read.tracks.size(); ++i)
            EXPECT_EQ(read.tracks[i].start, disc.file->toc.tracks[i].start) << file << " track " << i + 1;
        EXPECT_EQ(read.leadout, disc.file->toc.leadout) << file;
        EXPECT_EQ(cddbDiscIdText(read), cddbDiscIdText(disc.file->toc)) << file;
        send("close xxx");
    }
}

TEST_F(Mci, WordsBlanksAndCase)
{
    insertDisc("eleven.toc");
    expectAnswers({
        {"OPEN D: TYPE CDAUDIO SHAREABLE ALIAS Xxx WAIT", "*"},
        {"  status   XXX   Number  of   Tracks  ", "11"},
        {"Status xxx\tmode wait", "stopped"},
        {"open \"d:\" type cdaudio shareable alias quoted", "*"},
        {"status quoted ready", "true"},
    });
}

TEST_F(Mci, MistakesAnswerMcisErrorNumbers)
{
    insertDisc("eleven.toc");
    send(kOpen);
    expectAnswers({
        {"", "#267"}, {"   ", "#267"}, {"frobnicate xxx", "#261"}, {"status", "#292"}, {"open", "#292"},
        {"status yyy mode", "#263"}, {"status xxx", "#273"}, {"status xxx bogus", "#259"},
        {"status xxx mode extra", "#259"}, {"status xxx length track", "#270"}, {"status xxx length track x", "#270"},
        {"status xxx length track 0", "#282"}, {"status xxx length track 12", "#282"},
        {"status xxx position track 99999999999", "#270"}, {"set xxx", "#273"}, {"set xxx time format", "#273"},
        {"set xxx time format hms", "#293"}, {"set xxx door", "#273"}, {"set xxx door ajar", "#259"},
        {"set xxx volume 3", "#259"}, {"play xxx from", "#270"}, {"play xxx at 3", "#259"},
        {"play xxx from 00:01:00", "#282"}, // inside the lead-in
        {"play xxx from 1:61", "#282"}, {"play xxx from 64:00:00", "#282"}, // past the lead-out
        {"play xxx from 10:00:00 to 5:00:00", "#282"}, {"play xxx from 999999999:59:74", "#282"},
        {"set xxx time format tmsf", ""}, {"play xxx from 12", "#282"}, {"stop xxx now", "#259"},
        {"open d: type waveaudio alias w", "#263"}, {"open d: alias w", "#263"},
        {"open e: type cdaudio alias e", "#263"}, // no such drive
        {"open d: type cdaudio alias", "#269"}, {"open d: type cdaudio sideways alias q", "#259"},
        {"open \"d: type cdaudio", "#294"}, {"status xxx mode", "stopped"}, // none of it disturbed the device
    });
}

TEST_F(Mci, ErrorTexts)
{
    const int known[] = {257, 259, 261, 262, 263, 265, 267, 269, 270, 273, 274, 276, 282, 291, 292, 293, 294};
    std::set<std::string> texts;
    for (int e : known)
        texts.insert(mciErrorText(e));
    EXPECT_EQ(texts.size(), std::size(known)) << "each error has its own text";
    EXPECT_EQ(mciErrorText(276), "The device is not ready.");
    EXPECT_FALSE(mciErrorText(999).empty());
    EXPECT_FALSE(texts.count(mciErrorText(999)));
}

// The tray, no disc, a disc still spinning up.
TEST_F(Mci, TrayAndDiscStates)
{
    const std::string tracks = "track 1 150\ntrack 2 9000\nleadout 20000\n";
    struct Case {
        std::string toc;
        std::vector<std::pair<std::string, std::string>> answers;
    };
    const Case cases[] = {
        {"tray open\n" + tracks,
            {{"status xxx mode", "open"}, {"status xxx ready", "false"}, {"status xxx media present", "false"},
                {"status xxx number of tracks", "#276"}, {"status xxx position", "#276"}, {"play xxx from 1", "#276"},
                {"set xxx door closed", ""}, {"status xxx mode", "stopped"}, {"status xxx number of tracks", "2"},
                {"set xxx door open", ""}, {"status xxx mode", "open"}}},
        // No disc reads as an open door, and closing it changes nothing.
        {"disc none\n",
            {{"status xxx mode", "open"}, {"status xxx ready", "false"}, {"status xxx media present", "false"},
                {"status xxx length", "#276"}, {"set xxx door closed", ""}, {"status xxx mode", "open"}}},
        {"disc notready\n",
            {{"status xxx mode", "not ready"}, {"status xxx ready", "false"}, {"status xxx media present", "true"},
                {"status xxx number of tracks", "#276"}, {"status xxx current track", "#276"}}},
    };
    for (const Case& c : cases) {
        insert(c.toc);
        ASSERT_NE(send(kOpen)[0], '#') << c.toc;
        expectAnswers(c.answers);
        send("close xxx");
    }
}

TEST_F(Mci, PlayPauseStopFollowTheClock)
{
    insertDisc("eleven.toc");
    send(kOpen);
    expectAnswers({
        {"set xxx time format tmsf", ""},
        {"play xxx from 2", ""},
        {"status xxx mode", "playing"},
        {"status xxx current track", "2"},
        {"status xxx position", "02:00:00:00"},
    });
    now_ += 2000;
    expectAnswers({{"status xxx position", "02:00:02:00"}, {"pause xxx", ""}, {"status xxx mode", "paused"}});
    now_ += 5000;
    expectAnswers({
        {"status xxx position", "02:00:02:00"},
        {"play xxx", ""}, // as the player resumes
        {"status xxx mode", "playing"},
    });
    now_ += 400; // 30 frames
    expectAnswers({{"pause xxx", ""}, {"resume xxx", ""}, {"status xxx mode", "playing"}});
    now_ += 600;
    expectAnswers({
        {"stop xxx", ""},
        {"status xxx mode", "stopped"},
        {"status xxx position", "02:00:03:00"},
        // The player's Back and Forward: a position in milliseconds goes back in exactly.
        {"set xxx time format ms", ""},
        {"play xxx from 381533", ""},
        {"status xxx position", "381533"},
        {"status xxx current track", "2"},
        {"set xxx time format tmsf", ""},
        {"play xxx from 11 to 11:00:10:00", ""},
    });
    now_ += 10001;
    expectAnswers({{"status xxx mode", "stopped"}, {"status xxx position", "11:00:10:00"}});
    expectAnswers({{"play xxx from 3", ""}, {"set xxx door open", ""}, {"status xxx mode", "open"},
        {"set xxx door closed", ""}, {"status xxx mode", "stopped"}, {"status xxx position", "01:00:00:00"}});
}

TEST_F(Mci, PlaySkipsDataTracks)
{
    insert("track 1 150\ntrack 2 9000\ntrack 3 20000 data\ntrack 4 30000\ntrack 5 40000 data\nleadout 50000\n");
    send(kOpen);
    expectAnswers({
        {"set xxx time format tmsf", ""},
        {"status xxx type track 3", "other"},
        {"play xxx from 3", ""},
        {"status xxx current track", "4"},
        {"play xxx from 5", "#282"},
    });
}

TEST_F(Mci, OneAliasOneHolder)
{
    insertDisc("eleven.toc");
    expectAnswers({
        {kOpen, "*"},
        {kOpen, "#265"},
        {"open d: type cdaudio alias xxx", "#265"},
        {"close xxx", ""},
        {"open d: type cdaudio alias xxx", "*"},
        {"close xxx", ""},
        {"close xxx", "#263"},
    });
}

TEST_F(Mci, TwoAliasesShareADriveOnlyWhenBothSaySo)
{
    insertDisc("eleven.toc");
    expectAnswers({
        {"open d: type cdaudio shareable alias a", "*"},
        {"open d: type cdaudio shareable alias b", "*"},
        {"play a from 00:02:00", ""},
        {"status b mode", "playing"}, // one drive under both
        {"open d: type cdaudio alias c", "#291"},
        {"close a", ""},
        {"close b", ""},
        {"open d: type cdaudio alias c", "*"},
        {"open d: type cdaudio shareable alias a", "#291"},
        {"close c", ""},
        {"open d: type cdaudio shareable alias a", "*"},
    });
    EXPECT_EQ(mciOpenCdAudio("D:", false).error, 291);
    const MciOpenResult shared = mciOpenCdAudio("D:", true);
    EXPECT_GT(shared.device, 0);
    EXPECT_EQ(shared.error, 0);
    EXPECT_EQ(mciClose(shared.device), 0);
}

TEST_F(Mci, OpenWithoutAnElementTakesTheFirstDrive)
{
    insertDisc("eleven.toc");
    expectAnswers({{"open cdaudio", "*"}, {"status cdaudio number of tracks", "11"}, {"close cdaudio", ""}});
}

TEST_F(Mci, InjectedFailuresAndTheCommandLog)
{
    insert(readFile(discFile("eleven.toc")) + "fail status length 276\nfail close 278\nlog commands.log\n");
    expectAnswers({
        {kOpen, "*"},
        {"status xxx length", "#276"},
        {"status xxx  length track 1", "#276"},
        {"status xxx number of tracks", "11"},
        {"close xxx", "#278"},
        {kOpen, "*"}, // the refused close let the alias go all the same
        {"close xxx", "#278"},
    });
    EXPECT_EQ(readFile(folder_ / "commands.log"),
        std::string(kOpen) + "\nstatus xxx length\nstatus xxx  length track 1\nstatus xxx number of tracks\n"
            + "close xxx\n" + kOpen + "\nclose xxx\n");

    insert(readFile(discFile("eleven.toc")) + "fail open 262\n");
    expectAnswers({{kOpen, "#262"}, {kOpen, "#262"}});
}

TEST_F(Mci, EditingTheFileChangesTheDiscAndABrokenFileIsAFault)
{
    insertDisc("eleven.toc");
    send(kOpen);
    EXPECT_EQ(send("status xxx number of tracks"), "11");
    write(readFile(discFile("enhanced10.toc")));
    EXPECT_EQ(send("status xxx number of tracks"), "10");
    write("track 1 150\ntrack 1 200\n");
    EXPECT_EQ(send("status xxx number of tracks"), "#262");
    EXPECT_EQ(send("status xxx mode"), "#262");
    std::filesystem::remove(tocPath());
    EXPECT_EQ(send("status xxx mode"), "#262");
    write("disc none\n");
    EXPECT_EQ(send("status xxx mode"), "open");
    EXPECT_EQ(send("close xxx"), "");

    write("leadout 5\n");
    EXPECT_EQ(send(kOpen), "#262") << "a malformed file opens no device";
    write(readFile(discFile("eleven.toc")));
    EXPECT_NE(send(kOpen)[0], '#');
}

TEST_F(Mci, TheCommandInterface)
{
    insertDisc("reference22.toc");
    const std::optional<DiscToc> first = mciReadToc(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(cddbDiscIdText(*first), "370fce16");

    const MciOpenResult open = mciOpenCdAudio("d:", true);
    ASSERT_GT(open.device, 0);
    const std::optional<DiscToc> toc = mciReadToc(open.device);
    ASSERT_TRUE(toc);
    EXPECT_EQ(toc->tracks.size(), 22u);
    EXPECT_EQ(toc->leadout, 303602);
    EXPECT_EQ(send("status xxx mode"), "#263") << "a device of the command interface has no alias";
    EXPECT_EQ(mciClose(open.device), 0);
    EXPECT_EQ(mciClose(open.device), 257);
    EXPECT_FALSE(mciReadToc(open.device));
    EXPECT_EQ(mciOpenCdAudio("x:", true).error, 263);

    write("disc none\n");
    EXPECT_FALSE(mciReadToc(0));
    setDriveOverrides({});
    EXPECT_FALSE(mciReadToc(0));
}

// No drive at all, as on a machine without one: every way in answers that
// the device is not there.
TEST_F(Mci, WithoutADrive)
{
    OpticalDrives::setLister([] { return std::vector<std::string>{"/dev/qv-no-such-sr0"}; });
    expectAnswers({{kOpen, "#263"}, {"open cdaudio", "#263"}, {"status xxx mode", "#263"}});
    EXPECT_EQ(mciOpenCdAudio("D:", true).error, 263);
    EXPECT_FALSE(mciReadToc(0));
    setDriveOverrides({{"D:", "/dev/qv-no-such-sr1"}});
    EXPECT_EQ(send(kOpen), "#263");
}

// A device that is there but is no CD drive answers as an empty drive:
// libcdio's reads fail and MCI's answers say so, without a fault.
TEST_F(Mci, ADeviceWithoutADisc)
{
    OpticalDrives::setLister([] { return std::vector<std::string>{"/dev/null"}; });
    expectAnswers({
        {kOpen, "*"},
        {"status xxx mode", "open"},
        {"status xxx ready", "false"},
        {"status xxx media present", "false"},
        {"status xxx number of tracks", "#276"},
        {"status xxx position", "#276"},
        {"play xxx", "#276"},
        {"set xxx door closed", "#262"},
        {"close xxx", ""},
    });
    EXPECT_FALSE(mciReadToc(0));
}

} // namespace
} // namespace qv::cdaudio::testing
