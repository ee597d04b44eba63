// A list whose header a program takes over, on the Qt host: the mouse over
// its header and rows reaches the program with row, column and edge; the
// list moves no column itself, resizes one by its edge, keeps fixed columns
// in place while the others scroll, and draws what the program asks for.

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableView>

#include "platform/qt/dialogs.h"
#include "platform/qt/list_table.h"
#include "platform/qt/units.h"
#include "platform/runtime/list_box.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

// Artist is resizable with a border, Title neither, Year fixed.
std::string listWindow(const char* format, int width = 200)
{
    return "window: Songs\ntitle: Songs\nat: [0, 0, " + std::to_string(width + 10)
        + ", 100]\ncontrols:\n  - {type: list, name: \"?List\", at: [4, 4, " + std::to_string(width)
        + ", 80], format: \"" + format + "\"}\n";
}
constexpr const char* kFormat = "50L|M~Artist~#2#40R~Title~#1#30LFM~Year~#3#";

struct Heard {
    rt::ListMouse what;
    rt::ListHit at;
};

class ListBoxQt : public QtHostTest
{
protected:
    Program& openList(const char* format, int width = 200)
    {
        return open(listWindow(format, width), [this](rt::Window& w, Program& p) {
            p.queue = rt::ListQueue(3);
            p.queue.append({"Help!", "The Beatles", "1965"});
            p.queue.append({"Abbey Road", "The Beatles", "1969"});
            w["?List"].setList(&p.queue);
            w["?List"].setListMouseHook([this](rt::ListMouse what, const rt::ListHit& at) {
                heard_.push_back({what, at});
            });
        });
    }
    ListTable* table(const Program& p) const { return find<ListTable>(p, "?List"); }
    rt::Control& list(const Program& p) const { return (*p.window)["?List"]; }
    QHeaderView* header(const Program& p) const { return table(p)->horizontalHeader(); }
    // A point on the header: `along` pixels into section `column` (0-based).
    QPoint onHeader(const Program& p, int column, int along) const
    {
        return QPoint(header(p)->sectionViewportPosition(column) + along, header(p)->height() / 2);
    }
    static DialogUnits units() { return DialogUnits(makeFont(rt::FontDef{}, defaultWindowFont())); }

    std::vector<Heard> heard_;
};

