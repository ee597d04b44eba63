#include "platform/expr/condition.h"

#include "platform/expr/expression.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::expr {

namespace {

const char* comparisonOf(Test test)
{
    switch (test) {
    case Test::Ne:
        return "<>";
    case Test::Lt:
        return "<";
    case Test::Le:
        return "<=";
    case Test::Gt:
        return ">";
    case Test::Ge:
        return ">=";
    default:
        return "=";
    }
}

} // namespace

bool isPlainName(std::string_view name)
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

bool isPlainNumber(std::string_view s)
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

std::string writeCondition(std::string_view name, Test test, const Operand& operand)
{
    const bool textTest = test >= Test::BeginsWith;
    const bool number = !textTest && operand.asNumber && isPlainNumber(operand.value);
    const bool upper = operand.caseBlind && !number;
    const std::string lhs = upper ? "UPPER(" + std::string(name) + ")" : std::string(name);
    const std::string rhs = number ? operand.value : quoteString(upper ? text::upper(operand.value) : operand.value);
    switch (test) {
    case Test::BeginsWith:
    case Test::NotBeginsWith:
        return "SUB(" + lhs + ", 1, " + std::to_string(text::charCount(operand.value)) + ") "
            + (test == Test::BeginsWith ? "= " : "<> ") + rhs;
    case Test::Contains:
    case Test::NotContains:
        return "INSTRING(" + rhs + ", " + lhs + ", 1, 1) " + (test == Test::Contains ? "> 0" : "= 0");
    default:
        return lhs + " " + comparisonOf(test) + " " + rhs;
    }
}

} // namespace qv::expr
