#include "qvls/catalogue/catalogue_list.h"

#include <yaml-cpp/yaml.h>

#include "platform/runtime/window.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"

namespace qv::qvls {

CatalogueList::CatalogueList(std::string procedure)
    : List(std::move(procedure))
{ }

fw::Level CatalogueList::prepareList()
{
    if (const YAML::Node brovex = declaration()["brovex"]) {
        brovex_ = std::make_unique<DeclaredBrovex>(*this, brovex);
        brovex_->attach();
    }
    return List::prepareList();
}

void CatalogueList::restoreLayout()
{
    if (brovex_)
        brovex_->opened();
    // What the list remembers: `remember: [tab, layout]` in its declaration.
    bool tab = false, layout = false;
    for (const YAML::Node& what : declaration()["remember"]) {
        const std::string w = what.as<std::string>();
        tab = tab || w == "tab";
        layout = layout || w == "layout";
    }
    tab = tab && window().control(ListFormatSaver::kSheet) != nullptr;
    // The list class keeps its own layout.
    layout = layout && !brovex_;
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
    if (brovex_)
        brovex_->closing();
    if (saver_)
        saver_->Save(window());
}

fw::Level CatalogueList::OnEvent(const rt::Event& e)
{
    if (brovex_ && brovex_->OnEvent(e))
        return fw::Benign;
    if (saver_ && e.code == rt::event::AlertKey && saver_->onAlertKey(window(), e.keyCode))
        return fw::Benign;
    return List::OnEvent(e);
}

} // namespace qv::qvls
