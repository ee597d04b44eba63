#pragma once
// A list window declared as data. Its window definition's `list:` section
// says what it shows and how it moves; the window's C++ adds only its own
// buttons and rules.
//
//   list:
//     control: List                 # the list control (default List)
//     ...                           # view, orders, columns, buttons, menu: declared_list.h
//     form: UpdateAlbum             # the update procedure, started by name
//     single-instance: true
//     caption: "Albums - "          # the caption: this text, the records of the
//                                   # view's table and " entries", at every refresh
//     mark-tab: true                # the sheet's current tab in bold, three blanks after its text
//     lists:                        # lists beside it, of the highlighted row's children
//       - control: SongList
//         view: Quorvel
//         orders: [{key: "SNG:KeyAlbumID", parent: Album, links: [["SNG:AlbumID", "ALB:AlbumID"]]}]
//         columns: [...]            # as any declared list (declared_list.h)
//
// The list loads its highlighted row into the record buffers, so a list
// beside it whose order is limited to that record (`parent:`) follows the
// highlight: once the window has handled an event that moved it, the list
// starts again from its first row, in whatever order and filters it has
// (each keeps the parent's limit). A list beside it without buttons changes
// nothing and opens only the tables it reads; one with buttons names the
// update procedure they run (`procedure:`).
//
// An order that names a tab of the sheet (`tab:`) is chosen with that tab.
// A single-instance list opened again while it is open (not as a lookup)
// brings the open one forward, restored if it was minimised, and ends
// without a window of its own.

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/declared_lists.h"
#include "platform/framework/toolbar_dispatcher.h"
#include "platform/framework/window_controller.h"
#include "platform/runtime/window_def.h"

namespace qv::fw {

class TableAccess;

class ListWindow : public WindowController
{
public:
    // procedure: the list's name, also its window definition's name in module.
    ListWindow(std::string module, std::string procedure);
    ~ListWindow() override;

    using Buttons = ListButtons;

    ListBrowser& browser() const { return list_->browser(); }
    // The definition's `list:` section, once the window is loaded.
    const YAML::Node& declaration() const;
    ViewReader& reader() const { return list_->reader(); }
    // The list control's name ("?List"), known once the window is loaded.
    const std::string& listControlName() const { return listControl_; }
    // The window's own list, and a list beside it by its control's name
    // (nullptr when it declares none of that name).
    DeclaredList& list() const { return *list_; }
    DeclaredList* besideList(std::string_view control) const { return beside_.find(control); }
    const DeclaredLists& besideLists() const { return beside_; }

    Level Prepare() override;
    Level OnEvent(const rt::Event& e) override;
    Level OnWindowEvent(const rt::Event& e) override;
    Level OnNewSelection(int control) override;
    void RunEventLoop() override;
    void Refresh() override;
    void CleanUp() override;

    // The lists open now that keep to one instance, with their threads.
    struct Instance {
        std::string procedure;
        int thread = 0;
    };
    static const std::vector<Instance>& singleInstances();
    static void forgetSingleInstances();

protected:
    // The program's own kind of list browser; the framework's by default.
    virtual std::unique_ptr<ListBrowser> makeBrowser(
        ViewReader& reader, const std::string& listControl, const Buttons& buttons);
    // The list's own set-up before the window opens, and after.
    virtual Level prepareList() { return Benign; }
    virtual void listOpened() { }
    // The list takes the order of the tab its sheet shows now (after a
    // remembered tab came back).
    void followCurrentTab();

private:
    Level readDeclaration(const YAML::Node& list);
    void followTab(const rt::Control& sheet);
    // The order of the tab the sheet shows, 0 when no order names it.
    int tabOrder(const rt::Control& sheet) const;
    bool takenByOpenInstance();
    bool openData(RelationSet& set, bool readOnly);
    rt::Control* orderSheet() const;
    void markCurrentTab();
    void showCount();

    std::string module_;
    std::shared_ptr<const YAML::Node> declaration_;
    std::string listControl_ = "?List";
    std::unique_ptr<DeclaredList> list_;
    DeclaredLists beside_{*this};
    std::vector<RelationSet*> openSets_; // closed as the window goes
    std::vector<TableAccess*> openTables_; // those of a list without a form
    bool readOnly_ = false;
    ToolbarDispatcher toolbar_;
    std::string form_;
    bool singleInstance_ = false;
    bool registered_ = false;
    bool countCaption_ = false;
    std::string caption_;
    bool markTab_ = false;
    rt::Control* marked_ = nullptr; // the tab now in bold, with its own font
    rt::FontDef markedFont_;
};

} // namespace qv::fw
