// The favourite fonts: the list the label designs choose from, its forms
// through the font dialog and by typing, Rainbow, and the description and
// application of a font by its number.

#include "qvls/catalogue/catalogue_fixture.h"

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/catalogue/favourite_fonts.h"
#include "qvls/core/favourite_font.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"

namespace qv::qvls::testing {
namespace {

using tables::Table;

struct Font {
    std::string face, size, colour, style;
    bool operator==(const Font&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Font& f)
{
    return out << f.face << "|" << f.size << "|" << f.colour << "|" << f.style;
}

class FavouriteFonts : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        ASSERT_EQ(dictionary::FontsAccess->open(), fw::Benign);
    }
    static std::int64_t add(const Font& f)
    {
        Table& t = dictionary::Fonts();
        t.record().clear();
        t.record()["FON:TYPEFACE"] = f.face;
        t.record()["FON:SIZE"] = f.size;
        t.record()["FON:COLOUR"] = f.colour;
        t.record()["FON:STYLE"] = f.style;
        EXPECT_EQ(t.insert(), 0) << tables::lastError().text;
        return t.record()["FON:FONTID"].toInt();
    }
    static std::string field(const char* name)
    {
        return std::string(text::trimRight(dictionary::Fonts().record()[name].toString()));
    }
    // Every font, in the order of their numbers.
    static std::vector<Font> fonts()
    {
        Table& t = dictionary::Fonts();
        const tables::Record keep = t.record();
        std::vector<Font> out;
        t.setOrder(t.def().keyIndex("FON:KeyFontID"));
        while (t.next() == 0)
            out.push_back({field("FON:TYPEFACE"), field("FON:SIZE"), field("FON:COLOUR"), field("FON:STYLE")});
        t.record() = keep;
        return out;
    }

    rt::Window* openList()
    {
        host->start("Labels", [] {
            fw::handover().request = fw::request::None;
            rt::Procedures::call("SelectFont");
        });
        return window("SelectFont");
    }
    rt::Window* window(const char* name) const
    {
        rt::Window* w = host->window(name);
        return w && w->isOpen() ? w : nullptr;
    }
    static std::string highlighted(rt::Window& w)
    {
        const int row = w["?List"].selected();
        return row > 0 ? std::string(text::trimRight(w["?List"].list()->cell(row - 1, 0))) + " "
                + std::string(text::trimRight(w["?List"].list()->cell(row - 1, 2)))
                       : std::string();
    }
    std::string message() const
    {
        const rt::MessageBoxWindow* m = host->messageBox();
        return m ? m->title() + ": " + m->text() : std::string();
    }
    rt::FontDialogWindow* fontDialog() const { return host->dialog<rt::FontDialogWindow>(); }
};

TEST_F(FavouriteFonts, AFontIsDescribedByItsFourTextsAndAMissingOneIsTheDefault)
{
    const std::int64_t arial = add({"Arial", "10", "0", "400"});
    const std::string longFace(32, 'F'), longText(32, '9');
    const std::int64_t wide = add({longFace, longText, longText, longText});
    const std::int64_t gone = add({"Courier New", "8", "0", "700"});
    Table& t = dictionary::Fonts();
    ASSERT_EQ(t.remove(), 0);

    struct Case {
        const char* name;
        std::int64_t font;
        std::string shows;
    };
    const Case cases[] = {
        {"the default font", 0, "Default Font"},
        {"a deleted font", gone, "Default Font"},
        {"a font", arial, "Arial 10  Colour:  0  Style:  400"},
        {"every text at its longest, uncut", wide,
            longFace + " " + longText + "  Colour:  " + longText + "  Style:  " + longText},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(FontDescription(k.font), k.shows);
    }
    FontDescription(arial);
    EXPECT_EQ(field("FON:TYPEFACE"), "Arial") << "the record buffer holds the font described";
}

TEST_F(FavouriteFonts, ApplyingAFontSetsNameSizeColourAndStyleInThatOrder)
{
    struct Recorder : FavoriteFontTarget {
        std::vector<std::string> calls;
        void setFontName(const std::string& n) override { calls.push_back("name " + n); }
        void setFontSize(int p) override { calls.push_back("size " + std::to_string(p)); }
        void setFontColor(int c) override { calls.push_back("colour " + std::to_string(c)); }
        void setFontStyle(int s) override { calls.push_back("style " + std::to_string(s)); }
    };
    const std::int64_t italic = add({"Liberation Serif", "12", "255", "4796"});
    const std::int64_t gone = add({"Courier New", "8", "0", "700"});
    ASSERT_EQ(dictionary::Fonts().remove(), 0);

    Recorder r;
    ApplyFavoriteFont(italic, r);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"name Liberation Serif", "size 12", "colour 255", "style 4796"}));
    for (std::int64_t font : {std::int64_t(0), gone}) {
        Recorder none;
        ApplyFavoriteFont(font, none);
        EXPECT_TRUE(none.calls.empty()) << font;
    }

    // A window's control takes the font whole; the default leaves it be.
    auto w = rt::Window::load("qvls", "UpdateFonts");
    rt::Control& c = (*w)["?TypeFace"];
    const rt::FontDef before = c.font();
    ApplyFavoriteFont(0, c);
    EXPECT_EQ(c.font().name, before.name);
    ApplyFavoriteFont(italic, c);
    EXPECT_EQ(c.font().name, "Liberation Serif");
    EXPECT_EQ(c.font().size, 12);
    EXPECT_EQ(c.font().color, 255);
    EXPECT_TRUE(c.font().bold);
    EXPECT_TRUE(c.font().italic);
}

