#pragma once
// One entry of a playlist (the song it names and its note), and the chart
// carry-over that writes each entry's position into its note as last week's.

#include <cstdint>
#include <string>
#include <string_view>

#include "qvls/core/form.h"

namespace qv::qvls {

class PlaylistEntryForm : public Form
{
public:
    PlaylistEntryForm();

protected:
    void formOpened() override;
    void Refresh() override;

private:
    void chooseSong();
};

// The note with last week's position: the first "LW:" and the digits after
// it (and one blank following them) taken out, then " LW:" and the position,
// the whole left-justified and cut to the 40 characters a note holds.
std::string carryChartPosition(std::string_view note, std::int64_t position);

// Writes the position of every entry of the playlist into its note, after
// asking. Answers false when the user declined or a write failed.
bool carryChartPositions(std::int64_t playlist);
// The same for the playlist in the PlaylistMaster buffer.
void ThisWeekToLastWeek();

// Makes UpdatePlaylistDetails and ThisWeekToLastWeek startable by name.
void registerPlaylistEntryForm();

} // namespace qv::qvls
