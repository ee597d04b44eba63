#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/framework/context_menu.h"
#include "platform/framework/data_fixture.h"
#include "platform/framework/handover.h"
#include "platform/framework/use_binding.h"
#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/headless.h"
#include "platform/tables/view.h"
#include "qvls/core/browse_base.h"

namespace qv::qvls::testing {
namespace {

using namespace qv::fw;
using fw::testing::Catalogue;

constexpr const char* listYaml = R"(
title: Albums
controls:
  - {type: list, name: List}
  - {type: button, name: Insert, text: "&Add"}
  - {type: button, name: Change, text: "&Change"}
  - {type: button, name: View, text: "&View"}
  - {type: button, name: Copy, text: "Cop&y"}
  - {type: button, name: Select, text: "&Select"}
  - {type: button, name: Close, text: "Cl&ose"}
)";

// A list window over the albums whose update procedure only records how it
// was called.
class AlbumList : public WindowController
{
public:
    AlbumList(BrovexBrowse& list, ContextMenu& menu, std::set<std::string> defaults, std::function<void()> form)
        : WindowController("BrowseAlbums")
        , list_(list)
        , menu_(menu)
        , defaults_(std::move(defaults))
        , form_(std::move(form))
    { }
    Level Prepare() override
    {
        WindowController::Prepare();
        setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(listYaml, "test", name())));
        for (const std::string& d : defaults_)
            window()[d].setDefault(true);
        addResponseButton("?Close", response::Cancelled);
        setUpdateProcedure(1, form_);
        addComponent(menu_);
        addComponent(list_);
        openWindow();
        return Benign;
    }

private:
    BrovexBrowse& list_;
    ContextMenu& menu_;
    std::set<std::string> defaults_;
    std::function<void()> form_;
};

struct Call {
    int request = 0;
    std::string title;
    std::string media;
    std::int64_t recordId = 0;
};

class BrowseBase : public ::testing::Test
{
protected:
    Catalogue c;
    tables::View view{c.albums};
    ViewReader reader{view, c.albumAccess};
    std::vector<Call> calls;
    int response = -1;
    std::unique_ptr<BrovexBrowse> list;
    std::unique_ptr<ContextMenu> menu;

    BrowseBase()
    {
        registerRecord(c.albums.record());
        reader.AddSortOrder("ALB:KeyTitle");
        handover() = Handover{};
    }
    ~BrowseBase() override
    {
        c.host.settle();
        unregisterRecord(c.albums.record());
        handover() = Handover{};
    }

    // Opens the list on a thread of its own; withView/withCopy bind those buttons.
    rt::Window* open(bool withView, bool withCopy, std::set<std::string> defaults, int request = 0)
    {
        list = std::make_unique<BrovexBrowse>(reader, "?List");
        menu = std::make_unique<ContextMenu>();
        list->addField(c.albums.record(), "ALB:Title");
        list->setInsertControl("?Insert");
        list->setChangeControl("?Change");
        list->setSelectControl("?Select");
        list->setHideSelect(true);
        if (withView)
            list->setViewControl("?View");
        if (withCopy)
            list->setCopyControl("?Copy");
        list->setUpdateProcedure(1);
        list->setContextMenu(menu.get());
        calls.clear();
        response = -1;
        c.host.start("BrowseAlbums", [this, defaults, request] {
            handover().request = request;
            AlbumList w(*list, *menu, defaults, [this] {
                const tables::Record& r = c.albums.record();
                calls.push_back({handover().request, r.getText(r.def().fieldIndex("ALB:Title")),
                    r.getText(r.def().fieldIndex("ALB:Media")), r.recordId});
                handover().response = response::Cancelled;
            });
            response = w.Execute();
        });
        return c.host.window("BrowseAlbums");
    }
    void close(rt::Window* w)
    {
        if (c.host.window("BrowseAlbums") == w && w->isOpen())
            c.host.press(*w, "?Close");
    }
};

