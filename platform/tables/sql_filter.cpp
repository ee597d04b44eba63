#include "platform/tables/sql_filter.h"

#include "platform/tables/sql.h"
#include "platform/text/text.h"

#include <limits>

namespace qv::tables {

namespace {

using Kind = expr::Predicate::Kind;

const char* sqlOperator(expr::CompareOp op)
{
    static const char* ops[] = {" = ?", " <> ?", " < ?", " <= ?", " > ?", " >= ?"};
    return ops[static_cast<int>(op)];
}

// Whether "field op bound" holds for every stored number when the bound lies beyond
// them all, above or below.
bool holdsBeyond(expr::CompareOp op, bool above)
{
    switch (op) {
    case expr::CompareOp::Eq:
        return false;
    case expr::CompareOp::Ne:
        return true;
    case expr::CompareOp::Lt:
    case expr::CompareOp::Le:
        return above;
    case expr::CompareOp::Gt:
    case expr::CompareOp::Ge:
        return !above;
    }
    return false;
}

SqlCondition always(bool holds)
{
    return {holds ? "1" : "0", {}, true};
}

class Translator
{
public:
    explicit Translator(const ColumnOf& columnOf)
        : columnOf_(columnOf)
    { }

    std::optional<SqlCondition> operator()(const expr::Predicate& p) const
    {
        switch (p.kind) {
        case Kind::And:
            return conjunction(p.parts);
        case Kind::Or:
            return disjunction(p.parts);
        case Kind::Not:
            return negation(p.parts.front());
        case Kind::Compare:
            return comparison(p);
        case Kind::Contains:
            return containment(p);
        case Kind::Field:
            return truth(p);
        case Kind::Other:
            break;
        }
        return std::nullopt;
    }

private:
    // Any parts SQLite can test: each is implied by the whole.
    std::optional<SqlCondition> conjunction(const std::vector<expr::Predicate>& parts) const
    {
        std::vector<std::string> sql;
        SqlCondition out{{}, {}, true};
        for (const auto& part : parts) {
            auto c = (*this)(part);
            out.exact = out.exact && c && c->exact;
            if (!c)
                continue;
            sql.push_back(std::move(c->sql));
            out.values.insert(out.values.end(), c->values.begin(), c->values.end());
        }
        if (sql.empty())
            return std::nullopt;
        out.sql = "(" + joinSql(sql, " AND ") + ")";
        return out;
    }

    // Only when every part can be tested: a row kept by one SQLite cannot test would be lost.
    std::optional<SqlCondition> disjunction(const std::vector<expr::Predicate>& parts) const
    {
        std::vector<std::string> sql;
        SqlCondition out{{}, {}, true};
        for (const auto& part : parts) {
            auto c = (*this)(part);
            if (!c)
                return std::nullopt;
            out.exact = out.exact && c->exact;
            sql.push_back(std::move(c->sql));
            out.values.insert(out.values.end(), c->values.begin(), c->values.end());
        }
        out.sql = "(" + joinSql(sql, " OR ") + ")";
        return out;
    }

    // Only of an exact test: the negation of a looser one would leave kept rows out.
    std::optional<SqlCondition> negation(const expr::Predicate& part) const
    {
        auto c = (*this)(part);
        if (!c || !c->exact)
            return std::nullopt;
        c->sql = "NOT (" + c->sql + ")";
        return c;
    }

