#include "qvls/catalogue/explorer_song_list.h"

#include "platform/runtime/procedures.h"
#include "qvls/windows/BrovexSongs.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrovexSongs;
} // namespace

ExplorerSongList::ExplorerSongList()
    : CatalogueList(std::string(W::kWindow))
    , commands_(*this)
    , query_(*this, W::kWindow, W::Query, W::Reset)
{
    onAccepted(W::Print, [this] { print(); });
    commands_.bind({.import = W::Import, .export_ = W::Export});
}

fw::Level ExplorerSongList::OnEvent(const rt::Event& e)
{
    commands_.keepCopy(e, W::Copy);
    const fw::Level l = CatalogueList::OnEvent(e);
    commands_.dropCopy();
    return l;
}

int ExplorerSongList::CallUpdateProcedure(int number, int request)
{
    commands_.giveCopy(request);
    return CatalogueList::CallUpdateProcedure(number, request);
}

fw::Level ExplorerSongList::prepareList()
{
    query_.prepare(*this);
    commands_.prepare();
    return CatalogueList::prepareList();
}

void ExplorerSongList::listOpened()
{
    CatalogueList::listOpened();
    query_.showButtons();
}

void ExplorerSongList::print()
{
    // Every song the list reads, in its order and columns, through the previewer.
    if (DeclaredBrovex* b = brovex())
        b->list().PrintList("View");
}

void registerExplorerSongList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { ExplorerSongList().Execute(); });
}

} // namespace qv::qvls
