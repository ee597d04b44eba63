#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>

#include "platform/qt/frame_window.h"
#include "platform/qt/window_widget.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/resources.h"
#include "platform/runtime/services_fixture.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

using rt::event::Accepted;
using rt::event::NewSelection;

// Small pictures for the tool bar and the logo, registered as the program
// registers its own.
void registerPictures()
{
    static std::vector<QByteArray> data;
    static std::vector<rt::EmbeddedFile> files;
    if (!files.empty())
        return;
    auto picture = [](QColor color, QSize size, bool logo) {
        QImage img(size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        if (logo) {
            p.setPen(QColor(30, 60, 120));
            QFont f(QStringLiteral("Liberation Sans"));
            f.setBold(true);
            f.setPixelSize(size.height() - 8);
            p.setFont(f);
            p.drawText(img.rect(), Qt::AlignCenter, QStringLiteral("Quorvel Pro"));
        } else {
            p.setBrush(color);
            p.setPen(Qt::black);
            p.drawEllipse(QRect(QPoint(2, 2), size - QSize(5, 5)));
            p.setBrush(Qt::white);
            p.drawEllipse(QPoint(size.width() / 2, size.height() / 2), 3, 3);
        }
        p.end();
        QByteArray bytes;
        QBuffer b(&bytes);
        b.open(QIODevice::WriteOnly);
        img.save(&b, "PNG");
        return bytes;
    };
    data = {picture(QColor(200, 60, 60), {24, 24}, false), picture(QColor(60, 140, 60), {24, 24}, false),
        picture({}, {160, 28}, true)};
    const char* names[] = {"pictures/albums.png", "pictures/songs.png", "pictures/qvlbarlogo.png"};
    for (size_t i = 0; i < data.size(); ++i)
        files.push_back({names[i],
            std::span(
                reinterpret_cast<const unsigned char*>(data[i].constData()), static_cast<size_t>(data[i].size()))});
    rt::ResourceStore::add("qvls", files);
}

const char* const frameYaml = R"(
window: Main
title: Quorvel Pro
kind: frame
at: [0, 0, 520, 300]
font: {name: MS Sans Serif, size: 8}
status: [-1, 120, 90, 40]
menubar:
  - text: "&File"
    items:
      - {text: "P&rint Setup...", std: printsetup, msg: "Set up the printer"}
      - separator
      - {name: "?Exit", text: "E&xit", std: close, msg: "Leave the program"}
  - text: "&Lists"
    items:
      - {name: "?Albums", text: "&Albums", key: CtrlA, msg: "Browse the albums"}
      - {name: "?Songs", text: "&Songs", key: F3, msg: "Browse the songs"}
  - text: "&Window"
    items:
      - {text: "&Tile", std: tile}
      - {text: "&Cascade", std: cascade}
toolbar:
  - {name: "?TbAlbums", icon: albums.png, tip: "Albums", msg: "Browse the albums"}
  - {name: "?TbSongs", icon: songs.png, tip: "Songs"}
controls:
  - {type: image, name: "?Logo", text: qvlbarlogo.png, at: [0, 0, 80, 14]}
)";

const char* const songYaml = R"(
window: UpdateSong
title: Song Details
at: [10, 8, 300, 172]
font: {name: MS Sans Serif, size: 8}
alerts: [F5, MouseRight]
flags: [mdi]
controls:
  - {type: prompt, text: "&Title:", at: [8, 9, 40, 10]}
  - {type: entry, name: "?Title", at: [50, 8, 150, 12], picture: "@s40"}
  - {type: droplist, name: "?Media", at: [206, 8, 86, 12], from: "CD|LP|#vinyl|Cassette"}
  - type: sheet
    name: "?Sheet"
    at: [8, 26, 284, 122]
    tabs:
      - text: "&General"
        controls:
          - {type: list, name: "?List", at: [14, 44, 272, 98], format: "150L(2)|M~Artist~@s30@80L(2)|M~Album~@s30@30R(2)|~Time~@s8@", flags: [vscroll]}
      - text: "&Notes"
        controls:
          - {type: check, name: "?Live", text: "&Live recording", at: [14, 44, 100, 10]}
          - {type: text, name: "?Notes", at: [14, 58, 272, 80]}
  - {type: button, name: "?OK", text: "&OK", at: [186, 154, 50, 14], flags: [default]}
  - {type: button, name: "?Cancel", text: "Cancel", at: [242, 154, 50, 14]}
)";

