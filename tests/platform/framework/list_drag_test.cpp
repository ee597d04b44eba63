// A list browser as the source and the target of dragged rows: the rows it
// is told are rows of its page, and the text the source hands over reaches
// the target.

#include "platform/framework/list_fixture.h"

using namespace qv;
using namespace qv::fw;
using namespace qv::fw::testing;

namespace {

// Notes what it learns of a drag and a drop; as a source it hands the
// highlighted album's title over.
class NotingList : public ListBrowser
{
public:
    using ListBrowser::ListBrowser;
    std::vector<std::string> seen;

protected:
    void onDrag() override
    {
        const std::string title = reader().record().getText(1);
        seen.push_back("drag " + std::to_string(dragRow()) + " " + title);
        setDropText(title);
    }
    void onDrop() override { seen.push_back("drop " + std::to_string(dropRow()) + " " + dropText()); }
};

struct Dragging : ListFixture {
    NotingList titles{albums, "?List"};
    tables::View shelfView{c.albums};
    ViewReader shelfReader{shelfView, c.albumAccess};
    NotingList shelf{shelfReader, "?List"};

    void SetUp() override
    {
        c.addMedia("CD");
        for (int i = 0; i < 10; ++i)
            c.addAlbum("A0" + std::to_string(i));
        shelfReader.AddSortOrder("ALB:KeyTitle");
        for (NotingList* l : {&titles, &shelf}) {
            l->addField(c.albums.record(), "ALB:Title");
            l->setPageSize(4);
        }
    }
};

TEST_F(Dragging, ARowMovedWithinTheListIsCountedOnItsPage)
{
    titles.setDragId("Titles");
    titles.setDropId("titles");
    rt::Window* w = open("BrowseAlbums", titles, [] {});
    ASSERT_TRUE(w);
    EXPECT_EQ((*w)["?List"].dragId(), "Titles") << "the browser's ids reach the control";
    c.host.post(*w, rt::Event{rt::event::PageDown, (*w)["?List"].number()});
    ASSERT_EQ(shown(titles), (std::vector<std::string>{"A04", "A05", "A06", "A07"}));

    c.host.drag(*w, "?List", 3, *w, "?List", 1);
    EXPECT_EQ(titles.seen, (std::vector<std::string>{"drag 3 A06", "drop 1 A06"}));
    EXPECT_EQ(shown(titles), (std::vector<std::string>{"A04", "A05", "A06", "A07"}))
        << "moving is the owner's business";
}

TEST_F(Dragging, AListOfAnotherWindowTakesTheTextTheSourceHandedOver)
{
    titles.setDragId("Albums");
    shelf.setDropId("ALBUMS");
    rt::Window* from = open("BrowseAlbums", titles, [] {});
    rt::Window* to = open("Shelf", shelf, [] {});
    ASSERT_TRUE(from && to);
    ASSERT_NE(from->thread(), to->thread());

    c.host.drag(*from, "?List", 2, *to, "?List", 4);
    EXPECT_EQ(titles.seen, (std::vector<std::string>{"drag 2 A01"}));
    EXPECT_EQ(shelf.seen, (std::vector<std::string>{"drop 4 A01"}));

    // The shelf's drop id is changed while it is open: it takes no more.
    shelf.setDropId("Songs");
    c.host.drag(*from, "?List", 1, *to, "?List", 1);
    EXPECT_EQ(titles.seen.size(), 1u);
    EXPECT_EQ(shelf.seen.size(), 1u);
}

} // namespace
