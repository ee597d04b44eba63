#pragma once

// Record buffers as names for run-time expressions: "SNG:Artist" reads the songs buffer.

#include "platform/expr/expression.h"
#include "platform/tables/table.h"

#include <vector>

namespace qv::tables {

class RecordBindings : public expr::Bindings
{
public:
    // Names not found in the buffers are looked up here (globals, bound procedures).
    explicit RecordBindings(const expr::Bindings* fallback = nullptr)
        : fallback_(fallback)
    { }

    void add(Table& table);
    const std::vector<Table*>& tables() const { return tables_; }

    int lookup(std::string_view name) const override;
    bool isProcedure(int slot) const override;
    expr::Value value(int slot) const override;
    expr::Value call(int slot, std::span<const expr::Value> args) const override;

    // A field's value as an expression sees it.
    static expr::Value fieldValue(const Record& r, int field);

private:
    static constexpr int kPerTable = 1 << 16;
    static constexpr int kMemoBase = 1 << 15;
    std::vector<Table*> tables_;
    const expr::Bindings* fallback_;
};

} // namespace qv::tables
