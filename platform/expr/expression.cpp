#include "platform/expr/expression.h"

#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

namespace qv::expr {

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == ':';
}

std::string quoteString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out.push_back('\'');
    for (char c : text) {
        out.push_back(c);
        if (c == '\'')
            out.push_back('\'');
    }
    out.push_back('\'');
    return out;
}

// ---------------------------------------------------------------------------
// NameTable

int NameTable::slotFor(std::string_view name)
{
    std::string key = text::asciiUpper(name);
    auto it = slots_.find(key);
    if (it != slots_.end())
        return it->second;
    int slot = static_cast<int>(entries_.size());
    entries_.emplace_back();
    slots_.emplace(std::move(key), slot);
    return slot;
}

void NameTable::bind(std::string_view name, Getter getter)
{
    Entry& e = entries_[static_cast<std::size_t>(slotFor(name))];
    e = Entry{std::move(getter), nullptr, true};
}

void NameTable::bindProcedure(std::string_view name, Procedure procedure)
{
    Entry& e = entries_[static_cast<std::size_t>(slotFor(name))];
    e = Entry{nullptr, std::move(procedure), true};
}

void NameTable::bindValue(std::string_view name, Value v)
{
    bind(name, [v = std::move(v)] { return v; });
}

void NameTable::unbind(std::string_view name)
{
    auto it = slots_.find(text::asciiUpper(name));
    if (it != slots_.end())
        entries_[static_cast<std::size_t>(it->second)] = Entry{};
}

void NameTable::clear()
{
    for (auto& e : entries_)
        e = Entry{};
}

int NameTable::lookup(std::string_view name) const
{
    auto it = slots_.find(text::asciiUpper(name));
    if (it == slots_.end() || !entries_[static_cast<std::size_t>(it->second)].bound)
        return -1;
    return it->second;
}

bool NameTable::isProcedure(int slot) const
{
    return slot >= 0 && static_cast<std::size_t>(slot) < entries_.size()
        && static_cast<bool>(entries_[static_cast<std::size_t>(slot)].procedure);
}

Value NameTable::value(int slot) const
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= entries_.size())
        return Value();
    const Entry& e = entries_[static_cast<std::size_t>(slot)];
    if (e.getter)
        return e.getter();
    if (e.procedure)
        return e.procedure({});
    return Value();
}

Value NameTable::call(int slot, std::span<const Value> args) const
{
    if (slot < 0 || static_cast<std::size_t>(slot) >= entries_.size())
        return Value();
    const Entry& e = entries_[static_cast<std::size_t>(slot)];
    if (e.procedure)
        return e.procedure(args);
    if (e.getter)
        return e.getter();
    return Value();
}

// ---------------------------------------------------------------------------
// The tree

namespace {

enum class Op : std::uint8_t {
    Const,
    Name,
    Builtin,
    Proc,
    Neg,
    Not,
    Pow,
    Mul,
    Div,
    Mod,
    Add,
    Sub,
    Cat,
    Cmp,
    And,
    Or,
    Xor
};

enum class Fn : std::uint8_t {
    Year,
    Month,
    Day,
    Today,
    Clock,
    Date,
    Instring,
    Upper,
    Lower,
    Clip,
    Left,
    Right,
    Center,
    Sub,
    Len,
    Inrange,
    Inlist,
    Choose,
    Abs,
    Int,
    Round,
    Numeric,
    Val,
    Chr,
    Format,
    Deformat
};

struct FnInfo {
    const char* name;
    Fn fn;
    int minArgs, maxArgs;
};

constexpr int kMany = 1 << 20;
constexpr FnInfo kFunctions[] = {
    {"YEAR", Fn::Year, 1, 1},
    {"MONTH", Fn::Month, 1, 1},
    {"DAY", Fn::Day, 1, 1},
    {"TODAY", Fn::Today, 0, 0},
    {"CLOCK", Fn::Clock, 0, 0},
    {"DATE", Fn::Date, 3, 3},
    {"INSTRING", Fn::Instring, 2, 4},
    {"UPPER", Fn::Upper, 1, 1},
    {"LOWER", Fn::Lower, 1, 1},
    {"CLIP", Fn::Clip, 1, 1},
    {"LEFT", Fn::Left, 1, 2},
    {"RIGHT", Fn::Right, 1, 2},
    {"CENTER", Fn::Center, 1, 2},
    {"SUB", Fn::Sub, 2, 3},
    {"LEN", Fn::Len, 1, 1},
    {"INRANGE", Fn::Inrange, 3, 3},
    {"INLIST", Fn::Inlist, 2, kMany},
    {"CHOOSE", Fn::Choose, 2, kMany},
    {"ABS", Fn::Abs, 1, 1},
    {"INT", Fn::Int, 1, 1},
    {"ROUND", Fn::Round, 2, 2},
    {"NUMERIC", Fn::Numeric, 1, 1},
    {"VAL", Fn::Val, 1, 1},
    {"CHR", Fn::Chr, 1, 1},
    {"FORMAT", Fn::Format, 2, 2},
    {"DEFORMAT", Fn::Deformat, 2, 2},
};

// Every function but CHOOSE and INLIST gets its arguments evaluated into a
// fixed array before it runs.
constexpr std::size_t kMaxFixedArgs = 4;
static_assert([] {
    for (const FnInfo& f : kFunctions)
        if (f.maxArgs > static_cast<int>(kMaxFixedArgs) && f.fn != Fn::Choose && f.fn != Fn::Inlist)
            return false;
    return true;
}());

const FnInfo* findFunction(std::string_view name)
{
    std::string key = text::asciiUpper(name);
    for (const auto& f : kFunctions)
        if (key == f.name)
            return &f;
    return nullptr;
}

struct Node {
    Op op = Op::Const;
    Fn fn = Fn::Year;
    CompareOp cmp = CompareOp::Eq;
    int slot = -1; // Name, Proc: resolved slot (-1: look up per evaluation)
    int a = -1, b = -1; // operands
    // Builtin, Proc: the arguments. And, Or: the operands. Any other binary
    // operator: the chain of binary operators down its left operands that it
    // ends, innermost first (a*b+c: the *, then the +).
    std::vector<int> args;
    std::size_t begin = 0, end = 0;
    std::string name; // Name, Proc
    Value constant; // Const
    std::shared_ptr<const Picture> picture; // FORMAT, DEFORMAT with a constant picture
};

constexpr std::size_t kMaxLength = 65536;

// Character positions and counts from huge numbers (10^30 reads as the
// largest integer): no text is this long, and sums of them cannot overflow.
std::int64_t asPosition(std::int64_t v)
{
    constexpr std::int64_t kFar = std::int64_t(1) << 40;
    return std::clamp(v, -kFar, kFar);
}

// -v for a number; -(-2^63) is no 64-bit integer.
Value negative(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Integer:
        if (v.toInt() == INT64_MIN)
            return Value(-static_cast<double>(v.toInt()));
        return Value(-v.toInt());
    case Value::Kind::Decimal:
        return Value(v.toDecimal().negated());
    default:
        return Value(-v.toReal());
    }
}

} // namespace

