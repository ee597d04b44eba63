// The playlists, driven as a user drives them: listed by description, sorted
// by a click on the header, located by a letter, one window per program, and
// the form, the generator and the reports run by name for the highlighted
// playlist, each said plainly when it is not there.

#include "qvls/catalogue/catalogue_fixture.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "platform/framework/context_menu.h"
#include "platform/framework/handover.h"
#include "platform/report/fonts.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_box.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/printing.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/catalogue/kept_jobs.h"
#include "qvls/catalogue/playlist_list.h"
#include "qvls/core/frame_services.h"

namespace qv::qvls::testing {
namespace {

using Strings = std::vector<std::string>;

class PlaylistLists : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"PlaylistMaster", "PlaylistDetails"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [description, id] : {std::pair{"Road Trip", "1"}, std::pair{"aerobics", "2"},
                 std::pair{"Chill", "3"}, std::pair{"Sunday", "4"}})
            add(dictionary::PlaylistMaster(), {{"PLD:PlaylistDescription", description}, {"PLD:PlaylistID", id}});
        // What the list runs by name, with the playlist then in the buffer.
        frameServices().callProcedure = [this](std::string_view name) {
            ran.push_back(std::string(name) + ":" + value(dictionary::PlaylistMaster(), "PLD:PlaylistDescription"));
            if (const auto it = standIns.find(std::string(name)); it != standIns.end()) {
                it->second();
                return true;
            }
            return !absent.count(std::string(name)) && rt::Procedures::call(name);
        };
        open();
    }
    void TearDown() override
    {
        // The list a test closed is gone: look it up rather than trust the pointer.
        if (rt::Window* open = host->window("BrowsePlayLists"); open && open->isOpen())
            host->press(*open, "?Close");
        resetFrameServices();
        rt::setPrintService(nullptr);
        for (const char* label : {"PlaylistMaster", "PlaylistDetails"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }

    void open()
    {
        host->startProcedure("BrowsePlayLists");
        list = host->window("BrowsePlayLists");
        ASSERT_NE(list, nullptr) << (host->failures().empty() ? "" : host->failures().front());
    }
    rt::Control& box() const { return (*list)["?Browse:1"]; }
    std::vector<std::string> descriptions() const
    {
        std::vector<std::string> out;
        for (int r = 0; r < box().list()->rowCount(); ++r)
            out.emplace_back(text::trimRight(box().list()->cell(r, 0)));
        return out;
    }
    std::vector<std::string> headers() const
    {
        std::vector<std::string> out;
        for (const rt::ListFormatColumn& c : rt::readListFormat(box().format()).format.columns)
            out.push_back(c.header.value_or(""));
        return out;
    }
    std::string highlighted() const
    {
        const int row = box().selected();
        return row > 0 ? std::string(text::trimRight(box().list()->cell(row - 1, 0))) : std::string();
    }
    void highlight(const std::string& description)
    {
        const auto rows = descriptions();
        const auto at = std::find(rows.begin(), rows.end(), description);
        ASSERT_NE(at, rows.end()) << description;
        host->choose(*list, "?Browse:1", static_cast<int>(at - rows.begin()) + 1);
    }
    void clickHeader()
    {
        const rt::ListHit at = host->listPoint(*list, "?Browse:1", 0, 1);
        host->listMouse(*list, "?Browse:1", rt::ListMouse::LeftDown, at);
        host->listMouse(*list, "?Browse:1", rt::ListMouse::LeftUp, at);
    }
    // The box now open, answered; "title: text", or "" without one.
    std::string answerMessage()
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        if (!m)
            return {};
        const std::string said = m->title() + ": " + m->text();
        host->answer(rt::button::Ok);
        return said;
    }
    std::vector<std::string> stored() const
    {
        std::vector<std::string> out;
        tables::Table& t = dictionary::PlaylistMaster();
        t.record().clear();
        t.setOrder(-1);
        while (t.next() == 0)
            out.push_back(value(t, "PLD:PlaylistDescription"));
        return out;
    }
    // The list's right-click menu over its first row.
    fw::PopupMenuWindow* rightClick()
    {
        host->listMouse(*list, "?Browse:1", rt::ListMouse::RightDown, host->listPoint(*list, "?Browse:1", 1, 1));
        host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
        return host->dialog<fw::PopupMenuWindow>();
    }
    void act(const std::string& how)
    {
        if (how == "report wizard")
            list->post(PlaylistList::kReportWizard);
        else if (how == "generate play list")
            list->post(PlaylistList::kGenerate);
        else
            host->press(*list, how);
        host->settle();
    }

    rt::Window* list = nullptr;
    std::vector<std::string> ran;
    std::map<std::string, std::function<void()>> standIns;
    std::set<std::string> absent;
};

