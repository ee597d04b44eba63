#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>

#include <functional>
#include <limits>

#include "platform/report/page_codec.h"
#include "platform/report/page_queue.h"

namespace qv::report {
namespace {

// A page with one step changed by `change` from the defaults, and one font.
Page pageWithStep(const std::function<void(DrawStep&)>& change, FontSpec font = {})
{
    Page page;
    DrawStep step;
    step.font = page.fontIndex(font);
    change(step);
    page.steps.push_back(step);
    return page;
}

Page numberedPage(int n)
{
    Page page;
    FontSpec bold;
    bold.bold = true;
    for (int line = 0; line < 40; ++line) {
        DrawStep step;
        step.y = 500 + line * 200;
        step.x = 500;
        step.width = 3000;
        step.text = "Page " + std::to_string(n) + " line " + std::to_string(line) + " Ünïcode ✓";
        step.font = page.fontIndex(line % 2 ? bold : FontSpec{});
        page.steps.push_back(step);
    }
    return page;
}

std::string record(const Page& page)
{
    std::string out;
    encodePage(page, out);
    return out;
}

TEST(PageCodecTest, EveryStepFieldAndFontFieldComesBack)
{
    FontSpec odd{"Times New Roman", 36, true, true, true, true};
    const std::vector<std::pair<const char*, Page>> cases = {
        {"empty page", Page{}},
        {"text", pageWithStep([](DrawStep& s) { s.text = "Songs by Media"; })},
        {"box", pageWithStep([](DrawStep& s) {
             s.kind = DrawStep::Kind::Box;
             s.fill = 0xC0C0C0;
             s.lineWidth = 0;
         })},
        {"line", pageWithStep([](DrawStep& s) {
             s.kind = DrawStep::Kind::Line;
             s.width = -250;
             s.height = 7000;
         })},
        {"image", pageWithStep([](DrawStep& s) {
             s.kind = DrawStep::Kind::Image;
             s.text = "covers/blue.png";
         })},
        {"check", pageWithStep([](DrawStep& s) {
             s.kind = DrawStep::Kind::Check;
             s.checked = true;
         })},
        {"far positions", pageWithStep([](DrawStep& s) {
             s.x = std::numeric_limits<int>::min();
             s.y = std::numeric_limits<int>::max();
         })},
        {"colour", pageWithStep([](DrawStep& s) { s.colour = 0xFF8000; })},
        {"right aligned wrap", pageWithStep([](DrawStep& s) {
             s.align = Align::Right;
             s.wrap = true;
             s.text = "two\nlines";
         })},
        {"centred spine", pageWithStep([](DrawStep& s) {
             s.align = Align::Center;
             s.angle = -2700;
         })},
        {"every font field", pageWithStep([](DrawStep&) {}, odd)},
        {"font index past the table", pageWithStep([](DrawStep& s) { s.font = 65535; })},
        {"bytes that are not UTF-8", pageWithStep([](DrawStep& s) { s.text = std::string("a\xE9\0b", 4); })},
        {"forty lines", numberedPage(7)},
    };
    for (const auto& [name, page] : cases) {
        const std::optional<Page> back = decodePage(record(page));
        ASSERT_TRUE(back) << name;
        EXPECT_EQ(*back, page) << name;
    }
}

TEST(PageCodecTest, ADamagedRecordIsRefused)
{
    const std::string good = record(numberedPage(3));
    EXPECT_FALSE(decodePage(""));
    EXPECT_FALSE(decodePage(good.substr(0, good.size() - 1)));
    EXPECT_FALSE(decodePage(good.substr(0, good.size() / 2)));
    EXPECT_FALSE(decodePage(good + "x"));
    // Every single changed byte, the checksum's own included.
    for (std::size_t at = 0; at < good.size(); at += 7) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x5A);
        EXPECT_FALSE(decodePage(bad)) << "byte " << at;
    }
}

// Reads every entry back as the text of its first step.
std::vector<std::string> firstTexts(const PageQueue& queue)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        const Page page = queue.page(i);
        texts.push_back(page.steps.empty() ? "" : page.steps.front().text);
    }
    return texts;
}

TEST(PageQueueTest, PagesPastTheBoundComeBackFromTheFileInOrder)
{
    PageQueue queue(PageSetup{}, 10'000); // a few pages fit in memory
    std::vector<Page> pages;
    for (int n = 1; n <= 700; ++n) {
        pages.push_back(numberedPage(n));
        queue.addPage(pages.back());
    }
    EXPECT_LE(queue.memoryBytes(), 10'000u);
    EXPECT_GT(queue.spilledBytes(), 1'000'000u); // past one write block: some pages are read from the disk
    ASSERT_EQ(queue.size(), 700u);
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{350}, std::size_t{699}, std::size_t{2}})
        EXPECT_EQ(queue.page(i), pages[i]) << i;

    queue.multiply(3);
    ASSERT_EQ(queue.size(), 2100u);
    EXPECT_EQ(queue.page(700), pages[0]);
    EXPECT_EQ(queue.page(2099), pages[699]);
    EXPECT_EQ(queue.pageCount(), 700u);
    EXPECT_EQ(queue.page(2100), Page{});

    queue.clear();
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(queue.spilledBytes(), 0u);
    queue.addPage(pages[4]);
    EXPECT_EQ(queue.page(0), pages[4]);
}

// Files the process holds open in the folder, named or not.
int openFilesIn(const std::string& folder)
{
    int n = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
        n += !error && target.rfind(folder + "/", 0) == 0;
    }
    return n;
}

TEST(PageQueueTest, TheSpilledPagesLeaveNoFileBehind)
{
    QTemporaryDir folder;
    const std::string path = std::filesystem::canonical(folder.path().toStdString()).string();
    const char* previous = std::getenv("TMPDIR");
    const std::string kept = previous ? previous : "";
    setenv("TMPDIR", path.c_str(), 1);
    {
        PageQueue queue(PageSetup{}, 0);
        queue.addPage(numberedPage(1));
        EXPECT_GT(queue.spilledBytes(), 0u);
        EXPECT_EQ(openFilesIn(path), 1);
        EXPECT_TRUE(std::filesystem::is_empty(path)); // no name a folder shows
        queue.clear();
        EXPECT_EQ(openFilesIn(path), 0);
        queue.addPage(numberedPage(2));
        EXPECT_EQ(openFilesIn(path), 1);
        EXPECT_EQ(queue.page(0), numberedPage(2));
    }
    EXPECT_EQ(openFilesIn(path), 0);
    EXPECT_TRUE(std::filesystem::is_empty(path));
    if (previous)
        setenv("TMPDIR", kept.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(PageQueueTest, CopiesAreCollatedSets)
{
    for (const std::size_t bound : {PageQueue::kDefaultMemoryBound, std::size_t{0}}) {
        PageQueue queue(PageSetup{}, bound);
        for (const char* s : {"one", "two", "three"})
            queue.addPage(pageWithStep([s](DrawStep& step) { step.text = s; }));
        queue.multiply(2);
        EXPECT_EQ(firstTexts(queue), (std::vector<std::string>{"one", "two", "three", "one", "two", "three"})) << bound;
        queue.multiply(1);
        queue.multiply(0);
        EXPECT_EQ(queue.size(), 6u);
    }
}

TEST(PageQueueTest, AMovedQueueKeepsItsPages)
{
    PageQueue queue(PageSetup{}, 0);
    queue.addPage(numberedPage(1));
    PageQueue moved = std::move(queue);
    EXPECT_EQ(moved.page(0), numberedPage(1));
}

} // namespace
} // namespace qv::report
