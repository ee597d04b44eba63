#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/window.h"
#include "qvls/core/required_fields.h"

namespace qv::qvls::testing {
namespace {

// A form with every kind of required control, prompts that label them (one
// labels two controls), and controls the check must pass over.
constexpr const char* formYaml = R"(
title: Album
controls:
  - {type: prompt, text: "&Artist:"}
  - {type: entry, name: Artist, use: "ALB:Artist", picture: "@s50", msg: "The album's artist", tip: "Artist name", flags: [required]}
  - {type: prompt, text: "&Released:"}
  - {type: entry, name: Year, use: "ALB:ReleaseDate", picture: "@n4", flags: [required]}
  - {type: prompt, text: "&Code:"}
  - {type: entry, name: Code, use: "ALB:Code", picture: "@s10", flags: [required]}
  - {type: prompt, text: "&Title:"}
  - {type: entry, name: Title, use: "ALB:Title", flags: [required]}
  - {type: entry, name: Subtitle, use: "ALB:Subtitle", flags: [required]}
  - {type: prompt, text: "N&otes:"}
  - {type: text, name: Notes, use: "ALB:Notes", flags: [required]}
  - {type: prompt, text: "Off:"}
  - {type: entry, name: Off, flags: [required, disabled]}
  - {type: prompt, text: "Gone:"}
  - {type: entry, name: Gone, flags: [required, hidden]}
  - {type: prompt, text: "Free:"}
  - {type: entry, name: Free}
  - {type: button, name: OK, text: "&OK", flags: [required]}
)";

struct Outcome {
    int result = -1;
    std::string text, title, focus;
    bool messageShown = false;
    std::vector<std::string> buttons;
};

class Required : public ::testing::Test
{
protected:
    rt::HeadlessHost host;

    // Opens the form, fills it, validates once and answers the message.
    Outcome validate(const std::map<std::string, std::string>& values,
        const std::function<void(RequiredFields&, rt::Window&)>& adjust = {}, const char* yaml = formYaml)
    {
        Outcome out;
        std::string notesAfter;
        host.start("UpdateAlbum", [&] {
            rt::Window w(rt::parseWindowDef(yaml, "test", "UpdateAlbum"));
            w.open();
            RequiredFields req;
            req.Prepare(w, kMissingTitle, kMissingTemplate);
            if (adjust)
                adjust(req, w);
            for (const auto& [name, value] : values)
                w[name].setValue(value);
            out.result = req.Validate(false);
            out.focus = w.focus() ? w.focus()->name() : "";
            if (rt::Control* n = w.control("?Notes"))
                notesAfter = n->value();
            req.Release();
        });
        if (rt::MessageBoxWindow* m = host.messageBox()) {
            out.messageShown = true;
            out.text = m->text();
            out.title = m->title();
            for (const auto& b : m->buttons())
                out.buttons.push_back(b.text);
            host.answer(1);
        }
        notes = notesAfter;
        return out;
    }
    std::string notes;

