#include "qvls/catalogue/album_form.h"

#include <algorithm>

#include "platform/expr/datetime.h"
#include "platform/framework/handover.h"
#include "platform/framework/relation_set.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/catalogue/album_cascade.h"
#include "qvls/catalogue/name_buttons.h"
#include "qvls/core/display.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/placement.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdateAlbum.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdateAlbum;

// The song list's update procedure, as its declaration numbers it.
constexpr int kSongForm = 3;

tables::Record& album()
{
    return dictionary::AlbumAccess->record();
}

} // namespace

AlbumForm::AlbumForm()
    : Form(std::string(W::kWindow), *dictionary::AlbumRelations)
{
    registerGeneralTab();
    registerSongsTab();
}

void AlbumForm::registerGeneralTab()
{
    installNameButtons(*this,
        {W::Artist, W::Album, "ALB:Artist", "ALB:Album", W::SwapArtistName, W::CapitalizeArtist, W::CapitalizeAlbum,
            W::SwapArtistAlbum, W::SelectArtist, W::ArtistRegion});

    // A media must be one of the media formats: a blank or unknown one opens
    // the list.
    lookup({W::Media, W::MediaLookup, dictionary::MediaAccess, "MED:KeyMedia", "BrowseMedia",
        {{"MED:Media", "ALB:Media"}}, true, false, [this] {
            if (!checkField("ALB:Media"))
                return false;
            cascadeIf(settings().CascadeMedia);
            return true;
        }});
    // A blank category is no category; an unknown one opens the list, and
    // leaving it without a choice takes the category's id away.
    lookup({W::Category, W::CategoryLookup, dictionary::CategoriesAccess, "CAT:KeyCategory", "BrowseCategories",
        {{"CAT:Category", "ALB:Category"}, {"CAT:CategoryID", "ALB:CategoryID"}}, false, true, [this] {
            cascadeIf(settings().CascadeCategory);
            return true;
        }});
    onField(W::FileNumber, [this] {
        cascadeIf(settings().CascadeFileNumber);
        return true;
    });
    onField(W::ReleaseDate, [this] {
        cascadeIf(settings().CascadeReleaseDate);
        return true;
    });
    onField(W::Rating, [this] { return checkField("ALB:Rating"); });
}

void AlbumForm::registerSongsTab()
{
    setUpdateProcedure(kSongForm, [this] {
        if (!rt::Procedures::call("UpdateSong")) {
            fw::handover().response = fw::response::Cancelled;
            notYet("The song form");
        }
    });
}

void AlbumForm::notYet(const char* what)
{
    reportNotAvailable(what);
}

bool AlbumForm::checkField(const char* field)
{
    fw::TableAccess& access = *dictionary::AlbumAccess;
    return access.CheckField(access.table().def().fieldIndex(field)) == fw::Benign;
}

void AlbumForm::cascadeIf(int setting)
{
    if (setting != 0)
        CascadeAlbumToSongs(false);
}

int AlbumForm::CallUpdateProcedure(int number, int request)
{
    if (number != kSongForm)
        return Form::CallUpdateProcedure(number, request);
    songOrder_->beforeEdit(request);
    const int response = Form::CallUpdateProcedure(number, request);
    songOrder_->afterEdit(request, response);
    songs_.syncTotalTime();
    return response;
}

