#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/framework/context_menu.h"
#include "platform/framework/control_resizer.h"
#include "platform/framework/file_chooser.h"
#include "platform/framework/ini_store.h"
#include "platform/framework/text_translator.h"
#include "platform/framework/toolbar_dispatcher.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/services_fixture.h"

using namespace qv;
using namespace qv::fw;

namespace {

// A window procedure made of a definition, a set-up step and a record of
// what reached the controller after the components had their turn.
class Procedure : public WindowController
{
public:
    Procedure(std::string name, const char* yaml, std::function<void(Procedure&)> setup = {})
        : WindowController(name)
        , yaml_(yaml)
        , setup_(std::move(setup))
    { }

    Level Prepare() override
    {
        WindowController::Prepare();
        setWindow(std::make_unique<rt::Window>(rt::parseWindowDef(yaml_, "test", name())));
        addResponseButton("?Close", response::Cancelled);
        if (setup_)
            setup_(*this);
        openWindow();
        return Benign;
    }
    Level OnAccepted(int control) override
    {
        accepted.push_back(control);
        return WindowController::OnAccepted(control);
    }
    Level OnControlEvent(const rt::Event& e) override
    {
        others.push_back(e);
        return Benign;
    }
    int number(std::string_view control) const { return window()[control].number(); }

    std::vector<int> accepted;
    std::vector<rt::Event> others;

private:
    const char* yaml_;
    std::function<void(Procedure&)> setup_;
};

constexpr const char* browseYaml = R"(
title: Browse Albums
at: [0, 0, 200, 100]
flags: [resizable]
menubar:
  - text: "&File"
    items:
      - {name: Quit, text: "&Quit", msg: Leave the list}
controls:
  - {type: list, name: List, at: [10, 10, 100, 50]}
  - {type: text, name: Notes, at: [120, 10, 60, 40]}
  - {type: entry, name: Locator, at: [10, 70, 50, 10], tip: Type to locate}
  - {type: button, name: Insert, text: "&Insert", at: [10, 85, 30, 12]}
  - {type: button, name: Change, text: "&Change", at: [45, 85, 30, 12], flags: [default]}
  - {type: button, name: Delete, text: "&Delete", at: [80, 85, 30, 12]}
  - {type: button, name: View, text: "&View", at: [115, 85, 30, 12], flags: [hidden]}
  - {type: button, name: Close, text: "Cl&ose", at: [150, 80, 40, 12], msg: Close the list}
)";

rt::Window* started(rt::HeadlessHost& host, Procedure& p)
{
    host.start(p.name(), [&p] { p.Execute(); });
    return host.window(p.name());
}

// --- IniStore -----------------------------------------------------------

class IniStoreTest : public ::testing::Test
{
protected:
    IniStoreTest()
        : cwd_(scratch_.path())
    { }
    void write(const std::string& text) { rt::testing::writeFile(scratch_ / "POSITION.INI", text); }
    std::string read() const { return rt::testing::readFile(scratch_ / "POSITION.INI"); }

    rt::testing::ScratchFolder scratch_{"qv companions"};
    rt::testing::ScopedCurrentFolder cwd_;
};

TEST_F(IniStoreTest, ValuesWithDefaultsAndVariablesLeftAlone)
{
    write("[BrowseAlbums]\nFormat=80L(2)|M~Title~\nTab=3\nEmpty=\n");
    IniStore store(".\\POSITION.INI");
    EXPECT_EQ(store.Fetch("browsealbums", "FORMAT"), "80L(2)|M~Title~");
    EXPECT_EQ(store.Fetch("BrowseAlbums", "Missing", "dflt"), "dflt");
    EXPECT_EQ(store.Fetch("BrowseAlbums", "Empty", "dflt"), "") << "an empty value is a value";
    EXPECT_EQ(store.fetchInt("BrowseAlbums", "Tab", 1), 3);
    EXPECT_EQ(store.fetchInt("Nowhere", "Tab", 1), 1);

    std::string format = "kept";
    int tab = 7;
    EXPECT_FALSE(store.fetchInto("BrowseSongs", "Format", format));
    EXPECT_FALSE(store.fetchInto("BrowseSongs", "Tab", tab));
    EXPECT_EQ(format, "kept");
    EXPECT_EQ(tab, 7);
    EXPECT_TRUE(store.fetchInto("BrowseAlbums", "Tab", tab));
    EXPECT_EQ(tab, 3);

    EXPECT_TRUE(store.Update("BrowseSongs", "Tab", "2"));
    EXPECT_TRUE(store.updateInt("BrowseAlbums", "Tab", 4));
    EXPECT_EQ(read(), "[BrowseAlbums]\nFormat=80L(2)|M~Title~\nTab=4\nEmpty=\n[BrowseSongs]\nTab=2\n");

    store.kill();
    EXPECT_EQ(store.Fetch("BrowseAlbums", "Tab", "gone"), "gone");
    EXPECT_FALSE(store.Update("BrowseAlbums", "Tab", "5"));
}

