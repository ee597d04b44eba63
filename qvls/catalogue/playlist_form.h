#pragma once
// The form of one playlist: its description and notes, and its entries in the
// order the user keeps them, with songs dragged from a song list added at the
// end and the playlist's total playing time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "qvls/catalogue/ordered_list.h"
#include "qvls/catalogue/record_swap.h"
#include "qvls/core/form.h"

namespace qv::qvls {

class PlaylistForm : public Form
{
public:
    PlaylistForm();

protected:
    int CallUpdateProcedure(int number, int request) override;
    fw::Level prepareForm() override;
    void formOpened() override;
    fw::Level beforeSave() override;

private:
    void syncTotalTime();
    void takeDroppedSong(const std::string& dropText);
    void showEntries();

    // The playlist this form edits: the master buffer is shared with every
    // window, the id the form took is its own.
    std::int64_t playlistId_ = 0;
    std::int64_t totalTime_ = 0;
    RecordSwapClass entrySwap_{kPlaylistEntriesSwap, [this] { return playlistId_; }};
    std::unique_ptr<OrderedList> entryOrder_;
};

// The playing time of songs with these times (hundredths of a second plus 1,
// 0 for none): the durations add and the sum takes the 1 once; 0 when no song
// has a time.
std::int64_t addSongTimes(std::span<const std::int64_t> times);

// Makes UpdatePlaylist startable by name.
void registerPlaylistForm();

} // namespace qv::qvls
