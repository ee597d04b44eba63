// The album list's header on the desktop: a click on a header, made with the
// mouse through the Qt host, sorts the list on that column, and again the
// other way round.

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMainWindow>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "core/core_fixture.h"
#include "platform/qt/host.h"
#include "platform/runtime/scheduler.h"
#include "platform/tables/table.h"
#include "qvls/core/globals.h"
#include "qvls/core/program.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/subsystems.h"
#include "qvls/windows/Main.h"

namespace qv::qvls::testing {
namespace {

bool waitFor(const std::function<bool()>& condition, int ms = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

QMainWindow* frameWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMainWindow*>(w); m && m->objectName() == "Main" && m->isVisible())
            return m;
    return nullptr;
}

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

class AlbumListOnTheDesktop : public CollectionFolder
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "program_qt_test";
        static char* argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void SetUp() override
    {
        CollectionFolder::SetUp();
        writeFile(collection("QVLROCFG.INI"), "[Settings]\nSetupWizardComplete=1\nShowTips=0\n");
        registerSubsystems();
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
    std::string arg = "qvls";
    char* argv[] = {arg.data()};
    Strings ascending, descending, header;
    const int code = ProgramEntry(1, argv, [&](std::function<void()> body) {
        qt::QtHost host;
        bool ended = false;
        host.watchThread(host.start("main", std::move(body)), [&ended] { ended = true; });
        QMainWindow* frame = nullptr;
        EXPECT_TRUE(waitFor([&] { return (frame = frameWindow()) != nullptr; }));
        if (frame) {
            rt::Scheduler::instance().post(
                glo().frameThread, rt::Event{rt::event::Accepted, ctl::Main::ListsAlbums.number});
            QTableView* table = nullptr;
            EXPECT_TRUE(waitFor([&] { return (table = albumTable(*frame)) != nullptr; }));
            if (table) {
                EXPECT_TRUE(waitFor([&] { return table->model()->rowCount() == 4; }));
                QWidget* h = table->horizontalHeader()->viewport();
                const QPoint artist(table->horizontalHeader()->sectionViewportPosition(0) + 20,
                    table->horizontalHeader()->height() / 2);
                const auto shownHeader
                    = [&] { return table->model()->headerData(0, Qt::Horizontal).toString().toStdString(); };
                for (const char* mark : {">Artist", "<Artist"}) {
                    QTest::mouseClick(h, Qt::LeftButton, {}, artist);
                    waitFor([&] { return shownHeader() == mark; }, 5000);
                    header.push_back(shownHeader());
                    (ascending.empty() ? ascending : descending) = column(*table, 0);
                }
            }
            frame->close();
        }
        EXPECT_TRUE(waitFor([&] { return ended; }));
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(header, (Strings{">Artist", "<Artist"}));
    EXPECT_EQ(ascending, (Strings{"Joni Mitchell", "Kraftwerk", "Miles Davis", "Steely Dan"}));
    EXPECT_EQ(descending, (Strings{"Steely Dan", "Miles Davis", "Kraftwerk", "Joni Mitchell"}));
}

} // namespace
} // namespace qv::qvls::testing
