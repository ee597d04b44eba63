#pragma once
// Numbered sets of tagged keys (file paths, for instance) kept in memory for the
// whole run and shared by all threads. A set remembers where a walk over its keys
// stands by the last key handed out, so a caller can tag and untag between the
// steps of a walk without losing its place.

#include <string>
#include <string_view>

namespace qv::qvls {

inline constexpr std::size_t kTagKeyLength = 512;

// Makes the set current, creating it empty when it does not exist.
void TagSelectSet(int set);
// True when the key was not tagged before.
bool TagAdd(int set, std::string_view key);
void TagRemove(int set, std::string_view key);
void TagToggle(int set, std::string_view key);
bool IsTagged(int set, std::string_view key);
// The smallest key, starting a walk; empty when the set is empty.
std::string TagFirst(int set);
// The first key above the one last handed out, even when that one has been removed
// meanwhile; empty at the end, which ends the walk.
std::string TagNext(int set);
// Removes every key and ends the walk.
void TagClearSet(int set);
// For the current set: the 1-based index of the remembered key, or of the largest
// key below it; 0 when there is none.
int TagFindPosition();
// Stores the walk position of the current set unless keep is set.
void TagSavePosition(int position, bool keep);
// Frees every set (program end).
void TagFreeAll();
// Frees the spare sets; nothing fills them, so this only empties an empty list.
void TagFreeSpareSets();

// What the program body and tests look at.
int tagSetCount();
int tagKeyCount(int set);

} // namespace qv::qvls
