#include "qvls/core/names.h"

#include <algorithm>

#include "platform/framework/error_reporter.h"
#include "platform/framework/table_access.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

namespace {

constexpr std::size_t kNamePart = 80;
constexpr std::size_t kMatchedName = 50;

bool allUpperStyle()
{
    return !settings().Autocapstyle.empty() && (settings().Autocapstyle[0] == 'A' || settings().Autocapstyle[0] == 'a');
}

bool inSet(char32_t c, std::u32string_view set)
{
    return set.find(text::upperChar(c)) != std::u32string_view::npos;
}

} // namespace

bool isWordSeparator(char32_t c)
{
    static constexpr std::u32string_view separators = U" ~!@#$%^&*()_+=-`[]{]\\|;:\"<>,./?";
    return separators.find(c) != std::u32string_view::npos;
}

std::string ArtistDisplayName(std::string_view name)
{
    const std::size_t comma = name.find(',');
    if (comma == std::string_view::npos)
        return std::string(name);
    const std::string lower = text::asciiLower(name);
    std::size_t w = lower.find(" with ");
    if (w == std::string::npos)
        w = lower.find(" and ");
    const std::string_view before = name.substr(0, comma);
    if (w != std::string::npos && w > comma) {
        const std::string first(text::firstChars(text::trim(name.substr(comma + 1, w - comma - 1)), kNamePart));
        const std::string last(text::firstChars(text::trim(before), kNamePart));
        const std::string rest(text::firstChars(text::trim(name.substr(w)), kNamePart));
        return first + " " + last + " " + rest;
    }
    return std::string(text::firstChars(text::trim(name.substr(comma + 1)), kNamePart)) + " "
        + std::string(text::firstChars(text::trimRight(before), kNamePart));
}

void SwapNameOrder(std::string& name, rt::Window* redisplay)
{
    const std::u32string n = text::toChars(name);
    const std::size_t width = n.size();
    const std::u32string_view v(n);
    if (const std::size_t c = v.find(U','); c != std::u32string_view::npos) {
        const std::u32string swapped
            = std::u32string(text::trim(v.substr(c + 1))) + U" " + std::u32string(v.substr(0, c));
        name = text::fromChars(text::padTo(swapped, width));
    } else if (const std::u32string_view words = text::trimRight(v); words.find(U' ') != std::u32string_view::npos) {
        const std::size_t b = words.find(U' ');
        const std::u32string swapped
            = std::u32string(text::trim(words.substr(b))) + U", " + std::u32string(words.substr(0, b + 1));
        name = text::fromChars(text::padTo(swapped, width));
    }
    if (redisplay)
        redisplay->display();
}

void MatchArtistName(std::string& name)
{
    tables::Table& artists = dictionary::Artists();
    fw::TableAccess& access = *dictionary::ArtistsAccess;
    if (access.open() != fw::Benign)
        return;
    tables::Record& rec = artists.record();
    const int field = rec.def().fieldIndex("ART:Artist");
    const int key = rec.def().keyIndex("ART:K_ARTIST");
    rec.setString(field, text::firstChars(name, kMatchedName));
    if (access.Fetch(key) != 0) {
        rec.setString(field, text::firstChars(name, kMatchedName));
        std::string swapped = rec.getString(field);
        SwapNameOrder(swapped);
        rec.setString(field, swapped);
        if (access.Fetch(key) == 0) {
            std::string stored = rec.getString(field);
            if (allUpperStyle())
                stored = text::upper(stored);
            name = text::padTo(stored, text::charCount(name));
        }
    }
    access.close();
}

void DefaultCapitalize(std::string& text)
{
    std::u32string t = text::toChars(text);
    const std::size_t width = t.size();
    if (allUpperStyle()) {
        text = text::fromChars(text::upperChars(t));
        return;
    }
    t = text::lowerChars(t);
    t.erase(0, std::min(t.find_first_not_of(U' '), t.size()));
    t = text::padTo(t, width);
    if (width == 0)
        return;
    t[0] = text::upperChar(t[0]);

    // Characters are counted from 1 here, as the rules are written.
    auto at = [&](std::size_t p) -> char32_t { return p >= 1 && p <= t.size() ? t[p - 1] : U' '; };
    auto upper = [&](std::size_t p) {
        if (p >= 1 && p <= t.size())
            t[p - 1] = text::upperChar(t[p - 1]);
    };
    auto lowerRun = [&](std::size_t p, std::size_t n) {
        for (std::size_t i = p; i < p + n && i <= t.size(); ++i)
            t[i - 1] = text::lowerChar(t[i - 1]);
    };
    auto reads = [&](std::size_t p, std::u32string_view word) {
        if (p < 1 || p - 1 + word.size() > t.size())
            return false;
        return text::upperChars(std::u32string_view(t).substr(p - 1, word.size())) == word;
    };

    const std::size_t used = text::trimRight(t).size();
    for (std::size_t p = used; p >= 2; --p) {
        if (isWordSeparator(at(p - 1)))
            upper(p);
        if (reads(p - 1, U" AND "))
            lowerRun(p, 4);
        if (reads(p - 1, U" WITH "))
            lowerRun(p, 5);
    }

    static constexpr std::u32string_view consonants = U"BCDFGHJKLMNPQRSTVWXZ";
    static constexpr std::u32string_view secondConsonants = U"BCDFGHJKLMNPQSTVWXZ";
    if (reads(1, U"MC"))
        upper(3);
    // A text shorter than five characters has no fifth: 'Macs' stays.
    if (reads(1, U"MAC") && !isWordSeparator(at(5)))
        upper(4);
    if (reads(1, U"MC "))
        upper(2);
    if (reads(1, U"LL "))
        upper(2);
    if (reads(1, U"LFO ")) {
        upper(2);
        upper(3);
    }
    if (t.size() >= 4 && at(4) == U' ' && inSet(at(1), consonants) && inSet(at(2), consonants)
        && inSet(at(3), consonants)) {
        upper(2);
        upper(3);
    }
    if (t.size() >= 3 && at(3) == U' ' && inSet(at(1), consonants) && inSet(at(2), secondConsonants))
        upper(2);
    if (const std::u32string whole = text::upperChars(text::trimRight(t)); whole == U"AC DC" || whole == U"AC/DC")
        t = text::padTo(U"AC/DC", width);
    if (at(1) == U'\'')
        upper(2);
    if (reads(1, U"O'"))
        upper(3);
    if (reads(1, U"N'"))
        upper(3);
    text = text::fromChars(t);
}

} // namespace qv::qvls
