// "Print All" and "Print Page": the list on paper, laid out for its shown
// columns, through the previewer or straight to the printer.

#include "qvls/browse_extension/brovex_print.h"

#include <algorithm>
#include <optional>

#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/table_access.h"
#include "platform/framework/view_reader.h"
#include "platform/report/fonts.h"
#include "platform/report/page_queue.h"
#include "platform/report/previewer.h"
#include "platform/report/printing.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/text_measure.h"
#include "platform/runtime/window.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/browse_extension/brovex_list.h"
#include "qvls/browse_extension/brovex_progress.h"
#include "qvls/core/outside_texts.h"

namespace qv::qvls {

namespace {

// Widths at a font size t are dialog units times 2t; the fit starts at 8
// points and allows the page one percent more.
constexpr int kStartFontSize = 8;
bool tooWideAtStart(long sum)
{
    return sum * 2 * kStartFontSize * 100 > static_cast<long>(kListPrintWidth) * 101;
}

constexpr int kHeaderRow = 650; // where the column headers stand in the page header
constexpr int kDetailY = 20;
constexpr int kMaxText = 255;

std::string clipped(std::string_view s)
{
    return std::string(text::firstChars(s, kMaxText));
}

} // namespace

PrintFit fitPrintColumns(const std::vector<PrintFitColumn>& columns, int minFontSize)
{
    PrintFit fit;
    if (columns.empty())
        return fit;
    std::vector<std::size_t> kept(columns.size());
    for (std::size_t i = 0; i < kept.size(); ++i)
        kept[i] = i;
    const auto taken = [&](std::size_t i) { return static_cast<long>(columns[i].width) + (columns[i].border ? 1 : 0); };
    long sum = 0;
    for (std::size_t i : kept)
        sum += taken(i);

    fit.maxFontSize = kStartFontSize;
    if (tooWideAtStart(sum)) {
        fit.maxFontSize = minFontSize;
        // The first column stays whatever its width: it is clipped to the page.
        while (tooWideAtStart(sum) && kept.size() > 1) {
            sum -= taken(kept.back());
            kept.pop_back();
        }
    }

    const long factor = 2L * fit.maxFontSize;
    const long share = (kListPrintWidth - sum * factor) / static_cast<long>(kept.size());
    for (std::size_t k = kept.size(); k-- > 0 && kept.size() > 1;)
        if (columns[kept[k]].width * factor + share < 1) {
            sum -= taken(kept[k]);
            kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(k));
        }

    const long n = static_cast<long>(kept.size());
    int t = fit.maxFontSize;
    while (t >= minFontSize && (kListPrintWidth - sum * 2 * t) / n < 1)
        t -= 2;
    fit.fontSize = std::max(t, 1);

    // What the columns leave of the page at the size chosen goes to them in
    // equal parts; columns wider than the page share the shortfall and the
    // last one is clipped at the page's edge.
    const long spread = (kListPrintWidth - sum * 2 * fit.fontSize) / n;
    int x = 0;
    for (std::size_t i : kept) {
        if (x >= kListPrintWidth)
            break;
        const long wanted = std::max(1L, columns[i].width * 2L * fit.fontSize + spread);
        const int width = static_cast<int>(std::min<long>(wanted, kListPrintWidth - x));
        fit.printed.push_back({i, x, width});
        x += width;
    }
    return fit;
}

std::string listPrintFace(std::string_view listFace)
{
    const std::string_view face = text::trim(listFace);
    return face.empty() || face == "MS Sans Serif" ? std::string("Arial") : std::string(face);
}

report::Align printDataAlign(char fJust)
{
    switch (fJust) {
    case 'C':
        return report::Align::Center;
    case 'R':
    case 'D':
        return report::Align::Right;
    default:
        return report::Align::Left;
    }
}

report::Align printHeaderAlign(char hJust)
{
    return printDataAlign(hJust);
}

void PrintTotal::add(const std::string& printed)
{
    const expr::Decimal value = expr::deformat(printed, picture_).toDecimal();
    sum_ = empty_ ? value : sum_ + value;
    empty_ = false;
}

std::string PrintTotal::text() const
{
    return std::string(text::trim(expr::format(expr::Value(sum_), picture_)));
}

report::PageSetup listPrintPaper(int paperType)
{
    report::PageSetup paper; // Letter
    if (paperType == 5)
        paper.height = 14000;
    else if (paperType == 9) {
        paper.width = 8268;
        paper.height = 11693;
    }
    // Half an inch of margin either side at least.
    paper.landscape = paper.width < kListPrintWidth + 1000;
    return paper;
}

