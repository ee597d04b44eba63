#include "qvls/catalogue/explorer_album_list.h"

#include "platform/runtime/procedures.h"
#include "qvls/windows/BrovexAlbums.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrovexAlbums;
} // namespace

ExplorerAlbumList::ExplorerAlbumList()
    : CatalogueList(std::string(W::kWindow))
    , commands_(*this, AlbumCommands::Flaps::FileNumber)
    , query_(*this, W::kWindow, W::Query, W::Reset)
{
    commands_.bind({.albumWizard = W::AlbumWizard, .cddbWizard = W::CddbWizard});
}

fw::Level ExplorerAlbumList::prepareList()
{
    query_.prepare(*this);
    return CatalogueList::prepareList();
}

void ExplorerAlbumList::listOpened()
{
    CatalogueList::listOpened();
    query_.showButtons();
}

fw::Level ExplorerAlbumList::OnEvent(const rt::Event& e)
{
    if (commands_.OnEvent(e.code))
        return fw::Benign;
    return CatalogueList::OnEvent(e);
}

void registerExplorerAlbumList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { ExplorerAlbumList().Execute(); });
}

} // namespace qv::qvls
