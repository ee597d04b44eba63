#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>

#include "platform/expr/datetime.h"
#include "platform/report/report_controller.h"
#include "platform/runtime/resources.h"
#include "platform/runtime/window_def.h"

namespace qv::report {
namespace {

// The songs-by-media listing: Arial 8, a title and headings above a
// two-line detail of 344, the run date and page number below.
const char* const kSongsByMedia = R"(
page: {width: 8500, height: 11000}
font: {face: Arial, size: 8}
body: [490, 1708, 7010, 8646]
header:
  at: [490, 1000, 7010, 719]
  controls:
    - {type: string, name: Title, text: Songs by Media, at: [0, 21, 7021, 219], font: {bold: true}}
    - {type: box, name: HeadingBox, at: [10, 271, 7000, 458]}
    - {type: string, text: Media, at: [42, 313]}
footer:
  at: [490, 10385, 7010, 219]
  controls:
    - {type: rundate, name: RunDate, picture: "@d4", at: [21, 10, 1365]}
    - {type: pagenumber, name: PageNumber, picture: "@pPage <<<#p", at: [6281, 31, 700]}
details:
  - name: Detail
    x: 10
    width: 7010
    height: 344
    controls:
      - {type: text, name: Media, use: "SNG:Media", picture: "@s20", at: [52, 21, 1292, 167]}
      - {type: text, name: ReleaseDate, use: "SNG:ReleaseDate", picture: "@d4", at: [4552, 167, 760, 167]}
      - {type: text, name: TrackNumber, use: "SNG:TrackNumber", picture: "@n3b", at: [5979, 167]}
)";

// Finished pages as the run hands them over.
struct Pages : PageSink {
    std::vector<Page> pages;
    void addPage(Page page) override { pages.push_back(std::move(page)); }
};

std::vector<std::string> textsOf(const Page& page)
{
    std::vector<std::string> texts;
    for (const DrawStep& step : page.steps)
        if (step.kind == DrawStep::Kind::Text)
            texts.push_back(step.text);
    return texts;
}

const DrawStep* stepWith(const Page& page, std::string_view text)
{
    for (const DrawStep& step : page.steps)
        if (step.text == text)
            return &step;
    return nullptr;
}

using Place = std::array<int, 4>; // x, y, width, height

Place placeOf(const DrawStep& step)
{
    return {step.x, step.y, step.width, step.height};
}

std::size_t countStarting(const Page& page, std::string_view prefix)
{
    const auto texts = textsOf(page);
    return static_cast<std::size_t>(
        std::count_if(texts.begin(), texts.end(), [&](const std::string& t) { return t.starts_with(prefix); }));
}

class ReportRun : public ::testing::Test
{
protected:
    void open(const char* yaml = kSongsByMedia)
    {
        report.emplace(parseReportDef(yaml, "test", "SongsByMedia"), names, pages);
        report->setRunDate(expr::dateFromYmd(2026, 12, 11));
    }

    void printSong(ReportController& run, const std::string& media, int track = 0)
    {
        names.bindValue("SNG:Media", media);
        names.bindValue("SNG:TrackNumber", track);
        run.printBand("Detail");
    }
    void printSong(const std::string& media, int track = 0) { printSong(*report, media, track); }

