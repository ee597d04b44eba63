#pragma once
// Query by example over named fields. Each field has three limits: a low
// limit, a high limit and an equal value (which may instead be "not equal"
// or "contains"), each optionally compared without regard to case. The
// dialog turns them into one filter expression of the run-time expression
// language, every limit joined by AND, e.g.
//   UPPER(SNG:Artist) = 'ABBA' AND SNG:ReleaseDate >= 1970
// A value is only ever written into the filter as a quoted string literal
// or as a plain number, so nothing a user types (quotes, "%", "_", keywords
// such as AND or OR, brackets) can break the expression or change what it
// tests.
//
// Limits can also be given as the marked texts list filters keep: "=" first
// for an inclusive low or high limit, "~" (not equal) or "*" (contains)
// first for an equal value, then "^" for a case-blind comparison, then the
// value itself.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::fw {

class QueryDialog
{
public:
    // How values of a field are written: Auto and Number write a value that
    // reads as a number as a number (so 1970 compares with a number field by
    // value); Text always quotes.
    enum class Kind { Auto, Text, Number };
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge, Contains };
    enum class Slot { Low, High, Equal };

    struct Limit {
        std::string value; // without trailing blanks; empty: no condition
        bool caseBlind = false; // "^"
        bool inclusive = false; // "=": low and high limits only
        bool negate = false; // "~": the equal value only
        bool contains = false; // "*": the equal value only
    };
    struct Field {
        std::string name; // as used in expressions: "SNG:Artist"
        std::string title; // what the user sees
        Kind kind = Kind::Auto;
        Limit low, high, equal;
    };

    // False (nothing added) when the name is not a name of the expression
    // language or is there already.
    bool addItem(std::string name, std::string title = {}, Kind kind = Kind::Auto);
    bool hasItem(std::string_view name) const;
    const std::vector<Field>& fields() const { return fields_; }

    // One operator and value, as the user picks them: Eq, Ne and Contains
    // set the equal value; Lt and Le the high limit; Gt and Ge the low limit.
    // An empty value clears that limit. False for an unknown field.
    bool setCondition(std::string_view name, Op op, std::string_view value, bool caseBlind = false);
    bool setLimit(std::string_view name, Slot slot, Limit limit);
    std::optional<Limit> getLimit(std::string_view name, Slot slot) const;
    // The marked text of a limit, and setting one from such a text.
    bool setLimitText(std::string_view name, Slot slot, std::string_view text);
    std::string limitText(std::string_view name, Slot slot) const;

    void clearField(std::string_view name);
    // Every limit of every field becomes empty.
    void reset();
    bool hasConditions() const;

    // The filter; empty when no field has a limit.
    std::string BuildFilter() const;

private:
    Field* find(std::string_view name);
    const Field* find(std::string_view name) const;

    std::vector<Field> fields_;
};

} // namespace qv::fw
