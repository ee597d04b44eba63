#pragma once
// The tip of the day: one tip at a time from the tip table, paged with Back
// and Next; Close keeps the tip shown and whether tips show at start. In
// debug mode the same window edits the tip record it was given.

namespace qv::qvls {

// Makes "UpdateQVLTips" startable by name; its callers ask for a change.
void registerTips();

} // namespace qv::qvls
