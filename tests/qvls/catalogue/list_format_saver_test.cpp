#include "qvls/core/core_fixture.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/ini_store.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/ini.h"
#include "platform/runtime/window.h"
#include "qvls/catalogue/list_format_saver.h"
#include "qvls/core/placement.h"

namespace qv::qvls::testing {
namespace {

// The design formats of the program's lists.
const std::vector<std::string> realFormats{
    // albums
    "91L(2)|M~Artist~@s50@95L(2)|M~Album~@s50@40L(2)|M~Media~@s20@43L(2)|M~File Number~@s20@35L(1)|M~Released~@d17b@"
    "120L(1)|M~Category~@s30@102L(1)|M~WAV/MP3~@s255@",
    // albums of the albums-and-songs window, and its songs (284 characters, a column group first)
    "80L(1)|M~Artist~@s50@80L(1)|M~Album~@s50@49L(1)|M~Media~@s20@43L(1)|M~File Number~@s20@34L(1)|M~Released~@d17b@"
    "83L(1)|M~Category~@s30@128L(1)|M~XCCD~@s32@",
    "[10L|@p(<)p@24L(1)|M@n3@](25)|M~Track~80L(2)|M~Artist~@s30@80L(2)|M~Title~@s30@23L(1)|M~Time~L(2)@s8@39L(2)|M~"
    "Media~@s20@48L(2)|M~File Number~L(0)@s20@46R(2)|M~Release Date~C(0)@d2@19R(2)|M~BPM~R(0)@n_4b@80L(2)|M~In/Out~L(0)"
    "@s20@120L(2)|M~Category~L(0)@s30@60L(2)|M~WAV/MP3~L(0)@s255@",
    // songs
    "77L(1)|M~Artist~@s50@75L(1)|M~Title~@s50@67L(1)|M~Album~@s50@31L(1)|M~Media~@s20@43L(1)|M~File Number~@s20@47L(1)"
    "|M~Category~@s30@23R(1)|M~Time~@t4b@22L(1)|M~Date~@d17b@24R(2)|M~BPM~C(0)@n_4b@120R(2)|M~User Defined Key "
    "Field~C(0)@s30@42R(2)|M~Last Played~C(0)@d17-@[10R|M@p(<)pb@12R|M@n3b@](21)|M~Track~120L(2)|M~Style~C(0)@s30@"
    "12R(2)|M~Chart Number~L(0)@n3@60R(2)|M~WAV/MP3~L(0)@s255@",
    // song details, playlist entries, playlists, media
    "73L(1)|M~Label~@s30@360L(1)|M~Value~@s90@",
    "23R(2)|M~Seq~C(0)@n_5@71L(1)|M~Artist~@s50@70L(1)|M~Title~@s50@30R(1)|M~Time~@t4@37L(1)|M~Category~@s30@19L(1)|M~"
    "BPM~@n_4b@80L(1)|M~Notes~@s50@",
    "80L(4)|M~Playlist Description~L(1)@S20@",
    "80L(2)|M~Media~L(2)@s20@",
    // explorer albums and songs
    "119L(2)|M~Album~@s50@106L(2)|M~Artist~@s50@49L(2)|M~Media~@s20@48L(2)|M~File Number~@s20@45L(1)|M~Year~@n_4b@",
    "75L(2)|M~Artist~@s50@75L(2)|M~Title~@s50@76L(2)|M~Album~@s50@39L(2)|M~Media~@s20@43L(2)|M~File Number~@s20@"
    "51L(1)|M~Category~L(0)@s30@23R(2)|M~Time~C(0)@t4b@48R(2)|M~Release Date~C(0)@d2@24R(2)|M~BPM~C(0)@n_4b@120R(2)|M~"
    "User Defined Key Field~C(0)@s30@42R(2)|M~Last Played~C(0)@d17-@120R(2)|M~Style~C(0)@s30@21R(2)|M~Trk~C(0)@n3@"
    "35R(2)|M~Side/Disc~C(0)@n2b@8R(2)|M~Rating~C(0)@n2@",
};

// What the user does to a layout: the first column made wider.
std::string widened(const std::string& format)
{
    std::size_t digits = format.find_first_of("0123456789");
    std::size_t end = format.find_first_not_of("0123456789", digits);
    return format.substr(0, digits) + std::to_string(std::stoi(format.substr(digits, end - digits)) + 40)
        + format.substr(end);
}

class Saver : public CollectionFolder
{
protected:
    void SetUp() override
    {
        CollectionFolder::SetUp();
        store.init(kPositionFile);
        settings().SaveLastTab = 1;
    }

