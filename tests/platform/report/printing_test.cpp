#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/report/fonts.h"
#include "platform/report/printing.h"

namespace qv::report {
namespace {

// A printer that keeps each job and which page each sheet showed: page n
// of the tests is a block n inches from the left edge.
class CapturePrinter : public rt::PrintService
{
public:
    struct Job {
        rt::PrintJob job;
        std::vector<int> sheets;
    };

    std::string name = "Office";
    bool makesCopies = true;
    bool refuses = false;
    std::vector<Job> jobs;

    std::string printerName() const override { return name; }
    bool printerMakesCopies() const override { return makesCopies; }
    rt::PrintResult print(const rt::PrintJob& job) override
    {
        if (refuses)
            return {false, "The printer \"Office\" did not accept the job."};
        Job done{job, {}};
        for (std::size_t page = 0; page < job.pageCount; ++page) {
            QImage sheet(85, 110, QImage::Format_RGB32);
            sheet.fill(Qt::white);
            QPainter painter(&sheet);
            job.paintPage(painter, page, 10);
            painter.end();
            done.sheets.push_back(blockAt(sheet));
        }
        jobs.push_back(std::move(done));
        return {true, {}};
    }

private:
    static int blockAt(const QImage& sheet)
    {
        for (int x = 0; x < sheet.width(); ++x)
            if (sheet.pixel(x, 15) != qRgb(255, 255, 255))
                return x / 10;
        return 0;
    }
};

Page blockPage(int n)
{
    Page page;
    DrawStep block;
    block.kind = DrawStep::Kind::Box;
    block.x = n * 1000 + 250;
    block.y = 1000;
    block.width = 500;
    block.height = 1000;
    block.fill = kBlack;
    page.steps.push_back(block);
    return page;
}

PageQueue queueOf(std::initializer_list<int> pages, std::size_t bound = PageQueue::kDefaultMemoryBound)
{
    PageQueue queue(PageSetup{}, bound);
    for (int n : pages)
        queue.addPage(blockPage(n));
    return queue;
}

class PrintingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ensureFontSystem();
        rt::setPrintService(&printer_);
    }
    void TearDown() override { rt::setPrintService(nullptr); }

    CapturePrinter printer_;
};

TEST_F(PrintingTest, PagesGoToTheQueueWhenPreviewingCollatingOrCopyingWhatThePrinterCannot)
{
    struct Case {
        bool previewing;
        int copies;
        bool collate;
        bool printerCopies;
        bool queued;
    };
    const Case cases[] = {
        {true, 1, false, true, true},
        {false, 1, false, true, false},
        {false, 3, false, true, false},
        {false, 3, false, false, true},
        {false, 1, false, false, false},
        {false, 1, true, true, true},
        {false, 3, true, true, true},
    };
    for (const Case& c : cases) {
        printer_.makesCopies = c.printerCopies;
        EXPECT_EQ(pagesGoToQueue(c.previewing, c.copies, c.collate), c.queued)
            << c.previewing << " " << c.copies << " " << c.collate << " " << c.printerCopies;
    }
}

TEST_F(PrintingTest, CopiesAreTheJobsOrTheQueuesNeverBoth)
{
    struct Case {
        const char* name;
        bool printerCopies;
        bool collate;
        int jobCopies;
        std::vector<int> sheets;
    };
    const Case cases[] = {
        {"printer copies", true, false, 3, {1, 2}},
        {"printer without copies", false, false, 1, {1, 2, 1, 2, 1, 2}},
        {"collated", true, true, 1, {1, 2, 1, 2, 1, 2}},
    };
    for (const Case& c : cases) {
        printer_.jobs.clear();
        printer_.makesCopies = c.printerCopies;
        PageQueue queue = queueOf({1, 2}, 0);
        const rt::PrintResult result = printCopies(queue, "Songs by Media", 3, c.collate);
        EXPECT_TRUE(result.printed) << c.name << ": " << result.error;
        ASSERT_EQ(printer_.jobs.size(), 1u) << c.name;
        EXPECT_EQ(printer_.jobs[0].job.copies, c.jobCopies) << c.name;
        EXPECT_EQ(printer_.jobs[0].sheets, c.sheets) << c.name;
        EXPECT_EQ(printer_.jobs[0].job.documentName, "Songs by Media");
    }
}

