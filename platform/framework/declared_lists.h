#pragma once
// The lists a window declares besides its own, each a DeclaredList read from
// one entry of a `lists:` sequence (declared_list.h): a form's lists of its
// record's children, a list window's lists of the highlighted row's
// children. A list whose order is limited to a parent follows it: once the
// parent record in the buffer is another one, the list starts again from its
// first row.

#include <memory>
#include <string_view>
#include <vector>

#include "platform/framework/declared_list.h"

namespace qv::fw {

class DeclaredLists
{
public:
    explicit DeclaredLists(WindowController& owner);
    ~DeclaredLists();
    DeclaredLists(const DeclaredLists&) = delete;
    DeclaredLists& operator=(const DeclaredLists&) = delete;

    // Opens a table that the list declared by `list` reads.
    using Opener = std::function<bool(RelationSet&, const YAML::Node& list)>;

    // Reads every entry of `lists` (nothing for none); each names its
    // control (`control:`). Throws as DeclaredList::read does.
    Level read(const YAML::Node& lists, const Opener& open, const DeclaredList::BrowserFactory& make);
    // Each list's own context-menu items: once the window is open.
    void addMenuItems();
    // The list shown by a control ("?Name" or "Name"); nullptr when none.
    DeclaredList* find(std::string_view control) const;
    // Reloads, from the first row, every list whose parent moved since.
    void followParents();

    bool empty() const { return lists_.empty(); }
    // f(list, its declaration) for each list in declaration order.
    template <typename F> void forEach(F&& f) const
    {
        for (const Entry& e : lists_)
            f(*e.list, *e.declaration);
    }

private:
    struct Entry {
        std::unique_ptr<DeclaredList> list;
        std::shared_ptr<const YAML::Node> declaration;
        std::vector<std::string> parent; // the range values the list shows
    };

    WindowController& owner_;
    std::vector<Entry> lists_;
};

} // namespace qv::fw