struct Expression::Tree {
    std::string text;
    std::vector<Node> nodes;
    int root = -1;
    Error error;
    bool resolved = false;
};

// ---------------------------------------------------------------------------
// Parser

namespace {

enum class Tok : std::uint8_t { End, Number, String, Name, Picture, LParen, RParen, Comma, Op, Error };

struct Token {
    Tok kind = Tok::End;
    std::size_t begin = 0, end = 0;
    std::string text; // operator spelling, name, picture, decoded string
    Value number;
};

class Parser
{
public:
    Parser(Expression::Tree& t, const Bindings* b)
        : t_(t)
        , s_(t.text)
        , bindings_(b)
    { }

    void run()
    {
        next();
        if (tok_.kind == Tok::End)
            return; // empty: no condition
        int root = parseExpression(kOr);
        if (!failed() && tok_.kind != Tok::End)
            fail("Unexpected " + describe(tok_), tok_.begin);
        if (!failed())
            t_.root = root;
    }

private:
    bool failed() const { return !t_.error.empty(); }

    int fail(std::string message, std::size_t pos)
    {
        if (!failed())
            t_.error = Error{std::move(message), static_cast<int>(pos) + 1};
        return -1;
    }

    static std::string describe(const Token& k)
    {
        switch (k.kind) {
        case Tok::End:
            return "end of expression";
        case Tok::Comma:
            return "','";
        case Tok::RParen:
            return "')'";
        case Tok::LParen:
            return "'('";
        default:
            return "'" + k.text + "'";
        }
    }

    int add(Node n)
    {
        t_.nodes.push_back(std::move(n));
        return static_cast<int>(t_.nodes.size()) - 1;
    }

    Node& node(int i) { return t_.nodes[static_cast<std::size_t>(i)]; }

