#include "qvls/catalogue/albums_and_songs.h"

#include <string>

#include "platform/framework/list_browser.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/catalogue/album_songs.h"
#include "qvls/catalogue/song_commands.h"
#include "qvls/core/display.h"
#include "qvls/core/globals.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/BrowseAlbumsAndSongs.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrowseAlbumsAndSongs;
} // namespace

AlbumsAndSongsList::AlbumsAndSongsList()
    : CatalogueList(std::string(W::kWindow))
    , commands_(*this, AlbumCommands::Flaps::Album)
    , query_(*this, W::kWindow, W::Query, W::Reset)
{
    commands_.bind({.albumWizard = W::Wizard, .cddbWizard = W::CddbWizard});
    onAccepted(W::SelectCategory, [this] { category_.choose(*this); });
    onAccepted(W::SelectCategoryArtist, [this] { category_.choose(*this); });
    onAccepted(W::Play, [this] { playHighlightedSong(songs().browser()); });
    onAccepted(W::EditAllSongs, [this] { editAllSongs(); });
}

fw::DeclaredList& AlbumsAndSongsList::songs() const
{
    return *besideList(W::List.name);
}

fw::Level AlbumsAndSongsList::prepareList()
{
    category_.limit(reader(), "ALB:KEYCATEGORY", "ALB:CategoryID");
    category_.limit(reader(), "ALB:KEYCATEGORYARTIST", "ALB:CategoryID");
    query_.prepare(*this);
    fw::DeclaredList& list = songs();
    list.browser().setComputed(list.computedColumn("FormattedTime"), [] {
        SongTimeText();
        return glo().songTimeText;
    });
    return CatalogueList::prepareList();
}

void AlbumsAndSongsList::listOpened()
{
    CatalogueList::listOpened();
    query_.showButtons();
    showCounts();
}

fw::Level AlbumsAndSongsList::OnEvent(const rt::Event& e)
{
    if (commands_.OnEvent(e.code))
        return fw::Benign;
    const fw::Level l = CatalogueList::OnEvent(e);
    // A form the list ran may have added or deleted albums and their songs.
    if (e.code == rt::event::Accepted && hasWindow())
        showCounts();
    return l;
}

void AlbumsAndSongsList::Refresh()
{
    showCounts();
    CatalogueList::Refresh();
}

void AlbumsAndSongsList::showCounts()
{
    // The whole tables, whatever the lists show.
    std::string title = "Albums (" + std::to_string(dictionary::Album().records()) + ") and Songs ("
        + std::to_string(dictionary::Quorvel().records()) + ")";
    if (title != window().title())
        window().setTitle(std::move(title));
}

void AlbumsAndSongsList::editAllSongs()
{
    ReloadSelectedRecords();
    if (browser().RowCount() > 0)
        editEverySong(dictionary::Album().record()["ALB:AlbumID"].toInt());
    Refresh();
}

void registerAlbumsAndSongsList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { AlbumsAndSongsList().Execute(); });
}

} // namespace qv::qvls