    expr::NameTable names;
    Pages pages;
    std::optional<ReportController> report;
};

// Runs steps written as words: "song" prints a detail, "end" ends the page,
// "close" closes the run.
struct PaginationCase {
    const char* what;
    const char* steps;
    std::vector<std::size_t> songsPerPage;
};

TEST_F(ReportRun, PagesStartAtTheFirstBandAndEndWhereTheBodyIsFull)
{
    const std::vector<PaginationCase> cases{
        {"bands that fit stay on one page", "song song song close", {3}},
        {"a band that does not fit starts a new page", "song*26 close", {25, 1}},
        {"nothing printed gives no page", "close", {}},
        {"ending a page on which nothing was printed does nothing", "end end close", {}},
        {"ending a page twice gives one page", "song end end close", {1}},
        {"a page ended by the program is followed by a new one", "song end song close", {1, 1}},
        {"closing twice finishes the page once", "song close close", {1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pages.pages.clear();
        open();
        std::istringstream words(c.steps);
        for (std::string word; words >> word;) {
            if (word == "end")
                report->endPage();
            else if (word == "close")
                report->close();
            else {
                const auto star = word.find('*');
                const int times = star == std::string::npos ? 1 : std::stoi(word.substr(star + 1));
                for (int i = 0; i < times; ++i)
                    printSong("CD");
            }
        }
        ASSERT_EQ(pages.pages.size(), c.songsPerPage.size());
        for (std::size_t p = 0; p < pages.pages.size(); ++p) {
            const Page& page = pages.pages[p];
            EXPECT_EQ(countStarting(page, "CD"), c.songsPerPage[p]) << "page " << p + 1;
            // Header and footer on every page, with its own number.
            EXPECT_NE(stepWith(page, "Songs by Media"), nullptr) << "page " << p + 1;
            EXPECT_NE(stepWith(page, "Page    " + std::to_string(p + 1)), nullptr) << "page " << p + 1;
        }
    }
}

TEST_F(ReportRun, BandsFlowDownTheBodyAndANewPageStartsAtItsTop)
{
    open();
    for (int i = 1; i <= 26; ++i)
        printSong("CD " + std::to_string(i));
    report->close();
    ASSERT_EQ(pages.pages.size(), 2u);
    // The body starts at 1708, the detail at x 10 and its media at (52, 21).
    const DrawStep* first = stepWith(pages.pages[0], "CD 1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->x, 490 + 10 + 52);
    EXPECT_EQ(first->y, 1708 + 21);
    EXPECT_EQ(first->width, 1292);
    const DrawStep* last = stepWith(pages.pages[0], "CD 25");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->y, 1708 + 24 * 344 + 21);
    const DrawStep* next = stepWith(pages.pages[1], "CD 26");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->y, 1708 + 21);
    // Page bands stand at their places on the page.
    const DrawStep* title = stepWith(pages.pages[1], "Songs by Media");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->x, 490);
    EXPECT_EQ(title->y, 1021);
    EXPECT_TRUE(pages.pages[1].fonts[title->font].bold);
    EXPECT_EQ(stepWith(pages.pages[1], "December 11, 2026")->y, 10385 + 10);
}

TEST_F(ReportRun, TheRunDateIsTodayUnlessTheCallerGivesOne)
{
    const expr::FixedClock clock(expr::dateFromYmd(2027, 1, 2));
    const expr::ScopedClock scoped(clock);
    ReportController run(parseReportDef(kSongsByMedia, "test", "SongsByMedia"), names, pages);
    printSong(run, "CD");
    run.close();
    ASSERT_EQ(pages.pages.size(), 1u);
    EXPECT_NE(stepWith(pages.pages[0], "January 2, 2027"), nullptr);
}

TEST_F(ReportRun, BoundTextsShowTheirValueWhenTheirBandPrints)
{
    open();
    names.bindValue("SNG:ReleaseDate", expr::dateFromYmd(1999, 3, 5));
    printSong("CD Single, a very long media name", 7);
    names.bindValue("SNG:ReleaseDate", 0);
    printSong("Cassette", 0);
    report->close();
    ASSERT_EQ(pages.pages.size(), 1u);
    const Page& page = pages.pages[0];
    // Cut to the picture's 20 characters.
    EXPECT_NE(stepWith(page, "CD Single, a very lo"), nullptr);
    EXPECT_NE(stepWith(page, "March 5, 1999"), nullptr);
    const DrawStep* track = stepWith(page, "  7");
    ASSERT_NE(track, nullptr);
    // Without a width of its own the track takes its text's.
    EXPECT_GT(track->width, 0);
    EXPECT_EQ(track->width, report->textWidth("TrackNumber", "  7"));
    // The second song's track and date are blank: nothing is drawn for them.
    EXPECT_EQ(textsOf(page),
        (std::vector<std::string>{"Songs by Media", "Media", "CD Single, a very lo", "March 5, 1999", "  7", "Cassette",
            "December 11, 2026", "Page    1"}));
}

TEST_F(ReportRun, ControlsChangedByTheProgramDrawAsChanged)
{
    open();
    FontSpec large{.face = "Times New Roman", .size = 12, .italic = true};
    report->setFont("?Media", large);
    report->setColour("Media", 0xC00000);
    report->setPosition("Media", 100, 30, 2000, 200);
    report->setText("Title", "Songs by Format");
    report->setPicture("TrackNumber", "@n03");
    printSong("LP", 4);
    report->hide("HeadingBox");
    report->hide("Title");
    report->endPage();
    report->unhide("Title");
    printSong("LP", 5);
    report->close();

    ASSERT_EQ(pages.pages.size(), 2u);
    const Page& first = pages.pages[0];
    const DrawStep* media = stepWith(first, "LP");
    ASSERT_NE(media, nullptr);
    EXPECT_EQ(first.fonts[media->font], large);
    EXPECT_EQ(media->colour, 0xC00000);
    EXPECT_EQ(placeOf(*media), (Place{490 + 10 + 100, 1708 + 30, 2000, 200}));
    EXPECT_NE(stepWith(first, "Songs by Format"), nullptr);
    EXPECT_NE(stepWith(first, "004"), nullptr);
    // Hidden while the second page's header was drawn: the box stays away,
    // the title came back.
    const Page& second = pages.pages[1];
    EXPECT_NE(stepWith(second, "Songs by Format"), nullptr);
    EXPECT_EQ(std::count_if(first.steps.begin(), first.steps.end(),
                  [](const DrawStep& s) { return s.kind == DrawStep::Kind::Box; }),
        1);
    EXPECT_EQ(std::count_if(second.steps.begin(), second.steps.end(),
                  [](const DrawStep& s) { return s.kind == DrawStep::Kind::Box; }),
        0);
}

TEST_F(ReportRun, ABoundTextGivenATextShowsThatText)
{
    open();
    report->setText("Media", "fixed");
    printSong("CD");
    report->setUse("Media", "UPPER(SNG:Media) & '!'");
    printSong("cd");
    report->close();
    ASSERT_EQ(pages.pages.size(), 1u);
    EXPECT_NE(stepWith(pages.pages[0], "fixed"), nullptr);
    EXPECT_NE(stepWith(pages.pages[0], "CD!"), nullptr);
}

TEST_F(ReportRun, AControlCreatedAtRunTimePrintsWithItsBand)
{
    open();
    ReportControlDef column;
    column.kind = ControlKind::Text;
    column.name = "?Title2";
    column.x = 1417;
    column.y = 21;
    column.width = 1531;
    column.use = "SNG:Title";
    column.font.bold = true;
    report->createControl("Detail", column);
    names.bindValue("SNG:Title", "Blue in Green");
    printSong("CD");
    report->close();
    ASSERT_EQ(pages.pages.size(), 1u);
    const DrawStep* title = stepWith(pages.pages[0], "Blue in Green");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->x, 490 + 10 + 1417);
    EXPECT_EQ(title->y, 1708 + 21);
    // The report's Arial 8, made bold.
    EXPECT_EQ(pages.pages[0].fonts[title->font], (FontSpec{.face = "Arial", .size = 8, .bold = true}));
    // It is found by its name from then on; a second one of that name is refused.
    EXPECT_NO_THROW(report->hide("Title2"));
    EXPECT_THROW(report->createControl("Detail", column), rt::DefinitionError);
    EXPECT_THROW(report->createControl("NoSuchBand", ReportControlDef{}), rt::DefinitionError);
}

