#pragma once
// Resolves the use names of window definitions ("ALB:Artist", "GLO:Side",
// "LOC:Choice") to the variables they stand for, so a window binds its
// controls by itself when it opens.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/window.h"

namespace qv::tables {
class Record;
}

namespace qv::fw {

// Makes every field and memo of a record buffer reachable by its name.
void registerRecord(tables::Record& record);
void unregisterRecord(tables::Record& record);
// A program global or a window's local, by name.
void registerVariable(std::string name, rt::UseBinding binding);
void unregisterVariable(std::string_view name);

std::optional<rt::UseBinding> resolveUse(std::string_view name);
// The record buffer and field index a use name stands for, if it is a field.
struct FieldLocation {
    tables::Record* record = nullptr;
    int field = -1;
    int memo = -1;
};
FieldLocation locateField(std::string_view name);

// Variables of one window ("LOC:DateText"), by name; they come before the
// program's names, so two windows may use one local name.
class LocalVariables
{
public:
    void add(std::string name, rt::UseBinding binding);
    // A text the window keeps itself.
    void add(std::string name, std::string& text);
    const rt::UseBinding* find(std::string_view name) const;

private:
    std::map<std::string, rt::UseBinding, std::less<>> bindings_; // folded names
};

class RelationSet;
// A table's relation set by the table's label ("Album"), for windows that
// name their data in their definitions.
void registerRelationSet(std::string label, RelationSet& set);
void unregisterRelationSet(std::string_view label);
RelationSet* relationSetOf(std::string_view label);

// Binds every control of the window whose use name resolves, among the
// window's locals first.
void bindControls(rt::Window& window, const LocalVariables* locals = nullptr);

} // namespace qv::fw
