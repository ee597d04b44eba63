#pragma once
// The album form's Associated Files and Compact Disc tabs: the album's audio
// file chosen and handed to the desktop to play or open, its picture chosen
// and shown, and its disc identity read from the drive or the disc database
// by album acquisition, whose procedures are started by name.

#include "platform/framework/file_chooser.h"
#include "platform/framework/form_controller.h"

namespace qv::qvls {

class AlbumFiles : public fw::WindowComponent
{
public:
    // Takes the two tabs' buttons and entries of the album form; the form
    // adds the component.
    explicit AlbumFiles(fw::FormController& form);

    // Shows ALB:AssociatedImage in the picture control.
    void ShowAlbumImage();
    // The play and open buttons: off without an audio file, and the play
    // button only for a WAV or MP3 file.
    void UpdatePlayButtons();

    void Prepare(fw::WindowController& controller) override;
    bool OnEvent(const rt::Event& e) override;

private:
    void chooseAudio();
    void choosePicture();
    void openAudio(const char* verb);
    void readDisc();
    void lookUpDisc();
    // Runs an acquisition procedure on this thread; false when there is none.
    bool call(const char* procedure);

    fw::FormController& form_;
    fw::FileChooser audio_, picture_;
    // The blank disc id was read once on entering it; the focus coming
    // back from the reader's own messages does not read again.
    bool discIdEntered_ = false;
};

} // namespace qv::qvls
