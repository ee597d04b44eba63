#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <filesystem>

#include "platform/report/previewer.h"
#include "platform/report/render.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/headless.h"
#include "platform/runtime/keycodes.h"
#include "report/windows/PrintPreview.h"
#include "report_fixture.h"

namespace qv::report {
namespace {

using namespace testing;
namespace W = ctl::PrintPreview;

class PreviewerTest : public ::testing::Test
{
protected:
    // Opens the previewer on a thread of its own, as a report would.
    rt::Window& open(int zoom = 100)
    {
        host_.start("Report", [this, zoom] { answer_ = PRINTPREVIEW(queue_, zoom, "CPCSRPTS.INI", "Songs", 0, 0); });
        rt::Window* w = host_.window(W::kWindow);
        if (!w)
            throw std::logic_error("the previewer did not open");
        return *w;
    }
    static std::string picture(rt::Window& w) { return w[W::Page].property(rt::prop::PictureFile); }
    static QImage shown(rt::Window& w) { return QImage(QString::fromStdString(picture(w))); }
    // The page of the queue the window shows at 100%, found by its picture.
    int shownPage(rt::Window& w) const
    {
        const QImage image = shown(w).convertToFormat(QImage::Format_RGB32);
        for (std::size_t i = 0; i < queue_.size(); ++i)
            if (pageImage(queue_.page(i), queue_.setup(), 96) == image)
                return static_cast<int>(i) + 1;
        return 0;
    }
    bool closed() const { return host_.window(W::kWindow) == nullptr; }
    void TearDown() override { EXPECT_EQ(host_.failures(), std::vector<std::string>{}); }

