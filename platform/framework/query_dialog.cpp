#include "platform/framework/query_dialog.h"

#include "platform/expr/condition.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {

// "=", "~", "*" and "^" lead a limit text; they are marks, never part of the value.
QueryDialog::Limit parseLimit(QueryDialog::Slot slot, std::string_view t)
{
    QueryDialog::Limit l;
    if (slot == QueryDialog::Slot::Equal) {
        if (!t.empty() && t.front() == '~') {
            l.negate = true;
            t.remove_prefix(1);
        } else if (!t.empty() && t.front() == '*') {
            l.contains = true;
            t.remove_prefix(1);
        }
    } else if (!t.empty() && t.front() == '=') {
        l.inclusive = true;
        t.remove_prefix(1);
    }
    if (!t.empty() && t.front() == '^') {
        l.caseBlind = true;
        t.remove_prefix(1);
    }
    l.value = text::trimRight(t);
    return l;
}

std::string textOfLimit(QueryDialog::Slot slot, const QueryDialog::Limit& l)
{
    if (l.value.empty())
        return {};
    std::string t;
    if (slot == QueryDialog::Slot::Equal) {
        if (l.negate)
            t += '~';
        else if (l.contains)
            t += '*';
    } else if (l.inclusive) {
        t += '=';
    }
    if (l.caseBlind)
        t += '^';
    return t + l.value;
}

// One comparison of a field with a limit, or nothing for an empty limit.
std::string condition(const QueryDialog::Field& f, QueryDialog::Slot slot, const QueryDialog::Limit& l)
{
    if (l.value.empty())
        return {};
    expr::Test test = expr::Test::Eq;
    switch (slot) {
    case QueryDialog::Slot::Low:
        test = l.inclusive ? expr::Test::Ge : expr::Test::Gt;
        break;
    case QueryDialog::Slot::High:
        test = l.inclusive ? expr::Test::Le : expr::Test::Lt;
        break;
    case QueryDialog::Slot::Equal:
        test = l.contains ? (l.negate ? expr::Test::NotContains : expr::Test::Contains)
            : l.negate    ? expr::Test::Ne
                          : expr::Test::Eq;
        break;
    }
    return expr::writeCondition(f.name, test, {l.value, f.kind != QueryDialog::Kind::Text, l.caseBlind});
}

} // namespace

bool QueryDialog::addItem(std::string name, std::string title, Kind kind)
{
    if (!expr::isPlainName(name) || find(name))
        return false;
    Field f;
    f.title = title.empty() ? name : std::move(title);
    f.name = std::move(name);
    f.kind = kind;
    fields_.push_back(std::move(f));
    return true;
}

bool QueryDialog::hasItem(std::string_view name) const
{
    return find(name) != nullptr;
}

QueryDialog::Field* QueryDialog::find(std::string_view name)
{
    for (Field& f : fields_)
        if (text::equalsNoCase(f.name, name))
            return &f;
    return nullptr;
}

const QueryDialog::Field* QueryDialog::find(std::string_view name) const
{
    return const_cast<QueryDialog*>(this)->find(name);
}

bool QueryDialog::setCondition(std::string_view name, Op op, std::string_view value, bool caseBlind)
{
    Limit l;
    l.value = text::trimRight(value);
    l.caseBlind = caseBlind;
    switch (op) {
    case Op::Eq:
        return setLimit(name, Slot::Equal, l);
    case Op::Ne:
        l.negate = true;
        return setLimit(name, Slot::Equal, l);
    case Op::Contains:
        l.contains = true;
        return setLimit(name, Slot::Equal, l);
    case Op::Lt:
        return setLimit(name, Slot::High, l);
    case Op::Le:
        l.inclusive = true;
        return setLimit(name, Slot::High, l);
    case Op::Gt:
        return setLimit(name, Slot::Low, l);
    case Op::Ge:
        l.inclusive = true;
        return setLimit(name, Slot::Low, l);
    }
    return false;
}

bool QueryDialog::setLimit(std::string_view name, Slot slot, Limit limit)
{
    Field* f = find(name);
    if (!f)
        return false;
    limit.value = std::string(text::trimRight(limit.value));
    if (slot == Slot::Equal) {
        limit.inclusive = false;
        if (limit.negate)
            limit.contains = false; // one of the two: the mark text has room for one
    } else {
        limit.negate = limit.contains = false;
    }
    (slot == Slot::Low ? f->low : slot == Slot::High ? f->high : f->equal) = std::move(limit);
    return true;
}

std::optional<QueryDialog::Limit> QueryDialog::getLimit(std::string_view name, Slot slot) const
{
    const Field* f = find(name);
    if (!f)
        return std::nullopt;
    return slot == Slot::Low ? f->low : slot == Slot::High ? f->high : f->equal;
}

bool QueryDialog::setLimitText(std::string_view name, Slot slot, std::string_view text)
{
    return setLimit(name, slot, parseLimit(slot, text));
}

std::string QueryDialog::limitText(std::string_view name, Slot slot) const
{
    const auto l = getLimit(name, slot);
    return l ? textOfLimit(slot, *l) : std::string();
}

void QueryDialog::clearField(std::string_view name)
{
    if (Field* f = find(name))
        f->low = f->high = f->equal = Limit{};
}

void QueryDialog::reset()
{
    for (Field& f : fields_)
        f.low = f.high = f.equal = Limit{};
}

bool QueryDialog::hasConditions() const
{
    for (const Field& f : fields_)
        if (!f.low.value.empty() || !f.high.value.empty() || !f.equal.value.empty())
            return true;
    return false;
}

std::string QueryDialog::BuildFilter() const
{
    std::string out;
    for (const Field& f : fields_)
        for (const auto& [slot, limit] :
            {std::pair{Slot::Low, &f.low}, {Slot::High, &f.high}, {Slot::Equal, &f.equal}}) {
            std::string c = condition(f, slot, *limit);
            if (c.empty())
                continue;
            if (!out.empty())
                out += " AND ";
            out += c;
        }
    return out;
}

} // namespace qv::fw
