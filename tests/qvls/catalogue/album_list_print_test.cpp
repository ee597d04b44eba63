// The album list on paper from its right-click menu: "Print All" through
// the previewer, "Print Page" straight to the printer; and the progress
// window's Cancel, which stops a print or an export where it got to.

#include "qvls/catalogue/album_list_fixture.h"

#include <QImage>
#include <QPainter>
#include <filesystem>
#include <functional>

#include "platform/framework/context_menu.h"
#include "platform/report/fonts.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/printing.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/services_fixture.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/brovex_progress.h"
#include "qvls/catalogue/kept_jobs.h"
#include "support/command_output.h"

namespace qv::qvls::testing {
namespace {

// A printer that draws every page of the jobs it keeps.
class JobPrinter : public KeptJobs
{
public:
    rt::PrintResult print(const rt::PrintJob& job) override
    {
        // Every page drawn, as a printer would.
        for (std::size_t page = 0; page < job.pageCount; ++page) {
            QImage sheet(110, 85, QImage::Format_RGB32);
            QPainter painter(&sheet);
            job.paintPage(painter, page, 10);
        }
        return KeptJobs::print(job);
    }
};

class AlbumListPrint : public AlbumList
{
protected:
    void SetUp() override
    {
        report::ensureFontSystem();
        rt::setPrintService(&printer);
        AlbumList::SetUp();
    }
    void TearDown() override
    {
        AlbumList::TearDown();
        rt::setPrintService(nullptr);
    }

    // An item of the list's right-click menu, by its code; the user may do
    // something else once the menu shows.
    void fromMenu(const char* item, const std::function<void()>& meanwhile = {})
    {
        // Where the first row is, or would be in an empty list.
        mouse(rt::ListMouse::RightDown, {.x = 10, .y = rt::HeadlessHost::kListHeaderPixels + 4});
        host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
        auto* menu = host->dialog<fw::PopupMenuWindow>();
        if (meanwhile)
            meanwhile();
        if (!menu || !menu->choose(item))
            throw std::logic_error(std::string("no menu item ") + item);
        host->settle();
    }
    rt::Window* previewer() const { return host->window("PrintPreview"); }
    // The previewer's page count ("of 3").
    int previewedPages() const
    {
        const std::string shown = (*previewer())["?PageCount"].text();
        return std::stoi(shown.substr(3));
    }
    // The album list again, with as many more albums.
    void addAlbums(int n)
    {
        host->press(*list, "?Close");
        list = nullptr;
        for (int i = 0; i < n; ++i)
            add(dictionary::Album(),
                {{"ALB:Album", "Album " + std::to_string(1000 + i)}, {"ALB:Artist", "Artist"}, {"ALB:Media", "CD"}});
        open();
    }
    // A user who waits for the progress window and presses its Cancel.
    void cancelOnceShown()
    {
        rt::Scheduler::instance().start("User", [this] {
            rt::Window* w = nullptr;
            for (int i = 0; i < 10000 && !(w = host->window("BrovexProgress")); ++i)
                rt::Scheduler::instance().yield();
            ASSERT_NE(w, nullptr) << "the progress window shows while the list is read";
            progressTitle = w->title();
            EXPECT_TRUE((*w)["?Cancel"].enabled() && !(*w)["?Cancel"].hidden());
            rt::Scheduler::instance().post(*w, rt::Event{rt::event::Accepted, (*w)["?Cancel"].number()});
        });
    }

    JobPrinter printer;
    std::string progressTitle;
};

TEST_F(AlbumListPrint, PrintPageGoesToThePrinterAndPrintAllThroughThePreviewer)
{
    fromMenu("PPG");
    EXPECT_EQ(previewer(), nullptr) << "the page prints without the previewer";
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].documentName, list->title());
    EXPECT_EQ(printer.jobs[0].pageCount, 1u);
    EXPECT_TRUE(printer.jobs[0].landscape) << "9.8 inches of columns on Letter paper";

    fromMenu("PVW");
    ASSERT_NE(previewer(), nullptr) << "every record previewed first";
    EXPECT_EQ(host->window("BrovexProgress"), nullptr) << "the progress window has gone";
    EXPECT_EQ(previewedPages(), 1);
    EXPECT_EQ(printer.jobs.size(), 1u) << "nothing printed while previewing";
    host->press(*previewer(), "?Close");
    EXPECT_EQ(printer.jobs.size(), 1u) << "closed without printing";

    fromMenu("PVW");
    ASSERT_NE(previewer(), nullptr);
    host->press(*previewer(), "?Print");
    EXPECT_EQ(previewer(), nullptr);
    ASSERT_EQ(printer.jobs.size(), 2u) << "the previewer's Print prints the pages";
    EXPECT_EQ(printer.jobs[1].pageCount, 1u);
    EXPECT_EQ(host->failures(), Strings{});
}