TEST_F(ListBoxQt, HeaderPressMoveAndReleaseReachTheProgramInOrderAndMoveNoSection)
{
    Program& p = openList(kFormat);
    const DialogUnits u = units();
    ASSERT_TRUE(waitFor([&] { return list(p).listGeometry().headerHeight > 0; }));
    EXPECT_EQ(list(p).listGeometry().columnWidths, (std::vector<int>{u.x(50), u.x(40), u.x(30)}));
    EXPECT_EQ(list(p).listGeometry().headerHeight, header(p)->height());
    EXPECT_FALSE(header(p)->sectionsMovable());

    QWidget* h = header(p)->viewport();
    QTest::mousePress(h, Qt::LeftButton, {}, onHeader(p, 0, 10));
    QTest::mouseMove(h, onHeader(p, 2, 10));
    QTest::mouseRelease(h, Qt::LeftButton, {}, onHeader(p, 2, 10));
    ASSERT_EQ(heard_.size(), 3u);
    EXPECT_EQ(heard_[0].what, rt::ListMouse::LeftDown);
    EXPECT_TRUE(heard_[0].at.onHeader());
    EXPECT_EQ(heard_[0].at.column, 1);
    EXPECT_EQ(heard_[1].what, rt::ListMouse::Move);
    EXPECT_EQ(heard_[1].at.column, 3);
    EXPECT_EQ(heard_[2].what, rt::ListMouse::LeftUp);
    EXPECT_EQ(heard_[2].at.column, 3);
    EXPECT_EQ(header(p)->visualIndex(0), 0) << "the program moves columns, not Qt";
    EXPECT_EQ(list(p).format(), kFormat);

    // On Artist's right edge, then on a row.
    QTest::mousePress(h, Qt::RightButton, {}, onHeader(p, 0, u.x(50)));
    QTest::mouseRelease(h, Qt::RightButton, {}, onHeader(p, 0, u.x(50)));
    EXPECT_EQ(heard_[3].what, rt::ListMouse::RightDown);
    EXPECT_TRUE(heard_[3].at.edge);
    EXPECT_EQ(heard_[3].at.column, 1);
    EXPECT_EQ(heard_[3].at.row, 0);
    QTableView* t = table(p);
    const QPoint cell = t->visualRect(t->model()->index(1, 1)).center();
    QTest::mousePress(t->viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseRelease(t->viewport(), Qt::LeftButton, {}, cell);
    ASSERT_EQ(heard_.size(), 7u);
    EXPECT_EQ(heard_[5].at.row, 2);
    EXPECT_EQ(heard_[5].at.column, 2);
    EXPECT_FALSE(heard_[5].at.edge);
    EXPECT_EQ(heard_[5].at.y, t->viewport()->mapTo(t, cell).y()) << "in the list's own pixels";
    EXPECT_EQ(list(p).mouseDownRow(), 2);
}

TEST_F(ListBoxQt, DraggingAResizableEdgeWritesItsWidthIntoTheFormat)
{
    Program& p = openList(kFormat);
    const DialogUnits u = units();
    QWidget* h = header(p)->viewport();
    const QPoint edge = onHeader(p, 0, u.x(50));
    QTest::mouseMove(h, edge);
    EXPECT_EQ(h->cursor().shape(), Qt::SplitHCursor);
    QTest::mousePress(h, Qt::LeftButton, {}, edge);
    QTest::mouseMove(h, onHeader(p, 0, u.x(70)));
    EXPECT_EQ(header(p)->sectionSize(0), u.x(70) + 1) << "the column follows the mouse; its border adds a pixel";
    QTest::mouseRelease(h, Qt::LeftButton, {}, onHeader(p, 0, u.x(70)));

    EXPECT_EQ(list(p).format(), "70L|M~Artist~#2#40R~Title~#1#30LFM~Year~#3#");
    EXPECT_EQ(list(p).listGeometry().columnWidths[0], u.x(70));
    ASSERT_FALSE(heard_.empty());
    EXPECT_EQ(heard_.back().what, rt::ListMouse::LeftUp);
    EXPECT_TRUE(heard_.back().at.edge) << "the release keeps the press's edge";
    EXPECT_EQ(heard_.back().at.column, 1);

    // A click just beside an edge leaves the width as it is.
    QTest::mouseClick(h, Qt::LeftButton, {}, onHeader(p, 0, u.x(70) + 2));
    EXPECT_TRUE(heard_.back().at.edge);
    EXPECT_EQ(list(p).format(), "70L|M~Artist~#2#40R~Title~#1#30LFM~Year~#3#");

    // Title has no M: its edge is no edge.
    heard_.clear();
    QTest::mousePress(h, Qt::LeftButton, {}, onHeader(p, 1, u.x(40)));
    QTest::mouseMove(h, onHeader(p, 1, u.x(40) + 30));
    QTest::mouseRelease(h, Qt::LeftButton, {}, onHeader(p, 1, u.x(40) + 30));
    EXPECT_FALSE(heard_.front().at.edge);
    EXPECT_EQ(header(p)->sectionSize(1), u.x(40));
    EXPECT_EQ(list(p).format(), "70L|M~Artist~#2#40R~Title~#1#30LFM~Year~#3#");
}

TEST_F(ListBoxQt, AFixedColumnStaysInPlaceWhileTheOthersScrollSideways)
{
    Program& p = openList("40LF~No~60L~Artist~60L~Title~60L~Album~60L~Year~", 120);
    onThread(p, [](rt::Window& w) { w["?List"].setProperty(rt::list_prop::HScroll, "1"); });
    ListTable* t = table(p);
    ASSERT_GT(t->horizontalScrollBar()->maximum(), 0);
    t->horizontalScrollBar()->setValue(2);
    EXPECT_EQ(t->visualRect(t->model()->index(0, 0)).x(), 0);
    EXPECT_EQ(header(p)->sectionViewportPosition(0), 0);
    EXPECT_EQ(header(p)->sectionSize(1), 0);
    EXPECT_EQ(header(p)->sectionSize(2), 0);
    EXPECT_EQ(header(p)->sectionViewportPosition(3), header(p)->sectionSize(0)) << "Album follows the fixed column";
    EXPECT_EQ(list(p).listGeometry().scrolledColumns, 2);

    // A press lands on the column drawn there, not on the one scrolled out.
    heard_.clear();
    QTest::mousePress(header(p)->viewport(), Qt::LeftButton, {}, onHeader(p, 3, 5));
    QTest::mouseRelease(header(p)->viewport(), Qt::LeftButton, {}, onHeader(p, 3, 5));
    ASSERT_FALSE(heard_.empty());
    EXPECT_EQ(heard_.front().at.column, 4);
}

TEST_F(ListBoxQt, ColumnsShowTheirOwnFieldsWithTheirColours)
{
    Program& p
        = open(listWindow("60L~Album~#9#30L*~Year~#1#E(-1,65280,-1,-1)50LI_~Song~"), [](rt::Window& w, Program& p) {
              p.queue = rt::ListQueue(9);
              p.queue.append({"1969", "255", "-1", "", "16777215", "Come Together", "2", "hidden", "Abbey Road"});
              w["?List"].setList(&p.queue);
          });
    const QAbstractItemModel* m = table(p)->model();
    const auto at = [&](int column, int role) { return m->index(0, column).data(role); };
    EXPECT_EQ(at(0, Qt::DisplayRole).toString(), QStringLiteral("Abbey Road"));
    EXPECT_EQ(at(1, Qt::DisplayRole).toString(), QStringLiteral("1969"));
    EXPECT_EQ(at(2, Qt::DisplayRole).toString(), QStringLiteral("Come Together"));
    EXPECT_EQ(at(1, Qt::ForegroundRole).value<QColor>(), fromColorRef(255)) << "the row's own colour";
    EXPECT_EQ(at(1, Qt::BackgroundRole).value<QColor>(), fromColorRef(65280)) << "the column's, where the row has none";
    EXPECT_FALSE(at(0, Qt::ForegroundRole).isValid()) << "the list's own";
    EXPECT_TRUE(at(2, Qt::FontRole).value<QFont>().underline());
}

TEST_F(ListBoxQt, DrawsThePressedHeaderAndTheDragTextAndMovesTheCurrentColumn)
{
    Program& p = openList(kFormat);
    QHeaderView* h = header(p);
    const QImage plain = h->grab().toImage();
    onThread(p, [](rt::Window& w) { w["?List"].setProperty(rt::list_prop::PressedColumn, "2"); });
    const QImage pressed = h->grab().toImage();
    EXPECT_NE(pressed, plain);
    onThread(p, [](rt::Window& w) {
        w["?List"].setProperty(rt::list_prop::PressedColumn, "");
        w["?List"].setProperty(rt::list_prop::HeaderDragText, "Artist");
        w["?List"].setProperty(rt::list_prop::HeaderDragX, "60");
    });
    const QImage dragged = h->grab().toImage();
    EXPECT_NE(dragged, plain);
    onThread(p, [](rt::Window& w) { w["?List"].setProperty(rt::list_prop::HeaderDragText, ""); });
    EXPECT_EQ(h->grab().toImage(), plain);

    onThread(p, [](rt::Window& w) {
        w["?List"].setProperty(rt::list_prop::ColumnSelect, "1");
        w["?List"].setSelected(2);
    });
    QTableView* t = table(p);
    t->setFocus();
    QTest::keyClick(t, Qt::Key_Right);
    QTest::keyClick(t, Qt::Key_Right);
    EXPECT_EQ(list(p).property(rt::list_prop::CurrentColumn), "3");
    QTest::keyClick(t, Qt::Key_Right);
    EXPECT_EQ(list(p).property(rt::list_prop::CurrentColumn), "3") << "the last column is as far as it goes";
    QTest::keyClick(t, Qt::Key_Left);
    EXPECT_EQ(list(p).property(rt::list_prop::CurrentColumn), "2");
    const QPoint artist = t->visualRect(t->model()->index(0, 0)).center();
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, artist);
    EXPECT_EQ(list(p).property(rt::list_prop::CurrentColumn), "1") << "a click makes its cell current";
}

// The first and last pixel columns of the dark text in a row's first cell
// (a row neither current nor selected).
std::pair<int, int> inkOf(QTableView* t, int row)
{
    const QRect cell = t->visualRect(t->model()->index(row, 0));
    const QImage image = t->viewport()->grab(cell).toImage();
    int first = image.width(), last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return {first, last};
}

TEST_F(ListBoxQt, TextKeepsItsOffsetFromTheSideItIsJustifiedTo)
{
    const int offset = units().x(8);
    Program& p = openList("80L~A~80L~B~");
    const auto [left, leftEnd] = inkOf(table(p), 1);
    onThread(p, [](rt::Window& w) { w["?List"].setFormat("80L(8)~A~80L~B~"); });
    EXPECT_EQ(inkOf(table(p), 1).first, left + offset);
    onThread(p, [](rt::Window& w) { w["?List"].setFormat("80R~A~80L~B~"); });
    const int right = inkOf(table(p), 1).second;
    onThread(p, [](rt::Window& w) { w["?List"].setFormat("80R(8)~A~80L~B~"); });
    EXPECT_EQ(inkOf(table(p), 1).second, right - offset);
}

} // namespace
} // namespace qv::qt::testing