TEST_F(IniStoreTest, PlacementWritesOnlyThePartsGiven)
{
    IniStore store(".\\POSITION.INI");
    EXPECT_TRUE(store.writePlacement("Main", {false, -12, 30, 400, 250}));
    Placement p = store.readPlacement("MAIN");
    EXPECT_EQ(p.maximize, false);
    EXPECT_EQ(p.x, -12);
    EXPECT_EQ(p.y, 30);
    EXPECT_EQ(p.width, 400);
    EXPECT_EQ(p.height, 250);

    // Maximized later: only Maximize changes, the normal place stays.
    EXPECT_TRUE(store.writePlacement("Main", {.maximize = true}));
    EXPECT_EQ(read(), "[Main]\nMaximize=Yes\nXPos=-12\nYPos=30\nHeight=250\nWidth=400\n");

    const Placement none = store.readPlacement("Splash");
    EXPECT_FALSE(none.maximize || none.x || none.y || none.width || none.height);
}

TEST_F(IniStoreTest, RestoringAWindow)
{
    struct Case {
        const char* what;
        const char* section; // the text of [W]
        bool resizable;
        bool definedMaximized;
        rt::Rect expected;
        bool maximized;
    };
    const rt::Rect defined{5, 6, 200, 100};
    const Case cases[] = {
        {"maximized, over its normal place", "Maximize=Yes\nXPos=50\n", true, false, {50, 6, 200, 100}, true},
        {"moved and sized", "Maximize=No\nXPos=50\nYPos=60\nWidth=300\nHeight=150\n", true, false, {50, 60, 300, 150},
            false},
        {"fixed size: moved only", "Maximize=No\nXPos=50\nYPos=60\nWidth=300\nHeight=150\n", false, false,
            {50, 60, 200, 100}, false},
        {"negative place", "Maximize=No\nXPos=-4\nYPos=-9\n", true, false, {-4, -9, 200, 100}, false},
        {"no XPos", "Maximize=No\nYPos=60\nWidth=300\n", true, false, defined, false},
        {"empty XPos", "Maximize=No\nXPos=\nYPos=60\n", true, false, defined, false},
        {"no Maximize", "XPos=50\nYPos=60\n", true, false, defined, false},
        {"no section", "", true, false, defined, false},
        {"sizes that would hide it", "Maximize=No\nXPos=1\nYPos=2\nWidth=0\nHeight=abc\n", true, false,
            {1, 2, 200, 100}, false},
        {"saved unmaximized", "Maximize=No\nXPos=50\nYPos=60\n", true, true, {50, 60, 200, 100}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write(std::string("[W]\n") + c.section);
        rt::WindowDef def;
        def.name = "W";
        def.at = defined;
        def.resizable = c.resizable;
        def.maximized = c.definedMaximized;
        rt::Window w(def);
        IniStore(".\\POSITION.INI").restoreWindow("W", w);
        EXPECT_EQ(w.maximized(), c.maximized);
        const rt::Rect at = w.geometry();
        EXPECT_EQ(std::vector<int>({at.x, at.y, at.width, at.height}),
            std::vector<int>({c.expected.x, c.expected.y, c.expected.width, c.expected.height}));
    }
}

TEST_F(IniStoreTest, APlacementWrittenIsRestoredUnchanged)
{
    rt::WindowDef def;
    def.at = {0, 0, 100, 80};
    def.resizable = true;
    rt::Window from(def), to(def);
    from.setGeometry({17, 23, 321, 187});
    IniStore store(".\\POSITION.INI");
    ASSERT_TRUE(store.writePlacement("UpdateSong", IniStore::placementOf(from)));
    ASSERT_TRUE(store.restoreWindow("UpdateSong", to));
    EXPECT_EQ(to.geometry().x, 17);
    EXPECT_EQ(to.geometry().y, 23);
    EXPECT_EQ(to.geometry().width, 321);
    EXPECT_EQ(to.geometry().height, 187);
    EXPECT_FALSE(to.maximized());
}

// --- TextTranslator ------------------------------------------------------

TEST(TextTranslator, ReplacesTheTextsOfAWindowAsItOpens)
{
    rt::HeadlessHost host;
    TextTranslator translator;
    translator.addTranslation("Browse Albums", "Albums");
    translator.addTranslation("Cl&ose", "&Done");
    translator.addTranslation("Change", "&Edit"); // matches "&Change" without its mark
    translator.addTranslation("Type to locate", "Type the first letters");
    translator.addTranslation("Close the list", "Back to the frame");
    translator.addTranslation("Leave the list", "");
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) { self.addComponent(translator); });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->title(), "Albums");
    EXPECT_EQ((*w)["?Close"].text(), "&Done");
    EXPECT_EQ((*w)["?Change"].text(), "&Edit");
    EXPECT_EQ((*w)["?Insert"].text(), "&Insert") << "not in the table";
    EXPECT_EQ((*w)["?Locator"].toolTip(), "Type the first letters");
    EXPECT_EQ((*w)["?Close"].statusText(), "Back to the frame");
    EXPECT_EQ((*w)["?Quit"].statusText(), "") << "a menu item's status text too";
    EXPECT_EQ(translator.translate("&&Rock & Roll"), "&&Rock & Roll");
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

