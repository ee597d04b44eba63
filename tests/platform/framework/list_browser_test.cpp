// Paging, thumbs and locators of a list that holds one page of a larger view.

#include "platform/framework/list_fixture.h"
#include "platform/runtime/keycodes.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;

namespace {

struct Paging : ListFixture {
    rt::Window* w = nullptr;
    void SetUp() override
    {
        c.addMedia("CD");
        // "A00" .. "A19": twenty albums, five pages of four.
        for (int i = 0; i < 20; ++i)
            c.addAlbum(std::string("A") + (i < 10 ? "0" : "") + std::to_string(i));
        w = openAlbums();
        ASSERT_TRUE(w);
    }
    void scroll(int event) { c.host.post(*w, rt::Event{event, (*w)["?List"].number()}); }
};

TEST_F(Paging, ScrollingMovesTheHighlightThenThePage)
{
    struct Step {
        int event;
        std::vector<std::string> page;
        std::string highlighted;
    };
    const std::vector<Step> steps = {
        {rt::event::ScrollDown, {"A00", "A01", "A02", "A03"}, "A01"},
        {rt::event::PageDown, {"A04", "A05", "A06", "A07"}, "A05"},
        {rt::event::ScrollBottom, {"A16", "A17", "A18", "A19"}, "A19"},
        {rt::event::ScrollDown, {"A16", "A17", "A18", "A19"}, "A19"},
        {rt::event::PageDown, {"A16", "A17", "A18", "A19"}, "A19"},
        {rt::event::ScrollUp, {"A16", "A17", "A18", "A19"}, "A18"},
        {rt::event::PageUp, {"A12", "A13", "A14", "A15"}, "A14"},
        {rt::event::ScrollTop, {"A00", "A01", "A02", "A03"}, "A00"},
        {rt::event::ScrollUp, {"A00", "A01", "A02", "A03"}, "A00"},
    };
    for (const Step& s : steps) {
        scroll(s.event);
        EXPECT_EQ(shown(albumList), s.page) << "after event " << s.event;
        EXPECT_EQ(highlighted(albumList), s.highlighted) << "after event " << s.event;
        EXPECT_EQ(c.albums.record().getText(1), s.highlighted) << "the buffer follows the highlight";
    }
}

TEST_F(Paging, ScrollingPastThePageEndReadsOneRowMore)
{
    for (int i = 0; i < 5; ++i)
        scroll(rt::event::ScrollDown);
    EXPECT_EQ(shown(albumList), (std::vector<std::string>{"A02", "A03", "A04", "A05"}));
    EXPECT_EQ(highlighted(albumList), "A05");
}

TEST_F(Paging, RowsWrittenMeanwhileShowOnTheNextRead)
{
    scroll(rt::event::ScrollDown);
    c.addAlbum("A015");
    EXPECT_EQ(shown(albumList), (std::vector<std::string>{"A00", "A01", "A02", "A03"}));
    albumList.Refresh();
    EXPECT_EQ(shown(albumList), (std::vector<std::string>{"A00", "A01", "A015", "A02"}));
    EXPECT_EQ(highlighted(albumList), "A01") << "the highlighted record keeps its place";
}

TEST_F(Paging, ThumbFollowsTheKeyAndMovesTheList)
{
    struct Case {
        int percent;
        std::string highlighted;
    };
    EXPECT_EQ(albumList.thumbPosition(), 0);
    albumList.scrollToThumb(100);
    EXPECT_EQ(highlighted(albumList), "A19");
    albumList.scrollToThumb(0);
    EXPECT_EQ(highlighted(albumList), "A00");
    c.addAlbum("Nectar");
    c.addAlbum("Zest");
    albumList.scrollToThumb(50);
    EXPECT_EQ(highlighted(albumList), "Nectar") << "half way is the letter N";
    EXPECT_EQ(albumList.thumbPosition(), 52);
}

TEST_F(Paging, ChangingTheOrderKeepsTheHighlightedRecord)
{
    c.addMedia("LP");
    c.addAlbum("B", "LP");
    scroll(rt::event::ScrollDown);
    albumList.setSort(byMedia);
    EXPECT_EQ(highlighted(albumList), "A01");
    c.host.key(*w, 'B');
    EXPECT_EQ(highlighted(albumList), "A01") << "no locator on this order";
}

TEST(ThumbSteps, MapValuesToPlacesAndBack)
{
    ThumbStepText letters;
    EXPECT_EQ(letters.Position("apple"), 0);
    EXPECT_EQ(letters.Position("Zoo"), 100);
    EXPECT_EQ(letters.Position(""), 0);
    EXPECT_EQ(letters.Value(0), "A");
    EXPECT_EQ(letters.Value(100), "Z");
    EXPECT_EQ(letters.Value(250), "Z");
    ThumbStepText all(ThumbStepText::LettersDigitsPunctuation);
    EXPECT_LT(all.Position("1999"), all.Position("Abba"));
    ThumbStepLong years(1950, 2050);
    EXPECT_EQ(years.Position("2000"), 50);
    EXPECT_EQ(years.Value(25), "1975");
    EXPECT_EQ(years.Position("1900"), 0);
    ThumbStepLong flat(7, 7);
    EXPECT_EQ(flat.Position("7"), 0) << "one value: no division by zero";
    ThumbStepReal money(0.0, 10.0);
    EXPECT_EQ(money.Position("2.5"), 25);
    ThumbStepList ids({"1", "2", "3"});
    EXPECT_EQ(ids.Position("2"), 50);
    EXPECT_EQ(ids.Value(100), "3");
}

struct Prefix : ListFixture {
    TypedPrefixLocator prefix;
};

TEST_F(Prefix, TypedCharactersLocateTogether)
{
    c.addMedia("CD");
    for (const char* t : {"Rain", "Robot", "Rock", "Rocket", "Rose", "Zoo"})
        c.addAlbum(t);
    albumList.setLocator(byTitle, &prefix);
    rt::Window* w = openAlbums();
    ASSERT_TRUE(w);
    struct Step {
        int key;
        std::string typed, highlighted;
    };
    const std::vector<Step> steps = {
        {'R', "r", "Rain"},
        {'O', "ro", "Robot"},
        {'C', "roc", "Rock"},
        {'K', "rock", "Rock"},
        {'E', "rocke", "Rocket"},
        {rt::key::Back, "rock", "Rock"},
        {rt::key::Back, "roc", "Rock"},
    };
    for (const Step& s : steps) {
        c.host.key(*w, s.key);
        EXPECT_EQ(prefix.typed(), s.typed);
        EXPECT_EQ(highlighted(albumList), s.highlighted) << "after " << s.typed;
    }
    c.host.post(*w, rt::Event{rt::event::ScrollDown, (*w)["?List"].number()});
    EXPECT_EQ(prefix.typed(), "") << "scrolling starts the typing again";
}

TEST(LocatorKeys, TypeTheirCharacters)
{
    using rt::key::withShift;
    struct Case {
        int key;
        char typed;
    };
    for (const Case& k : std::vector<Case>{{'A', 'a'}, {withShift('A'), 'A'}, {'7', '7'}, {withShift('7'), 0},
             {rt::key::Space, ' '}, {0xBD, '-'}, {rt::key::withCtrl('A'), 0}, {rt::key::F1, 0}})
        EXPECT_EQ(Locator::charOf(k.key), k.typed) << k.key;
}

} // namespace
