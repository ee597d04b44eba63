#pragma once
// A list printed as the list box shows it: its shown columns scaled to the
// page, one line per record, a page header that tells what was printed, and
// the sums of the columns marked for totals.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/expr/decimal.h"
#include "platform/expr/expression.h"
#include "platform/report/page.h"
#include "platform/report/report_controller.h"
#include "qvls/browse_extension/brovex_column.h"

namespace qv::qvls {

// The width the report's columns share, in thousandths of an inch.
inline constexpr int kListPrintWidth = 9800;

// One shown column as the fit sees it: its width in dialog units (its
// widest value or its header, with what the column needs besides) and
// whether a border follows it.
struct PrintFitColumn {
    int width = 0;
    bool border = false;
};

// A printed column: its place among the shown columns (0-based) and where
// it lands across the page.
struct PrintedColumn {
    std::size_t column = 0;
    int x = 0, width = 0;
};

struct PrintFit {
    int maxFontSize = 8; // 8, or the smallest size once the columns were too wide at 8 points
    int fontSize = 8; // the size the list prints in
    std::vector<PrintedColumn> printed; // left to right; the others are left out of the printout
};

// Columns too wide for the page at the smallest size are left out from the
// right, then any that would print narrower than nothing; the first column
// always stays and is clipped to the page. The font is the largest even
// size from 8 points down at which the columns fit.
PrintFit fitPrintColumns(const std::vector<PrintFitColumn>& columns, int minFontSize);

// The face a list's font prints in: the screen's bitmap face in its outline
// twin, and a list without a face of its own in the reports' face.
std::string listPrintFace(std::string_view listFace);

// A column's data and header justification on paper. A decimal column's
// values line up on the right, and its header with them.
report::Align printDataAlign(char fJust);
report::Align printHeaderAlign(char hJust);

// A totalled column's running sum of the values as printed: each text is
// read back through the column's picture, so "1,234.50" adds 1234.5.
class PrintTotal
{
public:
    explicit PrintTotal(std::string picture)
        : picture_(std::move(picture))
    { }
    void add(const std::string& printed);
    bool empty() const { return empty_; }
    // The sum through the picture.
    std::string text() const;

private:
    std::string picture_;
    expr::Decimal sum_;
    bool empty_ = true;
};

// What a list printout shows besides its rows.
struct ListPrintSetup {
    std::string title, line1, line3;
    std::string order, filter;
    std::string fontName; // the list box's font
    bool bold = false, italic = false;
    long headerStyle = 400; // the headers' weight
    int paperType = 1;
    int minFontSize = 6;
    // The shown columns, left to right, each with its fit width in maxWidth.
    std::vector<BrovexColumn> columns;
};

// One run of the printout into a page sink: the report laid out for the
// columns, then rows, then the totals.
class ListPrintout
{
public:
    ListPrintout(ListPrintSetup setup, report::PageSink& pages);
    ~ListPrintout();

    const PrintFit& fit() const { return fit_; }
    report::ReportController& report() { return *report_; }

    // The rows' count as the page header tells it ("12 Records").
    void setRecordsText(long count);
    // A row of the list queue (its fields in list-queue order).
    void printRow(const std::vector<std::string>& cells);
    long rowsPrinted() const { return rows_; }
    // The totals band, when a column is totalled and a row was printed; then
    // the last page ends.
    void printTotals();
    void close();

private:
    report::ReportDef definition() const;

    ListPrintSetup setup_;
    PrintFit fit_;
    expr::NameTable names_;
    std::unique_ptr<report::ReportController> report_;
    std::vector<PrintTotal> totals_; // per printed column
    long rows_ = 0;
};

// The paper for a paper setting: 1 Letter, 5 Legal, 9 A4; turned sideways
// when the report's width does not fit it upright.
report::PageSetup listPrintPaper(int paperType);

} // namespace qv::qvls