TEST(TextTranslator, AnEmptyTableChangesNothing)
{
    rt::HeadlessHost host;
    TextTranslator translator;
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) { self.addComponent(translator); });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    const rt::Window reference(rt::parseWindowDef(browseYaml, "test", "BrowseAlbums"));
    EXPECT_EQ(w->title(), reference.title());
    for (std::size_t i = 0; i < w->controls().size(); ++i) {
        EXPECT_EQ(w->controls()[i]->text(), reference.controls()[i]->text());
        EXPECT_EQ(w->controls()[i]->statusText(), reference.controls()[i]->statusText());
        EXPECT_EQ(w->controls()[i]->toolTip(), reference.controls()[i]->toolTip());
    }
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

// --- ContextMenu ---------------------------------------------------------

struct MenuItemSeen {
    std::string text;
    bool enabled;
    bool separator;
    bool operator==(const MenuItemSeen&) const = default;
};

std::vector<MenuItemSeen> seen(const PopupMenuWindow& m)
{
    std::vector<MenuItemSeen> out;
    for (const auto& i : m.items())
        out.push_back({i.text, i.enabled, i.separator});
    return out;
}

TEST(ContextMenu, ItemsFollowTheirButtonsAndPressThem)
{
    rt::HeadlessHost host;
    ContextMenu menu;
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) {
        menu.init(self.window(), self.number("?List"));
        menu.AddItemForButton("&Insert", "?Insert");
        menu.AddItemForButton("&Change", "?Change");
        menu.AddItemForButton("&Delete", "?Delete");
        menu.AddItemForButton("&View", "?View", "!View");
        menu.addSeparator();
        menu.addItemForEvent("Create Label...", 1547);
        menu.addSeparator();
        self.addComponent(menu);
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    (*w)["?Delete"].setEnabled(false);
    const int list = p.number("?List");
    auto rightClick = [&](int control) {
        host.post(*w, rt::Event{rt::event::AlertKey, control, rt::key::MouseRight});
        return host.dialog<PopupMenuWindow>();
    };

    PopupMenuWindow* shown = rightClick(list);
    ASSERT_NE(shown, nullptr);
    const std::vector<MenuItemSeen> expected{
        {"&Insert", true, false},
        {"&Change", true, false},
        {"&Delete", false, false},
        {"-", false, true},
        {"Create Label...", true, false},
    };
    EXPECT_EQ(seen(*shown), expected) << "View is hidden with its button; no trailing separator";
    EXPECT_FALSE(shown->choose("Delete")) << "a disabled item cannot be chosen";
    EXPECT_TRUE(shown->choose("Change"));
    host.settle();
    EXPECT_EQ(host.dialog<PopupMenuWindow>(), nullptr);
    EXPECT_EQ(p.accepted, std::vector<int>{p.number("?Change")});

    // The buttons' state is read each time the menu opens.
    (*w)["?Delete"].setEnabled(true);
    (*w)["?View"].setHidden(false);
    shown = rightClick(list);
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->items().size(), 6u);
    EXPECT_TRUE(shown->items()[2].enabled);
    EXPECT_EQ(shown->items()[3].name, "!View");
    EXPECT_TRUE(shown->choose("Create Label..."));
    host.settle();
    ASSERT_EQ(p.others.size(), 1u);
    EXPECT_EQ(p.others[0].code, 1547);

    // Dismissed: nothing is pressed.
    shown = rightClick(list);
    ASSERT_NE(shown, nullptr);
    shown->dismiss();
    host.settle();
    EXPECT_EQ(p.accepted.size(), 1u);
    EXPECT_EQ(p.others.size(), 1u);

    // A right click elsewhere is not the menu's: the window handles it.
    EXPECT_EQ(rightClick(p.number("?Notes")), nullptr);
    ASSERT_EQ(p.others.size(), 2u);
    EXPECT_EQ(p.others[1].keyCode, rt::key::MouseRight);
    EXPECT_TRUE(w->alertKeys().count(rt::key::MouseRight)) << "the menu asks for right clicks";
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

