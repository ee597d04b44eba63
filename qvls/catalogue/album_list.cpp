#include "qvls/catalogue/album_list.h"

#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/windows/BrowseAlbums.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrowseAlbums;
} // namespace

AlbumList::AlbumList()
    : CatalogueList(std::string(W::kWindow))
    , commands_(*this, AlbumCommands::Flaps::Album)
    , query_(*this, W::kWindow, W::Query, W::Reset)
{
    commands_.bind({.albumWizard = W::AlbumWizard, .cddbWizard = W::CddbWizard, .print = W::Print, .play = W::Play});
    onAccepted(W::SelectCategory, [this] { category_.choose(*this); });
    onAccepted(W::SelectCategoryArtist, [this] { category_.choose(*this); });
}

fw::Level AlbumList::prepareList()
{
    category_.limit(reader(), "ALB:KEYCATEGORY", "ALB:CategoryID");
    category_.limit(reader(), "ALB:KEYCATEGORYARTIST", "ALB:CategoryID");
    query_.prepare(*this);
    return CatalogueList::prepareList();
}

void AlbumList::listOpened()
{
    CatalogueList::listOpened();
    query_.showButtons();
}

fw::Level AlbumList::OnEvent(const rt::Event& e)
{
    if (commands_.OnEvent(e.code))
        return fw::Benign;
    return CatalogueList::OnEvent(e);
}

void registerAlbumList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { AlbumList().Execute(); });
}

} // namespace qv::qvls