TEST_F(ReportRun, TextWidthGrowsWithTheTextAndTheFont)
{
    open();
    const int narrow = report->textWidth("Media", "CD");
    const int wide = report->textWidth("Media", "CD Single");
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, narrow);
    report->setFont("Media", FontSpec{.face = "Arial", .size = 16});
    EXPECT_GT(report->textWidth("Media", "CD Single"), wide * 3 / 2);
    EXPECT_THROW(report->textWidth("Nowhere", "CD"), rt::DefinitionError);
}

TEST_F(ReportRun, TheReportFontReachesEveryControl)
{
    open();
    const FontSpec custom{.face = "Courier New", .size = 10};
    report->setReportFont(custom, 0x0000FF);
    printSong("CD", 3);
    report->close();
    ASSERT_EQ(pages.pages.size(), 1u);
    const Page& page = pages.pages[0];
    for (const DrawStep& step : page.steps) {
        if (step.kind != DrawStep::Kind::Text)
            continue;
        SCOPED_TRACE(step.text);
        EXPECT_EQ(page.fonts[step.font], custom); // the title's bold too
        EXPECT_EQ(step.colour, 0x0000FF);
    }
}

// Albums and songs under a heading per file number, in groups per category.
const char* const kAlbumsAndSongs = R"(
font: {face: Small Fonts, size: 7}
body: [490, 833, 7500, 9500]
breaks:
  - name: CategoryBreak
    on: ALB:Category
    header:
      height: 200
      controls: [{type: text, use: "'Category ' & ALB:Category", at: [0, 0, 3000, 200]}]
    footer:
      height: 100
      controls: [{type: text, use: "'end of ' & ALB:Category", at: [0, 0]}]
  - name: FileNumberBreak
    on: ALB:FileNumber
    header:
      height: 292
      controls:
        - {type: text, name: FileNumber, use: "ALB:FileNumber", picture: "@s20", at: [4688, 0, 2708, 365], font: {face: Arial, size: 18, bold: true}}
    footer:
      height: 167
      controls: [{type: string, text: "--", at: [0, 0]}]