TEST_F(AlbumListPrint, ThePreviewShowsTheListAsTheListBoxShowsIt)
{
    clickHeader(2); // sorted on the album title
    fromMenu("PVW");
    ASSERT_NE(previewer(), nullptr);
    const std::string pdf = (std::filesystem::current_path() / "albums.pdf").string();
    host->press(*previewer(), "?SaveAsPdf");
    answerFileDialog(pdf);
    host->press(*previewer(), "?Close");
    const std::string shown
        = qv::testing::commandOutput("pdftotext -layout " + qv::testing::shellQuoted(pdf) + " - 2>/dev/null");

    // Each label with its text after it on the line.
    for (const auto& [label, said] :
        std::vector<std::pair<std::string, std::string>>{{list->title(), ""}, {"Report Date", ""},
            {"Font:", "Arial 8 Point"}, {"4 Records", ""}, {"Order:", "UPPER(ALB:Album)"}, {"Filter:", ""}}) {
        const std::size_t at = shown.find(label);
        ASSERT_NE(at, std::string::npos) << label << " in\n" << shown;
        const std::size_t end = shown.find('\n', at);
        EXPECT_NE(shown.substr(at, end - at).find(said), std::string::npos) << label << " " << said << " in\n" << shown;
    }
    // The rows in the list's order, each with its columns in the order shown.
    std::size_t at = 0;
    for (const char* album : {"aja", "Blue", "Court and Spark", "Hejira"}) {
        at = shown.find(album, at);
        ASSERT_NE(at, std::string::npos) << album << " after the one before in\n" << shown;
    }
    const std::size_t headers = shown.find("Artist");
    ASSERT_NE(headers, std::string::npos);
    EXPECT_LT(headers, shown.find("Album", headers)) << "the headers as the list shows them";
}

TEST_F(AlbumListPrint, APrintWithoutAPrinterSaysSo)
{
    rt::setPrintService(nullptr);
    fromMenu("PPG");
    rt::MessageBoxWindow* box = host->messageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), rt::kNoPrinterText);
    host->answer(box->buttons().front().answer);
}

TEST_F(AlbumListPrint, AnEmptyListPrintsNothingAndSaysSo)
{
    reopenEmpty();
    ASSERT_EQ(box().list()->rowCount(), 0);
    struct Case {
        const char* item;
        const char* said;
    };
    for (const Case& c : {Case{"PVW", "Nothing to Preview."}, Case{"PPG", "Nothing to Print."}}) {
        fromMenu(c.item);
        rt::MessageBoxWindow* box = host->messageBox();
        ASSERT_NE(box, nullptr) << c.item;
        EXPECT_EQ(box->text(), c.said);
        host->answer(box->buttons().front().answer);
        EXPECT_EQ(previewer(), nullptr) << c.item << ": no empty report";
    }
    EXPECT_TRUE(printer.jobs.empty());
}

TEST_F(AlbumListPrint, PrintPagePrintsOnlyTheRowsLoadedInTheList)
{
    addAlbums(250);
    ASSERT_LT(box().list()->rowCount(), 60);
    fromMenu("PPG");
    ASSERT_EQ(printer.jobs.size(), 1u);
    EXPECT_EQ(printer.jobs[0].pageCount, 1u);
    fromMenu("PVW");
    ASSERT_NE(previewer(), nullptr);
    EXPECT_GT(previewedPages(), 3) << "every one of 254 albums";
    host->press(*previewer(), "?Close");
}

TEST_F(AlbumListPrint, CancelStopsReadingAndPreviewsWhatWasPrinted)
{
    addAlbums(250);
    fromMenu("PVW");
    ASSERT_NE(previewer(), nullptr);
    const int all = previewedPages();
    host->press(*previewer(), "?Close");

    fromMenu("PVW", [&] { cancelOnceShown(); });
    EXPECT_EQ(progressTitle, "Progress...");
    ASSERT_NE(previewer(), nullptr) << "what was printed is shown";
    const int cancelled = previewedPages();
    EXPECT_GE(cancelled, 1);
    EXPECT_LT(cancelled, all) << BrovexProgress::kRecordsPerTurn << " of 254 rows, on " << cancelled << " of " << all
                              << " pages";
    host->press(*previewer(), "?Close");
    EXPECT_TRUE(printer.jobs.empty());
}

TEST_F(AlbumListPrint, CancelEndsAnExportWithTheRowsWrittenCounted)
{
    addAlbums(250);
    list->post(BrovexList::kExportCsv);
    host->settle();
    cancelOnceShown();
    const std::string file = (std::filesystem::current_path() / "part.csv").string();
    rt::testing::ScopedEnv noOpener("PATH", "");
    answerFileDialog(file);
    if (rt::MessageBoxWindow* box = host->messageBox()) // no desktop to open it with
        host->answer(box->buttons().front().answer);
    EXPECT_EQ(progressTitle, "Progress...");

    const std::string written = rt::testing::readFile(file);
    EXPECT_TRUE(written.starts_with("# Records=0000100\r\n")) << written.substr(0, 40);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1 + 1 + BrovexProgress::kRecordsPerTurn)
        << "the count line, the headers and the rows written";
}

} // namespace
} // namespace qv::qvls::testing
