// The whole road of a CD into the collection, with nothing standing in: the
// CDDB wizard reads the disc in a simulated drive through the program's own
// reader, starts the lookup tool built beside the program, which reads the
// same drive and asks a disc database on 127.0.0.1, and saves the album with
// the songs of its answer.

#include "disc_tool_fixture.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/runtime/ini.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/acquisition/run_program.h"
#include "qvls/core/globals.h"
#include "qvls/core/settings.h"
#include "support/cddb_server.h"

namespace qv::qvls::testing {
namespace {

class RealLookup : public DiscToolTest
{
protected:
    void SetUp() override
    {
        DiscToolTest::SetUp();
        resetFrameServices(); // the real reader and the real tool
        const std::string tool = TRAKHAND_FOLDER "/";
        frameServices().programFolder = [tool] { return tool; };
        glo().positionFile = ".\\POSITION.INI";
        // The Lanterns, "Harbour Lights", as its table of contents reads.
        writeFile(
            collection("harbour.toc"), "track 1 150\ntrack 2 18327\ntrack 3 34162\ntrack 4 50932\nleadout 68400\n");
        rt::IniFile ini = settingsIni();
        ini.set("CD Drives", "D:", "harbour.toc");
        ini.set("Settings", "CDDrive", "D:");
        LoadSettings();
        settings().DefaultMedia = "CD";
        add(dictionary::Media(), {{"MED:Media", "CD"}});

        // The tool's options, in the configuration folder the fixture gives the test.
        std::filesystem::create_directories(config("").parent_path());
        writeFile(config("cddb.ini"),
            "[Server]\nUrl=" + server.queryUrl() + "\nSubmitUrl=" + server.submitUrl()
                + "\n[User]\nName=tester\nEmail=tester@example.org\n");
    }

    void TearDown() override
    {
        endToolsLeftRunning();
        DiscToolTest::TearDown();
    }

    // Lets the tool run in real time while the wizard waits on its timer; a
    // loaded machine (a sanitizer build) may take its time starting it.
    void waitFor(rt::Window& w, const std::string& step)
    {
        for (int i = 0; i < 3000 && stepOf(w) != step; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            host->advance(kProgramPollTicks * 10);
            answerMessages();
        }
    }
    static std::string stepOf(rt::Window& w) { return std::to_string(w["?Sheet"].selected()); }

    // A tool this test failed to wait for would keep waiting for an answer
    // nobody gives, and keep the test's output open: end it.
    void endToolsLeftRunning() const
    {
        const std::filesystem::path folder = std::filesystem::canonical(collection(""));
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
            const std::string pid = entry.path().filename().string();
            if (pid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const std::filesystem::path cwd = std::filesystem::read_symlink(entry.path() / "cwd", ec);
            if (!ec && cwd == folder && std::stoi(pid) != ::getpid())
                ::kill(std::stoi(pid), SIGKILL);
        }
    }

    qv::testing::CddbServer server{CDDB_FIXTURES};
};

TEST_F(RealLookup, TheWizardAddsTheDiscInTheDriveFromALocalDiscDatabase)
{
    host->start("wizard", [this] {
        rt::Procedures::call("CDDBWizard");
        finished = true;
    });
    rt::Window* w = host->window("CDDBWizard");
    ASSERT_NE(w, nullptr);
    host->press(*w, "?Next");
    waitFor(*w, "2");
    ASSERT_EQ(stepOf(*w), "2") << "the lookup did not come back";
    EXPECT_EQ(messages, std::vector<std::string>{});
    EXPECT_EQ((*w)["?Artist"].value(), "The Lanterns");
    EXPECT_EQ((*w)["?Album"].value(), "Harbour Lights");
    // The drop lists show the looked-up media and the category made for the disc's genre.
    rt::Control& media = (*w)["?Media"];
    rt::Control& category = (*w)["?Category"];
    ASSERT_GT(media.selected(), 0);
    ASSERT_GT(category.selected(), 0);
    EXPECT_EQ(media.list()->cell(media.selected() - 1, 0), "CD");
    EXPECT_EQ(category.list()->cell(category.selected() - 1, 0), "Indie Rock");
    host->press(*w, "?Next");
    host->press(*w, "?Finish");
    answerMessages();
    EXPECT_EQ(messages, std::vector<std::string>{});

    tables::Table& a = dictionary::Album();
    a.record().clear();
    a.record()["ALB:Artist"] = "The Lanterns";
    a.record()["ALB:Album"] = "Harbour Lights";
    ASSERT_EQ(a.fetch(a.def().keyIndex("ALB:KEYARTIST")), 0);
    EXPECT_EQ(value(a, "ALB:Category"), "Indie Rock") << "a new category for the disc's genre";
    EXPECT_EQ(value(a, "ALB:XCCD").substr(0, 8), "30038e04");
    const std::vector<std::string> songs = songsOf(a.record()["ALB:AlbumID"].toInt());
    ASSERT_EQ(songs.size(), 4u);
    EXPECT_EQ(songs[0], "1.1 Low Tide / The Lanterns");
    EXPECT_EQ(songs[1], "1.2 Café Étoile / The Lanterns");
    EXPECT_EQ(songs[2], "1.3 Rope \\ Anchor / The Lanterns");
    EXPECT_FALSE(std::filesystem::exists(collection("CDDBERR.LOG")));

    host->press(*w, "?Cancel");
    answerMessages();
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace qv::qvls::testing
