#pragma once
// The parent record a list's limited orders show: the one the caller had in
// its buffer, until the user picks another with the parent's lookup. The
// list keeps the value itself, since the buffer is shared with every window
// (a form opened from the list fetches its own record into it).

#include <string>
#include <string_view>

#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"

namespace qv::tables {
class Table;
}

namespace qv::qvls {

class LookupChoice
{
public:
    // lookup: the select list choose() runs; parent: the table whose buffer
    // it leaves the chosen record in; field: the parent's value the orders
    // are limited to.
    LookupChoice(std::string lookup, tables::Table& (*parent)(), std::string field);

    // Takes the caller's record, and limits every order on `key` to the
    // records whose `field` holds its value.
    void limit(fw::ViewReader& reader, std::string_view key, std::string field);
    // The lookup; a cancelled choice keeps the record. The list shows the
    // new range.
    void choose(fw::WindowController& list);

private:
    std::string valueInBuffer() const;

    std::string lookup_;
    tables::Table& (*parent_)();
    std::string field_;
    std::string value_;
};

// The category of a list's category orders.
class CategoryChoice : public LookupChoice
{
public:
    CategoryChoice();
};

} // namespace qv::qvls
