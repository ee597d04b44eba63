// A list whose header a program takes over, on the headless host: where the
// mouse lands, what the hook hears and in which order, the columns' places,
// the width a dragged edge leaves in the format, and which field each column
// shows.

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/runtime/headless.h"
#include "platform/runtime/list_layout.h"
#include "platform/runtime/window.h"

using namespace qv::rt;

namespace {

// Widths 100, 80 and 60 pixels: Artist is resizable with a border, Title
// neither, Year fixed and resizable.
constexpr const char* kFormat = "50L|M~Artist~#2#40R~Title~#1#30LFM~Year~#3#";

class ListBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        queue_ = ListQueue(3);
        queue_.append({"Help!", "The Beatles", "1965"});
        queue_.append({"Abbey Road", "The Beatles", "1969"});
        host_.start("list", [this] {
            Window w(parseWindowDef(std::string("title: Songs\ncontrols:\n  - {type: list, name: List, at: [0, 0, "
                                                "150, 100], format: \"")
                    + kFormat + "\"}\n",
                "test", "Songs"));
            Control& list = w["?List"];
            list.setList(&queue_);
            list.setListMouseHook([this, &list](ListMouse what, const ListHit& at) {
                heard_.push_back({what, at});
                formats_.push_back(list.format());
            });
            w.open();
            window_ = &w;
            for (;;) {
                const Event e = w.waitEvent();
                if (e.code == event::User)
                    job_(w);
                else if (e.code == event::CloseWindow)
                    break;
            }
            window_ = nullptr;
        });
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        if (window_)
            host_.post(*window_, Event{event::CloseWindow});
    }
    Control& list() const { return (*window_)["?List"]; }
    // Runs program code on the window's own thread.
    void program(std::function<void(Window&)> job)
    {
        job_ = std::move(job);
        host_.post(*window_, Event{event::User});
    }

    struct Heard {
        ListMouse what;
        ListHit at;
    };
    HeadlessHost host_;
    ListQueue queue_;
    Window* window_ = nullptr;
    std::function<void(Window&)> job_;
    std::vector<Heard> heard_;
    std::vector<std::string> formats_; // the format as each report came
};

TEST_F(ListBox, GeometryFollowsTheFormatAndTheProperties)
{
    EXPECT_EQ(list().listGeometry(), (ListGeometry{300, 200, HeadlessHost::kListHeaderPixels, 0, 0, {100, 80, 60}}));

    program([](Window& w) {
        w["?List"].setProperty(list_prop::VScroll, "1");
        w["?List"].setFormat("20L40R");
    });
    EXPECT_EQ(list().listGeometry(), (ListGeometry{300, 200, 0, HeadlessHost::kListScrollBarPixels, 0, {40, 80}}))
        << "no header without header texts; the scroll bar once switched on";
}

TEST(ListBoxDefinition, StartsWithTheScrollBarsItWasDesignedWith)
{
    Window w(parseWindowDef("title: T\ncontrols:\n  - {type: list, name: A, flags: [vscroll]}\n"
                            "  - {type: list, name: B, flags: [hscroll]}\n",
        "test", "T"));
    EXPECT_EQ(w["?A"].property(list_prop::VScroll), "1");
    EXPECT_EQ(w["?A"].property(list_prop::HScroll), "");
    EXPECT_EQ(w["?B"].property(list_prop::HScroll), "1");
}

TEST_F(ListBox, APressFindsRowColumnAndResizeEdge)
{
    const int header = HeadlessHost::kListHeaderPixels, row = HeadlessHost::kListRowPixels;
    const struct {
        int x, y;
        ListHit hit;
    } cases[] = {
        {50, 5, {50, 5, 0, 1, false}}, {99, 5, {99, 5, 0, 1, true}}, // within reach of Artist's right edge
        {103, 5, {103, 5, 0, 1, true}}, // even just inside Title
        {100, 5, {100, 5, 0, 1, true}}, {104, 5, {104, 5, 0, 2, false}},
        {180, 5, {180, 5, 0, 2, false}}, // Title's edge is not resizable
        {181, 5, {181, 5, 0, 3, false}}, // Artist's border moved Title on by a pixel
        {182, header + 1, {182, header + 1, 1, 3, false}},
        {100, header + row + 2, {100, header + row + 2, 2, 1, false}}, // edges are the header's
        {250, 5, {250, 5, 0, 0, false}}, // past the last column
        {50, header + 2 * row + 1, {50, header + 2 * row + 1, -1, 1, false}}, // below the rows
    };
    for (const auto& c : cases) {
        host_.listMouse(*window_, "?List", ListMouse::Move, c.x, c.y);
        EXPECT_EQ(list().listMove(), c.hit) << c.x << "," << c.y;
    }
    EXPECT_EQ(host_.listPoint(*window_, "?List", 2, 3), (ListHit{211, header + row + row / 2, 2, 3, false}));
    EXPECT_EQ(host_.listPoint(*window_, "?List", 0, 1, true), (ListHit{100, header / 2, 0, 1, true}));
}

