#include "qvls/core/text_helpers.h"

#include "platform/text/case.h"
#include "platform/text/text.h"

namespace qv::qvls {

using text::fromChars;
using text::padTo;
using text::toChars;
using text::upperChars;

void ReplaceText(std::string& text, std::string_view search, std::string_view replacement, bool ignoreCase)
{
    std::u32string t = toChars(text);
    const std::size_t width = t.size();
    const std::u32string s = toChars(search);
    const std::u32string r = toChars(replacement);
    if (s.empty())
        return;
    const std::u32string su = upperChars(s);
    for (std::size_t p = width; p >= 1; --p) {
        const std::size_t at = p - 1;
        // Only whole matches inside the buffer: never past its end.
        if (at + s.size() > t.size())
            continue;
        bool match = t.compare(at, s.size(), s) == 0;
        if (!match && ignoreCase)
            match = upperChars(std::u32string_view(t).substr(at, s.size())) == su;
        if (!match)
            continue;
        t = padTo(t.substr(0, at) + r + t.substr(at + s.size()), width);
    }
    text = fromChars(t);
}

void ReplaceSubstring(std::string& text, std::string_view search, std::string_view replacement)
{
    ReplaceText(text, search, replacement, false);
}

void ReplaceAllNoCase(std::string& target, std::string_view find, std::string_view replacement)
{
    std::u32string t = toChars(target);
    const std::size_t width = t.size();
    const std::u32string f = upperChars(toChars(find));
    const std::u32string r = toChars(replacement);
    if (f.empty())
        return;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = upperChars(t).find(f, from);
        if (at == std::u32string::npos)
            break;
        t = padTo(t.substr(0, at) + r + t.substr(at + f.size()), width);
        from = at + r.size();
        if (from >= width)
            break;
    }
    target = fromChars(t);
}

} // namespace qv::qvls