fw::Level AlbumForm::prepareForm()
{
    albumId_ = album()["ALB:AlbumID"].toInt();
    const auto id = [this] { return std::to_string(albumId_); };
    declaredList(W::SongList.name).reader().addRange(1, "SNG:AlbumID", id);
    declaredList(W::DetailList.name).reader().addRange(1, "ADT:AlbumID", id);
    songOrder_ = std::make_unique<OrderedList>(
        list(W::SongList.name), songSwap_, OrderedList::Buttons{W::SongUp, W::SongTop, W::SongDown, W::SongBottom});
    detailOrder_ = std::make_unique<OrderedList>(list(W::DetailList.name), detailSwap_,
        OrderedList::Buttons{W::DetailUp, W::DetailTop, W::DetailDown, W::DetailBottom});
    // The song's display title and its time as minutes and seconds.
    fw::DeclaredList& songs = declaredList(W::SongList.name);
    songs.browser().setComputed(
        songs.computedColumn("Title"), [] { return std::string(text::firstChars(SongDisplayTitle(), 50)); });
    songs.browser().setComputed(songs.computedColumn("Time"), [] {
        SongTimeText();
        return glo().songTimeText;
    });
    songOrder_->takeDrops("SNG:ID", [this](const std::string& text) { songs_.takeDroppedSong(text); });
    addComponent(*songOrder_);
    addComponent(*detailOrder_);
    addComponent(songs_);
    addComponent(files_);
    if (dictionary::ArtistsRelations->open() != fw::Benign)
        return fw::Fatal;
    artistsOpen_ = true;
    return fw::Benign;
}

void AlbumForm::formOpened()
{
    rt::Window& w = window();
    required().SetField(w[W::Artist].number(), true, "Artist", "Artist", "Artist", "ALB:Artist");
    // Dates show as the user chose: a year, or a whole date.
    w[W::ReleaseDate].setPicture("@" + ReleaseDateToken());
    for (const auto* listControl : {&W::SongList, &W::DetailList})
        ApplyDatePicture(w[*listControl]);
    ApplyDatePicture(w[W::Condition]);
    w.display();
    files_.ShowAlbumImage();
    files_.UpdatePlayButtons();
    Globals& g = glo();
    g.songFormFromWizard = 1;
    g.side = 1;
    w[W::Side].display();
    artistTypeAhead_.attach(*this, W::Artist.name);
}

void AlbumForm::FillNewRecordDefaults()
{
    tables::Record& a = album();
    // A copy arrives with the copied album's title: it must differ from that
    // album on the unique keys before its id is reserved.
    if (const std::string title(text::trimRight(a["ALB:Album"].toString())); !title.empty()) {
        a["ALB:Album"] = title + " - Copy";
        a["ALB:CDIdentifier"] = "";
    }
    if (text::asciiUpper(ReleaseDateToken()).find('D') != std::string::npos)
        a["ALB:ReleaseDate"] = static_cast<std::int64_t>(expr::defaultClock().today());
    NextAlbumFileNumber();
}

fw::Level AlbumForm::beforeSave()
{
    if (request() == fw::request::Insert)
        CascadeAlbumToSongs(false);
    return fw::Benign;
}

fw::Level AlbumForm::saveRecord()
{
    const fw::Level saved = Form::saveRecord();
    // A refused save hands out no file number.
    if (saved == fw::Benign && request() == fw::request::Insert)
        settingsIni().set(settings_section::Album, settings_key::FileNumber, album()["ALB:FileNumber"].toString());
    return saved;
}

void AlbumForm::Refresh()
{
    if (validating())
        return;
    // The lookups start from the album's category.
    fw::TableAccess& categories = *dictionary::CategoriesAccess;
    tables::Record& c = categories.record();
    c["CAT:Category"] = album()["ALB:Category"].toString();
    categories.Fetch(categories.table().def().keyIndex("CAT:KeyCategory"));
    c["CAT:CategoryID"] = album()["ALB:CategoryID"].toInt();
    categories.Fetch(categories.table().def().keyIndex("CAT:KeyCategoryID"));
    Form::Refresh();
}

void AlbumForm::CleanUp()
{
    Form::CleanUp();
    if (artistsOpen_) {
        dictionary::ArtistsRelations->close();
        artistsOpen_ = false;
    }
}

void registerAlbumForm()
{
    rt::Procedures::add(std::string(W::kWindow), [] { AlbumForm().Execute(); });
}

} // namespace qv::qvls
