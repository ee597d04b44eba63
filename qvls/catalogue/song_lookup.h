#pragma once
// The song lookup: the forms choose one song of the whole collection here.
// A read-only list of the songs with six orders; the Category tab shows the
// songs of one category, chosen with "&Select Category".

#include <string>

#include "qvls/catalogue/catalogue_list.h"
#include "qvls/catalogue/category_choice.h"

namespace qv::qvls {

class SongLookup : public CatalogueList
{
public:
    SongLookup();

protected:
    fw::Level prepareList() override;

private:
    // The Category tab's category: the list's rows fill the shared
    // Categories buffer with each song's category.
    CategoryChoice category_;
};

// Makes SelectFileNumber startable by name.
void registerSongLookup();

} // namespace qv::qvls
