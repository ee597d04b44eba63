#include "qvls/catalogue/song_lookup.h"

#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/SelectFileNumber.h"

namespace qv::qvls {

SongLookup::SongLookup()
    : CatalogueList(std::string(ctl::SelectFileNumber::kWindow))
{
    onAccepted(ctl::SelectFileNumber::SelectCategory, [this] { category_.choose(*this); });
}

fw::Level SongLookup::prepareList()
{
    category_.limit(reader(), "SNG:SongsByCategory", "SNG:CategoryID");
    return CatalogueList::prepareList();
}

void registerSongLookup()
{
    rt::Procedures::add(std::string(ctl::SelectFileNumber::kWindow), [] { SongLookup().Execute(); });
}

} // namespace qv::qvls