TEST_F(PlaylistLists, TheListShowsThePlaylistsByDescriptionWithTheIdHidden)
{
    EXPECT_EQ(list->title(), "Playlists");
    EXPECT_EQ(headers(), (Strings{"Playlist Description"}));
    EXPECT_EQ(box().format(), "80L(4)|M~Playlist Description~L(1)@S20@"); // the design a reset returns to
    EXPECT_EQ(descriptions(), (Strings{"aerobics", "Chill", "Road Trip", "Sunday"}));
    EXPECT_EQ(highlighted(), "aerobics");
}

TEST_F(PlaylistLists, AHeaderClickSortsAndAgainTurnsRound)
{
    clickHeader();
    EXPECT_EQ(descriptions(), (Strings{"aerobics", "Chill", "Road Trip", "Sunday"}));
    clickHeader();
    EXPECT_EQ(descriptions(), (Strings{"Sunday", "Road Trip", "Chill", "aerobics"}));
    EXPECT_EQ(headers().front(), "<Playlist Description");
}

TEST_F(PlaylistLists, TheListKeepsItsLayoutUnderItsOwnName)
{
    host->press(*list, "?Close");
    const std::string kept = readFile(collection("POSITION.INI"));
    const auto section = kept.find("[BrowsePlayLists]");
    ASSERT_NE(section, std::string::npos) << kept;
    EXPECT_NE(kept.find("BrovexOrigFormatString-?Browse:1=80L(4)|M~Playlist Description~L(1)@S20@", section),
        std::string::npos)
        << kept;
}

TEST_F(PlaylistLists, ALetterTypedJumpsToTheFirstDescriptionBeginningWithIt)
{
    host->key(*list, 'S');
    EXPECT_EQ(highlighted(), "Sunday");
    host->key(*list, 'R');
    EXPECT_EQ(highlighted(), "Road Trip");
}

TEST_F(PlaylistLists, OpenedAgainTheOpenListComesForward)
{
    list->setIconized(true);
    host->start("again", [] { rt::Procedures::call("BrowsePlayLists"); });
    EXPECT_FALSE(list->iconized());
    int opened = 0;
    for (rt::Window* w : host->openWindows())
        opened += w->def().name == "BrowsePlayLists";
    EXPECT_EQ(opened, 1);
}

TEST_F(PlaylistLists, AReportNotThereYetIsSaidPlainly)
{
    absent = {"PrintPlaylist", "PrintPlaylistChart", "PrintPlaylistCustom", "GeneratePlaylist"};
    const struct {
        const char* how;
        const char* said;
    } cases[] = {
        {"?Print", "Not Available: The playlist report is not available yet."},
        {"?Top40", "Not Available: The top 40 report is not available yet."},
        {"report wizard", "Not Available: The report wizard is not available yet."},
        {"?Generate", "Not Available: The playlist generator is not available yet."},
        {"generate play list", "Not Available: The playlist generator is not available yet."},
    };
    for (const auto& c : cases) {
        act(c.how);
        EXPECT_EQ(answerMessage(), c.said) << c.how;
    }
    EXPECT_EQ(descriptions().size(), 4u);
}

TEST_F(PlaylistLists, TheRightClickMenuOffersTheReportsTheGeneratorAndTheListsOwnPrint)
{
    absent = {"PrintPlaylistCustom"};
    fw::PopupMenuWindow* menu = rightClick();
    ASSERT_TRUE(menu);
    std::map<std::string, std::string> items; // text: name
    for (const auto& item : menu->items())
        items[item.text] = item.name;
    for (const char* text : {"&Print", "&Top 40", "Report Wizard", "Generate Play List", "Print All"})
        EXPECT_TRUE(items.count(text)) << text;
    ASSERT_TRUE(menu->choose(items["Report Wizard"]));
    host->settle();
    EXPECT_EQ(answerMessage(), "Not Available: The report wizard is not available yet.");
}

