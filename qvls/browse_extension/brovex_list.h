#pragma once
// The list class: everything a list window's list gives beyond paging. Its
// columns can be moved, removed, resized and restyled, and are remembered per
// window in ".\POSITION.INI"; a click on a header sorts on that column (again:
// the other way round); right-click menus hold column and list commands,
// filters on the highlighted value, printing, export and graphs.
//
// One object serves one list. The window that owns it supplies what only it
// knows through a BrovexProcedure (its sort orders, its columns, its record
// count) and calls the object in a fixed order: AttachBrowse while the window
// is prepared, then BindColumnRange per column and PrepareSortOrders;
// RestoreLayout once it has opened; the list's events while it runs;
// ClearSortMark, SaveLayout and Release as it closes.

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/framework/ini_store.h"
#include "platform/framework/query_dialog.h"
#include "platform/runtime/list_box.h"
#include "qvls/browse_extension/brovex_column.h"
#include "qvls/browse_extension/brovex_graph.h"

namespace qv::rt {
class Control;
class Window;
} // namespace qv::rt
namespace qv::report {
class PageQueue;
class ReportController;
} // namespace qv::report
namespace qv::fw {
class ContextMenu;
class ListBrowser;
class WindowController;
} // namespace qv::fw

namespace qv::qvls {

// The window's own variables that the object reads and sets.
struct BrovexFlags {
    int viewOrder = 0; // 1: the browse uses the order this object chose
    int fileOrder = 0; // 1: "Do not sort" (records in file order)
    int sortColumn = 0; // the sort column's place among the shown columns; 0 none
    long mask = 0; // which column and list-box commands the menus offer
    std::string titleText; // the title template of the "Text Bar" mark
};

// What the window that owns the list writes for it.
class BrovexProcedure
{
public:
    virtual ~BrovexProcedure() = default;
    // Adds one sort order to the browse for the n-th sortable column, with a
    // locator on its field; answers the order's number.
    virtual int AddSortOrder(int n) = 0;
    // The columns the list offers, in the order of their list-queue fields.
    virtual std::vector<BrovexColumnDefinition> DefineColumns() = 0;
    // Adds each sortable column's order expressions again for the window's
    // present order (its tab): the window calls it after its order changed.
    virtual void SetupSortOrders() = 0;
    // Sets an order's expression ("-UPPER(SNG:Title)"), or appends it after a comma.
    virtual void SetOrderExpression(int order, const std::string& expression, bool replace) = 0;
    // The column the list now sorts on.
    virtual void ColumnChanged(const BrovexColumn&) { }
    // Records of the browse's view (for progress), or of its table.
    virtual long CountRecords() = 0;
    // Lets the window change the order and filter texts printed in a list's page header.
    virtual void ProcedureHook(std::string& /*order*/, std::string& /*filter*/) { }
    // Shows a printout's pages in the previewer; true when they are to be
    // printed. The window may print them itself and answer false.
    virtual bool PreviewPrint(report::PageQueue& pages, report::ReportController& report);
    // The browse chooses its order again and reloads.
    virtual void RefreshBrowse() = 0;
    // Counts one row of the view into a graph's categories: by default under
    // the value of its list-queue field `column` as `picture` shows it.
    virtual void AddGraphValue(
        BrovexGraphCategories& categories, const std::vector<std::string>& row, int column, const std::string& picture);
};

// The list as designed, and a working copy for the properties window.
struct BrovexListSettings {
    std::string origFormatString;
    int xPos = 0, yPos = 0, height = 0, width = 0;
    int lineHeight = 0;
    bool hScroll = false, vScroll = false;
    std::string font;
    int point = 0;
    long color = -1;
    long style = 0;
    int currentCol = 0;
    bool allowBBResize = false;
};

class BrovexList
{
public:
    // Library events the list's window receives.
    enum Event {
        kPressHeader = 1025,
        kReleaseLeft = 1026,
        kEndHeaderPress = 1028,
        kRightDown = 1029,
        kReleaseRight = 1030,
        kSortChanged = 1031,
        kDragHeader = 1032,
        kMoveLeft = 1034,
        kMoveRight = 1035,
        kResetToDefault = 1036,
        kListProperties = 1045,
        kColumnWidth = 1046,
        kHeaderOffset = 1047,
        kDataOffset = 1048,
        kHeaderText = 1050,
        kListX = 1055,
        kListY = 1056,
        kListWidth = 1057,
        kListHeight = 1058,
        kListFont = 1059,
        kLineHeight = 1060,
        kColumnColors = 1063,
        kRemoveColumn = 1065,
        kBestFit = 1067,
        kSortOn = 1068,
        kPrintPage = 1069,
        kPrintAll = 1070,
        kGraph = 1071,
        kExportCsv = 1072,
        kExportHtml = 1073,
        kAddFilterEqual = 1074,
        kAddFilterBelow = 1075,
        kAddFilterAbove = 1076,
        kAddFilterNotEqual = 1077,
        kUserFilter = 1078,
        kCancelFilter = 1079,
        kFilterEqualToggle = 1080,
        kOpened = 1082,
    };
    // Menu mask bits.
    static constexpr long kMaskMoveColumns = 8192;
    static constexpr long kMaskListProperties = 1048576;
    static constexpr long kMaskFont = 33554432;