// --- the printout

ListPrintout::ListPrintout(ListPrintSetup setup, report::PageSink& pages)
    : setup_(std::move(setup))
{
    std::vector<PrintFitColumn> widths;
    for (const BrovexColumn& c : setup_.columns)
        widths.push_back({c.maxWidth, c.border});
    fit_ = fitPrintColumns(widths, setup_.minFontSize);
    for (const PrintedColumn& p : fit_.printed)
        totals_.emplace_back(setup_.columns[p.column].picture);
    report_ = std::make_unique<report::ReportController>(definition(), names_, pages);
}

ListPrintout::~ListPrintout() = default;

namespace {

report::ReportControlDef textControl(std::string name, std::string text, int x, int y, int width,
    const report::FontSpec& font, report::Align align = report::Align::Left)
{
    report::ReportControlDef c;
    c.kind = report::ControlKind::String;
    c.name = std::move(name);
    c.text = std::move(text);
    c.x = x;
    c.y = y;
    c.width = std::max(width, 1);
    c.font = {font.face, font.size, font.bold, font.italic, font.underline};
    c.align = align;
    return c;
}

// A column's text within its print width, moved in from the side it is
// justified to.
report::ReportControlDef columnText(
    std::string name, const PrintedColumn& at, int y, int offset, report::Align align, const report::FontSpec& font)
{
    int x = at.x, width = at.width;
    if (align != report::Align::Center && offset > 0 && offset < width) {
        width -= offset;
        if (align == report::Align::Left)
            x += offset;
    }
    return textControl(std::move(name), {}, x, y, width, font, align);
}

} // namespace

report::ReportDef ListPrintout::definition() const
{
    const int t = fit_.fontSize;
    report::FontSpec font;
    font.face = setup_.fontName;
    font.size = t;
    font.bold = setup_.bold;
    font.italic = setup_.italic;
    report::FontSpec bold = font;
    bold.bold = true;
    report::FontSpec headerFont = font;
    headerFont.bold = setup_.headerStyle >= 700;
    const int lh = report::lineHeight(font);
    const int row = lh + 20;

    report::ReportDef def;
    def.module = "qvls";
    def.name = setup_.title.empty() ? std::string("List") : setup_.title;
    def.page = listPrintPaper(setup_.paperType);
    def.font = font;
    const int pageWidth = def.page.landscape ? def.page.height : def.page.width;
    const int pageHeight = def.page.landscape ? def.page.width : def.page.height;
    const int left = std::max(0, (pageWidth - kListPrintWidth) / 2);

    report::BandDef header;
    header.name = "Header";
    header.x = left;
    header.y = 500;
    header.width = kListPrintWidth;
    header.height = kHeaderRow + lh + 40;
    def.bodyX = left;
    def.bodyY = header.y + header.height;
    def.bodyWidth = kListPrintWidth;
    def.bodyHeight = pageHeight - def.bodyY - 500;

    auto& h = header.controls;
    using report::Align;
    h.push_back(textControl("Title", setup_.title, 0, 0, kListPrintWidth, bold, Align::Center));
    h.push_back(textControl("Line1", setup_.line1, 0, row, kListPrintWidth, font, Align::Center));
    h.push_back(textControl("Line3", setup_.line3, 0, 2 * row, kListPrintWidth, font, Align::Center));
    h.push_back(textControl("DateLabel", "Report Date", 0, row, 1000, font));
    report::ReportControlDef date = textControl("Date", {}, 1000, row, 1100, font);
    date.kind = report::ControlKind::RunDate;
    date.picture = "@d17";
    h.push_back(date);
    h.push_back(
        textControl("Time", expr::format(expr::Value(expr::defaultClock().clock()), "@t7"), 2100, row, 1000, font));
    h.push_back(textControl("PageLabel", "Page", 8300, row, 800, font, Align::Right));
    report::ReportControlDef page = textControl("Page", {}, 9100, row, 700, font, Align::Right);
    page.kind = report::ControlKind::PageNumber;
    page.picture = "@n6";
    h.push_back(page);
    h.push_back(textControl("FontLabel", "Font:", 0, 2 * row, 500, font));
    h.push_back(textControl("Font", setup_.fontName + " " + std::to_string(t) + " Point", 500, 2 * row, 3500, font));
    h.push_back(textControl("Records", {}, 6800, 2 * row, 3000, font, Align::Right));
    h.push_back(textControl("OrderLabel", "Order:", 0, 3 * row, 600, font));
    h.push_back(textControl("Order", clipped(setup_.order), 600, 3 * row, 4200, font));
    h.push_back(textControl("FilterLabel", "Filter:", 4900, 3 * row, 600, font));
    h.push_back(textControl("Filter", clipped(setup_.filter), 5500, 3 * row, 4300, font));

    report::BandDef detail;
    detail.name = "Detail";
    detail.width = kListPrintWidth;
    detail.height = kDetailY + lh + 10;
    report::BandDef totals;
    totals.name = "Totals";
    totals.width = kListPrintWidth;
    totals.height = kDetailY + lh + 60;

    const int lineLength = def.bodyY + def.bodyHeight - (header.y + kHeaderRow);
    for (std::size_t k = 0; k < fit_.printed.size(); ++k) {
        const PrintedColumn& at = fit_.printed[k];
        const BrovexColumn& c = setup_.columns[at.column];
        const int n = static_cast<int>(k) + 1;
        const Align data = printDataAlign(c.fJust);
        report::ReportControlDef value
            = columnText("Detail" + std::to_string(100 + n), at, kDetailY, c.fOffset * 2 * t, data, font);
        detail.controls.push_back(value);
        if (c.border && k + 1 < fit_.printed.size()) {
            report::ReportControlDef line;
            line.kind = report::ControlKind::Line;
            line.name = "Line" + std::to_string(400 + n);
            line.x = at.x + at.width;
            line.y = kHeaderRow;
            line.width = 0;
            line.height = lineLength;
            h.push_back(line);
        }
        report::ReportControlDef title = columnText("Header" + std::to_string(200 + n), at, kHeaderRow,
            c.hOffset * 2 * t, printHeaderAlign(c.hJust), headerFont);
        title.text = clipped(text::trimRight(c.header));
        h.push_back(title);
        if (c.totalOk) {
            value.name = "Total" + std::to_string(300 + n);
            value.y = kDetailY + 40;
            totals.controls.push_back(value);
        }
    }
    def.header = std::move(header);
    def.details.push_back(std::move(detail));
    def.bands.push_back(std::move(totals));
    return def;
}

