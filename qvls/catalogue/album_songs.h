#pragma once
// The album form's Songs tab beyond adding, changing and deleting: copying a
// song, editing every song in turn, songs of other albums dropped on the list,
// swapping artist and title, songs of the collection re-assigned to the
// album, the album's fields cascaded, the CD read, and the album's total time.

#include <cstdint>
#include <functional>

#include "platform/framework/form_controller.h"
#include "platform/framework/list_browser.h"

namespace qv::qvls {

class AlbumSongs : public fw::WindowComponent
{
public:
    // albumId answers the album the form edits.
    AlbumSongs(fw::FormController& form, std::function<std::int64_t()> albumId);

    // After the list's window opened: the total time and the context menu.
    void Prepare(fw::WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

    // The album's total time from its songs: for a new album, or one without
    // a total yet. Called whenever the list has read its songs again.
    void syncTotalTime();
    // A song of another list dropped on this one (its drop text names it).
    void takeDroppedSong(const std::string& dropText);

private:
    fw::ListBrowser& list() const;
    void reload();
    void editAll();
    void swapArtistTitles();
    void replaceText();
    void reassign();
    bool eachSong(int fromSide, const std::function<bool()>& step, const char* what);

    fw::FormController& form_;
    std::function<std::int64_t()> albumId_;
    bool newAlbum_ = false;
};

// Runs over an album's songs from a side on, in side and track order; the
// step writes the buffer's song when it answers true. With `what`, a read
// that stopped the run and the writes the table refused are told, once
// each. False when a read error stopped it.
bool eachSongOfAlbum(std::int64_t album, int fromSide, const std::function<bool()>& step, const char* what);

// Each song of an album in side and track order through the song form, on
// this thread, until one is not saved.
void editEverySong(std::int64_t album);

} // namespace qv::qvls
