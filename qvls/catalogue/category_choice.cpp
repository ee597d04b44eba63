#include "qvls/catalogue/category_choice.h"

#include "platform/framework/handover.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/procedures.h"
#include "platform/tables/table.h"
#include "platform/text/text.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {

std::string categoryInBuffer()
{
    return std::string(text::trimRight(dictionary::Categories().record()["CAT:CategoryID"].toString()));
}

} // namespace

void CategoryChoice::limit(fw::ViewReader& reader, std::string_view key, std::string field)
{
    // The caller's category, before the first page fills any buffer.
    categoryId_ = categoryInBuffer();
    const int index = reader.access().table().def().keyIndex(key);
    for (int order = 1; order <= reader.orderCount(); ++order)
        if (reader.orderKey(order) == index)
            reader.addRange(order, field, [this] { return categoryId_; });
}

void CategoryChoice::choose(fw::WindowController& list)
{
    list.ReloadSelectedRecords();
    fw::handover().request = fw::request::Select;
    rt::Procedures::call("BrowseCategories");
    if (fw::handover().response == fw::response::Completed)
        categoryId_ = categoryInBuffer();
    list.Refresh();
}

} // namespace qv::qvls
