#include "qvls/catalogue/album_list.h"

#include "platform/framework/handover.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/text.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/dictionary/tables.h"
#include "qvls/windows/BrowseAlbums.h"

namespace qv::qvls {

namespace {
namespace W = ctl::BrowseAlbums;
constexpr int kCreateLabel = 1547;
constexpr int kQuickCover = 1548;
} // namespace

AlbumList::AlbumList()
    : CatalogueList(std::string(W::kWindow))
    , query_(W::kWindow, W::Query, W::Reset)
{
    onAccepted(W::SelectCategory, [this] { category_.choose(*this); });
    onAccepted(W::SelectCategoryArtist, [this] { category_.choose(*this); });
    onAccepted(W::AlbumWizard, [this] {
        fw::handover().request = fw::request::Insert;
        runForAlbum("AlbumWizard", "The album wizard");
    });
    onAccepted(W::CddbWizard, [this] { runForAlbum("CDDBWizard", "The CDDB wizard"); });
    onAccepted(W::Print, [this] { runForAlbum("PrintAlbumTracks", "The album tracks report"); });
    onAccepted(W::Query, [this] { query_.query(); });
    onAccepted(W::Reset, [this] { query_.reset(); });
    onAccepted(W::Play, [this] {
        browser().LoadRowToBuffer();
        const std::string file(text::trimRight(dictionary::Album().record()["ALB:AssociatedWAVFile"].toString()));
        if (!file.empty())
            ShellOpenFile("play", file);
    });
}

fw::Level AlbumList::prepareList()
{
    category_.limit(reader(), "ALB:KEYCATEGORY", "ALB:CategoryID");
    category_.limit(reader(), "ALB:KEYCATEGORYARTIST", "ALB:CategoryID");
    query_.prepare(*this);
    return CatalogueList::prepareList();
}

void AlbumList::listOpened()
{
    CatalogueList::listOpened();
    query_.showButtons();
}

void AlbumList::runForAlbum(const char* procedure, const char* what)
{
    ReloadSelectedRecords();
    if (!rt::Procedures::call(procedure)) {
        fw::handover().request = fw::request::None;
        reportNotAvailable(what);
        return;
    }
    Refresh();
}

fw::Level AlbumList::OnEvent(const rt::Event& e)
{
    if (e.code == kCreateLabel) {
        runForAlbum("LabelWizard", "The label wizard");
        return fw::Benign;
    }
    if (e.code == kQuickCover) {
        runForAlbum("PrintAlbumFlaps", "The album flaps");
        return fw::Benign;
    }
    return CatalogueList::OnEvent(e);
}

void registerAlbumList()
{
    rt::Procedures::add(std::string(W::kWindow), [] { AlbumList().Execute(); });
}

} // namespace qv::qvls
