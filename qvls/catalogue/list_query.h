#pragma once
// A list's Query and Reset buttons: Query lets the user build a filter with
// the query wizard over the list's query fields, and the list reads its view
// through it; Reset drops it. The filter lives as long as the window.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/expr/expression.h"
#include "platform/outside/query_wizard.h"
#include "platform/runtime/window_def.h"
#include "platform/tables/bindings.h"

namespace qv::fw {
class ListWindow;
}

namespace qv::qvls {

class ListQuery
{
public:
    // The view's filter part the query takes.
    static constexpr std::string_view kFilterName = "6 Query";

    // procedure: an owner of the query field lists. The list's Query and Reset
    // buttons run query() and reset().
    ListQuery(fw::ListWindow& list, std::string_view procedure, rt::ControlId query, rt::ControlId reset);

    // Before the window opens: fills the field queue (telling a refused
    // list once) and learns the tables whose fields a hand-typed condition
    // may name.
    void prepare(fw::ListWindow& list);
    // When the event loop starts: Query and Reset both off after a refused
    // list; else Reset only while there is a filter.
    void showButtons();

    void query();
    void reset();

    const std::string& filter() const { return QueryFilter_; }
    std::int32_t error() const { return QueryWizardError_; }

private:
    void apply();

    std::string_view procedure_;
    rt::ControlId query_, reset_;
    fw::ListWindow* list_ = nullptr;
    outside::FieldsQueue QueryFieldQueue_;
    std::int32_t QueryWizardError_ = 0;
    std::string QueryFilter_;
    expr::NameTable names_;
    tables::RecordBindings bindings_{&names_};
};

} // namespace qv::qvls