    BrovexList();
    ~BrovexList();
    BrovexList(const BrovexList&) = delete;
    BrovexList& operator=(const BrovexList&) = delete;

    // --- the call order
    // Binds the object to the window's browse and list control; loads the
    // procedure's column definitions. visual: ">Header", "Underline" or
    // "Text Bar"; iniFile: ".\POSITION.INI".
    void AttachBrowse(BrovexProcedure& procedure, fw::WindowController& controller, fw::ListBrowser& browse,
        BrovexFlags& flags, rt::Control& list, std::string visual, std::string iniFile);
    // Gives every sortable column its two browse orders with their expressions.
    void PrepareSortOrders(bool replace);
    void RestoreLayout(std::string_view procedure, std::string_view listName);
    void SaveLayout(std::string_view procedure, std::string_view listName, int sortColumn, int direction);
    void Release();

    // --- columns and the list format
    // Reads the definitions into the all-columns and shown-columns queues.
    void LoadColumnDefinitions(const std::vector<BrovexColumnDefinition>& definitions);
    // Sort parts of columns that sort on other fields than their own, and
    // parts appended to the orders (after LoadColumnDefinitions).
    void LoadSortDefinitions(const std::vector<BrovexSortDefinition>& sorts, const BrovexAppendedParts& appended);
    void AddViewFormat(int view);
    // The list format made from the shown columns, given to the list.
    void BuildFormat();
    // The shown columns made again from a format.
    void ParseFormat(std::string_view format);
    // The shown columns brought up to date with what the list shows now.
    void ReadColumnState(bool keep);
    void ResetToDefault();
    void ReadListSettings();
    void SwitchView(int view);

    // --- sorting
    // Gives a browse order the expression of a column in a direction (0
    // ascending, 1 descending): set in its place, or appended to it.
    void AddOrderExpression(const BrovexColumn& column, int order, bool replace, int direction);
    void ToggleSort();
    int CurrentSortOrder();
    void ShowSortMark();
    void ClearSortMark();
    void HeaderClick(bool message);
    void HeaderSortMenu();

    // --- events, commands
    // The library's own events (1025 to 1080); true when handled.
    bool HandleEvent(int event);
    // Routes an event of the list's window as its procedure does: the sort
    // and header events, the alert keys, then HandleEvent. True when handled.
    bool TakeEvent(int event, int keyCode = 0);
    void MoveColumnLeft();
    void MoveColumnRight();
    void RemoveColumn();
    void ApplyColumnCommand(std::string_view code);
    void ApplyHeaderJustification();
    void ApplyDataJustification();
    void ToggleColumnSelect();
    void BestFitAllColumns();
    // A double-click: true when it fitted a column or fell on the header.
    bool FitColumnOnDoubleClick();

    // --- the menus
    // Appends the library's submenus to the browse's right-click menu, once
    // the browse's own items are there.
    void ShowListMenu();
    // The menu brought up to date for the current column.
    void UpdateListMenu();
    // As a right click is about to open the menu: false on the header.
    bool BeforeListMenu();
    // The menu under the highlighted column (column selection), from the keyboard.
    void ShowColumnMenu();

    // --- the small column windows
    // One number of the column under the last press ("WID", "HOS", "DOS") or
    // of the list ("XPS", "YPS", "BWI", "BHI", "LHI"), shown as it changes.
    void EditAttribute(std::string_view code);
    // "HDR": the header text of the column under the last press.
    void EditHeaderText(std::string_view code);
    // The four colours of the current column, shown as they are chosen.
    void EditColumnColors();
    // The list's font, chosen in the font dialog from the working settings.
    void ChooseListFont();
    // The "List Properties" window: the shown fields, their order and
    // settings, and the list's own, each shown on the list as it changes.
    void EditListProperties();
    // A colour's value by its name (-1 "None"), and its name and place
    // (1-based) in the drop lists; either leaves its answer alone for a
    // name or value the 17 colours do not hold.
    static void ColorFromName(std::string_view name, long& value);
    static void ColorName(long value, std::string& name, int& position);

    // --- print
    // kind "View": every record of the view, by default through the
    // previewer; "Page": the rows loaded in the list, by default straight to
    // the printer. The shown columns are scaled to the page.
    void PrintList(std::string_view kind);

    // --- export
    // Every record of the view through the shown columns, into a file the
    // user chooses (remembered while the list lives), opened afterwards by
    // the desktop when shellExecute is on. CSV values holding a quote or the
    // separator are quoted as CSV readers expect; HTML text is escaped.
    void ExportCsv();
    void ExportHtml();

    // --- graphs
    // Every record of the view counted by the current column's value and
    // shown as a bar graph, unless there are fewer than two categories or
    // more than fifty.
    void GraphColumn();
    // The "Preferences" window: the graph colours in their order and the
    // legend font, kept in the list's INI file.
    void EditPreferences();

