#pragma once
// The form of one song: every window that adds, changes or shows a song
// opens it. A new song may be handed to an add-album wizard instead (the
// AddMode setting); inside an album's form it takes the album's fields; OK
// files the song under its album and its artist in the artist list.

#include <memory>

#include "qvls/catalogue/ordered_list.h"
#include "qvls/catalogue/record_swap.h"
#include "qvls/core/form.h"
#include "qvls/core/type_ahead.h"

namespace qv::qvls {

class SongForm : public Form
{
public:
    SongForm();

    fw::Level Prepare() override;
    fw::Level OnAccepted(int control) override;

protected:
    fw::Level prepareForm() override;
    void formOpened() override;
    void FillNewRecordDefaults() override;
    fw::Level beforeSave() override;
    fw::Level saveRecord() override;
    void CleanUp() override;

private:
    // True when a wizard took the new song over (or was asked to and is not
    // there yet): the form does not open.
    bool handedToWizard();
    bool checkField(const char* field);
    void fileAlbumAndArtist();
    void defaultFromAlbum();
    void updatePlayButtons();
    void chooseAudioFile();

    std::int64_t songId_ = 0;
    RecordSwapClass detailSwap_{kSongDetailsSwap, [this] { return songId_; }};
    std::unique_ptr<OrderedList> detailOrder_;
    ArtistTypeAhead artistTypeAhead_;
    bool setsOpen_ = false;
};

// The time typed as hours and minutes where minutes and seconds were meant
// ("3:45" read as 3 hours 45 minutes) as minutes and seconds; two hours and
// less stay as they are. Times are hundredths of a second plus 1.
std::int64_t minutesForHours(std::int64_t time);

// Makes UpdateSong startable by name.
void registerSongForm();

} // namespace qv::qvls