void fillSongs(rt::Window& w, Program& p)
{
    p.queue = rt::ListQueue(3);
    p.queue.append({"The Beatles", "Abbey Road", "4:19"});
    p.queue.append({"Kraftwerk", "Computer World", "5:12"});
    w["?List"].setList(&p.queue);
    w["?Title"].bind({[&p] { return p.bound; }, [&p](const std::string& v) { p.bound = v; }});
}

int number(const Program& p, const char* name)
{
    return (*p.window)[name].number();
}

TEST_F(QtHostTest, WindowIsDrawnFromTheModelAndFeedsItBack)
{
    registerPictures();
    Program& frame = open(frameYaml, [](rt::Window& w, Program&) { w.setStatusText(3, "Monday, 12/10/2024"); });
    auto* main = dynamic_cast<FrameWindow*>(view(frame));
    ASSERT_NE(main, nullptr);
    Program& song = open(songYaml, fillSongs);
    auto* window = dynamic_cast<WindowWidget*>(view(song));
    ASSERT_NE(window, nullptr);

    // Drawn from the definition: an MDI child with the list's rows and columns.
    ASSERT_EQ(main->mdiArea()->subWindowList().size(), 1);
    auto* list = find<QTableView>(song, "?List");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(list->model()->columnCount(), 3);
    EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Album"));
    EXPECT_EQ(list->model()->index(1, 1).data().toString(), QStringLiteral("Computer World"));
    EXPECT_EQ(main->menuBar()->actions().size(), 3);
    EXPECT_TRUE(main->statusZones().zone(3)->text().startsWith(QStringLiteral("Monday")));

    // Typing into the entry reaches the model and the use variable; Enter
    // completes the field and presses the default button.
    auto* title = find<QLineEdit>(song, "?Title");
    QApplication::setActiveWindow(main);
    title->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == title; }));
    QTest::keyClicks(title, QStringLiteral("Abbey Road"));
    EXPECT_EQ((*song.window)["?Title"].value(), "Abbey Road");
    EXPECT_EQ(song.bound, "") << "the use variable is the program's: set on its own thread";
    QTest::keyClick(title, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return song.count(Accepted, number(song, "?OK")) == 1; }));
    EXPECT_EQ(song.bound, "Abbey Road");
    ASSERT_EQ(song.count(Accepted, number(song, "?Title")), 1);
    EXPECT_LT(std::find_if(song.events.begin(), song.events.end(),
                  [&](const rt::Event& e) { return e.control == number(song, "?Title"); })
            - song.events.begin(),
        std::find_if(song.events.begin(), song.events.end(), [&](const rt::Event& e) {
            return e.control == number(song, "?OK");
        }) - song.events.begin());

    // The program's changes reach the widgets and post nothing.
    const size_t before = song.events.size();
    onThread(song, [&](rt::Window& w) {
        w["?Title"].setValue("Let It Be");
        song.queue.append({"Miles Davis", "Kind of Blue", "9:22"});
        w["?List"].setSelected(3);
        w["?Media"].setValue("vinyl");
        w["?OK"].setEnabled(false);
    });
    EXPECT_EQ(title->text(), QStringLiteral("Let It Be"));
    EXPECT_EQ(list->model()->rowCount(), 3);
    EXPECT_EQ(list->selectionModel()->currentIndex().row(), 2);
    EXPECT_EQ(find<QComboBox>(song, "?Media")->currentText(), QStringLiteral("LP"));
    EXPECT_FALSE(find<QPushButton>(song, "?OK")->isEnabled());
    QCoreApplication::processEvents();
    EXPECT_EQ(song.events.size(), before);

    // Choosing a row is a new selection.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    ASSERT_TRUE(waitFor([&] { return song.count(NewSelection, number(song, "?List")) == 1; }));
    EXPECT_EQ((*song.window)["?List"].selected(), 1);
    EXPECT_EQ(song.count(Accepted, number(song, "?List")), 0);

    // Without an alerted double-click, a double-click accepts the row.
    const QPoint row2 = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row2);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row2);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row2);
    ASSERT_TRUE(waitFor([&] { return song.count(Accepted, number(song, "?List")) == 1; }));
    EXPECT_EQ((*song.window)["?List"].selected(), 2);

    // A tab is chosen through the sheet; its controls show, the others hide.
    auto* sheet = find<QTabWidget>(song, "?Sheet");
    QTest::mouseClick(sheet->tabBar(), Qt::LeftButton, {}, sheet->tabBar()->tabRect(1).center());
    ASSERT_TRUE(waitFor([&] { return song.count(NewSelection, number(song, "?Sheet")) == 1; }));
    EXPECT_EQ((*song.window)["?Sheet"].selected(), 2);
    EXPECT_TRUE(find<QCheckBox>(song, "?Live")->isVisible());
    EXPECT_FALSE(list->isVisible());
    find<QCheckBox>(song, "?Live")->click();
    ASSERT_TRUE(waitFor([&] { return song.count(Accepted, number(song, "?Live")) == 1; }));
    EXPECT_EQ((*song.window)["?Live"].value(), "1");
    onThread(song, [](rt::Window& w) { w["?Sheet"].setSelected(1); });
    EXPECT_TRUE(list->isVisible());

    // Alert keys and alerted clicks arrive as pre-alert and alert-key events.
    title->setFocus();
    QTest::keyClick(title, Qt::Key_F5);
    ASSERT_TRUE(waitFor([&] { return song.count(rt::event::AlertKey) == 1; }));
    auto pre = std::find_if(
        song.events.begin(), song.events.end(), [](const rt::Event& e) { return e.code == rt::event::PreAlertKey; });
    ASSERT_NE(pre, song.events.end());
    EXPECT_EQ(pre->keyCode, 116);
    EXPECT_EQ(pre->control, number(song, "?Title"));
    EXPECT_EQ((pre + 1)->code, rt::event::AlertKey);
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, list->visualRect(list->model()->index(1, 0)).center());
    ASSERT_TRUE(waitFor([&] { return song.count(rt::event::AlertKey) == 2; }));
    const auto alert = std::find_if(
        song.events.rbegin(), song.events.rend(), [](const rt::Event& e) { return e.code == rt::event::AlertKey; });
    EXPECT_EQ(alert->keyCode, rt::key::MouseRight);
    EXPECT_EQ(alert->control, number(song, "?List"));

    // A menu item shows its status text while under the mouse and posts an
    // accepted event to the frame's thread when chosen.
    main->findChild<QAction*>(QStringLiteral("?Albums"))->hover();
    EXPECT_EQ(main->statusZones().zone(1)->text(), QStringLiteral("Browse the albums"));
    main->findChild<QAction*>(QStringLiteral("?Albums"))->trigger();
    ASSERT_TRUE(waitFor([&] { return frame.count(Accepted, number(frame, "?Albums")) == 1; }));

    onThread(song, [](rt::Window& w) { w["?OK"].setEnabled(true); });
    onThread(frame, [](rt::Window& w) {
        w.setStatusText(2, "/home/music/collection");
        w.setStatusText(4, "10:42");
    });
    const QString shot = QDir::current().absoluteFilePath(QStringLiteral("qt_host_window.png"));
    ASSERT_TRUE(main->grab().save(shot));
    std::printf("screenshot: %s\n", shot.toLocal8Bit().constData());
}