TEST(ContextMenu, NamesAreUniqueAndItemsCanBeSwitchedOff)
{
    rt::HeadlessHost host;
    ContextMenu menu;
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) {
        menu.init(self.window(), 0);
        EXPECT_EQ(menu.AddItemForButton("&Print", "?Insert"), "Print");
        EXPECT_EQ(menu.AddItemForButton("P&rint", "?Change"), "Print2");
        EXPECT_EQ(menu.addItem("Cop&y"), "Copy");
        self.addComponent(menu);
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    menu.setItemEnabled("COPY", false);
    menu.setItemText("Print2", "Print &All");
    const auto items = menu.items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].text, "Print &All");
    EXPECT_FALSE(items[2].enabled);
    EXPECT_FALSE(menu.Execute("Copy")) << "a plain item is for the caller to act on";
    menu.removeItem("Print");
    EXPECT_FALSE(menu.hasItem("Print"));
    EXPECT_TRUE(menu.Execute("Print2"));
    host.settle();
    EXPECT_EQ(p.accepted, std::vector<int>{p.number("?Change")});
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

// A list's menu of submenus, built as the list builds it: each item inserted
// after a named one, at its level.
struct MenuInsert {
    const char* text;
    const char* name;
    const char* after; // "": at the end
    int level;
    int event;
};

constexpr MenuInsert nestedMenu[] = {
    {"-", "S11", "", 1, 0}, {"&Output", "Output", "", 1, 0}, {"Print All", "PVW", "Output", 2, 1070},
    {"Print Page", "PPG", "PVW", 2, 1069}, {"&List", "List", "", 1, 0}, {"Reset to Default", "DEF", "List", 2, 1036},
    {"&Filter", "Filter", "DEF", 2, 0}, {"Sort on", "SRT", "DEF", 2, 1068}, // right after DEF: before Filter
    {"Add Filter of", "ADDF1", "Filter", 3, 1074},
    {"-", "S31", "ADDF1", 2, 0}, // between items of level 3: inside their submenu
    {"+Add = to Filter", "EQL", "S31", 3, 1080}, {"-", "S32", "EQL", 3, 0}, {"Cancel Filter", "VOID", "S32", 3, 1079},
    {"-", "S33", "VOID", 3, 0}, // before a level-2 item: after the submenu
    {"Colors", "CLR", "S33", 2, 1063}, {"&Help", "Help", "", 1, 1090},
    {"-", "S21", "Output", 2, 0}, // at the top of a submenu: not shown
};

void insertNestedMenu(ContextMenu& menu)
{
    for (const MenuInsert& i : nestedMenu)
        EXPECT_EQ(menu.insertItem(i.text, i.name, i.after, i.level, i.event), i.name);
}

// "name@level", "+" before a check item's name, "-" for a separator.
std::vector<std::string> shape(const std::vector<PopupMenuWindow::Item>& items)
{
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back((i.separator ? "-" : (i.checkable ? "+" : "") + i.name) + "@" + std::to_string(i.level));
    return out;
}

