#include "qvls/browse_extension/tag_sets.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/text/text.h"

namespace qv::qvls {

namespace {

struct TagSet {
    int position = 0; // 0 no walk, -1 to be found again from remembered, else its index
    std::string remembered;
    std::vector<std::string> keys; // sorted, distinct
};

struct Sets {
    std::map<int, TagSet> sets;
    std::map<int, TagSet> spare;
    int current = 0;
};

Sets& state()
{
    static Sets s;
    return s;
}

// Keys compare exactly; trailing blanks do not count, and a key longer than the limit
// is cut at a character boundary.
std::string normalise(std::string_view key)
{
    return std::string(text::trimRight(text::firstChars(key, kTagKeyLength)));
}

TagSet* select(int set)
{
    if (set == 0)
        return nullptr;
    Sets& s = state();
    s.current = set;
    return &s.sets[set];
}

TagSet* currentSet()
{
    Sets& s = state();
    if (s.current == 0)
        return nullptr;
    auto it = s.sets.find(s.current);
    return it == s.sets.end() ? nullptr : &it->second;
}

} // namespace

void TagSelectSet(int set)
{
    select(set);
}

bool TagAdd(int set, std::string_view key)
{
    TagSet* t = select(set);
    const std::string k = normalise(key);
    if (!t || k.empty())
        return false;
    auto it = std::lower_bound(t->keys.begin(), t->keys.end(), k);
    if (it != t->keys.end() && *it == k)
        return false;
    t->keys.insert(it, k);
    t->position = -1;
    return true;
}

void TagRemove(int set, std::string_view key)
{
    TagSet* t = select(set);
    const std::string k = normalise(key);
    if (!t || k.empty())
        return;
    auto it = std::lower_bound(t->keys.begin(), t->keys.end(), k);
    if (it == t->keys.end() || *it != k)
        return;
    t->keys.erase(it);
    t->position = -1;
}

void TagToggle(int set, std::string_view key)
{
    TagSet* t = select(set);
    const std::string k = normalise(key);
    if (!t || k.empty())
        return;
    auto it = std::lower_bound(t->keys.begin(), t->keys.end(), k);
    if (it != t->keys.end() && *it == k)
        t->keys.erase(it);
    else
        t->keys.insert(it, k);
    t->position = -1;
}

bool IsTagged(int set, std::string_view key)
{
    TagSet* t = select(set);
    const std::string k = normalise(key);
    if (!t || k.empty())
        return false;
    return std::binary_search(t->keys.begin(), t->keys.end(), k);
}

std::string TagFirst(int set)
{
    TagSet* t = select(set);
    if (!t)
        return {};
    if (t->keys.empty()) {
        t->remembered.clear();
        t->position = 0;
    } else {
        t->remembered = t->keys.front();
        t->position = 1;
    }
    return t->remembered;
}

std::string TagNext(int set)
{
    TagSet* t = select(set);
    if (!t || t->position == 0)
        return {};
    // A changed set (-1) is only meaningful for a walk that has handed out a key.
    auto next = t->remembered.empty() ? t->keys.end() : std::upper_bound(t->keys.begin(), t->keys.end(), t->remembered);
    if (next == t->keys.end()) {
        t->remembered.clear();
        t->position = 0;
    } else {
        t->remembered = *next;
        t->position = static_cast<int>(next - t->keys.begin()) + 1;
    }
    return t->remembered;
}

void TagClearSet(int set)
{
    TagSet* t = select(set);
    if (!t)
        return;
    t->keys.clear();
    t->position = 0;
}

int TagFindPosition()
{
    TagSet* t = currentSet();
    if (!t)
        return 0;
    auto it = std::lower_bound(t->keys.begin(), t->keys.end(), t->remembered);
    const int below = static_cast<int>(it - t->keys.begin());
    if (it != t->keys.end() && *it == t->remembered && !t->remembered.empty())
        return below + 1;
    return below;
}

void TagSavePosition(int position, bool keep)
{
    TagSet* t = currentSet();
    if (t && !keep)
        t->position = position;
}

void TagFreeAll()
{
    Sets& s = state();
    s.sets.clear();
    s.current = 0;
}

void TagFreeSpareSets()
{
    state().spare.clear();
}

int tagSetCount()
{
    return static_cast<int>(state().sets.size());
}

int tagKeyCount(int set)
{
    const auto& sets = state().sets;
    auto it = sets.find(set);
    return it == sets.end() ? 0 : static_cast<int>(it->second.keys.size());
}

} // namespace qv::qvls