details:
  - name: Detail
    height: 146
    controls: [{type: text, use: "SNG:Title", at: [3229, 0, 3177, 156]}]
bands:
  - name: Closing
    height: 200
    controls: [{type: string, text: "That is all", at: [0, 0]}]
)";

TEST_F(ReportRun, GroupHeadersAndFootersStandAroundTheirDetails)
{
    open(kAlbumsAndSongs);
    const std::vector<std::array<const char*, 3>> songs{
        {"Jazz", "CD1", "So What"}, {"Jazz", "CD1", "Freddie Freeloader"}, {"Jazz", "CD2", "Naima"},
        {"Rock", "CD2", "Hey Jude"}, // a new category opens its file number again
    };
    for (const auto& [category, fileNumber, title] : songs) {
        names.bindValue("ALB:Category", category);
        names.bindValue("ALB:FileNumber", fileNumber);
        names.bindValue("SNG:Title", title);
        report->printBand("Detail");
    }
    report->printBand("Closing");
    report->close();
    ASSERT_EQ(pages.pages.size(), 1u);
    // A footer is drawn once the next group's record is current, yet shows
    // its own group's last record.
    EXPECT_EQ(textsOf(pages.pages[0]),
        (std::vector<std::string>{"Category Jazz", "CD1", "So What", "Freddie Freeloader", "--", "CD2", "Naima", "--",
            "end of Jazz", "Category Rock", "CD2", "Hey Jude", "That is all", "--", "end of Rock"}));
    const DrawStep* naima = stepWith(pages.pages[0], "Naima");
    ASSERT_NE(naima, nullptr);
    EXPECT_EQ(naima->y, 833 + 200 + 292 + 146 * 2 + 167 + 292);
}

TEST_F(ReportRun, AGroupHeaderThatDoesNotFitStartsTheNextPage)
{
    open(R"(
body: [0, 1000, 8000, 1000]
header: {at: [0, 0, 8000, 500], controls: [{type: string, text: Heading, at: [0, 0]}]}
breaks:
  - on: N
    header: {height: 400, controls: [{type: text, use: "'Group ' & N", at: [0, 0]}]}
details:
  - {name: Detail, height: 300, controls: [{type: text, use: "'Line ' & N", at: [0, 0]}]}
)");
    // The first group fills the body exactly.
    for (int n : {1, 1, 2}) {
        names.bindValue("N", n);
        report->printBand("Detail");
    }
    report->close();
    ASSERT_EQ(pages.pages.size(), 2u);
    EXPECT_EQ(textsOf(pages.pages[0]), (std::vector<std::string>{"Heading", "Group 1", "Line 1", "Line 1"}));
    EXPECT_EQ(textsOf(pages.pages[1]), (std::vector<std::string>{"Heading", "Group 2", "Line 2"}));
    EXPECT_EQ(stepWith(pages.pages[1], "Group 2")->y, 1000);
}