    // --- tokens ---
    void next()
    {
        tok_ = Token{};
        std::size_t i = pos_;
        while (i < s_.size() && (s_[i] == ' ' || s_[i] == '\t' || s_[i] == '\r' || s_[i] == '\n'))
            ++i;
        tok_.begin = i;
        if (i >= s_.size()) {
            tok_.kind = Tok::End;
            tok_.end = pos_ = i;
            return;
        }
        const char c = s_[i];
        if ((c >= '0' && c <= '9') || (c == '.' && i + 1 < s_.size() && s_[i + 1] >= '0' && s_[i + 1] <= '9')) {
            std::size_t j = i;
            while (j < s_.size() && ((s_[j] >= '0' && s_[j] <= '9') || s_[j] == '.'))
                ++j;
            tok_.text = std::string(s_.substr(i, j - i));
            if (!parseNumber(tok_.text, tok_.number) || (j < s_.size() && isNameStart(s_[j]))) {
                while (j < s_.size() && isNameChar(s_[j]))
                    ++j;
                tok_.kind = Tok::Error;
                tok_.text = "Malformed number '" + std::string(s_.substr(i, j - i)) + "'";
            } else {
                tok_.kind = Tok::Number;
            }
            tok_.end = pos_ = j;
            return;
        }
        if (c == '\'') {
            std::size_t j = i + 1;
            std::string text;
            for (;;) {
                if (j >= s_.size()) {
                    tok_.kind = Tok::Error;
                    tok_.text = "Unterminated string";
                    tok_.end = pos_ = j;
                    return;
                }
                if (s_[j] == '\'') {
                    if (j + 1 < s_.size() && s_[j + 1] == '\'') {
                        text.push_back('\'');
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                text.push_back(s_[j++]);
            }
            tok_.kind = Tok::String;
            tok_.text = std::move(text);
            tok_.end = pos_ = j;
            return;
        }
        if (isNameStart(c)) {
            std::size_t j = i;
            while (j < s_.size() && isNameChar(s_[j]))
                ++j;
            tok_.kind = Tok::Name;
            tok_.text = std::string(s_.substr(i, j - i));
            tok_.end = pos_ = j;
            return;
        }
        if (c == '@') {
            std::size_t j = i + 1;
            if (j < s_.size() && (s_[j] == 'p' || s_[j] == 'P')) {
                // Patterns hold brackets and commas: they run to the closing P.
                std::size_t close = j + 1;
                while (close < s_.size() && s_[close] != 'p' && s_[close] != 'P')
                    ++close;
                j = close < s_.size() ? close + 1 : close;
                if (j < s_.size() && (s_[j] == 'b' || s_[j] == 'B'))
                    ++j;
            } else {
                while (j < s_.size() && s_[j] != ',' && s_[j] != ')' && s_[j] != ' ' && s_[j] != '\t')
                    ++j;
            }
            tok_.kind = Tok::Picture;
            tok_.text = std::string(s_.substr(i, j - i));
            tok_.end = pos_ = j;
            return;
        }
        if (c == '(' || c == ')' || c == ',') {
            tok_.kind = c == '(' ? Tok::LParen : c == ')' ? Tok::RParen : Tok::Comma;
            tok_.text = std::string(1, c);
            tok_.end = pos_ = i + 1;
            return;
        }
        static const char* const kOps[]
            = {"<>", "<=", ">=", "=<", "=>", "~=", "~<", "~>", "=", "<", ">", "~", "+", "-", "*", "/", "%", "^", "&"};
        for (const char* op : kOps) {
            std::string_view v(op);
            if (s_.substr(i, v.size()) == v) {
                tok_.kind = Tok::Op;
                tok_.text = std::string(v);
                tok_.end = pos_ = i + v.size();
                return;
            }
        }
        tok_.kind = Tok::Error;
        tok_.text = std::string("Unexpected character '") + c + "'";
        tok_.end = pos_ = i + 1;
    }

    bool isOp(const char* op) const { return tok_.kind == Tok::Op && tok_.text == op; }
    bool isKeyword(const char* kw) const { return tok_.kind == Tok::Name && text::asciiUpper(tok_.text) == kw; }

    // --- nesting ---
    // Parsing and evaluation recurse once per level of nesting, on a program
    // thread's stack; the limit keeps the deepest expression far inside it.
    class Descent
    {
    public:
        explicit Descent(Parser& p)
            : p_(p)
        {
            ++p_.nesting_;
        }
        ~Descent() { --p_.nesting_; }
        Descent(const Descent&) = delete;
        Descent& operator=(const Descent&) = delete;
        bool tooDeep() const { return p_.nesting_ > Expression::kMaxNesting; }

    private:
        Parser& p_;
    };

    int tooDeep(std::size_t pos)
    {
        return fail("Expression is nested more than " + std::to_string(Expression::kMaxNesting) + " levels deep", pos);
    }

    int depthOf(int i) const { return i < 0 ? 0 : depth_[static_cast<std::size_t>(i)]; }

    // How deep the evaluator recurses for node i: one level per operand that
    // is itself an operation, except along a chain of binary operators
    // (a+b+c), which it walks in a loop.
    int setDepth(int i, int d)
    {
        if (depth_.size() <= static_cast<std::size_t>(i)) {
            depth_.resize(static_cast<std::size_t>(i) + 1, 0);
            grouped_.resize(static_cast<std::size_t>(i) + 1, false);
        }
        depth_[static_cast<std::size_t>(i)] = d;
        return d > Expression::kMaxNesting ? tooDeep(node(i).begin) : i;
    }

    static bool chained(Op op) { return (op >= Op::Pow && op <= Op::Cmp) || op == Op::Xor; }

    // --- nodes ---
    int leaf(Node n)
    {
        int i = add(std::move(n));
        return setDepth(i, 0);
    }

    int unary(Op op, int operand, std::size_t begin)
    {
        Node n;
        n.op = op;
        n.a = operand;
        n.begin = begin;
        n.end = node(operand).end;
        int i = add(std::move(n));
        return setDepth(i, depthOf(operand) + 1);
    }

    // "-5" becomes a constant, so that comparisons with it stay simple.
    int negation(int operand, std::size_t begin)
    {
        Node& o = node(operand);
        if (o.op != Op::Const || !o.constant.isNumber())
            return unary(Op::Neg, operand, begin);
        o.constant = negative(o.constant);
        o.begin = begin;
        return operand;
    }

    int binary(Op op, int a, int b, CompareOp cmp)
    {
        Node n;
        n.op = op;
        n.cmp = cmp;
        n.a = a;
        n.b = b;
        n.begin = node(a).begin;
        n.end = node(b).end;
        int left = depthOf(a);
        if (chained(node(a).op)) {
            n.args = std::move(node(a).args); // the chain this operator extends
            --left;
        }
        int i = add(std::move(n));
        node(i).args.push_back(i);
        return setDepth(i, std::max(left, depthOf(b)) + 1);
    }

    // AND and OR chains are kept flat: long filters stay shallow.
    int chain(Op op, int left, int right)
    {
        if (node(left).op == op && !grouped_[static_cast<std::size_t>(left)]) {
            node(left).args.push_back(right);
            node(left).end = node(right).end;
            return setDepth(left, std::max(depthOf(left), depthOf(right) + 1));
        }
        Node n;
        n.op = op;
        n.args = {left, right};
        n.begin = node(left).begin;
        n.end = node(right).end;
        int i = add(std::move(n));
        return setDepth(i, std::max(depthOf(left), depthOf(right)) + 1);
    }

    // --- grammar ---
    // How tightly the operators bind, loosest first; NOT and the signs are
    // prefixes, the signs binding tighter than every operator ("-2^2" is 4).
    enum Strength : int { kNone, kOr, kAnd, kNot, kCompare, kJoin, kSum, kProduct, kPower, kSign };

    struct Operator {
        int strength = kNone;
        Op op = Op::Const;
        CompareOp cmp = CompareOp::Eq;
    };

    Operator binaryOperator() const
    {
        if (tok_.kind == Tok::Name) {
            if (isKeyword("OR"))
                return {kOr, Op::Or};
            if (isKeyword("XOR"))
                return {kOr, Op::Xor};
            if (isKeyword("AND"))
                return {kAnd, Op::And};
            return {};
        }
        if (tok_.kind != Tok::Op)
            return {};
        static const struct {
            const char* text;
            Operator op;
        } kOperators[] = {
            {"=", {kCompare, Op::Cmp, CompareOp::Eq}},
            {"<>", {kCompare, Op::Cmp, CompareOp::Ne}},
            {"~=", {kCompare, Op::Cmp, CompareOp::Ne}},
            {"<", {kCompare, Op::Cmp, CompareOp::Lt}},
            {"<=", {kCompare, Op::Cmp, CompareOp::Le}},
            {"=<", {kCompare, Op::Cmp, CompareOp::Le}},
            {"~>", {kCompare, Op::Cmp, CompareOp::Le}},
            {">", {kCompare, Op::Cmp, CompareOp::Gt}},
            {">=", {kCompare, Op::Cmp, CompareOp::Ge}},
            {"=>", {kCompare, Op::Cmp, CompareOp::Ge}},
            {"~<", {kCompare, Op::Cmp, CompareOp::Ge}},
            {"&", {kJoin, Op::Cat}},
            {"+", {kSum, Op::Add}},
            {"-", {kSum, Op::Sub}},
            {"*", {kProduct, Op::Mul}},
            {"/", {kProduct, Op::Div}},
            {"%", {kProduct, Op::Mod}},
            {"^", {kPower, Op::Pow}},
        };
        for (const auto& o : kOperators)
            if (tok_.text == o.text)
                return o.op;
        return {};
    }

    // Operators binding at least as tightly as `weakest`, left to right. A
    // run of operators is a loop; only an operand recurses.
    int parseExpression(int weakest)
    {
        Descent descent(*this);
        if (descent.tooDeep())
            return tooDeep(tok_.begin);
        int left = parseOperand(weakest);
        while (!failed()) {
            const Operator o = binaryOperator();
            if (o.strength == kNone || o.strength < weakest)
                break;
            next();
            int right = parseExpression(o.strength + 1);
            if (failed())
                break;
            left = (o.op == Op::And || o.op == Op::Or) ? chain(o.op, left, right) : binary(o.op, left, right, o.cmp);
        }
        return failed() ? -1 : left;
    }

    // A primary with its prefixes. NOT takes a comparison, so it may stand
    // only where one may: "NOT a=b", "a AND NOT b", but not "a = NOT b".
    int parseOperand(int weakest)
    {
        const std::size_t begin = tok_.begin;
        if (weakest <= kNot && (isKeyword("NOT") || isOp("~"))) {
            next();
            int operand = parseExpression(kNot);
            return operand < 0 ? -1 : unary(Op::Not, operand, begin);
        }
        if (isOp("-") || isOp("+")) {
            const bool minus = isOp("-");
            Descent descent(*this);
            if (descent.tooDeep())
                return tooDeep(begin);
            next();
            int operand = parseOperand(kSign);
            if (operand < 0 || !minus)
                return operand;
            return negation(operand, begin);
        }
        return parsePrimary();
    }

    int parsePrimary()
    {
        switch (tok_.kind) {
        case Tok::Number:
        case Tok::String:
        case Tok::Picture:
            return parseConstant();
        case Tok::LParen:
            return parseGroup();
        case Tok::Name:
            return parseName();
        case Tok::Error:
            return fail(tok_.text, tok_.begin);
        case Tok::End:
            return fail("Expression ends too early", tok_.begin);
        default:
            return unexpected();
        }
    }

    int unexpected() { return fail("Unexpected " + describe(tok_), tok_.begin); }
    int expected(const char* what)
    {
        return fail(std::string("Expected ") + what + " but found " + describe(tok_), tok_.begin);
    }

    int parseConstant()
    {
        Node n;
        n.op = Op::Const;
        n.constant = tok_.kind == Tok::Number ? tok_.number : Value(tok_.text);
        n.begin = tok_.begin;
        n.end = tok_.end;
        if (tok_.kind == Tok::Picture)
            n.name = "@";
        next();
        return leaf(std::move(n));
    }

    int parseGroup()
    {
        const std::size_t begin = tok_.begin;
        next();
        int inner = parseExpression(kOr);
        if (failed())
            return -1;
        if (tok_.kind != Tok::RParen)
            return expected("')'");
        node(inner).begin = begin;
        node(inner).end = tok_.end;
        grouped_[static_cast<std::size_t>(inner)] = true;
        next();
        return inner;
    }

    int parseName()
    {
        if (isKeyword("AND") || isKeyword("OR") || isKeyword("XOR") || isKeyword("NOT"))
            return unexpected();
        std::string name = std::move(tok_.text);
        const std::size_t begin = tok_.begin, end = tok_.end;
        next();
        if (tok_.kind != Tok::LParen)
            return nameNode(std::move(name), begin, end);
        next();
        std::vector<int> args;
        if (tok_.kind != Tok::RParen) {
            for (;;) {
                int a = parseExpression(kOr);
                if (failed())
                    return -1;
                args.push_back(a);
                if (tok_.kind == Tok::Comma) {
                    next();
                    continue;
                }
                if (tok_.kind == Tok::RParen)
                    break;
                return expected("',' or ')'");
            }
        }
        return callNode(std::move(name), begin, std::move(args));
    }

    int nameNode(std::string name, std::size_t begin, std::size_t end)
    {
        Node n;
        n.op = Op::Name;
        n.begin = begin;
        n.end = end;
        if (bindings_) {
            n.slot = bindings_->lookup(name);
            if (n.slot < 0)
                return fail("Unknown name '" + name + "'", begin);
        }
        n.name = std::move(name);
        return leaf(std::move(n));
    }

    // A call; the current token is its ')'.
    int callNode(std::string name, std::size_t begin, std::vector<int> args)
    {
        Node n;
        n.begin = begin;
        n.end = tok_.end;
        n.args = std::move(args);
        next();
        const int argc = static_cast<int>(n.args.size());
        if (const FnInfo* f = findFunction(name)) {
            if (argc < f->minArgs || argc > f->maxArgs) {
                std::string want = f->minArgs == f->maxArgs ? std::to_string(f->minArgs)
                    : f->maxArgs == kMany                   ? "at least " + std::to_string(f->minArgs)
                                          : std::to_string(f->minArgs) + " to " + std::to_string(f->maxArgs);
                return fail(std::string(f->name) + " takes " + want + " argument" + (want == "1" ? "" : "s") + ", not "
                        + std::to_string(argc),
                    begin);
            }
            n.op = Op::Builtin;
            n.fn = f->fn;
            if ((f->fn == Fn::Format || f->fn == Fn::Deformat) && node(n.args[1]).op == Op::Const) {
                auto pic = std::make_shared<Picture>(Picture::parse(node(n.args[1]).constant.toString()));
                if (!pic->valid())
                    return fail("Invalid picture '" + node(n.args[1]).constant.toString() + "'", node(n.args[1]).begin);
                n.picture = std::move(pic);
            }
        } else {
            n.op = Op::Proc;
            if (bindings_) {
                n.slot = bindings_->lookup(name);
                if (n.slot < 0)
                    return fail("Unknown procedure '" + name + "'", begin);
                if (!bindings_->isProcedure(n.slot))
                    return fail("'" + name + "' is not a procedure", begin);
            }
        }
        n.name = std::move(name);
        int deepest = 0;
        for (int a : n.args)
            deepest = std::max(deepest, depthOf(a));
        int i = add(std::move(n));
        return setDepth(i, deepest + 1);
    }

    Expression::Tree& t_;
    std::string_view s_;
    const Bindings* bindings_;
    std::size_t pos_ = 0;
    Token tok_;
    int nesting_ = -1; // the whole expression is level 0
    std::vector<int> depth_; // per node: see setDepth
    std::vector<bool> grouped_; // per node: written in brackets
};

// ---------------------------------------------------------------------------
// Evaluation

Value numberOf(const Value& v)
{
    return v.isNumber() ? v : v.asNumber();
}

// A floating-point result. One that is no number (the difference of two
// infinities, a root of a negative number) has no answer and gives 0, as a
// division by zero does; an infinity stays one, beyond every number.
Value real(double r)
{
    return std::isnan(r) ? Value(0) : Value(r);
}

// Integers stay integers and decimals stay exact as long as the result fits
// them; beyond that the arithmetic goes on in floating point, as it does for
// reals, rather than wrapping or saturating.
Value arith(Op op, const Value& x0, const Value& y0)
{
    const Value x = numberOf(x0), y = numberOf(y0);
    using K = Value::Kind;
    if (x.kind() == K::Integer && y.kind() == K::Integer) {
        std::int64_t a = x.toInt(), b = y.toInt(), r = 0;
        bool over = true;
        switch (op) {
        case Op::Add:
            over = __builtin_add_overflow(a, b, &r);
            break;
        case Op::Sub:
            over = __builtin_sub_overflow(a, b, &r);
            break;
        case Op::Mul:
            over = __builtin_mul_overflow(a, b, &r);
            break;
        case Op::Div:
            if (b == 0)
                return Value(0);
            if (b != -1 && a % b == 0)
                return Value(a / b);
            break;
        case Op::Mod:
            if (b == 0 || b == -1)
                return Value(0);
            return Value(a % b);
        case Op::Pow:
            if (b >= 0 && b < 64) {
                r = 1;
                over = false;
                for (std::int64_t k = 0; k < b && !over; ++k)
                    over = __builtin_mul_overflow(r, a, &r);
            }
            break;
        default:
            break;
        }
        if (!over && r != INT64_MIN) // whose negation is no integer
            return Value(r);
    }
    if (x.isExact() && y.isExact() && op != Op::Pow) {
        const Decimal a = x.toDecimal(), b = y.toDecimal();
        std::optional<Decimal> r;
        switch (op) {
        case Op::Add:
            r = Decimal::tryAdd(a, b);
            break;
        case Op::Sub:
            r = Decimal::trySubtract(a, b);
            break;
        case Op::Mul:
            r = Decimal::tryMultiply(a, b);
            break;
        case Op::Div:
            if (b.isZero())
                return Value(0);
            r = Decimal::tryDivide(a, b);
            break;
        case Op::Mod:
            return b.isZero() ? Value(0) : Value(a.remainder(b));
        default:
            break;
        }
        if (r)
            return Value(*r);
    }
    const double a = x.toReal(), b = y.toReal();
    switch (op) {
    case Op::Add:
        return real(a + b);
    case Op::Sub:
        return real(a - b);
    case Op::Mul:
        return real(a * b);
    case Op::Div:
        return b == 0 ? Value(0) : real(a / b);
    case Op::Mod:
        return b == 0 ? Value(0) : real(std::fmod(a, b));
    case Op::Pow:
        // 0 to a negative power divides by zero.
        return a == 0 && b < 0 ? Value(0) : real(std::pow(a, b));
    default:
        return Value(0);
    }
}

bool compareHolds(CompareOp op, int c)
{
    switch (op) {
    case CompareOp::Eq:
        return c == 0;
    case CompareOp::Ne:
        return c != 0;
    case CompareOp::Lt:
        return c < 0;
    case CompareOp::Le:
        return c <= 0;
    case CompareOp::Gt:
        return c > 0;
    case CompareOp::Ge:
        return c >= 0;
    }
    return false;
}

std::string justify(std::string_view s, char how, std::int64_t width)
{
    std::string_view core = text::trim(s);
    std::size_t w = width < 0 ? text::charCount(s) : static_cast<std::size_t>(std::min<std::int64_t>(width, 1 << 20));
    std::size_t n = text::charCount(core);
    if (n >= w)
        return std::string(text::firstChars(core, w));
    std::size_t pad = w - n;
    std::size_t before = how == 'L' ? 0 : how == 'R' ? pad : pad / 2;
    return std::string(before, ' ') + std::string(core) + std::string(pad - before, ' ');
}

std::string utf8Char(std::int64_t code)
{
    std::string out;
    if (code >= 0 && code <= 0x10FFFF)
        text::appendChar(out, static_cast<char32_t>(code));
    return out;
}

std::int64_t instring(std::string_view sub, std::string_view s, std::int64_t step, std::int64_t start)
{
    const std::int64_t len = static_cast<std::int64_t>(text::charCount(s));
    step = asPosition(step);
    start = asPosition(start);
    if (step == 0)
        step = 1;
    if (start == 0)
        start = step > 0 ? 1 : len;
    if (step == 1 && start >= 1 && start <= len) {
        // The common search, character by character from the start: one scan
        // instead of finding each position's byte offset anew (filters run
        // this per record).
        const std::size_t from = text::byteOffset(s, static_cast<std::size_t>(start - 1));
        for (std::size_t at = s.find(sub, from); at != std::string_view::npos; at = s.find(sub, at + 1))
            if (!text::isContinuation(s[at]) || sub.empty())
                return start + static_cast<std::int64_t>(text::charCount(s.substr(from, at - from)));
        return 0;
    }
    for (std::int64_t p = start; p >= 1 && p <= len; p += step) {
        std::size_t off = text::byteOffset(s, static_cast<std::size_t>(p - 1));
        if (s.substr(off, sub.size()) == sub && off + sub.size() <= s.size())
            return p;
    }
    return 0;
}

class Evaluator
{
public:
    Evaluator(const Expression::Tree& t, const Bindings& b, Error* err)
        : t_(t)
        , b_(b)
        , err_(err)
    { }

    bool failed() const { return failed_; }

    // One frame of this and one of the operation per level of nesting: each
    // keeps its own locals few, so that the deepest expression stays small.
    Value eval(int i)
    {
        const Node& n = node(i);
        switch (n.op) {
        case Op::Const:
            return n.constant;
        case Op::Name:
            return name(n);
        case Op::Proc:
            return call(n);
        case Op::Builtin:
            return builtin(n);
        case Op::Neg:
            return negate(n);
        case Op::Not:
            return Value(eval(n.a).truthy() ? 0 : 1);
        case Op::And:
            return all(n);
        case Op::Or:
            return any(n);
        default:
            return operators(n);
        }
    }

private:
    const Node& node(int i) const { return t_.nodes[static_cast<std::size_t>(i)]; }

    // Constants are used in place: no copy of a constant string per row.
    const Value& ref(int i, Value& tmp)
    {
        const Node& n = node(i);
        if (n.op == Op::Const)
            return n.constant;
        tmp = eval(i);
        return tmp;
    }

    Value name(const Node& n)
    {
        int slot = resolve(n);
        return slot < 0 ? Value() : b_.value(slot);
    }

    Value call(const Node& n)
    {
        int slot = resolve(n);
        if (slot < 0)
            return Value();
        std::vector<Value> args;
        args.reserve(n.args.size());
        for (int a : n.args)
            args.push_back(eval(a));
        return b_.call(slot, args);
    }

    Value negate(const Node& n) { return negative(numberOf(eval(n.a))); }

    Value all(const Node& n)
    {
        for (int a : n.args)
            if (!eval(a).truthy() || failed_)
                return Value(0);
        return Value(1);
    }

    Value any(const Node& n)
    {
        for (int a : n.args) {
            if (failed_)
                return Value(0);
            if (eval(a).truthy())
                return Value(1);
        }
        return Value(0);
    }

public:
    // The first count operators of a chain worked out: all of them give its
    // value, all but the last the last one's left operand (a+b in a+b=c).
    Value chain(const Node& last, std::size_t count)
    {
        Value result, tmp;
        const Value* x = &ref(node(last.args.front()).a, tmp);
        for (std::size_t k = 0; k < count; ++k) {
            const Node& n = node(last.args[k]);
            Value ty;
            result = apply(n, *x, ref(n.b, ty));
            x = &result;
        }
        if (count == 0)
            return *x;
        return result;
    }

private:
    // A chain of binary operators (a+b*c-d: its args list them innermost
    // first), in a loop rather than one recursion per operator.
    Value operators(const Node& last) { return chain(last, last.args.size()); }

    static Value apply(const Node& n, const Value& x, const Value& y)
    {
        switch (n.op) {
        case Op::Cmp:
            return Value(compareHolds(n.cmp, compare(x, y)) ? 1 : 0);
        case Op::Cat: {
            std::string s = x.isString() ? x.str() : x.toString();
            s += y.isString() ? y.str() : y.toString();
            return Value(std::move(s));
        }
        case Op::Xor:
            return Value(x.truthy() != y.truthy() ? 1 : 0);
        default:
            return arith(n.op, x, y);
        }
    }

    int resolve(const Node& n)
    {
        int slot = n.slot >= 0 ? n.slot : b_.lookup(n.name);
        if (slot < 0)
            fail("Unknown name '" + n.name + "'", n.begin);
        else if (n.op == Op::Proc && n.slot < 0 && !b_.isProcedure(slot))
            fail("'" + n.name + "' is not a procedure", n.begin);
        else
            return slot;
        return -1;
    }

    void fail(std::string message, std::size_t pos)
    {
        if (failed_)
            return;
        failed_ = true;
        if (err_)
            *err_ = Error{std::move(message), static_cast<int>(pos) + 1};
    }

    static std::string text(const Value& v) { return v.isString() ? v.str() : v.toString(); }

    static std::int32_t asDay(std::int64_t v)
    {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -100000000, 100000000));
    }

