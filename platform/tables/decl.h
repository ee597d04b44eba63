#pragma once

// Table declarations as data: what a table holds and how it is keyed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::tables {

enum class FieldType { Byte, Short, Long, Decimal, String };

// What a LONG means; the driver stores all of them alike.
enum class LongKind { Plain, Date, Time, Year };

struct FieldDef {
    std::string name; // "ALB:Artist"
    FieldType type = FieldType::Long;
    int length = 0; // STRING(n): n characters; DECIMAL(b,p): b bytes
    int places = 0; // DECIMAL(b,p): p
    LongKind kind = LongKind::Plain;

    // Bytes the field takes in the declared record layout.
    int recordBytes() const;
    // DECIMAL(b,p) holds 2b-1 digits.
    int digits() const { return 2 * length - 1; }
};

struct KeyDef {
    std::string name; // "ALB:KEYALBUM"
    std::string description; // "Album"
    std::vector<std::string> components; // field names, in order
    bool unique = false;
    bool primary = false;
    int autoNumbered = 0; // 1-based component number; 0 = none
    bool excludeEmpty = true; // records whose components are all empty are left out
};

struct MemoDef {
    std::string name; // "ALB:Notes"
    int maxLength = 0; // characters
};

enum class DriverKind { Keyed, Text, Binary };

struct TableDef {
    std::string label; // "Album"
    std::string prefix; // "ALB"
    std::string fileName; // "qvlalbum"; empty when set at run time
    DriverKind driver = DriverKind::Keyed;
    std::string description;
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;
    std::vector<MemoDef> memos;
    int version = -1; // structure version; -1 = none
    std::string ownerPassword; // non-empty: records are stored encrypted
    // The name of the table inside its file, when it is another table's layout
    // read under a label of its own (another collection's songs); empty: the label.
    std::string storedAs;

    const std::string& storedName() const { return storedAs.empty() ? label : storedAs; }

    int recordLength() const;
    // Field or memo index by "PRE:Name" or "Name", without regard to case; -1 if none.
    int fieldIndex(std::string_view name) const;
    int memoIndex(std::string_view name) const;
    int keyIndex(std::string_view name) const;
};

// Builders that keep declarations short and readable.
FieldDef byteField(std::string name);
FieldDef shortField(std::string name);
FieldDef longField(std::string name, LongKind kind = LongKind::Plain);
FieldDef decimalField(std::string name, int bytes, int places);
FieldDef stringField(std::string name, int chars);

// The part of a name after the prefix's colon.
std::string_view bareName(std::string_view name);
bool sameName(std::string_view a, std::string_view b);

} // namespace qv::tables