TEST(ContextMenu, InsertedItemsNestByLevelRightAfterTheirNamedItem)
{
    ContextMenu menu;
    menu.addItemForEvent("&Insert", 1100);
    insertNestedMenu(menu);
    const std::vector<std::string> expected{"Insert@1", "-@1", "Output@1", "PVW@2", "PPG@2", "List@1", "DEF@2", "SRT@2",
        "Filter@2", "ADDF1@3", "-@3", "+EQL@3", "-@3", "VOID@3", "-@2", "CLR@2", "Help@1"};
    EXPECT_EQ(shape(menu.items()), expected);
    EXPECT_EQ(menu.items()[11].text, "Add = to Filter") << "the \"+\" is not shown";

    const PopupMenuWindow shown(menu.items(), {});
    std::vector<std::string> heads;
    for (std::size_t i = 0; i < shown.items().size(); ++i)
        if (shown.opensSubmenu(i))
            heads.push_back(shown.items()[i].name);
    EXPECT_EQ(heads, (std::vector<std::string>{"Output", "List", "Filter"}));
    const rt::Control& filter = shown["Filter"];
    EXPECT_EQ(filter.type(), rt::ControlType::Menu);
    ASSERT_EQ(filter.children().size(), 5u);
    EXPECT_EQ(filter.children()[2]->type(), rt::ControlType::Check);
    EXPECT_EQ(filter.children()[4]->name(), "VOID");
    EXPECT_EQ(shown["List"].children().size(), 5u) << "the separator after Filter's items and Colors are List's";

    // Nested items are found, changed and removed by name; a submenu goes with its items.
    menu.setItemText("ADDF1", "Add Filter of (Artist=Abba)");
    EXPECT_EQ(menu.items()[9].text, "Add Filter of (Artist=Abba)");
    EXPECT_EQ(menu.insertItem("Print All", "PVW", "PPG", 2, 1070), "PVW2");
    menu.removeItem("PVW2");
    menu.removeItem("Filter");
    EXPECT_FALSE(menu.hasItem("EQL"));
    EXPECT_TRUE(menu.hasItem("CLR"));
    EXPECT_EQ(shape(menu.items()),
        (std::vector<std::string>{
            "Insert@1", "-@1", "Output@1", "PVW@2", "PPG@2", "List@1", "DEF@2", "SRT@2", "-@2", "CLR@2", "Help@1"}));
}