    // --- column filters
    // The "Filter" window: an operator and a typed value on the current column.
    void UserFilter();
    // The filter the browse applies as "Brovex".
    std::string FilterText() const;
    const fw::QueryDialog& query() const { return query_; }

    // --- state
    const std::vector<BrovexColumn>& shown() const { return sq_; }
    const std::vector<BrovexColumn>& all() const { return fq_; }
    const std::vector<BrovexViewFormat>& views() const { return forq_; }
    const BrovexListSettings& design() const { return def_; }
    BrovexListSettings& workingSettings() { return pars_; }
    // Lets the properties window move and size the list (before RestoreLayout).
    void allowListResize(bool on) { def_.allowBBResize = on; }
    BrovexFlags& flags() const { return *flags_; }
    rt::Control& listControl() const { return *list_; }
    int currentCol() const { return currentCol_; }
    void setCurrentCol(int column) { currentCol_ = column; }
    int sortQnos() const { return qnos_; }
    bool ignoreEvent() const { return ignoreEvent_; }
    // The window controller leaves one event unhandled after the header menu.
    bool takeIgnoreEvent();
    bool headerPressed() const { return pressed_; }
    bool headerDragging() const { return dragging_; }

    // Settings a window may change before RestoreLayout.
    bool includeHeader = false;
    int lhCol4Moving = 1;
    bool upper = true;
    bool graph = true, printView = true, printPage = true;
    std::string asciiFileName = "BvOut.CSV", htmlFileName = "BvOut.HTM";
    std::string separator = ",";
    bool browseHeader = true, shellExecute = true;
    int ascDesc = 0; // the direction a column takes when it becomes the sort column
    int maxFontSize = 9, minFontSize = 6;
    int paperType = 1;
    bool allPreview = true, pagePreview = false;
    long headerStyle = 400;
    bool filterShared = false, filterEqual = false;
    std::string rptLine1, rptLine3;
    std::string sValue; // typed in the "Filter" window
    std::string symbol = "EQ";
    int lastEvent = 0;

private:
    friend class ListPropertiesWindow;
    // The menu's "List Properties": the window, then the sort column found again.
    void ListPropertiesCommand();
    BrovexColumn* shownAt(int seq);
    BrovexColumn* allByQnos(int qnos);
    void addShown(const BrovexColumn& column);
    void storeShown(const BrovexColumn& column);
    void LayoutColumns();
    void setHeaderText(int seq, const std::string& text);
    void endPress();
    // The list hook: what the mouse did becomes the library's events.
    void onMouse(rt::ListMouse what, const rt::ListHit& at);
    void post(int event);
    void PressHeader();
    void DragHeader();
    void RightButtonDown();
    void addFilter(int event);
    std::string highlightedValue(const BrovexColumn& column) const;
    // The widest of the column's values on the loaded page, in dialog units.
    int MeasureColumn(const BrovexColumn& column) const;
    // What a column needs besides its widest value: offsets, an icon, a border.
    static int WidthAllowance(const BrovexColumn& column, int width);
    enum class ExportKind { Csv, Html };
    void Export(ExportKind kind);
    // A row's value as the column shows it, without its padding.
    static std::string exportValue(const BrovexColumn& column, const std::vector<std::string>& cells);

    BrovexProcedure* procedure_ = nullptr;
    fw::WindowController* controller_ = nullptr;
    fw::ListBrowser* browse_ = nullptr;
    BrovexFlags* flags_ = nullptr;
    rt::Control* list_ = nullptr;
    fw::IniStore ini_;
    std::string visual_;
    fw::QueryDialog query_;
    BrovexGraphCategories qsel_;

    std::vector<BrovexColumn> fq_; // every column, by list-queue field
    std::vector<BrovexColumn> sq_; // the shown columns, left to right
    std::vector<BrovexSortPart> soq_, aoq_;
    std::vector<BrovexViewFormat> forq_;
    int currentView_ = 1;
    bool applyAll_ = false;
    BrovexListSettings def_, pars_;
    int listType_ = 0;
    int currentCol_ = 0;
    int hPos_ = 0;
    int qnos_ = 0; // list-queue field of the sort column
    bool ignoreEvent_ = false;
    bool restoreHeader_ = false;
    std::string hdrToken_ = ">";
    std::string ascToken_ = ">", descToken_ = "<";

    // A header press, from the press to the release.
    bool pressed_ = false;
    bool dragging_ = false;
    int pressX_ = 0; // where the press went down, list pixels
    int pressLeft_ = 0, pressWidth_ = 0; // the pressed column, list pixels
    int headerHeight_ = 0;
    int lastDragX_ = 0;
    std::string dragText_;

    // The menu and the names its items were given.
    fw::ContextMenu* menu_ = nullptr;
    struct MenuNames {
        std::string output, printAll, printPage, ascii, html, graph, sortOn;
        std::string filterEqual, filterNotEqual, filterBelow, filterAbove, equalToggle;
        std::map<std::string, std::string> items; // column and list-box items by their code
    } names_;
};

} // namespace qv::qvls