void ListPrintout::setRecordsText(long count)
{
    report_->setText("Records", std::to_string(count) + " Records");
}

void ListPrintout::printRow(const std::vector<std::string>& cells)
{
    for (std::size_t k = 0; k < fit_.printed.size(); ++k) {
        const BrovexColumn& c = setup_.columns[fit_.printed[k].column];
        const auto field = static_cast<std::size_t>(c.qnos - 1);
        const std::string raw = c.qnos >= 1 && field < cells.size() ? cells[field] : std::string();
        const std::string shown = clipped(text::trimLeft(rt::formatPicture(raw, c.picture)));
        report_->setText("Detail" + std::to_string(100 + k + 1), shown);
        if (c.totalOk)
            totals_[k].add(shown);
    }
    report_->printBand("Detail");
    ++rows_;
}

void ListPrintout::printTotals()
{
    bool any = false;
    for (std::size_t k = 0; k < fit_.printed.size(); ++k)
        if (setup_.columns[fit_.printed[k].column].totalOk && !totals_[k].empty()) {
            report_->setText("Total" + std::to_string(300 + k + 1), totals_[k].text());
            any = true;
        }
    if (any)
        report_->printBand("Totals");
}

void ListPrintout::close()
{
    report_->close();
}

// --- the list's print commands

namespace {

// The list's header text measured as the list box shows it, in dialog units.
int headerTextWidth(const rt::FontDef& font, const BrovexColumn& c)
{
    return rt::textWidth(font, text::trimRight(c.header));
}

std::string orderText(const fw::ViewReader& reader)
{
    const int order = reader.currentOrder();
    if (order < 1 || order > reader.orderCount())
        return {};
    if (const std::string& expression = reader.orderExpression(order); !expression.empty())
        return expression;
    // A key order reads as the expression of its fields.
    const int key = reader.orderKey(order);
    const auto& keys = reader.access().table().def().keys;
    if (key < 0 || key >= static_cast<int>(keys.size()))
        return {};
    std::string fields;
    for (const std::string& field : keys[static_cast<std::size_t>(key)].components)
        fields += (fields.empty() ? "+" : ",+") + field;
    return fields;
}

// The parts a list window filters its view by: the query wizard's and the
// list's own column filters.
std::string filterText(const fw::ViewReader& reader)
{
    std::vector<std::string> parts;
    for (const char* name : {"6 Query", "Brovex"})
        if (const std::string& part = reader.filterText(name); !text::trim(part).empty())
            parts.push_back(part);
    if (parts.size() == 1)
        return parts.front();
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "(" : " AND (") + part + ")";
    return joined;
}