    // The arguments first, then the function: the function's many locals are
    // never on the stack while an argument is evaluated.
    Value builtin(const Node& n)
    {
        if (n.fn == Fn::Choose)
            return choose(n);
        if (n.fn == Fn::Inlist)
            return inlist(n);
        switch (n.args.size()) {
        case 0:
            return function(n, {});
        case 1: {
            Value a = eval(n.args[0]);
            return function(n, std::span<const Value>(&a, 1));
        }
        default: {
            std::array<Value, kMaxFixedArgs> args;
            for (std::size_t k = 0; k < n.args.size(); ++k)
                args[k] = eval(n.args[k]);
            return function(n, std::span<const Value>(args.data(), n.args.size()));
        }
        }
    }

    // CHOOSE(n, v1, v2, ...): the n-th value, the last one when n is out of
    // range; so CHOOSE(condition, a, b) is a when true, b when false. Only the
    // chosen value is evaluated.
    Value choose(const Node& n)
    {
        std::int64_t k = eval(n.args[0]).toInt();
        std::size_t count = n.args.size() - 1;
        std::size_t pick = (k >= 1 && static_cast<std::uint64_t>(k) <= count) ? static_cast<std::size_t>(k) : count;
        return eval(n.args[pick]);
    }

    // INLIST(x, v1, v2, ...): the position of the first value equal to x;
    // the rest are not evaluated.
    Value inlist(const Node& n)
    {
        Value x = eval(n.args[0]);
        for (std::size_t k = 1; k < n.args.size(); ++k)
            if (compare(x, eval(n.args[k])) == 0)
                return Value(static_cast<std::int64_t>(k));
        return Value(0);
    }

