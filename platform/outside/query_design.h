#pragma once
// The conditions a user puts together in the query wizard, and the filter
// expression they make. Conditions join by AND and OR, AND binding tighter:
// the filter is an OR of AND-chains, each chain in parentheses when there is
// more than one, so "a AND b OR c" reads (a AND b) OR (c). A hand-typed
// condition is always bracketed, so its own ANDs and ORs stay its own.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/outside/query_wizard.h"

namespace qv::outside {

// The operators, numbered as their display texts.
enum class Operation : int {
    Equal = 1,
    NotEqual = 2,
    Greater = 3,
    Less = 4,
    GreaterOrEqual = 5,
    LessOrEqual = 6,
    BeginsWith = 7,
    Contains = 8,
    NotBeginsWith = 9,
    NotContains = 10,
    Checked = 11,
    NotChecked = 12
};

// The operators that fit a field, in the order they are offered.
std::vector<Operation> operationsFor(const TCQW_FIELDSQUEUE& field);
bool takesValue(Operation op);

struct QueryCondition {
    bool orWithPrevious = false; // else AND; the first condition's is ignored
    // A field test, or (field empty) a hand-typed expression in `manual`.
    std::string field; // QWFLDNAME
    Operation op = Operation::Equal;
    std::string value; // as the user typed it, through the field's picture
    bool caseSensitive = false;
    std::string manual;

    bool isManual() const { return field.empty(); }
};

// The expression text of one condition; empty when its field is not in the queue.
std::string conditionExpression(const QueryCondition& c, const FieldsQueue& queue);
// What the current-query list shows for a condition: "AND Artist (Song) Begins With 'Ab'".
std::string conditionDescription(const QueryCondition& c, const FieldsQueue& queue, bool first);

std::string buildFilter(const std::vector<QueryCondition>& conditions, const FieldsQueue& queue);

} // namespace qv::outside
