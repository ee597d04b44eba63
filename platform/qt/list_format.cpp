#include "platform/qt/list_format.h"

#include <cctype>

#include "platform/text/case.h"

namespace qv::qt {
namespace {

bool isAlign(char c)
{
    c = text::asciiUpper(c);
    return c == 'L' || c == 'R' || c == 'C' || c == 'D';
}

class Scanner
{
public:
    explicit Scanner(std::string_view s)
        : s_(s)
    { }
    bool done() const { return i_ >= s_.size(); }
    char peek() const { return done() ? '\0' : s_[i_]; }
    char next() { return done() ? '\0' : s_[i_++]; }
    bool digit() const { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }
    int number()
    {
        int n = 0;
        while (digit())
            n = n * 10 + (next() - '0');
        return n;
    }
    // Text up to the closing mark; the mark is consumed.
    std::string until(char mark)
    {
        std::string out;
        while (!done() && peek() != mark)
            out += next();
        next();
        return out;
    }
    // "(n)" after an alignment.
    int indent()
    {
        if (peek() != '(')
            return 0;
        next();
        const int n = number();
        until(')');
        return n;
    }

private:
    std::string_view s_;
    size_t i_ = 0;
};

} // namespace

std::vector<ListColumn> parseListFormat(std::string_view format)
{
    std::vector<ListColumn> columns;
    Scanner s(format);
    ListColumn* col = nullptr;
    bool sawPicture = false;
    bool groupHeader = false; // after "]" a header names a group of columns
    while (!s.done()) {
        const char c = s.peek();
        if (s.digit()) {
            // A number starts a column, unless the current one is still
            // waiting for its alignment.
            const int n = s.number();
            if (!col || sawPicture || !col->header.empty() || col->width != 0) {
                columns.emplace_back();
                col = &columns.back();
                sawPicture = false;
            }
            col->width = n;
            groupHeader = false;
            if (isAlign(s.peek())) {
                col->align = text::asciiUpper(s.next());
                col->indent = s.indent();
            }
        } else if (c == '~') {
            s.next();
            if (groupHeader) {
                s.until('~');
                continue;
            }
            if (!col) {
                columns.emplace_back();
                col = &columns.back();
            }
            col->header = s.until('~');
            if (isAlign(s.peek())) {
                col->headerAlign = text::asciiUpper(s.next());
                s.indent();
            }
        } else if (c == '@') {
            s.next();
            if (!col) {
                columns.emplace_back();
                col = &columns.back();
            }
            col->picture = "@" + s.until('@');
            sawPicture = true;
        } else if (c == '#') {
            // "#n#": the queue field this column shows; columns show fields in order here.
            s.next();
            s.until('#');
        } else if (c == '(') {
            s.indent();
        } else if (c == ']') {
            s.next();
            groupHeader = true;
        } else {
            s.next(); // column marks: |, M, _, /, [, ], ...
        }
    }
    return columns;
}

} // namespace qv::qt
