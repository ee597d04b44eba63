#pragma once
// The about box with its hot spots, and the build's identity.

#include <string_view>

#include "qvls/core/globals.h"

namespace qv::qvls {

// Where the about box's hot spots lead (the disc database's site is the
// frame's kDiscDatabaseSite).
inline constexpr std::string_view kMakerAddress = "https://quorvel.example.org/";
inline constexpr std::string_view kSupportMail = "mailto:support@quorvel.example.org";

// This build's date and time as day and time numbers: created when the
// build tree was first configured, changed when this program was built.
BuildStamp thisBuildStamp();
// 1 when this program is a 32-bit build.
int thirtyTwoBit();

void AboutQVL();
void CompileDate();

} // namespace qv::qvls
