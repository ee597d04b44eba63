// Rows of a list dragged with the mouse onto a list of the same or of
// another window: the programs hear of it, the lists move nothing.

#include <QApplication>
#include <QTableView>
#include <algorithm>

#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

std::string listWindow(const char* name, int x, const char* ids)
{
    return std::string("window: ") + name + "\ntitle: " + name + "\nat: [" + std::to_string(x)
        + ", 0, 150, 90]\ncontrols:\n  - {type: list, name: \"?List\", at: [4, 4, 140, 80], format: "
          "\"100L(2)|M~Title~@s30@\", "
        + ids + "}\n";
}

void fill(rt::Window& w, Program& p)
{
    p.queue = rt::ListQueue(1);
    for (const char* title : {"Help!", "Let It Be", "Abbey Road", "Revolver"})
        p.queue.append({title});
    w["?List"].setList(&p.queue);
}

class ListDrag : public QtHostTest
{
protected:
    QTableView* table(const Program& p) const { return find<QTableView>(p, "?List"); }
    rt::Control& list(const Program& p) const { return (*p.window)["?List"]; }
    int events(const Program& p, int code) const { return p.count(code, list(p).number()); }

    // As the mouse does it: every event goes to the list pressed, which
    // holds the mouse until the button comes up over the target.
    static void drag(QTableView* from, int row, QTableView* to, int targetRow)
    {
        QWidget* pressed = from->viewport();
        const QPoint start = from->visualRect(from->model()->index(row - 1, 0)).center();
        const QPoint end = pressed->mapFromGlobal(
            to->viewport()->mapToGlobal(to->visualRect(to->model()->index(targetRow - 1, 0)).center()));
        QTest::mousePress(pressed, Qt::LeftButton, {}, start);
        QTest::mouseMove(pressed, start + QPoint(QApplication::startDragDistance() + 1, 0));
        QTest::mouseMove(pressed, end);
        QTest::mouseRelease(pressed, Qt::LeftButton, {}, end);
    }
};

TEST_F(ListDrag, ARowDroppedOnAListThatTakesItIsReportedToBothAndMovedByNeither)
{
    Program& songs = open(listWindow("Songs", 0, "drag: Songs"), fill);
    Program& playlist = open(listWindow("Playlist", 170, "drag: Songs, drop: songs"), fill);

    drag(table(songs), 2, table(playlist), 1);
    ASSERT_TRUE(waitFor([&] { return events(playlist, rt::event::Drop) == 1; }));
    ASSERT_EQ(events(songs, rt::event::Dragging), 1);
    const auto dragged = std::find_if(
        songs.events.begin(), songs.events.end(), [](const rt::Event& e) { return e.code == rt::event::Dragging; });
    EXPECT_TRUE(std::any_of(songs.events.begin(), dragged, [](const rt::Event& e) {
        return e.code == rt::event::NewSelection;
    })) << "pressing the row highlighted it before the drag";
    EXPECT_EQ(list(songs).selected(), 2);
    EXPECT_EQ(list(songs).mouseDownRow(), 2);
    EXPECT_EQ(list(playlist).mouseUpRow(), 1);
    EXPECT_EQ(list(playlist).dropText(), "Songs");
    EXPECT_EQ(events(playlist, rt::event::Dragging), 0);

    // Within one list: both events go to its window; the rows stay put.
    drag(table(playlist), 4, table(playlist), 2);
    ASSERT_TRUE(waitFor([&] { return events(playlist, rt::event::Drop) == 2; }));
    EXPECT_EQ(events(playlist, rt::event::Dragging), 1);
    EXPECT_EQ(list(playlist).mouseDownRow(), 4);
    EXPECT_EQ(list(playlist).mouseUpRow(), 2);
    EXPECT_EQ(list(playlist).selected(), 4) << "the highlight stays on the row dragged";
    EXPECT_EQ(table(playlist)->model()->index(3, 0).data().toString(), QStringLiteral("Revolver"));
    EXPECT_EQ(playlist.queue.rowCount(), 4);
}

TEST_F(ListDrag, NoDragWithoutAMatchingTargetOrAMove)
{
    Program& songs = open(listWindow("Songs", 0, "drag: Songs"), fill);
    Program& details = open(listWindow("Details", 170, "drag: Details, drop: Details"), fill);

    // Onto a list that takes other rows, onto one that takes none, and from
    // a list that gives none.
    drag(table(songs), 3, table(details), 1);
    drag(table(details), 2, table(songs), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(list(details).mouseUpRow(), 0) << "no drop was taken";
    onThread(details, [](rt::Window& w) { w["?List"].setDragId(""); });
    drag(table(details), 3, table(details), 1);
    // A press and release without a move is a click that shows its rows.
    QTest::mouseClick(table(songs)->viewport(), Qt::LeftButton, {},
        table(songs)->visualRect(table(songs)->model()->index(1, 0)).center());
    ASSERT_TRUE(waitFor([&] { return list(songs).selected() == 2 && list(songs).mouseUpRow() == 2; }));
    EXPECT_EQ(list(songs).mouseDownRow(), 2);
    QCoreApplication::processEvents();
    for (const Program* p : {&songs, &details}) {
        EXPECT_EQ(events(*p, rt::event::Dragging), 0);
        EXPECT_EQ(events(*p, rt::event::Drop), 0);
    }
}

} // namespace
} // namespace qv::qt::testing
