// The album list on the desktop: a click on a header, made with the mouse
// through the Qt host, sorts the list on that column, and again the other
// way round; its properties window lays its controls out.

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/qt/host.h"
#include "platform/qt/window_view.h"
#include "platform/runtime/scheduler.h"
#include "platform/tables/table.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/core/globals.h"
#include "qvls/core/program.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/qt/program_fixture.h"
#include "qvls/subsystems.h"
#include "qvls/windows/Main.h"

namespace qv::qvls::testing {
namespace {

// The album list's table: the one whose first header is "Artist" (or marked so).
QTableView* albumTable(QMainWindow& frame)
{
    for (QTableView* t : frame.findChildren<QTableView*>())
        if (t->isVisible() && t->model() && t->model()->columnCount() > 1
            && t->model()->headerData(1, Qt::Horizontal).toString().endsWith("Album"))
            return t;
    return nullptr;
}

std::vector<std::string> column(QTableView& t, int c)
{
    std::vector<std::string> out;
    for (int r = 0; r < t.model()->rowCount(); ++r)
        out.push_back(t.model()->index(r, c).data().toString().trimmed().toStdString());
    return out;
}

rt::Window* openWindow(std::string_view name)
{
    rt::Scheduler& s = rt::Scheduler::instance();
    for (const int thread : s.runningThreads())
        for (rt::Window* w : s.windows(thread))
            if (w->def().name == name)
                return w;
    return nullptr;
}

bool shows(rt::Window* w)
{
    qt::WindowView* view = w ? qt::QtHost::instance()->view(*w) : nullptr;
    return view && view->outerWidget()->isVisible();
}

class AlbumListOnTheDesktop : public ProgramOnTheDesktop
{
protected:
    void SetUp() override
    {
        ProgramOnTheDesktop::SetUp();
        // The collection the program opens holds four albums.
        dictionary::InitDictionary();
        ASSERT_EQ(dictionary::accessOf("Album")->open(), fw::Benign);
        tables::Table& albums = dictionary::Album();
        for (const auto& [album, artist] : {std::pair{"Hejira", "Joni Mitchell"}, std::pair{"aja", "Steely Dan"},
                 std::pair{"Kind of Blue", "Miles Davis"}, std::pair{"Computer World", "Kraftwerk"}}) {
            albums.record().clear();
            albums.record()["ALB:Album"] = album;
            albums.record()["ALB:Artist"] = artist;
            albums.record()["ALB:Media"] = "CD";
            ASSERT_EQ(albums.insert(), 0);
        }
        dictionary::accessOf("Album")->close();
        dictionary::KillDictionary();
    }
};

TEST_F(AlbumListOnTheDesktop, AHeaderClickSortsTheListAndASecondTurnsItRound)
{
    using Strings = std::vector<std::string>;
    Strings ascending, descending, header;
    run([&](QMainWindow& frame) {
        rt::Scheduler::instance().post(
            glo().frameThread, rt::Event{rt::event::Accepted, ctl::Main::ListsAlbums.number});
        QTableView* table = nullptr;
        ASSERT_TRUE(waitFor([&] { return (table = albumTable(frame)) != nullptr; }));
        ASSERT_TRUE(waitFor([&] { return table->model()->rowCount() == 4; }));
        QWidget* h = table->horizontalHeader()->viewport();
        const QPoint artist(
            table->horizontalHeader()->sectionViewportPosition(0) + 20, table->horizontalHeader()->height() / 2);
        const auto shownHeader = [&] { return table->model()->headerData(0, Qt::Horizontal).toString().toStdString(); };
        for (const char* mark : {">Artist", "<Artist"}) {
            QTest::mouseClick(h, Qt::LeftButton, {}, artist);
            waitFor([&] { return shownHeader() == mark; }, 5000);
            header.push_back(shownHeader());
            (ascending.empty() ? ascending : descending) = column(*table, 0);
        }
    });
    EXPECT_EQ(header, (Strings{">Artist", "<Artist"}));
    EXPECT_EQ(ascending, (Strings{"Joni Mitchell", "Kraftwerk", "Miles Davis", "Steely Dan"}));
    EXPECT_EQ(descending, (Strings{"Steely Dan", "Miles Davis", "Kraftwerk", "Joni Mitchell"}));
}

// The properties window lays every control it shows inside itself and clear
// of the others, and the available fields show their check icon. With
// QV_SCREENSHOTS set to a folder, the window is saved there as a picture.
TEST_F(AlbumListOnTheDesktop, ThePropertiesWindowLaysItsControlsOutInsideAndApart)
{
    std::vector<std::string> outside, overlapping;
    bool checkIcon = false, opened = false;
    run([&](QMainWindow&) {
        rt::Scheduler::instance().post(
            glo().frameThread, rt::Event{rt::event::Accepted, ctl::Main::ListsAlbums.number});
        rt::Window* albums = nullptr;
        ASSERT_TRUE(waitFor([&] { return shows(albums = openWindow("BrowseAlbums")); }));
        rt::Scheduler::instance().post(*albums, rt::Event{BrovexList::kListProperties});
        rt::Window* w = nullptr;
        ASSERT_TRUE(waitFor([&] { return shows(w = openWindow("BrovexListProperties")); }));
        opened = true;
        waitFor([] { return false; }, 200);
        QWidget* window = qt::QtHost::instance()->view(*w)->widget();
        const QRect inside = window->rect();
        struct Placed {
            std::string name;
            QRect at;
        };
        std::vector<Placed> placed;
        for (const auto& c : w->controls()) {
            if (c->effectivelyHidden() || c->parent())
                continue; // radios lie inside their option, which is checked itself
            auto* widget = window->findChild<QWidget*>(QString::fromStdString(c->name()));
            if (!widget || !widget->isVisible())
                continue;
            const QRect at(widget->mapTo(window, QPoint(0, 0)), widget->size());
            if (!inside.contains(at))
                outside.push_back(c->name());
            for (const Placed& p : placed)
                if (p.at.intersects(at))
                    overlapping.push_back(p.name + " " + c->name());
            placed.push_back({c->name(), at});
        }
        if (auto* fields = window->findChild<QTableView*>("?Available"))
            checkIcon = !fields->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull();
        if (const char* folder = std::getenv("QV_SCREENSHOTS"))
            window->window()->grab().save(
                QString::fromStdString((std::filesystem::path(folder) / "list-properties.png").string()));
        rt::Scheduler::instance().post(*w, rt::Event{rt::event::CloseWindow});
        EXPECT_TRUE(waitFor([&] { return openWindow("BrovexListProperties") == nullptr; }));
    });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(outside.empty()) << outside.front();
    EXPECT_TRUE(overlapping.empty()) << overlapping.front();
    EXPECT_TRUE(checkIcon) << "a shown field has its check icon";
}

QAction* actionNamed(const QMenu& menu, const QString& text)
{
    for (QAction* a : menu.actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

QWidget* shownWindow(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

TEST_F(AlbumListOnTheDesktop, TheGraphPutsAPictureOfItsOwnWindowOnTheClipboard)
{
    QSize picture, shown;
    bool buttonsBack = false;
    run([&](QMainWindow& frame) {
        QGuiApplication::clipboard()->setText("before");
        rt::Scheduler::instance().post(
            glo().frameThread, rt::Event{rt::event::Accepted, ctl::Main::ListsAlbums.number});
        QTableView* table = nullptr;
        ASSERT_TRUE(waitFor([&] { return (table = albumTable(frame)) != nullptr; }));
        ASSERT_TRUE(waitFor([&] { return table->model()->rowCount() == 4; }));
        // The right-click menu of the first row's artist: Output > Graph on Album Artist.
        const QRect cell = table->visualRect(table->model()->index(0, 0));
        QTest::mouseClick(table->viewport(), Qt::RightButton, {}, cell.center());
        QMenu* popup = nullptr;
        ASSERT_TRUE(waitFor([&] { return (popup = qobject_cast<QMenu*>(shownWindow("popupMenu"))) != nullptr; }));
        QAction* output = actionNamed(*popup, "&Output");
        ASSERT_TRUE(output && output->menu());
        QAction* graphOn = actionNamed(*output->menu(), "Graph on Album Artist");
        ASSERT_TRUE(graphOn && graphOn->isEnabled());
        graphOn->trigger();
        popup->close();

        QWidget* graph = nullptr;
        ASSERT_TRUE(waitFor([&] { return (graph = shownWindow("BrovexGraph")) != nullptr; }));
        QPushButton* copy = nullptr;
        for (QPushButton* b : graph->findChildren<QPushButton*>())
            if (b->text() == "&To Clipboard")
                copy = b;
        ASSERT_TRUE(copy);
        ASSERT_TRUE(waitFor([&] { return copy->isVisible(); }));
        QTest::mouseClick(copy, Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return !QGuiApplication::clipboard()->image().isNull(); }, 5000));
        picture = QGuiApplication::clipboard()->image().size();
        shown = graph->size();
        // The buttons come back a second later.
        buttonsBack = waitFor([&] { return copy->isVisible(); }, 5000);
        graph->close();
        waitFor([&] { return shownWindow("BrovexGraph") == nullptr; }, 5000);
    });
    EXPECT_FALSE(picture.isEmpty());
    EXPECT_EQ(picture, shown);
    EXPECT_TRUE(buttonsBack);
}

} // namespace
} // namespace qv::qvls::testing
