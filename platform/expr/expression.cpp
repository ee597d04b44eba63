#include "platform/expr/expression.h"

#include "platform/expr/datetime.h"
#include "platform/expr/picture.h"
#include "platform/text/case.h"
#include "platform/text/text.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace qv::expr {

namespace {

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == ':';
}

} // namespace

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
const FnInfo kFunctions[] = {
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
    std::vector<int> args; // Builtin, Proc, And, Or
    std::size_t begin = 0, end = 0;
    std::string name; // Name, Proc
    Value constant; // Const
    std::shared_ptr<const Picture> picture; // FORMAT, DEFORMAT with a constant picture
};

constexpr int kMaxDepth = 200;
constexpr std::size_t kMaxLength = 65536;

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
        int root = parseOr(0);
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

    int depthOf(int i) const { return i < 0 ? 0 : depth_[static_cast<std::size_t>(i)]; }

    int binary(Op op, int a, int b, CompareOp cmp = CompareOp::Eq)
    {
        if (a < 0 || b < 0)
            return -1;
        Node n;
        n.op = op;
        n.cmp = cmp;
        n.a = a;
        n.b = b;
        n.begin = node(a).begin;
        n.end = node(b).end;
        int d = std::max(depthOf(a), depthOf(b)) + 1;
        int i = add(std::move(n));
        setDepth(i, d);
        if (d > kMaxDepth)
            return fail("Expression is too deeply nested", node(i).begin);
        return i;
    }

    void setDepth(int i, int d)
    {
        if (depth_.size() <= static_cast<std::size_t>(i))
            depth_.resize(static_cast<std::size_t>(i) + 1, 0);
        depth_[static_cast<std::size_t>(i)] = d;
    }

    // --- grammar ---
    int parseOr(int nest)
    {
        int left = parseAnd(nest);
        while (!failed() && (isKeyword("OR") || isKeyword("XOR"))) {
            bool x = isKeyword("XOR");
            next();
            int right = parseAnd(nest);
            if (failed())
                return -1;
            if (x) {
                left = binary(Op::Xor, left, right);
            } else {
                left = chain(Op::Or, left, right);
            }
        }
        return failed() ? -1 : left;
    }

    // AND and OR chains are kept flat: long filters stay shallow.
    int chain(Op op, int left, int right)
    {
        if (left < 0 || right < 0)
            return -1;
        if (node(left).op == op && !grouped_(left)) {
            node(left).args.push_back(right);
            node(left).end = node(right).end;
            setDepth(left, std::max(depthOf(left), depthOf(right) + 1));
            if (depthOf(left) > kMaxDepth)
                return fail("Expression is too deeply nested", node(left).begin);
            return left;
        }
        Node n;
        n.op = op;
        n.args = {left, right};
        n.begin = node(left).begin;
        n.end = node(right).end;
        int d = std::max(depthOf(left), depthOf(right)) + 1;
        int i = add(std::move(n));
        setDepth(i, d);
        if (d > kMaxDepth)
            return fail("Expression is too deeply nested", node(i).begin);
        return i;
    }

    bool grouped_(int i) const
    {
        return std::find(parenthesised_.begin(), parenthesised_.end(), i) != parenthesised_.end();
    }

    int parseAnd(int nest)
    {
        int left = parseNot(nest);
        while (!failed() && isKeyword("AND")) {
            next();
            int right = parseNot(nest);
            if (failed())
                return -1;
            left = chain(Op::And, left, right);
        }
        return failed() ? -1 : left;
    }

    int parseNot(int nest)
    {
        if (isKeyword("NOT") || isOp("~")) {
            std::size_t begin = tok_.begin;
            if (nest > kMaxDepth)
                return fail("Expression is too deeply nested", begin);
            next();
            int operand = parseNot(nest + 1);
            if (operand < 0)
                return -1;
            return unary(Op::Not, operand, begin);
        }
        return parseCompare(nest);
    }

    int unary(Op op, int operand, std::size_t begin)
    {
        Node n;
        n.op = op;
        n.a = operand;
        n.begin = begin;
        n.end = node(operand).end;
        int d = depthOf(operand) + 1;
        int i = add(std::move(n));
        setDepth(i, d);
        if (d > kMaxDepth)
            return fail("Expression is too deeply nested", begin);
        return i;
    }

    int parseCompare(int nest)
    {
        int left = parseCat(nest);
        while (!failed() && tok_.kind == Tok::Op) {
            CompareOp cmp;
            const std::string& o = tok_.text;
            if (o == "=")
                cmp = CompareOp::Eq;
            else if (o == "<>" || o == "~=")
                cmp = CompareOp::Ne;
            else if (o == "<")
                cmp = CompareOp::Lt;
            else if (o == "<=" || o == "=<" || o == "~>")
                cmp = CompareOp::Le;
            else if (o == ">")
                cmp = CompareOp::Gt;
            else if (o == ">=" || o == "=>" || o == "~<")
                cmp = CompareOp::Ge;
            else
                break;
            next();
            int right = parseCat(nest);
            if (failed())
                return -1;
            left = binary(Op::Cmp, left, right, cmp);
        }
        return failed() ? -1 : left;
    }

    int parseCat(int nest)
    {
        int left = parseAdd(nest);
        while (!failed() && isOp("&")) {
            next();
            left = binary(Op::Cat, left, parseAdd(nest));
        }
        return failed() ? -1 : left;
    }

    int parseAdd(int nest)
    {
        int left = parseMul(nest);
        while (!failed() && (isOp("+") || isOp("-"))) {
            Op op = isOp("+") ? Op::Add : Op::Sub;
            next();
            left = binary(op, left, parseMul(nest));
        }
        return failed() ? -1 : left;
    }

    int parseMul(int nest)
    {
        int left = parsePow(nest);
        while (!failed() && (isOp("*") || isOp("/") || isOp("%"))) {
            Op op = isOp("*") ? Op::Mul : isOp("/") ? Op::Div : Op::Mod;
            next();
            left = binary(op, left, parsePow(nest));
        }
        return failed() ? -1 : left;
    }

    int parsePow(int nest)
    {
        int left = parseUnary(nest);
        while (!failed() && isOp("^")) {
            next();
            left = binary(Op::Pow, left, parseUnary(nest));
        }
        return failed() ? -1 : left;
    }

    int parseUnary(int nest)
    {
        if (isOp("-") || isOp("+")) {
            bool minus = isOp("-");
            std::size_t begin = tok_.begin;
            if (nest > kMaxDepth)
                return fail("Expression is too deeply nested", begin);
            next();
            int operand = parseUnary(nest + 1);
            if (operand < 0)
                return -1;
            if (!minus)
                return operand;
            Node& o = node(operand);
            // Fold "-5" into a constant so that comparisons with it stay simple.
            if (o.op == Op::Const && o.constant.isNumber()) {
                Value v = o.constant;
                switch (v.kind()) {
                case Value::Kind::Integer:
                    o.constant = Value(-v.toInt());
                    break;
                case Value::Kind::Decimal:
                    o.constant = Value(v.toDecimal().negated());
                    break;
                default:
                    o.constant = Value(-v.toReal());
                    break;
                }
                o.begin = begin;
                return operand;
            }
            return unary(Op::Neg, operand, begin);
        }
        return parsePrimary(nest);
    }

    int parsePrimary(int nest)
    {
        if (nest > kMaxDepth)
            return fail("Expression is too deeply nested", tok_.begin);
        Token t = tok_;
        switch (t.kind) {
        case Tok::Error:
            return fail(t.text, t.begin);
        case Tok::End:
            return fail("Expression ends too early", t.begin);
        case Tok::Number:
        case Tok::String:
        case Tok::Picture: {
            next();
            Node n;
            n.op = Op::Const;
            n.constant = t.kind == Tok::Number ? t.number : Value(t.text);
            n.begin = t.begin;
            n.end = t.end;
            if (t.kind == Tok::Picture)
                n.name = "@";
            int i = add(std::move(n));
            setDepth(i, 1);
            return i;
        }
        case Tok::LParen: {
            next();
            int inner = parseOr(nest + 1);
            if (failed())
                return -1;
            if (tok_.kind != Tok::RParen)
                return fail("Expected ')' but found " + describe(tok_), tok_.begin);
            node(inner).begin = t.begin;
            node(inner).end = tok_.end;
            parenthesised_.push_back(inner);
            next();
            return inner;
        }
        case Tok::Name:
            return parseName(nest);
        default:
            return fail("Unexpected " + describe(t), t.begin);
        }
    }

    int parseName(int nest)
    {
        Token t = tok_;
        const std::string key = text::asciiUpper(t.text);
        if (key == "AND" || key == "OR" || key == "XOR" || key == "NOT")
            return fail("Unexpected '" + t.text + "'", t.begin);
        next();
        if (tok_.kind != Tok::LParen) {
            Node n;
            n.op = Op::Name;
            n.name = t.text;
            n.begin = t.begin;
            n.end = t.end;
            if (bindings_) {
                n.slot = bindings_->lookup(t.text);
                if (n.slot < 0)
                    return fail("Unknown name '" + t.text + "'", t.begin);
            }
            int i = add(std::move(n));
            setDepth(i, 1);
            return i;
        }
        // A call.
        next();
        std::vector<int> args;
        int depth = 0;
        if (tok_.kind != Tok::RParen) {
            for (;;) {
                int a = parseOr(nest + 1);
                if (failed())
                    return -1;
                args.push_back(a);
                depth = std::max(depth, depthOf(a));
                if (tok_.kind == Tok::Comma) {
                    next();
                    continue;
                }
                if (tok_.kind == Tok::RParen)
                    break;
                return fail("Expected ',' or ')' but found " + describe(tok_), tok_.begin);
            }
        }
        Node n;
        n.begin = t.begin;
        n.end = tok_.end;
        n.name = t.text;
        n.args = std::move(args);
        next();
        const int argc = static_cast<int>(n.args.size());
        if (const FnInfo* f = findFunction(t.text)) {
            if (argc < f->minArgs || argc > f->maxArgs) {
                std::string want = f->minArgs == f->maxArgs ? std::to_string(f->minArgs)
                    : f->maxArgs == kMany                   ? "at least " + std::to_string(f->minArgs)
                                          : std::to_string(f->minArgs) + " to " + std::to_string(f->maxArgs);
                return fail(std::string(f->name) + " takes " + want + " argument" + (want == "1" ? "" : "s") + ", not "
                        + std::to_string(argc),
                    t.begin);
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
                n.slot = bindings_->lookup(t.text);
                if (n.slot < 0)
                    return fail("Unknown procedure '" + t.text + "'", t.begin);
                if (!bindings_->isProcedure(n.slot))
                    return fail("'" + t.text + "' is not a procedure", t.begin);
            }
        }
        int i = add(std::move(n));
        setDepth(i, depth + 1);
        if (depth + 1 > kMaxDepth)
            return fail("Expression is too deeply nested", t.begin);
        return i;
    }

    Expression::Tree& t_;
    std::string_view s_;
    const Bindings* bindings_;
    std::size_t pos_ = 0;
    Token tok_;
    std::vector<int> depth_;
    std::vector<int> parenthesised_;
};

