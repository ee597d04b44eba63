#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "platform/report/fonts.h"
#include "platform/report/page_queue.h"
#include "platform/report/render.h"

namespace qv::report {
namespace {

DrawStep text(int x, int y, std::string s)
{
    DrawStep step;
    step.x = x;
    step.y = y;
    step.text = std::move(s);
    return step;
}

Page pageWith(std::string s)
{
    Page page;
    page.steps.push_back(text(500, 500, std::move(s)));
    return page;
}

TEST(PageTest, FontsAreKeptOncePerPage)
{
    Page page;
    FontSpec bold;
    bold.bold = true;
    EXPECT_EQ(page.fontIndex(FontSpec{}), 0);
    EXPECT_EQ(page.fontIndex(bold), 1);
    EXPECT_EQ(page.fontIndex(FontSpec{}), 0);
    EXPECT_EQ(page.fonts.size(), 2u);
}

TEST(FontsTest, ReportFacesMapToMetricCompatibleFonts)
{
    EXPECT_EQ(installedFace("Arial"), "Liberation Sans");
    EXPECT_EQ(installedFace("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(installedFace("Small Fonts"), "Liberation Sans");
    EXPECT_EQ(installedFace("times new roman"), "Liberation Serif");
    EXPECT_EQ(installedFace("Courier New"), "Liberation Mono");
    EXPECT_EQ(installedFace("DejaVu Sans"), "DejaVu Sans");
}

TEST(FontsTest, WidthsGrowWithTheTextAndTheSize)
{
    FontSpec small;
    FontSpec large;
    large.size = 16;
    const int one = textWidth(small, "Songs by Media");
    EXPECT_GT(one, 500);
    EXPECT_LT(one, 1200); // about three quarters of an inch at 8 points
    EXPECT_GT(textWidth(small, "Songs by Media, again"), one);
    EXPECT_NEAR(textWidth(large, "Songs by Media"), 2 * one, one / 10);
    EXPECT_EQ(textWidth(small, ""), 0);
}

TEST(RenderTest, APageDrawsItsTextInsideItsPlace)
{
    PageSetup setup;
    const QImage image = pageImage(pageWith("Quorvel"), setup, 100);
    ASSERT_EQ(image.width(), 850);
    ASSERT_EQ(image.height(), 1100);
    int inked = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                (x >= 50 && x < 100 && y >= 50 && y < 65 ? inked : outside)++;
    EXPECT_GT(inked, 20);
    EXPECT_EQ(outside, 0);
}

// The smallest rectangle holding every mark, and how many pixels are marked.
struct Ink {
    QRect bounds;
    int pixels = 0;
};

Ink inkOf(const QImage& image, QRect within = {})
{
    if (within.isNull())
        within = image.rect();
    Ink ink;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ink.bounds |= QRect(x, y, 1, 1);
                ++ink.pixels;
            }
    return ink;
}

// One step on a page, drawn at 100 dots per inch (a pixel is 10 thousandths).
QImage drawn(const DrawStep& step)
{
    Page page;
    page.steps.push_back(step);
    return pageImage(page, PageSetup{}, 100);
}

DrawStep spine(int angle)
{
    DrawStep step = text(1000, 1000, "The Spine of an Album");
    step.width = 300;
    step.height = 4000;
    step.angle = angle;
    return step;
}

TEST(RenderTest, ASpineTurnedAQuarterRunsAlongItsTallBox)
{
    const Ink upwards = inkOf(drawn(spine(900)));
    const Ink downwards = inkOf(drawn(spine(2700)));
    for (const Ink& ink : {upwards, downwards}) {
        EXPECT_GT(ink.bounds.height(), 3 * ink.bounds.width());
        EXPECT_TRUE(QRect(100, 100, 30, 400).contains(ink.bounds)) << ink.bounds.x() << "," << ink.bounds.y();
    }
    // Reading upwards, a text starts at the bottom of its box; reading
    // downwards, at the top.
    EXPECT_GT(upwards.bounds.top(), 300);
    EXPECT_LT(downwards.bounds.bottom(), 300);

    DrawStep centred = spine(900);
    centred.align = Align::Center;
    const Ink middle = inkOf(drawn(centred));
    EXPECT_NEAR(middle.bounds.center().y(), 300, 5);
}

TEST(RenderTest, AMultiLineTextWrapsInsideItsWidth)
{
    DrawStep step = text(1000, 1000, "Songs of the first side of the album, and then those of the second side");
    step.width = 1200;
    step.height = 2000;
    const Ink cut = inkOf(drawn(step));
    step.wrap = true;
    const Ink wrapped = inkOf(drawn(step));
    EXPECT_LT(cut.bounds.height(), 15); // one line of 8 points
    EXPECT_GT(wrapped.bounds.height(), 40); // several lines
    for (const Ink& ink : {cut, wrapped})
        EXPECT_TRUE(QRect(100, 100, 120, 200).contains(ink.bounds));

    step.text = "first\nsecond";
    EXPECT_GT(inkOf(drawn(step)).bounds.height(), 20);
}

TEST(RenderTest, ACheckBoxIsTickedOnlyWhenChecked)
{
    DrawStep box;
    box.kind = DrawStep::Kind::Check;
    box.x = 1000;
    box.y = 1000;
    const Ink empty = inkOf(drawn(box));
    box.checked = true;
    const Ink ticked = inkOf(drawn(box));
    EXPECT_GT(empty.pixels, 10);
    EXPECT_GT(ticked.pixels, empty.pixels + 3);
    EXPECT_EQ(ticked.bounds, empty.bounds);
    // Measured as a line's height and its caption's width, the box holds
    // the whole caption.
    box.text = "Played";
    box.width = lineHeight(FontSpec{}) + textWidth(FontSpec{}, box.text);
    const QImage captioned = drawn(box);
    const QImage alone = drawn(text(box.x + lineHeight(FontSpec{}), box.y, box.text));
    const QRect captionArea(112, 95, 100, 30);
    EXPECT_GT(inkOf(alone, captionArea).pixels, 30);
    EXPECT_EQ(inkOf(captioned, captionArea).pixels, inkOf(alone, captionArea).pixels);
}

TEST(RenderTest, APictureTakesItsBoxOrItsOwnSizeAndAMissingOneNothing)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath("cover.png");
    QImage picture(96, 48, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(file));

    DrawStep image;
    image.kind = DrawStep::Kind::Image;
    image.x = 1000;
    image.y = 2000;
    image.text = file.toStdString();
    const Ink own = inkOf(drawn(image));
    EXPECT_NEAR(own.bounds.width(), 100, 2); // an inch: 96 dots at 96 per inch
    EXPECT_NEAR(own.bounds.height(), 50, 2);
    EXPECT_NEAR(own.bounds.left(), 100, 1);

    image.width = 3000;
    image.height = 500;
    const Ink sized = inkOf(drawn(image));
    EXPECT_NEAR(sized.bounds.width(), 300, 2);
    EXPECT_NEAR(sized.bounds.height(), 50, 2);

    image.text = QDir(dir.path()).filePath("missing.png").toStdString();
    EXPECT_EQ(inkOf(drawn(image)).pixels, 0);
}

} // namespace
} // namespace qv::report
