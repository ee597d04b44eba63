#include <gtest/gtest.h>

#include "platform/runtime/headless.h"
#include "platform/runtime/window.h"

using namespace qv::rt;

namespace {

constexpr const char* formYaml = R"(
title: Update Album
at: [0, 0, 300, 200]
font: {name: MS Sans Serif, size: 8}
flags: [resizable, center]
status: [-1, 100]
alerts: [CtrlS, MouseLeft2]
timer: 100
menubar:
  - text: "&File"
    items:
      - {name: Save, text: "&Save", key: CtrlS, msg: Save the album}
      - separator
      - {name: Exit, text: "E&xit", std: close}
controls:
  - {type: prompt, name: ArtistPrompt, text: "&Artist:", at: [8, 8], font: {color: "#FF8000"}}
  - {type: entry, name: Artist, use: ALB:Artist, picture: "@s40", at: [60, 8, 120, 10], flags: [required]}
  - type: sheet
    name: Sheet
    tabs:
      - text: General
        controls:
          - {type: check, name: Live, text: Live recording, use: ALB:Live}
      - text: Notes
        flags: [hidden]
        controls:
          - {type: text, name: Notes, use: ALB:Notes}
  - {type: list, name: List, format: "80L(2)|M~Title~@s40@"}
  - {type: button, name: Ok, text: OK, flags: [default]}
)";

TEST(WindowDefinition, ReadsControlsInDocumentOrder)
{
    const WindowDef def = parseWindowDef(formYaml, "test", "UpdateAlbum");
    EXPECT_EQ(def.title, "Update Album");
    EXPECT_TRUE(def.resizable);
    EXPECT_EQ(def.timer, 100);
    EXPECT_EQ(def.alertKeys, (std::vector<int>{595, 5}));
    ASSERT_EQ(def.menubar.size(), 1u);
    EXPECT_EQ(def.menubar[0].children[0].key, 595);
    EXPECT_EQ(def.menubar[0].children[1].type, ControlType::Separator);

    Window w(def);
    const char* order[]
        = {"", "?Save", "", "?Exit", "?ArtistPrompt", "?Artist", "?Sheet", "", "?Live", "", "?Notes", "?List", "?Ok"};
    ASSERT_EQ(w.controls().size(), std::size(order));
    for (size_t i = 0; i < std::size(order); ++i) {
        EXPECT_EQ(w.controls()[i]->number(), static_cast<int>(i) + 1);
        EXPECT_EQ(w.controls()[i]->name(), order[i]);
    }
    EXPECT_EQ(w["?artist"].number(), 6) << "names ignore case";
    EXPECT_EQ(static_cast<int>(w["?Sheet"].type()), 37);
    EXPECT_TRUE(w["?Artist"].required());
    EXPECT_EQ(w["?ArtistPrompt"].font().color, 0x0080FF) << "colours are stored blue-green-red";
    EXPECT_EQ(w["?Artist"].font().color, -1);
    EXPECT_TRUE(w["?Notes"].effectivelyHidden()) << "a control on a hidden tab is hidden";
    EXPECT_FALSE(w["?Live"].effectivelyHidden());
}

// The menu, prompts and the sheet itself take no focus; a disabled or
// hidden field is passed over as a user's Tab would pass it.
TEST(WindowDefinition, TheFirstFocusableControlIsWhereAUserWouldStart)
{
    Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
    EXPECT_EQ(w.firstFocusable(), &w["?Artist"]);
    w["?Artist"].setEnabled(false);
    EXPECT_EQ(w.firstFocusable(), &w["?Live"]);
    w["?Live"].setHidden(true);
    EXPECT_EQ(w.firstFocusable(), &w["?List"]) << "the text on the hidden tab is passed over";
}

