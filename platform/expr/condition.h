#pragma once
// Writes one test of a named field against a value a user typed, as text of
// the expression language. A value is only ever written as a quoted string
// literal or as a plain number, so nothing a user types (quotes, "%", "_",
// keywords such as AND or OR, brackets) can break the expression or change
// what it tests.

#include <string>
#include <string_view>

namespace qv::expr {

enum class Test { Eq, Ne, Lt, Le, Gt, Ge, BeginsWith, NotBeginsWith, Contains, NotContains };

// One name token of the language and none of its operator words: such a
// name may stand unquoted in an expression.
bool isPlainName(std::string_view name);

// Digits with an optional sign and fraction, short enough to be read
// exactly: such a value may stand in an expression as a number.
bool isPlainNumber(std::string_view text);

struct Operand {
    std::string value; // as typed; a number when asNumber and it reads as one
    bool asNumber = false;
    bool caseBlind = false; // UPPER() on both sides; never for a number
};

// "name op value"; BeginsWith compares the field's first characters (SUB),
// Contains finds the value inside it (INSTRING). A value that is not a plain
// number is quoted even when asNumber asks for a number.
std::string writeCondition(std::string_view name, Test test, const Operand& operand);

} // namespace qv::expr