    Value function(const Node& n, std::span<const Value> a)
    {
        switch (n.fn) {
        case Fn::Year:
            return Value(static_cast<std::int64_t>(ymdFromDate(asDay(a[0].toInt())).year));
        case Fn::Month:
            return Value(static_cast<std::int64_t>(ymdFromDate(asDay(a[0].toInt())).month));
        case Fn::Day:
            return Value(static_cast<std::int64_t>(ymdFromDate(asDay(a[0].toInt())).day));
        case Fn::Today:
            return Value(static_cast<std::int64_t>(defaultClock().today()));
        case Fn::Clock:
            return Value(static_cast<std::int64_t>(defaultClock().clock()));
        case Fn::Date: {
            auto clampi
                = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000)); };
            int m = clampi(a[0].toInt()), d = clampi(a[1].toInt()), y = clampi(a[2].toInt());
            return Value(static_cast<std::int64_t>(dateFromYmd(y, m, d)));
        }
        case Fn::Instring: {
            std::int64_t step = a.size() > 2 ? a[2].toInt() : 1;
            std::int64_t start = a.size() > 3 ? a[3].toInt() : 0;
            return Value(instring(text(a[0]), text(a[1]), step, start));
        }
        case Fn::Upper:
            return Value(text::upper(text(a[0])));
        case Fn::Lower:
            return Value(text::lower(text(a[0])));
        case Fn::Clip:
            return Value(text::trimRight(text(a[0])));
        case Fn::Left:
        case Fn::Right:
        case Fn::Center: {
            std::int64_t w = a.size() > 1 ? a[1].toInt() : -1;
            return Value(justify(text(a[0]), n.fn == Fn::Left ? 'L' : n.fn == Fn::Right ? 'R' : 'C', w));
        }
        case Fn::Sub: {
            std::string s = text(a[0]);
            std::int64_t len = static_cast<std::int64_t>(text::charCount(s));
            std::int64_t start = asPosition(a[1].toInt());
            std::int64_t count = a.size() > 2 ? asPosition(a[2].toInt()) : len;
            if (start < 0)
                start = len + start + 1; // counted from the end
            if (start < 1) {
                count += start - 1;
                start = 1;
            }
            if (count <= 0 || start > len)
                return Value("");
            std::size_t b = text::byteOffset(s, static_cast<std::size_t>(start - 1));
            std::size_t e = text::byteOffset(s, static_cast<std::size_t>(std::min(len, start - 1 + count)));
            return Value(std::string_view(s).substr(b, e - b));
        }
        case Fn::Len:
            return Value(static_cast<std::int64_t>(text::charCount(text(a[0]))));
        case Fn::Inrange:
            return Value(compare(a[0], a[1]) >= 0 && compare(a[0], a[2]) <= 0 ? 1 : 0);
        case Fn::Abs: {
            Value v = numberOf(a[0]);
            switch (v.kind()) {
            case Value::Kind::Integer:
                return v.toInt() < 0 ? negative(v) : v;
            case Value::Kind::Decimal:
                return Value(v.toDecimal().abs());
            default:
                return Value(std::fabs(v.toReal()));
            }
        }
        case Fn::Int: {
            Value v = numberOf(a[0]);
            // A real beyond 64 bits is a whole number already.
            if (v.kind() == Value::Kind::Real && !(std::fabs(v.toReal()) < 9.2e18))
                return real(std::trunc(v.toReal()));
            return Value(v.toInt());
        }
        case Fn::Round: {
            // ROUND(v, step): the multiple of step nearest to v.
            Value v = numberOf(a[0]), step = numberOf(a[1]);
            if (v.isExact() && step.isExact()) {
                if (step.toDecimal().isZero())
                    return v;
                if (auto r = v.toDecimal().tryRoundTo(step.toDecimal()))
                    return Value(*r);
            }
            const double s = std::fabs(step.toReal()), x = v.toReal();
            const double steps = x / s;
            // From 2^52 steps on, every real is a whole number of them.
            if (s == 0 || !(std::fabs(steps) < 0x1p52))
                return v;
            return real(std::round(steps) * s);
        }
        case Fn::Numeric:
            return Value(a[0].looksNumeric() ? 1 : 0);
        case Fn::Val: {
            std::string s = text(a[0]);
            if (s.empty())
                return Value(0);
            unsigned char c = static_cast<unsigned char>(s[0]);
            if (c < 0x80)
                return Value(static_cast<std::int64_t>(c));
            // Decode one UTF-8 character.
            std::int64_t code = 0;
            int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            code = c & (0x3F >> more);
            for (int k = 1; k <= more && static_cast<std::size_t>(k) < s.size(); ++k)
                code = (code << 6) | (static_cast<unsigned char>(s[static_cast<std::size_t>(k)]) & 0x3F);
            return Value(code);
        }
        case Fn::Chr:
            return Value(utf8Char(a[0].toInt()));
        case Fn::Format:
        case Fn::Deformat: {
            Picture parsed;
            const Picture* pic = n.picture.get();
            if (!pic) {
                parsed = Picture::parse(text(a[1]));
                if (!parsed.valid()) {
                    fail("Invalid picture '" + parsed.text() + "'", node(n.args[1]).begin);
                    return Value();
                }
                pic = &parsed;
            }
            if (n.fn == Fn::Format)
                return Value(pic->format(a[0]));
            return pic->deformat(a[0].isString() ? std::string_view(a[0].str()) : std::string_view(a[0].toString()));
        }
        case Fn::Choose:
        case Fn::Inlist:
            break; // above: they evaluate their arguments as they go
        }
        return Value();
    }

    const Expression::Tree& t_;
    const Bindings& b_;
    Error* err_;
    bool failed_ = false;
};

} // namespace

