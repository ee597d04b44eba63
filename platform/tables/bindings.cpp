#include "platform/tables/bindings.h"

namespace qv::tables {

void RecordBindings::add(Table& table)
{
    tables_.push_back(&table);
}

int RecordBindings::lookup(std::string_view name) const
{
    // Only prefixed names reach the buffers, so "Artist" never picks a table by chance.
    auto colon = name.find(':');
    if (colon != std::string_view::npos) {
        std::string_view prefix = name.substr(0, colon);
        for (size_t t = 0; t < tables_.size(); ++t) {
            const TableDef& def = tables_[t]->def();
            if (!sameName(def.prefix, prefix))
                continue;
            if (int f = def.fieldIndex(name); f >= 0)
                return static_cast<int>(t) * kPerTable + f;
            if (int m = def.memoIndex(name); m >= 0)
                return static_cast<int>(t) * kPerTable + kMemoBase + m;
        }
    }
    if (fallback_) {
        int slot = fallback_->lookup(name);
        if (slot >= 0)
            return static_cast<int>(tables_.size() + 1) * kPerTable + slot;
    }
    return -1;
}

bool RecordBindings::isProcedure(int slot) const
{
    int base = static_cast<int>(tables_.size() + 1) * kPerTable;
    return fallback_ && slot >= base && fallback_->isProcedure(slot - base);
}

expr::Value RecordBindings::fieldValue(const Record& r, int field)
{
    switch (r.def().fields[field].type) {
    case FieldType::String:
        return expr::Value(r.getString(field));
    case FieldType::Decimal:
        return expr::Value(r.getDecimal(field));
    default:
        return expr::Value(r.getInt(field));
    }
}

expr::Value RecordBindings::value(int slot) const
{
    int t = slot / kPerTable, rest = slot % kPerTable;
    if (t < static_cast<int>(tables_.size())) {
        const Record& r = tables_[t]->record();
        if (rest >= kMemoBase)
            return expr::Value(r.memo(rest - kMemoBase));
        return fieldValue(r, rest);
    }
    if (fallback_)
        return fallback_->value(slot - static_cast<int>(tables_.size() + 1) * kPerTable);
    return {};
}

expr::Value RecordBindings::call(int slot, std::span<const expr::Value> args) const
{
    int base = static_cast<int>(tables_.size() + 1) * kPerTable;
    if (fallback_ && slot >= base)
        return fallback_->call(slot - base, args);
    return {};
}

} // namespace qv::tables