TEST(WindowDefinition, MistakesAreReportedWithTheWindowName)
{
    struct Case {
        const char* yaml;
        const char* message;
    };
    const Case cases[] = {
        {"controls:\n  - {type: knob}\n", "unknown control type 'knob'"},
        {"controls:\n  - {type: entry, colour: red}\n", "unknown control entry 'colour'"},
        {"flags: [floating]\n", "unknown window flag 'floating'"},
        {"alerts: [CtrlHyper]\n", "unknown key 'CtrlHyper'"},
        {"controls:\n  - {font: {color: mauve}}\n", "a colour is"},
        {"controls:\n  - {name: A}\n  - {name: a}\n", "used twice"},
        {"controls: [\n", "yaml-cpp"},
        {"- just a list\n", "the definition is a mapping"},
    };
    for (const Case& c : cases) {
        try {
            parseWindowDef(c.yaml, "test", "Broken");
            ADD_FAILURE() << c.yaml;
        } catch (const DefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find("test/Broken"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(WindowModel, UseVariablesFlowThroughPictures)
{
    setPictureHooks({[](const std::string& v, const std::string& pic) { return pic == "@s40" ? "[" + v + "]" : v; },
        [](const std::string& t, const std::string&) { return t.substr(1, t.size() - 2); }});
    HeadlessHost host;
    std::string artist = "Abba";
    std::string seenInHandler;
    host.start("Form", [&] {
        Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
        w["?Artist"].bind({[&] { return artist; }, [&](const std::string& v) { artist = v; }});
        w.open();
        w.display();
        for (;;) {
            const Event e = w.waitEvent();
            if (e.code == event::Accepted && e.control == w["?Artist"].number())
                seenInHandler = artist; // already updated when the event arrives
            if (e.code == event::CloseWindow)
                break;
        }
    });
    Window* w = host.window("UpdateAlbum");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ((*w)["?Artist"].value(), "[Abba]");
    host.enter(*w, "?Artist", "[Blondie]");
    EXPECT_EQ(artist, "Blondie");
    EXPECT_EQ(seenInHandler, "Blondie");
    setPictureHooks({});
}

// A text that only shows a variable never writes it back: updating the
// window after an entry of the same variable changed keeps the entry's value.
TEST(WindowModel, ATextShownGivesNothingBack)
{
    HeadlessHost host;
    std::string side = "1";
    host.start("Form", [&] {
        Window w(parseWindowDef("title: Song\ncontrols:\n"
                                "  - {type: entry, name: Side, use: \"X\", at: [4, 4, 40, 12]}\n"
                                "  - {type: string, name: Shown, use: \"X\", at: [4, 20, 40, 10]}\n"
                                "  - {type: prompt, name: Label, use: \"X\", at: [4, 34, 40, 10]}\n",
            "test", "Song"));
        for (const char* c : {"?Side", "?Shown", "?Label"})
            w[c].bind({[&] { return side; }, [&](const std::string& v) { side = v; }});
        w.open();
        w.display();
        for (;;) {
            const Event e = w.waitEvent();
            if (e.code == event::Accepted)
                w.update(); // as a form does before it saves
            if (e.code == event::CloseWindow)
                break;
        }
    });
    Window* w = host.window("Song");
    ASSERT_NE(w, nullptr);
    host.enter(*w, "?Side", "2");
    EXPECT_EQ(side, "2");
    host.post(*w, Event{event::CloseWindow});
}

// Choosing in a drop list is a choice made: the control takes the value the
// choice stands for and is accepted, on every host alike.
TEST(WindowModel, AChosenDropListChoiceIsItsValueAccepted)
{
    HeadlessHost host;
    std::vector<Event> events;
    std::string ending, shown;
    host.start("Form", [&] {
        Window w(
            parseWindowDef("title: Song\ncontrols:\n"
                           "  - {type: droplist, name: Ending, from: \"Slow|#S|Fast|#F|Abrupt\", at: [4, 4, 60, 40]}\n"
                           "  - {type: list, name: Songs, at: [4, 50, 60, 40]}\n",
                "test", "Song"));
        w.open();
        for (;;) {
            const Event e = w.waitEvent();
            if (e.code == event::CloseWindow)
                break;
            events.push_back(e);
            ending = w["?Ending"].value();
        }
    });
    Window* w = host.window("Song");
    ASSERT_NE(w, nullptr);
    for (const auto& [choice, value] : std::vector<std::pair<int, std::string>>{{2, "F"}, {3, "Abrupt"}, {1, "S"}}) {
        host.choose(*w, "?Ending", choice);
        EXPECT_EQ(ending, value) << choice;
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().code, event::Accepted);
    }
    // A list's row is only highlighted: a new selection, not an acceptance.
    host.choose(*w, "?Songs", 1);
    EXPECT_EQ(events.back().code, event::NewSelection);
    host.post(*w, Event{event::CloseWindow});
}

TEST(WindowModel, AlertKeysArriveAsEvents)
{
    HeadlessHost host;
    std::vector<int> keys;
    host.start("Form", [&] {
        Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
        w.open();
        for (;;) {
            const Event e = w.waitEvent();
            if (e.code == event::AlertKey)
                keys.push_back(e.keyCode);
            if (e.code == event::CloseWindow)
                break;
        }
    });
    Window* w = host.window("UpdateAlbum");
    host.key(*w, 595);
    host.key(*w, 596); // not alerted
    host.key(*w, 5);
    EXPECT_EQ(keys, (std::vector<int>{595, 5}));
}

// Keys alerted at once, in any order, join the definition's and leave one by one.
TEST(WindowModel, AlertKeysFormOneSet)
{
    Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
    w.alert(std::vector<int>{300, 65, 66, 5, 65, 1000});
    w.alert(7);
    w.unalert(66);
    w.unalert(595);
    std::vector<int> keys(w.alertKeys().begin(), w.alertKeys().end());
    EXPECT_EQ(keys, (std::vector<int>{5, 7, 65, 300, 1000}));
    EXPECT_TRUE(w.alertKeys().count(300));
    EXPECT_FALSE(w.alertKeys().count(66));
}

// A user cannot type into a read-only control until the program opens it.
TEST(WindowModel, AReadOnlyControlTakesTypingOnlyOnceOpened)
{
    HeadlessHost host;
    host.start("Form", [&] {
        Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
        w["?Artist"].setReadOnly(true);
        w.open();
        for (;;) {
            const Event e = w.waitEvent();
            if (e.code == event::Accepted && e.control == w["?Ok"].number())
                w["?Artist"].setReadOnly(false);
            if (e.code == event::CloseWindow)
                break;
        }
    });
    Window* w = host.window("UpdateAlbum");
    ASSERT_NE(w, nullptr);
    EXPECT_THROW(host.enter(*w, "?Artist", "Blondie"), std::logic_error);
    host.press(*w, "?Ok");
    host.enter(*w, "?Artist", "Blondie");
    EXPECT_EQ((*w)["?Artist"].value(), "Blondie");
}

// Controls a program adds while the window is open are found by their
// number beside the definition's, and go again without a trace.
TEST(WindowModel, ControlsAddedAtRunTimeComeAndGo)
{
    struct Heard : HeadlessHost {
        std::vector<std::string> changes;
        void controlChanged(Control& c, ControlChange what) override
        {
            if (what == ControlChange::Created || what == ControlChange::Destroyed)
                changes.push_back((what == ControlChange::Created ? "+" : "-") + std::to_string(c.number()));
            HeadlessHost::controlChanged(c, what);
        }
    } host;
    int designed = 0;
    Control* found = nullptr;
    bool refused = false, focusGone = false;
    host.start("Form", [&] {
        Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
        w.open();
        designed = static_cast<int>(w.controls().size());
        ControlDef bar;
        bar.type = ControlType::Box;
        bar.number = 401;
        bar.at = {10, 20, 30, 40};
        Control& added = w.createControl(bar);
        found = w.control(401) == &added && added.geometry().height == 40 ? &added : nullptr;
        try {
            w.createControl(bar);
        } catch (const std::logic_error&) {
            bar.number = 2; // the definition's own
            try {
                w.createControl(bar);
            } catch (const std::logic_error&) {
                refused = true;
            }
        }
        w.select(added);
        w.destroyControl(401);
        focusGone = w.focus() == nullptr && w.control(401) == nullptr && w.addedControls().empty()
            && static_cast<int>(w.controls().size()) == designed;
    });
    host.settle();
    EXPECT_NE(found, nullptr);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(focusGone);
    EXPECT_EQ(host.changes, (std::vector<std::string>{"+401", "-401"}));
}

// The area a window shows its controls in is its own size until the host
// reports another, as it does for a maximised window.
TEST(WindowModel, TheShownAreaFollowsTheHost)
{
    Window w(parseWindowDef(formYaml, "test", "UpdateAlbum"));
    EXPECT_EQ(w.area().width, 300);
    EXPECT_EQ(w.area().height, 200);
    EXPECT_TRUE(w.userArea(640, 480));
    EXPECT_FALSE(w.userArea(640, 480));
    EXPECT_EQ(w.area().width, 640);
    EXPECT_EQ(w.geometry().width, 300);
}

} // namespace