TEST_F(FavouriteFonts, RainbowAddsSeventeenColoursWithinTwentyFourBitsAndNoDuplicates)
{
    add({"Arial", "10", "255", "400"});
    add({"Tahoma", "8", "0", "400"});
    rt::Window* list = openList();
    ASSERT_TRUE(list);
    EXPECT_EQ(highlighted(*list), "Arial 255");

    host->press(*list, "?Rainbow");
    EXPECT_EQ(message(), "");
    const std::vector<Font> all = fonts();
    ASSERT_EQ(all.size(), 19u);
    std::vector<std::string> colours;
    for (std::size_t i = 2; i < all.size(); ++i) {
        EXPECT_EQ(all[i].face + all[i].size + all[i].style, "Arial10400");
        colours.push_back(all[i].colour);
        EXPECT_LT(std::stol(all[i].colour), 1L << 24);
    }
    EXPECT_EQ(colours.front(), "0");
    EXPECT_EQ(colours[1], "1048576");
    EXPECT_EQ(colours.back(), "16711680") << "blue at full strength, not a colour past 24 bits";
    EXPECT_EQ(highlighted(*list), "Arial 255") << "the font it started from stays highlighted";

    // Every colour is there already: each insert is refused and reported.
    host->press(*list, "?Rainbow");
    int refused = 0;
    while (host->messageBox() && refused < 20) {
        EXPECT_NE(message().find("Duplicate Key Error"), std::string::npos) << message();
        host->answer(rt::button::Ok);
        ++refused;
    }
    EXPECT_EQ(refused, 17);
    EXPECT_EQ(fonts().size(), 19u);
    host->press(*list, "?Cancel");
}

TEST_F(FavouriteFonts, AddAndChangeGoThroughTheFontDialogAndItsCancelChangesNothing)
{
    add({"Arial", "10", "0", "400"});
    rt::Window* list = openList();
    ASSERT_TRUE(list);

    host->press(*list, "?Add");
    ASSERT_TRUE(fontDialog());
    EXPECT_EQ(fontDialog()->title(), "Choose Font");
    EXPECT_EQ(window("UpdateFonts")->title(), "Add Favorite Font");
    fontDialog()->answer(std::nullopt);
    host->settle();
    EXPECT_FALSE(window("UpdateFonts"));
    EXPECT_EQ(message(), "");
    EXPECT_EQ(fonts(), (std::vector<Font>{{"Arial", "10", "0", "400"}})) << "a cancelled add leaves no record";

    host->press(*list, "?Change");
    ASSERT_TRUE(fontDialog());
    EXPECT_EQ(window("UpdateFonts")->title(), "Change Favorite Font");
    EXPECT_EQ(fontDialog()->request().name, "Arial");
    EXPECT_EQ(fontDialog()->request().size, 10);
    EXPECT_FALSE(fontDialog()->request().bold);
    fontDialog()->answer(std::nullopt);
    host->settle();
    EXPECT_FALSE(window("UpdateFonts"));
    EXPECT_EQ(fonts(), (std::vector<Font>{{"Arial", "10", "0", "400"}}));

    host->press(*list, "?Add");
    ASSERT_TRUE(fontDialog());
    fontDialog()->answer(rt::FontSpec{"Liberation Serif", 12, 255, true, true});
    host->settle();
    EXPECT_FALSE(window("UpdateFonts")) << message();
    EXPECT_EQ(fonts(), (std::vector<Font>{{"Arial", "10", "0", "400"}, {"Liberation Serif", "12", "255", "4796"}}));
    EXPECT_EQ(highlighted(*list), "Liberation Serif 255");

    host->press(*list, "?Change");
    ASSERT_TRUE(fontDialog());
    fontDialog()->answer(rt::FontSpec{"Liberation Serif", 14, 255, true, true});
    host->settle();
    EXPECT_FALSE(window("UpdateFonts")) << message();
    EXPECT_EQ(fonts()[1], (Font{"Liberation Serif", "14", "255", "4796"}));
    host->press(*list, "?Cancel");
}