TEST_F(PrintingTest, HandlingCopiesAgainGivesTheSameCopies)
{
    printer_.makesCopies = false;
    PageQueue queue = queueOf({1, 2});
    HANDLECOPIES(queue, 3);
    HANDLECOPIES(queue, 3);
    EXPECT_EQ(queue.size(), 6u);
    ASSERT_TRUE(printCopies(queue, "Preview", 2, false).printed);
    EXPECT_EQ(printer_.jobs.at(0).sheets, (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(printer_.jobs[0].job.copies, 1);

    printer_.makesCopies = true;
    ASSERT_TRUE(printCopies(queue, "Preview", 2, false).printed);
    EXPECT_EQ(printer_.jobs.at(1).sheets, (std::vector<int>{1, 2}));
    EXPECT_EQ(printer_.jobs[1].job.copies, 2);
}

TEST_F(PrintingTest, TheJobTakesTheQueuesPaper)
{
    PageQueue queue = queueOf({4});
    queue.setSetup(PageSetup{5000, 7000, true});
    ASSERT_TRUE(printQueue(queue, "Quorvel Pro Cassette Label", 2).printed);
    const rt::PrintJob& job = printer_.jobs.at(0).job;
    EXPECT_EQ(job.pageWidth, 5000);
    EXPECT_EQ(job.pageHeight, 7000);
    EXPECT_TRUE(job.landscape);
    EXPECT_EQ(job.copies, 2);
    EXPECT_EQ(printer_.jobs[0].sheets, std::vector<int>{4});
}

TEST_F(PrintingTest, APrinterSinkPrintsItsPagesAsOneJobWhenClosed)
{
    PrinterSink sink("Quorvel Pro Compact Disc Label", PageSetup{}, 2, 0);
    for (int n : {3, 1, 2})
        sink.addPage(blockPage(n));
    EXPECT_TRUE(printer_.jobs.empty());
    const rt::PrintResult result = sink.close();
    EXPECT_TRUE(result.printed) << result.error;
    ASSERT_EQ(printer_.jobs.size(), 1u);
    EXPECT_EQ(printer_.jobs[0].sheets, (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(printer_.jobs[0].job.copies, 2);
    EXPECT_FALSE(sink.close().printed);
    EXPECT_EQ(printer_.jobs.size(), 1u);
    {
        PrinterSink abandoned("Preview", PageSetup{});
        abandoned.addPage(blockPage(1));
    }
    EXPECT_EQ(printer_.jobs.size(), 1u);
}

TEST_F(PrintingTest, NoPrinterNoPagesOrARefusedJobIsNeverPrinted)
{
    PageQueue queue = queueOf({1});
    printer_.refuses = true;
    rt::PrintResult result = printQueue(queue, "Preview");
    EXPECT_FALSE(result.printed);
    EXPECT_EQ(result.error, "The printer \"Office\" did not accept the job.");

    printer_.refuses = false;
    result = printQueue(queueOf({}), "Preview");
    EXPECT_FALSE(result.printed);
    EXPECT_FALSE(result.error.empty());
    EXPECT_FALSE(PrinterSink("Preview", PageSetup{}).close().printed);

    printer_.name.clear();
    EXPECT_FALSE(SUPPORTED(PrinterProperty::Copies));
    EXPECT_EQ(printQueue(queue, "Preview").error, rt::kNoPrinterText);
    EXPECT_TRUE(pagesGoToQueue(false, 2, false));

    rt::setPrintService(nullptr);
    EXPECT_FALSE(SUPPORTED(PrinterProperty::Copies));
    result = printCopies(queue, "Preview", 2, false);
    EXPECT_FALSE(result.printed);
    EXPECT_EQ(result.error, rt::kNoPrinterText);
    EXPECT_TRUE(printer_.jobs.empty());
}

TEST(PrinterSettingsTest, TheProcessHasOneSetting)
{
    printerSettings().copies = 4;
    printerSettings().collate = true;
    EXPECT_EQ(printerSettings().copies, 4);
    EXPECT_TRUE(printerSettings().collate);
    printerSettings() = {};
}

} // namespace
} // namespace qv::report
