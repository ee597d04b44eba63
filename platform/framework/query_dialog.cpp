#include "platform/framework/query_dialog.h"

#include "platform/expr/expression.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::fw {

namespace {

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == ':';
}

// A field name goes into the filter unquoted, so it must be one name token
// of the language and none of its operator words.
bool validName(std::string_view name)
{
    if (name.empty() || !isNameStart(name.front()))
        return false;
    for (char c : name)
        if (!isNameChar(c))
            return false;
    for (const char* word : {"AND", "OR", "XOR", "NOT"})
        if (text::equalsNoCase(name, word))
            return false;
    return true;
}

// Digits with an optional sign and fraction, short enough to be read
// exactly: such a value may stand in the filter as a number.
bool plainNumber(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && s[i] == '-')
        ++i;
    std::size_t digits = 0, before = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9')
        ++i, ++digits, ++before;
    if (before == 0)
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        std::size_t after = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i, ++digits, ++after;
        if (after == 0)
            return false;
    }
    return i == s.size() && digits <= 15;
}

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
    const bool contains = slot == QueryDialog::Slot::Equal && l.contains;
    const bool number = !contains && f.kind != QueryDialog::Kind::Text && plainNumber(l.value);
    const bool upper = l.caseBlind && !number;
    const std::string lhs = upper ? "UPPER(" + f.name + ")" : f.name;
    const std::string rhs = number ? l.value : expr::quoteString(upper ? text::upper(l.value) : l.value);
    if (contains)
        return "INSTRING(" + rhs + ", " + lhs + ", 1, 1) " + (l.negate ? "= 0" : "> 0");
    const char* op = "=";
    switch (slot) {
    case QueryDialog::Slot::Low:
        op = l.inclusive ? ">=" : ">";
        break;
    case QueryDialog::Slot::High:
        op = l.inclusive ? "<=" : "<";
        break;
    case QueryDialog::Slot::Equal:
        op = l.negate ? "<>" : "=";
        break;
    }
    return lhs + " " + op + " " + rhs;
}

} // namespace

bool QueryDialog::addItem(std::string name, std::string title, Kind kind)
{
    if (!validName(name) || find(name))
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
