// Rows dragged from one list and dropped on another (or on the same list):
// the source hears of it first and may hand a text over, then the target.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/runtime/headless.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"

using namespace qv::rt;

namespace {

// A window with one list over rows "r1".."rN"; it notes every event of the
// list with the list's rows and drop text as they were when it arrived.
struct ListProgram {
    ListProgram(std::string name, std::string drag, std::string drop, int rows = 5)
        : name(std::move(name))
        , drag(std::move(drag))
        , drop(std::move(drop))
        , rows(rows)
    { }
    std::string name;
    std::string drag, drop;
    int rows;
    std::function<void(Window&, Control&)> onDrag; // replaces the default handling
    std::vector<std::string> seen;

    std::string yaml() const
    {
        std::string list = "{type: list, name: List, at: [4, 4, 100, 60]";
        if (!drag.empty())
            list += ", drag: " + drag;
        if (!drop.empty())
            list += ", drop: " + drop;
        return "title: " + name + "\ncontrols:\n  - " + list + "}\n  - {type: button, name: Ok, text: OK}\n";
    }

    void run()
    {
        ListQueue queue;
        for (int i = 1; i <= rows; ++i)
            queue.append({"r" + std::to_string(i)});
        Window w(parseWindowDef(yaml(), "test", name));
        Control& list = w["?List"];
        list.setList(&queue);
        w.open();
        for (;;) {
            const Event e = w.waitEvent();
            if (e.code == event::CloseWindow)
                break;
            if (e.control != list.number())
                continue;
            switch (e.code) {
            case event::NewSelection:
                seen.push_back("select " + std::to_string(list.selected()));
                break;
            case event::Dragging:
                seen.push_back("drag " + std::to_string(list.mouseDownRow()));
                if (onDrag)
                    onDrag(w, list);
                break;
            case event::Drop:
                seen.push_back("drop " + std::to_string(list.mouseUpRow()) + " " + list.dropText());
                break;
            default:
                break;
            }
        }
    }
};

struct DragDrop : ::testing::Test {
    HeadlessHost host;