void tellNothing(bool previewing)
{
    const ReportDisplayStrings& s = reportDisplayStrings();
    const std::string& title = previewing ? s.NothingToPrvwTitle : s.NothingToPrntTitle;
    const std::string& said = previewing ? s.NothingToPrvwText : s.NothingToPrntText;
    rt::message(said.empty() ? (previewing ? "Nothing to Preview." : "Nothing to Print.") : said,
        title.empty() ? "NOTE..." : title, rt::Icon::Exclamation);
}

void tellNotPrinted(const rt::PrintResult& result, const std::string& title)
{
    if (!result.printed)
        rt::message(result.error, title, rt::Icon::Exclamation);
}

} // namespace

bool BrovexProcedure::PreviewPrint(report::PageQueue& pages, report::ReportController& report)
{
    return report::PRINTPREVIEW(pages, report::zoom::WholePage, kReportStringsIni, report.name()) == 1;
}

void BrovexList::PrintList(std::string_view kind)
{
    const bool all = kind == "View";
    const bool previewing = all ? allPreview : pagePreview;
    const rt::Window& owner = list_->window();
    const fw::ViewReader& reader = browse_->reader();

    ListPrintSetup setup;
    setup.title = std::string(text::trimRight(owner.title()));
    setup.line1 = rptLine1;
    setup.line3 = rptLine3;
    rt::FontDef font = list_->font();
    if (font.name.empty())
        font = owner.def().font;
    setup.fontName = listPrintFace(font.name);
    setup.bold = font.bold;
    setup.italic = font.italic;
    setup.headerStyle = headerStyle;
    setup.paperType = paperType;
    setup.minFontSize = minFontSize;
    setup.order = orderText(reader);
    setup.filter = filterText(reader);
    const rt::ListSource* loaded = list_->list();
    const long pageRows = loaded ? loaded->rowCount() : 0;
    long total = pageRows;
    if (all) {
        total = static_cast<long>(browse_->reader().view().count());
        if (total < 1 && procedure_)
            total = procedure_->CountRecords();
    }

    ReadColumnState(false);
    for (BrovexColumn& c : sq_) {
        const int widest = MeasureColumn(c);
        const int header = headerTextWidth(list_->font(), c);
        c.maxWidth = widest < header ? header : WidthAllowance(c, widest);
    }
    setup.columns = sq_;
    if (procedure_)
        procedure_->ProcedureHook(setup.order, setup.filter);
    if (setup.columns.empty() || (!all && pageRows == 0)) {
        tellNothing(previewing);
        return;
    }

    const report::PageSetup paper = listPrintPaper(paperType);
    report::PageQueue queue(paper);
    std::optional<report::PrinterSink> printer;
    if (!report::pagesGoToQueue(previewing, 1, false))
        printer.emplace(setup.title, paper);
    report::PageSink& pages = printer ? static_cast<report::PageSink&>(*printer) : queue;
    const std::string title = setup.title;
    ListPrintout printout(std::move(setup), pages);
    maxFontSize = printout.fit().maxFontSize;

    if (all) {
        // The header of every page tells the records of the whole view, not
        // how many were read when its page began.
        printout.setRecordsText(total);
        BrovexProgress progress;
        browse_->forEachRecord([&](const std::vector<std::string>& cells) {
            printout.printRow(cells);
            return progress.step(printout.rowsPrinted(), total);
        });
        progress.close();
        printout.printTotals();
    } else {
        printout.setRecordsText(pageRows);
        std::vector<std::string> cells(static_cast<std::size_t>(loaded->columnCount()));
        for (int r = 0; r < pageRows; ++r) {
            for (int f = 0; f < loaded->columnCount(); ++f)
                cells[static_cast<std::size_t>(f)] = loaded->cell(r, f);
            printout.printRow(cells);
        }
    }
    printout.close();

    if (printout.rowsPrinted() == 0)
        tellNothing(previewing);
    else if (printer)
        tellNotPrinted(printer->close(), title);
    else if (procedure_ && procedure_->PreviewPrint(queue, printout.report()))
        tellNotPrinted(report::printQueue(queue, title), title);
    if (procedure_)
        procedure_->RefreshBrowse();
}

} // namespace qv::qvls
