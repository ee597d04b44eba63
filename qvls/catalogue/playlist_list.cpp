#include "qvls/catalogue/playlist_list.h"

#include <yaml-cpp/yaml.h>

#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "qvls/core/frame_services.h"
#include "qvls/windows/BrowsePlayLists.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrowsePlayLists;
} // namespace

PlaylistList::PlaylistList()
    : CatalogueList(std::string(W::kWindow))
{
    onAccepted(W::Print, [this] { print(); });
    onAccepted(W::Top40, [this] { printChart(); });
    onAccepted(W::Generate, [this] { generate(); });
}

fw::Level PlaylistList::OnEvent(const rt::Event& e)
{
    if (e.code == kReportWizard)
        reportWizard();
    else if (e.code == kGenerate)
        generate();
    else
        return CatalogueList::OnEvent(e);
    return fw::Benign;
}

int PlaylistList::CallUpdateProcedure(int, int request)
{
    fw::handover().request = request;
    if (!frameServices().callProcedure(declaration()["form"].as<std::string>())) {
        fw::handover().request = fw::request::None;
        reportNotAvailable("The playlist form");
        return fw::response::Cancelled;
    }
    return fw::handover().response;
}

void PlaylistList::print()
{
    runForPlaylist("PrintPlaylist", "The playlist report");
}

void PlaylistList::printChart()
{
    if (runForPlaylist("PrintPlaylistChart", "The top 40 report"))
        Refresh();
}

void PlaylistList::reportWizard()
{
    runForPlaylist("PrintPlaylistCustom", "The report wizard");
}

void PlaylistList::generate()
{
    // The new playlist shows in its place among the others.
    if (runForPlaylist("GeneratePlaylist", "The playlist generator"))
        Refresh();
}

bool PlaylistList::runForPlaylist(const char* procedure, const char* what)
{
    ReloadSelectedRecords();
    if (frameServices().callProcedure(procedure))
        return true;
    reportNotAvailable(what);
    return false;
}

void registerPlaylistList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { PlaylistList().Execute(); });
}

} // namespace qv::qvls