TEST_F(FavouriteFonts, FreeformChangesAFontByTypingAndPicksItsColourFromTheColourDialog)
{
    add({"Arial", "10", "0", "400"});
    rt::Window* list = openList();
    ASSERT_TRUE(list);
    host->press(*list, "?Freeform");
    rt::Window* form = window("UpdateFontFreeform");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->title(), "Changing a Favorite Font");

    host->press(*form, "?PickColour");
    auto* colours = host->dialog<rt::ColorDialogWindow>();
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->title(), "Select Color");
    colours->answer(std::nullopt);
    host->settle();
    EXPECT_EQ(text::trimRight((*form)["?Colour"].value()), "0") << "a cancelled colour changes nothing";

    host->press(*form, "?PickColour");
    host->dialog<rt::ColorDialogWindow>()->answer(rt::ColorSpec{65280});
    host->settle();
    EXPECT_EQ(text::trimRight((*form)["?Colour"].value()), "65280");
    host->enter(*form, "?Size", "");
    host->press(*form, "?OK");
    EXPECT_EQ(message(), "Missing Information: \"Size\" must be entered.");
    host->answer(rt::button::Ok);
    host->enter(*form, "?Size", "11");
    host->press(*form, "?OK");
    EXPECT_FALSE(window("UpdateFontFreeform")) << message();
    EXPECT_EQ(fonts(), (std::vector<Font>{{"Arial", "11", "65280", "400"}}));
    EXPECT_EQ(highlighted(*list), "Arial 65280");
    host->press(*list, "?Cancel");
}

TEST_F(FavouriteFonts, ALabelChoosesAFontByNumberAndCancelKeepsTheOneItHad)
{
    add({"Arial", "10", "0", "400"});
    const std::int64_t courier = add({"Courier New", "8", "0", "700"});
    const std::int64_t tahoma = add({"Tahoma", "9", "0", "400"});

    struct Case {
        const char* name;
        std::int64_t had;
        std::string opensOn;
        const char* press;
        int row; // chosen before pressing; 0: as it opened
        std::int64_t after;
        int response;
    };
    const Case cases[] = {
        {"selected", courier, "Courier New 0", "?Select", 3, tahoma, fw::response::Completed},
        {"as it opened", courier, "Courier New 0", "?Select", 0, courier, fw::response::Completed},
        {"cancelled", tahoma, "Tahoma 0", "?Cancel", 1, tahoma, fw::response::Cancelled},
        {"the default font", 0, "Arial 0", "?Cancel", 0, 0, fw::response::Cancelled},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::int64_t font = k.had;
        int response = -1;
        host->start("Label", [&] { response = SelectFont(font); });
        rt::Window* list = window("SelectFont");
        ASSERT_TRUE(list);
        EXPECT_FALSE((*list)["?Select"].effectivelyHidden());
        EXPECT_EQ(highlighted(*list), k.opensOn);
        if (k.row)
            host->choose(*list, "?List", k.row);
        host->press(*list, k.press);
        EXPECT_FALSE(window("SelectFont"));
        EXPECT_EQ(font, k.after);
        EXPECT_EQ(response, k.response);
    }
}

TEST_F(FavouriteFonts, OpenedAgainOutsideAChoiceTheOpenListComesForward)
{
    add({"Arial", "10", "0", "400"});
    rt::Window* first = openList();
    ASSERT_TRUE(first);
    EXPECT_TRUE((*first)["?Select"].effectivelyHidden());
    first->setIconized(true);
    openList();
    EXPECT_FALSE(first->iconized());
    int opened = 0;
    for (rt::Window* w : host->openWindows())
        opened += w->def().name == "SelectFont";
    EXPECT_EQ(opened, 1);

    std::int64_t font = 0;
    host->start("Label", [&] { SelectFont(font); });
    rt::Window* choice = window("SelectFont");
    ASSERT_NE(choice, first) << "a choice always opens its own list";
    host->press(*choice, "?Cancel");
    host->press(*first, "?Cancel");
}

} // namespace
} // namespace qv::qvls::testing