TEST(ContextMenu, ArrangingKeepsEveryItemWithinReach)
{
    using Item = PopupMenuWindow::Item;
    auto item = [](const char* name, int level) { return Item{name, name, true, false, level}; };
    auto separator = [](int level) { return Item{{}, "-", false, true, level}; };
    const struct {
        const char* what;
        std::vector<Item> items;
        std::vector<std::string> shown;
    } cases[] = {
        {"too deep for the item before", {item("A", 3), item("B", 1), item("C", 3)}, {"A@1", "B@1", "C@2"}},
        {"separators at the ends and twice",
            {separator(1), item("A", 1), separator(1), separator(1), item("B", 1), separator(1)},
            {"A@1", "-@1", "B@1"}},
        {"a separator right under a submenu's head", {item("A", 1), separator(2), item("B", 2)}, {"A@1", "B@2"}},
        {"a submenu's last separator", {item("A", 1), item("B", 2), separator(2)}, {"A@1", "B@2"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shape(PopupMenuWindow::arranged(c.items)), c.shown) << c.what;
}

TEST(ContextMenu, ItemsInsideSubmenusAreChosenAndTicked)
{
    rt::HeadlessHost host;
    ContextMenu menu;
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) {
        menu.init(self.window(), self.number("?List"));
        insertNestedMenu(menu);
        self.addComponent(menu);
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    auto rightClick = [&] {
        host.post(*w, rt::Event{rt::event::AlertKey, p.number("?List"), rt::key::MouseRight});
        return host.dialog<PopupMenuWindow>();
    };
    auto item = [](const PopupMenuWindow& m, std::string_view name) {
        for (const auto& i : m.items())
            if (i.name == name)
                return i;
        return PopupMenuWindow::Item{};
    };

    menu.setItemChecked("EQL", true);
    menu.setItemChecked("VOID", true);
    menu.setItemEnabled("ADDF1", false);
    EXPECT_TRUE(menu.itemChecked("EQL"));
    EXPECT_FALSE(menu.itemChecked("VOID")) << "not a check item";
    PopupMenuWindow* shown = rightClick();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(item(*shown, "EQL").checked);
    EXPECT_EQ((*shown)["EQL"].value(), "1");
    EXPECT_FALSE(item(*shown, "VOID").checked);
    for (const char* refused : {"Filter", "S31", "ADDF1", "Nowhere"})
        EXPECT_FALSE(shown->choose(refused)) << refused;
    EXPECT_TRUE(shown->choose("VOID"));
    host.settle();
    ASSERT_EQ(p.others.size(), 1u);
    EXPECT_EQ(p.others[0].code, 1079);

    // A disabled submenu does not open: nothing inside it can be chosen.
    menu.setItemChecked("EQL", false);
    menu.setItemEnabled("List", false);
    shown = rightClick();
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(item(*shown, "EQL").checked);
    EXPECT_FALSE(shown->choose("EQL"));
    EXPECT_FALSE(shown->choose("CLR"));
    EXPECT_TRUE(shown->choose("PPG"));
    host.settle();
    ASSERT_EQ(p.others.size(), 2u);
    EXPECT_EQ(p.others[1].code, 1069);
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

// --- ToolbarDispatcher ---------------------------------------------------

constexpr const char* frameYaml = R"(
title: Frame
toolbar:
  - {name: TbInsert, text: Insert}
  - {name: TbChange, text: Change}
  - {name: TbDelete, text: Delete}
  - {name: TbDown, text: Down}
  - {name: TbNext, text: Next}
  - {name: TbHistory, text: History}
  - {name: TbAlbums, text: Albums}
)";

constexpr const char* formYaml = R"(
title: Update Album
at: [0, 0, 200, 100]
controls:
  - {type: entry, name: Artist, at: [10, 10, 100, 10]}
  - {type: list, name: Songs, at: [10, 25, 150, 50]}
  - {type: button, name: AddSong, text: "&Add"}
  - {type: button, name: Close, text: Cancel}
)";

class ToolbarTest : public ::testing::Test
{
protected:
    using A = ToolbarDispatcher::Action;
    ToolbarTest()
    {
        ToolbarDispatcher::attachFrame(frame_,
            {{A::Insert, "?TbInsert"}, {A::Change, "?TbChange"}, {A::Delete, "?TbDelete"}, {A::Down, "?TbDown"},
                {A::NextRecord, "?TbNext"}, {A::History, "?TbHistory"}});
    }
    ~ToolbarTest() override { ToolbarDispatcher::detachFrame(); }

    std::string enabled() const
    {
        std::string s;
        for (const char* n : {"?TbInsert", "?TbChange", "?TbDelete", "?TbDown", "?TbNext", "?TbHistory"})
            s += frame_[n].enabled() ? '1' : '0';
        return s;
    }
    bool press(const char* name) { return ToolbarDispatcher::frameAccepted(frame_[name].number()); }

    rt::HeadlessHost host_;
    rt::Window frame_{rt::parseWindowDef(frameYaml, "test", "Frame")};
};

TEST_F(ToolbarTest, FrameButtonsWorkOnTheActiveWindow)
{
    constexpr int history = rt::key::withCtrl(rt::key::Quote);
    ToolbarDispatcher listBar, formBar;
    Procedure list("BrowseAlbums", browseYaml, [&](Procedure& self) {
        listBar.addListTarget(self.number("?List"),
            {.insert = self.number("?Insert"), .change = self.number("?Change"), .delete_ = self.number("?Delete")});
        self.window()["?Delete"].setEnabled(false);
        self.addComponent(listBar);
    });
    Procedure form("UpdateAlbum", formYaml, [&](Procedure& self) {
        self.window().alert(rt::key::withAlt(rt::key::Right));
        self.window().alert(history);
        formBar.setFormTarget(history, true);
        formBar.addListTarget(self.number("?Songs"), {.insert = self.number("?AddSong")});
        formBar.setTarget(0); // the form's own fields first
        self.addComponent(formBar);
    });
    EXPECT_EQ(enabled(), "000000") << "no window yet";

    rt::Window* lw = started(host_, list);
    ASSERT_NE(lw, nullptr);
    EXPECT_EQ(ToolbarDispatcher::active(), &listBar);
    EXPECT_EQ(enabled(), "110100");
    EXPECT_TRUE(press("?TbInsert"));
    host_.settle();
    EXPECT_EQ(list.accepted, std::vector<int>{list.number("?Insert")});
    EXPECT_TRUE(press("?TbDelete")) << "a toolbar button, though it cannot act";
    EXPECT_TRUE(press("?TbDown"));
    host_.settle();
    EXPECT_EQ(list.accepted.size(), 1u) << "Delete is disabled in the window";
    ASSERT_EQ(list.others.size(), 1u);
    EXPECT_EQ(list.others[0].code, rt::event::ScrollDown);
    EXPECT_EQ(list.others[0].control, list.number("?List"));
    EXPECT_FALSE(press("?TbAlbums")) << "the frame's own button";

    rt::Window* fw = started(host_, form); // another thread's window becomes active
    ASSERT_NE(fw, nullptr);
    EXPECT_EQ(ToolbarDispatcher::active(), &formBar);
    EXPECT_EQ(enabled(), "000011");
    press("?TbNext");
    press("?TbHistory");
    host_.settle();
    ASSERT_EQ(form.others.size(), 2u);
    EXPECT_EQ(form.others[0].keyCode, rt::key::withAlt(rt::key::Right));
    EXPECT_EQ(form.others[1].keyCode, history);

    // The song list's tab takes the toolbar, then hands it back.
    formBar.setTarget(form.number("?Songs"));
    EXPECT_EQ(enabled(), "100100");
    press("?TbInsert");
    host_.settle();
    EXPECT_EQ(form.accepted, std::vector<int>{form.number("?AddSong")});
    formBar.setTarget(0);

    // The user clicks the list window: it is active again.
    host_.post(*lw, rt::Event{rt::event::GainFocus});
    EXPECT_EQ(enabled(), "110100");
    (*lw)["?Change"].setHidden(true);
    list.Refresh();
    EXPECT_EQ(enabled(), "100100") << "a hidden button's toolbar twin is off";

    host_.post(*fw, rt::Event{rt::event::GainFocus});
    EXPECT_EQ(ToolbarDispatcher::active(), &formBar);
    host_.press(*fw, "?Close");
    EXPECT_EQ(ToolbarDispatcher::active(), &listBar) << "closing hands back to the window before";
    host_.press(*lw, "?Close");
    EXPECT_EQ(ToolbarDispatcher::active(), nullptr);
    EXPECT_EQ(enabled(), "000000");
    EXPECT_TRUE(host_.failures().empty());
}

// --- FileChooser ---------------------------------------------------------

constexpr const char* songFormYaml = R"(
title: Update Song
controls:
  - {type: entry, name: File, picture: "@s255"}
  - {type: button, name: Browse, text: "..."}
  - {type: button, name: Close, text: Cancel}
)";

