#include <gtest/gtest.h>

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

} // namespace
} // namespace qv::report