TEST_F(QtHostTest, CloseBoxAsksTheProgramWhichClosesTheWindow)
{
    Program& p = open(songYaml, fillSongs);
    p.closeOnRequest = false;
    QPointer<QWidget> w = view(p)->outerWidget();
    w->close();
    ASSERT_TRUE(waitFor([&] { return p.count(rt::event::CloseWindow) == 1; }));
    EXPECT_TRUE(w->isVisible()) << "the program decides";
    onThread(p, [](rt::Window& win) { win.close(); });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w.isNull());
}

TEST_F(QtHostTest, TimersPostTimerEventsFromTheQtLoop)
{
    Program& p = open(songYaml, [](rt::Window& w, Program&) { w.setTimer(5); });
    ASSERT_TRUE(waitFor([&] { return p.count(rt::event::Timer) >= 2; }));
}

TEST_F(QtHostTest, AWindowIsModalForItsOwnThreadOnly)
{
    const char* dialog = R"(
window: Dialog
title: Dialog
controls:
  - {type: button, name: "?OK", text: "&OK", at: [10, 10, 50, 14]}
)";
    Program& a = open(songYaml, fillSongs);
    Program& b = open(dialog);
    auto* aOk = find<QPushButton>(a, "?OK");
    auto* bOk = find<QPushButton>(b, "?OK");
    EXPECT_TRUE(aOk->isEnabled());

    // Thread a opens a second window and waits in it, as a called
    // procedure does: its first window waits, thread b's stays live.
    rt::Window* second = nullptr;
    a.jobs.push_back([&](rt::Window&) {
        rt::Window w(rt::parseWindowDef(dialog, "test"));
        w.open();
        second = &w;
        while (w.waitEvent().code != Accepted) { }
        second = nullptr;
    });
    rt::Scheduler::instance().post(a.thread, rt::Event{rt::event::User});
    ASSERT_TRUE(waitFor([&] { return second && host_->view(*second) && host_->view(*second)->widget()->isVisible(); }));
    auto* secondOk = host_->view(*second)->widget()->findChild<QPushButton*>(QStringLiteral("?OK"));
    EXPECT_FALSE(aOk->isEnabled());
    EXPECT_TRUE(bOk->isEnabled());
    EXPECT_TRUE(secondOk->isEnabled());

    bOk->click();
    ASSERT_TRUE(waitFor([&] { return b.count(Accepted) == 1; }));
    // The waiting window cannot be closed from its title bar meanwhile.
    view(a)->outerWidget()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(a.count(rt::event::CloseWindow), 0);

    // Closing it gives the first window back.
    secondOk->click();
    ASSERT_TRUE(waitFor([&] { return a.jobs.empty(); }));
    EXPECT_TRUE(aOk->isEnabled());
}

} // namespace
} // namespace qv::qt::testing