// Which button Enter, a double-click and the View key press, by rows,
// selection and the window's default button.
TEST_F(BrowseBase, KeyTable)
{
    constexpr int Enter = 13, Double = 5, ViewKey = BrovexBrowse::kViewKey;
    struct Case {
        bool rows;
        bool selecting;
        std::set<std::string> defaults;
        int key;
        const char* pressed; // "select", "view", "change" or "none"
    };
    const std::vector<Case> cases{
        // browsing
        {true, false, {"?View"}, Enter, "view"},
        {true, false, {"?View"}, Double, "view"},
        {true, false, {"?Change"}, Enter, "change"},
        {true, false, {"?Change"}, Double, "change"},
        {true, false, {"?View", "?Change"}, Enter, "view"}, // View comes before Change
        {true, false, {}, Enter, "change"}, // the framework's own Enter
        {true, false, {}, ViewKey, "view"}, // the View key needs no default
        {true, false, {"?Change"}, ViewKey, "view"},
        // selecting: the framework makes Select the default
        {true, true, {"?View"}, Enter, "select"},
        {true, true, {"?View", "?Change"}, Double, "select"},
        {true, true, {}, ViewKey, "view"},
        // an empty list: straight to the framework, which does nothing
        {false, false, {"?View"}, Enter, "none"},
        {false, false, {"?Change"}, Double, "none"},
        {false, false, {}, ViewKey, "none"},
        {false, true, {"?View"}, Enter, "none"},
    };
    for (const Case& k : cases) {
        if (k.rows && c.albums.records() == 0) {
            c.addAlbum("Alpha");
            c.addAlbum("Beta");
        } else if (!k.rows) {
            while (c.albums.records() > 0) {
                c.albums.setOrder(0);
                ASSERT_EQ(c.albums.next(), 0);
                ASSERT_EQ(c.albums.remove(), 0);
            }
        }
        const std::string what = std::string(k.rows ? "rows" : "empty") + (k.selecting ? ", selecting" : "") + ", key "
            + std::to_string(k.key) + ", defaults " + std::to_string(k.defaults.size())
            + (k.defaults.count("?View") ? " View" : "") + (k.defaults.count("?Change") ? " Change" : "");
        rt::Window* w = open(true, true, k.defaults, k.selecting ? request::Select : 0);
        ASSERT_NE(w, nullptr) << what;
        c.host.key(*w, k.key);
        std::string pressed = "none";
        if (!calls.empty())
            pressed = calls.front().request == request::Select ? "view"
                : calls.front().request == request::Change     ? "change"
                                                               : "request " + std::to_string(calls.front().request);
        else if (response == response::Completed)
            pressed = "select";
        EXPECT_EQ(pressed, k.pressed) << what;
        close(w);
    }
}

TEST_F(BrowseBase, ViewAndCopyFollowTheRowsAndTheMenuHasView)
{
    rt::Window* w = open(true, true, {"?View"});
    EXPECT_FALSE((*w)["?View"].enabled());
    EXPECT_FALSE((*w)["?Copy"].enabled());
    ASSERT_TRUE(menu->hasItem("!View"));
    auto item = [&] {
        for (const auto& i : menu->items())
            if (i.name == "!View")
                return i;
        return PopupMenuWindow::Item{};
    };
    EXPECT_EQ(item().text, "&View");
    EXPECT_FALSE(item().enabled);
    EXPECT_TRUE(w->alertKeys().count(269));
    close(w);

    c.addAlbum("Alpha");
    w = open(true, true, {"?View"});
    EXPECT_TRUE((*w)["?View"].enabled());
    EXPECT_TRUE((*w)["?Copy"].enabled());
    EXPECT_TRUE(item().enabled);
    // The menu item presses View.
    EXPECT_TRUE(menu->Execute("!View"));
    c.host.settle();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].request, request::Select);
    close(w);
}

TEST_F(BrowseBase, AListWithoutViewOrCopyIsTheFrameworksList)
{
    c.addAlbum("Alpha");
    rt::Window* w = open(false, false, {"?View"});
    EXPECT_FALSE(menu->hasItem("!View"));
    EXPECT_FALSE(w->alertKeys().count(269));
    // View and Copy buttons that are not bound are left alone.
    EXPECT_TRUE((*w)["?View"].enabled());
    c.host.press(*w, "?View");
    c.host.press(*w, "?Copy");
    EXPECT_TRUE(calls.empty());
    // Enter: View is the default but not the list's, so the framework changes.
    c.host.key(*w, 13);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].request, request::Change);
    close(w);
}

TEST_F(BrowseBase, ViewShowsTheRecordAsAnotherWindowLeftIt)
{
    const std::int64_t id = c.addAlbum("Alpha");
    rt::Window* w = open(true, false, {"?View"});
    // Another window renames the album behind the list's back.
    c.loadAlbum(id);
    c.albums.record()["ALB:Title"] = "Alpha (Remastered)";
    ASSERT_EQ(c.albums.update(), 0);
    c.host.press(*w, "?View");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].request, request::Select);
    EXPECT_EQ(calls[0].title, "Alpha (Remastered)");
    EXPECT_EQ(calls[0].recordId, id);
    close(w);
}

TEST_F(BrowseBase, CopyInsertsFromTheHighlightedRecordsValues)
{
    c.addAlbum("Alpha", "CD");
    c.addAlbum("Beta", "LP");
    rt::Window* w = open(false, true, {});
    c.host.post(*w, {rt::event::ScrollDown, (*w)["?List"].number()});
    c.host.press(*w, "?Copy");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].request, request::Insert);
    EXPECT_EQ(calls[0].media, "LP"); // the title gets the table's default for new albums
    EXPECT_EQ(calls[0].recordId, 0); // a record of its own, not the highlighted one
    close(w);
}

} // namespace
} // namespace qv::qvls::testing