    rt::HeadlessHost host_;
    PageQueue queue_ = threePages();
    int answer_ = -1;
};

TEST_F(PreviewerTest, ButtonsAndKeysMoveBetweenPagesAndCannotLeaveTheReport)
{
    rt::Window& w = open();
    EXPECT_EQ(shownPage(w), 1);
    EXPECT_EQ(w[W::PageNumber].value(), "1");
    EXPECT_EQ(w[W::PageCount].text(), "of 3");
    EXPECT_FALSE(w[W::First].enabled());
    EXPECT_FALSE(w[W::Previous].enabled());

    struct Step {
        const char* what;
        std::function<void()> act;
        int page;
    };
    const std::vector<Step> steps{
        {"Next", [&] { host_.press(w, W::Next.name); }, 2},
        {"Last", [&] { host_.press(w, W::Last.name); }, 3},
        {"Page Up", [&] { host_.key(w, rt::key::PgUp); }, 2},
        {"Previous", [&] { host_.press(w, W::Previous.name); }, 1},
        {"End", [&] { host_.key(w, rt::key::End); }, 3},
        {"Page Down on the last page", [&] { host_.key(w, rt::key::PgDn); }, 3},
        {"Home", [&] { host_.key(w, rt::key::Home); }, 1},
        {"Page Up on the first page", [&] { host_.key(w, rt::key::PgUp); }, 1},
        {"Page Down", [&] { host_.key(w, rt::key::PgDn); }, 2},
        {"First", [&] { host_.press(w, W::First.name); }, 1},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(shownPage(w), s.page) << s.what;
        EXPECT_EQ(w[W::PageNumber].value(), std::to_string(s.page)) << s.what;
        EXPECT_EQ(w[W::First].enabled(), s.page > 1) << s.what;
        EXPECT_EQ(w[W::Previous].enabled(), s.page > 1) << s.what;
        EXPECT_EQ(w[W::Next].enabled(), s.page < 3) << s.what;
        EXPECT_EQ(w[W::Last].enabled(), s.page < 3) << s.what;
    }
}

TEST_F(PreviewerTest, ATypedPageNumberJumpsAndOneOutsideTheReportIsRefused)
{
    rt::Window& w = open();
    host_.enter(w, W::PageNumber.name, "3");
    EXPECT_EQ(shownPage(w), 3);
    for (const char* typed : {"4", "0", "two", ""}) {
        const std::size_t beeps = host_.beeps().size();
        host_.enter(w, W::PageNumber.name, typed);
        EXPECT_EQ(shownPage(w), 3) << typed;
        EXPECT_EQ(w[W::PageNumber].value(), "3") << typed;
        EXPECT_EQ(host_.beeps().size(), beeps + 1) << typed;
    }
}

TEST_F(PreviewerTest, OnlyPrintAnswersOne)
{
    struct Case {
        const char* how;
        std::function<void(rt::Window&)> leave;
        int answer;
    };
    const std::vector<Case> cases{
        {"Print", [&](rt::Window& w) { host_.press(w, W::Print.name); }, 1},
        {"Close", [&](rt::Window& w) { host_.press(w, W::Close.name); }, 0},
        // Esc and the close box reach the window as its close event.
        {"Esc", [&](rt::Window& w) { host_.post(w, rt::Event{rt::event::CloseWindow}); }, 0},
    };
    for (const Case& c : cases) {
        answer_ = -1;
        rt::Window& w = open();
        c.leave(w);
        EXPECT_TRUE(closed()) << c.how;
        EXPECT_EQ(answer_, c.answer) << c.how;
    }
}

TEST_F(PreviewerTest, TheZoomSetsThePicturesResolution)
{
    rt::Window& w = open();
    EXPECT_EQ(w[W::Zoom].selected(), 5) << "100%";
    EXPECT_EQ(shown(w).size(), QSize(816, 1056)) << "a letter page at 96 dots an inch";
    host_.choose(w, W::Zoom.name, 7);
    EXPECT_EQ(shown(w).size(), QSize(1632, 2112)) << "200%";
    host_.choose(w, W::Zoom.name, 3);
    EXPECT_EQ(shown(w).size(), QSize(408, 528)) << "50%";
    EXPECT_EQ(shownPage(w), 0) << "not the 96-dot page";

    host_.choose(w, W::Zoom.name, 1);
    const QSize whole = shown(w).size();
    host_.choose(w, W::Zoom.name, 2);
    const QSize width = shown(w).size();
    EXPECT_LT(whole.height(), width.height()) << "the whole page fits the height, page width only the width";
    EXPECT_LT(whole.height(), 1056);

    // A fitted zoom follows the window's size.
    rt::Rect larger = w.geometry();
    larger.width *= 2;
    larger.height *= 2;
    w.userGeometry(larger);
    host_.post(w, rt::Event{rt::event::Sized});
    EXPECT_GT(shown(w).width(), width.width() * 3 / 2);
}

TEST_F(PreviewerTest, TheStartingZoomIsTheNearestListedOne)
{
    for (const auto& [zoom, choice] : std::vector<std::pair<int, int>>{
             {100, 5}, {zoom::WholePage, 1}, {zoom::PageWidth, 2}, {75, 4}, {140, 6}, {500, 7}}) {
        rt::Window& w = open(zoom);
        EXPECT_EQ(w[W::Zoom].selected(), choice) << zoom;
        host_.press(w, W::Close.name);
    }
}

TEST_F(PreviewerTest, PicturesGoWithTheWindow)
{
    rt::Window& w = open();
    const std::string first = picture(w);
    host_.press(w, W::Next.name);
    const std::string second = picture(w);
    EXPECT_NE(first, second) << "a new page is a new file, which a host reads afresh";
    EXPECT_FALSE(std::filesystem::exists(first)) << "the page no longer shown is not kept";
    const std::string folder = QFileInfo(QString::fromStdString(second)).path().toStdString();
    host_.press(w, W::Close.name);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

class SaveAsPdfTest : public PreviewerTest
{
protected:
    // Presses Save as PDF and answers the file dialog with the name, or
    // cancels it without one.
    void save(rt::Window& w, const std::string& fileName)
    {
        host_.press(w, W::SaveAsPdf.name);
        auto* dialog = host_.dialog<rt::FileDialogWindow>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->request().save);
        if (fileName.empty()) {
            dialog->answer(std::nullopt);
        } else {
            rt::FileDialogSpec chosen = dialog->request();
            chosen.fileName = fileName;
            dialog->answer(chosen);
        }
        host_.settle();
    }

    QTemporaryDir dir_;
};

TEST_F(SaveAsPdfTest, WritesEveryPageAndStaysOpen)
{
    rt::Window& w = open();
    host_.press(w, W::Next.name);
    const std::string path = dir_.filePath("songs.pdf").toStdString();
    save(w, path);
    EXPECT_EQ(host_.messageBox(), nullptr);
    EXPECT_EQ(pdfInfo(path, "Pages"), "3");
    const std::string text = pdfText(path);
    EXPECT_LT(text.find("First page"), text.find("Second page"));
    EXPECT_LT(text.find("Second page"), text.find("Third page"));
    EXPECT_NE(text.find("Third page"), std::string::npos);
    EXPECT_FALSE(closed());
    EXPECT_EQ(shownPage(w), 2) << "the page shown stays";
}

TEST_F(SaveAsPdfTest, CancelWritesNothing)
{
    rt::Window& w = open();
    save(w, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path().toStdString()));
    EXPECT_EQ(host_.messageBox(), nullptr);
    EXPECT_FALSE(closed());
}

TEST_F(SaveAsPdfTest, AFailedWriteIsShown)
{
    rt::Window& w = open();
    const std::string blocker = dir_.filePath("plain").toStdString();
    QFile(QString::fromStdString(blocker)).open(QIODevice::WriteOnly);
    save(w, blocker + "/songs.pdf");
    rt::MessageBoxWindow* box = host_.messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->text().find(blocker + "/songs.pdf"), std::string::npos) << box->text();
    host_.answer(rt::button::Ok);
    EXPECT_FALSE(closed());
    host_.press(w, W::Print.name);
    EXPECT_EQ(answer_, 1) << "Print still prints after a failed save";
}

TEST(PageOfPagesTest, MarksBecomeThePagesPlaceAndCount)
{
    PageQueue queue;
    queue.addPage(textPage("Page <#page> of <#pages>"));
    queue.addPage(textPage("no mark"));
    queue.addPage(textPage("<#page>/<#pages>, <#page>"));
    EXPECT_EQ(ASSGNPGOFPG(queue), 2);
    ASSERT_EQ(queue.size(), 3u);
    EXPECT_EQ(queue.page(0).steps.front().text, "Page 1 of 3");
    EXPECT_EQ(queue.page(1).steps.front().text, "no mark");
    EXPECT_EQ(queue.page(2).steps.front().text, "3/3, 3");
}

} // namespace
} // namespace qv::report