namespace qv::qt::testing {
namespace {

// What completion of typed text needs of an entry: each keystroke with its
// key code, the caret and selection both ways, and the focus arriving.
TEST_F(QtHostTest, AnImmediateEntryReportsKeystrokesCaretAndFocus)
{
    Program& p = open(R"(
window: Typing
title: Artist
at: [10, 10, 200, 60]
controls:
  - {type: entry, name: "?Artist", at: [8, 8, 150, 12], flags: [immediate]}
  - {type: button, name: "?OK", text: "&OK", at: [8, 30, 50, 14]}
)");
    auto* edit = find<QLineEdit>(p, "?Artist");
    ASSERT_NE(edit, nullptr);
    rt::Control& artist = (*p.window)["?Artist"];
    edit->setFocus();
    ASSERT_TRUE(waitFor([&] { return p.count(rt::event::Selected, artist.number()) > 0; }));

    QTest::keyClicks(edit, "Ab");
    QTest::keyClick(edit, Qt::Key_Backspace);
    ASSERT_TRUE(waitFor([&] { return p.count(NewSelection, artist.number()) == 3; }));
    std::vector<int> keys;
    for (const auto& e : p.events)
        if (e.code == NewSelection)
            keys.push_back(e.keyCode);
    EXPECT_EQ(keys, (std::vector<int>{'A', 'B', rt::key::Back}));
    EXPECT_EQ(artist.property(rt::prop::SelStart), "2"); // the caret after "A"
    EXPECT_EQ(artist.property(rt::prop::SelEnd), "1");

    // The program completes the text and selects the completed tail.
    onThread(p, [](rt::Window& w) {
        w["?Artist"].setValue("Abba");
        w["?Artist"].setProperty(rt::prop::SelStart, "2");
        w["?Artist"].setProperty(rt::prop::SelEnd, "4");
    });
    ASSERT_TRUE(waitFor([&] { return edit->selectedText() == "bba"; }));
    EXPECT_EQ(edit->selectionStart(), 1);
}

} // namespace
} // namespace qv::qt::testing

namespace qv::qt::testing {
namespace {

TEST_F(QtHostTest, AMultiLineTextMovesByLinesAsTheArrowKeysDo)
{
    Program& p = open(R"(
window: Notes
title: Notes
at: [10, 10, 200, 80]
controls:
  - {type: text, name: "?Notes", at: [8, 8, 180, 40]}
)");
    auto* edit = find<QPlainTextEdit>(p, "?Notes");
    ASSERT_NE(edit, nullptr);
    onThread(p, [](rt::Window& w) {
        std::string text;
        for (int i = 1; i <= 40; ++i)
            text += "line " + std::to_string(i) + "\n";
        w["?Notes"].setValue(text);
        w["?Notes"].scrollLines(5);
    });
    ASSERT_TRUE(waitFor([&] { return edit->textCursor().blockNumber() == 5; }));
    onThread(p, [](rt::Window& w) { w["?Notes"].scrollLines(-2); });
    ASSERT_TRUE(waitFor([&] { return edit->textCursor().blockNumber() == 3; }));
}

} // namespace
} // namespace qv::qt::testing

