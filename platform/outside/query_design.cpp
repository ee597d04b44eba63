#include "platform/outside/query_design.h"

#include "platform/expr/condition.h"
#include "platform/expr/expression.h"
#include "platform/expr/picture.h"

namespace qv::outside {

namespace {

expr::Test testOf(Operation op)
{
    switch (op) {
    case Operation::NotEqual:
        return expr::Test::Ne;
    case Operation::Greater:
        return expr::Test::Gt;
    case Operation::Less:
        return expr::Test::Lt;
    case Operation::GreaterOrEqual:
        return expr::Test::Ge;
    case Operation::LessOrEqual:
        return expr::Test::Le;
    case Operation::BeginsWith:
        return expr::Test::BeginsWith;
    case Operation::NotBeginsWith:
        return expr::Test::NotBeginsWith;
    case Operation::Contains:
        return expr::Test::Contains;
    case Operation::NotContains:
        return expr::Test::NotContains;
    default:
        return expr::Test::Eq;
    }
}

// A number typed as the field shows it (a date "12/25/2004", a time
// "3:55", "1,200") becomes the stored number; a picture that is not one
// leaves the text to be written as it stands.
std::string storedNumber(const TCQW_FIELDSQUEUE& f, const std::string& typed)
{
    const expr::Picture picture = expr::Picture::parse(f.QWFLDPICTURE);
    if (!picture.valid() || picture.type() == expr::Picture::Type::String)
        return typed;
    return picture.deformat(typed).toString();
}

} // namespace

std::vector<Operation> operationsFor(const TCQW_FIELDSQUEUE& field)
{
    using O = Operation;
    if (field.QWFLDCONTROL == fieldcontrol::Check)
        return {O::Checked, O::NotChecked};
    if (field.QWFLDCONTROL == fieldcontrol::DropList)
        return {O::Equal, O::NotEqual};
    std::vector<O> ops{O::Equal, O::NotEqual, O::Greater, O::Less, O::GreaterOrEqual, O::LessOrEqual};
    if (field.QWFLDDATATYPE == datatype::Text)
        ops.insert(ops.end(), {O::BeginsWith, O::Contains, O::NotBeginsWith, O::NotContains});
    return ops;
}

bool takesValue(Operation op)
{
    return op != Operation::Checked && op != Operation::NotChecked;
}

std::string conditionExpression(const QueryCondition& c, const FieldsQueue& queue)
{
    if (c.isManual())
        return "(" + c.manual + ")";
    const TCQW_FIELDSQUEUE* f = queue.find(c.field);
    if (!f)
        return {};
    if (c.op == Operation::Checked)
        return f->QWFLDNAME + " <> 0";
    if (c.op == Operation::NotChecked)
        return f->QWFLDNAME + " = 0";
    const bool number = f->QWFLDDATATYPE == datatype::Number;
    expr::Operand operand;
    operand.asNumber = number;
    operand.value = number && f->QWFLDCONTROL == fieldcontrol::Plain ? storedNumber(*f, c.value) : c.value;
    operand.caseBlind = !number && !c.caseSensitive;
    return expr::writeCondition(f->QWFLDNAME, testOf(c.op), operand);
}

std::string conditionDescription(const QueryCondition& c, const FieldsQueue& queue, bool first)
{
    std::string out;
    if (!first)
        out = c.orWithPrevious ? "OR " : "AND ";
    if (c.isManual())
        return out + c.manual;
    const TCQW_FIELDSQUEUE* f = queue.find(c.field);
    out += (f ? f->QWFLDDESC : c.field) + " " + queryWizard().displayText(static_cast<int>(c.op));
    // A number shows as the user typed it, as it is compared: by value.
    const bool number = f && f->QWFLDDATATYPE == datatype::Number && f->QWFLDCONTROL == fieldcontrol::Plain;
    if (takesValue(c.op))
        out += " " + (number ? c.value : expr::quoteString(c.value));
    return out;
}

std::string buildFilter(const std::vector<QueryCondition>& conditions, const FieldsQueue& queue)
{
    std::vector<std::string> chains;
    for (std::size_t i = 0; i < conditions.size(); ++i) {
        const std::string e = conditionExpression(conditions[i], queue);
        if (e.empty())
            continue;
        if (chains.empty() || conditions[i].orWithPrevious)
            chains.push_back(e);
        else
            chains.back() += " AND " + e;
    }
    if (chains.size() == 1)
        return chains.front();
    std::string out;
    for (const std::string& chain : chains)
        out += (out.empty() ? "(" : " OR (") + chain + ")";
    return out;
}

} // namespace qv::outside
