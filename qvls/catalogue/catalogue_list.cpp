#include "qvls/catalogue/catalogue_list.h"

#include <yaml-cpp/yaml.h>

#include "platform/runtime/window.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"

namespace qv::qvls {

CatalogueList::CatalogueList(std::string procedure)
    : List(std::move(procedure))
{ }

void CatalogueList::restoreLayout()
{
    // What the list remembers: `remember: [tab, layout]` in its declaration.
    bool tab = false, layout = false;
    for (const YAML::Node& what : declaration()["remember"]) {
        const std::string w = what.as<std::string>();
        tab = tab || w == "tab";
        layout = layout || w == "layout";
    }
    tab = tab && window().control(ListFormatSaver::kSheet) != nullptr;
    if (!tab && !layout)
        return;
    store_.init(glo().positionFile.empty() ? kPositionFile : std::string_view(glo().positionFile));
    std::vector<std::string> lists;
    if (layout)
        lists.push_back(browser().listControl()->name());
    saver_ = std::make_unique<ListFormatSaver>(store_, name(), std::move(lists), tab);
    saver_->Restore(window());
}

void CatalogueList::saveLayout()
{
    if (saver_)
        saver_->Save(window());
}

fw::Level CatalogueList::OnEvent(const rt::Event& e)
{
    if (saver_ && e.code == rt::event::AlertKey && saver_->onAlertKey(window(), e.keyCode))
        return fw::Benign;
    return List::OnEvent(e);
}

} // namespace qv::qvls