namespace qv::qt::testing {
namespace {

std::vector<std::string>& qtWarnings()
{
    static std::vector<std::string> w;
    return w;
}

// Edit > Cut, Copy and Paste reach the field the user was in, even when the
// menu bar took the focus to open the menu, and say nothing on the terminal.
TEST_F(QtHostTest, EditCommandsWorkOnTheLastFieldFromTheMenu)
{
    Program& p = open(R"(
window: Edit
title: Edit
at: [10, 10, 200, 60]
controls:
  - {type: entry, name: "?Artist", at: [8, 8, 150, 12]}
)");
    auto* edit = find<QLineEdit>(p, "?Artist");
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == edit; }));
    edit->setText("Abba");
    edit->selectAll();
    QWidget elsewhere; // as the menu bar takes the focus
    elsewhere.show();
    elsewhere.setFocus();
    waitFor([&] { return QApplication::focusWidget() != edit; }, 500);

    qtWarnings().clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& m) { qtWarnings().push_back(m.toStdString()); });
    for (const char* action : {"copy", "cut"})
        host_->runStandard(action, *p.window);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(qtWarnings().empty()) << qtWarnings().front();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "Abba");
    EXPECT_EQ(edit->text().toStdString(), "");
}

// A text shown read-only and out of the tab order can be opened for typing
// while its window is open (a tip becomes editable in debug mode).
TEST_F(QtHostTest, AReadOnlyTextOpensForTypingWhileTheWindowIsOpen)
{
    Program& p = open(R"(
window: Tip
title: Tip
at: [10, 10, 200, 80]
controls:
  - {type: text, name: "?Tip", at: [8, 8, 150, 40], flags: [readonly, skip]}
  - {type: entry, name: "?Name", at: [8, 52, 150, 12], flags: [readonly]}
)");
    auto* tip = find<QPlainTextEdit>(p, "?Tip");
    auto* name = find<QLineEdit>(p, "?Name");
    ASSERT_NE(tip, nullptr);
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(tip->isReadOnly());
    EXPECT_EQ(tip->focusPolicy(), Qt::ClickFocus);
    EXPECT_TRUE(name->isReadOnly());

    onThread(p, [](rt::Window& w) {
        w["?Tip"].setReadOnly(false);
        w["?Tip"].setSkip(false);
        w["?Name"].setReadOnly(false);
    });
    ASSERT_TRUE(waitFor([&] { return !tip->isReadOnly() && !name->isReadOnly(); }));
    EXPECT_EQ(tip->focusPolicy(), Qt::StrongFocus);
}

} // namespace
} // namespace qv::qt::testing

namespace qv::qt::testing {
namespace {

// A tabbed form the program gave no focus starts in its first field, not on
// the tab bar, so the user can type at once.
TEST_F(QtHostTest, ATabbedFormStartsInItsFirstField)
{
    Program& p = open(R"(
window: Tabbed
title: Artist
at: [10, 10, 200, 80]
controls:
  - type: sheet
    name: "?Sheet"
    at: [4, 4, 190, 50]
    tabs:
      - text: General
        controls:
          - {type: prompt, name: "?ArtistPrompt", text: "&Artist:", at: [8, 20, 30, 10]}
          - {type: entry, name: "?Artist", at: [40, 20, 120, 12]}
  - {type: button, name: "?OK", text: "&OK", at: [8, 60, 50, 14]}
)");
    auto* edit = find<QLineEdit>(p, "?Artist");
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(waitFor([&] { return edit->hasFocus(); }));
}

} // namespace
} // namespace qv::qt::testing

namespace qv::qt::testing {
namespace {

// The program marks the current tab by making its caption bold; the tab bar
// has one font for all its tabs, so the mark must reach the drawing itself.
TEST_F(QtHostTest, ATabMadeBoldIsDrawnBold)
{
    Program& p = open(R"(
window: Marked
title: Songs
at: [10, 10, 200, 80]
controls:
  - type: sheet
    name: "?Sheet"
    at: [4, 4, 190, 50]
    tabs:
      - {text: Artist, name: "?ArtistTab"}
      - {text: Title, name: "?TitleTab"}
)");
    auto* sheet = find<QTabWidget>(p, "?Sheet");
    ASSERT_NE(sheet, nullptr);
    QTabBar* bar = sheet->tabBar();
    const QImage plain = bar->grab().toImage();
    onThread(p, [](rt::Window& w) {
        rt::FontDef bold = w["?ArtistTab"].font();
        bold.bold = true;
        w["?ArtistTab"].setFont(bold);
    });
    ASSERT_TRUE(waitFor([&] { return bar->tabData(0).toBool(); }));
    EXPECT_FALSE(bar->tabData(1).toBool());
    EXPECT_NE(bar->grab().toImage(), plain) << "the caption looks the same";
}

} // namespace
} // namespace qv::qt::testing

