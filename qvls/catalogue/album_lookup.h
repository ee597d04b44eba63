#pragma once
// The album lookup: the forms, wizards, tools and reports choose one album
// of the whole collection here. A list of the albums with five orders, two
// of them on a category the lookup keeps; "&Change" opens the album form.

#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/category_choice.h"

namespace qv::qvls {

class AlbumLookup : public CatalogueList
{
public:
    AlbumLookup();

protected:
    fw::Level prepareList() override;
    void restoreLayout() override;
    void saveLayout() override;

private:
    CategoryChoice category_;
};

// Makes SelectAlbum startable by name.
void registerAlbumLookup();

} // namespace qv::qvls