TEST_F(PlaylistLists, PrintAllPrintsTheListThroughThePreviewer)
{
    report::ensureFontSystem();
    KeptJobs printer;
    rt::setPrintService(&printer);
    fw::PopupMenuWindow* menu = rightClick();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->choose("PVW"));
    host->settle();
    rt::Window* previewer = host->window("PrintPreview");
    ASSERT_NE(previewer, nullptr);
    host->press(*previewer, "?Print");
    rt::setPrintService(nullptr);
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].documentName, "Playlists");
    EXPECT_EQ(printer.jobs[0].pageCount, 1u);
    EXPECT_EQ(host->failures(), Strings{});
}

TEST_F(PlaylistLists, EachReportPrintsTheHighlightedPlaylistAndAnEmptyListItsEmptyBuffer)
{
    for (const char* report : {"PrintPlaylist", "PrintPlaylistChart", "PrintPlaylistCustom"})
        standIns[report] = [] {};
    highlight("Sunday");
    for (const char* how : {"?Print", "?Top40", "report wizard"})
        act(how);
    EXPECT_EQ(ran, (Strings{"PrintPlaylist:Sunday", "PrintPlaylistChart:Sunday", "PrintPlaylistCustom:Sunday"}));
    EXPECT_EQ(answerMessage(), "");

    host->press(*list, "?Close");
    tables::Table& t = dictionary::PlaylistMaster();
    while (t.setOrder(-1) == 0 && t.next() == 0)
        ASSERT_EQ(t.remove(), 0);
    open();
    ran.clear();
    act("?Print");
    EXPECT_EQ(ran, (Strings{"PrintPlaylist:"}));
    EXPECT_EQ(dictionary::PlaylistMaster().record()["PLD:PlaylistID"].toInt(), 0);
}

TEST_F(PlaylistLists, WithoutTheFormAddChangeAndDeleteSaySoAndChangeNothing)
{
    absent = {"UpdatePlaylist"};
    highlight("Road Trip");
    for (const char* button : {"?Add", "?Change", "?Delete"}) {
        act(button);
        EXPECT_EQ(answerMessage(), "Not Available: The playlist form is not available yet.") << button;
    }
    EXPECT_EQ(stored(), (Strings{"Road Trip", "aerobics", "Chill", "Sunday"}));
    EXPECT_EQ(descriptions(), (Strings{"aerobics", "Chill", "Road Trip", "Sunday"}));
    EXPECT_EQ(highlighted(), "Road Trip");
}

TEST_F(PlaylistLists, TheFormRunsOnTheRequestAndTheListShowsWhatItSaved)
{
    int request = 0;
    standIns["UpdatePlaylist"] = [&request] {
        request = fw::handover().request;
        tables::Table& t = dictionary::PlaylistMaster();
        t.record()["PLD:PlaylistDescription"] = "Beach";
        ASSERT_EQ(t.update(), 0);
        fw::handover().response = fw::response::Completed;
    };
    highlight("Sunday");
    act("?Change");
    EXPECT_EQ(request, fw::request::Change);
    EXPECT_EQ(ran, (Strings{"UpdatePlaylist:Sunday"}));
    EXPECT_EQ(descriptions(), (Strings{"aerobics", "Beach", "Chill", "Road Trip"}));
    EXPECT_EQ(highlighted(), "Beach");
}

TEST_F(PlaylistLists, AGeneratedPlaylistShowsInItsPlace)
{
    standIns["GeneratePlaylist"] = [] {
        tables::Table& t = dictionary::PlaylistMaster();
        t.record().clear();
        t.record()["PLD:PlaylistDescription"] = "Play List #5";
        t.record()["PLD:PlaylistID"] = 5;
        ASSERT_EQ(t.insert(), 0);
    };
    for (const char* how : {"?Generate", "generate play list"}) {
        act(how);
        EXPECT_EQ(descriptions(), (Strings{"aerobics", "Chill", "Play List #5", "Road Trip", "Sunday"})) << how;
        tables::Table& t = dictionary::PlaylistMaster();
        t.record()["PLD:PlaylistID"] = 5;
        ASSERT_EQ(t.fetch(0), 0); // by id
        ASSERT_EQ(t.remove(), 0);
    }
}

} // namespace
} // namespace qv::qvls::testing
