#pragma once
// What every album list offers for its highlighted album besides Add,
// Change and Delete: the wizards that add albums, the reports and the label
// wizard started for it, and Play on its audio file. Each runs on the list's
// thread, which waits; a window not there yet is said plainly.

#include "platform/runtime/window_def.h"

namespace qv::fw {
class ListWindow;
}

namespace qv::qvls {

class AlbumCommands
{
public:
    // The context menu's "Create Label..." and "Quick CD Cover" / "Quick CD Insert".
    static constexpr int kCreateLabel = 1547;
    static constexpr int kQuickCover = 1548;

    // Which albums the quick flap prints: the album in the buffer, or every
    // album filed under its file number.
    enum class Flaps { Album, FileNumber };

    // The list's buttons for each command; a button the window lacks is {}.
    struct Buttons {
        rt::ControlId albumWizard{}, cddbWizard{}, print{}, play{};
    };

    AlbumCommands(fw::ListWindow& list, Flaps flaps);
    // Binds the buttons the window has.
    void bind(const Buttons& buttons);
    // The context menu's events; true when taken.
    bool OnEvent(int code);

    void albumWizard();
    void cddbWizard();
    void printTracks();
    void play();
    void createLabel();
    void quickCover();

private:
    void runForAlbum(const char* procedure, const char* what);

    fw::ListWindow& list_;
    Flaps flaps_;
};

} // namespace qv::qvls
