#pragma once
// What every song list offers for its highlighted song besides Add, Copy,
// Change and Delete: the album form on the song's own album, Play on its
// audio file, its id as the text of a drag, and the reports, import and
// export started on threads of their own (a procedure not there yet is
// said plainly).

#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/events.h"
#include "platform/runtime/window_def.h"
#include "platform/tables/record.h"

namespace qv::fw {
class ListBrowser;
class ListWindow;
} // namespace qv::fw

namespace qv::qvls {

class SongCommands
{
public:
    // The list's buttons for each command; a button the window lacks is {}.
    struct Buttons {
        rt::ControlId album{}, play{}, import{}, export_{};
    };

    explicit SongCommands(fw::ListWindow& list);
    // Binds the buttons the window has.
    void bind(const Buttons& buttons);

    // While the window is prepared: rows dragged away hand over SNG:ID.
    void prepare();

    // The album form on the highlighted song's album; a song on no album,
    // or one whose listed album is not its own any more, is said instead.
    void openAlbum();
    void play();
    // The song import and export, on threads of their own; the list shows
    // what they did as it reloads.
    void importSongs();
    void exportSongs();
    // procedure on a new thread; what: its name for the user.
    void start(std::string_view procedure, std::string_view what);

    // Copy: the new song starts from the highlighted song's own values. The
    // table's defaults for a new song come from the album buffer and would
    // put the listed album's artist, title and file number in their place
    // (blanks for a song on no album). Around each event of the list: the
    // highlighted song is kept when the event is the copy button's, and let
    // go once the event (and the insert it made) is over.
    void keepCopy(const rt::Event& e, rt::ControlId copy);
    void dropCopy() { copied_.reset(); }
    // For an insert, before the form opens: the copied values, under the
    // new song's own id.
    void giveCopy(int request);

private:
    void say(const std::string& text);

    fw::ListWindow& list_;
    std::optional<tables::Record> copied_;
};

// Play on the audio file of the song a list highlights; nothing without one.
void playHighlightedSong(fw::ListBrowser& songs);

} // namespace qv::qvls
