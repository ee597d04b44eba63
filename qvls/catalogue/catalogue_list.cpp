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
    ownBrovex_ = static_cast<bool>(declaration()["brovex"]);
    if (ownBrovex_)
        brovex_.push_back(std::make_unique<DeclaredBrovex>(*this, list(), declaration()));
    besideLists().forEach([this](fw::DeclaredList& beside, const YAML::Node& declared) {
        if (declared["brovex"])
            brovex_.push_back(std::make_unique<DeclaredBrovex>(*this, beside, declared));
    });
    for (const auto& b : brovex_)
        b->attach();
    return List::prepareList();
}

void CatalogueList::restoreLayout()
{
    for (const auto& b : brovex_)
        b->opened();
    // What the list remembers: `remember: [tab, layout]` in its declaration.
    bool tab = false, layout = false;
    for (const YAML::Node& what : declaration()["remember"]) {
        const std::string w = what.as<std::string>();
        tab = tab || w == "tab";
        layout = layout || w == "layout";
    }
    tab = tab && window().control(ListFormatSaver::kSheet) != nullptr;
    // The list class keeps its own layout.
    std::vector<std::string> lists;
    if (layout && !ownBrovex_)
        lists.push_back(browser().listControl()->name());
    if (layout)
        besideLists().forEach([&lists](const fw::DeclaredList& beside, const YAML::Node& declared) {
            if (!declared["brovex"])
                lists.push_back(beside.controlName());
        });
    if (!tab && lists.empty())
        return;
    store_.init(glo().positionFile.empty() ? kPositionFile : std::string_view(glo().positionFile));
    saver_ = std::make_unique<ListFormatSaver>(store_, name(), std::move(lists), tab);
    saver_->Restore(window());
}

void CatalogueList::saveLayout()
{
    for (const auto& b : brovex_)
        b->closing();
    if (saver_)
        saver_->Save(window());
}

fw::Level CatalogueList::OnEvent(const rt::Event& e)
{
    // The window's own list first: an event for no list in particular is its.
    for (const auto& b : brovex_)
        if (b->OnEvent(e))
            return fw::Benign;
    if (saver_ && e.code == rt::event::AlertKey && saver_->onAlertKey(window(), e.keyCode)) {
        // The lists the class keeps go back to their design as well, when they show.
        for (const auto& b : brovex_)
            if (ListFormatSaver::visible(b->list().listControl()))
                b->restoreDesign();
        applyDatePictures();
        return fw::Benign;
    }
    return List::OnEvent(e);
}

} // namespace qv::qvls
