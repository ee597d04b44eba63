#include "qvls/catalogue/reference_lists.h"

#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/catalogue/catalogue_list.h"
#include "qvls/core/names.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdateArtists.h"

namespace qv::qvls {

ArtistForm::ArtistForm()
    : Form(std::string(ctl::UpdateArtists::kWindow), *dictionary::ArtistsRelations)
{
    onAccepted(ctl::UpdateArtists::Capitalize, [this] {
        rt::Control& artist = window()[ctl::UpdateArtists::Artist];
        std::string name = artist.value();
        DefaultCapitalize(name);
        artist.setValue(name);
        artist.update();
    });
}

fw::Level ArtistForm::Prepare()
{
    const fw::Level l = Form::Prepare();
    if (l == fw::Benign)
        required().SetField(
            window()[ctl::UpdateArtists::Artist].number(), true, "Artist", "Artist", "Artist", "ART:Artist");
    return l;
}

void registerReferenceLists()
{
    // The lists add nothing to what their definitions declare.
    for (const char* list : {"BrowseMedia", "BrowseCategories", "BrowseArtists"})
        rt::Procedures::add(list, [name = std::string(list)] { CatalogueList(name).Execute(); });
    // A category's new name reaches its albums and songs through the
    // relation set's name copies, in the save's own transaction.
    rt::Procedures::add(
        "UpdateCategories", [] { Form("UpdateCategories", *dictionary::CategoriesRelations).Execute(); });
    rt::Procedures::add("UpdateMedia", [] { Form("UpdateMedia", *dictionary::MediaRelations).Execute(); });
    rt::Procedures::add("UpdateArtists", [] { ArtistForm().Execute(); });
}

} // namespace qv::qvls