TEST(FileChooser, AChosenFileGoesIntoTheVariableACancelLeavesIt)
{
    rt::testing::ScratchFolder scratch{"qv chooser"};
    rt::testing::ScopedCurrentFolder cwd(scratch.path());
    rt::HeadlessHost host;
    std::string file = "old.mp3";
    std::vector<std::string> chosen;
    FileChooser chooser;
    Procedure p("UpdateSong", songFormYaml, [&](Procedure& self) {
        self.window()["?File"].bind({[&] { return file; }, [&](const std::string& v) { file = v; }});
        chooser.init(self.window(), self.number("?File"), self.number("?Browse"));
        chooser.setTitle("Select MP3 or WAV File");
        chooser.addFilter("MP3s", "*.MP3");
        chooser.addFilter("WAV Files", "*.WAV");
        chooser.addFilter("All Files", "*.*");
        chooser.onChosen([&](const std::string& f) { chosen.push_back(f); });
        self.addComponent(chooser);
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);

    file = "/music/Old Song.mp3   "; // changed behind the entry's back, padded
    host.press(*w, "?Browse");
    auto* dialog = host.dialog<rt::FileDialogWindow>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->title(), "Select MP3 or WAV File");
    EXPECT_EQ(dialog->request().filter, "MP3s|*.MP3|WAV Files|*.WAV|All Files|*.*");
    EXPECT_EQ(dialog->request().fileName, "/music/Old Song.mp3");
    EXPECT_FALSE(dialog->request().save);
    rt::FileDialogSpec answer = dialog->request();
    answer.fileName = "/music/It's 100% _new_.mp3";
    dialog->answer(answer);
    host.settle();
    EXPECT_EQ(file, "/music/It's 100% _new_.mp3");
    EXPECT_EQ((*w)["?File"].value(), file);
    EXPECT_EQ(chosen, std::vector<std::string>{file});
    EXPECT_TRUE(p.accepted.empty()) << "the chooser dealt with its button";

    host.press(*w, "?Browse");
    dialog = host.dialog<rt::FileDialogWindow>();
    ASSERT_NE(dialog, nullptr);
    dialog->answer(std::nullopt);
    host.settle();
    EXPECT_EQ(host.dialog<rt::FileDialogWindow>(), nullptr);
    EXPECT_EQ(file, "/music/It's 100% _new_.mp3") << "a cancel leaves the value";
    EXPECT_EQ(chosen.size(), 1u);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(scratch.path()));
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

TEST(FileChooser, AskWithoutAnEntry)
{
    rt::HeadlessHost host;
    FileChooser chooser;
    chooser.setTitle("Select ASCII Export File");
    chooser.addFilter("CSV Files", "*.csv");
    chooser.setSave(true);
    std::optional<std::string> first = "unset", second = "unset";
    host.start("Export", [&] {
        first = chooser.ask("BvOut.CSV");
        second = chooser.ask("BvOut.CSV");
    });
    auto* dialog = host.dialog<rt::FileDialogWindow>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->request().save);
    EXPECT_EQ(dialog->request().fileName, "BvOut.CSV");
    rt::FileDialogSpec answer = dialog->request();
    answer.fileName = "/tmp/out.csv";
    dialog->answer(answer);
    host.settle();
    host.dialog<rt::FileDialogWindow>()->answer(std::nullopt);
    host.settle();
    EXPECT_EQ(first, "/tmp/out.csv");
    EXPECT_EQ(second, std::nullopt);
}