TEST_F(ListBox, FixedColumnsStayWhileTheOthersScrollSideways)
{
    EXPECT_THROW(host_.scrollColumns(*window_, "?List", 1), std::logic_error) << "no scroll bar yet";
    program([](Window& w) {
        w["?List"].setProperty(list_prop::HScroll, "1");
        w["?List"].setFormat("20LF~No~50L|M~Artist~40R~Title~30L~Year~");
    });
    host_.scrollColumns(*window_, "?List", 2);
    EXPECT_EQ(list().listGeometry().scrolledColumns, 2);
    EXPECT_EQ(host_.listPoint(*window_, "?List", 0, 1).x, 20);
    EXPECT_EQ(host_.listPoint(*window_, "?List", 0, 4).x, 70) << "Year follows the fixed column";
    EXPECT_THROW(host_.listPoint(*window_, "?List", 0, 2), std::logic_error) << "Artist is out of sight";
    host_.listMouse(*window_, "?List", ListMouse::Move, 41, 5);
    EXPECT_EQ(list().listMove().column, 4);
    EXPECT_THROW(host_.scrollColumns(*window_, "?List", 3), std::logic_error) << "the last column stays";
}

TEST_F(ListBox, TheHookHearsPressMoveAndReleaseInOrder)
{
    host_.dragHeader(*window_, "?List", 1, 170);
    ASSERT_EQ(heard_.size(), 3u);
    EXPECT_EQ(heard_[0].what, ListMouse::LeftDown);
    EXPECT_TRUE(heard_[0].at.onHeader());
    EXPECT_EQ(heard_[0].at.column, 1);
    EXPECT_EQ(heard_[1].what, ListMouse::Move);
    EXPECT_EQ(heard_[2].what, ListMouse::LeftUp);
    EXPECT_EQ(heard_[2].at.column, 2);
    EXPECT_EQ(list().listPress(), heard_[0].at);
    EXPECT_EQ(list().listRelease(), heard_[2].at);
    EXPECT_EQ(list().format(), kFormat) << "moving a column is the program's business";

    const ListHit onRow = host_.listPoint(*window_, "?List", 2, 2);
    host_.listMouse(*window_, "?List", ListMouse::RightDown, onRow);
    host_.listMouse(*window_, "?List", ListMouse::RightUp, onRow);
    EXPECT_EQ(heard_[3].what, ListMouse::RightDown);
    EXPECT_EQ(heard_[4].what, ListMouse::RightUp);
    EXPECT_EQ(list().selected(), 2) << "a press on a row highlights it";
    EXPECT_EQ(list().mouseDownRow(), 2);
}

TEST_F(ListBox, DraggingAResizableEdgeWritesTheNewWidthBeforeTheReleaseIsReported)
{
    host_.resizeColumn(*window_, "?List", 1, 70);
    const std::string resized = "70L|M~Artist~#2#40R~Title~#1#30LFM~Year~#3#";
    EXPECT_EQ(list().format(), resized);
    ASSERT_EQ(heard_.size(), 3u);
    EXPECT_EQ(heard_[2].what, ListMouse::LeftUp);
    EXPECT_TRUE(heard_[2].at.edge);
    EXPECT_EQ(heard_[2].at.column, 1);
    EXPECT_EQ(formats_[2], resized);
    EXPECT_EQ(list().listGeometry().columnWidths, (std::vector<int>{140, 80, 60}));

    // A press off an edge resizes nothing, nor a click near one.
    host_.dragHeader(*window_, "?List", 2, 20);
    EXPECT_EQ(list().format(), resized);
    host_.listMouse(*window_, "?List", ListMouse::LeftDown, 142, 5);
    host_.listMouse(*window_, "?List", ListMouse::LeftUp, 142, 5);
    EXPECT_EQ(list().format(), resized);
    EXPECT_TRUE(list().listRelease().edge);
}

TEST_F(ListBox, ADisabledOrHiddenListTakesNoMouse)
{
    for (auto off : {+[](Control& c) { c.setEnabled(false); }, +[](Control& c) { c.setHidden(true); }}) {
        program([off](Window& w) { off(w["?List"]); });
        EXPECT_THROW(host_.listMouse(*window_, "?List", ListMouse::LeftDown, 50, 5), std::logic_error);
        EXPECT_THROW(host_.resizeColumn(*window_, "?List", 1, 60), std::logic_error);
        program([](Window& w) {
            w["?List"].setEnabled(true);
            w["?List"].setHidden(false);
        });
    }
    EXPECT_TRUE(heard_.empty());
}

TEST_F(ListBox, ColumnsShowTheirOwnFieldsWithColoursAndIconsAfterThem)
{
    // year, four colours, song, icon, a field no column shows, album
    ListQueue rows(9);
    rows.append({"1969", "255", "-1", "", "16777215", "Come Together", "2", "hidden", "Abbey Road"});
    program([&rows](Window& w) {
        w["?List"].setList(&rows);
        w["?List"].setFormat("60L~Album~#9#30L*~Year~#1#50LI~Song~");
    });
    const struct {
        int column;
        std::string value;
        std::array<long, 4> colours;
        int icon;
    } cases[] = {
        {1, "Abbey Road", {-1, -1, -1, -1}, 0},
        {2, "1969", {255, -1, -1, 16777215}, 0},
        {3, "Come Together", {-1, -1, -1, -1}, 2},
    };
    for (const auto& c : cases) {
        const ListCell cell = host_.listCell(*window_, "?List", 1, c.column);
        EXPECT_EQ(cell.value, c.value) << c.column;
        EXPECT_EQ(cell.colours, c.colours) << c.column;
        EXPECT_EQ(cell.icon, c.icon) << c.column;
    }
    program([](Window& w) { w["?List"].setList(nullptr); });
}

} // namespace
