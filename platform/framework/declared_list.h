#pragma once
// A list declared as data in a window definition: the view it reads, its
// orders with their locators and thumbs, its columns, its buttons, its
// context menu and, for lists of detail lines, its rows edited in place. A
// list window shows one; a form may show several lists of its record's
// children.
//
//   view: Album                   # the table the rows come from, by label
//   join: [{table: Categories, key: "CAT:KeyCategoryID", on: ["ALB:CategoryID"]}]
//   rows: 12                      # rows of a page (default: what the control's height shows)
//   orders:                       # the first is used at first
//     - {key: "ALB:KeyTitle", tab: TitleTab, locator: prefix, entry: LocateTitle, thumb: letters}
//     - {key: "ADT:K_Album", parent: Album, links: [["ADT:AlbumID", "ALB:AlbumID"]]}
//   columns:
//     - {field: "ALB:Title", width: 160, header: Title, picture: "@s40"}
//     - {computed: Time, width: 23, header: Time, picture: "@s8"}   # text the window makes
//   buttons: {insert: Insert, change: Change, delete: Delete, select: Select, close: Close}
//   menu: [{text: "Album Wi&zard", press: Wizard}, separator, {text: "Create &Label", event: 1547}]
//   in-place: [[EditLabel, "ADT:DATALABEL"], [EditValue, "ADT:DATAVALUE"]]
//
// Locators: "prefix" locates on the characters typed so far, "jump" on the
// last letter typed. Thumbs: "letters", "alphanumeric", "number",
// "decimal". Column alignment: left (default), right, center, with an
// optional indent; a header may align on its own (header-align,
// header-indent).
//
// A form's list also names its control and the form's update procedure its
// buttons run:
//   control: SongList
//   procedure: 3

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/context_menu.h"
#include "platform/framework/in_place_edit.h"
#include "platform/framework/list_browser.h"
#include "platform/framework/locators.h"
#include "platform/framework/thumb_step.h"
#include "platform/framework/view_reader.h"

namespace YAML {
class Node;
}
namespace qv::tables {
class Record;
class View;
} // namespace qv::tables

namespace qv::fw {

class RelationSet;
class WindowController;

struct ListButtons {
    std::string insert, change, delete_, select, print, view, copy, close; // control names, "" for none
};

class DeclaredList
{
public:
    // Opens a table the list reads; false when it cannot be opened.
    using Opener = std::function<bool(RelationSet&)>;
    // The kind of list browser the window wants.
    using BrowserFactory
        = std::function<std::unique_ptr<ListBrowser>(ViewReader&, const std::string& listControl, const ListButtons&)>;

    struct Order {
        int number = 0;
        std::string tab; // "?Name" of the sheet's tab that shows this order, or ""
        std::unique_ptr<Locator> locator;
        std::unique_ptr<ThumbStep> thumb;
    };

    explicit DeclaredList(WindowController& owner);
    ~DeclaredList();
    DeclaredList(const DeclaredList&) = delete;
    DeclaredList& operator=(const DeclaredList&) = delete;

    // Reads the declaration against the owner's loaded window and adds the
    // browser (and its in-place editing) to the owner's components. Throws
    // std::invalid_argument for a declaration that names what is not there;
    // Fatal when a table cannot be opened.
    Level read(const YAML::Node& list, std::string listControl, const Opener& open, const BrowserFactory& make);
    // The declaration's own context-menu items, after those of the buttons:
    // once the window is open.
    void addMenuItems(const YAML::Node& list);

    const std::string& controlName() const { return control_; }
    ListBrowser& browser() const { return *browser_; }
    ViewReader& reader() const { return *reader_; }
    ContextMenu& menu() const { return *menu_; }
    const ListButtons& buttons() const { return buttons_; }
    const std::vector<Order>& orders() const { return orders_; }
    InPlaceEditManager* inPlace() const { return inPlace_.get(); }
    // The 0-based column of a computed column, by the name it was declared with.
    int computedColumn(std::string_view name) const;

private:
    WindowController& owner_;
    std::string control_;
    std::unique_ptr<tables::View> view_;
    std::unique_ptr<ViewReader> reader_;
    std::unique_ptr<ListBrowser> browser_;
    std::unique_ptr<InPlaceEditManager> inPlace_;
    std::unique_ptr<ContextMenu> menu_;
    std::vector<Order> orders_;
    ListButtons buttons_;
    std::map<std::string, int> computed_;
};

// "?Name" for a control named in a declaration.
std::string declaredControl(const YAML::Node& n);

} // namespace qv::fw