    // A list window as the procedures have one: a sheet with the album list
    // on its first tab and the song list on its second.
    static std::unique_ptr<rt::Window> window(const std::string& albums, const std::string& songs)
    {
        const std::string yaml = "title: Albums and Songs\ncontrols:\n"
                                 "  - {type: sheet, name: CurrentTab, tabs: [\n"
                                 "      {type: tab, text: Albums, controls: [{type: list, name: 'Browse:1', format: '"
            + albums
            + "'}]},\n"
              "      {type: tab, text: Songs, controls: [{type: list, name: List, format: '"
            + songs
            + "'}]},\n"
              "      {type: tab, text: Third}]}\n";
        auto w = std::make_unique<rt::Window>(rt::parseWindowDef(yaml, "test", "BrowseAlbumsAndSongs"));
        w->open();
        return w;
    }
    ListFormatSaver saver(bool keepsTab = true)
    {
        return ListFormatSaver(store, "BrowseAlbumsAndSongs", {"?Browse:1", "?List"}, keepsTab);
    }
    std::string key(const std::string& k) const { return store.Fetch("BrowseAlbumsAndSongs", k, "<none>"); }
    // Windows open only on a thread of the program.
    void onThread(std::function<void()> body)
    {
        host.start("test", std::move(body));
        EXPECT_TRUE(host.failures().empty()) << host.failures().front();
    }

