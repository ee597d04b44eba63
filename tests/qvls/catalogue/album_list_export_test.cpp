// The album list written out as a CSV file and as a page: every record of the
// list in its order, through the columns as the list shows them, into the
// file the user chose, which the desktop then opens.

#include "qvls/catalogue/album_list_fixture.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "platform/framework/context_menu.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/keycodes.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/services_fixture.h"
#include "qvls/browse_extension/brovex_list.h"
#include "support/command_output.h"

namespace qv::qvls::testing {
namespace {

class AlbumListExport : public AlbumList
{
protected:
    void SetUp() override
    {
        rt::testing::writeScript(bin.path() + "/xdg-open", "printf '%s\\n' \"$@\" >> \"$QV_TEST_OPENED\"\n");
        AlbumList::SetUp();
    }
    void TearDown() override
    {
        // The openers started run out before their folders go.
        EXPECT_TRUE(rt::testing::eventually([&] {
            return std::filesystem::exists(openedLog)
                ? std::count(std::istreambuf_iterator<char>(std::ifstream(openedLog).rdbuf()), {}, '\n') == exports
                : exports == 0;
        }));
        AlbumList::TearDown();
    }
    // Every album's artist, and the list opened again to show them.
    void addArtists(const std::vector<std::pair<std::string, std::string>>& albumsByArtist)
    {
        host->press(*list, "?Close");
        list = nullptr;
        for (const auto& [artist, album] : albumsByArtist)
            add(dictionary::Album(), {{"ALB:Album", album}, {"ALB:Artist", artist}, {"ALB:Media", "CD"}});
        open();
    }
    // The export of event into file (nothing: the dialog cancelled); answers the dialog's request.
    rt::FileDialogSpec exportTo(int event, std::optional<std::string> file)
    {
        list->post(event);
        host->settle();
        exports += file ? 1 : 0;
        return answerFileDialog(std::move(file));
    }
    // The export chosen from the list's right-click menu, by the item's code.
    rt::FileDialogSpec exportFromMenu(const char* item, std::optional<std::string> file)
    {
        mouse(rt::ListMouse::RightDown, hit(1, 1));
        host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
        auto* menu = host->dialog<fw::PopupMenuWindow>();
        if (!menu || !menu->choose(item))
            throw std::logic_error(std::string("no menu item ") + item);
        host->settle();
        exports += file ? 1 : 0;
        return answerFileDialog(std::move(file));
    }
    // The file's lines, each checked to end with CR LF and no blank before it.
    static Strings lines(const std::string& path)
    {
        const std::string all = rt::testing::readFile(path);
        Strings out;
        std::size_t from = 0;
        while (from < all.size()) {
            const std::size_t end = all.find("\r\n", from);
            if (end == std::string::npos) {
                ADD_FAILURE() << "a line without CR LF: " << all.substr(from);
                break;
            }
            out.push_back(all.substr(from, end - from));
            EXPECT_FALSE(out.back().ends_with(' ')) << out.back();
            from = end + 2;
        }
        return out;
    }
    std::string opened() const
    {
        // The opener runs on its own: its line may be half written yet.
        const auto written
            = [&] { return std::filesystem::exists(openedLog) && rt::testing::readFile(openedLog).ends_with('\n'); };
        if (!rt::testing::eventually(written))
            return "<nothing opened>";
        return rt::testing::readFile(openedLog);
    }
    // A row's value in a shown column (1-based), as the list formats it.
    std::string shownValue(int row, int shownColumn) const
    {
        const rt::ListFormatColumn c
            = rt::readListFormat(box().format()).format.columns.at(static_cast<std::size_t>(shownColumn - 1));
        const std::string raw
            = box().list()->cell(row, shownFields().at(static_cast<std::size_t>(shownColumn - 1)) - 1);
        return std::string(text::trim(rt::formatPicture(raw, c.picture.value_or(""))));
    }
    std::string path(const std::string& name) const { return (std::filesystem::current_path() / name).string(); }
    // The list's rows as shown, a line each, their values in shown order separated by \x1f.
    std::string shownRows() const
    {
        const int columns = static_cast<int>(headers().size());
        std::string shown;
        for (int r = 0; r < box().list()->rowCount(); ++r)
            for (int c = 1; c <= columns; ++c)
                shown += shownValue(r, c) + (c == columns ? "\n" : "\x1f");
        return shown;
    }
    // What a Python script printed about file, its one argument.
    static std::string pythonOutput(const char* script, const std::string& file)
    {
        return qv::testing::commandOutput(
            "python3 -c " + qv::testing::shellQuoted(script) + " " + qv::testing::shellQuoted(file));
    }

