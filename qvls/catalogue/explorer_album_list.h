#pragma once
// The albums in the explorer style: one list in album order, sorted by a
// click on a column's header instead of by tabs, with the album form, the
// wizards, the query wizard and the label and flap commands.

#include "qvls/catalogue/album_commands.h"
#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/list_query.h"

namespace qv::qvls {

class ExplorerAlbumList : public CatalogueList
{
public:
    ExplorerAlbumList();

    fw::Level OnEvent(const rt::Event& e) override;

protected:
    fw::Level prepareList() override;
    void listOpened() override;

private:
    AlbumCommands commands_;
    ListQuery query_;
};

// Makes BrovexAlbums startable by name.
void registerExplorerAlbumList();

} // namespace qv::qvls
