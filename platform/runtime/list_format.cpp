#include "platform/runtime/list_format.h"

#include <algorithm>

#include "platform/text/case.h"

namespace qv::rt {
namespace {

constexpr std::string_view kMarks = "*IJF_M|/?Y";

bool isJustification(char c)
{
    c = text::asciiUpper(c);
    return c == 'L' || c == 'R' || c == 'C' || c == 'D';
}

bool isMark(char c)
{
    return kMarks.find(text::asciiUpper(c)) != std::string_view::npos;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool hasMark(const std::string& marks, char mark)
{
    return std::any_of(marks.begin(), marks.end(), [&](char c) { return text::asciiUpper(c) == mark; });
}

struct Failure {
    std::size_t offset;
    std::string message;
};

class Reader
{
public:
    explicit Reader(std::string_view s)
        : s_(s)
    { }

    // Throws Failure; out keeps what was read whole before it.
    void read(ListFormat& out)
    {
        std::optional<ListFormatGroup> group;
        while (!done()) {
            const char c = s_[i_];
            if (c == '[') {
                if (group)
                    fail("groups do not nest");
                group.emplace();
                group->first = out.columns.size();
                ++i_;
            } else if (c == ']') {
                if (!group)
                    fail("']' without '['");
                group->count = out.columns.size() - group->first;
                if (group->count == 0)
                    fail("a group without columns");
                ++i_;
                readGroupTail(*group);
                out.groups.push_back(std::move(*group));
                group.reset();
            } else if (isDigit(c)) {
                out.columns.push_back(readColumn());
            } else {
                fail("a column starts with its width");
            }
        }
        if (group)
            fail("a group without its ']'");
    }

private:
    bool done() const { return i_ >= s_.size(); }
    char peek() const { return done() ? '\0' : s_[i_]; }
    // A column or group ends where the next one, or a group mark, starts.
    bool atBoundary() const { return done() || isDigit(peek()) || peek() == '[' || peek() == ']'; }

    [[noreturn]] void fail(std::string message) const { throw Failure{i_, std::move(message)}; }
    [[noreturn]] void failAt(std::size_t at, std::string message) const { throw Failure{at, std::move(message)}; }

    void expect(char c)
    {
        if (peek() != c)
            fail(done() ? std::string("'") + c + "' expected at the end" : std::string("'") + c + "' expected");
        ++i_;
    }

    // A decimal number as the list writes it: no leading zeros, so that it
    // comes back as the same text.
    long number(bool sign = false)
    {
        const std::size_t start = i_;
        const bool negative = sign && peek() == '-';
        if (negative)
            ++i_;
        const std::size_t digits = i_;
        while (isDigit(peek()))
            ++i_;
        const std::size_t n = i_ - digits;
        if (n == 0)
            failAt(digits, "number expected");
        if (n > 9)
            failAt(start, "number too large");
        if (s_[digits] == '0' && (n > 1 || negative))
            failAt(start, "number with a leading zero");
        long v = std::stol(std::string(s_.substr(digits, n)));
        return negative ? -v : v;
    }

    // Text up to the closing mark, which is consumed.
    std::string until(char mark, const char* what)
    {
        const std::size_t open = i_ - 1;
        const std::size_t close = s_.find(mark, i_);
        if (close == std::string_view::npos)
            failAt(open, std::string(what) + " without its closing '" + mark + "'");
        std::string text(s_.substr(i_, close - i_));
        i_ = close + 1;
        return text;
    }

    std::optional<int> offset()
    {
        if (peek() != '(')
            return std::nullopt;
        ++i_;
        const int n = static_cast<int>(number());
        expect(')');
        return n;
    }

    void readJustification(ListJustification& j)
    {
        j.letter = s_[i_++];
        j.offset = offset();
    }

    void readHeader(std::optional<std::string>& header, std::vector<ListPart>& order)
    {
        if (header)
            fail("a second header");
        ++i_;
        header = until('~', "a header");
        order.push_back(ListPart::Header);
    }

    void readMark(std::string& marks, std::vector<ListPart>& order)
    {
        marks += s_[i_++];
        order.push_back(ListPart::Mark);
    }

    // "X(" text ")": the text inside.
    std::string argument()
    {
        ++i_;
        expect('(');
        return until(')', "an argument");
    }

    std::array<long, 4> colours()
    {
        ++i_;
        expect('(');
        std::array<long, 4> c{};
        for (std::size_t k = 0; k < c.size(); ++k) {
            if (k > 0)
                expect(',');
            c[k] = number(true);
        }
        expect(')');
        return c;
    }

    ListFormatColumn readColumn()
    {
        ListFormatColumn col;
        col.width = static_cast<int>(number());
        col.order.push_back(ListPart::Width);
        while (!atBoundary()) {
            const char c = peek();
            const auto once = [&](bool present, const char* what) {
                if (present)
                    fail(std::string("a second ") + what);
            };
            if (isJustification(c)) {
                if (!col.header) {
                    once(col.data.letter != 0, "justification");
                    readJustification(col.data);
                    col.order.push_back(ListPart::Justification);
                } else {
                    once(col.headerJustification.letter != 0, "header justification");
                    readJustification(col.headerJustification);
                    col.order.push_back(ListPart::HeaderJustification);
                }
            } else if (isMark(c)) {
                readMark(col.marks, col.order);
            } else if (c == '~') {
                readHeader(col.header, col.order);
            } else if (c == '@') {
                once(col.picture.has_value(), "picture");
                ++i_;
                col.picture = "@" + until('@', "a picture");
                col.order.push_back(ListPart::Picture);
            } else if (c == '#') {
                once(col.fieldNumber.has_value(), "field number");
                ++i_;
                col.fieldNumber = static_cast<int>(number());
                expect('#');
                col.order.push_back(ListPart::FieldNumber);
            } else if (c == 'E') {
                once(col.colours.has_value(), "colour part");
                col.colours = colours();
                col.order.push_back(ListPart::Colours);
            } else if (c == 'S') {
                once(col.scroll.has_value(), "scroll part");
                col.scroll = argument();
                col.order.push_back(ListPart::Scroll);
            } else if (c == 'Z') {
                once(col.style.has_value(), "style part");
                col.style = argument();
                col.order.push_back(ListPart::Style);
            } else if (c == 'T') {
                once(col.tree.has_value(), "tree part");
                ++i_;
                col.tree = std::string();
                if (peek() == '(') {
                    ++i_;
                    col.tree = "(" + until(')', "an argument") + ")";
                }
                col.order.push_back(ListPart::Tree);
            } else {
                fail(std::string("unexpected '") + c + "'");
            }
        }
        return col;
    }

    void readGroupTail(ListFormatGroup& g)
    {
        if (peek() == '(') {
            g.width = offset();
            g.order.push_back(ListPart::Width);
        }
        while (!atBoundary()) {
            const char c = peek();
            if (isMark(c)) {
                readMark(g.marks, g.order);
            } else if (c == '~') {
                readHeader(g.header, g.order);
            } else if (isJustification(c) && g.header && g.headerJustification.letter == 0) {
                readJustification(g.headerJustification);
                g.order.push_back(ListPart::HeaderJustification);
            } else {
                fail(std::string("unexpected '") + c + "' after a group");
            }
        }
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

std::size_t characterPosition(std::string_view s, std::size_t offset)
{
    std::size_t n = 1;
    for (std::size_t i = 0; i < offset && i < s.size(); ++i)
        n += (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80;
    return n;
}

// The parts as read, with the parts the text did not have placed where they
// cannot change the meaning of the others: the width first, the
// justification after it, the marks after those, the rest at the end.
std::vector<ListPart> withMissingParts(const std::vector<ListPart>& order, const std::vector<ListPart>& listOrder)
{
    if (order.empty())
        return listOrder;
    std::vector<ListPart> parts = order;
    const auto has = [&](ListPart p) { return std::find(parts.begin(), parts.end(), p) != parts.end(); };
    const auto after = [&](ListPart p) {
        const auto at = std::find(parts.begin(), parts.end(), p);
        return at == parts.end() ? parts.begin() : at + 1;
    };
    for (ListPart p : listOrder) {
        if (has(p))
            continue;
        if (p == ListPart::Width)
            parts.insert(parts.begin(), p);
        else if (p == ListPart::Justification)
            parts.insert(after(ListPart::Width), p);
        else if (p == ListPart::Mark)
            parts.insert(after(has(ListPart::Justification) ? ListPart::Justification : ListPart::Width), p);
        else
            parts.push_back(p);
    }
    return parts;
}

class Writer
{
public:
    std::string text;

    void column(const ListFormatColumn& c)
    {
        static const std::vector<ListPart> listOrder = {ListPart::Width, ListPart::Justification, ListPart::Mark,
            ListPart::Header, ListPart::HeaderJustification, ListPart::Picture, ListPart::FieldNumber,
            ListPart::Colours, ListPart::Scroll, ListPart::Style, ListPart::Tree};
        const std::vector<ListPart> parts = withMissingParts(c.order, listOrder);
        std::size_t mark = 0;
        std::size_t markEntries = std::count(parts.begin(), parts.end(), ListPart::Mark);
        for (ListPart p : parts) {
            switch (p) {
            case ListPart::Width:
                text += std::to_string(c.width);
                break;
            case ListPart::Justification:
                justification(c.data);
                break;
            case ListPart::Mark:
                marks(c.marks, mark, --markEntries == 0);
                break;
            case ListPart::Header:
                header(c.header);
                break;
            case ListPart::HeaderJustification:
                justification(c.headerJustification);
                break;
            case ListPart::Picture:
                if (c.picture)
                    text += *c.picture + "@";
                break;
            case ListPart::FieldNumber:
                if (c.fieldNumber)
                    text += "#" + std::to_string(*c.fieldNumber) + "#";
                break;
            case ListPart::Colours:
                if (c.colours) {
                    text += "E(";
                    for (std::size_t k = 0; k < c.colours->size(); ++k)
                        text += (k ? "," : "") + std::to_string((*c.colours)[k]);
                    text += ")";
                }
                break;
            case ListPart::Scroll:
                argument('S', c.scroll);
                break;
            case ListPart::Style:
                argument('Z', c.style);
                break;
            case ListPart::Tree:
                if (c.tree)
                    text += "T" + *c.tree;
                break;
            }
        }
    }

    void groupTail(const ListFormatGroup& g)
    {
        static const std::vector<ListPart> listOrder
            = {ListPart::Width, ListPart::Mark, ListPart::Header, ListPart::HeaderJustification};
        const std::vector<ListPart> parts = withMissingParts(g.order, listOrder);
        std::size_t mark = 0;
        std::size_t markEntries = std::count(parts.begin(), parts.end(), ListPart::Mark);
        for (ListPart p : parts) {
            if (p == ListPart::Width && g.width)
                text += "(" + std::to_string(*g.width) + ")";
            else if (p == ListPart::Mark)
                marks(g.marks, mark, --markEntries == 0);
            else if (p == ListPart::Header)
                header(g.header);
            else if (p == ListPart::HeaderJustification)
                justification(g.headerJustification);
        }
    }

private:
    // One mark per entry; the last entry takes every mark left, so marks
    // added after reading are written too.
    void marks(const std::string& marks, std::size_t& next, bool last)
    {
        if (last)
            text += marks.substr(std::min(next, marks.size()));
        else if (next < marks.size())
            text += marks[next++];
    }
    void justification(const ListJustification& j)
    {
        if (!j.letter)
            return;
        text += j.letter;
        if (j.offset)
            text += "(" + std::to_string(*j.offset) + ")";
    }
    void header(const std::optional<std::string>& h)
    {
        if (h)
            text += "~" + *h + "~";
    }
    void argument(char letter, const std::optional<std::string>& arg)
    {
        if (arg)
            text += letter + ("(" + *arg + ")");
    }
};

} // namespace

char ListJustification::align(char fallback) const
{
    return letter ? text::asciiUpper(letter) : fallback;
}

bool ListFormatColumn::has(char mark) const
{
    return hasMark(marks, mark);
}

bool ListFormatGroup::has(char mark) const
{
    return hasMark(marks, mark);
}

ListFormatReading readListFormat(std::string_view text)
{
    ListFormatReading r;
    try {
        Reader(text).read(r.format);
    } catch (const Failure& f) {
        r.error = ListFormatError{characterPosition(text, f.offset), f.message};
    }
    return r;
}

std::string writeListFormat(const ListFormat& format)
{
    Writer w;
    auto group = format.groups.begin();
    for (std::size_t i = 0; i < format.columns.size(); ++i) {
        const bool inGroup = group != format.groups.end() && group->count > 0;
        if (inGroup && i == group->first)
            w.text += '[';
        w.column(format.columns[i]);
        if (inGroup && i == group->first + group->count - 1) {
            w.text += ']';
            w.groupTail(*group);
            ++group;
        }
    }
    return w.text;
}

int extraFields(const ListFormatColumn& column)
{
    const bool icon = column.has(list_mark::Icon) || column.has(list_mark::TransparentIcon);
    return (column.has(list_mark::Colours) ? 4 : 0) + (icon ? 1 : 0);
}

std::vector<int> queueFields(const ListFormat& format)
{
    std::vector<int> fields;
    int next = 1;
    for (const ListFormatColumn& c : format.columns) {
        const int field = c.fieldNumber.value_or(next);
        fields.push_back(field - 1);
        next = field + 1 + extraFields(c);
    }
    return fields;
}

} // namespace qv::rt