TEST_F(ReportRun, OnlyBandsThatFlowCanBePrintedByName)
{
    open();
    EXPECT_THROW(report->printBand("Nowhere"), rt::DefinitionError);
    EXPECT_THROW(report->printBand("header"), rt::DefinitionError);
    report->close();
    EXPECT_TRUE(pages.pages.empty());
}

// A label: frames and fold lines on the form band, turned spines, a picture,
// wrapped text and a check box.
const char* const kLabel = R"(
font: {face: Arial, size: 10}
body: [250, 250, 8000, 10500]
form:
  at: [0, 0, 8500, 11000]
  controls:
    - {type: box, at: [104, 52, 5938, 4677], colour: 0x000000, fill: "#C0C0C0", linewidth: 20}
    - {type: line, at: [354, 52, 0, 4677]}
details:
  - name: Label
    height: 10500
    controls:
      - {type: text, name: LeftSpine, use: "LAB:CDSPINE", at: [0, 94, 333, 4594], angle: 900, align: center, font: {size: 14, bold: true}}
      - {type: text, name: RightSpine, use: "LAB:CDSPINE", at: [5823, 115, 438, 4594], angle: 2700}
      - {type: multiline, name: CoverText, use: "LAB:CDCOVERTEXT", at: [448, 635, 5281, 4052]}
      - {type: image, name: Picture, file: "cover.png", at: [156, 4760]}
      - {type: check, name: Live, use: "LAB:LIVE", text: Live, at: [3188, 9500]}
      - {type: string, name: Secret, text: "never shown", at: [0, 0], hidden: true}
)";

TEST_F(ReportRun, LabelControlsKeepTheirKindAngleAndColours)
{
    open(kLabel);
    names.bindValue("LAB:CDSPINE", "Kind of Blue");
    names.bindValue("LAB:CDCOVERTEXT", "So What\nFreddie Freeloader\nBlue in Green");
    names.bindValue("LAB:LIVE", 0);
    report->printBand("Label");
    names.bindValue("LAB:LIVE", 1);
    report->printBand("Label");
    report->close();
    ASSERT_EQ(pages.pages.size(), 2u);
    const Page& page = pages.pages[0];

    const DrawStep& frame = page.steps[0];
    EXPECT_EQ(frame.kind, DrawStep::Kind::Box);
    EXPECT_EQ(placeOf(frame), (Place{104, 52, 5938, 4677}));
    EXPECT_EQ(frame.fill, 0xC0C0C0);
    EXPECT_EQ(frame.lineWidth, 20);
    EXPECT_EQ(page.steps[1].kind, DrawStep::Kind::Line);
    EXPECT_EQ(page.steps[1].height, 4677);

    std::vector<int> angles;
    for (const DrawStep& step : page.steps)
        if (step.text == "Kind of Blue")
            angles.push_back(step.angle);
    EXPECT_EQ(angles, (std::vector<int>{900, 2700}));
    const DrawStep* spine = stepWith(page, "Kind of Blue");
    EXPECT_EQ(spine->align, Align::Center);
    EXPECT_EQ(page.fonts[spine->font], (FontSpec{.face = "Arial", .size = 14, .bold = true}));

    const DrawStep* cover = stepWith(page, "So What\nFreddie Freeloader\nBlue in Green");
    ASSERT_NE(cover, nullptr);
    EXPECT_TRUE(cover->wrap);
    const DrawStep* picture = stepWith(page, "cover.png");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->kind, DrawStep::Kind::Image);
    EXPECT_EQ(placeOf(*picture), (Place{250 + 156, 250 + 4760, 0, 0}));
    EXPECT_EQ(stepWith(page, "never shown"), nullptr);

    const DrawStep* unchecked = stepWith(page, "Live");
    const DrawStep* checked = stepWith(pages.pages[1], "Live");
    ASSERT_NE(unchecked, nullptr);
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(unchecked->kind, DrawStep::Kind::Check);
    EXPECT_FALSE(unchecked->checked);
    EXPECT_TRUE(checked->checked);
    // The form band is on every page.
    EXPECT_EQ(pages.pages[1].steps[0], frame);
}

