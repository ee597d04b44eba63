#pragma once
// The reference lists albums and songs draw their names from: media formats,
// categories and artists, each a list with its one-record form.

#include "qvls/core/form.h"

namespace qv::qvls {

// An artist's name and biography; a press rewrites the name in the user's
// capitalisation.
class ArtistForm : public Form
{
public:
    ArtistForm();

    fw::Level Prepare() override;
};

// Makes the three lists and their forms startable by name.
void registerReferenceLists();

} // namespace qv::qvls
