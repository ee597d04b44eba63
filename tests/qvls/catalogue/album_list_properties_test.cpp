// The list's properties window as a user works it: the fields shown and
// their order, the selected column's settings and the list's own, each
// shown on the list at once and kept in the list's saved layout; the menu
// mask deciding what may be touched.

#include <algorithm>
#include <functional>
#include <optional>

#include "qvls/catalogue/album_list_fixture.h"

#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_format.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/catalogue/catalogue_list.h"

namespace qv::qvls::testing {
namespace {

constexpr const char* kProperties = "BrovexListProperties";

// What the properties window offers a user, and the list it works on.
class PropertiesWindowUser
{
public:
    PropertiesWindowUser(rt::HeadlessHost& host, rt::Window& list, std::string listControl)
        : host_(host)
        , list_(list)
        , control_(std::move(listControl))
    { }

    rt::Window* open()
    {
        list_.post(BrovexList::kListProperties);
        host_.settle();
        w_ = host_.window(kProperties);
        return w_;
    }
    rt::Window& w() const { return *w_; }
    void close()
    {
        host_.press(*w_, "?Close");
        w_ = nullptr;
    }

    rt::Control& box() const { return list_[control_]; }
    rt::ListFormat format() const { return rt::readListFormat(box().format()).format; }
    rt::ListFormatColumn column(int seq) const { return format().columns.at(static_cast<std::size_t>(seq - 1)); }
    Strings headers() const
    {
        Strings out;
        for (const rt::ListFormatColumn& c : format().columns)
            out.push_back(c.header.value_or(""));
        return out;
    }

    Strings rows(const char* fieldList) const
    {
        Strings out;
        const rt::ListSource* q = w()[fieldList].list();
        for (int r = 0; r < q->rowCount(); ++r)
            out.push_back(q->cell(r, 0));
        return out;
    }
    // The fields whose check icon shows in the available list.
    Strings checked() const
    {
        Strings out;
        const Strings all = rows("?Available");
        for (int r = 1; r <= static_cast<int>(all.size()); ++r)
            if (host_.listCell(w(), "?Available", r, 1).icon == 1)
                out.push_back(all[static_cast<std::size_t>(r - 1)]);
        return out;
    }

    void selectActive(int row) { host_.choose(w(), "?Active", row); }
    void selectAvailable(int row) { host_.choose(w(), "?Available", row); }
    void rightClick(const char* fieldList, int row)
    {
        const rt::ListHit at = host_.listPoint(w(), fieldList, row, 1);
        host_.listMouse(w(), fieldList, rt::ListMouse::RightDown, at);
        host_.listMouse(w(), fieldList, rt::ListMouse::RightUp, at);
    }
    // Each arrow step of a spin box reaches the window as a new value.
    void spin(const char* control, const std::string& value)
    {
        host_.type(w(), control, value);
        host_.post(w(), {rt::event::NewSelection, w()[control].number()});
    }
    // A radio is clicked: its option takes the radio's value.
    void chooseRadio(const char* option, const char* radio)
    {
        const rt::Control& r = w()[radio];
        ASSERT_TRUE(r.enabled() && !r.effectivelyHidden()) << radio << " cannot be clicked";
        host_.enter(w(), option, r.def().value);
    }
    std::string shown(const char* control) const { return std::string(text::trim(w()[control].value())); }

private:
    rt::HeadlessHost& host_;
    rt::Window& list_;
    std::string control_;
    rt::Window* w_ = nullptr;
};

// A list of the test's own whose mask admits everything and whose place and
// size may change: Artist, Album Title and Release Date shown, Media Type
// (no width) and Category hidden.
class ListProperties : public CatalogueWindows
{
protected:
    void SetUp() override
    {
        CatalogueWindows::SetUp();
        for (const char* label : {"Quorvel", "Album"})
            ASSERT_EQ(dictionary::accessOf(label)->open(), fw::Benign) << label;
        for (const auto& [artist, album] :
            {std::pair{"Abba", "Waterloo"}, std::pair{"Blur", "Parklife"}, std::pair{"Cher", "Believe"}})
            add(dictionary::Album(),
                {{"ALB:Artist", artist}, {"ALB:Album", album}, {"ALB:Media", "CD"}, {"ALB:Category", "Pop"}});
        openList();
    }
    void TearDown() override
    {
        closeList();
        for (const char* label : {"Quorvel", "Album"})
            dictionary::accessOf(label)->close();
        CatalogueWindows::TearDown();
    }
    void openList()
    {
        host->start("TestBrovexProperties", [this] {
            CatalogueList window("TestBrovexProperties");
            procedure = &window;
            window.Execute();
            procedure = nullptr;
        });
        list = host->window("TestBrovexProperties");
        ASSERT_NE(list, nullptr);
        user.emplace(*host, *list, "?List");
    }
    void closeList()
    {
        if (user && host->window(kProperties))
            user->close();
        if (list)
            host->press(*list, "?Close");
        list = nullptr;
    }
    void reopenList()
    {
        closeList();
        openList();
    }
    void clickHeader(int column)
    {
        const rt::ListHit at = host->listPoint(*list, "?List", 0, column);
        host->listMouse(*list, "?List", rt::ListMouse::LeftDown, at);
        host->listMouse(*list, "?List", rt::ListMouse::LeftUp, at);
    }
    Strings artists() const
    {
        Strings out;
        const rt::ListSource* rows = (*list)["?List"].list();
        for (int r = 0; r < rows->rowCount(); ++r)
            out.emplace_back(text::trimRight(rows->cell(r, 0)));
        return out;
    }

