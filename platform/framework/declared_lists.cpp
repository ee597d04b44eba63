#include "platform/framework/declared_lists.h"

#include <yaml-cpp/yaml.h>

#include "platform/text/case.h"

namespace qv::fw {

DeclaredLists::DeclaredLists(WindowController& owner)
    : owner_(owner)
{ }

DeclaredLists::~DeclaredLists() = default;

Level DeclaredLists::read(const YAML::Node& lists, const Opener& open, const DeclaredList::BrowserFactory& make)
{
    if (!lists)
        return Benign;
    for (const YAML::Node& node : lists) {
        Entry& e = lists_.emplace_back();
        e.declaration = std::make_shared<const YAML::Node>(node);
        e.list = std::make_unique<DeclaredList>(owner_);
        const auto openFor = [&open, &node](RelationSet& set) { return open(set, node); };
        if (const Level l = e.list->read(node, declaredControl(node["control"]), openFor, make); l != Benign)
            return l;
        e.parent = e.list->reader().rangeValues();
    }
    return Benign;
}

void DeclaredLists::addMenuItems()
{
    for (const Entry& e : lists_)
        e.list->addMenuItems(*e.declaration);
}

DeclaredList* DeclaredLists::find(std::string_view control) const
{
    const std::string wanted
        = control.empty() || control.front() == '?' ? std::string(control) : "?" + std::string(control);
    for (const Entry& e : lists_)
        if (text::equalsNoCase(e.list->controlName(), wanted))
            return e.list.get();
    return nullptr;
}

void DeclaredLists::followParents()
{
    for (Entry& e : lists_) {
        ViewReader& reader = e.list->reader();
        std::vector<std::string> now = reader.rangeValues();
        if (now == e.parent)
            continue;
        e.parent = std::move(now);
        reader.PushFilterToView();
        e.list->browser().scrollTo(ListBrowser::Where::Top);
    }
}

} // namespace qv::fw
