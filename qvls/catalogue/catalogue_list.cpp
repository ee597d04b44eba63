#include "qvls/catalogue/catalogue_list.h"

#include "platform/runtime/window.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"

namespace qv::qvls {

CatalogueList::CatalogueList(std::string procedure)
    : List(std::move(procedure))
{ }

void CatalogueList::restoreLayout()
{
    store_.init(glo().positionFile.empty() ? kPositionFile : std::string_view(glo().positionFile));
    const bool keepsTab = window().control(ListFormatSaver::kSheet) != nullptr;
    saver_ = std::make_unique<ListFormatSaver>(
        store_, name(), std::vector<std::string>{browser().listControl()->name()}, keepsTab);
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