// ---------------------------------------------------------------------------
// Evaluation

Value numberOf(const Value& v)
{
    return v.isNumber() ? v : v.asNumber();
}

Value arith(Op op, const Value& x0, const Value& y0)
{
    const Value x = numberOf(x0), y = numberOf(y0);
    using K = Value::Kind;
    if (x.kind() == K::Integer && y.kind() == K::Integer) {
        std::int64_t a = x.toInt(), b = y.toInt(), r = 0;
        switch (op) {
        case Op::Add:
            if (!__builtin_add_overflow(a, b, &r))
                return Value(r);
            break;
        case Op::Sub:
            if (!__builtin_sub_overflow(a, b, &r))
                return Value(r);
            break;
        case Op::Mul:
            if (!__builtin_mul_overflow(a, b, &r))
                return Value(r);
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
        default:
            break;
        }
    }
    if (x.isExact() && y.isExact()) {
        Decimal a = x.toDecimal(), b = y.toDecimal();
        switch (op) {
        case Op::Add:
            return Value(a + b);
        case Op::Sub:
            return Value(a - b);
        case Op::Mul:
            return Value(a * b);
        case Op::Div:
            return b.isZero() ? Value(0) : Value(a / b);
        case Op::Mod: {
            if (b.isZero())
                return Value(0);
            Decimal q = Decimal::fromInt((a / b).toInt());
            return Value(a - b * q);
        }
        default:
            break;
        }
    }
    double a = x.toReal(), b = y.toReal();
    switch (op) {
    case Op::Add:
        return Value(a + b);
    case Op::Sub:
        return Value(a - b);
    case Op::Mul:
        return Value(a * b);
    case Op::Div:
        return b == 0 ? Value(0) : Value(a / b);
    case Op::Mod:
        return b == 0 ? Value(0) : Value(std::fmod(a, b));
    case Op::Pow: {
        if (x.kind() == K::Integer && y.kind() == K::Integer && y.toInt() >= 0 && y.toInt() < 64) {
            std::int64_t r = 1, base = x.toInt();
            bool over = false;
            for (std::int64_t k = 0; k < y.toInt() && !over; ++k)
                over = __builtin_mul_overflow(r, base, &r);
            if (!over)
                return Value(r);
        }
        double r = std::pow(a, b);
        return std::isfinite(r) ? Value(r) : Value(0);
    }
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

    Value eval(int i)
    {
        const Node& n = t_.nodes[static_cast<std::size_t>(i)];
        switch (n.op) {
        case Op::Const:
            return n.constant;
        case Op::Name: {
            int slot = resolve(n);
            if (slot < 0)
                return Value();
            return b_.value(slot);
        }
        case Op::Proc: {
            int slot = resolve(n);
            if (slot < 0)
                return Value();
            std::vector<Value> args;
            args.reserve(n.args.size());
            for (int a : n.args)
                args.push_back(eval(a));
            return b_.call(slot, args);
        }
        case Op::Builtin:
            return builtin(n);
        case Op::Neg: {
            Value v = numberOf(eval(n.a));
            switch (v.kind()) {
            case Value::Kind::Integer:
                return Value(-v.toInt());
            case Value::Kind::Decimal:
                return Value(v.toDecimal().negated());
            default:
                return Value(-v.toReal());
            }
        }
        case Op::Not:
            return Value(eval(n.a).truthy() ? 0 : 1);
        case Op::Cat: {
            Value x = eval(n.a), y = eval(n.b);
            std::string s = x.isString() ? x.str() : x.toString();
            s += y.isString() ? y.str() : y.toString();
            return Value(std::move(s));
        }
        case Op::Cmp: {
            Value tx, ty;
            const Value& x = ref(n.a, tx);
            const Value& y = ref(n.b, ty);
            return Value(compareHolds(n.cmp, compare(x, y)) ? 1 : 0);
        }
        case Op::And:
            for (int a : n.args)
                if (!eval(a).truthy() || failed_)
                    return Value(0);
            return Value(1);
        case Op::Or:
            for (int a : n.args) {
                if (failed_)
                    return Value(0);
                if (eval(a).truthy())
                    return Value(1);
            }
            return Value(0);
        case Op::Xor:
            return Value(eval(n.a).truthy() != eval(n.b).truthy() ? 1 : 0);
        default: {
            Value tx, ty;
            const Value& x = ref(n.a, tx);
            const Value& y = ref(n.b, ty);
            return arith(n.op, x, y);
        }
        }
    }

private:
    // Constants are used in place: no copy of a constant string per row.
    const Value& ref(int i, Value& tmp)
    {
        const Node& n = t_.nodes[static_cast<std::size_t>(i)];
        if (n.op == Op::Const)
            return n.constant;
        tmp = eval(i);
        return tmp;
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

    Value arg(const Node& n, std::size_t k) { return eval(n.args[k]); }
    std::string argString(const Node& n, std::size_t k)
    {
        Value v = arg(n, k);
        return v.isString() ? v.str() : v.toString();
    }
    std::int64_t argInt(const Node& n, std::size_t k) { return arg(n, k).toInt(); }

    static std::int32_t asDay(std::int64_t v)
    {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -100000000, 100000000));
    }

    Value builtin(const Node& n)
    {
        switch (n.fn) {
        case Fn::Year:
            return Value(static_cast<std::int64_t>(ymdFromDate(asDay(argInt(n, 0))).year));
        case Fn::Month:
            return Value(static_cast<std::int64_t>(ymdFromDate(asDay(argInt(n, 0))).month));
        case Fn::Day:
            return Value(static_cast<std::int64_t>(ymdFromDate(asDay(argInt(n, 0))).day));
        case Fn::Today:
            return Value(static_cast<std::int64_t>(defaultClock().today()));
        case Fn::Clock:
            return Value(static_cast<std::int64_t>(defaultClock().clock()));
        case Fn::Date: {
            auto clampi
                = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000)); };
            int m = clampi(argInt(n, 0)), d = clampi(argInt(n, 1)), y = clampi(argInt(n, 2));
            return Value(static_cast<std::int64_t>(dateFromYmd(y, m, d)));
        }
        case Fn::Instring: {
            std::string sub = argString(n, 0), s = argString(n, 1);
            std::int64_t step = n.args.size() > 2 ? argInt(n, 2) : 1;
            std::int64_t start = n.args.size() > 3 ? argInt(n, 3) : 0;
            return Value(instring(sub, s, step, start));
        }
        case Fn::Upper:
            return Value(text::upper(argString(n, 0)));
        case Fn::Lower:
            return Value(text::lower(argString(n, 0)));
        case Fn::Clip:
            return Value(text::trimRight(argString(n, 0)));
        case Fn::Left:
        case Fn::Right:
        case Fn::Center: {
            std::string s = argString(n, 0);
            std::int64_t w = n.args.size() > 1 ? argInt(n, 1) : -1;
            return Value(justify(s, n.fn == Fn::Left ? 'L' : n.fn == Fn::Right ? 'R' : 'C', w));
        }
        case Fn::Sub: {
            std::string s = argString(n, 0);
            std::int64_t len = static_cast<std::int64_t>(text::charCount(s));
            std::int64_t start = argInt(n, 1);
            std::int64_t count = n.args.size() > 2 ? argInt(n, 2) : len;
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
            return Value(static_cast<std::int64_t>(text::charCount(argString(n, 0))));
        case Fn::Inrange: {
            Value x = arg(n, 0), lo = arg(n, 1), hi = arg(n, 2);
            return Value(compare(x, lo) >= 0 && compare(x, hi) <= 0 ? 1 : 0);
        }
        case Fn::Inlist: {
            Value x = arg(n, 0);
            for (std::size_t k = 1; k < n.args.size(); ++k)
                if (compare(x, arg(n, k)) == 0)
                    return Value(static_cast<std::int64_t>(k));
            return Value(0);
        }
        case Fn::Choose: {
            // CHOOSE(n, v1, v2, ...): the n-th value, the last one when n is out
            // of range; so CHOOSE(condition, a, b) is a when true, b when false.
            std::int64_t k = argInt(n, 0);
            std::size_t count = n.args.size() - 1;
            std::size_t pick = (k >= 1 && static_cast<std::uint64_t>(k) <= count) ? static_cast<std::size_t>(k) : count;
            return arg(n, pick);
        }
        case Fn::Abs: {
            Value v = numberOf(arg(n, 0));
            switch (v.kind()) {
            case Value::Kind::Integer:
                return Value(v.toInt() < 0 ? -v.toInt() : v.toInt());
            case Value::Kind::Decimal:
                return Value(v.toDecimal().abs());
            default:
                return Value(std::fabs(v.toReal()));
            }
        }
        case Fn::Int:
            return Value(arg(n, 0).toInt());
        case Fn::Round: {
            Value v = numberOf(arg(n, 0)), order = numberOf(arg(n, 1));
            if (v.isExact() && order.isExact()) {
                Decimal o = order.toDecimal().abs();
                if (o.isZero())
                    return v;
                Decimal q = (v.toDecimal() / o).round(0);
                Decimal r = q * o;
                return Value(r.round(o.scale()));
            }
            double o = std::fabs(order.toReal());
            if (o == 0)
                return v;
            return Value(std::round(v.toReal() / o) * o);
        }
        case Fn::Numeric:
            return Value(arg(n, 0).looksNumeric() ? 1 : 0);
        case Fn::Val: {
            std::string s = argString(n, 0);
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
            return Value(utf8Char(argInt(n, 0)));
        case Fn::Format:
        case Fn::Deformat: {
            Value v = arg(n, 0);
            Picture parsed;
            const Picture* pic = n.picture.get();
            if (!pic) {
                parsed = Picture::parse(argString(n, 1));
                if (!parsed.valid()) {
                    fail(
                        "Invalid picture '" + parsed.text() + "'", t_.nodes[static_cast<std::size_t>(n.args[1])].begin);
                    return Value();
                }
                pic = &parsed;
            }
            if (n.fn == Fn::Format)
                return Value(pic->format(v));
            return pic->deformat(v.isString() ? std::string_view(v.str()) : std::string_view(v.toString()));
        }
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

std::vector<Conjunct> Expression::conjuncts() const
{
    std::vector<Conjunct> out;
    const Tree& t = *tree_;
    if (!ok() || t.root < 0)
        return out;
    std::vector<int> parts;
    const Node& root = t.nodes[static_cast<std::size_t>(t.root)];
    if (root.op == Op::And)
        parts = root.args;
    else
        parts = {t.root};
    auto at = [&](int i) -> const Node& { return t.nodes[static_cast<std::size_t>(i)]; };
    for (int p : parts) {
        Conjunct c;
        c.begin = at(p).begin;
        c.end = at(p).end;
        const Node& n = at(p);
        if (n.op == Op::Cmp) {
            auto field = [&](int i, bool& up) -> const Node* {
                const Node& x = at(i);
                if (x.op == Op::Name)
                    return &x;
                if (x.op == Op::Builtin && x.fn == Fn::Upper && at(x.args[0]).op == Op::Name) {
                    up = true;
                    return &at(x.args[0]);
                }
                return nullptr;
            };
            bool up = false;
            const Node* f = nullptr;
            const Node* k = nullptr;
            CompareOp op = n.cmp;
            if ((f = field(n.a, up)) && at(n.b).op == Op::Const) {
                k = &at(n.b);
            } else if (up = false, (f = field(n.b, up)) && at(n.a).op == Op::Const) {
                k = &at(n.a);
                switch (op) { // constant op name  ->  name op' constant
                case CompareOp::Lt:
                    op = CompareOp::Gt;
                    break;
                case CompareOp::Le:
                    op = CompareOp::Ge;
                    break;
                case CompareOp::Gt:
                    op = CompareOp::Lt;
                    break;
                case CompareOp::Ge:
                    op = CompareOp::Le;
                    break;
                default:
                    break;
                }
            }
            if (f && k)
                c.simple = Conjunct::Simple{f->name, op, k->constant, up};
        }
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
