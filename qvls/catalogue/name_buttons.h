#pragma once
// The buttons beside a form's artist and title entries: the artist name's
// two orders swapped, either text written in the user's capitalisation,
// artist and title exchanged, and the artist chosen from the artist list
// (the button, or a click on the artist's prompt). The album and song forms
// both have them.

#include <optional>
#include <string>

#include "platform/framework/window_controller.h"

namespace qv::qvls {

struct NameButtons {
    rt::ControlId artist, title; // the entries
    std::string artistField, titleField; // their use names: "ALB:Artist"
    rt::ControlId swapName, capitalizeArtist, capitalizeTitle, swapArtistTitle, selectArtist, artistRegion;
};

// Registers the buttons' handlers on the form before its window opens.
void installNameButtons(fw::WindowController& form, const NameButtons& buttons);

} // namespace qv::qvls
