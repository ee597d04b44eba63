#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "platform/report/previewer.h"
#include "qt_fixture.h"

namespace qv::qt::testing {
namespace {

report::PageQueue threePages()
{
    report::PageQueue queue;
    for (const char* text : {"First page", "Second page", "Third page"}) {
        report::Page page;
        report::DrawStep step;
        step.x = step.y = 1000;
        step.text = text;
        page.steps.push_back(step);
        queue.addPage(page);
    }
    return queue;
}

class PreviewerOnScreen : public QtHostTest
{
protected:
    QWidget* open(int zoom)
    {
        host_->start("Report", [this, zoom] { answer_ = report::PRINTPREVIEW(queue_, zoom, "CPCSRPTS.INI", "Songs"); });
        QWidget* shown = nullptr;
        waitFor([&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->findChild<QScrollArea*>(QStringLiteral("?Page")))
                    shown = w;
            return shown != nullptr;
        });
        return shown;
    }

    report::PageQueue queue_ = threePages();
    int answer_ = -1;
};

TEST_F(PreviewerOnScreen, CaptionsFitAndTheFittedZoomsFitThePage)
{
    QWidget* window = open(report::zoom::WholePage);
    ASSERT_NE(window, nullptr);
    // A button's own minimum width is a style's taste; its caption must fit.
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        const QString caption = b->text().remove(QLatin1Char('&'));
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(caption) + 8) << caption.toStdString();
    }
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (l->text().isEmpty())
            continue; // the page's picture
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    }
    auto* zoom = window->findChild<QComboBox*>(QStringLiteral("?Zoom"));
    ASSERT_NE(zoom, nullptr);
    EXPECT_GE(zoom->width(), zoom->sizeHint().width());

    auto* page = window->findChild<QScrollArea*>(QStringLiteral("?Page"));
    ASSERT_TRUE(waitFor([&] {
        auto* label = qobject_cast<QLabel*>(page->widget());
        return label && !label->pixmap().isNull();
    }));
    EXPECT_TRUE(waitFor([&] {
        return !page->verticalScrollBar()->isVisible() && !page->horizontalScrollBar()->isVisible();
    })) << "the whole page fits";

    // Page width, chosen as the desktop's drop list reports a choice.
    const int wholeWidth = qobject_cast<QLabel*>(page->widget())->pixmap().width();
    zoom->setCurrentIndex(1);
    emit zoom->activated(1);
    EXPECT_TRUE(waitFor([&] {
        const int width = qobject_cast<QLabel*>(page->widget())->pixmap().width();
        return width > wholeWidth && width > page->viewport()->width() * 8 / 10;
    })) << "the page fills the width";
    EXPECT_TRUE(waitFor([&] { return page->verticalScrollBar()->isVisible(); }));
    EXPECT_FALSE(page->horizontalScrollBar()->isVisible());

    window->findChild<QPushButton*>(QStringLiteral("?Print"))->click();
    EXPECT_TRUE(waitFor([&] { return answer_ == 1; }));
}

} // namespace
} // namespace qv::qt::testing
