// The disc-database control's windows as the Qt host draws them, filled as
// the control fills them: every control that shows lies inside its window
// and every label shows its whole text.

#include "qt_fixture.h"

#include <QLabel>
#include <QWidget>

#include "platform/outside/cddb/client.h"
#include "platform/outside/cddb/service_windows.h"
#include "platform/qt/window_view.h"

namespace qv::qt::testing {
namespace {

class CddbWindowsLook : public QtHostTest
{
protected:
    // Runs the window on a program thread until the test closes it.
    void open(std::function<void()> body)
    {
        done_ = false;
        thread_ = host_->start("cddb", [this, body] {
            body();
            done_ = true;
        });
        ASSERT_TRUE(waitFor([this] { return window() && view() && view()->outerWidget()->isVisible(); }));
    }
    void close()
    {
        window()->post(rt::Event{rt::event::CloseWindow});
        EXPECT_TRUE(waitFor([this] { return done_; }));
    }
    rt::Window* window() const { return rt::Scheduler::instance().topWindow(thread_); }
    WindowView* view() const { return host_->view(*window()); }

    void expectAllShown(const char* name)
    {
        QWidget* outer = view()->outerWidget();
        const QRect area = outer->rect();
        for (QWidget* w : outer->findChildren<QWidget*>()) {
            if (!w->isVisible())
                continue;
            if (w->parentWidget() == outer) {
                EXPECT_TRUE(area.contains(w->geometry())) << name << ": " << w->objectName().toStdString();
            }
            if (auto* label = qobject_cast<QLabel*>(w)) {
                EXPECT_LE(label->sizeHint().width(), label->width())
                    << name << ": " << label->objectName().toStdString() << " \"" << label->text().toStdString()
                    << "\" is cut";
            }
        }
    }

    int thread_ = 0;
    bool done_ = false;
};

TEST_F(CddbWindowsLook, EveryWindowShowsItsControlsWhole)
{
    cddb::Disc disc;
    disc.artist = "The Lanterns";
    disc.title = "Harbour Lights";
    disc.year = "1998";
    disc.genreId = "Indie Rock";
    disc.category = "soundtrack";
    disc.tracks = {{"Low Tide", "", ""}, {"Café Étoile", "Cora Wynn", ""}};
    for (const auto view : {cddb::DiscView::Edit, cddb::DiscView::Display}) {
        open([&disc, view] { cddb::editDisc(disc, view); });
        expectAllShown("CddbDisc");
        close();
    }

    cddb::MatchList matches;
    for (const char* category : {"jazz", "misc"}) {
        auto d = std::make_shared<cddb::Disc>();
        d->category = category;
        d->discId = "1702ba03";
        d->artist = "Quiet Rooms";
        d->title = "Sketches";
        matches.discs.push_back(d);
    }
    open([&matches] { cddb::pickMatch(matches); });
    expectAllShown("CddbMatches");
    close();

    open([] { cddb::askServiceUser({"ann", "ann@example.org"}); });
    expectAllShown("CddbUser");
    close();

    cddb::Options options;
    options.serverUrl = "http://gnudb.gnudb.org/~cddb/cddb.cgi";
    options.proxyPassword = "s3cret";
    open([&options] { cddb::editOptions(options); });
    expectAllShown("CddbOptions");
    close();

    open([] { cddb::showAboutBox("http://gnudb.gnudb.org/~cddb/cddb.cgi"); });
    expectAllShown("CddbAbout");
    close();
}

} // namespace
} // namespace qv::qt::testing
