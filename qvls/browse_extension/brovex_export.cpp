// The list written out as a file: a comma-separated table that starts with
// its record count, or a page with one bordered table. Every record of the
// list's view goes out, in its present order and filter, through the shown
// columns in their order and pictures.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/framework/file_chooser.h"
#include "platform/framework/list_browser.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/list_format.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/shell.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/brovex_progress.h"

namespace qv::qvls {

namespace {

constexpr std::string_view kRecordsLabel = "# Records=";
constexpr int kCountDigits = 7;

std::string zeroPadded(long n, int digits)
{
    std::string s = std::to_string(n);
    if (static_cast<int>(s.size()) < digits)
        s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return s;
}

// A CSV reader takes a double-quoted value whole, with its quotes doubled.
std::string csvValue(const std::string& value, std::string_view separator)
{
    const bool quoted = value.find('"') != std::string::npos
        || (!separator.empty() && value.find(separator) != std::string::npos) || value.find('\r') != std::string::npos
        || value.find('\n') != std::string::npos;
    if (!quoted)
        return value;
    std::string out = "\"";
    for (char ch : value) {
        if (ch == '"')
            out += '"';
        out += ch;
    }
    return out + '"';
}

std::string htmlText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char ch : value) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

std::string htmlCell(std::string_view value)
{
    return "<TD>" + (value.empty() ? std::string("&nbsp") : htmlText(value)) + "</TD> ";
}

// Lines go to a file beside the chosen one, which takes its name only once
// the export is complete: a file under the chosen name is never half written.
class ExportFile
{
public:
    explicit ExportFile(std::string path)
        : path_(std::move(path))
        , part_(path_ + ".part")
        , out_(part_, std::ios::binary | std::ios::trunc)
    { }
    ~ExportFile()
    {
        if (!done_) {
            out_.close();
            std::error_code ec;
            std::filesystem::remove(part_, ec);
        }
    }
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

    bool good() const { return out_.good(); }
    void line(std::string_view text) { out_ << text::trimRight(text) << "\r\n"; }

    // The count line, written before any data and filled in by finishCount.
    void countLine(long expected)
    {
        digits_ = std::max(kCountDigits, static_cast<int>(std::to_string(std::max(expected, 0L)).size()));
        line(std::string(kRecordsLabel) + std::string(static_cast<std::size_t>(digits_), '9'));
    }
    // More rows than the digits kept for them widen the line: the file is written again.
    bool finishCount(long rows)
    {
        const std::string count = zeroPadded(rows, digits_);
        if (static_cast<int>(count.size()) == digits_) {
            out_.seekp(static_cast<std::streamoff>(kRecordsLabel.size()));
            out_ << count;
            return true;
        }
        out_.close();
        const std::string wide = part_ + "2";
        {
            std::ifstream in(part_, std::ios::binary);
            std::ofstream again(wide, std::ios::binary | std::ios::trunc);
            std::string first;
            std::getline(in, first);
            again << kRecordsLabel << count << "\r\n" << in.rdbuf();
            if (!again.good())
                return false;
        }
        std::error_code ec;
        std::filesystem::rename(wide, part_, ec);
        out_.open(part_, std::ios::binary | std::ios::app);
        return !ec;
    }
    // Replaces any file of the chosen name.
    bool commit()
    {
        out_.flush();
        if (!out_.good())
            return false;
        out_.close();
        std::error_code ec;
        std::filesystem::rename(part_, path_, ec);
        done_ = !ec;
        return done_;
    }

private:
    std::string path_, part_;
    std::ofstream out_;
    int digits_ = kCountDigits;
    bool done_ = false;
};

} // namespace

void BrovexList::ExportCsv()
{
    Export(ExportKind::Csv);
}

void BrovexList::ExportHtml()
{
    Export(ExportKind::Html);
}

std::string BrovexList::exportValue(const BrovexColumn& column, const std::vector<std::string>& cells)
{
    const auto i = static_cast<std::size_t>(column.qnos - 1);
    const std::string raw = i < cells.size() ? cells[i] : std::string();
    return std::string(text::trim(rt::formatPicture(raw, column.picture)));
}

void BrovexList::Export(ExportKind kind)
{
    const bool csv = kind == ExportKind::Csv;
    std::string& remembered = csv ? asciiFileName : htmlFileName;
    fw::FileChooser chooser;
    chooser.setTitle(csv ? "Select ASCII Export File" : "Select HTML Export File");
    if (csv)
        chooser.addFilter("CSV Files", "*.csv");
    else
        chooser.addFilter("HTML Files", "*.htm*");
    chooser.addFilter("All Files", "*.*");
    chooser.setSave(true);
    chooser.setKeepFolder(true);
    const std::optional<std::string> chosen = chooser.ask(remembered);
    if (!chosen || text::trimRight(*chosen).empty())
        return;
    remembered = *chosen;
    const std::string path = rt::resolvePath(remembered);

    long inView = procedure_ ? procedure_->CountRecords() : 0;
    ReadColumnState(true);

    ExportFile file(path);
    if (!file.good()) {
        rt::message("Cannot write " + path, "Brovex", rt::Icon::Exclamation);
        return;
    }
    const auto joined = [&](auto&& cell) {
        std::string s;
        for (const BrovexColumn& c : sq_) {
            if (csv && &c != &sq_.front())
                s += separator;
            s += cell(c);
        }
        return s;
    };
    const std::string title = htmlText(text::trimRight(list_->window().title()));
    if (csv) {
        file.countLine(inView);
        if (browseHeader)
            file.line(joined([](const BrovexColumn& c) { return std::string(text::trimRight(c.header)); }));
    } else {
        file.line("<HTML>");
        file.line("<HEAD><META charset=\"UTF-8\"><TITLE>" + title + "</TITLE></HEAD>");
        file.line("<H1>" + title + "</H1><P>");
        file.line("<TABLE BORDER=2>");
        if (browseHeader)
            file.line(
                "<TR> " + joined([](const BrovexColumn& c) { return htmlCell(text::trimRight(c.header)); }) + "</TR>");
    }
    // Cancel ends the file after the rows written so far, counted as such.
    BrovexProgress progress;
    long rows = 0;
    browse_->forEachRecord([&](const std::vector<std::string>& cells) {
        if (csv)
            file.line(joined([&](const BrovexColumn& c) { return csvValue(exportValue(c, cells), separator); }));
        else
            file.line(
                "<TR> " + joined([&](const BrovexColumn& c) { return htmlCell(exportValue(c, cells)); }) + "</TR>");
        ++rows;
        return file.good() && progress.step(rows, inView);
    });
    progress.close();
    if (!csv) {
        file.line("</TABLE>");
        file.line("</HTML>");
    }
    if (!(csv ? file.finishCount(rows) : true) || !file.commit()) {
        rt::message("Cannot write " + path, "Brovex", rt::Icon::Exclamation);
        return;
    }
    if (!shellExecute)
        return;
    if (const int result = rt::shellOpen(path, "OPEN"); result <= 32)
        rt::message("Shell launching error:" + std::to_string(result)
                + "|you may need to specify a file type in Win95|Go to Explorer; View; Options; File Types|and the "
                  "specify a type for "
                + path,
            "Brovex");
}

} // namespace qv::qvls
