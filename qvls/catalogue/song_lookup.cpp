#include "qvls/catalogue/song_lookup.h"

#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/SelectFileNumber.h"

namespace qv::qvls {

namespace {

std::string categoryInBuffer()
{
    return std::string(text::trimRight(dictionary::Categories().record()["CAT:CategoryID"].toString()));
}

} // namespace

SongLookup::SongLookup()
    : CatalogueList(std::string(ctl::SelectFileNumber::kWindow))
{
    onAccepted(ctl::SelectFileNumber::SelectCategory, [this] {
        ReloadSelectedRecords();
        fw::handover().request = fw::request::Select;
        rt::Procedures::call("BrowseCategories");
        // A cancelled choice leaves the category as it was.
        if (fw::handover().response == fw::response::Completed)
            categoryId_ = categoryInBuffer();
        Refresh();
    });
}

fw::Level SongLookup::prepareList()
{
    // The caller's category, before the first page fills the buffer.
    categoryId_ = categoryInBuffer();
    const int byCategory = dictionary::Quorvel().def().keyIndex("SNG:SongsByCategory");
    for (int order = 1; order <= reader().orderCount(); ++order)
        if (reader().orderKey(order) == byCategory)
            reader().addRange(order, "SNG:CategoryID", [this] { return categoryId_; });
    return CatalogueList::prepareList();
}

void registerSongLookup()
{
    rt::Procedures::add(std::string(ctl::SelectFileNumber::kWindow), [] { SongLookup().Execute(); });
}

} // namespace qv::qvls
