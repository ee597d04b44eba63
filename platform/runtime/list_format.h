#pragma once
// The list format text of a list control: one segment per column, such as
// "80L(2)|M~Artist~L(1)@s30@#1#", and groups "[...](n)|M~Header~" over
// columns. readListFormat turns the text into columns and groups;
// writeListFormat turns them back into text. Writing what was read gives the
// same text, character for character: each column and group keeps the order
// in which its parts were written. One built in code (empty order) is written
// in the order the list writes its own formats.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::rt {

// Marks a column or group may carry, as written.
namespace list_mark {
inline constexpr char Colours = '*'; // four colour fields follow the value
inline constexpr char Icon = 'I';
inline constexpr char TransparentIcon = 'J';
inline constexpr char Fixed = 'F'; // does not scroll sideways
inline constexpr char Underline = '_';
inline constexpr char Resizable = 'M';
inline constexpr char RightBorder = '|';
} // namespace list_mark

struct ListJustification {
    char letter = 0; // L, R, C or D (decimal) as written, any case; 0: none written
    std::optional<int> offset; // "(n)"

    // Upper case; fallback when none was written.
    char align(char fallback = 'L') const;
    bool operator==(const ListJustification&) const = default;
};

// The parts of a segment, in the order they were written.
enum class ListPart {
    Width,
    Justification,
    Mark,
    Header,
    HeaderJustification,
    Picture,
    FieldNumber,
    Colours, // E(...)
    Scroll, // S(...)
    Style, // Z(...)
    Tree, // T or T(...)
};

struct ListFormatColumn {
    int width = 0; // dialog units
    ListJustification data;
    std::string marks; // mark characters in written order
    std::optional<std::string> header;
    ListJustification headerJustification;
    std::optional<std::string> picture; // with its leading "@": "@s30"
    std::optional<int> fieldNumber; // "#n#"
    std::optional<std::array<long, 4>> colours; // text, background, selected text, selected background
    std::optional<std::string> scroll, style; // the texts inside their parentheses
    std::optional<std::string> tree; // what follows the "T": "" or "(...)"
    // As read; empty: the list's own order. Parts set later that the text
    // did not have are written after those read.
    std::vector<ListPart> order;

    bool has(char mark) const;
    bool operator==(const ListFormatColumn&) const = default;
};

// A header over the columns first .. first + count - 1.
struct ListFormatGroup {
    std::size_t first = 0;
    std::size_t count = 0;
    std::optional<int> width; // "(n)" after the closing "]"
    std::string marks;
    std::optional<std::string> header;
    ListJustification headerJustification;
    std::vector<ListPart> order; // as read, after the "]"

    bool has(char mark) const;
    bool operator==(const ListFormatGroup&) const = default;
};

struct ListFormat {
    std::vector<ListFormatColumn> columns;
    std::vector<ListFormatGroup> groups; // in text order, never overlapping

    bool operator==(const ListFormat&) const = default;
};

struct ListFormatError {
    std::size_t position = 0; // 1-based, in characters
    std::string message;
};

struct ListFormatReading {
    // On an error: the columns and groups read whole before it.
    ListFormat format;
    std::optional<ListFormatError> error;
};

ListFormatReading readListFormat(std::string_view text);
std::string writeListFormat(const ListFormat& format);

// The 0-based field of the list's rows that each column shows: its "#n#",
// else the field after the previous column's value and its extra fields
// (four colours after "*", an icon number after "I" or "J"), from the first.
std::vector<int> queueFields(const ListFormat& format);
// How many fields follow a column's value: its colours, then its icon.
int extraFields(const ListFormatColumn& column);

} // namespace qv::rt
