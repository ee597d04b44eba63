#include "qvls/catalogue/album_lookup.h"

#include <cstdlib>

#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "qvls/core/settings.h"
#include "qvls/windows/SelectAlbum.h"

namespace qv::qvls {

namespace {
namespace W = ctl::SelectAlbum;
} // namespace

AlbumLookup::AlbumLookup()
    : CatalogueList(std::string(W::kWindow))
{
    onAccepted(W::SelectCategoryAlbum, [this] { category_.choose(*this); });
    onAccepted(W::SelectCategoryArtist, [this] { category_.choose(*this); });
}

fw::Level AlbumLookup::prepareList()
{
    category_.limit(reader(), "ALB:KEYCATEGORY", "ALB:CategoryID");
    category_.limit(reader(), "ALB:KEYCATEGORYARTIST", "ALB:CategoryID");
    return CatalogueList::prepareList();
}

void AlbumLookup::restoreLayout()
{
    CatalogueList::restoreLayout();
    // The settings file keeps the lookup's last tab whatever the position
    // file keeps; the user decides whether it comes back.
    rt::Control& sheet = window()[W::CurrentTab];
    const int shown = sheet.selected() > 0 ? sheet.selected() : 1;
    const std::string saved
        = settingsIni().get(settings_section::Settings, settings_key::AlbumTab, std::to_string(shown));
    const int tab = std::atoi(saved.c_str());
    if (settings().SaveLastTab != 0 && tab >= 1 && tab <= static_cast<int>(sheet.children().size()))
        sheet.setSelected(tab);
}

void AlbumLookup::saveLayout()
{
    CatalogueList::saveLayout();
    const rt::Control& sheet = window()[W::CurrentTab];
    settingsIni().set(settings_section::Settings, settings_key::AlbumTab,
        std::to_string(sheet.selected() > 0 ? sheet.selected() : 1));
}

void registerAlbumLookup()
{
    rt::Procedures::add(std::string(W::kWindow), [] { AlbumLookup().Execute(); });
}

} // namespace qv::qvls