// ---------------------------------------------------------------------------
// Expression

Expression::Expression()
    : tree_(std::make_unique<Tree>())
{ }
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;
Expression::Expression(const Expression& o)
    : tree_(std::make_unique<Tree>(*o.tree_))
{ }
Expression& Expression::operator=(const Expression& o)
{
    if (this != &o)
        tree_ = std::make_unique<Tree>(*o.tree_);
    return *this;
}

Expression Expression::compile(std::string_view text, const Bindings* bindings)
{
    Expression e;
    Tree& t = *e.tree_;
    t.resolved = bindings != nullptr;
    if (text.size() > kMaxLength) {
        t.text = std::string(text.substr(0, 64));
        t.error = Error{"Expression is too long (" + std::to_string(text.size()) + " characters)", 1};
        return e;
    }
    t.text = std::string(text);
    try {
        Parser(t, bindings).run();
    } catch (const std::exception& ex) {
        t.error = Error{std::string("Expression could not be compiled: ") + ex.what(), 1};
    }
    if (!t.error.empty()) {
        t.nodes.clear();
        t.root = -1;
    }
    return e;
}

bool Expression::ok() const
{
    return tree_->error.empty();
}
const Error& Expression::error() const
{
    return tree_->error;
}
const std::string& Expression::text() const
{
    return tree_->text;
}
bool Expression::empty() const
{
    return ok() && tree_->root < 0;
}

