// A small list of songs in a window of the test's own, with Query and
// Preview buttons: the query wizard filters the list and the previewer shows
// it printed, both as the desktop draws them. With QV_SCREENSHOTS set to a
// folder, each window is saved there as a picture to look at.

#include <QPushButton>
#include <array>
#include <filesystem>

#include "platform/expr/expression.h"
#include "platform/outside/query_wizard.h"
#include "platform/qt/qt_fixture.h"
#include "platform/qt/window_view.h"
#include "platform/report/page_queue.h"
#include "platform/report/previewer.h"
#include "platform/report/report_controller.h"
#include "platform/report/report_def.h"
#include "qvls/core/outside_texts.h"

namespace qv::qt::testing {
namespace {

struct Song {
    std::string artist, title;
    int year;
};

const std::vector<Song> kSongs{
    {"The Beatles", "Come Together", 1969},
    {"Kraftwerk", "Computer Love", 1981},
    {"Miles Davis", "So What", 1959},
    {"Talking Heads", "Once in a Lifetime", 1980},
    {"Nina Simone", "Feeling Good", 1965},
    {"Prince", "When Doves Cry", 1984},
};

constexpr const char* kListWindow = R"(
title: Songs
at: [0, 0, 300, 160]
controls:
  - {type: list, name: "?List", at: [6, 6, 288, 120], format: "110L(2)|M~Artist~@s30@130L(2)|M~Title~@s30@30R(2)|~Year~@n4@", flags: [vscroll]}
  - {type: button, name: "?Query", text: "&Query", at: [130, 134, 50, 14]}
  - {type: button, name: "?Preview", text: "&Preview", at: [186, 134, 50, 14]}
  - {type: button, name: "?Close", text: "Close", at: [242, 134, 50, 14]}
)";

constexpr const char* kListing = R"(
font: {face: Arial, size: 10}
body: [750, 1500, 7000, 8500]
header:
  at: [750, 750, 7000, 600]
  controls:
    - {type: string, text: Songs, at: [0, 0, 7000, 300], font: {size: 14, bold: true}, align: center}
    - {type: line, at: [0, 450, 7000, 0]}
footer:
  at: [750, 10250, 7000, 250]
  controls:
    - {type: pagenumber, picture: "@pPage <<<#p", at: [6000, 0, 1000, 200], align: right}
details:
  - name: Detail
    height: 250
    controls:
      - {type: text, use: SNG:Artist, picture: "@s30", at: [0, 0, 2500, 200]}
      - {type: text, use: SNG:Title, picture: "@s30", at: [2600, 0, 3200, 200]}
      - {type: text, use: SNG:ReleaseDate, picture: "@n4", at: [6000, 0, 1000, 200], align: right}
)";

// The demonstration's own window procedure, on its own thread.
class DemoList
{
public:
    DemoList()
    {
        names_.bind("SNG:Artist", [this] { return expr::Value(kSongs[current_].artist); });
        names_.bind("SNG:Title", [this] { return expr::Value(kSongs[current_].title); });
        names_.bind("SNG:ReleaseDate", [this] { return expr::Value(kSongs[current_].year); });
        std::int32_t error = 0;
        std::string packed;
        for (const auto& [description, name, picture, type] : std::vector<std::array<std::string, 4>>{
                 {"Artist (Song)", "SNG:Artist", "@s50", "1"}, {"Title (Song)", "SNG:Title", "@s50", "1"},
                 {"Release Date/Year (Song)", "SNG:ReleaseDate", "@n4b", "2"}}) {
            outside::TCQW_FIELDSQUEUE row;
            row.QWFLDDESC = description;
            row.QWFLDNAME = name;
            row.QWFLDPICTURE = picture;
            row.QWFLDDATATYPE = static_cast<std::uint8_t>(std::stoi(type));
            packed += outside::packFieldRow(row);
        }
        outside::TC_ADDFIELDSQUEUEDATA(fields_, packed, error);
        outside::TC_INITFIELDSQUEUE(fields_, "SONGS");
    }

    void run()
    {
        rt::Window w(rt::parseWindowDef(kListWindow, "test", "DemoSongs"));
        w["?List"].setList(&rows_);
        fill();
        w.open();
        window_ = &w;
        for (;;) {
            const rt::Event e = w.waitEvent();
            if (e.code == rt::event::CloseWindow
                || (e.code == rt::event::Accepted && e.control == w["?Close"].number()))
                break;
            if (e.code != rt::event::Accepted)
                continue;
            if (e.control == w["?Query"].number() && outside::TC_QWIZARD(fields_, "SONGS", filter_, {}, &names_))
                fill();
            else if (e.control == w["?Preview"].number())
                preview();
        }
        window_ = nullptr;
        done_ = true;
    }

    rt::Window* window() const { return window_; }
    const rt::ListQueue& rows() const { return rows_; }
    const report::PageQueue& pages() const { return pages_; }
    const std::string& filter() const { return filter_; }
    int previewAnswer() const { return previewAnswer_; }
    bool done() const { return done_; }

private:
    // The songs the filter keeps.
    void fill()
    {
        rows_.clear();
        shown_.clear();
        const expr::Expression keep = expr::Expression::compile(filter_, &names_);
        for (current_ = 0; current_ < kSongs.size(); ++current_)
            if (keep.test(names_)) {
                shown_.push_back(current_);
                rows_.append({kSongs[current_].artist, kSongs[current_].title, std::to_string(kSongs[current_].year)});
            }
        current_ = 0;
    }

