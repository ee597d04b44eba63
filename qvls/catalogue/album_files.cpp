#include "qvls/catalogue/album_files.h"

#include <string>

#include "platform/framework/handover.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdateAlbum.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdateAlbum;

std::string albumField(const char* field)
{
    return std::string(text::trimRight(dictionary::AlbumAccess->record()[std::string_view(field)].toString()));
}

} // namespace

AlbumFiles::AlbumFiles(fw::FormController& form)
    : form_(form)
{
    audio_.setTitle("Select WAV File");
    audio_.addFilter("WAV Files", "*.wav");
    audio_.addFilter("MP3 Files", "*.mp3");
    audio_.addFilter("All Files", "*.*");
    picture_.setTitle("Choose a File");
    picture_.addFilter("All Files", "*.*");

    form.onField(W::WavFile, [this] {
        UpdatePlayButtons();
        return true;
    });
    form.onAccepted(W::BrowseWavFile, [this] { chooseAudio(); });
    form.onAccepted(W::PlayWavFile, [this] { openAudio("play"); });
    form.onAccepted(W::PlayAssociated, [this] { openAudio("play"); });
    form.onAccepted(W::OpenInExplorer, [this] { openAudio("open"); });
    form.onField(W::ImageFile, [this] {
        ShowAlbumImage();
        return true;
    });
    form.onAccepted(W::BrowseImage, [this] { choosePicture(); });
    form.onAccepted(W::ReadDisc, [this] { readDisc(); });
    form.onAccepted(W::DiscLookup, [this] { lookUpDisc(); });
}

void AlbumFiles::Prepare(fw::WindowController& controller)
{
    rt::Window& w = controller.window();
    audio_.init(w, w[W::WavFile].number(), 0);
    picture_.init(w, w[W::ImageFile].number(), 0);
}

void AlbumFiles::ShowAlbumImage()
{
    rt::Control& image = form_.window()[W::AlbumImage];
    const std::string file = albumField("ALB:AssociatedImage");
    if (image.property(rt::prop::PictureFile) != file)
        image.setProperty(rt::prop::PictureFile, file);
}

void AlbumFiles::UpdatePlayButtons()
{
    rt::Window& w = form_.window();
    const std::string file = albumField("ALB:AssociatedWAVFile");
    const std::string upper = text::asciiUpper(file);
    const bool sound = upper.find(".WAV") != std::string::npos || upper.find(".MP3") != std::string::npos;
    w[W::PlayWavFile].setEnabled(!file.empty() && sound);
    w[W::PlayAssociated].setEnabled(!file.empty());
    w[W::OpenInExplorer].setEnabled(!file.empty());
}

void AlbumFiles::chooseAudio()
{
    form_.ReloadSelectedRecords();
    audio_.choose();
    UpdatePlayButtons();
}

void AlbumFiles::choosePicture()
{
    ShowAlbumImage();
    form_.ReloadSelectedRecords();
    picture_.choose();
    ShowAlbumImage();
}

void AlbumFiles::openAudio(const char* verb)
{
    form_.ReloadSelectedRecords();
    // The desktop's player plays in the background, WAV and MP3 alike.
    if (const std::string file = albumField("ALB:AssociatedWAVFile"); !file.empty())
        ShellOpenFile(verb, file);
}

bool AlbumFiles::call(const char* procedure)
{
    // The reader leaves response 1 when it read the disc.
    fw::handover().response = fw::response::None;
    return frameServices().callProcedure(procedure);
}

void AlbumFiles::readDisc()
{
    const std::string before = albumField("ALB:CDIdentifier");
    if (!call("ReadCDInformation")) {
        reportNotAvailable("Reading the CD");
        return;
    }
    if (fw::handover().response == fw::response::Completed)
        rt::message(
            albumField("ALB:CDIdentifier") != before ? "CD Identification updated." : "CD Identification not updated.",
            "Process complete");
    form_.Refresh();
}

void AlbumFiles::lookUpDisc()
{
    if (!call("StartDiscLookup")) {
        reportNotAvailable("The disc database lookup");
        return;
    }
    form_.Refresh();
}

bool AlbumFiles::OnEvent(const rt::Event& e)
{
    if (e.code != rt::event::Selected)
        return false;
    if (e.control != form_.window()[W::Xccd].number()) {
        discIdEntered_ = false;
        return false;
    }
    if (!discIdEntered_ && albumField("ALB:XCCD").empty()) {
        discIdEntered_ = true;
        // Quietly: a user passing through the field is not told what is missing.
        if (call("ReadCDInformation"))
            form_.window().display();
    }
    return false;
}

} // namespace qv::qvls