    long exports = 0;
    rt::testing::ScratchFolder bin{"qv opener"};
    const std::string openedLog = bin.path() + "/opened.txt";
    rt::testing::ScopedEnv pathEnv{
        "PATH", bin.path() + ":" + std::string(std::getenv("PATH") ? std::getenv("PATH") : "")};
    rt::testing::ScopedEnv logEnv{"QV_TEST_OPENED", openedLog};
};

TEST_F(AlbumListExport, CsvValuesAreQuotedOnlyWhenAReaderNeedsIt)
{
    struct Case {
        const char* artist;
        const char* written; // the artist as the CSV line starts
    };
    const Case cases[] = {
        {"Crosby, Stills", "\"Crosby, Stills\""},
        {"The \"Band\"", "\"The \"\"Band\"\"\""},
        {"Earth, \"Wind\"", "\"Earth, \"\"Wind\"\"\""},
        {"O'Connor", "O'Connor"},
        {"", ""},
        {"Björk", "Björk"},
    };
    std::vector<std::pair<std::string, std::string>> albums;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        albums.emplace_back(cases[i].artist, "Case " + std::to_string(i));
    addArtists(albums);
    const std::string file = path("albums.csv");
    exportTo(BrovexList::kExportCsv, file);

    const Strings got = lines(file);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], "# Records=0000010");
    EXPECT_EQ(got[1], "Artist,Album,Media,File Number,Released,Category,WAV/MP3");
    EXPECT_EQ(got.size(), 12u);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].artist);
        const std::string start = std::string(cases[i].written) + ",Case " + std::to_string(i) + ",CD,";
        EXPECT_EQ(std::count_if(got.begin(), got.end(), [&](const std::string& l) { return l.starts_with(start); }), 1);
    }
    EXPECT_EQ(opened(), file + "\n");
    EXPECT_FALSE(std::filesystem::exists(file + ".part"));
}

TEST_F(AlbumListExport, PythonsCsvReaderReadsBackWhatTheListShowsAndThePageStaysPut)
{
    addArtists({{"Crosby, Stills", "Déjà \"Vu\""}, {"O'Connor", "It's, \"Quoted\", twice"}, {"", "No Artist"}});
    clickHeader(2); // sorted on the album: the file follows the list's order
    const int rows = box().list()->rowCount();
    ASSERT_EQ(rows, 7) << "the whole list on one page";
    host->choose(*list, "?Browse:1", 3);
    const std::string shown = shownRows();

    const std::string file = path("Read back.csv");
    exportTo(BrovexList::kExportCsv, file);
    const std::string read = pythonOutput(R"py(import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline="", encoding="utf-8")))
sys.stdout.write("".join("\x1f".join(r) + "\n" for r in rows[2:])))py",
        file);
    EXPECT_EQ(read, shown);
    EXPECT_EQ(box().list()->rowCount(), rows);
    EXPECT_EQ(box().selected(), 3);
    EXPECT_EQ(column(2)[0], "aja");
}

TEST_F(AlbumListExport, PythonsHtmlParserReadsBackWhatTheListShowsInItsColumnOrder)
{
    addArtists(
        {{"Tom & <Jerry>", "\"Live\" at Rick's"}, {"Crosby, Stills", "Déjà Vu & <Más>"}, {"", "&amp; as typed"}});
    host->dragHeader(*list, "?Browse:1", 1, hit(0, 2).x + 30);
    clickHeader(1); // sorted on the album, now the first column
    ASSERT_EQ(headers()[1], "Artist");
    ASSERT_EQ(box().list()->rowCount(), 7) << "the whole list on one page";
    const Strings shownHeaders = headers();
    std::string expected = "UTF-8\n";
    for (const std::string& h : shownHeaders)
        expected += std::string(text::trim(h)) + (&h == &shownHeaders.back() ? "\n" : "\x1f");
    expected += shownRows();

    const std::string file = path("Read back.htm");
    exportTo(BrovexList::kExportHtml, file);
    // A blank value's cell holds a non-breaking space so that its border draws.
    const std::string read = pythonOutput(R"py(import html.parser, sys
class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.charset, self.rows, self.cell = None, [], None
    def handle_starttag(self, tag, attrs):
        if tag == "meta":
            self.charset = dict(attrs).get("charset")
        elif tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = ""
    def handle_endtag(self, tag):
        if tag == "td":
            self.rows[-1].append("" if self.cell == "\xa0" else self.cell)
            self.cell = None
    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
page = Page()
page.feed(open(sys.argv[1], "rb").read().decode("utf-8"))
page.close()
print(page.charset)
sys.stdout.write("".join("\x1f".join(r) + "\n" for r in page.rows)))py",
        file);
    EXPECT_EQ(read, expected);
}

TEST_F(AlbumListExport, TheFilesFollowTheColumnsAsMovedAndTheirPictures)
{
    host->dragHeader(*list, "?Browse:1", 1, hit(0, 2).x + 30);
    ASSERT_EQ(headers()[0], "Album");
    const std::string file = path("moved.csv");
    exportTo(BrovexList::kExportCsv, file);
    const Strings got = lines(file);
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[1], "Album,Artist,Media,File Number,Released,Category,WAV/MP3");
    for (int r = 0; r < box().list()->rowCount(); ++r) {
        std::string line;
        for (int c = 1; c <= 7; ++c)
            line += (c > 1 ? "," : "") + shownValue(r, c);
        EXPECT_EQ(std::count(got.begin(), got.end(), line), 1) << line;
    }
    // The release date goes out as a date, as the list shows it.
    EXPECT_NE(shownValue(0, 5).find('/'), std::string::npos) << shownValue(0, 5);
}