    rt::Window* list = nullptr;
    CatalogueList* procedure = nullptr;
    std::optional<PropertiesWindowUser> user;
};

TEST_F(ListProperties, TheWindowOpensOnTheFirstColumnAndShowsItOnTheList)
{
    ASSERT_TRUE(user->open());
    PropertiesWindowUser& u = *user;
    EXPECT_EQ(u.w().title(), "List Properties");
    EXPECT_EQ(u.rows("?Available"), (Strings{"Artist", "Album Title", "Release Date", "Media Type", "Category"}));
    EXPECT_EQ(u.rows("?Active"), (Strings{"Artist", "Album Title", "Release Date"}));
    EXPECT_EQ(u.checked(), (Strings{"Artist", "Album Title", "Release Date"}));
    EXPECT_EQ(u.w()["?Available"].selected(), 1);
    EXPECT_EQ(u.w()["?Active"].selected(), 1);
    EXPECT_EQ(u.shown("?Header"), "Artist");
    EXPECT_EQ(u.shown("?Width"), "91");
    EXPECT_EQ(u.box().property(rt::list_prop::ColumnSelect), "1");
    EXPECT_EQ(u.box().property(rt::list_prop::CurrentColumn), "1");

    u.selectActive(3);
    EXPECT_EQ(u.shown("?Header"), "Released");
    EXPECT_EQ(u.box().property(rt::list_prop::CurrentColumn), "3");
    u.close();
    EXPECT_FALSE(host->window(kProperties));
    EXPECT_EQ(u.box().property(rt::list_prop::ColumnSelect), "") << "the list's own column selection comes back";
    EXPECT_EQ(list->focus(), &u.box());
}

// Every property the window edits, set on the second column or on the list:
// the list shows it at once, and the saved layout brings it back with the
// window showing the same value.
TEST_F(ListProperties, EveryPropertyShowsAtOnceAndComesBackWithTheLayout)
{
    using Format = std::function<std::string(const PropertiesWindowUser&)>;
    const auto col = [](std::function<std::string(const rt::ListFormatColumn&)> f) -> Format {
        return [f](const PropertiesWindowUser& u) { return f(u.column(2)); };
    };
    const auto mark
        = [&](char m) { return col([m](const rt::ListFormatColumn& c) { return c.has(m) ? "on" : "off"; }); };
    struct Case {
        const char* property;
        const char* control; // where the window shows it
        const char* value; // what the user gives it
        std::function<void(PropertiesWindowUser&)> set;
        Format listShows;
        const char* expected;
    };
    const auto enter = [this](const char* control, const char* value) {
        return [this, control, value](PropertiesWindowUser& u) { host->enter(u.w(), control, value); };
    };
    const auto spin = [](const char* control, const char* value) {
        return [control, value](PropertiesWindowUser& u) { u.spin(control, value); };
    };
    const auto radio = [](const char* option, const char* r) {
        return [option, r](PropertiesWindowUser& u) { u.chooseRadio(option, r); };
    };
    const auto geometry = [](int rt::Rect::*side) -> Format {
        return [side](const PropertiesWindowUser& u) { return std::to_string(u.box().geometry().*side); };
    };
    const auto property
        = [](int id) -> Format { return [id](const PropertiesWindowUser& u) { return u.box().property(id); }; };
    const Case cases[] = {
        {"header text", "?Header", "Title", enter("?Header", "Title"),
            col([](const rt::ListFormatColumn& c) { return c.header.value_or(""); }), "Title"},
        {"header offset", "?HeaderOffset", "4", spin("?HeaderOffset", "4"),
            col([](const rt::ListFormatColumn& c) { return std::to_string(c.headerJustification.offset.value_or(0)); }),
            "4"},
        {"header justification", "?HeaderJust", "R", radio("?HeaderJust", "?HeaderRight"),
            col([](const rt::ListFormatColumn& c) { return std::string(1, c.headerJustification.align()); }), "R"},
        {"data offset", "?FieldOffset", "3", spin("?FieldOffset", "3"),
            col([](const rt::ListFormatColumn& c) { return std::to_string(c.data.offset.value_or(0)); }), "3"},
        {"data justification", "?FieldJust", "C", radio("?FieldJust", "?FieldCenter"),
            col([](const rt::ListFormatColumn& c) { return std::string(1, c.data.align()); }), "C"},
        {"width", "?Width", "120", spin("?Width", "120"),
            col([](const rt::ListFormatColumn& c) { return std::to_string(c.width); }), "120"},
        {"fixed", "?Fixed", "1", enter("?Fixed", "1"), mark(rt::list_mark::Fixed), "on"},
        {"underline", "?Underline", "1", enter("?Underline", "1"), mark(rt::list_mark::Underline), "on"},
        {"right border", "?Border", "", enter("?Border", ""), mark(rt::list_mark::RightBorder), "off"},
        {"resizable", "?Resize", "", enter("?Resize", ""), mark(rt::list_mark::Resizable), "off"},
        {"x", "?XPos", "20", spin("?XPos", "20"), geometry(&rt::Rect::x), "20"},
        {"y", "?YPos", "30", spin("?YPos", "30"), geometry(&rt::Rect::y), "30"},
        {"list width", "?ListWidth", "250", spin("?ListWidth", "250"), geometry(&rt::Rect::width), "250"},
        {"list height", "?ListHeight", "90", enter("?ListHeight", "90"), geometry(&rt::Rect::height), "90"},
        {"line height", "?LineHeight", "12", spin("?LineHeight", "12"), property(rt::list_prop::LineHeight), "12"},
        {"vertical scroll bar", "?VScroll", "1", enter("?VScroll", "1"), property(rt::list_prop::VScroll), "1"},
        {"horizontal scroll bar", "?HScroll", "1", enter("?HScroll", "1"), property(rt::list_prop::HScroll), "1"},
    };
    ASSERT_TRUE(user->open());
    EXPECT_TRUE(user->column(2).has(rt::list_mark::RightBorder) && user->column(2).has(rt::list_mark::Resizable))
        << "the design has the border and resize marks the cases take off";
    user->selectActive(2);
    for (const Case& c : cases) {
        c.set(*user);
        EXPECT_EQ(c.listShows(*user), c.expected) << c.property << ": shown at once";
    }
    // The font, chosen in the font dialog.
    host->press(user->w(), "?Font");
    auto* dialog = host->dialog<rt::FontDialogWindow>();
    ASSERT_TRUE(dialog);
    dialog->answer(rt::FontSpec{"DejaVu Serif", 12, 255, true, false});
    host->settle();
    EXPECT_EQ(user->box().font().name, "DejaVu Serif");
    user->close();

    reopenList();
    EXPECT_EQ(user->headers(), (Strings{"Artist", "Title", "Released"}));
    ASSERT_TRUE(user->open());
    user->selectActive(2);
    for (const Case& c : cases) {
        EXPECT_EQ(c.listShows(*user), c.expected) << c.property << ": after the list was opened again";
        EXPECT_EQ(user->shown(c.control), c.value) << c.property << ": what the window shows";
    }
    const rt::FontDef font = user->box().font();
    EXPECT_EQ(font.name, "DejaVu Serif");
    EXPECT_EQ(font.size, 12);
    EXPECT_EQ(font.color, 255);
    EXPECT_TRUE(font.bold);
    host->press(user->w(), "?Font");
    dialog = host->dialog<rt::FontDialogWindow>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->request().name, "DejaVu Serif") << "the font dialog starts from the list's font";
    dialog->answer(std::nullopt);
    host->settle();
}

TEST_F(ListProperties, AddingHidingAndMovingColumnsShowsOnTheListAndIsKept)
{
    PropertiesWindowUser& u = *user;
    ASSERT_TRUE(u.open());
    u.selectAvailable(5); // Category
    host->press(u.w(), "?AddColumn");
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Released", "Category"}));
    EXPECT_EQ(u.rows("?Active"), (Strings{"Artist", "Album Title", "Release Date", "Category"}));
    EXPECT_EQ(u.checked(), (Strings{"Artist", "Album Title", "Release Date", "Category"}));
    EXPECT_EQ(u.w()["?Active"].selected(), 4) << "the new column is the one edited";
    EXPECT_EQ(u.shown("?Header"), "Category");
    EXPECT_EQ(u.box().property(rt::list_prop::CurrentColumn), "4");
    EXPECT_EQ(host->listCell(*list, "?List", 1, 4).value, "Pop") << "the column shows its own field";

    u.selectAvailable(4); // Media Type, designed without a width
    host->press(u.w(), "?AddColumn");
    EXPECT_EQ(u.column(5).width, 10);

    u.selectAvailable(2); // Album Title, shown already
    host->press(u.w(), "?AddColumn");
    EXPECT_EQ(host->beeps().size(), 1u);
    EXPECT_EQ(u.w()["?Active"].selected(), 2) << "the shown column is selected instead";
    EXPECT_EQ(u.headers().size(), 5u);

    u.selectActive(1);
    host->press(u.w(), "?HideColumn");
    EXPECT_EQ(u.headers(), (Strings{"Album", "Released", "Category", "Media"}));
    EXPECT_EQ(u.checked(), (Strings{"Album Title", "Release Date", "Media Type", "Category"}));

    u.selectActive(3); // Category
    host->press(u.w(), "?MoveLeft");
    EXPECT_EQ(u.headers(), (Strings{"Album", "Category", "Released", "Media"}));
    EXPECT_EQ(u.w()["?Active"].selected(), 2) << "the selection moves with the column";
    host->press(u.w(), "?MoveRight");
    host->press(u.w(), "?MoveRight");
    EXPECT_EQ(u.headers(), (Strings{"Album", "Released", "Media", "Category"}));
    host->press(u.w(), "?MoveRight");
    EXPECT_EQ(host->beeps().size(), 2u) << "the last column cannot move right";
    u.selectActive(1);
    host->press(u.w(), "?MoveLeft");
    EXPECT_EQ(host->beeps().size(), 3u) << "the first column cannot move left";
    EXPECT_EQ(u.headers(), (Strings{"Album", "Released", "Media", "Category"}));
    u.close();

    reopenList();
    EXPECT_EQ(user->headers(), (Strings{"Album", "Released", "Media", "Category"}));
    ASSERT_TRUE(user->open());
    EXPECT_EQ(user->rows("?Active"), (Strings{"Album Title", "Release Date", "Media Type", "Category"}));
    EXPECT_EQ(user->checked(), (Strings{"Album Title", "Release Date", "Media Type", "Category"}));
}

TEST_F(ListProperties, AHiddenColumnKeepsItsSettingsAndTheLastOneCannotBeHidden)
{
    PropertiesWindowUser& u = *user;
    ASSERT_TRUE(u.open());
    u.selectActive(2);
    host->enter(u.w(), "?Header", "Title");
    u.spin("?Width", "120");
    host->enter(u.w(), "?Underline", "1");
    host->press(u.w(), "?HideColumn");
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Released"}));
    u.selectAvailable(2);
    host->press(u.w(), "?AddColumn");
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Released", "Title"}));
    EXPECT_EQ(u.column(3).width, 120);
    EXPECT_TRUE(u.column(3).has(rt::list_mark::Underline));

    for (int i = 0; i < 2; ++i) {
        u.selectActive(1);
        host->press(u.w(), "?HideColumn");
    }
    EXPECT_EQ(u.headers(), (Strings{"Title"}));
    host->press(u.w(), "?HideColumn");
    EXPECT_EQ(u.headers(), (Strings{"Title"})) << "the only column stays";
    EXPECT_TRUE(host->beeps().empty()) << "refused without a sound";
}

TEST_F(ListProperties, ARightClickAddsAnAvailableFieldAndErasesAnActiveOne)
{
    PropertiesWindowUser& u = *user;
    ASSERT_TRUE(u.open());
    u.rightClick("?Available", 5);
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Released", "Category"}));
    u.rightClick("?Active", 1);
    EXPECT_EQ(u.headers(), (Strings{"Album", "Released", "Category"}));
    EXPECT_EQ(u.checked(), (Strings{"Album Title", "Release Date", "Category"}));

    // Below the rows there is no field: nothing is added or erased.
    const rt::ListHit below{10, 180, -1, 1, false};
    for (const char* field : {"?Available", "?Active"}) {
        host->listMouse(u.w(), field, rt::ListMouse::RightDown, below);
        host->listMouse(u.w(), field, rt::ListMouse::RightUp, below);
    }
    EXPECT_EQ(u.headers(), (Strings{"Album", "Released", "Category"}));
}

TEST_F(ListProperties, TheAltKeysAddHideAndMove)
{
    PropertiesWindowUser& u = *user;
    ASSERT_TRUE(u.open());
    u.selectAvailable(5);
    host->key(u.w(), rt::key::withAlt(rt::key::Right));
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Released", "Category"}));
    host->key(u.w(), rt::key::withAlt(rt::key::Up));
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Category", "Released"}));
    host->key(u.w(), rt::key::withAlt(rt::key::Down));
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Released", "Category"}));
    host->key(u.w(), rt::key::withAlt(rt::key::Left));
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Released"}));
    host->key(u.w(), rt::key::withAlt('I'));
    EXPECT_EQ(u.w().focus(), &u.w()["?Available"]);
    host->key(u.w(), rt::key::withAlt('J'));
    EXPECT_EQ(u.w().focus(), &u.w()["?Active"]);
}

TEST_F(ListProperties, ResetToDefaultsBringsBackTheDesign)
{
    PropertiesWindowUser& u = *user;
    ASSERT_TRUE(u.open());
    const rt::Rect designed = u.box().geometry();
    u.selectAvailable(5);
    host->press(u.w(), "?AddColumn");
    u.selectActive(1);
    host->press(u.w(), "?HideColumn");
    u.spin("?XPos", "40");
    host->press(u.w(), "?Reset");
    EXPECT_EQ(u.headers(), (Strings{"Artist", "Album", "Released"}));
    EXPECT_EQ(u.rows("?Active"), (Strings{"Artist", "Album Title", "Release Date"}));
    EXPECT_EQ(u.checked(), (Strings{"Artist", "Album Title", "Release Date"}));
    EXPECT_EQ(u.box().geometry().x, designed.x);
    EXPECT_EQ(u.shown("?XPos"), std::to_string(designed.x));
    EXPECT_EQ(u.w()["?Active"].selected(), 1);
    EXPECT_EQ(u.shown("?Header"), "Artist");
}

TEST_F(ListProperties, ALineHeightOfNoughtGivesTheRowsTheFontsHeightAgain)
{
    ASSERT_TRUE(user->open());
    user->spin("?LineHeight", "12");
    EXPECT_EQ(user->box().property(rt::list_prop::LineHeight), "12");
    user->spin("?LineHeight", "0");
    EXPECT_EQ(user->box().property(rt::list_prop::LineHeight), "");
}

TEST_F(ListProperties, ColoursChosenFromTheWindowSurviveLaterColumnChanges)
{
    PropertiesWindowUser& u = *user;
    ASSERT_TRUE(u.open());
    u.selectActive(2);
    host->press(u.w(), "?Colors");
    rt::Window* colors = host->window("BrovexColumnColors");
    ASSERT_TRUE(colors);
    EXPECT_EQ(colors->title(), "Colors for Column: Album Title");
    host->choose(*colors, "?NormalText", 11); // Red
    host->press(*colors, "?OK");
    u.selectAvailable(5);
    host->press(u.w(), "?AddColumn");
    EXPECT_EQ(u.column(2).colours.value_or(std::array<long, 4>{}), (std::array<long, 4>{255, -1, -1, -1}));
}

TEST_F(ListProperties, TheSortColumnKeepsItsMarkWhereverItGoesAndLosesItWhenHidden)
{
    clickHeader(2);
    ASSERT_EQ(user->headers()[1], ">Album");
    const Strings byAlbum = artists();
    ASSERT_EQ(byAlbum, (Strings{"Cher", "Blur", "Abba"}));

    ASSERT_TRUE(user->open());
    user->selectActive(2);
    EXPECT_EQ(user->shown("?Header"), "Album") << "the mark is no part of the header";
    host->press(user->w(), "?MoveLeft");
    user->close();
    EXPECT_EQ(user->headers(), (Strings{">Album", "Artist", "Released"}));
    EXPECT_EQ(artists(), byAlbum);

    ASSERT_TRUE(user->open());
    user->selectActive(1);
    host->press(user->w(), "?HideColumn");
    user->close();
    EXPECT_EQ(user->headers(), (Strings{"Artist", "Released"}));
    EXPECT_EQ(artists(), (Strings{"Abba", "Blur", "Cher"})) << "back in the window's own order";

    ASSERT_TRUE(user->open());
    user->selectAvailable(2);
    host->press(user->w(), "?AddColumn");
    user->close();
    EXPECT_EQ(user->headers(), (Strings{"Artist", "Released", "Album"})) << "shown again without a stale mark";
}

// Each bit of the menu mask admits its own controls; no other.
TEST_F(ListProperties, EachMaskBitEnablesItsOwnControls)
{
    struct Bit {
        long bit;
        Strings controls;
    };
    const Bit bits[] = {{1, {"?FieldLeft"}}, {2, {"?FieldCenter"}}, {4, {"?FieldRight"}}, {8, {"?FieldDecimal"}},
        {16, {"?FieldOffsetPrompt", "?FieldOffset"}}, {32, {"?HeaderLeft"}}, {64, {"?HeaderCenter"}},
        {128, {"?HeaderRight"}}, {256, {"?HeaderDecimal"}}, {512, {"?HeaderOffsetPrompt", "?HeaderOffset"}},
        {1024, {"?Header"}}, {2048, {"?WidthPrompt", "?Width"}}, {65536, {"?Fixed"}}, {131072, {"?Underline"}},
        {262144, {"?Border"}}, {524288, {"?Resize"}}, {2097152, {"?XPosPrompt", "?XPos"}},
        {4194304, {"?YPosPrompt", "?YPos"}}, {8388608, {"?ListWidthPrompt", "?ListWidth"}},
        {16777216, {"?ListHeightPrompt", "?ListHeight"}}, {33554432, {"?Font"}},
        {67108864, {"?LineHeightPrompt", "?LineHeight"}}, {134217728, {"?HScroll"}}, {268435456, {"?VScroll"}}};
    Strings masked;
    for (const Bit& b : bits)
        masked.insert(masked.end(), b.controls.begin(), b.controls.end());
    const Strings always = {
        "?Available", "?Active", "?AddColumn", "?HideColumn", "?MoveLeft", "?MoveRight", "?Colors", "?Reset", "?Close"};
    ASSERT_TRUE(procedure && procedure->brovex());
    for (const Bit& b : bits) {
        procedure->brovex()->flags().mask = b.bit;
        ASSERT_TRUE(user->open()) << b.bit;
        Strings enabled;
        for (const std::string& name : masked)
            if (user->w()[name].enabled())
                enabled.push_back(name);
        EXPECT_EQ(enabled, b.controls) << "mask " << b.bit;
        for (const std::string& name : always)
            EXPECT_TRUE(user->w()[name].enabled()) << name;
        user->close();
    }
}

// The album list as the program has it: only the font among the settings.
class AlbumListProperties : public AlbumList
{ };

TEST_F(AlbumListProperties, TheSystemsMaskLeavesTheFontAndTheColumnsOrder)
{
    PropertiesWindowUser u(*host, *list, "?Browse:1");
    ASSERT_TRUE(u.open());
    for (const char* name : {"?Header", "?HeaderOffset", "?HeaderLeft", "?HeaderDecimal", "?FieldOffset", "?FieldRight",
             "?Width", "?Fixed", "?Underline", "?Border", "?Resize", "?LineHeight", "?VScroll", "?HScroll"})
        EXPECT_FALSE(u.w()[name].enabled()) << name;
    for (const char* name : {"?XPos", "?YPos", "?ListWidth", "?ListHeight", "?XPosPrompt"})
        EXPECT_TRUE(u.w()[name].effectivelyHidden()) << name << ": the list may not move or change size";
    EXPECT_TRUE(u.w()["?Font"].enabled());

    u.selectAvailable(8); // the album id, not shown by design
    host->press(u.w(), "?AddColumn");
    u.selectActive(1);
    host->press(u.w(), "?MoveRight");
    host->press(u.w(), "?HideColumn");
    u.close();
    EXPECT_EQ(headers(), (Strings{"Album", "Media", "File Number", "Released", "Category", "WAV/MP3", "AlbumID"}));

    host->press(*list, "?Close");
    open();
    EXPECT_EQ(headers(), (Strings{"Album", "Media", "File Number", "Released", "Category", "WAV/MP3", "AlbumID"}));
}

} // namespace
} // namespace qv::qvls::testing
