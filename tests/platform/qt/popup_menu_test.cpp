// A context menu with submenus and check items, shown by the Qt host: the
// user opens the submenus and chooses an item two levels down.

#include <QAction>
#include <QApplication>
#include <QMenu>

#include "platform/framework/context_menu.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

constexpr const char* listYaml = R"(
title: Albums
at: [0, 0, 150, 90]
controls:
  - {type: list, name: List, at: [4, 4, 140, 80]}
)";

QMenu* shownPopup()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("popupMenu") && w->isVisible())
            return qobject_cast<QMenu*>(w);
    return nullptr;
}

QAction* actionNamed(const QMenu* menu, const char* text)
{
    for (QAction* a : menu->actions())
        if (a->text() == QLatin1String(text))
            return a;
    return nullptr;
}

// "text", "[x] text" or "[ ] text" for a check item, "-" for a separator,
// "text >" for a submenu.
std::vector<std::string> shape(const QMenu* menu)
{
    std::vector<std::string> out;
    for (const QAction* a : menu->actions()) {
        const std::string text = a->text().toStdString();
        if (a->isSeparator())
            out.push_back("-");
        else if (a->menu())
            out.push_back(text + " >");
        else if (a->isCheckable())
            out.push_back((a->isChecked() ? "[x] " : "[ ] ") + text);
        else
            out.push_back(text);
    }
    return out;
}

TEST_F(QtHostTest, PopupMenuShowsSubmenusWithCheckMarksAndAnswersFromDeepInside)
{
    Program& p = open(listYaml);
    fw::ContextMenu menu;
    std::string chosen = "(not asked)";
    p.jobs.push_back([&](rt::Window& w) {
        menu.init(w, 0);
        menu.insertItem("&Output", "Output", {}, 1, 0);
        menu.insertItem("Print All", "PVW", "Output", 2, 1070);
        menu.insertItem("&List", "List", {}, 1, 0);
        menu.insertItem("&Filter", "Filter", "List", 2, 0);
        menu.insertItem("Add Filter of", "ADDF1", "Filter", 3, 1074);
        menu.insertItem("+Add = to Filter", "EQL", "ADDF1", 3, 1080);
        menu.insertItem("-", "S32", "EQL", 3, 0);
        menu.insertItem("Cancel Filter", "VOID", "S32", 3, 1079);
        menu.insertItem("+Fixed", "FXD", "VOID", 2, 1051);
        menu.setItemChecked("EQL", true);
        menu.setItemEnabled("PVW", false);
        chosen = menu.open();
    });
    rt::Scheduler::instance().post(p.thread, rt::Event{rt::event::User});
    QMenu* popup = nullptr;
    ASSERT_TRUE(waitFor([&] { return (popup = shownPopup()) != nullptr; }));

    EXPECT_EQ(shape(popup), (std::vector<std::string>{"&Output >", "&List >"}));
    QMenu* output = actionNamed(popup, "&Output")->menu();
    EXPECT_EQ(output->title(), "&Output");
    EXPECT_FALSE(actionNamed(output, "Print All")->isEnabled());
    QMenu* list = actionNamed(popup, "&List")->menu();
    EXPECT_EQ(shape(list), (std::vector<std::string>{"&Filter >", "[ ] Fixed"}));
    QMenu* filter = actionNamed(list, "&Filter")->menu();
    EXPECT_EQ(shape(filter), (std::vector<std::string>{"Add Filter of", "[x] Add = to Filter", "-", "Cancel Filter"}));

    // As the user does with the keys: down to List, into its submenu, into
    // Filter's, down past the check item and the separator.
    auto press = [](Qt::Key key) {
        QWidget* active = QApplication::activePopupWidget();
        ASSERT_NE(active, nullptr);
        QTest::keyClick(active, key);
    };
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down})
        press(key);
    ASSERT_EQ(QApplication::activePopupWidget(), filter);
    ASSERT_EQ(filter->activeAction(), actionNamed(filter, "Cancel Filter"));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return p.jobs.empty(); }));
    EXPECT_EQ(chosen, "VOID");
    EXPECT_TRUE(waitFor([&] { return p.count(1079) == 1; }));
    EXPECT_TRUE(waitFor([] { return shownPopup() == nullptr; }));
}

} // namespace
} // namespace qv::qt::testing
