#pragma once
// The category a list's category orders show: the one the caller had in the
// Categories buffer, until the user picks another with the category lookup.
// The list keeps it itself, since the buffer is shared with every window
// (a form opened from the list fetches its own category into it).

#include <string>
#include <string_view>

#include "platform/framework/view_reader.h"
#include "platform/framework/window_controller.h"

namespace qv::qvls {

class CategoryChoice
{
public:
    // Takes the caller's category, and limits every order on `key` to the
    // records whose `field` holds it.
    void limit(fw::ViewReader& reader, std::string_view key, std::string field);
    // The category lookup; a cancelled choice keeps the category. The list
    // shows the new range.
    void choose(fw::WindowController& list);

private:
    std::string categoryId_;
};

} // namespace qv::qvls
