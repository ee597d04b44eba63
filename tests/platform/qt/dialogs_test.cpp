#include "platform/qt/dialogs.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "platform/runtime/dialogs.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

MessageDialog* openMessageBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = dynamic_cast<MessageDialog*>(w); m && m->isVisible())
            return m;
    return nullptr;
}

TEST_F(QtHostTest, MessageBoxIsAnsweredByClickingItsButton)
{
    struct Case {
        rt::MessageSpec spec;
        int click; // the answer whose button is clicked
        int defaultButton;
        int result;
    };
    const Case cases[] = {
        {{"Delete this album?|Its songs go with it.", "Confirm", rt::Icon::Question, rt::button::Yes | rt::button::No,
             "", rt::button::No},
            rt::button::Yes, rt::button::No, rt::button::Yes},
        {{"Create a new collection?", "New Collection", rt::Icon::None, 0, "&Proceed|Cancel", 0}, 2, 1, 2},
    };
    for (const Case& c : cases) {
        int result = -1;
        const int thread = host_->start("box", [&] { result = rt::message(c.spec); });
        MessageDialog* box = nullptr;
        ASSERT_TRUE(waitFor([&] { return (box = openMessageBox()) != nullptr; })) << c.spec.title;
        EXPECT_EQ(box->windowTitle().toStdString(), c.spec.title);
        EXPECT_TRUE(box->button(c.defaultButton)->isDefault());
        const auto* text = box->findChild<QLabel*>(QStringLiteral("text"));
        EXPECT_EQ(text->text().count(QLatin1Char('\n')), std::count(c.spec.text.begin(), c.spec.text.end(), '|'));
        QTest::mouseClick(box->button(c.click), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return !rt::Scheduler::instance().isRunning(thread); }));
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(openMessageBox(), nullptr);
    }
}

TEST_F(QtHostTest, ClosingAMessageBoxGivesItsCloseAnswer)
{
    int result = -1;
    host_->start("box", [&] {
        result = rt::message(
            "Save changes?", "Close", rt::Icon::Question, rt::button::Yes | rt::button::No | rt::button::Cancel);
    });
    MessageDialog* box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = openMessageBox()) != nullptr; }));
    QTest::keyClick(box, Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return result != -1; }));
    EXPECT_EQ(result, rt::button::Cancel);
}

TEST_F(QtHostTest, CancelledFileDialogLeavesTheRequestAsItWas)
{
    rt::FileDialogSpec spec{"Select collection folder", "QVLDATA.TPS", "QVLDATA.TPS|qvldata.tps", true};
    int chosen = -1;
    host_->start("files", [&] { chosen = rt::fileDialog(spec); });
    QFileDialog* d = nullptr;
    ASSERT_TRUE(waitFor([&] {
        d = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible())
                d = f;
        return d != nullptr;
    }));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Select collection folder"));
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(d->nameFilters(), QStringList{QStringLiteral("QVLDATA.TPS (qvldata.tps)")});
    d->reject();
    ASSERT_TRUE(waitFor([&] { return chosen != -1; }));
    EXPECT_EQ(chosen, 0);
    EXPECT_EQ(spec.fileName, "QVLDATA.TPS");
}

TEST(Dialogs, FilterPairsAndColours)
{
    EXPECT_EQ(fileFilters("Text files|*.txt|All files|*.*"),
        (QStringList{QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")}));
    EXPECT_EQ(fileFilters("Pictures|*.jpg;*.gif"), QStringList{QStringLiteral("Pictures (*.jpg *.gif)")});
    EXPECT_TRUE(fileFilters("").isEmpty());
    const QColor c = fromColorRef(0x0080FF); // blue 0x00, green 0x80, red 0xFF
    EXPECT_EQ(c, QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(toColorRef(c), 0x0080FF);
}

} // namespace
} // namespace qv::qt::testing