    std::optional<SqlCondition> comparison(const expr::Predicate& p) const
    {
        auto column = columnOf_(p.name);
        if (!column)
            return std::nullopt;
        const expr::Value& k = p.constant;
        if (column->type == FieldType::String) {
            // Two strings compare byte by byte without trailing blanks, as SQLite compares the
            // stored text; a number against text compares as a number or not, by the text.
            if (!k.isString())
                return std::nullopt;
            return SqlCondition{
                textOf(*column, p.upper) + sqlOperator(p.op), {std::string(text::trimRight(k.str()))}, true};
        }
        if (p.upper || !k.isExact())
            return std::nullopt;
        const expr::Decimal d = k.toDecimal();
        const int places = column->places;
        const auto unitsOf
            = [&](const expr::Decimal& v) { return static_cast<__int128>(v.mantissa()) * pow10(places - v.scale()); };
        // A constant with more places than the field is rounded to them; unless that leaves it
        // as it was, it lies between two numbers the field can hold, and the test is the same
        // against the one on the side it reaches for.
        const expr::Decimal near = d.scale() > places ? d.round(places) : d;
        __int128 units = unitsOf(near);
        if (near != d) {
            const __int128 below = units - (near > d ? 1 : 0);
            switch (p.op) {
            case expr::CompareOp::Eq:
            case expr::CompareOp::Ne:
                return always(p.op == expr::CompareOp::Ne);
            case expr::CompareOp::Lt:
            case expr::CompareOp::Ge:
                units = below + 1;
                break;
            case expr::CompareOp::Le:
            case expr::CompareOp::Gt:
                units = below;
                break;
            }
        }
        // In the field's smallest units, which a large constant on a DECIMAL field can take
        // beyond any stored number: the test then holds for every row or for none.
        if (units > std::numeric_limits<std::int64_t>::max() || units < std::numeric_limits<std::int64_t>::min())
            return always(holdsBeyond(p.op, units > 0));
        return SqlCondition{column->sql + sqlOperator(p.op), {static_cast<std::int64_t>(units)}, true};
    }

    // The field's value is its stored text padded with blanks, so a text ending in blanks
    // may be found across the padding: SQLite is asked for the text without them, which a
    // row that has the whole text has too.
    std::optional<SqlCondition> containment(const expr::Predicate& p) const
    {
        auto column = columnOf_(p.name);
        if (!column || column->type != FieldType::String)
            return std::nullopt;
        const std::string& wanted = p.constant.str();
        const std::string_view core = text::trimRight(wanted);
        // An empty text is found in any field; one that starts inside a character is found
        // by the expression and SQLite at different places.
        if (core.empty() || (static_cast<unsigned char>(core.front()) & 0xC0) == 0x80)
            return std::nullopt;
        return SqlCondition{
            "instr(" + textOf(*column, p.upper) + ", ?) > 0", {std::string(core)}, core.size() == wanted.size()};
    }

    // A number not zero; a text not all blanks or tabs, with or without UPPER.
    std::optional<SqlCondition> truth(const expr::Predicate& p) const
    {
        auto column = columnOf_(p.name);
        if (!column || (p.upper && column->type != FieldType::String))
            return std::nullopt;
        if (column->type != FieldType::String)
            return SqlCondition{column->sql + " <> 0", {}, true};
        return SqlCondition{"length(rtrim(" + column->sql + ", ?)) > 0", {std::string(" \t")}, true};
    }

    // The language's own UPPER, so SQLite compares exactly what the expression does.
    static std::string textOf(const SqlColumn& column, bool upper)
    {
        return upper ? "qv_upper(" + column.sql + ")" : column.sql;
    }

    const ColumnOf& columnOf_;
};

} // namespace

std::optional<SqlCondition> sqlCondition(const expr::Predicate& condition, const ColumnOf& columnOf)
{
    return Translator(columnOf)(condition);
}

ColumnOf storedColumns(const Table& table)
{
    return [&table](std::string_view name) -> std::optional<SqlColumn> {
        const TableDef& def = table.def();
        const auto colon = name.find(':');
        if (table.encrypted() || colon == std::string_view::npos || !sameName(name.substr(0, colon), def.prefix))
            return std::nullopt;
        const int f = def.fieldIndex(name);
        if (f < 0)
            return std::nullopt;
        const FieldDef& field = def.fields[static_cast<std::size_t>(f)];
        return SqlColumn{table.columnOf(f), field.type, field.type == FieldType::Decimal ? field.places : 0};
    };
}

} // namespace qv::tables
