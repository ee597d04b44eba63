// The album list's properties window on the desktop: every control it shows
// lies inside the window and clear of the others, and the available fields
// show their check icon. With QV_SCREENSHOTS set to a folder, the window is
// saved there as a picture to look at.

#include <QAbstractItemModel>
#include <QIcon>
#include <QTableView>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "platform/qt/host.h"
#include "platform/qt/window_view.h"
#include "platform/runtime/scheduler.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/core/globals.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"
#include "qvls/qt/program_fixture.h"
#include "qvls/windows/Main.h"

namespace qv::qvls::testing {
namespace {

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

class ListPropertiesOnTheDesktop : public ProgramOnTheDesktop
{
protected:
    void SetUp() override
    {
        ProgramOnTheDesktop::SetUp();
        dictionary::InitDictionary();
        ASSERT_EQ(dictionary::accessOf("Album")->open(), fw::Benign);
        tables::Table& albums = dictionary::Album();
        albums.record().clear();
        albums.record()["ALB:Album"] = "Hejira";
        albums.record()["ALB:Artist"] = "Joni Mitchell";
        ASSERT_EQ(albums.insert(), 0);
        dictionary::accessOf("Album")->close();
        dictionary::KillDictionary();
    }
};

TEST_F(ListPropertiesOnTheDesktop, TheWindowLaysItsControlsOutInsideAndApart)
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

} // namespace
} // namespace qv::qvls::testing
