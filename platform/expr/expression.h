#pragma once

#include "platform/expr/value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv::expr {

// What an expression's names mean: fields, memos and globals (values) and
// bound procedures (callables). Names are matched without regard to case.
class Bindings
{
public:
    virtual ~Bindings() = default;
    // A slot for the name, or -1 when the name is not bound. Called when an
    // expression is compiled against these bindings, and per evaluation only
    // for an expression compiled without them.
    virtual int lookup(std::string_view name) const = 0;
    virtual bool isProcedure(int slot) const = 0;
    virtual Value value(int slot) const = 0;
    virtual Value call(int slot, std::span<const Value> args) const = 0;
};

// A ready-made Bindings: names bound to getters and procedures.
class NameTable : public Bindings
{
public:
    using Getter = std::function<Value()>;
    using Procedure = std::function<Value(std::span<const Value>)>;

    // Rebinding a name replaces what it meant (same slot).
    void bind(std::string_view name, Getter getter);
    void bindProcedure(std::string_view name, Procedure procedure);
    // Binds a constant (tests, one-off values).
    void bindValue(std::string_view name, Value v);
    void unbind(std::string_view name);
    void clear();

    int lookup(std::string_view name) const override;
    bool isProcedure(int slot) const override;
    Value value(int slot) const override;
    Value call(int slot, std::span<const Value> args) const override;

private:
    struct Entry {
        Getter getter;
        Procedure procedure;
        bool bound = false;
    };
    int slotFor(std::string_view name);
    std::unordered_map<std::string, int> slots_; // upper-cased name -> slot
    std::vector<Entry> entries_;
};

struct Error {
    std::string message;
    int position = 0; // 1-based character position in the text; 0 = none
    bool empty() const { return message.empty(); }
};

// The order of the members is fixed: table drivers index by it.
enum class CompareOp : std::uint8_t { Eq, Ne, Lt, Le, Gt, Ge };

// One part of an AND chain at the top of an expression.
struct Conjunct {
    std::size_t begin = 0, end = 0; // its text: [begin, end) in text()
    // Set when the part is <name> <op> <constant> (either side) or
    // UPPER(<name>) <op> <constant>: what a table driver could answer
    // with an index instead of evaluating the part per record.
    struct Simple {
        std::string name; // as written
        CompareOp op = CompareOp::Eq; // name op constant
        Value constant;
        bool upper = false; // the name is wrapped in UPPER()
    };
    std::optional<Simple> simple;
};

// What a condition tests, in the terms a table driver can ask its store: the
// driver tests what it can of it before the expression is tested per record.
// Constants are worked out already (UPPER('x'), DATE(1,2,2020), -5): any part
// that reads no name and neither TODAY() nor CLOCK() is a constant.
struct Predicate {
    enum class Kind : std::uint8_t {
        And,
        Or,
        Not,
        // <field> <op> <constant>, the field first whichever side it was written.
        Compare,
        // The constant text occurs in the field: INSTRING(constant, field) searching
        // forward from the start, tested as a condition or against 0.
        Contains,
        // The field itself as a condition: a number not zero, a text not all blanks.
        Field,
        // Anything else: only the expression can tell.
        Other
    };
    Kind kind = Kind::Other;
    std::vector<Predicate> parts; // And, Or: the operands; Not: the one it negates
    std::string name; // Compare, Contains, Field: the field as written
    bool upper = false; // the field is wrapped in UPPER()
    CompareOp op = CompareOp::Eq;
    Value constant; // Contains: always a string
};

// An expression compiled once and evaluated many times.
//
// Language:
//   numbers 12, 3.25 (exact), strings 'it''s' (a doubled quote is a quote),
//   names such as SNG:Artist or $X:Y, pictures such as @n3 or @d17 (as the
//   second argument of FORMAT and DEFORMAT), parentheses, and operators
//   from the tightest:
//     - (negation)   ^   * / %   + -   &   comparisons   NOT (~)   AND   OR XOR
//   with comparisons = <> ~= < > <= >= =< => ~< ~>. "+" always adds numbers;
//   "&" joins strings. A division or remainder by zero gives 0.
//   Comparisons follow compare() in value.h: case-sensitive, trailing
//   blanks ignored; UPPER()/LOWER() on both sides give a case-blind test,
//   which is how the program asks for one.
//   Functions: YEAR MONTH DAY TODAY CLOCK DATE AGE INSTRING UPPER LOWER CLIP
//   LEFT RIGHT CENTER SUB LEN ALL INRANGE INLIST CHOOSE ABS INT ROUND
//   NUMERIC VAL CHR FORMAT DEFORMAT; any other name followed by "(" is a
//   bound procedure.
class Expression
{
public:
    // How deeply an expression may nest: a bracket, a call, a sign, a NOT and
    // an operation that is the operand of another each go one level deeper;
    // a chain such as a+b+c or a AND b AND c does not. A deeper expression
    // does not compile. Compiling and evaluating take stack by the level, on
    // program threads of 1 MiB: the deepest expression takes about a tenth of
    // one with the address sanitizer, whose frames are the largest.
    static constexpr int kMaxNesting = 64;

    Expression();
    ~Expression();
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;
    Expression(const Expression&);
    Expression& operator=(const Expression&);

    // Parses text. With bindings, every name is resolved now (an unbound
    // name is an error) and evaluation must use the same bindings.
    static Expression compile(std::string_view text, const Bindings* bindings = nullptr);

    bool ok() const;
    const Error& error() const;
    const std::string& text() const;
    // An empty (or blank) text: no condition.
    bool empty() const;

    // Never throws. On a failure gives "" and, when err is given, the reason
    // (a compile error, an unbound name, a failing procedure).
    Value evaluate(const Bindings& bindings, Error* err = nullptr) const;
    // The value as a condition: an empty expression is true, a failing one false.
    bool test(const Bindings& bindings, Error* err = nullptr) const;

    // The names the expression reads or calls, as first written, each once.
    std::vector<std::string> names() const;
    // The AND chain at the top of the expression, part by part.
    std::vector<Conjunct> conjuncts() const;
    // The expression as a condition; Other for an empty or failed one.
    Predicate predicate() const;

    struct Tree;

private:
    std::unique_ptr<Tree> tree_;
};

// One-shot compile and evaluate.
struct Evaluation {
    Value value;
    Error error;
    bool ok() const { return error.empty(); }
};
Evaluation evaluate(std::string_view text, const Bindings& bindings);

// A name of the language starts with a letter, "_" or "$" and goes on with
// those, digits and ":" ("SNG:Artist", "$TCQW:Response").
bool isNameStart(char c);
bool isNameChar(char c);

// Makes any text a string literal of the language: 'it''s'.
std::string quoteString(std::string_view text);

// Order lists: "UPPER(SNG:Artist),-SNG:Title": a comma-separated list of
// expressions, each optionally marked "+" (ascending) or "-" (descending).
struct OrderTerm {
    bool descending = false;
    Expression expression;
};
std::vector<OrderTerm> parseOrder(std::string_view text, const Bindings* bindings, Error* err = nullptr);

} // namespace qv::expr
