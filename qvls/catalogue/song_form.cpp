#include "qvls/catalogue/song_form.h"

#include "platform/framework/handover.h"
#include "platform/framework/relation_set.h"
#include "platform/runtime/dialogs.h"
#include "platform/runtime/procedures.h"
#include "platform/runtime/scheduler.h"
#include "platform/runtime/window.h"
#include "platform/text/case.h"
#include "platform/text/text.h"
#include "qvls/catalogue/name_buttons.h"
#include "qvls/core/files.h"
#include "qvls/core/frame_services.h"
#include "qvls/core/globals.h"
#include "qvls/core/mp3_song.h"
#include "qvls/core/placement.h"
#include "qvls/core/settings.h"
#include "qvls/dictionary/access.h"
#include "qvls/windows/UpdateSong.h"

namespace qv::qvls {

namespace {

namespace W = ctl::UpdateSong;

tables::Record& song()
{
    return dictionary::QuorvelAccess->record();
}

tables::Record& album()
{
    return dictionary::AlbumAccess->record();
}

std::string text(tables::Record& r, const char* field)
{
    return std::string(text::trimRight(r[std::string_view(field)].toString()));
}

char firstUpper(std::string_view s)
{
    return s.empty() ? '\0' : text::asciiUpper(s.front());
}

// Two hours in the time representation: 2 x 3600 seconds in hundredths, plus 1.
constexpr std::int64_t kTwoHours = 2 * 3600 * 100 + 1;

// Runs a wizard that takes a new song over, or says it is not there yet.
void runWizard(const char* procedure, const char* what)
{
    if (!rt::Procedures::call(procedure))
        reportNotAvailable(what);
}

} // namespace

std::int64_t minutesForHours(std::int64_t time)
{
    return time > kTwoHours ? time / 60 + 1 : time;
}

SongForm::SongForm()
    : Form(std::string(W::kWindow), *dictionary::QuorvelRelations)
{
    installNameButtons(*this,
        {W::Artist, W::Title, "SNG:Artist", "SNG:Title", W::SwapArtistName, W::CapitalizeArtist, W::CapitalizeTitle,
            W::SwapArtistTitle, W::SelectArtist, W::ArtistRegion});
    lookup({W::Media, W::MediaLookup, dictionary::MediaAccess, "MED:KeyMedia", "BrowseMedia",
        {{"MED:Media", "SNG:Media"}}, true, false, [this] { return checkField("SNG:Media"); }});
    // A blank category is no category; one the list is left without takes
    // the song's category id away.
    lookup({W::Category, W::CategoryLookup, dictionary::CategoriesAccess, "CAT:KeyCategory", "BrowseCategories",
        {{"CAT:Category", "SNG:Category"}, {"CAT:CategoryID", "SNG:CategoryID"}}, false, true});
    onField(W::Time, [this] {
        song()["SNG:Time"] = minutesForHours(song()["SNG:Time"].toInt());
        window()[W::Time].display();
        return true;
    });
    // The song's place below the tabs follows its track and side.
    onField(W::TrackNumber, [this] {
        window()[W::PlaceTrack].display();
        return checkField("SNG:TrackNumber");
    });
    onField(W::Side, [this] {
        window()[W::PlaceSide].display();
        return true;
    });
    onField(W::ChartNumber, [this] { return checkField("SNG:ChartNumber"); });
    onField(W::Rating, [this] { return checkField("SNG:Rating"); });
    onField(W::WavFile, [this] {
        updatePlayButtons();
        return true;
    });
    onAccepted(W::BrowseWavFile, [this] { chooseAudioFile(); });
    const auto shell = [this](const char* verb) {
        ReloadSelectedRecords();
        const std::string file = text(song(), "SNG:AssociatedWAVFile");
        if (!file.empty())
            ShellOpenFile(verb, file);
    };
    onAccepted(W::PlayWavFile, [shell] { shell("play"); });
    onAccepted(W::PlayAssociated, [shell] { shell("play"); });
    onAccepted(W::OpenInExplorer, [shell] { shell("open"); });
    onAccepted(W::GetMP3Info, [this] {
        ReloadSelectedRecords();
        if (FillSongFromMP3())
            updatePlayButtons();
        window().display();
    });
    onAccepted(W::DefaultFromAlbum, [this] {
        ReloadSelectedRecords();
        defaultFromAlbum();
    });
    onAccepted(W::Cancel, [] { glo().songFormResult = "Cancel"; });
}

fw::Level SongForm::Prepare()
{
    Globals& g = glo();
    g.threadInstance = rt::Scheduler::instance().current();
    tables::Record& s = song();
    if (text(s, "SNG:Media").empty())
        s["SNG:Media"] = text(album(), "ALB:Media").empty() ? settings().DefaultMedia : text(album(), "ALB:Media");
    const int request = fw::handover().request == fw::request::None ? fw::request::Insert : fw::handover().request;
    if (request == fw::request::Insert && g.songFormFromWizard == 0 && handedToWizard())
        return fw::Notify;
    return Form::Prepare();
}

bool SongForm::handedToWizard()
{
    switch (firstUpper(settings().AddMode)) {
    case 'A': {
        tables::Record& s = song();
        for (const char* f : {"SNG:Title", "SNG:Artist", "SNG:FileNumber", "SNG:Album"})
            if (!text(s, f).empty())
                return false;
        if (!rt::Procedures::call("SelectAddType")) {
            reportNotAvailable("Choosing the kind of album to add");
            return false; // the plain form instead
        }
        const char answer = firstUpper(glo().addTypeAnswer);
        if (answer == 'C')
            runWizard("AddCompilation", "The compilation wizard");
        else if (answer == 'S')
            runWizard("AddSingleArtist", "The single artist wizard");
        return answer == 'C' || answer == 'S';
    }
    case 'C':
        runWizard("AddCompilation", "The compilation wizard");
        return true;
    case 'S':
        runWizard("AddSingleArtist", "The single artist wizard");
        return true;
    default:
        return false;
    }
}

fw::Level SongForm::prepareForm()
{
    for (fw::RelationSet* set : {dictionary::AlbumRelations, dictionary::ArtistsRelations})
        if (set->open() != fw::Benign)
            return fw::Fatal;
    setsOpen_ = true;
    setInsertAgain(true);
    songId_ = song()["SNG:ID"].toInt();
    declaredList(W::DetailList.name).reader().addRange(1, "SDT:ID", [this] { return std::to_string(songId_); });
    detailOrder_ = std::make_unique<OrderedList>(list(W::DetailList.name), detailSwap_,
        OrderedList::Buttons{W::DetailUp, W::DetailTop, W::DetailDown, W::DetailBottom});
    addComponent(*detailOrder_);
    return fw::Benign;
}

void SongForm::formOpened()
{
    rt::Window& w = window();
    required().SetField(w[W::Artist].number(), true, "Artist", "Artist", "Artist", "SNG:Artist");
    required().SetField(w[W::Title].number(), true, "Title", "Title", "Title", "SNG:Title");
    w[W::ReleaseDate].setPicture("@" + ReleaseDateToken());
    ApplyDatePicture(w[W::DetailList]);
    Globals& g = glo();
    g.songFormResult.clear();
    if (const std::string prompt(text::trimRight(settings().UDKPrompt)); !prompt.empty())
        w[W::UserKeyPrompt].setText(prompt + ":");
    if (g.songFormFromWizard != 0) {
        // A song of the album in the Album buffer: its album and media are the album's.
        w[W::DefaultFromAlbum].setHidden(true);
        w[W::Album].setEnabled(false);
        w[W::Media].setEnabled(false);
        if (g.songFormFromWizard == 2) {
            song()["SNG:Artist"] = album()["ALB:Artist"].toString();
            w[W::Artist].setEnabled(false);
        }
    }
    updatePlayButtons();
    artistTypeAhead_.attach(*this, W::Artist.name);
    w.display();
}

void SongForm::FillNewRecordDefaults()
{
    tables::Record& s = song();
    const Globals& g = glo();
    const int side = g.side == 0 ? 1 : g.side;
    s["SNG:Media"] = settings().DefaultMedia;
    if (g.songFormFromWizard != 0) {
        tables::Record& a = album();
        s["SNG:FileNumber"] = a["ALB:FileNumber"].toString();
        s["SNG:Album"] = a["ALB:Album"].toString();
        // A various-artists album says nothing of the song's artist.
        if (const std::string artist = text(a, "ALB:Artist"); !text::startsWithNoCase(artist, "VARIOUS"))
            s["SNG:Artist"] = artist;
        s["SNG:ReleaseDate"] = a["ALB:ReleaseDate"].toInt();
        s["SNG:AlbumID"] = a["ALB:AlbumID"].toInt();
        s["SNG:Media"] = a["ALB:Media"].toString();
        s["SNG:Side"] = side;
    }
    if (s["SNG:Side"].toInt() == 0)
        s["SNG:Side"] = side;
}

fw::Level SongForm::beforeSave()
{
    glo().songFormResult = "OK";
    return fw::Benign;
}

fw::Level SongForm::saveRecord()
{
    // The song is filed only once it passes its own checks, so a refused
    // song leaves no album or artist behind.
    fw::TableAccess& access = primary()->access();
    if (access.validateRecord() == fw::Benign)
        fileAlbumAndArtist();
    return Form::saveRecord();
}

fw::Level SongForm::OnAccepted(int control)
{
    if (viewing() && control == W::OK.number) {
        // A song shown saves nothing and stays until Cancel.
        glo().songFormResult = "OK";
        return fw::Benign;
    }
    const fw::Level l = Form::OnAccepted(control);
    // A saved new song makes room for the next one: its details are its own.
    if (control == W::OK.number && !loopEnded() && song()["SNG:ID"].toInt() != songId_) {
        songId_ = song()["SNG:ID"].toInt();
        list(W::DetailList.name).Refresh();
    }
    return l;
}

void SongForm::fileAlbumAndArtist()
{
    tables::Record& s = song();
    const std::string autoAdd(text::trimRight(settings().AutoAddToAlbums));
    if (autoAdd == "1" && s["SNG:AlbumID"].toInt() == 0) {
        fw::TableAccess& albums = *dictionary::AlbumAccess;
        tables::Record& a = albums.record();
        a["ALB:Artist"] = s["SNG:Artist"].toString();
        a["ALB:Album"] = s["SNG:Album"].toString();
        if (albums.Fetch(albums.table().def().keyIndex("ALB:KEYALBUM")) != 0) {
            a.clear();
            a.recordId = 0;
            const tables::Record& r = s;
            a.setMemo(a.def().memoIndex("ALB:Notes"), r.memo(r.def().memoIndex("SNG:Notes")));
            for (const auto& [albumField, songField] :
                {std::pair{"ALB:FileNumber", "SNG:FileNumber"}, {"ALB:Artist", "SNG:Artist"},
                    {"ALB:Album", "SNG:Album"}, {"ALB:Media", "SNG:Media"}, {"ALB:Category", "SNG:Category"}})
                a[std::string_view(albumField)] = s[std::string_view(songField)].toString();
            a["ALB:ReleaseDate"] = s["SNG:ReleaseDate"].toInt();
            a["ALB:CategoryID"] = s["SNG:CategoryID"].toInt();
            // The table numbers the album; a refused one leaves the song without.
            if (albums.TryInsert() != fw::Benign)
                a["ALB:AlbumID"] = 0;
        }
        s["SNG:AlbumID"] = a["ALB:AlbumID"].toInt();
    }
    fw::TableAccess& artists = *dictionary::ArtistsAccess;
    const fw::TableAccess::State kept = artists.SaveTableState();
    tables::Record& art = artists.record();
    art.clear();
    art.recordId = 0;
    art["ART:Artist"] = s["SNG:Artist"].toString();
    art["ART:CATEGORYID"] = s["SNG:CategoryID"].toInt();
    artists.TryInsert(); // one already there is refused by its key, as it should be
    artists.RestoreTableState(kept);
}

void SongForm::defaultFromAlbum()
{
    fw::handover().request = fw::request::Select;
    if (!rt::Procedures::call("SelectAlbum")) {
        reportNotAvailable("Choosing an album");
        return;
    }
    if (fw::handover().response != fw::response::Completed)
        return;
    tables::Record& s = song();
    tables::Record& a = album();
    const bool insert = request() == fw::request::Insert;
    auto emptyText = [&](const char* f) { return insert || text(s, f).empty(); };
    auto emptyNumber = [&](const char* f) { return insert || s[std::string_view(f)].toInt() == 0; };
    const int notes = s.def().memoIndex("SNG:Notes");
    if (insert || text::trimRight(s.memo(notes)).empty())
        s.setMemo(notes, a.memo(a.def().memoIndex("ALB:Notes")));
    if (emptyText("SNG:FileNumber"))
        s["SNG:FileNumber"] = a["ALB:FileNumber"].toString();
    if (emptyText("SNG:Artist"))
        s["SNG:Artist"] = a["ALB:Artist"].toString();
    if (emptyNumber("SNG:ReleaseDate"))
        s["SNG:ReleaseDate"] = a["ALB:ReleaseDate"].toInt();
    if (emptyNumber("SNG:CategoryID")) {
        s["SNG:CategoryID"] = a["ALB:CategoryID"].toInt();
        s["SNG:Category"] = a["ALB:Category"].toString();
        if (text(s, "SNG:Category").empty())
            s["SNG:Category"] = settings().DefaultCategory;
    }
    s["SNG:Album"] = a["ALB:Album"].toString();
    s["SNG:Media"] = a["ALB:Media"].toString();
    s["SNG:AlbumID"] = a["ALB:AlbumID"].toInt();
    s["SNG:Side"] = glo().side == 0 ? 1 : glo().side;
    window().display();
    fw::handover().response = fw::response::Cancelled;
}

void SongForm::updatePlayButtons()
{
    const bool file = !text(song(), "SNG:AssociatedWAVFile").empty();
    for (const auto* button : {&W::PlayWavFile, &W::PlayAssociated, &W::OpenInExplorer})
        window()[*button].setEnabled(file);
}

void SongForm::chooseAudioFile()
{
    ReloadSelectedRecords();
    rt::FileDialogSpec spec;
    spec.title = "Select MP3 or WAV File";
    spec.filter = "MP3s|*.MP3|WAV Files|*.WAV|All Files|*.*";
    spec.fileName = text(song(), "SNG:AssociatedWAVFile");
    spec.keepFolder = true;
    // A cancelled choice leaves the file as it was; a chosen one is taken whole.
    if (rt::fileDialog(spec)) {
        song()["SNG:AssociatedWAVFile"] = spec.fileName;
        updatePlayButtons();
    }
    Refresh();
}

bool SongForm::checkField(const char* field)
{
    fw::TableAccess& access = *dictionary::QuorvelAccess;
    return access.CheckField(access.table().def().fieldIndex(field)) == fw::Benign;
}

void SongForm::CleanUp()
{
    Form::CleanUp();
    if (setsOpen_) {
        dictionary::ArtistsRelations->close();
        dictionary::AlbumRelations->close();
        setsOpen_ = false;
    }
}

void registerSongForm()
{
    rt::Procedures::add(std::string(W::kWindow), [] { SongForm().Execute(); });
}

} // namespace qv::qvls
