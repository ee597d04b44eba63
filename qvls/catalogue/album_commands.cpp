#include "qvls/catalogue/album_commands.h"

#include <string>

#include "platform/framework/handover.h"
#include "platform/framework/list_window.h"
#include "platform/runtime/procedures.h"
#include "platform/text/text.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/dictionary/tables.h"

namespace qv::qvls {

AlbumCommands::AlbumCommands(fw::ListWindow& list, Flaps flaps)
    : list_(list)
    , flaps_(flaps)
{ }

void AlbumCommands::bind(const Buttons& buttons)
{
    const auto on = [this](rt::ControlId button, void (AlbumCommands::*command)()) {
        if (button.number != 0)
            list_.onAccepted(button, [this, command] { (this->*command)(); });
    };
    on(buttons.albumWizard, &AlbumCommands::albumWizard);
    on(buttons.cddbWizard, &AlbumCommands::cddbWizard);
    on(buttons.print, &AlbumCommands::printTracks);
    on(buttons.play, &AlbumCommands::play);
}

bool AlbumCommands::OnEvent(int code)
{
    if (code == kCreateLabel)
        createLabel();
    else if (code == kQuickCover)
        quickCover();
    else
        return false;
    return true;
}

void AlbumCommands::albumWizard()
{
    fw::handover().request = fw::request::Insert;
    runForAlbum("AlbumWizard", "The album wizard");
}

void AlbumCommands::cddbWizard()
{
    runForAlbum("CDDBWizard", "The CDDB wizard");
}

void AlbumCommands::printTracks()
{
    runForAlbum("PrintAlbumTracks", "The album tracks report");
}

void AlbumCommands::play()
{
    list_.browser().LoadRowToBuffer();
    const std::string file(text::trimRight(dictionary::Album().record()["ALB:AssociatedWAVFile"].toString()));
    if (!file.empty())
        ShellOpenFile("play", file);
}

void AlbumCommands::createLabel()
{
    runForAlbum("LabelWizard", "The label wizard");
}

void AlbumCommands::quickCover()
{
    list_.ReloadSelectedRecords();
    Globals& g = glo();
    g.binderPageStyle = "Flap";
    if (flaps_ == Flaps::FileNumber) {
        const std::string number(text::trimRight(dictionary::Album().record()["ALB:FileNumber"].toString()));
        g.startingFileNumber = g.endingFileNumber = number;
    } else {
        g.startingFileNumber = g.endingFileNumber = "-1";
    }
    runForAlbum("PrintAlbumFlaps", "The album flaps");
}

void AlbumCommands::runForAlbum(const char* procedure, const char* what)
{
    list_.ReloadSelectedRecords();
    if (!rt::Procedures::call(procedure)) {
        fw::handover().request = fw::request::None;
        reportNotAvailable(what);
        return;
    }
    // A wizard may have added albums: the list and its count show them.
    list_.Refresh();
}

} // namespace qv::qvls