Value Expression::evaluate(const Bindings& bindings, Error* err) const
{
    if (err)
        *err = Error{};
    if (!ok()) {
        if (err)
            *err = tree_->error;
        return Value("");
    }
    if (tree_->root < 0)
        return Value("");
    try {
        Evaluator ev(*tree_, bindings, err);
        Value v = ev.eval(tree_->root);
        return ev.failed() ? Value("") : v;
    } catch (const std::exception& ex) {
        // Only errors: anything else (a thread being unwound) must go on up.
        if (err)
            *err = Error{std::string("Evaluation failed: ") + ex.what(), 1};
    }
    return Value("");
}

bool Expression::test(const Bindings& bindings, Error* err) const
{
    if (empty()) {
        if (err)
            *err = Error{};
        return true;
    }
    Error local;
    Value v = evaluate(bindings, &local);
    if (err)
        *err = local;
    return local.empty() && v.truthy();
}

std::vector<std::string> Expression::names() const
{
    std::vector<std::string> out;
    std::vector<std::string> keys;
    for (const Node& n : tree_->nodes) {
        if (n.op != Op::Name && n.op != Op::Proc)
            continue;
        std::string key = text::asciiUpper(n.name);
        if (std::find(keys.begin(), keys.end(), key) != keys.end())
            continue;
        keys.push_back(key);
        out.push_back(n.name);
    }
    return out;
}

namespace {

// "constant op x" as "x op' constant".
CompareOp mirrored(CompareOp op)
{
    switch (op) {
    case CompareOp::Lt:
        return CompareOp::Gt;
    case CompareOp::Le:
        return CompareOp::Ge;
    case CompareOp::Gt:
        return CompareOp::Lt;
    case CompareOp::Ge:
        return CompareOp::Le;
    default:
        return op;
    }
}

// Reads a compiled tree as a Predicate. Nodes come after their operands (an
// AND or OR chain aside), so one pass in order tells which are constants.
class PredicateBuilder
{
public:
    explicit PredicateBuilder(const Expression::Tree& t)
        : t_(t)
        , constant_(t.nodes.size(), false)
    {
        for (std::size_t i = 0; i < t.nodes.size(); ++i)
            constant_[i] = isConstant(t.nodes[i]);
    }

    Predicate build(int i) const
    {
        const Node& n = node(i);
        Predicate p;
        switch (n.op) {
        case Op::And:
        case Op::Or:
            p.kind = n.op == Op::And ? Predicate::Kind::And : Predicate::Kind::Or;
            for (int a : n.args)
                p.parts.push_back(build(a));
            return p;
        case Op::Not:
            p.kind = Predicate::Kind::Not;
            p.parts.push_back(build(n.a));
            return p;
        case Op::Cmp:
            return comparison(n);
        default:
            if (field(i, p)) {
                p.kind = Predicate::Kind::Field;
                return p;
            }
            return contains(n);
        }
    }

private:
    const Node& node(int i) const { return t_.nodes[static_cast<std::size_t>(i)]; }
    bool constant(int i) const { return constant_[static_cast<std::size_t>(i)]; }