    static std::map<std::string, std::string> filled()
    {
        return {{"?Artist", "Someone"}, {"?Year", "1999"}, {"?Code", "0"}, {"?Title", "T"}, {"?Subtitle", "S"},
            {"?Notes", "a note"}};
    }
};

TEST_F(Required, ControlsAndTheirPromptsAreCollected)
{
    std::vector<std::string> seen;
    validate(filled(), [&](RequiredFields& req, rt::Window& w) {
        for (const auto& f : req.fields())
            seen.push_back(w.control(f.feq)->name() + "=" + f.prompt + "|" + f.msg + "|" + f.tip + "|" + f.fldName);
    });
    EXPECT_EQ(seen,
        (std::vector<std::string>{
            "?Artist=Artist|The album's artist|Artist name|ALB:Artist",
            "?Year=Released|||ALB:ReleaseDate",
            "?Code=Code|||ALB:Code",
            "?Title=Title|||ALB:Title",
            "?Subtitle=Title|||ALB:Subtitle", // the prompt of the control before
            "?Notes=Notes|||ALB:Notes",
            "?Off=Off|||",
            "?Gone=Gone|||",
        }));
}

TEST_F(Required, ValidationTable)
{
    struct Case {
        const char* what;
        std::map<std::string, std::string> change;
        const char* reported; // "" when nothing is missing
        const char* prompt;
    };
    const std::vector<Case> cases{
        {"all filled (a text picture holding 0 counts)", {}, "", ""},
        {"blank text entry", {{"?Artist", "   "}}, "?Artist", "Artist"},
        {"numeric entry holding 0", {{"?Year", "0"}}, "?Year", "Released"},
        {"numeric entry left empty", {{"?Year", ""}}, "?Year", "Released"},
        {"text picture holding the digit 0 is filled", {{"?Code", "0"}}, "", ""},
        {"two missing: the lower number only", {{"?Subtitle", ""}, {"?Artist", ""}}, "?Artist", "Artist"},
        {"a control without a prompt takes the one before", {{"?Subtitle", ""}}, "?Subtitle", "Title"},
        {"text box of blanks and line breaks", {{"?Notes", " \r\n \n"}}, "?Notes", "Notes"},
    };
    for (const Case& c : cases) {
        auto values = filled();
        for (const auto& [k, v] : c.change)
            values[k] = v;
        const Outcome o = validate(values);
        if (std::string(c.reported).empty()) {
            EXPECT_EQ(o.result, 0) << c.what;
            EXPECT_FALSE(o.messageShown) << c.what;
            continue;
        }
        EXPECT_NE(o.result, 0) << c.what;
        EXPECT_EQ(o.focus, c.reported) << c.what;
        EXPECT_EQ(o.title, "Missing Information") << c.what;
        EXPECT_EQ(o.text, "\"" + std::string(c.prompt) + "\" must be entered.") << c.what;
        EXPECT_EQ(o.buttons, (std::vector<std::string>{"&OK"})) << c.what;
    }
}

TEST_F(Required, AnEmptiedTextBoxIsClearedBeforeTheMessage)
{
    auto values = filled();
    values["?Notes"] = "  \r\n";
    validate(values);
    EXPECT_EQ(notes, "");
}

TEST_F(Required, DisabledHiddenAndUnmarkedControlsAreNeverReported)
{
    auto values = filled();
    values["?Off"] = "";
    values["?Gone"] = "";
    values["?Free"] = "";
    EXPECT_EQ(validate(values).result, 0);
    // Unmarked at run time: passed over as well.
    values["?Artist"] = "";
    EXPECT_EQ(validate(values, [](RequiredFields&, rt::Window& w) { w["?Artist"].setRequired(false); }).result, 0);
}

TEST_F(Required, SetFieldNamesAControlAndAddsOne)
{
    auto values = filled();
    values["?Free"] = "";
    values["?Artist"] = "";
    const Outcome o = validate(values, [](RequiredFields& req, rt::Window& w) {
        req.SetField(w["?Artist"].number(), true, "&Performer:", "Performer", "Performer", "ALB:Artist");
        req.SetField(w["?Free"].number(), false, "Free", "Free", "Free", "LOC:Free"); // not added
        w["?Free"].setRequired(true);
    });
    EXPECT_EQ(o.text, "\"Performer\" must be entered.");
    values["?Artist"] = "x";
    EXPECT_EQ(validate(values,
                  [](RequiredFields& req, rt::Window& w) {
                      w["?Free"].setRequired(true);
                      req.SetField(w["?Free"].number(), false, "Free", "Free", "Free", "LOC:Free");
                  })
                  .result,
        0);
}

TEST_F(Required, TemplatePlaceholdersInAnyCase)
{
    auto values = filled();
    values["?Artist"] = "";
    const Outcome o = validate(values, [](RequiredFields& req, rt::Window& w) {
        req.Prepare(w, "Check", "@prompt (@Msg, @TIP) for @field is missing.|Type @PROMPT");
    });
    EXPECT_EQ(o.title, "Check");
    EXPECT_EQ(o.text, "\"Artist\" (The album's artist, Artist name) for \"ALB:Artist\" is missing.\nType \"Artist\"");
}

TEST_F(Required, OwnMessageOfAControl)
{
    auto values = filled();
    values["?Year"] = "0";
    const Outcome o = validate(values, [](RequiredFields& req, rt::Window& w) {
        req.setFieldText(w["?Year"].number(), "Year", "A release year, please.");
    });
    EXPECT_EQ(o.title, "Year");
    EXPECT_EQ(o.text, "A release year, please.");
}

TEST_F(Required, LongPromptsAreCutAtFortyCharacters)
{
    constexpr const char* yaml = R"(
title: Long
controls:
  - {type: prompt, text: "&The name under which the artist is listed here:"}
  - {type: entry, name: Name, flags: [required]}
)";
    const Outcome o = validate({}, {}, yaml);
    EXPECT_EQ(o.text, "\"The name under which the artist is list\" must be entered.");
}

} // namespace
} // namespace qv::qvls::testing
