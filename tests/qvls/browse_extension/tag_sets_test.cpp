// Tag sets: sorted keys per set number, and walks that keep their place while keys
// are tagged and untagged between steps.

#include "qvls/browse_extension/tag_sets.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace qv::qvls;

class TagSets : public ::testing::Test
{
protected:
    void TearDown() override { TagFreeAll(); }

    // The rest of a walk: TagNext until the empty text.
    static std::vector<std::string> rest(int set)
    {
        std::vector<std::string> keys;
        for (std::string k = TagNext(set); !k.empty(); k = TagNext(set))
            keys.push_back(k);
        return keys;
    }
};

TEST_F(TagSets, KeysAreWalkedInOrderWithoutDuplicates)
{
    EXPECT_TRUE(TagAdd(1, "B"));
    EXPECT_TRUE(TagAdd(1, "A"));
    EXPECT_TRUE(TagAdd(1, "a")); // case counts
    EXPECT_FALSE(TagAdd(1, "A  ")); // trailing blanks do not
    EXPECT_EQ(TagFirst(1), "A");
    EXPECT_EQ(rest(1), (std::vector<std::string>{"B", "a"}));
    // The walk has ended and stays ended.
    EXPECT_EQ(TagNext(1), "");
}

TEST_F(TagSets, AnEmptySetHasNothingToWalk)
{
    EXPECT_EQ(TagFirst(3), "");
    EXPECT_EQ(TagNext(3), "");
    TagAdd(3, "X");
    // Adding does not start a walk.
    EXPECT_EQ(TagNext(3), "");
    TagClearSet(3);
    EXPECT_EQ(TagNext(3), "");
    EXPECT_EQ(TagFirst(3), "");
}

TEST_F(TagSets, SetsAreKeptApartByNumber)
{
    TagAdd(1, "/music/a.mp3");
    TagAdd(2, "/music/b.mp3");
    EXPECT_TRUE(IsTagged(1, "/music/a.mp3"));
    EXPECT_FALSE(IsTagged(2, "/music/a.mp3"));
    EXPECT_EQ(TagFirst(2), "/music/b.mp3");
    EXPECT_EQ(TagFirst(1), "/music/a.mp3");
    EXPECT_EQ(TagNext(2), "");
    TagToggle(2, "/music/b.mp3");
    TagToggle(2, "/music/c.mp3");
    EXPECT_FALSE(IsTagged(2, "/music/b.mp3"));
    EXPECT_TRUE(IsTagged(2, "/music/c.mp3"));
    EXPECT_EQ(tagKeyCount(1), 1);
}

TEST_F(TagSets, SetZeroAndEmptyKeysAreIgnored)
{
    EXPECT_FALSE(TagAdd(0, "A"));
    EXPECT_FALSE(IsTagged(0, "A"));
    EXPECT_EQ(TagFirst(0), "");
    EXPECT_EQ(TagNext(0), "");
    EXPECT_EQ(tagSetCount(), 0);
    EXPECT_FALSE(TagAdd(1, ""));
    EXPECT_FALSE(TagAdd(1, "   "));
    TagToggle(1, "");
    EXPECT_EQ(tagKeyCount(1), 0);
}

TEST_F(TagSets, LongKeysAreCutAtTheLimit)
{
    const std::string longKey(600, 'k');
    EXPECT_TRUE(TagAdd(1, longKey));
    EXPECT_TRUE(IsTagged(1, std::string(512, 'k')));
    EXPECT_FALSE(TagAdd(1, std::string(512, 'k') + "other"));
    EXPECT_EQ(TagFirst(1).size(), 512u);
    // Cut at a character, never inside one.
    std::string accented;
    for (int i = 0; i < 600; ++i)
        accented += "\xc3\xa9";
    TagAdd(2, accented);
    EXPECT_EQ(TagFirst(2).size(), 1024u);
}

struct WalkCase {
    const char* name;
    std::vector<std::string> keys;
    int steps; // keys handed out before the change (TagFirst counts)
    std::function<void()> change; // on set 1, between two steps
    std::vector<std::string> expected; // what the walk hands out after the change
};

TEST_F(TagSets, AWalkKeepsItsPlaceWhileTheSetChanges)
{
    const std::vector<WalkCase> cases{
        {"remembered key removed", {"A", "B", "C"}, 2, [] { TagRemove(1, "B"); }, {"C"}},
        {"key added after the remembered one", {"A", "B", "C"}, 2, [] { TagAdd(1, "BB"); }, {"BB", "C"}},
        {"key added before it", {"A", "B", "C"}, 2, [] { TagAdd(1, "AA"); }, {"C"}},
        {"tagging a key already there", {"A", "B", "C"}, 2, [] { EXPECT_FALSE(TagAdd(1, "B")); }, {"C"}},
        {"untagging a key that is not there", {"A", "B", "C"}, 2, [] { TagRemove(1, "Q"); }, {"C"}},
        {"toggled away and an earlier one toggled in", {"A", "B", "C"}, 2,
            [] {
                TagToggle(1, "B");
                TagToggle(1, "0");
            },
            {"C"}},
        // The smallest key removed: the walk goes on from the first key above it.
        {"smallest remembered key removed", {"A", "B", "C"}, 1, [] { TagRemove(1, "A"); }, {"B", "C"}},
        {"last remembered key removed", {"A", "B", "C"}, 3, [] { TagRemove(1, "C"); }, {}},
        {"every key removed", {"A", "B"}, 1,
            [] {
                TagRemove(1, "A");
                TagRemove(1, "B");
            },
            {}},
        {"set cleared", {"A", "B", "C"}, 1, [] { TagClearSet(1); }, {}},
        {"another set used meanwhile", {"A", "B", "C"}, 1,
            [] {
                TagAdd(2, "Z");
                TagFirst(2);
            },
            {"B", "C"}},
    };
    for (const WalkCase& w : cases) {
        SCOPED_TRACE(w.name);
        TagClearSet(1);
        for (const auto& k : w.keys)
            TagAdd(1, k);
        std::string last = TagFirst(1);
        for (int i = 1; i < w.steps; ++i)
            last = TagNext(1);
        ASSERT_EQ(last, w.keys[static_cast<std::size_t>(w.steps - 1)]);
        w.change();
        EXPECT_EQ(rest(1), w.expected);
        TagFreeAll();
    }
}

TEST_F(TagSets, ThePositionIsFoundFromTheRememberedKey)
{
    for (const char* k : {"A", "C", "E"})
        TagAdd(1, k);
    EXPECT_EQ(TagFindPosition(), 0); // no walk yet
    TagFirst(1);
    EXPECT_EQ(TagFindPosition(), 1);
    TagNext(1);
    EXPECT_EQ(TagFindPosition(), 2);
    TagRemove(1, "C");
    EXPECT_EQ(TagFindPosition(), 1); // the largest key below it
    TagSavePosition(0, true);
    EXPECT_EQ(TagNext(1), "E");
    // A stored position of 0 ends the walk; a kept one does not.
    TagFirst(1);
    TagSavePosition(0, false);
    EXPECT_EQ(TagNext(1), "");
}

TEST_F(TagSets, FreeingEndsEverySet)
{
    TagAdd(1, "A");
    TagAdd(5, "B");
    EXPECT_EQ(tagSetCount(), 2);
    TagFreeSpareSets();
    EXPECT_EQ(tagSetCount(), 2);
    TagFreeAll();
    EXPECT_EQ(tagSetCount(), 0);
    EXPECT_FALSE(IsTagged(1, "A"));
    EXPECT_EQ(TagFirst(5), "");
}

} // namespace