    rt::HeadlessHost host;
    fw::IniStore store;
};

TEST_F(Saver, FirstOpeningWritesTheDesign)
{
    onThread([&] {
        auto w = window(realFormats[1], realFormats[2]);
        auto s = saver();
        s.Restore(*w);
        EXPECT_EQ(key("SRCFOriginal?Browse:1"), realFormats[1]);
        EXPECT_EQ(key("SRCF?Browse:1"), realFormats[1]);
        EXPECT_EQ(key("SRCFOriginal?List"), realFormats[2]);
        EXPECT_EQ(key("SRCF?List"), realFormats[2]);
        EXPECT_EQ((*w)["?List"].format(), realFormats[2]);
        ASSERT_EQ(s.DesignFormats().size(), 2u);
        EXPECT_EQ(s.DesignFormats()[1].name, "?List");
        EXPECT_EQ(s.DesignFormats()[1].control, (*w)["?List"].number());
    });
}

// Every real format, saved and read back: an unchanged layout stays equal
// to its design (and the file stays as it was), a changed one comes back.
TEST_F(Saver, RealFormatsRoundTrip)
{
    onThread([&] {
        for (const std::string& design : realFormats) {
            {
                auto w = window(design, realFormats[0]);
                auto s = saver();
                s.Restore(*w);
                s.Save(*w);
            }
            const std::string fileAfterFirst = readFile(collection("POSITION.INI"));
            {
                auto w = window(design, realFormats[0]);
                auto s = saver();
                s.Restore(*w);
                EXPECT_EQ((*w)["?Browse:1"].format(), design);
                s.Save(*w);
            }
            EXPECT_EQ(readFile(collection("POSITION.INI")), fileAfterFirst) << design;

            const std::string mine = widened(design);
            {
                auto w = window(design, realFormats[0]);
                auto s = saver();
                s.Restore(*w);
                (*w)["?Browse:1"].setFormat(mine);
                s.Save(*w);
            }
            EXPECT_EQ(key("SRCF?Browse:1"), mine);
            {
                auto w = window(design, realFormats[0]);
                auto s = saver();
                s.Restore(*w);
                EXPECT_EQ((*w)["?Browse:1"].format(), mine) << design;
                EXPECT_EQ(key("SRCFOriginal?Browse:1"), design);
            }
            store.removeSection("BrowseAlbumsAndSongs");
        }
    });
}

TEST_F(Saver, AChangedDesignReplacesTheSavedLayoutOnce)
{
    onThread([&] {
        {
            auto w = window(realFormats[0], realFormats[2]);
            auto s = saver();
            s.Restore(*w);
            (*w)["?Browse:1"].setFormat(widened(realFormats[0]));
            (*w)["?List"].setFormat(widened(realFormats[2]));
            s.Save(*w);
        }
        // The new version's album list has other columns; its song list is as it was.
        auto w = window(realFormats[8], realFormats[2]);
        auto s = saver();
        s.Restore(*w);
        EXPECT_EQ((*w)["?Browse:1"].format(), realFormats[8]);
        EXPECT_EQ(key("SRCFOriginal?Browse:1"), realFormats[8]);
        EXPECT_EQ(key("SRCF?Browse:1"), realFormats[8]);
        EXPECT_EQ((*w)["?List"].format(), widened(realFormats[2]));
    });
}

TEST_F(Saver, DesignsBeyondTheFilesLimitStillCompareEqual)
{
    onThread([&] {
        std::string longDesign;
        while (longDesign.size() < ListFormatSaver::kMaxFormat + 200)
            longDesign += realFormats[3];
        {
            auto w = window(longDesign, realFormats[0]);
            auto s = saver();
            s.Restore(*w);
            (*w)["?Browse:1"].setFormat(widened(longDesign));
            s.Save(*w);
        }
        auto w = window(longDesign, realFormats[0]);
        auto s = saver();
        s.Restore(*w);
        // The user's layout (as far as the file holds it) survives the opening.
        EXPECT_EQ((*w)["?Browse:1"].format(), widened(longDesign).substr(0, ListFormatSaver::kMaxFormat));
    });
}

TEST_F(Saver, TheChosenTabIsKept)
{
    onThread([&] {
        {
            auto w = window(realFormats[0], realFormats[2]);
            auto s = saver();
            s.Restore(*w);
            (*w)["?CurrentTab"].setSelected(2);
            s.Save(*w);
        }
        EXPECT_EQ(key("Tab:?CurrentTab"), "2");
        auto w = window(realFormats[0], realFormats[2]);
        auto s = saver();
        s.Restore(*w);
        EXPECT_EQ((*w)["?CurrentTab"].selected(), 2);
    });
}

TEST_F(Saver, TabNeitherReadNorWrittenWhenNotWanted)
{
    onThread([&] {
        store.Update("BrowseAlbumsAndSongs", "Tab:?CurrentTab", "3");
        settings().SaveLastTab = 0;
        {
            auto w = window(realFormats[0], realFormats[2]);
            auto s = saver();
            s.Restore(*w);
            EXPECT_EQ((*w)["?CurrentTab"].selected(), 0);
            (*w)["?CurrentTab"].setSelected(2);
            s.Save(*w);
        }
        EXPECT_EQ(key("Tab:?CurrentTab"), "3");
        settings().SaveLastTab = 1;
        auto w = window(realFormats[0], realFormats[2]);
        auto wizard = saver(false);
        wizard.Restore(*w);
        EXPECT_EQ((*w)["?CurrentTab"].selected(), 0);
        (*w)["?CurrentTab"].setSelected(2);
        wizard.Save(*w);
        EXPECT_EQ(key("Tab:?CurrentTab"), "3");
        // A sheet shown as a wizard keeps no tab either.
        auto steps = window(realFormats[0], realFormats[2]);
        (*steps)["?CurrentTab"].setProperty(rt::prop::Wizard, "1");
        auto s0 = saver();
        s0.Restore(*steps);
        EXPECT_EQ((*steps)["?CurrentTab"].selected(), 0);
        (*steps)["?CurrentTab"].setSelected(2);
        s0.Save(*steps);
        EXPECT_EQ(key("Tab:?CurrentTab"), "3");
        // A number the sheet has no tab for is ignored.
        store.Update("BrowseAlbumsAndSongs", "Tab:?CurrentTab", "9");
        auto again = window(realFormats[0], realFormats[2]);
        auto s = saver();
        s.Restore(*again);
        EXPECT_EQ((*again)["?CurrentTab"].selected(), 0);
    });
}

TEST_F(Saver, ARefusedOpeningWritesNothing)
{
    onThread([&] {
        auto w = window(realFormats[0], realFormats[2]);
        auto s = saver();
        s.Save(*w); // Restore never ran: the window handed over to another instance
        EXPECT_FALSE(rt::IniFile::named(kPositionFile).exists());
        s.Restore(*w);
        w->close();
        (*w)["?Browse:1"].setFormat("changed");
        s.Save(*w);
        EXPECT_EQ(key("SRCF?Browse:1"), realFormats[0]);
    });
}

TEST_F(Saver, RestoreDesignResetsOnlyVisibleListsAndLeavesTheFile)
{
    onThread([&] {
        {
            auto w = window(realFormats[0], realFormats[2]);
            auto s = saver();
            s.Restore(*w);
            (*w)["?Browse:1"].setFormat(widened(realFormats[0]));
            (*w)["?List"].setFormat(widened(realFormats[2]));
            s.Save(*w);
        }
        const std::string file = readFile(collection("POSITION.INI"));
        auto w = window(realFormats[0], realFormats[2]);
        auto s = saver();
        s.Restore(*w);
        while (w->hasPendingEvents())
            w->waitEvent();
        EXPECT_TRUE(w->alertKeys().count(1618));
        EXPECT_FALSE(s.onAlertKey(*w, 1617));
        EXPECT_TRUE(s.onAlertKey(*w, 1618));
        EXPECT_EQ((*w)["?Browse:1"].format(), realFormats[0]);
        EXPECT_EQ((*w)["?List"].format(), widened(realFormats[2])); // on a tab not shown
        ASSERT_TRUE(w->hasPendingEvents());
        const rt::Event e = w->waitEvent();
        EXPECT_EQ(e.code, rt::event::NewSelection);
        EXPECT_EQ(e.control, (*w)["?Browse:1"].number());
        EXPECT_EQ(readFile(collection("POSITION.INI")), file);

        (*w)["?CurrentTab"].setSelected(2);
        s.RestoreDesign(*w);
        EXPECT_EQ((*w)["?List"].format(), realFormats[2]);
        s.Save(*w);
        EXPECT_EQ(key("SRCF?List"), realFormats[2]);
    });
}

} // namespace
} // namespace qv::qvls::testing