    bool isConstant(const Node& n) const
    {
        switch (n.op) {
        case Op::Const:
            return true;
        case Op::Neg:
            return constant(n.a);
        case Op::Builtin:
            return n.fn != Fn::Today && n.fn != Fn::Clock
                && std::all_of(n.args.begin(), n.args.end(), [&](int a) { return constant(a); });
        case Op::Name:
        case Op::Proc:
        case Op::Not:
        case Op::And:
        case Op::Or:
            return false;
        default: // a binary operator
            return constant(n.a) && constant(n.b);
        }
    }

    // The value of a constant operand; the left operand of a comparison may
    // be a chain of operators, worked out from the comparison's own chain.
    std::optional<Value> valueOf(int i, const Node* leftOf = nullptr) const
    {
        if (!constant(i))
            return std::nullopt;
        static const NameTable kNoNames;
        Error err;
        try {
            Evaluator ev(t_, kNoNames, &err);
            Value v = leftOf ? ev.chain(*leftOf, leftOf->args.size() - 1) : ev.eval(i);
            if (!ev.failed())
                return v;
        } catch (const std::exception&) { }
        return std::nullopt;
    }

    // A field, or UPPER of one.
    bool field(int i, Predicate& p) const
    {
        const Node* n = &node(i);
        p.upper = n->op == Op::Builtin && n->fn == Fn::Upper;
        if (p.upper)
            n = &node(n->args[0]);
        if (n->op != Op::Name)
            return false;
        p.name = n->name;
        return true;
    }

    Predicate comparison(const Node& n) const
    {
        Predicate p;
        int other = n.a;
        std::optional<Value> k = valueOf(n.b);
        p.op = n.cmp;
        if (!k) {
            k = valueOf(n.a, &n);
            other = n.b;
            p.op = mirrored(n.cmp);
        }
        if (!k)
            return {};
        if (field(other, p)) {
            p.kind = Predicate::Kind::Compare;
            p.constant = std::move(*k);
            return p;
        }
        return containsAgainst(contains(node(other)), p.op, *k);
    }

    // INSTRING(...) op k: a search's answer is 0 or a position from 1 on. A
    // constant below 1 tells the two apart; the test is then "found" or "not
    // found", or no test of the text at all.
    static Predicate containsAgainst(Predicate found, CompareOp op, const Value& k)
    {
        if (found.kind != Predicate::Kind::Contains || !k.isNumber() || compare(k, Value(1)) >= 0)
            return {};
        const bool whenMissing = compareHolds(op, compare(Value(0), k));
        const bool whenFound = compareHolds(op, 1);
        if (whenMissing == whenFound)
            return {};
        if (whenFound)
            return found;
        Predicate p;
        p.kind = Predicate::Kind::Not;
        p.parts.push_back(std::move(found));
        return p;
    }

    // INSTRING(constant, field[, step[, start]]) searching forward from the
    // first character: step 1 (0 means 1) and start 1 (0 means the first).
    Predicate contains(const Node& n) const
    {
        Predicate p;
        if (n.op != Op::Builtin || n.fn != Fn::Instring || !field(n.args[1], p))
            return {};
        auto firstOrNone = [&](std::size_t arg) {
            if (arg >= n.args.size())
                return true;
            auto v = valueOf(n.args[arg]);
            return v && (v->toInt() == 0 || v->toInt() == 1);
        };
        auto sub = valueOf(n.args[0]);
        if (!sub || !firstOrNone(2) || !firstOrNone(3))
            return {};
        p.kind = Predicate::Kind::Contains;
        p.constant = Value(sub->isString() ? sub->str() : sub->toString());
        return p;
    }

    const Expression::Tree& t_;
    std::vector<bool> constant_;
};

} // namespace

Predicate Expression::predicate() const
{
    if (!ok() || tree_->root < 0)
        return {};
    return PredicateBuilder(*tree_).build(tree_->root);
}

std::vector<Conjunct> Expression::conjuncts() const
{
    std::vector<Conjunct> out;
    const Tree& t = *tree_;
    if (!ok() || t.root < 0)
        return out;
    const Node& root = t.nodes[static_cast<std::size_t>(t.root)];
    const std::vector<int> parts = root.op == Op::And ? root.args : std::vector<int>{t.root};
    const PredicateBuilder builder(t);
    for (int i : parts) {
        const Node& n = t.nodes[static_cast<std::size_t>(i)];
        Conjunct c;
        c.begin = n.begin;
        c.end = n.end;
        if (Predicate p = builder.build(i); p.kind == Predicate::Kind::Compare)
            c.simple = Conjunct::Simple{std::move(p.name), p.op, std::move(p.constant), p.upper};
        out.push_back(std::move(c));
    }
    return out;
}

Evaluation evaluate(std::string_view text, const Bindings& bindings)
{
    Evaluation r;
    Expression e = Expression::compile(text, &bindings);
    r.value = e.evaluate(bindings, &r.error);
    return r;
}

std::vector<OrderTerm> parseOrder(std::string_view text, const Bindings* bindings, Error* err)
{
    std::vector<OrderTerm> out;
    if (err)
        *err = Error{};
    if (text.find_first_not_of(" \t") == std::string_view::npos)
        return out;
    // Split at commas outside brackets and strings.
    std::size_t start = 0;
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        char c = i < text.size() ? text[i] : ',';
        if (quoted) {
            if (c == '\'')
                quoted = false;
            if (i < text.size())
                continue;
        }
        if (c == '\'')
            quoted = true;
        else if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        else if (c == ',' && (depth <= 0 || i == text.size())) {
            std::string_view part = text.substr(start, i - start);
            std::size_t lead = 0;
            while (lead < part.size() && part[lead] == ' ')
                ++lead;
            OrderTerm term;
            if (lead < part.size() && (part[lead] == '+' || part[lead] == '-')) {
                term.descending = part[lead] == '-';
                ++lead;
            }
            std::string padded(lead, ' ');
            padded += part.substr(lead);
            term.expression = Expression::compile(padded, bindings);
            if (!term.expression.ok() || term.expression.empty()) {
                if (err && err->empty()) {
                    *err = term.expression.ok() ? Error{"Empty order term", 1} : term.expression.error();
                    err->position += static_cast<int>(start);
                }
                return {};
            }
            out.push_back(std::move(term));
            start = i + 1;
        }
    }
    return out;
}

} // namespace qv::expr
