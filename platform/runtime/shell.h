#pragma once
// Opening a file or a web address with whatever the desktop has for it.

#include <string_view>

namespace qv::rt {

// Result of a successful shellOpen. Callers test "greater than 32", the
// convention of the shell call the program was written against.
inline constexpr int kShellOpened = 42;

// Hands target to the desktop's opener (xdg-open on PATH) and returns without
// waiting for it. Verbs "open" (also when empty), "play", "edit" and "explore"
// all mean "open with the default handler"; any other verb has no handler.
// A target with a scheme ("https://...", "mailto:...") or starting with
// "www." is a web address; anything else is a program path (see paths.h),
// found without regard to case and handed over as an absolute path, so a file
// name starting with "-" is never taken for an option.
// Results 32 and below, as that convention numbers them: 2 file not found,
// 3 folder not found, 5 access denied, 8 out of memory, 31 no handler (an
// unknown verb, or no xdg-open).
int shellOpen(std::string_view target, std::string_view verb = "open");

} // namespace qv::rt