// --- ControlResizer ------------------------------------------------------

std::vector<int> rect(const rt::Window& w, std::string_view control)
{
    const rt::Rect r = w[control].geometry();
    return {r.x, r.y, r.width, r.height};
}

TEST(ControlResizer, GeneralStrategyKeepsRelativePlacesAndGrowsLists)
{
    rt::HeadlessHost host;
    ControlResizer resizer(ControlResizer::AppStrategy);
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) {
        // Close keeps to the bottom-right corner.
        resizer.setStrategy(self.number("?Close"),
            {ControlResizer::Anchor::End, ControlResizer::Anchor::End, ControlResizer::Grow::Fixed,
                ControlResizer::Grow::Fixed});
        resizer.setMinSize(150, 80);
        self.addComponent(resizer);
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->minWidth(), 150);
    auto size = [&](int width, int height) {
        w->userGeometry({0, 0, width, height});
        host.post(*w, rt::Event{rt::event::Sized});
    };

    size(400, 200);
    EXPECT_EQ(rect(*w, "?List"), std::vector<int>({20, 20, 200, 100}));
    EXPECT_EQ(rect(*w, "?Notes"), std::vector<int>({240, 20, 120, 80}));
    EXPECT_EQ(rect(*w, "?Locator"), std::vector<int>({20, 140, 50, 10})) << "an entry moves, keeps its size";
    EXPECT_EQ(rect(*w, "?Change"), std::vector<int>({90, 170, 30, 12}));
    EXPECT_EQ(rect(*w, "?Close"), std::vector<int>({350, 180, 40, 12}));

    // Back and forth at odd sizes: always computed from the design, no drift.
    for (int i = 0; i < 5; ++i) {
        size(333, 177);
        size(211, 111);
    }
    size(200, 100);
    EXPECT_EQ(rect(*w, "?List"), std::vector<int>({10, 10, 100, 50}));
    EXPECT_EQ(rect(*w, "?Close"), std::vector<int>({150, 80, 40, 12}));

    size(100, 50); // below the minimum: laid out at the minimum
    EXPECT_EQ(w->geometry().width, 150);
    EXPECT_EQ(w->geometry().height, 80);
    EXPECT_EQ(rect(*w, "?List"), std::vector<int>({8, 8, 75, 40}));
    EXPECT_EQ(rect(*w, "?Close"), std::vector<int>({100, 60, 40, 12}));
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

TEST(ControlResizer, APlacementRestoredBeforeOpeningIsLaidOut)
{
    rt::HeadlessHost host;
    ControlResizer resizer;
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) {
        self.addComponent(resizer);
        self.window().setGeometry({30, 40, 400, 200});
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(rect(*w, "?List"), std::vector<int>({20, 20, 200, 100}));
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

TEST(ControlResizer, WithoutAStrategyOnlyRuledControlsFollow)
{
    rt::HeadlessHost host;
    ControlResizer resizer(ControlResizer::NoStrategy);
    Procedure p("BrowseAlbums", browseYaml, [&](Procedure& self) {
        resizer.setStrategy(self.number("?Insert"), self.number("?Delete"),
            {ControlResizer::Anchor::Start, ControlResizer::Anchor::End, ControlResizer::Grow::Fixed,
                ControlResizer::Grow::Fixed});
        resizer.setStrategy(self.number("?List"),
            {ControlResizer::Anchor::Start, ControlResizer::Anchor::Start, ControlResizer::Grow::Stretch,
                ControlResizer::Grow::Stretch});
        self.addComponent(resizer);
    });
    rt::Window* w = started(host, p);
    ASSERT_NE(w, nullptr);
    w->userGeometry({0, 0, 260, 130});
    host.post(*w, rt::Event{rt::event::Sized});
    EXPECT_EQ(rect(*w, "?List"), std::vector<int>({10, 10, 160, 80}));
    EXPECT_EQ(rect(*w, "?Insert"), std::vector<int>({10, 115, 30, 12}));
    EXPECT_EQ(rect(*w, "?Delete"), std::vector<int>({80, 115, 30, 12}));
    EXPECT_EQ(rect(*w, "?Notes"), std::vector<int>({120, 10, 60, 40}));
    EXPECT_EQ(rect(*w, "?Close"), std::vector<int>({150, 80, 40, 12}));
    host.press(*w, "?Close");
    EXPECT_TRUE(host.failures().empty());
    EXPECT_EQ(host.window(p.name()), nullptr);
}

} // namespace
