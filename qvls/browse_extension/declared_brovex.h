#pragma once
// The list class of a list window's list whose declaration asks for it, the
// window's own or one beside it (`lists:`):
//
//   list:
//     brovex: {mask: 34611200}     # the menu mask; `replace: true` sets the
//                                  # column orders in place of adding to them;
//                                  # `resize: true` lets the properties window
//                                  # move and size the list
//     columns:                     # with the column attributes of brovex_column.h
//
// The list's events are addressed to its list control; one for no control
// goes to the first list class that takes it.
//
// It writes for the window what every list window writes alike: a header
// order (ascending and descending) per sortable column with a locator on its
// field, limited like the window's own order; the choice of the order the
// browse uses (the header sort, "Do not sort", or the window's own); the
// column filters as the browse's filter "Brovex"; the list's events; and the
// layout, restored as the window opens and saved as it closes.

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/locators.h"
#include "platform/framework/window_controller.h"
#include "qvls/browse_extension/brovex_list.h"

namespace YAML {
class Node;
}
namespace qv::fw {
class DeclaredList;
class ListWindow;
} // namespace qv::fw

namespace qv::qvls {

class DeclaredBrovex : public BrovexProcedure
{
public:
    // The list name in ".\POSITION.INI" is the list control's name ("?Browse:1").
    // declaration: the list's, with its `brovex:` and `columns:`.
    DeclaredBrovex(fw::ListWindow& window, fw::DeclaredList& target, const YAML::Node& declaration);
    ~DeclaredBrovex() override;

    // While the window is prepared, after its list and its own orders exist.
    void attach();
    // Once the window has opened.
    void opened();
    // An event of the window; true when the list took it.
    bool OnEvent(const rt::Event& e);
    // As the window closes, while it is still open.
    void closing();
    // The list as designed again (a header sort ends with it).
    void restoreDesign();

    BrovexList& list() { return list_; }
    BrovexFlags& flags() { return flags_; }

    // --- what the window writes for its list
    int AddSortOrder(int n) override;
    std::vector<BrovexColumnDefinition> DefineColumns() override;
    void SetupSortOrders() override;
    void SetOrderExpression(int order, const std::string& expression, bool replace) override;
    long CountRecords() override;
    void RefreshBrowse() override;

private:
    // The order the browse applies, from the one the window asked for.
    int chooseOrder(int requested);

    fw::ListWindow& window_;
    fw::DeclaredList& target_;
    std::vector<BrovexColumnDefinition> definitions_;
    BrovexList list_;
    BrovexFlags flags_;
    bool replace_ = false;
    bool allowResize_ = false;
    std::string listName_;
    std::string visual_;
    int fileOrder_ = 0; // the order of "Do not sort"
    int ownOrder_ = 0; // the window's own order the header orders were set up for
    std::vector<std::unique_ptr<fw::TypedPrefixLocator>> locators_;
    bool opened_ = false;
};

} // namespace qv::qvls