namespace qv::qt::testing {
namespace {

// A user's picture is read from disk and only ever made smaller, to fit the
// control with its proportions kept; what cannot be read shows nothing.
TEST_F(QtHostTest, APictureFileIsShownScaledDownToFitItsControl)
{
    registerPictures();
    rt::testing::ScratchFolder folder("qv pictures");
    rt::testing::ScopedCurrentFolder inFolder(folder.path());
    Program& p = open(R"(
window: Cover
title: Album
at: [10, 10, 240, 120]
controls:
  - {type: image, name: "?Cover", at: [4, 4, 199, 74]}
)");
    auto* label = find<QLabel>(p, "?Cover");
    ASSERT_NE(label, nullptr);
    const QSize box = label->size();
    ASSERT_GT(box.width(), 2 * box.height()) << "a wide box, as the album form's";
    const auto save = [&](const std::string& name, QSize size) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::darkBlue);
        ASSERT_TRUE(img.save(QString::fromStdString(folder / name)));
    };
    const auto show = [&](const std::string& file) {
        onThread(p, [file](rt::Window& w) { w["?Cover"].setProperty(rt::prop::PictureFile, file); });
        return label->pixmap().size();
    };
    struct Case {
        const char* name;
        QSize natural;
        QSize shown;
    };
    const int w = box.width(), h = box.height();
    const Case cases[] = {
        {"wide.png", {4 * w, h}, {w, h / 4}},
        {"tall.png", {w, 3 * h}, {w / 3, h}},
        {"small.png", {w / 2, h / 2}, {w / 2, h / 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        save(c.name, c.natural);
        const QSize shown = show(folder / c.name);
        EXPECT_NEAR(shown.width(), c.shown.width(), 1);
        EXPECT_NEAR(shown.height(), c.shown.height(), 1);
    }

    // A file named like one of the program's own pictures is still the
    // user's, found by the program's spelling of its path.
    save("qvlbarlogo.png", {10, 10});
    EXPECT_EQ(show(".\\QVLBARLOGO.PNG"), QSize(10, 10));

    rt::testing::writeFile(folder / "broken.png", "not a picture");
    for (const std::string& nothing : {folder / "broken.png", folder / "missing.png", std::string()}) {
        SCOPED_TRACE(nothing);
        show(nothing);
        EXPECT_TRUE(label->pixmap().isNull());
    }
}

// With scroll bars the picture keeps its own size: a large page scrolls, a
// small one sits in the middle of the box.
TEST_F(QtHostTest, AScrollingPictureShowsAFileAtItsOwnSize)
{
    rt::testing::ScratchFolder folder("qv pictures");
    Program& p = open(R"(
window: Pages
title: Pages
at: [10, 10, 240, 120]
controls:
  - {type: image, name: "?Page", at: [0, 0, 240, 120], flags: [vscroll, hscroll]}
)");
    auto* area = find<QScrollArea>(p, "?Page");
    ASSERT_NE(area, nullptr);
    auto* label = qobject_cast<QLabel*>(area->widget());
    ASSERT_NE(label, nullptr);
    const QSize box = area->viewport()->size();
    const auto show = [&](const std::string& name, QSize size) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::white);
        ASSERT_TRUE(img.save(QString::fromStdString(folder / name)));
        onThread(p, [file = folder / name](rt::Window& w) { w["?Page"].setProperty(rt::prop::PictureFile, file); });
        QCoreApplication::processEvents();
    };

    show("large.png", box * 3);
    EXPECT_EQ(label->pixmap().size(), box * 3) << "never scaled down";
    EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
    EXPECT_GT(area->horizontalScrollBar()->maximum(), 0);

    show("small.png", box / 2);
    EXPECT_EQ(label->pixmap().size(), box / 2);
    EXPECT_EQ(area->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
}

} // namespace
} // namespace qv::qt::testing