    Window& start(ListProgram& p)
    {
        host.start(p.name, [&p] { p.run(); });
        Window* w = host.window(p.name);
        EXPECT_NE(w, nullptr);
        return *w;
    }
};

TEST_F(DragDrop, IdentifiersComeFromTheDefinitionAndMatchWithoutRegardToCase)
{
    struct Case {
        const char* drag;
        const char* drop;
        bool accepted;
    };
    const Case cases[] = {
        {"Details", "Details", true}, {"Songs", "SONGS", true}, {"Songs", "Details", false}, {"Songs", "", false},
        {"", "", false}, // a list without a drag id has nothing to drag
    };
    for (const Case& c : cases) {
        ListProgram source{"Source", c.drag, ""};
        ListProgram target{"Target", "", c.drop};
        Window& from = start(source);
        Window& to = start(target);
        EXPECT_EQ(from["?List"].dragId(), c.drag);
        EXPECT_EQ(to["?List"].dropId(), c.drop);
        EXPECT_EQ(to["?List"].acceptsDropFrom(from["?List"]), c.accepted) << c.drag << " on " << c.drop;

        host.drag(from, "?List", 2, to, "?List", 4);
        using Seen = std::vector<std::string>;
        EXPECT_EQ(source.seen, (c.accepted ? Seen{"select 2", "drag 2"} : Seen{"select 2"}))
            << "the press highlights the row either way";
        EXPECT_EQ(target.seen, (c.accepted ? Seen{"drop 4 " + std::string(c.drag)} : Seen{}))
            << c.drag << " on " << c.drop;
        host.post(from, {event::CloseWindow});
        host.post(to, {event::CloseWindow});
    }
}

TEST_F(DragDrop, ARowMovedWithinOneListTellsItBothRows)
{
    ListProgram details{"Details", "Details", "details"};
    Window& w = start(details);
    host.drag(w, "?List", 5, w, "?List", 2);
    EXPECT_EQ(details.seen, (std::vector<std::string>{"select 5", "drag 5", "drop 2 Details"}));

    // Pressing the highlighted row again selects nothing new; letting go
    // below the last row drops on row 0.
    details.seen.clear();
    host.drag(w, "?List", 5, w, "?List", 0);
    EXPECT_EQ(details.seen, (std::vector<std::string>{"drag 5", "drop 0 Details"}));
    EXPECT_EQ(w["?List"].selected(), 5) << "the list itself moves nothing";
}

// The source, on another thread, replaces the drop text; the target reads
// it even when the source let the other threads run before it did so.
TEST_F(DragDrop, BetweenTwoThreadsTheTargetGetsTheTextTheSourceHandsOver)
{
    ListProgram playlist{"Playlist", "Songs", "Songs", 2};
    ListProgram songs{"Songs", "Songs", ""};
    songs.onDrag = [](Window&, Control& list) {
        Scheduler::instance().yield();
        list.setDropText("id of r" + std::to_string(list.selected()));
    };
    Window& to = start(playlist);
    Window& from = start(songs);
    ASSERT_NE(from.thread(), to.thread());

    host.drag(from, "?List", 3, to, "?List", 1);
    EXPECT_EQ(songs.seen, (std::vector<std::string>{"select 3", "drag 3"}));
    EXPECT_EQ(playlist.seen, (std::vector<std::string>{"drop 1 id of r3"}));
    EXPECT_EQ(to["?List"].mouseDownRow(), 0) << "the target's own drag row is untouched";

    // The next drag starts with the drag id as its text again.
    songs.onDrag = {};
    playlist.seen.clear();
    host.drag(from, "?List", 3, to, "?List", 2);
    EXPECT_EQ(playlist.seen, (std::vector<std::string>{"drop 2 Songs"}));
}

TEST_F(DragDrop, ATargetThatClosesBeforeTheSourceIsDoneGetsNothing)
{
    ListProgram playlist{"Playlist", "", "Songs"};
    ListProgram songs{"Songs", "Songs", ""};
    Window& to = start(playlist);
    const int target = to.thread();
    songs.onDrag = [&](Window&, Control&) {
        Scheduler::instance().post(target, {event::CloseWindow});
        Scheduler::instance().yield();
    };
    Window& from = start(songs);
    host.drag(from, "?List", 1, to, "?List", 1);
    EXPECT_EQ(songs.seen, (std::vector<std::string>{"select 1", "drag 1"}));
    EXPECT_TRUE(playlist.seen.empty());
    EXPECT_EQ(host.window("Playlist"), nullptr);
    EXPECT_TRUE(host.failures().empty());
}

TEST_F(DragDrop, IdentifiersSetWhileTheWindowIsOpenApplyAtOnce)
{
    ListProgram source{"Source", "", ""};
    ListProgram target{"Target", "", "Albums"};
    Window& from = start(source);
    Window& to = start(target);
    host.drag(from, "?List", 1, to, "?List", 1);
    EXPECT_TRUE(target.seen.empty());
    from["?List"].setDragId("albums");
    host.drag(from, "?List", 1, to, "?List", 1);
    EXPECT_EQ(target.seen, (std::vector<std::string>{"drop 1 albums"}));
    to["?List"].setDropId("");
    host.drag(from, "?List", 1, to, "?List", 1);
    EXPECT_EQ(target.seen.size(), 1u);
}

// A user cannot drag from or onto a list that is off or out of sight, nor
// from a row that is not there.
TEST_F(DragDrop, UnusableListsAndMissingRowsCannotBeDragged)
{
    ListProgram source{"Source", "Songs", ""};
    ListProgram target{"Target", "", "Songs"};
    Window& from = start(source);
    Window& to = start(target);
    struct Case {
        const char* what;
        std::function<void()> spoil, mend;
        int row, targetRow;
    };
    const Case cases[] = {
        {"disabled source", [&] { from["?List"].setEnabled(false); }, [&] { from["?List"].setEnabled(true); }, 1, 1},
        {"hidden target", [&] { to["?List"].setHidden(true); }, [&] { to["?List"].setHidden(false); }, 1, 1},
        {"no such row", [] {}, [] {}, 6, 1},
        {"no row pressed", [] {}, [] {}, 0, 1},
        {"beyond the target's rows", [] {}, [] {}, 1, 6},
    };
    for (const Case& c : cases) {
        c.spoil();
        EXPECT_THROW(host.drag(from, "?List", c.row, to, "?List", c.targetRow), std::logic_error) << c.what;
        c.mend();
    }
    EXPECT_THROW(host.drag(from, "?List", 1, to, "?Ok", 1), std::logic_error) << "only a list takes rows";
    EXPECT_TRUE(source.seen.empty());
    EXPECT_TRUE(target.seen.empty());
}

} // namespace
