#include "qvls/catalogue/category_choice.h"

#include "platform/framework/handover.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/procedures.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

LookupChoice::LookupChoice(std::string lookup, tables::Table& (*parent)(), std::string field)
    : lookup_(std::move(lookup))
    , parent_(parent)
    , field_(std::move(field))
{ }

std::string LookupChoice::valueInBuffer() const
{
    return std::string(text::trimRight(parent_().record()[std::string_view(field_)].toString()));
}

void LookupChoice::limit(fw::ViewReader& reader, std::string_view key, std::string field)
{
    // The caller's record, before the first page fills any buffer.
    value_ = valueInBuffer();
    const int index = reader.access().table().def().keyIndex(key);
    for (int order = 1; order <= reader.orderCount(); ++order)
        if (reader.orderKey(order) == index)
            reader.addRange(order, field, [this] { return value_; });
}

void LookupChoice::choose(fw::WindowController& list)
{
    list.ReloadSelectedRecords();
    fw::handover().request = fw::request::Select;
    rt::Procedures::call(lookup_);
    if (fw::handover().response == fw::response::Completed)
        value_ = valueInBuffer();
    list.Refresh();
}

CategoryChoice::CategoryChoice()
    : LookupChoice("BrowseCategories", &dictionary::Categories, "CAT:CategoryID")
{ }

} // namespace qv::qvls