    void preview()
    {
        pages_.clear();
        report::ReportController listing(report::parseReportDef(kListing, "test", "Songs"), names_, pages_);
        for (std::size_t song : shown_) {
            current_ = song;
            listing.printBand("Detail");
        }
        listing.close();
        previewAnswer_ = report::PRINTPREVIEW(pages_, report::zoom::WholePage, "CPCSRPTS.INI", "Songs");
    }

    expr::NameTable names_;
    outside::FieldsQueue fields_;
    std::string filter_;
    rt::ListQueue rows_{3};
    std::vector<std::size_t> shown_;
    std::size_t current_ = 0;
    report::PageQueue pages_;
    rt::Window* window_ = nullptr;
    int previewAnswer_ = -1;
    bool done_ = false;
};

class DemonstrationList : public QtHostTest
{
protected:
    void SetUp() override
    {
        QtHostTest::SetUp();
        qvls::SetQueryWizardTexts();
        thread_ = host_->start("demo", [this] { demo_.run(); });
        ASSERT_TRUE(waitFor([this] { return shown(demo_.window()); }));
    }
    void TearDown() override
    {
        if (!demo_.done() && demo_.window()) {
            demo_.window()->post(rt::event::CloseWindow);
            waitFor([this] { return demo_.done(); });
        }
        QtHostTest::TearDown();
    }

    rt::Window* top() const { return rt::Scheduler::instance().topWindow(thread_); }
    bool shown(rt::Window* w) const { return w && host_->view(*w) && host_->view(*w)->outerWidget()->isVisible(); }
    bool waitForTop(std::string_view title)
    {
        return waitFor([&] { return top() && top()->title().find(title) != std::string::npos && shown(top()); });
    }

    // As a user would: only a control that shows and can be used.
    rt::Control& usable(rt::Window& w, const char* name)
    {
        rt::Control& c = w[name];
        EXPECT_TRUE(c.enabled() && !c.hidden()) << name << " cannot be used";
        return c;
    }
    void press(rt::Window& w, const char* name)
    {
        auto* button = host_->view(w)->outerWidget()->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled() && button->isVisible()) << name;
        button->click();
        settle();
    }
    void choose(rt::Window& w, const char* name, int row)
    {
        usable(w, name).userSelected(row);
        w.post(rt::event::NewSelection, w[name].number());
        settle();
    }
    void enter(rt::Window& w, const char* name, std::string value)
    {
        usable(w, name).userInput(std::move(value));
        w.post(rt::event::Accepted, w[name].number());
        settle();
    }
    static void settle()
    {
        waitFor([] { return false; }, 100);
    }

    void screenshot(rt::Window& w, const std::string& name)
    {
        const char* folder = std::getenv("QV_SCREENSHOTS");
        if (!folder)
            return;
        settle();
        host_->view(w)->outerWidget()->window()->grab().save(
            QString::fromStdString((std::filesystem::path(folder) / (name + ".png")).string()));
    }

    DemoList demo_;
    int thread_ = 0;
};

TEST_F(DemonstrationList, TheWizardFiltersTheListAndThePreviewerShowsItPrinted)
{
    rt::Window& list = *demo_.window();
    EXPECT_EQ(demo_.rows().rowCount(), 6);
    screenshot(list, "demo-list");

    press(list, "?Query");
    ASSERT_TRUE(waitForTop("Query Wizard"));
    rt::Window& wizard = *top();
    screenshot(wizard, "wizard-current-query");
    press(wizard, "?And");
    choose(wizard, "?Fields", 3); // the year
    screenshot(wizard, "wizard-field");
    press(wizard, "?Next");
    choose(wizard, "?Operations", 3); // Is Greater Than
    screenshot(wizard, "wizard-operation");
    press(wizard, "?Next");
    enter(wizard, "?Value", "1975");
    screenshot(wizard, "wizard-value");
    press(wizard, "?Next");
    screenshot(wizard, "wizard-query");
    press(wizard, "?Finish");

    ASSERT_TRUE(waitFor([&] { return demo_.rows().rowCount() == 3; })) << demo_.filter();
    EXPECT_EQ(demo_.filter(), "SNG:ReleaseDate > 1975");
    EXPECT_EQ(demo_.rows().row(0)[0], "Kraftwerk");
    EXPECT_EQ(demo_.rows().row(2)[0], "Prince");
    screenshot(list, "demo-list-filtered");

    press(list, "?Preview");
    ASSERT_TRUE(waitFor([&] { return top() != &list && shown(top()); }));
    rt::Window& previewer = *top();
    ASSERT_EQ(demo_.pages().size(), 1u);
    std::vector<std::string> printed;
    for (const report::DrawStep& step : demo_.pages().page(0).steps)
        if (step.kind == report::DrawStep::Kind::Text)
            printed.push_back(step.text);
    EXPECT_EQ(printed,
        (std::vector<std::string>{"Songs", "Kraftwerk", "Computer Love", "1981", "Talking Heads", "Once in a Lifetime",
            "1980", "Prince", "When Doves Cry", "1984", "Page    1"}));
    screenshot(previewer, "previewer");
    press(previewer, "?Print");
    EXPECT_TRUE(waitFor([&] { return demo_.previewAnswer() == 1; }));
}

} // namespace
} // namespace qv::qt::testing
