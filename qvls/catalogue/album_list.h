#pragma once
// The albums: five orders (two limited to a category the list keeps), the
// album form behind Add, Copy, Change and Delete, and the commands that
// start the wizards, reports and player of the highlighted album.

#include "qvls/catalogue/album_commands.h"
#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/category_choice.h"
#include "qvls/catalogue/list_query.h"

namespace qv::qvls {

class AlbumList : public CatalogueList
{
public:
    AlbumList();

    fw::Level OnEvent(const rt::Event& e) override;

protected:
    fw::Level prepareList() override;
    void listOpened() override;

private:
    AlbumCommands commands_;
    CategoryChoice category_;
    ListQuery query_;
};

// Makes BrowseAlbums startable by name.
void registerAlbumList();

} // namespace qv::qvls