TEST(ReportDefTest, AMalformedDefinitionNamesTheReportAndTheEntry)
{
    const std::vector<std::pair<const char*, const char*>> cases{
        {"details: [{name: Detail, controls: [{type: string, name: Media, colr: 1}]}]",
            "report test/Broken: details: ?Detail: ?Media: unknown control entry 'colr'"},
        {"details: [{name: Detail, controls: [{type: text, name: Media}]}]", "?Media: a text control needs 'use'"},
        {"details: [{name: Detail, controls: [{type: text, name: Media, use: \"SNG:Media +\"}]}]",
            "?Media: 'use' SNG:Media +"},
        {"details: [{name: Detail, controls: [{type: text, use: X, picture: \"@q7\"}]}]",
            "?Detail: control 1: unknown picture '@q7'"},
        {"details: [{name: Detail, controls: [{type: knob, name: Volume}]}]", "?Volume: unknown control type 'knob'"},
        {"header: {at: [0, 0, 100, 100], controls: [{type: box, name: Frame, colour: teal}]}",
            "header: ?Frame: a colour is 0xRRGGBB or #RRGGBB, not 'teal'"},
        {"footer: {at: [0, 0], controls: []}", "report test/Broken: footer: a place is [x, y, width, height]"},
        {"details: [{name: Detail, controls: [{type: string, name: A, at: [one, 2]}]}]", "?Detail: ?A:"},
        {"details: [{name: Detail, controls: [{name: A}, {name: A}]}]", "name '?A' used twice"},
        {"breaks: [{name: ByFile, header: {height: 10}}]", "breaks: ?ByFile: 'on' : a break needs a value"},
        {"details: [{name: Detail, depth: 3}]", "details: ?Detail: unknown band entry 'depth'"},
        {"columns: 3", "report test/Broken: columns: unknown report entry 'columns'"},
        {"details: [{name: Detail", "report test/Broken: "},
        {"- just a list", "report test/Broken: the definition is a mapping"},
    };
    for (const auto& [yaml, expected] : cases) {
        SCOPED_TRACE(yaml);
        try {
            parseReportDef(yaml, "test", "Broken");
            ADD_FAILURE() << "accepted";
        } catch (const rt::DefinitionError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    }
}

TEST(ReportDefTest, ReportsAreFoundByModuleAndName)
{
    static const std::string yaml = kSongsByMedia;
    static const std::array files{rt::EmbeddedFile{
        "reports/SongsByMedia.yaml", std::span(reinterpret_cast<const unsigned char*>(yaml.data()), yaml.size())}};
    rt::ResourceStore::add("reporttest", files);
    const ReportDef def = loadReportDef("reporttest", "songsbymedia");
    EXPECT_EQ(def.name, "songsbymedia");
    EXPECT_EQ((Place{def.bodyX, def.bodyY, def.bodyWidth, def.bodyHeight}), (Place{490, 1708, 7010, 8646}));
    ASSERT_TRUE(def.footer);
    EXPECT_EQ(def.footer->y, 10385);
    ASSERT_EQ(def.details.size(), 1u);
    EXPECT_EQ(def.details[0].name, "?Detail");
    EXPECT_EQ(def.details[0].controls[2].width, kNatural);
    EXPECT_EQ(def.header->controls[0].font.over(def.font), (FontSpec{.face = "Arial", .size = 8, .bold = true}));
    try {
        loadReportDef("reporttest", "SongsByMood");
        ADD_FAILURE() << "found";
    } catch (const rt::DefinitionError& e) {
        EXPECT_STREQ(e.what(), "report reporttest/SongsByMood is not defined");
    }
}

} // namespace
} // namespace qv::report