TEST_F(AlbumListExport, TheHtmlPageEscapesItsTextAndDeclaresItsCharset)
{
    addArtists({{"Tom & <Jerry>", "\"Live\" at Rick's"}});
    const std::string file = path("albums.htm");
    std::ofstream(file) << "an older page, longer than the new one will be" << std::string(4000, 'x');
    exportTo(BrovexList::kExportHtml, file);
    const Strings got = lines(file);
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(got[0], "<HTML>");
    EXPECT_EQ(got[1], "<HEAD><META charset=\"UTF-8\"><TITLE>" + list->title() + "</TITLE></HEAD>");
    EXPECT_EQ(got[2], "<H1>" + list->title() + "</H1><P>");
    EXPECT_EQ(got[3], "<TABLE BORDER=2>");
    EXPECT_EQ(got[4],
        "<TR> <TD>Artist</TD> <TD>Album</TD> <TD>Media</TD> <TD>File Number</TD> <TD>Released</TD> "
        "<TD>Category</TD> <TD>WAV/MP3</TD> </TR>");
    const std::string escaped
        = "<TR> <TD>Tom &amp; &lt;Jerry&gt;</TD> <TD>&quot;Live&quot; at Rick&#39;s</TD> <TD>CD</TD> ";
    EXPECT_EQ(std::count_if(got.begin(), got.end(), [&](const std::string& l) { return l.starts_with(escaped); }), 1);
    EXPECT_NE(
        std::find_if(got.begin(), got.end(), [](const std::string& l) { return l.ends_with("<TD>&nbsp</TD> </TR>"); }),
        got.end())
        << "a blank value fills its cell";
    EXPECT_EQ(got[10], "</TABLE>");
    EXPECT_EQ(got[11], "</HTML>");
    EXPECT_EQ(opened(), file + "\n");
}

TEST_F(AlbumListExport, AnEmptyListWritesItsHeadersOnly)
{
    reopenEmpty();
    ASSERT_EQ(box().list()->rowCount(), 0);
    exportTo(BrovexList::kExportCsv, path("empty.csv"));
    EXPECT_EQ(lines(path("empty.csv")),
        (Strings{"# Records=0000000", "Artist,Album,Media,File Number,Released,Category,WAV/MP3"}));
    exportTo(BrovexList::kExportHtml, path("empty.htm"));
    const Strings page = lines(path("empty.htm"));
    ASSERT_EQ(page.size(), 7u);
    EXPECT_TRUE(page[4].starts_with("<TR> <TD>Artist</TD>"));
    EXPECT_EQ(page[5], "</TABLE>");
}

TEST_F(AlbumListExport, TheChosenNameIsOfferedNextTimeAndACancelWritesNothing)
{
    rt::FileDialogSpec asked = exportFromMenu("ASC", std::nullopt);
    EXPECT_EQ(asked.title, "Select ASCII Export File");
    EXPECT_EQ(asked.filter, "CSV Files|*.csv|All Files|*.*");
    EXPECT_EQ(asked.fileName, "BvOut.CSV");
    EXPECT_TRUE(asked.save);
    EXPECT_FALSE(std::filesystem::exists(path("BvOut.CSV")));

    const std::string chosen = path("chosen.csv");
    exportTo(BrovexList::kExportCsv, chosen);
    mouse(rt::ListMouse::RightDown, hit(1, 1));
    host->post(*list, rt::Event{rt::event::AlertKey, box().number(), rt::key::MouseRight});
    auto* menu = host->dialog<fw::PopupMenuWindow>();
    ASSERT_TRUE(menu);
    for (const auto& item : menu->items()) {
        if (item.name == "ASC") {
            EXPECT_EQ(item.text, "Export to ASCII (" + chosen + ")");
        }
    }
    menu->dismiss();
    host->settle();
    EXPECT_EQ(exportTo(BrovexList::kExportCsv, std::nullopt).fileName, chosen);

    asked = exportFromMenu("HTM", std::nullopt);
    EXPECT_EQ(asked.title, "Select HTML Export File");
    EXPECT_EQ(asked.filter, "HTML Files|*.htm*|All Files|*.*");
    EXPECT_EQ(asked.fileName, "BvOut.HTM");
    EXPECT_EQ(opened(), chosen + "\n") << "one export, one file opened";
}

TEST_F(AlbumListExport, ADesktopWithoutAnOpenerIsReportedAndTheFileStays)
{
    rt::testing::ScratchFolder empty("qv no opener");
    rt::testing::ScopedEnv noOpener("PATH", empty.path());
    const std::string file = path("unopened.csv");
    list->post(BrovexList::kExportCsv);
    host->settle();
    answerFileDialog(file);
    const rt::MessageBoxWindow* m = host->messageBox();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->title(), "Brovex");
    EXPECT_TRUE(m->text().starts_with("Shell launching error:31\n")) << m->text();
    EXPECT_TRUE(m->text().ends_with("and the specify a type for " + file)) << m->text();
    host->answer(rt::button::Ok);
    EXPECT_EQ(lines(file).size(), 6u);
}

} // namespace
} // namespace qv::qvls::testing
