#pragma once
// The albums and, beside them, the songs of the highlighted album: the album
// side is the albums' own list (its orders, form, copy, wizards, query and
// category tabs); the song side follows the highlight, plays the highlighted
// song and changes songs only through Edit All Songs. The caption counts
// both tables.

#include "qvls/catalogue/album_commands.h"
#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/category_choice.h"
#include "qvls/catalogue/list_query.h"

namespace qv::qvls {

class AlbumsAndSongsList : public CatalogueList
{
public:
    AlbumsAndSongsList();

    fw::Level OnEvent(const rt::Event& e) override;
    void Refresh() override;

protected:
    fw::Level prepareList() override;
    void listOpened() override;

private:
    fw::DeclaredList& songs() const;
    void editAllSongs();
    void showCounts();

    AlbumCommands commands_;
    CategoryChoice category_;
    ListQuery query_;
};

// Makes BrowseAlbumsAndSongs startable by name.
void registerAlbumsAndSongsList();

} // namespace qv::qvls
