#pragma once
// The columns a list offers and how they sort: what a list declares of each
// column, and the rows of the list class's column queues made from it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace YAML {
class Node;
}

namespace qv::qvls {

// What a list declares of one column, in its window definition's `list:`
// `columns:` entries:
//   {field: "SNG:Artist", width: 120, header: Artist, picture: "@s50",
//    description: "Song Artist", align: left, shown: true, colors: false,
//    icon: 0, view-field: 1, total: false, graph: 1, sortable: true,
//    locator: S}
// A computed column (`computed: Time`) has view field 0 and no sort order.
struct BrovexColumnDefinition {
    std::string field;
    int width = 0; // dialog units
    std::string header;
    std::string picture;
    std::string description;
    char justification = 'L';
    bool display = true;
    bool colors = false;
    int iconX = 0; // 0 none, 1 icon, 2 transparent icon
    int viewField = 1; // 0 computed by the window, 1 the browsed table, 2 a related table
    bool totalOk = false;
    bool graphOk = false;
    int graphType = 0;
    bool sortable = false;
    char locatorType = ' '; // 'S' sortable with a locator; 'X' left out unless shown
};

// The declared columns of a list, in table order. Throws
// std::invalid_argument for an entry without a field or a name.
std::vector<BrovexColumnDefinition> brovexColumnDefinitions(const YAML::Node& columns);

// One column of the list: a row of the all-columns queue (definition order)
// and, while shown, of the shown-columns queue (display order).
struct BrovexColumn {
    std::string field;
    std::string description;
    bool icon = false; // in the all-columns queue: shown now
    std::string header;
    int qnos = 0; // 1-based list-queue field of its value
    int seq = 0; // place among the shown columns
    int col = 0; // place when it was added; 0 in the all-columns queue for one not shown at load
    long nfg = -1, nbg = -1, sfg = -1, sbg = -1; // text, background, selected text, selected background
    int widthDlu = 0;
    int widthPix = 0; // 0 while scrolled out
    int xPosPix = 0;
    char hJust = 'L', fJust = 'L';
    int hOffset = 1, fOffset = 1;
    bool uLine = false, fixed = false, border = true, resize = true;
    bool display = false;
    int ascDesc = 0; // its present direction: 0 ascending, 1 descending
    bool controlField = false; // shown in the definition
    int viewField = 0;
    bool totalOk = false, graphOk = false;
    int graphType = 0;
    int sortField = 0; // the browse order sorting ascending on it (descending: the next); 0 none
    char locatorType = ' ';
    bool colors = false;
    int iconX = 0;
    int maxWidth = 0;
    std::string picture;

    bool isText() const { return picture.size() > 1 && (picture[1] == 'S' || picture[1] == 's'); }
};

// A part of a column's sort order, or a part appended to every order.
struct BrovexSortPart {
    int qnos = 0; // the column it belongs to; 0 for an appended part
    int seq = 0;
    std::string fieldName;
    int ascDesc = 0;
    std::string picture; // "@s": its second character marks text
};

// The packed tables a window may hand over instead of a declaration: entries
// back to back, every length one byte, every number little-endian.
//   columns: field, width (2), header, picture, description (each a length
//     and its characters), justification, display, colours, icon, view field
//     (1 each), tab control (4, two read), total, graphable, graph kind,
//     sortable (1 each), locator letter (1)
//   sorts: the column's field, the number of parts (2), per part its field,
//     direction (1) and picture
//   appended: apply-to-all (1), the number of parts (2), the parts as above
// A table whose lengths run past its end is refused whole (nullopt).
struct BrovexSortDefinition {
    std::string column;
    std::vector<BrovexSortPart> parts;
};
struct BrovexAppendedParts {
    bool applyAll = false;
    std::vector<BrovexSortPart> parts;
};
std::optional<std::vector<BrovexColumnDefinition>> decodeColumnDefinitions(std::string_view packed, int count);
std::optional<std::vector<BrovexSortDefinition>> decodeSortDefinitions(std::string_view packed, int count);
std::optional<BrovexAppendedParts> decodeAppendedParts(std::string_view packed);

// The list format of one view of the list.
struct BrovexViewFormat {
    int control = 0; // view number
    std::string format; // "0" or blank: none yet
};

} // namespace qv::qvls
